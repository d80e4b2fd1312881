"""Window options and web-search dispatch, driven by a user's clicks and keys:
"窗口透明" and the alpha slider, the three engine boxes, and a click on the tab
"IE内核浏览器" loading the search text into the checked engine's query URL.
"""

import subprocess
import time
import unittest

import window_table as W
from harness import (TavrelTestCase, centre, click_screen, code_page_matters, controls_by_id, hex_utf8, park_pointer,
                     run_probe, wait_for)

TOPMOST_BOX = 1002      # 选择框1 "自动置顶"
TRANSPARENT_BOX = 1003  # 选择框2 "窗口透明"
SLIDER = 1004           # 滑块条1
BAIDU_BOX = 1009        # 选择框4 "百度引擎"
SOGOU_BOX = 1010        # 选择框5 "搜狗引擎"
SO360_BOX = 1011        # 选择框6 "360引擎"
ENGINE_BOXES = (BAIDU_BOX, SOGOU_BOX, SO360_BOX)

IE_PAGE = 2
# Written into the browser box before a click that must not navigate it: the
# box's text is the address it was last asked for, so an unwanted navigation
# replaces the marker.
UNTOUCHED = "e2e:untouched"


def engine_url(box, text):
    """The query URL for text (Unicode) with the engine of box, as the browser box shows it.

    The program builds the URL from the GBK bytes and hands it to the browser
    converted from code page 936, so the raw GBK bytes of the first two engines
    show as the characters themselves.
    """
    data = text.encode("gbk")
    if box == SO360_BOX:
        query = "".join(chr(b) if chr(b).isascii() and chr(b).isalnum() else "%%%02X" % b for b in data)
        return "https://www.so.com/s?q=" + query
    # Bytes that would end or change the query are escaped; "%", "&", "#" and
    # "+" are below 0x40, so never the trail byte of a double-byte character.
    escaped = b"".join({0x25: b"%25", 0x26: b"%26", 0x23: b"%23", 0x2B: b"%2B"}.get(b, bytes([b])) for b in data)
    prefix = "https://www.baidu.com/s?wd=" if box == BAIDU_BOX else "https://www.sogou.com/web?query="
    return prefix + escaped.decode("gbk")


def press_keys(*keys):
    """Real key presses, to whichever window has the keyboard focus."""
    subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True, timeout=20)


