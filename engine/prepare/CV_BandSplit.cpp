// "Banda interrotta": a band that does not fit prints what fits, cuts its text objects between
// whole lines, and goes on in the next column or on the next page until all of it is printed.
#include <algorithm>
#include <climits>
#include <vector>

#include "engine/model/CV_Memo.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

// The objects of a band being split. Positions are relative to the band's Top on the current
// page; an object moved on to the next page has its Top at the page's cut line until all pending
// objects are moved up by it.
class Split {
public:
    explicit Split(TcvBand& band) : band_(band), n_(band.Objects.size()), pending_(n_), continued_(n_) {
        const size_t end = band.FirstSubReport < 0 ? n_ : size_t(band.FirstSubReport);
        for (size_t i = 0; i < end; ++i) pending_[i] = band.Objects[i]->ParentBand == &band;
        own_ = pending_;
        first_ = band.Stretched ? dmDrawMeasured : dmDrawAll;
    }
    // The objects it drew get their design places back; what follows it keeps its place.
    void RestoreOwn();

    int32_t LastBottom() const { return lastBottom_; }
    // How far the band's objects moved up onto later pages; 0 when the band did not break.
    int32_t Moved() const { return moved_; }
    // The bottom of what is left, relative to the band.
    int32_t Bottom() const;
    // Draws what lies above `cut` and cuts what crosses it: text between whole lines, anything else
    // moved on to the next page (on a fresh page drawn as it is); false when nothing was drawn.
    bool Page(int32_t cut, bool fresh);
    // What is left goes to the next page, where the band starts again at the top.
    void MoveUp(int32_t cut);
    void DrawRest();

private:
    void Draw(size_t i);
    bool CutText(size_t i, TcvMemoView& memo, int32_t cut);
    void MoveOn(size_t i, int32_t cut);
    // Pending objects below object i (below `bottom`, overlapping it across) move by `delta`.
    void ShiftBelow(size_t i, int32_t bottom, int32_t delta);

    TcvBand& band_;
    size_t n_;
    std::vector<bool> pending_;
    std::vector<bool> own_;
    std::vector<bool> continued_;
    int first_;
    int32_t lastBottom_ = 0;
    int32_t moved_ = 0;
};

int32_t Split::Bottom() const {
    int32_t bottom = 0;
    for (size_t i = 0; i < n_; ++i)
        if (pending_[i]) bottom = std::max(bottom, band_.Objects[i]->Top + band_.Objects[i]->Height);
    return bottom;
}

void Split::Draw(size_t i) {
    TcvView& o = *band_.Objects[i];
    band_.DrawObject(o, continued_[i] ? dmDrawRest : first_);
    lastBottom_ = std::max(lastBottom_, o.Top + o.Height);
    pending_[i] = false;
}

bool Split::Page(int32_t cut, bool fresh) {
    bool drawn = false;
    for (size_t i = 0; i < n_; ++i) {
        if (!pending_[i]) continue;
        TcvView& o = *band_.Objects[i];
        if (o.Top + o.Height <= cut) {
            Draw(i);
            drawn = true;
        } else if (o.Top < cut) {
            auto* memo = dynamic_cast<TcvMemoView*>(&o);
            if (memo && !(memo->Alignment & taTurned)) {
                drawn |= CutText(i, *memo, cut);
            } else if (fresh) {
                Draw(i);
                drawn = true;
            } else {
                MoveOn(i, cut);
            }
        }
    }
    return drawn;
}

// The text object shows the whole lines that fit above the cut; the rest of its lines continue on
// the next page, and what lies below it moves by what the cut added or took away.
bool Split::CutText(size_t i, TcvMemoView& memo, int32_t cut) {
    const int32_t top = memo.Top, bottom = memo.Top + memo.Height;
    const int from = continued_[i] ? memo.FirstLine : 0;
    memo.Height = memo.SplitHeight(cut - top);
    band_.DrawObject(memo, continued_[i] ? dmDrawRest : first_);
    lastBottom_ = std::max(lastBottom_, top + memo.Height);
    continued_[i] = true;
    if (memo.FirstLine >= memo.WorkLines.Count()) {
        pending_[i] = false;
        return true;
    }
    const int32_t rest = (memo.WorkLines.Count() - memo.FirstLine) * memo.LineHeight + 2 * memo.GapY + 1;
    memo.Top = cut;
    memo.Height = std::max(bottom - cut, rest);
    ShiftBelow(i, bottom, memo.Top + memo.Height - bottom);
    return memo.FirstLine > from;
}

