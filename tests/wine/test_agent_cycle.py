"""The agent's whole job end to end: the real agent and the stand-in engine as services in Wine's
service manager, the S3 peer holding a newer stand-in build, the recording management server on
the ports the build points the agent at (cmake/Deployment.cmake), serving the probe page too.

The steps share one application folder and run in order; each waits for the agent's own cycles
(a restart of the agent runs a cycle at once, the timer runs one a minute after the last).
"""
import datetime
import json
import os
import pathlib
import re
import subprocess
import tempfile
import time
import unittest
import urllib.parse
import urllib.request

import winelib
from winelib import RUNNING, STOPPED

AGENT, ENGINE = "ZorvakServiceAgent", "Zorvak"
SOURCE = pathlib.Path(__file__).resolve().parents[2]
NEXT_ENGINE = winelib.WINDOWS_BIN / "next" / "ZorvakService.exe"
KEY = "ZV1A2B3C4D"
RULE = "_" * 100 + "\r\n"


def deployment():
    """The deployment constants the Windows build was configured with."""
    cache = (winelib.WINDOWS_BIN.parent / "CMakeCache.txt").read_text()
    return {m.group(1): m.group(2) for m in re.finditer(r"^(ZORVAK_\w+):STRING=(.*)$", cache, re.M)}


DEPLOY = deployment()
STORE_PORT = int(DEPLOY["ZORVAK_S3_ENDPOINT"].rsplit(":", 1)[1])
PROBE = urllib.parse.urlsplit(DEPLOY["ZORVAK_PROBE_URL"])
SERVER_URL = "http://127.0.0.1:%d/zorvak/" % PROBE.port


def messages(folder):
    """The daily log's messages in order, time stamps taken off; a report is one message."""
    out = []
    for entry in winelib.log_text(folder).split(RULE)[:-1]:
        out.append(entry.split("- ", 1)[1][:-2])
    return out


def set_ini(folder, section, key, value):
    """Sets one key the way a person or another program would. The engine rewrites the file every
    second, so a change made between its read and its write is lost: write until it holds."""
    for _ in range(10):
        path = folder / "Zorvak.ini"
        lines = path.read_bytes().decode("cp1252").split("\r\n") if path.exists() else []
        out, current, done = [], None, False
        for line in lines:
            s = line.strip()
            if s.startswith("[") and "]" in s:
                if current == section.lower() and not done:
                    out.append("%s=%s" % (key, value))
                    done = True
                current = s[1:s.index("]")].lower()
            elif current == section.lower() and s.split("=", 1)[0].strip().lower() == key.lower():
                if not done:
                    out.append("%s=%s" % (key, value))
                    done = True
                continue
            out.append(line)
        if not done:
            while out and out[-1] == "":
                out.pop()
            if current != section.lower():
                out.append("[%s]" % section)
            out.append("%s=%s" % (key, value))
            out.append("")
        path.write_bytes("\r\n".join(out).encode("cp1252"))
        time.sleep(2.5)
        if winelib.read_ini_value(folder, section, key) == value:
            return
    raise AssertionError("could not set %s/%s" % (section, key))


class Peer:
    """A peer process that prints one JSON line once it listens and ends when stdin closes."""

    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, start_new_session=True)
        line = self.proc.stdout.readline()
        if not line:
            raise AssertionError("peer did not start: %s" % argv)
        self.greeting = json.loads(line)

    def stop(self):
        self.proc.stdin.close()
        self.proc.terminate()
        self.proc.wait(timeout=30)


