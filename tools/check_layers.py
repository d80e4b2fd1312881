#!/usr/bin/env python3
"""Checks that the program's folders include each other down the layers only.

Reads every `#include "..."` line under src/ and stand-ins/, finds the folder
each one reaches, and fails when a folder includes one it may not use (the
ALLOWED table, printed in the README's "Layout" section). The answer bank's
rooms (answerbank/search, answerbank/notepad, ...) are folders of their own.
Each folder's CMakeLists.txt makes one library, and the libraries it names
after USES must be ones of folders it may use too. Tests, benchmarks and tools
may include anything and are not read.

  tools/check_layers.py [ROOT]     check the tree at ROOT (default: this repository)
  tools/check_layers.py --graph    also print the folder graph the includes form
  tools/check_layers.py --self-test  show that an upward include fails the check
"""
import os
import re
import sys
import tempfile

# What each folder may include besides itself. view and enginehost form one
# unit and use each other; every other edge points down. The answer bank's jobs
# (search, notepad, import) share its top and the formats, never each other.
ALLOWED = {
    "platform": set(),
    "view": {"platform", "enginehost"},
    "enginehost": {"platform", "view"},
    "answerbank": {"platform"},
    "answerbank/formats": {"platform"},
    "answerbank/search": {"answerbank", "platform"},
    "answerbank/notepad": {"answerbank", "answerbank/formats", "platform"},
    "answerbank/import": {"answerbank", "answerbank/formats", "platform"},
    "websearch": {"platform"},
    "app": {"platform", "view", "enginehost", "answerbank", "answerbank/search", "answerbank/notepad",
            "answerbank/import", "websearch"},
    # Stand-ins for outside libraries: the handle types, and the engine's
    # declarations that the stand-in engine exports.
    "stand-ins": {"platform", "enginehost"},
}
# Folders that form one node when the graph is checked for cycles.
ONE_LIBRARY = {"view": "view+enginehost", "enginehost": "view+enginehost"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".c", ".S")


def folder_of(root, path):
    """The layer folder of a file: src/<folder>/..., src/answerbank/<room>/...,
    or stand-ins."""
    parts = os.path.relpath(path, root).split(os.sep)
    if parts[0] == "src" and len(parts) > 3 and f"{parts[1]}/{parts[2]}" in ALLOWED:
        return f"{parts[1]}/{parts[2]}"
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
    under_src = os.path.join(root, "src", target)
    if os.path.isfile(under_src):
        return folder_of(root, under_src)
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


LIBRARY = re.compile(r"tavrel_library\(\s*(\w+)(.*?)\)", re.DOTALL)
KEYWORDS = ("LOGIC", "WINDOWS", "USES", "SYSTEM")


def read_libraries(root):
    """({library: folder}, {folder: [(library, [used libraries])]}) from the
    folders' CMakeLists.txt files."""
    owner, uses = {}, {}
    for directory, _, names in os.walk(os.path.join(root, "src")):
        if "CMakeLists.txt" not in names:
            continue
        folder = folder_of(root, os.path.join(directory, "CMakeLists.txt"))
        if folder is None:
            continue
        with open(os.path.join(directory, "CMakeLists.txt"), encoding="utf-8") as f:
            text = re.sub(r"#.*", "", f.read())
        for name, body in LIBRARY.findall(text):
            owner[name] = folder
            words, section, used = body.split(), None, []
            for word in words:
                if word in KEYWORDS:
                    section = word
                elif section == "USES":
                    used.append(word)
            uses.setdefault(folder, []).append((name, used))
    return owner, uses


def library_problems(root):
    """Libraries that link a folder's library their own folder may not include."""
    owner, uses = read_libraries(root)
    problems = []
    for folder, libraries in uses.items():
        for name, used in libraries:
            for library in used:
                reached = owner.get(library)
                if reached is None or reached == folder:
                    continue  # an outside library, such as zlib
                if folder not in ALLOWED or reached not in ALLOWED[folder]:
                    problems.append(f"library {name} ({folder}) links {library}: {folder} may not use {reached}")
    return problems


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
            print(f"  {folder:<19}-> {', '.join(sorted(edges.get(folder, ()))) or '(nothing)'}")


def check(root, show_graph=False):
    edges, problems = read_graph(root)
    problems += library_problems(root)
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
        os.remove(os.path.join(root, "src/websearch/Side.h"))
        write("src/answerbank/import/Drop.h", '#include "answerbank/Middle.h"\n')
        write("src/answerbank/search/Find.h", '#include "answerbank/Middle.h"\n')
        results.append(("two rooms beside each other", check(root), True))
        write("src/answerbank/search/Find.cpp", '#include "answerbank/import/Drop.h"\n')
        results.append(("the search including the import", check(root), False))
        os.remove(os.path.join(root, "src/answerbank/search/Find.cpp"))
        write("src/platform/CMakeLists.txt", "tavrel_library(tavrel_platform LOGIC Low.cpp)\n")
        write("src/answerbank/search/CMakeLists.txt",
              "tavrel_library(tavrel_search\n  LOGIC Find.cpp\n  USES tavrel_platform zlib)\n")
        results.append(("a library linking the platform", check(root), True))
        write("src/answerbank/import/CMakeLists.txt", "tavrel_library(tavrel_import LOGIC Drop.cpp)\n")
        write("src/answerbank/search/CMakeLists.txt",
              "tavrel_library(tavrel_search\n  LOGIC Find.cpp\n  USES tavrel_import # the drop\n  tavrel_platform)\n")
        results.append(("the search's library linking the import's", check(root), False))
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
