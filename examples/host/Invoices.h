#pragma once
// The host's own data: a few invoices with their lines, as an application holds them, and the
// rows of the template's dataset "invoice_rows" made from them (one row per line, with its
// invoice and customer).
#include <QDate>
#include <QString>
#include <QVariantList>
#include <vector>

#include <platform/data/Field.h>

struct InvoiceLine {
    QString code, description, unit;
    int vatRate = 22;
    int quantity = 1;
    double price = 0;
    double discount = 0;  // per cent
};

struct Invoice {
    int id = 0;
    QString number;
    QDate date;
    QString payment, notes;
    QString customer, address, postcode, city, province;
    std::vector<InvoiceLine> lines;
};

std::vector<Invoice> SampleInvoices();

// The columns of "invoice_rows": the names the template uses, with their kinds.
std::vector<tessaly::data::FieldDef> InvoiceRowColumns();
// One row per line, its values in column order; lines of one invoice are grouped by VAT rate.
std::vector<QVariantList> InvoiceRows(const std::vector<Invoice>& invoices);
