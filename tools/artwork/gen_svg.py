#!/usr/bin/env python3
"""Writes the SVG sources of every ZEM2 picture into tools/artwork/svg/.

The skins and scope backgrounds carry scales whose positions follow from the editor's layout and
the scope's point mapping, so they are computed here rather than placed by hand. Everything is
plain SVG 1.1 that rsvg-convert renders; the files stay readable and can be edited directly
(render.sh --no-gen then renders the edited files as they are).
"""
import math
import os
import sys

from scopemap import SCOPE_W, SCOPE_H, level_to_v, uv_to_px

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "svg")

# Palette shared by every picture.
TEAL = (49, 213, 225)
TEAL_DEEP = (36, 163, 191)
TEXT = (114, 106, 114)
INDICATOR = (255, 152, 152)
CAPTION = (155, 166, 175)
NEAR_BLACK = (34, 34, 34)
METER_BG = (45, 45, 45)
INK_ON_TEAL = (8, 52, 58)

# Editor canvas and the design rectangles the skin must line up with.
CANVAS_W, CANVAS_H = 1540, 974
SCOPE = (352, 84, 798, 632)
SLIDER = (1244, 208, 124, 566)
METER_IN = (152, 228, 42, 508)
METER_OUT = (1366, 228, 42, 508)
CONTROL_BAR = (374, 736, 754, 124)
VALUE_LABEL = (1258, 796, 180, 38)

METER_STRIP = 8                 # clip strip on top of each meter, not scaled
SLIDER_TOP_Y, SLIDER_BOTTOM_Y = 282.0, 700.0   # thumb centre at +12 dB and -48 dB
SLIDER_MAX_DB, SLIDER_MIN_DB = 12.0, -48.0
SLIDER_X = SLIDER[0] + SLIDER[2] / 2.0

FONT = 'font-family="Roboto" font-weight="500"'


def rgb(c, a=None):
    if a is None:
        return "rgb(%d,%d,%d)" % c
    return "rgba(%d,%d,%d,%.3f)" % (c + (a,))


def f(v):
    """Short, stable number formatting."""
    s = "%.2f" % v
    s = s.rstrip("0").rstrip(".")
    return "0" if s == "-0" else s


def svg_doc(w, h, body, defs=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            'width="%d" height="%d" viewBox="0 0 %d %d">\n<defs>\n%s</defs>\n%s</svg>\n' % (w, h, w, h, defs, body))


def text(x, y, s, size, fill, anchor="start", spacing=0.0, extra=""):
    ls = ' letter-spacing="%s"' % f(spacing) if spacing else ""
    return '<text x="%s" y="%s" %s font-size="%s" fill="%s" text-anchor="%s"%s%s>%s</text>\n' % (
        f(x), f(y), FONT, f(size), fill, anchor, ls, extra, s)


def rrect(x, y, w, h, r, fill, extra=""):
    return '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"%s/>\n' % (
        f(x), f(y), f(w), f(h), f(r), fill, extra)


def line(x1, y1, x2, y2, stroke, width, extra=""):
    return '<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s"%s/>\n' % (
        f(x1), f(y1), f(x2), f(y2), stroke, f(width), extra)


def blur_filter(fid, sd):
    return ('<filter id="%s" x="-50%%" y="-50%%" width="200%%" height="200%%">'
            '<feGaussianBlur in="SourceGraphic" stdDeviation="%s"/></filter>\n' % (fid, f(sd)))


def vgrad(gid, stops):
    s = "".join('<stop offset="%s" stop-color="%s"/>' % (f(o), c) for o, c in stops)
    return '<linearGradient id="%s" x1="0" y1="0" x2="0" y2="1">%s</linearGradient>\n' % (gid, s)


# ---------------------------------------------------------------- headphone glyph (icon, badge)

