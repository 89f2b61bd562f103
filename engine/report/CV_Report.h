#pragma once
// The report component: one report's prepared pages, settings and events, its file operations
// (templates under the folder rules, prepared reports) and the preview.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QElapsedTimer>

#include "engine/expr/CV_Expr.h"
#include "engine/expr/CV_TextRun.h"
#include "engine/report/CV_Component.h"
#include "engine/report/EngineState.h"
#include "platform/core/Cp1252.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"

namespace tessaly {

class TcvEMFPages;
class TcvEvaluationRun;
class TcvPreparationState;
class TcvExportFilter;
class TcvPages;
class TcvView;
namespace data {
class Dataset;
}
class TcvValues;
class Stream;
// A filter class: makes an export filter on a stream (see CV_Export.h).
using TcvExportFilterClass = std::unique_ptr<TcvExportFilter> (*)(Stream& stream);

enum TDesignerOption : uint8_t { doSaveConfirm = 1 };
using TDesignerOptions = uint8_t;

class TcvReport : public TComponent {
public:
    explicit TcvReport(TComponent* owner);
    ~TcvReport() override;

    const char* ClassName() const override { return "TcvReport"; }

    void Clear();
    void ClearDatasets();
    void CheckAutoLoad();
    // The starting value of a running aggregate: 0 for SUM and AVG, 1e200 for MIN, -1e200 else.
    static void InitAggregate(const AnsiString& name, Variant& value);

    // Templates (".cvf"): the folder rules, then the template stream; a file that holds the JSON
    // form (CV_TemplateFile.h) is read as the stream it describes, and a mistake in it is shown as
    // a loading error (EAbort) that leaves the report as it was.
    void LoadFromFile(const std::filesystem::path& fileName);
    virtual void LoadFromStream(Stream& stream);
    // Prepared reports (".cvp"); a file name without any "." (folders aside) gets ".cvp" appended.
    void LoadPreparedReport(const std::filesystem::path& fileName);
    void SavePreparedReport(const std::filesystem::path& fileName);
    void ShowPreparedReport();

    // Printing and export (CV_Print.cpp, CV_Export.cpp). Pages are 1-based and inclusive here,
    // 0-based in PrintPage and UpdatePrinterMetrics.
    void PrintPreparedReport(int firstPage, int lastPage, int copies, bool collate);
    void DoPrintReport(int firstPage, int lastPage, int copies, bool collate);
    void PrintPage(int index);
    void UpdatePrinterMetrics(int index);
    // Progress of printing and preparation: OnProgress, or the progress dialog's label.
    void Progress(int n);
    // Exports the prepared pages through a filter; a report without pages is prepared first (a
    // preparation error is raised, a cancelled one exports nothing).
    void ExportTo(TcvExportFilterClass filterClass, const std::filesystem::path& fileName);

    TcvEMFPages& EMFPages() { return *emfPages_; }
    StringList& DataLines() { return dataLines_; }
    // Report datasets: name -> dataset; an entry whose dataset has no owner belongs to the report.
    // Add entries with AddDataset: an entry added to the list directly does not leave it when its
    // dataset is freed.
    StringList& DataSets() { return dataSets_; }
    const StringList& DataSets() const { return dataSets_; }

    // --- Template: pages, objects, datasets and the template file (engine/model, engine/data) ---
    TcvPages& Pages() const { return *pages_; }
    // Adds a report dataset under `name`: false, and nothing added, when an entry has that name
    // already. The entry leaves the list by itself when the dataset is freed.
    bool AddDataset(const AnsiString& name, TComponent* dataset);
    // The template stream (CV_Template.cpp). Loading shows its problems through the engine's
    // message sink; after an error the report is left with one empty page and no datasets, and
    // EAbort tells the caller that the load failed. Saving first checks that everything it would
    // write reads back the same, and otherwise raises an error without writing anything.
    void SaveToStream(Stream& stream);
    // The version of the template stream last read (21 for a stream without one); 0 before any.
    int TemplateVersion() const { return templateVersion_; }
    // Saves the template as a ".cvf" file (the extension added to a name without any "."): a
    // refused or failed save leaves the old file as it was.
    void SaveToFile(const std::filesystem::path& fileName);
    // The events of a preparation's bands and objects (all run on the thread that prepares):
    //   OnDataSetWork   at each moment of a band's walk of its report dataset: Operation is a
    //                   TcvDataSetWork (engine/data/CV_Dataset.h): dwOpen when the band opens it,
    //                   dwFirst after its first record, dwNext after each next one, dwPrior after
    //                   a footer's step back, dwClose when the band goes after the preparation.
    //                   BandName is the name of the data band bound to it, DataSet the database
    //                   dataset (none for a plain report dataset), RecordCount the report
    //                   dataset's RangeEndCount, which takes back what the handler leaves in it.
    //   OnDrawObject    before an object is drawn on a prepared page (and before a text object
    //                   of a stretched band is measured): the handler may change it, say its text.
    //   OnDrawedObject  after that object was drawn (or measured).
    std::function<void(const AnsiString& BandName, data::Dataset* DataSet, int32_t& RecordCount, int Operation)>
        OnDataSetWork;
    std::function<void(TcvView* View)> OnDrawObject;
    std::function<void(TcvView* View)> OnDrawedObject;

