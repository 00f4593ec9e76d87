#!/usr/bin/env python3
"""Accuracy of tavimo --sync-subtitles on subtitles timed as people time them
(each cue shown 0-0.3 s before its words and kept 0.2-0.8 s after, close
lines now and then one cue), spoken by espeak-ng's and flite's voices over
brown noise, music and a crowd at several levels. The answer sought is where
the file's author put each cue: the error of a cue is its corrected start
less its start in the human-timed file the case was made from.

human.py BUILD_DIR WORK_DIR [--full|--drift] [--surround] [--only TEXT]
(clips made in WORK_DIR when missing)

--only TEXT: only the grid's clips whose name (voice-bed-dB) holds TEXT, e.g.
"crowd-0"; each keeps the seed it has in the whole grid.

--drift: 5- and 10-minute clips whose subtitles were made for 24 frames a
second and the clip plays at 23.976, or the other way (0.6 s of drift in
ten minutes), and the same subtitles at the clip's own rate.
--surround: each clip's sound as a film's 5.1 AC-3 track in Matroska, the
clip's sound in the centre channel and a tenth of it in the front left and
right.
"""
import os
import statistics
import subprocess
import sys

from common import SPEECH_CLIP, delays, moved, read_srt, run_measured, write_srt

# (voice, bed, dB of speech over the bed, seconds): a few short clips while
# working, every bed with two voices for the full grid.
SMALL = [(v, bed, snr, 240) for v, bed, snr in [
    ("en", "brown", 15), ("flite-slt", "brown", 5), ("de", "music", 5),
    ("flite-kal", "music", 0), ("es", "crowd", 5), ("en", "music", -5)]]
FULL = [(v, bed, snr, 300) for (bed, snr), vs in [
    (("brown", 15), ["en", "flite-slt"]), (("brown", 5), ["de", "flite-awb"]),
    (("brown", 0), ["es", "flite-kal"]), (("music", 15), ["en", "flite-rms"]),
    (("music", 5), ["de", "flite-slt"]), (("music", 0), ["es", "flite-kal"]),
    (("music", -5), ["en", "flite-awb"]), (("crowd", 5), ["de", "flite-rms"]),
    (("crowd", 0), ["es", "flite-slt"])] for v in vs]
CASES = [(-2300, 1.0, ""), (700, 1.0, ""), (33000, 1.0, ""),
         (-1200, 25 / 23.976, "25 -> 23.976")]
DRIFT = [(v, bed, snr, seconds) for seconds in [300, 600] for v, bed, snr in [
    ("en", "brown", 15), ("flite-slt", "music", 5), ("de", "crowd", 5),
    ("flite-kal", "music", 0), ("es", "brown", 0)]]
DRIFT_CASES = [(1500, 24 / 23.976, "24 -> 23.976"), (-800, 23.976 / 24, "23.976 -> 24"),
               (2000, 1.0, "")]


def clip(work, voice, bed, snr, seed, seconds, surround=False):
    name = os.path.join(work, "h-%s-%s-%d-%d" % (voice, bed, snr, seconds))
    if not os.path.exists(name + ".mp4"):
        subprocess.run(["python3", SPEECH_CLIP, name + ".mp4", name + ".srt", "--seconds",
                        str(seconds), "--snr", str(snr), "--voice", voice, "--bed", bed,
                        "--seed", str(seed), "--human"], check=True)
    if surround and not os.path.exists(name + ".mkv"):
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", name + ".mp4", "-c:v",
                        "copy", "-af", "pan=5.1|FC=c0|FL=0.1*c0|FR=0.1*c0", "-c:a", "ac3",
                        "-ar", "48000", "-b:a", "448k", name + ".mkv"], check=True)
    return name


def signed_errors(fixed, truth):
    """Corrected start less true start of each cue whose text is the file's
    only one with that text."""
    count = {}
    for _, _, t in truth:
        count[t] = count.get(t, 0) + 1
    by_text = {t: s for s, _, t in truth if count[t] == 1}
    return [s - by_text[t] for s, _, t in fixed if t in by_text]


