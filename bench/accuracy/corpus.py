#!/usr/bin/env python3
"""Prints prose no language data was built from, one passage per line.

usage: corpus.py [dev-|holdout-]ru|en|uk|mixed WORDS, or corpus.py fresh-mixed|unseen-mixed WORDS

Evaluation text (never used to build or tune anything):
ru, en: the Debian fortune files. uk: the Ukrainian gettext catalogs of the packages named in
CATALOG_PACKAGES (translated messages). mixed: messages of those packages' Russian catalogs
that hold Russian and English words together (Russian with English terms). Catalog messages
lose their keyboard accelerator marks; messages with placeholders, markup or paths are skipped.

Development text (for studying misses and tuning): the HTML manuals of the packages named in
DEVELOPMENT_PACKAGES, paragraph by paragraph, and for English also the prose of the anarchist
quotations (fortune-anarchism); dev-mixed keeps Russian paragraphs with English words in them,
from the Russian manuals and from the Russian pages of further manuals ("package:/part/" reads
only the package's files whose path holds that part).

Held-out text (typed once, at the very end, by nobody who tunes anything): ru, en, uk continue
the evaluation text's order past its cut (the passages it prints for WORDS words, and never fewer
than for EVALUATION_WORDS) and take the next WORDS words; mixed takes the Russian catalogs of
the packages named in HOLDOUT_CATALOG_PACKAGES instead. No held-out passage equals an evaluation
passage, even ignoring case, spacing and punctuation (check-disjoint.py checks it).

Fresh text (a second held-out text, typed once by nobody who tunes anything): only mixed, from
the Russian catalogs of the packages named in FRESH_CATALOG_PACKAGES, without any passage of
the evaluation, held-out or development mixed texts (of any size).

Unseen text (a third held-out mixed text, for the round after the fresh one was used up): the
Russian catalogs of the packages named in UNSEEN_CATALOG_PACKAGES, without any passage of the
evaluation, held-out, development or fresh mixed texts (of any size).

Fortunes are taken in a fixed order (round robin over the files in the order listed,
the first fortune of each, then the second, ...), the
attribution lines ("-- Author") dropped and the hard-wrapped lines joined with single
spaces. Russian keeps fortunes written in Cyrillic; English keeps plain ASCII fortunes.
Output stops once WORDS whitespace-separated words have been printed, so runs repeat exactly.
"""
import gettext
import html.parser
import itertools
import pathlib
import re
import subprocess
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
# The packages whose catalogs make the Ukrainian and mixed evaluation texts (Debian 12).
CATALOG_PACKAGES = [
    "adduser", "appstream", "apt", "at-spi2-common", "bash", "binutils-common", "coreutils",
    "diffutils", "dpkg", "findutils", "gettext", "gettext-base", "git", "gnupg-l10n", "grep",
    "gsettings-desktop-schemas", "iso-codes", "libapt-pkg6.0", "libavahi-common-data", "libc-l10n",
    "libdpkg-perl", "libelf1", "libgdk-pixbuf2.0-common", "libglib2.0-data", "libgnutls30",
    "libgstreamer1.0-0", "libgtk-3-common", "libgtk2.0-common", "libidn2-0", "libpam-runtime",
    "libpq5", "login", "m4", "make", "man-db", "openbox", "packagekit", "polkitd",
    "postgresql-15", "postgresql-client-15", "procps", "psmisc", "python-apt-common", "sed",
    "shared-mime-info", "software-properties-common", "systemd", "tar", "wget", "xdg-user-dirs",
    "xkb-data", "xz-utils",
]
# The packages whose Russian catalogs make the held-out mixed text (Debian 12): none of them
# is an evaluation or development package, and none is read for language data.
HOLDOUT_CATALOG_PACKAGES = [
    "audacity-data", "brasero-common", "claws-mail-i18n", "evince-common",
    "evolution-data-server-common", "filezilla-common", "gcc-12-locales", "geany-common",
    "gedit-common", "gnucash-common", "gnumeric-common", "grub-common", "hexchat-common",
    "inkscape", "libgtk-4-common", "libsane-common", "mc-data", "nano", "network-manager",
    "pidgin-data", "remmina-common", "rhythmbox-data", "sudo", "synaptic", "thunar-data",
    "totem-common", "util-linux-locales", "vlc-l10n",
]
HOLDOUT = "holdout-"
# The packages whose Russian catalogs make the fresh mixed text (Debian 12, versions in
# README.md): none is an evaluation, held-out or development package, and none is read for
# language data.
FRESH_CATALOG_PACKAGES = [
    "anjuta-common", "colord-data", "cryptsetup-bin", "digikam-data", "dnf-data",
    "evolution-common", "fontforge-common", "gnome-commander-data", "gparted-common",
    "gutenprint-locales", "gwyddion-common", "hugin-data", "kate5-data", "kdenlive-data",
    "kdevelop-l10n", "kmymoney-common", "krita-l10n", "lftp", "libgda-5.0-common",
    "libparted-i18n", "libvirt-l10n", "lynx-common", "mkvtoolnix", "mutt", "poedit-common",
    "shotwell-common", "spacefm-common", "tellico-data", "wx3.2-i18n", "zypper-common",
]
FRESH = "fresh-"
# The packages whose Russian catalogs make the unseen mixed text (Debian 12, versions in
# README.md): none is named by another set or read for language data.
UNSEEN_CATALOG_PACKAGES = [
    "aria2", "blueman", "bluefish-data", "catfish", "d-feet", "dconf-editor", "easytag",
    "file-roller", "flatpak", "fwupd", "galculator", "geeqie-common", "ghex", "gitg",
    "gnome-control-center-data", "gnome-disk-utility", "gnome-system-monitor",
    "gstreamer1.0-plugins-bad", "gstreamer1.0-plugins-good", "gstreamer1.0-plugins-ugly",
    "gthumb-data", "gucharmap", "gvfs-common", "libgphoto2-l10n", "meld", "nautilus-data",
    "network-manager-l2tp", "network-manager-openconnect", "network-manager-openvpn",
    "network-manager-vpnc", "parole", "pavucontrol", "ristretto", "seahorse", "simple-scan",
    "tracker", "transmission-common", "udisks2", "weechat-core", "xarchiver", "xfburn",
    "xfce4-panel", "xfce4-power-manager", "xfce4-screenshooter", "xfce4-settings",
    "xfce4-taskmanager",
]
UNSEEN = "unseen-"
# The word count run.sh types the evaluation text at.
EVALUATION_WORDS = 40000
# Manuals for development text, none of them evaluated on or built into the language data.
DEVELOPMENT_PACKAGES = {
    "ru": ["doublecmd-help-ru", "aptitude-doc-ru", "kicad-doc-ru"],
    "en": ["doublecmd-help-en", "aptitude-doc-en", "fortune-anarchism"],
    "uk": ["doublecmd-help-uk"],
}
# Mixed text needs more than the Russian manuals hold: after them (so that a text of their
# size stays as it was), the Russian pages of further manuals. MPlayer's brings codecs,
# drivers and options amid Russian prose.
MIXED_MANUALS = ["mplayer-doc:/ru/", "tupi-data:/ru/", "genius-common:/ru/", "bibletime-data:/ru/"]
DEVELOPMENT_PACKAGES["mixed"] = DEVELOPMENT_PACKAGES["ru"] + MIXED_MANUALS


