#!/usr/bin/env bash
# Pauses that come as the audio sink starts: `runs` runs (10) of the speed
# test's rounds (pause, seek, play, speed steps, each round's pause right after
# a start) with every clock wait made to end late (slow_clock_wait), so that
# most rounds' pause lands where GstAudioBaseSink would never commit it.
# Prints each run's result and how often the player had to preroll the sound
# again (its warning in GStreamer's log); a run that fails stood
# "PLAYING to PAUSED".
#
#   bench/sound/pause_race.sh <build dir> [runs (10)]
set -euo pipefail
build=$(realpath "${1:?build dir}")
runs=${2:-10}
log=$(mktemp /tmp/tavimo-pause-race-XXXXXX)
trap 'rm -f "$log"' EXIT
failed=0
for run in $(seq "$runs"); do
    result=passed
    LD_PRELOAD=$build/bench/libslow_clock_wait.so GST_DEBUG=default:4 GST_DEBUG_FILE=$log \
        QT_QPA_PLATFORM=offscreen "$build/tests/speed_sound_gst_test" \
        --gtest_filter='*PlaybackKeepsThePace*' >/dev/null 2>&1 || { result=FAILED; failed=$((failed + 1)); }
    echo "run $run $result, prerolled again $(grep -c 'preroll again' "$log" || true) times"
done
echo "failed $failed of $runs runs"
