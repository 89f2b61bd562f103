// Fuzz target: one metafile image read from a stream, as the prepared-report reader and the .emf
// loader read it, then played into a small image the way the preview plays a page: every record
// handed to a handler that asks the device context for its mapping and pen and reads text records.
// A metafile that reads must also read from bytes to the same image and write back unchanged, and
// every record's own parser must refuse exactly what the layout check calls damaged.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "FuzzCheck.h"
#include "FuzzGui.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"
#include "platform/emf/Metafile.h"
#include "tests/platform/emf/RecordParsers.h"

using namespace tessaly;

namespace {

void CheckRead(const emf::Metafile& m, const uint8_t* data, size_t consumed) {
    FUZZ_CHECK(m.Bytes().size() == consumed);
    FUZZ_CHECK(std::memcmp(m.Bytes().data(), data, consumed) == 0);
    emf::Metafile again = emf::Metafile::FromBytes(m.Bytes());
    FUZZ_CHECK(again.RecordCount() == m.RecordCount());
    MemoryStream out;
    m.SaveToStream(out);
    FUZZ_CHECK(out.Data().size() == consumed);
    uint32_t records = 0, damaged = 0;
    for (emf::RecordView r : m.Records()) {
        FUZZ_CHECK(r.Size() >= 8);
        const bool fits = emf::CheckRecordLayout(r);
        FUZZ_CHECK(emftest::ParsesAsItsType(r) == fits);
        damaged += !fits;
        ++records;
    }
    FUZZ_CHECK(records == m.RecordCount());
    FUZZ_CHECK(damaged == m.DamagedRecordCount());
}

// As the preview does: blits with bits through the stretch-DIB operation, the bounds of drawing
// records grown by the pen and mapped, the text of text records read.
emf::RecordAction Handle(emf::Player& player, emf::RecordView record) {
    const uint32_t type = record.Type();
    if (type == emf::EMR_BITBLT || type == emf::EMR_STRETCHBLT) {
        const auto b = emf::ParseBitmap(record);
        if (!b) return emf::RecordAction::Skip;
        if (b->bitsSrc.empty()) return emf::RecordAction::Play;
        player.StretchDIBits(b->xDest, b->yDest, b->cxDest, b->cyDest, b->xSrc, b->ySrc, b->cxSrc, b->cySrc,
                             b->bmiSrc, b->bitsSrc, b->usageSrc, b->rop);
        return emf::RecordAction::Skip;
    }
    if (emf::HasDrawingBounds(type)) {
        if (const auto bounds = emf::ParseDrawingBounds(record)) {
            const emf::Rect64 g = emf::GrowByPen(*bounds, player.Dc().pen.width);
            player.LogicalToDevice(QRectF(QPointF(g.left, g.top), QPointF(g.right, g.bottom)));
        }
    }
    if (const auto text = emf::ParseExtTextOutString(record)) FUZZ_CHECK(text->bytes.size() == text->chars * (text->isWide ? 2u : 1u));
    player.DeviceToLogical(player.LogicalToDevice(QPointF(1, 1)));
    return emf::RecordAction::Play;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteViewStream in(data, size);
    emf::Metafile m;
    try {
        m = emf::Metafile::ReadFrom(in);
    } catch (const EngineError&) {
        return 0;
    }
    CheckRead(m, data, static_cast<size_t>(in.Position()));

    static QImage image(96, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(8, 8, 80, 48);
    emf::Player(painter, m, QRectF(4, 4, 88, 56)).Enumerate(&Handle);
    return 0;
}
