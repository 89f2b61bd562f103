#include "engine/model/CV_ObjectRun.h"

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_View.h"

namespace tessaly {

TcvRestingRun& RestingRun() {
    static TcvRestingRun resting;
    return resting;
}

void TcvRestingRun::KeepLast(int32_t pageIndex, std::vector<int> pageOrder, int32_t totalPages, const Variant& value) {
    pageIndex_ = pageIndex;
    pageOrder_ = std::move(pageOrder);
    totalPages_ = totalPages;
    value_ = value;
}

void TcvRestingRun::Reset() {
    error_ = {};
    object_ = nullptr;
    KeepLast(0, {}, 0, Variant());
}

void TcvRestingRun::RecordError(const AnsiString& message) {
    if (!error_.Recorded) error_ = {true, message, PreparationErrorText(message, nullptr, -1, 0)};
}

Variant TcvRestingRun::Variable(std::string_view key) {
    return key == "TOTALPAGES" ? Variant(totalPages_) : Variant();
}

void TcvRestingRun::MarkSeveralLines() { MarkSeveralLinesOf(object_); }

// No band at rest feeds any rows: COUNT() is not enabled here, the others have nothing to give. The
// error goes to the run installed, which may be an evaluation around this one.
void TcvRestingRun::Aggregate(TcvAggregateFunction function, std::string_view, Variant&) {
    if (function == afCount) ReportPreparationError(MsgAggregateBand + AnsiString("COUNT"));
}

TcvObjectFormat FormatOf(const TcvView* object) {
    return object ? TcvObjectFormat{object->Format, object->FormatText} : TcvObjectFormat{};
}

void MarkSeveralLinesOf(TcvView* object) {
    if (object && object->ObjectType == otMemo) object->SeveralLines = true;
}

}  // namespace tessaly
