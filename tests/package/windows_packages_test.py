"""The Windows packages: tools/make_packages.sh (the packages test) must give one ZIP
holding a readme, the licence and each architecture's three viewers in its
own folder, and an installer per architecture; each executable a stripped
GUI program for the right processor with no profiler in it, carrying its
icon, version details and manifest and importing only DLLs every Windows
has.  Under Wine the ZIP's 64-bit terrain32 ends on Escape without writing
gmon.out, and the installers install, upgrade, replace each other and
uninstall leaving nothing behind.  windows_packages.sh must refuse a
profiling tree.  Exits 77 (skipped) when the MinGW-w64 cross compilers are
not installed.

Usage: windows_packages_test.py [unittest options]"""

import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import uuid
import zlib
import zipfile

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
# Where tools/make_packages.sh put them: the tests give it a folder in their tree.
PACKAGES = os.environ.get("TERRAIN_PACKAGES_DIR", os.path.join(SOURCE_DIR, "build-packages"))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "harness"))
from x11_harness import Viewer, XServer  # noqa: E402
PROGRAMS = ("terrain320", "terrain128", "terrain32")
SKIPPED = 77
COMPONENT_NAMESPACE = uuid.UUID("72051aca-4b18-4e3c-b347-5bfcc2c613a4")  # tools/windows_packages.sh's

# IMAGE_FILE_MACHINE_* and the optional header's magic for each folder.
MACHINES = {"win32": (0x014C, 0x10B), "win64": (0x8664, 0x20B)}
GUI_SUBSYSTEM = 2
MSI_ARCHITECTURES = {"x86": "win32", "x64": "win64"}
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "glu32.dll", "msvcrt.dll"}
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"


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


def icon_sizes_with_clear_corners(icon):
    """The sizes of an .ico's 32-bit images with transparent corners (of a
    PNG image, its first pixel, which no row filter changes)."""
    sizes = []
    for bits, _, at in (struct.unpack_from("<HII", icon, 12 + 16 * index) for index in range(icon[4])):
        if icon[at + 1:at + 4] == b"PNG":  # 8-bit RGBA: colour type 6
            size, rgba = struct.unpack_from(">I", icon, at + 16)[0], icon[at + 24:at + 26] == b"\x08\x06"
            corners = zlib.decompressobj().decompress(icon[icon.index(b"IDAT", at) + 4:], 5)[4:] if rgba else b"?"
        else:  # BITMAPINFOHEADER, then BGRA rows, the bottom one first
            size, pixels = icon[at + 4], at + 40
            last = 4 * size * size - 1
            corners = bytes(icon[pixels + k] for k in (3, 4 * size - 1, last - 4 * size + 4, last))
        if bits == 32 and not any(corners):
            sizes.append(size)
    return sizes


def reason_to_skip():
    for compiler in ("i686-w64-mingw32-g++", "x86_64-w64-mingw32-g++"):
        if shutil.which(compiler) is None:
            return f"{compiler} is not installed"
    return None


