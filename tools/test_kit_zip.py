#!/usr/bin/env python3
"""Tests of kit_zip.py: the kit's .zip depends on names, contents and execute bits alone."""

import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

KIT_ZIP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kit_zip.py")
EPOCH = 1700000000  # 2023-11-14 22:13:20 UTC


def make_kit(parent, file_mode, exe_mode, mtime):
    """A staged kit, its files made in an order other than the sorted one."""
    kit = os.path.join(parent, "kit")
    for name, data, mode in (("lib/b.lib", b"lib", file_mode), ("bin/x.dll", b"MZ" * 300, exe_mode),
                             ("a.h", b"int f(void);\n", file_mode)):
        path = os.path.join(kit, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        os.chmod(path, mode)
        os.utime(path, (mtime, mtime))
    return kit


def run_kit_zip(zip_path, kit, epoch):
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    return subprocess.run([sys.executable, KIT_ZIP, zip_path, kit], env=env, capture_output=True)


class KitZip(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def zip_of(self, name, file_mode=0o644, exe_mode=0o755, mtime=1e9, epoch=EPOCH):
        parent = os.path.join(self.tmp.name, name)
        kit = make_kit(parent, file_mode, exe_mode, mtime)
        zip_path = os.path.join(parent, "kit.zip")
        self.assertEqual(run_kit_zip(zip_path, kit, epoch).returncode, 0)
        return zip_path

    def test_entries_are_sorted_stamped_with_the_epoch_and_carry_no_owner(self):
        with zipfile.ZipFile(self.zip_of("one")) as archive:
            infos = archive.infolist()
            self.assertEqual([i.filename for i in infos],
                             ["kit/a.h", "kit/bin/", "kit/bin/x.dll", "kit/lib/", "kit/lib/b.lib"])
            self.assertEqual({i.date_time for i in infos}, {(2023, 11, 14, 22, 13, 20)})
            self.assertEqual([i.external_attr >> 16 for i in infos],
                             [0o100644, 0o40755, 0o100755, 0o40755, 0o100644])
            self.assertEqual({i.extra for i in infos}, {b""})  # no time or uid/gid extra fields
            self.assertEqual(archive.read("kit/bin/x.dll"), b"MZ" * 300)

    def test_file_times_and_group_rights_do_not_change_a_byte(self):
        first = self.zip_of("first")
        second = self.zip_of("second", file_mode=0o664, exe_mode=0o775, mtime=2e9)
        with open(first, "rb") as a, open(second, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_times_before_1980_become_1980_and_no_epoch_is_refused(self):
        with zipfile.ZipFile(self.zip_of("old", epoch=0)) as archive:
            self.assertEqual(archive.infolist()[0].date_time, (1980, 1, 1, 0, 0, 0))
        kit = make_kit(os.path.join(self.tmp.name, "none"), 0o644, 0o755, 1e9)
        zip_path = os.path.join(self.tmp.name, "none", "kit.zip")
        self.assertNotEqual(run_kit_zip(zip_path, kit, None).returncode, 0)
        self.assertFalse(os.path.exists(zip_path))


if __name__ == "__main__":
    unittest.main()
