"""The WebKit page: a click on its tab loads the checked engine's query URL into
the engine view, again on a second click; "<<", "◎" and ">>" move through the
view's history; the view follows the window's size; typed keys reach the
engine; closing destroys the view and finalises the engine. By default the
view draws through Direct3D 9.

The program runs with the stand-in wke.dll beside it. The stand-in writes every
call it receives to the file named by WKE_STANDIN_LOG (the program knows
nothing of it), and paints a picture with the page's title and address in a
blue band at the top and the input it received in a yellow band at the bottom,
which the screenshots show. Direct3D's drawing into the view's child window
does not reach this virtual display, so the scenario that looks at the picture
runs the program with Wine's d3d9 switched off: the view then falls back to
GDI, as it would on a system without Direct3D 9.
"""

import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import window_table as W
from harness import Config, Image, TavrelTestCase, click_screen, code_page_matters, controls_by_id, hex_utf8, \
    park_pointer, rect_tuple, screenshot, wait_for, windows_path
from test_options import BAIDU_BOX, ENGINE_BOXES, SO360_BOX, engine_url

WEBKIT_PAGE = 3
BACK_BUTTON, RELOAD_BUTTON, FORWARD_BUTTON = 1023, 1024, 1025
TITLE_BAND = (40, 70, 120)   # the stand-in's header, RGB
TRACE_BAND = (255, 250, 205)  # its band of input traces at the bottom
BAND_HEIGHT = 40


class StandinLog:
    """The stand-in's calls as the program made them, without the paint thread's polls."""

    def __init__(self, folder):
        self.path = Path(folder) / "wke-calls.log"
        self.windows_path = windows_path(self.path)

    def lines(self):
        try:
            text = self.path.read_bytes().decode("utf-8", "replace")
        except FileNotFoundError:
            return []
        return [line for line in text.splitlines() if not line.startswith("wkeIsDirty(")]

    def wait(self, done, timeout=10.0):
        """The lines once done(lines) holds, or the last lines read."""
        return wait_for(self.lines, done, timeout=timeout, interval=0.1)


def count(lines, text):
    return sum(1 for line in lines if line == text)


def after(lines, start):
    return lines[start:]


def last_index(lines, line):
    return len(lines) - 1 - lines[::-1].index(line)


def painted_after(lines, start):
    return any(l.startswith("wkePaint2(#1") for l in lines[start + 1:])


def paint_pitches(lines):
    """The row pitch of every wkePaint2 of the view: 0 from GDI, the texture's pitch from Direct3D."""
    return [int(l[l.rindex(",") + 1:-1]) for l in lines if l.startswith("wkePaint2(#1, ")]


WITHOUT_DIRECT3D = {"TAVREL_DLLOVERRIDES": "d3d9="}  # Wine's d3d9 switched off for the program


