#!/usr/bin/env bash
# Reads the same generated 20 MB SubRip file with Tavimo's reader (the
# subtitle_bench program) and with GStreamer's subparse
# (filesrc ! subparse ! fakesink), in one run, and prints both throughputs
# and their ratio.
#   bench/subtitles/compare-subparse.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
bench="$build/bench/subtitle_bench"
[ -x "$bench" ] || { echo "no $bench: build the subtitle_bench target first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/film.srt"
"$bench" --generate "$file"
bytes=$(stat -c %s "$file")
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nx\r\n\r\n' > "$work/tiny.srt"

# Tavimo: bytes per second as Google Benchmark measured them.
TAVIMO_BENCH_SRT="$file" "$bench" --benchmark_filter=BM_ReadSubRipFile \
    --benchmark_format=json --benchmark_out="$work/ours.json" >/dev/null
ours=$(python3 -c 'import json,sys; b=json.load(open(sys.argv[1]))["benchmarks"][0]; print(b["bytes_per_second"]/1e6)' "$work/ours.json")

# subparse: best of three wall-clock runs, less the start-up of gst-launch
# itself (best of three runs on a one-block file).
best_seconds() {
    local best="" t0 t1 s
    for _ in 1 2 3; do
        t0=$(date +%s%N)
        gst-launch-1.0 -q filesrc location="$1" ! subparse ! fakesink >/dev/null
        t1=$(date +%s%N)
        s=$(python3 -c "print(($t1 - $t0) / 1e9)")
        if [ -z "$best" ] || python3 -c "import sys; sys.exit(0 if $s < $best else 1)"; then best=$s; fi
    done
    echo "$best"
}
full=$(best_seconds "$file")
startup=$(best_seconds "$work/tiny.srt")

python3 - "$bytes" "$ours" "$full" "$startup" <<'PY'
import sys
size, ours, full, startup = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
raw = size / full / 1e6
net = size / max(full - startup, 1e-9) / 1e6
print(f"file: {size / 1e6:.1f} MB SubRip")
print(f"tavimo ReadSubRip:  {ours:8.1f} MB/s")
print(f"subparse:           {raw:8.1f} MB/s  ({full:.3f} s; {net:.1f} MB/s without "
      f"gst-launch start-up of {startup:.3f} s)")
print(f"ratio tavimo/subparse: {ours / raw:.1f}x  ({ours / net:.1f}x against start-up-free subparse)")
PY
