#pragma once
// TcvBand: a band at run time, made from a band view when a template page is prepared
// (CV_BandBuild.cpp). It owns the list of its objects (borrowed from the page, their Top relative
// to the band), knows its options, its line counters, the aggregates that its objects feed and the
// dataset it walks, and prints itself at the current position of its page (CV_BandPrint.cpp),
// split across pages (CV_BandSplit.cpp), with the columns of a cross table (CV_BandCross.cpp),
// with its sub-reports (CV_SubReports.cpp) and as part of groups (CV_BandGroups.cpp).
//
// Bands of one type form a chain ordered by Top. A data band followed in its chain by data bands
// without a dataset prints them with each of its records.
#include <cstdint>
#include <memory>
#include <vector>

#include <QScopedValueRollback>

#include "engine/expr/CV_AggregateStore.h"
#include "engine/model/CV_BandFrame.h"
#include "engine/model/CV_BandType.h"
#include "engine/prepare/CV_PageRun.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"

namespace tessaly {

namespace data {
class Dataset;
}

class TcvBandView;
class TcvDataset;
class TcvPreparationState;
class TcvView;
struct TcvPageRun;

// Where an object of a band was designed: Left and Top relative to the band (Left absolute for a
// horizontal band), its size. Each print starts from it.
struct TcvPlace {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

class TcvBand : public TcvBandFrame {
public:
    explicit TcvBand(uint8_t bandType, TcvPageRun* page = nullptr);
    // Closes the band's dataset (and tells OnDataSetWork, flag 1).
    ~TcvBand();
    TcvBand(const TcvBand&) = delete;
    TcvBand& operator=(const TcvBand&) = delete;

    TcvPageRun* Page;
    TcvBand* Next = nullptr;  // the chain of the bands of this type, by Top
    TcvBand* Prev = nullptr;
    TcvBand* Last = nullptr;    // on the first band of a chain: the last one
    TcvBand* Footer = nullptr;  // on a group header: its group footer
    uint8_t GroupLevel = 0;     // groups: 0 for the innermost, counting outward
    int32_t GroupCount = 0;     // on a group footer: records taken in since its group began
    Variant LastGroupValue;     // on a group header: its condition's value for the current group
    AnsiString GroupCondition;  // on a group header
    int32_t RecordNo = 1;       // record within its group: LINE#
    int32_t RecordCount = 1;    // records printed in the whole report: LINETHROUGH#
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    bool FillingList = false;  // empty filler rows are being printed
    bool RowPrinted = true;    // a data band: the record last taken into its aggregates has printed
    TcvBandView* BandView = nullptr;
    StringList BandLines;
    // Options, as effective for the band type (none on a sub-report page but the first two), with
    // Stretched of the frame.
    bool ForceNewPage = false;
    bool PrintIfDetailEmpty = false;
    bool CanSplit = false;
    bool FillList = false;
    // The objects, in page order, sub-report placeholders last; FirstSubReport indexes the first
    // placeholder (-1 without). Places keeps each object's design place.
    std::vector<TcvView*> Objects;
    std::vector<TcvPlace> Places;
    int FirstSubReport = -1;
    bool HasCrossObjects = false;  // some objects belong to a table band as well
    TcvAggregateStore Aggregates;
    // The report dataset the band walks and the database dataset behind it (both borrowed); none
    // for a band without one. DataSet alone is set where names are resolved outside a preparation.
    TcvDataset* ReportDataSet = nullptr;
    data::Dataset* DataSet = nullptr;
    AnsiString WorkName;  // the band's name for OnDataSetWork, found once when it is bound

    bool HasObjects() const { return !Objects.empty(); }
    // The state of the preparation the band's page runs in.
    TcvPreparationState& State() const { return Page->State(); }
    // Top as designed (Top itself is where the band printed last).
    int32_t DesignTop() const;
    // True without a dataset, or when it has no current record left.
    bool DataSetEof() const;
    // The band's own object: current while its dataset moves, its filter or its group condition
    // is evaluated and the rows it feeds are taken in, so that names resolve against this band.
    TcvView& Own();

    // --- Its dataset (CV_Band.cpp); each move tells OnDataSetWork ----------------------------------
    void Bind();
    void LinkToMaster();
    void First();
    void NextRecord();
    void PriorRecord();

    // --- Printing (CV_BandPrint.cpp) -----------------------------------------------------------------
    // The height this print needs: the design height, or what the text objects stretch to (the
    // whole chain of dataset-less followers of a data band added).
    int32_t MeasureHeight();
    // Prints the band once at the page's CurY. True when it did not fit on a sub-report page and
    // must be printed again on the next page or column.
    bool Print();
    // Draws the band's objects at the page's CurY; true when its sub-reports wait for a new page.
    bool PrintObjects();
    // Whether y + h passes the bottom limit (the column footer kept free): false when it fits.
    // Otherwise, unless `testOnly`, the next column or page is started. `force` starts it anyway.
    bool CheckSpace(int32_t y, int32_t h, bool testOnly, bool force = false);
    // Puts every object back on its design place (relative to the band).
    void RestorePlaces();
    // Draws one object at the band's place and the current column, or moved by (dx, dy); the
    // band is the object's band for the draw.
    void DrawObject(TcvView& view, int mode);
    void DrawObjectAt(TcvView& view, int mode, int32_t dx, int32_t dy);

    // Prints the band across pages; Top and ActualHeight then frame its part on the last page and
    // what follows the split there (CV_BandSplit.cpp).
    void PrintSplit();
    void PrintCross();  // CV_BandCross.cpp
    // Prints the sub-reports of the band's placeholders side by side (CV_SubReports.cpp); true when
    // the band lies on a sub-report page and they wait for a new page.
    bool PrintSubReports();
    std::vector<bool> SubReportsDone;  // one per placeholder while they print

    // Groups (CV_BandGroups.cpp): stores the conditions' values from this header inward; whether
    // this header's condition gives another value now; a group footer takes in a record.
    void StoreGroupValues();
    bool GroupChanged();
    void UpdateGroupFooter();

private:
    int32_t MeasureOwn();
    bool MustSplit() const;
    void PlaceAfterSplit(int32_t moved, int32_t lastBottom);
    void PushDown();
    void FillRow();
    bool IsFooter() const;
    void DrawCrossObjects(TcvBand& cross, int32_t x);
    int32_t PrintCrossColumns(TcvBand& data, const TcvBand& master, int32_t x);
    void CrossSpace(int32_t& x, int32_t width);

    std::unique_ptr<TcvView> own_;
};

// Makes a band's own object the current object, and the band the current band unless `current`
// is false, until the scope ends.
class TcvBandContext {
public:
    explicit TcvBandContext(TcvBand& band, bool current = true);

private:
    QScopedValueRollback<TcvBand*> band_;
    QScopedValueRollback<TcvView*> object_;
};

// The band printing an object: in a preparation every object's band frame is a run-time band.
TcvBand* BandOf(const TcvView& view);

// The data type of each level (1 master, 2 detail, 3 sub-detail) and its header and footer.
int DataTypeOfLevel(int level);

}  // namespace tessaly
