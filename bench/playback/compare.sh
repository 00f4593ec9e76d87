#!/usr/bin/env bash
# Plays clips to their end as a user would, under Xvfb 1920x1200x24, one
# player after the other in interleaved rounds (the first turn passing from
# player to player), and prints a table per clip:
#   tavimo   the real binary (its window at the clip's size, the .srt beside
#            the clip, subtitles on)
#   vlc      cvlc --vout=xcb_x11 --aout=adummy --avcodec-hw=none (Debian's
#            VLC, installed here; as root run as the user tavimo-bench, which
#            is made here, since VLC refuses root)
#   playbin  gst-launch-1.0 playbin, ximagesink, the .srt as suburi, fakesink audio
#   mpv      mpv --vo=x11 --hwdec=no --ao=null --sub-file
#   gstfloor the bare GStreamer pipeline: decodebin ! videoconvert ! ximagesink
#            (audio to a synchronised fakesink)
#   ffmpeg   the machine's floor: decoding and libswscale's conversion to
#            bgr0 as fast as it goes (ffmpeg -threads 1 ... -pix_fmt bgr0 -f null)
# Columns (medians of the rounds):
#   cpu    CPU seconds of the player per second of media
#   +X     the same with the X server's CPU during the run added
#   drop   frames dropped (tavimo: its sink's statistics; playbin: the last
#          QoS message; mpv: VO and decoder drops; vlc: pictures it logged
#          as too late)
#   shown  frames tavimo's sink rendered ("-" for the others)
#   rss, pss  peak resident and proportional memory, MB (/proc smaps_rollup,
#          sampled every 0.5 s): Qt's and GStreamer's library pages are
#          shared with the rest of a desktop, which PSS shows
#   own    what the player allocated itself: Pss_Anon + Pss_Shmem, MB
# then tavimo's ratios to vlc, playbin and mpv; each round's ratios are also
# printed as it ends, since on a shared machine those of one round are what
# compare. The load average is printed at the start and the end.
#
#   bench/playback/compare.sh <build dir> [rounds (3)]
#
# Clips (made here with gst-launch-1.0 and ffmpeg, kept in TAVIMO_BENCH_DIR,
# /tmp/tavimo-playback-bench): "1080p" 20 s of 1080p30 H.264 (x264 medium,
# quality 23) with AAC and a two-line SubRip cue every 2 s; "4k" 10 s of
# 2160p30 the same way with the first five cues; "ass" the 1080p clip in
# Matroska with an embedded ASS track, flagged default, of two styled,
# outlined lines every 2 s (the top one karaoke, moving across); "720p-fs"
# 20 s of 720p30 with the cues, shown full screen
# (scaled to 1920x1080 on the 1920x1200 screen: tavimo's F key, vlc
# --fullscreen with its window made the screen's size, mpv --fs, playbin
# and the floors scaling to 1920x1080);
# "demo" the build's demo clip. TAVIMO_BENCH_CLIPS chooses among them
# ("1080p 4k ass 720p-fs" by default), TAVIMO_BENCH_PLAYERS among the
# players (all by default), TAVIMO_BENCH_DISPLAY the X display (72).
# TAVIMO_BENCH_BASELINE=<another build dir> adds that build's tavimo as the
# player "baseline" (before and after a change, in the same rounds).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build=$(realpath "${1:?build dir}")
rounds=${2:-3}
display=${TAVIMO_BENCH_DISPLAY:-72}
work=${TAVIMO_BENCH_DIR:-/tmp/tavimo-playback-bench}
mkdir -p "$work"

install_tools mpv ffmpeg xdotool
install_vlc
make_bench_user

