#!/usr/bin/env python3
"""Compares what plovik-correct wrote with the text that was meant, word by word.

usage: evaluate.py MODE SCRIPT INTENDED TYPED OUTPUT
  MODE    wrong (the text was typed under the other layout) or right (typed correctly)
  SCRIPT  ru or uk (Cyrillic letters), en (Latin letters) or any (either, not mixed): which
          words of INTENDED are counted

Lines of the three files correspond; whitespace is typed by the same keys in every layout,
so their whitespace-separated chunks correspond too. A chunk counts when, without the
punctuation around it, it is one word of letters of SCRIPT (hyphens and apostrophes may join
the letters: don't, что-то). A wrong-layout word is
corrected when the output chunk, stripped the same way, is that word; a correctly typed word
is changed when its output chunk differs in any byte. Prints a JSON summary.
"""
import collections
import json
import sys
import unicodedata


def split_core(chunk):
    start, end = 0, len(chunk)
    while start < end and not chunk[start].isalpha():
        start += 1
    while end > start and not chunk[end - 1].isalpha():
        end -= 1
    return start, chunk[start:end], len(chunk) - end


def is_delimiter(character):
    return unicodedata.category(character)[0] in "PZ" or character.isspace()


def shows_word(output, prefix, word):
    """The output has the word where the intended chunk has it, with no letter glued on."""
    end = prefix + len(word)
    return (output[prefix:end] == word and not output[prefix - 1:prefix].isalpha()
            and not output[end:end + 1].isalpha())


INNER_PUNCTUATION = "-'\u2019"


def in_script(word, script):
    """Letters of the script, with hyphens and apostrophes allowed between them (don't, что-то)."""
    letters = [c for c in word if c not in INNER_PUNCTUATION]
    if not letters or not all(c.isalpha() for c in letters):
        return False
    cyrillic = all("\u0400" <= c <= "\u04ff" for c in letters)
    latin = all(c.isascii() for c in letters)
    if script in ("ru", "uk"):
        return cyrillic
    if script == "any":
        return cyrillic or latin
    return latin


def length_bucket(word):
    n = len(word)
    return "1-2" if n <= 2 else "3" if n == 3 else "4-5" if n <= 5 else "6+"


def main():
    mode, script, intended_path, typed_path, output_path = sys.argv[1:6]
    read = lambda path: open(path, encoding="utf-8").read().split("\n")
    intended, typed, output = read(intended_path), read(typed_path), read(output_path)
    counts = collections.defaultdict(lambda: [0, 0])  # key -> [words, good]
    misses, changes = [], []
    misaligned = 0
    exact = [0, 0]  # chunks, chunks exactly as intended (punctuation around the word included)
    for line_t, line_g, line_o in zip(intended, typed, output):
        chunks_t, chunks_g, chunks_o = line_t.split(), line_g.split(), line_o.split()
        if not (len(chunks_t) == len(chunks_g) == len(chunks_o)):
            misaligned += 1
            continue
        for t, g, o in zip(chunks_t, chunks_g, chunks_o):
            prefix, word, suffix = split_core(t)
            if not word or not in_script(word, script) or len(g) != len(t):
                continue
            typed_core = g[prefix:len(g) - suffix]
            punctuation_keys = any(not c.isalpha() for c in typed_core)
            exact[0] += 1
            exact[1] += o == t
            if mode == "wrong":
                good = shows_word(o, prefix, word)
                if not good:
                    after = g[len(g) - suffix:len(g) - suffix + 1]
                    misses.append({"word": word, "typed": g, "output": o, "prefix": prefix,
                                   "punctuationKeys": punctuation_keys,
                                   "keyBefore": prefix > 0,
                                   "gluedAfter": bool(after) and not is_delimiter(after)})
            else:
                good = o == t
                if not good:
                    changes.append({"word": t, "output": o})
            extra = (["up to 3 letters"] if len(word) <= 3 else []) + (
                ["capitalised"] if word[0].isupper() else [])
            for key in ["all", length_bucket(word), *extra,
                        "punctuation keys" if punctuation_keys else "letter keys only",
                        ("punctuation keys " if punctuation_keys else "letter keys ")
                        + length_bucket(word)]:
                counts[key][0] += 1
                counts[key][1] += good
    table = {key: {"words": n, "share": round(good / n, 4) if n else None}
             for key, (n, good) in sorted(counts.items())}
    print(json.dumps({"mode": mode, "script": script, "misalignedLines": misaligned,
                      "exactChunks": {"words": exact[0],
                                      "share": round(exact[1] / exact[0], 4) if exact[0] else None},
                      "table": table,
                      "misses": misses, "changes": changes}, ensure_ascii=False))


if __name__ == "__main__":
    main()
