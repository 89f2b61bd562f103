#include "engine/expr/CV_AggregateStore.h"

#include <algorithm>

#include "engine/expr/CV_Const.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

AnsiString KeyStart(std::string_view function, std::string_view argument, std::string_view objectName) {
    AnsiString key;
    key.reserve(function.size() + argument.size() + objectName.size() + 4);
    key.append(function.substr(0, 3)).append("(").append(argument).append(")").append(objectName);
    key += static_cast<char>(std::min<size_t>(objectName.size(), 255));
    return key;
}

// The values of the arguments of one row, each evaluated once.
class RowValues {
public:
    explicit RowValues(const TcvAggregateStore::Evaluator& evaluate) : evaluate_(evaluate) {}

    const Variant& Of(const AnsiString& argument) {
        for (const auto& [text, value] : values_)
            if (*text == argument) return value;
        Variant v = evaluate_(argument);
        if (v.IsString() && v.StringValue().empty()) v = Variant(0);
        values_.emplace_back(&argument, std::move(v));
        return values_.back().second;
    }

private:
    const TcvAggregateStore::Evaluator& evaluate_;
    std::vector<std::pair<const AnsiString*, Variant>> values_;
};

// COUNT() takes in the row without an argument.
void Apply(const AnsiString& function, const AnsiString& argument, RowValues& row, TcvAggregateValue& into) {
    if (function == "COU") {
        ++into.Rows;
        return;
    }
    try {
        TcvAggregateStore::TakeIn(function, row.Of(argument), into);
    } catch (const EngineError&) {
        throw EngineError(MsgFunctionFailed + function + " (" + argument + ")");
    }
}

}  // namespace

Variant TcvAggregateStore::InitialValue(std::string_view function) {
    if (function == "SUM" || function == "AVG" || function == "COU") return Variant(0);
    if (function == "MIN") return Variant(1e200);
    return Variant(-1e200);
}

AnsiString TcvAggregateStore::AccumulatorKey(std::string_view function, std::string_view argument,
                                             std::string_view objectName, char tag) {
    return KeyStart(function, argument, objectName) + tag;
}

AnsiString TcvAggregateStore::ColumnKey(std::string_view function, std::string_view argument,
                                        std::string_view objectName) {
    return KeyStart(function, argument, objectName);
}

void TcvAggregateStore::TakeIn(std::string_view function, const Variant& v, TcvAggregateValue& into) {
    Variant& acc = into.Value;
    if (function == "SUM")
        acc = acc + v;
    else if (function == "AVG")
        acc = (acc * Variant(into.Rows) + v) / Variant(into.Rows + 1);
    else if (function == "MIN" && VarCompare(v, acc) < 0)
        acc = v;
    else if (function == "MAX" && VarCompare(v, acc) > 0)
        acc = v;
    ++into.Rows;
}

void TcvAggregateStore::AddAccumulator(const AnsiString& key, std::string_view function, std::string_view argument) {
    const AnsiString name(function.substr(0, 3));
    const TcvAggregateValue start{InitialValue(name), 0};
    accumulators_.try_emplace(key, TcvAccumulator{name, AnsiString(argument), start, start});
}

void TcvAggregateStore::AddColumn(const AnsiString& key, std::string_view function, std::string_view argument) {
    columns_.try_emplace(key, TcvColumnAggregate{AnsiString(function.substr(0, 3)), AnsiString(argument), {}});
}

const TcvAccumulator* TcvAggregateStore::FindAccumulator(const AnsiString& key) const {
    auto it = accumulators_.find(key);
    return it == accumulators_.end() ? nullptr : &it->second;
}

const TcvColumnAggregate* TcvAggregateStore::FindColumn(const AnsiString& key) const {
    auto it = columns_.find(key);
    return it == columns_.end() ? nullptr : &it->second;
}

void TcvAggregateStore::Reset(char tag) { Reset(tag, tag); }

void TcvAggregateStore::Reset(char tag, char last) {
    const auto from = static_cast<unsigned char>(tag), to = static_cast<unsigned char>(last);
    for (auto& [key, acc] : accumulators_) {
        const auto t = key.empty() ? 0u : static_cast<unsigned char>(key.back());
        if (!key.empty() && t >= from && t <= to) acc.Total = acc.Before = {InitialValue(acc.Function), 0};
    }
    AggregateRows = 0;
    ++AggregateResets;
}

void TcvAggregateStore::Accumulate(const Evaluator& evaluate, bool columns) {
    RowValues row(evaluate);
    for (auto& [key, acc] : accumulators_) {
        acc.Before = acc.Total;
        Apply(acc.Function, acc.Argument, row, acc.Total);
    }
    ++AggregateRows;
    if (columns) {
        for (auto& [key, column] : columns_) {
            // Entries up to this column exist, each starting as a reset leaves it.
            if (column.Columns.size() < static_cast<size_t>(AggregateRows))
                column.Columns.resize(AggregateRows, {InitialValue(column.Function), 0});
            Apply(column.Function, column.Argument, row, column.Columns[AggregateRows - 1]);
        }
    }
    AggregateColumns = std::max(AggregateColumns, AggregateRows);
}

void TcvAggregateStore::Clear() {
    accumulators_.clear();
    columns_.clear();
    AggregateRows = AggregateResets = AggregateColumns = 0;
}

}  // namespace tessaly
