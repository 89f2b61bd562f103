// The preview window driven as a user drives it: keys, mouse, zoom box, bars; geometry checked on
// the pixels of the page area.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <filesystem>
#include <fstream>

#include "common/PdfPages.h"
#include "common/TestFiles.h"
#include "engine/report/CV_Export.h"
#include "engine/report/CV_TextExport.h"
#include "engine/ui/CV_Find.h"
#include "engine/ui/UiHooks.h"
#include "engine/ui/UiStartup.h"
#include "platform/core/Rounding.h"
#include "platform/print/RecordingPrinter.h"
#include "platform/text/FormatSettings.h"
#include "PreviewSupport.h"

using namespace tessaly;
using namespace tessaly::testing;
namespace fs = std::filesystem;

namespace {

constexpr QRgb kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;

// A key pressed as the window system delivers it: to the application's focused widget.
void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Gives the keys to the window itself, active again after a dialog that was shown and closed (under
// the offscreen platform nothing hands the activation back).
void FocusWindow(TStandardPreview* w) {
    w->activateWindow();
    (void)QTest::qWaitForWindowActive(w);
    w->setFocus();
}

// Types into the zoom box as a user does: a click into the box, its text selected and removed,
// then the characters, each to whatever widget has the focus.
void TypeIntoZoomBox(TStandardPreview* w, const QString& text) {
    QTest::mouseClick(w->ZoomBtn->lineEdit(), Qt::LeftButton);
    PressKey(Qt::Key_A, Qt::ControlModifier);
    PressKey(Qt::Key_Backspace);
    for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void SendWheel(QWidget* target, int delta) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// An export filter that writes one "P" per page.
class PagesFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;
    void BeginPage(int, int) override { Output.WriteU8('P'); }
};

fs::path TempDir() {
    fs::path dir = fs::temp_directory_path() / ("tessaly-preview-" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(dir);
    return dir;
}

}  // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        units_ = std::make_unique<EngineWindowUnits>(nullptr);
        UiHooks().Beep = [this] { ++beeps_; };
        UiHooks().ShowError = [this](const QString& m) { errors_ << m; };
    }
    void cleanupTestCase() {
        std::error_code ec;
        fs::remove_all(TempDir(), ec);
        units_.reset();
    }
    void init() {
        beeps_ = 0;
        errors_.clear();
    }

    void ControlsCarryTheirTextsAndPlaces() {
        auto report = MakeReport(1);
        TStandardPreview* w = OpenPreview(report.get(), QSize(800, 600));
        struct Case {
            QToolButton* button;
            QString caption, hint;
            int x, width;
        } cases[] = {
            {w->OpenBtn, "&Apri", "Apre un report", 96, 75},
            {w->SaveBtn, "Sal&va", "Salva il report", 172, 75},
            {w->PrintBtn, "&Stampa", "Stampa il report", 248, 75},
            {w->FindBtn, "&Trova", "Trova del testo", 324, 75},
            {w->ScreenBtn, "Sc&hermo", "Visualizza l'anteprima a schermo intero", 407, 75},
            {w->CloseBtn, "&Chiudi", "Chiude il report", 490, 68},
            {w->FullScrBtn, "", "Visualizza l'anteprima a schermo intero", 2, 22},
            {w->OnePageBtn, "", "Una pagina", 26, 22},
            {w->TwoPageBtn, "", "Due pagine", 50, 22},
            {w->WdtPageBtn, "", "Larghezza", 74, 22},
            {w->FirstBtn, "", "Prima pagina", 0, 22},
            {w->PrevBtn, "", "Pagina precedente", 24, 22},
            {w->NextBtn, "", "Pagina successiva", 0, 22},
            {w->LastBtn, "", "Ultima pagina", 24, 22},
        };
        for (const Case& c : cases) {
            QCOMPARE(c.button->text(), c.caption);
            QCOMPARE(c.button->toolTip(), c.hint);
            QCOMPARE(c.button->x(), c.x);
            QCOMPARE(c.button->width(), c.width);
            QVERIFY(c.button->autoRaise());
            QVERIFY2(!c.button->icon().isNull(), qPrintable(c.hint));
        }
        QCOMPARE(w->windowTitle(), QString("Anteprima"));
        QCOMPARE(w->ZoomBtn->toolTip(), QString("Ingrandimento"));
        QCOMPARE(w->ZoomBtn->currentText(), QString("100%"));
        QStringList items;
        for (int i = 0; i < w->ZoomBtn->count(); ++i) items << w->ZoomBtn->itemText(i);
        QCOMPARE(items, QStringList({"200%", "150%", "100%", "75%", "50%", "25%", "Larghezza", "Una pagina",
                                     "Due pagine"}));
        QStringList menu;
        for (QAction* a : w->PopupMenu->actions()) menu << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(menu, QStringList({"&Apri", "Sal&va", "&Stampa", "&Trova", "-", "Sc&hermo", "-", "200%", "150%",
                                    "100%", "75%", "50%", "25%", "Larghezza", "Una pagina", "Due pagine"}));
        QVERIFY(!w->PopupMenu->actions().first()->icon().isNull());
        // Bars: toolbar 24 on top, bottom bar 24, the 200-pixel middle part centred.
        QCOMPARE(w->StatusBar->height(), 24);
        QCOMPARE(w->BPanel->height(), 24);
        QCOMPARE(w->PaintPanel->y(), 24);
        QCOMPARE(w->CenterPanel->x(), (w->width() - 200) / 2);
        QCOMPARE(w->VScroll->singleStep(), 20);
        QCOMPARE(w->VScroll->pageStep(), 200);
        QCOMPARE(w->HScroll->singleStep(), 20);
        QCOMPARE(w->HScroll->pageStep(), 200);
        QCOMPARE(w->LabelPage->text(), QString("1 di 1"));
        ClosePreview(w);
    }

