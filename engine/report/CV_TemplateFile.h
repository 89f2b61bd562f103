#pragma once
// Template files in either form, told apart by their content (not their name): the ".cvf" stream,
// or its JSON form (engine/report/CV_TemplateJson.h), which is read as the stream it describes.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace tessaly {

class TcvReport;

// Whether the file begins like a JSON document; false for a file that cannot be read.
bool IsJsonTemplateFile(const std::filesystem::path& file);
// The template stream of a file: its bytes, or those that its JSON form describes. Raises
// EFileError for a file that cannot be read and json::ParseError for a JSON form with a mistake
// (its message begins with the mistake's place).
std::vector<uint8_t> ReadTemplateStream(const std::filesystem::path& file);
// For loading: the stream of a JSON form; a mistake is shown as a loading error ("Errore") and
// raises EAbort, before anything of a report has changed.
std::vector<uint8_t> ConvertJsonTemplate(const std::filesystem::path& file);
// Saves the template in its JSON form, atomically: what SaveToStream writes, described. A refused
// or failed save leaves the old file as it was. A form that would not read back (objects sharing a
// name) is written with a warning that says where.
void SaveTemplateAsJson(TcvReport& report, const std::filesystem::path& file);

}  // namespace tessaly
