#!/usr/bin/env python3
"""Test scaffolding: makes roll pages for the browser tests without kolvo.

Fills tools/kolvo/page/page.html with page.css, page.js, a data set and an
audio file the way `kolvo page` fills it (see tools/kolvo/page/README.md),
so that the page's script can be tested before and apart from the program.
The data comes from a JSON file (a hand-written fixture) or is made up: a
roll of random holes of any length, for the performance checks.  The audio
is a quiet tone made here, of the data's length, unless a file is given.

    fill_fixture_page.py (--data FILE | --synthetic-minutes N) [--hostile]
                         [--audio-file FILE] [--link] [--audio-offset S] -o PAGE.html
"""

import argparse
import base64
import hashlib
import html
import io
import json
import os
import random
import re
import sys
import urllib.parse
import wave

PAGE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                        "tools", "kolvo", "page")
AUDIO_TYPES = {".wav": "audio/wav", ".ogg": "audio/ogg", ".oga": "audio/ogg",
               ".opus": "audio/ogg", ".flac": "audio/flac"}

# Texts that would run or show markup if the page took them for HTML or
# script anywhere.  What they run sets window.kolvoInjected or opens a
# dialog; the tests look for both.
HOSTILE = {
    "title": "</title><script>window.kolvoInjected=1</script> {{data}} &amp; <b>bold</b>",
    "file": '"><img src=x onerror="window.kolvoInjected=2">.mid',
    "organ": "<i>Wurlitzer</i> 150",
    "copyright": ["</script><script>window.kolvoInjected=3</script>", "<!--<script>"],
    "text": ["\u2028window.kolvoInjected=4\u2029", "<style>body{display:none}</style>",
             "'; window.kolvoInjected=5; //", "<svg onload=alert(6)>"],
    "lane": "<img src=x onerror=alert(7)>",
    "control": '<a href="javascript:alert(8)">Stop</a>',
    "kind": "<u>Melody</u>",
}


def hostile(data):
    """The data with markup and script in every text it holds."""
    data = dict(data)
    for key in ("title", "file", "organ", "copyright", "text"):
        data[key] = HOSTILE[key]
    data["lanes"] = [dict(lane, label=HOSTILE["lane"] + lane["label"]) for lane in data["lanes"]]
    data["controls"] = [dict(c, label=HOSTILE["control"] + c["label"]) for c in data["controls"]]
    data["kinds"] = [dict(k, label=HOSTILE["kind"] + k["label"]) for k in data["kinds"]]
    return data


def synthetic(minutes, seed=1):
    """A roll of the 165's size with random holes, about 25 a second."""
    rng = random.Random(seed)
    small = json.load(open(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                        "fixtures", "small.json"), encoding="utf-8"))
    kinds = [k["name"] for k in small["kinds"]]
    lanes = [{"hole": hole, "kind": kinds[(hole // 8) % len(kinds)], "label": "Hole %d" % hole}
             for hole in range(24, 99)]
    duration = minutes * 60.0
    holes, t = [], 0.5
    while t < duration - 2:
        length = rng.choice((0.05, 0.1, 0.2, 0.4, 0.8, 1.5))
        holes.append((rng.randrange(24, 99), round(t, 3), round(t + length, 3)))
        t += rng.expovariate(25.0)
    timeline, t = [], 1.0
    while t < duration:
        timeline += [round(t, 3), rng.randrange(len(small["controls"])), rng.randrange(2)]
        t += rng.uniform(0.5, 6.0)
    return dict(small, title="%d minutes of random holes" % minutes, file="synthetic.mid",
                text=[], playing_seconds=int(duration), duration=duration, lanes=lanes,
                holes=[value for hole in holes for value in hole], timeline=timeline)


def quiet_tone(seconds, rate=4000):
    """A WAV file of a faint 200 Hz tone, 8-bit mono."""
    period = bytes(128 + round(6 * (1 if i < rate // 400 else -1)) for i in range(rate // 200))
    samples = period * (int(seconds * rate) // len(period) + 1)
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(rate)
        w.writeframes(samples[:int(seconds * rate)])
    return out.getvalue()


# --- what kolvo page does -------------------------------------------------

def json_in_script(data):
    """JSON that cannot end or confuse the <script> element it stands in."""
    text = json.dumps(data, ensure_ascii=False, separators=(",", ":"))
    for raw, escaped in (("<", "\\u003c"), (">", "\\u003e"), ("&", "\\u0026"),
                         ("\u2028", "\\u2028"), ("\u2029", "\\u2029")):
        text = text.replace(raw, escaped)
    return text


def fill(template, values):
    """Each {{name}} of the template replaced once; inserted text is not
    searched again."""
    used = set()

    def value(match):
        used.add(match.group(1))
        return values[match.group(1)]

    page = re.sub(r"\{\{([a-z-]+)\}\}", value, template)
    if used != set(values):
        raise SystemExit("fill_fixture_page: the template lacks " + ", ".join(set(values) - used))
    return page


def roll_page(data, audio_src):
    read = lambda name: open(os.path.join(PAGE_DIR, name), encoding="utf-8").read()
    script, css = read("page.js"), read("page.css")
    for name, text, end in (("page.js", script, "</script"), ("page.css", css, "</style")):
        if end in text.lower() or "<!--" in text:
            raise SystemExit("fill_fixture_page: %s holds %s or <!--" % (name, end))
    digest = base64.b64encode(hashlib.sha256(script.encode("utf-8")).digest()).decode()
    return fill(read("page.html"), {
        "title": html.escape(data["title"]),
        "css": css,
        "script": script,
        "script-hash": "sha256-" + digest,
        "audio": html.escape(audio_src),
        "data": json_in_script(data),
    })


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--data", help="the page's data as a JSON file")
    source.add_argument("--synthetic-minutes", type=float, help="random holes for this long")
    parser.add_argument("--hostile", action="store_true", help="markup and script in every text")
    parser.add_argument("--audio-file", help="the audio (default: a quiet tone of the data's length)")
    parser.add_argument("--link", action="store_true", help="link the audio, beside the page")
    parser.add_argument("--audio-offset", type=float, help="the audio's time at the music's time 0")
    parser.add_argument("-o", "--out", required=True)
    args = parser.parse_args(argv)

    if args.data:
        data = json.load(open(args.data, encoding="utf-8"))
    else:
        data = synthetic(args.synthetic_minutes)
    if args.hostile:
        data = hostile(data)
    if args.audio_offset is not None:
        data["audio_offset"] = args.audio_offset
    if args.audio_file:
        audio, extension = open(args.audio_file, "rb").read(), os.path.splitext(args.audio_file)[1]
    else:
        audio, extension = quiet_tone(data["duration"]), ".wav"
    if args.link:
        name = os.path.splitext(os.path.basename(args.out))[0] + " audio" + extension
        with open(os.path.join(os.path.dirname(os.path.abspath(args.out)), name), "wb") as f:
            f.write(audio)
        src = urllib.parse.quote(name)
    else:
        src = "data:%s;base64,%s" % (AUDIO_TYPES[extension.lower()], base64.b64encode(audio).decode())
    with open(args.out, "w", encoding="utf-8") as f:
        f.write(roll_page(data, src))


if __name__ == "__main__":
    main(sys.argv[1:])
