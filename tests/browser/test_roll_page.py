#!/usr/bin/env python3
"""The roll page in a real browser: headless Chromium, driven through the
DevTools protocol (devtools.py), loads each page, plays, pauses and seeks
it through window.kolvoPage and checks what it draws against the page's
own data.

    test_roll_page.py [PAGE.html...] [--long PAGE.html] [--screenshot OUT.png]
    test_roll_page.py [--fixtures all|small|long]
    test_roll_page.py --kolvo KOLVO --soundfont SF2 --makeroll MAKEROLL --longroll LONGROLL
                      [--fixtures all|small|long]

Every PAGE gets every check below but the performance ones, which the page
of a long roll (--long) gets.  Without pages, fixture pages are made with
fill_fixture_page.py: a small hand-written roll (embedded audio; linked
audio that starts 1.5 s before the music; markup and script in all its
texts), a 60-minute roll of random holes for --long, and pages whose data
the page must refuse.  With --kolvo the pages are the program's own:
both demo rolls; the 150's demo roll punched again (makeroll) with markup
and script in its texts and its file name; a 60-minute roll (longroll)
with linked audio for --long.

Exit status 0 when every check passed, 1 when one failed, 77 (skipped)
when there is no Chromium.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time
import re
import traceback
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE_DIR = os.path.join(HERE, "..", "..", "tools", "kolvo", "page")
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from devtools import Browser, ProtocolError, find_chromium  # noqa: E402
from kolvo_checks import png_pixels  # noqa: E402
from fill_fixture_page import HOSTILE, quiet_tone  # noqa: E402

PYTHON = sys.executable
LOAD_LIMIT = 5.0      # seconds to open the page of a 60-minute roll
SMOOTH_FPS = 30.0     # frames per second while it plays
SYNC_LIMIT = 0.030    # seconds between the roll drawn and the audio's clock


class Fault(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Fault(message)


# --- what the data says ---------------------------------------------------

def triples(flat):
    return [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]


def lamps_at(data, t):
    names = [c["name"] for c in data["controls"]]
    states = dict.fromkeys(names, False)
    for time_, control, state in triples(data["timeline"]):
        if time_ <= t:
            states[names[control]] = state == 1
    return states


def holes_at(data, t):
    return sorted({hole for hole, start, end in triples(data["holes"]) if start <= t < end})


def seek_times(data, most=24):
    """Times at which the timeline or a hole changes, just before them and
    between them; at most `most`, spread over the roll.  Exact change
    times only when audio and data share a clock (no offset to add)."""
    changes = sorted({t for t, _, _ in triples(data["timeline"])}
                     | {t for _, start, end in triples(data["holes"])[:200] for t in (start, end)})
    exact = data.get("audio_offset", 0) == 0
    times = set()
    for a, b in zip(changes, changes[1:] + [data["duration"]]):
        times.update([a - 0.001, (a + b) / 2] + ([a] if exact else []))
    offset = data.get("audio_offset", 0)
    times = sorted(t for t in times if 0 <= t + offset <= data["duration"])
    step = max(1, len(times) // most)
    return times[::step]


# --- the page in the browser ----------------------------------------------

class RollPage:
    def __init__(self, browser, path):
        self.path = os.path.abspath(path)
        self.url = "file://" + urllib.parse.quote(self.path)
        self.tab = browser.new_page()
        started = time.monotonic()
        self.tab.goto(self.url)
        self.tab.wait_for("window.kolvoPage !== undefined && (kolvoPage.ready || kolvoPage.problem !== null)", 60)
        self.load_seconds = time.monotonic() - started
        self.data = json.loads(self.tab.eval("document.getElementById('roll-data').textContent"))
        self.offset = self.data.get("audio_offset", 0)

    def js(self, expression, timeout=30):
        return self.tab.eval(expression, timeout)

    def seek(self, t):
        """Seeks to time t of the data's clock and waits until it is drawn
        (the browser keeps a media time to the microsecond)."""
        self.js("kolvoPage.seek(%r)" % (t + self.offset))
        self.tab.wait_for("Math.abs(kolvoPage.rollOffset() - %r) < 1e-5" % t)

    def pause(self):
        self.js("kolvoPage.pause()")
        self.tab.wait_for("document.querySelector('audio').paused"
                          " && Math.abs(kolvoPage.rollOffset() + %r - kolvoPage.time()) < 1e-9" % self.offset)

    def play(self):
        self.js("kolvoPage.play()")
        start = self.js("kolvoPage.time()")
        self.tab.wait_for("kolvoPage.time() > %r" % start)

    def in_frame(self, expression):
        """The expression's value in an animation frame, after the page drew it."""
        return self.js("new Promise(done => requestAnimationFrame(() => done(%s)))" % expression)

    def element_box(self, selector, index=0):
        return self.js("(() => { const r = document.querySelectorAll(%s)[%d]"
                       ".getBoundingClientRect(); return {x: r.x, y: r.y, width: r.width,"
                       " height: r.height}; })()" % (json.dumps(selector), index))


