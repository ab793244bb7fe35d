#!/usr/bin/env python3
"""Checks that the held-out and fresh texts share nothing with the evaluation and development
texts, nor with each other, without showing any of them: prints only word counts and counts
of shared passages.

usage: check-disjoint.py [WORDS]   (40000 by default, as run.sh types)

A passage is shared when it is the same line, or the same once case, spacing and punctuation
are ignored. The held-out text of WORDS words is compared with the evaluation text of WORDS
words and of its usual size, and with the development text. The fresh mixed text of WORDS
words is compared with the whole of the evaluation, held-out and development mixed texts
(every smaller text is a beginning of the whole). Exits 1 when anything is shared, a package
is named twice, or a text has fewer than WORDS words, or MINIMUM_WORDS when WORDS is more.
"""
import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import corpus  # noqa: E402

MINIMUM_WORDS = 30000
# All the unseen mixed text there is.
UNSEEN_MINIMUM_WORDS = 9000
# More words than any text holds: the whole text.
WHOLE = 10 ** 9


def text(language, words):
    result = subprocess.run([sys.executable, str(HERE / "corpus.py"), language, str(words)],
                            check=True, capture_output=True, text=True)
    return result.stdout.splitlines()


def shared(held_out, other):
    exact = len(set(held_out) & set(other))
    others = {corpus.same_text(line) for line in other}
    alike = sum(corpus.same_text(line) in others for line in held_out)
    return exact, alike


def named_packages():
    sys.path.insert(0, str(HERE.parent.parent / "scripts"))
    import importlib
    language_data = importlib.import_module("build-language-data")
    return {
        "evaluation": set(corpus.CATALOG_PACKAGES),
        "held-out": set(corpus.HOLDOUT_CATALOG_PACKAGES),
        "fresh": set(corpus.FRESH_CATALOG_PACKAGES),
        "unseen": set(corpus.UNSEEN_CATALOG_PACKAGES),
        "development": {corpus.package_name(entry)
                        for entry in sum(corpus.DEVELOPMENT_PACKAGES.values(), [])},
        "language data": {corpus.package_name(source)
                          for sources in language_data.SOURCES.values() for source in sources},
    }


def package_overlaps(name, named):
    """Whether the packages of the set NAME are named by any other set."""
    failed = False
    for other, packages in named.items():
        if other != name:
            common = sorted(named[name] & packages)
            print(f"{name} packages also in the {other} packages: {len(common)} {common}")
            failed |= bool(common)
    return failed


def check(name, language, words, others, minimum=MINIMUM_WORDS):
    """Whether the text LANGUAGE of WORDS words is too small or shares a passage with OTHERS."""
    checked = text(language, words)
    count = sum(len(line.split()) for line in checked)
    print(f"{language}: {name} {len(checked)} passages, {count} words")
    failed = count < min(words, minimum) or len(set(checked)) != len(checked)
    for other_name, other in others:
        exact, alike = shared(checked, other)
        print(f"  vs {other_name} ({len(other)} passages): {exact} the same, {alike} alike")
        failed |= bool(exact or alike)
    return failed


def main():
    words = int(sys.argv[1]) if len(sys.argv) > 1 else corpus.EVALUATION_WORDS
    named = named_packages()
    failed = (package_overlaps("held-out", named) | package_overlaps("fresh", named) |
              package_overlaps("unseen", named))
    for base in ("ru", "en", "uk", "mixed"):
        sizes = sorted({words, corpus.EVALUATION_WORDS})
        others = [(f"evaluation {size}", text(base, size)) for size in sizes]
        others.append(("development", text("dev-" + base, words)))
        failed |= check("held-out", corpus.HOLDOUT + base, words, others)
    others = [(f"whole {name} mixed", text(prefix + "mixed", WHOLE))
              for name, prefix in (("evaluation", ""), ("held-out", corpus.HOLDOUT),
                                   ("development", "dev-"))]
    failed |= check("fresh", corpus.FRESH + "mixed", words, others)
    others.append(("whole fresh mixed", text(corpus.FRESH + "mixed", WHOLE)))
    failed |= check("unseen", corpus.UNSEEN + "mixed", WHOLE, others, UNSEEN_MINIMUM_WORDS)
    print("FAILED" if failed else "disjoint")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
