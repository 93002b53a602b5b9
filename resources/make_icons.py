#!/usr/bin/env python3
"""Draws the program's icons and bitmaps from the character grids below.

Usage: make_icons.py <output folder>

Writes sorvane.ico (16x16 and 32x32), toolbar.bmp (seven 16x16 images side by side, magenta
background as the mask colour), preview.ico, save.ico, and the two 16-colour list-box bitmaps
truetype.bmp and devicetype.bmp. Only the standard library is used: the files are put together
byte by byte.
"""
import os
import struct
import sys

# Colours of the pixel grids, as (red, green, blue). "." is transparent.
PALETTE = {
    'k': (0, 0, 0),
    'd': (64, 64, 64),
    'g': (128, 128, 128),
    'l': (192, 192, 192),
    'w': (255, 255, 255),
    'n': (0, 0, 128),
    'b': (40, 90, 200),
    'B': (150, 190, 240),
    'r': (220, 0, 0),
    'D': (128, 0, 0),
    'R': (240, 130, 150),
    'G': (0, 150, 0),
    'y': (255, 215, 0),
    'o': (230, 170, 40),
    'O': (150, 95, 20),
    'p': (240, 200, 150),
}

MAGENTA = (255, 0, 255)

MAIN_ICON_32 = [
    "................................",
    "...dddddddddddddddddd...........",
    "...dwwwwwwwwwwwwwwwwdd..........",
    "...dwwwwwwwwwwwwwwwwdld.........",
    "...dwwwwwwwwwwwwwwwwdlld........",
    "...dwwwwwwwwwwwwwwwwdllld.......",
    "...dwwwwwwwwwwwwwwwwdlllld......",
    "...dwwwwwwwwwwwwwwwwdllllld.....",
    "...dwwwwwwwwwwwwwwwwdlllllld....",
    "...dwwwwwwwwwnnnnnwwddddddddd...",
    "...dwwwwwwwwwnnnnnwwwwwwwwwwd...",
    "...dwwwwwwwwnnnnnnnwwwwwwwwwd...",
    "...dwwwwwwwwnnnwnnnwwwwwwwwwd...",
    "...dwwwwwwwnnnnwnnnnwwwwwwwwd...",
    "...dwwwwwwwnnnnwnnnnwwwwwwwwd...",
    "...dwwwwwwwnnnwwwnnnwwwwwwwwd...",
    "...dwwwwwwnnnnwwwnnnnwwwwwwwd...",
    "...dwwwwwwnnnnwwwnnnnwwwwwwwd...",
    "...dwwwwwwnnnwwwwwnnnwwwwwwwd...",
    "...dwwwwwnnnnwwwwwnnnnwwwwwwd...",
    "...dwwwwwnnnnnnnnnnnnnwwwwwwd...",
    "...dwwwwwnnnnnnnnnnnnnwwwwwwd...",
    "...dwwwwnnnnnnnnnnnnnnnwwwwwd...",
    "...dwwwwnnnnwwwwwwwnnnnwwwwwd...",
    "...dwwwwnnnwwwwwwwwwnnnwwwwwd...",
    "...dwwwnnnnwwwwwwwwwnnnnwwwwd...",
    "...dwwwnnnnwwwwwwwwwnnnnwwwwd...",
    "...dwwnnnnnnwwwwwwwnnnnnnwwwd...",
    "...dwwwwwwwwwwwwwwwwwwwwwwwwd...",
    "...dwwwwwwwwwwwwwwwwwwwwwwwwd...",
    "...dddddddddddddddddddddddddd...",
    "................................",
]

MAIN_ICON_16 = [
    ".ddddddddddd....",
    ".dwwwwwwwwwdd...",
    ".dwwwwwwwwwdld..",
    ".dwwwwwwwwwdddd.",
    ".dwwwwwnnwwwwwd.",
    ".dwwwwnnnnwwwwd.",
    ".dwwwwnnnnwwwwd.",
    ".dwwwnnwwnnwwwd.",
    ".dwwwnnwwnnwwwd.",
    ".dwwnnnnnnnnwwd.",
    ".dwwnnwwwwnnwwd.",
    ".dwnnwwwwwwnnwd.",
    ".dwnnwwwwwwnnwd.",
    ".dwwwwwwwwwwwwd.",
    ".dwwwwwwwwwwwwd.",
    ".dddddddddddddd.",
]

