// The viewer's main form driven as the program drives it: opening reports from the command line
// and the open button, the temporary copy of the blank report, the messages.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/UnitMain.h"
#include "common/SqliteFile.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/UiHooks.h"
#include "engine/ui/UiStartup.h"
#include "platform/core/QtStrings.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

const AnsiString kSecond = "Si \xE8 verificato il seguente errore nell'apertura del report.\r\n\r\n";

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A prepared report of `pages` empty A4 pages (header and end-of-file records only).
std::vector<uint8_t> SmallReport(int pages) {
    std::vector<uint8_t> emf;
    PutU32(emf, 1);
    PutU32(emf, 88);
    for (int i = 0; i < 4; ++i) PutU32(emf, 0);
    for (uint32_t v : {0u, 0u, 27879u, 39445u, 0x464D4520u, 0x10000u, 108u, 2u}) PutU32(emf, v);
    PutU32(emf, 1);  // handles 1, reserved 0
    for (uint32_t v : {0u, 0u, 0u, 1024u, 768u, 360u, 270u}) PutU32(emf, v);
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) PutU32(emf, v);
    std::vector<uint8_t> file = {0, 0};
    PutU32(file, uint32_t(pages));
    for (int i = 0; i < pages; ++i) {
        PutU32(file, uint32_t(file.size() + 16 + emf.size()));
        file.insert(file.end(), {9, 0});
        PutU32(file, 2100);
        PutU32(file, 2970);
        file.insert(file.end(), {0, 1});
        file.insert(file.end(), emf.begin(), emf.end());
    }
    return file;
}

void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

// A preview that does not wait: it notes what it was shown and what the temporary folder held.
class NotingPreview : public TcvPreview {
public:
    using TcvPreview::TcvPreview;
    void ShowReport(TcvReport* report) override {
        caption = windowTitle();
        pages = report->EMFPages().Count();
        files.clear();
        if (const char* tmp = std::getenv("TMPDIR"))
            for (const auto& e : fs::directory_iterator(tmp)) files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        ++shown;
        DoHide();  // as if the user closed it at once
    }
    static inline QString caption;
    static inline int pages = -1;
    static inline int shown = 0;
    static inline std::vector<std::string> files;
};

