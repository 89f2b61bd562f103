#pragma once
// The run of one evaluation of a report's text outside its preparation (TcvReport::Evaluate): it
// keeps its own first error, so that the caller gets the failing function's message and a run
// going on around it (a preparation whose host handler evaluates) keeps its own; everything else
// it asks of the run installed around it. Over a dataset (EvaluateOver), unqualified names read
// that dataset at its current record, as the first record of a master data band would: its record
// counters are 1 and it has added up no rows yet.
#include "engine/model/CV_ObjectRun.h"

namespace tessaly {

class TcvEvaluationRun final : public TcvObjectRun {
public:
    explicit TcvEvaluationRun(TcvObjectRun& outer) : outer_(outer) {}
    // Over `dataset` (which may be none: a master data band without a dataset).
    TcvEvaluationRun(TcvObjectRun& outer, data::Dataset* dataset) : outer_(outer), over_(true), dataset_(dataset) {}

    TcvRunError& Error() override { return error_; }
    void RecordError(const AnsiString& message) override {
        if (!error_.Recorded) error_ = {true, message, message};
    }
    Variant Variable(std::string_view key) override;
    int32_t PageIndex() const override { return outer_.PageIndex(); }
    const std::vector<int>& PageSequence() const override { return outer_.PageSequence(); }
    double RunDate() const override { return outer_.RunDate(); }
    double RunTime() const override { return outer_.RunTime(); }
    Variant& LastValue() override { return outer_.LastValue(); }
    TcvObjectFormat ObjectFormat() const override { return outer_.ObjectFormat(); }
    void MarkSeveralLines() override { outer_.MarkSeveralLines(); }
    data::Dataset* FeedingDataSet() override { return over_ ? dataset_ : outer_.FeedingDataSet(); }
    bool Registering() const override { return outer_.Registering(); }
    void Aggregate(TcvAggregateFunction function, std::string_view argument, Variant& value) override;
    void MakeCurrent(TcvView* object) override { outer_.MakeCurrent(object); }
    TcvView* Current() const override { return outer_.Current(); }
    bool InFirstPass() const override { return outer_.InFirstPass(); }

private:
    TcvObjectRun& outer_;
    bool over_ = false;
    data::Dataset* dataset_ = nullptr;
    TcvRunError error_;
};

}  // namespace tessaly
