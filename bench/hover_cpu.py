#!/usr/bin/env python3
"""CPU time the idle program uses while its 10 ms hover timer runs.

    bench/hover_cpu.py [--bin build/win64/bin] [--seconds 10]

Starts Tavrel.exe under Wine (on $DISPLAY, or a private Xvfb), then measures
the CPU time of its Wine process and of the Wine server from /proc, first with
the pointer parked outside the window, then with it resting over the window
(where "自动置顶" raises the window once; a program that raised it again on
every tick would show here). Prints figures; asserts nothing.
"""

import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import harness  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """CPU seconds a process used so far; 0 once it has gone (a Wine server of
    an earlier run may still be ending when the measurement starts)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    # utime and stime are fields 14 and 15 of the whole line.
    return (int(fields[11]) + int(fields[12])) / TICKS


def prefix_of(pid):
    try:
        with open("/proc/%d/environ" % pid, "rb") as f:
            for item in f.read().split(b"\0"):
                if item.startswith(b"WINEPREFIX="):
                    return item[len(b"WINEPREFIX="):].decode()
    except OSError:
        pass
    return None


def pids_of(name):
    """Processes whose command name starts with `name` (Wine names a process after its exe)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/comm" % entry) as f:
                if f.read().strip().startswith(name):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def measure(pids, seconds):
    before = {p: cpu_seconds(p) for p in pids}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    return {p: max(0.0, cpu_seconds(p) - before[p]) / elapsed for p in pids}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", type=Path, default=harness.Config.bin_dir)
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()
    harness.Config.bin_dir = args.bin.resolve()

    with harness.Display():
        app = harness.Tavrel()
        try:
            app.start()
            program = pids_of("Tavrel.exe")
            # Other Wine prefixes may have servers of their own running.
            prefix = prefix_of(program[0]) if program else None
            server = [p for p in pids_of("wineserver") if prefix_of(p) == prefix]
            if not program:
                print("no Unix process found for Tavrel.exe")
                return 1
            main = app.dump()["main"]["rect"]
            time.sleep(2)  # let start-up work settle

            harness.park_pointer()
            time.sleep(0.5)
            outside = measure(program + server, args.seconds)
            subprocess.run(["xdotool", "mousemove", str(main["left"] + 300), str(main["top"] + 200)], check=True)
            time.sleep(0.5)
            inside = measure(program + server, args.seconds)
            harness.park_pointer()

            def show(label, figures):
                prog = sum(figures[p] for p in program)
                serv = sum(figures[p] for p in server)
                print("%-34s program %6.1f ms/s   wineserver %6.1f ms/s" % (label, prog * 1000, serv * 1000))

            print("CPU time per second of wall time, over %.0f s each (hover timer every 10 ms):" % args.seconds)
            show("pointer outside the window", outside)
            show("pointer resting over the window", inside)
        finally:
            app.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
