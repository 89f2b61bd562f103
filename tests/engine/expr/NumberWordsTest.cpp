#include <gtest/gtest.h>

#include <string>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Utils.h"
#include "platform/core/Errors.h"
#include "platform/text/FormatSettings.h"

using namespace tessaly;

namespace {

class NumberWords : public ::testing::Test {
protected:
    FormatSettingsScope italian{FormatSettings::Italian()};
};

std::string Words(double v) { return NumberToWords(Currency::FromDouble(v)); }

}  // namespace

TEST_F(NumberWords, SpellsIntegersByGroups) {
    struct Case { double v; const char* words; };
    const Case cases[] = {
        {0, "zero"},
        {1, "uno"},
        {16, "sedici"},
        {21, "ventuno"},
        {28, "ventotto"},
        {31, "trentuno"},
        {81, "ottantuno"},
        {88, "ottantotto"},
        {100, "cento"},
        {101, "centouno"},
        {108, "centootto"},
        {118, "centodiciotto"},
        {180, "centoottanta"},
        {200, "duecento"},
        {999, "novecentonovantanove"},
        {1000, "mille"},
        {1001, "milleuno"},
        {2000, "duemila"},
        {2345, "duemilatrecentoquarantacinque"},
        {11000, "undicimila"},
        {21000, "ventunomila"},
        {100000, "centomila"},
        {345678, "trecentoquarantacinquemilaseicentosettantotto"},
        {1000000, "unmilione"},
        {1000001, "unmilioneuno"},
        {1001000, "unmilionemille"},
        {2000000, "duemilioni"},
        {1000000000, "unmiliardo"},
        {2000000001, "duemiliardiuno"},
        {1e12, "millemiliardi"},
        {2e12, "duemilamiliardi"},
        {21e12, "ventunomilamiliardi"},
    };
    for (const Case& c : cases) EXPECT_EQ(Words(c.v), c.words) << c.v;
}

TEST_F(NumberWords, SpellsDecimalsSignsAndTheWholeCurrencyRange) {
    struct Case { double v; const char* words; };
    const Case cases[] = {
        {1.5, "uno virgola cinque"},
        {0.05, "zero virgola zero cinque"},
        {12.34, "dodici virgola trentaquattro"},
        {1.0025, "uno virgola zero zero venticinque"},
        {0.0001, "zero virgola zero zero zero uno"},
        {7.1, "sette virgola uno"},
        {-3, "meno tre"},
        {-0.5, "meno zero virgola cinque"},
        {-1000.25, "meno mille virgola venticinque"},
    };
    for (const Case& c : cases) EXPECT_EQ(Words(c.v), c.words) << c.v;
    EXPECT_EQ(NumberToWords(Currency::FromScaled(INT64_MAX)),
              "novecentoventiduemilamiliarditrecentotrentasettemiliardiduecentotremilioni"
              "seicentoottantacinquemilaquattrocentosettantasette virgola cinquemilaottocentosette");
}

TEST_F(NumberWords, NumberToLetterTakesAnyNumericValue) {
    EXPECT_EQ(NumberToLetter(Variant(1.0025)).StringValue(), "uno virgola zero zero venticinque");
    // Four decimals, halves to even (both values are exact binary fractions: true ties).
    EXPECT_EQ(NumberToLetter(Variant(1.03125)).StringValue(), "uno virgola zero trecentododici");
    EXPECT_EQ(NumberToLetter(Variant(1.09375)).StringValue(), "uno virgola zero novecentotrentotto");
    EXPECT_EQ(NumberToLetter(Variant(42)).StringValue(), "quarantadue");
    EXPECT_EQ(NumberToLetter(Variant("12,5")).StringValue(), "dodici virgola cinque");
    EXPECT_THROW(NumberToLetter(Variant("dodici")), EConvertError);
    EXPECT_THROW(NumberToLetter(Variant(1e15)), EConvertError);
    EXPECT_THROW(NumberToLetter(Variant::Null()), EConvertError);
}

TEST_F(NumberWords, EuroConversionsUseTheFixedRate) {
    EXPECT_EQ(MoneyToEuroText(Variant(1936.27)).StringValue(), "\x80 1,00");
    EXPECT_EQ(MoneyToEuroText(Variant(1000000)).StringValue(), "\x80 516,46");
    Variant val = MoneyToEuroValue(Variant(10000));
    EXPECT_EQ(val.Type(), VarType::Double);
    EXPECT_DOUBLE_EQ(val.AsDouble(), 5.16);
    Variant lire = EuroToMoneyValue(Variant(1));
    EXPECT_EQ(lire.Type(), VarType::Currency);
    EXPECT_EQ(lire.CurrencyValue(), EuroRate);
    EXPECT_EQ(EuroToMoneyValue(Variant(0.5)).CurrencyValue().scaled, 9681350);  // not rounded to lire
    EXPECT_EQ(EuroText(Variant(1234.5)).StringValue(), "\x80 1.234,50");
    EXPECT_EQ(EuroText(Variant(-1234.567)).StringValue(), "\x80 -1.234,57");
    EXPECT_THROW(MoneyToEuroText(Variant("molti")), EConvertError);
    EXPECT_THROW(EuroToMoneyValue(Variant(1e12)), EngineError);
}

TEST_F(NumberWords, MoneyUsesTheLocaleCurrencyAndMinusAfterTheSymbolForThisCallOnly) {
    FormatSettings& fs = CurrentFormatSettings();  // Italian: "L.", no decimals, "-L. 1"
    EXPECT_EQ(MoneyText(Variant(1936.27)).StringValue(), "L. 1.936");
    EXPECT_EQ(MoneyText(Variant(-1500)).StringValue(), "L. -1.500");
    EXPECT_EQ(fs.NegCurrFormat, 9);
    EXPECT_EQ(EuroToMoneyText(Variant(1)).StringValue(), "L. 1.936");
    EXPECT_EQ(EuroToMoneyText(Variant(-1)).StringValue(), "L. -1.936");

    fs.CurrencyString = "\x80";
    fs.CurrencyDecimals = 2;
    fs.CurrencyFormat = 3;
    EXPECT_EQ(EuroToMoneyText(Variant(1)).StringValue(), "1.936,27 \x80");
    EXPECT_EQ(MoneyText(Variant(-2.5)).StringValue(), "\x80 -2,50");
    EXPECT_EQ(fs.NegCurrFormat, 9);
    EXPECT_THROW(MoneyText(Variant("x")), EConvertError);
    EXPECT_EQ(fs.NegCurrFormat, 9);  // restored when the call fails too
}
