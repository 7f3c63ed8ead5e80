#!/usr/bin/env python3
"""Serves FOLDER over HTTP/1.1 (connections kept) on a free port of
127.0.0.1, which it prints first. GET /__fail__/on makes it answer 503 to
every file until /__fail__/off; /__stats__ says "REQUESTS CONNECTIONS"."""
import functools
import http.server
import sys
import threading

lock = threading.Lock()
state = {"failing": False, "requests": 0, "connections": 0}


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def setup(self):
        super().setup()
        with lock:
            state["connections"] += 1

    def answer(self, text):
        body = text.encode()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path in ("/__fail__/on", "/__fail__/off"):
            with lock:
                state["failing"] = self.path.endswith("on")
            return self.answer("ok")
        if self.path == "/__stats__":
            with lock:
                return self.answer("%d %d" % (state["requests"], state["connections"]))
        with lock:
            state["requests"] += 1
            failing = state["failing"]
        if failing:
            return self.send_error(503)
        return super().do_GET()

    def log_message(self, *args):
        pass


def main():
    handler = functools.partial(Handler, directory=sys.argv[1])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
