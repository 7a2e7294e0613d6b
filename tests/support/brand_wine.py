"""Helpers of the brand Wine tests: installer runs that settle the brand
configuration without waiting for a download, and the log read as entries."""
import json
import os
import tempfile

from support import installer_log, winelib

GENERATED = os.path.join(winelib.WIN_BUILD, "generated", "packages")
AUTODETECT = "`anonymous-namespace'::AutodetectBrandName"

_scratch = tempfile.mkdtemp(prefix="brand_wine_")


def scratch(name):
    return os.path.join(_scratch, name)


def dummy_setup():
    """A setup file that exists but fails verification at once, so a silent
    run ends (400) without any download."""
    path = scratch("not_a_setup.exe")
    if not os.path.exists(path):
        with open(path, "wb") as f:
            f.write(b"not a signed setup\n")
    return winelib.win_path(path)


def run(*switches, program=None, extra_env=None):
    """Runs the installer (or a copy) silently with the given switches after
    clearing the log; returns (exit code, [(level, function, message)])."""
    winelib.clear_log()
    exe = winelib.win_path(program or winelib.INSTALLER)
    line = '"%s" --silent --browser-setup="%s" %s' % (exe, dummy_setup(), " ".join(switches))
    code, _ = winelib.run_command_line(line.strip(), extra_env=extra_env)
    return code, log_entries()


def log_entries():
    """(level, function, message) of each entry of the installer's log."""
    return [e.brief() for e in installer_log.read(winelib.log_path())]


def texts(entries, function):
    return [message for _, f, message in entries if f == function]


def default_config():
    with open(os.path.join(GENERATED, "brand_config.json")) as f:
        return json.load(f)


def default_package_size():
    return os.path.getsize(os.path.join(GENERATED, "default_brand.cab"))


