#!/usr/bin/env python3
"""Draws the include graph of the driver (src/app) by group and checks its direction.

Reads every `#include "app/..."` line of the files under <src>/app, maps each file and
each included header to its group (the folder below app/, and each folder of cache/ on its
own: cache/file, cache/planning), and prints the arrows between groups with the number of
includes behind each. The groups stand in one order, lowest first; an include from a group
to a group above it is an arrow pointing up, and so is an include of app/ from a lower
layer (util, types, parser, tools). Some groups may not include some groups below them
either: jobs/, which only runs jobs, includes nothing of cache/ (any of its folders) or
build/. The script names every such include and exits with status 1; a file in a group the
order does not know is a failure too.

It also checks that every function is defined in the group whose header declares it: a
member of a class declared in one group, or a free function declared only in one group's
headers, defined in a source file of another is named as a failure (a class whose members
spread over two folders hides an arrow that no include shows). Two more ties that no include
shows fail too: a class deriving from a class of another group that has protected members,
or befriending a class of another group (the two then share what neither shows the rest);
and a free function declared in one group's headers under the name of a function (free or a
member) declared in another's, so that a call names the one it means only by its namespace.

usage: include_graph.py [--mermaid] [SRC_DIR]   (SRC_DIR defaults to the repository's src)
"""

import collections
import pathlib
import re
import sys

# The groups of src/app, lowest first: a group may include only groups before it.
GROUPS = ["registry", "load", "toolbox", "cache", "cache/file", "cache/planning", "build",
          "jobs", "driver"]
# Groups a group may not include although they stand before it; "cache" stands for cache/
# and each of its folders.
FORBIDDEN = {"jobs": ["cache", "build"]}
LOWER_LAYERS = ["util", "types", "parser", "tools"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"app/([^"]+)"')
# A class or struct defined at the top level of a header (not a declaration ending in ';').
CLASS = re.compile(r"^(?:class|struct)\s+(\w+)\b[^;]*$")
# The name a function line declares or defines, with the classes it is qualified by.
FUNCTION = re.compile(r"((?:\w+::)*)(~?\w+|operator\W+?)\s*\(")
NOT_FUNCTIONS = ("#", "//", "/*", "*", "}", "class ", "struct ", "enum ", "union ", "namespace ",
                 "using ", "typedef ", "template ", "return ", "static_assert", "static ",
                 "extern \"", "friend ")
# The base classes after a class head's name: "class D : public B, private C {".
BASES = re.compile(r"^(?:class|struct)\s+\w+\s*(?:final\s*)?:\s*([^{]*)")
# A friend declaration, and the class or function it names.
FRIEND = re.compile(r"^\s*friend\s+(?:class\s+|struct\s+)?(?:[\w:<>,\s\*&]*?\s)?(?:\w+::)*(\w+)\s*[;(]")
# A member declared at a class body's own indentation (not a nested class's).
MEMBER_INDENT = "    "
MEMBER_SKIPPED = ("public:", "private:", "protected:", "virtual ~", "~")


def group_of(path_in_app):
    """The group of a path relative to src/app, or None for a file directly in app/."""
    parts = pathlib.PurePosixPath(path_in_app).parts
    if len(parts) < 2:
        return None
    if parts[0] == "cache" and len(parts) > 2:
        return "cache/" + parts[1]
    return parts[0]


def forbidden(source, target):
    """Whether the group `source` may not include the group `target`, wherever it stands."""
    return any(target == banned or target.startswith(banned + "/")
               for banned in FORBIDDEN.get(source, []))


def sources(directory):
    return sorted(p for p in directory.rglob("*") if p.suffix in (".h", ".cpp") and p.is_file())


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1)


def without_templates(line):
    """The line without its template arguments, so that `f<void(int)>(` names `f`."""
    for _ in range(8):
        shorter = re.sub(r"<[^<>]*>", "", line)
        if shorter == line:
            break
        line = shorter
    return line


def function_lines(path):
    """The function declarations and definitions at the top level of a file, outside any
    anonymous namespace: (line number, qualifying classes, name, whether it is defined)."""
    with open(path, encoding="utf-8", errors="replace") as text:
        lines = text.read().split("\n")
    anonymous = False
    for index, line in enumerate(lines):
        if line.startswith("namespace {"):
            anonymous = True
        elif anonymous and line.startswith("}  // namespace") and line.strip() == "}  // namespace":
            anonymous = False
        if anonymous or not line or line[0].isspace() or line.startswith(NOT_FUNCTIONS):
            continue
        match = FUNCTION.search(without_templates(line))
        if not match:
            continue
        # A definition reaches its body before a ';' ends a declaration.
        rest = " ".join(lines[index:index + 12])
        brace, semicolon = rest.find("{"), rest.find(";")
        defined = brace >= 0 and (semicolon < 0 or brace < semicolon)
        qualifiers = [q for q in match.group(1).split("::") if q]
        yield index + 1, qualifiers, match.group(2), defined


