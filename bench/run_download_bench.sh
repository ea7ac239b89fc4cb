#!/bin/sh
# The download comparison, in one run: vorlane-crawl --download-only against aria2c (-i LIST -j K) and
# wget (-i LIST), K = 8 files at once, on a local server that adds latency to every request:
#   (a) 400 files of 256 KB with 50 ms latency (concurrency matters),
#   (b) 40 files of 5 MB with 20 ms latency (copying matters).
# Runs are interleaved tool by tool; the median of BENCH_REPEAT runs (default 3) is reported with the
# spread. BENCH_MEMORY=1 adds the peak memory of vorlane-crawl with 10,000 downloads queued.
# Usage: bench/run_download_bench.sh [BUILD_DIR]   (a Release build is meant)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build-rel}" && pwd)
crawler=$build/tools/vorlane-crawl
[ -x "$crawler" ] || { echo "no $crawler: cmake -B $build -DCMAKE_BUILD_TYPE=Release && cmake --build $build --target vorlane-crawl" >&2; exit 2; }
for tool in aria2c wget python3; do
    command -v $tool > /dev/null || { echo "$tool is needed (Debian: aria2, wget, python3)" >&2; exit 2; }
done
k=${BENCH_K:-8}
repeat=${BENCH_REPEAT:-3}
work=$(mktemp -d)
server_pid=
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null; rm -rf "$work"; }
trap cleanup EXIT INT TERM

start_server() { # count size latency
    rm -f "$work/ready" # never the port of the server before
    python3 "$here/bench/download_bench_server.py" --count "$1" --size "$2" --latency-ms "$3" > "$work/ready" &
    server_pid=$!
    while ! grep -q READY "$work/ready" 2> /dev/null; do sleep 0.1; done
    port=$(sed -n 's/READY //p' "$work/ready")
    i=0
    : > "$work/list"
    while [ $i -lt "$1" ]; do echo "http://127.0.0.1:$port/f/$i.bin" >> "$work/list"; i=$((i + 1)); done
}

stop_server() { kill "$server_pid"; wait "$server_pid" 2> /dev/null || true; server_pid=; }

# Seconds one tool takes to fetch the list into a fresh folder; fails when a file is missing.
run_tool() { # tool count
    rm -rf "$work/out"; mkdir "$work/out"
    start=$(date +%s.%N)
    case $1 in
    vorlane) "$crawler" -q --concurrency "$k" --download-only "$work/list" --download "$work/out" ;;
    aria2c) aria2c -q -j "$k" -x 1 --file-allocation=none -d "$work/out" -i "$work/list" ;;
    wget) wget -q -P "$work/out" -i "$work/list" ;;
    esac
    end=$(date +%s.%N)
    [ "$(ls "$work/out" | wc -l)" -eq "$2" ] || { echo "$1 fetched $(ls "$work/out" | wc -l) of $2 files" >&2; exit 1; }
    echo "$end - $start" | bc
}

median() { sort -n | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f %.3f %.3f\n", m, v[1], v[NR] }'; }

scenario() { # name count size latency
    echo "($1) $2 files of $3 bytes, $4 ms latency, $k at once, median of $repeat:"
    start_server "$2" "$3" "$4"
    for tool in vorlane aria2c wget; do : > "$work/times.$tool"; done
    r=0
    while [ $r -lt "$repeat" ]; do
        for tool in vorlane aria2c wget; do run_tool $tool "$2" >> "$work/times.$tool"; done
        r=$((r + 1))
    done
    stop_server
    for tool in vorlane aria2c wget; do
        set -- "$1" "$2" "$3" "$4" $(median < "$work/times.$tool")
        mb=$(echo "$2 * $3 / 1048576 / $5" | bc -l)
        printf "  %-8s %7.3f s (%.3f-%.3f)  %8.1f MB/s\n" $tool "$5" "$6" "$7" "$mb"
        eval "t_$tool=$5"
    done
    printf "  vorlane/aria2c throughput %.2f, vorlane/wget %.2f\n" \
        "$(echo "$t_aria2c / $t_vorlane" | bc -l)" "$(echo "$t_wget / $t_vorlane" | bc -l)"
}

scenario a 400 262144 50
scenario b 40 5242880 20

if [ "${BENCH_MEMORY:-0}" = 1 ]; then
    start_server 10000 1024 0
    rm -rf "$work/out"; mkdir "$work/out"
    /usr/bin/time -f "  peak memory with 10,000 downloads: %M KB" \
        "$crawler" -q --concurrency "$k" --download-only "$work/list" --download "$work/out"
    stop_server
fi
