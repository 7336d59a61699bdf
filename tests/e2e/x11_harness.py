"""A private X server and the few things the end-to-end tests do with it:
find a window by title, take a picture of it, press keys, ask it to close.

Every wait is bounded; whatever is started is stopped again."""

import os
import shutil
import subprocess
import tempfile
import time

WINDOW_TITLE = "KOLVAR Map Editor"


class XServer:
    """Xvfb on a free display number, for one test class."""

    def __init__(self, width=1280, height=1024):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def env(self, **extra):
        """The environment a program on this server runs with: no Wayland,
        no explicit SDL video driver."""
        env = {k: v for k, v in os.environ.items()
               if k not in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        env["DISPLAY"] = self.display
        env.update(extra)
        return env

    def run(self, *command, timeout=10):
        return subprocess.run(list(command), env=self.env(), capture_output=True, text=True,
                              timeout=timeout)

    def find_window(self, timeout=10.0, title=WINDOW_TITLE):
        """The id of the first visible window with this title, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$")
            ids = found.stdout.split()
            if ids:
                return int(ids[0])
            time.sleep(0.05)
        return None

    def window_title(self, window):
        return self.run("xdotool", "getwindowname", str(window)).stdout.rstrip("\n")

    def window_geometry(self, window):
        """(x, y, width, height) of the window on the screen."""
        info = self.run("xwininfo", "-id", str(window)).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def picture(self, window, path):
        """Saves a PNG of the window and returns its pixels as (width, height, rgb bytes)."""
        self.run("import", "-window", str(window), path, timeout=20)
        raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                             timeout=20).stdout
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                              text=True, timeout=20).stdout.split()
        return int(size[0]), int(size[1]), raw

    def press(self, window, key):
        """Moves the pointer over the window, gives it the focus and presses a key."""
        x, y, width, height = self.window_geometry(window)
        self.run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
        self.run("xdotool", "windowfocus", "--sync", str(window))
        self.run("xdotool", "key", key)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def colour_regions(rgb):
    """Counts of pixels that are clearly red, green and blue, and of non-black ones."""
    red = green = blue = lit = 0
    for i in range(0, len(rgb) - 2, 3):
        r, g, b = rgb[i], rgb[i + 1], rgb[i + 2]
        if r + g + b > 30:
            lit += 1
        if r > 80 and r > g + 40 and r > b + 40:
            red += 1
        elif g > 80 and g > r + 40 and g > b + 40:
            green += 1
        elif b > 80 and b > r + 40 and b > g + 40:
            blue += 1
    return {"red": red, "green": green, "blue": blue, "lit": lit}


class Workdir:
    """A fresh current directory for one run (the viewers write gmon.out there)."""

    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="viewer-e2e-")
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)
