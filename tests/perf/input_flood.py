"""Floods a running viewer with input on an X server of its own: thousands of
key presses and releases, pointer moves and clicks in one burst, none of them
Escape.  The viewer must survive it, draw again once the burst is over (the
orbiting camera makes consecutive pictures differ), and still end with status
0 when Escape comes.

Usage: input_flood.py PROGRAM BURST_TOOL [KEYS [MOVES]]

BURST_TOOL is send_input_burst (XTest).

Prints what it measured and exits 0 when all held, 1 otherwise."""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServer, Viewer, Workdir  # noqa: E402

RESUME_WAIT_S = 30
EXIT_WAIT_S = 20


def flooded(x, viewer, burst_tool, keys, moves):
    """Sends the burst and checks the viewer through it; what failed."""
    name, window = viewer.name, viewer.window
    x.run("xdotool", "windowfocus", "--sync", str(window))
    if not x.wait_new_frame(window, timeout=RESUME_WAIT_S):
        return [f"no new frame within {RESUME_WAIT_S} s before the burst"]

    started = time.monotonic()
    sent = x.run(burst_tool, str(window), str(keys), str(moves), timeout=120)
    if sent.returncode != 0:
        return [f"{burst_tool}: status {sent.returncode}: {sent.stderr}"]
    print(f"{name}: sent {int(sent.stdout)} input events in {time.monotonic() - started:.1f} s", flush=True)
    if viewer.process.poll() is not None:
        return [f"ended during the burst with status {viewer.process.returncode}"]

    ended = time.monotonic()
    if not x.wait_new_frame(window, timeout=RESUME_WAIT_S):
        return [f"frames did not resume within {RESUME_WAIT_S} s"]
    print(f"{name}: frames resumed within {time.monotonic() - ended:.1f} s of the burst")
    if viewer.process.poll() is not None:
        return [f"ended after the burst with status {viewer.process.returncode}"]

    x.press(window, "Escape")
    status, err = viewer.wait_exit(timeout=EXIT_WAIT_S)
    if status != 0:
        return [f"Escape: exit status {status}: {err[-2000:]}"]
    if err:
        return [f"printed on stderr: {err[-2000:]}"]
    print(f"{name}: Escape ended it with status 0")
    return []


def main():
    program, burst_tool = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    keys = int(sys.argv[3]) if len(sys.argv) > 3 else 5000
    moves = int(sys.argv[4]) if len(sys.argv) > 4 else 5000
    name = os.path.basename(program)
    with XServer() as x, Workdir() as workdir:
        viewer = Viewer(program, x, cwd=workdir)
        try:
            viewer.wait_window(timeout=30)
            failures = flooded(x, viewer, burst_tool, keys, moves)
        except AssertionError as failure:
            failures = [str(failure)]
        finally:
            viewer.stop()
    for failure in failures:
        print(f"{name}: FAILED: {failure}")
    print(f"{name}: {0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
