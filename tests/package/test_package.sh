#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from this build,
# unpacked into a scratch root, and checked there: its exact files, its menu
# entry, its software centre description and its dependencies; then its
# programs are started from that root. The program is started as the menu
# starts it, by a user without a request folder, and stopped once the
# folder it made from the installed templates is in place and locked (the
# lock is taken after the folder's tables are checked, just before the
# window opens).
#
#   test_package.sh BUILD_DIR CPACK VERSION
set -euo pipefail

build=$1 cpack=$2 version=$3
app=mx.quelvar.Quelvar
failures=0

fail() {
    echo "FALLA: $*" >&2
    failures=$((failures + 1))
}
stop() {
    echo "FALLA: $*" >&2
    exit 1
}

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli cmp od; do
    command -v "$tool" >/dev/null || stop "falta la herramienta $tool (bash scripts/deps.sh la instala)"
done

work=$(mktemp -d)
program=
cleanup() {
    if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- The package -----------------------------------------------------------
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; stop "cpack no hizo el paquete"; }
deb="$work/cpack/quelvar_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/cpack" >&2; stop "no está el paquete $(basename "$deb")"; }
root="$work/raiz"
dpkg-deb -x "$deb" "$root"

# --- Its files, exactly ----------------------------------------------------
expected="$work/esperados"
sort >"$expected" <<LIST
/usr/bin/quelvar
/usr/bin/quelvar-tablas
/usr/share/applications/$app.desktop
/usr/share/icons/hicolor/128x128/apps/quelvar.png
/usr/share/icons/hicolor/256x256/apps/quelvar.png
/usr/share/icons/hicolor/48x48/apps/quelvar.png
/usr/share/icons/hicolor/64x64/apps/quelvar.png
/usr/share/icons/hicolor/scalable/apps/quelvar.svg
/usr/share/metainfo/$app.metainfo.xml
/usr/share/quelvar/consider.txt
/usr/share/quelvar/consideret.txt
/usr/share/quelvar/estados.csv
/usr/share/quelvar/paises.csv
/usr/share/quelvar/pedimentos.csv
/usr/share/quelvar/sectores.csv
/usr/share/quelvar/plantillas/Estados.dbf
/usr/share/quelvar/plantillas/Paises.dbf
/usr/share/quelvar/plantillas/Pedimentos.dbf
/usr/share/quelvar/plantillas/Sectores.dbf
/usr/share/quelvar/plantillas/empresas.dbf
/usr/share/quelvar/plantillas/exporped.dbf
/usr/share/quelvar/plantillas/factura.dbf
/usr/share/quelvar/plantillas/impTLC.dbf
/usr/share/quelvar/plantillas/insunit.dbf
/usr/share/quelvar/plantillas/insupedi.dbf
/usr/share/quelvar/plantillas/solicitu.dbf
LIST
(cd "$root" && find . ! -type d | sed 's|^\.||' | sort) >"$work/hallados"
diff -u "$expected" "$work/hallados" >&2 || fail "los archivos del paquete no son los esperados (- esperado, + en el paquete)"
for p in /usr/bin/quelvar /usr/bin/quelvar-tablas; do
    [ -x "$root$p" ] || fail "$p no es ejecutable"
done

# --- Menu entry, icons, description ----------------------------------------
desktop="$root/usr/share/applications/$app.desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate rechaza la entrada del menú"
[ -z "$out" ] || fail "desktop-file-validate: $out"
for line in Type=Application Exec=quelvar Icon=quelvar Categories=Office\; Terminal=false; do
    grep -qxF "$line" "$desktop" || fail "la entrada del menú no tiene «$line»"
done
grep -q '^Name=.' "$desktop" && grep -q '^Comment=.*impuestos' "$desktop" ||
    fail "la entrada del menú no tiene nombre o comentario en español"

# A bitmap's width and height, from its PNG header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }
for size in 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/quelvar.png"
    [ -f "$png" ] && [ "$(png_size "$png")" = "${size}x${size}" ] ||
        fail "el icono de ${size}x${size} no mide ${size}x${size}"
done

