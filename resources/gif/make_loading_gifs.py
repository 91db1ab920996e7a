#!/usr/bin/env python3
"""Draws the two loading animations the main program plays as GIF files (Qt reads GIF but cannot
write it): a ring of eight dots whose bright dot turns once round in twelve frames.

  loading_gif.gif  60 x 60, the fixing dialog's animation
  loading.gif      48 x 48, the splash window's animation

Run it from anywhere; it writes both into resources/program/res/, which the build copies into the
program folder's res/ as they are."""

import math
import os
import struct

PALETTE = [(0x27, 0x2d, 0x3b), (0x3a, 0x42, 0x56), (0x15, 0x9e, 0x93), (0x1b, 0xe1, 0xd0)]
DOTS = 8
FRAMES = 12
FRAME_DELAY_CS = 8


def frame_pixels(size, step):
    """Palette indexes of one frame: the background (transparent), dim dots, and a bright head with
    its tail."""
    pixels = bytearray(size * size)
    centre = (size - 1) / 2
    ring = size * 0.34
    radius = size * 0.085
    head = step * DOTS / FRAMES
    for dot in range(DOTS):
        angle = 2 * math.pi * dot / DOTS - math.pi / 2
        cx, cy = centre + ring * math.cos(angle), centre + ring * math.sin(angle)
        behind = (head - dot) % DOTS
        colour = 3 if behind < 1 else 2 if behind < 2 else 1
        for y in range(size):
            for x in range(size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2:
                    pixels[y * size + x] = colour
    return bytes(pixels)


def lzw(pixels, min_code_size):
    """The GIF flavour of LZW: variable-width codes, least significant bit first."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    table = {bytes([i]): i for i in range(clear)}
    width, next_code = min_code_size + 1, end + 1
    out, bits, bit_count = bytearray(), 0, 0

    def emit(code):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    emit(clear)
    prefix = b""
    for value in pixels:
        candidate = prefix + bytes([value])
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix])
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table = {bytes([i]): i for i in range(clear)}
            width, next_code = min_code_size + 1, end + 1
        prefix = bytes([value])
    emit(table[prefix])
    emit(end)
    if bit_count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    return b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255)) + b"\0"


def write_gif(path, size):
    gif = bytearray(b"GIF89a")
    gif += struct.pack("<HHBBB", size, size, 0xF1, 0, 0)
    for colour in PALETTE:
        gif += bytes(colour)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for step in range(FRAMES):
        gif += b"\x21\xF9\x04\x09" + struct.pack("<H", FRAME_DELAY_CS) + b"\x00\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, size, size, 0)
        gif += b"\x02" + sub_blocks(lzw(frame_pixels(size, step), 2))
    gif += b"\x3B"
    with open(path, "wb") as file:
        file.write(gif)


if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "program", "res")
    write_gif(os.path.join(folder, "loading_gif.gif"), 60)
    write_gif(os.path.join(folder, "loading.gif"), 48)
