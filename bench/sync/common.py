"""What the subtitle-sync benchmarks share: running the player's command line
with its time and peak memory, and reading and writing SubRip files."""
import os
import re
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
SPEECH_CLIP = os.path.join(SOURCE, "tests", "support", "speech_clip.py")
TIME = re.compile(r"(\d+):(\d+):(\d+),(\d+) --> (\d+):(\d+):(\d+),(\d+)")


def run_measured(cmd):
    """(exit status, stdout, stderr, wall seconds, peak RSS in MB, CPU seconds)
    of one command, from wait4."""
    start = time.monotonic()
    p = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = p.stdout.read()
    err = p.stderr.read()
    _, status, usage = os.wait4(p.pid, 0)
    seconds = time.monotonic() - start
    code = os.waitstatus_to_exitcode(status)
    cpu = usage.ru_utime + usage.ru_stime
    return code, out.decode(), err.decode(), seconds, usage.ru_maxrss / 1024.0, cpu


def read_srt(path):
    """[(start ms, end ms, text)] of a SubRip file."""
    cues = []
    with open(path, encoding="utf-8") as f:
        blocks = f.read().strip().split("\n\n")
    for b in blocks:
        lines = b.strip().split("\n")
        if len(lines) < 3:
            continue
        m = TIME.match(lines[1])
        if not m:
            continue
        g = [int(x) for x in m.groups()]
        cues.append(((g[0] * 3600 + g[1] * 60 + g[2]) * 1000 + g[3],
                     (g[4] * 3600 + g[5] * 60 + g[6]) * 1000 + g[7], "\n".join(lines[2:])))
    return cues


def srt_time(ms):
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)


def write_srt(path, cues):
    with open(path, "w", encoding="utf-8") as f:
        for i, (s, e, text) in enumerate(cues, 1):
            f.write("%d\n%s --> %s\n%s\n\n" % (i, srt_time(s), srt_time(e), text))


def moved(cues, offset_ms, ratio):
    """The truth made into a file that needs `offset_ms` and `ratio` (clip =
    file x ratio + offset); cues that would start before 0 are left out."""
    out = []
    for s, e, text in cues:
        s2, e2 = round((s - offset_ms) / ratio), round((e - offset_ms) / ratio)
        if s2 >= 0:
            out.append((s2, e2, text))
    return out


def delays(line):
    return [float(x) * 1000 for x in re.findall(r"([+-]\d+\.\d{3}) s", line)]
