#!/usr/bin/env python3
"""Checks that every file under src/ includes only headers of its own library and of the
libraries that library links.

Each library puts only its own folder on its users' include path (cmake/Layers.cmake), so a
source file that includes a header of a library its target does not link fails to compile. A
header is compiled only as part of whoever includes it, and that includer may link more than
the header's own library does; so this script checks every file, headers included, against the
include path of the library whose folder holds it, read from the build's compile commands.

Usage: check-layers.py BUILD_DIR [BUILD_DIR ...]
Prints each wrong include, then "N passed, F failed" (files checked, files with a wrong
include); exits 1 when any include is wrong.
"""

import json
import os
import re
import shlex
import sys

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
SOURCES = os.path.join(ROOT, "src")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def include_dirs(command):
    """The -I and -isystem folders of one compile command, as absolute paths."""
    args = command.get("arguments") or shlex.split(command["command"])
    dirs = []
    for i, arg in enumerate(args):
        for flag in ("-I", "-isystem"):
            if arg == flag and i + 1 < len(args):
                dirs.append(args[i + 1])
            elif arg.startswith(flag) and len(arg) > len(flag):
                dirs.append(arg[len(flag):])
    return [os.path.join(command["directory"], d) for d in dirs]


def include_paths(build_dirs):
    """Each compiled source file's include path, and for each folder the include path that all
    of its compiled files share: a folder's headers may use only what every target compiled
    from that folder can see."""
    files = {}
    paths = {}
    for build in build_dirs:
        with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
            commands = json.load(f)
        for command in commands:
            source = os.path.realpath(os.path.join(command["directory"], command["file"]))
            if not source.startswith(SOURCES + os.sep):
                continue
            key = (build, os.path.dirname(source))
            dirs = include_dirs(command)
            files[(build, source)] = dirs
            # Keep the order of the first command, and only the folders every command has.
            if key in paths:
                paths[key] = [d for d in paths[key] if d in dirs]
            else:
                paths[key] = dirs
    return files, paths


def wrong_includes(path, search):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    here = os.path.dirname(path)
    for name in INCLUDE.findall(text):
        if os.path.exists(os.path.join(here, name)):
            continue
        if not any(os.path.exists(os.path.join(d, name)) for d in search):
            yield name


def main(build_dirs):
    if not build_dirs:
        print("usage: check-layers.py BUILD_DIR [BUILD_DIR ...]", file=sys.stderr)
        return 2
    files, paths = include_paths(build_dirs)
    checked = set()
    failed = 0
    for (build, folder), shared in sorted(paths.items()):
        for entry in sorted(os.listdir(folder)):
            path = os.path.join(folder, entry)
            # A source file against its own compile command; a source file this build does not
            # compile (the other platform's) is not checked here.
            search = shared if entry.endswith(".h") else files.get((build, path))
            if not entry.endswith((".h", ".cpp", ".c")) or search is None:
                continue
            checked.add((build, path))
            wrong = list(wrong_includes(path, search))
            for name in wrong:
                print(f'{os.path.relpath(path, ROOT)}: includes "{name}", which its library '
                      f"does not link ({os.path.relpath(build, ROOT)})")
            failed += 1 if wrong else 0
    print(f"{len(checked) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main([os.path.realpath(b) for b in sys.argv[1:]]))
