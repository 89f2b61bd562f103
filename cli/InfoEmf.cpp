// tessaly-cli info FILE.emf: the image's record count (and the header's, when it differs), size,
// frame, pixel size, the number of damaged records when there are any (those that playing leaves
// out), and the record types present with their counts.
#include <cstdio>
#include <map>

#include "cli/Commands.h"
#include "cli/InfoFormats.h"
#include "platform/core/Errors.h"
#include "platform/emf/Metafile.h"

namespace tessaly::cli {

int DescribeMetafile(const std::filesystem::path& file) {
    try {
        emf::Metafile m = emf::Metafile::LoadFromFile(file);
        std::map<uint32_t, uint32_t> types;
        for (emf::RecordView r : m.Records()) ++types[r.Type()];
        const emf::RectL& f = m.Header().frame;
        std::printf("records: %u\n", m.RecordCount());
        if (m.RecordCountDiffers()) std::printf("records in the header: %u (differs)\n", m.Header().records);
        std::printf("bytes: %zu\n", m.Bytes().size());
        std::printf("frame: %d %d %d %d\n", f.left, f.top, f.right, f.bottom);
        std::printf("size: %d x %d\n", m.Width(), m.Height());
        if (const uint32_t damaged = m.DamagedRecordCount()) std::printf("damaged records: %u\n", damaged);
        for (const auto& [type, count] : types)
            std::printf("%u %s %u\n", type, emf::RecordTypeName(type), count);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli
