#include "engine/report/CV_Report.h"

#include <optional>
#include <system_error>

#include <QScopeGuard>
#include <QScopedValueRollback>

#include "engine/expr/CV_AggregateStore.h"
#include "engine/model/CV_Page.h"
#include "engine/expr/CV_Values.h"
#include "engine/report/CV_FileName.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_TemplateFile.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

namespace fs = std::filesystem;

namespace tessaly {

namespace {

const AnsiString kWrongFolder =
    "Si \xE8 tentato di caricare il report \"%s\" da una cartella non valida.\r\n"
    "E' possibile caricare il report solo dalla cartella:  ";
const AnsiString kMissingTemplate =
    "Si \xE8 tentato di caricare da disco il report '%s'. \r\nMa il file '%s' \xE8 inesistente";

bool FileExists(const fs::path& name) {
    std::error_code ec;
    return fs::exists(name, ec) && !fs::is_directory(name, ec);
}

fs::path ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

// The folder as the file system sees it: absolute, "." and ".." and links resolved, no trailing
// separator. Folder rules compare these, case-sensitively, as the file system does.
fs::path CanonicalFolder(const fs::path& folder) {
    std::string text = folder.native();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    std::error_code ec;
    fs::path result = fs::weakly_canonical(fs::path(text), ec);
    if (ec) result = fs::absolute(fs::path(text), ec).lexically_normal();
    return result;
}

fs::path PathFromCp1252(const AnsiString& text) { return fs::path(Cp1252ToUtf8(text)); }

// Gives back the current directory that `saved` holds, once.
void RestoreCurrentDir(std::optional<fs::path>& saved) {
    if (!saved) return;
    std::error_code ec;
    fs::current_path(*saved, ec);
    saved.reset();
}

}  // namespace

// --- Lifetime -------------------------------------------------------------------------------

TcvReport::TcvReport(TComponent* owner) : TComponent(owner) {
    pixelsPerInch_ = ScreenPixelsPerInch;
    dataSets_.SetSorted(true);
    emfPages_ = std::make_unique<TcvEMFPages>(this);
    pages_ = std::make_unique<TcvPages>(this);
    values_ = std::make_unique<TcvValues>();
    CurReport = this;
    // The first report answers names by default; others answer through a NameScope, so that a
    // report made later (a preview's private copy) never answers for the one being prepared.
    if (!ExpressionEvaluator().ResolveValue) SetExpressionResolver(&TcvReport::ResolveNameOf, this);
    Clear();
}

TcvReport::~TcvReport() {
    TcvReport* previous = CurReport;
    CurReport = this;
    values_.reset();
    dataLines_.Clear();
    emfPages_.reset();
    pages_.reset();
    DestroyComponents();
    ClearDatasets();
    // Another report that was working stays the current one.
    CurReport = previous == this ? nullptr : previous;
    // The evaluator must not call into a report that is gone: the current report answers instead.
    if (ExpressionEvaluator().ResolveContext == this)
        SetExpressionResolver(CurReport ? &TcvReport::ResolveNameOf : nullptr, CurReport);
}

void TcvReport::ResolveNameOf(void* report, std::string_view name, const TcvExprArgs* args, Variant& value) {
    static_cast<TcvReport*>(report)->ResolveName(name, args, value);
}

void TcvReport::InitAggregate(const AnsiString& name, Variant& value) {
    value = TcvAggregateStore::InitialValue(name);
}

void TcvReport::Clear() {
    emfPages_->Clear();
    pages_->Clear();
    pages_->Add();
    dataLines_.Clear();
    values_->Clear();
    TwoPass = 0;
    Interleave = 0;
    InterleavedNumbering = 0;
    templateFileName_.clear();
    ClearDatasets();
}

void TcvReport::ClearDatasets() {
    for (int n = dataSets_.Count(); n > 0 && !dataSets_.Empty(); --n) {
        auto* dataSet = static_cast<TComponent*>(dataSets_.Objects(0));
        // The entry goes first, so that the dataset finds no entry of its own when it is freed.
        dataSets_.Delete(0);
        if (!dataSet) continue;
        if (!dataSet->Owner())
            delete dataSet;
        else if (dataSets_.IndexOfObject(dataSet) < 0)
            dataSet->RemoveFreeNotification(this);
    }
    dataSets_.Clear();
}

bool TcvReport::AddDataset(const AnsiString& name, TComponent* dataset) {
    int index;
    if (dataSets_.Find(name, index)) return false;
    dataSets_.AddObject(name, dataset);
    if (dataset) dataset->FreeNotification(this);
    return true;
}

// A dataset leaves the list that holds it, whichever report is current.
void TcvReport::Notification(TComponent* freed) {
    for (int i = dataSets_.IndexOfObject(freed); i >= 0; i = dataSets_.IndexOfObject(freed)) dataSets_.Delete(i);
}

// --- Stored properties ----------------------------------------------------------------------

void TcvReport::SetAutoLoad(const AnsiString& value) {
    if (value == autoLoad_) return;
    autoLoad_ = value;
    if (!autoLoad_.empty())
        LoadFromFile(PathFromCp1252(autoLoad_));
    else
        Clear();
}

void TcvReport::CheckAutoLoad() {
    if (autoLoad_.empty()) return;
    std::error_code ec;
    auto time = fs::last_write_time(autoLoadedName_, ec);
    if (ec || time != autoLoadedTime_) LoadFromFile(autoLoadedName_);
}

void TcvReport::WriteProperties(TWriter& w) {
    if (!showProgress_) w.WriteBoolean("ShowProgress", false);
    if (!templateDir_.empty()) w.WriteString("TemplateDir", templateDir_);
    if (!title_.empty()) w.WriteString("Title", title_);
    if (!disableDataSetControls_) w.WriteBoolean("DisableDataSetControls", false);
    if (!modalPreview_) w.WriteBoolean("ModalPreview", false);
    if (!reportDir_.empty()) w.WriteString("ReportDir", reportDir_);
    if (!autoLoad_.empty()) w.WriteString("AutoLoad", autoLoad_);
    if (!pathFromExe_.empty()) w.WriteString("PathFromExe", pathFromExe_);
    if (!scaled_) w.WriteBoolean("Scaled", false);
    if (designerOptions_ != doSaveConfirm) {
        std::vector<std::string> members;
        if (designerOptions_ & doSaveConfirm) members.push_back("doSaveConfirm");
        w.WriteSet("DesignerOptions", members);
    }
}

bool TcvReport::ReadProperty(const std::string& name, TReader& r) {
    if (name == "ShowProgress") {
        showProgress_ = r.ReadBoolean();
    } else if (name == "TemplateDir") {
        templateDir_ = r.ReadString();
    } else if (name == "Title") {
        title_ = r.ReadString();
    } else if (name == "DisableDataSetControls") {
        disableDataSetControls_ = r.ReadBoolean();
    } else if (name == "ModalPreview") {
        modalPreview_ = r.ReadBoolean();
    } else if (name == "ReportDir") {
        reportDir_ = r.ReadString();
    } else if (name == "AutoLoad") {
        SetAutoLoad(r.ReadString());
    } else if (name == "PathFromExe") {
        pathFromExe_ = r.ReadString();
    } else if (name == "PixelsPerInch") {
        pixelsPerInch_ = r.ReadInteger();
    } else if (name == "Scaled") {
        scaled_ = r.ReadBoolean();
    } else if (name == "DesignerOptions") {
        TDesignerOptions options = 0;
        for (const auto& member : r.ReadSet()) {
            if (member != "doSaveConfirm") throw EReadError("Invalid property value");
            options |= doSaveConfirm;
        }
        designerOptions_ = options;
    } else {
        return false;
    }
    return true;
}

void TcvReport::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Values.Data", [this](Stream& s) { values_->ReadValues(s); },
        [this](Stream& s) { values_->WriteValues(s); }, !values_->Empty());
    filer.DefineBinaryProperty(
        "Data", [this](Stream& s) { ReadData(s); }, [this](Stream& s) { WriteData(s); },
        !dataLines_.Empty());
    filer.DefineProperty(
        "PixelsPerInch", nullptr, [this](TWriter& w) { w.WriteIntegerValue(pixelsPerInch_); }, true);
}

