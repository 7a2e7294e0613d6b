"""Makes the damaged and unusual cabinets of the Windows brand tests from a
well-formed single-file cabinet made by gcab:

  make_test_cabinets.py <good.cab> <out dir>

writes absurd_size.cab (the file declares 0xFFFFFF00 bytes), truncated.cab
(cut inside its data block), data_past_end.cab (no data, and the folder's
data said to start beyond the end of the package) and
continued.cab (the file is continued from a previous volume).
"""
import os
import struct
import sys

HEADER_SIZE = 36
PREV_CABINET_FLAG = 0x0001
CONTINUED_FROM_PREV = 0xFFFD


def parse(cab):
    assert cab[:4] == b"MSCF", "not a cabinet"
    (size,) = struct.unpack_from("<I", cab, 8)
    (files_offset,) = struct.unpack_from("<I", cab, 16)
    folders, files, flags = struct.unpack_from("<HHH", cab, 26)
    assert size == len(cab) and folders == 1 and files == 1 and flags == 0
    return files_offset


def absurd_size(cab):
    out = bytearray(cab)
    struct.pack_into("<I", out, parse(cab), 0xFFFFFF00)
    return bytes(out)


def truncated(cab):
    parse(cab)
    (data_start,) = struct.unpack_from("<I", cab, HEADER_SIZE)
    return cab[: data_start + (len(cab) - data_start) // 2]


def data_past_end(cab):
    parse(cab)
    (data_start,) = struct.unpack_from("<I", cab, HEADER_SIZE)
    # Cut the data away and point the folder beyond the end: the file's bytes
    # could only come from outside the package. (Measured: with the data left
    # in place, Wine's cabinet library ignores the refused seek and reads the
    # data from where it stands, so the extraction succeeds without leaving
    # the package.)
    out = bytearray(cab[:data_start])
    struct.pack_into("<I", out, 8, len(out))
    struct.pack_into("<I", out, HEADER_SIZE, len(cab) + 4096)
    return bytes(out)


def continued(cab):
    files_offset = parse(cab)
    names = b"prev.cab\0disk1\0"
    out = bytearray(cab[:HEADER_SIZE] + names + cab[HEADER_SIZE:])
    shift = len(names)
    struct.pack_into("<I", out, 8, len(out))
    struct.pack_into("<I", out, 16, files_offset + shift)
    struct.pack_into("<H", out, 30, PREV_CABINET_FLAG)
    (data_start,) = struct.unpack_from("<I", out, HEADER_SIZE + shift)
    struct.pack_into("<I", out, HEADER_SIZE + shift, data_start + shift)
    # CFFILE: size, offset in folder, folder index...
    struct.pack_into("<H", out, files_offset + shift + 8, CONTINUED_FROM_PREV)
    return bytes(out)


def main():
    with open(sys.argv[1], "rb") as f:
        cab = f.read()
    out_dir = sys.argv[2]
    os.makedirs(out_dir, exist_ok=True)
    for name, make in (("absurd_size", absurd_size), ("truncated", truncated),
                       ("data_past_end", data_past_end), ("continued", continued)):
        path = os.path.join(out_dir, name + ".cab")
        data = make(cab)
        # Rewrite only on change, so that the resources are not rebuilt for nothing.
        if not os.path.exists(path) or open(path, "rb").read() != data:
            with open(path, "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
