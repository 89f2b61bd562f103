#include "engine/model/CV_FieldContent.h"

#include "engine/expr/CV_DataNames.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_View.h"
#include "engine/report/CV_Report.h"
#include "platform/data/Field.h"

namespace tessaly {

namespace {

// The name in a first line of the form "[" name "]" (up to the last "]"); empty when it is not one.
std::string_view BracketedName(const StringList& lines) {
    if (lines.Empty()) return {};
    const std::string_view line = lines[0];
    const size_t close = line.rfind(']');
    if (line.size() < 3 || line[0] != '[' || close == std::string_view::npos) return {};
    return line.substr(1, close - 1);
}

}  // namespace

data::Field* ContentField(const TcvView& view) {
    if (!view.Report || !view.Report->HasPictureFields) return nullptr;
    const std::string_view name = BracketedName(view.MemoLines);
    if (name.empty()) return nullptr;
    data::Field* field = nullptr;
    if (const TcvValue* value = view.Report->Values().FindVariable(name))
        field = value->Kind == vkDataField ? value->BoundField : nullptr;
    else
        field = FindDataField(view.Report->Owner(), name).Field;
    return field && data::IsLargeObject(field->Kind()) ? field : nullptr;
}

}  // namespace tessaly
