#pragma once
// How every command loads a template (".cvf" or its JSON form, told by content): the messages of
// loading go to stderr as "CAPTION: TEXT", and a load after which an "Errore" was shown failed.
#include <string>

namespace tessaly {
class TcvReport;
}

namespace tessaly::cli {

// While one lives, the engine's messages go to stderr as "CAPTION: TEXT".
class StderrMessages {
public:
    StderrMessages();
    ~StderrMessages();
    StderrMessages(const StderrMessages&) = delete;
    StderrMessages& operator=(const StderrMessages&) = delete;
    bool ErrorShown() const { return errorShown_; }

private:
    bool errorShown_ = false;
};

// Loads the template file into the report (LoadFromFile and its file-name rules): false, after
// its messages, when it did not load. A file that cannot be found or read raises its EngineError.
bool LoadTemplateFile(TcvReport& report, const std::string& file);

}  // namespace tessaly::cli
