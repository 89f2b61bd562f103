#pragma once
// The file formats that `tessaly-cli info FILE` describes, one file each (Info*.cpp), listed in
// the table of CmdInfo.cpp. A description goes to stdout; the result is the exit code (errors:
// Fail).
#include <filesystem>

namespace tessaly::cli {

int DescribePreparedReport(const std::filesystem::path& file);  // ".cvp"
int DescribeMetafile(const std::filesystem::path& file);        // ".emf"

}  // namespace tessaly::cli
