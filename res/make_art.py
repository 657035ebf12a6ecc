#!/usr/bin/env python3
"""Builds LumbraPanel's icons and menu bitmap from the readable pictures in res/art.

    python3 res/make_art.py                 write res/icons/* from res/art/*.txt
    python3 res/make_art.py --check         fail if res/icons/* differ from what res/art describes,
                                            then read the committed files back and check them
    python3 res/make_art.py --preview DIR   write enlarged PNG previews of what res/art describes
                                            into DIR, leaving res/icons alone; DIR/icons.png shows
                                            everything at once (docs/icons.png is a copy of it)

Standard library only, so that any machine with Python 3 can rebuild the pictures. The output is
a pure function of the text files: no time stamps, palettes in the order the pictures declare
them, the same bytes on every run.

Picture files (res/art/*.txt):

    # a comment
    palette
    .  none                    transparent pixel
    K  #1C232C                 one character, a colour #RRGGBB, then free words
    s  #FFFFFF80               #RRGGBBAA gives a partly transparent pixel
    image 32x32
    ...32 rows of 32 characters...
    image 16x16
    ...16 rows of 16 characters...
    image 48x48 from 24x24     the 24x24 image with every pixel doubled (a whole multiple)
"""

from __future__ import annotations

import argparse
import struct
import sys
import zlib
from dataclasses import dataclass
from pathlib import Path

RES_DIR = Path(__file__).resolve().parent
ART_DIR = RES_DIR / "art"

RGBA = tuple[int, int, int, int]
TRANSPARENT: RGBA = (0, 0, 0, 0)

# The menu's image list treats this grey as transparent, so the sheet sits on it.
MENU_MASK_GREY = (128, 128, 128)

# Below this alpha a pixel counts as transparent in the AND mask; the palettised entries, which
# have no alpha, show such a pixel as background and every other pixel fully opaque.
MASK_ALPHA_THRESHOLD = 128


class ArtError(Exception):
    """A picture file that cannot be read; the message names the file and line."""


# ---------------------------------------------------------------------------------------------
# Reading the pictures


@dataclass
class Picture:
    """One picture file: its palette (in the order written) and one character grid per size."""

    name: str
    palette: dict[str, RGBA]
    grids: dict[int, list[str]]

    def pixels(self, size: int) -> list[list[RGBA]]:
        if size not in self.grids:
            raise ArtError(f"{self.name}: no 'image {size}x{size}' section")
        return [[self.palette[c] for c in row] for row in self.grids[size]]

    def colours_in_order(self, size: int) -> list[RGBA]:
        """The colours that the grid of this size uses, in palette order, without repeats."""
        used = {c for row in self.grids[size] for c in row}
        seen: list[RGBA] = []
        for char, colour in self.palette.items():
            if char in used and colour not in seen:
                seen.append(colour)
        return seen

    def mapped(self, name: str, recolour) -> Picture:
        return Picture(name, {c: recolour(v) for c, v in self.palette.items()}, self.grids)


def parse_colour(word: str, where: str) -> RGBA:
    if word == "none":
        return TRANSPARENT
    digits = word[1:]
    if not word.startswith("#") or len(digits) not in (6, 8):
        raise ArtError(f"{where}: colour must be #RRGGBB, #RRGGBBAA or none, not {word!r}")
    try:
        values = [int(digits[i:i + 2], 16) for i in range(0, len(digits), 2)]
    except ValueError:
        raise ArtError(f"{where}: {word!r} is not a hexadecimal colour") from None
    if len(values) == 3:
        values.append(255)
    if values[3] == 0:
        return TRANSPARENT
    return (values[0], values[1], values[2], values[3])