def headphone_glyph(cx, cy, s, stroke, colour):
    """Headband arc with two ear cups, centred on (cx, cy), s = overall half width."""
    r = s * 0.78
    top = cy + s * 0.05
    band = ('<path d="M %s %s A %s %s 0 0 1 %s %s" fill="none" stroke="%s" stroke-width="%s" stroke-linecap="round"/>\n'
            % (f(cx - r), f(top), f(r), f(r), f(cx + r), f(top), colour, f(stroke)))
    cw, ch = s * 0.42, s * 0.78
    cups = ""
    for side in (-1, 1):
        x = cx + side * r - cw / 2.0
        cups += rrect(x, top - ch * 0.18, cw, ch, cw * 0.42, colour)
    return band + cups


def app_icon(x, y, size, fill, knock_id, defs_out):
    """Rounded square with the headphone glyph cut out of it (shows what lies behind)."""
    defs_out.append('<mask id="%s" maskUnits="userSpaceOnUse" x="%s" y="%s" width="%s" height="%s">'
                    '%s%s</mask>\n' % (knock_id, f(x), f(y), f(size), f(size),
                                       rrect(x, y, size, size, size * 0.24, "white"),
                                       headphone_glyph(x + size / 2, y + size * 0.50, size * 0.33,
                                                       size * 0.085, "black")))
    return rrect(x, y, size, size, size * 0.24, fill, ' mask="url(#%s)"' % knock_id)


# ---------------------------------------------------------------- skins

def meter_y(db):
    top = METER_IN[1] + METER_STRIP
    h = METER_IN[3] - METER_STRIP
    return top + (-db / 72.0) * h


def slider_y(db):
    return SLIDER_TOP_Y + (SLIDER_MAX_DB - db) / (SLIDER_MAX_DB - SLIDER_MIN_DB) * (SLIDER_BOTTOM_Y - SLIDER_TOP_Y)


def well(x, y, w, h, r, t):
    """A recessed, dark well: drop edge above, light lip below."""
    out = ""
    out += rrect(x, y + 1.5, w, h, r, t["lip"])
    out += rrect(x, y, w, h, r, t["well"])
    out += rrect(x + 0.75, y + 0.75, w - 1.5, h - 1.5, max(r - 0.75, 0), "none",
                 ' stroke="%s" stroke-width="1.5"' % t["well_edge"])
    return out


