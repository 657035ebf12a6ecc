#!/usr/bin/env python3
"""The pictures of the READMEs, taken from the real program in the end-to-end tests' Wine session:
the miniature with a centred photo and with a tiled pattern, the popup menu, and the drop menu
after a right-button drag. Each waits for what it photographs. The cropped pictures go to
build/win/e2e/shots/docs-*.png and, with LUMBRA_DOCS_DIR set, there too (the committed ones live
in docs/). Run it after building the `win` preset:

    LUMBRA_DOCS_DIR=docs python3 tools/docs_pictures.py
"""

from __future__ import annotations

import math
import os
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import Rect, wait_until  # noqa: E402
from test_wallpaper import WallpaperTestCase, bmp_bytes, write_jpeg  # noqa: E402


def landscape(x, y, w=640, h=480):
    """A small evening landscape: sky gradient, a sun, two hills and a lake."""
    fx, fy = x / w, y / h
    if (fx - 0.7) ** 2 + ((fy - 0.32) * h / w) ** 2 < 0.006:
        return (255, 214, 120)
    if fy > 0.86:
        return (40, 90, 140) if (y // 3) % 2 else (52, 108, 160)
    if fy > 0.70 + 0.06 * math.sin(fx * 9.0 + 2.0):
        return (34, 96, 58)
    if fy > 0.62 + 0.10 * math.sin(fx * 5.0 + 0.6):
        return (70, 128, 80)
    return (int(250 - 120 * fy / 0.7), int(150 - 40 * fy / 0.7), int(120 + 80 * fy / 0.7))


def diamond(x, y, size=96):
    """A tile of a checked pattern with a diamond, for the tiled desktop."""
    if abs(x - size / 2 + 0.5) + abs(y - size / 2 + 0.5) < size * 0.3:
        return (236, 184, 64)
    return (40, 70, 120) if (x < size / 2) == (y < size / 2) else (52, 88, 146)


class DocsScreenshots(WallpaperTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.desk = self.session.desktop_folder()
        lumbra_e2e.empty_folder(self.desk)
        self.addCleanup(lumbra_e2e.empty_folder, self.desk)
        photo = self.folder / "evening.jpg"
        write_jpeg(photo, 640, 480, landscape)
        self.session.store_geometry(Left="1800", Top="1500")  # the whole frame in the pictures
        self.photo = self.session.windows_path(photo)
        self.set_wallpaper(self.photo, 0, 2)  # stretched

    def menu(self) -> Rect | None:
        """The first open menu."""
        menus = [w for w in self.session.probe("windows")["windows"] if w["class"] == "#32768"]
        return lumbra_e2e.WindowInfo(menus[0]).rect if menus else None

    def crop(self, name: str, *rects: Rect) -> None:
        """The desktop around `rects` as shots/docs-<name>.png, and into LUMBRA_DOCS_DIR."""
        left, top = min(r.left for r in rects) - 12, min(r.top for r in rects) - 12  # away from the edges
        right, bottom = max(r.right for r in rects) + 12, max(r.bottom for r in rects) + 12
        full = self.session.screenshot(f"docs-{name}-full")
        out = full.with_name(f"docs-{name}.png")
        subprocess.run(["convert", str(full), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                        "-strip", str(out)], check=True, timeout=60)
        if docs := os.environ.get("LUMBRA_DOCS_DIR"):
            Path(docs).mkdir(parents=True, exist_ok=True)
            shutil.copyfile(out, Path(docs) / f"{name}.png")

    def test_miniature_with_a_centred_photo_and_with_a_tiled_pattern(self):
        self.set_wallpaper(self.photo, 0, 0)
        program, _ = self.start()
        window = self.settled_window(program)
        self.session.wheel(*window.rect.center, notches=-3)  # bigger, for more detail
        window = self.wait_geometry_change(program, window.rect)
        wait_until(lambda: self.session.area(window.panel.rect)["distinct"] > 100, timeout=5, what="the photo")
        self.crop("miniature-centre", window.rect)
        self.set_wallpaper(self.picture("diamond.bmp", bmp_bytes(96, 96, diamond)), 1, 0)
        wait_until(lambda: self.session.pixel(window.panel.rect.left + 2, window.panel.rect.top + 2) in
                   {(40, 70, 120), (52, 88, 146)}, timeout=5, what="the tiled pattern")
        self.crop("miniature-tile", window.rect)

    def test_popup_menu_with_desktop_entries(self):
        (self.desk / "メモ.txt").write_text("memo", encoding="utf-8")
        (self.desk / "予定表.txt").write_text("plan", encoding="utf-8")
        (self.desk / "写真").mkdir()
        program, panel = self.start()
        self.session.click(panel.left + panel.width // 3, panel.top + panel.height // 3, button=3)
        self.crop("popup-menu", program.window().rect, wait_until(self.menu, timeout=10, what="the popup menu"))
        self.session.xdotool("key", "Escape")

    def test_drop_menu_after_a_right_button_drag(self):
        source = self.folder / "報告書.txt"
        source.write_text("report", encoding="utf-8")
        program, panel = self.start()
        exe = self.session.cfg.probe.parent / "lumbra_dragsource.exe"
        drag = subprocess.Popen(["wine", exe, self.session.windows_path(source)],
                                env=self.session.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: drag.poll() is None and drag.kill())
        source_window = wait_until(lambda: self.session.find_window("LumbraDragSource", "LumbraDragSource"), timeout=20,
                                   what="the drag source's window")
        self.session.drag(source_window.rect.center, panel.center, button=3, steps=16, step_delay=0.05)
        self.crop("drop-menu", program.window().rect, wait_until(self.menu, timeout=10, what="the drop menu"))
        self.session.xdotool("key", "Escape")


if __name__ == "__main__":
    lumbra_e2e.main()
