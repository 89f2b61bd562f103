#include "engine/report/CV_TemplateFile.h"

#include <QScopedValueRollback>
#include <system_error>

#include "engine/data/CV_Dataset.h"
#include "engine/data/CV_DatasetSection.h"
#include "engine/expr/CV_Const.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_StreamForms.h"
#include "engine/model/CV_Template.h"
#include "engine/report/CV_Messages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_TemplateJson.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Json.h"
#include "platform/core/Stream.h"
#include "platform/data/ModuleRegistry.h"

namespace fs = std::filesystem;

namespace tessaly {

namespace {

// Enough to pass a byte order mark and the white space before the first "{".
constexpr size_t kHeadBytes = 4096;

std::string ReadText(const fs::path& file) {
    FileStream stream(file, FileStream::Mode::OpenRead);
    const int64_t size = stream.Size();
    if (size > static_cast<int64_t>(json::Limits().maxBytes))
        throw json::ParseError({1, 1}, "il documento supera i " + std::to_string(json::Limits().maxBytes >> 20) + " MB.");
    return stream.ReadBytes(static_cast<size_t>(size));
}

// A data band of an old stream names a dataset that must exist among the owner's components or
// the application's.
void WarnMissingBandDatasets(const TcvReport& report) {
    report.Pages().ForEachObject([&](TcvView& view) {
        if (!view.IsDataBand()) return;
        TComponent* found = report.Owner() ? report.Owner()->FindComponent(view.FormatText) : nullptr;
        if (!dynamic_cast<TcvDataset*>(found)) found = data::ApplicationModules().FindModuleComponent(view.FormatText);
        if (!dynamic_cast<TcvDataset*>(found))
            ShowEngineMessage(TMsgDlgType::mtWarning, MsgDatasetNotFound + view.FormatText);
    });
}

}  // namespace

bool IsJsonTemplateFile(const fs::path& file) {
    try {
        FileStream stream(file, FileStream::Mode::OpenRead);
        std::vector<uint8_t> head(kHeadBytes);
        head.resize(stream.Read(head.data(), head.size()));
        return LooksLikeJsonTemplate(head);
    } catch (const EngineError&) {
        return false;
    }
}

std::vector<uint8_t> ReadTemplateStream(const fs::path& file) {
    if (IsJsonTemplateFile(file)) return JsonToTemplateStream(ReadText(file));
    MemoryStream stream;
    stream.LoadFromFile(file);
    return stream.TakeData();
}

std::vector<uint8_t> ConvertJsonTemplate(const fs::path& file) {
    try {
        return JsonToTemplateStream(ReadText(file));
    } catch (const json::ParseError& e) {
        ShowEngineMessage(TMsgDlgType::mtError, e.Message());
        throw EAbort();
    }
}

void SaveTemplateAsJson(TcvReport& report, const fs::path& file) {
    MemoryStream stream;
    report.SaveToStream(stream);
    const std::string text = TemplateStreamToJson(stream.Data());
    // A damaged template (two objects of one name) is written all the same, to be mended there.
    try {
        JsonToTemplateStream(text);
    } catch (const json::ParseError& e) {
        ShowEngineMessage(TMsgDlgType::mtWarning, "Il modello in JSON va corretto prima di poterlo rileggere: " + e.Message());
    }
    AtomicFileStream out(file);
    out.WriteString(text);
    out.Commit();
}

// --- The template stream of a report -------------------------------------------------------------------------------

void TcvReport::LoadFromStream(Stream& stream) {
    CurReport = this;
    QScopedValueRollback version(StreamVersion);
    try {
        ReadTemplate(stream);
    } catch (const std::exception&) {
        ShowEngineMessage(TMsgDlgType::mtError, kTemplateLoadFailed);
        ResetAfterFailedLoad();
        throw EAbort();
    }
    if (StreamVersion <= 22) WarnMissingBandDatasets(*this);
}

void TcvReport::ReadTemplate(Stream& stream) {
    const int64_t start = stream.Position();
    StreamVersion = stream.ReadU8();
    if (StreamVersion < kFirstVersionedStream) {
        StreamVersion = kFirstVersionedStream;
        stream.SetPosition(start);
    }
    templateVersion_ = StreamVersion;
    if (StreamVersion > CurrentStreamVersion) throw EReadError("Versione del modello non gestita.");
    pages_->Clear();
    ClearDatasets();
    values_->Clear();
    dataLines_.Clear();
    TcvView::DeferNaming named;
    if (StreamVersion >= 23) ReadDatasetSection(stream, *this);
    pages_->LoadFromStream(stream);
    CheckSubReports(*pages_);
    if (StreamVersion < 23) NameInStreamOrder(*pages_);
}

// Empty but usable: one empty page, no datasets, no values, one pass.
void TcvReport::ResetAfterFailedLoad() {
    TwoPass = Interleave = InterleavedNumbering = 0;
    templateFileName_.clear();
    ClearDatasets();
    values_->Clear();
    dataLines_.Clear();
    pages_->Clear();
    pages_->Add();
}

void TcvReport::CheckTemplate() const {
    CheckPagesStreamForm(*pages_);
    if (!FitsLineList(dataLines_)) RefuseToSave("le righe Data superano i limiti del file.");
    MemoryStream values;  // the values refuse what they cannot store
    values_->WriteValues(values);
}

void TcvReport::SaveToStream(Stream& stream) {
    CheckTemplate();
    CheckDatasetSection(*this);
    QScopedValueRollback version(StreamVersion, CurrentStreamVersion);
    stream.WriteU8(CurrentStreamVersion);
    WriteDatasetSection(stream, *this);
    pages_->SaveToStream(stream);
}

}  // namespace tessaly