def skin(theme):
    t = theme
    d = []
    b = ""
    d.append(vgrad("chassis", [(0, t["bg_top"]), (1, t["bg_bottom"])]))
    d.append(blur_filter("soft", 6))
    d.append(blur_filter("soft2", 3))
    d.append('<radialGradient id="sheen" cx="0.5" cy="0" r="0.9" fx="0.5" fy="0">'
             '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s" stop-opacity="0"/>'
             '</radialGradient>\n' % (t["sheen"], t["sheen"]))
    b += '<rect width="%d" height="%d" fill="url(#chassis)"/>\n' % (CANVAS_W, CANVAS_H)
    b += '<rect width="%d" height="%d" fill="url(#sheen)" opacity="%s"/>\n' % (CANVAS_W, CANVAS_H, t["sheen_op"])

    # -- header: product mark left, maker right, on the meters' outer edges
    hx = METER_IN[0] - 6
    b += app_icon(hx, 22, 36, rgb(TEAL), "hdricon", d)
    b += text(hx + 50, 51, "ZEM2", 32, t["title"], spacing=1.5)
    b += text(METER_OUT[0] + METER_OUT[2] + 6, 47, "CORVANE", 17, t["text_soft"], anchor="end", spacing=5)

    # -- footer: what the instrument does, centred under the control tray
    fy = 922
    mid = CONTROL_BAR[0] + CONTROL_BAR[2] / 2.0
    b += text(mid, fy, "BINAURAL ROOM RENDERER", 16, t["text_soft"], anchor="middle", spacing=4.5)
    b += line(CONTROL_BAR[0] + 20, fy - 6, mid - 170, fy - 6, t["rule"], 1.2)
    b += line(mid + 170, fy - 6, CONTROL_BAR[0] + CONTROL_BAR[2] - 20, fy - 6, t["rule"], 1.2)

    # -- scope bezel: the scope paints its own rectangle, the bezel frames it
    sx, sy, sw, sh = SCOPE
    bz = 12
    b += rrect(sx - bz, sy - bz + 5, sw + 2 * bz, sh + 2 * bz, 16, t["shadow"],
               ' filter="url(#soft)" opacity="%s"' % t["shadow_op"])
    d.append(vgrad("bezel", [(0, t["bezel_top"]), (1, t["bezel_bottom"])]))
    b += rrect(sx - bz, sy - bz, sw + 2 * bz, sh + 2 * bz, 16, "url(#bezel)")
    b += rrect(sx - bz + 0.75, sy - bz + 0.75, sw + 2 * bz - 1.5, sh + 2 * bz - 1.5, 15.25, "none",
               ' stroke="%s" stroke-width="1.5"' % t["bezel_rim"])
    b += '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n' % (sx - 2, sy - 2, sw + 4, sh + 4, t["glass_edge"])
    b += '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n' % (sx, sy, sw, sh, t["scope_base"])

    # -- level meters: well, clip strip, scale on the outer side
    for (mx, my, mw, mh), side, cap in ((METER_IN, -1, "INPUT"), (METER_OUT, 1, "OUTPUT")):
        b += well(mx - 6, my - 6, mw + 12, mh + 12, 8, t)
        b += '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n' % (mx, my + METER_STRIP, mw, mh - METER_STRIP, rgb(METER_BG))
        b += '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n' % (mx, my, mw, 5, rgb(METER_BG))
        cx = mx + mw / 2.0
        b += text(cx, my - 22, cap, 17, t["caption"], anchor="middle", spacing=2.2)
        b += text(mx + 10, my + mh + 29, "L", 15, t["text_soft"], anchor="middle")
        b += text(mx + 31, my + mh + 29, "R", 15, t["text_soft"], anchor="middle")
        edge = mx - 6 if side < 0 else mx + mw + 6
        for db in range(0, -73, -6):
            y = meter_y(db)
            major = db % 12 == 0
            ln = 12 if major else 7
            x0 = edge + side * 4
            b += line(x0, y, x0 + side * ln, y, t["tick"] if major else t["tick_minor"], 2 if major else 1.5)
            if major:
                lx = x0 + side * (ln + 6)
                b += text(lx, y + 6, "0" if db == 0 else str(db), 17, t["scale"],
                          anchor="end" if side < 0 else "start")
        # the clip strip gets its own mark, level with the indicators
        x0 = edge + side * 4
        b += '<circle cx="%s" cy="%s" r="3" fill="%s"/>\n' % (f(x0 + side * 6), f(my + 2.5), rgb(INDICATOR, 0.9))

    # -- gain slider: slot, scale at the thumb's true centre positions
    top, bot = SLIDER_TOP_Y, SLIDER_BOTTOM_Y
    b += well(SLIDER_X - 6, top - 26, 12, bot - top + 52, 6, t)
    b += rrect(SLIDER_X - 1.5, top - 18, 3, bot - top + 36, 1.5, t["slot_line"])
    b += text(SLIDER_X - 14, METER_IN[1] - 22, "GAIN", 17, t["caption"], anchor="middle", spacing=2.2)
    for db in range(12, -49, -6):
        y = slider_y(db)
        major = db % 12 == 0
        unity = db == 0
        col = rgb(TEAL) if unity else (t["tick"] if major or db == 6 or db == -6 else t["tick_minor"])
        lw = 2.5 if unity else (2 if major else 1.5)
        ln = 14 if (major or unity) else 9
        x0 = SLIDER_X - 40
        b += line(x0, y, x0 - ln, y, col, lw)
        b += line(SLIDER_X + 40, y, SLIDER_X + 40 + ln * 0.6, y, col, lw)
        label = "0" if db == 0 else ("+%d" % db if db > 0 else str(db))
        b += text(x0 - ln - 7, y + 6, label, 17, rgb(TEAL) if unity else t["scale"], anchor="end")
    b += text(SLIDER_X - 58, slider_y(-48) + 34, "dB", 14, t["text_soft"], anchor="end", spacing=1)

    # -- value readout under the slider
    vx, vy, vw, vh = VALUE_LABEL
    b += well(vx - 10, vy - 8, vw + 20, vh + 16, 10, t)
    b += rrect(vx - 8.5, vy - 6.5, vw + 17, vh + 13, 8.5, "none",
               ' stroke="%s" stroke-width="1"' % rgb(INDICATOR, 0.10))

    # -- control tray
    cx_, cy_, cw_, ch_ = CONTROL_BAR
    ty, th = cy_ + 8, 112
    b += rrect(cx_, ty + 4, cw_, th, 20, t["shadow"], ' filter="url(#soft)" opacity="%s"' % (t["shadow_op"] * 0.8))
    d.append(vgrad("tray", [(0, t["tray_top"]), (1, t["tray_bottom"])]))
    b += rrect(cx_, ty, cw_, th, 20, "url(#tray)")
    b += rrect(cx_ + 0.75, ty + 0.75, cw_ - 1.5, th - 1.5, 19.25, "none",
               ' stroke="%s" stroke-width="1.5"' % t["tray_rim"])
    # hairline separators between the switch groups and the two icons
    for x in (cx_ + 308, cx_ + 608):
        b += line(x, ty + 26, x, ty + th - 26, t["tray_sep"], 1.5)

    return svg_doc(CANVAS_W, CANVAS_H, b, "".join(d))