class windows_packages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        paths = glob.glob(os.path.join(PACKAGES, "terrain-viewers-*"))
        cls.path = next(path for path in paths if path.endswith("-windows.zip"))
        cls.version = os.path.basename(cls.path).split("-")[2]
        cls.msis = {arch: next(path for path in paths if path.endswith(f"-{arch}.msi")) for arch in MSI_ARCHITECTURES}
        cls.archive = zipfile.ZipFile(cls.path)
        cls.addClassCleanup(cls.archive.close)
        cls.files = [name for name in cls.archive.namelist() if not name.endswith("/")]
        # Every package unpacked: (architecture's folder, path) of each program.
        cls.scratch = tempfile.mkdtemp(prefix="windows-packages-")
        cls.addClassCleanup(shutil.rmtree, cls.scratch, ignore_errors=True)
        cls.archive.extractall(os.path.join(cls.scratch, "zip"))
        cls.programs = [(name.split("/")[1], os.path.join(cls.scratch, "zip", name)) for name in cls.files
                        if name.endswith(".exe")]
        for arch, msi in cls.msis.items():
            unpacked = os.path.join(cls.scratch, arch)
            subprocess.run(["msiextract", "-C", unpacked, msi], capture_output=True, check=True, timeout=120)
            cls.programs += [(MSI_ARCHITECTURES[arch], path)
                             for path in glob.glob(os.path.join(unpacked, "**", "Terrain viewers", "*.exe"),
                                                   recursive=True)]

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

    def test_every_program_is_a_stripped_unprofiled_gui_program_with_its_resources(self):
        self.assertEqual(len(self.programs), 12, "three viewers per architecture, in the ZIP and the installers")
        for folder, path in self.programs:
            name = os.path.basename(path)
            with open(path, "rb") as program:
                data = program.read()
            machine, magic, subsystem, symbols = pe_header(data)
            self.assertEqual((machine, magic), MACHINES[folder], f"{path} is not built for {folder}")
            self.assertEqual(symbols, 0, f"{path} is not stripped")
            # A profiled program carries the profiler, which writes gmon.out.
            self.assertNotIn(b"gmon.out", data, f"{path} is a profiling build")
            self.assertEqual(subsystem, GUI_SUBSYSTEM, f"{path} is not a GUI program")
            resources = subprocess.run(["wrestool", "-l", path], capture_output=True, text=True, timeout=60).stdout
            for kind in ("type=group_icon", "type=version", "--type=24 "):
                self.assertIn(kind, resources, f"{path}: no {kind} resource")
            icon = subprocess.run(["wrestool", "-x", "--type=14", path], capture_output=True, timeout=60).stdout
            self.assertEqual(icon_sizes_with_clear_corners(icon), [16, 32, 48, 256], path)
            grid = name[len("terrain"):-len(".exe")]
            for text in (f"{name[:-4]}: terrain viewer, {grid}x{grid} grid", self.version):
                self.assertIn(text.encode("utf-16-le"), data, f"{path}: no {text!r} in its version details")
            imports = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                                     timeout=60).stdout
            dlls = {line.split()[-1].lower() for line in imports.splitlines() if "DLL Name:" in line}
            self.assertLessEqual(dlls, WINDOWS_DLLS, f"{path} needs DLLs that Windows lacks")

    def test_the_installers_components_keep_their_codes_and_their_programs_are_versioned(self):
        def column(arch, name, index):  # {first column: column `index`} of a table
            text = subprocess.run(["msiinfo", "export", self.msis[arch], name], capture_output=True, text=True,
                                  check=True, timeout=60).stdout
            return {row[0]: row[index] for row in (line.split("\t") for line in text.splitlines()[3:])}
        # Each component keeps its code from version to version (an upgrade
        # finds what it replaces by it), one code per architecture: the code
        # tools/windows_packages.sh names by the component and architecture.
        for arch in self.msis:
            codes = {name: code.strip("{}").upper() for name, code in column(arch, "Component", 1).items()}
            self.assertEqual(codes, {name: str(uuid.uuid5(COMPONENT_NAMESPACE, f"terrain-viewers component {name} {arch}"))
                                     .upper() for name in ("terrain320", "terrain128", "terrain32", "papers", "menu")}, arch)
        for arch in self.msis:
            versions = {key: value for key, value in column(arch, "File", 4).items() if key.endswith(".exe")}
            self.assertEqual(versions, {f"{program}.exe": f"{self.version}.0" for program in PROGRAMS}, arch)
            self.assertFalse(set(column(arch, "MsiFileHash", 0)) & set(versions), "a versioned file hashed")

    def test_under_wine_the_zips_viewer_runs_and_the_installers_upgrade_replace_and_remove_cleanly(self):
        loader = "/usr/lib/wine/wine64"
        if not os.access(loader, os.X_OK):
            self.skipTest("Wine is not installed")
        prefix = os.path.join(self.scratch, "prefix")
        emulator = [os.path.join(SOURCE_DIR, "cmake", "wine_emulator.sh"), loader, prefix]
        started = subprocess.run(emulator + ["--start"], capture_output=True, text=True, timeout=900)
        self.addCleanup(subprocess.run, emulator + ["--stop"], capture_output=True, timeout=60)
        if started.returncode == SKIPPED:
            self.skipTest(started.stderr.strip())
        self.assertEqual(started.returncode, 0, started.stderr)

        def wine(*command):
            # reg writes in the console's code page, 437 (or 850) for Wine's English.
            done = subprocess.run(emulator + list(command), capture_output=True, encoding="cp437", timeout=600)
            return done.returncode, done.stdout.replace("\r", "")

        def install(option, msi, *folder):
            self.assertEqual(wine("msiexec", option, "Z:" + msi.replace("/", "\\"), "/qn", *folder)[0], 0, msi)

        def entries():  # (version, publisher, readme, folder) of each uninstall entry, in both registry views
            found = []
            for view in ("/reg:64", "/reg:32"):
                for entry in wine("reg", "query", UNINSTALL, "/s", view)[1].split("\n\n"):
                    values = {fields[0]: fields[-1] for fields in (line.split(None, 2) for line in entry.splitlines()
                                                                   if "    REG_" in line)}
                    if values.get("DisplayName") == "Terrain viewers":
                        keys = ("DisplayVersion", "Publisher", "ReadMe", "InstallLocation")
                        found.append(tuple(values[key] for key in keys))
            return found

        def run_until_escape(program, x):
            viewer = Viewer(emulator + [program], x, cwd=os.path.dirname(program))
            viewer.wait_window(timeout=120)
            viewer.press_to_end(viewer.window, "Escape", again=True)
            self.assertEqual(viewer.wait_exit(timeout=60)[0], 0, program)

        drive = os.path.join(prefix, "drive_c")
        installed = os.path.join(drive, "Program Files", "Terrain viewers")
        chosen = os.path.join(drive, "Tools", "Terrain Zoë")
        with XServer() as x:
            zip_folder = os.path.join(self.scratch, "zip", self.files[0].split("/")[0], "win64", "bin")
            before = sorted(os.listdir(zip_folder))
            run_until_escape(os.path.join(zip_folder, "terrain32.exe"), x)
            self.assertEqual(sorted(os.listdir(zip_folder)), before, "the program left a file beside itself")
            # Started by cmd's start with no GL: its line and advice in a box (in Wine's trace).
            with XServer(arguments=("-extension", "GLX")) as no_glx:
                program = "Z:" + os.path.join(zip_folder, "terrain32.exe").replace("/", "\\")
                viewer = Viewer([loader, "cmd", "/c", "start", "/wait", program], no_glx,
                                env={"WINEPREFIX": prefix, "WINEDEBUG": "+msgbox"})
                viewer.press_to_end(viewer.wait_window(timeout=120, title="terrain32"), "Return", again=True)
                status, err = viewer.wait_exit(timeout=60)
                self.assertEqual(status, 1, err)
                self.assertIn('L"terrain32: cannot find a pixel format - the graphics driver offers no suitable '
                              'OpenGL: install the graphics card maker\'s driver"', err)

            # An earlier version in a chosen folder, then this one twice: one entry, of this version, there.
            earlier = os.path.join(self.scratch, "earlier.msi")
            shutil.copy(self.msis["x64"], earlier)
            properties = subprocess.run(["msiinfo", "export", earlier, "Property"], capture_output=True, text=True,
                                        check=True).stdout
            with open(os.path.join(self.scratch, "Property.idt"), "w", newline="") as table:
                table.write(re.sub(r"ProductCode\t\{[^}]*\}", "ProductCode\t{00000000-0000-0000-0000-000000000001}",
                                   properties.replace(f"ProductVersion\t{self.version}", "ProductVersion\t0.1.0")))
            subprocess.run(["msibuild", earlier, "-i", "Property.idt"], cwd=self.scratch, check=True, timeout=60)
            install("/i", earlier, "INSTALLDIR=C:\\Tools\\Terrain Zoë")
            for msi in (self.msis["x64"], self.msis["x64"]):
                install("/i", msi)
            self.assertEqual(entries(), [(self.version, "Terrain Viewers Developers",
                                          "C:\\Tools\\Terrain Zoë\\README.txt", "C:\\Tools\\Terrain Zoë\\")])
            self.assertEqual(sorted(os.listdir(chosen)),
                             ["LICENSE.txt", "README.txt", "terrain128.exe", "terrain32.exe", "terrain320.exe"])
            # NOTE: Wine puts a per-machine package's shortcuts in the user's Start menu.
            shortcuts = glob.glob(os.path.join(drive, "**", "Start Menu", "Programs", "Terrain viewers", "*.lnk"),
                                  recursive=True)
            self.assertEqual(sorted(map(os.path.basename, shortcuts)), ["terrain128.lnk", "terrain32.lnk", "terrain320.lnk"])
            run_until_escape(os.path.join(chosen, "terrain32.exe"), x)

        # Removed without naming the folder, it leaves nothing; the other
        # architecture replaces it, in the 32-bit Program Files; its removal leaves nothing.
        install("/x", self.msis["x64"])
        self.assertEqual((entries(), glob.glob(os.path.join(drive, "**", "*errain*"), recursive=True)), ([], []))
        install("/i", self.msis["x64"])
        install("/i", self.msis["x86"])
        self.assertEqual([entry[0] for entry in entries()], [self.version])
        self.assertFalse(os.path.exists(installed))
        self.assertTrue(os.path.isdir(os.path.join(drive, "Program Files (x86)", "Terrain viewers")))
        install("/x", self.msis["x86"])
        self.assertEqual(entries(), [])
        self.assertEqual(glob.glob(os.path.join(drive, "**", "*errain*"), recursive=True), [])
        self.assertNotEqual(wine("reg", "query", r"HKLM\Software\Terrain viewers")[0], 0)

    def test_a_profiling_tree_is_refused_in_one_line(self):
        with tempfile.TemporaryDirectory() as tree:
            for name, text in (("CMakeCache.txt", "TERRAIN_PROFILING:BOOL=ON\n"),
                               ("CPackConfig.cmake", ""), ("cmake_install.cmake", "")):
                with open(os.path.join(tree, name), "w") as file:
                    file.write(text)
            refused = subprocess.run([os.path.join(SOURCE_DIR, "tools", "windows_packages.sh"), tree, tree,
                                      os.path.join(tree, "out")], capture_output=True, text=True, timeout=60)
        self.assertEqual(refused.returncode, 1)
        self.assertRegex(refused.stderr, r"\Awindows_packages.sh: refusing .*profiling.*\n\Z")


if __name__ == "__main__":
    why = reason_to_skip()
    if why:
        print("skipped:", why)
        sys.exit(SKIPPED)
    unittest.main(verbosity=2)
