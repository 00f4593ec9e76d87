#!/usr/bin/env python3
"""Makes a film-like clip of 60 s at 48 kHz: espeak-ng dialogue at about
-30 LUFS (centred), a music bed at about -26 LUFS and bursts of effects
reaching -8 LUFS short-term and -1 dBTP, in stereo and in 5.1 (the dialogue
in the centre), plus each part alone (the stems, stereo as the stereo clip
carries them) for measuring what came out.

film_clip.py FOLDER [SECONDS]
    writes FOLDER/film2.wav, film6.wav (the clips, float) and their
    parts speech2.wav, bed2.wav, effects2.wav, speech6.wav, ...
Dialogue runs over DIALOGUE, effects over EFFECTS (seconds, from, to);
SECONDS 20 (of 60) keeps the first of each.
"""
import os
import re
import subprocess
import sys

DIALOGUE = [(1, 12), (21, 32), (41, 52)]
EFFECTS = [(13, 16), (33, 36), (53, 56)]
SECONDS = 60
LINES = [
    "I told you the boat would leave at nine, and you said that was far too early for "
    "anyone. Now look at the harbour, it is empty, and the fog is coming in again.",
    "Listen to me. We walk to the station, we buy two tickets, and we do not talk to "
    "anybody on the train. If the doctor calls, you tell him we are visiting my sister.",
    "The letter was under the window all the time. Somebody put it there last winter, "
    "and nobody in this house has ever said a word about it until tonight.",
]
# The bed: a slow chord, other notes on each side, with some movement.
BED_LEFT = ("0.3*sin(2*PI*110*t)*(0.7+0.3*sin(2*PI*0.3*t))+0.2*sin(2*PI*164.8*t)"
            "+0.15*sin(2*PI*329.6*t)*(0.5+0.5*sin(2*PI*2*t))+0.1*sin(2*PI*523.3*t+sin(2*PI*5*t))")
BED_RIGHT = ("0.3*sin(2*PI*130.8*t)*(0.7+0.3*sin(2*PI*0.23*t))+0.2*sin(2*PI*196*t)"
             "+0.15*sin(2*PI*392*t)*(0.5+0.5*sin(2*PI*1.5*t))+0.1*sin(2*PI*659.3*t+sin(2*PI*4*t))")
# The effects: a decaying noise burst and a low boom from 13 s into each
# 20 s, a shot every 0.7 s of it.
BURST = "between(mod(t,20),13,16)*exp(-(mod(t,20)-13)*0.2)"
SHOT = "lt(mod(mod(t,20)-13,0.7),0.015)*between(mod(t,20),13,16)"


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-v", "error", "-y", *args], check=True)


def measure(path):
    """Integrated loudness, the short-term maximum and the true peak."""
    out = subprocess.run(["ffmpeg", "-nostats", "-i", path, "-af", "ebur128=peak=true",
                          "-f", "null", "-"], capture_output=True, text=True).stderr
    shorts = [float(s) for s in re.findall(r"S:\s*(-?[\d.]+)", out)]
    summary = out[out.rfind("Summary:"):]
    integrated = float(re.search(r"I:\s*(-?[\d.]+) LUFS", summary).group(1))
    peak = float(re.search(r"Peak:\s*(-?[\d.]+) dBFS", summary).group(1))
    return integrated, max(shorts), peak


def scaled(source, path, gain_db):
    ffmpeg("-i", source, "-af", f"volume={gain_db:.3f}dB", "-c:a", "pcm_f32le", path)


def main():
    folder = sys.argv[1]
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else SECONDS
    stretches = [s for s in DIALOGUE if s[1] <= seconds]
    os.makedirs(folder, exist_ok=True)
    p = lambda name: os.path.join(folder, name)
    lines = []
    for i, text in enumerate(LINES[:len(stretches)]):
        lines.append(p(f"line{i}.wav"))
        subprocess.run(["espeak-ng", "-v", "en", "-s", "150", "-w", lines[-1], text], check=True)
    inputs = sum((["-i", line] for line in lines), [])
    chains = ";".join(f"[{i}]aresample=48000,atrim=0:{to - at},adelay={at * 1000}[s{i}]"
                      for i, (at, to) in enumerate(stretches))
    mixed = "".join(f"[s{i}]" for i in range(len(stretches)))
    ffmpeg(*inputs, "-filter_complex",
           chains + f";{mixed}amix=inputs={len(stretches)}:normalize=0,apad,atrim=0:{seconds},"
           "pan=stereo|c0=c0|c1=c0", "-ar", "48000", "-c:a", "pcm_f32le", p("speech.raw.wav"))
    ffmpeg("-f", "lavfi", "-i",
           f"aevalsrc={BED_LEFT}|{BED_RIGHT}:s=48000:d={seconds}", "-c:a", "pcm_f32le",
           p("bed.raw.wav"))
    noise = "(random(0)*2-1)"
    left = f"{BURST}*({noise}+0.3*sin(2*PI*55*t))+{SHOT}*0.6*sin(2*PI*700*t)"
    right = left.replace("random(0)", "random(1)")
    ffmpeg("-f", "lavfi", "-i", f"aevalsrc='{left}|{right}':s=48000:d={seconds}",
           "-af", "lowpass=f=3000", "-c:a", "pcm_f32le", p("effects.raw.wav"))
    # Each part alone, stereo and 5.1 (the dialogue alone in the centre, the
    # bed in front and a little behind, the effects everywhere but the
    # centre), brought to its level, then mixed.
    layouts = {
        "2": "stereo|c0=c0|c1=c1",
        "6": "5.1|FL=c0|FR=c1|FC=0*c0|LFE=0.5*c0+0.5*c1|BL=0.7*c0|BR=0.7*c1",
    }
    speech6 = "5.1|FL=0*c0|FR=0*c0|FC=c0|LFE=0*c0|BL=0*c0|BR=0*c0"
    for n, layout in layouts.items():
        parts = []
        for name, level, which in (("speech", -30, 0), ("bed", -26, 0), ("effects", -8, 1)):
            raw, out = p(f"{name}{n}.raw.wav"), p(f"{name}{n}.wav")
            pan = speech6 if name == "speech" and n == "6" else layout
            ffmpeg("-i", p(f"{name}.raw.wav"), "-af", f"pan={pan}", "-c:a", "pcm_f32le", raw)
            scaled(raw, out, level - measure(raw)[which])
            parts += ["-i", out]
        # Its peaks held to -1 dBTP, as a film's master is.
        ffmpeg(*parts, "-filter_complex", "[0][1][2]amix=inputs=3:normalize=0,"
               "alimiter=limit=0.85:level=0:latency=1:attack=2:release=50",
               "-c:a", "pcm_f32le", p(f"film{n}.wav"))
    for name in ("film2.wav", "film6.wav"):
        print(name, "I %.1f S max %.1f TP %.1f" % measure(p(name)))


if __name__ == "__main__":
    main()