def check_loads_cleanly(page):
    audio = page.js("document.querySelector('audio').src")
    expect(page.js("kolvoPage.problem") is None, "the page says: %s" % page.js("kolvoPage.problem"))
    page.tab.take_events(wait=0.2)
    expect(not page.tab.errors, "console errors: %s" % page.tab.errors[:3])
    foreign = [u for u in page.tab.requests if u not in (page.url, audio) and not u.startswith("data:")]
    expect(not foreign, "requests beyond the page and its audio: %s" % foreign[:3])


def check_texts_literal(page):
    d = page.data
    shown = page.js("""(() => {
        const text = (id) => document.getElementById(id).textContent;
        const all = (selector) => [...document.querySelectorAll(selector)].map(e => e.textContent);
        return {title: text('title'), about: text('about'), copyright: text('copyright'),
                texts: all('#texts li'), lamps: all('#lamps li > span:nth-child(2)'),
                legend: all('#legend li'), documentTitle: document.title,
                injected: window.kolvoInjected === undefined ? null : String(window.kolvoInjected),
                tags: [...new Set([...document.body.querySelectorAll('*')].map(e => e.localName))],
                scripts: document.scripts.length, styles: document.querySelectorAll('style').length};
    })()""")
    expect(shown["injected"] is None, "a roll text ran script: kolvoInjected = %s" % shown["injected"])
    expect(not page.tab.dialogs, "a roll text opened dialogs: %s" % page.tab.dialogs)
    # The template's elements, and the list items and spans that the
    # script makes for texts, lamps and legend.
    template = open(os.path.join(PAGE_DIR, "page.html"), encoding="utf-8").read()
    expected_tags = set(re.findall(r"<([a-z][a-z0-9]*)", template.split("<body>")[1])) | {"li", "span"}
    expect(set(shown["tags"]) <= expected_tags,
           "elements that the template does not have: %s" % (set(shown["tags"]) - expected_tags))
    expect(shown["scripts"] == 2 and shown["styles"] == 1,
           "%d scripts and %d style sheets, the template has 2 and 1" % (shown["scripts"], shown["styles"]))
    expect(shown["title"] == d["title"], "heading %r, data %r" % (shown["title"], d["title"]))
    expect(shown["documentTitle"] == " ".join(d["title"].split()),
           "window title %r, data %r" % (shown["documentTitle"], d["title"]))
    expect(shown["copyright"] == "\n".join(d["copyright"]), "copyright %r" % shown["copyright"])
    expect(shown["texts"] == d["text"], "texts %r, data %r" % (shown["texts"], d["text"]))
    expect(d["organ"] in shown["about"] and d["file"] in shown["about"],
           "organ and file name not in %r" % shown["about"])
    expect(shown["lamps"] == [c["label"] for c in d["controls"]], "lamps %r" % shown["lamps"])
    expect(shown["legend"] == [k["label"] for k in d["kinds"]], "legend %r" % shown["legend"])


def measured(attempts, measure, good):
    """The first of up to `attempts` measurements that is good, else all of
    them: on a machine that others load, a stall of the browser's audio or
    frames now and then is the machine's, not the page's."""
    found = []
    for _ in range(attempts):
        found.append(measure())
        if good(found[-1]):
            return found[-1], found
    return None, found


