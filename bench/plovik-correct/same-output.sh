#!/bin/sh
# Whether two builds of plovik-correct write the same bytes: a change meant only to make it
# faster must not change a single decision. Each TEXT is corrected by both tools with each
# engine, with and without --switch, plainly and with --explain, under --typed-in auto
# (every character under the layout that types it) and under each of us and ru.
# usage: bench/plovik-correct/same-output.sh OLD-TOOL NEW-TOOL TEXT...
# Prints one line per run and "N runs, N differ"; exits 1 when any differs.
set -eu
old=$1 new=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=0 differ=0
for text in "$@"; do
    for engine in extended described; do
        for typed in auto us ru; do
            for switch in "" --switch; do
                for explain in "" --explain; do
                    set -- --engine "$engine" --typed-in "$typed" $switch $explain
                    "$old" "$@" < "$text" > "$work/old" 2>&1 || true
                    "$new" "$@" < "$text" > "$work/new" 2>&1 || true
                    runs=$((runs + 1))
                    if cmp -s "$work/old" "$work/new"; then verdict=same; else
                        verdict=DIFFERENT; differ=$((differ + 1)); fi
                    echo "$verdict: $(basename "$text") $*"
                done
            done
        done
    done
done
echo "$runs runs, $differ differ"
[ "$differ" -eq 0 ]
