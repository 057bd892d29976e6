#!/usr/bin/env bash
# The manual pages, made by the build's own rule, are never hyphenated: man's
# English patterns would break Spanish words in the wrong places ("parámet-
# ros"). Each page is rendered as man shows it, at several widths, and no line
# may end in a word cut by a hyphen.
# Usage: man_sin_guiones.sh SCDOC
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
raiz=$(cd "$aqui/../.." && pwd)
. "$aqui/comun.sh"
scdoc=$1
temporal=$(mktemp -d)
trap 'rm -rf "$temporal"' EXIT

for pagina in alcove alcove-cli; do
  roff=$temporal/$pagina.1
  if ! cmake -DSCDOC="$scdoc" -DFUENTE="$raiz/docs/man/$pagina.1.scd" -DSALIDA="$roff" \
    -P "$raiz/cmake/PaginaManual.cmake"; then
    falla "$pagina: scdoc no hace la página"
    continue
  fi
  for ancho in 50 65 80 100; do
    # groff ends a hyphenated line in U+2010 after a letter; an option such as
    # --formato is never at a line's end with a letter before its dash.
    cortadas=$(MANWIDTH=$ancho man -l "$roff" 2>/dev/null | grep -E '[[:alpha:]](‐|-)$')
    if [[ -n $cortadas ]]; then
      falla "$pagina a $ancho columnas tiene palabras cortadas: $cortadas"
    fi
  done
  if MANWIDTH=80 man -l "$roff" 2>/dev/null | grep -q 'SALIDA JSON\|DESCRIPCI'; then
    bien "$pagina sin palabras cortadas"
  else
    falla "$pagina: man no la muestra"
  fi
done
exit $((fallos > 0))
