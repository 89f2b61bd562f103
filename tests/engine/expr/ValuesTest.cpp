// Named values: the list, its stream form and the report's stored property.
#include <gtest/gtest.h>

#include "engine/expr/CV_Values.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

using namespace tessaly;

namespace {

void Add(TcvValues& values, const char* name, uint8_t kind, int32_t other, const char* ds, const char* field) {
    const int i = values.AddValue();
    values.SetName(i, name);
    TcvValue& v = values.Items(i);
    v.Kind = kind;
    v.OtherKind = other;
    v.DataSetName = ds;
    v.FieldName = field;
}

std::vector<uint8_t> Written(const TcvValues& values) {
    MemoryStream m;
    values.WriteValues(m);
    return m.Data();
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) { return {list.begin(), list.end()}; }

void ReadFrom(TcvValues& values, const std::vector<uint8_t>& bytes) {
    ByteViewStream s(bytes);
    values.ReadValues(s);
}

}  // namespace

TEST(Values, WriteTheCountThenKindOtherKindAndThreeShortTextsPerValue) {
    TcvValues values;
    EXPECT_EQ(Written(values), Bytes({0, 0, 0, 0}));
    Add(values, "Totale", vkDataField, 0, "T", "imp");
    Add(values, "Pag", vkOther, 0, "", "");
    EXPECT_EQ(Written(values), Bytes({2, 0, 0, 0,                                   //
                                      1, 0, 0, 0, 0, 1, 'T', 3, 'i', 'm', 'p', 6,  //
                                      'T', 'o', 't', 'a', 'l', 'e',                 //
                                      2, 0, 0, 0, 0, 0, 0, 3, 'P', 'a', 'g'}));
}

TEST(Values, ReadingReplacesTheListInStreamOrder) {
    TcvValues source;
    Add(source, "Zeta", vkOther, 8, "", "");
    Add(source, "Alfa", vkOther, 1, "", "[Qta] * 2");
    Add(source, "Imp", vkDataField, 0, "Dati.righe", "importo netto");
    TcvValues values;
    Add(values, "Vecchio", vkNone, 0, "", "");
    ReadFrom(values, Written(source));
    ASSERT_EQ(values.Count(), 3);
    EXPECT_EQ(values.Names(0), "Zeta");
    EXPECT_EQ(values.Names(1), "Alfa");
    EXPECT_EQ(values.Items(1).FieldName, "[Qta] * 2");
    EXPECT_EQ(values.Items(2).DataSetName, "Dati.righe");
    EXPECT_EQ(values.Items(0).OtherKind, 8);
    EXPECT_EQ(values.FindVariable("VECCHIO"), nullptr);
}

TEST(Values, FindVariableIgnoresTheCaseOfLetters) {
    TcvValues values;
    Add(values, "Totale", vkOther, 2, "", "");
    Add(values, "totale", vkOther, 3, "", "");
    ASSERT_NE(values.FindVariable("TOTALE"), nullptr);
    EXPECT_EQ(values.FindVariable("TOTALE")->OtherKind, 2) << "the first of two equal names";
    EXPECT_EQ(values.FindVariable("Totali"), nullptr);
    EXPECT_THROW(values.Items(2), EListError);
}

TEST(Values, BadStreamsFailAndLeaveTheListAsItWas) {
    const std::vector<uint8_t> cases[] = {
        Bytes({1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 3, 'a'}),                // ends inside a name
        Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0}),                               // a count the bytes cannot hold
        Bytes({0xFF, 0xFF, 0xFF, 0xFF}),                                  // a negative count
        Bytes({1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 1, 'x'}),                 // kind 3
        Bytes({1, 0, 0, 0, 2, 9, 0, 0, 0, 0, 0, 1, 'x'}),                 // built-in variable 9
        Bytes({1, 0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 'x'}),     // built-in variable -1
    };
    for (const auto& bytes : cases) {
        TcvValues values;
        Add(values, "Resta", vkNone, 0, "", "");
        EXPECT_THROW(ReadFrom(values, bytes), EReadError);
        ASSERT_EQ(values.Count(), 1);
        EXPECT_EQ(values.Names(0), "Resta");
    }
    TcvValues values;
    ReadFrom(values, Bytes({1, 0, 0, 0, 1, 77, 0, 0, 0, 0, 0, 1, 'x'}));
    EXPECT_EQ(values.Items(0).OtherKind, 77) << "the sub-kind of a data-field value is not looked at";
}

TEST(Values, TextsLongerThanTheStreamHoldsAreRefusedBeforeWriting) {
    TcvValues values;
    Add(values, "Lungo", vkOther, 1, "", std::string(256, 'x').c_str());
    MemoryStream m;
    try {
        values.WriteValues(m);
        FAIL() << "written";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Il valore \"Lungo\" non pu\xF2 essere salvato: i suoi testi superano i 255 caratteri.");
    }
    EXPECT_EQ(m.Size(), 0);
    values.Items(0).FieldName.resize(255);
    EXPECT_NO_THROW(values.WriteValues(m));
}
