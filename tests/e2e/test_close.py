"""Close: WM_CLOSE ends the program with exit code 0 within a few seconds.

One code page: closing carries no text."""

import unittest

from harness import TavrelTestCase, click_screen, park_pointer, run_probe, wait_for

CLOSE_LIMIT_MS = 10000


class CloseTest(TavrelTestCase):

    def test_close_ends_process_with_code_0(self):
        app, _ = self.start_program()
        report, unix_code = app.close(timeout_ms=CLOSE_LIMIT_MS)
        self.assertEqual(report.get("exit_code"), 0, "exit code of Tavrel.exe after WM_CLOSE: %s" % report)
        self.assertEqual(unix_code, 0, "exit status of the Wine process after WM_CLOSE")
        self.assertEqual(run_probe("list"), [], "main windows left after the close")

    def test_close_after_visiting_every_page(self):
        # Leaving from a page other than the first, after both browsers were shown,
        # must still end cleanly.
        app, dump = self.start_program()
        for page in (2, 3, 1):
            r = dump["tab"]["items"][page]["screen_rect"]
            click_screen(r["left"] + r["width"] // 2, r["top"] + r["height"] // 2)
            park_pointer()
            now = wait_for(app.dump, lambda d: d["tab"]["current"] == page)
            self.assertEqual(now["tab"]["current"], page, "page after clicking tab %d" % page)
        self.close_program(app)
        self.assertEqual(run_probe("list"), [], "main windows left after the close")


if __name__ == "__main__":
    unittest.main()
