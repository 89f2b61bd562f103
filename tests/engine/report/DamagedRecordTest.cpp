// A prepared report whose page holds one damaged record: the report opens, the page plays all
// the rest, the search and the export read the records around it. A broken record chain still
// refuses the report.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "common/DamagedPages.h"
#include "common/PrintSupport.h"
#include "engine/report/CV_Export.h"
#include "engine/report/CV_FindText.h"
#include "platform/emf/EmfPlayer.h"

namespace tessaly {
namespace {

using testing::DamagedPage;
using testing::RecordDamage;
using testing::RecordDamages;

QImage Played(const emf::Metafile& page) {
    QImage image(testing::damaged::kWidth, testing::damaged::kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    emf::PlayMetafile(painter, page, QRectF(image.rect()));
    return image;
}

// The text items a filter receives, as "y x text".
class ListingFilter : public TcvExportFilter {
public:
    using TcvExportFilter::TcvExportFilter;
    bool Setup() override { return true; }
    void EndDoc() override {}
    void BeginPage(int, int) override {}
    void EndPage() override {}
    void AddText(int x, int y, const AnsiString& text, const TExportFont&) override {
        items.push_back(std::to_string(y) + " " + std::to_string(x) + " " + text);
    }
    static inline std::vector<std::string> items;
};

class DamagedRecordTest : public ::testing::Test {
protected:
    void SetUp() override { testing::EnsureApplication(); }

    // The report saved with one page of `drawing` and opened again from its file.
    std::unique_ptr<TcvReport> Reopened(const emf::Metafile& drawing) {
        TcvReport made(nullptr);
        testing::AddPaperPage(made, 9, 0).Drawing = drawing;
        made.SavePreparedReport(folder / "danno.cvp");
        auto report = std::make_unique<TcvReport>(nullptr);
        report->LoadPreparedReport(folder / "danno.cvp");
        return report;
    }

    std::vector<int64_t> Matches(TcvReport& report, const char* text) {
        std::vector<int64_t> records;
        ForEachTextMatch(report.EMFPages(), TTextQuery{text}, [&](const TTextMatch& m) {
            records.push_back(m.RecordNo);
            return true;
        });
        return records;
    }

    testing::TempFolder folder{"damaged"};
    EngineUnits units{nullptr};
};

TEST_F(DamagedRecordTest, TheRecordIsLeftOutAndEverythingAroundItIsShownFoundAndExported) {
    const QImage expected = Played(DamagedPage(nullptr));
    RegisterExportFilter(ExportFilterClass<ListingFilter>, "Elenco (*.txt)", "*.txt");
    for (const RecordDamage& damage : RecordDamages()) {
        SCOPED_TRACE(damage.what);
        const emf::Metafile page = DamagedPage(&damage);
        EXPECT_EQ(page.DamagedRecordCount(), damage.write ? 1u : 0u);
        std::unique_ptr<TcvReport> report;
        ASSERT_NO_THROW(report = Reopened(page));
        ASSERT_EQ(report->EMFPages().Count(), 1);
        EXPECT_TRUE(Played(report->EMFPages().Pages(0).Drawing) == expected);

        // Record numbers count the damaged record too (header 0, text 1, brush 2, select 3, box 4).
        const int64_t after = damage.write ? 6 : 5;
        EXPECT_EQ(Matches(*report, "prima"), std::vector<int64_t>{1});
        EXPECT_EQ(Matches(*report, "dopo"), std::vector<int64_t>{after});
        EXPECT_TRUE(Matches(*report, "danno").empty());

        ListingFilter::items.clear();
        report->ExportTo(ExportFilterClass<ListingFilter>, folder / "danno.txt");
        EXPECT_EQ(ListingFilter::items, (std::vector<std::string>{"20 10 prima", "250 10 dopo"}));
    }
    UnregisterExportFilter(ExportFilterClass<ListingFilter>);
}

// The damaged records with their fields put right draw something: a page that played them would
// not look like the page without them.
TEST_F(DamagedRecordTest, TheSameRecordsSoundAreDrawn) {
    using namespace testing::damaged;
    const QImage without = Played(DamagedPage(nullptr));
    const std::vector<std::pair<const char*, std::function<void(emf::MetafileWriter&)>>> sound = {
        {"text", [](emf::MetafileWriter& w) { Text(w, 5, 76, 88); }},
        {"bitmap", [](emf::MetafileWriter& w) { StretchDib(w, 80, 120); }},
        {"blit", [](emf::MetafileWriter& w) { BitBlt(w, 140); }},
        {"region", [](emf::MetafileWriter& w) { FillRegion(w, 48); }},
        {"polygon", [](emf::MetafileWriter& w) { Triangle(w, 3); }},
    };
    for (const auto& [what, write] : sound) {
        const RecordDamage none{what, write, {}};
        const emf::Metafile page = DamagedPage(&none);
        EXPECT_EQ(page.DamagedRecordCount(), 0u) << what;
        EXPECT_FALSE(Played(page) == without) << what;
    }
    // The sound text is found where its damaged forms are not.
    const RecordDamage text{"text", sound[0].second, {}};
    EXPECT_EQ(Matches(*Reopened(DamagedPage(&text)), "danno"), std::vector<int64_t>{5});
}

TEST_F(DamagedRecordTest, ABrokenRecordChainStillRefusesTheReport) {
    const std::vector<uint8_t> good = [&] {
        TcvReport made(nullptr);
        testing::AddPaperPage(made, 9, 0).Drawing = DamagedPage(nullptr);
        made.SavePreparedReport(folder / "catena.cvp");
        return testing::ReadFile(folder / "catena.cvp");
    }();
    const size_t drawing = 6 + 16, firstRecord = drawing + emf::kHeaderSize;
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"record size not a multiple of 4", firstRecord + 4, 39},
        {"record running past the image", firstRecord + 4, 0x100000},
        {"a second header", firstRecord, emf::EMR_HEADER},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i) bytes[c.at + i] = uint8_t(c.value >> (8 * i));
        testing::WriteFile(folder / "catena.cvp", bytes);
        TcvReport report(nullptr);
        try {
            report.LoadPreparedReport(folder / "catena.cvp");
            ADD_FAILURE() << c.what << ": opened";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.Message(), "Metafile is not valid") << c.what;
        }
        EXPECT_EQ(report.EMFPages().Count(), 0) << c.what;
    }
}

}  // namespace
}  // namespace tessaly
