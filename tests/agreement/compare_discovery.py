#!/usr/bin/env python3
"""Compares two builds of Markdown file discovery on random bundles.

Each command is run as `COMMAND ROOT [EXCLUDE]...` and must print the kept
files relative to ROOT, one a line (or fail with a message on standard error
and a non-zero status). For every random case (a tree, a .zavignore file and
some exclude patterns) the two outputs are compared; the cases that differ
are written below --save for a closer look.

    compare_discovery.py --first 'build/tests/list_markdown_files' \
        --second 'OTHER-COMMAND' --cases 2000 --seed 1

Not a test: it needs a second build to compare with.
"""

import argparse
import os
import random
import shlex
import shutil
import subprocess
import sys
import tempfile

# Pieces of names: letters in both cases, glob syntax characters, spaces,
# non-ASCII characters, and in directory names bytes that are not UTF-8.
NAME_PIECES = [
    b"a", b"b", b"c", b"A", b"B", b"x", b"ab", b"ba", b"doc", b"docs", b"sub", b".", b"-",
    b"_", b" ", b"[", b"]", b"{", b"}", b",", b"!", b"#", b"*", b"?", b"\\", b"^",
    "é".encode(), "€".encode(), "ß".encode(), b"\r", b"\t",
]
BAD_BYTES = [b"\xff", b"\xc3", b"\xa9", b"\xe2\x82"]
SUFFIXES = [b".md", b".md", b".md", b".MD", b".Md", b".markdown", b".md.txt", b"", b".txt"]
SPECIAL_DIRS = [b".git", b"node_modules", b".venv", b"Node_Modules", b".git-old", b"archive",
                b"dir.md", b"docs", b"a"]

PATTERN_PIECES = [
    "*", "**", "?", "a", "b", "A", "x", "ab", "doc", "docs", "sub", ".", "-", " ", ".md", ".MD",
    "*.md", "**/", "/**", "/**/", "/", "/", "[ab]", "[!a]", "[^a]", "[a-c]", "[]a]", "[a-]",
    "[!]a]", "[--/]", "[é]", "[a-é]", "{a,b}", "{a,}", "{}", "{docs,sub}", "{*.md,x}", "\\*",
    "\\?", "\\[", "\\ ", "\\", "[", "]", "{", "}", ",", "é", "€", "!", "#", "\\\\", "[\\]]",
    "archive", "node_modules", "[z-a]", "{a,{b}}", "\t", "\u3000",
]

# Pieces that can make a pattern the glob syntax rejects.
RISKY_PIECES = {"[z-a]", "{a,{b}}", "\\", "[", "]", "{", "}"}
SPECIAL_CHARACTERS = "\\[]{}*?!#"


def random_name(rng, directory, trailing_dots=True):
    name = b"".join(rng.choice(NAME_PIECES) for _ in range(rng.randint(1, 3)))
    if directory and rng.random() < 0.15:
        name += rng.choice(BAD_BYTES)
    if name in (b".", b".."):
        name = b"n" + name
    if not trailing_dots and name.endswith(b"."):
        name += b"_"
    return name.replace(b"/", b"_")


def make_tree(rng, root, trailing_dots):
    """Builds a random tree and returns the relative names used in it."""
    names = []
    directories = [b""]
    for _ in range(rng.randint(1, 6)):
        parent = rng.choice(directories)
        name = rng.choice(SPECIAL_DIRS) if rng.random() < 0.3 else random_name(rng, True, trailing_dots)
        path = os.path.join(parent, name) if parent else name
        os.makedirs(os.path.join(root, path), exist_ok=True)
        directories.append(path)
        names.append(name)
    for _ in range(rng.randint(1, 14)):
        parent = rng.choice(directories)
        stem = random_name(rng, False)
        if rng.random() < 0.1:
            stem = rng.choice([b"", b"archive", b"keep", b"x", b"a"])
        name = stem + rng.choice(SUFFIXES)
        if not name:
            continue
        path = os.path.join(parent, name) if parent else name
        full = os.path.join(root, path)
        if os.path.lexists(full):
            continue
        roll = rng.random()
        if roll < 0.05:
            os.symlink(b"../" * path.count(b"/") + b"x.md", full)
        elif roll < 0.08:
            os.mkfifo(full)
        else:
            open(full, "wb").close()
        names.append(stem)
    link = os.path.join(root, b"link" + str(rng.randint(0, 9)).encode())
    if rng.random() < 0.1 and not os.path.lexists(link):
        os.symlink(os.path.join(root, rng.choice(directories)), link)
    return [n.decode("utf-8", "replace") for n in names]