    void AnA4PageInAThousandPixelArea() {
        // The drawing fills its whole page in red, so that the rectangle it is played into shows.
        auto report = MakeReport(1, [](emf::RecordingCanvas& c, int) {
            c.Brush().color = 0x0000FF;
            c.FillRect({0, 0, 793, 1122});
        });
        TStandardPreview* w = OpenPreview(report.get(), QSize(1000, 1200));
        QCOMPARE(w->PaintPanel->width(), 1000);
        QCOMPARE(w->Zoom, 100.0);
        const QImage px = AreaPixels(w);
        const QRgb grey = Grey(w);
        struct Probe {
            int x, y;
            QRgb colour;
            const char* what;
        } probes[] = {
            {101, 500, grey, "left of the sheet"},       {102, 9, grey, "above the sheet"},
            {102, 10, kRed, "drawing's top-left"},       {895, 1132, kRed, "drawing's bottom-right"},
            {896, 500, kBlack, "right border"},          {500, 1133, kBlack, "bottom border"},
            {896, 1133, kBlack, "border corner"},        {897, 12, grey, "above the shadow column"},
            {897, 13, kBlack, "shadow column top"},      {897, 1133, kBlack, "shadow column bottom"},
            {898, 500, grey, "right of the shadow"},     {104, 1134, grey, "left of the shadow row"},
            {105, 1134, kBlack, "shadow row left"},      {897, 1134, kBlack, "shadow row right"},
            {500, 1135, grey, "below the shadow row"},
        };
        for (const Probe& p : probes) QVERIFY2(px.pixel(p.x, p.y) == p.colour, p.what);
        ClosePreview(w);

        // Without a drawing the sheet shows its whole border.
        auto blank = MakeReport(1);
        w = OpenPreview(blank.get(), QSize(1000, 1200));
        const QImage sheet = AreaPixels(w);
        QCOMPARE(sheet.pixel(102, 500), kBlack);
        QCOMPARE(sheet.pixel(500, 10), kBlack);
        QCOMPARE(sheet.pixel(103, 11), kWhite);
        QCOMPARE(sheet.pixel(895, 1132), kWhite);
        ClosePreview(w);
    }

    void AWidePageStartsTenPixelsInAndScrollsTenPixelsClear() {
        auto report = MakeReport(1);
        TStandardPreview* w = OpenPreview(report.get(), QSize(1000, 700));
        w->SetZoom(200);
        QCOMPARE(w->HScroll->maximum(), 1588 - 1000 + 20);
        QVERIFY(w->HScroll->isEnabled());
        QCOMPARE(w->HScroll->value(), 0);
        QCOMPARE(AreaPixels(w).pixel(10, 300), kBlack);
        QCOMPARE(AreaPixels(w).pixel(9, 300), Grey(w));
        w->HScroll->setValue(w->HScroll->maximum());
        Settle();
        // The sheet's right border and its shadow end 10 and 9 pixels before the area's edge.
        const QImage right = AreaPixels(w);
        QCOMPARE(right.pixel(989, 300), kWhite);
        QCOMPARE(right.pixel(990, 300), kBlack);
        QCOMPARE(right.pixel(991, 300), kBlack);
        QCOMPARE(right.pixel(992, 300), Grey(w));
        QCOMPARE(w->PageOrigin(0), QPoint(10 - w->HScroll->maximum(), 10));
        // A narrow overhang is centred.
        w->SetZoom(130);
        QCOMPARE(w->HScroll->maximum(), 1032 - 1000 + 20);
        QCOMPARE(w->HScroll->value(), 26);
        ClosePreview(w);
    }

    void TwoPagesOfFiveInRows() {
        FormatSettings italian = CurrentFormatSettings();
        italian.DecimalSeparator = ',';
        FormatSettingsScope scope(italian);
        auto report = MakeReport(5);
        TStandardPreview* w = OpenPreview(report.get(), QSize(1280, 900));
        w->TwoPages();
        Settle();
        QVERIFY(qAbs(w->Zoom - 880.0 / 1123 * 100) < 1e-9);
        QCOMPARE(w->ZoomMode, zmTwoPages);
        QCOMPARE(w->ZoomBtn->currentText(), QString("78,4%"));  // the box shows the zoom in force
        const QImage px = AreaPixels(w);
        // Each page centred in its half: x = Round((640 - 622.19 - 2) / 2) and that + 640.
        QCOMPARE(px.pixel(8, 400), kBlack);
        QCOMPARE(px.pixel(7, 400), Grey(w));
        QCOMPARE(px.pixel(648, 400), kBlack);
        QCOMPARE(px.pixel(647, 400), Grey(w));
        QCOMPARE(w->PageOrigin(1), QPoint(648, 10));
        QCOMPARE(w->PageOrigin(2), QPoint(8, 10 + 880 + 12));
        QCOMPARE(w->CurPage, 1);

        w->setFocus();
        QTest::keyClick(w, Qt::Key_Plus);
        AreaPixels(w);
        QCOMPARE(w->CurPage, 3);
        QCOMPARE(w->VScroll->value(), 892);
        QTest::keyClick(w, Qt::Key_PageDown, Qt::ControlModifier);
        AreaPixels(w);
        QCOMPARE(w->CurPage, 5) ;
        QCOMPARE(w->VScroll->value(), 2 * 892) ;
        QCOMPARE(w->PageOrigin(4).y(), 10) ;
        QCOMPARE(w->LabelPage->text(), QString("5 di 5"));
        QTest::keyClick(w, Qt::Key_Plus);  // the last page: nothing happens
        AreaPixels(w);
        QCOMPARE(w->CurPage, 5);
        QTest::keyClick(w, Qt::Key_Minus);
        AreaPixels(w);
        QCOMPARE(w->CurPage, 3);
        QCOMPARE(w->VScroll->value(), 892);
        w->ShowPage(2);
        QTest::keyClick(w, Qt::Key_Minus);  // page 0 does not exist
        QCOMPARE(w->CurPage, 2);
        ClosePreview(w);
    }

