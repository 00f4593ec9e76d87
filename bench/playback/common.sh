# What the playback benchmarks share (sourced by compare.sh and speed.sh):
# their tools, the clips they make, the CPU time of a process and medians.

# Installs each of the named tools that is missing, from Debian.
install_tools() {
    local tool sudo
    for tool in "$@"; do
        if ! command -v $tool >/dev/null; then
            sudo=$([ "$(id -u)" = 0 ] || echo sudo)
            $sudo apt-get install -y --no-install-recommends $tool >/dev/null
        fi
    done
}

# Makes, when it is missing, a clip of 30 frames/s H.264 (x264 at the preset,
# quality 23) with a 440 Hz AAC tone, of the SMPTE pattern moving at the speed.
# make_clip <file> <width> <height> <seconds> <x264 preset> <horizontal speed>
make_clip() {
    local clip=$1 width=$2 height=$3 seconds=$4 preset=$5 speed=$6
    [ -s "$clip" ] && return 0
    gst-launch-1.0 -q videotestsrc num-buffers=$((seconds * 30)) pattern=smpte horizontal-speed="$speed" \
        ! video/x-raw,format=I420,width="$width",height="$height",framerate=30/1 \
        ! x264enc speed-preset="$preset" pass=qual quantizer=23 key-int-max=250 \
        ! h264parse ! queue ! mux. \
        audiotestsrc num-buffers=$((seconds * 48000 / 1024)) samplesperbuffer=1024 freq=440 volume=0.3 \
        ! audio/x-raw,rate=48000,channels=2 ! audioconvert ! avenc_aac ! aacparse ! queue ! mux. \
        mp4mux name=mux ! filesink location="$clip.part"
    mv "$clip.part" "$clip"
}

tick=$(getconf CLK_TCK)

# CPU seconds of a process so far (user + system).
cpu_of() { awk -v t="$tick" '{ printf "%.3f", ($14 + $15) / t }' /proc/"$1"/stat; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Installs Debian's VLC (player, demuxers and decoders, X11 output) when cvlc
# is missing. Only the benchmarks use it.
install_vlc() {
    command -v cvlc >/dev/null && return 0
    local sudo
    sudo=$([ "$(id -u)" = 0 ] || echo sudo)
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
        vlc-bin vlc-plugin-base vlc-plugin-video-output >/dev/null
}

# VLC refuses to run as root: as root, the benchmarks run it as this user,
# made once without a home or a login.
bench_user=tavimo-bench
make_bench_user() {
    [ "$(id -u)" = 0 ] || return 0
    id -u "$bench_user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$bench_user"
}

# The deepest first descendant of a process: the player under time, runuser.
leaf_of() {
    local pid=$1 child
    while child=$(pgrep -P "$pid" | head -1) && [ -n "$child" ]; do pid=$child; done
    echo "$pid"
}

# Samples the memory of the player under process $1 every half second until
# it ends; prints the peaks in kB: "rss pss own", own being what it allocated
# itself (anonymous and shared memory, proportional: Pss_Anon + Pss_Shmem).
sample_memory() {
    local wrapper=$1 pid peak_rss=0 peak_pss=0 peak_own=0 rss pss own
    while kill -0 "$wrapper" 2>/dev/null; do
        pid=$(leaf_of "$wrapper")
        if read -r rss pss own < <(awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 }
                /^Pss_Anon:/ { a = $2 } /^Pss_Shmem:/ { s = $2 }
                END { print r + 0, p + 0, a + s }' /proc/"$pid"/smaps_rollup 2>/dev/null); then
            [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
            [ "$pss" -gt "$peak_pss" ] && peak_pss=$pss
            [ "$own" -gt "$peak_own" ] && peak_own=$own
        fi
        sleep 0.5
    done
    echo "$peak_rss $peak_pss $peak_own"
}
