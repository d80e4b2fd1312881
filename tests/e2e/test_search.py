"""Local search: occurrences turn red, the report counts them, 下一条 / 上一条 select them."""

import unittest

import window_table as W
from harness import (Config, Image, TavrelTestCase, click_screen, code_page_matters, controls_by_id, hex_utf8,
                     is_dark, is_reddish, park_pointer, rect_tuple, screenshot, wait_for)

RED = 0x0000FF
BLACK = 0x000000
FACE = "宋体"
HEIGHT = 180  # 9 points in twentieths


def rich_units(text):
    """The text as a rich edit box holds it: UTF-16 code units, CR LF kept as one CR."""
    data = text.encode("utf-16-le")
    units = [data[i:i + 2].decode("utf-16-le", "surrogatepass") for i in range(0, len(data), 2)]
    out = []
    for u in units:
        if u == "\n" and out and out[-1] == "\r":
            continue
        out.append(u)
    return out


def occurrences(text, word):
    """(start, end) character positions of each non-overlapping occurrence of word, left to right."""
    units, needle = rich_units(text), rich_units(word)
    found, i = [], 0
    while needle and i + len(needle) <= len(units):
        if units[i:i + len(needle)] == needle:
            found.append((i, i + len(needle)))
            i += len(needle)
        else:
            i += 1
    return found


def expected_runs(length, red):
    """Runs of (from, to, colour, face, height, offset, effects): red stretches, the rest black."""
    colours = [BLACK] * length
    for a, b in red:
        for i in range(a, b):
            colours[i] = RED
    runs = []
    for i, c in enumerate(colours):
        if runs and runs[-1][2] == c:
            runs[-1][1] = i + 1
        else:
            runs.append([i, i + 1, c])
    return [(a, b, c, FACE, HEIGHT, 0, 0) for a, b, c in runs]


def actual_runs(formats):
    return [(r["from"], r["to"], r["color"], r["face"], r["height"], r["offset"], r["effects"])
            for r in formats["runs"]]


class SearchSteps:
    """Steps of a local search scenario, shared by the exact and the tolerant search tests."""

    def open_search_page(self, app, dump):
        item = dump["tab"]["items"][1]["screen_rect"]
        click_screen(item["left"] + item["width"] // 2, item["top"] + item["height"] // 2)
        park_pointer()
        shown = wait_for(app.dump, lambda d: d["tab"]["current"] == 1)
        self.assertEqual(shown["tab"]["current"], 1, "page after clicking tab 1")
        return shown

    def search(self, app, bank, word):
        set_bank = app.probe("settext", W.ANSWER_BANK, "--hex", hex_utf8(bank))
        self.assertEqual(set_bank["text"].replace("\r\n", "\n"), bank.replace("\r\n", "\n"), "answer bank as set")
        set_word = app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(word))
        self.assertEqual(set_word["text"], word, "search box as set")
        app.probe("press", W.SEARCH_BUTTON)
        status = wait_for(lambda: app.probe("gettext", W.STATUS_LABEL)["text"],
                          lambda t: t != W.SEARCHING and t.startswith("搜索完毕"))
        return status

    def selection(self, app):
        sel = app.probe("sel", W.ANSWER_BANK)
        return (sel["min"], sel["max"])

    def press_and_select(self, app, button):
        app.probe("press", button)
        return self.selection(app)

    def check_formats(self, app, bank, red):
        formats = app.probe("formats", W.ANSWER_BANK)
        length = len(rich_units(bank))
        self.assertEqual(formats["length"], length, "character positions in the answer bank")
        self.assertEqual(actual_runs(formats), expected_runs(length, red),
                         "character formats of the answer bank (from, to, colour, face, height, offset, "
                         "effects); text %r" % formats["text"])

    def search_again(self, app, word):
        """A second search over the text already in the answer bank."""
        app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(word))
        app.probe("press", W.SEARCH_BUTTON)
        return wait_for(lambda: app.probe("gettext", W.STATUS_LABEL)["text"],
                        lambda t: t != W.SEARCHING and t.startswith("搜索完毕"))


