#!/usr/bin/env python3
"""Summaries of an accuracy run (see run.sh).

usage: report.py misses WRONG.json   the missed words whose keys are all letter keys, as typed,
                                     one per line (to be explained by plovik-correct)
       report.py tables OUT-DIR      Markdown tables and the kinds of misses and changes
"""
import collections
import json
import pathlib
import sys

BUCKETS = ["1-2", "3", "4-5", "6+"]
THRESHOLD = 0.9


def typed_core(miss):
    return miss["typed"][miss["prefix"]:miss["prefix"] + len(miss["word"])]


def letter_key_misses(summary):
    """Misses whose own keys and neighbouring keys are no excuse: the decision alone missed."""
    return [m for m in summary["misses"]
            if not (m["punctuationKeys"] or m["keyBefore"] or m["gluedAfter"])]


def share(table, key):
    entry = table.get(key)
    if not entry or not entry["words"]:
        return "–"
    return f"{100 * entry['share']:.1f}% of {entry['words']}"


def correction_table(summary, title):
    table = summary["table"]
    exact = summary["exactChunks"]
    lines = [f"**{title}**: {share(table, 'all')} wrong-layout words corrected to the intended word "
             f"({100 * exact['share']:.1f}% also with the punctuation around them as intended)",
             "", "| length | letter keys only | with punctuation keys | all |", "|---|---|---|---|"]
    for bucket in BUCKETS:
        lines.append(f"| {bucket} | {share(table, 'letter keys ' + bucket)} | "
                     f"{share(table, 'punctuation keys ' + bucket)} | {share(table, bucket)} |")
    lines.append(f"| all | {share(table, 'letter keys only')} | "
                 f"{share(table, 'punctuation keys')} | {share(table, 'all')} |")
    return "\n".join(lines)


def change_table(summaries):
    lines = ["| typed correctly | words | changed | share changed | by length (1-2 / 3 / 4-5 / 6+) |",
             "|---|---|---|---|---|"]
    for title, summary in summaries:
        table = summary["table"]
        n = table["all"]["words"]
        changed = len(summary["changes"])
        by_length = " / ".join(
            f"{100 * (1 - table[b]['share']):.2f}%" if b in table else "–" for b in BUCKETS)
        lines.append(f"| {title} | {n} | {changed} | {100 * changed / n:.2f}% | {by_length} |")
    return "\n".join(lines)


def classify_misses(summary, explained):
    kinds = collections.defaultdict(list)
    for miss in summary["misses"]:
        example = f"{miss['word']} ← {miss['typed']} → {miss['output']}"
        if miss["punctuationKeys"]:
            kinds["keys of the word include punctuation keys"].append(example)
        elif miss["keyBefore"]:
            kinds["a punctuation key typed right before the word joins it"].append(example)
        elif miss["gluedAfter"]:
            kinds["the punctuation after the word types a letter or symbol"].append(example)
    for miss, judged in zip(letter_key_misses(summary), explained):
        decision = judged["decision"]
        example = f"{miss['word']} ← {judged['token']}"
        if decision is None:
            kind = f"excluded: {judged['safety']}" if judged["safety"] else "no decision"
        elif decision["corrected"] != miss["word"]:
            kind = "another word chosen"
            example += f" → {decision['corrected']} ({decision['confidence']:.2f})"
        elif decision["confidence"] < THRESHOLD:
            kind = "right word, confidence below 0.9"
            example += f" ({decision['confidence']:.2f})"
        else:
            kind = "corrected alone, not after the text before it"
            example += f" (in the text: {miss['output']})"
        kinds[kind].append(example)
    return kinds


def kinds_text(kinds, total):
    lines = []
    for kind, examples in sorted(kinds.items(), key=lambda item: -len(item[1])):
        shown = "; ".join(examples[:8])
        lines.append(f"- {kind}: {len(examples)} ({100 * len(examples) / total:.1f}% of the "
                     f"wrong-layout words). Examples: {shown}")
    return "\n".join(lines)


def tables(out):
    load = lambda name: json.loads((out / name).read_text(encoding="utf-8"))
    jsonl = lambda name: [json.loads(line) for line in
                          (out / name).read_text(encoding="utf-8").splitlines() if line]
    ru_wrong, en_wrong = load("ru-wrong.json"), load("en-wrong.json")
    print(correction_table(ru_wrong, "Russian typed under US"))
    print()
    print(correction_table(en_wrong, "English typed under Russian"))
    print()
    for title, name in (("Russian typed under US", "ru-switch.json"),
                        ("English typed under Russian", "en-switch.json")):
        table = load(name)["table"]
        print(f"With --switch, {title}: {share(table, 'all')} corrected "
              f"(letter keys only {share(table, 'letter keys only')}, "
              f"with punctuation keys {share(table, 'punctuation keys')})")
    print()
    print(change_table([("Russian under Russian", load("ru-right.json")),
                        ("English under US", load("en-right.json"))]))
    for title, summary, explained in (("Russian typed under US", ru_wrong,
                                       jsonl("ru-misses.jsonl")),
                                      ("English typed under Russian", en_wrong,
                                       jsonl("en-misses.jsonl"))):
        print(f"\nMisses, {title}:")
        print(kinds_text(classify_misses(summary, explained), summary["table"]["all"]["words"]))
    for title, name in (("Russian", "ru-right.json"), ("English", "en-right.json")):
        changes = load(name)["changes"]
        counted = collections.Counter(f"{c['word']} → {c['output']}" for c in changes)
        print(f"\nFalse changes, {title} ({len(changes)}): " +
              "; ".join(f"{text} ×{n}" if n > 1 else text for text, n in counted.most_common(25)))


def main():
    if sys.argv[1] == "misses":
        summary = json.loads(pathlib.Path(sys.argv[2]).read_text(encoding="utf-8"))
        for miss in letter_key_misses(summary):
            print(typed_core(miss))
    else:
        tables(pathlib.Path(sys.argv[2]))


if __name__ == "__main__":
    main()
