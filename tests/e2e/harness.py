"""Runs the real Tavrel.exe under Wine and talks to it through probe.exe.

Every Windows program is started by `wine_command`, the one place that decides
how; everything else here is plain subprocess work: the probe prints one JSON
value per call, xdotool clicks like a user, ImageMagick takes screenshots.
"""

import atexit
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINE_RUN = ROOT / "tools" / "wine-run.sh"

# The Unix locale decides Wine's ANSI code page: zh_CN gives 936 (GBK),
# C gives 1252. The program's texts are GBK either way and must show the same.
CODEPAGE_ENV = {
    936: {"LC_ALL": "zh_CN.UTF-8"},
    1252: {"LC_ALL": "C.UTF-8", "LANG": "C.UTF-8"},
}

LOCALE_HINT = (
    "Wine picks code page 936 only when the Unix locale zh_CN.UTF-8 exists; "
    "create it with `localedef -i zh_CN -f UTF-8 zh_CN.UTF-8` (Debian package `locales`)"
)


class Config:
    bin_dir = ROOT / "build" / "win64" / "bin"
    screens_dir = ROOT / "build" / "screens"
    exe = None  # defaults to bin_dir / "Tavrel.exe"
    codepage = 936

    @classmethod
    def program(cls):
        return Path(cls.exe) if cls.exe else cls.bin_dir / "Tavrel.exe"

    @classmethod
    def probe_exe(cls):
        return cls.bin_dir / "probe.exe"

    @classmethod
    def screen_path(cls, name):
        """build/screens/<name>.png for code page 936, <name>.cp1252.png otherwise."""
        suffix = "" if cls.codepage == 936 else ".cp%d" % cls.codepage
        cls.screens_dir.mkdir(parents=True, exist_ok=True)
        return cls.screens_dir / ("%s%s.png" % (name, suffix))


def wine_command(exe, *args):
    """The command line that runs a Windows program under Wine."""
    return [str(WINE_RUN), str(exe), *map(str, args)]


def wine_env():
    env = dict(os.environ)
    env.pop("LANGUAGE", None)
    env.update(CODEPAGE_ENV[Config.codepage])
    return env


class ProbeError(AssertionError):
    pass


