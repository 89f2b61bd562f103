// The template file: round trips, the old versions, the record tags, damaged streams (each fails
// with the loading message and leaves one empty page), the layouts repaired on load, and what a
// save refuses to write.
#include <gtest/gtest.h>

#include <set>

#include "common/EngineSupport.h"
#include "engine/data/CV_Dataset.h"
#include "engine/expr/CV_Values.h"
#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Objects.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_Picture.h"
#include "engine/model/CV_SubReport.h"
#include "engine/model/CV_Template.h"
#include "engine/model/ModelSupport.h"
#include "platform/data/DataModule.h"
#include "platform/data/MemoryDataset.h"
#include "platform/data/ModuleRegistry.h"
#include "platform/graphics/PictureFiles.h"

using namespace tessaly;
using namespace tessaly::testing;
using namespace picturetest;

namespace {

const std::string kLoadFailed = std::string("Errore: ") + kTemplateLoadFailed;

// A data module "Dati" with a dataset "clienti", known to the application while it lives.
struct DataModule {
    DataModule() {
        module.SetName("Dati");
        clienti.SetName("clienti");
        data::ApplicationModules().AddDataModule(module);
    }
    data::TDataModule module{nullptr};
    data::MemoryDataset clienti{&module, {{"nome", data::FieldKind::String}}};
};

class TemplateTest : public ::testing::Test {
protected:
    EngineUnits units{nullptr};
    DataModule dati;
};

template <class T>
T& Add(TcvReport& report, int page) {
    return static_cast<T&>(report.Pages().Pages(page).AddObject(std::make_unique<T>(&report)));
}

// A report with every kind of object, dataset and value.
void FillReport(TcvReport& report, data::Dataset& clienti) {
    report.TwoPass = 1;
    report.Interleave = 1;
    TcvPage& second = report.Pages().Add();
    second.ChangePaper(256, 1500, 1000, 1);
    second.ColumnCount = 2;
    second.ScaleX = 90;

    auto& memo = Add<TcvMemoView>(report, 0);
    memo.Left = 10, memo.Top = 20, memo.Width = 300, memo.Height = 18;
    memo.MemoLines.SetText("Cliente: [Dati.clienti.nome]\r\n\r\nfine");
    memo.Font.Style = emf::fsBold | emf::fsItalic;
    memo.HighlightCondition = "[Totale] > 100";
    memo.FrameSides = fsAllSides;
    auto& picture = Add<TcvPictureView>(report, 0);
    picture.Picture = graphics::Picture::Load(graphics::PictureKind::Bitmap, Dib{2, 2, 24, 0, {}, {}, false, 40,
                                                                                 Bytes(16, 0x80)}.File());
    auto& band = Add<TcvBandView>(report, 0);
    band.SetBandType(btMasterData);
    band.FormatText = "Clienti";
    band.Top = 100, band.Height = 20;
    Add<TcvSubReportView>(report, 0).SubPage = 1;
    Add<TcvMemoView>(report, 1).MemoLines.Add("sottoreport");

    auto* db = new TcvDBDataSet(nullptr);
    db->SetName("Clienti");
    db->SetDataSet(&clienti);
    db->Filtered = true;
    db->Filter = "[nome] <> ''";
    report.AddDataset("Clienti", db);
    auto* plain = new TcvDataset(nullptr);
    plain->SetName("Righe");
    plain->RangeEnd = reCount;
    plain->RangeEndCount = 3;
    report.AddDataset("Righe", plain);

    TcvValues& values = report.Values();
    values.SetName(values.AddValue(), "Nome");
    values.Items(0).Kind = vkDataField, values.Items(0).DataSetName = "Dati.clienti", values.Items(0).FieldName = "nome";
    values.SetName(values.AddValue(), "Pagina");
    values.Items(1).Kind = vkOther, values.Items(1).OtherKind = 0;
    report.DataLines().Add("riga di dati");
}

}  // namespace

