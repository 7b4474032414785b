"""Checks of what kolvo writes, for the end-to-end tests.

    kolvo_checks.py wav AUDIO.wav ARRANGEMENT.mid   rendered audio against the music
    kolvo_checks.py svg PICTURE.svg LANES           well-formed, one lane label per hole
    kolvo_checks.py png PICTURE.png PICTURE.svg     not blank: holes in the SVG's colours
    kolvo_checks.py info DIR WHAT... < info.json     each roll's organ, else its refusal's
                                                    rule; the same keys for every roll;
                                                    the values against mido's reading
    kolvo_checks.py page PAGE.html AUDIO < info.json  a roll page: its script's hash, its
                                                     audio (AUDIO "embedded": Ogg in the
                                                     page, else the link), its timeline

Prints what is wrong and exits 1; exits 0 when all is well.
"""

import array
import base64
import hashlib
import html
import json
import os
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


INFO_KEYS = ["file", "organ", "refusal", "advice", "tracks", "joined", "shift",
             "ticks_per_quarter_note", "copyright", "title", "text", "input_tempo",
             "input_tempo_used", "output_tempo", "playing_seconds", "organs", "holes",
             "control_holes", "controls", "timeline"]


def expected_info(path):
    """What info must say of an accepted roll, read with mido."""
    import mido
    midi = mido.MidiFile(path)
    texts = {"copyright": [], "track_name": [], "text": []}
    tempo, last_end = None, 0
    for track in midi.tracks:
        tick = 0
        for message in track:
            tick += message.time
            if message.type in texts:
                texts[message.type].append(message.name if message.type == "track_name"
                                           else message.text)
            elif message.type == "set_tempo":
                tempo = message.tempo
            elif message.type == "note_off" or (message.type == "note_on" and
                                                 message.velocity == 0):
                last_end = max(last_end, tick)
    bpm = 60e6 / tempo if tempo else 85.0
    return {"tracks": len(midi.tracks), "ticks_per_quarter_note": midi.ticks_per_beat,
            "copyright": texts["copyright"], "title": texts["track_name"],
            "text": texts["text"], "input_tempo": round(bpm, 2) if tempo else None,
            "playing_seconds": round(last_end * 60.0 / (bpm * midi.ticks_per_beat), 2)}


def check_info(folder, expected):
    rolls = json.loads(sys.stdin.buffer.read())["rolls"]  # strict UTF-8
    faults = []
    found = []
    for roll in rolls:
        if list(roll) != INFO_KEYS:
            faults.append("%s: keys %s" % (roll.get("file"), list(roll)))
            continue
        refusal = roll["refusal"]
        found.append(str(roll["organ"]) if refusal is None else refusal["rule"])
        if (roll["organ"] is None) == (refusal is None) or not (
                refusal is None or set(refusal) == {"rule", "message"}):
            faults.append("%s: organ %s with refusal %s" % (roll["file"], roll["organ"], refusal))
        if roll["organ"] is None:
            continue
        for key, value in expected_info(os.path.join(folder, roll["file"])).items():
            if roll[key] != value:
                faults.append("%s: %s %s, mido reads %s" % (roll["file"], key, roll[key], value))
    if found != expected:
        faults.append("found %s, expected %s" % (found, expected))
    return faults


def check_page(page, audio):
    text = open(page, encoding="utf-8").read()
    faults = []
    script = re.search(r"<script>(.*)</script>\n</body>", text, re.S).group(1)
    digest = base64.b64encode(hashlib.sha256(script.encode("utf-8")).digest()).decode()
    if "script-src 'sha256-%s'" % digest not in text:
        faults.append("the policy does not allow the page's own script")
    src = html.unescape(re.search(r'<audio id="audio" preload="auto" src="([^"]*)"', text).group(1))
    if audio == "embedded":
        prefix = "data:audio/ogg;base64,"
        head = base64.b64decode(src[len(prefix):])[:64] if src.startswith(prefix) else b""
        if not head.startswith(b"OggS") or b"OpusHead" not in head:
            faults.append("no Ogg Opus audio embedded")
    elif src != audio:
        faults.append("audio %r, expected %r" % (src[:80], audio))
    data = json.loads(re.search(r'id="roll-data">(.*?)</script>', text, re.S).group(1))
    names = [c["name"] for c in data["controls"]]
    timeline = [(data["timeline"][i], names[data["timeline"][i + 1]], data["timeline"][i + 2] == 1)
                for i in range(0, len(data["timeline"]), 3)]
    info = json.loads(sys.stdin.buffer.read())["rolls"][0]
    expected = [(t["time"], t["control"], t["on"]) for t in info["timeline"]]
    if timeline != expected:
        faults.append("timeline %s..., info has %s..." % (timeline[:3], expected[:3]))
    # Linked audio is taken to last from the first note to the last hole's end.
    music_end = max(data["holes"][2::3]) + data["audio_offset"]
    if audio != "embedded" and abs(data["duration"] - music_end) > 0.0015:
        faults.append("linked audio lasts %s, the music %s" % (data["duration"], music_end))
    if data["format"] != 1 or not 0 < data["duration"] < 3 * 3600:
        faults.append("format %s, duration %s" % (data["format"], data["duration"]))
    return faults


def main(argv):
    what = argv[1]
    if what == "wav":
        faults = check_wav(argv[2], argv[3])
    elif what == "svg":
        faults = check_svg(argv[2], int(argv[3]))
    elif what == "png":
        faults = check_png(argv[2], argv[3])
    elif what == "info":
        faults = check_info(argv[2], argv[3:])
    elif what == "page":
        faults = check_page(argv[2], argv[3])
    else:
        raise SystemExit(__doc__)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
