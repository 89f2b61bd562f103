#pragma once
// What report objects tell and ask of the run that draws them, beside what their texts ask
// (TcvTextRun): which object is being drawn or expanded, and whether the run is the first of two
// passes, in which objects lay themselves out but draw nothing. A preparation is such a run
// (engine/prepare); outside one, the resting run of the program answers.
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/expr/CV_TextRun.h"

namespace tessaly {

class TcvView;

// An object's format, and its several lines marked: what every run of objects answers for the
// object it has current (none: 0 and "", nothing marked; only a text object is marked).
TcvObjectFormat FormatOf(const TcvView* object);
void MarkSeveralLinesOf(TcvView* object);

class TcvObjectRun : public TcvTextRun {
public:
    // The object being drawn or expanded: its format and its band answer for its texts.
    virtual void MakeCurrent(TcvView* object) = 0;
    virtual TcvView* Current() const = 0;
    virtual bool InFirstPass() const = 0;

    TcvObjectRun* AsObjectRun() final { return this; }
};


// The run of the program at rest: no band, no page and no rows, the object drawn last (whose
// format its values take), and what the last preparation left: its last page, its total and order
// of pages and its last value. Objects drawn outside a preparation (in design mode, by a host)
// and texts evaluated then ask it.
class TcvRestingRun final : public TcvObjectRun {
public:
    // What a preparation that ended leaves for the texts evaluated after it.
    void KeepLast(int32_t pageIndex, std::vector<int> pageOrder, int32_t totalPages, const Variant& value);
    // Back to the state of a program that prepared nothing.
    void Reset();

    TcvRunError& Error() override { return error_; }
    void RecordError(const AnsiString& message) override;
    Variant Variable(std::string_view key) override;
    int32_t PageIndex() const override { return pageIndex_; }
    const std::vector<int>& PageSequence() const override { return pageOrder_; }
    double RunDate() const override { return 0; }
    double RunTime() const override { return 0; }
    Variant& LastValue() override { return value_; }
    TcvObjectFormat ObjectFormat() const override { return FormatOf(object_); }
    void MarkSeveralLines() override;
    data::Dataset* FeedingDataSet() override { return nullptr; }
    bool Registering() const override { return false; }
    void Aggregate(TcvAggregateFunction function, std::string_view argument, Variant& value) override;
    void MakeCurrent(TcvView* object) override { object_ = object; }
    TcvView* Current() const override { return object_; }
    bool InFirstPass() const override { return false; }

private:
    TcvRunError error_;
    TcvView* object_ = nullptr;
    int32_t pageIndex_ = 0;
    std::vector<int> pageOrder_;
    int32_t totalPages_ = 0;
    Variant value_;
};

TcvRestingRun& RestingRun();

// The run installed beside the evaluator's resolver, as objects see it: the resting run when the
// installed one is not a run of objects.
inline TcvObjectRun& ObjectRun() {
    TcvObjectRun* run = TextRun().AsObjectRun();
    return run ? *run : RestingRun();
}


}  // namespace tessaly
