"""A small client of the Chrome DevTools protocol for headless Chromium.

Chromium is started with --remote-debugging-pipe: it reads commands from
its file descriptor 3 and writes answers and events to 4, each message JSON
ended by a NUL byte.  So no port is opened and nothing but Python's standard
library is needed.

There is no sound card on a test machine, and a developer's machine should
stay quiet: --disable-audio-output gives every page Chromium's fake audio
output, which consumes the audio in real time, so an <audio> element plays
and its currentTime advances as it would through speakers.
--autoplay-policy=no-user-gesture-required lets a script start it.
"""

import base64
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

# Without these Chromium reaches out to Google's hosts on its own.
QUIET_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-default-apps", "--disable-extensions", "--hide-scrollbars",
]
AUDIO_FLAGS = ["--disable-audio-output", "--autoplay-policy=no-user-gesture-required"]


class ProtocolError(Exception):
    pass


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Browser:
    """One headless Chromium with a fresh profile, ended by close()."""

    def __init__(self, executable, log_path=os.devnull):
        self.profile = tempfile.mkdtemp(prefix="kolvo-chromium-")
        to_chromium, self._commands = os.pipe()
        self._answers, from_chromium = os.pipe()

        def give_pipes():
            os.dup2(to_chromium, 3)
            os.dup2(from_chromium, 4)

        self._log = open(log_path, "ab")
        self.process = subprocess.Popen(
            [executable, *QUIET_FLAGS, *AUDIO_FLAGS, "--remote-debugging-pipe",
             "--user-data-dir=" + self.profile, "about:blank"],
            pass_fds=(3, 4), preexec_fn=give_pipes, stdin=subprocess.DEVNULL,
            stdout=self._log, stderr=self._log)
        os.close(to_chromium)
        os.close(from_chromium)
        self._buffer = b""
        self._last_id = 0
        self._pending = []  # events read while waiting for an answer

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        for fd in (self._commands, self._answers):
            os.close(fd)
        self._log.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _read(self, deadline):
        while b"\0" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self._answers], [], [], left)[0]:
                raise ProtocolError("Chromium did not answer in time")
            chunk = os.read(self._answers, 1 << 20)
            if not chunk:
                raise ProtocolError("Chromium closed the pipe (exit status %s)" % self.process.poll())
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=None, timeout=30):
        self._last_id += 1
        message = {"id": self._last_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            answer = self._read(deadline)
            if answer.get("id") == self._last_id:
                if "error" in answer:
                    raise ProtocolError("%s: %s" % (method, answer["error"].get("message")))
                return answer.get("result", {})
            self._pending.append(answer)

    def events(self, wait=0.0):
        """The events that arrived, waiting up to `wait` seconds for one."""
        if not self._pending and wait > 0:
            try:
                self._pending.append(self._read(time.monotonic() + wait))
            except ProtocolError:
                if self.process.poll() is not None:
                    raise
        while b"\0" in self._buffer or select.select([self._answers], [], [], 0)[0]:
            self._pending.append(self._read(time.monotonic() + 5))
        events, self._pending = self._pending, []
        return events

    def new_page(self, width=1280, height=1000):
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget",
                            {"targetId": target, "flatten": True})["sessionId"]
        page = Page(self, session)
        for domain in ("Page", "Runtime", "Log", "Network"):
            page.send(domain + ".enable")
        page.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
        return page


class Page:
    """A tab: what it logged, requested and tried to show is kept."""

    def __init__(self, browser, session):
        self.browser = browser
        self.session = session
        self.errors = []     # console errors, exceptions and error log entries
        self.requests = []   # every URL the page asked for
        self.dialogs = []    # alert, confirm and prompt texts
        self.loaded = False

    def send(self, method, params=None, timeout=30):
        result = self.browser.send(method, params, self.session, timeout)
        self.take_events()
        return result

    def take_events(self, wait=0.0):
        for event in self.browser.events(wait):
            if event.get("sessionId") == self.session:
                self._note(event["method"], event.get("params", {}))

    def _note(self, method, params):
        if method == "Runtime.consoleAPICalled" and params["type"] in ("error", "assert"):
            self.errors.append("console: " + " ".join(
                str(a.get("value", a.get("description", ""))) for a in params["args"]))
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.errors.append("exception: " + details.get("exception", {}).get(
                "description", details.get("text", "")))
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.errors.append("log: " + params["entry"]["text"])
        elif method == "Network.requestWillBeSent":
            self.requests.append(params["request"]["url"])
        elif method == "Page.javascriptDialogOpening":
            self.dialogs.append(params["message"])
            self.browser.send("Page.handleJavaScriptDialog", {"accept": False}, self.session)
        elif method == "Page.loadEventFired":
            self.loaded = True

    def goto(self, url, timeout=60):
        self.loaded = False
        self.send("Page.navigate", {"url": url})
        deadline = time.monotonic() + timeout
        while not self.loaded:
            if time.monotonic() > deadline:
                raise ProtocolError("the page did not load within %d s" % timeout)
            self.take_events(wait=0.1)

    def eval(self, expression, timeout=30):
        """The value of a JavaScript expression; promises are awaited."""
        result = self.send("Runtime.evaluate", {
            "expression": expression, "awaitPromise": True, "returnByValue": True,
            "timeout": timeout * 1000}, timeout=timeout + 5)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise ProtocolError("%s: %s" % (expression[:60], details.get("exception", {}).get(
                "description", details.get("text"))))
        return result["result"].get("value")

    def wait_for(self, expression, timeout=20, every=0.05):
        """Polls until the expression is truthy; returns its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.eval(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise ProtocolError("still false after %d s: %s" % (timeout, expression))
            self.take_events(wait=every)

    def screenshot(self, clip=None):
        params = {"format": "png"}
        if clip:
            params["clip"] = dict(clip, scale=1)
        return base64.b64decode(self.send("Page.captureScreenshot", params, timeout=60)["data"])

    def key(self, key, code, key_code):
        for kind in ("keyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code,
                                                 "windowsVirtualKeyCode": key_code,
                                                 "text": key if kind == "keyDown" else ""})

    def mouse(self, kind, x, y):
        self.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                               "buttons": 1 if kind != "mouseReleased" else 0,
                                               "clickCount": 1})
