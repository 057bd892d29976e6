# Shared by the installation and package checks: a failure count, and the
# program started on a virtual X server with its window and icon checked.

fallos=0
falla() {
  echo "FALLO: $*" >&2
  fallos=$((fallos + 1))
}
bien() { echo "ok: $*"; }

# comprobar_cli BINARIO VERSION: the command line runs and names its version.
comprobar_cli() {
  local salida
  if salida=$("$1" --version 2>&1) && [[ $salida == *"$2"* ]]; then
    bien "alcove-cli --version: $salida"
  else
    falla "alcove-cli --version: $salida"
  fi
}

# Sizes of the icon the build draws, as the hicolor theme and the window get them.
lados_icono=(16 22 24 32 48 64 128 256)

# comprobar_ventana BINARIO CARPETA: starts BINARIO on its own Xvfb, in
# CARPETA, waits for the main window and checks that _NET_WM_ICON holds the
# program's icon at every size, with the label's dark blue and yellow.
comprobar_ventana() {
  local binario=$1 carpeta=$2
  local fd_pantalla pantalla xvfb programa
  exec {fd_pantalla}<> <(:)
  Xvfb -displayfd "$fd_pantalla" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  if ! read -r -t 15 pantalla <&"$fd_pantalla"; then
    falla "Xvfb no ha arrancado"
    kill "$xvfb" 2>/dev/null
    return
  fi
  exec {fd_pantalla}<&-
  (cd "$carpeta" && exec env -u QT_QPA_PLATFORM DISPLAY=":$pantalla" HOME="$carpeta" \
    XDG_RUNTIME_DIR="$carpeta" "$binario") >"$carpeta/alcove.log" 2>&1 &
  programa=$!

  local ventana="" i
  for ((i = 0; i < 150; i++)); do
    ventana=$(DISPLAY=":$pantalla" xwininfo -root -tree 2>/dev/null |
      awk '/"Alcove beta 1"/ { print $1; exit }')
    [ -n "$ventana" ] && break
    kill -0 "$programa" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$ventana" ]; then
    falla "$binario no ha mostrado su ventana"
    cat "$carpeta/alcove.log" >&2
  else
    bien "$binario muestra su ventana ($ventana)"
    # The property as numbers: width, height, then width x height ARGB pixels,
    # once per size.
    DISPLAY=":$pantalla" xprop -len 4000000 -id "$ventana" -f _NET_WM_ICON 32c _NET_WM_ICON |
      sed -e 's/^[^=]*= *//' | tr -d ' ' | tr ',' '\n' >"$carpeta/icono.txt"
    local resumen
    resumen=$(awk '
      BEGIN { azul = 4278190250; amarillo = 4294967040 }
      { v[NR] = $1 }
      END {
        i = 1
        while (i + 1 <= NR) {
          w = v[i]; h = v[i + 1]; a = 0; y = 0
          if (w <= 0 || h <= 0 || i + 1 + w * h > NR) { print "roto"; exit }
          for (j = i + 2; j < i + 2 + w * h; j++) { if (v[j] == azul) a++; if (v[j] == amarillo) y++ }
          printf "%dx%d:%s ", w, h, (a > 0 && y > 0) ? "colores" : "sin-colores"
          i += 2 + w * h
        }
      }' "$carpeta/icono.txt")
    local lado
    for lado in "${lados_icono[@]}"; do
      if [[ " $resumen" == *" ${lado}x${lado}:colores "* ]]; then
        bien "icono de la ventana de ${lado} px"
      else
        falla "falta el icono de ${lado} px en _NET_WM_ICON (hay: ${resumen:-nada})"
      fi
    done
  fi
  kill "$programa" 2>/dev/null
  wait "$programa" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  return 0
}
