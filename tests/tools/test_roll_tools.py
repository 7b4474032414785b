#!/usr/bin/python3
"""makeroll and longroll, their rolls read back by python3-mido.

Usage: test_roll_tools.py MAKEROLL LONGROLL DEMO.mid

makeroll: small scores, each checked against what its notation says (the
ticks of every hole), the texts, tempo and order of events of a roll,
spellings that must punch the same roll, and scores it must refuse with one
line and status 1, writing nothing.  longroll: a demo roll played over for
a minute.  Both refuse a wrong command line with one line, writing nothing.  Exit status 0 when all pass, 1 on a failure, 77 without mido.
"""

import math
import os
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    print("SKIP: python3 module mido is not installed")
    sys.exit(77)

MAKEROLL, LONGROLL, DEMO = sys.argv[1:4]
WORK = tempfile.mkdtemp()
Q, BRIDGE = 240, 24  # ticks of a quarter; paper left uncut between two holes
HEAD = """# a score for the test
organ 150
title A Title   # a comment after a heading
text A text
copyright A copyright
tempo 97
division 240
meter 4/4
pickup 1/4
chord C = G3 C4 E4
"""
FILLER = "5-7 trumpet C5 D5 E5 F5 | G5 C5 D5 E5 | F5 G5 C5 D5\n"  # holes the organ counts
failures, passed = [], []


def check(name, ok, detail=""):
    print(("ok: " if ok else "FAILED: ") + name + ("" if ok else ": " + str(detail)))
    (passed if ok else failures).append(name)


def makeroll(music, name="roll", filler=FILLER):
    """makeroll on the heading, `music` and the filler: (status, stderr lines, roll path)."""
    score, roll = os.path.join(WORK, name + ".txt"), os.path.join(WORK, name + ".mid")
    with open(score, "w") as out:
        out.write(HEAD + music + filler)
    if os.path.exists(roll):
        os.remove(roll)
    run = subprocess.run([MAKEROLL, score, roll], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         universal_newlines=True, timeout=30)
    return run.returncode, run.stderr.splitlines(), roll


def timed(track):
    tick = 0
    for msg in track:
        tick += msg.time
        yield tick, msg


def holes(path):
    """[(open tick, close tick), ...] of every key."""
    opened, found = {}, {}
    for tick, msg in timed(mido.MidiFile(path).tracks[0]):
        if msg.type == "note_on":
            opened[msg.note] = tick
        elif msg.type == "note_off":
            found.setdefault(msg.note, []).append((opened.pop(msg.note), tick))
    return found


def bar(n):
    return 0 if n == 0 else Q + (n - 1) * 4 * Q


def pipe(start, length):
    return (start, start + length - BRIDGE)


