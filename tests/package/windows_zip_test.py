"""The Windows ZIP: tools/windows_zip.sh run on the two Windows build trees
must give one ZIP holding each architecture's three viewers in its own
folder, each executable a GUI program for the right processor.  Exits 77
(skipped) when the two builds have not been made.

Usage: windows_zip_test.py WIN32_BUILD WIN64_BUILD [unittest options]"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PROGRAMS = ("terrain320", "terrain128", "terrain32")
SKIPPED = 77
BUILDS = {}

# IMAGE_FILE_MACHINE_* and the optional header's magic for each folder.
MACHINES = {"win32": (0x014C, 0x10B), "win64": (0x8664, 0x20B)}
GUI_SUBSYSTEM = 2


def pe_header(data):
    """(machine, optional header magic, subsystem) of a PE image."""
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    subsystem, = struct.unpack_from("<H", data, optional + 68)
    return machine, magic, subsystem


def reason_to_skip():
    for folder, build in BUILDS.items():
        for program in PROGRAMS:
            if not os.path.isfile(os.path.join(build, "programs", program + ".exe")):
                return f"no {folder} build of {program} in {build}"
    return None


class windows_zip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="windows-zip-test-")
        cls.addClassCleanup(shutil.rmtree, cls.scratch, True)
        made = subprocess.run([os.path.join(SOURCE_DIR, "tools", "windows_zip.sh"), BUILDS["win32"],
                               BUILDS["win64"], cls.scratch], capture_output=True, text=True, timeout=300)
        if made.returncode != 0:
            raise RuntimeError("windows_zip.sh failed:\n" + made.stdout + made.stderr)
        cls.path = made.stdout.strip()
        cls.archive = zipfile.ZipFile(cls.path)
        cls.addClassCleanup(cls.archive.close)
        cls.files = [name for name in cls.archive.namelist() if not name.endswith("/")]

    def test_one_zip_beside_nothing_else(self):
        self.assertTrue(self.path.endswith("-windows.zip"), self.path)
        self.assertEqual(sorted(os.listdir(self.scratch)),
                         sorted(["CPackWindowsZip.cmake", os.path.basename(self.path)]))

    def test_each_architecture_has_the_three_viewers_in_its_own_folder(self):
        tops = {name.split("/")[0] for name in self.files}
        self.assertEqual(len(tops), 1, f"one top folder, not {tops}")
        top = tops.pop()
        for folder in MACHINES:
            for program in PROGRAMS:
                self.assertIn(f"{top}/{folder}/bin/{program}.exe", self.files)
        for name in self.files:
            self.assertIn(name.split("/")[1], MACHINES, f"{name} is in neither architecture's folder")

    def test_every_executable_is_a_gui_program_for_its_folders_processor(self):
        for name in self.files:
            if not name.lower().endswith((".exe", ".dll")):
                continue
            folder = name.split("/")[1]
            machine, magic, subsystem = pe_header(self.archive.read(name))
            self.assertEqual((machine, magic), MACHINES[folder], f"{name} is not built for {folder}")
            if name.endswith(".exe"):
                self.assertEqual(subsystem, GUI_SUBSYSTEM, f"{name} is not a GUI program")

    def test_the_executables_are_the_builds_own(self):
        for name in self.files:
            folder, file_name = name.split("/")[1], name.split("/")[-1]
            built = os.path.join(BUILDS[folder], "programs", file_name)
            if file_name.endswith(".exe"):
                with open(built, "rb") as original:
                    self.assertEqual(self.archive.read(name), original.read(), name)


if __name__ == "__main__":
    BUILDS["win32"], BUILDS["win64"] = (os.path.abspath(path) for path in sys.argv[1:3])
    why = reason_to_skip()
    if why:
        print("skipped:", why)
        sys.exit(SKIPPED)
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
