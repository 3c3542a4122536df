#!/usr/bin/env python3
"""Loads hostile bundles with a build of zav-parser and checks that each load
ends with a document or one clear error line, within a time and memory bound.

    hostile_bundles.py PROGRAM [--work DIR] [--only NAME...] [--timeout S] [--memory MB]

Each case is built under --work (default: a temporary directory), loaded once
under the limits, and reported with its status, wall time, peak memory and
the size of what was printed. The last line is "N passed, M failed".
"""
import argparse
import json
import os
import resource
import subprocess
import sys
import tempfile
import time


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data if isinstance(data, bytes) else data.encode())


def concept(body, front="type: note\n"):
    return "---\n" + front + "---\n" + body


def many_megabytes(root):
    """1 GB of files in one load: 1 024 files of 1 MB."""
    block = concept("".join("line %d of a long note%s\n" % (
        i, " with [a link](c%04d.md)" % (i % 1024) if i % 50 == 0 else "") for i in range(40000)))
    for i in range(1024):
        write(os.path.join(root, "d%02d" % (i % 32), "c%04d.md" % i), block)


def one_huge_file(root):
    """A single 200 MB concept."""
    line = "a paragraph of text with *emphasis* and a [link](other.md)\n"
    write(os.path.join(root, "huge.md"), concept(line * (200 * 1024 * 1024 // len(line))))


def wide_directory(root):
    """100 000 files in one directory."""
    text = concept("[next](f0.md)\n")
    os.makedirs(os.path.join(root, "wide"))
    for i in range(100000):
        with open(os.path.join(root, "wide", "f%d.md" % i), "w") as out:
            out.write(text)


def deep_tree(root):
    """A directory tree 10 000 levels deep, a concept at every 100th level.
    Built with relative paths, since its full paths outgrow PATH_MAX."""
    here = os.getcwd()
    os.chdir(root)
    try:
        for level in range(10000):
            os.mkdir("d")
            os.chdir("d")
            if level % 100 == 0:
                with open("x.md", "w") as out:
                    out.write(concept("[up](../x.md)\n"))
    finally:
        os.chdir(here)


def alias_bomb(root):
    """Billion laughs in frontmatter, beside an ordinary concept."""
    lines = ["a0: &a0 [lol, lol, lol, lol, lol, lol, lol, lol, lol, lol]"]
    for i in range(1, 10):
        lines.append("a%d: &a%d [%s]" % (i, i, ", ".join(["*a%d" % (i - 1)] * 10)))
    write(os.path.join(root, "bomb.md"), concept("", "type: bomb\n" + "\n".join(lines) + "\n"))
    write(os.path.join(root, "fine.md"), concept("fine\n"))


def alias_text_bomb(root):
    """10 000 aliases to one 100 KB text (a gigabyte once copied), beside an ordinary concept."""
    front = "type: bomb\na: &x " + "v" * 100000 + "\nb: [" + ",".join(["*x"] * 10000) + "]\n"
    write(os.path.join(root, "bomb.md"), concept("", front))
    write(os.path.join(root, "fine.md"), concept("fine\n"))


def flow_nesting(root):
    """Flow and block collections nested 100 000 deep."""
    write(os.path.join(root, "flow.md"), concept("", "type: x\nk: " + "[" * 100000 + "]" * 100000 + "\n"))
    block = "".join(" " * i + "k:\n" for i in range(20000))
    write(os.path.join(root, "block.md"), concept("", "type: x\n" + block))


def markdown_runs(root):
    """A Markdown body of 1 MB of "[", one of "*", one of ">" and one of "- "."""
    for name, unit in [("brackets", "["), ("stars", "*"), ("quotes", ">"), ("items", "- "),
                       ("links", "[a](b.md)"), ("backticks", "`")]:
        write(os.path.join(root, name + ".md"), concept(unit * (1024 * 1024 // len(unit)) + "\n"))


def many_rules(root):
    """A .zavignore of 10 000 rules, many of them with stars, over 2 000 files."""
    rules = ["**/*%d*/**/x%d*.md" % (i, i) if i % 2 else "*a*b*c*d*%d*.md" % i
             for i in range(10000)]
    write(os.path.join(root, ".zavignore"), "\n".join(rules) + "\n")
    for i in range(2000):
        write(os.path.join(root, "s%d" % (i % 20), "abcd%d.md" % i), concept(""))


CASES = {
    "1gb-of-files": many_megabytes,
    "200mb-file": one_huge_file,
    "100k-files-in-one-directory": wide_directory,
    "10k-deep-tree": deep_tree,
    "alias-bomb": alias_bomb,
    "alias-text-bomb": alias_text_bomb,
    "deep-nesting": flow_nesting,
    "markdown-runs": markdown_runs,
    "10k-ignore-rules": many_rules,
}


def limit(memory_mb):
    def apply():
        resource.setrlimit(resource.RLIMIT_AS, (memory_mb << 20, memory_mb << 20))
    return apply


def run_case(program, name, root, timeout, memory_mb):
    start = time.monotonic()
    try:
        done = subprocess.run(["/usr/bin/time", "-f", "%M", program, "__engine-load", root],
                              capture_output=True, timeout=timeout, preexec_fn=limit(memory_mb))
    except subprocess.TimeoutExpired:
        return False, "timed out after %d s" % timeout
    wall = time.monotonic() - start
    lines = done.stderr.decode(errors="replace").strip().splitlines()
    peak = int(lines[-1]) // 1024 if lines and lines[-1].isdigit() else -1
    # GNU time adds a line of its own when the program fails.
    errors = [line for line in lines[:-1] if not line.startswith("Command ")]
    if done.returncode == 0:
        try:
            document = json.loads(done.stdout)
            summary = "%d concepts, %d diagnostics, %d files" % (
                len(document["concepts"]), len(document["diagnostics"]),
                document["markdown_count"])
            ok = not errors
        except ValueError:
            return False, "status 0 but the output is not one JSON document"
    else:
        ok = done.returncode == 1 and len(errors) == 1 and errors[0].startswith("zav-parser: ") \
            and not done.stdout
        summary = "status %d: %s" % (done.returncode, " | ".join(errors)[:200])
    return ok, "%.1f s, peak %d MiB, %s" % (wall, peak, summary)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("--work")
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--timeout", type=int, default=300)
    parser.add_argument("--memory", type=int, default=8192, help="address-space limit, MiB")
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="zav-hostile-")
    passed = failed = 0
    for name, build in CASES.items():
        if args.only and name not in args.only:
            continue
        root = os.path.join(work, name)
        if not os.path.isdir(root):
            os.makedirs(root)
            build(root)
        ok, report = run_case(args.program, name, root, args.timeout, args.memory)
        print("%-30s %s  %s" % (name, "ok  " if ok else "FAIL", report), flush=True)
        passed, failed = passed + ok, failed + (not ok)
    if not args.work:
        # rm walks the 10 000-deep tree without a recursion of its own depth,
        # where shutil.rmtree would run out of Python's stack.
        subprocess.run(["rm", "-rf", "--", work], check=False)
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(0 if failed == 0 else 1)


if __name__ == "__main__":
    main()
