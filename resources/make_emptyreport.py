#!/usr/bin/env python3
"""Writes EMPTYREPORT.cvp, the built-in one-page blank report (706 bytes).

The file is spelled out record by record, independently of the recorder in platform/emf, so that
the recorder's test can prove that a fresh 793 x 1122-pixel canvas still writes exactly this
drawing. Usage: resources/make_emptyreport.py [OUT]
"""
import struct
import sys


def rec(rtype, payload):
    assert len(payload) % 4 == 0
    return struct.pack('<II', rtype, 8 + len(payload)) + payload


def u32s(*values):
    return b''.join(struct.pack('<I', v & 0xFFFFFFFF) for v in values)


EMR_HEADER, EMR_EOF, EMR_SETBKMODE, EMR_SETROP2 = 1, 14, 18, 20
EMR_SETTEXTCOLOR, EMR_SETBKCOLOR, EMR_MOVETOEX = 24, 25, 27
EMR_SELECTOBJECT, EMR_CREATEPEN, EMR_CREATEBRUSHINDIRECT = 37, 38, 39
EMR_EXTCREATEFONTINDIRECTW = 82
STOCK = 0x80000000
BLACK_PEN, NULL_BRUSH, SYSTEM_FONT = 7, 5, 13


def font_record(handle, face, height, weight, charset):
    logfont = struct.pack('<5i8B', height, 0, 0, 0, weight, 0, 0, 0, charset, 0, 0, 0, 0)
    logfont += face.encode('utf-16-le').ljust(64, b'\0')
    assert len(logfont) == 92
    # Full name (64 units), style (32), script (32), then a design vector without axes.
    extra = b'\0' * (128 + 64 + 64) + u32s(0x08007664, 0)
    return rec(EMR_EXTCREATEFONTINDIRECTW, u32s(handle) + logfont + extra)


def drawing():
    body = [
        rec(EMR_MOVETOEX, u32s(0, 0)),
        font_record(1, 'MS Sans Serif', -11, 400, 1),
        rec(EMR_SELECTOBJECT, u32s(1)),
        rec(EMR_SETTEXTCOLOR, u32s(0x000000)),
        rec(EMR_CREATEPEN, u32s(2, 0, 1, 0, 0x000000)),  # solid, width (1, 0), black
        rec(EMR_SELECTOBJECT, u32s(2)),
        rec(EMR_SETROP2, u32s(13)),  # R2_COPYPEN
        rec(EMR_CREATEBRUSHINDIRECT, u32s(3, 0, 0xFFFFFF, 0)),  # solid white
        rec(EMR_SELECTOBJECT, u32s(3)),
        rec(EMR_SETBKCOLOR, u32s(0xFFFFFF)),
        rec(EMR_SETBKMODE, u32s(2)),  # OPAQUE
        rec(EMR_SELECTOBJECT, u32s(STOCK | BLACK_PEN)),
        rec(EMR_SELECTOBJECT, u32s(STOCK | NULL_BRUSH)),
        rec(EMR_SELECTOBJECT, u32s(STOCK | SYSTEM_FONT)),
        rec(EMR_EOF, u32s(0, 16, 20)),
    ]
    records = b''.join(body)
    total = 108 + len(records)
    header = u32s(0, 0, 0xFFFFFFFF, 0xFFFFFFFF)          # bounds: nothing drawn
    header += u32s(0, 0, 27879, 39445)                     # frame: 793 x 1122 px on 1024 x 768 / 360 x 270 mm
    header += u32s(0x464D4520, 0x10000, total, len(body) + 1)
    header += struct.pack('<HH', 4, 0)                     # handles: slot 0, font, pen, brush
    header += u32s(0, 0, 0)                                # no description, no palette
    header += u32s(1024, 768, 360, 270)                    # reference device
    header += u32s(0, 0, 0)                                # no pixel format, no OpenGL
    header += u32s(360000, 270000)                         # reference device in micrometres
    image = rec(EMR_HEADER, header) + records
    assert len(image) == 684 and len(body) + 1 == 16
    return image


def prepared_report():
    image = drawing()
    page = struct.pack('<HiiBB', 9, 2100, 2970, 0, 1) + image  # A4, portrait, page flag 1
    out = b'\0\0' + struct.pack('<i', 1)
    out += struct.pack('<I', len(out) + 4 + len(page)) + page
    assert len(out) == 706
    return out


if __name__ == '__main__':
    path = sys.argv[1] if len(sys.argv) > 1 else 'EMPTYREPORT.cvp'
    with open(path, 'wb') as f:
        f.write(prepared_report())
