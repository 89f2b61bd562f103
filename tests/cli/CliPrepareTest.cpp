// tessaly-cli prepare TEMPLATE.cvf [--db SOURCE] [--module NAME] [--query NAME=SQL]... [-o OUT.cvp]
// [--pdf OUT.pdf] [--show] [--quiet], over templates and SQLite files the test makes.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <fstream>

#include "CliRun.h"
#include "common/EngineSupport.h"
#include "common/SqliteFile.h"
#include "common/TestFiles.h"
#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/data/DataModule.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/data/SqlDataset.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;
using tessaly::testing::RunShell;

namespace {

using namespace tessaly;

// A SQLite file with a table "righe" of 100 numbered rows, and a template whose master data band
// shows `row` for each record of the module's dataset `dataset`, with "Pagina x di y" below.
class CliPrepare : public ::testing::Test {
protected:
    CliPrepare() {
        tessaly::testing::EnsureApplication();
        std::string sql = "BEGIN; CREATE TABLE righe(n INTEGER, nome TEXT);";
        for (int i = 1; i <= 100; ++i) sql += "INSERT INTO righe VALUES(" + std::to_string(i) + ", 'Riga " + std::to_string(i) + "');";
        tessaly::testing::RunSqlite(db, sql + "COMMIT;");
    }
    // The template is saved while a module "Dati" over the database holds `dataset` (a query
    // dataset when `sql` is given), as the cli will have it.
    std::string Template(const std::string& name, const std::string& row, const std::string& dataset = "righe",
                         const std::string& sql = "", const std::string& title = "") {
        EngineUnits units(nullptr);
        auto database = data::Database::Open(db.string());
        data::DatabaseModule module(database, nullptr);
        module.SetName("Dati");
        if (!sql.empty()) {
            auto* query = new data::SqlDataset(database, &module);
            query->SetName(dataset);
            query->SetSql(sql);
        }
        data::ApplicationModules().AddDataModule(module);
        TcvReport report(nullptr);
        auto* walker = new TcvDBDataSet(nullptr);
        walker->SetName(dataset);
        walker->SetDataSet(dynamic_cast<data::Dataset*>(module.FindComponent(dataset)));
        report.AddDataset(dataset, walker);
        report.TwoPass = 1;
        if (!title.empty()) {
            Band(report, btReportTitle, 10, 20);
            Text(report, 11, title);
        }
        Band(report, btMasterData, 100, 20, dataset);
        Text(report, 101, row);
        Band(report, btPageFooter, 200, 30);
        Text(report, 205, "Pagina [PAGE#] di [TOTALPAGES]");
        report.SaveToFile(folder / name);
        return "'" + (folder / name).string() + "'";
    }
    static void Band(TcvReport& report, int type, int top, int height, const std::string& dataset = "") {
        auto view = std::make_unique<TcvBandView>(&report);
        view->SetBandType(uint8_t(type));
        view->Top = top, view->Width = 794, view->Height = height;
        view->FormatText = dataset;
        report.Pages().Pages(0).AddObject(std::move(view));
    }
    static void Text(TcvReport& report, int top, const std::string& line) {
        auto memo = std::make_unique<TcvMemoView>(&report);
        memo->Left = 10, memo->Top = top, memo->Width = 300, memo->Height = 18;
        memo->MemoLines.Add(line);
        report.Pages().Pages(0).AddObject(std::move(memo));
    }
    std::string Db() const { return "--db '" + db.string() + "'"; }
    std::string Path(const std::string& name) const { return "'" + (folder / name).string() + "'"; }
    // The texts of a prepared report, through tessaly-cli text.
    std::string Texts(const std::string& name) { return RunCli("text " + Path(name)).out; }

    tessaly::testing::TempFolder folder{"cli-prepare"};
    std::filesystem::path db = folder / "dati.db";
};

TEST_F(CliPrepare, PreparesIntoTheTemplatesNameWithCvpAndTellsThePages) {
    const std::string t = Template("elenco.cvf", "[nome]");
    CliResult r = RunCli("prepare " + t + " " + Db());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "pages: 3\n");
    EXPECT_EQ(r.err, "");  // no progress bar when stderr is no terminal
    const std::string texts = Texts("elenco.cvp");
    EXPECT_NE(texts.find("Riga 100"), std::string::npos);
    EXPECT_NE(texts.find("Pagina 3 di 3"), std::string::npos);
}

