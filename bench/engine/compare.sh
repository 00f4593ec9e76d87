#!/usr/bin/env bash
# Plays a 60 s 1920x1080 H.264 + AAC clip to its end under Xvfb (display :72)
# with Tavimo's engine, with gst-launch-1.0 playbin on the same X sink, and
# with mpv --vo=x11, and reports CPU seconds per second of media and peak
# resident memory of each, then the open-to-first-frame benchmark.
#   bench/engine/compare.sh <build dir>
set -euo pipefail
build=${1:?build dir}
clip=${TAVIMO_BENCH_CLIP:-/tmp/tavimo-bench-1080p.mp4}
seconds=60

if [ ! -s "$clip" ]; then
    gst-launch-1.0 -q videotestsrc num-buffers=$((seconds * 25)) pattern=smpte \
        ! video/x-raw,width=1920,height=1080,framerate=25/1 \
        ! x264enc speed-preset=ultrafast key-int-max=50 ! h264parse ! queue ! mux. \
        audiotestsrc num-buffers=$((seconds * 100)) samplesperbuffer=441 \
        ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_aac ! aacparse ! queue ! mux. \
        mp4mux name=mux ! filesink location="$clip"
fi

Xvfb :72 -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X72 ] && break; sleep 0.1; done
export DISPLAY=:72 QT_QPA_PLATFORM=xcb

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

measure tavimo "$build/bench/engine_bench" --play "$clip"
measure playbin gst-launch-1.0 -q playbin uri="file://$clip" video-sink=ximagesink audio-sink=fakesink
measure mpv mpv --really-quiet --vo=x11 --ao=null --no-config "$clip"

TAVIMO_BENCH_CLIP="$clip" "$build/bench/engine_bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
