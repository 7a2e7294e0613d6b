#!/usr/bin/env python3
"""Draws the installer dialog's artwork: backgrounds, buttons, check box,
progress bar and the window icon.

Usage:
    make_artwork.py [OUT_DIR]        (default: generated/ beside this script)

Everything is drawn from code (no fonts, no image inputs) so the output is the
same bytes on every run; curved shapes are drawn at SS times the size and
scaled down. The design constants are at the top; README.md beside this script
lists what each file is and the layout the program expects.
"""
import io
import math
import os
import struct
import sys

try:
    from PIL import Image, ImageDraw
except ImportError:
    sys.exit("make_artwork: needs Pillow (Debian package python3-pil)")

SS = 4  # supersampling factor for anti-aliased shapes

# Palette. One warm accent family (logo, Install button, tick, progress) on
# neutral greys.
ACCENT_TOP = (255, 206, 56)      # light end of the accent gradients
ACCENT = (247, 180, 0)           # golden yellow
ACCENT_DEEP = (232, 142, 0)      # darker end of the logo gradient
TICK = (224, 138, 0)             # tick of the check box: accent dark enough on white
INK = (46, 46, 46)               # wordmark
SHADOW_RGB = (12, 10, 8)         # drop shadows
PANEL = (250, 248, 243)          # left panel of the main dialog
CONTENT = (255, 255, 255)        # right part of the main dialog, message dialog
FRAME_LINE = (221, 218, 211)     # 1-px dialog border and panel separator

# Main dialog (307): ring of 21 px around a 648 x 233 client area.
MAIN_RING = 21
MAIN_CLIENT = (648, 233)
PANEL_WIDTH = 178                # the window narrows to this after Install
MAIN_SHADOW = {"top": 0.20, "side": 0.27, "bottom": 0.36}

# Message dialog (315): ring 5 left, 3 top, 5 right, 7 bottom.
MSG_RING = {"left": 5, "top": 3, "right": 5, "bottom": 7}
MSG_CLIENT = (400, 176)
MSG_SHADOW = {"top": 0.16, "side": 0.22, "bottom": 0.30}

# Button frames: (top colour, bottom colour, border colour) per state
# normal, hot, pressed. Greys are single values (the images are grey + alpha).
INSTALL_STATES = [
    ((255, 210, 64), (248, 182, 4), (226, 160, 0)),
    ((255, 224, 112), (255, 198, 40), (234, 172, 10)),
    ((236, 164, 0), (246, 180, 8), (206, 138, 0)),
]
# Cancel and the message dialog's second button.
GREY_STATES = [(246, 236, 204), (252, 245, 186), (226, 232, 176)]

# Check box looks: (border, fill) for normal, hot, pressed; unchecked, checked.
CHECKBOX_LOOKS = [
    [((178, 178, 178), (255, 255, 255)),
     (ACCENT, (255, 253, 245)),
     ((150, 150, 150), (230, 230, 230))],
    [((222, 160, 30), (255, 255, 255)),
     ((250, 192, 30), (255, 250, 232)),
     ((206, 138, 0), (246, 230, 196))],
]


# ---------------------------------------------------------------- helpers

def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    """RGBA image of the size going from colour top to colour bottom."""
    w, h = size
    column = Image.new("RGBA", (1, h))
    for y in range(h):
        column.putpixel((0, y), lerp(top, bottom, y / max(1, h - 1)) + (255,))
    return column.resize((w, h), Image.NEAREST)


def diagonal_gradient(size, start, end):
    """RGBA image going from start (top left) to end (bottom right)."""
    n = 64
    small = Image.new("RGBA", (n, n))
    for y in range(n):
        for x in range(n):
            small.putpixel((x, y), lerp(start, end, (x + y) / (2 * n - 2)) + (255,))
    return small.resize(size, Image.BILINEAR)


