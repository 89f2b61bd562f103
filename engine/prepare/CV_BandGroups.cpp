// Groups: the condition of each group header, evaluated with the header as the current band, and
// what a group footer takes in with each record.
#include <QScopedValueRollback>

#include "engine/expr/CV_Expr.h"
#include "engine/model/CV_Memo.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_Guard.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/report/EngineState.h"

namespace tessaly {

namespace {

bool EvaluateCondition(TcvBand& header, Variant& value) {
    TcvBandContext context(header);
    return Guarded([&] { EvaluateExpression(header.GroupCondition, value); });
}

bool SameGroupValue(const Variant& a, const Variant& b) {
    try {
        return VarCompare(a, b) == 0;
    } catch (const EngineError&) {
        return false;  // values that cannot be compared are different groups
    }
}

}  // namespace

void TcvBand::StoreGroupValues() {
    for (TcvBand* h = this; h; h = h->Next) {
        Variant value;
        if (!h->GroupCondition.empty()) EvaluateCondition(*h, value);
        h->LastGroupValue = value;
        if (h->Footer) h->Footer->GroupCount = 0;
    }
}

bool TcvBand::GroupChanged() {
    Variant value;
    return EvaluateCondition(*this, value) && !SameGroupValue(value, LastGroupValue);
}

void TcvBand::UpdateGroupFooter() {
    QScopedValueRollback band(State().CurrentBand, this);
    QScopedValueRollback object(State().CurrentObject, State().CurrentObject);
    for (TcvView* view : Objects)
        if (auto* memo = dynamic_cast<TcvMemoView*>(view); memo && memo->ParentBand == this) {
            State().CurrentObject = memo;
            memo->ExpandText();
        }
    ++GroupCount;
}

}  // namespace tessaly
