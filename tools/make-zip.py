#!/usr/bin/env python3
"""Zips a folder so that the same files always give the same bytes.

Usage: make-zip.py ARCHIVE BASE FOLDER
  Stores BASE/FOLDER and everything below it, with names relative to BASE,
  in name order, each with the same date (1 January 1980, the earliest a zip
  can hold) and plain permissions: nothing of the build machine or the day.
"""
import os
import sys
import zipfile

FIXED_DATE = (1980, 1, 1, 0, 0, 0)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    archive, base, folder = sys.argv[1:]
    paths = []
    for directory, subdirectories, files in os.walk(os.path.join(base, folder)):
        subdirectories.sort()
        paths.extend(os.path.join(directory, name) for name in files)
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as out:
        for path in sorted(paths):
            name = os.path.relpath(path, base).replace(os.sep, "/")
            entry = zipfile.ZipInfo(name, FIXED_DATE)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            entry.create_system = 0  # MS-DOS: no Unix owner or mode bits
            with open(path, "rb") as source:
                out.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
