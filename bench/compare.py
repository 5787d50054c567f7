#!/usr/bin/env python3
"""Side-by-side timing of rilk, ninja and GNU make on equal generated projects.

Run from the repository root after a release build (build/src/rilk):

    python3 bench/compare.py              # every case, 5 runs each
    python3 bench/compare.py --runs 9 --cases 3,4 --rilk build/src/rilk

Each case writes its projects into a temporary directory: a rilk unit file, a build.ninja
and a Makefile that do the same work. Every tool runs with a HOME of its own (an empty
directory) and stdin from /dev/null. The table gives the median wall time of the runs
(the no-op cases 1, 7 and 8 run the tools interleaved, one run of each in turn), the peak RSS of one more run (from wait4's rusage), and the ratios rilk/ninja and
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
    try:
        _, _, usage = os.wait4(int(shell.stdout.strip()), 0)
    except ChildProcessError:  # reaped elsewhere before it reached us: no figure
        return float("nan")
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


def measure_interleaved(commands, runs):
    """Times `runs` rounds of the commands, each round running every command once in
    turn (after one warm-up round), so that a change in the machine's load falls on all
    of them alike; then takes the peak RSS of one more run of each. `commands` holds
    (argv, cwd, home) triples; the result holds one Measure per command, in order."""
    times = [[] for _ in commands]
    failed = [False for _ in commands]
    for index in range(runs + 1):
        for slot, (argv, cwd, home) in enumerate(commands):
            seconds, status = run_once(argv, cwd, home)
            failed[slot] = failed[slot] or status != 0
            if index > 0:
                times[slot].append(seconds)
    return [Measure(times[slot], peak_rss_once(argv, cwd, home), failed[slot])
            for slot, (argv, cwd, home) in enumerate(commands)]


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


def write_project(root, rilk, ninja, make):
    """Writes one project's rilk unit file, build.ninja and Makefile (lists of lines)."""
    for name, lines in (("rilk.txt", rilk), ("build.ninja", ninja), ("Makefile", make)):
        write(os.path.join(root, name), "\n".join(lines) + "\n")


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
    write_project(root, rilk, ninja, make)
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


def needs_build(case):
    """A case that runs rilk builds: skipped with a note while rilk cannot build."""

    def run(options, root):
        if not options.can_build:
            print("%s: not available yet (this rilk cannot build)" % case.__doc__.split(":")[0])
            return []
        return case(options, root)

    run.__doc__ = case.__doc__
    return run


def built_once(argv, cwd, home, what):
    """Runs argv once before timing; a failure ends the case with its reason."""
    _, status = run_once(argv, cwd, home)
    if status != 0:
        raise RuntimeError("%s failed (exit status %d) in %s" % (what, status, cwd))


def registry_home(options, root):
    """A HOME whose registry `rilk --find-compilers` wrote, or None when it cannot."""
    home = home_for(root, "rilk-registry")
    _, status = run_once([options.rilk, "--find-compilers"], home, home)
    registry = os.path.join(home, ".config", "rilk", ".rilk_registry.txt")
    if status != 0 or not os.path.exists(registry):
        return None
    return home


def case_noop(options, root):
    """Case 1: no-op build of `count` copy targets under one top target, everything built
    once before timing (rilk with its cache, ninja with its log, make with file times); rilk
    once with an empty registry and once with one from --find-compilers. The four
    commands run interleaved."""
    rows = []
    with_registry = registry_home(options, root)
    registry_note = "rilk (registry from --find-compilers) / ninja / make -r"
    if with_registry is None:
        print("case 1: rilk --find-compilers wrote no registry; the registry rows use one "
              "gnu-gcc toolchain written by hand")
        with_registry = gcc_home(options, root)
        registry_note = "rilk (registry: one gnu-gcc toolchain by hand) / ninja / make -r"
    for count in options.noop_sizes:
        project = os.path.join(root, "noop-%d" % count)
        copy_project(project, count)
        rilk_home, ninja_home, make_home = (home_for(root, name)
                                            for name in ("rilk", "ninja", "make"))
        commands = [([options.rilk], project, rilk_home),
                    ([options.rilk], project, with_registry),
                    ([options.ninja], project, ninja_home),
                    ([options.make, "-r"], project, make_home)]
        for argv, cwd, home in commands:
            built_once(argv, cwd, home, argv[0])
        rilk, registered, ninja, make = measure_interleaved(commands, options.runs)
        rows.append(Row("1 no-op", count, rilk, ninja, make,
                        "rilk (empty registry) / ninja / make -r"))
        rows.append(Row("1 no-op", count, registered, ninja, make, registry_note))
    return rows


