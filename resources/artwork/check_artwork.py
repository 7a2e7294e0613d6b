#!/usr/bin/env python3
"""Checks the installer artwork in a folder against what the dialog code
expects of it: file format, pixel size, mode, frame layout, the shadow rings
and the layout of the main background.

Usage:
    check_artwork.py DIR

Prints one line per problem and exits with 1 if there is any, 0 otherwise.
"""
import io
import os
import struct
import sys

try:
    from PIL import Image
except ImportError:
    sys.exit("check_artwork: needs Pillow (Debian package python3-pil)")

# file: (format, size, mode as Pillow opens it, frames side by side)
IMAGES = {
    "128_icon.ico": ("ICO", (256, 256), "RGBA", 1),
    "302_checkbox.bmp": ("BMP", (90, 15), "RGBA", 6),
    "307_background.png": ("PNG", (690, 275), "RGBA", 1),
    "309_install_button.png": ("PNG", (588, 34), "RGBA", 3),
    "310_cancel_button.png": ("PNG", (309, 34), "LA", 3),
    "313_progress_fill.png": ("PNG", (130, 11), "RGBA", 1),
    "314_progress_track.png": ("PNG", (130, 11), "RGBA", 1),
    "315_message_background.png": ("PNG", (410, 186), "P", 1),
    "316_message_main_button.png": ("PNG", (360, 28), "RGBA", 3),
    "317_message_second_button.png": ("PNG", (360, 28), "LA", 3),
}

# Shadow rings (left, top, right, bottom) around opaque client areas.
RINGS = {
    "307_background.png": (21, 21, 21, 21),
    "315_message_background.png": (5, 3, 5, 7),
}

ICON_SIZES = [16, 24, 32, 48, 256]
PNG_CHUNKS = {b"IHDR", b"PLTE", b"tRNS", b"IDAT", b"IEND"}
ACCENT_MIN_WARMTH = 100   # red minus blue of an accent-coloured pixel


class Bad(Exception):
    pass


def expect(condition, message, *args):
    if not condition:
        raise Bad(message % args)


def luminance(rgb):
    r, g, b = rgb[:3]
    return 0.299 * r + 0.587 * g + 0.114 * b


def warm(p):
    return p[3] > 0 and p[0] - p[2] >= ACCENT_MIN_WARMTH


def frames_of(img, count):
    fw = img.width // count
    return [img.crop((i * fw, 0, (i + 1) * fw, img.height)) for i in range(count)]


def mean_luminance(frame):
    values = [luminance(p) for p in frame.getdata() if p[3] == 255]
    return sum(values) / max(1, len(values))


# ------------------------------------------------------------ file formats

