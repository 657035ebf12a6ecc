#!/usr/bin/env python3
"""The miniature of the desktop background: the colour and the wallpaper in every layout, as the
panel shows them on the screen, following settings changes, SPI_SETDESKWALLPAPER and a file
rewritten in place; and a double-click on the picture opening the wallpaper file."""

import math
import struct
import subprocess
import sys
import time
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import (DESKTOP_HEIGHT, DESKTOP_WIDTH, TWIPS_PER_PIXEL, LumbraTestCase, Rect,  # noqa: E402
                        colour_close, holds_for, wait_until)

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
GENERAL_KEY = r"HKCU\Software\Microsoft\Internet Explorer\Desktop\General"
CLASSES_KEY = r"HKCU\Software\Classes"
TEST_EXTENSION = ".lumbrawall"
TEST_PROGID = "LumbraTests.Wallpaper"

BACKGROUND = (90, 60, 30)
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)
YELLOW, MAGENTA = (255, 255, 0), (255, 0, 255)
TOLERANCE = 8  # per channel


# ---------------------------------------------------------------------------------------------
# Pictures, written here


def quadrants(w, h, colours=(RED, GREEN, BLUE, WHITE)):
    tl, tr, bl, br = colours
    return lambda x, y: (br if x >= w // 2 else bl) if y >= h // 2 else (tr if x >= w // 2 else tl)


def bands(w, colours=(RED, GREEN, BLUE, WHITE)):
    """Vertical bands of equal width, left to right."""
    return lambda x, y: colours[min(len(colours) - 1, x * len(colours) // w)]


def bmp_bytes(w, h, colour) -> bytes:
    row = (w * 3 + 3) & ~3
    out = bytearray(b"BM" + struct.pack("<IHHI", 54 + row * h, 0, 0, 54))
    out += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, row * h, 2835, 2835, 0, 0)
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = colour(x, y)
            line += bytes((b, g, r))
        out += line + bytes(row - len(line))
    return bytes(out)


def png_bytes(w, h, colour) -> bytes:
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + b"".join(bytes(colour(x, y)) for x in range(w)) for y in range(h))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def write_jpeg(path: Path, w, h, colour) -> None:
    source = path.with_suffix(".source.png")
    source.write_bytes(png_bytes(w, h, colour))
    subprocess.run(["convert", str(source), "-quality", "95", "jpeg:" + str(path)], check=True, timeout=60)
    source.unlink()


# ---------------------------------------------------------------------------------------------
# The layout the program must produce, worked out as it does: twips, whole pixels


def f32(x: float) -> float:
    return struct.unpack("f", struct.pack("f", x))[0]


def px(twips: float) -> int:
    return math.floor(twips / TWIPS_PER_PIXEL + 0.5)


def wall_rect(mode: str, panel: Rect, picture: tuple[int, int]) -> Rect:
    """Where imgWall stands inside the panel (panel coordinates), or the tile size for "tile"."""
    pw, ph = panel.width * TWIPS_PER_PIXEL, panel.height * TWIPS_PER_PIXEL
    sw, sh = DESKTOP_WIDTH * TWIPS_PER_PIXEL, DESKTOP_HEIGHT * TWIPS_PER_PIXEL
    nw, nh = picture[0] * TWIPS_PER_PIXEL, picture[1] * TWIPS_PER_PIXEL
    if mode in ("centre", "tile"):
        w, h = f32(pw / sw * nw), f32(ph / sh * nh)
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


def clip(r: Rect, panel: Rect) -> Rect | None:
    c = Rect(max(r.left, 0), max(r.top, 0), min(r.right, panel.width), min(r.bottom, panel.height))
    return c if c.width > 0 and c.height > 0 else None


def sub_rect(r: Rect, fx0, fy0, fx1, fy1) -> Rect:
    """The part of r between the fractions fx0..fx1 across and fy0..fy1 down."""
    return Rect(r.left + round(r.width * fx0), r.top + round(r.height * fy0),
                r.left + round(r.width * fx1), r.top + round(r.height * fy1))


QUADRANTS = [((0, 0, .5, .5), RED), ((.5, 0, 1, .5), GREEN), ((0, .5, .5, 1), BLUE), ((.5, .5, 1, 1), WHITE)]
BANDS = [((i / 4, 0, (i + 1) / 4, 1), c) for i, c in enumerate((RED, GREEN, BLUE, WHITE))]


def picture_regions(wall: Rect, parts) -> list[tuple[Rect, tuple]]:
    return [(sub_rect(wall, *fractions), colour) for fractions, colour in parts]


def background_regions(wall: Rect, panel: Rect) -> list[tuple[Rect, tuple]]:
    """The four bands of the panel around the picture."""
    whole = Rect(0, 0, panel.width, panel.height)
    around = [Rect(0, 0, whole.right, wall.top), Rect(0, wall.bottom, whole.right, whole.bottom),
              Rect(0, wall.top, wall.left, wall.bottom), Rect(wall.right, wall.top, whole.right, wall.bottom)]
    return [(r, BACKGROUND) for r in around if r.width >= 3 and r.height >= 3]


# ---------------------------------------------------------------------------------------------


class WallpaperTestCase(LumbraTestCase):
    """Each test starts with no wallpaper, the test background colour, and a folder of pictures."""

    def setUp(self) -> None:
        super().setUp()
        self.folder = self.session.cfg.work / "wallpapers" / self._testMethodName
        self.folder.mkdir(parents=True, exist_ok=True)
        for old in self.folder.iterdir():
            old.unlink()
        self.clear_wallpaper()
        self.addCleanup(self.clear_wallpaper)
        self.session.set_desktop_colour(BACKGROUND)

    def clear_wallpaper(self) -> None:
        # Deleting what is not there fails; that is fine here.
        for key in ("Wallpaper", "TileWallpaper", "WallPaperStyle"):
            self.session.probe("profile-delete", "WIN.INI", "Desktop", key, check=False)
        self.session.probe("reg-delete", GENERAL_KEY, check=False)

    def picture(self, name: str, data: bytes) -> str:
        path = self.folder / name
        path.write_bytes(data)
        return self.session.windows_path(path)

    def set_wallpaper(self, windows_path: str, tile: int, style: int, announce: bool = True) -> None:
        """As the display settings write them: WIN.INI [Desktop], then WM_SETTINGCHANGE."""
        self.session.profile_set("WIN.INI", "Desktop", "Wallpaper", windows_path)
        self.session.profile_set("WIN.INI", "Desktop", "TileWallpaper", str(tile))
        self.session.profile_set("WIN.INI", "Desktop", "WallPaperStyle", str(style))
        if announce:
            self.session.broadcast_setting_change()

    def start(self) -> tuple[lumbra_e2e.Program, Rect]:
        program = self.start_lumbra()
        window = self.settled_window(program)
        return program, window.panel.rect

    # -- looking at the panel --------------------------------------------------------------------

    def mismatches(self, program, regions, inset: int = 2):
        """Sample points of each region (panel coordinates) that do not show its colour. A point
        is sampled `inset` pixels inside the region's edges, so an edge may be off by one."""
        panel = program.window().panel.rect
        points, expected = [], []
        for region, colour in regions:
            r = clip(region, panel)
            if r is None:
                continue
            inner = r.inset(inset) if r.width > 2 * inset + 1 and r.height > 2 * inset + 1 else None
            spots = [r.center] if inner is None else [
                inner.center, (inner.left, inner.top), (inner.right - 1, inner.top),
                (inner.left, inner.bottom - 1), (inner.right - 1, inner.bottom - 1)]
            for x, y in spots:
                points.append((panel.left + x, panel.top + y))
                expected.append(colour)
        actual = self.session.pixels(points)
        return [(p, a, e) for p, a, e in zip(points, actual, expected) if not colour_close(a, e, TOLERANCE)]

    def expect_panel(self, program, regions, timeout: float = 5.0, what: str = "the predicted layout"):
        wait_until(lambda: not self.mismatches(program, regions), timeout=timeout, interval=0.1,
                   what=what, describe=lambda: self.mismatches(program, regions)[:6])


class Layouts(WallpaperTestCase):

    def test_colour_alone_without_wallpaper(self):
        program, panel = self.start()
        whole = Rect(0, 0, panel.width, panel.height)
        grid = [(sub_rect(whole, i / 4, j / 4, (i + 1) / 4, (j + 1) / 4), BACKGROUND)
                for i in range(4) for j in range(4)]
        self.expect_panel(program, grid)

    def test_centre_shows_the_jpeg_at_the_panels_scale_in_the_middle(self):
        program, panel = self.start()
        path = self.folder / "centre.jpg"
        write_jpeg(path, 400, 300, quadrants(400, 300))
        self.set_wallpaper(self.session.windows_path(path), 0, 0)
        wall = wall_rect("centre", panel, (400, 300))
        self.assertEqual((wall.width, wall.height), (80, 60))
        self.expect_panel(program, picture_regions(wall, QUADRANTS) + background_regions(wall, panel))

    def test_tile_repeats_the_bitmap_from_the_corner_in_predicted_columns_and_rows(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("tile.bmp", bmp_bytes(120, 80, quadrants(120, 80))), 1, 0)
        tile = wall_rect("tile", panel, (120, 80))
        columns = panel.width // tile.width + 1
        rows = panel.height // tile.height + 1
        regions = []
        for r in range(rows):
            for c in range(columns):
                if r in (0, 1, rows - 1) or c in (0, columns - 1):
                    cell = Rect(c * tile.width, r * tile.height, (c + 1) * tile.width, (r + 1) * tile.height)
                    regions += picture_regions(cell, QUADRANTS)
        self.expect_panel(program, regions)

    def test_stretch_covers_the_panel(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("bands.png", png_bytes(400, 200, bands(400))), 0, 2)
        self.expect_panel(program, picture_regions(Rect(0, 0, panel.width, panel.height), BANDS))

    def test_fit_shows_the_whole_picture_with_colour_above_and_below(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("bands.png", png_bytes(400, 200, bands(400))), 0, 6)
        wall = wall_rect("fit", panel, (400, 200))
        self.assertEqual(wall.width, panel.width)
        self.assertLess(wall.height, panel.height - 20)
        self.expect_panel(program, picture_regions(wall, BANDS) + background_regions(wall, panel))

    def test_fill_covers_the_panel_and_cuts_the_picture_at_both_sides(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("bands.png", png_bytes(400, 200, bands(400))), 0, 10)
        wall = wall_rect("fill", panel, (400, 200))
        self.assertEqual(wall.height, panel.height)
        self.assertLess(wall.left, -20)
        # The outer bands are cut to about a third of the inner ones.
        self.expect_panel(program, picture_regions(wall, BANDS))

    def test_span_on_one_screen_is_filled(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("bands.png", png_bytes(400, 200, bands(400))), 0, 22)
        self.expect_panel(program, picture_regions(wall_rect("fill", panel, (400, 200)), BANDS))

    def test_missing_or_damaged_wallpaper_shows_the_colour_alone(self):
        program, panel = self.start()
        whole = [(Rect(0, 0, panel.width, panel.height), BACKGROUND)]
        self.set_wallpaper(self.picture("first.bmp", bmp_bytes(40, 30, lambda x, y: RED)), 0, 2)
        self.expect_panel(program, [(Rect(0, 0, panel.width, panel.height), RED)])
        self.set_wallpaper(self.session.windows_path(self.folder / "missing.jpg"), 0, 2)
        self.expect_panel(program, whole, what="the colour alone for a missing file")
        self.set_wallpaper(self.picture("damaged.png", b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4), 1, 0)
        self.expect_panel(program, whole, what="the colour alone for a damaged file")


class FollowingChanges(WallpaperTestCase):

    def test_new_wallpaper_through_system_parameters_shows_within_a_second(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("red.bmp", bmp_bytes(64, 48, lambda x, y: RED)), 0, 2)
        whole = Rect(0, 0, panel.width, panel.height)
        self.expect_panel(program, [(whole, RED)])
        blue = self.picture("blue.bmp", bmp_bytes(64, 48, lambda x, y: BLUE))
        self.session.probe("wallpaper", blue)
        self.expect_panel(program, [(whole, BLUE)], timeout=1.0, what="the new wallpaper within a second")

    def test_wallpaper_file_rewritten_in_place_shows_without_any_message(self):
        program, panel = self.start()
        path = self.folder / "slide.bmp"
        path.write_bytes(bmp_bytes(64, 48, lambda x, y: YELLOW))
        self.set_wallpaper(self.session.windows_path(path), 0, 2)
        whole = Rect(0, 0, panel.width, panel.height)
        self.expect_panel(program, [(whole, YELLOW)])
        # Same name, same length, new content; no settings change is announced.
        with open(path, "r+b") as f:
            f.write(bmp_bytes(64, 48, lambda x, y: MAGENTA))
        self.expect_panel(program, [(whole, MAGENTA)], timeout=3.0, what="the rewritten picture")
        self.shot("rewritten")

    def test_a_repaint_keeps_the_picture(self):
        program, panel = self.start()
        self.set_wallpaper(self.picture("bands.png", png_bytes(400, 200, bands(400))), 0, 2)
        regions = picture_regions(Rect(0, 0, panel.width, panel.height), BANDS)
        self.expect_panel(program, regions)
        for _ in range(5):
            self.session.probe("redraw", str(program.window().hwnd))
        self.expect_panel(program, regions)


class OpeningTheWallpaper(WallpaperTestCase):
    """A type of the tests' own opens with lumbra_openhandler.exe, which leaves a marker naming
    the file it was given."""

    def setUp(self) -> None:
        super().setUp()
        handler = lumbra_e2e.config().probe.parent / "lumbra_openhandler.exe"
        if not handler.is_file():
            self.fail(f"{handler} is missing")
        self.marker = self.folder / "opened.txt"
        command = f'"{self.session.windows_path(handler)}" "{self.session.windows_path(self.marker)}" "%1"'
        # Per user, as a program registers itself without administrator rights. Wine's
        # HKEY_CLASSES_ROOT does not show the user's classes (Windows merges them in), so there
        # the same goes under HKCR as well.
        roots = [CLASSES_KEY]
        self.session.reg_set(rf"{CLASSES_KEY}\{TEST_EXTENSION}", "", TEST_PROGID)
        if self.session.reg_get(rf"HKCR\{TEST_EXTENSION}", "") != TEST_PROGID:
            roots.append("HKCR")
        for root in roots:
            self.session.reg_set(rf"{root}\{TEST_EXTENSION}", "", TEST_PROGID)
            self.session.reg_set(rf"{root}\{TEST_PROGID}\shell\open\command", "", command)
            self.addCleanup(self.session.probe, "reg-delete", rf"{root}\{TEST_EXTENSION}", check=False)
            self.addCleanup(self.session.probe, "reg-delete", rf"{root}\{TEST_PROGID}", check=False)

    def double_click_picture(self, panel: Rect) -> None:
        self.session.click(*panel.center, repeat=2)

    def opened(self) -> list[str] | None:
        return self.marker.read_text(encoding="utf-8").splitlines() if self.marker.exists() else None

    def test_double_click_opens_the_wallpaper_with_the_program_of_its_type(self):
        program, panel = self.start()
        wallpaper = self.picture("holiday" + TEST_EXTENSION, bmp_bytes(64, 48, lambda x, y: GREEN))
        self.set_wallpaper(wallpaper, 0, 2)
        self.expect_panel(program, [(Rect(0, 0, panel.width, panel.height), GREEN)])
        self.double_click_picture(panel)
        args = wait_until(self.opened, timeout=10, what="the handler's marker")
        self.assertEqual(len(args), 1)
        self.assertEqual(args[0].lower(), wallpaper.lower())

    def test_double_click_without_wallpaper_opens_nothing(self):
        program, panel = self.start()
        self.set_wallpaper("", 0, 2)
        self.double_click_picture(panel)
        holds_for(lambda: self.opened() is None, duration=3.0, what="nothing opened")

    def test_double_click_on_tiles_opens_nothing(self):
        program, panel = self.start()
        wallpaper = self.picture("tile" + TEST_EXTENSION, bmp_bytes(64, 48, quadrants(64, 48)))
        self.set_wallpaper(wallpaper, 1, 0)
        tile = wall_rect("tile", panel, (64, 48))
        self.expect_panel(program, picture_regions(Rect(0, 0, tile.width, tile.height), QUADRANTS))
        self.double_click_picture(panel)
        holds_for(lambda: self.opened() is None, duration=3.0, what="nothing opened")
        # The same file centred opens: the handler works, only the tiles ignored the click.
        self.set_wallpaper(wallpaper, 0, 2)
        self.expect_panel(program, picture_regions(Rect(0, 0, panel.width, panel.height), QUADRANTS))
        self.double_click_picture(panel)
        wait_until(self.opened, timeout=10, what="the handler's marker")


if __name__ == "__main__":
    lumbra_e2e.main()