def check_plays_in_time(page):
    page.seek(1.0)
    page.play()

    def advance():
        audio0, wall0 = page.js("kolvoPage.time()"), time.monotonic()
        time.sleep(2.0)  # the span measured, not a wait for a condition
        return page.js("kolvoPage.time()") - audio0, time.monotonic() - wall0

    ok, found = measured(3, advance, lambda m: abs(m[0] - m[1]) < 0.25)
    expect(ok, "the audio advanced " + ", ".join("%.3f s in %.3f s" % m for m in found))
    for _ in range(10):
        drawn, audio = page.in_frame("[kolvoPage.rollOffset(), kolvoPage.time()]")
        expect(abs(drawn + page.offset - audio) <= SYNC_LIMIT,
               "the roll is drawn at %.3f s while the audio is at %.3f s" % (drawn, audio - page.offset))
    page.pause()
    still = page.js("[kolvoPage.time(), kolvoPage.rollOffset()]")
    time.sleep(0.5)  # the span measured
    expect(page.js("[kolvoPage.time(), kolvoPage.rollOffset()]") == still, "paused, but it moved on")


def check_seek_shows_timeline(page):
    for t in seek_times(page.data):
        page.seek(t)
        t, lamps, holes = page.js("[kolvoPage.rollOffset(), kolvoPage.lamps(), kolvoPage.holesUnderBar()]")
        expect(lamps == lamps_at(page.data, t), "at %.3f s lamps %s, timeline %s"
               % (t, lamps, lamps_at(page.data, t)))
        expect(holes == holes_at(page.data, t), "at %.3f s holes %s under the bar, data %s"
               % (t, holes, holes_at(page.data, t)))


def steady_time(data):
    """A time whose lamps stay as they are for two seconds, rather one
    with some lamps on and some off, and rather more on."""
    changes = sorted({t for t, _, _ in triples(data["timeline"])})
    offset = data.get("audio_offset", 0)
    start, end = max(0, -offset), data["duration"] - offset  # where the audio plays

    def score(t):
        later = [c for c in changes if c > t]
        steady = (later[0] if later else end + 2) - t >= 2 and start <= t <= end - 2
        on = sum(lamps_at(data, t).values())
        return steady, 0 < on < len(data["controls"]), on

    return max([start] + [t + 0.01 for t in changes[:300]], key=score)


def colour_near(pixel, hex_colour, tolerance=10):
    return all(abs(p - int(hex_colour[i:i + 2], 16)) <= tolerance for p, i in zip(pixel, (1, 3, 5)))


def check_screenshot(page, keep=None):
    page.seek(steady_time(page.data))
    page.play()
    time.sleep(0.3)  # let it play a little
    lamps = page.js("kolvoPage.lamps()")
    roll = page.element_box("#roll")
    lamp_row = page.element_box("#lamps")
    full = page.tab.screenshot()
    expect(page.js("kolvoPage.lamps()") == lamps, "the lamps changed while the screenshot was taken")
    page.pause()
    if keep:
        with open(keep, "wb") as f:
            f.write(full)
    with tempfile.NamedTemporaryFile(suffix=".png") as f:
        f.write(full)
        f.flush()
        pixels = png_pixels(f.name)
    top, bottom = int(roll["y"]) + 1, int(roll["y"] + roll["height"]) - 1
    shown = {p for row in pixels[top:bottom:2] for p in row[int(roll["x"]):int(roll["x"] + roll["width"]):2]}
    drawn = [k["colour"] for k in page.data["kinds"] if any(colour_near(p, k["colour"], 0) for p in shown)]
    expect(len(drawn) >= min(3, len(page.data["kinds"])),
           "the roll looks blank: %d of the kinds' colours drawn" % len(drawn))
    off = page.js("getComputedStyle(document.documentElement).getPropertyValue('--lamp-off').trim()")
    expect(lamp_row["height"] > 0, "no lamps shown")
    for i, control in enumerate(page.data["controls"]):
        bulb = page.element_box("#lamps .bulb", i)
        x, y = int(bulb["x"] + bulb["width"] / 2), int(bulb["y"] + bulb["height"] / 2)
        kind = {k["name"]: k["colour"] for k in page.data["kinds"]}[control["kind"]]
        want = kind if lamps[control["name"]] else off
        expect(colour_near(pixels[y][x], want), "lamp %s shows %s, expected %s (%s)" % (
            control["name"], pixels[y][x], want, "on" if lamps[control["name"]] else "off"))


