#!/usr/bin/env python3
"""Sorts the differences that facts_shapes.py saved (--save, with --shrink) by their cause.

Each shrunk text is matched against CAUSES, in order; the first cause whose pattern it holds
takes it. The causes are the differences already understood between this parser, the cmark
0.30.2 one that came before it (a build run with --old) and the reference build; what no cause
takes is listed as it is, to be looked at.

    facts_differences.py SAVED... [--examples K]

Prints, for each comparison (shape and seed, the other build), how many documents each cause
accounts for, then each cause's smallest text with the facts on both sides.

A tool for developers, not a test.
"""
import argparse
import collections
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from facts_shapes import expression  # noqa: E402

# Characters whose full case folding is three characters long.
THREE_CHARACTER_FOLDS = "\u0390\u03b0\u1f52\u1f54\u1f56\u1fb7\u1fc7\u1fd2\u1fd3\u1fd7\u1fe2" \
                        "\u1fe3\u1fe7\u1ff7\ufb03\ufb04"

# (name, which other build it concerns: "old", "reference" or "any", and after a ":" the kind of
# difference if only one; pattern of the shrunk text; which side is right: "this" parser or the
# "other" build; and why). The first that matches takes a difference.
CAUSES = [
    ("blank label after a link text", "any", r"\]\[[ \t\n]+\]", "other",
     "a label of white space only is no link label, so the bracketed text before it is a "
     "shortcut reference (and the link inside it then ends any link around it)"),
    ("lone CR line end", "reference", r"\r(?!\n)", "this",
     "a CR alone ends a line"),
    ("U+0000", "reference", r"\x00", "this",
     "U+0000 stands for U+FFFD, in destinations and labels too"),
    ("vertical tab or form feed", "any", r"[\x0b\x0c]", "this",
     "only spaces and tabs are white space around a destination and in a heading line"),
    ("DEL", "any", r"\x7f", "this",
     "DEL is an ASCII control character, no part of a destination or an autolink"),
    ("U+FFFE or U+FFFF reference", "old", r"(?i)&#(x0*ff|0*6553)", "this",
     "the character is a valid one; the old build wrote a lone byte, no UTF-8"),
    ("backslash before a character reference", "old", r"\\&", "this",
     "the backslash escapes the '&', so the reference is plain text"),
    ("question marks before '>' in a processing instruction", "old", r"<\?[^\n]*\?\?>", "this",
     "a processing instruction ends at the first '?>'"),
    ("link after a line in angle brackets", "old", r"<[^>\n]*:[^>\n]*>\n\[", "this",
     "the old build gave the link a destination taken from the line before"),
    ("definition in a block quote going on lazily with a line of '='", "reference",
     r"(?m)^ {0,3}>[^\n]*\]:[^\n]*\n *=+ *$", "this",
     "a setext underline cannot be a lazy continuation line, so the line goes on with the "
     "paragraph, here the definition's destination"),
    ("tab before a block quote marker", "reference", r"\t *>", "this",
     "the tab counts as indentation"),
    ("tab in an ATX heading line", "reference", r"(?m)^[ >\-*+0-9.)]*#{1,6}[ \t][^\n]*\t", "this",
     "trailing spaces and tabs are no part of the heading"),
    ("white-space line after a definition", "reference", r"\]:[^\n]*\n[ \t]+\n", "this",
     "a line of spaces or tabs is blank"),
    ("collapsed reference ending a heading", "reference:heading-text", r"\]\[\]", "this",
     "the link runs to its closing ']'"),
    ("escaped bracket after a shortcut reference", "reference", r"\]\\\[", "this",
     "the shortcut reference stays a link"),
    ("label length", "any", r"\[[^\]\n]{900,}\]|\[[^\x00-\x7f\]\n]{300,}", "this",
     "a label holds at most 999 characters, whatever their bytes"),
    ("parentheses nested deeper than 6", "reference", r"\({7}", "this",
     "a limit of 32 (CommonMark leaves the limit to the implementation)"),
    ("CDATA section", "reference", r"<!\[CDATA\[", "this",
     "a CDATA section ends at the first ']]>', not at ']>'"),
    ("case folding to three characters", "reference", "[%s]" % THREE_CHARACTER_FOLDS, "this",
     "labels are compared after full Unicode case folding"),
    ("end tag of a literal-content block in capitals", "reference",
     r"(?i)</(pre|script|style|textarea)>", "this",
     "the end tag is matched without regard to case"),
    ("open tag named pre, script, style or textarea", "any",
     r"(?m)^ {0,3}<(pre|script|style|textarea)[^ \t>\n]", "this",
     "an open tag of these names starts no HTML block of kind 7"),
    ("declaration", "old", r"<![A-Za-z]", "this",
     "a declaration starts with any ASCII letter (CommonMark 0.31)"),
    ("search or source tag", "old", r"(?i)</?(search|source)", "this",
     "'search' is a block tag, 'source' is not (CommonMark 0.31)"),
    ("HTML comment", "old", r"<!--", "this",
     "comments as CommonMark 0.31 reads them"),
    ("definitions before a --- or === line", "old",
     r"(?m)^[ >\-*+0-9.)]*\[[^\]]*\]:[^\n]*\n[ >\t]*(-+|=+)\s*($|\n)", "this",
     "definitions make no paragraph that a setext underline could end"),
    ("definition on a lazy continuation line", "old",
     r"(?m)^[ >\-*+0-9.)]*\[[^\]]*\]:[^\n]*\n +\[", "this",
     "the lazy line belongs to the paragraph, which is definitions only"),
    ("empty list item before a white-space line", "old",
     r"(?m)^[ ]{0,3}([-+*]|\d+[.)])\n[ \t]+\n", "this",
     "an empty item ends at a blank line however it is indented"),
    ("code span after an unclosed backtick string", "old", r"`", "this",
     "a backtick string of another length does not close the code span"),
    ("escaped quote ending a title", "old", r"\\[\"')]\s*$", "this",
     "the title is not closed"),
]


