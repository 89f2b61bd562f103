#include "engine/report/CV_Prntr.h"

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"

namespace tessaly {

namespace {

// Names by paper code; every backslash is a literal one, \" is the inch mark.
const AnsiString kPaperNames[PaperTableCount] = {
    "Personalizzato",
    "Lettera, 8 1/2 x 11\"",
    "Lettera piccola, 8 1/2 x 11\"",
    "Compresso, 11 x 17\"",
    "Libro mastro, 17 x 11\"",
    "Legale, 8 1/2 x 14\"",
    "Dichiarazione, 5 1/2 x 8 1/2\"",
    "Esecutivo, 7 1/4 x 10 1/2\"",
    "A3 297 x 420 mm",
    "A4 210 x 297 mm",
    "A4 foglio piccolo, 210 x 297 mm",
    "A5 148 x 210 mm",
    "B4 250 x 354 mm",
    "B5 182 x 257 mm",
    "Foglio, 8 1/2 x 13\"",
    "Foglio quarto, 215 x 275 mm",
    "Foglio 10 x 14\"",
    "Foglio 11 x 17\"",
    "Note, 8 1/2 x 11\"",
    "9 Busta, 3 7/8 x 8 7/8\"",
    "#10 Busta, 4 1/8  x 9 1/2\"",
    "#11 Busta, 4 1/2 x 10 3/8\"",
    "#12 Busta, 4 3/4 x 11\"",
    "#14 Busta, 5 x 11 1/2\"",
    "C Foglio, 17 x 22\"",
    "D Foglio, 22 x 34\"",
    "E Foglio, 34 x 44\"",
    "DL Busta, 110 x 220 mm",
    "C5 Busta, 162 x 229 mm",
    "C3 Busta,  324 x 458 mm",
    "C4 Busta,  229 x 324 mm",
    "C6 Busta,  114 x 162 mm",
    "C65 Busta, 114 x 229 mm",
    "B4 Busta,  250 x 353 mm",
    "B5 Busta,  176 x 250 mm",
    "B6 Busta,  176 x 125 mm",
    "Busta italiana, 110 x 230 mm",
    "Busta re, 3 7/8 x 7 1/2\"",
    "6 3/4 Busta, 3 5/8 x 6 1/2\"",
    "Standard Fanfold americano, 14 7/8 x 11\"",
    "Standard Fanfold tedesco, 8 1/2 x 12\"",
    "Legale Fanfold tedesco, 8 1/2 x 13\"",
    "B4 (ISO) 250 x 353 mm",
    "Cartolina giapponese 100 x 148 mm",
    "Foglio 9 x 11\"",
    "Foglio 10 x 11\"",
    "Foglio 15 x 11\"",
    "Busta Invito 220 x 220 mm",
    "Lettera Extra 9 \\ 275 x 12\"",
    "Legale Extra 9 \\275 x 15\"",
    "Compresso Extra 11.69 x 18\"",
    "A4 Extra 9.27 x 12.69\"",
    "Lettera Trasversale 8 \\275 x 11\"",
    "A4 Transversale 210 x 297 mm",
    "Lettera Extra Trasversale 9\\275 x 12\"",
    "SuperASuperAA4 227 x 356 mm",
    "SuperBSuperBA3 305 x 487 mm",
    "Lettera Plus 8.5 x 12.69\"",
    "A4 Plus 210 x 330 mm",
    "A5 Trasversale 148 x 210 mm",
    "B5 (JIS) Trasversale 182 x 257 mm",
    "A3 Extra 322 x 445 mm",
    "A5 Extra 174 x 235 mm",
    "B5 (ISO) Extra 201 x 276 mm",
    "A2 420 x 594 mm",
    "A3 Trasversale 297 x 420 mm",
    "A3 Extra Trasversale 322 x 445 mm",
};

const PaperRow kPaperTable[PaperTableCount] = {
    {1, 2159, 2794},  {2, 2159, 2794},  {3, 2794, 4318},  {4, 4318, 2794},  {5, 2159, 3556},
    {6, 1397, 2159},  {7, 1842, 2667},  {8, 2970, 4200},  {9, 2100, 2970},  {10, 2100, 2970},
    {11, 1480, 2100}, {12, 2500, 3540}, {13, 1820, 2570}, {14, 2159, 3302}, {15, 2150, 2750},
    {16, 2540, 3556}, {17, 2794, 4318}, {18, 2159, 2794}, {19, 984, 2254},  {20, 1048, 2413},
    {21, 1143, 2635}, {22, 1207, 2794}, {23, 1270, 2921}, {24, 4318, 5588}, {25, 5588, 8636},
    {26, 8636, 11176}, {27, 1100, 2200}, {28, 1620, 2290}, {29, 3240, 4580}, {30, 2290, 3240},
    {31, 1140, 1620}, {32, 1140, 2290}, {33, 2500, 3530}, {34, 1760, 2500}, {35, 1760, 1250},
    {36, 1100, 2300}, {37, 984, 1905},  {38, 920, 1651},  {39, 3778, 2794}, {40, 2159, 3048},
    {41, 2159, 3302}, {42, 2500, 3530}, {43, 1000, 1480}, {44, 2286, 2794}, {45, 2540, 2794},
    {46, 3810, 2794}, {47, 2200, 2200}, {48, 2355, 3048}, {49, 2355, 3810}, {50, 2969, 4572},
    {51, 2354, 3223}, {52, 2101, 2794}, {53, 2100, 2970}, {54, 2355, 3048}, {55, 2270, 3560},
    {56, 3050, 4870}, {57, 2159, 3223}, {58, 2100, 3300}, {59, 1480, 2100}, {60, 1820, 2570},
    {61, 3220, 4450}, {62, 1740, 2350}, {63, 2010, 2760}, {64, 4200, 5940}, {65, 2970, 4200},
    {66, 3220, 4450}, {PaperCustom, 0, 0},
};

// Tenths of a millimetre to pixels at 96 per inch, truncating. A width read from a file may be
// any 32-bit value, so the product is taken in 64 bits; the result always fits.
int TenthsMmToScreen(int tenths) { return static_cast<int>(int64_t{tenths} * 96 / 254); }

}  // namespace

const PaperRow& PaperTableRow(int i) { return kPaperTable[i]; }

const AnsiString& PaperNameOfCode(int code) {
    return kPaperNames[code == PaperCustom ? 0 : code];
}

PageTemplate PaperTemplate(int code, int orientation, int width, int height) {
    TPrinterSettings settings;
    settings.SetPrinterInfo(code, width, orientation, height);
    PageTemplate t;
    t.PaperSize = code;
    t.Width = settings.PaperWidth();
    t.Height = settings.PaperHeight();
    t.Orientation = orientation;
    settings.FillPrnInfo(t.Info);
    return t;
}

TPrinterSettings::TPrinterSettings() = default;

bool TPrinterSettings::DevModeHas(uint32_t flags) const { return devMode_ && devMode_->Has(flags); }

void TPrinterSettings::DevModeSet(uint32_t flags) {
    if (devMode_) devMode_->fields |= flags;
}

bool TPrinterSettings::IsEqual(int code, int width, int orientation, int height) const {
    if (code != paperSize_ || orientation != orientation_) return false;
    return code != PaperCustom || (width == paperWidth_ && height == paperHeight_);
}

void TPrinterSettings::SetPrinterInfo(int code, int width, int orientation, int height) {
    if (IsEqual(code, width, orientation, height)) return;
    paperSize_ = code;
    paperWidth_ = width;
    orientation_ = static_cast<uint8_t>(orientation);
    paperHeight_ = height;
    ApplySettings();
}

void TPrinterSettings::ApplySettings() {
    if (PrintingActive)
        ApplyToPrinter();
    else
        ApplyToTable();
}

void TPrinterSettings::ApplyToTable() {
    paperNames_.Clear();
    for (int i = 0; i < PaperTableCount; ++i) {
        const PaperRow& row = kPaperTable[i];
        paperNames_.Add(PaperNameOfCode(row.code));
        paperCodes_[i] = static_cast<int16_t>(row.code);
        if (paperSize_ != PaperCustom && paperSize_ == row.code) {
            bool landscape = orientation_ == 1;
            paperWidth_ = landscape ? row.height : row.width;
            paperHeight_ = landscape ? row.width : row.height;
        }
    }
    paperCount_ = PaperTableCount;
}

void TPrinterSettings::ApplyToPrinter() {
    if (!printer_) return;
    print::DeviceMode mode;
    printer_->GetPrinter(names_, mode);
    devMode_ = &mode;
    if (paperSize_ == PaperCustom) {
        DevModeSet(print::DM_PAPERLENGTH);
        mode.paperLength = paperHeight_;
        DevModeSet(print::DM_PAPERWIDTH);
        mode.paperWidth = paperWidth_;
    }
    if (DevModeHas(print::DM_PAPERSIZE)) mode.paperSize = static_cast<int16_t>(paperSize_);
    if (DevModeHas(print::DM_ORIENTATION))
        mode.orientation = orientation_ == 0 ? print::DMORIENT_PORTRAIT : print::DMORIENT_LANDSCAPE;
    devMode_ = nullptr;
    printer_->SetPrinter(names_, &mode);
}

void TPrinterSettings::FillPrnInfo(PageInfo& info) const {
    info.ScreenPageWidth = TenthsMmToScreen(paperWidth_);
    info.ScreenPageHeight = TenthsMmToScreen(paperHeight_);
    info.MarginX = 18;
    info.MarginY = 18;
    info.PrintableWidth = info.ScreenPageWidth - 36;
    info.PrintableHeight = info.ScreenPageHeight - 36;
}

void TPrinterSettings::SetPrinterIndex(int index) {
    printerIndex_ = index;
    if (!PrintingActive) {
        ApplySettings();
        return;
    }
    if (!printer_ || printer_->Printers().empty()) return;
    printer_->SetPrinterIndex(index);
    print::DeviceMode ignored;
    printer_->GetPrinter(names_, ignored);
    printer_->SetPrinter(names_, nullptr);
}

void TPrinterSettings::FillPrinters(print::Printer* printer) {
    printer_ = printer;
    printerIndex_ = 0;
    printerNames_.Clear();
    printerNames_.Add("Stampante predefinita");
}

void InitPrinterUnit(print::Printer* printer) {
    PrinterSettings = new TPrinterSettings();
    PrinterSettings->FillPrinters(printer);
}

void DonePrinterUnit() {
    delete PrinterSettings;
    PrinterSettings = nullptr;
}

}  // namespace tessaly
