#!/usr/bin/env python3
"""Reference reader for the benchmark: python3-mido reads a file.

Prints the seconds mido.MidiFile took, the messages it holds and the peak
memory of the process in KiB.

    mido_read.py FILE
"""
import sys
import time

import mido


def peak_kilobytes():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def main():
    start = time.perf_counter()
    midi = mido.MidiFile(sys.argv[1])
    seconds = time.perf_counter() - start
    print("%.6f %d %d" % (seconds, sum(len(track) for track in midi.tracks), peak_kilobytes()))


if __name__ == "__main__":
    main()
