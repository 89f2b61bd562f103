#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <QGuiApplication>
#include <QPainter>
#include <QRectF>

#include "common/PdfPages.h"
#include "common/TestFiles.h"
#include "platform/print/PageSetup.h"
#include "platform/print/PdfFilePrinter.h"
#include "platform/print/SpoolerPrinter.h"

using namespace tessaly::print;
using tessaly::testing::MediaBoxes;
using tessaly::testing::ReadText;
using tessaly::testing::TempFolder;

namespace {

// A few papers by code, portrait, in tenths of a millimetre.
bool Papers(int code, int& width, int& height) {
    switch (code) {
        case 1: width = 2159, height = 2794; return true;
        case 8: width = 2970, height = 4200; return true;
        case 9: width = 2100, height = 2970; return true;
        case 27: width = 1100, height = 2200; return true;
        default: return false;
    }
}

DeviceMode Named(int code, int16_t orientation = DMORIENT_PORTRAIT) {
    DeviceMode m;
    m.fields = DM_ORIENTATION | DM_PAPERSIZE;
    m.paperSize = static_cast<int16_t>(code);
    m.orientation = orientation;
    return m;
}

DeviceMode Custom(int width, int length, int16_t orientation = DMORIENT_PORTRAIT) {
    DeviceMode m = Named(256, orientation);
    m.fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    m.paperWidth = width;
    m.paperLength = length;
    return m;
}

QSizeF SheetMm(const QPageLayout& l) { return l.fullRect(QPageLayout::Millimeter).size(); }

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_platform_print";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// Text as the PDF's information dictionary holds it: UTF-16 big-endian.
std::string Utf16Be(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) bytes += {char(c >> 8), char(c & 0xFF)};
    return bytes;
}

}  // namespace

TEST(PageSetup, ReadsTheSheetADeviceModeAsksFor) {
    struct Case {
        const char* name;
        DeviceMode mode;
        double width, height;  // millimetres, as the sheet lies
        QPageLayout::Orientation orientation;
    } cases[] = {
        {"A4 portrait", Named(9), 210, 297, QPageLayout::Portrait},
        {"A4 landscape", Named(9, DMORIENT_LANDSCAPE), 297, 210, QPageLayout::Landscape},
        {"Letter", Named(1), 215.9, 279.4, QPageLayout::Portrait},
        {"DL envelope landscape", Named(27, DMORIENT_LANDSCAPE), 220, 110, QPageLayout::Landscape},
        {"custom", Custom(1200, 1800), 120, 180, QPageLayout::Portrait},
        // A custom sheet keeps its own shape, whatever the orientation says.
        {"custom, landscape asked", Custom(1200, 1800, DMORIENT_LANDSCAPE), 120, 180, QPageLayout::Portrait},
        {"custom, wider than long", Custom(2970, 2100), 297, 210, QPageLayout::Landscape},
        // Length and width left from a custom paper do not change a named one.
        {"named after custom", [] { DeviceMode m = Custom(1000, 1000); m.paperSize = 8; return m; }(), 297, 420,
         QPageLayout::Portrait},
    };
    for (const auto& c : cases) {
        QPageLayout l = LayoutForMode(c.mode, Papers);
        QSizeF mm = SheetMm(l);
        EXPECT_NEAR(mm.width(), c.width, 0.2) << c.name;
        EXPECT_NEAR(mm.height(), c.height, 0.2) << c.name;
        EXPECT_EQ(l.orientation(), c.orientation) << c.name;
    }
}

TEST(PageSetup, RefusesSheetsItCannotPrint) {
    DeviceMode noSize = Named(256);
    DeviceMode cases[] = {Named(77), Named(0), noSize, Custom(0, 1000), Custom(1000, -5), Custom(50801, 1000),
                          Custom(1000, 2000000000)};
    for (const auto& m : cases) EXPECT_THROW(LayoutForMode(m, Papers), EPrinter) << m.paperSize << " " << m.paperWidth;
    EXPECT_THROW(LayoutForMode(Named(9), nullptr), EPrinter) << "no table";
}

TEST(PageSetup, NamesAPageSizeByItsCodeWhenTheTableHasIt) {
    DeviceMode a4 = ModeForPageSize(QPageSize(QPageSize::A4), QPageLayout::Portrait, Papers);
    EXPECT_EQ(a4.paperSize, 9);
    EXPECT_FALSE(a4.Has(DM_PAPERWIDTH));
    EXPECT_EQ(ModeForPageSize(QPageSize(QPageSize::Letter), QPageLayout::Landscape, Papers).orientation,
              DMORIENT_LANDSCAPE);
    EXPECT_EQ(ModeForPageSize(QPageSize(QPageSize::Letter), QPageLayout::Portrait, Papers).paperSize, 1);
    DeviceMode odd = ModeForPageSize(QPageSize(QSizeF(120, 180), QPageSize::Millimeter), QPageLayout::Portrait, Papers);
    EXPECT_EQ(odd.paperSize, 256);
    EXPECT_EQ(odd.paperWidth, 1200);
    EXPECT_EQ(odd.paperLength, 1800);
}

