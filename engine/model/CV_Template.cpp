#include "engine/model/CV_Template.h"

#include <QScopedValueRollback>
#include <map>
#include <vector>

#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Objects.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/model/CV_SubReport.h"
#include "engine/report/CV_Messages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/data/ModuleRegistry.h"

namespace tessaly {

namespace {

enum : uint8_t { tagValues = 254, tagPage = 255 };
// The page index of an object record is one byte.
constexpr int kMaxObjectPages = 256;

void ReadObject(TcvPages& pages, Stream& stream, uint8_t tag) {
    const AnsiString className = tag == otAddIn ? ReadLineField(stream) : AnsiString();
    const uint8_t pageIndex = stream.ReadU8();
    if (pageIndex >= pages.Count()) throw EReadError("Pagina dell'oggetto non ancora letta.");
    std::unique_ptr<TcvView> view = CreateObject(tag, className, pages.Parent());
    if (!view) throw EReadError("Tipo di oggetto sconosciuto.");
    pages.Pages(pageIndex).AddObject(std::move(view)).LoadFromStream(stream);
}

}  // namespace

void CheckSubReports(const TcvPages& pages) {
    std::vector<std::vector<int>> shows(static_cast<size_t>(pages.Count()));
    for (int p = 0; p < pages.Count(); ++p)
        for (int i = 0; i < pages.Pages(p).ObjectCount(); ++i)
            if (auto* sub = dynamic_cast<const TcvSubReportView*>(pages.Pages(p).Objects(i))) {
                if (sub->SubPage < 0 || sub->SubPage >= pages.Count() || sub->SubPage == p)
                    throw EReadError("Pagina del sottoreport non valida.");
                shows[static_cast<size_t>(p)].push_back(sub->SubPage);
            }
    // Depth-first walk with an explicit stack; a page met again while still open is a circle.
    enum Mark : uint8_t { unseen, open, done };
    std::vector<Mark> mark(shows.size(), unseen);
    for (size_t start = 0; start < shows.size(); ++start) {
        if (mark[start] != unseen) continue;
        std::vector<std::pair<size_t, size_t>> stack{{start, 0}};
        mark[start] = open;
        while (!stack.empty()) {
            auto& [page, next] = stack.back();
            if (next == shows[page].size()) {
                mark[page] = done;
                stack.pop_back();
                continue;
            }
            const size_t target = static_cast<size_t>(shows[page][next++]);
            if (mark[target] == open) throw EReadError("Sottoreport circolari.");
            if (mark[target] == unseen) {
                mark[target] = open;
                stack.push_back({target, 0});
            }
        }
    }
}

void NameInStreamOrder(const TcvPages& pages) {
    std::map<AnsiString, int> last;
    pages.ForEachObject([&](TcvView& view) { view.Name = view.BaseName() + std::to_string(++last[view.BaseName()]); });
}

bool ReadsBackAs(const TcvView& view) {
    if (view.ObjectType == otAddIn) {
        for (int i = 0; i < AddInObjectCount(); ++i)
            if (AnsiString(view.ClassName()) == AddInObject(i).ClassRef.ClassName) return true;
        return false;
    }
    return view.ObjectType <= otSubReport && AnsiString(view.ClassName()) == BuiltInClassName(view.ObjectType);
}


void CheckPagesStreamForm(const TcvPages& pages) {
    for (int p = 0; p < pages.Count(); ++p)
        for (int i = 0; i < pages.Pages(p).ObjectCount(); ++i) {
            const TcvView& view = *pages.Pages(p).Objects(i);
            if (p >= kMaxObjectPages)
                RefuseToSave("l'oggetto " + view.Name + " \xE8 nella pagina " + std::to_string(p + 1) +
                             ", ma un modello pu\xF2 avere oggetti solo nelle prime 256 pagine.");
            if (!ReadsBackAs(view))
                RefuseToSave("l'oggetto " + view.Name + " (" + view.ClassName() +
                             ") non \xE8 di un tipo che si possa rileggere.");
            view.CheckStreamForm();
        }
}

// --- The pages section --------------------------------------------------------------------------

void TcvPages::LoadFromStream(Stream& stream) {
    Clear();
    TcvReport& report = *parent_;
    if (StreamVersion <= 28) stream.ReadU16();
    report.TwoPass = stream.ReadI16();
    report.Interleave = StreamVersion >= 23 ? stream.ReadI16() : 0;
    report.InterleavedNumbering = StreamVersion >= 23 ? stream.ReadI16() : 0;
    if (StreamVersion <= 28) {
        ReadLineList(stream, ScratchList);
        ScratchList.Clear();
    }
    while (stream.Remaining() > 0) {
        const uint8_t tag = stream.ReadU8();
        if (tag == tagPage) {
            Add().LoadFromStream(stream);
        } else if (tag == tagValues) {
            report.Values().ReadValues(stream);
            ReadLineList(stream, report.DataLines());
        } else if (tag <= otAddIn) {
            ReadObject(*this, stream, tag);
        } else {
            break;
        }
    }
}

void TcvPages::SaveToStream(Stream& stream) const {
    TcvReport& report = *parent_;
    stream.WriteI16(report.TwoPass);
    stream.WriteI16(report.Interleave);
    stream.WriteI16(report.InterleavedNumbering);
    for (const auto& page : pages_) {
        stream.WriteU8(tagPage);
        page->SaveToStream(stream);
    }
    for (size_t p = 0; p < pages_.size(); ++p)
        for (int i = 0; i < pages_[p]->ObjectCount(); ++i) {
            const TcvView& view = *pages_[p]->Objects(i);
            stream.WriteU8(view.ObjectType);
            if (view.ObjectType == otAddIn) WriteLineField(stream, view.ClassName());
            stream.WriteU8(static_cast<uint8_t>(p));
            view.SaveToStream(stream);
        }
    stream.WriteU8(tagValues);
    report.Values().WriteValues(stream);
    WriteLineList(stream, report.DataLines());
}

}  // namespace tessaly
