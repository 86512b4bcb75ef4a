#!/usr/bin/env python3
"""HTTP and HTTPS server for tests and the demo, bound to 127.0.0.1 only.

Serves routes described in a JSON file (re-read on every request, so a test may
rewrite it between requests) and can misbehave on purpose: drop the connection
or stall after some body bytes, answer late, frame the body without a length.
See README.md for the command line and the route format.
"""

import argparse
import json
import os
import select
import signal
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CHUNK = 1 << 20  # big enough that a 256 MB download is not limited by Python
POLL_SECONDS = 0.2


class RouteError(Exception):
    pass


def load_routes(path):
    with open(path, "rb") as f:
        routes = json.load(f)
    if not isinstance(routes, dict):
        raise RouteError("routes file must hold a JSON object")
    return routes


def find_route(routes, target):
    """Exact target (path and query) first, then the path alone."""
    if target in routes:
        return routes[target]
    path = target.split("?", 1)[0]
    return routes.get(path)


class Body:
    """The bytes of a route's body, from inline text or from a file."""

    def __init__(self, route, base_dir):
        self.file = None
        self.data = b""
        if "body_file" in route:
            name = route["body_file"]
            if not os.path.isabs(name):
                name = os.path.join(base_dir, name)
            self.file = open(name, "rb")
            self.size = os.fstat(self.file.fileno()).st_size
        else:
            self.data = route.get("body", "").encode("utf-8")
            self.size = len(self.data)

    def close(self):
        if self.file:
            self.file.close()

    def pieces(self, limit):
        """Yields the body in large pieces, at most `limit` bytes in all."""
        left = min(self.size, limit)
        if self.file is None:
            if left:
                yield self.data[:left]
            return
        self.file.seek(0)
        while left > 0:
            piece = self.file.read(min(CHUNK, left))
            if not piece:
                return
            left -= len(piece)
            yield piece


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZvTestServer/1"
    sys_version = ""

    def log_message(self, fmt, *args):
        pass  # the request log below is what tests read; keep stderr quiet

    def do_GET(self):
        self.answer(send_body=True)

    def do_HEAD(self):
        self.answer(send_body=False)

    def answer(self, send_body):
        self.server.log_request_target(self)
        try:
            route = find_route(load_routes(self.server.routes_path), self.path)
        except (OSError, ValueError, RouteError) as e:
            self.plain_answer(500, "bad routes file: %s\n" % e)
            return
        if route is None:
            self.plain_answer(404, "not found\n")
            return
        delay = float(route.get("delay", 0))
        if delay > 0:
            time.sleep(delay)
        try:
            body = Body(route, os.path.dirname(os.path.abspath(self.server.routes_path)))
        except OSError as e:
            self.plain_answer(500, "bad body file: %s\n" % e)
            return
        try:
            self.send_route(route, body, send_body)
        finally:
            body.close()

    def plain_answer(self, status, text):
        data = text.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def send_route(self, route, body, send_body):
        framing = route.get("framing", "length")
        if framing not in ("length", "chunked", "close"):
            self.plain_answer(500, "unknown framing %r\n" % framing)
            return
        status = int(route.get("status", 302 if "redirect" in route else 200))
        self.send_response(status)
        if "redirect" in route:
            self.send_header("Location", route["redirect"])
        for name, value in route.get("headers", {}).items():
            self.send_header(name, str(value))
        if framing == "length":
            self.send_header("Content-Length", str(body.size))
        elif framing == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if not send_body:
            return

        drop_after = route.get("drop_after")
        stall_after = route.get("stall_after")
        limit = body.size
        for cut in (drop_after, stall_after):
            if cut is not None:
                limit = min(limit, int(cut))
        self.send_body(body, limit, framing)
        if drop_after is not None and int(drop_after) < body.size:
            self.drop()
        elif stall_after is not None and int(stall_after) < body.size:
            self.stall()
        elif framing == "chunked":
            self.wfile.write(b"0\r\n\r\n")

    def send_body(self, body, limit, framing):
        plain = not isinstance(self.connection, ssl.SSLSocket)
        if framing != "chunked" and plain and body.file is not None:
            if limit > 0:  # a count of 0 would mean "the whole file"
                self.connection.sendfile(body.file, 0, limit)
            return
        for piece in body.pieces(limit):
            if framing == "chunked":
                self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
            else:
                self.wfile.write(piece)

    def drop(self):
        """Resets the connection, so the client sees it break mid-body."""
        raw = self.connection
        raw.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
        self.close_connection = True
        os.close(raw.detach())  # no TLS close_notify, no FIN: a reset

    def stall(self):
        """Sends nothing more until the client gives up or the server stops."""
        self.close_connection = True
        sock = self.connection
        while not self.server.stopping.is_set():
            readable, _, _ = select.select([sock], [], [], POLL_SECONDS)
            if readable:
                try:
                    if not sock.recv(4096):
                        return
                except (OSError, ssl.SSLError):
                    return


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, routes_path, log_path, header_log_path, tls_context):
        super().__init__(("127.0.0.1", port), Handler)
        self.routes_path = routes_path
        self.log_path = log_path
        self.header_log_path = header_log_path
        self.tls_context = tls_context
        self.stopping = threading.Event()
        self.log_lock = threading.Lock()

    def get_request(self):
        sock, address = super().get_request()
        if self.tls_context is not None:
            # The handshake runs in the handler's thread, so a client that
            # never completes it cannot hold up the others.
            sock = self.tls_context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        return sock, address

    def finish_request(self, request, client_address):
        if isinstance(request, ssl.SSLSocket):
            try:
                request.do_handshake()
            except (OSError, ssl.SSLError):
                return  # a client that refused our certificate: nothing to serve
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        pass  # clients that hang up mid-answer are part of the tests

    def log_request_target(self, handler):
        with self.log_lock:
            if self.log_path:
                with open(self.log_path, "a", encoding="utf-8") as f:
                    f.write(handler.path + "\n")
            if self.header_log_path:
                entry = {"method": handler.command, "target": handler.path,
                         "headers": [[name, value] for name, value in handler.headers.items()]}
                with open(self.header_log_path, "a", encoding="utf-8") as f:
                    f.write(json.dumps(entry) + "\n")


def write_ready_file(path, port):
    temp = path + ".tmp"
    with open(temp, "w") as f:
        f.write("%d\n" % port)
    os.replace(temp, path)


def main():
    parser = argparse.ArgumentParser(description="loopback HTTP(S) server for tests")
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1; 0 picks a free one")
    parser.add_argument("--routes", required=True, help="JSON file of routes")
    parser.add_argument("--cert", help="PEM certificate (chain); with --key, speak HTTPS")
    parser.add_argument("--key", help="PEM private key of --cert")
    parser.add_argument("--ready-file", help="written with the port once listening")
    parser.add_argument("--log", help="each request target (path and query) is appended here")
    parser.add_argument("--header-log", help="each request as a JSON line: method, target, headers")
    args = parser.parse_args()
    if bool(args.cert) != bool(args.key):
        parser.error("--cert and --key go together")

    tls_context = None
    if args.cert:
        tls_context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls_context.load_cert_chain(args.cert, args.key)

    server = Server(args.port, args.routes, args.log, args.header_log, tls_context)
    port = server.server_address[1]

    def stop(signum, frame):
        server.stopping.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if args.ready_file:
        write_ready_file(args.ready_file, port)
    print("listening on 127.0.0.1:%d (%s)" % (port, "https" if tls_context else "http"), flush=True)
    server.serve_forever(poll_interval=POLL_SECONDS)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
