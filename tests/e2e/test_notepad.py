"""Notepad: the real buttons clicked on page "简单记事本" of a copy of the program
kept in a folder with a Chinese name; the status line and the bytes of
"我的文件.txt" beside that copy."""

import os
import shutil
import stat
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import window_table as W
from harness import (Config, TavrelTestCase, centre, click_screen, code_page_matters, controls_by_id, hex_utf8,
                     park_pointer, rect_tuple, run_probe, screenshot, wait_for)

ANSWER_PAGE = 1
NOTEPAD_PAGE = 4
STATUS = 1027
NEW, READ, SAVE, FORMAT = 1028, 1029, 1030, 1031
BOX = W.NOTEPAD
FILE_NAME = "我的文件.txt"

TEXT = "第一题：答案 A\r\n第二题：答案 B（全角）\r\nEnd."


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

    @code_page_matters("a file name in a folder with a Chinese name, and the box's text saved as GBK")
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
        cut = "读取不完整：只显示了前 4 字节，文件共 9 字节"
        self.assertEqual(self.click(app, dump, READ, cut), cut, "status after reading a file with a zero byte")
        self.assertEqual(self.box_text(app), "甲乙", "box after reading a file with a zero byte")
        self.close_program(app)

    def test_save_after_a_read_that_did_not_show_the_whole_file_asks_first(self):
        app, dump = self.start()
        # UTF-8 with a byte order mark and a stray byte after 20 bytes of text.
        data = b"\xef\xbb\xbf" + "ab第一题abcdef".encode("utf-8") + b"\xff" + b"z" * 32
        self.file.write_bytes(data)
        cut = "读取不完整：只显示了前 20 字节，文件共 53 字节"
        self.assertEqual(self.click(app, dump, READ, cut), cut, "status after reading the file")
        question = ("读取时只显示了文件的前 20 字节，文件共 53 字节。\n保存会用框里的文字替换整个文件，"
                    "后面的 33 字节将会丢失。\n\n仍要保存吗？")
        # The real message box. Return takes the default answer, 否 (after a click
        # on the box's text, which gives it the keyboard); then a click on 是.
        for answer, status, left in (("Return", "没有保存，文件保持原样", data),
                                     ("是", "已保存 20 字节（UTF-8 BOM），替换了原来的 53 字节", data[:20])):
            with self.subTest(answer=answer):
                app.probe("settext", STATUS, "-")
                click_screen(*centre(controls_by_id(dump)[SAVE]["screen_rect"]))
                park_pointer()
                wait_for(lambda: [w for w in run_probe("toplevel") if w["pid"] == app.pid and w["class"] == "#32770"],
                         lambda found: found)
                box = run_probe("window", "#32770")
                self.assertEqual(box["title"], "简单记事本", "the message box's title")
                texts = {c["text"].replace("\r", ""): c for c in box["children"] if c["visible"]}
                self.assertIn(question, texts, "the question among %s" % list(texts))
                buttons = {c["id"]: c["text"] for c in box["children"] if c["class"].lower() == "button"}
                self.assertEqual(sorted(buttons), [6, 7], "是 and 否 (IDYES, IDNO): %s" % buttons)
                screenshot(Config.screen_path("notepad-question"), rect_tuple(box["rect"]))
                if answer == "Return":
                    click_screen(*centre(texts[question]["screen_rect"]))
                    subprocess.run(["xdotool", "key", "Return"], check=True, timeout=20)
                else:
                    yes = [c for c in box["children"] if c["id"] == 6][0]
                    click_screen(*centre(yes["screen_rect"]))
                park_pointer()
                self.assertEqual(wait_for(lambda: app.probe("gettext", STATUS)["text"], lambda t: t != "-"), status,
                                 "status after answering %s" % answer)
                self.assertEqual(self.file.read_bytes(), left, "the file after answering %s" % answer)
                self.assertEqual(self.leftovers(), [], "files left beside the program")
        # The file is what the box shows now: saved again without a question.
        self.assertEqual(self.click(app, dump, SAVE, "保存成功（UTF-8 BOM）"), "保存成功（UTF-8 BOM）",
                         "the next save")
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

    def test_one_tab_key_press_types_one_tab(self):
        app, dump = self.start()
        # The notepad last: its text is saved at the end.
        for page, box in ((ANSWER_PAGE, W.ANSWER_BANK), (NOTEPAD_PAGE, BOX)):
            with self.subTest(box=box):
                click_screen(*centre(dump["tab"]["items"][page]["screen_rect"]))
                wait_for(app.dump, lambda d: d["tab"]["current"] == page)
                r = controls_by_id(dump)[box]["screen_rect"]
                click_screen(r["left"] + 40, r["top"] + 20)
                subprocess.run(["xdotool", "type", "--delay", "60", "ab"], check=True, timeout=20)
                subprocess.run(["xdotool", "key", "--delay", "60", "Tab", "c", "d"], check=True, timeout=20)
                typed = wait_for(lambda: app.probe("gettext", box)["text"], lambda t: t.endswith("cd"))
                self.assertEqual(typed, "ab\tcd", "text after typing a b Tab c d")
        self.click(app, dump, SAVE, "保存成功")
        self.assertEqual(self.file.read_bytes(), b"ab\tcd", "the file saved after typing a b Tab c d")
        self.close_program(app)

    @code_page_matters("each encoding turned into the box's UTF-16 and back")
    def test_every_encoding_reads_and_saves_back_unchanged(self):
        app, dump = self.start()
        text = "第一题：答案 A\r\n\U0001F600 ünicode\r\n"
        files = [
            ("读取成功", "保存成功", "第一题：答案 A\r\nB 选项\r\n".encode("gbk")),
            ("读取成功（UTF-8）", "保存成功（UTF-8）", text.encode("utf-8")),
            ("读取成功（UTF-8 BOM）", "保存成功（UTF-8 BOM）", text.encode("utf-8-sig")),
            ("读取成功（UTF-16 LE）", "保存成功（UTF-16 LE）", text.encode("utf-16")),  # little-endian, BOM first
            ("读取成功（UTF-16 BE）", "保存成功（UTF-16 BE）", b"\xfe\xff" + text.encode("utf-16-be")),
        ]
        for read, saved, data in files:
            with self.subTest(status=read):
                self.file.write_bytes(data)
                self.assertEqual(self.click(app, dump, READ, read), read, "status after 读取")
                shown = data.decode("gbk") if read == "读取成功" else text
                self.assertEqual(self.box_text(app), shown, "box after 读取")
                self.assertEqual(self.click(app, dump, SAVE, saved), saved, "status after 保存")
                self.assertEqual(self.file.read_bytes(), data, "the file after 读取 and 保存 unchanged")
        # A character GBK lacks, typed into a GBK note (an empty file reads as
        # GBK): kept, and said so.
        self.file.write_bytes(b"")
        self.assertEqual(self.click(app, dump, READ, "读取成功"), "读取成功", "status after reading an empty file")
        self.set_box(app, "笔记 \U0001F600")
        moved = "已改存为 UTF-8：有 1 个字符 GBK 存不下"
        self.assertEqual(self.click(app, dump, SAVE, moved), moved, "status after saving an emoji into a GBK file")
        self.assertEqual(self.file.read_bytes(), "笔记 \U0001F600".encode("utf-8"), "the file keeps the emoji")
        self.close_program(app)

    def test_two_quick_clicks_on_read_leave_the_file_in_the_box_once(self):
        app, dump = self.start()
        data = "".join("第%d题：答案在这一行\r\n" % i for i in range(8000)).encode("gbk")
        self.file.write_bytes(data)
        x, y = centre(controls_by_id(dump)[READ]["screen_rect"])
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "150", "1"],
                       check=True, timeout=20)
        park_pointer()
        wait_for(lambda: app.probe("gettext", STATUS)["text"], lambda t: t == "读取成功", timeout=60)
        # That may be the first read's status while the second still fills the
        # box. Clicks are handled in the order made, and "保存" is refused while
        # a read fills the box: the first save that succeeds comes after both.
        # (A refusal may be overwritten at once by the second read's own
        # "读取成功": that asks for another click too.)
        save = centre(controls_by_id(dump)[SAVE]["screen_rect"])
        status = None
        for _ in range(30):
            app.probe("settext", STATUS, "-")  # so that each answer is seen anew
            click_screen(*save)
            park_pointer()
            status = wait_for(lambda: app.probe("gettext", STATUS)["text"], lambda t: t != "-", timeout=60)
            if status == "保存成功":
                break
            time.sleep(0.5)
        self.assertEqual(status, "保存成功", "status after 保存 once no read fills the box")
        shown = app.probe("gettext", BOX)["text"]
        self.assertEqual(len(shown), len(data.decode("gbk")), "length of the box's text after two quick clicks")
        self.assertTrue(shown == data.decode("gbk"), "the box holds the file exactly once")
        self.assertEqual(self.file.read_bytes(), data, "the file saved after two quick reads")
        self.close_program(app)

    @code_page_matters("rich text pasted from the clipboard, and the face 宋体 set through the Windows boundary")
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
