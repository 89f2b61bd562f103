// Tables among the example templates: a cross table of sales by category and month, and two
// sub-reports side by side.
#include "examples/Templates.h"

#include "engine/model/CV_Page.h"

namespace examples {

namespace {

// Invoice lines with their product's category, month and amount, in SQL.
std::string SalesRows() {
    return "SELECT p.category, strftime('%m', i.date) AS month, " + LineAmountSql() +
           " AS amount FROM invoice_lines l JOIN invoices i ON i.id = l.invoice_id "
           "JOIN products p ON p.id = l.product_id";
}

}  // namespace

Queries SalesQueries() {
    return {{"categories", "SELECT category, SUM(amount) AS total FROM (" + SalesRows() +
                               ") GROUP BY category ORDER BY category"},
            // Every category has its twelve months, sold or not.
            {"monthly",
             "WITH months(month, name) AS (VALUES ('01', 'Gen'), ('02', 'Feb'), ('03', 'Mar'), ('04', 'Apr'), "
             "('05', 'Mag'), ('06', 'Giu'), ('07', 'Lug'), ('08', 'Ago'), ('09', 'Set'), ('10', 'Ott'), "
             "('11', 'Nov'), ('12', 'Dic')), sales AS (" + SalesRows() + ") "
             "SELECT c.category, m.month, m.name, (SELECT COALESCE(SUM(s.amount), 0) FROM sales s "
             "WHERE s.category = c.category AND s.month = m.month) AS amount "
             "FROM (SELECT DISTINCT category FROM products) c CROSS JOIN months m ORDER BY c.category, m.month"}};
}

// Categories down, months across (A4 landscape): a column per record of "monthly", which the
// filter keeps to the category of the row.
void MakeSales(Template& t) {
    t.CurrentPage().ChangePaper(9, 2100, 2970, 1);
    t.Dataset("categories");
    t.Dataset("monthly", "category = Dati.categories.category");
    t.Band(btReportTitle, 20, 44);
    t.Text(38, 24, 700, 30, "Vendite per categoria e mese", taLeft, emf::fsBold, 16);
    auto column = [&](int type, int left, int width, const char* dataset) {
        TcvBandView& band = t.Band(type, 10, 700, dataset);
        band.Left = left;
        band.Width = width;
    };
    column(btCrossHeader, 38, 150, "");
    column(btCrossData, 188, 62, "monthly");
    column(btCrossFooter, 250, 100, "");
    t.Band(btMasterHeader, 80, 24);
    t.Text(38, 80, 150, 24, "Categoria", taLeft, emf::fsBold).FillColor = kHeading;
    t.Text(188, 80, 62, 24, "[name]", taRight, emf::fsBold).FillColor = kHeading;
    t.Text(250, 80, 100, 24, "Totale", taRight, emf::fsBold).FillColor = kHeading;
    t.Band(btMasterData, 120, 22, "categories");
    TcvMemoView& category = t.Text(38, 120, 150, 22, "[Dati.categories.category]", taLeft, 0, 9);
    category.FrameSides = fsBottom;
    category.FrameColor = kRule;
    TcvMemoView& cell = t.Text(188, 120, 62, 22, "[amount]", taRight, 0, 9);
    cell.Format = Money();
    cell.FrameSides = fsBottom;
    cell.FrameColor = kRule;
    TcvMemoView& total = t.Text(250, 120, 100, 22, "[Dati.categories.total]", taRight, emf::fsBold, 9);
    total.Format = Money();
    total.FrameSides = fsBottom;
    total.FrameColor = kRule;
}

Queries SummaryQueries() {
    return {{"best_customers",
             "SELECT c.name, COUNT(DISTINCT i.id) AS invoices, SUM(" + LineAmountSql() + ") AS amount "
             "FROM invoice_lines l JOIN invoices i ON i.id = l.invoice_id JOIN customers c ON c.id = i.customer_id "
             "GROUP BY c.id ORDER BY amount DESC LIMIT 15"},
            {"best_products",
             "SELECT p.description, SUM(l.quantity) AS quantity, p.unit FROM invoice_lines l "
             "JOIN products p ON p.id = l.product_id GROUP BY p.id ORDER BY quantity DESC, p.description LIMIT 15"},
            {"year", "SELECT COUNT(*) AS invoices FROM invoices"}};
}

// Page 1 holds two placeholders side by side; pages 2 and 3 are the sub-reports they print.
void MakeSummary(Template& t) {
    t.Dataset("year");
    t.Dataset("best_customers");
    t.Dataset("best_products");
    t.Band(btReportTitle, 20, 60);
    t.Text(38, 24, 717, 30, "Riepilogo dell'anno", taLeft, emf::fsBold, 16);
    t.Band(btMasterData, 100, 60, "year");
    t.Text(38, 100, 717, 20, "[invoices] fatture emesse", taLeft, emf::fsItalic);
    t.SubReport(38, 130, 350, 20, 1);
    t.SubReport(405, 130, 350, 20, 2);
    t.OnPage(1);
    t.Band(btMasterHeader, 100, 24);
    t.Headings(100, {{38, 210, "Cliente", "", taLeft}, {248, 40, "Fatt.", "", taRight}, {288, 100, "Importo", "", taRight}});
    t.Band(btMasterData, 130, 18, "best_customers");
    t.Row(130, {{38, 210, "", "[name]", taLeft}, {248, 40, "", "[invoices]", taRight, false},
                {288, 100, "", "[amount]", taRight}}, 9);
    t.OnPage(2);
    t.Band(btMasterHeader, 100, 24);
    t.Headings(100, {{38, 280, "Prodotto", "", taLeft}, {318, 70, "Venduti", "", taRight}});
    t.Band(btMasterData, 130, 18, "best_products");
    t.Row(130, {{38, 280, "", "[description]", taLeft}, {318, 70, "", "[quantity] [unit]", taRight, false}}, 9);
}

}  // namespace examples
