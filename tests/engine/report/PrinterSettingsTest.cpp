#include <gtest/gtest.h>

#include <climits>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "platform/print/RecordingPrinter.h"

using namespace tessaly;
using tessaly::print::DeviceMode;
using tessaly::print::RecordingPrinter;

TEST(PaperTable, HoldsTheSixtySevenPapersInCodeOrderWithTheirNames) {
    EXPECT_EQ(PaperTableCount, 67);
    for (int i = 0; i < 66; ++i) EXPECT_EQ(PaperTableRow(i).code, i + 1);
    EXPECT_EQ(PaperTableRow(66).code, 256);

    struct Case {
        int code;
        const char* name;
        int width, height;
    } cases[] = {
        {1, "Lettera, 8 1/2 x 11\"", 2159, 2794},
        {9, "A4 210 x 297 mm", 2100, 2970},
        {20, "#10 Busta, 4 1/8  x 9 1/2\"", 1048, 2413},
        {29, "C3 Busta,  324 x 458 mm", 3240, 4580},
        {35, "B6 Busta,  176 x 125 mm", 1760, 1250},
        {48, "Lettera Extra 9 \\ 275 x 12\"", 2355, 3048},
        {49, "Legale Extra 9 \\275 x 15\"", 2355, 3810},
        {54, "Lettera Extra Trasversale 9\\275 x 12\"", 2355, 3048},
        {55, "SuperASuperAA4 227 x 356 mm", 2270, 3560},
        {66, "A3 Extra Trasversale 322 x 445 mm", 3220, 4450},
        {256, "Personalizzato", 0, 0},
    };
    for (const auto& c : cases) {
        const PaperRow& row = PaperTableRow(c.code == 256 ? 66 : c.code - 1);
        EXPECT_EQ(PaperNameOfCode(c.code), c.name) << c.code;
        EXPECT_EQ(row.width, c.width) << c.code;
        EXPECT_EQ(row.height, c.height) << c.code;
    }
}

class PrinterSettingsTest : public ::testing::Test {
protected:
    void TearDown() override { PrintingActive = false; }
    TPrinterSettings s;
};

TEST_F(PrinterSettingsTest, TableModeTakesNamedPapersFromTheTableAndSwapsForLandscape) {
    struct Case {
        int code, width, orientation, height;
        int expectWidth, expectHeight, screenW, screenH, printableW, printableH;
    } cases[] = {
        {9, 2100, 0, 2970, 2100, 2970, 793, 1122, 757, 1086},
        {9, 2100, 1, 2970, 2970, 2100, 1122, 793, 1086, 757},
        {9, 1, 1, 1, 2970, 2100, 1122, 793, 1086, 757},   // named paper: the dimensions given do not count
        {8, 0, 0, 0, 2970, 4200, 1122, 1587, 1086, 1551},
        {256, 1000, 0, 1500, 1000, 1500, 377, 566, 341, 530},
        {256, 1000, 1, 1500, 1000, 1500, 377, 566, 341, 530},  // a custom paper is never swapped
        {300, 1234, 0, 4321, 1234, 4321, 466, 1633, 430, 1597},  // unknown code: kept as given
    };
    for (const auto& c : cases) {
        TPrinterSettings fresh;
        fresh.SetPrinterInfo(c.code, c.width, c.orientation, c.height);
        PageInfo info;
        info.PrinterPageWidth = 11;
        info.PrinterOffsetY = 12;
        fresh.FillPrnInfo(info);
        SCOPED_TRACE(c.code * 10 + c.orientation);
        EXPECT_EQ(fresh.PaperWidth(), c.expectWidth);
        EXPECT_EQ(fresh.PaperHeight(), c.expectHeight);
        EXPECT_EQ(info.ScreenPageWidth, c.screenW);
        EXPECT_EQ(info.ScreenPageHeight, c.screenH);
        EXPECT_EQ(info.MarginX, 18);
        EXPECT_EQ(info.MarginY, 18);
        EXPECT_EQ(info.PrintableWidth, c.printableW);
        EXPECT_EQ(info.PrintableHeight, c.printableH);
        EXPECT_EQ(info.PrinterPageWidth, 11) << "printer items are not touched";
        EXPECT_EQ(info.PrinterOffsetY, 12);
        EXPECT_EQ(fresh.PaperCount(), 67);
        EXPECT_EQ(fresh.PaperNames().Count(), 67);
        EXPECT_EQ(fresh.PaperNames()[66], "Personalizzato");
        EXPECT_EQ(fresh.PaperCode(66), 256);
    }
}

TEST_F(PrinterSettingsTest, EqualPapersChangeNothing) {
    s.SetPrinterInfo(256, 1000, 0, 1500);
    EXPECT_TRUE(s.IsEqual(256, 1000, 0, 1500));
    EXPECT_FALSE(s.IsEqual(256, 1000, 0, 1600));
    s.SetPrinterInfo(256, 1000, 0, 1600);
    EXPECT_EQ(s.PaperHeight(), 1600);

    s.SetPrinterInfo(9, 0, 0, 0);
    EXPECT_TRUE(s.IsEqual(9, 5, 0, 7)) << "a named paper is equal whatever the dimensions";
    EXPECT_FALSE(s.IsEqual(9, 2100, 1, 2970));
    EXPECT_FALSE(s.IsEqual(10, 2100, 0, 2970));
}

