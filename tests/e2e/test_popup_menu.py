#!/usr/bin/env python3
"""The popup menu on the miniature, end to end: opened at the pointer or, by the keyboard, at the
window's corner, with icons and the entries of both desktops (the user's and all users'); desktop
folders cascade and their entries open; a right-button release on an entry gives its shell menu;
emptying the recycle bin is greyed until a bin holds something. Wine keeps the recycle bin in
$XDG_DATA_HOME/Trash, so the tests read and fill it there."""

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
        self.public = self.session.cfg.prefix / "drive_c" / "users" / "Public" / "Desktop"
        self.public.mkdir(parents=True, exist_ok=True)
        self.trash = Path(self.session.env["XDG_DATA_HOME"]) / "Trash"
        self.session.reg_set(r"HKCR\.txt", "", "txtfile")  # as on every Windows
        for clear in (lambda: lumbra_e2e.empty_folder(self.desk), lambda: lumbra_e2e.empty_folder(self.public),
                      lambda: shutil.rmtree(self.trash, ignore_errors=True)):
            clear()
            self.addCleanup(clear)

    def windows(self) -> list[dict]:
        return self.session.probe("windows")["windows"]

    def menus(self) -> list[Rect]:
        """The open menus, outermost first."""
        return [Rect.from_json(w["rect"]) for w in reversed(self.windows()) if w["class"] == "#32768"]

    def start(self) -> Rect:
        self.lumbra = self.start_lumbra()
        self.addCleanup(self.close_menus)
        return self.settled_window(self.lumbra).panel.rect

    def open_menu(self, x: int, y: int, count: int = 1, button: int = 3) -> list[Rect]:
        self.session.click(x, y, button=button)
        return wait_until(lambda: (lambda m: m if len(m) >= count else None)(self.menus()), timeout=10,
                          what=f"{count} open menu(s)")

    def keys(self, *keys: str) -> None:
        self.session.xdotool("key", "--delay", "150", *keys)

    def close_menus(self) -> None:
        for _ in range(3):
            if self.menus():
                self.keys("Escape")
        wait_until(lambda: not self.menus(), timeout=5, what="the menus to close")

    def opened(self, title: str) -> None:
        """A window showing the title appears (and is closed again)."""
        found = wait_until(lambda: [w for w in self.windows() if title in w["title"]], timeout=20,
                           what=f"a window showing {title}")
        for w in found:
            self.session.probe("close", str(w["hwnd"]))

    def test_entries_of_both_desktops_sort_as_one_and_open_from_a_menu_at_the_pointer(self):
        for folder, name in ((self.desk, "a-user.txt"), (self.public, "b-all.txt"), (self.desk, "c-user.txt")):
            (folder / name).write_text(name, encoding="utf-8")
        x, y = self.start().center
        menu = self.open_menu(x, y)[0]
        self.assertTrue(abs(menu.left - x) <= 2 and abs(menu.top - y) <= 2, f"menu at {menu}, pointer at {x},{y}")
        icons = self.session.area(Rect(menu.left + 2, menu.top + 2, menu.left + 34, menu.bottom - 2))
        self.assertGreater(icons["maxChroma"], 60, "coloured icons in the image column")
        self.keys("End", "Up", "Return")  # the last entry but one
        self.opened("b-all.txt")

    def test_a_file_two_folders_deep_opens_by_the_keyboard(self):
        inner = self.desk / "Outer" / "Inner"
        inner.mkdir(parents=True)
        (self.desk / "Outer" / "loose.txt").write_text("x", encoding="utf-8")
        for name in ("aa.txt", "zz-deep.txt"):
            (inner / name).write_text(name, encoding="utf-8")
        self.open_menu(*self.start().center)
        self.keys("End", "Right")
        self.assertEqual(len(wait_until(lambda: self.menus()[1:] or None, timeout=10, what="Outer's sub-menu")), 1)
        self.keys("End", "Right", "End", "Return")
        self.opened("zz-deep.txt")

    def test_a_folders_own_entry_still_opens_the_folder(self):
        (self.desk / "Projects").mkdir()
        (self.desk / "Projects" / "plan.txt").write_text("x", encoding="utf-8")
        menu = self.open_menu(*self.start().center)[0]
        self.session.click(menu.left + 60, menu.bottom - 10)  # the last row: the one desktop entry
        wait_until(lambda: not self.menus(), timeout=10, what="the menu to close")
        self.opened("Projects")

    def test_a_right_click_on_an_entry_gives_its_shell_menu_whose_delete_recycles_it(self):
        victim = self.desk / "victim.txt"
        victim.write_text("to the bin", encoding="utf-8")
        menu = self.open_menu(*self.start().center)[0]
        shell_menu = self.open_menu(menu.left + 60, menu.bottom - 10)[0]
        self.assertNotEqual(shell_menu, menu, "the shell's menu replaces ours")
        self.keys("d")  # "&Delete"
        wait_until(lambda: [w for w in self.windows() if w["class"] == "#32770"], timeout=15,
                   what="the shell's confirmation")
        self.keys("Return")
        wait_until(lambda: not victim.exists() and "victim.txt" in {p.name for p in (self.trash / "files").iterdir()},
                   timeout=15, what="victim.txt in the recycle bin")

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
        for part, name, text in (("files", "old.txt", "x"), ("info", "old.txt.trashinfo",
                                 "[Trash Info]\nPath=/tmp/old.txt\nDeletionDate=2024-01-01T00:00:00\n")):
            (self.trash / part).mkdir(parents=True, exist_ok=True)
            (self.trash / part / name).write_text(text, encoding="utf-8")
        self.assertLess(empty_row_text_darkness(), DARK, "enabled once a bin holds a file")
        self.keys("End", "Return")
        # The system's own confirmation comes first; its default answer is Yes.
        wait_until(lambda: [w for w in self.windows() if w["class"] == "#32770"], timeout=15,
                   what="the shell's confirmation")
        self.keys("Return")
        wait_until(lambda: not list((self.trash / "files").iterdir()), timeout=15, what="the bin to be empty")


if __name__ == "__main__":
    lumbra_e2e.main()
