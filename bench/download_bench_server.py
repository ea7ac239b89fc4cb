#!/usr/bin/env python3
"""Serves N generated files of one size on 127.0.0.1 for the download benchmark.

  python3 download_bench_server.py --count N --size BYTES --latency-ms L

GET and HEAD /f/<i>.bin (0 <= i < N) answer the same in-memory body with its Content-Length, after L ms
(in the connection's thread, so concurrent requests overlap as across a network); keep-alive HTTP/1.1;
Range requests get their part. Prints "READY <port>" once listening; ends on SIGTERM.
"""
import argparse
import re
import signal
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--count', type=int, required=True)
    parser.add_argument('--size', type=int, required=True)
    parser.add_argument('--latency-ms', type=int, default=0)
    args = parser.parse_args()
    body = bytes((i * 31 + i // 1021) & 0xff for i in range(args.size))
    latency = args.latency_ms / 1000.0

    class Handler(BaseHTTPRequestHandler):
        protocol_version = 'HTTP/1.1'

        def log_message(self, *unused):
            pass

        def answer(self, with_body):
            time.sleep(latency)
            match = re.fullmatch(r'/f/(\d+)\.bin', self.path)
            if not match or int(match.group(1)) >= args.count:
                self.send_response(404)
                self.send_header('Content-Length', '0')
                self.end_headers()
                return
            start, end = 0, len(body)
            ranged = re.fullmatch(r'bytes=(\d+)-(\d*)', self.headers.get('Range', ''))
            if ranged:
                start = int(ranged.group(1))
                end = int(ranged.group(2)) + 1 if ranged.group(2) else len(body)
                self.send_response(206)
                self.send_header('Content-Range', 'bytes %d-%d/%d' % (start, end - 1, len(body)))
            else:
                self.send_response(200)
            self.send_header('Content-Type', 'application/octet-stream')
            self.send_header('Content-Length', str(end - start))
            self.end_headers()
            if with_body:
                self.wfile.write(memoryview(body)[start:end])

        def do_GET(self):
            self.answer(True)

        def do_HEAD(self):
            self.answer(False)

    server = ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    server.daemon_threads = True
    signal.signal(signal.SIGTERM, lambda *unused: sys.exit(0))
    print('READY %d' % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == '__main__':
    main()
