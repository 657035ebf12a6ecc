#!/usr/bin/env python3
"""File drop on the miniature, end to end: a real drag from another program (lumbra_dragsource.exe)
moved by xdotool onto LumbraPanel's picture, with the left or the right button; the drop menu and
the overwrite question answered with keys and clicks; the results read from the desktop folder."""

from __future__ import annotations

import hashlib
import json
import os
import shutil
import subprocess
import time
from pathlib import Path

import lumbra_e2e
from lumbra_e2e import LumbraTestCase, holds_for, wait_until

SUFFIX = "へのｼｮｰﾄｶｯﾄ.lnk"
MENU_CLASS = "#32768"
DIALOG_CLASS = "#32770"
IDYES, IDNO = 6, 7
ALL_EFFECTS = 1 | 2 | 4  # DROPEFFECT_COPY | MOVE | LINK, what the drag source proposes


def dragsource_exe() -> Path:
    forced = os.environ.get("LUMBRA_E2E_DRAGSOURCE")
    return Path(forced) if forced else lumbra_e2e.config().probe.parent / "lumbra_dragsource.exe"


def digest(path: Path) -> str:
    return hashlib.sha256(path.read_bytes()).hexdigest()


class FileDropTests(LumbraTestCase):

    def setUp(self) -> None:
        super().setUp()
        drive_c = self.session.cfg.prefix / "drive_c"
        self.desk = self.session.desktop_folder()
        self.user = self.desk.parent.name
        lumbra_e2e.empty_folder(self.desk)
        self.src = drive_c / "lumbra-drop-src"
        shutil.rmtree(self.src, ignore_errors=True)
        self.src.mkdir()
        self.result = self.session.cfg.work / "dragsource-result.json"
        self.result.unlink(missing_ok=True)
        self.source: subprocess.Popen | None = None
        self.addCleanup(self._stop_source)
        self.lumbra = self.start_lumbra()
        self.panel = self.settled_window(self.lumbra).panel.rect

    # -- helpers ---------------------------------------------------------------------------------

    def _stop_source(self) -> None:
        if self.source is not None and self.source.poll() is None:
            self.source.kill()
            self.source.wait(timeout=10)

    def windows_path(self, path: Path) -> str:
        rel = path.relative_to(self.session.cfg.prefix / "drive_c")
        return "C:\\" + str(rel).replace("/", "\\")

    def helper(self, *args: str) -> dict:
        out = subprocess.run(["wine", str(dragsource_exe()), *args], env=self.session.env, timeout=60,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
        for line in out.stdout.decode("utf-8", "replace").splitlines():
            if line.startswith("{"):
                return json.loads(line)
        raise AssertionError(f"lumbra_dragsource {args!r} gave no answer")

    def shortcut_target(self, lnk: Path) -> str:
        return self.helper("resolve", self.windows_path(lnk))["target"]

    def find(self, cls: str, title: str = "") -> dict | None:
        answer = self.helper("find", cls, *([title] if title else []))
        return answer if answer["found"] else None

    def make_file(self, name: str, content: bytes) -> Path:
        path = self.src / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        return path

    def start_drag_source(self, items: list[Path], text: bool = False) -> tuple[int, int]:
        """Starts the drag source's window with the items; returns the centre of the window."""
        if self.source is not None:
            self.source.wait(timeout=20)  # the previous drag's program ends with its drag
        log = open(self.session.cfg.logs / f"{self.short_id}.dragsource.log", "ab")
        args = ["drag", f"--out=Z:{str(self.result).replace('/', chr(92))}"]
        args += ["--text"] if text else [self.windows_path(p) for p in items]
        self.source = subprocess.Popen(["wine", str(dragsource_exe()), *args], env=self.session.env,
                                       stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        log.close()
        window = wait_until(lambda: self.find("LumbraDragSource", "LumbraDragSource"), timeout=20,
                            what="the drag source's window")
        left, top, right, bottom = window["rect"]
        return ((left + right) // 2, (top + bottom) // 2)

    def drag_to_panel(self, start: tuple[int, int], button: int, end: tuple[int, int] | None = None) -> None:
        self.session.drag(start, end or self.panel.center, button=button, steps=16, step_delay=0.05)

    def drag_outcome(self) -> dict:
        """What DoDragDrop returned to the source, once the drop has been handled."""
        wait_until(lambda: self.result.exists() and self.result.stat().st_size > 0, timeout=30,
                   what="the drag to end")
        return json.loads(self.result.read_text())

    def wait_menu(self) -> dict:
        menu = wait_until(lambda: self.find(MENU_CLASS), timeout=10, what="the drop menu")
        # At the pointer: the drop point is the menu's top-left corner, or the menu is moved
        # inside the screen.
        left, top, _, _ = menu["rect"]
        x, y = self.panel.center
        self.assertTrue(abs(left - x) <= 2 and abs(top - y) <= 2, f"menu at {menu['rect']}, pointer at {x},{y}")
        self.shot("menu")
        return menu

    def answer_box(self, title: str, button_id: int) -> dict:
        """Waits for the message box with this title and clicks one of its buttons."""
        box = wait_until(lambda: self.find(DIALOG_CLASS, title), timeout=15, what=f"the box {title!r}")
        buttons = [c for c in box["children"] if c["id"] == button_id]
        self.assertEqual(len(buttons), 1, f"button {button_id} in {box['children']}")
        left, top, right, bottom = buttons[0]["rect"]
        self.session.click((left + right) // 2, (top + bottom) // 2)
        wait_until(lambda: self.find(DIALOG_CLASS, title) is None, timeout=10, what=f"the box {title!r} to close")
        return box

    def box_text(self, box: dict) -> str:
        return "\n".join(c["text"] for c in box["children"] if c["class"].lower() == "static")

    def desk_names(self) -> list[str]:
        return sorted(p.name for p in self.desk.iterdir())

    # -- left button: shortcuts at once -----------------------------------------------------------

    def test_left_drag_of_two_files_makes_two_shortcuts_pointing_at_them(self):
        a = self.make_file("報告書.txt", b"report")
        b = self.make_file("data.bin", os.urandom(4096))
        hashes = {a: digest(a), b: digest(b)}
        start = self.start_drag_source([a, b])
        self.drag_to_panel(start, button=1)
        outcome = self.drag_outcome()
        self.assertEqual(outcome["effect"], ALL_EFFECTS, "the proposed effect is left as it was")
        self.assertIsNone(self.find(MENU_CLASS), "a left drag shows no menu")
        self.assertEqual(self.desk_names(), sorted([a.name + SUFFIX, b.name + SUFFIX]))
        self.assertEqual(self.shortcut_target(self.desk / (a.name + SUFFIX)), self.windows_path(a))
        self.assertEqual(self.shortcut_target(self.desk / (b.name + SUFFIX)), self.windows_path(b))
        for path, h in hashes.items():
            self.assertEqual(digest(path), h)

    def test_drop_on_the_edge_of_the_panel_counts_like_one_on_the_picture(self):
        a = self.make_file("edge.txt", b"edge")
        start = self.start_drag_source([a])
        self.drag_to_panel(start, button=1, end=(self.panel.right - 2, self.panel.bottom - 2))
        self.drag_outcome()
        self.assertEqual(self.shortcut_target(self.desk / (a.name + SUFFIX)), self.windows_path(a))

    def test_left_drag_onto_an_existing_shortcut_asks_and_the_answers_count(self):
        a = self.make_file("a.txt", b"a")
        other = self.make_file("other.txt", b"o")
        # A shortcut of a's name that points elsewhere, made by a first drag of "other" renamed.
        start = self.start_drag_source([other])
        self.drag_to_panel(start, button=1)
        self.drag_outcome()
        (self.desk / (other.name + SUFFIX)).rename(self.desk / (a.name + SUFFIX))
        before = digest(self.desk / (a.name + SUFFIX))

        self.result.unlink()
        start = self.start_drag_source([a])
        self.drag_to_panel(start, button=1)
        box = self.answer_box("上書き確認", IDNO)
        self.assertIn(a.name + SUFFIX + "はすでに存在します。", self.box_text(box))
        self.drag_outcome()
        self.assertEqual(digest(self.desk / (a.name + SUFFIX)), before, "No leaves the shortcut as it was")

        self.result.unlink()
        start = self.start_drag_source([a])
        self.drag_to_panel(start, button=1)
        self.answer_box("上書き確認", IDYES)
        self.drag_outcome()
        self.assertEqual(self.shortcut_target(self.desk / (a.name + SUFFIX)), self.windows_path(a))

    # -- right button: the drop menu --------------------------------------------------------------

    def right_drag_and_choose(self, items: list[Path], key: str) -> dict:
        start = self.start_drag_source(items)
        self.drag_to_panel(start, button=3)
        self.wait_menu()
        self.session.xdotool("key", key)
        return self.drag_outcome()

    def test_right_drag_and_m_moves_the_items(self):
        a = self.make_file("a.txt", b"moved file")
        d = self.make_file("Docs/inner.txt", b"inner").parent
        ha, hi = digest(a), digest(d / "inner.txt")
        self.right_drag_and_choose([a, d], "m")
        self.assertFalse(a.exists())
        self.assertFalse(d.exists())
        self.assertEqual(digest(self.desk / "a.txt"), ha)
        self.assertEqual(digest(self.desk / "Docs" / "inner.txt"), hi)

    def test_right_drag_and_c_copies_the_items(self):
        a = self.make_file("写真.jpg", os.urandom(20000))
        d = self.make_file("Docs/inner.txt", b"inner").parent
        ha = digest(a)
        self.right_drag_and_choose([a, d], "c")
        self.assertEqual(digest(a), ha)
        self.assertEqual(digest(self.desk / a.name), ha)
        self.assertEqual((self.desk / "Docs" / "inner.txt").read_bytes(), b"inner")
        self.assertTrue((d / "inner.txt").exists())

    def test_right_drag_and_s_makes_shortcuts(self):
        a = self.make_file("a.txt", b"a")
        self.right_drag_and_choose([a], "s")
        self.assertEqual(self.desk_names(), [a.name + SUFFIX])
        self.assertEqual(self.shortcut_target(self.desk / (a.name + SUFFIX)), self.windows_path(a))
        self.assertEqual(a.read_bytes(), b"a")

    def test_right_drag_and_escape_does_nothing(self):
        a = self.make_file("a.txt", b"a")
        self.right_drag_and_choose([a], "Escape")
        wait_until(lambda: self.find(MENU_CLASS) is None, timeout=5, what="the menu to close")
        holds_for(lambda: self.desk_names() == [], 1.0, what="an empty desktop folder")
        self.assertEqual(a.read_bytes(), b"a")

    def test_right_drag_copy_onto_an_existing_name_asks_and_no_keeps_it(self):
        a = self.make_file("a.txt", b"new")
        (self.desk / "a.txt").write_bytes(b"old")
        start = self.start_drag_source([a])
        self.drag_to_panel(start, button=3)
        self.wait_menu()
        self.session.xdotool("key", "c")
        box = self.answer_box("上書き確認", IDNO)
        self.assertIn("a.txtはすでに存在します。", self.box_text(box))
        self.drag_outcome()
        self.assertEqual((self.desk / "a.txt").read_bytes(), b"old")

        self.result.unlink()
        start = self.start_drag_source([a])
        self.drag_to_panel(start, button=3)
        self.wait_menu()
        self.session.xdotool("key", "c")
        self.answer_box("上書き確認", IDYES)
        self.drag_outcome()
        self.assertEqual((self.desk / "a.txt").read_bytes(), b"new")

    def test_right_drag_move_onto_an_existing_name_reports_the_error(self):
        a = self.make_file("a.txt", b"mine")
        (self.desk / "a.txt").write_bytes(b"theirs")
        start = self.start_drag_source([a])
        self.drag_to_panel(start, button=3)
        self.wait_menu()
        self.session.xdotool("key", "m")
        box = self.answer_box("Lumbra", 1)  # IDOK: the only button
        self.assertTrue(self.box_text(box).strip(), "the box carries the system's description")
        self.drag_outcome()
        self.assertEqual(a.read_bytes(), b"mine")
        self.assertEqual((self.desk / "a.txt").read_bytes(), b"theirs")

    def test_text_dropped_with_the_right_button_does_nothing(self):
        start = self.start_drag_source([], text=True)
        self.drag_to_panel(start, button=3)
        self.drag_outcome()
        holds_for(lambda: self.find(MENU_CLASS) is None and self.desk_names() == [], 1.0,
                  what="no menu and an empty desktop folder")


if __name__ == "__main__":
    lumbra_e2e.main()
