#!/usr/bin/env python3
"""Russian typed right up to the middle of each line, where the user switches to US by
accident and types on: the one case where a switch of layouts right before a word is no
choice. Shows what trusting the switch costs.

usage: switched.py make RU RU-UNDER-US INTENDED-OUT TYPED-OUT
       switched.py score INTENDED OUTPUT
  make   writes the lines of RU whose words line up with RU-UNDER-US, the first half of each
         as typed right and the rest as typed under US, where that switches the layout (the
         last Russian word has Cyrillic letters, the first typed word starts with a Latin one)
  score  prints a JSON summary: how many first words after the switch, and later words,
         plovik-correct (--typed-in auto) gave back as intended, with the first words missed
"""
import json
import re
import sys

EDGES = re.compile(r"^\W+|\W+$")


def is_cyrillic(character):
    return "а" <= character.lower() <= "я" or character.lower() == "ё"


def make(ru_path, typed_path, intended_path, typed_out_path):
    intended_lines, typed_lines = [], []
    with open(ru_path, encoding="utf-8") as ru, open(typed_path, encoding="utf-8") as typed:
        for right, wrong in zip(ru, typed):
            words, keys = right.rstrip("\n").split(" "), wrong.rstrip("\n").split(" ")
            if len(words) != len(keys) or len(words) < 4:
                continue
            middle = len(words) // 2
            first = keys[middle][:1]
            if not any(map(is_cyrillic, words[middle - 1])) or not (
                    first.isascii() and first.isalpha()):
                continue
            intended_lines.append(" ".join(words))
            typed_lines.append(" ".join(words[:middle] + keys[middle:]))
    for path, lines in ((intended_path, intended_lines), (typed_out_path, typed_lines)):
        with open(path, "w", encoding="utf-8") as out:
            out.write("".join(line + "\n" for line in lines))


def score(intended_path, output_path):
    counts = {"first": [0, 0], "later": [0, 0]}
    missed = []
    with open(intended_path, encoding="utf-8") as intended, \
            open(output_path, encoding="utf-8") as output:
        for meant, got in zip(intended, output):
            words, shown = meant.rstrip("\n").split(" "), got.rstrip("\n").split(" ")
            if len(words) != len(shown):
                continue
            middle = len(words) // 2
            for index in range(middle, len(words)):
                kind = "first" if index == middle else "later"
                right = EDGES.sub("", shown[index]) == EDGES.sub("", words[index])
                counts[kind][0] += 1
                counts[kind][1] += right
                if kind == "first" and not right:
                    missed.append({"word": words[index], "output": shown[index]})
    summary = {kind: {"words": total, "share": round(good / total, 4) if total else 0.0}
               for kind, (total, good) in counts.items()}
    summary["missed"] = missed
    print(json.dumps(summary, ensure_ascii=False, indent=1))


def main():
    if len(sys.argv) == 6 and sys.argv[1] == "make":
        make(*sys.argv[2:])
    elif len(sys.argv) == 4 and sys.argv[1] == "score":
        score(*sys.argv[2:])
    else:
        sys.exit(__doc__.split("\n\n")[1])


if __name__ == "__main__":
    main()