TEST_F(TemplateTest, SavingAndLoadingGivesTheSameTemplateAndTheSameBytes) {
    TcvReport report(nullptr);
    FillReport(report, dati.clienti);
    const auto saved = SavedBytes(report);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved[0], 29);

    TcvReport back(nullptr);
    CaughtMessages messages;
    ASSERT_TRUE(LoadBytes(back, saved));
    EXPECT_TRUE(messages.lines.empty());
    EXPECT_EQ(back.TemplateVersion(), 29);
    EXPECT_EQ(back.TwoPass, 1);
    EXPECT_EQ(back.Interleave, 1);
    ASSERT_EQ(back.Pages().Count(), 2);
    const TcvPage& second = back.Pages().Pages(1);
    EXPECT_EQ(second.PaperSize, 256);
    EXPECT_EQ(second.PaperWidth, 1500);
    EXPECT_EQ(second.Orientation, 1);
    EXPECT_EQ(second.ColumnCount, 2);
    EXPECT_EQ(second.ScaleX, 90);
    ASSERT_EQ(back.Pages().Pages(0).ObjectCount(), 4);
    auto* memo = dynamic_cast<TcvMemoView*>(back.Pages().Pages(0).Objects(0));
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->Name, "Memo1");
    EXPECT_EQ(memo->MemoLines.Count(), 3);
    EXPECT_EQ(memo->MemoLines[2], "fine");
    EXPECT_EQ(memo->Font.Style, emf::fsBold | emf::fsItalic);
    EXPECT_EQ(memo->HighlightCondition, "[Totale] > 100");
    auto* picture = dynamic_cast<TcvPictureView*>(back.Pages().Pages(0).Objects(1));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Picture.Kind(), graphics::PictureKind::Bitmap);
    EXPECT_EQ(picture->Picture.Width(), 2);
    EXPECT_EQ(dynamic_cast<TcvSubReportView*>(back.Pages().Pages(0).Objects(3))->SubPage, 1);
    ASSERT_EQ(back.DataSets().Count(), 2);
    auto* db = dynamic_cast<TcvDBDataSet*>(static_cast<TComponent*>(back.DataSets().Objects(0)));
    ASSERT_TRUE(db);
    EXPECT_EQ(db->DataSet(), &dati.clienti);
    EXPECT_TRUE(db->Filtered);
    EXPECT_EQ(db->Filter, "[nome] <> ''");
    auto* plain = dynamic_cast<TcvDataset*>(static_cast<TComponent*>(back.DataSets().Objects(1)));
    EXPECT_EQ(plain->RangeEnd, reCount);
    EXPECT_EQ(plain->RangeEndCount, 3);
    ASSERT_EQ(back.Values().Count(), 2);
    EXPECT_EQ(back.Values().Items(0).FieldName, "nome");
    EXPECT_EQ(back.DataLines().Text(), "riga di dati\r\n");

    EXPECT_EQ(SavedBytes(back), saved) << "a file written by the engine is written back byte for byte";
}

// A line longer than 1024 bytes is saved whole, up to the 65535 bytes its length can count.
TEST_F(TemplateTest, LongLinesAreSavedWholeUpToTheLimitOfTheirForm) {
    for (const size_t length : {size_t(1025), size_t(5000), size_t(65535)}) {
        TcvReport report(nullptr);
        auto& memo = Add<TcvMemoView>(report, 0);
        memo.MemoLines.Add(std::string(length - 4, 'x') + "fine");
        memo.MemoLines.Add("[" + std::string(length - 2, 'y') + "]");
        memo.HighlightCondition = std::string(length, 'c');
        const auto saved = SavedBytes(report);
        TcvReport back(nullptr);
        ASSERT_TRUE(LoadBytes(back, saved)) << length;
        auto* loaded = dynamic_cast<TcvMemoView*>(back.Pages().Pages(0).Objects(0));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->MemoLines[0], memo.MemoLines[0]);
        EXPECT_EQ(loaded->MemoLines[1], memo.MemoLines[1]);
        EXPECT_EQ(loaded->HighlightCondition.size(), length);
        EXPECT_EQ(SavedBytes(back), saved);
    }
}

TEST_F(TemplateTest, ClearLeavesOneA4PageAndNothingElse) {
    TcvReport report(nullptr);
    FillReport(report, dati.clienti);
    report.Clear();
    ASSERT_EQ(report.Pages().Count(), 1);
    const TcvPage& page = report.Pages().Pages(0);
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.PaperWidth, 2100);
    EXPECT_EQ(page.Orientation, 0);
    EXPECT_EQ(page.ObjectCount(), 0);
    EXPECT_EQ(report.Values().Count(), 0);
    EXPECT_TRUE(report.DataSets().Empty());
    EXPECT_EQ(report.TwoPass, 0);
}

