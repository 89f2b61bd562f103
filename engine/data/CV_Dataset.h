#pragma once
// Report datasets: the record source of a data band. TcvDataset counts the records of a range and
// lets a host drive it through its events (a dataset with no database behind it); TcvDBDataSet
// walks a dataset of the data layer, optionally filtered, and gives it back as it found it.
//
// Opening nests: only the first Open takes hold of the database dataset (its active state, record
// and controls) and only the matching last Close gives it back. A database dataset that is closed
// is never moved: it reads as being at its end.
#include <cstdint>
#include <functional>

#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"

namespace tessaly {

namespace data {
class Dataset;
}

// The moments that OnDataSetWork is told of (its Operation argument).
enum TcvDataSetWork : int {
    dwOpen = 0,   // a band's dataset was opened
    dwClose = 1,  // the band is destroyed after the preparation (after Close)
    dwFirst = 2,  // after First
    dwNext = 3,   // after each Next
    dwPrior = 4,  // after the step back of a footer
};

enum TcvRangeBegin : uint8_t { rbFirst, rbCurrent };
enum TcvRangeEnd : uint8_t { reLast, reCurrent, reCount };

class TcvDataset : public TComponent {
public:
    // Without an owner the dataset names itself "N" and a number no other dataset has had.
    explicit TcvDataset(TComponent* owner);
    const char* ClassName() const override { return "TcvDataset"; }

    virtual void Open() {}
    virtual void Close() {}
    virtual void First();
    virtual void Prior();
    virtual void Next();
    // For reCount, RecNo >= RangeEndCount; OnCheckEOF may change the answer. Without a count or a
    // handler a plain dataset has no records (for reCurrent, one).
    virtual bool Eof();
    // The current record is the range's last one (the last-record variables of report texts).
    virtual bool IsLastRecord();
    // The database dataset behind it; none for a plain report dataset.
    virtual data::Dataset* GetDataSet() { return nullptr; }

    // Published.
    TcvRangeBegin RangeBegin = rbFirst;
    TcvRangeEnd RangeEnd = reLast;
    int32_t RangeEndCount = 0;
    std::function<void(TcvDataset* Sender, bool& Eof)> OnCheckEOF;
    std::function<void(TcvDataset* Sender)> OnFirst;
    std::function<void(TcvDataset* Sender)> OnNext;
    std::function<void(TcvDataset* Sender)> OnPrior;

    // Position within the range (0 at the first record) and records passed since First.
    int32_t RecNo = 0;
    int32_t RecordsRead = 0;

    void WriteProperties(TWriter& writer) override;
    bool ReadProperty(const std::string& name, TReader& reader) override;

protected:
    bool BaseEof();
};

class TcvDBDataSet : public TcvDataset {
public:
    using TcvDataset::TcvDataset;
    ~TcvDBDataSet() override;
    const char* ClassName() const override { return "TcvDBDataSet"; }

    data::Dataset* DataSet() const { return dataSet_; }
    // The reference is cleared by itself when the database dataset is freed.
    void SetDataSet(data::Dataset* dataSet);

    void Open() override;
    void Close() override;
    void First() override;
    void Prior() override;
    void Next() override;
    bool Eof() override;
    bool IsLastRecord() override;
    // The database dataset, keeping ErrorText up to date; none without one.
    data::Dataset* GetDataSet() override;
    // Steps over the records whose Filter is false (forward counts them in RecordsRead). Raises
    // "Errore nell'espressione del filtro della banda." when the filter cannot be evaluated.
    virtual void SkipFiltered(bool forward);

    // Published.
    AnsiString Filter;
    bool Filtered = false;

    bool DisableControls = true;
    bool IsOpen() const { return opened_ > 0; }
    bool WasActive = false;
    bool ControlsWereDisabled = false;
    AnsiString ErrorText;
    int32_t SavedRecNo = 0;
    bool AtRangeEnd = false;
    // The database record that the last Next left: the last record walked (0 before any).
    int32_t LastWalkedRecNo = 0;

    void WriteProperties(TWriter& writer) override;
    bool ReadProperty(const std::string& name, TReader& reader) override;

protected:
    void Notification(TComponent* freed) override;

private:
    // The database dataset when it is open and may be moved.
    data::Dataset* Walkable();
    void TakeHold(data::Dataset& ds);
    void GiveBack(data::Dataset& ds);

    data::Dataset* dataSet_ = nullptr;
    int opened_ = 0;                    // Open calls not yet closed
    bool controlsDisabledHere_ = false;  // this dataset disabled the controls
};

// The message of a filter that cannot be evaluated.
inline constexpr char kFilterError[] = "Errore nell'espressione del filtro della banda.";

}  // namespace tessaly
