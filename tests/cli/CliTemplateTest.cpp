// tessaly-cli template FILE.cvf [--save OUT.cvf] over templates the test writes field by field.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "common/TemplateStream.h"
#include "common/TestFiles.h"

using tessaly::testing::CliResult;
using tessaly::testing::OldStream;
using tessaly::testing::RunCli;

namespace {

class CliTemplate : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        tessaly::testing::WriteFile(folder / name, bytes);
        return "'" + (folder / name).string() + "'";
    }
    tessaly::testing::TempFolder folder{"cli-template"};
};

// One page, a text object of two lines, a band naming its dataset, a named value; datasets as
// given.
std::vector<uint8_t> Sample(const std::function<void(OldStream&)>& datasets = {}) {
    OldStream s(29);
    s.Header(bool(datasets));
    if (datasets) datasets(s);
    s.PagesHeader();
    s.PageRecord({});
    s.U8(0), s.U8(0);
    s.BasePart(10, 20, 200, 18, {"Totale:", "[Totale]"}, "Memo1", 0x01, 15);
    s.MemoPart();
    s.U8(2), s.U8(0);
    s.BasePart(0, 100, 700, 20, {}, "Band1", 0, 5, "Righe");
    s.U8(254);
    s.I32(1), s.U8(2), s.I32(1), s.Short(""), s.Short("1 + 1"), s.Short("Totale");
    s.Lines({});
    return s.Bytes();
}

void PlainDataset(OldStream& s) {
    s.I32(1);
    s.U8(0), s.Short("Righe"), s.U8(0), s.U8(2), s.U16(0), s.I32(3);
}

}  // namespace

TEST_F(CliTemplate, DescribesPagesObjectsDatasetsAndValues) {
    CliResult r = RunCli("template " + Write("modello.cvf", Sample(&PlainDataset)));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "version: 29\npages: 1\nobjects: 2\ndatasets: 1\nvalues: 1\n"
              "page 1: paper 9 2100x2970 portrait margins 38 38 38 57 columns 0 gap 0 scale 100 100 "
              "header-on-first 1 footer-on-last 1 repeat-cross-header 0 continue-on-previous 0\n"
              "object 1: memo Memo1 page 1 left 10 top 20 width 200 height 18 flags 0x0001 frame 0x000F 1 "
              "0x000000 fill none format 0x0000022C visible 1\n"
              "  line: Totale:\n  line: [Totale]\n"
              "object 2: band Band1 page 1 left 0 top 100 width 700 height 20 flags 0x0000 frame 0x0005 1 "
              "0x000000 fill none format 0x0000022C visible 1 band-type 5\n"
              "  format-text: Righe\n"
              "dataset 1: Righe -\n"
              "value 1: Totale kind 2 expression 1 + 1\n");
}

TEST_F(CliTemplate, WarningsGoToStandardErrorAndDoNotFail) {
    auto missing = [](OldStream& s) {
        s.I32(1);
        s.U8(1), s.Short("Dati.ordini"), s.U8(0), s.Short(""), s.Short("Ordini"), s.U8(0), s.U8(0), s.U16(0), s.I32(0);
    };
    CliResult r = RunCli("template " + Write("manca.cvf", Sample(missing)));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "Attenzione: Non \xC3\xA8 stato trovato il cvDataset: Dati.ordini\n");
    EXPECT_NE(r.out.find("datasets: 0\n"), std::string::npos);
}

TEST_F(CliTemplate, ALoadingErrorFailsWithItsMessagesAndPrintsNothing) {
    auto bytes = Sample();
    bytes.resize(bytes.size() - 3);
    CliResult r = RunCli("template " + Write("rotto.cvf", bytes));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Errore: Non \xC3\xA8 stato possibile terminare la fase di caricamento del report.\n\rProbabilmente il "
              "report \xC3\xA8 corrotto, o contiene componenti non inseriti all'interno del progetto.\n");

    r = RunCli("template " + Write("ignoto.cvf", [] {
                   OldStream s(29);
                   s.Header();
                   s.PagesHeader();
                   s.PageRecord({});
                   s.U8(10), s.Lines({"TcvChartView"}), s.U8(0);
                   return s.Bytes();
               }()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("Errore: Oggetto non trovato : TcvChartView.\n\r", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\nErrore: Non \xC3\xA8 stato possibile terminare"), std::string::npos);

    r = RunCli("template '" + (folder / "assente").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("assente.cvf"), std::string::npos) << "the name with its default extension: " << r.err;
}

TEST_F(CliTemplate, SaveWritesTheTemplateBackAtVersion29) {
    OldStream old(26);
    old.Header();
    old.PagesHeader();
    old.PageRecord({});
    old.U8(0), old.U8(0);
    old.BasePart(1, 2, 3, 4, {"vecchio"}, "Testo");
    old.MemoPart();
    const std::string out1 = (folder / "uno.cvf").string(), out2 = (folder / "due.cvf").string();
    CliResult r = RunCli("template " + Write("vecchio.cvf", old.Bytes()) + " --save '" + out1 + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("version: 26\n", 0), 0u);
    const auto saved = tessaly::testing::ReadFile(out1);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved[0], 29);

    r = RunCli("template --save '" + out2 + "' '" + out1 + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("version: 29\npages: 1\nobjects: 1\n", 0), 0u);
    EXPECT_EQ(tessaly::testing::ReadFile(out2), saved) << "what the engine wrote it writes again byte for byte";

    EXPECT_EQ(RunCli("template").exitCode, 2);
    EXPECT_EQ(RunCli("template a.cvf b.cvf").exitCode, 2);
    EXPECT_EQ(RunCli("template a.cvf --save").exitCode, 2);
}
