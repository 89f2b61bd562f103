#include <gtest/gtest.h>

#include "platform/print/RecordingPrinter.h"

using namespace tessaly::print;

namespace {
std::vector<DeviceNames> TwoPrinters() {
    return {{"PDF", "cups", "cups-pdf:/"}, {"Ufficio", "cups", "ipp://ufficio"}};
}
}  // namespace

TEST(RecordingPrinter, JobsKeepTitleSheetsAndTheSettingsTheyStartedWith) {
    RecordingPrinter p(TwoPrinters());
    DeviceMode landscape = RecordingPrinter::DefaultMode();
    landscape.orientation = DMORIENT_LANDSCAPE;
    p.SetPrinter(TwoPrinters()[1], &landscape);
    EXPECT_EQ(p.PrinterIndex(), 1);

    p.BeginDoc("Corvane- Vendite");
    p.Canvas()->drawLine(0, 0, 10, 10);
    p.NewPage();
    p.EndDoc();
    p.BeginDoc("Corvane- Nessun nome");
    p.Abort();

    ASSERT_EQ(p.Jobs().size(), 2u);
    const auto& first = p.Jobs()[0];
    EXPECT_EQ(first.title, "Corvane- Vendite");
    EXPECT_EQ(first.names.device, "Ufficio");
    EXPECT_EQ(first.mode.orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(first.sheets.size(), 2u);
    EXPECT_GT(first.sheets[0]->size(), first.sheets[1]->size()) << "the line is on the first sheet";
    EXPECT_TRUE(first.ended);
    EXPECT_FALSE(first.aborted);
    EXPECT_TRUE(p.Jobs()[1].aborted);
    EXPECT_FALSE(p.Jobs()[1].ended);
    EXPECT_EQ(p.Log(), (std::vector<std::string>{"SetPrinter Ufficio 3 2 9 0 0", "BeginDoc Corvane- Vendite",
                                                  "NewPage", "EndDoc", "BeginDoc Corvane- Nessun nome",
                                                  "Abort"}));
}

TEST(RecordingPrinter, CallsInTheWrongStateRaise) {
    RecordingPrinter p;
    EXPECT_THROW(p.NewPage(), EPrinter);
    EXPECT_THROW(p.EndDoc(), EPrinter);
    EXPECT_THROW(p.Abort(), EPrinter);
    EXPECT_THROW(p.Canvas(), EPrinter);
    p.BeginDoc("a");
    EXPECT_THROW(p.BeginDoc("b"), EPrinter);
    EXPECT_THROW(p.SetPrinterIndex(1), EPrinter);
    EXPECT_THROW(p.SetPrinter({"Nessuna", "", ""}, nullptr), EPrinter);
}

TEST(RecordingPrinter, SettingsWithoutABlockReturnToTheDeviceDefaults) {
    RecordingPrinter p(TwoPrinters());
    DeviceNames names;
    DeviceMode mode;
    p.GetPrinter(names, mode);
    mode.fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    mode.paperSize = 256;
    mode.paperLength = 1500;
    mode.paperWidth = 1000;
    p.SetPrinter(names, &mode);
    EXPECT_EQ(p.ModeOf(0), mode);
    p.SetPrinter(names, nullptr);
    EXPECT_EQ(p.ModeOf(0), RecordingPrinter::DefaultMode());
    EXPECT_EQ(p.Log().back(), "SetPrinter PDF default");
}

TEST(RecordingPrinter, FailsOnTheChosenCall) {
    RecordingPrinter p;
    p.FailAfter(2);
    p.BeginDoc("x");
    EXPECT_THROW(p.NewPage(), EPrinter);
    EXPECT_TRUE(p.Printing());
    p.Abort();
    EXPECT_FALSE(p.Printing());
}

TEST(RecordingPrinter, NoPrintersMeansNoCurrentPrinter) {
    RecordingPrinter p(std::vector<DeviceNames>{});
    EXPECT_EQ(p.PrinterIndex(), -1);
    DeviceNames names;
    DeviceMode mode;
    EXPECT_THROW(p.GetPrinter(names, mode), EPrinter);
    EXPECT_THROW(p.BeginDoc("x"), EPrinter);
}
