#!/usr/bin/env python3
"""The popup menu on the miniature, end to end: a right-button release (or the context-menu key)
opens it with its Japanese captions and icons and the desktop's entries; a desktop entry chosen
opens; emptying the recycle bin is greyed while every bin is empty, enabled once a file has been
deleted to the bin, and empties it. The recycle bin is filled and read through
lumbra_menuhelper.exe (the shell's own delete-to-bin and query)."""

from __future__ import annotations

import json
import os
import subprocess
from pathlib import Path

import lumbra_e2e
from lumbra_e2e import LumbraTestCase, Rect, holds_for, wait_until

# Arrow presses from a freshly opened menu (nothing selected) to "プロパティ・機能": the nine
# items before the line under it, headings included (separators are passed over).
DOWNS_TO_PROPERTIES = 9
SUBMENU_ROWS = 6          # the properties sub-menu; "ごみ箱を空にする" is its last row
TRASH_PROPERTIES_ROW = 5
EMPTY_TRASH_ROW = 6
DARK = 60                 # text drawn normally has pixels darker than this; greyed text has none


def menuhelper_exe() -> Path:
    forced = os.environ.get("LUMBRA_E2E_MENUHELPER")
    return Path(forced) if forced else lumbra_e2e.config().probe.parent / "lumbra_menuhelper.exe"


