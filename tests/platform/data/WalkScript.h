#pragma once
// The walking rules that every dataset keeps, as a script over three records whose field "n"
// holds 10, 20 and 30; each back end's tests run it on their own dataset.
#include <gtest/gtest.h>

#include <string>

#include "platform/data/SqlDataset.h"

namespace tessaly::testing {

struct WalkStep {
    const char* op;
    int recNo;
    bool bof;
    bool eof;
    int n;  // the value of "n" in the current record; 0 for null
};

inline void WalkOp(data::Dataset& ds, const std::string& op) {
    if (op == "open") ds.Open();
    else if (op == "close") ds.Close();
    else if (op == "first") ds.First();
    else if (op == "next") ds.Next();
    else if (op == "prior") ds.Prior();
    else if (op == "refresh") ds.Refresh();
    else if (op.starts_with("recno ")) ds.SetRecNo(std::stoi(op.substr(6)));
    else FAIL() << "unknown step " << op;
}

inline void RunWalkScript(data::Dataset& ds) {
    static const WalkStep steps[] = {
        {"open", 1, true, false, 10},
        {"next", 2, false, false, 20},
        {"next", 3, false, false, 30},
        {"next", 3, false, true, 30},  // past the end: the last record stays readable
        {"next", 3, false, true, 30},
        {"prior", 2, false, false, 20},
        {"prior", 1, false, false, 10},
        {"prior", 1, true, false, 10},  // before the first: stays there
        {"prior", 1, true, false, 10},
        {"recno 3", 3, false, false, 30},
        {"next", 3, false, true, 30},
        {"refresh", 3, false, false, 30},
        {"first", 1, true, false, 10},
        {"recno 2", 2, false, false, 20},
        {"close", 0, false, false, 0},
        {"open", 1, true, false, 10},
    };
    int i = 0;
    for (const WalkStep& s : steps) {
        SCOPED_TRACE("step " + std::to_string(++i) + ": " + s.op);
        WalkOp(ds, s.op);
        EXPECT_EQ(ds.RecNo(), s.recNo);
        EXPECT_EQ(ds.Bof(), s.bof);
        EXPECT_EQ(ds.Eof(), s.eof);
        data::Field* n = ds.FindField("N");
        ASSERT_NE(n, nullptr);
        if (s.n) EXPECT_EQ(n->Value().AsInteger(), s.n);
        else EXPECT_TRUE(n->IsNull());
    }
    EXPECT_EQ(ds.RecordCount(), 3);
}

// Walking an empty dataset, setting a record number that does not exist, and navigating a closed
// dataset.
inline void RunEmptyAndClosedRules(data::Dataset& empty) {
    empty.Open();
    for (const char* op : {"first", "next", "prior"}) {
        SCOPED_TRACE(op);
        WalkOp(empty, op);
        EXPECT_EQ(empty.RecNo(), 0);
        EXPECT_TRUE(empty.Bof());
        EXPECT_TRUE(empty.Eof());
    }
    EXPECT_EQ(empty.RecordCount(), 0);
    try {
        empty.SetRecNo(1);
        ADD_FAILURE() << "record 1 of an empty dataset";
    } catch (const data::EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Numero di record non valido: 1");
    }
    empty.Close();
    EXPECT_EQ(empty.RecordCount(), 0);
    for (const char* op : {"first", "next", "prior", "refresh", "recno 1"}) {
        SCOPED_TRACE(op);
        try {
            WalkOp(empty, op);
            ADD_FAILURE() << "a closed dataset moved";
        } catch (const data::EDatabaseError& e) {
            EXPECT_EQ(e.Message(), empty.Name() + ": Impossibile eseguire questa operazione su un dataset chiuso");
        }
    }
}

// Both scripts on a database whose `table` has an integer column n holding 10, 20 and 30.
inline void RunSqlWalkRules(const std::shared_ptr<data::Database>& db, const std::string& table) {
    data::SqlDataset ds(db, nullptr);
    ds.SetSql("SELECT n FROM " + table + " ORDER BY n");
    RunWalkScript(ds);
    data::SqlDataset empty(db, nullptr);
    empty.SetName("Vuoto");
    empty.SetSql("SELECT n FROM " + table + " WHERE n > 100");
    RunEmptyAndClosedRules(empty);
}

}  // namespace tessaly::testing
