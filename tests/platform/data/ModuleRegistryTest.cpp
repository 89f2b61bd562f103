// Components found by name: on their owner, and through the application's forms and data modules
// ("Module.Component", the last matching module wins); freed components are never found.
#include <gtest/gtest.h>

#include "common/SqliteFile.h"
#include "common/TestFiles.h"
#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/data/SqlDataset.h"

namespace tessaly::data {
namespace {

TComponent* Named(TComponent* c, const char* name) {
    c->SetName(name);
    return c;
}

TEST(ModuleRegistryTest, FindComponentIgnoresTheCaseOfLettersAndTakesTheFirst) {
    TComponent form(nullptr);
    auto* first = Named(new MemoryDataset(&form), "Clienti");
    Named(new MemoryDataset(&form), "CLIENTI");
    auto* other = Named(new TComponent(&form), "Fornitori");
    EXPECT_EQ(form.FindComponent("clienti"), first);
    EXPECT_EQ(form.FindComponent("fORNITORI"), other);
    EXPECT_EQ(form.FindComponent("Client"), nullptr);
    EXPECT_EQ(form.FindComponent(""), nullptr);
}

// Forms F1 "Dati" and F2 "Altro", data modules M1 "DATI" and M2 "dati", a data module M3 "Dati"
// owned by F2; each holds a dataset named after itself.
class LookupTest : public ::testing::Test {
protected:
    LookupTest() {
        f1.SetName("Dati");
        f2.SetName("Altro");
        m1.SetName("DATI");
        m2.SetName("dati");
        m3 = new TDataModule(&f2);
        m3->SetName("Dati");
        for (TComponent* c : std::initializer_list<TComponent*>{&f1, &f2, &m1, &m2, m3})
            Named(new MemoryDataset(c), "Tabella");
        Named(new MemoryDataset(&f1), "SoloF1");
    }
    TComponent* DatasetOf(TComponent* c) { return c->FindComponent("Tabella"); }

