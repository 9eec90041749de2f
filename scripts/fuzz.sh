#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs them one after the
# other, each in one process at low priority:
#
#   [QUELVAR_FUZZ_SANITIZERS=undefined] scripts/fuzz.sh [objetivo] [ejecuciones]
#
# objetivo: tabla, reglas, reporte, csv, xlsx, paquete or todos (the
# default); ejecuciones: the inputs each target tries (10,000,000 by
# default). Each run starts from a scratch copy of the seed corpus
# (fuzz/corpus/<objetivo>, which stays untouched) in <build>/corpus/<objetivo>,
# with the words of fuzz/<objetivo>.dict where there is one; what breaks
# something is left in <build>/hallazgos/<objetivo>/ and the whole output in
# <build>/registro-<objetivo>.txt. Prints at the end, per target, the
# executions, exec/s, cov and ft figures and the files of findings; exits
# non-zero when any target found something.
#
# With QUELVAR_FUZZ_SANITIZERS=undefined the run leaves AddressSanitizer out
# (build-fuzz-ub), which about doubles the inputs per second of the slow
# targets; every input that run kept is then replayed through the build
# with both sanitizers, and a failure there is a finding like any other.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
target="${1:-todos}"
runs="${2:-10000000}"
case "$target" in
    todos) targets=(tabla reglas reporte csv xlsx paquete) ;;
    tabla | reglas | reporte | csv | xlsx | paquete) targets=("$target") ;;
    *) echo "objetivo desconocido: $target (tabla, reglas, reporte, csv, xlsx, paquete o todos)" >&2; exit 2 ;;
esac

sanitizers="${QUELVAR_FUZZ_SANITIZERS:-address,undefined}"
case "$sanitizers" in
    address,undefined) build=build-fuzz ;;
    undefined) build=build-fuzz-ub ;;
    *) echo "QUELVAR_FUZZ_SANITIZERS: address,undefined o undefined, no $sanitizers" >&2; exit 2 ;;
esac

source scripts/deps.sh
quelvar_install_missing "${QUELVAR_PACKAGES[@]}" "${QUELVAR_FUZZ_PACKAGES[@]}"
configure() {
    CC=clang CXX=clang++ cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVAR_FUZZ=ON \
        -DQUELVAR_FUZZ_SANITIZERS="$2" -DQUELVAR_WERROR=ON >/dev/null
    nice -n 10 cmake --build "$1" -j2 --target "${targets[@]/#/fuzz_}"
}
configure "$build" "$sanitizers"

max_len() {
    case "$1" in
        reglas) echo 512 ;;
        xlsx | paquete) echo 16384 ;;
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
    corpus="$build/corpus/$t"
    findings="$build/hallazgos/$t"
    log="$build/registro-$t.txt"
    rm -rf "$corpus"
    mkdir -p "$corpus" "$findings"
    cp fuzz/corpus/"$t"/* "$corpus"/
    echo "== $t: $runs ejecuciones (registro en $log)"
    status=0
    dict=()
    [ ! -f fuzz/"$t".dict ] || dict=(-dict="fuzz/$t.dict")
    nice -n 10 "$build/bin/fuzz_$t" "$corpus" "${dict[@]}" -runs="$runs" -max_len="$(max_len "$t")" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/$findings/" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || failed=1
    if [ "$build" != build-fuzz ]; then
        # Each input the run kept, once, through both sanitizers: all in one
        # process, and one process per input only to name the failing ones,
        # which are copied among the findings.
        replay="$build/repaso-$t.txt"
        configure build-fuzz address,undefined
        echo "== $t: repaso del corpus con AddressSanitizer (registro en $replay)"
        : >"$replay"
        if ! find "$corpus" -type f -print0 | nice -n 10 xargs -0 -r build-fuzz/bin/fuzz_"$t" \
            -rss_limit_mb=2048 >>"$replay" 2>&1; then
            for input in "$corpus"/*; do
                build-fuzz/bin/fuzz_"$t" -rss_limit_mb=2048 "$input" >>"$replay" 2>&1 ||
                    { cp "$input" "$findings/repaso-$(basename "$input")"; failed=1; }
            done
        fi
    fi
done

echo
printf '%-8s %14s %8s %8s %8s %8s  %s\n' objetivo ejecuciones 'exec/s' cov ft corpus hallazgos
for t in "${targets[@]}"; do
    log="$build/registro-$t.txt"
    [ -f "$log" ] || continue
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    last="$(grep -E '^#[0-9]+' "$log" | grep ' cov: ' | tail -1 || true)"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
    ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
    corp="$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$last")"
    found="$(find "$build/hallazgos/$t" -type f | sort | tr '\n' ' ')"
    printf '%-8s %14s %8s %8s %8s %8s  %s\n' "$t" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" \
        "${corp:-?}" "${found:-ninguno}"
done
for t in "${targets[@]}"; do
    replay="$build/repaso-$t.txt"
    [ -f "$replay" ] || continue
    echo "$t: $(grep -c '^Executed ' "$replay") entradas del corpus repasadas con AddressSanitizer"
done
exit "$failed"
