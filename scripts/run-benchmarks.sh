#!/bin/sh
# Runs every benchmark program with repetitions and reports medians.
set -eu
build_dir=${1:-build}
for program in "$build_dir"/bench/bench_*; do
    [ -x "$program" ] || continue
    echo "== $(basename "$program")"
    "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_min_time=0.2 | grep -E 'median|^-|Benchmark'
done
