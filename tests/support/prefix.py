"""Creates the test run's private Wine prefix (fixture setup) and stops its
wineserver (fixture cleanup), with the run's X display. Only this prefix's
wineserver is ever stopped."""
import os
import shutil
import signal
import subprocess
import sys

from support import winelib


def start_display():
    """Xvfb for every window of the run, started before the prefix's desktop."""
    number = winelib.free_display_number()
    xvfb = winelib.start_xvfb(number, start_new_session=True)
    with open(winelib.DISPLAY_FILE, "w") as f:
        f.write(":%d %d\n" % (number, xvfb.pid))


def stop_display():
    display = winelib.prefix_display()
    if display:
        try:
            os.kill(display[1], signal.SIGTERM)
        except OSError:
            pass
    if os.path.exists(winelib.DISPLAY_FILE):
        os.remove(winelib.DISPLAY_FILE)


def setup():
    prefix = winelib.PREFIX
    if os.path.isdir(prefix):
        winelib.run_captured(["wineserver", "-k"])
        shutil.rmtree(prefix)
    stop_display()
    start_display()
    os.makedirs(prefix)
    winelib.run_captured(["wineboot", "-i"], timeout=300, check=True)
    winelib.run_captured(["wineserver", "-w"], timeout=300)
    # A persistent wineserver keeps every later start at a few milliseconds.
    subprocess.Popen(["wineserver", "-p"], env=winelib.env(), stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
    # Start the prefix's services now, outside any test's measurements.
    winelib.wine(["cmd", "/c", "exit"], timeout=120)
    print("prefix ready:", winelib.user_dir())


def stop():
    winelib.run_captured(["wineserver", "-k"])
    stop_display()


if __name__ == "__main__":
    {"setup": setup, "stop": stop}[sys.argv[1]]()
