#!/usr/bin/env python3
"""Russian with English terms typed by someone who sometimes forgets to switch layouts: the
common slip. At every third change of script between two words the typist keeps the old
layout for the next words of the new script (at most MAXIMUM_FORGOTTEN of them, up to the
next change of script), then notices and switches.

usage: forgot.py make MIXED INTENDED-OUT FORGOTTEN-PREFIX
       forgot.py apply INTENDED TYPED-OUT RETYPED...
       forgot.py score INTENDED TYPED OUTPUT
  make   writes the lines of MIXED that hold a forgotten switch to INTENDED-OUT, and the
         words typed under the old layout, one per line ("line<TAB>index<TAB>word"), to
         FORGOTTEN-PREFIX.en (English words) and FORGOTTEN-PREFIX.ru (Russian ones), for
         plovik-retype to turn into the keys the old layout shows (digits and tabs stay)
  apply  writes INTENDED with the retyped words put in their places
  score  prints a JSON summary for plovik-correct's OUTPUT (--typed-in auto): wrong-layout
         words corrected, Russian ones (typed under US after an English term) and English
         ones (typed under Russian amid Russian words) apart, the misses, and the correct
         words changed
"""
import json
import re
import sys

EDGES = re.compile(r"^\W+|\W+$")
MAXIMUM_FORGOTTEN = 2
FORGET_EVERY = 3


def script(word):
    letters = [c for c in word if c.isalpha()]
    if not letters:
        return None
    if all(c.isascii() for c in letters):
        return "en"
    if all("\u0400" <= c <= "\u04ff" for c in letters):
        return "ru"
    return "other"


def forgotten_words(words, changes):
    """Indexes typed under the old layout, with the number of script changes seen so far."""
    chosen, previous = [], None
    index = 0
    while index < len(words):
        current = script(words[index])
        if current in ("en", "ru") and previous in ("en", "ru") and current != previous:
            changes += 1
            if changes % FORGET_EVERY == 0:
                run = index
                while (run < len(words) and run - index < MAXIMUM_FORGOTTEN and
                       script(words[run]) in (current, None)):
                    if script(words[run]) == current:
                        chosen.append(run)
                    run += 1
        if current is not None:
            previous = current
        index += 1
    return chosen, changes


def make(mixed_path, intended_path, forgotten_prefix):
    changes, number = 0, 0
    with open(mixed_path, encoding="utf-8") as mixed, \
            open(intended_path, "w", encoding="utf-8") as intended, \
            open(forgotten_prefix + ".en", "w", encoding="utf-8") as english, \
            open(forgotten_prefix + ".ru", "w", encoding="utf-8") as russian:
        for line in mixed:
            words = line.rstrip("\n").split(" ")
            chosen, changes = forgotten_words(words, changes)
            if not chosen or any("\t" in word for word in words):
                continue
            intended.write(" ".join(words) + "\n")
            for index in chosen:
                out = english if script(words[index]) == "en" else russian
                out.write(f"{number}\t{index}\t{words[index]}\n")
            number += 1


def apply(intended_path, typed_path, *retyped_paths):
    with open(intended_path, encoding="utf-8") as intended:
        lines = [line.rstrip("\n").split(" ") for line in intended]
    for retyped_path in retyped_paths:
        with open(retyped_path, encoding="utf-8") as retyped:
            for entry in retyped:
                number, index, keys = entry.rstrip("\n").split("\t", 2)
                lines[int(number)][int(index)] = keys
    with open(typed_path, "w", encoding="utf-8") as typed:
        typed.write("".join(" ".join(words) + "\n" for words in lines))


def score(intended_path, typed_path, output_path):
    counts = {"ru": [0, 0], "en": [0, 0], "right": [0, 0]}
    missed, changed = [], []
    with open(intended_path, encoding="utf-8") as intended, \
            open(typed_path, encoding="utf-8") as typed, \
            open(output_path, encoding="utf-8") as output:
        for meant, keys, got in zip(intended, typed, output):
            words = meant.rstrip("\n").split(" ")
            typed_words = keys.rstrip("\n").split(" ")
            shown = got.rstrip("\n").split(" ")
            if not (len(words) == len(typed_words) == len(shown)):
                continue
            for word, key, out in zip(words, typed_words, shown):
                kind = script(word)
                if kind not in ("en", "ru"):
                    continue
                if key != word:
                    right = EDGES.sub("", out) == EDGES.sub("", word)
                    counts[kind][0] += 1
                    counts[kind][1] += right
                    if not right:
                        missed.append({"word": word, "typed": key, "output": out})
                else:
                    counts["right"][0] += 1
                    if out != word:
                        counts["right"][1] += 1
                        changed.append({"word": word, "output": out})
    summary = {
        "russian typed under US": share(*counts["ru"]),
        "English typed under Russian": share(*counts["en"]),
        "correct words": {"words": counts["right"][0], "changed": counts["right"][1]},
        "missed": missed,
        "changed": changed,
    }
    print(json.dumps(summary, ensure_ascii=False, indent=1))


def share(total, good):
    return {"words": total, "corrected": good, "share": round(good / total, 4) if total else 0.0}


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "make":
        make(*sys.argv[2:])
    elif len(sys.argv) >= 4 and sys.argv[1] == "apply":
        apply(*sys.argv[2:])
    elif len(sys.argv) == 5 and sys.argv[1] == "score":
        score(*sys.argv[2:])
    else:
        sys.exit(__doc__.split("\n\n")[1])


if __name__ == "__main__":
    main()
