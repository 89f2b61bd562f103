// The preview's find command: the find dialog, the pass over the pages' text records, turning to
// the hit and making it blink; Shift+F3's step back to the previous match; every match of the
// search shown marked, with "n di m".
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Find.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_PrevHits.h"
#include "engine/ui/CV_progr.h"
#include "engine/ui/UiHooks.h"
#include "platform/emf/EmfPlayer.h"
#include "platform/emf/EmfRecords.h"

namespace tessaly {

namespace {

int ScaledCoordinate(double v) {
    return static_cast<int>(std::nearbyint(std::clamp(v, -kHitCoordinateLimit, kHitCoordinateLimit)));
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

const char* const kNotFound = "Non è stato trovato nessun elemento che soddisfi la richiesta.";

}  // namespace

void TStandardPreview::Find() {
    ApplyZoomText();
    TFindSettings fallback;
    TFindSettings& settings = FindSettings ? *FindSettings : fallback;
    TFindForm form(this);
    form.LoadSettings(settings);
    const TFindForm::TState noted = form.State();
    if (form.ShowModal() == mrOk) {
        StopBlink();
        ProcessMessages();
        SearchText = form.SearchText();
        MatchCase = form.FindCase->isChecked();
        PartOfWord = form.FindSub->isChecked();
        SearchNext = form.FindNext->isChecked();
        SearchPrev = form.FindPrevious->isChecked();
        FromCurrentPage = form.FindCurrentPage->isChecked();
        RunSearchPass();
        if (HitShown) {
            ShowHit(form);
        } else {
            // A new search that found nothing takes the marks of the earlier one away; a step
            // past the first or last match keeps them.
            if (!SearchNext && !SearchPrev) hits_->Clear();
            UiHooks().ShowWarning(QString::fromUtf8(kNotFound), "Messaggio.");
        }
    } else {
        form.SetState(noted);
    }
    form.StoreSettings(settings);
}

// The pass over the pages with the search fields set: the first accepted match is the hit.
void TStandardPreview::RunSearchPass() {
    // Searching is set only while the pass over the pages runs, however it ends.
    QScopedValueRollback searching(Searching, true);
    HitShown = false;
    MatchCount = 0;
    for (int i = 0; i < PageCount() && !HitShown; ++i) DrawPage(nullptr, i, QRect(0, 0, 10, 10));
}

void TStandardPreview::ShowHit(TFindForm& form) {
    form.FindNext->setEnabled(true);
    form.FindPrevious->setEnabled(form.FindNext->isChecked() || form.FindPrevious->isChecked());
    form.AddToHistory(SearchText);
    TurnToHit();
}

// Without a dialog: the same search, one match back. The dialog's "Successivo" and "Precedente"
// then go on from this match.
void TStandardPreview::FindPreviousHit() {
    if (!hits_->Active()) {
        Find();
        return;
    }
    ApplyZoomText();
    StopBlink();
    const TTextQuery& query = hits_->Query();
    SearchText = query.Text;
    MatchCase = query.MatchCase;
    PartOfWord = query.PartOfWord;
    SearchNext = FromCurrentPage = false;
    SearchPrev = true;
    HitOrdinal = hits_->Ordinal();
    RunSearchPass();
    if (!HitShown) {
        UiHooks().ShowWarning(QString::fromUtf8(kNotFound), "Messaggio.");
        return;
    }
    if (FindSettings) FindSettings->NextEnabled = FindSettings->PrevEnabled = true;
    TurnToHit();
}

// Turns to the hit's page, centres the hit in the page area as far as the bars allow, and starts
// the blinking with its first, highlighted phase; every match of the search is marked from now on.
void TStandardPreview::TurnToHit() {
    hits_->Show(Report->EMFPages(), TTextQuery{SearchText, MatchCase, PartOfWord}, HitOrdinal, HitPage, RecordNo);
    PaintPanel->update();
    if (HitPage + 1 != CurPage) ShowPage(HitPage + 1);
    const int64_t aw = PaintPanel->width(), ah = PaintPanel->height();
    const int64_t hitWidth = int64_t(HitRect.right) - HitRect.left, hitHeight = int64_t(HitRect.bottom) - HitRect.top;
    QPoint origin = PageOrigin(HitPage);
    HScroll->setValue(ClampToInt(int64_t(origin.x()) + HScroll->value() + HitRect.left - (aw - hitWidth) / 2));
    origin = PageOrigin(HitPage);
    VScroll->setValue(ClampToInt(int64_t(origin.y()) + VScroll->value() + HitRect.top - (ah - hitHeight) / 2));
    TimerTimer();
}

emf::RecordAction TStandardPreview::SearchStep(emf::Player& dc, emf::RecordView record, TDrawPageContext& context) {
    if (context.OtherSurface || HitShown) return emf::RecordAction::Skip;
    const uint32_t type = record.Type();
    RecordNo = static_cast<int>(NextRecordNo(RecordNo, context.PageIndex, type));
    if (type != emf::EMR_EXTTEXTOUTA && type != emf::EMR_EXTTEXTOUTW) return emf::RecordAction::Skip;

    const TTextQuery query{SearchText, MatchCase, PartOfWord};
    if (!(searchMatcher_.Query() == query)) searchMatcher_ = TTextMatcher(query);
    HitShown = searchMatcher_.Matches(record);
    if (!HitShown) return emf::RecordAction::Skip;
    ++MatchCount;
    const bool accepted = (!SearchNext && !SearchPrev && (!FromCurrentPage || context.PageIndex >= CurPage - 1)) ||
                          (SearchNext && MatchCount == HitOrdinal + 1) ||
                          (SearchPrev && MatchCount == HitOrdinal - 1);
    if (!accepted) {
        HitShown = false;
        return emf::RecordAction::Skip;
    }
    HitOrdinal = MatchCount;
    const emf::Rect64 grown = emf::GrowByPen(*emf::ParseDrawingBounds(record), dc.Dc().pen.width);
    HitRect = {ScaledCoordinate(double(grown.left) * context.ScaleX), ScaledCoordinate(double(grown.top) * context.ScaleY),
               ScaledCoordinate(double(grown.right) * context.ScaleX),
               ScaledCoordinate(double(grown.bottom) * context.ScaleY)};
    HitPage = context.PageIndex;
    BlinkCount = 0;
    Timer->start();
    return emf::RecordAction::Stop;
}

void TStandardPreview::TimerTimer() {
    ++BlinkCount;
    const QPoint origin = PageOrigin(HitPage);
    const QRect r = HitRect.ToQRect().translated(origin);
    PaintPanel->update(r);
    if (BlinkCount >= 9) {
        Timer->stop();
        HitShown = false;
        PaintPanel->update(r);
    }
}

void TStandardPreview::ShowHitCount() {
    const QString text = hits_->StatusText();
    HitLabel->setText(text);
    // The glyph just before the centred text.
    const int textLeft = HitLabel->x() + (HitLabel->width() - HitLabel->fontMetrics().horizontalAdvance(text)) / 2;
    HitIcon->move(std::max(4, textLeft - HitIcon->width() - 6), HitIcon->y());
    HitIcon->setVisible(hits_->Active());
    if (!hits_->Active()) PaintPanel->update();  // the marks go
}

void TStandardPreview::StopBlink() {
    if (!HitShown && !Timer->isActive()) return;  // nothing blinks
    BlinkCount = 8;
    TimerTimer();
}

}  // namespace tessaly
