#!/usr/bin/python3
"""Checks the MIDI file library against mido, an independent implementation.

Usage: mido_oracle.py PATH-OF-SMFCOPY

For each case a Standard MIDI File is built with mido and
  (a) listed by `smfcopy --dump`, and the events compared with what mido
      reads from the same file;
  (b) copied by `smfcopy IN OUT`, and the copy read with mido and compared
      with the original, message by message, with absolute ticks.

mido writes running status wherever it can; the library stores every
message with its status byte and writes no running status, so both
directions of running status are covered.

Exit status: 0 when every case passes, 1 on any failure, 77 when mido is
not installed (the test is then skipped).
"""

import os
import re
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    print("SKIP: python3 module mido is not installed")
    sys.exit(77)

DUMP_LINE = re.compile(r"^(\d+) (-?\d+)((?: [0-9a-f]{2})*)$")


def encode_vlq(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return groups


def msg_bytes(msg):
    """The bytes of a message as the library keeps them in memory: status
    byte written out; a system exclusive message as it lies in the file,
    F0, its length, its data and the closing F7."""
    if msg.type == "sysex":
        return [0xF0] + encode_vlq(len(msg.data) + 1) + list(msg.data) + [0xF7]
    return list(msg.bytes())


def mido_events(path):
    """(track, absolute tick, bytes) for every message of every track."""
    midifile = mido.MidiFile(path)
    events = []
    for index, track in enumerate(midifile.tracks):
        tick = 0
        for msg in track:
            tick += msg.time
            events.append((index, tick, msg_bytes(msg)))
    return midifile, events


def smfcopy_dump(smfcopy, path):
    result = subprocess.run([smfcopy, "--dump", path], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, universal_newlines=True)
    if result.returncode != 0:
        raise RuntimeError("smfcopy --dump exited with %d: %s"
                           % (result.returncode, result.stderr.strip()))
    events = []
    for line in result.stdout.splitlines():
        match = DUMP_LINE.match(line)
        if not match:
            continue  # a message of the reader, not an event
        data = [int(h, 16) for h in match.group(3).split()]
        events.append((int(match.group(1)), int(match.group(2)), data))
    return events


def describe(event):
    track, tick, data = event
    return "track %d tick %d: %s" % (track, tick, " ".join("%02x" % b for b in data))


def compare(expected, actual):
    """None when equal, else a line that says where they first differ."""
    for i, (a, b) in enumerate(zip(expected, actual)):
        if a != b:
            return "event %d: expected %s, got %s" % (i, describe(a), describe(b))
    if len(expected) != len(actual):
        return "expected %d events, got %d" % (len(expected), len(actual))
    return None


# ---------------------------------------------------------------- cases

def track_of(*messages):
    track = mido.MidiTrack()
    track.extend(messages)
    return track


def case_notes():
    midifile = mido.MidiFile(type=0, ticks_per_beat=480)
    midifile.tracks.append(track_of(
        mido.Message("program_change", channel=0, program=5, time=0),
        mido.Message("note_on", note=60, velocity=64, time=0),
        mido.Message("note_on", note=64, velocity=70, time=0),
        mido.Message("note_off", note=60, velocity=0, time=480),
        mido.Message("note_off", note=64, velocity=0, time=0),
        mido.Message("note_on", note=67, velocity=90, time=200000),
        mido.Message("note_on", note=67, velocity=0, time=127),
        mido.Message("note_on", note=69, velocity=1, time=128),
        mido.Message("note_on", note=69, velocity=0, time=16384),
    ))
    return midifile


def case_running_status():
    """Long runs of one status byte, which mido writes with running status,
    and changes of status among them."""
    midifile = mido.MidiFile(type=0, ticks_per_beat=96)
    messages = []
    for i in range(40):
        messages.append(mido.Message("note_on", channel=2, note=40 + i, velocity=100, time=5))
    for i in range(40):
        messages.append(mido.Message("note_on", channel=2, note=40 + i, velocity=0, time=3))
    for i in range(10):
        messages.append(mido.Message("control_change", channel=2, control=7, value=i * 10, time=1))
        messages.append(mido.Message("pitchwheel", channel=2, pitch=i * 500 - 2000, time=0))
        messages.append(mido.Message("pitchwheel", channel=2, pitch=i * 300, time=2))
    for i in range(5):
        messages.append(mido.Message("program_change", channel=3, program=i, time=0))
    for i in range(5):
        messages.append(mido.Message("aftertouch", channel=3, value=i, time=1))
    for i in range(5):
        messages.append(mido.Message("polytouch", channel=3, note=60, value=i, time=1))
    midifile.tracks.append(track_of(*messages))
    return midifile


def case_meta_texts():
    midifile = mido.MidiFile(type=1, ticks_per_beat=120)
    midifile.tracks.append(track_of(
        mido.MetaMessage("track_name", name="Conductor", time=0),
        mido.MetaMessage("copyright", text="(c) nobody", time=0),
        mido.MetaMessage("text", text="T" * 127, time=0),
        mido.MetaMessage("text", text="".join(chr(65 + i % 26) for i in range(200)), time=10),
        mido.MetaMessage("lyrics", text="la", time=0),
        mido.MetaMessage("marker", text="", time=5),
        mido.MetaMessage("time_signature", numerator=3, denominator=4, time=0),
        mido.MetaMessage("key_signature", key="Eb", time=0),
    ))
    midifile.tracks.append(track_of(
        mido.MetaMessage("instrument_name", name="Bells", time=0),
        mido.Message("note_on", channel=1, note=72, velocity=50, time=0),
        mido.Message("note_off", channel=1, note=72, velocity=10, time=60),
    ))
    return midifile


def case_tempo_changes():
    midifile = mido.MidiFile(type=1, ticks_per_beat=480)
    midifile.tracks.append(track_of(
        mido.MetaMessage("set_tempo", tempo=500000, time=0),
        mido.MetaMessage("set_tempo", tempo=250000, time=480),
        mido.MetaMessage("set_tempo", tempo=1000000, time=960),
        mido.MetaMessage("set_tempo", tempo=0xFFFFFF, time=1),
    ))
    midifile.tracks.append(track_of(
        mido.Message("note_on", note=60, velocity=64, time=0),
        mido.Message("note_off", note=60, velocity=64, time=2000),
    ))
    return midifile


def case_many_tracks():
    midifile = mido.MidiFile(type=1, ticks_per_beat=48)
    for channel in range(16):
        track = mido.MidiTrack()
        track.append(mido.MetaMessage("track_name", name="Voice %d" % (channel + 1)))
        track.append(mido.Message("control_change", channel=channel, control=0, value=3))
        track.append(mido.Message("program_change", channel=channel, program=channel))
        for step in range(channel + 1):
            track.append(mido.Message("note_on", channel=channel, note=36 + step,
                                      velocity=64, time=step))
            track.append(mido.Message("note_off", channel=channel, note=36 + step,
                                      velocity=0, time=12))
        midifile.tracks.append(track)
    midifile.tracks.append(mido.MidiTrack())  # an empty track
    return midifile


def case_sysex():
    midifile = mido.MidiFile(type=0, ticks_per_beat=96)
    midifile.tracks.append(track_of(
        mido.Message("note_on", note=60, velocity=64, time=0),
        mido.Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01], time=10),
        mido.Message("note_on", note=60, velocity=0, time=20),
    ))
    return midifile


