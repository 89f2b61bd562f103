#include "engine/data/CV_StandIns.h"

#include <algorithm>

#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly {

StandInDatasets::StandInDatasets(const std::vector<AnsiString>& references) {
    data::ModuleRegistry& registry = data::ApplicationModules();
    for (const AnsiString& reference : references) {
        const size_t dot = reference.find('.');
        if (dot == 0 || dot == AnsiString::npos || dot + 1 == reference.size()) continue;
        if (registry.FindModuleComponent(reference)) continue;
        const AnsiString module = reference.substr(0, dot), component = reference.substr(dot + 1);
        TComponent* found = registry.FindModule(module);
        const bool ours = found && std::any_of(modules_.begin(), modules_.end(),
                                               [&](const auto& m) { return m.get() == found; });
        if (found && !ours) continue;
        auto* dataset = new data::MemoryDataset(&ModuleNamed(module));  // owned by its module
        dataset->SetName(component);
        ++count_;
    }
}

StandInDatasets::~StandInDatasets() = default;  // the modules leave the registry as they go

data::TDataModule& StandInDatasets::ModuleNamed(const AnsiString& name) {
    for (const auto& m : modules_)
        if (SameText(m->Name(), name)) return *m;
    modules_.push_back(std::make_unique<data::TDataModule>(nullptr));
    modules_.back()->SetName(name);
    data::ApplicationModules().AddDataModule(*modules_.back());
    return *modules_.back();
}

}  // namespace tessaly
