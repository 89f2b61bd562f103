// The name resolver of a report: built-in functions and variables, named values, data fields, the
// host's events, and the error that a failure records, in a run set up by hand (what a preparation's
// state answers is tested with it, engine/prepare).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/EngineSupport.h"
#include "common/FakeObjectRun.h"
#include "common/SalesModules.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Format.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_Values.h"
#include "engine/report/CV_Report.h"
#include "platform/core/Errors.h"
#include "platform/text/FormatSettings.h"

using namespace tessaly;

namespace {

// "kind text": the value's kind and its text under the Italian conventions.
std::string Shown(const Variant& v) {
    switch (v.Type()) {
        case VarType::Integer: return "int " + v.AsString();
        case VarType::Double: return "dbl " + v.AsString();
        case VarType::String: return "str " + v.AsString();
        case VarType::Date: return "date " + v.AsString();
        case VarType::Null: return "null";
        default: return "other " + v.AsString();
    }
}

// A report owned by the form of the sales modules, answering names in a run set up by hand.
class ReportInARun : private tessaly::testing::ItalianEngine, public tessaly::testing::SalesModules {
public:
    ReportInARun() {
        report = new TcvReport(&form);
        report->SetName("Report");
        names = std::make_unique<TcvReport::NameScope>(*report, &run);
    }
    ~ReportInARun() { names.reset(); }

    tessaly::testing::FakeObjectRun run;
    TcvReport* report = nullptr;  // owned by the form
    std::unique_ptr<TcvReport::NameScope> names;
};

class Resolver : public ::testing::Test {
protected:
    std::string Eval(const std::string& text) {
        Variant v;
        try {
            prep.report->Evaluate(text, v);
        } catch (const EngineError& e) {
            return "error " + e.Message();
        }
        return Shown(v);
    }
    void AddValue(const char* name, uint8_t kind, int32_t other, const char* ds = "", const char* field = "") {
        TcvValues& values = prep.report->Values();
        const int i = values.AddValue();
        values.SetName(i, name);
        values.Items(i).Kind = kind;
        values.Items(i).OtherKind = other;
        values.Items(i).DataSetName = ds;
        values.Items(i).FieldName = field;
    }

    ReportInARun prep;
    tessaly::testing::FakeObjectRun& run = prep.run;
};

}  // namespace

TEST_F(Resolver, FunctionsComputeAsTheCatalogueSays) {
    struct Case { const char* text; const char* shown; };
    const Case cases[] = {
        {"ROUND(2.5)", "int 2"}, {"ROUND(3.5)", "int 4"}, {"ROUND(-2.5)", "int -2"}, {"TRUNC(-2.7)", "int -2"},
        {"CEIL(-2.5)", "int -2"}, {"FLOOR(-2.5)", "int -3"}, {"CEIL(2)", "int 2"}, {"FLOOR(2)", "int 2"},
        {"CEIL(2.1)", "int 3"}, {"FLOOR(-0.1)", "int -1"}, {"INT(-2.7)", "dbl -2"}, {"FRAC(-2.75)", "dbl -0,75"},
        {"ABS(-3)", "dbl 3"}, {"SQR(3)", "dbl 9"}, {"SQRT(16)", "dbl 4"}, {"POWER(2, 10)", "dbl 1024"},
        {"EXP(0)", "dbl 1"}, {"LN(1)", "dbl 0"}, {"COS(0)", "dbl 1"}, {"SIN(0)", "dbl 0"}, {"ARCTAN(0)", "dbl 0"},
        {"STR(1.5)", "str 1,5"}, {"STR(1 / 3)", "str 0,333333333333333"}, {"VAL('1,5')", "dbl 1,5"},
        {"VAL(' 2 ')", "dbl 2"}, {"LENGTH('caff\xE8')", "int 5"}, {"LENGTH('')", "int 0"},
        {"COPY('abcdef', 2, 3)", "str bcd"}, {"COPY('abc', 0, 2)", "str ab"}, {"COPY('abc', 4, 1)", "str "},
        {"COPY('abc', 2, 0)", "str "}, {"COPY('abc', 2, 99)", "str bc"}, {"POS('c', 'abcabc')", "int 3"},
        {"POS('x', 'abc')", "int 0"}, {"POS('', 'abc')", "int 0"}, {"FILLSTR(3, 'ab')", "str ababab"},
        {"FILLSTR(0, 'ab')", "str "}, {"FILLSTR(-2, 'ab')", "str "}, {"LENGTH(FILLSTR(524288, 'ab'))", "int 1048576"},
        {"NAMECASE('mARIO')", "str Mario"}, {"NAMECASE('')", "str "}, {"PHRASECASE('il gatto-nero')", "str Il Gatto-Nero"},
        {"PHRASECASE('pi\xF9" "alto 2mila')", "str Pi\xF9" "Alto 2Mila"}, {"UPPERCASE('\xE0" "bc')", "str \xE0" "BC"},
        {"LOWERCASE('\xC0" "BC')", "str \xC0" "bc"}, {"IF(1 = 1, 'a', 'b')", "str a"}, {"IF(5, 'a', 'b')", "str b"},
        {"IF(0, 'a', 'b')", "str b"}, {"IF(1.0, 'a', 'b')", "str a"}, {"IF(2 > 1, 10, 1 / 0)", "dbl 10"},
        {"NUMBERTOLETTER(21)", "str ventuno"}, {"FORMATFLOAT('#,##0.00', 1234.5)", "str 1.234,50"},
        {"FORMATDATETIME('d mmmm yyyy', STRTODATE('05/11/1998'))", "str 5 novembre 1998"},
        {"STRTODATE('05/11/1998')", "date 05/11/1998"}, {"STRTOTIME('02:43:35')", "date 02:43:35"},
        {"EURO(1)", "str \x80 1,00"}, {"MONEYTOEUROVAL(10000)", "dbl 5,16"}, {"PI", "dbl 3,14159265358979"},
        {"pi * 2", "dbl 6,28318530717959"}, {"[ Pi ]", "dbl 3,14159265358979"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), c.shown) << c.text;
}

