#pragma once
// A dataset whose records a SqlCursor holds while it is open: what the datasets over databases
// share. A back end's OpenRecords runs its query into the cursor (SetCursor).
#include <memory>

#include "platform/data/Database.h"
#include "platform/data/Dataset.h"

namespace tessaly::data {

class CursorDataset : public Dataset {
public:
    using Dataset::Dataset;
    ~CursorDataset() override;

protected:
    // Keeps `cursor` while the dataset is open and returns its fields (for OpenRecords).
    std::vector<FieldDef> SetCursor(std::unique_ptr<SqlCursor> cursor);
    void CloseRecords() override { cursor_.reset(); }
    bool MoveTo(int index) override { return cursor_ && cursor_->MoveTo(index); }
    int CountRecords() override { return cursor_ ? cursor_->Count() : 0; }
    Variant ValueOf(const Field& field) const override;

private:
    std::unique_ptr<SqlCursor> cursor_;  // while open; freed before the database
};

}  // namespace tessaly::data
