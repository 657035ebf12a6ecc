#!/usr/bin/env python3
"""The picture panel shows the desktop colour of WIN.INI and follows its changes."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import LumbraTestCase, colour_close, holds_for, wait_until  # noqa: E402

MAGENTA = (200, 40, 120)
GREEN = (30, 160, 60)


class DesktopColour(LumbraTestCase):

    def panel_pixels(self, program):
        points = program.window().panel.rect.sample_points(inset=3)
        return list(zip(points, self.session.pixels(points)))

    def wait_panel_colour(self, program, rgb, timeout=5.0):
        """Every sample point of the panel shows rgb."""
        return wait_until(lambda: all(colour_close(c, rgb, 3) for _, c in self.panel_pixels(program)),
                          timeout=timeout, what=f"the panel to show {rgb}",
                          describe=lambda: self.panel_pixels(program))

    def test_panel_shows_the_desktop_colour_of_win_ini(self):
        self.session.set_desktop_colour(MAGENTA)
        program = self.start_lumbra()
        self.wait_panel_colour(program, MAGENTA)

    def test_missing_colour_shows_the_system_desktop_colour(self):
        program = self.start_lumbra()
        # From a colour of its own first: the system colour is also what the desktop behind shows.
        self.session.set_desktop_colour(MAGENTA, announce=True)
        self.wait_panel_colour(program, MAGENTA)
        self.session.set_desktop_colour(None, announce=True)
        self.wait_panel_colour(program, self.session.system_desktop_colour())

    def test_panel_follows_a_colour_change_announced_by_wm_settingchange(self):
        self.session.set_desktop_colour(MAGENTA)
        program = self.start_lumbra()
        self.session.set_desktop_colour(GREEN, announce=True)
        self.wait_panel_colour(program, GREEN)
        self.session.set_desktop_colour(MAGENTA, announce=True)
        self.wait_panel_colour(program, MAGENTA)

    def test_a_repaint_recomposes_with_the_current_colour(self):
        program = self.start_lumbra()
        self.session.set_desktop_colour(MAGENTA, announce=True)
        self.wait_panel_colour(program, MAGENTA)
        # Changed without an announcement: only the next repaint of the window picks it up.
        self.session.set_desktop_colour(GREEN)
        self.session.probe("redraw", str(program.window().hwnd))
        self.wait_panel_colour(program, GREEN)

    def test_with_dbg_the_picture_is_not_recomposed_on_settings_change_or_repaint(self):
        self.session.set_desktop_colour(MAGENTA)
        program = self.start_lumbra("/dbg")
        # Without the message hook the picture is composed by the resize handling only.
        window = self.settled_window(program)
        edge = self.frame_point(window, "HTRIGHT")
        self.session.drag(edge, (edge[0] + 30, edge[1]))
        self.wait_panel_colour(program, MAGENTA)
        self.session.set_desktop_colour(GREEN, announce=True)
        self.session.probe("redraw", str(program.window().hwnd))
        holds_for(lambda: all(colour_close(c, MAGENTA, 3) for _, c in self.panel_pixels(program)),
                  duration=1.5, what="the old colour under /dbg")


if __name__ == "__main__":
    lumbra_e2e.main()
