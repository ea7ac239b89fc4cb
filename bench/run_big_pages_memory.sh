#!/bin/sh
# Peak memory of vorlane-crawl while pages of nearly the page cap are fetched far ahead of the crawl: a
# start page linking 48 pages of 7.5 MB each (a few links each, filler otherwise), served by Python's
# threading HTTP server (with a deep listen backlog), crawled at depth 2 with 64 transfers in flight. What the bodies fetched ahead may
# hold is bounded by the fetcher's byte budget, so the peak stays far below 48 × 7.5 MB.
# Usage: bench/run_big_pages_memory.sh [BUILD_DIR]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
crawler=$build/tools/vorlane-crawl
[ -x "$crawler" ] || { echo "no $crawler" >&2; exit 2; }
site=${BENCH_SITE:-/tmp/vorlane-big-pages}
port=${BENCH_PORT:-8766}
if [ ! -f "$site/index.html" ]; then
    mkdir -p "$site"
    python3 - "$site" <<'PY'
import sys
site = sys.argv[1]
filler = ("<p>" + "lorem ipsum dolor sit amet " * 36 + "</p>\n") * 7500
with open(f"{site}/index.html", "w") as index:
    index.write("<html><body>" + "".join(f'<a href="p{i}.html">p{i}</a>' for i in range(48)) + "</body></html>")
for i in range(48):
    with open(f"{site}/p{i}.html", "w") as page:
        page.write(f'<html><body><a href="f{i}.mp3">f</a>' + filler + "</body></html>")
PY
fi
# Python's own server listens with a backlog of 5: 64 connections at once would wait for SYN retries.
python3 - "$site" "$port" >/dev/null 2>&1 <<'PY' &
import functools, http.server, sys
class Server(http.server.ThreadingHTTPServer):
    request_queue_size = 256
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
Server(("127.0.0.1", int(sys.argv[2])), handler).serve_forever()
PY
server=$!
trap 'kill $server' EXIT
sleep 1
/usr/bin/time -f "%e s wall, %U s user, %S s system, peak resident %M KiB" \
    "$crawler" -q --concurrency 64 --types .mp3 --depth 2 "http://127.0.0.1:$port/index.html" | wc -l
