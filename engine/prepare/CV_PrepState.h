#pragma once
// TcvPreparationState: what one preparation is working on, from its first pass to its last: the
// current page, band and object, the pass flag, the prepared page being drawn on and its surface,
// the total and the order of the pages, the date and the time it started, the last value and its
// first error. PrepareReport makes one for both passes and installs it beside the evaluator's
// resolver, so that report texts (TcvTextRun) and report objects (TcvObjectRun) ask it; the passes,
// page runs and bands reach it through the links they have (report -> pass -> page run -> band).
// Nested work (sub-reports, groups, filters) saves what it changes here and restores it.
#include <cstdint>
#include <vector>

#include "engine/model/CV_ObjectRun.h"
#include "platform/core/Variant.h"

namespace tessaly {

namespace emf {
class RecordingCanvas;
}

class TcvBand;
class TcvReport;
struct TcvPageRun;

class TcvPreparationState final : public TcvObjectRun {
public:
    explicit TcvPreparationState(TcvReport& report);
    TcvPreparationState(const TcvPreparationState&) = delete;
    TcvPreparationState& operator=(const TcvPreparationState&) = delete;

    TcvReport& Report;
    TcvPageRun* CurrentPage = nullptr;  // the template page being processed, its run-time side
    TcvBand* CurrentBand = nullptr;     // the run-time band being processed
    TcvView* CurrentObject = nullptr;   // the object being drawn or expanded
    TcvBand* AggregateBand = nullptr;   // the data band whose fed objects register their aggregates;
                                        // none outside that pre-scan
    bool AggregatesSuspended = false;   // a page collects its sub-report steps: no rows are counted
    bool FirstPass = false;             // the first of two passes runs
    int PreparedIndex = 0;              // 0-based index of the prepared page being drawn on
    int ErrorPageNo = 0;                // template page being run, from 1
    int TotalPages = 0;                 // pages that the first of two passes produced
    double ReportDate = 0;              // date and time taken when the preparation started
    double ReportTime = 0;
    Variant CurrentValue;               // the value that the text expansion computed last
    // The order of the prepared pages when they are interleaved: PageOrder[n] is the index of the
    // page that goes n-th. Empty when the pages keep their order.
    std::vector<int> PageOrder;
    TcvRunError PreparationError;
    emf::RecordingCanvas* CurPageCanvas = nullptr;  // surface of the page being prepared

    // The data band whose rows feed a band of type `bandType` (the current page's master, detail,
    // sub-detail or cross data band: of a chain of them, the one walked now), or none.
    TcvBand* DataBandFor(int bandType) const;

    // --- What texts and objects ask ---------------------------------------------------------------
    TcvRunError& Error() override { return PreparationError; }
    // Names the current object when it prints in the current band, the band's type and the
    // template page; ends the preparation.
    void RecordError(const AnsiString& message) override;
    Variant Variable(std::string_view key) override;
    int32_t PageIndex() const override { return PreparedIndex; }
    const std::vector<int>& PageSequence() const override { return PageOrder; }
    double RunDate() const override { return ReportDate; }
    double RunTime() const override { return ReportTime; }
    Variant& LastValue() override { return CurrentValue; }
    TcvObjectFormat ObjectFormat() const override { return FormatOf(CurrentObject); }
    void MarkSeveralLines() override;
    data::Dataset* FeedingDataSet() override;
    bool Registering() const override { return AggregateBand != nullptr; }
    void Aggregate(TcvAggregateFunction function, std::string_view argument, Variant& value) override;
    void MakeCurrent(TcvView* object) override { CurrentObject = object; }
    TcvView* Current() const override { return CurrentObject; }
    bool InFirstPass() const override { return FirstPass; }
};

}  // namespace tessaly
