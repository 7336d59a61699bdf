"""End-to-end: one real viewer, with SDL and Mesa's software OpenGL, on an X
server of the test's own: its window and picture, the ways a run ends,
repeated starts and ends, and a flood of input.

Usage: viewer_e2e_test.py PROGRAM CLOSE_TOOL BURST_TOOL [unittest options]
CLOSE_TOOL is send_close_request, BURST_TOOL send_input_burst (XTest).
E2E_LAUNCHER is a command (words separated by spaces) that runs PROGRAM,
such as Wine's for the Windows viewers;
E2E_RUNS sets the number of repeated runs (default 5; the soak runs 50);
E2E_PROFILED=OFF (a build without profiling) expects no gmon.out;
E2E_FAIL_ALLOCATION names the allocator that runs out of memory (built as
fail_allocation); E2E_NO_STD_HANDLES, for a Windows viewer, the launcher that
starts it as Explorer does, with no standard handles; E2E_FRAME_0_ENV (NAME=VALUE
words) the viewer's environment that stops it after its first frame (the
close_after_swaps hook), which must then match the first frame of the native
viewer of E2E_NATIVE_BUILD.  The desktop and
broken-environment cases behave alike for every program and run with one
(terrain32; terrain320 for the height field)."""

import contextlib
import os
import shlex
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServer, XServerTestCase, Viewer, Workdir, poll, colour_regions, terrain_problem, pictures_match  # noqa: E402
from window_manager import DESKTOPS, WindowManager, Panel, desktop_missing  # noqa: E402

PROGRAM = CLOSE_TOOL = BURST_TOOL = None
LAUNCHER = shlex.split(os.environ.get("E2E_LAUNCHER", ""))
WINE = any("wine" in word for word in LAUNCHER)  # keys may need pressing again
RUNS = int(os.environ.get("E2E_RUNS", "5"))
PROFILED = os.environ.get("E2E_PROFILED", "ON").upper() not in ("OFF", "0", "FALSE", "")


def program_name():
    return os.path.splitext(os.path.basename(PROGRAM))[0]


def start_delay():
    """terrain320 pauses a second before it makes its window."""
    return 1.0 if program_name() == "terrain320" else 0.0


def process_state(pid):
    """The state letter of process `pid` (R, S, T for stopped...)."""
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()[0]


def handles(pid, signal_number):
    """True once process `pid` catches `signal_number`."""
    with open(f"/proc/{pid}/status") as status:
        return int(status.read().split("SigCgt:")[1].split()[0], 16) >> (signal_number - 1) & 1


