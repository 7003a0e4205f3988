"""The wizard's windows under Xvfb with a Wine virtual desktop, driven from outside by
wizard_automation.exe (FindWindowW, EnumChildWindows, WM_SETTEXT, BM_CLICK). The runs leave PNG
screenshots in the build tree (wizard_screenshots/) for a person to look at.

Under Wine there is no Windows Firebird client, so the real program reports failed connections;
the fixture build answers from firebird_fixture.ini and goes on to the registration against
the recording management server, up to the hand-over to the validation window.
"""
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

import winelib

ROOT = pathlib.Path(__file__).resolve().parents[2]
SHOTS = winelib.NATIVE_BIN / "wizard_screenshots"
# Control identifiers (src/win32/wizard_ids.h).
EDT_PATH, BTN_LOCALIZAR, LIST, BUTTON1, BUTTON2 = 207, 209, 211, 212, 213
EDT_CNPJ, EDT_RAZAO, EDT_EMAIL, EDT_TELEFONE, EDT_WHATS, LBL_REGISTRO = 302, 304, 306, 308, 310, 311
IDOK, IDYES = 1, 6
F2, F1 = "ZorvakTForm2", "ZorvakTForm1"


def cp1252_crlf(text):
    return text.replace("\n", "\r\n").encode("cp1252")


def installation(root, name, database, c4b=True, gbak=True):
    folder = root / name
    folder.mkdir(parents=True)
    (folder / "dided.ini").write_bytes(cp1252_crlf("[FB]\nDatabase=%s\n" % database))
    for tool, present in (("c4b.exe", c4b), ("gbak.exe", gbak)):
        if present:
            (folder / tool).write_bytes(b"MZ")
    return folder


