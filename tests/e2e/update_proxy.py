#!/usr/bin/env python3
"""A tiny forward HTTP proxy for the update test: answers every proxied GET of the catalogue
address with the file given, 404 for anything else. Prints its port, then serves until killed.
While STALL_FLAG exists, it sends only the first half of the body and then goes silent.
Usage: update_proxy.py CATALOGUE_URL FILE [STALL_FLAG]"""
import http.server
import os
import sys

url, path = sys.argv[1], sys.argv[2]
stall_flag = sys.argv[3] if len(sys.argv) > 3 else None


class Proxy(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        if self.path != url:
            self.send_error(404)
            return
        with open(path, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if stall_flag and os.path.exists(stall_flag):
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            sys.stderr.write("proxy: stalled mid-body\n")
            # Silent until the client hangs up (the test kills it), as a server that stalled.
            self.connection.settimeout(300)
            try:
                self.connection.recv(1)
            except OSError:
                pass
            self.close_connection = True
            return
        self.wfile.write(body)

    def log_message(self, *args):
        sys.stderr.write("proxy: " + (args[0] % args[1:]) + "\n")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Proxy)
print(server.server_address[1], flush=True)
server.serve_forever()
