#!/usr/bin/env bash
# The disk manager in the real alcove.exe under Wine, with the mouse and keys
# of xdotool: a double-click opens the viewer and Esc closes it; a right-click
# opens the rows' menu, whose "Propiedades" shows the file's properties; a row
# dragged onto the other pane is copied there with its header; a row dragged
# onto another program's window arrives there as get extracts it; a file
# dragged from that program onto a pane is put on its image. The images and
# files are checked with the Linux alcove-cli. Leaves pictures of the viewer,
# the menu and the properties in CAPTURAS.
#   gestor_en_wine.sh ALCOVE_EXE WINE64 SAMPLES_DIR PANTALLAZO CAPTURAS ALCOVE_CLI ARRASTRE_EXE
# Uses the X display in DISPLAY, or starts a virtual one (Xvfb).
set -uo pipefail
exe=$1 wine=$2 muestras=$3 pantallazo=$4 capturas=$5 cli=$6 arrastre=$7

trabajo=$(mktemp -d)
xvfb=""
programas=()
limpiar() {
  for p in "${programas[@]}"; do kill "$p" 2>/dev/null; done
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
mkdir -p "$capturas" "$trabajo/discos" "$trabajo/fuera" "$trabajo/cli"
cp "$muestras/juegos.dsk" "$muestras/vacio.dsk" "$trabajo/discos/"
printf 'NOTAS DE PRUEBA\r\n\032' >"$trabajo/notas.txt"

fallos=0
fallo() {
  echo "FALLO: $*"
  fallos=$((fallos + 1))
}
# esperar_ventana NAME: the visible window whose title matches NAME, waited for.
esperar_ventana() {
  local w=""
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && break
    sleep 0.1
  done
  echo "$w"
}
# ya_no NAME: waits until no visible window matches NAME.
ya_no() {
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}
# arrastrar X1 Y1 X2 Y2: the left button pressed at one screen point, moved in
# small steps and let go at the other.
arrastrar() {
  xdotool mousemove "$1" "$2" mousedown 1
  for k in $(seq 1 25); do
    xdotool mousemove $(($1 + ($3 - $1) * k / 25)) $(($2 + ($4 - $2) * k / 25))
    sleep 0.04
  done
  sleep 0.5
  xdotool mousemove $(($3 + 1)) "$4"
  sleep 0.3
  xdotool mouseup 1
  sleep 1.5
}
# A path as Wine's programs see it, on drive Z:.
windows() { echo "Z:${1//\//\\}"; }
# extraido IMAGE FILE [--raw]: the file as the Linux alcove-cli gets it.
extraido() {
  rm -rf "$trabajo/cli/sacado" && mkdir -p "$trabajo/cli/sacado"
  "$cli" get "$1" "$2" ${3:-} -o "$trabajo/cli/sacado" >/dev/null 2>&1 &&
    cat "$trabajo/cli/sacado/$2"
}

(cd "$trabajo/discos" && exec "$wine" "$exe" >"$trabajo/alcove.log" 2>&1) &
programas+=($!)
ventana=$(esperar_ventana '^Alcove beta 1$')
if [ -z "$ventana" ]; then
  echo "la ventana no apareció"
  cat "$trabajo/alcove.log"
  exit 1
fi
sleep 1
# The client area is 894 x 551 pixels at 96 dots per inch, under the menu bar.
eval "$(xdotool getwindowgeometry --shell "$ventana")"
vx=$X vy=$Y m=$((HEIGHT - 551))
fila() { echo $((vy + m + 207 + 19 * $1)); } # row k of a pane's catalogue, on the screen
# Pane A: juegos.dsk, whose rows are DISC.BAS, DISC.BAK, GAME.BIN x3, LEVELS.DAT,
# SCREEN.SCR x2; pane B: vacio.dsk.
xdotool mousemove --window "$ventana" 312 $((m + 20)) click 1
sleep 0.7
xdotool mousemove --window "$ventana" 759 $((m + 17)) click 1
sleep 0.5
xdotool key Down
sleep 0.7

# The viewer of DISC.BAK, by a double-click; Esc closes it.
xdotool mousemove $((vx + 60)) "$(fila 1)" click --repeat 2 --delay 60 1
visor=$(esperar_ventana '^DISC\.BAK - Alcove$')
if [ -n "$visor" ]; then
  sleep 0.5
  "$pantallazo" "$capturas/windows-visor.png" "$visor"
  xdotool mousemove --window "$visor" 200 200 click 1
  sleep 0.3
  xdotool key Escape
  ya_no '^DISC\.BAK - Alcove$' || fallo "Esc no cerró el visor"
else
  fallo "el doble clic no abrió el visor"
fi

# The menu of GAME.BIN by a right-click; its third item is "Propiedades".
xdotool mousemove $((vx + 60)) "$(fila 2)" click 3
sleep 1
"$pantallazo" "$capturas/windows-menu.png"
xdotool mousemove $((vx + 90)) $(($(fila 2) + 55)) click 1
propiedades=$(esperar_ventana '^Propiedades$')
if [ -n "$propiedades" ]; then
  sleep 0.5
  "$pantallazo" "$capturas/windows-propiedades.png" "$propiedades"
  xdotool key Escape
  ya_no '^Propiedades$' || fallo "Esc no cerró Propiedades"
else
  fallo "el menú no mostró Propiedades"
fi

# The map of juegos.dsk, the last item but one of the rows' menu: a free
# sector (track 20's &C5) opened with a double-click, its first byte typed
# over in hex and written with Enter, as alcove-cli's sector writes it; then
# "Comprobar disco", the last item. The files the steps below move stay as
# they were.
cp "$trabajo/discos/juegos.dsk" "$trabajo/cli/sector.dsk"
"$cli" sector "$trabajo/cli/sector.dsk" 20 0 '&C5' --hex 41 >/dev/null 2>&1
xdotool mousemove $((vx + 60)) "$(fila 2)" click 3
sleep 1
xdotool key Up Up Return
mapa=$(esperar_ventana '^Mapa del disco: juegos\.dsk$')
if [ -n "$mapa" ]; then
  sleep 0.7
  "$pantallazo" "$capturas/windows-mapa.png" "$mapa"
  # The canvas is 760 x 480 pixels, 10 pixels into the client area; a track's
  # &C5, the fifth of nine sectors of 79 pixels, starts 30 + 4 x 79 pixels in,
  # and track 20's row 20 + 20 x 10 pixels down.
  eval "$(xdotool getwindowgeometry --shell "$mapa")"
  borde=$(((WIDTH - 780) / 2))
  arriba=$((HEIGHT - 570 - borde))
  xdotool mousemove --window "$mapa" $((borde + 10 + 30 + 4 * 79 + 39)) $((arriba + 10 + 20 + 200 + 4))
  sleep 0.3
  xdotool click --repeat 2 --delay 60 1
  sector=$(esperar_ventana '^Sector$')
  if [ -n "$sector" ]; then
    sleep 0.5
    "$pantallazo" "$capturas/windows-sector.png" "$sector"
    xdotool key --delay 50 Right Right Right Right Right Right 4 1 Return
    ya_no '^Sector$' || fallo "Intro no escribió el sector"
    sleep 1
    cmp -s "$trabajo/discos/juegos.dsk" "$trabajo/cli/sector.dsk" ||
      fallo "el sector no quedó como lo escribe alcove-cli sector"
  else
    fallo "el doble clic en el mapa no abrió el sector"
  fi
  mapa=$(esperar_ventana '^Mapa del disco: juegos\.dsk$')
  [ -n "$mapa" ] && xdotool key Escape
  ya_no '^Mapa del disco' || fallo "Esc no cerró el mapa"
else
  fallo "el menú no abrió el mapa del disco"
fi
xdotool mousemove $((vx + 60)) "$(fila 2)" click 3
sleep 1
xdotool key Up Return
comprobar=$(esperar_ventana '^Comprobar disco$')
if [ -n "$comprobar" ]; then
  sleep 0.5
  "$pantallazo" "$capturas/windows-comprobar.png" "$comprobar"
  xdotool key Escape
  ya_no '^Comprobar disco$' || fallo "Esc no cerró Comprobar disco"
else
  fallo "el menú no mostró Comprobar disco"
fi

# DISC.BAS onto pane B: copied with its header.
arrastrar $((vx + 60)) "$(fila 0)" $((vx + 600)) $((vy + m + 350))
if [ "$(extraido "$trabajo/discos/vacio.dsk" DISC.BAS --raw | od -An -tx1)" != \
  "$(extraido "$trabajo/discos/juegos.dsk" DISC.BAS --raw | od -An -tx1)" ]; then
  fallo "DISC.BAS no llegó entero al panel B"
fi

# LEVELS.DAT onto another program's window: the file get writes.
(exec "$wine" "$arrastre" soltar "$(windows "$trabajo/fuera")" 20 20 \
  >/dev/null 2>&1) &
programas+=($!)
[ -n "$(esperar_ventana '^Destino Alcove$')" ] || fallo "no apareció el destino"
sleep 0.5
arrastrar $((vx + 60)) "$(fila 5)" 120 95
if ! cmp -s "$trabajo/fuera/LEVELS.DAT" <(extraido "$trabajo/discos/juegos.dsk" LEVELS.DAT); then
  fallo "LEVELS.DAT no llegó a la otra ventana como lo saca get"
fi

# A host file from another program onto pane B: put as alcove-cli puts it.
cp "$trabajo/discos/vacio.dsk" "$trabajo/cli/esperado.dsk"
"$cli" put "$trabajo/cli/esperado.dsk" "$trabajo/notas.txt" >/dev/null 2>&1
(exec "$wine" "$arrastre" arrastrar "$(windows "$trabajo/notas.txt")" 300 20 \
  >/dev/null 2>&1) &
programas+=($!)
[ -n "$(esperar_ventana '^Origen Alcove$')" ] || fallo "no apareció el origen"
sleep 0.5
arrastrar 400 95 $((vx + 600)) $((vy + m + 350))
# The drop asks how the file goes on the disk, starting as put would.
poner=$(esperar_ventana '^Poner archivos$')
if [ -n "$poner" ]; then
  xdotool windowactivate --sync "$poner" 2>/dev/null || true
  xdotool key --window "$poner" Return
  ya_no '^Poner archivos$' || fallo "la pregunta de poner no se cerró"
else
  fallo "soltar no preguntó cómo poner el archivo"
fi
# The image is written once the question has gone: a loaded machine may take
# a moment more.
for _ in $(seq 100); do
  cmp -s "$trabajo/discos/vacio.dsk" "$trabajo/cli/esperado.dsk" && break
  sleep 0.1
done
cmp -s "$trabajo/discos/vacio.dsk" "$trabajo/cli/esperado.dsk" ||
  fallo "notas.txt no quedó en vacio.dsk como lo pone put"

echo "$fallos fallos"
[ "$fallos" -eq 0 ]
