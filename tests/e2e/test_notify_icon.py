#!/usr/bin/env python3
"""Left clicks on the notification-area icon hide and show the window and swap the icon."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import (DESKTOP_HEIGHT, DESKTOP_WIDTH, TASKBAR_TOP, LumbraTestCase, holds_for,  # noqa: E402
                        wait_until)

GREY_TOLERANCE = 12   # R, G and B of every icon pixel within this of each other
COLOURED_CHROMA = 40  # a coloured icon has pixels far from grey


class NotifyIcon(LumbraTestCase):

    def setUp(self):
        super().setUp()
        # The icon is found as whatever the notification area shows: it must start empty. An icon
        # left by a killed process goes when the pointer passes over it.
        icons = self.tray_icons()
        if icons is not None:
            self.session.mouse_move(*icons.center)
            self.session.mouse_move(icons.left, icons.center[1])
            wait_until(lambda: self.tray_icons() is None, timeout=5, what="an empty notification area",
                       describe=self.tray_icons)

    def icon_area(self):
        icons = wait_until(self.tray_icons, timeout=5, what="an icon in the notification area")
        self.assertGreaterEqual(icons.top, TASKBAR_TOP)
        self.assertLessEqual(icons.bottom, DESKTOP_HEIGHT)
        self.assertGreater(icons.left, DESKTOP_WIDTH - 60, f"icon not at the right end of the task bar: {icons}")
        return icons

    def icon_chroma(self, area):
        return self.session.area(area)["maxChroma"]

    def test_two_left_clicks_hide_then_show_the_window_in_place(self):
        program = self.start_lumbra()
        before = self.settled_window(program)
        icon = self.icon_area()
        coloured = self.session.area(icon, dump=True)
        self.assertGreater(coloured["maxChroma"], COLOURED_CHROMA, f"the icon at start is not coloured: {coloured}")
        self.hover_tip(*icon.center, "LumbraPanel")

        self.session.click(*icon.center)
        hidden = program.wait_window("hidden", timeout=5)
        self.assertTrue(program.running, "a click on the icon must not end the program")
        wait_until(lambda: self.icon_chroma(icon) <= GREY_TOLERANCE, timeout=5, what="the icon to turn grey",
                   describe=lambda: self.session.area(icon))
        grey = self.session.area(icon)
        self.assertGreater(grey["max"][0] - grey["min"][0], 20, f"the grey icon is still a picture: {grey}")
        self.assertEqual(self.tray_icons(), icon, "the icon stays in its place")
        self.hover_tip(*icon.center, "LumbraPanel (Disabled)")
        self.shot("hidden")
        self.assertRectNear(hidden.rect, before.rect, 0, "hidden window")

        self.session.click(*icon.center)
        shown = program.wait_window("visible", timeout=5)
        wait_until(lambda: self.icon_chroma(icon) > COLOURED_CHROMA, timeout=5, what="the icon to be coloured again",
                   describe=lambda: self.session.area(icon))
        self.assertRectNear(shown.rect, before.rect, 0, "window shown again in place")
        again = self.session.area(icon, dump=True)
        self.assertEqual(again["rows"], coloured["rows"], "the coloured icon is the one from the start")
        self.hover_tip(*icon.center, "LumbraPanel")
        self.assertTrue(self.settled_window(program).visible)

    def test_a_right_click_on_the_icon_changes_nothing(self):
        program = self.start_lumbra()
        before = self.settled_window(program)
        icon = self.icon_area()
        coloured = self.session.area(icon, dump=True)
        self.session.click(*icon.center, button=3)
        holds_for(lambda: program.window().visible, duration=1.0, what="the window staying shown")
        self.assertEqual(self.session.area(icon, dump=True)["rows"], coloured["rows"], "the icon changed")
        self.assertRectNear(program.window().rect, before.rect, 0)
        # A left click afterwards still works: the right click did not leave the icon in another state.
        self.session.click(*icon.center)
        program.wait_window("hidden", timeout=5)


if __name__ == "__main__":
    lumbra_e2e.main()
