#pragma once
// How bands find and use their report datasets: binding a band to the dataset its band view
// names, and the report's OnDataSetWork event at each moment of a dataset's walk.
#include <string_view>

#include "engine/data/CV_Dataset.h"
#include "platform/core/Cp1252.h"

namespace tessaly {

class TcvReport;

// The report dataset called `name`: a report dataset among the components of the report's
// owner, else the entry of the report's dataset list; nullptr for none.
TcvDataset* FindReportDataset(const TcvReport& report, std::string_view name);

// Binds a band (any but a group header) of `bandType` to the dataset that its view names: the
// dataset takes DisableControls from the report and is opened, and OnDataSetWork is told (dwOpen).
// Returns nullptr when there is no dataset to walk: for an empty name, and with `error` set to the
// preparation error to report for a name that finds nothing ("Non è stato trovato il cvDataset: ")
// or a dataset that could not be opened (its ErrorText). A filter that fails as the dataset opens
// raises its error, the dataset closed again.
TcvDataset* BindBandDataset(TcvReport& report, const AnsiString& name, int bandType, AnsiString& error);

// Fires the report's OnDataSetWork (when assigned) for a band of `bandType` walking `dataset`:
// with the name of the data band view of that type that names the dataset (searched over all
// template pages; empty for none), the database dataset (none for a plain report dataset) and
// RangeEndCount, which takes back what the handler leaves in it.
void DataSetWork(TcvReport& report, TcvDataset& dataset, int bandType, TcvDataSetWork operation);
// The same with the band's name found already (DataSetWorkBandName): a band that walks its
// dataset looks for its name once, not at every record.
void DataSetWork(TcvReport& report, const AnsiString& bandName, TcvDataset& dataset, TcvDataSetWork operation);
// The name that OnDataSetWork gives for a band of `bandType` walking `dataset`: the first band
// view of that type bound to it.
AnsiString DataSetWorkBandName(const TcvReport& report, const TcvDataset& dataset, int bandType);

}  // namespace tessaly
