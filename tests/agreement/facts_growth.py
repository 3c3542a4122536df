#!/usr/bin/env python3
"""How the Markdown facts of a build grow with the size of hostile texts.

Each case repeats a small piece of Markdown (or nests it) to a text of SIZE bytes and to one of
four times that size, runs the facts probe on both and prints the processor seconds (user and
system) and the peak memory of each, with the ratio between the two sizes: about 4 for a case
that grows linearly, 16 for one that grows with the square of the size. With --callgrind the
instructions are counted too (one run under valgrind) and the ratio is theirs.

    facts_growth.py PROBE [--size 250000] [--only NAME...] [--runs 3] [--callgrind]

PROBE is a facts probe command ("build/tests/facts_probe" or "... --old"). Seconds and memory
are the median of --runs runs. The memory includes the probe's own copy of the text (read
whole from standard input) and of its output.

A tool for developers, not a test.
"""
import argparse
import os
import shlex
import statistics
import subprocess
import sys
import tempfile


def repeat(piece, size):
    return (piece * (size // len(piece) + 1))[:size]


def nested(opening, middle, closing, size):
    n = max(1, (size - len(middle)) // (len(opening) + len(closing)))
    return opening * n + middle + closing * n


def nested_lists(size):
    out, i = [], 0
    while sum(map(len, out)) < size:
        out.append("  " * (i % 2000) + "* a\n")
        i += 1
    return "".join(out)[:size]


def reference_definitions(size):
    out, i = [], 0
    while sum(map(len, out)) < size:
        out.append("[l%d]: /u%d\n" % (i, i))
        i += 1
    return "".join(out)


def references_used(size):
    half = reference_definitions(size // 2)
    return half + repeat("[l1] [l2][l3] [l4][] ", size - len(half))


def deep_items_then_blanks(size):
    head = "- " * (size // 4) + "a\n"
    return head + repeat("\n \n", size - len(head))


CASES = {
    "plain": lambda n: repeat("word ", n),  # what the probe itself costs
    "brackets-open": lambda n: repeat("[", n),
    "brackets-close": lambda n: repeat("]", n),
    "brackets-nested": lambda n: nested("[", "a", "]", n),
    "brackets-nested-link": lambda n: nested("[", "a", "](u)", n),
    "image-brackets": lambda n: repeat("![[]()", n),
    "link-openers-emphasis": lambda n: repeat("[ a_", n),
    "paren-bracket": lambda n: repeat("[ (](", n),
    "unclosed-link-angle": lambda n: repeat("[a](<b", n),
    "unclosed-link": lambda n: repeat("[a](b", n),
    "unclosed-title-double": lambda n: repeat("[a](b \"", n),
    "unclosed-title-paren": lambda n: repeat("[a](b (", n),
    "unclosed-label": lambda n: repeat("[a][b", n),
    "label-chain": lambda n: "[x]: /u\n\n" + repeat("[x][x]", n),
    "shortcut-chain": lambda n: "[x]: /u\n\n" + repeat("[x]", n),
    "unclosed-definition": lambda n: repeat("[a]: <b\n", n),
    "definition-titles": lambda n: repeat("[a]: b 'c\n", n),
    "definition-title-open": lambda n: "[a]: b '" + repeat("c\n", n),
    "definitions": reference_definitions,
    "definitions-used": references_used,
    "comment-open": lambda n: "a " + repeat("<!--", n),
    "comment-spaced": lambda n: repeat("a <!-- ", n),
    "comment-close-first": lambda n: "</" + repeat("<!--", n),
    "instruction-open": lambda n: "a " + repeat("<?", n),
    "declaration-open": lambda n: "a " + repeat("<!A ", n),
    "cdata-open": lambda n: "a " + repeat("<![CDATA[", n),
    "tag-open": lambda n: "a " + repeat("<a b='c' ", n),
    "tag-quotes": lambda n: "a " + repeat("<a b='", n),
    "tags-long": lambda n: "a " + repeat("<a" + " b" * 50, n),
    "autolink-open": lambda n: repeat("<a:", n),
    "email-open": lambda n: repeat("<a@b.", n),
    "emphasis-mixed": lambda n: repeat("*a_ ", n),
    "emphasis-nested": lambda n: nested("*a **a ", "b", " a** a*", n),
    "emphasis-closers": lambda n: repeat("a_ ", n),
    "backticks-growing": lambda n: "".join("e" + "`" * i for i in range(1, 5000))[:n],
    "backticks": lambda n: repeat("`", n),
    "backticks-mixed": lambda n: repeat("`a``b```", n),
    "backslashes": lambda n: repeat("\\", n),
    "entities-open": lambda n: repeat("&#", n),
    "entities-named": lambda n: "[a](" + repeat("&amp;", n) + ")",
    "quotes-nested": lambda n: nested("> ", "a", "", n),
    "quotes-lines": lambda n: "".join("> " * (i % 500) + "a\n" for i in range(n // 500))[:n],
    "list-markers": lambda n: repeat("- ", n) + "a",
    "list-markers-mixed": lambda n: repeat("* - ", n) + "a",
    "ordered-markers": lambda n: repeat("1. ", n) + "a",
    "nested-lists": nested_lists,
    "items-then-blanks": deep_items_then_blanks,
    "quote-lazy": lambda n: "> " * 1000 + "a\n" + repeat("b\n", n),
    "headings": lambda n: repeat("# [a](b) c #\n", n),
    "setext": lambda n: repeat("a [b](c)\n===\n", n),
    "thematic-mixed": lambda n: repeat("* ", n // 2) + "- x",
    "fence-info": lambda n: repeat("- ```` ", n),
    "long-paragraph": lambda n: repeat("word [a](b) ", n),
    "nul": lambda n: repeat("\0[\0](\0)", n),
    "blank-lines": lambda n: "- a\n" + repeat("\n", n),
    "tabs": lambda n: repeat(">\t-\t", n) + "a",
}


def run_once(command, path):
    """Processor seconds (user and system) and peak memory (KB) of one run of `command` on the
    file, as /usr/bin/time sees them, and what the command wrote to standard error."""
    with open(path, "rb") as stdin:
        out = subprocess.run(["/usr/bin/time", "-f", "@@ %U %S %M"] + command, stdin=stdin,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=1200)
    errors = out.stderr.decode()
    if out.returncode != 0:
        raise RuntimeError("%s: status %d: %s" % (command[0], out.returncode, errors[-300:]))
    user, system, memory = errors.rsplit("@@ ", 1)[1].split()
    return float(user) + float(system), int(memory), errors


def measure(probe, text, runs, callgrind):
    """Instructions (with callgrind, else 0), then the median seconds and peak memory."""
    with tempfile.NamedTemporaryFile(suffix=".md") as f:
        f.write(text.encode())
        f.flush()
        results = [run_once(shlex.split(probe), f.name) for _ in range(runs)]
        instructions = 0
        if callgrind:
            _, _, errors = run_once(["valgrind", "--tool=callgrind",
                                     "--callgrind-out-file=/dev/null"] + shlex.split(probe), f.name)
            counted = [line for line in errors.splitlines() if "Collected :" in line]
            instructions = int(counted[-1].split(":")[-1])
    return (instructions, statistics.median(r[0] for r in results),
            statistics.median(r[1] for r in results))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("probe")
    ap.add_argument("--size", type=int, default=250000)
    ap.add_argument("--only", nargs="*")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--callgrind", action="store_true", help="also count instructions")
    args = ap.parse_args()
    print("%-24s %14s %8s %8s %14s %8s %8s %6s" % ("case", "instructions", "s", "KB",
                                                  "instructions", "s", "KB", "ratio"))
    for name, make in CASES.items():
        if args.only and name not in args.only:
            continue
        small = measure(args.probe, make(args.size), args.runs, args.callgrind)
        large = measure(args.probe, make(4 * args.size), args.runs, args.callgrind)
        ratio = large[0] / small[0] if args.callgrind else large[1] / max(small[1], 1e-3)
        print("%-24s %14d %8.3f %8d %14d %8.3f %8d %6.1f" % (
            name, small[0], small[1], small[2], large[0], large[1], large[2], ratio))
        sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
