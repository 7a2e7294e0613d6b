#!/usr/bin/env python3
"""Checks the installer's string tables (ids 400-423) in a compiled file.

Usage: check_strings.py [--dump] FILE

FILE is a compiled resource file (.res, as windres -O res writes it) or a PE
executable (its .rsrc section is read). For each interface language every id
must be present and non-empty, and the texts must keep what the dialog relies
on: one ((link)) in the licence sentence, one %i in each time-left text, the
English line breaks, one & mnemonic in the make-default check box.

Prints the languages found and one line per problem; exits 0 when there is
none, 1 when there are problems, 2 when the file cannot be read.
--dump also prints every string (escaped) as "language id text".
"""

import struct
import sys

INTERFACE_LANGUAGES = (1028, 1029, 1031, 1033, 1036, 1040, 1041, 1046, 1049,
                       1055, 1058, 1087, 2052, 2070, 3082)
ENGLISH = 1033
FIRST_ID = 400
LAST_ID = 423
LICENSE_SENTENCE_ID = 405
TIME_LEFT_IDS = (403, 407, 409, 418)
MNEMONIC_ID = 422

RT_STRING = 6
RESOURCE_DIRECTORY_INDEX = 2


class FormatError(Exception):
    """The file is neither a well-formed .res file nor a PE file."""


def _unpack(fmt, data, offset, what):
    if offset < 0 or offset + struct.calcsize(fmt) > len(data):
        raise FormatError("%s at offset %d runs past the end of the file" % (what, offset))
    return struct.unpack_from(fmt, data, offset)


def _align4(offset):
    return (offset + 3) & ~3


# --- .res files -------------------------------------------------------------

def _res_name(data, offset):
    """A TYPE or NAME field: (ordinal or string, offset after it)."""
    (first,) = _unpack("<H", data, offset, "resource name")
    if first == 0xFFFF:
        (ordinal,) = _unpack("<H", data, offset + 2, "resource ordinal")
        return ordinal, offset + 4
    end = offset
    while True:
        (unit,) = _unpack("<H", data, end, "resource name")
        if unit == 0:
            break
        end += 2
    return data[offset:end].decode("utf-16-le", "surrogatepass"), end + 2


def parse_res(data):
    """Resources of a .res file as (type, name, language, data) tuples."""
    resources = []
    offset = 0
    while offset < len(data):
        data_size, header_size = _unpack("<II", data, offset, "resource header")
        rtype, field = _res_name(data, offset + 8)
        name, field = _res_name(data, field)
        field = _align4(field)
        _, _, language, _, _ = _unpack("<IHHII", data, field, "resource header")
        if header_size < field + 16 - offset:
            raise FormatError("resource header at offset %d is shorter than its fields" % offset)
        start = offset + header_size
        if start + data_size > len(data):
            raise FormatError("resource data at offset %d runs past the end of the file" % start)
        resources.append((rtype, name, language, data[start:start + data_size]))
        offset = _align4(start + data_size)
    return resources


# --- PE files ---------------------------------------------------------------

def _sections(data, pe_offset):
    """[(virtual address, virtual size, raw offset, raw size)] and the .rsrc RVA."""
    _, count, _, _, _, optional_size, _ = _unpack("<HHIIIHH", data, pe_offset + 4, "file header")
    optional = pe_offset + 24
    (magic,) = _unpack("<H", data, optional, "optional header")
    if magic == 0x10B:
        directories_at = optional + 96
    elif magic == 0x20B:
        directories_at = optional + 112
    else:
        raise FormatError("unknown optional header magic 0x%x" % magic)
    (directory_count,) = _unpack("<I", data, directories_at - 4, "optional header")
    if directory_count <= RESOURCE_DIRECTORY_INDEX:
        return [], 0
    rsrc_rva, _ = _unpack("<II", data, directories_at + 8 * RESOURCE_DIRECTORY_INDEX,
                          "data directory")
    sections = []
    table = optional + optional_size
    for index in range(count):
        _, virtual_size, virtual_address, raw_size, raw_offset = _unpack(
            "<8sIIII", data, table + 40 * index, "section header")
        sections.append((virtual_address, virtual_size, raw_offset, raw_size))
    return sections, rsrc_rva


def _rva_to_offset(sections, rva, size):
    for virtual_address, virtual_size, raw_offset, raw_size in sections:
        if virtual_address <= rva and rva + size <= virtual_address + max(virtual_size, raw_size):
            if rva + size > virtual_address + raw_size:
                raise FormatError("RVA 0x%x lies outside the raw data of its section" % rva)
            return raw_offset + rva - virtual_address
    raise FormatError("RVA 0x%x is in no section" % rva)


def _directory_entries(data, base, offset):
    """[(ordinal or name, offset, is_directory)] of one resource directory."""
    named, numbered = _unpack("<12xHH", data, base + offset, "resource directory")
    entries = []
    for index in range(named + numbered):
        name, target = _unpack("<II", data, base + offset + 16 + 8 * index, "resource entry")
        if name & 0x80000000:
            at = base + (name & 0x7FFFFFFF)
            (length,) = _unpack("<H", data, at, "resource name")
            if at + 2 + 2 * length > len(data):
                raise FormatError("resource name at offset %d runs past the end of the file" % at)
            name = data[at + 2:at + 2 + 2 * length].decode("utf-16-le", "surrogatepass")
        entries.append((name, target & 0x7FFFFFFF, bool(target & 0x80000000)))
    return entries


