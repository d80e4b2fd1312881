#!/usr/bin/env python3
"""Time from the mouse release of a screen word capture to its result, and to
the user's clipboard put back.

    bench/capture_latency.py [--bin build/win64/bin] [--runs 5] [--bank-kb 100] [--hits 2000]

Starts Tavrel.exe and Wine's notepad side by side (on $DISPLAY, or a private
Xvfb), puts an answer bank in place, and drags over a notepad line again and
again with xdotool. capture_watch.exe, started just before each release,
notes when the search box changed, when the status line reported the
finished search and when the clipboard changed for the second time (the
capture's copy, then the user's clipboard put back); all are wall-clock times,
compared with the moment the release was sent. Prints figures; asserts nothing.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import harness  # noqa: E402
import window_table as W  # noqa: E402
from test_capture import BANK, NOTEPAD_LINES, Notepad, hex_utf8, xdotool  # noqa: E402


def one_capture(app, notepad, line, watch_exe):
    (x0, y0), (x1, y1) = notepad.line_drag_points(line)
    app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8("等待"))
    app.probe("settext", W.STATUS_LABEL, "--hex", hex_utf8("等待"))
    xdotool("mousemove", *notepad.rest_point())
    time.sleep(0.4)  # the hover timer re-arms capture once the pointer is outside
    xdotool("mousemove", x0, y0, "sleep", 0.1, "mousedown", 1, "sleep", 0.1,
            "mousemove", (x0 + x1) // 2, y1, "sleep", 0.1, "mousemove", x1, y1, "sleep", 0.1)
    watch = subprocess.Popen(harness.wine_command(watch_exe, W.SEARCH_BOX, W.STATUS_LABEL, 15000),
                             env=harness.wine_env(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if watch.stdout.readline().strip() != "ready":
        raise RuntimeError("capture_watch did not start")
    released = time.time()
    xdotool("mouseup", 1)
    out, _ = watch.communicate(timeout=60)
    result = eval(out.strip().splitlines()[-1], {}, {})  # a JSON object of numbers
    def since(key):
        return result[key] - released if result.get(key) else None
    return since("text_at"), since("report_at"), since("clipboard_back_at")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", type=Path, default=harness.Config.bin_dir)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--bank-kb", type=int, default=0,
                        help="pad the answer bank to about this many KB (default: the small bank)")
    parser.add_argument("--hits", type=int, default=0,
                        help="put each dragged line this many times into the padded bank")
    args = parser.parse_args()
    harness.Config.bin_dir = args.bin.resolve()
    watch_exe = harness.Config.bin_dir / "capture_watch.exe"

    with harness.Display():
        app = harness.Tavrel()
        notepad = Notepad()
        try:
            app.start()
            notepad.start()
            bank = BANK
            filler = "第%d题：植物利用光能，把二氧化碳和水合成有机物。\r\n"
            lines = [BANK]
            size = len(BANK.encode("gbk"))
            i = 0
            while size < args.bank_kb * 1024:
                i += 1
                lines.append(filler % i)
                size += len(lines[-1].encode("gbk"))
            # The dragged lines spread evenly through the filler.
            for hit in range(args.hits):
                for line in NOTEPAD_LINES[:2]:
                    lines.insert(1 + (hit * (len(lines) - 1)) // max(args.hits, 1), line + "\r\n")
            bank = "".join(lines)
            with tempfile.NamedTemporaryFile("wb", suffix=".txt", delete=False) as f:
                f.write(bank.encode("utf-8"))
            try:
                app.probe("settext", W.ANSWER_BANK, "--file", harness.windows_path(f.name))
            finally:
                os.unlink(f.name)
            print("answer bank: %d KB" % (len(bank.encode("gbk")) // 1024), flush=True)
            texts, reports, backs = [], [], []

            def shown(value):
                return "%.0f ms" % (value * 1000) if value is not None else "never"

            for run in range(args.runs):
                text, report, back = one_capture(app, notepad, run % 2, watch_exe)
                print("run %d: search box after %s, result after %s, clipboard back after %s" % (
                    run + 1, shown(text), shown(report), shown(back)), flush=True)
                for values, value in ((texts, text), (reports, report), (backs, back)):
                    if value is not None:
                        values.append(value)
            for label, values in (("search box filled", texts), ("highlighted result", reports),
                                  ("clipboard back", backs)):
                if values:
                    print("%-20s median %4.0f ms, min %4.0f, max %4.0f over %d captures"
                          % (label, statistics.median(values) * 1000, min(values) * 1000, max(values) * 1000,
                             len(values)))
            print("(the capture itself waits 100 ms before saving the clipboard and 100 ms after the copy)")
        finally:
            notepad.stop()
            app.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
