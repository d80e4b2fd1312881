"""Dropped files without a word processor: the stand-in's registration is taken
away from the Wine prefix, as on a machine without Word. Text files in every
encoding and a .docx load as themselves, several files in one drop load one
after the other, a file that cannot be read keeps the bank and is named in the
status line, the user's clipboard stays as it was, and two drops in quick
succession leave the box holding exactly the second document."""

import io
import time
import unittest
import zipfile

import window_table as W
from harness import Config, code_page_matters, hex_utf8, rect_tuple, screenshot, wait_for
from test_capture import put_original_clipboard
from test_drop import BANK, IDLE_STATUS, LOCAL_SEARCH_PAGE, DropScenario, register_standin

ANSWERS = "第一题：答案 A\r\n第二题：答案 B（全角括号）\r\nThe end."

W_NS = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"


def docx(body):
    """A .docx made as a word processor makes one, around the body XML."""
    document = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
                '<w:document xmlns:w="%s"><w:body>%s</w:body></w:document>' % (W_NS, body))
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/'
                   '2006/content-types"><Override PartName="/word/document.xml" ContentType="application/'
                   'vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
        z.writestr("word/document.xml", document.encode("utf-8"))
    return data.getvalue()


def run(text):
    return "<w:r><w:t xml:space=\"preserve\">%s</w:t></w:r>" % text


def paragraph(*parts):
    return "<w:p>%s</w:p>" % "".join(parts)


# Chinese text, a tab, a line break, a deleted revision, a field and a table.
DOCX_BODY = "".join([
    paragraph(run("第一题："), run("答案"), "<w:r><w:tab/></w:r>", run("A")),
    paragraph(run("第二行"), "<w:r><w:br/></w:r>", run("换行后")),
    paragraph(run("保留"), "<w:del w:id=\"1\" w:author=\"x\"><w:r><w:delText>删掉的</w:delText></w:r></w:del>",
              run("文字")),
    paragraph(run("页码："), "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>",
              "<w:r><w:instrText xml:space=\"preserve\"> PAGE </w:instrText></w:r>",
              "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>", run("3"),
              "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"),
    "<w:tbl>%s</w:tbl>" % "".join(
        "<w:tr>%s</w:tr>" % "".join("<w:tc>%s</w:tc>" % paragraph(run(cell)) for cell in row)
        for row in (("甲", "乙"), ("丙", "丁"))),
    paragraph(run("完")),
])
DOCX_TEXT = "第一题：答案\tA\r\n第二行\r\n换行后\r\n保留文字\r\n页码：3\r\n甲\t乙\r\n丙\t丁\r\n完\r\n"


def zip_bomb():
    """document.xml of 80 MB of spaces: a few hundred kilobytes packed."""
    data = io.BytesIO()
    with zipfile.ZipFile(data, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("word/document.xml", b"<w:document>" + b" " * (80 << 20) + b"</w:document>")
    return data.getvalue()


def long_text(kind, lines):
    return "".join("%s的第 %d 行：甲乙丙丁 ABCD\r\n" % (kind, i) for i in range(lines))


class DropWithoutWordTest(DropScenario):

    @classmethod
    def setUpClass(cls):
        register_standin("--remove")

    @classmethod
    def tearDownClass(cls):
        # The rest of the tests share the prefix and expect the stand-in there.
        register_standin()

    def write(self, name, data):
        path = self.folder / name
        path.write_bytes(data)
        return path

    @code_page_matters("Chinese file names from the drop, and every encoding turned into the box's UTF-16")
    def test_drop_without_word(self):
        app, dump = self.start()
        app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
        before = put_original_clipboard(self)

        with self.subTest("files only Word could read, or damaged ones, keep the bank"):
            cases = [
                ("题库.doc", b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1\x00\x00\x01", "没有找到 Word，无法读取 题库.doc"),
                ("坏的.docx", b"PK\x03\x04" + b"\x00" * 40, "坏的.docx 已损坏，无法解压"),
                ("炸弹.docx", zip_bomb(), "炸弹.docx 解压后过大，可能是恶意的压缩文件"),
            ]
            for name, data, reason in cases:
                bank, status = self.drop_and_wait(app, dump, self.write(name, data))
                self.assertEqual((bank, status), (BANK, "载入失败：" + reason), "(bank, status) after dropping %s" % name)
            self.assertEqual(app.dump()["tab"]["current"], LOCAL_SEARCH_PAGE, "page after a failed drop")
            self.check_standard_format(app, "the answer bank kept")

        with self.subTest("every encoding and the .docx load as themselves"):
            files = [
                ("utf8.txt", ANSWERS.encode("utf-8"), ANSWERS),
                ("utf8-bom.txt", b"\xef\xbb\xbf" + ANSWERS.encode("utf-8"), ANSWERS),
                ("gbk.txt", ANSWERS.encode("gbk"), ANSWERS),
                ("utf16le.txt", b"\xff\xfe" + ANSWERS.encode("utf-16-le"), ANSWERS),
                ("utf16be.txt", b"\xfe\xff" + ANSWERS.encode("utf-16-be"), ANSWERS),
                ("题库.docx", docx(DOCX_BODY), DOCX_TEXT),
            ]
            for name, data, text in files:
                app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(BANK))
                bank, status = self.drop_and_wait(app, dump, self.write(name, data))
                self.assertEqual((bank, status), (text, IDLE_STATUS), "(bank, status) after dropping %s" % name)
            self.check_standard_format(app, "the .docx's text")

        with self.subTest("two files in one drop load both, a third that fails is named"):
            first = self.write("甲.txt", "甲的内容".encode("gbk"))
            second = self.write("乙.txt", "乙的内容\r\n".encode("utf-8"))
            bank, status = self.drop_and_wait(app, dump, first, self.folder / "没有.txt", second)
            self.assertEqual((bank, status), ("甲的内容\r\n\r\n乙的内容\r\n", "载入失败：找不到文件 没有.txt"),
                             "(bank, status) after dropping three files")
            screenshot(Config.screen_path("drop-failed"), rect_tuple(app.dump()["main"]["rect"]))

        with self.subTest("the clipboard is the user's"):
            self.check_clipboard_is_the_users(before, "after the drops")
        self.close_program(app)

    def test_two_quick_drops_leave_exactly_the_second_document(self):
        # Which import wins does not depend on the code page.
        app, dump = self.start()
        before = put_original_clipboard(self)
        # The first is long enough to be filled in many pieces (seconds
        # here), and the second drop follows it half a second later.
        first_text, second_text = long_text("第一份", 8000), long_text("第二份", 400)
        first = self.write("第一份.txt", first_text.encode("utf-8"))
        second = self.write("第二份.txt", second_text.encode("utf-8"))
        self.drop(dump, first, "--then", second)
        during = self.bank(app)
        self.assertTrue(during != first_text, "the first import was still running at the second drop")
        bank = wait_for(lambda: self.bank(app), lambda b: b == second_text, timeout=60, interval=1.0)
        time.sleep(1.0)  # nothing of the first may follow
        bank = self.bank(app)
        self.assertTrue(bank == second_text, "answer bank after two quick drops: %d characters, "
                        "starts %r, ends %r" % (len(bank), bank[:30], bank[-30:]))
        self.assertEqual(self.status(app), IDLE_STATUS)
        self.check_clipboard_is_the_users(before, "after two quick drops")
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
