#!/usr/bin/env python3
"""Runs the end-to-end scenarios against the real Tavrel.exe under Wine.

    run_e2e.py --bin build/win64/bin [--screens build/screens]
               [--codepage 936|1252|all] [--every-case]
               [--scenario startup|pages|resize|search|tolerant|close|options|capture|capture_nocopy|notepad|
                           drop|drop_noword|webkit|page_switch|all]
               [--exe path/to/Tavrel.exe] [unittest name filters...]

Every test runs under code page 936; under 1252 only those marked with
harness.code_page_matters (--every-case: all of them).

Uses $DISPLAY when it is set (tools/test.sh starts one Xvfb for the whole
run); otherwise starts a private Xvfb for this run.
"""

import argparse
import importlib
import os
import subprocess
import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import harness  # noqa: E402

SCENARIOS = ["startup", "pages", "resize", "search", "tolerant", "close", "options", "capture", "capture_nocopy", "notepad",
             "drop", "drop_noword", "webkit", "page_switch"]


def each_test(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from each_test(item)
        else:
            yield item


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", type=Path, default=harness.Config.bin_dir,
                        help="folder with Tavrel.exe and probe.exe")
    parser.add_argument("--screens", type=Path, default=harness.Config.screens_dir,
                        help="where screenshots are written")
    parser.add_argument("--exe", type=Path, help="the program to test (default: BIN/Tavrel.exe)")
    parser.add_argument("--codepage", default="all", choices=["936", "1252", "all"])
    parser.add_argument("--every-case", action="store_true",
                        help="under 1252 too, every test, not only those whose outcome depends on the code page")
    parser.add_argument("--scenario", default="all", choices=SCENARIOS + ["all"])
    parser.add_argument("-v", "--verbose", action="store_true")
    parser.add_argument("filters", nargs="*", help="unittest -k patterns")
    args = parser.parse_args()

    harness.Config.bin_dir = args.bin.resolve()
    harness.Config.screens_dir = args.screens.resolve()
    harness.Config.exe = args.exe.resolve() if args.exe else None
    codepages = list(harness.CODEPAGES) if args.codepage == "all" else [int(args.codepage)]
    scenarios = SCENARIOS if args.scenario == "all" else [args.scenario]

    # Every Wine call would otherwise find out again whether this machine runs
    # 32-bit code, which costs each probe call half a second.
    if not os.environ.get("TAVREL_WINE_FLAVOUR"):
        found = subprocess.run(["bash", "-c", '. "$1" && printf %s "$TAVREL_WINE_FLAVOUR"', "flavour",
                                str(harness.ROOT / "tools" / "wine-env.sh")],
                               capture_output=True, text=True, timeout=120)
        if found.stdout in ("win32", "win64"):
            os.environ["TAVREL_WINE_FLAVOUR"] = found.stdout

    passed = failed = skipped = 0
    with harness.Display():
        for codepage in codepages:
            harness.Config.codepage = codepage
            print("== code page %d: %s" % (codepage, ", ".join(scenarios)), flush=True)
            loader = unittest.TestLoader()
            if args.filters:
                loader.testNamePatterns = ["*%s*" % f for f in args.filters]
            suite = unittest.TestSuite(loader.loadTestsFromModule(importlib.import_module("test_" + name))
                                       for name in scenarios)
            if codepage != harness.CODEPAGES[0] and not args.every_case:
                suite = unittest.TestSuite(t for t in each_test(suite) if harness.depends_on_code_page(t))
                if not suite.countTestCases():
                    print("no test of %s depends on the code page" % ", ".join(scenarios))
                    continue
            result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
            # A failing subtest is reported on its own; count the tests it belongs to.
            bad = len({getattr(t, "test_case", t).id() for t, _ in result.failures + result.errors}) \
                + len(result.unexpectedSuccesses)
            failed += bad
            skipped += len(result.skipped)
            passed += result.testsRun - bad - len(result.skipped)
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
