// Writes the sample report templates of examples/ and the database they read:
// make_templates [FOLDER]
//   vendite.db   a SQLite file: 150 articles ("articoli"), and the view "articoli_per_categoria"
//   elenco.cvf   a price list in two passes: title, column headings, a row per article, the totals,
//                "Pagina x di y" in the page footer
//   gruppi.cvf   the articles by category: a group header and footer per category with its totals,
//                the grand total
// Prepare them with tessaly-cli prepare examples/elenco.cvf --db examples/vendite.db.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <QGuiApplication>

#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Errors.h"
#include "platform/data/DataModule.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

constexpr TColor kHeading = 0xE8E8E8, kGroup = 0xF4E8D8, kRule = 0xB0B0B0;

void Sql(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw EngineError(message);
    }
}

// 150 articles in five categories, with prices and stock from a fixed sequence.
void MakeDatabase(const fs::path& file) {
    fs::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    const char* categories[] = {"Bulloneria", "Elettrico", "Idraulica", "Utensili", "Vernici"};
    const char* items[] = {"Vite", "Dado", "Cavo", "Presa", "Raccordo", "Valvola", "Pinza", "Martello", "Smalto", "Pennello"};
    std::string sql = "CREATE TABLE articoli(codice TEXT, descrizione TEXT, categoria TEXT, prezzo REAL, giacenza INTEGER);";
    unsigned seed = 2026;
    for (int i = 1; i <= 150; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned r = seed >> 16;
        char row[256];
        std::snprintf(row, sizeof row, "INSERT INTO articoli VALUES('A%04d', '%s %d', '%s', %u.%02u, %u);", i,
                      items[r % 10], 10 + int(r % 90), categories[(r / 10) % 5], 1 + r % 200, r % 100, r % 500);
        sql += row;
    }
    sql += "CREATE VIEW articoli_per_categoria AS SELECT * FROM articoli ORDER BY categoria, codice;";
    Sql(db, sql);
    sqlite3_close(db);
}

uint32_t Money() { return WithCategory(WithIndex(WithDecimals(WithSeparator(0, ','), 2), 3), fcNumber); }

class Template {
public:
    Template(TComponent& module, const char* dataset) : report_(nullptr) {
        auto* walker = new TcvDBDataSet(nullptr);
        walker->SetName(dataset);
        walker->SetDataSet(dynamic_cast<data::Dataset*>(module.FindComponent(dataset)));
        report_.AddDataset(dataset, walker);
    }
    TcvReport& Report() { return report_; }

    void Band(int type, int top, int height, const std::string& formatText = "", uint16_t flags = 0) {
        auto view = std::make_unique<TcvBandView>(&report_);
        view->SetBandType(uint8_t(type));
        view->Top = top, view->Width = 794, view->Height = height;
        view->FormatText = formatText;
        view->Flags = flags;
        report_.Pages().Pages(0).AddObject(std::move(view));
    }
    TcvMemoView& Text(int left, int top, int width, int height, const std::string& text, uint32_t align = taLeft,
                      uint8_t style = 0, int size = 10) {
        auto memo = std::make_unique<TcvMemoView>(&report_);
        memo->Left = left, memo->Top = top, memo->Width = width, memo->Height = height;
        memo->MemoLines.Add(text);
        memo->Alignment = align | taMiddle;
        memo->Font.Style = style;
        memo->Font.Size = size;
        return static_cast<TcvMemoView&>(report_.Pages().Pages(0).AddObject(std::move(memo)));
    }
    // Column headings on a grey band with a rule below.
    void Headings(int top) {
        const char* names[] = {"Codice", "Descrizione", "Categoria", "Prezzo", "Giacenza"};
        const int lefts[] = {38, 110, 330, 480, 610}, widths[] = {72, 220, 150, 130, 145};
        for (int i = 0; i < 5; ++i) {
            TcvMemoView& t = Text(lefts[i], top, widths[i], 22, names[i], i >= 3 ? taRight : taLeft, emf::fsBold);
            t.FillColor = kHeading;
            t.FrameSides = fsBottom | fsTop;
        }
    }
    // One article: its fields, the money ones formatted, a light rule below.
    void Row(int top) {
        const char* fields[] = {"[codice]", "[descrizione]", "[categoria]", "[prezzo]", "[giacenza]"};
        const int lefts[] = {38, 110, 330, 480, 610}, widths[] = {72, 220, 150, 130, 145};
        for (int i = 0; i < 5; ++i) {
            TcvMemoView& t = Text(lefts[i], top, widths[i], 18, fields[i], i >= 3 ? taRight : taLeft);
            t.FrameSides = fsBottom;
            t.FrameColor = kRule;
            if (i == 3) t.Format = Money();
        }
    }
    void Save(const fs::path& file) { report_.SaveToFile(file); }

private:
    TcvReport report_;
};

