#!/bin/sh
# Accuracy of plovik-correct's two engines, side by side, on text no language data was built
# from: Russian and English fortunes (packages fortunes-ru, fortunes), Ukrainian messages of
# the gettext catalogs of the packages corpus.py names, and Russian catalog messages with
# English terms in them. With "dev" as the third argument, the development text instead (the
# HTML manuals corpus.py names, and for mixed text also the Russian pages of further manuals):
# study misses and tune there, measure on the evaluation text.
# With "holdout", text typed by nobody before: the fortunes and Ukrainian messages that follow
# the evaluation text, and Russian messages with English terms from other packages' catalogs.
# With "fresh", a second such mixed text from yet other packages' catalogs, and nothing else:
# only the mixed cases run (the fortunes are used up); "unseen" likewise, a third one.
#   wrong: the text typed with the other layout selected (every word must be corrected)
#   right: the text typed with its own layout (no word may change)
#   mixed: Russian with English terms, each character typed under the layout that types it
#          (--typed-in auto; no word may change)
#   switched: Russian typed right up to the middle of each line, then under US after an
#          accidental switch (--typed-in auto; every word must come out Russian)
#   forgot: the mixed text typed by someone who forgets every third switch of layouts for
#          up to two words (--typed-in auto; forgot.py)
#   words: 3,000 distinct words per script, one per line, acronyms and terms of the mixed
#          text included (wordlist.py), typed under the other layout and typed right
# usage: bench/accuracy/run.sh [build-dir] [words-per-language] [evaluation|dev|holdout|fresh|unseen]
# Writes texts, outputs and JSON summaries to <build-dir>/accuracy (or accuracy-dev,
# accuracy-holdout, accuracy-fresh, accuracy-unseen) and prints the tables that bench/README.md records.
set -eu
build_dir=$(cd "${1:-build}" && pwd)
words=${2:-40000}
here=$(cd "$(dirname "$0")" && pwd)
tool="$build_dir/tools/plovik-correct"
retype="$build_dir/tools/plovik-retype"
set=${3:-evaluation}
case "$set" in
evaluation) out="$build_dir/accuracy" prefix="" ;;
dev) out="$build_dir/accuracy-dev" prefix="dev-" ;;
holdout) out="$build_dir/accuracy-holdout" prefix="holdout-" ;;
fresh) out="$build_dir/accuracy-fresh" prefix="fresh-" ;;
unseen) out="$build_dir/accuracy-unseen" prefix="unseen-" ;;
*) echo "unknown text set: $set (evaluation, dev, holdout, fresh or unseen)" >&2; exit 2 ;;
esac
case "$set" in fresh | unseen) languages="mixed" ;; *) languages="ru en uk mixed" ;; esac
mkdir -p "$out"

"$here/install-corpus.sh" "$set"
for language in $languages; do
    python3 "$here/corpus.py" "$prefix$language" "$words" > "$out/$language.txt"
done

# case: name mode script intended typed layouts typed-in
run_case() {
    name=$1 mode=$2 script=$3 intended=$4 typed=$5 layouts=$6 typed_in=$7
    for engine in described extended; do
        "$tool" --engine "$engine" --layouts "$layouts" --typed-in "$typed_in" \
            < "$out/$typed" > "$out/$name-$engine-output.txt"
        python3 "$here/evaluate.py" "$mode" "$script" "$out/$intended" "$out/$typed" \
            "$out/$name-$engine-output.txt" > "$out/$name-$engine.json"
    done
}
run_case mixed-right right any mixed.txt mixed.txt us,ru auto
python3 "$here/forgot.py" make "$out/mixed.txt" "$out/forgot-intended.txt" "$out/forgot"
"$retype" --from us --to ru < "$out/forgot.en" > "$out/forgot-en-keys.txt"
"$retype" --from ru --to us < "$out/forgot.ru" > "$out/forgot-ru-keys.txt"
python3 "$here/forgot.py" apply "$out/forgot-intended.txt" "$out/forgot-typed.txt" \
    "$out/forgot-en-keys.txt" "$out/forgot-ru-keys.txt"
for engine in described extended; do
    "$tool" --engine "$engine" --layouts us,ru --typed-in auto \
        < "$out/forgot-typed.txt" > "$out/forgot-$engine-output.txt"
    python3 "$here/forgot.py" score "$out/forgot-intended.txt" "$out/forgot-typed.txt" \
        "$out/forgot-$engine-output.txt" > "$out/forgot-$engine.json"
done
if [ "$set" != fresh ] && [ "$set" != unseen ]; then
    "$retype" --from ru --to us < "$out/ru.txt" > "$out/ru-under-us.txt"
    "$retype" --from us --to ru < "$out/en.txt" > "$out/en-under-ru.txt"
    "$retype" --from ua --to us < "$out/uk.txt" > "$out/uk-under-us.txt"
    "$retype" --from us --to ua < "$out/en.txt" > "$out/en-under-ua.txt"
    run_case ru-under-us wrong ru ru.txt ru-under-us.txt us,ru us
    run_case en-under-ru wrong en en.txt en-under-ru.txt us,ru ru
    run_case uk-under-us wrong uk uk.txt uk-under-us.txt us,ua us
    run_case en-under-ua wrong en en.txt en-under-ua.txt us,ua ua
    run_case ru-right right ru ru.txt ru.txt us,ru ru
    run_case en-right right en en.txt en.txt us,ru us
    run_case uk-right right uk uk.txt uk.txt us,ua ua
    python3 "$here/wordlist.py" ru 3000 "$out/ru.txt" "$out/mixed.txt" > "$out/words-ru.txt"
    python3 "$here/wordlist.py" en 3000 "$out/en.txt" "$out/mixed.txt" > "$out/words-en.txt"
    "$retype" --from ru --to us < "$out/words-ru.txt" > "$out/words-ru-under-us.txt"
    "$retype" --from us --to ru < "$out/words-en.txt" > "$out/words-en-under-ru.txt"
    run_case words-ru-under-us wrong ru words-ru.txt words-ru-under-us.txt us,ru us
    run_case words-en-under-ru wrong en words-en.txt words-en-under-ru.txt us,ru ru
    run_case words-ru-right right ru words-ru.txt words-ru.txt us,ru ru
    run_case words-en-right right en words-en.txt words-en.txt us,ru us
    python3 "$here/switched.py" make "$out/ru.txt" "$out/ru-under-us.txt" \
        "$out/ru-switched-intended.txt" "$out/ru-switched.txt"
    for engine in described extended; do
        "$tool" --engine "$engine" --layouts us,ru --typed-in auto \
            < "$out/ru-switched.txt" > "$out/ru-switched-$engine-output.txt"
        python3 "$here/switched.py" score "$out/ru-switched-intended.txt" \
            "$out/ru-switched-$engine-output.txt" > "$out/ru-switched-$engine.json"
    done
fi

python3 "$here/compare.py" "$out"
