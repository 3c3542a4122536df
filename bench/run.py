#!/usr/bin/env python3
"""Times zav-parser on the benchmark workloads.

  run.py [--program PATH] [--vs CMD] [--runs N] [--files N] [--docs N] [--work DIR]

Generates W1 (a bundle) and W2 (a facts input) under --work once, then runs
each workload once to warm up and --runs times measured. With --vs, the other
command runs in alternation on the same input, its output must be the same
bytes, and the ratios are printed (other / this: above 1 means this is faster).
"""
import argparse
import hashlib
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


GNU_TIME = "/usr/bin/time"


def measure(argv, stdin_path):
    """Runs argv once; returns (wall seconds, user, sys, peak KiB, status, stdout digest).

    A child forked from this interpreter starts with the interpreter's memory
    as its peak, so GNU time, a small process, starts the program when it is
    there and reports the program's own figures."""
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    report = os.path.join(os.environ.get("TMPDIR", "/tmp"), "zav-bench-time.%d" % os.getpid())
    wrapped = os.path.exists(GNU_TIME)
    if wrapped:
        argv = [GNU_TIME, "-q", "-f", "%U %S %M %x", "-o", report] + argv
    digest = hashlib.sha256()
    start = time.monotonic()
    child = subprocess.Popen(argv, stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    for chunk in iter(lambda: child.stdout.read(1 << 20), b""):
        digest.update(chunk)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if stdin_path:
        stdin.close()
    user, system, peak = usage.ru_utime, usage.ru_stime, usage.ru_maxrss
    if wrapped:
        with open(report) as figures:
            fields = figures.read().split()
        os.unlink(report)
        user, system, peak, status = float(fields[0]), float(fields[1]), int(fields[2]), \
            int(fields[3])
    return wall, user, system, peak, status, digest.hexdigest()


def summary(runs):
    return {
        "wall": statistics.median(r[0] for r in runs),
        "user": statistics.median(r[1] for r in runs),
        "sys": statistics.median(r[2] for r in runs),
        "peak": max(r[3] for r in runs),
    }


def show(name, s):
    print("  %-28s wall %7.3f s  user %7.3f s  sys %6.3f s  peak %8.1f MiB"
          % (name, s["wall"], s["user"], s["sys"], s["peak"] / 1024))


def ensure_workloads(work, files, docs):
    bundle = os.path.join(work, "w1-bundle-%d" % files)
    facts = os.path.join(work, "w2-facts-%d.json" % docs)
    generator = os.path.join(HERE, "generate.py")
    if not os.path.isdir(bundle):
        subprocess.run([sys.executable, generator, "bundle", bundle, "--files", str(files)],
                       check=True)
    if not os.path.exists(facts):
        subprocess.run([sys.executable, generator, "facts", facts, "--docs", str(docs)], check=True)
    return bundle, facts


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "front-end",
                                                          "zav-parser"))
    parser.add_argument("--vs", help="another build to run in alternation")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--docs", type=int, default=10000)
    parser.add_argument("--work", default=os.path.join(HERE, "out"))
    args = parser.parse_args()

    os.makedirs(args.work, exist_ok=True)
    bundle, facts = ensure_workloads(args.work, args.files, args.docs)
    workloads = [("W1 load %d files" % args.files, ["__engine-load", bundle], None),
                 ("W2 facts %d docs" % args.docs, ["__engine-facts"], facts)]
    programs = [("zav-parser", args.program)] + ([("other", args.vs)] if args.vs else [])
    failed = False
    for title, arguments, stdin_path in workloads:
        print(title)
        results = {name: [] for name, _ in programs}
        for name, program in programs:  # warm-up
            measure([program] + arguments, stdin_path)
        for _ in range(args.runs):
            for name, program in programs:
                results[name].append(measure([program] + arguments, stdin_path))
        for name, _ in programs:
            show(name, summary(results[name]))
        digests = {r[5] for runs in results.values() for r in runs}
        statuses = {r[4] for runs in results.values() for r in runs}
        if len(digests) != 1 or statuses != {0}:
            print("  OUTPUTS DIFFER or a run failed (statuses %s)" % sorted(statuses))
            failed = True
        elif args.vs:
            mine, other = summary(results["zav-parser"]), summary(results["other"])
            print("  ratio other/zav-parser: wall %.2fx  user+sys %.2fx  peak memory %.2fx"
                  % (other["wall"] / mine["wall"],
                     (other["user"] + other["sys"]) / max(mine["user"] + mine["sys"], 1e-9),
                     other["peak"] / mine["peak"]))
        else:
            print("  output identical across runs")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
