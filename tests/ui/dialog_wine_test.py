"""The installer dialog under Wine on a virtual display, driven by real input
and read from outside through Win32: the welcome screen, Install and the
progress screen with the setup's messages, Escape, Cancel and Alt+F4, the
outcome dialogs, the held-back download error, the stop that runs out while
the setup ignores it, the system's prompt of an authenticating proxy, the
time-left line of a slow download, the pictures on screen, and the interface
languages.

Screenshots of the two screens are saved into the test's folder.
"""
import os
import shutil
import sys
import threading
import time
import urllib.parse

from support import checks, installer_log, servers, source_module, winelib
from support import dialog_harness as d, install_harness as h
from support.dialog_harness import (INSTALL, CANCEL, TITLE_TEXT, MAKE_DEFAULT, SEND_STATISTICS,
                                    PROGRESS, TIME_LEFT, LICENSE_LINK, PRIVACY_LINK, PLAIN_TEXT)

WORK = os.path.join(winelib.HOST_BUILD, "tests", "ui", "work")
SHOTS = os.path.join(winelib.HOST_BUILD, "tests", "ui")
ENGLISH = "--distr-info-params=lang=en"
WM_SET_PROGRESS = 0x8002


class Servers:
    """The download server with the signed fake setup, the status endpoint
    and the click server, for one check."""

    def __init__(self, serve_setup=True, clicks=servers.ClickServer):
        self._make_clicks = clicks
        self.docroot = os.path.join(WORK, "docroot")
        shutil.rmtree(self.docroot, ignore_errors=True)
        os.makedirs(os.path.dirname(self.docroot + h.setup_path()))
        if serve_setup:
            shutil.copyfile(SETUPS.signed, self.docroot + h.setup_path())

    def __enter__(self):
        self._started = []
        try:
            for name, make in (("files", lambda: servers.FileServer(self.docroot)),
                               ("status", servers.StatusEndpoint), ("clicks", self._make_clicks)):
                setattr(self, name, make())
                self._started.append(getattr(self, name))
        except Exception:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        for s in reversed(self._started):
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
        welcome = display.screenshot(os.path.join(SHOTS, "welcome_screen.png"), dialog["rect"],
                                     margin=40)
        # Half-way across the shadow (alpha 21/255) the desktop shows through.
        left, top = dialog["rect"][0], dialog["rect"][1]
        desktop, ring = welcome.pixel(left - 30, top + 117), welcome.pixel(left - 11, top + 117)
        assert all(c // 3 < r < c for r, c in zip(ring, desktop)), (ring, desktop)
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
                display.screenshot(os.path.join(SHOTS, "progress_screen.png"), narrow["rect"],
                                   margin=40)
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
    d.click_at(display, bx, by)
    d.hover(display, left + 300, top + 10, 0.8)
    after = display.screenshot().region(bx - 6, by - 6, 13, 13)
    assert before != after, "the check box kept its frame"
    d.click_at(display, bx, by)
    d.hover(display, left + 300, top + 10, 0.8)


def brand_links():
    with open(os.path.join(winelib.WIN_BUILD, "generated", "packages", "brand_config.json")) as f:
        brand = h.json.load(f)
    return brand["license_url"] + "?lang=en", brand["conf_policy_url"] + "?lang=en"


def check_keyboard_alone_focus_cues_links_and_what_a_screen_reader_reads():
    license_url, privacy_url = brand_links()
    with Servers() as srv, d.Display() as display:
        run = start(display)
        dialog, state = d.wait_for_installer_dialog(display)
        # What a screen reader's standard proxies read (class, button type,
        # check state, text): check boxes (2, 3), push buttons (0, 1), links
        # (SS_SIMPLE).
        for control_id, kind, types in ((INSTALL, "Button", (0, 1)), (CANCEL, "Button", (0, 1)),
                                        (MAKE_DEFAULT, "Button", (2, 3)),
                                        (SEND_STATISTICS, "Button", (2, 3)),
                                        (LICENSE_LINK, "Static", (0xB,)),
                                        (PRIVACY_LINK, "Static", (0xB,))):
            c = d.control(dialog, control_id)
            assert c["class"] == kind and c["style"] & 0xF in types, c
        assert [d.control(dialog, i)["text"] for i in (INSTALL, CANCEL, LICENSE_LINK,
                                                       PRIVACY_LINK)] == \
            ["Install Tavrix", "Cancel", "License Agreement", "Privacy policy"]
        checked = {i: d.control(dialog, i)["checked"] for i in (MAKE_DEFAULT, SEND_STATISTICS)}

        # Tab walks the reading order from Install; each control looks
        # different while it has the focus, and as before once it has not.
        assert dialog["focus"] == INSTALL, dialog["focus"]
        d.hover(display, 5, 5, 0.3)  # the pointer away from every control
        order = [CANCEL, LICENSE_LINK, MAKE_DEFAULT, SEND_STATISTICS, PRIVACY_LINK, INSTALL]
        shots = [display.screenshot()]
        for control_id in order:
            d.press(display, "Tab")
            d.wait_for_focus(display, control_id)
            time.sleep(0.5)
            shots.append(display.screenshot())
        shots.append(shots[1])  # Install unfocused
        for step, control_id in enumerate(order):
            looks = [d.region_of(shots[step + i], dialog, d.control(dialog, control_id))
                     for i in (0, 1, 2)]
            assert looks[1] != looks[0] == looks[2], control_id

        # Space toggles both check boxes, Alt+M (the mnemonic) the first one
        # back; Enter and Space open the links and never press Install.
        d.press(display, "Tab", "Tab", "Tab", "space", "Tab", "space")
        d.wait_for_state(display, lambda s: [d.control(d.installer_dialog(s), i)["checked"]
                                             for i in checked] == [1 - v for v in
                                                                   checked.values()], 10,
                         "both check boxes toggled")
        d.press(display, "alt+m")
        d.wait_for_state(display, lambda s: d.control(d.installer_dialog(s), MAKE_DEFAULT)[
            "checked"] == checked[MAKE_DEFAULT], 10, "the mnemonic's toggle")
        for keys, link, url in ((("Tab", "Tab", "Return"), PRIVACY_LINK, privacy_url),
                                (("shift+Tab",) * 3 + ("space",), LICENSE_LINK, license_url)):
            d.press(display, *keys)
            assert winelib.wait_for(lambda: d.recorded_urls(URLS)[-1:] == [url], 10), url
            # The opened address takes the foreground (under Wine without a
            # window manager X focus does not give it back): the user comes
            # back with a click on the picture, and the keyboard resumes.
            winelib.wait_for(lambda: d.installer_dialog(d.probe(display))["focus"] == 0, 5, 0.2)
            d.click_at(display, dialog["rect"][0] + 80, dialog["rect"][1] + 200)
            d.wait_for_focus(display, link)
        srv.clicks.wait_for_requests(5)
        links = [urllib.parse.unquote(v) for v in d.clicks(srv.clicks, "clicked_link")]
        assert links == [privacy_url, license_url], links
        assert sorted(d.clicks(srv.clicks, "choosen_checkbox")) == ["default", "default",
                                                                    "sendstat"]
        assert d.size(d.installer_dialog(d.probe(display))) == (648, 233), "Install pressed"

        d.press(display, "Tab", "Tab", "Tab", "Tab")
        d.wait_for_focus(display, INSTALL)
        d.press(display, "Return")
        d.wait_for_installer_dialog(display, width=178)
        assert run.wait(60) == 0
        assert d.clicks(srv.clicks, "clicked_button") == ["install"]


def check_escape_cancel_and_alt_f4():
    with Servers(serve_setup=False) as srv, d.Display() as display:
        run = start(display)
        dialog, _ = d.wait_for_installer_dialog(display)
        # Escape: only the statistic; the window stays.
        d.press(display, "Escape")
        srv.clicks.wait_for_requests(1)
        assert d.clicks(srv.clicks, "clicked_button") == ["cancel"]
        time.sleep(1)
        assert run.running() and d.installer_dialog(d.probe(display)) is not None
        d.click(display, dialog, CANCEL)
        assert run.wait(30) == 500
        srv.clicks.wait_for_requests(2)
        assert d.clicks(srv.clicks, "clicked_button") == ["cancel", "cancel"]
        messages = installer_log.messages(log_entries(), "wWinMain")
        assert messages[-2:] == ["User cancelled installation.", "Installer exit with code: 500"], \
            messages[-3:]

        # Alt+F4 closes the dialog the same way, without a statistic.
        srv.clicks.clear_requests()
        run = start(display)
        d.wait_for_installer_dialog(display)
        d.press(display, "alt+F4")
        assert run.wait(30) == 500
        time.sleep(0.5)
        assert d.clicks(srv.clicks, "clicked_button") == []


def check_clicks_never_hold_the_window():
    # The click endpoint accepts and holds every answer (a firewall that
    # drops, a captive portal): the window answers at once all the while the
    # check boxes are clicked, Install moves on at once, and once the
    # endpoint answers the statistics have arrived in the order of the clicks.
    held = threading.Event()
    port = servers.port_of(servers.build_config()["LI_CLICK_BASE"])
    endpoint = lambda: servers.FaultServer({None: servers.Route(body=b"ok", hold=held)}, port=port)
    with Servers(clicks=endpoint) as srv, d.Display() as display:
        run = start(display)
        dialog, _ = d.wait_for_installer_dialog(display)
        pings = d.Pings(display, 40, 100)
        boxes = (MAKE_DEFAULT, SEND_STATISTICS, MAKE_DEFAULT, SEND_STATISTICS)
        for box in boxes:
            d.click(display, dialog, box)
        clicked = time.time()
        d.click(display, dialog, INSTALL)
        d.wait_for_installer_dialog(display, timeout=10, width=178)
        assert time.time() - clicked < 2.5, "Install took %.1f s" % (time.time() - clicked)
        answers = pings.result()
        assert answers["asked"] >= 10 and answers["unanswered"] == 0 and \
            answers["longest_ms"] < 1000, answers
        held.set()
        assert run.wait(60) == 0
        sent = [r.path.split("&dialog_window=liteinstall&", 1)[-1] for r in srv.clicks.requests]
        assert sent == ["choosen_checkbox=" + ("default" if b == MAKE_DEFAULT else "sendstat")
                        for b in boxes] + ["clicked_button=install"], sent


def default_brand():
    with open(os.path.join(winelib.WIN_BUILD, "generated", "packages", "brand_config.json")) as f:
        return h.json.load(f)["brand_id"]


def check_download_error_waits_for_install_then_shows_the_error_dialog():
    with Servers(serve_setup=False), d.Display() as display:
        run = start(display)
        dialog, _ = d.wait_for_installer_dialog(display)
        # Five attempts with their pauses, while the welcome screen stays.
        wait_for_log("Installer::InstallBrowser", "Module was not downloaded", timeout=150)
        time.sleep(1.5)
        state = d.probe(display)
        assert [x["hwnd"] for x in d.visible_dialogs(state)] == [dialog["hwnd"]], state
        assert d.size(d.installer_dialog(state)) == (648, 233)

        d.click(display, dialog, INSTALL)
        error_title = "An error occurred during installation"
        state = d.wait_for_state(display, lambda s: any(
            d.control(x, TITLE_TEXT) and d.control(x, TITLE_TEXT)["text"] == error_title
            for x in d.visible_dialogs(s)), 20, "the error dialog")
        error = [x for x in d.visible_dialogs(state) if d.control(x, TITLE_TEXT)["text"] ==
                 error_title][0]
        assert d.installer_dialog(state) is None  # hidden behind the outcome
        assert d.size(error) == (400, 176), error["rect"]
        assert d.control(error, PLAIN_TEXT)["text"] == \
            "Try to download the installation file and\nrepeat the installation manually."
        assert d.control(error, INSTALL)["text"] == "Download"
        assert d.control(error, CANCEL)["text"] == "Cancel" and d.control(error, CANCEL)["visible"]
        shadow = [x for x in state["shadows"] if x["owner"] == error["hwnd"]]
        assert d.size(shadow[0]) == (410, 186), shadow
        d.click(display, error, INSTALL)
        assert run.wait(30) == 400
        expected = servers.build_config()["LI_DOWNLOAD_BASE"] + default_brand() + "/en/Tavrix.exe"
        assert winelib.wait_for(lambda: d.recorded_urls(URLS) == [expected], 10), \
            d.recorded_urls(URLS)


PROXY_PROMPT = "Enter Network Password"  # Wine's title of the system's prompt


def check_authenticating_proxy_prompt_then_install_through_it():
    # The proxy asks for credentials for everything, the reports' CONNECT too.
    user, password = "tester", "Pr0xy-s3cret-Zq"
    prompt = lambda s: d.visible_dialogs(s, PROXY_PROMPT)  # noqa: E731
    with Servers() as srv, servers.SquidProxy(user, password) as proxy, \
            servers.system_proxy(proxy.port), d.Display() as display:
        run = start(display, ENGLISH)
        dialog, _ = d.wait_for_installer_dialog(display)
        shown = prompt(d.wait_for_state(display, prompt, 30, "the prompt"))[0]
        assert shown["owner"] == dialog["hwnd"], shown
        d.press(display, "Escape", title=PROXY_PROMPT)  # fails this attempt
        d.wait_for_state(display, lambda s: not prompt(s), 10, "the prompt to go")
        d.wait_for_state(display, prompt, 40, "the next attempt's prompt")
        d.press(display, "type:" + user, "Tab", "type:" + password, "Return", title=PROXY_PROMPT)
        wait_for_log("Installer::InstallBrowser", "Module downloaded", timeout=60)
        d.click(display, dialog, INSTALL)
        assert run.wait(60) == 0 and setup_record() is not None
        asked = [(r.status, r.user) for r in proxy.requests() if r.url == h.setup_url()]
        assert asked[-1] == (200, user) and asked.count((407, "-")) >= 2, asked
        # Later requests carry the credentials: the report of the second
        # attempt (the first one's was refused) and the Install click.
        attempts = [h.values(r) for r in srv.status.wait_for_requests(2) if h.is_attempt_report(r)]
        assert [(a["status"], a["attempt"]) for a in attempts] == [("success", "2")], attempts
        assert winelib.wait_for(lambda: "install" in d.clicks(srv.clicks, "clicked_button"), 10)
        # Nothing the installer wrote or sent holds the password.
        for hive in ("HKCU", "HKLM"):
            winelib.reg("export", hive, winelib.win_path(os.path.join(WORK, hive + ".reg")), "/y")
        assert d.files_holding(password, winelib.temp_dir()) + \
            d.files_holding(password, WORK) == [], "password written"
        assert not [r for r in srv.status.requests() + srv.clicks.requests() if password in r.uri]


def check_hostile_language_reaches_no_address():
    # "lang" that is no language tag is ignored: the links open with the
    # brand's language, and their click statistics carry each as one value.
    with Servers(serve_setup=False) as srv, d.Display() as display:
        run = start(display, '"--distr-info-params=lang=../../x?y#z&b=1"')
        dialog, _ = d.wait_for_installer_dialog(display)
        d.click(display, dialog, LICENSE_LINK)
        d.click(display, dialog, PRIVACY_LINK)
        legal = servers.build_config()["LI_LEGAL_BASE"]
        expected = [legal + "/browser_agreement/?lang=ru", legal + "/confidential/?lang=ru"]
        assert winelib.wait_for(lambda: d.recorded_urls(URLS) == expected, 10), \
            d.recorded_urls(URLS)
        srv.clicks.wait_for_requests(2)
        assert [urllib.parse.unquote(v) for v in d.clicks(srv.clicks, "clicked_link")] == \
            expected, [r.uri for r in srv.clicks.requests()]
        d.click(display, dialog, CANCEL)
        assert run.wait(30) == 500


def newer_version_dialog(state):
    for x in d.visible_dialogs(state):
        title = d.control(x, TITLE_TEXT)
        if title and title["text"].startswith("You already have a newer version"):
            return x
    return None


def check_newer_version_and_close_window_outcomes():
    with Servers() as srv, d.Display() as display:
        run = start(display, setup_posts="higher")
        dialog, _ = d.wait_for_installer_dialog(display)
        d.click(display, dialog, INSTALL)
        state = d.wait_for_state(display, lambda s: newer_version_dialog(s) is not None, 30,
                                 "the newer-version dialog")
        notice = newer_version_dialog(state)
        assert d.control(notice, TITLE_TEXT)["text"] == \
            "You already have a newer version\nof the browser installed on your computer"
        assert d.control(notice, INSTALL)["text"] == "OK"
        assert not d.control(notice, CANCEL)["visible"]
        # The notice stays until the user closes it, also after the setup ended.
        wait_for_log("Installer::RunProcessAndWait", "Setup process exit with code: 0", 30)
        time.sleep(1.5)
        assert newer_version_dialog(d.probe(display)) is not None
        d.click(display, notice, INSTALL)
        assert run.wait(30) == 0  # the setup's own code: it ran to its end

        # "close_window" while the setup still runs: the dialog waits at
        # most 10 s for the installation, then the run ends with its result.
        run = start(display, setup_posts="close,wait:25000")
        dialog, _ = d.wait_for_installer_dialog(display)
        d.click(display, dialog, INSTALL)
        clicked = time.time()
        assert run.wait(40) == 400
        took = time.time() - clicked
        assert 9 < took < 20, took
        assert installer_log.has_entry(log_entries(), "WARNING", "wWinMain",
                                       "The installation did not stop within 10 seconds")


def check_closing_while_the_setup_ignores_everything_ends_cleanly():
    # The worker waits for a setup that never ends; closing the dialog must
    # neither wait for ever nor free what the worker still uses.
    with Servers(), d.Display() as display:
        run = start(display, setup_posts="wait:25000")
        dialog, _ = d.wait_for_installer_dialog(display)
        d.click(display, dialog, INSTALL)
        wait_for_log("Installer::RunProcessAndWait", "Wait for process finish.", 60)
        d.wait_for_installer_dialog(display, width=178)
        d.press(display, "alt+F4")
        assert run.wait(40) == 500
        entries = log_entries()
        assert installer_log.messages(entries, "wWinMain")[-1] == "Installer exit with code: 500"
        assert not any("crash" in e.message.lower() for e in entries)


def check_time_left_line_of_a_slow_download():
    status = servers.StatusEndpoint()
    clicks = trickle = None
    try:
        clicks = servers.ClickServer()
        # About 1 KB/s of 300 KB on the download base's port.
        trickle = servers.TrickleServer(
            port=servers.port_of(servers.build_config()["LI_DOWNLOAD_BASE"]))
        with d.Display() as display:
            run = start(display)
            dialog, _ = d.wait_for_installer_dialog(display)
            # After a minute at this rate the download would take minutes: the
            # line turns on under the logo, already on the welcome screen.
            state = d.wait_for_state(display, lambda s: d.installer_dialog(s) and d.control(
                d.installer_dialog(s), TIME_LEFT)["text"], 100, "the time-left line")
            text = d.control(d.installer_dialog(state), TIME_LEFT)["text"]
            minutes = int(text.split()[0])
            assert text == "%d mins left" % minutes and 5 <= minutes <= 10, text
            d.click(display, dialog, CANCEL)
            assert run.wait(30) == 500
    finally:
        for s in (trickle, clicks, status):
            if s:
                s.stop()


def check_progress_bar_fill_on_screen():
    """Position 50 of 0-100 shows the fill image's left 65 columns and the
    track's right 65."""
    with Servers(serve_setup=False), d.Display() as display:
        run = start(display)
        dialog, _ = d.wait_for_installer_dialog(display)
        d.click(display, dialog, INSTALL)
        narrow, _ = d.wait_for_installer_dialog(display, width=178)
        d.post(display, WM_SET_PROGRESS, 50)
        d.wait_for_state(display, lambda s: d.control(d.installer_dialog(s), PROGRESS)[
            "position"] == 50, 10, "position 50")
        time.sleep(0.5)
        shot = display.screenshot()
        bar = d.control(narrow, PROGRESS)["rect"]
        left, top = narrow["rect"][0] + bar[0], narrow["rect"][1] + bar[1]
        art = os.path.join(winelib.SOURCE, "resources", "artwork", "generated")
        background = d.Image.from_file(os.path.join(art, "307_background.png"))
        row = 5  # the bar's middle row, where both images are opaque
        for image, first, last in (("313_progress_fill.png", 0, 65),
                                   ("314_progress_track.png", 65, 130)):
            # The images have alpha: compare with each blended over the
            # background under the bar.
            flat = d.Image.from_file(os.path.join(art, image))
            for x in range(first + 3, last - 3):
                assert shot.pixel(left + x, top + row) == flat.pixel(x, row), (image, x)
        assert shot.pixel(left + 64, top + row) != shot.pixel(left + 66, top + row)
        d.press(display, "alt+F4")
        assert run.wait(40) in (400, 500)


LANGUAGES = {"zh-TW": 1028, "cs": 1029, "de": 1031, "en": 1033, "fr": 1036, "it": 1040,
             "ja": 1041, "pt-BR": 1046, "ru": 1049, "tr": 1055, "uk": 1058, "kk": 1087,
             "zh-CN": 2052, "pt-PT": 2070, "es": 3082}
GLYPH_CHECKED = ("ru", "tr", "ja", "zh-TW")


def string_tables():
    check_strings = source_module("resources/strings/check_strings.py")
    with open(winelib.INSTALLER, "rb") as f:
        tables, problems = check_strings.string_tables(check_strings.parse_pe(f.read()))
    assert not problems, problems
    return tables


# Fonts as the dialogs draw their texts: (height, weight, underline).
TITLE_FONT, SMALL, SMALL_LINK, BODY = (17, 700, 0), (12, 400, 0), (12, 400, 1), (14, 400, 0)
NOTICE_TITLE, NOTICE_BODY = (16, 400, 0), (13, 400, 0)


def fit_requests(code, strings, dialog, notice):
    """(language, string id, font, width, height, wrap, text) of every text
    a user can see; a height of 0 bounds only the width."""
    def box(window, control_id, inset=0):
        r = d.control(window, control_id)["rect"]
        return r[2] - r[0] - inset, r[3] - r[1]
    check, button = 15 + 8, 2 * 5  # the box and its gap; the focus frame, 4 in
    out = [(TITLE_FONT, box(dialog, TITLE_TEXT), True, i) for i in (408, 416)] + [
        (SMALL, box(dialog, MAKE_DEFAULT, check), True, 422),
        # Check box 1003 is as high as its text; the link below takes the rest.
        (SMALL, (box(dialog, SEND_STATISTICS, check)[0], 0), True, 421),
        (SMALL_LINK, box(dialog, PRIVACY_LINK), False, 414),
        (BODY, box(dialog, INSTALL, button), False, 400),
        (BODY, box(dialog, CANCEL, button), False, 413)]
    # The time-left line with two digits: its 12-pixel box is the font's
    # size, not its 14-pixel line, in every language, so only its width.
    out += [(SMALL, (166, 0), False, i) for i in (403, 407, 409, 418)]
    # Both outcome dialogs have the notice's layout.
    for control_id, font, wrap, ids in ((TITLE_TEXT, NOTICE_TITLE, True, (401, 411)),
                                        (PLAIN_TEXT, NOTICE_BODY, True, (412, 415)),
                                        (INSTALL, BODY, False, (410, 402)),
                                        (CANCEL, BODY, False, (417,))):
        out += [(font, box(notice, control_id), wrap, i) for i in ids]
    return [(code, i, font, w, h, wrap, strings[i].replace("%i", "59"))
            for font, (w, h), wrap, i in out]


def check_every_language_shows_its_own_strings_within_the_line():
    tables = string_tables()
    background = d.Image.from_file(os.path.join(winelib.SOURCE, "resources", "artwork",
                                                "generated", "307_background.png"))
    requests = []
    with Servers(serve_setup=False), d.Display() as display:
        for code, language in sorted(LANGUAGES.items()):
            strings = tables[language]
            run = start(display, "--distr-info-params=lang=" + code)
            dialog, _ = d.wait_for_installer_dialog(display)
            for control_id, string_id in ((TITLE_TEXT, 408), (INSTALL, 400), (CANCEL, 413),
                                          (MAKE_DEFAULT, 422), (SEND_STATISTICS, 421),
                                          (PRIVACY_LINK, 414)):
                assert d.control(dialog, control_id)["text"] == strings[string_id], \
                    (code, control_id)
            assert dialog["title"] == strings[419], code
            runs = sorted(d.controls(dialog, PLAIN_TEXT) + d.controls(dialog, LICENSE_LINK),
                          key=lambda c: (c["rect"][1], c["rect"][0]))
            sentence = strings[405].replace("((", "").replace("))", "")
            assert "".join(c["text"] for c in runs) == sentence, (code, runs)
            link = strings[405].split("((")[1].split("))")[0]
            assert [c["text"] for c in d.controls(dialog, LICENSE_LINK)] == [link], code
            for c in runs:
                # Only a run that is one word (or the link) may pass the line;
                # every run stays above the first check box.
                single = c["id"] == LICENSE_LINK or " " not in c["text"].strip()
                assert c["rect"][2] <= 180 + 360 or single, (code, c)
                assert c["rect"][2] <= 600 and c["rect"][3] <= 99, (code, c)
            if code in GLYPH_CHECKED:
                # Glyphs drawn: the title's box differs from the bare picture.
                shot = display.screenshot(os.path.join(SHOTS, "welcome_%s.png" % code))
                left, top = dialog["rect"][0], dialog["rect"][1]
                title = d.control(dialog, TITLE_TEXT)["rect"]
                changed = sum(
                    1 for y in range(title[1], title[3]) for x in range(title[0], title[2])
                    if shot.pixel(left + x, top + y) != background.pixel(21 + x, 21 + y))
                assert changed > 100, (code, changed)
            # The newer-version notice in this language, for its boxes.
            assert d.post(display, "tavrix.higher_version_exist")
            state = d.wait_for_state(display, lambda s: any(
                d.control(x, TITLE_TEXT) and d.control(x, TITLE_TEXT)["text"] == strings[411]
                for x in d.visible_dialogs(s)), 20, "the newer-version notice in " + code)
            notice = [x for x in d.visible_dialogs(state)
                      if d.control(x, TITLE_TEXT)["text"] == strings[411]][0]
            requests += fit_requests(code, strings, dialog, notice)
            d.click(display, notice, INSTALL)
            assert run.wait(30) == 400, code
        sizes = d.measure(display, [r[2] + (r[3], r[5], r[6]) for r in requests])
    overflows = [(code, i, "needs %dx%d in %dx%d" % (size[2], size[3], width, height), text)
                 for (code, i, _, width, height, _, text), size in zip(requests, sizes)
                 if size[2] > width or (height and size[3] > height)]
    assert not overflows, "\n".join(map(repr, overflows))


SETUPS = None
URLS = os.path.join(WORK, "opened_urls.txt")
CHECKS = [
    check_welcome_install_progress_and_setup_messages,
    check_escape_cancel_and_alt_f4,
    check_clicks_never_hold_the_window,
    check_keyboard_alone_focus_cues_links_and_what_a_screen_reader_reads,
    check_progress_bar_fill_on_screen,
    check_newer_version_and_close_window_outcomes,
    check_closing_while_the_setup_ignores_everything_ends_cleanly,
    check_download_error_waits_for_install_then_shows_the_error_dialog,
    check_authenticating_proxy_prompt_then_install_through_it,
    check_time_left_line_of_a_slow_download,
    check_every_language_shows_its_own_strings_within_the_line,
    check_hostile_language_reaches_no_address,
]


def main():
    global SETUPS
    only = sys.argv[1:]
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    SETUPS = h.make_sample_setups(os.path.join(WORK, "setups"))
    d.prepare_prefix()
    return checks.run(CHECKS, only=only)


if __name__ == "__main__":
    sys.exit(main())
