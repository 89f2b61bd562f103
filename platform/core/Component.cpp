#include "platform/core/Component.h"

#include <algorithm>

namespace tessaly {

namespace {

void Erase(std::vector<TComponent*>& list, TComponent* c) {
    auto it = std::find(list.begin(), list.end(), c);
    if (it != list.end()) list.erase(it);
}

}  // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->Insert(this);
}

TComponent::~TComponent() {
    NotifyObservers();
    while (!watched_.empty()) watched_.back()->RemoveFreeNotification(this);
    DestroyComponents();
    if (owner_) owner_->Remove(this);
}

void TComponent::NotifyObservers() {
    // An observer may change the lists while it is told, so each link is undone before the call.
    while (!observers_.empty()) {
        TComponent* observer = observers_.back();
        observers_.pop_back();
        Erase(observer->watched_, this);
        observer->Notification(this);
    }
}

void TComponent::DestroyComponents() {
    // Last-created first; each takes itself out of the list.
    while (!components_.empty()) delete components_.back();
}

void TComponent::Insert(TComponent* child) { components_.push_back(child); }

void TComponent::Remove(TComponent* child) { Erase(components_, child); }

AnsiString TComponent::FullName() const {
    return owner_ ? owner_->Name() + "." + name_ : name_;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->Name(), name)) return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* observer) {
    if (!observer || observer == this) return;
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
    observers_.push_back(observer);
    observer->watched_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* observer) {
    if (!observer) return;
    Erase(observers_, observer);
    Erase(observer->watched_, this);
}

void TComponent::WriteProperties(TWriter&) {}

bool TComponent::ReadProperty(const std::string&, TReader&) { return false; }

void TComponent::DefineProperties(TFiler&) {}

}  // namespace tessaly
