#!/usr/bin/env python3
"""Soak of the real LumbraPanel.exe: 10,000 compositions and 1,000 popup-menu showings, with the
program's memory (and, where the system counts them, its GDI and USER objects) taken before and
after. Opt-in (CTest label "soak"); see tests/soak/README.md.

The compositions come in rounds of 100, each round under one of nine wallpaper settings in
turn (a small bitmap tiled, a 3840x2160 JPEG centred, stretched, fitted, filled and tiled, the
bitmap centred, no wallpaper): a burst of 40 WM_SETTINGCHANGE, 10 resizes of the window from
outside, 10 wheel notches (each resizes the window and composes again), then 40 more setting
changes. Every round ends with 10 menu showings: a right click on the panel (every tenth: the
context-menu key), the menu waited for, Escape, the menu gone.

Memory is the Wine process's own, from /proc/<pid>/status: RssAnon (the private bytes' part
that is resident) and VmRSS. GetGuiResources answers 0 under Wine; the window system objects
are counted in-process by lumbra_soak_tests.exe under the same load.

Wine's SHQueryRecycleBinW keeps about 160 bytes of the calling process's memory for good on
every call, and every menu showing asks the recycle bins three times (all bins, then each fixed
drive's). That share is measured on its own (the probe makes the same queries in its own
process) and taken out before the program's growth is judged; both figures are printed.

    LUMBRA_SOAK_ROUNDS=5 python3 tests/soak/soak_e2e.py     # a short trial (500 + 50)
"""

from __future__ import annotations

import json
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import lumbra_e2e  # noqa: E402
from lumbra_e2e import LumbraTestCase, wait_until  # noqa: E402
from lumbra_probe_server import ProbeServer  # noqa: E402
from test_wallpaper import GENERAL_KEY, bmp_bytes, quadrants  # noqa: E402

ROUNDS = int(os.environ.get("LUMBRA_SOAK_ROUNDS", "100"))
SETTING_CHANGES_PER_BURST = 40
RESIZES_PER_ROUND = 10
WHEELS_PER_ROUND = 10
MENUS_PER_ROUND = 10
COMPOSITIONS_PER_ROUND = 2 * SETTING_CHANGES_PER_BURST + RESIZES_PER_ROUND + WHEELS_PER_ROUND
GROWTH_ALLOWED = 0.05
# Recycle-bin questions of one menu showing: the state is asked afresh for each of its three uses
# (the empty item, the two pictures), each time for all bins and then for every fixed drive's.
STATE_QUERIES_PER_SHOWING = 3
ANSWER_LIMIT_MS = 2000

# (wallpaper, TileWallpaper, WallPaperStyle)
SETTINGS = [("small", 1, 0), ("photo", 0, 0), ("small", 1, 0), ("photo", 0, 2), ("photo", 0, 6),
            ("photo", 0, 10), ("photo", 1, 0), ("small", 0, 0), (None, 0, 0)]


def resident(pid: int) -> dict[str, int]:
    values = {}
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        key, _, value = line.partition(":")
        if key in ("VmRSS", "VmHWM", "RssAnon", "RssFile"):
            values[key] = int(value.split()[0]) * 1024
    return values


