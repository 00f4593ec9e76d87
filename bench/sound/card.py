#!/usr/bin/env python3
"""A sound card running off pace: reads s16le stereo 44.1 kHz from a FIFO
(PulseAudio's module-pipe-sink) at `pace` times the nominal rate and prints
"sound <second> <monotonic us>" when the beep that starts each second of the
clip (a 10 ms burst over silence) is read.

    card.py <fifo> <pace> <seconds>
"""
import os
import struct
import sys
import time

RATE, FRAME = 44100, 4


def main():
    fifo, pace, seconds = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    fd = os.open(fifo, os.O_RDONLY)
    start = time.monotonic()
    taken = 0
    quiet = 0  # frames of silence since the last burst
    beeps = 0
    pending = b""
    while time.monotonic() - start < seconds:
        time.sleep(0.005)
        due = int((time.monotonic() - start) * RATE * pace) * FRAME
        want = due - taken
        while want > 0:
            chunk = os.read(fd, want)
            if not chunk:
                return
            want -= len(chunk)
            taken += len(chunk)
            now = time.monotonic()
            pending += chunk
            usable = len(pending) // FRAME * FRAME
            for (left, _right) in struct.iter_unpack("<hh", pending[:usable]):
                if abs(left) > 3000 and quiet > RATE // 2:
                    print(f"sound {beeps} {int(now * 1e6)}", flush=True)
                    beeps += 1
                    quiet = 0
                elif abs(left) > 3000:
                    quiet = 0
                else:
                    quiet += 1
            pending = pending[usable:]


main()
