// tessaly-cli info FILE: describes a file of one of the formats in InfoFormats.h.
#include <string>

#include "cli/Commands.h"
#include "cli/InfoFormats.h"
#include "platform/core/Cp1252.h"

namespace tessaly::cli {

namespace {

struct InfoFormat {
    const char* extension;  // with the dot, lower case; compared without regard to case
    int (*describe)(const std::filesystem::path& file);
};

constexpr InfoFormat kFormats[] = {
    {".cvp", &DescribePreparedReport},
    {".emf", &DescribeMetafile},
};

}  // namespace

int RunInfo(const Args& args) {
    if (args.size() != 1) return kWrongUsage;
    std::filesystem::path file(args[0]);
    std::string extension = LowerCase(file.extension().string());
    for (const InfoFormat& format : kFormats)
        if (format.extension == extension) return format.describe(file);
    return Fail("Formato del file non riconosciuto: " + Utf8ToCp1252(args[0]));
}

}  // namespace tessaly::cli
