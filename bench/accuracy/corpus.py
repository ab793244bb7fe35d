#!/usr/bin/env python3
"""Prints prose no language data was built from, one passage per line.

usage: corpus.py ru|en|uk|mixed WORDS

ru, en: the Debian fortune files. uk: the Ukrainian gettext catalogs installed on the system
(translated messages). mixed: messages of the Russian catalogs that hold Russian and English
words together (Russian with English terms). Catalog messages lose their keyboard accelerator
marks; messages with placeholders, markup or paths are skipped.

Fortunes are taken in a fixed order (round robin over the files in the order listed,
the first fortune of each, then the second, ...), the
attribution lines ("-- Author") dropped and the hard-wrapped lines joined with single
spaces. Russian keeps fortunes written in Cyrillic; English keeps plain ASCII fortunes.
Output stops once WORDS whitespace-separated words have been printed, so runs repeat exactly.
"""
import gettext
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


LOCALE_DIR = pathlib.Path("/usr/share/locale")
ACCELERATOR = re.compile(r"[&_](?=\w)")
NOT_PROSE = re.compile(r"[%{}<>\\$@/|=#\[\]\t]")


def catalog_messages(path):
    try:
        catalog = gettext.GNUTranslations(open(path, "rb"))._catalog
    except (OSError, gettext.error, UnicodeDecodeError):
        return
    for key, text in catalog.items():
        if not key or not isinstance(text, str) or NOT_PROSE.search(text):
            continue
        text = " ".join(ACCELERATOR.sub("", text).split())
        if len(text.split()) >= 3:
            yield text


def is_mixed(text):
    words = text.split()
    latin = [w for w in words if re.fullmatch(r"[A-Za-z]{2,}[.,:;!?)]*", w)]
    return latin and is_russian_share(text, 0.5)


def is_russian_share(text, share):
    letters = [c for c in text if c.isalpha()]
    cyrillic = [c for c in letters if "\u0400" <= c <= "\u04ff"]
    return len(letters) >= 10 and len(cyrillic) >= share * len(letters)


def sources(language):
    if language == "ru":
        paths = sorted(p for p in RU_DIR.iterdir() if p.suffix == ".u8")
        return [fortunes(path) for path in paths], is_russian
    if language == "en":
        return [fortunes(EN_DIR / name) for name in EN_FILES], is_english
    catalogs = sorted((LOCALE_DIR / ("uk" if language == "uk" else "ru") / "LC_MESSAGES").glob("*.mo"))
    return [catalog_messages(path) for path in catalogs], is_russian if language == "uk" else is_mixed


def main():
    language, limit = sys.argv[1], int(sys.argv[2])
    passages, keep = sources(language)
    words = 0
    seen = set()
    for fortune in round_robin(passages):
        if fortune in seen:
            continue
        seen.add(fortune)
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
