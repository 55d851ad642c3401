#!/usr/bin/env python3
"""Checks every rendered picture's format and pixel size against what the plug-in expects.

  check.py RESOURCES_DIR
"""
import os
import struct
import sys

EXPECTED = {
    "Skin-Light.jpg": (1540, 974),
    "Skin-Dark.jpg": (1540, 974),
    "Scope-Light.jpg": (798, 632),
    "Scope-Dark.jpg": (798, 632),
    "ZemSwitch-On.png": (248, 150),
    "ZemSwitch-Off.png": (250, 147),
    "SkinSwitch-Light.png": (264, 164),
    "SkinSwitch-Dark.png": (264, 164),
    "Icon-Info.png": (40, 40),
    "Icon-Help.png": (40, 40),
    "Icon-Close.png": (64, 64),
    "Product-Wordmark.png": (618, 70),
    "Headphone-Badge.png": (190, 152),
    "Slider-Thumb.png": (124, 148),
}


def jpeg_info(data):
    """(width, height, components, baseline) from the first SOF marker."""
    pos = 2
    while pos < len(data):
        if data[pos] != 0xFF:
            raise ValueError("bad marker")
        marker = data[pos + 1]
        (length,) = struct.unpack(">H", data[pos + 2:pos + 4])
        if marker in (0xC0, 0xC1, 0xC2):
            _, h, w, n = struct.unpack(">BHHB", data[pos + 4:pos + 10])
            return w, h, n, marker == 0xC0
        pos += 2 + length
    raise ValueError("no SOF")


def png_info(data):
    w, h, depth, ctype = struct.unpack(">IIBB", data[16:26])
    return w, h, depth, ctype


def main(res):
    bad = 0
    for name, (ew, eh) in EXPECTED.items():
        with open(os.path.join(res, name), "rb") as fh:
            data = fh.read()
        if name.endswith(".jpg"):
            w, h, n, baseline = jpeg_info(data)
            ok = (w, h, n, baseline) == (ew, eh, 3, True)
            desc = "JPEG %s, %d components" % ("baseline" if baseline else "progressive/extended", n)
        else:
            w, h, depth, ctype = png_info(data)
            ok = (w, h, depth, ctype) == (ew, eh, 8, 6)
            desc = "PNG %d-bit %s" % (depth, "RGBA" if ctype == 6 else "type %d" % ctype)
        print("%-24s %4d x %-4d %-32s %7d bytes  %s" % (name, w, h, desc, len(data), "ok" if ok else "WRONG"))
        bad += not ok
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
