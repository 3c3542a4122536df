#!/usr/bin/env python3
"""Generates random bundles and compares two builds' __engine-load on them.

    bundle_agreement.py OURS OTHER [--count 500] [--seed 1] [--keep DIR] [--show 5]

OURS and OTHER are program paths (or commands, split on spaces). Each bundle is
loaded by both with the same arguments; the outputs must be the same bytes,
except that YAML syntax-error messages (those ending in " at byte N line L
column C") only need to be syntax errors on both sides. The last line printed
is "N passed, M failed".
"""
import argparse
import json
import os
import random
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

SYNTAX_ERROR = re.compile(r"^invalid YAML frontmatter: .* at byte \d+ line \d+ column \d+$")
DIRS = ["", "", "notes", "notes/deep", "people", "docs", "archive", "a-b", "a.b", "x/y/z",
        "node_modules", ".git", ".venv", "Node_Modules", ".git-old", "dir.md", "sp ace",
        "caf\u00e9", "build"]
NAMES = ["a", "b", "c", "alpha", "Beta", "note-1", "x.y", "README", "\u00e9t\u00e9", "a\\b",
         "#hash", "!bang", "sp ace", "keep", "top", "tmp"]
EXTENSIONS = [".md", ".md", ".md", ".MD", ".Md", ".markdown", ".txt", ".md.txt"]
WORDS = ["alpha", "beta", "gamma", "river", "stone", "\u00e9cole", "na\u00efve", "x", "y"]
RULES = ["archive/", "!archive/keep.md", "*.tmp.md", "/top.md", "top.md", "docs/*.md",
         "docs/**", "*/", "notes/deep/", "!notes/deep/a.md", "\\#hash.md", "\\!bang.md",
         "# comment", "", "   ", "sp ace/", "b.md", "!b.md", "[ab].md", "{a,c}.md", "?.md",
         "**/deep/**", "people", "*.MD", "foo.md  ", "a\\ ", "!*.Md", "x/**/z"]
TYPES = ["note", "person", "  padded  ", "", "42", "[a, b]", "~", "{k: v}", "'\u00a0'"]


def pick(rng, items):
    return rng.choice(items)


def frontmatter(rng, anchors):
    lines = []
    if rng.random() < 0.9:
        lines.append("type: " + pick(rng, TYPES))
    if rng.random() < 0.5:
        lines.append("title: " + pick(rng, ["Title", "''", "~", "'  spaced  '", "[x]", "\"q\\\"t\""]))
    if rng.random() < 0.3:
        lines.append("description: >\n  folded " + pick(rng, WORDS) + "\n  text")
    if rng.random() < 0.3:
        lines.append("base: &b%d {x: 1, y: %s}" % (len(anchors), pick(rng, WORDS)))
        anchors.append("b%d" % (len(anchors)))
    if anchors and rng.random() < 0.3:
        lines.append("merged:\n  <<: *%s\n  x: 3" % pick(rng, anchors))
    if rng.random() < 0.3:
        lines.append("tags: [%s]" % ", ".join(rng.sample(WORDS, 3)))
    if rng.random() < 0.2:
        lines.append("lit: |\n  a\n  b")
    if rng.random() < 0.2:
        lines.append(pick(rng, ["\u00e9: 1", "\U0001F600: 2", "\ue000: 3", "B: 4", "aa: 5",
                                "nested:\n  - a\n  - {b: c}", "empty:", "date: 2024-01-01",
                                "yes: no", "quoted: 'null'", "tagged: !!null x"]))
    if rng.random() < 0.08:
        lines.append(pick(rng, ["dup: 1\ndup: 2", "bad: [", "<<: text", "cyc: &c [*c]",
                                "[k]: v", "x: *undefined", "...\nmore: 1", "- list",
                                "a: 'unclosed"]))
    rng.shuffle(lines)
    return "\n".join(lines)


