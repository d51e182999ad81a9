#!/usr/bin/env python3
"""A tiny forward HTTP proxy for the update test: answers every proxied GET of the catalogue
address with the file given, 404 for anything else. Prints its port, then serves until killed.
Usage: update_proxy.py CATALOGUE_URL FILE"""
import http.server
import sys

url, path = sys.argv[1], sys.argv[2]


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
        self.wfile.write(body)

    def log_message(self, *args):
        sys.stderr.write("proxy: " + (args[0] % args[1:]) + "\n")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Proxy)
print(server.server_address[1], flush=True)
server.serve_forever()
