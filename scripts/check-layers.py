#!/usr/bin/env python3
"""Checks every include of src/ against the layer table, src/layers.txt.

Each layer is one folder of src/ and one library; a file may include the headers of its own
layer and of the layers its layer may use (those the table names for it, and what they may use),
each written "<layer>/File.h". Refused: an include of a layer that is above or beside the file's
own, one that climbs out of its folder ("../"), and a header of a layer written in angle brackets
(<layer/File.h>), which would bypass the check. A folder of src/ that holds code and that the
table does not name is refused too. The build refuses a link against the same table
(cmake/Layers.cmake), and each library's include path holds only what it links, so a source
file that breaks the table does not compile either; this check covers the headers, which are
compiled only as part of whoever includes them.

Usage: check-layers.py [--root DIR]
Prints each wrong include, then "1 passed, 0 failed" or "0 passed, 1 failed": the whole tree is
one check. Exits 1 when anything is wrong.
"""

import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
CODE = (".h", ".hpp", ".c", ".cpp", ".rc", ".idl")


def read_table(path):
    """The layers bottom up: {layer: folder} and {layer: set of layers it may use}."""
    folders, uses = {}, {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            fields = line.split("#", 1)[0].split()
            if not fields:
                continue
            layer, folder, named = fields[0], fields[1], [u for u in fields[2:] if u != "-"]
            reachable = set()
            for used in named:
                if used not in uses:
                    raise SystemExit(f"{path}:{number}: {layer} uses {used}, not a layer below it")
                reachable |= {used} | uses[used]
            folders[layer], uses[layer] = folder, reachable
    return folders, uses


def problems(root):
    sources = os.path.join(root, "src")
    folders, uses = read_table(os.path.join(sources, "layers.txt"))
    layer_of = {os.path.normpath(folder): layer for layer, folder in folders.items()}
    for here, _, names in sorted(os.walk(sources)):
        code = sorted(n for n in names if n.endswith(CODE))
        folder = os.path.relpath(here, sources)
        if not code:
            continue
        own = layer_of.get(folder)
        if own is None:
            yield f"src/{folder}: a folder of code that src/layers.txt does not name"
            continue
        for name in code:
            path = os.path.join(here, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for bracket, include in INCLUDE.findall(text):
                where = f"src/{folder}/{name}: #include {bracket}{include}"
                parts = include.split("/")
                if "." in parts or ".." in parts:
                    yield f"{where}: climbs out of its folder; write <layer>/File.h"
                    continue
                if len(parts) < 2 or parts[0] not in folders:
                    # A header of the system, a library, or one the build generates.
                    continue
                layer = parts[0]
                if bracket == "<":
                    yield f'{where}: a header of the {layer} layer is included as "{include}"'
                elif layer != own and layer not in uses[own]:
                    yield f"{where}: {own} may not use {layer} (src/layers.txt)"
                elif not os.path.exists(os.path.join(sources, folders[layer], *parts[1:])):
                    yield f"{where}: no such header in src/{folders[layer]}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    args = parser.parse_args()
    wrong = list(problems(os.path.realpath(args.root)))
    for line in wrong:
        print(line)
    print("0 passed, 1 failed" if wrong else "1 passed, 0 failed")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
