#include "cli/TemplateLoad.h"

#include <filesystem>

#include "engine/report/CV_Messages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"

namespace tessaly::cli {

StderrMessages::StderrMessages() {
    MessageSink = [this](TMsgDlgType type, const AnsiString& caption, const AnsiString& text) {
        errorShown_ |= type == TMsgDlgType::mtError;
        WriteMessageToStderr(type, caption, text);
    };
}

StderrMessages::~StderrMessages() { MessageSink = nullptr; }

bool LoadTemplateFile(TcvReport& report, const std::string& file) {
    StderrMessages messages;
    try {
        report.LoadFromFile(std::filesystem::path(file));
    } catch (const EAbort&) {
        return false;  // its messages are on stderr already
    }
    return !messages.ErrorShown();
}

}  // namespace tessaly::cli