def check_controls(page):
    """The play button, the space bar (also with the button focused), the
    slider, a click on the roll and dragging the paper."""
    paused = "document.querySelector('audio').paused"
    page.pause()
    page.seek(page.data["duration"] / 4)
    button = page.element_box("#play")
    for kind in ("mousePressed", "mouseReleased"):
        page.tab.mouse(kind, button["x"] + 5, button["y"] + 5)
    page.tab.wait_for("!" + paused)
    for expected in (True, False, True):
        page.tab.key(" ", "Space", 32)
        page.tab.wait_for(paused if expected else "!" + paused)
        time.sleep(0.2)  # a second toggle would come now
        expect(page.js(paused) == expected, "the space bar toggled twice")

    slider = page.element_box("#slider")
    for kind in ("mousePressed", "mouseReleased"):
        page.tab.mouse(kind, slider["x"] + slider["width"] / 2, slider["y"] + slider["height"] / 2)
    half = page.js("kolvoPage.duration") / 2
    expect(abs(page.js("kolvoPage.time()") - half) < 0.05 * half + 0.5,
           "clicking the slider's middle went to %.2f s of %.2f" % (page.js("kolvoPage.time()"), 2 * half))

    roll = page.element_box("#roll")
    y = roll["y"] + roll["height"] / 3
    right = roll["x"] + 0.9 * roll["width"]
    for kind, x, forward in (("click", right, True), ("drag", right, True), ("drag", right - 200, False)):
        page.seek(page.data["duration"] / 4)
        before = page.js("kolvoPage.time()")
        page.tab.mouse("mousePressed", x, y)
        if kind == "drag":
            for step in range(1, 11):
                page.tab.mouse("mouseMoved", x + (-12 if forward else 12) * step, y)
        page.tab.mouse("mouseReleased", x + (0 if kind == "click" else -120 if forward else 120), y)
        after = page.js("kolvoPage.time()")
        expect((after > before + 0.5) if forward else (after < before - 0.5),
               "a %s on the roll went from %.2f s to %.2f s" % (kind, before, after))
    # Six pixels are a drag already (0.1 s at 60 pixels a second), not a click.
    page.seek(page.data["duration"] / 4)
    before = page.js("kolvoPage.time()")
    for kind, dx in (("mousePressed", 0), ("mouseMoved", -6), ("mouseReleased", -6)):
        page.tab.mouse(kind, right + dx, y)
    after = page.js("kolvoPage.time()")
    expect(abs(after - before - 0.1) < 0.03,
           "a drag of 6 pixels went from %.2f s to %.2f s" % (before, after))


def check_loads_fast(page):
    expect(page.load_seconds < LOAD_LIMIT, "it took %.2f s to open" % page.load_seconds)


def check_plays_smoothly(page):
    page.seek(page.data["duration"] / 2)
    page.play()

    def frame_rate():
        frames = page.js("""new Promise(done => {
            const stamps = [];
            const step = (t) => { stamps.push(t);
                if (t - stamps[0] < 3000) requestAnimationFrame(step); else done(stamps); };
            requestAnimationFrame(step);
        })""", timeout=60)
        worst = max(b - a for a, b in zip(frames, frames[1:]))
        return (len(frames) - 1) / ((frames[-1] - frames[0]) / 1000), worst

    ok, found = measured(3, frame_rate, lambda m: m[0] >= SMOOTH_FPS)
    page.pause()
    print("#   %s: opened in %.2f s; frames per second (longest frame): %s"
          % (os.path.basename(page.path), page.load_seconds,
             ", ".join("%.1f (%.0f ms)" % m for m in found)))
    expect(ok, "fewer than %d frames per second" % SMOOTH_FPS)


