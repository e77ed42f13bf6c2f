#!/usr/bin/env python3
"""Serves the web build (build/web) on 127.0.0.1 with the two headers that
WebAssembly threads need. --no-isolation leaves them out, as a host that
cannot set headers would (the page's service worker then adds them)."""
import argparse
import functools
import http.server
import os
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    isolation = True

    def end_headers(self):
        if self.isolation:
            self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
            self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        self.send_header('Cache-Control', 'no-store')
        super().end_headers()

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--port', type=int, default=8000)
    parser.add_argument('--root', default=os.path.join(os.path.dirname(__file__), '..', 'build', 'web'))
    parser.add_argument('--no-isolation', action='store_true')
    args = parser.parse_args()
    Handler.isolation = not args.no_isolation
    Handler.extensions_map = {**Handler.extensions_map, '.wasm': 'application/wasm', '.js': 'text/javascript',
                              '.webmanifest': 'application/manifest+json'}
    handler = functools.partial(Handler, directory=os.path.abspath(args.root))
    server = http.server.ThreadingHTTPServer(('127.0.0.1', args.port), handler)
    print(f'http://127.0.0.1:{server.server_address[1]}/', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        sys.exit(0)


if __name__ == '__main__':
    main()
