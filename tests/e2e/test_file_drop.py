#!/usr/bin/env python3
# File drop end to end. The drags come from lumbra_dragsource.exe, a strict source that, like the
# file managers and archivers users drag from, deletes its files whenever the answer it gets holds
# the move effect; xdotool carries them onto LumbraPanel's picture and answers the drop menu.

import json
import os
import shutil
import subprocess
from pathlib import Path

import lumbra_e2e
from lumbra_e2e import LumbraTestCase, holds_for, wait_until

SUFFIX = "へのｼｮｰﾄｶｯﾄ.lnk"
COPY, LINK = 1, 4


class FileDrop(LumbraTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.desk = self.session.desktop_folder()
        lumbra_e2e.empty_folder(self.desk)
        self.drive_c = self.session.cfg.prefix / "drive_c"
        self.src = self.drive_c / "lumbra-drop"
        shutil.rmtree(self.src, ignore_errors=True)
        self.result = self.session.cfg.work / "dragsource.json"
        self.panel = self.settled_window(self.start_lumbra()).panel.rect

    def put(self, name: str, content: bytes) -> Path:
        path = self.src / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        return path

    def names(self, folder: Path | None = None) -> list[str]:
        return sorted(p.name for p in (folder or self.desk).iterdir())

    def visible(self, title: str, cls: str):
        window = self.session.find_window(title, cls)
        return window if window is not None and window.visible else None

    def drag(self, items: list[Path], button: int, *options: str) -> None:
        # Starts the source with the items and drags them onto the middle of the picture.
        self.result.unlink(missing_ok=True)
        exe = lumbra_e2e.config().probe.parent / "lumbra_dragsource.exe"
        paths = ["C:\\" + str(p.relative_to(self.drive_c)).replace("/", "\\") for p in items]
        # In the source folder: whatever the source deletes, it deletes there.
        self.addCleanup(subprocess.Popen(["wine", str(exe), f"--out={self.session.windows_path(self.result)}",
                                          *options, *paths], env=self.session.env, cwd=self.src,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL).kill)
        source = wait_until(lambda: self.visible("LumbraDragSource", "LumbraDragSource"), timeout=20,
                            what="the drag source")
        self.session.drag(source.rect.center, self.panel.center, button=button, steps=16, step_delay=0.05)

    def answer(self) -> dict:
        # What the source was answered, once the drag (and a command it waits for) has ended.
        wait_until(lambda: self.result.exists() and self.result.stat().st_size > 0, timeout=60,
                   what="the drag source's answer")
        return json.loads(self.result.read_text())

    def choose(self, key: str) -> None:
        menu = wait_until(lambda: self.visible("", "#32768"), timeout=15, what="the drop menu")
        x, y = self.panel.center
        self.assertLessEqual(max(abs(menu.rect.left - x), abs(menu.rect.top - y)), 2, "the menu opens at the pointer")
        self.session.xdotool("key", key)

    def test_a_left_drop_and_each_drop_menu_entry_and_only_move_takes_the_sources_away(self):
        # A left drop makes shortcuts at once; the right button's menu answers nothing before it is
        # answered, and a source that can wait (IDataObjectAsyncCapability) hears the outcome then.
        # Text is no file list: no menu at all.
        for key, button, option, effect, end in (("", 1, "--sync", LINK, -1), ("m", 3, "--async", 0, 0),
                                                 ("c", 3, "--async", 0, COPY), ("s", 3, "--async", 0, LINK),
                                                 ("Escape", 3, "--async", 0, 0), ("", 3, "--text", 0, -1)):
            with self.subTest(key=key, button=button, option=option):
                lumbra_e2e.empty_folder(self.desk)
                a, d = self.put("報告書.txt", key.encode()), self.put("Docs/in.txt", b"inner").parent
                self.drag([a, d], button, option)
                if key:
                    self.choose(key)
                answer = self.answer()
                self.assertEqual((answer["effect"], answer["end"], answer["deleted"]), (effect, end, False))
                links = [d.name + SUFFIX, a.name + SUFFIX]
                made = {"m": [d.name, a.name], "c": [d.name, a.name], "s": links}.get(key, links if button == 1 else [])
                wait_until(lambda: self.names() == made, timeout=15, what=f"the desktop after {key!r}", describe=self.names)
                holds_for(lambda: self.names() == made and not self.visible("", "#32768"), 1.0, what="no menu, no more")
                self.assertEqual(a.exists() and (d / "in.txt").exists(), key != "m", "only a move takes the sources")
                if key == "c":
                    self.assertEqual((self.desk / a.name).read_bytes() + (self.desk / "Docs/in.txt").read_bytes(),
                                     b"cinner")
        # A name already on the desktop is asked about first; "いいえ" leaves the desktop's file as it was.
        (self.desk / "報告書.txt").write_bytes(b"mine")
        self.drag([self.put("報告書.txt", b"theirs")], 3, "--async")
        self.choose("c")
        wait_until(lambda: self.visible("上書き確認", "#32770"), timeout=15, what="the overwrite question")
        self.session.xdotool("key", "n")
        self.assertEqual(self.answer()["end"], 0)
        self.assertEqual((self.desk / "報告書.txt").read_bytes(), b"mine")

    def test_names_as_they_are_long_paths_and_a_link_to_its_own_parent(self):
        self.put("memo", b"plain")
        memo = self.put("memo.", b"with a dot")
        deep = self.put("/".join(["d" * 60] * 5) + "/deep.txt", b"deep")
        loop = self.put("Loop/in.txt", b"in").parent
        os.symlink("..", loop / "up")
        self.drag([memo, deep, loop], 3, "--async")
        self.choose("c")
        made = (self.desk / "Loop" / "up").is_symlink()
        if not made:  # Wine makes no links: it is left out and named
            box = wait_until(lambda: self.visible("Lumbra", "#32770"), timeout=15, what="the message")
            self.assertIn("C:\\lumbra-drop\\Loop\\up", "\n".join(c.title for c in box.children))
            self.session.click(*next(c for c in box.children if c.raw.get("id") == 1).rect.center)
        self.assertEqual(self.answer()["end"], COPY)
        self.assertEqual(self.names(), ["Loop", "deep.txt", "memo."])
        self.assertEqual((self.desk / "memo.").read_bytes() + (self.desk / "deep.txt").read_bytes(), b"with a dotdeep")
        self.assertEqual(self.names(self.desk / "Loop"), ["in.txt", "up"] if made else ["in.txt"])
        self.assertEqual((memo.read_bytes(), deep.read_bytes()), (b"with a dot", b"deep"))


if __name__ == "__main__":
    lumbra_e2e.main()
