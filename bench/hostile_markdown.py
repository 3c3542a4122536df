#!/usr/bin/env python3
"""Times the facts command on hostile Markdown: runs of brackets, unclosed links, comments and
code spans, deep nesting, many definitions. Each shape is built at two sizes (250 KB and 1 MB by
default); the time of the larger should be about four times the smaller's, never more.

  hostile_markdown.py [--program PATH] [--vs OTHER] [--size BYTES] [--runs N] [SHAPE...]

Prints, for each shape and size, the median wall time of --runs runs (with min and max), the
peak memory, and the growth from the small size to the large one. With --vs, the other build
runs in alternation on the same inputs and must print the same bytes.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def repeat(piece, size):
    return piece * (size // len(piece))


def backtick_ladder(size):
    out, n = [], 1
    while sum(map(len, out)) < size:
        out.append("`" * n + "x")
        n += 1
    return "".join(out)[:size]


SHAPES = {
    "brackets": lambda n: repeat("[", n),
    "image-brackets": lambda n: repeat("![[]()", n),
    "comment-openers": lambda n: repeat("<!--", n),
    "text-and-comment-openers": lambda n: repeat("a <!-- ", n),
    "emphasis-marks": lambda n: repeat("*a_ ", n),
    "nested-quotes": lambda n: repeat("> ", n) + "a",
    "nested-items": lambda n: repeat("- ", n) + "a",
    "nested-items-then-blank-lines": lambda n: repeat("- ", n // 2) + "a" + "\n" * (n // 2),
    "backtick-ladder": backtick_ladder,
    "unclosed-inline-links": lambda n: repeat("[a](b ", n),
    "unclosed-angle-destinations": lambda n: repeat("[a](<b", n),
    "unclosed-titles": lambda n: repeat("[a](b \"c", n),
    "unclosed-definitions": lambda n: repeat("[a]: b \"c\n", n),
    "definitions": lambda n: "".join("[l%d]: /u%d\n" % (i, i) for i in range(n // 14)),
    "references-before-definitions": lambda n: (
        "".join("[l%d]\n" % i for i in range(n // 16)) + "\n"
        + "".join("[l%d]: /u%d\n" % (i, i) for i in range(n // 16))),
    "open-parentheses": lambda n: "[a](" + repeat("(", n),
    "unclosed-attribute-values": lambda n: repeat("<a b=\"", n),
    "full-references": lambda n: "[b]: /u\n\n" + repeat("[a][b]", n),
    "nested-shortcuts": lambda n: "[a]: /u\n\n" + repeat("[", n // 2) + "a" + repeat("]", n // 2),
    "lazy-lines": lambda n: repeat("> ", n // 2) + "a\n" + repeat("b\n", n // 2),
    "tabs-and-markers": lambda n: repeat(">\t-\t", n),
    "underlined-headings": lambda n: repeat("a\n=\n", n),
}


def measure(program, input_path):
    with open(input_path, "rb") as stdin:
        child = subprocess.run(["/usr/bin/time", "-f", "%e %M", program, "__engine-facts"],
                               stdin=stdin, capture_output=True)
    wall, peak = child.stderr.decode().split()[-2:]
    return float(wall), int(peak), child.returncode, child.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "front-end",
                                                          "zav-parser"))
    parser.add_argument("--vs", help="another build to run in alternation")
    parser.add_argument("--size", type=int, default=250_000, help="the small size in bytes")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("shapes", nargs="*", default=sorted(SHAPES))
    args = parser.parse_args()
    programs = [("zav-parser", args.program)] + ([("other", args.vs)] if args.vs else [])
    print("commands: %s __engine-facts < {shape}.json" % " | ".join(p for _, p in programs))
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for shape in args.shapes:
            row = []
            for size in (args.size, 4 * args.size):
                path = os.path.join(work, "%s-%d.json" % (shape, size))
                with open(path, "w") as f:
                    json.dump({"documents": [SHAPES[shape](size)]}, f)
                runs = {name: [] for name, _ in programs}
                for _ in range(args.runs):
                    for name, program in programs:
                        runs[name].append(measure(program, path))
                outputs = {r[3] for rs in runs.values() for r in rs}
                if len(outputs) != 1 or any(r[2] != 0 for rs in runs.values() for r in rs):
                    failed = True
                    row.append("%d KB: OUTPUTS DIFFER or a run failed" % (size // 1000))
                    continue
                cells = []
                for name, _ in programs:
                    walls = [r[0] for r in runs[name]]
                    cells.append("%s %.3f s [%.3f-%.3f] %d MB" % (
                        name, statistics.median(walls), min(walls), max(walls),
                        max(r[1] for r in runs[name]) // 1024))
                row.append((size, statistics.median(r[0] for r in runs["zav-parser"]), cells))
            print(shape)
            for entry in row:
                print("  " + (entry if isinstance(entry, str) else
                              "%d KB: %s" % (entry[0] // 1000, "; ".join(entry[2]))))
            if all(not isinstance(e, str) for e in row) and row[0][1] > 0:
                print("  growth x%.1f for x4 the text" % (row[1][1] / row[0][1]))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
