#!/usr/bin/env python3
"""Writes review SVGs that composite the rendered pictures the way the editor places them.

  make_review.py RESOURCES_DIR OUT_DIR

OUT_DIR/review.svg: light and dark skins side by side at full size, each with mock controls at
their design rectangles (scope background with simulated points, meters, thumb, value label,
control bar). OUT_DIR/review-about.svg: the About panel as the overlay shows it.
The mock follows the views' own placement rules (image buttons fitted centred with integer
maths, the meter's bar arithmetic, JUCE font heights), so misalignments show up here first.
"""
import base64
import math
import os
import sys

from gen_svg import (CANVAS_W, CANVAS_H, SCOPE, SLIDER, METER_IN, METER_OUT, CONTROL_BAR, VALUE_LABEL,
                     INDICATOR, CAPTION, FONT, rgb, f, slider_y, svg_doc, text)
from scopemap import SCOPE_W, SCOPE_H, map_point, gl_to_px

ROBOTO_EM_PER_HEIGHT = 2048.0 / (1900 + 500)   # JUCE font height is ascent + descent


def data_uri(path):
    kind = "image/jpeg" if path.endswith(".jpg") else "image/png"
    with open(path, "rb") as fh:
        return "data:%s;base64,%s" % (kind, base64.b64encode(fh.read()).decode("ascii"))


def image(uri, x, y, w, h):
    return '<image x="%s" y="%s" width="%s" height="%s" preserveAspectRatio="none" xlink:href="%s"/>\n' % (
        f(x), f(y), f(w), f(h), uri)


