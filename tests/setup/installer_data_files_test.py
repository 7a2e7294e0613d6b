"""The two data files built into the installer for the setup, as the build
generated them (argument: the build's generated folder): master_preferences
is UTF-8 JSON without BOM, LF line ends and two-space indentation, with its
members in order and a seed-sized Base64 "variations_seed"; clids.xml is CRLF
text declared windows-1251, with the build's vendor name and the nine clids
in order, each indented by four blanks.
"""
import base64
import collections
import json
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

from support import checks

CLIDS = [("clid1", "2236991"), ("clid4", "2236992"), ("clid5", "2236993"),
         ("clid6", "2236994"), ("clid7", "2236995"), ("clid10", "2236996"),
         ("clid15", "2236997"), ("clid21", "2236998"), ("clid100004", "2236999")]


def read(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def vendor_name(folder):
    text = read(folder, "build_config.h").decode()
    return re.search(r'#define LI_VENDOR_NAME "(.*)"', text).group(1)


def check_master_preferences(folder):
    data = read(folder, "master_preferences.json")
    assert not data.startswith(b"\xef\xbb\xbf"), "byte-order mark"
    assert b"\r" not in data, "carriage return"
    text = data.decode("utf-8")
    doc = json.loads(text, object_pairs_hook=collections.OrderedDict)
    assert list(doc) == ["tx", "variations_seed", "browser"], list(doc)
    assert list(doc["tx"]) == ["welcome_page", "master_preferences_migrator"], list(doc["tx"])
    assert doc["tx"]["welcome_page"] == "chrome://welcome-page"
    migrator = doc["tx"]["master_preferences_migrator"]
    assert list(migrator) == ["local_state", "user_prefs"], list(migrator)
    assert migrator["local_state"] == ["intl.app_locale", "tx.statistics.enabled",
                                       "browser.enabled_labs_experiments"]
    assert migrator["user_prefs"] == []
    assert doc["browser"] == {"enabled_labs_experiments": ["enable-custo@2"]}
    seed = doc["variations_seed"]
    assert len(seed) == 5728, len(seed)
    assert len(base64.b64decode(seed, validate=True)) == 4296
    # Written exactly as a two-space indenting writer would write it.
    assert text.rstrip("\n") == json.dumps(doc, indent=2), "layout"
    assert 6000 <= len(data) <= 6200, len(data)


def check_clids(folder):
    data = read(folder, "clids.xml")
    assert data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b""), "CRLF lines"
    lines = data.decode("cp1251").split("\r\n")[:-1]
    assert lines[0] == '<?xml version="1.0" encoding="windows-1251"?>', lines[0]
    assert lines[1] == '<vendor name="%s" setup="bar-only">' % vendor_name(folder), lines[1]
    assert lines[-1] == "</vendor>", lines[-1]
    assert lines[2:-1] == ["    <%s>%s</%s>" % (n, v, n) for n, v in CLIDS], lines[2:-1]
    root = ElementTree.fromstring(data)
    assert root.tag == "vendor" and root.get("setup") == "bar-only"
    assert [(c.tag, c.text) for c in root] == CLIDS


if __name__ == "__main__":
    sys.exit(checks.run([check_master_preferences, check_clids], sys.argv[1]))
