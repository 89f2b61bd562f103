#pragma once
// The messages that the engine shows to the user by itself (those of loading a template). Each
// goes to the engine's message sink (EngineState.h), which the host chooses: message boxes in the
// viewer (engine/ui), "CAPTION: TEXT" lines on standard error in tessaly-cli and by default.
#include <cstdint>
#include <functional>

#include "platform/core/Cp1252.h"

namespace tessaly {

enum class TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation };

// (kind, caption, text), all cp1252.
using TcvMessageSink = std::function<void(TMsgDlgType type, const AnsiString& caption, const AnsiString& text)>;

// "Attenzione", "Errore", "Informazione".
const char* MessageCaption(TMsgDlgType type);
// Hands the message, captioned by its kind, to the sink in force.
void ShowEngineMessage(TMsgDlgType type, const AnsiString& text);
// The sink of hosts without windows: "CAPTION: TEXT" and a line end on standard error, in UTF-8.
void WriteMessageToStderr(TMsgDlgType type, const AnsiString& caption, const AnsiString& text);

}  // namespace tessaly
