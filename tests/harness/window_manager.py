"""A real window manager (openbox) on an XServer of the harness, for the
end-to-end tests of the viewers on a desktop: started, waited for until it
manages windows, stopped.  Usable as a context manager."""

import subprocess

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
        """The value text of a window property as xprop prints it ("" if unset)."""
        found = self.xserver.run("xprop", "-id", str(window), name)
        _, _, value = found.stdout.partition("=")
        return value.strip()

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
