#!/usr/bin/env bash
# The same command table through the Linux alcove-cli and, under Wine, the
# Windows one: standard output (bytes), standard error and exit code must match,
# and so must the files `get` writes. Paths the program builds use each host's
# separator, so rows marked ~ compare with '\' (and JSON's '\\') read as '/'.
#   igual_que_en_linux.sh ALCOVE_CLI_LINUX ALCOVE_CLI_EXE WINE64 SAMPLES_DIR
set -uo pipefail
linux=$1 exe=$2 wine=$3 muestras=$4

trabajo=$(mktemp -d)
trap 'rm -rf "$trabajo"' EXIT
for lado in linux windows; do
  mkdir -p "$trabajo/$lado/sub"
  cp "$muestras"/*.dsk "$muestras"/*.DSK "$trabajo/$lado/"
  cp "$muestras/juegos.dsk" "$trabajo/$lado/sub/otra ñ.dsk"
done

filas=(
  "--version"
  "--help"
  ""
  "orden_rara"
  "info juegos.dsk extendido.dsk"
  "info --json juegos.dsk desconocido.dsk"
  "ls juegos.dsk"
  "ls -l -a --borrados juegos.dsk nombres.dsk MAYUSCULAS.DSK"
  "ls --json extendido.dsk"
  "ls desconocido.dsk vacio.dsk falta.dsk"
  "ls --formato nada juegos.dsk"
  "ls /no/existe/x.dsk"
  "cat juegos.dsk DISC.BAS"
  "cat juegos.dsk GAME.BIN"
  "cat --raw juegos.dsk DISC.BAS"
  "cat juegos.dsk *.BA?"
  "dump juegos.dsk 0 0 &C1"
  "dump juegos.dsk 0 0 &41"
  "dump juegos.dsk 300 0 1"
  "~find *.BAS ."
  "~find --json *.BIN . sub"
  "~get juegos.dsk *.* -o salida"
  "~get juegos.dsk DISC.BAS -o salida"
  "get juegos.dsk NADA.BAS"
)

# '\' -> '/', JSON's '\\' -> '/', and JSON's '\"' left alone.
barras() { sed -e 's:\\\\:/:g' -e 's:\\\([^"]\):/\1:g'; }

fallos=0
for fila in "${filas[@]}"; do
  normalizar=cat
  if [ "${fila:0:1}" = "~" ]; then
    fila=${fila:1}
    normalizar=barras
  fi
  read -r -a args <<<"$fila"
  (cd "$trabajo/linux" && "$linux" "${args[@]}" >../l.out 2>../l.err)
  cl=$?
  (cd "$trabajo/windows" && "$wine" "$exe" "${args[@]}" >../w.out 2>../w.err)
  cw=$?
  $normalizar <"$trabajo/w.out" >"$trabajo/w.out.n"
  $normalizar <"$trabajo/w.err" >"$trabajo/w.err.n"
  if [ "$cl" != "$cw" ] || ! cmp -s "$trabajo/l.out" "$trabajo/w.out.n" ||
    ! cmp -s "$trabajo/l.err" "$trabajo/w.err.n"; then
    echo "DISTINTO: alcove-cli $fila (salida $cl en Linux, $cw en Windows)"
    diff <(cat "$trabajo/l.out" "$trabajo/l.err") <(cat "$trabajo/w.out.n" "$trabajo/w.err.n") |
      head -n 20
    fallos=$((fallos + 1))
  fi
done
if ! diff -r "$trabajo/linux/salida" "$trabajo/windows/salida" >/dev/null; then
  echo "DISTINTO: los archivos que escribe get"
  fallos=$((fallos + 1))
fi
echo "${#filas[@]} órdenes comparadas; $fallos diferencias"
[ "$fallos" -eq 0 ]
