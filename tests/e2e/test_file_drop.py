#!/usr/bin/env python3
"""File drop end to end. The drags come from lumbra_dragsource.exe, a strict source that, like the
file managers and archivers users drag from, deletes its files whenever the answer it gets holds
the move effect; xdotool carries them onto LumbraPanel's picture and answers the drop menu."""

from __future__ import annotations

import json
import os
import shutil
import subprocess
from pathlib import Path

import lumbra_e2e
from lumbra_e2e import LumbraTestCase, holds_for, wait_until

SUFFIX = "へのｼｮｰﾄｶｯﾄ.lnk"
COPY, MOVE, LINK = 1, 2, 4


class FileDrop(LumbraTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.desk = self.session.desktop_folder()
        lumbra_e2e.empty_folder(self.desk)
        self.drive_c = self.session.cfg.prefix / "drive_c"
        self.src = self.drive_c / "lumbra-drop"
        shutil.rmtree(self.src, ignore_errors=True)
        self.src.mkdir()
        self.result = self.session.cfg.work / "dragsource.json"
        self.panel = self.settled_window(self.start_lumbra()).panel.rect

    def win(self, path: Path) -> str:
        return "C:\\" + str(path.relative_to(self.drive_c)).replace("/", "\\")

    def put(self, name: str, content: bytes) -> Path:
        path = self.src / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        return path

    def helper(self, *args: str) -> subprocess.Popen:
        exe = lumbra_e2e.config().probe.parent / "lumbra_dragsource.exe"
        return subprocess.Popen(["wine", str(exe), *args], env=self.session.env, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)

    def target(self, lnk: Path) -> str:
        out, _ = self.helper("resolve", self.win(lnk)).communicate(timeout=60)
        return json.loads(out.decode("utf-8").splitlines()[-1])["target"]

    def drag(self, items: list[Path], button: int, *options: str) -> None:
        """Starts the source with the items and drags them onto the middle of the picture."""
        self.result.unlink(missing_ok=True)
        self.addCleanup(self.helper("drag", f"--out={self.session.windows_path(self.result)}", *options,
                                    *map(self.win, items)).kill)
        source = wait_until(lambda: self.visible("LumbraDragSource", "LumbraDragSource"), timeout=20,
                            what="the drag source")
        self.session.drag(source.rect.center, self.panel.center, button=button, steps=16, step_delay=0.05)

    def visible(self, title: str, cls: str):
        window = self.session.find_window(title, cls)
        return window if window is not None and window.visible else None

    def answer(self) -> dict:
        """What the source was answered, once the drag (and a command it waits for) has ended."""
        wait_until(lambda: self.result.exists() and self.result.stat().st_size > 0, timeout=60,
                   what="the drag source's answer")
        return json.loads(self.result.read_text())

    def choose(self, key: str) -> None:
        menu = wait_until(lambda: self.visible("", "#32768"), timeout=15, what="the drop menu")
        x, y = self.panel.center
        self.assertLessEqual(max(abs(menu.rect.left - x), abs(menu.rect.top - y)), 2, "the menu opens at the pointer")
        self.session.xdotool("key", key)

    def close_box(self, title: str) -> str:
        """Clicks OK on the message box with this title; gives back its text."""
        box = wait_until(lambda: self.visible(title, "#32770"), timeout=15, what=f"the box {title!r}")
        ok = next(c for c in box.children if c.raw.get("id") == 1)
        self.session.click(*ok.rect.center)
        return "\n".join(c.title for c in box.children if c.class_name.lower() == "static")

    def test_a_left_drop_links_and_leaves_the_sources_whole(self):
        a, b = self.put("報告書.txt", b"report"), self.put("data.bin", os.urandom(4096))
        before = {p: p.read_bytes() for p in (a, b)}
        self.drag([a, b], 1)
        answer = self.answer()
        self.assertEqual((answer["effect"], answer["deleted"]), (LINK, False))
        self.assertIsNone(self.visible("", "#32768"), "a left drop shows no menu")
        for path, content in before.items():
            self.assertEqual(path.read_bytes(), content)
            self.assertEqual(self.target(self.desk / (path.name + SUFFIX)), self.win(path))

    def test_each_drop_menu_entry_and_only_move_takes_the_sources_away(self):
        for key, options in (("m", ["--async"]), ("c", ["--async"]), ("s", ["--async"]), ("Escape", ["--async"]),
                             ("", ["--text"])):
            with self.subTest(key=key, options=options):
                lumbra_e2e.empty_folder(self.desk)
                a, d = self.put("a.txt", key.encode()), self.put("Docs/in.txt", b"inner").parent
                self.drag([a, d], 3, *options)
                if key:
                    self.choose(key)
                answer = self.answer()
                self.assertEqual(answer["effect"], 0, "the drop answers before the menu is")
                self.assertFalse(answer["deleted"])
                names = sorted(p.name for p in self.desk.iterdir())
                self.assertEqual(answer["end"], {"m": 0, "c": COPY, "s": LINK}.get(key, 0 if key else -1))
                if key == "m":
                    self.assertEqual(names, ["Docs", "a.txt"])
                    self.assertFalse(a.exists() or d.exists())
                    continue
                self.assertEqual(a.read_bytes(), key.encode())
                self.assertEqual((d / "in.txt").read_bytes(), b"inner")
                if key == "c":
                    self.assertEqual((self.desk / "a.txt").read_bytes() + (self.desk / "Docs/in.txt").read_bytes(),
                                     b"cinner")
                elif key == "s":
                    self.assertEqual(names, ["Docs" + SUFFIX, "a.txt" + SUFFIX])
                else:
                    self.assertIsNone(self.visible("", "#32768"))
                    holds_for(lambda: not any(self.desk.iterdir()), 1.0, what="an empty desktop folder")

    def test_names_as_they_are_long_paths_and_a_link_to_its_own_parent(self):
        self.put("memo", b"plain")
        memo = self.put("memo.", b"with a dot")
        deep = self.put("/".join(["d" * 60] * 5) + "/deep.txt", b"deep")
        loop = self.put("Loop/in.txt", b"in").parent
        os.symlink("..", loop / "up")
        self.assertGreater(len(self.win(deep)), 300)
        self.drag([memo, deep, loop], 3)
        self.choose("c")
        made = (self.desk / "Loop" / "up").is_symlink()
        if not made:  # Wine makes no links: it is left out and named
            self.assertIn("C:\\lumbra-drop\\Loop\\up", self.close_box("Lumbra"))
        self.assertFalse(self.answer()["deleted"])
        self.assertEqual(sorted(p.name for p in self.desk.iterdir()), ["Loop", "deep.txt", "memo."])
        self.assertEqual((self.desk / "memo.").read_bytes() + (self.desk / "deep.txt").read_bytes(), b"with a dotdeep")
        self.assertEqual(sorted(p.name for p in (self.desk / "Loop").iterdir()), ["in.txt", "up"] if made else ["in.txt"])
        self.assertEqual((memo.read_bytes(), deep.read_bytes()), (b"with a dot", b"deep"))


if __name__ == "__main__":
    lumbra_e2e.main()