class AgentCycle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for name in (AGENT, ENGINE):
            winelib.remove_service(name)
        cls.tmp = tempfile.TemporaryDirectory()
        modules = winelib.NATIVE_BIN / "s3peer"
        subprocess.run([str(SOURCE / "tools/s3peer/install.sh"), str(modules)], check=True,
                       stdout=subprocess.DEVNULL, timeout=300)
        cls.modules = modules / "node_modules"
        cls.store = cls.start_store(DEPLOY["ZORVAK_S3_SECRET_KEY"])
        cls.server = Peer(["python3", str(SOURCE / "tests/peers/recording_server.py"), "--http-port", str(PROBE.port)])
        cls.route(PROBE.path, b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n\r\n<html></html>")
        body = b'{"resultado": true}'
        cls.route("/zorvak/Gerenciador/Desbloquear", b"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                  b"Content-Length: %d\r\n\r\n%s" % (len(body), body))

        cls.folder = winelib.app_folder("ZorvakCiclo")
        # Wine's profile functions rewrite the file in place, so a process that reads it while
        # another writes can see it cut short and write that back: a heartbeat every 15 s (still
        # far within the time-out) keeps the engine's writes clear of the agent's.
        winelib.write_ini(cls.folder, "[CONFIG]\nPathNuvem=%s\nIntervalo=M1\n[Conta]\nChave=%s\n"
                          "[StandIn]\nHeartbeatMs=15000\n" % (SERVER_URL, KEY))
        for exe in ("ZorvakService.exe", "ZorvakAgent.exe"):
            winelib.wine([winelib.win_path(cls.folder / exe), "-install", "-silent"], cwd=cls.folder, check=True)
        winelib.wine(["sc", "start", ENGINE], timeout=30)
        assert winelib.wait_until(lambda: winelib.read_ini_value(cls.folder, "STATUS", "Backup"), timeout=30)

    @classmethod
    def tearDownClass(cls):
        for name in (AGENT, ENGINE):
            winelib.remove_service(name)
        cls.server.stop()
        cls.store.stop()
        cls.tmp.cleanup()

    @classmethod
    def start_store(cls, secret):
        data = pathlib.Path(cls.tmp.name) / ("store-" + secret)
        return Peer(["node", str(SOURCE / "tools/s3peer/s3peer.js"), "--modules", str(cls.modules),
                     "--dir", str(data), "--key", DEPLOY["ZORVAK_S3_ACCESS_KEY"], "--secret", secret,
                     "--bucket", DEPLOY["ZORVAK_S3_BUCKET"], "--port", str(STORE_PORT),
                     "--put", "%s/ZorvakService.exe=%s" % (DEPLOY["ZORVAK_S3_BUCKET"], NEXT_ENGINE)])

    @classmethod
    def control(cls, path, body=None, headers=None):
        req = urllib.request.Request("http://127.0.0.1:%d/__control/%s" % (PROBE.port, path), data=body,
                                     headers=headers or {}, method="POST" if body is not None else "GET")
        with urllib.request.urlopen(req, timeout=30) as reply:
            return reply.read()

    @classmethod
    def route(cls, path, raw):
        cls.control("route", raw, {"X-Path": path})

    def requests(self):
        return [r.encode("latin-1") for r in json.loads(self.control("all"))]

    def start_agent(self):
        winelib.wine(["sc", "start", AGENT], timeout=30)
        self.assertTrue(winelib.wait_until(lambda: winelib.service_state(AGENT) == RUNNING, timeout=30))

    def stop_agent(self):
        # A running cycle is let finish: up to an update's length.
        winelib.wine(["sc", "stop", AGENT], timeout=30)
        self.assertTrue(winelib.wait_until(lambda: winelib.service_state(AGENT) == STOPPED, timeout=180))

    def wait_for(self, message, count=1, timeout=180):
        ok = winelib.wait_until(lambda: messages(self.folder).count(message) >= count, timeout=timeout, interval=1)
        self.assertTrue(ok, "no %r in the log:\n%s" % (message, "\n".join(messages(self.folder))))

    def report(self):
        return (self.folder / "log" / "Atualizacao.txt").read_bytes().decode("cp1252").split("\r\n")[:-1]

    def test_1_first_cycle(self):
        self.start_agent()
        self.wait_for("x:Verificação finalizada", timeout=60)
        self.assertEqual(messages(self.folder), [
            "x:sslvTLSv1", "i:Zorvak Agente iniciado",
            "x:Verificação Iniciada", "i:Iniciando testes...!", "i:Iniciando conexao",
            "i:conexão com AWS bem sucedida!", "i:conectado a internet!", "x:Verificação finalizada"])
        probe = self.requests()[-1]
        self.assertTrue(probe.startswith(b"GET %s HTTP/1.0\r\n" % PROBE.path.encode()), probe)
        self.assertIn(b"\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n", probe)

    def test_2_update_swaps_in_the_new_engine(self):
        self.stop_agent()
        old = (self.folder / "ZorvakService.exe").read_bytes()
        set_ini(self.folder, "Atualizar", "Backup", "1")
        self.start_agent()
        self.wait_for("x:Atualização finalizada.", timeout=150)
        self.assertEqual((self.folder / "ZorvakService.exe").read_bytes(), NEXT_ENGINE.read_bytes())
        self.assertEqual((self.folder / "ZorvakService.old").read_bytes(), old)
        self.assertFalse((self.folder / "ZorvakService.new").exists())
        self.assertEqual(self.report(), [
            "Zorvak", "Iniciando atualização", "Efetuando Download", "Parando Serviço", "Renomeando EXE>OLD",
            "Atualizado com sucesso", "Iniciando o Serviço"])
        self.assertTrue(winelib.wait_until(
            lambda: winelib.read_ini_value(self.folder, "STATUS", "EngineVersion") == "2", timeout=30))
        self.assertEqual(winelib.service_state(ENGINE), RUNNING)
        self.wait_for("x:Verificação finalizada", count=2, timeout=60)
        self.assertEqual(winelib.read_ini_value(self.folder, "Atualizar", "Backup"), "0")
        self.assertEqual(winelib.read_ini_value(self.folder, "Atualizar", "Recriar"), "1")

    def test_3_next_cycle_recreates_the_local_data(self):
        data = self.folder / "Data"
        for name in ("conta.xml", "comandos.xml", "politicas.xml", "Reportes.xml"):
            (data / name).write_bytes(b"<antigo/>")
        # The timer's cycle, a minute after the update's cycle ended.
        self.wait_for("x:Base local recriada.", timeout=200)
        self.assertIn("x:Conta desbloqueada com sucesso", messages(self.folder))
        unlock = self.requests()[-1]
        self.assertTrue(unlock.startswith(b"POST /zorvak/Gerenciador/Desbloquear HTTP/1.0\r\n"), unlock)
        self.assertTrue(unlock.endswith(b"\r\n\r\nConta=" + KEY.encode()), unlock)
        self.assertEqual(self.report(), ["Zorvak", "Iniciando recriação de base local", "Parando Serviço",
                                         "Processo encerrado"])
        # Gone, then rebuilt by the engine the re-creation started again.
        for name in ("conta.xml", "comandos.xml", "politicas.xml", "Reportes.xml"):
            self.assertTrue(winelib.wait_until(lambda: (data / name).exists(), timeout=30), name)
            self.assertNotEqual((data / name).read_bytes(), b"<antigo/>", name)
        self.assertEqual(winelib.service_state(ENGINE), RUNNING)
        self.wait_for("x:Verificação finalizada", count=3, timeout=60)
        self.assertEqual(winelib.read_ini_value(self.folder, "Atualizar", "Recriar"), "0")

    def test_4_stale_heartbeat_restarts_the_engine(self):
        self.stop_agent()
        set_ini(self.folder, "StandIn", "Heartbeat", "0")
        winelib.wine(["sc", "stop", ENGINE], timeout=30)
        self.assertTrue(winelib.wait_until(lambda: winelib.service_state(ENGINE) == STOPPED, timeout=30))
        winelib.wine(["sc", "start", ENGINE], timeout=30)
        self.assertTrue(winelib.wait_until(lambda: winelib.service_state(ENGINE) == RUNNING, timeout=30))
        set_ini(self.folder, "STATUS", "Backup", "01/01/2020 10:00:00")
        before = datetime.datetime.now().replace(microsecond=0)
        self.start_agent()
        self.wait_for("x:Serviço de Backup reiniciado.", timeout=120)
        self.assertIn("x:Reiniciando Serviço de Backup...", messages(self.folder))
        stamp = datetime.datetime.strptime(winelib.read_ini_value(self.folder, "STATUS", "Backup"), "%d/%m/%Y %H:%M:%S")
        self.assertLessEqual(before - datetime.timedelta(seconds=2), stamp)
        self.assertLessEqual(stamp, datetime.datetime.now())
        self.assertEqual(winelib.service_state(ENGINE), RUNNING)
        set_ini(self.folder, "StandIn", "Heartbeat", "1")

    def test_5_store_forbidden(self):
        self.stop_agent()
        type(self).store.stop()
        type(self).store = self.start_store("a-secret-the-agent-does-not-know")
        set_ini(self.folder, "Atualizar", "Backup", "1")
        before = messages(self.folder).count("x:Atualização finalizada.")
        self.start_agent()
        self.wait_for("x:Atualização finalizada.", count=before + 1, timeout=120)
        self.assertEqual(self.report(), ["Zorvak", "Iniciando atualização", "Efetuando Download",
                                         "Falha no Download do executável:Forbidden"])
        self.assertIn("i:Falha na conexão com a Nuvem!", messages(self.folder))
        self.assertEqual((self.folder / "ZorvakService.exe").read_bytes(), NEXT_ENGINE.read_bytes())
        self.stop_agent()


if __name__ == "__main__":
    unittest.main()