    // Published properties.
    bool ShowProgress() const { return showProgress_; }
    void SetShowProgress(bool v) { showProgress_ = v; }
    const AnsiString& TemplateDir() const { return templateDir_; }
    void SetTemplateDir(AnsiString v) { templateDir_ = std::move(v); }
    const AnsiString& Title() const { return title_; }
    void SetTitle(AnsiString v) { title_ = std::move(v); }
    bool DisableDataSetControls() const { return disableDataSetControls_; }
    void SetDisableDataSetControls(bool v) { disableDataSetControls_ = v; }
    bool ModalPreview() const { return modalPreview_; }
    void SetModalPreview(bool v) { modalPreview_ = v; }
    const AnsiString& ReportDir() const { return reportDir_; }
    void SetReportDir(AnsiString v) { reportDir_ = std::move(v); }
    const AnsiString& AutoLoad() const { return autoLoad_; }
    void SetAutoLoad(const AnsiString& value);
    const AnsiString& PathFromExe() const { return pathFromExe_; }
    void SetPathFromExe(AnsiString v) { pathFromExe_ = std::move(v); }
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool v) { scaled_ = v; }
    TDesignerOptions DesignerOptions() const { return designerOptions_; }
    void SetDesignerOptions(TDesignerOptions v) { designerOptions_ = v; }

    // State.
    bool Terminated = false;
    bool Preparing = false;
    bool FinalPass = false;
    bool HasPictureFields = false;
    int16_t TwoPass = 0;
    int16_t Interleave = 0;
    int16_t InterleavedNumbering = 0;
    int32_t PrintFirstPage = 0;
    int32_t PrintLastPage = 0;
    int32_t PrintCopies = 0;
    bool PrintCollate = false;
    // Limits a host sets on a preparation (0: none, the default); not stored. A preparation that
    // would make more pages, or run longer (both passes together), stops with a preparation error.
    int32_t MaxPages = 0;
    int32_t MaxPreparationMs = 0;
    bool PrintFirstPageFlag = false;      // no page of the print drawn yet
    TcvPageDrawer* PrintWindow = nullptr;  // the hidden window that draws the printed pages
    TcvExportFilter* ExportFilter = nullptr;  // the current export filter, during an export
    const AnsiString& TemplateFileName() const { return templateFileName_; }
    const std::filesystem::path& AutoLoadedFileName() const { return autoLoadedName_; }

    // Events: plain callables that the host assigns (an empty one is not called). They run on the
    // thread that calls the operation; an exception a handler raises during a preparation becomes
    // the preparation's error. Names and texts are cp1252.
    //   OnBeforePrint   when printing (PrintPreparedReport, PrintPreparedReportToPdf) is about to
    //                   start the job: setting Continue to false prints nothing.
    //   OnAfterPrint    after a print job completed (not after a cancelled or failed one).
    //   OnBeginDoc      at the start of each pass of a preparation, before any page.
    //   OnEndDoc        at the end of each pass that met no error.
    //   OnBeginPage     before each template page is run; pg is its index from 0.
    //   OnEndPage       after a template page ran without error; pg is always 1.
    //   OnProgress      while preparing, with the number of prepared pages; while printing, with
    //                   the per cent of sheets printed. Set, it replaces the progress dialog.
    //   OnGetValue      whenever a report text reads one of the report's named values (Values):
    //                   a value left in ParValue is the answer, else the named value answers.
    //   OnUserFunction  for a name, with or without arguments, that no named value, data field,
    //                   built-in variable or function answers: p1 to p3 are the first three
    //                   arguments evaluated (Empty when missing); a value left in Val is the
    //                   answer, else the text fails with "Identificatore sconosciuto".
    std::function<void(bool& Continue)> OnBeforePrint;
    std::function<void()> OnAfterPrint;
    std::function<void()> OnBeginDoc;
    std::function<void()> OnEndDoc;
    std::function<void(int pg)> OnBeginPage;
    std::function<void(int pg)> OnEndPage;
    std::function<void(int n)> OnProgress;
    std::function<void(const AnsiString& ParName, Variant& ParValue)> OnGetValue;
    std::function<void(const AnsiString& name, const Variant& p1, const Variant& p2, const Variant& p3,
                       Variant& Val)>
        OnUserFunction;

