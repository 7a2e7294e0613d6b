"""The README's main job (scripts/run.sh): a real silent installation under
Wine. Starts the local download server (nginx) with a signed sample setup
(the fake browser setup carrying trusted info, signed with a test PKI made
here) and the HTTPS status endpoint, runs `lite_installer.exe --silent
--send-statistics` in a Wine prefix of its own (build/demo/wineprefix, never
the tests' prefix), and prints what happened: the exit code, the command
line and files the setup received, the requests of both servers, and the
installer's log. With --interactive the installer starts as a user starts
it, without switches, with its dialog on a virtual display (Xvfb); Install
is pressed by a real click and each screen is saved into build/demo.
"""
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO = os.path.join(ROOT, "build", "demo")
os.environ.setdefault("LI_WINEPREFIX", os.path.join(DEMO, "wineprefix"))
os.environ.setdefault("LI_WIN_BUILD_DIR", os.path.join(ROOT, "build", "win"))
os.environ.setdefault("LI_HOST_BUILD_DIR", os.path.join(ROOT, "build", "host"))
os.environ.setdefault("LI_SOURCE_DIR", ROOT)

from support import install_harness as h, servers, winelib  # noqa: E402


def section(title):
    print("\n== %s" % title)


def prepare_prefix():
    """The demo's own prefix: made once, then reused; its wineserver is kept
    alive for the run and stopped at the end."""
    if not os.path.isdir(os.path.join(winelib.PREFIX, "drive_c")):
        print("Creating the demo's Wine prefix (once, about 15 s): " + winelib.PREFIX)
        os.makedirs(winelib.PREFIX, exist_ok=True)
        winelib.run_captured(["wineboot", "-i"], timeout=300, check=True)
        winelib.run_captured(["wineserver", "-w"], timeout=300)
    subprocess.Popen(["wineserver", "-p"], env=winelib.env(), stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
    winelib.wine(["cmd", "/c", "exit"], timeout=120)


INTERACTIVE = "--interactive" in sys.argv[1:]


def run_dialog(work):
    """The way a user installs: no switches, the dialog on Xvfb; Install is
    pressed by a real click, the fake setup reports its steps, and each
    screen is saved into build/demo."""
    from support import dialog_harness as d
    d.prepare_prefix()
    posts = "wait:1000,install:5,wait:1500,install:6,wait:1500,import:50:2,wait:1500"
    with d.Display() as display:
        run = d.Run(display, extra_env=h.setup_environment(work, extra_env={
            "FAKE_SETUP_POST": posts}))
        dialog, _ = d.wait_for_installer_dialog(display)
        shot = os.path.join(DEMO, "welcome_screen.png")
        display.screenshot(shot)
        print("welcome screen (%s): %r" % (shot, d.control(dialog, d.TITLE_TEXT)["text"]))
        d.click(display, dialog, d.INSTALL)
        d.wait_for_state(display, lambda s: d.installer_dialog(s) and d.control(
            d.installer_dialog(s), d.PROGRESS)["position"] >= 79, 120, "the setup's progress")
        shot = os.path.join(DEMO, "progress_screen.png")
        display.screenshot(shot)
        print("progress screen (%s)" % shot)
        code = run.wait(120)
    return h.installation(work, code)


def main():
    for tool in (winelib.INSTALLER, h.FAKE_SETUP):
        if not os.path.exists(tool):
            sys.exit("missing %s: run ./scripts/build.sh first" % tool)
    prepare_prefix()
    work = os.path.join(DEMO, "work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    section("Sample setup")
    setups = h.make_sample_setups(os.path.join(work, "setups"))
    docroot = os.path.join(work, "docroot")
    target = docroot + h.setup_path()
    os.makedirs(os.path.dirname(target))
    shutil.copyfile(setups.signed, target)
    print("fake browser setup with TRUSTED.JSON + SIGNATURE.DAT, Authenticode-signed by a "
          "test PKI: %d bytes" % os.path.getsize(target))
    print("served as " + h.setup_url())

    h.reset_prefix_state()
    status = servers.StatusEndpoint()
    files = servers.FileServer(docroot)
    clicks = servers.ClickServer() if INTERACTIVE else None
    try:
        if INTERACTIVE:
            section("Running lite_installer.exe (the dialog) under Wine on a virtual display")
            run = run_dialog(work)
        else:
            section("Running lite_installer.exe --silent --send-statistics under Wine")
            run = h.run_installer(work, "--silent", "--send-statistics")
        print("exit code: %d" % run.code)

        section("What the setup received")
        if run.record:
            print("command line: " + run.record["command_line"])
            for name, info in sorted(run.record["files"].items()):
                print("  --%s: %s (%d bytes when the setup ran)"
                      % (name, info["path"], info["size"]))
            print("setup exit code: %d" % run.record["exit_code"])
        else:
            print("the setup did not run")

        section("Download server requests")
        for r in files.wait_for_requests(1):
            print("  %s %s -> %d, %d bytes, agent %r"
                  % (r.method, r.uri, r.status, r.bytes_sent, r.user_agent))

        section("Status reports received (HTTPS)")
        for r in status.wait_for_requests(2):
            print("  " + r.uri)
            for name, value in h.values(r).items():
                print("      %-13s %s" % (name, value))

        section("Left behind")
        print("registry values: %s" % (", ".join("%s=%s" % kv for kv in sorted(run.registry.items()))
                                      or "none"))
        print("downloaded setup files still in %%TEMP%%: %d" % len(run.leftover_downloads))

        section("Installer log (%s)" % winelib.log_path())
        for entry in run.log:
            print("  " + entry.text.rstrip("\r\n"))
        if clicks:
            section("Click statistics received")
            for r in clicks.requests():
                print("  " + r.uri)
    finally:
        if clicks:
            clicks.stop()
        files.stop()
        status.stop()
        winelib.run_captured(["wineserver", "-k"])
    return 0 if run.code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
