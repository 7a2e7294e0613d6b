#!/usr/bin/env python3
"""Tests of the artwork checker: a fresh build passes it, and it rejects each
kind of broken image it exists for. (That the committed files equal a fresh
build is checked by comparing the two folders.)

Usage:
    test_check_artwork.py
"""
import os
import shutil
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True   # leave no cache beside the sources

from PIL import Image, PngImagePlugin  # noqa: E402

import check_artwork  # noqa: E402
import make_artwork  # noqa: E402


def load(path):
    with Image.open(path) as img:
        img.load()
        return img.copy()


def edit_png(name, change):
    """Mutation: opens name, applies change(img) -> img, saves it as PNG."""
    def apply(folder):
        path = os.path.join(folder, name)
        img = change(load(path))
        img.save(path, "PNG")
    return apply


def set_pixel(xy, value):
    def change(img):
        img.putpixel(xy, value)
        return img
    return change


def copy_frame(width, src, dst, swap=False):
    """Copies frame src over frame dst (swap: exchanges the two)."""
    def change(img):
        a = img.crop((src * width, 0, (src + 1) * width, img.height))
        b = img.crop((dst * width, 0, (dst + 1) * width, img.height))
        img.paste(a, (dst * width, 0))
        if swap:
            img.paste(b, (src * width, 0))
        return img
    return change


def with_text_chunk(folder):
    path = os.path.join(folder, "316_message_main_button.png")
    info = PngImagePlugin.PngInfo()
    info.add_text("Software", "drawn by hand")
    load(path).save(path, "PNG", pnginfo=info)


def bmp_by_pillow(folder):
    path = os.path.join(folder, "302_checkbox.bmp")
    load(path).convert("RGBA").save(path, "BMP")


def bmp_top_down(folder):
    path = os.path.join(folder, "302_checkbox.bmp")
    with open(path, "r+b") as f:
        f.seek(22)
        f.write((-15).to_bytes(4, "little", signed=True))


def ico_without_24(folder):
    path = os.path.join(folder, "128_icon.ico")
    with Image.open(path) as img:
        img.size = (256, 256)
        big = img.copy()
    big.save(path, "ICO", sizes=[(16, 16), (32, 32), (48, 48), (256, 256)])


def palette_without_trns(folder):
    path = os.path.join(folder, "315_message_background.png")
    load(path).convert("RGBA").convert("RGB").convert("P").save(path, "PNG")


# (what is broken, mutation, words the checker must report)
MUTATIONS = [
    ("hole in the main client area",
     edit_png("307_background.png", set_pixel((300, 100), (255, 255, 255, 0))),
     "307_background.png: client area pixel (300,100)"),
    ("alpha on the outermost shadow row",
     edit_png("307_background.png", set_pixel((300, 0), (0, 0, 0, 9))),
     "outermost row"),
    ("a mark inside the shadow ring",
     edit_png("307_background.png", set_pixel((300, 10), (12, 10, 8, 90))),
     "top shadow is not uniform"),
    ("text in the plain bottom of the left panel",
     edit_png("307_background.png", set_pixel((21 + 60, 21 + 200), (0, 0, 0, 255))),
     "y 190..233 is not plain"),
    ("hot frame equal to normal",
     edit_png("309_install_button.png", copy_frame(196, 0, 1)),
     "frames 0 and 1 are the same"),
    ("pressed frame brighter than normal",
     edit_png("316_message_main_button.png", copy_frame(120, 0, 2, swap=True)),
     "want hot > normal > pressed"),
    ("cancel strip in colour",
     edit_png("310_cancel_button.png", lambda im: im.convert("RGBA")),
     "310_cancel_button.png: mode RGBA, want LA"),
    ("check box written with a plain info header",
     bmp_by_pillow, "BITMAPV5HEADER"),
    ("check box rows top-down",
     bmp_top_down, "bottom-up"),
    ("progress ends that do not match",
     edit_png("314_progress_track.png", set_pixel((0, 3), (230, 230, 230, 255))),
     "fill and track alpha differ"),
    ("palette dialog without tRNS",
     palette_without_trns, "315_message_background.png: no tRNS"),
    ("PNG with a text chunk",
     with_text_chunk, "metadata chunk(s) tEXt"),
    ("icon without the 24-px image",
     ico_without_24, "icon sizes [16, 32, 48, 256]"),
]


class ArtworkTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.fresh = os.path.join(cls.tmp, "fresh")
        os.mkdir(cls.fresh)
        for name, data in make_artwork.build().items():
            with open(os.path.join(cls.fresh, name), "wb") as f:
                f.write(data)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def test_fresh_build_passes(self):
        self.assertEqual(check_artwork.check_dir(self.fresh), [])

    def test_checker_rejects_broken_images(self):
        for what, mutate, words in MUTATIONS:
            with self.subTest(what):
                folder = os.path.join(self.tmp, "broken")
                shutil.rmtree(folder, ignore_errors=True)
                shutil.copytree(self.fresh, folder)
                mutate(folder)
                problems = check_artwork.check_dir(folder)
                self.assertTrue(any(words in p for p in problems),
                                "%r not among %s" % (words, problems))


if __name__ == "__main__":
    unittest.main()
