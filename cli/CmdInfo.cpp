// tessaly-cli info FILE: describes a file of one of the formats in InfoFormats.h.
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/InfoFormats.h"
#include "platform/core/Cp1252.h"

namespace tessaly::cli {

std::vector<InfoFormat>& InfoFormats() {
    static std::vector<InfoFormat> formats;
    return formats;
}

namespace {

int Run(const std::vector<std::string>& args) {
    if (args.size() != 1) return Fail("uso: tessaly-cli info FILE");
    std::filesystem::path file(args[0]);
    std::string extension = LowerCase(file.extension().string());
    for (const auto& format : InfoFormats())
        if (format.extension == extension) return format.describe(file);
    return Fail("Formato del file non riconosciuto: " + Utf8ToCp1252(args[0]));
}

}  // namespace

}  // namespace tessaly::cli

TESSALY_CLI_COMMAND("info", "info FILE.cvp|FILE.emf", tessaly::cli::Run);