class WebKitTest(TavrelTestCase):

    def setUp(self):
        folder = tempfile.mkdtemp(prefix="tavrel-wke-")
        self.addCleanup(shutil.rmtree, folder, True)
        self.log = StandinLog(folder)

    # ------------------------------------------------------------ helpers

    def click_tab(self, dump, page):
        r = dump["tab"]["items"][page]["screen_rect"]
        click_screen(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)

    def click_button(self, dump, control_id):
        r = controls_by_id(dump)[control_id]["screen_rect"]
        click_screen(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)

    def set_search(self, app, text):
        got = app.probe("settext", W.SEARCH_BOX, "--hex", hex_utf8(text))["text"]
        self.assertEqual(got, text, "search box as set")

    def choose_engine(self, app, dump, box):
        """Makes box the only checked engine with a real click on page 0, then back to page 3."""
        self.click_tab(dump, 0)
        wait_for(lambda: app.probe("state")["page"], lambda p: p == 0, timeout=5)
        r = controls_by_id(dump)[box]["screen_rect"]
        click_screen(r["left"] + 7, r["top"] + r["height"] // 2)
        want = tuple(1 if b == box else 0 for b in ENGINE_BOXES)
        got = wait_for(lambda: tuple(c["check"] for c in app.probe("state", *ENGINE_BOXES)["controls"]),
                       lambda c: c == want, timeout=5)
        self.assertEqual(got, want, "engine boxes after choosing %d" % box)

    def shape_box(self, app):
        return controls_by_id(app.dump())[W.SHAPE_BOX]

    def view_shot(self, app, name):
        """A screenshot of the view's area after the picture settled; (image, shape box)."""
        park_pointer()
        time.sleep(0.4)
        box = self.shape_box(app)
        path = screenshot(Config.screen_path(name), rect_tuple(box["screen_rect"]))
        return Image(path), box

    @staticmethod
    def title_band(image):
        """The band with the page's title and address, inside the view's edges."""
        return image.region(4, 4, image.width - 12, BAND_HEIGHT - 8)

    def load_by_tab(self, dump, url, already=0):
        """Clicks the WebKit tab and waits until the view was asked for url once more than `already` times."""
        self.click_tab(dump, WEBKIT_PAGE)
        line = "wkeLoadURLW(#1, \"%s\")" % url
        lines = self.log.wait(lambda ls: count(ls, line) > already)
        self.assertEqual(count(lines, line), already + 1, "%s in the stand-in's log: %s" % (line, lines[-15:]))
        # Drawn by the paint thread through the GUI thread after the load.
        lines = self.log.wait(lambda ls: painted_after(ls, last_index(ls, line)))
        self.assertTrue(painted_after(lines, last_index(lines, line)), "no picture painted after the load: %s"
                        % lines[-15:])

    def step(self, dump, button, call, want_result, repaints=True):
        """Clicks one of the page's buttons and waits for its engine call (and the repaint it causes)."""
        start = len(self.log.lines())
        self.click_button(dump, button)
        lines = self.log.wait(lambda ls: any(l.startswith(call) for l in after(ls, start))
                              and (not repaints or any(l.startswith("wkePaint2(#1") for l in after(ls, start))))
        made = [l for l in after(lines, start) if l.startswith(call)]
        self.assertEqual(made, [call + want_result], "calls after clicking button %d: %s"
                         % (button, after(lines, start)))

    # ------------------------------------------------------------ the scenario

    def test_search_history_resize_typing_and_close(self):
        app, dump = self.start_program(env={"WKE_STANDIN_LOG": self.log.windows_path, **WITHOUT_DIRECT3D})
        box = controls_by_id(dump)[W.SHAPE_BOX]

        with self.subTest("engine started with the window"):
            lines = self.log.wait(lambda ls: any(l.startswith("wkeOnCreateView(#1") for l in ls))
            self.assertEqual(lines[:4], ["wkeInitialize()", "wkeCreateWebView() -> #1",
                                         "wkeSetHostWindow(#1, 0x%x)" % box["hwnd"], "wkeSetTransparent(#1, false)"],
                             "the first calls of the engine")
            self.assertTrue(lines[4].startswith("wkeOnCreateView(#1, 0x"), lines[:6])

        text_a, text_b = "答案 a+b", "第二个问题"
        url_a, url_b = engine_url(BAIDU_BOX, text_a), engine_url(SO360_BOX, text_b)
        self.assertEqual(url_a, "https://www.baidu.com/s?wd=答案 a%2Bb")

        with self.subTest("a click on the tab loads the query"):
            self.set_search(app, text_a)
            self.load_by_tab(dump, url_a)
            self.assertEqual(app.probe("state")["page"], WEBKIT_PAGE)
            self.assertEqual(set(paint_pitches(self.log.lines())), {0}, "GDI paints rows of width × 4 bytes")
            image, shown = self.view_shot(app, "webkit")
            self.assertEqual(rect_tuple(shown["rect"]), W.BY_ID[W.SHAPE_BOX].rect, "the shape box's place")
            self.assertTrue(shown["visible"], "the shape box shows on its page")
            screenshot(Config.screen_path("webkit-window"), rect_tuple(app.dump()["main"]["rect"]))
            self.assertEqual(image.pixel(image.width - 20, 10), TITLE_BAND, "the view's title band on the screen")
            self.assertEqual(image.pixel(image.width - 20, image.height - 10), TRACE_BAND,
                             "the view's input band on the screen")
            band_a = self.title_band(image)
            self.assertGreater(sum(1 for p in band_a if p != TITLE_BAND), 200, "the address written in the band")

        with self.subTest("a second click on the tab loads it again"):
            self.load_by_tab(dump, url_a, already=1)

        with self.subTest("another engine and text"):
            self.choose_engine(app, dump, SO360_BOX)
            self.set_search(app, text_b)
            self.load_by_tab(dump, url_b)
            image, _ = self.view_shot(app, "webkit-b")
            band_b = self.title_band(image)
            self.assertNotEqual(band_b, band_a, "the band shows the new address")

        # History: A, A, B.
        with self.subTest("<< goes back"):
            self.step(dump, BACK_BUTTON, "wkeGoBack(#1)", " -> true")
            image, _ = self.view_shot(app, "webkit-back")
            self.assertEqual(self.title_band(image), band_a, "after <<, the view shows the first address again")
        with self.subTest(">> goes forward"):
            self.step(dump, FORWARD_BUTTON, "wkeGoForward(#1)", " -> true")
            image, _ = self.view_shot(app, "webkit-forward")
            self.assertEqual(self.title_band(image), band_b, "after >>, the view shows the second address again")
        with self.subTest(">> at the end does nothing"):
            self.step(dump, FORWARD_BUTTON, "wkeGoForward(#1)", " -> false", repaints=False)
        with self.subTest("◎ reloads"):
            self.step(dump, RELOAD_BUTTON, "wkeReload(#1)", "")
            image, _ = self.view_shot(app, "webkit-reload")
            self.assertEqual(self.title_band(image), band_b, "after ◎, the same page")

        with self.subTest("the view follows the window's size"):
            width, height = 800, 600
            sizes = W.resized_sizes(width, height)
            view_w, view_h = sizes[W.SHAPE_BOX]
            start = len(self.log.lines())
            app.probe("resize", width, height)
            line = "wkeResize(#1, %d, %d)" % (view_w, view_h)
            lines = self.log.wait(lambda ls: line in after(ls, start) and painted_after(ls, ls.index(line, start)))
            self.assertIn(line, after(lines, start), "the engine view resized with the shape box")
            image, shown = self.view_shot(app, "webkit-resized")
            self.assertEqual(rect_tuple(shown["rect"])[2:], (view_w, view_h), "the shape box's size")
            self.assertEqual(image.pixel(view_w - 20, 10), TITLE_BAND, "the band reaches the new right edge")
            self.assertEqual(image.pixel(view_w - 20, view_h - 10), TRACE_BAND, "the input band at the new bottom")

        with self.subTest("typed keys reach the engine"):
            box = self.shape_box(app)
            before, _ = self.view_shot(app, "webkit-before-typing")
            start = len(self.log.lines())
            r = box["screen_rect"]
            x, y = 200, 150
            click_screen(r["left"] + x, r["top"] + y)
            subprocess.run(["xdotool", "type", "--delay", "80", "abc"], check=True, timeout=20)
            want = ["wkeFireKeyPressEvent(#1, %d, 0x0000, false) -> true" % ord(c) for c in "abc"]
            lines = self.log.wait(lambda ls: all(w in after(ls, start) for w in want))
            later = after(lines, start)
            for w in want:
                self.assertIn(w, later, "typed character in the log")
            self.assertIn("wkeFireMouseEvent(#1, 0x0201, %d, %d, 0x0001)" % (x, y), later, "the click in the view")
            self.assertIn("wkeSetFocus(#1)", later, "the click gave the view the focus")
            # One Tab key press reaches the engine once: one key-down, one character.
            start = len(self.log.lines())
            subprocess.run(["xdotool", "key", "Tab"], check=True, timeout=20)
            tab_char = "wkeFireKeyPressEvent(#1, 9, "
            lines = self.log.wait(lambda ls: any(l.startswith(tab_char) for l in after(ls, start)))
            time.sleep(0.5)  # a second delivery would come at once
            later = after(self.log.lines(), start)
            self.assertEqual(sum(1 for l in later if l.startswith("wkeFireKeyDownEvent(#1, 9, ")), 1,
                             "key-downs of one Tab: %s" % later)
            self.assertEqual(sum(1 for l in later if l.startswith(tab_char)), 1, "Tab characters of one Tab: %s" % later)
            typed, _ = self.view_shot(app, "webkit-typed")
            top = typed.height - BAND_HEIGHT
            band_before = before.region(4, top + 2, 200, 16)
            band_after = typed.region(4, top + 2, 200, 16)
            self.assertGreater(sum(1 for a, b in zip(band_before, band_after) if a != b), 20,
                               "the typed text drawn in the input band")

        with self.subTest("closing destroys the view and finalises the engine"):
            self.close_program(app)
            lines = self.log.lines()
            self.assertEqual(lines[-2:], ["wkeDestroyWebView(#1)", "wkeFinalize()"], "the last calls: %s" % lines[-6:])

    @code_page_matters("the query's Chinese text reaches the engine as a wide address converted from GBK")
    def test_the_view_draws_through_direct3d_by_default(self):
        app, dump = self.start_program(env={"WKE_STANDIN_LOG": self.log.windows_path})
        url = engine_url(BAIDU_BOX, "答案")
        self.set_search(app, "答案")
        self.load_by_tab(dump, url)
        lines = self.log.lines()
        view_w = W.BY_ID[W.SHAPE_BOX].rect[2]
        with self.subTest("the engine paints into a Direct3D texture"):
            pitches = paint_pitches(lines)
            self.assertTrue(pitches, "no paint in the log: %s" % lines[-15:])
            # A texture's rows are at least the view's width × 4 bytes apart; GDI would say 0.
            self.assertTrue(all(p >= view_w * 4 for p in pitches), "pitches %s for a view %d wide" % (pitches, view_w))
            # A new texture asks for the whole view first.
            first_paint = next(i for i, l in enumerate(lines) if l.startswith("wkePaint2(#1, "))
            self.assertIn("wkeSetDirty(#1, true)", lines[:first_paint], "the new texture marked the view changed")
        with self.subTest("what a Wine user sees"):
            park_pointer()
            time.sleep(0.4)
            screenshot(Config.screen_path("webkit-direct3d"), rect_tuple(app.dump()["main"]["rect"]))
        with self.subTest("closing releases the device and finalises the engine"):
            self.close_program(app)
            lines = self.log.lines()
            self.assertEqual(lines[-2:], ["wkeDestroyWebView(#1)", "wkeFinalize()"], "the last calls: %s" % lines[-6:])


if __name__ == "__main__":
    unittest.main()
