#pragma once
// Components: objects with an owner and a name, freed with their owner and found by name on it.
// A component that keeps a reference to another one asks to be told when that one is freed
// (FreeNotification), so that it never uses a freed component.
//
// Stored properties travel in component streams (engine/CV_Component.h); a component only names
// the stream's reader and writer here.
#include <string_view>
#include <vector>

#include "platform/core/Cp1252.h"

namespace tessaly {

class TFiler;
class TReader;
class TWriter;

class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const AnsiString& Name() const { return name_; }
    void SetName(AnsiString name) { name_ = std::move(name); }
    // Owner's name, ".", own name; the own name alone without an owner.
    AnsiString FullName() const;
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    // The first owned component called `name`, ignoring the case of a to z; nullptr for none and
    // for an empty name.
    TComponent* FindComponent(std::string_view name) const;

    // `observer` is told (Notification) when this component is freed. Either of the two may be
    // freed first; the request ends with whichever goes first, or with RemoveFreeNotification.
    void FreeNotification(TComponent* observer);
    void RemoveFreeNotification(TComponent* observer);

    virtual const char* ClassName() const { return "TComponent"; }
    // The published properties that differ from their defaults, in published order.
    virtual void WriteProperties(TWriter& writer);
    // Reads the published property `name` from the reader; false when there is none of that name.
    virtual bool ReadProperty(const std::string& name, TReader& reader);
    virtual void DefineProperties(TFiler& filer);

protected:
    // A component this one watches is being freed (it is no more than a TComponent by now, and
    // still holds its name): drop every reference to it.
    virtual void Notification(TComponent* freed) {}
    // Frees the owned components now (the destructor would do it last).
    void DestroyComponents();

private:
    void Insert(TComponent* child);
    void Remove(TComponent* child);
    void NotifyObservers();

    TComponent* owner_ = nullptr;
    AnsiString name_;
    std::vector<TComponent*> components_;
    // Free-notification links, kept on both sides: the components that watch this one and the
    // ones it watches.
    std::vector<TComponent*> observers_;
    std::vector<TComponent*> watched_;
};

}  // namespace tessaly
