// Listings among the example templates: customers with their invoices and lines (queries linked
// by parameters), address labels in columns, and a catalogue with pictures.
#include "examples/Templates.h"

#include "engine/model/CV_Page.h"

namespace examples {

Queries CustomerQueries() {
    return {{"customer_list",
             "SELECT id, name, address, postcode, city, province, phone FROM customers "
             "WHERE id IN (SELECT customer_id FROM invoices) ORDER BY name"},
            // ":id" is the master record's id: the customer's, then the invoice's.
            {"customer_invoices", "SELECT id, number, date, payment FROM invoices WHERE customer_id = :id ORDER BY date, id"},
            {"invoice_details",
             "SELECT p.code, p.description, l.quantity, p.unit, " + LineAmountSql() +
                 " AS amount FROM invoice_lines l JOIN products p ON p.id = l.product_id WHERE l.invoice_id = :id "
                 "ORDER BY l.id"}};
}

void MakeCustomers(Template& t) {
    t.Dataset("customer_list");
    t.Dataset("customer_invoices");
    t.Dataset("invoice_details");
    t.Band(btReportTitle, 20, 40);
    t.Text(38, 22, 500, 28, "Clienti, fatture e righe", taLeft, emf::fsBold, 16);
    t.Text(480, 22, 275, 28, "al [DATE]", taRight);
    t.Band(btMasterData, 70, 30, "customer_list");
    TcvMemoView& name = t.Text(38, 74, 400, 22, "[name]", taLeft, emf::fsBold, 11);
    name.FillColor = kGroup;
    t.Text(438, 74, 317, 22, "[city] ([province])  [phone]", taRight).FillColor = kGroup;
    t.Band(btDetailData, 110, 22, "customer_invoices");
    t.Text(60, 112, 695, 18, "Fattura [number] del [date] - [payment]", taLeft, emf::fsBold, 9);
    t.Band(btSubDetailData, 140, 16, "invoice_details");
    t.Text(90, 140, 80, 16, "[code]", taLeft, 0, 8);
    t.Text(170, 140, 330, 16, "[description]", taLeft, 0, 8);
    t.Text(500, 140, 100, 16, "[quantity] [unit]", taRight, 0, 8);
    t.Text(620, 140, 135, 16, "[amount]", taRight, 0, 8).Format = Money();
    t.Band(btSubDetailFooter, 166, 24);
    TcvMemoView& total = t.Text(500, 168, 255, 18, "totale [SUM(amount)]", taRight, emf::fsBold, 8);
    total.Format = Money();
    total.FrameSides = fsTop;
    t.Band(btPageFooter, 220, 26);
    t.Text(455, 224, 300, 16, "Pagina [PAGE#]", taRight, 0, 8);
}

// Three columns of labels, each with a frame: the customer's name and address.
void MakeLabels(Template& t) {
    t.Dataset("customers");
    TcvPage& page = t.CurrentPage();
    page.ColumnCount = 3;
    page.ColumnGap = 12;
    t.Band(btMasterData, 40, 104, "customers");
    TcvMemoView& frame = t.Text(38, 44, 226, 96, "");
    frame.FrameSides = fsAllSides;
    frame.FrameColor = kRule;
    t.Text(46, 52, 212, 20, "[name]", taLeft, emf::fsBold, 9);
    t.Text(46, 74, 212, 18, "[address]", taLeft, 0, 9);
    t.Text(46, 94, 212, 18, "[postcode] [city] [province]", taLeft, 0, 9);
}

// The products by category, the logo at the top of every page and large on the title.
void MakeCatalogue(Template& t) {
    const std::vector<Column> columns = {{150, 90, "Codice", "[code]", taLeft},
                                         {240, 380, "Descrizione", "[description]", taLeft},
                                         {620, 135, "Prezzo", "[price]", taRight}};
    const graphics::Picture logo = Logo();
    t.Dataset("products");
    t.CurrentPage().PageHeaderOnFirstPage = 0;  // the title has the large logo
    t.Band(btReportTitle, 20, 250);
    t.Picture(217, 30, 360, 120, logo);
    t.Text(38, 170, 717, 34, "Catalogo [FORMATDATETIME('yyyy', DATE)]", taCenter, emf::fsBold, 20);
    t.Text(38, 210, 717, 22, "prezzi IVA esclusa, al [DATE]", taCenter, emf::fsItalic, 11);
    t.Band(btPageHeader, 290, 50);
    t.Picture(38, 292, 120, 40, logo);
    t.Text(455, 300, 300, 20, "Catalogo prodotti", taRight, emf::fsBold, 11);
    t.Band(btGroupHeader, 350, 60, "category");
    t.Picture(38, 352, 96, 32, logo).FrameSides = fsAllSides;
    t.Text(150, 354, 605, 26, "[category]", taLeft, emf::fsBold, 13).FillColor = kGroup;
    t.Headings(386, columns);
    t.Band(btMasterData, 420, 18, "products");
    t.Row(420, columns);
    t.Band(btPageFooter, 460, 26);
    t.Text(455, 464, 300, 16, "Pagina [PAGE#]", taRight, 0, 8);
}

}  // namespace examples
