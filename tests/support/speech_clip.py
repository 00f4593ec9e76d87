#!/usr/bin/env python3
"""Makes a clip in which espeak-ng speaks a cue's text at each cue's time over
background noise, and the SubRip file whose times are exactly when the
speech is (the truth the tests shift, stretch and cut).

speech_clip.py OUT.mp4 TRUTH.srt --seconds 120 --snr 20 --voice en --seed 1
    [--cut-from S --cut-seconds N]   leave N seconds of the audio out at S
                                     (the truth keeps the long release's times)
    [--silent]                       no speech at all (noise only)
    [--no-audio]                     a clip with a picture only
"""
import argparse
import array
import os
import random
import subprocess
import sys
import tempfile
import wave

RATE = 16000
WORDS = {
    "en": "the house river morning never letter window quiet money travel garden doctor "
          "yesterday tomorrow station coffee winter ticket number evening answer".split(),
    "de": "haus fluss morgen niemals brief fenster ruhig geld reise garten doktor gestern "
          "bahnhof kaffee winter nummer abend antwort".split(),
    "es": "casa rio manana nunca carta ventana tranquilo dinero viaje jardin medico ayer "
          "estacion cafe invierno numero tarde respuesta".split(),
}


def run(cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def utterance(text, voice, path):
    run(["espeak-ng", "-v", voice, "-s", "165", "-w", path, text])
    run_path = path + ".16k.wav"
    run(["sox", path, "-r", str(RATE), "-c", "1", "-b", "16", run_path])
    with wave.open(run_path) as w:
        data = array.array("h", w.readframes(w.getnframes()))
    return data


def srt_time(ms):
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)


def trimmed(samples):
    """The utterance without the silence espeak puts around it."""
    lo, hi = 0, len(samples)
    while lo < hi and abs(samples[lo]) < 300:
        lo += 1
    while hi > lo and abs(samples[hi - 1]) < 300:
        hi -= 1
    return samples[lo:hi]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("truth")
    ap.add_argument("--seconds", type=float, default=120)
    ap.add_argument("--snr", type=float, default=20)
    ap.add_argument("--voice", default="en")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--cut-from", type=float, default=0)
    ap.add_argument("--cut-seconds", type=float, default=0)
    ap.add_argument("--silent", action="store_true")
    ap.add_argument("--no-audio", action="store_true")
    a = ap.parse_args()
    rng = random.Random(a.seed)
    words = WORDS.get(a.voice.split("+")[0], WORDS["en"])
    total = int(a.seconds * RATE)
    speech = array.array("h", bytes(2 * total))
    cues = []
    with tempfile.TemporaryDirectory() as tmp:
        t = rng.uniform(1.0, 4.0)
        n = 0
        while True:
            text = " ".join(rng.choice(words) for _ in range(rng.randint(2, 7)))
            data = trimmed(utterance(text, a.voice, os.path.join(tmp, "u%d.wav" % n)))
            start = int(t * RATE)
            if start + len(data) >= total:
                break
            if not a.silent:
                speech[start:start + len(data)] = data
            cues.append((int(t * 1000), int(t * 1000) + len(data) * 1000 // RATE, text))
            t += len(data) / RATE + rng.uniform(0.4, 5.0)
            n += 1
        # The level of the speech and of the noise, from samples spread out.
        voiced = [s for c in cues[:20] for s in speech[c[0] * 16:c[1] * 16:7]]
        speech_rms = (sum(s * s for s in voiced) / max(len(voiced), 1)) ** 0.5 or 3000.0
        noise_path = os.path.join(tmp, "noise.wav")
        run(["ffmpeg", "-y", "-f", "lavfi", "-i",
             "anoisesrc=color=brown:r=%d:d=%f:seed=%d" % (RATE, a.seconds, a.seed),
             "-ac", "1", "-c:a", "pcm_s16le", noise_path])
        with wave.open(noise_path) as w:
            noise = array.array("h", w.readframes(w.getnframes()))
        sample = noise[:RATE * 10:3]
        noise_rms = (sum(s * s for s in sample) / max(len(sample), 1)) ** 0.5 or 1.0
        gain = speech_rms / noise_rms / (10 ** (a.snr / 20))
        speech_path = os.path.join(tmp, "speech.wav")
        with wave.open(speech_path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(speech.tobytes())
        mix = os.path.join(tmp, "mix.wav")
        run(["ffmpeg", "-y", "-i", speech_path, "-i", noise_path, "-filter_complex",
             "[1]volume=%f[n];[0][n]amix=inputs=2:normalize=0:duration=first" % gain,
             "-c:a", "pcm_s16le", mix])
        if a.cut_seconds > 0:
            cut = os.path.join(tmp, "cut.wav")
            run(["ffmpeg", "-y", "-i", mix, "-af",
                 "aselect='not(between(t,%f,%f))',asetpts=N/SR/TB" %
                 (a.cut_from, a.cut_from + a.cut_seconds), "-c:a", "pcm_s16le", cut])
            mix = cut
        picture = ["-f", "lavfi", "-i", "color=c=gray:s=160x120:r=5"]
        if a.no_audio:
            run(["ffmpeg", "-y"] + picture + ["-t", str(a.seconds), "-c:v", "libx264",
                                               "-pix_fmt", "yuv420p", a.out])
        else:
            run(["ffmpeg", "-y"] + picture + ["-i", mix, "-t", str(a.seconds), "-c:v", "libx264",
                 "-tune", "stillimage", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "96k",
                 "-ac", "2", a.out])
    with open(a.truth, "w") as f:
        for i, (s, e, text) in enumerate(cues, 1):
            f.write("%d\n%s --> %s\n%s\n\n" % (i, srt_time(s), srt_time(e), text))
    return 0


if __name__ == "__main__":
    sys.exit(main())