def parse_art(path: Path) -> Picture:
    name = path.stem
    palette: dict[str, RGBA] = {}
    grids: dict[int, list[str]] = {}
    section = None
    size = 0
    rows: list[str] = []
    lines = path.read_text(encoding="utf-8").splitlines()
    for number, raw in enumerate(lines, start=1):
        where = f"{path.name}:{number}"
        line = raw.rstrip()
        if section == "image" and len(rows) < size:
            if len(line) != size:
                raise ArtError(f"{where}: row {len(rows) + 1} of the {size}x{size} image has "
                               f"{len(line)} characters, expected {size}")
            for column, char in enumerate(line, start=1):
                if char not in palette:
                    raise ArtError(f"{where}: column {column}: {char!r} is not in the palette")
            rows.append(line)
            if len(rows) == size:
                grids[size] = rows
            continue
        if not line or line.lstrip().startswith("#"):
            continue
        words = line.split()
        if words == ["palette"]:
            section = "palette"
        elif words[0] == "image":
            size = square(words[1] if len(words) in (2, 4) else "", where)
            if size in grids:
                raise ArtError(f"{where}: a second {size}x{size} image")
            if len(words) == 4 and words[2] == "from":
                grids[size] = scaled(grids, square(words[3], where), size, where)
                section = "scaled"
                continue
            if len(words) != 2:
                raise ArtError(f"{where}: expected 'image NxN' or 'image NxN from MxM'")
            section, rows = "image", []
        elif section == "palette":
            char = words[0]
            if len(char) != 1 or len(words) < 2:
                raise ArtError(f"{where}: a palette line is one character, then a colour")
            if char in palette:
                raise ArtError(f"{where}: {char!r} is already in the palette")
            palette[char] = parse_colour(words[1], where)
        else:
            raise ArtError(f"{where}: unexpected line {line!r}")
    if section == "image" and len(rows) < size:
        raise ArtError(f"{path.name}: the {size}x{size} image has only {len(rows)} rows")
    return Picture(name, palette, grids)


def square(word: str, where: str) -> int:
    dims = word.split("x")
    if len(dims) != 2 or dims[0] != dims[1] or not dims[0].isdigit():
        raise ArtError(f"{where}: expected a square size NxN, not {word!r}")
    return int(dims[0])


def scaled(grids: dict[int, list[str]], source: int, size: int, where: str) -> list[str]:
    """The grid of `source` pixels with each pixel repeated size/source times both ways: pixel art
    stays sharp at a size it was not drawn for."""
    if source not in grids:
        raise ArtError(f"{where}: no {source}x{source} image above to scale from")
    if size % source:
        raise ArtError(f"{where}: {size} is not a whole multiple of {source}")
    k = size // source
    return [row for line in grids[source] for row in [''.join(c * k for c in line)] * k]


def luma(colour: RGBA) -> RGBA:
    """The grey of the same brightness (ITU-R BT.601 weights), alpha kept."""
    r, g, b, a = colour
    if a == 0:
        return TRANSPARENT
    y = (299 * r + 587 * g + 114 * b + 500) // 1000
    return (y, y, y, a)


# ---------------------------------------------------------------------------------------------
# Writing ICO and BMP

# From this size up an icon image is stored as PNG, as Windows expects of its largest images (a
# 256x256 bitmap with its mask would take 270 KB).
PNG_SIZE = 256
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_chunk(kind: bytes, body: bytes) -> bytes:
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def mask_rows(pixels: list[list[RGBA]]) -> bytes:
    """The AND mask, bottom row first, each row padded to 32 bits: 1 = show the background."""
    out = bytearray()
    for row in reversed(pixels):
        bits = bytearray((len(row) + 31) // 32 * 4)
        for x, (_, _, _, a) in enumerate(row):
            if a < MASK_ALPHA_THRESHOLD:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def indexed_rows(pixels: list[list[RGBA]], index_of: dict[tuple[int, int, int], int],
                 bpp: int) -> bytes:
    out = bytearray()
    per_byte = 8 // bpp
    for row in reversed(pixels):
        packed = bytearray((len(row) * bpp + 31) // 32 * 4)
        for x, (r, g, b, a) in enumerate(row):
            index = 0 if a < MASK_ALPHA_THRESHOLD else index_of[(r, g, b)]
            shift = (per_byte - 1 - x % per_byte) * bpp
            packed[x // per_byte] |= index << shift
        out += packed
    return bytes(out)


def palette_for(picture: Picture, size: int, bpp: int) -> list[tuple[int, int, int]]:
    """Palette of a palettised entry. Masked pixels must be black in the colour bitmap (screen
    XOR black = screen), so black takes index 0 whenever the picture has transparent pixels."""
    pixels = picture.pixels(size)
    colours: list[tuple[int, int, int]] = []
    if any(p[3] < MASK_ALPHA_THRESHOLD for row in pixels for p in row):
        colours.append((0, 0, 0))
    for r, g, b, a in picture.colours_in_order(size):
        if a >= MASK_ALPHA_THRESHOLD and (r, g, b) not in colours:
            colours.append((r, g, b))
    if len(colours) > 1 << bpp:
        raise ArtError(f"{picture.name}: the {size}x{size} image uses {len(colours)} colours "
                       f"(with black for the transparent pixels); {bpp} bits hold {1 << bpp}")
    return colours


def dib(picture: Picture, size: int, bpp: int, for_icon: bool) -> bytes:
    """BITMAPINFOHEADER, palette and pixel rows (and for an icon the AND mask)."""
    pixels = picture.pixels(size)
    if bpp == 32:
        colour_table = b""
        xor = bytearray()
        for row in reversed(pixels):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a)) if a else bytes(4)
        xor = bytes(xor)
    else:
        colours = palette_for(picture, size, bpp)
        colours += [(0, 0, 0)] * ((1 << bpp) - len(colours))
        colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
        xor = indexed_rows(pixels, {c: i for i, c in enumerate(colours)}, bpp)
    and_mask = mask_rows(pixels) if for_icon else b""
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                            # biSize
        size,                          # biWidth
        size * 2 if for_icon else size,  # biHeight: an icon stacks colour bitmap and mask
        1,                             # biPlanes
        bpp,                           # biBitCount
        0,                             # biCompression = BI_RGB
        len(xor) + len(and_mask),      # biSizeImage
        0 if for_icon else 2835,       # biXPelsPerMeter (72 dpi for the bitmap)
        0 if for_icon else 2835,       # biYPelsPerMeter
        0,                             # biClrUsed: the full table of 2^bpp entries
        0)                             # biClrImportant
    return header + colour_table + xor + and_mask


