#!/usr/bin/env python3
"""Full screen and seek bar costs of Tavimo against mpv, in one run under Xvfb.

  bench/view/compare.py <build dir> [--rounds N] [--seconds S] [--wm]

1. Toggle time: F pressed (XTest) until the window has its new geometry, into
   full screen and back, Tavimo against mpv's `f` key on the same clip and
   display (median of N rounds each way).
2. CPU of the whole program, the X server included, while a clip plays with
   the seek bar shown and with it hidden (SeekBarVisible 0), S seconds each,
   alternated over N rounds.
3. A paused full-screen window: CPU of the program and the X server over S
   seconds, Tavimo against mpv.

mpv is installed from Debian when missing. --wm runs everything under openbox
(installed when missing); without it there is no window manager. The display
number is TAVIMO_BENCH_DISPLAY (73).
"""
import argparse
import ctypes
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

DISPLAY = ":" + os.environ.get("TAVIMO_BENCH_DISPLAY", "73")
SCREEN = (1024, 768)
TICK = os.sysconf("SC_CLK_TCK")


def ensure(command, package):
    if shutil.which(command):
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends", package],
                   check=True, stdout=subprocess.DEVNULL)


class X:
    """Just enough Xlib through ctypes to poll a window's size and press keys."""

    class Attrs(ctypes.Structure):
        _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                    ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]

    def __init__(self):
        self.xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XStringToKeysym.restype = ctypes.c_ulong
        for f in ("XGetWindowAttributes", "XFlush", "XSync", "XKeysymToKeycode"):
            getattr(self.xlib, f).argtypes = None
        self.dpy = ctypes.c_void_p(self.xlib.XOpenDisplay(DISPLAY.encode()))
        if not self.dpy:
            sys.exit("cannot open display " + DISPLAY)

    def size(self, window):
        a = X.Attrs()
        if not self.xlib.XGetWindowAttributes(self.dpy, ctypes.c_ulong(window), ctypes.byref(a)):
            return None
        return (a.width, a.height)

    def key(self, name):
        code = self.xlib.XKeysymToKeycode(self.dpy, ctypes.c_ulong(
            self.xlib.XStringToKeysym(name.encode())))
        for down in (1, 0):
            self.xtst.XTestFakeKeyEvent(self.dpy, code, down, ctypes.c_ulong(0))
        self.xlib.XFlush(self.dpy)


def run(*args):
    return subprocess.run(args, capture_output=True, text=True,
                          env=dict(os.environ, DISPLAY=DISPLAY)).stdout


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def cpu_percent(pids, seconds):
    """CPU of `pids` together over `seconds`, in percent of one core."""
    start = sum(cpu_ticks(p) for p in pids)
    time.sleep(seconds)
    return 100.0 * (sum(cpu_ticks(p) for p in pids) - start) / TICK / seconds


def make_clip(path):
    if os.path.exists(path):
        return
    subprocess.run(
        ["gst-launch-1.0", "-q", "videotestsrc", "num-buffers=3000", "pattern=smpte", "!",
         "video/x-raw,width=640,height=360,framerate=25/1", "!", "x264enc",
         "speed-preset=ultrafast", "key-int-max=25", "!", "h264parse", "!", "mp4mux", "!",
         "filesink", "location=" + path], check=True)


