#!/usr/bin/env python3
"""Draws the dialogs' artwork: the logon icon (a padlock), the about icon (an "i" in a disc),
both 32 x 32, and the credits picture (154 x 1317, dark text on white). Run once; the results
are committed beside this script and compiled into the library's resources."""
import math
import struct
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# A 5 x 7 font: each glyph is seven rows of five bits.
FONT = {
    'A': "01110 10001 10001 11111 10001 10001 10001", 'B': "11110 10001 10001 11110 10001 10001 11110",
    'C': "01110 10001 10000 10000 10000 10001 01110", 'D': "11110 10001 10001 10001 10001 10001 11110",
    'E': "11111 10000 10000 11110 10000 10000 11111", 'F': "11111 10000 10000 11110 10000 10000 10000",
    'G': "01110 10001 10000 10111 10001 10001 01111", 'H': "10001 10001 10001 11111 10001 10001 10001",
    'I': "01110 00100 00100 00100 00100 00100 01110", 'J': "00111 00010 00010 00010 00010 10010 01100",
    'K': "10001 10010 10100 11000 10100 10010 10001", 'L': "10000 10000 10000 10000 10000 10000 11111",
    'M': "10001 11011 10101 10101 10001 10001 10001", 'N': "10001 11001 10101 10011 10001 10001 10001",
    'O': "01110 10001 10001 10001 10001 10001 01110", 'P': "11110 10001 10001 11110 10000 10000 10000",
    'Q': "01110 10001 10001 10001 10101 10010 01101", 'R': "11110 10001 10001 11110 10100 10010 10001",
    'S': "01111 10000 10000 01110 00001 00001 11110", 'T': "11111 00100 00100 00100 00100 00100 00100",
    'U': "10001 10001 10001 10001 10001 10001 01110", 'V': "10001 10001 10001 10001 10001 01010 00100",
    'W': "10001 10001 10001 10101 10101 10101 01010", 'X': "10001 10001 01010 00100 01010 10001 10001",
    'Y': "10001 10001 01010 00100 00100 00100 00100", 'Z': "11111 00001 00010 00100 01000 10000 11111",
    '0': "01110 10001 10011 10101 11001 10001 01110", '1': "00100 01100 00100 00100 00100 00100 01110",
    '2': "01110 10001 00001 00010 00100 01000 11111", '3': "11111 00010 00100 00010 00001 10001 01110",
    '4': "00010 00110 01010 10010 11111 00010 00010", '5': "11111 10000 11110 00001 00001 10001 01110",
    '6': "00110 01000 10000 11110 10001 10001 01110", '7': "11111 00001 00010 00100 01000 01000 01000",
    '8': "01110 10001 10001 01110 10001 10001 01110", '9': "01110 10001 10001 01111 00001 00010 01100",
    ' ': "00000 00000 00000 00000 00000 00000 00000", '.': "00000 00000 00000 00000 00000 01100 01100",
    '-': "00000 00000 00000 11111 00000 00000 00000", '&': "01100 10010 10100 01000 10101 10010 01101",
}

CREDITS = [
    (2, "ZORUTILITY"), (1, ""), (1, "A TOOLBOX FOR"), (1, "SCRIPTS AND FORMS"), (1, ""), (1, ""),
    (2, "DESIGN"), (1, "THE ZORUTILITY TEAM"), (1, ""),
    (2, "PROGRAMMING"), (1, "FILES AND PATHS"), (1, "DATES AND NUMBERS"), (1, "WEB PAGE HELPERS"),
    (1, "SYSTEM FUNCTIONS"), (1, "SCRAMBLING"), (1, "MULTIMEDIA"), (1, "SETTINGS"),
    (1, "DIALOGS AND FORMS"), (1, "TABLES"), (1, "BITMAPS"), (1, ""),
    (2, "TESTING"), (1, "EVERY METHOD"), (1, "UNDER A REAL CLIENT"), (1, ""),
    (2, "ARTWORK"), (1, "DRAWN BY A SCRIPT"), (1, ""),
    (2, "THANKS"), (1, "TO EVERY USER"), (1, ""), (1, ""),
    (2, "ZORVANE LTD"), (1, ""), (1, "1999 - 2026"),
]


def bmp_1bpp(width, height, pixels, palette):
    """A bottom-up 1-bit BMP; pixels[y][x] is 0 or 1."""
    stride = ((width + 31) // 32) * 4
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if pixels[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        rows += row
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 1, 0, len(rows), 3780, 3780, 2, 2)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + len(info) + len(pal)
    return b'BM' + struct.pack('<IHHI', offset + len(rows), 0, 0, offset) + info + pal + rows


def credits():
    w, h = 154, 1317
    px = [[0] * w for _ in range(h)]
    y = 40
    for scale, text in CREDITS:
        advance = 6 * scale
        x0 = (w - (len(text) * advance - scale)) // 2
        for i, ch in enumerate(text):
            rows = FONT[ch].split()
            for r in range(7):
                for c in range(5):
                    if rows[r][c] == '1':
                        for dy in range(scale):
                            for dx in range(scale):
                                px[y + r * scale + dy][x0 + i * advance + c * scale + dx] = 1
        y += 9 * scale + 14
    assert y < h
    return bmp_1bpp(w, h, px, [(255, 255, 255), (20, 40, 110)])


def icon(paint):
    """A 32 x 32 icon of 32-bit pixels with alpha; paint(x, y) gives (r, g, b, a)."""
    xor = bytearray()
    for y in reversed(range(32)):
        for x in range(32):
            r, g, b, a = paint(x + 0.5, y + 0.5)
            xor += struct.pack('<BBBB', b, g, r, a)
    mask = bytes(32 * 4)  # alpha decides; the AND mask stays clear
    info = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 0, 0, 1, 32, len(image), 22) + image


def padlock(x, y):
    body = 7 <= x <= 25 and 14 <= y <= 28
    ring = 5.0 <= math.hypot(x - 16, y - 13) <= 8.0 and y <= 14
    hole = math.hypot(x - 16, y - 19) <= 2.2 or (15 <= x <= 17 and 19 <= y <= 24)
    if body and hole:
        return (60, 40, 0, 255)
    if body:
        shade = 200 + int(40 * (x - 7) / 18)
        return (min(shade, 255), 170, 20, 255)
    if ring:
        return (120, 120, 130, 255)
    return (0, 0, 0, 0)


def info_disc(x, y):
    d = math.hypot(x - 16, y - 16)
    if d > 14.5:
        return (0, 0, 0, 0)
    dot = math.hypot(x - 16, y - 9) <= 2.3
    stem = 14 <= x <= 18 and 13 <= y <= 24
    foot = 12 <= x <= 20 and 23 <= y <= 25
    if dot or stem or foot:
        return (255, 255, 255, 255)
    return (30, 80, 190, 255) if d < 13.5 else (15, 40, 120, 255)


for name, data in (("credits.bmp", credits()), ("logon.ico", icon(padlock)), ("about.ico", icon(info_disc))):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)