def check_refuses(page, expected):
    problem = page.js("kolvoPage.problem") or ""
    shown = page.js("document.getElementById('problem').hidden ? '' : document.getElementById('problem').textContent")
    expect(expected in problem and problem == shown, "it says %r, expected %r" % (shown, expected))
    expect(not page.js("kolvoPage.ready"), "ready with data it refused")
    page.tab.take_events(wait=0.1)
    expect(not [e for e in page.tab.errors if not e.startswith("console: kolvo page:")],
           "errors beside the refusal: %s" % page.tab.errors)


EVERY_PAGE = [check_loads_cleanly, check_texts_literal, check_plays_in_time,
              check_seek_shows_timeline, check_screenshot, check_controls]
LONG_PAGE = [check_loads_cleanly, check_loads_fast, check_plays_smoothly]

# Data the page must refuse: (what is wrong, change to the fixture, words of the refusal).
BAD_DATA = [
    ("a newer format", lambda d: d.update(format=2), "format is 2"),
    ("holes out of order", lambda d: d.update(holes=d["holes"][-3:] + d["holes"][:-3]),
     "starts before"),
    ("a hole without a lane", lambda d: d.update(holes=[99, 1, 2] + d["holes"][3:]), "has no lane"),
    ("a colour that is not one", lambda d: d["kinds"][0].update(colour="red;background:url(x)"),
     "no #rrggbb colour"),
    ("a timeline entry of no control", lambda d: d.update(timeline=d["timeline"] + [19, 7, 1]),
     "names no control"),
]


# --- running --------------------------------------------------------------

class Run:
    def __init__(self, browser):
        self.browser = browser
        self.passed = self.failed = 0

    def case(self, name, action, *args):
        try:
            action(*args)
        except (Fault, ProtocolError) as e:
            self.failed += 1
            print("FAIL %s: %s" % (name, e))
        except Exception:
            self.failed += 1
            print("FAIL %s:\n%s" % (name, traceback.format_exc()))
        else:
            self.passed += 1
            print("ok   %s" % name)

    def page(self, path, checks, screenshot=None):
        try:
            page = RollPage(self.browser, path)
        except ProtocolError as e:
            self.failed += 1
            print("FAIL %s: %s" % (os.path.basename(path), e))
            return
        for check in checks:
            args = (page, screenshot) if check is check_screenshot and screenshot else (page,)
            self.case("%s: %s" % (os.path.basename(path), check.__name__[6:].replace("_", " ")),
                      check, *args)


FILLER = [PYTHON, os.path.join(HERE, "fill_fixture_page.py")]
SMALL = os.path.join(HERE, "fixtures", "small.json")


def fixture_pages(work):
    """The small roll's pages, and the pages of data to refuse with the
    words of each refusal."""
    made = []
    for name, options in (("small", []), ("linked", ["--link", "--audio-offset", "1.5"]),
                          ("hostile", ["--hostile"])):
        path = os.path.join(work, "fixture %s.html" % name)
        subprocess.run(FILLER + ["--data", SMALL, "-o", path] + options, check=True)
        made.append(path)
    bad = []
    for i, (what, change, refusal) in enumerate(BAD_DATA):
        data = json.load(open(SMALL, encoding="utf-8"))
        change(data)
        json_path = os.path.join(work, "bad%d.json" % i)
        json.dump(data, open(json_path, "w", encoding="utf-8"))
        path = os.path.join(work, "refused %s.html" % what)
        subprocess.run(FILLER + ["--data", json_path, "-o", path], check=True)
        bad.append((path, refusal))
    return made, bad


def long_fixture_page(work):
    path = os.path.join(work, "fixture-60-minutes.html")
    subprocess.run(FILLER + ["--synthetic-minutes", "60", "-o", path], check=True)
    return path


