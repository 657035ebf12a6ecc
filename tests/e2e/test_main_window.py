#!/usr/bin/env python3
"""Start-up, window geometry, the stored settings and closing, seen from outside the program."""

import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import (PANEL_CLASS, SCREEN, TITLE, TWIPS_PER_PIXEL, UPDATE_SECTION,  # noqa: E402
                        WINDOW_BACKGROUND, WINDOW_CLASS, LumbraTestCase, colour_close, wait_until)

# The picture panel shows the screen at 3 twips per pixel: 1024x768 → 3072x2304 twips = 204.8x153.6 px.
DEFAULT_PANEL = (205, 154)
PANEL_OFFSET = 2      # left and top margin around the panel
PANEL_FAR_MARGIN = 3  # right and bottom margin
GEOMETRY_KEYS = ("Left", "Top", "Width", "Height")
DECIMAL_TEXT = re.compile(r"^-?\d+(\.\d+)?$")


class StartUp(LumbraTestCase):

    def assertDefaultGeometry(self, window):
        panel = window.panel
        self.assertNear(panel.rect.width, DEFAULT_PANEL[0], 1, "panel width")
        self.assertNear(panel.rect.height, DEFAULT_PANEL[1], 1, "panel height")
        self.assertEqual((window.rect.left, window.rect.top), (0, 0), "a first start opens at the top-left corner")

    def test_first_start_opens_at_origin_with_the_default_size(self):
        window = self.settled_window(self.start_lumbra())
        self.assertEqual(window.title, TITLE)
        self.assertEqual(window.class_name, WINDOW_CLASS)
        self.assertTrue(window.visible)
        self.assertDefaultGeometry(window)

        # The panel is the only child, inside margins of 2 px (left, top) and 3 px (right, bottom),
        # so the window is the panel plus its frame and those margins.
        self.assertEqual([c.class_name for c in window.children], [PANEL_CLASS])
        panel, client = window.panel.rect, window.client
        self.assertEqual(window.panel.raw["inParent"]["left"], PANEL_OFFSET)
        self.assertEqual(window.panel.raw["inParent"]["top"], PANEL_OFFSET)
        self.assertNear(client.right - panel.right, PANEL_FAR_MARGIN, 1, "right margin")
        self.assertNear(client.bottom - panel.bottom, PANEL_FAR_MARGIN, 1, "bottom margin")
        frame_w = window.rect.width - client.width
        frame_h = window.rect.height - client.height
        self.assertNear(window.rect.width, panel.width + frame_w + PANEL_OFFSET + PANEL_FAR_MARGIN, 1, "window width")
        self.assertNear(window.rect.height, panel.height + frame_h + PANEL_OFFSET + PANEL_FAR_MARGIN, 1,
                        "window height")

        # The margins show the window's own background colour.
        margin_points = [(client.left, client.top), (client.left, client.center[1]),
                         (client.right - 1, client.center[1]), (client.center[0], client.bottom - 1)]
        wait_until(lambda: all(colour_close(rgb, WINDOW_BACKGROUND, 2) for rgb in self.session.pixels(margin_points)),
                   timeout=5, what=f"the margins to show {WINDOW_BACKGROUND}",
                   describe=lambda: list(zip(margin_points, self.session.pixels(margin_points))))

    def test_window_is_topmost(self):
        window = self.start_lumbra().window()
        self.assertTrue(window.topmost, "WS_EX_TOPMOST")

    def test_update_info_is_written_at_every_start_and_geometry_only_at_close(self):
        # Stale values from an older version must be replaced.
        self.session.reg_set(UPDATE_SECTION, "ApplicationPath", r"C:\old\place")
        self.session.reg_set(UPDATE_SECTION, "CurrentVersion", "1.05.0003")
        program = self.start_lumbra()
        expected_path = self.session.windows_path(self.session.cfg.exe.parent).rstrip("\\")

        info = wait_until(lambda: (v := self.session.reg_values(UPDATE_SECTION)) and
                          v.get("CurrentVersion") != "1.05.0003" and v, timeout=5,
                          what="UpdateInfo to be rewritten",
                          describe=lambda: self.session.reg_values(UPDATE_SECTION))
        self.assertEqual(self.session.reg_get_typed(UPDATE_SECTION, "CurrentVersion"), ("REG_SZ", "1.12.0000"))
        kind, path = self.session.reg_get_typed(UPDATE_SECTION, "ApplicationPath")
        self.assertEqual(kind, "REG_SZ")
        self.assertEqual(path.rstrip("\\").lower(), expected_path.lower(), f"UpdateInfo: {info}")

        stored = self.session.stored_geometry() or {}
        self.assertFalse(set(stored) & set(GEOMETRY_KEYS), f"geometry written before closing: {stored}")
        program.stop()

    def test_garbage_stored_values_fall_back_to_the_defaults(self):
        self.session.store_geometry(Left="abc", Top="abc", Width="abc", Height="abc")
        window = self.settled_window(self.start_lumbra())
        self.assertTrue(window.visible)
        self.assertDefaultGeometry(window)

    def test_stored_position_on_no_monitor_starts_a_visible_window_on_screen(self):
        for left, top in (("-99999", "-99999"), ("99999", "99999")):
            with self.subTest(left=left, top=top):
                self.session.reset_state()
                self.session.store_geometry(Left=left, Top=top)
                program = self.start_lumbra()
                window = self.settled_window(program)
                self.shot(f"{left}_{top}")
                self.assertTrue(window.visible)
                self.assertTrue(SCREEN.contains(window.rect), f"{window.rect} is not on the {SCREEN} screen")
                program.stop()

    def test_stored_size_below_half_the_default_starts_at_half(self):
        program = self.start_lumbra()
        default = self.settled_window(program)
        program.stop()
        frame_w = default.rect.width - default.panel.rect.width
        frame_h = default.rect.height - default.panel.rect.height

        # A window around a 60x45 px picture: the screen's proportions, far below half the default.
        self.session.reset_state()
        self.session.store_geometry(Left=str(300 * TWIPS_PER_PIXEL), Top=str(200 * TWIPS_PER_PIXEL),
                                    Width=str((60 + frame_w) * TWIPS_PER_PIXEL),
                                    Height=str((45 + frame_h) * TWIPS_PER_PIXEL))
        window = self.settled_window(self.start_lumbra())
        half_w, half_h = default.rect.width / 2, default.rect.height / 2
        # The window system may hold a window wider than half the default (its minimum tracking
        # width); then that width is the minimum. The picture keeps to the width, the height follows.
        min_w = max(half_w, self.session.metrics()["minTrack"]["x"])
        self.assertGreaterEqual(window.rect.width, half_w - 1, f"{window.rect} narrower than half of {default.rect}")
        self.assertGreaterEqual(window.rect.height, half_h - 1, f"{window.rect} lower than half of {default.rect}")
        at_half = half_w - 1 <= window.rect.width <= min_w + 1 or abs(window.rect.height - half_h) <= 1
        self.assertTrue(at_half, f"{window.rect}: neither width {min_w} nor height {half_h} is at the minimum")
        self.assertEqual((window.rect.left, window.rect.top), (300, 200))
        # The stored picture had the screen's proportions, and keeps them.
        panel = window.panel.rect
        self.assertNear(panel.height, panel.width * 3 / 4, 1.5, f"panel {panel.width}x{panel.height}")


