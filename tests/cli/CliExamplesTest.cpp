// The example reports that the build prepares from the example templates: their pages and the
// texts that show that groups, totals, words, linked queries, cross tables and sub-reports came
// out right (what a newcomer sees first).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"

namespace {

using tessaly::testing::RunCli;

struct ExampleCase {
    const char* name;
    const char* pages;                // "pages: N"
    std::vector<const char*> texts;   // "Y X text" lines of `tessaly-cli text`, without the position
};

TEST(Examples, ThePreparedExamplesShowTheirData) {
    const ExampleCase cases[] = {
        {"invoice", "pages: 80\n",
         {"Fattura n. 2024/001 del 04/01/2024", "Imponibile al 22%", "186,45", "18,99", "\xE2\x82\xAC 205,44",
          "Totale in lettere: euro duecentocinque/44", "Fattura n. 2024/080 del 30/12/2024"}},
        {"customers", "pages: 10\n", {"Agenzia Viaggi Marino", "Fattura 2024/005 del 22/01/2024 - Ri.Ba. a 60 giorni",
                                     "totale 2.047,40", "totale 402,82"}},
        {"sales", "pages: 1\n", {"Gen", "Dic", "Totale", "Caffetteria", "3.425,54", "45.403,59"}},
        {"summary", "pages: 1\n", {"80 fatture emesse", "Gentile Vittorio", "8.086,21", "Monitor 24 pollici Full HD", "106 pz"}},
        {"listino", "pages: 2\n", {"Pagina 1 di 2", "Pagina 2 di 2", "un pezzo di ciascuno: 51,35"}},
        {"labels", "pages: 2\n", {"Studio Legale Bianchi & Associati", "Corso Vittorio Emanuele II 45", "10121 Torino TO"}},
        {"catalogue", "pages: 2\n", {"Catalogo prodotti", "Caffetteria", "Pagina 2"}},
        {"fatture", "pages: 16\n", {"Fattura 2024/001 del 04/01/2024", "Totale: 186,45", "Pagina 1 di 16"}},
    };
    const std::filesystem::path folder = std::filesystem::path(TESSALY_SOURCE_DIR) / "examples";
    for (const ExampleCase& c : cases) {
        const std::string file = "'" + (folder / (std::string(c.name) + ".cvp")).string() + "'";
        EXPECT_EQ(RunCli("info " + file).out.substr(0, std::string(c.pages).size()), c.pages) << c.name;
        const std::string texts = RunCli("text " + file).out;
        for (const char* text : c.texts)
            EXPECT_NE(texts.find(" " + std::string(text) + "\n"), std::string::npos) << c.name << ": " << text;
    }
}

}  // namespace