class SearchTest(SearchSteps, TavrelTestCase):

    @code_page_matters("the bank and the question reach the search as GBK converted from the boxes' UTF-16")
    def test_two_occurrences_and_navigation(self):
        app, dump = self.start_program()
        dump = self.open_search_page(app, dump)
        bank, word = "甲乙答案丙答案", "答案"
        red = occurrences(bank, word)
        self.assertEqual(red, [(2, 4), (5, 7)])

        status = self.search(app, bank, word)
        self.assertEqual(status, W.found_report(2), "status label after the search")
        path = screenshot(Config.screen_path("search"), rect_tuple(dump["main"]["rect"]))
        self.check_formats(app, bank, red)
        with self.subTest("red on the screen"):
            image, main = Image(path), dump["main"]["rect"]
            box = controls_by_id(dump)[W.ANSWER_BANK]["screen_rect"]
            area = image.region(box["left"] - main["left"], box["top"] - main["top"], box["width"], box["height"])
            self.assertGreater(sum(map(is_reddish, area)), 20, "%s: red pixels in the answer bank" % path)
        self.assertEqual(app.probe("gettext", W.ANSWER_BANK)["text"], bank, "answer bank text after the search")
        self.assertEqual(self.selection(app), (5, 5),
                         "after the search nothing is selected; caret at the start of the last occurrence")

        self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), (2, 4), "下一条, first press")
        self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), (5, 7), "下一条, second press")
        self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), (5, 7), "下一条, third press stays at the last")
        self.assertEqual(self.press_and_select(app, W.PREVIOUS_BUTTON), (2, 4), "上一条 after that")
        self.assertEqual(self.press_and_select(app, W.PREVIOUS_BUTTON), (2, 4), "上一条 stays at the first")
        self.assertEqual(app.probe("gettext", W.STATUS_LABEL)["text"], W.found_report(2),
                         "navigation leaves the report as it was")
        screenshot(Config.screen_path("search-selected"), rect_tuple(dump["main"]["rect"]))
        self.close_program(app)

    def test_search_text_fully_visible(self):
        # The question in the search box must be readable from its first character:
        # nothing may be drawn over the box's left end.
        app, dump = self.start_program()
        dump = self.open_search_page(app, dump)
        app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8("答案答案"))
        path = screenshot(Config.screen_path("search-box"), rect_tuple(dump["main"]["rect"]))
        image, main = Image(path), dump["main"]["rect"]
        box = controls_by_id(dump)[W.SEARCH_BOX]["screen_rect"]
        left, top = box["left"] - main["left"], box["top"] - main["top"]
        columns = [x for x in range(left + 2, left + box["width"] - 2)
                   if any(is_dark(image.pixel(x, y)) for y in range(top + 3, top + box["height"] - 3))]
        self.assertTrue(columns, "%s: no text drawn in the search box" % path)
        self.assertLess(columns[0] - left, 10,
                        "%s: the first character of the search text starts %d px right of the box's left "
                        "edge: something covers the start of the box" % (path, columns[0] - left))
        self.close_program(app)

    def test_nothing_found(self):
        app, dump = self.start_program()
        self.open_search_page(app, dump)
        bank = "甲乙答案丙答案"
        status = self.search(app, bank, "丁")
        self.assertEqual(status, W.NOT_FOUND, "status label after a search that finds nothing")
        self.check_formats(app, bank, [])
        self.assertEqual(self.selection(app), (0, 0), "after a search that finds nothing: caret at the start")

        # Whatever is selected stays selected: there is nothing to step to.
        app.probe("setsel", W.ANSWER_BANK, 1, 3)
        self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), (1, 3), "下一条 after finding nothing")
        self.assertEqual(self.press_and_select(app, W.PREVIOUS_BUTTON), (1, 3), "上一条 after finding nothing")
        self.assertEqual(app.probe("gettext", W.STATUS_LABEL)["text"], W.NOT_FOUND, "report after the presses")
        self.close_program(app)

    @code_page_matters("an emoji GBK cannot hold, converted at the Windows boundary, must not shift the positions")
    def test_line_breaks_and_emoji_before_occurrences(self):
        app, dump = self.start_program()
        self.open_search_page(app, dump)
        bank = "第一题\U0001F600：\r\n甲答案乙\r\n\r\n\U0001F600丙答案"
        word = "答案"
        red = occurrences(bank, word)
        # 第一题 + two units of the emoji + ： + CR = 7; 甲 = 7, so 答案 at 8..10.
        self.assertEqual(red, [(8, 10), (16, 18)])

        status = self.search(app, bank, word)
        self.assertEqual(status, W.found_report(2), "status label")
        self.check_formats(app, bank, red)
        self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), red[0], "下一条 selects the first occurrence")
        self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), red[1], "下一条 selects the second occurrence")
        self.assertEqual(self.press_and_select(app, W.PREVIOUS_BUTTON), red[0], "上一条 selects the first again")
        self.close_program(app)

    def test_new_search_clears_old_highlight(self):
        app, dump = self.start_program()
        self.open_search_page(app, dump)
        bank = "答案一\r\n问题二答案"
        self.assertEqual(self.search(app, bank, "答案"), W.found_report(2))
        status = self.search_again(app, "问题")
        self.assertEqual(status, W.found_report(1), "status label after the second search")
        self.check_formats(app, bank, occurrences(bank, "问题"))
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