TEST(PageSetup, ReportsTheSheetAndItsPrintableAreaInDevicePixels) {
    QPageLayout l = LayoutForMode(Named(9), Papers, QMarginsF(6.35, 4.23, 6.35, 4.23));
    DeviceCaps caps = CapsFor(l, 600);
    EXPECT_NEAR(caps.physicalWidth, 4961, 3);
    EXPECT_NEAR(caps.physicalHeight, 7016, 3);
    EXPECT_NEAR(caps.physicalOffsetX, 150, 1);
    EXPECT_NEAR(caps.physicalOffsetY, 100, 1);
    EXPECT_EQ(caps.pixelsPerInchX, 600);
    EXPECT_EQ(caps.pixelsPerInchY, 600);
}

TEST(PdfFilePrinter, PutsEveryJobIntoOneFileEachOnItsOwnPaper) {
    EnsureGuiApplication();
    TempFolder dir("printers");
    PdfFilePrinter p(dir / "out.pdf", Papers);
    ASSERT_EQ(p.Printers(), std::vector<std::string>{"PDF"});
    DeviceNames names;
    DeviceMode mode;
    p.GetPrinter(names, mode);
    EXPECT_EQ(mode, PdfFilePrinter::DefaultMode());

    p.BeginDoc("Corvane- Vendite \x80");
    p.Canvas()->drawText(100, 100, "prima");
    p.NewPage();
    p.EndDoc();
    DeviceMode landscape = Named(9, DMORIENT_LANDSCAPE);
    p.SetPrinter(names, &landscape);
    EXPECT_GT(p.Capabilities().physicalWidth, p.Capabilities().physicalHeight);
    p.BeginDoc("Corvane- Vendite \x80");
    p.EndDoc();
    DeviceMode custom = Custom(1200, 1800);
    p.SetPrinter(names, &custom);
    p.BeginDoc("Corvane- Vendite \x80");
    p.EndDoc();
    EXPECT_FALSE(std::filesystem::exists(dir / "out.pdf")) << "only Finish puts the file in place";
    ASSERT_TRUE(p.Finish());

    const std::string pdf = ReadText(dir / "out.pdf");
    EXPECT_EQ(MediaBoxes(pdf), (std::vector<std::pair<int, int>>{{595, 842}, {595, 842}, {842, 595}, {340, 510}}));
    EXPECT_NE(pdf.find(Utf16Be(u"Corvane- Vendite \u20ac")), std::string::npos) << "titled by the first job";
    EXPECT_EQ(p.Sheets(), 4);
}

TEST(PdfFilePrinter, AnAbortedJobOrAMissingFinishLeavesNoFileAndTheOldOneAlone) {
    EnsureGuiApplication();
    TempFolder dir("printers");
    std::ofstream(dir / "old.pdf") << "vecchio";
    {
        PdfFilePrinter p(dir / "old.pdf", Papers);
        p.BeginDoc("a");
        p.EndDoc();
        p.BeginDoc("b");
        p.Abort();
        EXPECT_FALSE(p.Finish());
    }
    EXPECT_EQ(ReadText(dir / "old.pdf"), "vecchio");
    {
        PdfFilePrinter p(dir / "old.pdf", Papers);
        p.BeginDoc("a");
        p.EndDoc();
    }
    EXPECT_EQ(ReadText(dir / "old.pdf"), "vecchio");
    PdfFilePrinter nothing(dir / "none.pdf", Papers);
    EXPECT_FALSE(nothing.Finish()) << "no job, no file";
    EXPECT_FALSE(std::filesystem::exists(dir / "none.pdf"));

    PdfFilePrinter p(dir / "x.pdf", Papers);
    EXPECT_THROW(p.NewPage(), EPrinter);
    EXPECT_THROW(p.Canvas(), EPrinter);
    EXPECT_THROW(p.SetPrinter({"Altra", "", ""}, nullptr), EPrinter);
    DeviceMode bad = Custom(0, 0);
    EXPECT_THROW(p.SetPrinter({"PDF", "", ""}, &bad), EPrinter);
    PdfFilePrinter unwritable(dir.Path() / "missing" / "x.pdf", Papers);
    EXPECT_THROW(unwritable.BeginDoc("a"), EPrinter);
}

TEST(SpoolerPrinter, WithoutASpoolerThereIsNoPrinterToPrintOn) {
    EnsureGuiApplication();
    setenv("CUPS_SERVER", "/nonexistent/tessaly-cups.sock", 1);
    SpoolerPrinter p(Papers);
    EXPECT_TRUE(p.Printers().empty());
    EXPECT_EQ(p.PrinterIndex(), -1);
    DeviceNames names;
    DeviceMode mode;
    // What the user reads is Italian, the same words as the command line's.
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {"printer", [&] { p.GetPrinter(names, mode); }, "Nessuna stampante disponibile."},
        {"job", [&] { p.BeginDoc("Corvane- Nessun nome"); }, "Nessuna stampante disponibile."},
        {"choice", [&] { p.SetPrinterIndex(0); }, "Stampante selezionata non valida."},
        {"by name", [&] { p.SetPrinter({"PDF", "", ""}, nullptr); }, "Stampante selezionata non valida."},
        {"sheet", [&] { p.NewPage(); }, "Nessuna stampa in corso."},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.what;
        } catch (const EPrinter& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
    }
    EXPECT_FALSE(p.Printing());
}
