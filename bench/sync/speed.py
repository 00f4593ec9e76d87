#!/usr/bin/env python3
"""Speed and memory of tavimo --sync-subtitles on a 2-hour clip (stereo AAC,
a still picture; and the same speech as 5.1 AC-3) with its ~1,200 cues: wall time and the peak RSS added over
a run that stops before listening, against decoding the whole audio through
the same chain once (what a tool that hears all of it must do at least).
The machine may be shared: the runs are repeated and the median is shown.

Two versions of the clip: as made (16 kHz sound, a 5 fps still) and the same
sound at 48 kHz with 24 fps pictures, as films come. The second weighs more
on memory: an MP4 demuxer holds the sample table of every track (16 MB for
two hours of 48 kHz sound and 24 fps pictures, 5 MB for the first).
A third version is a film's 5.1 AC-3 track in Matroska: the speech in the
centre channel (and a tenth of it in the front left and right), 48 kHz.
The whole-audio chain decodes AC-3 with libav's decoder, as the player does.

speed.py BUILD_DIR WORK_DIR [RUNS] [--against OTHER_TAVIMO]
  --against: another build of the player measured on the same clips, runs
  taken in turn with this one's (before and after a change).
"""
import argparse
import os
import statistics
import subprocess

from common import SPEECH_CLIP, moved, read_srt, run_measured, write_srt

CHAIN = ("uridecodebin uri=file://{} caps=audio/x-raw ! audioconvert ! audioresample ! "
         "audio/x-raw,format=F32LE,rate=16000,channels=1 ! audiocheblimit mode=high-pass "
         "cutoff=300 ! audiocheblimit mode=low-pass cutoff=3400 ! audioconvert ! "
         "audio/x-raw,format=S16LE ! webrtcdsp voice-detection=true echo-cancel=false "
         "gain-control=false ! fakesink")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("work")
    parser.add_argument("runs", nargs="?", type=int, default=3)
    parser.add_argument("--against")
    args = parser.parse_args()
    work, runs = args.work, args.runs
    os.makedirs(work, exist_ok=True)
    film = os.path.join(work, "film")
    if not os.path.exists(film + ".mp4"):
        subprocess.run(["python3", SPEECH_CLIP, film + ".mp4", film + ".srt", "--seconds", "7200",
                        "--snr", "20", "--seed", "7"], check=True)
    picture = os.path.join(work, "picture")
    if not os.path.exists(picture + ".mp4"):
        subprocess.run(["python3", SPEECH_CLIP, picture + ".mp4", picture + ".srt", "--seconds",
                        "40", "--no-audio"], check=True)
    if not os.path.exists(film + "-48k.mp4"):
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", film + ".mp4", "-f",
                        "lavfi", "-i", "color=c=black:s=160x90:r=24", "-map", "1:v", "-map",
                        "0:a", "-c:v", "libx264", "-preset", "ultrafast", "-tune", "stillimage",
                        "-c:a", "aac", "-ar", "48000", "-ac", "2", "-b:a", "128k", "-t", "7200",
                        film + "-48k.mp4"], check=True)
    if not os.path.exists(film + "-51.mkv"):
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", film + ".mp4", "-f",
                        "lavfi", "-i", "color=c=black:s=160x90:r=24", "-map", "1:v", "-map",
                        "0:a", "-c:v", "libx264", "-preset", "ultrafast", "-tune", "stillimage",
                        "-af", "pan=5.1|FC=c0|FL=0.1*c0|FR=0.1*c0", "-c:a", "ac3", "-ar",
                        "48000", "-b:a", "448k", "-t", "7200", film + "-51.mkv"], check=True)
    truth = read_srt(film + ".srt")
    cues = moved(truth, -2350, 1.0)[:1200]
    write_srt(film + ".case.srt", cues)
    players = [("", os.path.join(args.build, "tavimo"))]
    if args.against:
        players.append((" (%s)" % args.against, args.against))
    base = run_measured([players[0][1], "--sync-subtitles", film + ".case.srt",
                         picture + ".mp4"])[4]
    rows, loads = [], []
    for clip, label in [(".mp4", "2 h stereo AAC 16 kHz, 5 fps still"),
                        ("-48k.mp4", "2 h stereo AAC 48 kHz, 24 fps"),
                        ("-51.mkv", "2 h 5.1 AC-3 48 kHz, 24 fps, Matroska")]:
        measured = measure(players, film + ".case.srt", film + clip, CHAIN, runs, base)
        loads.append(os.getloadavg()[0])
        rows += [m + (label + name,) for m, (name, _) in zip(measured, players)]
    print()
    print("load average after each clip: %s (2 cores)" % ", ".join("%.1f" % x for x in loads))
    print("| clip | cues | sync wall (CPU), median of %d | whole audio through the chain, wall "
          "(CPU) | ratio wall (CPU) | peak RSS | RSS added |" % runs)
    print("|---|---|---|---|---|---|---|")
    for t, c, f, fc, peak, label in rows:
        print("| %s | %d | %.2f s (%.2f s); goal <= 5 s | %.2f s (%.2f s) | %.2f (%.2f) "
              "| %.1f MB | %.1f MB (goal <= 60 MB) |" % (label, len(cues), t, c, f, fc, t / f,
                                                         c / fc, peak, peak - base))


def measure(players, subtitles, clip, chain, runs, base):
    """Per player, (wall, CPU, whole-chain wall, whole-chain CPU, peak RSS)
    medians; the players' runs taken in turn."""
    times, cpus, peaks = ([[] for _ in players] for _ in range(3))
    for _ in range(runs):
        for i, (name, player) in enumerate(players):
            code, out, err, secs, rss, cpu = run_measured(
                [player, "--sync-subtitles", subtitles, clip])
            times[i].append(secs)
            cpus[i].append(cpu)
            peaks[i].append(rss)
            print("%s%s: %.2f s (CPU %.2f s), peak RSS %.1f MB (added %.1f MB): %s" % (
                os.path.basename(clip), name, secs, cpu, rss, rss - base,
                (out or err).strip()), flush=True)
    full, full_cpu = [], []
    # liba52, ranked above libav's AC-3 decoder, is left out as the player
    # leaves it out.
    env = ["env", "GST_PLUGIN_FEATURE_RANK=a52dec:NONE"]
    for _ in range(max(1, runs // 2)):
        measured = run_measured(env + ["gst-launch-1.0", "-q"] + chain.format(clip).split())
        full.append(measured[3])
        full_cpu.append(measured[5])
    f, fc = statistics.median(full), statistics.median(full_cpu)
    return [(statistics.median(t), statistics.median(c), f, fc, statistics.median(p))
            for t, c, p in zip(times, cpus, peaks)]


if __name__ == "__main__":
    main()
