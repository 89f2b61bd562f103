#pragma once
// What a preparation does with failures: an error raised by a step (an object's drawing, a host's
// event handler, a dataset's move) becomes the preparation error "Errore. " + its message, which
// ends the run, instead of leaving the run half done.
#include <exception>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_PrepError.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"

namespace tessaly {

// Runs `step`; false when it raised (the error is recorded).
template <class Step>
bool Guarded(Step&& step) {
    try {
        step();
        return true;
    } catch (const EngineError& e) {
        ReportPreparationError(MsgExpansionError + e.Message());
    } catch (const std::exception& e) {
        ReportPreparationError(MsgExpansionError + Utf8ToCp1252(e.what()));
    }
    return false;
}

// Messages of the preparation itself.
inline constexpr char MsgAlreadyPreparing[] = "Il report \xE8 gi\xE0 in preparazione.";
inline constexpr char MsgSubReportTooTall[] = "Il sottoreport della pagina %s non entra in una pagina vuota.";
inline constexpr char MsgSubReportLoop[] = "Il sottoreport della pagina %s contiene se stesso.";

}  // namespace tessaly