# The clips, each made (once, kept in the folder) only when it is asked for.
clip1080=$work/clip-1080p30.mp4
srt1080=${clip1080%.mp4}.srt
clip4k=$work/clip-2160p30.mp4
clipAss=$work/clip-1080p30-ass-moving.mkv
clip720=$work/clip-720p30.mp4
make_1080p() {
    make_clip "$clip1080" 1920 1080 20 medium 3
    if [ ! -s "$srt1080" ]; then
        for i in $(seq 0 9); do
            s=$((i * 2))
            printf '%d\n00:00:%02d,000 --> 00:00:%02d,500\nCue %d of ten, the first line\nand the second line of the cue\n\n' \
                $((i + 1)) "$s" $((s + 1)) $((i + 1))
        done >"$srt1080"
    fi
}
make_4k() {
    make_1080p  # for its cues
    # Ten seconds of 2160p30 H.264 with the first five cues (x264 veryfast: at
    # medium the clip takes a shared machine many minutes to make). The picture
    # is twice the screen's size, so a player shows it scaled or cut.
    make_clip "$clip4k" 3840 2160 10 veryfast 6
    [ -s "${clip4k%.mp4}.srt" ] || head -n 20 "$srt1080" >"${clip4k%.mp4}.srt"
}
make_ass() {
    make_1080p
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
                printf 'Dialogue: 0,0:00:%02d.00,0:00:%02d.50,Top,,0,0,0,,{\\move(760,40,1160,40)\\k40}Karaoke {\\k40}sung {\\k40}word {\\k40}by {\\k40}word\n' "$s" $((s + 1))
            done
        } >"$work/ass-track.ass"
        ffmpeg -loglevel error -y -i "$clip1080" -i "$work/ass-track.ass" -map 0 -map 1 -c copy \
            -c:s ass -disposition:s:0 default "$clipAss.part.mkv"
        mv "$clipAss.part.mkv" "$clipAss"
    fi
}
make_720p() {
    make_1080p  # for its cues
    # 720p, shown full screen: scaled up to the screen's width.
    make_clip "$clip720" 1280 720 20 medium 3
    [ -s "${clip720%.mp4}.srt" ] || cp "$srt1080" "${clip720%.mp4}.srt"
}
demo=$build/demo/demo.mp4
players=${TAVIMO_BENCH_PLAYERS:-tavimo vlc playbin mpv gstfloor ffmpeg}
baseline=${TAVIMO_BENCH_BASELINE:-}
if [ -n "$baseline" ]; then
    baseline=$(realpath "$baseline")
    players="tavimo baseline ${players/tavimo/}"
fi
clips=()
for want in ${TAVIMO_BENCH_CLIPS:-1080p 4k ass 720p-fs}; do
    case $want in
        1080p) make_1080p; clips+=("$clip1080:20:window") ;;
        4k) make_4k; clips+=("$clip4k:10:window") ;;
        ass) make_ass; clips+=("$clipAss:20:window") ;;
        720p-fs) make_720p; clips+=("$clip720:20:full") ;;
        demo)
            [ -s "$demo" ] || { echo "no demo clip in $build/demo" >&2; exit 1; }
            clips+=("$demo:10:window")
            ;;
        *) echo "unknown clip $want (1080p, 4k, ass, 720p-fs, demo)" >&2; exit 2 ;;
    esac
done

# -noreset: otherwise every player's exit, as the server's last client,
# made it reset (its keymap compiled again by xkbcomp, the root redrawn):
# about 0.1 s of the server's time at each exit, counted to that player or
# not as the reading after it came before or after the reset.
Xvfb :"$display" -screen 0 1920x1200x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work/run"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X"$display" ] && break; sleep 0.1; done
sleep 0.5
kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb :$display did not start (in use?)" >&2; exit 1; }
export DISPLAY=:"$display"
# The benchmark's own user may draw on this server.
[ "$(id -u)" = 0 ] && xhost +si:localuser:"$bench_user" >/dev/null 2>&1 || true

# Waits while the player under `pid` runs, at most `limit` tenths of a
# second, or until `pattern` shows in `log`.
wait_for() {
    local pid=$1 limit=$2 log=$3 pattern=$4
    for _ in $(seq "$limit"); do
        [ -n "$pattern" ] && grep -qs "$pattern" "$log" && return 0
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
}