TEST_F(CliPrepare, WritesTheReportAndThePdfWhereAsked) {
    const std::string t = Template("elenco.cvf", "[nome]");
    CliResult r = RunCli("prepare " + t + " " + Db() + " -o " + Path("uscita.cvp") + " --pdf " + Path("uscita.pdf"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "pages: 3\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "uscita.cvp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "elenco.cvp"));
    std::ifstream pdf(folder / "uscita.pdf", std::ios::binary);
    std::string head(5, '\0');
    pdf.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    CliResult only = RunCli("prepare " + t + " " + Db() + " --pdf " + Path("solo.pdf"));
    EXPECT_EQ(only.exitCode, 0) << only.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "elenco.cvp"));
}

TEST_F(CliPrepare, AQueryIsADatasetOfTheModule) {
    const std::string t = Template("pari.cvf", "[nome]", "pari", "SELECT * FROM righe WHERE n % 2 = 0");
    CliResult r = RunCli("prepare " + t + " " + Db() + " --query 'pari=SELECT * FROM righe WHERE n % 2 = 0'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "pages: 2\n");
    const std::string texts = Texts("pari.cvp");
    EXPECT_NE(texts.find("Riga 100"), std::string::npos);
    EXPECT_EQ(texts.find("Riga 99"), std::string::npos);
}

TEST_F(CliPrepare, APreparationErrorPrintsTheComposedMessageAndWritesNothing) {
    const std::string t = Template("errore.cvf", "[IF(n = 70, VAL('abc'), nome)]");
    CliResult r = RunCli("prepare " + t + " " + Db());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Si \xC3\xA8 verificato un errore durante la fase di preparazione\n"
              "Tipi di parametri errati nella funzione: VAL ('abc')\nOggetto: Memo1\nBanda: Dati principali\nPagina: 1\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "errore.cvp"));
}

TEST_F(CliPrepare, ATemplateThatDoesNotLoadFailsWithItsMessages) {
    // Version 29, no datasets, the three report values, then an object record of type 7.
    tessaly::testing::WriteFile(folder / "rotto.cvf", std::vector<uint8_t>{29, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7});
    CliResult r = RunCli("prepare " + Path("rotto.cvf") + " " + Db());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Errore: Non \xC3\xA8 stato possibile terminare la fase di caricamento del report."), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "rotto.cvp"));
}

TEST_F(CliPrepare, WithoutTheDatabaseTheDatasetIsMissing) {
    const std::string t = Template("elenco.cvf", "[nome]");
    CliResult r = RunCli("prepare " + t);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Attenzione: Non \xC3\xA8 stato trovato il cvDataset: Dati.righe"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Non \xC3\xA8 stato trovato il cvDataset: righe"), std::string::npos) << r.err;
}

TEST_F(CliPrepare, AProgressBarGoesToATerminalUnlessQuiet) {
    const std::string t = Template("elenco.cvf", "[nome]");
    const std::string command = std::string(TESSALY_BIN_DIR) + "/tessaly-cli prepare " + t + " " + Db();
    CliResult bar = RunShell("script -qec \"" + command + "\" /dev/null");
    EXPECT_NE(bar.out.find("Preparazione [##############################] 3/3"), std::string::npos) << bar.out;
    CliResult quiet = RunShell("script -qec \"" + command + " --quiet\" /dev/null");
    EXPECT_EQ(quiet.out.find("Preparazione"), std::string::npos) << quiet.out;
}

TEST_F(CliPrepare, WrongUsage) {
    for (const char* args : {"prepare", "prepare a.cvf b.cvf", "prepare a.cvf --module X", "prepare a.cvf --query q=SELECT",
                             "prepare a.cvf --db x.db --query noequals", "prepare a.cvf --db x.db --query =SELECT",
                             "prepare a.cvf -o", "prepare a.cvf --colour"}) {
        CliResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("uso: tessaly-cli prepare MODELLO.cvf"), std::string::npos) << args;
    }
}

// --value names an expression of the report language; without --db the template's embedded
// database (its name with ".sqlite") is used.
TEST_F(CliPrepare, ValuesFromTheCommandLineAndTheEmbeddedDatabase) {
    const std::string t = Template("elenco.cvf", "[nome] [Sigla] [Doppio]");
    std::filesystem::copy_file(db, folder / "elenco.sqlite");
    CliResult r = RunCli("prepare " + t + " --value \"Sigla='X' + 'Y'\" --value 'Doppio=2 * 21' --title Prova");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "pages: 3\n");
    EXPECT_NE(Texts("elenco.cvp").find("Riga 7 XY 42\n"), std::string::npos) << Texts("elenco.cvp");
    for (const char* args : {"--value", "--value noequals", "--value =1", "--title"}) {
        CliResult wrong = RunCli("prepare " + t + " " + args);
        EXPECT_EQ(wrong.exitCode, 2) << args;
    }
}

