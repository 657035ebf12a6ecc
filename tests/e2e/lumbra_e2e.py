#!/usr/bin/env python3
# The shared part of LumbraPanel's end-to-end tests; README.md here tells how to run and write them.
#
# The real LumbraPanel.exe runs in a Wine virtual desktop of 1024x768 on an Xvfb display of its
# own (cmake/wine-env.sh sets the session up and ends it). The tests act on it with xdotool, as a
# user would, and look at it through one `lumbra_probe serve` per session: windows, registry,
# WIN.INI, screen pixels, window messages. X and Windows screen coordinates coincide there.
#
#   test_x.py [--exe E] [--probe P] [--source S] [--work W] [unittest arguments]
#   lumbra_e2e.py --setup ...     a fresh Wine prefix in the work folder (CTest's fixture)
#   lumbra_e2e.py --cleanup ...   ends whatever a run left behind

from __future__ import annotations

import argparse, dataclasses, json, os, re, select, shutil, signal, subprocess, sys, time, unittest  # noqa: E401
from pathlib import Path

TITLE, WINDOW_CLASS, PANEL_CLASS = "LumbraPanel", "LumbraPanelWindow", "LumbraPicture"
SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Lumbra"
SETTING_SECTION, UPDATE_SECTION = SETTINGS_KEY + r"\Setting", SETTINGS_KEY + r"\UpdateInfo"
DESKTOP_WIDTH, DESKTOP_HEIGHT, TASKBAR_TOP = 1024, 768, 748  # the task bar with the notification area: y 748..767
TWIPS_PER_PIXEL, WINDOW_BACKGROUND = 15, (64, 64, 64)  # 96 DPI
WM_NCHITTEST, HIT_CODES = 0x84, {"HTCAPTION": 2, "HTRIGHT": 11, "HTMINBUTTON": 8, "HTCLOSE": 20}
_config = _session = None


# (the paths and options, what is left for unittest); without options, the paths of the `win` build tree.
def _arguments(argv):
    build, parser = Path(__file__).resolve().parents[2] / "build" / "win", argparse.ArgumentParser(add_help=False)
    for name, default in (("exe", "LumbraPanel.exe"), ("probe", "tests/lumbra_probe.exe"), ("source", "../.."), ("work", "e2e"),
                          ("setup", None), ("cleanup", None)):
        parser.add_argument("--" + name, **({"default": build / default, "type": lambda p: Path(p).resolve()} if default else {"action": "store_true"}))
    cfg, rest = parser.parse_known_args(argv)
    cfg.prefix, cfg.shots, cfg.logs = cfg.work / "prefix", cfg.work / "shots", cfg.work / "logs"
    return cfg, rest


def config():
    global _config
    _config = _config or _arguments([])[0]
    return _config


# condition()'s first truthy value; after timeout a failure telling the last value, or describe().
def wait_until(condition, timeout=5.0, interval=0.05, what="the condition", describe=None):
    deadline = time.monotonic() + timeout
    while not (last := condition()):
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {what}; last seen: {describe() if describe else last!r}")
        time.sleep(interval)
    return last


# For what must not happen: condition() stays truthy for the whole duration.
def holds_for(condition, duration, interval=0.1, what="the condition"):
    deadline = time.monotonic() + duration
    while value := condition():
        if time.monotonic() >= deadline:
            return value
        time.sleep(interval)
    raise AssertionError(f"{what} stopped holding; value: {value!r}")


