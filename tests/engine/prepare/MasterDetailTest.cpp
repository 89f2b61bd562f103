// Master, detail and sub-detail: the levels print together, a detail is linked to its master
// record through a filter or through query parameters, and the footers' totals belong to it.
#include "common/SqliteFile.h"
#include "engine/prepare/ReportBuilder.h"
#include "platform/data/DataModule.h"
#include "platform/data/SqlDataset.h"

namespace preparetest {
namespace {

using Lines = std::vector<std::string>;

class MasterDetail : public ::testing::Test {
protected:
    void Orders() {
        b.Data("Ordini", {{"id", data::FieldKind::Integer}, {"cliente", data::FieldKind::String}},
               {{Variant(1), Variant("Rossi")}, {Variant(2), Variant("Bianchi")}, {Variant(3), Variant("Verdi")}});
        b.Data("Righe", {{"ordine", data::FieldKind::Integer}, {"importo", data::FieldKind::Integer}},
               {{Variant(1), Variant(10)}, {Variant(1), Variant(20)}, {Variant(3), Variant(5)}});
    }
    // The detail header names a master field: qualified, since its unqualified names are the
    // detail's.
    void Layout(const std::string& detailHeader = "righe di [Ordini.cliente]") {
        b.Line(btMasterHeader, 40, 20, "Ordini");
        b.Line(btMasterData, 70, 20, "[cliente]", "Ordini");
        b.Band(btDetailHeader, 100, 20);
        b.Text(10, 101, detailHeader);
        b.Line(btDetailData, 130, 20, "[importo]", "Righe");
        b.Line(btDetailFooter, 160, 20, "totale [SUM(importo)] in [COUNT()]");
        b.Line(btMasterFooter, 190, 20, "fine [SUM(id)]");
    }
    // Each order's own lines, through a filter whose unqualified names are the detail's fields.
    void Filter() {
        TcvDBDataSet& righe = b.Walker("Righe");
        righe.Filter = "ordine = Ordini.id";
        righe.Filtered = true;
    }

    ReportBuilder b;
};

TEST_F(MasterDetail, WithoutALinkEveryMasterRecordWalksTheWholeDetail) {
    Orders();
    Layout();
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Ordini", "Rossi", "righe di Rossi", "10", "20", "5", "totale 35 in 3",  //
                                   "Bianchi", "righe di Bianchi", "10", "20", "5", "totale 35 in 3",      //
                                   "Verdi", "righe di Verdi", "10", "20", "5", "totale 35 in 3", "fine 6"}));
}

TEST_F(MasterDetail, AFilterLinksTheDetailToItsMasterAndTheDetailFooterRestartsForEachMaster) {
    Orders();
    Layout();
    Filter();
    ASSERT_TRUE(b.Prepare()) << b.error;
    // Bianchi has no lines: nothing of it prints (the master's totals take in every record).
    EXPECT_EQ(b.AllLines(), (Lines{"Ordini", "Rossi", "righe di Rossi", "10", "20", "totale 30 in 2",  //
                                   "Verdi", "righe di Verdi", "5", "totale 5 in 1", "fine 6"}));
}

TEST_F(MasterDetail, PrintIfDetailEmptyPrintsTheMasterRecordAlone) {
    Orders();
    Layout();
    Filter();
    b.Page().Objects(2)->Flags = boPrintIfDetailEmpty;  // the master data band
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Ordini", "Rossi", "righe di Rossi", "10", "20", "totale 30 in 2", "Bianchi",
                                   "Verdi", "righe di Verdi", "5", "totale 5 in 1", "fine 6"}));
}

TEST_F(MasterDetail, ADetailQueryTakesItsParametersFromTheMasterRecord) {
    tessaly::testing::TempFolder dir("prepare");
    tessaly::testing::RunSqlite(dir / "ordini.db",
                                "CREATE TABLE ordini(id INTEGER, cliente TEXT);"
                                "INSERT INTO ordini VALUES (1, 'Rossi'), (2, 'Bianchi'), (3, 'Verdi');"
                                "CREATE TABLE righe(ordine INTEGER, importo INTEGER);"
                                "INSERT INTO righe VALUES (1, 10), (1, 20), (3, 5);");
    auto db = data::Database::Open((dir / "ordini.db").string());
    data::DatabaseModule module(db, nullptr);
    module.SetName("Dati");
    data::ApplicationModules().AddDataModule(module);
    auto* lines = new data::SqlDataset(db, &module);
    lines->SetSql("SELECT importo FROM righe WHERE ordine = :id ORDER BY importo");
    b.Walk("Ordini", *dynamic_cast<data::Dataset*>(module.FindComponent("ordini")));
    b.Walk("Righe", *lines);
    Layout("righe di [Dati.ordini.cliente]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Ordini", "Rossi", "righe di Rossi", "10", "20", "totale 30 in 2",  //
                                   "Verdi", "righe di Verdi", "5", "totale 5 in 1", "fine 6"}));
    EXPECT_FALSE(lines->Active());  // closed again, as it was found
}

TEST_F(MasterDetail, TwoMasterDataBandsPrintOneAfterTheOtherEachOverItsOwnDataset) {
    Orders();
    b.Line(btMasterData, 70, 20, "[cliente]", "Ordini");
    b.Line(btMasterData, 100, 20, "[importo]", "Righe");
    b.Line(btMasterFooter, 130, 20, "fine [COUNT()]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Rossi", "Bianchi", "Verdi", "10", "20", "5", "fine 3"}));
}

TEST_F(MasterDetail, AMasterBandWithoutADatasetPrintsWithEachRecordOfTheOneBeforeIt) {
    Orders();
    b.Line(btMasterData, 70, 20, "[cliente]", "Ordini");
    b.Line(btMasterData, 100, 30, "di [cliente]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Rossi", "di Rossi", "Bianchi", "di Bianchi", "Verdi", "di Verdi"}));
    TextRecord first, second;
    b.PageOf("Rossi", &first);
    b.PageOf("Bianchi", &second);
    EXPECT_EQ(second.y - first.y, 50);  // the two bands' heights together
}

TEST_F(MasterDetail, TheSubDetailLevelPrintsWithEachDetailRecord) {
    Orders();
    Filter();
    b.Data("Note", {{"testo", data::FieldKind::String}}, {{Variant("a")}, {Variant("b")}});
    b.Line(btMasterData, 70, 20, "[cliente]", "Ordini");
    b.Line(btDetailData, 100, 20, "[importo]", "Righe");
    b.Line(btSubDetailData, 130, 20, "[testo]", "Note");
    b.Line(btSubDetailFooter, 160, 20, "note [COUNT()]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Rossi", "10", "a", "b", "note 2", "20", "a", "b", "note 2",  //
                                   "Verdi", "5", "a", "b", "note 2"}));
}

}  // namespace
}  // namespace preparetest
