"""The native INI engine against Windows' profile functions (Wine's): the same scenario of
reads and writes leaves byte-identical files and identical reads."""
import filecmp
import pathlib
import shutil
import subprocess
import tempfile
import unittest

import winelib


class IniDifferential(unittest.TestCase):
    def test_native_engine_matches_profile_functions(self):
        native = pathlib.Path(tempfile.mkdtemp(prefix="ini-native-"))
        windows = winelib.drive_c() / "ini-scenario"
        shutil.rmtree(windows, ignore_errors=True)
        windows.mkdir()
        try:
            subprocess.run([str(winelib.NATIVE_BIN / "tools/ini_scenario/ini_scenario"), str(native)],
                           check=True, timeout=60)
            winelib.wine([str(winelib.WINDOWS_BIN / "ini_scenario.exe"), winelib.win_path(windows)],
                         check=True, timeout=120)
            names = sorted(p.name for p in windows.iterdir())
            self.assertEqual(names, sorted(p.name for p in native.iterdir()))
            self.assertGreater(len(names), 10)
            for name in names:
                with self.subTest(file=name):
                    same = filecmp.cmp(native / name, windows / name, shallow=False)
                    if not same and name == "reads.txt":
                        self.assertEqual((native / name).read_text("utf-8"), (windows / name).read_text("utf-8"))
                    self.assertTrue(same, f"{name} differs")
        finally:
            shutil.rmtree(native, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