# Toolbar strip, image index = position in this list.
TOOLBAR = [
    [   # 0: quit - a door with an arrow leading out
        "................",
        "..dddddddd......",
        "..dOOOOOOd......",
        "..dOooooOd......",
        "..dOooooOd......",
        "..dOooooOd..G...",
        "..dOooooOd..GG..",
        "..dOooyoGGGGGGG.",
        "..dOooyoGGGGGGGG",
        "..dOooooGGGGGGG.",
        "..dOooooOd..GG..",
        "..dOooooOd..G...",
        "..dOooooOd......",
        "..dOOOOOOd......",
        "..dddddddd......",
        "................",
    ],
    [   # 1: not shown by any item - a blank page
        "................",
        "..kkkkkkkk......",
        "..kwwwwwwkk.....",
        "..kwwwwwwkwk....",
        "..kwwwwwwkkkk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kwwwwwwwwwk...",
        "..kkkkkkkkkkk...",
        "................",
    ],
    [   # 2: version information - an "i" in a blue disc
        "................",
        ".....bbbbbb.....",
        "...bbbbbbbbbb...",
        "..bbbbbwwbbbbb..",
        ".bbbbbbwwbbbbbb.",
        ".bbbbbbbbbbbbbb.",
        "bbbbbbwwwbbbbbbb",
        "bbbbbbbwwbbbbbbb",
        "bbbbbbbwwbbbbbbb",
        "bbbbbbbwwbbbbbbb",
        ".bbbbbbwwbbbbbb.",
        ".bbbbbwwwwbbbbb.",
        "..bbbbbbbbbbbb..",
        "...bbbbbbbbbb...",
        ".....bbbbbb.....",
        "................",
    ],
    [   # 3: stop - a red octagon with a white bar
        "................",
        ".....DDDDDD.....",
        "....DrrrrrrD....",
        "...DrrrrrrrrD...",
        "..DrrrrrrrrrrD..",
        ".DrrrrrrrrrrrrD.",
        ".DrrrrrrrrrrrrD.",
        ".DrrwwwwwwwwrrD.",
        ".DrrwwwwwwwwrrD.",
        ".DrrrrrrrrrrrrD.",
        ".DrrrrrrrrrrrrD.",
        "..DrrrrrrrrrrD..",
        "...DrrrrrrrrD...",
        "....DrrrrrrD....",
        ".....DDDDDD.....",
        "................",
    ],
    [   # 4: fonts not installed - a folder holding an "A"
        "................",
        "................",
        ".OOOOO..........",
        "OyyyyyO.........",
        "OyyyyyOOOOOOOOO.",
        "OyyyyyyyyyyyyyO.",
        "OyyyyyyynyyyyyO.",
        "OyyyyyynnnyyyyO.",
        "OyyyyyynynyyyyO.",
        "OyyyyynnynnyyyO.",
        "OyyyyynnnnnyyyO.",
        "OyyyynnyyynnyyO.",
        "OyyyynnyyynnyyO.",
        "OyyyyyyyyyyyyyO.",
        "OOOOOOOOOOOOOOO.",
        "................",
    ],
    [   # 5: installed fonts - an "A" with a check mark
        "................",
        ".....nn.........",
        ".....nn.........",
        "....nnnn........",
        "....nnnn........",
        "...nn..nn.......",
        "...nn..nn.......",
        "..nnnnnnnn.....G",
        "..nn....nn....GG",
        ".nn......nn..GG.",
        ".nn......nn.GG..",
        ".......G...GG...",
        ".......GG.GG....",
        "........GGG.....",
        ".........G......",
        "................",
    ],
    [   # 6: list drawn in its own faces - a "T" over "Aa"
        "................",
        "...kkkkkkkkkk...",
        "...kkkkkkkkkk...",
        "...k...kk...k...",
        ".......kk.......",
        ".......kk.......",
        ".......kk.......",
        "......kkkk......",
        "................",
        "....n...........",
        "...n.n..........",
        "...n.n....rrr...",
        "..n...n......r..",
        "..nnnnn...rrrr..",
        ".n.....n.r...r..",
        ".n.....n..rrrr..",
    ],
]

PREVIEW_ICON = [  # a pencil
    "...........d....",
    "..........dRd...",
    ".........dRRRd..",
    "........dllRRRd.",
    ".......doollRRRd",
    "......dooyyllRd.",
    ".....dooyyyold..",
    "....dooyyyood...",
    "...dooyyyood....",
    "..dooyyyood.....",
    "..dpyyyood......",
    ".dpppyood.......",
    ".dkpppod........",
    ".dkkpdd.........",
    "dkddd...........",
    ".d..............",
]

