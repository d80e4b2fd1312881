"""Page switches during long work: the user clicks another tab while a search
colours a long answer bank, and while "读取" fills the notepad with a long
file. When the work ends, only the current page's controls show: the box of
the page left behind stays hidden, and one whose page came back shows.

One code page: which controls show does not depend on it."""

import shutil
import tempfile
import unittest
from pathlib import Path

import test_notepad as N
import window_table as W
from harness import (Config, TavrelTestCase, centre, click_screen, controls_by_id, park_pointer, rect_tuple,
                     screenshot, wait_for, windows_path)

SETTINGS_PAGE, SEARCH_PAGE = 0, 1


def long_bank():
    """About 1 MB: 2,000 lines with 答案, 2,000 with 结论 and 8,000 with 题干; a search takes seconds under Wine."""
    lines = []
    for i in range(12000):
        word = "答案" if i % 6 == 1 else "结论" if i % 6 == 4 else "题干"
        lines.append("第%d题：%s在这一行，下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁\r\n" % (i, word))
    return "".join(lines)


class PageSwitchTest(TavrelTestCase):

    @staticmethod
    def click_tab(dump, page):
        click_screen(*centre(dump["tab"]["items"][page]["screen_rect"]))
        park_pointer()

    def check_page(self, app, page, what, name):
        """Only the controls of `page` show; the screenshot `name` is taken either way."""
        want = W.visible_on(page)
        dump = wait_for(app.dump, lambda d: {c["id"] for c in d["controls"] if c["visible"]} == want, timeout=5)
        screenshot(Config.screen_path(name), rect_tuple(dump["main"]["rect"]))
        self.assertEqual(dump["tab"]["current"], page, "current page %s" % what)
        got = {c["id"] for c in dump["controls"] if c["visible"]}
        self.assertEqual(got, want, "visible controls %s: extra %s, missing %s"
                         % (what, sorted(got - want), sorted(want - got)))

    def test_leaving_the_page_during_a_long_search(self):
        app, dump = self.start_program()
        with tempfile.TemporaryDirectory(prefix="tavrel-switch-") as folder:
            path = Path(folder) / "bank.txt"
            path.write_bytes(long_bank().encode("utf-8"))
            app.probe("settext", W.ANSWER_BANK, "--file", windows_path(path))

        # Left for the settings page, and left and come back. The clicks come
        # back to back; the search handles the tabs' in its pauses for messages.
        search = centre(controls_by_id(dump)[W.SEARCH_BUTTON]["screen_rect"])
        # The second search on the same bank changes only what differs: more hits keep it long.
        for word, hits, pages, name in (("答案", 2000, [SETTINGS_PAGE], "page-switch-search"),
                                        ("题干", 8000, [SETTINGS_PAGE, SEARCH_PAGE], "page-switch-search-back")):
            with self.subTest(pages=pages):
                self.click_tab(dump, SEARCH_PAGE)
                wait_for(app.dump, lambda d: d["tab"]["current"] == SEARCH_PAGE)
                app.probe("settext", W.SEARCH_BOX, "--hex", word.encode("utf-8").hex())
                click_screen(*search)
                for page in pages:
                    self.click_tab(dump, page)
                self.assertEqual(app.probe("gettext", W.STATUS_LABEL)["text"], W.SEARCHING,
                                 "the search still runs after the page switches (a bank too short for this test?)")
                status = wait_for(lambda: app.probe("gettext", W.STATUS_LABEL)["text"],
                                  lambda t: t != W.SEARCHING, timeout=180)
                self.assertEqual(status, W.found_report(hits), "status after the search")
                self.check_page(app, pages[-1], "after the search", name)
        self.close_program(app)

    def test_leaving_the_notepad_during_a_long_read(self):
        home = Path(tempfile.mkdtemp(prefix="tavrel-switch-")) / "考试 工具"
        home.mkdir()
        self.addCleanup(shutil.rmtree, home.parent, ignore_errors=True)
        shutil.copy2(Config.program(), home / "Tavrel.exe")
        shutil.copy2(Config.program().parent / "wke.dll", home / "wke.dll")
        data = "".join("第%d题：答案在这一行\r\n" % i for i in range(50000)).encode("gbk")
        (home / N.FILE_NAME).write_bytes(data)

        # Each time into an empty box of a program of its own: taking the long
        # text out of the box again would take minutes under Wine.
        for pages, name in (([SETTINGS_PAGE], "page-switch-notepad"),
                            ([SETTINGS_PAGE, N.NOTEPAD_PAGE], "page-switch-notepad-back")):
            with self.subTest(pages=pages):
                app, dump = self.start_program(exe=home / "Tavrel.exe")
                try:
                    self.read_and_switch(app, dump, pages, name, data)
                finally:
                    app.stop()  # before the next one starts

    def read_and_switch(self, app, dump, pages, name, data):
        self.click_tab(dump, N.NOTEPAD_PAGE)
        wait_for(app.dump, lambda d: d["tab"]["current"] == N.NOTEPAD_PAGE)
        app.probe("settext", N.STATUS, "-")
        click_screen(*centre(controls_by_id(dump)[N.READ]["screen_rect"]))
        for page in pages:
            self.click_tab(dump, page)
        self.assertEqual(app.probe("gettext", N.STATUS)["text"], "-",
                         "the read still runs after the page switches (a file too short for this test?)")
        status = wait_for(lambda: app.probe("gettext", N.STATUS)["text"], lambda t: t != "-", timeout=180)
        self.assertEqual(status, "读取成功", "status after the read")
        self.check_page(app, pages[-1], "after the read", name)
        self.assertEqual(app.probe("gettext", N.BOX)["length"], len(data.decode("gbk").replace("\r\n", "\r")),
                         "length of the notepad's text")
        self.close_program(app)

if __name__ == "__main__":
    unittest.main()