TEST_F(TemplateTest, OldVersionsAreReadAsTheyWereLaidOut) {
    for (int v = 21; v <= 28; ++v) {
        SCOPED_TRACE("version " + std::to_string(v));
        OldStream s(v);
        s.Header(true);
        if (v >= 23) {
            s.I32(2);
            s.U8(1), s.Short("Dati.clienti");
            if (v >= 27) s.U8(1), s.Short("[nome] = 'x'");
            s.Short("Clienti"), s.U8(0), s.U8(reCount), s.U16(0), s.I32(4);
            s.U8(0), s.Short("Righe"), s.U8(rbCurrent), s.U8(reLast), s.U16(0), s.I32(0);
        }
        s.PagesHeader(1, 1, 1);
        OldStream::Page page;
        page.scaleX = 50, page.scaleY = 60;
        s.PageRecord(page);
        s.U8(otMemo), s.U8(0);
        s.BasePart(100, 200, 300, 400, {"A", "", "B"}, "Testo");
        s.MemoPart();

        TcvReport report(nullptr);
        CaughtMessages messages;
        ASSERT_TRUE(LoadBytes(report, s.Bytes()));
        EXPECT_TRUE(messages.lines.empty());
        EXPECT_EQ(report.TemplateVersion(), v);
        EXPECT_EQ(report.TwoPass, 1);
        EXPECT_EQ(report.Interleave, v >= 23 ? 1 : 0);
        ASSERT_EQ(report.Pages().Count(), 1);
        EXPECT_EQ(report.Pages().Pages(0).ScaleX, v >= 25 ? 50 : 100);
        ASSERT_EQ(report.Pages().Pages(0).ObjectCount(), 1);
        const TcvView& memo = *report.Pages().Pages(0).Objects(0);
        EXPECT_EQ(memo.Name, v >= 23 ? "Testo" : "Memo1");
        // Coordinates before version 24 were on a grid smaller by 1.0321691176470588235.
        const bool rescaled = v < 24;
        EXPECT_EQ(memo.Left, rescaled ? 103 : 100);
        EXPECT_EQ(memo.Top, rescaled ? 206 : 200);
        EXPECT_EQ(memo.Width, rescaled ? 310 : 300);
        EXPECT_EQ(memo.Height, rescaled ? 413 : 400);
        EXPECT_EQ(memo.Flags, v == 21 ? 0x02 : 0) << "version 21 text objects wrap their words";
        EXPECT_EQ(memo.MemoLines.Text(), "A\r\n\r\nB\r\n");
        ASSERT_EQ(report.DataSets().Count(), v >= 23 ? 2 : 0);
        if (v < 23) continue;
        auto* db = dynamic_cast<TcvDBDataSet*>(static_cast<TComponent*>(report.DataSets().Objects(0)));
        ASSERT_TRUE(db);
        EXPECT_EQ(db->Filtered, v >= 27);
        EXPECT_EQ(db->Filter, v >= 27 ? "[nome] = 'x'" : "");
        EXPECT_EQ(db->RangeEnd, reCount);
        EXPECT_EQ(db->RangeEndCount, 4);
    }
}

TEST_F(TemplateTest, TerminatedLineListsEndWithOrWithoutAFinalCarriageReturn) {
    for (const std::string& lines : {std::string("A\r\rB\r", 5), std::string("A\r\rB", 4)}) {
        OldStream s(25);
        s.Header();
        s.PagesHeader();
        s.PageRecord({});
        s.U8(otBand), s.U8(0);
        s.I32(0), s.I32(0), s.I32(0), s.I32(0), s.U16(0), s.U16(0), s.I32(1), s.I32(0), s.U16(0), s.I32(0), s.I32(0);
        s.Lines({""});
        s.s.WriteString(lines), s.U8(0);
        s.U8(1), s.Short("Banda");
        TcvReport report(nullptr);
        ASSERT_TRUE(LoadBytes(report, s.Bytes()));
        EXPECT_EQ(report.Pages().Pages(0).Objects(0)->MemoLines.Text(), "A\r\n\r\nB\r\n");
    }
}

