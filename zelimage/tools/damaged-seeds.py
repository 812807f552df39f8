#!/usr/bin/env python3
"""Adds damaged pictures to a fuzz corpus, made from the good seeds in it.

    damaged-seeds.py FORMAT DIR      (FORMAT: bmp, jpg, png or gif)

For every format: the files cut short at a few points. Then, per format,
headers that promise absurd sizes (zero, negative, far beyond memory; for
PNG also a chunk length), and
for JPEG a file whose headers are whole but whose scan is broken. The
fuzzer starts from these, so the paths that refuse bad input are walked from
the first run on. Files already present are left as they are.
"""
import os
import struct
import sys
import zlib


def save(directory, name, data):
    path = os.path.join(directory, name)
    if not os.path.exists(path):
        with open(path, "wb") as f:
            f.write(data)


def truncations(directory, name, data):
    stem = os.path.splitext(name)[0]
    ext = os.path.splitext(name)[1]
    for cut in (len(data) // 4, len(data) // 2, len(data) * 3 // 4, len(data) - 1):
        if 0 < cut < len(data):
            save(directory, "cut%d-%s%s" % (cut, stem, ext), data[:cut])


def bmp_sizes(data):
    # BITMAPINFOHEADER: width at 18, height at 22 (signed), bits at 28.
    for tag, width, height in (("huge", 0x7FFFFFFF, 0x7FFFFFFF), ("negative", -5, 7),
                               ("topdown-min", 16, -0x80000000), ("zero", 0, 8),
                               ("wide", 0x40000000, 1)):
        yield tag, data[:18] + struct.pack("<ii", width, height) + data[26:]
    yield "offset-past-end", data[:10] + struct.pack("<I", 0xFFFFFF00) + data[14:]
    yield "no-bits", data[:28] + struct.pack("<H", 0) + data[30:]


def jpeg_segments(data):
    """(marker, start, end) of each segment up to and including SOS."""
    at = 2
    while at + 4 <= len(data) and data[at] == 0xFF:
        marker = data[at + 1]
        length = struct.unpack(">H", data[at + 2:at + 4])[0]
        yield marker, at, at + 2 + length
        if marker == 0xDA:
            return
        at += 2 + length


def jpeg_sizes(data):
    for marker, start, _ in jpeg_segments(data):
        if marker in (0xC0, 0xC1, 0xC2):
            # SOFn: precision at +4, height at +5, width at +7.
            for tag, width, height in (("huge", 0xFFFF, 0xFFFF), ("zero", 0, 0), ("tall", 1, 0xFFFF)):
                yield tag, data[:start + 5] + struct.pack(">HH", height, width) + data[start + 9:]
            return


def jpeg_broken_scans(data):
    scan = [end for marker, _, end in jpeg_segments(data) if marker == 0xDA]
    if not scan:
        return
    headers, body = data[:scan[0]], data[scan[0]:]
    body = body[:-2] if body.endswith(b"\xff\xd9") else body
    garbage = bytes((i * 151 + 7) & 0xFF for i in range(len(body)))
    yield "scan-garbage", headers + garbage.replace(b"\xff", b"\xfe") + b"\xff\xd9"
    yield "scan-stops", headers + body[:len(body) // 3] + b"\xff\xd9"
    yield "scan-bad-restart", headers + body[:len(body) // 2] + b"\xff\xd5" + body[len(body) // 2:] + b"\xff\xd9"
    yield "scan-empty", headers + b"\xff\xd9"


def png_chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def png_sizes(data):
    # The first chunk is IHDR: width and height at 16, then depth and colour type.
    rest = data[16 + 8:]
    tail = data[8 + 8 + 13 + 4:]
    for tag, width, height in (("huge", 0x7FFFFFFF, 0x7FFFFFFF), ("zero", 0, 4),
                               ("wide", 0x00FFFFFF, 1), ("signbit", 0x80000000, 1)):
        ihdr = struct.pack(">II", width, height) + rest[:5]
        yield tag, data[:8] + png_chunk(b"IHDR", ihdr) + tail
    yield "crc-wrong", data[:29] + b"\0\0\0\0" + data[33:]
    # A text chunk that claims 1.8 GB, right after IHDR.
    yield "text-claims-gigabytes", data[:33] + struct.pack(">I", 0x70600000) + b"tEXtI\x18:" + data[33:]


def gif_sizes(data):
    # Logical screen at 6; the first image descriptor follows the colour table.
    flags = data[10]
    table = 3 * (2 << (flags & 7)) if flags & 0x80 else 0
    at = 13 + table
    while at < len(data) and data[at] == 0x21:  # skip extensions
        at += 2
        while at < len(data) and data[at]:
            at += data[at] + 1
        at += 1
    for tag, width, height in (("huge", 0xFFFF, 0xFFFF), ("zero", 0, 0)):
        screen = data[:6] + struct.pack("<HH", width, height) + data[10:]
        yield "screen-" + tag, screen
        if at < len(data) and data[at] == 0x2C:
            yield "frame-" + tag, data[:at + 5] + struct.pack("<HH", width, height) + data[at + 9:]
    if at < len(data) and data[at] == 0x2C:
        yield "frame-outside", data[:at + 1] + struct.pack("<HH", 0xFFF0, 0xFFF0) + data[at + 5:]


DAMAGE = {
    "bmp": [bmp_sizes],
    "jpg": [jpeg_sizes, jpeg_broken_scans],
    "png": [png_sizes],
    "gif": [gif_sizes],
}


def main():
    fmt, directory = sys.argv[1], sys.argv[2]
    seeds = sorted(n for n in os.listdir(directory)
                   if n.endswith("." + fmt) and not n.startswith(("cut", "bad-")))
    for name in seeds:
        with open(os.path.join(directory, name), "rb") as f:
            data = f.read()
        truncations(directory, name, data)
        stem = os.path.splitext(name)[0]
        for damage in DAMAGE[fmt]:
            try:
                for tag, bad in damage(data):
                    save(directory, "bad-%s-%s.%s" % (tag, stem, fmt), bad)
            except (IndexError, struct.error):
                pass  # a seed too odd to damage this way


if __name__ == "__main__":
    main()
