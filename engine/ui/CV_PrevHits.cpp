#include "engine/ui/CV_PrevHits.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

#include "engine/report/CV_Pages.h"

namespace tessaly {

namespace {

// One step of counting reads pages until this much time has passed: short enough for the window
// to answer keys and paint between steps.
constexpr qint64 kCountStepNs = 8'000'000;

}  // namespace

TSearchHits::TSearchHits(QObject* parent) : QObject(parent), countTimer_(new QTimer(this)) {
    countTimer_->setInterval(0);
    connect(countTimer_, &QTimer::timeout, this, [this] { CountStep(); });
}

TSearchHits::~TSearchHits() = default;

void TSearchHits::Show(const TcvEMFPages& pages, const TTextQuery& query, int ordinal, int pageIndex,
                       int64_t recordNo) {
    if (!matcher_ || !(matcher_->Query() == query)) {
        matcher_.emplace(query);
        counter_ = std::make_unique<TTextMatchCounter>(pages, query);
        countTimer_->start();
    }
    ordinal_ = ordinal;
    pageIndex_ = pageIndex;
    recordNo_ = recordNo;
    emit Changed();
}

void TSearchHits::Clear() {
    if (!matcher_) return;
    countTimer_->stop();
    matcher_.reset();
    counter_.reset();
    ordinal_ = 0;
    pageIndex_ = -1;
    recordNo_ = -1;
    emit Changed();
}

bool TSearchHits::Matches(emf::RecordView record) { return matcher_ && matcher_->Matches(record); }

bool TSearchHits::IsCurrent(int pageIndex, int64_t recordNo) const {
    return matcher_ && pageIndex == pageIndex_ && recordNo == recordNo_;
}

QString TSearchHits::StatusText() const {
    if (!matcher_) return {};
    const QString total = Counted() ? QString::number(Total()) : QString::fromUtf8("…");
    return QString("%1 di %2").arg(ordinal_).arg(total);
}

void TSearchHits::CountStep() {
    if (!counter_ || counter_->Done()) {
        countTimer_->stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (!counter_->Step(1) && clock.nsecsElapsed() < kCountStepNs) {
    }
    longestStepMs_ = std::max(longestStepMs_, clock.nsecsElapsed() / 1e6);
    if (counter_->Done()) {
        countTimer_->stop();
        emit Changed();
    }
}

}  // namespace tessaly