LIGHT = dict(
    bg_top="#eef0f2", bg_bottom="#dde1e5", sheen="#ffffff", sheen_op="0.55",
    title=rgb(NEAR_BLACK), text_soft=rgb(TEXT), caption=rgb(TEXT), scale=rgb(TEXT),
    tick=rgb(TEXT, 0.85), tick_minor=rgb(TEXT, 0.5), rule=rgb(TEXT, 0.35),
    shadow="#1a2026", shadow_op=0.30,
    bezel_top="#3a4148", bezel_bottom="#2a3036", bezel_rim="rgba(255,255,255,0.10)",
    glass_edge="#0d1013", scope_base="#323a42",
    well="#2b3137", well_edge="rgba(0,0,0,0.25)", lip="rgba(255,255,255,0.9)",
    slot_line="#101316",
    tray_top="#343b42", tray_bottom="#2a3036", tray_rim="rgba(255,255,255,0.07)",
    tray_sep="rgba(255,255,255,0.08)",
)

DARK = dict(
    bg_top="#262a2e", bg_bottom="#1a1d20", sheen="#3a4046", sheen_op="0.35",
    title="#e6e9ec", text_soft=rgb(TEXT), caption=rgb(CAPTION), scale=rgb(TEXT),
    tick=rgb(TEXT, 0.95), tick_minor=rgb(TEXT, 0.6), rule=rgb(TEXT, 0.45),
    shadow="#000000", shadow_op=0.55,
    bezel_top="#16191c", bezel_bottom="#111316", bezel_rim="rgba(255,255,255,0.06)",
    glass_edge="#050607", scope_base="#0f1215",
    well="#111315", well_edge="rgba(0,0,0,0.35)", lip="rgba(255,255,255,0.06)",
    slot_line="#050607",
    tray_top="#15181b", tray_bottom="#111316", tray_rim="rgba(255,255,255,0.06)",
    tray_sep="rgba(255,255,255,0.07)",
)


# ---------------------------------------------------------------- scope backgrounds

