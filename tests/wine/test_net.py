#!/usr/bin/env python3
"""WinHTTP and BCrypt adapters under Wine against the same real peers as the native tests.

Runs net_probe.exe (one operation per run) against the recording HTTP server and the S3 peer
(npm packages installed under ZORVAK_NATIVE_BIN/s3peer).
"""
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

import winelib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PROBE = str(winelib.WINDOWS_BIN.resolve() / "net_probe.exe")
KEY, SECRET, BUCKET = "AKIAZORVAKTEST000001", "zorvakTestSecretKey/0123456789+abcdefghi", "zorvak-dist"
ACCEPT = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"
failures = []


def check(cond, what, detail=""):
    print(("ok   " if cond else "FAIL ") + what + ("" if cond else "  -- " + str(detail)))
    if not cond:
        failures.append(what)


def probe(*args, timeout=60):
    proc = winelib.wine([PROBE, *args], timeout=timeout)
    result = {}
    for line in proc.stdout.splitlines():
        key, _, value = line.partition("=")
        result.setdefault(key, value)
    if proc.returncode != 0:
        result["exit"] = "%d %s" % (proc.returncode, proc.stderr)
    return result


def unescape(s):
    return s.encode("latin-1").decode("unicode_escape").encode("latin-1")


class Peer:
    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.ports = json.loads(self.proc.stdout.readline())

    def stop(self):
        self.proc.stdin.close()
        self.proc.terminate()
        self.proc.wait(10)


class Recorder(Peer):
    def url(self, listener="http"):
        return ("https" if listener.startswith("https") else "http") + "://127.0.0.1:%d" % self.ports[listener]

    def control(self, path, body=None, headers=None):
        req = urllib.request.Request(self.url() + "/__control/" + path, data=body, headers=headers or {},
                                     method="POST" if body is not None else "GET")
        with urllib.request.urlopen(req, timeout=10) as r:
            return r.read()

    def script(self, raw, mode="normal", chunk=1, delay_ms=0):
        self.control("script", raw, {"X-Mode": mode, "X-Chunk": str(chunk), "X-Delay-Ms": str(delay_ms)})

    def reset(self):
        self.control("reset", b"")

    def last(self):
        raw = self.control("last")
        head, _, body = raw.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        headers = [tuple(x.strip() for x in line.split(":", 1)) for line in lines[1:]]
        return lines[0], headers, body


def reply(status, headers=(), body=b"", length=True):
    out = status.encode() + b"\r\n" + b"".join(h.encode() + b"\r\n" for h in headers)
    if length:
        out += b"Content-Length: %d\r\n" % len(body)
    return out + b"Connection: close\r\n\r\n" + body


def json_reply(body, ctype="application/json; charset=utf-8"):
    return reply("HTTP/1.1 200 OK", ["Content-Type: " + ctype], body.encode() if isinstance(body, str) else body)


def management(rec):
    base = rec.url() + "/zorvak/"
    rec.reset()
    rec.script(json_reply('{"login":true}'))
    r = probe("preferencias", base)
    check(r.get("login") == "true", "Preferencias: login true", r)
    line, headers, body = rec.last()
    check(line == "POST /zorvak/GerenciadorDided/Preferencias HTTP/1.0", "Preferencias: request line", line)
    want = (b"chave=&ExecutarSeg=1&ExecutarSab=1&ExecutarDom=0&DesligarSeg=0&DesligarSab=0&DesligarDom=0"
            b"&HoraSeg=20%3A00&HoraSab=15%3A00&HoraDom=20%3A00&EmailSeg=1&EmailSab=1&EmailDom=0")
    check(body == want, "Preferencias: body", body)
    names = {n.lower(): v for n, v in headers}
    check(names.get("accept") == ACCEPT and names.get("user-agent") == "Mozilla/3.0 (compatible; Indy Library)"
          and names.get("content-type") == "application/x-www-form-urlencoded", "Preferencias: the three headers", headers)
    check(names.get("content-length") == str(len(want)) and names.get("host") == "127.0.0.1:%d" % rec.ports["http"],
          "Preferencias: transport headers", headers)
    extra = set(names) - {"accept", "user-agent", "content-type", "content-length", "host", "connection"}
    check(not extra, "Preferencias: no other header", extra)
    check(names.get("connection", "close").lower() == "close", "Preferencias: connection not kept", headers)

    rec.script(json_reply('{"login":true}'))
    probe("registro", rec.url() + "/api")
    line, _, body = rec.last()
    check(line == "POST /apiGerenciadorDided/Registro HTTP/1.0", "Registro: glued base URL", line)
    check(b"&razao=Padaria+S%C3%A3o+Jo%C3%A3o&" in body, "Registro: razao encoded", body)
    rec.script(json_reply('{"resultado":true}'))
    r = probe("desbloquear", base, "")
    check(r.get("resultado") == "true" and rec.last()[2] == b"Conta=", "Desbloquear: Conta= and resultado", r)

    refused = "Resposta inv\\xC3\\xA1lida do servidor: n\\xC3\\xA3o \\xC3\\xA9 um objeto JSON"
    cases = [
        (json_reply('{"login":false,"mensagem":"Conta j\u00e1 existe"}'), "mensagem", "Conta j\\xC3\\xA1 existe"),
        (json_reply('{"login":false,"mensagem":"Conta j\u00e1 existe"}', "text/html; charset=ISO-8859-1"),
         "mensagem", "Conta j\\xC3\\xA1 existe"),
        (json_reply('{"login":false}'), "error", "Value 'mensagem' not found"),
        (json_reply('{"mensagem":"x"}'), "error", "Value 'login' not found"),
        (json_reply("<html>OK</html>", "text/html"), "error", refused),
        (reply("HTTP/1.1 301 Moved Permanently", ["Location: " + rec.url() + "/x"], b'{"login":true}'), "error",
         "HTTP/1.1 301 Moved Permanently"),
        (reply("HTTP/1.1 500 Internal Server Error", [], b'{"login":true}'), "error", "HTTP/1.1 500 Internal Server Error"),
    ]
    for raw, key, want in cases:
        rec.reset()
        rec.script(raw)
        r = probe("preferencias", base)
        check(r.get(key) == want, "reply %r -> %s" % (raw[:40], want), r)
        check(rec.control("count") == b"1", "reply %r: one request, no redirect followed" % raw[:40])

    rec.script(reply("HTTP/1.1 200 OK", ["Content-Type: text/html"], b"<html></html>"))
    r = probe("probe", rec.url() + "/")
    check(r.get("probe") == "ok" and rec.last()[0] == "GET / HTTP/1.0", "probe: GET over HTTP/1.0", r)
    r = probe("desbloquear", "", "ZV1")
    check(r.get("error") == "URL inv\\xC3\\xA1lida: 'Gerenciador/Desbloquear'", "empty base URL fails before sending", r)


