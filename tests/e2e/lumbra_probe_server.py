# ProbeServer(session) for modules that ask thousands of questions: every probe question of a
# session already goes through its one `lumbra_probe serve`, so this is the session itself.
import contextlib


def ProbeServer(session, timeout=30.0): return contextlib.nullcontext(session)  # noqa: N802