# Texts of a roll that would run or show markup if the page took them for
# HTML or script anywhere.
HOSTILE_SCORE = {
    "title": HOSTILE["title"],
    "text": HOSTILE["copyright"][0] + " \u2028 " + HOSTILE["text"][2] + " <!--<script>",
    "copyright": HOSTILE["text"][3] + " &amp; <style>body{display:none}</style>",
}


def program_pages(work, args):
    """The pages that kolvo page writes for both demo rolls and for a roll
    of hostile texts."""
    source = os.path.join(HERE, "..", "..")
    score = []
    for line in open(os.path.join(source, "tools", "scores", "demo150.txt"), encoding="utf-8"):
        key = line.split(" ", 1)[0]
        score.append("%s %s\n" % (key, HOSTILE_SCORE[key]) if key in HOSTILE_SCORE else line)
    with open(os.path.join(work, "hostile.txt"), "w", encoding="utf-8") as f:
        f.writelines(score)
    hostile = os.path.join(work, HOSTILE["file"])
    subprocess.run([args.makeroll, os.path.join(work, "hostile.txt"), hostile], check=True,
                   stdout=subprocess.DEVNULL)
    rolls = [os.path.join(source, "examples", "demo%s.mid" % organ) for organ in (165, 150)]
    subprocess.run([args.kolvo, "page", "-q", "--soundfont", args.soundfont, "--out-dir", work,
                    "--", hostile] + rolls, check=True, timeout=600)
    return [os.path.join(work, os.path.splitext(os.path.basename(roll))[0] + ".html")
            for roll in rolls + [hostile]]


def long_program_page(work, args):
    """The page of a 60-minute roll, its audio (a quiet tone of its
    length) linked from a folder beside the page."""
    roll = os.path.join(work, "sixty minutes.mid")
    subprocess.run([args.longroll, os.path.join(HERE, "..", "..", "examples", "demo165.mid"),
                    "60", roll], check=True, stdout=subprocess.DEVNULL)
    page = os.path.join(work, "pages", "sixty minutes.html")
    os.makedirs(os.path.dirname(page))
    audio = os.path.join(work, "sixty minutes.wav")
    with open(audio, "wb") as f:
        f.write(quiet_tone(61 * 60))
    subprocess.run([args.kolvo, "page", "--audio", audio, "-o", page, roll], check=True, timeout=600)
    return page


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("pages", nargs="*", help="roll pages to check (default: the fixtures)")
    parser.add_argument("--long", action="append", default=[], help="the page of a long roll")
    parser.add_argument("--screenshot", help="keep the first page's screenshot here")
    parser.add_argument("--fixtures", choices=("all", "small", "long"), default="all",
                        help="without pages: which fixture pages (default all)")
    parser.add_argument("--kolvo", help="make the pages with this program")
    parser.add_argument("--soundfont", help="for --kolvo: the soundfont")
    parser.add_argument("--makeroll", help="for --kolvo: the roll maker")
    parser.add_argument("--longroll", help="for --kolvo: the long roll maker")
    args = parser.parse_args(argv)

    chromium = find_chromium()
    if not chromium:
        print("SKIP: chromium is not installed (scripts/install-deps --test installs it)")
        return 77
    with tempfile.TemporaryDirectory(prefix="kolvo-page-") as work:
        bad = []
        pages, long_pages = args.pages, args.long
        if args.kolvo:
            if args.fixtures != "long":
                pages = program_pages(work, args)
            if args.fixtures != "small":
                long_pages = [long_program_page(work, args)]
        elif not pages and not long_pages:
            if args.fixtures != "long":
                pages, bad = fixture_pages(work)
            if args.fixtures != "small":
                long_pages = [long_fixture_page(work)]
        with Browser(chromium, os.path.join(work, "chromium.log")) as browser:
            run = Run(browser)
            for i, path in enumerate(pages):
                run.page(path, EVERY_PAGE, args.screenshot if i == 0 else None)
            for path in long_pages:
                run.page(path, LONG_PAGE)
            for path, refusal in bad:
                run.case(os.path.basename(path), lambda p, r: check_refuses(RollPage(browser, p), r),
                         path, refusal)
        print("%d passed, %d failed" % (run.passed, run.failed))
        return 1 if run.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
