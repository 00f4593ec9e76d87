#!/usr/bin/env python3
"""Start-up time and idle memory of Tavimo beside mpv, in one run.

Measures, for each player, the time from exec to its main window being mapped
(median of N runs) and the peak resident memory (VmHWM) of an idle window
after two seconds. Runs under its own Xvfb. Usage:

    bench/shell/startup.py [--runs 10] [--tavimo build/tavimo]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def start_xvfb():
    read_fd, write_fd = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x720x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,))
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        number = f.readline().strip()
    return proc, ":" + number


def mapped_windows(env, pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         env=env, capture_output=True, text=True).stdout
    return [w for w in out.split() if w]


def one_run(cmd, env):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = None
    while time.perf_counter() - start < 20:
        if mapped_windows(env, proc.pid):
            elapsed = time.perf_counter() - start
            break
        time.sleep(0.002)
    time.sleep(2)  # idle
    rss = 0
    with open(f"/proc/{proc.pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                rss = int(line.split()[1])
    proc.kill()
    proc.wait()
    return elapsed, rss


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--tavimo", default=os.path.join(os.path.dirname(__file__),
                                                         "../../build/tavimo"))
    args = parser.parse_args()
    xvfb, display = start_xvfb()
    home = tempfile.mkdtemp()
    env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home,
               HOME=home)
    players = {
        "tavimo": [os.path.abspath(args.tavimo)],
        "mpv": ["mpv", "--force-window=immediate", "--idle=once", "--no-config",
                "--vo=x11", "--ao=null"],
    }
    results = {}
    try:
        for name, cmd in players.items():
            times, rss = [], []
            for _ in range(args.runs):
                t, r = one_run(cmd, env)
                if t is not None:
                    times.append(t)
                rss.append(r)
            results[name] = (statistics.median(times), max(rss))
    finally:
        xvfb.kill()
        shutil.rmtree(home, ignore_errors=True)
    for name, (t, r) in results.items():
        print(f"{name:7s} start to mapped window: {t * 1000:7.1f} ms (median of {args.runs}),"
              f" idle peak RSS {r / 1024:6.1f} MiB")
    t_ratio = results["tavimo"][0] / results["mpv"][0]
    r_ratio = results["tavimo"][1] / results["mpv"][1]
    print(f"ratio tavimo/mpv: start {t_ratio:.2f}x, peak RSS {r_ratio:.2f}x")


if __name__ == "__main__":
    main()
