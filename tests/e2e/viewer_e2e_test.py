"""End-to-end: one real viewer, with SDL and Mesa's software OpenGL, on an X
server of the test's own.

Usage: viewer_e2e_test.py PROGRAM CLOSE_TOOL [unittest options]"""

import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_harness import XServer, Workdir, colour_regions, WINDOW_TITLE  # noqa: E402

PROGRAM = None
CLOSE_TOOL = None


def program_name():
    return os.path.basename(PROGRAM)


def start_delay():
    return 1.0 if program_name() == "terrain320" else 0.0


class viewer_on_x11(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.x.stop()

    def start(self, workdir):
        started = time.monotonic()
        process = subprocess.Popen([PROGRAM], cwd=workdir, env=self.x.env(),
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.addCleanup(self.end, process)
        window = self.x.find_window(timeout=15)
        self.assertIsNotNone(window, "no window titled " + WINDOW_TITLE)
        return process, window, time.monotonic() - started

    @staticmethod
    def end(process):
        if process.poll() is None:
            process.kill()
        process.communicate(timeout=10)

    def wait_exit(self, process, timeout=10):
        try:
            _, err = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail(f"{program_name()} did not end within {timeout} s")
        return process.returncode, err.decode()

    def test_window_shows_the_terrain_and_escape_ends_the_run_with_status_0(self):
        with Workdir() as workdir:
            process, window, appeared_after = self.start(workdir)
            if start_delay():
                self.assertGreaterEqual(appeared_after, start_delay(), "the window came before the pause ended")
            self.assertEqual(self.x.window_title(window), WINDOW_TITLE)
            x, y, width, height = self.x.window_geometry(window)
            self.assertEqual((width, height), (634, 455), "client area of a 640x480 outer window")
            self.assertEqual((x, y), (3, 22), "outer frame at the screen's top-left corner")

            time.sleep(1.0)
            width, height, rgb = self.x.picture(window, os.path.join(workdir, "frame.png"))
            regions = colour_regions(rgb)
            pixels = width * height
            self.assertGreater(regions["lit"], pixels // 20, f"the picture is black: {regions}")
            for colour in ("red", "green", "blue"):
                self.assertGreater(regions[colour], pixels // 1000, f"no {colour} region: {regions}")
            self.assertIsNone(process.poll(), "the viewer ended on its own")

            self.x.press(window, "Escape")
            status, err = self.wait_exit(process)
            self.assertEqual(status, 0, err)
            self.assertEqual(err, "")
            self.assertTrue(os.path.exists(os.path.join(workdir, "gmon.out")), "no gmon.out written")

    def test_close_request_ends_the_run_with_status_0(self):
        with Workdir() as workdir:
            process, window, _ = self.start(workdir)
            time.sleep(0.3)
            subprocess.run([CLOSE_TOOL, str(window)], env=self.x.env(), check=True, timeout=10)
            status, err = self.wait_exit(process)
            self.assertEqual(status, 0, err)
            self.assertTrue(os.path.exists(os.path.join(workdir, "gmon.out")))

    def test_other_keys_are_ignored(self):
        with Workdir() as workdir:
            process, window, _ = self.start(workdir)
            for key in ("a", "space", "Return", "F1", "q"):
                self.x.press(window, key)
            time.sleep(0.3)
            self.assertIsNone(process.poll(), "a key other than Escape ended the run")
            self.x.press(window, "Escape")
            self.assertEqual(self.wait_exit(process)[0], 0)

    def test_terminal_interrupt_and_terminate_end_the_run_in_order(self):
        for signal_number in (signal.SIGINT, signal.SIGTERM):
            with Workdir() as workdir:
                process, _, _ = self.start(workdir)
                time.sleep(0.3)
                process.send_signal(signal_number)
                status, err = self.wait_exit(process, timeout=5)
                self.assertEqual(status, 0, f"{signal_number!r}: {err}")
                self.assertTrue(os.path.exists(os.path.join(workdir, "gmon.out")))


class viewer_without_display(unittest.TestCase):
    def test_no_display_prints_one_line_and_exits_1_at_once(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        with Workdir() as workdir:
            started = time.monotonic()
            result = subprocess.run([PROGRAM], cwd=workdir, env=env, capture_output=True, text=True,
                                    timeout=10)
            elapsed = time.monotonic() - started
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, f"{program_name()}: cannot create the window: no display\n")
        self.assertEqual(result.stdout, "")
        self.assertLess(elapsed, start_delay() + 1.0)


if __name__ == "__main__":
    PROGRAM, CLOSE_TOOL = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
