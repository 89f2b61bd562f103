#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/expr/CV_Expr.h"
#include "platform/core/Errors.h"
#include "platform/text/FormatSettings.h"

using namespace tessaly;
using namespace std::string_literals;

namespace {

struct ResolverCall {
    std::string name;
    bool hasArgs = false;
    std::vector<std::string> args;
};

// A resolver answering from a table and remembering what it was asked.
struct TableResolver {
    std::map<std::string, Variant> values;
    std::vector<ResolverCall> calls;

    static void Resolve(void* context, std::string_view name, const TcvExprArgs* args, Variant& value) {
        auto* self = static_cast<TableResolver*>(context);
        EXPECT_TRUE(value.IsEmpty());
        ResolverCall call{std::string(name), args != nullptr, {}};
        if (args) call.args.assign(args->begin(), args->end());
        self->calls.push_back(call);
        auto it = self->values.find(std::string(name));
        if (it != self->values.end()) value = it->second;
    }
};

class Expr : public ::testing::Test {
protected:
    void TearDown() override {
        SetExpressionResolver(nullptr, nullptr);
        SetExpressionErrorMode(0);
    }
    static Variant Eval(std::string_view text) {
        Variant v = Variant("unchanged");
        EvaluateExpression(text, v);
        return v;
    }
    static std::string ErrorOf(std::string_view text) {
        try {
            Eval(text);
        } catch (const EngineError& e) {
            return e.Message();
        }
        return "(no error)";
    }
    void Install(TableResolver& r) { SetExpressionResolver(&TableResolver::Resolve, &r); }

    FormatSettingsScope italian{FormatSettings::Italian()};
};

}  // namespace

TEST_F(Expr, OperatorsGroupAsTheReaderReadsThem) {
    struct Case { const char* text; double value; };
    const Case cases[] = {
        {"1 + 8 / 4 / 2", 5},   {"8 / 4 / 2 + 1", 2},  {"2 * 3 ^ 2", 36},      {"2 ^ 3 * 2", 16},
        {"-3 * 2", -6},         {"2 * -3", -3},        {"- -1", -1},           {"+5", 5},
        {"1 + 2 * 3 - 4", 3},   {"10 - 2 - 3", 5},     {"2 ^ 3 ^ 2", 64},      {"1 + 2 ^ 3 ^ 2", 513},
        {"1 + 2 * 3 * 4", 25},  {"(1 + 2) * 3", 9},    {"(((1)))", 1},         {"1.5 * 2", 3},
        {"1.", 1},              {".5", 0.5},           {"1 +", 1},             {"1 AND", 1},
        {"1 = 1", 1},           {"1 = 2", 0},          {"2 > 1", 1},           {"2 >= 2", 1},
        {"1 <= 0", 0},          {"1 <> 1", 0},         {"1 < 2", 1},           {"NOT (1 = 2)", 1},
        {"NOT 5", 0},           {"NOT 0", 1},          {"not 0", 1},           {"NOT NOT 7", 1},
        {"NOT 0 + 1", 2},       {"1 = 1 AND 2 = 2", 0}, {"(1 = 1) AND (2 = 2)", 1}, {"7 mod 4", 3},
        {"7 DIV 2", 3},         {"-7 div 2", -3},      {"6 or 1", 7},          {"6 Or 1", 7},
        {"6 and 3", 2},         {"1 = 1 = 1", 1},      {"'5' + 1", 6},         {"'abc' < 'abd'", 1},
        {"'' = ''", 1},         {"3 - 1 = 2", 1},      {"1 < 2 = 1", 1},       {"1\t+\n2", 3},
    };
    for (const Case& c : cases) {
        Variant v = Eval(c.text);
        EXPECT_TRUE(v.IsNumber()) << c.text;
        EXPECT_NEAR(v.AsDouble(), c.value, 1e-9) << c.text;
    }
}

