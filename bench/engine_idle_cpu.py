#!/usr/bin/env python3
"""Idle CPU of the whole program with the view's paint loop and the hover timer
running, against a bare Win32 program that runs the same two 10 ms loops and
nothing else (two_loops.exe: a 10 ms timer, and a thread that takes messages
and sleeps 10 ms).

    bench/engine_idle_cpu.py [--bin build/win64/bin] [--seconds 10]

Starts each program under Wine (on $DISPLAY, or a private Xvfb) and measures
the CPU time of its Wine process and of the Wine server from /proc, with the
pointer parked outside the window: Tavrel on its first page, Tavrel showing the
WebKit page after a search, the same with the window made 60 px high (which
leaves the view no area), then two_loops.exe. Prints figures; asserts nothing.
"""

import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
sys.path.insert(0, str(ROOT / "bench"))

import harness  # noqa: E402
from hover_cpu import TICKS, measure, pids_of, prefix_of  # noqa: E402

WEBKIT_PAGE = 3


def wait_pids(name, timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = pids_of(name)
        if found:
            return found
        time.sleep(0.2)
    return []


def server_of(program):
    prefix = prefix_of(program[0]) if program else None
    return [p for p in pids_of("wineserver") if prefix_of(p) == prefix]


def thread_seconds(pid):
    """CPU seconds of each thread of a Unix process, by thread id."""
    found = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/stat" % (pid, tid)) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            found[int(tid)] = (int(fields[11]) + int(fields[12])) / TICKS
        except OSError:
            pass
    return found


def measure_all(program, server, seconds):
    """(figures per process, the main thread's figure, the other threads' figures), in seconds per second.

    Wine runs a program's main thread (here the GUI thread) as the Unix process's
    own first thread, so its thread id is the process id.
    """
    threads_before = {p: thread_seconds(p) for p in program}
    start = time.monotonic()
    figures = measure(program + server, seconds)
    elapsed = time.monotonic() - start
    main_thread, others = 0.0, []
    for p in program:
        for tid, used in thread_seconds(p).items():
            rate = (used - threads_before[p].get(tid, 0.0)) / elapsed
            if tid == p:
                main_thread += rate
            else:
                others.append(rate)
    return figures, main_thread, sorted(others, reverse=True)


def show(label, measured, program, server):
    figures, main_thread, others = measured
    prog = sum(figures[p] for p in program) * 1000
    serv = sum(figures[p] for p in server) * 1000
    print("%-42s program %6.1f ms/s   wineserver %6.1f ms/s   together %6.1f ms/s"
          % (label, prog, serv, prog + serv))
    print("%-42s   of the program: GUI thread %.1f ms/s, busiest other threads %s ms/s"
          % ("", main_thread * 1000, ", ".join("%.1f" % (t * 1000) for t in others[:3])))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", type=Path, default=harness.Config.bin_dir)
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()
    harness.Config.bin_dir = args.bin.resolve()
    two_loops = harness.Config.bin_dir / "two_loops.exe"
    if not two_loops.is_file():
        print("not built: %s" % two_loops)
        return 1

    print("CPU time per second of wall time, over %.0f s each, pointer outside the windows:" % args.seconds)
    with harness.Display():
        app = harness.Tavrel()
        try:
            app.start()
            program = pids_of("Tavrel.exe")
            if not program:
                print("no Unix process found for Tavrel.exe")
                return 1
            server = server_of(program)
            time.sleep(2)  # let start-up work settle
            harness.park_pointer()
            time.sleep(0.5)
            show("Tavrel, first page", measure_all(program, server, args.seconds), program, server)

            dump = app.dump()
            app.probe("settext", 1013, "idle")
            tab = dump["tab"]["items"][WEBKIT_PAGE]["screen_rect"]
            harness.click_screen(tab["left"] + tab["width"] // 2, tab["top"] + tab["height"] // 2)
            harness.park_pointer()
            time.sleep(1)
            show("Tavrel, WebKit page after a search", measure_all(program, server, args.seconds), program, server)

            app.probe("resize", dump["main"]["rect"]["width"], 60)
            harness.park_pointer()
            time.sleep(1)
            show("Tavrel, the same, window 60 px high", measure_all(program, server, args.seconds), program, server)
        finally:
            app.stop()

        proc = subprocess.Popen(harness.wine_command(two_loops), env=harness.wine_env(), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            program = wait_pids("two_loops.exe")
            if not program:
                print("no Unix process found for two_loops.exe")
                return 1
            server = server_of(program)
            time.sleep(2)
            harness.park_pointer()
            time.sleep(0.5)
            show("two_loops.exe (the two 10 ms loops alone)", measure_all(program, server, args.seconds), program,
                 server)
        finally:
            harness.kill_group(proc)
    return 0


if __name__ == "__main__":
    sys.exit(main())