def fanout_project(root, count, toolchain):
    """One GNU C target compiling `count` tiny sources in compile-only mode (rilk.txt, unit
    "fan"), and `count` gcc -c commands as a build.ninja and a Makefile."""
    sources = ["src/s%d.c" % i for i in range(count)]
    for i, source in enumerate(sources):
        write(os.path.join(root, source), "int s%d(int x) { return x + %d; }\n" % (i, i))
    rilk = ["unit fan", "objs: {", "    C_FLAGS = \"-c\"", "    OUTPUT_DIR = P\"(obj)\"",
            "    C_FILES = [" + ", ".join('P"(%s)"' % source for source in sources) + "]", "}"]
    ninja = ["rule cc", "  command = %s -c $in -o $out" % toolchain, ""]
    make = ["all: " + " ".join("obj/s%d.o" % i for i in range(count)), ""]
    for i in range(count):
        ninja.append("build obj/s%d.o: cc src/s%d.c" % (i, i))
        make += ["obj/s%d.o: src/s%d.c" % (i, i), "\t@mkdir -p obj", "\t%s -c $< -o $@" % toolchain]
    write_project(root, rilk, ninja, make)


def gcc_home(options, root):
    """A HOME whose registry defines one gnu-gcc toolchain in the directory of `gcc`: the
    one from --find-compilers when that works, else one written here."""
    home = registry_home(options, root)
    if home is not None:
        return home
    home = home_for(root, "rilk-gcc")
    gcc = os.path.realpath(shutil.which("gcc") or "/usr/bin/gcc")
    machine = subprocess.run([gcc, "-dumpmachine"], capture_output=True, text=True).stdout.strip()
    version = subprocess.run([gcc, "-dumpfullversion"], capture_output=True,
                             text=True).stdout.strip()
    arch, _, rest = machine.partition("-")
    osname, _, abi = rest.partition("-")
    write(os.path.join(home, ".config", "rilk", ".rilk_registry.txt"),
          "tools {\n  gcc_bench {\n    toolchain_name = \"gcc_bench\"\n"
          "    tool_type = \"gnu-gcc\"\n    toolchain_version = \"%s\"\n    prefix = \"%s\"\n"
          "    arch = \"%s\"\n    os = \"%s\"\n    abi = \"%s\"\n    toolchain_path = \"%s\"\n"
          "  }\n}\n" % (version, machine, arch, osname, abi, os.path.dirname(gcc)))
    return home


def case_fanout(options, root):
    """Case 2: one GNU C target of 1,000 tiny sources in compile-only mode at -j 8, fresh
    and no-op, against 1,000 gcc -c commands in ninja and make at -j 8."""
    count = 1000
    project = os.path.join(root, "fanout")
    fanout_project(project, count, shutil.which("gcc") or "gcc")
    rilk_home, ninja_home, make_home = (home_for(root, name) for name in ("rilk", "ninja", "make"))
    rilk_home = gcc_home(options, root)
    rilk_argv = [options.rilk, "-j", "8"]
    ninja_argv = [options.ninja, "-j", "8"]
    make_argv = [options.make, "-r", "-j", "8"]

    def clean():
        shutil.rmtree(os.path.join(project, "obj"), ignore_errors=True)
        for name in (".rilk_cache", ".ninja_log", ".ninja_deps"):
            if os.path.exists(os.path.join(project, name)):
                os.remove(os.path.join(project, name))

    runs = max(1, min(options.runs, 3))
    rows = []
    note = "fresh -j 8: rilk runs 8 jobs of one gcc command each over the 1,000 sources"
    fresh = [measure(argv, project, home, runs, prepare=clean)
             for argv, home in ((rilk_argv, rilk_home), (ninja_argv, ninja_home),
                                (make_argv, make_home))]
    rows.append(Row("2 fan-out fresh", count, *fresh, note))
    for argv, home in ((rilk_argv, rilk_home), (ninja_argv, ninja_home), (make_argv, make_home)):
        built_once(argv, project, home, argv[0])
    noop = [measure(argv, project, home, options.runs)
            for argv, home in ((rilk_argv, rilk_home), (ninja_argv, ninja_home),
                               (make_argv, make_home))]
    rows.append(Row("2 fan-out no-op", count, *noop, "-j 8, everything built"))
    return rows


