#!/usr/bin/env bash
# Plays clips to their end as a user would, under Xvfb 1920x1200x24: the real
# tavimo binary (its window at the clip's native size, the .srt beside the
# clip, subtitles on), playbin (ximagesink, the .srt as suburi, fakesink
# audio) and mpv (--vo=x11 --sub-file --hwdec=no --ao=null), interleaved,
# and reports medians for each:
#   cpu    CPU seconds of the player per second of media
#   +X     the same with the X server's CPU during the run added
#   rss    peak resident memory of the player, MB
#   shown  frames tavimo's video sink rendered (its statistics at the end
#          of stream; "-" for the peers)
#   drop   frames the video sink dropped (tavimo: its sink's statistics,
#          logged at the end of stream; playbin: the sink's last QoS
#          message; mpv: frames dropped by the VO and the decoder)
# then tavimo's ratios to each peer; every round's ratios are printed as the
# round ends, since on a shared machine those of one round are what compare.
#
#   bench/playback/compare.sh <build dir> [rounds (3)]
#
# Clips: 20 s of 1080p30 H.264 (x264 medium, quality 23) with AAC and a
# two-line SubRip cue every 2 s, made here with gst-launch-1.0 (kept in
# TAVIMO_BENCH_DIR, /tmp/tavimo-playback-bench); the same video and audio in
# Matroska with an embedded ASS track of two styled lines (one in karaoke)
# every 2 s, muxed with ffmpeg (playbin draws it through assrender, mpv
# through its own libass); and the demo clip of the build.
# A 4K clip: 10 s of 2160p30 H.264 made the same way, with the first five
# cues. TAVIMO_BENCH_CLIPS chooses among "1080p 4k ass demo" ("1080p ass
# demo" by default).
# TAVIMO_BENCH_DISPLAY picks the X display number (72). mpv and ffmpeg are
# installed from Debian when missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build=$(realpath "${1:?build dir}")
rounds=${2:-3}
display=${TAVIMO_BENCH_DISPLAY:-72}
work=${TAVIMO_BENCH_DIR:-/tmp/tavimo-playback-bench}
mkdir -p "$work"

install_tools mpv ffmpeg

clip1080=$work/clip-1080p30.mp4
make_clip "$clip1080" 1920 1080 20 medium 3
srt1080=${clip1080%.mp4}.srt
if [ ! -s "$srt1080" ]; then
    for i in $(seq 0 9); do
        s=$((i * 2))
        printf '%d\n00:00:%02d,000 --> 00:00:%02d,500\nCue %d of ten, the first line\nand the second line of the cue\n\n' \
            $((i + 1)) "$s" $((s + 1)) $((i + 1))
    done >"$srt1080"
fi
# Ten seconds of 2160p30 H.264 with the first five cues (x264 veryfast: at
# medium the clip takes a shared machine many minutes to make). The picture
# is twice the screen's size, so a player shows it scaled or cut.
clip4k=$work/clip-2160p30.mp4
make_clip "$clip4k" 3840 2160 10 veryfast 6
[ -s "${clip4k%.mp4}.srt" ] || head -n 20 "$srt1080" >"${clip4k%.mp4}.srt"
clipAss=$work/clip-1080p30-ass.mkv
if [ ! -s "$clipAss" ]; then
    {
        printf '[Script Info]\nScriptType: v4.00+\nPlayResX: 1920\nPlayResY: 1080\n\n'
        printf '[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n'
        printf 'Style: Default,DejaVu Sans,64,&H00FFFFFF,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,100,0,0,1,3,2,2,40,40,50,1\n'
        printf 'Style: Top,DejaVu Sans,56,&H0000FFFF,&H00FF0000,&H00202020,&H80000000,-1,-1,0,0,100,100,0,0,1,2,1,8,40,40,40,1\n\n'
        printf '[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n'
        for i in $(seq 0 9); do
            s=$((i * 2))
            printf 'Dialogue: 0,0:00:%02d.00,0:00:%02d.50,Default,,0,0,0,,Cue %d of ten, the first line\\Nand the second line of the cue\n' "$s" $((s + 1)) $((i + 1))
            printf 'Dialogue: 0,0:00:%02d.00,0:00:%02d.50,Top,,0,0,0,,{\\k40}Karaoke {\\k40}sung {\\k40}word {\\k40}by {\\k40}word\n' "$s" $((s + 1))
        done
    } >"$work/ass-track.ass"
    ffmpeg -loglevel error -y -i "$clip1080" -i "$work/ass-track.ass" -map 0 -map 1 -c copy \
        -c:s ass "$clipAss.part.mkv"
    mv "$clipAss.part.mkv" "$clipAss"
