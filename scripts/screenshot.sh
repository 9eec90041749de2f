#!/usr/bin/env bash
# Makes the README's pictures of the request window and of its printed
# first page, without a screen.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quelvar-captura
mkdir -p docs
export QT_QPA_PLATFORM=offscreen
build/bin/quelvar-captura docs/ventana.png 0
build/bin/quelvar-captura docs/ventana-costos.png 4
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
build/bin/quelvar-captura "$scratch/solicitud.pdf"
pdftoppm -r 80 -png -f 1 -l 1 -singlefile "$scratch/solicitud.pdf" docs/impresion
echo "docs/ventana.png, docs/ventana-costos.png y docs/impresion.png"
