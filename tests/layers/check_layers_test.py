#!/usr/bin/env python3
"""The layer table refuses what points up, sideways or out of a folder: an include, through
scripts/check-layers.py, and a link, through cmake/Layers.cmake, each in a small tree of three
layers made for the case."""

import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", ".."))
TABLE = "low  portable/low  -\nhigh  portable/high  low\nside  portable/side  low\n"


def tree(files):
    root = tempfile.mkdtemp()
    for path, text in {"src/layers.txt": TABLE, "src/portable/low/Low.h": "",
                       "src/portable/side/Side.h": "", **files}.items():
        os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
        with open(os.path.join(root, path), "w", encoding="utf-8") as f:
            f.write(text)
    return root


class IncludeCheck(unittest.TestCase):
    CASES = [  # the high layer's file, and what the check must say (None: nothing)
        ('#include "low/Low.h"\n#include <vector>\n#include "resource.h"\n', None),
        ('#include "side/Side.h"\n', "high may not use side"),
        ('#include "../low/Low.h"\n', "climbs out of its folder"),
        ("#include <low/Low.h>\n", "is included as"),
    ]

    def check(self, files):
        run = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "check-layers.py"),
                              "--root", tree(files)], capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_each_include(self):
        for text, said in self.CASES:
            with self.subTest(text=text):
                code, out = self.check({"src/portable/high/High.cpp": text})
                self.assertEqual(code, 0 if said is None else 1, out)
                if said:
                    self.assertIn(said, out)

    def test_upward_include_and_unnamed_folder(self):
        code, out = self.check({"src/portable/low/Low.cpp": '#include "high/High.h"\n',
                                "src/portable/high/High.h": "", "src/elsewhere/X.cpp": ""})
        self.assertEqual(code, 1)
        self.assertIn("low may not use high", out)
        self.assertIn("src/elsewhere: a folder of code", out)


class LinkCheck(unittest.TestCase):
    def test_upward_link_fails_to_configure(self):
        for link, refused in [("quillery_high INTERFACE quillery_low", False),
                              ("quillery_low INTERFACE quillery_high", True)]:
            with self.subTest(link=link):
                root = tree({"CMakeLists.txt": f"""cmake_minimum_required(VERSION 3.20)
project(layers NONE)
include({ROOT}/cmake/Layers.cmake)
foreach(layer low high)
    add_library(quillery_${{layer}} INTERFACE)
endforeach()
target_link_libraries({link})
quillery_check_layer_links()
"""})
                run = subprocess.run(["cmake", "-S", root, "-B", os.path.join(root, "build")],
                                     capture_output=True, text=True)
                self.assertEqual(run.returncode != 0, refused, run.stderr)
                if refused:
                    self.assertIn("quillery_low links quillery_high", " ".join(run.stderr.split()))


if __name__ == "__main__":
    unittest.main()
