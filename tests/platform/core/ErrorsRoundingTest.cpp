#include <gtest/gtest.h>

#include "platform/core/Errors.h"
#include "platform/core/Rounding.h"

using namespace tessaly;

TEST(Errors, MessagesStayCp1252AndWhatIsUtf8) {
    EngineError e("Impossibile \xE8");
    EXPECT_EQ(e.Message(), "Impossibile \xE8");
    EXPECT_STREQ(e.what(), "Impossibile \xC3\xA8");
    EXPECT_EQ(EAbort().Message(), "Operation aborted");
    EXPECT_EQ(EReadError().Message(), "Stream read error");
    EXPECT_EQ(EListError(5).Message(), "List index out of bounds (5)");
}

TEST(Errors, FormatMessageFillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatMessage("report '%s' file '%s' 100%%", {"R.a", "x.cvf"}), "report 'R.a' file 'x.cvf' 100%");
    EXPECT_EQ(FormatMessage("%s and %s", {"one"}), "one and %s");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    struct Case { double in; int64_t out; };
    for (Case c : {Case{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
                   {2.4999, 2}, {2.5001, 3}, {793.7007874, 794}, {1122.5, 1122}})
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
    EXPECT_EQ(Round32(1e20), INT32_MAX);
    EXPECT_EQ(Round32(-1e20), INT32_MIN);
}

TEST(Rounding, DivTruncatesTowardZero) {
    EXPECT_EQ(IntDiv(7, 2), 3);
    EXPECT_EQ(IntDiv(-7, 2), -3);
    EXPECT_EQ(IntDiv(7, -2), -3);
    EXPECT_EQ(IntMod(-7, 2), -1);
    EXPECT_EQ(IntDiv(INT64_MIN, -1), INT64_MIN);
    EXPECT_EQ(IntDiv(2100 * 96, 254), 793);
}
