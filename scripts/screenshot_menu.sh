#!/usr/bin/env bash
# The README's picture of the package's entry in a desktop menu,
# docs/menu.png: the Debian package (scripts/package.sh) unpacked into a
# scratch root whose usr/share comes first in XDG_DATA_DIRS, as if it were
# installed, and rofi's application menu filtered to "quel", on a virtual
# screen. rofi, Xvfb and ImageMagick serve this picture alone; the program
# needs none of them.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
QUELVAR_PICTURE_PACKAGES=(rofi xvfb imagemagick)
quelvar_install_missing "${QUELVAR_PICTURE_PACKAGES[@]}"
bash scripts/package.sh >/dev/null
deb=$(ls build-paquete/quelvar_*.deb | tail -n 1)

scratch=$(mktemp -d)
xvfb=
menu=
cleanup() {
    if [ -n "$menu" ]; then kill "$menu" 2>/dev/null || true; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$scratch/raiz"

# A free display among :95 to :97.
display=
for n in 97 96 95; do
    if [ ! -e "/tmp/.X$n-lock" ]; then
        display=:$n
        break
    fi
done
[ -n "$display" ] || { echo "Las pantallas :95 a :97 están ocupadas." >&2; exit 1; }
Xvfb "$display" -screen 0 1024x600x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
until [ -S "/tmp/.X11-unix/X${display#:}" ]; do
    kill -0 "$xvfb" 2>/dev/null || { cat "$scratch/xvfb.log" >&2; xvfb=; exit 1; }
    sleep 0.1
done

home="$scratch/casa"
mkdir -p "$home"
DISPLAY=$display HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
    XDG_DATA_HOME=$home/.local/share XDG_DATA_DIRS="$scratch/raiz/usr/share:/usr/share" \
    rofi -show drun -show-icons -filter quel -font "DejaVu Sans 12" -markup-rows \
    -drun-display-format "{name} <span size='small'><i>({generic})</i></span>
<span size='small'>{comment}</span>" \
    -theme-str 'window { width: 720px; } listview { lines: 3; } element { padding: 6px; } element-icon { size: 48px; }' \
    >"$scratch/rofi.log" 2>&1 &
menu=$!

# Until the menu shows on the black screen; then a moment for its icons,
# which rofi loads after drawing the list.
shot="$scratch/pantalla.png"
for _ in $(seq 50); do
    sleep 0.2
    kill -0 "$menu" 2>/dev/null || { cat "$scratch/rofi.log" >&2; menu=; exit 1; }
    DISPLAY=$display import -window root "$shot"
    [ "$(convert "$shot" -format '%[fx:maxima]' info:)" = 0 ] || break
done
sleep 2
DISPLAY=$display import -window root "$shot"
mkdir -p docs
convert "$shot" -trim +repage docs/menu.png
echo "docs/menu.png"
