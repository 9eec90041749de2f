#!/usr/bin/env bash
# Installs what is missing, builds QUELVAR and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
quelvar_install_missing
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
if [ -x build/bin/quelvar ]; then
    exec build/bin/quelvar "$@"
fi
echo "Compilación terminada. La carpeta de solicitud está lista en build/bin."
echo "La ventana de la solicitud todavía no forma parte de esta versión: no hay programa que iniciar."
