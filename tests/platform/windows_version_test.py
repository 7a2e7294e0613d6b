"""The detected Windows version under Wine, through the prefix's version
setting and the machine's "CurrentMajorVersionNumber" registry value, seen by
version_probe.exe (which carries the installer's manifest). The prefix's
version setting and the registry value are restored afterwards. (A new
Wine 8 prefix has no version setting, which reports 6.1, and keeps
"CurrentMajorVersionNumber" as REG_DWORD 6 whatever the setting: measured.)
"""
import os
import re
import sys

from support import checks, winelib

PROBE = os.path.join(winelib.BIN, "version_probe.exe")
WINE_KEY = r"HKCU\Software\Wine"
REG_SZ, REG_BINARY, REG_DWORD = 1, 3, 4
# The prefix's setting -> (reported major.minor, detected value).
EXPECTED = {
    "winxp": ("5.1", 1),     # kWinXp
    "vista": ("6.0", 3),     # kWinVista
    "win7": ("6.1", 4),      # kWin7
    "win81": ("6.3", 6),     # kWin81
    "win10": ("10.0", 7),    # kWin10
}


def probe(*args):
    p = winelib.wine([PROBE] + list(args))
    assert p.returncode == 0, "version_probe %r exited %d" % (args, p.returncode)
    return p.stdout.strip()


def detected():
    m = re.search(r"version=(\d+) major=(\d+) minor=(\d+)", probe())
    assert m, "no probe output"
    return "%s.%s" % (m.group(2), m.group(3)), int(m.group(1))


def set_value(type_code, hex_bytes):
    probe("set", str(type_code), hex_bytes)


def check_each_prefix_version_maps_to_its_value():
    for setting, (reported, value) in EXPECTED.items():
        winelib.set_windows_version(setting)
        got = detected()
        assert got == (reported, value), "%s: got %s, want %s" % (setting, got, (reported, value))


def check_registry_value_ten_turns_windows81_into_windows10():
    winelib.set_windows_version("win81")
    probe("delete")
    assert detected() == ("6.3", 6), "without the value"
    set_value(REG_DWORD, "0a000000")
    assert detected() == ("6.3", 7), "REG_DWORD 10"
    # REG_BINARY of four bytes counts like a REG_DWORD.
    set_value(REG_BINARY, "0a000000")
    assert detected() == ("6.3", 7), "four-byte REG_BINARY 10"


def check_registry_value_of_other_type_or_size_is_ignored():
    winelib.set_windows_version("win81")
    set_value(REG_SZ, "31003000")  # "10" as four bytes of UTF-16, no terminator
    assert detected() == ("6.3", 6), "four-byte REG_SZ"
    set_value(REG_BINARY, "0a00000000000000")
    assert detected() == ("6.3", 6), "eight-byte REG_BINARY"
    set_value(REG_DWORD, "06000000")
    assert detected() == ("6.3", 6), "REG_DWORD 6"


def check_registry_value_is_ignored_outside_major_six():
    winelib.set_windows_version("winxp")
    set_value(REG_DWORD, "0a000000")
    assert detected() == ("5.1", 1), "Windows XP with the value 10"


CHECKS = [
    check_each_prefix_version_maps_to_its_value,
    check_registry_value_ten_turns_windows81_into_windows10,
    check_registry_value_of_other_type_or_size_is_ignored,
    check_registry_value_is_ignored_outside_major_six,
]


def saved_version():
    return winelib.reg_query("Version", key=WINE_KEY)


def restore(version, value):
    if version:
        winelib.set_windows_version(version[1])
    else:
        winelib.reg("delete", WINE_KEY, "/v", "Version", "/f")
    if value == "absent":
        probe("delete")
    else:
        m = re.match(r"type=(\d+) data=([0-9a-f]*)", value)
        set_value(int(m.group(1)), m.group(2))


def main():
    version = saved_version()
    value = probe("read")
    # What Wine itself keeps there, for the record.
    print("prefix version setting: %s; CurrentMajorVersionNumber: %s" % (version, value))
    try:
        status = checks.run(CHECKS)
    finally:
        restore(version, value)
    assert saved_version() == version and probe("read") == value, "prefix not restored"
    return status


if __name__ == "__main__":
    sys.exit(main())
