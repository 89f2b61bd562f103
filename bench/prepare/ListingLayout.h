#pragma once
// The 10,000-row listing of the preparation benchmarks: a page header of six headings, a master
// data band of six fields of the dataset "righe" (codice, descrizione, quantita, prezzo, data,
// note) and a page footer with the page number ("Pagina x di y" in two passes), and its rows.
#include <QVariantList>
#include <vector>

#include "engine/report/CV_Report.h"
#include "platform/data/Dataset.h"

namespace tessaly::bench {

inline constexpr int kListingRows = 10000;

// Adds the listing to the report's first page, its band walking `rows` as the report dataset
// "righe"; the report prepares without a progress dialog.
void AddListing(TcvReport& report, data::Dataset& rows, bool twoPass);
std::vector<data::FieldDef> ListingColumns();
// Row i (from 1) in column order, as Qt values.
QVariantList ListingRow(int i);

}  // namespace tessaly::bench
