#include "engine/data/CV_DatasetSection.h"

#include <memory>
#include <set>

#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_Const.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/report/CV_Messages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly {

namespace {

struct DatasetEntry {
    uint8_t kind = 0;
    AnsiString reference;
    bool filtered = false;
    AnsiString filter;
    AnsiString name;
    uint8_t rangeBegin = 0;
    uint8_t rangeEnd = 0;
    int32_t rangeEndCount = 0;
};

DatasetEntry ReadEntry(Stream& stream) {
    DatasetEntry e;
    e.kind = stream.ReadU8();
    if (e.kind != 0) {
        e.reference = ReadShortString(stream);
        if (StreamVersion >= 27) {
            e.filtered = stream.ReadU8() == 1;
            e.filter = ReadShortString(stream);
        }
    }
    e.name = ReadShortString(stream);
    e.rangeBegin = stream.ReadU8();
    e.rangeEnd = stream.ReadU8();
    stream.ReadU16();
    e.rangeEndCount = stream.ReadI32();
    return e;
}

// The report dataset of an entry; none (after the warning) when its database dataset is missing.
std::unique_ptr<TcvDataset> MakeDataset(const DatasetEntry& e) {
    if (e.kind == 0) return std::make_unique<TcvDataset>(nullptr);
    auto* found = dynamic_cast<data::Dataset*>(data::ApplicationModules().FindModuleComponent(e.reference));
    if (!found) {
        ShowEngineMessage(TMsgDlgType::mtWarning, MsgDatasetNotFound + e.reference);
        return nullptr;
    }
    auto dataset = std::make_unique<TcvDBDataSet>(nullptr);
    dataset->SetDataSet(found);
    dataset->Filtered = e.filtered;
    dataset->Filter = e.filter;
    return dataset;
}

TcvDataset* EntryDataset(const StringList& list, int i) {
    return dynamic_cast<TcvDataset*>(static_cast<TComponent*>(list.Objects(i)));
}

}  // namespace

void ReadDatasetSection(Stream& stream, TcvReport& report) {
    const int32_t count = stream.ReadI32();
    if (count < 0) throw EReadError();
    for (int32_t i = 0; i < count; ++i) {
        const DatasetEntry e = ReadEntry(stream);
        std::unique_ptr<TcvDataset> dataset = MakeDataset(e);
        if (!dataset) continue;
        dataset->SetName(e.name);
        dataset->RangeBegin = static_cast<TcvRangeBegin>(e.rangeBegin);
        dataset->RangeEnd = static_cast<TcvRangeEnd>(e.rangeEnd);
        dataset->RangeEndCount = e.rangeEndCount;
        if (report.AddDataset(e.name, dataset.get())) dataset.release();
    }
}

std::vector<AnsiString> ReadDatasetReferences(Stream& stream) {
    const int32_t count = stream.ReadI32();
    if (count < 0) throw EReadError();
    std::vector<AnsiString> references;
    for (int32_t i = 0; i < count; ++i) {
        const DatasetEntry e = ReadEntry(stream);
        if (e.kind != 0) references.push_back(e.reference);
    }
    return references;
}

void CheckDatasetSection(TcvReport& report) {
    const StringList& list = report.DataSets();
    std::set<AnsiString> names;
    for (int i = 0; i < list.Count(); ++i) {
        TcvDataset* d = EntryDataset(list, i);
        if (!d) RefuseToSave("\"" + list[i] + "\" non \xE8 un cvDataset.");
        if (!FitsShortString(d->Name())) RefuseToSave("il nome del cvDataset \"" + d->Name() + "\" supera i 255 caratteri.");
        if (!SameText(list[i], d->Name()))
            RefuseToSave("il cvDataset \"" + d->Name() + "\" \xE8 nell'elenco con il nome \"" + list[i] + "\".");
        if (!names.insert(UpperCase(d->Name())).second)
            RefuseToSave("due cvDataset hanno lo stesso nome \"" + d->Name() + "\".");
        auto* db = dynamic_cast<TcvDBDataSet*>(d);
        if (!db) continue;
        if (!db->DataSet()) RefuseToSave("il cvDataset \"" + d->Name() + "\" non ha un dataset.");
        if (!db->DataSet()->Owner() || db->DataSet()->Owner()->Name().empty())
            RefuseToSave("il dataset del cvDataset \"" + d->Name() + "\" non appartiene a una form o a un data module.");
        if (!FitsShortString(db->DataSet()->FullName()) || !FitsShortString(db->Filter))
            RefuseToSave("il riferimento o il filtro del cvDataset \"" + d->Name() + "\" supera i 255 caratteri.");
    }
}

void WriteDatasetSection(Stream& stream, TcvReport& report) {
    const StringList& list = report.DataSets();
    stream.WriteI32(list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        TcvDataset& d = *EntryDataset(list, i);
        auto* db = dynamic_cast<TcvDBDataSet*>(&d);
        stream.WriteU8(db ? 1 : 0);
        if (db) {
            WriteShortString(stream, db->DataSet()->FullName());
            stream.WriteU8(db->Filtered ? 1 : 0);
            WriteShortString(stream, db->Filter);
        }
        WriteShortString(stream, d.Name());
        stream.WriteU8(d.RangeBegin);
        stream.WriteU8(d.RangeEnd);
        stream.WriteU16(0);
        stream.WriteI32(d.RangeEndCount);
    }
}

}  // namespace tessaly
