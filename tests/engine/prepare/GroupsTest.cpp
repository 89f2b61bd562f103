// Groups: headers at every change of their condition, footers with the totals of their group,
// nested groups, and the totals that run over the whole walk beside them.
#include "engine/prepare/ReportBuilder.h"

namespace preparetest {
namespace {

using Lines = std::vector<std::string>;

class Groups : public ::testing::Test {
protected:
    void Sales() {
        b.Data("Righe", {{"cat", data::FieldKind::String}, {"importo", data::FieldKind::Integer}},
               {{Variant("A"), Variant(1)},
                {Variant("A"), Variant(2)},
                {Variant("B"), Variant(3)},
                {Variant("B"), Variant(4)},
                {Variant("B"), Variant(5)},
                {Variant("C"), Variant(6)}});
    }
    ReportBuilder b;
};

TEST_F(Groups, EachGroupHasItsHeaderAndItsOwnTotalsWhileOtherTotalsRunOn) {
    Sales();
    b.Line(btGroupHeader, 60, 20, "Gruppo [cat]", "cat");
    b.Line(btMasterData, 100, 20, "[cat] [importo] [SUM(importo)]", "Righe");
    b.Line(btGroupFooter, 140, 20, "Totale [cat] [SUM(importo)] [COUNT()]");
    b.Line(btReportSummary, 180, 20, "Generale [SUM(importo)] [COUNT()]");
    b.Line(btPageFooter, 220, 20, "Progressivo [SUM(importo)]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Gruppo A", "A 1 1", "A 2 3", "Totale A 3 2",            //
                                   "Gruppo B", "B 3 6", "B 4 10", "B 5 15", "Totale B 12 3",  //
                                   "Gruppo C", "C 6 21", "Totale C 6 1",                       //
                                   "Generale 21 6", "Progressivo 21"}));
}

TEST_F(Groups, NestedGroupsRestartTheTotalsOfTheGroupThatChangedAndOfThoseInsideIt) {
    b.Data("Righe", {{"anno", data::FieldKind::Integer}, {"mese", data::FieldKind::Integer},
                     {"importo", data::FieldKind::Integer}},
           {{Variant(2020), Variant(1), Variant(10)},
            {Variant(2020), Variant(1), Variant(20)},
            {Variant(2020), Variant(2), Variant(5)},
            {Variant(2021), Variant(1), Variant(7)}});
    b.Line(btGroupHeader, 40, 20, "Anno [anno]", "anno");
    b.Line(btGroupHeader, 70, 20, "Mese [mese]", "mese");
    b.Line(btMasterData, 100, 20, "[importo]", "Righe");
    b.Line(btGroupFooter, 130, 20, "Tot mese [SUM(importo)]");
    b.Line(btGroupFooter, 160, 20, "Tot anno [SUM(importo)]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (Lines{"Anno 2020", "Mese 1", "10", "20", "Tot mese 30", "Mese 2", "5", "Tot mese 5",
                                   "Tot anno 35", "Anno 2021", "Mese 1", "7", "Tot mese 7", "Tot anno 7"}));
}

TEST_F(Groups, MasterFootersShowOncePerGroupAndNotAgainAtTheEnd) {
    Sales();
    b.Line(btGroupHeader, 60, 20, "Gruppo [cat]", "cat");
    b.Line(btMasterData, 100, 20, "[importo]", "Righe");
    b.Line(btMasterFooter, 130, 20, "Fine");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.Count("Fine"), 3);
    EXPECT_EQ(b.AllLines().back(), "Fine");
}

TEST_F(Groups, AConditionThatChangesOnEveryRecordGivesEveryRecordItsHeaderAndFooter) {
    Sales();
    b.Line(btGroupHeader, 60, 20, "H[importo]", "importo");
    b.Line(btMasterData, 100, 20, "[importo]", "Righe");
    b.Line(btGroupFooter, 140, 20, "F[importo]");
    ASSERT_TRUE(b.Prepare()) << b.error;
    Lines expected;
    for (int i = 1; i <= 6; ++i) {
        const std::string n = std::to_string(i);
        expected.insert(expected.end(), {"H" + n, n, "F" + n});
    }
    EXPECT_EQ(b.AllLines(), expected);
}

// The group condition names "cat", which the detail dataset has too: it is the master's.
TEST_F(Groups, TheConditionIsEvaluatedAgainstItsOwnBandNotTheObjectDrawnLast) {
    Sales();
    b.Data("Note", {{"cat", data::FieldKind::String}}, {{Variant("X")}});
    b.Line(btGroupHeader, 60, 20, "Gruppo [cat]", "cat");
    b.Line(btMasterData, 100, 20, "[importo]", "Righe");
    b.Line(btDetailData, 130, 20, "nota [cat]", "Note");
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.Count("Gruppo A") + b.Count("Gruppo B") + b.Count("Gruppo C"), 3);
    EXPECT_EQ(b.Count("nota X"), 6);
}

TEST_F(Groups, ANewPageForEachGroupWhenItsHeaderForcesOne) {
    Sales();
    b.Line(btGroupHeader, 60, 20, "Gruppo [cat] pagina [PAGE#]", "cat", boForceNewPage);
    b.Line(btMasterData, 100, 20, "[importo]", "Righe");
    ASSERT_TRUE(b.Prepare()) << b.error;
    ASSERT_EQ(b.PageCount(), 3);
    EXPECT_EQ(b.Lines(2), (Lines{"Gruppo B pagina 2", "3", "4", "5"}));
}

}  // namespace
}  // namespace preparetest
