#!/usr/bin/env python3
# The miniature of the desktop background as the panel shows it: every layout, the desktop colour
# and each way it is changed, Windows' copy of a wallpaper that is gone, a one-pixel picture tiled
# without a memory cost, following SPI_SETDESKWALLPAPER and a file that comes back, and a
# double-click on the picture opening the wallpaper file. (Missing, damaged and lying files are
# turned away by the loader and the composition, each tested on its own.)

import math
import struct
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import (DESKTOP_HEIGHT, DESKTOP_WIDTH, TWIPS_PER_PIXEL, LumbraTestCase, Rect,  # noqa: E402
                        colour_close, empty_folder, holds_for, wait_until)

GENERAL_KEY = r"HKCU\Software\Microsoft\Internet Explorer\Desktop\General"
CLASSES_KEY = r"HKCU\Software\Classes"
TEST_EXTENSION, TEST_PROGID = ".lumbrawall", "LumbraTests.Wallpaper"
BACKGROUND = (90, 60, 30)
RED, GREEN, BLUE, WHITE, YELLOW, MAGENTA = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255,) * 3, (255, 255, 0), (255, 0, 255)
WM_SYSCOLORCHANGE = 0x0015
TOLERANCE = 8  # per channel


def quadrants(w, h, colours=(RED, GREEN, BLUE, WHITE)):
    tl, tr, bl, br = colours
    return lambda x, y: (br if x >= w // 2 else bl) if y >= h // 2 else (tr if x >= w // 2 else tl)


def bmp_bytes(w, h, colour) -> bytes:
    row = (w * 3 + 3) & ~3
    out = bytearray(b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54 + row * h, 0, 0, 54, 40, w, h, 1, 24, 0, row * h, 2835, 2835, 0, 0))
    for y in range(h - 1, -1, -1):
        out += b"".join(bytes(reversed(colour(x, y))) for x in range(w)).ljust(row, b"\0")
    return bytes(out)


def write_jpeg(path: Path, w, h, colour) -> None:
    subprocess.run(["convert", "bmp:-", "-quality", "95", "jpeg:" + str(path)], input=bmp_bytes(w, h, colour), check=True, timeout=60)


def wall_rect(mode: str, panel: Rect, picture: tuple[int, int]) -> Rect:
    # Where imgWall stands in the panel, worked out as the program does (twips in single
    # precision, whole pixels); for "tile" the first tile.
    def f32(x):
        return struct.unpack("f", struct.pack("f", x))[0]

    def px(twips):
        return math.floor(twips / TWIPS_PER_PIXEL + 0.5)
    pw, ph = panel.width * TWIPS_PER_PIXEL, panel.height * TWIPS_PER_PIXEL
    nw, nh = picture[0] * TWIPS_PER_PIXEL, picture[1] * TWIPS_PER_PIXEL
    if mode in ("centre", "tile"):
        w, h = f32(pw / (DESKTOP_WIDTH * TWIPS_PER_PIXEL) * nw), f32(ph / (DESKTOP_HEIGHT * TWIPS_PER_PIXEL) * nh)
    elif mode == "stretch":
        w, h = pw, ph
    else:
        k = (min if mode == "fit" else max)(pw / nw, ph / nh)
        w, h = f32(nw * k), f32(nh * k)
    w, h = max(1, px(w)), max(1, px(h))
    if mode in ("tile", "stretch"):
        return Rect(0, 0, w, h)
    left, top = px(f32((pw - w * TWIPS_PER_PIXEL) / 2)), px(f32((ph - h * TWIPS_PER_PIXEL) / 2))
    return Rect(left, top, left + w, top + h)


def quadrant_regions(wall: Rect) -> list:
    half_x, half_y = (wall.left + wall.right) // 2, (wall.top + wall.bottom) // 2
    return [(Rect(wall.left, wall.top, half_x, half_y), RED), (Rect(half_x, wall.top, wall.right, half_y), GREEN),
            (Rect(wall.left, half_y, half_x, wall.bottom), BLUE), (Rect(half_x, half_y, wall.right, wall.bottom), WHITE)]


def background_regions(wall: Rect, panel: Rect) -> list:
    # The four bands of the panel around the picture.
    around = [Rect(0, 0, panel.width, wall.top), Rect(0, wall.bottom, panel.width, panel.height),
              Rect(0, wall.top, wall.left, wall.bottom), Rect(wall.right, wall.top, panel.width, wall.bottom)]
    return [(r, BACKGROUND) for r in around if r.width >= 3 and r.height >= 3]