fi
demo=$build/demo/demo.mp4
[ -s "$demo" ] && [ -s "${demo%.mp4}.srt" ] || { echo "no demo clip in $build/demo" >&2; exit 1; }

Xvfb :"$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work/run"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X"$display" ] && break; sleep 0.1; done
export DISPLAY=:"$display"
# Runs one player; prints "cpu xcpu rss_kb dropped shown".
# run <player> <clip> <media seconds>
run() {
    local player=$1 clip=$2 seconds=$3 srt=${2%.*}.srt
    local stats=$work/run/time out=$work/run/out x0 x1 pid child dropped=NA shown=-
    rm -rf "$work/run" && mkdir -p "$work/run/config" "$work/run/runtime" && chmod 700 "$work/run/runtime"
    x0=$(cpu_of "$xvfb")
    case $player in
        tavimo)
            # At the end a clip starts again from the beginning: the run ends
            # when the end of stream is logged.
            GST_DEBUG=tavimo:4 GST_DEBUG_NO_COLOR=1 QT_QPA_PLATFORM=xcb \
                XDG_CONFIG_HOME="$work/run/config" XDG_RUNTIME_DIR="$work/run/runtime" \
                /usr/bin/time -o "$stats" -f '%U %S %M' "$build/tavimo" "$clip" >/dev/null 2>"$out" &
            pid=$!
            for _ in $(seq $((seconds * 30 + 600))); do
                grep -qs "end of stream" "$out" && break
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            child=$(pgrep -P "$pid" || true)
            [ -n "$child" ] && kill "$child"
            wait "$pid" || true
            dropped=$(sed -n 's/.*end of stream: [0-9]* frames rendered, \([0-9]*\) dropped.*/\1/p' "$out" | head -1)
            shown=$(sed -n 's/.*end of stream: \([0-9]*\) frames rendered.*/\1/p' "$out" | head -1)
            ;;
        playbin)
            local suburi=()
            [ -s "$srt" ] && suburi=(suburi="file://$srt")
            /usr/bin/time -o "$stats" -f '%U %S %M' gst-launch-1.0 -m playbin uri="file://$clip" \
                "${suburi[@]}" video-sink=ximagesink audio-sink=fakesink >"$out" 2>&1 || true
            dropped=$(grep -o 'dropped=(guint64)[0-9]*' "$out" | tail -1 | sed 's/.*)//')
            dropped=${dropped:-0}
            ;;
        mpv)
            cat >"$work/run/drops.lua" <<'EOF'
mp.add_hook("on_unload", 50, function()
    io.stderr:write(string.format("mpv dropped %d %d\n",
        mp.get_property_number("frame-drop-count", 0),
        mp.get_property_number("decoder-frame-drop-count", 0)))
end)
EOF
            local subfile=()
            [ -s "$srt" ] && subfile=(--sub-file="$srt")
            /usr/bin/time -o "$stats" -f '%U %S %M' mpv --no-config --really-quiet --vo=x11 \
                --hwdec=no --ao=null "${subfile[@]}" --script="$work/run/drops.lua" "$clip" \
                >/dev/null 2>"$out" || true
            dropped=$(awk '/^mpv dropped/ { print $3 + $4 }' "$out" | tail -1)
            ;;
    esac
    x1=$(cpu_of "$xvfb")
    cp "$out" "$work/last-$player.log"
    # time writes "Command terminated by signal" first when the player was ended.
    read -r user sys rss < <(tail -1 "$stats")
    awk -v u="$user" -v s="$sys" -v r="$rss" -v x0="$x0" -v x1="$x1" -v t="$seconds" -v d="${dropped:-NA}" \
        -v n="${shown:-NA}" 'BEGIN { printf "%.4f %.4f %d %s %s\n", (u + s) / t, (u + s + x1 - x0) / t, r, d, n }'
}

