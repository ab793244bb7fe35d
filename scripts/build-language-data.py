#!/usr/bin/env python3
"""Builds the word-frequency and letter n-gram files the extended correction engine reads.

usage: build-language-data.py OUTPUT-DIR
       build-language-data.py --filter DIR   (applies the word-list filter below to the
                                              LANG.words files already in DIR)

Text comes only from the Debian packages named in SOURCES (their installed files, listed by
dpkg so that other installed packages do not leak in; a file installed twice counts once):
manual pages (Russian and Ukrainian with their development volumes), the GIMP user manual, the
LibreOffice help and the GNOME desktop help (HTML and Mallard pages without code, command
lines, credits, page navigation and related-topic links); for English also the WordNet
glosses, the GNU Collaborative International Dictionary of English (definitions and
quotations, without etymologies, pronunciations and authors' names) and Jane Austen's six
novels (literary prose, read out of their R package by R); for Russian also the
Russian side of the Mueller English-Russian dictionary (translations and example phrases,
without its grammar labels and transcriptions). Gettext catalogs, the Debian project's own
documentation and the texts the accuracy benchmark types (fortunes, the manuals of its
development text) are never read: they are kept for evaluation.

For each language writes:
  LANG.words  "word<TAB>count", lower-cased, most frequent first: of the WORD_LIMIT most
              frequent words seen at least MINIMUM_COUNT times, those seen at least
              TRUSTED_COUNT times or known to the language's spell checker (Enchant with the
              Hunspell dictionary named in SPELL_DICTIONARIES, lower-cased, capitalised or in
              capitals), since rarer spellings are as often typos, code and foreign words as
              words; a third column "<TAB>capitals" counts the times the word was written in
              capitals, if any
  LANG.chars  "n-gram<TAB>count" over all those WORD_LIMIT words framed as "^^word$", each
              counted as often as the word: every unigram and bigram, the TRIGRAM_LIMIT most
              frequent trigrams (the letters of rare words are still letters of the language)
Each file starts with "#total<TAB>N": the running words (or n-grams of that order) counted.
The output depends only on the packages' contents, so a rebuild gives the same files.
"""
import collections
import gzip
import hashlib
import html.parser
import pathlib
import re
import subprocess
import sys

SOURCES = {
    "en": ["manpages", "gimp-help-en", "wordnet-base", "dict-gcide", "libreoffice-help-en-us",
           "gnome-user-docs:/help/C/", "r-cran-janeaustenr"],
    "ru": ["manpages-ru", "manpages-ru-dev", "gimp-help-ru", "libreoffice-help-ru",
           "gnome-user-docs:/help/ru/", "mueller7-dict"],
    "uk": ["manpages-uk", "manpages-uk-dev", "gimp-help-uk", "gnome-user-docs:/help/uk/"],
}
LETTERS = {
    "en": "a-zA-Z",
    "ru": "а-яА-ЯёЁ",
    "uk": "а-щА-ЩьЬюЮяЯєЄіІїЇґҐ",
}
# Per language: the most words listed, and the most trigrams kept. Russian and Ukrainian
# inflect, so each word has many forms to list.
WORD_LIMIT = {"en": 60000, "ru": 100000, "uk": 40000}
TRIGRAM_LIMIT = {"en": 14000, "ru": 20000, "uk": 20000}
# Words seen once are mostly typos, file names and code.
MINIMUM_COUNT = 2
# Listed without the spell checker's word only when seen this often.
TRUSTED_COUNT = 10
SPELL_DICTIONARIES = {"en": "en_US", "ru": "ru_RU", "uk": "uk_UA"}


def package_files(source):
    # "package:/part/" reads only the package's files whose path holds that part (one
    # language of a manual translated into many).
    package, _, part = source.partition(":")
    listing = subprocess.run(["dpkg", "-L", package], check=True, capture_output=True,
                             text=True).stdout
    paths = sorted(pathlib.Path(line) for line in listing.splitlines()
                   if part in line and pathlib.Path(line).is_file()
                   and not pathlib.Path(line).is_symlink())
    # Some packages install the same file twice (a dictionary for two programs): count it once.
    seen, unique = set(), []
    for path in paths:
        digest = hashlib.sha256(path.read_bytes()).digest()
        if digest not in seen:
            seen.add(digest)
            unique.append(path)
    return unique


TROFF_ESCAPE = re.compile(r"\\(f[BIRP1-4]|f\(..|f\[[^]]*\]|s[-+]?\d|\(..|\[[^]]*\]|[-&/,:|^~0 e.'`\"])")


