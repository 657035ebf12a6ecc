#!/usr/bin/env python3
"""The popup menu on the miniature, end to end: opened at the pointer by a right-button release
or at the window's corner by the keyboard, with icons and the desktop's entries; a desktop entry
chosen opens; emptying the recycle bin is greyed until a bin holds something, and then empties it.
Wine keeps the recycle bin in $XDG_DATA_HOME/Trash, so the test fills and reads it there."""

from __future__ import annotations

import shutil
from pathlib import Path

import lumbra_e2e
from lumbra_e2e import LumbraTestCase, Rect, holds_for, wait_until

DOWNS_TO_PROPERTIES = 9  # arrow presses from a fresh menu to "プロパティ・機能" (headings count)
SUBMENU_ROWS = 6         # its sub-menu; "ごみ箱を空にする" is the last row
DARK = 60                # normal text has pixels darker than this; greyed text has none


class PopupMenuTests(LumbraTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.desk = self.session.desktop_folder()
        self.trash = Path(self.session.env["XDG_DATA_HOME"]) / "Trash"
        for clear in (lambda: lumbra_e2e.empty_folder(self.desk), self.empty_trash):
            clear()
            self.addCleanup(clear)

    def empty_trash(self) -> None:
        shutil.rmtree(self.trash, ignore_errors=True)

    def trashed(self) -> list[str]:
        files = self.trash / "files"
        return sorted(p.name for p in files.iterdir()) if files.is_dir() else []

    def menus(self) -> list[Rect]:
        """The open menus, outermost first."""
        windows = self.session.probe("windows")["windows"]
        return [Rect.from_json(w["rect"]) for w in reversed(windows) if w["class"] == "#32768"]

    def start(self) -> Rect:
        self.lumbra = self.start_lumbra()
        self.addCleanup(self.close_menus)
        return self.settled_window(self.lumbra).panel.rect

    def open_menu(self, x: int, y: int, count: int = 1) -> list[Rect]:
        self.session.click(x, y, button=3)
        return wait_until(lambda: (lambda m: m if len(m) >= count else None)(self.menus()), timeout=10,
                          what="the popup menu")

    def keys(self, *keys: str) -> None:
        self.session.xdotool("key", "--delay", "80", *keys)

    def close_menus(self) -> None:
        for _ in range(3):
            if self.menus():
                self.keys("Escape")
        wait_until(lambda: not self.menus(), timeout=5, what="the menus to close")

    def window_titled(self, text: str) -> list[dict]:
        return wait_until(lambda: [w for w in self.session.probe("windows")["windows"] if text in w["title"]],
                          timeout=20, what=f"a window showing {text}")

    def test_right_click_opens_at_the_pointer_with_icons_and_an_entry_chosen_opens(self):
        self.session.reg_set(r"HKCR\.txt", "", "txtfile")  # as on every Windows
        (self.desk / "メモ帳.txt").write_text("memo", encoding="utf-8")
        panel = self.start()
        x, y = panel.center
        menu = self.open_menu(x, y)[0]
        self.assertTrue(abs(menu.left - x) <= 2 and abs(menu.top - y) <= 2, f"menu at {menu}, pointer at {x},{y}")
        icons = self.session.area(Rect(menu.left + 2, menu.top + 2, menu.left + 34, menu.bottom - 2))
        self.assertGreater(icons["maxChroma"], 60, "coloured icons in the image column")
        self.keys("End", "Return")
        for w in self.window_titled("メモ帳"):
            self.session.probe("close", str(w["hwnd"]))

    def test_the_menu_key_and_shift_f10_open_it_at_the_corner_and_other_buttons_do_not(self):
        panel = self.start()
        for button in (1, 2):
            self.session.click(*panel.center, button=button)
        holds_for(lambda: not self.menus(), 1.0, what="no menu")
        window = self.settled_window(self.lumbra)
        for keys in (["Menu"], ["shift+F10"]):
            self.session.xdotool("key", *keys)
            menu = wait_until(lambda: (self.menus() or [None])[0], timeout=10, what=f"the menu by {keys}")
            self.assertTrue(abs(menu.left - window.client.left) <= 2 and abs(menu.top - window.client.top) <= 2,
                            f"menu at {menu}, client area at {window.client}")
            self.close_menus()

    def test_emptying_the_bin_is_greyed_until_a_bin_holds_a_file_and_then_empties_it(self):
        panel = self.start()

        def empty_row_text_darkness() -> int:
            self.open_menu(*panel.center)
            self.keys(*(["Down"] * DOWNS_TO_PROPERTIES), "Right")
            sub = wait_until(lambda: (lambda m: m[1] if len(m) == 2 else None)(self.menus()), timeout=10,
                             what="the properties sub-menu")
            middle = round(sub.top + sub.height * (SUBMENU_ROWS - 0.5) / SUBMENU_ROWS)
            return min(self.session.area(Rect(sub.left + 34, middle - 3, sub.right - 8, middle + 4))["min"])

        self.assertGreaterEqual(empty_row_text_darkness(), DARK, "greyed while every bin is empty")
        self.close_menus()
        (self.trash / "files").mkdir(parents=True, exist_ok=True)
        (self.trash / "info").mkdir(exist_ok=True)
        (self.trash / "files" / "old.txt").write_text("to the bin", encoding="utf-8")
        (self.trash / "info" / "old.txt.trashinfo").write_text(
            "[Trash Info]\nPath=/tmp/old.txt\nDeletionDate=2024-01-01T00:00:00\n", encoding="utf-8")
        self.assertLess(empty_row_text_darkness(), DARK, "enabled once a bin holds a file")
        self.keys("End", "Return")
        # The system's own confirmation comes first; its default answer is Yes.
        wait_until(lambda: [w for w in self.session.probe("windows")["windows"] if w["class"] == "#32770"],
                   timeout=15, what="the shell's confirmation")
        self.keys("Return")
        wait_until(lambda: not self.trashed(), timeout=15, what="the bin to be empty")


if __name__ == "__main__":
    lumbra_e2e.main()
