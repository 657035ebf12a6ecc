#!/usr/bin/env python3
"""Shared library of LumbraPanel's end-to-end tests.

The real LumbraPanel.exe runs in a Wine virtual desktop of 1024x768 ("Lumbra") on an Xvfb display
of its own. The tests look at it through lumbra_probe.exe (window state, registry, profile file,
screen pixels, window messages; one JSON object per call) and act on it with xdotool, the way a
user would. X and Windows screen coordinates coincide in the virtual desktop.

A test module ends with

    if __name__ == "__main__":
        lumbra_e2e.main()

and is run as  python3 test_x.py --exe LumbraPanel.exe --probe lumbra_probe.exe --source SRC --work DIR
(CTest passes these; without them the paths of a `win` preset build tree are assumed).
Extra arguments go to unittest (for instance -k wheel, or a TestClass.test_name).

    lumbra_e2e.py --setup ...    prepare a fresh Wine prefix in the work dir (CTest fixture)
    lumbra_e2e.py --cleanup ...  stop whatever a run left behind (CTest fixture)
"""

from __future__ import annotations

import argparse
import atexit
import dataclasses
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

# What the program under test is known by.
TITLE = "LumbraPanel"
WINDOW_CLASS = "LumbraPanelWindow"
PANEL_CLASS = "LumbraPicture"
SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\Lumbra"
SETTING_SECTION = SETTINGS_KEY + r"\Setting"
UPDATE_SECTION = SETTINGS_KEY + r"\UpdateInfo"

DESKTOP_WIDTH, DESKTOP_HEIGHT = 1024, 768
TASKBAR_TOP = 748          # the task bar with the notification area: y 748..767
TWIPS_PER_PIXEL = 15       # 96 DPI
WINDOW_BACKGROUND = (64, 64, 64)

SKIP_EXIT_CODE = 77        # CTest's SKIP_RETURN_CODE for a machine without the tools
REQUIRED_TOOLS = ("wine", "wineserver", "Xvfb", "xdotool", "xdpyinfo", "import", "bash", "flock")


# ---------------------------------------------------------------------------------------------
# Configuration


@dataclasses.dataclass
class Config:
    exe: Path
    probe: Path
    source: Path
    work: Path

    @property
    def prefix(self) -> Path:
        return self.work / "prefix"

    @property
    def display_state(self) -> Path:
        return self.work / "x"

    @property
    def shots(self) -> Path:
        return self.work / "shots"

    @property
    def logs(self) -> Path:
        return self.work / "logs"

    @property
    def wine_env_script(self) -> Path:
        return self.source / "cmake" / "wine-env.sh"


def _default_config() -> Config:
    source = Path(os.environ.get("LUMBRA_SOURCE", Path(__file__).resolve().parents[2]))
    build = source / "build" / "win"
    return Config(
        exe=Path(os.environ.get("LUMBRA_E2E_EXE", build / "LumbraPanel.exe")),
        probe=Path(os.environ.get("LUMBRA_E2E_PROBE", build / "tests" / "lumbra_probe.exe")),
        source=source,
        work=Path(os.environ.get("LUMBRA_E2E_WORK", build / "e2e")),
    )


_config: Config | None = None


def config() -> Config:
    global _config
    if _config is None:
        _config = _default_config()
    return _config


def _parse_arguments(argv: list[str]) -> tuple[argparse.Namespace, list[str]]:
    defaults = _default_config()
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--exe", type=Path, default=defaults.exe)
    parser.add_argument("--probe", type=Path, default=defaults.probe)
    parser.add_argument("--source", type=Path, default=defaults.source)
    parser.add_argument("--work", type=Path, default=defaults.work)
    parser.add_argument("--setup", action="store_true")
    parser.add_argument("--cleanup", action="store_true")
    args, rest = parser.parse_known_args(argv)
    global _config
    _config = Config(exe=args.exe.absolute(), probe=args.probe.absolute(),
                     source=args.source.absolute(), work=args.work.absolute())
    return args, rest


