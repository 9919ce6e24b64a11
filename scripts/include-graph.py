#!/usr/bin/python3
"""Lists the include edges between the program's folders and checks their direction.

A header and its source count as one unit (composer/draft.h and composer/draft.cpp are
composer/draft). Prints the edges between folders, then fails (exit status 1) on:
  - a circle of units (each one is listed with the includes that close it),
  - app/ including a folder of windows,
  - sending/ including composer/ or settings/,
  - anything including program/, the assembly at the top.
Only includes written "folder/file" from the top of the source tree count; generated
files and Qt's headers are not part of the graph. Tests and benchmarks sit above it all.
"""

import re
import sys
from collections import defaultdict
from pathlib import Path

FOLDERS = ["program", "app", "composer", "sending", "settings", "addressbook", "history",
           "extras", "codepage", "toolkit", "bsmtp"]
# Folders that hold windows, and the whole program's assembly above them.
WINDOW_FOLDERS = {"program", "composer", "sending", "settings", "addressbook", "history",
                  "extras"}
# What each folder must never include; nothing includes the program's assembly.
FORBIDDEN = {folder: {"program"} for folder in FOLDERS if folder != "program"}
FORBIDDEN["app"] = WINDOW_FOLDERS
FORBIDDEN["sending"] = {"composer", "settings", "program"}
SUFFIXES = {".h", ".cpp", ".inc"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def unit_of(path):
    return path.with_suffix("").as_posix()


def folder_of(unit):
    return unit.split("/", 1)[0]


def read_edges(root):
    """(including file, included file) for every include between known files."""
    edges = []
    for folder in FOLDERS:
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix not in SUFFIXES or not path.is_file():
                continue
            source = path.relative_to(root)
            text = path.read_text(encoding="utf-8", errors="replace")
            for name in INCLUDE.findall(text):
                target = Path(name)
                # From the top of the tree, as the program writes them; else beside the file.
                if not (root / target).is_file():
                    target = source.parent / name
                    if not (root / target).is_file():
                        continue
                if folder_of(target.as_posix()) in FOLDERS:
                    edges.append((source, target))
    return edges


def strongly_connected(graph):
    """Tarjan's components of `graph` (unit -> set of units), larger than one unit."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]

    def visit(start):
        # Iterative, so that a long chain cannot exhaust Python's recursion limit.
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            advanced = False
            for nxt in successors:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter[0]
                    counter[0] += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph[nxt]))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent
    edges = read_edges(root)

    graph = defaultdict(set)
    files_between = defaultdict(list)  # (unit, unit) -> the includes behind the edge
    folder_edges = defaultdict(int)
    for source, target in edges:
        a, b = unit_of(source), unit_of(target)
        graph[a]
        graph[b]
        if a == b:
            continue
        graph[a].add(b)
        files_between[(a, b)].append(f"{source.as_posix()} includes {target.as_posix()}")
        if folder_of(a) != folder_of(b):
            folder_edges[(folder_of(a), folder_of(b))] += 1

    print("Include edges between folders (units including units):")
    for (a, b), count in sorted(folder_edges.items()):
        both = " (both ways)" if (b, a) in folder_edges else ""
        print(f"  {a} -> {b}: {count}{both}")

    problems = 0
    for component in strongly_connected(graph):
        problems += 1
        members = set(component)
        print(f"\nCIRCLE of {len(component)} units: {', '.join(component)}")
        # The two-way pairs first: each is a circle of its own.
        inside = [(a, b) for a in component for b in sorted(graph[a] & members)]
        for a, b in inside:
            if a < b and a in graph[b]:
                print(f"  {a} <-> {b}")
                for line in files_between[(a, b)] + files_between[(b, a)]:
                    print(f"      {line}")
        for a, b in inside:
            if a not in graph[b]:
                print(f"  {a} -> {b}")
                for line in files_between[(a, b)]:
                    print(f"      {line}")

    for (a, b), count in sorted(folder_edges.items()):
        if b in FORBIDDEN.get(a, ()):
            problems += 1
            print(f"\nUPWARD: {a}/ must not include {b}/:")
            for (ua, ub), lines in sorted(files_between.items()):
                if folder_of(ua) == a and folder_of(ub) == b:
                    for line in lines:
                        print(f"      {line}")

    if problems:
        print(f"\ninclude-graph: {problems} problem(s)")
        return 1
    print("\ninclude-graph: no circles, nothing includes upward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