void MakeListing(TComponent& module, const fs::path& file) {
    Template t(module, "articoli");
    t.Report().TwoPass = 1;
    t.Band(btReportTitle, 20, 44);
    t.Text(38, 22, 500, 28, "Listino articoli", taLeft, emf::fsBold, 16);
    t.Text(480, 22, 275, 28, "al [DATE]", taRight);
    t.Band(btPageHeader, 80, 30);
    t.Headings(84);
    t.Band(btMasterData, 120, 18, "articoli");
    t.Row(120);
    t.Band(btReportSummary, 150, 30);
    t.Text(38, 156, 400, 20, "Articoli: [COUNT()]", taLeft, emf::fsBold);
    t.Text(480, 156, 275, 20, "Valore a magazzino: [SUM(prezzo * giacenza)]", taRight, emf::fsBold).Format = Money();
    t.Band(btPageFooter, 200, 30);
    t.Text(38, 206, 300, 18, "Listino al [DATE]");
    t.Text(455, 206, 300, 18, "Pagina [PAGE#] di [TOTALPAGES]", taRight);
    t.Save(file);
}

void MakeGroups(TComponent& module, const fs::path& file) {
    Template t(module, "articoli_per_categoria");
    t.Band(btReportTitle, 20, 44);
    t.Text(38, 22, 500, 28, "Articoli per categoria", taLeft, emf::fsBold, 16);
    t.Band(btPageHeader, 80, 30);
    t.Headings(84);
    t.Band(btGroupHeader, 120, 28, "categoria");
    t.Text(38, 124, 717, 22, "[categoria]", taLeft, emf::fsBold, 12).FillColor = kGroup;
    t.Band(btMasterData, 160, 18, "articoli_per_categoria");
    t.Row(160);
    t.Band(btGroupFooter, 190, 30);
    t.Text(110, 194, 370, 20, "Totale [categoria]: [COUNT()] articoli", taLeft, emf::fsBold);
    TcvMemoView& sum = t.Text(480, 194, 275, 20, "[SUM(prezzo * giacenza)]", taRight, emf::fsBold);
    sum.Format = Money();
    sum.FrameSides = fsTop;
    t.Band(btReportSummary, 230, 30);
    t.Text(38, 236, 717, 20, "Totale generale: [SUM(prezzo * giacenza)]", taRight, emf::fsBold).Format = Money();
    t.Band(btPageFooter, 280, 30);
    t.Text(455, 286, 300, 18, "Pagina [PAGE#]", taRight);
    t.Save(file);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path("examples");
    try {
        EngineUnits units(nullptr);
        MakeDatabase(folder / "vendite.db");
        data::DatabaseModule module(data::Database::Open((folder / "vendite.db").string()), nullptr);
        module.SetName("Dati");
        data::ApplicationModules().AddDataModule(module);
        MakeListing(module, folder / "elenco.cvf");
        MakeGroups(module, folder / "gruppi.cvf");
    } catch (const EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