def link_target(rng, files, here):
    kind = rng.random()
    if files and kind < 0.5:
        target = pick(rng, files)
        rel = os.path.relpath(target, os.path.dirname(here) or ".")
        return pick(rng, [rel, "./" + rel, "/" + target, rel + "#part", rel + "?q=1",
                          rel.replace(" ", "%20"), rel.upper()])
    return pick(rng, ["missing.md", "../outside.md", "https://example.org/x.md",
                      "mailto:a.md", "C:/x.md", "//share/x.md", "#frag", "", "x%2Emd",
                      "%FF.md", "a%20b.md", "index.md", "log.md", "docs/index.md",
                      "node_modules/a.md", "dir.md", "a.md/", "../" + "b.md"])


def body(rng, files, here):
    parts = []
    for _ in range(rng.randint(0, 6)):
        roll = rng.random()
        if roll < 0.2:
            parts.append("#" * rng.randint(1, 3) + " " + pick(rng, WORDS) + " *" +
                         pick(rng, WORDS) + "*")
        elif roll < 0.3:
            parts.append(pick(rng, WORDS) + "\n" + pick(rng, ["===", "---"]))
        elif roll < 0.4:
            parts.append("```\n[code](in-code.md)\n```")
        elif roll < 0.5:
            parts.append("> quoted [q](%s)" % link_target(rng, files, here))
        else:
            links = " ".join("[%s](%s)" % (pick(rng, WORDS), link_target(rng, files, here))
                             for _ in range(rng.randint(0, 4)))
            parts.append(pick(rng, WORDS) + " " + links + " <https://example.org>")
    return "\n\n".join(parts) + ("\n" if rng.random() < 0.8 else "")


def reserved_text(rng, name):
    if name == "index.md":
        front = pick(rng, ["", "---\nzav_version: 1\n---\n", "---\ntitle: x\n---\n",
                           "---\nnot closed\n", "---\n---\n"])
        return front + pick(rng, ["# Home\n", "#\n", "## Only two\n", "Home\n====\n", "text\n"])
    front = pick(rng, ["", "", "", "---\n---\n", "----\n"])
    dates = ["2024-03-01", "2024-03-01", "2024-01-15", "2023-02-29", "2024-13-01", "Notes",
             "2024-1-5", "2024- 1- 5", "+202-01-01", "2025-12-31"]
    heads = "".join("## %s\n\nentry [x](missing.md)\n\n" % pick(rng, dates)
                    for _ in range(rng.randint(0, 4)))
    return front + pick(rng, ["# Log\n\n", "", "#   \n"]) + heads


LONE_CR = [True]  # cleared by --no-lone-cr


def encode(rng, text):
    if rng.random() < 0.15:
        text = text.replace("\n", "\r\n")
    elif rng.random() < 0.05 and LONE_CR[0]:
        text = text.replace("\n", "\r")
    data = text.encode()
    if rng.random() < 0.05:
        data = b"\xef\xbb\xbf" + data
    if rng.random() < 0.03:
        data += b"\xff"
    return data


def make_bundle(rng, root):
    count = rng.randint(10, 40)
    paths = []
    for _ in range(count):
        directory = pick(rng, DIRS)
        roll = rng.random()
        if roll < 0.08:
            name = "index.md"
        elif roll < 0.14:
            name = "log.md"
        else:
            name = pick(rng, NAMES) + pick(rng, EXTENSIONS)
        paths.append(os.path.join(directory, name) if directory else name)
    files = [p for p in paths if p.lower().endswith(".md")]
    anchors = []
    for path in paths:
        full = os.path.join(root, path)
        if os.path.isdir(full):
            continue
        os.makedirs(os.path.dirname(full), exist_ok=True)
        name = os.path.basename(path)
        if name in ("index.md", "log.md"):
            text = reserved_text(rng, name) + body(rng, files, path)
        elif rng.random() < 0.08:
            text = body(rng, files, path)  # no frontmatter
        else:
            anchors.clear()
            text = "---\n" + frontmatter(rng, anchors) + "\n---\n" + body(rng, files, path)
        with open(full, "wb") as out:
            out.write(encode(rng, text))
    if rng.random() < 0.3:
        os.symlink("a.md", os.path.join(root, "link.md"))
    if rng.random() < 0.2:
        os.symlink(".", os.path.join(root, "loop"))
    if rng.random() < 0.2:
        weird = os.path.join(root.encode(), b"bad\xffname")
        os.makedirs(weird, exist_ok=True)
        with open(os.path.join(weird, b"in.md"), "wb") as out:
            out.write(b"---\ntype: x\n---\n")
        with open(os.path.join(root.encode(), b"skip\xfe.md"), "wb") as out:
            out.write(b"---\ntype: x\n---\n")
    excludes = []
    if rng.random() < 0.6:
        rules = [pick(rng, RULES) for _ in range(rng.randint(1, 6))]
        data = "\n".join(rules).encode()
        if rng.random() < 0.1:
            data = b"\xef\xbb\xbf" + data
        with open(os.path.join(root, ".zavignore"), "wb") as out:
            out.write(data)
    if rng.random() < 0.4:
        excludes = [pick(rng, RULES) for _ in range(rng.randint(1, 3))]
    return excludes