    void ZoomBoxTexts() {
        FormatSettings italian = CurrentFormatSettings();
        italian.DecimalSeparator = ',';
        FormatSettingsScope scope(italian);
        auto report = MakeReport(2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        struct Case {
            QString typed, kept;
            double zoom;
            QString shown;
            int beeps;
        } cases[] = {
            {"150", "150", 150, "150%", 0},        {"75%", "75%", 75, "75%", 0},
            {"0", "0", 75, "75%", 1},              {"87,5", "87,5", 87.5, "87,5%", 0},
            {"87.5", "875", 875, "875%", 0},       {"1a2b", "12", 12, "12%", 0},
            {"5%0", "5%0", 12, "12%", 1},          {"", "", 12, "12%", 1},
        };
        for (const Case& c : cases) {
            beeps_ = 0;
            TypeIntoZoomBox(w, c.typed);
            QCOMPARE(w->ZoomBtn->currentText(), c.kept);
            PressKey(Qt::Key_Return);
            Settle();
            QCOMPARE(w->Zoom, c.zoom);
            QCOMPARE(w->ZoomMode, zmPercent);
            QCOMPARE(w->ZoomBtn->currentText(), c.shown);
            QCOMPARE(beeps_, c.beeps);
            QVERIFY2(!w->ZoomBtnFocused(), "applying gives the keys back to the window");
        }
        // The window's keys do nothing while the box has the focus: a space is discarded there.
        TypeIntoZoomBox(w, " ");
        QCOMPARE(w->FullScreen, false);
        QCOMPARE(w->ZoomBtn->currentText(), QString(""));
        // A mode name chosen in the box applies that mode.
        w->ZoomBtn->setFocus();
        w->ZoomBtn->setEditText("Una pagina");
        PressKey(Qt::Key_Return);
        QCOMPARE(w->ZoomMode, zmOnePage);
        QVERIFY(qAbs(w->Zoom - (700.0 - 20) / 1123 * 100) < 1e-9);
        ClosePreview(w);
    }

    void ZoomTextRoundsToOneDecimal() {
        FormatSettings italian = CurrentFormatSettings();
        italian.DecimalSeparator = ',';
        FormatSettingsScope scope(italian);
        auto report = MakeReport(1);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const struct {
            double zoom;
            QString text;
        } cases[] = {{100, "100%"}, {87.654, "87,7%"}, {87.96, "88%"}, {87.25, "87,2%"}, {78.3615, "78,4%"},
                     {0.04, "0%"}};
        for (const auto& c : cases) {
            w->SetZoom(c.zoom);
            Settle();
            QCOMPARE(w->ZoomBtn->currentText(), c.text);
        }
        ClosePreview(w);
    }

    void KeyboardMap() {
        auto report = MakeReport(4);
        TStandardPreview* w = OpenPreview(report.get(), QSize(700, 600));
        w->SetZoom(150);  // both scroll bars have room
        struct Case {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int dv, dh, page;  // page -1: unchanged
        } cases[] = {
            {Qt::Key_Down, Qt::NoModifier, 20, 0, -1},       {Qt::Key_Up, Qt::NoModifier, -20, 0, -1},
            {Qt::Key_PageDown, Qt::NoModifier, 200, 0, -1},  {Qt::Key_PageUp, Qt::NoModifier, -200, 0, -1},
            {Qt::Key_Right, Qt::NoModifier, 0, 20, -1},      {Qt::Key_Left, Qt::NoModifier, 0, -20, -1},
            {Qt::Key_Down, Qt::ShiftModifier, 20, 0, -1},    {Qt::Key_Down, Qt::AltModifier, 20, 0, -1},
            {Qt::Key_PageDown, Qt::ControlModifier, 0, 0, 2}, {Qt::Key_Equal, Qt::NoModifier, 0, 0, 3},
            {Qt::Key_Minus, Qt::NoModifier, 0, 0, 2},        {Qt::Key_PageUp, Qt::ControlModifier, 0, 0, 1},
            {Qt::Key_End, Qt::NoModifier, 0, 0, 4},          {Qt::Key_Home, Qt::NoModifier, 0, 0, 1},
            {Qt::Key_Return, Qt::NoModifier, 0, 0, -1},      {Qt::Key_A, Qt::NoModifier, 0, 0, -1},
            {Qt::Key_Plus, Qt::KeypadModifier, 0, 0, -1},
        };
        for (const Case& c : cases) {
            w->VScroll->setValue(400);
            w->HScroll->setValue(100);
            const int page = w->CurPage;
            QTest::keyClick(w, c.key, c.modifiers);
            QVERIFY(w->isVisible());
            if (c.page < 0) {
                QCOMPARE(w->VScroll->value(), 400 + c.dv);
                QCOMPARE(w->HScroll->value(), 100 + c.dh);
                QCOMPARE(w->CurPage, page);
            } else {
                QCOMPARE(w->CurPage, c.page);
            }
        }
        // The keys of the view are the zoom box's while it has the focus.
        w->VScroll->setValue(400);
        QTest::mouseClick(w->ZoomBtn->lineEdit(), Qt::LeftButton);
        for (Qt::Key key : {Qt::Key_End, Qt::Key_Home, Qt::Key_Left, Qt::Key_Escape, Qt::Key_Space}) PressKey(key);
        QCOMPARE(w->VScroll->value(), 400);
        QCOMPARE(w->CurPage, 1);
        QVERIFY(w->isVisible());
        QVERIFY(!w->FullScreen);
        // The wheel: one notch is one small step.
        w->setFocus();
        SendWheel(w->PaintPanel, -120);
        QCOMPARE(w->VScroll->value(), 420);
        SendWheel(w->VScroll, 240);
        QCOMPARE(w->VScroll->value(), 380);
        SendWheel(w->PaintPanel, 60);
        SendWheel(w->PaintPanel, 60);
        QCOMPARE(w->VScroll->value(), 360);
        ClosePreview(w);
    }

    void EscapeLeavesFullScreenThenCloses() {
        auto report = MakeReport(2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        QPointer<TStandardPreview> guard(w);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Space);
        Settle();
        QVERIFY(w->FullScreen);
        QCOMPARE(w->StatusBar->height(), 0);
        QVERIFY(w->BPanel->isHidden() && w->VPanel->isHidden() && w->HPanel->isHidden());
        QVERIFY(!w->PagePanel->isHidden());
        QCOMPARE(w->PagePanel->y(), w->height() - 16);
        QCOMPARE(w->PaintPanel->geometry(), w->rect());
        QTest::keyClick(w, Qt::Key_Escape);
        Settle();
        QVERIFY(!w->FullScreen);
        QVERIFY(w->isVisible());
        QCOMPARE(w->StatusBar->height(), 24);
        QVERIFY(!w->BPanel->isHidden() && !w->VPanel->isHidden() && !w->HPanel->isHidden());
        QVERIFY(w->PagePanel->isHidden());
        QTest::mouseClick(w->ScreenBtn, Qt::LeftButton);
        QVERIFY(w->FullScreen);
        QTest::keyClick(w, Qt::Key_Space);
        QVERIFY(!w->FullScreen);
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void AnEmptyReport() {
        auto report = MakeReport(0);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        AreaPixels(w);
        QCOMPARE(w->LabelPage->text(), QString("1 di 0"));
        QVERIFY(!w->VScroll->isEnabled());
        QVERIFY(!w->HScroll->isEnabled());
        for (auto command : {&TStandardPreview::NextPage, &TStandardPreview::PrevPage, &TStandardPreview::FirstPage,
                             &TStandardPreview::LastPage, &TStandardPreview::TwoPages, &TStandardPreview::PageWidth}) {
            (w->*command)();
            AreaPixels(w);
            QCOMPARE(w->CurPage, 1);
            QCOMPARE(w->VScroll->value(), 0);
            QCOMPARE(w->Zoom, 100.0);
        }
        QCOMPARE(w->LabelPage->text(), QString("1 di 0"));
        ClosePreview(w);
    }

    void DraggingMovesTheViewWithTheHand() {
        auto report = MakeReport(3);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        w->SetZoom(150);
        w->VScroll->setValue(100);
        w->HScroll->setValue(100);
        QWidget* area = w->PaintPanel;
        SendMouse(area, QEvent::MouseButtonPress, {400, 300}, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(w->PaintPanel->CursorNumber, int(crHandGrab));
        SendMouse(area, QEvent::MouseMove, {400, 330}, Qt::NoButton, Qt::LeftButton);
        SendMouse(area, QEvent::MouseMove, {420, 350}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(w->VScroll->value(), 50);
        QCOMPARE(w->HScroll->value(), 80);
        SendMouse(area, QEvent::MouseButtonRelease, {420, 350}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(w->PaintPanel->CursorNumber, int(crHandFlat));
        QVERIFY(!w->PaintPanel->Dragging);
        SendMouse(area, QEvent::MouseMove, {420, 400}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(w->VScroll->value(), 50);
        ClosePreview(w);
    }

    void AutoScrollFollowsThePointer() {
        auto report = MakeReport(3);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        w->SetZoom(150);
        w->VScroll->setValue(100);
        w->HScroll->setValue(100);
        TPaintPanel* area = w->PaintPanel;
        SendMouse(area, QEvent::MouseButtonPress, {400, 300}, Qt::MiddleButton, Qt::MiddleButton);
        SendMouse(area, QEvent::MouseButtonRelease, {400, 300}, Qt::MiddleButton, Qt::NoButton);
        QVERIFY(area->AutoScrolling);
        QCOMPARE(area->CursorNumber, int(crMoveAll));
        SendMouse(area, QEvent::MouseMove, {410, 330}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(area->Direction, uint8_t(7));
        QCOMPARE(area->CursorNumber, int(crMoveSE));
        QVERIFY(area->ScrollTimer->isActive());
        QCOMPARE(area->ScrollTimer->interval(), 100);
        QTRY_VERIFY(w->VScroll->value() > 100);
        area->ScrollTimer->stop();
        const int ticks = (w->VScroll->value() - 100) / 30;
        QCOMPARE(w->VScroll->value(), 100 + 30 * ticks);
        QCOMPARE(w->HScroll->value(), 100 + 10 * ticks);
        // The eight other directions, by the pointer's place against the origin.
        const struct {
            QPoint at;
            uint8_t direction;
            int cursor, dv, dh;
        } cases[] = {
            {{400, 300}, 0, crMoveAll, 0, 0},   {{400, 290}, 1, crMoveN, -10, 0}, {{400, 305}, 2, crMoveS, 5, 0},
            {{407, 300}, 3, crMoveE, 0, 7},     {{390, 300}, 4, crMoveW, 0, -10}, {{390, 290}, 5, crMoveNW, -10, -10},
            {{420, 297}, 6, crMoveNE, -3, 20},  {{390, 310}, 8, crMoveSW, 10, -10},
        };
        for (const auto& c : cases) {
            SendMouse(area, QEvent::MouseMove, c.at, Qt::NoButton, Qt::NoButton);
            QCOMPARE(area->Direction, c.direction);
            QCOMPARE(area->CursorNumber, c.cursor);
            const int v = w->VScroll->value(), h = w->HScroll->value();
            area->AutoScrollTick();
            QCOMPARE(w->VScroll->value() - v, c.dv);
            QCOMPARE(w->HScroll->value() - h, c.dh);
        }
        // A second middle click ends it; the timer stops at the next movement.
        SendMouse(area, QEvent::MouseButtonPress, {400, 300}, Qt::MiddleButton, Qt::MiddleButton);
        QVERIFY(!area->AutoScrolling);
        QCOMPARE(area->CursorNumber, int(crHandFlat));
        SendMouse(area, QEvent::MouseMove, {450, 350}, Qt::NoButton, Qt::NoButton);
        QVERIFY(!area->ScrollTimer->isActive());
        // Switched on again, the first movement shows its direction's cursor.
        SendMouse(area, QEvent::MouseButtonPress, {400, 300}, Qt::MiddleButton, Qt::MiddleButton);
        SendMouse(area, QEvent::MouseMove, {390, 310}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(area->CursorNumber, int(crMoveSW));
        SendMouse(area, QEvent::MouseButtonPress, {400, 300}, Qt::RightButton, Qt::RightButton);
        QVERIFY(!area->AutoScrolling);
        SendMouse(area, QEvent::MouseMove, {400, 300}, Qt::NoButton, Qt::NoButton);
        QVERIFY(!area->ScrollTimer->isActive());
        ClosePreview(w);
    }

    void TheContextMenuShowsTheZoomInForce() {
        auto report = MakeReport(2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        auto checked = [w] {
            QStringList names;
            for (QAction* a : w->PopupMenu->actions())
                if (a->isChecked()) names << a->text();
            return names;
        };
        SendMouse(w->PaintPanel, QEvent::MouseButtonRelease, {300, 300}, Qt::RightButton, Qt::NoButton);
        QVERIFY(w->PopupMenu->isVisible());
        QCOMPARE(checked(), QStringList{"100%"});
        w->PopupMenu->close();
        w->TwoPages();
        SendMouse(w->PaintPanel, QEvent::MouseButtonRelease, {300, 300}, Qt::RightButton, Qt::NoButton);
        QCOMPARE(checked(), QStringList{"Due pagine"});
        w->PopupMenu->close();
        for (QAction* a : w->PopupMenu->actions())
            if (a->text() == "50%") a->trigger();
        QCOMPARE(w->Zoom, 50.0);
        QCOMPARE(w->ZoomMode, zmPercent);
        ClosePreview(w);
    }

    // Only the records meeting the painted area are played on the page area; a printer gets all.
    void RecordsPlayedOnScreenAndOnOtherSurfaces() {
        auto report = MakeReport(1, [](emf::RecordingCanvas& c, int) {
            for (int row = 0; row < 50; ++row) {
                c.TextOut(40, 40 + row * 20, "Riga di prova " + std::to_string(row));
                c.Rectangle(30, 38 + row * 20, 700, 57 + row * 20);
            }
        });
        int drawing = 0;
        for (emf::RecordView r : report->EMFPages().Pages(0).Drawing.Records())
            if (r.Type() == emf::EMR_EXTTEXTOUTW || r.Type() == emf::EMR_RECTANGLE) ++drawing;
        QCOMPARE(drawing, 100);
        const int total = int(report->EMFPages().Pages(0).Drawing.RecordCount());

        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        Settle();
        w->DrawingRecordsPlayed = 0;
        w->PaintPanel->repaint(0, 400, 900, 20);  // rows whose rectangles meet y 400..419 only
        QVERIFY2(w->DrawingRecordsPlayed > 0 && w->DrawingRecordsPlayed <= 6,
                 qPrintable(QString::number(w->DrawingRecordsPlayed)));

        // A printing surface: every record, whatever the clipping.
        QImage sheet(794, 1123, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        painter.setClipRect(0, 0, 10, 10);
        w->RecordsPlayed = 0;
        w->DrawingRecordsPlayed = 0;
        w->DrawPage(&painter, 0, QRect(0, 0, 794, 1123));
        QCOMPARE(w->DrawingRecordsPlayed, int64_t(drawing));
        QCOMPARE(w->RecordsPlayed, int64_t(total));
        ClosePreview(w);

        // A hidden window that was never shown draws too (printing makes one).
        TStandardPreview hidden(nullptr);
        hidden.Report = report.get();
        QImage printed(794, 1123, QImage::Format_RGB32);
        printed.fill(Qt::white);
        QPainter onPrinted(&printed);
        hidden.DrawPage(&onPrinted, 0, QRect(0, 0, 794, 1123));
        onPrinted.end();
        QVERIFY(printed.pixel(30, 800) == kBlack);  // the left edge of a rectangle far from the origin
    }

    void TheHitBlinksOnScreenOnly() {
        auto report = MakeReport(1, [](emf::RecordingCanvas& c, int) {
            c.Font().SetSize(20);
            c.TextOut(100, 100, "Trovato");
            c.Font().color = 0xFFFFFF;
            c.TextOut(100, 200, "Bianco");
        });
        // Record numbers of the two texts (the header is number 0).
        std::vector<int> texts;
        int n = 0;
        for (emf::RecordView r : report->EMFPages().Pages(0).Drawing.Records()) {
            if (r.Type() == emf::EMR_EXTTEXTOUTW) texts.push_back(n);
            ++n;
        }
        QCOMPARE(int(texts.size()), 2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const QPoint origin = w->PageOrigin(0) + QPoint(1, 1);
        auto darkShare = [&](const QImage& img, int top) {
            int dark = 0, all = 0;
            for (int y = top; y < top + 20; ++y)
                for (int x = 100; x < 160; ++x, ++all)
                    if (qGray(img.pixel(origin.x() + x, origin.y() + y)) < 64) ++dark;
            return double(dark) / all;
        };
        auto blueCount = [&](const QImage& img, int top) {
            int blue = 0;
            for (int y = top; y < top + 20; ++y)
                for (int x = 100; x < 160; ++x)
                    if (img.pixel(origin.x() + x, origin.y() + y) == 0xFF0000FF) ++blue;
            return blue;
        };
        const double plain = darkShare(AreaPixels(w), 100);
        QVERIFY(plain < 0.5);
        w->HitShown = true;
        w->HitPage = 0;
        w->RecordNo = texts[0];
        w->BlinkCount = 1;
        QVERIFY(darkShare(AreaPixels(w), 100) > 0.6);
        w->BlinkCount = 2;
        QVERIFY(darkShare(AreaPixels(w), 100) < 0.5);
        w->RecordNo = texts[1];
        w->BlinkCount = 3;
        QVERIFY(blueCount(AreaPixels(w), 200) > 20);
        // On another surface the hit is drawn plainly.
        QImage sheet(w->PaintPanel->size(), QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        w->RecordNo = texts[0];
        w->BlinkCount = 1;
        w->DrawPage(&painter, 0, QRect(w->PageOrigin(0), QSize(794, 1123)));
        painter.end();
        QVERIFY(darkShare(sheet, 100) < 0.5);
        ClosePreview(w);
    }

    void ClosingStopsABlink() {
        auto report = MakeReport(1);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        w->HitShown = true;
        w->HitRect = {10, 10, 50, 30};
        w->BlinkCount = 3;
        w->Timer->start();
        QPointer<QTimer> timer(w->Timer);
        bool stoppedBeforeHide = false;
        w->installEventFilter(this);
        hideWatch_ = [&] { stoppedBeforeHide = !w->Timer->isActive() && !w->HitShown; };
        w->close();
        hideWatch_ = nullptr;
        QVERIFY(stoppedBeforeHide);
        QCOMPARE(w->BlinkCount, 9);
        ClosePreview(w);
    }

    void SaveWritesTheReportOrTheCurrentPage() {
        auto report = MakeReport(3, [](emf::RecordingCanvas& c, int page) {
            c.TextOut(50, 50, "Pagina " + std::to_string(page + 1));
        });
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const fs::path dir = TempDir();
        struct Case {
            int filter;
            std::string chosen, written;
        } cases[] = {
            {2, "pagina", "pagina.emf"},      {2, "PAGINA.EMF", "PAGINA.EMF"},  {2, "p.emf.bak", "p.emf.bak.emf"},
            {2, "p.Emf", "p.Emf"},            {1, "tutto", "tutto.cvp"},        {1, "tutto.rep", "tutto.rep"},
            {3, "uscita.dat", "uscita.pag"},  {3, "uscita2", "uscita2.pag"},
            // Dotted folder names are ordinary: only the file name decides.
            {2, "x.emf/pagina", "x.emf/pagina.emf"}, {2, "x.emf/p.EMF", "x.emf/p.EMF"},
            {1, "mario.rossi/tutto", "mario.rossi/tutto.cvp"}, {3, "mario.rossi/uscita", "mario.rossi/uscita.pag"},
        };
        fs::create_directories(dir / "x.emf");
        fs::create_directories(dir / "mario.rossi");
        w->ShowPage(2);
        QVERIFY(RegisterExportFilter(ExportFilterClass<PagesFilter>, "Pagine (*.pag)", "*.pag"));
        for (const Case& c : cases) {
            UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind kind) {
                [&] {
                    QCOMPARE(kind, TFileDialog::Kind::Save);
                    QCOMPARE(d.Title, AnsiString("Salva il report."));
                    QCOMPARE(d.Filter, AnsiString("Report file (*.cvp)|*.cvp|Enhanced Meta File - File Grafico "
                                                  "(*.emf)|*.emf|Pagine (*.pag)|*.pag|Documento PDF (*.pdf)|*.pdf|"
                                                  "Testo (*.txt)|*.txt"));
                    QCOMPARE(d.FilterIndex, 1);
                }();
                d.FileName = dir / c.chosen;
                d.FilterIndex = c.filter;
                return true;
            };
            w->Save();
            QVERIFY2(fs::exists(dir / c.written), c.written.c_str());
            if (c.filter == 3) {
                QCOMPARE(fs::file_size(dir / c.written), uintmax_t(3));
            } else if (c.filter == 2) {
                emf::Metafile saved = emf::Metafile::LoadFromFile(dir / c.written);
                const auto expected = report->EMFPages().Pages(1).Drawing.Bytes();
                QVERIFY(std::equal(saved.Bytes().begin(), saved.Bytes().end(), expected.begin(), expected.end()));
            } else {
                TcvReport copy(nullptr);
                copy.LoadPreparedReport(dir / c.written);
                QCOMPARE(copy.EMFPages().Count(), 3);
            }
        }
        // A cancelled dialog writes nothing.
        const auto before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
        UiHooks().ExecuteFileDialog = [](TFileDialog&, QWidget*, TFileDialog::Kind) { return false; };
        w->Save();
        QCOMPARE(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), before);
        UnregisterExportFilter(ExportFilterClass<PagesFilter>);
        ClosePreview(w);
    }

    // PDF and text, after the registered filters: what tessaly-cli pdf and text write, a default
    // extension only for a name without a dot, and a failure that says why and leaves no file.
    void SaveAsPdfOrTextWritesWhatTheCliWrites() {
        tessaly::testing::TempFolder dir("preview-pdf");
        auto report = std::make_unique<TcvReport>(nullptr);
        for (int i = 0; i < 3; ++i) {
            PreparedPage& page = report->EMFPages().AddPage(PaperTemplate(9, i == 1 ? 1 : 0));
            page.Surface->TextOut(50, 50, "Pagina " + std::to_string(i + 1));
            page.CloseSurface();
        }
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const fs::path reference = dir / "riferimento";
        SaveReportAsText(*report, reference);
        struct Case {
            int filter;
            std::string chosen, written;
            int registered;  // export filters registered before
        } cases[] = {
            {3, "rapporto", "rapporto.pdf", 0}, {3, "rapporto.v2", "rapporto.v2", 0}, {4, "testo", "testo.txt", 0},
            {4, "testo.TXT", "testo.TXT", 0},   {3, "pagine", "pagine.pag", 1},   {4, "doc", "doc.pdf", 1},
            {5, "testo2", "testo2.txt", 1},
        };
        for (const Case& c : cases) {
            if (c.registered) RegisterExportFilter(ExportFilterClass<PagesFilter>, "Pagine (*.pag)", "*.pag");
            UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
                d.FileName = dir / c.chosen;
                d.FilterIndex = c.filter;
                return true;
            };
            FocusWindow(w);
            PressKey(Qt::Key_F11);
            UnregisterExportFilter(ExportFilterClass<PagesFilter>);
            QCOMPARE(errors_, QStringList());
            QVERIFY2(fs::exists(dir / c.written), c.written.c_str());
            const std::vector<uint8_t> bytes = tessaly::testing::ReadFile(dir / c.written);
            const std::string content(bytes.begin(), bytes.end());
            if (c.written.ends_with(".pag")) {
                QCOMPARE(content, std::string("PPP"));
            } else if (content.starts_with("%PDF")) {
                QVERIFY2(c.filter == 3 + c.registered, c.written.c_str());
                // Each page on its own paper: A4 portrait, landscape, portrait.
                QCOMPARE(tessaly::testing::MediaBoxes(content),
                         (std::vector<std::pair<int, int>>{{595, 842}, {842, 595}, {595, 842}}));
            } else {
                QCOMPARE(bytes, tessaly::testing::ReadFile(reference));
            }
        }
        // A folder that is not there: the message, and nothing written.
        const auto before = std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator());
        for (int filter : {3, 4}) {
            errors_.clear();
            UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
                d.FileName = dir / "manca" / "uscita";
                d.FilterIndex = filter;
                return true;
            };
            FocusWindow(w);
            PressKey(Qt::Key_F11);
            QCOMPARE(errors_.size(), 1);
            QVERIFY(!errors_.first().isEmpty());
        }
        QCOMPARE(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), before);
        ClosePreview(w);
    }

    void OpenReplacesThePagesAndStartsAgain() {
        const fs::path dir = TempDir();
        auto other = MakeReport(4, {}, PaperTemplate(9, 1));
        other->SavePreparedReport(dir / "altro.cvp");
        auto report = MakeReport(2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        w->TwoPages();
        w->VScroll->setValue(300);
        const fs::path cwd = fs::current_path();
        UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind kind) {
            [&] {
                QCOMPARE(kind, TFileDialog::Kind::Open);
                QCOMPARE(d.Title, AnsiString("Apre un report."));
                QCOMPARE(d.Filter, AnsiString("Report files (*.cvp)|*.cvp|Modelli di report (*.cvf)|*.cvf|"
                                              "Modelli di report in JSON (*.json)|*.json"));
            }();
            fs::current_path(dir);
            d.FileName = dir / "altro";
            return true;
        };
        w->setFocus();
        QTest::keyClick(w, Qt::Key_F10);
        QCOMPARE(report->EMFPages().Count(), 4);
        QCOMPARE(w->ZoomMode, zmPercent);
        QCOMPARE(w->Zoom, 100.0);
        QCOMPARE(w->VScroll->value(), 0);
        QCOMPARE(w->MaxPageWidth, 1123);
        QCOMPARE(w->MaxPageHeight, 794);
        QCOMPARE(w->LabelPage->text(), QString("1 di 4"));
        QCOMPARE(fs::current_path(), cwd);
        Settle();
        QCOMPARE(w->ZoomBtn->currentText(), QString("100%"));

        // A file that cannot be read: its error is shown and the preview goes on.
        UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
            d.FileName = dir / "manca.cvp";
            return true;
        };
        QTest::keyClick(w, Qt::Key_F10);
        QCOMPARE(errors_.size(), 1);
        QVERIFY(w->isVisible());
        fs::current_path(cwd);
        ClosePreview(w);
    }

    void PrintAsksForTheRangeAndCopies() {
        auto report = MakeReport(5);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const struct {
            bool all;
            int from, to, copies;
            bool collate;
            int printedFrom, printedTo;
        } cases[] = {{true, 0, 0, 3, false, 1, 5}, {false, 2, 3, 2, true, 2, 3}};
        for (const auto& c : cases) {
            int asked = 0;
            UiHooks().ExecutePrintDialog = [&](QPrinter& printer, QWidget*) {
                ++asked;
                [&] {
                    QCOMPARE(printer.fromPage(), 1);
                    QCOMPARE(printer.toPage(), 5);
                    QCOMPARE(printer.copyCount(), 1);
                }();
                if (!c.all) {
                    printer.setPrintRange(QPrinter::PageRange);
                    printer.setFromTo(c.from, c.to);
                }
                printer.setCopyCount(c.copies);
                printer.setCollateCopies(c.collate);
                return true;
            };
            w->setFocus();
            QTest::keyClick(w, Qt::Key_F2);
            QCOMPARE(asked, 1);
            QCOMPARE(report->PrintFirstPage, c.printedFrom);
            QCOMPARE(report->PrintLastPage, c.printedTo);
            QCOMPARE(report->PrintCopies, c.copies);
            QCOMPARE(report->PrintCollate, c.collate);
            QCOMPARE(w->PrintDialog->copyCount(), 1);  // the driver never makes copies itself
        }
        ClosePreview(w);
    }

    // The window's command keys work while the zoom box has the focus, each command applying the
    // zoom being typed first.
    void CommandKeysWorkFromTheZoomBox() {
        auto report = MakeReport(3);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        const auto fileDialog = UiHooks().ExecuteFileDialog;
        const auto printDialog = UiHooks().ExecutePrintDialog;
        QStringList asked;
        UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
            asked << QString::fromStdString(Cp1252ToUtf8(d.Title));
            return false;
        };
        UiHooks().ExecutePrintDialog = [&](QPrinter&, QWidget*) {
            asked << "stampa";
            return false;
        };
        const struct {
            Qt::Key key;
            QString typed;
            double zoom;
            QString dialog;
        } cases[] = {
            {Qt::Key_F11, "150", 150, "Salva il report."},
            {Qt::Key_F10, "75%", 75, "Apre un report."},
            {Qt::Key_F2, "1a20", 120, "stampa"},
            {Qt::Key_F3, "50", 50, "trova"},
        };
        for (const auto& c : cases) {
            asked.clear();
            QTimer::singleShot(0, [&] {
                if (auto* form = qobject_cast<TFindForm*>(QApplication::activeModalWidget())) {
                    asked << "trova";
                    form->reject();
                }
            });
            TypeIntoZoomBox(w, c.typed);
            PressKey(c.key);
            Settle();
            QCOMPARE(asked, QStringList{c.dialog});
            QCOMPARE(w->Zoom, c.zoom);
            QVERIFY(!w->ZoomBtnFocused());
        }
        UiHooks().ExecuteFileDialog = fileDialog;
        UiHooks().ExecutePrintDialog = printDialog;
        ClosePreview(w);
    }

    // The whole flow: a 20-page report is open, Open of a damaged file fails, then Save. The report
    // stays as it was, on screen and in memory, and the file keeps its 20 pages.
    void AFailedOpenLeavesTheReportToSaveWhole() {
        tessaly::testing::TempFolder dir("preview-open");
        const fs::path file = dir / "listing.cvp";
        fs::copy_file(fs::path(TESSALY_SOURCE_DIR) / "examples" / "listing.cvp", file);
        const std::vector<uint8_t> original = tessaly::testing::ReadFile(file);
        tessaly::testing::WriteFile(dir / "rotto.cvp",
                                    std::vector<uint8_t>(original.begin(), original.begin() + original.size() / 2));
        TcvReport report(nullptr);
        report.LoadPreparedReport(file);
        TStandardPreview* w = OpenPreview(&report, QSize(900, 700));
        w->ShowPage(3);
        fs::path chosen;
        UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
            d.FileName = chosen;
            d.FilterIndex = 1;
            return true;
        };
        FocusWindow(w);
        chosen = dir / "rotto.cvp";
        PressKey(Qt::Key_F10);
        QCOMPARE(errors_.size(), 1);
        QCOMPARE(report.EMFPages().Count(), 20);
        QCOMPARE(w->LabelPage->text(), QString("3 di 20"));

        chosen = file;
        PressKey(Qt::Key_F11);
        QCOMPARE(errors_.size(), 1);
        QVERIFY(tessaly::testing::ReadFile(file) == original);
        ClosePreview(w);
    }

    // Printing to a file, as the print dialog offers it, writes the chosen pages into that PDF file,
    // each on its own paper, as tessaly-cli pdf does: with no printer at all, and with one, which
    // then prints nothing.
    void PrintToFileWritesThePagesIntoThePdf() {
        tessaly::testing::TempFolder dir("preview-pdf");
        TcvReport report(nullptr);
        report.LoadPreparedReport(fs::path(TESSALY_SOURCE_DIR) / "examples" / "mixed.cvp");
        TStandardPreview* w = OpenPreview(&report, QSize(900, 700));
        print::RecordingPrinter printer;
        const std::vector<std::pair<int, int>> all = {{595, 842}, {420, 595}, {612, 792}, {1191, 842},
                                                      {624, 312}, {340, 510}, {297, 420}};
        const struct {
            print::Printer* printer;
            int from, to;  // 0: all pages
            std::vector<std::pair<int, int>> sheets;
        } cases[] = {
            {nullptr, 0, 0, all},
            {&printer, 2, 4, {all[1], all[2], all[3]}},
        };
        for (const auto& c : cases) {
            PrinterSettings->FillPrinters(c.printer);
            const fs::path pdf = dir / "stampa.pdf";
            fs::remove(pdf);
            UiHooks().ExecutePrintDialog = [&](QPrinter& p, QWidget*) {
                p.setOutputFormat(QPrinter::PdfFormat);
                p.setOutputFileName(QString::fromStdString(pdf.string()));
                if (c.from) {
                    p.setPrintRange(QPrinter::PageRange);
                    p.setFromTo(c.from, c.to);
                }
                return true;
            };
            FocusWindow(w);
            PressKey(Qt::Key_F2);
            QCOMPARE(errors_, QStringList());
            QVERIFY(MediaBoxes(tessaly::testing::ReadText(pdf)) == c.sheets);
            QCOMPARE(PrinterSettings->Printer(), c.printer);
            QVERIFY(printer.Jobs().empty());
        }
        PrinterSettings->FillPrinters(nullptr);
        ClosePreview(w);
    }

    // A print that fails shows why, in Italian where the words are ours; no printer is no printer.
    void AFailedPrintSaysWhy() {
        auto report = MakeReport(2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        UiHooks().ExecutePrintDialog = [](QPrinter& p, QWidget*) {
            p.setOutputFileName(QString());
            return true;
        };
        print::RecordingPrinter failing;
        failing.FailAtEndDoc(1);
        const struct {
            print::Printer* printer;
            QString message;
        } cases[] = {{nullptr, "Nessuna stampante disponibile."}, {&failing, "Printer failure at EndDoc"}};
        for (const auto& c : cases) {
            errors_.clear();
            PrinterSettings->FillPrinters(c.printer);
            FocusWindow(w);
            PressKey(Qt::Key_F2);
            QCOMPARE(errors_, QStringList{c.message});
        }
        QVERIFY(failing.Jobs().at(0).aborted);
        PrinterSettings->FillPrinters(nullptr);
        ClosePreview(w);
    }

    // Saving the current page of a report without pages writes nothing and says why.
    void SavingThePageOfAnEmptyReportSaysWhy() {
        tessaly::testing::TempFolder dir("preview-empty");
        auto report = MakeReport(0);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
            d.FileName = dir / "vuota";
            d.FilterIndex = 2;
            return true;
        };
        FocusWindow(w);
        PressKey(Qt::Key_F11);
        QCOMPARE(errors_, QStringList{"Il report non ha pagine."});
        QVERIFY(fs::is_empty(dir.Path()));
        ClosePreview(w);
    }

    // The save dialog as the user meets it: a name typed, the file type chosen in its list, Enter.
    // The type chosen decides what is written.
    void TheFileTypeChosenInTheSaveDialogDecidesWhatIsWritten() {
        tessaly::testing::TempFolder dir("preview-dialog");
        auto report = MakeReport(3, [](emf::RecordingCanvas& c, int page) {
            c.TextOut(50, 50, "Pagina " + std::to_string(page + 1));
        });
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        w->ShowPage(2);
        UiHooks().ExecuteFileDialog = [](TFileDialog& d, QWidget* parent, TFileDialog::Kind kind) {
            return d.Execute(parent, kind);
        };
        const struct {
            int typeSteps;  // Down presses in the list of file types
            const char* typed;
            const char* written;
        } cases[] = {{1, "pagina", "pagina.emf"}, {0, "tutto", "tutto.cvp"}};
        for (const auto& c : cases) {
            FocusWindow(w);
            bool answered = false;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog) return;
                answered = true;
                dialog->activateWindow();  // as the window system does with a new dialog
                QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), dialog, 2000);
                QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString((dir / c.typed).string()));
                for (QComboBox* types : dialog->findChildren<QComboBox*>())
                    if (types->count() >= 2 && types->itemText(1).startsWith("Enhanced Meta File")) types->setFocus();
                for (int i = 0; i < c.typeSteps; ++i) PressKey(Qt::Key_Down);
                PressKey(Qt::Key_Return);
            });
            PressKey(Qt::Key_F11);
            QVERIFY(answered);
            QCOMPARE(errors_, QStringList());
            QVERIFY2(fs::exists(dir / c.written), c.written);
        }
        const auto expected = report->EMFPages().Pages(1).Drawing.Bytes();
        const std::vector<uint8_t> page = tessaly::testing::ReadFile(dir / "pagina.emf");
        QVERIFY(std::equal(page.begin(), page.end(), expected.begin(), expected.end()));
        ClosePreview(w);
    }

    void ShowReportSharesOrCopies() {
        auto report = MakeReport(3);
        // Modal: the caller's report, shown maximised, until closed.
        report->SetModalPreview(true);
        TcvReport* seenReport = nullptr;
        bool modal = false, maximised = false;
        QTimer::singleShot(0, [&] {
            auto* w = static_cast<TStandardPreview*>(PreviewList.back());
            seenReport = w->Report;
            modal = w->isModal();
            maximised = w->windowState() & Qt::WindowMaximized;
            w->close();
        });
        report->ShowPreparedReport();
        QCOMPARE(static_cast<void*>(seenReport), static_cast<void*>(report.get()));
        QVERIFY(modal);
        QVERIFY(maximised);
        QVERIFY(PreviewList.empty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Not modal: a private copy, on top, and the caller goes on.
        report->SetModalPreview(false);
        report->ShowPreparedReport();
        QCOMPARE(int(PreviewList.size()), 1);
        auto* w = static_cast<TStandardPreview*>(PreviewList.back());
        QVERIFY(w->Report != report.get());
        QCOMPARE(w->Report->EMFPages().Count(), 3);
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(w->isVisible() && !w->isModal());
        QPointer<TStandardPreview> guard(w);
        w->close();
        QVERIFY(PreviewList.empty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    // Any zoom whose pages fit the window's coordinates is drawn; a larger one is refused.
    void HugeZoomsStayWithinTheWindowsCoordinates() {
        auto report = MakeReport(2, [](emf::RecordingCanvas& c, int) {
            c.Pen().style = emf::PenStyle::Dot;
            c.MoveTo(30, 58);
            c.LineTo(700, 58);
            c.TextOut(40, 40, "Riga di prova");
        });
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        TypeIntoZoomBox(w, "99999999");
        PressKey(Qt::Key_Return);
        QCOMPARE(beeps_, 1);
        QCOMPARE(w->Zoom, 100.0);
        for (double z : {1e4, 1e6, 9e7}) {
            w->SetZoom(z);
            QCOMPARE(w->Zoom, z);
            QVERIFY(w->VScroll->maximum() > 0 && w->VScroll->maximum() <= (1 << 30));
            const int at = int(50 * 794.0 / 793 * z / 100) - 300;  // around the text and the dotted line
            w->VScroll->setValue(at);
            w->HScroll->setValue(at);
            AreaPixels(w);
        }
        w->SetZoom(1e9);
        QCOMPARE(w->Zoom, 9e7);
        ClosePreview(w);
    }

    // Sizes a damaged file may carry: a negative width counts as none, a huge height stays in range.
    void OddPageSizesKeepTheLayoutWhole() {
        auto report = MakeReport(4);
        report->EMFPages().Pages(0).Width = -2100;
        report->EMFPages().Pages(1).Height = INT32_MAX;
        report->EMFPages().Pages(2).Width = 0;
        report->EMFPages().Pages(2).Height = 0;
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        QCOMPARE(w->MaxPageWidth, 794);
        QCOMPARE(w->MaxPageHeight, Round32(INT32_MAX * 0.37809523809523809524));
        for (auto command : {&TStandardPreview::TwoPages, &TStandardPreview::OnePage, &TStandardPreview::PageWidth,
                             &TStandardPreview::LastPage, &TStandardPreview::FirstPage}) {
            (w->*command)();
            AreaPixels(w);
            QVERIFY(w->VScroll->maximum() <= (1 << 30));
            QVERIFY(w->Zoom > 0);
        }
        w->ShowPage(3);
        AreaPixels(w);
        QVERIFY(w->CurPage >= 1 && w->CurPage <= 4);
        ClosePreview(w);
    }

    void TheElevenCursors() {
        QSet<QByteArray> images;
        for (int n = 23; n <= 33; ++n) {
            const QCursor c = PreviewCursor(n);
            QCOMPARE(c.shape(), Qt::BitmapCursor);
            const QImage img = c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(img.size(), QSize(32, 32));
            QCOMPARE(c.hotSpot(), QPoint(15, 15));
            images.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
        }
        QCOMPARE(images.size(), 11);
        QCOMPARE(PreviewCursor(22).shape(), Qt::ArrowCursor);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && hideWatch_) hideWatch_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::unique_ptr<EngineWindowUnits> units_;
    int beeps_ = 0;
    QStringList errors_;
    std::function<void()> hideWatch_;
};

QTEST_MAIN(PreviewWindowTest)
#include "PreviewWindowTest.moc"
