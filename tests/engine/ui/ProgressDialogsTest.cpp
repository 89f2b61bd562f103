// The progress and export dialogs, and printing and export run inside them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "common/PrintSupport.h"
#include "common/TemplateStream.h"
#include "engine/report/CV_Export.h"
#include "engine/ui/CV_PrFlt.h"
#include "engine/ui/CV_progr.h"
#include "engine/model/CV_Page.h"
#include "engine/ui/UiStartup.h"
#include "platform/print/RecordingPrinter.h"

using namespace tessaly;
using tessaly::testing::AddPaperPage;
using tessaly::testing::NotingDrawWindow;

namespace {

// The widget application exists before the units start, as in the program: ProgressForm is made then.
struct WidgetApplication {
    WidgetApplication() { tessaly::testing::EnsureApplication<QApplication>(); }
};

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedClass_ = PreviewFormClass;
        PreviewFormClass = &tessaly::testing::CreateNotingDrawWindow;
        NotingDrawWindow::drawn.clear();
        NotingDrawWindow::onDraw = nullptr;
        PrinterSettings->FillPrinters(&printer);
        report.SetTitle("Vendite");
    }
    void TearDown() override {
        PreviewFormClass = savedClass_;
        NotingDrawWindow::onDraw = nullptr;
        PrinterSettings->FillPrinters(nullptr);
    }

    WidgetApplication app;
    tessaly::testing::TempFolder folder{"dialogs"};
    EngineWindowUnits units{nullptr};
    print::RecordingPrinter printer;
    TcvReport report{nullptr};

private:
    TPreviewFormClass savedClass_ = nullptr;
};

TEST_F(DialogsTest, TheProgressDialogShowsThePageAndItsCancelButtonStopsThePrint) {
    for (int i = 0; i < 3; ++i) AddPaperPage(report, 9, 0);
    TProgressForm* form = RequireProgressForm();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(static_cast<TcvProgressView*>(form), ProgressForm) << "made at start-up";
    std::string caption;
    std::vector<std::string> labels;
    NotingDrawWindow::onDraw = [&](int page) {
        caption = form->windowTitle().toStdString();
        labels.push_back(form->LabelText());
        EXPECT_TRUE(form->isVisible());
        if (page == 1) form->Button1->click();
    };
    report.PrintPreparedReport(1, 3, 1, false);

    EXPECT_EQ(caption, "Report in preparazione - Vendite");
    EXPECT_EQ(labels, (std::vector<std::string>{"Pagina in stampa:", "Pagina in stampa:  1"}))
        << "the prefix before page 1 is done";
    EXPECT_EQ(form->LabelText(), "Pagina in stampa:  2");
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_TRUE(printer.Jobs()[0].aborted);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(report.Terminated);

    // Without a title the caption is the plain one; a complete print closes the dialog with OK.
    report.SetTitle("");
    NotingDrawWindow::onDraw = [&](int) { caption = form->windowTitle().toStdString(); };
    report.PrintPreparedReport(1, 1, 1, false);
    EXPECT_EQ(caption, "Report in preparazione");
    EXPECT_EQ(form->result(), mrOk);
    EXPECT_TRUE(printer.Jobs().back().ended);
}

TEST_F(DialogsTest, AnErrorBeforeTheFirstPageClosesTheProgressDialogAndReachesTheCaller) {
    AddPaperPage(report, 9, 0);
    printer.FailAfter(1);  // the job cannot start
    EXPECT_THROW(report.PrintPreparedReport(1, 1, 1, false), print::EPrinter);
    TProgressForm* form = RequireProgressForm();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->StartAction) << "the dialog keeps no action of a print that is over";
    EXPECT_FALSE(PrintingActive);
    EXPECT_EQ(NotingDrawWindow::alive, 0);
}

// A filter that notes the export dialog at each page and may press its cancel button.
class DialogFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;
    void BeginPage(int, int) override {
        auto* form = qobject_cast<TProgressFilterForm*>(QApplication::activeModalWidget());
        if (!form) return;
        seen.push_back(form->windowTitle().toStdString() + " | " + form->Label1->text().toStdString() + " | " +
                       std::to_string(form->ProgressBar1->value()) + "/" +
                       std::to_string(form->ProgressBar1->maximum()));
        if (cancelAtPage == int(seen.size())) form->Button1->click();
    }
    static inline std::vector<std::string> seen;
    static inline int cancelAtPage = 0;
};

