"""Support for the tests that drive the installer dialog under Wine: a
virtual X display with a compositor, the prefix settings the dialogs need
(unmanaged windows, Arial-metric and CJK fonts, a recording web browser), an
installer started in the background whose full exit code is read at the
end, the dialog's state read from outside through Win32 (dialog_probe.exe),
real input through xdotool, and screenshots read as pixels.

Needs the Wine test environment (LI_WINEPREFIX, LI_WIN_BUILD_DIR,
LI_SOURCE_DIR); Xvfb, picom, xdotool, import and convert on the machine.
"""
import json
import os
import re
import subprocess
import tempfile
import threading
import time

from support import winelib

PROBE = os.path.join(winelib.BIN, "dialog_probe.exe")
RUNNER = os.path.join(winelib.BIN, "exit_code_runner.exe")
URL_RECORDER = os.path.join(winelib.BIN, "url_recorder.exe")
TITLE = "Tavrix"

# Control ids of the dialogs.
INSTALL, CANCEL, TITLE_TEXT, MAKE_DEFAULT, SEND_STATISTICS = 1, 1010, 1000, 1002, 1003
PROGRESS, TIME_LEFT, LICENSE_LINK, PRIVACY_LINK, PLAIN_TEXT = 1012, 1013, 1020, 1021, -1


class Display:
    """Xvfb (-noreset, 24-bit) with a compositor (picom, xrender backend) on
    a free display number: the dialog's layered shadow is a 32-bit X window
    with per-pixel alpha, and the compositor blends it over the desktop."""

    def __init__(self, width=1280, height=800):
        self.size = (width, height)
        self.number = winelib.free_display_number()
        self.name = ":%d" % self.number
        self._processes = []

    def __enter__(self):
        self._processes.append(winelib.start_xvfb(self.number, *self.size))
        self._processes.append(subprocess.Popen(
            ["picom", "--backend", "xrender", "--config", "/dev/null"], env=self.env(),
                                                stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL))
        return self

    def __exit__(self, *exc):
        # SIGTERM: a killed Xvfb leaves its lock file, and the display
        # numbers run out after a hundred runs.
        for p in reversed(self._processes):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def env(self, extra=None):
        e = dict(os.environ)
        e["DISPLAY"] = self.name
        e.update(extra or {})
        return e

    def tool(self, *argv):
        """Runs an X tool on the display. (No "xdotool mousemove --sync":
        it waits for ever when the pointer is already there.)"""
        return subprocess.run(list(argv), env=self.env(), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=30).stdout.decode()

    def screenshot(self, path=None, around=None, margin=20):
        """The whole screen as an Image; also saved as PNG when `path` is
        given, cut to the window rectangle `around` (left, top, right,
        bottom) and `margin` pixels beyond it when that is given."""
        # One read of the root, which shows what the compositor drew. Not
        # xwd: it pieces the screen together from each window of its own
        # visual, so a 32-bit window comes out as its raw premultiplied
        # pixels (measured: a black ring where the screen shows the shadow
        # blended; also with xcompmgr).
        ppm = subprocess.run(["import", "-display", self.name, "-window", "root", "-depth", "8",
                              "ppm:-"],
                             stdout=subprocess.PIPE, timeout=30, check=True).stdout
        if path:
            crop = []
            if around:
                l, t, r, b = around
                crop = ["-crop", "%dx%d+%d+%d" % (r - l + 2 * margin, b - t + 2 * margin,
                                                  l - margin, t - margin), "+repage"]
            subprocess.run(["convert", "ppm:-"] + crop + ["png:" + path], input=ppm, timeout=30,
                           check=True)
        return Image.from_ppm(ppm)


