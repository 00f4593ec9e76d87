#!/usr/bin/env python3
"""Start-up time and idle memory of Tavimo with a translation loaded against
English, in one run.

For English (LANGUAGE unset, LANG=C.UTF-8) and each language asked for, the
runs are interleaved; each one measures the time from exec to the main window
being mapped, the processor time the process's threads had used by then (less
swayed than the wall clock by other work on a shared machine) and, after two
idle seconds, the resident memory (VmRSS) and its peak (VmHWM). Prints the
medians (and the fastest start) with their ratios to English. Runs under its
own Xvfb on the display given. Usage:

    bench/shell/startup_languages.py [--runs 15] [--display :341] [--tavimo build/tavimo] [de ru ...]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def mapped(env, pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         env=env, capture_output=True, text=True).stdout
    return bool(out.split())


def memory(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0])
    return values["VmRSS"], values["VmHWM"]


def cpu_ns(pid):
    """Processor time of every thread of `pid` so far, in ns (schedstat)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total


def one_run(cmd, env):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = None
    cpu = None
    while time.perf_counter() - start < 20:
        if mapped(env, proc.pid):
            elapsed = time.perf_counter() - start
            cpu = cpu_ns(proc.pid)
            break
        time.sleep(0.002)
    time.sleep(2)  # idle
    rss, peak = memory(proc.pid)
    proc.kill()
    proc.wait()
    return elapsed, cpu, rss, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--display", default=":341")
    parser.add_argument("--tavimo", default=os.path.join(os.path.dirname(__file__),
                                                         "../../build/tavimo"))
    parser.add_argument("languages", nargs="*", default=["de"])
    args = parser.parse_args()
    xvfb = subprocess.Popen(["Xvfb", args.display, "-screen", "0", "1280x720x24",
                             "-nolisten", "tcp", "-noreset"])
    time.sleep(1)
    home = tempfile.mkdtemp()
    base = {k: v for k, v in os.environ.items() if k not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES")}
    base.update(DISPLAY=args.display, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home, HOME=home,
                LANG="C.UTF-8")
    setups = {"English": dict(base)}
    for language in args.languages:
        setups[language] = dict(base, LANGUAGE=language)
    samples = {name: ([], [], [], []) for name in setups}
    cmd = [os.path.abspath(args.tavimo)]
    try:
        for _ in range(args.runs):
            for name, env in setups.items():
                t, cpu, rss, peak = one_run(cmd, env)
                if t is not None:
                    samples[name][0].append(t)
                    samples[name][1].append(cpu)
                samples[name][2].append(rss)
                samples[name][3].append(peak)
    finally:
        xvfb.kill()
        xvfb.wait()
        shutil.rmtree(home, ignore_errors=True)
    def figures(name):
        times, cpu, rss, peak = samples[name]
        return (statistics.median(times), min(times), statistics.median(cpu),
                statistics.median(rss), statistics.median(peak))

    english = figures("English")
    print(f"medians of {args.runs} runs; ratios to English in brackets")
    for name in samples:
        t, fastest, c, r, p = figures(name)
        ratio = [a / b for a, b in zip((t, fastest, c, r, p), english)]
        print(f"{name:8s} start {t * 1000:6.1f} ms [{ratio[0]:.3f}x],"
              f" fastest {fastest * 1000:6.1f} ms [{ratio[1]:.3f}x],"
              f" processor time {c / 1e6:6.1f} ms [{ratio[2]:.3f}x],"
              f" idle RSS {r / 1024:5.1f} MiB [{ratio[3]:.3f}x], peak {p / 1024:5.1f} MiB [{ratio[4]:.3f}x]")


if __name__ == "__main__":
    main()
