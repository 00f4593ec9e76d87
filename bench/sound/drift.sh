#!/usr/bin/env bash
# Lip sync against a sound card running off pace: a PulseAudio server of its
# own whose only sink is a pipe read by card.py at PACE (0.98: 2 % slow)
# times the nominal rate, and the player (clock_bench drift, pulsesink, the
# picture kept to the clock) on a clip whose sound beeps at every whole
# second. For each second of the clip it pairs when the picture of that
# second was shown with when its beep was read, and prints the slope of
# (sound - picture) over the clip: how far the picture moves away from the
# sound each second, in ms/s (0 = the picture follows the card), for the
# card's clock and, for comparison, the system clock (as Tavimo played
# before). The offset itself includes the pipe's buffer.
#
#   bench/sound/drift.sh <build dir> [seconds (60)] [pace (0.98)]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:?build dir}")
seconds=${2:-60}
pace=${3:-0.98}
work=$(mktemp -d /tmp/tavimo-drift-XXXXXX)
clip=$work/beeps.mkv
ffmpeg -v error -y -f lavfi -i "testsrc=s=320x240:r=25:d=$((seconds + 10))" -f lavfi \
    -i "aevalsrc='if(lt(mod(t,1),0.01),0.5*sin(2*PI*1000*t),0)':s=44100:d=$((seconds + 10))" \
    -ac 2 -c:v libx264 -preset ultrafast -g 25 -c:a pcm_s16le "$clip"

. "$here/server.sh"
server=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    [ -n "${TAVIMO_BENCH_KEEP:-}" ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT

# One run: "<label> <slope ms/s> <pairs>".
run() {
    local label=$1 folder=$work/$1
    mkdir -p "$folder"
    mkfifo "$folder/card"
    start_sound_server "$folder" \
        "module-pipe-sink sink_name=card file=$folder/card rate=44100 channels=2 format=s16le"
    python3 "$here/card.py" "$folder/card" "$pace" $((seconds + 8)) >"$folder/sound" &
    local card=$!
    PULSE_SERVER=unix:$folder/native QT_QPA_PLATFORM=offscreen "${@:2}" \
        "$build/bench/clock_bench" drift "$clip" "$seconds" >"$folder/picture" 2>/dev/null || true
    kill "$card" 2>/dev/null || true
    wait "$card" 2>/dev/null || true
    kill "$server" && wait "$server" 2>/dev/null || true
    server=
    python3 - "$label" "$folder/picture" "$folder/sound" <<'PY'
import sys
label, picture, sound = sys.argv[1:]
def read(path, tag):
    out = {}
    for line in open(path):
        kind, second, us = line.split()
        if kind == tag:
            out.setdefault(int(second), int(us))
    return out
shown, heard = read(picture, "picture"), read(sound, "sound")
# Paired by the clip's own seconds, after the first 12: the server learns a
# card's pace over about 10 s (a 2 % error moves the sound by some 300 ms
# meanwhile; 50 ppm by under 1 ms).
pairs = [(s, (heard[s] - shown[s]) / 1000.0) for s in sorted(shown) if s in heard and s >= 12]
n = len(pairs)
if n < 3:
    print(f"{label} no figure ({n} pairs)")
    sys.exit()
mx = sum(s for s, _ in pairs) / n
my = sum(d for _, d in pairs) / n
slope = sum((s - mx) * (d - my) for s, d in pairs) / sum((s - mx) ** 2 for s, _ in pairs)
fit = [my + slope * (s - mx) for s, _ in pairs]
worst = max(abs(d - f) for (_, d), f in zip(pairs, fit))
print(f"{label} {slope:+.2f} ms/s over {n} s (sound-picture from {pairs[0][1]:+.0f} to "
      f"{pairs[-1][1]:+.0f} ms, within {worst:.0f} ms of the line)")
PY
}

run card env
run system env TAVIMO_BENCH_SYSTEM_CLOCK=1
