#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <thread>

#include "common/EngineSupport.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"

using namespace tessaly;
using tessaly::testing::TempFolder;
using tessaly::testing::WriteFile;
namespace fs = std::filesystem;

namespace {

// A report that records what its template reader is given instead of reading a template.
class ProbeReport : public TcvReport {
public:
    using TcvReport::TcvReport;
    void LoadFromStream(Stream& stream) override {
        ++loads;
        content = stream.ReadBytes(static_cast<size_t>(stream.Remaining()));
        currentDir = fs::current_path();
    }
    int loads = 0;
    std::string content;
    fs::path currentDir;
};

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { startDir = fs::current_path(); }
    void TearDown() override { fs::current_path(startDir); }

    std::string LoadError(TcvReport& report, const fs::path& name) {
        try {
            report.LoadFromFile(name);
        } catch (const EngineError& e) {
            return e.Message();
        }
        return "";
    }

    fs::path startDir;
    EngineUnits units{nullptr};
    TempFolder folder{"report"};
};

}  // namespace

TEST_F(ReportTest, ANewReportHasTheDocumentedDefaultsAndBecomesCurrent) {
    ScreenPixelsPerInch = 120;
    TcvReport report(nullptr);
    ScreenPixelsPerInch = 96;
    EXPECT_EQ(CurReport, &report);
    EXPECT_TRUE(report.ShowProgress());
    EXPECT_TRUE(report.DisableDataSetControls());
    EXPECT_TRUE(report.ModalPreview());
    EXPECT_TRUE(report.Scaled());
    EXPECT_EQ(report.DesignerOptions(), doSaveConfirm);
    EXPECT_EQ(report.PixelsPerInch(), 120);
    EXPECT_EQ(report.Title(), "");
    EXPECT_EQ(report.ReportDir(), "");
    EXPECT_EQ(report.AutoLoad(), "");
    EXPECT_EQ(report.PathFromExe(), "");
    EXPECT_EQ(report.TemplateDir(), "");
    EXPECT_EQ(report.EMFPages().Count(), 0);
    EXPECT_TRUE(report.DataSets().Sorted());
}

TEST_F(ReportTest, DestroyingAReportKeepsAnotherCurrentReport) {
    TcvReport first(nullptr);
    {
        auto second = std::make_unique<TcvReport>(nullptr);
        EXPECT_EQ(CurReport, second.get());
        CurReport = &first;
        second.reset();
        EXPECT_EQ(CurReport, &first);
    }
    {
        TcvReport third(nullptr);
    }
    EXPECT_EQ(CurReport, nullptr) << "the destroyed current report leaves none";
}

TEST_F(ReportTest, ClearDatasetsDestroysOnlyTheDatasetsNobodyElseOwns) {
    struct DataSet : TComponent {
        DataSet(TComponent* owner, std::vector<std::string>* log, std::string name)
            : TComponent(owner), log(log), name(std::move(name)) {}
        ~DataSet() override {
            log->push_back(name);
            // A dataset takes itself out of the current report's list when it goes.
            if (CurReport) {
                int i = CurReport->DataSets().IndexOfObject(this);
                if (i >= 0) CurReport->DataSets().Delete(i);
            }
        }
        std::vector<std::string>* log;
        std::string name;
    };
    std::vector<std::string> log;
    TComponent module(nullptr);
    auto* report = new TcvReport(nullptr);
    auto* other = new TcvReport(nullptr);  // now the current report
    auto* owned = new DataSet(&module, &log, "owned");
    report->DataSets().AddObject("B", owned);
    report->DataSets().AddObject("A", new DataSet(nullptr, &log, "free-a"));
    report->DataSets().AddObject("C", new DataSet(nullptr, &log, "free-c"));
    other->DataSets().AddObject("A", new DataSet(nullptr, &log, "other"));

    report->Clear();
    EXPECT_EQ(log, (std::vector<std::string>{"free-a", "free-c"}));
    EXPECT_TRUE(report->DataSets().Empty());
    EXPECT_EQ(other->DataSets().Count(), 1) << "the other report's list is untouched";
    EXPECT_EQ(module.ComponentCount(), 1);

    delete report;
    delete other;
    EXPECT_EQ(log.back(), "other");
}

