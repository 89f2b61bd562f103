#!/usr/bin/env python3
"""Draws the application's icon: a white sheet with a folded corner, a blue title line and grey text
lines. The window icon (in the program's resources) uses 16, 32 and 64 pixels; the desktop's icon
theme (installed by resources/CMakeLists.txt) every size of SIZES. Only the standard library is used.
Usage: resources/make_icon.py [OUTDIR]   (default: the folder of this script)
"""
import os
import sys

from make_preview_images import write_png

BLUE = (28, 74, 140, 255)
GREY = (150, 150, 150, 255)
BLACK = (40, 40, 40, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)

# The sizes the desktops ask of an application icon in the hicolor theme.
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def sheet(size):
    """The sheet covers x 0.16..0.84 and y 0.06..0.94 of the square; its top-right corner is folded.
    Lines are one pixel up to 64 pixels and thicken above, so that a large icon is not hairline."""
    stroke = max(1, size // 48)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            left, right, top, bottom, fold = 0.16, 0.84, 0.06, 0.94, 0.22
            edge = stroke / size
            inside = left <= u <= right and top <= v <= bottom and (right - u) + (v - top) >= fold
            if not inside:
                row.append(CLEAR)
                continue
            on_fold_line = abs((right - u) + (v - top) - fold) < 1.2 * edge
            on_border = (u - left < edge or right - u < edge or v - top < edge or bottom - v < edge
                         or on_fold_line)
            if on_border:
                row.append(BLACK)
            elif 0.26 <= v <= 0.26 + max(edge * 2, 0.06) and 0.26 <= u <= 0.62:
                row.append(BLUE)
            elif v > 0.40 and v < 0.86 and 0.26 <= u <= 0.74 and int((v - 0.40) * size) % max(2, size // 8) < stroke:
                row.append(GREY)
            else:
                row.append(WHITE)
        pixels.append(row)
    return pixels


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(out, 'icons'), exist_ok=True)
    for size in SIZES:
        write_png(os.path.join(out, 'icons', 'tessaly-%d.png' % size), size, size, sheet(size))


if __name__ == '__main__':
    main()
