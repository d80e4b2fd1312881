"""Screen word capture: a real drag-selection in Wine's notepad, outside the main
window, lands in the search box and is searched; the clipboard is put back
exactly, every format byte for byte. Clicks, drags inside the program and
drags with "划屏取词" off capture nothing.
"""

import struct
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import window_table as W
from harness import (ROOT, Config, Image, ProbeError, TavrelTestCase, code_page_matters, controls_by_id, hex_utf8,
                     is_reddish, kill_group, rect_tuple, run_probe, screenshot, wait_for, wine_command, wine_env,
                     windows_path)
from test_search import actual_runs, expected_runs, occurrences, rich_units

TOPMOST_BOX = 1002   # 选择框1 "自动置顶"
CAPTURE_BOX = 1005   # 选择框3 "划屏取词"
TEXT_MODE = 1006     # 单选框1 "文本搜"
IE_MODE = 1007       # 单选框2 "IE内核搜"
SO360_BOX = 1011     # 选择框6 "360引擎"

# Notepad stays clear of the main window (50, 50, 612 x 414), so that a drag in
# it is outside the program and the automatic raise never covers it.
NOTEPAD_RECT = (700, 120, 560, 360)
NOTEPAD_LINES = [
    "光合作用 photosynthesis 答案",
    "第二行 second line 问题",
    "叶绿体 chloroplast 选择",
]
# The answer bank holds the first line twice.
BANK = ("第1题：光合作用 photosynthesis 答案\r\n"
        "解析：植物利用光能。\r\n"
        "第2题：再问一次 光合作用 photosynthesis 答案 完")
MARKER = "原来的问题"  # in the search box before a drag that must capture nothing


# ------------------------------------------------------------------ the clipboard the user had

def html_format(fragment):
    """A "HTML Format" block: the header's offsets count bytes of the UTF-8 text."""
    header = "Version:0.9\r\nStartHTML:%010d\r\nEndHTML:%010d\r\nStartFragment:%010d\r\nEndFragment:%010d\r\n"
    before = "<html><body>\r\n<!--StartFragment-->"
    after = "<!--EndFragment-->\r\n</body></html>"
    size = len((header % (0, 0, 0, 0)).encode())
    start_fragment = size + len(before.encode())
    end_fragment = start_fragment + len(fragment.encode())
    end = end_fragment + len(after.encode())
    text = (header % (size, end, start_fragment, end_fragment)) + before + fragment + after
    return text.encode("utf-8") + b"\0"


def dib(width=7, height=3):
    """A bottom-up 24-bit DIB whose pixels all differ, rows padded to 4 bytes."""
    stride = (width * 3 + 3) & ~3
    rows = b""
    for y in range(height):
        row = b"".join(bytes(((x * 37 + y * 11) & 255, (x * 5 + 90) & 255, (y * 70 + 20) & 255))
                       for x in range(width))
        rows += row + b"\0" * (stride - len(row))
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0) + rows


def hdrop(paths):
    """DROPFILES with wide names, each ended by a zero, the list by one more."""
    names = "".join(p + "\0" for p in paths) + "\0"
    return struct.pack("<IiiII", 20, 0, 0, 0, 1) + names.encode("utf-16-le")


ORIGINAL_TEXT = "剪贴板里原来的内容\r\n第二行 ABC"
ORIGINAL_CLIPBOARD = [
    ("13", ORIGINAL_TEXT.encode("utf-16-le") + b"\0\0"),                   # CF_UNICODETEXT
    ("HTML Format", html_format("<b>原来的</b> 内容")),
    ("Rich Text Format", b"{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0 SimSun;}}"
                         b"\\f0 \\'d4\\'ad\\'c0\\'b4 \\b ABC\\b0\\par}\0"),
    ("Tavrel E2E Binary", bytes([0, 1, 0, 0xFF, 0, 0, 7, 0, 0x80, 0])),     # a format of our own, zeros inside
    ("15", hdrop(["C:\\答案\\题库.docx", "C:\\temp\\b.txt"])),             # CF_HDROP
    ("8", dib()),                                                          # CF_DIB
]


def put_original_clipboard(test):
    """Puts the user's clipboard in place and returns it as the probe reads it back."""
    dump = run_probe("clipput", *("%s=%s" % (name, data.hex()) for name, data in ORIGINAL_CLIPBOARD))
    formats = {f["name"]: f for f in dump["formats"]}
    for name, data in ORIGINAL_CLIPBOARD:
        key = {"13": "CF_UNICODETEXT", "15": "CF_HDROP", "8": "CF_DIB"}.get(name, name)
        test.assertIn(key, formats, "format %s on the clipboard after clipput" % key)
        test.assertEqual(formats[key].get("hex"), data.hex(), "bytes of %s after clipput" % key)
    return dump