TEST_F(DialogsTest, AnExportRunsInItsDialogWhoseCancelButtonStopsItBeforeTheNextPage) {
    constexpr TcvExportFilterClass kDialog = ExportFilterClass<DialogFilter>;
    RegisterExportFilter(kDialog, "Prova (*.prv)", "*.prv");
    for (int i = 0; i < 3; ++i) AddPaperPage(report, 9, 0);

    DialogFilter::seen.clear();
    DialogFilter::cancelAtPage = 0;
    report.ExportTo(kDialog, folder / "out.prv");
    EXPECT_EQ(DialogFilter::seen, (std::vector<std::string>{"Esportazione... | Prova (*.prv) | 0/3",
                                                            "Esportazione... | Prova (*.prv) | 1/3",
                                                            "Esportazione... | Prova (*.prv) | 2/3"}))
        << "the bar counts the pages done";

    DialogFilter::seen.clear();
    DialogFilter::cancelAtPage = 2;
    report.ExportTo(kDialog, folder / "out.prv");
    EXPECT_EQ(DialogFilter::seen.size(), 2u);
    EXPECT_TRUE(ExportCancelled);
    UnregisterExportFilter(kDialog);
}

// Loading a template shows its problems in real message boxes: each is read and closed here.
TEST_F(DialogsTest, TheMessagesOfATemplateLoadAreMessageBoxes) {
    std::vector<QString> boxes;
    QTimer closer;  // runs inside each box's own event loop
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        const char* icon = box->icon() == QMessageBox::Critical ? "critical"
                           : box->icon() == QMessageBox::Warning ? "warning"
                                                                 : "other";
        boxes.push_back(box->windowTitle() + "|" + icon + "|" + box->text());
        box->accept();
    });
    closer.start(5);

    tessaly::testing::OldStream missing(29);
    missing.Header(true);
    missing.I32(1);
    missing.U8(1), missing.Short("Dati.ordini"), missing.U8(0), missing.Short(""), missing.Short("Ordini");
    missing.U8(0), missing.U8(0), missing.U16(0), missing.I32(0);
    missing.PagesHeader();
    MemoryStream first(missing.Bytes());
    report.LoadFromStream(first);

    tessaly::testing::OldStream unknown(29);
    unknown.Header();
    unknown.PagesHeader();
    unknown.PageRecord({});
    unknown.U8(10), unknown.Lines({"TcvChartView"}), unknown.U8(0);
    MemoryStream second(unknown.Bytes());
    EXPECT_THROW(report.LoadFromStream(second), EAbort) << "the caller knows the load failed";
    EXPECT_EQ(report.Pages().Count(), 1) << "one empty page";

    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], QString::fromUtf8("Attenzione|warning|Non \xC3\xA8 stato trovato il cvDataset: Dati.ordini"));
    EXPECT_TRUE(boxes[1].startsWith("Errore|critical|Oggetto non trovato : TcvChartView.\nUn componente"))
        << boxes[1].toStdString();
    EXPECT_TRUE(boxes[2].startsWith(QString::fromUtf8(
        "Errore|critical|Non \xC3\xA8 stato possibile terminare la fase di caricamento del report.\nProbabilmente")));
}

TEST(ProgressForm, HasItsLayoutAndItsCancelButtonSetsTerminated) {
    tessaly::testing::EnsureApplication<QApplication>();
    TProgressForm form;
    EXPECT_EQ(form.size(), QSize(278, 106));
    EXPECT_EQ(form.Button1->text(), "&Annulla");
    EXPECT_EQ(form.Button1->geometry(), QRect(100, 68, 75, 25));
    EXPECT_EQ(form.Label1->geometry(), QRect(20, 32, 237, 13));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint) << "no close box";

    TcvReport report(nullptr);
    form.StartAction = [&](QObject* sender) {
        EXPECT_EQ(sender, &form);
        EXPECT_TRUE(form.isVisible());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &escape);
        EXPECT_TRUE(report.Terminated);
    };
    EXPECT_EQ(form.Show(&report), mrCancel);

    // An error of the start action closes the dialog and reaches the caller.
    form.StartAction = [](QObject*) { throw EngineError("guasto"); };
    EXPECT_THROW(form.Show(&report), EngineError);
    EXPECT_FALSE(form.isVisible());
}

TEST(ProgressFilterForm, HasItsLayoutAndItsCancelButtonSetsExportCancelled) {
    tessaly::testing::EnsureApplication<QApplication>();
    TProgressFilterForm form;
    EXPECT_EQ(form.size(), QSize(278, 106));
    EXPECT_EQ(form.windowTitle(), "Esportazione...");
    EXPECT_EQ(form.Button1->text(), "&Annulla");
    EXPECT_EQ(form.ProgressBar1->geometry(), QRect(8, 32, 257, 16));
    EXPECT_EQ(form.ProgressBar1->maximum(), 100);
    ExportCancelled = false;
    form.StartAction = [&](QObject*) { form.Button1->click(); };
    EXPECT_EQ(form.Show(), mrCancel);
    EXPECT_TRUE(ExportCancelled);
}

}  // namespace
