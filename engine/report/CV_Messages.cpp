#include "engine/report/CV_Messages.h"

#include <cstdio>

#include "engine/report/EngineState.h"

namespace tessaly {

const char* MessageCaption(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::mtWarning:
            return "Attenzione";
        case TMsgDlgType::mtError:
            return "Errore";
        case TMsgDlgType::mtInformation:
            break;
    }
    return "Informazione";
}

void ShowEngineMessage(TMsgDlgType type, const AnsiString& text) {
    if (MessageSink)
        MessageSink(type, MessageCaption(type), text);
    else
        WriteMessageToStderr(type, MessageCaption(type), text);
}

void WriteMessageToStderr(TMsgDlgType, const AnsiString& caption, const AnsiString& text) {
    std::fprintf(stderr, "%s: %s\n", Cp1252ToUtf8(caption).c_str(), Cp1252ToUtf8(text).c_str());
    std::fflush(stderr);
}

}  // namespace tessaly
