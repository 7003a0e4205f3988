"""What ZorvakAgent.exe's install switches show a person, read from the message box itself
(under Xvfb with a Wine virtual desktop, driven by wizard_automation.exe)."""
import subprocess
import tempfile
import time
import unittest

import winelib

AGENT = "ZorvakServiceAgent"
IDOK = 1


class AgentMessages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb, cls.display = winelib.start_xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.terminate()
        cls.xvfb.wait(10)

    def setUp(self):
        winelib.remove_service(AGENT)
        self.app = winelib.app_folder("Zorvak Mensagens", programs=("ZorvakAgent.exe", "wizard_automation.exe"))

    def tearDown(self):
        winelib.remove_service(AGENT)

    def run_agent(self, switches, timeout=120):
        """Starts the agent with the switches, presses OK on its message box; returns (box text, exit code)."""
        script, result = self.app / "script.txt", self.app / "result.txt"
        script.write_bytes("\n".join([
            "start\t%s\t%s" % (winelib.win_path(self.app / "ZorvakAgent.exe"), switches),
            "box\t%d\t30000" % IDOK,
            "wait-exit\t30000",
        ]).encode("utf-8"))
        env = dict(winelib.ENV, DISPLAY=self.display)
        with tempfile.TemporaryFile() as out:
            proc = subprocess.Popen(["wine", "explorer", "/desktop=ZorvakMsg%d,1024x768" % int(time.monotonic() * 1000),
                                     winelib.win_path(self.app / "wizard_automation.exe"), winelib.win_path(script),
                                     winelib.win_path(result)],
                                    cwd=self.app, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=out)
            self.assertTrue(winelib.wait_until(
                lambda: result.exists() and ("\ndone" in result.read_text("utf-8", "replace")
                                             or "\nerror\t" in result.read_text("utf-8", "replace")), timeout=timeout))
            try:
                proc.wait(15)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(10)
        lines = result.read_text("utf-8", "replace").splitlines()
        self.assertIn("done", lines, lines)
        box = next(l.split("\t", 1)[1] for l in lines if l.startswith("box\t"))
        code = next(int(l.split("\t", 1)[1]) for l in lines if l.startswith("exit\t"))
        return box, code

    def test_failed_registration_is_shown_even_when_silent(self):
        box, code = self.run_agent("-uninstall -silent")
        self.assertIn('Service "Zorvak Service Agent" failed to uninstall with error:', box)
        self.assertRegex(box, r'error: ".+"')  # the system's own text for the error
        self.assertNotEqual(code, 0)

    def test_install_without_silent_reports_success(self):
        box, code = self.run_agent("-install")
        self.assertEqual(box, "Service installed successfully")
        self.assertEqual(code, 0)
        self.assertIsNotNone(winelib.registration(AGENT))


if __name__ == "__main__":
    unittest.main()