TEST_F(Resolver, ArgumentsAreEvaluatedInTheOrderEachFunctionStates) {
    std::string order;
    prep.report->OnUserFunction = [&](const AnsiString& name, const Variant&, const Variant&, const Variant&,
                                      Variant& value) {
        order += name;
        value = name == "Y" ? Variant("ab") : Variant(2);
    };
    struct Case { const char* text; const char* order; };
    for (Case c : {Case{"FILLSTR(X(), Y())", "YX"}, {"POS(X(), Y())", "YX"}, {"POWER(X(), Y())", "YX"},
                   {"COPY(Y(), X(), Z())", "XZY"}, {"FORMATFLOAT(Y(), X())", "XY"}, {"IF(X(), Y(), Z())", "XZ"}}) {
        order.clear();
        Eval(c.text);
        EXPECT_EQ(order, c.order) << c.text;
    }
}

TEST_F(Resolver, FailuresGiveTheMostSpecificMessage) {
    struct Case { const char* text; const char* message; };
    const Case cases[] = {
        {"VAL('abc')", "Tipi di parametri errati nella funzione: VAL ('abc')"},
        {"ROUND(VAL('x') + 1)", "Tipi di parametri errati nella funzione: VAL ('x')"},
        {"FILLSTR(3, 'a' + 1)", "Tipi di parametri errati nella funzione: FILLSTR (3, 'a' + 1)"},
        {"FILLSTR(2000000000, 'ab')", "Tipi di parametri errati nella funzione: FILLSTR (2000000000, 'ab')"},
        {"FILLSTR(524289, 'ab')", "Tipi di parametri errati nella funzione: FILLSTR (524289, 'ab')"},
        {"LN(0)", "Tipi di parametri errati nella funzione: LN (0)"},
        {"SQRT(-1)", "Tipi di parametri errati nella funzione: SQRT (-1)"},
        {"EXP(1000)", "Tipi di parametri errati nella funzione: EXP (1000)"},
        {"ROUND(1e10)", "Tipi di parametri errati nella funzione: ROUND (1e10)"},
        {"CEIL(-3e9)", "Tipi di parametri errati nella funzione: CEIL (-3e9)"},
        {"STRTODATE('31/02/2001')", "Tipi di parametri errati nella funzione: STRTODATE ('31/02/2001')"},
        {"FILLSTR(3, 'ab', 1)", "E' stato inserito un numero di parametri errato per la funzione : FILLSTR"},
        {"UPPERCASE()", "E' stato inserito un numero di parametri errato per la funzione : UPPERCASE"},
        {"if(1, 2)", "E' stato inserito un numero di parametri errato per la funzione : IF"},
        {"COUNT(a, b)", "E' stato inserito un numero di parametri errato per la funzione : COUNT"},
        {"SUM()", "E' stato inserito un numero di parametri errato per la funzione : SUM"},
        {"PI()", "Identificatore sconosciuto: PI()"},
        {"Ignoto + 1", "Identificatore sconosciuto: Ignoto + 1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.text), std::string("error ") + c.message) << c.text;
    EXPECT_FALSE(run.error.Recorded) << "an evaluation outside a preparation leaves no error behind";
    EXPECT_EQ(Eval("PI"), "dbl 3,14159265358979");
}

// In a preparation the first error is the run's: it stays, and names resolve to nothing after it
// (how a preparation names its object, band and page: engine/prepare).
TEST_F(Resolver, OnlyTheFirstErrorIsRecordedAndNothingResolvesAfterIt) {
    prep.report->Preparing = true;
    AnsiString text = "prima";
    ExpandValueText("VAL('abc')", text);
    EXPECT_EQ(text, "prima") << "the result is left as it was";
    ASSERT_TRUE(run.error.Recorded);
    EXPECT_EQ(run.error.Message, "Tipi di parametri errati nella funzione: VAL ('abc')");
    ReportPreparationError("seconda");
    EXPECT_EQ(run.error.Message, "Tipi di parametri errati nella funzione: VAL ('abc')");
    ExpandValueText("1 + 1", text);
    EXPECT_EQ(text, "prima") << "nothing expands after the error";
    Variant v;
    EXPECT_THROW(prep.report->Evaluate("PI", v), EngineError) << "names resolve to nothing after the error";
    prep.report->Preparing = false;
}

// Qualified names find their dataset; unqualified ones read the dataset that feeds the current
// object's band (which one that is, the preparation knows: engine/prepare).
TEST_F(Resolver, DataFieldsAreFoundByQualifiedAndUnqualifiedNames) {
    struct Case { data::Dataset* feeding; const char* text; const char* shown; };
    const Case cases[] = {
        {prep.clienti, "Dati.righe.prezzo * Dati.righe.qta", "dbl 50"},
        {prep.clienti, "dati.RIGHE.Qta", "int 4"},
        {prep.clienti, "clienti.nome", "str Mario"},
        {prep.clienti, "clienti.\"ragione sociale\"", "str Rossi srl"},
        {prep.clienti, "Vendite.clienti.\"ragione sociale\"", "str Rossi srl"},
        {prep.clienti, "nome", "str Mario"},
        {prep.clienti, "\"ragione sociale\"", "str Rossi srl"},
        {prep.clienti, "[ragione sociale]", "str Rossi srl"},
        {prep.clienti, "saldo", "other 1,5"},
        {prep.clienti, "attivo", "int 1"},
        {prep.clienti, "prezzo", "error Identificatore sconosciuto: prezzo"},
        {prep.righe, "prezzo", "dbl 12,5"},
        {nullptr, "nome", "error Identificatore sconosciuto: nome"},
        {prep.clienti, "Dati.righe", "str DATI.RIGHE"},
        {prep.clienti, "clienti", "str CLIENTI"},
        {prep.clienti, "Vendite.clienti", "str VENDITE.CLIENTI"},
        {prep.clienti, "Dati.righe.manca", "error Identificatore sconosciuto: Dati.righe.manca"},
        {prep.clienti, "Altro.righe.prezzo", "error Identificatore sconosciuto: Altro.righe.prezzo"},
    };
    for (const Case& c : cases) {
        run.feeding = c.feeding;
        EXPECT_EQ(Eval(c.text), c.shown) << c.text;
    }
}

TEST_F(Resolver, NullFieldsReadAsZeroForNumbersAndEmptyForTexts) {
    prep.righe->AppendRow({Variant(), Variant(), Variant()});
    prep.righe->Refresh();
    prep.righe->SetRecNo(3);
    prep.clienti->AppendRow({});
    prep.clienti->Refresh();
    prep.clienti->SetRecNo(2);
    for (auto [text, shown] : {std::pair{"Dati.righe.prezzo", "int 0"}, {"Dati.righe.qta", "int 0"},
                               {"Dati.righe.nota", "str "}, {"clienti.saldo", "int 0"}, {"clienti.dal", "int 0"},
                               {"clienti.attivo", "int 0"}, {"clienti.nome", "str "}, {"clienti.foto", "str "}})
        EXPECT_EQ(Eval(text), shown) << text;
}

TEST_F(Resolver, NamedValuesComeFirstAndAnswerByTheirKind) {
    data::MemoryDataset dated(nullptr, {{"Date", data::FieldKind::String}});
    dated.AppendRow({Variant("dal campo")});
    dated.Open();
    run.feeding = prep.clienti;
    AddValue("Vuoto", vkNone, 0);
    AddValue("Prezzo", vkDataField, 0, "Dati.righe", "prezzo");
    AddValue("Ragione", vkDataField, 0, "clienti", "ragione sociale");
    AddValue("Doppio", vkOther, ExpressionValueKind, "", "Dati.righe.qta * 2");
    AddValue("Pagina", vkOther, 0);
    AddValue("Righe", vkOther, 4);
    AddValue("Oggi", vkOther, 2);
    AddValue("Rotto", vkOther, 9);
    run.pageIndex = 4;
    run.variables["LINE#"] = Variant(7);
    prep.report->Preparing = true;
    run.date = 36104;
    struct Case { const char* text; const char* shown; };
    for (Case c : {Case{"Vuoto", "null"}, {"PREZZO * 2", "dbl 25"}, {"Ragione", "str Rossi srl"},
                   {"doppio + 1", "dbl 9"}, {"Pagina", "int 5"}, {"Righe", "int 7"}, {"Oggi", "date 05/11/1998"}}) {
        Variant v;
        prep.report->Evaluate(c.text, v);
        EXPECT_EQ(Shown(v), c.shown) << c.text;
    }
    run.feeding = &dated;
    Variant v;
    prep.report->Evaluate("Oggi", v);
    EXPECT_EQ(Shown(v), "str dal campo") << "a field called DATE of the object's dataset comes before the date";
    prep.report->Preparing = false;
    EXPECT_EQ(Eval("Rotto"), "error Tipo non valido per la variabile: Rotto");
}

TEST_F(Resolver, BuiltInVariablesReadTheRun) {
    run.variables = {{"LINE#", Variant(3)}, {"LINETHROUGH#", Variant(12)}, {"CURRENT#", Variant(40)},
                     {"COLUMN#", Variant(2)}, {"TOTALPAGES", Variant(9)}};
    run.pageIndex = 0;
    run.date = 36104;
    run.time = 0.5;
    run.value = Variant("ultimo");
    prep.report->Preparing = true;
    struct Case { const char* text; const char* shown; };
    for (Case c : {Case{"PAGE#", "int 1"}, {"LINE#", "int 3"}, {"LINETHROUGH#", "int 12"}, {"CURRENT#", "int 40"},
                   {"COLUMN#", "int 2"}, {"TOTALPAGES", "int 9"}, {"DATE", "date 05/11/1998"},
                   {"TIME", "date 12:00:00"}, {"VALUE", "str ultimo"}, {"Valore", "str ultimo"}}) {
        Variant v;
        prep.report->Evaluate(c.text, v);
        EXPECT_EQ(Shown(v), c.shown) << c.text;
    }
    prep.report->Interleave = prep.report->InterleavedNumbering = 1;
    run.pageOrder = {0, 3, 1, 4, 2};
    run.pageIndex = 1;
    Variant v;
    prep.report->Evaluate("PAGE#", v);
    EXPECT_EQ(v.AsInteger(), 3) << "renumbered pages read their place in the interleaved order";
    prep.report->Preparing = false;
}

TEST_F(Resolver, TheHostAnswersNamedValuesAndWhatNoStepKnows) {
    std::vector<std::string> calls;
    prep.report->OnGetValue = [&](const AnsiString& name, Variant& value) {
        calls.push_back("get " + name);
        if (name == "Chiesto") value = Variant(42);
    };
    prep.report->OnUserFunction = [&](const AnsiString& name, const Variant& p1, const Variant& p2, const Variant& p3,
                                      Variant& value) {
        calls.push_back("user " + name + " " + p1.AsString() + "|" + p2.AsString() + "|" + p3.AsString());
        if (name == "DOPPIO") value = p1 * Variant(2);
    };
    AddValue("Chiesto", vkNone, 0);
    AddValue("Taciuto", vkOther, ExpressionValueKind, "", "7");
    EXPECT_EQ(Eval(" Chiesto "), "int 42");
    EXPECT_EQ(Eval("Taciuto"), "dbl 7");
    EXPECT_EQ(Eval("DOPPIO(4, 'x', 1 + 1, 9)"), "dbl 8");
    EXPECT_EQ(Eval("Ignoto"), "error Identificatore sconosciuto: Ignoto");
    EXPECT_EQ(Eval("VAL('z')"), "error Tipi di parametri errati nella funzione: VAL ('z')");
    EXPECT_EQ(calls, (std::vector<std::string>{"get Chiesto", "get Taciuto", "user DOPPIO 4|x|2", "user Ignoto ||"}))
        << "a failed built-in function is not offered to the host: the error ends the run";
}

TEST_F(Resolver, ExpandingOffersTheWholeTextAsANameFirst) {
    std::vector<std::string> names;
    prep.report->OnUserFunction = [&](const AnsiString& name, const Variant&, const Variant&, const Variant&, Variant&) {
        names.push_back(name);
    };
    AnsiString result;
    ExpandValueText("Dati.righe.prezzo + Dati.righe.qta", result);
    EXPECT_EQ(result, "16,5");
    EXPECT_EQ(names, std::vector<std::string>{"Dati.righe.prezzo + Dati.righe.qta"});
    EXPECT_EQ(Shown(run.value), "dbl 16,5");
}

TEST_F(Resolver, NamedValuesBindToTheirFieldsWhenADocumentStarts) {
    data::MemoryDataset closed(&prep.form, {{"x", data::FieldKind::Integer}});
    closed.SetName("chiuso");
    AddValue("Prezzo", vkDataField, 0, "Dati.righe", "PREZZO");
    AddValue("Foto", vkDataField, 0, "clienti", "foto");
    AddValue("Chiuso", vkDataField, 0, "chiuso", "x");
    AddValue("Pagina", vkOther, 0);
    TcvValues& values = prep.report->Values();
    prep.report->HasPictureFields = values.BindDataFields(&prep.form);
    EXPECT_FALSE(run.error.Recorded);
    EXPECT_EQ(values.Items(0).BoundDataSet, prep.righe);
    ASSERT_NE(values.Items(0).BoundField, nullptr);
    EXPECT_EQ(values.Items(0).BoundField->Name(), "prezzo");
    EXPECT_EQ(values.Items(1).BoundField->Kind(), data::FieldKind::Graphic);
    EXPECT_TRUE(prep.report->HasPictureFields) << "a large-object field may give pictures";
    EXPECT_EQ(values.Items(2).BoundDataSet, &closed);
    EXPECT_EQ(values.Items(2).BoundField, nullptr) << "a closed dataset is skipped";

    struct Case { const char* ds; const char* field; const char* error; };
    for (Case c : {Case{"Dati.righe", "manca", "Non \xE8 stato possibile reperire il campo: righe.manca"},
                   {"Dati.nessuno", "x", "Dataset non assegnato: Dati.nessuno"},
                   {"nessuno", "x", "Dataset non assegnato: nessuno"}}) {
        ClearPreparationError();
        values.Clear();
        AddValue("Primo", vkDataField, 0, c.ds, c.field);
        AddValue("Secondo", vkDataField, 0, "Dati.righe", "qta");
        EXPECT_FALSE(values.BindDataFields(&prep.form));
        EXPECT_EQ(run.error.Message, c.error);
        EXPECT_EQ(values.Items(1).BoundField, nullptr) << "binding stops at the first failure";
    }
    values.BindDataFields(&prep.form);
    EXPECT_EQ(values.Items(1).BoundField, nullptr) << "nothing binds once an error is recorded";
}

TEST_F(Resolver, TheCatalogueListsEveryBuiltInNameWithItsArguments) {
    ASSERT_EQ(FunctionCatalogueCount, 43);
    EXPECT_STREQ(FunctionCatalogue[0], "AVG=Statistiche |AVG(<X>) |Restituiosce la media della serie <X>");
    EXPECT_STREQ(FunctionCatalogue[19],
                 "IF=Logiche |IF(<X>,<Y>,<Z>) |Restituisce <Y> se l'espressione <X> \xE8 verificata altrimenti "
                 "restituisce <Z>");
    EXPECT_STREQ(FunctionCatalogue[42], "EUROTOMONEYVAL=Valuta |EUROTOMONEYVAL(<X>) |Restituisce il numero <X> "
                                        "convertito da euro alla moneta corrente");
    // Each entry's syntax, called with as many arguments as it shows, is a name the resolver knows
    // (while aggregates register, so that they answer and failures of 1 as an argument are quiet).
    run.registering = true;
    run.aggregate = [](TcvAggregateFunction, std::string_view, Variant& v) { v = Variant(1); };
    for (const char* entry : FunctionCatalogue) {
        const std::string text(entry);
        const std::string syntax = text.substr(text.find(" |") + 2, text.rfind(" |") - text.find(" |") - 2);
        std::string call = syntax;
        for (const char* placeholder : {"<X>", "<Y>", "<Z>"})
            if (size_t at = call.find(placeholder); at != std::string::npos) call.replace(at, 3, "1");
        ClearPreparationError();
        Variant v;
        EvaluateExpression(call, v);
        EXPECT_FALSE(v.IsEmpty()) << call;
        EXPECT_FALSE(run.error.Recorded) << call << ": " << run.error.Message;
        EXPECT_EQ(text.substr(0, text.find('=')), syntax.substr(0, syntax.find('('))) << entry;
    }
}
