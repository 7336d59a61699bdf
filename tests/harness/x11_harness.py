"""The one harness of the end-to-end tests: a private X server, the viewer
run on it, its window found, pictured, pressed and asked to close, and the
one colour count of a picture.

Every wait polls for its condition under a generous deadline (the machines
that run the tests are slow and shared); whatever is started is stopped
again, and an X server outlives neither its owner nor a killed test.

As a module (sys.path.insert(0, <repo>/tests/harness)):
    XServer, Viewer, Workdir, poll, colour_regions, terrain_problem, pictures_match
From the command line (shell scripts, C++ tests run by ctest):
    x11_harness.py xserver [--size WxH] -- CMD ARGS...
        runs CMD with DISPLAY set to a fresh private Xvfb, stopped afterwards;
        exits with CMD's status (128 + N when a signal N ended it)
    x11_harness.py colours FILE.png
        prints "red=N green=N blue=N lit=N"
"""

import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

WINDOW_TITLE = "KOLVAR Map Editor"
PIPE = subprocess.PIPE


def poll(condition, timeout=20, interval=0.05):
    """The first truthy value of condition(), or None once `timeout` seconds
    have passed without one (condition is tried at least once)."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


def end_process(process, timeout=10):
    """Asks a helper process (a server, a window manager) to end, kills it
    when it does not within `timeout` seconds, and reaps it.  Always safe."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def _die_with_parent(signal_number):
    """For Popen's preexec_fn: the child gets `signal_number` when the process
    that started it ends, even by SIGKILL (a ctest time-out)."""
    def arrange():
        pr_set_pdeathsig = 1
        ctypes.CDLL(None, use_errno=True).prctl(pr_set_pdeathsig, signal_number)
    return arrange


class XServer:
    """Xvfb on a display number it picks itself (-displayfd), started at
    construction, with `arguments` added to its command line (e.g. -auth
    FILE); usable as a context manager."""

    def __init__(self, width=1280, height=1024, start_timeout=20, arguments=()):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset", *arguments],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent(signal.SIGTERM))
        os.close(write_end)
        # NOTE: the server writes the number and its newline separately, once
        # it accepts connections: read up to the newline.
        reported = b""
        deadline = time.monotonic() + start_timeout
        try:
            while not reported.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_end], [], [], left)[0]:
                    break
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                reported += chunk
        finally:
            os.close(read_end)
        if not reported.strip().isdigit():
            self.stop()
            raise RuntimeError(f"Xvfb did not start within {start_timeout} s")
        self.display = ":" + reported.decode().strip()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def env(self, **extra):
        """The environment of a program on this server: no Wayland, no
        explicit SDL video driver, DISPLAY set, plus `extra`."""
        env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        env["DISPLAY"] = self.display
        env.update(extra)
        return env

    def run(self, *command, timeout=20):
        """subprocess.run on this display, output captured as text."""
        return subprocess.run(list(command), env=self.env(), capture_output=True, text=True, timeout=timeout)

    def search(self, title=WINDOW_TITLE, screen=0):
        """The id of the first visible window with this title now, or None."""
        try:
            found = self.run("xdotool", "search", "--screen", str(screen), "--onlyvisible", "--name", f"^{title}$")
        except subprocess.TimeoutExpired:
            return None
        # NOTE: GNOME's mutter draws each frame in a window of its helper's
        # own (class mutter-x11-frames) that bears the client's title.
        ids = [i for i in found.stdout.split() if "mutter-x11-frames" not in self.run("xprop", "-id", i, "WM_CLASS").stdout]
        return int(ids[0]) if ids else None

    def find_window(self, timeout=20, title=WINDOW_TITLE):
        """Polls for a visible window with this title; its id, or None."""
        return poll(lambda: self.search(title), timeout)

    def window_title(self, window):
        return self.run("xdotool", "getwindowname", str(window)).stdout.rstrip("\n")

    def window_geometry(self, window):
        """(x, y, width, height) of the client window on the screen."""
        info = self.run("xwininfo", "-id", str(window))
        if info.returncode != 0:
            raise AssertionError(f"no window {window}: {info.stderr.strip()}")
        values = {}
        for line in info.stdout.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def picture(self, window, path):
        """Saves a PNG of the window at `path`; returns (width, height, rgb bytes)."""
        taken = self.run("import", "-window", str(window), path, timeout=60)
        if taken.returncode != 0:
            raise AssertionError(f"cannot picture window {window}: {taken.stderr.strip()}")
        return read_picture(path)

    def wait_new_frame(self, window, timeout=20):
        """True once a picture of the window differs from the one taken on
        entry (the orbiting camera changes every frame); False at the deadline."""
        with tempfile.TemporaryDirectory(prefix="x11-harness-") as scratch:
            path = os.path.join(scratch, "frame.png")

            def taken():  # None while the window cannot be read (a restore still mapping it)
                try:
                    return self.picture(window, path)[2]
                except AssertionError:
                    return None
            first = poll(taken, timeout, interval=0.1)
            return first is not None and bool(poll(lambda: taken() not in (None, first), timeout, interval=0.1))

    def press(self, window, key):
        """Moves the pointer over the window, gives it the focus and presses
        `key` (xdotool's key names; several separated by spaces)."""
        x, y, width, height = self.window_geometry(window)
        self.run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
        self.run("xdotool", "windowfocus", "--sync", str(window))
        pressed = self.run("xdotool", "key", *key.split())
        if pressed.returncode != 0:
            raise AssertionError(f"xdotool key {key}: {pressed.stderr.strip()}")

    def stop(self):
        """Ends the server (always safe to call)."""
        end_process(self.process)


