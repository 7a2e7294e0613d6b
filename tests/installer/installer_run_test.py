"""A silent run of lite_installer.exe under Wine, seen from outside: the exit
code and the log it leaves in the temporary directory (UTF-16LE, one
byte-order mark, every line in the exact format, the start and end lines of
the run sequence), and switch names matched without regard to case.
"""
import datetime
import os
import sys

from support import checks, installer_log, winelib

START_LINES = [
    "-------------------------------------- Start install.",
    "Lite installer mode.",
]


def parse_log():
    """The entries of the whole log, read strictly: one byte-order mark at the
    start, every line in the exact format, the last one ended."""
    path = winelib.log_path()
    assert os.path.exists(path), "no log"
    return installer_log.read(path)


def run_silent(silent_switch="--silent", extra_env=None):
    """A silent run that ends fast with 400: it is handed an unsigned setup
    file, so nothing is downloaded (a download would wait for five attempts
    without a server) and verification refuses to run it."""
    dummy = os.path.join(winelib.temp_dir(), "unsigned_setup.exe")
    with open(dummy, "wb") as f:
        f.write(b"MZ not a signed setup")
    return winelib.run_installer(silent_switch, "--browser-setup=" + winelib.win_path(dummy),
                                 extra_env=extra_env)


def wwinmain_messages(entries):
    return installer_log.messages(entries, "wWinMain")


def check_silent_run_logs_start_and_exit_400():
    winelib.clear_log()
    before = datetime.datetime.utcnow().replace(microsecond=0) - datetime.timedelta(seconds=2)
    # In a zone far from UTC, so that local-time stamps would stand out.
    code = run_silent(extra_env={"TZ": "Asia/Kathmandu"})
    after = datetime.datetime.utcnow() + datetime.timedelta(seconds=2)
    assert code == 400, "exit code %d" % code
    entries = parse_log()
    messages = wwinmain_messages(entries)
    assert messages[:3] == START_LINES + [
        "Temporary path is: %s" % winelib.win_temp_dir()], messages[:3]
    assert "Installing in silent mode." in messages, messages
    assert entries[-1].function == "wWinMain" and \
        entries[-1].text.endswith("): Installer exit with code: 400\n"), entries[-1]
    # The whole run is one thread in silent mode, and its stamps are UTC.
    assert len({e.thread for e in entries if e.function == "wWinMain"}) == 1
    for e in entries:
        stamp = datetime.datetime.strptime(e.stamp, "%Y-%m-%d %H:%M:%S")
        assert before <= stamp <= after, "stamp %s not UTC now (%s..%s)" % (e.stamp, before, after)
    # Every wWinMain line is INFO.
    assert {e.level for e in entries if e.function == "wWinMain"} == {"INFO"}


def check_second_run_appends_without_a_second_bom():
    winelib.clear_log()
    assert run_silent() == 400
    first = len(parse_log())
    assert run_silent() == 400
    entries = parse_log()  # one byte-order mark, checked there
    starts = [i for i, e in enumerate(entries) if e.message == START_LINES[0]]
    assert starts == [0, first], (starts, first)
    ends = [e for e in entries if e.message == "Installer exit with code: 400"]
    assert len(ends) == 2 and entries[first - 1] == ends[0], ends


def check_capital_switch_selects_silent_mode():
    winelib.clear_log()
    assert run_silent("--SILENT") == 400
    assert "Installing in silent mode." in wwinmain_messages(parse_log())
    winelib.clear_log()
    assert run_silent("/Silent") == 400
    assert "Installing in silent mode." in wwinmain_messages(parse_log())


CHECKS = [
    check_silent_run_logs_start_and_exit_400,
    check_second_run_appends_without_a_second_bom,
    check_capital_switch_selects_silent_mode,
]


if __name__ == "__main__":
    sys.exit(checks.run(CHECKS))