def manual_page_text(path):
    raw = gzip.open(path, "rt", encoding="utf-8", errors="replace").read()
    lines = []
    for line in raw.splitlines():
        if line.startswith(".") or line.startswith("'"):
            # Section headings and paragraph macros carry text after the macro name.
            macro, _, rest = line.partition(" ")
            if macro in (".SH", ".SS", ".TP", ".IP", ".B", ".I", ".BR", ".IR", ".RB", ".RI"):
                lines.append(rest.replace('"', " "))
            continue
        lines.append(line)
    return TROFF_ESCAPE.sub(lambda m: "-" if m.group(1) == "-" else " ", "\n".join(lines))


class HtmlText(html.parser.HTMLParser):
    # Code, and the navigation every page of a manual repeats (its counts would outweigh
    # the prose's).
    SKIPPED = {"script", "style", "pre", "code", "tt", "kbd", "samp", "head", "header",
               "footer", "nav", "aside", "button", "label", "noscript",
               # Mallard pages: credits and links, terminal sessions, commands and file names.
               "info", "screen", "cmd", "sys", "file", "var"}
    # Blocks known by their class: links to related pages, the page's own debugging notes.
    SKIPPED_CLASSES = {"relatedtopics", "related", "debug", "navheader", "navfooter",
                       "sphinxsidebar", "headerlink", "highlight", "pre", "sig", "bascode",
                       "input", "literal", "keycode"}
    VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
            "track", "wbr"}

    def __init__(self):
        super().__init__()
        self.parts, self.depth = [], 0
        # The tag that opened a skipped block known by its class, and how deeply it nests.
        self.skipped_block, self.block_depth = None, 0

    def handle_starttag(self, tag, attrs):
        if self.skipped_block:
            self.block_depth += tag == self.skipped_block
            return
        classes = set((dict(attrs).get("class") or "").split())
        # An element without an end tag (<img>, <input>) cannot open a block.
        if classes & self.SKIPPED_CLASSES and tag not in self.VOID:
            self.skipped_block, self.block_depth = tag, 1
            return
        self.depth += tag in self.SKIPPED

    def handle_endtag(self, tag):
        if self.skipped_block:
            if tag == self.skipped_block:
                self.block_depth -= 1
                if self.block_depth == 0:
                    self.skipped_block = None
            return
        self.depth -= tag in self.SKIPPED and self.depth > 0

    def handle_data(self, data):
        if not self.depth and not self.skipped_block:
            self.parts.append(data)


def html_text(path):
    parser = HtmlText()
    parser.feed(path.read_text(encoding="utf-8", errors="replace"))
    return " ".join(parser.parts)


def wordnet_glosses(path):
    for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
        if "|" in line and not line.startswith("  "):
            yield line.split("|", 1)[1]


# The English-Russian dictionary's own notation: grammar and usage labels (_n. _разг. тж.),
# transcriptions, sense letters (а) б)), "etc." and optional reflexive endings; "кого-л." is
# written out as the word it stands for.
DICTIONARY_NOTATION = re.compile(
    r"_[^\s.,;)]*\.?|\[[^]\n]*\]|(?<!\w)[а-д]\)|\bт\. ?п\.|\(-?ся\)"
    r"|(?<!\w)(?:тж|обыкн|особ|употр|преим|противоп|отриц|измен|римск)\.")
SHORTENED_PRONOUN = re.compile(r"(?<=\w)-л\.")


def dictionary_text(chunk):
    return SHORTENED_PRONOUN.sub("-либо", DICTIONARY_NOTATION.sub(" ", chunk))


# The English dictionary's bracketed etymologies (French, Latin, Old English words), sources
# and inflection notes, pronunciations (\Di*chot"o*my\), field labels ((Bot.)) and the
# authors of its quotations (--Bp. Hall.): none of them English prose.
WEBSTER_NOTATION = re.compile(
    r"\[[^][]*\]|\\[^\\\n]*\\|\((?:[A-Z][A-Za-z]*\. ?)+\)|--(?=\S)[^\n]*")
# Headwords cite their syllables and stress (Di*chot"o*mous*ly).
SYLLABLE_MARKS = re.compile(r"(?<=[A-Za-z])[*\"`](?=[A-Za-z])")


def webster_text(text):
    return WEBSTER_NOTATION.sub(" ", SYLLABLE_MARKS.sub("", text))


def austen_novels():
    # The novels are stored as R data, so R itself reads them out, one line of text a line.
    script = "library(janeaustenr); writeLines(austen_books()$text)"
    return subprocess.run(["Rscript", "-e", script], check=True, capture_output=True,
                          text=True).stdout