def run_windows_program(exe, args, timeout):
    """Runs a Windows program to its end: (exit code or None on time-out, stdout, stderr).

    On a time-out the whole process group goes, so no Wine process is left
    behind holding the display or the prefix.
    """
    proc = subprocess.Popen(wine_command(exe, *args), env=wine_env(), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
    try:
        stdout, stderr = proc.communicate(timeout=timeout)
        return proc.returncode, stdout, stderr
    except subprocess.TimeoutExpired:
        kill_group(proc)
        stdout, stderr = proc.communicate()
        return None, stdout, stderr


def kill_group(proc):
    """TERM, then KILL, to a process group started with start_new_session."""
    for sig, grace in ((signal.SIGTERM, 10), (signal.SIGKILL, 10)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            pass


class ProbeServer:
    """One probe.exe answering call after call (`probe serve <port>`).

    A call of a one-shot probe starts a Wine process, a few tenths of a second
    on a busy machine, and a scenario makes hundreds of calls; the server takes
    each over a local connection instead. It runs with the environment of the
    code page, as each one-shot probe did, and every call is one command line
    of the one-shot probe: the same commands, answers and exit codes.
    """

    def __init__(self, timeout):
        self.key = (Config.codepage, str(Config.probe_exe()))
        self.log = tempfile.TemporaryFile()
        self.connection = self.reader = None
        with socket.create_server(("127.0.0.1", 0)) as listener:
            self.process = subprocess.Popen(
                wine_command(Config.probe_exe(), "serve", listener.getsockname()[1]), env=wine_env(),
                stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log, start_new_session=True)
            listener.settimeout(0.2)
            deadline = time.monotonic() + timeout
            while self.connection is None:
                try:
                    self.connection, _ = listener.accept()
                except socket.timeout:
                    if self.process.poll() is not None or time.monotonic() > deadline:
                        why = "probe server: no connection within %d s (exit code %s) %s" \
                            % (timeout, self.process.poll(), self.output())
                        self.stop()
                        raise ProbeError(why)
        self.reader = self.connection.makefile("rb")

    def output(self):
        self.log.seek(0)
        return self.log.read().decode("utf-8", "replace")[-2000:]

    def call(self, words, timeout):
        """(exit code, stdout) of one command line; ProbeError when the server did not answer."""
        request = " ".join("x" + w.encode("utf-8").hex() for w in words) + "\n"
        try:
            self.connection.settimeout(timeout)
            self.connection.sendall(request.encode("ascii"))
            header = self.reader.readline()
            code, size = map(int, header.split())
            return code, self.reader.read(size)
        except socket.timeout:
            raise ProbeError("no answer within %d s" % timeout)
        except (OSError, ValueError):
            raise ProbeError("the probe server went away (exit code %s) %s" % (self.process.poll(), self.output()))

    def stop(self):
        """Ends the server: the end of its connection ends it, a kill otherwise."""
        for stream in (self.reader, self.connection):
            if stream:
                try:
                    stream.close()
                except OSError:
                    pass
        self.reader = self.connection = None
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            kill_group(self.process)
        self.log.close()


_probe_server = None


def stop_probe_server():
    global _probe_server
    if _probe_server:
        server, _probe_server = _probe_server, None
        server.stop()


atexit.register(stop_probe_server)


def probe_server(timeout):
    """The running probe server of this code page, started when there is none."""
    global _probe_server
    if _probe_server and (_probe_server.key != (Config.codepage, str(Config.probe_exe()))
                          or _probe_server.process.poll() is not None):
        stop_probe_server()
    if not _probe_server:
        try:
            _probe_server = ProbeServer(timeout)
        except ProbeError:
            # Under load Wine rarely fails to get a program going at all; one
            # more start is the observer's retry, not the program's.
            _probe_server = ProbeServer(timeout)
    return _probe_server


def run_probe(*args, pid=None, timeout=30):
    """Runs a probe command and returns its parsed JSON; raises ProbeError on failure."""
    words = (["--pid", str(pid)] if pid else []) + [str(a) for a in args]
    try:
        returncode, stdout = probe_server(timeout).call(words, timeout)
    except ProbeError as e:
        # A server that did not answer may still be busy with the call: never reuse it.
        stop_probe_server()
        raise ProbeError("probe %s: %s" % (" ".join(words), e))
    except BaseException:
        stop_probe_server()
        raise
    out = stdout.decode("utf-8", "replace").strip()
    last = out.splitlines()[-1] if out else ""
    if returncode != 0:
        raise ProbeError("probe %s failed with exit code %d: %s" % (" ".join(words), returncode, last))
    try:
        return json.loads(last)
    except ValueError:
        raise ProbeError("probe %s printed no JSON: %r" % (" ".join(words), out))


def hex_utf8(text):
    """A text as the probe's --hex takes it: its UTF-8 bytes in hex."""
    return text.encode("utf-8").hex()


def wait_for(read, done, timeout=10.0, interval=0.2):
    """Calls read() until done(value) holds or the time-out passes; returns the last value.

    The caller asserts on the value, so a time-out shows what was there instead.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = read()
        if done(value) or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def windows_path(path):
    """A Unix path as Wine's programs name it (drive Z: is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class Tavrel:
    """One running Tavrel.exe, started fresh for a scenario."""

    def __init__(self, exe=None, env=None):
        self.process = None
        self.pid = None  # the Windows process id, as the probe reports it
        self.log = None
        self.exe = Path(exe) if exe else None  # another copy of the program
        self.env = dict(env or {})  # added to the program's environment

    def start(self, timeout=60.0):
        exe = self.exe or Config.program()
        if not exe.is_file():
            raise AssertionError("program not built: %s" % exe)
        if not Config.probe_exe().is_file():
            raise AssertionError("probe not built: %s" % Config.probe_exe())
        # A main window left over from elsewhere would answer in our place.
        # The first Wine call of a run may have to create the prefix first.
        stale = run_probe("list", timeout=300)
        if stale:
            raise AssertionError("a Tavrel main window is already open before the start: %s" % stale)
        self.log = tempfile.TemporaryFile()
        self.process = subprocess.Popen(wine_command(exe), cwd=str(exe.parent), env={**wine_env(), **self.env},
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                        start_new_session=True)
        deadline = time.monotonic() + timeout
        last_error = None
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise AssertionError("Tavrel.exe ended during start-up with exit code %s; output: %s"
                                     % (self.process.returncode, self.output()))
            try:
                self.pid = run_probe("wait", 2000, timeout=20)["pid"]
                return self
            except ProbeError as e:
                last_error = e
        shown = run_probe("toplevel")
        raise AssertionError("main window not visible within %.0f s (%s); windows on screen: %s; output: %s"
                             % (timeout, last_error, shown, self.output()))

    def output(self):
        if not self.log:
            return ""
        self.log.seek(0)
        return self.log.read().decode("utf-8", "replace")[-3000:]

    def probe(self, *args, **kwargs):
        return run_probe(*args, pid=self.pid, **kwargs)

    def dump(self):
        return self.probe("dump")

    def close(self, timeout_ms=10000):
        """Posts WM_CLOSE; returns (probe's report with the Windows exit code, Unix exit code)."""
        report = self.probe("close", timeout_ms)
        try:
            unix_code = self.process.wait(timeout=timeout_ms / 1000.0 + 10)
        except subprocess.TimeoutExpired:
            unix_code = None
        return report, unix_code

    def stop(self):
        """Ends the program if it still runs: the clean-up after a failed scenario."""
        if self.process and self.process.poll() is None:
            try:
                self.probe("close", 5000)
            except ProbeError:
                pass
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                kill_group(self.process)
        if self.log:
            self.log.close()
            self.log = None


# ------------------------------------------------------------------ the screen

def click_screen(x, y):
    """A real user's left click at screen coordinates (X root = Win32 screen)."""
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True, timeout=20)


def park_pointer():
    """Moves the pointer off the window, so no hover highlight is in a screenshot."""
    subprocess.run(["xdotool", "mousemove", "1270", "890"], check=True, timeout=20)


def screenshot(path, rect):
    """Saves the screen area rect (left, top, width, height) as a PNG."""
    left, top, width, height = rect
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, left, top),
                    "+repage", str(path)], check=True, timeout=60)
    return path