def scope_background(theme):
    t = theme
    d = []
    b = ""
    d.append('<radialGradient id="glass" cx="0.5" cy="0.55" r="0.75">'
             '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></radialGradient>\n'
             % (t["centre"], t["edge"]))
    b += '<rect width="%d" height="%d" fill="url(#glass)"/>\n' % (SCOPE_W, SCOPE_H)
    grid, grid_minor, label = t["grid"], t["grid_minor"], t["label"]

    def path(pts):
        return "M " + " L ".join("%s %s" % (f(x), f(y)) for x, y in pts)

    # Binaural layout: per loudspeaker a fan from its apex. Distance along the axis is the far ear's
    # level on the renderer's log law; the sideways offset is the near ear's amplitude signed by the
    # far ear's, so correlated material runs along the curves u = 8 g t (g = near / far ear).
    majors = (-30, -40, -50)
    minors = (-25, -35, -45)

    def ray(g, left, lo=-70.0, hi=-25.0, step=0.25):
        pts = []
        db = lo
        while db <= hi + 1e-9:
            a = 10 ** (db / 20.0)
            pts.append(uv_to_px(8.0 / math.sqrt(2.0) * g * a, level_to_v(db), left))
            db += step
        return pts

    for left in (False, True):
        p0 = uv_to_px(0, 0, left)
        # the horn of equal-level material, and the axis where the near ear is silent
        for g in (1.0, -1.0):
            b += '<path d="%s" fill="none" stroke="%s" stroke-width="1.4"/>\n' % (path(ray(g, left)), grid)
        for g in (2.0, -2.0):
            b += '<path d="%s" fill="none" stroke="%s" stroke-width="1.1" stroke-dasharray="2 6"/>\n' % (
                path(ray(g, left, hi=-31.0)), grid_minor)
        p1 = uv_to_px(0, level_to_v(-25.0), left)
        b += line(p0[0], p0[1], p1[0], p1[1], grid_minor, 1.1, ' stroke-dasharray="2 6"')
        # level rungs across the horn, at the far ear's dBFS
        for db in majors + minors:
            a = 10 ** (db / 20.0)
            half = 8.0 / math.sqrt(2.0) * a
            v = level_to_v(db)
            q0 = uv_to_px(-half, v, left)
            q1 = uv_to_px(half, v, left)
            major = db in majors
            b += line(q0[0], q0[1], q1[0], q1[1], grid if major else grid_minor, 1.4 if major else 1.1)
            if major:
                outer = q0 if q0[0] < q1[0] else q1
                if left:
                    outer = q0 if q0[0] > q1[0] else q1
                dx = 1 if left else -1
                b += text(outer[0] + dx * 9, outer[1] + 5, str(db), 14, label,
                          anchor="start" if left else "end")
        # loudspeaker marker at the apex, facing along the axis
        ang = 30 if not left else -30
        b += ('<g transform="translate(%s %s) rotate(%s)">'
              '<rect x="-6" y="-17" width="12" height="9" rx="2" fill="none" stroke="%s" stroke-width="1.5"/>'
              '<path d="M -6 -8 L -10 -2 L 10 -2 L 6 -8" fill="none" stroke="%s" stroke-width="1.5" stroke-linejoin="round"/>'
              '</g>\n' % (f(p0[0]), f(p0[1]), ang, grid, grid))
        b += text(p0[0] + (-20 if not left else 20), p0[1] - 8, "L" if not left else "R", 15, label,
                  anchor="end" if not left else "start")

    # Plain layout ("ZEM On" off): both outputs on one line at y = -0.9, silence at the edges,
    # full scale in the middle; ticks at their dBFS positions from each edge.
    ly = (1.0 + 0.9) * 0.5 * SCOPE_H
    b += line(0, ly, SCOPE_W, ly, grid, 1.2)
    for db in (-24, -18, -12, -6, -3, 0):
        a = 10 ** (db / 20.0)
        for xx in (a * SCOPE_W / 2.0, SCOPE_W - a * SCOPE_W / 2.0):
            h = 9 if db in (-12, -6, 0) else 6
            b += line(xx, ly - h, xx, ly + h, grid, 1.2)
        if db in (-12, -6):
            for xx in (a * SCOPE_W / 2.0, SCOPE_W - a * SCOPE_W / 2.0):
                b += text(xx, ly + 27, str(db), 13, label, anchor="middle")
    b += text(SCOPE_W / 2.0, ly + 27, "0 dB", 13, label, anchor="middle")
    return svg_doc(SCOPE_W, SCOPE_H, b, "".join(d))


SCOPE_LIGHT = dict(centre="#3c4650", edge="#2b3239",
                   grid="rgba(205,222,232,0.20)", grid_minor="rgba(205,222,232,0.10)", label="rgba(205,222,232,0.38)")
SCOPE_DARK = dict(centre="#161b20", edge="#0a0c0e",
                  grid="rgba(49,213,225,0.17)", grid_minor="rgba(49,213,225,0.085)", label="rgba(155,166,175,0.45)")


# ---------------------------------------------------------------- control bar pictures