// The engine's limits from the command line: a run past them is a preparation error, nothing written.
TEST_F(CliPrepare, MaxPagesAndMaxTimeStopThePreparation) {
    const std::string t = Template("elenco.cvf", "[nome]");
    CliResult stopped = RunCli("prepare " + t + " " + Db() + " --max-pages 2");
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.err.find("il report supera il limite di 2 pagine"), std::string::npos) << stopped.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "elenco.cvp"));
    CliResult within = RunCli("prepare " + t + " " + Db() + " --max-pages 3 --max-time 60000");
    EXPECT_EQ(within.exitCode, 0) << within.err;
    EXPECT_EQ(within.out, "pages: 3\n");
    for (const char* args : {"--max-pages 0", "--max-pages -1", "--max-time abc", "--max-pages 2 --max-pages 3",
                             "--max-time 9999999999"}) {
        CliResult wrong = RunCli("prepare " + t + " " + Db() + " " + args);
        EXPECT_EQ(wrong.exitCode, 2) << args;
    }
}

// The commands that read a prepared report prepare a template first, over its embedded database.
TEST_F(CliPrepare, TextRenderAndPdfPrepareATemplate) {
    const std::string t = Template("elenco.cvf", "[nome]");
    std::filesystem::copy_file(db, folder / "elenco.sqlite");
    CliResult text = RunCli("text " + t);
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Riga 100\n"), std::string::npos);
    EXPECT_NE(text.out.find("Pagina 3 di 3\n"), std::string::npos);
    CliResult render = RunCli("render " + t + " --page 3 -o " + Path("p3.png"));
    EXPECT_EQ(render.exitCode, 0) << render.err;
    EXPECT_TRUE(std::filesystem::exists(folder / "p3.png"));
    CliResult pdf = RunCli("pdf " + t + " -o " + Path("elenco.pdf"));
    EXPECT_EQ(pdf.exitCode, 0) << pdf.err;
    EXPECT_GT(std::filesystem::file_size(folder / "elenco.pdf"), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder / "elenco.cvp"));  // nothing written beside it
    // A preparation error fails the command with the composed message.
    const std::string bad = Template("rotto.cvf", "[VAL(nome)]");
    std::filesystem::copy_file(db, folder / "rotto.sqlite");
    CliResult failed = RunCli("text " + bad);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("Tipi di parametri errati nella funzione: VAL (nome)\nOggetto: Memo1"), std::string::npos)
        << failed.err;
}