    ModuleRegistry registry;
    TComponent f1{nullptr}, f2{nullptr};
    TDataModule m1{nullptr}, m2{nullptr};
    TDataModule* m3;
};

TEST_F(LookupTest, TheLastMatchWinsAmongFormsModulesAndModulesOfForms) {
    EXPECT_EQ(registry.FindModule("dati"), nullptr);
    registry.AddForm(f1);
    EXPECT_EQ(registry.FindModule("dati"), &f1);
    registry.AddDataModule(m1);
    EXPECT_EQ(registry.FindModule("dati"), &m1);
    registry.AddDataModule(m2);
    registry.AddDataModule(m1);  // again: keeps its first place
    EXPECT_EQ(registry.DataModules(), (std::vector<TComponent*>{&m1, &m2}));
    EXPECT_EQ(registry.FindModule("dati"), &m2);
    registry.AddForm(f2);
    EXPECT_EQ(registry.FindModule("DATI"), m3);
    EXPECT_EQ(registry.FindModuleComponent("dati.tabella"), DatasetOf(m3));
    EXPECT_EQ(registry.FindModuleComponent("Dati.SoloF1"), nullptr) << "only the winning module is searched";
    EXPECT_EQ(registry.FindModuleComponent("Altro.Tabella"), DatasetOf(&f2));
    EXPECT_EQ(registry.FindForm("dati"), &f1);
    EXPECT_EQ(registry.FindForm("DATI"), &f1) << "forms only";
    for (const char* bad : {"Dati", "Nessuno.Tabella", ".Tabella", "Dati.", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(registry.FindModuleComponent(bad), nullptr);
    }
    registry.Remove(f2);
    EXPECT_EQ(registry.FindModule("dati"), &m2);
    registry.Remove(m2);
    registry.Remove(m1);
    EXPECT_EQ(registry.FindModuleComponent("Dati.SoloF1"), f1.FindComponent("SoloF1"));
}

TEST_F(LookupTest, FreedModulesAndDatasetsAreNeverFound) {
    registry.AddForm(f1);
    registry.AddForm(f2);
    auto* late = new TDataModule(nullptr);
    late->SetName("Tardi");
    Named(new MemoryDataset(late), "Tabella");
    registry.AddDataModule(m1);
    registry.AddDataModule(*late);
    EXPECT_NE(registry.FindModuleComponent("Tardi.Tabella"), nullptr);
    delete late;
    EXPECT_EQ(registry.DataModules(), (std::vector<TComponent*>{&m1}));
    EXPECT_EQ(registry.FindModuleComponent("Tardi.Tabella"), nullptr);

    delete m3;  // the form's data module, with its dataset
    EXPECT_EQ(f2.ComponentCount(), 1);
    EXPECT_EQ(registry.FindModule("Dati"), &m1);
    delete DatasetOf(&m1);
    EXPECT_EQ(registry.FindModuleComponent("Dati.Tabella"), nullptr);
}

// A component that keeps a reference to a dataset, as a report dataset does.
struct Holder : TComponent {
    Holder() : TComponent(nullptr) {}
    void Hold(Dataset* ds) {
        if (held) held->RemoveFreeNotification(this);
        held = ds;
        if (held) held->FreeNotification(this);
    }
    void Notification(TComponent* freed) override {
        if (freed == held) held = nullptr;
        ++told;
    }
    Dataset* held = nullptr;
    int told = 0;
};

TEST(FreeNotificationTest, AHolderIsToldWhenItsDatasetIsFreedAndEitherMayGoFirst) {
    Holder holder;
    auto* module = new TDataModule(nullptr);
    holder.Hold(new MemoryDataset(module));
    delete module;  // frees the dataset with it
    EXPECT_EQ(holder.held, nullptr);
    EXPECT_EQ(holder.told, 1);

    MemoryDataset kept(nullptr);
    holder.Hold(&kept);
    holder.Hold(nullptr);  // withdrawn: not told any more
    {
        MemoryDataset shortLived(nullptr);
        holder.Hold(&shortLived);
        holder.Hold(&kept);
    }
    EXPECT_EQ(holder.told, 1);
    {
        auto early = std::make_unique<Holder>();
        early->Hold(&kept);
        kept.FreeNotification(early.get());  // asked twice: told once
    }  // the holder goes first; the dataset must not tell it later
    holder.Hold(&kept);
}

TEST(DatabaseModuleTest, HoldsOneClosedDatasetPerTableAndViewNamedLikeIt) {
    testing::TempFolder folder("database-module");
    testing::RunSqlite(folder / "anagrafe.db",
                       "CREATE TABLE persone(nome TEXT); INSERT INTO persone VALUES('Anna');"
                       "CREATE TABLE citta(nome TEXT); CREATE VIEW adulti AS SELECT * FROM persone;");
    ModuleRegistry registry;
    TComponent form(nullptr);
    form.SetName("FormPrincipale");
    auto* module = new DatabaseModule(Database::Open((folder / "anagrafe.db").string()), &form);
    module->SetName("Anagrafe");
    registry.AddForm(form);
    ASSERT_EQ(module->ComponentCount(), 3);
    std::vector<std::string> names;
    for (int i = 0; i < module->ComponentCount(); ++i) {
        auto* ds = dynamic_cast<SqlDataset*>(module->Components(i));
        ASSERT_NE(ds, nullptr);
        EXPECT_FALSE(ds->Active());
        EXPECT_EQ(ds->TableName(), ds->Name());
        names.push_back(ds->Name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"adulti", "citta", "persone"}));
    auto* adults = dynamic_cast<Dataset*>(registry.FindModuleComponent("anagrafe.ADULTI"));
    ASSERT_NE(adults, nullptr);
    adults->Open();
    EXPECT_EQ(adults->FindField("nome")->Value().AsString(), "Anna");
}  // the form frees the module with an open dataset

}  // namespace
}  // namespace tessaly::data
