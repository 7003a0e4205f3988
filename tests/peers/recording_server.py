#!/usr/bin/env python3
"""Recording HTTP peer for the network tests (Python 3 stdlib only).

Records the exact bytes of every request and answers each with the next scripted reply.
Listeners (all on 127.0.0.1, free ports): "http"; with --cert/--key also "https" (any version),
"https_tls12" (TLS 1.2 only) and "https_tls10" (TLS 1.0 only); "blackhole" is a socket whose
accept queue is full and never drained, so a new connection to it never completes.

Control, on any listener, paths under /__control/:
  POST /__control/script   body: the raw reply bytes to send to the next request (queued).
                           X-Mode: normal (default) | silent (read the request, never answer) |
                           hold (send the reply, then keep the connection open and quiet) |
                           close (drop the connection unanswered) | trickle (X-Chunk bytes every
                           X-Delay-Ms milliseconds)
  GET  /__control/last     the raw bytes of the last request that was not a control request
  GET  /__control/count    how many such requests came
  GET  /__control/tls      the TLS version of the last such request ("" for plain http)
  POST /__control/route    body: the raw reply for every request whose path is X-Path, whenever
                           nothing is queued (a standing reply: a probe page, a server that
                           always unlocks)
  GET  /__control/all      every such request so far, as a JSON list of Latin-1 strings
  POST /__control/reset    empties the queue, the standing replies and the records
A request with nothing queued and no standing reply gets 599 "No Script".
--http-port N puts the "http" listener on a fixed port (default: a free one).

Prints one JSON line with the ports on stdout once ready; ends when stdin closes.
"""
import argparse
import json
import socket
import ssl
import sys
import threading
import time
import warnings

warnings.filterwarnings("ignore", category=DeprecationWarning)  # TLS 1.0 is served on purpose

lock = threading.Lock()
queue = []  # (mode, chunk, delay_ms, raw)
records = []  # (raw request, tls version)
routes = {}  # path -> raw reply


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        piece = conn.recv(65536)
        if not piece:
            return None
        data += piece
    head, _, rest = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    while len(rest) < length:
        piece = conn.recv(65536)
        if not piece:
            break
        rest += piece
    return head + b"\r\n\r\n" + rest


def plain_reply(status, body, content_type=b"application/octet-stream"):
    return (b"HTTP/1.1 " + status + b"\r\nContent-Type: " + content_type +
            b"\r\nContent-Length: " + str(len(body)).encode() + b"\r\nConnection: close\r\n\r\n" + body)


def header(raw, name):
    for line in raw.split(b"\r\n\r\n")[0].split(b"\r\n")[1:]:
        n, _, v = line.partition(b":")
        if n.strip().lower() == name:
            return v.strip().decode()
    return ""


def control(raw):
    line = raw.split(b"\r\n", 1)[0].split(b" ")
    method, path = line[0], line[1].decode()
    body = raw.split(b"\r\n\r\n", 1)[1]
    with lock:
        if method == b"POST" and path == "/__control/script":
            queue.append((header(raw, b"x-mode") or "normal", int(header(raw, b"x-chunk") or 1),
                          int(header(raw, b"x-delay-ms") or 0), body))
            return plain_reply(b"200 OK", b"queued")
        if method == b"POST" and path == "/__control/route":
            routes[header(raw, b"x-path")] = body
            return plain_reply(b"200 OK", b"routed")
        if path == "/__control/all":
            return plain_reply(b"200 OK", json.dumps([r[0].decode("latin-1") for r in records]).encode())
        if method == b"POST" and path == "/__control/reset":
            queue.clear()
            routes.clear()
            records.clear()
            return plain_reply(b"200 OK", b"reset")
        if path == "/__control/last":
            return plain_reply(b"200 OK", records[-1][0] if records else b"")
        if path == "/__control/count":
            return plain_reply(b"200 OK", str(len(records)).encode())
        if path == "/__control/tls":
            return plain_reply(b"200 OK", (records[-1][1] if records else "").encode())
    return plain_reply(b"404 Not Found", b"unknown control")


def serve(conn):
    try:
        raw = read_request(conn)
        if raw is None:
            return
        if raw.split(b" ", 2)[1].startswith(b"/__control/"):
            conn.sendall(control(raw))
            return
        version = conn.version() if isinstance(conn, ssl.SSLSocket) else ""
        with lock:
            records.append((raw, version or ""))
            target = raw.split(b" ", 2)[1].decode("latin-1")
            if queue:
                step = queue.pop(0)
            elif target in routes:
                step = ("normal", 1, 0, routes[target])
            else:
                step = ("normal", 1, 0, plain_reply(b"599 No Script", b""))
        mode, chunk, delay_ms, reply = step
        if mode == "close":
            return
        if mode == "hold":
            conn.sendall(reply)
        if mode in ("silent", "hold"):
            conn.settimeout(120)
            while conn.recv(65536):
                pass
            return
        if mode == "trickle":
            for i in range(0, len(reply), chunk):
                conn.sendall(reply[i:i + chunk])
                time.sleep(delay_ms / 1000.0)
            return
        conn.sendall(reply)
    except (OSError, ssl.SSLError):
        pass
    finally:
        try:
            conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        conn.close()


def listen(context=None, port=0):
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("127.0.0.1", port))
    sock.listen(64)

    def accept_loop():
        while True:
            conn, _ = sock.accept()

            def run(conn=conn):
                if context is not None:
                    try:
                        conn.settimeout(30)
                        conn = context.wrap_socket(conn, server_side=True)
                        conn.settimeout(None)
                    except (OSError, ssl.SSLError):
                        conn.close()
                        return
                serve(conn)
            threading.Thread(target=run, daemon=True).start()
    threading.Thread(target=accept_loop, daemon=True).start()
    return sock.getsockname()[1]


def blackhole():
    # Linux keeps backlog + 1 completed connections and then drops further SYNs: fill the queue
    # ourselves and never accept, so a client's connect waits until its own time-out.
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.bind(("127.0.0.1", 0))
    sock.listen(0)
    port = sock.getsockname()[1]
    fillers = []
    for _ in range(3):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setblocking(False)
        try:
            s.connect(("127.0.0.1", port))
        except BlockingIOError:
            pass
        fillers.append(s)
    time.sleep(0.2)
    return port, (sock, fillers)


def tls_context(cert, key, version=None):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    if version is not None:
        ctx.set_ciphers("DEFAULT:@SECLEVEL=0")
        ctx.minimum_version = version
        ctx.maximum_version = version
    return ctx


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cert")
    ap.add_argument("--key")
    ap.add_argument("--http-port", type=int, default=0)
    args = ap.parse_args()
    ports = {"http": listen(port=args.http_port)}
    if args.cert:
        ports["https"] = listen(tls_context(args.cert, args.key))
        ports["https_tls12"] = listen(tls_context(args.cert, args.key, ssl.TLSVersion.TLSv1_2))
        ports["https_tls10"] = listen(tls_context(args.cert, args.key, ssl.TLSVersion.TLSv1))
    ports["blackhole"], keep = blackhole()
    print(json.dumps(ports), flush=True)
    sys.stdin.read()
    del keep


if __name__ == "__main__":
    main()
