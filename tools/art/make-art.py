#!/usr/bin/env python3
"""Draws the flasher's pictures: the two banner bitmaps (8 bits per pixel)
and the program icon (32 x 32 and 16 x 16, 16 colours). Run it after a
change and commit what it writes:

    tools/art/make-art.py app/res
"""
import struct
import sys

# 5 x 7 capitals, one string of five columns' bits per row.
GLYPHS = {
    'A': ['01110', '10001', '10001', '11111', '10001', '10001', '10001'],
    'D': ['11110', '10001', '10001', '10001', '10001', '10001', '11110'],
    'E': ['11111', '10000', '10000', '11110', '10000', '10000', '11111'],
    'F': ['11111', '10000', '10000', '11110', '10000', '10000', '10000'],
    'G': ['01110', '10001', '10000', '10111', '10001', '10001', '01111'],
    'I': ['01110', '00100', '00100', '00100', '00100', '00100', '01110'],
    'K': ['10001', '10010', '10100', '11000', '10100', '10010', '10001'],
    'M': ['10001', '11011', '10101', '10101', '10001', '10001', '10001'],
    'O': ['01110', '10001', '10001', '10001', '10001', '10001', '01110'],
    'P': ['11110', '10001', '10001', '11110', '10000', '10000', '10000'],
    'R': ['11110', '10001', '10001', '11110', '10100', '10010', '10001'],
    'U': ['10001', '10001', '10001', '10001', '10001', '10001', '01110'],
    'W': ['10001', '10001', '10001', '10101', '10101', '10101', '01010'],
    '1': ['00100', '01100', '00100', '00100', '00100', '00100', '01110'],
    '8': ['01110', '10001', '10001', '01110', '10001', '10001', '01110'],
    '-': ['00000', '00000', '00000', '11111', '00000', '00000', '00000'],
    ' ': ['00000'] * 7,
}


def blend(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def draw_text(pixels, width, height, text, x, y, scale, colour):
    for ch in text:
        rows = GLYPHS[ch]
        for row, bits in enumerate(rows):
            for col, bit in enumerate(bits):
                if bit != '1':
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        px, py = x + col * scale + dx, y + row * scale + dy
                        if 0 <= px < width and 0 <= py < height:
                            pixels[py][px] = colour
        x += 6 * scale


def disc(pixels, width, height, cx, cy, radius, palette_of):
    for y in range(height):
        for x in range(width):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= radius:
                pixels[y][x] = palette_of(d / radius)


def banner(width, height):
    """A dark blue band, lighter to the right, a disc at the left and the
    product's name in white."""
    navy, teal, white, silver = (16, 32, 96), (24, 120, 160), (255, 255, 255), (200, 210, 220)
    palette = [blend(navy, teal, i / 199) for i in range(200)]
    palette += [blend(silver, white, i / 39) for i in range(40)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    pixels = [[(x * 199) // (width - 1) for x in range(width)] for _ in range(height)]
    radius = height // 2 - 2
    disc(pixels, width, height, 4 + radius, height // 2, radius,
         lambda r: 200 + int(39 * (1 - r)) if r > 0.28 else 0)
    left = 12 + 2 * radius
    if height >= 33:
        # The model in double size, the rest beside it.
        draw_text(pixels, width, height, 'OD-K818R', left, (height - 14) // 2, 2, 239)
        draw_text(pixels, width, height, 'FIRMWARE UPGRADE', left + 8 * 12 + 6, (height - 7) // 2,
                  1, 239)
    else:
        draw_text(pixels, width, height, 'OD-K818R FIRMWARE UPGRADE', left, (height - 7) // 2, 1,
                  239)
    return palette, pixels




def write_bmp8(path, width, height, palette, pixels):
    stride = (width + 3) & ~3
    image = bytearray()
    for row in reversed(pixels):
        image += bytes(row) + bytes(stride - width)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(image), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(image), 2835, 2835, 256, 0)
    with open(path, 'wb') as out:
        out.write(header + info + table + image)


# The 16 colours of the standard VGA palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def icon_image(size):
    """A silver disc with a blue label ring and a yellow arrow pointing down
    into it: firmware going into the drive. None is transparent."""
    pixels = [[None] * size for _ in range(size)]
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5 / (size / 2)
            if d <= 0.97:
                pixels[y][x] = 8 if d > 0.9 else 7 if d > 0.55 else 12 if d > 0.3 else 15
                if d <= 0.12:
                    pixels[y][x] = None
    # Arrow: a shaft and a head, in the upper right quarter.
    unit = size // 16
    for y in range(0, 6 * unit):
        for x in range(11 * unit, 13 * unit):
            pixels[y][x] = 11
    for row in range(3 * unit):
        for x in range(9 * unit + row, 15 * unit - row):
            pixels[6 * unit + row][x] = 11
    return pixels


def icon_entry(size):
    pixels = icon_image(size)
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(pixels):
        for x in range(0, size, 2):
            hi, lo = row[x] or 0, row[x + 1] or 0
            xor.append((hi << 4) | lo)
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0,
                       16, 0)
    return info + table + bytes(xor) + bytes(mask)


def write_icon(path, sizes):
    entries = [icon_entry(size) for size in sizes]
    offset = 6 + 16 * len(entries)
    directory = struct.pack('<HHH', 0, 1, len(entries))
    for size, data in zip(sizes, entries):
        directory += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as out:
        out.write(directory + b''.join(entries))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else '.'
    for name, width, height in (('BannerSmall.bmp', 255, 29), ('BannerLarge.bmp', 320, 33)):
        palette, pixels = banner(width, height)
        write_bmp8(f'{folder}/{name}', width, height, palette, pixels)
    write_icon(f'{folder}/Program.ico', (32, 16))


if __name__ == '__main__':
    main()
