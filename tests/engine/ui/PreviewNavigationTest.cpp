// Getting around a report in the preview beyond its keys and bars: the thumbnails panel (F4 and
// its tool button, a click turning to a page, drawn only in view), Ctrl + wheel zooming about the
// pointer, and a report dropped onto the window.
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

#include <filesystem>

#include "common/TestFiles.h"
#include "engine/ui/CV_PrevThumbs.h"
#include "engine/ui/UiHooks.h"
#include "engine/ui/UiStartup.h"
#include "PreviewSupport.h"

using namespace tessaly;
using namespace tessaly::testing;
namespace fs = std::filesystem;

namespace {

constexpr QRgb kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

void PressKey(TStandardPreview* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    w->activateWindow();
    (void)QTest::qWaitForWindowActive(w);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, key, modifiers);
}

// Until the thumbnails in view are drawn (they are drawn between the window's events).
void DrawThumbnails(TThumbnailPanel* panel) {
    for (int i = 0; i < 1000 && panel->DrawingPending(); ++i) QApplication::processEvents();
}

void SendWheel(QWidget* target, QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(QPointF(at), target->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// Each page: a blue square 100 pixels wide at (200 + 10 x page, 300).
std::unique_ptr<TcvReport> SquaresReport(int pages, const std::vector<int>& landscape = {}) {
    auto report = std::make_unique<TcvReport>(nullptr);
    for (int i = 0; i < pages; ++i) {
        const bool wide = std::find(landscape.begin(), landscape.end(), i) != landscape.end();
        PreparedPage& page = report->EMFPages().AddPage(PaperTemplate(9, wide ? 1 : 0));
        page.Surface->Brush().color = 0xFF0000;
        page.Surface->FillRect({200 + 10 * i, 300, 300 + 10 * i, 400});
        page.CloseSurface();
    }
    return report;
}

}  // namespace

class PreviewNavigationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        units_ = std::make_unique<EngineWindowUnits>(nullptr);
        UiHooks().ShowError = [this](const QString& m) { errors_ << m; };
    }
    void cleanupTestCase() { units_.reset(); }
    void init() { errors_.clear(); }

    // F4 and the tool button show and hide the panel beside the pages; thumbnails keep their
    // papers' proportions; only those in view are drawn, once; the current page is marked, a
    // click turns to a page and turning pages brings the current one into view.
    void ThumbnailsShowThePagesAndTurnToThem() {
        auto report = SquaresReport(200, {1});
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        QVERIFY(!w->Thumbnails);
        QCOMPARE(w->ThumbBtn->text(), QString("&Miniature"));
        QCOMPARE(w->ThumbBtn->x(), 567);
        PressKey(w, Qt::Key_F4);
        TThumbnailPanel* panel = w->Thumbnails;
        QVERIFY(panel && panel->isVisible());
        QVERIFY(w->ThumbBtn->isChecked());
        QCOMPARE(w->PaintPanel->x(), panel->width());
        QCOMPARE(panel->width(), panel->PanelWidth());
        QCOMPARE(panel->SheetRect(0).size(), QSize(120, 170));  // A4 portrait
        QCOMPARE(panel->SheetRect(1).size(), QSize(120, 85));   // A4 landscape
        DrawThumbnails(panel);
        const int inView = panel->ThumbnailsDrawn();
        QVERIFY2(inView >= 2 && inView <= 5, qPrintable(QString::number(inView)));
        // The first page's picture: its blue square a sixth of the way across, on white.
        const QImage shot = panel->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect sheet = panel->SheetRect(0);
        QCOMPARE(shot.pixel(sheet.left() + 38, sheet.top() + 53), kBlue);
        QCOMPARE(shot.pixel(sheet.left() + 60, sheet.top() + 120), kWhite);
        const QRgb mark = panel->palette().color(QPalette::Highlight).rgb();
        QCOMPARE(shot.pixel(sheet.left() - 3, sheet.top() + 50), mark);
        QVERIFY(shot.pixel(panel->SheetRect(1).left() - 3, panel->SheetRect(1).top() + 40) != mark);

        // A click on the second thumbnail turns to page 2, which is then the one marked.
        QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, panel->SheetRect(1).center());
        QCOMPARE(w->CurPage, 2);
        QCOMPARE(w->LabelPage->text(), QString("2 di 200"));
        QCOMPARE(panel->CurrentPage(), 2);
        // The last page: its thumbnail comes into view and is drawn, the others are not.
        PressKey(w, Qt::Key_End);
        QCOMPARE(panel->CurrentPage(), 200);
        QVERIFY(panel->viewport()->rect().contains(panel->SheetRect(199)));
        DrawThumbnails(panel);
        QVERIFY(panel->ThumbnailsDrawn() <= 2 * inView);
        // Back at the top nothing is drawn again.
        const int drawn = panel->ThumbnailsDrawn();
        PressKey(w, Qt::Key_Home);
        DrawThumbnails(panel);
        QCOMPARE(panel->ThumbnailsDrawn(), drawn);

        QTest::mouseClick(w->ThumbBtn, Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QVERIFY(!w->ThumbBtn->isChecked());
        QCOMPARE(w->PaintPanel->x(), 0);
        // Full screen has no panel; leaving it brings the panel back.
        PressKey(w, Qt::Key_F4);
        PressKey(w, Qt::Key_Space);
        QVERIFY(!panel->isVisible());
        PressKey(w, Qt::Key_Space);
        QVERIFY(panel->isVisible());
        ClosePreview(w);
    }

    // Ctrl + wheel zooms by 1.2 a notch (and back), the point of the page under the pointer staying
    // under it; the wheel alone still scrolls.
    void CtrlWheelZoomsAboutThePointer() {
        auto report = SquaresReport(3);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        w->ShowPage(2);
        const QPoint origin = w->PageOrigin(1);
        const QPoint at = origin + QPoint(250, 350);  // inside page 2's square (210..310, 300..400)
        QCOMPARE(AreaPixels(w).pixel(at), kBlue);
        const struct {
            int delta;
            double zoom;
        } steps[] = {{120, 120}, {240, 172.8}, {-360, 100}};
        for (const auto& step : steps) {
            SendWheel(w->PaintPanel, at, step.delta, Qt::ControlModifier);
            QApplication::processEvents();
            QVERIFY2(std::abs(w->Zoom - step.zoom) < 1e-6, qPrintable(QString::number(w->Zoom)));
            QCOMPARE(w->ZoomMode, zmPercent);
            // The square's point under the pointer is where it was, to a pixel.
            const QPoint o = w->PageOrigin(1);
            const auto s = w->ScaleOf(1);
            QVERIFY2(std::abs(o.x() + 250 * s.scaleX - at.x()) <= 1.5, qPrintable(QString::number(o.x())));
            QVERIFY2(std::abs(o.y() + 350 * s.scaleY - at.y()) <= 1.5, qPrintable(QString::number(o.y())));
            QCOMPARE(AreaPixels(w).pixel(at), kBlue);
        }
        QTRY_COMPARE(w->ZoomBtn->currentText(), QString("100%"));
        const int v = w->VScroll->value();
        SendWheel(w->PaintPanel, at, -120, Qt::NoModifier);
        QCOMPARE(w->VScroll->value(), v + 20);
        QCOMPARE(w->Zoom, 100.0);
        ClosePreview(w);
    }

    // A prepared report dropped onto the window is opened as F10 opens it; other files, or more
    // than one, are refused.
    void ADroppedReportIsOpened() {
        TempFolder dir("preview-drop");
        SquaresReport(5)->SavePreparedReport(dir / "cinque.CVP");
        tessaly::testing::WriteFile(dir / "nota.txt", std::string("testo"));
        auto report = SquaresReport(2);
        TStandardPreview* w = OpenPreview(report.get(), QSize(900, 700));
        auto drag = [&](const std::vector<fs::path>& files) {
            auto* data = new QMimeData;
            QList<QUrl> urls;
            for (const fs::path& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f.string()));
            data->setUrls(urls);
            const QPoint at(400, 300);
            QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &enter);
            bool accepted = enter.isAccepted();
            if (accepted) {
                QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(w, &drop);
                accepted = drop.isAccepted();
            }
            QApplication::processEvents();
            delete data;
            return accepted;
        };
        QVERIFY(!drag({dir / "nota.txt"}));
        QVERIFY(!drag({dir / "cinque.CVP", dir / "cinque.CVP"}));
        QCOMPARE(report->EMFPages().Count(), 2);
        QVERIFY(drag({dir / "cinque.CVP"}));
        QCOMPARE(report->EMFPages().Count(), 5);
        QCOMPARE(w->LabelPage->text(), QString("1 di 5"));
        QCOMPARE(errors_, QStringList());
        // A damaged one: the message, and the report stays.
        tessaly::testing::WriteFile(dir / "rotto.cvp", std::string("non un report"));
        QVERIFY(drag({dir / "rotto.cvp"}));
        QCOMPARE(errors_.size(), 1);
        QCOMPARE(report->EMFPages().Count(), 5);
        ClosePreview(w);
    }

private:
    std::unique_ptr<EngineWindowUnits> units_;
    QStringList errors_;
};

QTEST_MAIN(PreviewNavigationTest)
#include "PreviewNavigationTest.moc"