class OptionsTestCase(TavrelTestCase):

    def click_control(self, dump, control_id):
        """A user's click on a check box: on its square, at the left end."""
        r = controls_by_id(dump)[control_id]["screen_rect"]
        click_screen(r["left"] + 7, r["top"] + r["height"] // 2)

    def click_tab(self, dump, page):
        click_screen(*centre(dump["tab"]["items"][page]["screen_rect"]))

    def checks(self, app, ids):
        state = app.probe("state", *ids)
        return tuple(c["check"] for c in state["controls"])

    def current_page(self, app):
        return app.probe("state")["page"]


class TransparencyTest(OptionsTestCase):

    def look(self, app):
        """(slider position, 窗口透明 checked, alpha) in one probe call."""
        state = app.probe("state", SLIDER, TRANSPARENT_BOX)
        slider, box = state["controls"]
        return slider["pos"], box["check"], state["alpha"]

    def wait_look(self, app, want):
        return wait_for(lambda: self.look(app), lambda got: got == want, timeout=5)

    def slider(self, app):
        return app.probe("trackbar", SLIDER)

    def test_transparency_box_and_slider(self):
        app, dump = self.start_program()

        start = app.probe("alpha")
        self.assertTrue(start["ok"], "GetLayeredWindowAttributes on the main window from another process: %s" % start)
        self.assertTrue(start["layered"], "WS_EX_LAYERED on the main window at start: ex_style 0x%x" % start["ex_style"])
        self.assertEqual((start["alpha"], start["flags"] & 2), (W.START_ALPHA, 2),
                         "alpha at start, and LWA_ALPHA among the flags (%s)" % start)

        bar = self.slider(app)
        self.assertEqual((bar["min"], bar["max"], bar["pos"]), (50, 255, 200), "slider range and position at start")
        self.assertEqual((bar["line_size"], bar["page_size"]), (1, 5), "slider line and page steps")

        with self.subTest("窗口透明 off: opaque"):
            self.click_control(dump, TRANSPARENT_BOX)
            self.assertEqual(self.wait_look(app, (200, 0, 255)), (200, 0, 255),
                             "(slider, 窗口透明, alpha) after one click on 窗口透明")
            self.assertTrue(app.probe("alpha")["layered"], "the layered style stays when opaque")

        with self.subTest("slider by keyboard while the box is off"):
            # A click on the thumb gives the slider the focus without moving it;
            # a position that did not change leaves the window opaque.
            click_screen(*centre(bar["thumb"]))
            focused = wait_for(lambda: self.slider(app), lambda b: b["focused"], timeout=5)
            self.assertTrue(focused["focused"], "slider has the keyboard focus after a click on its thumb")
            self.assertEqual(focused["pos"], 200, "a click on the thumb does not move it")
            time.sleep(0.3)
            self.assertEqual(self.look(app), (200, 0, 255), "(slider, 窗口透明, alpha) after a click on the thumb")
            # Right and PageDown go up (line 1, page 5), Left and PageUp down,
            # Home and End to the ends; the alpha follows though the box is off.
            for keys, want in ((["Right", "Right", "Right"], 203), (["Next"], 208), (["Prior", "Left"], 202),
                               (["Home"], 50), (["Left"], 50), (["End"], 255), (["Prior", "Prior"], 245)):
                press_keys(*keys)
                self.assertEqual(self.wait_look(app, (want, 0, want)), (want, 0, want),
                                 "(slider, 窗口透明, alpha) after the keys %s" % "+".join(keys))

        with self.subTest("slider by dragging its thumb"):
            x, y = centre(self.slider(app)["thumb"])
            subprocess.run(["xdotool", "mousemove", str(x), str(y), "mousedown", "1",
                            "mousemove", str(x - 30), str(y), "sleep", "0.1",
                            "mousemove", str(x - 60), str(y), "sleep", "0.1", "mouseup", "1"],
                           check=True, timeout=20)
            pos, box, alpha = wait_for(lambda: self.look(app), lambda got: got[0] < 245 and got[2] == got[0],
                                       timeout=5)
            self.assertTrue(50 <= pos < 245, "slider position %d after dragging the thumb 60 px to the left" % pos)
            self.assertEqual((box, alpha), (0, pos), "(窗口透明, alpha) after the drag")

        with self.subTest("窗口透明 on again: the slider's value"):
            # The slider already set this alpha; the off-and-on round after it
            # shows that checking the box applies the slider's value itself.
            self.click_control(dump, TRANSPARENT_BOX)
            self.assertEqual(self.wait_look(app, (pos, 1, pos)), (pos, 1, pos), "after checking 窗口透明 again")
            self.click_control(dump, TRANSPARENT_BOX)
            self.assertEqual(self.wait_look(app, (pos, 0, 255)), (pos, 0, 255), "after unchecking it once more")
            self.click_control(dump, TRANSPARENT_BOX)
            self.assertEqual(self.wait_look(app, (pos, 1, pos)), (pos, 1, pos), "after checking it once more")

        with self.subTest("slider while the box is on"):
            click_screen(*centre(self.slider(app)["thumb"]))
            press_keys("End")
            self.assertEqual(self.wait_look(app, (255, 1, 255)), (255, 1, 255), "after End with 窗口透明 checked")
            press_keys("Left", "Left")
            self.assertEqual(self.wait_look(app, (253, 1, 253)), (253, 1, 253), "after two steps left")

        park_pointer()
        self.close_program(app)


class WebSearchTest(OptionsTestCase):
    """The engine boxes and the tab click, in two runs of the program."""

    def address(self, app):
        return app.probe("gettext", W.BROWSER_BOX)["text"]

    def set_search(self, app, text):
        got = app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(text))["text"]
        self.assertEqual(got, text, "search box as set")

    def mark_untouched(self, app):
        self.assertEqual(app.probe("settext", W.BROWSER_BOX, UNTOUCHED)["text"], UNTOUCHED)

    def show_page(self, app, dump, page):
        self.click_tab(dump, page)
        shown = wait_for(lambda: self.current_page(app), lambda p: p == page, timeout=5)
        self.assertEqual(shown, page, "current page after clicking tab %d" % page)

    def click_engine(self, app, dump, box, want, what):
        self.click_control(dump, box)
        got = wait_for(lambda: self.checks(app, ENGINE_BOXES), lambda c: c == want, timeout=5)
        self.assertEqual(got, want, "(百度, 搜狗, 360) after %s" % what)

    def select_engine(self, app, dump, box):
        """Makes box the only checked engine, with real clicks on page 0."""
        state = app.probe("state", *ENGINE_BOXES)
        if state["page"] != 0:
            self.show_page(app, dump, 0)
        if state["controls"][ENGINE_BOXES.index(box)]["check"] != 1:
            self.click_engine(app, dump, box, tuple(1 if b == box else 0 for b in ENGINE_BOXES),
                              "choosing box %d" % box)

    def page_and_address(self, app):
        state = app.probe("state", W.BROWSER_BOX)
        return state["page"], state["controls"][0]["text"]

    def search_by_tab(self, app, dump, want):
        """Marks the browser untouched, clicks the IE tab, waits for the address."""
        self.mark_untouched(app)
        self.click_tab(dump, IE_PAGE)
        got = wait_for(lambda: self.page_and_address(app), lambda p: p[1] != UNTOUCHED, timeout=10)
        self.assertEqual(got, (IE_PAGE, want), "(page, browser box address) after clicking the tab IE内核浏览器")

    def test_engine_boxes_exclusive_and_fallback(self):
        app, dump = self.start_program()
        self.assertEqual(self.checks(app, ENGINE_BOXES), (1, 0, 0), "engine boxes at start")
        names = {BAIDU_BOX: "百度引擎", SOGOU_BOX: "搜狗引擎", SO360_BOX: "360引擎"}
        done = []
        # (box clicked, the three boxes afterwards)
        for box, want in [(SOGOU_BOX, (0, 1, 0)), (SO360_BOX, (0, 0, 1)), (BAIDU_BOX, (1, 0, 0)),
                          (SO360_BOX, (0, 0, 1)),
                          (SO360_BOX, (0, 0, 0)),  # unchecking the only checked box leaves none checked
                          (SOGOU_BOX, (0, 1, 0)), (BAIDU_BOX, (1, 0, 0)), (BAIDU_BOX, (0, 0, 0))]:
            done.append(names[box])
            self.click_engine(app, dump, box, want, "clicking " + " → ".join(done))

        with self.subTest("none checked, a click on tab 本地文本搜索"):
            # Any click on the tab strip puts 百度引擎 back; this page loads nothing.
            self.set_search(app, "答案 a+b")
            self.mark_untouched(app)
            self.show_page(app, dump, 1)
            got = wait_for(lambda: self.checks(app, ENGINE_BOXES), lambda c: c == (1, 0, 0), timeout=5)
            self.assertEqual(got, (1, 0, 0), "engine boxes after a click on tab 1 with none checked")
            self.assertEqual(self.address(app), UNTOUCHED, "browser box after the click on tab 1")

        with self.subTest("none checked, a click on tab IE内核浏览器"):
            self.show_page(app, dump, 0)
            self.click_engine(app, dump, BAIDU_BOX, (0, 0, 0), "unchecking 百度引擎 again")
            self.search_by_tab(app, dump, engine_url(BAIDU_BOX, "答案 a+b"))
            self.assertEqual(self.checks(app, ENGINE_BOXES), (1, 0, 0), "engine boxes after the search")
        park_pointer()
        self.close_program(app)

    @code_page_matters("the query's GBK bytes reach the browser box as an address converted at the Windows boundary")
    def test_tab_click_loads_query_url(self):
        app, dump = self.start_program()
        cases = [
            (BAIDU_BOX, "C# & C++"),
            (BAIDU_BOX, "答案 a+b"),
            (SOGOU_BOX, "光合作用 50%"),
            (SO360_BOX, "答案 a+b"),
            (SO360_BOX, "x-y.z_~"),
        ]
        # The 360 address is plain ASCII whatever the text.
        self.assertEqual(engine_url(SO360_BOX, "答案 a+b"), "https://www.so.com/s?q=%B4%F0%B0%B8%20a%2Bb")
        for box, text in cases:
            with self.subTest(engine=box, text=text):
                self.select_engine(app, dump, box)
                self.set_search(app, text)
                self.search_by_tab(app, dump, engine_url(box, text))

        with self.subTest("the tab clicked again while shown"):
            self.set_search(app, "第二个问题")
            self.search_by_tab(app, dump, engine_url(SO360_BOX, "第二个问题"))
            # The same text again: the marker shows that it was asked for once more.
            self.search_by_tab(app, dump, engine_url(SO360_BOX, "第二个问题"))

        with self.subTest("empty search box"):
            self.set_search(app, "")
            self.search_by_tab(app, dump, engine_url(SO360_BOX, ""))

        with self.subTest("other tabs load nothing in the browser box"):
            self.set_search(app, "别的页")
            self.mark_untouched(app)
            for page in (0, 1, 4, 3, 1):
                self.click_tab(dump, page)
                time.sleep(0.3)
                got = wait_for(lambda: self.page_and_address(app), lambda p: p[0] == page, timeout=5)
                self.assertEqual(got, (page, UNTOUCHED), "(page, browser box address) after clicking tab %d" % page)
        park_pointer()
        self.close_program(app)


