// Values as databases give them, turned into field values; ISO 8601 date text.
#include <gtest/gtest.h>

#include "platform/core/DateTime.h"
#include "platform/data/IsoDateTime.h"
#include "platform/data/SqlValue.h"
#include "platform/text/FormatSettings.h"

namespace tessaly::data {
namespace {

SqlValue Text(std::string_view t) { return {SqlValue::Type::Text, 0, 0, t}; }

TEST(SqlValueTest, DecimalTextBecomesAnExactAmount) {
    FormatSettingsScope italian(FormatSettings::Italian());
    const struct {
        const char* text;  // as PostgreSQL gives numeric values
        VarType type;
        const char* shown;
    } cases[] = {
        {"12.34565000", VarType::Currency, "12,3456"},  // the half goes to the even digit
        {"12.34575", VarType::Currency, "12,3458"},
        {"12.345650001", VarType::Currency, "12,3457"},
        {"0.00005", VarType::Currency, "0"},
        {"-0.000051", VarType::Currency, "-0,0001"},
        {"+3", VarType::Currency, "3"},
        {".5", VarType::Currency, "0,5"},
        {"922337203685477.5807", VarType::Currency, "922337203685477,5807"},
        {"-922337203685477.5807", VarType::Currency, "-922337203685477,5807"},
        {"922337203685477.58075", VarType::Double, "922337203685478"},  // would round beyond
        {"-922337203685477.5808", VarType::Double, "-922337203685478"},
        {"1e3", VarType::Double, "1000"},
        {"NaN", VarType::String, "NaN"},
        {"1.2.3", VarType::String, "1.2.3"},
        {"", VarType::String, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Variant v = FieldValueOf(FieldKind::Currency, Text(c.text));
        EXPECT_EQ(VarTypeName(v.Type()), std::string(VarTypeName(c.type)));
        EXPECT_EQ(v.AsString(), c.shown);
    }
}

TEST(SqlValueTest, IsoDateTimeText) {
    FormatSettingsScope italian(FormatSettings::Italian());
    const struct {
        const char* text;
        const char* shown;  // nullptr: not a date-time
    } cases[] = {
        {"2024-02-29", "29/02/2024"},
        {" 2024-02-29 13:05 ", "29/02/2024 13:05:00"},
        {"2024-02-29T13:05:07", "29/02/2024 13:05:07"},
        {"2024-02-29 13:05:07.999999", "29/02/2024 13:05:07"},
        {"2024-03-01 00:30:00+01:00", "29/02/2024 23:30:00"},
        {"2024-02-29 23:30:00-02:30", "01/03/2024 02:00:00"},
        {"1899-12-29 06:00:00Z", "29/12/1899 06:00:00"},
        {"1899-12-28 23:00:00-02:00", "29/12/1899 01:00:00"},
        {"1899-12-29 23:00:00-02:00", "01:00:00"},  // day 0: the time alone
        {"23:59:59", "23:59:59"},
        {"0001-01-01", "01/01/0001"},
        {"2023-02-29", nullptr},
        {"2024-13-01", nullptr},
        {"2024-1-01", nullptr},
        {"2024-01-01 25:00", nullptr},
        {"2024-01-01 10:00:00.", nullptr},
        {"2024-01-01x10:00", nullptr},
        {"2024-01-01 10:00+1", nullptr},
        {"10:00Z", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double dt = -1;
        const bool read = ParseIsoDateTime(c.text, dt);
        EXPECT_EQ(read, c.shown != nullptr);
        if (read) {
            EXPECT_EQ(Variant::DateTime(dt).AsString(), c.shown);
        }
    }
}

TEST(SqlValueTest, DateTimesWrittenAsIsoTextReadBackTheSame) {
    const struct {
        double dateTime;
        const char* text;
    } cases[] = {
        {CombineDateTime(EncodeDate(2024, 2, 29), EncodeTime(13, 5, 7, 250)), "2024-02-29 13:05:07.250"},
        {CombineDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), "1899-12-29 06:00:00"},
        {EncodeDate(1980, 5, 17), "1980-05-17"},  // midnight: the date alone, as date columns hold it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsoDateTimeText(c.dateTime), c.text);
        double back = 0;
        ASSERT_TRUE(ParseIsoDateTime(c.text, back));
        EXPECT_DOUBLE_EQ(back, c.dateTime);
    }
}

}  // namespace
}  // namespace tessaly::data
