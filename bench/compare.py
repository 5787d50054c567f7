#!/usr/bin/env python3
"""Side-by-side timing of rilk, ninja and GNU make on equal generated projects.

Run from the repository root after a release build (build/src/rilk):

    python3 bench/compare.py              # every case, 5 runs each
    python3 bench/compare.py --runs 9 --cases 3,4 --rilk build/src/rilk

Each case writes its projects into a temporary directory: a rilk unit file, a build.ninja
and a Makefile that do the same work. Every tool runs with a HOME of its own (an empty
directory) and stdin from /dev/null. The table gives the median wall time of the runs,
the peak RSS of one more run (from wait4's rusage), and the ratios rilk/ninja and
rilk/make. Cases that need rilk to build print "not available yet" while it cannot.
"""

import argparse
import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Measure:
    """The runs of one command: wall times in seconds and the peak RSS in KiB."""

    def __init__(self, times, rss_kib, failed):
        self.times = times
        self.rss_kib = rss_kib
        self.failed = failed

    @property
    def median(self):
        return statistics.median(self.times) if self.times else float("nan")


def tool_env(home):
    return {"HOME": home, "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LC_ALL": "C"}


def run_once(argv, cwd, home):
    """Runs argv once, started directly; returns (seconds, exit status)."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, cwd=cwd, env=tool_env(home), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, _ = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)  # reaped here, not by Popen
    return seconds, proc.returncode


def become_subreaper():
    """Makes orphaned descendants of this process its children (Linux prctl), so that
    wait4 can reap a tool that a shell started. False where that is not available."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        return libc.prctl(36, 1, 0, 0, 0) == 0  # PR_SET_CHILD_SUBREAPER
    except (OSError, AttributeError):
        return False


SUBREAPER = False


