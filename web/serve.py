#!/usr/bin/env python3
"""Serves the browser board's site on the loopback address for trying it out.

Every answer carries the two headers that make the page cross-origin isolated
(Cross-Origin-Opener-Policy and Cross-Origin-Embedder-Policy): the page may then
share memory with the engine's worker, and Move now and the end of an analysis
stop the engine at once instead of replacing its worker.

usage: serve.py SITE_FOLDER [PORT]
"""
import functools
import http.server
import sys


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".js": "text/javascript",
        ".wasm": "application/wasm",
        ".webmanifest": "application/manifest+json",
    }

    def end_headers(self):
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[-1])
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8000
    handler = functools.partial(IsolatedHandler, directory=sys.argv[1])
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        server.serve_forever()


if __name__ == "__main__":
    main()