def png_rgba(pixels: list[list[RGBA]]) -> bytes:
    """A PNG of 8-bit RGBA rows, filter 0: what Windows takes for a 256x256 icon image."""
    size = len(pixels)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)
    return (PNG_SIGNATURE + png_chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def build_ico(picture: Picture, entries: list[tuple[int, int]]) -> bytes:
    images = [png_rgba(picture.pixels(size)) if size >= PNG_SIZE else dib(picture, size, bpp, for_icon=True)
              for size, bpp in entries]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for (size, bpp), image in zip(entries, images):
        colour_count = 1 << bpp if bpp < 8 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bpp,
                           len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def build_bmp(picture: Picture, size: int, bpp: int) -> bytes:
    if any(p[3] != 255 for row in picture.pixels(size) for p in row):
        raise ArtError(f"{picture.name}: a bitmap has no transparency; paint the background")
    image = dib(picture, size, bpp, for_icon=False)
    offset = 14 + 40 + 4 * (1 << bpp)
    return struct.pack("<2sIHHI", b"BM", 14 + len(image), 0, 0, offset) + image


# ---------------------------------------------------------------------------------------------
# What is built: which picture, which file, which entries. The program loads its icons at the
# system's icon sizes: 16, 20, 24 or 32 px small (the notification area, menus) and 32, 40, 48 or
# 64 px large at 96, 120, 144 and 192 DPI; Explorer shows up to 256 px. 8-bit and 4-bit entries
# serve shells without alpha at the sizes they had, 32-bit entries with alpha serve the rest.

PROGRAM_ICON_ENTRIES = [(256, 32), (48, 32), (32, 32), (32, 8), (24, 32), (20, 32), (16, 32), (16, 8)]
MENU_ICON_ENTRIES = [(256, 32), (48, 32), (32, 32), (24, 32), (20, 32), (16, 32), (16, 4)]


@dataclass(frozen=True)
class Output:
    path: str                      # relative to res/
    source: str                    # picture file in res/art, without .txt
    kind: str                      # "ico" or "bmp"
    entries: tuple[tuple[int, int], ...]  # (size, bits per pixel)
    grey: bool = False


OUTPUTS = [
    Output("icons/lumbra.ico", "lumbra", "ico", tuple(PROGRAM_ICON_ENTRIES)),
    Output("icons/lumbra-grey.ico", "lumbra", "ico", tuple(PROGRAM_ICON_ENTRIES), grey=True),
    Output("icons/display-props.ico", "display-props", "ico", tuple(MENU_ICON_ENTRIES)),
    Output("icons/sheet.bmp", "sheet", "bmp", ((16, 4),)),
]


def build_all() -> dict[str, bytes]:
    pictures = {p.stem: parse_art(p) for p in sorted(ART_DIR.glob("*.txt"))}
    result = {}
    for output in OUTPUTS:
        if output.source not in pictures:
            raise ArtError(f"res/art/{output.source}.txt is missing")
        picture = pictures[output.source]
        if output.grey:
            picture = picture.mapped(picture.name + "-grey", luma)
        if output.kind == "ico":
            result[output.path] = build_ico(picture, list(output.entries))
        else:
            (size, bpp), = output.entries
            result[output.path] = build_bmp(picture, size, bpp)
    return result


# ---------------------------------------------------------------------------------------------
# Reading the files back. Written apart from the writer above so that the checks look at the
# bytes as Windows will, not at the writer's intentions.


@dataclass
class Decoded:
    size: int
    bpp: int
    pixels: list[list[RGBA]]       # top row first; masked pixels are TRANSPARENT
    palette: list[tuple[int, int, int]]


class FormatError(Exception):
    pass


def read_dib(data: bytes, stacked_mask: bool) -> Decoded:
    if len(data) < 40:
        raise FormatError("bitmap header cut short")
    (hsize, width, height, planes, bpp, compression, _, _, _, clr_used,
     _) = struct.unpack_from("<IiiHHIIiiII", data)
    if hsize != 40:
        raise FormatError(f"header size {hsize}, expected 40 (BITMAPINFOHEADER)")
    rows = height // 2 if stacked_mask else height
    if width <= 0 or rows != width or (stacked_mask and height != 2 * width):
        raise FormatError(f"{width}x{height} is not a square{' icon' if stacked_mask else ''}")
    if planes != 1 or compression != 0 or bpp not in (4, 8, 32):
        raise FormatError(f"planes {planes}, compression {compression}, {bpp} bpp unsupported")
    entries = 0 if bpp == 32 else (clr_used or 1 << bpp)
    pos = 40
    palette = []
    for i in range(entries):
        b, g, r, reserved = data[pos + 4 * i:pos + 4 * i + 4]
        if reserved:
            raise FormatError(f"palette entry {i} has a non-zero reserved byte")
        palette.append((r, g, b))
    pos += 4 * entries
    stride = (width * bpp + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    need = pos + stride * rows + (mask_stride * rows if stacked_mask else 0)
    if len(data) != need:
        raise FormatError(f"{len(data)} bytes, the header and palette call for {need}")
    pixels = []
    for y in range(rows):
        line = data[pos + (rows - 1 - y) * stride:][:stride]
        row = []
        for x in range(width):
            if bpp == 32:
                b, g, r, a = line[4 * x:4 * x + 4]
                row.append((r, g, b, a) if a else TRANSPARENT)
            else:
                per_byte = 8 // bpp
                index = line[x // per_byte] >> ((per_byte - 1 - x % per_byte) * bpp)
                index &= (1 << bpp) - 1
                if index >= len(palette):
                    raise FormatError(f"pixel {x},{y} uses palette index {index} of {entries}")
                row.append(palette[index] + (255,))
        pixels.append(row)
    if stacked_mask:
        mask_pos = pos + stride * rows
        for y in range(rows):
            line = data[mask_pos + (rows - 1 - y) * mask_stride:][:mask_stride]
            for x in range(width):
                masked = bool(line[x // 8] & (0x80 >> (x % 8)))
                r, g, b, a = pixels[y][x]
                if bpp == 32:
                    if masked != (a < MASK_ALPHA_THRESHOLD):
                        raise FormatError(f"pixel {x},{y}: AND mask and alpha disagree")
                elif masked:
                    if (r, g, b) != (0, 0, 0):
                        raise FormatError(f"pixel {x},{y} is masked but not black in the colour "
                                          "bitmap, so old shells would invert the background")
                    pixels[y][x] = TRANSPARENT
    return Decoded(width, bpp, pixels, palette)


def read_png(data: bytes) -> Decoded:
    """A PNG as make_art writes it: 8-bit RGBA, not interlaced, every row with filter 0."""
    if not data.startswith(PNG_SIGNATURE):
        raise FormatError("not a PNG")
    pos, idat, header = len(PNG_SIGNATURE), b"", None
    while pos + 12 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length or struct.unpack_from(">I", data, pos + 8 + length)[0] != zlib.crc32(kind + body):
            raise FormatError(f"PNG chunk {kind!r} cut short or with a wrong CRC")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if header is None or header[1] != header[0] or header[2:] != (8, 6, 0, 0, 0):
        raise FormatError(f"PNG header {header}: expected a square 8-bit RGBA picture")
    size = header[0]
    raw = zlib.decompress(idat)
    if len(raw) != size * (1 + 4 * size) or any(raw[y * (1 + 4 * size)] for y in range(size)):
        raise FormatError("PNG rows of the wrong length, or filtered")
    pixels = []
    for y in range(size):
        line = raw[y * (1 + 4 * size) + 1:(y + 1) * (1 + 4 * size)]
        pixels.append([tuple(line[4 * x:4 * x + 4]) if line[4 * x + 3] else TRANSPARENT for x in range(size)])
    return Decoded(size, 32, pixels, [])


def read_ico(data: bytes) -> list[Decoded]:
    if len(data) < 6:
        raise FormatError("shorter than an icon header")
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1 or count == 0:
        raise FormatError(f"not an icon file (reserved {reserved}, type {kind}, {count} images)")
    expected_offset = 6 + 16 * count
    images = []
    for i in range(count):
        w, h, colours, res, planes, bpp, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        what = f"directory entry {i}"
        if offset != expected_offset:
            raise FormatError(f"{what}: image at offset {offset}, expected {expected_offset} "
                              "(images must follow the directory and each other)")
        if offset + length > len(data):
            raise FormatError(f"{what}: {length} bytes at {offset} run past the end of the file")
        blob = data[offset:offset + length]
        if blob.startswith(PNG_SIGNATURE) != ((w or 256) >= PNG_SIZE):
            raise FormatError(f"{what}: a {w or 256}x{h or 256} image must {'' if w == 0 else 'not '}be PNG")
        image = read_png(blob) if blob.startswith(PNG_SIGNATURE) else read_dib(blob, stacked_mask=True)
        if (w or 256) != image.size or (h or 256) != image.size:
            raise FormatError(f"{what}: says {w}x{h}, the bitmap is {image.size}x{image.size}")
        if bpp != image.bpp or planes != 1 or res != 0:
            raise FormatError(f"{what}: says {bpp} bpp / {planes} planes, bitmap has {image.bpp}")
        if colours != (1 << bpp if bpp < 8 else 0):
            raise FormatError(f"{what}: colour count {colours} for {bpp} bpp")
        images.append(image)
        expected_offset = offset + length
    if expected_offset != len(data):
        raise FormatError(f"{len(data) - expected_offset} stray bytes after the last image")
    return images


def read_bmp(data: bytes) -> Decoded:
    if len(data) < 14:
        raise FormatError("shorter than a bitmap file header")
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data)
    if magic != b"BM" or file_size != len(data):
        raise FormatError(f"bad file header (magic {magic!r}, size {file_size} of {len(data)})")
    image = read_dib(data[14:], stacked_mask=False)
    if offset != 14 + 40 + 4 * len(image.palette):
        raise FormatError(f"pixel data offset {offset} does not follow the palette")
    return image


# ---------------------------------------------------------------------------------------------
# Checks of the files that ship


def opaque_rgb(pixels: list[list[RGBA]]) -> list[list[tuple[int, int, int] | None]]:
    return [[p[:3] if p[3] >= MASK_ALPHA_THRESHOLD else None for p in row] for row in pixels]


def check_files(files: dict[str, bytes]) -> list[str]:
    problems: list[str] = []
    decoded: dict[str, list[Decoded]] = {}
    for output in OUTPUTS:
        data = files[output.path]
        try:
            images = read_ico(data) if output.kind == "ico" else [read_bmp(data)]
        except FormatError as error:
            problems.append(f"{output.path}: {error}")
            continue
        decoded[output.path] = images
        found = [(d.size, d.bpp) for d in images]
        if found != list(output.entries):
            problems.append(f"{output.path}: holds {found}, expected {list(output.entries)}")
            continue
        # Entries of one size are the same picture, so every shell shows the same thing.
        by_size: dict[int, list[Decoded]] = {}
        for image in images:
            by_size.setdefault(image.size, []).append(image)
        for size, same in by_size.items():
            first = opaque_rgb(same[0].pixels)
            for other in same[1:]:
                if opaque_rgb(other.pixels) != first:
                    problems.append(f"{output.path}: the {size}x{size} {same[0].bpp}-bit and "
                                    f"{other.bpp}-bit entries show different pictures")
        for image in images:
            if not any(p[3] for row in image.pixels for p in row):
                problems.append(f"{output.path}: the {image.size}x{image.size} entry is empty")
            if len({p for row in image.pixels for p in row if p[3]}) < 3:
                problems.append(f"{output.path}: the {image.size}x{image.size} "
                                f"{image.bpp}-bit entry is a flat colour, not a picture")

    colour = decoded.get("icons/lumbra.ico")
    grey = decoded.get("icons/lumbra-grey.ico")
    if grey:
        for image in grey:
            tinted = {p[:3] for row in image.pixels for p in row if p[0] != p[1] or p[1] != p[2]}
            tinted |= {c for c in image.palette if c[0] != c[1] or c[1] != c[2]}
            if tinted:
                problems.append(f"icons/lumbra-grey.ico: the {image.size}x{image.size} "
                                f"{image.bpp}-bit entry holds colours {sorted(tinted)[:3]}")
    if colour and grey and len(colour) == len(grey):
        for c, g in zip(colour, grey):
            if [[luma(p) for p in row] for row in c.pixels] != g.pixels:
                problems.append(f"icons/lumbra-grey.ico: the {g.size}x{g.size} {g.bpp}-bit "
                                "entry is not the coloured icon's brightness")

    sheet = decoded.get("icons/sheet.bmp")
    if sheet:
        problems += check_menu_background("icons/sheet.bmp", sheet[0].pixels)
    return problems


def check_menu_background(path: str, pixels: list[list[RGBA]]) -> list[str]:
    """The menu turns every mask-grey pixel transparent, so the grey must be the background
    around the sheet and nothing inside it: each grey pixel must reach the edge through grey."""
    n = len(pixels)
    grey = {(x, y) for y in range(n) for x in range(n) if pixels[y][x][:3] == MENU_MASK_GREY}
    corners = [(0, 0), (n - 1, 0), (0, n - 1), (n - 1, n - 1)]
    problems = []
    if not all(c in grey for c in corners):
        problems.append(f"{path}: the corners are not the menu's mask grey {MENU_MASK_GREY}")
    reached = set()
    todo = [p for p in grey if p[0] in (0, n - 1) or p[1] in (0, n - 1)]
    while todo:
        x, y = todo.pop()
        if (x, y) in reached:
            continue
        reached.add((x, y))
        todo += [q for q in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)) if q in grey]
    enclosed = sorted(grey - reached)
    if enclosed:
        problems.append(f"{path}: mask grey inside the sheet at {enclosed[:4]}: "
                        "those pixels would show through")
    if len(grey) == n * n:
        problems.append(f"{path}: nothing but background")
    return problems


# ---------------------------------------------------------------------------------------------
# Previews


def write_png(path: Path, rows: list[list[tuple[int, int, int]]]) -> None:
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    path.write_bytes(PNG_SIGNATURE
                     + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                     + png_chunk(b"IDAT", zlib.compress(raw, 9))
                     + png_chunk(b"IEND", b""))


class Canvas:
    """An RGB drawing surface for the previews, rows of (r, g, b)."""

    def __init__(self, width: int, height: int, colour=(255, 255, 255)):
        self.rows = [[colour] * width for _ in range(height)]

    def fill(self, x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            self.rows[y][x0:x0 + w] = [colour] * w

    def draw(self, x0, y0, pixels, scale=1, checker=False):
        """Blend the picture over what the canvas holds or, for the big views, over a
        checkerboard that makes transparent pixels visible."""
        for y, row in enumerate(pixels):
            for x, (r, g, b, a) in enumerate(row):
                for dy in range(scale):
                    for dx in range(scale):
                        px, py = x0 + x * scale + dx, y0 + y * scale + dy
                        under = self.rows[py][px]
                        if checker:
                            light = ((x * scale + dx) // 4 + (y * scale + dy) // 4) % 2
                            under = (236, 236, 236) if light else (204, 204, 204)
                        self.rows[py][px] = tuple((c * a + u * (255 - a) + 127) // 255
                                                  for c, u in zip((r, g, b), under))


# Backgrounds the small icons are seen on: classic menu grey, white menu, light and dark task bar.
PREVIEW_BACKGROUNDS = [(212, 208, 200), (255, 255, 255), (230, 236, 242), (32, 32, 32)]
BIG = 128
GAP = 8
SMALL_SIZES = 32  # the sizes also shown at 1:1 and 2:1


def preview_strips(files: dict[str, bytes]):
    """One strip per file: each size enlarged to about 128 px on a checkerboard, then each small
    size at 1:1 and 2:1 on the backgrounds a small icon meets. Entries of one size show the same picture
    (check_files makes sure), so the first of each size stands for all."""
    strips = []
    for output in OUTPUTS:
        data = files[output.path]
        images = read_ico(data) if output.kind == "ico" else [read_bmp(data)]
        pictures = {}
        for image in images:
            pictures.setdefault(image.size, image.pixels)
        big = list(pictures.values())
        small = [pixels for pixels in big if len(pixels) <= SMALL_SIZES]
        if output.kind == "bmp":
            # The menu's image list shows mask grey as transparent: that is what a user sees.
            small = [[[TRANSPARENT if p[:3] == MENU_MASK_GREY else p for p in row]
                      for row in pixels] for pixels in big]
            big = big + small
        cell_width = sum(3 * len(p) + GAP for p in small) + GAP
        cell_height = 2 * max(len(p) for p in small) + 2 * GAP
        width = GAP + len(big) * (BIG + GAP) + GAP + 2 * cell_width + GAP
        height = GAP + max(BIG, 2 * cell_height) + GAP
        canvas = Canvas(width, height)
        x = GAP
        for pixels in big:
            step = max(1, len(pixels) // BIG)  # the largest images shown halved
            view = [row[::step] for row in pixels[::step]]
            canvas.draw(x, GAP, view, scale=max(1, BIG // len(view)), checker=True)
            x += BIG + GAP
        x += GAP
        for i, background in enumerate(PREVIEW_BACKGROUNDS):
            left, top = x + (i % 2) * cell_width, GAP + (i // 2) * cell_height
            canvas.fill(left, top, cell_width, cell_height, background)
            left += GAP
            for pixels in small:
                n = len(pixels)
                canvas.draw(left, top + GAP + n // 2, pixels, 1)
                canvas.draw(left + n, top + GAP, pixels, 2)
                left += 3 * n + GAP
        strips.append((output.path, canvas))
    return strips


def write_previews(files: dict[str, bytes], directory: Path) -> None:
    directory.mkdir(parents=True, exist_ok=True)
    strips = preview_strips(files)
    for path, canvas in strips:
        write_png(directory / (Path(path).name.replace(".", "_") + ".png"), canvas.rows)
    width = max(len(c.rows[0]) for _, c in strips)
    sheet = Canvas(width, sum(len(c.rows) for _, c in strips))
    y = 0
    for _, canvas in strips:
        for row in canvas.rows:
            sheet.rows[y][:len(row)] = row
            y += 1
    write_png(directory / "icons.png", sheet.rows)


# ---------------------------------------------------------------------------------------------


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed files and check their structure")
    parser.add_argument("--preview", metavar="DIR", type=Path,
                        help="write enlarged PNG previews of the generated files into DIR")
    args = parser.parse_args(argv)

    try:
        built = build_all()
    except ArtError as error:
        print(f"make_art: {error}", file=sys.stderr)
        return 2

    if args.check:
        problems = []
        committed = {}
        for path, data in built.items():
            target = RES_DIR / path
            if not target.exists():
                problems.append(f"res/{path} is missing")
                continue
            committed[path] = target.read_bytes()
            if committed[path] != data:
                problems.append(f"res/{path} differs from what res/art describes")
        if len(committed) == len(built):
            problems += [f"res/{p}" for p in check_files(committed)]
        for problem in problems:
            print(f"make_art: {problem}", file=sys.stderr)
        if problems:
            print("make_art: run 'python3 res/make_art.py' and commit res/icons", file=sys.stderr)
            return 1
        print(f"make_art: {len(built)} files match res/art and pass the format checks")
    else:
        problems = check_files(built)
        for problem in problems:
            print(f"make_art: {problem}", file=sys.stderr)
        if problems:
            return 1
        if not args.preview:
            for path, data in built.items():
                target = RES_DIR / path
                # Leave unchanged files alone so the resource script is not rebuilt for nothing.
                if not target.exists() or target.read_bytes() != data:
                    target.write_bytes(data)
                    print(f"make_art: wrote res/{path}")

    if args.preview:
        write_previews(built, args.preview)
        print(f"make_art: previews in {args.preview}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
