"""Checks of what kolvo writes, for the end-to-end tests.

    kolvo_checks.py wav AUDIO.wav ARRANGEMENT.mid   rendered audio against the music
    kolvo_checks.py svg PICTURE.svg LANES           well-formed, one lane label per hole
    kolvo_checks.py png PICTURE.png PICTURE.svg     not blank: holes in the SVG's colours
    kolvo_checks.py organs ORGAN...  < info.json    each roll's organ ("null": neither)

Prints what is wrong and exits 1; exits 0 when all is well.
"""

import array
import json
import re
import struct
import sys
import wave
import xml.etree.ElementTree as ElementTree
import zlib

AUDIBLE = 100  # of 32767: well above FluidSynth's dither


def music_span(path):
    """Seconds of the first note-on and of the last event of a MIDI file."""
    import mido

    first, last = None, 0.0
    now = 0.0
    for message in mido.MidiFile(path):  # merged tracks, times in seconds
        now += message.time
        if message.type == "note_on" and message.velocity > 0 and first is None:
            first = now
        last = now
    return first, last


def check_wav(audio, arrangement):
    with wave.open(audio) as w:
        rate, frames = w.getframerate(), w.getnframes()
        samples = array.array("h", w.readframes(frames))
    loud = [i // 2 for i, v in enumerate(samples) if abs(v) >= AUDIBLE]
    first, last = music_span(arrangement)
    music = last - first
    length = frames / rate
    faults = []
    if not loud or loud[0] / rate > 0.1:
        faults.append("first audible sample later than 0.1 s")
    if not 0.0 <= length - music <= 2.05:
        faults.append("%.2f s of audio for %.2f s of music" % (length, music))
    sounding = {int(i / rate) // 10 for i in loud}
    for window in range(int(music) // 10 + (music % 10 > 1)):
        if window not in sounding:
            faults.append("silent from %d s" % (window * 10))
    return faults


def check_svg(picture, lanes):
    root = ElementTree.parse(picture).getroot()
    labels = [e for e in root.iter("{http://www.w3.org/2000/svg}text")
              if "label" in e.get("class", "").split()]
    holes = sorted(int(e.get("data-hole")) for e in labels)
    if len(holes) != lanes or len(set(holes)) != lanes or holes[-1] - holes[0] != lanes - 1:
        return ["%d lane labels for holes %s, expected %d" % (len(holes), holes[:3], lanes)]
    return []


def png_pixels(path):
    """The RGB(A) rows of an 8-bit PNG without interlacing."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), "unexpected PNG format"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    size = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * size
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - size] if x >= size else 0
            b, c = previous[x], previous[x - size] if x >= size else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    return [[tuple(row[x:x + 3]) for x in range(0, stride, size)] for row in rows]


def check_png(picture, svg):
    pixels = set(p for row in png_pixels(picture) for p in row)
    style = open(svg, encoding="utf-8").read()
    fills = set(re.findall(r"\{fill:#([0-9a-f]{6})\}", style))
    shown = [f for f in fills if tuple(bytes.fromhex(f)) in pixels]
    if len(shown) < 5:
        return ["blank: %d of the %d hole colours drawn" % (len(shown), len(fills))]
    return []


def check_organs(expected):
    rolls = json.loads(sys.stdin.buffer.read())["rolls"]  # strict UTF-8
    found = ["error" if "error" in r else r["organ"] or "null" for r in rolls]
    return [] if found == expected else ["organs %s, expected %s" % (found, expected)]


def main(argv):
    what = argv[1]
    if what == "wav":
        faults = check_wav(argv[2], argv[3])
    elif what == "svg":
        faults = check_svg(argv[2], int(argv[3]))
    elif what == "png":
        faults = check_png(argv[2], argv[3])
    elif what == "organs":
        faults = check_organs(argv[2:])
    else:
        raise SystemExit(__doc__)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
