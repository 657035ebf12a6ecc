#!/usr/bin/env python3
"""The picture panel shows the desktop colour of WIN.INI and follows each way it is changed."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import LumbraTestCase, colour_close, wait_until  # noqa: E402

MAGENTA = (200, 40, 120)
GREEN = (30, 160, 60)
WM_SYSCOLORCHANGE = 0x0015


class DesktopColour(LumbraTestCase):

    def wait_panel_colour(self, program, rgb):
        def pixels():
            return self.session.pixels(program.window().panel.rect.sample_points(inset=3))
        wait_until(lambda: all(colour_close(c, rgb, 3) for c in pixels()), timeout=5,
                   what=f"the panel to show {rgb}", describe=pixels)

    def test_the_panel_shows_the_desktop_colour_and_follows_its_changes(self):
        self.session.set_desktop_colour(MAGENTA)
        program = self.start_lumbra()
        self.wait_panel_colour(program, MAGENTA)
        self.session.set_desktop_colour(GREEN, announce=True)  # WM_SETTINGCHANGE to every window
        self.wait_panel_colour(program, GREEN)
        # A solid colour chosen in Windows' settings: written, then WM_SYSCOLORCHANGE alone.
        self.session.set_desktop_colour(MAGENTA)
        self.session.probe("send", str(program.window().hwnd), str(WM_SYSCOLORCHANGE))
        self.wait_panel_colour(program, MAGENTA)
        self.session.set_desktop_colour(GREEN)  # unannounced: the next repaint picks it up
        self.session.probe("redraw", str(program.window().hwnd))
        self.wait_panel_colour(program, GREEN)
        self.session.set_desktop_colour(None, announce=True)
        self.wait_panel_colour(program, self.session.system_desktop_colour())


if __name__ == "__main__":
    lumbra_e2e.main()
