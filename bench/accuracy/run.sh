#!/bin/sh
# Accuracy of plovik-correct on prose that no one here wrote: Russian and English fortunes
# from Debian (packages fortunes-ru and fortunes). Each text is typed three ways:
#   Russian typed with the US layout selected    (must be corrected)
#   English typed with the Russian layout selected (must be corrected)
#   both typed with the right layout              (must be left alone)
# The wrong-layout texts are corrected twice: with the layout left as it is (each word is
# judged on its own keys) and with --switch (the layout follows each correction).
# usage: bench/accuracy/run.sh [build-dir] [words-per-language]
# Writes the texts, outputs and JSON summaries to <build-dir>/accuracy and prints the tables
# that bench/README.md records.
set -eu
build_dir=$(cd "${1:-build}" && pwd)
words=${2:-40000}
here=$(cd "$(dirname "$0")" && pwd)
tool="$build_dir/tools/plovik-correct"
retype="$build_dir/tools/plovik-retype"
out="$build_dir/accuracy"
mkdir -p "$out"

"$here/install-corpus.sh"
python3 "$here/corpus.py" ru "$words" > "$out/ru.txt"
python3 "$here/corpus.py" en "$words" > "$out/en.txt"
"$retype" --from ru --to us < "$out/ru.txt" > "$out/ru-typed-under-us.txt"
"$retype" --from us --to ru < "$out/en.txt" > "$out/en-typed-under-ru.txt"

"$tool" --typed-in us < "$out/ru-typed-under-us.txt" > "$out/ru-wrong-output.txt"
"$tool" --typed-in ru < "$out/en-typed-under-ru.txt" > "$out/en-wrong-output.txt"
"$tool" --typed-in us --switch < "$out/ru-typed-under-us.txt" > "$out/ru-switch-output.txt"
"$tool" --typed-in ru --switch < "$out/en-typed-under-ru.txt" > "$out/en-switch-output.txt"
"$tool" --typed-in ru < "$out/ru.txt" > "$out/ru-right-output.txt"
"$tool" --typed-in us < "$out/en.txt" > "$out/en-right-output.txt"

evaluate="$here/evaluate.py"
python3 "$evaluate" wrong ru "$out/ru.txt" "$out/ru-typed-under-us.txt" \
    "$out/ru-wrong-output.txt" > "$out/ru-wrong.json"
python3 "$evaluate" wrong en "$out/en.txt" "$out/en-typed-under-ru.txt" \
    "$out/en-wrong-output.txt" > "$out/en-wrong.json"
python3 "$evaluate" wrong ru "$out/ru.txt" "$out/ru-typed-under-us.txt" \
    "$out/ru-switch-output.txt" > "$out/ru-switch.json"
python3 "$evaluate" wrong en "$out/en.txt" "$out/en-typed-under-ru.txt" \
    "$out/en-switch-output.txt" > "$out/en-switch.json"
python3 "$evaluate" right ru "$out/ru.txt" "$out/ru.txt" "$out/ru-right-output.txt" \
    > "$out/ru-right.json"
python3 "$evaluate" right en "$out/en.txt" "$out/en.txt" "$out/en-right-output.txt" \
    > "$out/en-right.json"

# Why the misses were missed: each missed word typed alone, explained, at threshold 0 so that
# the best decision shows even when it is not confident enough.
python3 "$here/report.py" misses "$out/ru-wrong.json" > "$out/ru-misses.txt"
python3 "$here/report.py" misses "$out/en-wrong.json" > "$out/en-misses.txt"
"$tool" --typed-in us --explain --threshold 0 < "$out/ru-misses.txt" > "$out/ru-misses.jsonl"
"$tool" --typed-in ru --explain --threshold 0 < "$out/en-misses.txt" > "$out/en-misses.jsonl"

python3 "$here/report.py" tables "$out"
