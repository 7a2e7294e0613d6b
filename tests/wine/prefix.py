"""Creates the test run's private Wine prefix (fixture setup) and stops its
wineserver (fixture cleanup). Only this prefix's wineserver is ever stopped."""
import os
import shutil
import subprocess
import sys

import winelib


def setup():
    prefix = winelib.PREFIX
    if os.path.isdir(prefix):
        winelib.run_captured(["wineserver", "-k"])
        shutil.rmtree(prefix)
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


if __name__ == "__main__":
    {"setup": setup, "stop": stop}[sys.argv[1]]()
