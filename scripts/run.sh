#!/usr/bin/env bash
# Installs what is missing, builds QUELVAR and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
quelvar_install_missing
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# The build leaves a request folder beside the program; another folder can be
# named on the command line.
exec build/bin/quelvar "$@"
