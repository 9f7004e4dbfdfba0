"""A small HTTPS server for the update-check tests. Binds 127.0.0.1 on a free port, prints
the port, and serves update manifests of every shape under /<case>/dist/update.json."""
import http.server
import json
import ssl
import sys
import time

CERT, KEY = sys.argv[1], sys.argv[2]

def manifest(**members):
    return json.dumps(members).encode()

ROUTES = {
    "newer": (200, "application/json", manifest(version="9.1.0", url="https://example.com/tonvera.dmg", notes="ignored")),
    "equal": (200, "application/json", manifest(url="https://example.com/tonvera.dmg", version="1.2.0")),
    "missing": (404, "text/html", b"<html><body><h1>404 Not Found</h1></body></html>"),
    "huge": (200, "application/json", manifest(version="9.1.0", url="https://example.com/x", pad="x" * (2 * 1024 * 1024))),
}

class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        parts = self.path.split("/")
        case = parts[1] if len(parts) > 2 else ""
        if case == "hang":
            time.sleep(30)
            return
        if case == "redirect":
            self.send_response(302)
            self.send_header("Location", "/newer/dist/update.json")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        status, kind, body = ROUTES.get(case, (404, "text/plain", b"no such case"))
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass

class QuietServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients that hang up early (size bound, untrusted certificate) are expected

server = QuietServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(CERT, KEY)
server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
