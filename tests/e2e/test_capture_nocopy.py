"""Screen word capture whose copy copies nothing: a drag over an empty Wine
notepad, while the clipboard holds the user's private text. In the local and
the IE mode nothing visible happens: the search box, the page, the browser's
address and the status line stay as they were, the main window is not raised,
and the clipboard is untouched. The same drag over text then does capture, so
the capture was armed all along.

One code page: no text of the user's crosses the clipboard to the program, and
the text captured at the end is ASCII."""

import time
import unittest

import window_table as W
from harness import TavrelTestCase, hex_utf8, run_probe, wait_for
from test_capture import IE_MODE, MARKER, Notepad, drag, rest_at, xdotool

PRIVATE = "用户剪贴板里的私人内容"
BANK = "第1题：光合作用 答案\r\n第2题：叶绿体 选择"
TYPED = "control line 42"


class EmptyNotepad(Notepad):
    """Wine's notepad with nothing in it, beside the main window."""

    def start(self):
        self.launch()
        self.edit_rect = self.edit()[0]["screen_rect"]
        return self

    def edit(self):
        """(the edit area, whether notepad is the foreground window)."""
        info = self.info()
        return Notepad.edit(info), info["foreground"]

    def drag_points(self):
        """Across the first line of the edit area: empty at first, later the typed text."""
        rect = self.edit()[0]["screen_rect"]
        y = rect["top"] + 12
        return (rect["left"] + 3, y), (rect["left"] + rect["width"] - 40, y)


class CaptureCopiedNothingTest(TavrelTestCase):

    @classmethod
    def setUpClass(cls):
        cls.notepad = EmptyNotepad.started()

    @classmethod
    def tearDownClass(cls):
        cls.notepad.stop()

    def look(self, app):
        """(page, search box, browser address, status line, answer bank)."""
        state = app.probe("state", W.SEARCH_BOX, W.BROWSER_BOX, W.STATUS_LABEL, W.ANSWER_BANK)
        return (state["page"],) + tuple(c["text"] for c in state["controls"])

    def drag_over_notepad(self):
        rest_at(self.notepad.rest_point())
        start, end = self.notepad.drag_points()
        drag(start, end)

    def check_nothing_happened(self, app, before, clipboard, what):
        self.assertEqual(self.look(app), before, "(page, search box, address, status, bank) after %s" % what)
        self.assertTrue(self.notepad.edit()[1], "notepad still in front after %s: the main window was not raised" % what)
        now = run_probe("cliptext")
        self.assertEqual((now["text"], now["sequence"]), (clipboard["text"], clipboard["sequence"]),
                         "clipboard (text, sequence number) after %s" % what)

    def test_a_copy_of_nothing_does_nothing(self):
        app, _ = self.start_program()
        app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(MARKER))
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
        run_probe("clipput", "13=" + (PRIVATE + "\0").encode("utf-16-le").hex())
        clipboard = run_probe("cliptext")
        self.assertEqual(clipboard["text"], PRIVATE)
        self.assertEqual(self.notepad.edit()[0]["text"], "", "notepad is empty")

        with self.subTest("文本搜"):
            before = self.look(app)
            self.drag_over_notepad()
            time.sleep(1.0)  # a capture would have written the search box by now
            self.check_nothing_happened(app, before, clipboard, "a drag over empty notepad with 文本搜")

        with self.subTest("IE内核搜"):
            app.probe("press", IE_MODE)
            before = self.look(app)
            self.drag_over_notepad()
            time.sleep(1.0)
            self.check_nothing_happened(app, before, clipboard, "a drag over empty notepad with IE内核搜")

        with self.subTest("the same drag over text captures it"):
            start, _ = self.notepad.drag_points()
            xdotool("mousemove", *start, "click", 1, "type", "--delay", "20", TYPED)
            self.drag_over_notepad()
            got = wait_for(lambda: self.look(app), lambda g: g[1] == TYPED and g[2] != before[2], timeout=10)
            self.assertEqual((got[0], got[1], got[2].startswith("https://www.baidu.com/s?wd=control")),
                             (2, TYPED, True), "(page, search box, address %r) after a drag over typed text" % got[2])
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
