#pragma once
// Pages with one damaged record (fields pointing outside it, as real files carry them) among sound
// records, for the tests of everything that reads records: playing, the preview, the search, the
// export. The same page without the damaged record is what the damaged one must look like.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/emf/MetafileWriter.h"

namespace tessaly::testing {

struct RecordDamage {
    const char* what;
    std::function<void(emf::MetafileWriter&)> write;        // writes the damaged record, or
    std::function<void(std::vector<uint8_t>&)> patchImage;  // damages the finished image instead
};

namespace damaged {

using emf::MetafileWriter;

constexpr int32_t kWidth = 400, kHeight = 300;

// EMR_EXTTEXTOUTW of "danno" at (200, 150): the string at 76, its advances at 88.
inline void Text(MetafileWriter& w, uint32_t chars, uint32_t stringAt, uint32_t advancesAt) {
    w.Begin(emf::EMR_EXTTEXTOUTW);
    w.Rect({200, 140, 260, 160});
    w.U32(emf::GM_COMPATIBLE), w.F32(0), w.F32(0);
    w.Point({200, 150});
    w.U32(chars), w.U32(stringAt), w.U32(0);
    w.Rect({200, 140, 260, 160});
    w.U32(advancesAt);
    for (char16_t c : std::u16string(u"danno")) w.U16(uint16_t(c));
    w.Zeros(2);
    for (int i = 0; i < 5; ++i) w.U32(9);
    w.End();
}

// EMR_STRETCHDIBITS of a green 2 x 2 bitmap over (150, 100)-(250, 200): its header at 80, its bits at 120.
inline void StretchDib(MetafileWriter& w, uint32_t headerAt, uint32_t bitsAt) {
    const std::vector<uint32_t> green(4, 0xFF00FF00);
    const emf::Dib dib = emf::MakeDib32(2, 2, green);
    w.Begin(emf::EMR_STRETCHDIBITS);
    w.Rect({150, 100, 249, 199});
    w.I32(150), w.I32(100), w.I32(0), w.I32(0), w.I32(2), w.I32(2);
    w.U32(headerAt), w.U32(uint32_t(dib.info.size())), w.U32(bitsAt), w.U32(uint32_t(dib.bits.size()));
    w.U32(emf::DIB_RGB_COLORS), w.U32(emf::SRCCOPY), w.I32(100), w.I32(100);
    w.Bytes(dib.info);
    w.Bytes(dib.bits);
    w.End();
}

// EMR_BITBLT of the same bitmap (a blit the preview draws through its own stretch-DIB call): its
// header at 100, its bits at 140.
inline void BitBlt(MetafileWriter& w, uint32_t bitsAt) {
    const std::vector<uint32_t> green(4, 0xFF00FF00);
    const emf::Dib dib = emf::MakeDib32(2, 2, green);
    w.Begin(emf::EMR_BITBLT);
    w.Rect({150, 100, 151, 101});
    w.I32(150), w.I32(100), w.I32(2), w.I32(2), w.U32(emf::SRCCOPY), w.I32(0), w.I32(0);
    w.F32(1), w.F32(0), w.F32(0), w.F32(1), w.F32(0), w.F32(0);
    w.U32(0), w.U32(emf::DIB_RGB_COLORS);
    w.U32(100), w.U32(uint32_t(dib.info.size())), w.U32(bitsAt), w.U32(uint32_t(dib.bits.size()));
    w.Bytes(dib.info);
    w.Bytes(dib.bits);
    w.End();
}

// EMR_FILLRGN of one rectangle (150, 100)-(250, 200) with the brush selected as handle 1.
inline void FillRegion(MetafileWriter& w, uint32_t regionSize) {
    w.Begin(emf::EMR_FILLRGN);
    w.Rect({150, 100, 249, 199});
    w.U32(regionSize), w.U32(1);
    w.U32(32), w.U32(1), w.U32(1), w.U32(16), w.Rect({150, 100, 250, 200});
    w.Rect({150, 100, 250, 200});
    w.End();
}

// EMR_POLYGON16 of a triangle in (150, 100)-(250, 200), with `count` points claimed.
inline void Triangle(MetafileWriter& w, uint32_t count) {
    w.Begin(emf::EMR_POLYGON16);
    w.Rect({150, 100, 250, 200});
    w.U32(count);
    for (auto [x, y] : {std::pair{150, 200}, {200, 100}, {250, 200}}) w.U16(uint16_t(x)), w.U16(uint16_t(y));
    w.End();
}

}  // namespace damaged

// The damages, each as the one record of its kind that the page holds.
inline const std::vector<RecordDamage>& RecordDamages() {
    using namespace damaged;
    static const std::vector<RecordDamage> damages = {
        {"text count past the record", [](MetafileWriter& w) { Text(w, 1000, 76, 88); }, {}},
        {"text string offset outside", [](MetafileWriter& w) { Text(w, 5, 0xFFFFFFF0, 88); }, {}},
        {"text advances offset outside", [](MetafileWriter& w) { Text(w, 5, 76, 4000); }, {}},
        {"bitmap header offset outside", [](MetafileWriter& w) { StretchDib(w, 4000, 120); }, {}},
        {"bitmap bits offset outside", [](MetafileWriter& w) { StretchDib(w, 80, 4000); }, {}},
        {"blit bits offset outside", [](MetafileWriter& w) { BitBlt(w, 5000); }, {}},
        {"region size past the record", [](MetafileWriter& w) { FillRegion(w, 0x10000); }, {}},
        {"polygon point count past the record", [](MetafileWriter& w) { Triangle(w, 1000); }, {}},
        {"rectangle without its box",
         [](MetafileWriter& w) {
             w.Begin(emf::EMR_RECTANGLE);
             w.U32(150);
             w.End();
         },
         {}},
        {"header description offset outside", {},
         [](std::vector<uint8_t>& image) {
             for (auto [at, value] : {std::pair<size_t, uint32_t>{60, 10}, {64, 0xFFFFFF00}})
                 for (int i = 0; i < 4; ++i) image[at + i] = uint8_t(value >> (8 * i));
         }},
    };
    return damages;
}

// A page of kWidth x kHeight pixels: the text "prima", a red box, the damaged record (none without
// a damage), the text "dopo", a blue box.
inline emf::Metafile DamagedPage(const RecordDamage* damage) {
    using namespace damaged;
    MetafileWriter w(kWidth, kHeight);
    auto box = [&w](uint32_t handle, emf::ColorRef colour, const emf::RectL& r) {
        w.CreateBrush(handle, emf::BS_SOLID, colour, 0);
        w.Value(emf::EMR_SELECTOBJECT, handle);
        w.Box(emf::EMR_RECTANGLE, r);
    };
    w.ExtTextOutW({10, 10, 60, 30}, {10, 20}, 0, {10, 10, 60, 30}, u"prima", {});
    box(1, 0x0000FF, {20, 60, 80, 120});
    if (damage && damage->write) damage->write(w);
    w.ExtTextOutW({10, 240, 60, 260}, {10, 250}, 0, {10, 240, 60, 260}, u"dopo", {});
    box(2, 0xFF0000, {300, 60, 360, 120});
    const emf::Metafile sound = w.Finish();
    if (!damage || !damage->patchImage) return sound;
    std::vector<uint8_t> image(sound.Bytes().begin(), sound.Bytes().end());
    damage->patchImage(image);
    return emf::Metafile::FromBytes(image);
}

}  // namespace tessaly::testing
