"""Starts and ends one viewer RUNS times in a row on an X server of its own,
ending it with Escape and with a close request by turns.  Every run must show
its window, end with status 0 within a bounded wait, print nothing on stderr
(a sanitizer build would report there), and leave no process of the program
behind.

Usage: repeat_runs.py PROGRAM CLOSE_TOOL RUNS

Prints one line per run and exits 0 when all passed, 1 otherwise."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from x11_harness import XServer, Workdir  # noqa: E402

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


def one_run(x, program, close_tool, number):
    """Runs the program once; returns (pid, None) when it passed, else
    (pid, what failed)."""
    by_escape = number % 2 == 1
    with Workdir() as workdir:
        process = subprocess.Popen([program], cwd=workdir, env=x.env(), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, start_new_session=True)
        try:
            return process.pid, one_run_checks(x, process, close_tool, window_wait_s=WINDOW_WAIT_S,
                                               by_escape=by_escape)
        finally:
            if process.poll() is None:
                process.kill()
                process.communicate(timeout=10)


def one_run_checks(x, process, close_tool, window_wait_s, by_escape):
    """Ends a started run the chosen way; None when all held, else what failed."""
    window = x.find_window(timeout=window_wait_s)
    if window is None:
        return "no window appeared"
    time.sleep(0.2)
    if by_escape:
        x.press(window, "Escape")
    else:
        subprocess.run([close_tool, str(window)], env=x.env(), check=True, timeout=10)
    try:
        _, err = process.communicate(timeout=EXIT_WAIT_S)
    except subprocess.TimeoutExpired:
        return f"did not end within {EXIT_WAIT_S} s of the request"
    if process.returncode != 0:
        return f"exit status {process.returncode}: {err.decode()[-2000:]}"
    if err:
        return f"printed on stderr: {err.decode()[-2000:]}"
    return None


def main():
    program, close_tool, runs = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), int(sys.argv[3])
    name = os.path.basename(program)
    x = XServer()
    failed = 0
    try:
        for number in range(1, runs + 1):
            started = time.monotonic()
            pid, failure = one_run(x, program, close_tool, number)
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
