"""Tolerant local search: a question that differs from the answer bank in line
breaks, spaces, width or punctuation is still found, one with a character or two
wrong finds its closest passage, one captured from a reviewed paper is found by
its stem, the question with the same options first; a search on an unchanged
bank changes only the highlights that differ, and typing into the bank brings
the whole reset back."""

import subprocess
import tempfile
import unittest
from pathlib import Path

import test_search as S
import window_table as W
from harness import (Config, TavrelTestCase, click_screen, code_page_matters, controls_by_id, rect_tuple, screenshot,
                     wait_for, windows_path)

# The fields of a format that the reset sets; one that differs inside a range
# comes back unmarked. The five effects share their bits with their mask.
EFFECTS = 0x1F
CFM_SIZE, CFM_COLOR, CFM_FACE, CFM_OFFSET = 0x80000000, 0x40000000, 0x20000000, 0x10000000
UNIFORM = EFFECTS | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_OFFSET
CFE_AUTOCOLOR = 0x40000000


def folded_report(n):
    return "搜索完毕，忽略空格、换行、全半角和标点的差异后，一共出现 %d次内容，请点击上、下一条按钮精确定位！" % n


def closest_report(similarity, n):
    return "搜索完毕，没有完全相同的内容；最接近的内容（相似度 %d%%）一共出现 %d处，已标红，请核对！" % (similarity, n)


def stem_report(n):
    return "搜索完毕，忽略题号、题型、分值和选项后，一共出现 %d次内容，请点击上、下一条按钮精确定位！" % n


def position(text, index):
    """The box position of the character at `index` of `text`."""
    return len(S.rich_units(text[:index]))


def span(text, first, last):
    """The box range from the start of `first` to the end of `last` (both in `text`, `last` after `first`)."""
    start = text.index(first)
    end = text.index(last, start) + len(last)
    return (position(text, start), position(text, end))


BANK = ("第一题：下列选项中，正确的是哪一项？（Ａ）光合作用\r\n"
        "第二题：Which one is correct: (A) 2018, B.\r\n"
        "第三题：中华人民共和国成立于一九四九年十月一日\r\n")


# Three questions that share their stem, told apart by their options.
STEM = "下列关于进程的说法中，正确的是"
PAPER_BANK = ("一、单项选择题\r\n"
              "1. " + STEM + "（ ）\r\nA. 进程是程序的一次执行\r\nB. 进程与程序一一对应\r\n"
              "C. 进程没有生命周期\r\nD. 进程不能并发执行\r\n答案：A\r\n"
              "2. " + STEM + "（ ）\r\nA. 一个进程可以包含多个线程\r\nB. 进程控制块由用户程序维护\r\n"
              "C. 就绪进程正在占用处理机\r\nD. 进程切换不需要保存现场\r\n答案：A\r\n"
              "3. " + STEM + "（ ）\r\nA. 进程是静态的\r\nB. 进程之间不能通信\r\n"
              "C. 阻塞进程可以直接运行\r\nD. 进程由进程控制块、程序段和数据段组成\r\n答案：D\r\n")
# The second question as a reviewed paper shows it, dragged over whole: its
# section heading, number, type label, options in the page's order, my answer
# and score, each on its own line.
REVIEWED = ("一、单选题（共30题，60.0分）\r\n"
            "12.【单选题】" + STEM + "____\r\n"
            "A. 进程切换不需要保存现场\r\nB. 就绪进程正在占用处理机\r\n"
            "C. 一个进程可以包含多个线程\r\nD. 进程控制块由用户程序维护\r\n"
            "我的答案：C 得分：2.0分")


def large_bank():
    """About 100 KB: 2,000 lines, 答案 in 200 of them and 结论 in 200 others."""
    lines = []
    for i in range(2000):
        word = "答案" if i % 10 == 3 else "结论" if i % 10 == 7 else "题干"
        lines.append("第%d题：%s下列选项中正确的是 A. 甲 B. 乙 C. 丙\r\n" % (i, word))
    return "".join(lines)


