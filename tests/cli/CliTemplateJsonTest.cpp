// Templates in their JSON form through tessaly-cli: template --json and back, a document with a
// mistake (its place on stderr, nothing written), every command that takes a template taking the
// JSON form by its content, and the examples preparing from their JSON to the bytes of their .cvp.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRun.h"
#include "common/TemplateStream.h"
#include "common/TestFiles.h"

using tessaly::testing::CliResult;
using tessaly::testing::OldStream;
using tessaly::testing::ReadFile;
using tessaly::testing::RunCli;
namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(TESSALY_SOURCE_DIR) / "examples";

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

class CliTemplateJson : public ::testing::Test {
protected:
    fs::path Copy(const fs::path& from, const std::string& name) {
        fs::copy_file(from, folder / name);
        return folder / name;
    }
    tessaly::testing::TempFolder folder{"cli-template-json"};
};

// A page with a text object, over a database dataset "Dati.ordini" that no command here has.
std::vector<uint8_t> OrdersTemplate() {
    OldStream s(29);
    s.Header(true);
    s.I32(1);
    s.U8(1), s.Short("Dati.ordini"), s.U8(1), s.Short("totale > 0"), s.Short("Ordini"), s.U8(0), s.U8(0), s.U16(0),
        s.I32(0);
    s.PagesHeader();
    s.PageRecord({});
    s.U8(0), s.U8(0);
    s.BasePart(10, 20, 200, 18, {"Totale: [totale]"}, "Memo1", 0x01, 15);
    s.MemoPart();
    s.U8(254), s.I32(0), s.Lines({});
    return s.Bytes();
}

}  // namespace