metainfo="$root/usr/share/metainfo/$app.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli rechaza la descripción"; }
grep -qF "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
    fail "la descripción no lleva a la entrada del menú $app.desktop"

# --- Dependencies -----------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for wanted in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins \
    qt6-translations-l10n fonts-liberation2 fonts-dejavu-core; do
    tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//' | grep -qxF "$wanted" ||
        fail "Depends no nombra $wanted"
done

# --- quelvar-tablas from the package ---------------------------------------
bin="$root/usr/bin"
templates="$root/usr/share/quelvar/plantillas"
tables=$(cd "$templates" && ls)

# The templates are the request folder the installed tool makes.
"$bin/quelvar-tablas" crear "$work/hecha" >/dev/null || fail "quelvar-tablas crear falló"
for t in $tables; do
    "$bin/quelvar-tablas" mostrar "$templates/$t" >"$work/plantilla.csv" || fail "quelvar-tablas no abre la plantilla $t"
    "$bin/quelvar-tablas" mostrar "$work/hecha/$t" >"$work/hecha.csv" || fail "quelvar-tablas no abre $t"
    cmp -s "$work/plantilla.csv" "$work/hecha.csv" || fail "la plantilla $t no es la que hace quelvar-tablas"
done

# The installed tool reads the installed catalogues: a state added to them
# shows in the folder it makes.
catalogue="$root/usr/share/quelvar/estados.csv"
cp "$catalogue" "$work/estados.csv"
echo "99,ESTADO DEL PAQUETE" >>"$catalogue"
"$bin/quelvar-tablas" crear "$work/marcada" >/dev/null || fail "quelvar-tablas crear falló"
"$bin/quelvar-tablas" mostrar "$work/marcada/Estados.dbf" >"$work/marcada.csv" || fail "quelvar-tablas no abre Estados.dbf"
grep -qx "99,ESTADO DEL PAQUETE" "$work/marcada.csv" || fail "quelvar-tablas no tomó los catálogos instalados"
cp "$work/estados.csv" "$catalogue"

# --- The program's help, in a terminal without a screen ---------------------
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/quelvar" --help >"$work/ayuda.txt" 2>&1 ||
    { cat "$work/ayuda.txt" >&2; fail "quelvar --help falló sin pantalla"; }
grep -q '^Uso: quelvar \[CARPETA\]' "$work/ayuda.txt" || fail "quelvar --help no da el uso"

# --- The program, started from the menu by a new user ----------------------
# The installed templates get that state too, and the catalogues do not:
# the user's folder shows which of them it was made from.
cp "$work/marcada/Estados.dbf" "$templates/Estados.dbf"
home="$work/casa"
mkdir "$home"
folder="$home/.local/share/quelvar/solicitud"
(cd "$home" && exec env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$bin/quelvar" \
    >"$work/quelvar.log" 2>&1) &
program=$!
# Until the program locks the folder, or ends; a program that hangs is ended
# by CTest's timeout.
until [ -e "$folder/.quelvar.lock" ]; do
    kill -0 "$program" 2>/dev/null || { cat "$work/quelvar.log" >&2; program=; stop "quelvar terminó sin abrir la carpeta"; }
    sleep 0.2
done
kill -0 "$program" 2>/dev/null || { cat "$work/quelvar.log" >&2; program=; stop "quelvar terminó tras abrir la carpeta"; }
kill "$program"
wait "$program" 2>/dev/null || true
program=

for t in $tables; do
    if [ ! -f "$folder/$t" ]; then
        fail "la carpeta del usuario no tiene $t"
        continue
    fi
    cmp -s "$templates/$t" "$folder/$t" || fail "$t de la carpeta del usuario no es la plantilla instalada"
    [ "$(stat -c %A "$folder/$t" | cut -c3)" = w ] || fail "$t de la carpeta del usuario no es del usuario para escribir"
done
leftover=$(cd "$folder" && ls -A | grep -v '\.dbf$' | grep -vxF .quelvar.lock || true)
[ -z "$leftover" ] || fail "la carpeta del usuario tiene de más: $leftover"

if [ "$failures" -gt 0 ]; then
    echo "$failures fallas" >&2
    exit 1
fi
echo "Paquete correcto: $(basename "$deb")"