def cause_of(record):
    side = "old" if record["other"].endswith("--old") else "reference"
    for name, concerns, pattern, _, _ in CAUSES:
        build, _, kind = concerns.partition(":")
        if build in ("any", side) and kind in ("", record["kind"]) and \
                re.search(pattern, record["shrunk"]):
            return name
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("saved", nargs="+")
    ap.add_argument("--examples", type=int, default=1, help="smallest texts shown for each cause")
    args = ap.parse_args()
    counts = collections.Counter()
    totals = collections.Counter()
    examples = collections.defaultdict(list)
    for path in args.saved:
        with open(path) as f:
            for line in f:
                record = json.loads(line)
                key = (record["other"], record["shape"], record["seed"])
                totals[key] += 1
                if "shrunk" not in record:
                    counts[key + ("(not shrunk)",)] += 1
                    continue
                cause = cause_of(record) or "unexplained"
                counts[key + (cause,)] += 1
                examples[(record["other"], cause)].append(record)
    for key in sorted(totals):
        print("%s, %s, seed %s: %d differences" % (key[0], key[1], key[2], totals[key]))
        for k in sorted(c for c in counts if c[:3] == key):
            print("    %5d  %s" % (counts[k], k[3]))
    reasons = {name: "right: %s; %s" % ("this parser" if right == "this" else "the other build",
                                        reason) for name, _, _, right, reason in CAUSES}
    for (other, cause), records in sorted(examples.items()):
        records.sort(key=lambda r: (len(r["shrunk"]), r["shrunk"]))
        seen = set()
        print("\n%s: %s (%d)%s" % (other, cause, len(records),
                                    "\n  " + reasons[cause] if cause in reasons else ""))
        shown = 0
        for r in records:
            if r["shrunk"] in seen:
                continue
            seen.add(r["shrunk"])
            facts = r.get("shrunk_facts", ["", ""])
            print("  %s\n    this:  %s\n    other: %s" % (expression(r["shrunk"]), facts[0],
                                                         facts[1]))
            shown += 1
            if shown >= (args.examples if cause != "unexplained" else 1000):
                break
    return 0


if __name__ == "__main__":
    sys.exit(main())
