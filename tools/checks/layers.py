#!/usr/bin/env python3
"""Checks the shape of src/: library folders include one another without cycles, library code
includes no window code and nothing of app/, and no source file is over 600 lines.

Window code is what the CMake lists add to vorlan_ui, with the headers of the same names;
src/app/ and src/cli/ sit on top and are not library code. Prints every fault; exit status 1
when there is one."""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2] / "src")
TOP = {"app", "cli"}
MAX_LINES = 600

window = set()
for cmake in src.glob("*/CMakeLists.txt"):
    text = cmake.read_text()
    for block in re.findall(r"target_sources\(vorlan_ui PRIVATE(.*?)\)", text, re.S):
        for name in block.split():
            stem = pathlib.Path(name).stem
            window.add(f"{cmake.parent.name}/{stem}")

faults = []
edges = {}
for path in sorted(src.rglob("*")):
    if path.suffix not in {".h", ".cpp", ".inc"} or len(path.relative_to(src).parts) != 2:
        continue
    folder, name = path.relative_to(src).parts
    text = path.read_text()
    lines = text.count("\n")
    if lines > MAX_LINES:
        faults.append(f"{folder}/{name}: {lines} lines (at most {MAX_LINES})")
    if folder in TOP or f"{folder}/{path.stem}" in window:
        continue
    for target in re.findall(r'^#include "([a-z]+)/([A-Za-z0-9_]+)\.[a-z]+"', text, re.M):
        tfolder, tstem = target
        where = f"{folder}/{name}"
        if tfolder in TOP:
            faults.append(f"{where}: library code includes {tfolder}/{tstem}")
        elif f"{tfolder}/{tstem}" in window:
            faults.append(f"{where}: library code includes window code {tfolder}/{tstem}")
        elif tfolder != folder:
            edges.setdefault(folder, {}).setdefault(tfolder, where)

# A cycle between folders: depth-first search over the folder graph.
state = {}
def visit(node, trail):
    state[node] = "open"
    for nxt, where in sorted(edges.get(node, {}).items()):
        if state.get(nxt) == "open":
            cycle = trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
            faults.append("include cycle between folders: " + " -> ".join(cycle) +
                          f" (for one, {where})")
        elif nxt not in state:
            visit(nxt, trail + [nxt])
    state[node] = "done"
for folder in sorted(edges):
    if folder not in state:
        visit(folder, [folder])

for fault in faults:
    print(fault)
print(f"{len(faults)} faults" if faults else "the library's layers hold")
sys.exit(1 if faults else 0)