def zem_switch(on):
    # The two pictures differ in size; the bar fits them by height, so the off picture is drawn at
    # 147/150 to make both tracks the same size on screen.
    w, h = (248, 150) if on else (250, 147)
    k = 1.0 if on else 147.0 / 150.0
    d = []
    d.append(blur_filter("sh", 3.2))
    d.append(blur_filter("glow", 6))
    tw, th = 164.0, 70.0
    cx = w / 2.0 + 6 * k   # nudged right: the caption "ZEM" overlaps the picture's left margin
    cy = h / 2.0
    g = '<g transform="translate(%s %s) scale(%s)">\n' % (f(cx), f(cy), f(k))
    x0, y0 = -tw / 2, -th / 2
    if on:
        d.append(vgrad("trk", [(0, rgb(TEAL)), (1, rgb(TEAL_DEEP))]))
        g += rrect(x0, y0, tw, th, th / 2, rgb(TEAL), ' filter="url(#glow)" opacity="0.35"')
        g += rrect(x0, y0, tw, th, th / 2, "url(#trk)")
        g += rrect(x0 + 1, y0 + 1, tw - 2, th - 2, th / 2 - 1, "none", ' stroke="rgba(255,255,255,0.35)" stroke-width="2"')
        g += text(x0 + 50, 10.5, "ON", 29, rgb(INK_ON_TEAL), anchor="middle", spacing=1.5)
        kx = x0 + tw - th / 2
    else:
        d.append(vgrad("trk", [(0, "#2a3036"), (1, "#363d44")]))
        g += rrect(x0, y0, tw, th, th / 2, "url(#trk)")
        g += rrect(x0 + 1, y0 + 1, tw - 2, th - 2, th / 2 - 1, "none", ' stroke="rgba(0,0,0,0.45)" stroke-width="2"')
        g += rrect(x0 - 1, y0 - 1, tw + 2, th + 2, th / 2 + 1, "none", ' stroke="rgba(255,255,255,0.09)" stroke-width="1.5"')
        g += text(x0 + tw - 50, 10.5, "OFF", 29, rgb(CAPTION), anchor="middle", spacing=1.5)
        kx = x0 + th / 2
    d.append(vgrad("knob", [(0, "#f7f9fa"), (1, "#c9cfd5")]))
    r = th / 2 - 6
    g += '<circle cx="%s" cy="3" r="%s" fill="#000" opacity="0.45" filter="url(#sh)"/>\n' % (f(kx), f(r))
    g += '<circle cx="%s" cy="0" r="%s" fill="url(#knob)"/>\n' % (f(kx), f(r))
    g += '<circle cx="%s" cy="0" r="%s" fill="none" stroke="rgba(255,255,255,0.9)" stroke-width="1.5"/>\n' % (f(kx), f(r - 1.5))
    for i in (-1, 0, 1):
        g += line(kx + i * 6, -8, kx + i * 6, 8, "rgba(60,70,80,0.35)", 2, ' stroke-linecap="round"')
    g += "</g>\n"
    return svg_doc(w, h, g, "".join(d))


def moon(cx, cy, r, colour, mid):
    return ('<mask id="%s" maskUnits="userSpaceOnUse" x="%s" y="%s" width="%s" height="%s">'
            '<circle cx="%s" cy="%s" r="%s" fill="white"/><circle cx="%s" cy="%s" r="%s" fill="black"/></mask>'
            '<circle cx="%s" cy="%s" r="%s" fill="%s" mask="url(#%s)"/>\n'
            % (mid, f(cx - 2 * r), f(cy - 2 * r), f(4 * r), f(4 * r),
               f(cx), f(cy), f(r), f(cx + r * 0.55), f(cy - r * 0.42), f(r * 0.86),
               f(cx), f(cy), f(r), colour, mid))


def sun(cx, cy, r, colour):
    out = '<circle cx="%s" cy="%s" r="%s" fill="%s"/>\n' % (f(cx), f(cy), f(r * 0.52), colour)
    for i in range(8):
        a = i * math.pi / 4
        out += line(cx + math.cos(a) * r * 0.8, cy + math.sin(a) * r * 0.8,
                    cx + math.cos(a) * r * 1.12, cy + math.sin(a) * r * 1.12, colour, r * 0.17,
                    ' stroke-linecap="round"')
    return out


