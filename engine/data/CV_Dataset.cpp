#include "engine/data/CV_Dataset.h"

#include <string>

#include "engine/expr/CV_Expr.h"
#include "engine/report/CV_Component.h"
#include "platform/core/Errors.h"
#include "platform/core/Variant.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly {

namespace {

const char* const kRangeBeginNames[] = {"rbFirst", "rbCurrent"};
const char* const kRangeEndNames[] = {"reLast", "reCurrent", "reCount"};

template <class Enum, size_t N>
Enum ReadEnum(TReader& reader, const char* const (&names)[N]) {
    const AnsiString value = reader.ReadString();
    for (size_t i = 0; i < N; ++i)
        if (value == names[i]) return static_cast<Enum>(i);
    throw EReadError("Invalid property value");
}


}  // namespace

// --- TcvDataset -------------------------------------------------------------------------------

TcvDataset::TcvDataset(TComponent* owner) : TComponent(owner) {
    static int lastNumber = 0;
    if (!owner) SetName("N" + std::to_string(++lastNumber));
}

void TcvDataset::First() {
    RecNo = 0;
    RecordsRead = 0;
    if (OnFirst) OnFirst(this);
}

void TcvDataset::Next() {
    ++RecNo;
    ++RecordsRead;
    if (OnNext) OnNext(this);
}

void TcvDataset::Prior() {
    --RecNo;
    if (OnPrior) OnPrior(this);
}

bool TcvDataset::BaseEof() {
    bool eof = RangeEnd == reCount && RecNo >= RangeEndCount;
    if (OnCheckEOF) OnCheckEOF(this, eof);
    return eof;
}

// The records of a plain dataset are the host's: only a count or OnCheckEOF tells where they end.
// Without either, a range to the last record has none and one of the current record has one, so
// that walking it cannot go on for ever.
bool TcvDataset::Eof() {
    if (RangeEnd != reCount && !OnCheckEOF) return RangeEnd == reLast || RecNo >= 1;
    return BaseEof();
}

bool TcvDataset::IsLastRecord() {
    if (RangeEnd == reCount) return RecNo >= RangeEndCount - 1;
    if (data::Dataset* ds = GetDataSet()) return ds->Active() && RecNo >= ds->RecordCount() - 1;
    return false;
}

void TcvDataset::WriteProperties(TWriter& w) {
    if (RangeBegin != rbFirst) w.WriteString("RangeBegin", kRangeBeginNames[RangeBegin]);
    if (RangeEnd != reLast) w.WriteString("RangeEnd", kRangeEndNames[RangeEnd]);
    if (RangeEndCount != 0) w.WriteInteger("RangeEndCount", RangeEndCount);
}

bool TcvDataset::ReadProperty(const std::string& name, TReader& r) {
    if (name == "RangeBegin")
        RangeBegin = ReadEnum<TcvRangeBegin>(r, kRangeBeginNames);
    else if (name == "RangeEnd")
        RangeEnd = ReadEnum<TcvRangeEnd>(r, kRangeEndNames);
    else if (name == "RangeEndCount")
        RangeEndCount = r.ReadInteger();
    else
        return false;
    return true;
}

// --- TcvDBDataSet -----------------------------------------------------------------------------

TcvDBDataSet::~TcvDBDataSet() { SetDataSet(nullptr); }