    void WriteProperties(TWriter& writer) override;
    bool ReadProperty(const std::string& name, TReader& reader) override;
    // Defines "Values.Data" (the named values, when there are any), "Data" (the stored data lines,
    // when there are any) and "PixelsPerInch".
    void DefineProperties(TFiler& filer) override;

    // --- Preparation (engine/prepare) -------------------------------------------------------------
    // Prepares the template into the prepared pages, in one pass or in two (TwoPass: the first
    // counts the pages for TOTALPAGES), inside the progress dialog unless OnProgress is set or
    // ShowProgress is off. True only when the run finished: false after a cancel or a preparation
    // error, whose text PreparationErrorText() keeps. Raises, changing nothing, when the report is
    // being prepared already (an event handler calling it) and when an AutoLoad template cannot
    // be read again.
    bool PrepareReport();
    // One pass over all template pages.
    virtual void BuildReport();
    // The composed message of the last preparation's error ("Si è verificato un errore..."); empty
    // when it had none.
    const AnsiString& PreparationErrorText() const { return preparationErrorText_; }
    // The total of pages once it is known: in the second pass of a two-pass preparation (0 before,
    // and when the report runs one pass). Progress texts count "n di" it.
    int32_t PageTotal() const;
    // The state of the preparation running now; none outside one.
    TcvPreparationState* Preparation() const { return preparation_; }
    // Started when a preparation starts (for MaxPreparationMs); invalid before the first.
    const QElapsedTimer& PreparationClock() const { return preparationClock_; }

    // --- Names and values (engine/expr) ---------------------------------------------------------
    // The named values; stored as "Values.Data".
    TcvValues& Values() { return *values_; }
    const TcvValues& Values() const { return *values_; }
    // Evaluates `text` with this report answering its names (CV_Resolver.cpp). Outside a
    // preparation, a function that fails raises its own message (the one a preparation would
    // record) rather than the evaluator's "Identificatore sconosciuto" that follows it, and a run
    // going on (this is a host's handler during another report's preparation) is left as it was.
    void Evaluate(std::string_view text, Variant& value);
    // The same, unqualified names reading `dataset` at its current record as the first record of a
    // master data band (LINE# is 1); the dataset may be none. What `tessaly-cli eval` evaluates.
    void EvaluateOver(data::Dataset* dataset, std::string_view text, Variant& value);

    // Makes a report answer the evaluator's names until the scope ends, and `run` (when given) the
    // run its texts belong to; what answered before answers again afterwards. The first report
    // created answers names by default; a preparation or an evaluation of another one goes
    // through a scope, so that a report made later (a preview's private copy) never answers for
    // another.
    class NameScope {
    public:
        explicit NameScope(TcvReport& report, TcvTextRun* run = nullptr);
        ~NameScope();
        NameScope(const NameScope&) = delete;
        NameScope& operator=(const NameScope&) = delete;

    private:
        TcvResolveValue resolver_;
        void* context_;
        TcvRunScope run_;
    };

protected:
    void Notification(TComponent* freed) override;
    // The names of report texts (CV_Resolver.cpp): named values, PI, data fields, built-in
    // variables and functions, then OnUserFunction. It leaves the value empty for a name it does
    // not know.
    virtual void ResolveName(std::string_view name, const TcvExprArgs* args, Variant& value);

private:
    static void ResolveNameOf(void* report, std::string_view name, const TcvExprArgs* args, Variant& value);
    void Evaluating(TcvEvaluationRun& evaluation, std::string_view text, Variant& value);
    void ReadData(Stream& stream);
    void WriteData(Stream& stream);
    void ReadTemplate(Stream& stream);
    void RunPasses(TcvProgressView* form);
    void StartPreparation(TcvPreparationState& state);
    void ResetAfterFailedLoad();
    void CheckTemplate() const;

    TDesignerOptions designerOptions_ = doSaveConfirm;
    AnsiString autoLoad_;
    AnsiString pathFromExe_;
    std::filesystem::path autoLoadedName_;
    std::filesystem::file_time_type autoLoadedTime_{};
    int pixelsPerInch_ = 96;
    bool scaled_ = true;
    bool disableDataSetControls_ = true;
    bool modalPreview_ = true;
    std::unique_ptr<TcvEMFPages> emfPages_;
    std::unique_ptr<TcvPages> pages_;
    int templateVersion_ = 0;
    std::unique_ptr<TcvValues> values_;
    StringList dataLines_;
    AnsiString title_;
    bool showProgress_ = true;
    AnsiString reportDir_;
    AnsiString templateDir_;
    StringList dataSets_;
    AnsiString templateFileName_;
    std::vector<int> pagesMade_;  // prepared pages each template page made in the last pass
    AnsiString preparationErrorText_;
    TcvPreparationState* preparation_ = nullptr;  // while one runs
    QElapsedTimer preparationClock_;  // started with each preparation, for MaxPreparationMs
};

}  // namespace tessaly
