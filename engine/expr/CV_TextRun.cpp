#include "engine/expr/CV_TextRun.h"

#include "engine/expr/CV_Expr.h"

namespace tessaly {

namespace {

// What answers when no run is installed: an empty report that keeps its error and its last value.
class Quiet final : public TcvTextRun {
public:
    TcvRunError& Error() override { return error_; }
    void RecordError(const AnsiString& message) override {
        if (!error_.Recorded) error_ = {true, message, message};
    }
    Variant Variable(std::string_view) override { return {}; }
    int32_t PageIndex() const override { return 0; }
    const std::vector<int>& PageSequence() const override { return order_; }
    double RunDate() const override { return 0; }
    double RunTime() const override { return 0; }
    Variant& LastValue() override { return value_; }
    TcvObjectFormat ObjectFormat() const override { return {}; }
    void MarkSeveralLines() override {}
    data::Dataset* FeedingDataSet() override { return nullptr; }
    bool Registering() const override { return false; }
    void Aggregate(TcvAggregateFunction, std::string_view, Variant&) override {}

private:
    TcvRunError error_;
    Variant value_;
    std::vector<int> order_;
};

}  // namespace

TcvTextRun& QuietRun() {
    static Quiet quiet;
    return quiet;
}

TcvRunScope::TcvRunScope(TcvTextRun* run) : previous_(ExpressionEvaluator().Run) { ExpressionEvaluator().Run = run; }

TcvRunScope::~TcvRunScope() { ExpressionEvaluator().Run = previous_; }

}  // namespace tessaly
