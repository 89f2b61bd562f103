#!/usr/bin/env python3
"""Makes the seeds of fuzz_template in tests/fuzz/corpus/template: small report templates of the
stream versions 21, 22, 25, 27 and 29, written field by field, with every record kind."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "template")


class Template:
    def __init__(self, version):
        self.v = version
        self.b = bytearray()

    def u8(self, x): self.b += struct.pack("<B", x & 0xFF)
    def u16(self, x): self.b += struct.pack("<H", x & 0xFFFF)
    def i32(self, x): self.b += struct.pack("<i", x)

    def short(self, text):
        data = text.encode("cp1252")
        self.u8(len(data))
        self.b += data

    def lines(self, lines):
        if self.v >= 26:
            self.u16(len(lines))
            for line in lines:
                data = line.encode("cp1252")
                self.u16(len(data))
                self.b += data
        else:
            for line in lines:
                self.b += line.encode("cp1252") + b"\r"
            self.u8(0)

    def header(self, datasets):
        if self.v > 21:
            self.u8(self.v)
        if self.v >= 23:
            self.i32(len(datasets))
            for kind, reference, name in datasets:
                self.u8(kind)
                if kind:
                    self.short(reference)
                    if self.v >= 27:
                        self.u8(1)
                        self.short("[n] > 0")
                self.short(name)
                self.u8(0), self.u8(2), self.u16(0), self.i32(5)
        if self.v <= 28:
            self.u16(0)
        self.u16(1)
        if self.v >= 23:
            self.u16(0), self.u16(0)
        if self.v <= 28:
            self.lines([])

    def page(self, paper=9, width=2100, height=2970, orientation=0):
        self.u8(255)
        for x in (paper, width, height, 38, 38, 38, 57):
            self.i32(x)
        self.u8(orientation)
        self.u16(0xFFFF), self.u16(0xFFFF), self.u16(0), self.u16(0)
        if self.v <= 28:
            self.u16(0)
        self.i32(1), self.i32(0)
        if self.v >= 25:
            self.i32(100), self.i32(100)

    def base(self, tag, page, rect, lines, name, flags=0, sides=0, format_text=""):
        self.u8(tag), self.u8(page)
        for x in rect:
            self.i32(x)
        self.u16(flags), self.u16(sides)
        self.i32(1), self.i32(0), self.u16(0), self.i32(0x1FFFFFFF), self.i32(0x22C)
        self.lines([format_text])
        self.lines(lines)
        if self.v >= 23:
            self.u8(1), self.short(name)

    def memo(self, page, rect, lines, name):
        self.base(0, page, rect, lines, name, 1, 15)
        self.lines(["Arial"])
        self.i32(10), self.u16(2), self.i32(0), self.i32(0), self.u16(2), self.i32(0), self.i32(0xFFFFFF), self.u16(0)
        self.lines([""])

    def picture(self, page, rect, name, kind, data):
        self.base(1, page, rect, [], name, 5)
        self.u8(kind)
        self.i32(len(self.b) + 4 + len(data))
        self.b += data

    def values(self):
        self.u8(254)
        self.i32(2)
        self.u8(1), self.i32(0), self.short("Dati.righe"), self.short("n"), self.short("Numero")
        self.u8(2), self.i32(1), self.short(""), self.short("1 + 1"), self.short("Due")
        self.lines(["dati"])


def bitmap_file():
    bits = bytes([0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0]) * 2
    info = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, len(bits), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(bits), 0, 0, 14 + len(info)) + info + bits


def make(version, datasets):
    t = Template(version)
    t.header(datasets)
    t.page()
    t.page(256, 1500, 1000, 1)
    t.memo(0, (10, 20, 300, 18), ["Numero: [Numero]", "", "fine"], "Memo1")
    t.picture(0, (10, 50, 40, 40), "Picture1", 1, bitmap_file())
    t.base(2, 0, (0, 100, 700, 20), [], "Band1", 1, 5, "Righe")
    t.base(3, 0, (10, 130, 300, 60), [], "SubReport1")
    t.i32(1)
    t.memo(1, (0, 0, 100, 18), ["sotto"], "Memo2")
    if version >= 23:
        t.values()
    return bytes(t.b)


os.makedirs(OUT, exist_ok=True)
plain = [(0, "", "Righe")]
for version, datasets in ((21, []), (22, []), (25, plain), (27, plain + [(1, "Dati.righe", "Dati")]), (29, plain)):
    with open(os.path.join(OUT, "version-%d" % version), "wb") as f:
        f.write(make(version, datasets))
