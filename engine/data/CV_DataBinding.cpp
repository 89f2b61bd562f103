#include "engine/data/CV_DataBinding.h"

#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_Const.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Report.h"

namespace tessaly {

TcvDataset* FindReportDataset(const TcvReport& report, std::string_view name) {
    if (name.empty()) return nullptr;
    if (report.Owner())
        if (auto* d = dynamic_cast<TcvDataset*>(report.Owner()->FindComponent(name))) return d;
    const StringList& list = report.DataSets();
    int index;
    if (!list.Find(name, index)) return nullptr;
    return dynamic_cast<TcvDataset*>(static_cast<TComponent*>(list.Objects(index)));
}

TcvDataset* BindBandDataset(TcvReport& report, const AnsiString& name, int bandType, AnsiString& error) {
    error.clear();
    TcvDataset* dataset = FindReportDataset(report, name);
    if (!dataset) {
        if (!name.empty()) error = MsgDatasetNotFound + name;
        return nullptr;
    }
    auto* db = dynamic_cast<TcvDBDataSet*>(dataset);
    if (db) db->DisableControls = report.DisableDataSetControls();
    try {
        dataset->Open();
    } catch (...) {
        dataset->Close();  // a filter that cannot be evaluated: the dataset goes back as it was
        throw;
    }
    if (db && !db->ErrorText.empty()) {
        error = db->ErrorText;
        db->Close();
        return nullptr;
    }
    DataSetWork(report, *dataset, bandType, dwOpen);
    return dataset;
}

AnsiString DataSetWorkBandName(const TcvReport& report, const TcvDataset& dataset, int bandType) {
    AnsiString bandName;
    report.Pages().ForEachObject([&](const TcvView& view) {
        auto* band = dynamic_cast<const TcvBandView*>(&view);
        if (bandName.empty() && band && band->IsDataBand() && band->BandType() == bandType &&
            FindReportDataset(report, band->FormatText) == &dataset)
            bandName = band->Name;
    });
    return bandName;
}

void DataSetWork(TcvReport& report, TcvDataset& dataset, int bandType, TcvDataSetWork operation) {
    if (report.OnDataSetWork) DataSetWork(report, DataSetWorkBandName(report, dataset, bandType), dataset, operation);
}

void DataSetWork(TcvReport& report, const AnsiString& bandName, TcvDataset& dataset, TcvDataSetWork operation) {
    if (!report.OnDataSetWork) return;
    int32_t count = dataset.RangeEndCount;
    report.OnDataSetWork(bandName, dataset.GetDataSet(), count, operation);
    dataset.RangeEndCount = count;
}

}  // namespace tessaly