TEST_F(TemplateTest, RecordTagsAreReadUntilTheStreamEndsOrAnUnknownTagStops) {
    OldStream s(29);
    s.Header();
    s.PagesHeader();
    s.PageRecord({});
    s.U8(254);
    s.I32(1), s.U8(2), s.I32(8), s.Short(""), s.Short(""), s.Short("Totale");  // a named value
    s.Lines({"dati"});
    s.PageRecord({});
    s.U8(otSubReport), s.U8(1);
    s.BasePart(0, 0, 10, 10, {}, "Sotto");
    s.I32(0);
    s.U8(11);
    s.s.WriteString("anything after tag 11 is not read");
    TcvReport report(nullptr);
    ASSERT_TRUE(LoadBytes(report, s.Bytes()));
    EXPECT_EQ(report.Pages().Count(), 2);
    EXPECT_EQ(report.Pages().Pages(1).ObjectCount(), 1);
    ASSERT_EQ(report.Values().Count(), 1);
    EXPECT_EQ(report.Values().Names(0), "Totale");
    EXPECT_EQ(report.DataLines().Text(), "dati\r\n");

    OldStream empty(29);
    empty.Header();
    empty.PagesHeader();
    ASSERT_TRUE(LoadBytes(report, empty.Bytes()));
    EXPECT_EQ(report.Pages().Count(), 0) << "a stream that ends after its header has no pages";
}

TEST_F(TemplateTest, TypeCodesFourToNineAndUnknownAddInsFailTheLoad) {
    for (int tag = 4; tag <= 10; ++tag) {
        SCOPED_TRACE("tag " + std::to_string(tag));
        OldStream s(29);
        s.Header();
        s.PagesHeader();
        s.PageRecord({});
        s.U8(static_cast<uint8_t>(tag));
        if (tag == otAddIn) s.Lines({"TcvChartView"});
        s.U8(0);
        s.BasePart(0, 0, 10, 10, {}, "X");
        TcvReport report(nullptr);
        report.AddDataset("Vecchio", new TcvDataset(nullptr));
        CaughtMessages messages;
        EXPECT_FALSE(LoadBytes(report, s.Bytes()));
        std::vector<std::string> expected{kLoadFailed};
        if (tag == otAddIn)
            expected.insert(expected.begin(),
                            "Errore: Oggetto non trovato : TcvChartView.\n\rUn componente avanzato presente nel "
                            "report, \n\rnon \xE8 stato inserito nel programma che ne fa uso.");
        EXPECT_EQ(messages.lines, expected);
        ASSERT_EQ(report.Pages().Count(), 1) << "empty but usable";
        EXPECT_EQ(report.Pages().Pages(0).ObjectCount(), 0);
        EXPECT_EQ(report.Pages().Pages(0).PaperSize, 9);
        EXPECT_TRUE(report.DataSets().Empty());
    }
}

TEST_F(TemplateTest, RegisteredAddInsAreMadeByClassNameAndKeepTheirOwnFields) {
    RegisterAddInObject(TcvViewClass{"TcvStampView", &ConstructView<TcvStampView>});
    TcvReport report(nullptr);
    Add<TcvStampView>(report, 0).Ink = 42;
    report.Pages().Pages(0).Objects(0)->ObjectType = otAddIn;
    const auto saved = SavedBytes(report);
    TcvReport back(nullptr);
    ASSERT_TRUE(LoadBytes(back, saved));
    auto* stamp = dynamic_cast<TcvStampView*>(back.Pages().Pages(0).Objects(0));
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->Name, "Stamp1");
    EXPECT_EQ(stamp->ObjectType, otAddIn);
    EXPECT_EQ(stamp->Ink, 42);
    ClearAddInObjects();
    EXPECT_THROW(report.SaveToStream(*std::make_unique<MemoryStream>()), EngineError)
        << "an add-in that would not be found again is not saved";
}

// A valid template of every record kind, for the damage tests.
std::vector<uint8_t> SampleTemplate(data::Dataset& clienti) {
    TcvReport report(nullptr);
    FillReport(report, clienti);
    return SavedBytes(report);
}

