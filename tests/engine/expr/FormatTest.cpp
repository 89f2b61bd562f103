// Values as objects show them: format codes, categories, patterns and the expansion of a text
// object's bracketed expressions.
#include <gtest/gtest.h>

#include "common/FakeRun.h"
#include "engine/expr/CV_Format.h"
#include "engine/expr/CV_FormatCode.h"
#include "engine/expr/CV_Functions.h"
#include "platform/core/DateTime.h"
#include "platform/text/FormatSettings.h"

using namespace tessaly;

namespace {

uint32_t Code(int category, int index, int decimals = 2, char separator = ',') {
    return WithCategory(WithIndex(WithDecimals(WithSeparator(0, separator), decimals), index), category);
}

const double kNovember5 = EncodeDate(1998, 11, 5);

}  // namespace

TEST(FormatValue, ByCategoryAndIndex) {
    FormatSettingsScope italian(FormatSettings::Italian());
    struct Case { Variant value; uint32_t code; const char* text; const char* shown; };
    const Case cases[] = {
        {Variant(1234.5), Code(fcNumber, 0), "", "1234,5"},
        {Variant(1234.5), Code(fcNumber, 1), "", "1234,50"},
        {Variant(1234.5), Code(fcNumber, 2), "", "1.234,5"},
        {Variant(1234.5), Code(fcNumber, 3), "", "1.234,50"},
        {Variant(1234.5), Code(fcNumber, 1, 0), "", "1235"},
        {Variant(1234), Code(fcNumber, 0), "", "1234"},
        {Variant(1234567.891), Code(fcNumber, 3, 3), "", "1.234.567,891"},
        {Variant(1234.5), Code(fcNumber, 1, 2, '.'), "", "1234.50"},
        {Variant(-0.5), Code(fcNumber, 1, 1), "", "-0,5"},
        {Variant(1234.5), Code(fcNumber, 4), "#,##0.000", "1.234,500"},
        {Variant("12 pezzi"), Code(fcNumber, 1), "", "12 pezzi"},
        {Variant(1e15), Code(fcNumber, 1), "", "1E15"},
        {Variant::DateTime(kNovember5), Code(fcText, 0), "", "05/11/1998"},
        {Variant::DateTime(kNovember5 + EncodeTime(2, 43, 35, 0)), Code(fcText, 0), "", "05/11/1998 02:43:35"},
        {Variant::DateTime(0.5), Code(fcText, 0), "", "12:00:00"},
        {Variant::DateTime(0), Code(fcText, 0), "", ""},
        {Variant(2.5), Code(fcText, 3), "", "2,5"},
        {Variant::DateTime(kNovember5), Code(fcDate, 0), "", "05/11/98"},
        {Variant::DateTime(kNovember5), Code(fcDate, 1), "", "05/11/1998"},
        {Variant::DateTime(kNovember5), Code(fcDate, 2), "", "5 nov 1998"},
        {Variant::DateTime(kNovember5), Code(fcDate, 3), "", "5 novembre 1998"},
        {Variant::DateTime(kNovember5), Code(fcDate, 4), "dddd d mmmm yyyy", "gioved\xEC 5 novembre 1998"},
        {Variant("05/11/1998"), Code(fcDate, 2), "", "5 nov 1998"},
        {Variant::DateTime(EncodeTime(2, 43, 35, 0)), Code(fcTime, 0), "", "02:43:35"},
        {Variant::DateTime(EncodeTime(2, 43, 35, 0)), Code(fcTime, 1), "", "2:43:35"},
        {Variant::DateTime(EncodeTime(2, 43, 35, 0)), Code(fcTime, 2), "", "02:43"},
        {Variant::DateTime(EncodeTime(2, 43, 35, 0)), Code(fcTime, 3), "", "2:43"},
        {Variant::DateTime(EncodeTime(14, 5, 0, 0)), Code(fcTime, 4), "h.nn", "14.05"},
        {Variant(0), Code(fcBoolean, 0), "", "0"},
        {Variant(1), Code(fcBoolean, 0), "", "1"},
        {Variant(0), Code(fcBoolean, 1), "", "No"},
        {Variant(1), Code(fcBoolean, 1), "", "Si"},
        {Variant(5), Code(fcBoolean, 1), "", "Si"},
        {Variant(0), Code(fcBoolean, 2), "", " "},
        {Variant(1), Code(fcBoolean, 2), "", "X"},
        {Variant(5), Code(fcBoolean, 2), "", "X"},
        {Variant(1), Code(fcBoolean, 3), "", ""},
        {Variant(1), Code(7, 0), "", ""},
        {Variant(1234.5), Code(fcNumber, 9), "", ""},
        // What cannot be formatted is written as it is.
        {Variant("abc"), Code(fcDate, 1), "", "abc"},
        {Variant(1.5), Code(fcBoolean, 1), "", "1,5"},
        {Variant("x"), Code(fcBoolean, 0), "", "x"},
        {Variant(1e300), Code(fcDate, 1), "", "1E300"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatValue(c.value, c.code, c.text), c.shown) << c.shown << " code " << std::hex << c.code;
    for (int category = 0; category < 5; ++category) {
        EXPECT_EQ(FormatValue(Variant::Null(), Code(category, 0), ""), "");
        EXPECT_EQ(FormatValue(Variant(), Code(category, 1), ""), "");
    }
}

TEST(FormatValue, LeavesTheLocaleAsItWas) {
    FormatSettings odd = FormatSettings::Italian();
    odd.TimeSeparator = '.';
    FormatSettingsScope scope(odd);
    EXPECT_EQ(FormatValue(Variant::DateTime(0.5), Code(fcTime, 0), ""), "12:00:00");
    EXPECT_EQ(FormatValue(Variant(1.5), Code(fcNumber, 1, 1, '.'), ""), "1.5");
    EXPECT_EQ(CurrentFormatSettings().TimeSeparator, '.');
    EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, ',');
    EXPECT_EQ(DefaultFormatCode(), 0x200u + ',');
}

