"""From the viewer's window appearing to its first frame, on each X11 desktop
installed here (none, openbox, GNOME's mutter, KDE's KWin, Xfce's xfwm4),
each under a top panel as a session has one: the desktop's own where it
shows one, else the harness's dock window.  The target is 1 s on a loaded
2-core machine, whatever the desktop does with the place the window asks for.

The window's appearance is when `xdotool search --onlyvisible` first finds
it (polled every 5 ms); the first frame is when the swap listener
(tests/support/close_after_swaps, TERRAIN_STOP_AFTER_SWAPS=1) has stopped the
viewer right after its first swap returned.  The desktops are in the Debian
13 root:
    tools/debian_root.sh run trixie python3 -B bench/desktop_first_frame.py build-trixie [RUNS]
"""

import contextlib
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "harness"))
from x11_harness import XServer, poll  # noqa: E402
from window_manager import DESKTOPS, Panel, WindowManager, desktop_missing  # noqa: E402


def stopped(pid):
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()[0] == "T"


def measure(build, desktop, runs):
    """The seconds from appearance to first frame of `runs` terrain32 runs."""
    with contextlib.ExitStack() as stack:  # ends the panel, the manager, then the server
        server = XServer()
        stack.callback(server.stop)
        wm = None if desktop == "none" else WindowManager(server, DESKTOPS[desktop][0])
        if wm:
            stack.callback(wm.stop)
        if desktop == "none" or not DESKTOPS[desktop][2]:
            stack.callback(Panel(server, 32).stop)
        if wm and not poll(lambda: (wm.work_area() or (0, 0))[1] > 0, timeout=60):
            raise RuntimeError(f"{desktop}: no panel keeps the top of the screen")
        env = server.env(LD_PRELOAD=os.path.join(build, "tests", "support", "libclose_after_swaps.so"),
                         TERRAIN_STOP_AFTER_SWAPS="1")
        times = []
        for _ in range(runs):
            viewer = subprocess.Popen([os.path.join(build, "programs", "terrain32")], env=env, cwd=build,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                if not poll(server.search, timeout=60, interval=0.005):
                    raise RuntimeError(f"{desktop}: no window")
                shown = time.monotonic()
                if not poll(lambda: stopped(viewer.pid), timeout=60, interval=0.005):
                    raise RuntimeError(f"{desktop}: no first frame within 60 s")
                times.append(time.monotonic() - shown)
            finally:
                viewer.kill()
                viewer.wait()
            poll(lambda: server.search() is None, timeout=20)
        return times


def main():
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    print(f"| desktop (top panel) | window appearing to first frame, s: median | worst | runs ({runs}) |")
    print("|---|---:|---:|---|")
    for desktop in ("none", *DESKTOPS):
        missing = desktop != "none" and desktop_missing(desktop)
        if missing:
            print(f"| {desktop} | not run: {missing} | | |")
            continue
        times = measure(build, desktop, runs)
        print(f"| {desktop} | {statistics.median(times):.2f} | {max(times):.2f} | "
              + ", ".join(f"{t:.2f}" for t in times) + " |", flush=True)


if __name__ == "__main__":
    main()
