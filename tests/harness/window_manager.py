"""A real window manager (openbox by default, any command) on an XServer of
the harness, for the end-to-end tests of the viewers on a desktop: started,
waited for until it manages windows, stopped; and a panel, a dock window that
keeps the top of the screen to itself as a desktop's top bar does.  Both
usable as context managers.

From the command line (what Panel runs, on DISPLAY):
    window_manager.py panel HEIGHT [--wallpaper]
        maps a dock window reserving the top HEIGHT pixels (and a desktop
        window below all, a session's wallpaper), prints "panel ready" and
        keeps them until the process or its display ends
"""

import contextlib
import ctypes
import os
import shutil
import signal
import subprocess
import sys

from x11_harness import end_process, poll

# The X11 window managers of the desktops people use: the command (with a
# bus of its own, as a session gives it), the programs it needs, and whether
# it shows the desktop's own top panel (it runs without a session; else
# Panel stands in for one).
DESKTOPS = {
    "openbox": (("openbox",), ("openbox",), False),
    "mutter": (("dbus-run-session", "--", "mutter", "--x11", "--replace"), ("mutter",), False),
    "kwin": (("dbus-run-session", "--", "kwin_x11", "--replace"), ("kwin_x11",), False),
    "xfwm4": (("dbus-run-session", "--", "sh", "-c", "xfce4-panel & exec xfwm4 --replace"),
              ("xfwm4", "xfce4-panel"), True),
}


def desktop_missing(name):
    """Why the desktop `name` cannot run here, or None."""
    missing = [program for program in DESKTOPS[name][1] if not shutil.which(program)]
    return f"{' and '.join(missing)} not installed (the Debian 13 root has them)" if missing else None


class WindowManager:
    def __init__(self, xserver, command=("openbox",), timeout=60):
        self.xserver = xserver
        # A session of its own: the manager's helpers end with it.
        self.process = subprocess.Popen(list(command), env=xserver.env(), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        # A manager that follows the desktop conventions names its check
        # window on the root once it manages windows.
        if not poll(self._managing, timeout):
            self.stop()
            raise RuntimeError(f"{command[0]} did not start managing windows within {timeout} s")

    def _managing(self):
        if self.process.poll() is not None:
            raise RuntimeError(f"the window manager ended with status {self.process.returncode}")
        found = self.xserver.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")
        return found.returncode == 0 and "window id #" in found.stdout

    def property(self, window, name):
        """A window's ("-root": the root's) property as xprop prints it ("" if unset)."""
        found = self.xserver.run("xprop", *(("-root",) if window == "-root" else ("-id", str(window))), name)
        _, _, value = found.stdout.partition("=")
        return value.strip()

    def work_area(self):
        """(x, y, width, height) of the area panels leave to windows, or None."""
        value = self.property("-root", "_NET_WORKAREA")
        return tuple(int(n) for n in value.split(",")[:4]) if value else None

    def frame_extents(self, window):
        """(left, right, top, bottom) of the frame around a managed window, or None."""
        value = self.property(window, "_NET_FRAME_EXTENTS")
        return tuple(int(n) for n in value.split(",")) if value else None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        """Ends the window manager and its helpers (always safe to call)."""
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.process.pid, signal.SIGTERM)
        end_process(self.process)


class Panel:
    """A dock window across the top of `xserver`'s screen, `height` pixels
    tall, that reserves them (_NET_WM_STRUT and _NET_WM_STRUT_PARTIAL)."""

    def __init__(self, xserver, height=32):
        self.height = height
        self.process = subprocess.Popen(panel_command(height), env=xserver.env(), stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        if self.process.stdout.readline().strip() != "panel ready":
            self.stop()
            raise RuntimeError("the panel did not start")

    def stop(self):
        """Removes the panel (always safe to call)."""
        end_process(self.process)
        self.process.communicate()


def panel_command(height, wallpaper=False):
    return [sys.executable, "-B", os.path.abspath(__file__), "panel", str(height)] + ["--wallpaper"] * wallpaper


def _show_panel(height, wallpaper):
    """Maps the dock (and wallpaper) through libX11 alone (X ids fit in a C int)."""
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    display = ctypes.c_void_p(x.XOpenDisplay(None) or sys.exit("panel: cannot open the display"))
    width = x.XDisplayWidth(display, x.XDefaultScreen(display))

    def put(name, kind, values):  # 32-bit items are C longs to Xlib
        atom = [x.XInternAtom(display, word.encode(), 0) for word in (name, kind)]
        x.XChangeProperty(display, window, *atom, 32, 0, (ctypes.c_long * len(values))(*values), len(values))

    # left, right, top, bottom, then the start and end of each along its edge
    struts = {"_NET_WM_STRUT": [0, 0, height, 0], "_NET_WM_STRUT_PARTIAL": [0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0]}
    for kind, size, colour, extra in [("DESKTOP", x.XDisplayHeight(display, 0), 0x607080, {})] * wallpaper + [
            ("DOCK", height, 0x404040, struts)]:
        window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), 0, 0, width, size, 0, 0, colour)
        put("_NET_WM_WINDOW_TYPE", "ATOM", [x.XInternAtom(display, f"_NET_WM_WINDOW_TYPE_{kind}".encode(), 0)])
        # At the top-left by its own choice (US and P place and size): KWin places it elsewhere else.
        put("WM_NORMAL_HINTS", "WM_SIZE_HINTS", [15, 0, 0, width, size] + [0] * 13)
        for name, values in extra.items():
            put(name, "CARDINAL", values)
        x.XMapWindow(display, window)
    x.XSync(display, 0)
    print("panel ready", flush=True)
    while x.XNextEvent(display, ctypes.create_string_buffer(256)) == 0:  # until Xlib ends it with the display
        pass


if __name__ == "__main__" and sys.argv[1:2] == ["panel"]:
    _show_panel(int(sys.argv[2]), sys.argv[3:] == ["--wallpaper"])
