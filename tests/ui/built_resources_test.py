"""The user-interface resources as built into lite_installer.exe, read back
from the file: every image is exactly the checked artwork (format, size,
frames and shadow rings are checked by resources/artwork/check_artwork.py,
on the committed files and on a fresh regeneration, which must give the same
bytes), the window icon has all its sizes, the dialog templates exist, and
every language's string table is complete and well formed.

Usage: built_resources_test.py <lite_installer.exe>   (needs Pillow)
"""
import glob
import os
import struct
import subprocess
import sys
import tempfile

from support import SOURCE, checks, source_module

ARTWORK = os.path.join(SOURCE, "resources", "artwork")
check_strings = source_module("resources/strings/check_strings.py")

RT_ICON, RT_DIALOG, RT_RCDATA, RT_GROUP_ICON = 3, 5, 10, 14


def check_built_resources():
    with open(sys.argv[1], "rb") as f:
        resources = check_strings.parse_pe(f.read())
    by_key = {(t, n): data for t, n, _, data in resources}
    problems = []

    generated = os.path.join(ARTWORK, "generated")
    for path in sorted(glob.glob(os.path.join(generated, "*"))):
        number = int(os.path.basename(path).split("_")[0])
        if path.endswith(".ico"):
            continue
        with open(path, "rb") as f:
            if by_key.get((RT_RCDATA, number)) != f.read():
                problems.append("RCDATA %d is not %s" % (number, os.path.basename(path)))

    group = by_key.get((RT_GROUP_ICON, 128))
    if not group:
        problems.append("no icon group 128")
    else:
        count = struct.unpack_from("<H", group, 4)[0]
        sizes = sorted(group[6 + 14 * i] or 256 for i in range(count))
        if sizes != [16, 24, 32, 48, 256]:
            problems.append("icon 128 has the sizes %s" % sizes)
        for i in range(count):
            icon_id = struct.unpack_from("<H", group, 6 + 14 * i + 12)[0]
            if (RT_ICON, icon_id) not in by_key:
                problems.append("icon image %d of group 128 is missing" % icon_id)

    for template in (129, 202):
        if (RT_DIALOG, template) not in by_key:
            problems.append("no dialog template %d" % template)

    tables, table_problems = check_strings.string_tables(resources)
    problems += table_problems + check_strings.check_tables(tables)

    checker = os.path.join(ARTWORK, "check_artwork.py")
    with tempfile.TemporaryDirectory() as fresh:
        subprocess.run([sys.executable, os.path.join(ARTWORK, "make_artwork.py"), fresh],
                       check=True, stdout=subprocess.DEVNULL)
        for folder in (generated, fresh):
            if subprocess.run([sys.executable, checker, folder]).returncode:
                problems.append("check_artwork found problems in " + folder)
        for path in sorted(glob.glob(os.path.join(generated, "*"))):
            with open(path, "rb") as a, open(os.path.join(fresh, os.path.basename(path)), "rb") as b:
                if a.read() != b.read():
                    problems.append("regenerating %s gives other bytes" % os.path.basename(path))

    checks.check(not problems, "\n".join(problems))


if __name__ == "__main__":
    sys.exit(checks.run([check_built_resources]))
