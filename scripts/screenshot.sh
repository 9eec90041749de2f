#!/usr/bin/env bash
# Makes the README's pictures of the request window, without a screen.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quelvar-captura
mkdir -p docs
export QT_QPA_PLATFORM=offscreen
build/bin/quelvar-captura docs/ventana.png 0
build/bin/quelvar-captura docs/ventana-costos.png 4
echo "docs/ventana.png y docs/ventana-costos.png"
