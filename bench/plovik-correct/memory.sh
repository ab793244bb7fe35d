#!/bin/sh
# Peak memory and wall time of plovik-correct on about 1 MB of mixed text: Russian typed
# under the US layout, English typed correctly, and Russian typed correctly, one third each
# (Debian fortunes; see ../accuracy/run.sh). Prints "Maximum resident set size" as
# /usr/bin/time -v reports it, and words per second over the whole run (wall and CPU time;
# the CPU figure is the steadier one on a shared machine).
# usage: bench/plovik-correct/memory.sh [build-dir]
set -eu
build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
tool="$build_dir/tools/plovik-correct"
retype="$build_dir/tools/plovik-retype"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/../accuracy/install-corpus.sh"
python3 "$here/../accuracy/corpus.py" ru 60000 > "$work/ru.txt"
python3 "$here/../accuracy/corpus.py" en 60000 > "$work/en.txt"
"$retype" --from ru --to us < "$work/ru.txt" > "$work/ru-under-us.txt"
# About 1 MB: a third of each kind, cut at line ends.
for f in ru-under-us en ru; do head -c 350000 "$work/$f.txt" | sed '$d'; done > "$work/input.txt"
bytes=$(wc -c < "$work/input.txt")
words=$(wc -w < "$work/input.txt")

/usr/bin/time -v "$tool" < "$work/input.txt" > "$work/output.txt" 2> "$work/time.txt"
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
seconds=$(echo "$wall" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
echo "input: $bytes bytes, $words words"
echo "maximum resident set size: $rss kB ($((rss / 1024)) MB)"
cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$work/time.txt")
echo "wall time: $seconds s, $(awk -v w="$words" -v s="$seconds" 'BEGIN { printf "%d", w / s }') words/s"
echo "CPU time: $cpu s, $(awk -v w="$words" -v s="$cpu" 'BEGIN { printf "%d", w / s }') words per CPU second"
