// The preview's find command driven through its dialog: matches stepped through, the hit centred
// and blinking, the dialog's memory between searches, and agreement with the report-wide match list
// that tessaly-cli find prints.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cmath>

#include "common/DamagedPages.h"
#include "common/TestFiles.h"
#include "engine/ui/CV_Find.h"
#include "engine/ui/CV_PrevHits.h"
#include "engine/ui/UiHooks.h"
#include "engine/ui/UiStartup.h"
#include "platform/emf/MetafileWriter.h"
#include "PreviewSupport.h"

using namespace tessaly;
using namespace tessaly::testing;

namespace {

const QString kNotFound = QString::fromUtf8("Messaggio.|Non è stato trovato nessun elemento che soddisfi la richiesta.");

// The texts of each page, one text output each, drawn from the top down.
std::unique_ptr<TcvReport> TextReport(const std::vector<std::vector<AnsiString>>& pages) {
    return MakeReport(int(pages.size()), [&](emf::RecordingCanvas& c, int page) {
        int y = 100;
        for (const AnsiString& text : pages[page]) {
            c.TextOut(300, y, text);
            y += 300;
        }
    });
}

// Replaces a page's drawing by text outputs with the given bounds (pixels of the page).
void SetRawTexts(TcvReport& report, int page, const std::vector<std::pair<std::u16string, emf::RectL>>& texts) {
    PreparedPage& p = report.EMFPages().Pages(page);
    emf::MetafileWriter writer(p.Drawing.Width(), p.Drawing.Height());
    for (const auto& [text, bounds] : texts)
        writer.ExtTextOutW(bounds, {bounds.left, bounds.top}, 0, bounds, text, {});
    p.Drawing = writer.Finish();
}

// How the user fills in the dialog: the text (typed only when it differs from the box's), the
// options, the origin (clicked, so a disabled one stays unchosen), then OK or Cancel.
struct Dialog {
    QString text;
    uint8_t origin = foFirstPage;
    bool matchCase = false;
    bool partOfWord = true;
    bool confirm = true;
};

QRadioButton* OriginButton(TFindForm& form, uint8_t origin) {
    QRadioButton* buttons[] = {form.FindFirstPage, form.FindCurrentPage, form.FindNext, form.FindPrevious};
    return buttons[origin];
}

void FillIn(TFindForm& form, const Dialog& d) {
    if (form.FindText->currentText() != d.text) {
        form.FindText->lineEdit()->selectAll();
        QTest::keyClicks(form.FindText->lineEdit(), d.text);
    }
    if (form.FindCase->isChecked() != d.matchCase) form.FindCase->click();
    if (form.FindSub->isChecked() != d.partOfWord) form.FindSub->click();
    OriginButton(form, d.origin)->click();
}

// A key pressed as the window system delivers it: to the focused widget of the active window.
void PressKey(TStandardPreview* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    w->activateWindow();
    (void)QTest::qWaitForWindowActive(w);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
    QTest::keyClick(target, key, modifiers);
}

// The screen pixel just inside the top-left corner of a match's bounds (its cell's background).
QPoint MatchCorner(TStandardPreview* w, const TTextMatch& m) {
    const auto s = w->ScaleOf(m.PageIndex);
    const QPoint origin = w->PageOrigin(m.PageIndex);
    return origin + QPoint(int(std::ceil(m.Bounds.left * s.scaleX)) + 1, int(std::ceil(m.Bounds.top * s.scaleY)) + 1);
}

std::vector<TTextMatch> Matches(TcvReport& report, const TTextQuery& query) {
    std::vector<TTextMatch> found;
    ForEachTextMatch(report.EMFPages(), query, [&](const TTextMatch& m) {
        found.push_back(m);
        return true;
    });
    return found;
}

constexpr QRgb kMatchYellow = 0xFFFFEC40, kCurrentOrange = 0xFFFF9628, kWhite = 0xFFFFFFFF;

// The screen rectangle of the hit on the page area.
QRect HitOnScreen(TStandardPreview* w) { return w->HitRect.ToQRect().translated(w->PageOrigin(w->HitPage)); }

double DarkShare(const QImage& img, QRect r) {
    r = r.intersected(img.rect());
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 64) ++dark;
    return r.isEmpty() ? 0 : double(dark) / (r.width() * r.height());
}

}  // namespace

