#!/usr/bin/env python3
"""Checks that the program's folders include each other down the layers only.

Reads every `#include "..."` line under src/ and stand-ins/, finds the folder
each one reaches, and fails when a folder includes one it may not use (the
ALLOWED table, printed in the README's "Layout" section). Tests, benchmarks
and tools may include anything and are not read.

  tools/check_layers.py [ROOT]     check the tree at ROOT (default: this repository)
  tools/check_layers.py --graph    also print the folder graph the includes form
  tools/check_layers.py --self-test  show that an upward include fails the check
"""
import os
import re
import sys
import tempfile

# What each folder may include besides itself. view and enginehost are one
# library and use each other; every other edge points down.
ALLOWED = {
    "platform": set(),
    "view": {"platform", "enginehost"},
    "enginehost": {"platform", "view"},
    "answerbank": {"platform"},
    "websearch": {"platform"},
    "app": {"platform", "view", "enginehost", "answerbank", "websearch"},
    # Stand-ins for outside libraries: the handle types, and the engine's
    # declarations that the stand-in engine exports.
    "stand-ins": {"platform", "enginehost"},
}
# Folders that form one node when the graph is checked for cycles.
ONE_LIBRARY = {"view": "view+enginehost", "enginehost": "view+enginehost"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".c", ".S")


def folder_of(root, path):
    """The layer folder of a file: src/<folder>/..., or stand-ins."""
    parts = os.path.relpath(path, root).split(os.sep)
    if parts[0] == "src" and len(parts) > 2:
        return parts[1]
    if parts[0] == "stand-ins":
        return "stand-ins"
    return None


def sources(root):
    for top in ("src", "stand-ins"):
        for directory, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.join(directory, name)


def included_folder(root, including, target):
    """The folder an include reaches, or None when it reaches no known file."""
    beside = os.path.normpath(os.path.join(os.path.dirname(including), target))
    if os.path.isfile(beside):
        return folder_of(root, beside) or "outside"
    if os.path.isfile(os.path.join(root, "src", target)):
        return target.split("/")[0]
    return None


def read_graph(root):
    """(edges {folder: {included folder}}, problems [text])."""
    edges, problems = {}, []
    for path in sources(root):
        folder = folder_of(root, path)
        if folder is None:
            continue  # a file straight in src/
        where = os.path.relpath(path, root)
        if folder not in ALLOWED:
            problems.append(f"{where}: the folder {folder}/ has no place in the layers")
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            reached = included_folder(root, path, target)
            if reached is None:
                problems.append(f'{where}: includes "{target}", which is no file of the program')
                continue
            if reached == folder:
                continue
            edges.setdefault(folder, set()).add(reached)
            if reached not in ALLOWED[folder]:
                problems.append(f'{where}: includes "{target}": {folder} may not use {reached}')
    return edges, problems


def cycle(edges):
    """One cycle of the graph with view and enginehost as one node, or None."""
    merged = {}
    for source, targets in edges.items():
        a = ONE_LIBRARY.get(source, source)
        for target in targets:
            b = ONE_LIBRARY.get(target, target)
            if a != b:
                merged.setdefault(a, set()).add(b)
    state, trail = {}, []

    def visit(node):
        state[node] = "open"
        trail.append(node)
        for nxt in sorted(merged.get(node, ())):
            if state.get(nxt) == "open":
                return trail[trail.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        state[node] = "done"
        trail.pop()
        return None

    for node in sorted(merged):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def print_graph(title, edges):
    print(title)
    for folder in ALLOWED:
        if folder in edges or title.startswith("allowed"):
            print(f"  {folder:<11}-> {', '.join(sorted(edges.get(folder, ()))) or '(nothing)'}")


def check(root, show_graph=False):
    edges, problems = read_graph(root)
    found = cycle(edges)
    if found:
        problems.append("the folders include each other in a cycle: " + " -> ".join(found))
    if show_graph:
        print_graph("includes found:", edges)
    for problem in problems:
        print("layer check: " + problem)
    return not problems


def self_test():
    """An upward include and a cycle fail; the same tree without them passes."""
    if cycle(ALLOWED):
        print("self-test: the allowed graph itself has a cycle")
        return False
    with tempfile.TemporaryDirectory() as root:
        def write(path, text):
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)

        write("src/platform/Low.h", "#pragma once\n")
        write("src/answerbank/Middle.h", '#include "platform/Low.h"\n')
        write("src/app/Top.cpp", '#include "answerbank/Middle.h"\n#include "platform/Low.h"\n')
        write("stand-ins/wke/Engine.cpp", '#include "Page.h"\n#include "platform/Low.h"\n')
        write("stand-ins/wke/Page.h", "#pragma once\n")
        results = [("a tree that points down", check(root), True)]
        write("src/platform/Low.cpp", '#include "app/Top.cpp"\n')
        results.append(("platform including app", check(root), False))
        os.remove(os.path.join(root, "src/platform/Low.cpp"))
        write("stand-ins/wke/Bad.cpp", '#include "answerbank/Middle.h"\n')
        results.append(("a stand-in including answerbank", check(root), False))
        os.remove(os.path.join(root, "stand-ins/wke/Bad.cpp"))
        write("src/websearch/Side.h", '#include "answerbank/Middle.h"\n')
        results.append(("websearch including answerbank", check(root), False))
    ok = True
    for what, passed, expected in results:
        if passed != expected:
            print(f"self-test: {what} {'passed' if passed else 'failed'} the check")
            ok = False
    if ok:
        print("self-test: an upward include fails the check, a downward one passes")
    return ok


def main(argv):
    if "--self-test" in argv:
        return 0 if self_test() else 1
    roots = [a for a in argv if not a.startswith("--")]
    root = roots[0] if roots else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    if "--graph" in argv:
        print_graph("allowed (besides itself):", ALLOWED)
    if not check(os.path.abspath(root), show_graph="--graph" in argv):
        return 1
    print("layer check: every include points down the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
