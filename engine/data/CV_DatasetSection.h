#pragma once
// The dataset section of the template stream (from version 23 on): the report's dataset list.
//   count: 32-bit signed; then per dataset:
//     kind (8-bit): 0 a plain TcvDataset, any other a TcvDBDataSet;
//     TcvDBDataSet only: its database dataset as a short string "Module.Component"; from
//       version 27 on, Filtered (8-bit, 1 true) and Filter (short string);
//     the report dataset's name (short string);
//     range: RangeBegin (8-bit), RangeEnd (8-bit), two zero bytes, RangeEndCount (32-bit signed).
#include <vector>

#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"

namespace tessaly {

class TcvReport;

// Reads the section into the report's dataset list. A database dataset that cannot be found is
// warned about ("Attenzione") and its entry dropped; a second entry of a name is dropped too.
void ReadDatasetSection(Stream& stream, TcvReport& report);
// The "Module.Component" references of the section's database datasets, in order, read without
// looking anything up (what a host must provide before the template loads).
std::vector<AnsiString> ReadDatasetReferences(Stream& stream);
// Raises "Impossibile salvare il report: ..." when a dataset would not read back as it is: a
// database dataset that is missing or belongs to no module, texts beyond 255 bytes, two datasets
// of one name, an entry listed under another name than its dataset's, an entry that is no report
// dataset.
void CheckDatasetSection(TcvReport& report);
void WriteDatasetSection(Stream& stream, TcvReport& report);

}  // namespace tessaly
