#pragma once
// The file formats that `tessaly-cli info FILE` describes. Each format lives in its own file and
// registers the extension it reads (compared without regard to case):
//   static int Describe(const std::filesystem::path& file) { ... }
//   TESSALY_INFO_FORMAT(".emf", Describe);
// Describe prints to stdout and returns the exit code (errors: cli::Fail).
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessaly::cli {

using InfoFn = std::function<int(const std::filesystem::path& file)>;

struct InfoFormat {
    std::string extension;  // with the dot, lower case
    InfoFn describe;
};

std::vector<InfoFormat>& InfoFormats();

struct InfoFormatRegistrar {
    InfoFormatRegistrar(std::string extension, InfoFn describe) {
        InfoFormats().push_back({std::move(extension), std::move(describe)});
    }
};

}  // namespace tessaly::cli

#define TESSALY_INFO_CONCAT2(a, b) a##b
#define TESSALY_INFO_CONCAT(a, b) TESSALY_INFO_CONCAT2(a, b)
#define TESSALY_INFO_FORMAT(extension, fn) \
    static ::tessaly::cli::InfoFormatRegistrar TESSALY_INFO_CONCAT(infoFormat_, __LINE__)(extension, fn)