def summary(label, errs):
    if not errs:
        return "%s: no cues" % label
    a = sorted(abs(e) for e in errs)
    return "%s: %d cues, within 0.15 s %.1f%%, median %.3f s, signed median %+.3f s, 95th " \
        "%.3f s, worst %.3f s" % (label, len(a), 100.0 * sum(1 for x in a if x <= 150) / len(a),
                                  statistics.median(a) / 1000, statistics.median(errs) / 1000,
                                  a[int(0.95 * (len(a) - 1))] / 1000, a[-1] / 1000)


def main():
    build, work = sys.argv[1], sys.argv[2]
    grid, cases_tried = SMALL, CASES
    if "--full" in sys.argv[3:]:
        grid = FULL
    elif "--drift" in sys.argv[3:]:
        grid, cases_tried = DRIFT, DRIFT_CASES
    surround = "--surround" in sys.argv[3:]
    only = sys.argv[sys.argv.index("--only") + 1] if "--only" in sys.argv[3:] else ""
    container = ".mkv" if surround else ".mp4"
    os.makedirs(work, exist_ok=True)
    player = os.path.join(build, "tavimo")
    everything, wrong, refused, cases, rates_right = [], 0, 0, 0, 0
    by_bed = {}
    bases = []
    for seed, (voice, bed, snr, seconds) in enumerate(grid, 301):
        if only not in "%s-%s-%d" % (voice, bed, snr):
            continue
        base = clip(work, voice, bed, snr, seed, seconds, surround)
        bases.append(base)
        truth = read_srt(base + ".srt")
        for off, ratio, rate_text in cases_tried:
            cases += 1
            subs, fixed = base + ".case.srt", base + ".fixed.srt"
            write_srt(subs, moved(truth, off, ratio))
            code, out, err, _, _, _ = run_measured(
                [player, "--sync-subtitles", subs, base + container, "-o", fixed])
            if code != 0:
                refused += 1
                print("%-10s %-5s %3d %3d %8.1f | refused: %s" % (
                    voice, bed, snr, seconds, off / 1000, err.strip()), flush=True)
                continue
            errs = signed_errors(read_srt(fixed), truth)
            right_rate = (rate_text in out) if rate_text else ("frame rate" not in out)
            rates_right += right_rate
            worst = max(abs(e) for e in errs)
            bad = statistics.median([abs(e) for e in errs]) > 500 or \
                (not right_rate and worst > 500)
            wrong += bad
            everything += errs
            by_bed.setdefault("%s %+d dB" % (bed, snr), []).extend(errs)
            print("%-10s %-5s %3d %3d %8.1f | %-40s | %s%s%s" % (
                voice, bed, snr, seconds, off / 1000, out.strip()[:40], summary("", errs)[2:],
                "" if right_rate else "  (rate)", "  WRONG" if bad else ""), flush=True)
    # Another film's subtitles must be refused.
    negatives = 0
    for i in range(0, len(bases), 2):
        other = read_srt(bases[(i + 1) % len(bases)] + ".srt")
        write_srt(bases[i] + ".other.srt", other)
        code, out, err, _, _, _ = run_measured(
            [player, "--sync-subtitles", bases[i] + ".other.srt", bases[i] + container])
        negatives += 1
        refused_ok = code == 1
        print("no-match %s: %s%s" % (os.path.basename(bases[i]), (out or err).strip(),
                                     "" if refused_ok else "  ANSWERED"), flush=True)
        wrong += not refused_ok
    print()
    for bed, errs in by_bed.items():
        print(summary(bed, errs))
    print(summary("all", everything))
    print("cases %d, refused %d, frame rate right in %d answered, confident wrong answers %d "
          "(goal 0, another film's subtitles included: %d)" % (cases, refused, rates_right, wrong,
                                                                negatives))


if __name__ == "__main__":
    main()
