#!/usr/bin/env python3
"""Makes a clip in which espeak-ng (or flite) speaks a cue's text at each cue's
time over a background bed, and the SubRip file whose times are exactly when
the speech is (the truth the tests shift, stretch and cut).

speech_clip.py OUT.mp4 TRUTH.srt --seconds 120 --snr 20 --voice en --seed 1
    [--voice flite-slt]              flite's voices: slt, kal, awb, rms
    [--bed brown|music|crowd]        brown noise (the default), chords on a
                                     beat, or the babble of many voices
    [--human]                        cues timed as a person times them: each
                                     starts 0-0.3 s before its words and ends
                                     0.2-0.8 s after them, and close lines
                                     are now and then one cue
    [--cut-from S --cut-seconds N]   leave N seconds of the audio out at S
                                     (the truth keeps the long release's times)
    [--silent]                       no speech at all (noise only)
    [--no-audio]                     a clip with a picture only

With TAVIMO_TEST_MEDIA_CACHE set to a folder, a clip made once with the same
options by the same script is copied from there instead of made again: the
test programs of one run (and of the builds it tests) share their clips.
"""
import argparse
import array
import ctypes
import hashlib
import os
import random
import shutil
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


def flite_speak(text, voice, path):
    """Writes `text` spoken by flite's `voice` (slt, kal, awb, rms) to `path`,
    through the library (the flite program may not be installed)."""
    for lib in ["libflite.so.1", "libflite_usenglish.so.1", "libflite_cmulex.so.1"]:
        ctypes.CDLL(lib, mode=ctypes.RTLD_GLOBAL)
    flite = ctypes.CDLL("libflite.so.1", mode=ctypes.RTLD_GLOBAL)
    voices = ctypes.CDLL("libflite_cmu_us_%s.so.1" % voice, mode=ctypes.RTLD_GLOBAL)
    register = getattr(voices, "register_cmu_us_" + voice)
    register.restype = ctypes.c_void_p
    flite.flite_init()
    flite.flite_text_to_speech.argtypes = [ctypes.c_char_p, ctypes.c_void_p, ctypes.c_char_p]
    flite.flite_text_to_speech.restype = ctypes.c_float
    flite.flite_text_to_speech(text.encode(), register(None), path.encode())


def utterance(text, voice, path, speed=165, pitch=50):
    if voice.startswith("flite-"):
        flite_speak(text, voice[len("flite-"):], path)
    else:
        run(["espeak-ng", "-v", voice, "-s", str(speed), "-p", str(pitch), "-w", path, text])
    run_path = path + ".16k.wav"
    # No dither: the same clip, to the sample, on every run.
    run(["sox", "-D", path, "-r", str(RATE), "-c", "1", "-b", "16", run_path])
    with wave.open(run_path) as w:
        data = array.array("h", w.readframes(w.getnframes()))
    return data


def write_wav(path, samples):
    """Writes 16-bit mono samples (an array of "h") at RATE."""
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


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


# Phrases of 5 s and rests of 3 s: chords of four notes changing every 2 s
# (A, F, C, G), struck every second and dying away.
MUSIC = ("lt(mod(t,8),5)*exp(-4*mod(t,1))*("
         "sin(2*PI*R*t)+0.8*sin(2*PI*R*1.26*t)+0.7*sin(2*PI*R*1.498*t)+0.6*sin(PI*R*t))")
ROOTS = "(220*eq(K,0)+174.61*eq(K,1)+261.63*eq(K,2)+196*eq(K,3))"


def make_bed(kind, seconds, seed, tmp, path):
    """Writes `seconds` of the background bed to `path` (mono, RATE)."""
    if kind == "brown":
        source = "anoisesrc=color=brown:r=%d:d=%f:seed=%d" % (RATE, seconds, seed)
    elif kind == "music":
        roots = ROOTS.replace("K", "mod(floor(t/2),4)")
        source = "aevalsrc='%s':s=%d:d=%f" % (MUSIC.replace("R", roots), RATE, seconds)
    else:
        make_crowd(seconds, seed, tmp, path)
        return
    run(["ffmpeg", "-y", "-f", "lavfi", "-i", source, "-ac", "1", "-c:a", "pcm_s16le", path])


