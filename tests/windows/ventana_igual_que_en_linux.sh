#!/usr/bin/env bash
# The same clicks and keys on the Linux window and, under Wine, on alcove.exe,
# each in a folder of the sample images: what each window's own controls hold
# after every event (its tests' dump, ALCOVE_VOLCADO_VENTANA: the status bar
# and both panes' rows, sort and icons) must match line for line. Leaves
# screenshots of both windows, and of alcove.exe's about window, in CAPTURAS.
#   ventana_igual_que_en_linux.sh ALCOVE_LINUX ALCOVE_EXE WINE64 SAMPLES_DIR PANTALLAZO CAPTURAS
# Uses the X display in DISPLAY, or starts a virtual one (Xvfb).
set -uo pipefail
linux=$1 exe=$2 wine=$3 muestras=$4 pantallazo=$5 capturas=$6

trabajo=$(mktemp -d)
xvfb=""
programa=""
limpiar() {
  [ -n "$programa" ] && kill "$programa" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$trabajo"
}
trap limpiar EXIT
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$trabajo/pantalla" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$trabajo/pantalla" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$trabajo/pantalla")"
fi
mkdir -p "$capturas"

# esperar_registros FILE N: waits until the dump holds N records.
esperar_registros() {
  for _ in $(seq 100); do
    [ "$(grep -c '^== ' "$1" 2>/dev/null)" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# probar NAME COMMAND...: runs the window in its own copy of the samples, drives
# it and leaves its dump in $trabajo/NAME.txt and its picture in CAPTURAS.
probar() {
  local nombre=$1
  shift
  local carpeta="$trabajo/$nombre-muestras" volcado="$trabajo/$nombre.txt"
  mkdir -p "$carpeta"
  cp "$muestras"/*.dsk "$muestras"/*.DSK "$carpeta/"
  : >"$volcado"
  (cd "$carpeta" && exec env ALCOVE_VOLCADO_VENTANA="$volcado" QT_QPA_PLATFORM=xcb "$@" \
    >"$trabajo/$nombre.log" 2>&1) &
  programa=$!
  local ventana=""
  for _ in $(seq 300); do
    ventana=$(xdotool search --onlyvisible --name '^Alcove beta 1$' 2>/dev/null | head -n 1)
    [ -n "$ventana" ] && break
    sleep 0.1
  done
  if [ -z "$ventana" ]; then
    echo "$nombre: la ventana no apareció"
    cat "$trabajo/$nombre.log"
    return 1
  fi
  sleep 1
  # The client area is 894 x 551 pixels at 96 dots per inch; the menu bar
  # above it is each toolkit's own height.
  local alto
  alto=$(xdotool getwindowgeometry "$ventana" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
  local m=$((alto - 551)) n=0
  paso() { # a click at x, y or a key; then the event's record
    if [ "$1" = tecla ]; then
      xdotool key "$2"
    else
      xdotool mousemove --window "$ventana" "$1" $((m + $2)) click 1
    fi
    n=$((n + 1))
    esperar_registros "$volcado" "$n" || {
      echo "$nombre: el suceso $n no llegó"
      return 1
    }
  }
  # Pane A: its first image, then the next three and back one by keyboard.
  paso 312 20 && paso tecla Down && paso tecla Down && paso tecla Down && paso tecla Up &&
    # Pane B: the first two images; then "EXT" in pane B and "KB" in pane A.
    paso 759 17 && paso tecla Down && paso 602 190 && paso 215 190 || return 1
  sleep 0.5
  "$pantallazo" "$capturas/$nombre.png" "$ventana"
  ventana_=$ventana
  arriba_=$m
}

fallos=0
probar linux "$linux" || fallos=$((fallos + 1))
kill "$programa" 2>/dev/null
wait "$programa" 2>/dev/null
programa=""

if probar windows "$wine" "$exe"; then
  # The about window, from the menu just above the client area: "Ayuda",
  # then its one item.
  xdotool mousemove --window "$ventana_" 120 $((arriba_ - 10)) click 1
  sleep 0.5
  xdotool mousemove --window "$ventana_" 150 $((arriba_ + 10)) click 1
  for _ in $(seq 100); do
    acerca=$(xdotool search --onlyvisible --name '^Acerca de Alcove beta 1$' 2>/dev/null | head -n 1)
    [ -n "$acerca" ] && break
    sleep 0.1
  done
  sleep 1
  [ -n "${acerca:-}" ] && "$pantallazo" "$capturas/windows-acerca.png" "$acerca"
else
  fallos=$((fallos + 1))
fi
kill "$programa" 2>/dev/null
programa=""

if [ "$fallos" -eq 0 ] && ! diff -u "$trabajo/linux.txt" "$trabajo/windows.txt"; then
  echo "DISTINTO: lo que muestran las dos ventanas"
  fallos=$((fallos + 1))
fi
echo "$(grep -c '^== ' "$trabajo/linux.txt") sucesos comparados; $fallos diferencias"
[ "$fallos" -eq 0 ]
