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
        --gtest_filter="Toolkits/TypistOnDesktopTest.EveryWord*/$toolkit" >"$log" 2>&1 || failed=1
    seconds=$(( $(date +%s) - started ))
    made=$(grep -a '^garbled: ' "$log" | tail -1)
    # Plovik's log as the test printed it first (a failed check prints it again).
    awk '/^log:$/ { on = 1; next } on && /^(\.\.\/tests\/|\[ )/ { exit } on' "$log" >"$log.plovik"
    corrected=$(grep -a -c '^plovik: .* → ' "$log.plovik" || true)
    given_up=$(grep -a -c '^plovik: Correction was cancelled\|^plovik: The application did not show' "$log.plovik" || true)
    held=$(grep -a '^plovik: the keyboard was held' "$log.plovik" | sed 's/^plovik: //')
    echo "$toolkit ($words words, ${seconds}s): ${made:-no result (see below)}"
    echo "  corrections reported $corrected, given up $given_up"
    echo "  ${held:-the keyboard was never held}"
    if [ -z "$made" ]; then tail -40 "$log"; fi
    # The first line that differs, when one does.
    grep -a -m1 -A3 '^line [0-9]* typed' "$log" || true
    [ -n "${SOAK_KEEP:-}" ] && cp "$log" "$SOAK_KEEP/$toolkit.log"
done
exit $failed