def make_crowd(seconds, seed, tmp, path):
    """Two layers of babble from many voices, speeds and pitches, each taken
    from another point of one long stretch of talk."""
    rng = random.Random(seed + 2000)
    pieces = []
    for n in range(24):
        voice = rng.choice(["en", "de", "es", "fr", "it"])
        text = " ".join(rng.choice(WORDS[rng.choice(list(WORDS))]) for _ in range(6))
        pieces.append(trimmed(utterance(text, voice, os.path.join(tmp, "c%d.wav" % n),
                                        rng.randint(150, 200), rng.randint(25, 75))))
    layer = array.array("h")
    while len(layer) < (seconds + 60) * RATE:
        layer.extend(rng.choice(pieces))
        layer.extend(array.array("h", [0]) * rng.randint(RATE // 3, 5 * RATE // 2))
    talk = os.path.join(tmp, "talk.wav")
    write_wav(talk, layer)
    starts = [0, rng.uniform(3, 55)]
    graph = "[0]asplit=2[s0][s1];"
    graph += "".join("[s%d]atrim=start=%f,asetpts=PTS-STARTPTS[m%d];" % (i, t, i)
                     for i, t in enumerate(starts))
    graph += "[m0][m1]amix=inputs=2:normalize=0"
    run(["ffmpeg", "-y", "-i", talk, "-filter_complex", graph, "-t", str(seconds), "-ac", "1",
         "-c:a", "pcm_s16le", path])


def human_timing(cues, rng):
    """The cues as a person times them: a line shows 0-0.3 s before its words
    and stays 0.2-0.8 s after them, never into the next cue's time (a gap of
    at least 40 ms), and two lines less than 1.2 s apart are one cue about
    every third time."""
    merged = []
    for s, e, text in cues:
        if merged and s - merged[-1][1] < 1200 and rng.random() < 0.35:
            merged[-1] = (merged[-1][0], e, merged[-1][2] + "\n" + text)
        else:
            merged.append((s, e, text))
    starts = [s - rng.randint(0, 300) for s, _, _ in merged]
    out = []
    for i, (s, e, text) in enumerate(merged):
        end = e + rng.randint(200, 800)
        if i + 1 < len(merged):
            end = max(e, min(end, starts[i + 1] - 40))
        out.append((max(starts[i], 0), end, text))
    return out


def cache_entry(a):
    """The cache's path, without extension, for a clip of options `a`, or
    None when no cache folder is set."""
    folder = os.environ.get("TAVIMO_TEST_MEDIA_CACHE")
    if not folder:
        return None
    with open(__file__, "rb") as f:
        key = hashlib.sha256(f.read())
    options = sorted((k, v) for k, v in vars(a).items() if k not in ("out", "truth"))
    key.update(repr(options).encode())
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, key.hexdigest()[:24])


def from_cache(entry, a):
    """Copies a cached clip and its truth into place; False when there is none.
    The truth is stored last, so a clip whose truth is there is whole."""
    if entry is None or not os.path.exists(entry + ".srt"):
        return False
    shutil.copyfile(entry + ".mp4", a.out)
    shutil.copyfile(entry + ".srt", a.truth)
    return True


def to_cache(entry, a):
    """Stores the clip, then its truth, each renamed into place whole (another
    test may be storing the same clip at the same time)."""
    if entry is None:
        return
    for made, ext in ((a.out, ".mp4"), (a.truth, ".srt")):
        part = "%s%s.%d" % (entry, ext, os.getpid())
        shutil.copyfile(made, part)
        os.replace(part, entry + ext)


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
    ap.add_argument("--bed", choices=["brown", "music", "crowd"], default="brown")
    ap.add_argument("--human", action="store_true")
    ap.add_argument("--silent", action="store_true")
    ap.add_argument("--no-audio", action="store_true")
    a = ap.parse_args()
    entry = cache_entry(a)
    if from_cache(entry, a):
        return 0
    make(a)
    to_cache(entry, a)
    return 0


def make(a):
    """Writes the clip a.out and its truth a.truth."""
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
        make_bed(a.bed, a.seconds, a.seed, tmp, noise_path)
        with wave.open(noise_path) as w:
            noise = array.array("h", w.readframes(w.getnframes()))
        sample = noise[:RATE * 10:3]
        noise_rms = (sum(s * s for s in sample) / max(len(sample), 1)) ** 0.5 or 1.0
        gain = speech_rms / noise_rms / (10 ** (a.snr / 20))
        speech_path = os.path.join(tmp, "speech.wav")
        write_wav(speech_path, speech)
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
    if a.human:
        cues = human_timing(cues, random.Random(a.seed + 1000))
    with open(a.truth, "w") as f:
        for i, (s, e, text) in enumerate(cues, 1):
            f.write("%d\n%s --> %s\n%s\n\n" % (i, srt_time(s), srt_time(e), text))


if __name__ == "__main__":
    sys.exit(main())
