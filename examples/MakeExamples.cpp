// Writes the sample prepared reports of examples/: make_examples [FOLDER]
// Each page is opened with AddPage and drawn on its recording canvas, as preparation does.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Picture.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Prntr.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Errors.h"
#include "platform/graphics/JpegImage.h"

namespace fs = std::filesystem;
using namespace tessaly;
using emf::RecordingCanvas;
using emf::RectL;

namespace {

constexpr emf::ColorRef kBlack = 0x000000, kGrey = 0xC0C0C0, kLightGrey = 0xEEEEEE, kBlue = 0x8B4513;

void SetFont(RecordingCanvas& c, const char* name, int points, uint8_t style = 0, emf::ColorRef color = kBlack) {
    c.Font().name = name;
    c.Font().SetSize(points);
    c.Font().style = style;
    c.Font().color = color;
}

void SetPen(RecordingCanvas& c, emf::ColorRef color, int width = 1) {
    c.Pen().color = color;
    c.Pen().width = width;
    c.Pen().style = emf::PenStyle::Solid;
}

// Fills with a colour, then leaves the brush clear: text is written on the brush, so a solid brush
// would paint behind every later text.
void Fill(RecordingCanvas& c, const RectL& r, emf::ColorRef color) {
    c.Brush().color = color;
    c.Brush().style = emf::BrushStyle::Solid;
    c.FillRect(r);
    c.Brush().style = emf::BrushStyle::Clear;
}

// A new page's surface, its brush clear for text.
RecordingCanvas& Surface(PreparedPage& page) {
    page.Surface->Brush().style = emf::BrushStyle::Clear;
    return *page.Surface;
}

void Line(RecordingCanvas& c, int x1, int y1, int x2, int y2) {
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

void TextRight(RecordingCanvas& c, int right, int y, const AnsiString& text) {
    c.TextOut(right - c.TextWidth(text), y, text);
}

void TextCentred(RecordingCanvas& c, int centre, int y, const AnsiString& text) {
    c.TextOut(centre - c.TextWidth(text) / 2, y, text);
}

// Euros with a decimal comma and thousands points, as an Italian listing shows them.
AnsiString Euro(long cents) {
    std::string units = std::to_string(cents / 100), grouped;
    for (size_t i = 0; i < units.size(); ++i) {
        if (i > 0 && (units.size() - i) % 3 == 0) grouped += '.';
        grouped += units[i];
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, ",%02ld", cents % 100);
    return "\x80 " + grouped + tail;
}

// A small deterministic sequence, so that the samples are the same on every run.
class Sequence {
public:
    unsigned Next(unsigned range) {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % range;
    }

private:
    unsigned state_ = 2026;
};

void MakeListing(const fs::path& file) {
    const char* items[] = {"Vite a testa piana", "Bullone zincato", "Rondella piana", "Dado autobloccante",
                           "Tassello in nylon", "Staffa angolare", "Cerniera a scomparsa", "Maniglia in ottone",
                           "Lucchetto a combinazione", "Chiodo da carpenteria", "Guarnizione in gomma",
                           "Catena zincata al metro", "Molla di trazione", "Perno filettato", "Gancio a S"};
    const char* sizes[] = {"M4", "M5", "M6", "M8", "M10", "M12", "6 mm", "8 mm", "10 mm", "40 mm"};
    TcvReport report(nullptr);
    Sequence seq;
    const int pages = 20, rows = 40;
    int code = 1000;
    for (int n = 1; n <= pages; ++n) {
        PreparedPage& page = report.EMFPages().AddPage(PaperTemplate(9, 0));
        RecordingCanvas& c = Surface(page);
        SetFont(c, "Arial", 16, emf::fsBold, kBlue);
        c.TextOut(38, 34, "Listino articoli");
        SetFont(c, "Arial", 9);
        c.TextOut(38, 64, "Ferramenta Tessaly - prezzi IVA esclusa");
        TextRight(c, 755, 64, "Pagina " + std::to_string(n) + " di " + std::to_string(pages));

        Fill(c, {38, 92, 756, 116}, kLightGrey);
        SetFont(c, "Arial", 10, emf::fsBold);
        c.TextOut(44, 96, "Codice");
        c.TextOut(120, 96, "Descrizione");
        TextRight(c, 560, 96, "Quantit\xE0");
        TextRight(c, 650, 96, "Prezzo");
        TextRight(c, 750, 96, "Totale");

        SetFont(c, "Arial", 10);
        SetPen(c, kGrey);
        long pageTotal = 0;
        for (int r = 0; r < rows; ++r) {
            int y = 122 + r * 22;
            unsigned quantity = 1 + seq.Next(250);
            long price = 5 + long(seq.Next(4000));
            long total = long(quantity) * price;
            pageTotal += total;
            c.TextOut(44, y, "A" + std::to_string(++code));
            c.TextOut(120, y, std::string(items[seq.Next(15)]) + " " + sizes[seq.Next(10)]);
            TextRight(c, 560, y, std::to_string(quantity));
            TextRight(c, 650, y, Euro(price));
            TextRight(c, 750, y, Euro(total));
            Line(c, 38, y + 19, 756, y + 19);
        }
        SetPen(c, kBlack, 2);
        Line(c, 38, 1010, 756, 1010);
        SetFont(c, "Arial", 10, emf::fsBold);
        c.TextOut(44, 1018, "Totale della pagina");
        TextRight(c, 750, 1018, Euro(pageTotal));
        SetFont(c, "Times New Roman", 9, emf::fsItalic);
        TextCentred(c, 397, 1070, "Esempio generato da make_examples");
        page.CloseSurface();
    }
    report.SavePreparedReport(file);
}

void MakeLandscape(const fs::path& file) {
    const char* people[] = {"Rossi Anna", "Bianchi Luca", "Esposito Marco", "Romano Giulia", "Colombo Paolo",
                            "Ricci Sara", "Marino Davide", "Greco Elena", "Bruno Franco", "Gallo Chiara"};
    const char* days[] = {"Luned\xEC", "Marted\xEC", "Mercoled\xEC", "Gioved\xEC", "Venerd\xEC", "Sabato", "Domenica"};
    struct Shift {
        const char* name;
        emf::ColorRef fill;
    } shifts[] = {{"Mattina", 0xCCF2FF}, {"Pomeriggio", 0xCCFFCC}, {"Notte", 0xFFD9CC}, {"Riposo", 0xF0F0F0}};
    TcvReport report(nullptr);
    PreparedPage& page = report.EMFPages().AddPage(PaperTemplate(9, 1));
    RecordingCanvas& c = Surface(page);
    SetFont(c, "Arial", 18, emf::fsBold, kBlue);
    c.TextOut(40, 30, "Turni del reparto - settimana 50");
    SetFont(c, "Arial", 9);
    c.TextOut(40, 64, "Dal 7 al 13 dicembre 2026");

    const int left = 40, top = 100, nameWidth = 180, cellWidth = 122, cellHeight = 56;
    Fill(c, {left, top, left + nameWidth + 7 * cellWidth, top + 30}, kLightGrey);
    SetFont(c, "Arial", 10, emf::fsBold);
    c.TextOut(left + 8, top + 8, "Dipendente");
    for (int d = 0; d < 7; ++d) TextCentred(c, left + nameWidth + d * cellWidth + cellWidth / 2, top + 8, days[d]);
    Sequence seq;
    for (int p = 0; p < 10; ++p) {
        int y = top + 30 + p * cellHeight;
        SetFont(c, "Arial", 10);
        c.TextOut(left + 8, y + 20, people[p]);
        for (int d = 0; d < 7; ++d) {
            const Shift& s = shifts[(d >= 5 && seq.Next(3) != 0) ? 3 : seq.Next(4)];
            int x = left + nameWidth + d * cellWidth;
            Fill(c, {x + 3, y + 3, x + cellWidth - 2, y + cellHeight - 2}, s.fill);
            SetFont(c, "Arial", 9);
            TextCentred(c, x + cellWidth / 2, y + 20, s.name);
        }
    }
    SetPen(c, kBlack);
    int bottom = top + 30 + 10 * cellHeight;
    c.Rectangle(left, top, left + nameWidth + 7 * cellWidth + 1, bottom + 1);
    for (int d = 0; d <= 7; ++d) Line(c, left + nameWidth + d * cellWidth, top, left + nameWidth + d * cellWidth, bottom);
    for (int p = 0; p <= 10; ++p) Line(c, left, top + 30 + p * cellHeight, left + nameWidth + 7 * cellWidth, top + 30 + p * cellHeight);
    page.CloseSurface();
    report.SavePreparedReport(file);
}

void MakeMixed(const fs::path& file) {
    struct Sheet {
        int code, orientation, width, height;
        int scale;
    } sheets[] = {
        {9, 0, 0, 0, 100},    // A4
        {11, 0, 0, 0, 100},   // A5
        {1, 0, 0, 0, 100},    // Letter
        {8, 1, 0, 0, 100},    // A3 landscape
        {27, 1, 0, 0, 100},   // DL envelope, landscape
        {256, 0, 1200, 1800, 100},  // a custom card of 120 x 180 mm
        {9, 0, 0, 0, 50},     // A4 at half size: a custom page of 105 x 148.5 mm
    };
    TcvReport report(nullptr);
    int n = 0;
    for (const Sheet& s : sheets) {
        PageTemplate t = PaperTemplate(s.code, s.orientation, s.width, s.height);
        t.ScaleX = t.ScaleY = s.scale;
        PreparedPage& page = report.EMFPages().AddPage(t);
        RecordingCanvas& c = Surface(page);
        const int w = t.Info.ScreenPageWidth, h = t.Info.ScreenPageHeight;
        SetPen(c, kBlue, 3);
        c.Rectangle(18, 18, w - 18, h - 18);
        SetPen(c, kGrey);
        Line(c, 18, 18, w - 18, h - 18);
        Line(c, w - 18, 18, 18, h - 18);
        SetFont(c, "Arial", w > 600 ? 20 : 12, emf::fsBold, kBlue);
        AnsiString name = s.code == PaperCustom ? AnsiString("Formato personalizzato") : PaperNameOfCode(s.code);
        TextCentred(c, w / 2, h / 2 - 40, name);
        SetFont(c, "Arial", w > 600 ? 12 : 9);
        char size[64];
        std::snprintf(size, sizeof size, "%d x %d mm%s", t.Width / 10, t.Height / 10,
                      s.orientation ? ", orizzontale" : "");
        TextCentred(c, w / 2, h / 2, size);
        if (s.scale != 100) TextCentred(c, w / 2, h / 2 + 24, "scala " + std::to_string(s.scale) + "%");
        TextCentred(c, w / 2, h - 50, "Pagina " + std::to_string(++n) + " di 7");
        page.CloseSurface();
    }
    report.SavePreparedReport(file);
}

// A landscape drawn with Qt, to be placed on the page as device-independent bits.
QImage Landscape() {
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(250, 210, 150));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(350, 110, 45);
    sun.setColorAt(0, QColor(255, 250, 200));
    sun.setColorAt(1, QColor(255, 170, 60));
    p.setBrush(sun);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(350, 110), 40, 40);
    QPainterPath far, near;
    far.moveTo(0, 200);
    far.cubicTo(120, 130, 220, 210, 480, 150);
    far.lineTo(480, 300);
    far.lineTo(0, 300);
    p.setBrush(QColor(90, 130, 90));
    p.drawPath(far);
    near.moveTo(0, 260);
    near.cubicTo(160, 200, 300, 280, 480, 230);
    near.lineTo(480, 300);
    near.lineTo(0, 300);
    p.setBrush(QColor(50, 95, 55));
    p.drawPath(near);
    return image;
}

