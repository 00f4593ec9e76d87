#!/usr/bin/env bash
# Plays 60 s 1920x1080 H.264 + AAC clips to their end under Xvfb with Tavimo's
# engine, with gst-launch-1.0 playbin on the same X sink, and with mpv
# --vo=x11, and reports CPU seconds per second of media and peak resident
# memory of each, then the open-to-first-frame benchmark.
#   bench/engine/compare.sh <build dir> [baseline engine_bench]
# Two clips: 8-bit 4:2:0 (what H.264 content nearly always is) and 10-bit
# 4:4:4 (High 4:4:4, where the colour conversion dominates). A second
# engine_bench, e.g. one built from an older commit, is measured in the same
# run as "base". TAVIMO_BENCH_DISPLAY picks the X display number (72).
set -euo pipefail
build=${1:?build dir}
base=${2:-}
display=${TAVIMO_BENCH_DISPLAY:-72}
seconds=60

# clip path, raw format x264enc encodes from
make_clip() {
    [ -s "$1" ] && return
    gst-launch-1.0 -q videotestsrc num-buffers=$((seconds * 25)) pattern=smpte \
        ! video/x-raw,format="$2",width=1920,height=1080,framerate=25/1 \
        ! x264enc speed-preset=ultrafast key-int-max=50 ! h264parse ! queue ! mux. \
        audiotestsrc num-buffers=$((seconds * 100)) samplesperbuffer=441 \
        ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_aac ! aacparse ! queue ! mux. \
        mp4mux name=mux ! filesink location="$1"
}
clip420=/tmp/tavimo-bench-1080p-420.mp4
clip444=/tmp/tavimo-bench-1080p-444p10.mp4
make_clip "$clip420" I420
make_clip "$clip444" Y444_10LE

Xvfb :"$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X"$display" ] && break; sleep 0.1; done
export DISPLAY=:"$display" QT_QPA_PLATFORM=xcb

measure() {  # name, command...
    local name=$1 stats
    shift
    stats=$(mktemp)
    /usr/bin/time -o "$stats" -f '%U %S %M %x' "$@" >/dev/null 2>&1 || true
    read -r user sys rss status <"$stats"
    rm -f "$stats"
    awk -v n="$name" -v u="$user" -v s="$sys" -v r="$rss" -v x="$status" -v t=$seconds \
        'BEGIN { printf "%-8s cpu %.3f s per media s   peak rss %d MB   exit %s\n", n, (u + s) / t, r / 1024, x }'
}

for clip in "$clip420" "$clip444"; do
    echo "== $clip"
    measure tavimo "$build/bench/engine_bench" --play "$clip"
    [ -n "$base" ] && measure base "$base" --play "$clip"
    measure playbin gst-launch-1.0 -q playbin uri="file://$clip" video-sink=ximagesink audio-sink=fakesink
    measure mpv mpv --really-quiet --vo=x11 --ao=null --no-config "$clip"
done

TAVIMO_BENCH_CLIP="$clip420" "$build/bench/engine_bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
