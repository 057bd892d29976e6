#!/usr/bin/env bash
# Checks the .deb that scripts/package builds: its control fields (Depends as
# dpkg-shlibdeps found them), its contents, lintian's verdict, and the programs
# run out of an extracted copy.
# Usage: probar_paquete.sh PAQUETE.deb VERSION
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
raiz=$(cd "$aqui/../.." && pwd)
. "$aqui/comun.sh"
deb=$1 version=$2

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# campo NOMBRE: one field of the control file.
campo() { dpkg-deb --field "$deb" "$1"; }
[ "$(campo Package)" = alcove ] || falla "Package: $(campo Package)"
[ "$(campo Version)" = "$version" ] || falla "Version: $(campo Version), se esperaba $version"
[ "$(campo Architecture)" = "$(dpkg --print-architecture)" ] || falla "Architecture: $(campo Architecture)"
[[ $(campo Maintainer) == *"<"*"@"*">" ]] || falla "Maintainer: $(campo Maintainer)"
[ -n "$(campo Description)" ] || falla "sin Description"
# Depends comes from the binaries: the C and C++ runtimes, Qt's libraries and
# zlib, which alcove-cli inflates zipped images with; and names the libraries
# loaded only when used, which no binary lists: Nettle and libpng.
depende=$(campo Depends)
for biblioteca in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 zlib1g libnettle8 \
  libpng16-16; do
  tr ',' '\n' <<<"$depende" | awk '{ print $1 }' | grep -qxF "$biblioteca" ||
    falla "Depends no nombra $biblioteca: $depende"
done
dpkg-deb --info "$deb" >/dev/null && bien "dpkg-deb --info: $depende"

# The files, each owned by root.
dpkg-deb --contents "$deb" >"$tmp/contenido.txt"
esperados=(
  ./usr/bin/alcove
  ./usr/share/applications/alcove.desktop
  ./usr/share/metainfo/example.alcove.Alcove.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/alcove.svg
  ./usr/share/man/man1/alcove.1.gz
  ./usr/share/doc/alcove/copyright
  ./usr/share/doc/alcove/changelog.gz
)
for lado in "${lados_icono[@]}"; do
  esperados+=("./usr/share/icons/hicolor/${lado}x${lado}/apps/alcove.png")
done
esperados+=(./usr/bin/alcove-cli ./usr/share/man/man1/alcove-cli.1.gz
  ./usr/share/bash-completion/completions/alcove-cli)
for archivo in "${esperados[@]}"; do
  awk -v a="$archivo" '$6 == a { e = 1 } END { exit !e }' "$tmp/contenido.txt" ||
    falla "el paquete no lleva $archivo"
done
ajenos=$(awk '$2 != "root/root"' "$tmp/contenido.txt")
[ -z "$ajenos" ] || falla "archivos que no son de root: $ajenos"
bien "dpkg-deb --contents: $(wc -l <"$tmp/contenido.txt") entradas"

# lintian: no errors; the warnings are printed for the record.
lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.txt" 2>"$tmp/lintian.err"
estado=$?
if [ "$estado" -ne 0 ] || grep -q '^E:' "$tmp/lintian.txt"; then
  falla "lintian ($estado): $(grep '^E:' "$tmp/lintian.txt") $(grep -v 'root privileges' "$tmp/lintian.err")"
else
  bien "lintian sin errores"
fi
grep -v '^E:' "$tmp/lintian.txt" | sed 's/^/  lintian: /'

# The programs, run out of an extracted copy.
dpkg-deb -x "$deb" "$tmp/raiz"
comprobar_cli "$tmp/raiz/usr/bin/alcove-cli" "$version"
mkdir -p "$tmp/casa"
comprobar_ventana "$tmp/raiz/usr/bin/alcove" "$tmp/casa"

[ "$fallos" -eq 0 ] || { echo "$fallos comprobaciones fallidas" >&2; exit 1; }
echo "Paquete correcto"
