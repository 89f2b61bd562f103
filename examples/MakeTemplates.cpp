// Writes the sample report templates of examples/, over the demo database:
// make_templates [FOLDER]   (FOLDER/demo.sqlite must exist; the build makes it)
//   listino.cvf   the products by category: a header per category, a row per product, the
//                 category's count and value of a unit each, "Pagina x di y" (two passes)
//   fatture.cvf   the invoices: a header per invoice, its lines (the detail, linked to the invoice
//                 by the lines' filter) with their amounts, the invoice's total
// Prepare one with tessaly-cli prepare examples/listino.cvf --db examples/demo.sqlite.
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

// Euros with two decimals and thousands points.
uint32_t Money() { return WithCategory(WithIndex(WithDecimals(WithSeparator(0, ','), 2), 3), fcNumber); }

struct Column {
    int left, width;
    const char* heading;
    const char* field;
    uint32_t align;
};

class Template {
public:
    explicit Template(TComponent& module) : report_(nullptr), module_(module) {}
    TcvReport& Report() { return report_; }

    // A report dataset over the module's dataset of that name, filtered when a filter is given.
    void Dataset(const char* name, const char* filter = "") {
        auto* walker = new TcvDBDataSet(nullptr);
        walker->SetName(name);
        walker->SetDataSet(dynamic_cast<data::Dataset*>(module_.FindComponent(name)));
        walker->Filter = filter;
        walker->Filtered = *filter != '\0';
        report_.AddDataset(name, walker);
    }
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
    // Column headings on a grey strip between two rules.
    void Headings(int top, const std::vector<Column>& columns) {
        for (const Column& c : columns) {
            TcvMemoView& t = Text(c.left, top, c.width, 22, c.heading, c.align, emf::fsBold);
            t.FillColor = kHeading;
            t.FrameSides = fsBottom | fsTop;
        }
    }
    // One record: a field per column, a light rule below; money formatted.
    void Row(int top, const std::vector<Column>& columns) {
        for (const Column& c : columns) {
            TcvMemoView& t = Text(c.left, top, c.width, 18, c.field, c.align);
            t.FrameSides = fsBottom;
            t.FrameColor = kRule;
            if (c.align == taRight) t.Format = Money();
        }
    }
    void Save(const fs::path& file) { report_.SaveToFile(file); }

private:
    TcvReport report_;
    TComponent& module_;
};

void MakePriceList(TComponent& module, const fs::path& file) {
    const std::vector<Column> columns = {{38, 90, "Codice", "[code]", taLeft},
                                         {128, 420, "Descrizione", "[description]", taLeft},
                                         {548, 70, "Unit\xE0", "[unit]", taLeft},
                                         {618, 137, "Prezzo", "[price]", taRight}};
    Template t(module);
    t.Dataset("products");
    t.Report().TwoPass = 1;
    t.Band(btReportTitle, 20, 44);
    t.Text(38, 22, 500, 28, "Listino prodotti", taLeft, emf::fsBold, 16);
    t.Text(480, 22, 275, 28, "al [DATE]", taRight);
    t.Band(btPageHeader, 80, 30);
    t.Headings(84, columns);
    t.Band(btGroupHeader, 120, 30, "category");
    t.Text(38, 124, 717, 22, "[category]", taLeft, emf::fsBold, 12).FillColor = kGroup;
    t.Band(btMasterData, 160, 18, "products");
    t.Row(160, columns);
    t.Band(btGroupFooter, 190, 30);
    t.Text(128, 194, 420, 20, "[category]: [COUNT()] prodotti", taLeft, emf::fsBold);
    t.Text(548, 194, 207, 20, "un pezzo di ciascuno: [SUM(price)]", taRight, emf::fsBold).Format = Money();
    t.Band(btReportSummary, 230, 30);
    t.Text(38, 236, 717, 20, "[COUNT()] prodotti", taRight, emf::fsBold);
    t.Band(btPageFooter, 280, 30);
    t.Text(38, 286, 300, 18, "Listino al [DATE]");
    t.Text(455, 286, 300, 18, "Pagina [PAGE#] di [TOTALPAGES]", taRight);
    t.Save(file);
}

void MakeInvoices(TComponent& module, const fs::path& file) {
    const std::vector<Column> columns = {{38, 90, "Prodotto", "[product_id]", taLeft},
                                         {128, 120, "Quantit\xE0", "[quantity]", taLeft},
                                         {248, 170, "Prezzo", "[price]", taRight},
                                         {418, 150, "Sconto %", "[discount]", taRight},
                                         {568, 187, "Importo", "[quantity * price * (100 - discount) / 100]", taRight}};
    Template t(module);
    t.Dataset("invoices");
    t.Dataset("invoice_lines", "invoice_id = Dati.invoices.id");
    t.Report().TwoPass = 1;
    t.Band(btMasterData, 40, 60, "invoices");
    t.Text(38, 44, 400, 24, "Fattura [number] del [date]", taLeft, emf::fsBold, 12).FillColor = kGroup;
    t.Text(438, 44, 317, 24, "cliente n. [customer_id]", taRight, 0, 10).FillColor = kGroup;
    t.Text(38, 70, 717, 18, "Pagamento: [payment]");
    t.Band(btDetailHeader, 110, 26);
    t.Headings(112, columns);
    t.Band(btDetailData, 150, 18, "invoice_lines");
    t.Row(150, columns);
    t.Band(btDetailFooter, 180, 40);
    TcvMemoView& total = t.Text(418, 184, 337, 20, "Totale: [SUM(quantity * price * (100 - discount) / 100)]",
                                taRight, emf::fsBold);
    total.Format = Money();
    total.FrameSides = fsTop;
    t.Band(btPageFooter, 240, 30);
    t.Text(455, 246, 300, 18, "Pagina [PAGE#] di [TOTALPAGES]", taRight);
    t.Save(file);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path("examples");
    try {
        EngineUnits units(nullptr);
        data::DatabaseModule module(data::Database::Open((folder / "demo.sqlite").string()), nullptr);
        module.SetName("Dati");
        data::ApplicationModules().AddDataModule(module);
        MakePriceList(module, folder / "listino.cvf");
        MakeInvoices(module, folder / "fatture.cvf");
    } catch (const EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