TEST_F(Expr, ResultsKeepTheirKinds) {
    EXPECT_TRUE(Eval("").IsNull());
    EXPECT_EQ(Eval("2").Type(), VarType::Double);         // number literals are doubles
    EXPECT_EQ(Eval("1 = 1").Type(), VarType::Integer);    // truth values become 1 or 0
    EXPECT_EQ(Eval("NOT 0").Type(), VarType::Integer);
    EXPECT_EQ(Eval("7 div 2").Type(), VarType::Integer);
    EXPECT_EQ(Eval("'It''s'").StringValue(), "It's");
    EXPECT_EQ(Eval("'a' + 'b'").StringValue(), "ab");
    EXPECT_EQ(Eval("'(' + 'a'").StringValue(), "(a");
    EXPECT_EQ(Eval("'unclosed").StringValue(), "unclosed");
    EXPECT_EQ(Eval("''").Type(), VarType::String);
    EXPECT_EQ(Eval("1\0 + 2"s).AsDouble(), 1);  // the text ends at its first zero byte
}

TEST_F(Expr, FailuresCarryTheRestOfTheLevelText) {
    struct Case { const char* text; std::string message; };
    const Case cases[] = {
        {"   ", "Identificatore sconosciuto:    "},
        {"(1+2", "Numero errato di parentesi nell'espressione : (1+2"},
        {"1+2)", "Numero errato di parentesi nell'espressione : 1+2)"},
        {"1 / 0", "Tipo di dati incompatibili nell'espressione: 1 / 0"},
        {"2 * (1 / 0) + 1", "Tipo di dati incompatibili nell'espressione: 1 / 0) + 1"},
        {"'a' - 1", "Tipo di dati incompatibili nell'espressione: 'a' - 1"},
        {"0 ^ 2", "Tipo di dati incompatibili nell'espressione: 0 ^ 2"},
        {"(0 - 8) ^ 2", "Tipo di dati incompatibili nell'espressione: (0 - 8) ^ 2"},
        {"x", "Identificatore sconosciuto: x"},
        {"1 + @", "Identificatore sconosciuto: 1 + @"},
        {"1 + (2 * @)", "Identificatore sconosciuto: 2 * @)"},
        {"[abc", "Identificatore sconosciuto: [abc"},
        {"[abc]", "Identificatore sconosciuto: [abc]"},
        {"()", "Identificatore sconosciuto: )"},
        {"\xE0" "bc", "Identificatore sconosciuto: \xE0" "bc"},
        {"1 2", "Operatore mancante nell'espressione: 1 2"},
        {"1.2.3", "'1,2.3' non \xE8 un numero valido"},
        {"NOT 'abc'", "'abc' non \xE8 un numero valido"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST_F(Expr, ErrorModeOneTurnsOperatorFailuresIntoZero) {
    SetExpressionErrorMode(1);
    EXPECT_EQ(Eval("1 / 0").Type(), VarType::Integer);
    EXPECT_EQ(Eval("1 / 0").AsInteger(), 0);
    EXPECT_EQ(Eval("5 + 'a' * 2").AsDouble(), 5);
    EXPECT_EQ(ErrorOf("x"), "Identificatore sconosciuto: x");  // not an operator failure
    EXPECT_EQ(ErrorOf("NOT 'a'"), "'a' non \xE8 un numero valido");
    SetExpressionErrorMode(0);
    EXPECT_THROW(Eval("1 / 0"), EngineError);
}

TEST_F(Expr, NamesReachTheResolverAsWritten) {
    TableResolver r;
    r.values = {{"F", Variant(1)}, {"Cliente.Nome", Variant("Rossi")}, {"T.\"Nome Cliente\"", Variant(5)},
                {"\"Nome\"", Variant(2)}, {"PAGE#", Variant(3)}, {"Nullo", Variant::Null()},
                {"T.\"Cliente's\"", Variant(4)}};
    Install(r);
    struct Case { const char* text; std::string name; bool hasArgs; std::vector<std::string> args; };
    const Case cases[] = {
        {"F(a, (b, c), 'x,y', [d,e])", "F", true, {"a", " (b, c)", " 'x,y'", " [d,e]"}},
        {"F()", "F", true, {}},
        {"F", "F", false, {}},
        {"F(a,,b)", "F", true, {"a", "b"}},
        {"F ( 1 )", "F", true, {" 1 "}},
        {"F('a)b', 1)", "F", true, {"'a)b'", " 1"}},
        {"F(\"x,y\", [a,b])", "F", true, {"\"x,y\"", " [a,b]"}},
        {"F('5\" x', (1))", "F", true, {"'5\" x'", " (1)"}},
        {"F(G(1, 2), 3)", "F", true, {"G(1, 2)", " 3"}},
        {"[Cliente.Nome]", "Cliente.Nome", false, {}},
        {"T.\"Nome Cliente\" + 1", "T.\"Nome Cliente\"", false, {}},
        {"\"Nome\" + 1", "\"Nome\"", false, {}},
        {"T.\"Cliente's\" + 1", "T.\"Cliente's\"", false, {}},
        {"PAGE# * 2", "PAGE#", false, {}},
        {"Nullo", "Nullo", false, {}},
    };
    for (const Case& c : cases) {
        r.calls.clear();
        EXPECT_NO_THROW(Eval(c.text)) << c.text;
        ASSERT_EQ(r.calls.size(), 1u) << c.text;
        EXPECT_EQ(r.calls[0].name, c.name) << c.text;
        EXPECT_EQ(r.calls[0].hasArgs, c.hasArgs) << c.text;
        EXPECT_EQ(r.calls[0].args, c.args) << c.text;
    }
    EXPECT_EQ(Eval("[Cliente.Nome] + '!'").StringValue(), "Rossi!");
    EXPECT_TRUE(Eval("Nullo").IsNull());  // null is a valid answer
    EXPECT_EQ(ErrorOf("1 + Ignoto"), "Identificatore sconosciuto: 1 + Ignoto");
}

TEST_F(Expr, ResolverMayEvaluateArgumentsInsideAnEvaluation) {
    struct Doubler {
        static void Resolve(void*, std::string_view name, const TcvExprArgs* args, Variant& value) {
            if (name == "DOPPIO" && args && args->size() == 1) {
                Variant inner;
                EvaluateExpression((*args)[0], inner);
                value = inner * Variant(2);
            }
            if (name == "GUASTO") throw EConvertError("guasto");
        }
    };
    SetExpressionResolver(&Doubler::Resolve, nullptr);
    EXPECT_EQ(Eval("DOPPIO(1 + DOPPIO(2)) * 2 + 1").AsDouble(), 21);
    EXPECT_EQ(Eval("1 + 8 / DOPPIO(4 / 2) / 2").AsDouble(), 5);
    EXPECT_EQ(ErrorOf("1 + GUASTO"), "guasto");  // the resolver's own error passes unchanged
    EXPECT_THROW(Eval("1 + GUASTO"), EConvertError);
}

TEST_F(Expr, DeepNestingIsRefusedInsteadOfOverflowingTheStack) {
    const std::string depthMessage = "Troppi livelli di annidamento nell'espressione: ";
    const int n = 100000;
    std::string parens = std::string(n, '(') + "1" + std::string(n, ')');
    EXPECT_EQ(ErrorOf(parens).rfind(depthMessage, 0), 0u);
    std::string nots;
    for (int i = 0; i < n; ++i) nots += "NOT ";
    EXPECT_EQ(ErrorOf(nots + "0").rfind(depthMessage, 0), 0u);
    std::string run = "1 + 2";
    for (int i = 0; i < n; ++i) run += " * 1";
    EXPECT_EQ(ErrorOf(run).rfind(depthMessage, 0), 0u);

    // Within the limit, deep texts still evaluate.
    const int ok = 300;
    EXPECT_EQ(Eval(std::string(ok, '(') + "1" + std::string(ok, ')')).AsDouble(), 1);

    // A resolver that evaluates itself forever meets the same limit.
    struct Recursive {
        static void Resolve(void*, std::string_view, const TcvExprArgs*, Variant& value) {
            EvaluateExpression("1 + R", value);
        }
    };
    SetExpressionResolver(&Recursive::Resolve, nullptr);
    EXPECT_EQ(ErrorOf("R").rfind(depthMessage, 0), 0u);
    // and the evaluator is usable afterwards: every level it opened was closed.
    SetExpressionResolver(nullptr, nullptr);
    EXPECT_EQ(Eval(std::string(ok, '(') + "2" + std::string(ok, ')')).AsDouble(), 2);
}
