"""Variants of a one-track roll as they circulate, written with mido.

    roll_variants.py ROLL.mid KIND OUT.mid

KIND: conductor  format 1: tempo and texts on a track of their own
      split      format 1: the holes below key 60 and those above on two tracks
      N          format 0 with every hole moved by N keys (12, -12, 24)
"""

import sys

import mido


def timed(track):
    tick = 0
    for message in track:
        tick += message.time
        if message.type != "end_of_track":
            yield tick, message


def track_of(events):
    track, last = mido.MidiTrack(), 0
    for tick, message in events:
        track.append(message.copy(time=tick - last))
        last = tick
    return track


def main(source, kind, out):
    roll = mido.MidiFile(source)
    events = list(timed(roll.tracks[0]))
    holes = [e for e in events if e[1].type in ("note_on", "note_off")]
    others = [e for e in events if e[1].type not in ("note_on", "note_off")]
    if kind == "conductor":
        tracks = [others, holes]
    elif kind == "split":
        tracks = [others, [e for e in holes if e[1].note < 60], [e for e in holes if e[1].note >= 60]]
    else:
        shift = int(kind)
        tracks = [[(t, m.copy(note=m.note + shift) if m.type in ("note_on", "note_off") else m)
                   for t, m in events]]
    variant = mido.MidiFile(type=0 if len(tracks) == 1 else 1, ticks_per_beat=roll.ticks_per_beat)
    variant.tracks = [track_of(t) for t in tracks]
    variant.save(out)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])
