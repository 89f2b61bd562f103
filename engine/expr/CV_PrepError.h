#pragma once
// The preparation error report: the first error of a preparation is kept, with the object, the
// band and the page it happened in; it ends the preparation, and from then on names resolve to
// nothing (see PreparationError in engine/report/EngineState.h).
#include "platform/core/Cp1252.h"

namespace tessaly {

// Records `message` unless an error is recorded already. The text shown to the user reads
// "Si è verificato un errore durante la fase di preparazione", CR, the message; CR, "Oggetto: "
// and the object's name when the current object prints in the current band; CR, "Banda: " and
// the band type's name when there is a current band; CR, "Pagina: " and ErrorPageNo. A report
// being prepared is terminated.
void ReportPreparationError(const AnsiString& message);

// Forgets the recorded error (a preparation starts).
void ClearPreparationError();

}  // namespace tessaly
