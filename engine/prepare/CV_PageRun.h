#pragma once
// The run-time side of a template page being prepared: its bands by type, its two counters, where
// it prints (CurY, CurBottom, the current column) and, for a page run as a sub-report, the queue
// of steps it collected. CV_PageRun.cpp starts and ends pages and columns, CV_LevelLoop.cpp walks
// the data level by level, CV_SubReports.cpp collects and replays sub-reports.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/model/CV_BandType.h"
#include "engine/prepare/CV_Preparation.h"

namespace tessaly {

class TcvBand;
class TcvPage;
class TcvPreparation;
class TcvPreparationState;

// A step of a page that runs as a sub-report: a band to print, or something the level loop did
// (a dataset moved, counters grew, aggregates were reset) to be done again as the bands print.
struct TcvStep {
    TcvBand* Print = nullptr;
    std::function<void()> Action;
};

struct TcvPageRun {
    TcvPageRun();
    ~TcvPageRun();
    TcvPageRun(const TcvPageRun&) = delete;
    TcvPageRun& operator=(const TcvPageRun&) = delete;

    // The first band of each type's chain; none for a type the page has no band of.
    std::array<TcvBand*, BandTypeCount> Bands{};
    // The band of a data type's chain whose dataset is walked now; none before the walk starts.
    std::array<TcvBand*, BandTypeCount> Walking{};
    int32_t LineCounter = 1;    // CURRENT#: grows by one per printed record of any data band
    int32_t ColumnCounter = 1;  // COLUMN#: the cross-table column being produced

    TcvBand* Band(int type) const { return type >= 0 && type < BandTypeCount ? Bands[type] : nullptr; }
    // The data band of `type`'s chain that feeds the bands now: the one walked, else the first.
    TcvBand* DataBand(int type) const;

    // --- The page being run (all set by InitRun) ---------------------------------------------------
    TcvPreparation* Run = nullptr;
    // The preparation's state, reached through the pass.
    TcvPreparationState& State() const { return Run->State; }
    TcvPage* Page = nullptr;
    int Index = 0;  // of the template page
    bool IsSubReportPage = false;
    bool Prepared = false;
    int32_t CurY = 0;
    int32_t CurBottom = 0;
    int32_t CurColumn = 0;
    int32_t ColumnX = 0;    // left edge of the current column
    int32_t ColumnTop = 0;  // CurY where the current column started
    int32_t FreshY = 0;     // CurY below the headers of the current column or page: nothing printed yet
    bool Breaking = false;  // NewPage or a new column prints its bands: none of them breaks again
    bool InCross = false;   // a cross table prints
    bool Collecting = false;
    std::vector<TcvStep> Queue;
    size_t QueuePos = 0;
    TcvBand* WaitingBand = nullptr;  // a band whose sub-reports wait for a new page
    TcvBand* PendingFill = nullptr;  // a band whose list is to be filled before the next print
    bool ForceFit = false;  // a sub-report page: its next band prints even where it does not fit

    // Builds the bands (PrepareObjects) and lets the text objects register their aggregates.
    void InitRun(TcvPreparation& run, TcvPage& page, int index);
    // Destroys the bands and gives every object its design geometry back.
    void DoneRun();
    // Runs the page: title, headers, the level loop, summary and footers; a collecting page only
    // fills its queue.
    void ShowPage();
    void NewPage();
    // The next column when there is one (true), else nothing (false).
    bool NextColumn();
    // Prints a band, or queues it while collecting; true when it must be printed again.
    bool ShowBand(TcvBand* band);
    // Shows every band of a type's chain in order of Top: a page may have two titles, two page
    // footers (stacked from the bottom limit down), and so on.
    void ShowChain(int type);
    bool ChainHasObjects(int type) const;
    // Does `action` now, or queues it while collecting.
    void Act(std::function<void()> action);

    // The edges of the area that bands print in, and how far the current column is moved right.
    int32_t LeftEdge() const;
    int32_t TopEdge() const;
    int32_t RightEdge() const;
    int32_t BottomEdge() const;
    int32_t ColumnOffset() const;
    int32_t ColumnWidth() const;
    int32_t Columns() const;
    // Height of the bands of a type's chain that print (those with objects).
    int32_t PrintedHeight(int type) const;
    // CurBottom of a fresh page: the bottom edge less the page footer.
    int32_t FreshBottom() const;

    // A band of this page; owned.
    TcvBand& AddBand(int type);

private:
    void StartPage();
    void ShowPageEnd();
    void ShowFooter(int type);
    // Selects each page open now and draws on it, until a preparation error.
    void ForOpenPages(const std::function<void()>& draw);
    void ShowHeaders();
    std::vector<std::unique_ptr<TcvBand>> owned_;
};

// Builds the run-time bands of a page run from its template page's band views (CV_BandBuild.cpp).
void PrepareObjects(TcvPageRun& page);
// Lets every text object of the page register the aggregates it reads with the data band that
// feeds it.
void RegisterAggregates(TcvPageRun& page);

}  // namespace tessaly