TEST_F(ReportTest, TemplatesLoadOnlyFromTheReportFolder) {
    fs::create_directories(folder / "Reports");
    fs::create_directories(folder / "Other");
    WriteFile(folder / "Reports" / "x.cvf", "modello x");
    WriteFile(folder / "Other" / "x.cvf", "altro");
    fs::create_directory_symlink(folder / "Reports", folder / "link");
    const std::string reportDir = (folder / "Reports").string();

    struct Case {
        const char* reportDir;  // "" none, "R" the folder, "R/" with a separator
        fs::path name;
        bool loads;
    } cases[] = {
        {"R", folder / "Reports" / "x.cvf", true},
        {"R", "x", true},
        {"R", "x.cvf", true},
        {"R/", folder / "Reports" / "x", true},
        {"R", folder / "Reports" / ".." / "Reports" / "x.cvf", true},
        {"R", folder / "link" / "x.cvf", true},
        {"R", folder / "Other" / "x.cvf", false},
        {"R", folder / "REPORTS" / "x.cvf", false},  // folders differ by case on this system
        {"", folder / "Other" / "x.cvf", true},
    };
    for (const auto& c : cases) {
        ProbeReport report(nullptr);
        report.SetName("cvReportView");
        std::string dir = c.reportDir[0] ? reportDir + (c.reportDir[1] == '/' ? "/" : "") : "";
        report.SetReportDir(dir);
        fs::current_path(folder.Path());
        std::string error = LoadError(report, c.name);
        SCOPED_TRACE(c.name.string());
        if (c.loads) {
            EXPECT_EQ(error, "");
            EXPECT_EQ(report.loads, 1);
        } else {
            EXPECT_EQ(error, "Si \xE8 tentato di caricare il report \"cvReportView\" da una cartella non valida.\r\n"
                             "E' possibile caricare il report solo dalla cartella:  \"" + dir + "\"");
            EXPECT_EQ(report.loads, 0);
        }
    }
}

TEST_F(ReportTest, TheFolderMessageNamesTheOwnerAndTheFolderAsSet) {
    TComponent form(nullptr);
    form.SetName("FormTessaly");
    auto* report = new ProbeReport(&form);
    report->SetName("cvReportView");
    report->SetReportDir("/nessuna/cartella/");
    std::string error = LoadError(*report, "/altrove/x.cvf");
    EXPECT_NE(error.find("il report \"FormTessaly.cvReportView\" da"), std::string::npos) << error;
    EXPECT_NE(error.find(":  \"/nessuna/cartella/\""), std::string::npos) << error;
}

TEST_F(ReportTest, AMissingTemplateIsNamedInTheMessage) {
    ProbeReport report(nullptr);
    report.SetName("R");
    fs::current_path(folder.Path());
    EXPECT_EQ(LoadError(report, "assente"),
              "Si \xE8 tentato di caricare da disco il report 'R'. \r\nMa il file 'assente.cvf' \xE8 inesistente");
    EXPECT_EQ(fs::current_path(), folder.Path()) << "the current folder is given back";
    EXPECT_EQ(LoadError(report, "a.b/assente"),
              "Si \xE8 tentato di caricare da disco il report 'R'. \r\nMa il file 'a.b/assente.cvf' \xE8 inesistente");
    EXPECT_EQ(LoadError(report, "a.b/assente.v2"),
              "Si \xE8 tentato di caricare da disco il report 'R'. \r\nMa il file 'a.b/assente.v2' \xE8 inesistente");
}

TEST_F(ReportTest, ATemplateNotFoundIsLookedForUnderTheProgramFolder) {
    fs::path exeDir = fs::read_symlink("/proc/self/exe").parent_path();
    fs::create_directories(folder / "modelli");
    WriteFile(folder / "modelli" / "y.cvf", "modello y");
    fs::create_directories(folder / "altrove");

    for (bool relative : {false, true}) {
        ProbeReport report(nullptr);
        fs::path where = relative ? fs::relative(folder / "modelli", exeDir) : folder / "modelli";
        report.SetPathFromExe(where.string());
        fs::current_path(folder / "altrove");
        ASSERT_EQ(LoadError(report, "y"), "") << where;
        EXPECT_EQ(report.content, "modello y");
        EXPECT_EQ(fs::canonical(report.currentDir), fs::canonical(folder / "modelli"))
            << "the template is read from its folder";
        EXPECT_EQ(fs::current_path(), folder / "altrove") << "and the current folder is given back";
        EXPECT_EQ(report.TemplateFileName(), "y.cvf");
    }
}

