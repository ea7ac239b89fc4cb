#!/bin/sh
# A/B comparison of two vorlane-crawl builds on the harness's generated 2,000-page site (20 ms latency,
# eight transfers), depth 5 by default: the runs alternate A, B, A, B, ... each against a fresh server, and
# the wall times of each side are printed with their median, mean and spread. Use it to show that a change
# costs the crawl nothing measurable (e.g. A: a build of main, B: the same with the change).
# Usage: bench/compare_crawl_builds.sh BUILD_A BUILD_B [RUNS] [EXTRA_ARGS_FOR_B]
#   BENCH_DEPTH (5), BENCH_K (8), BENCH_PORT (8781), BENCH_SITE (/tmp/vorlane-ab-site)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
harness=${BENCH_HARNESS:-$here/../shared/bench}
a=$1/tools/vorlane-crawl
b=$2/tools/vorlane-crawl
runs=${3:-5}
extra_b=${4:-}
depth=${BENCH_DEPTH:-5}
k=${BENCH_K:-8}
port=${BENCH_PORT:-8781}
site=${BENCH_SITE:-/tmp/vorlane-ab-site}
for crawler in "$a" "$b"; do [ -x "$crawler" ] || { echo "no $crawler" >&2; exit 2; }; done
[ -f "$site/expected.json" ] || python3 "$harness/gen_site.py" --out "$site" --port "$port" >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Prints the wall seconds and the files found of one crawl against a fresh server; a run that found
# nothing (a server not yet up, a crawler that failed) is taken again.
one_run() {
    for attempt in 1 2 3; do
        line=$(timed_run "$@")
        [ "${line#* }" != 0 ] && break
        echo "run $attempt of $1 found nothing; again" >&2
    done
    echo "$line"
}

timed_run() {
    python3 "$harness/serve.py" --site "$site" --port "$port" --latency-ms 20 --max-seconds 300 \
        >"$scratch/serve.out" 2>/dev/null &
    server=$!
    until grep -q READY "$scratch/serve.out" 2>/dev/null; do
        kill -0 "$server" 2>/dev/null || { echo "0 0"; return; }
        sleep 0.05
    done
    start=$(date +%s.%N)
    # shellcheck disable=SC2086
    "$@" -q --concurrency "$k" --types .mp3,.ogg,.jpg --depth $((depth + 1)) \
        "http://127.0.0.1:$port/index.html" >"$scratch/found.txt" || true
    end=$(date +%s.%N)
    kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true
    echo "$start $end $(wc -l <"$scratch/found.txt")" | awk '{ printf "%.3f %d\n", $2 - $1, $3 }'
}

: >"$scratch/a.txt"; : >"$scratch/b.txt"
i=1
while [ "$i" -le "$runs" ]; do
    one_run "$a" >>"$scratch/a.txt"
    # shellcheck disable=SC2086
    one_run "$b" $extra_b >>"$scratch/b.txt"
    i=$((i + 1))
done
for side in a b; do
    sort -n "$scratch/$side.txt" | awk -v side="$side" '
        { t[NR] = $1; sum += $1; files = $2 }
        END { median = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
              printf "%s: runs %d, median %.3f s, mean %.3f s, min %.3f s, max %.3f s, files %d\n",
                     side, NR, median, sum / NR, t[1], t[NR], files }'
    printf '   runs:'; awk '{ printf " %s", $1 }' "$scratch/$side.txt"; echo
done
