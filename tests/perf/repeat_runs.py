"""Starts and ends one viewer RUNS times in a row on an X server of its own,
ending it with Escape and with a close request by turns.  Every run must show
its window, end with status 0 within a bounded wait, print nothing on stderr
(a sanitizer build would report there), and leave no process of the program
behind.

Usage: repeat_runs.py PROGRAM CLOSE_TOOL RUNS

Prints one line per run and exits 0 when all passed, 1 otherwise."""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServer, Viewer, Workdir  # noqa: E402

WINDOW_WAIT_S = 30   # generous: a sanitizer build starts slowly
EXIT_WAIT_S = 20


def session_members(session):
    """Pids of live processes in the session `session` (each run starts the
    viewer in a session of its own, so anything it left behind is there)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        state, session_id = fields[0], int(fields[3])
        if session_id == session and state != "Z":
            found.append(int(entry))
    return found


def one_run(x, program, close_tool, by_escape):
    """Runs the program once, ending it the chosen way; returns (pid, None)
    when all held, else (pid, what failed)."""
    with Workdir() as workdir:
        viewer = Viewer(program, x, cwd=workdir, new_session=True)
        try:
            viewer.wait_window(timeout=WINDOW_WAIT_S)
            if by_escape:
                x.press(viewer.window, "Escape")
            else:
                sent = x.run(close_tool, str(viewer.window))
                if sent.returncode != 0:
                    raise AssertionError(f"{close_tool}: status {sent.returncode}: {sent.stderr}")
            status, err = viewer.wait_exit(timeout=EXIT_WAIT_S)
        except AssertionError as failure:
            return viewer.process.pid, str(failure)
        finally:
            viewer.stop()
    if status != 0:
        return viewer.process.pid, f"exit status {status}: {err[-2000:]}"
    if err:
        return viewer.process.pid, f"printed on stderr: {err[-2000:]}"
    return viewer.process.pid, None


def main():
    program, close_tool, runs = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), int(sys.argv[3])
    name = os.path.basename(program)
    x = XServer()
    failed = 0
    try:
        for number in range(1, runs + 1):
            started = time.monotonic()
            pid, failure = one_run(x, program, close_tool, by_escape=number % 2 == 1)
            left = session_members(pid)
            if left and failure is None:
                failure = f"processes left behind: {left}"
            how = "Escape" if number % 2 == 1 else "close request"
            took = time.monotonic() - started
            if failure:
                failed += 1
                print(f"{name} run {number} ({how}): FAILED after {took:.1f} s: {failure}", flush=True)
            else:
                print(f"{name} run {number} ({how}): ok, {took:.1f} s", flush=True)
    finally:
        x.stop()
    print(f"{name}: {runs - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
