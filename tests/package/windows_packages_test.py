"""The Windows ZIP: tools/make_packages.sh --zip must give one ZIP holding
a readme, the licence and each architecture's three viewers in its own
folder, each executable a stripped GUI program for the right processor with
no profiler in it, the 64-bit terrain32 ending on Escape under Wine without
writing gmon.out; and windows_zip.sh must refuse a profiling tree.  Exits
77 (skipped) when the MinGW-w64 cross compilers are not installed.

Usage: windows_zip_test.py [unittest options]"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "harness"))
from x11_harness import Viewer, XServer  # noqa: E402
PROGRAMS = ("terrain320", "terrain128", "terrain32")
SKIPPED = 77

# IMAGE_FILE_MACHINE_* and the optional header's magic for each folder.
MACHINES = {"win32": (0x014C, 0x10B), "win64": (0x8664, 0x20B)}
GUI_SUBSYSTEM = 2


def pe_header(data):
    """(machine, optional header magic, subsystem, COFF symbol count) of a
    PE image."""
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    symbols, = struct.unpack_from("<I", data, pe + 16)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    subsystem, = struct.unpack_from("<H", data, optional + 68)
    return machine, magic, subsystem, symbols


def reason_to_skip():
    for compiler in ("i686-w64-mingw32-g++", "x86_64-w64-mingw32-g++"):
        if shutil.which(compiler) is None:
            return f"{compiler} is not installed"
    return None


class windows_zip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        made = subprocess.run([os.path.join(SOURCE_DIR, "tools", "make_packages.sh"), "--zip"],
                              capture_output=True, text=True, timeout=1800)
        if made.returncode != 0:
            raise RuntimeError("make_packages.sh failed:\n" + made.stdout + made.stderr)
        cls.path = made.stdout.split()[-1]
        cls.archive = zipfile.ZipFile(cls.path)
        cls.addClassCleanup(cls.archive.close)
        cls.files = [name for name in cls.archive.namelist() if not name.endswith("/")]

    def test_each_architecture_has_the_three_viewers_in_its_own_folder_beside_readme_and_licence(self):
        self.assertTrue(self.path.endswith("-windows.zip"), self.path)
        tops = {name.split("/")[0] for name in self.files}
        self.assertEqual(len(tops), 1, f"one top folder, not {tops}")
        top = tops.pop()
        for folder in MACHINES:
            for program in PROGRAMS:
                self.assertIn(f"{top}/{folder}/bin/{program}.exe", self.files)
        papers = {f"{top}/README.txt", f"{top}/LICENSE.txt"}
        for name in set(self.files) - papers:
            self.assertIn(name.split("/")[1], MACHINES, f"{name} is in neither architecture's folder")
        readme = self.archive.read(f"{top}/README.txt").decode()
        self.assertIn("win64\\bin", readme)
        self.assertNotIn("@", readme, "a placeholder left in the readme")
        with open(os.path.join(SOURCE_DIR, "LICENSE")) as licence:
            self.assertEqual(self.archive.read(f"{top}/LICENSE.txt").decode().replace("\r\n", "\n"),
                             licence.read())

    def test_every_executable_is_a_stripped_unprofiled_gui_program_for_its_folders_processor(self):
        for name in self.files:
            if not name.lower().endswith((".exe", ".dll")):
                continue
            folder = name.split("/")[1]
            data = self.archive.read(name)
            machine, magic, subsystem, symbols = pe_header(data)
            self.assertEqual((machine, magic), MACHINES[folder], f"{name} is not built for {folder}")
            self.assertEqual(symbols, 0, f"{name} is not stripped")
            # A profiled program carries the profiler, which writes gmon.out.
            self.assertNotIn(b"gmon.out", data, f"{name} is a profiling build")
            if name.endswith(".exe"):
                self.assertEqual(subsystem, GUI_SUBSYSTEM, f"{name} is not a GUI program")

    def test_the_64_bit_terrain32_ends_on_escape_under_wine_and_writes_no_gmon_out(self):
        loader = "/usr/lib/wine/wine64"
        if not os.access(loader, os.X_OK):
            self.skipTest("Wine is not installed")
        with tempfile.TemporaryDirectory() as scratch:
            self.archive.extractall(scratch)
            top = self.files[0].split("/")[0]
            folder = os.path.join(scratch, top, "win64", "bin")
            before = sorted(os.listdir(folder))
            emulator = [os.path.join(SOURCE_DIR, "cmake", "wine_emulator.sh"), loader, os.path.join(scratch, "prefix")]
            started = subprocess.run(emulator + ["--start"], capture_output=True, text=True, timeout=900)
            try:
                if started.returncode == SKIPPED:
                    self.skipTest(started.stderr.strip())
                self.assertEqual(started.returncode, 0, started.stderr)
                with XServer() as x:
                    viewer = Viewer(emulator + [os.path.join(folder, "terrain32.exe")], x, cwd=folder)
                    viewer.wait_window(timeout=120)
                    x.press(viewer.window, "Escape")
                    status, err = viewer.wait_exit(timeout=60)
                self.assertEqual(status, 0, err)
                self.assertEqual(sorted(os.listdir(folder)), before, "the program left a file beside itself")
            finally:
                subprocess.run(emulator + ["--stop"], capture_output=True, timeout=60)

    def test_a_profiling_tree_is_refused_in_one_line(self):
        with tempfile.TemporaryDirectory() as tree:
            for name, text in (("CMakeCache.txt", "TERRAIN_PROFILING:BOOL=ON\n"),
                               ("CPackConfig.cmake", ""), ("cmake_install.cmake", "")):
                with open(os.path.join(tree, name), "w") as file:
                    file.write(text)
            refused = subprocess.run([os.path.join(SOURCE_DIR, "tools", "windows_zip.sh"), tree, tree,
                                      os.path.join(tree, "out")], capture_output=True, text=True, timeout=60)
        self.assertEqual(refused.returncode, 1)
        self.assertRegex(refused.stderr, r"\Awindows_zip.sh: refusing .*profiling.*\n\Z")


if __name__ == "__main__":
    why = reason_to_skip()
    if why:
        print("skipped:", why)
        sys.exit(SKIPPED)
    unittest.main(verbosity=2)
