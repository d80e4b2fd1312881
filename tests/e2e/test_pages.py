"""Pages: a user clicks each tab; the page switches, its controls show, and it is drawn.

One code page: the pages, the controls shown and the ink on them do not depend
on it; the captions themselves are read under both by startup."""

import unittest

import window_table as W
from harness import (Config, Image, TavrelTestCase, click_screen, controls_by_id, is_dark, park_pointer,
                     rect_tuple, screenshot, wait_for)

# Controls whose caption is drawn as text on the page, so their area must hold
# dark (text) pixels. Buttons reading "<<", ">>" or "◎" are small but still
# have dark glyphs.
TEXT_KINDS = ("label", "checkbox", "radio", "button")


def luminance(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b


def ink_pixels(area):
    """Pixels clearly darker or lighter than the area's most common colour."""
    if not area:
        return 0
    background = max(set(area), key=area.count)
    base = luminance(background)
    return sum(1 for p in area if abs(luminance(p) - base) > 40)


class PagesTest(TavrelTestCase):

    def test_click_every_tab(self):
        app, dump = self.start_program()
        items = dump["tab"]["items"]
        self.assertEqual(len(items), 5, "tab items")
        # Page 0 first as it is at start, then every page by a click, then back to 0.
        for page in [0, 1, 2, 3, 4, 0]:
            with self.subTest(page=page):
                self.show_page(app, items, page)
        self.close_program(app)

    def show_page(self, app, items, page):
        r = items[page]["screen_rect"]
        click_screen(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)
        park_pointer()
        dump = wait_for(app.dump, lambda d: d["tab"]["current"] == page
                        and self.visible_ids(d) == W.visible_on(page))
        self.assertEqual(dump["tab"]["current"], page, "current page after clicking tab %d" % page)
        got = self.visible_ids(dump)
        want = W.visible_on(page)
        self.assertEqual(sorted(got), sorted(want),
                         "visible controls on page %d: missing %s, extra %s"
                         % (page, sorted(want - got), sorted(got - want)))

        main = dump["main"]
        path = screenshot(Config.screen_path("page-%d" % page), rect_tuple(main["rect"]))
        self.check_drawn(Image(path), dump, page, path)

    @staticmethod
    def visible_ids(dump):
        return {c["id"] for c in dump["controls"] if c["visible"]}

    def check_drawn(self, image, dump, page, path):
        main = dump["main"]["rect"]
        colours = image.colours()
        self.assertGreaterEqual(len(colours), 8, "%s: only %d colours: nothing drawn?" % (path, len(colours)))

        # The tab strip shows the captions in dark text.
        tab_items = dump["tab"]["items"]
        for i, item in enumerate(tab_items):
            r = item["screen_rect"]
            area = image.region(r["left"] - main["left"], r["top"] - main["top"], r["width"], r["height"])
            dark = sum(map(is_dark, area))
            self.assertGreater(dark, 10, "%s: caption of tab %d has %d dark pixels" % (path, i, dark))

        controls = controls_by_id(dump)
        for want in W.CONTROLS:
            if want.page != page or want.id in W.NEVER_VISIBLE:
                continue
            got = controls[want.id]
            r = got["screen_rect"]
            area = image.region(r["left"] - main["left"], r["top"] - main["top"], r["width"], r["height"])
            if want.kind in TEXT_KINDS and got["text"]:
                # Inside the border: pixels that stand out from the face colour are the caption.
                left, top = r["left"] - main["left"], r["top"] - main["top"]
                inset = 3 if want.kind == "button" else 0
                ink = ink_pixels(image.region(left + inset, top + inset,
                                              r["width"] - 2 * inset, r["height"] - 2 * inset))
                self.assertGreater(ink, 3, "%s: %s (%s) shows no text: %d pixels apart from the background in %s"
                                   % (path, want.name, got["text"][:20], ink, r))
            if want.kind in ("richedit", "edit"):
                # An empty box is an evenly filled field, not the page behind it.
                inner = image.region(r["left"] - main["left"] + 4, r["top"] - main["top"] + 4,
                                     r["width"] - 8, r["height"] - 8)
                if inner:
                    common = max(inner.count(c) for c in set(inner))
                    self.assertGreater(common / len(inner), 0.95,
                                       "%s: %s is not an even empty field" % (path, want.name))


if __name__ == "__main__":
    unittest.main()
