#pragma once
// Data fields and datasets found by the names that report texts and named values use.
//
//   Form.Dataset.Field     a field of a dataset on a form or data module of the application
//   Dataset.Field          a field of a dataset of the owner (the report's owner); when it has no
//                          such dataset, Form.Dataset: a dataset with no field
//   Field                  a field of the dataset that feeds the band of the run's current object
//                          (TcvTextRun::FeedingDataSet)
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

class TComponent;

struct TcvFieldLookup {
    data::Dataset* DataSet = nullptr;
    data::Field* Field = nullptr;
};

TcvFieldLookup FindDataField(const TComponent* owner, std::string_view name);

// The dataset called `name` (a dataset of the owner, or "Form.Dataset"), or none.
data::Dataset* LookupDataset(const TComponent* owner, std::string_view name);
// The same; none reports "Non è stato trovato il cvDataset: " + name as the preparation error.
data::Dataset* FindDataset(const TComponent* owner, const AnsiString& name);

}  // namespace tessaly