def bounds(rec):
    r = probe("http", "GET", "http://127.0.0.1:%d/" % rec.ports["blackhole"], "--connect-ms", "1000", "--stall-ms", "60000")
    check(r.get("timedOut") == "true" and int(r.get("elapsedMs", "99999")) < 10000, "connect time-out", r)
    rec.reset()
    rec.script(b"", "silent")
    r = probe("http", "POST", rec.url() + "/x", "--body", "a=b", "--connect-ms", "5000", "--stall-ms", "1000")
    check(r.get("timedOut") == "true" and int(r.get("elapsedMs", "99999")) < 10000, "silent server: stall bound", r)
    body = b"z" * 2000
    rec.script(reply("HTTP/1.1 200 OK", [], body), "trickle", 110, 150)
    r = probe("http", "GET", rec.url() + "/slow", "--stall-ms", "1000")
    check(r.get("status") == "200" and r.get("body") == body.decode() and "bodyError" not in r,
          "slow transfer that keeps moving is not cut", {k: v[:80] for k, v in r.items()})
    rec.script(reply("HTTP/1.1 200 OK", [], body), "trickle", 110, 150)
    r = probe("http", "GET", rec.url() + "/slow", "--stall-ms", "1000", "--total-ms", "1500")
    check(r.get("status") == "200" and "bodyError" in r and len(r.get("body", "")) < len(body),
          "a trickle that never stalls is cut by the total bound", {k: v[:80] for k, v in r.items()})


def tls(rec):
    rec.script(reply("HTTP/1.1 200 OK", [], b"ok"))
    r = probe("http", "GET", rec.url("https") + "/")
    check(r.get("body") == "ok", "https, self-signed, no verification", r)
    rec.script(reply("HTTP/1.1 200 OK", [], b"ok"))
    r = probe("http", "GET", rec.url("https") + "/", "--verify")
    check("error" in r, "https, self-signed, verified: refused", r)
    cases = [("https", "none", "TLSv1.3|TLSv1.2"), ("https_tls12", "tls10,tls12", "TLSv1.2"), ("https_tls12", "tls10", None),
             ("https_tls12", "ssl2", "TLSv1.2"), ("https_tls10", "tls12", None), ("https_tls10", "none", None),
             ("https_tls10", "tls10", "TLSv1")]
    for listener, versions, negotiated in cases:
        rec.reset()
        rec.script(reply("HTTP/1.1 200 OK", [], b"ok"))
        r = probe("http", "GET", rec.url(listener) + "/", "--tls", versions)
        got = rec.control("tls").decode() if r.get("body") == "ok" else None
        ok = (got is None) if negotiated is None else (got in negotiated.split("|"))
        check(ok, "TLS set %s against %s -> %s" % (versions, listener, negotiated), (got, r))


