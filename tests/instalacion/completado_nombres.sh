#!/usr/bin/env bash
# Bash completion offers the files inside an image for get, cat, rm, ren and
# attr, in any case and with the user prefix, from the program the line names;
# never for dump, nor for cat's second name or ren's new one.
# Usage: completado_nombres.sh ALCOVE-CLI
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
raiz=$(cd "$aqui/../.." && pwd)
. "$aqui/comun.sh"
cli=$1
temporal=$(mktemp -d)
trap 'rm -rf "$temporal"' EXIT
cp "$raiz/samples/juegos.dsk" "$raiz/samples/extendido.dsk" "$temporal/"
cp "$raiz/samples/juegos.dsk" "$temporal/mis juegos.dsk"

# completar PALABRA...: what bash offers for the last word, sorted.
completar() {
  (cd "$temporal" && bash -c '
    . /usr/share/bash-completion/bash_completion
    . "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _alcove_cli "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$raiz/data/bash-completion/alcove-cli" "$@")
}
while IFS='|' read -r linea esperado; do
  read -r -a palabras <<<"$linea"
  [ "${linea: -1}" = " " ] && palabras+=("")
  obtenido=$(completar "$cli" "${palabras[@]}")
  [ "$obtenido" = "$esperado" ] && bien "completado '$linea'" ||
    falla "completado '$linea': '$obtenido', se esperaba '$esperado'"
done <<'TABLA'
cat juegos.dsk |DISC.BAK DISC.BAS GAME.BIN LEVELS.DAT SCREEN.SCR 
get juegos.dsk d|DISC.BAK DISC.BAS 
get juegos.dsk DISC.BAS s|SCREEN.SCR 
get -o fuera juegos.dsk G|GAME.BIN 
get --formato data juegos.dsk L|LEVELS.DAT 
cat extendido.dsk U|1:USER1.TXT 
cat extendido.dsk 1:U|USER1.TXT 
cat extendido.dsk h|HIDDEN.SYS 
cat extendido.dsk n|notes.bin 
cat juegos.dsk DISC.BAS | 
dump juegos.dsk | 
cat nada.dsk | 
rm juegos.dsk d|DISC.BAK DISC.BAS 
attr --ro juegos.dsk L|LEVELS.DAT 
ren juegos.dsk g|GAME.BIN 
ren juegos.dsk GAME.BIN | 
TABLA
# An image name typed with a blank escaped, as bash leaves it in the line.
obtenido=$(completar "$cli" cat 'mis\ juegos.dsk' L)
[ "$obtenido" = "LEVELS.DAT " ] && bien "completado en 'mis\ juegos.dsk'" ||
  falla "completado en 'mis\ juegos.dsk': '$obtenido'"
exit $((fallos > 0))
