// The dataset contract on the memory dataset: walking, fields, controls, failures.
#include <gtest/gtest.h>

#include "platform/data/MemoryDataset.h"
#include "WalkScript.h"

namespace tessaly::data {
namespace {

using testing::RunEmptyAndClosedRules;
using testing::RunWalkScript;

std::unique_ptr<MemoryDataset> ThreeRecords() {
    auto ds = std::make_unique<MemoryDataset>(nullptr, std::vector<FieldDef>{{"n", FieldKind::Integer},
                                                                              {"Nome", FieldKind::String}});
    ds->SetName("Clienti");
    for (int n : {10, 20, 30}) ds->AppendRow({n, "c" + std::to_string(n)});
    return ds;
}

TEST(MemoryDatasetTest, WalksByTheDatasetRules) {
    auto ds = ThreeRecords();
    RunWalkScript(*ds);
}

TEST(MemoryDatasetTest, EmptyAndClosedDatasets) {
    MemoryDataset empty(nullptr, {{"n", FieldKind::Integer}});
    empty.SetName("Vuoto");
    RunEmptyAndClosedRules(empty);
}

TEST(MemoryDatasetTest, FieldsAreFoundByNameInEitherCaseAndOutliveAClose) {
    auto ds = ThreeRecords();
    EXPECT_EQ(ds->FindField("nome"), nullptr) << "no fields before the first Open";
    ds->Open();
    Field* name = ds->FindField("NOME");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Name(), "Nome");
    EXPECT_EQ(name->Index(), 1);
    EXPECT_EQ(&name->DataSet(), ds.get());
    EXPECT_EQ(ds->FindField("Cognome"), nullptr);
    ds->Close();
    EXPECT_TRUE(name->IsNull()) << "a closed dataset has no values";
    ds->Open();
    EXPECT_EQ(ds->FindField("nome"), name) << "the same columns keep their fields";
    EXPECT_EQ(name->Value().AsString(), "c10");
    ds->Close();
    ds->SetColumns({{"n", FieldKind::Integer}, {"Nome", FieldKind::Memo}});
    ds->Open();
    EXPECT_EQ(ds->FindField("nome")->Kind(), FieldKind::Memo);
}

TEST(MemoryDatasetTest, ValuesAreKeptAsGivenAndMissingOnesAreNull) {
    MemoryDataset ds(nullptr, {{"a", FieldKind::Currency}, {"b", FieldKind::Blob}, {"c", FieldKind::String}});
    ds.AppendRow({Variant(Currency::FromScaled(12345)), Variant(std::string("\0\x01", 2))});
    ds.AppendRow({Variant(), Variant::Null()});
    ds.Open();
    EXPECT_EQ(ds.Fields(0).Value().Type(), VarType::Currency);
    auto blob = ds.Fields(1).OpenRead();
    EXPECT_EQ(blob->Size(), 2);
    EXPECT_EQ(blob->ReadU16(), 0x0100);
    EXPECT_TRUE(ds.Fields(2).IsNull()) << "a short row";
    ds.Next();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ds.Fields(i).IsNull()) << i;
        EXPECT_EQ(ds.Fields(i).OpenRead()->Size(), 0);
    }
}

TEST(MemoryDatasetTest, AFailedOpenLeavesItClosedWithTheMessage) {
    auto ds = ThreeRecords();
    ds->FailOpen("Tabella bloccata");
    try {
        ds->Open();
        ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Tabella bloccata");
    }
    EXPECT_FALSE(ds->Active());
    ds->FailOpen("");
    ds->Open();
    EXPECT_TRUE(ds->Active());
}

TEST(MemoryDatasetTest, RefreshSeesRowsChangedMeanwhile) {
    auto ds = ThreeRecords();
    ds->Open();
    ds->SetRecNo(3);
    ds->ClearRows();
    ds->AppendRow({7});
    ds->Refresh();
    EXPECT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->RecNo(), 1) << "the last record when there are fewer";
    EXPECT_EQ(ds->Fields(0).Value().AsInteger(), 7);
    ds->ClearRows();
    ds->Refresh();
    EXPECT_EQ(ds->RecNo(), 0);
    EXPECT_TRUE(ds->Eof() && ds->Bof());
    EXPECT_TRUE(ds->Fields(0).IsNull());
}

TEST(MemoryDatasetTest, ControlsStayDisabledUntilEveryDisableIsUndone) {
    MemoryDataset ds(nullptr);
    EXPECT_FALSE(ds.ControlsDisabled());
    ds.DisableControls();
    ds.DisableControls();
    ds.EnableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    ds.EnableControls();  // one too many is harmless
    ds.DisableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
}

}  // namespace
}  // namespace tessaly::data
