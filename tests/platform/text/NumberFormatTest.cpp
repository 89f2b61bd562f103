#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/Errors.h"
#include "platform/text/NumberFormat.h"

using namespace tessaly;

namespace {

const FormatSettings kItalian = FormatSettings::Italian();

FormatSettings English() {
    FormatSettings fs = FormatSettings::Italian();
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = ',';
    return fs;
}

}  // namespace

TEST(NumberFormat, GeneralFormatKeepsFifteenSignificantDigits) {
    struct Case { double v; const char* text; };
    for (Case c : {Case{0, "0"}, {-0.0, "0"}, {1.5, "1,5"}, {-1.5, "-1,5"}, {1234567.891, "1234567,891"},
                   {0.1 + 0.2, "0,3"}, {2.0 / 3, "0,666666666666667"}, {123456789012345, "123456789012345"},
                   {999999999999999.9, "1E15"}, {1e15, "1E15"}, {1.5e20, "1,5E20"}, {0.0001, "0,0001"},
                   {0.00001, "1E-5"}, {-1.25e-7, "-1,25E-7"}, {1e308, "1E308"}, {INFINITY, "INF"},
                   {-INFINITY, "-INF"}, {NAN, "NAN"}})
        EXPECT_EQ(FormatGeneral(c.v, kItalian), c.text) << c.v;
    EXPECT_EQ(FormatGeneral(1.5, English()), "1.5");
}

TEST(NumberFormat, GeneralFormatOfCurrencyIsExact) {
    struct Case { int64_t scaled; const char* text; };
    for (Case c : {Case{0, "0"}, {19362700, "1936,27"}, {-5000, "-0,5"}, {1, "0,0001"}, {10025, "1,0025"},
                   {INT64_MAX, "922337203685477,5807"}, {-INT64_MAX, "-922337203685477,5807"}})
        EXPECT_EQ(FormatGeneral(Currency::FromScaled(c.scaled), kItalian), c.text) << c.scaled;
}

