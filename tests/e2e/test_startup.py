"""Start-up: the main window, its five pages and every control as the user first sees them."""

import unittest

import window_table as W
from harness import TavrelTestCase, code_page_matters, controls_by_id, rect_tuple


class StartupTest(TavrelTestCase):

    @code_page_matters("every caption and the welcome text are GBK inside, turned into UTF-16 at the Windows boundary")
    def test_startup(self):
        app, dump = self.start_program()
        main, tab = dump["main"], dump["tab"]

        with self.subTest("main window"):
            self.assertEqual(main["class"], W.MAIN_CLASS)
            self.assertEqual(main["title"], W.TITLE)
            self.assertEqual(rect_tuple(main["rect"]), W.MAIN_RECT, "outer rectangle (left, top, width, height)")
            self.assertTrue(main["visible"])

        with self.subTest("tab control"):
            self.assertIsNotNone(tab, "no child with id %d" % W.TAB_ID)
            self.assertEqual(tab["class"].lower(), W.TAB_CLASS.lower())
            origin = main["client_origin"]
            r = tab["screen_rect"]
            self.assertEqual((r["left"] - origin["x"], r["top"] - origin["y"], r["width"], r["height"]),
                             W.TAB_RECT, "tab control rectangle in the main window's client area")
            self.assertEqual([i["caption"] for i in tab["items"]], W.TAB_CAPTIONS)
            self.assertEqual(tab["count"], 5)
            self.assertEqual(tab["current"], 0, "current page at start")

        controls = controls_by_id(dump)
        with self.subTest("set of controls"):
            self.assertEqual(sorted(controls), sorted(W.BY_ID),
                             "ids of the main window's children (tab control aside)")

        for want in W.CONTROLS:
            got = controls.get(want.id)
            if got is None:
                continue  # reported above
            with self.subTest(control=want.name, id=want.id):
                self.check_control(want, got)

        with self.subTest("radio group"):
            radios = [c for c in W.CONTROLS if c.kind == "radio"]
            checked = [c.name for c in radios if controls.get(c.id, {}).get("check") == 1]
            self.assertEqual(checked, ["单选框1"], "exactly one radio button selected")

        self.close_program(app)

    def check_control(self, want, got):
        self.assertEqual(got["class"].lower(), W.KIND_CLASS[want.kind].lower(), "window class")
        if want.kind == "browser":
            self.assertIn(got["text"], ("", "about:blank"), "address of the browser box at start")
        elif want.text is not None:
            self.assertEqual(got["text"], want.text, "caption or content")
        self.assertEqual(rect_tuple(got["rect"]), want.rect, "rectangle relative to the tab control")
        visible = want.page == 0 and want.id not in W.NEVER_VISIBLE
        self.assertEqual(got["visible"], visible, "visible at start (page %d)" % want.page)
        self.assertTrue(got["enabled"], "enabled")
        if want.kind in W.KIND_BUTTON_TYPES:
            self.assertIn(got["button_type"], W.KIND_BUTTON_TYPES[want.kind],
                          "button style (BS_TYPEMASK) of a %s" % want.kind)
        if want.kind in ("checkbox", "radio"):
            self.assertEqual(got["check"], want.state, "BM_GETCHECK")
        if want.kind == "slider":
            self.assertEqual((got["min"], got["max"], got["pos"]), want.state, "slider (min, max, position)")
        if want.kind == "edit":
            self.assertFalse(got["multiline"], "one-line edit box")
        if want.kind == "richedit":
            self.assertTrue(got["multiline"], "rich edit box with several lines")
            self.assertEqual(got["length"], 0, "character positions at start")
            self.assertEqual(got["selection"], {"min": 0, "max": 0}, "selection at start")


if __name__ == "__main__":
    unittest.main()
