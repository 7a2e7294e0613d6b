#!/usr/bin/env python3
"""Tests of check_strings.py on .res and PE images made here, and of the
string-table sources themselves (compiled with windres when it is there:
WINDRES or i686-w64-mingw32-windres on PATH)."""

import contextlib
import io
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unicodedata
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

import check_strings  # noqa: E402

LANGUAGES = check_strings.INTERFACE_LANGUAGES
ENTRY = re.compile(r'^  (\d+), "((?:[^"]|"")*)"$')


def source_texts(path):
    """{id: text} of a strings_<id>.rc file, with the .rc escapes undone."""
    texts = {}
    with open(path, encoding="utf-8") as stream:
        for line in stream:
            match = ENTRY.match(line.rstrip("\n"))
            if match:
                texts[int(match.group(1))] = (match.group(2).replace('""', '"')
                                              .replace("\\n", "\n"))
    return texts


ENGLISH = source_texts(os.path.join(HERE, "strings_1033.rc"))


def string_blocks(language, texts):
    """RT_STRING resources holding `texts` ({id: text})."""
    blocks = {}
    for string_id, text in texts.items():
        blocks.setdefault(string_id // 16 + 1, [""] * 16)[string_id % 16] = text
    resources = []
    for number, entries in sorted(blocks.items()):
        data = b"".join(struct.pack("<H", len(t.encode("utf-16-le")) // 2) + t.encode("utf-16-le")
                        for t in entries)
        resources.append((6, number, language, data))
    return resources


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def res_name(value):
    if isinstance(value, int):
        return struct.pack("<HH", 0xFFFF, value)
    return (value + "\0").encode("utf-16-le")


def write_res(resources):
    out = pad4(struct.pack("<II", 0, 32) + res_name(0) + res_name(0) + b"\0" * 16)
    for rtype, name, language, data in resources:
        names = pad4(res_name(rtype) + res_name(name))
        header = struct.pack("<II", len(data), 8 + len(names) + 16) + names
        out += pad4(header + struct.pack("<IHHII", 0, 0x1030, language, 0, 0) + data)
    return out


def write_pe(resources, section_rva=0x3000):
    """A PE32 image whose only section is .rsrc with `resources`."""
    tree = {}
    for rtype, name, language, data in resources:
        tree.setdefault(rtype, {}).setdefault(name, {})[language] = data
    directories, strings, entries, payload = bytearray(), bytearray(), bytearray(), bytearray()
    fixups = []  # (offset in directories, kind, index)

    def directory(children):
        at = len(directories)
        keys = sorted(children, key=lambda k: (isinstance(k, int), k))
        named = sum(not isinstance(k, int) for k in keys)
        directories.extend(struct.pack("<IIHHHH", 0, 0, 0, 0, named, len(keys) - named))
        slots = []
        for key in keys:
            slots.append(len(directories))
            directories.extend(b"\0" * 8)
        for key, slot in zip(keys, slots):
            if isinstance(key, int):
                struct.pack_into("<I", directories, slot, key)
            else:
                fixups.append((slot, "name", len(strings)))
                strings.extend(struct.pack("<H", len(key)) + key.encode("utf-16-le"))
            child = children[key]
            if isinstance(child, dict):
                struct.pack_into("<I", directories, slot + 4, 0x80000000 | directory(child))
            else:
                fixups.append((slot + 4, "entry", len(entries)))
                entries.extend(struct.pack("<IIII", len(payload), len(child), 0, 0))
                payload.extend(pad4(child))
        return at

    directory(tree)
    strings_at = len(directories)
    entries_at = strings_at + len(pad4(bytes(strings)))
    payload_at = entries_at + len(entries)
    for offset, kind, index in fixups:
        value = (0x80000000 | (strings_at + index)) if kind == "name" else entries_at + index
        struct.pack_into("<I", directories, offset, value)
    for index in range(0, len(entries), 16):
        (relative,) = struct.unpack_from("<I", entries, index)
        struct.pack_into("<I", entries, index, section_rva + payload_at + relative)
    section = bytes(directories) + pad4(bytes(strings)) + bytes(entries) + bytes(payload)

    optional = bytearray(224)
    struct.pack_into("<H", optional, 0, 0x10B)
    struct.pack_into("<I", optional, 92, 16)
    struct.pack_into("<II", optional, 96 + 16, section_rva, len(section))
    headers = (b"MZ" + b"\0" * 0x3A + struct.pack("<I", 0x40) + b"PE\0\0"
               + struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, len(optional), 0x102) + optional
               + struct.pack("<8sIIIIIIHHI", b".rsrc", len(section), section_rva, len(section),
                             0x200, 0, 0, 0, 0, 0x40000040))
    return headers.ljust(0x200, b"\0") + section


def good_resources(skip_language=None):
    resources = [("BIN", "BRAND_TB", 1033, b"named type and name"), (16, 1, 1033, b"\0" * 4)]
    for language in LANGUAGES:
        if language != skip_language:
            resources += string_blocks(language, ENGLISH)
    return resources


WRITERS = (("res", write_res), ("pe", write_pe))


class CheckerTest(unittest.TestCase):

    def problems(self, resources):
        results = []
        for form, write in WRITERS:
            languages, problems, _ = check_strings.check_file(write(resources))
            results.append(problems)
        self.assertEqual(results[0], results[1], "the .res and PE forms disagree")
        return languages, results[0]

    def test_complete_tables_pass_in_both_forms(self):
        languages, problems = self.problems(good_resources())
        self.assertEqual(languages, sorted(LANGUAGES))
        self.assertEqual(problems, [])

    def test_each_damage_gives_its_own_problem(self):
        cases = [
            (1049, 400, "", "missing or empty"),
            (1049, 423, None, "missing or empty"),
            (1031, 405, "Ohne Link.", 'needs exactly one "((" and one "))" (has 0 and 0)'),
            (1031, 405, "((a)) und ((b)).", 'needs exactly one "((" and one "))" (has 2 and 2)'),
            (1031, 405, "Erst )) dann ((.", 'the link text must stand between "((" and "))"'),
            (1031, 405, "Leer (()).", 'the link text must stand between "((" and "))"'),
            (1036, 403, "Il reste %d min", 'needs exactly one "%i" and no other "%"'),
            (1036, 407, "%i min %s", 'needs exactly one "%i" and no other "%"'),
            (1036, 409, "%i %i s", 'needs exactly one "%i" and no other "%"'),
            (1036, 418, "100% : %i s", 'needs exactly one "%i" and no other "%"'),
            (1041, 411, "one line", "has 0 line breaks, English has 1"),
            (1041, 415, "a\nb\nc", "has 2 line breaks, English has 1"),
            (1041, 400, "a\nb", "has 1 line breaks, English has 0"),
            (2052, 422, "设为默认浏览器", 'needs exactly one "&", before a letter'),
            (2052, 422, "&A &B", 'needs exactly one "&", before a letter'),
            (2052, 422, "Default&", 'needs exactly one "&", before a letter'),
            (2052, 422, "R & D", 'needs exactly one "&", before a letter'),
        ]
        for language, string_id, text, expected in cases:
            with self.subTest(language=language, id=string_id, text=text):
                texts = dict(ENGLISH)
                if text is None:
                    del texts[string_id]
                else:
                    texts[string_id] = text
                resources = [r for r in good_resources() if r[2] != language]
                _, problems = self.problems(resources + string_blocks(language, texts))
                self.assertEqual(problems, ["%d: id %d %s" % (language, string_id, expected)])

    def test_tables_are_whole_languages_and_blocks(self):
        _, problems = self.problems(good_resources(skip_language=1087))
        self.assertEqual(problems, ["1087: no string table"])
        # Only a .res file can hold a block twice (the linker refuses it).
        twice = write_res(good_resources() + string_blocks(3082, {400: "Instalar Tavrix"}))
        self.assertEqual(check_strings.check_file(twice)[1],
                         ["3082: string block 26 appears twice"])
        _, problems = self.problems(good_resources() + [(6, "NAMED", 1033, b"")])
        self.assertEqual(problems, ["1033: string block named 'NAMED'"])

    def test_damaged_files_are_refused(self):
        res = write_res(good_resources())
        pe = write_pe(good_resources())
        short_block = write_res([(6, 26, 1033, b"\x01\0")])
        cases = [
            (res[:36], "resource header at offset 32 runs past the end"),
            (res[:-8], "runs past the end of the file"),
            (short_block, "string block 26: entry 0 runs past the block"),
            (write_res([(6, 26, 1033, b"")]), "string block 26 ends before entry 0"),
            (pe[:0x3C], "DOS header"),
            (pe[:0x40] + b"NE\0\0" + pe[0x44:], "no PE signature at offset 64"),
            (pe[:0x200 + 64], "runs past the end of the file"),
            (pe[:0xC8] + struct.pack("<I", 0x70000) + pe[0xCC:], "RVA 0x70000 is in no section"),
        ]
        for data, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(check_strings.FormatError) as raised:
                    check_strings.check_file(data)
                self.assertIn(message, str(raised.exception))

    def test_exit_codes(self):
        cases = [
            (write_res(good_resources()), 0, "OK"),
            (write_pe([r for r in good_resources() if r[2] != 1028]), 1, "1028: no string table"),
            (b"MZ", 2, "DOS header"),
        ]
        with tempfile.TemporaryDirectory() as folder:
            for index, (data, code, line) in enumerate(cases):
                path = os.path.join(folder, "image%d" % index)
                with open(path, "wb") as stream:
                    stream.write(data)
                out = io.StringIO()
                with contextlib.redirect_stdout(out):
                    self.assertEqual(check_strings.main(["check_strings.py", path]), code)
                self.assertIn(line, out.getvalue())


def windres():
    return os.environ.get("WINDRES") or shutil.which("i686-w64-mingw32-windres")


class SourcesTest(unittest.TestCase):

    def test_files_and_layout(self):
        with open(os.path.join(HERE, "strings.rc"), encoding="utf-8") as stream:
            included = re.findall(r'^#include "strings_(\d+)\.rc"$', stream.read(), re.M)
        self.assertEqual(sorted(int(i) for i in included), sorted(LANGUAGES))
        for language in LANGUAGES:
            with self.subTest(language=language):
                with open(os.path.join(HERE, "strings_%d.rc" % language), "rb") as stream:
                    raw = stream.read()
                self.assertFalse(raw.startswith(b"\xef\xbb\xbf"))
                lines = raw.decode("utf-8").split("\n")
                self.assertTrue(lines[0].startswith("// "))
                self.assertEqual(lines[1], "#pragma code_page(65001)")
                self.assertTrue(lines[2].startswith("LANGUAGE LANG_"))
                texts = source_texts(os.path.join(HERE, "strings_%d.rc" % language))
                self.assertEqual(sorted(texts), list(range(400, 424)))
                for string_id, text in texts.items():
                    problems = check_strings.check_text(string_id, text, ENGLISH[string_id])
                    self.assertEqual(problems, [])

    def test_texts_fit_their_controls(self):
        # Budgets in average Latin letters of the control's font; a
        # full-width (CJK) character counts as two.
        budgets = {400: 26, 402: 14, 410: 14, 413: 12, 417: 14, 408: 42, 416: 42}
        for language in LANGUAGES:
            texts = source_texts(os.path.join(HERE, "strings_%d.rc" % language))
            for string_id, budget in budgets.items():
                text = texts[string_id].replace("&", "")
                width = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)
                with self.subTest(language=language, id=string_id):
                    self.assertLessEqual(width, budget, text)

    @unittest.skipUnless(windres(), "windres not found")
    def test_compiled_tables_match_the_sources(self):
        with tempfile.TemporaryDirectory() as folder:
            res = os.path.join(folder, "strings.res")
            subprocess.run([windres(), "-J", "rc", "-O", "res", os.path.join(HERE, "strings.rc"),
                            "-o", res], check=True)
            with open(res, "rb") as stream:
                languages, problems, tables = check_strings.check_file(stream.read())
            self.assertEqual(languages, sorted(LANGUAGES))
            self.assertEqual(problems, [])
            for language in LANGUAGES:
                with self.subTest(language=language):
                    texts = source_texts(os.path.join(HERE, "strings_%d.rc" % language))
                    self.assertEqual(tables[language], texts)


if __name__ == "__main__":
    unittest.main()
