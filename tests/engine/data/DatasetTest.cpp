// Report datasets over the data layer: ranges, filters, what a walk gives back to the database
// dataset, ranges that end at the current record, names, the list that holds a dataset, and the
// binding of bands with OnDataSetWork.
#include <gtest/gtest.h>

#include "common/EngineSupport.h"
#include "engine/data/CV_DataBinding.h"
#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_Const.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Component.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/data/MemoryDataset.h"

using namespace tessaly;
using namespace tessaly::testing;

namespace {

// A report whose texts know one name, N: the field n of the current row.
class RowsReport : public TcvReport {
public:
    explicit RowsReport(data::Dataset& rows) : TcvReport(nullptr), rows_(rows) {}

protected:
    void ResolveName(std::string_view name, const TcvExprArgs*, Variant& value) override {
        if (SameText(name, "N")) value = rows_.FindField("n")->Value();
    }

private:
    data::Dataset& rows_;
};

class DatasetTest : public ::testing::Test {
protected:
    DatasetTest() {
        rows.SetName("righe");
        for (int i = 1; i <= 5; ++i) rows.AppendRow({Variant(i)});
    }
    // The values of `n` walked from First while not Eof (at most 20).
    std::vector<int> Walk(TcvDataset& d) {
        std::vector<int> seen;
        d.First();
        for (int guard = 0; !d.Eof() && guard < 20; ++guard, d.Next())
            seen.push_back(rows.FindField("n")->Value().AsInteger());
        return seen;
    }
    EngineUnits units{nullptr};
    data::MemoryDataset rows{nullptr, {{"n", data::FieldKind::Integer}}};
    RowsReport report{rows};  // resolves the names of filters
};

}  // namespace

TEST_F(DatasetTest, ACountedRangeEndsAfterItsCountOrWhenTheHostSays) {
    TcvDBDataSet d(nullptr);
    d.SetDataSet(&rows);
    d.RangeEnd = reCount;
    d.RangeEndCount = 3;
    d.Open();
    EXPECT_EQ(Walk(d), (std::vector<int>{1, 2, 3}));
    d.OnCheckEOF = [](TcvDataset* s, bool& eof) { eof = s->RecNo >= 1; };
    EXPECT_EQ(Walk(d), (std::vector<int>{1}));
    d.Close();

    TcvDataset plain(nullptr);  // no database: the host counts
    plain.RangeEnd = reCount;
    plain.RangeEndCount = 2;
    int moves = 0;
    plain.OnNext = [&moves](TcvDataset*) { ++moves; };
    plain.First();
    EXPECT_FALSE(plain.IsLastRecord());
    plain.Next();
    EXPECT_TRUE(plain.IsLastRecord());
    plain.Next();
    EXPECT_TRUE(plain.Eof());
    EXPECT_EQ(moves, 2);

    // Without a count or a handler nothing says where its records end: it has none (or, for the
    // current record, that one), instead of going on for ever.
    TcvDataset endless(nullptr);
    endless.First();
    EXPECT_TRUE(endless.Eof());
    endless.RangeEnd = reCurrent;
    endless.First();
    EXPECT_FALSE(endless.Eof());
    endless.Next();
    EXPECT_TRUE(endless.Eof());
    endless.OnCheckEOF = [](TcvDataset* s, bool& eof) { eof = s->RecNo >= 3; };
    endless.RangeEnd = reLast;
    endless.First();
    EXPECT_FALSE(endless.Eof()) << "the host's handler decides";
}

TEST_F(DatasetTest, AFilterSkipsTheRecordsThatFailIt) {
    TcvDBDataSet d(nullptr);
    d.SetDataSet(&rows);
    d.Filtered = true;
    d.Filter = "N > 3";
    d.Open();
    EXPECT_EQ(Walk(d), (std::vector<int>{4, 5}));
    d.Filter = "N <> 3";
    d.First();
    d.Next();
    d.Next();
    EXPECT_EQ(rows.FindField("n")->Value().AsInteger(), 4);
    EXPECT_EQ(d.RecNo, 2);
    EXPECT_EQ(d.RecordsRead, 3) << "the skipped record counts as read";
    d.Filter = "N > 9";
    d.First();
    EXPECT_TRUE(d.Eof()) << "no record passes";
    d.Filter = "N > 'x'";
    try {
        d.First();
        ADD_FAILURE() << "a broken filter was evaluated";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.Message(), "Errore nell'espressione del filtro della banda.");
    }
    d.Close();
}

