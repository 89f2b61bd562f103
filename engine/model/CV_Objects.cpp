#include "engine/model/CV_Objects.h"

#include <cstring>

#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Picture.h"
#include "engine/model/CV_SubReport.h"
#include "engine/report/CV_Messages.h"
#include "platform/core/Errors.h"

namespace tessaly {

namespace {

const AnsiString kAddInNotFound =
    "Oggetto non trovato : %s.\n\rUn componente avanzato presente nel report, \n\rnon \xE8 stato inserito "
    "nel programma che ne fa uso.";

struct AddInRegistry {
    std::array<TcvAddInObjectInfo, kMaxAddInObjects> entries;
    int count = 0;
};

AddInRegistry& Registry() {
    static AddInRegistry registry;
    return registry;
}

const TcvAddInObjectInfo* FindAddIn(const AnsiString& className) {
    const AddInRegistry& r = Registry();
    for (int i = 0; i < r.count; ++i)
        if (className == r.entries[static_cast<size_t>(i)].ClassRef.ClassName) return &r.entries[static_cast<size_t>(i)];
    return nullptr;
}

}  // namespace

void RegisterAddInObject(const TcvAddInObjectInfo& info) {
    AddInRegistry& r = Registry();
    if (!info.ClassRef.ClassName || !*info.ClassRef.ClassName || !info.ClassRef.Create)
        throw EngineError("Classe di oggetto non valida.");
    if (FindAddIn(info.ClassRef.ClassName))
        throw EngineError(AnsiString("Oggetto gi\xE0 registrato: ") + info.ClassRef.ClassName);
    if (r.count >= kMaxAddInObjects) throw EngineError("Troppi oggetti aggiuntivi registrati.");
    r.entries[static_cast<size_t>(r.count++)] = info;
}

void RegisterAddInObject(TcvViewClass classRef) {
    TcvAddInObjectInfo info;
    info.ClassRef = classRef;
    RegisterAddInObject(info);
}

int AddInObjectCount() { return Registry().count; }

const TcvAddInObjectInfo& AddInObject(int index) {
    if (index < 0 || index >= Registry().count) throw EListError(index);
    return Registry().entries[static_cast<size_t>(index)];
}

void ClearAddInObjects() { Registry() = AddInRegistry(); }

const char* BuiltInClassName(int type) {
    static const char* const kClassOfType[] = {"TcvMemoView", "TcvPictureView", "TcvBandView", "TcvSubReportView"};
    return type >= otMemo && type <= otSubReport ? kClassOfType[type] : nullptr;
}

std::unique_ptr<TcvView> CreateObject(int type, const AnsiString& className, TcvReport* report) {
    switch (type) {
        case otMemo:
            return std::make_unique<TcvMemoView>(report);
        case otPicture:
            return std::make_unique<TcvPictureView>(report);
        case otBand:
            return std::make_unique<TcvBandView>(report);
        case otSubReport:
            return std::make_unique<TcvSubReportView>(report);
        case otAddIn:
            break;
        default:
            return nullptr;
    }
    const TcvAddInObjectInfo* info = FindAddIn(className);
    if (!info) {
        ShowEngineMessage(TMsgDlgType::mtError, FormatMessage(kAddInNotFound, {className}));
        throw EAbort();
    }
    std::unique_ptr<TcvView> view = info->ClassRef.Create(report);
    if (!view) throw EAbort();
    view->ObjectType = otAddIn;
    return view;
}

}  // namespace tessaly