def image_button(uri, iw, ih, bx, by, bw, bh):
    """juce::ImageButton with rescale and kept proportions."""
    im_ratio = ih / float(iw)
    dest_ratio = bh / float(bw)
    if im_ratio > dest_ratio:
        nw, nh = int(math.floor(bh / im_ratio + 0.5)), bh
    else:
        nw, nh = bw, int(math.floor(bw * im_ratio + 0.5))
    return image(uri, bx + (bw - nw) // 2, by + (bh - nh) // 2, nw, nh)


def juce_text(x, y, w, h, s, height, fill, justify="centred"):
    size = height * ROBOTO_EM_PER_HEIGHT
    base = y + h / 2.0 + (1900 - 500) / 2048.0 * size / 2.0
    if justify == "centred":
        return text(x + w / 2.0, base, s, size, fill, anchor="middle")
    return text(x, base, s, size, fill)


class Lcg:
    def __init__(self, seed):
        self.s = seed

    def __call__(self):
        self.s = (1103515245 * self.s + 12345) & 0x7FFFFFFF
        return self.s / float(0x7FFFFFFF) * 2.0 - 1.0


def scope_points(zem_on, n=2048):
    """A deterministic, music-like four-path frame: near ear strong, far ear delayed and weaker."""
    rnd = Lcg(7)
    sr = 48000.0
    left, right = [], []
    for i in range(n + 64):
        t = i / sr
        env = 0.75 + 0.25 * math.sin(2 * math.pi * 3.1 * t)
        left.append(env * (0.10 * math.sin(2 * math.pi * 98 * t) + 0.05 * math.sin(2 * math.pi * 196 * t + 0.7)
                           + 0.03 * math.sin(2 * math.pi * 587 * t)) + 0.004 * rnd())
        right.append(env * (0.08 * math.sin(2 * math.pi * 98 * t + 0.4) + 0.06 * math.sin(2 * math.pi * 247 * t)
                            + 0.025 * math.sin(2 * math.pi * 740 * t + 1.1)) + 0.004 * rnd())
    pts = []
    for i in range(64, n + 64):
        if zem_on:
            ch0 = left[i] + 0.15 * left[i - 37]           # left speaker, left ear
            ch2 = 0.62 * left[i - 14] + 0.12 * left[i - 51]  # left speaker, right ear
            ch1 = 0.62 * right[i - 14] + 0.12 * right[i - 47]
            ch3 = right[i] + 0.15 * right[i - 33]
        else:
            ch0 = ch2 = left[i] * 1.6
            ch1 = ch3 = right[i] * 1.6
        for side, (a, b) in enumerate(((ch0, ch2), (ch1, ch3))):
            x, y = (b - a) * 0.5, (a + b) * 0.5
            code = 1 if side == 0 else 2
            if abs(x) > 1 or abs(y) > 1:
                code = -code
            gx, gy = map_point(x, y, code, zem_on)
            px, py = gl_to_px(gx, gy)
            if 0 <= px < SCOPE_W and 0 <= py < SCOPE_H:
                pts.append((px, py, code > 0))
    return pts


def meter(mx, my, mw, mh, levels, clips):
    out = ""
    n = len(levels)
    Y, H = my + 8, mh - 8
    bw = (mw - n) / float(n)
    out += '<rect x="%d" y="%d" width="%d" height="%d" fill="rgb(45,45,45)"/>\n' % (mx, Y, n * (bw + 1), H)
    for i, (db, clip) in enumerate(zip(levels, clips)):
        x = mx + i * (bw + 1)
        top = Y + int(math.floor((1 - (db + 72) / 72.0) * H + 0.5))
        out += '<rect x="%s" y="%d" width="%s" height="5" fill="%s"/>\n' % (
            f(x), my, f(bw), "rgb(208,121,101)" if clip else "rgb(45,45,45)")
        out += '<rect x="%s" y="%d" width="%s" height="%d" fill="url(#meterGrad%d)"/>\n' % (f(x), top, f(bw), Y + H - top, my)
    return out


def editor(res, dark, zem_on, gain_db, lin, lout, clip_out, ox, oy):
    sfx = "Dark" if dark else "Light"
    b = '<g transform="translate(%d %d)">\n' % (ox, oy)
    b += image(data_uri(os.path.join(res, "Skin-%s.jpg" % sfx)), 0, 0, CANVAS_W, CANVAS_H)
    sx, sy, sw, sh = SCOPE
    b += '<svg x="%d" y="%d" width="%d" height="%d" viewBox="0 0 %d %d">\n' % (sx, sy, sw, sh, SCOPE_W, SCOPE_H)
    b += image(data_uri(os.path.join(res, "Scope-%s.jpg" % sfx)), 0, 0, SCOPE_W, SCOPE_H)
    b += '<g style="mix-blend-mode:screen">\n'
    for px, py, inside in scope_points(zem_on):
        b += '<rect x="%s" y="%s" width="1.6" height="1.6" fill="%s"/>' % (
            f(px - 0.8), f(py - 0.8), "rgb(89,180,203)" if inside else "rgb(255,0,0)")
    b += "\n</g>\n</svg>\n"
    b += meter(*METER_IN, levels=lin, clips=(False, False))
    b += meter(*METER_OUT, levels=lout, clips=clip_out)
    cy = slider_y(gain_db)
    b += image(data_uri(os.path.join(res, "Slider-Thumb.png")), SLIDER[0], cy - 74, 124, 148)
    vx, vy, vw, vh = VALUE_LABEL
    b += juce_text(vx, vy, vw, vh, "%.1f dB" % gain_db, int(vh * 16.0 / 19.0 * 1.1), rgb(INDICATOR))
    # control bar at full size (s = 2)
    bx, by = CONTROL_BAR[0], CONTROL_BAR[1]
    cap_h = int(32 * 16.0 / 19.0 * 1.1)
    b += juce_text(bx + 40, by + 48, 70, 32, "ZEM", cap_h, rgb(CAPTION), justify="left")
    on_uri = data_uri(os.path.join(res, "ZemSwitch-On.png" if zem_on else "ZemSwitch-Off.png"))
    b += image_button(on_uri, *((248, 150) if zem_on else (250, 147)), bx + 56, by - 2, 268, 130)
    b += juce_text(bx + 322, by + 50, 90, 32, "Mode", cap_h, rgb(CAPTION), justify="left")
    b += image_button(data_uri(os.path.join(res, "SkinSwitch-%s.png" % sfx)), 264, 164, bx + 361, by - 3, 243, 151)
    b += image_button(data_uri(os.path.join(res, "Icon-Info.png")), 40, 40, bx + 618, by + 50, 40, 40)
    b += image_button(data_uri(os.path.join(res, "Icon-Help.png")), 40, 40, bx + 678, by + 50, 40, 40)
    b += "</g>\n"
    return b


def defs():
    d = ""
    for my in (METER_IN[1],):
        d += ('<linearGradient id="meterGrad%d" gradientUnits="userSpaceOnUse" x1="0" y1="%d" x2="0" y2="%d">'
              '<stop offset="0" stop-color="rgb(49,213,225)"/><stop offset="1" stop-color="rgb(36,163,191)"/>'
              '</linearGradient>\n' % (my, my, my + METER_IN[3] - 8))
    return d


def review(res):
    m = 40
    w = 3 * m + 2 * CANVAS_W
    h = 2 * m + CANVAS_H + 40
    b = '<rect width="%d" height="%d" fill="#7d848b"/>\n' % (w, h)
    b += text(m, 52, "Skin-Light.jpg  (ZEM on, sun lit)", 24, "#ffffff")
    b += text(2 * m + CANVAS_W, 52, "Skin-Dark.jpg  (ZEM on, moon lit)", 24, "#ffffff")
    b += editor(res, False, True, -6.0, (-14.0, -11.5), (-9.0, -7.5), (False, False), m, m + 40)
    b += editor(res, True, True, 0.0, (-12.0, -9.5), (-3.0, 0.4), (False, True), 2 * m + CANVAS_W, m + 40)
    return svg_doc(w, h, b, defs())


def review_off(res):
    """Both skins with "ZEM On" off, for checking the plain layout and the off switch."""
    m = 40
    w = 3 * m + 2 * CANVAS_W
    h = 2 * m + CANVAS_H
    b = '<rect width="%d" height="%d" fill="#7d848b"/>\n' % (w, h)
    b += editor(res, False, False, 12.0, (-20.0, -18.0), (-30.0, -28.0), (True, False), m, m)
    b += editor(res, True, False, -48.0, (-40.0, -72.0), (-70.0, -72.0), (False, False), 2 * m + CANVAS_W, m)
    return svg_doc(w, h, b, defs())


def about(res):
    W, H = 1540, 974
    b = '<rect width="%d" height="%d" fill="#7d848b"/>\n' % (W, H)
    b += image(data_uri(os.path.join(res, "Skin-Dark.jpg")), 0, 0, W, H)
    b += '<rect width="%d" height="%d" fill="rgba(0,0,0,0.4)"/>\n' % (W, H)
    px, py = 478, 274
    b += '<rect x="%d" y="%d" width="585" height="427" rx="16" fill="rgb(229,234,240)"/>\n' % (px, py)
    b += image(data_uri(os.path.join(res, "Product-Wordmark.png")), px + 40, py + 33, 309, 35)
    b += image(data_uri(os.path.join(res, "Headphone-Badge.png")), px + 447, py + 323, 95, 76)
    b += image(data_uri(os.path.join(res, "Icon-Close.png")), px + 516, py + 27, 32, 32)
    size = 15 * ROBOTO_EM_PER_HEIGHT
    b += text(px + 393, py + 48 + 13, "Version 2.1.1", size, "rgb(114,106,114)")
    lines = ["ZEM2 \u00a9 Corvane. All rights reserved.", "", "",
             "Binaural processing licensed in part.", "", "",
             "ASIO Interface Technology and VST Plugin Technology", "by Steinberg Media Technologies GmbH", "", "",
             "Name One", "Name Two", "Name Three", "Name Four"]
    for i, s in enumerate(lines):
        b += text(px + 39, py + 112 + i * 18, s, size, "rgb(114,106,114)")
    return svg_doc(W, H, b)


def main(argv):
    res, out = argv[1], argv[2]
    for name, make in (("review.svg", review), ("review-off.svg", review_off), ("review-about.svg", about)):
        with open(os.path.join(out, name), "w", encoding="utf-8", newline="\n") as fh:
            fh.write(make(res))


if __name__ == "__main__":
    main(sys.argv)