def diamond_project(root, layers):
    """`layers` layers of diamonds: layer k has targets a_k and b_k, both depending on the
    pair of layer k+1 ... as one chain of diamonds top -> {a, b} -> join -> {a, b} -> ...:
    2^layers paths from the top to the bottom, 3 * layers + 2 targets with the top."""
    rilk = ["unit dia"]
    ninja = ["rule cp", "  command = cp $in $out", ""]
    make = ["all: out/j0.txt", ""]
    write(os.path.join(root, "in", "base.txt"), "base\n")
    os.makedirs(os.path.join(root, "out"), exist_ok=True)
    below = None
    for layer in range(layers, -1, -1):
        join = "j%d" % layer
        if below is None:
            rilk += ["%s: {" % join, '    in = P"(in/base.txt)"', '    ^out = P"(out/%s.txt)"' % join,
                     '    cmdline = "cp ${in} ${out}"', "}"]
            ninja.append("build out/%s.txt: cp in/base.txt" % join)
            make += ["out/%s.txt: in/base.txt" % join, "\tcp $< $@"]
        else:
            for side in ("a", "b"):
                name = "%s%d" % (side, layer + 1)
                rilk += ["%s: %s {" % (name, below), '    in = P"(out/%s.txt)"' % below,
                         '    ^out = P"(out/%s.txt)"' % name, '    cmdline = "cp ${in} ${out}"', "}"]
                ninja.append("build out/%s.txt: cp out/%s.txt" % (name, below))
                make += ["out/%s.txt: out/%s.txt" % (name, below), "\tcp $< $@"]
            rilk += ["%s: a%d b%d {" % (join, layer + 1, layer + 1),
                     '    in = P"(out/a%d.txt)"' % (layer + 1), '    ^out = P"(out/%s.txt)"' % join,
                     '    cmdline = "cat ${in} out/b%d.txt > ${out}"' % (layer + 1), "}"]
            ninja.append("build out/%s.txt: cp out/a%d.txt | out/b%d.txt" % (join, layer + 1, layer + 1))
            make += ["out/%s.txt: out/a%d.txt out/b%d.txt" % (join, layer + 1, layer + 1),
                     "\tcat $^ > $@"]
        below = join
    # the top target first: it is the unit's main target
    rilk = [rilk[0], "top: j0 {", "    NO_TOOL = 1", "}"] + rilk[1:]
    ninja.append("build top: phony out/j0.txt")
    ninja.append("default top")
    write_project(root, rilk, ninja, make)


def case_diamonds(options, root):
    """Case 6: chains of 5, 10 and 20 diamonds, fresh and no-op: the time follows the
    3 * layers + 2 targets, not the 2^layers paths from the top to the bottom."""
    rows = []
    for layers in (5, 10, 20):
        project = os.path.join(root, "diamonds-%d" % layers)
        diamond_project(project, layers)
        homes = [home_for(root, name) for name in ("rilk", "ninja", "make")]
        argvs = [[options.rilk], [options.ninja], [options.make, "-r"]]

        def clean(project=project):
            shutil.rmtree(os.path.join(project, "out"), ignore_errors=True)
            os.makedirs(os.path.join(project, "out"))
            for name in (".rilk_cache", ".ninja_log", ".ninja_deps"):
                if os.path.exists(os.path.join(project, name)):
                    os.remove(os.path.join(project, name))

        fresh = [measure(argv, project, home, options.runs, prepare=clean)
                 for argv, home in zip(argvs, homes)]
        rows.append(Row("6 diamonds fresh", "%d layers" % layers, *fresh,
                        "%d targets, 2^%d paths" % (3 * layers + 2, layers)))
        noop = [measure(argv, project, home, options.runs) for argv, home in zip(argvs, homes)]
        rows.append(Row("6 diamonds no-op", "%d layers" % layers, *noop,
                        "%d targets, 2^%d paths" % (3 * layers + 2, layers)))
    return rows


