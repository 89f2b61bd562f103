#include "engine/prepare/CV_PrepState.h"

#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_BandAggregates.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/report/CV_Report.h"

namespace tessaly {

TcvPreparationState::TcvPreparationState(TcvReport& report) : Report(report) {}

TcvBand* TcvPreparationState::DataBandFor(int bandType) const {
    if (!CurrentPage) return nullptr;
    if (bandType >= btDetailHeader && bandType <= btDetailFooter) return CurrentPage->DataBand(btDetailData);
    if (bandType >= btSubDetailHeader && bandType <= btSubDetailFooter) return CurrentPage->DataBand(btSubDetailData);
    if (bandType >= btCrossHeader && bandType <= btCrossFooter) return CurrentPage->DataBand(btCrossData);
    if (bandType == btOverlay || bandType == btNone) return nullptr;
    return CurrentPage->DataBand(btMasterData);
}

void TcvPreparationState::RecordError(const AnsiString& message) {
    if (PreparationError.Recorded) return;
    const bool inBand = CurrentObject && CurrentBand && CurrentObject->ParentBand == CurrentBand;
    const AnsiString* object = inBand ? &CurrentObject->Name : nullptr;
    const int bandType = CurrentBand ? CurrentBand->BandType : -1;
    PreparationError = {true, message, PreparationErrorText(message, object, bandType, ErrorPageNo)};
    if (Report.Preparing) Report.Terminated = true;
}

Variant TcvPreparationState::Variable(std::string_view key) {
    if (key == "LINE#") return CurrentBand ? Variant(CurrentBand->RecordNo) : Variant();
    if (key == "LINETHROUGH#") return CurrentBand ? Variant(CurrentBand->RecordCount) : Variant();
    if (key == "COLUMN#") return CurrentPage ? Variant(CurrentPage->ColumnCounter) : Variant();
    if (key == "CURRENT#") return CurrentPage ? Variant(CurrentPage->LineCounter) : Variant();
    if (key == "TOTALPAGES") return Variant(TotalPages);
    return {};
}

void TcvPreparationState::MarkSeveralLines() { MarkSeveralLinesOf(CurrentObject); }

data::Dataset* TcvPreparationState::FeedingDataSet() {
    const TcvBand* band = DataBandFor(CurrentObject ? int(CurrentObject->ParentBandType) : int(btMasterData));
    return band ? band->DataSet : nullptr;
}

void TcvPreparationState::Aggregate(TcvAggregateFunction function, std::string_view argument, Variant& value) {
    BandAggregate(*this, function, argument, value);
}

}  // namespace tessaly
