"""Reproducible packages: tools/make_packages.sh, run again from a copy of
the source in another folder, with another umask and locale, must give the
same bytes as the packages of build-packages/ (the packages test's), each
listed in a SHA256SUMS that sha256sum -c accepts.  On a difference,
diffoscope's view of it is shown.

Usage: reproducible_packages_test.py [unittest options]"""

import os
import subprocess
import tempfile
import unittest

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PACKAGES = os.environ.get("TERRAIN_PACKAGES_DIR", os.path.join(SOURCE_DIR, "build-packages"))


class reproducible_packages(unittest.TestCase):
    def test_a_second_build_elsewhere_gives_the_same_bytes_and_checksums(self):
        with open(os.path.join(PACKAGES, "SHA256SUMS")) as sums:
            names = [line.split()[1] for line in sums]
        self.assertEqual(len(names), 6, f"two .debs, the Windows ZIP and installers and the web ZIP: {names}")
        epoch = subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=SOURCE_DIR, capture_output=True, text=True,
                               check=True).stdout.strip()
        # The second copy sits beside the packages (in the test's tree) and
        # puts its own at the same place relative to its source.
        with tempfile.TemporaryDirectory(prefix="second-build-", dir=os.path.dirname(PACKAGES)) as second:
            again_dir = os.path.join(second, os.path.relpath(PACKAGES, SOURCE_DIR))
            subprocess.run(["sh", "-c", "git ls-files -z --cached --others --exclude-standard | tar --null -T - "
                            "--ignore-failed-read -cf - | tar -xf - -C \"$1\"", "sh", second], cwd=SOURCE_DIR, check=True)
            made = subprocess.run(["sh", "-c", "umask 077 && exec tools/make_packages.sh"], cwd=second,
                                  env=dict(os.environ, SOURCE_DATE_EPOCH=epoch, TERRAIN_PACKAGES_DIR=again_dir,
                                           LC_ALL="fr_FR.UTF-8", LANG="fr_FR.UTF-8"),
                                  capture_output=True, text=True, timeout=3000)
            self.assertEqual(made.returncode, 0, made.stdout + made.stderr)
            for folder in (PACKAGES, again_dir):
                checked = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=folder, capture_output=True, text=True)
                self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
            for name in names + ["SHA256SUMS"]:
                first, again = os.path.join(PACKAGES, name), os.path.join(again_dir, name)
                if subprocess.run(["cmp", "-s", first, again]).returncode != 0:
                    view = subprocess.run(["diffoscope", "--no-progress", first, again], capture_output=True,
                                          text=True, timeout=900)
                    self.fail(f"{name} differs between two builds:\n" + "\n".join(view.stdout.splitlines()[:60]))


if __name__ == "__main__":
    unittest.main(verbosity=2)
