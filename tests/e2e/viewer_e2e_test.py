"""End-to-end: one real viewer, with SDL and Mesa's software OpenGL, on an X
server of the test's own.

Usage: viewer_e2e_test.py PROGRAM CLOSE_TOOL [unittest options]"""

import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServer, Viewer, Workdir, poll, colour_regions, terrain_problem, WINDOW_TITLE  # noqa: E402

PROGRAM = None
CLOSE_TOOL = None


def program_name():
    return os.path.basename(PROGRAM)


def start_delay():
    """terrain320 pauses a second before it makes its window."""
    return 1.0 if program_name() == "terrain320" else 0.0


class viewer_on_x11(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.x.stop()

    def start(self):
        """A viewer in a fresh working directory, its window visible."""
        workdir = self.enterContext(Workdir())
        viewer = Viewer(PROGRAM, self.x, cwd=workdir)
        self.addCleanup(viewer.stop)
        viewer.wait_window()
        return viewer, workdir

    def assert_ended_in_order(self, viewer, workdir, how):
        status, err = viewer.wait_exit()
        self.assertEqual(status, 0, f"{how}: {err}")
        self.assertEqual(err, "", how)
        self.assertTrue(os.path.exists(os.path.join(workdir, "gmon.out")), f"{how}: no gmon.out written")

    def test_window_shows_the_terrain_and_escape_ends_the_run_with_status_0(self):
        started = time.monotonic()
        viewer, workdir = self.start()
        # A lower bound only: a loaded machine makes the window later, never earlier.
        self.assertGreaterEqual(time.monotonic() - started, start_delay(), "the window came before the pause ended")
        window = viewer.window
        self.assertEqual(self.x.window_title(window), WINDOW_TITLE)
        x, y, width, height = self.x.window_geometry(window)
        self.assertEqual((width, height), (634, 455), "client area of a 640x480 outer window")
        self.assertEqual((x, y), (3, 22), "outer frame at the screen's top-left corner")

        picture = os.path.join(workdir, "frame.png")

        def terrain_shown():
            w, h, rgb = self.x.picture(window, picture)
            regions = colour_regions(rgb)
            self.last_problem = terrain_problem(regions, w * h)
            return self.last_problem is None

        self.assertTrue(poll(terrain_shown, timeout=20, interval=0.2), self.last_problem)
        self.assertIsNone(viewer.process.poll(), "the viewer ended on its own")
        self.x.press(window, "Escape")
        self.assert_ended_in_order(viewer, workdir, "Escape")

    def test_close_request_ends_the_run_with_status_0(self):
        viewer, workdir = self.start()
        self.x.run(CLOSE_TOOL, str(viewer.window)).check_returncode()
        self.assert_ended_in_order(viewer, workdir, "close request")

    def test_other_keys_are_ignored(self):
        viewer, workdir = self.start()
        self.x.press(viewer.window, "a space Return F1 q")
        # A frame drawn after the keys reached the server means the loop has
        # taken them (it empties the queue before each frame).
        self.assertTrue(self.x.wait_new_frame(viewer.window), "no frame after the keys")
        self.assertIsNone(viewer.process.poll(), "a key other than Escape ended the run")
        self.x.press(viewer.window, "Escape")
        self.assert_ended_in_order(viewer, workdir, "Escape after other keys")

    def test_terminal_interrupt_and_terminate_end_the_run_in_order(self):
        for signal_number in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=signal_number.name):
                viewer, workdir = self.start()
                viewer.process.send_signal(signal_number)
                self.assert_ended_in_order(viewer, workdir, signal_number.name)


class viewer_without_display(unittest.TestCase):
    def test_no_display_prints_one_line_and_exits_1_promptly(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        with Workdir() as workdir:
            started = time.monotonic()
            result = subprocess.run([PROGRAM], cwd=workdir, env=env, capture_output=True, text=True, timeout=60)
            elapsed = time.monotonic() - started
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, f"{program_name()}: cannot create the window: no display\n")
        self.assertEqual(result.stdout, "")
        # Catches a driver's long connection time-out, with room for a loaded machine.
        self.assertLess(elapsed, start_delay() + 5.0)


if __name__ == "__main__":
    PROGRAM, CLOSE_TOOL = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
