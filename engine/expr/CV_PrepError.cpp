#include "engine/expr/CV_PrepError.h"

#include <string>

#include "engine/expr/CV_Const.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_Band.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

const char kHeading[] = "Si \xE8 verificato un errore durante la fase di preparazione";

}  // namespace

void ReportPreparationError(const AnsiString& message) {
    if (PreparationError.Recorded) return;
    AnsiString text = kHeading + ("\r" + message);
    if (CurrentObject && CurrentBand && CurrentObject->ParentBand == CurrentBand)
        text += "\rOggetto: " + CurrentObject->Name;
    if (CurrentBand && CurrentBand->BandType < BandTypeCount)
        text += std::string("\rBanda: ") + BandTypeNames[CurrentBand->BandType];
    text += "\rPagina: " + std::to_string(ErrorPageNo);
    PreparationError = {true, message, text};
    if (CurrentReport && CurrentReport->Preparing) CurrentReport->Terminated = true;
}

void ClearPreparationError() { PreparationError = {}; }

}  // namespace tessaly