def session_members(session):
    """Pids of live processes in the session `session` (a viewer started in
    a session of its own leaves there whatever it leaves behind)."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[3]) == session and fields[0] != "Z":
            found.append(int(entry))
    return found


class viewer_on_x11(XServerTestCase):
    def start(self, **options):
        """A viewer in a fresh working directory, its window visible."""
        workdir = self.enterContext(Workdir())
        viewer = Viewer(LAUNCHER + [PROGRAM], self.x, cwd=workdir, **options)
        self.addCleanup(viewer.stop)
        viewer.wait_window(timeout=30)
        return viewer, workdir

    def first_frame(self, viewer, path):
        """The picture of `viewer`'s window once it has stopped itself after its first frame."""
        self.assertTrue(poll(lambda: process_state(viewer.process.pid) == "T", timeout=600, interval=0.2),
                        f"{viewer.name}: the first frame was not drawn")
        return self.x.picture(viewer.window, path)

    def assert_ended_in_order(self, viewer, workdir, how):
        status, err = viewer.wait_exit()
        self.assertEqual(status, 0, f"{how}: {err}")
        self.assertEqual(err, "", how)
        if PROFILED:
            self.assertTrue(os.path.exists(os.path.join(workdir, "gmon.out")), f"{how}: no gmon.out written")

    def test_window_shows_the_terrain_and_escape_ends_the_run_with_status_0(self):
        frame_0_env = dict(word.split("=", 1) for word in shlex.split(os.environ.get("E2E_FRAME_0_ENV", "")))
        if frame_0_env:
            # The native viewer's first frame, held on the screen, for the one under test to match.
            native = os.environ["E2E_NATIVE_BUILD"]
            reference = Viewer(os.path.join(native, "programs", program_name()), self.x,
                               cwd=self.enterContext(Workdir()),
                               env={"LD_PRELOAD": os.path.join(native, "tests", "support", "libclose_after_swaps.so"),
                                    "TERRAIN_STOP_AFTER_SWAPS": "1"})
            self.addCleanup(reference.stop)
            reference.wait_window(timeout=30)
            native_frame = self.first_frame(reference, os.path.join(self.enterContext(Workdir()), "native.png"))
            reference.stop()
            self.assertTrue(poll(lambda: self.x.search() is None), "the native viewer's window stayed")
        started = time.monotonic()
        viewer, workdir = self.start(env=frame_0_env)
        # A lower bound only: a loaded machine makes the window later, never earlier.
        self.assertGreaterEqual(time.monotonic() - started, start_delay(), "the window came before the pause ended")
        window = viewer.window  # found by its exact title
        x, y, width, height = self.x.window_geometry(window)
        self.assertEqual((width, height), (634, 455), "client area of a 640x480 outer window")
        self.assertEqual((x, y), (3, 22), "outer frame at the screen's top-left corner")

        picture = os.path.join(workdir, "frame.png")
        if frame_0_env:
            self.assertTrue(pictures_match(self.first_frame(viewer, picture), native_frame),
                            "the first frame differs from the native viewer's")
            viewer.process.send_signal(signal.SIGCONT)
        problems = []

        def terrain_shown():
            w, h, rgb = self.x.picture(window, picture)
            problems[:] = [terrain_problem(colour_regions(rgb), w * h)]
            return problems[0] is None

        self.assertTrue(poll(terrain_shown, timeout=20, interval=0.2), problems)
        self.assertIsNone(viewer.process.poll(), "the viewer ended on its own")
        viewer.press_to_end(window, "Escape", again=WINE)
        self.assert_ended_in_order(viewer, workdir, "Escape")

    def test_runs_ended_by_escape_and_close_request_in_turn_leave_nothing_behind(self):
        for number in range(1, RUNS + 1):
            how = "Escape" if number % 2 else "close request"
            with self.subTest(run=number, ended_by=how):
                viewer, workdir = self.start(new_session=True)
                if how == "Escape":
                    viewer.press_to_end(viewer.window, how, again=WINE)
                else:
                    self.x.run(CLOSE_TOOL, str(viewer.window)).check_returncode()
                self.assert_ended_in_order(viewer, workdir, f"run {number}, {how}")
                # NOTE: under Wine the first window on a display starts Wine's
                # desktop process in the viewer's session; it ends on its own
                # soon after the last window.
                self.assertTrue(poll(lambda: not session_members(viewer.process.pid), timeout=30),
                                f"run {number}: left behind: {session_members(viewer.process.pid)}")

    def test_terminal_interrupt_terminate_and_hangup_end_the_run_in_order(self):
        # terrain320's pause before its window too; a launcher's own process
        # takes signals before the viewer's handlers are in place.
        moments = ("shown", "paused") if start_delay() and not LAUNCHER else ("shown",)
        for moment in moments:
            for signal_number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
                with self.subTest(signal=signal_number.name, window=moment):
                    workdir = self.enterContext(Workdir())
                    viewer = Viewer(LAUNCHER + [PROGRAM], self.x, cwd=workdir)
                    self.addCleanup(viewer.stop)
                    if moment == "shown":
                        viewer.wait_window(timeout=30)
                    else:
                        self.assertTrue(poll(lambda: handles(viewer.process.pid, signal_number)), "no handler")
                        self.assertIsNone(self.x.search(), "the window came before the signal")
                    viewer.process.send_signal(signal_number)
                    self.assert_ended_in_order(viewer, workdir, f"{signal_number.name} ({moment})")

    def test_a_flood_of_other_keys_and_clicks_is_survived_and_escape_still_ends_it(self):
        # Thousands of key taps (never Escape), pointer moves and clicks in one
        # burst; a new frame afterwards means the loop has taken them all.
        viewer, workdir = self.start()
        window = viewer.window
        self.x.run("xdotool", "windowfocus", "--sync", str(window))
        self.assertTrue(self.x.wait_new_frame(window), "no new frame before the burst")
        sent = self.x.run(BURST_TOOL, str(window), "5000", "5000", timeout=120)
        self.assertEqual(sent.returncode, 0, sent.stderr)
        # NOTE: the viewer reads the burst in one go, drawing nothing, in 1.5 to
        # 2.5 s of its own CPU time (SDL 2.26 and SDL3 alike), but a loaded
        # machine stretches that past 30 s: the deadline is ten times that CPU
        # time, with a wall-clock one for a viewer that stops using any.
        spent = viewer.cpu_seconds() + 25
        outcome = poll(lambda: "resumed" if self.x.wait_new_frame(window, timeout=5) else viewer.cpu_seconds() > spent,
                       timeout=240, interval=0)
        self.assertEqual(outcome, "resumed", "frames did not resume after the burst")
        self.assertIsNone(viewer.process.poll(), "a key other than Escape ended the run")
        self.x.press(window, "Escape")
        self.assert_ended_in_order(viewer, workdir, "Escape after the burst")