def store(rec, tmp):
    engine = bytes((i * 7919 >> 3) & 0xFF for i in range(300000))
    path = os.path.join(tmp, "engine.bin")
    with open(path, "wb") as f:
        f.write(engine)
    peer_dir = str(winelib.NATIVE_BIN.resolve() / "s3peer")
    modules = subprocess.run([os.path.join(ROOT, "tools", "s3peer", "install.sh"), peer_dir], check=True,
                             capture_output=True).stdout.decode().strip()
    peers = []
    try:
        for tls_on in (False, True):
            argv = ["node", os.path.join(ROOT, "tools", "s3peer", "s3peer.js"), "--modules", modules,
                    "--dir", os.path.join(tmp, "s3data%d" % tls_on), "--key", KEY, "--secret", SECRET,
                    "--bucket", BUCKET, "--put", "%s/ZorvakService.exe=%s" % (BUCKET, path)]
            if tls_on:
                argv += ["--tls-key", os.path.join(tmp, "key.pem"), "--tls-cert", os.path.join(tmp, "cert.pem")]
            peers.append(Peer(argv))
        plain, secure = ("127.0.0.1:%d" % p.ports["port"] for p in peers)
        out = os.path.join(tmp, "fetched.exe")
        r = probe("s3get", "http", plain, KEY, SECRET, BUCKET, "ZorvakService.exe", "Z:" + out.replace("/", "\\"))
        check(r.get("result") == "true" and r.get("StatusCode") == "200" and r.get("size") == str(len(engine)),
              "GetObject over WinHTTP, signed by BCrypt", r)
        check(os.path.exists(out) and open(out, "rb").read() == engine, "fetched object saved whole")
        r = probe("s3get", "https", secure, KEY, SECRET, BUCKET, "ZorvakService.exe")
        check(r.get("result") == "true" and r.get("md5") == hashlib.md5(engine).hexdigest(), "GetObject over https", r)
        for key, secret, status, reason in [("zorvakservice.exe", SECRET, "404", "Not Found"),
                                            ("ZorvakService.exe", "wrongSecretKey/0123456789+abcdefghijklmn", "403", "Forbidden")]:
            r = probe("s3get", "http", plain, KEY, secret, BUCKET, key)
            check(r.get("result") == "false" and r.get("StatusCode") == status and r.get("StatusMessage") == reason,
                  "GetObject %s -> %s %s" % (key, status, reason), r)
        r = probe("s3list", "http", plain, KEY, SECRET)
        check(r.get("result") == "true" and r.get("bucket") == BUCKET, "ListBuckets", r)
        r = probe("s3get", "http", "127.0.0.1:%d" % rec.ports["blackhole"], KEY, SECRET, BUCKET, "ZorvakService.exe",
                  "--connect-ms", "1000")
        check("error" in r and r.get("StatusCode") == "0", "unreachable store raises", r)
    finally:
        for p in peers:
            p.stop()
    # The mended fault: a body cut short of its Content-Length is a failed fetch.
    rec.reset()
    rec.script(reply("HTTP/1.1 200 OK", ["Content-Length: 400"], b"MZ engine bytes", length=False))
    r = probe("s3get", "http", "127.0.0.1:%d" % rec.ports["http"], KEY, SECRET, BUCKET, "ZorvakService.exe")
    check(r.get("result") == "false" and r.get("StatusMessage", "").startswith("Download in"), "cut body is a failed fetch", r)
    rec.script(reply("HTTP/1.1 200 OK", ['ETag: "%s"' % hashlib.md5(b"other").hexdigest()], b"MZ engine bytes"))
    r = probe("s3get", "http", "127.0.0.1:%d" % rec.ports["http"], KEY, SECRET, BUCKET, "ZorvakService.exe")
    check(r.get("result") == "false" and r.get("StatusMessage", "").startswith("Download corrompido"),
          "ETag mismatch is a failed fetch", r)


def crypto():
    r = probe("crypto")
    check(r.get("s3example", "").endswith("Signature=f0e8bdb87c964420e857bd35b5d6ed310bd44f0170aba48dd91039c6036bdb41"),
          "BCrypt SigV4: S3 GET Object example", r)
    check(r.get("getvanilla", "").endswith("Signature=5fa00fa31553b73ebf1942676e86291e8372ff2a2260956d9b8aae1d763fbf31"),
          "BCrypt SigV4: get-vanilla", r)
    check(r.get("md5") == "d41d8cd98f00b204e9800998ecf8427e", "BCrypt MD5", r)


class NetAdapters(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        tmp = cls.tmp.name
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                        "-keyout", os.path.join(tmp, "key.pem"), "-out", os.path.join(tmp, "cert.pem")],
                       check=True, capture_output=True)
        cls.rec = Recorder([sys.executable, os.path.join(ROOT, "tests", "peers", "recording_server.py"),
                            "--cert", os.path.join(tmp, "cert.pem"), "--key", os.path.join(tmp, "key.pem")])

    @classmethod
    def tearDownClass(cls):
        cls.rec.stop()
        cls.tmp.cleanup()

    def run_checks(self, section, *args):
        failures.clear()
        section(*args)
        self.assertEqual(failures, [])

    def test_bcrypt_signs_as_aws_publishes(self):
        self.run_checks(crypto)

    def test_management_protocol_bytes_and_replies(self):
        self.run_checks(management, self.rec)

    def test_connect_and_stall_bounds(self):
        self.run_checks(bounds, self.rec)

    def test_tls_versions_and_certificates(self):
        self.run_checks(tls, self.rec)

    def test_store_against_the_s3_peer(self):
        self.run_checks(store, self.rec, self.tmp.name)


if __name__ == "__main__":
    unittest.main()
