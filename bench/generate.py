#!/usr/bin/env python3
"""Generates the benchmark workloads, the same bytes for the same seed.

  generate.py bundle DIR [--files N] [--seed S]   W1: a bundle of N concept files (~5 KB each)
  generate.py facts FILE [--docs N] [--seed S]    W2: a facts input of N Markdown documents
"""
import argparse
import json
import os
import random

WORDS = ("alpha beta gamma delta epsilon zeta theta kappa lambda sigma omega river stone "
         "cloud ember maple cedar harbor signal vector matrix lantern quartz meadow").split()


def words(rng, n):
    return " ".join(rng.choice(WORDS) for _ in range(n))


def frontmatter(rng, index):
    lines = [
        "base: &base",
        "  owner: " + rng.choice(WORDS),
        "  status: " + rng.choice(["draft", "review", "final"]),
        "<<: *base",
        "type: " + rng.choice(["note", "person", "place", "idea"]),
        "title: " + words(rng, 3).title(),
        "description: >",
        "  " + words(rng, 12),
        "  " + words(rng, 12),
        "tags: &tags [" + ", ".join(rng.sample(WORDS, 4)) + "]",
        "also: *tags",
        "created: 2024-%02d-%02d" % (rng.randint(1, 12), rng.randint(1, 28)),
        "weight: %d" % rng.randint(0, 1000),
        "meta:",
        "  source: 'generated #%d'" % index,
        "  empty:",
        "  nested: {a: 1, b: [x, y, {c: d}]}",
    ]
    return "\n".join(lines)


def link(rng, paths, here):
    kind = rng.random()
    if kind < 0.6:
        target = os.path.relpath(rng.choice(paths), os.path.dirname(here) or ".")
        return "[%s](%s)" % (words(rng, 2), target)
    if kind < 0.75:
        return "[%s](/%s#part)" % (words(rng, 1), rng.choice(paths))
    if kind < 0.85:
        return "[missing](gone/%s.md)" % rng.choice(WORDS)
    if kind < 0.95:
        return "<https://example.org/%s>" % rng.choice(WORDS)
    return "[ref][r%d]" % rng.randint(0, 3)


def body(rng, paths, here, size):
    parts = ["# " + words(rng, 3).title(), ""]
    links = rng.randint(10, 50)
    per_paragraph = max(1, links // 6)
    while links > 0 or sum(map(len, parts)) < size:
        if rng.random() < 0.2:
            parts += ["## " + words(rng, 2) + " *" + rng.choice(WORDS) + "*", ""]
        sentence = []
        for _ in range(per_paragraph):
            sentence.append(words(rng, rng.randint(6, 16)))
            if links > 0:
                sentence.append(link(rng, paths, here))
                links -= 1
        parts += [" ".join(sentence) + ".", ""]
        if rng.random() < 0.1:
            parts += ["```", words(rng, 6), "[not](a-link.md)", "```", ""]
    parts += ["[r%d]: %s" % (i, rng.choice(paths)) for i in range(4)]
    return "\n".join(parts) + "\n"


def write(path, data, mode="w"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, mode) as out:
        out.write(data)


def make_bundle(root, files, seed):
    rng = random.Random(seed)
    dirs = ["d%02d/s%02d" % (rng.randint(0, 19), rng.randint(0, 9)) for _ in range(200)]
    paths = ["%s/c%05d.md" % (rng.choice(dirs), i) for i in range(files)]
    rules = ["# generated rules", "*.tmp.md", "/archive/", "!keep.md"]
    rules += ["ignored%02d/" % i for i in range(23)] + ["scratch-%02d*.md" % i for i in range(23)]
    write(os.path.join(root, ".zavignore"), "\n".join(rules) + "\n")
    for i, path in enumerate(paths):
        text = "---\n" + frontmatter(rng, i) + "\n---\n" + body(rng, paths, path, 2500)
        write(os.path.join(root, path), text)
    write(os.path.join(root, "index.md"), "---\nzav_version: 1\n---\n# Bundle\n")
    for d in sorted(set(dirs))[:20]:
        write(os.path.join(root, d, "index.md"), "# Section %s\n" % d)
        write(os.path.join(root, d, "log.md"),
              "# Log\n\n## 2024-03-01\n\nx\n\n## 2024-01-15\n\ny\n\n## 2024-02-30\n")
    for i in range(5):
        write(os.path.join(root, "bad", "latin1-%d.md" % i), b"---\ntype: \xe9\n---\n", "wb")
        write(os.path.join(root, "bad", "nofront-%d.md" % i), "just text\n")
        write(os.path.join(root, "bad", "yaml-%d.md" % i), "---\na: 1\na: 2\n---\n")
        locked = os.path.join(root, "bad", "locked-%d.md" % i)
        write(locked, "---\ntype: x\n---\n")
        os.chmod(locked, 0)
    write(os.path.join(root, "ignored00", "x.md"), "ignored\n")


def make_facts(path, docs, seed):
    rng = random.Random(seed)
    paths = ["d%02d/c%05d.md" % (rng.randint(0, 9), i) for i in range(1000)]
    documents = [body(rng, paths, rng.choice(paths), 5000) for _ in range(docs)]
    with open(path, "w") as out:
        json.dump({"documents": documents, "generator": {"seed": seed}}, out)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("kind", choices=["bundle", "facts"])
    parser.add_argument("target")
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--docs", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if args.kind == "bundle":
        make_bundle(args.target, args.files, args.seed)
    else:
        make_facts(args.target, args.docs, args.seed)


if __name__ == "__main__":
    main()
