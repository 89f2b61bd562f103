#pragma once
// The template file (".cvf"): a version byte, the dataset section (CV_DatasetSection.h) and the
// pages section:
//   (version 28 and earlier) 2 bytes without meaning;
//   the report's two-pass flag, 16-bit; (from version 23) its interleave and interleaved-numbering
//   options, 16-bit each; (version 28 and earlier) a line list without meaning;
//   then records until the stream ends, each opened by a tag byte:
//     255  a page record (TcvPage)
//     254  the named values, then the report's Data lines as a line list
//     0-10 an object of that type code: (10 only) a line list whose first line is the class
//          name, then the index byte of its page, then the object's stream form
//     else the reader stops.
// A first byte of 20 or less is no version: the stream is read from it as version 21.
// TcvPages::LoadFromStream / SaveToStream (the pages section) are implemented in CV_Template.cpp,
// TcvReport::LoadFromStream / SaveToStream (the whole stream) in engine/report/CV_TemplateFile.cpp.
#include "platform/core/Cp1252.h"

namespace tessaly {

class TcvPages;
class TcvView;

// Placeholders must show another page that exists, and sub-reports must not show each other in a
// circle: either would make the preparation run forever. Raises EReadError.
void CheckSubReports(const TcvPages& pages);
// Streams before version 23 store no names: the objects get Memo1, Memo2, ... in stream order,
// as if each had been named when it was made.
void NameInStreamOrder(const TcvPages& pages);
// The class that the object's type code makes when the stream is read back is the object's own.
bool ReadsBackAs(const TcvView& view);
// Refuses to save ("Impossibile salvare il report: ...") an object on a page past the 256 that
// object records can name, of a class that would not read back, or holding what its stream form
// cannot keep.
void CheckPagesStreamForm(const TcvPages& pages);

inline constexpr int kFirstVersionedStream = 21;
// The message shown when a template cannot be loaded.
inline constexpr char kTemplateLoadFailed[] =
    "Non \xE8 stato possibile terminare la fase di caricamento del report.\n\rProbabilmente il report \xE8 "
    "corrotto, o contiene componenti non inseriti all'interno del progetto.";

}  // namespace tessaly
