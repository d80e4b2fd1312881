"""Document import: files dropped on the running window through OLE (as the
shell drops them) open in the stand-in word processor, registered in the Wine
prefix as "Word.Application"; their text becomes the answer bank, and the
user's clipboard is put back. A stand-in told to copy nothing leaves the bank
as it was; one that copies no text has its copy pasted once."""

import json
import shutil
import tempfile
import time
import unittest
from pathlib import Path

import window_table as W
from harness import (Config, TavrelTestCase, code_page_matters, hex_utf8, rect_tuple, run_probe, run_windows_program,
                     screenshot, wait_for, windows_path)
from test_capture import assert_same_clipboard, clipboard_content, put_original_clipboard

LOCAL_SEARCH_PAGE = 1
WAITING = "正在载入拖入的文档，请稍后……"
IDLE_STATUS = W.BY_ID[W.STATUS_LABEL].text
BANK = "我的答案库：第一题 A"
STATUS_MARK = "（导入之前）"  # in the status line before a drop: the import's status replaces it
ANSWERS = "第一题：下列选项中正确的是 A\r\n第二题：答案 B（全角括号）\r\nThe end."
NO_PASSWORD = '"\\x01\\x02\\x03"'  # as the stand-in logs the three control characters


def standin_folder():
    return Config.bin_dir / "word-standin"


def register_standin(*args):
    """Registers the stand-in as "Word.Application"; with "--remove", takes the registration away."""
    exe = standin_folder() / "word_standin_register.exe"
    if not exe.is_file():
        raise AssertionError("stand-in word processor not built: %s" % exe)
    code, out, err = run_windows_program(exe, list(args), 120)
    if code != 0:
        raise AssertionError("word_standin_register %s failed (%s): %s %s"
                             % (" ".join(args), code, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")))


class DropScenario(TavrelTestCase):
    """Dropping files on the program and reading what became of them."""

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="tavrel-drop-")) / "答案 文件"
        self.folder.mkdir()
        self.addCleanup(shutil.rmtree, self.folder.parent, ignore_errors=True)
        self.log = self.folder.parent / "word-calls.log"

    def start(self, mode=None):
        env = {"TAVREL_WORD_STANDIN_LOG": windows_path(self.log)}
        if mode:
            env["TAVREL_WORD_STANDIN_MODE"] = mode
        return self.start_program(env=env)

    def drop_point(self, dump):
        """Blank client area of the window: below the check boxes of page 0, right of the engine boxes."""
        main = dump["main"]["rect"]
        return main["left"] + 480, main["top"] + 380

    def drop(self, dump, *paths, text=None):
        x, y = self.drop_point(dump)
        words = [x, y] + (["--text", text] if text is not None else
                          [p if p == "--then" else windows_path(p) for p in paths])
        code, out, err = run_windows_program(Config.bin_dir / "drop_files.exe", words, 60)
        self.assertEqual(code, 0, "drop_files %s: %s %s" % (words, out, err))
        return json.loads(out.decode("utf-8").strip().splitlines()[-1])

    def calls(self):
        return self.log.read_text("utf-8").splitlines() if self.log.exists() else []

    def bank(self, app):
        return app.probe("gettext", W.ANSWER_BANK)["text"]

    def status(self, app):
        return app.probe("gettext", W.STATUS_LABEL)["text"]

    def check_clipboard_is_the_users(self, before, what):
        """Every format the user had, with its bytes, once the import is over."""
        after = wait_for(lambda: run_probe("clipdump"), lambda d: clipboard_content(d) == clipboard_content(before),
                         timeout=5, interval=0.5)
        assert_same_clipboard(self, after, before, what)

    def check_standard_format(self, app, what):
        formats = app.probe("formats", W.ANSWER_BANK)
        runs = [(r["from"], r["to"], r["color"], r["face"], r["height"], r["offset"], r["effects"])
                for r in formats["runs"]]
        expected = [(0, formats["length"], 0, "宋体", 180, 0, 0)] if formats["length"] else []
        self.assertEqual(runs, expected, "%s: formats (from, to, colour, face, height, offset, effects)" % what)
        sel = formats["selection"]
        self.assertEqual((sel["min"], sel["max"]), (0, 0), "%s: nothing selected" % what)

    def drop_and_wait(self, app, dump, *paths, timeout=20):
        """Drops the files and waits for the import's last step, its status line; (bank, status)."""
        app.probe("settext", W.STATUS_LABEL, "--hex", hex_utf8(STATUS_MARK))
        self.drop(dump, *paths)
        status = wait_for(lambda: self.status(app), lambda s: s != STATUS_MARK, timeout=timeout)
        return self.bank(app), status


