#include "engine/report/CV_TemplateFile.h"

#include <system_error>

#include "engine/model/CV_TemplateJson.h"
#include "engine/report/CV_Messages.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/core/Json.h"
#include "platform/core/Stream.h"

namespace fs = std::filesystem;

namespace tessaly {

namespace {

// Enough to pass a byte order mark and the white space before the first "{".
constexpr size_t kHeadBytes = 4096;

std::string ReadText(const fs::path& file) {
    FileStream stream(file, FileStream::Mode::OpenRead);
    const int64_t size = stream.Size();
    if (size > static_cast<int64_t>(json::Limits().maxBytes))
        throw json::ParseError({1, 1}, "il documento supera i " + std::to_string(json::Limits().maxBytes >> 20) + " MB.");
    return stream.ReadBytes(static_cast<size_t>(size));
}

}  // namespace

bool IsJsonTemplateFile(const fs::path& file) {
    try {
        FileStream stream(file, FileStream::Mode::OpenRead);
        std::vector<uint8_t> head(kHeadBytes);
        head.resize(stream.Read(head.data(), head.size()));
        return LooksLikeJsonTemplate(head);
    } catch (const EngineError&) {
        return false;
    }
}

std::vector<uint8_t> ReadTemplateStream(const fs::path& file) {
    if (IsJsonTemplateFile(file)) return JsonToTemplateStream(ReadText(file));
    MemoryStream stream;
    stream.LoadFromFile(file);
    return stream.TakeData();
}

std::vector<uint8_t> ConvertJsonTemplate(const fs::path& file) {
    try {
        return JsonToTemplateStream(ReadText(file));
    } catch (const json::ParseError& e) {
        ShowEngineMessage(TMsgDlgType::mtError, e.Message());
        throw EAbort();
    }
}

void SaveTemplateAsJson(TcvReport& report, const fs::path& file) {
    MemoryStream stream;
    report.SaveToStream(stream);
    const std::string text = TemplateStreamToJson(stream.Data());
    // A damaged template (two objects of one name) is written all the same, to be mended there.
    try {
        JsonToTemplateStream(text);
    } catch (const json::ParseError& e) {
        ShowEngineMessage(TMsgDlgType::mtWarning, "Il modello in JSON va corretto prima di poterlo rileggere: " + e.Message());
    }
    AtomicFileStream out(file);
    out.WriteString(text);
    out.Commit();
}

}  // namespace tessaly
