// Opening a template as a viewer does: the data modules it names, read before it loads, and its
// preparation into another report, which keeps its pages when the preparation fails.
#include <gtest/gtest.h>

#include "common/EngineSupport.h"
#include "engine/data/CV_Dataset.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_OpenTemplate.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"

namespace {

using namespace tessaly;
using tessaly::testing::TempFolder;
using tessaly::testing::WriteFile;
namespace fs = std::filesystem;

class OpenTemplateTest : public ::testing::Test {
protected:
    OpenTemplateTest() { tessaly::testing::EnsureApplication(); }

    // A template whose report title shows `text`, with a report dataset over each "Module.Dataset"
    // of `references` (modules and datasets made for the save).
    fs::path Template(const std::string& name, const std::string& text, const std::vector<std::string>& references = {}) {
        std::vector<std::unique_ptr<data::TDataModule>> modules;
        TcvReport report(nullptr);
        for (const std::string& reference : references) {
            const size_t dot = reference.find('.');
            auto* dataset = new data::MemoryDataset(&Module(modules, reference.substr(0, dot)));
            dataset->SetName(reference.substr(dot + 1));
            auto* walker = new TcvDBDataSet(nullptr);
            walker->SetName(dataset->Name());
            walker->SetDataSet(dataset);
            report.AddDataset(walker->Name(), walker);
        }
        auto band = std::make_unique<TcvBandView>(&report);
        band->SetBandType(btReportTitle);
        band->Top = 20, band->Width = 794, band->Height = 30;
        report.Pages().Pages(0).AddObject(std::move(band));
        auto memo = std::make_unique<TcvMemoView>(&report);
        memo->Left = 10, memo->Top = 22, memo->Width = 300, memo->Height = 18;
        memo->MemoLines.Add(text);
        report.Pages().Pages(0).AddObject(std::move(memo));
        report.SaveToFile(folder / name);
        return folder / name;
    }

    // The module of that name (a to z in either case), made and registered when missing.
    static data::TDataModule& Module(std::vector<std::unique_ptr<data::TDataModule>>& modules, const std::string& name) {
        for (auto& m : modules)
            if (SameText(m->Name(), name)) return *m;
        modules.push_back(std::make_unique<data::TDataModule>(nullptr));
        modules.back()->SetName(name);
        data::ApplicationModules().AddDataModule(*modules.back());
        return *modules.back();
    }

    EngineUnits units{nullptr};
    TempFolder folder{"open-template"};
};

TEST_F(OpenTemplateTest, TheModulesATemplateNamesAreReadBeforeItLoads) {
    EXPECT_EQ(TemplateModuleNames(Template("nessuno.cvf", "x")), std::vector<AnsiString>{});
    EXPECT_EQ(TemplateModuleNames(Template("due.cvf", "x", {"Dati.righe", "Altro.voci", "dati.teste"})),
              (std::vector<AnsiString>{"Dati", "Altro"}));
    WriteFile(folder / "vecchio.cvf", std::vector<uint8_t>{20, 0, 0, 0, 0});  // no version: no dataset section
    EXPECT_EQ(TemplateModuleNames(folder / "vecchio.cvf"), std::vector<AnsiString>{});
    WriteFile(folder / "tronco.cvf", std::vector<uint8_t>{29, 1, 0, 0, 0, 1, 9, 'D'});
    EXPECT_THROW(TemplateModuleNames(folder / "tronco.cvf"), EngineError);
    EXPECT_THROW(TemplateModuleNames(folder / "assente.cvf"), EngineError);
    EXPECT_EQ(CompanionDatabase("/a/b.c/fattura.cvf"), fs::path("/a/b.c/fattura.sqlite"));
    EXPECT_TRUE(IsTemplateFile("x.CVF"));
    EXPECT_FALSE(IsTemplateFile("x.cvp"));
}

TEST_F(OpenTemplateTest, APreparedTemplateReplacesThePagesAndAFailedOneKeepsThem) {
    TcvReport target(nullptr);
    target.SetShowProgress(false);
    ASSERT_TRUE(PrepareTemplateInto(target, Template("buono.cvf", "[1 + 1]"), ""));
    ASSERT_EQ(target.EMFPages().Count(), 1);
    const size_t drawing = target.EMFPages().Pages(0).Drawing.Bytes().size();
    try {
        PrepareTemplateInto(target, Template("rotto.cvf", "[VAL('abc')]"), "");
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_NE(e.Message().find("VAL ('abc')"), std::string::npos) << e.Message();
    }
    ASSERT_EQ(target.EMFPages().Count(), 1);
    EXPECT_EQ(target.EMFPages().Pages(0).Drawing.Bytes().size(), drawing);
    EXPECT_TRUE(data::ApplicationModules().DataModules().empty()) << "nothing left registered";
}

}  // namespace
