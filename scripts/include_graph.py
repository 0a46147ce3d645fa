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
or naming the file, when a folder includes one it must only be reached from
through a registered interface (presentation and sound know nothing of the
capture and the benchmark).

    python3 scripts/include_graph.py            # levels, from the source root
    python3 scripts/include_graph.py --dot | dot -Tsvg > graph.svg
"""
import argparse
import os
import re
import sys

FOLDERS = ["main", "scenes", "k3d", "KestrelWindow", "platform", "tools", "tests"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# Folders whose files must not include a component of another folder.
KEPT_APART = [("platform/present", "platform/capture"), ("platform/sound", "platform/capture")]


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


def kept_apart_includes(root):
    """Includes from a folder into a component of a folder kept apart from it."""
    paths = list(source_files(root))
    backends = backend_sources(paths)
    found = []
    for lower, upper in KEPT_APART:
        upper_components = {component_of(p, backends) for p in paths if p.startswith(upper + os.sep)}
        for path in paths:
            if not path.startswith(lower + os.sep):
                continue
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                for name in INCLUDE.findall(f.read()):
                    target = resolve(root, path, name)
                    if target and component_of(target, backends) in upper_components:
                        found.append("%s includes %s, of %s" % (path, target, upper))
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
    apart = kept_apart_includes(os.path.abspath(args.root))
    for line in apart:
        print("kept apart: " + line, file=sys.stderr)
    if circles or apart:
        return 1
    print("%d components, no cycle" % len(graph), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
