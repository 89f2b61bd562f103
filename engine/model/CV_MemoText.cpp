// Text objects: where their lines come from (the designed text with its bracketed expressions
// replaced by their values, or a large-object field).
#include "engine/expr/CV_Format.h"
#include "engine/model/CV_FieldContent.h"
#include "engine/model/CV_Memo.h"
#include "engine/report/EngineState.h"
#include "platform/data/Field.h"

namespace tessaly {

namespace {

// The "]" that closes the "[" at `open`, counting the brackets nested inside; npos when none does.
size_t MatchingBracket(std::string_view line, size_t open) {
    int depth = 0;
    for (size_t i = open; i < line.size(); ++i) {
        if (line[i] == '[') ++depth;
        else if (line[i] == ']' && --depth == 0) return i;
    }
    return std::string_view::npos;
}

// Copies `line` into `out` with each outermost bracketed part replaced by its value text. The
// values are inserted as they are, never scanned again; an unclosed "[" takes the rest of the line.
void ExpandLine(std::string_view line, AnsiString& out) {
    size_t from = 0;
    while (from < line.size()) {
        const size_t open = line.find('[', from);
        if (open == std::string_view::npos) break;
        out.append(line.substr(from, open - from));
        const size_t close = MatchingBracket(line, open);
        AnsiString value;
        ExpandValueText(line.substr(open + 1, close == std::string_view::npos ? close : close - open - 1), value);
        out += value;
        if (close == std::string_view::npos) return;
        from = close + 1;
    }
    if (from < line.size()) out.append(line.substr(from));
}

}  // namespace

void TcvMemoView::ExpandText() {
    WorkLines.Clear();
    SeveralLines = false;
    for (int i = 0; i < MemoLines.Count(); ++i) {
        if (EngineMode != emRun) {
            WorkLines.Add(MemoLines[i]);
            continue;
        }
        AnsiString line;
        ExpandLine(MemoLines[i], line);
        if (line.find_first_of("\r\n") != AnsiString::npos) SeveralLines = true;
        WorkLines.Add(std::move(line));
    }
}

void TcvMemoView::LoadFromField(data::Field& field) {
    WorkLines.Clear();
    SeveralLines = false;
    if (!field.IsNull()) WorkLines.SetText(field.Value().AsString());
}

bool TcvMemoView::LoadFromBinaryField() {
    data::Field* field = ContentField(*this);
    if (field) LoadFromField(*field);
    return field != nullptr;
}

}  // namespace tessaly
