#!/usr/bin/env python3
"""Re-encodes rsvg-convert's PNG output without depending on ImageMagick.

  pngtool.py rgba IN.png OUT.png   8-bit RGBA PNG (colour type 6), no ancillary chunks
  pngtool.py ppm  IN.png OUT.ppm   binary PPM for cjpeg (alpha composited over black; skins are opaque)
  pngtool.py half IN.png OUT.png   2x2 box-filtered half-size RGBA copy, for looking at the half scale

rsvg-convert writes RGB when a picture happens to be opaque; the plug-in expects RGBA for every
PNG, and writing the file ourselves keeps it free of timestamps, so renders are byte-for-byte stable.
"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as fh:
        data = fh.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG: " + path)
    pos, idat = 8, []
    width = height = depth = ctype = interlace = None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
    if depth != 8 or ctype not in (2, 6) or interlace != 0:
        raise ValueError("unsupported PNG layout in %s (depth %s, type %s)" % (path, depth, ctype))
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    out = bytearray(height * stride)
    prev = bytearray(stride)
    p = 0
    for y in range(height):
        ft = raw[p]
        line = bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        if ft == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 255
        elif ft == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 255
        elif ft == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 255
        elif ft == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                pr = a if (pa <= pb and pa <= pc) else (b if pb <= pc else c)
                line[i] = (line[i] + pr) & 255
        elif ft != 0:
            raise ValueError("bad filter %d" % ft)
        out[y * stride:(y + 1) * stride] = line
        prev = line
    if bpp == 3:
        rgba = bytearray(width * height * 4)
        rgba[0::4], rgba[1::4], rgba[2::4] = out[0::3], out[1::3], out[2::3]
        rgba[3::4] = b"\xff" * (width * height)
        out = rgba
    return width, height, bytes(out)


def _chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def write_png_rgba(path, width, height, rgba):
    stride = width * 4
    rows = []
    prev = bytes(stride)
    for y in range(height):
        line = rgba[y * stride:(y + 1) * stride]
        # "Up" filtering compresses flat artwork well and is cheap to compute in pure Python.
        up = bytes((a - b) & 255 for a, b in zip(line, prev))
        cost = lambda row: sum(v if v < 128 else 256 - v for v in row)
        rows.append(b"\x02" + up if cost(up) < cost(line) else b"\x00" + line)
        prev = line
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", ihdr) + _chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + _chunk(b"IEND", b"")
    with open(path, "wb") as fh:
        fh.write(png)


def write_ppm(path, width, height, rgba):
    rgb = bytearray(width * height * 3)
    a = rgba[3::4]
    for c in range(3):
        ch = rgba[c::4]
        rgb[c::3] = bytes((v * al + 127) // 255 for v, al in zip(ch, a)) if min(a) < 255 else ch
    with open(path, "wb") as fh:
        fh.write(b"P6\n%d %d\n255\n" % (width, height) + bytes(rgb))


def half(width, height, rgba):
    w2, h2 = width // 2, height // 2
    out = bytearray(w2 * h2 * 4)
    s = width * 4
    for y in range(h2):
        r0, r1 = 2 * y * s, (2 * y + 1) * s
        for x in range(w2):
            i = 8 * x
            for c in range(4):
                out[(y * w2 + x) * 4 + c] = (rgba[r0 + i + c] + rgba[r0 + i + 4 + c] + rgba[r1 + i + c] + rgba[r1 + i + 4 + c] + 2) >> 2
    return w2, h2, bytes(out)


def main(argv):
    mode, src, dst = argv[1:4]
    w, h, rgba = read_png(src)
    if mode == "rgba":
        write_png_rgba(dst, w, h, rgba)
    elif mode == "ppm":
        write_ppm(dst, w, h, rgba)
    elif mode == "half":
        write_png_rgba(dst, *half(w, h, rgba))
    else:
        raise SystemExit("unknown mode " + mode)


if __name__ == "__main__":
    main(sys.argv)
