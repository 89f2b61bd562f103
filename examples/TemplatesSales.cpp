// The sales documents among the example templates: the price list, the invoice listing, and the
// invoice (one per page, or one per report with prepare-many).
#include "examples/Templates.h"

#include "engine/model/CV_Page.h"

namespace examples {

namespace {

// An invoice line's amount after its discount, in SQL.
constexpr char kLineAmount[] = "ROUND(l.quantity * l.price * (100 - COALESCE(l.discount, 0)) / 100.0, 2)";

}  // namespace

std::string LineAmountSql() { return kLineAmount; }

void MakePriceList(Template& t) {
    const std::vector<Column> columns = {{38, 90, "Codice", "[code]", taLeft},
                                         {128, 420, "Descrizione", "[description]", taLeft},
                                         {548, 70, "Unit\xE0", "[unit]", taLeft},
                                         {618, 137, "Prezzo", "[price]", taRight}};
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
}

void MakeInvoices(Template& t) {
    const std::vector<Column> columns = {{38, 90, "Prodotto", "[product_id]", taLeft},
                                         {128, 120, "Quantit\xE0", "[quantity]", taLeft},
                                         {248, 170, "Prezzo", "[price]", taRight},
                                         {418, 150, "Sconto %", "[discount]", taRight},
                                         {568, 187, "Importo", "[quantity * price * (100 - discount) / 100]", taRight}};
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
}

Queries InvoiceQueries() {
    return {{"invoice_rows",
             "SELECT i.id AS invoice_id, i.number, i.date, i.payment, i.notes, c.name AS customer, c.address, "
             "c.postcode, c.city, c.province, p.code, p.description, p.unit, p.vat_rate, l.quantity, l.price, "
             "CASE WHEN l.discount IS NULL THEN '' ELSE printf('%g', l.discount) END AS discount, " + LineAmountSql() + " AS amount "
             "FROM invoice_lines l JOIN invoices i ON i.id = l.invoice_id JOIN customers c ON c.id = i.customer_id "
             "JOIN products p ON p.id = l.product_id "
             "WHERE :invoice_id IS NULL OR i.id = :invoice_id ORDER BY i.id, p.vat_rate DESC, l.id"}};
}

namespace {

// The letterhead and the customer's address, the invoice's number, date and payment.
void InvoiceHeading(Template& t, int top) {
    t.Picture(38, top + 4, 240, 80, Logo());
    t.Text(38, top + 88, 330, 16, "Via dei Mille 12, 40121 Bologna (BO)", taLeft, 0, 8);
    t.Text(38, top + 104, 330, 16, "P. IVA 01234567890 - tel. 051 234567", taLeft, 0, 8);
    t.Text(440, top + 10, 315, 18, "Spett.le");
    t.Text(440, top + 30, 315, 20, "[customer]", taLeft, emf::fsBold, 11);
    t.Text(440, top + 52, 315, 18, "[address]");
    t.Text(440, top + 72, 315, 18, "[postcode] [city] ([province])");
    TcvMemoView& title = t.Text(38, top + 136, 717, 28, "Fattura n. [number] del [date]", taLeft, emf::fsBold, 14);
    title.FillColor = kGroup;
    t.Text(38, top + 168, 717, 18, "Pagamento: [payment]");
}

// The invoice's totals, the total in words and the notes.
void InvoiceTotals(Template& t, int top) {
    const std::string gross = "SUM(amount * (100 + vat_rate))";  // in cents
    t.Text(420, top + 6, 200, 18, "Totale imponibile", taRight);
    t.Text(620, top + 6, 135, 18, "[SUM(amount)]", taRight).Format = Money();
    t.Text(420, top + 24, 200, 18, "Totale IVA", taRight);
    t.Text(620, top + 24, 135, 18, "[SUM(amount * vat_rate / 100)]", taRight).Format = Money();
    t.Text(420, top + 44, 200, 24, "Totale fattura", taRight, emf::fsBold, 12).FillColor = kTotal;
    TcvMemoView& total = t.Text(620, top + 44, 135, 24, "[EURO(" + gross + " / 100)]", taRight, emf::fsBold, 12);
    total.FillColor = kTotal;
    total.FrameSides = fsTop | fsBottom;
    const std::string cents = "ROUND(" + gross + ")";
    t.Text(38, top + 76, 717, 18,
           "Totale in lettere: euro [NUMBERTOLETTER(TRUNC(" + cents + " / 100))]/[FORMATFLOAT('00', " + cents +
               " - TRUNC(" + cents + " / 100) * 100)]",
           taLeft, emf::fsItalic);
    t.Text(38, top + 98, 717, 18, "[notes]", taLeft, 0, 9);
}

}  // namespace

void MakeInvoice(Template& t) {
    const std::vector<Column> columns = {{38, 70, "Codice", "[code]", taLeft},
                                         {108, 282, "Descrizione", "[description]", taLeft},
                                         {390, 60, "Q.t\xE0", "[quantity] [unit]", taRight, false},
                                         {450, 70, "Prezzo", "[price]", taRight},
                                         {520, 70, "Sconto %", "[discount]", taRight, false},
                                         {590, 50, "IVA %", "[vat_rate]", taRight, false},
                                         {640, 115, "Importo", "[amount]", taRight}};
    t.Dataset("invoice_rows");
    t.Band(btGroupHeader, 20, 226, "invoice_id", boForceNewPage);
    InvoiceHeading(t, 20);
    t.Headings(220, columns);
    t.Band(btGroupHeader, 260, 20, "vat_rate");
    t.Text(38, 261, 400, 18, "Aliquota IVA [vat_rate]%", taLeft, emf::fsItalic, 9);
    t.Band(btMasterData, 290, 18, "invoice_rows");
    t.Row(290, columns);
    t.Band(btGroupFooter, 320, 24);
    t.Text(200, 323, 300, 18, "Imponibile al [vat_rate]%", taRight, 0, 9);
    t.Text(500, 323, 90, 18, "[SUM(amount)]", taRight, 0, 9).Format = Money();
    t.Text(590, 323, 50, 18, "IVA", taRight, 0, 9);
    t.Text(640, 323, 115, 18, "[SUM(amount * vat_rate / 100)]", taRight, 0, 9).Format = Money();
    t.Band(btGroupFooter, 360, 124);
    InvoiceTotals(t, 360);
    t.Band(btPageFooter, 500, 26);
    t.Text(38, 504, 500, 16, "Tessaly forniture per ufficio s.r.l.", taLeft, 0, 8);
    t.Text(555, 504, 200, 16, "Pagina [PAGE#]", taRight, 0, 8);
}

}  // namespace examples
