#!/usr/bin/env python3
"""reproducible_zip.py OUT.zip TOP DIR: a ZIP of every file under DIR, each
stored as TOP/its path below DIR, that is the same bytes wherever and
whenever it is made: names in sorted order, every time stamp
SOURCE_DATE_EPOCH's (UTC), permissions 0644 or 0755 (by the executable bit)
whatever the umask, and no owners or extra fields."""

import os
import sys
import time
import zipfile


def main(out, top, directory):
    stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]  # ZIP starts at 1980
    files = sorted(os.path.relpath(os.path.join(folder, name), directory)
                   for folder, _, names in os.walk(directory) for name in names)
    with zipfile.ZipFile(out + ".new", "w") as archive:
        for name in files:
            path = os.path.join(directory, name)
            entry = zipfile.ZipInfo(f"{top}/{name}", stamp)
            entry.external_attr = (0o100755 if os.access(path, os.X_OK) else 0o100644) << 16
            entry.create_system = 3  # Unix, for the permissions
            with open(path, "rb") as data:
                archive.writestr(entry, data.read(), zipfile.ZIP_DEFLATED, 9)
    os.replace(out + ".new", out)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: reproducible_zip.py OUT.zip TOP DIR")
    main(*sys.argv[1:])