TEST_F(DatasetTest, TheDatabaseDatasetIsGivenBackAsItWasFound) {
    TcvDBDataSet d(nullptr);
    d.SetDataSet(&rows);
    d.Open();
    Walk(d);
    d.Close();
    EXPECT_FALSE(rows.Active()) << "closed before, closed after";

    rows.Open();
    rows.SetRecNo(4);
    rows.DisableControls();  // the host's own
    d.Open();
    EXPECT_EQ(d.SavedRecNo, 4);
    Walk(d);
    d.Close();
    EXPECT_TRUE(rows.Active());
    EXPECT_EQ(rows.RecNo(), 4) << "back on its record";
    EXPECT_TRUE(rows.ControlsDisabled()) << "the host's disabling stays";
    rows.EnableControls();
    EXPECT_FALSE(rows.ControlsDisabled()) << "and the walk's is undone";

    d.Open();
    d.Open();  // two bands over one dataset
    d.Close();
    EXPECT_TRUE(d.IsOpen());
    EXPECT_TRUE(rows.ControlsDisabled());
    d.Close();
    EXPECT_FALSE(rows.ControlsDisabled());
    EXPECT_EQ(rows.RecNo(), 4);
}

// A filter that fails as a band's dataset opens leaves nothing held: the database dataset is closed
// again and its controls enabled, and the error reaches the band.
TEST_F(DatasetTest, AFilterFailingAsTheDatasetOpensGivesItBack) {
    TComponent form(nullptr);
    TcvReport owner(&form);
    auto* d = new TcvDBDataSet(&form);
    d->SetName("Righe");
    d->SetDataSet(&rows);
    d->Filtered = true;
    d->Filter = "N > 'x'";
    AnsiString error;
    try {
        BindBandDataset(owner, "Righe", btMasterData, error);
        ADD_FAILURE() << "the broken filter was not reported";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.Message(), kFilterError);
    }
    EXPECT_FALSE(d->IsOpen());
    EXPECT_FALSE(rows.Active());
    EXPECT_FALSE(rows.ControlsDisabled());
    d->SetDataSet(nullptr);
}

TEST_F(DatasetTest, ARangeEndingAtTheCurrentRecordStopsThere) {
    rows.Open();
    rows.SetRecNo(3);
    TcvDBDataSet d(nullptr);
    d.SetDataSet(&rows);
    d.RangeBegin = rbCurrent;
    d.RangeEnd = reCurrent;
    d.Open();
    EXPECT_EQ(Walk(d), (std::vector<int>{3})) << "the current record alone";
    d.RangeBegin = rbFirst;
    EXPECT_EQ(Walk(d), (std::vector<int>{1, 2, 3}));
    d.Next();
    d.Next();
    EXPECT_EQ(rows.RecNo(), 3) << "it stays on the saved record";
    d.Close();
    EXPECT_EQ(rows.RecNo(), 3);
}

TEST_F(DatasetTest, AClosedDatabaseDatasetIsNeverMoved) {
    TcvDBDataSet d(nullptr);
    d.SetDataSet(&rows);
    d.RangeEnd = reCurrent;
    d.Open();
    d.First();
    rows.Close();  // closed under the walk
    EXPECT_NO_THROW(d.Next());
    EXPECT_NO_THROW(d.Prior());
    EXPECT_NO_THROW(d.First());
    EXPECT_TRUE(d.Eof());
    EXPECT_EQ(d.GetDataSet(), &rows);
    EXPECT_EQ(d.ErrorText, "Dataset chiuso: righe");
    d.Close();
}

TEST_F(DatasetTest, ProblemsAreKeptInErrorText) {
    TcvDBDataSet d(nullptr);
    d.SetName("Clienti");
    d.Open();
    EXPECT_EQ(d.ErrorText, "Dataset non assegnato: Clienti");
    d.Close();
    rows.FailOpen("tabella mancante");
    d.SetDataSet(&rows);
    d.Open();
    EXPECT_EQ(d.ErrorText, "Non \xE8 stato possibile aprire il Dataset: righe\r\ntabella mancante");
    d.Close();
    auto* gone = new data::MemoryDataset(nullptr);
    d.SetDataSet(gone);
    delete gone;
    EXPECT_EQ(d.DataSet(), nullptr) << "a freed dataset is let go";
}

