#pragma once
// A few rows of the demo database's tables in memory, in a data module "Dati" like the one the
// sample templates read, and a table "righe" (n, nome) that the tests' templates read: templates
// prepare against it without a database file. Some values are null, as in the demo data.
#include <string>
#include <vector>

#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly::testing {

class MemoryDemoData {
public:
    using Kind = data::FieldKind;

    MemoryDemoData() {
        module_.SetName("Dati");
        Table("customers", {{"id", Kind::Integer}, {"name", Kind::String}, {"address", Kind::String},
                            {"city", Kind::String}, {"province", Kind::String}, {"postcode", Kind::String},
                            {"phone", Kind::String}});
        Table("products", {{"id", Kind::Integer}, {"code", Kind::String}, {"description", Kind::String},
                           {"category", Kind::String}, {"unit", Kind::String}, {"price", Kind::Currency},
                           {"vat_rate", Kind::Integer}});
        Table("invoices", {{"id", Kind::Integer}, {"number", Kind::String}, {"customer_id", Kind::Integer},
                           {"date", Kind::DateTime}, {"payment", Kind::String}, {"notes", Kind::Memo}});
        Table("invoice_lines", {{"id", Kind::Integer}, {"invoice_id", Kind::Integer}, {"product_id", Kind::Integer},
                                {"quantity", Kind::Integer}, {"price", Kind::Currency}, {"discount", Kind::Float}});
        Table("righe", {{"n", Kind::Integer}, {"nome", Kind::String}});
        Fill();
        // Open, as a host opens its data: named values bound to fields read them from the start.
        for (data::MemoryDataset* table : tables_) table->Open();
        data::ApplicationModules().AddDataModule(module_);
    }
    ~MemoryDemoData() { data::ApplicationModules().Remove(module_); }
    MemoryDemoData(const MemoryDemoData&) = delete;
    MemoryDemoData& operator=(const MemoryDemoData&) = delete;

    data::TDataModule& Module() { return module_; }

private:
    static Variant Money(int cents) { return Variant(Currency::FromScaled(int64_t(cents) * 100)); }

    void Table(const char* name, std::vector<data::FieldDef> columns) {
        auto* table = new data::MemoryDataset(&module_, std::move(columns));
        table->SetName(name);
        tables_.push_back(table);
    }

    void Fill() {
        const Variant null = Variant::Null();
        const char* const cities[] = {"Forl\xEC", "Bologna", "Ravenna"};
        for (int i = 1; i <= 3; ++i)
            tables_[0]->AppendRow({Variant(i), Variant("Cliente " + std::to_string(i)), i == 2 ? null : Variant("Via Roma 1"),
                                   Variant(cities[i - 1]), Variant("FC"), Variant("47121"), i == 3 ? null : Variant("0543 1")});
        const char* const categories[] = {"Carta", "Carta", "Penne", "Caff\xE8"};
        for (int i = 1; i <= 4; ++i)
            tables_[1]->AppendRow({Variant(i), Variant("CAN-00" + std::to_string(i)), Variant("Articolo " + std::to_string(i)),
                                   Variant(categories[i - 1]), Variant("pz"), Money(150 * i), Variant(i == 4 ? 10 : 22)});
        for (int i = 1; i <= 3; ++i)
            tables_[2]->AppendRow({Variant(i), Variant("2024/00" + std::to_string(i)), Variant(i), Variant::DateTime(45300 + 31 * i),
                                   Variant("Bonifico"), i == 1 ? Variant("Consegna al mattino") : null});
        for (int i = 1; i <= 6; ++i)
            tables_[3]->AppendRow({Variant(i), Variant((i + 1) / 2), Variant(i % 4 + 1), Variant(i * 2), Money(150 * i),
                                   i == 3 ? Variant(5.0) : null});
        for (int i = 1; i <= 5; ++i) tables_[4]->AppendRow({Variant(i), i == 4 ? null : Variant("Riga " + std::to_string(i))});
    }

    data::TDataModule module_{nullptr};
    std::vector<data::MemoryDataset*> tables_;  // owned by the module
};

}  // namespace tessaly::testing
