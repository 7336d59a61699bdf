"""Floods a running viewer with input on an X server of its own: thousands of
key presses and releases, pointer moves and clicks in one burst, none of them
Escape.  The viewer must survive it, draw again once the burst is over (the
orbiting camera makes consecutive pictures differ), and still end with status
0 when Escape comes.

Usage: input_flood.py PROGRAM BURST_TOOL [KEYS [MOVES]]

BURST_TOOL is send_input_burst (XTest).

Prints what it measured and exits 0 when all held, 1 otherwise."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from x11_harness import XServer, Workdir  # noqa: E402

RESUME_WAIT_S = 30
EXIT_WAIT_S = 20


def pictures_differ(x, window, workdir, tag):
    """True when two pictures of the window taken a moment apart differ."""
    _, _, first = x.picture(window, os.path.join(workdir, f"{tag}-1.png"))
    time.sleep(0.3)
    _, _, second = x.picture(window, os.path.join(workdir, f"{tag}-2.png"))
    return first != second


def flood(x, window, burst_tool, keys, moves):
    """Sends the burst; returns the number of input events sent."""
    sent = subprocess.run([burst_tool, str(window), str(keys), str(moves)], env=x.env(),
                          capture_output=True, text=True, timeout=120, check=True)
    return int(sent.stdout)


def main():
    program, burst_tool = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    keys = int(sys.argv[3]) if len(sys.argv) > 3 else 5000
    moves = int(sys.argv[4]) if len(sys.argv) > 4 else 5000
    name = os.path.basename(program)
    x = XServer()
    failures = []
    try:
        with Workdir() as workdir:
            process = subprocess.Popen([program], cwd=workdir, env=x.env(), stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE)
            try:
                window = x.find_window(timeout=30)
                if window is None:
                    print(f"{name}: no window appeared")
                    return 1
                x.run("xdotool", "windowfocus", "--sync", str(window))
                if not pictures_differ(x, window, workdir, "before"):
                    failures.append("the picture did not change before the burst")

                started = time.monotonic()
                events = flood(x, window, burst_tool, keys, moves)
                sent_in = time.monotonic() - started
                print(f"{name}: sent {events} input events in {sent_in:.1f} s", flush=True)
                if process.poll() is not None:
                    failures.append(f"ended during the burst with status {process.returncode}")
                else:
                    ended = time.monotonic()
                    resumed = False
                    while time.monotonic() - ended < RESUME_WAIT_S:
                        if pictures_differ(x, window, workdir, "after"):
                            resumed = True
                            break
                    if resumed:
                        print(f"{name}: frames resumed within {time.monotonic() - ended:.1f} s of the burst")
                    else:
                        failures.append(f"frames did not resume within {RESUME_WAIT_S} s")
                    if process.poll() is not None:
                        failures.append(f"ended after the burst with status {process.returncode}")

                if process.poll() is None:
                    x.press(window, "Escape")
                    try:
                        _, err = process.communicate(timeout=EXIT_WAIT_S)
                        if process.returncode != 0:
                            failures.append(f"Escape: exit status {process.returncode}: {err.decode()[-2000:]}")
                        elif err:
                            failures.append(f"printed on stderr: {err.decode()[-2000:]}")
                        else:
                            print(f"{name}: Escape ended it with status 0")
                    except subprocess.TimeoutExpired:
                        failures.append(f"Escape did not end it within {EXIT_WAIT_S} s")
            finally:
                if process.poll() is None:
                    process.kill()
                    process.communicate(timeout=10)
    finally:
        x.stop()
    for failure in failures:
        print(f"{name}: FAILED: {failure}")
    print(f"{name}: {0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
