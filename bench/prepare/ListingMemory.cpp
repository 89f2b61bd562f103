// bench_listing_memory: the memory of a listing over a large table, which should follow the
// prepared pages, not the rows read.
//   bench_listing_memory --make FILE ROWS   writes a SQLite file with a table "righe" of ROWS rows
//   bench_listing_memory FILE               prepares the listing over it and prints
//                                           "rows R pages P drawings B" (B: the pages' bytes)
// listing_memory.sh runs it for growing tables and measures the peak memory of each run.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/common/OffscreenApp.h"
#include "bench/common/TemplateObjects.h"
#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/data/Database.h"
#include "platform/data/SqlDataset.h"

namespace {

using namespace tessaly;

int MakeTable(const char* file, long rows) {
    sqlite3* db = nullptr;
    const std::string sql =
        "CREATE TABLE righe (n INTEGER, codice TEXT, descrizione TEXT, prezzo NUMERIC(10,2));"
        "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < " + std::to_string(rows) + ") "
        "INSERT INTO righe SELECT n, printf('A%08d', n), 'Articolo numero ' || (n % 977), n * 0.37 FROM k;";
    const bool ok = sqlite3_open(file, &db) == SQLITE_OK && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok ? 0 : 1;
}

class Listing {
public:
    explicit Listing(const char* file) {
        auto* table = new data::SqlDataset(data::Database::Open(file), &owner_);
        table->SetTableName("righe");
        auto* walker = new TcvDBDataSet(nullptr);
        walker->SetName("righe");
        walker->SetDataSet(table);
        report_->AddDataset("righe", walker);
        report_->SetShowProgress(false);
        Band(btPageHeader, 40, 24);
        Text(38, 42, "Codice"), Text(158, 42, "Descrizione"), Text(398, 42, "Prezzo");
        Band(btMasterData, 80, 18, "righe");
        Text(38, 80, "[codice]"), Text(158, 80, "[descrizione]"), Text(398, 80, "[prezzo]");
        Band(btPageFooter, 120, 24);
        Text(600, 122, "Pagina [PAGE#]");
    }
    TcvReport& Report() { return *report_; }

private:
    void Band(int type, int top, int height, const char* dataset = "") { bench::AddBand(*report_, type, top, height, dataset); }
    void Text(int left, int top, const char* text) { bench::AddText(*report_, left, top, 230, text); }

    TComponent owner_{nullptr};
    TcvReport* report_ = new TcvReport(&owner_);
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--make") return MakeTable(argv[2], std::atol(argv[3]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_listing_memory --make FILE ROWS | bench_listing_memory FILE\n");
        return 2;
    }
    tessaly::bench::OffscreenApp app(argv[0]);
    EngineUnits units(nullptr);
    Listing listing(argv[1]);
    if (!listing.Report().PrepareReport()) {
        std::fprintf(stderr, "%s\n", listing.Report().PreparationErrorText().c_str());
        return 1;
    }
    TcvEMFPages& pages = listing.Report().EMFPages();
    size_t bytes = 0;
    for (int i = 0; i < pages.Count(); ++i) bytes += pages.Pages(i).Drawing.Bytes().size();
    std::printf("pages %d drawings %zu\n", pages.Count(), bytes);
    return 0;
}
