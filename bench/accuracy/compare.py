#!/usr/bin/env python3
"""The two engines side by side: Markdown tables of an accuracy run (see run.sh) and every
correct word either engine changed, with its output. Cases the run did not type (the fresh
text has only the mixed one) are left out.

usage: compare.py OUT-DIR
"""
import json
import pathlib
import sys

ENGINES = ["described", "extended"]
WRONG = [("ru-under-us", "Russian typed under US"), ("en-under-ru", "English typed under Russian"),
         ("uk-under-us", "Ukrainian typed under US"),
         ("en-under-ua", "English typed under Ukrainian"),
         ("words-ru-under-us", "Word list, Russian typed under US"),
         ("words-en-under-ru", "Word list, English typed under Russian")]
RIGHT = [("ru-right", "Russian typed right"), ("en-right", "English typed right"),
         ("uk-right", "Ukrainian typed right"),
         ("mixed-right", "Russian with English terms, typed right (--typed-in auto)"),
         ("words-ru-right", "Word list, Russian typed right"),
         ("words-en-right", "Word list, English typed right")]
COLUMNS = [("all", "all"), ("letter keys only", "letter keys only"),
           ("punctuation keys", "punctuation keys"), ("up to 3 letters", "≤3 letters"),
           ("capitalised", "capitalised")]


def load(out, name, engine):
    return json.loads((out / f"{name}-{engine}.json").read_text(encoding="utf-8"))


def typed(out, cases):
    return [(name, title) for name, title in cases
            if all((out / f"{name}-{engine}.json").is_file() for engine in ENGINES)]


def cell(table, key):
    entry = table.get(key)
    if not entry or not entry["words"]:
        return "–"
    return f"{100 * entry['share']:.2f}%"


def main():
    out = pathlib.Path(sys.argv[1])
    wrong, right = typed(out, WRONG), typed(out, RIGHT)
    if not wrong and not right:
        sys.exit(f"compare.py: no accuracy results in {out}")
    if wrong:
        print_wrong(out, wrong)
    if right:
        print_right(out, right)
    if all((out / f"ru-switched-{engine}.json").is_file() for engine in ENGINES):
        print_switched(out)
    if all((out / f"forgot-{engine}.json").is_file() for engine in ENGINES):
        print_forgot(out)


def print_wrong(out, wrong):
    print("**Wrong-layout words corrected** (described / extended)\n")
    print("| direction | words | " + " | ".join(title for _, title in COLUMNS) + " |")
    print("|---|---|" + "---|" * len(COLUMNS))
    for name, title in wrong:
        runs = [load(out, name, engine)["table"] for engine in ENGINES]
        cells = [" / ".join(cell(run, key) for run in runs) for key, _ in COLUMNS]
        counts = " ".join(str(runs[0].get(key, {}).get("words", 0)) for key, _ in COLUMNS[:1])
        print(f"| {title} | {counts} | " + " | ".join(cells) + " |")
    print()


def print_right(out, right):
    print("**Correct words changed** (described / extended)\n")
    print("| text | words | described | extended |")
    print("|---|---|---|---|")
    changes = {}
    for name, title in right:
        runs = [load(out, name, engine) for engine in ENGINES]
        words = runs[0]["table"]["all"]["words"]
        shown = []
        for engine, run in zip(ENGINES, runs):
            count = len(run["changes"])
            shown.append(f"{count} ({100 * count / words:.3f}%)")
            changes[(title, engine)] = run["changes"]
        print(f"| {title} | {words} | " + " | ".join(shown) + " |")
    print("\n**Every correct word the extended engine changed**\n")
    for name, title in right:
        for change in changes[(title, "extended")]:
            print(f"- {title}: {change['word']} → {change['output']}")


def print_switched(out):
    runs = [load(out, "ru-switched", engine) for engine in ENGINES]
    print("\n**Russian typed on under US after an accidental switch** (described / extended)\n")
    print("| words | first word after the switch | later words |")
    print("|---|---|---|")
    shares = [" / ".join(f"{100 * run[kind]['share']:.2f}%" for run in runs)
              for kind in ("first", "later")]
    print(f"| {runs[0]['first']['words']} + {runs[0]['later']['words']} | " +
          " | ".join(shares) + " |")


def print_forgot(out):
    runs = [load(out, "forgot", engine) for engine in ENGINES]
    print("\n**Mixed text typed by someone who forgets to switch** (described / extended)\n")
    print("| wrong-layout words | words | corrected | correct words changed |")
    print("|---|---|---|---|")
    for kind in ("russian typed under US", "English typed under Russian"):
        shares = " / ".join(f"{100 * run[kind]['share']:.2f}%" for run in runs)
        print(f"| {kind} | {runs[0][kind]['words']} | {shares} | |")
    right = runs[0]["correct words"]["words"]
    changed = " / ".join(str(run["correct words"]["changed"]) for run in runs)
    print(f"| (typed right) | {right} | | {changed} |")
    for change in runs[1]["changed"]:
        print(f"- changed: {change['word']} → {change['output']}")


if __name__ == "__main__":
    main()