# ---------------------------------------------------------------------------------------------
# Waiting


def wait_until(condition, timeout: float = 5.0, interval: float = 0.05, what: str = "the condition",
               describe=None):
    """Polls condition() until it returns something truthy and returns that; fails after timeout,
    telling the last value, or what describe() says about the state at that moment."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = condition()
        if last:
            return last
        if time.monotonic() >= deadline:
            state = describe() if describe is not None else last
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {what}; last seen: {state!r}")
        time.sleep(interval)


def holds_for(condition, duration: float, interval: float = 0.1, what: str = "the condition"):
    """For what must *not* happen: condition() must stay truthy for the whole duration."""
    deadline = time.monotonic() + duration
    while True:
        value = condition()
        if not value:
            raise AssertionError(f"{what} stopped holding; value: {value!r}")
        if time.monotonic() >= deadline:
            return value
        time.sleep(interval)


# ---------------------------------------------------------------------------------------------
# Geometry and colours


@dataclasses.dataclass(frozen=True)
class Rect:
    left: int
    top: int
    right: int
    bottom: int

    @classmethod
    def from_json(cls, d: dict) -> "Rect":
        return cls(d["left"], d["top"], d["right"], d["bottom"])

    @property
    def width(self) -> int:
        return self.right - self.left

    @property
    def height(self) -> int:
        return self.bottom - self.top

    @property
    def center(self) -> tuple[int, int]:
        return ((self.left + self.right) // 2, (self.top + self.bottom) // 2)

    def inset(self, d: int) -> "Rect":
        return Rect(self.left + d, self.top + d, self.right - d, self.bottom - d)

    def contains(self, other: "Rect") -> bool:
        return (self.left <= other.left and self.top <= other.top
                and other.right <= self.right and other.bottom <= self.bottom)

    def sample_points(self, inset: int = 3) -> list[tuple[int, int]]:
        """Centre and the four corners, moved inwards by inset pixels."""
        r = self.inset(inset)
        return [self.center, (r.left, r.top), (r.right - 1, r.top), (r.left, r.bottom - 1), (r.right - 1, r.bottom - 1)]


SCREEN = Rect(0, 0, DESKTOP_WIDTH, DESKTOP_HEIGHT)


def colour_close(actual, expected, tolerance: int = 3) -> bool:
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def is_grey(rgb, tolerance: int = 10) -> bool:
    return max(rgb) - min(rgb) <= tolerance


@dataclasses.dataclass
class WindowInfo:
    """One window as lumbra_probe reports it (screen coordinates)."""
    raw: dict

    @property
    def hwnd(self) -> int:
        return self.raw["hwnd"]

    @property
    def rect(self) -> Rect:
        return Rect.from_json(self.raw["rect"])

    @property
    def client(self) -> Rect:
        return Rect.from_json(self.raw["client"])

    @property
    def visible(self) -> bool:
        return self.raw["visible"]

    @property
    def topmost(self) -> bool:
        return self.raw["topmost"]

    @property
    def class_name(self) -> str:
        return self.raw["class"]

    @property
    def title(self) -> str:
        return self.raw["title"]

    @property
    def children(self) -> list["WindowInfo"]:
        return [WindowInfo(c) for c in self.raw.get("children", [])]

    @property
    def panel(self) -> "WindowInfo":
        panels = [c for c in self.children if c.class_name == PANEL_CLASS]
        if len(panels) != 1:
            raise AssertionError(f"expected one {PANEL_CLASS} child, found {[c.class_name for c in self.children]}")
        return panels[0]

    def __repr__(self) -> str:
        return f"WindowInfo({self.class_name!r}, rect={self.rect}, visible={self.visible})"


# ---------------------------------------------------------------------------------------------
# Processes


def _run(cmd, env=None, timeout=60, check=True, capture=True) -> subprocess.CompletedProcess:
    return subprocess.run([str(c) for c in cmd], env=env, timeout=timeout, check=check, text=True,
                          stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                          stderr=subprocess.PIPE if capture else subprocess.DEVNULL)


def _pid_is(pid: int, name: str) -> bool:
    try:
        return name in Path(f"/proc/{pid}/cmdline").read_bytes().decode(errors="replace")
    except OSError:
        return False


def _stop_pid(pid: int, name: str, timeout: float = 5.0) -> None:
    """Ends one process we started, identified by its pid (and checked by name against reuse)."""
    if not _pid_is(pid, name):
        return
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + timeout
    while _pid_is(pid, name) and time.monotonic() < deadline:
        time.sleep(0.05)
    if _pid_is(pid, name):
        os.kill(pid, signal.SIGKILL)


class ProbeError(RuntimeError):
    pass


def empty_folder(folder: Path) -> None:
    """Removes everything inside the folder; links are removed as links."""
    for item in folder.iterdir():
        shutil.rmtree(item) if item.is_dir() and not item.is_symlink() else item.unlink()


class Session:
    """One Xvfb display, one Wine prefix and its wineserver, for one test run."""

    def __init__(self, cfg: Config):
        self.cfg = cfg
        self.env: dict[str, str] | None = None
        self.display: str | None = None
        self._metrics: dict | None = None

    # -- life cycle --------------------------------------------------------------------------

    def start(self, fresh_prefix: bool = False, warm_up: bool = True) -> "Session":
        self.cfg.work.mkdir(parents=True, exist_ok=True)
        self.cfg.shots.mkdir(exist_ok=True)
        self.cfg.logs.mkdir(exist_ok=True)
        self.display = self._ensure_display()
        self._ensure_prefix(fresh_prefix)
        self.env = self._wine_env()
        if warm_up:
            # One persistent wineserver for the whole run (ended in stop()), started with no pipe
            # of ours, so that program starts do not each pay for a new server and a new desktop.
            _run(["wineserver", "-p"], env=self.env, timeout=30, check=False, capture=False)
            self.probe("metrics")  # brings up the virtual desktop
        return self

    def stop(self) -> None:
        """Ends every Wine process of the prefix, then our Xvfb."""
        env = self.env or self._wine_env_or_none()
        if env is not None:
            try:
                _run(["wineserver", "-k"], env=env, timeout=20, check=False)
                _run(["wineserver", "-w"], env=env, timeout=20, check=False)
            except subprocess.TimeoutExpired:
                pass
        self._stop_display()
        self.env = None

    def _ensure_display(self) -> str:
        forced = os.environ.get("LUMBRA_E2E_DISPLAY")
        if forced:
            return forced
        # Never borrow the caller's display: the tests move the pointer and click.
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        # A display remembered from an earlier run counts only while our own Xvfb still serves it;
        # its number may since have gone to somebody else's server.
        state = self.cfg.display_state
        try:
            remembered = (state / "display").read_text().strip()
            pid = int((state / "xvfb.pid").read_text().strip())
            ours = _pid_is(pid, "Xvfb") and remembered in Path(f"/proc/{pid}/cmdline").read_bytes().decode().split("\0")
        except (OSError, ValueError):
            ours = False
        if not ours:
            for name in ("display", "xvfb.pid"):
                (state / name).unlink(missing_ok=True)
        out = _run(["bash", self.cfg.wine_env_script, "display", self.cfg.display_state], env=env, timeout=30)
        return out.stdout.strip().splitlines()[-1]

    def _stop_display(self) -> None:
        if os.environ.get("LUMBRA_E2E_DISPLAY"):
            return
        pid_file = self.cfg.display_state / "xvfb.pid"
        if pid_file.exists():
            try:
                pid = int(pid_file.read_text().strip())
            except ValueError:
                pid = 0
            if pid:
                _stop_pid(pid, "Xvfb")
            pid_file.unlink(missing_ok=True)
            (self.cfg.display_state / "display").unlink(missing_ok=True)

    def _ensure_prefix(self, fresh: bool) -> None:
        prefix = self.cfg.prefix
        if fresh and prefix.exists():
            env = self._wine_env_or_none()
            if env is not None:
                _run(["wineserver", "-k"], env=env, timeout=20, check=False)
                _run(["wineserver", "-w"], env=env, timeout=20, check=False)
            shutil.rmtree(prefix, ignore_errors=True)
            shutil.rmtree(str(prefix) + ".home", ignore_errors=True)
        env = dict(os.environ, DISPLAY=self.display)
        # Output to a file: the Wine processes started here must not hold a pipe of ours.
        with open(self.cfg.logs / "prefix.log", "ab") as log:
            subprocess.run(["bash", str(self.cfg.wine_env_script), "prefix", str(prefix)], env=env, timeout=180,
                           check=True, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def _wine_env_or_none(self) -> dict | None:
        return self._wine_env() if self.cfg.prefix.exists() else None

    def _wine_env(self) -> dict:
        """The prefix's environment exactly as cmake/wine-env.sh sets it up, plus our display."""
        out = _run(["bash", "-c", 'source "$1"; lumbra_env "$2"; env -0', "lumbra-env",
                    self.cfg.wine_env_script, self.cfg.prefix], timeout=30)
        env = dict(item.split("=", 1) for item in out.stdout.split("\0") if "=" in item)
        if self.display:
            env["DISPLAY"] = self.display
        return env

    # -- the probe ---------------------------------------------------------------------------

    def probe(self, *args, check: bool = True, timeout: float = 30) -> dict:
        """Runs one probe subcommand and returns its JSON answer; raises ProbeError on ok=false."""
        # The answer goes through a file, not a pipe: a Wine process may start the desktop process,
        # which inherits the probe's output and would hold a pipe open long after the probe ended.
        with tempfile.TemporaryFile(dir=self.cfg.work) as out:
            proc = subprocess.Popen(["wine", str(self.cfg.probe), *map(str, args)], env=self.env,
                                    stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            try:
                code = proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                raise ProbeError(f"probe {args!r} did not answer within {timeout} s")
            out.seek(0)
            text = out.read().decode("utf-8", errors="replace")
        answer = None
        for line in text.splitlines():
            if line.startswith("{"):
                answer = json.loads(line)
                break
        if answer is None:
            raise ProbeError(f"probe {args!r} gave no answer (exit {code}): {text!r}")
        if check and not answer.get("ok"):
            raise ProbeError(f"probe {args!r}: {answer.get('error')}")
        return answer

    def find_window(self, title: str = TITLE, cls: str = WINDOW_CLASS) -> WindowInfo | None:
        answer = self.probe("find", title, f"--class={cls}")
        return WindowInfo(answer["window"]) if answer["found"] else None

    def wait_window(self, state: str = "visible", timeout: float = 10.0, title: str = TITLE,
                    cls: str = WINDOW_CLASS) -> tuple[bool, WindowInfo | None]:
        answer = self.probe("wait", title, f"--class={cls}", f"--state={state}",
                            f"--timeout={int(timeout * 1000)}", timeout=timeout + 30)
        return answer["matched"], (WindowInfo(answer["window"]) if answer["found"] else None)

    def metrics(self) -> dict:
        if self._metrics is None:
            self._metrics = self.probe("metrics")
        return self._metrics

    # -- registry and profile file -------------------------------------------------------------

    def reg_get(self, key: str, name: str) -> str | int | None:
        answer = self.probe("reg-get", key, name)
        return answer["data"] if answer["exists"] else None

    def reg_get_typed(self, key: str, name: str) -> tuple[str, object] | None:
        answer = self.probe("reg-get", key, name)
        return (answer["type"], answer["data"]) if answer["exists"] else None

    def reg_values(self, key: str) -> dict[str, object] | None:
        """name → data of every value under key, or None when the key does not exist."""
        answer = self.probe("reg-list", key)
        if not answer["keyExists"]:
            return None
        return {name: v["data"] for name, v in answer["values"].items()}

    def reg_set(self, key: str, name: str, data, kind: str = "sz") -> None:
        self.probe("reg-set", key, name, str(data), f"--type={kind}")

    def reg_delete(self, key: str, name: str | None = None) -> None:
        self.probe("reg-delete", key, *([name] if name is not None else []))

    def stored_geometry(self) -> dict[str, str] | None:
        return self.reg_values(SETTING_SECTION)

    def store_geometry(self, **values) -> None:
        """store_geometry(Left="3375", Top=..., Width=..., Height=...): text as the program stores it."""
        for name, value in values.items():
            self.reg_set(SETTING_SECTION, name, value)

    def profile_set(self, file: str, section: str, key: str, value: str) -> None:
        self.probe("profile-set", file, section, key, value)

    def profile_get(self, file: str, section: str, key: str) -> str | None:
        answer = self.probe("profile-get", file, section, key)
        return answer["value"] if answer["exists"] else None

    def profile_delete(self, file: str, section: str, key: str | None = None) -> None:
        self.probe("profile-delete", file, section, *([key] if key is not None else []))

    def set_desktop_colour(self, rgb: tuple[int, int, int] | None, announce: bool = False) -> None:
        """WIN.INI [colors] BackGround as "R G B" (None removes it); announce broadcasts WM_SETTINGCHANGE."""
        if rgb is None:
            self.profile_delete("WIN.INI", "colors", "BackGround")
        else:
            self.profile_set("WIN.INI", "colors", "BackGround", " ".join(str(c) for c in rgb))
        if announce:
            self.broadcast_setting_change()

    def broadcast_setting_change(self) -> None:
        self.probe("settingchange")

    def system_desktop_colour(self) -> tuple[int, int, int]:
        return tuple(self.probe("syscolor")["rgb"])

    def reset_state(self) -> None:
        """What a test may change and the next one must not see: stored settings, desktop colour."""
        self.reg_delete(SETTINGS_KEY)
        self.set_desktop_colour(None)

    def windows_path(self, path: Path) -> str:
        """The Windows form of a Linux path. Every prefix maps drive Z: to the Linux root, so no
        Wine process is needed (winepath, when the session is busy, now and then fails)."""
        absolute = str(Path(path).absolute())
        return "Z:" + absolute.replace("/", "\\")

    def desktop_folder(self) -> Path:
        """The prefix user's real Desktop folder (created when missing)."""
        users = self.cfg.prefix / "drive_c" / "users"
        user = next(d for d in sorted(users.iterdir()) if d.is_dir() and d.name != "Public")
        desk = user / "Desktop"
        desk.mkdir(exist_ok=True)
        return desk

    # -- screen --------------------------------------------------------------------------------

    def pixels(self, points) -> list[tuple[int, int, int]]:
        answer = self.probe("pixels", *(f"{x},{y}" for x, y in points))
        return [tuple(p["rgb"]) for p in answer["pixels"]]

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        return self.pixels([(x, y)])[0]

    def area(self, rect: Rect, dump: bool = False) -> dict:
        args = ["area", rect.left, rect.top, rect.width, rect.height] + (["--dump"] if dump else [])
        return self.probe(*map(str, args))

    def screenshot(self, name: str) -> Path:
        """The virtual desktop as the X server shows it, into <work>/shots/<name>.png."""
        safe = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        path = self.cfg.shots / f"{safe}.png"
        _run(["import", "-window", "root", "-crop", f"{DESKTOP_WIDTH}x{DESKTOP_HEIGHT}+0+0", "+repage", path],
             env=self.env, timeout=30)
        return path

    # -- X input -------------------------------------------------------------------------------

    def xdotool(self, *args) -> None:
        _run(["xdotool", *args], env=self.env, timeout=30)

    def mouse_move(self, x: int, y: int) -> None:
        # No --sync: it waits for a motion event that never comes when the pointer is already there.
        # The X server handles the warp before any later request of ours, so clicks land after it.
        self.xdotool("mousemove", x, y)

    def click(self, x: int, y: int, button: int = 1, repeat: int = 1) -> None:
        self.mouse_move(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def wheel(self, x: int, y: int, notches: int) -> None:
        """Wheel notches with the pointer at x,y: positive = away from the user (button 4)."""
        self.mouse_move(x, y)
        if notches:
            self.xdotool("click", "--repeat", abs(notches), "--delay", 120, 4 if notches > 0 else 5)

    def drag(self, start: tuple[int, int], end: tuple[int, int], button: int = 1, steps: int = 12,
             step_delay: float = 0.03) -> None:
        """Press at start, move in steps (so that the window system's move/size loop follows), release."""
        x0, y0 = start
        x1, y1 = end
        self.mouse_move(x0, y0)
        self.xdotool("mousedown", button)
        time.sleep(0.1)
        for i in range(1, steps + 1):
            self.xdotool("mousemove", round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps))
            time.sleep(step_delay)
        time.sleep(0.1)
        self.xdotool("mouseup", button)


class Program:
    """One LumbraPanel.exe started through plain `wine` (it joins the prefix's virtual desktop)."""

    def __init__(self, session: Session, args: list[str], log_name: str):
        self.session = session
        self.args = list(args)
        self.log_path = session.cfg.logs / f"{log_name}.log"
        self.proc: subprocess.Popen | None = None

    def start(self) -> "Program":
        log = open(self.log_path, "ab")
        log.write(f"--- wine {self.session.cfg.exe} {' '.join(self.args)}\n".encode())
        log.flush()
        self.proc = subprocess.Popen(["wine", str(self.session.cfg.exe), *self.args], env=self.session.env,
                                     cwd=str(self.session.cfg.work), stdout=log, stderr=subprocess.STDOUT,
                                     stdin=subprocess.DEVNULL)
        log.close()
        return self

    @property
    def running(self) -> bool:
        return self.proc is not None and self.proc.poll() is None

    @property
    def exit_code(self) -> int | None:
        return None if self.proc is None else self.proc.poll()

    def wait_window(self, state: str = "visible", timeout: float = 15.0) -> WindowInfo | None:
        matched, window = self.session.wait_window(state, timeout)
        if not matched:
            raise AssertionError(f"the {TITLE} window did not become {state} within {timeout} s "
                                 f"(window: {window!r}, process exit code: {self.exit_code})")
        return window

    def window(self) -> WindowInfo:
        w = self.session.find_window()
        if w is None:
            raise AssertionError(f"no {TITLE} window (process exit code: {self.exit_code})")
        return w

    def wait_exit(self, timeout: float = 10.0) -> int:
        assert self.proc is not None
        return self.proc.wait(timeout=timeout)

    def close(self, timeout: float = 10.0) -> int:
        """WM_CLOSE to the window, then wait for the process to end."""
        if self.running and self.session.find_window() is not None:
            self.session.probe("close", TITLE, f"--class={WINDOW_CLASS}")
        return self.wait_exit(timeout)

    def kill(self) -> None:
        if self.running:
            self.proc.kill()
            self.proc.wait(timeout=10)

    def stop(self) -> None:
        """Close politely; kill as the last resort."""
        if not self.running:
            return
        try:
            self.close(timeout=10)
        except (subprocess.TimeoutExpired, ProbeError, AssertionError):
            self.kill()


# ---------------------------------------------------------------------------------------------
# The session of this process and the test base class

_session: Session | None = None


def session() -> Session:
    global _session
    if _session is None:
        _session = Session(config()).start()
        atexit.register(_stop_session)
    return _session


def _stop_session() -> None:
    global _session
    if _session is not None:
        _session.stop()
        _session = None


class LumbraTestCase(unittest.TestCase):
    """Each test starts from no stored settings and no desktop colour, with no LumbraPanel running;
    whatever it starts is stopped afterwards, and the screen is saved as shots/<test>.png."""

    session: Session

    @classmethod
    def setUpClass(cls) -> None:
        cls.session = session()

    def setUp(self) -> None:
        self.programs: list[Program] = []
        self._shot_taken = False
        leftover = self.session.find_window()
        if leftover is not None:
            # A window of an earlier test that did not end: close it before anything else.
            self.session.probe("close", str(leftover.hwnd))
            matched, _ = self.session.wait_window("gone", timeout=10)
            if not matched:
                raise AssertionError(f"a {TITLE} window from before this test does not go away")
        self.session.reset_state()
        self.addCleanup(self._finish)

    @property
    def short_id(self) -> str:
        cls, method = self.id().split(".")[-2:]
        return f"{cls}.{method}"

    def _finish(self) -> None:
        if not self._shot_taken:
            self.shot()
        for p in self.programs:
            p.stop()

    def shot(self, label: str = "") -> Path:
        """Saves the desktop as shots/<Class.test>[-label].png (the final one is taken automatically)."""
        if not label:
            self._shot_taken = True
        return self.session.screenshot(self.short_id + (f"-{label}" if label else ""))

    def start_lumbra(self, *args: str, wait: bool = True) -> Program:
        program = Program(self.session, list(args), self.short_id).start()
        self.programs.append(program)
        if wait:
            program.wait_window("visible")
        return program

    # -- looking at the program -----------------------------------------------------------------

    def settled_window(self, program: Program, timeout: float = 5.0) -> WindowInfo:
        """The window once its geometry has stopped changing (two reads 150 ms apart agree)."""
        previous = [None]

        def stable():
            w = program.window()
            key = (w.rect, w.panel.rect, w.visible)
            same = key == previous[0]
            previous[0] = key
            return w if same else None

        return wait_until(stable, timeout=timeout, interval=0.15, what="the window's geometry to settle")

    def wait_geometry_change(self, program: Program, before: Rect, timeout: float = 5.0) -> WindowInfo:
        wait_until(lambda: program.window().rect != before, timeout=timeout,
                   what=f"the window to leave {before}", describe=lambda: program.window().rect)
        return self.settled_window(program)

    def frame_point(self, window: WindowInfo, part: str) -> tuple[int, int]:
        """A screen point on a part of the window's frame ("HTRIGHT", "HTBOTTOM", "HTBOTTOMRIGHT",
        "HTCAPTION", "HTCLOSE"), found by asking the window itself (WM_NCHITTEST)."""
        r, c = window.rect, window.client
        caption_y = (r.top + c.top) // 2
        candidates = {
            "HTRIGHT": [(r.right - 1 - d, r.center[1]) for d in range(6)],
            "HTBOTTOM": [(r.center[0], r.bottom - 1 - d) for d in range(6)],
            "HTBOTTOMRIGHT": [(r.right - 1 - d, r.bottom - 1 - d) for d in range(6)],
            "HTCAPTION": [(r.left + r.width // 3, r.top + d) for d in range(2, max(3, c.top - r.top))],
            "HTCLOSE": [(r.right - 1 - d, caption_y) for d in range(60)],
        }[part]
        hits = self.session.probe("hittest", str(window.hwnd), *(f"{x},{y}" for x, y in candidates))["hits"]
        found = [(h["x"], h["y"]) for h in hits if h["name"] == part]
        if not found:
            self.fail(f"no {part} on the frame of {window}: {[(h['x'], h['y'], h['name']) for h in hits]}")
        if part == "HTCLOSE":  # the middle of the button
            xs = [x for x, _ in found]
            return ((min(xs) + max(xs)) // 2, caption_y)
        return found[0]

    def tooltips(self) -> list[str]:
        """Texts of the tool tips on screen (Wine gives a tip window its text as title)."""
        return [w["title"] for w in self.session.probe("windows")["windows"] if w["class"] == "tooltips_class32"]

    def hover_tip(self, x: int, y: int, expected: str, timeout: float = 5.0) -> None:
        """Moves the pointer away and back onto x,y and waits for the tool tip to read expected
        (a tip still showing from before may take a moment to change)."""
        self.session.mouse_move(DESKTOP_WIDTH // 2, DESKTOP_HEIGHT // 2)
        self.session.mouse_move(x, y)
        wait_until(lambda: self.tooltips() == [expected], timeout=timeout,
                   what=f"the tool tip {expected!r} at {x},{y}")

    def tray_icons(self) -> Rect | None:
        """Bounding box of whatever is drawn in the right end of the task bar (the notification
        area's icons), or None when it is empty."""
        strip = Rect(DESKTOP_WIDTH - 200, TASKBAR_TOP + 1, DESKTOP_WIDTH, DESKTOP_HEIGHT)
        rows = [row.split() for row in self.session.area(strip, dump=True)["rows"]]
        counts: dict[str, int] = {}
        for row in rows:
            for px in row:
                counts[px] = counts.get(px, 0) + 1
        background = max(counts, key=counts.get)
        xs = [x for row in rows for x, px in enumerate(row) if px != background]
        ys = [y for y, row in enumerate(rows) for px in row if px != background]
        if not xs:
            return None
        return Rect(strip.left + min(xs), strip.top + min(ys), strip.left + max(xs) + 1, strip.top + max(ys) + 1)

    # -- assertions ----------------------------------------------------------------------------

    def assertNear(self, actual: float, expected: float, tolerance: float = 1, msg: str = "") -> None:
        if abs(actual - expected) > tolerance:
            self.fail(f"{msg}: {actual} is not within {tolerance} of {expected}".lstrip(": "))

    def assertColour(self, actual, expected, tolerance: int = 3, msg: str = "") -> None:
        if not colour_close(actual, expected, tolerance):
            self.fail(f"{msg}: colour {tuple(actual)} is not within {tolerance} of {tuple(expected)}".lstrip(": "))

    def assertRectNear(self, actual: Rect, expected: Rect, tolerance: int = 1, msg: str = "") -> None:
        diffs = [abs(a - e) for a, e in zip(dataclasses.astuple(actual), dataclasses.astuple(expected))]
        if max(diffs) > tolerance:
            self.fail(f"{msg}: {actual} is not within {tolerance} px of {expected}".lstrip(": "))


# ---------------------------------------------------------------------------------------------
# Entry points


def _missing_tools() -> list[str]:
    return [t for t in REQUIRED_TOOLS if shutil.which(t) is None]


def main() -> None:
    """Runs the unittest tests of the calling module in one session, then ends every process."""
    args, rest = _parse_arguments(sys.argv[1:])
    cfg = config()
    missing = _missing_tools()
    if missing:
        print(f"end-to-end tests skipped: missing {', '.join(missing)}", file=sys.stderr)
        sys.exit(SKIP_EXIT_CODE)

    # CTest ends a test that overruns with SIGTERM/SIGKILL; on SIGTERM still clean up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    if args.cleanup:
        Session(cfg).stop()
        return
    if args.setup:
        s = Session(cfg)
        try:
            s.start(fresh_prefix=True, warm_up=False)
        finally:
            s.stop()
        return

    for what, path in (("LumbraPanel.exe", cfg.exe), ("lumbra_probe.exe", cfg.probe)):
        if not path.is_file():
            print(f"{what} not found at {path}", file=sys.stderr)
            sys.exit(1)
    code = 1
    try:
        program = unittest.main(module="__main__", argv=[sys.argv[0], *rest], exit=False, verbosity=2)
        code = 0 if program.result.wasSuccessful() else 1
    finally:
        _stop_session()
    sys.exit(code)


if __name__ == "__main__":
    main()