clips=()
for want in ${TAVIMO_BENCH_CLIPS:-1080p ass demo}; do
    case $want in
        1080p) clips+=("$clip1080:20") ;;
        ass) clips+=("$clipAss:20") ;;
        4k) clips+=("$clip4k:10") ;;
        demo) clips+=("$demo:10") ;;
        *) echo "unknown clip $want (1080p, 4k, ass, demo)" >&2; exit 2 ;;
    esac
done

results=$work/results
: >"$results"
for round in $(seq "$rounds"); do
    for clip in "${clips[@]}"; do
        for player in tavimo playbin mpv; do
            # A player that could not reach the X server (it sometimes turns
            # a connection away right after the last one closed) runs again.
            for attempt in 1 2 3; do
                sleep 1
                line=$(run "$player" "${clip%:*}" "${clip##*:}")
                [ "$(awk '{ print $3 }' <<<"$line")" -gt 40000 ] && break
                echo "$player could not start (attempt $attempt): $(head -c 300 "$work/last-$player.log")" >&2
            done
            echo "$(basename "${clip%:*}") $player $line" | tee -a "$results" >&2
        done
        tail -3 "$results" | awk '{ cpu[$2] = $3; x[$2] = $4; rss[$2] = $5 }
            END { for (p in cpu) if (p != "tavimo")
                printf "   round: tavimo / %-7s cpu %.2fx   cpu+X %.2fx   rss %.2fx\n", p,
                    cpu["tavimo"] / cpu[p], x["tavimo"] / x[p], rss["tavimo"] / rss[p] }' >&2
    done
    echo "-- round $round done" >&2
done

for entry in "${clips[@]}"; do
    clip=${entry%:*}
    name=$(basename "$clip")
    echo "== $name (medians of $rounds)"
    printf '%-8s %8s %8s %8s %6s %6s\n' player cpu +X rss_MB drop shown
    for player in tavimo playbin mpv; do
        rows=$(awk -v c="$name" -v p="$player" '$1 == c && $2 == p' "$results")
        cpu=$(awk '{ print $3 }' <<<"$rows" | median)
        cpux=$(awk '{ print $4 }' <<<"$rows" | median)
        rss=$(awk '{ print $5 / 1024 }' <<<"$rows" | median)
        drop=$(awk '{ print $6 }' <<<"$rows" | median)
        # The fewest frames shown in any round.
        shown=$(awk '$7 != "-" { print $7 }' <<<"$rows" | sort -n | head -1)
        printf '%-8s %8.3f %8.3f %8.0f %6s %6s\n' "$player" "$cpu" "$cpux" "$rss" "$drop" "${shown:--}"
        eval "m_${player}_cpu=$cpu m_${player}_cpux=$cpux m_${player}_rss=$rss"
    done
    for peer in playbin mpv; do
        awk -v p="$peer" -v c="$m_tavimo_cpu" -v x="$m_tavimo_cpux" -v r="$m_tavimo_rss" \
            -v pc="$(eval echo "\$m_${peer}_cpu")" -v px="$(eval echo "\$m_${peer}_cpux")" \
            -v pr="$(eval echo "\$m_${peer}_rss")" \
            'BEGIN { printf "tavimo / %-7s cpu %.2fx   cpu+X %.2fx   rss %.2fx\n", p, c / pc, x / px, r / pr }'
    done
done
