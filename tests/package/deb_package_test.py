"""The Debian packages, installed the way a user would: made by
tools/make_packages.sh (release trees of its own: the packages test), both
checked by lintian and for their dependencies, the amd64 one
installed with `apt-get install ./file.deb`, and its terrain32 run from
/usr/bin on an X server of the test's own.  Afterwards the package and
whatever its installation brought along are removed again, so the machine is
left as it was found.

Needs root and apt; exits 77 (skipped) otherwise, or when the package is
already installed (then the machine is not ours to change).

Also: cpack refuses to package BUILD_DIR when it is a profiling tree.

Usage: deb_package_test.py BUILD_DIR [unittest options]"""

import glob
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServer, Viewer, Workdir, colour_regions, terrain_problem  # noqa: E402

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
# Where tools/make_packages.sh put them: the tests give it a folder in their tree.
PACKAGES = os.environ.get("TERRAIN_PACKAGES_DIR", os.path.join(SOURCE_DIR, "build-packages"))
BUILD_DIR = None
PACKAGE = "terrain-viewers"
PROGRAMS = ("terrain320", "terrain128", "terrain32")
SKIPPED = 77
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


def installed_packages():
    """The names (with architecture) of every installed package."""
    listing = subprocess.run(["dpkg-query", "-W", "-f", "${binary:Package} ${db:Status-Abbrev}\n"],
                             capture_output=True, text=True, check=True).stdout
    return {line.split()[0] for line in listing.splitlines()
            if len(line.split()) > 1 and line.split()[1].startswith("ii")}


def reason_to_skip():
    if os.geteuid() != 0:
        return "installing a package needs root"
    # Only what says this is no Debian system at all; a missing build or X
    # tool on one is a failure, not a reason to skip.
    for tool in ("apt-get", "dpkg-query"):
        if shutil.which(tool) is None:
            return f"{tool} is not installed"
    if any(name.split(":")[0] == PACKAGE for name in installed_packages()):
        return f"{PACKAGE} is installed already; the test leaves it alone"
    return None