def parse_pe(data):
    """Resources of a PE file's resource directory as (type, name, language, data)."""
    (pe_offset,) = _unpack("<I", data, 0x3C, "DOS header")
    if _unpack("<4s", data, pe_offset, "PE signature")[0] != b"PE\0\0":
        raise FormatError("no PE signature at offset %d" % pe_offset)
    sections, rsrc_rva = _sections(data, pe_offset)
    if not rsrc_rva:
        return []
    base = _rva_to_offset(sections, rsrc_rva, 16)
    resources = []
    seen = set()

    def subdirectory(offset, is_directory):
        if not is_directory or offset in seen:
            raise FormatError("damaged resource directory tree at offset %d" % offset)
        seen.add(offset)
        return _directory_entries(data, base, offset)

    for rtype, type_offset, type_is_dir in _directory_entries(data, base, 0):
        for name, name_offset, name_is_dir in subdirectory(type_offset, type_is_dir):
            for language, data_offset, is_dir in subdirectory(name_offset, name_is_dir):
                if is_dir:
                    raise FormatError("resource directory nested deeper than three levels")
                rva, size = _unpack("<II", data, base + data_offset, "resource data entry")
                start = _rva_to_offset(sections, rva, size)
                if start + size > len(data):
                    raise FormatError("resource data at offset %d runs past the end of the file"
                                      % start)
                resources.append((rtype, name, language, data[start:start + size]))
    return resources


def parse_file(data):
    return parse_pe(data) if data[:2] == b"MZ" else parse_res(data)


# --- String tables ----------------------------------------------------------

def decode_block(block_number, block):
    """{string id: text} of one string-table block (sixteen counted strings)."""
    strings = {}
    offset = 0
    for index in range(16):
        if offset + 2 > len(block):
            raise FormatError("string block %d ends before entry %d" % (block_number, index))
        (length,) = struct.unpack_from("<H", block, offset)
        offset += 2
        if offset + 2 * length > len(block):
            raise FormatError("string block %d: entry %d runs past the block"
                              % (block_number, index))
        if length:
            strings[(block_number - 1) * 16 + index] = (
                block[offset:offset + 2 * length].decode("utf-16-le", "surrogatepass"))
        offset += 2 * length
    return strings


def string_tables(resources):
    """{language: {id: text}} of the string resources, and their problems."""
    tables = {}
    problems = []
    seen = set()
    for rtype, name, language, block in resources:
        if rtype != RT_STRING:
            continue
        if not isinstance(name, int) or not 1 <= name <= 4096:
            problems.append("%d: string block named %r" % (language, name))
            continue
        if (language, name) in seen:
            problems.append("%d: string block %d appears twice" % (language, name))
        seen.add((language, name))
        tables.setdefault(language, {}).update(decode_block(name, block))
    return tables, problems


def check_text(string_id, text, english):
    """Problems of one text; `english` is the English text of the same id."""
    problems = []
    if not text:
        return ["missing or empty"]
    if string_id == LICENSE_SENTENCE_ID:
        opening, closing = text.count("(("), text.count("))")
        if opening != 1 or closing != 1:
            problems.append('needs exactly one "((" and one "))" (has %d and %d)'
                            % (opening, closing))
        elif not text.index("((") + 2 < text.index("))"):
            problems.append('the link text must stand between "((" and "))"')
    if string_id in TIME_LEFT_IDS:
        if text.count("%i") != 1 or text.count("%") != 1:
            problems.append('needs exactly one "%i" and no other "%"')
    if english is not None and text.count("\n") != english.count("\n"):
        problems.append("has %d line breaks, English has %d"
                        % (text.count("\n"), english.count("\n")))
    if string_id == MNEMONIC_ID:
        at = text.find("&")
        if text.count("&") != 1 or not text[at + 1:at + 2].isalpha():
            problems.append('needs exactly one "&", before a letter')
    return problems


def check_tables(tables, languages=INTERFACE_LANGUAGES):
    problems = []
    english = tables.get(ENGLISH, {})
    for language in languages:
        if language not in tables:
            problems.append("%d: no string table" % language)
            continue
        for string_id in range(FIRST_ID, LAST_ID + 1):
            for problem in check_text(string_id, tables[language].get(string_id, ""),
                                      english.get(string_id)):
                problems.append("%d: id %d %s" % (language, string_id, problem))
    return problems


def check_file(data):
    """(languages with string tables, problems, tables) of a .res or PE file."""
    tables, problems = string_tables(parse_file(data))
    return sorted(tables), problems + check_tables(tables), tables


def main(argv):
    if hasattr(sys.stdout, "reconfigure"):
        sys.stdout.reconfigure(errors="backslashreplace")
    args = argv[1:]
    dump = "--dump" in args
    args = [arg for arg in args if arg != "--dump"]
    if len(args) != 1:
        sys.stderr.write(__doc__)
        return 2
    try:
        with open(args[0], "rb") as stream:
            languages, problems, tables = check_file(stream.read())
    except (OSError, FormatError) as error:
        print("%s: %s" % (args[0], error))
        return 2
    print("%s: string tables in %d languages: %s"
          % (args[0], len(languages), " ".join(str(language) for language in languages)))
    if dump:
        for language in languages:
            for string_id in sorted(tables[language]):
                text = tables[language][string_id]
                print("%d %d %s" % (language, string_id,
                                    text.replace('\\', '\\\\').replace("\n", "\\n")))
    for problem in problems:
        print(problem)
    print("%d problem(s)" % len(problems) if problems else "OK")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
