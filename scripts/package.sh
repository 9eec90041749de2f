#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, compiles the programs
# in Release in build-paquete/ and runs CPack's DEB generator there. Leaves
# build-paquete/quelvar_<versión>_<arquitectura>.deb, e.g.
# build-paquete/quelvar_3.0_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
quelvar_install_missing
# Only what the package holds is built (the programs, the templates and the
# icons): CPack's install step is kept from building everything else.
cmake -S . -B build-paquete -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build build-paquete -j"$(nproc)" --target quelvar quelvar-tablas installed_files
(cd build-paquete && cpack -G DEB)
ls build-paquete/quelvar_*.deb
