#!/usr/bin/env python3
"""Times zav-parser on the benchmark workloads.

  run.py [--program PATH] [--vs CMD] [--runs N] [--files N] [--docs N] [--seed S]
         [--work DIR] [--only w1|w2] [--spread F]

Generates W1 (a bundle) and W2 (a facts input) under --work once, then runs
each workload once per program to warm up and --runs times measured. With
--vs, the two programs run in pairs, this one and then the other (A B A B
...), on the same input; each pair gives its own ratio (other / this: above
1 means this one is faster), and the ratios are summed up by their median,
min and max. Every run must print the same bytes and exit with status 0.

The exact commands are printed first, and the load average of the machine
before and after. A spread of min and max wider than --spread of the median
is flagged: the machine was busy, and the figures should be taken again.
"""
import argparse
import hashlib
import os
import shlex
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GNU_TIME = "/usr/bin/time"


class Run:
    """The figures of one run of one program."""

    def __init__(self, wall, user, system, peak_kib, status, digest):
        self.wall = wall
        self.cpu = user + system
        self.peak_kib = peak_kib
        self.status = status
        self.digest = digest


def shell_line(argv, stdin_path):
    line = " ".join(shlex.quote(arg) for arg in argv)
    return line + (" < " + shlex.quote(stdin_path) if stdin_path else "")


