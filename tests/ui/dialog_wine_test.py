"""The installer dialog under Wine on a virtual display, driven by real input
and read from outside through Win32: the welcome screen, Install and the
progress screen with the setup's messages, Escape, Cancel and Alt+F4, the
outcome dialogs, the held-back download error, the stop that runs out while
the setup ignores it, the time-left line of a slow download, the pictures
on screen, and the interface languages.

Screenshots of the two screens are saved into the test's folder.
"""
import os
import shutil
import socket
import sys
import threading
import time

import installer_log
import winelib

sys.path.insert(0, os.path.join(winelib.SOURCE, "tests", "setup"))
import install_harness as h  # noqa: E402
from install_harness import servers  # noqa: E402
import dialog_harness as d  # noqa: E402
from dialog_harness import (INSTALL, CANCEL, TITLE_TEXT, MAKE_DEFAULT, SEND_STATISTICS,  # noqa
                            PROGRESS, TIME_LEFT, LICENSE_LINK, PRIVACY_LINK, PLAIN_TEXT)

WORK = os.path.join(winelib.HOST_BUILD, "tests", "ui", "work")
SHOTS = os.path.join(winelib.HOST_BUILD, "tests", "ui")
ENGLISH = "--distr-info-params=lang=en"
WM_SET_PROGRESS = 0x8002


class Servers:
    """The download server with the signed fake setup, the status endpoint
    and the click server, for one check."""

    def __init__(self, serve_setup=True):
        self.docroot = os.path.join(WORK, "docroot")
        shutil.rmtree(self.docroot, ignore_errors=True)
        os.makedirs(os.path.dirname(self.docroot + h.setup_path()))
        if serve_setup:
            shutil.copyfile(SETUPS.signed, self.docroot + h.setup_path())

    def __enter__(self):
        self.files = servers.FileServer(self.docroot)
        self.status = servers.StatusEndpoint()
        self.clicks = servers.ClickServer()
        return self

    def __exit__(self, *exc):
        for s in (self.clicks, self.status, self.files):
            s.stop()


def start(display, *switches, setup_posts="", extra_env=None):
    h.reset_prefix_state()
    env = {"FAKE_SETUP_RESULT": winelib.win_path(os.path.join(WORK, "setup_record.json")),
           "FAKE_SETUP_POST": setup_posts, "LI_URL_RECORD": winelib.win_path(URLS)}
    env.update(extra_env or {})
    for path in (os.path.join(WORK, "setup_record.json"), URLS):
        if os.path.exists(path):
            os.remove(path)
    return d.Run(display, *(switches or (ENGLISH,)), extra_env=env)


def setup_record():
    path = os.path.join(WORK, "setup_record.json")
    return h.json.load(open(path)) if os.path.exists(path) else None


def log_entries():
    return installer_log.read(winelib.log_path(), strict=False)


def wait_for_log(function, message_start, timeout=60):
    if not winelib.wait_for(lambda: any(e.function == function and
                                        e.message.startswith(message_start)
                                        for e in log_entries()), timeout, 0.2):
        raise AssertionError("no log line %s: %r" % (function, message_start))