TEST_F(ReportTest, AutoLoadLoadsOnceAndAnEmptyNameClears) {
    WriteFile(folder / "a.cvf", "a");
    ProbeReport report(nullptr);
    fs::current_path(folder.Path());
    report.SetAutoLoad("a");
    report.SetAutoLoad("a");
    EXPECT_EQ(report.loads, 1);
    EXPECT_EQ(report.AutoLoadedFileName(), folder / "a.cvf");
    report.DataLines().Add("riga");
    report.SetAutoLoad("");
    EXPECT_TRUE(report.DataLines().Empty()) << "cleared";
    EXPECT_EQ(report.TemplateFileName(), "");
}

TEST_F(ReportTest, CheckAutoLoadReloadsAChangedTemplate) {
    WriteFile(folder / "a.cvf", "prima");
    ProbeReport report(nullptr);
    report.CheckAutoLoad();
    EXPECT_EQ(report.loads, 0) << "nothing to check without AutoLoad";
    report.SetAutoLoad((folder / "a.cvf").string());
    report.CheckAutoLoad();
    EXPECT_EQ(report.loads, 1) << "unchanged";
    WriteFile(folder / "a.cvf", "dopo");
    fs::last_write_time(folder / "a.cvf", fs::last_write_time(folder / "a.cvf") + std::chrono::seconds(5));
    fs::current_path("/");
    report.CheckAutoLoad();
    EXPECT_EQ(report.loads, 2);
    EXPECT_EQ(report.content, "dopo");
    report.CheckAutoLoad();
    EXPECT_EQ(report.loads, 2);
}

// Only the file name itself decides: dotted folder names ("/home/mario.rossi", "~/.local") are
// ordinary here.
TEST_F(ReportTest, PreparedReportNamesGetTheirExtensionOnlyWithoutAnyDotInTheName) {
    TcvReport report(nullptr);
    fs::create_directories(folder / "mario.rossi" / ".local");
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"march", "march.cvp"},
        {"march.v2", "march.v2"},
        {"mario.rossi/march", "mario.rossi/march.cvp"},
        {"mario.rossi/.local/march", "mario.rossi/.local/march.cvp"},
        {"mario.rossi/march.v2", "mario.rossi/march.v2"},
    };
    for (const auto& c : cases) {
        report.SavePreparedReport(folder / c.chosen);
        EXPECT_EQ(tessaly::testing::ReadFile(folder / c.written), std::vector<uint8_t>(6, 0)) << c.chosen;
        EXPECT_NO_THROW(report.LoadPreparedReport(folder / c.chosen)) << c.chosen;
    }
    try {
        report.LoadPreparedReport(folder / "mario.rossi" / "april");
        ADD_FAILURE() << "a missing file loaded";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find("mario.rossi/april.cvp\""), std::string::npos) << e.Message();
    }
}

TEST_F(ReportTest, LoadingGivesTheStreamVersionBackAlsoOnFailure) {
    TcvReport report(nullptr);
    WriteFile(folder / "bad.cvp", std::string("\x00\x00\x01\x00\x00\x00", 6));
    StreamVersion = 20;
    EXPECT_THROW(report.LoadPreparedReport(folder / "bad.cvp"), EReadError);
    EXPECT_EQ(StreamVersion, 20);
    StreamVersion = CurrentStreamVersion;
}