class Image:
    """RGB pixels of a screenshot or of an image file (through convert)."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @classmethod
    def from_ppm(cls, data):
        # "P6", width, height, maximum, each after blanks or "#" comments.
        m = re.match(rb"P6(?:\s+|#[^\n]*\n)*(\d+)(?:\s+|#[^\n]*\n)*(\d+)"
                     rb"(?:\s+|#[^\n]*\n)*(\d+)\s", data)
        width, height = int(m.group(1)), int(m.group(2))
        return cls(width, height, data[m.end():m.end() + width * height * 3])

    @classmethod
    def from_file(cls, path, background="white"):
        """An image file flattened over `background` (for images with alpha)."""
        ppm = subprocess.run(["convert", path, "-background", background, "-flatten", "ppm:-"],
                             stdout=subprocess.PIPE, timeout=30, check=True).stdout
        return cls.from_ppm(ppm)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, left, top, width, height):
        return [self.pixel(x, y) for y in range(top, top + height)
                for x in range(left, left + width)]


def prepare_prefix():
    """Settings of the test prefix for dialogs: windows without a window
    manager (else every modal dialog takes 2 s to end), "Arial" as the
    metric-compatible Liberation Sans with CJK fonts linked behind it, and a
    recording handler for http addresses."""
    reg = winelib.reg
    reg("add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f")
    reg("add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "Arial", "/t", "REG_SZ", "/d",
        "Liberation Sans", "/f")
    # The CJK font is linked behind the regular and the bold face: without
    # the second link Wine draws bold CJK text (the title) as empty boxes
    # (measured).
    for face in ("Liberation Sans", "Liberation Sans Bold"):
        reg("add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink",
            "/v", face, "/t", "REG_MULTI_SZ", "/d", "wqy-microhei.ttc,WenQuanYi Micro Hei", "/f")
    command = '"%s" "%%1"' % winelib.win_path(URL_RECORDER)
    for scheme in ("http", "https"):
        reg("add", r"HKCR\%s\shell\open\command" % scheme, "/ve", "/d", command,
            "/f")


class Run:
    """lite_installer.exe started in the background on the display; `wait`
    gives its full exit code."""

    def __init__(self, display, *switches, extra_env=None):
        self.display = display
        self._out = tempfile.TemporaryFile()
        line = '"%s" %s' % (winelib.win_path(winelib.INSTALLER), " ".join(switches))
        env = winelib.env(dict(extra_env or {}, LI_RUN_COMMAND_LINE=line.strip(),
                               DISPLAY=display.name))
        self.started = time.time()
        self._process = subprocess.Popen(["wine", RUNNER], env=env, stdout=self._out,
                                         stderr=subprocess.DEVNULL)

    def running(self):
        return self._process.poll() is None

    def wait(self, timeout=60):
        """The exit code; raises when the run did not end within `timeout`."""
        self._process.wait(timeout=timeout)
        self._out.seek(0)
        m = re.search(rb"exit=(-?\d+)", self._out.read())
        if not m:
            raise RuntimeError("the runner printed no exit code")
        return int(m.group(1))


def probe(display, wait_title=None, timeout_ms=0):
    argv = [PROBE] + (["--wait", wait_title, str(timeout_ms)] if wait_title else [])
    p = winelib.wine(argv, timeout=60, extra_env={"DISPLAY": display.name})
    return json.loads(p.stdout)


def post(display, message, wparam=0, lparam=0, title=TITLE):
    p = winelib.wine([PROBE, "--post", title, str(message), str(wparam), str(lparam)],
                     timeout=60, extra_env={"DISPLAY": display.name})
    return json.loads(p.stdout)["posted"]


class Pings:
    """Asks the dialog titled `title` for an answer `count` times, every
    `interval_ms`, in the background (dialog_probe --ping); result() waits
    and gives {"longest_ms": ..., "unanswered": ...}."""

    def __init__(self, display, count, interval_ms=100, title=TITLE):
        argv = [PROBE, "--ping", title, str(count), str(interval_ms)]
        self._out = {}
        self._thread = threading.Thread(target=lambda: self._out.update(json.loads(
            winelib.wine(argv, timeout=120, extra_env={"DISPLAY": display.name}).stdout)))
        self._thread.start()

    def result(self):
        self._thread.join(150)
        return self._out


def visible_dialogs(state, title=None):
    return [d for d in state["dialogs"]
            if d["visible"] and (title is None or d["title"] == title)]


def wait_for_state(display, predicate, timeout=20.0, what="the dialog state"):
    """Probes until predicate(state) is true; returns that state."""
    end = time.time() + timeout
    state = None
    while time.time() < end:
        state = probe(display)
        if predicate(state):
            return state
        time.sleep(0.2)
    raise AssertionError("timed out waiting for %s; last state: %s"
                         % (what, json.dumps(state)[:2000]))


def installer_dialog(state):
    """The visible installer dialog (title "Tavrix", with a progress bar)."""
    for d in visible_dialogs(state, TITLE):
        if control(d, PROGRESS) is not None:
            return d
    return None


def wait_for_installer_dialog(display, timeout=60.0, width=None):
    state = wait_for_state(
        display, lambda s: installer_dialog(s) is not None and
        (width is None or size(installer_dialog(s))[0] == width), timeout,
        "the installer dialog" + (" %d wide" % width if width else ""))
    return installer_dialog(state), state


def control(dialog, control_id):
    for c in dialog["controls"]:
        if c["id"] == control_id:
            return c
    return None


def controls(dialog, control_id):
    return [c for c in dialog["controls"] if c["id"] == control_id]


def size(window):
    r = window["rect"]
    return r[2] - r[0], r[3] - r[1]


def centre(dialog, c):
    """Screen point at the middle of control c of the dialog."""
    r = c["rect"]
    return dialog["rect"][0] + (r[0] + r[2]) // 2, dialog["rect"][1] + (r[1] + r[3]) // 2


def click_at(display, x, y):
    """A real left click at a screen point."""
    display.tool("xdotool", "mousemove", str(x), str(y))
    time.sleep(0.3)
    display.tool("xdotool", "click", "1")


def click(display, dialog, control_id):
    click_at(display, *centre(dialog, control(dialog, control_id)))


def hover(display, x, y, seconds=1.5):
    """Keeps the pointer at (x, y) for a while, moving it by a pixel now and
    then: under Wine a button turns hot only after a few moves over it
    (measured: one move and a wait of seconds leaves it normal)."""
    display.tool("xdotool", "mousemove", str(x), str(y))
    steps = max(1, int(seconds / 0.3))
    for i in range(steps):
        time.sleep(seconds / steps)
        display.tool("xdotool", "mousemove", str(x + (i % 2)), str(y))


def press(display, *keys, title=TITLE):
    """Real key presses into the window with that title, after focusing it."""
    ids = display.tool("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).split()
    if not ids:
        raise AssertionError("no X window titled %r" % title)
    display.tool("xdotool", "windowfocus", "--sync", ids[-1])
    time.sleep(0.2)
    for key in keys:  # "type:<text>" types the text
        display.tool("xdotool", *(["type", "--delay", "40", key[5:]] if key.startswith("type:")
                                  else ["key", "--clearmodifiers", key]))


def files_holding(secret, folder):
    """The files under `folder` that hold `secret` as UTF-8 or UTF-16LE."""
    paths = [os.path.join(d, n) for d, _, names in os.walk(folder) for n in names]
    return [p for p in paths if any(t in open(p, "rb").read()
                                    for t in (secret.encode(), secret.encode("utf-16-le")))]


def recorded_urls(record_path):
    if not os.path.exists(record_path):
        return []
    with open(record_path, encoding="utf-8") as f:
        return [line.rstrip("\n") for line in f if line.strip()]


def clicks(click_server, name):
    """The values of click statistic `name` that the click server received."""
    values = []
    for request in click_server.requests():
        for part in request.uri.split("?", 1)[-1].replace("/", "&").split("&"):
            if part.startswith(name + "="):
                values.append(part[len(name) + 1:])
    return values


def measure(display, texts):
    """[0, 0, width, height] of each text as DrawText lays it out in "Arial":
    texts are (font height, weight, underline, width, wrap, text)."""
    path = os.path.join(tempfile.gettempdir(), "li_measure_%d.txt" % os.getpid())
    with open(path, "w", encoding="utf-8") as f:
        for height, weight, underline, width, wrap, text in texts:
            f.write("%d %d %d %d %d %s\n" % (height, weight, int(underline), width, int(wrap),
                                             text.replace("\n", "\\n")))
    p = winelib.wine([PROBE, "--measure", winelib.win_path(path)], timeout=60,
                     extra_env={"DISPLAY": display.name})
    os.remove(path)
    return json.loads(p.stdout)


def region_of(shot, dialog, c):
    """The pixels of control c on a screenshot."""
    r = c["rect"]
    return shot.region(dialog["rect"][0] + r[0], dialog["rect"][1] + r[1], r[2] - r[0],
                       r[3] - r[1])


def wait_for_focus(display, control_id):
    """Until the installer dialog's focused control (read from outside) is
    control_id."""
    wait_for_state(display, lambda s: installer_dialog(s)["focus"] == control_id, 10,
                   "the focus on %d" % control_id)
