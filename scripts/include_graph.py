#!/usr/bin/env python3
"""Draws the include graph of the driver (src/app) by group and checks its direction.

Reads every `#include "app/..."` line of the files under <src>/app, maps each file and
each included header to its group (the folder below app/, and cache/file on its own), and
prints the arrows between groups with the number of includes behind each. The groups
stand in one order, lowest first; an include from a group to a group above it is an arrow
pointing up, and so is an include of app/ from a lower layer (util, types, parser, tools).
The script names every such include and exits with status 1; a file in a group the order
does not know is a failure too.

usage: include_graph.py [--mermaid] [SRC_DIR]   (SRC_DIR defaults to the repository's src)
"""

import collections
import pathlib
import re
import sys

# The groups of src/app, lowest first: a group may include only groups before it.
GROUPS = ["registry", "load", "toolbox", "build", "cache", "cache/file", "jobs", "driver"]
LOWER_LAYERS = ["util", "types", "parser", "tools"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"app/([^"]+)"')


def group_of(path_in_app):
    """The group of a path relative to src/app, or None for a file directly in app/."""
    parts = pathlib.PurePosixPath(path_in_app).parts
    if len(parts) < 2:
        return None
    if parts[0] == "cache" and len(parts) > 2 and parts[1] == "file":
        return "cache/file"
    return parts[0]


def sources(directory):
    return sorted(p for p in directory.rglob("*") if p.suffix in (".h", ".cpp") and p.is_file())


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1)


def main(argv):
    mermaid = "--mermaid" in argv
    args = [a for a in argv if a != "--mermaid"]
    src = pathlib.Path(args[0]) if args else pathlib.Path(__file__).resolve().parent.parent / "src"
    app = src / "app"
    if not app.is_dir():
        print(f"include_graph: no directory {app}", file=sys.stderr)
        return 2
    rank = {group: index for index, group in enumerate(GROUPS)}
    arrows = collections.Counter()
    faults = []
    for path in sources(app):
        source = group_of(path.relative_to(app).as_posix())
        if source not in rank:
            faults.append(f"{path}: the file is in no known group ({source or 'app/'})")
            continue
        for number, target_path in includes(path):
            target = group_of(target_path)
            if target not in rank:
                faults.append(f"{path}:{number}: includes app/{target_path}, in no known group")
            elif target != source:
                arrows[(source, target)] += 1
                if rank[target] > rank[source]:
                    faults.append(f"{path}:{number}: {source} includes app/{target_path}, "
                                  f"of {target}, a group above it")
    for layer in LOWER_LAYERS:
        for path in sources(src / layer):
            for number, target_path in includes(path):
                faults.append(f"{path}:{number}: the {layer} layer includes app/{target_path}")

    if mermaid:
        print("graph BT")
        node = lambda group: f'{group.replace("/", "_")}["{group}"]'
        for (source, target), count in sorted(arrows.items(),
                                              key=lambda a: (rank[a[0][0]], rank[a[0][1]])):
            print(f"  {node(source)} -->|{count}| {node(target)}")
    else:
        print("groups, lowest first: " + " <- ".join(GROUPS))
        for group in GROUPS:
            targets = [(t, c) for (s, t), c in arrows.items() if s == group]
            targets.sort(key=lambda item: rank[item[0]])
            listed = ", ".join(f"{t} ({c})" for t, c in targets) or "-"
            print(f"  {group:<10} -> {listed}")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
