#!/usr/bin/env python3
"""Runs the benchmark and prints its table.

    run_bench.py BENCH_DIR INPUT_DIR

BENCH_DIR holds the built programs bench_kolvo, bench_read and, when their
libraries are installed, smf_read and portsmf_read.  The inputs are made in
INPUT_DIR by bench_kolvo, or written from the bytes listed here (the same
files on every run).  Every measurement
runs in a fresh process: its time is what the program reports for its
phase (the best of several runs), its peak memory the high-water mark of
resident memory that the program reads of itself at its end.  Nothing here is a test: the figures are printed, not judged.
"""
import os
import subprocess
import sys

MIDO = "/usr/bin/python3"

# name, how bench_kolvo makes it, organ (None: not a roll), holes
INPUTS = [
    ("165 roll, 4 min", ["roll", "165", "6000"], "165", 6000),
    ("165 roll, 60 min", ["roll", "165", "100000"], "165", 100000),
    ("165 roll, 1M holes", ["roll", "165", "1000000"], "165", 1000000),
    ("150 roll, 4 min", ["roll", "150", "6000"], "150", 6000),
    ("2M events, 16 tracks", ["multitrack", "2000000"], None, None),
]

# Files the reader refuses, measured all the same: refusing one should cost
# no more than the bytes it holds.  name, file name, bytes
REFUSED = [
    # A header that announces 61985 tracks, and one byte of the first.
    ("15 B announcing 61985 tracks", "announces-61985-tracks.mid",
     b"MThd\x00\x00\x00\x06\x00\x01\xf2\x21\x00\x60M"),
]


def measure(command, repeats, status=0):
    """Best reported seconds, largest peak memory (MiB) and the count the
    program reported (bytes or events) over the runs; None when it failed
    (exited with another status than `status`)."""
    best = None
    peak = 0.0
    count = None
    for _ in range(repeats):
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True)
        # The figures are the last line; a refused file's messages come first.
        lines = done.stdout.splitlines()
        fields = lines[-1].split() if lines else []
        if done.returncode != status or len(fields) < 3:
            return None
        seconds = float(fields[0])
        count = fields[1]
        best = seconds if best is None else min(best, seconds)
        peak = max(peak, int(fields[2]) / 1024.0)
        if seconds > 5.0:
            break  # slow enough that one run tells
    return best, peak, count


def cell_ms(result):
    return "-" if result is None else "%.1f" % (result[0] * 1e3)


def cell_mb(result):
    return "-" if result is None else "%.0f" % result[1]


def reference_cell(result, read):
    """Time and memory of a reference reader, each with its ratio to ours."""
    if result is None or read is None:
        return "-"
    return "%.1f ms %.1fx, %.0f MB %.1fx" % (
        result[0] * 1e3, result[0] / read[0], result[1], result[1] / read[1])


def main():
    bench_dir, input_dir = sys.argv[1], sys.argv[2]
    os.makedirs(input_dir, exist_ok=True)
    program = lambda name: os.path.join(bench_dir, name)
    here = os.path.dirname(os.path.abspath(__file__))

    # name, path, organ, holes, exit status of bench_read read
    inputs = []
    for name, recipe, organ, holes in INPUTS:
        path = os.path.join(input_dir, "_".join(recipe) + ".mid")
        if not os.path.exists(path):
            subprocess.run([program("bench_kolvo")] + recipe + [path], check=True)
        inputs.append((name, path, organ, holes, 0))
    for name, filename, content in REFUSED:
        path = os.path.join(input_dir, filename)
        with open(path, "wb") as out:
            out.write(content)
        inputs.append((name, path, None, None, 1))

    rows = []
    notes = []
    for name, path, organ, holes, read_status in inputs:
        size = os.path.getsize(path)
        print("measuring: %s" % name, file=sys.stderr, flush=True)
        floor = measure([program("bench_read"), "bytes", path], 5)
        read = measure([program("bench_read"), "read", path], 5, read_status)
        events = "-" if read is None else read[2]
        translate = write = run = None
        if organ:
            translate = measure([program("bench_kolvo"), "translate", organ, path], 3)
            write = measure([program("bench_kolvo"), "write", organ, path], 3)
            run = measure([program("bench_kolvo"), "run", organ, path], 3)
        references = []
        for reader in (["smf_read"], ["portsmf_read"]):
            exists = os.path.exists(program(reader[0]))
            references.append(measure([program(reader[0]), path], 3) if exists else None)
        references.append(measure([MIDO, os.path.join(here, "mido_read.py"), path], 3))

        per_hole = "-" if run is None else "%.2f" % (run[0] / holes * 1e6)
        rows.append([
            name, "%.2f" % (size / 1e6), events, cell_ms(floor), cell_ms(read),
            "-" if read is None or floor is None else "%.1fx" % (read[0] / floor[0]),
            cell_mb(read), "-" if read is None else "%.1fx" % (read[1] * 2**20 / size),
            cell_ms(translate), cell_ms(write), cell_ms(run), cell_mb(run), per_hole,
        ] + [reference_cell(result, read) for result in references])
        if holes is not None and run is not None:
            notes.append((name, run[0] / holes))

    header = ["input", "MB", "events", "bytes ms", "read ms", "x bytes", "read MB",
              "x file", "translate ms", "sort+write ms", "run ms", "run MB", "us/hole",
              "libsmf (x ours)", "portsmf (x ours)", "mido (x ours)"]
    widths = [max(len(str(row[i])) for row in rows + [header]) for i in range(len(header))]
    line = lambda cells: "| " + " | ".join(str(c).ljust(w) for c, w in zip(cells, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in rows:
        print(line(row))
    print()
    print("bytes: one plain read of the file into memory; read: MidiFile::read;")
    print("translate: skeleton, metadata and note pass; sort+write: sorting and writing")
    print("the arrangement; run: the player's steps from reading the roll to its")
    print("playing-time line (where the synthesizer would start).  Times are the best")
    print("of a few runs, each in a fresh process; MB is the peak resident memory of")
    print("that process.  x file: peak memory of reading over the file's size.  The")
    print("references read the same files; x ours: their time and memory over ours.")
    print("The last rows are files the reader refuses: what the refusal costs.")
    if notes:
        base = notes[0][1]
        print("Per-hole cost of the run relative to the %s: %s" % (
            notes[0][0], ", ".join("%s %.2fx" % (n, cost / base) for n, cost in notes[1:])))
    print("Wall-clock figures depend on what else the machine runs.")


if __name__ == "__main__":
    main()
