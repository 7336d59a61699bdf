"""The Debian package, installed the way a user would: built with cpack from
this build, installed with `apt-get install ./file.deb`, and its terrain32
run from /usr/bin on an X server of the test's own.  Afterwards the package
and whatever its installation brought along are removed again, so the
machine is left as it was found.

Needs root and apt; exits 77 (skipped) otherwise, or when the package is
already installed (then the machine is not ours to change).  cpack needs
dpkg-shlibdeps (dpkg-dev) and file to find the linked libraries.

Usage: deb_package_test.py BUILD_DIR [unittest options]"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from x11_harness import XServer, Viewer, Workdir  # noqa: E402

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
        cls.scratch = tempfile.mkdtemp(prefix="deb-package-test-")
        cls.addClassCleanup(shutil.rmtree, cls.scratch, True)
        made = subprocess.run(["cpack", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"),
                               "-G", "DEB", "-B", cls.scratch], capture_output=True, text=True, timeout=300)
        if made.returncode != 0:
            raise RuntimeError("cpack failed:\n" + made.stdout + made.stderr)
        debs = glob.glob(os.path.join(cls.scratch, "*.deb"))
        if len(debs) != 1:
            raise RuntimeError(f"cpack made {debs}, not one .deb")
        cls.deb = debs[0]

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

    def test_control_data_declares_the_run_time_libraries(self):
        depends = subprocess.run(["dpkg-deb", "--field", self.deb, "Depends"], capture_output=True,
                                 text=True, check=True).stdout
        names = {item.strip().split()[0] for item in depends.replace("|", ",").split(",") if item.strip()}
        # Linked (found by dpkg-shlibdeps) and opened at run time (declared).
        for needed in ("libsdl2-2.0-0", "libopengl0", "libc6", "libgl1", "libegl1", "libglx-mesa0",
                       "libgl1-mesa-dri"):
            self.assertIn(needed, names, depends)

    def test_apt_installs_the_three_programs_into_usr_bin(self):
        self.assertEqual(self.install_status, 0, self.install_output)
        for program in PROGRAMS:
            path = "/usr/bin/" + program
            self.assertTrue(os.access(path, os.X_OK), f"{path} is not an installed program")
        listed = subprocess.run(["dpkg", "-L", PACKAGE], capture_output=True, text=True).stdout.split()
        self.assertEqual(sorted(p for p in listed if os.path.isfile(p)),
                         sorted("/usr/bin/" + program for program in PROGRAMS))

    def test_installed_terrain32_opens_its_window_and_escape_ends_it_with_0(self):
        self.assertEqual(self.install_status, 0, self.install_output)
        with XServer() as server, Workdir() as workdir:
            viewer = Viewer("/usr/bin/terrain32", server, cwd=workdir)
            try:
                server.press(viewer.wait_window(), "Escape")
                status, err = viewer.wait_exit()
            finally:
                viewer.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(err, "")

if __name__ == "__main__":
    BUILD_DIR = os.path.abspath(sys.argv[1])
    why = reason_to_skip()
    if why:
        print("skipped:", why)
        sys.exit(SKIPPED)
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