def random_pattern(rng, names, valid_only):
    parts = []
    for _ in range(rng.randint(1, 4)):
        roll = rng.random()
        if roll < 0.35 and names:
            name = rng.choice(names)
            if name and rng.random() < 0.5:
                cut = rng.randint(0, len(name))
                name = name[:cut] if rng.random() < 0.5 else name[cut:]
            if valid_only:
                name = "".join("\\" + c if c in SPECIAL_CHARACTERS else c for c in name)
            parts.append(name)
        else:
            piece = rng.choice(PATTERN_PIECES)
            while valid_only and piece in RISKY_PIECES:
                piece = rng.choice(PATTERN_PIECES)
            parts.append(piece)
    pattern = "".join(parts)
    roll = rng.random()
    if roll < 0.15:
        pattern = "!" + pattern
    elif roll < 0.25:
        pattern = "/" + pattern
    elif roll < 0.28:
        pattern = "\\!" + pattern
    elif roll < 0.30:
        pattern = "#" + pattern
    roll = rng.random()
    if roll < 0.15:
        pattern += "/"
    elif roll < 0.2:
        pattern += rng.choice(["  ", " \t", "\\ ", "\\ \\ ", "\r"] + ([] if valid_only else ["\\  "]))
    if valid_only and pattern.rstrip().rstrip("/").endswith("\\"):
        pattern = pattern.rstrip() + "x"
    return pattern.replace("\n", "")


def random_ignore_file(rng, names, most_lines, valid_only):
    lines = []
    for _ in range(rng.randint(0, most_lines)):
        roll = rng.random()
        if roll < 0.05:
            lines.append(b"")
        elif roll < 0.08:
            lines.append(b"# comment")
        elif roll < 0.09 and not valid_only:
            lines.append(b"bad\xff")
        else:
            lines.append(random_pattern(rng, names, valid_only).encode())
    ends = rng.choice([b"\n", b"\n", b"\r\n"])
    data = ends.join(lines)
    if lines and rng.random() < 0.7:
        data += ends
    if rng.random() < 0.1:
        data = "\ufeff".encode() * rng.randint(1, 2) + data
    return data


def describe_case(root, excludes, first, second):
    """The tree (each entry with its kind), the ignore file and both outputs."""
    lines = []
    for parent, dirs, files in os.walk(root):
        for name in sorted(dirs + files):
            full = os.path.join(parent, name)
            kind = ("link" if os.path.islink(full) else "dir" if os.path.isdir(full)
                    else "file" if os.path.isfile(full) else "other")
            lines.append("%s %r" % (kind, os.path.relpath(full, root)))
    ignore = os.path.join(root, b".zavignore")
    if os.path.isfile(ignore):
        with open(ignore, "rb") as source:
            lines.append(".zavignore: %r" % source.read())
    lines.append("excludes: %r" % (excludes,))
    lines.append("first:  %r" % (first,))
    lines.append("second: %r" % (second,))
    return "\n".join(lines) + "\n"


def run(command, root, excludes):
    try:
        result = subprocess.run(shlex.split(command) + [root] + excludes, capture_output=True,
                                timeout=30)
    except subprocess.TimeoutExpired:
        return ("timeout", b"")
    if result.returncode != 0:
        return ("error", (result.stdout + result.stderr).strip())
    return ("files", result.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--first", required=True)
    parser.add_argument("--second", required=True)
    parser.add_argument("--cases", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--save", default="discovery-differences")
    parser.add_argument("--lines", type=int, default=8,
                        help="the most lines of a random .zavignore")
    parser.add_argument("--valid-only", action="store_true",
                        help="leave out patterns that the glob syntax rejects")
    parser.add_argument("--no-trailing-dots", action="store_true",
                        help="give no directory a name that ends in '.'")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="discovery-compare-")
    agree = 0
    failures = 0
    differ = []
    try:
        for case in range(args.cases):
            root = os.path.join(work, "case")
            shutil.rmtree(root, ignore_errors=True)
            os.makedirs(root)
            names = make_tree(rng, os.fsencode(root), not args.no_trailing_dots)
            if rng.random() < 0.85:
                with open(os.path.join(root, ".zavignore"), "wb") as out:
                    out.write(random_ignore_file(rng, names, args.lines, args.valid_only))
            excludes = [random_pattern(rng, names, args.valid_only) for _ in range(rng.choice([0, 0, 1, 2, 3]))]
            first = run(args.first, root, excludes)
            second = run(args.second, root, excludes)
            if first == second:
                agree += 1
                failures += first[0] != "files"
                continue
            os.makedirs(args.save, exist_ok=True)
            with open(os.path.join(args.save, "case-%d.txt" % case), "w") as out:
                out.write(describe_case(os.fsencode(root), excludes, first, second))
            differ.append(case)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d of %d cases agree (%.2f%%); %d of those are failures on both sides"
          % (agree, args.cases, 100.0 * agree / args.cases, failures))
    if differ:
        print("differing cases saved under %s: %s" % (args.save, differ[:50]))
    return 0 if not differ else 1


if __name__ == "__main__":
    sys.exit(main())
