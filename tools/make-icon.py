#!/usr/bin/env python3
"""Writes a Windows .ico with 16-colour images from a text drawing (resources/icon.txt)."""
import struct
import sys

# The 16 standard colours in palette order, with the drawing's letters.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
LETTERS = {"k": 0, "g": 2, "o": 3, "l": 10, "y": 11, "w": 15}


def read_images(path):
    images, rows, size = [], None, 0
    for line in open(path, encoding="ascii"):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        if line.startswith("size "):
            size = int(line.split()[1])
            rows = []
            images.append((size, rows))
            continue
        if rows is None or len(line) != size:
            sys.exit(f"{path}: row of {len(line)} pixels in an image of size {size}")
        for c in line:
            if c != "." and c not in LETTERS:
                sys.exit(f"{path}: unknown colour {c!r}")
        rows.append(line)
    for size, rows in images:
        if len(rows) != size:
            sys.exit(f"{path}: image of size {size} has {len(rows)} rows")
    return images


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4  # rows are padded to 32 bits


def image_data(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor, mask = b"", b""
    for line in reversed(rows):  # bottom-up
        pixels = [LETTERS.get(c, 0) for c in line]
        packed = bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, size, 2))
        xor += packed.ljust(row_bytes(size * 4), b"\0")
        bits = 0
        for c in line:
            bits = (bits << 1) | (c == ".")
        mask += bits.to_bytes(size // 8, "big").ljust(row_bytes(size), b"\0")
    return header + palette + xor + mask


def main():
    source, target = sys.argv[1], sys.argv[2]
    images = read_images(source)
    blobs = [image_data(size, rows) for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(target, "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