class debian_package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.debs = {arch: glob.glob(os.path.join(PACKAGES, f"terrain-viewers_*_{arch}.deb"))[0]
                    for arch in ("amd64", "arm64")}
        cls.deb = cls.debs["amd64"]
        cls.scratch = os.path.dirname(cls.deb)

        cls.before = installed_packages()
        cls.addClassCleanup(cls.remove_what_was_installed)
        install = subprocess.run(["apt-get", "install", "-y", "--no-install-recommends",
                                  "./" + os.path.basename(cls.deb)],
                                 cwd=cls.scratch, env=APT_ENV, capture_output=True, text=True, timeout=900)
        cls.install_output = install.stdout + install.stderr
        cls.install_status = install.returncode

    @classmethod
    def remove_what_was_installed(cls):
        """The package, then whatever its installation added, so that the
        machine is left as it was found."""
        brought = installed_packages() - cls.before
        if brought:
            subprocess.run(["apt-get", "purge", "-y", *sorted(brought)], env=APT_ENV,
                           capture_output=True, timeout=600)

    def control_field_names(self, deb, field):
        """The package names in a control field of a .deb, alternatives included."""
        value = subprocess.run(["dpkg-deb", "--field", deb, field], capture_output=True,
                               text=True, check=True).stdout
        return value, {item.strip().split()[0] for item in value.replace("|", ",").split(",") if item.strip()}

    def test_control_data_declares_the_run_time_libraries_of_its_architecture(self):
        for arch, deb in self.debs.items():
            self.assertEqual(self.control_field_names(deb, "Architecture")[0].strip(), arch)
            depends, names = self.control_field_names(deb, "Depends")
            # Linked (found by dpkg-shlibdeps) and opened at run time (declared).
            for needed in ("libsdl2-2.0-0", "libopengl0", "libc6", "libgl1", "libegl1", "libglx-mesa0",
                           "libgl1-mesa-dri"):
                self.assertIn(needed, names, depends)
            # The title bar and close button on Wayland.
            recommends, names = self.control_field_names(deb, "Recommends")
            self.assertIn("libdecor-0-plugin-1-cairo", names, recommends)

    def test_cpack_refuses_a_profiling_tree(self):
        with open(os.path.join(BUILD_DIR, "CMakeCache.txt")) as cache:
            if "TERRAIN_PROFILING:BOOL=ON\n" not in cache.read():
                self.skipTest(f"{BUILD_DIR} is not a profiling tree")
        refused = subprocess.run(["cpack", "-G", "DEB", "-B", os.path.join(BUILD_DIR, "refused-package")],
                                 cwd=BUILD_DIR, capture_output=True, text=True, timeout=120)
        self.assertNotEqual(refused.returncode, 0)
        self.assertIn("a profiling build is not packaged: use tools/make_packages.sh", refused.stderr)
        self.assertFalse(glob.glob(os.path.join(BUILD_DIR, "refused-package", "*.deb")))

    def test_lintian_finds_nothing(self):
        checked = subprocess.run(["lintian", "--allow-root", "--pedantic", *self.debs.values()],
                                 capture_output=True, text=True, timeout=600)
        self.assertEqual((checked.returncode, checked.stdout + checked.stderr), (0, ""))

    def test_apt_installs_each_program_with_its_menu_entry_icon_and_manual_page(self):
        self.assertEqual(self.install_status, 0, self.install_output)
        for program in PROGRAMS:
            self.assertTrue(os.access("/usr/bin/" + program, os.X_OK), f"{program} is not installed")
            entry = f"/usr/share/applications/{program}.desktop"
            valid = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
            self.assertEqual((valid.returncode, valid.stdout), (0, ""), entry)
            with open(entry) as text:
                fields = dict(line.rstrip("\n").split("=", 1) for line in text if "=" in line)
            self.assertEqual(fields["Exec"], program, entry)
            for size in (48, 128, 256):
                self.assertTrue(os.path.isfile(f"/usr/share/icons/hicolor/{size}x{size}/apps/{fields['Icon']}.png"))
            # The page man finds by name, in section 6, and which renders without a warning.
            page = subprocess.run(["man", "--warnings", "-P", "cat", "6", program], capture_output=True,
                                  text=True, env=dict(os.environ, MANWIDTH="80"))
            self.assertEqual((page.returncode, page.stderr), (0, ""), program)
            self.assertIn("Escape", page.stdout)
        with open("/usr/share/doc/terrain-viewers/copyright") as copyright_file, \
                open(os.path.join(SOURCE_DIR, "LICENSE")) as licence:
            self.assertIn(" " + licence.read().splitlines()[-1], copyright_file.read())

    def test_installed_terrain32_ends_with_0_on_escape_leaving_gmon_out_alone(self):
        self.assertEqual(self.install_status, 0, self.install_output)
        # A release build: the user's own gmon.out is left as it was.
        with XServer() as server, Workdir() as workdir:
            with open(os.path.join(workdir, "gmon.out"), "w") as users_file:
                users_file.write("data\n")
            viewer = Viewer("/usr/bin/terrain32", server, cwd=workdir)
            try:
                window = viewer.wait_window()
                self.assertTrue(server.wait_new_frame(window), "the viewer draws no frames")
                width, height, rgb = server.picture(window, os.path.join(workdir, "frame.png"))
                self.assertIsNone(terrain_problem(colour_regions(rgb), width * height))
                server.press(window, "Escape")
                status, err = viewer.wait_exit()
            finally:
                viewer.stop()
            with open(os.path.join(workdir, "gmon.out")) as users_file:
                self.assertEqual(users_file.read(), "data\n")
        self.assertEqual(status, 0, err)
        self.assertEqual(err, "")

if __name__ == "__main__":
    BUILD_DIR = os.path.abspath(sys.argv[1])
    why = reason_to_skip()
    if why:
        print("skipped:", why)
        sys.exit(SKIPPED)
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