void MakePicture(const fs::path& file) {
    TcvReport report(nullptr);
    PreparedPage& page = report.EMFPages().AddPage(PaperTemplate(9, 0));
    RecordingCanvas& c = Surface(page);
    QImage picture = Landscape();
    SetFont(c, "Times New Roman", 22, emf::fsBold, kBlue);
    c.TextOut(76, 60, "Colline al tramonto");
    SetFont(c, "Times New Roman", 11, emf::fsItalic);
    c.TextOut(76, 100, "Una pagina con un'immagine, ingrandita e a grandezza naturale");
    c.SetStretchMode(4);  // HALFTONE
    c.StretchDraw({76, 140, 716, 540}, picture);
    SetPen(c, kBlack);
    c.Rectangle(75, 139, 717, 541);
    c.Draw(76, 600, picture.scaled(240, 150));
    SetFont(c, "Arial", 10);
    c.TextOut(340, 610, "La stessa immagine in piccolo,");
    c.TextOut(340, 630, "disegnata senza ingrandimento.");
    c.TextOut(340, 670, "Larghezza: 240 pixel");
    c.TextOut(340, 690, "Altezza: 150 pixel");
    page.CloseSurface();
    report.SavePreparedReport(file);
}

// --- Report objects, drawn by themselves as preparation draws them -------------------------------