def class_bodies(path):
    """The classes defined at the top level of a header with their bodies: (line number of
    the head, name, head line, [(line number, line) of the body])."""
    with open(path, encoding="utf-8", errors="replace") as text:
        lines = text.read().split("\n")
    index = 0
    while index < len(lines):
        match = CLASS.match(lines[index])
        if not match:
            index += 1
            continue
        head, start, body = lines[index], index, []
        index += 1
        while index < len(lines) and not lines[index].startswith("};"):
            body.append((index + 1, lines[index]))
            index += 1
        yield start + 1, match.group(1), head, body


def member_names(body):
    """The names of the functions a class body declares at its own indentation."""
    for number, line in body:
        if not line.startswith(MEMBER_INDENT) or line[len(MEMBER_INDENT)].isspace():
            continue
        stripped = line.strip()
        if stripped.startswith(NOT_FUNCTIONS) or stripped.startswith(MEMBER_SKIPPED):
            continue
        match = FUNCTION.search(without_templates(stripped))
        if match:
            yield number, match.group(2)


def tie_faults(app):
    """Classes tied to a class of another group by protected members or friendship, and
    free functions named as a function of another group."""
    classes = {}
    free = collections.defaultdict(list)
    members = collections.defaultdict(set)
    for path in sources(app):
        if path.suffix != ".h":
            continue
        group = group_of(path.relative_to(app).as_posix())
        for number, name, head, body in class_bodies(path):
            protected = any(line.startswith("protected:") for _, line in body)
            friends = [(n, FRIEND.match(line).group(1)) for n, line in body if FRIEND.match(line)]
            bases = BASES.match(head)
            bases = re.findall(r"(?:\w+::)*(\w+)\s*(?:,|$)", bases.group(1)) if bases else []
            classes.setdefault(name, (group, path, number, protected, friends, bases))
            for _, member in member_names(body):
                members[member].add(group)
        for number, qualifiers, name, _ in function_lines(path):
            if not qualifiers:
                free[name].append((group, path, number))
    faults = []
    for name, (group, path, number, _, friends, bases) in sorted(classes.items()):
        for base in bases:
            owner = classes.get(base)
            if owner and owner[0] != group and owner[3]:
                faults.append(f"{path}:{number}: {group} class {name} derives from {base}, "
                              f"a class of {owner[0]} with protected members")
        for line, friend in friends:
            owner = classes.get(friend)
            if owner and owner[0] != group:
                faults.append(f"{path}:{line}: {group} class {name} befriends {friend}, "
                              f"a class of {owner[0]}")
    for name, declared in sorted(free.items()):
        groups = {group for group, _, _ in declared} | members.get(name, set())
        for group, path, number in declared:
            others = sorted(groups - {group})
            if others:
                faults.append(f"{path}:{number}: {group} declares the function {name}, and "
                              f"{', '.join(others)} a function of that name too")
    return faults


def definition_faults(app):
    """Functions declared in one group's headers and defined in another group's sources."""
    class_group = {}
    free_groups = collections.defaultdict(set)
    for path in sources(app):
        if path.suffix != ".h":
            continue
        group = group_of(path.relative_to(app).as_posix())
        with open(path, encoding="utf-8", errors="replace") as text:
            for line in text:
                match = CLASS.match(line)
                if match:
                    class_group.setdefault(match.group(1), group)
        for _, qualifiers, name, _ in function_lines(path):
            if not qualifiers:
                free_groups[name].add(group)
    faults = []
    for path in sources(app):
        if path.suffix != ".cpp":
            continue
        group = group_of(path.relative_to(app).as_posix())
        for number, qualifiers, name, defined in function_lines(path):
            if not defined:
                continue
            owners = [class_group[q] for q in qualifiers if q in class_group]
            if owners and owners[0] != group:
                faults.append(f"{path}:{number}: {group} defines {'::'.join(qualifiers)}::{name}"
                              f", a member of a class declared in {owners[0]}")
            elif not qualifiers and free_groups.get(name) and group not in free_groups[name]:
                declared = ", ".join(sorted(free_groups[name]))
                faults.append(f"{path}:{number}: {group} defines {name}, declared in {declared}")
    return faults


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
                elif forbidden(source, target):
                    faults.append(f"{path}:{number}: {source} includes app/{target_path}, "
                                  f"of {target}, which {source} may not include")
    faults += definition_faults(app)
    faults += tie_faults(app)
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
            print(f"  {group:<14} -> {listed}")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