class WallpaperTestCase(LumbraTestCase):
    # Each test starts with no wallpaper, the test background colour, and a folder of pictures.

    def setUp(self) -> None:
        super().setUp()
        self.folder = self.session.cfg.work / "wallpapers" / self._testMethodName
        self.folder.mkdir(parents=True, exist_ok=True)
        empty_folder(self.folder)
        self.clear_wallpaper()
        self.addCleanup(self.clear_wallpaper)
        self.session.set_desktop_colour(BACKGROUND)

    def clear_wallpaper(self) -> None:
        for key in ("Wallpaper", "TileWallpaper", "WallPaperStyle"):
            self.session.probe("profile-delete", "WIN.INI", "Desktop", key, check=False)
        self.session.probe("reg-delete", GENERAL_KEY, check=False)

    def picture(self, name: str, data: bytes | None) -> str:
        # The file written (None: left out), as the settings name it.
        if data is not None:
            (self.folder / name).write_bytes(data)
        return self.session.windows_path(self.folder / name)

    def set_wallpaper(self, windows_path: str, tile: int, style: int) -> None:
        # As the display settings write them: WIN.INI [Desktop], then WM_SETTINGCHANGE.
        for key, value in (("Wallpaper", windows_path), ("TileWallpaper", tile), ("WallPaperStyle", style)):
            self.session.profile_set("WIN.INI", "Desktop", key, str(value))
        self.session.broadcast_setting_change()

    def start(self) -> tuple[lumbra_e2e.Program, Rect]:
        program = self.start_lumbra()
        return program, self.settled_window(program).panel.rect

    def mismatches(self, program, regions) -> list:
        # Points near the middle and the corners of each region (panel coordinates) that do not
        # show its colour.
        panel = program.window().panel.rect
        points, expected = [], []
        for region, colour in regions:
            r = Rect(max(region.left, 0), max(region.top, 0), min(region.right, panel.width), min(region.bottom, panel.height))
            spots = r.sample_points(2) if r.width > 5 and r.height > 5 else [r.center] if r.width > 0 < r.height else []
            points += [(panel.left + x, panel.top + y) for x, y in spots]
            expected += [colour] * len(spots)
        actual = self.session.pixels(points)
        return [(p, a, e) for p, a, e in zip(points, actual, expected) if not colour_close(a, e, TOLERANCE)]

    def expect_panel(self, program, regions, timeout: float = 5.0, what: str = "the predicted layout"):
        wait_until(lambda: not self.mismatches(program, regions), timeout=timeout, interval=0.1,
                   what=what, describe=lambda: self.mismatches(program, regions)[:6])

    def expect_whole(self, program, panel, colour, **kwargs):
        self.expect_panel(program, [(Rect(0, 0, panel.width, panel.height), colour)], **kwargs)


class Layouts(WallpaperTestCase):

    def test_every_layout_shows_the_picture_where_the_panels_scale_puts_it(self):
        program, panel = self.start()
        self.expect_whole(program, panel, BACKGROUND, what="the colour alone")
        write_jpeg(self.folder / "photo.jpg", 400, 300, quadrants(400, 300))
        wall = wall_rect("centre", panel, (400, 300))
        self.assertEqual((wall.width, wall.height), (80, 60))
        self.set_wallpaper(self.picture("photo.jpg", None), 0, 0)
        self.expect_panel(program, quadrant_regions(wall) + background_regions(wall, panel), what="centre")
        # Tiles: Windows' copy is shown tiled below; each tile's pixels are the Windows tests' (PanelPainting).
        wide = self.picture("wide.bmp", bmp_bytes(400, 200, quadrants(400, 200)))
        for mode, style in (("stretch", 2), ("fit", 6), ("fill", 10), ("fill", 22)):
            self.set_wallpaper(wide, 0, style)
            wall = wall_rect(mode, panel, (400, 200))
            around = background_regions(wall, panel) if mode == "fit" else []
            self.expect_panel(program, quadrant_regions(wall) + around, what=f"{mode} ({style})")

    def test_the_panel_shows_the_desktop_colour_and_follows_each_way_it_is_changed(self):
        program, panel = self.start()
        self.session.set_desktop_colour(GREEN, announce=True)  # WM_SETTINGCHANGE to every window
        self.expect_whole(program, panel, GREEN)
        # A solid colour chosen in Windows' settings: written, then WM_SYSCOLORCHANGE alone.
        self.session.set_desktop_colour(MAGENTA)
        self.session.probe("send", str(program.window().hwnd), str(WM_SYSCOLORCHANGE))
        self.expect_whole(program, panel, MAGENTA)
        self.session.set_desktop_colour(None)  # unannounced: the next repaint picks it up
        self.session.probe("redraw", str(program.window().hwnd))
        self.expect_whole(program, panel, self.session.system_desktop_colour(), what="the system's desktop colour")

    def test_a_one_pixel_picture_tiled_over_a_large_panel_costs_no_memory(self):
        program, _ = self.start()
        hwnd = program.window().hwnd
        self.session.probe("resize", hwnd, 1000, 740)
        panel = self.settled_window(program).panel.rect
        self.expect_whole(program, panel, BACKGROUND)
        before = self.session.probe("counters", hwnd)["workingSet"]
        self.set_wallpaper(self.picture("dot.bmp", bmp_bytes(1, 1, lambda x, y: YELLOW)), 1, 0)
        self.expect_whole(program, panel, YELLOW)
        grown = self.session.probe("counters", hwnd)["workingSet"] - before
        self.assertLess(grown, 10 << 20, f"{panel.width * panel.height} tiles took {grown / 2 ** 20:.1f} MB")

    def test_a_wallpaper_set_through_the_system_shows_within_a_second(self):
        # SPI_SETDESKWALLPAPER, as a slideshow sets it. (A file rewritten in place is followed by
        # the folder watch, shown below when Windows' copy gives way to the file itself.)
        program, panel = self.start()
        self.session.probe("wallpaper", self.picture("blue.bmp", bmp_bytes(64, 48, lambda x, y: BLUE)))
        self.expect_whole(program, panel, BLUE, timeout=1.0, what="the new wallpaper within a second")