class PreviewSearchTest : public QObject {
    Q_OBJECT

    // Runs the find command; `work` answers the dialog (and may look at it first).
    void RunFind(TStandardPreview* w, const std::function<void(TFindForm&)>& work) {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TFindForm*>(QApplication::activeModalWidget());
            if (!form) return;
            answered = true;
            work(*form);
            if (form->isVisible()) form->reject();
        });
        w->Find();
        QVERIFY2(answered, "the find dialog was not shown modally");
    }
    void RunFind(TStandardPreview* w, const Dialog& d) {
        RunFind(w, [&](TFindForm& form) {
            FillIn(form, d);
            (d.confirm ? form.OKBtn : form.CancelBtn)->click();
        });
    }

private slots:
    void initTestCase() {
        units_ = std::make_unique<EngineWindowUnits>(nullptr);
        UiHooks().ShowWarning = [this](const QString& text, const QString& caption) {
            messages_ << caption + "|" + text;
        };
    }
    void cleanupTestCase() { units_.reset(); }
    void init() {
        messages_.clear();
        *FindSettings = TFindSettings{};
    }

    void TheDialogShowsItsControlsAndRemembersItsState() {
        auto report = TextReport({{"uno"}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        RunFind(w, [&](TFindForm& f) {
            QCOMPARE(f.windowTitle(), QString("Trova testo."));
            QCOMPARE(f.size(), QSize(318, 167));
            struct Control {
                QWidget* widget;
                QString caption;
                QRect place;  // width or height 0: not checked
            } controls[] = {
                {f.FindLabel, "Testo da trovare", {8, 8, 0, 0}},
                {f.OKBtn, "&OK", {154, 136, 75, 25}},
                {f.FindText, "", {8, 24, 302, 0}},
                {f.FindOptions, "Opzioni", {8, 48, 140, 81}},
                {f.FindCase, "Maiuscole/minuscole", {8, 14, 0, 0}},
                {f.FindSub, "Parte di una parola", {8, 32, 0, 0}},
                {f.CancelBtn, "&Annulla", {234, 136, 75, 25}},
                {f.FindOrigin, "Origine", {152, 48, 156, 81}},
                {f.FindFirstPage, "Prima pagina", {8, 14, 0, 0}},
                {f.FindCurrentPage, "Pagina corrente", {8, 30, 0, 0}},
                {f.FindNext, "Successivo", {8, 46, 0, 0}},
                {f.FindPrevious, "Precedente", {8, 62, 0, 0}},
            };
            for (const Control& c : controls) {
                QString caption = c.widget->property("text").toString();
                if (auto* box = qobject_cast<QGroupBox*>(c.widget)) caption = box->title();
                QCOMPARE(caption, c.caption);
                QCOMPARE(c.widget->pos(), c.place.topLeft());
                if (c.place.width()) QCOMPARE(c.widget->width(), c.place.width());
                if (c.place.height()) QCOMPARE(c.widget->height(), c.place.height());
            }
            // As a first search finds it: part of words, first page, no stepping, the text focused.
            QVERIFY(!f.FindCase->isChecked() && f.FindSub->isChecked() && f.FindFirstPage->isChecked());
            QVERIFY(!f.FindNext->isEnabled() && !f.FindPrevious->isEnabled());
            QWidget* focused = f.focusWidget();
            QVERIFY(focused == f.FindText || focused == f.FindText->lineEdit());
            // Typed into the text, Enter confirms.
            QTest::keyClicks(focused, "uno");
            QTest::keyClick(focused, Qt::Key_Return);
        });
        QVERIFY(w->HitShown);
        QCOMPARE(FindSettings->Text, AnsiString("uno"));
        QCOMPARE(FindSettings->History.Count(), 1);
        QVERIFY(FindSettings->NextEnabled && !FindSettings->PrevEnabled);

        // Cancel puts back what the dialog showed, and that is what is remembered.
        RunFind(w, Dialog{"altro", foCurrentPage, true, false, false});
        QCOMPARE(FindSettings->Text, AnsiString("uno"));
        QVERIFY(!FindSettings->MatchCase && FindSettings->PartOfWord);
        QCOMPARE(int(FindSettings->Origin), int(foFirstPage));
        QVERIFY(FindSettings->NextEnabled);

        // Choosing "Successivo" then editing the text takes the choice back to the first page;
        // changing only an option keeps it.
        RunFind(w, [&](TFindForm& f) {
            f.FindNext->click();
            f.FindCase->click();
            QVERIFY(f.FindNext->isChecked() && f.FindNext->isEnabled());
            QTest::keyClick(f.FindText->lineEdit(), 'x');
            QVERIFY(f.FindFirstPage->isChecked());
            QVERIFY(!f.FindNext->isEnabled() && !f.FindPrevious->isEnabled());
            f.CancelBtn->click();
        });
        QVERIFY(FindSettings->NextEnabled);
        QCOMPARE(int(FindSettings->Origin), int(foFirstPage));
        QVERIFY(messages_.isEmpty());
        ClosePreview(w);
    }

    // Matches found one after the other with "Successivo" are exactly the report's match list, in
    // its order, with its record numbers; the step after the last finds nothing.
    void SteppingFindsTheReportsMatchList() {
        auto report = TextReport({{"Ciao mondo", "nessuno"}, {"ciao ciao", "xyz"}, {"CIAO, amici", "(ciao)"}, {"ciao"}});
        struct Case {
            bool matchCase, partOfWord;
            int expected;
        } cases[] = {{false, true, 5}, {false, false, 4}, {true, true, 3}, {true, false, 3}};
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        for (const Case& c : cases) {
            std::vector<std::pair<int, int64_t>> listed, stepped;
            ForEachTextMatch(report->EMFPages(), TTextQuery{"ciao", c.matchCase, c.partOfWord}, [&](const TTextMatch& m) {
                listed.emplace_back(m.PageIndex, m.RecordNo);
                return true;
            });
            QCOMPARE(int(listed.size()), c.expected);
            messages_.clear();
            uint8_t origin = foFirstPage;
            for (int step = 0; step <= c.expected && messages_.isEmpty(); ++step) {
                RunFind(w, Dialog{"ciao", origin, c.matchCase, c.partOfWord});
                if (!messages_.isEmpty()) break;
                QCOMPARE(w->HitOrdinal, step + 1);
                QCOMPARE(w->CurPage, w->HitPage + 1);
                stepped.emplace_back(w->HitPage, w->RecordNo);
                origin = foNext;
            }
            QCOMPARE(messages_, QStringList{kNotFound});
            QVERIFY(stepped == listed);
        }
        ClosePreview(w);
    }

    void PreviousAndCurrentPage() {
        auto report = TextReport({{"ciao"}, {"ciao"}, {"niente"}, {"ciao", "ciao"}, {"ciao"}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        struct Step {
            Dialog dialog;
            int ordinal;  // 0: the message
            bool nextEnabled, prevEnabled;
        } steps[] = {
            {{"ciao", foFirstPage}, 1, true, false},
            {{"ciao", foPrevious}, 1, true, false},  // not offered yet: the first page is searched
            {{"ciao", foNext}, 2, true, true},
            {{"ciao", foPrevious}, 1, true, true},
            {{"ciao", foPrevious}, 0, true, true},   // nothing before match 1
            {{"ciao", foNext}, 2, true, true},
        };
        for (const Step& s : steps) {
            messages_.clear();
            RunFind(w, s.dialog);
            if (s.ordinal == 0) {
                QCOMPARE(messages_, QStringList{kNotFound});
            } else {
                QVERIFY(messages_.isEmpty());
                QCOMPARE(w->HitOrdinal, s.ordinal);
            }
            QCOMPARE(FindSettings->NextEnabled, s.nextEnabled);
            QCOMPARE(FindSettings->PrevEnabled, s.prevEnabled);
        }
        // From the current page 4: the first match there, with its ordinal over the whole report,
        // then the next one after it.
        w->ShowPage(4);
        QCOMPARE(w->CurPage, 4);
        RunFind(w, Dialog{"ciao", foCurrentPage});
        QCOMPARE(w->HitPage, 3);
        QCOMPARE(w->HitOrdinal, 3);
        RunFind(w, Dialog{"ciao", foNext});
        QCOMPARE(w->HitPage, 3);
        QCOMPARE(w->HitOrdinal, 4);
        // The history holds the text once, whatever its case.
        RunFind(w, Dialog{"CIAO", foFirstPage});
        QCOMPARE(FindSettings->History.Count(), 1);
        ClosePreview(w);
    }

    void TheHitIsCentredAsFarAsTheBarsAllow() {
        auto report = MakeReport(2);
        // At 200 % a 42-pixel-wide text grows by 4 on each side to 50, then doubles: 100 pixels.
        SetRawTexts(*report, 1,
                    {{u"centro", {300, 700, 342, 710}},
                     {u"angolo", {2, 2, 44, 12}},
                     {u"enorme", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(800, 600));
        w->SetZoom(200);
        RunFind(w, Dialog{"centro"});
        QCOMPARE(w->HitPage, 1);
        QCOMPARE(w->HitRect.right - w->HitRect.left, 100);
        QRect hit = HitOnScreen(w);
        QCOMPARE(hit.left(), 350);
        QCOMPARE(hit.right() + 1, 450);
        QCOMPARE(hit.top(), (600 - hit.height()) / 2);
        // Near the page's corner the bars stop at 0.
        RunFind(w, Dialog{"angolo"});
        QCOMPARE(w->HScroll->value(), 0);
        QVERIFY(HitOnScreen(w).left() < 350);
        // Bounds a hostile file makes huge: the view stays within the bars' ranges.
        RunFind(w, Dialog{"enorme"});
        QVERIFY(w->HitShown);
        QVERIFY(w->HScroll->value() >= 0 && w->HScroll->value() <= w->HScroll->maximum());
        QVERIFY(w->VScroll->value() >= 0 && w->VScroll->value() <= w->VScroll->maximum());
        AreaPixels(w);
        ClosePreview(w);
    }

    // Highlighted on odd counts (at once after the search), plain on even ones, over at 9.
    void TheHitBlinksFourTimesAndEnds() {
        auto report = TextReport({{"trovami qui"}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        RunFind(w, Dialog{"trovami"});
        QVERIFY(w->Timer->isActive());
        QCOMPARE(w->Timer->interval(), 250);
        // The text's own cell, inside the grown hit rectangle.
        const QRect cell = HitOnScreen(w).adjusted(6, 6, -6, -6);
        for (int count = 1; count <= 9; ++count) {
            if (count > 1) w->TimerTimer();
            QCOMPARE(w->BlinkCount, count);
            const double dark = DarkShare(AreaPixels(w), cell);
            const bool highlighted = count % 2 == 1 && count < 9;
            QVERIFY2(highlighted ? dark > 0.6 : dark < 0.4, qPrintable(QString("count %1: %2").arg(count).arg(dark)));
        }
        QVERIFY(!w->Timer->isActive());
        QVERIFY(!w->HitShown);
        ClosePreview(w);
    }

    // A blink in progress ends before a new search (which could not find anything while it still
    // counted as shown), before other pages are opened, and when the window closes.
    void ABlinkEndsBeforeANewSearchAnOpenAndClosing() {
        auto report = TextReport({{"primo"}, {"secondo"}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        RunFind(w, Dialog{"primo"});
        w->TimerTimer();
        w->TimerTimer();
        QCOMPARE(w->BlinkCount, 3);
        RunFind(w, Dialog{"secondo"});
        QVERIFY(messages_.isEmpty());
        QCOMPARE(w->HitPage, 1);
        QCOMPARE(w->BlinkCount, 1);
        QVERIFY(w->Timer->isActive());
        // A search that finds nothing still ends the blink it interrupted.
        RunFind(w, Dialog{"assente"});
        QCOMPARE(messages_, QStringList{kNotFound});
        QVERIFY(!w->Timer->isActive());
        QCOMPARE(w->BlinkCount, 9);
        RunFind(w, Dialog{"secondo"});

        // Open: the hit belonged to the pages being replaced.
        const auto openDialog = UiHooks().ExecuteFileDialog;
        UiHooks().ExecuteFileDialog = [](TFileDialog& d, QWidget*, TFileDialog::Kind) {
            d.FileName = std::filesystem::path(TESSALY_SOURCE_DIR) / "resources" / "EMPTYREPORT.cvp";
            return true;
        };
        w->Open();
        UiHooks().ExecuteFileDialog = openDialog;
        QVERIFY(!w->Timer->isActive());
        QVERIFY(!w->HitShown);
        ClosePreview(w);

        auto other = TextReport({{"primo"}});
        w = OpenPreview(other.get(), QSize(900, 700));
        RunFind(w, Dialog{"primo"});
        QVERIFY(w->Timer->isActive());
        w->close();
        QVERIFY(!w->Timer->isActive());
        QVERIFY(!w->HitShown);
        ClosePreview(w);
    }

    // A report whose page holds one damaged record, opened with F10 in the preview: the page looks
    // as it does without that record, and the search finds the text after it (never the damaged
    // record's own text).
    void ADamagedRecordIsLeftOutOfTheViewAndTheSearch() {
        TempFolder folder("preview-damaged");
        auto report = MakeReport(1);
        report->EMFPages().Pages(0).Drawing = DamagedPage(nullptr);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const QImage expected = AreaPixels(w);
        const auto openDialog = UiHooks().ExecuteFileDialog;
        const auto showError = UiHooks().ShowError;
        UiHooks().ShowError = [this](const QString& m) { messages_ << m; };
        for (const RecordDamage& damage : RecordDamages()) {
            auto damaged = MakeReport(1);
            damaged->EMFPages().Pages(0).Drawing = DamagedPage(&damage);
            damaged->SavePreparedReport(folder / "danno.cvp");
            UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
                d.FileName = folder / "danno.cvp";
                return true;
            };
            // The window is active again once the last find dialog closed (a window manager does
            // that); a key goes to its focused control, or to the window when none has the focus.
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
            QCOMPARE(target ? target->window() : nullptr, static_cast<QWidget*>(w));
            QTest::keyClick(target, Qt::Key_F10);
            QApplication::processEvents();
            QVERIFY2(messages_.isEmpty(), damage.what);
            QVERIFY2(AreaPixels(w) == expected, damage.what);
            RunFind(w, Dialog{"dopo"});
            QVERIFY2(w->HitShown && w->HitPage == 0, damage.what);
            w->StopBlink();
            RunFind(w, Dialog{"danno"});
            QCOMPARE(messages_, QStringList{kNotFound});
            messages_.clear();
        }
        UiHooks().ExecuteFileDialog = openDialog;
        UiHooks().ShowError = showError;
        ClosePreview(w);
    }

    // After a search every match on the pages in view is marked, the current one in orange, the
    // others in yellow, and the status shows the current match and, once counted between the
    // window's events (not yet when the search returns), the total.
    void EveryMatchIsMarkedTheCurrentOneStronger() {
        auto report = TextReport({{"ciao", "altro", "Ciao mondo"}, {"ciao"}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 1300));
        QVERIFY(w->HitLabel->text().isEmpty());
        RunFind(w, Dialog{"ciao"});
        QCOMPARE(w->HitLabel->text(), QString::fromUtf8("1 di …"));
        QTRY_COMPARE(w->HitLabel->text(), QString("1 di 3"));
        QVERIFY(w->HitIcon->isVisible());
        w->StopBlink();
        const std::vector<TTextMatch> matches = Matches(*report, TTextQuery{"ciao"});
        QCOMPARE(int(matches.size()), 3);
        QImage px = AreaPixels(w);
        QCOMPARE(px.pixel(MatchCorner(w, matches[0])), kCurrentOrange);
        QCOMPARE(px.pixel(MatchCorner(w, matches[1])), kMatchYellow);
        // Not a match: plain white; nor on another surface (the printer's).
        const std::vector<TTextMatch> other = Matches(*report, TTextQuery{"altro"});
        QCOMPARE(px.pixel(MatchCorner(w, other[0])), kWhite);
        QImage printed(800, 1130, QImage::Format_RGB32);
        printed.fill(Qt::white);
        {
            QPainter painter(&printed);
            w->DrawPage(&painter, 0, printed.rect());
        }
        int coloured = 0;
        for (int y = 0; y < printed.height(); ++y)
            for (int x = 0; x < printed.width(); ++x)
                coloured += qRed(printed.pixel(x, y)) != qBlue(printed.pixel(x, y));
        QCOMPARE(coloured, 0);

        // The next match becomes the orange one.
        RunFind(w, Dialog{"ciao", foNext});
        w->StopBlink();
        QCOMPARE(w->HitLabel->text(), QString("2 di 3"));
        px = AreaPixels(w);
        QCOMPARE(px.pixel(MatchCorner(w, matches[0])), kMatchYellow);
        QCOMPARE(px.pixel(MatchCorner(w, matches[1])), kCurrentOrange);

        // A new search that finds nothing takes the marks and the status away.
        RunFind(w, Dialog{"assente"});
        QCOMPARE(messages_, QStringList{kNotFound});
        QVERIFY(w->HitLabel->text().isEmpty());
        QVERIFY(!w->HitIcon->isVisible());
        w->ShowPage(1);
        QCOMPARE(AreaPixels(w).pixel(MatchCorner(w, matches[0])), kWhite);
        // So does opening other pages, whose matches are not counted either.
        RunFind(w, Dialog{"ciao"});
        w->OpenFile(std::filesystem::path(TESSALY_SOURCE_DIR) / "resources" / "EMPTYREPORT.cvp");
        QVERIFY(!w->Hits().Active() && !w->Hits().Counted());
        QVERIFY(w->HitLabel->text().isEmpty());
        ClosePreview(w);
    }

    // Shift+F3 steps back without the dialog; F3's "Successivo" goes on from where it got to; before
    // the first match the usual message; without a search Shift+F3 opens the dialog.
    void ShiftF3StepsBackAndTheDialogGoesOnFromThere() {
        auto report = TextReport({{"ciao"}, {"ciao"}, {"ciao", "ciao"}});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        int dialogs = 0;
        auto pressWatchingDialogs = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            QTimer::singleShot(0, [&] {
                if (auto* form = qobject_cast<TFindForm*>(QApplication::activeModalWidget())) {
                    ++dialogs;
                    form->reject();
                }
            });
            PressKey(w, key, modifiers);
            QApplication::processEvents();  // the watch ends here when no dialog came
        };
        pressWatchingDialogs(Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(dialogs, 1);
        RunFind(w, Dialog{"ciao"});
        RunFind(w, Dialog{"ciao", foNext});
        RunFind(w, Dialog{"ciao", foNext});
        QCOMPARE(w->HitOrdinal, 3);
        const struct {
            int ordinal, page;
            bool message;
        } steps[] = {{2, 2, false}, {1, 1, false}, {1, 1, true}};
        for (const auto& step : steps) {
            messages_.clear();
            pressWatchingDialogs(Qt::Key_F3, Qt::ShiftModifier);
            QCOMPARE(dialogs, 1);
            QCOMPARE(w->HitOrdinal, step.ordinal);
            QCOMPARE(w->HitPage + 1, step.page);
            QCOMPARE(messages_.size(), step.message ? 1 : 0);
            QTRY_COMPARE(w->HitLabel->text(), QString("%1 di 4").arg(step.ordinal));
        }
        QVERIFY(FindSettings->NextEnabled && FindSettings->PrevEnabled);
        RunFind(w, [&](TFindForm& form) {
            QVERIFY(form.FindNext->isEnabled() && form.FindPrevious->isEnabled());
            form.FindNext->click();
            form.OKBtn->click();
        });
        QCOMPARE(w->HitOrdinal, 2);
        QCOMPARE(w->HitLabel->text(), QString("2 di 4"));
        ClosePreview(w);
    }

private:
    std::unique_ptr<EngineWindowUnits> units_;
    QStringList messages_;
};

QTEST_MAIN(PreviewSearchTest)
#include "PreviewSearchTest.moc"
