#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from this build,
# unpacked into a scratch root and checked there (its exact files, menu
# entry, icons, description and dependencies); then its programs are run
# from that root, quelvar as the menu starts it for a new user, until it has
# made and locked the user's request folder from the installed templates.
#
#   test_package.sh BUILD_DIR CPACK VERSION
set -euo pipefail
build=$1 cpack=$2 version=$3 app=mx.quelvar.Quelvar failures=0
fail() { echo "FALLA: $*" >&2; failures=$((failures + 1)); }
stop() { echo "FALLA: $*" >&2; exit 1; }
for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli cmp od; do
    command -v "$tool" >/dev/null || stop "falta la herramienta $tool (bash scripts/deps.sh la instala)"
done
work=$(mktemp -d) program=
trap '[ -z "$program" ] || kill "$program" 2>/dev/null; rm -rf "$work"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; stop "cpack no hizo el paquete"; }
deb="$work/cpack/quelvar_${version}_$(dpkg --print-architecture).deb" root="$work/raiz"
[ -f "$deb" ] || stop "no está el paquete $(basename "$deb")"
dpkg-deb -x "$deb" "$root"
share=/usr/share/quelvar templates="$root/usr/share/quelvar/plantillas" bin="$root/usr/bin"
printf '%s\n' /usr/bin/quelvar{,-tablas} /usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml \
    /usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/quelvar.png /usr/share/icons/hicolor/scalable/apps/quelvar.svg \
    $share/{consider.txt,consideret.txt,estados.csv,paises.csv,pedimentos.csv,sectores.csv} \
    $share/plantillas/{Estados,Paises,Pedimentos,Sectores,empresas,exporped,factura,impTLC,insunit,insupedi,solicitu}.dbf |
    sort >"$work/esperados"
(cd "$root" && find . ! -type d | sed 's|^\.||' | sort) | diff -u "$work/esperados" - >&2 ||
    fail "los archivos del paquete no son los esperados (- esperado, + en el paquete)"

desktop="$root/usr/share/applications/$app.desktop" metainfo="$root/usr/share/metainfo/$app.metainfo.xml"
[ -z "$(desktop-file-validate "$desktop" 2>&1)" ] || fail "desktop-file-validate rechaza la entrada del menú"
grep -qx 'Exec=quelvar' "$desktop" && grep -q '^Comment=.*impuestos' "$desktop" || fail "la entrada del menú no abre quelvar o no está en español"
for size in 48 64 128 256; do
    [ "$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/quelvar.png" |
        awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')" = "${size}x${size}" ] || fail "el icono de $size no mide ${size}x${size}"
done
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli rechaza la descripción"
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/[ (].*//')
for wanted in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins qt6-translations-l10n \
    fonts-liberation2 fonts-dejavu-core; do
    grep -qxF "$wanted" <<<"$depends" || fail "Depends no nombra $wanted"
done

# The templates are the folder the installed tool makes, from the installed
# catalogues (a state added to them shows).
tables=$(cd "$templates" && ls)
cp "$root$share/estados.csv" "$work/estados.csv" && echo "99,ESTADO DEL PAQUETE" >>"$root$share/estados.csv"
"$bin/quelvar-tablas" crear "$work/hecha" >/dev/null || fail "quelvar-tablas crear falló"
for t in $tables; do
    cmp -s <("$bin/quelvar-tablas" mostrar "$templates/$t" | grep -v 'ESTADO DEL PAQUETE') \
        <("$bin/quelvar-tablas" mostrar "$work/hecha/$t" | grep -v 'ESTADO DEL PAQUETE') ||
        fail "la plantilla $t no es la que hace quelvar-tablas"
done
"$bin/quelvar-tablas" mostrar "$work/hecha/Estados.dbf" | grep -qx "99,ESTADO DEL PAQUETE" ||
    fail "quelvar-tablas no tomó los catálogos instalados"
cp "$work/estados.csv" "$root$share/estados.csv"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/quelvar" --help 2>&1 | grep -q '^Uso: quelvar \[CARPETA\]' ||
    fail "quelvar --help no da el uso sin pantalla"

# The program from the menu: the installed templates get the marked state,
# so that the user's folder shows where it came from.
cp "$work/hecha/Estados.dbf" "$templates/Estados.dbf"
home="$work/casa" && mkdir "$home" && folder="$home/.local/share/quelvar/solicitud"
(cd "$home" && exec env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$bin/quelvar" >"$work/quelvar.log" 2>&1) &
program=$!
until [ -e "$folder/.quelvar.lock" ]; do # a program that hangs is ended by CTest's timeout
    kill -0 "$program" 2>/dev/null || { cat "$work/quelvar.log" >&2; program=; stop "quelvar terminó sin abrir la carpeta"; }
    sleep 0.2
done
kill "$program" && wait "$program" 2>/dev/null || true
program=
for t in $tables; do
    cmp -s "$templates/$t" "$folder/$t" || fail "$t de la carpeta del usuario no es la plantilla instalada"
    [ "$(stat -c %A "$folder/$t" | cut -c3)" = w ] || fail "$t de la carpeta del usuario no es del usuario para escribir"
done
[ -z "$(cd "$folder" && ls -A | grep -v '\.dbf$' | grep -vxF .quelvar.lock)" ] || fail "la carpeta del usuario tiene de más"
[ "$failures" -eq 0 ] || stop "$failures fallas"
echo "Paquete correcto: $(basename "$deb")"
