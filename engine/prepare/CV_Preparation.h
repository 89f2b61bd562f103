#pragma once
// One pass of a preparation over all template pages (what TcvReport::BuildReport runs): the page
// runs, the prepared pages being drawn on, and what one template page leaves to the next
// (ContinueOnPreviousPage, PageFooterOnLastPage).
//
// Prepared pages: a page is open (it has a surface) until the run closes it. The open pages are
// those from OpenFrom on; more than one is open while a cross table spills to the right. The run
// ends with every page closed and every page run undone, however it ends.
#include <cstdint>
#include <memory>
#include <vector>

#include <QElapsedTimer>

namespace tessaly {

class TcvPage;
class TcvPreparationState;
class TcvReport;
struct TcvPageRun;

class TcvPreparation {
public:
    TcvPreparation(TcvReport& report, TcvPreparationState& state);
    ~TcvPreparation();
    TcvPreparation(const TcvPreparation&) = delete;
    TcvPreparation& operator=(const TcvPreparation&) = delete;

    TcvReport& Report;
    TcvPreparationState& State;  // of the whole preparation, both passes
    bool AppendToPrevious = false;  // the next template page goes on where the last one ended
    int32_t SavedCurY = 0;
    int32_t SavedCurBottom = 0;
    bool FooterOnLastPending = false;  // the page footer is printed on the open pages already
    int OpenFrom = 0;                  // the first prepared page still open
    std::vector<int> PagesMade;        // prepared pages each template page started

    // The page loop: begins the document, runs every template page that is not a sub-report and
    // ends the document. Errors become the preparation error.
    void Build();

    TcvPageRun& PageRun(int index) { return *pages_.at(static_cast<size_t>(index)); }
    int PageRunCount() const { return static_cast<int>(pages_.size()); }

    // Adds a prepared page for a template page and makes it the current one (the state's
    // PreparedIndex and CurPageCanvas).
    void AddPreparedPage(const TcvPage& page);
    // Makes an open prepared page the current one.
    void SelectPreparedPage(int index);
    int PreparedCount() const;
    bool IsOpen(int index) const;
    // Closes every prepared page from OpenFrom on (their drawings are finished).
    void CloseOpenPages();
    // Lets pending window messages be processed, at most every few milliseconds: a run checks
    // after every record whether it was cancelled. Also checks the report's time limit.
    void PollMessages();
    // Records the preparation error of a run past the report's MaxPreparationMs.
    void CheckTime();

    // A preparation error is recorded: the run does no more.
    bool Failed() const;

private:
    void BeginDocument();
    bool InitPages();
    void RunPages();
    void RunPage(int index);
    void EndPage(int index);
    void EndDocument();
    void CloseAllPages();

    std::vector<std::unique_ptr<TcvPageRun>> pages_;
    QElapsedTimer sincePoll_;
};

// The order of interleaved pages: the first pages of every template page in template order, then
// the second pages, and so on. `made` gives each template page's count; the result lists page
// indexes.
std::vector<int> InterleavedOrder(const std::vector<int>& made);

}  // namespace tessaly
