"""Helpers of the brand Wine tests: installer runs that settle the brand
configuration without waiting for a download (and, where a test needs what
the setup is handed, run the fake setup from the installer's run folder),
and the log read as entries."""
import json
import os
import re
import tempfile

from support import install_harness, installer_log, winelib

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


_setups = []


def signed_setup():
    """The fake setup, signed so that it passes verification (made once)."""
    if not _setups:
        _setups.append(install_harness.make_sample_setups(scratch("setups")).signed)
    return winelib.win_path(_setups[0])


def run(*switches, program=None, extra_env=None, setup=False):
    """Runs the installer (or a copy) silently with the given switches after
    clearing the log; returns (exit code, [(level, function, message)]).
    With `setup`, the fake setup runs and last_record() tells what it got."""
    winelib.clear_log()
    exe = winelib.win_path(program or winelib.INSTALLER)
    given = signed_setup() if setup else dummy_setup()
    env = dict(extra_env or {})
    if setup:
        env.update(install_harness.setup_environment(_scratch))
    line = '"%s" --silent --browser-setup="%s" %s' % (exe, given, " ".join(switches))
    code, _ = winelib.run_command_line(line.strip(), extra_env=env)
    return code, log_entries()


def last_record():
    """The fake setup's record of the last run with `setup`."""
    with open(scratch("setup_record.json"), encoding="utf-8") as f:
        return json.load(f)


def run_folder(entries):
    """The run folder (Windows form, ending in a backslash) of the run whose
    log entries these are."""
    for _, function, message in entries:
        m = re.match(r"^Run folder is: (.*\\li-[0-9a-f]{24}\\)$", message)
        if function == "wWinMain" and m:
            return m.group(1)
    raise AssertionError("no run folder in the log")


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


