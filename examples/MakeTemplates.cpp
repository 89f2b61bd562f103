// Writes the example report templates of examples/ over the demo database, each with its embedded
// database (demo.sqlite copied as NAME.sqlite with the queries the template reads):
// make_templates [FOLDER]   (FOLDER/demo.sqlite must exist; the build makes it)
// examples/README.md says what each template shows. Prepare one with
// tessaly-cli prepare examples/invoice.cvf (its database is found beside it).
#include <cstdio>
#include <filesystem>

#include <QGuiApplication>

#include "engine/report/CV_Startup.h"
#include "examples/Templates.h"
#include "platform/core/Errors.h"

namespace fs = std::filesystem;
using namespace examples;

namespace {

struct Example {
    const char* name;
    void (*make)(Template& t);
    Queries (*queries)();
};

Queries NoQueries() { return {}; }

constexpr Example kExamples[] = {
    {"listino", &MakePriceList, &NoQueries},      {"fatture", &MakeInvoices, &NoQueries},
    {"invoice", &MakeInvoice, &InvoiceQueries},   {"customers", &MakeCustomers, &CustomerQueries},
    {"labels", &MakeLabels, &NoQueries},          {"catalogue", &MakeCatalogue, &NoQueries},
    {"sales", &MakeSales, &SalesQueries},         {"summary", &MakeSummary, &SummaryQueries},
};

void MakeExample(const fs::path& folder, const Example& e) {
    const fs::path database = folder / (std::string(e.name) + ".sqlite");
    MakeCompanionDatabase(folder / "demo.sqlite", database, e.queries());
    Template t(database);
    e.make(t);
    t.Save(folder / (std::string(e.name) + ".cvf"));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path("examples");
    try {
        EngineUnits units(nullptr);
        for (const Example& e : kExamples) MakeExample(folder, e);
    } catch (const EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
