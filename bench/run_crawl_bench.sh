#!/bin/sh
# The crawl-throughput comparison: vorlane-crawl against wget, HTTrack and Scrapy on the harness's generated
# 2,000-page site, served on 127.0.0.1 with 20 ms latency, at depths 3 and 5, eight transfers in flight
# (BENCH_K=16 for sixteen, the concurrency the harness gives HTTrack and Scrapy; BENCH_TOOLS=none for
# vorlane-crawl alone, BENCH_REPEAT=3 for the median of three).
# Usage: bench/run_crawl_bench.sh [BUILD_DIR] [HARNESS_DIR]   (a Release build is meant)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build-rel}" && pwd)
harness=${2:-$here/../shared/bench}
crawler=$build/tools/vorlane-crawl
[ -x "$crawler" ] || { echo "no $crawler: cmake -B $build -DCMAKE_BUILD_TYPE=Release && cmake --build $build --target vorlane-crawl" >&2; exit 2; }
site=${BENCH_SITE:-/tmp/vorlane-bench-site}
k=${BENCH_K:-8}
out=${BENCH_JSON:-$build/crawl-bench-k$k.json}
[ -f "$site/expected.json" ] || python3 "$harness/gen_site.py" --out "$site" --port 8765
cd "$harness"
python3 run_peers.py --site "$site" --depths 3,5 --latency-ms 20 --ref wget \
    --candidate "$crawler -q --concurrency $k --types .mp3,.ogg,.jpg --depth {levels} {url}" \
    --candidate-name vorlane-crawl-k$k --candidate-k "$k" --json "$out" ${BENCH_REPEAT:+--repeat $BENCH_REPEAT} \
    ${BENCH_TOOLS:+--tools $BENCH_TOOLS}
