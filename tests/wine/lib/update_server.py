#!/usr/bin/env python3
"""A stand-in for the maker's update server, reached as the HTTP proxy.

Skyfetch asks for fixed addresses on the maker's server through the system's
preconfigured proxy, so pointing Wine's http_proxy at this server answers them
without touching the hosts file. Every GET is answered from ROOT by the last
part of the requested path (404 when there is no such file) and logged.

  update_server.py ROOT PORTFILE LOG [--truncate NAME] [--stall NAME] [--no-head]

Listens on a free port of 127.0.0.1 and writes it to PORTFILE. --truncate NAME
announces NAME's full length but sends only half of it, then drops the connection.
--stall NAME announces NAME's full length, sends half of it and then nothing more,
keeping the connection open. HEAD is answered with GET's headers (no body) unless
--no-head, which answers it 501 as an old server would.
"""
import http.server
import os
import socketserver
import sys
import threading
import urllib.parse

root, port_file, log_file = sys.argv[1:4]
truncate = set()
stall = set()
head = True
args = sys.argv[4:]
while args:
    if args[0] == "--truncate":
        truncate.add(args[1])
        args = args[2:]
    elif args[0] == "--stall":
        stall.add(args[1])
        args = args[2:]
    elif args[0] == "--no-head":
        head = False
        args = args[1:]
    else:
        sys.exit("unknown option " + args[0])
never = threading.Event()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_HEAD(self):
        if not head:
            with open(log_file, "a") as log:
                log.write(f"HEAD {self.path}\n")
            self.send_response(501)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        self.answer("HEAD")

    def do_GET(self):
        self.answer("GET")

    def answer(self, method):
        path = urllib.parse.urlsplit(self.path).path
        name = path.rsplit("/", 1)[-1]
        with open(log_file, "a") as log:
            log.write(f"{method} {self.path}\n")
        file = os.path.join(root, name)
        if not name or not os.path.isfile(file):
            body = b"<html><body>404 Not Found</body></html>\r\n"
            self.send_response(404)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if method == "GET":
                self.wfile.write(body)
            return
        with open(file, "rb") as f:
            data = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        if method == "HEAD":
            self.end_headers()
            return
        if name in stall:
            self.end_headers()
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            never.wait()
            return
        if name in truncate:
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_file + ".tmp", port_file)
server.serve_forever()
