"""One lumbra_probe.exe kept running (`lumbra_probe serve`) for tests that ask thousands of
questions: a call costs a line through a pipe instead of a Wine process start.

    with ProbeServer(session) as probe:
        probe.call("ping", str(hwnd))            # the same JSON answer as Session.probe

Start it after the session's virtual desktop is up (Session.start does that), so that no Wine
process it starts inherits the pipes.
"""

from __future__ import annotations

import json
import os
import select
import subprocess
import time

from lumbra_e2e import ProbeError, Session


class ProbeServer:
    def __init__(self, session: Session, timeout: float = 30.0):
        self.session = session
        self.timeout = timeout
        self.proc: subprocess.Popen | None = None
        self._pending = b""

    def __enter__(self) -> "ProbeServer":
        self.start()
        return self

    def __exit__(self, *exc) -> None:
        self.stop()

    def start(self) -> None:
        self.proc = subprocess.Popen(["wine", str(self.session.cfg.probe), "serve"], env=self.session.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def stop(self) -> None:
        if self.proc is None:
            return
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.close()
            self.proc.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait(timeout=10)
        self.proc.stdout.close()
        self.proc = None

    def call(self, *args, check: bool = True, timeout: float | None = None) -> dict:
        """One subcommand; its JSON answer. Arguments must not hold tabs or line breaks."""
        if self.proc is None or self.proc.poll() is not None:
            raise ProbeError("the probe server is not running")
        line = "\t".join(str(a) for a in args)
        self.proc.stdin.write(line.encode("utf-8") + b"\n")
        self.proc.stdin.flush()
        deadline = time.monotonic() + (timeout or self.timeout)
        text = self._read_line(deadline, args)
        while not text.startswith("{"):  # anything else on the way is no answer
            text = self._read_line(deadline, args)
        answer = json.loads(text)
        if check and not answer.get("ok"):
            raise ProbeError(f"probe {args!r}: {answer.get('error')}")
        return answer

    def _read_line(self, deadline: float, args) -> str:
        fd = self.proc.stdout.fileno()
        while b"\n" not in self._pending:
            left = deadline - time.monotonic()
            if left <= 0:
                raise ProbeError(f"probe {args!r} did not answer in time")
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise ProbeError(f"the probe server ended while answering {args!r}")
                self._pending += chunk
        line, _, self._pending = self._pending.partition(b"\n")
        return line.decode("utf-8", errors="replace")
