#!/bin/sh
# Time and peak memory of plovik-correct on about 50 MB of text, once in its short lines and
# once as a single line (every line break turned into a space): each key must cost the same
# however long the line, so both should take about as long and as little memory.
# The text is the 1 MB mix of memory.sh repeated. Prints /usr/bin/time -v figures.
# usage: bench/plovik-correct/long-line.sh [build-dir] [megabytes]
set -eu
build_dir=$(cd "${1:-build}" && pwd)
megabytes=${2:-50}
here=$(cd "$(dirname "$0")" && pwd)
tool="$build_dir/tools/plovik-correct"
retype="$build_dir/tools/plovik-retype"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/../accuracy/install-corpus.sh"
python3 "$here/../accuracy/corpus.py" ru 60000 > "$work/ru.txt"
python3 "$here/../accuracy/corpus.py" en 60000 > "$work/en.txt"
"$retype" --from ru --to us < "$work/ru.txt" > "$work/ru-under-us.txt"
for f in ru-under-us en ru; do head -c 350000 "$work/$f.txt" | sed '$d'; done > "$work/mix.txt"
i=0
while [ "$i" -lt "$megabytes" ]; do cat "$work/mix.txt"; i=$((i + 1)); done > "$work/lines.txt"
tr '\n' ' ' < "$work/lines.txt" > "$work/line.txt"

for form in lines line; do
    /usr/bin/time -v "$tool" < "$work/$form.txt" > "$work/$form-output.txt" 2> "$work/$form-time.txt"
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$form-time.txt")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/$form-time.txt")
    cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$work/$form-time.txt")
    echo "$form: $(wc -c < "$work/$form.txt") bytes, $(wc -l < "$work/$form.txt") line breaks;" \
        "maximum resident set size $rss kB ($((rss / 1024)) MB); CPU $cpu s; wall $wall"
done
# The same words come out either way, apart from the line breaks.
if tr '\n' ' ' < "$work/lines-output.txt" | cmp -s - "$work/line-output.txt"; then
    echo "outputs agree"
else
    echo "outputs differ in $(tr '\n' ' ' < "$work/lines-output.txt" | tr ' ' '\n' |
        diff - "$(tr ' ' '\n' < "$work/line-output.txt" > "$work/w" && echo "$work/w")" | grep -c '^<') words"
fi
