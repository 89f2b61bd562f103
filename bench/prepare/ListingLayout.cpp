#include "bench/prepare/ListingLayout.h"

#include <QDate>

#include "bench/common/TemplateObjects.h"
#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_BandType.h"

namespace tessaly::bench {

void AddListing(TcvReport& report, data::Dataset& rows, bool twoPass) {
    auto* walker = new TcvDBDataSet(nullptr);  // the report's: it leaves with the report
    walker->SetName("righe");
    walker->SetDataSet(&rows);
    report.AddDataset("righe", walker);
    report.SetShowProgress(false);
    report.TwoPass = twoPass;
    AddBand(report, btPageHeader, 40, 24);
    const char* headings[] = {"Codice", "Descrizione", "Quantit\xE0", "Prezzo", "Data", "Note"};
    const char* fields[] = {"[codice]", "[descrizione]", "[quantita]", "[prezzo]", "[data]", "[note]"};
    for (int i = 0; i < 6; ++i) AddText(report, 38 + i * 120, 42, 115, headings[i]);
    AddBand(report, btMasterData, 80, 18, "righe");
    for (int i = 0; i < 6; ++i) AddText(report, 38 + i * 120, 80, 115, fields[i]);
    AddBand(report, btPageFooter, 120, 24);
    AddText(report, 600, 122, 115, twoPass ? "Pagina [PAGE#] di [TOTALPAGES]" : "Pagina [PAGE#]");
}

std::vector<data::FieldDef> ListingColumns() {
    using data::FieldKind;
    return {{"codice", FieldKind::String},   {"descrizione", FieldKind::String}, {"quantita", FieldKind::Integer},
            {"prezzo", FieldKind::Float},    {"data", FieldKind::DateTime},     {"note", FieldKind::String}};
}

QVariantList ListingRow(int i) {
    static const QDate dayZero(1899, 12, 30);
    return {QString("A%1").arg(10000 + i), QString("Articolo %1").arg(i % 977), i % 50, i * 0.37,
            dayZero.addDays(45000 + i % 365), QString(i % 3 ? "" : "da ordinare")};
}

}  // namespace tessaly::bench
