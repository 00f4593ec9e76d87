#!/usr/bin/env bash
# Playback at twice the speed, as a user would ask for it, under Xvfb
# 1920x1200x24: the real tavimo binary (] pressed four times once its window
# shows: 1, 1.1, 1.25, 1.5, 2) against mpv --speed=2 (--vo=x11 --hwdec=no
# --ao=null, its own pitch-keeping filter), interleaved, on 20 s of 1080p30
# H.264 with AAC (the clip of compare.sh, made here when missing). Reports
# medians of
#   cpu    CPU seconds of the player per second of media
#   +X     the same with the X server's CPU during the run added
#   drop   frames dropped (tavimo: its video sink's statistics at the end of
#          stream; mpv: frames dropped by the VO and the decoder)
# and tavimo's ratio to mpv.
#
#   bench/playback/speed.sh <build dir> [rounds (3)]
#
# TAVIMO_BENCH_DISPLAY picks the X display number (73), which must be free; TAVIMO_BENCH_DIR the
# folder of the clip (/tmp/tavimo-playback-bench).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build=$(realpath "${1:?build dir}")
rounds=${2:-3}
display=${TAVIMO_BENCH_DISPLAY:-73}
work=${TAVIMO_BENCH_DIR:-/tmp/tavimo-playback-bench}
mkdir -p "$work"
install_tools mpv xdotool

clip=$work/clip-1080p30.mp4
make_clip "$clip" 1920 1080 20 medium 3
seconds=20

# -noreset: otherwise every player's exit, as the server's last client,
# made it reset (its keymap compiled again by xkbcomp, the root redrawn):
# about 0.1 s of the server's time at each exit, counted to that player or
# not as the reading after it came before or after the reset.
Xvfb :"$display" -screen 0 1920x1200x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work/speed-run"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X"$display" ] && break; sleep 0.1; done
sleep 0.5
# Another X server on that number would take the players' windows.
kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb :$display did not start (in use?)" >&2; exit 1; }
export DISPLAY=:"$display"

# Runs one player at 2x; prints "cpu xcpu dropped".
run() {
    local player=$1 run=$work/speed-run x0 x1 pid child window dropped=NA
    rm -rf "$run" && mkdir -p "$run/config" "$run/runtime" && chmod 700 "$run/runtime"
    local stats=$run/time out=$run/out
    x0=$(cpu_of "$xvfb")
    case $player in
        tavimo)
            GST_DEBUG=tavimo:4 GST_DEBUG_NO_COLOR=1 QT_QPA_PLATFORM=xcb \
                XDG_CONFIG_HOME="$run/config" XDG_RUNTIME_DIR="$run/runtime" \
                /usr/bin/time -o "$stats" -f '%U %S %M' "$build/tavimo" "$clip" >/dev/null 2>"$out" &
            pid=$!
            for _ in $(seq 100); do
                window=$(xdotool search --name "^Tavimo - " 2>/dev/null | head -1 || true)
                [ -n "$window" ] && break
                sleep 0.1
            done
            xdotool windowfocus --sync "$window" key bracketright bracketright bracketright bracketright
            for _ in $(seq $((seconds * 30 + 600))); do
                grep -q "end of stream" "$out" && break
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            child=$(pgrep -P "$pid" || true)
            [ -n "$child" ] && kill "$child"
            wait "$pid" || true
            dropped=$(sed -n 's/.*end of stream: [0-9]* frames rendered, \([0-9]*\) dropped.*/\1/p' "$out" | head -1)
            ;;
        mpv)
            cat >"$run/drops.lua" <<'LUA'
mp.add_hook("on_unload", 50, function()
    io.stderr:write(string.format("mpv dropped %d %d\n",
        mp.get_property_number("frame-drop-count", 0),
        mp.get_property_number("decoder-frame-drop-count", 0)))
end)
LUA
            /usr/bin/time -o "$stats" -f '%U %S %M' mpv --no-config --really-quiet --vo=x11 \
                --hwdec=no --ao=null --speed=2 --script="$run/drops.lua" "$clip" \
                >/dev/null 2>"$out" || true
            dropped=$(awk '/^mpv dropped/ { print $3 + $4 }' "$out" | tail -1)
            ;;
    esac
    x1=$(cpu_of "$xvfb")
    cp "$out" "$work/speed-last-$player.log"
    read -r user sys _ < <(tail -1 "$stats")
    awk -v u="$user" -v s="$sys" -v x0="$x0" -v x1="$x1" -v t="$seconds" -v d="${dropped:-NA}" \
        'BEGIN { printf "%.4f %.4f %s\n", (u + s) / t, (u + s + x1 - x0) / t, d }'
}

results=$work/speed-results
: >"$results"
for round in $(seq "$rounds"); do
    for player in tavimo mpv; do
        # A player the X server turned away (it sometimes does right after
        # the last client closed) runs again.
        for attempt in 1 2 3; do
            sleep 1
            line=$(run "$player")
            [ "$(awk '{ print $3 }' <<<"$line")" != NA ] && break
            echo "$player could not start (attempt $attempt)" >&2
        done
        echo "$player $line" | tee -a "$results" >&2
    done
done
echo "== $(basename "$clip") at 2x (medians of $rounds)"
printf '%-8s %8s %8s %6s\n' player cpu +X drop
for player in tavimo mpv; do
    rows=$(awk -v p="$player" '$1 == p' "$results")
    cpu=$(awk '{ print $2 }' <<<"$rows" | median)
    cpux=$(awk '{ print $3 }' <<<"$rows" | median)
    drop=$(awk '{ print $4 }' <<<"$rows" | median)
    printf '%-8s %8.3f %8.3f %6s\n' "$player" "$cpu" "$cpux" "$drop"
    eval "m_${player}_cpu=$cpu m_${player}_cpux=$cpux"
done
awk -v c="$m_tavimo_cpu" -v x="$m_tavimo_cpux" -v pc="$m_mpv_cpu" -v px="$m_mpv_cpux" \
    'BEGIN { printf "tavimo / mpv at 2x: cpu %.2fx   cpu+X %.2fx\n", c / pc, x / px }'
