// tessaly-cli eval EXPR and words NUMBER..., run as a program.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "common/SqliteFile.h"
#include "common/TestFiles.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;
using tessaly::testing::RunShell;

TEST(CliEval, PrintsTheKindAndTextOfTheValue) {
    struct Case { const char* args; const char* out; };
    for (Case c : {Case{"eval '7 div 2'", "integer 3\n"},
                   {"eval '5 / 2'", "double 2.5\n"},
                   {"eval '10 / 3'", "double 3.33333333333333\n"},
                   {"eval '2 * 3 ^ 2'", "double 36\n"},
                   {"eval '1 = 1 AND 2 = 2'", "integer 0\n"},
                   {"eval \"'caff\xC3\xA8' + '!'\"", "string caff\xC3\xA8!\n"},
                   {"eval \"'It''s'\"", "string It's\n"},
                   {"eval ''", "null\n"},
                   {"eval 1 + 2", "double 3\n"}}) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
    // The first record of a master band whose rows were never taken in: nothing to add up yet.
    for (const char* name : {"SUM(1)", "VALUE"}) {
        CliResult r = RunCli(std::string("eval '") + name + "'");
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_EQ(r.err, std::string("Identificatore sconosciuto: ") + name + "\n");
    }
}

TEST(CliEval, ErrorsGoToStandardErrorWithExitCodeOne) {
    struct Case { const char* args; const char* err; };
    for (Case c : {Case{"eval '1 / 0'", "Tipo di dati incompatibili nell'espressione: 1 / 0\n"},
                   {"eval '(1'", "Numero errato di parentesi nell'espressione : (1\n"},
                   {"eval 'Ignoto + 1'", "Identificatore sconosciuto: Ignoto + 1\n"}}) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_EQ(r.err, c.err) << c.args;
    }
}

TEST(CliWords, PrintsOneLineOfWordsPerNumber) {
    CliResult r = RunCli("words 1001000 21000 108 180 1000000000 1.0025 -0.5 0.05");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "unmilionemille\nventunomila\ncentootto\ncentoottanta\nunmiliardo\n"
              "uno virgola zero zero venticinque\nmeno zero virgola cinque\nzero virgola zero cinque\n");
}

TEST(CliWords, RefusesWhatIsNoNumberOrBeyondTheCurrencyRange) {
    CliResult bad = RunCli("words 12 dodici");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "dodici\n");
    EXPECT_EQ(bad.err, "'dodici' non \xC3\xA8 un numero valido\n");
    CliResult big = RunCli("words 1e15");
    EXPECT_EQ(big.exitCode, 1);
    EXPECT_EQ(big.out, "");
    EXPECT_NE(big.err, "");
}

// eval over a SQLite file: a data module of one dataset per table, open at the first record.
class CliEvalData : public ::testing::Test {
protected:
    void SetUp() override {
        tessaly::testing::RunSqlite(db, "CREATE TABLE righe(prezzo REAL, qta INTEGER, nota TEXT);"
                                        "INSERT INTO righe VALUES (1936.27, 12, NULL), (2, 3, 'b');"
                                        "CREATE TABLE \"Anagrafe clienti\"(\"ragione sociale\" TEXT);"
                                        "INSERT INTO \"Anagrafe clienti\" VALUES ('Rossi srl');");
    }
    CliResult Eval(const std::string& options, const std::string& expression) {
        return RunCli("eval --db '" + db.string() + "' " + options + " \"" + expression + "\"");
    }

    tessaly::testing::TempFolder folder{"cli-eval"};
    std::filesystem::path db = folder / "negozio.db";
};

TEST_F(CliEvalData, FieldsAnswerQualifiedAndUnqualifiedNames) {
    struct Case { const char* options; const char* expression; const char* out; };
    for (Case c : {Case{"", "FORMATFLOAT('#,##0.00', Dati.righe.prezzo * Dati.righe.qta)", "string 23.235,24\n"},
                   {"", "righe.qta + 1", "double 13\n"},
                   {"", "righe.nota", "string \n"},
                   {"", "Dati.righe.\\\"qta\\\" * 2", "double 24\n"},
                   {"", "LENGTH(\\\"ragione sociale\\\")", "integer 9\n"},
                   {"", "COUNT(Dati.righe) + LINE#", "integer 3\n"},
                   {"--module Negozio", "Negozio.righe.qta", "integer 12\n"},
                   {"", "Dati.righe", "string DATI.RIGHE\n"}}) {
        CliResult r = Eval(c.options, c.expression);
        EXPECT_EQ(r.exitCode, 0) << c.expression << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.expression;
    }
}

TEST_F(CliEvalData, AFailingFunctionPrintsItsOwnMessage) {
    struct Case { const char* options; const char* expression; const char* err; };
    for (Case c : {Case{"", "VAL('abc')", "Tipi di parametri errati nella funzione: VAL ('abc')\n"},
                   {"", "1 + VAL(Dati.righe.prezzo + 'x')",
                    "Tipi di parametri errati nella funzione: VAL (Dati.righe.prezzo + 'x')\n"},
                   {"", "COPY('a', 1)", "E' stato inserito un numero di parametri errato per la funzione : COPY\n"},
                   {"", "Dati.righe.manca", "Identificatore sconosciuto: Dati.righe.manca\n"},
                   {"--module Negozio", "Dati.righe.qta", "Identificatore sconosciuto: Dati.righe.qta\n"}}) {
        CliResult r = Eval(c.options, c.expression);
        EXPECT_EQ(r.exitCode, 1) << c.expression;
        EXPECT_EQ(r.out, "") << c.expression;
        EXPECT_EQ(r.err, c.err) << c.expression;
    }
    CliResult missing = RunCli("eval --db '" + (folder / "nessuno.db").string() + "' 1");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err, "");
}

TEST(CliEval, ReachesFunctionsAndVariablesWithoutADatabase) {
    struct Case { const char* args; const char* out; };
    for (Case c : {Case{"eval \"FILLSTR(3, 'ab')\"", "string ababab\n"}, {"eval 'ROUND(2.5) + PI * 0'", "double 2\n"},
                   {"eval \"LOWERCASE('ABC')\"", "string abc\n"}, {"eval 'PAGE#'", "integer 1\n"},
                   {"eval 'LINE#'", "integer 1\n"}, {"eval 'LINETHROUGH#'", "integer 1\n"},
                   {"eval 'CURRENT#'", "integer 1\n"}, {"eval 'COLUMN#'", "integer 1\n"},
                   {"eval 'COUNT()'", "integer 0\n"}, {"eval 'TOTALPAGES'", "integer 0\n"}}) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
}

TEST(CliFormatDialog, DrawsTheDialogIntoAnImageOrNeedsADisplay) {
    tessaly::testing::TempFolder folder{"cli-format"};
    const std::string shot = (folder / "formato.png").string();
    CliResult r = RunCli("format-dialog --format 0x01030200 --text '#,##0' --shot '" + shot + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    CliResult size = RunShell("identify -format '%w %h' '" + shot + "'");
    EXPECT_EQ(size.out, "280 135");
    CliResult bare = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + std::string(TESSALY_BIN_DIR) +
                              "/tessaly-cli format-dialog");
    EXPECT_EQ(bare.exitCode, 1);
    EXPECT_EQ(bare.err, "Nessuno schermo per la finestra: usare --shot FILE.png per vederla in un'immagine\n");
    for (const char* args : {"format-dialog --format -1", "format-dialog --format 0x100000000", "format-dialog x"}) {
        CliResult bad = RunCli(args);
        EXPECT_EQ(bad.exitCode, 2) << args;
    }
}