def texts(package):
    for path in package_files(package):
        name = str(path)
        if "/man/" in name and name.endswith(".gz"):
            yield manual_page_text(path)
        elif name.endswith(".html") or name.endswith(".page"):
            yield html_text(path)
        elif "/wordnet/data." in name:
            yield from wordnet_glosses(path)
        elif name.endswith("/janeaustenr/data/Rdata.rdb"):
            yield austen_novels()
        elif name.endswith(".txt.gz") and "/doc/jargon-text/" in name:
            yield gzip.open(path, "rt", encoding="utf-8", errors="replace").read()
        elif name.endswith(".dict.dz"):
            with gzip.open(path, "rt", encoding="utf-8", errors="replace") as dictionary:
                text = dictionary.read()
            # Definitions and the quotations that illustrate them, without the notation.
            yield dictionary_text(text) if "mueller" in name else webster_text(text)


def word_pattern(language):
    letters = LETTERS[language]
    joiner = "'’-" if language != "ru" else "-"
    return re.compile(f"(?<![\\w])[{letters}]+(?:[{joiner}][{letters}]+)*(?![\\w])")


def count_words(language):
    """How often each lower-cased word occurs, and how often of those in capitals (DNS, GNU):
    what tells an acronym from a word typed with Caps Lock on."""
    pattern = word_pattern(language)
    counts = collections.Counter()
    capitals = collections.Counter()
    for package in SOURCES[language]:
        for text in texts(package):
            for word in pattern.findall(text):
                lower = word.lower().replace("’", "'")
                counts[lower] += 1
                if len(word) > 1 and word.isupper():
                    capitals[lower] += 1
    return counts, capitals


def count_ngrams(words):
    ngrams = [collections.Counter() for _ in range(3)]
    for word, count in words.items():
        if "-" in word:
            continue
        framed = "^^" + word + "$"
        for i in range(2, len(framed)):
            ngrams[0][framed[i]] += count
            ngrams[1][framed[i - 1:i + 1]] += count
            ngrams[2][framed[i - 2:i + 1]] += count
    return ngrams


def misspelled(words, language):
    """The words Enchant rejects in every form: as listed, capitalised and in capitals."""
    rejected = set(words)
    for form in (str, lambda word: word[:1].upper() + word[1:], str.upper):
        asked = sorted({form(word) for word in rejected})
        listing = subprocess.run(["enchant-2", "-d", SPELL_DICTIONARIES[language], "-l"],
                                 input="\n".join(asked) + "\n", check=True, text=True,
                                 capture_output=True).stdout
        unknown = set(listing.splitlines())
        rejected = {word for word in rejected if form(word) in unknown}
    return rejected


def trusted(items, language):
    rare = [word for word, count in items if count < TRUSTED_COUNT]
    rejected = misspelled(rare, language)
    return [item for item in items if item[0] not in rejected]


def ranked(counter):
    return sorted(counter.items(), key=lambda item: (-item[1], item[0]))


def write(path, total, items, capitals):
    with open(path, "w", encoding="utf-8") as out:
        out.write(f"#total\t{total}\n")
        for key, count in items:
            written = f"\t{capitals[key]}" if capitals[key] else ""
            out.write(f"{key}\t{count}{written}\n")


def main():
    output = pathlib.Path(sys.argv[1])
    output.mkdir(parents=True, exist_ok=True)
    for language in SOURCES:
        words, capitals = count_words(language)
        kept = [item for item in ranked(words) if item[1] >= MINIMUM_COUNT][:WORD_LIMIT[language]]
        listed = trusted(kept, language)
        write(output / f"{language}.words", sum(words.values()), listed, capitals)
        unigrams, bigrams, trigrams = count_ngrams(dict(kept))
        with open(output / f"{language}.chars", "w", encoding="utf-8") as out:
            out.write(f"#total\t{sum(unigrams.values())}\n")
            limits = ((unigrams, None), (bigrams, None), (trigrams, TRIGRAM_LIMIT[language]))
            for counter, limit in limits:
                for key, count in ranked(counter)[:limit]:
                    out.write(f"{key}\t{count}\n")
        print(f"{language}: {sum(words.values())} running words, {len(words)} distinct, "
              f"{len(kept)} kept for the letters, {len(listed)} listed", file=sys.stderr)


def filter_existing(directory):
    """The filter on lists built before it: the same words as a rebuild would list."""
    for language in SOURCES:
        path = directory / f"{language}.words"
        lines = path.read_text(encoding="utf-8").splitlines()
        total, entries = lines[0].split("\t")[1], [line.split("\t") for line in lines[1:]]
        keep = {word for word, _ in trusted([(e[0], int(e[1])) for e in entries], language)}
        capitals = collections.Counter({e[0]: int(e[2]) for e in entries if len(e) > 2})
        listed = [(e[0], int(e[1])) for e in entries if e[0] in keep]
        write(path, total, listed, capitals)
        print(f"{language}: {len(entries)} words, {len(listed)} listed", file=sys.stderr)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--filter":
        filter_existing(pathlib.Path(sys.argv[2]))
    else:
        main()
