"""Runs one GoogleTest binary of the Windows build under Wine and passes its
verdict on."""
import os
import subprocess
import sys

from support import winelib

binary = os.path.join(winelib.BIN, sys.argv[1] + ".exe")
p = subprocess.run(["wine", binary] + sys.argv[2:], env=winelib.env(), timeout=600)
sys.exit(p.returncode)