def skin_switch(dark):
    w, h = 264, 164
    d = [blur_filter("glow", 7), blur_filter("sh", 3)]
    d.append(vgrad("house", [(0, "#121417"), (1, "#1b1f23")]))
    d.append('<radialGradient id="lit" cx="0.5" cy="0.35" r="0.7"><stop offset="0" stop-color="%s"/>'
             '<stop offset="1" stop-color="%s"/></radialGradient>\n' % (rgb((120, 236, 244)), rgb(TEAL_DEEP)))
    d.append(vgrad("unlit", [(0, "#363d44"), (1, "#2a3036")]))
    cy = 84.0
    mx, sx_, r = 104.0, 196.0, 36.0
    b = ""
    b += rrect(mx - r - 9, cy - r - 9, sx_ - mx + 2 * r + 18, 2 * r + 18, r + 9, "url(#house)")
    b += rrect(mx - r - 9.75, cy - r - 9.75, sx_ - mx + 2 * r + 19.5, 2 * r + 19.5, r + 9.75, "none",
               ' stroke="rgba(255,255,255,0.09)" stroke-width="1.5"')
    for which, x in (("moon", mx), ("sun", sx_)):
        lit = (which == "moon") == dark
        if lit:
            b += '<circle cx="%s" cy="%s" r="%s" fill="%s" opacity="0.55" filter="url(#glow)"/>\n' % (f(x), f(cy), f(r), rgb(TEAL))
            b += '<circle cx="%s" cy="%s" r="%s" fill="url(#lit)"/>\n' % (f(x), f(cy), f(r))
            b += '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="rgba(255,255,255,0.45)" stroke-width="1.5"/>\n' % (f(x), f(cy), f(r - 1))
            ink = rgb(INK_ON_TEAL)
        else:
            b += '<circle cx="%s" cy="%s" r="%s" fill="#000" opacity="0.5" filter="url(#sh)"/>\n' % (f(x), f(cy + 2), f(r))
            b += '<circle cx="%s" cy="%s" r="%s" fill="url(#unlit)"/>\n' % (f(x), f(cy), f(r))
            b += '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="rgba(255,255,255,0.08)" stroke-width="1.5"/>\n' % (f(x), f(cy), f(r - 1))
            ink = rgb(CAPTION)
        if which == "moon":
            b += moon(x - 1, cy + 1, 15, ink, "m%d" % int(x))
        else:
            b += sun(x, cy, 16, ink)
    return svg_doc(w, h, b, "".join(d))


def round_icon(glyph):
    w = h = 40
    d = []
    if glyph == "i":
        g = ('<circle cx="20" cy="11.6" r="2.7" fill="black"/>'
             + rrect(17.7, 16.2, 4.6, 14.0, 1.6, "black"))
    else:
        g = text(20.3, 29.2, "?", 25, "black", anchor="middle")
    d.append('<mask id="k" maskUnits="userSpaceOnUse" x="0" y="0" width="40" height="40">'
             '<circle cx="20" cy="20" r="19" fill="white"/>%s</mask>\n' % g)
    b = '<circle cx="20" cy="20" r="19" fill="%s" mask="url(#k)"/>\n' % rgb(CAPTION)
    return svg_doc(w, h, b, "".join(d))


# ---------------------------------------------------------------- About view pictures

def wordmark():
    w, h = 618, 70
    d = []
    b = app_icon(3, 6, 58, rgb(NEAR_BLACK), "mk", d)
    b += text(82, 56.5, "ZEM2", 60, rgb(NEAR_BLACK), spacing=3)
    return svg_doc(w, h, b, "".join(d))