TEST_F(CliTemplateJson, ConvertsBothWaysKeepingDatasetsWhoseDataIsNotThere) {
    tessaly::testing::WriteFile(folder / "ordini.cvf", OrdersTemplate());
    CliResult r = RunCli("template " + Q(folder / "ordini.cvf") + " --json " + Q(folder / "ordini.json"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "") << "converting warns about no missing dataset";
    EXPECT_NE(r.out.find("\ndataset 1: Ordini Dati.ordini\n"), std::string::npos) << r.out;
    const std::string json = tessaly::testing::ReadText(folder / "ordini.json");
    EXPECT_NE(json.find("\n    {\"name\": \"Ordini\", \"dataset\": \"Dati.ordini\", \"filtered\": true, "
                        "\"filter\": \"totale > 0\"}\n"),
              std::string::npos)
        << json;

    r = RunCli("template " + Q(folder / "ordini.json") + " --save " + Q(folder / "dal-json.cvf"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(RunCli("template " + Q(folder / "ordini.cvf") + " --save " + Q(folder / "dal-cvf.cvf")).exitCode, 0);
    EXPECT_EQ(ReadFile(folder / "dal-json.cvf"), ReadFile(folder / "dal-cvf.cvf"));
    EXPECT_EQ(ReadFile(folder / "dal-cvf.cvf"), OrdersTemplate());

    // Only describing it, the JSON loads as the .cvf does: the missing dataset is warned about.
    const CliResult fromJson = RunCli("template " + Q(folder / "ordini.json"));
    const CliResult fromCvf = RunCli("template " + Q(folder / "ordini.cvf"));
    EXPECT_EQ(fromJson.out, fromCvf.out);
    EXPECT_EQ(fromJson.err, "Attenzione: Non \xC3\xA8 stato trovato il cvDataset: Dati.ordini\n");

    // A damaged template whose objects share a name converts, with a warning that says where to mend it.
    const fs::path damaged = Copy(fs::path(TESSALY_SOURCE_DIR) / "tests/data/fuzz/prepare-column-gap", "doppio.cvf");
    r = RunCli("template " + Q(damaged) + " --json " + Q(folder / "doppio.json"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "Attenzione: Il modello in JSON va corretto prima di poterlo rileggere: riga 51, colonna 19: due "
                     "oggetti con il nome \"Band1\" (l'altro a riga 18, colonna 19).\n");
    EXPECT_TRUE(fs::exists(folder / "doppio.json"));
}

TEST_F(CliTemplateJson, AMistakeFailsWithItsPlaceAndWritesNothing) {
    tessaly::testing::WriteFile(folder / "rotto.json", std::string("{\"format\": \"tessaly-template\", \"version\": 1,\n"
                                                                   "  \"pages\": [\n"
                                                                   "    {\"colums\": 2}\n"
                                                                   "  ]\n}\n"));
    tessaly::testing::WriteFile(folder / "vecchio.cvf", std::string("vecchio"));
    const std::string message = "Errore: riga 3, colonna 6: chiave sconosciuta in una pagina: \"colums\".\n";
    CliResult r = RunCli("template " + Q(folder / "rotto.json") + " --save " + Q(folder / "vecchio.cvf") + " --json " +
                         Q(folder / "nuovo.json"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(tessaly::testing::ReadText(folder / "vecchio.cvf"), "vecchio");
    EXPECT_FALSE(fs::exists(folder / "nuovo.json"));

    for (const std::string command : {"prepare", "text", "pdf"}) {
        r = RunCli(command + " " + Q(folder / "rotto.json") + " -o " + Q(folder / "uscita"));
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_NE(r.err.find("riga 3, colonna 6: chiave sconosciuta in una pagina: \"colums\"."), std::string::npos)
            << command << ": " << r.err;
        EXPECT_FALSE(fs::exists(folder / "uscita")) << command;
    }
}

TEST_F(CliTemplateJson, EveryCommandThatTakesATemplateTakesTheJsonFormByItsContent) {
    const fs::path listino = Copy(kExamples / "listino.json", "listino prodotti.modello");
    Copy(kExamples / "listino.sqlite", "listino prodotti.sqlite");
    EXPECT_EQ(RunCli("template " + Q(listino)).out.rfind("version: 29\npages: 1\nobjects: 23\n", 0), 0u);

    CliResult r = RunCli("prepare " + Q(listino) + " --quiet -o " + Q(folder / "listino.cvp"));
    EXPECT_EQ(r.out, "pages: 2\n") << r.err;
    EXPECT_EQ(ReadFile(folder / "listino.cvp"), ReadFile(kExamples / "listino.cvp"));
    r = RunCli("text " + Q(listino));
    EXPECT_NE(r.out.find(" Pagina 2 di 2\n"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli("render " + Q(listino) + " --page 2 -o " + Q(folder / "pagina.png")).exitCode, 0);
    EXPECT_GT(fs::file_size(folder / "pagina.png"), 1000u);
    EXPECT_EQ(RunCli("pdf " + Q(listino) + " -o " + Q(folder / "listino.pdf")).exitCode, 0);
    EXPECT_EQ(tessaly::testing::ReadText(folder / "listino.pdf").substr(0, 5), "%PDF-");

    const fs::path invoice = Copy(kExamples / "invoice.json", "fattura.modello");
    Copy(kExamples / "invoice.sqlite", "fattura.sqlite");
    r = RunCli("prepare-many " + Q(invoice) + " --quiet -o " + Q(folder / "fatture") +
               " --each \"SELECT 'f' || id AS file, id AS invoice_id FROM invoices WHERE id <= 2\"");
    EXPECT_EQ(r.out, "reports: 2 written, 0 failed\n") << r.err;
    EXPECT_TRUE(fs::exists(folder / "fatture" / "f2.cvp"));
}

TEST_F(CliTemplateJson, TheExamplesPrepareFromTheirJsonToTheBytesOfTheirCvp) {
    for (const char* name : {"listino", "fatture", "invoice", "customers", "labels", "catalogue", "sales", "summary"}) {
        const fs::path out = folder / (std::string(name) + ".cvp");
        const CliResult r = RunCli("prepare " + Q(kExamples / (std::string(name) + ".json")) + " --quiet -o " + Q(out));
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_EQ(ReadFile(out), ReadFile(kExamples / (std::string(name) + ".cvp"))) << name;
    }
}
