#!/usr/bin/env python3
"""Start-up, the window's geometry at 96 and 144 DPI, the stored settings and closing; resizing by the
frame and by small wheel deltas, from outside."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import SCREEN, TITLE, TWIPS_PER_PIXEL, UPDATE_SECTION, LumbraTestCase, Rect, holds_for  # noqa: E402

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


class StartAndClose(LumbraTestCase):

    def test_first_start_opens_topmost_at_the_origin_a_fifth_of_the_screen(self):
        self.session.reg_set(UPDATE_SECTION, "CurrentVersion", "1.05.0003")
        window = self.settled_window(self.start_lumbra())
        self.assertEqual((window.title, window.rect.left, window.rect.top, window.topmost), (TITLE, 0, 0, True))
        self.assertNear(window.panel.rect.width, SCREEN.width / 5, 1, "picture width")
        self.assertNear(window.panel.rect.height, SCREEN.height / 5, 1, "picture height")
        self.assertEqual(self.session.reg_get_typed(UPDATE_SECTION, "CurrentVersion"), ("REG_SZ", "1.12.0000"))
        self.assertIsNone(self.session.stored_geometry(), "geometry stored before closing")

    def test_a_stored_position_on_no_monitor_starts_on_the_screen(self):
        self.session.store_geometry(Left="99999", Top="-99999")
        window = self.settled_window(self.start_lumbra())
        self.assertTrue(SCREEN.contains(window.rect), f"{window.rect} is off the screen")

    def test_closing_by_the_close_button_stores_the_geometry_the_window_has(self):
        self.session.store_geometry(Left="4500", Top="3000", Width="4815")
        program = self.start_lumbra()
        r = self.settled_window(program).rect
        self.session.click(*self.frame_point(program.window(), "HTCLOSE"))
        self.assertEqual(program.wait_exit(timeout=10), 0, "exit code after closing")
        self.assertEqual({k: float(v) for k, v in self.session.stored_geometry().items()},
                         {"Left": 4500, "Top": 3000, "Width": 4815, "Height": r.height * 15.0})


class DisplayScaling(LumbraTestCase):
    """150 %: the system DPI is read when a process starts, so every start here is at 144 DPI."""

    def setUp(self):
        super().setUp()
        self.session.reg_set(DESKTOP_KEY, "LogPixels", 144, kind="dword")
        self.addCleanup(self.session.reg_set, DESKTOP_KEY, "LogPixels", 96, kind="dword")

    def test_at_144_dpi_the_picture_is_a_fifth_of_the_screen_and_sizes_keep_their_logical_size(self):
        program = self.start_lumbra()
        picture = self.settled_window(program).panel.rect
        self.assertNear(picture.width, SCREEN.width / 5, 1, "picture width")
        self.assertNear(picture.height, SCREEN.height / 5, 1, "picture height")
        program.stop()
        # Stored at 96 DPI: 4815 x 2970 twips are 321 x 198 logical pixels, here 481.5 x 297.
        self.session.store_geometry(Left="1500", Top="1500", Width="4815", Height="2970")
        program = self.start_lumbra()
        r = self.settled_window(program).rect
        self.assertRectNear(r, Rect(150, 150, 150 + 482, 150 + 297), 1, "the stored geometry")
        # A notch with the pointer at the right edge: 25 logical pixels off the left edge.
        self.session.wheel(r.right - 1, r.center[1], notches=1)
        after = self.wait_geometry_change(program, r).rect
        self.assertNear(after.right, r.right, 1, "right edge")
        self.assertNear(after.width, r.width - 37.5, 1, "width")


class ResizeAndWheel(LumbraTestCase):
    """The frame keeps the picture's proportions; small wheel deltas add up to a 25 px notch (a notch's
    direction and anchor: DisplayScaling here, and the host tests)."""

    def start_placed(self):
        self.session.store_geometry(Left=str(300 * TWIPS_PER_PIXEL), Top=str(200 * TWIPS_PER_PIXEL))
        program = self.start_lumbra()
        return program, self.settled_window(program)

    def test_dragging_the_right_edge_wider_makes_the_window_taller_in_the_pictures_proportions(self):
        program, before = self.start_placed()
        edge = self.frame_point(before, "HTRIGHT")
        self.session.drag(edge, (edge[0] + 60, edge[1]))
        after = self.wait_geometry_change(program, before.rect)
        self.assertNear(after.rect.width, before.rect.width + 60, 2, "width")
        self.assertGreater(after.rect.height, before.rect.height + 40)
        ratio = before.panel.rect.height / before.panel.rect.width
        self.assertNear(after.panel.rect.height, after.panel.rect.width * ratio, 1.5, "the picture's proportions")

    def test_small_deltas_add_up_to_one_step(self):
        program, before = self.start_placed()
        wheel = ["wheel", before.hwnd, 40, *before.rect.center]
        self.session.probe(*wheel)
        self.session.probe(*wheel)
        holds_for(lambda: program.window().rect == before.rect, duration=1.0, what="no step for 80 of 120")
        self.session.probe(*wheel)
        after = self.wait_geometry_change(program, before.rect)
        self.assertNear(after.rect.width, before.rect.width - 25, 1, "one step for 120")


if __name__ == "__main__":
    lumbra_e2e.main()
