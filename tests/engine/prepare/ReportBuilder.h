#pragma once
// Whole reports for the preparation tests: a report owned by a form "Vendite" that also holds the
// memory datasets, template pages built band by band in code, and what the prepared pages show
// (their text records, each with its reference point, page by page).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/EngineSupport.h"
#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_SubReport.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Stream.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/emf/EmfRecords.h"
#include "platform/text/FormatSettings.h"

namespace preparetest {

using namespace tessaly;

struct TextRecord {
    int32_t x = 0, y = 0;
    std::string text;  // cp1252
};
using PageTexts = std::vector<TextRecord>;

inline PageTexts TextsOf(const emf::Metafile& drawing) {
    PageTexts texts;
    for (emf::RecordView r : drawing.Records())
        if (r.Type() == emf::EMR_EXTTEXTOUTW || r.Type() == emf::EMR_EXTTEXTOUTA)
            if (auto t = emf::ParseExtTextOut(r))
                texts.push_back({t->text.reference.x, t->text.reference.y,
                                 t->isWide ? Utf16ToCp1252(t->text.wide) : t->text.ansi});
    return texts;
}

// A report being built: pages of band views and text objects over memory datasets.
class ReportBuilder {
public:
    ReportBuilder() {
        tessaly::testing::EnsureApplication();
        form.SetName("Vendite");
        data::ApplicationModules().AddForm(form);
        report = new TcvReport(&form);
        report->SetName("Report");
        report->SetShowProgress(false);
    }
    ~ReportBuilder() {
        data::ApplicationModules().Remove(form);
        EngineMode = emDesign;
    }

    TcvPage& Page(int index = 0) {
        while (report->Pages().Count() <= index) report->Pages().Add();
        return report->Pages().Pages(index);
    }

    // A memory dataset of the form, and the report dataset of the same name that walks it.
    data::MemoryDataset& Data(const std::string& name, std::vector<data::FieldDef> columns,
                              const std::vector<std::vector<Variant>>& rows) {
        auto* ds = new data::MemoryDataset(&form, std::move(columns));
        ds->SetName(name);
        for (const auto& row : rows) ds->AppendRow(row);
        Walk(name, *ds);
        return *ds;
    }
    // A report dataset over a dataset of the data layer.
    TcvDBDataSet& Walk(const std::string& name, data::Dataset& dataset) {
        auto* walker = new TcvDBDataSet(nullptr);
        walker->SetName(name);
        walker->SetDataSet(&dataset);
        report->AddDataset(name, walker);
        return *walker;
    }
    TcvDBDataSet& Walker(const std::string& name) {
        int index = -1;
        report->DataSets().Find(name, index);
        return *dynamic_cast<TcvDBDataSet*>(static_cast<TComponent*>(report->DataSets().Objects(index)));
    }

    TcvBandView& Band(int type, int top, int height, const std::string& formatText = "", uint16_t flags = 0,
                      int page = 0) {
        auto view = std::make_unique<TcvBandView>(report);
        view->SetBandType(uint8_t(type));
        view->Left = 0, view->Top = top, view->Width = 794, view->Height = height;
        view->FormatText = formatText;
        view->Flags = flags;
        return static_cast<TcvBandView&>(Page(page).AddObject(std::move(view)));
    }
    TcvMemoView& Text(int left, int top, const std::string& text, int width = 150, int height = 18, int page = 0) {
        auto memo = std::make_unique<TcvMemoView>(report);
        memo->Left = left, memo->Top = top, memo->Width = width, memo->Height = height;
        memo->MemoLines.Add(text);
        return static_cast<TcvMemoView&>(Page(page).AddObject(std::move(memo)));
    }
    // A band with one text object at its left, 1 below its top.
    TcvBandView& Line(int type, int top, int height, const std::string& text, const std::string& formatText = "",
                      uint16_t flags = 0) {
        TcvBandView& band = Band(type, top, height, formatText, flags);
        Text(10, top + 1, text);
        return band;
    }
    TcvSubReportView& SubReport(int left, int top, int width, int height, int subPage, int page = 0) {
        auto view = std::make_unique<TcvSubReportView>(report);
        view->Left = left, view->Top = top, view->Width = width, view->Height = height;
        view->SubPage = subPage;
        return static_cast<TcvSubReportView&>(Page(page).AddObject(std::move(view)));
    }

    // Saves the template through the template writer and loads it back, as a file would carry it.
    void SaveAndReload() {
        MemoryStream stream;
        report->SaveToStream(stream);
        stream.SetPosition(0);
        report->LoadFromStream(stream);
    }
    // Prepares the template as saved and read back.
    bool PrepareSaved() {
        SaveAndReload();
        return Prepare();
    }

    bool Prepare() {
        const bool ok = report->PrepareReport();
        error = Cp1252ToUtf8(report->PreparationErrorText());
        KeepPrepared();
        pages.clear();
        for (int i = 0; i < report->EMFPages().Count(); ++i) {
            PreparedPage& p = report->EMFPages().Pages(i);
            EXPECT_FALSE(p.Surface) << "page " << i + 1 << " left open";
            pages.push_back(TextsOf(p.Drawing));
        }
        return ok;
    }

    // With TESSALY_KEEP_PREPARED set to a folder, every prepared report is saved there under its
    // test's name, so that two builds of the engine can be compared report by report.
    void KeepPrepared() {
        const char* folder = std::getenv("TESSALY_KEEP_PREPARED");
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        if (!folder || !test || report->EMFPages().Count() == 0) return;
        const std::string name = std::string(test->test_suite_name()) + "." + test->name() + "." + std::to_string(++kept_);
        report->SavePreparedReport(std::filesystem::path(folder) / (name + ".cvp"));
    }

    int PageCount() const { return int(pages.size()); }
    // The texts of page n (from 1) in drawing order.
    std::vector<std::string> Lines(int page) const {
        std::vector<std::string> lines;
        for (const TextRecord& t : pages.at(size_t(page - 1))) lines.push_back(t.text);
        return lines;
    }
    // Every text of the report, page after page.
    std::vector<std::string> AllLines() const {
        std::vector<std::string> lines;
        for (int p = 1; p <= PageCount(); ++p)
            for (const std::string& l : Lines(p)) lines.push_back(l);
        return lines;
    }
    // The page (from 1) and the text record of the first text that equals `text`; page 0 if none.
    int PageOf(const std::string& text, TextRecord* found = nullptr) const {
        for (size_t p = 0; p < pages.size(); ++p)
            for (const TextRecord& t : pages[p])
                if (t.text == text) {
                    if (found) *found = t;
                    return int(p) + 1;
                }
        return 0;
    }
    int Count(const std::string& text) const {
        int n = 0;
        for (const auto& page : pages)
            for (const TextRecord& t : page) n += t.text == text;
        return n;
    }

    EngineUnits units{nullptr};
    FormatSettingsScope italian{FormatSettings::Italian()};
    TComponent form{nullptr};
    TcvReport* report = nullptr;  // owned by the form
    std::vector<PageTexts> pages;
    std::string error;  // of the last preparation, UTF-8

private:
    int kept_ = 0;
};

// Rows of one integer column "n" (1 to count) and a text column "nome" ("Riga n").
inline std::vector<std::vector<Variant>> NumberedRows(int count) {
    std::vector<std::vector<Variant>> rows;
    for (int i = 1; i <= count; ++i) rows.push_back({Variant(i), Variant("Riga " + std::to_string(i))});
    return rows;
}
inline std::vector<data::FieldDef> NumberedColumns() {
    return {{"n", data::FieldKind::Integer}, {"nome", data::FieldKind::String}};
}

}  // namespace preparetest
