#!/usr/bin/env python3
"""Accuracy grid of tavimo --sync-subtitles: offsets x frame-rate changes x
noise x voices on 10-minute espeak-ng clips, other films' subtitles that must
be refused, and clips with a 3-minute block cut from the middle. Prints the
table and the totals against the goals.

accuracy.py BUILD_DIR WORK_DIR   (the clips are made in WORK_DIR when missing)
"""
import os
import statistics
import subprocess
import sys

from common import SPEECH_CLIP, delays, moved, read_srt, run_measured, write_srt

OFFSETS = [-90000, -12500, -2300, -400, 700, 5000, 33000, 240000]
RATES = [("1", 1.0, ""), ("25/23.976", 25 / 23.976, "25 -> 23.976"),
         ("23.976/25", 23.976 / 25, "23.976 -> 25")]
VOICES = ["en", "de", "es"]
NOISE = [20, 5]


def clip(work, kind, voice, snr, seed):
    name = os.path.join(work, "%s-%s-%d" % (kind, voice, snr))
    if not os.path.exists(name + ".mp4"):
        args = ["python3", SPEECH_CLIP, name + ".mp4", name + ".srt", "--seconds", "600",
                "--snr", str(snr), "--voice", voice, "--seed", str(seed)]
        if kind == "s":
            args += ["--cut-from", "300", "--cut-seconds", "180"]
        subprocess.run(args, check=True)
    return name


def cue_errors(fixed, truth):
    by_text = {t: s for s, _, t in truth}
    return [abs(s - by_text[t]) for s, _, t in fixed if t in by_text]


def main():
    build, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    player = os.path.join(build, "tavimo")
    rows, refused_nomatch, split_rows = [], [], []
    print("%-4s %3s %-10s %9s | %10s %-14s %8s %s" % ("voice", "dB", "ratio", "offset", "found",
                                                      "rate", "cue med", "result"))
    for seed, (voice, snr) in enumerate([(v, n) for v in VOICES for n in NOISE], 101):
        base = clip(work, "g", voice, snr, seed)
        truth = read_srt(base + ".srt")
        for label, ratio, rate_text in RATES:
            for off in OFFSETS:
                subs, fixed = base + ".case.srt", base + ".fixed.srt"
                write_srt(subs, moved(truth, off, ratio))
                code, out, err, secs, _, _ = run_measured(
                    [player, "--sync-subtitles", subs, base + ".mp4", "-o", fixed])
                found = delays(out)
                if code != 0:
                    verdict, med = "refused", None
                else:
                    errs = cue_errors(read_srt(fixed), truth)
                    med = statistics.median(errs) if errs else 1e9
                    right_rate = (rate_text in out) if rate_text else ("frame rate" not in out)
                    near = abs(found[0] - off) <= 150 and right_rate
                    wrong = abs(found[0] - off) > 500 or (not right_rate and max(errs) > 500)
                    verdict = "ok" if near else ("WRONG" if wrong else "off")
                rows.append((verdict, med))
                print("%-5s %3d %-10s %9.1f | %10s %-14s %8s %s" % (
                    voice, snr, label, off / 1000, "%.3f" % (found[0] / 1000) if found else "-",
                    out.split(", frame rate ")[1].strip() if "frame rate" in out else "",
                    "%.3f" % (med / 1000) if med is not None else "-",
                    verdict if code == 0 else "refused: " + err.strip()), flush=True)
    # Another film's subtitles: the English clip's against the other voices'.
    en = read_srt(clip(work, "g", "en", 20, 101) + ".srt")
    for voice, seed in [("de", 103), ("es", 105), ("de", 104)]:
        snr = 20 if seed != 104 else 5
        base = clip(work, "g", voice, snr, seed)
        write_srt(base + ".other.srt", en)
        code, out, err, _, _, _ = run_measured([player, "--sync-subtitles", base + ".other.srt",
                                             base + ".mp4"])
        refused_nomatch.append(code == 1)
        print("no-match %s %d dB: %s" % (voice, snr, (out or err).strip()), flush=True)
    # A 3-minute block cut from the middle of the audio at 5:00.
    for seed, (voice, snr) in enumerate([(v, n) for v in VOICES for n in NOISE], 101):
        base = clip(work, "s", voice, snr, seed)
        truth = read_srt(base + ".srt")
        for off in [0, 5000, -12500]:
            write_srt(base + ".case.srt", moved(truth, off, 1.0))
            code, out, err, _, _, _ = run_measured([player, "--sync-subtitles", base + ".case.srt",
                                                 base + ".mp4"])
            d = delays(out)
            both = code == 0 and len(d) == 2 and abs(d[0] - off) <= 150 and \
                abs(d[1] - (off - 180000)) <= 150
            split_rows.append(both)
            print("split %s %d dB offset %+.1f: %s -> %s" % (
                voice, snr, off / 1000, (out or err).strip(), "ok" if both else "MISS"), flush=True)
    n = len(rows)
    ok = sum(1 for v, _ in rows if v == "ok")
    wrong = sum(1 for v, _ in rows if v == "WRONG")
    refused = sum(1 for v, _ in rows if v == "refused")
    meds = [m for v, m in rows if m is not None]
    print()
    print("cases %d: within 0.15 s %d (%.1f%%, goal >= 95%%), refused %d, confident wrong %d "
          "(goal 0)" % (n, ok, 100.0 * ok / n, refused, wrong))
    if meds:
        print("cue-by-cue median error over answered cases: median %.3f s, worst %.3f s "
              "(goal <= 0.05 s); cases with median <= 0.05 s: %d of %d" % (
                  statistics.median(meds) / 1000, max(meds) / 1000,
                  sum(1 for m in meds if m <= 50), len(meds)))
    print("no-match refused: %d of %d (goal 3 of 3)" % (sum(refused_nomatch), len(refused_nomatch)))
    print("split, both parts within 0.15 s: %d of %d (%.0f%%, goal >= 90%%)" % (
        sum(split_rows), len(split_rows), 100.0 * sum(split_rows) / len(split_rows)))


if __name__ == "__main__":
    main()
