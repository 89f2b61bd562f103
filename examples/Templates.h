#pragma once
// The example templates: one function builds each on a Template; the queries each reads beyond
// the demo database's tables go into its embedded database.
#include <string>

#include "examples/TemplateKit.h"

namespace examples {

std::string LineAmountSql();

void MakePriceList(Template& t);  // listino.cvf
void MakeInvoices(Template& t);   // fatture.cvf
void MakeInvoice(Template& t);    // invoice.cvf
Queries InvoiceQueries();
void MakeCustomers(Template& t);  // customers.cvf
Queries CustomerQueries();
void MakeLabels(Template& t);  // labels.cvf
void MakeCatalogue(Template& t);  // catalogue.cvf
void MakeSales(Template& t);  // sales.cvf
Queries SalesQueries();
void MakeSummary(Template& t);  // summary.cvf
Queries SummaryQueries();

}  // namespace examples
