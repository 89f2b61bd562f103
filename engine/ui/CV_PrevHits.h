#pragma once
// Every match of the search a preview shows: the pages mark them as they are drawn, and the window
// shows "n di m", the current match and the total over the report. The total is counted a few
// pages at a time between the window's events, so that a long report never holds the window up;
// until it is known the status reads "n di ...".
#include <cstdint>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "engine/report/CV_FindText.h"

class QTimer;

namespace tessaly {

class TcvEMFPages;

class TSearchHits : public QObject {
    Q_OBJECT
public:
    explicit TSearchHits(QObject* parent);
    ~TSearchHits() override;

    // Shows the matches of `query` in `pages`, the current one being match `ordinal` (record
    // `recordNo` of page `pageIndex`). A query other than the one shown starts the count anew.
    void Show(const TcvEMFPages& pages, const TTextQuery& query, int ordinal, int pageIndex, int64_t recordNo);
    // No matches shown any longer (a new report, a search that found nothing).
    void Clear();

    bool Active() const { return matcher_.has_value(); }
    const TTextQuery& Query() const { return matcher_->Query(); }
    // Whether the record is a match of the query shown, and whether it is the current match.
    bool Matches(emf::RecordView record);
    bool IsCurrent(int pageIndex, int64_t recordNo) const;
    int Ordinal() const { return ordinal_; }
    bool Counted() const { return counter_ && counter_->Done(); }
    int Total() const { return counter_ ? counter_->Count() : 0; }
    // "n di m", or "n di …" while counting; empty when no matches are shown.
    QString StatusText() const;
    // The longest time one step of counting took, in milliseconds (benchmarks).
    double LongestStepMs() const { return longestStepMs_; }

signals:
    // The status text or the marked matches changed.
    void Changed();

private:
    void CountStep();

    std::optional<TTextMatcher> matcher_;
    std::unique_ptr<TTextMatchCounter> counter_;
    QTimer* countTimer_ = nullptr;
    int ordinal_ = 0;
    int pageIndex_ = -1;
    int64_t recordNo_ = -1;
    double longestStepMs_ = 0;
};

}  // namespace tessaly