def case_cache(options, root):
    """Case 5: the cache file of case 1's projects, loaded and saved by the library
    benchmarks (build/bench/rilk_bench, BM_CacheLoad and BM_CacheSave)."""
    if not os.access(options.bench, os.X_OK):
        print("case 5: %s not built (configure with -DRILK_BUILD_BENCHMARKS=ON)" % options.bench)
        return []
    for count in options.noop_sizes:
        project = os.path.join(root, "noop-%d" % count)
        if not os.path.exists(os.path.join(project, ".rilk_cache")):
            copy_project(project, count)
            built_once([options.rilk], project, home_for(root, "rilk"), "rilk")
        print("case 5: cache file of %d targets (%d bytes)"
              % (count, os.path.getsize(os.path.join(project, ".rilk_cache"))))
        env = dict(os.environ, RILK_BENCH_CACHE_FILE=os.path.join(project, ".rilk_cache"))
        subprocess.run([options.bench, "--benchmark_filter=BM_Cache"], env=env, check=False)
    return []


def small_c_project(root, compiler):
    """A small C program: 32 sources, each including one header, compiled by one
    compile-only target, archived, and linked with one more source into a program; as a
    rilk unit (unit "small"), a build.ninja and a Makefile that track the header through
    the compiler's dependency files as rilk does."""
    count = 32
    write(os.path.join(root, "src", "lib.h"), "int s0(int x);\n")
    for i in range(count):
        write(os.path.join(root, "src", "s%d.c" % i),
              '#include "lib.h"\nint s%d(int x) { return x + %d; }\n' % (i, i))
    write(os.path.join(root, "src", "main.c"),
          '#include "lib.h"\nint main(void) { return s0(0); }\n')
    sources = ", ".join('P"(src/s%d.c)"' % i for i in range(count))
    rilk = ["unit small", "app: +lib {", '    C_FILES = P"(src/main.c)"', '    C_FLAGS = "-O2"',
            '    INCLUDE = P"(src)"', '    OUTPUT_NAME = "app"', "}",
            "lib: +objs {", "    OBJS", '    OUTPUT_NAME = "libsmall.a"', "}",
            "objs: {", "    C_FILES = [%s]" % sources, '    C_FLAGS = "-O2 -c"',
            '    INCLUDE = P"(src)"', "}"]
    objects = " ".join("obj/s%d.o" % i for i in range(count))
    ninja = ["rule cc", "  command = %s -O2 -c -Isrc -MD -MF $out.d $in -o $out" % compiler,
             "  depfile = $out.d", "  deps = gcc",
             "rule ar", "  command = rm -f $out && ar rcs $out $in",
             "rule link", "  command = %s -O2 -Isrc -MD -MF $out.d $in -o $out" % compiler,
             "  depfile = $out.d", "  deps = gcc", ""]
    ninja += ["build obj/s%d.o: cc src/s%d.c" % (i, i) for i in range(count)]
    ninja += ["build obj/libsmall.a: ar " + objects, "build app: link src/main.c obj/libsmall.a",
              "default app"]
    # make keeps its files apart from ninja's (ninja removes the dependency files it read)
    make = ["mapp: src/main.c mobj/libsmall.a",
            "\t%s -O2 -Isrc -MD -MF $@.d $^ -o $@" % compiler,
            "mobj/libsmall.a: " + objects.replace("obj/", "mobj/"), "\trm -f $@ && ar rcs $@ $^",
            "mobj/%.o: src/%.c", "\t@mkdir -p mobj",
            "\t%s -O2 -c -Isrc -MD -MF $@.d $< -o $@" % compiler,
            "-include $(wildcard mobj/*.d) $(wildcard mapp.d)"]
    write_project(root, rilk, ninja, make)


def interleaved_noop(options, root, project, jobs):
    """rilk (with a registry that has GCC), ninja and make, each given `jobs` (empty: none),
    built once and then timed interleaved in `project`."""
    commands = [([options.rilk] + jobs, project, gcc_home(options, root)),
                ([options.ninja] + jobs, project, home_for(root, "ninja")),
                ([options.make, "-r"] + jobs, project, home_for(root, "make"))]
    for argv, cwd, home in commands:
        built_once(argv, cwd, home, argv[0])
    return measure_interleaved(commands, options.runs)


def case_small(options, root):
    """Case 7: no-op build of a small C program (32 sources compiled by one compile-only
    target, archived, linked with one more source), rilk with a registry from
    --find-compilers, against the same work in ninja and make; interleaved runs."""
    project = os.path.join(root, "small")
    small_c_project(project, shutil.which("gcc") or "gcc")
    rilk, ninja, make = interleaved_noop(options, root, project, [])
    return [Row("7 small C no-op", "33 sources", rilk, ninja, make,
                "registry from --find-compilers; compile-only target, archive, link")]


