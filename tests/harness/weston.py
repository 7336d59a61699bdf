"""A private Wayland compositor (Debian's Weston) for the end-to-end tests,
beside x11_harness's X server: started with a backend on a socket of its own
in a fresh runtime directory, waited for until it accepts connections, and
stopped again.

    Weston("headless-backend.so")              no outputs of any use, no seat
    Weston("x11-backend.so", xserver=XServer()) one output window on that X
                                                server, with a seat
    Weston(NESTED["mutter"], xserver=XServer()) a desktop's own compositor
                                                nested there likewise
"""

import contextlib
import os
import re
import shlex
import shutil
import signal
import socket
import subprocess
import tempfile

from x11_harness import _die_with_parent, end_process, poll
from window_manager import panel_command

# The class of the X window the X11 backend shows its output in.  NOTE: it
# has no WM_NAME (only _NET_WM_NAME), which `xdotool search --name` reads.
OUTPUT_CLASS = "Weston Compositor"

# The Wayland desktops nested in an X server: the command, given the
# socket's name and the X display (with a bus of its own, as a session gives
# it, and a wallpaper and top panel on its Xwayland, as its shell shows),
# and the name of its output window (which has no class).
NESTED = {
    "mutter": (lambda socket, display: ["dbus-run-session", "--", "mutter", "--wayland", "--nested",
                                        "--wayland-display", socket, "--", *panel_command(32, True)], 'mutter"'),
    "kwin": (lambda socket, display: ["dbus-run-session", "--", "kwin_wayland", "--x11-display", display,
                                      "--socket", socket, "--width", "1024", "--height", "768", "--xwayland",
                                      "--", shlex.join(panel_command(32, True))], "KDE Wayland Compositor"),
}


class Weston:
    """Started at construction; usable as a context manager."""

    def __init__(self, backend, xserver=None, start_timeout=60):
        # Weston insists on a runtime directory of mode 0700 (mkdtemp's).
        self.runtime_dir = tempfile.mkdtemp(prefix="weston-")
        self.socket_name = f"wayland-test-{os.getpid()}"
        self.socket_path = os.path.join(self.runtime_dir, self.socket_name)
        self.xserver = xserver
        env = self._base_env()
        if xserver:
            env["DISPLAY"] = xserver.display
        # No animations: a window is where it will stay, and opaque, once it
        # shows at all.
        config = os.path.join(self.runtime_dir, "weston.ini")
        with open(config, "w") as ini:
            ini.write("[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n"
                      "focus-animation=none\n")
        self._log = open(os.path.join(self.runtime_dir, "weston.log"), "w+")
        self.output_search = ("--class", f"^{OUTPUT_CLASS}$")
        command = ["weston", f"--backend={backend}", f"--socket={self.socket_name}", "--idle-time=0",
                   f"--config={config}"]
        if isinstance(backend, tuple):  # a desktop's own (NESTED), up once its panel is
            command, self.output_search = backend[0](self.socket_name, xserver.display), ("--name", backend[1])
        self.process = subprocess.Popen(
            command, env=env, stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
            preexec_fn=_die_with_parent(signal.SIGTERM), start_new_session=True)
        if not poll(lambda: self.process.poll() is not None or self._accepts() and (
                    self.output_search[0] != "--name" or "panel ready" in self.log()), start_timeout) \
                or self.process.poll() is not None:
            log = self.log()
            self.stop()
            raise RuntimeError(f"weston {backend} did not start within {start_timeout} s:\n{log}")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def _base_env(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "SDL_VIDEODRIVER")}
        env["XDG_RUNTIME_DIR"] = self.runtime_dir
        return env

    def _accepts(self):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
            try:
                probe.connect(self.socket_path)
                return True
            except OSError:
                return False

    def env(self, **extra):
        """The environment of a client of this compositor only: its runtime
        directory and socket, SDL asked for Wayland, no X display; plus
        `extra` (a value of None removes that variable)."""
        env = self._base_env()
        env["WAYLAND_DISPLAY"] = self.socket_name
        env["SDL_VIDEODRIVER"] = "wayland"
        for name, value in extra.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        return env

    def output_window(self, timeout=20):
        """The X window of the X11 backend's output (on `xserver`); None if
        none shows within `timeout` s."""
        def search():
            if self.output_search[0] == "--name":  # NOTE: only _NET_WM_NAME, which xwininfo reads
                children = self.xserver.run("xwininfo", "-root", "-children").stdout
                ids = [line.split()[0] for line in children.splitlines()
                       if re.match(r'\s*0x[0-9a-f]+ "' + self.output_search[1], line)]
                return int(ids[0], 16) if ids else None
            found = self.xserver.run("xdotool", "search", "--onlyvisible", *self.output_search)
            ids = found.stdout.split()
            return int(ids[0]) if ids else None
        return poll(search, timeout)

    def log(self):
        """What the compositor has printed so far."""
        self._log.flush()
        self._log.seek(0)
        return self._log.read()

    def kill(self):
        """Ends the compositor (and a desktop's bus) at once, as a crash
        would, and reaps it."""
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.process.pid, signal.SIGKILL)
        self.process.wait()

    def stop(self):
        """Ends the compositor and removes its runtime directory (always safe)."""
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.process.pid, signal.SIGTERM)
        end_process(self.process)
        self._log.close()
        shutil.rmtree(self.runtime_dir, ignore_errors=True)