// "Data": a 32-bit count, then per line a length byte and that many bytes.
void TcvReport::ReadData(Stream& stream) {
    dataLines_.Clear();
    uint32_t count = stream.ReadU32();
    if (count > static_cast<uint64_t>(stream.Remaining())) throw EReadError();
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t length = stream.ReadU8();
        dataLines_.Add(stream.ReadBytes(length));
    }
}

void TcvReport::WriteData(Stream& stream) {
    stream.WriteU32(static_cast<uint32_t>(dataLines_.Count()));
    for (int i = 0; i < dataLines_.Count(); ++i) {
        const std::string& line = dataLines_[i];
        size_t length = std::min<size_t>(line.size(), 255);
        stream.WriteU8(static_cast<uint8_t>(length));
        stream.WriteBuffer(line.data(), length);
    }
}

// --- Files ----------------------------------------------------------------------------------

void TcvReport::LoadFromFile(const fs::path& fileName) {
    fs::path name = WithDefaultExtension(fileName, ".cvf");
    if (!reportDir_.empty()) {
        fs::path permitted = CanonicalFolder(PathFromCp1252(reportDir_));
        fs::path folder = name.parent_path();
        fs::path requested = folder.empty() ? permitted : CanonicalFolder(folder);
        if (requested != permitted)
            throw EngineError(FormatMessage(kWrongFolder, {FullName()}) + "\"" + reportDir_ + "\"");
        name = requested / name.filename();
    }
    // The current directory comes back when a template was read from the program's folder, also
    // on failure.
    std::optional<fs::path> savedDir;
    auto restoreDir = qScopeGuard([&savedDir] { RestoreCurrentDir(savedDir); });
    if (!FileExists(name)) {
        std::error_code ec;
        fs::path old = fs::current_path(ec);
        fs::current_path(ProgramFolder(), ec);
        if (!pathFromExe_.empty()) fs::current_path(PathFromCp1252(pathFromExe_), ec);
        savedDir = old;
        if (!FileExists(name)) RestoreCurrentDir(savedDir);
    }
    if (!FileExists(name))
        throw EngineError(FormatMessage(kMissingTemplate, {FullName(), PathForMessage(name)}));
    if (!autoLoad_.empty()) {
        std::error_code ec;
        autoLoadedName_ = fs::absolute(name, ec);
        autoLoadedTime_ = fs::last_write_time(name, ec);
    }
    if (IsJsonTemplateFile(name)) {
        MemoryStream converted(ConvertJsonTemplate(name));
        LoadFromStream(converted);
    } else {
        FileStream stream(name, FileStream::Mode::OpenRead);
        LoadFromStream(stream);
    }
    RestoreCurrentDir(savedDir);
    templateFileName_ = Utf8ToCp1252(name.filename().string());
}

