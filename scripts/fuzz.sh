#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs them one after the
# other, each in one process at low priority:
#
#   scripts/fuzz.sh [objetivo] [ejecuciones]
#
# objetivo: tabla, reglas, reporte or todos (the default); ejecuciones: the
# inputs each target tries (10,000,000 by default). Each run starts from a
# scratch copy of the seed corpus (fuzz/corpus/<objetivo>, which stays
# untouched) in build-fuzz/corpus/<objetivo>; what breaks something is left
# in build-fuzz/hallazgos/<objetivo>/ and the whole output in
# build-fuzz/registro-<objetivo>.txt. Prints at the end, per target, the
# executions, exec/s, cov and ft figures and the files of findings; exits
# non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
target="${1:-todos}"
runs="${2:-10000000}"
case "$target" in
    todos) targets=(tabla reglas reporte) ;;
    tabla | reglas | reporte) targets=("$target") ;;
    *) echo "objetivo desconocido: $target (tabla, reglas, reporte o todos)" >&2; exit 2 ;;
esac

source scripts/deps.sh
quelvar_install_missing "${QUELVAR_PACKAGES[@]}" "${QUELVAR_FUZZ_PACKAGES[@]}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVAR_FUZZ=ON \
    -DQUELVAR_WERROR=ON >/dev/null
nice -n 10 cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"

max_len() {
    case "$1" in
        reglas) echo 512 ;;
        *) echo 8192 ;;
    esac
}

# Shorter allocation stacks, no filling of new blocks and a smaller
# quarantine make the runs faster;
# a finding replayed by the test run gets the full reports.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=5:max_malloc_fill_size=0:quarantine_size_mb=64}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
failed=0
for t in "${targets[@]}"; do
    corpus="build-fuzz/corpus/$t"
    findings="build-fuzz/hallazgos/$t"
    log="build-fuzz/registro-$t.txt"
    rm -rf "$corpus"
    mkdir -p "$corpus" "$findings"
    cp fuzz/corpus/"$t"/* "$corpus"/
    echo "== $t: $runs ejecuciones (registro en $log)"
    status=0
    nice -n 10 "build-fuzz/bin/fuzz_$t" "$corpus" -runs="$runs" -max_len="$(max_len "$t")" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/$findings/" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || failed=1
done

echo
printf '%-8s %14s %8s %8s %8s %8s  %s\n' objetivo ejecuciones 'exec/s' cov ft corpus hallazgos
for t in "${targets[@]}"; do
    log="build-fuzz/registro-$t.txt"
    [ -f "$log" ] || continue
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    last="$(grep -E '^#[0-9]+' "$log" | grep ' cov: ' | tail -1 || true)"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
    ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
    corp="$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$last")"
    found="$(find "build-fuzz/hallazgos/$t" -type f | sort | tr '\n' ' ')"
    printf '%-8s %14s %8s %8s %8s %8s  %s\n' "$t" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" \
        "${corp:-?}" "${found:-ninguno}"
done
exit "$failed"