class ProgramSoak(LumbraTestCase):

    def setUp(self) -> None:
        super().setUp()
        self.folder = self.session.cfg.work / "soak"
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.small = self.folder / "small.bmp"
        self.small.write_bytes(bmp_bytes(32, 32, quadrants(32, 32)))
        self.photo = self.folder / "photo.jpg"
        subprocess.run(["convert", "-size", "3840x2160", "gradient:#203060-#e0a040", "-swirl", "180", "-quality", "90",
                        str(self.photo)], check=True, timeout=120)
        # Something on the desktop for the menu to list, with icons of several kinds.
        self.desktop = self.session.desktop_folder()
        self.made = [self.desktop / f"soak {i}.txt" for i in range(6)] + [self.desktop / "soak tool.exe",
                                                                          self.desktop / "soak folder"]
        for path in self.made[:6]:
            path.write_text("soak", encoding="utf-8")
        shutil.copy(self.session.cfg.probe, self.made[6])
        self.made[7].mkdir(exist_ok=True)
        self.addCleanup(self.remove_desktop_entries)
        self.clear_wallpaper()
        self.addCleanup(self.clear_wallpaper)

    def remove_desktop_entries(self) -> None:
        for path in self.made:
            shutil.rmtree(path) if path.is_dir() else path.unlink(missing_ok=True)

    def clear_wallpaper(self) -> None:
        for key in ("Wallpaper", "TileWallpaper", "WallPaperStyle"):
            self.session.probe("profile-delete", "WIN.INI", "Desktop", key, check=False)
        self.session.probe("reg-delete", GENERAL_KEY, check=False)

    # -- the load --------------------------------------------------------------------------------

    def set_wallpaper(self, probe: ProbeServer, setting) -> None:
        name, tile, style = setting
        path = {"small": self.small, "photo": self.photo, None: None}[name]
        probe.call("profile-set", "WIN.INI", "Desktop", "Wallpaper",
                   "" if path is None else self.session.windows_path(path))
        probe.call("profile-set", "WIN.INI", "Desktop", "TileWallpaper", tile)
        probe.call("profile-set", "WIN.INI", "Desktop", "WallPaperStyle", style)

    def setting_changes(self, probe: ProbeServer, hwnd: int) -> float:
        answer = probe.call("burst", hwnd, "WM_SETTINGCHANGE", SETTING_CHANGES_PER_BURST,
                            f"--timeout={ANSWER_LIMIT_MS}", timeout=120)
        self.assertTrue(answer["answered"], f"a setting change went unanswered for {ANSWER_LIMIT_MS} ms: {answer}")
        return answer["slowestMs"]

    def window_rect(self, probe: ProbeServer, hwnd: int) -> dict:
        return probe.call("find", lumbra_e2e.TITLE, f"--class={lumbra_e2e.WINDOW_CLASS}", "--depth=1")["window"]

    def resizes_and_wheels(self, probe: ProbeServer, hwnd: int, base: tuple[int, int]) -> float:
        slowest = 0.0
        for i in range(RESIZES_PER_ROUND):
            scale = 1.0 if i % 2 else 1.4
            probe.call("resize", hwnd, round(base[0] * scale), round(base[1] * scale))
        for i in range(WHEELS_PER_ROUND):
            rect = self.window_rect(probe, hwnd)["rect"]
            x, y = (rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2
            probe.call("wheel", hwnd, 120 if i % 2 else -120, x, y)
            ping = probe.call("ping", hwnd, f"--timeout={ANSWER_LIMIT_MS}")
            self.assertTrue(ping["answered"], "the window stopped answering after a wheel notch")
            slowest = max(slowest, ping["ms"])
        return slowest

    def menu_showing(self, probe: ProbeServer, hwnd: int, by_key: bool) -> float:
        started = time.monotonic()
        window = self.window_rect(probe, hwnd)
        panel = [c for c in window["children"] if c["class"] == lumbra_e2e.PANEL_CLASS][0]["rect"]
        if by_key:
            self.session.xdotool("key", "Menu")
        else:
            self.session.xdotool("mousemove", (panel["left"] + panel["right"]) // 2,
                                 (panel["top"] + panel["bottom"]) // 2, "click", "3")

        def menu_visible():
            found = probe.call("find", "", "--class=#32768", "--depth=0")
            return found["found"] and found["window"]["visible"]

        wait_until(menu_visible, timeout=10, interval=0.01, what="the popup menu")
        self.session.xdotool("key", "Escape")
        wait_until(lambda: not menu_visible(), timeout=10, interval=0.01, what="the popup menu to close")
        return (time.monotonic() - started) * 1000

    def round(self, probe: ProbeServer, hwnd: int, base: tuple[int, int], index: int, slowest: dict) -> None:
        """100 compositions under the round's setting, then the menu showings."""
        self.set_wallpaper(probe, SETTINGS[index % len(SETTINGS)])
        slowest["setting change"] = max(slowest["setting change"], self.setting_changes(probe, hwnd))
        slowest["wheel"] = max(slowest["wheel"], self.resizes_and_wheels(probe, hwnd, base))
        slowest["setting change"] = max(slowest["setting change"], self.setting_changes(probe, hwnd))
        for i in range(MENUS_PER_ROUND):
            slowest["menu"] = max(slowest["menu"], self.menu_showing(probe, hwnd, by_key=i == MENUS_PER_ROUND - 1))

    def settle_and_look(self, probe: ProbeServer, pid: int, hwnd: int, base: tuple[int, int]) -> dict:
        """The counters in one and the same state before and after: the first setting at the
        window's first size, everything queued handled."""
        self.set_wallpaper(probe, SETTINGS[0])
        probe.call("resize", hwnd, *base)
        self.setting_changes(probe, hwnd)
        time.sleep(0.5)
        probe.call("ping", hwnd, f"--timeout={ANSWER_LIMIT_MS}")
        counters = probe.call("counters", hwnd)
        return {"memory": resident(pid), "gdi": counters["gdi"], "user": counters["user"],
                "workingSet": counters["workingSet"], "privateBytes": counters["privateBytes"]}

    # -- the soak ---------------------------------------------------------------------------------

    def test_ten_thousand_compositions_and_a_thousand_menus_leave_the_program_as_it_was(self):
        program = self.start_lumbra()
        window = self.settled_window(program)
        hwnd = window.hwnd
        base = (window.rect.width, window.rect.height)
        pid = program.proc.pid
        self.assertIn("LumbraPanel.exe", Path(f"/proc/{pid}/cmdline").read_bytes().decode(errors="replace"))
        compositions = menus = 0
        slowest = {"setting change": 0.0, "wheel": 0.0, "menu": 0.0}
        trend = []
        with ProbeServer(self.session, timeout=120) as probe:
            bin_cost = probe.call("recyclebin-cost", 2000)
            queries_per_showing = STATE_QUERIES_PER_SHOWING * (1 + bin_cost["fixedDrives"])
            # A round under every setting first, so that what the program keeps for good
            # (decoders, icons, the menu's pictures, the window system's buffers) is in place
            # before the first count.
            for round_ in range(len(SETTINGS)):
                self.round(probe, hwnd, base, round_, slowest)
            before = self.settle_and_look(probe, pid, hwnd, base)
            started = time.monotonic()
            for round_ in range(ROUNDS):
                self.round(probe, hwnd, base, round_, slowest)
                compositions += COMPOSITIONS_PER_ROUND
                menus += MENUS_PER_ROUND
                self.assertTrue(program.running, f"the program ended in round {round_}")
                if round_ % len(SETTINGS) == 0:  # the same setting every time
                    memory = resident(pid)
                    trend.append((compositions, memory["RssAnon"], memory["VmRSS"]))
                    print(f"  {compositions:6d} compositions, {menus:5d} menus: RssAnon {memory['RssAnon'] / 2**20:6.1f} MB"
                          f", VmRSS {memory['VmRSS'] / 2**20:6.1f} MB, {time.monotonic() - started:6.0f} s",
                          file=sys.stderr, flush=True)
            seconds = time.monotonic() - started
            after = self.settle_and_look(probe, pid, hwnd, base)
        self.shot("end")

        system_share = menus * queries_per_showing * bin_cost["bytesPerQuery"]
        figures = {
            "compositions": compositions, "menus": menus, "seconds": round(seconds, 1),
            "before": before, "after": after, "trend": trend,
            "recycleBin": {**bin_cost, "queriesPerShowing": queries_per_showing, "share": round(system_share)},
            "slowestMs": {k: round(v, 1) for k, v in slowest.items()},
        }
        (self.session.cfg.work / "soak-e2e.json").write_text(json.dumps(figures, indent=2))
        b, a = before["memory"], after["memory"]
        own = {key: a[key] - system_share for key in ("RssAnon", "VmRSS")}
        lines = [f"{compositions} compositions and {menus} menu showings in {seconds:.0f} s",
                 f"RssAnon  {b['RssAnon'] / 2**20:8.2f} MB -> {a['RssAnon'] / 2**20:8.2f} MB  ratio {a['RssAnon'] / b['RssAnon']:.3f}",
                 f"VmRSS    {b['VmRSS'] / 2**20:8.2f} MB -> {a['VmRSS'] / 2**20:8.2f} MB  ratio {a['VmRSS'] / b['VmRSS']:.3f}",
                 f"  of which the system's recycle-bin queries: {menus} x {queries_per_showing} x "
                 f"{bin_cost['bytesPerQuery']:.0f} bytes = {system_share / 2**20:.2f} MB",
                 f"  the program's own: RssAnon ratio {own['RssAnon'] / b['RssAnon']:.3f}, "
                 f"VmRSS ratio {own['VmRSS'] / b['VmRSS']:.3f}",
                 f"VmHWM (peak) {a['VmHWM'] / 2**20:.1f} MB",
                 f"GDI objects {before['gdi']} -> {after['gdi']}, USER objects {before['user']} -> {after['user']}"
                 + ("  (GetGuiResources counts nothing here: see lumbra_soak_tests.exe)"
                    if before["gdi"] == before["user"] == 0 else ""),
                 f"slowest: {figures['slowestMs']}"]
        print("\n" + "\n".join(lines), file=sys.stderr)

        self.assertEqual(compositions, ROUNDS * COMPOSITIONS_PER_ROUND)
        self.assertLessEqual(own["RssAnon"], b["RssAnon"] * (1 + GROWTH_ALLOWED), "private resident memory grew")
        self.assertLessEqual(own["VmRSS"], b["VmRSS"] * (1 + GROWTH_ALLOWED), "resident memory grew")
        if before["gdi"] or before["user"]:
            self.assertLessEqual(after["gdi"], before["gdi"] * (1 + GROWTH_ALLOWED), "GDI objects grew")
            self.assertLessEqual(after["user"], before["user"] * (1 + GROWTH_ALLOWED), "USER objects grew")
        if before["privateBytes"]:
            self.assertLessEqual(after["privateBytes"], before["privateBytes"] * (1 + GROWTH_ALLOWED),
                                 "private bytes grew")


if __name__ == "__main__":
    lumbra_e2e.main()