class HoverRaiseTest(OptionsTestCase):
    """"自动置顶": the pointer over the window brings it in front of a window
    of another program that covers it, and activates it; unchecked, nothing is
    raised."""

    def test_the_pointer_over_the_window_raises_it(self):
        from test_capture import Notepad  # Wine's notepad, as the other program
        notepad = Notepad().start()
        self.addCleanup(notepad.stop)
        app, dump = self.start_program()
        main = dump["main"]["rect"]
        # Notepad over the right part of the main window.
        run_probe("window", "Notepad", main["left"] + main["width"] - 200, main["top"] + 60, 500, 300)
        on_notepad_only = (main["left"] + main["width"] + 150, main["top"] + 200)
        on_both = (main["left"] + main["width"] - 100, main["top"] + 200)

        def order():
            """(main window in front: the foreground window, above notepad; notepad the foreground window).

            Without a window manager a click activates a window of Wine without
            raising it; activation is what tells the two apart here.
            """
            windows = [w["class"] for w in run_probe("toplevel")]
            main_above = windows.index(W.MAIN_CLASS) < windows.index("Notepad")
            return (main_above and run_probe("window", W.MAIN_CLASS)["foreground"],
                    run_probe("window", "Notepad")["foreground"])

        for raise_on in (1, 0):
            with self.subTest(自动置顶=raise_on):
                if self.checks(app, (TOPMOST_BOX,))[0] != raise_on:
                    app.probe("press", TOPMOST_BOX)
                click_screen(*on_notepad_only)
                self.assertEqual(wait_for(order, lambda o: o[1], timeout=5), (False, True),
                                 "notepad active after a click on it")
                subprocess.run(["xdotool", "mousemove", *map(str, on_both)], check=True, timeout=20)
                want = (True, False) if raise_on else (False, True)
                got = wait_for(order, lambda o: o == want, timeout=5)
                if not raise_on:
                    time.sleep(1)
                    got = order()
                self.assertEqual(got, want, "(main in front, notepad in front) with the pointer over both")
                park_pointer()
        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
