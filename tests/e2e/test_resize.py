"""Resize: the browsers and the rich edit boxes follow the window; everything else stays.

One code page: sizes and places do not depend on it."""

import unittest

import window_table as W
from harness import (Config, TavrelTestCase, click_screen, controls_by_id, park_pointer, rect_tuple,
                     screenshot, wait_for)

NEW_SIZE = (800, 600)


class ResizeTest(TavrelTestCase):

    def test_resize_to_800_by_600(self):
        app, before = self.start_program()
        width, height = NEW_SIZE
        sizes = W.resized_sizes(width, height)
        app.probe("resize", width, height)

        def settled(d):
            tab = d["tab"]["screen_rect"]
            return (d["main"]["rect"]["width"], d["main"]["rect"]["height"]) == NEW_SIZE \
                and (tab["width"], tab["height"]) == sizes[W.TAB_ID]

        after = wait_for(app.dump, settled)
        main = after["main"]
        self.assertEqual(rect_tuple(main["rect"]), (50, 50, width, height), "outer rectangle after resize")

        tab_before, tab_after = before["tab"]["screen_rect"], after["tab"]["screen_rect"]
        with self.subTest("tab control"):
            self.assertEqual((tab_after["width"], tab_after["height"]), sizes[W.TAB_ID],
                             "tab control size: W - 18, H - 45")
            self.assertEqual((tab_after["left"], tab_after["top"]), (tab_before["left"], tab_before["top"]),
                             "tab control position (screen)")

        old, new = controls_by_id(before), controls_by_id(after)
        for want in W.CONTROLS:
            with self.subTest(control=want.name, id=want.id):
                got = new[want.id]
                left, top, w, h = rect_tuple(got["rect"])
                self.assertEqual((left, top), want.rect[:2], "position relative to the tab control")
                self.assertEqual(rect_tuple(got["screen_rect"])[:2], rect_tuple(old[want.id]["screen_rect"])[:2],
                                 "screen position unchanged")
                expected = sizes.get(want.id, want.rect[2:])
                self.assertEqual((w, h), expected,
                                 "size after resizing to %dx%d (%s)"
                                 % (width, height, "follows the window" if want.id in sizes else "unchanged"))

        # The grown answer bank, as a user sees it.
        item = after["tab"]["items"][1]["screen_rect"]
        click_screen(item["left"] + item["width"] // 2, item["top"] + item["height"] // 2)
        park_pointer()
        shown = wait_for(app.dump, lambda d: d["tab"]["current"] == 1)
        self.assertEqual(shown["tab"]["current"], 1, "page after clicking tab 1")
        screenshot(Config.screen_path("resized-page-1"), rect_tuple(shown["main"]["rect"]))

        self.close_program(app)


if __name__ == "__main__":
    unittest.main()
