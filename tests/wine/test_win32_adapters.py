"""The Windows-side GoogleTest program (tests/win32) under Wine."""
import unittest

import winelib


class Win32Adapters(unittest.TestCase):
    def test_win32_tests_program_passes(self):
        folder = winelib.app_folder("win32-tests", programs=("win32_tests.exe", "ZorvakService.exe", "zorvak_test_child.exe"))
        proc = winelib.wine([winelib.win_path(folder / "win32_tests.exe")], cwd=folder, timeout=300)
        print(proc.stdout)
        self.assertEqual(proc.returncode, 0, proc.stdout + proc.stderr)
        self.assertIn("[  PASSED  ]", proc.stdout)


if __name__ == "__main__":
    unittest.main()
