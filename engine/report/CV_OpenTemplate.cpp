#include "engine/report/CV_OpenTemplate.h"

#include <QScopedValueRollback>
#include <algorithm>

#include "engine/data/CV_DatasetSection.h"
#include "engine/model/CV_Template.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_TemplateFile.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/data/DataModule.h"
#include "platform/data/ModuleRegistry.h"

namespace fs = std::filesystem;

namespace tessaly {

bool IsTemplateFile(const fs::path& file) {
    return SameText(file.extension().string(), ".cvf") || IsJsonTemplateFile(file);
}

fs::path CompanionDatabase(const fs::path& templateFile) {
    fs::path database = templateFile;
    return database.replace_extension(".sqlite");
}

std::vector<AnsiString> TemplateDatasetReferences(const fs::path& templateFile) {
    MemoryStream stream(ReadTemplateStream(templateFile));
    QScopedValueRollback version(StreamVersion, int(stream.ReadU8()));
    if (StreamVersion < 23) return {};  // older templates have no dataset section
    return ReadDatasetReferences(stream);
}

std::vector<AnsiString> TemplateModuleNames(const fs::path& templateFile) {
    std::vector<AnsiString> names;
    for (const AnsiString& reference : TemplateDatasetReferences(templateFile)) {
        const AnsiString module = reference.substr(0, reference.find('.'));
        const bool known = std::any_of(names.begin(), names.end(), [&](const AnsiString& n) { return SameText(n, module); });
        if (!module.empty() && !known) names.push_back(module);
    }
    return names;
}

TemplateSession::TemplateSession(const std::string& database, const std::vector<AnsiString>& moduleNames) {
    if (!database.empty()) {
        auto db = data::Database::Open(database);
        for (const AnsiString& name : moduleNames) {
            modules_.push_back(std::make_unique<data::DatabaseModule>(db, nullptr));
            modules_.back()->SetName(name);
            data::ApplicationModules().AddDataModule(*modules_.back());
            data::OpenDatasets(*modules_.back());
        }
    }
    // A module owns the report: names of its datasets without the module's name resolve through it.
    if (modules_.empty()) ownReport_ = std::make_unique<TcvReport>(nullptr);
    report_ = modules_.empty() ? ownReport_.get() : new TcvReport(modules_.front().get());
}

TemplateSession::~TemplateSession() {
    if (!ownReport_) delete report_;  // before the datasets it reads
}

bool PrepareTemplateInto(TcvReport& target, const fs::path& templateFile, const std::string& database) {
    TemplateSession session(database, TemplateModuleNames(templateFile));
    TcvReport& report = session.Report();
    report.SetShowProgress(target.ShowProgress());
    report.LoadFromFile(templateFile);
    if (!report.PrepareReport()) {
        if (report.PreparationErrorText().empty()) return false;
        throw EngineError(report.PreparationErrorText());
    }
    // Through the prepared-report stream form, which a private preview copy uses as well.
    MemoryStream pages;
    report.EMFPages().SaveToStream(pages);
    pages.SetPosition(0);
    QScopedValueRollback version(StreamVersion, CurrentStreamVersion);
    target.EMFPages().LoadFromStream(pages);
    return true;
}

}  // namespace tessaly
