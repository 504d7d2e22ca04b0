"""Ends an end-to-end test with CTest's skip code when this machine cannot run one at all.

A developer who configures and runs ctest by hand may have no Xvfb or no python3-xlib; the
tests then report why they were skipped instead of failing as if the game were broken.
"""

import importlib.util
import shutil
import sys

SKIP_RETURN_CODE = 77  # tests/e2e/CMakeLists.txt tells CTest the same number


def or_skip():
    lacking = []
    if shutil.which("Xvfb") is None:
        lacking.append("Xvfb (Debian package xvfb)")
    for module, package in (("Xlib", "python3-xlib"), ("PIL", "python3-pil")):
        if importlib.util.find_spec(module) is None:
            lacking.append(f"the Python module {module} (Debian package {package})")
    if lacking:
        print("SKIPPED: the end-to-end tests need " + " and ".join(lacking))
        sys.exit(SKIP_RETURN_CODE)
