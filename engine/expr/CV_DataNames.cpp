#include "engine/expr/CV_DataNames.h"

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/expr/CV_TextRun.h"
#include "platform/core/Component.h"
#include "platform/data/Dataset.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly {

namespace {

std::string_view Unquoted(std::string_view name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return name.substr(1, name.size() - 2);
    return name;
}

data::Dataset* DatasetOn(const TComponent* owner, std::string_view name) {
    return owner ? dynamic_cast<data::Dataset*>(owner->FindComponent(name)) : nullptr;
}

data::Dataset* DatasetOnForm(std::string_view form, std::string_view name) {
    return DatasetOn(data::ApplicationModules().FindModule(form), name);
}

TcvFieldLookup WithField(data::Dataset* dataSet, std::string_view field) {
    return {dataSet, dataSet ? dataSet->FindField(Unquoted(field)) : nullptr};
}

TcvFieldLookup FindQualified(const TComponent* owner, std::string_view a, std::string_view b) {
    const size_t point = b.find('.');
    if (!b.starts_with('"') && point != std::string_view::npos)
        return WithField(DatasetOnForm(a, b.substr(0, point)), b.substr(point + 1));
    if (data::Dataset* ds = DatasetOn(owner, a)) return WithField(ds, b);
    return {DatasetOnForm(a, Unquoted(b)), nullptr};
}

}  // namespace

TcvFieldLookup FindDataField(const TComponent* owner, std::string_view name) {
    const size_t point = name.find('.');
    if (point != std::string_view::npos && !name.starts_with('"'))
        return FindQualified(owner, name.substr(0, point), name.substr(point + 1));
    return WithField(TextRun().FeedingDataSet(), name);
}

data::Dataset* LookupDataset(const TComponent* owner, std::string_view name) {
    if (name.find('.') != std::string_view::npos)
        return dynamic_cast<data::Dataset*>(data::ApplicationModules().FindModuleComponent(name));
    return DatasetOn(owner, name);
}

data::Dataset* FindDataset(const TComponent* owner, const AnsiString& name) {
    data::Dataset* ds = LookupDataset(owner, name);
    if (!ds) ReportPreparationError(MsgDatasetNotFound + name);
    return ds;
}

}  // namespace tessaly