class OpeningTheWallpaper(WallpaperTestCase):
    # A type of the tests' own opens with lumbra_openhandler.exe, which leaves a marker naming
    # the file it was given.

    def setUp(self) -> None:
        super().setUp()
        handler = lumbra_e2e.config().probe.parent / "lumbra_openhandler.exe"
        self.assertTrue(handler.is_file(), f"{handler} is missing")
        self.marker = self.folder / "opened.txt"
        command = f'"{self.session.windows_path(handler)}" "{self.session.windows_path(self.marker)}" "%1"'
        # Per user, as a program registers itself without administrator rights; Wine's
        # HKEY_CLASSES_ROOT does not merge in the user's classes, so there under HKCR as well.
        self.session.reg_set(rf"{CLASSES_KEY}\{TEST_EXTENSION}", "", TEST_PROGID)
        roots = [CLASSES_KEY] + (["HKCR"] if self.session.reg_get(rf"HKCR\{TEST_EXTENSION}", "") != TEST_PROGID else [])
        for root in roots:
            self.session.reg_set(rf"{root}\{TEST_EXTENSION}", "", TEST_PROGID)
            self.session.reg_set(rf"{root}\{TEST_PROGID}\shell\open\command", "", command)
            self.addCleanup(self.session.probe, "reg-delete", rf"{root}\{TEST_EXTENSION}", check=False)
            self.addCleanup(self.session.probe, "reg-delete", rf"{root}\{TEST_PROGID}", check=False)

    def opened(self) -> list[str] | None:
        return self.marker.read_text(encoding="utf-8").splitlines() if self.marker.exists() else None

    def test_windows_copy_shows_in_the_layout_while_the_file_is_gone_and_a_double_click_opens_the_file(self):
        themes = self.session.desktop_folder().parent / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Themes"
        themes.mkdir(parents=True, exist_ok=True)
        write_jpeg(themes / "TranscodedWallpaper", 400, 300, quadrants(400, 300))  # no extension, as Windows keeps it
        self.addCleanup((themes / "TranscodedWallpaper").unlink)
        program, panel = self.start()
        self.session.click(*panel.center, repeat=2)  # no wallpaper
        named = self.picture("holiday" + TEST_EXTENSION, None)
        self.set_wallpaper(named, 1, 0)
        self.expect_panel(program, quadrant_regions(wall_rect("tile", panel, (400, 300))), what="Windows' copy tiled")
        self.session.click(*panel.center, repeat=2)  # on tiles
        holds_for(lambda: self.opened() is None, duration=3.0, what="nothing opened")
        self.set_wallpaper(named, 0, 0)
        wall = wall_rect("centre", panel, (400, 300))
        self.expect_panel(program, quadrant_regions(wall) + background_regions(wall, panel), what="Windows' copy centred")
        # The file is back, without any settings change. (While it is gone, a double-click goes
        # to the shell with the named path as well, and the shell opens nothing.)
        self.picture("holiday" + TEST_EXTENSION, bmp_bytes(400, 300, lambda x, y: MAGENTA))
        self.expect_panel(program, [(wall, MAGENTA)] + background_regions(wall, panel), what="the file itself")
        self.session.click(*panel.center, repeat=2)
        self.assertEqual([a.lower() for a in wait_until(self.opened, timeout=10, what="the marker")], [named.lower()])

if __name__ == "__main__":
    lumbra_e2e.main()