def only_for(name):
    if program_name() != name:
        raise unittest.SkipTest(f"run with {name} only")


def assert_one_failure_line(test, viewer, what):
    """The viewer ended with status 1 and one line "NAME: WHAT: cause"."""
    status, err = viewer.wait_exit(timeout=60)
    test.assertEqual(status, 1, err)
    test.assertRegex(err, rf"^{viewer.name}: {what}: [^\n]+\n$")
    return err


class viewer_under_a_window_manager(unittest.TestCase):
    """openbox, a reparenting window manager, on the test's own X server; and
    below, as subclasses, the X11 managers of GNOME, KDE and Xfce, each under
    a top panel (the desktop's own, or Panel)."""
    desktop = "openbox"

    @classmethod
    def setUpClass(cls):
        only_for("terrain32")
        if desktop_missing(cls.desktop):
            raise unittest.SkipTest(desktop_missing(cls.desktop))
        cls.x = XServer()
        try:
            cls.wm = WindowManager(cls.x, DESKTOPS[cls.desktop][0])
            if cls.desktop != "openbox" and not DESKTOPS[cls.desktop][2]:
                cls.addClassCleanup(Panel(cls.x, 32).stop)
            if cls.desktop != "openbox" and not poll(lambda: (cls.wm.work_area() or (0, 0))[1] > 0, timeout=60):
                raise AssertionError("no panel keeps the top of the screen")
        except Exception:
            cls.x.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.wm.stop()
        cls.x.stop()

    def frame_place(self, window):
        """Where the frame's outer top-left belongs: the screen's top-left
        under openbox and KWin, which let a window ask for a place under a
        panel, as Windows does; the top-left of the area a panel leaves
        under GNOME's and Xfce's managers."""
        return (0, 0) if self.desktop in ("openbox", "kwin") else self.wm.work_area()[:2]

    def start(self):
        viewer = Viewer(PROGRAM, self.x, cwd=self.enterContext(Workdir()))
        self.addCleanup(viewer.stop)
        window = viewer.wait_window(timeout=30)
        # Framed once the manager has set the frame's extents; placed once the
        # viewer has measured the frame and, under SDL3, moved it (checked by
        # the cases).
        self.assertTrue(poll(lambda: self.wm.frame_extents(window)), "the window was never framed")
        poll(lambda: self.frame(window)[:2] == self.frame_place(window))
        return viewer, window

    def frame(self, window):
        """(x, y, width, height) of the frame's outer rectangle."""
        left, right, top, bottom = self.wm.frame_extents(window)
        x, y, width, height = self.x.window_geometry(window)
        return x - left, y - top, left + width + right, top + height + bottom

    def test_the_frame_sits_at_the_top_left_and_offers_only_move_and_close(self):
        # With a panel across the top too, as on every desktop.
        for height in (32, 0) if self.desktop == "openbox" else (None,):
            with self.subTest(panel=height):
                with contextlib.ExitStack() as panel:
                    if height:
                        panel.callback(Panel(self.x, height).stop)
                        self.assertTrue(poll(lambda: self.wm.work_area()[1] == height), "the panel is not kept clear")
                    viewer, window = self.start()
                    self.assertTrue(self.x.wait_new_frame(window), "no frame drawn")
                    self.assertEqual(self.x.window_geometry(window)[2:], (634, 455), "the client area")
                    # NOTE: KWin keeps the place asked for, or moves the frame
                    # below a panel, by the order its events come in.
                    self.assertIn(self.frame(window)[:2], {self.frame_place(window)} | (
                        {self.wm.work_area()[:2]} if self.desktop == "kwin" else set()), "the frame's outer top-left")
                    if height:
                        viewer.stop()  # the next one is found by the same title
        # Motif hints: functions move (4) and close (32); decorations border,
        # title and menu (2 | 8 | 16), no minimise (32) or maximise (64) box.
        self.assertEqual(self.wm.property(window, "_MOTIF_WM_HINTS"), "0x3, 0x24, 0x1a, 0x0, 0x0")
        actions = self.wm.property(window, "_NET_WM_ALLOWED_ACTIONS")
        for offered in ("_NET_WM_ACTION_MOVE", "_NET_WM_ACTION_CLOSE"):
            self.assertIn(offered, actions)
        for refused in ("_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"):
            self.assertNotIn(refused, actions)

    def test_escape_the_close_button_alt_f4_and_the_desktops_close_request_end_the_run_with_status_0(self):
        for how in ("Escape", "close button", "Alt+F4", "close request"):
            with self.subTest(how):
                viewer, window = self.start()
                if how in ("Escape", "Alt+F4"):
                    self.x.press(window, {"Escape": "Escape", "Alt+F4": "alt+F4"}[how])
                elif how == "close request":  # as a taskbar asks (_NET_CLOSE_WINDOW)
                    self.x.run(CLOSE_TOOL, "--desktop", str(window)).check_returncode()
                else:
                    if self.frame(window)[1] < self.wm.work_area()[1]:  # under the panel: drag it out
                        self.x.run("xdotool", "windowmove", str(window), "0", str(self.wm.work_area()[1] + 40))
                        poll(lambda: self.frame(window)[1] >= self.wm.work_area()[1])
                    x, y, width, _ = self.frame(window)
                    # The close button is the last one on the title bar.
                    self.x.run("xdotool", "mousemove", str(x + width - (18 if self.desktop == "kwin" else 12)), str(y + self.wm.frame_extents(window)[2] // 2),
                               "click", "1").check_returncode()
                status, err = viewer.wait_exit()
                self.assertEqual((status, err), (0, ""), how)

    def test_a_hidden_viewer_rests_draws_again_when_shown_and_a_close_or_signal_still_ends_it(self):
        for hide, show, end in (("windowminimize", "windowactivate", None),
                                ("windowunmap", "windowmap", signal.SIGTERM)):
            with self.subTest(hide):
                viewer, window = self.start()
                try:  # ended with its case: the next one finds its window by the same title
                    visible = viewer.cpu_share()
                    for shown_again in (True, False):
                        self.x.run("xdotool", hide, str(window)).check_returncode()
                        # GNOME minimises no window without a minimise box:
                        # the viewer draws on.
                        if hide == "windowminimize" and not poll(
                                lambda: "HIDDEN" in self.wm.property(window, "_NET_WM_STATE"), timeout=10):
                            self.assertEqual(self.desktop, "mutter", "the window was never minimised")
                            self.assertTrue(self.x.wait_new_frame(window), "no frame drawn while not minimised")
                            break
                        self.assertTrue(poll(lambda: viewer.cpu_share() < visible / 10, timeout=40),
                                        f"{hide}: over a tenth of the {visible:.2f} core it uses visible")
                        if shown_again:
                            self.x.run("xdotool", show, str(window)).check_returncode()
                            self.assertTrue(self.x.wait_new_frame(window), "no new frame once shown again")
                    if end:
                        viewer.process.send_signal(end)
                    else:
                        self.x.run(CLOSE_TOOL, str(window)).check_returncode()
                    self.assertEqual(viewer.wait_exit(), (0, ""))
                finally:
                    viewer.stop()

    def test_losing_the_display_under_the_desktop_prints_one_line_and_exits_1(self):
        if self.desktop == "openbox":
            self.skipTest("viewer_in_a_broken_environment loses a display without a manager")
        with XServer() as doomed, WindowManager(doomed, DESKTOPS[self.desktop][0]):
            viewer = Viewer(PROGRAM, doomed, cwd=self.enterContext(Workdir()))
            self.addCleanup(viewer.stop)
            self.assertTrue(doomed.wait_new_frame(viewer.wait_window(timeout=30)), "no frame drawn")
            doomed.stop()  # the manager still runs
        assert_one_failure_line(self, viewer, "lost the display")


for _desktop in ("mutter", "kwin", "xfwm4"):
    globals()[f"viewer_under_{_desktop}"] = type(f"viewer_under_{_desktop}", (viewer_under_a_window_manager,),
                                                 {"desktop": _desktop})


class viewer_in_a_broken_environment(XServerTestCase):
    def start(self, program, **options):
        viewer = Viewer(program, cwd=self.enterContext(Workdir()), **options)
        self.addCleanup(viewer.stop)
        return viewer

    def test_closed_stdout_and_stderr_change_nothing(self):
        # Closed, not redirected: the display connection would take
        # descriptor 2 and the libraries' messages would go into it.
        only_for("terrain32")
        viewer = self.start(["sh", "-c", 'exec "$0" >&- 2>&-', PROGRAM], xserver=self.x,
                            env={"LIBGL_DEBUG": "verbose", "XDG_CACHE_HOME": "/proc/nonexistent"})
        window = viewer.wait_window(timeout=30)
        self.x.press(window, "Escape")
        self.assertEqual(viewer.wait_exit()[0], 0)

    def test_losing_the_x_server_prints_one_line_and_exits_1(self):
        only_for("terrain32")
        with XServer() as doomed:
            viewer = self.start(PROGRAM, xserver=doomed)
            viewer.wait_window(timeout=30)
        assert_one_failure_line(self, viewer, "lost the display")

    def test_a_display_that_refuses_the_connection_is_named_as_such(self):
        only_for("terrain32")
        workdir = self.enterContext(Workdir())
        cookies = {}
        for name in ("server", "other"):
            cookies[name] = os.path.join(workdir, name + ".auth")
            subprocess.run(["xauth", "-q", "-f", cookies[name], "add", ":0", ".", os.urandom(16).hex()],
                           check=True, timeout=20)
        with XServer(arguments=("-auth", cookies["server"])) as guarded:
            for cookie in (cookies["other"], os.path.join(workdir, "missing.auth")):
                with self.subTest(XAUTHORITY=os.path.basename(cookie)):
                    viewer = self.start(PROGRAM, xserver=guarded, env={"XAUTHORITY": cookie})
                    err = assert_one_failure_line(self, viewer, "cannot create the window")
                    self.assertIn("the display refused the connection", err)

    def test_the_window_opens_on_the_x_screen_named_and_a_missing_screen_is_named(self):
        only_for("terrain32")
        with XServer(arguments=("-screen", "1", "800x600x24")) as screens:
            self.start(PROGRAM, xserver=screens, env={"DISPLAY": screens.display + ".1"})
            self.assertTrue(poll(lambda: screens.search(screen=1), timeout=30), "no window on screen 1")
            viewer = self.start(PROGRAM, xserver=screens, env={"DISPLAY": screens.display + ".7"})
            self.assertIn("no screen 7", assert_one_failure_line(self, viewer, "cannot create the window"))

    def test_an_x_error_while_making_the_gl_context_prints_one_line_and_exits_1(self):
        # Xvfb refuses indirect GLX contexts.
        only_for("terrain32")
        viewer = self.start(PROGRAM, xserver=self.x, env={"LIBGL_ALWAYS_INDIRECT": "1"})
        err = assert_one_failure_line(self, viewer, "cannot create the (window|GL context)")
        self.assertIn("GLX", err)

    def test_a_windows_viewer_without_gl_tells_its_failure_on_stderr_or_else_in_a_box(self):
        only_for("terrain32")
        if "E2E_NO_STD_HANDLES" not in os.environ:
            self.skipTest("a Windows viewer's case")
        # NOTE: an X server without GLX, where Wine's ChoosePixelFormat finds
        # no format; Mesa without its drivers leaves Wine's X11 driver stuck.
        with XServer(arguments=("-extension", "GLX")) as no_glx:
            viewer = self.start(LAUNCHER + [PROGRAM], xserver=no_glx)
            status, err = viewer.wait_exit(timeout=60)
            self.assertEqual((status, err), (1, f"{program_name()}: cannot find a pixel format - the graphics driver offers no "
                                             "suitable OpenGL: install the graphics card maker's driver\r\n"))
            # Started as Explorer starts it, with no stderr: the line waits in a box.
            program = "Z:" + PROGRAM.replace("/", "\\")
            viewer = self.start(LAUNCHER + [os.environ["E2E_NO_STD_HANDLES"], program], xserver=no_glx)
            viewer.press_to_end(viewer.wait_window(timeout=60, title=program_name()), "Return", again=WINE)
            self.assertEqual(viewer.wait_exit(timeout=60), (1, ""))

    def test_no_memory_for_the_height_field_prints_one_line_and_exits_1_before_any_window(self):
        only_for("terrain320")
        # NOTE: AddressSanitizer's allocator must come first; no other can be
        # preloaded before it.
        linked = subprocess.run(["ldd", PROGRAM], capture_output=True, text=True, timeout=60).stdout
        if "libasan" in linked:
            self.skipTest("the sanitizer's allocator cannot be replaced")
        # terrain320's rows are 320 floats each: the 101st fails.
        viewer = self.start(PROGRAM, xserver=self.x,
                            env={"LD_PRELOAD": os.environ["E2E_FAIL_ALLOCATION"],
                                 "FAIL_ALLOCATION_SIZE": "1280", "FAIL_ALLOCATION_AFTER": "100"})
        status, err = viewer.wait_exit(timeout=60)
        self.assertEqual((status, err), (1, "terrain320: cannot build the height field: out of memory - close other "
                                          "programs to free memory, then start it again\n"))
        self.assertIsNone(self.x.search(), "a window was made")


class viewer_without_display(unittest.TestCase):
    def test_no_display_prints_one_line_and_exits_1_promptly(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        with Workdir() as workdir:
            started = time.monotonic()
            result = subprocess.run([PROGRAM], cwd=workdir, env=env, capture_output=True, text=True, timeout=60)
            elapsed = time.monotonic() - started
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, f"{program_name()}: cannot create the window: no display - start it in a "
                                         "desktop session, or set DISPLAY or WAYLAND_DISPLAY\n")
        self.assertEqual(result.stdout, "")
        # Catches a driver's long connection time-out, with room for a loaded machine.
        self.assertLess(elapsed, start_delay() + 5.0)


if __name__ == "__main__":
    PROGRAM, CLOSE_TOOL, BURST_TOOL = (os.path.abspath(path) for path in sys.argv[1:4])
    # A launcher that cannot run here (32-bit Wine on a kernel without
    # 32-bit support) says NOT RUN and exits 77: the test is skipped.
    if LAUNCHER and subprocess.run(LAUNCHER + ["--version"], capture_output=True, timeout=60).returncode == 77:
        print(f"NOT RUN: {LAUNCHER[0]} cannot start {PROGRAM} here")
        sys.exit(77)
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
