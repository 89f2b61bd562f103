#pragma once
// Making report objects: the factory that makes an object from its type code, and the registry of
// the add-in object classes that a host links in (the program registers none).
#include <array>
#include <memory>

#include "engine/model/CV_View.h"

namespace tessaly {

// A class of report objects: its name (which identifies it in templates) and its constructor.
using TcvViewConstructor = std::unique_ptr<TcvView> (*)(TcvReport* report);
struct TcvViewClass {
    const char* ClassName = nullptr;
    TcvViewConstructor Create = nullptr;
};

template <class T>
std::unique_ptr<TcvView> ConstructView(TcvReport* report) {
    return std::make_unique<T>(report);
}

// An entry of the registry; the editor references and the hint serve a host's designer only.
struct TcvAddInObjectInfo {
    TcvViewClass ClassRef;
    const void* EditorForm = nullptr;
    const void* PropertyEditor = nullptr;
    AnsiString ButtonHint;
};

inline constexpr int kMaxAddInObjects = 32;

// Registers an add-in class before templates are loaded. Raises when the table is full, when the
// class has no name or constructor, and when a class of that name is registered already.
void RegisterAddInObject(const TcvAddInObjectInfo& info);
void RegisterAddInObject(TcvViewClass classRef);
// The registered entries, in registration order.
int AddInObjectCount();
const TcvAddInObjectInfo& AddInObject(int index);
// Empties the registry (a host that unloads its add-ins; tests).
void ClearAddInObjects();

// The class that a built-in type code (0 to 3) makes ("TcvMemoView", ...); nullptr for any other.
const char* BuiltInClassName(int type);

// The object of a type code, made for `report`: 0 text, 1 picture, 2 band, 3 sub-report
// placeholder, 10 an add-in object of the registered class called `className` (exact name), with
// ObjectType 10. No other code makes an object: nullptr. An add-in class that is not registered
// shows the message "Oggetto non trovato : ..." (captioned "Errore") and raises EAbort.
std::unique_ptr<TcvView> CreateObject(int type, const AnsiString& className, TcvReport* report);

}  // namespace tessaly
