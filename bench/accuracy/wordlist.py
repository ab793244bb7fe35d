#!/usr/bin/env python3
"""A list of distinct words of one script, one per line, as a user types single words into
a search field or a form: no context to go by. The words come from the given texts with the
punctuation around them dropped and their case kept, acronyms (PHP, МВД) and technical
terms (grep, ssh) included, and are taken in an order fixed by a hash, so that a run repeats
exactly and rare words count as much as common ones.

usage: wordlist.py SCRIPT COUNT TEXT...
  SCRIPT  ru (Cyrillic letters) or en (Latin letters); hyphens and apostrophes may join
          letters (что-то, don't)
"""
import hashlib
import re
import sys

EDGES = re.compile(r"^\W+|\W+$")
JOINERS = "-'\u2019"


def in_script(word, script):
    letters = [c for c in word if c not in JOINERS]
    if len(letters) < 2 or not all(c.isalpha() for c in letters):
        return False
    if word[0] in JOINERS or word[-1] in JOINERS:
        return False
    if script == "ru":
        return all("\u0400" <= c <= "\u04ff" for c in letters)
    return all(c.isascii() for c in letters)


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("ru", "en"):
        sys.exit(__doc__.split("\n\n")[1])
    script, count = sys.argv[1], int(sys.argv[2])
    words = {}
    for path in sys.argv[3:]:
        with open(path, encoding="utf-8") as text:
            for chunk in text.read().split():
                word = EDGES.sub("", chunk)
                if in_script(word, script):
                    words.setdefault(word, None)
    ordered = sorted(words, key=lambda word: hashlib.sha256(word.encode()).digest())
    sys.stdout.write("".join(word + "\n" for word in ordered[:count]))


if __name__ == "__main__":
    main()