namespace {

// A resolver of a few names and the built-in functions, for texts expanded without a report.
void AnswerNames(void*, std::string_view name, const TcvExprArgs* args, Variant& value) {
    if (args) return (void)CallBuiltInFunction(nullptr, UpperCase(name), *args, value);
    if (name == "prezzo") value = Variant(12.5);
    if (name == "nota") value = Variant("prima");
    if (name == "DUERIGHE") value = Variant("uno\r\ndue");
}

}  // namespace

// A bracketed expression of the run's current object: formatted with the object's format, its value
// kept as the run's last value (VALUE), a value of several lines told to the run; while aggregates
// register, the plain text and no error.
TEST(ExpandValueText, FormatsWithTheObjectsCodeAndMarksSeveralLines) {
    FormatSettingsScope italian(FormatSettings::Italian());
    tessaly::testing::FakeTextRun run;
    TcvRunScope scope(&run);
    const TcvResolveValue resolver = ExpressionEvaluator().ResolveValue;
    void* context = ExpressionEvaluator().ResolveContext;
    SetExpressionResolver(&AnswerNames, nullptr);
    run.formatCode = Code(fcNumber, 3, 2);
    AnsiString result;
    ExpandValueText("prezzo * 1000", result);
    EXPECT_EQ(result, "12.500,00");
    EXPECT_EQ(run.value.AsDouble(), 12500);
    EXPECT_EQ(run.severalLines, 0);
    run.formatCode = Code(fcText, 0);
    ExpandValueText("'a' + FILLSTR(1, nota) + 'b'", result);
    EXPECT_EQ(result, "aprimab");
    ExpandValueText("DUERIGHE", result);
    EXPECT_EQ(result, "uno\r\ndue");
    EXPECT_EQ(run.severalLines, 1);
    run.formatCode = Code(fcNumber, 3, 2);
    run.registering = true;
    ExpandValueText("prezzo * 1000", result);
    EXPECT_EQ(result, "12500") << "registering: the plain text";
    ExpandValueText("VAL(nota)", result);
    EXPECT_FALSE(run.error.Recorded) << "registering: no error";
    run.registering = false;
    ExpandValueText("VAL(nota)", result);
    EXPECT_EQ(run.error.Message, "Tipi di parametri errati nella funzione: VAL (nota)");
    SetExpressionResolver(resolver, context);
}