CASES = [
    ("notes", case_notes),
    ("running status", case_running_status),
    ("meta texts", case_meta_texts),
    ("tempo changes", case_tempo_changes),
    ("many tracks", case_many_tracks),
    ("sysex", case_sysex),
]


def run_case(smfcopy, folder, name, builder):
    failures = 0
    source = os.path.join(folder, name.replace(" ", "_") + ".mid")
    builder().save(source)
    original, expected = mido_events(source)

    try:
        problem = compare(expected, smfcopy_dump(smfcopy, source))
    except RuntimeError as error:
        problem = str(error)
    if problem:
        print("FAIL %s (read): %s" % (name, problem))
        failures += 1
    else:
        print("PASS %s (read): %d events" % (name, len(expected)))

    copy = os.path.join(folder, name.replace(" ", "_") + "-copy.mid")
    result = subprocess.run([smfcopy, source, copy], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, universal_newlines=True)
    problem = None
    if result.returncode != 0:
        problem = "smfcopy exited with %d: %s" % (result.returncode, result.stderr.strip())
    else:
        try:
            copied, actual = mido_events(copy)
        except Exception as error:  # mido refuses the file
            problem = "mido cannot read the copy: %s" % error
        else:
            expected_type = 0 if len(original.tracks) == 1 else 1
            if copied.ticks_per_beat != original.ticks_per_beat:
                problem = "division %d, expected %d" % (copied.ticks_per_beat,
                                                         original.ticks_per_beat)
            elif copied.type != expected_type:
                problem = "type %d, expected %d" % (copied.type, expected_type)
            elif len(copied.tracks) != len(original.tracks):
                problem = "%d tracks, expected %d" % (len(copied.tracks), len(original.tracks))
            else:
                problem = compare(expected, actual)
    if problem:
        print("FAIL %s (copy): %s" % (name, problem))
        failures += 1
    else:
        print("PASS %s (copy): %d events" % (name, len(expected)))
    return failures


def main():
    if len(sys.argv) != 2:
        print("usage: mido_oracle.py PATH-OF-SMFCOPY")
        return 2
    smfcopy = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory(prefix="mido-oracle-") as folder:
        for name, builder in CASES:
            try:
                failures += run_case(smfcopy, folder, name, builder)
            except Exception as error:
                print("FAIL %s: %s: %s" % (name, type(error).__name__, error))
                failures += 1
    # A wrong command line, an option taken for a file name among them:
    # status 2 and the usage.
    for args in ([], ["--dump"], ["--copy", "out.mid"], ["a.mid", "b.mid", "c.mid"]):
        result = subprocess.run([smfcopy] + args, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, universal_newlines=True)
        if result.returncode != 2 or not result.stderr.startswith("Usage: smfcopy"):
            print("FAIL command line %s: status %d" % (args, result.returncode))
            failures += 1
    print("%s: %d failure(s)" % ("FAIL" if failures else "PASS", failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
