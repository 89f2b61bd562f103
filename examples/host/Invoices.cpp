#include "Invoices.h"

#include <algorithm>
#include <cmath>

using tessaly::data::FieldDef;
using tessaly::data::FieldKind;

std::vector<Invoice> SampleInvoices() {
    return {
        {1, "2025/001", QDate(2025, 1, 15), "Bonifico 30 gg", "Consegna al magazzino di via Emilia.",
         "Cartoleria Bianchi s.n.c.", "Via Roma 4", "40121", "Bologna", "BO",
         {{"CAR-01", "Carta A4 80 g, risma da 500 fogli", "pz", 22, 10, 4.90, 0},
          {"PEN-12", "Penna a sfera blu", "pz", 22, 40, 0.45, 10},
          {"LIB-03", "Agenda 2025", "pz", 4, 3, 12.00, 0}}},
        {2, "2025/002", QDate(2025, 2, 3), "Rimessa diretta", "",
         "Studio Verdi & Associati", "Corso Italia 120", "20122", "Milano", "MI",
         {{"TON-07", "Toner nero per stampante laser", "pz", 22, 2, 58.00, 5},
          {"RAC-02", "Raccoglitore ad anelli", "pz", 22, 12, 2.35, 0}}},
    };
}

std::vector<FieldDef> InvoiceRowColumns() {
    return {{"invoice_id", FieldKind::Integer}, {"number", FieldKind::String},   {"date", FieldKind::DateTime},
            {"payment", FieldKind::String},     {"notes", FieldKind::Memo},      {"customer", FieldKind::String},
            {"address", FieldKind::String},     {"postcode", FieldKind::String}, {"city", FieldKind::String},
            {"province", FieldKind::String},    {"code", FieldKind::String},     {"description", FieldKind::String},
            {"unit", FieldKind::String},        {"vat_rate", FieldKind::Integer}, {"quantity", FieldKind::Integer},
            {"price", FieldKind::Currency},     {"discount", FieldKind::String}, {"amount", FieldKind::Currency}};
}

namespace {

QVariantList Row(const Invoice& i, const InvoiceLine& l) {
    const double amount = std::round(l.quantity * l.price * (100 - l.discount)) / 100;
    const QString discount = l.discount > 0 ? QString::number(l.discount) : QString();
    return {i.id,      i.number, i.date,        i.payment, i.notes,      i.customer,   i.address,
            i.postcode, i.city,  i.province,    l.code,    l.description, l.unit,      l.vatRate,
            l.quantity, l.price, discount,      amount};
}

}  // namespace

std::vector<QVariantList> InvoiceRows(const std::vector<Invoice>& invoices) {
    std::vector<QVariantList> rows;
    for (const Invoice& invoice : invoices) {
        std::vector<InvoiceLine> lines = invoice.lines;
        std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.vatRate > b.vatRate; });
        for (const InvoiceLine& line : lines) rows.push_back(Row(invoice, line));
    }
    return rows;
}