def peak_rss_once(argv, cwd, home):
    """The peak RSS in KiB of one run of argv, from the rusage that wait4 gives.

    A process forked from this interpreter starts with the interpreter's RSS as its peak,
    which would hide a small tool's. So a shell starts the tool in the background and
    exits; the tool, forked from the small shell, is then reaped here as an orphan."""
    if not SUBREAPER:
        proc = subprocess.Popen(argv, cwd=cwd, env=tool_env(home), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(proc.pid, 0)
        proc.returncode = 0
        return usage.ru_maxrss
    shell = subprocess.run(["/bin/sh", "-c", '"$@" </dev/null >/dev/null 2>&1 & echo $!', "sh"]
                           + argv, cwd=cwd, env=tool_env(home), stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, check=True, text=True)
    _, _, usage = os.wait4(int(shell.stdout.strip()), 0)
    return usage.ru_maxrss


def measure(argv, cwd, home, runs, prepare=None):
    """Times `runs` runs of argv (after one warm-up run), calling `prepare` before each,
    and takes the peak RSS of one more run."""
    times, failed = [], False
    for index in range(runs + 1):
        if prepare:
            prepare()
        seconds, status = run_once(argv, cwd, home)
        failed = failed or status != 0
        if index > 0:
            times.append(seconds)
    if prepare:
        prepare()
    return Measure(times, peak_rss_once(argv, cwd, home), failed)


def home_for(root, name):
    """An empty HOME directory for one tool in one case."""
    path = os.path.join(root, "home-" + name)
    os.makedirs(path, exist_ok=True)
    return path


# --- Projects ----------------------------------------------------------------------------


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def copy_project(root, count):
    """`count` targets, each copying in/fN.txt to out/fN.txt, under one top target `all`,
    as a rilk unit (rilk.txt, unit "big"), a build.ninja and a Makefile in `root`."""
    names = ["t%d" % i for i in range(count)]
    rilk = ["unit big", "all: " + " ".join(names) + " {", "    NO_TOOL = 1", "}"]
    ninja = ["rule cp", "  command = cp $in $out", ""]
    make = ["all: " + " ".join("out/f%d.txt" % i for i in range(count)), ""]
    for i in range(count):
        rilk += ["t%d: {" % i, '    in = P"(in/f%d.txt)"' % i, '    ^out = P"(out/f%d.txt)"' % i,
                 '    cmdline = "cp ${in} ${out}"', "}"]
        ninja.append("build out/f%d.txt: cp in/f%d.txt" % (i, i))
        make += ["out/f%d.txt: in/f%d.txt" % (i, i), "\tcp $< $@"]
    ninja.append("build all: phony " + " ".join("out/f%d.txt" % i for i in range(count)))
    ninja.append("default all")
    write(os.path.join(root, "rilk.txt"), "\n".join(rilk) + "\n")
    write(os.path.join(root, "build.ninja"), "\n".join(ninja) + "\n")
    write(os.path.join(root, "Makefile"), "\n".join(make) + "\n")
    os.makedirs(os.path.join(root, "in"), exist_ok=True)
    os.makedirs(os.path.join(root, "out"), exist_ok=True)
    for i in range(count):
        with open(os.path.join(root, "in", "f%d.txt" % i), "w") as out:
            out.write("%d\n" % i)


def rilk_can_build(rilk, root):
    """Whether this rilk builds: one command target copying one file."""
    project = os.path.join(root, "probe")
    copy_project(project, 1)
    _, status = run_once([rilk], project, home_for(root, "probe"))
    return status == 0 and os.path.exists(os.path.join(project, "out", "f0.txt"))


# --- Cases -------------------------------------------------------------------------------


class Row:
    def __init__(self, case, size, rilk, ninja, make, note=""):
        self.case, self.size, self.note = case, size, note
        self.rilk, self.ninja, self.make = rilk, ninja, make


def case_loading(options, root):
    """Case 3: load a project and list its targets (rilk -l big; ninja -t targets all;
    make -r -n, which loads the Makefile and prints the plan of a fresh build)."""
    rows = []
    for count in options.sizes:
        project = os.path.join(root, "load-%d" % count)
        copy_project(project, count)
        rilk = measure([options.rilk, "-l", "big"], project, home_for(root, "rilk"),
                       options.runs)
        ninja = measure([options.ninja, "-t", "targets", "all"], project,
                        home_for(root, "ninja"), options.runs)
        make = measure([options.make, "-r", "-n"], project, home_for(root, "make"),
                       options.runs)
        rows.append(Row("3 loading", count, rilk, ninja, make,
                        "rilk -l big / ninja -t targets all / make -r -n"))
    return rows


def case_startup(options, root):
    """Case 4: start-up and exit (--version)."""
    rilk = measure([options.rilk, "--version"], root, home_for(root, "rilk"), options.runs)
    ninja = measure([options.ninja, "--version"], root, home_for(root, "ninja"), options.runs)
    make = measure([options.make, "--version"], root, home_for(root, "make"), options.runs)
    return [Row("4 start-up", "-", rilk, ninja, make, "--version")]


def needs_build(title):
    """A case that runs rilk builds: skipped with a note while rilk cannot build."""

    def case(options, root):
        if not options.can_build:
            print("case %s: not available yet (this rilk cannot build)" % title)
            return []
        print("case %s: not written yet" % title)
        return []

    return case


CASES = {
    1: needs_build("1 no-op build"),
    2: needs_build("2 GNU fan-out"),
    3: case_loading,
    4: case_startup,
    5: needs_build("5 cache load/save"),
    6: needs_build("6 diamond layers"),
}


# --- Report ------------------------------------------------------------------------------


def ratio(a, b):
    if b is None or not b.times or not a.times or b.median == 0:
        return "-"
    return "%.2f" % (a.median / b.median)


def cell(measured):
    if measured is None:
        return "-", "-"
    flag = " (failed)" if measured.failed else ""
    return "%.1f%s" % (measured.median * 1000, flag), "%.1f" % (measured.rss_kib / 1024)


def print_table(rows):
    header = ["case", "size", "rilk ms", "rilk MB", "ninja ms", "ninja MB", "make ms",
              "make MB", "rilk/ninja", "rilk/make", "commands"]
    lines = [header]
    for row in rows:
        rilk_ms, rilk_mb = cell(row.rilk)
        ninja_ms, ninja_mb = cell(row.ninja)
        make_ms, make_mb = cell(row.make)
        lines.append([row.case, str(row.size), rilk_ms, rilk_mb, ninja_ms, ninja_mb, make_ms,
                      make_mb, ratio(row.rilk, row.ninja), ratio(row.rilk, row.make), row.note])
    widths = [max(len(line[i]) for line in lines) for i in range(len(header))]
    for index, line in enumerate(lines):
        print(" | ".join(text.ljust(width) for text, width in zip(line, widths)).rstrip())
        if index == 0:
            print("-|-".join("-" * width for width in widths))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rilk", default=os.path.join(REPO, "build", "src", "rilk"))
    parser.add_argument("--ninja", default=shutil.which("ninja") or "ninja")
    parser.add_argument("--make", default=shutil.which("make") or "make")
    parser.add_argument("--runs", type=int, default=5, help="timed runs per command")
    parser.add_argument("--cases", default="1,2,3,4,5,6", help="comma-separated case numbers")
    parser.add_argument("--sizes", default="1000,10000,100000",
                        help="target counts of the loading case")
    options = parser.parse_args()
    options.rilk = os.path.abspath(options.rilk)
    options.sizes = [int(size) for size in options.sizes.split(",")]
    if not os.access(options.rilk, os.X_OK):
        sys.exit("rilk not found at %s: build it first or pass --rilk" % options.rilk)

    global SUBREAPER
    SUBREAPER = become_subreaper()
    if not SUBREAPER:
        print("note: peak RSS includes this interpreter's (no subreaper support)")
    rows = []
    with tempfile.TemporaryDirectory(prefix="rilk-compare-") as root:
        options.can_build = rilk_can_build(options.rilk, root)
        for number in (int(text) for text in options.cases.split(",")):
            rows += CASES[number](options, root)
    print()
    print_table(rows)


if __name__ == "__main__":
    main()