# Runs one player on one clip; prints "cpu xcpu rss_kb pss_kb own_kb dropped shown".
# run <player> <clip> <media seconds> <window|full>
run() {
    local player=$1 clip=$2 seconds=$3 mode=$4 srt=${2%.*}.srt
    local stats=$work/run/time out=$work/run/out x0 x1 pid dropped=NA shown=- window
    local limit=$((seconds * 30 + 600)) scale="" sink=ximagesink
    rm -rf "$work/run" && mkdir -p "$work/run/config" "$work/run/runtime" && chmod 700 "$work/run/runtime"
    if [ "$mode" = full ]; then
        scale="videoscale ! video/x-raw,width=1920,height=1080 !"
        sink="videoscale ! video/x-raw,width=1920,height=1080 ! ximagesink"
    fi
    x0=$(cpu_of "$xvfb")
    case $player in
        tavimo | baseline)
            # At the end a clip starts again from the beginning: the run ends
            # when the end of stream is logged.
            local binary=$build/tavimo
            [ "$player" = baseline ] && binary=$baseline/tavimo
            GST_DEBUG=tavimo:4 GST_DEBUG_NO_COLOR=1 QT_QPA_PLATFORM=xcb \
                XDG_CONFIG_HOME="$work/run/config" XDG_RUNTIME_DIR="$work/run/runtime" \
                /usr/bin/time -o "$stats" -f '%U %S %M' "$binary" "$clip" >/dev/null 2>"$out" &
            pid=$!
            sample_memory "$pid" >"$work/run/memory" &
            if [ "$mode" = full ]; then
                for _ in $(seq 100); do
                    window=$(xdotool search --name "^Tavimo - " 2>/dev/null | head -1 || true)
                    [ -n "$window" ] && break
                    sleep 0.1
                done
                [ -n "$window" ] && xdotool windowfocus --sync "$window" key f
            fi
            wait_for "$pid" "$limit" "$out" "end of stream"
            kill "$(leaf_of "$pid")" 2>/dev/null || true
            wait "$pid" || true
            dropped=$(sed -n 's/.*end of stream: [0-9]* frames rendered, \([0-9]*\) dropped.*/\1/p' "$out" | head -1)
            shown=$(sed -n 's/.*end of stream: \([0-9]*\) frames rendered.*/\1/p' "$out" | head -1)
            ;;
        vlc)
            local as=() fs=() sub=()
            if [ "$(id -u)" = 0 ]; then
                mkdir -p "$work/run/vlc-home" && chown "$bench_user" "$work/run/vlc-home"
                as=(runuser -u "$bench_user" -- env HOME="$work/run/vlc-home" DISPLAY="$DISPLAY")
            fi
            [ "$mode" = full ] && fs=(--fullscreen)
            [ -s "$srt" ] && sub=(--sub-file="$srt")
            /usr/bin/time -o "$stats" -f '%U %S %M' "${as[@]}" cvlc --vout=xcb_x11 --aout=adummy \
                --avcodec-hw=none --play-and-exit --no-video-title-show --verbose=1 "${fs[@]}" \
                "${sub[@]}" "$clip" >/dev/null 2>"$out" &
            pid=$!
            sample_memory "$pid" >"$work/run/memory" &
            if [ "$mode" = full ]; then
                # Without a window manager nothing takes VLC's window to the
                # full screen it asks for: it stayed at the picture's size,
                # unscaled. Made the screen's size, as a window manager would,
                # and again if VLC sizes it to the picture after that, until
                # it has kept the screen's size for a second.
                local kept=0
                for _ in $(seq 100); do
                    window=$(xdotool search --name "^VLC media player$" 2>/dev/null | head -1 || true)
                    [ -n "$window" ] && break
                    sleep 0.1
                done
                for _ in $(seq 100); do
                    [ -n "$window" ] && [ "$kept" -lt 10 ] || break
                    if xdotool getwindowgeometry "$window" 2>/dev/null | grep -q "Geometry: 1920x1200"; then
                        kept=$((kept + 1))
                    else
                        kept=0
                        xdotool windowsize "$window" 1920 1200 2>/dev/null || true
                    fi
                    sleep 0.1
                done
            fi
            wait_for "$pid" "$limit" "" ""
            wait "$pid" || true
            dropped=$(grep -c "too late to be displayed" "$out" || true)
            ;;
        playbin)
            local suburi=()
            [ -s "$srt" ] && suburi=(suburi="file://$srt")
            /usr/bin/time -o "$stats" -f '%U %S %M' gst-launch-1.0 -m playbin uri="file://$clip" \
                "${suburi[@]}" video-sink="$sink" audio-sink=fakesink >"$out" 2>&1 &
            pid=$!
            sample_memory "$pid" >"$work/run/memory" &
            wait "$pid" || true
            dropped=$(grep -o 'dropped=(guint64)[0-9]*' "$out" | tail -1 | sed 's/.*)//')
            dropped=${dropped:-0}
            ;;
        mpv)
            cat >"$work/run/drops.lua" <<'LUA'