class PopupMenuTests(LumbraTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.desk = self.session.desktop_folder()
        self.clear_desktop()
        self.addCleanup(self.clear_desktop)
        self.helper("empty-bin")
        self.addCleanup(self.helper, "empty-bin")

    # -- helpers ---------------------------------------------------------------------------------

    def clear_desktop(self) -> None:
        lumbra_e2e.empty_folder(self.desk)

    def helper(self, *args: str) -> dict:
        out = subprocess.run(["wine", str(menuhelper_exe()), *args], env=self.session.env, timeout=60,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                             check=False)
        for line in out.stdout.decode("utf-8", "replace").splitlines():
            if line.startswith("{"):
                return json.loads(line)
        raise AssertionError(f"lumbra_menuhelper {args!r} gave no answer")

    def menus(self) -> list[Rect]:
        return [Rect(*m["rect"]) for m in self.helper("menus")["menus"]]

    def start(self) -> Rect:
        self.lumbra = self.start_lumbra()
        self.addCleanup(self.close_menus)
        return self.settled_window(self.lumbra).panel.rect

    def open_menu(self, x: int, y: int) -> Rect:
        self.session.click(x, y, button=3)
        return wait_until(lambda: (self.menus() or [None])[0], timeout=10, what="the popup menu")

    def close_menus(self) -> None:
        for _ in range(3):
            if not self.menus():
                return
            self.session.xdotool("key", "Escape")
        wait_until(lambda: not self.menus(), timeout=5, what="the menus to close")

    def open_properties(self, x: int, y: int) -> Rect:
        """Opens the menu and its properties sub-menu; returns the sub-menu's rectangle."""
        self.open_menu(x, y)
        self.session.xdotool("key", "--delay", "60", *(["Down"] * DOWNS_TO_PROPERTIES), "Right")
        menus = wait_until(lambda: (lambda m: m if len(m) == 2 else None)(self.menus()), timeout=10,
                           what="the properties sub-menu")
        return menus[1]

    def row(self, menu: Rect, index: int, rows: int, text_only: bool) -> Rect:
        """A band through the middle of one row of a menu (text_only: right of the icon column)."""
        height = menu.height / rows
        middle = round(menu.top + height * (index - 0.5))
        left = menu.left + (34 if text_only else 2)
        return Rect(left, middle - 3, menu.right - 8 if text_only else menu.left + 34, middle + 4)

    def dialogs(self) -> list[dict]:
        return [w for w in self.session.probe("windows")["windows"] if w["class"] == "#32770"]

    def darkest(self, rect: Rect) -> int:
        return min(self.session.area(rect)["min"])

    # -- opening --------------------------------------------------------------------------------

    def test_right_click_opens_the_menu_at_the_pointer_with_captions_icons_and_the_desktop(self):
        (self.desk / "メモ帳.txt").write_text("memo", encoding="utf-8")
        (self.desk / "readme.txt").write_text("read me", encoding="utf-8")
        (self.desk / "写真").mkdir()
        panel = self.start()
        x, y = panel.center
        menu = self.open_menu(x, y)
        self.assertTrue(abs(menu.left - x) <= 2 and abs(menu.top - y) <= 2, f"menu at {menu}, pointer at {x},{y}")
        shot = self.shot("menu")
        print(f"screenshot of the open menu: {shot}")
        # Fourteen rows of items and headings, two lines, three desktop entries.
        self.assertGreater(menu.height, 17 * 15, f"a menu of at least 17 rows: {menu}")
        # Every image column shows something coloured: the icons are drawn.
        icons = self.session.area(Rect(menu.left + 2, menu.top + 2, menu.left + 34, menu.bottom - 2))
        self.assertGreater(icons["maxChroma"], 60, "coloured icons in the image column")

    def test_left_and_middle_releases_open_no_menu(self):
        panel = self.start()
        x, y = panel.center
        self.session.click(x, y, button=1)
        self.session.click(x, y, button=2)
        holds_for(lambda: not self.menus(), 1.0, what="no menu")

    def test_the_context_menu_key_and_shift_f10_open_the_menu_at_the_windows_corner(self):
        self.start()
        window = self.settled_window(self.lumbra)
        # The window in the foreground with the keyboard: a click on its caption.
        self.session.click(window.rect.left + window.rect.width // 3, window.rect.top + 8)
        for keys in (["Menu"], ["shift+F10"]):
            self.session.xdotool("key", *keys)
            menu = wait_until(lambda: (self.menus() or [None])[0], timeout=10, what=f"the menu by {keys}")
            self.assertTrue(abs(menu.left - window.client.left) <= 2 and abs(menu.top - window.client.top) <= 2,
                            f"menu at {menu}, window's client area at {window.client}")
            self.close_menus()

    # -- choosing -------------------------------------------------------------------------------

    def test_choosing_a_desktop_text_file_opens_it(self):
        # A new prefix knows the text editor's file type but not the extension that leads to it,
        # as every Windows does.
        self.session.reg_set(r"HKCR\.txt", "", "txtfile")
        (self.desk / "メモ帳.txt").write_text("memo for the test", encoding="utf-8")
        panel = self.start()
        self.open_menu(*panel.center)
        # The one desktop entry is the menu's last item.
        self.session.xdotool("key", "--delay", "60", "End", "Return")
        wait_until(lambda: not self.menus(), timeout=5, what="the menu to close")
        opened = wait_until(
            lambda: [w for w in self.session.probe("windows")["windows"] if "メモ帳" in w["title"]],
            timeout=20, what="a window showing メモ帳.txt")
        self.shot("opened")
        for w in opened:
            self.session.probe("close", str(w["hwnd"]))

    def test_emptying_the_bin_is_greyed_until_a_file_is_in_it_and_then_empties_it(self):
        self.assertEqual(self.helper("bin")["items"], 0)
        panel = self.start()
        x, y = panel.center

        sub = self.open_properties(x, y)
        self.shot("bin-empty")
        enabled_text = self.darkest(self.row(sub, TRASH_PROPERTIES_ROW, SUBMENU_ROWS, text_only=True))
        greyed_text = self.darkest(self.row(sub, EMPTY_TRASH_ROW, SUBMENU_ROWS, text_only=True))
        self.assertLess(enabled_text, DARK, "ごみ箱のプロパティ is drawn normally")
        self.assertGreaterEqual(greyed_text, DARK, "ごみ箱を空にする is greyed while the bin is empty")
        empty_icon = self.session.area(self.row(sub, TRASH_PROPERTIES_ROW, SUBMENU_ROWS, text_only=False),
                                       dump=True)["rows"]
        # Greyed, it cannot be chosen: nothing is asked, nothing is emptied.
        self.session.xdotool("key", "--delay", "60", *(["Down"] * (EMPTY_TRASH_ROW - 1)), "Return")
        holds_for(lambda: not self.dialogs(), 1.0, what="no confirmation")
        self.close_menus()

        victim = self.session.cfg.prefix / "drive_c" / "lumbra-menu-victim.txt"
        victim.write_text("to the bin", encoding="utf-8")
        self.assertTrue(self.helper("recycle", "C:\\lumbra-menu-victim.txt")["ok"])
        self.assertFalse(victim.exists())
        self.assertGreaterEqual(self.helper("bin")["items"], 1)

        sub = self.open_properties(x, y)
        self.shot("bin-full")
        self.assertLess(self.darkest(self.row(sub, EMPTY_TRASH_ROW, SUBMENU_ROWS, text_only=True)), DARK,
                        "ごみ箱を空にする is enabled once a bin holds a file")
        full_icon = self.session.area(self.row(sub, TRASH_PROPERTIES_ROW, SUBMENU_ROWS, text_only=False),
                                      dump=True)["rows"]
        self.assertNotEqual(full_icon, empty_icon, "the recycle bin's picture turns to the full one")

        self.session.xdotool("key", "--delay", "60", *(["Down"] * (EMPTY_TRASH_ROW - 1)), "Return")
        wait_until(lambda: not self.menus(), timeout=5, what="the menu to close")
        # The system's own confirmation comes first; its default answer is Yes.
        confirm = wait_until(self.dialogs, timeout=15, what="the shell's confirmation")
        self.shot("confirm")
        self.session.xdotool("key", "Return")
        wait_until(lambda: self.helper("bin")["items"] == 0, timeout=15, what="the bin to be empty")
        self.assertTrue(confirm)


if __name__ == "__main__":
    lumbra_e2e.main()