def check_welcome_install_progress_and_setup_messages():
    # The setup reports its steps, pausing between them so that each shows.
    posts = ",".join(["wait:1500", "install:5", "wait:1500", "install:4", "install:6",
                      "wait:1500", "import:0:1", "wait:1500", "import:50:2", "wait:1500",
                      "import:100:3", "wait:1500"])
    with Servers() as srv, d.Display() as display:
        run = start(display, ENGLISH, setup_posts=posts)
        dialog, state = d.wait_for_installer_dialog(display)
        assert d.size(dialog) == (648, 233), dialog["rect"]
        assert dialog["client"] == [0, 0, 648, 233], dialog["client"]
        assert d.control(dialog, TITLE_TEXT)["text"] == "Ultra-fast browser with Tavrix Search"
        assert d.control(dialog, INSTALL)["text"] == "Install Tavrix"
        assert d.control(dialog, CANCEL)["text"] == "Cancel"
        assert d.control(dialog, PRIVACY_LINK)["text"] == "Privacy policy"
        assert not d.control(dialog, PROGRESS)["visible"]
        # The licence sentence as runs within 360 pixels; the link one run.
        links = d.controls(dialog, LICENSE_LINK)
        assert [c["text"] for c in links] == ["License Agreement"], links
        runs = d.controls(dialog, PLAIN_TEXT) + links
        assert "".join(c["text"] for c in sorted(runs, key=lambda c: (c["rect"][1], c["rect"][0]))
                       ) == "By using Tavrix browser, you agree to the terms and conditions of " \
                            "the License Agreement.", runs
        assert all(c["rect"][2] <= 180 + 360 for c in runs), runs
        shadow = [s for s in state["shadows"] if s["owner"] == dialog["hwnd"]]
        assert len(shadow) == 1 and d.size(shadow[0]) == (690, 275), shadow
        welcome = display.screenshot(os.path.join(SHOTS, "welcome_screen.png"))
        check_welcome_pixels(display, dialog, welcome)

        d.click(display, dialog, INSTALL)
        narrow, state = d.wait_for_installer_dialog(display, width=178)
        assert narrow["rect"][0] == dialog["rect"][0] + (648 - 178) // 2, narrow["rect"]
        assert narrow["rect"][1] == dialog["rect"][1] and d.size(narrow)[1] == 233
        assert d.control(narrow, PROGRESS)["visible"]
        assert d.control(narrow, TIME_LEFT)["visible"]
        for gone in (INSTALL, CANCEL, TITLE_TEXT, MAKE_DEFAULT, SEND_STATISTICS, PRIVACY_LINK,
                     LICENSE_LINK, PLAIN_TEXT):
            assert d.control(narrow, gone) is None, gone
        shadow = [s for s in state["shadows"] if s["owner"] == narrow["hwnd"]]
        assert d.size(shadow[0]) == (220, 275), shadow
        assert "install" in d.clicks(srv.clicks, "clicked_button")

        # The bands of the setup's messages, in the order it sends them.
        for percent in (75, 79, 80, 90, 100):
            d.wait_for_state(display, lambda s: d.installer_dialog(s) and d.control(
                d.installer_dialog(s), PROGRESS)["position"] == percent, 15,
                "the progress bar at %d" % percent)
            if percent == 75:
                display.screenshot(os.path.join(SHOTS, "progress_screen.png"))
        code = run.wait(60)
        assert code == 0, code
        record = setup_record()
        assert record["switches"]["progress-window"] == str(dialog["hwnd"]), record["switches"]
        assert all(p.get("posted", True) for p in record["posts"]), record["posts"]


def check_welcome_pixels(display, dialog, shot):
    """The picture, the hot Install frame and a check box's frames, on screen."""
    left, top = dialog["rect"][0], dialog["rect"][1]
    background = d.Image.from_file(os.path.join(winelib.SOURCE, "resources", "artwork",
                                                "generated", "307_background.png"))
    for x, y in ((10, 10), (100, 200), (640, 10), (600, 225)):
        assert shot.pixel(left + x, top + y) == background.pixel(21 + x, 21 + y), (x, y)
    install = d.control(dialog, INSTALL)
    x, y = d.centre(dialog, install)
    normal = shot.pixel(x, y - 12)
    d.hover(display, x, y)
    hot = display.screenshot().pixel(x, y - 12)
    assert hot != normal, (normal, hot)
    box = d.control(dialog, SEND_STATISTICS)
    bx, by = left + box["rect"][0] + 7, top + box["rect"][1] + 7
    d.hover(display, left + 300, top + 10, 0.3)
    before = display.screenshot().region(bx - 6, by - 6, 13, 13)
    display.tool("xdotool", "mousemove", "--sync", str(bx), str(by))
    display.tool("xdotool", "click", "1")
    d.hover(display, left + 300, top + 10, 0.8)
    after = display.screenshot().region(bx - 6, by - 6, 13, 13)
    assert before != after, "the check box kept its frame"
    display.tool("xdotool", "mousemove", "--sync", str(bx), str(by))
    display.tool("xdotool", "click", "1")
    d.hover(display, left + 300, top + 10, 0.8)


SETUPS = None
URLS = os.path.join(WORK, "opened_urls.txt")
CHECKS = [
    check_welcome_install_progress_and_setup_messages,
]


def main():
    global SETUPS
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    SETUPS = h.make_sample_setups(os.path.join(WORK, "setups"))
    d.prepare_prefix()
    return winelib.run_checks(CHECKS)


if __name__ == "__main__":
    sys.exit(main())