mp.add_hook("on_unload", 50, function()
    io.stderr:write(string.format("mpv dropped %d %d\n",
        mp.get_property_number("frame-drop-count", 0),
        mp.get_property_number("decoder-frame-drop-count", 0)))
end)
LUA
            local subfile=() fs=()
            [ -s "$srt" ] && subfile=(--sub-file="$srt")
            [ "$mode" = full ] && fs=(--fs)
            /usr/bin/time -o "$stats" -f '%U %S %M' mpv --no-config --really-quiet --vo=x11 \
                --hwdec=no --ao=null "${fs[@]}" "${subfile[@]}" --script="$work/run/drops.lua" \
                "$clip" >/dev/null 2>"$out" &
            pid=$!
            sample_memory "$pid" >"$work/run/memory" &
            wait "$pid" || true
            dropped=$(awk '/^mpv dropped/ { print $3 + $4 }' "$out" | tail -1)
            ;;
        gstfloor)
            # shellcheck disable=SC2086 # the scaling is words of the pipeline
            /usr/bin/time -o "$stats" -f '%U %S %M' gst-launch-1.0 filesrc location="$clip" \
                ! decodebin name=d d. ! queue ! videoconvert ! $scale ximagesink \
                d. ! queue ! audioconvert ! fakesink sync=true >"$out" 2>&1 &
            pid=$!
            sample_memory "$pid" >"$work/run/memory" &
            wait "$pid" || true
            ;;
        ffmpeg)
            local vf=()
            [ "$mode" = full ] && vf=(-vf scale=1920:1080:flags=bilinear)
            /usr/bin/time -o "$stats" -f '%U %S %M' ffmpeg -nostdin -loglevel error -threads 1 \
                -i "$clip" -map 0:v "${vf[@]}" -pix_fmt bgr0 -f null - >"$out" 2>&1 &
            pid=$!
            sample_memory "$pid" >"$work/run/memory" &
            wait "$pid" || true
            ;;
    esac
    wait
    x1=$(cpu_of "$xvfb")
    cp "$out" "$work/last-$player.log"
    # time writes "Command terminated by signal" first when the player was ended.
    read -r user sys _ < <(tail -1 "$stats")
    read -r rss pss own <"$work/run/memory"
    awk -v u="$user" -v s="$sys" -v r="${rss:-0}" -v p="${pss:-0}" -v o="${own:-0}" -v x0="$x0" \
        -v x1="$x1" -v t="$seconds" -v d="${dropped:-NA}" -v n="${shown:-NA}" \
        'BEGIN { printf "%.4f %.4f %d %d %d %s %s\n", (u + s) / t, (u + s + x1 - x0) / t, r, p, o, d, n }'
}

