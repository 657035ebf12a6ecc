#!/usr/bin/env python3
"""Resizing by the frame keeps the picture's proportions and the minimum size; the mouse wheel
zooms the window by 25 px per message around the pointer."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import TWIPS_PER_PIXEL, LumbraTestCase, holds_for, wait_until  # noqa: E402

START = (300, 200)  # room on every side of the default window
WHEEL_STEP = 25


class ResizeTestCase(LumbraTestCase):

    def start_placed(self, *args):
        self.session.store_geometry(Left=str(START[0] * TWIPS_PER_PIXEL), Top=str(START[1] * TWIPS_PER_PIXEL))
        # Only so that the panel stands out from the desktop in the screenshots.
        self.session.set_desktop_colour((200, 40, 120))
        program = self.start_lumbra(*args)
        window = self.settled_window(program)
        self.assertEqual((window.rect.left, window.rect.top), START)
        return program, window

    def assertPictureProportions(self, window, ratio, msg=""):
        """The panel keeps its height/width ratio (to the pixel) and the window holds the panel
        with the same frame as before."""
        panel = window.panel.rect
        self.assertNear(panel.height, panel.width * ratio, 1.5, f"{msg} panel {panel.width}x{panel.height}")

    @staticmethod
    def frame_of(window):
        return (window.rect.width - window.panel.rect.width, window.rect.height - window.panel.rect.height)


class FrameDrag(ResizeTestCase):

    def drag_part(self, program, window, part, dx, dy):
        start = self.frame_point(window, part)
        self.session.drag(start, (start[0] + dx, start[1] + dy))
        return self.wait_geometry_change(program, window.rect)

    def test_dragging_the_right_edge_wider_makes_the_window_taller(self):
        program, before = self.start_placed()
        ratio = before.panel.rect.height / before.panel.rect.width
        after = self.drag_part(program, before, "HTRIGHT", 60, 0)
        self.assertNear(after.rect.width, before.rect.width + 60, 2, "width")
        self.assertPictureProportions(after, ratio)
        self.assertEqual(self.frame_of(after), self.frame_of(before))
        self.assertGreater(after.rect.height, before.rect.height + 40)
        self.assertEqual((after.rect.left, after.rect.top), START)

    def test_dragging_the_right_edge_narrower_keeps_the_size(self):
        program, before = self.start_placed()
        start = self.frame_point(before, "HTRIGHT")
        self.session.drag(start, (start[0] - 40, start[1]))
        # The width comes back from the unchanged height: the end state equals the start.
        after = wait_until(lambda: (w := self.settled_window(program)) and
                           abs(w.rect.width - before.rect.width) <= 1 and w,
                           timeout=5, what="the width to come back", describe=lambda: program.window().rect)
        self.assertRectNear(after.rect, before.rect, 1)
        self.assertRectNear(after.panel.rect, before.panel.rect, 1)

    def test_dragging_the_bottom_edge_lower_makes_the_window_wider(self):
        program, before = self.start_placed()
        ratio = before.panel.rect.height / before.panel.rect.width
        after = self.drag_part(program, before, "HTBOTTOM", 0, 45)
        self.assertNear(after.rect.height, before.rect.height + 45, 2, "height")
        self.assertNear(after.rect.width, before.rect.width + 45 / ratio, 2, "width follows")
        self.assertPictureProportions(after, ratio)

    def test_dragging_the_corner_lets_the_larger_picture_win(self):
        program, before = self.start_placed()
        ratio = before.panel.rect.height / before.panel.rect.width
        after = self.drag_part(program, before, "HTBOTTOMRIGHT", 100, 20)
        # 100 px more width asks for a larger picture than 20 px more height: the width wins.
        self.assertNear(after.rect.width, before.rect.width + 100, 2, "width")
        self.assertNear(after.rect.height, before.rect.height + 100 * ratio, 2, "height")
        self.assertPictureProportions(after, ratio)
        self.assertEqual((after.rect.left, after.rect.top), START)

    def test_the_window_never_gets_smaller_than_half_its_default_size(self):
        program, before = self.start_placed()
        ratio = before.panel.rect.height / before.panel.rect.width
        corner = self.frame_point(before, "HTBOTTOMRIGHT")
        self.session.drag(corner, (before.rect.left + 30, before.rect.top + 20))
        after = self.wait_geometry_change(program, before.rect)
        self.assertGreaterEqual(after.rect.width, before.rect.width / 2 - 1, f"{after.rect} vs default {before.rect}")
        self.assertGreaterEqual(after.rect.height, before.rect.height / 2 - 1, f"{after.rect} vs default {before.rect}")
        self.assertLess(after.rect.width, before.rect.width * 0.75, "the drag made the window smaller")
        self.assertPictureProportions(after, ratio)


class WheelZoom(ResizeTestCase):

    def expected_step(self, before, px, py, notch_away):
        """Width ±25 px; each edge moves by its share of the step by where the pointer is; the
        height follows the picture."""
        r = before.rect
        step = -WHEEL_STEP if notch_away else WHEEL_STEP
        ax = (px - r.left) / r.width
        ay = (py - r.top) / r.height
        width = r.width + step
        frame_w, frame_h = self.frame_of(before)
        ratio = before.panel.rect.height / before.panel.rect.width
        return {"left": r.left - step * ax, "top": r.top - step * ay, "width": width,
                "height": (width - frame_w) * ratio + frame_h}

    def assertStep(self, after, expected, tolerance=1.0):
        actual = {"left": after.rect.left, "top": after.rect.top,
                  "width": after.rect.width, "height": after.rect.height}
        for key in ("left", "width"):
            self.assertNear(actual[key], expected[key], tolerance, f"{key} ({actual} vs {expected})")
        for key in ("top", "height"):
            self.assertNear(actual[key], expected[key], tolerance + 0.5, f"{key} ({actual} vs {expected})")

    def wheel_once(self, pointer_at):
        program, before = self.start_placed()
        r = before.rect
        px = {"left": r.left, "middle": r.left + r.width // 2, "right": r.right - 1}[pointer_at]
        py = r.top + r.height // 2
        self.session.wheel(px, py, notches=1)
        after = self.wait_geometry_change(program, before.rect)
        return before, after, self.expected_step(before, px, py, notch_away=True)

    def test_wheel_away_with_the_pointer_at_the_left_edge_moves_the_right_edge(self):
        before, after, expected = self.wheel_once("left")
        self.assertStep(after, expected)
        self.assertEqual(after.rect.left, before.rect.left)
        self.assertNear(after.rect.right, before.rect.right - WHEEL_STEP, 1, "right edge")

    def test_wheel_away_with_the_pointer_at_the_right_edge_moves_the_left_edge(self):
        before, after, expected = self.wheel_once("right")
        self.assertStep(after, expected)
        self.assertNear(after.rect.right, before.rect.right, 1, "right edge")

    def test_wheel_away_with_the_pointer_in_the_middle_moves_both_edges_half_a_step(self):
        before, after, expected = self.wheel_once("middle")
        self.assertStep(after, expected)
        self.assertNear(after.rect.left - before.rect.left, WHEEL_STEP / 2, 1, "left edge")
        self.assertNear(before.rect.right - after.rect.right, WHEEL_STEP / 2, 1, "right edge")

    def test_each_notch_towards_the_user_enlarges_by_one_step(self):
        program, before = self.start_placed()
        px, py = before.rect.center
        self.session.wheel(px, py, notches=-3)
        after = wait_until(lambda: (w := self.settled_window(program)) and
                           w.rect.width >= before.rect.width + 3 * WHEEL_STEP - 2 and w,
                           timeout=5, what="three wheel steps", describe=lambda: program.window().rect)
        self.assertNear(after.rect.width, before.rect.width + 3 * WHEEL_STEP, 2, "width after three notches")
        self.assertNear(after.rect.center[0], before.rect.center[0], 2, "the pointer stays in the middle")
        ratio = before.panel.rect.height / before.panel.rect.width
        self.assertPictureProportions(after, ratio)

    def test_a_message_of_two_notches_makes_one_step(self):
        program, before = self.start_placed()
        px, py = before.rect.center
        self.session.probe("wheel", str(before.hwnd), "240", str(px), str(py))
        after = self.wait_geometry_change(program, before.rect)
        self.assertStep(after, self.expected_step(before, px, py, notch_away=True))

    def test_with_dbg_the_wheel_does_nothing(self):
        program, before = self.start_placed("/dbg")
        self.session.wheel(*before.rect.center, notches=1)
        self.session.wheel(*before.rect.center, notches=-1)
        holds_for(lambda: program.window().rect == before.rect, duration=1.5, what="the size under /dbg")

    def test_only_the_exact_dbg_switch_turns_the_wheel_off(self):
        program, before = self.start_placed("/DBG")
        self.session.wheel(*before.rect.center, notches=1)
        after = self.wait_geometry_change(program, before.rect)
        self.assertNear(after.rect.width, before.rect.width - WHEEL_STEP, 1, "width")


if __name__ == "__main__":
    lumbra_e2e.main()