void TcvDBDataSet::SetDataSet(data::Dataset* dataSet) {
    if (dataSet_ == dataSet) return;
    if (dataSet_) dataSet_->RemoveFreeNotification(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->FreeNotification(this);
}

void TcvDBDataSet::Notification(TComponent* freed) {
    if (freed == dataSet_) dataSet_ = nullptr;
}

data::Dataset* TcvDBDataSet::GetDataSet() {
    if (!dataSet_) {
        ErrorText = "Dataset non assegnato: " + Name();
        return nullptr;
    }
    if (dataSet_->Active())
        ErrorText.clear();
    else if (IsOpen())
        ErrorText = "Dataset chiuso: " + dataSet_->Name();
    return dataSet_;
}

data::Dataset* TcvDBDataSet::Walkable() {
    data::Dataset* ds = GetDataSet();
    return ds && ds->Active() ? ds : nullptr;
}

// The open is counted before the dataset is taken hold of: a filter that fails there leaves a
// dataset that Close gives back.
void TcvDBDataSet::Open() {
    AtRangeEnd = false;
    if (opened_ > 0) {
        ++opened_;
        return;
    }
    ErrorText.clear();
    data::Dataset* ds = GetDataSet();
    ++opened_;
    if (ds) TakeHold(*ds);
}

void TcvDBDataSet::TakeHold(data::Dataset& ds) {
    WasActive = ds.Active();
    controlsDisabledHere_ = false;
    if (!WasActive) {
        try {
            ds.Open();
        } catch (const EngineError& e) {
            ErrorText = "Non \xE8 stato possibile aprire il Dataset: " + ds.Name() + "\r\n" + e.Message();
        }
    }
    if (!ErrorText.empty()) return;
    SavedRecNo = ds.RecNo();
    ControlsWereDisabled = ds.ControlsDisabled();
    if (DisableControls && !ControlsWereDisabled) {
        ds.DisableControls();
        controlsDisabledHere_ = true;
    }
    SkipFiltered(true);
}

void TcvDBDataSet::Close() {
    if (opened_ == 0 || --opened_ > 0) return;
    AtRangeEnd = false;
    if (dataSet_) GiveBack(*dataSet_);
}

void TcvDBDataSet::GiveBack(data::Dataset& ds) {
    if (controlsDisabledHere_) ds.EnableControls();
    controlsDisabledHere_ = false;
    if (!WasActive) {
        ds.Close();
        return;
    }
    try {
        if (ds.Active()) ds.SetRecNo(SavedRecNo);
    } catch (const EngineError&) {
        // The saved record may be gone; the dataset stays where it is.
    }
}

void TcvDBDataSet::First() {
    if (data::Dataset* ds = Walkable()) {
        if (RangeBegin == rbFirst) {
            ds->First();
        } else {
            try {
                if (ds->Eof()) ds->Refresh();
                ds->SetRecNo(SavedRecNo);
            } catch (const EngineError&) {
                // No saved record to go back to: the range starts where the dataset is.
            }
        }
        SkipFiltered(true);
    }
    AtRangeEnd = false;
    LastWalkedRecNo = 0;
    TcvDataset::First();
}

// A range that ends at the current record ends once that record has been passed: the dataset
// then stays on it.
void TcvDBDataSet::Next() {
    data::Dataset* ds = Walkable();
    AtRangeEnd = RangeEnd == reCurrent && ds && ds->RecNo() == SavedRecNo;
    if (!ds) return;
    LastWalkedRecNo = ds->RecNo();
    if (AtRangeEnd) return;
    ds->Next();
    SkipFiltered(true);
    TcvDataset::Next();
}

void TcvDBDataSet::Prior() {
    AtRangeEnd = false;
    data::Dataset* ds = Walkable();
    if (!ds) return;
    ds->Prior();
    SkipFiltered(false);
    TcvDataset::Prior();
}

bool TcvDBDataSet::Eof() {
    if (BaseEof() || AtRangeEnd) return true;
    data::Dataset* ds = GetDataSet();
    return ds && (!ds->Active() || ds->Eof());
}

bool TcvDBDataSet::IsLastRecord() { return TcvDataset::IsLastRecord(); }

void TcvDBDataSet::SkipFiltered(bool forward) {
    data::Dataset* ds = Filtered ? Walkable() : nullptr;
    if (!ds) return;
    auto passes = [this] {
        Variant value;
        try {
            EvaluateExpression(Filter, value);
            return VarCompare(value, Variant(false)) != 0;
        } catch (const EngineError&) {
            throw EngineError(kFilterError);
        }
    };
    if (forward) {
        while (!ds->Eof() && !passes()) {
            ds->Next();
            ++RecordsRead;
        }
    } else {
        while (!ds->Bof() && !passes()) ds->Prior();
    }
}

void TcvDBDataSet::WriteProperties(TWriter& w) {
    TcvDataset::WriteProperties(w);
    // A dataset of the same owner by its name, another as "Module.Component".
    if (dataSet_) w.WriteString("DataSet", dataSet_->Owner() == Owner() ? dataSet_->Name() : dataSet_->FullName());
    if (!Filter.empty()) w.WriteString("Filter", Filter);
    if (Filtered) w.WriteBoolean("Filtered", true);
}

bool TcvDBDataSet::ReadProperty(const std::string& name, TReader& r) {
    if (name == "DataSet") {
        const AnsiString reference = r.ReadString();
        TComponent* found = reference.find('.') != AnsiString::npos
                                ? data::ApplicationModules().FindModuleComponent(reference)
                                : Owner() ? Owner()->FindComponent(reference) : nullptr;
        SetDataSet(dynamic_cast<data::Dataset*>(found));
    } else if (name == "Filter") {
        Filter = r.ReadString();
    } else if (name == "Filtered") {
        Filtered = r.ReadBoolean();
    } else {
        return TcvDataset::ReadProperty(name, r);
    }
    return true;
}

}  // namespace tessaly
