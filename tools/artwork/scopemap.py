"""The scope's point mapping, transcribed from the vertex program, in canvas pixels of the 798 x 632 scope."""
import math

SCOPE_W, SCOPE_H = 798, 632
PI = 3.141592  # the vertex program's own constant


def _rot(p, deg):
    r = PI * (deg / 180.0)
    c, s = math.cos(r), math.sin(r)
    return (p[0] * c - p[1] * s, p[0] * s + p[1] * c)


def gl_to_px(gx, gy):
    return ((gx + 1.0) * 0.5 * SCOPE_W, (1.0 - gy) * 0.5 * SCOPE_H)


def map_point(x, y, z, zem_on, aspect=SCOPE_W / SCOPE_H):
    """Returns gl coordinates of a scope point (x, y, side code z)."""
    left = math.fmod(z, 2.0) == 0.0  # isSpeakerLeft: z = 2 or -2
    p = (x, y)
    if zem_on:
        p = _rot(p, -45 if left else 45)
        if p[1] > 0.0:
            p = (-p[0], -p[1])
        p = (p[0] * 2.0, p[1])
        py = -math.log(abs(p[1] * 100.0) + 1.0)
        if abs(py) < 0.001:
            py = 100.0
        p = (p[0] * 4.0, py * 0.67)
        p = _rot(p, 30 if left else -30)
        p = (p[0] - 0.76 + (0.0 if left else 0.76 * 1.98), p[1] + 0.59)
        return (-p[0], p[1] * aspect)
    p = (-p[0], p[1])
    p = _rot(p, -90 if left else 90)
    return (p[0] + 1.0 - (0.0 if left else 2.0), p[1] - 0.9)


def uv_to_px(u, v, left):
    """Pixel position of the intermediate point (u, v) (after the log step) of one side, at the design aspect."""
    p = _rot((u, v), 30 if left else -30)
    p = (p[0] - 0.76 + (0.0 if left else 0.76 * 1.98), p[1] + 0.59)
    return gl_to_px(-p[0], p[1] * SCOPE_W / SCOPE_H)


def level_to_v(db):
    """v of a point whose far-ear sample has magnitude 10^(db/20): y' = |b| / sqrt 2."""
    return -0.67 * math.log(100.0 * (10.0 ** (db / 20.0)) / math.sqrt(2.0) + 1.0)


if __name__ == "__main__":
    print(map_point(0, 0.01, 1, True, 1.0), "expect (-0.6146, 0.2514)")
    print(map_point(0, 0.01, 2, True, 1.0), "expect (0.6298, 0.2514)")
    print(map_point(0, 0.0, 1, True, 1.0), "expect (-34.24, 58.61)")
    print(map_point(0, 0.01, 1, False), "expect (-1.0100, -0.9000)")
    print(map_point(0, -0.01, 2, False), "expect (0.9900, -0.9000)")
    print("apex L", uv_to_px(0, 0, False), "apex R", uv_to_px(0, 0, True))
    # a side-0 point with a = ipsi, b = contra: y' = b / sqrt2
    a, b = 0.02, 0.03
    x, y = (b - a) * 0.5, (a + b) * 0.5
    print(gl_to_px(*map_point(x, y, 1, True)), uv_to_px(8 * a / math.sqrt(2), level_to_v(20 * math.log10(b)), False))
    for db in (-60, -50, -40, -30, -25, -20, -18):
        print(db, uv_to_px(0, level_to_v(db), False))
