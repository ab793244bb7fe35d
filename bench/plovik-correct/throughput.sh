#!/bin/sh
# Throughput of plovik-correct (the default engine) on 10 MB of prose on one line: the
# development text's Russian typed under US, its English and its Russian typed right, one
# after the other and repeated, line breaks turned into spaces. Prints megabytes per second
# of CPU time (the steadier figure on a shared machine) and of wall time, and the peak
# memory. With a second tool, runs both alternately on the same input, the given one first.
# usage: bench/plovik-correct/throughput.sh [build-dir] [megabytes] [other-tool]
set -eu
build_dir=$(cd "${1:-build}" && pwd)
megabytes=${2:-10}
other=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
tool="$build_dir/tools/plovik-correct"
retype="$build_dir/tools/plovik-retype"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/../accuracy/install-corpus.sh" dev
python3 "$here/../accuracy/corpus.py" dev-ru 50000 > "$work/ru.txt"
python3 "$here/../accuracy/corpus.py" dev-en 50000 > "$work/en.txt"
"$retype" --from ru --to us < "$work/ru.txt" > "$work/ru-under-us.txt"
cat "$work/ru-under-us.txt" "$work/en.txt" "$work/ru.txt" | tr '\n' ' ' > "$work/mix.txt"
python3 - "$work/mix.txt" "$work/line.txt" "$megabytes" <<'PY'
import sys
mix = open(sys.argv[1], "rb").read()
size = int(sys.argv[3]) * 1000000
text = mix * (size // len(mix) + 1)
text = text[:size]
open(sys.argv[2], "wb").write(text[:text.rfind(b" ")] + b"\n")
PY
bytes=$(wc -c < "$work/line.txt")
echo "input: $bytes bytes on one line"
for program in ${other:+"$other"} "$tool"; do
    /usr/bin/time -f "%U %S %e %M" "$program" < "$work/line.txt" > /dev/null 2> "$work/time.txt"
    tail -1 "$work/time.txt" | awk -v bytes="$bytes" -v name="$program" '{
        cpu = $1 + $2
        printf "%s: CPU %.1f s (%.2f MB/s), wall %.1f s (%.2f MB/s), peak %d MB\n",
            name, cpu, bytes / 1e6 / cpu, $3, bytes / 1e6 / $3, $4 / 1024 }'
done
