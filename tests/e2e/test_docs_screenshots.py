#!/usr/bin/env python3
"""The pictures of the READMEs, taken from the real program: the miniature with a centred photo and
with a tiled pattern, the popup menu, and the drop menu after a right-button drag. Each test also
checks that what it photographs is really there. With LUMBRA_DOCS_DIR set, the cropped pictures
are written there too (the committed ones live in docs/)."""

from __future__ import annotations

import math
import os
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import Rect, wait_until  # noqa: E402
from test_file_drop import dragsource_exe  # noqa: E402
from test_popup_menu import menuhelper_exe  # noqa: E402
from test_wallpaper import WallpaperTestCase, png_bytes, write_jpeg  # noqa: E402

import json  # noqa: E402


def landscape(w: int, h: int):
    """A small evening landscape: sky gradient, a sun, two hills and a lake."""
    def colour(x, y):
        fx, fy = x / w, y / h
        if (fx - 0.7) ** 2 + ((fy - 0.32) * h / w) ** 2 < 0.006:
            return (255, 214, 120)
        hill1 = 0.62 + 0.10 * math.sin(fx * 5.0 + 0.6)
        hill2 = 0.70 + 0.06 * math.sin(fx * 9.0 + 2.0)
        if fy > 0.86:
            return (40, 90, 140) if (y // 3) % 2 else (52, 108, 160)
        if fy > hill2:
            return (34, 96, 58)
        if fy > hill1:
            return (70, 128, 80)
        t = fy / 0.7
        return (int(250 - 120 * t), int(150 - 40 * t), int(120 + 80 * t))
    return colour


def pattern(size: int):
    """A tile of a checked pattern with a diamond, for the tiled desktop."""
    def colour(x, y):
        cx, cy = abs(x - size / 2 + 0.5), abs(y - size / 2 + 0.5)
        if cx + cy < size * 0.3:
            return (236, 184, 64)
        return (40, 70, 120) if (x < size / 2) == (y < size / 2) else (52, 88, 146)
    return colour


class DocsScreenshots(WallpaperTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.desk = self.session.desktop_folder()
        self.clear_desktop()
        self.addCleanup(self.clear_desktop)
        self.source: subprocess.Popen | None = None
        self.addCleanup(self.stop_source)

    def clear_desktop(self) -> None:
        lumbra_e2e.empty_folder(self.desk)

    def stop_source(self) -> None:
        if self.source is not None and self.source.poll() is None:
            self.source.kill()
            self.source.wait(timeout=10)

    def helper(self, exe: Path, *args: str) -> dict:
        out = subprocess.run(["wine", str(exe), *args], env=self.session.env, timeout=60, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, check=False)
        for line in out.stdout.decode("utf-8", "replace").splitlines():
            if line.startswith("{"):
                return json.loads(line)
        raise AssertionError(f"{exe.name} {args!r} gave no answer")

    def menus(self) -> list[Rect]:
        return [Rect(*m["rect"]) for m in self.helper(menuhelper_exe(), "menus")["menus"]]

    def crop(self, name: str, area: Rect) -> Path:
        """The desktop cut to `area`, as build/.../shots/docs-<name>.png (and into LUMBRA_DOCS_DIR)."""
        full = self.session.screenshot(f"docs-{name}-full")
        out = full.with_name(f"docs-{name}.png")
        subprocess.run(["convert", str(full), "-crop", f"{area.width}x{area.height}+{area.left}+{area.top}",
                        "+repage", "-strip", str(out)], check=True, timeout=60)
        docs = os.environ.get("LUMBRA_DOCS_DIR")
        if docs:
            Path(docs).mkdir(parents=True, exist_ok=True)
            shutil.copyfile(out, Path(docs) / f"{name}.png")
        return out

    def around(self, *rects: Rect, margin: int = 12) -> Rect:
        left = max(0, min(r.left for r in rects) - margin)
        top = max(0, min(r.top for r in rects) - margin)
        right = min(lumbra_e2e.DESKTOP_WIDTH, max(r.right for r in rects) + margin)
        bottom = min(lumbra_e2e.DESKTOP_HEIGHT, max(r.bottom for r in rects) + margin)
        return Rect(left, top, right, bottom)

    def distinct_colours(self, rect: Rect) -> int:
        points = [(rect.left + rect.width * i // 9, rect.top + rect.height * j // 9) for i in range(1, 9)
                  for j in range(1, 9)]
        return len({tuple(c // 16 for c in p) for p in self.session.pixels(points)})

    def start(self):
        # Away from the screen's corner, so the whole frame shows in the pictures.
        self.session.store_geometry(Left="1800", Top="1500")
        return super().start()

    def bigger_window(self, program) -> lumbra_e2e.WindowInfo:
        """Three wheel notches toward the user, so the pictures show more detail."""
        window = self.settled_window(program)
        self.session.wheel(*window.rect.center, notches=-3)
        self.wait_geometry_change(program, window.rect)
        return self.settled_window(program)

    def test_miniature_with_a_centred_photo_and_with_a_tiled_pattern(self):
        photo = self.folder / "evening.jpg"
        write_jpeg(photo, 640, 480, landscape(640, 480))
        self.set_wallpaper(self.session.windows_path(photo), 0, 0)
        program, _ = self.start()
        window = self.bigger_window(program)
        panel = window.panel.rect
        wait_until(lambda: self.distinct_colours(panel) >= 6, timeout=5, what="the photo in the panel")
        self.crop("miniature-centre", self.around(window.rect))

        tile = self.picture("diamond.png", png_bytes(96, 96, pattern(96)))
        self.set_wallpaper(tile, 1, 0)
        wait_until(lambda: self.session.pixel(panel.left + 2, panel.top + 2) in
                   {(40, 70, 120), (52, 88, 146)} or self.distinct_colours(panel) >= 3,
                   timeout=5, what="the tiled pattern")
        self.crop("miniature-tile", self.around(window.rect))

    def test_popup_menu_with_desktop_entries(self):
        (self.desk / "メモ.txt").write_text("memo", encoding="utf-8")
        (self.desk / "予定表.txt").write_text("plan", encoding="utf-8")
        (self.desk / "写真").mkdir()
        photo = self.folder / "evening.jpg"
        write_jpeg(photo, 640, 480, landscape(640, 480))
        self.set_wallpaper(self.session.windows_path(photo), 0, 2)
        program, panel = self.start()
        window = self.settled_window(program)
        x, y = panel.left + panel.width // 3, panel.top + panel.height // 3
        self.session.click(x, y, button=3)
        menu = wait_until(lambda: (self.menus() or [None])[0], timeout=10, what="the popup menu")
        self.assertGreater(menu.height, 15 * 15, "the fixed items and the desktop entries")
        self.crop("popup-menu", self.around(window.rect, menu))
        self.session.xdotool("key", "Escape")
        wait_until(lambda: not self.menus(), timeout=5, what="the menu to close")

    def test_drop_menu_after_a_right_button_drag(self):
        src = self.session.cfg.prefix / "drive_c" / "lumbra-docs-src"
        shutil.rmtree(src, ignore_errors=True)
        src.mkdir()
        (src / "報告書.txt").write_text("report", encoding="utf-8")
        result = self.session.cfg.work / "docs-dragsource.json"
        result.unlink(missing_ok=True)
        photo = self.folder / "evening.jpg"
        write_jpeg(photo, 640, 480, landscape(640, 480))
        self.set_wallpaper(self.session.windows_path(photo), 0, 2)
        program, panel = self.start()
        window = self.settled_window(program)
        args = ["drag", f"--out=Z:{str(result).replace('/', chr(92))}", "C:\\lumbra-docs-src\\報告書.txt"]
        self.source = subprocess.Popen(["wine", str(dragsource_exe()), *args], env=self.session.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       stdin=subprocess.DEVNULL)
        found = wait_until(lambda: (lambda a: a if a["found"] else None)(
            self.helper(dragsource_exe(), "find", "LumbraDragSource", "LumbraDragSource")),
            timeout=20, what="the drag source's window")
        left, top, right, bottom = found["rect"]
        end = (panel.left + panel.width // 2, panel.top + panel.height // 2)
        self.session.drag(((left + right) // 2, (top + bottom) // 2), end, button=3, steps=16, step_delay=0.05)
        menu = wait_until(lambda: (self.menus() or [None])[0], timeout=10, what="the drop menu")
        self.assertLess(menu.height, 8 * 22, "the drop menu's four items and a line")
        self.crop("drop-menu", self.around(window.rect, menu))
        self.session.xdotool("key", "Escape")
        wait_until(lambda: not self.menus(), timeout=5, what="the drop menu to close")
        self.assertEqual(sorted(p.name for p in self.desk.iterdir()), [], "Escape does nothing")


if __name__ == "__main__":
    lumbra_e2e.main()
