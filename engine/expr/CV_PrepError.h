#pragma once
// The preparation error report: the first error of a run is kept by the run that the texts belong
// to (CV_TextRun.h), with the object, the band and the page it happened in; it ends a preparation,
// and from then on names resolve to nothing.
#include "engine/expr/CV_TextRun.h"
#include "platform/core/Cp1252.h"

namespace tessaly {

// Records `message` in the installed run unless an error is recorded already.
void ReportPreparationError(const AnsiString& message);
// Forgets the installed run's error.
void ClearPreparationError();
// An error is recorded in the installed run.
inline bool PreparationErrorRecorded() { return TextRun().Error().Recorded; }

// The text shown to the user: "Si è verificato un errore durante la fase di preparazione", CR, the
// message; CR, "Oggetto: " and the object's name when one is given (an object printing in the
// current band); CR, "Banda: " and the band type's name when there is a band (bandType 0 to 21);
// CR, "Pagina: " and the template page's number.
AnsiString PreparationErrorText(const AnsiString& message, const AnsiString* objectName, int bandType, int pageNo);

}  // namespace tessaly