class Image:
    """RGB pixels of a PNG, read through ImageMagick as a binary PPM."""

    def __init__(self, path):
        data = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"], check=True,
                              capture_output=True, timeout=60).stdout
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("unexpected image format from convert: %r" % fields)
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region(self, left, top, width, height):
        """Every pixel of a rectangle, clipped to the image."""
        x0, y0 = max(0, left), max(0, top)
        x1, y1 = min(self.width, left + width), min(self.height, top + height)
        return [self.pixel(x, y) for y in range(y0, y1) for x in range(x0, x1)]

    def colours(self, left=0, top=0, width=None, height=None):
        width = self.width if width is None else width
        height = self.height if height is None else height
        return set(self.region(left, top, width, height))


def is_dark(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b < 110


def is_reddish(rgb):
    r, g, b = rgb
    return r > 150 and g < 90 and b < 90


# ------------------------------------------------------------------ a display

class Display:
    """Uses $DISPLAY when set; otherwise runs a private Xvfb for this run, with
    tools/wm-state.py (see there) keeping Wine from waiting for a window manager."""

    def __init__(self):
        self.process = None
        self.wm_state = None

    def __enter__(self):
        if os.environ.get("DISPLAY"):
            return self
        for n in range(100, 200):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if proc.poll() is not None:
                    break
                if os.path.exists("/tmp/.X11-unix/X%d" % n):
                    os.environ["DISPLAY"] = ":%d" % n
                    self.process = proc
                    time.sleep(0.2)
                    self.start_wm_state()
                    return self
                time.sleep(0.1)
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        raise RuntimeError("could not start Xvfb")

    def start_wm_state(self):
        """Starts the helper and waits until it watches; without it all works, only slower."""
        self.wm_state = subprocess.Popen([sys.executable, str(ROOT / "tools" / "wm-state.py")],
                                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        line = self.wm_state.stdout.readline().decode("utf-8", "replace")
        if not line.startswith("wm-state: watching"):
            print("the window state helper did not start: %s" % line, file=sys.stderr)

    def __exit__(self, *exc):
        stop_probe_server()
        if self.wm_state:
            self.wm_state.terminate()
            self.wm_state.wait()
        if self.process:
            # Wine programs of this prefix end before their display goes away.
            subprocess.run(["bash", "-c", '. "%s" && timeout 20 "$WINESERVER" -w' % (ROOT / "tools" / "wine-env.sh")],
                           env=wine_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.process.terminate()
            self.process.wait()
            os.environ.pop("DISPLAY", None)


# ------------------------------------------------------------------ code pages

# Every scenario runs under the first; a test runs under the others too when
# its outcome depends on the code page (see code_page_matters).
CODEPAGES = (936, 1252)


def code_page_matters(why):
    """Marks a test method or class whose outcome depends on the ANSI code page,
    saying why (texts crossing the clipboard, file names, conversions at the
    Windows boundary): it runs under every code page, the others under 936 only."""
    def mark(test):
        test.code_page_matters = why
        return test
    return mark


def depends_on_code_page(test):
    """True for a test case marked by code_page_matters, on its method or its class."""
    method = getattr(type(test), getattr(test, "_testMethodName", ""), None)
    return bool(getattr(method, "code_page_matters", None) or getattr(type(test), "code_page_matters", None))


# ------------------------------------------------------------------ test base

class TavrelTestCase(unittest.TestCase):
    """Starts a fresh Tavrel.exe for each test and makes sure it ends."""

    maxDiff = None

    def start_program(self, exe=None, env=None):
        app = Tavrel(exe, env)
        self.addCleanup(app.stop)
        app.start()
        first = app.dump()
        self.assertEqual(first["acp"], Config.codepage,
                         "ANSI code page of the program: expected %d, got %s. %s"
                         % (Config.codepage, first["acp"], LOCALE_HINT if Config.codepage == 936 else ""))
        self.assertTrue(first["same_bitness"], "probe and program must be built with the same bitness")
        return app, first

    def close_program(self, app):
        report, unix_code = app.close()
        self.assertEqual(report.get("exit_code"), 0, "exit code of Tavrel.exe after WM_CLOSE: %s" % report)
        self.assertEqual(unix_code, 0, "exit status of the Wine process after WM_CLOSE")
        return report


def controls_by_id(dump):
    return {c["id"]: c for c in dump["controls"]}


def rect_tuple(rect):
    return (rect["left"], rect["top"], rect["width"], rect["height"])


def centre(rect):
    return rect["left"] + rect["width"] // 2, rect["top"] + rect["height"] // 2
