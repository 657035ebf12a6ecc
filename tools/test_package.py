#!/usr/bin/env python3
"""The release zip is reproducible: the same inputs give the same bytes, whatever the files'
times, modes or the moment of packing; and it holds exactly the four files under one folder."""
import os
import pathlib
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import package  # noqa: E402

SOURCE = pathlib.Path(__file__).resolve().parent.parent


class ReleaseZip(unittest.TestCase):
    def test_same_inputs_give_the_same_bytes_and_the_four_files(self):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = pathlib.Path(tmp)
            exe = tmp / "LumbraPanel.exe"
            exe.write_bytes(b"MZ" + bytes(range(256)) * 64)
            files = lambda: [("Lumbra-1.12.0/LumbraPanel.exe", exe),  # noqa: E731
                             ("Lumbra-1.12.0/README.ja.md", SOURCE / "README.ja.md"),
                             ("Lumbra-1.12.0/README.md", SOURCE / "README.md"),
                             ("Lumbra-1.12.0/LICENSE", SOURCE / "LICENSE")]
            package.pack(tmp / "a.zip", files())
            os.utime(exe, (time.time() - 86400, time.time() - 86400))
            os.chmod(exe, 0o700)
            time.sleep(1.1)
            package.pack(tmp / "b.zip", files())
            self.assertEqual((tmp / "a.zip").read_bytes(), (tmp / "b.zip").read_bytes())
            with zipfile.ZipFile(tmp / "a.zip") as z:
                self.assertEqual(z.namelist(), [name for name, _ in files()])
                self.assertEqual(z.read("Lumbra-1.12.0/LumbraPanel.exe"), exe.read_bytes())
                self.assertIsNone(z.testzip())


if __name__ == "__main__":
    unittest.main()
