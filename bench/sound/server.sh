# Sourced by the sound benchmarks: a PulseAudio server of the script's own.
#
# start_sound_server FOLDER SINK_MODULE: starts a server whose files all live
# in FOLDER, with SINK_MODULE (a module-… load line) as its only sink; sets
# `server` to its process id and waits for its socket, FOLDER/native. The
# caller's cleanup ends it.
start_sound_server() {
    local folder=$1 sink=$2
    mkdir -p "$folder/config" "$folder/runtime"
    env -u PULSE_SERVER -u DBUS_SESSION_BUS_ADDRESS HOME="$folder" XDG_RUNTIME_DIR="$folder" \
        XDG_CONFIG_HOME="$folder/config" PULSE_RUNTIME_PATH="$folder/runtime" \
        PULSE_STATE_PATH="$folder/state" pulseaudio --daemonize=no --exit-idle-time=-1 -n \
        --disallow-exit --realtime=no --high-priority=no --log-target=stderr \
        "--load=$sink" "--load=module-native-protocol-unix auth-anonymous=1 socket=$folder/native" \
        2>"$folder/log" &
    server=$!
    for _ in $(seq 100); do [ -S "$folder/native" ] && break; sleep 0.1; done
}