SAVE_ICON = [  # a floppy disk
    "................",
    ".nnnnnnnnnnnnn..",
    ".nbwwwwwwwwwbnn.",
    ".nbwwwwwwwwwbbn.",
    ".nbwgggggggwbbn.",
    ".nbwwwwwwwwwbbn.",
    ".nbwgggggggwbbn.",
    ".nbwwwwwwwwwbbn.",
    ".nbbbbbbbbbbbbn.",
    ".nbbbbbbbbbbbbn.",
    ".nbblllllllbbbn.",
    ".nbbllkklllbbbn.",
    ".nbbllkklllbbbn.",
    ".nbbllkklllbbbn.",
    ".nnnnnnnnnnnnnn.",
    "................",
]

# The list box's two icons, 16 colours on black: "." black, "+" grey, "#" white, "c" cyan.
TRUETYPE_ICON = [
    "................",
    "................",
    "..++++++++......",
    "..++.++.++......",
    "..+..++..+......",
    ".....+########..",
    ".....+##.##.##..",
    ".....+#..##..#..",
    ".....+#..##..#..",
    ".....++..##.....",
    "...++++++##.....",
    ".........##.....",
    ".........##.....",
    ".......######...",
    "................",
    "................",
]

DEVICE_ICON = [
    "................",
    "................",
    "....#####.......",
    "....#...##......",
    "....#.++#.#.....",
    "....#...####....",
    "....#.++++.#....",
    "....#......#....",
    "...##########...",
    "..#+.+.+.+.+.#..",
    "..#.+.+.+.+c+#..",
    "...##########...",
    "...#++++++++#...",
    "....########....",
    "................",
    "................",
]

# The standard 16-colour palette; the list-box icons use its black, grey, cyan and white.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
LIST_ICON_INDEX = {'.': 0, '+': 8, 'c': 14, '#': 15}


def check_grid(name, grid, size):
    if len(grid) != size or any(len(row) != size for row in grid):
        raise SystemExit(f"{name}: the grid must be {size} x {size}")


def colour_of(ch):
    return None if ch == '.' else PALETTE[ch]


def bitmap_info_header(width, height, bits, colours_used=0):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, 0, 0, 0, colours_used, 0)


def row_padding(byte_count):
    return b'\0' * (-byte_count % 4)


def icon_image(grid):
    """One 32-bit image of an icon file: header, bottom-up BGRA pixels, AND mask."""
    size = len(grid)
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(grid):
        mask_bits = 0
        for ch in row:
            colour = colour_of(ch)
            mask_bits <<= 1
            if colour is None:
                pixels += b'\0\0\0\0'
                mask_bits |= 1
            else:
                r, g, b = colour
                pixels += bytes((b, g, r, 255))
        mask_row = mask_bits.to_bytes(size // 8, 'big')
        mask += mask_row + row_padding(len(mask_row))
    # The header's height counts the colour rows and the mask rows.
    return bitmap_info_header(size, size * 2, 32) + bytes(pixels) + bytes(mask)


def icon_file(grids):
    images = [icon_image(grid) for grid in grids]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for grid, image in zip(grids, images):
        size = len(grid)
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def bmp_file(info_and_palette, pixel_rows):
    pixels = b''.join(pixel_rows)
    offset = 14 + len(info_and_palette)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + \
        info_and_palette + pixels


def toolbar_bitmap(images):
    height = 16
    width = 16 * len(images)
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for image in images:
            for ch in image[y]:
                r, g, b = colour_of(ch) or MAGENTA
                row += bytes((b, g, r))
        rows.append(bytes(row) + row_padding(len(row)))
    return bmp_file(bitmap_info_header(width, height, 24), rows)


def sixteen_colour_bitmap(grid):
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in VGA16)
    rows = []
    for row in reversed(grid):
        nibbles = [LIST_ICON_INDEX[ch] for ch in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
        rows.append(packed + row_padding(len(packed)))
    return bmp_file(bitmap_info_header(len(grid), len(grid), 4, 16) + palette, rows)


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: make_icons.py <output folder>")
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)

    check_grid("main icon 32", MAIN_ICON_32, 32)
    for name, grid in [("main icon 16", MAIN_ICON_16), ("preview", PREVIEW_ICON),
                       ("save", SAVE_ICON), ("TrueType", TRUETYPE_ICON),
                       ("device", DEVICE_ICON)] + \
                      [(f"toolbar {i}", g) for i, g in enumerate(TOOLBAR)]:
        check_grid(name, grid, 16)

    files = {
        'sorvane.ico': icon_file([MAIN_ICON_16, MAIN_ICON_32]),
        'toolbar.bmp': toolbar_bitmap(TOOLBAR),
        'preview.ico': icon_file([PREVIEW_ICON]),
        'save.ico': icon_file([SAVE_ICON]),
        'truetype.bmp': sixteen_colour_bitmap(TRUETYPE_ICON),
        'devicetype.bmp': sixteen_colour_bitmap(DEVICE_ICON),
    }
    for name, data in files.items():
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
