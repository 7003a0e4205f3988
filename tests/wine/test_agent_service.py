"""ZorvakAgent.exe as a real service in Wine's service manager."""
import re
import unittest

import winelib
from winelib import RUNNING, STOPPED

AGENT = "ZorvakServiceAgent"
ENTRY = r"\d\d/\d\d/\d{4}( \d\d:\d\d:\d\d)?- %s\r\n_{100}\r\n"


class AgentService(unittest.TestCase):
    def setUp(self):
        winelib.remove_service(AGENT)
        # A folder with a blank: the registered command must be quoted.
        self.folder = winelib.app_folder("Zorvak Agente")
        self.exe = winelib.win_path(self.folder / "ZorvakAgent.exe")

    def tearDown(self):
        winelib.remove_service(AGENT)

    def install(self, *switches):
        return winelib.wine([self.exe, *switches], cwd=self.folder, timeout=60)

    def start(self):
        winelib.wine(["sc", "start", AGENT], timeout=30)
        winelib.wait_until(lambda: winelib.service_state(AGENT) in (RUNNING, STOPPED), timeout=30)
        return winelib.service_state(AGENT)

    def test_install_and_uninstall_switches_register_and_remove_the_service(self):
        for install, uninstall in ((["-install", "-silent"], ["-uninstall", "-silent"]),
                                   (["/INSTALL", "/Silent"], ["/Uninstall", "-SILENT"])):
            with self.subTest(switches=install):
                self.assertEqual(self.install(*install).returncode, 0)
                reg = winelib.registration(AGENT)
                self.assertIsNotNone(reg)
                self.assertEqual(reg["ImagePath"], '"%s"' % self.exe)
                self.assertEqual(reg["DisplayName"], "Zorvak Service Agent")
                self.assertEqual(int(reg["Start"], 16), 2)  # automatic
                self.assertEqual(int(reg["Type"], 16), 0x10)  # own process
                self.assertEqual(int(reg["ErrorControl"], 16), 1)  # normal
                self.assertEqual(reg["ObjectName"], "LocalSystem")
                # Installing computes the interval and makes the log folder, but logs nothing.
                self.assertTrue((self.folder / "log").is_dir())
                self.assertEqual(winelib.log_text(self.folder), "")
                self.assertEqual(self.install(*uninstall).returncode, 0)
                self.assertIsNone(winelib.registration(AGENT))

    def test_start_prepares_folders_and_logs_and_stop_logs(self):
        self.install("-install", "-silent")
        self.assertEqual(self.start(), RUNNING)
        self.assertTrue(winelib.wait_until(lambda: "iniciado" in winelib.log_text(self.folder), timeout=10))
        self.assertTrue((self.folder / "Bkp").is_dir())
        self.assertTrue((self.folder / "Temp").is_dir())
        winelib.wine(["sc", "stop", AGENT], timeout=30)
        # The stop is logged at once and the running first verification cycle finishes (here it
        # restarts an engine that is not installed: 15 s of pauses), so its last lines follow.
        self.assertEqual(winelib.wait_until(lambda: winelib.service_state(AGENT) == STOPPED, timeout=90), True)
        log = winelib.log_text(self.folder)
        self.assertRegex(log, "^" + ENTRY % "x:sslvTLSv1" + ENTRY % "i:Zorvak Agente iniciado"
                         + r"(?:[^_]*_{100}\r\n)*" + ENTRY % "x:Verificação finalizada" + "$")
        self.assertEqual(log.count("i:Zorvak Agente  parado\r\n"), 1)

    def test_tls_tokens_and_configured_folders(self):
        winelib.write_ini(self.folder, "[Config]\nSSL=[sslvTLSv1_2]\nPathBkp=C:\\Zorvak Agente\\Outro\\Bkp\\\n")
        self.install("-install", "-silent")
        self.assertEqual(self.start(), RUNNING)
        self.assertTrue(winelib.wait_until(lambda: "iniciado" in winelib.log_text(self.folder), timeout=10))
        self.assertTrue((self.folder / "Outro" / "Bkp").is_dir())
        log = winelib.log_text(self.folder)
        self.assertRegex(log, "^" + ENTRY % "x:sslvTLSv1" + ENTRY % "x:sslvTLSv1_2" + ENTRY % "i:Zorvak Agente iniciado")

    def test_garbage_configuration_gives_the_defaults(self):
        (self.folder / "Zorvak.ini").write_bytes(bytes((i * 37 + 11) % 256 for i in range(4096)) + b"\n" + b"x" * (1 << 20))
        self.install("-install", "-silent")
        self.assertEqual(self.start(), RUNNING)
        self.assertTrue(winelib.wait_until(lambda: "iniciado" in winelib.log_text(self.folder), timeout=10))
        self.assertTrue((self.folder / "Bkp").is_dir())

    def test_empty_temp_folder_setting_makes_the_start_fail(self):
        winelib.write_ini(self.folder, "[CONFIG]\nPathTemp=\n")
        self.install("-install", "-silent")
        self.start()
        self.assertEqual(winelib.wait_until(lambda: winelib.service_state(AGENT) == STOPPED, timeout=30), True)
        self.assertNotIn("iniciado", winelib.log_text(self.folder))


if __name__ == "__main__":
    unittest.main()