void Split::MoveOn(size_t i, int32_t cut) {
    TcvView& o = *band_.Objects[i];
    ShiftBelow(i, o.Top + o.Height, cut - o.Top);
    o.Top = cut;
}

void Split::ShiftBelow(size_t i, int32_t bottom, int32_t delta) {
    const TcvPlace& a = band_.Places[i];
    for (size_t j = 0; j < n_; ++j) {
        const TcvPlace& b = band_.Places[j];
        TcvView& o = *band_.Objects[j];
        if (j != i && pending_[j] && o.Top >= bottom && a.Left < b.Left + b.Width && b.Left < a.Left + a.Width)
            o.Top += delta;
    }
}

void Split::MoveUp(int32_t cut) {
    for (size_t i = 0; i < n_; ++i)
        if (pending_[i]) band_.Objects[i]->Top -= cut;
    lastBottom_ = 0;
    moved_ = WithinReach(int64_t(moved_) + cut);
}

void Split::RestoreOwn() {
    for (size_t i = 0; i < n_; ++i) {
        if (!own_[i]) continue;
        TcvView& o = *band_.Objects[i];
        const TcvPlace& p = band_.Places[i];
        o.Left = p.Left, o.Top = p.Top, o.Width = p.Width, o.Height = p.Height;
    }
}

void Split::DrawRest() {
    for (size_t i = 0; i < n_; ++i)
        if (pending_[i]) Draw(i);
}

}  // namespace

// The band's own objects reach below what the page has left.
bool TcvBand::MustSplit() const {
    const size_t end = FirstSubReport < 0 ? Objects.size() : size_t(FirstSubReport);
    int64_t bottom = 0;
    for (size_t i = 0; i < end; ++i)
        if (Objects[i]->ParentBand == this) bottom = std::max(bottom, int64_t(Objects[i]->Top) + Objects[i]->Height);
    const TcvPageRun& page = *Page;
    return bottom > int64_t(page.CurBottom) - page.PrintedHeight(btColumnFooter) - Top - 2;
}

// The sub-report placeholders of a band that broke across pages print on its last page: they keep
// their places relative to one another (as the stretched text pushed them), moved up with the
// band, but never above what the split drew there.
void TcvBand::PlaceAfterSplit(int32_t moved, int32_t lastBottom) {
    int32_t followTop = INT32_MAX, followBottom = 0;
    for (size_t i = FirstSubReport < 0 ? Objects.size() : size_t(FirstSubReport); i < Objects.size(); ++i) {
        followTop = std::min(followTop, Objects[i]->Top);
        followBottom = std::max(followBottom, Objects[i]->Top + Objects[i]->Height);
    }
    int32_t end = WithinReach(int64_t(Top) + std::max(lastBottom, Height));
    if (followTop != INT32_MAX) {
        const int64_t shift = std::max<int64_t>(0, int64_t(lastBottom) - (int64_t(followTop) - moved));
        Top = WithinReach(int64_t(Top) - moved + shift);
        end = std::max(end, WithinReach(int64_t(Top) + followBottom));
    }
    ActualHeight = WithinReach(int64_t(end) - Top);
}

void TcvBand::PrintSplit() {
    TcvPageRun& page = *Page;
    const int32_t measured = ActualHeight;
    Split split(*this);
    for (;;) {
        const int32_t cut = page.CurBottom - page.PrintedHeight(btColumnFooter) - Top - 2;
        if (split.Bottom() <= cut || page.Run->Report.Terminated) break;
        const bool fresh = page.CurY <= page.FreshY;
        // What does not fit even on a fresh page prints as it is.
        if (!split.Page(cut, fresh) && fresh) break;
        split.MoveUp(cut);
        CheckSpace(page.CurY, 0, false, true);
        Top = page.CurY;
    }
    split.DrawRest();
    split.RestoreOwn();
    if (split.Moved() > 0)
        PlaceAfterSplit(split.Moved(), split.LastBottom());
    else
        ActualHeight = std::max(measured, split.LastBottom());
}

}  // namespace tessaly
