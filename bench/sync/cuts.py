#!/usr/bin/env python3
"""Accuracy of tavimo --sync-subtitles on clips with three stretches cut
out (a shorter release) or three ad breaks put in (a broadcast), against
subtitles timed by hand for the whole film: each part's offset, where each
join falls, and no frame-rate change. The error of a cue is its corrected
start less where it belongs in the clip: its words' start there, less the
lead the file gave it. A cue shown just before a join whose words start
after it belongs after the join. Cues whose words' start was cut out have
no place and are not counted.

cuts.py BUILD_DIR WORK_DIR   (the 10-minute clips of human.py --drift are made
                              in WORK_DIR when missing)
"""
import os
import subprocess
import sys
import tempfile

from common import SPEECH_CLIP, read_srt, run_measured
from human import clip, summary

# (voice, bed, dB, seed) of the film and of the clip the ads are taken from.
FILMS = [("en", "brown", 15, 306), ("flite-slt", "music", 5, 307),
         ("flite-kal", "music", 0, 309)]
ADS_FROM = ("es", "brown", 0, 310)
# (at, seconds) in the film's time: what is cut out, or where an ad of that
# length goes in.
STRETCHES = [[(120, 37), (270, 79), (450, 20)], [(95, 25), (300, 45), (430, 60)]]


def shifted(t_ms, stretches, ads):
    """Where the film's time `t_ms` is in the clip, or None when cut out."""
    moved = 0
    for at, seconds in stretches:
        if t_ms >= at * 1000:
            if not ads and t_ms < (at + seconds) * 1000:
                return None
            moved += seconds * 1000
    return t_ms + moved if ads else t_ms - moved


def word_starts(base, voice, bed, snr, seed):
    """The start (ms) of the words of each cue of the film's hand-timed file,
    in order: the same clip made again with its cues on the words."""
    path = base + ".words.srt"
    if not os.path.exists(path):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run(["python3", SPEECH_CLIP, os.path.join(tmp, "c.mp4"), path,
                            "--seconds", "600", "--snr", str(snr), "--voice", voice, "--bed",
                            bed, "--seed", str(seed)], check=True)
    lines = iter(read_srt(path))
    starts = []
    for _, _, text in read_srt(base + ".srt"):
        # A cue of two close lines holds the words of both.
        said = [next(lines) for _ in text.split("\n")]
        starts.append(said[0][0])
    return starts


def make(base, ads_base, stretches, ads, out):
    """The clip `out`: the film's sound with `stretches` cut out or, with
    `ads`, stretches of the other clip's sound put in, under a still picture."""
    graph, pieces, last = [], [], 0
    for i, (at, seconds) in enumerate(stretches):
        graph.append("[0:a]atrim=%d:%d,asetpts=N/SR/TB[f%d]" % (last, at, i))
        pieces.append("[f%d]" % i)
        if ads:
            graph.append("[1:a]atrim=%d:%d,asetpts=N/SR/TB[a%d]" % (60 * i + 30, 60 * i + 30 +
                                                                     seconds, i))
            pieces.append("[a%d]" % i)
            last = at
        else:
            last = at + seconds
    graph.append("[0:a]atrim=start=%d,asetpts=N/SR/TB[rest]" % last)
    pieces.append("[rest]")
    graph.append("%sconcat=n=%d:v=0:a=1[out]" % ("".join(pieces), len(pieces)))
    subprocess.run(["ffmpeg", "-y", "-v", "error", "-i", base + ".mp4", "-i", ads_base + ".mp4",
                    "-f", "lavfi", "-i", "color=c=gray:s=160x120:r=5", "-filter_complex",
                    ";".join(graph), "-map", "2:v", "-map", "[out]", "-shortest", "-c:v",
                    "libx264", "-tune", "stillimage", "-pix_fmt", "yuv420p", "-c:a", "aac",
                    "-b:a", "96k", out], check=True)


def main():
    build, work = sys.argv[1], sys.argv[2]
    player = os.path.join(build, "tavimo")
    ads_base = clip(work, *ADS_FROM[:3], ADS_FROM[3], 600)
    everything, answered, cases, rate_changes = [], 0, 0, 0
    for voice, bed, snr, seed in FILMS:
        base = clip(work, voice, bed, snr, seed, 600)
        truth = read_srt(base + ".srt")
        words = word_starts(base, voice, bed, snr, seed)
        for k, stretches in enumerate(STRETCHES):
            for ads in (False, True):
                cases += 1
                name = "%s.%s%d.mp4" % (base, "ads" if ads else "cut", k)
                if not os.path.exists(name):
                    make(base, ads_base, stretches, ads, name)
                code, out, err, _, _, _ = run_measured(
                    [player, "--sync-subtitles", base + ".srt", name, "-o", base + ".fixed.srt"])
                label = "%-9s %-5s %3d %s%d" % (voice, bed, snr, "ads" if ads else "cut", k)
                if code != 0:
                    print("%s | refused: %s" % (label, err.strip()), flush=True)
                    continue
                answered += 1
                rate_changes += "frame rate" in out
                texts = [t for _, _, t in truth]
                where = {}
                for (s, _, t), w in zip(truth, words):
                    at = shifted(w, stretches, ads)
                    if texts.count(t) == 1 and at is not None:
                        where[t] = at - (w - s)
                errs = [s - where[t] for s, _, t in read_srt(base + ".fixed.srt")
                        if where.get(t) is not None]
                print("%s | %s | %s" % (label, out.strip(), summary("", errs)[2:]), flush=True)
                everything += errs
    print()
    print(summary("all", everything))
    print("cases %d, answered %d, with a frame-rate change (none is there) %d" % (
        cases, answered, rate_changes))


if __name__ == "__main__":
    main()
