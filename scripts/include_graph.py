#!/usr/bin/env python3
"""The program's include graph between components, in levels.

A component is a header with the source file of the same name (wherever the
two lie, so a public header in platform/include and its source in a platform
folder are one component), or with the source that implements it on one
backend (bass.h with bass_openmpt.cpp); a header or source with no partner is
a component of its own. Component A depends on B when a file of A includes a file of B.
Prints each component's level (1 for those that depend on nothing of ours,
otherwise one above the highest level they depend on) and what it includes;
with --dot, the graph in Graphviz's language instead. Exits 1, naming the
components of every cycle, when components depend on each other in a circle,
or naming the file and what it includes, when an include runs up or sideways
between the program's floors (FLOORS, as docs/architecture.md draws them):
a file may include its own floor's files and those of lower floors only.

    python3 scripts/include_graph.py            # levels, from the source root
    python3 scripts/include_graph.py --dot | dot -Tsvg > graph.svg
"""
import argparse
import os
import re
import sys

FOLDERS = ["main", "scenes", "k3d", "KestrelWindow", "platform", "tools", "tests"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# The floors, from the ground up: (level, name, path prefixes). Floors of one
# level stand side by side and include nothing of each other. The tests and
# the tools stand outside them, on top.
FLOORS = [
    (0, "the platform's public headers", ["platform/include/"]),
    (1, "platform/base", ["platform/base/"]),
    (1, "platform/system", ["platform/system/"]),
    (1, "platform/formats", ["platform/formats/"]),
    (2, "platform/gl", ["platform/gl/"]),
    (2, "platform/host", ["platform/host/"]),
    (3, "platform/present", ["platform/present/"]),
    (3, "platform/sound", ["platform/sound/"]),
    (4, "platform/run", ["platform/run/"]),
    (5, "platform/win32", ["platform/win32/"]),
    (5, "platform/capture", ["platform/capture/"]),
    (6, "KestrelWindow", ["KestrelWindow/"]),
    (7, "k3d", ["k3d/"]),
    (8, "main/demo (the globals and the assets)", ["main/demo.", "main/assets.", "main/asset_list."]),
    (9, "scenes", ["scenes/"]),
    (10, "main (the entry point and the scene chain)", ["main/"]),
]
# Includes allowed against the floors, each with its reason: (file, included).
FLOOR_EXCEPTIONS = []


def source_files(root):
    for folder in FOLDERS:
        for base, dirs, files in os.walk(os.path.join(root, folder)):
            dirs[:] = [d for d in dirs if d != "corpus"]
            for name in files:
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(base, name), root)


def resolve(root, including, name):
    """The file an include names: beside the including file, then on the
    include paths the build gives (platform's public and private roots)."""
    for base in (os.path.dirname(including), "platform/include", "platform"):
        path = os.path.normpath(os.path.join(base, name))
        if os.path.exists(os.path.join(root, path)):
            return path
    return None


def component_of(path, backends):
    folder = path.split(os.sep)[0]
    stem = os.path.splitext(os.path.basename(path))[0]
    return folder + ":" + backends.get(folder + ":" + stem, stem)


def backend_sources(paths):
    """X_backend.cpp belongs to X.h when there is no X.cpp of its own (and
    no X_backend.h beside it, which makes X_backend a component of its own)."""
    stems = {}
    for path in paths:
        folder = path.split(os.sep)[0]
        stem, ext = os.path.splitext(os.path.basename(path))
        stems.setdefault(folder + ":" + stem, set()).add(ext)
    backends = {}
    for key, exts in stems.items():
        folder, stem = key.split(":")
        if ".cpp" not in exts or ".h" in exts or "_" not in stem:
            continue
        interface = stem.split("_")[0]
        if stems.get(folder + ":" + interface) == {".h"}:
            backends[key] = interface
    return backends


def build_graph(root):
    graph = {}
    paths = list(source_files(root))
    backends = backend_sources(paths)
    component_of_path = lambda path: component_of(path, backends)
    for path in paths:
        here = component_of_path(path)
        graph.setdefault(here, set())
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for name in INCLUDE.findall(f.read()):
                target = resolve(root, path, name)
                if target and component_of_path(target) != here:
                    graph[here].add(component_of_path(target))
    return graph


def floor_of(path):
    """The floor a file stands on: the one whose prefix matches it longest."""
    best = None
    for level, name, prefixes in FLOORS:
        for prefix in prefixes:
            if path.replace(os.sep, "/").startswith(prefix) and (best is None or len(prefix) > best[2]):
                best = (level, name, len(prefix))
    return best[:2] if best else None


def includes_against_floors(root):
    """Includes that run up, or sideways to another floor of the same level."""
    found = []
    for path in sorted(source_files(root)):
        here = floor_of(path)
        if here is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for name in INCLUDE.findall(f.read()):
                target = resolve(root, path, name)
                there = floor_of(target) if target else None
                if there is None or there[1] == here[1] or there[0] < here[0]:
                    continue
                if (path, target) in FLOOR_EXCEPTIONS:
                    continue
                way = "up" if there[0] > here[0] else "sideways"
                found.append("%s includes %s: %s, floor %d, reaches %s %s to floor %d" %
                             (path, target, here[1], here[0], way, there[1], there[0]))
    return found


def cycles(graph):
    """Strongly connected components of more than one member (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            members = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                members.append(member)
                if member == node:
                    break
            if len(members) > 1:
                found.append(sorted(members))

    sys.setrecursionlimit(10000)
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def levels(graph):
    level = {}

    def of(node):
        if node not in level:
            level[node] = 0  # guards against a cycle; reported separately
            level[node] = 1 + max((of(n) for n in graph.get(node, ())), default=0)
        return level[node]

    for node in graph:
        of(node)
    return level


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--dot", action="store_true", help="print the graph for Graphviz")
    args = parser.parse_args()
    graph = build_graph(os.path.abspath(args.root))
    circles = cycles(graph)
    if args.dot:
        print("digraph includes {")
        for node in sorted(graph):
            for nxt in sorted(graph[node]):
                print('  "%s" -> "%s";' % (node, nxt))
        print("}")
    else:
        level = levels(graph)
        for node in sorted(graph, key=lambda n: (level[n], n)):
            print("%2d %-32s %s" % (level[node], node, " ".join(sorted(graph[node]))))
    for members in circles:
        print("cycle: " + " <-> ".join(members), file=sys.stderr)
    against = includes_against_floors(os.path.abspath(args.root))
    for line in against:
        print("against the floors: " + line, file=sys.stderr)
    if circles or against:
        return 1
    print("%d components, no cycle, every include down the floors" % len(graph), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
