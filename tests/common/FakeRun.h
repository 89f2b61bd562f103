#pragma once
// Runs set up by hand, for tests of what texts and objects ask of the run they belong to: its
// counters and variables, the format of its current object, the dataset that feeds it, the
// answers of its aggregates, the error it recorded and, for objects, its pass. Install one with
// TcvRunScope. FakeTextRun is all that report texts see; FakeObjectRun is a run of objects as well.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/expr/CV_TextRun.h"

namespace tessaly::testing {

template <class Run>
class FakeRunOf : public Run {
public:
    TcvRunError error;
    std::map<std::string, Variant, std::less<>> variables;  // LINE#, TOTALPAGES, ...
    int32_t pageIndex = 0;
    std::vector<int> pageOrder;
    double date = 0, time = 0;
    Variant value;
    uint32_t formatCode = 0;
    AnsiString formatText;
    int severalLines = 0;  // times a value gave several lines
    data::Dataset* feeding = nullptr;
    bool registering = false;
    // What the aggregates give; none: they give nothing.
    std::function<void(TcvAggregateFunction, std::string_view, Variant&)> aggregate;

    TcvRunError& Error() override { return error; }
    void RecordError(const AnsiString& message) override {
        if (!error.Recorded) error = {true, message, message};
    }
    Variant Variable(std::string_view key) override {
        const auto found = variables.find(key);
        return found == variables.end() ? Variant() : found->second;
    }
    int32_t PageIndex() const override { return pageIndex; }
    const std::vector<int>& PageSequence() const override { return pageOrder; }
    double RunDate() const override { return date; }
    double RunTime() const override { return time; }
    Variant& LastValue() override { return value; }
    TcvObjectFormat ObjectFormat() const override { return {formatCode, formatText}; }
    void MarkSeveralLines() override { ++severalLines; }
    data::Dataset* FeedingDataSet() override { return feeding; }
    bool Registering() const override { return registering; }
    void Aggregate(TcvAggregateFunction f, std::string_view argument, Variant& v) override {
        if (aggregate) aggregate(f, argument, v);
    }
};

using FakeTextRun = FakeRunOf<TcvTextRun>;

}  // namespace tessaly::testing