def downsample(big):
    """Scales an SS-times RGBA drawing down. Lanczos keeps edges crisp; where
    the exact coverage is empty or full the alpha is set to 0 or 255 so that
    its ringing leaves no haze outside shapes and no holes inside."""
    size = (big.width // SS, big.height // SS)
    small = big.resize(size, Image.LANCZOS)
    cover = big.getchannel("A").resize(size, Image.BOX)
    alpha = small.getchannel("A")
    alpha.paste(0, mask=cover.point(lambda v: 255 if v == 0 else 0))
    alpha.paste(255, mask=cover.point(lambda v: 255 if v == 255 else 0))
    small.putalpha(alpha)
    return small


def layer(size):
    """Transparent SS-times canvas for a size given in final pixels."""
    return Image.new("RGBA", (size[0] * SS, size[1] * SS), (0, 0, 0, 0))


def fill_with(big, mask, paint):
    """Paints image paint (same size as big) onto big through mask."""
    big.paste(paint, (0, 0), mask)


def stroke(draw, points, width, fill):
    """Polyline with round caps and joins; coordinates in final pixels."""
    pts = [(x * SS, y * SS) for x, y in points]
    r = width * SS / 2
    if len(pts) > 1:
        draw.line(pts, fill=fill, width=round(width * SS))
    for x, y in pts:
        draw.ellipse((x - r, y - r, x + r, y + r), fill=fill)


def rounded_mask(size, box, radius):
    """SS-times L mask holding a rounded rectangle; box in final pixels."""
    mask = Image.new("L", (size[0] * SS, size[1] * SS), 0)
    x0, y0, x1, y1 = (v * SS for v in box)
    ImageDraw.Draw(mask).rounded_rectangle(
        (x0, y0, x1 - 1, y1 - 1), radius=radius * SS, fill=255)
    return mask


# ------------------------------------------------------------ logo, wordmark

def logo_mark(size):
    """The logo mark: a rounded square in the accent gradient holding a white
    rounded "T" whose stem ends in a short hook to the right. RGBA, size x size."""
    big = layer((size, size))
    box = rounded_mask((size, size), (0, 0, size, size), size * 0.26)
    fill_with(big, box, diagonal_gradient(big.size, ACCENT_TOP, ACCENT_DEEP))
    # Stroke weight grows at small sizes so the T stays legible at 16 px.
    w = size * (0.19 if size <= 24 else 0.155)
    d = ImageDraw.Draw(big)
    top = size * 0.30
    stroke(d, [(size * 0.27, top), (size * 0.73, top)], w, (255, 255, 255, 255))
    stem_x = size * 0.50
    hook_r = size * 0.12
    bottom = size * 0.74
    stroke(d, [(stem_x, top), (stem_x, bottom - hook_r)], w, (255, 255, 255, 255))
    # quarter circle from the stem round to the right, ending in a round cap
    cx, cy = stem_x + hook_r, bottom - hook_r
    arc = [(cx - hook_r * math.cos(a), cy + hook_r * math.sin(a))
           for a in (i * math.pi / 2 / 12 for i in range(13))]
    stroke(d, arc, w, (255, 255, 255, 255))
    return downsample(big)


def wordmark_mask(cap, weight):
    """The wordmark "Tavrix" as geometric round-ended strokes: an SS-times
    L mask as wide as the word."""
    x_h = cap * 0.72
    w = weight
    gap = cap * 0.12
    top_pad = w
    height = cap + 2 * w
    base = top_pad + cap + w / 2

    def t_(d, p):
        tw = cap * 0.78
        stroke(d, [(p + w / 2, base - cap + w / 2), (p + tw - w / 2, base - cap + w / 2)], w, 255)
        stroke(d, [(p + tw / 2, base - cap + w / 2), (p + tw / 2, base - w / 2)], w, 255)
        return tw - cap * 0.10          # the a tucks under the bar

    def a_(d, p):
        r = x_h / 2
        cx, cy = p + r, base - r
        d.ellipse(((cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS),
                  outline=255, width=round(w * SS))
        stroke(d, [(p + 2 * r - w / 2, base - x_h + w / 2), (p + 2 * r - w / 2, base - w / 2)], w, 255)
        return 2 * r

    def v_(d, p):
        vw = x_h * 0.92
        stroke(d, [(p + w / 2, base - x_h + w / 2), (p + vw / 2, base - w / 2),
                   (p + vw - w / 2, base - x_h + w / 2)], w, 255)
        return vw

    def r_(d, p):
        rr = x_h * 0.42
        sx = p + w / 2
        stroke(d, [(sx, base - x_h + w / 2 + rr), (sx, base - w / 2)], w, 255)
        cx, cy = sx + rr, base - x_h + w / 2 + rr
        arc = [(cx - rr * math.cos(a), cy - rr * math.sin(a))
               for a in (i * math.pi / 2 / 12 for i in range(13))]
        stroke(d, arc, w, 255)
        return w / 2 + rr + w / 2

    def i_(d, p):
        sx = p + w / 2
        stroke(d, [(sx, base - x_h + w / 2), (sx, base - w / 2)], w, 255)
        stroke(d, [(sx, base - x_h - w * 0.95)], w * 1.1, 255)
        return w

    def x_(d, p):
        xw = x_h * 0.86
        y0, y1 = base - x_h + w / 2, base - w / 2
        stroke(d, [(p + w / 2, y0), (p + xw - w / 2, y1)], w, 255)
        stroke(d, [(p + xw - w / 2, y0), (p + w / 2, y1)], w, 255)
        return xw

    letters = [t_, a_, v_, r_, i_, x_]
    # measure, then draw
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    width = sum(f(probe, 0) for f in letters) + gap * (len(letters) - 1)
    mask = Image.new("L", (math.ceil(width + 2) * SS, math.ceil(height) * SS), 0)
    d = ImageDraw.Draw(mask)
    p = 1.0
    for f in letters:
        p += f(d, p) + gap
    return mask


def paste_mask(base_img, mask_big, pos, colour):
    """Colours an SS-times mask, scales it down and composites it onto
    base_img (RGBA, final pixels) at pos."""
    big = Image.new("RGBA", mask_big.size, colour + (0,))
    big.putalpha(mask_big)
    small = downsample(big)
    base_img.alpha_composite(small, pos)


# ------------------------------------------------------------------ shadows

def shadow_ring(img, ring, strength):
    """Fills the ring of img outside the client rectangle with a drop shadow.
    ring: widths per side; strength: peak opacity at the top, sides, bottom.
    The opacity depends only on the distance to the client area, measured in
    ring widths, so it is the same all along each edge and 0 on the outermost
    row and column."""
    w, h = img.size
    left, top, right, bottom = ring["left"], ring["top"], ring["right"], ring["bottom"]
    px = img.load()
    for y in range(h):
        if y < top:
            fy, ay = (top - y) / top, strength["top"]
        elif y >= h - bottom:
            fy, ay = (y - (h - bottom) + 1) / bottom, strength["bottom"]
        else:
            fy, ay = 0.0, 0.0
        for x in range(w):
            if x < left:
                fx = (left - x) / left
            elif x >= w - right:
                fx = (x - (w - right) + 1) / right
            else:
                fx = 0.0
            if fx == 0.0 and fy == 0.0:
                continue
            ax = strength["side"]
            d2 = fx * fx + fy * fy
            peak = (ax * fx * fx + ay * fy * fy) / d2
            t = max(0.0, 1.0 - math.sqrt(d2))
            alpha = round(255 * peak * t * t * (1.6 - 0.6 * t))
            px[x, y] = SHADOW_RGB + (alpha,)


def ring_all(width):
    return {"left": width, "top": width, "right": width, "bottom": width}


# ------------------------------------------------------------------- images

def main_background():
    """307: main dialog background with its 21-px shadow ring."""
    cw, ch = MAIN_CLIENT
    r = MAIN_RING
    img = Image.new("RGBA", (cw + 2 * r, ch + 2 * r), (0, 0, 0, 0))
    shadow_ring(img, ring_all(r), MAIN_SHADOW)
    d = ImageDraw.Draw(img)
    # client: border, left panel, separator (the narrow window's right border)
    d.rectangle((r, r, r + cw - 1, r + ch - 1), fill=FRAME_LINE + (255,))
    d.rectangle((r + 1, r + 1, r + cw - 2, r + ch - 2), fill=CONTENT + (255,))
    d.rectangle((r + 1, r + 1, r + PANEL_WIDTH - 2, r + ch - 2), fill=PANEL + (255,))
    d.line((r + PANEL_WIDTH - 1, r, r + PANEL_WIDTH - 1, r + ch - 1), fill=FRAME_LINE + (255,))
    # logo mark and wordmark, centred in the panel
    mark = 76
    centre = r + PANEL_WIDTH // 2
    img.alpha_composite(logo_mark(mark), (centre - mark // 2, r + 34))
    word = wordmark_mask(24, 3.9)
    wx = centre - word.width // SS // 2
    paste_mask(img, word, (wx, r + 126), INK)
    return img


def button_strip(frame, states, radius, grey=False):
    """Strip of three rounded button frames: vertical gradient inside a 1-px
    border; the pressed frame gets a soft inner shadow along its top."""
    fw, fh = frame
    strip = Image.new("RGBA", (fw * len(states), fh), (0, 0, 0, 0))
    for i, (top, bottom, border) in enumerate(states):
        if grey:
            top, bottom, border = ((v,) * 3 for v in (top, bottom, border))
        big = layer(frame)
        fill_with(big, rounded_mask(frame, (0, 0, fw, fh), radius),
                  vertical_gradient(big.size, border, border))
        inner = vertical_gradient(big.size, top, bottom)
        if i == 2:
            shade = lerp(top, (0, 0, 0), 0.08)
            inner.paste(vertical_gradient((big.width, 2 * SS), shade, top), (0, SS))
        fill_with(big, rounded_mask(frame, (1, 1, fw - 1, fh - 1), radius - 1), inner)
        strip.alpha_composite(downsample(big), (i * fw, 0))
    return strip


def checkbox_strip():
    """302: six 15 x 15 frames, unchecked then checked, each normal, hot,
    pressed."""
    size = (15, 15)
    strip = Image.new("RGBA", (size[0] * 6, size[1]), (0, 0, 0, 0))
    for checked in (0, 1):
        for state, (border, fill) in enumerate(CHECKBOX_LOOKS[checked]):
            big = layer(size)
            fill_with(big, rounded_mask(size, (0, 0, 15, 15), 3.5),
                      Image.new("RGBA", big.size, border + (255,)))
            fill_with(big, rounded_mask(size, (1, 1, 14, 14), 2.5),
                      Image.new("RGBA", big.size, fill + (255,)))
            if checked:
                stroke(ImageDraw.Draw(big), [(3.9, 7.7), (6.3, 10.1), (11.1, 4.9)],
                       2.1, TICK + (255,))
            strip.alpha_composite(downsample(big), ((checked * 3 + state) * size[0], 0))
    return strip


def progress_bar(top, bottom):
    """313/314: a 130 x 11 pill; fill and track share the same outline."""
    size = (130, 11)
    big = layer(size)
    fill_with(big, rounded_mask(size, (0, 0, 130, 11), 5.5),
              vertical_gradient(big.size, top, bottom))
    return downsample(big)


def message_background():
    """315: message dialog background, 400 x 176 client inside a 5/3/5/7 ring,
    as a palette image whose tRNS chunk carries the shadow."""
    cw, ch = MSG_CLIENT
    ring = MSG_RING
    img = Image.new("RGBA", (cw + ring["left"] + ring["right"],
                             ch + ring["top"] + ring["bottom"]), (0, 0, 0, 0))
    shadow_ring(img, ring, MSG_SHADOW)
    d = ImageDraw.Draw(img)
    x0, y0 = ring["left"], ring["top"]
    d.rectangle((x0, y0, x0 + cw - 1, y0 + ch - 1), fill=FRAME_LINE + (255,))
    d.rectangle((x0 + 1, y0 + 1, x0 + cw - 2, y0 + ch - 2), fill=CONTENT + (255,))
    d.rectangle((x0, y0, x0 + cw - 1, y0 + 2), fill=ACCENT + (255,))
    return to_palette(img)


def to_palette(img):
    """Exact palette image of an RGBA image with few colours: translucent
    entries first (their alphas form the tRNS chunk), opaque ones after."""
    colours = sorted(set(img.getdata()), key=lambda c: (c[3] == 255, c[3], c[:3]))
    if len(colours) > 256:
        raise ValueError("%d colours do not fit a palette" % len(colours))
    index = {c: i for i, c in enumerate(colours)}
    out = Image.new("P", img.size)
    out.putpalette([v for c in colours for v in c[:3]])
    out.putdata([index[c] for c in img.getdata()])
    alphas = bytes(c[3] for c in colours if c[3] != 255)
    out.info["transparency"] = alphas
    return out


# ------------------------------------------------------------------ writers

def png_bytes(img):
    """PNG without any metadata chunk, so it is the same bytes on every run."""
    buf = io.BytesIO()
    extra = {}
    if img.mode == "P":
        extra["transparency"] = img.info["transparency"]
    img.save(buf, "PNG", optimize=False, compress_level=9, **extra)
    return buf.getvalue()


def bmp_v5_bytes(img, matte=(255, 255, 255)):
    """32-bit BMP with a BITMAPV5HEADER: BI_BITFIELDS, masks ARGB 8888,
    bottom-up rows, straight (not premultiplied) alpha, sRGB.

    GDI+ decodes a 32-bit BMP as 32bppRGB and drops its alpha (measured
    under Wine 8, for V3, V4 and V5 headers alike, and the usual behaviour on
    Windows too), so the colour of each pixel is first blended over `matte`,
    the plain background the strip is drawn on: with or without its alpha
    the strip then looks the same there, and transparent corners stay
    invisible instead of turning black."""
    w, h = img.size
    rows = []
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = img.getpixel((x, y))
            r, g, b = (round((c * a + m * (255 - a)) / 255) for c, m in zip((r, g, b), matte))
            rows.append(bytes((b, g, r, a)))
    pixels = b"".join(rows)
    header = struct.pack(
        "<IiiHHIIiiII" "IIII" "I" "36s" "III" "IIII",
        124, w, h, 1, 32, 3, len(pixels), 2835, 2835, 0, 0,
        0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000,
        0x73524742,                      # LCS_sRGB
        bytes(36), 0, 0, 0,
        4, 0, 0, 0)                      # LCS_GM_IMAGES
    offset = 14 + len(header)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + header + pixels


def ico_dib(img):
    """Icon image as a 32-bit DIB: BITMAPINFOHEADER with doubled height,
    BGRA rows bottom-up, then the 1-bit AND mask (set where transparent)."""
    w, h = img.size
    xor = bytearray()
    mask = bytearray()
    stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            r, g, b, a = img.getpixel((x, y))
            xor += bytes((b, g, r, a))
            if a == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """Icon group file: PNG for 256 px, 32-bit DIBs for the rest."""
    blobs = [png_bytes(im) if im.width >= 256 else ico_dib(im) for im in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", im.width % 256, im.height % 256, 0, 0,
                           1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def build():
    """{file name: bytes} of every image."""
    install = button_strip((196, 34), INSTALL_STATES, 5)
    cancel = button_strip((103, 34), GREY_STATES, 5, grey=True).convert("LA")
    msg_main = button_strip((120, 28), INSTALL_STATES, 4)
    msg_second = button_strip((120, 28), GREY_STATES, 4, grey=True).convert("LA")
    return {
        "128_icon.ico": ico_bytes([logo_mark(s) for s in (16, 24, 32, 48, 256)]),
        "302_checkbox.bmp": bmp_v5_bytes(checkbox_strip()),
        "307_background.png": png_bytes(main_background()),
        "309_install_button.png": png_bytes(install),
        "310_cancel_button.png": png_bytes(cancel),
        "313_progress_fill.png": png_bytes(progress_bar(ACCENT_TOP, ACCENT)),
        "314_progress_track.png": png_bytes(progress_bar((226, 226, 226), (236, 236, 236))),
        "315_message_background.png": png_bytes(message_background()),
        "316_message_main_button.png": png_bytes(msg_main),
        "317_message_second_button.png": png_bytes(msg_second),
    }


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "generated")
    os.makedirs(out_dir, exist_ok=True)
    for name, data in sorted(build().items()):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        print("%-32s %7d bytes" % (name, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