def clipboard_content(dump):
    """What a user's program can read: every format with its data."""
    keep = ("id", "name", "kind", "size", "fnv", "hex", "width", "height", "bits_per_pixel", "pixels_fnv",
            "mm", "x_ext", "y_ext")
    # Sorted: Wine may list a restored clipboard's formats in another order
    # (Windows keeps the order they were put in); each format must be the same.
    return sorted(({k: f[k] for k in keep if k in f} for f in dump["formats"]), key=lambda f: f["id"])


def assert_same_clipboard(test, after, before, what):
    """The dump `after` holds the formats of `before`, each with the same data; a difference names its format."""
    test.assertEqual({f["id"]: f for f in clipboard_content(after)}, {f["id"]: f for f in clipboard_content(before)},
                     "clipboard formats and their data %s" % what)


# ------------------------------------------------------------------ notepad

def prefix_dir():
    out = subprocess.run(["bash", "-c", '. "%s" && printf %%s "$WINEPREFIX"' % (ROOT / "tools" / "wine-env.sh")],
                         env=wine_env(), capture_output=True, text=True, timeout=60, check=True)
    return Path(out.stdout)


class Notepad:
    """Wine's notepad with a file of a few lines, placed beside the main window."""

    def __init__(self):
        self.process = None
        self.folder = None

    @classmethod
    def started(cls):
        """A notepad after start(); one that failed to start is stopped again."""
        notepad = cls()
        try:
            return notepad.start()
        except BaseException:
            notepad.stop()
            raise

    def launch(self, *args):
        """Starts notepad with the arguments and puts its window at NOTEPAD_RECT."""
        # The first Wine call of a run may have to create the prefix, notepad with it.
        run_probe("list", timeout=300)
        exe = prefix_dir() / "drive_c" / "windows" / "system32" / "notepad.exe"
        if not exe.is_file():
            raise AssertionError("no notepad in the Wine prefix: %s" % exe)
        self.process = subprocess.Popen(wine_command(exe, *args),
                                        env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        deadline = time.monotonic() + 60
        while True:
            try:
                run_probe("window", "Notepad", *NOTEPAD_RECT)
                return
            except ProbeError:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    raise AssertionError("notepad did not show its window (exit %s)" % self.process.poll())
                time.sleep(0.3)

    def start(self):
        self.folder = tempfile.TemporaryDirectory(prefix="tavrel-e2e-")
        path = Path(self.folder.name) / "题目.txt"
        # UTF-16 with a byte-order mark reads the same under every ANSI code page.
        path.write_bytes(b"\xff\xfe" + "\r\n".join(NOTEPAD_LINES + [""]).encode("utf-16-le"))
        self.launch(windows_path(path))
        # The window stays where it was put, so its geometry is read once.
        edit = self.edit(self.info())
        if edit["text"].split("\r\n")[:len(NOTEPAD_LINES)] != NOTEPAD_LINES:
            raise AssertionError("notepad shows %r, not the file's lines" % edit["text"])
        self.lines = edit["lines"]
        self.edit_rect = edit["screen_rect"]
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            kill_group(self.process)
        if self.folder:
            self.folder.cleanup()

    @staticmethod
    def info():
        return run_probe("window", "Notepad")

    @staticmethod
    def edit(info):
        return next(c for c in info["children"] if c["class"].lower() == "edit")

    def selected(self):
        edit = self.edit(self.info())
        sel = edit["selection"]
        return edit["text"][sel["min"]:sel["max"]]

    def line_drag_points(self, line):
        """From the left end of a line's first character to far right of its end, same height."""
        start = self.lines[line]["start"]
        height = self.lines[1]["start"]["y"] - self.lines[0]["start"]["y"]
        right = self.edit_rect["left"] + self.edit_rect["width"] - 40
        y = start["y"] + height // 2
        return (start["x"] + 1, y), (right, y)

    def rest_point(self):
        """Blank notepad text area below the lines: outside the main window."""
        r = self.edit_rect
        return r["left"] + r["width"] // 2, r["top"] + r["height"] - 30


def xdotool(*words):
    subprocess.run(["xdotool", *map(str, words)], check=True, timeout=30)


def drag_words(start, end, steps, pause):
    (x0, y0), (x1, y1) = start, end
    words = ["mousemove", x0, y0, "sleep", pause, "mousedown", 1]
    for i in range(1, steps + 1):
        words += ["sleep", pause, "mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps]
    return words + ["sleep", pause, "mouseup", 1]


def drag(start, end, steps=4, pause=0.1):
    """A user's drag-selection: press, move in steps, release."""
    xdotool(*drag_words(start, end, steps, pause))


def quick_drags(*lines):
    """Drags one after the other in one xdotool run, so no process start spaces them out."""
    words = []
    for start, end in lines:
        words += drag_words(start, end, 2, 0.03)
    xdotool(*words)


def rest_at(point, seconds=0.4):
    """Leaves the pointer outside the main window long enough for the hover timer to re-arm capture."""
    xdotool("mousemove", point[0], point[1])
    time.sleep(seconds)


# ------------------------------------------------------------------ scenarios

class CaptureTest(TavrelTestCase):

    @classmethod
    def setUpClass(cls):
        cls.notepad = Notepad.started()

    @classmethod
    def tearDownClass(cls):
        cls.notepad.stop()

    # -------------------------------------------------------------- helpers

    def look(self, app):
        """(page, search box, browser box address, status label) in one probe call."""
        state = app.probe("state", W.SEARCH_BOX, W.BROWSER_BOX, W.STATUS_LABEL)
        return (state["page"],) + tuple(c["text"] for c in state["controls"])

    def search_text(self, app):
        return self.look(app)[1]

    def current_page(self, app):
        return self.look(app)[0]

    def capture_line(self, app, line):
        """Drags over a notepad line; returns the text notepad selected."""
        rest_at(self.notepad.rest_point())
        start, end = self.notepad.line_drag_points(line)
        drag(start, end)
        selected = self.notepad.selected()
        self.assertEqual(selected, NOTEPAD_LINES[line], "notepad's selection after the drag over line %d" % line)
        return selected

    def check_clipboard_restored(self, before, what):
        """The clipboard holds again what the user had: the same formats, each with the same bytes.

        Called once the capture has shown its text, after which it puts the
        clipboard back. Each read holds the clipboard open for a moment only,
        far less than the program waits for a busy clipboard, so the reads
        never make its restore fail.
        """
        after = wait_for(lambda: run_probe("clipdump"),
                         lambda d: clipboard_content(d) == clipboard_content(before), timeout=3)
        assert_same_clipboard(self, after, before, what)
        return after

    def check_local_search(self, app, word):
        formats = app.probe("formats", W.ANSWER_BANK)
        red = occurrences(BANK, word)
        self.assertEqual(len(red), 2, "the answer bank holds the word twice")
        length = len(rich_units(BANK))
        self.assertEqual(actual_runs(formats), expected_runs(length, red),
                         "answer bank formats after the capture: the captured text in red")

    def foreground(self, window_class):
        return run_probe("window", window_class)["foreground"]

    # -------------------------------------------------------------- tests

    @code_page_matters("the captured Chinese text crosses the clipboard, and the user's formats are put back")
    def test_capture_local_search(self):
        app, dump = self.start_program()
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
        before = put_original_clipboard(self)

        selected = self.capture_line(app, 0)
        got = wait_for(lambda: self.look(app), lambda g: g[1] == selected and g[3].startswith("搜索完毕"), timeout=10)
        page, text, _, status = got
        self.assertEqual(text, selected, "search box after the drag in notepad")
        self.assertEqual(status, W.found_report(2), "status label after the captured search")
        self.assertEqual(page, 1, "page after a capture with 文本搜")
        self.check_local_search(app, selected)
        self.check_clipboard_restored(before, "after a capture with 文本搜")
        self.assertTrue(self.foreground(W.MAIN_CLASS), "main window in front after a capture with 自动置顶 checked")

        path = screenshot(Config.screen_path("capture-local"), rect_tuple(dump["main"]["rect"]))
        image, main = Image(path), dump["main"]["rect"]
        box = controls_by_id(dump)[W.ANSWER_BANK]["screen_rect"]
        area = image.region(box["left"] - main["left"], box["top"] - main["top"], box["width"], box["height"])
        self.assertGreater(sum(map(is_reddish, area)), 40, "%s: red pixels in the answer bank" % path)
        self.close_program(app)

    @code_page_matters("the captured text crosses the clipboard and becomes a query of GBK bytes")
    def test_capture_web_search(self):
        app, dump = self.start_program()
        app.probe("press", IE_MODE)
        radios = app.probe("state", TEXT_MODE, IE_MODE)["controls"]
        self.assertEqual((radios[0]["check"], radios[1]["check"]), (0, 1), "(文本搜, IE内核搜) after a click on IE内核搜")
        before = put_original_clipboard(self)

        selected = self.capture_line(app, 1)
        want = "https://www.baidu.com/s?wd=" + selected  # no byte of it needs escaping
        got = wait_for(lambda: self.look(app), lambda g: g[2] == want, timeout=10)
        self.assertEqual(got[:3], (2, selected, want),
                         "(page, search box, browser address) after a capture with IE内核搜 and 百度引擎")
        self.check_clipboard_restored(before, "after a capture with IE内核搜")
        screenshot(Config.screen_path("capture-ie"), rect_tuple(dump["main"]["rect"]))

        with self.subTest("360引擎"):
            app.probe("press", SO360_BOX)
            selected = self.capture_line(app, 2)
            want = "https://www.so.com/s?q=" + "".join(
                chr(b) if chr(b).isascii() and chr(b).isalnum() else "%%%02X" % b for b in selected.encode("gbk"))
            got = wait_for(lambda: self.look(app), lambda g: g[2] == want, timeout=10)
            self.assertEqual(got[:3], (2, selected, want),
                             "(page, search box, browser address) after a capture with 360引擎")
            self.check_clipboard_restored(before, "after a capture with 360引擎")
        self.close_program(app)

    def test_nothing_captured(self):
        app, dump = self.start_program()
        app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(MARKER))
        before = put_original_clipboard(self)

        def unchanged(page, what):
            time.sleep(1.0)  # a capture would have written the search box by now
            self.assertEqual(self.look(app)[:2], (page, MARKER), "(page, search box) after %s" % what)
            self.assertEqual(run_probe("clipdump")["sequence"], before["sequence"],
                             "clipboard untouched (sequence number) after %s" % what)

        with self.subTest("a click without movement"):
            rest_at(self.notepad.rest_point())
            start, _ = self.notepad.line_drag_points(0)
            xdotool("mousemove", *start, "sleep", 0.1, "click", 1)
            unchanged(0, "a plain click in notepad")

        with self.subTest("a drag inside the main window"):
            tab = dump["tab"]["items"][1]["screen_rect"]
            xdotool("mousemove", tab["left"] + tab["width"] // 2, tab["top"] + tab["height"] // 2, "click", 1)
            self.assertEqual(wait_for(lambda: self.current_page(app), lambda p: p == 1, timeout=5), 1,
                             "page after a click on its tab")
            box = controls_by_id(dump)[W.SEARCH_BOX]["screen_rect"]
            y = box["top"] + box["height"] // 2
            xdotool("mousemove", box["left"] + 150, y, "sleep", 0.3)  # the hover timer sees the pointer inside
            drag((box["left"] + 150, y), (box["left"] + 4, y))
            unchanged(1, "a drag over the search box")

        with self.subTest("划屏取词 unchecked"):
            app.probe("press", CAPTURE_BOX)
            self.assertEqual(app.probe("state", CAPTURE_BOX)["controls"][0]["check"], 0, "划屏取词 after one click")
            self.capture_line(app, 0)
            unchanged(1, "a drag in notepad with 划屏取词 unchecked")

        with self.subTest("划屏取词 checked again: the same drag captures"):
            app.probe("press", CAPTURE_BOX)
            self.assertEqual(app.probe("state", CAPTURE_BOX)["controls"][0]["check"], 1, "划屏取词 after a second click")
            selected = self.capture_line(app, 0)
            got = wait_for(lambda: self.search_text(app), lambda t: t == selected, timeout=10)
            self.assertEqual(got, selected, "search box after the drag with 划屏取词 on again")
            self.check_clipboard_restored(before, "after the capture")
        self.close_program(app)

    def test_two_quick_drags(self):
        app, dump = self.start_program()
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
        lines = NOTEPAD_LINES[:2]
        # First without the automatic raise, then with it (the default): the
        # raise after one capture must not take the copy of the next.
        for topmost in (0, 1):
            with self.subTest(自动置顶=topmost):
                if app.probe("state", TOPMOST_BOX)["controls"][0]["check"] != topmost:
                    app.probe("press", TOPMOST_BOX)
                self.assertEqual(app.probe("state", TOPMOST_BOX)["controls"][0]["check"], topmost, "自动置顶")
                app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(MARKER))
                before = put_original_clipboard(self)
                rest_at(self.notepad.rest_point())
                # The second release comes about 0.15 s after the first: while
                # the first capture is still running.
                quick_drags(self.notepad.line_drag_points(0), self.notepad.line_drag_points(1))

                got = wait_for(lambda: self.search_text(app), lambda t: t in lines, timeout=6)
                time.sleep(2.0)  # let a second capture finish too
                self.assertIsNone(app.process.poll(), "Tavrel.exe still running after two quick drags")
                page, final = self.look(app)[:2]
                with self.subTest("clipboard", 自动置顶=topmost):
                    self.check_clipboard_restored(before, "after two quick captures")
                self.assertEqual(self.foreground("Notepad"), not topmost,
                                 "notepad still in front after the captures (自动置顶 %d)" % topmost)
                self.assertIn(final, lines, "search box after two quick drags over the lines of notepad "
                              "(first read %r); the user's old clipboard text here means the copy of a "
                              "capture went to a window other than notepad" % got)
                self.assertEqual(page, 1, "page after the captures")
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
