#!/usr/bin/env python3
"""The big-page site, served on 127.0.0.1: 8 pages of about 4 MB, each with 24,000 links to .mp3 files and
24,000 links to pages of the site (to its 8 pages, each link with its own fragment), so a crawl of depth 2
fetches the 8 pages and meets 192,000 distinct file links.

  python3 big_page_site.py [--port 0] [--pages 8] [--links 24000] [--max-seconds 600]

Prints "READY <port>" once it listens; answers HTTP/1.1 with keep-alive from memory; ends on SIGTERM or
after --max-seconds.
"""

import argparse
import os
import signal
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def page(index, pages, links):
    parts = ['<!DOCTYPE html><html><head><title>Page %d</title></head><body><h1>Page %d</h1>\n' % (index, index)]
    for j in range(links):
        parts.append('<p>Track %d of album %d, found on page %d: <a href="/media/p%d/album-%04d/track-%06d.mp3">'
                     'listen</a> or read more on <a href="page%d.html#part-%06d">page %d</a>.</p>\n'
                     % (j, j // 100, index, index, j // 100, j, j % pages, j, j % pages))
    parts.append('</body></html>\n')
    return ''.join(parts).encode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--pages', type=int, default=8)
    parser.add_argument('--links', type=int, default=24000)
    parser.add_argument('--max-seconds', type=float, default=600)
    args = parser.parse_args()
    bodies = {'/page%d.html' % i: page(i, args.pages, args.links) for i in range(args.pages)}
    bodies['/'] = bodies['/page0.html']

    class Handler(BaseHTTPRequestHandler):
        protocol_version = 'HTTP/1.1'

        def do_GET(self):
            body = bodies.get(self.path.split('#')[0])
            status = 200 if body is not None else 404
            body = body if body is not None else b'not here'
            self.send_response(status)
            self.send_header('Content-Type', 'text/html; charset=utf-8')
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = ThreadingHTTPServer(('127.0.0.1', args.port), Handler)
    server.daemon_threads = True
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    timer = threading.Timer(args.max_seconds, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    print('READY %d %d' % (server.server_address[1], len(bodies['/'])), flush=True)
    sys.stdout.close()
    server.serve_forever()


if __name__ == '__main__':
    main()
