#pragma once
// The aggregates that a run-time data band feeds: SUM, AVG, MIN, MAX and COUNT() registered by
// the objects that read them, reset and accumulated by the band engine, read back while the
// dependent bands print.
//
// Keys pack what identifies an aggregate: the function's first three letters, "(", the argument
// text as written, ")", the reading object's name, one character whose code is that name's
// length, and (accumulator keys only) the aggregate tag of the band the object prints in. Resets
// act on the accumulators whose key ends with a given tag.
//
// Every accumulator, and every entry of a column aggregate, counts the rows it took in since its
// own reset: an average divides by them and COUNT() reads them, so resetting one group's
// accumulators leaves the others' averages and counts whole.
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include "platform/core/Cp1252.h"
#include "platform/core/Variant.h"

namespace tessaly {

struct TcvAggregateValue {
    Variant Value;
    int32_t Rows = 0;  // rows taken in since the last reset
};

struct TcvAccumulator {
    AnsiString Function;  // "SUM", "AVG", "MIN", "MAX", or "COU" for COUNT()
    AnsiString Argument;
    TcvAggregateValue Total;
    TcvAggregateValue Before;  // Total before the last row was taken in
};

// A cross-table aggregate: one value per cross column.
struct TcvColumnAggregate {
    AnsiString Function;
    AnsiString Argument;
    std::vector<TcvAggregateValue> Columns;
};

class TcvAggregateStore {
public:
    char Tag = '\0';               // ends the accumulator keys registered from this band
    int32_t AggregateRows = 0;     // rows accumulated since the band's last reset
    int32_t AggregateResets = 0;   // resets so far
    int32_t AggregateColumns = 0;  // the most rows seen between two resets: the cross columns
    // Readers get the totals as they were before the last row was taken in: a row taken in but
    // not printed yet is left out of the footers of the page it will not print on.
    bool ReadBefore = false;

    // The starting value: 0 for SUM, AVG and COU, 1e200 for MIN, -1e200 for MAX and any other name.
    static Variant InitialValue(std::string_view function);
    static AnsiString AccumulatorKey(std::string_view function, std::string_view argument,
                                     std::string_view objectName, char tag);
    static AnsiString ColumnKey(std::string_view function, std::string_view argument, std::string_view objectName);
    // Takes one value into an aggregate: SUM adds, AVG keeps the mean of the values taken in, MIN
    // and MAX keep the smaller and the larger; the rows grow by one. EngineError when the values
    // cannot be added or compared.
    static void TakeIn(std::string_view function, const Variant& v, TcvAggregateValue& into);

    // Registration: adds the aggregate unless its key is present.
    void AddAccumulator(const AnsiString& key, std::string_view function, std::string_view argument);
    void AddColumn(const AnsiString& key, std::string_view function, std::string_view argument);
    const TcvAccumulator* FindAccumulator(const AnsiString& key) const;
    // What a reader gets of an accumulator: its total, or the one before the last row (ReadBefore).
    const TcvAggregateValue& Read(const TcvAccumulator& acc) const { return ReadBefore ? acc.Before : acc.Total; }
    const TcvColumnAggregate* FindColumn(const AnsiString& key) const;
    int AccumulatorCount() const { return static_cast<int>(accumulators_.size()); }
    int ColumnAggregateCount() const { return static_cast<int>(columns_.size()); }

    // The accumulators whose key ends with `tag` (with a tag from `tag` to `last`) start again; the
    // band's row count restarts.
    void Reset(char tag);
    void Reset(char tag, char last);

    // Takes in one row: every accumulator, then (with `columns`) every column aggregate's entry for
    // the column numbered by the rows so far. `evaluate` gives an argument's value; each distinct
    // argument text is evaluated once per row. An empty string counts as 0. A failure raises
    // EngineError "Tipi di parametri errati nella funzione: " + function + " (" + argument + ")".
    using Evaluator = std::function<Variant(const AnsiString& argument)>;
    void Accumulate(const Evaluator& evaluate, bool columns);

    void Clear();

private:
    std::map<AnsiString, TcvAccumulator> accumulators_;
    std::map<AnsiString, TcvColumnAggregate> columns_;
};

}  // namespace tessaly
