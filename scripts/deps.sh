#!/usr/bin/env bash
# Installs the Debian packages QUELVAR needs to build, run and test, when any
# is missing. Sourced by run.sh and test.sh.
QUELVAR_PACKAGES=(
    cmake g++ make
    qt6-base-dev qt6-translations-l10n fonts-dejavu-core fonts-liberation2
    poppler-utils
    python3-dbf dbview
    ccache
)
# What scripts/fuzz.sh needs besides: clang and its libFuzzer runtime.
QUELVAR_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# Installs the given packages, or QUELVAR_PACKAGES when none is given.
quelvar_install_missing() {
    local missing=() wanted=("$@")
    [ ${#wanted[@]} -gt 0 ] || wanted=("${QUELVAR_PACKAGES[@]}")
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