class DropTest(DropScenario):

    @classmethod
    def setUpClass(cls):
        register_standin()

    @code_page_matters("a Chinese file name handed to the word processor, its text back through the clipboard")
    def test_drop_one_file(self):
        document = self.folder / "第一章 题库.txt"
        document.write_bytes(ANSWERS.encode("gbk"))
        app, dump = self.start()
        self.assertEqual(dump["tab"]["current"], 0, "page at start")
        before = put_original_clipboard(self)
        result = self.drop(dump, document)
        self.assertEqual(result["effect"], 1, "the window takes the file as a copy: %s" % result)

        text = wait_for(lambda: self.bank(app), lambda t: t == ANSWERS)
        self.assertEqual(text, ANSWERS, "answer bank after the drop")
        after = app.dump()
        self.assertEqual(after["tab"]["current"], LOCAL_SEARCH_PAGE, "page after the drop")
        self.check_standard_format(app, "answer bank after the drop")
        self.assertEqual(self.status(app), IDLE_STATUS, "status line after the drop")
        self.check_clipboard_is_the_users(before, "after the drop")
        path = windows_path(document).replace("\\", "\\\\")
        # Macros off before the open, no questions from the start, and a
        # password no box takes, so a protected document cannot wait for one.
        self.assertEqual(self.calls(), [
            "create Application",
            "Application.AutomationSecurity put 3",
            "Application.Visible put false",
            "Application.DisplayAlerts put false",
            "Application.Documents get",
            'Documents.Open method "%s" false true false %s %s' % (path, NO_PASSWORD, NO_PASSWORD),
            "Document.Content get",
            "Range.Copy get",
            "Document.Close method",
            "Application.DisplayAlerts put false",
            "Application.Quit method",
            "release Application",
            "release Documents",
            "release Document",
            "release Range",
        ], "calls on the word processor, in order")
        screenshot(Config.screen_path("drop"), rect_tuple(after["main"]["rect"]))
        self.close_program(app)

    @code_page_matters("the status line names the file: a Chinese name from the drop")
    def test_a_copy_of_nothing_keeps_the_bank(self):
        document = self.folder / "题库.txt"
        document.write_bytes(ANSWERS.encode("gbk"))
        app, dump = self.start("copy-nothing")
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
        before = put_original_clipboard(self)
        self.drop(dump, document)
        status = wait_for(lambda: self.status(app), lambda t: t != IDLE_STATUS)
        self.assertEqual(status, "载入失败：Word 没有复制出 题库.txt 的内容", "status line after the drop")
        self.assertEqual(self.bank(app), BANK, "answer bank after a copy of nothing")
        self.assertEqual(app.dump()["tab"]["current"], LOCAL_SEARCH_PAGE, "page after the drop")
        self.check_standard_format(app, "the answer bank kept")
        self.assertIn("Range.Copy get", self.calls())
        self.check_clipboard_is_the_users(before, "after a copy of nothing")
        time.sleep(0.3)
        self.assertEqual(self.bank(app), BANK, "no delayed paste of the user's clipboard")
        self.close_program(app)

    @code_page_matters("the document's text reaches the box as rich text pasted from the clipboard")
    def test_a_copy_without_text_is_pasted_once(self):
        document = self.folder / "图文.txt"
        document.write_bytes("图文混排的文档".encode("gbk"))
        app, dump = self.start("copy-no-text")
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
        before = put_original_clipboard(self)
        self.drop(dump, document)
        # Word copied rich text alone: the box takes it through the paste 100 ms later.
        text = wait_for(lambda: self.bank(app), lambda t: t not in ("", WAITING, BANK), timeout=5)
        self.assertEqual(text.strip(), "图文混排的文档", "answer bank after the delayed paste")
        self.check_clipboard_is_the_users(before, "after the delayed paste")
        # The timer fired once: emptied again, the box stays empty.
        app.probe("settext", W.ANSWER_BANK, "")
        time.sleep(0.6)
        self.assertEqual(self.bank(app), "", "answer bank 0.6 s after being emptied again")
        self.close_program(app)

    def test_dropping_text_changes_nothing(self):
        app, dump = self.start()
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8("原来的答案"))
        result = self.drop(dump, text="一段拖来的文字")
        self.assertEqual(result["effect"], 0, "the window refuses text: %s" % result)
        time.sleep(0.5)
        after = app.dump()
        self.assertEqual(after["tab"]["current"], 0, "page after dropping text")
        self.assertEqual(self.bank(app), "原来的答案", "answer bank after dropping text")
        self.assertEqual(self.calls(), [], "no call on the word processor")
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
