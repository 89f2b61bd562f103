// What report texts answer outside a preparation: in a report at rest, after a report was
// prepared, after a failed evaluation, and in a host's handler that evaluates another report while
// one is being prepared.
#include <cmath>

#include "engine/prepare/ReportBuilder.h"
#include "engine/expr/CV_Values.h"
#include "platform/core/DateTime.h"

namespace preparetest {
namespace {

// The answer to `text` as "kind value", or the message it raised.
std::string Answer(TcvReport& report, const std::string& text) {
    Variant v;
    try {
        report.Evaluate(text, v);
    } catch (const EngineError& e) {
        return "error " + Cp1252ToUtf8(e.Message());
    }
    switch (v.Type()) {
        case VarType::Integer: return "int " + v.AsString();
        case VarType::Double: return "dbl " + v.AsString();
        case VarType::String: return "str " + v.AsString();
        case VarType::Date: return "date";
        case VarType::Empty: return "empty";
        default: return "other " + v.AsString();
    }
}

using Answers = std::vector<std::pair<std::string, std::string>>;

void ExpectAnswers(TcvReport& report, const Answers& answers) {
    for (const auto& [text, answer] : answers) EXPECT_EQ(Answer(report, text), answer) << text;
}

const char kNotEnabled[] = "error Non \xC3\xA8 possibile inserire in una banda non abilitata la funzione statistica : ";

const Answers kAtRest = {
    {"PAGE#", "int 1"},
    {"TOTALPAGES", "int 0"},
    {"LINE#", "error Identificatore sconosciuto: LINE#"},
    {"LINETHROUGH#", "error Identificatore sconosciuto: LINETHROUGH#"},
    {"CURRENT#", "error Identificatore sconosciuto: CURRENT#"},
    {"COLUMN#", "error Identificatore sconosciuto: COLUMN#"},
    {"VALUE", "error Identificatore sconosciuto: VALUE"},
    {"COUNT()", kNotEnabled + std::string("COUNT")},
    {"COUNT(Righe)", "error Formato parametri non valido nella funzione : COUNT"},
    {"SUM(n)", "error Identificatore sconosciuto: SUM(n)"},
    {"DATE", "date"},
    {"TIME", "date"},
};

TEST(NamesAtRest, AReportAtRestAnswersWithoutAPreparation) {
    ReportBuilder b;
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    ExpectAnswers(*b.report, kAtRest);
    Variant date, time;
    b.report->Evaluate("DATE", date);
    b.report->Evaluate("TIME", time);
    const double now = NowDateTime();
    EXPECT_EQ(date.AsDouble(), std::trunc(now));
    EXPECT_NEAR(time.AsDouble(), now - std::trunc(now), 1.0 / 24 / 60);
}

// After a preparation, the page, the total and the value are the last ones it had; the record and
// column counters are gone with its bands.
TEST(NamesAtRest, APreparedReportKeepsTheLastPageTotalAndValue) {
    ReportBuilder b;
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    b.Line(btMasterData, 100, 20, "[nome]", "Righe", boForceNewPage);
    b.report->TwoPass = 1;
    ASSERT_TRUE(b.Prepare()) << b.error;
    Answers after = kAtRest;
    after[0].second = "int 3";
    after[1].second = "int 3";
    after[6].second = "str Riga 3";
    ExpectAnswers(*b.report, after);
}

// A failed evaluation is the caller's: the next evaluation starts afresh.
TEST(NamesAtRest, NamesResolveAgainAfterAFailedEvaluation) {
    ReportBuilder b;
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    EXPECT_EQ(Answer(*b.report, "VAL('x')"), "error Tipi di parametri errati nella funzione: VAL ('x')");
    EXPECT_EQ(Answer(*b.report, "UPPERCASE('a')"), "str A");
}

// A host's handler evaluates texts of another report while one is being prepared: they see the
// run's page and record, their failures are the handler's own, and the run goes on.
TEST(NamesAtRest, AHandlerEvaluatingAnotherReportDuringAPreparation) {
    ReportBuilder b;
    b.Data("Righe", NumberedColumns(), NumberedRows(3));
    b.Line(btMasterData, 100, 20, "[nome] [Altro]", "Righe", boForceNewPage);
    const int other = b.report->Values().AddValue();
    b.report->Values().SetName(other, "Altro");
    ReportBuilder second;
    std::vector<std::string> seen;
    b.report->OnGetValue = [&](const AnsiString& name, Variant& value) {
        if (name != "Altro") return;
        for (const char* text : {"PAGE#", "LINE#", "VALUE", "VAL('x')", "TOTALPAGES", "1 + 1"})
            seen.push_back(std::string(text) + " = " + Answer(*second.report, text));
        value = Variant("ok");
    };
    ASSERT_TRUE(b.Prepare()) << b.error;
    EXPECT_EQ(b.AllLines(), (std::vector<std::string>{"Riga 1 ok", "Riga 2 ok", "Riga 3 ok"}));
    // Once while the text registers its aggregates (a failure gives 0 then), then once per row.
    std::vector<std::string> expected = {"PAGE# = int 1", "LINE# = int 1", "VALUE = error Identificatore sconosciuto: VALUE",
                                         "VAL('x') = int 0", "TOTALPAGES = int 0", "1 + 1 = dbl 2"};
    for (int row = 1; row <= 3; ++row)
        for (const std::string& s : {"PAGE# = int " + std::to_string(row), "LINE# = int " + std::to_string(row),
                                     "VALUE = str Riga " + std::to_string(row),
                                     std::string("VAL('x') = error Tipi di parametri errati nella funzione: VAL ('x')"),
                                     std::string("TOTALPAGES = int 0"), std::string("1 + 1 = dbl 2")})
            expected.push_back(s);
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace preparetest