def beater(start, length):
    return (start, start + min(length - BRIDGE, Q // 4))


# The holes of one key that a line of music punches, by its notation.
TIMING = [
    ("lengths and dots", "1 melody C5:4. C5:8 C5:2\n",
     [pipe(bar(1), 360), pipe(bar(1) + 360, 120), pipe(bar(1) + 480, 480)]),
    ("a length carried on", "1 melody C5:8 C5 C5:4 C5 C5\n",
     [pipe(bar(1), 120), pipe(bar(1) + 120, 120), pipe(bar(1) + 240, 240),
      pipe(bar(1) + 480, 240), pipe(bar(1) + 720, 240)]),
    ("a pickup and a rest", "0 melody C5\n1 melody - C5:2.\n",
     [pipe(0, Q), pipe(bar(1) + Q, 720)]),
    ("a drum's short holes", "1 drums bassdrum:2 bassdrum:8 bassdrum:16 bassdrum -:4\n",
     [beater(bar(1), 480), beater(bar(1) + 480, 120), beater(bar(1) + 600, 60),
      beater(bar(1) + 660, 60)]),
    ("control holes at beats, past the bar line", "1 ctl @2.5 stop:2.\n2 ctl @3 stop:8\n",
     [(bar(1) + 360, bar(1) + 1080), (bar(2) + 480, bar(2) + 600)]),
]
for name, music, expected in TIMING:
    status, errors, roll = makeroll(music)
    found = holes(roll) if status == 0 else {}
    check(name, expected in found.values(), errors or sorted(found.values()))

# In 6/8 a bar lasts six eighths.
status, errors, roll = makeroll("meter 6/8\n1-2 melody C5:4. C5 | C5 C5\n",
                                filler="5-9 trumpet C5:4. D5 | E5 F5 | G5 C5 | D5 E5 | F5 G5\n")
found = holes(roll) if status == 0 else {}
check("bars of 6/8", [pipe(Q + t, 360) for t in (0, 360, 720, 1080)] in found.values(),
      errors or sorted(found.values()))

# A roll needs ten of the holes the organ counts.
for counted, filler in ((9, "5-7 trumpet C5 D5 E5 F5 | G5 C5 D5 E5 | F5:1\n"),
                        (10, "5-7 trumpet C5 D5 E5 F5 | G5 C5 D5 E5 | F5 G5:2.\n")):
    status, errors, roll = makeroll("", filler=filler)
    refused = "only 9 holes the organ counts; a roll needs at least 10"
    check("%d holes the organ counts" % counted,
          (status, errors[-1:]) == ((1, [errors[-1]]) if counted < 10 else (0, [])) and
          (counted == 10 or errors[-1].endswith(refused)), (status, errors))
# One roll read whole: a type 0 file at the score's division; texts and
# tempo at its start; every hole a note-on at velocity 64 and a note-off on
# channel 1; at one tick the closing holes first, each kind by key; the
# end of the track where the last hole closes.
status, errors, path = makeroll("1 melody C5:2 C5+D5\n1 ctl stop:2\n2 accomp [C] G3 [C]:2\n")
roll = mido.MidiFile(path)
events = list(timed(roll.tracks[0]))
notes = [(t, m) for t, m in events if m.type in ("note_on", "note_off")]
check("a type 0 roll at the score's division",
      (roll.type, len(roll.tracks), roll.ticks_per_beat) == (0, 1, Q),
      (roll.type, len(roll.tracks), roll.ticks_per_beat))
metas = [(t, m.type, getattr(m, "text", None) or getattr(m, "name", None) or m.dict().get("tempo"))
         for t, m in events if m.is_meta and m.type != "end_of_track"]
check("texts and tempo at the start", sorted(metas, key=str) == sorted(
    [(0, "copyright", "A copyright"), (0, "track_name", "A Title"), (0, "text", "A text"),
     (0, "set_tempo", round(60e6 / 97))], key=str), metas)
check("holes open at velocity 64 and close on channel 1", all(
    m.channel == 0 and (m.type == "note_off" and m.velocity == 0 or
                        m.type == "note_on" and m.velocity == 64) for _, m in notes))
order = [(t, m.type == "note_on", m.note) for t, m in notes]
check("closing before opening at one tick, each by key", order == sorted(order), order)
check("the track ends where the last hole closes",
      events[-1][1].type == "end_of_track" and events[-1][0] == notes[-1][0])

# Spellings that punch the same roll.
SAME = [
    ("flats and sharps", "1 melody F#5 C#5 F#5:2\n", "1 melody Gb5 Db5 Gb5:2\n"),
    ("a chord and its notes", "1 accomp [C]:1\n", "1 accomp G3+C4+E4:1\n"),
    ("one line or several", "1-2 melody C5:1 | D5:1\n", "1 melody C5:1  # first\n2 melody D5:1\n"),
]
for name, one, other in SAME:
    a, b = makeroll(one, "one"), makeroll(other, "other")
    same = a[0] == b[0] == 0 and open(a[2], "rb").read() == open(b[2], "rb").read()
    check(name + " punch the same roll", same, a[1] + b[1])

# Scores refused with one line naming the fault and status 1, no roll.
REFUSED = [
    ("a hole opened again before it closed", "1 ctl @1 stop:2 @2 stop:4\n", "overlaps"),
    ("a beat beyond the bar", "1 ctl @5 stop:8\n", "no beat 5 in bar 1"),
    ("a bar too long", "1 melody C5:1 C5:4\n", "lasts 1200 ticks, not 960"),
    ("a note the part has no hole for", "1 melody C2:1\n", "no hole for C2"),
    ("a part the organ lacks", "1 violin C5:1\n", "has no part 'violin'"),
]
for name, music, says in REFUSED:
    status, errors, roll = makeroll(music)
    check("refuses " + name, status == 1 and len(errors) == 1 and says in errors[0] and
          not os.path.exists(roll), (status, errors))

# longroll: the demo's holes over and over for at least a minute, each
# copy a quarter after the one before ends; its texts and tempo once.
LONG = os.path.join(WORK, "long.mid")
run = subprocess.run([LONGROLL, DEMO, "1", LONG], stdout=subprocess.PIPE, timeout=60)
demo, long = mido.MidiFile(DEMO), mido.MidiFile(LONG) if run.returncode == 0 else None
if long is None:
    check("longroll writes a long roll", False, run.returncode)
else:
    original = list(timed(demo.tracks[0]))
    period = original[-1][0] + demo.ticks_per_beat
    copies = math.ceil(60 / demo.length)
    expected = [(t, m.bytes()) for t, m in original if m.is_meta and m.type != "end_of_track"]
    expected += [(t + k * period, m.bytes()) for k in range(copies)
                 for t, m in original if not m.is_meta]
    written = [(t, m.bytes()) for t, m in timed(long.tracks[0]) if m.type != "end_of_track"]
    check("longroll repeats the holes, texts and tempo once",
          sorted(written) == sorted(expected) and len(long.tracks) == 1,
          (len(written), len(expected)))
    check("longroll lasts a minute", 60 <= long.length < 60 + demo.length + 1, long.length)

# Wrong command lines: the status and the start of the one line on standard
# error; nothing written.
OUT = os.path.join(WORK, "refused.mid")
SCORE = os.path.join(WORK, "roll.txt")
COMMANDS = [
    ([MAKEROLL], 1, "usage: makeroll SCORE OUT.mid"),
    ([MAKEROLL, SCORE], 1, "usage: makeroll SCORE OUT.mid"),
    ([MAKEROLL, SCORE, OUT, OUT], 1, "usage: makeroll SCORE OUT.mid"),
    ([MAKEROLL, os.path.join(WORK, "none.txt"), OUT], 1, "makeroll: %s/none.txt: cannot be read" % WORK),
    ([LONGROLL, DEMO, "1"], 2, "Usage: longroll ROLL.mid MINUTES OUT.mid"),
    ([LONGROLL, DEMO, "0", OUT], 2, "Usage: longroll ROLL.mid MINUTES OUT.mid"),
    ([LONGROLL, DEMO, "-1", OUT], 2, "Usage: longroll ROLL.mid MINUTES OUT.mid"),
    ([LONGROLL, SCORE, "1", OUT], 1, "longroll: %s is not a one-track roll" % SCORE),
]
for command, expected, says in COMMANDS:
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         universal_newlines=True, timeout=30)
    errors = run.stderr.splitlines()
    check("refuses " + " ".join(os.path.basename(a) for a in command),
          run.returncode == expected and errors == [says] and not os.path.exists(OUT),
          (run.returncode, errors))

print("%d passed, %d failed" % (len(passed), len(failures)))
sys.exit(1 if failures else 0)
