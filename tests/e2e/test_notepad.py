"""Notepad: the real buttons clicked on page "简单记事本" of a copy of the program
kept in a folder with a Chinese name; the status line and the bytes of
"我的文件.txt" beside that copy."""

import os
import shutil
import stat
import subprocess
import tempfile
import unittest
from pathlib import Path

import window_table as W
from harness import (Config, TavrelTestCase, click_screen, controls_by_id, park_pointer, rect_tuple, run_probe,
                     screenshot, wait_for)

NOTEPAD_PAGE = 4
STATUS = 1027
NEW, READ, SAVE, FORMAT = 1028, 1029, 1030, 1031
BOX = W.NOTEPAD
FILE_NAME = "我的文件.txt"

TEXT = "第一题：答案 A\r\n第二题：答案 B（全角）\r\nEnd."


def hex_utf8(text):
    return text.encode("utf-8").hex()


class NotepadTest(TavrelTestCase):

    def setUp(self):
        self.home = Path(tempfile.mkdtemp(prefix="tavrel-notepad-")) / "考试 工具"
        self.home.mkdir()
        shutil.copy2(Config.program(), self.home / "Tavrel.exe")
        # The program starts its web engine with the window: the engine library
        # goes beside the copy, as it does beside the original.
        shutil.copy2(Config.program().parent / "wke.dll", self.home / "wke.dll")
        self.file = self.home / FILE_NAME
        self.addCleanup(self.remove_home)

    def remove_home(self):
        if self.file.exists():
            os.chmod(self.file, stat.S_IRUSR | stat.S_IWUSR)
        shutil.rmtree(self.home.parent, ignore_errors=True)

    def start(self):
        app, dump = self.start_program(exe=self.home / "Tavrel.exe")
        item = dump["tab"]["items"][NOTEPAD_PAGE]["screen_rect"]
        click_screen(item["left"] + item["width"] // 2, item["top"] + item["height"] // 2)
        park_pointer()
        dump = wait_for(app.dump, lambda d: d["tab"]["current"] == NOTEPAD_PAGE)
        self.assertEqual(dump["tab"]["current"], NOTEPAD_PAGE, "page after clicking the tab 简单记事本")
        return app, dump

    def click(self, app, dump, button, expect):
        """A user's click on a notepad button; returns the status line once it shows `expect`."""
        r = controls_by_id(dump)[button]["screen_rect"]
        click_screen(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)
        park_pointer()
        return wait_for(lambda: app.probe("gettext", STATUS)["text"], lambda t: t == expect)

    def box_text(self, app):
        return app.probe("gettext", BOX)["text"]

    def set_box(self, app, text):
        got = app.probe("settext", BOX, "--hex", hex_utf8(text))["text"]
        self.assertEqual(got, text, "notepad box as set")

    def leftovers(self):
        return sorted(p.name for p in self.home.iterdir() if p.name not in ("Tavrel.exe", "wke.dll", FILE_NAME))

    def test_save_new_read(self):
        app, dump = self.start()
        self.set_box(app, TEXT)
        self.assertEqual(self.click(app, dump, SAVE, "保存成功"), "保存成功", "status after 保存")
        self.assertEqual(self.file.read_bytes(), TEXT.encode("gbk"), "bytes of %s" % self.file)
        self.assertEqual(self.leftovers(), [], "files left beside the program")

        self.assertEqual(self.click(app, dump, NEW, "新建成功"), "新建成功", "status after 新建")
        self.assertEqual(self.box_text(app), "", "box after 新建")
        self.assertEqual(self.file.read_bytes(), TEXT.encode("gbk"), "新建 leaves the file alone")

        self.assertEqual(self.click(app, dump, READ, "读取成功"), "读取成功", "status after 读取")
        self.assertEqual(self.box_text(app), TEXT, "box after 读取")
        screenshot(Config.screen_path("notepad"), rect_tuple(dump["main"]["rect"]))

        # An empty box saves an empty file (the status line reads "新建成功" first,
        # so the wait below sees the save's own text).
        self.click(app, dump, NEW, "新建成功")
        self.assertEqual(self.click(app, dump, SAVE, "保存成功"), "保存成功", "status after saving an empty box")
        self.assertEqual(self.file.read_bytes(), b"", "file after saving an empty box")
        self.close_program(app)

    def test_read_failures_keep_the_text(self):
        app, dump = self.start()
        self.set_box(app, "还没保存的答案")
        status = self.click(app, dump, READ, "读取失败：文件不存在")
        self.assertEqual(status, "读取失败：文件不存在", "status after 读取 without a file")
        self.assertEqual(self.box_text(app), "还没保存的答案", "box after a failed 读取")

        self.file.write_bytes("甲乙".encode("gbk") + b"\0" + "丙丁".encode("gbk"))
        self.assertEqual(self.click(app, dump, READ, "读取成功"), "读取成功")
        self.assertEqual(self.box_text(app), "甲乙", "box after reading a file with a zero byte")
        self.close_program(app)

    def test_save_onto_a_read_only_file_fails(self):
        app, dump = self.start()
        old = "旧的内容".encode("gbk")
        self.file.write_bytes(old)
        os.chmod(self.file, stat.S_IRUSR)
        self.set_box(app, "新的内容")
        status = self.click(app, dump, SAVE, "保存失败：文件只读或无权访问")
        self.assertEqual(status, "保存失败：文件只读或无权访问", "status after saving onto a read-only file")
        self.assertEqual(self.file.read_bytes(), old, "the read-only file keeps its bytes")
        self.assertEqual(self.box_text(app), "新的内容", "the box keeps the text")
        self.assertEqual(self.leftovers(), [], "files left beside the program")

        os.chmod(self.file, stat.S_IRUSR | stat.S_IWUSR)
        self.assertEqual(self.click(app, dump, SAVE, "保存成功"), "保存成功", "the same save once writable")
        self.assertEqual(self.file.read_bytes(), "新的内容".encode("gbk"))
        self.close_program(app)

    def test_format(self):
        app, dump = self.start()
        # Pasted as rich text: bold, red and another face in places.
        rtf = ("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}"
               "\\f0\\fs40\\b\\cf1 Bold red\\b0\\cf0\\par \\f1\\fs28\\i italic \\u31572?\\u26696?\\i0\\par plain}")
        run_probe("clipput", "Rich Text Format=" + rtf.encode("ascii").hex())
        box = controls_by_id(dump)[BOX]["screen_rect"]
        click_screen(box["left"] + 40, box["top"] + 40)
        subprocess.run(["xdotool", "key", "ctrl+v"], check=True, timeout=20)
        park_pointer()
        pasted = wait_for(lambda: self.box_text(app), lambda t: "plain" in t)
        self.assertIn("Bold red", pasted, "the pasted rich text")
        before = app.probe("formats", BOX)
        self.assertGreater(len(before["runs"]), 1, "the pasted text has several formats: %s" % before["runs"])

        self.assertEqual(self.click(app, dump, FORMAT, "文字格式化成功"), "文字格式化成功", "status after 格式化")
        after = app.probe("formats", BOX)
        runs = [(r["from"], r["to"], r["color"], r["face"], r["height"], r["offset"], r["effects"])
                for r in after["runs"]]
        self.assertEqual(runs, [(0, after["length"], 0, "宋体", 180, 0, 0)],
                         "formats after 格式化 (from, to, colour, face, height, offset, effects)")
        sel = app.probe("sel", BOX)
        self.assertEqual((sel["min"], sel["max"]), (0, 0), "nothing selected after 格式化")
        self.assertEqual(self.box_text(app), pasted, "格式化 keeps the text")
        screenshot(Config.screen_path("notepad-format"), rect_tuple(dump["main"]["rect"]))
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