class TolerantSearchTest(S.SearchSteps, TavrelTestCase):

    def check_range_formats(self, app, text, red):
        """The whole text in the standard format but the `red` ranges, checked range by range."""
        length = len(S.rich_units(text))
        ranges, at = [], 0
        for a, b in red:
            if a > at:
                ranges.append((at, a, False))
            ranges.append((a, b, True))
            at = b
        if at < length:
            ranges.append((at, length, False))
        got = app.probe("rangeformats", W.ANSWER_BANK, *[n for a, b, _ in ranges for n in (a, b)])
        wrong = []
        for (a, b, is_red), f in zip(ranges, got):
            colour = 0x0000FF if is_red else 0
            if (f["mask"] & UNIFORM) != UNIFORM or f["effects"] & (EFFECTS | CFE_AUTOCOLOR) or f["color"] != colour \
                    or f["face"] != S.FACE or f["height"] != S.HEIGHT or f["offset"] != 0:
                wrong.append((a, b, "red" if is_red else "standard", f))
        self.assertEqual(len(got), len(ranges), "one answer a range")
        self.assertFalse(wrong, "ranges not in their format (first of %d): %r" % (len(wrong), wrong[:3]))

    @code_page_matters("full-width letters and Chinese punctuation reach the search as GBK converted from UTF-16")
    def test_tolerant_and_closest(self):
        app, dump = self.start_program()
        dump = self.open_search_page(app, dump)

        with self.subTest("line breaks and spaces the bank does not have"):
            status = self.search(app, BANK, "下列选项中，\r\n正确的是 哪一项？")
            self.assertEqual(status, folded_report(1))
            hit = span(BANK, "下列", "哪一项？")
            self.check_formats(app, BANK, [hit])
            self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), hit, "下一条 selects the hit")

        with self.subTest("full-width letters and Chinese punctuation"):
            status = self.search_again(app, "Ｗｈｉｃｈ ｏｎｅ ｉｓ ｃｏｒｒｅｃｔ：（Ａ）２０１８，Ｂ。")
            self.assertEqual(status, folded_report(1))
            self.check_formats(app, BANK, [span(BANK, "Which", "B.")])

        with self.subTest("one character changed, one missing"):
            # 九 became 几 and 于 is missing: 2 edits in 18 characters.
            status = self.search_again(app, "中华人民共和国成立一九四几年十月一日")
            self.assertEqual(status, closest_report(88, 1))
            hit = span(BANK, "中华", "一日")
            self.check_formats(app, BANK, [hit])
            self.assertEqual(self.selection(app), (hit[0], hit[0]), "caret at the start of the passage")
            screenshot(Config.screen_path("search-closest"), rect_tuple(dump["main"]["rect"]))
            self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), hit, "下一条 selects the passage")

        with self.subTest("nothing near the question"):
            status = self.search_again(app, "完全无关的一句话没有出现")
            self.assertEqual(status, W.NOT_FOUND)
            self.check_formats(app, BANK, [])
        with self.subTest("a reviewed paper's question, found by its stem and its options"):
            status = self.search(app, PAPER_BANK, REVIEWED)
            self.assertEqual(status, stem_report(3))
            stems = S.occurrences(PAPER_BANK, STEM)
            self.check_formats(app, PAPER_BANK, stems)
            self.assertEqual(self.selection(app), (stems[2][0], stems[2][0]), "caret at the start of the last stem")
            self.assertEqual(self.press_and_select(app, W.NEXT_BUTTON), stems[1],
                             "下一条 selects the stem of the question with the same options")
            screenshot(Config.screen_path("search-stem"), rect_tuple(dump["main"]["rect"]))
        self.close_program(app)

    def test_formatting_only_what_changes(self):
        # What changes between two searches is the same under every code page.
        app, dump = self.start_program()
        dump = self.open_search_page(app, dump)
        bank = large_bank()
        with tempfile.TemporaryDirectory(prefix="tavrel-tolerant-") as folder:
            path = Path(folder) / "bank.txt"
            path.write_bytes(bank.encode("utf-8"))
            app.probe("settext", W.ANSWER_BANK, "--file", windows_path(path))
        with self.subTest("a second, different search on a 100 KB bank"):
            self.assertEqual(self.search_again(app, "答案"), W.found_report(200))
            self.assertEqual(self.search_again(app, "结论"), W.found_report(200))
            self.check_range_formats(app, bank, S.occurrences(bank, "结论"))

        with self.subTest("typing one character between two searches"):
            # The letter goes between 结 and 论 of the first 结论, and takes its red.
            box = controls_by_id(dump)[W.ANSWER_BANK]["screen_rect"]
            click_screen(box["left"] + 40, box["top"] + 40)
            first = S.occurrences(bank, "结论")[0][0]
            app.probe("setsel", W.ANSWER_BANK, first + 1, first + 1)
            subprocess.run(["xdotool", "type", "--delay", "80", "x"], check=True, timeout=20)
            typed = bank.replace("结论", "结x论", 1)
            wait_for(lambda: app.probe("gettext", W.ANSWER_BANK)["length"],
                     lambda n: n == len(S.rich_units(typed)))
            self.assertEqual(self.search_again(app, "答案"), W.found_report(200))
            # Nothing of the old highlights may stay: the letter and 论 are back to the standard format.
            self.check_range_formats(app, typed, S.occurrences(typed, "答案"))
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
