#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop and the
# Debian tools see: the menu entry, the AppStream metadata, the manual pages,
# bash completion, alcove-cli --version, and alcove's window with its icon.
# Usage: probar_instalacion.sh BUILD VERSION
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
raiz=$(cd "$aqui/../.." && pwd)
. "$aqui/comun.sh"
build=$1 version=$2

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefijo=$tmp/prefijo
if ! cmake --install "$build" --prefix "$prefijo" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log" >&2
  echo "FALLO: cmake --install" >&2
  exit 1
fi
share=$prefijo/share

# The menu entry, and the icon it names in every size of the theme.
escritorio=$share/applications/alcove.desktop
if salida=$(desktop-file-validate "$escritorio" 2>&1) && [ -z "$salida" ]; then
  bien "desktop-file-validate"
else
  falla "desktop-file-validate: $salida"
fi
grep -qx 'Exec=alcove' "$escritorio" || falla "la entrada no arranca alcove sin argumentos"
grep -qx 'Icon=alcove' "$escritorio" || falla "la entrada no nombra el icono alcove"
grep -q '^Name\[es\]=' "$escritorio" || falla "la entrada no tiene nombre en español"
[ -s "$share/icons/hicolor/scalable/apps/alcove.svg" ] || falla "falta el icono SVG"
for lado in "${lados_icono[@]}"; do
  png=$share/icons/hicolor/${lado}x${lado}/apps/alcove.png
  # Bytes 16..23 of a PNG are its width and height, big-endian.
  medida=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
  [ "$medida" = "${lado}x${lado}" ] || falla "icono $png: ${medida:-no existe}"
done

# The AppStream metadata, and the entry it points at.
metainfo=("$share"/metainfo/*.metainfo.xml)
if [ ${#metainfo[@]} -ne 1 ] || [ ! -f "${metainfo[0]}" ]; then
  falla "no hay un solo archivo en share/metainfo"
elif salida=$(appstreamcli validate --no-net "${metainfo[0]}" 2>&1); then
  bien "appstreamcli validate"
  grep -q '<launchable type="desktop-id">alcove.desktop</launchable>' "${metainfo[0]}" ||
    falla "los metadatos no nombran alcove.desktop"
else
  falla "appstreamcli validate: $salida"
fi

# Manual pages render with no warning from man or groff.
paginas=("$share"/man/man1/*.1.gz)
[ -f "$share/man/man1/alcove-cli.1.gz" ] || falla "falta alcove-cli(1)"
[ -f "$share/man/man1/alcove.1.gz" ] || falla "falta alcove(1)"
for pagina in "${paginas[@]}"; do
  if MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$pagina" >"$tmp/man.txt" 2>"$tmp/man.err" &&
    [ ! -s "$tmp/man.err" ] && grep -q 'NOMBRE' "$tmp/man.txt"; then
    bien "man -l $(basename "$pagina")"
  else
    falla "man -l $pagina: $(cat "$tmp/man.err")"
  fi
done

# Completion, from the installed file.
completado=$share/bash-completion/completions/alcove-cli
mkdir -p "$tmp/compl/carpeta"
# completar PALABRA...: what bash offers for the last word.
completar() {
  (cd "$tmp/compl" && bash -c '
    . /usr/share/bash-completion/bash_completion
    . "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _alcove_cli alcove-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$completado" "$@")
}
: >"$tmp/compl/uno.dsk" >"$tmp/compl/dos.DSK" >"$tmp/compl/nota.txt"
: >"$tmp/compl/tres.dsk.gz" >"$tmp/compl/coleccion.ZIP"
while IFS='|' read -r linea esperado; do
  read -r -a palabras <<<"$linea"
  [ "${linea: -1}" = " " ] && palabras+=("")
  obtenido=$(completar "${palabras[@]}")
  [ "$obtenido" = "$esperado" ] && bien "completado '$linea'" ||
    falla "completado '$linea': '$obtenido', se esperaba '$esperado'"
done <<'TABLA'
alcove-cli |attr cat check cmp convert dump find get header info ls new put ren rm sector track unrm 
alcove-cli l|ls 
alcove-cli --v|--version 
alcove-cli ls --b|--borrados 
alcove-cli -|--help --version -h 
alcove-cli info -|--formato --help --json --sumas -h 
alcove-cli get -|--borrados --force --formato --help --raw --texto -h -o 
alcove-cli dump -|--formato --help -h 
alcove-cli find --j|--json 
alcove-cli ls |carpeta coleccion.ZIP dos.DSK tres.dsk.gz uno.dsk 
alcove-cli get -o |carpeta 
alcove-cli cat |carpeta dos.DSK tres.dsk.gz uno.dsk 
alcove-cli find * |carpeta coleccion.ZIP dos.DSK tres.dsk.gz uno.dsk 
alcove-cli cat --formato |cf2dd data ibm pcw pcw720 plus3 romdos-d10 romdos-d2 romdos-d20 system vendor 
alcove-cli info --formato p|pcw pcw720 plus3 
alcove-cli ls --formato data |carpeta coleccion.ZIP dos.DSK tres.dsk.gz uno.dsk 
alcove-cli get --formato ibm |carpeta dos.DSK tres.dsk.gz uno.dsk 
alcove-cli find -j 2 *.BAS |carpeta coleccion.ZIP dos.DSK tres.dsk.gz uno.dsk 
alcove-cli find -|--help --json --silencioso -h -j -q 
alcove-cli rm |carpeta dos.DSK uno.dsk 
TABLA

# The command line.
comprobar_cli "$prefijo/bin/alcove-cli" "$version"

# The program itself, started from the prefix.
mkdir -p "$tmp/casa"
comprobar_ventana "$prefijo/bin/alcove" "$tmp/casa"

[ "$fallos" -eq 0 ] || { echo "$fallos comprobaciones fallidas" >&2; exit 1; }
echo "Instalación correcta"
