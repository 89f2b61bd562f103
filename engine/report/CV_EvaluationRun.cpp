#include "engine/report/CV_EvaluationRun.h"

namespace tessaly {

Variant TcvEvaluationRun::Variable(std::string_view key) {
    if (over_ && (key == "LINE#" || key == "LINETHROUGH#" || key == "CURRENT#" || key == "COLUMN#")) return Variant(1);
    return outer_.Variable(key);
}

// Over a dataset, COUNT() counts the rows added up so far: none; the other aggregates have no value
// yet.
void TcvEvaluationRun::Aggregate(TcvAggregateFunction function, std::string_view argument, Variant& value) {
    if (!over_) return outer_.Aggregate(function, argument, value);
    if (function == afCount) value = Variant(0);
}

}  // namespace tessaly