class Program:
    def __init__(self, name, argv, env, window_query):
        self.name = name
        self.proc = subprocess.Popen(argv, env=dict(os.environ, DISPLAY=DISPLAY, **env),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = None
        for _ in range(300):
            out = run("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                      *window_query).split()
            if out:
                self.window = int(out[0])
                break
            time.sleep(0.05)
        if self.window is None:
            self.stop()
            sys.exit(f"{name}: no window")
        time.sleep(2.0)
        run("xdotool", "windowfocus", "--sync", str(self.window))

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def tavimo(build, clip, config, seek_bar=True):
    os.makedirs(os.path.join(config, "tavimo"), exist_ok=True)
    with open(os.path.join(config, "tavimo", "registry.reg"), "w") as f:
        f.write("Windows Registry Editor Version 5.00\n\n"
                "[HKEY_CURRENT_USER\\Software\\Orvenic\\Tavimo]\n"
                f"\"SeekBarVisible\"=dword:{1 if seek_bar else 0:08x}\n"
                "\"AllowMultipleInstances\"=dword:00000001\n\n")
    runtime = tempfile.mkdtemp()
    return Program("tavimo", [os.path.join(build, "tavimo"), clip],
                   {"XDG_CONFIG_HOME": config, "XDG_RUNTIME_DIR": runtime,
                    "QT_QPA_PLATFORM": "xcb"}, ["--name", "^Tavimo"])


def mpv(clip):
    return Program("mpv", ["mpv", "--no-config", "--vo=x11", "--ao=null", "--loop=inf",
                           "--geometry=640x360+0+0", "--force-window=yes", clip], {},
                   ["--class", "mpv"])


def toggle_times(x, program, rounds):
    """Milliseconds from the key to the new geometry, into and out of full screen."""
    into, back = [], []
    for _ in range(rounds):
        for times, want_full in ((into, True), (back, False)):
            before = x.size(program.window)
            start = time.perf_counter()
            x.key("f")
            while True:
                now = x.size(program.window)
                full = now == SCREEN
                if now != before and full == want_full:
                    break
                if time.perf_counter() - start > 5:
                    sys.exit(f"{program.name}: no new geometry after F")
                time.sleep(0.0005)
            times.append(1000 * (time.perf_counter() - start))
            time.sleep(0.7)
    return statistics.median(into), statistics.median(back)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--seconds", type=float, default=8)
    parser.add_argument("--wm", action="store_true")
    args = parser.parse_args()
    ensure("mpv", "mpv")
    ensure("xdotool", "xdotool")
    clip = "/tmp/tavimo-bench-view-640x360.mp4"
    make_clip(clip)

    xvfb = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", "%dx%dx24" % SCREEN, "-nolisten",
                             "tcp", "-noreset"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    wm = None
    try:
        time.sleep(1.0)
        if args.wm:
            ensure("openbox", "openbox")
            wm = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=DISPLAY),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1.0)
        x = X()
        config = tempfile.mkdtemp()
        print(f"display {DISPLAY} {SCREEN[0]}x{SCREEN[1]}, "
              f"{'openbox' if args.wm else 'no window manager'}, clip 640x360 25 fps H.264")

        results = {}
        for make in (lambda: tavimo(args.build, clip, config), lambda: mpv(clip)):
            p = make()
            try:
                results[p.name] = toggle_times(x, p, args.rounds)
            finally:
                p.stop()
        t, m = results["tavimo"], results["mpv"]
        print("\n1. full screen toggle, key to new geometry (median of %d), ms" % args.rounds)
        print("   %-8s %8s %8s" % ("", "into", "back"))
        for name, (a, b) in results.items():
            print("   %-8s %8.1f %8.1f" % (name, a, b))
        print("   ratio tavimo/mpv: into %.2f, back %.2f" % (t[0] / m[0], t[1] / m[1]))

        shown, hidden = [], []
        for _ in range(args.rounds):
            for samples, bar in ((shown, True), (hidden, False)):
                p = tavimo(args.build, clip, config, seek_bar=bar)
                try:
                    samples.append(cpu_percent([p.proc.pid, xvfb.pid], args.seconds))
                finally:
                    p.stop()
        s, h = statistics.median(shown), statistics.median(hidden)
        print("\n2. playing, tavimo + X server CPU (median of %d x %.0f s), %% of one core"
              % (args.rounds, args.seconds))
        print("   seek bar shown %.2f, hidden %.2f: the bar costs %.2f (ratio %.3f)"
              % (s, h, s - h, s / h if h else float("nan")))

        idle = {}
        for make in (lambda: tavimo(args.build, clip, config), lambda: mpv(clip)):
            p = make()
            try:
                x.key("space")
                time.sleep(0.5)
                x.key("f")
                time.sleep(1.5)
                idle[p.name] = cpu_percent([p.proc.pid, xvfb.pid], args.seconds)
            finally:
                p.stop()
        print("\n3. paused in full screen, program + X server CPU over %.0f s, %% of one core"
              % args.seconds)
        for name, value in idle.items():
            print("   %-8s %6.2f" % (name, value))
    finally:
        if wm:
            wm.terminate()
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    main()
