#!/bin/sh
# Builds the libFuzzer harnesses with clang and runs each for a bounded time from a seed
# corpus out of tests/data. Findings (crash-*, leak-*, timeout-*) land in <build>/findings.
# usage: scripts/run-fuzzers.sh [build-dir] [seconds-per-harness]
set -eu
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v clang++ >/dev/null 2>&1; then
    echo "make fuzz: clang++ is needed for libFuzzer (apt-get install clang)" >&2
    exit 1
fi
CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOVIK_FUZZ=ON
cmake --build "$build" -j "$(nproc)"

seeds() {
    case "$1" in
        fuzz_settings_document|fuzz_settings_store|fuzz_shortcut) echo "$root/tests/data/settings" ;;
        fuzz_history_format|fuzz_history_store) echo "$root/tests/data/history" ;;
        *) echo "$root/tests/data/fuzz/${1#fuzz_}" ;;
    esac
}

mkdir -p "$build/findings"
status=0
for harness in fuzz_settings_document fuzz_history_format fuzz_shortcut fuzz_url fuzz_base64 \
               fuzz_text fuzz_settings_store fuzz_history_store; do
    corpus="$build/corpus/$harness"
    mkdir -p "$corpus"
    echo "== $harness ($seconds s)"
    if ! ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/$harness" -max_total_time="$seconds" \
        -max_len=65536 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$harness-" "$corpus" "$(seeds "$harness")" \
        2>"$build/findings/$harness.log"; then
        echo "$harness found a fault: see $build/findings/$harness.log" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units' "$build/findings/$harness.log" || true
done
exit $status