class XServerTestCase(unittest.TestCase):
    """A test class whose cases share one private X server, `cls.x`."""

    @classmethod
    def setUpClass(cls):
        cls.x = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.x.stop()


def read_picture(path):
    """(width, height, rgb bytes) of a picture file."""
    converted = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, timeout=60)
    if converted.returncode != 0:
        raise AssertionError(f"cannot read {path}: {converted.stderr.decode().strip()}")
    # P6, width, height, maximum value, one whitespace byte, then the pixels.
    fields = converted.stdout.split(maxsplit=4)
    width, height = int(fields[1]), int(fields[2])
    return width, height, fields[4][:width * height * 3]


def pictures_match(first, second):
    """True when two pictures (read_picture's) have one size and at most
    0.5% of their pixels differ by more than 8 levels in a channel: the
    golden pictures' tolerance."""
    if first[:2] != second[:2]:
        return False
    a, b = first[2], second[2]
    differing = sum(1 for i in range(0, len(a), 3) if max(abs(a[i + k] - b[i + k]) for k in range(3)) > 8)
    return differing <= 0.005 * first[0] * first[1]


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


def terrain_problem(regions, pixels):
    """None when a picture of `pixels` pixels with these colour_regions shows
    the terrain (a twentieth of it lit, and red, green and blue regions each
    over a thousandth of it), else what is wrong."""
    if regions["lit"] <= pixels // 20:
        return f"the picture is black: {regions}"
    for colour in ("red", "green", "blue"):
        if regions[colour] <= pixels // 1000:
            return f"no {colour} region: {regions}"
    return None


class Workdir:
    """A fresh temporary current directory for one run (the viewers write
    gmon.out there)."""

    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="viewer-e2e-")
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


