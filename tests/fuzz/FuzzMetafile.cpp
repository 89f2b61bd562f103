// Fuzz target: one metafile image read from a stream, as the prepared-report reader and the .emf
// loader read it, then played into a small image the way the preview plays a page: every record
// handed to a handler that asks the device context for its mapping and pen and reads text records.
// A metafile that reads must also read from bytes to the same image and write back unchanged.
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
    uint32_t records = 0;
    for (emf::RecordView r : m.Records()) {
        FUZZ_CHECK(r.Size() >= 8);
        ++records;
    }
    FUZZ_CHECK(records == m.RecordCount());
}

emf::RecordAction Handle(emf::Player& player, emf::RecordView record) {
    const uint32_t type = record.Type();
    if (type == emf::EMR_EXTTEXTOUTA || type == emf::EMR_EXTTEXTOUTW) {
        if (auto text = emf::ParseExtTextOut(record)) {
            const emf::RectL& b = text->bounds;
            const double grow = player.Dc().pen.width / 2 + 4;
            QRectF r(QPointF(b.left - grow, b.top - grow), QPointF(b.right + grow, b.bottom + grow));
            player.LogicalToDevice(r);
        }
    }
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