# A warm-up, not measured: every clip read once, and each player playing a
# three-second cut of the first clip with its cues, so that the first player
# of the first round (always tavimo) is not the one that finds the page cache
# and the new X server cold.
warm_up() {
    local first=${clips[0]%%:*} cut entry player
    for entry in "${clips[@]}"; do cat "${entry%%:*}" >/dev/null; done
    cut=$work/warm-up.${first##*.}
    ffmpeg -loglevel error -y -i "$first" -t 3 -map 0 -c copy "$cut"
    [ -s "${first%.*}.srt" ] && cp "${first%.*}.srt" "${cut%.*}.srt"
    for player in $players; do
        sleep 1
        # In a subshell, as in the rounds: run's last wait would wait for Xvfb.
        (run "$player" "$cut" 3 window) >/dev/null || true
    done
}
warm_up

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
results=$work/results
: >"$results"
# The players in `players` order, begun at the `turn`th (modulo their number).
rotated() {
    local -a list=($players)
    local k=$(($1 % ${#list[@]}))
    echo "${list[@]:k}" "${list[@]:0:k}"
}
turn=0
for round in $(seq "$rounds"); do
    for entry in "${clips[@]}"; do
        IFS=: read -r clip seconds mode <<<"$entry"
        # The players take turns at going first, so that none keeps one place
        # in the order all through a run: the same binary run as tavimo and
        # as baseline came out up to 8 % apart, mostly dearer where it ran
        # first.
        for player in $(rotated "$turn"); do
            # A player that could not reach the X server (it sometimes turns
            # a connection away right after the last one closed) runs again.
            for attempt in 1 2 3; do
                sleep 1
                line=$(run "$player" "$clip" "$seconds" "$mode")
                [ "$(awk '{ print $3 }' <<<"$line")" -gt 40000 ] && break
                echo "$player could not start (attempt $attempt): $(head -c 300 "$work/last-$player.log")" >&2
            done
            echo "$(basename "$clip") $player $line" | tee -a "$results" >&2
        done
        tail -n "$(wc -w <<<"$players")" "$results" | awk '{ cpu[$2] = $3; x[$2] = $4 }
            END { if ("tavimo" in cpu) for (p in cpu) if (p != "tavimo")
                printf "   round: tavimo / %-8s cpu %.2fx   cpu+X %.2fx\n", p,
                    cpu["tavimo"] / cpu[p], x["tavimo"] / x[p] }' >&2
        turn=$((turn + 1))
    done
    echo "-- round $round done (load average $(cut -d' ' -f1-3 /proc/loadavg))" >&2
done

echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg); $rounds rounds"
for entry in "${clips[@]}"; do
    name=$(basename "${entry%%:*}")
    echo "== $name (medians of $rounds rounds)"
    printf '%-9s %7s %7s %6s %6s %7s %7s %7s\n' player cpu +X drop shown rss_MB pss_MB own_MB
    for player in $players; do
        awk -v c="$name" -v p="$player" '$1 == c && $2 == p' "$results" >"$work/rows"
        [ -s "$work/rows" ] || continue
        col() { awk -v n="$1" -v d="${2:-1}" '{ print $n / d }' "$work/rows" | median; }
        # The fewest frames shown in any round.
        shown=$(awk '$9 != "-" { print $9 }' "$work/rows" | sort -n | head -1)
        printf '%-9s %7.3f %7.3f %6s %6s %7.0f %7.0f %7.0f\n' "$player" "$(col 3)" "$(col 4)" \
            "$(col 8)" "${shown:--}" "$(col 5 1024)" "$(col 6 1024)" "$(col 7 1024)"
    done
    awk -v c="$name" '$1 == c { n[$2]++; cpu[$2, n[$2]] = $3; x[$2, n[$2]] = $4; r[$2, n[$2]] = $5;
            p[$2, n[$2]] = $6; o[$2, n[$2]] = $7 }
        END {
            for (peer in n) {
                if (peer == "tavimo" || !("tavimo" in n)) continue
                line = sprintf("tavimo / %-8s", peer)
                # Ratios of each round, then the worst of them.
                worst = 0
                for (i = 1; i <= n[peer] && i <= n["tavimo"]; i++) {
                    q = x["tavimo", i] / x[peer, i]
                    line = line sprintf(" %.2f", q)
                    if (q > worst) worst = q
                }
                printf "%s  (cpu+X per round; worst %.2fx)   rss %.2fx  pss %.2fx  own %.2fx\n",
                    line, worst, r["tavimo", 1] / r[peer, 1], p["tavimo", 1] / p[peer, 1],
                    o["tavimo", 1] / (o[peer, 1] ? o[peer, 1] : 1)
            }
        }' "$results"
done
