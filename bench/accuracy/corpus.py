#!/usr/bin/env python3
"""Prints prose from the Debian fortune files, one fortune per line.

usage: corpus.py ru|en WORDS

Fortunes are taken in a fixed order (round robin over the files in the order listed,
the first fortune of each, then the second, ...), the
attribution lines ("-- Author") dropped and the hard-wrapped lines joined with single
spaces. Russian keeps fortunes written in Cyrillic; English keeps plain ASCII fortunes.
Output stops once WORDS whitespace-separated words have been printed, so runs repeat exactly.
"""
import pathlib
import re
import sys

RU_DIR = pathlib.Path("/usr/share/games/fortunes/ru")
EN_DIR = pathlib.Path("/usr/share/games/fortunes")
# Prose collections; the others are mostly verse, ASCII art, code or dialogue.
EN_FILES = ["education", "humorists", "literature", "love", "people", "wisdom", "work",
            "politics", "science", "medicine", "law", "food", "pets", "sports"]
ATTRIBUTION = re.compile(r"^\s*--")


def fortunes(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    for chunk in re.split(r"^%\s*$", text, flags=re.MULTILINE):
        lines = [line for line in chunk.splitlines() if not ATTRIBUTION.match(line)]
        joined = " ".join(" ".join(lines).split())
        if joined:
            yield joined


def is_russian(text):
    letters = [c for c in text if c.isalpha()]
    cyrillic = [c for c in letters if "\u0400" <= c <= "\u04ff"]
    return len(letters) >= 10 and len(cyrillic) >= 0.95 * len(letters)


def is_english(text):
    return text.isascii() and sum(c.isalpha() for c in text) >= 10


def main():
    language, limit = sys.argv[1], int(sys.argv[2])
    if language == "ru":
        paths, keep = sorted(p for p in RU_DIR.iterdir() if p.suffix == ".u8"), is_russian
    else:
        paths, keep = [EN_DIR / name for name in EN_FILES], is_english
    words = 0
    for fortune in round_robin([fortunes(path) for path in paths]):
        if not keep(fortune):
            continue
        print(fortune)
        words += len(fortune.split())
        if words >= limit:
            return


def round_robin(sources):
    while sources:
        for source in list(sources):
            item = next(source, None)
            if item is None:
                sources.remove(source)
            else:
                yield item


if __name__ == "__main__":
    main()
