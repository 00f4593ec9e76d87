#!/usr/bin/env bash
# Night mode against a film-like clip (tests/support/film_clip.py: dialogue
# at about -30 LUFS, a music bed at -26 LUFS, bursts of effects reaching -8
# LUFS short-term and -1 dBTP), stereo and 5.1 with the dialogue in the
# centre. The player (night_bench play) plays each clip with night mode off
# and on through pulsesink into a PulseAudio null sink of the script's own
# (stereo, float, 48 kHz; the server mixes 5.1 down), recorded from its
# monitor with parec. ffmpeg's dynaudnorm and loudnorm (one pass, defaults)
# filter the same clips as peers, mixed down to stereo the same way.
# night_measure.py gives each line's figures; then night_bench's cost per
# second of sound.
#
#   bench/sound/night.sh <build dir>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source=$(cd "$here/../.." && pwd)
build=$(realpath "${1:?build dir}")
work=$(mktemp -d /tmp/tavimo-night-XXXXXX)
server=

cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    [ -n "${TAVIMO_BENCH_KEEP:-}" ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT

python3 "$source/tests/support/film_clip.py" "$work/clip" >/dev/null
for n in 2 6; do
    ffmpeg -v error -y -f lavfi -i testsrc=s=160x120:r=10 -i "$work/clip/film$n.wav" -t 60 \
        -c:v libx264 -preset ultrafast -c:a flac "$work/film$n.mkv"
done

. "$here/server.sh"
start_sound_server "$work/pulse" \
    "module-null-sink sink_name=night rate=48000 channels=2 format=float32le"
export PULSE_SERVER=unix:$work/pulse/native

measure() {
    printf '%-8s %-11s ' "$1" "$2"
    python3 "$here/night_measure.py" "$3" "$work/clip" "$1"
}

for n in 2 6; do
    label=$([ "$n" = 2 ] && echo stereo || echo 5.1)
    for mode in off on; do
        wav=$work/$mode$n.wav
        parec -d night.monitor --format=float32le --rate=48000 --channels=2 \
            --file-format=wav "$wav" &
        recorder=$!
        sleep 0.3
        QT_QPA_PLATFORM=offscreen "$build/bench/night_bench" play "$work/film$n.mkv" "$mode" \
            2>/dev/null
        kill -INT "$recorder" && wait "$recorder" || true
        measure "$n" "$mode" "$wav" | sed "s/^$n /$label/"
    done
    for peer in dynaudnorm loudnorm; do
        ffmpeg -v error -y -i "$work/clip/film$n.wav" -af "$peer" -ar 48000 -ac 2 \
            -c:a pcm_f32le "$work/$peer$n.wav"
        measure "$n" "$peer" "$work/$peer$n.wav" | sed "s/^$n /$label/"
    done
done

echo "night mode's cost per second of sound at 48 kHz (2 and 6 channels):"
"$build/bench/night_bench" --benchmark_filter=NightDsp 2>/dev/null | grep NightDsp