class WizardGui(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb, cls.display = winelib.start_xvfb()
        SHOTS.mkdir(parents=True, exist_ok=True)
        cls.rec = subprocess.Popen([sys.executable, str(ROOT / "tests" / "peers" / "recording_server.py")],
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        cls.rec_port = json.loads(cls.rec.stdout.readline())["http"]

    @classmethod
    def tearDownClass(cls):
        cls.rec.stdin.close()
        cls.rec.terminate()
        cls.rec.wait(10)
        cls.xvfb.terminate()
        cls.xvfb.wait(10)

    def control(self, path, body=None, headers=None):
        req = urllib.request.Request("http://127.0.0.1:%d/__control/%s" % (self.rec_port, path), data=body,
                                     headers=headers or {}, method="POST" if body is not None else "GET")
        with urllib.request.urlopen(req, timeout=10) as r:
            return r.read()

    def setUp(self):
        self.app = winelib.app_folder("Zorvak Wizard", programs=(
            "ZorvakVerificadorDided.exe", "ZorvakVerificadorDidedFixture.exe", "wizard_automation.exe"))
        self.scan = self.app / "scan"
        self.scan.mkdir()

    def drive(self, program, steps, timeout=240):
        """Runs the steps against the program in a fresh virtual desktop; returns the result lines.
        A step ("mark", name) is a screenshot of the screen at that point."""
        lines = ["start\t" + winelib.win_path(self.app / program)]
        for step in steps:
            lines.append("\t".join(str(s) for s in step) + ("\t60000" if step[0] == "mark" else ""))
        script = self.app / "script.txt"
        result = self.app / "result.txt"
        script.write_bytes("\n".join(lines).encode("utf-8"))
        env = dict(winelib.ENV, DISPLAY=self.display)
        desktop = "ZorvakWiz%d" % int(time.monotonic() * 1000)
        with tempfile.TemporaryFile() as out:
            proc = subprocess.Popen(["wine", "explorer", "/desktop=%s,1024x768" % desktop,
                                     winelib.win_path(self.app / "wizard_automation.exe"), winelib.win_path(script),
                                     winelib.win_path(result)],
                                    cwd=self.app, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=out)
            deadline = time.monotonic() + timeout
            shot = 0
            while time.monotonic() < deadline:
                for ready in sorted(self.app.glob("result.txt.*.ready")):
                    name = ready.name[len("result.txt."):-len(".ready")]
                    subprocess.run(["/usr/bin/import", "-display", self.display, "-window", "root",
                                    str(SHOTS / (name + ".png"))], timeout=30, check=False)
                    ready.unlink()
                    (self.app / ("result.txt.%s.done" % name)).write_bytes(b"")
                    shot += 1
                text = result.read_bytes().decode("utf-8", "replace") if result.exists() else ""
                if "\ndone" in text or "\nerror\t" in text:
                    break
                time.sleep(0.2)
            try:
                proc.wait(15)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(10)
        text = result.read_bytes().decode("utf-8", "replace")
        self.assertNotIn("\nerror\t", text, text)
        self.assertIn("\ndone", text, text)
        return text.splitlines()

    def test_single_path_scan_lines_and_cancel(self):
        installation(self.scan, "a_erp", r"C:\dados\EMPRESA.FDB")
        installation(self.scan, "b_semgbak", r"srv:C:\dados\x.fdb", gbak=False)
        installation(self.scan, "c_semnada", r"C:\y.fdb", c4b=False, gbak=False)
        installation(self.scan / "a_erp", "filial", r"C:\dados\filial.fdb")
        out = self.drive("ZorvakVerificadorDided.exe", [
            ("wait-window", F2, 30000), ("sleep", 1500), ("mark", "launcher"),
            ("key", F2, "F11"), ("sleep", 500),
            ("settext", F2, EDT_PATH, winelib.win_path(self.scan)),
            ("click", F2, BTN_LOCALIZAR), ("wait-text", F2, BTN_LOCALIZAR, "Procurar novamente", 90000),
            ("lines", F2, LIST), ("sleep", 500), ("mark", "discovery_after_scan"),
            ("click", F2, BUTTON1), ("wait-exit", 20000)])
        scan = winelib.win_path(self.scan) + "\\"
        lines = [l.split("\t", 3)[1:] for l in out if l.startswith("line\t")]
        self.assertEqual(lines, [
            ["0", "0", r"1) Base [ C:\DADOS\EMPRESA.FDB ] Falha ao conectar no Banco de Dados"],
            ["0", "0", r"2) Base [ C:\DADOS\FILIAL.FDB ] Falha ao conectar no Banco de Dados"],
            ["0", "0", r"3) Base [ SRV:C:\DADOS\X.FDB ] GBAK não encontrado"],
            ["0", "0", r"4) Base [ C:\Y.FDB ] C4B não encontrado"],
        ])
        self.assertIn("exit\t0", out)
        self.assertEqual(winelib.read_ini_value(self.app, "DEBUG", "PathScan"), scan)

    def test_fixture_registration_up_to_the_validation_window(self):
        installation(self.scan, "a_erp", r"C:\dados\EMPRESA.FDB")
        installation(self.scan, "b_semgbak", r"C:\dados\outra.fdb", gbak=False)
        (self.app / "firebird_fixture.ini").write_bytes(cp1252_crlf(
            "[C:\\dados\\EMPRESA.FDB]\nConnect=1\ncnpj=12.345.678/0001-90\nNOME=Padaria São João\n"
            "email_cont=contato@padaria.com.br\nddd_comer=011\nfone_comer=3333-4444\n"))
        winelib.write_ini(self.app, "[CONFIG]\nPathNuvem=http://127.0.0.1:%d/zorvak/\n[Conta]\nChave=ZV7E80C0F0A1B2C3D4\n"
                          % self.rec_port)
        self.control("reset", b"")
        body = b'{"login":true}'
        self.control("script", b"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: %d\r\n"
                               b"Connection: close\r\n\r\n%s" % (len(body), body))
        out = self.drive("ZorvakVerificadorDidedFixture.exe", [
            ("wait-window", F2, 30000), ("sleep", 1000),
            ("key", F2, "F11"), ("sleep", 300), ("settext", F2, EDT_PATH, winelib.win_path(self.scan)),
            ("click", F2, BTN_LOCALIZAR), ("wait-text", F2, BTN_LOCALIZAR, "Procurar novamente", 90000),
            ("lines", F2, LIST), ("tick", F2, LIST, 0), ("sleep", 300), ("lines", F2, LIST),
            ("click", F2, BUTTON2), ("box", IDYES, 15000),
            ("wait-text", F2, BUTTON1, "Voltar", 15000),
            ("get", F2, EDT_CNPJ), ("get", F2, EDT_RAZAO), ("get", F2, EDT_EMAIL), ("get", F2, EDT_TELEFONE),
            ("settext", F2, EDT_WHATS, "(11)98765-4321"), ("get", F2, EDT_WHATS), ("sleep", 500),
            ("mark", "contact_panel"),
            ("click", F2, BUTTON2), ("wait-window", F1, 30000), ("get", F2, LBL_REGISTRO),
            ("wait-hidden", F2, 30000), ("sleep", 500), ("mark", "validation_window"), ("kill",)])
        lines = [l.split("\t", 3)[1:] for l in out if l.startswith("line\t")]
        offered = "1) Path: %s\\a_erp\\  -  Base: C:\\DADOS\\EMPRESA.FDB" % winelib.win_path(self.scan)
        self.assertEqual(lines[:2], [["1", "0", offered], ["0", "0", r"2) Base [ C:\DADOS\OUTRA.FDB ] GBAK não encontrado"]])
        self.assertEqual(lines[2], ["1", "1", offered])
        self.assertTrue(any(l.startswith("box\tAlgumas bases não foram selecionadas.") for l in out), out)
        texts = {l.split("\t")[1]: l.split("\t", 2)[2] for l in out if l.startswith("text\t")}
        self.assertEqual(texts[str(EDT_CNPJ)], "12345678000190")
        self.assertEqual(texts[str(EDT_RAZAO)], "Padaria São João")
        self.assertEqual(texts[str(EDT_TELEFONE)], "011 3333-4444")
        self.assertEqual(texts[str(EDT_WHATS)], "(11)98765-4321")
        self.assertIn("Conta criada com sucesso!", texts[str(LBL_REGISTRO)])

        raw = self.control("last")
        head, _, sent = raw.partition(b"\r\n\r\n")
        self.assertTrue(head.startswith(b"POST /zorvak/GerenciadorDided/Registro HTTP/1.0\r\n"), head)
        self.assertRegex(sent.decode("ascii"),
                         r"^chave=ZV7E80C0F0A1B2C3D4&cnpj=12345678000190&razao=Padaria\+S%C3%A3o\+Jo%C3%A3o"
                         r"&telefone=011\+3333-4444&emailcontato=contato%40padaria.com.br&maquina=[A-Z0-9%-]+"
                         r"&whatsapp=%2811%2998765-4321$")
        self.assertEqual((self.app / "Dided.ini").read_bytes(), ("%s\\a_erp\\\r\n" % winelib.win_path(self.scan)).encode("cp1252"))
        ini = (self.app / "Zorvak.ini").read_bytes().decode("cp1252")
        self.assertIn("[Conta]\r\nChave=ZV7E80C0F0A1B2C3D4\r\nCNPJ=12345678000190\r\nRazao=Padaria São João\r\n"
                      "Email=contato@padaria.com.br\r\nTelefone=011 3333-4444\r\nWhatsapp=(11)98765-4321\r\n", ini)

    def test_closing_the_discovery_window_ends_with_67(self):
        out = self.drive("ZorvakVerificadorDided.exe", [
            ("wait-window", F2, 30000), ("sleep", 1000), ("close", F2), ("wait-hidden", F2, 10000),
            ("sleep", 1000), ("mark", "launcher_alone"),
            ("box", IDOK, 30000), ("wait-exit", 15000)])
        self.assertIn("box\tNão foi possível validar a instalação. Repita o processo de verificação.", out)
        self.assertIn("exit\t67", out)


if __name__ == "__main__":
    unittest.main()
