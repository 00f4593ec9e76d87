#!/usr/bin/env bash
# Stalls through PulseAudio: `runs` rounds (50) of pause, seek, play and the
# speed steps up to 4x and back (clock_bench stall) on a PulseAudio server of
# its own with a null sink, through the libpulse installed. Prints each run
# and the number of stalls; the pulseaudio and libpulse versions first.
#
#   bench/sound/stall.sh <build dir> [runs (50)]
set -euo pipefail
build=$(realpath "${1:?build dir}")
runs=${2:-50}
work=$(mktemp -d /tmp/tavimo-stall-XXXXXX)
server=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
pulseaudio --version
dpkg-query -W -f='libpulse0 ${Version}\n' libpulse0 2>/dev/null || true
clip=$work/tone.mp4
ffmpeg -v error -y -f lavfi -i testsrc=s=320x240:r=25 -f lavfi -i sine=f=440:r=44100 -t 60 \
    -ac 2 -c:v libx264 -preset ultrafast -g 25 -c:a aac "$clip"
. "$(dirname "${BASH_SOURCE[0]}")/server.sh"
start_sound_server "$work" "module-null-sink sink_name=null"
PULSE_SERVER=unix:$work/native QT_QPA_PLATFORM=offscreen "$build/bench/clock_bench" stall "$clip" "$runs" 2>/dev/null
