#!/usr/bin/env python3
"""Draws the program's icon in every size the platforms need from its one
source, resources/icons/kumoden.svg: PNG files of 16, 24, 32, 48 and 256
pixels (the Linux desktop, the Qt build) and kumoden.ico with all of them
(the Windows resource: 32-bit bitmaps up to 48 pixels, PNG at 256).

Needs rsvg-convert (Debian: librsvg2-bin). The results are committed; run
this again after changing the source.
"""
import pathlib
import struct
import subprocess
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
ICONS = pathlib.Path(__file__).resolve().parent.parent / "resources" / "icons"


def render(size: int) -> bytes:
    out = ICONS / f"kumoden-{size}.png"
    subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(out),
                    str(ICONS / "kumoden.svg")], check=True)
    return out.read_bytes()


def rgba_rows(png: bytes):
    """The pixel rows of an 8-bit RGBA, non-interlaced PNG (what rsvg-convert writes)."""
    assert png[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, data, width, height = 8, b"", 0, 0
    while at < len(png):
        length, kind = struct.unpack(">I4s", png[at:at + 8])
        body = png[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 6, 0), "expected 8-bit RGBA without interlace"
        elif kind == b"IDAT":
            data += body
        at += 12 + length
    raw = zlib.decompress(data)
    stride = width * 4
    rows, previous = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(stride):
            left = row[x - 4] if x >= 4 else 0
            up = previous[x]
            corner = previous[x - 4] if x >= 4 else 0
            if kind == 1:
                row[x] = (row[x] + left) & 0xFF
            elif kind == 2:
                row[x] = (row[x] + up) & 0xFF
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                row[x] = (row[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append(bytes(row))
        previous = row
    return width, height, rows


def bitmap_entry(png: bytes) -> bytes:
    """An icon image as a 32-bit bitmap: bottom-up BGRA, then the 1-bit mask."""
    width, height, rows = rgba_rows(png)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def main() -> int:
    images = []
    for size in SIZES:
        png = render(size)
        images.append((size, png if size >= 256 else bitmap_entry(png)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = b""
    for size, blob in images:
        side = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset + len(blobs))
        blobs += blob
    (ICONS / "kumoden.ico").write_bytes(directory + blobs)
    print(f"make-icons.py: {', '.join(str(s) for s in SIZES)} px and kumoden.ico in {ICONS}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
