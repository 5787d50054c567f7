#!/usr/bin/env python3
"""Runs the examples of Markdown files with rilk and checks that each prints what it shows.

An example is marked in the Markdown with HTML comments, which a reader of the rendered
page does not see:

    <!-- example /tmp/L1 -->       starts an example in a new, empty directory; the path is the
                                   one the page shows, put in place of the real directory in
                                   what the commands print. `cwd SUB` after it runs the
                                   commands in its subdirectory SUB; `from DIR` starts it
                                   as a copy of DIR (relative to the page's folder).
    <!-- file NAME -->             the next fenced block is written to the file NAME
    <!-- file NAME                 or the lines up to "-->" are (a file the page only names)
    ...
    -->

A fenced block of an example whose first line starts with "$ " is a session: each "$ "
line runs through /bin/sh in the example's directory (`rilk` is the program under test, a
"# ..." at the end is a comment to the shell), and the lines after it, up to the next "$ "
line, are what it prints (standard output and standard error together; "..." in a shown
line stands for any text). rilk's own messages ("Starting build", lines starting
"[unit::target] ", and at -v 3 "Parsed unit" and "Loaded unit") may be left out of what a
page shows; every other line must be shown, in order. A command that shows a line starting
"Error: " must exit with status 1, every other with status 0. A session outside an example
is a fault of the page.

Every command runs with an empty HOME of its own and stdin from /dev/null. Exits with status
1 and names each example that printed something else, 0 when all did.

usage: doc_examples.py RILK FILE.md...
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

ANSI = re.compile(r"\x1b\[[0-9;]*m")
RILK_MESSAGE = re.compile(
    r"^(Starting build$|Parsed unit '|Loaded unit '|\[[^\]\s]*::[^\]\s]*\] )")
COMMAND_SECONDS = 60


class Example:
    """One example: its directory, the path the page shows for it, and where it runs."""

    def __init__(self, root, index, shown, cwd, origin):
        self.directory = os.path.join(root, "example%d" % index)
        if origin:
            # What a build there left behind is not part of the example.
            shutil.copytree(origin, self.directory, symlinks=True, ignore=shutil.ignore_patterns(
                "out", ".rilk_cache", ".rilk_lock", ".rilk_journal"))
        else:
            os.makedirs(self.directory)
        self.shown = shown
        self.cwd = os.path.join(self.directory, cwd) if cwd else self.directory
        self.home = os.path.join(root, "home%d" % index)
        os.makedirs(self.home)

    def write(self, name, lines):
        path = os.path.join(self.directory, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write("".join(line + "\n" for line in lines))


def sessions(lines):
    """The (command, expected lines) pairs of a session block."""
    pairs = []
    for line in lines:
        if line.startswith("$ "):
            pairs.append((line[2:], []))
        elif pairs:
            pairs[-1][1].append(line)
    return pairs


def run(example, command, bin_dir):
    env = {"HOME": example.home, "PATH": bin_dir + ":/usr/bin:/bin", "LC_ALL": "C"}
    try:
        done = subprocess.run(["/bin/sh", "-c", command], cwd=example.cwd, env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=COMMAND_SECONDS)
    except subprocess.TimeoutExpired:
        return None, ["(still running after %d s)" % COMMAND_SECONDS]
    text = ANSI.sub("", done.stdout.decode("utf-8", "replace"))
    if example.shown:
        text = text.replace(os.path.realpath(example.directory), example.shown)
    return done.returncode, text.splitlines()


def check(example, command, expected, bin_dir):
    """An empty list when the command did what the page shows, else the lines that say why."""
    status, printed = run(example, command, bin_dir)
    wanted_status = 1 if any(line.startswith("Error: ") for line in expected) else 0
    faults = []
    if status != wanted_status:
        faults.append("exit status %s, not %d" % (status, wanted_status))
    patterns = [re.compile(".*".join(map(re.escape, line.split("...")))) for line in expected]
    kept = [line for line in printed
            if not RILK_MESSAGE.match(line) or any(p.fullmatch(line) for p in patterns)]
    if len(kept) != len(patterns) or not all(p.fullmatch(line)
                                             for p, line in zip(patterns, kept)):
        faults.append("printed (rilk's messages not shown on the page left out):")
        faults += ["  | " + line for line in kept]
    if faults:
        faults.append("all it printed:")
        faults += ["  | " + line for line in printed]
    return faults


def blocks(text):
    """The page as a list of ("comment", lines) and ("fence", lines, line number) items."""
    items = []
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.strip().startswith("<!--"):
            body = [line.strip()[4:]]
            while "-->" not in body[-1] and i + 1 < len(lines):
                i += 1
                body.append(lines[i])
            body[-1] = body[-1][: body[-1].index("-->")] if "-->" in body[-1] else body[-1]
            items.append(("comment", body, i + 1))
        elif line.lstrip().startswith("```"):
            indent = len(line) - len(line.lstrip())
            start = i + 1
            body = []
            i += 1
            while i < len(lines) and not lines[i].lstrip().startswith("```"):
                body.append(lines[i][indent:] if lines[i][:indent].isspace() else lines[i])
                i += 1
            items.append(("fence", body, start))
        i += 1
    return items


def run_page(page, root, bin_dir, counter):
    """Runs the examples of one page; returns its faults as printable lines."""
    with open(page, encoding="utf-8") as source:
        items = blocks(source.read())
    faults = []
    example = None
    pending = None
    for kind, body, number in items:
        where = "%s:%d" % (page, number)
        if kind == "comment":
            words = body[0].split()
            if words[:1] == ["example"]:
                counter[0] += 1
                shown = words[1] if len(words) > 1 and words[1] not in ("cwd", "from") else ""
                cwd = words[words.index("cwd") + 1] if "cwd" in words else ""
                origin = ""
                if "from" in words:
                    origin = os.path.join(os.path.dirname(os.path.abspath(page)),
                                          words[words.index("from") + 1])
                example = Example(root, counter[0], shown, cwd, origin)
            elif words[:1] == ["file"] and example is not None:
                if len(body) > 1:
                    content = body[1:-1] if not body[-1].strip() else body[1:]
                    example.write(words[1], content)
                else:
                    pending = words[1]
            continue
        if pending is not None:
            example.write(pending, body)
            pending = None
        elif body and body[0].startswith("$ "):
            if example is None:
                faults.append("%s: a session outside any example" % where)
                continue
            for command, expected in sessions(body):
                found = check(example, command, expected, bin_dir)
                if found:
                    faults.append("%s: $ %s" % (where, command))
                    faults += ["    " + line for line in found]
    return faults


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    rilk = os.path.abspath(argv[1])
    faults = []
    with tempfile.TemporaryDirectory(prefix="rilk-doc-examples-") as root:
        bin_dir = os.path.join(root, "bin")
        os.makedirs(bin_dir)
        os.symlink(rilk, os.path.join(bin_dir, "rilk"))
        counter = [0]
        for page in argv[2:]:
            faults += run_page(page, root, bin_dir, counter)
        print("%d examples run" % counter[0])
    for line in faults:
        print(line)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
