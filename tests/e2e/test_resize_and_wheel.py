#!/usr/bin/env python3
"""The frame keeps the picture's proportions; small wheel deltas add up to a 25 px notch. (A notch's
direction and anchor: test_main_window.py at 144 DPI, and the host tests.)"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import TWIPS_PER_PIXEL, LumbraTestCase, holds_for  # noqa: E402


class ResizeAndWheel(LumbraTestCase):

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