class Viewer:
    """A viewer started at construction: on `xserver` when given (with `env`
    as extra variables), else with `env` as is (None: this environment).
    `program` is a path, or a list of the path and its arguments."""

    def __init__(self, program, xserver=None, cwd=None, env=None, stdout=PIPE, stderr=PIPE,
                 new_session=False):
        self.command = [program] if isinstance(program, str) else list(program)
        if os.sep in self.command[0]:
            self.command[0] = os.path.abspath(self.command[0])  # cwd must not change what runs
        self.name = os.path.basename(self.command[0])
        self.xserver = xserver
        self.window = None
        self._stderr = None
        environment = xserver.env(**(env or {})) if xserver else env
        self.process = subprocess.Popen(self.command, cwd=cwd, env=environment, stdin=subprocess.DEVNULL,
                                        stdout=stdout, stderr=stderr, start_new_session=new_session)

    def _collect(self, timeout):
        """Waits up to `timeout` s for the end (TimeoutExpired if it does not
        come; a later call loses nothing); the stderr text, kept."""
        if self._stderr is None:
            _, err = self.process.communicate(timeout=timeout)
            self._stderr = err.decode(errors="replace") if isinstance(err, bytes) else (err or "")
        return self._stderr

    def wait_window(self, timeout=20, title=WINDOW_TITLE):
        """The id of the viewer's window once visible; AssertionError (with
        the viewer's stderr) when none appears in time or the viewer ends."""
        if self.xserver is None:
            raise ValueError("wait_window needs the viewer on an XServer")
        found = poll(lambda: "ended" if self.process.poll() is not None else self.xserver.search(title),
                     timeout)
        if found is None or found == "ended":
            why = (f"ended with status {self.process.returncode}" if found == "ended"
                   else f"no window titled {title!r} within {timeout} s")
            self.stop()
            raise AssertionError(f"{self.name}: {why}; stderr: {self._stderr!r}")
        self.window = found
        return found

    def press_to_end(self, window, key, again=False):
        """Presses `key` in `window`, for the viewer to end; with `again`, every
        5 s for a minute while it runs (NOTE: Wine loses a key that comes
        before it has activated the window just focused)."""
        self.xserver.press(window, key)
        for _ in range(12 if again else 0):
            if poll(lambda: self.process.poll() is not None, timeout=5):
                return
            try:
                self.xserver.press(window, key)
            except (AssertionError, subprocess.SubprocessError):
                return  # the window went as the key came

    def wait_exit(self, timeout=20):
        """(exit status, stderr text) once the viewer ends; kills it and
        raises AssertionError when it does not end within `timeout` s."""
        try:
            err = self._collect(timeout)
        except subprocess.TimeoutExpired:
            self.stop()
            raise AssertionError(f"{self.name} did not end within {timeout} s; stderr: {self._stderr!r}") from None
        return self.process.returncode, err

    def cpu_seconds(self):
        """The viewer's user and system time so far, from /proc/PID/stat."""
        with open(f"/proc/{self.process.pid}/stat") as stat:
            return sum(map(int, stat.read().rsplit(")", 1)[1].split()[11:13])) / os.sysconf("SC_CLK_TCK")

    def cpu_share(self, seconds=2.0):
        """The share of one core the viewer uses over the next `seconds` (a measurement: poll on it)."""
        cpu, started = self.cpu_seconds(), time.monotonic()
        time.sleep(seconds)
        return (self.cpu_seconds() - cpu) / (time.monotonic() - started)

    def stop(self):
        """Kills the viewer if it still runs and reaps it (always safe)."""
        if self.process.poll() is None:
            self.process.kill()
        try:
            self._collect(10)
        except subprocess.TimeoutExpired:
            pass


def _run_on_private_server(size, command):
    width, height = (int(n) for n in size.split("x"))
    child = None

    def end(signal_number, _frame):
        raise SystemExit(128 + signal_number)

    signal.signal(signal.SIGTERM, end)
    signal.signal(signal.SIGINT, end)
    try:
        server = XServer(width, height)
    except RuntimeError as problem:
        print(f"x11_harness.py: {problem}", file=sys.stderr)
        return 1
    try:
        child = subprocess.Popen(command, env=server.env(), preexec_fn=_die_with_parent(signal.SIGTERM))
        status = child.wait()
        return 128 - status if status < 0 else status
    finally:
        if child is not None and child.poll() is None:
            child.kill()
            child.wait()
        server.stop()


def main(argv):
    usage = "usage: x11_harness.py xserver [--size WxH] -- CMD ARGS... | x11_harness.py colours FILE.png"
    if len(argv) >= 3 and argv[0] == "xserver":
        size = "1280x1024"
        rest = argv[1:]
        if rest[0] == "--size" and len(rest) >= 2:
            size, rest = rest[1], rest[2:]
        if len(rest) >= 2 and rest[0] == "--":
            return _run_on_private_server(size, rest[1:])
    elif len(argv) == 2 and argv[0] == "colours":
        regions = colour_regions(read_picture(argv[1])[2])
        print(" ".join(f"{k}={v}" for k, v in regions.items()))
        return 0
    print(usage, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
