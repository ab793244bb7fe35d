#!/usr/bin/env python3
"""Checks that the held-out text shares nothing with the evaluation and development texts,
without showing any of them: prints only word counts and counts of shared passages.

usage: check-disjoint.py [WORDS]   (40000 by default, as run.sh types)

A passage is shared when it is the same line, or the same once case, spacing and punctuation
are ignored. The held-out text of WORDS words is compared with the evaluation text of WORDS
words and of its usual size, and with the development text. Exits 1 when anything is shared
or a held-out text has fewer than WORDS words, or MINIMUM_WORDS when WORDS is more.
"""
import pathlib
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import corpus  # noqa: E402

MINIMUM_WORDS = 30000


def text(language, words):
    result = subprocess.run([sys.executable, str(HERE / "corpus.py"), language, str(words)],
                            check=True, capture_output=True, text=True)
    return result.stdout.splitlines()


def shared(held_out, other):
    exact = len(set(held_out) & set(other))
    others = {corpus.same_text(line) for line in other}
    alike = sum(corpus.same_text(line) in others for line in held_out)
    return exact, alike


def package_overlaps():
    sys.path.insert(0, str(HERE.parent.parent / "scripts"))
    import importlib
    language_data = importlib.import_module("build-language-data")
    holdout = set(corpus.HOLDOUT_CATALOG_PACKAGES)
    named = {
        "evaluation": set(corpus.CATALOG_PACKAGES),
        "development": set(sum(corpus.DEVELOPMENT_PACKAGES.values(), [])),
        "language data": {source.partition(":")[0]
                          for sources in language_data.SOURCES.values() for source in sources},
    }
    return {name: sorted(holdout & packages) for name, packages in named.items()}


def main():
    words = int(sys.argv[1]) if len(sys.argv) > 1 else corpus.EVALUATION_WORDS
    failed = False
    for name, common in package_overlaps().items():
        print(f"held-out packages also in the {name} packages: {len(common)} {common}")
        failed |= bool(common)
    for base in ("ru", "en", "uk", "mixed"):
        held_out = text(corpus.HOLDOUT + base, words)
        count = sum(len(line.split()) for line in held_out)
        print(f"{base}: held-out {len(held_out)} passages, {count} words")
        failed |= count < min(words, MINIMUM_WORDS) or len(set(held_out)) != len(held_out)
        sizes = sorted({words, corpus.EVALUATION_WORDS})
        others = [(f"evaluation {size}", text(base, size)) for size in sizes]
        others.append(("development", text("dev-" + base, words)))
        for name, other in others:
            exact, alike = shared(held_out, other)
            print(f"  vs {name} ({len(other)} passages): {exact} the same, {alike} alike")
            failed |= bool(exact or alike)
    print("FAILED" if failed else "disjoint")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