def measure(argv, stdin_path, scratch):
    """Runs argv once and returns its Run.

    A child forked from this interpreter starts with the interpreter's memory
    as its peak, so GNU time, a small process, starts the program when it is
    there and reports the program's own peak. User and system time come from
    the child's resource usage, which counts the program, in microseconds
    (GNU time prints hundredths)."""
    time_report = os.path.join(scratch, "time")
    command = list(argv)
    wrapped = os.path.exists(GNU_TIME)
    if wrapped:
        command = [GNU_TIME, "-q", "-f", "%M %x", "-o", time_report] + command
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    digest = hashlib.sha256()
    start = time.monotonic()
    child = subprocess.Popen(command, stdin=stdin, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
    for chunk in iter(lambda: child.stdout.read(1 << 20), b""):
        digest.update(chunk)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if stdin_path:
        stdin.close()
    user, system, peak = usage.ru_utime, usage.ru_stime, usage.ru_maxrss
    status = os.waitstatus_to_exitcode(status)
    if wrapped:
        with open(time_report) as figures:
            peak, status = (int(field) for field in figures.read().split())
    return Run(wall, user, system, peak, status, digest.hexdigest())


def median_min_max(values):
    return statistics.median(values), min(values), max(values)


def spread(values):
    """(max - min) / median."""
    middle, low, high = median_min_max(values)
    return (high - low) / middle if middle else 0.0


def show_figures(name, runs):
    wall = median_min_max([r.wall for r in runs])
    cpu = median_min_max([r.cpu for r in runs])
    line = ("  %-10s wall %7.3f s [%.3f .. %.3f]  user+sys %7.3f s [%.3f .. %.3f]  peak %8.1f MiB"
            % ((name,) + wall + cpu + (max(r.peak_kib for r in runs) / 1024,)))
    print(line)


def show_ratios(title, label, ratios, limit, warnings):
    middle, low, high = median_min_max(ratios)
    print("  %-22s median %.2fx  min %.2fx  max %.2fx   pairs: %s"
          % (label, middle, low, high, " ".join("%.2f" % r for r in ratios)))
    if spread(ratios) > limit:
        warnings.append("%s, %s ratio: min %.2fx and max %.2fx lie far apart (spread %.0f%% of "
                        "the median)" % (title, label, low, high, 100 * spread(ratios)))


def ensure_workloads(work, files, docs, seed):
    bundle = os.path.join(work, "w1-bundle-%d-seed%d" % (files, seed))
    facts = os.path.join(work, "w2-facts-%d-seed%d.json" % (docs, seed))
    generator = os.path.join(HERE, "generate.py")
    steps = [(bundle, [sys.executable, generator, "bundle", bundle, "--files", str(files),
                       "--seed", str(seed)]),
             (facts, [sys.executable, generator, "facts", facts, "--docs", str(docs),
                      "--seed", str(seed)])]
    for target, command in steps:
        print("workload: " + shell_line(command, None)
              + ("" if os.path.exists(target) else "   (generating)"))
        if not os.path.exists(target):
            subprocess.run(command, check=True)
    return bundle, facts


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "front-end",
                                                          "zav-parser"))
    parser.add_argument("--vs", help="another build, run in pairs with this one")
    parser.add_argument("--runs", type=int, default=5, help="measured runs (pairs with --vs)")
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--docs", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--work", default=os.path.join(HERE, "out"))
    parser.add_argument("--only", choices=["w1", "w2"], help="run one workload")
    parser.add_argument("--spread", type=float, default=0.10,
                        help="flag min and max further apart than this share of the median")
    args = parser.parse_args()
    if args.runs < 1:
        parser.error("--runs must be at least 1")

    print("command: " + shell_line([sys.executable] + sys.argv, None))
    print("machine: %d cores, load average %.2f %.2f %.2f at the start"
          % ((os.cpu_count() or 0,) + os.getloadavg()))
    os.makedirs(args.work, exist_ok=True)
    bundle, facts = ensure_workloads(args.work, args.files, args.docs, args.seed)
    workloads = [("w1", "W1 load %d files" % args.files, ["__engine-load", bundle], None),
                 ("w2", "W2 facts %d docs" % args.docs, ["__engine-facts"], facts)]
    workloads = [w for w in workloads if args.only in (None, w[0])]
    programs = [("zav-parser", os.path.abspath(args.program))]
    if args.vs:
        programs.append(("other", os.path.abspath(args.vs)))

    failed = False
    warnings = []
    with tempfile.TemporaryDirectory(prefix="zav-bench-") as scratch:
        for _, title, arguments, stdin_path in workloads:
            print(title)
            for name, program in programs:
                print("  %-10s %s" % (name, shell_line([program] + arguments, stdin_path)))
            runs = {name: [] for name, _ in programs}
            for name, program in programs:  # warm-up, not counted
                measure([program] + arguments, stdin_path, scratch)
            for _ in range(args.runs):
                for name, program in programs:  # one pair: this one, then the other
                    runs[name].append(measure([program] + arguments, stdin_path, scratch))
            for name, _ in programs:
                show_figures(name, runs[name])
                if spread([r.wall for r in runs[name]]) > args.spread:
                    warnings.append("%s, %s: wall times spread %.0f%% of the median"
                                    % (title, name, 100 * spread([r.wall for r in runs[name]])))
            digests = {r.digest for by_program in runs.values() for r in by_program}
            statuses = sorted({r.status for by_program in runs.values() for r in by_program})
            if len(digests) != 1 or statuses != [0]:
                print("  OUTPUTS DIFFER or a run failed (statuses %s)" % statuses)
                failed = True
                continue
            print("  output identical in all %d runs" % sum(len(r) for r in runs.values()))
            if args.vs:
                mine, other = runs["zav-parser"], runs["other"]
                print("  ratios other / zav-parser, %d pairs:" % args.runs)
                show_ratios(title, "wall", [o.wall / m.wall for m, o in zip(mine, other)],
                            args.spread, warnings)
                show_ratios(title, "user+sys",
                            [o.cpu / max(m.cpu, 1e-9) for m, o in zip(mine, other)],
                            args.spread, warnings)
                print("  %-22s %.2fx (largest peak of each)"
                      % ("peak memory", max(r.peak_kib for r in other)
                         / max(r.peak_kib for r in mine)))
    print("machine: load average %.2f %.2f %.2f at the end" % os.getloadavg())
    for warning in warnings:
        print("WARNING: " + warning + ": the machine was not quiet; take the figures again")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
