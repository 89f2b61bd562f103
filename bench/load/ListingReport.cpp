#include "bench/load/ListingReport.h"

#include <string>
#include <vector>

#include "platform/core/Stream.h"

namespace tessaly::bench {

namespace {

class Image {
public:
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
    }
    void Record(uint32_t type, std::initializer_list<uint32_t> fields) {
        U32(type);
        U32(uint32_t(8 + 4 * fields.size()));
        for (uint32_t f : fields) U32(f);
        ++records;
    }
    // EMR_EXTTEXTOUTW at (x, y) with a fixed 7-pixel advance per character.
    void Text(int x, int y, const std::string& text) {
        uint32_t n = uint32_t(text.size());
        uint32_t stringBytes = (2 * n + 3) / 4 * 4;
        uint32_t size = 76 + stringBytes + 4 * n;
        U32(84);
        U32(size);
        for (uint32_t v : {uint32_t(x), uint32_t(y), uint32_t(x + 7 * n), uint32_t(y + 13)}) U32(v);
        U32(1);           // graphics mode
        U32(0);           // x scale (float 0)
        U32(0);           // y scale
        U32(uint32_t(x));
        U32(uint32_t(y));
        U32(n);
        U32(76);          // string offset
        U32(0);           // options
        for (int i = 0; i < 4; ++i) U32(0);
        U32(76 + stringBytes);  // advances offset
        for (char c : text) {
            bytes.push_back(uint8_t(c));
            bytes.push_back(0);
        }
        bytes.resize(bytes.size() + (stringBytes - 2 * n), 0);
        for (uint32_t i = 0; i < n; ++i) U32(7);
        ++records;
    }
    std::vector<uint8_t> bytes;
    uint32_t records = 0;
};

// One A4 page: header, 75 lines of text and a rule under every line, end of file.
std::vector<uint8_t> Page(int number) {
    Image img;
    img.bytes.resize(88);
    img.records = 1;
    for (int line = 0; line < 75; ++line) {
        int y = 40 + line * 14;
        std::string text = "Riga " + std::to_string(line + 1) + " della pagina " + std::to_string(number) +
                           ": articolo, descrizione, quantita', prezzo unitario e totale in euro";
        img.Text(40, y, text);
        img.Record(27, {40, uint32_t(y + 11)});   // EMR_MOVETOEX
        img.Record(54, {750, uint32_t(y + 11)});  // EMR_LINETO
    }
    img.Record(14, {0, 16, 20});  // EMR_EOF
    Image header;
    for (uint32_t v : {1u, 88u, 0u, 0u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0u, 0u, 27879u, 39445u, 0x464D4520u, 0x10000u,
                       uint32_t(img.bytes.size()), img.records})
        header.U32(v);
    header.U32(1);  // handles 1, reserved 0
    for (uint32_t v : {0u, 0u, 0u, 1024u, 768u, 360u, 270u}) header.U32(v);
    std::copy(header.bytes.begin(), header.bytes.end(), img.bytes.begin());
    return img.bytes;
}

}  // namespace

void WriteListingReport(const std::filesystem::path& file, int pages) {
    FileStream out(file, FileStream::Mode::Create);
    out.WriteU16(0);
    out.WriteI32(pages);
    for (int i = 0; i < pages; ++i) {
        std::vector<uint8_t> drawing = Page(i + 1);
        out.WriteU32(uint32_t(out.Position() + 16 + int64_t(drawing.size())));
        out.WriteU16(9);
        out.WriteI32(2100);
        out.WriteI32(2970);
        out.WriteU8(0);
        out.WriteU8(1);
        out.WriteBuffer(drawing.data(), drawing.size());
    }
    out.Flush();
}

}  // namespace tessaly::bench
