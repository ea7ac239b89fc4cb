#!/bin/bash
# The big-page site (bench/big_page_site.py) crawled to depth 2 by vorlane-crawl: wall, user and system CPU
# seconds and the files printed, per run.
# Usage: bench/run_big_page_bench.sh [CRAWLER=build/tools/vorlane-crawl] [RUNS=5]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
crawler=${1:-$here/build/tools/vorlane-crawl}
runs=${2:-5}
fifo=$(mktemp -u); mkfifo "$fifo"
python3 "$here/bench/big_page_site.py" --max-seconds 900 >"$fifo" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$fifo"' EXIT
read -r _ port _ <"$fifo"
TIMEFORMAT='%R %U %S'
echo "run wall_s user_s sys_s files"
for run in $(seq "$runs"); do
    out=$(mktemp)
    t=$( { time "$crawler" -q --concurrency 8 --types .mp3 --depth 2 "http://127.0.0.1:$port/" >"$out" 2>/dev/null; } 2>&1 )
    echo "$run $t $(wc -l <"$out")"
    rm -f "$out"
done