def cpp_project(root, compiler, libraries=5, per_library=10):
    """A C++ program of `libraries` * `per_library` sources, each including <vector>,
    <string>, <map>, <iostream> and a header of the project: one compile-only target per
    library, and the program compiled from main.cpp and linked with every library's objects
    in one command; as a rilk unit (unit "cpp"), a build.ninja and a Makefile that track
    every header the compiler read, its system folders' too (-MD), as rilk does."""
    count = libraries * per_library
    write(os.path.join(root, "src", "lib.h"),
          "".join("int s%d(int x);\n" % i for i in range(count)))
    for i in range(count):
        write(os.path.join(root, "src", "s%d.cpp" % i),
              "#include <iostream>\n#include <map>\n#include <string>\n#include <vector>\n"
              '#include "lib.h"\n'
              "int s%d(int x) {\n    std::map<std::string, std::vector<int>> m;\n"
              '    m["s"].push_back(x + %d);\n    std::cout << m.size();\n'
              '    return m["s"].back();\n}\n' % (i, i))
    write(os.path.join(root, "src", "main.cpp"),
          '#include <iostream>\n#include "lib.h"\nint main() { std::cout << s0(0); }\n')
    rilk = ["unit cpp", "app: " + " ".join("+lib%d" % k for k in range(libraries)) + " {",
            '    CPP_FILES = P"(src/main.cpp)"', '    INCLUDE = P"(src)"', "    OBJS",
            '    OUTPUT_NAME = "app"', "}"]
    ninja = ["rule cxx", "  command = %s -c -Isrc -MD -MF $out.d $in -o $out" % compiler,
             "  depfile = $out.d", "  deps = gcc",
             "rule link", "  command = %s -Isrc -MD -MF $out.d $in -o $out" % compiler,
             "  depfile = $out.d", "  deps = gcc", ""]
    objects = []
    for k in range(libraries):
        sources = ["src/s%d.cpp" % i for i in range(k * per_library, (k + 1) * per_library)]
        rilk += ["lib%d: {" % k,
                 "    CPP_FILES = [%s]" % ", ".join('P"(%s)"' % source for source in sources),
                 '    C_FLAGS = "-c"', '    INCLUDE = P"(src)"', "}"]
        for source in sources:
            obj = "obj/" + os.path.basename(source).replace(".cpp", ".o")
            ninja.append("build %s: cxx %s" % (obj, source))
            objects.append(obj)
    ninja += ["build app: link src/main.cpp " + " ".join(objects), "default app"]
    make = ["mapp: src/main.cpp " + " ".join(objects).replace("obj/", "mobj/"),
            "\t%s -Isrc -MD -MF $@.d $^ -o $@" % compiler,
            "mobj/%.o: src/%.cpp", "\t@mkdir -p mobj",
            "\t%s -c -Isrc -MD -MF $@.d $< -o $@" % compiler,
            "-include $(wildcard mobj/*.d) $(wildcard mapp.d)"]
    write_project(root, rilk, ninja, make)


def case_cpp(options, root):
    """Case 8: no-op build of a C++ program of 50 sources that include the standard
    library (five compile-only targets, a program compiled and linked with their objects),
    every header the compiler read tracked; interleaved runs."""
    project = os.path.join(root, "cpp")
    cpp_project(project, shutil.which("g++") or "g++")
    rilk, ninja, make = interleaved_noop(options, root, project, ["-j", "4"])
    return [Row("8 C++ no-op", "51 sources", rilk, ninja, make,
                "<iostream>, <map>, <string>, <vector>: about 150 headers a source")]


CASES = {
    1: needs_build(case_noop),
    2: needs_build(case_fanout),
    3: case_loading,
    4: case_startup,
    5: needs_build(case_cache),
    6: needs_build(case_diamonds),
    7: needs_build(case_small),
    8: needs_build(case_cpp),
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
    parser.add_argument("--cases", default="1,2,3,4,5,6,7,8", help="comma-separated case numbers")
    parser.add_argument("--sizes", default="1000,10000,100000",
                        help="target counts of the loading case")
    parser.add_argument("--noop-sizes", default="1000,10000,100000",
                        help="target counts of the no-op case")
    parser.add_argument("--bench", default=os.path.join(REPO, "build", "bench", "rilk_bench"),
                        help="the library benchmarks (case 5)")
    options = parser.parse_args()
    options.rilk = os.path.abspath(options.rilk)
    options.sizes = [int(size) for size in options.sizes.split(",")]
    options.noop_sizes = [int(size) for size in options.noop_sizes.split(",")]
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
