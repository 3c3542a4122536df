#!/usr/bin/env python3
"""Whole-program agreement: random bundles through __engine-load and random
facts inputs through __engine-facts, run by this build and another command,
compared byte for byte (YAML syntax-error wording aside, as in
bundle_agreement.py).

    agreement.py OURS OTHER [--bundles 2000] [--facts 2000] [--seed 1] [--show 5]
                 [--no-lone-cr]

The last line printed is "N passed, M failed". A tool, not a test.
"""
import argparse
import json
import os
import random
import shlex
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bundle_agreement  # noqa: E402
import facts_agreement  # noqa: E402
import legacy_agreement  # noqa: E402


def bundle_case(rng, ours, other):
    work = tempfile.mkdtemp(prefix="zav-agree-")
    try:
        root = os.path.join(work, "bundle")
        os.mkdir(root)
        excludes = bundle_agreement.make_bundle(rng, root)
        concurrency = rng.choice([1, 4, 32])
        a = bundle_agreement.run(ours, root, excludes, concurrency)
        b = bundle_agreement.run(other, root, excludes, concurrency)
    finally:
        shutil.rmtree(work)
    if a[0] != b[0]:
        return "status %d vs %d" % (a[0], b[0])
    if a[0] != 0:
        return None if a[2] == b[2] else "error %r vs %r" % (a[2][:200], b[2][:200])
    first, second = bundle_agreement.normalized(a[1]), bundle_agreement.normalized(b[1])
    return None if first == second else bundle_agreement.first_difference(first, second)


def facts_input(rng, markdown, json_texts):
    """Mostly Markdown documents in either input form; some inputs of any shape."""
    if rng.random() < 0.3:
        data = json_texts.case()
        return data.encode() if isinstance(data, str) else data
    documents = [markdown.document(False) for _ in range(rng.randint(0, 5))]
    if rng.random() < 0.5:
        value = {"documents": documents}
        if rng.random() < 0.3:
            value = {"before": [1, {"x": None}], "documents": documents, "after": "z"}
    else:
        value = [documents]
    separators = rng.choice([(",", ":"), (", ", ": ")])
    return json.dumps(value, ensure_ascii=rng.random() < 0.5, separators=separators,
                      indent=rng.choice([None, None, 2])).encode()


def facts_case(data, ours, other):
    a = subprocess.run(shlex.split(ours) + ["__engine-facts"], input=data, capture_output=True,
                       timeout=60)
    b = subprocess.run(shlex.split(other) + ["__engine-facts"], input=data, capture_output=True,
                       timeout=60)
    if (a.returncode, a.stdout, a.stderr) == (b.returncode, b.stdout, b.stderr):
        return None
    if a.returncode == 0 and b.returncode == 0:
        for i, (x, y) in enumerate(zip(json.loads(a.stdout), json.loads(b.stdout))):
            if x != y:
                return "document %d: %s vs %s" % (i, json.dumps(x, ensure_ascii=False)[:400],
                                                  json.dumps(y, ensure_ascii=False)[:400])
    return "status %d vs %d: %r vs %r" % (a.returncode, b.returncode,
                                          (a.stdout or a.stderr)[:200], (b.stdout or b.stderr)[:200])


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("ours")
    parser.add_argument("other")
    parser.add_argument("--bundles", type=int, default=2000)
    parser.add_argument("--facts", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--show", type=int, default=5)
    parser.add_argument("--no-lone-cr", action="store_true")
    args = parser.parse_args()
    bundle_agreement.LONE_CR[0] = not args.no_lone_cr
    rng = random.Random(args.seed)
    markdown = facts_agreement.Gen(random.Random(args.seed + 1), False)
    json_texts = legacy_agreement.Generator(random.Random(args.seed + 2))
    passed = failed = 0

    def record(kind, index, difference, data=None):
        nonlocal passed, failed
        if difference is None:
            passed += 1
            return
        failed += 1
        if failed <= args.show:
            print("%s %d: %s" % (kind, index, difference))
            if data is not None:
                print("  input: %r" % data[:300])

    for index in range(args.bundles):
        record("bundle", index, bundle_case(rng, args.ours, args.other))
    for index in range(args.facts):
        data = facts_input(rng, markdown, json_texts)
        record("facts", index, facts_case(data, args.ours, args.other), data)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