def package_name(entry):
    return entry.partition(":")[0]
ACCELERATOR = re.compile(r"[&_](?=\w)")
NOT_PROSE = re.compile(r"[%{}<>\\$@/|=#\[\]\t]")


def catalog_messages(path):
    try:
        with open(path, "rb") as file:
            catalog = gettext.GNUTranslations(file)._catalog
    except (OSError, UnicodeDecodeError):
        # A damaged catalog, or one whose header names no charset for its Cyrillic.
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


def package_files(packages, suffix, under=""):
    files = []
    for entry in packages:
        package, _, part = entry.partition(":")
        listing = subprocess.run(["dpkg", "-L", package], capture_output=True, text=True)
        if listing.returncode != 0:
            # A missing package would silently change the text (and what other texts leave out).
            sys.exit(f"corpus.py: package {package} is not installed "
                     "(install-corpus.sh installs it)")
        files += [pathlib.Path(line) for line in listing.stdout.splitlines()
                  if line.endswith(suffix) and under in line and part in line]
    return sorted(path for path in files if path.is_file())


class Paragraphs(html.parser.HTMLParser):
    """Text of an HTML page, one paragraph, list item or cell at a time, without code blocks
    (names of commands and options inside sentences stay, as a user would type them)."""
    BLOCKS = {"p", "li", "td", "th", "dd", "dt", "h1", "h2", "h3", "h4", "div", "br", "tr"}
    SKIPPED = {"script", "style", "pre"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.paragraphs, self.current, self.skipping = [], [], 0

    def flush(self):
        text = " ".join("".join(self.current).split())
        if text:
            self.paragraphs.append(text)
        self.current = []

    def handle_starttag(self, tag, attrs):
        if tag in self.SKIPPED:
            self.skipping += 1
        elif tag in self.BLOCKS:
            self.flush()

    def handle_endtag(self, tag):
        if tag in self.SKIPPED:
            self.skipping = max(0, self.skipping - 1)
        elif tag in self.BLOCKS:
            self.flush()

    def handle_data(self, data):
        if not self.skipping:
            self.current.append(data)


def manual_paragraphs(path):
    parser = Paragraphs()
    parser.feed(path.read_text(encoding="utf-8", errors="replace"))
    parser.flush()
    for text in parser.paragraphs:
        if not NOT_PROSE.search(text) and len(text.split()) >= 3:
            yield text


def sources(language):
    if language.startswith("dev-"):
        base = language[4:]
        keep = {"ru": is_russian, "uk": is_russian, "en": is_english, "mixed": is_mixed}[base]
        groups = [DEVELOPMENT_PACKAGES["ru"], MIXED_MANUALS] if base == "mixed" else [
            DEVELOPMENT_PACKAGES[base]]
        paths = [path for group in groups for path in package_files(group, ".html")]
        manuals = itertools.chain.from_iterable(manual_paragraphs(path) for path in paths)
        # English takes prose and manuals in turn.
        prose = [fortunes(EN_DIR / "anarchism")] if base == "en" else []
        return prose + [manuals], keep
    if language == "ru":
        paths = sorted(p for p in RU_DIR.iterdir() if p.suffix == ".u8")
        return [fortunes(path) for path in paths], is_russian
    if language == "en":
        return [fortunes(EN_DIR / name) for name in EN_FILES], is_english
    packages = {HOLDOUT + "mixed": HOLDOUT_CATALOG_PACKAGES,
                FRESH + "mixed": FRESH_CATALOG_PACKAGES,
                UNSEEN + "mixed": UNSEEN_CATALOG_PACKAGES}.get(language, CATALOG_PACKAGES)
    folder = str(LOCALE_DIR / ("uk" if language == "uk" else "ru") / "LC_MESSAGES") + "/"
    catalogs = package_files(packages, ".mo", folder)
    return [catalog_messages(path) for path in catalogs], is_russian if language == "uk" else is_mixed


LANGUAGES = [prefix + base for prefix in ("", "dev-", HOLDOUT)
             for base in ("ru", "en", "uk", "mixed")] + [FRESH + "mixed", UNSEEN + "mixed"]


def main():
    if len(sys.argv) != 3 or not sys.argv[2].isdigit() or sys.argv[1] not in LANGUAGES:
        sys.exit("usage: corpus.py " + "|".join(LANGUAGES) + " WORDS")
    language, limit = sys.argv[1], int(sys.argv[2])
    if language.startswith(HOLDOUT):
        chosen = held_out(language[len(HOLDOUT):], limit)
    elif language.startswith(FRESH):
        chosen = fresh(limit)
    elif language.startswith(UNSEEN):
        chosen = unseen(limit)
    else:
        chosen = take_words(passages(language), limit)
    for passage in chosen:
        print(passage)


def passages(language):
    """Every passage the text may use, in the fixed order, each once."""
    streams, keep = sources(language)
    seen = set()
    for passage in round_robin(streams):
        if passage in seen:
            continue
        seen.add(passage)
        if keep(passage):
            yield passage


def take_words(stream, limit):
    """Passages until WORDS words have been given; leaves the rest of the stream unread."""
    words = 0
    for passage in stream:
        yield passage
        words += len(passage.split())
        if words >= limit:
            return


def held_out(base, limit):
    """The held-out text: what comes after the evaluation text in the same order (never
    before the evaluation text of its usual size, whatever WORDS), or for mixed text the
    catalogs of other packages, without any passage the evaluation text holds."""
    stream = passages(base)
    cut = max(limit, EVALUATION_WORDS)
    if base == "mixed":
        # The evaluation packages' catalogs run out before the cut, so all of them count.
        evaluated = {same_text(passage) for passage in stream}
        stream = passages(HOLDOUT + "mixed")
    else:
        evaluated = {same_text(passage) for passage in take_words(stream, cut)}
    return take_words((p for p in stream if same_text(p) not in evaluated), limit)


def fresh(limit):
    """The fresh mixed text: its own catalogs, without any passage that any other mixed text
    may hold at any size (each of those is a beginning of its whole stream)."""
    others = set()
    for language in ("mixed", "dev-mixed"):
        others |= {same_text(passage) for passage in passages(language)}
    others |= {same_text(passage) for passage in held_out("mixed", sys.maxsize)}
    stream = passages(FRESH + "mixed")
    return take_words((p for p in stream if same_text(p) not in others), limit)


def unseen(limit):
    """The unseen mixed text: its own catalogs, without any passage that any other mixed text,
    the fresh one included, may hold at any size."""
    others = {same_text(passage) for passage in fresh(sys.maxsize)}
    for language in ("mixed", "dev-mixed"):
        others |= {same_text(passage) for passage in passages(language)}
    others |= {same_text(passage) for passage in held_out("mixed", sys.maxsize)}
    others |= {same_text(passage) for passage in passages(FRESH + "mixed")}
    stream = passages(UNSEEN + "mixed")
    return take_words((p for p in stream if same_text(p) not in others), limit)


def same_text(passage):
    # Passages that differ only in case, spacing or punctuation are one passage.
    return "".join(c for c in passage.casefold() if c.isalnum())


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