TEST_F(TemplateTest, DamagedStreamsFailWithTheLoadingMessageAndLeaveOneEmptyPage) {
    const auto good = SampleTemplate(dati.clienti);
    auto check = [](const std::vector<uint8_t>& bytes) {
        TcvReport report(nullptr);
        CaughtMessages messages;
        if (LoadBytes(report, bytes)) return;
        EXPECT_EQ(messages.lines.back(), kLoadFailed);
        EXPECT_EQ(report.Pages().Count(), 1);
        EXPECT_TRUE(report.DataSets().Empty());
        EXPECT_EQ(report.Values().Count(), 0);
    };
    // Every truncation, and every byte set to 0xFF in turn: never a crash, never a partly read
    // report.
    for (size_t n = 0; n < good.size(); ++n) check(std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
    for (size_t i = 0; i < good.size(); ++i) {
        auto bad = good;
        bad[i] = 0xFF;
        check(bad);
    }
}

TEST_F(TemplateTest, ImpossibleContentFailsTheLoad) {
    auto withSubReports = [](std::vector<std::pair<int, int32_t>> placeholders, int pages) {
        OldStream s(29);
        s.Header();
        s.PagesHeader();
        for (int i = 0; i < pages; ++i) s.PageRecord({});
        for (auto [page, target] : placeholders) {
            s.U8(otSubReport), s.U8(static_cast<uint8_t>(page));
            s.BasePart(0, 0, 10, 10, {}, "S" + std::to_string(page));
            s.I32(target);
        }
        return s.Bytes();
    };
    auto withPicture = [](uint32_t endDelta) {
        OldStream s(29);
        s.Header();
        s.PagesHeader();
        s.PageRecord({});
        s.U8(otPicture), s.U8(0);
        s.BasePart(0, 0, 10, 10, {}, "P");
        s.U8(0);
        s.I32(static_cast<int32_t>(s.s.Position() + 4 + endDelta));
        return s.Bytes();
    };
    auto withVersion = [](uint8_t version) {
        OldStream s(29);
        s.U8(version);
        s.I32(0);
        s.PagesHeader();
        return s.Bytes();
    };
    auto withValue = [](int32_t otherKind) {
        OldStream s(29);
        s.Header();
        s.PagesHeader();
        s.U8(254), s.I32(1), s.U8(2), s.I32(otherKind), s.Short(""), s.Short(""), s.Short("V");
        s.Lines({});
        return s.Bytes();
    };
    auto objectOnUnreadPage = [] {
        OldStream s(29);
        s.Header();
        s.PagesHeader();
        s.PageRecord({});
        s.U8(otMemo), s.U8(1);
        s.BasePart(0, 0, 10, 10, {}, "M");
        s.MemoPart();
        return s.Bytes();
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"picture ending before its data", withPicture(uint32_t(-1))},
        {"picture ending past the stream", withPicture(1)},
        {"version 30", withVersion(30)},
        {"version 255", withVersion(255)},
        {"sub-report of a page that does not exist", withSubReports({{0, 2}}, 2)},
        {"sub-report of a negative page", withSubReports({{0, -1}}, 2)},
        {"sub-report of its own page", withSubReports({{1, 1}}, 2)},
        {"sub-reports in a circle", withSubReports({{0, 1}, {1, 2}, {2, 1}}, 3)},
        {"named value of an unknown variable", withValue(9)},
        {"object on a page not yet read", objectOnUnreadPage()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TcvReport report(nullptr);
        CaughtMessages messages;
        EXPECT_FALSE(LoadBytes(report, c.bytes));
        EXPECT_EQ(messages.lines, std::vector<std::string>{kLoadFailed});
        EXPECT_EQ(report.Pages().Count(), 1);
    }
    TcvReport report(nullptr);
    EXPECT_TRUE(LoadBytes(report, withSubReports({{0, 1}, {1, 2}, {0, 2}}, 3))) << "nested sub-reports are fine";
    EXPECT_TRUE(LoadBytes(report, withPicture(0))) << "an empty picture ends where its data starts";
}

TEST_F(TemplateTest, AFailureInTheDatasetSectionResetsTheReport) {
    OldStream s(29);
    s.Header(true);
    s.I32(2);
    s.U8(0), s.Short("Buono"), s.U8(0), s.U8(0), s.U16(0), s.I32(0);
    s.U8(0), s.Short("Tronco");
    TcvReport report(nullptr);
    CaughtMessages messages;
    EXPECT_FALSE(LoadBytes(report, s.Bytes()));
    EXPECT_EQ(messages.lines, std::vector<std::string>{kLoadFailed});
    EXPECT_EQ(report.Pages().Count(), 1) << "one empty page, not none";
    EXPECT_TRUE(report.DataSets().Empty());
}

TEST_F(TemplateTest, MissingDatasetsAreWarnedAboutAndTheLoadGoesOn) {
    OldStream s(29);
    s.Header(true);
    s.I32(2);
    s.U8(1), s.Short("Altro.ordini"), s.U8(0), s.Short(""), s.Short("Ordini"), s.U8(0), s.U8(0), s.U16(0),
        s.I32(0);
    s.U8(0), s.Short("Righe"), s.U8(0), s.U8(0), s.U16(0), s.I32(0);
    s.PagesHeader();
    s.PageRecord({});
    TcvReport report(nullptr);
    CaughtMessages messages;
    ASSERT_TRUE(LoadBytes(report, s.Bytes()));
    EXPECT_EQ(messages.lines, std::vector<std::string>{"Attenzione: Non \xE8 stato trovato il cvDataset: Altro.ordini"});
    ASSERT_EQ(report.DataSets().Count(), 1);
    EXPECT_EQ(report.DataSets()[0], "Righe");

    // Streams before version 23 name the datasets of their data bands only.
    OldStream old(22);
    old.Header();
    old.PagesHeader();
    old.PageRecord({});
    old.U8(otBand), old.U8(0);
    old.BasePart(0, 50, 700, 20, {}, "", 0, btMasterData, "Manca");
    old.U8(otBand), old.U8(0);
    old.BasePart(0, 80, 700, 20, {}, "", 0, btPageHeader, "Intestazione");
    TcvReport second(nullptr);
    CaughtMessages oldMessages;
    ASSERT_TRUE(LoadBytes(second, old.Bytes()));
    EXPECT_EQ(oldMessages.lines, std::vector<std::string>{"Attenzione: Non \xE8 stato trovato il cvDataset: Manca"});
    EXPECT_EQ(second.Pages().Pages(0).ObjectCount(), 2);
}

TEST_F(TemplateTest, LayoutsThatCannotPrintAreRepairedOnLoad) {
    struct Case {
        const char* what;
        OldStream::Page page;
        int32_t fontSize;
        std::function<void(const TcvPage&, const TcvMemoView&)> expect;
    };
    auto page = [](auto change) {
        OldStream::Page p;
        change(p);
        return p;
    };
    const Case cases[] = {
        {"scale of 0 and below", page([](auto& p) { p.scaleX = 0, p.scaleY = -5; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.ScaleX, 100); EXPECT_EQ(p.ScaleY, 100); }},
        {"custom paper without a size", page([](auto& p) { p.paper = 256, p.width = 0, p.height = -3; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.PaperSize, 9); EXPECT_EQ(p.PaperWidth, 2100); EXPECT_EQ(p.PaperHeight, 2970); }},
        {"unknown paper code", page([](auto& p) { p.paper = 70, p.width = 1000, p.height = 1200; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.PaperSize, 256); EXPECT_EQ(p.PaperWidth, 1000); }},
        {"margins that cross", page([](auto& p) { p.margins[0] = 500, p.margins[2] = 400; }), 10,
         [](auto& p, auto&) {
             EXPECT_EQ(p.Margins.left, 0); EXPECT_EQ(p.Margins.right, 0); EXPECT_EQ(p.Margins.top, 38);
             EXPECT_LT(p.LeftEdge(), p.RightEdge());
         }},
        {"orientation 7", page([](auto& p) { p.orientation = 7; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.Orientation, 0); EXPECT_EQ(p.PaperWidth, 2100); }},
        {"landscape", page([](auto& p) { p.orientation = 1; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.PaperWidth, 2970); EXPECT_EQ(p.PrinterInfo.ScreenPageWidth, 1122); }},
        {"negative margin", page([](auto& p) { p.margins[3] = -20; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.Margins.bottom, 0); }},
        {"font size 0", {}, 0, [](auto&, auto& m) { EXPECT_EQ(m.Font.Size, 10); }},
        {"font size 1001", {}, 1001, [](auto&, auto& m) { EXPECT_EQ(m.Font.Size, 10); }},
        {"font size 1000 is fine", {}, 1000, [](auto&, auto& m) { EXPECT_EQ(m.Font.Size, 1000); }},
        {"column count 100", page([](auto& p) { p.columns = 100; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.ColumnCount, 0); }},
        {"negative column count", page([](auto& p) { p.columns = -1; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.ColumnCount, 0); }},
        {"columns narrower than a pixel", page([](auto& p) { p.paper = 256, p.width = 120, p.columns = 10; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.ColumnCount, 0); EXPECT_GT(p.ColumnWidth(), 0); }},
        {"99 columns are fine", page([](auto& p) { p.columns = 99; }), 10,
         [](auto& p, auto&) { EXPECT_EQ(p.ColumnCount, 99); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OldStream s(29);
        s.Header();
        s.PagesHeader();
        s.PageRecord(c.page);
        s.U8(otMemo), s.U8(0);
        s.BasePart(0, 0, 10, 10, {}, "M");
        s.MemoPart(c.fontSize);
        TcvReport report(nullptr);
        ASSERT_TRUE(LoadBytes(report, s.Bytes()));
        c.expect(report.Pages().Pages(0), *dynamic_cast<TcvMemoView*>(report.Pages().Pages(0).Objects(0)));
    }
}

TEST_F(TemplateTest, ASaveThatWouldNotReadBackIsRefusedAndTheOldFileStays) {
    TempFolder folder("template");
    const auto file = folder / "modello.cvf";
    data::MemoryDataset loose(nullptr);  // a dataset that belongs to no form or module
    loose.SetName("sciolto");
    const struct {
        const char* what;
        std::function<void(TcvReport&)> make;
    } cases[] = {
        {"an object on page 257", [](TcvReport& r) {
             for (int i = 0; i < 256; ++i) r.Pages().Add();
             Add<TcvMemoView>(r, 256);
         }},
        {"a line of 65536 bytes", [](TcvReport& r) { Add<TcvMemoView>(r, 0).MemoLines.Add(std::string(65536, 'x')); }},
        {"65536 lines", [](TcvReport& r) {
             auto& memo = Add<TcvMemoView>(r, 0);
             for (int i = 0; i < 65536; ++i) memo.MemoLines.Add("x");
         }},
        {"a name of 256 bytes", [](TcvReport& r) { Add<TcvMemoView>(r, 0).Name = std::string(256, 'n'); }},
        {"a dataset of no module", [&loose](TcvReport& r) {
             auto* d = new TcvDBDataSet(nullptr);
             d->SetName("Sciolto");
             d->SetDataSet(&loose);
             r.AddDataset("Sciolto", d);
         }},
        {"a dataset without its database dataset", [](TcvReport& r) {
             auto* d = new TcvDBDataSet(nullptr);
             d->SetName("Vuoto");
             r.AddDataset("Vuoto", d);
         }},
        {"two datasets of one name", [](TcvReport& r) {
             r.DataSets().SetDuplicates(StringList::Duplicates::Accept);
             for (const char* name : {"Uguale", "uguale"}) {
                 auto* d = new TcvDataset(&r);  // freed with the report
                 d->SetName(name);
                 r.DataSets().AddObject(name, d);
                 d->FreeNotification(&r);  // as AddDataset does
             }
         }},
        {"a dataset listed under another name", [](TcvReport& r) {
             auto* d = new TcvDataset(nullptr);
             d->SetName("Vero");
             r.AddDataset("Alias", d);
         }},
        {"a value name of 256 bytes", [](TcvReport& r) { r.Values().SetName(r.Values().AddValue(), std::string(256, 'v')); }},
    };
    std::set<std::string> messages;  // one reason per case
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(file, "old file");
        TcvReport report(nullptr);
        c.make(report);
        try {
            report.SaveToFile(file);
            ADD_FAILURE() << "saved";
        } catch (const EngineError& e) {
            EXPECT_NE(e.Message().find("salva"), std::string::npos) << e.Message();
            messages.insert(e.Message());
        }
        EXPECT_EQ(ReadText(file), "old file");
    }
    EXPECT_EQ(messages.size(), std::size(cases) - 1) << "the too long line and the too many lines share theirs";
}
