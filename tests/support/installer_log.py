"""The installer log as the Python tests read it: "lite_installer.log" and the
logs of the test programs, UTF-16LE after one byte-order mark, each entry as
installer/log_line.cc builds it:

    2015-10-08 17:34:40 <4242> INFO: wWinMain (24): Lite installer mode.\\n

An ERROR entry ends in " Last error: " and the error's text (the system's
wording, often with CR LF). After a formatted message, which brings its own
line feed, that part starts the next text line, and a formatted INFO or
WARNING message ends in an empty line; both still belong to the entry.
"""
import collections
import os
import re

BOM = b"\xff\xfe"
LAST_ERROR = " Last error: "
START_RE = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) <(\d+)> (INFO|ERROR|WARNING): "
                      r"(\S*) \((-?\d+)\): ")


class Entry(collections.namedtuple(
        "Entry", "stamp thread level function line message last_error text")):
    """One entry: stamp text, thread id, level, function, source line, the
    message without its line end (and without an ERROR's last-error part),
    the last-error text (None unless ERROR) and the entry's exact text."""

    def brief(self):
        return (self.level, self.function, self.message)


def _finish(match, text):
    rest = text[match.end():]
    last_error = None
    if match.group(3) == "ERROR":
        at = rest.rfind(LAST_ERROR)
        if at >= 0:
            last_error = rest[at + len(LAST_ERROR):].rstrip("\r\n")
            rest = rest[:at]
    return Entry(match.group(1), int(match.group(2)), match.group(3), match.group(4),
                 int(match.group(5)), rest.rstrip("\r\n"), last_error, text)


def _continues(match, entry_text, line):
    """Strict reading: whether a line that starts no entry may follow."""
    if line in ("\n", "\r\n"):
        return True  # the second line feed of a formatted message
    return match.group(3) == "ERROR" and line.startswith(LAST_ERROR) and \
        LAST_ERROR not in entry_text


def parse_text(text, strict=True):
    """Entries of log text (byte-order mark already removed). Strict: every
    text line starts an entry or is an allowed continuation, and the text
    ends with a line feed; else lines that start no entry join the entry
    before, and text before the first entry is skipped."""
    if strict and text and not text.endswith("\n"):
        raise ValueError("last log line not ended: %r" % text[-200:])
    pieces = []  # [match, text] per entry
    # Only a line feed ends a line: messages may hold other line separators.
    for line in re.findall(r"[^\n]*\n|[^\n]+$", text):
        m = START_RE.match(line)
        if m:
            pieces.append([m, line])
        elif pieces and (not strict or _continues(pieces[-1][0], pieces[-1][1], line)):
            pieces[-1][1] += line
        elif strict:
            raise ValueError("line not in the log format: %r" % line)
    return [_finish(m, t) for m, t in pieces]


def parse(data, strict=True):
    """Entries of a log file's bytes. Strict: exactly one byte-order mark, at
    the start (an empty file has none)."""
    if strict and data and data[:2] != BOM:
        raise ValueError("log does not start with the byte-order mark")
    text = data.decode("utf-16-le")
    if text.startswith("\ufeff"):
        text = text[1:]
    if strict and "\ufeff" in text:
        raise ValueError("a second byte-order mark inside the log")
    return parse_text(text, strict)


def read(path, strict=True):
    """Entries of the log file at path; a missing file has none."""
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return parse(f.read(), strict)


def messages(entries, function):
    """The messages of one function's entries, in order."""
    return [e.message for e in entries if e.function == function]


def has_entry(entries, level, function, message_start):
    return any(e.level == level and e.function == function and e.message.startswith(message_start)
               for e in entries)