def run(command, root, excludes, concurrency):
    argv = shlex.split(command) + ["__engine-load", root]
    for pattern in excludes:
        argv += ["--exclude=" + pattern]
    argv += ["--read-concurrency", str(concurrency)]
    done = subprocess.run(argv, capture_output=True, timeout=60)
    return done.returncode, done.stdout, done.stderr


def normalized(stdout):
    try:
        document = json.loads(stdout)
    except ValueError:
        return stdout
    for diagnostic in document.get("diagnostics", []):
        if SYNTAX_ERROR.match(diagnostic["message"]):
            diagnostic["message"] = "invalid YAML frontmatter: <syntax error>"
    return json.dumps(document, ensure_ascii=False, separators=(",", ":")).encode()


def first_difference(ours, other):
    """Where two load documents first differ, as a short text."""
    try:
        a, b = json.loads(ours), json.loads(other)
    except ValueError:
        return "not JSON"
    for key in a:
        if a[key] == b.get(key):
            continue
        if not isinstance(a[key], list):
            return "%s: %r vs %r" % (key, a[key], b.get(key))
        for i, (x, y) in enumerate(zip(a[key], b[key])):
            if x != y:
                fields = [f for f in x if x[f] != y.get(f)]
                return "%s[%d] %s: %r vs %r" % (key, i, fields[0], str(x[fields[0]])[:200],
                                                 str(y.get(fields[0]))[:200])
        return "%s: %d vs %d records" % (key, len(a[key]), len(b[key]))
    return "same"


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("ours")
    parser.add_argument("other")
    parser.add_argument("--count", type=int, default=500)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--keep", help="copy failing bundles here")
    parser.add_argument("--show", type=int, default=5)
    parser.add_argument("--no-lone-cr", action="store_true",
                        help="no file with lone CR line ends (where some parsers misread fences)")
    args = parser.parse_args()
    LONE_CR[0] = not args.no_lone_cr
    rng = random.Random(args.seed)
    passed = failed = 0
    for case in range(args.count):
        work = tempfile.mkdtemp(prefix="zav-bundle-")
        root = os.path.join(work, "bundle")
        os.mkdir(root)
        excludes = make_bundle(rng, root)
        concurrency = rng.choice([1, 4, 32])
        ours = run(args.ours, root, excludes, concurrency)
        other = run(args.other, root, excludes, concurrency)
        same = ours[0] == other[0] and normalized(ours[1]) == normalized(other[1]) and \
            (ours[0] == 0 or ours[2] == other[2])
        if same:
            passed += 1
        else:
            failed += 1
            if failed <= args.show:
                print("case %d differs (excludes %r): status %d vs %d" %
                      (case, excludes, ours[0], other[0]))
                if ours[0] == 0 and other[0] == 0:
                    print("  " + first_difference(normalized(ours[1]), normalized(other[1])))
                else:
                    print("  ours:  %s" % (ours[1][:300] or ours[2][:300]))
                    print("  other: %s" % (other[1][:300] or other[2][:300]))
            if args.keep:
                shutil.copytree(root, os.path.join(args.keep, "case-%d" % case), symlinks=True)
                with open(os.path.join(args.keep, "case-%d.excludes" % case), "w") as out:
                    json.dump(excludes, out)
        shutil.rmtree(work)
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(0 if failed == 0 else 1)


if __name__ == "__main__":
    main()
