#include "engine/expr/CV_PrepError.h"

#include <string>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_TextRun.h"

namespace tessaly {

namespace {

const char kHeading[] = "Si \xE8 verificato un errore durante la fase di preparazione";

}  // namespace

void ReportPreparationError(const AnsiString& message) { TextRun().RecordError(message); }

void ClearPreparationError() { TextRun().Error() = {}; }

AnsiString PreparationErrorText(const AnsiString& message, const AnsiString* objectName, int bandType, int pageNo) {
    AnsiString text = kHeading + ("\r" + message);
    if (objectName) text += "\rOggetto: " + *objectName;
    if (bandType >= 0 && bandType < int(std::size(BandTypeNames))) text += std::string("\rBanda: ") + BandTypeNames[bandType];
    text += "\rPagina: " + std::to_string(pageNo);
    return text;
}

}  // namespace tessaly