class CloseAndRestore(LumbraTestCase):

    def test_close_button_writes_the_geometry_and_a_restart_restores_it(self):
        program = self.start_lumbra()
        window = self.settled_window(program)

        # Somewhere else, and another size: drag the caption, then two wheel notches towards the user.
        grab = self.frame_point(window, "HTCAPTION")
        self.session.drag(grab, (grab[0] + 280, grab[1] + 190))
        moved = self.wait_geometry_change(program, window.rect)
        self.session.wheel(*moved.rect.center, notches=-2)
        wait_until(lambda: program.window().rect.width >= moved.rect.width + 50, timeout=5,
                   what="two wheel steps to enlarge the window", describe=lambda: program.window().rect)
        before = self.settled_window(program)
        self.shot("before-close")

        self.session.click(*self.frame_point(before, "HTCLOSE"))
        self.assertEqual(program.wait_exit(timeout=10), 0, "exit code after closing")

        stored = self.session.stored_geometry()
        self.assertIsNotNone(stored, "nothing stored at close")
        for name, pixels in zip(GEOMETRY_KEYS, (before.rect.left, before.rect.top,
                                                before.rect.width, before.rect.height)):
            self.assertIn(name, stored)
            self.assertRegex(stored[name], DECIMAL_TEXT, f"{name} is not decimal text")
            self.assertNear(float(stored[name]), pixels * TWIPS_PER_PIXEL, TWIPS_PER_PIXEL, f"stored {name} (twips)")

        # The icon left the notification area with the program.
        wait_until(lambda: self.tray_icons() is None, timeout=5, what="the notification-area icon to go")

        restarted = self.settled_window(self.start_lumbra())
        self.assertRectNear(restarted.rect, before.rect, 1, "restored window")
        self.assertRectNear(restarted.panel.rect, before.panel.rect, 1, "restored panel")

    def test_closing_by_message_also_stores_the_geometry(self):
        self.session.store_geometry(Left="4500", Top="3000")
        program = self.start_lumbra()
        window = self.settled_window(program)
        self.assertEqual((window.rect.left, window.rect.top), (300, 200))
        self.assertEqual(program.close(), 0)
        stored = self.session.stored_geometry()
        self.assertEqual({k: float(stored[k]) for k in GEOMETRY_KEYS},
                         {"Left": 4500.0, "Top": 3000.0,
                          "Width": window.rect.width * TWIPS_PER_PIXEL, "Height": window.rect.height * TWIPS_PER_PIXEL})


if __name__ == "__main__":
    lumbra_e2e.main()