@dataclasses.dataclass(frozen=True)
class Rect:
    left: int
    top: int
    right: int
    bottom: int
    width = property(lambda r: r.right - r.left)
    height = property(lambda r: r.bottom - r.top)
    center = property(lambda r: ((r.left + r.right) // 2, (r.top + r.bottom) // 2))

    def contains(self, o): return self.left <= o.left and self.top <= o.top and o.right <= self.right and o.bottom <= self.bottom

    def sample_points(self, inset=3):  # the centre and the four corners, inset pixels inwards
        return [self.center] + [(x, y) for y in (self.top + inset, self.bottom - 1 - inset) for x in (self.left + inset, self.right - 1 - inset)]


SCREEN = Rect(0, 0, DESKTOP_WIDTH, DESKTOP_HEIGHT)
def colour_close(actual, expected, tolerance=3): return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def empty_folder(folder: Path):
    for item in folder.iterdir():
        shutil.rmtree(item) if item.is_dir() and not item.is_symlink() else item.unlink()


# One window as the probe reports it, in screen coordinates; raw is the probe's answer.
class WindowInfo:
    def __init__(self, raw):
        self.raw, self.hwnd, self.title, self.class_name = raw, raw["hwnd"], raw["title"], raw["class"]
        self.visible, self.topmost, self.children = raw["visible"], raw["topmost"], [WindowInfo(c) for c in raw["children"]]
        self.rect, self.client = (Rect(*(raw[k][s] for s in ("left", "top", "right", "bottom"))) for k in ("rect", "client"))

    def __repr__(self): return f"WindowInfo({self.class_name!r}, rect={self.rect}, visible={self.visible})"

    @property
    def panel(self) -> WindowInfo:
        if len(panels := [c for c in self.children if c.class_name == PANEL_CLASS]) != 1:
            raise AssertionError(f"expected one {PANEL_CLASS} child, found {[c.class_name for c in self.children]}")
        return panels[0]


class ProbeError(RuntimeError): pass  # noqa: E701


# One Xvfb display, one Wine prefix and its wineserver, one probe server.
class Session:
    def __init__(self, cfg): self.cfg, self.env, self._server = cfg, None, None

    # cmake/wine-env.sh's session (display, prefix, a wineserver that stays) or its end. Its output
    # goes to a file: the Wine processes started there must not hold a pipe of ours.
    def _wine_env(self, *args):
        self.cfg.work.mkdir(parents=True, exist_ok=True)
        with open(self.cfg.work / "session.log", "ab") as log:
            subprocess.run(["bash", self.cfg.source / "cmake" / "wine-env.sh", args[0], self.cfg.work, *args[1:]],
                           stdout=log, stderr=log, stdin=subprocess.DEVNULL, timeout=300, check=args[0] == "session")

    def start(self, fresh_prefix=False) -> Session:
        self._wine_env("session", *(["fresh"] if fresh_prefix else []))
        self.env = dict(v.split("=", 1) for v in (self.cfg.work / "session.env").read_text().split("\0") if "=" in v)
        return self

    def stop(self): self._server = self._wine_env("end")  # which ends the probe server too

    # One probe command's answer (ProbeError when there is none in time, or with check one of ok=false),
    # through the session's `lumbra_probe serve`: one line of tab-separated words there, one of JSON back.
    def probe(self, *args, check=True, timeout=30) -> dict:
        if self._server is None or self._server.poll() is not None:
            self._server = subprocess.Popen(["wine", self.cfg.probe, "serve"], env=self.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self._server.stdin.write("\t".join(map(str, args)).encode() + b"\n")
        self._server.stdin.flush()
        deadline, line = time.monotonic() + timeout, b""
        while not line.startswith(b"{"):  # anything else on the way is no answer
            if not select.select([self._server.stdout], [], [], max(0, deadline - time.monotonic()))[0]:
                self._server.kill()
                raise ProbeError(f"probe {args!r} did not answer within {timeout} s")
            line = self._server.stdout.readline() or b'{"ok": false, "error": "the probe ended"}'
        if not (answer := json.loads(line))["ok"] and check:
            raise ProbeError(f"probe {args!r}: {answer['error']}")
        return answer

    def find_window(self, title=TITLE, cls=WINDOW_CLASS) -> WindowInfo | None:
        return WindowInfo(answer["window"]) if (answer := self.probe("find", title, f"--class={cls}"))["found"] else None

    # (whether the window came to the state "visible", "hidden", "gone" or "exists" in time, the window)
    def wait_window(self, state="visible", timeout=10.0, title=TITLE, cls=WINDOW_CLASS):
        deadline = time.monotonic() + timeout
        while not (matched := {"exists": (w := self.find_window(title, cls)), "gone": not w, "visible": w and w.visible,
                               "hidden": w and not w.visible}[state]) and time.monotonic() < deadline:
            time.sleep(0.05)
        return bool(matched), w

    # Values of a registry key: name -> [type ("REG_SZ", "REG_DWORD", ...), data], or None without the key.
    def reg_values_typed(self, key): return a["values"] if (a := self.probe("reg-list", key))["keyExists"] else None
    def reg_get_typed(self, key, name): return next((tuple(v) for n, v in (self.reg_values_typed(key) or {}).items() if n.lower() == name.lower()), None)
    def reg_get(self, key, name): return (self.reg_get_typed(key, name) or (None, None))[1]
    def reg_values(self, key): return None if (v := self.reg_values_typed(key)) is None else {n: data for n, (_, data) in v.items()}
    def reg_set(self, key, name, data, kind="sz"): self.probe("reg-set", key, name, data, f"--type={kind}")
    def reg_delete(self, key, *name): self.probe("reg-delete", key, *name)  # the value, or the whole key
    def stored_geometry(self): return self.reg_values(SETTING_SECTION)

    def store_geometry(self, **values):  # store_geometry(Left="3375", ...): twips as text, as the program stores them
        [self.reg_set(SETTING_SECTION, name, value) for name, value in values.items()]

    def profile_set(self, file, section, key, value): self.probe("profile-set", file, section, key, value)
    def profile_delete(self, file, section, *key): self.probe("profile-delete", file, section, *key)

    # WIN.INI [colors] BackGround as "R G B" (None removes it); announce broadcasts WM_SETTINGCHANGE.
    def set_desktop_colour(self, rgb, announce=False):
        self.probe("profile-set" if rgb else "profile-delete", "WIN.INI", "colors", "BackGround", *([" ".join(map(str, rgb))] if rgb else []))
        if announce:
            self.broadcast_setting_change()

    def broadcast_setting_change(self): self.probe("settingchange")
    def system_desktop_colour(self): return tuple(self.probe("syscolor")["rgb"])

    def reset_state(self):  # what a test may change and the next one must not see
        self.reg_delete(SETTINGS_KEY), self.set_desktop_colour(None)

    def windows_path(self, path) -> str: return "Z:" + str(Path(path).absolute()).replace("/", "\\")  # Z: is the Linux root

    def desktop_folder(self) -> Path:  # the prefix user's real Desktop folder
        return next(d for d in sorted((self.cfg.prefix / "drive_c" / "users").iterdir()) if d.name != "Public") / "Desktop"

    def pixels(self, points): return [tuple(p["rgb"]) for p in self.probe("pixels", *(f"{x},{y}" for x, y in points))["pixels"]]
    def pixel(self, x, y): return self.pixels([(x, y)])[0]

    # Colour statistics of a screen rectangle: min, max and mean [r, g, b], maxChroma (the largest
    # difference of channels in a pixel), the number of distinct colours; with dump its rows, a text
    # of "rrggbb" words each.
    def area(self, rect: Rect, dump=False) -> dict:
        rgb = self.pixels([(x, y) for y in range(rect.top, rect.bottom) for x in range(rect.left, rect.right)])
        rows = [" ".join("%02x%02x%02x" % p for p in rgb[i:i + rect.width]) for i in range(0, len(rgb), rect.width)]
        return {"min": [min(c) for c in zip(*rgb)], "max": [max(c) for c in zip(*rgb)], "rows": rows if dump else None,
                "mean": [sum(c) / len(c) for c in zip(*rgb)], "maxChroma": max(max(p) - min(p) for p in rgb), "distinct": len(set(rgb))}

    def screenshot(self, name) -> Path:  # the virtual desktop as X shows it, as <work>/shots/<name>.png
        path = self.cfg.shots / (re.sub(r"[^A-Za-z0-9_.-]+", "_", name) + ".png")
        subprocess.run(["import", "-window", "root", "-crop", f"{DESKTOP_WIDTH}x{DESKTOP_HEIGHT}+0+0", "+repage", path], env=self.env, check=True)
        return path

    def xdotool(self, *args): subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=60)
    def mouse_move(self, x, y): self.xdotool("mousemove", x, y)  # no --sync: it would wait for a move where there is none
    def click(self, x, y, button=1, repeat=1): self.xdotool("mousemove", x, y, "click", "--repeat", repeat, "--delay", 80, button)

    def wheel(self, x, y, notches):  # notches at x,y: positive away from the user (button 4)
        self.xdotool("mousemove", x, y, *(["click", "--repeat", abs(notches), "--delay", 120, 4 if notches > 0 else 5] if notches else []))

    # Press at start, move in steps (so that the window system's move loop follows), release at end.
    def drag(self, start, end, button=1, steps=12, step_delay=0.03):
        self.xdotool("mousemove", *start, "mousedown", button, "sleep", 0.1)
        for i in range(1, steps + 1):
            self.xdotool("mousemove", *(round(s + (e - s) * i / steps) for s, e in zip(start, end)), "sleep", step_delay)
        self.xdotool("sleep", 0.1, "mouseup", button)


# One LumbraPanel.exe started through plain `wine` (it joins the virtual desktop); its output goes to logs/<log_name>.log.
class Program(subprocess.Popen):
    def __init__(self, session: Session, args, log_name):
        self.session = session
        with open(session.cfg.logs / f"{log_name}.log", "ab") as log:
            super().__init__(["wine", session.cfg.exe, *args], env=session.env, stdout=log, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, cwd=session.cfg.work)

    running = property(lambda p: p.poll() is None)
    exit_code = property(lambda p: p.poll())

    def wait_window(self, state="visible", timeout=15.0) -> WindowInfo | None:
        if not (result := self.session.wait_window(state, timeout))[0]:
            raise AssertionError(f"the window did not become {state} in {timeout} s ({result[1]!r}, exit code {self.exit_code})")
        return result[1]

    def window(self) -> WindowInfo:
        if (window := self.session.find_window()) is None:
            raise AssertionError(f"no {TITLE} window (exit code {self.exit_code})")
        return window

    def wait_exit(self, timeout=10.0): return self.wait(timeout=timeout)

    def close(self, timeout=10.0):  # WM_CLOSE to the window; the exit code
        if self.running and self.session.find_window():
            self.session.probe("close", TITLE, f"--class={WINDOW_CLASS}")
        return self.wait_exit(timeout)

    def stop(self):  # close politely; kill as the last resort
        try:
            self.running and self.close()
        except (subprocess.TimeoutExpired, ProbeError, AssertionError):
            self.kill()
            self.wait(timeout=10)


def session() -> Session:
    global _session
    _session = _session or Session(config()).start()
    return _session


# Each test starts with no stored settings, no desktop colour and no LumbraPanel running; what it
# starts is stopped afterwards, and the screen kept as shots/<Class.test>.png.
class LumbraTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls): cls.session = session()

    def setUp(self):
        self.programs, self._shot_taken = [], False
        if leftover := self.session.find_window():  # a window of an earlier test that did not end
            self.session.probe("close", leftover.hwnd)
            if not self.session.wait_window("gone")[0]:
                raise AssertionError(f"a {TITLE} window from before this test does not go away")
        self.session.reset_state()
        self.addCleanup(lambda: (self._shot_taken or self.shot(), [p.stop() for p in self.programs]))  # the last shot, then the end

    short_id = property(lambda t: ".".join(t.id().split(".")[-2:]))

    def shot(self, label="") -> Path:  # the desktop as shots/<Class.test>[-label].png (the end's is taken anyway)
        self._shot_taken = self._shot_taken or not label
        return self.session.screenshot(self.short_id + (f"-{label}" if label else ""))

    def start_lumbra(self, *args, wait=True) -> Program:
        self.programs.append(program := Program(self.session, args, self.short_id))
        if wait:
            program.wait_window("visible")
        return program

    def settled_window(self, program, timeout=5.0) -> WindowInfo:  # once two reads 150 ms apart agree on its geometry
        seen = [None]

        def stable():
            w = program.window()
            key, seen[0] = seen[0], (w.rect, w.panel.rect, w.visible)
            return w if key == seen[0] else None
        return wait_until(stable, timeout, 0.15, "the window's geometry to settle")

    def wait_geometry_change(self, program, before: Rect, timeout=5.0) -> WindowInfo:
        wait_until(lambda: program.window().rect != before, timeout, what=f"the window to leave {before}", describe=lambda: program.window().rect)
        return self.settled_window(program)

    # The screen points of a part of the frame ("HTRIGHT" at mid-height; "HTCAPTION", "HTMINBUTTON",
    # "HTCLOSE" across the caption's middle row), where the window itself answers WM_NCHITTEST so.
    def frame_points(self, window, part):
        r, c = window.rect, window.client
        points = [(r.right - 1 - d, r.center[1]) for d in range(6)] if part == "HTRIGHT" else [(x, (r.top + c.top) // 2) for x in range(r.left, r.right)]
        if not (found := [(x, y) for x, y in points if self.session.probe("send", window.hwnd, WM_NCHITTEST, 0, (y & 0xFFFF) << 16 | x & 0xFFFF)["result"] == HIT_CODES[part]]):
            self.fail(f"no {part} on the frame of {window}")
        return found

    def frame_point(self, window, part):  # the middle of the part's frame_points
        return (found := self.frame_points(window, part))[len(found) // 2]

    # Moves the pointer away and onto x,y, and waits for the tool tip to read expected (Wine gives
    # a tip window its text as title).
    def hover_tip(self, x, y, expected, timeout=5.0):
        self.session.xdotool("mousemove", DESKTOP_WIDTH // 2, DESKTOP_HEIGHT // 2, "mousemove", x, y)
        tips = lambda: [w["title"] for w in self.session.probe("windows")["windows"] if w["class"] == "tooltips_class32"]  # noqa
        wait_until(lambda: tips() == [expected], timeout, what=f"the tool tip {expected!r}", describe=tips)

    def tray_icons(self) -> Rect | None:  # the box of what is drawn at the right end of the task bar, or None
        strip = Rect(DESKTOP_WIDTH - 200, TASKBAR_TOP + 1, DESKTOP_WIDTH, DESKTOP_HEIGHT)
        rows = [row.split() for row in self.session.area(strip, dump=True)["rows"]]
        background = max(set(words := sum(rows, [])), key=words.count)
        if spots := [(x, y) for y, row in enumerate(rows) for x, w in enumerate(row) if w != background]:
            xs, ys = zip(*spots)
            return Rect(strip.left + min(xs), strip.top + min(ys), strip.left + max(xs) + 1, strip.top + max(ys) + 1)

    def assertNear(self, actual, expected, tolerance=1, msg=""):
        if abs(actual - expected) > tolerance:
            self.fail(f"{msg}: {actual} is not within {tolerance} of {expected}".lstrip(": "))

    def assertRectNear(self, actual, expected, tolerance=1, msg=""):
        if max(abs(a - e) for a, e in zip(dataclasses.astuple(actual), dataclasses.astuple(expected))) > tolerance:
            self.fail(f"{msg}: {actual} is not within {tolerance} px of {expected}".lstrip(": "))


# Runs the calling module's tests in one session, then ends every process of it.
def main():
    global _config
    _config, rest = _arguments(sys.argv[1:])
    if missing := [t for t in ("wine", "wineserver", "Xvfb", "xdotool", "xdpyinfo", "import") if not shutil.which(t)]:
        print(f"end-to-end tests skipped: missing {', '.join(missing)}", file=sys.stderr)
        sys.exit(77)  # CTest's SKIP_RETURN_CODE
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))  # CTest's timeout: still clean up
    try:
        if _config.setup:
            Session(_config).start(fresh_prefix=True)
        if not (_config.setup or _config.cleanup):
            sys.exit(not unittest.main(module="__main__", argv=[sys.argv[0], *rest], exit=False, verbosity=2).result.wasSuccessful())
    finally:
        (_session or Session(_config)).stop()


if __name__ == "__main__":
    main()
