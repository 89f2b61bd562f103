#pragma once
// A dataset: records with named fields, walked one record at a time. The operations are those a
// report walks data with (open, close, first, next, prior, end and beginning of data, record
// number and count, refresh, fields by name, controls disabled while a report runs). Back ends
// supply the records: SqlDataset (SQLite, PostgreSQL) and MemoryDataset (rows given in code, for
// hosts and tests).
//
// Walking: after Open and First the first record is current, Bof is set, and Eof is set only for
// an empty dataset. Next from the last record sets Eof and leaves the last record current, so its
// fields stay readable; Prior from the first record sets Bof and stays there. Navigating a closed
// dataset raises EDatabaseError.
#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Errors.h"
#include "platform/core/Variant.h"
#include "platform/data/Field.h"

namespace tessaly::data {

// A dataset's failure; for the database's own failures, the database's message.
class EDatabaseError : public EngineError {
public:
    using EngineError::EngineError;
};

class Dataset : public TComponent {
public:
    explicit Dataset(TComponent* owner);
    ~Dataset() override;
    const char* ClassName() const override { return "TDataSet"; }

    bool Active() const { return active_; }
    // Opens and goes to the first record; nothing when already open. EDatabaseError when the
    // records cannot be read: the dataset stays closed.
    void Open();
    void Close();  // nothing when already closed

    void First();
    void Next();
    void Prior();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    // 1 for the first record; 0 while there is none (closed or empty).
    int RecNo() const { return current_ + 1; }
    // EDatabaseError outside 1..RecordCount().
    void SetRecNo(int recNo);
    int RecordCount();
    // Reads the records again and goes back to the same record number (the last one when there
    // are fewer records now).
    void Refresh();

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    Field& Fields(int index) const { return *fields_.at(index); }
    // The field called `name`, ignoring the case of a to z; nullptr for none. Fields exist from
    // the first Open on.
    Field* FindField(std::string_view name) const;

    // Disabling nests: controls are enabled again by as many EnableControls.
    bool ControlsDisabled() const { return disabledControls_ > 0; }
    void DisableControls() { ++disabledControls_; }
    void EnableControls() {
        if (disabledControls_ > 0) --disabledControls_;
    }

protected:
    // What a back end does. Open reads the records (EDatabaseError on failure) and tells the
    // fields; MoveTo makes the record at a 0-based index current, or returns false and keeps the
    // current one when there is no such record; the values are those of the current record.
    virtual std::vector<FieldDef> OpenRecords() = 0;
    virtual void CloseRecords() = 0;
    virtual bool MoveTo(int index) = 0;
    virtual int CountRecords() = 0;
    virtual Variant ValueOf(const Field& field) const = 0;

    // Back ends free their records in their own destructors: Close() from here would be too late.
    void CloseOnDestroy();

private:
    friend class Field;
    void CheckActive() const;
    void KeepFields(const std::vector<FieldDef>& defs);
    bool HasRecord() const { return active_ && current_ >= 0; }

    std::vector<std::unique_ptr<Field>> fields_;
    bool active_ = false;
    bool bof_ = false;
    bool eof_ = false;
    int current_ = -1;  // 0-based index of the current record, -1 for none
    int disabledControls_ = 0;
};

}  // namespace tessaly::data