TEST(NumberFormat, FixedFormatsRoundToDigitsAndPrecision) {
    struct Case { double v; int precision, digits; bool thousands; const char* text; };
    const Case cases[] = {
        {1234.5, 10, 2, false, "1234,50"},
        {1234.5, 10, 2, true, "1.234,50"},
        {-1234.5, 10, 2, true, "-1.234,50"},
        {1234567.891, 10, 2, true, "1.234.567,89"},
        {123.456, 10, 0, true, "123"},
        {0.5, 10, 0, false, "1"},
        {2.5, 10, 0, false, "3"},
        {2.675, 15, 2, false, "2,68"},
        {0.125, 15, 2, false, "0,13"},
        {999.995, 15, 2, false, "1000,00"},
        {-0.001, 15, 2, false, "0,00"},
        {1.5e-7, 10, 2, false, "0,00"},
        {123456.7891, 8, 4, false, "123456,7900"},
        {9999999999.0, 10, 2, true, "9.999.999.999,00"},
        {12345678901.0, 10, 2, true, "1,23456789E10"},
        {-12345678951.0, 10, 2, false, "-1,234567895E10"},
        {99999999999.0, 10, 2, false, "1E11"},
        {0, 10, 3, true, "0,000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFixed(c.v, c.precision, c.digits, c.thousands, kItalian), c.text) << c.v;
    EXPECT_EQ(FormatFixed(1234.5, 10, 2, true, English()), "1,234.50");
}

TEST(NumberFormat, CurrencyUsesSymbolDecimalsAndLayouts) {
    FormatSettings lire = kItalian;  // "L.", no decimals, "$ 1", "-$ 1"
    EXPECT_EQ(FormatCurrency(Currency::FromDouble(1936.27), lire), "L. 1.936");
    EXPECT_EQ(FormatCurrency(Currency::FromDouble(0.5), lire), "L. 1");
    EXPECT_EQ(FormatCurrency(Currency::FromDouble(-1234567), lire), "-L. 1.234.567");
    EXPECT_EQ(FormatCurrency(Currency::FromDouble(-0.4), lire), "L. 0");

    FormatSettings euro = kItalian;
    euro.CurrencyString = "\x80";
    euro.CurrencyDecimals = 2;
    struct Case { int format, negFormat; const char* positive; const char* negative; };
    for (Case c : {Case{0, 0, "\x80" "1.234,57", "(\x80" "1.234,57)"}, {1, 1, "1.234,57\x80", "-\x80" "1.234,57"},
                   {2, 12, "\x80 1.234,57", "\x80 -1.234,57"}, {3, 8, "1.234,57 \x80", "-1.234,57 \x80"},
                   {3, 15, "1.234,57 \x80", "(1.234,57 \x80)"}, {2, 9, "\x80 1.234,57", "-\x80 1.234,57"},
                   {2, 14, "\x80 1.234,57", "(\x80 1.234,57)"}, {1, 5, "1.234,57\x80", "-1.234,57\x80"}}) {
        euro.CurrencyFormat = c.format;
        euro.NegCurrFormat = c.negFormat;
        EXPECT_EQ(FormatCurrency(Currency::FromDouble(1234.565), euro), c.positive) << c.format;
        EXPECT_EQ(FormatCurrency(Currency::FromDouble(-1234.565), euro), c.negative) << c.negFormat;
    }
}

TEST(NumberFormat, PicturesPlaceDigitsSeparatorsAndLiterals) {
    struct Case { const char* picture; double v; const char* text; };
    const Case cases[] = {
        {"0,.##", 1234.5, "1.234,5"},
        {"0,.##", -1234.5, "-1.234,5"},
        {"0.##", 1234.5, "1234,5"},
        {"0.##", 1234, "1234"},
        {"0.00", 1234.5, "1234,50"},
        {"0.00", 0.005, "0,01"},
        {"0.0#", 1.999, "2,0"},
        {"#,##0.00", 1234567.891, "1.234.567,89"},
        {"#,##0", 999, "999"},
        {"#,##0", 0, "0"},
        {"#.##", 0.5, ",5"},
        {"#", 0, ""},
        {"000", 5, "005"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.0", -0.01, "0,0"},
        {"00-00", 1234, "12-34"},
        {"0.00;(0.00)", -1.5, "(1,50)"},
        {"0.00;(0.00)", 1.5, "1,50"},
        {"0;-0;'zero'", 0, "zero"},
        {"0;;'zero'", -3, "-3"},
        {"0;-0", 0, "0"},
        {"'N. '0", 5, "N. 5"},
        {"0 \"kg\"", 3, "3 kg"},
        {"0 'a;b'", 3, "3 a;b"},
        {"\"0#.,\"0", 7, "0#.,7"},
        {"x", 5, "x"},
        {"", 1.5, "1,5"},
        {"0.##", 1e20, "100000000000000000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatNumber(c.picture, c.v, kItalian), c.text) << c.picture << " " << c.v;
    EXPECT_EQ(FormatNumber("#,##0.00", 1234.5, English()), "1,234.50");
}

TEST(NumberFormat, TextToNumberAcceptsOnlyAWholeNumber) {
    struct Case { const char* text; double v; };
    for (Case c : {Case{"1,5", 1.5}, {" 2 ", 2}, {"-3", -3}, {"+4", 4}, {"1E3", 1000}, {"1,5e-2", 0.015},
                   {",5", 0.5}, {"5,", 5}, {"007", 7}, {"1e-400", 0}, {"0,000", 0}}) {
        double v = -1;
        EXPECT_TRUE(TryTextToNumber(c.text, v, kItalian)) << c.text;
        EXPECT_DOUBLE_EQ(v, c.v) << c.text;
    }
    for (const char* bad : {"", " ", "1.5", "1.234", "abc", "1,2,3", "1e", "1e+", "--1", "1 2", "inf", "nan",
                            "0x10", "1e400", ",", "-", "1,5 kg", "\xA0" "1"}) {
        double v = 0;
        EXPECT_FALSE(TryTextToNumber(bad, v, kItalian)) << bad;
    }
    double v = 0;
    EXPECT_TRUE(TryTextToNumber("1.5", v, English()));
    EXPECT_DOUBLE_EQ(v, 1.5);
    try {
        TextToNumber("1.5", kItalian);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'1.5' non \xE8 un numero valido");
    }
}