// One report per row of --each, the row's fields binding the query's parameters; file names from
// the first field (bytes other than letters, digits, "-", "_" written as %XX); a row that fails is
// named and the others are still written.
TEST_F(CliPrepare, PrepareManyWritesOneReportPerRow) {
    const std::string query = "SELECT * FROM righe WHERE n = :n";
    const std::string t = Template("una.cvf", "[nome]", "scelta", query);
    const std::string out = (folder / "out").string();
    CliResult r = RunCli("prepare-many " + t + " " + Db() + " --query 'scelta=" + query + "' -o '" + out +
                         "' --each \"SELECT CASE n WHEN 2 THEN NULL WHEN 3 THEN 'a/b c.' ELSE 'r' || n END AS file, n "
                         "FROM righe WHERE n <= 4\"");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "reports: 3 written, 1 failed\n");
    EXPECT_NE(r.err.find("riga 2 (): il primo campo \xC3\xA8 vuoto: il report non ha un nome\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("4/4 " + out + "/r4.cvp\n"), std::string::npos) << r.err;
    const struct {
        const char* file;
        const char* row;
    } written[] = {{"r1.cvp", "Riga 1\n"}, {"a%2Fb%20c..cvp", "Riga 3\n"}, {"r4.cvp", "Riga 4\n"}};
    for (const auto& w : written) {
        const std::string texts = Texts(std::string("out/") + w.file);
        EXPECT_NE(texts.find(std::string(" 12 ") + w.row), std::string::npos) << w.file << texts;
        EXPECT_EQ(texts.find("Riga"), texts.rfind("Riga")) << "one row only: " << texts;
        EXPECT_NE(texts.find("Pagina 1 di 1"), std::string::npos) << w.file;
    }
    CliResult quiet = RunCli("prepare-many " + t + " " + Db() + " --query 'scelta=" + query + "' -o '" + out +
                             "' --each 'SELECT n FROM righe WHERE n = 5' --quiet");
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
    EXPECT_TRUE(std::filesystem::exists(folder / "out" / "5.cvp"));
    for (const char* args : {"prepare-many", "prepare-many a.cvf --db x.db -o out", "prepare-many a.cvf --db x.db --each 'SELECT 1'",
                             "prepare-many a.cvf --each 'SELECT 1' -o out", "prepare-many a.cvf --db x.db --each 'SELECT 1' -o out --show"}) {
        CliResult wrong = RunCli(args);
        EXPECT_EQ(wrong.exitCode, 2) << args;
        EXPECT_NE(wrong.err.find("uso: tessaly-cli prepare-many MODELLO.cvf"), std::string::npos) << args;
    }
}

// A row whose preparation fails is named with the preparation's message on a line of its own,
// also while a progress bar is drawn on a terminal; the rows after it are still written.
TEST_F(CliPrepare, PrepareManyGoesOnAfterAFailedPreparation) {
    const std::string query = "SELECT n, CASE WHEN n = 2 THEN nome ELSE CAST(n AS TEXT) END AS nome FROM righe WHERE n = :n";
    const std::string t = Template("valori.cvf", "[VAL(nome)]", "scelta", query);
    const std::string command = std::string(TESSALY_BIN_DIR) + "/tessaly-cli prepare-many " + t + " " + Db() +
                                " --query 'scelta=" + query + "' -o '" + (folder / "out").string() +
                                "' --each 'SELECT n FROM righe WHERE n <= 3'";
    CliResult r = RunShell("script -qec \"" + command + "\" /dev/null");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\rReport [##########....................] 1/3\r\nriga 2 (2): Si \xC3\xA8 verificato un errore durante "
                         "la fase di preparazione\r\nTipi di parametri errati nella funzione: VAL (nome)\r\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\rReport [##############################] 3/3\r\nreports: 2 written, 1 failed"), std::string::npos)
        << r.out;
    EXPECT_TRUE(std::filesystem::exists(folder / "out" / "1.cvp"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out" / "2.cvp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "out" / "3.cvp"));
}

// The module's datasets are open at their first record when the preparation starts: a title
// reads a one-row table that no band walks, and in prepare-many the record of each row's query.
TEST_F(CliPrepare, ATitleReadsATableThatNoBandWalks) {
    auto starts = [this](const std::string& report, const std::string& title, const std::string& row) {
        const std::string head = "--- page 1\n40 12 " + title + "\n60 12 " + row + "\n";
        EXPECT_EQ(Texts(report).substr(0, head.size()), head);
    };
    tessaly::testing::RunSqlite(db, "CREATE TABLE azienda(ragione_sociale TEXT); INSERT INTO azienda VALUES('Rossi S.p.A.');");
    const std::string t = Template("titolo.cvf", "[nome]", "righe", "", "[Dati.azienda.ragione_sociale]");
    CliResult r = RunCli("prepare " + t + " " + Db());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    starts("titolo.cvp", "Rossi S.p.A.", "Riga 1");

    const std::string query = "SELECT * FROM righe WHERE n = :n";
    const std::string many = Template("righe.cvf", "[nome]", "scelta", query, "Titolo [Dati.scelta.n]");
    r = RunCli("prepare-many " + many + " " + Db() + " --query 'scelta=" + query + "' -o '" + (folder / "out").string() +
               "' --each 'SELECT n FROM righe WHERE n IN (7, 9)' --quiet");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string n : {"7", "9"}) starts("out/" + n + ".cvp", "Titolo " + n, "Riga " + n);
}

TEST_F(CliPrepare, ThePreviewNeedsADisplay) {
    const std::string t = Template("elenco.cvf", "[nome]");
    CliResult r = RunShell("QT_QPA_PLATFORM=offscreen " + std::string(TESSALY_BIN_DIR) + "/tessaly-cli prepare " + t +
                           " " + Db() + " --show");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Nessuno schermo per l'anteprima: usare -o o --pdf\n");
}

}  // namespace
