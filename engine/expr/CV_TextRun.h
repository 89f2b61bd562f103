#pragma once
// What the texts of a report ask of the run that expands them: its built-in variables, the object
// whose text is expanded (its format, the dataset that feeds its band), its aggregates and its
// first error. A preparation answers from its own state (engine/prepare); outside one, the run of a
// report at rest answers (engine/model). The run that answers is installed beside the evaluator's
// resolver (TcvRunScope); with none installed, a quiet run answers as an empty report would.
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/expr/CV_Expr.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Variant.h"

namespace tessaly {

namespace data {
class Dataset;
}
class TcvObjectRun;

enum TcvAggregateFunction : int { afSum, afAvg, afMin, afMax, afCount };

// How the current object shows its values: its format code and format text.
struct TcvObjectFormat {
    uint32_t Code = 0;
    std::string_view Text;
};

// The first error of a run: the message as raised, and the text shown to the user, which names the
// object, the band and the page. Once recorded, names resolve to nothing.
struct TcvRunError {
    bool Recorded = false;
    AnsiString Message;
    AnsiString Text;
};

class TcvTextRun {
public:
    virtual ~TcvTextRun() = default;

    // --- The first error ----------------------------------------------------------------------------
    virtual TcvRunError& Error() = 0;
    // Records `message` unless an error is recorded already; a preparation ends with it.
    virtual void RecordError(const AnsiString& message) = 0;

    // --- Built-in variables -----------------------------------------------------------------------
    // LINE#, LINETHROUGH#, CURRENT#, COLUMN# and TOTALPAGES; empty for any other name and where the
    // run has no band or page to count.
    virtual Variant Variable(std::string_view key) = 0;
    // The prepared page being drawn on (from 0), and the order of interleaved pages (PageSequence[n]
    // is the page that goes n-th; empty when the pages keep their order).
    virtual int32_t PageIndex() const = 0;
    virtual const std::vector<int>& PageSequence() const = 0;
    // The date and the time taken when the run started.
    virtual double RunDate() const = 0;
    virtual double RunTime() const = 0;
    // VALUE: what the text expansion computed last.
    virtual Variant& LastValue() = 0;

    // --- The object whose text is expanded ------------------------------------------------------
    // Its format code and text (0 and "" without one), valid while the object is current.
    virtual TcvObjectFormat ObjectFormat() const = 0;
    // A value of a text object's text gave several lines.
    virtual void MarkSeveralLines() = 0;
    // The dataset whose rows feed the object's band: unqualified field names read it.
    virtual data::Dataset* FeedingDataSet() = 0;

    // --- Aggregates -------------------------------------------------------------------------------
    // The text objects register the aggregates they read: values are not formatted, and a failing
    // function gives 0 instead of an error.
    virtual bool Registering() const = 0;
    // SUM, AVG, MIN, MAX and COUNT(): registered, or read for the current object; an aggregate the
    // run cannot give leaves the value empty.
    virtual void Aggregate(TcvAggregateFunction function, std::string_view argument, Variant& value) = 0;

    // A run that draws report objects as well (engine/model) gives itself; others none. Objects find
    // their run this way at every draw, without a cast.
    virtual TcvObjectRun* AsObjectRun() { return nullptr; }
};

// The run that answers when none is installed.
TcvTextRun& QuietRun();
// The run installed now (the quiet run when none is).
inline TcvTextRun& TextRun() {
    TcvTextRun* run = ExpressionEvaluator().Run;
    return run ? *run : QuietRun();
}

// Installs a run beside the evaluator's resolver until the scope ends; the run installed before
// answers again afterwards.
class TcvRunScope {
public:
    explicit TcvRunScope(TcvTextRun* run);
    ~TcvRunScope();
    TcvRunScope(const TcvRunScope&) = delete;
    TcvRunScope& operator=(const TcvRunScope&) = delete;

private:
    TcvTextRun* previous_;
};

}  // namespace tessaly
