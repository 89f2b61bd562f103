#pragma once
// Data fields and datasets found by the names that report texts and named values use.
//
//   Form.Dataset.Field     a field of a dataset on a form or data module of the application
//   Dataset.Field          a field of a dataset of the report's owner; when the owner has no such
//                          dataset, Form.Dataset: a dataset with no field
//   Field                  a field of the dataset that the data band of the current object's band
//                          family walks (detail for bands 7-9, sub-detail 10-12, cross 18-20,
//                          none for 13 and 21, master otherwise and without a current object)
// A field name may be written in double quotes (Dati."prezzo unitario"); names match ignoring the
// case of a to z.
#include <cstdint>
#include <string_view>

#include "platform/core/Cp1252.h"

namespace tessaly {

namespace data {
class Dataset;
class Field;
}  // namespace data

class TcvBand;
class TcvReport;

struct TcvFieldLookup {
    data::Dataset* DataSet = nullptr;
    data::Field* Field = nullptr;
};

TcvFieldLookup FindDataField(const TcvReport& report, std::string_view name);

// The dataset called `name` (a dataset of the report's owner, or "Form.Dataset"), or none.
data::Dataset* LookupDataset(const TcvReport& report, std::string_view name);
// The same; none reports "Non è stato trovato il cvDataset: " + name as the preparation error.
data::Dataset* FindDataset(const TcvReport& report, const AnsiString& name);

// The data band whose rows feed a band of type `bandType` (the current page's master, detail,
// sub-detail or cross data band: of a chain of them, the one walked now), or none.
TcvBand* DataBandFor(int bandType);

}  // namespace tessaly
