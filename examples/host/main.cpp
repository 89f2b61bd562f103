// tessaly-host: an application that prints its own invoices with the Tessaly engine. Its data
// never touch a database: the invoice lines are rows in memory (or, with --model, a table model
// such as a QTableView shows), registered as the dataset "invoice_rows" of a data module "Dati",
// which is where the template examples/invoice.cvf looks for them. It answers the template's
// value "Ditta" (OnGetValue) and a function of its own, SCADENZA (OnUserFunction).
//
//   tessaly-host [MODELLO.cvf] [-o OUT.pdf] [--show] [--model]
//
// Run from the Tessaly folder the template is examples/invoice.cvf (made by Tessaly's build).
#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <memory>

#include <engine/expr/CV_Values.h>
#include <engine/report/CV_Pages.h>
#include <engine/report/CV_Print.h>
#include <engine/report/CV_Report.h>
#include <engine/report/EngineState.h>
#include <engine/ui/SpoolerPrinters.h>
#include <engine/ui/UiStartup.h>
#include <platform/core/Errors.h>
#include <platform/core/QtStrings.h>
#include <platform/data/DataModule.h>
#include <platform/data/ItemModelDataset.h>
#include <platform/data/MemoryDataset.h>
#include <platform/data/ModuleRegistry.h>

#include "InvoiceModel.h"
#include "Invoices.h"

using namespace tessaly;

namespace {

struct Options {
    QString templateFile = QStringLiteral("examples/invoice.cvf");
    QString pdf;
    bool show = false;
    bool fromModel = false;
};

bool ParseOptions(const QStringList& args, Options& o) {
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--show") o.show = true;
        else if (args[i] == u"--model") o.fromModel = true;
        else if (args[i] == u"-o" && i + 1 < args.size()) o.pdf = args[++i];
        else if (!args[i].startsWith(u'-')) o.templateFile = args[i];
        else return false;
    }
    return o.show || !o.pdf.isEmpty();
}

int Fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

// The dataset "invoice_rows" of the module: rows in memory, or the table model's rows.
void AddInvoiceRows(data::TDataModule& module, InvoiceModel* model, const std::vector<QVariantList>& rows) {
    data::Dataset* dataset = nullptr;
    if (model) {
        dataset = new data::ItemModelDataset(model, &module);  // owned by the module
    } else {
        auto* memory = new data::MemoryDataset(&module, InvoiceRowColumns());
        for (const QVariantList& row : rows) memory->AppendQtRow(row);
        dataset = memory;
    }
    dataset->SetName("invoice_rows");
}

QStringList Headers() {
    QStringList headers;
    for (const data::FieldDef& column : InvoiceRowColumns()) headers << ToQString(column.name);
    return headers;
}

// The host's answers: the company's name for the value "Ditta", the due date for SCADENZA(date,
// days), which the value "Scadenza" of the template shows after the payment terms.
void AnswerEvents(TcvReport& report) {
    report.OnGetValue = [](const AnsiString& name, Variant& value) {
        if (SameText(name, "Ditta")) value = Variant(FromQString(QStringLiteral("Forniture Rossi s.r.l. – Bologna")));
    };
    report.OnUserFunction = [](const AnsiString& name, const Variant& date, const Variant& days, const Variant&,
                               Variant& value) {
        if (SameText(name, "SCADENZA")) value = Variant::DateTime(date.AsDateTime() + days.AsInteger());
    };
    report.Values().SetExpression("Scadenza", "' - scadenza ' + FORMATDATETIME('dd/mm/yyyy', SCADENZA(date, 30))");
}

int PrepareAndShow(TcvReport& report, const Options& o) {
    report.LoadFromFile(o.templateFile.toStdString());
    AnswerEvents(report);
    report.SetShowProgress(o.show);
    if (!report.PrepareReport())
        return Fail(report.PreparationErrorText().empty() ? QStringLiteral("Preparazione annullata.")
                                                          : ToQString(report.PreparationErrorText()));
    const int pages = report.EMFPages().Count();
    if (!o.pdf.isEmpty() && !PrintPreparedReportToPdf(report, o.pdf.toStdString(), 1, pages, 1, false))
        return Fail(QStringLiteral("Il PDF non è stato scritto."));
    std::printf("pagine: %d\n", pages);
    std::fflush(stdout);
    if (o.show) report.ShowPreparedReport();  // modal: returns when the preview is closed
    return 0;
}

int Run(const Options& o) {
    const std::vector<QVariantList> rows = InvoiceRows(SampleInvoices());
    InvoiceModel model(Headers(), rows);  // outlives the module and its datasets
    data::TDataModule module(nullptr);
    module.SetName("Dati");
    AddInvoiceRows(module, o.fromModel ? &model : nullptr, rows);
    data::ApplicationModules().AddDataModule(module);  // leaves the registry when freed
    auto* report = new TcvReport(&module);  // freed with the module, before its datasets
    report->SetName("Fatture");
    try {
        return PrepareAndShow(*report, o);
    } catch (const EAbort&) {
        return 1;  // the template did not load: its messages are out already
    } catch (const EngineError& e) {
        return Fail(ToQString(e.Message()));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Options options;
    if (!ParseOptions(QApplication::arguments(), options))
        return Fail(QStringLiteral("Uso: tessaly-host [MODELLO.cvf] [-o OUT.pdf] [--show] [--model]")), 2;
    // The spooler's printers for the preview's print button; none to write a PDF.
    std::unique_ptr<print::Printer> printer = options.show ? CreateSpoolerPrinter() : nullptr;
    EngineWindowUnits units(printer.get());
    // Without a preview the engine's messages (those of loading the template) go to stderr.
    if (!options.show) MessageSink = WriteMessageToStderr;
    return Run(options);
}
