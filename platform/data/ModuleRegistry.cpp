#include "platform/data/ModuleRegistry.h"

#include <algorithm>

#include "platform/data/DataModule.h"

namespace tessaly::data {

class ModuleRegistry::Watcher : public TComponent {
public:
    explicit Watcher(ModuleRegistry& registry) : TComponent(nullptr), registry_(registry) {}

protected:
    void Notification(TComponent* freed) override { registry_.Forget(freed); }

private:
    ModuleRegistry& registry_;
};

namespace {

void AddOnce(std::vector<TComponent*>& list, TComponent* c) {
    if (std::find(list.begin(), list.end(), c) == list.end()) list.push_back(c);
}

}  // namespace

ModuleRegistry::ModuleRegistry() : watcher_(std::make_unique<Watcher>(*this)) {}

ModuleRegistry::~ModuleRegistry() = default;

void ModuleRegistry::AddForm(TComponent& form) {
    AddOnce(forms_, &form);
    form.FreeNotification(watcher_.get());
}

void ModuleRegistry::AddDataModule(TDataModule& module) {
    AddOnce(modules_, &module);
    module.FreeNotification(watcher_.get());
}

void ModuleRegistry::Remove(TComponent& component) {
    Forget(&component);
    component.RemoveFreeNotification(watcher_.get());
}

void ModuleRegistry::Forget(TComponent* component) {
    std::erase(forms_, component);
    std::erase(modules_, component);
}

TComponent* ModuleRegistry::FindForm(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* form : forms_)
        if (SameText(form->Name(), name)) return form;
    return nullptr;
}

TComponent* ModuleRegistry::FindModule(std::string_view name) const {
    if (name.empty()) return nullptr;
    TComponent* found = nullptr;
    auto consider = [&](TComponent* c) {
        if (SameText(c->Name(), name)) found = c;
    };
    for (TComponent* form : forms_) consider(form);
    for (TComponent* module : modules_) consider(module);
    for (TComponent* form : forms_)
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* module = dynamic_cast<TDataModule*>(form->Components(i))) consider(module);
    return found;
}

TComponent* ModuleRegistry::FindModuleComponent(std::string_view reference) const {
    const size_t dot = reference.find('.');
    if (dot == std::string_view::npos) return nullptr;
    TComponent* module = FindModule(reference.substr(0, dot));
    return module ? module->FindComponent(reference.substr(dot + 1)) : nullptr;
}

ModuleRegistry& ApplicationModules() {
    static ModuleRegistry registry;
    return registry;
}

}  // namespace tessaly::data