TEST_F(PrinterSettingsTest, ExtremeDimensionsFromAFileDoNotOverflow) {
    s.SetPrinterInfo(256, INT_MAX, 0, INT_MIN);
    PageInfo info;
    s.FillPrnInfo(info);
    EXPECT_EQ(info.ScreenPageWidth, static_cast<int>(int64_t{INT_MAX} * 96 / 254));
    EXPECT_EQ(info.ScreenPageHeight, static_cast<int>(int64_t{INT_MIN} * 96 / 254));
    EXPECT_EQ(info.PrintableHeight, info.ScreenPageHeight - 36);
}

TEST_F(PrinterSettingsTest, FillPrintersOffersTheDefaultPrinterOnly) {
    RecordingPrinter printer;
    s.FillPrinters(&printer);
    ASSERT_EQ(s.PrinterNames().Count(), 1);
    EXPECT_EQ(s.PrinterNames()[0], "Stampante predefinita");
    EXPECT_EQ(s.PrinterIndex(), 0);
    EXPECT_EQ(s.Printer(), &printer);
}

TEST_F(PrinterSettingsTest, PrinterModeWritesThePaperIntoTheDeviceSettings) {
    struct Case {
        uint32_t startFields;
        int code, width, orientation, height;
        uint32_t fields;
        int16_t orient, paper;
        int32_t length, paperWidth;
    } cases[] = {
        // orientation and paper fields present: both written
        {3, 9, 2100, 1, 2970, 3, 2, 9, 0, 0},
        {3, 8, 0, 0, 0, 3, 1, 8, 0, 0},
        // a custom paper adds length and width
        {3, 256, 1000, 0, 1500, 15, 1, 256, 1500, 1000},
        // fields the driver did not offer stay as they were
        {0, 9, 2100, 1, 2970, 0, 1, 0, 0, 0},
        {0, 256, 1000, 1, 1500, 12, 1, 0, 1500, 1000},
    };
    for (const auto& c : cases) {
        DeviceMode defaults;
        defaults.fields = c.startFields;
        defaults.orientation = 1;
        defaults.paperSize = 0;
        RecordingPrinter printer({{"PDF", "cups", "x"}}, defaults);
        TPrinterSettings fresh;
        fresh.FillPrinters(&printer);
        PrintingActive = true;
        fresh.SetPrinterInfo(c.code, c.width, c.orientation, c.height);
        PrintingActive = false;
        const DeviceMode& m = printer.ModeOf(0);
        SCOPED_TRACE(::testing::Message() << c.startFields << "/" << c.code << "/" << c.orientation);
        EXPECT_EQ(m.fields, c.fields);
        EXPECT_EQ(m.orientation, c.orient);
        EXPECT_EQ(m.paperSize, c.paper);
        EXPECT_EQ(m.paperLength, c.length);
        EXPECT_EQ(m.paperWidth, c.paperWidth);
        EXPECT_EQ(fresh.PaperWidth(), c.width) << "printer mode keeps the dimensions given";
        EXPECT_EQ(fresh.PaperHeight(), c.height);
        EXPECT_EQ(fresh.DeviceNames().device, "PDF");
    }
}

TEST_F(PrinterSettingsTest, AnEqualPaperLeavesThePrinterAlone) {
    RecordingPrinter printer;
    s.FillPrinters(&printer);
    s.SetPrinterInfo(9, 2100, 0, 2970);  // table mode, as after loading a report
    PrintingActive = true;
    s.SetPrinterInfo(9, 2100, 0, 2970);
    EXPECT_TRUE(printer.Log().empty());
    s.SetPrinterInfo(9, 2100, 1, 2970);
    ASSERT_EQ(printer.Log().size(), 1u);
    EXPECT_EQ(printer.Log()[0], "SetPrinter PDF 3 2 9 0 0");
}

TEST_F(PrinterSettingsTest, ChoosingAPrinterWhilePrintingStartsFromItsDefaults) {
    RecordingPrinter printer({{"PDF", "cups", "a"}, {"Ufficio", "cups", "b"}});
    DeviceMode landscape = RecordingPrinter::DefaultMode();
    landscape.orientation = 2;
    printer.SetPrinter({"Ufficio", "cups", "b"}, &landscape);
    printer.ClearLog();
    s.FillPrinters(&printer);

    s.SetPrinterIndex(1);  // outside printing: only the table
    EXPECT_TRUE(printer.Log().empty());
    EXPECT_EQ(s.PrinterIndex(), 1);

    PrintingActive = true;
    s.SetPrinterIndex(1);
    EXPECT_EQ(printer.Log(), (std::vector<std::string>{"SetPrinterIndex 1", "SetPrinter Ufficio default"}));
    EXPECT_EQ(printer.ModeOf(1), RecordingPrinter::DefaultMode());
}

TEST_F(PrinterSettingsTest, WithoutAPrinterPrinterModeDoesNothing) {
    PrintingActive = true;
    s.SetPrinterInfo(256, 1000, 0, 1500);
    s.SetPrinterIndex(0);
    EXPECT_EQ(s.PaperWidth(), 1000);
    RecordingPrinter none(std::vector<print::DeviceNames>{});
    s.FillPrinters(&none);
    s.SetPrinterIndex(3);
    EXPECT_TRUE(none.Log().empty());
}