TEST_F(DatasetTest, DatasetsWithoutOwnerNameThemselvesAndLeaveTheListThatHoldsThem) {
    auto* a = new TcvDataset(nullptr);
    auto* b = new TcvDataset(nullptr);
    EXPECT_EQ(a->Name().rfind("N", 0), 0u);
    EXPECT_NE(a->Name(), b->Name());
    TComponent form(nullptr);
    EXPECT_EQ(TcvDataset(&form).Name(), "") << "one with an owner is named by it";

    TcvReport holder(nullptr);
    holder.AddDataset("A", a);
    holder.AddDataset("B", b);
    EXPECT_FALSE(holder.AddDataset("a", b)) << "one entry per name";
    TcvReport current(nullptr);  // now CurReport
    current.AddDataset("A", b);
    delete a;
    ASSERT_EQ(holder.DataSets().Count(), 1);
    EXPECT_EQ(holder.DataSets()[0], "B");
    EXPECT_EQ(current.DataSets().Count(), 1) << "the current report's list keeps its own entry";
    delete b;
    EXPECT_TRUE(holder.DataSets().Empty());
    EXPECT_TRUE(current.DataSets().Empty());
}

TEST_F(DatasetTest, BandsBindTheirDatasetByNameAndTellTheHost) {
    TComponent form(nullptr);
    form.SetName("Modulo");
    TcvReport owned(&form);
    auto* onForm = new TcvDBDataSet(&form);
    onForm->SetName("Clienti");
    onForm->SetDataSet(&rows);
    auto* inList = new TcvDataset(nullptr);
    owned.AddDataset("Righe", inList);
    auto& band = static_cast<TcvBandView&>(
        owned.Pages().Pages(0).AddObject(std::make_unique<TcvBandView>(&owned)));
    band.SetBandType(btMasterData);
    band.FormatText = "clienti";

    std::vector<std::string> told;
    owned.OnDataSetWork = [&told](const AnsiString& bandName, data::Dataset* ds, int32_t& count, int op) {
        told.push_back(bandName + " " + (ds ? ds->Name() : "-") + " " + std::to_string(op));
        count = 7;
    };
    owned.SetDisableDataSetControls(false);
    AnsiString error;
    EXPECT_EQ(BindBandDataset(owned, "Clienti", btMasterData, error), onForm);
    EXPECT_EQ(error, "");
    EXPECT_FALSE(onForm->DisableControls) << "taken from the report";
    EXPECT_EQ(onForm->RangeEndCount, 7) << "what the handler left";
    EXPECT_EQ(BindBandDataset(owned, "righe", btDetailData, error), inList);
    DataSetWork(owned, *onForm, btMasterData, dwNext);
    EXPECT_EQ(told, (std::vector<std::string>{"Band1 righe 0", " - 0", "Band1 righe 3"}));

    EXPECT_EQ(BindBandDataset(owned, "Manca", btMasterData, error), nullptr);
    EXPECT_EQ(error, std::string(MsgDatasetNotFound) + "Manca");
    EXPECT_EQ(BindBandDataset(owned, "", btMasterData, error), nullptr);
    EXPECT_EQ(error, "");
    rows.Close();
    rows.FailOpen("non si apre");
    onForm->Close();
    EXPECT_EQ(BindBandDataset(owned, "Clienti", btMasterData, error), nullptr);
    EXPECT_EQ(error, "Non \xE8 stato possibile aprire il Dataset: righe\r\nnon si apre");
    EXPECT_FALSE(onForm->IsOpen());
    onForm->SetDataSet(nullptr);
}

TEST_F(DatasetTest, PublishedPropertiesTravelInComponentStreams) {
    TComponent form(nullptr);
    form.SetName("Modulo");
    rows.SetName("righe");
    data::MemoryDataset& onForm = *new data::MemoryDataset(&form);
    onForm.SetName("ordini");
    TcvDBDataSet d(&form);
    d.SetName("Ordini");
    d.RangeBegin = rbCurrent, d.RangeEnd = reCount, d.RangeEndCount = 12;
    d.Filter = "N > 1", d.Filtered = true;
    d.SetDataSet(&onForm);
    MemoryStream m;
    WriteComponentStream(m, d);
    m.SetPosition(0);
    TcvDBDataSet back(&form);
    ReadComponentStream(m, back);
    EXPECT_EQ(back.Name(), "Ordini");
    EXPECT_EQ(back.RangeBegin, rbCurrent);
    EXPECT_EQ(back.RangeEnd, reCount);
    EXPECT_EQ(back.RangeEndCount, 12);
    EXPECT_EQ(back.Filter, "N > 1");
    EXPECT_TRUE(back.Filtered);
    EXPECT_EQ(back.DataSet(), &onForm) << "found again among its owner's components";
}