TcvPreviewWindow* CreateNotingPreview(TComponent* owner) { return new NotingPreview(owner); }

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class FormTessalyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        units_ = std::make_unique<EngineWindowUnits>(nullptr);
        base_ = fs::temp_directory_path();
        UiHooks().ShowInformation = [this](const QString& text) { messages_.push_back(FromQString(text)); };
        TFormTessaly::BlankReportSource = [] { return SmallReport(1); };
    }
    void cleanupTestCase() {
        units_.reset();
        qputenv("TMPDIR", QByteArray::fromStdString(base_.string()));
    }

    void init() {
        messages_.clear();
        NotingPreview::shown = 0;
        PreviewFormClass = &CreateNotingPreview;
        dir_ = base_ / ("tessaly-app-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "tmp");
        qputenv("TMPDIR", QByteArray::fromStdString((dir_ / "tmp").string()));
    }
    void cleanup() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(PreviewList.empty());
        PreviewFormClass = &CreateStandardPreview;
        fs::remove_all(dir_);
    }

    void theMainFormHasItsButtonAndCaption() {
        TFormTessaly form({"tessaly"});
        QCOMPARE(form.windowTitle(), QString("Tessaly"));
        QCOMPARE(form.ButtonOpen->text(), QString("Apri il visualizzatore di report"));
        QCOMPARE(form.ButtonOpen->geometry(), QRect(8, 8, 185, 41));
        QCOMPARE(form.OpenDialogReport.Title, AnsiString("Scegli il report da visualizzare"));
        QCOMPARE(form.cvReportView->FullName(), AnsiString("FormTessaly.cvReportView"));
        QVERIFY(form.cvReportView->ModalPreview());
        QCOMPARE(form.cvReportView->PixelsPerInch(), 96);
    }

    void aMissingFileShowsTwoMessagesAndTheFormStays() {
        TFormTessaly form({"tessaly", (dir_ / "assente.cvp").string(), "ignorato"});
        form.FormShow();
        QCOMPARE(messages_, (std::vector<AnsiString>{"File inesistente.", kSecond + "Operation aborted"}));
        QVERIFY(form.isVisible());
        QVERIFY(!form.Finished());
        QCOMPARE(NotingPreview::shown, 0);
    }

    void theExistenceTestUsesTheNameAsPassed() {
        Write(dir_ / "report.cvp", SmallReport(1));
        TFormTessaly form({"tessaly"});
        QVERIFY(!form.OpenReport(dir_ / "report"));
        QCOMPARE(messages_.front(), AnsiString("File inesistente."));
        QVERIFY(!form.OpenReport(dir_));  // a folder is no file
        QCOMPARE(messages_.size(), size_t(4));
    }

    void damagedFilesShowTheirErrorAndTheFormStays() {
        std::vector<uint8_t> good = SmallReport(2);
        struct Case {
            std::vector<uint8_t> bytes;
            AnsiString error;
        } cases[] = {
            {std::vector<uint8_t>(good.begin(), good.begin() + 50), "Stream read error"},
            {std::vector<uint8_t>(good.begin(), good.end() - 1), "Stream read error"},
            {{0, 0, 1, 0, 0, 0}, "Stream read error"},
        };
        for (auto& c : cases) {
            messages_.clear();
            Write(dir_ / "rotto.cvp", c.bytes);
            TFormTessaly form({"tessaly"});
            QVERIFY(!form.OpenReport(dir_ / "rotto.cvp"));
            QCOMPARE(messages_, std::vector<AnsiString>{kSecond + c.error});
            QVERIFY(!form.Finished());
        }
        good[6 + 16] = 7;  // the drawing's first record is no header
        Write(dir_ / "rotto.cvp", good);
        messages_.clear();
        TFormTessaly form({"tessaly"});
        QVERIFY(!form.OpenReport(dir_ / "rotto.cvp"));
        QCOMPARE(messages_, std::vector<AnsiString>{kSecond + "Metafile is not valid"});
    }

    void aGoodReportIsShownAndThenTheFormCloses() {
        Write(dir_ / "due.cvp", SmallReport(2));
        TFormTessaly form({"tessaly", (dir_ / "due.cvp").string()});
        form.cvReportView->SetTitle("Vendite");
        form.FormShow();
        QVERIFY(messages_.empty());
        QCOMPARE(NotingPreview::shown, 1);
        QCOMPARE(NotingPreview::pages, 2);
        QCOMPARE(NotingPreview::caption, QString("Anteprima - Vendite"));
        QVERIFY(form.Finished());
        QVERIFY(!form.isVisible());
    }

    // A template in its JSON form opens by its content, whatever its name; a mistake in it is shown
    // with its place, and the form stays.
    void jsonTemplatesOpenByTheirContent() {
        const fs::path examples = fs::path(TESSALY_SOURCE_DIR) / "examples";
        fs::copy_file(examples / "labels.json", dir_ / "etichette.modello");
        fs::copy_file(examples / "labels.sqlite", dir_ / "etichette.sqlite");
        {
            TFormTessaly form({"tessaly", (dir_ / "etichette.modello").string()});
            form.FormShow();
            QVERIFY(messages_.empty());
            QCOMPARE(NotingPreview::shown, 1);
            QCOMPARE(NotingPreview::pages, 2);
            QVERIFY(form.Finished());
        }
        Write(dir_ / "rotto.modello", {'{', '"', 'f', 'o', 'r', 'm', 'a', 't', '"', ':', '1', '}'});
        TFormTessaly form({"tessaly", (dir_ / "rotto.modello").string()});
        form.FormShow();
        QCOMPARE(messages_, std::vector<AnsiString>{kSecond + "riga 1, colonna 11: \"format\" deve valere \"tessaly-template\"."});
        QVERIFY(!form.Finished());
        QCOMPARE(NotingPreview::shown, 1);
    }

    void theBlankCopyTakesTheNextFreeNumberAndGoesAway() {
        fs::path tmp = dir_ / "tmp";
        Write(tmp / "0.cv", {1, 2, 3});
        Write(tmp / "1.cv", {4, 5});
        TFormTessaly form({"tessaly"});
        form.FormShow();
        QVERIFY(messages_.empty());
        QCOMPARE(NotingPreview::shown, 1);
        QCOMPARE(NotingPreview::pages, 1);
        QCOMPARE(NotingPreview::files, (std::vector<std::string>{"0.cv", "1.cv", "2.cv"}));
        QCOMPARE(Listing(tmp), (std::vector<std::string>{"0.cv", "1.cv"}));
        std::ifstream first(tmp / "0.cv", std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(first), {}), std::string("\1\2\3"));
        QVERIFY(form.Finished());
    }

    void theBuiltInBlankReportIsShownFromItsCopy() {
        TFormTessaly::BlankReportSource = &BlankReport;
        QCOMPARE(BlankReport().size(), size_t(706));
        TFormTessaly form({"tessaly"});
        QVERIFY(form.OpenReport(""));
        TFormTessaly::BlankReportSource = [] { return SmallReport(1); };
        QCOMPARE(NotingPreview::pages, 1);
        QCOMPARE(NotingPreview::caption, QString("Anteprima"));
        QCOMPARE(NotingPreview::files, std::vector<std::string>{"0.cv"});
        QVERIFY(Listing(dir_ / "tmp").empty());
    }

    void theBlankCopyNeverWritesThroughALinkOrAFolder() {
        fs::path tmp = dir_ / "tmp";
        Write(dir_ / "vittima", {9, 9});
        fs::create_symlink(dir_ / "vittima", tmp / "0.cv");
        fs::create_symlink(dir_ / "nessuno", tmp / "1.cv");  // dangling
        fs::create_directory(tmp / "2.cv");
        TFormTessaly form({"tessaly"});
        QVERIFY(form.OpenReport(""));
        QCOMPARE(NotingPreview::files, (std::vector<std::string>{"0.cv", "1.cv", "2.cv", "3.cv"}));
        QCOMPARE(fs::file_size(dir_ / "vittima"), uintmax_t(2));
        QVERIFY(!fs::exists(dir_ / "nessuno"));
        QVERIFY(!fs::exists(tmp / "3.cv"));
    }

    void temporaryNamesOf260CharactersAreRefused() {
        // A folder whose "0.cv" is taken and whose next name reaches 260 characters.
        std::string base = (dir_ / "tmp").string() + "/";
        std::string deep = base + std::string(260 - base.size() - 5, 'd');
        fs::create_directories(deep);
        Write(deep + "/0.cv", {1});
        qputenv("TMPDIR", QByteArray::fromStdString(deep));
        TFormTessaly form({"tessaly"});
        QVERIFY(!form.OpenReport(""));
        QCOMPARE(messages_, (std::vector<AnsiString>{"Impossibile creare il file temporaneo.",
                                                     kSecond + "Operation aborted"}));
        QCOMPARE(Listing(deep), std::vector<std::string>{"0.cv"});
    }

    void anUnusableTemporaryFolderIsReported() {
        Write(dir_ / "file", {1});
        qputenv("TMPDIR", QByteArray::fromStdString((dir_ / "file" / "tmp").string()));
        TFormTessaly form({"tessaly"});
        QVERIFY(!form.OpenReport(""));
        QCOMPARE(messages_.size(), size_t(1));
        QVERIFY(messages_[0].rfind(kSecond + "Cannot create file", 0) == 0);
        QCOMPARE(NotingPreview::shown, 0);
    }

    void aFailedLoadStillRemovesTheTemporaryCopy() {
        TFormTessaly::BlankReportSource = [] { return std::vector<uint8_t>{0, 0, 1}; };
        TFormTessaly form({"tessaly"});
        QVERIFY(!form.OpenReport(""));
        TFormTessaly::BlankReportSource = [] { return SmallReport(1); };
        QCOMPARE(messages_, std::vector<AnsiString>{kSecond + "Stream read error"});
        QVERIFY(Listing(dir_ / "tmp").empty());
    }

    void theStandardPreviewIsAnteprimaAndClosesOnEscape() {
        PreviewFormClass = &CreateStandardPreview;
        Write(dir_ / "uno.cvp", SmallReport(1));
        TFormTessaly form({"tessaly"});
        QString title, label;
        int listed = -1;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            title = modal->windowTitle();
            label = modal->findChild<QLabel*>()->text();
            listed = int(PreviewList.size());
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QVERIFY(form.OpenReport(dir_ / "uno.cvp"));
        QCOMPARE(title, QString("Anteprima"));
        QCOMPARE(label, QString("1 di 1"));  // the page label
        QCOMPARE(listed, 1);
        QVERIFY(PreviewList.empty());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void aNonModalPreviewWorksOnItsOwnCopy() {
        PreviewFormClass = &CreateStandardPreview;
        Write(dir_ / "due.cvp", SmallReport(2));
        TcvReport report(nullptr);
        report.SetModalPreview(false);
        report.LoadPreparedReport(dir_ / "due.cvp");
        report.ShowPreparedReport();
        QCOMPARE(PreviewList.size(), size_t(1));
        auto* window = static_cast<TcvPreview*>(PreviewList[0]);
        QVERIFY(window->isVisible());
        QVERIFY(window->Report != &report);
        QCOMPARE(window->Report->EMFPages().Count(), 2);
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        report.EMFPages().Clear();
        QCOMPARE(window->Report->EMFPages().Count(), 2);
        QPointer<TcvPreview> watch(window);
        window->close();
        QVERIFY(PreviewList.empty());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(watch.isNull());
    }

    // The viewer prepares a template named on the command line over its embedded database; in its
    // preview, F10 prepares another one: a failed preparation shows its message and keeps the pages,
    // a template without its database asks for one (a cancel changes nothing).
    void templatesArePreparedFromTheCommandLineAndTheOpenKey() {
        PreviewFormClass = &CreateStandardPreview;
        const fs::path examples = fs::path(TESSALY_SOURCE_DIR) / "examples";
        for (const char* name : {"etichette.cvf", "etichette.sqlite", "rotte.cvf", "rotte.sqlite"})
            fs::copy_file(examples / ("labels" + fs::path(name).extension().string()), dir_ / name);
        fs::copy_file(examples / "summary.cvf", dir_ / "riepilogo.cvf");
        fs::copy_file(examples / "summary.sqlite", dir_ / "dati del riepilogo.sqlite");
        // The labels over a database whose customers have no name: a preparation error.
        tessaly::testing::RunSqlite(dir_ / "rotte.sqlite", "ALTER TABLE customers RENAME COLUMN name TO nome");
        std::vector<fs::path> answers;  // what the file dialogs answer, in turn; an empty path cancels
        size_t asked = 0;
        UiHooks().ExecuteFileDialog = [&](TFileDialog& d, QWidget*, TFileDialog::Kind) {
            d.FileName = asked < answers.size() ? answers[asked] : fs::path();
            ++asked;
            return !d.FileName.empty();
        };
        std::vector<QString> errors;
        UiHooks().ShowError = [&](const QString& text) { errors.push_back(text); };
        std::vector<QString> labels;
        std::function<void()> drive = [&] {
            // The preparation's progress dialog comes first.
            QWidget* modal = QApplication::activeModalWidget();
            if (!qobject_cast<TStandardPreview*>(modal)) return QTimer::singleShot(10, drive);
            QLabel* label = modal->findChild<QLabel*>();
            labels.push_back(label->text());
            modal->activateWindow();
            auto open = [&](std::vector<fs::path> chosen) {
                answers = std::move(chosen);
                asked = 0;
                QWidget* focused = QApplication::focusWidget();
                QTest::keyClick(focused ? focused : modal, Qt::Key_F10);
                labels.push_back(label->text() + " " + QString::number(asked));
            };
            open({dir_ / "rotte.cvf"});
            open({dir_ / "riepilogo.cvf", fs::path()});
            open({dir_ / "riepilogo.cvf", dir_ / "dati del riepilogo.sqlite"});
            QTest::keyClick(modal, Qt::Key_Escape);
        };
        QTimer::singleShot(0, drive);
        TFormTessaly form({"tessaly", (dir_ / "etichette.cvf").string()});
        form.FormShow();
        QVERIFY(form.Finished());
        QCOMPARE(labels, (std::vector<QString>{"1 di 2", "1 di 2 1", "1 di 2 2", "1 di 1 2"}));
        QCOMPARE(errors.size(), size_t(1));
        QVERIFY2(errors[0].contains("Identificatore sconosciuto: name"), qPrintable(errors[0]));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    std::unique_ptr<EngineWindowUnits> units_;
    std::vector<AnsiString> messages_;
    fs::path base_;
    fs::path dir_;
};

QTEST_MAIN(FormTessalyTest)
#include "FormTessalyTest.moc"
