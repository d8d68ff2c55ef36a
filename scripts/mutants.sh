#!/usr/bin/env bash
# Breaks the product on purpose, one fault at a time, in a copy of the tree, and runs the native
# tests against each broken copy: a fault the tests let through ("survived") shows a behaviour
# that no test holds. Prints each fault with "caught" or "survived" and ends with the line
# "N caught, M survived"; exits non-zero when a fault survived or could not be applied.
#
#   bash scripts/mutants.sh [WORK_DIR] [WORD...]
#
# WORK_DIR (default build/mutants) holds the copy and its build; WORDs choose the faults whose
# name contains one of them. Takes a few minutes: not part of the test command.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$root/build/mutants}
shift $(($# > 0 ? 1 : 0))
jobs=$(nproc)

# The copy: the tracked files as they are in the working tree, uncommitted changes included,
# each dated now so that the build never keeps an object of an earlier run's fault.
rm -rf "$work/tree"
mkdir -p "$work/tree" || exit 1
(cd "$root" && git ls-files -z | xargs -0 tar -cf - 2>/dev/null) | tar -xmf - -C "$work/tree" ||
    { echo "mutants: cannot copy the tree" >&2; exit 1; }

build=$work/build
cmake -S "$work/tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >"$work/configure.log" 2>&1 ||
    { echo "mutants: configuring failed, see $work/configure.log" >&2; exit 1; }

# Builds the copy and runs its native tests; the exit status says whether all passed.
export MUTANTS_BUILD_COMMAND="cmake --build '$build' -j $jobs"
export MUTANTS_TEST_COMMAND="ctest --test-dir '$build' -j $jobs"
export MUTANTS_TREE=$work/tree
export MUTANTS_LOGS=$work/logs

exec python3 - "$@" <<'PYTHON'
import os, subprocess, sys

# Each fault: a name, the file, then pairs of an exact text (found exactly once) and its
# replacement. A fault whose text is no longer in the file is reported, not skipped.
FAULTS = [
    ("the menu closes at load",
     "src/portable/menu/SnippetMenu.cpp",
     "    Platform& platform = session_.System();\n    layout_.lines[0]",
     "    Platform& platform = session_.System();\n    Close();\n    layout_.lines[0]"),
    ("the flag's byte order is swapped, written and read",
     "src/portable/store/RecordCodec.cpp",
     "    bytes[kFlagOffset] = static_cast<std::uint8_t>(flag & 0xFF);\n"
     "    bytes[kFlagOffset + 1] = static_cast<std::uint8_t>(flag >> 8);",
     "    bytes[kFlagOffset + 1] = static_cast<std::uint8_t>(flag & 0xFF);\n"
     "    bytes[kFlagOffset] = static_cast<std::uint8_t>(flag >> 8);",
     "bytes[kFlagOffset] | (bytes[kFlagOffset + 1] << 8)",
     "bytes[kFlagOffset + 1] | (bytes[kFlagOffset] << 8)"),
    ("the pointer is watched every 30 s instead of 3 s",
     "src/portable/menu/SnippetMenu.h",
     "kPointerWatchIntervalMs = 3000;",
     "kPointerWatchIntervalMs = 30000;"),
    ("a line under the pointer is never highlighted",
     "src/portable/menu/SnippetMenuHover.cpp",
     "        highlight_ = {Highlight::Kind::Line, line};",
     "        highlight_ = {};"),
    ("a new highlight is never drawn",
     "src/portable/menu/SnippetMenuHover.cpp",
     "        highlight_ = {};\n    }\n    Redraw();\n}\n\nvoid SnippetMenu::OnLinkHovered",
     "        highlight_ = {};\n    }\n}\n\nvoid SnippetMenu::OnLinkHovered"),
    ("the chosen text is not trimmed",
     "src/portable/menu/SnippetMenuSelection.cpp",
     "result_ = ShownText(session_.Snippet(ItemOfLine(line)).Text);",
     "result_ = UpToFirstNul(session_.Snippet(ItemOfLine(line)).Text);"),
    ("a move writes the item but not its neighbour",
     "src/portable/store/MenuStore.cpp",
     "secondOutcome = WriteItem(secondItem, second);",
     "secondOutcome = WriteOutcome::Written;"),
    ("the description's limit is 31 characters",
     "src/portable/editing/ItemEditor.cpp",
     "widths[2] = {MenuRecord::kDescriptionWidth,",
     "widths[2] = {MenuRecord::kDescriptionWidth + 1,"),
    ("the description box takes 31 characters",
     "src/portable/editing/ItemEditor.h",
     "kFieldLimits[2] = {MenuRecord::kDescriptionWidth,",
     "kFieldLimits[2] = {MenuRecord::kDescriptionWidth + 1,"),
    ("a failed save closes the editor and loses the typing",
     "src/portable/editing/ItemEditor.cpp",
     "session_.SaveItem(item_, record, OnFailedSave::KeepOpen)",
     "session_.SaveItem(item_, record)"),
    ("a right click off the lines offers no New",
     "src/portable/menu/SnippetMenuPointerInput.cpp",
     "            OpenItemCommands(0);\n",
     ""),
]

tree, logs = os.environ["MUTANTS_TREE"], os.environ["MUTANTS_LOGS"]
os.makedirs(logs, exist_ok=True)
chosen = [f for f in FAULTS if not sys.argv[1:] or any(w in f[0] for w in sys.argv[1:])]


def run(command, log):
    with open(log, "a") as out:
        return subprocess.run(command, shell=True, stdout=out, stderr=subprocess.STDOUT).returncode


baseline = os.path.join(logs, "unbroken.log")
open(baseline, "w").close()
if run(os.environ["MUTANTS_BUILD_COMMAND"], baseline) or run(os.environ["MUTANTS_TEST_COMMAND"],
                                                               baseline):
    print(f"mutants: the unbroken copy does not build or pass its tests, see {baseline}")
    sys.exit(1)

caught = survived = broken = 0
for number, (name, relative, *pairs) in enumerate(chosen, 1):
    path = os.path.join(tree, relative)
    original = open(path, encoding="utf-8").read()
    broken_text = original
    for old, new in zip(pairs[::2], pairs[1::2]):
        if broken_text.count(old) != 1:
            break
        broken_text = broken_text.replace(old, new)
    else:
        old = None
    if old is not None:
        print(f"cannot apply: {name} ({relative} has its text {original.count(old)} times)")
        broken += 1
        continue
    log = os.path.join(logs, f"{number:02d}.log")
    open(log, "w").close()
    try:
        open(path, "w", encoding="utf-8").write(broken_text)
        if run(os.environ["MUTANTS_BUILD_COMMAND"], log):
            print(f"cannot apply: {name} (does not build, see {log})")
            broken += 1
        elif run(os.environ["MUTANTS_TEST_COMMAND"], log):
            print(f"caught: {name}")
            caught += 1
        else:
            print(f"survived: {name}")
            survived += 1
    finally:
        open(path, "w", encoding="utf-8").write(original)

if broken:
    print(f"{broken} could not be applied")
print(f"{caught} caught, {survived} survived")
sys.exit(0 if survived == 0 and broken == 0 else 1)
PYTHON
