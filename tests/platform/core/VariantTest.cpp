#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/core/DateTime.h"
#include "platform/core/Errors.h"
#include "platform/core/Variant.h"
#include "platform/text/FormatSettings.h"

using namespace tessaly;

namespace {

class VariantTest : public ::testing::Test {
protected:
    FormatSettingsScope italian{FormatSettings::Italian()};
};

Variant Cur(double v) { return Variant(Currency::FromDouble(v)); }
Variant Date(double v) { return Variant::DateTime(v); }

const char* OpName(VarOp op) {
    static const char* names[] = {"+", "-", "*", "/", "div", "mod", "and", "or"};
    return names[static_cast<int>(op)];
}

}  // namespace

TEST_F(VariantTest, CopiesShareStringsAndMovesLeaveEmpty) {
    Variant a("testo");
    Variant b = a;
    {
        Variant c = b;
        c = Variant(3);
    }
    a = Variant();
    EXPECT_EQ(b.StringValue(), "testo");
    Variant moved = std::move(b);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(moved.StringValue(), "testo");
    Variant target(7);
    target = std::move(moved);
    EXPECT_TRUE(moved.IsEmpty());
    moved = target;
    moved = moved;  // self-assignment keeps the value
    EXPECT_EQ(moved.StringValue(), "testo");
    EXPECT_TRUE(Variant("").IsString());
    EXPECT_EQ(Variant("").AsString(), "");
}

TEST_F(VariantTest, ConvertsToNumbersOrFails) {
    struct Case { Variant v; double number; };
    Case ok[] = {{Variant(), 0}, {Variant::Byte(200), 200}, {Variant(-7), -7}, {Variant(true), 1},
                 {Variant(false), 0}, {Cur(1936.27), 1936.27}, {Date(36104.5), 36104.5},
                 {Variant("2,5"), 2.5}, {Variant(" -3 "), -3}, {Variant("1E3"), 1000}};
    for (const Case& c : ok) EXPECT_DOUBLE_EQ(c.v.AsDouble(), c.number) << c.v.AsString();
    for (const Variant& bad : {Variant::Null(), Variant("abc"), Variant("1.5"), Variant("1.234"), Variant(""),
                               Variant("1,2,3")})
        EXPECT_THROW(bad.AsDouble(), EConvertError) << bad.AsString();
}

