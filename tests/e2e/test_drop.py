"""Document import: files dropped on the running window through OLE (as the
shell drops them) open in the stand-in word processor, registered in the Wine
prefix as "Word.Application"; their text becomes the answer bank."""

import json
import shutil
import tempfile
import time
import unittest
from pathlib import Path

import window_table as W
from harness import (Config, TavrelTestCase, rect_tuple, run_probe, run_windows_program, screenshot, wait_for,
                     windows_path)

LOCAL_SEARCH_PAGE = 1
WAITING = "正在载入拖入的文档，请稍后……"
ANSWERS = "第一题：下列选项中正确的是 A\r\n第二题：答案 B（全角括号）\r\nThe end."


def hex_utf8(text):
    return text.encode("utf-8").hex()


def hex_utf16(text):
    return (text + "\0").encode("utf-16-le").hex()


def standin_folder():
    return Config.bin_dir / "word-standin"


def register_standin():
    exe = standin_folder() / "word_standin_register.exe"
    if not exe.is_file():
        raise AssertionError("stand-in word processor not built: %s" % exe)
    code, out, err = run_windows_program(exe, [], 120)
    if code != 0:
        raise AssertionError("registering the stand-in word processor failed (%s): %s %s"
                             % (code, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")))


class DropTest(TavrelTestCase):

    @classmethod
    def setUpClass(cls):
        register_standin()

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="tavrel-drop-")) / "答案 文件"
        self.folder.mkdir()
        self.addCleanup(shutil.rmtree, self.folder.parent, ignore_errors=True)
        self.log = self.folder.parent / "word-calls.log"

    def start(self):
        return self.start_program(env={"TAVREL_WORD_STANDIN_LOG": windows_path(self.log)})

    def drop_point(self, dump):
        """Blank client area of the window: below the check boxes of page 0, right of the engine boxes."""
        main = dump["main"]["rect"]
        return main["left"] + 480, main["top"] + 380

    def drop(self, dump, *paths, text=None):
        x, y = self.drop_point(dump)
        words = [x, y] + (["--text", text] if text is not None else [windows_path(p) for p in paths])
        code, out, err = run_windows_program(Config.bin_dir / "drop_files.exe", words, 60)
        self.assertEqual(code, 0, "drop_files %s: %s %s" % (words, out, err))
        return json.loads(out.decode("utf-8").strip().splitlines()[-1])

    def calls(self):
        return self.log.read_text("utf-8").splitlines() if self.log.exists() else []

    def bank(self, app):
        return app.probe("gettext", W.ANSWER_BANK)["text"]

    def check_standard_format(self, app, what):
        formats = app.probe("formats", W.ANSWER_BANK)
        runs = [(r["from"], r["to"], r["color"], r["face"], r["height"], r["offset"], r["effects"])
                for r in formats["runs"]]
        expected = [(0, formats["length"], 0, "宋体", 180, 0, 0)] if formats["length"] else []
        self.assertEqual(runs, expected, "%s: formats (from, to, colour, face, height, offset, effects)" % what)
        sel = formats["selection"]
        self.assertEqual((sel["min"], sel["max"]), (0, 0), "%s: nothing selected" % what)

    def test_drop_one_file(self):
        document = self.folder / "第一章 题库.txt"
        document.write_bytes(ANSWERS.encode("gbk"))
        app, dump = self.start()
        self.assertEqual(dump["tab"]["current"], 0, "page at start")
        result = self.drop(dump, document)
        self.assertEqual(result["effect"], 1, "the window takes the file as a copy: %s" % result)

        text = wait_for(lambda: self.bank(app), lambda t: t == ANSWERS)
        self.assertEqual(text, ANSWERS, "answer bank after the drop")
        after = app.dump()
        self.assertEqual(after["tab"]["current"], LOCAL_SEARCH_PAGE, "page after the drop")
        self.check_standard_format(app, "answer bank after the drop")
        self.assertEqual(run_probe("cliptext")["text"], ANSWERS, "the clipboard holds the document's text")
        path = windows_path(document).replace("\\", "\\\\")
        self.assertEqual(self.calls(), [
            "create Application",
            "Application.Visible put false",
            "Application.Documents get",
            'Documents.Open method "%s" false true' % path,
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

    def test_drop_of_two_files_gives_the_clipboards_text(self):
        first, second = self.folder / "甲.txt", self.folder / "乙.txt"
        first.write_bytes("甲的内容".encode("gbk"))
        second.write_bytes("乙的内容".encode("gbk"))
        app, dump = self.start()
        run_probe("clipput", "13=" + hex_utf16("早先复制的内容"))
        self.drop(dump, first, second)
        text = wait_for(lambda: self.bank(app), lambda t: t not in ("", WAITING))
        self.assertEqual(text, "早先复制的内容", "answer bank after dropping two files")
        self.assertEqual(app.dump()["tab"]["current"], LOCAL_SEARCH_PAGE, "page after the drop")
        self.check_standard_format(app, "answer bank after dropping two files")
        opens = [c for c in self.calls() if c.startswith("Documents.Open")]
        self.assertTrue(opens and opens[0].endswith("failed"), "the open of the joined names fails: %s" % opens)
        self.assertIn("Application.Quit method", self.calls())
        self.close_program(app)

    def test_empty_result_pastes_once(self):
        app, dump = self.start()
        # Only rich text on the clipboard: the import reads no text from it, the paste does.
        rtf = "{\\rtf1\\ansi pasted later}"
        run_probe("clipput", "Rich Text Format=" + rtf.encode("ascii").hex())
        self.drop(dump, self.folder / "a.doc", self.folder / "b.doc")
        text = wait_for(lambda: self.bank(app), lambda t: t not in ("", WAITING), timeout=5)
        self.assertEqual(text.strip(), "pasted later", "answer bank 100 ms after an import that gave nothing")
        self.assertEqual(app.dump()["tab"]["current"], LOCAL_SEARCH_PAGE)
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
