"""End-to-end: terrain32 under a Wayland compositor of the test's own
(Weston): one without an input seat, and one showing its output on a private
X server.

Usage: wayland_e2e_test.py PROGRAM [unittest options]
E2E_CLOSE_AFTER_SWAPS names the close_after_swaps module, to preload.
Exits 77 (skipped) when Weston is not installed."""

import ctypes
import glob
import os
import re
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServerTestCase, Viewer, Workdir, poll, colour_regions  # noqa: E402
from weston import NESTED, Weston  # noqa: E402

PROGRAM = None


def program_name():
    return os.path.basename(PROGRAM)


def sdl_version():
    """(major, minor, patch) of the SDL2 the viewers load (sdl2-compat's own)."""
    version = (ctypes.c_uint8 * 3)()
    ctypes.CDLL("libSDL2-2.0.so.0").SDL_GetVersion(version)
    return tuple(version)


class viewer_on_seatless_compositor(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.weston = Weston("headless-backend.so")

    @classmethod
    def tearDownClass(cls):
        cls.weston.stop()

    def test_no_input_seat_refused_in_one_line_where_sdl_would_crash_else_runs(self):
        # SDL 2.26.5 crashes starting there, and the viewer refuses in one
        # line; later versions start, and the viewer draws (three frames,
        # then close_after_swaps closes it).
        crashes = sdl_version() <= (2, 26, 5)
        closing = {} if crashes else {"LD_PRELOAD": os.environ["E2E_CLOSE_AFTER_SWAPS"],
                                      "TERRAIN_CLOSE_AFTER_SWAPS": "3"}
        expected = (1, f"{program_name()}: cannot create the window: the display has no input seat\n") \
            if crashes else (0, "")
        # Wayland asked for; and left to SDL's own order with no X display.
        for asked in ("wayland", None):
            with self.subTest(SDL_VIDEODRIVER=asked, sdl=sdl_version()), Workdir() as workdir:
                viewer = Viewer(PROGRAM, cwd=workdir, env=self.weston.env(SDL_VIDEODRIVER=asked, **closing))
                self.addCleanup(viewer.stop)
                self.assertEqual(viewer.wait_exit(timeout=60), expected)


class viewer_on_compositor_over_x11(XServerTestCase):
    """Weston with the libdecor plugin libdecor picks (GTK's where installed);
    below, as subclasses, the cairo plugin alone, and the Wayland compositors
    of GNOME (with each plugin) and KDE (which draws the title bar itself)."""
    desktop = plugin = None

    @classmethod
    def setUpClass(cls):
        program = NESTED[cls.desktop][0]("", "")[2] if cls.desktop else "weston"
        if not shutil.which(program):
            raise unittest.SkipTest(f"{program} is not installed (the Debian 13 root has it)")
        cls.plugins = None
        if cls.plugin:
            found = glob.glob(f"/usr/lib/*/libdecor/plugins-1/libdecor-{cls.plugin}.so")
            if not found:
                raise unittest.SkipTest(f"libdecor's {cls.plugin} plugin is not installed")
            if cls.desktop is None and len(os.listdir(os.path.dirname(found[0]))) == 1:
                raise unittest.SkipTest("the only plugin installed: libdecor picks it for the first class")
            # libdecor loads every plugin in its folder: one alone in a folder
            cls.plugins = tempfile.mkdtemp(prefix="libdecor-")
            shutil.copy(found[0], cls.plugins)  # NOTE: libdecor skips symbolic links
            cls.addClassCleanup(shutil.rmtree, cls.plugins)
        super().setUpClass()

    def start(self):
        """A compositor of the test's own and the viewer on it, once its
        terrain shows in the compositor's output; (viewer, compositor, the
        output's X window, the last picture of it)."""
        weston = Weston(NESTED[self.desktop] if self.desktop else "x11-backend.so", xserver=self.x)
        self.addCleanup(weston.stop)
        output = weston.output_window()
        self.assertIsNotNone(output, f"no compositor output window:\n{weston.log()}")
        # NOTE: a window Weston's X11 backend activates while its own X window
        # lacks the X focus may not keep the keyboard (Escape went nowhere in
        # some runs): give the output window the X focus first.
        self.x.run("xdotool", "windowfocus", "--sync", str(output)).check_returncode()
        workdir = self.enterContext(Workdir())
        viewer = Viewer(PROGRAM, cwd=workdir, env=weston.env(LIBDECOR_PLUGIN_DIR=self.plugins))
        self.addCleanup(viewer.stop)
        path = os.path.join(workdir, "output.png")

        # Only the terrain is red, green or blue on the compositor's desktop.
        def terrain_shown():
            if viewer.process.poll() is not None:
                return "ended"
            picture = self.x.picture(output, path)
            regions = colour_regions(picture[2])
            pixels = picture[0] * picture[1]
            return picture if min(regions["red"], regions["green"], regions["blue"]) > pixels // 1000 else None

        shown = poll(terrain_shown, timeout=30, interval=0.2)
        if shown in (None, "ended"):
            viewer.stop()
            self.fail(f"no terrain on the compositor's output; viewer status {viewer.process.returncode}, "
                      f"stderr {viewer.wait_exit()[1]!r}")
        return viewer, weston, output, shown

    def assert_ended_with(self, viewer, status, err_pattern, how):
        got_status, err = viewer.wait_exit()
        self.assertEqual(got_status, status, f"{how}: {err!r}")
        self.assertRegex(err, err_pattern, how)

    def test_draws_and_escape_ends_the_run_with_status_0(self):
        viewer, _, output, _ = self.start()
        self.x.press(output, "Escape")
        self.assert_ended_with(viewer, 0, r"\A\Z", "Escape")

    def test_close_button_ends_the_run_with_status_0(self):
        viewer, _, output, _ = self.start()
        x, y, _, _ = self.x.window_geometry(output)
        self.assertEqual((x, y), (0, 0), "the output window is not at the screen's origin")
        # NOTE: mutter fades a new window in: its client area is pure black only once that is over.
        path = os.path.join(self.enterContext(Workdir()), "output.png")
        found = poll(lambda: client_area(*self.x.picture(output, path)), timeout=20, interval=0.2)
        self.assertIsNotNone(found, "no 634x455 client area in the compositor's output")
        left, top, right, bottom = found
        # The close button of the title bar (libdecor's, or KWin's own),
        # just above the client area's top-right corner.
        button = (right - 16, top - 18)
        # NOTE: Weston's X11 backend moves its pointer by the X pointer's
        # relative motion only (warps do not move it): push both into the
        # top-left corner, where they meet, then move both to the button, and
        # on by a pixel: libdecor's GTK plugin arms a button on motion over it.
        self.x.run("xdotool", "mousemove_relative", "--", "-4000", "-4000").check_returncode()
        self.x.run("xdotool", "mousemove_relative", str(button[0] - 1), str(button[1])).check_returncode()
        self.x.run("xdotool", "mousemove_relative", "1", "0", "click", "1").check_returncode()
        self.assert_ended_with(viewer, 0, r"\A\Z", "close button")

    def test_compositor_killed_prints_one_line_and_exits_1(self):
        viewer, weston, _, _ = self.start()
        weston.kill()
        self.assert_ended_with(viewer, 1, rf"\A{re.escape(program_name())}: lost the display: [^\n]+\n\Z",
                               "compositor killed")


for _desktop, _plugin in ((None, "cairo"), ("mutter", "gtk"), ("mutter", "cairo"), ("kwin", None)):
    _name = f"viewer_on_{_desktop or 'weston'}_over_x11" + (f"_with_libdecor_{_plugin}" if _plugin else "")
    globals()[_name] = type(_name, (viewer_on_compositor_over_x11,), {"desktop": _desktop, "plugin": _plugin})


def client_area(width, height, rgb):
    """(left, top, right, bottom) of the viewer's client area in a picture of
    the compositor's output: the rows and columns with many pure black pixels
    (the terrain's background; the desktop, title bar and pointer have few);
    None unless that is the viewer's 634x455."""
    rows = [0] * height
    columns = [0] * width
    for offset in range(0, width * height * 3, 3):
        if rgb[offset] == 0 and rgb[offset + 1] == 0 and rgb[offset + 2] == 0:
            pixel = offset // 3
            rows[pixel // width] += 1
            columns[pixel % width] += 1
    black_rows = [row for row, count in enumerate(rows) if count >= 64]
    black_columns = [column for column, count in enumerate(columns) if count >= 64]
    if not black_rows or not black_columns:
        return None
    found = black_columns[0], black_rows[0], black_columns[-1], black_rows[-1]
    return found if (found[2] - found[0] + 1, found[3] - found[1] + 1) == (634, 455) else None


if __name__ == "__main__":
    if shutil.which("weston") is None:
        print("wayland_e2e_test.py: skipped: weston is not installed (tools/install_deps.sh installs it)")
        sys.exit(77)
    PROGRAM = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
