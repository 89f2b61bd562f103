#pragma once
// The application's open forms and data modules, and the components found through them by name.
// A registered component that is freed leaves the registry by itself.
#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/Component.h"

namespace tessaly::data {

class TDataModule;

class ModuleRegistry {
public:
    ModuleRegistry();
    ~ModuleRegistry();
    ModuleRegistry(const ModuleRegistry&) = delete;
    ModuleRegistry& operator=(const ModuleRegistry&) = delete;

    // Adding a component twice keeps it once, in its first place.
    void AddForm(TComponent& form);
    void AddDataModule(TDataModule& module);
    void Remove(TComponent& component);
    const std::vector<TComponent*>& Forms() const { return forms_; }
    const std::vector<TComponent*>& DataModules() const { return modules_; }

    // The first open form of that name (a to z in either case); nullptr for none and for "".
    TComponent* FindForm(std::string_view name) const;
    // The module of a "Module.Component" reference: the name is compared with the open forms,
    // then the data modules, then the data modules owned by each open form; the last match wins.
    TComponent* FindModule(std::string_view name) const;
    // "Module.Component": the module (FindModule) of the name before the first full stop, and in
    // it the component named by the rest; nullptr when either is missing.
    TComponent* FindModuleComponent(std::string_view reference) const;

private:
    class Watcher;
    void Forget(TComponent* component);

    std::vector<TComponent*> forms_;
    std::vector<TComponent*> modules_;
    std::unique_ptr<Watcher> watcher_;  // told when a registered component is freed
};

// The application's registry.
ModuleRegistry& ApplicationModules();

}  // namespace tessaly::data