struct ObjectPage {
    TcvReport report{nullptr};
    RecordingCanvas* canvas = nullptr;
    std::vector<std::unique_ptr<TcvView>> objects;

    template <class View>
    View& Add(int left, int top, int width, int height) {
        objects.push_back(std::make_unique<View>(&report));
        View& v = static_cast<View&>(*objects.back());
        v.Left = left, v.Top = top, v.Width = width, v.Height = height;
        return v;
    }
};

TcvMemoView& Memo(ObjectPage& p, int left, int top, int width, int height, const AnsiString& text,
                  uint32_t alignment = 0, uint16_t flags = 0) {
    TcvMemoView& m = p.Add<TcvMemoView>(left, top, width, height);
    m.Alignment = alignment;
    m.Flags = flags;
    m.FrameSides = fsAllSides;
    m.FrameColor = 0x808080;
    m.MemoLines.SetText(text);
    return m;
}

void Title(ObjectPage& p, const AnsiString& text) {
    TcvMemoView& title = Memo(p, 38, 30, 720, 30, text);
    title.FrameSides = 0;
    title.Font.Size = 15, title.Font.Style = emf::fsBold, title.Font.Color = kBlue;
    title.DrawAll(*p.canvas);
}

void MakeTextPage(ObjectPage& p) {
    RecordingCanvas& c = *p.canvas;
    Title(p, "Oggetti di testo: allineamenti");
    const char* across[] = {"Sinistra", "Destra", "Centro"};
    const char* down[] = {"in alto", "al centro", "in basso"};
    const uint32_t vertical[] = {0, taMiddle, taBottom};
    for (int h = 0; h < 3; ++h)
        for (int v = 0; v < 3; ++v)
            Memo(p, 38 + h * 240, 80 + v * 100, 220, 84, std::string(across[h]) + "\r\n" + down[v],
                 uint32_t(h == 1 ? taRight : h == 2 ? taCenter : taLeft) | vertical[v])
                .DrawAll(c);
    const char* paragraph =
        "Il testo giustificato allarga gli spazi di ogni riga, anche dell'ultima, finch\xE9 la riga riempie la "
        "larghezza dell'oggetto; le parole troppo lunghe per stare su una riga, come "
        "precipitevolissimevolmente, vanno a capo dove escono dal bordo.";
    Memo(p, 38, 390, 350, 150, paragraph, taJustify, mfWordWrap).DrawAll(c);
    Memo(p, 408, 390, 350, 150, paragraph, taLeft, mfWordWrap).DrawAll(c);
    const char* turned[] = {"Girato a sinistra", "Girato a destra", "Girato al centro", "Girato e giustificato"};
    for (int a = 0; a < 4; ++a) Memo(p, 38 + a * 70, 560, 56, 200, turned[a], taTurned | a).DrawAll(c);
    TcvMemoView& sum = Memo(p, 330, 560, 428, 40, "Valori: 2 + 3 = [2 + 3], e un valore con parentesi: ['[A]']");
    sum.DrawAll(c);
    TcvMemoView& marked = Memo(p, 330, 620, 428, 40, "Evidenziato quando la condizione vale", taCenter | taMiddle);
    marked.HighlightActive = 1, marked.HighlightCondition = "1 = 1";
    marked.HighlightStyle = emf::fsBold | emf::fsItalic, marked.HighlightFontColor = 0x0000C0;
    marked.HighlightFillColor = 0xCCFFFF;
    marked.DrawAll(c);
    TcvMemoView& over = Memo(p, 330, 680, 428, 80, "Testo in Times New Roman 14 pt su uno sfondo grigio, a capo "
                                                   "e con una cornice di 3 pixel: le righe che non stanno nel "
                                                   "riquadro restano per la pagina successiva.",
                             taLeft, mfWordWrap);
    over.Font.Name = "Times New Roman", over.Font.Size = 14, over.FillColor = 0xE0E0E0, over.FrameWidth = 3;
    over.DrawAll(c);
}

