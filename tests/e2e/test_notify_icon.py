#!/usr/bin/env python3
"""The notification-area icon and the rest of what a tray program owes its user: left clicks hide and
show the window, the icon's menu, one instance per user, caption buttons drawn whole, and no DLL
taken from the program's folder."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import UPDATE_SECTION, LumbraTestCase, Rect, wait_until  # noqa: E402

GREY_TOLERANCE = 12   # R, G and B of every icon pixel within this of each other
COLOURED_CHROMA = 40  # a coloured icon has pixels far from grey
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
WM_SYSCOMMAND, SC_MINIMIZE = 0x0112, 0xF020
# Windows takes these from System32 whatever lies beside a program: its KnownDLLs and what they
# import. Wine's user32 imports version and zlib1 and loads uxtheme by name as it starts, before any
# code of the program runs; Windows' does none of that.
SYSTEM_ONLY = set("""advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 kernelbase
    msctf msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi ucrtbase
    user32 win32u wldap32 ws2_32 uxtheme version zlib1""".split())


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
        return wait_until(self.tray_icons, timeout=5, what="an icon in the notification area")

    def menu_key(self, x, y, key):
        """A right click at x,y, then `key` in the menu it opens."""
        self.session.click(x, y, button=3)
        wait_until(lambda: any(w["class"] == "#32768" for w in self.session.probe("windows")["windows"]),
                   timeout=5, what="a menu")
        self.session.xdotool("key", key)

    def test_left_clicks_a_second_start_and_the_icons_menu(self):
        self.session.reg_delete(RUN_KEY, "LumbraPanel")
        self.addCleanup(self.session.reg_delete, RUN_KEY, "LumbraPanel")
        program = self.start_lumbra()
        window = self.settled_window(program)
        icon = self.icon_area()
        coloured = self.session.area(icon, dump=True)
        self.assertGreater(coloured["maxChroma"], COLOURED_CHROMA, f"the icon at start is not coloured: {coloured}")
        # Two left clicks: hidden with the grey icon, then shown in place with the coloured one.
        self.session.click(*icon.center)
        program.wait_window("hidden", timeout=5)
        wait_until(lambda: self.session.area(icon)["maxChroma"] <= GREY_TOLERANCE, timeout=5, what="the icon to turn grey")
        self.assertGreater(self.session.area(icon)["distinct"], 3, "the grey icon is no longer a picture")
        self.hover_tip(*icon.center, "LumbraPanel (Disabled)")
        self.session.click(*icon.center)
        shown = program.wait_window("visible", timeout=5)
        wait_until(lambda: self.session.area(icon)["maxChroma"] > COLOURED_CHROMA, timeout=5, what="the icon coloured again")
        self.assertRectNear(shown.rect, window.rect, 0, "window shown again in place")
        self.assertEqual(self.session.area(icon, dump=True)["rows"], coloured["rows"], "not the icon from the start")

        self.session.probe("post", str(window.hwnd), str(WM_SYSCOMMAND), str(SC_MINIMIZE))
        wait_until(lambda: program.window().raw["iconic"], timeout=5, what="the window to be minimised")
        self.session.reg_delete(UPDATE_SECTION)

        self.assertEqual(self.start_lumbra("/dbg", wait=False).wait_exit(timeout=30), 0)
        back = wait_until(lambda: (lambda w: w if w.visible and not w.raw["iconic"] else None)(program.window()),
                          timeout=5, what="the first window to be restored")
        self.assertRectNear(back.rect, window.rect, 0)
        self.assertEqual(self.session.probe("foreground")["window"]["hwnd"], window.hwnd)
        self.assertEqual(set(self.session.reg_values(UPDATE_SECTION)), {"ApplicationPath", "CurrentVersion"})
        self.assertIsNone(self.session.stored_geometry(), "the second start wrote geometry")
        self.assertEqual(self.tray_icons(), icon, "a second icon")
        self.session.wheel(*window.rect.center, notches=-1)  # "/dbg" there left the hook here
        self.wait_geometry_change(program, window.rect)

        exe = self.session.windows_path(self.session.cfg.exe).lower()
        for value in (f'"{exe}"', ""):
            self.menu_key(*icon.center, "w")
            wait_until(lambda: (self.session.reg_get(RUN_KEY, "LumbraPanel") or "").lower() == value, what=value)
        self.menu_key(*icon.center, "x")
        self.assertEqual(program.wait_exit(timeout=10), 0)
        self.assertEqual(set(self.session.stored_geometry()), {"Left", "Top", "Width", "Height"})
        wait_until(lambda: self.tray_icons() is None, timeout=5, what="the icon to go")

    def test_the_caption_buttons_show_their_glyphs(self):
        window = self.settled_window(self.start_lumbra())
        r, c = window.rect, window.client

        def black(part):  # the black pixels of one caption button
            xs = [x for x, _ in self.frame_points(window, part)]
            rows = self.session.area(Rect(min(xs), r.top, max(xs) + 1, c.top), dump=True)["rows"]
            return {(x, y) for y, row in enumerate(rows) for x, px in enumerate(row.split())
                    if sum(bytes.fromhex(px)) < 150}

        bar = black("HTMINBUTTON")  # a bar along the bottom, not the letter "0"
        self.assertTrue(len(bar) >= 4 and len({y for _, y in bar}) <= 2, f"minimise: {sorted(bar)}")
        cross = black("HTCLOSE")  # an X, not the letter "r": mirrored on both axes
        xs, ys = [x for x, _ in cross], [y for _, y in cross]
        self.assertGreaterEqual(len(cross), 8, "close: no glyph")
        self.assertEqual(cross, {(min(xs) + max(xs) - x, y) for x, y in cross}, f"close: {sorted(cross)}")
        self.assertEqual(cross, {(x, min(ys) + max(ys) - y) for x, y in cross}, f"close: {sorted(cross)}")

    def test_no_dll_planted_beside_the_program_is_loaded(self):
        folder = self.session.cfg.work / "downloads"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        exe = shutil.copy(self.session.cfg.exe, folder)
        names = {p.stem.lower() for p in (self.session.cfg.prefix / "drive_c/windows/system32").glob("*.dll")}
        for name in names - SYSTEM_ONLY:
            os.link(self.session.cfg.probe.parent / "lumbra_planted.dll", folder / f"{name}.dll")
        # Native first: Windows' search order, the program's folder before System32.
        overrides = "".join(f";{name}=n,b" for name in sorted(names - SYSTEM_ONLY))
        env = dict(self.session.env, WINEDLLOVERRIDES=self.session.env["WINEDLLOVERRIDES"] + overrides)
        self.session.profile_set("WIN.INI", "Desktop", "Wallpaper",
                                 self.session.windows_path(self.session.cfg.source / "docs/icons.png"))
        self.addCleanup(self.session.profile_delete, "WIN.INI", "Desktop", "Wallpaper")
        proc = subprocess.Popen(["wine", exe], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        self.session.wait_window("visible", timeout=20)
        window = self.settled_window(lumbra_e2e.Program(self.session, [], ""))
        # Later loads too: the picture's decoder, the popup menu and the icon's menu.
        self.menu_key(*window.panel.rect.center, "Escape")
        self.menu_key(*self.icon_area().center, "Escape")
        self.session.probe("close", str(window.hwnd))
        self.assertEqual(proc.wait(timeout=20), 0)
        self.assertEqual(sorted(p.name for p in folder.glob("*.loaded")), [])


if __name__ == "__main__":
    lumbra_e2e.main()
