#!/usr/bin/env python3
"""Writes a .zip of a folder whose bytes depend only on the files' names, contents and execute
bits: entries in sorted order (not the order the file system lists them), every one stamped with
SOURCE_DATE_EPOCH, modes 755 or 644, no owners, one compression level. cpack runs it on the kit
(cmake/kit-zip.cmake), so two builds of one commit give the same .zip on any machine.

Usage: kit_zip.py ZIP FOLDER    entries are named FOLDER's own name/..., as cpack names them
"""

import os
import sys
import time
import zipfile

DOS_EPOCH = 315532800  # 1980-01-01, the earliest time a zip entry can hold
UNIX = 3  # "made by" system: the modes below are Unix modes


def entry(name, mode, stamp):
    info = zipfile.ZipInfo(name, time.gmtime(max(stamp, DOS_EPOCH))[:6])
    info.create_system = UNIX
    info.external_attr = mode << 16
    if name.endswith("/"):
        info.external_attr |= 0x10  # the DOS directory flag
    else:
        info.compress_type = zipfile.ZIP_DEFLATED
    return info


def entries(folder):
    """(name in the zip, path on disk) of every folder and file, sorted by name."""
    top = os.path.dirname(os.path.abspath(folder))
    found = []
    for root, dirs, files in os.walk(folder):
        for name in dirs:
            found.append((os.path.relpath(os.path.join(root, name), top) + "/", None))
        for name in files:
            path = os.path.join(root, name)
            found.append((os.path.relpath(path, top), path))
    return sorted(found)


def write_zip(zip_path, folder, stamp):
    part = zip_path + ".part"
    with zipfile.ZipFile(part, "w", compresslevel=9) as archive:
        for name, path in entries(folder):
            if path is None:
                archive.writestr(entry(name, 0o40755, stamp), b"")
                continue
            executable = os.stat(path).st_mode & 0o111
            with open(path, "rb") as data:
                archive.writestr(entry(name, 0o100755 if executable else 0o100644, stamp), data.read())
    os.replace(part, zip_path)  # never a half-written kit under the package's name


def main(argv):
    if len(argv) != 3 or not os.path.isdir(argv[2]):
        sys.exit(__doc__)
    stamp = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not stamp.isdigit():
        sys.exit("kit_zip.py: SOURCE_DATE_EPOCH must be set to the commit's time (seconds)")
    write_zip(argv[1], argv[2], int(stamp))


if __name__ == "__main__":
    main(sys.argv)
