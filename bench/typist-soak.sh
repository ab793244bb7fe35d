#!/bin/sh
# A long run of the typist (bursts of 5-60 ms between keys, keys rolled over, Shift and
# Return) in each window of the end-to-end session, with Plovik correcting: how many words
# came out garbled, how many of the simulated application's corrections were made, how
# many were given up, and how long the keyboard was held.
# usage: bench/typist-soak.sh BUILD-DIR [WORDS] [TOOLKIT...]   (toolkits: gtk qt gtk_keys_only)
set -eu
build=$1
words=${2:-5000}
[ $# -ge 2 ] && shift 2 || shift $#
toolkits=${*:-gtk qt gtk_keys_only}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failed=0
for toolkit in $toolkits; do
    log="$out/$toolkit.log"
    started=$(date +%s)
    PLOVIK_TYPIST_WORDS=$words PLOVIK_TYPIST_VERBOSE=1 "$build/tests/test_endtoend" \
        --gtest_filter="Toolkits/TypistOnDesktopTest.*/$toolkit" >"$log" 2>&1 || failed=1
    seconds=$(( $(date +%s) - started ))
    made=$(grep -a '^garbled: ' "$log" | tail -1)
    corrected=$(grep -a -c '^plovik: .* → ' "$log" || true)
    given_up=$(grep -a -c '^plovik: Correction was cancelled\|^plovik: The application did not show' "$log" || true)
    held=$(grep -a '^plovik: the keyboard was held' "$log" | sed 's/^plovik: //')
    echo "$toolkit ($words words, ${seconds}s): ${made:-no result (see below)}"
    echo "  corrections reported $corrected, given up $given_up"
    echo "  ${held:-the keyboard was never held}"
    if [ -z "$made" ]; then tail -40 "$log"; fi
done
exit $failed
