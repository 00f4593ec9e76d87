#!/usr/bin/env python3
"""Night mode's figures for one recording of the film-like clip
(tests/support/film_clip.py): EBU R128's loudness range and true peak, the
short-term loudness of the dialogue stretches against the effects', and the
speech-to-music ratio during dialogue.

night_measure.py RECORDING.wav CLIP_FOLDER CHANNELS(2|6)

The recording may start anywhere before the clip (a sound card's monitor);
it is lined up with the clip first. The speech-to-music ratio: over each
0.4 s of dialogue (no effects there) the recording is fitted (least
squares) as the clip's speech and bed, each with a gain of its own; the ratio is the fitted speech's
energy over the fitted bed's, summed over the dialogue (dB).
"""
import array
import math
import re
import subprocess
import sys

sys.path.insert(0, __file__.rsplit("/", 3)[0] + "/tests/support")
from film_clip import DIALOGUE, EFFECTS, SECONDS  # noqa: E402

RATE = 8000  # the fit's rate: enough for speech and the bed


def stereo(path):
    """The file (5.1 mixed down) at RATE, interleaved stereo floats."""
    args = ["ffmpeg", "-v", "error", "-i", path, "-ac", "2", "-ar", str(RATE)]
    raw = subprocess.run(args + ["-f", "f32le", "-"], capture_output=True, check=True).stdout
    return array.array("f", raw)


def mono(x):
    return [x[i] + x[i + 1] for i in range(0, len(x) - 1, 2)]


def envelope(x, step=80):
    return [sum(v * v for v in x[i:i + step]) for i in range(0, len(x) - step, step)]


def lag(recording, mix):
    """Where the clip starts in the recording, in samples at RATE."""
    e_rec, e_mix = envelope(recording), envelope(mix[:RATE * 20])
    best, at = -1.0, 0
    # From 0.5 s missed (the recorder started late) to 10 s of silence first.
    for shift in range(-50, max(1, min(len(e_rec) - len(e_mix), 1000))):
        score = sum(a * b for a, b in zip(e_rec[max(shift, 0):shift + len(e_mix)],
                                          e_mix[max(-shift, 0):]))
        if score > best:
            best, at = score, shift
    coarse = at * 80
    best, fine = -1e30, coarse
    for shift in range(coarse - 120, coarse + 120):
        score = sum(recording[shift + i] * mix[i] for i in range(RATE * 12, RATE * 14))
        if score > best:
            best, fine = score, shift
    return fine


def local_lag(recording, mix, start, offset):
    """The recording's offset (samples at RATE) around `offset` that lines up
    the stretch from `start` s best (a sound server may drop or add a few
    samples between stretches)."""
    best, at = -1e30, offset
    a = start * RATE + RATE // 2
    ref = mono(mix[2 * a:2 * (a + RATE // 2)])
    rec = mono(recording)
    for shift in range(offset - 200, offset + 200):
        if a + shift < 0:
            continue
        score = sum(x * y for x, y in zip(rec[a + shift:a + shift + len(ref)], ref))
        if score > best:
            best, at = score, shift
    return at


def speech_to_music(recording, mix, offset, parts):
    """The ratio (dB) and how much the bed's gain moves under dialogue from
    one 0.4 s to the next (the median change of its fitted gain, dB): a bed
    that pumps with the words moves; a slow lift does not."""
    speech_energy = music_energy = 0.0
    swings = []
    window = int(0.4 * RATE) * 2  # both sides: the fit sees the stereo image
    for start, end in DIALOGUE:
        bed = []
        shift = 2 * local_lag(recording, mix, start, offset)
        for at in range(start * RATE * 2, end * RATE * 2 - window, window):
            xs = [p[at:at + window] for p in parts[:2]]
            y = recording[at + shift:at + shift + window]
            m = [[sum(a * b for a, b in zip(xs[i], xs[j])) for j in range(2)] for i in range(2)]
            v = [sum(a * b for a, b in zip(xs[i], y)) for i in range(2)]
            d = m[0][0] * m[1][1] - m[0][1] * m[1][0]
            if d <= 0:
                continue
            g = [(v[0] * m[1][1] - v[1] * m[0][1]) / d, (v[1] * m[0][0] - v[0] * m[1][0]) / d]
            speech_energy += g[0] * g[0] * m[0][0]
            music_energy += g[1] * g[1] * m[1][1]
            bed.append(20 * math.log10(max(abs(g[1]), 1e-6)))
        swings += [abs(b - a) for a, b in zip(bed, bed[1:])]
    return 10 * math.log10(speech_energy / music_energy), sorted(swings)[len(swings) // 2]


def r128(path, start_s):
    out = subprocess.run(["ffmpeg", "-nostats", "-ss", "%.4f" % start_s, "-t", str(SECONDS),
                          "-i", path, "-af", "ebur128=peak=true", "-f", "null", "-"],
                         capture_output=True, text=True).stderr
    frames = re.findall(r"t:\s*([\d.]+).*?S:\s*(-?[\d.]+)", out)
    summary = out[out.rfind("Summary:"):]
    lra = float(re.search(r"LRA:\s*(-?[\d.]+) LU", summary).group(1))
    peak = float(re.search(r"Peak:\s*(-?[\d.]+) dBFS", summary).group(1))
    return lra, peak, [(float(t), float(s)) for t, s in frames]


def stretch_mean(shorts, stretches, skip):
    """Mean short-term loudness (power mean) over the stretches, from `skip`
    seconds into each."""
    values = [s for t, s in shorts for a, b in stretches if a + skip <= t <= b]
    return 10 * math.log10(sum(10 ** (v / 10) for v in values) / len(values))


def main():
    recording, folder, channels = sys.argv[1], sys.argv[2], sys.argv[3]
    mix = stereo(f"{folder}/film{channels}.wav")
    rec = stereo(recording)
    offset = lag(mono(rec), mono(mix))
    parts = [stereo(f"{folder}/{name}{channels}.wav") for name in ("speech", "bed")]
    smr, swing = speech_to_music(rec, mix, offset, parts)
    lra, peak, shorts = r128(recording, max(offset, 0) / RATE)
    dialogue = stretch_mean(shorts, DIALOGUE, 3)
    effects = max(s for t, s in shorts for a, b in EFFECTS if a <= t <= b + 1)
    print("LRA %.1f LU  true peak %.1f dBTP  dialogue %.1f  effects %.1f  gap %.1f LU  "
          "speech/music %.1f dB  bed swing %.1f dB" % (lra, peak, dialogue, effects, effects - dialogue,
                                                smr, swing))


if __name__ == "__main__":
    main()
