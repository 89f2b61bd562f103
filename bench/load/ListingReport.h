#pragma once
// Writes a prepared report of many listing pages (text lines with their advances, rules between
// them), built record by record so that its size is known: about 50 KB per page.
#include <filesystem>

namespace tessaly::bench {

void WriteListingReport(const std::filesystem::path& file, int pages);

}  // namespace tessaly::bench