void TcvReport::LoadPreparedReport(const fs::path& fileName) {
    // StreamVersion is the file's for the duration of the read, also on failure.
    QScopedValueRollback version(StreamVersion, CurrentStreamVersion);
    FileStream stream(WithDefaultExtension(fileName, ".cvp"), FileStream::Mode::OpenRead);
    emfPages_->LoadFromStream(stream);
}

void TcvReport::SavePreparedReport(const fs::path& fileName) {
    AtomicFileStream stream(WithDefaultExtension(fileName, ".cvp"));
    emfPages_->SaveToStream(stream);
    stream.Commit();
}

void TcvReport::SaveToFile(const fs::path& fileName) {
    AtomicFileStream stream(WithDefaultExtension(fileName, ".cvf"));
    SaveToStream(stream);
    stream.Commit();
}

void TcvReport::ShowPreparedReport() {
    PrintingActive = false;
    AnsiString caption = "Anteprima";
    if (!title_.empty()) caption += " - " + title_;
    if (!PreviewFormClass) throw EngineError("Anteprima non disponibile.");
    TcvPreviewWindow* window = PreviewFormClass(nullptr);
    PreviewList.push_back(window);
    try {
        window->SetCaption(caption);
        window->ShowReport(this);
    } catch (...) {
        delete window;  // leaves PreviewList as it goes
        throw;
    }
}

}  // namespace tessaly