graphics::Picture JpegPicture(const QImage& image) {
    return graphics::Picture::Load(graphics::PictureKind::Jpeg, graphics::EncodeJpeg(image));
}

void MakePicturePage(ObjectPage& p) {
    RecordingCanvas& c = *p.canvas;
    Title(p, "Oggetti immagine: adattate, centrate, a grandezza naturale");
    const graphics::Picture picture =
        JpegPicture(Landscape().scaled(320, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    struct Case {
        uint16_t flags;
        const char* caption;
    } cases[] = {{pfStretch, "Adattata"},
                 {pfStretch | pfKeepAspect, "Adattata, proporzioni"},
                 {pfStretch | pfKeepAspect | pfCenter, "Adattata, proporzioni, centrata"},
                 {0, "Grandezza naturale (tagliata)"},
                 {pfCenter, "Grandezza naturale, centrata"},
                 {pfStretch | pfKeepAspect | pfCenter, "Alta e stretta, centrata"}};
    for (int i = 0; i < 6; ++i) {
        TcvPictureView& v = p.Add<TcvPictureView>(38 + (i % 2) * 370, 80 + (i / 2) * 300, i == 5 ? 120 : 340, 240);
        v.Flags = cases[i].flags, v.FrameSides = fsAllSides, v.FillColor = 0xF0F0F0;
        if (!(v.Flags & pfStretch)) v.Width = 260, v.Height = 160;  // smaller than the picture: cut
        v.Picture = picture;
        v.Draw(c);
        Memo(p, v.Left, v.Top + v.Height + 6, 340, 24, cases[i].caption).DrawAll(c);
    }
}

void MakeObjects(const fs::path& file) {
    const TcvEngineMode mode = EngineMode;
    EngineMode = emRun;
    ObjectPage p;
    for (auto make : {MakeTextPage, MakePicturePage}) {
        PreparedPage& page = p.report.EMFPages().AddPage(PaperTemplate(9, 0));
        p.canvas = page.Surface.get();
        make(p);
        page.CloseSurface();
    }
    p.report.SavePreparedReport(file);
    EngineMode = mode;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    EngineUnits units(nullptr);
    fs::path folder = argc > 1 ? argv[1] : "examples";
    try {
        MakeListing(folder / "listing.cvp");
        MakeLandscape(folder / "landscape.cvp");
        MakeMixed(folder / "mixed.cvp");
        MakePicture(folder / "picture.cvp");
        MakeObjects(folder / "objects.cvp");
    } catch (const EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
