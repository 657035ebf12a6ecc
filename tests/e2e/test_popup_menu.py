#!/usr/bin/env python3
# The popup menu on the miniature, end to end: opened at the pointer or, by the keyboard, at the
# window's corner, with icons and the entries of both desktops (the user's and all users'); desktop
# folders cascade and their entries open; a right-button release on an entry gives its shell menu;
# emptying the recycle bin, enabled once a bin holds something, empties it. Wine keeps the bin in
# $XDG_DATA_HOME/Trash, so the tests read and fill it there.

from __future__ import annotations

import shutil
from pathlib import Path

import lumbra_e2e
from lumbra_e2e import LumbraTestCase, Rect, wait_until


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

    def menus(self) -> list[Rect]:  # the open menus, outermost first
        return [Rect(**w["rect"]) for w in reversed(self.windows()) if w["class"] == "#32768"]

    def start(self) -> Rect:
        self.lumbra = self.start_lumbra()
        self.addCleanup(self.close_menus)
        return self.settled_window(self.lumbra).panel.rect

    def open_menu(self, x: int, y: int) -> Rect:
        self.session.click(x, y, button=3)
        return wait_until(lambda: (self.menus() or [None])[0], timeout=10, what="an open menu")

    def keys(self, *keys: str) -> None:
        self.session.xdotool("key", "--delay", "150", *keys)

    def close_menus(self) -> None:
        if self.menus():
            self.keys(*(["Escape"] * 3))
        wait_until(lambda: not self.menus(), timeout=5, what="the menus to close")

    def confirm(self) -> None:  # the shell's own confirmation; its default answer is Yes
        wait_until(lambda: [w for w in self.windows() if w["class"] == "#32770"], timeout=15, what="a confirmation")
        self.keys("Return")

    def opened(self, title: str) -> None:  # a window showing the title appears; it is closed again
        for w in wait_until(lambda: [w for w in self.windows() if title in w["title"]], timeout=20, what=title):
            self.session.probe("close", str(w["hwnd"]))

    def test_entries_of_both_desktops_sort_as_one_and_the_menu_opens_at_the_pointer_or_the_corner(self):
        for folder, name in ((self.desk, "a-user.txt"), (self.public, "b-all.txt"), (self.desk, "c-user.txt")):
            (folder / name).write_text(name, encoding="utf-8")
        panel = self.start()
        x, y = panel.center
        menu = self.open_menu(x, y)
        self.assertTrue(abs(menu.left - x) <= 2 and abs(menu.top - y) <= 2, f"menu at {menu}, pointer at {x},{y}")
        icons = self.session.area(Rect(menu.left + 2, menu.top + 2, menu.left + 34, menu.bottom - 2))
        self.assertGreater(icons["maxChroma"], 60, "coloured icons in the image column")
        client = self.settled_window(self.lumbra).client
        for keys in ("Menu", "shift+F10"):
            self.close_menus()
            self.keys(keys)
            menu = wait_until(lambda: (self.menus() or [None])[0], timeout=10, what=f"the menu by {keys}")
            self.assertTrue(abs(menu.left - client.left) <= 2 and abs(menu.top - client.top) <= 2,
                            f"menu at {menu}, client area at {client}")
        self.keys("End", "Up", "Return")  # the last entry but one
        self.opened("b-all.txt")

    def test_a_folders_own_entry_opens_it_and_a_file_two_folders_deep_opens_by_the_keyboard(self):
        inner = self.desk / "Outer" / "Inner"
        inner.mkdir(parents=True)
        (self.desk / "Outer" / "loose.txt").write_text("x", encoding="utf-8")
        for name in ("aa.txt", "zz-deep.txt"):
            (inner / name).write_text(name, encoding="utf-8")
        panel = self.start()
        menu = self.open_menu(*panel.center)
        self.session.click(menu.left + 60, menu.bottom - 10)  # the last row: the one desktop entry
        self.opened("Outer")
        self.open_menu(*panel.center)
        self.keys("End", "Right", "End", "Right", "End", "Return")
        self.opened("zz-deep.txt")

    def test_a_right_click_on_an_entry_gives_its_shell_menu_whose_delete_recycles_it(self):
        victim = self.desk / "victim.txt"
        victim.write_text("to the bin", encoding="utf-8")
        menu = self.open_menu(*self.start().center)
        self.session.click(menu.left + 60, menu.bottom - 10, button=3)
        wait_until(lambda: [m for m in self.menus() if m != menu], timeout=10, what="the shell's menu instead of ours")
        self.keys("d")  # "&Delete"
        self.confirm()
        wait_until(lambda: not victim.exists() and (self.trash / "files" / "victim.txt").exists(), timeout=15,
                   what="victim.txt in the recycle bin")

    def test_emptying_the_bin_once_a_bin_holds_a_file_asks_and_empties_it(self):
        for part, name, text in (("files", "old.txt", "x"), ("info", "old.txt.trashinfo",
                                 "[Trash Info]\nPath=/tmp/old.txt\nDeletionDate=2024-01-01T00:00:00\n")):
            (self.trash / part).mkdir(parents=True, exist_ok=True)
            (self.trash / part / name).write_text(text, encoding="utf-8")
        self.open_menu(*self.start().center)
        self.keys(*(["Down"] * 9), "Right", "End", "Return")  # "ごみ箱を空にする", last in "プロパティ・機能"
        self.confirm()
        wait_until(lambda: not list((self.trash / "files").iterdir()), timeout=15, what="the bin to be empty")

if __name__ == "__main__":
    lumbra_e2e.main()
