#!/usr/bin/env bash
# Installs the Debian packages QUELVAR needs to build, run, test and package,
# when any is missing. Sourced by run.sh, test.sh and the other scripts.
QUELVAR_PACKAGES=(
    cmake g++ make
    qt6-base-dev qt6-translations-l10n fonts-dejavu-core fonts-liberation2
    libquazip1-qt6-dev libxlsxwriter-dev python3-openpyxl
    poppler-utils
    python3-dbf dbview
    ccache
    librsvg2-bin
    dpkg-dev desktop-file-utils appstream
)
# What scripts/fuzz.sh needs besides: clang and its libFuzzer runtime.
QUELVAR_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# Only the benchmarks use these (scripts/bench.sh); the program, its build,
# its tests and its package never do.
QUELVAR_BENCH_PACKAGES=(
    hyperfine
)

# quelvar_install_missing [PACKAGE...]: those packages, or QUELVAR_PACKAGES.
quelvar_install_missing() {
    local wanted=("$@")
    [ ${#wanted[@]} -gt 0 ] || wanted=("${QUELVAR_PACKAGES[@]}")
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Faltan paquetes. Instálelos con:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Instalando: ${missing[*]}"
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}
