"""A real window manager (openbox by default, any command) on an XServer of
the harness, for the end-to-end tests of the viewers on a desktop: started,
waited for until it manages windows, stopped; and a panel, a dock window that
keeps the top of the screen to itself as a desktop's top bar does.  Both
usable as context managers.

From the command line (what Panel runs, on DISPLAY):
    window_manager.py panel HEIGHT
        maps a dock window reserving the top HEIGHT pixels, prints "ready"
        and keeps it until stdin closes or the process is ended
"""

import ctypes
import os
import subprocess
import sys

from x11_harness import end_process, poll


class WindowManager:
    def __init__(self, xserver, command=("openbox",), timeout=20):
        self.xserver = xserver
        self.process = subprocess.Popen(list(command), env=xserver.env(), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
        """The value text of a window's property ("-root": the root's) as
        xprop prints it ("" if unset)."""
        found = self.xserver.run("xprop", *(("-root",) if window == "-root" else ("-id", str(window))), name)
        _, _, value = found.stdout.partition("=")
        return value.strip()

    def work_area(self):
        """(x, y, width, height) of the first desktop's work area, which
        panels leave to windows, or None."""
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
        """Ends the window manager (always safe to call)."""
        end_process(self.process)


class Panel:
    """A dock window across the top of `xserver`'s screen, `height` pixels
    tall, that reserves them (_NET_WM_STRUT and _NET_WM_STRUT_PARTIAL)."""

    def __init__(self, xserver, height=32, timeout=20):
        self.height = height
        self.process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "panel", str(height)],
                                        env=xserver.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        if self.process.stdout.readline().strip() != "ready":
            self.stop()
            raise RuntimeError("the panel did not start")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        """Removes the panel (always safe to call)."""
        end_process(self.process)
        self.process.stdin.close()
        self.process.stdout.close()


def _show_panel(height):
    """Maps the dock window through libX11 alone (no Python X library
    needed) and keeps it until stdin closes."""
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("panel: cannot open the display")
    for name, types in (("XDefaultScreen", [ctypes.c_void_p]), ("XFlush", [ctypes.c_void_p]),
                        ("XSync", [ctypes.c_void_p, ctypes.c_int])):
        getattr(x, name).argtypes = types
    x.XRootWindow.restype = x.XCreateSimpleWindow.restype = x.XInternAtom.restype = ctypes.c_ulong
    x.XRootWindow.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
    x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                  ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    screen = x.XDefaultScreen(display)
    width = x.XDisplayWidth(display, screen)
    window = x.XCreateSimpleWindow(display, x.XRootWindow(display, screen), 0, 0, width, height, 0, 0, 0x404040)

    def atom(name):
        return x.XInternAtom(display, name.encode(), 0)

    def put(name, kind, values):  # 32-bit items are C longs to Xlib
        items = (ctypes.c_long * len(values))(*values)
        x.XChangeProperty(display, window, atom(name), atom(kind), 32, 0, items, len(values))

    put("_NET_WM_WINDOW_TYPE", "ATOM", [atom("_NET_WM_WINDOW_TYPE_DOCK")])
    put("_NET_WM_STRUT", "CARDINAL", [0, 0, height, 0])
    # left, right, top, bottom, then the start and end of each along its edge
    put("_NET_WM_STRUT_PARTIAL", "CARDINAL", [0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0])
    x.XMapWindow(display, window)
    x.XSync(display, 0)
    print("ready", flush=True)
    sys.stdin.read()


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "panel":
        _show_panel(int(sys.argv[2]))
    else:
        sys.exit(__doc__)