def check_png_chunks(data):
    expect(data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file")
    pos, names = 8, []
    while pos < len(data):
        length, name = struct.unpack(">I4s", data[pos:pos + 8])
        names.append(name)
        pos += 12 + length
    extra = sorted(n.decode("ascii", "replace") for n in set(names) - PNG_CHUNKS)
    expect(not extra, "metadata chunk(s) %s would make the bytes differ between runs",
           ", ".join(extra))
    return names


def check_bmp(data, img):
    """302: BITMAPV5HEADER, 32 bpp BI_BITFIELDS, ARGB masks, bottom-up."""
    expect(data[:2] == b"BM", "no BM signature")
    size, _, _, offset = struct.unpack("<IHHI", data[2:14])
    expect(size == len(data), "file header size %d, file is %d bytes", size, len(data))
    (hsize, w, h, planes, bpp, compression, image_size, _, _, _, _,
     rmask, gmask, bmask, amask) = struct.unpack("<IiiHHIIiiIIIIII", data[14:70])
    expect(hsize == 124, "info header is %d bytes, a BITMAPV5HEADER is 124", hsize)
    expect((w, h) == (90, 15), "header says %dx%d; rows must be bottom-up (height > 0)", w, h)
    expect((planes, bpp, compression) == (1, 32, 3),
           "planes/bpp/compression %d/%d/%d, want 1/32/3 (BI_BITFIELDS)", planes, bpp, compression)
    expect((rmask, gmask, bmask, amask) == (0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000),
           "masks %08X %08X %08X %08X are not ARGB 8888", rmask, gmask, bmask, amask)
    expect(offset == 14 + 124 and len(data) - offset == w * h * 4 == image_size,
           "pixel data does not follow the header as %d x %d x 4 bytes", w, h)
    # Decode the rows ourselves and compare with Pillow's reading.
    rgba = img.convert("RGBA")
    for y in range(h):
        row = offset + (h - 1 - y) * w * 4
        for x in range(w):
            b, g, r, a = data[row + 4 * x:row + 4 * x + 4]
            expect(rgba.getpixel((x, y)) == (r, g, b, a),
                   "pixel (%d,%d) decodes differently than Pillow reads it", x, y)


def check_ico(data):
    """128: icon group of 16, 24, 32, 48 (32-bit DIB) and 256 (PNG)."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    expect((reserved, kind) == (0, 1), "not an icon file")
    entries = [struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i]) for i in range(count)]
    sizes = [e[0] or 256 for e in entries]
    expect(sizes == ICON_SIZES, "icon sizes %s, want %s", sizes, ICON_SIZES)
    for i, (w, h, _, _, _, bpp, length, offset) in enumerate(entries):
        s = w or 256
        expect(h == w and bpp == 32, "icon entry %d: %dx%d at %d bpp", i, s, h or 256, bpp)
        blob = data[offset:offset + length]
        expect(len(blob) == length, "icon entry %d runs past the file end", i)
        if s == 256:
            expect(blob[:8] == b"\x89PNG\r\n\x1a\n", "256-px icon image is not PNG")
            check_png_chunks(blob)
            im = Image.open(io.BytesIO(blob))
            expect(im.size == (256, 256) and im.mode == "RGBA", "256-px PNG is %s %s",
                   im.size, im.mode)
        else:
            hsize, dw, dh, _, dbpp, compression = struct.unpack("<IiiHHI", blob[:20])
            mask = ((s + 31) // 32) * 4 * s
            expect((hsize, dw, dh, dbpp, compression) == (40, s, 2 * s, 32, 0),
                   "%d-px image: DIB header %d %dx%d %d bpp compression %d",
                   s, hsize, dw, dh, dbpp, compression)
            expect(length == 40 + s * s * 4 + mask, "%d-px image: %d bytes", s, length)
    ico = Image.open(io.BytesIO(data))
    for s in ICON_SIZES:
        ico.size = (s, s)
        im = ico.copy().convert("RGBA")
        expect(im.getpixel((0, 0))[3] == 0 and im.getpixel((s // 2, s * 3 // 4))[3] == 255,
               "%d-px icon: corner must be transparent, mark opaque", s)


# ----------------------------------------------------------------- content

def check_shadow(img, ring):
    left, top, right, bottom = ring
    img = img.convert("RGBA")
    w, h = img.size
    px = img.load()
    inner = range(left, w - right), range(top, h - bottom)
    for y in inner[1]:
        for x in inner[0]:
            expect(px[x, y][3] == 255, "client area pixel (%d,%d) is not opaque", x, y)
    for x in range(w):
        expect(px[x, 0][3] == 0 and px[x, h - 1][3] == 0,
               "outermost row has alpha at x=%d", x)
    for y in range(h):
        expect(px[0, y][3] == 0 and px[w - 1, y][3] == 0,
               "outermost column has alpha at y=%d", y)
    for y in range(h):
        for x in range(w):
            if x in inner[0] and y in inner[1]:
                continue
            p = px[x, y]
            expect(p[3] < 255, "shadow pixel (%d,%d) is opaque", x, y)
            expect(p[3] == 0 or max(p[:3]) <= 48, "shadow pixel (%d,%d) is not near black", x, y)
    # Each edge: the same all along (the ring is cut into pieces for other
    # window sizes) and rising smoothly from the outer edge inward.
    edges = {
        "top": [[px[x, y][3] for x in inner[0]] for y in range(top)],
        "bottom": [[px[x, y][3] for x in inner[0]] for y in range(h - 1, h - 1 - bottom, -1)],
        "left": [[px[x, y][3] for y in inner[1]] for x in range(left)],
        "right": [[px[x, y][3] for y in inner[1]] for x in range(w - 1, w - 1 - right, -1)],
    }
    for side, lines in edges.items():
        for depth, line in enumerate(lines):
            expect(len(set(line)) == 1, "%s shadow is not uniform along the edge, %d px in",
                   side, depth)
        profile = [line[0] for line in lines]
        expect(profile[-1] > 0, "%s shadow is empty next to the client area", side)
        steps = [b - a for a, b in zip(profile, profile[1:])]
        expect(min(steps) >= 0, "%s shadow does not grow toward the client area: %s",
               side, profile)
        expect(max(steps) <= 2 * profile[-1] / len(steps) + 4,
               "%s shadow is not smooth (a step over twice the mean): %s", side, profile)


def check_main_layout(img):
    """307: a plain bottom in the left panel (progress bar and status text go
    there), a light plain right part for dark text, logo and wordmark."""
    c = img.convert("RGBA").crop((21, 21, 21 + 648, 21 + 233))
    bottom = set(c.crop((1, 190, 177, 232)).getdata())
    expect(len(bottom) == 1, "left panel y 190..233 is not plain (%d colours)", len(bottom))
    right = list(c.crop((180, 1, 641, 232)).getdata())
    darkest = min(min(p[:3]) for p in right)
    expect(darkest >= 230, "right part is not light (a channel at %d)", darkest)
    expect(max(max(p[:3]) for p in right) - darkest <= 12, "right part is not plain")
    logo = list(c.crop((0, 25, 177, 171)).getdata())
    expect(sum(map(warm, logo)) > 1500, "no logo mark in the left panel")
    expect(sum(1 for p in logo if luminance(p) < 90) > 150, "no wordmark in the left panel")


def check_palette(img):
    """315: palette of at most 256 entries with the shadow in tRNS."""
    expect(isinstance(img.info.get("transparency"), bytes), "no tRNS chunk with alphas")
    expect(len(img.getpalette()) // 3 <= 256, "palette has more than 256 entries")
    c = img.convert("RGBA").crop((5 + 4, 3 + 4, 405 - 4, 179 - 4))
    expect(min(min(p[:3]) for p in c.getdata()) >= 235, "message client area is not light")


def check_frames(name, img, count):
    frames = [f.convert("RGBA") for f in frames_of(img, count)]
    for i, f in enumerate(frames):
        w, h = f.size
        for corner in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
            expect(f.getpixel(corner)[3] == 0, "frame %d: corner %s is not transparent", i, corner)
        expect(f.getpixel((w // 2, h // 2))[3] == 255, "frame %d: centre is not opaque", i)
    for i in range(count):
        for j in range(i + 1, count):
            expect(frames[i].tobytes() != frames[j].tobytes(), "frames %d and %d are the same", i, j)
    if name == "302_checkbox.bmp":
        for i, f in enumerate(frames):
            ticked = sum(map(warm, f.crop((3, 3, 12, 12)).getdata())) > 8
            expect(ticked == (i >= 3), "frame %d: %s", i,
                   "has no tick" if i >= 3 else "unchecked but has a tick")
        for n, p in ((0, 2), (3, 5)):
            expect(mean_luminance(frames[p]) < mean_luminance(frames[n]),
                   "pressed frame %d is not darker than frame %d", p, n)
        return
    shapes = {f.getchannel("A").tobytes() for f in frames}
    expect(len(shapes) == 1, "frames differ in shape (alpha)")
    normal, hot, pressed = (mean_luminance(f) for f in frames)
    expect(hot > normal > pressed, "want hot > normal > pressed in brightness, got %.1f %.1f %.1f",
           hot, normal, pressed)


def check_progress(fill, track):
    fill, track = fill.convert("RGBA"), track.convert("RGBA")
    expect(fill.getchannel("A").tobytes() == track.getchannel("A").tobytes(),
           "fill and track alpha differ, so they do not join column for column")
    w, h = fill.size
    for x in (0, w - 1):
        column = [fill.getpixel((x, y))[3] for y in range(h)]
        expect(column[0] == 0 and 0 < sum(column) < 0.8 * 255 * h,
               "end column %d is not rounded: %s", x, column)
    expect(all(fill.getpixel((w // 2, y))[3] == 255 for y in range(h)), "bar middle not opaque")
    opaque = [(f, t) for f, t in zip(fill.getdata(), track.getdata()) if f[3] == 255]
    expect(all(warm(f) for f, _ in opaque), "fill is not in the accent colour")
    expect(all(abs(t[0] - t[2]) <= 8 and min(t[:3]) >= 200 for _, t in opaque),
           "track is not light grey")


# -------------------------------------------------------------------- run

def check_dir(folder):
    """List of "file: problem" strings; empty when all is well."""
    problems = []
    opened = {}
    for name, (fmt, size, mode, count) in sorted(IMAGES.items()):
        path = os.path.join(folder, name)
        try:
            expect(os.path.isfile(path), "missing")
            with open(path, "rb") as f:
                data = f.read()
            img = Image.open(io.BytesIO(data))
            img.load()
            expect(img.format == fmt, "format %s, want %s", img.format, fmt)
            expect(img.size == size, "size %dx%d, want %dx%d", *(img.size + size))
            if fmt == "PNG":
                check_png_chunks(data)
            elif fmt == "BMP":
                check_bmp(data, img)
            else:
                check_ico(data)
            expect(img.mode == mode, "mode %s, want %s", img.mode, mode)
            if mode == "P":
                check_palette(img)
            if name in RINGS:
                check_shadow(img, RINGS[name])
            if name == "307_background.png":
                check_main_layout(img)
            if count > 1:
                check_frames(name, img, count)
            opened[name] = img
        except Bad as e:
            problems.append("%s: %s" % (name, e))
        except (OSError, struct.error, SyntaxError) as e:
            problems.append("%s: unreadable: %s" % (name, e))
    pair = ("313_progress_fill.png", "314_progress_track.png")
    if all(n in opened for n in pair):
        try:
            check_progress(opened[pair[0]], opened[pair[1]])
        except Bad as e:
            problems.append("313/314: %s" % e)
    return problems


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__.strip())
    problems = check_dir(argv[1])
    for p in problems:
        print("check_artwork: " + p)
    print("check_artwork: %d images, %d problem(s)" % (len(IMAGES), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