TEST_F(VariantTest, IntegerAndCurrencyConversionsRoundHalfToEvenAndCheckRange) {
    struct Case { double in; int32_t out; };
    for (Case c : {Case{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {2147483647.0, INT32_MAX}})
        EXPECT_EQ(Variant(c.in).AsInteger(), c.out) << c.in;
    EXPECT_EQ(Cur(2.5).AsInteger(), 2);
    EXPECT_EQ(Cur(-3.5).AsInteger(), -4);
    EXPECT_EQ(Variant("7,5").AsInteger(), 8);
    EXPECT_THROW(Variant(2147483648.0).AsInteger(), EConvertError);
    EXPECT_EQ(Variant(2147483648.0).AsInt64(), 2147483648LL);
    EXPECT_THROW(Variant(1e19).AsInt64(), EConvertError);
    EXPECT_THROW(Variant(NAN).AsInt64(), EConvertError);

    EXPECT_EQ(Variant(1.0025).AsCurrency().scaled, 10025);
    EXPECT_EQ(Variant(0.00125).AsCurrency().scaled, 12);  // the tie as written goes to even
    EXPECT_EQ(Variant(0.00135).AsCurrency().scaled, 14);
    EXPECT_EQ(Variant(-0.00005).AsCurrency().scaled, 0);
    EXPECT_EQ(Variant(7).AsCurrency().scaled, 70000);
    EXPECT_EQ(Variant(9.2e14).AsCurrency().scaled, 9200000000000000000LL);
    EXPECT_THROW(Variant(9.3e14).AsCurrency(), EConvertError);
    EXPECT_THROW(Variant(-1e300).AsCurrency(), EConvertError);
    EXPECT_EQ(Variant::Byte(7).ConvertTo(VarType::Currency).CurrencyValue().scaled, 70000);
    EXPECT_THROW(Variant(256).ConvertTo(VarType::Byte), EConvertError);
    EXPECT_EQ(Variant("12").ConvertTo(VarType::Byte).Type(), VarType::Byte);
}

TEST_F(VariantTest, ConvertsToTextWithTheLocale) {
    struct Case { Variant v; const char* text; };
    Case cases[] = {{Variant(), ""},
                    {Variant::Null(), ""},
                    {Variant(42), "42"},
                    {Variant(1.5), "1,5"},
                    {Variant(0.1 + 0.2), "0,3"},
                    {Variant(1e20), "1E20"},
                    {Cur(1936.27), "1936,27"},
                    {Cur(-0.5), "-0,5"},
                    {Date(36104), "05/11/1998"},
                    {Date(36104.5), "05/11/1998 12:00:00"},
                    {Date(0.5), "12:00:00"},
                    {Variant(true), "Vero"},
                    {Variant(false), "Falso"}};
    for (const Case& c : cases) EXPECT_EQ(c.v.AsString(), c.text);
    EXPECT_THROW(Date(1e9).AsString(), EConvertError);
}

TEST_F(VariantTest, ConvertsToBooleansAndDates) {
    EXPECT_TRUE(Variant("vero").AsBoolean());
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_FALSE(Variant("Falso").AsBoolean());
    EXPECT_TRUE(Variant("2").AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_FALSE(Variant().AsBoolean());
    EXPECT_THROW(Variant("forse").AsBoolean(), EConvertError);
    EXPECT_THROW(Variant::Null().AsBoolean(), EConvertError);
    EXPECT_DOUBLE_EQ(Variant("05/11/1998").AsDateTime(), 36104);
    EXPECT_DOUBLE_EQ(Variant("36104,25").AsDateTime(), 36104.25);
    EXPECT_THROW(Variant("31/02/1998").AsDateTime(), EConvertError);
}

TEST_F(VariantTest, ArithmeticFollowsTheCoercionTable) {
    struct Case {
        Variant a;
        VarOp op;
        Variant b;
        VarType type;
        const char* text;
    };
    const Case cases[] = {
        {Variant(2), VarOp::Add, Variant(3), VarType::Integer, "5"},
        {Variant(INT32_MAX), VarOp::Add, Variant(1), VarType::Double, "2147483648"},
        {Variant(INT32_MIN), VarOp::Subtract, Variant(1), VarType::Double, "-2147483649"},
        {Variant(65536), VarOp::Multiply, Variant(65536), VarType::Double, "4294967296"},
        {Variant(7), VarOp::Divide, Variant(2), VarType::Double, "3,5"},
        {Variant(6), VarOp::Divide, Variant(3), VarType::Double, "2"},
        {Variant(-7), VarOp::IntDivide, Variant(2), VarType::Integer, "-3"},
        {Variant(-7), VarOp::Modulo, Variant(2), VarType::Integer, "-1"},
        {Variant(7.5), VarOp::IntDivide, Variant(2), VarType::Integer, "4"},
        {Variant(INT32_MIN), VarOp::IntDivide, Variant(-1), VarType::Double, "2147483648"},
        {Variant(0.1), VarOp::Add, Variant(0.2), VarType::Double, "0,3"},
        {Variant(2), VarOp::Multiply, Variant(1.5), VarType::Double, "3"},
        {Cur(1936.27), VarOp::Multiply, Variant(1), VarType::Currency, "1936,27"},
        {Variant(1.0), VarOp::Multiply, Cur(1936.27), VarType::Currency, "1936,27"},
        {Cur(0.0001), VarOp::Multiply, Cur(0.5), VarType::Currency, "0"},
        {Cur(0.0003), VarOp::Multiply, Variant(0.5), VarType::Currency, "0,0002"},
        {Cur(1.5), VarOp::Add, Variant(2), VarType::Currency, "3,5"},
        {Cur(1.5), VarOp::Subtract, Variant(0.25), VarType::Currency, "1,25"},
        {Cur(10), VarOp::Divide, Variant(4), VarType::Double, "2,5"},
        {Date(36104), VarOp::Add, Variant(1), VarType::Date, "06/11/1998"},
        {Variant(1), VarOp::Add, Date(36104), VarType::Date, "06/11/1998"},
        {Date(36104), VarOp::Add, Date(0.5), VarType::Date, "05/11/1998 12:00:00"},
        {Date(36104), VarOp::Subtract, Cur(0.25), VarType::Date, "04/11/1998 18:00:00"},
        {Date(36104), VarOp::Subtract, Date(36100), VarType::Double, "4"},
        {Variant(36105), VarOp::Subtract, Date(36104), VarType::Double, "1"},
        {Date(2), VarOp::Multiply, Variant(2), VarType::Double, "4"},
        {Date(36161), VarOp::Subtract, Variant("01/01/1999"), VarType::Double, "0"},
        {Date(36104), VarOp::Add, Variant("1"), VarType::Date, "06/11/1998"},
        {Variant("a"), VarOp::Add, Variant("b"), VarType::String, "ab"},
        {Variant("a"), VarOp::Add, Variant(), VarType::String, "a"},
        {Variant(), VarOp::Add, Variant("b"), VarType::String, "b"},
        {Variant("5"), VarOp::Add, Variant(1), VarType::Double, "6"},
        {Variant("2,5"), VarOp::Multiply, Variant("2"), VarType::Double, "5"},
        {Variant("8"), VarOp::Subtract, Variant("3"), VarType::Double, "5"},
        {Variant(), VarOp::Add, Variant(), VarType::Integer, "0"},
        {Variant(), VarOp::Add, Variant(3), VarType::Integer, "3"},
        {Variant(true), VarOp::Add, Variant(1), VarType::Integer, "2"},
        {Variant::Byte(255), VarOp::Add, Variant::Byte(1), VarType::Integer, "256"},
        {Variant(true), VarOp::And, Variant(false), VarType::Boolean, "Falso"},
        {Variant(true), VarOp::Or, Variant(false), VarType::Boolean, "Vero"},
        {Variant(6), VarOp::And, Variant(3), VarType::Integer, "2"},
        {Variant(6), VarOp::Or, Variant(3), VarType::Integer, "7"},
        {Variant(true), VarOp::And, Variant(3), VarType::Integer, "1"},
        {Variant(2.6), VarOp::Or, Variant(4), VarType::Integer, "7"},
        {Variant::Null(), VarOp::Add, Variant(1), VarType::Null, ""},
        {Variant("a"), VarOp::Add, Variant::Null(), VarType::Null, ""},
        {Variant::Null(), VarOp::Divide, Variant(0), VarType::Null, ""},
    };
    for (const Case& c : cases) {
        Variant r = VarApply(c.op, c.a, c.b);
        EXPECT_EQ(r.Type(), c.type) << c.a.AsString() << " " << OpName(c.op) << " " << c.b.AsString();
        EXPECT_EQ(r.AsString(), c.text) << c.a.AsString() << " " << OpName(c.op) << " " << c.b.AsString();
    }
}

TEST_F(VariantTest, ArithmeticFailuresRaise) {
    EXPECT_THROW(Variant("abc") + Variant(1), EConvertError);
    EXPECT_THROW(Variant(1) - Variant("x"), EConvertError);
    EXPECT_THROW(Date(1) + Variant("domani"), EConvertError);
    EXPECT_THROW(Variant(1) / Variant(0), EZeroDivide);
    EXPECT_THROW(Variant(0.0) / Variant(0.0), EZeroDivide);
    EXPECT_THROW(VarApply(VarOp::IntDivide, Variant(1), Variant(0.4)), EZeroDivide);
    EXPECT_THROW(VarApply(VarOp::Modulo, Variant(1), Variant()), EZeroDivide);
    EXPECT_THROW(Variant(1e308) * Variant(10), EMathError);
    Variant big = Cur(9e14);
    EXPECT_THROW(big + big, EMathError);
    EXPECT_THROW(big * Variant(11), EMathError);
    EXPECT_THROW(big * Cur(11), EMathError);
    EXPECT_THROW(big * Variant(1e10), EMathError);
    EXPECT_THROW(VarApply(VarOp::And, Variant(1e30), Variant(1)), EConvertError);
}

TEST_F(VariantTest, PowerIsExpOfLog) {
    EXPECT_NEAR(VarPower(Variant(2), Variant(3)).AsDouble(), 8, 1e-12);
    EXPECT_NEAR(VarPower(Variant(9), Variant(0.5)).AsDouble(), 3, 1e-12);
    EXPECT_EQ(VarPower(Variant(2), Variant(3)).Type(), VarType::Double);
    EXPECT_THROW(VarPower(Variant(0), Variant(2)), EMathError);
    EXPECT_THROW(VarPower(Variant(-8), Variant(3)), EMathError);
    EXPECT_THROW(VarPower(Variant(10), Variant(400)), EMathError);
}

TEST_F(VariantTest, EqualNumbersCompareEqualAcrossKinds) {
    struct Case { Variant a, b; int result; };
    const Case cases[] = {
        {Variant(1), Variant(1.0), 0},
        {Variant(1), Cur(1), 0},
        {Cur(1.1), Variant(1.1), 0},
        {Date(1), Variant(1), 0},
        {Variant(true), Variant(1), 0},
        {Variant::Byte(5), Variant(5.0), 0},
        {Variant(INT32_MAX), Variant(2147483647.0), 0},
        {Cur(0.0001), Variant(0), 1},
        {Variant(2), Cur(2.5), -1},
        {Variant("10"), Variant(9), 1},
        {Variant("abc"), Variant("abd"), -1},
        {Variant("B"), Variant("a"), -1},
        {Variant("ab"), Variant("abc"), -1},
        {Variant("\xE8"), Variant("z"), 1},
        {Variant("x"), Variant("x"), 0},
        {Variant(), Variant(""), 0},
        {Variant(), Variant(0), 0},
        {Variant(), Variant("a"), -1},
        {Variant::Null(), Variant::Null(), 0},
        {Variant::Null(), Variant(0), -1},
        {Variant(""), Variant::Null(), 1},
        {Variant(false), Variant(true), -1},
        {Variant("Vero"), Variant(true), 0},
        {Date(36104), Variant("05/11/1998"), 0},
        {Date(36104.5), Variant("05/11/1998"), 1},
        {Variant(NAN), Variant(NAN), 0},
        {Variant(NAN), Variant(0), -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VarCompare(c.a, c.b), c.result) << c.a.AsString() << " vs " << c.b.AsString();
        EXPECT_EQ(VarCompare(c.b, c.a), -c.result) << c.b.AsString() << " vs " << c.a.AsString();
    }
    EXPECT_THROW(VarCompare(Variant("x"), Variant(1)), EConvertError);
    EXPECT_THROW(VarCompare(Variant(true), Variant("forse")), EConvertError);
}

TEST(DateTime, EncodesAndDecodesTheCalendar) {
    struct Case { int y, m, d; double serial; int dow; };
    for (Case c : {Case{1899, 12, 30, 0, 7}, {1899, 12, 31, 1, 1}, {1900, 1, 1, 2, 2}, {1900, 3, 1, 61, 5},
                   {1998, 11, 5, 36104, 5}, {2000, 2, 29, 36585, 3}, {1, 1, 1, -693593, 2},
                   {9999, 12, 31, 2958465, 6}}) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        DateParts p = DecodeDate(c.serial < 0 ? c.serial - 0.75 : c.serial + 0.75);
        EXPECT_EQ(p.year * 10000 + p.month * 100 + p.day, c.y * 10000 + c.m * 100 + c.d);
        EXPECT_EQ(DayOfWeek(c.serial), c.dow);
    }
    for (auto [y, m, d] : {std::tuple{1900, 2, 29}, {1998, 13, 1}, {1998, 4, 31}, {0, 1, 1}, {10000, 1, 1}})
        EXPECT_THROW(EncodeDate(y, m, d), EConvertError);
    EXPECT_THROW(DecodeDate(2958466), EConvertError);
    EXPECT_THROW(DecodeDate(NAN), EConvertError);
    DateParts before = DecodeDate(-1.25);  // the day stays in the integral part
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(DecodeTime(-1.25).hour, 6);
}

TEST(DateTime, TimesRoundToTheMillisecondWithoutReachingMidnight) {
    TimeParts t = DecodeTime(EncodeTime(2, 43, 35, 120));
    EXPECT_EQ(t.hour * 10000000 + t.minute * 100000 + t.second * 1000 + t.msec, 24335120);
    TimeParts late = DecodeTime(0.9999999999);
    EXPECT_EQ(late.hour, 23);
    EXPECT_EQ(late.msec, 999);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(1, 60, 0, 0), EConvertError);
}
