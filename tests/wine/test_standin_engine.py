"""The stand-in backup engine that the agent's tests supervise: it must behave as the real
engine does in the ways the agent relies on, and misbehave when told to."""
import time
import unittest

import winelib
from winelib import RUNNING, STOP_PENDING, STOPPED

ENGINE = "Zorvak"


class StandInEngine(unittest.TestCase):
    def setUp(self):
        winelib.remove_service(ENGINE)
        self.folder = winelib.app_folder("Zorvak Engine", programs=("ZorvakService.exe",))
        self.exe = winelib.win_path(self.folder / "ZorvakService.exe")

    def tearDown(self):
        winelib.remove_service(ENGINE)

    def start(self):
        winelib.wine([self.exe, "-install", "-silent"], cwd=self.folder, check=True)
        winelib.wine(["sc", "start", ENGINE], timeout=30)
        return winelib.wait_until(lambda: winelib.service_state(ENGINE) == RUNNING, timeout=30)

    def test_heartbeat_data_files_and_stop(self):
        self.assertTrue(self.start())
        first = winelib.wait_until(lambda: winelib.read_ini_value(self.folder, "STATUS", "Backup"), timeout=10)
        self.assertRegex(first, r"^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d$")
        self.assertTrue(winelib.wait_until(
            lambda: winelib.read_ini_value(self.folder, "STATUS", "Backup") != first, timeout=10))
        self.assertEqual(winelib.read_ini_value(self.folder, "Report", "Internet"), "1")
        for name in ("conta.xml", "comandos.xml", "politicas.xml", "Reportes.xml"):
            self.assertTrue((self.folder / "Data" / name).is_file(), name)
        winelib.wine(["sc", "stop", ENGINE], timeout=30)
        self.assertTrue(winelib.wait_until(lambda: winelib.service_state(ENGINE) == STOPPED, timeout=15))

    def test_steering_keys(self):
        winelib.write_ini(self.folder, "[StandIn]\nHeartbeat=0\nStopDelayMs=4000\nStopWaitHintMs=30000\nInternet=0\n")
        self.assertTrue(self.start())
        time.sleep(1.5)
        self.assertIsNone(winelib.read_ini_value(self.folder, "STATUS", "Backup"))
        self.assertEqual(winelib.read_ini_value(self.folder, "Report", "Internet"), "0")
        winelib.wine(["sc", "stop", ENGINE], timeout=30)
        self.assertEqual(winelib.service_status(ENGINE), (STOP_PENDING, 30000))
        self.assertTrue(winelib.wait_until(lambda: winelib.service_state(ENGINE) == STOPPED, timeout=15))

    def test_refusing_the_stop(self):
        winelib.write_ini(self.folder, "[StandIn]\nRefuseStop=1\n")
        self.assertTrue(self.start())
        self.assertNotEqual(winelib.wine(["sc", "stop", ENGINE], timeout=30).returncode, 0)
        self.assertEqual(winelib.service_state(ENGINE), RUNNING)
        self.assertEqual(winelib.wine(["taskkill", "/im", "ZorvakService.exe", "/F"], timeout=30).returncode, 0)
        self.assertTrue(winelib.wait_until(lambda: not winelib.process_running("ZorvakService.exe"), timeout=15))
        winelib.write_ini(self.folder, "")
        winelib.restart_wineserver()


if __name__ == "__main__":
    unittest.main()