TEST_F(ReportTest, AFailedSaveLeavesTheOldFileAsItWas) {
    TcvReport report(nullptr);
    WriteFile(folder / "old.cvp", std::string(5000, 'v'));
    // A file-size limit below the six bytes of an empty report makes the save fail half-way.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 3;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(report.SavePreparedReport(folder / "old.cvp"), EngineError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(tessaly::testing::ReadFile(folder / "old.cvp"), std::vector<uint8_t>(5000, 'v'));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

namespace {

// A preview window that only notes how it was asked to show a report.
class NotingPreview : public TcvPreviewWindow {
public:
    explicit NotingPreview(TComponent*) {}
    void SetCaption(const AnsiString& caption) override { caption_ = Cp1252ToUtf8(caption); }
    void ShowReport(TcvReport* report) override {
        shown.push_back({caption_, report, std::find(PreviewList.begin(), PreviewList.end(), this) != PreviewList.end()});
        Report = report;
    }
    void DrawPage(QPainter*, int, const QRect&) override {}
    struct Shown {
        std::string caption;
        TcvReport* report;
        bool listed;
    };
    static inline std::vector<Shown> shown;

private:
    std::string caption_;
};

TcvPreviewWindow* CreateNotingPreview(TComponent* owner) { return new NotingPreview(owner); }

}  // namespace

TEST_F(ReportTest, ThePreviewIsCaptionedWithTheTitleAndListed) {
    tessaly::testing::EnsureApplication();
    TPreviewFormClass saved = PreviewFormClass;
    PreviewFormClass = &CreateNotingPreview;
    NotingPreview::shown.clear();
    TcvReport report(nullptr);
    PrintingActive = true;
    report.ShowPreparedReport();
    EXPECT_FALSE(PrintingActive);
    report.SetTitle("Vendite \x80");
    report.ShowPreparedReport();
    PreviewFormClass = saved;

    ASSERT_EQ(NotingPreview::shown.size(), 2u);
    EXPECT_EQ(NotingPreview::shown[0].caption, "Anteprima");
    EXPECT_EQ(NotingPreview::shown[1].caption, "Anteprima - Vendite \u20ac");
    EXPECT_EQ(NotingPreview::shown[1].report, &report);
    EXPECT_TRUE(NotingPreview::shown[0].listed);
    EXPECT_EQ(PreviewList.size(), 2u) << "windows never shown stay listed until the end";
}

TEST(ReportValues, AggregatesStartFromTheirNeutralValues) {
    struct Case {
        const char* name;
        VarType type;
        double value;
    } cases[] = {
        {"SUM", VarType::Integer, 0}, {"AVG", VarType::Integer, 0}, {"MIN", VarType::Double, 1e200},
        {"MAX", VarType::Double, -1e200}, {"COUNT", VarType::Double, -1e200}, {"sum", VarType::Double, -1e200},
    };
    for (const auto& c : cases) {
        Variant v("x");
        TcvReport::InitAggregate(c.name, v);
        EXPECT_EQ(v.Type(), c.type) << c.name;
        EXPECT_EQ(v.AsDouble(), c.value) << c.name;
    }
}

namespace {

// A report that answers one name, to see which report the evaluator asks.
class NamingReport : public TcvReport {
public:
    NamingReport(int answer) : TcvReport(nullptr), answer(answer) {}
    void ResolveName(std::string_view name, const TcvExprArgs*, Variant& value) override {
        if (name == "Valore") value = Variant(answer);
    }
    int answer;
};

// The value of an expression, or -1 when its name is unknown.
int Evaluated(const char* text) {
    Variant v;
    try {
        EvaluateExpression(text, v);
    } catch (const EngineError&) {
        return -1;
    }
    return static_cast<int>(v.AsDouble());
}

}  // namespace

TEST(ReportValues, TheReportBeingEvaluatedAnswersNamesAndAGoneReportIsNeverAsked) {
    EngineUnits units(nullptr);
    auto first = std::make_unique<NamingReport>(1);
    EXPECT_EQ(Evaluated("[Valore]"), 1);
    auto second = std::make_unique<NamingReport>(2);
    EXPECT_EQ(Evaluated("[Valore]"), 1) << "a report made later (a preview's private copy) does not take over";
    {
        TcvReport::NameScope scope(*second);
        EXPECT_EQ(Evaluated("[Valore]"), 2) << "the report being prepared or evaluated answers";
        EXPECT_EQ(ExpressionEvaluator().ResolveContext, second.get());
    }
    EXPECT_EQ(Evaluated("[Valore]"), 1) << "the first one answers again after the scope";
    Variant v;
    second->Evaluate("[Valore] + 1", v);
    EXPECT_EQ(v.AsInteger(), 3);
    EXPECT_EQ(ExpressionEvaluator().ResolveContext, first.get()) << "the evaluation's scope gave the names back";
    first.reset();
    EXPECT_EQ(Evaluated("[Valore]"), 2) << "the current report answers once the first one is gone";
    second.reset();
    EXPECT_EQ(Evaluated("[Valore]"), -1);
    TcvReport plain(nullptr);
    EXPECT_EQ(Evaluated("[Valore]"), -1) << "the current value is empty outside a text expansion";
}
