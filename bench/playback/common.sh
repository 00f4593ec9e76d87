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
