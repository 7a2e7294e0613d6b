"""A silent run of lite_installer.exe under Wine, seen from outside: the exit
code and the log it leaves in the temporary directory (UTF-16LE, one
byte-order mark, every line in the exact format, the start and end lines of
the run sequence), and switch names matched without regard to case.
"""
import datetime
import os
import re
import sys

import winelib

LINE_RE = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) <(\d+)> (INFO|ERROR|WARNING): "
                     r"(\S+) \((-?\d+)\): (.*)$", re.S)
START_LINES = [
    "-------------------------------------- Start install.",
    "Lite installer mode.",
]


def parse_log():
    """[(stamp, thread, level, function, line, message)] of the whole log;
    a formatted ERROR message puts " Last error: " at the start of the next
    text line, which belongs to the line before."""
    data = winelib.read_log_bytes()
    assert data[:2] == b"\xff\xfe", "no byte-order mark at the start"
    text = data[2:].decode("utf-16-le")
    assert "\ufeff" not in text, "byte-order mark inside the log"
    assert text.endswith("\n"), "last line not ended"
    entries = []
    for raw in text.splitlines(keepends=True):
        if raw.startswith(" Last error: ") and entries and entries[-1][2] == "ERROR":
            continue
        m = LINE_RE.match(raw)
        assert m, "line not in the log format: %r" % raw
        entries.append(m.groups())
    return entries


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
    return [e[5] for e in entries if e[3] == "wWinMain"]


def check_silent_run_logs_start_and_exit_400():
    winelib.clear_log()
    before = datetime.datetime.utcnow().replace(microsecond=0) - datetime.timedelta(seconds=2)
    # In a zone far from UTC, so that local-time stamps would stand out.
    code = run_silent(extra_env={"TZ": "Asia/Kathmandu"})
    after = datetime.datetime.utcnow() + datetime.timedelta(seconds=2)
    assert code == 400, "exit code %d" % code
    entries = parse_log()
    messages = wwinmain_messages(entries)
    assert messages[:3] == [m + "\n" for m in START_LINES] + [
        "Temporary path is: %s\n" % winelib.win_temp_dir()], messages[:3]
    assert "Installing in silent mode.\n" in messages, messages
    assert entries[-1][3] == "wWinMain" and entries[-1][5] == "Installer exit with code: 400\n", \
        entries[-1]
    # The whole run is one thread in silent mode, and its stamps are UTC.
    assert len({e[1] for e in entries if e[3] == "wWinMain"}) == 1
    for e in entries:
        stamp = datetime.datetime.strptime(e[0], "%Y-%m-%d %H:%M:%S")
        assert before <= stamp <= after, "stamp %s not UTC now (%s..%s)" % (e[0], before, after)
    # Every wWinMain line is INFO.
    assert {e[2] for e in entries if e[3] == "wWinMain"} == {"INFO"}


def check_second_run_appends_without_a_second_bom():
    winelib.clear_log()
    assert run_silent() == 400
    first = len(parse_log())
    assert run_silent() == 400
    entries = parse_log()  # one byte-order mark, checked there
    starts = [i for i, e in enumerate(entries) if e[5] == START_LINES[0] + "\n"]
    assert starts == [0, first], (starts, first)
    ends = [e for e in entries if e[5] == "Installer exit with code: 400\n"]
    assert len(ends) == 2 and entries[first - 1] == ends[0], ends


def check_capital_switch_selects_silent_mode():
    winelib.clear_log()
    assert run_silent("--SILENT") == 400
    assert "Installing in silent mode.\n" in wwinmain_messages(parse_log())
    winelib.clear_log()
    assert run_silent("/Silent") == 400
    assert "Installing in silent mode.\n" in wwinmain_messages(parse_log())


CHECKS = [
    check_silent_run_logs_start_and_exit_400,
    check_second_run_appends_without_a_second_bom,
    check_capital_switch_selects_silent_mode,
]


if __name__ == "__main__":
    sys.exit(winelib.run_checks(CHECKS))
