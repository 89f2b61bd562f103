#pragma once
// A dataset whose columns and rows are given in code: records for a host that holds its data in
// memory, and the dataset of tests. Rows may be added or changed while it is open (a report being
// prepared again reads them as they are then); a failure to open can be arranged.
//
//   auto* rows = new MemoryDataset(module, {{"codice", FieldKind::String}, {"prezzo", FieldKind::Currency}});
//   rows->SetName("righe");
//   rows->AppendQtRow({QStringLiteral("A-12"), 1.25});  // Qt values, converted to the column kinds
//   rows->AppendRow({Variant("B-7"), Variant(Currency::FromDouble(3.5))});  // engine values, as given
#include <QVariantList>
#include <vector>

#include "platform/data/Dataset.h"

namespace tessaly::data {

class MemoryDataset : public Dataset {
public:
    explicit MemoryDataset(TComponent* owner, std::vector<FieldDef> columns = {});
    ~MemoryDataset() override;

    // Takes effect at the next Open.
    void SetColumns(std::vector<FieldDef> columns) { columns_ = std::move(columns); }
    // Values in column order, kept as given; missing and empty values are null. A large object's
    // value is a String of its bytes.
    void AppendRow(std::vector<Variant> values);
    // Qt values in column order, each converted to its column's kind as a field of that kind
    // reads a database's value (QtFieldValue): text to cp1252, a double in a Currency column
    // rounded to four decimals, a QDate or QDateTime in a DateTime column to a date-time;
    // values beyond the columns are dropped.
    void AppendQtRow(const QVariantList& values);
    void SetValue(int row, int column, Variant value);
    void ClearRows() { rows_.clear(); }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Makes every Open fail with this message until it is given an empty one.
    void FailOpen(AnsiString message) { openFailure_ = std::move(message); }

protected:
    std::vector<FieldDef> OpenRecords() override;
    void CloseRecords() override { at_ = -1; }
    bool MoveTo(int index) override;
    int CountRecords() override { return RowCount(); }
    Variant ValueOf(const Field& field) const override;

private:
    std::vector<FieldDef> columns_;
    std::vector<std::vector<Variant>> rows_;
    int at_ = -1;
    AnsiString openFailure_;
};

}  // namespace tessaly::data
