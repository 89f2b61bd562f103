#pragma once
// The datasets of the tests of names: a data module "Dati" (dataset "righe": prezzo, qta, nota) and
// a form "Vendite" (dataset "clienti": nome, saldo, "ragione sociale", dal, attivo, foto), open and
// known to the application until the end. A report owned by the form finds both.
#include "platform/core/Component.h"
#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly::testing {

class SalesModules {
public:
    SalesModules() {
        form.SetName("Vendite");
        module.SetName("Dati");
        righe->SetName("righe");
        clienti->SetName("clienti");
        righe->SetColumns({{"prezzo", data::FieldKind::Float}, {"qta", data::FieldKind::Integer},
                           {"nota", data::FieldKind::String}});
        clienti->SetColumns({{"nome", data::FieldKind::String}, {"saldo", data::FieldKind::Currency},
                             {"ragione sociale", data::FieldKind::String}, {"dal", data::FieldKind::DateTime},
                             {"attivo", data::FieldKind::Boolean}, {"foto", data::FieldKind::Graphic}});
        righe->AppendRow({Variant(12.5), Variant(4), Variant("prima")});
        righe->AppendRow({Variant(0.35), Variant(100), Variant()});
        clienti->AppendRow({Variant("Mario"), Variant(Currency::FromScaled(15000)), Variant("Rossi srl"),
                            Variant::DateTime(36104), Variant(true), Variant()});
        righe->Open();
        clienti->Open();
        data::ApplicationModules().AddForm(form);
        data::ApplicationModules().AddDataModule(module);
    }
    ~SalesModules() {
        data::ApplicationModules().Remove(form);
        data::ApplicationModules().Remove(module);
    }
    SalesModules(const SalesModules&) = delete;
    SalesModules& operator=(const SalesModules&) = delete;

    TComponent form{nullptr};
    data::TDataModule module{nullptr};
    data::MemoryDataset* righe = new data::MemoryDataset(&module);  // owned by the module
    data::MemoryDataset* clienti = new data::MemoryDataset(&form);  // owned by the form
};

}  // namespace tessaly::testing
