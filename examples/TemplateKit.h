#pragma once
// What the example templates are made of: a template built band by band on its pages, over the
// data module "Dati" of its own embedded database (a copy of demo.sqlite with the template's
// queries), saved through the engine's SaveToFile.
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/expr/CV_FormatCode.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_Picture.h"
#include "engine/model/CV_SubReport.h"
#include "engine/report/CV_Report.h"
#include "platform/data/DataModule.h"

namespace examples {

using namespace tessaly;
namespace fs = std::filesystem;

inline constexpr TColor kHeading = 0xE8E8E8, kGroup = 0xF4E8D8, kRule = 0xB0B0B0, kTotal = 0xF0F0F0;

// Euros with two decimals and thousands points.
uint32_t Money();

struct Column {
    int left, width;
    const char* heading;
    const char* field;
    uint32_t align;
    bool money = true;  // a right-aligned column shows money
};

// (name, SQL) of the datasets a template reads beyond the database's tables.
using Queries = std::vector<std::pair<std::string, std::string>>;

// The example's embedded database: demo.sqlite copied beside the template as NAME.sqlite, with
// the template's queries in its report_queries.
void MakeCompanionDatabase(const fs::path& demo, const fs::path& database, const Queries& queries);

// The logo of the examples: a JPEG picture drawn here.
graphics::Picture Logo();

class Template {
public:
    // Opens `database` as the data module "Dati".
    explicit Template(const fs::path& database);
    ~Template();
    TcvReport& Report() { return *report_; }

    // The template page that the next bands and objects go on (added as needed).
    void OnPage(int index);
    TcvPage& CurrentPage();
    // A report dataset over the module's dataset of that name, filtered when a filter is given.
    void Dataset(const char* name, const char* filter = "");
    TcvBandView& Band(int type, int top, int height, const std::string& formatText = "", uint16_t flags = 0);
    TcvMemoView& Text(int left, int top, int width, int height, const std::string& text, uint32_t align = taLeft,
                      uint8_t style = 0, int size = 10);
    TcvPictureView& Picture(int left, int top, int width, int height, const graphics::Picture& picture);
    TcvSubReportView& SubReport(int left, int top, int width, int height, int subPage);
    // Column headings on a grey strip between two rules.
    void Headings(int top, const std::vector<Column>& columns);
    // One record: a field per column, a light rule below; right-aligned columns as money.
    void Row(int top, const std::vector<Column>& columns, int size = 10);
    void Save(const fs::path& file) { report_->SaveToFile(file); }

private:
    template <class View>
    View& Add(std::unique_ptr<View> view) {
        return static_cast<View&>(CurrentPage().AddObject(std::move(view)));
    }

    std::unique_ptr<data::DatabaseModule> module_;
    TcvReport* report_;  // owned by the module
    int page_ = 0;
};

}  // namespace examples
