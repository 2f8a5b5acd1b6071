#!/usr/bin/env python3
"""Writes a 4000 x 3000 test picture as a binary PPM (for cjpeg) and as a GIF with a 256-colour
table, LZW-compressed (real code growth and clear codes), for the image decoding comparison.

usage: make_images.py OUT.ppm OUT.gif
"""
import random
import struct
import sys

WIDTH, HEIGHT = 4000, 3000


def picture():
    """Smooth gradients with noise and a few hard-edged blocks, like photos and drawings mixed."""
    rng = random.Random(16)
    rows = []
    for y in range(HEIGHT):
        row = bytearray(WIDTH)
        for x in range(WIDTH):
            value = ((x * 7) // 64 + (y * 5) // 64) % 216
            if (x // 250 + y // 250) % 3 == 0:
                value = (value + rng.randrange(8)) % 216
            row[x] = value
        rows.append(bytes(row))
    return rows


def palette():
    return [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)] + [
        (0, 0, 0)
    ] * 40


def lzw(indices, minimum=8):
    clear, end = 1 << minimum, (1 << minimum) + 1
    out, bits, count = bytearray(), 0, 0
    size = minimum + 1

    def put(code):
        nonlocal bits, count
        bits |= code << count
        count += size
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    table = {bytes([i]): i for i in range(clear)}
    next_code = end + 1
    put(clear)
    current = b""
    for value in indices:
        candidate = current + bytes([value])
        if candidate in table:
            current = candidate
            continue
        put(table[current])
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            put(clear)
            table = {bytes([i]): i for i in range(clear)}
            next_code, size = end + 1, minimum + 1
        current = bytes([value])
    put(table[current])
    put(end)
    if count:
        out.append(bits & 0xFF)
    return out


def main():
    ppm_path, gif_path = sys.argv[1:3]
    rows = picture()
    colours = palette()
    with open(ppm_path, "wb") as ppm:
        ppm.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT))
        for row in rows:
            ppm.write(bytes(c for v in row for c in colours[v]))
    write_gif(gif_path, WIDTH, HEIGHT, colours, rows)


def write_gif(path, width, height, colours, rows):
    """A GIF89a of one image: a 256-entry global table and one index byte per pixel."""
    data = lzw(b"".join(rows))
    with open(path, "wb") as gif:
        gif.write(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0))
        gif.write(bytes(c for rgb in colours for c in rgb))
        gif.write(b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08")
        for at in range(0, len(data), 255):
            block = data[at : at + 255]
            gif.write(bytes([len(block)]) + block)
        gif.write(b"\x00\x3b")


if __name__ == "__main__":
    main()
