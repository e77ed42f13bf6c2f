#!/usr/bin/env python3
"""Serves the web build (build/web) on 127.0.0.1 with the headers its
_headers file gives (the two that WebAssembly threads need). --no-isolation
leaves them out, as a host that cannot set headers would (the page's service
worker then adds them)."""
import argparse
import fnmatch
import functools
import http.server
import os
import sys


def read_headers(path):
    """The (path pattern, name, value) rows of a _headers file."""
    rows, pattern = [], None
    with open(path) as lines:
        for line in lines:
            if not line.strip() or line.startswith('#'):
                continue
            if not line[0].isspace():
                pattern = line.strip()
            elif pattern:
                name, value = line.strip().split(':', 1)
                rows.append((pattern, name.strip(), value.strip()))
    return rows


class Handler(http.server.SimpleHTTPRequestHandler):
    headers_rows = []

    def guess_type(self, path):
        for pattern, name, value in self.headers_rows:
            if name.lower() == 'content-type' and fnmatch.fnmatch('/' + os.path.basename(path), pattern):
                return value
        return super().guess_type(path)

    def end_headers(self):
        path = self.path.split('?', 1)[0]
        for pattern, name, value in self.headers_rows:
            if fnmatch.fnmatch(path, pattern) and name.lower() != 'content-type':
                self.send_header(name, value)
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
    root = os.path.abspath(args.root)
    headers_file = os.path.join(root, '_headers')
    if not os.path.exists(headers_file):
        sys.exit(f'web-server: no _headers in {root}: is it the web build?')
    # A host that cannot set headers still serves each file with its type.
    Handler.headers_rows = [row for row in read_headers(headers_file)
                            if not (args.no_isolation and row[1].lower().startswith('cross-origin'))]
    Handler.extensions_map = {**Handler.extensions_map, '.js': 'text/javascript'}
    handler = functools.partial(Handler, directory=root)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', args.port), handler)
    print(f'http://127.0.0.1:{server.server_address[1]}/', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        sys.exit(0)


if __name__ == '__main__':
    main()
