#!/usr/bin/env bash
# Builds QUELVAR and measures it whole: the program benchmark over a request
# of 100,000 imported goods and 10,000 rows in each other grid, then
# `quelvar-tablas mostrar` against dbview dumping the same imported goods.
# Both run on the second core (taskset -c 1), apart from whatever the first
# is doing.
#
#   bash scripts/bench.sh [CORRIDAS]      (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
quelvar_install_missing
quelvar_install_missing "${QUELVAR_BENCH_PACKAGES[@]}"
runs="${1:-7}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVAR_WERROR=ON
cmake --build build -j2

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "Máquina: $(nproc) núcleos, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
taskset -c 1 build/bin/quelvar-bench-programa "$runs" --carpeta "$work/solicitud"

echo
echo "quelvar-tablas mostrar y dbview sobre la misma tabla insupedi de 100 000 registros:"
table="$work/solicitud/insupedi.dbf"
hyperfine -N --warmup 3 --runs 20 \
    "taskset -c 1 build/bin/quelvar-tablas mostrar $table" \
    "taskset -c 1 dbview -b -t -d , $table"
