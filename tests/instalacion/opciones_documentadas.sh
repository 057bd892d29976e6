#!/usr/bin/env bash
# Keeps the manual page and the bash completion in step with the program: for
# every command its --help lists, each option (with the name of its value) and
# the arguments must be in the page's synopsis, each option must have its own
# entry under the command (or under OPCIONES GENERALES for -h and --help), and
# the completion must offer it. So must every name --formato takes, and every
# viewer cat --tipo takes.
# Usage: opciones_documentadas.sh ALCOVE-CLI
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
raiz=$(cd "$aqui/../.." && pwd)
. "$aqui/comun.sh"
cli=$1
pagina=$raiz/docs/man/alcove-cli.1.scd
completado=$raiz/data/bash-completion/alcove-cli

# opciones [ORDEN]: "OPCION VALOR" per line from the help (VALOR may be empty).
opciones() {
  "$cli" "$@" --help | awk '
    /^Opciones:/ { dentro = 1; next }
    /^[^ ]/ { dentro = 0 }
    dentro && $1 ~ /^-/ {
      n = split($1, nombres, ","); valor = ""
      if ($2 ~ /^[A-Z][A-Z.]*(:|$)/) { valor = $2; sub(/:.*/, "", valor) }
      for (i = 1; i <= n; i++) print nombres[i], valor
    }'
}
# ofrecido PALABRA...: what bash completion offers for the last word.
ofrecido() {
  bash -c '
    . /usr/share/bash-completion/bash_completion
    . "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _alcove_cli alcove-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf " %s" "${COMPREPLY[@]}"; echo " "' _ "$completado" "$@"
}
# entrada ORDEN: the page's text for ORDEN under ÓRDENES, up to the next one.
entrada() {
  awk -v orden="*$1*" '
    /^# / { seccion = $0 }
    seccion == "# ÓRDENES" && /^\*/ { dentro = ($1 == orden) }
    dentro' "$pagina"
}

ordenes=$("$cli" --help | awk '/^Órdenes:/ { d = 1; next } /^[^ ]/ { d = 0 } d { print $1 }')
[ -n "$ordenes" ] || falla "alcove-cli --help no lista órdenes"
ofrece=$(ofrecido alcove-cli '')
for orden in $ordenes; do
  [[ $ofrece == *" $orden "* ]] || falla "el completado no ofrece la orden $orden"
done

while read -r opcion valor; do
  grep -qF "*$opcion*" <<<"$(grep '^\*alcove-cli\* \[' "$pagina")" ||
    falla "la sinopsis no tiene la opción general $opcion"
  [[ $(ofrecido alcove-cli -) == *" $opcion "* ]] || falla "el completado no ofrece $opcion"
done < <(opciones)

for orden in $ordenes; do
  sinopsis=$(grep "^\*alcove-cli\* \*$orden\* " "$pagina")
  # Arguments as the usage line names them, in the page's markup: _IMAGEN_...
  argumentos=$("$cli" "$orden" --help | sed -n 's/^Uso: alcove-cli [^ ]* \[OPCIONES\] //p' |
    sed -E 's/([A-Z]+)/_\1_/g')
  [[ $sinopsis == *" $argumentos" ]] ||
    falla "$orden: la sinopsis '$sinopsis' no acaba en '$argumentos'"
  texto=$(entrada "$orden")
  [ -n "$texto" ] || falla "$orden: no tiene entrada en ÓRDENES"
  ofrece=$(ofrecido alcove-cli "$orden" -)
  [ -n "$(opciones "$orden")" ] || falla "$orden --help no lista opciones"
  while read -r opcion valor; do
    marcada="*$opcion*${valor:+ _${valor}_}"
    if [ "$opcion" = -h ] || [ "$opcion" = --help ]; then
      grep -qF "*$opcion*" <<<"$(sed -n '/^# OPCIONES GENERALES/,/^# /p' "$pagina")" ||
        falla "OPCIONES GENERALES no tiene $opcion"
    else
      grep -qF "[$marcada]" <<<"$sinopsis" || falla "$orden: la sinopsis no tiene [$marcada]"
      grep -qxF "	$marcada" <<<"$texto" || falla "$orden: la entrada no explica $marcada"
    fi
    [[ $ofrece == *" $opcion "* ]] || falla "$orden: el completado no ofrece $opcion"
  done < <(opciones "$orden")
done

# The names --formato takes, as the error for an unknown one lists them.
formatos=$("$cli" ls --formato ninguno x.dsk 2>&1 | sed -n 's/.*los conocidos: //p' | tr -d ,)
[ -n "$formatos" ] || falla "--formato desconocido no lista los formatos"
ofrece=$(ofrecido alcove-cli ls --formato '')
explicados=$(sed -n '/^# FORMATOS/,/^# /p' "$pagina")
for formato in $formatos; do
  grep -qF "*$formato*" <<<"$explicados" || falla "FORMATOS no tiene $formato"
  [[ $ofrece == *" $formato "* ]] || falla "el completado de --formato no ofrece $formato"
done

# The viewers cat --tipo takes, as the error for an unknown one lists them.
visores=$("$cli" cat --tipo ninguno x.dsk X 2>&1 | sed -n 's/.*visor desconocido: ninguno (\(.*\))$/\1/p' |
  sed 's/,//g; s/ o / /')
[ -n "$visores" ] || falla "--tipo desconocido no lista los visores"
ofrece=$(ofrecido alcove-cli cat --tipo '')
explicados=$(entrada cat)
for visor in $visores; do
  grep -qF -- "- *$visor*" <<<"$explicados" || falla "cat no explica el visor $visor"
  [[ $ofrece == *" $visor "* ]] || falla "el completado de cat --tipo no ofrece $visor"
done

[ "$fallos" -eq 0 ] || { echo "$fallos opciones sin documentar" >&2; exit 1; }
echo "Página y completado al día con la ayuda"