def badge():
    w, h = 190, 152
    col = rgb(TEXT)
    cx, cy = 95.0, 94.0
    r = 54.0
    b = ""
    # headphones: band and cups as outlines, the product stem between the cups
    b += ('<path d="M %s %s A %s %s 0 0 1 %s %s" fill="none" stroke="%s" stroke-width="6.5" stroke-linecap="round"/>\n'
          % (f(cx - r), f(cy + 2), f(r), f(r), f(cx + r), f(cy + 2), col))
    for side in (-1, 1):
        x = cx + side * r
        b += rrect(x - 15, cy - 4, 30, 52, 13, "none", ' stroke="%s" stroke-width="5"' % col)
    b += text(cx, cy + 33, "ZEM", 27, col, anchor="middle", spacing=1)
    # the word over the top, letter by letter on an arc (rsvg has no textPath)
    word = "BINAURAL"
    rr = 69.0
    span = 92.0
    for i, ch in enumerate(word):
        a = -span / 2 + span * i / (len(word) - 1)
        ar = math.radians(a)
        x = cx + rr * math.sin(ar)
        y = cy + 2 - rr * math.cos(ar)
        b += ('<text x="0" y="0" %s font-size="18" fill="%s" text-anchor="middle" '
              'transform="translate(%s %s) rotate(%s)">%s</text>\n' % (FONT, col, f(x), f(y), f(a), ch))
    return svg_doc(w, h, b)


def close_icon():
    col = rgb(TEXT)
    b = line(19, 19, 45, 45, col, 5, ' stroke-linecap="round"') + line(45, 19, 19, 45, col, 5, ' stroke-linecap="round"')
    return svg_doc(64, 64, b)


# ---------------------------------------------------------------- slider thumb

def thumb():
    w, h = 124, 148
    cx, cy = 62.0, 74.0          # the cap's indicator line sits exactly on the picture's centre
    cw, ch = 62.0, 92.0
    x0, y0 = cx - cw / 2, cy - ch / 2
    d = [blur_filter("sh", 4.5),
         vgrad("cap", [(0, "#4a525a"), (0.5, "#2c3238"), (0.5001, "#262b31"), (1, "#3a4148")]),
         vgrad("hl", [(0, "rgba(255,255,255,0.22)"), (1, "rgba(255,255,255,0)")])]
    b = rrect(x0 - 1, y0 + 5, cw + 2, ch, 8, "#000", ' opacity="0.55" filter="url(#sh)"')
    b += rrect(x0, y0, cw, ch, 8, "url(#cap)")
    b += rrect(x0 + 1, y0 + 1, cw - 2, 12, 7, "url(#hl)")
    b += rrect(x0 + 0.75, y0 + 0.75, cw - 1.5, ch - 1.5, 7.25, "none", ' stroke="rgba(0,0,0,0.6)" stroke-width="1.5"')
    b += rrect(x0 + 2, y0 + 2, cw - 4, ch - 4, 6, "none", ' stroke="rgba(255,255,255,0.08)" stroke-width="1"')
    for i in range(1, 5):
        for sgn in (-1, 1):
            y = cy + sgn * (8 + i * 7.0)
            b += line(x0 + 10, y, x0 + cw - 10, y, "rgba(0,0,0,0.45)", 1.5)
            b += line(x0 + 10, y + 1.5, x0 + cw - 10, y + 1.5, "rgba(255,255,255,0.07)", 1)
    b += rrect(x0 + 4, cy - 2, cw - 8, 4, 2, rgb(TEAL))
    return svg_doc(w, h, b, "".join(d))


FILES = {
    "Skin-Light.svg": lambda: skin(LIGHT),
    "Skin-Dark.svg": lambda: skin(DARK),
    "Scope-Light.svg": lambda: scope_background(SCOPE_LIGHT),
    "Scope-Dark.svg": lambda: scope_background(SCOPE_DARK),
    "ZemSwitch-On.svg": lambda: zem_switch(True),
    "ZemSwitch-Off.svg": lambda: zem_switch(False),
    "SkinSwitch-Light.svg": lambda: skin_switch(False),
    "SkinSwitch-Dark.svg": lambda: skin_switch(True),
    "Icon-Info.svg": lambda: round_icon("i"),
    "Icon-Help.svg": lambda: round_icon("?"),
    "Icon-Close.svg": close_icon,
    "Product-Wordmark.svg": wordmark,
    "Headphone-Badge.svg": badge,
    "Slider-Thumb.svg": thumb,
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, make in FILES.items():
        with open(os.path.join(OUT, name), "w", encoding="utf-8", newline="\n") as fh:
            fh.write(make())
    return 0


if __name__ == "__main__":
    sys.exit(main())
