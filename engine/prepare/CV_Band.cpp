// Run-time bands: their datasets (binding, moves, closing) and the band's own object, current
// while its dataset moves and its conditions are evaluated.
#include "engine/prepare/CV_Band.h"

#include <QScopedValueRollback>

#include "engine/data/CV_DataBinding.h"
#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/data/Dataset.h"
#include "platform/data/SqlDataset.h"

namespace tessaly {

namespace {

data::Dataset* DatabaseOf(TcvDataset* dataset) {
    auto* db = dynamic_cast<TcvDBDataSet*>(dataset);
    return db ? db->DataSet() : nullptr;
}

}  // namespace

TcvBand* BandOf(const TcvView& view) { return static_cast<TcvBand*>(view.ParentBand); }

int DataTypeOfLevel(int level) { return level == 1 ? btMasterData : level == 2 ? btDetailData : btSubDetailData; }

TcvBand::TcvBand(uint8_t bandType, TcvPageRun* page) : TcvBandFrame(bandType), Page(page) {}

TcvBand::~TcvBand() {
    if (!ReportDataSet) return;
    // Closing gives the database dataset back as it was found; a host's handler that fails here
    // cannot stop that.
    try {
        ReportDataSet->Close();
        if (Page && Page->Run) DataSetWork(Page->Run->Report, WorkName, *ReportDataSet, dwClose);
    } catch (...) {
    }
}

int32_t TcvBand::DesignTop() const { return BandView ? BandView->Top : 0; }

bool TcvBand::DataSetEof() const {
    if (ReportDataSet) return ReportDataSet->Eof();
    return !DataSet || !DataSet->Active() || DataSet->Eof();
}

TcvView& TcvBand::Own() {
    if (!own_) {
        own_ = std::make_unique<TcvView>(nullptr);
        own_->Name = BandView ? BandView->Name : AnsiString();
        own_->ParentBand = this;
        own_->ParentBandType = BandType;
    }
    return *own_;
}

TcvBandContext::TcvBandContext(TcvBand& band, bool current)
    : band_(band.State().CurrentBand, current ? &band : band.State().CurrentBand),
      object_(band.State().CurrentObject, &band.Own()) {}

void TcvBand::Bind() {
    if (!BandView || !IsDataBandType(BandType) || !Page || !Page->Run) return;
    TcvReport& report = Page->Run->Report;
    // The filter of a dataset reads its own band's fields from the first Open on.
    DataSet = DatabaseOf(FindReportDataset(report, BandView->FormatText));
    TcvBandContext context(*this);
    QScopedValueRollback walking(Page->Walking[BandType], this);
    AnsiString error;
    ReportDataSet = BindBandDataset(report, BandView->FormatText, BandType, error);
    if (!ReportDataSet) DataSet = nullptr;
    if (ReportDataSet && report.OnDataSetWork) WorkName = DataSetWorkBandName(report, *ReportDataSet, BandType);
    if (!error.empty()) ReportPreparationError(error);
}

// A detail query takes its parameters from the fields of the master record it belongs to.
void TcvBand::LinkToMaster() {
    auto* query = dynamic_cast<data::SqlDataset*>(DataSet);
    const TcvBand* master = BandType == btDetailData      ? Page->DataBand(btMasterData)
                            : BandType == btSubDetailData ? Page->DataBand(btDetailData)
                                                          : nullptr;
    if (query && master && master->DataSet && master->DataSet->Active()) query->BindMasterFields(*master->DataSet);
}

void TcvBand::First() {
    TcvBandContext context(*this);
    if (Page) LinkToMaster();
    ReportDataSet->First();
    if (Page && Page->Run) DataSetWork(Page->Run->Report, WorkName, *ReportDataSet, dwFirst);
}

void TcvBand::NextRecord() {
    TcvBandContext context(*this);
    ReportDataSet->Next();
    if (Page && Page->Run) DataSetWork(Page->Run->Report, WorkName, *ReportDataSet, dwNext);
}

void TcvBand::PriorRecord() {
    TcvBandContext context(*this);
    ReportDataSet->Prior();
    if (Page && Page->Run) DataSetWork(Page->Run->Report, WorkName, *ReportDataSet, dwPrior);
}

}  // namespace tessaly
