// Text records: EXTTEXTOUTA/W, POLYTEXTOUTA/W and SMALLTEXTOUT, drawn glyph by glyph at the
// recorded advances.
#include <QCoreApplication>
#include <QFontDatabase>
#include <QThread>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>
#include <numbers>
#include <optional>
#include <span>

#include "platform/core/Cp1252.h"
#include "platform/emf/EmfPlayback.h"
#include "platform/emf/FontSubstitution.h"

namespace tessaly::emf {

namespace {

// Qt draws glyphs up to this size (device pixels) from its glyph-image cache.
constexpr double kLargestCachedGlyph = 64;

// The symbol font's code points 0x20 to 0xFF as Unicode (0: the byte itself).
const char16_t kSymbol[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C,
    0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039,
    0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6,
    0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3,
    0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F, 0x203E,
    0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC,
    0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6,
    0x007B, 0x007C, 0x007D, 0x223C, 0x0020,
    // 0x80 to 0x9F: unused in the symbol font
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190,
    0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260,
    0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205,
    0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9,
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA,
    0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8,
    0x23A9, 0x23AA, 0x0020, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5,
    0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0020};

// Wingdings' code points 0x20 to 0xFF as Unicode, where the Basic Multilingual Plane has the sign or
// a close one; 0: not drawn.
const char16_t kWingdings[224] = {
    // 0x20
    0x0020, 0x270F, 0x2702, 0x2701, 0, 0, 0, 0, 0x260E, 0x2706, 0x2709, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0x231B, 0x2328, 0, 0, 0, 0, 0, 0, 0x2707, 0x270D,
    // 0x40
    0, 0x270C, 0, 0, 0, 0x261C, 0x261E, 0x261D, 0x261F, 0x270B, 0x263A, 0, 0x2639, 0, 0x2620, 0x2690,
    0, 0x2708, 0x263C, 0, 0x2744, 0x271D, 0x271E, 0, 0x2720, 0x2721, 0x262A, 0x262F, 0x0950, 0x2638, 0x2648, 0x2649,
    // 0x60
    0x264A, 0x264B, 0x264C, 0x264D, 0x264E, 0x264F, 0x2650, 0x2651, 0x2652, 0x2653, 0, 0, 0x25CF, 0x274D, 0x25A0, 0x25A1,
    0x25A1, 0x2751, 0x2752, 0x2B27, 0x29EB, 0x25C6, 0x2756, 0x2B25, 0x2327, 0x2BB9, 0x2318, 0x2740, 0x273F, 0x275D,
    0x275E, 0,
    // 0x80
    0x24EA, 0x2460, 0x2461, 0x2462, 0x2463, 0x2464, 0x2465, 0x2466, 0x2467, 0x2468, 0x2469, 0x24FF, 0x2776, 0x2777,
    0x2778, 0x2779, 0x277A, 0x277B, 0x277C, 0x277D, 0x277E, 0x277F, 0, 0, 0, 0, 0, 0, 0, 0, 0x00B7, 0x2022,
    // 0xA0
    0x25AA, 0x25CB, 0, 0, 0x25C9, 0x25CE, 0, 0x25AA, 0x25FB, 0, 0x2726, 0x2605, 0x2736, 0x2734, 0x2739, 0x2735,
    0x2BD0, 0x2316, 0x27E1, 0x2311, 0x2BD1, 0x272A, 0x2730, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xC0
    0, 0, 0, 0x2BB0, 0x2BB1, 0x2BB2, 0x2BB3, 0x2BB4, 0x2BB5, 0x2BB6, 0x2BB7, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0x232B, 0x2326, 0x2B98, 0x27A2, 0x2B99, 0x2B9B, 0x2B88, 0x2B8A, 0x2B89, 0x2B8B, 0x2190,
    // 0xE0
    0x2192, 0x2191, 0x2193, 0x2196, 0x2197, 0x2199, 0x2198, 0x2B05, 0x27A1, 0x2B06, 0x2B07, 0x2B09, 0x2B08, 0x2B0B,
    0x2B0A, 0x21E6, 0x21E8, 0x21E7, 0x21E9, 0x2B04, 0x21F3, 0x2B00, 0x2B01, 0x2B03, 0x2B02, 0x25AD, 0x25AB, 0x2717,
    0x2714, 0x2612, 0x2611, 0};

// How the code points of a symbol font become characters to draw.
enum class SymbolCodes {
    None,       // not a symbol font
    Own,        // the face is installed: its own symbol character map
    Symbol,     // the symbol font's table
    Wingdings,  // the Wingdings table
    Unknown,    // a picture font without a table: nothing is drawn rather than wrong letters
};

// Picture fonts whose signs have no table here.
constexpr const char16_t* kPictureFaces[] = {u"Wingdings 2", u"Wingdings 3", u"Webdings", u"Marlett",
                                             u"ZapfDingbats", u"Zapf Dingbats", u"Monotype Sorts", u"MS Outlook"};

// Symbol fonts are addressed by byte, or by byte + 0xF000 in wide records.
QString MapSymbols(const QString& text, SymbolCodes codes) {
    QString out = text;
    for (QChar& c : out) {
        char16_t u = c.unicode();
        if (u >= 0xF020 && u <= 0xF0FF) u -= 0xF000;
        if (u < 0x20 || u > 0xFF) continue;
        switch (codes) {
        case SymbolCodes::Symbol: c = QChar(kSymbol[u - 0x20]); break;
        case SymbolCodes::Wingdings: c = QChar(kWingdings[u - 0x20]); break;
        case SymbolCodes::Unknown: c = QChar(u == 0x20 ? u' ' : u'\0'); break;
        default: break;
        }
    }
    return out;
}

const char* CodePageOf(uint8_t charSet) {
    switch (charSet) {
    case 238: return "windows-1250";
    case 204: return "windows-1251";
    case 161: return "windows-1253";
    case 162: return "windows-1254";
    case 177: return "windows-1255";
    case 178: return "windows-1256";
    case 186: return "windows-1257";
    case 163: return "windows-1258";
    case 222: return "windows-874";
    case 128: return "Shift_JIS";
    case 129: return "windows-949";
    case 134: return "GBK";
    case 136: return "Big5";
    default: return nullptr;
    }
}

QString DecodeAnsi(std::span<const uint8_t> bytes, uint8_t charSet) {
    if (charSet == SYMBOL_CHARSET) {  // code points of the font, not of a code page
        QString out;
        out.reserve(qsizetype(bytes.size()));
        for (uint8_t b : bytes) out.append(QChar(char16_t(b)));
        return out;
    }
    if (const char* name = CodePageOf(charSet)) {
        QStringDecoder decoder(name);
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (uint8_t b : bytes) out.append(QChar(char16_t(Cp1252ToUnicode(b))));
    return out;
}

QPointF Unit(const QPointF& v) {
    const double len = std::hypot(v.x(), v.y());
    return len > 0 ? v / len : QPointF(1, 0);
}


// What stands in for a recorded face: a family, and the styles that the face's name carries.
struct Face {
    QString family;
    bool italic = false;
    bool bold = false;
    SymbolCodes symbols = SymbolCodes::None;
};

QString Substitute(const QString& face) {
    const QByteArray utf8 = face.toUtf8();
    const std::string_view family = SubstituteFace(std::string_view(utf8.constData(), size_t(utf8.size())));
    return QString::fromUtf8(family.data(), qsizetype(family.size()));
}

// Faces that are often recorded but seldom installed, by their design: their family bits are not
// always right (a serif face recorded as swiss would otherwise be drawn sans).
constexpr const char16_t* kSerifFaces[] = {
    u"Garamond", u"Georgia", u"Cambria", u"Book Antiqua", u"Palatino Linotype", u"Palatino", u"Bookman Old Style",
    u"Century Schoolbook", u"Century", u"Constantia", u"Baskerville Old Face", u"Bodoni MT", u"Goudy Old Style",
    u"Perpetua", u"Times", u"MS Serif", u"Sylfaen", u"Cambria Math", u"David", u"Frank Ruehl"};
constexpr const char16_t* kFixedFaces[] = {u"Consolas", u"Lucida Console", u"Courier", u"Fixedsys", u"Terminal",
                                           u"Lucida Sans Typewriter", u"OCR A Extended"};
constexpr const char16_t* kSansFaces[] = {u"Calibri", u"Segoe UI", u"Candara", u"Corbel", u"Trebuchet MS",
                                          u"Century Gothic", u"Franklin Gothic Medium", u"Lucida Sans Unicode",
                                          u"Microsoft Sans Serif", u"Helvetica", u"MS Shell Dlg", u"MS Shell Dlg 2",
                                          u"System", u"Gill Sans MT"};

bool Listed(const QString& face, std::span<const char16_t* const> list) {
    for (const char16_t* name : list)
        if (face.compare(QStringView(name), Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The substitution table, else the face itself when the font system knows it, else a Liberation
// face by the face's design or, for faces not known here, by its family bits. Style words at the
// end of a face name ("Garamond Italic") are taken off and kept as styles.
Face StandIn(const Font& f) {
    Face face;
    QString name = f.faceName.trimmed();
    for (;;) {
        static const QRegularExpression style(QStringLiteral("\\s+(Italic|Oblique|Bold|Regular)$"),
                                              QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = style.match(name);
        if (!m.hasMatch() || m.capturedStart() == 0) break;
        const QString word = m.captured(1).toLower();
        face.italic |= word == u"italic" || word == u"oblique";
        face.bold |= word == u"bold";
        name.truncate(m.capturedStart());
    }
    if (const QString whole = Substitute(f.faceName); !whole.isEmpty() && QFontDatabase::hasFamily(whole))
        return Face{whole};  // installed (or substituted) under its whole name, styles and all
    if (const QString plain = Substitute(name); !plain.isEmpty() && QFontDatabase::hasFamily(plain)) {
        face.family = plain;
        return face;
    }
    const uint8_t bits = f.pitchAndFamily & 0xF0;
    if (Listed(name, kSerifFaces)) face.family = QStringLiteral("Liberation Serif");
    else if (Listed(name, kFixedFaces)) face.family = QStringLiteral("Liberation Mono");
    else if (Listed(name, kSansFaces)) face.family = QStringLiteral("Liberation Sans");
    else if (bits == 0x10) face.family = QStringLiteral("Liberation Serif");
    else if (bits == 0x30 || (f.pitchAndFamily & 0x03) == 1) face.family = QStringLiteral("Liberation Mono");
    else face.family = QStringLiteral("Liberation Sans");
    return face;
}

SymbolCodes SymbolCodesFor(const Font& f, const QString& name, bool installed) {
    const bool symbolFace = name.compare(u"Symbol", Qt::CaseInsensitive) == 0;
    const bool wingdings = name.compare(u"Wingdings", Qt::CaseInsensitive) == 0;
    const bool picture = Listed(name, kPictureFaces);
    if (f.charSet != SYMBOL_CHARSET && !symbolFace && !wingdings && !picture) return SymbolCodes::None;
    if (installed) return SymbolCodes::Own;
    if (wingdings) return SymbolCodes::Wingdings;
    if (picture) return SymbolCodes::Unknown;
    return SymbolCodes::Symbol;  // the symbol font and the many faces made after it
}

// The face, and for symbol fonts how their code points are drawn.
Face FaceFor(const Font& f) {
    Face face = StandIn(f);
    face.symbols = SymbolCodesFor(f, f.faceName.trimmed(), face.family == f.faceName);
    return face;
}

int WeightOf(const Font& f) {
    return std::clamp(f.weight <= 0 ? 400 : f.weight, 1, 1000);
}

// Fonts outlive one playing: a page played again (repainted, zoomed back) finds its faces resolved
// and its font engines with their rasterised glyphs, as text drawn directly with QPainter finds
// them in Qt's own font cache. Asking the font system whether a family exists, and rasterising
// glyphs anew, cost far more than drawing them. Font engines are per thread, and so is this cache;
// the main thread's is emptied when the application object goes, before Qt's font system does.
// A program may keep its application object in a static, which goes after the thread's cache:
// the post routine then must not touch the destroyed cache (this flag is never destroyed).
thread_local bool fontCacheGone = false;

class FontCache {
public:
    ~FontCache() { fontCacheGone = true; }

    static FontCache& ForThread() {
        thread_local FontCache cache;
        if (!cache.hooked_ && QCoreApplication::instance() &&
            QThread::currentThread() == QCoreApplication::instance()->thread()) {
            cache.hooked_ = true;
            qAddPostRoutine([] {
                if (!fontCacheGone) ForThread().Clear();
            });
        }
        return cache;
    }

    const Face& FaceOf(const Font& f) {
        const QString key = f.faceName + QChar(char16_t(f.pitchAndFamily)) + QChar(char16_t(f.charSet));
        auto it = faces_.find(key);
        if (it == faces_.end()) {
            if (faces_.size() > 256) faces_.clear();
            it = faces_.emplace(key, FaceFor(f)).first;
        }
        return it->second;
    }

    QRawFont Raw(const QFont& font, double pixelSize) {
        const Key key{font.family(), font.weight(), font.italic(), std::llround(pixelSize * 64)};
        auto it = raws_.find(key);
        if (it == raws_.end()) {
            if (raws_.size() >= kLimit) Evict();
            QRawFont raw = QRawFont::fromFont(font);
            if (raw.isValid()) raw.setPixelSize(pixelSize);
            it = raws_.emplace(key, Entry{raw, 0}).first;
        }
        it->second.lastUse = ++clock_;
        return it->second.raw;
    }

private:
    static constexpr size_t kLimit = 128;  // each holds an engine with its glyph images
    struct Key {
        QString family;
        int weight;
        bool italic;
        int64_t size64;  // pixel size in 1/64 pixels
        bool operator<(const Key& o) const {
            if (size64 != o.size64) return size64 < o.size64;
            if (weight != o.weight) return weight < o.weight;
            if (italic != o.italic) return italic < o.italic;
            return family < o.family;
        }
    };
    struct Entry {
        QRawFont raw;
        uint64_t lastUse;
    };

    // Keeps the more recently used half.
    void Evict() {
        std::vector<uint64_t> uses;
        for (const auto& [key, entry] : raws_) uses.push_back(entry.lastUse);
        std::nth_element(uses.begin(), uses.begin() + uses.size() / 2, uses.end());
        const uint64_t median = uses[uses.size() / 2];
        std::erase_if(raws_, [&](const auto& item) { return item.second.lastUse < median; });
    }
    void Clear() {
        raws_.clear();
        faces_.clear();
        hooked_ = false;
    }

    std::map<QString, Face> faces_;
    std::map<Key, Entry> raws_;
    uint64_t clock_ = 0;
    bool hooked_ = false;
};

}  // namespace

struct Playback::TextRun {
    QPointF reference;  // logical
    uint32_t options = 0;
    QRectF rect;        // logical, for ETO_OPAQUE and ETO_CLIPPED
    QString text;
    QList<quint32> glyphs;  // ETO_GLYPH_INDEX
    std::vector<double> dx, dy;  // logical advances, empty when the record has none
    size_t Count() const { return (options & ETO_GLYPH_INDEX) ? size_t(glyphs.size()) : size_t(text.size()); }
};

QFont Playback::QtFontFor(double pixelSize) const {
    const Font& f = dc.font;
    const Face& face = FontCache::ForThread().FaceOf(f);
    QFont font(face.family);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setWeight(QFont::Weight(face.bold ? std::max(WeightOf(f), 700) : WeightOf(f)));
    font.setItalic(f.italic || face.italic);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

QRawFont Playback::RawFontFor(double pixelSize) {
    const FontKey key{dc.font.serial, std::llround(pixelSize * 64)};
    auto it = rawFonts_.find(key);
    if (it != rawFonts_.end()) return it->second;
    if (rawFonts_.size() > 512) rawFonts_.clear();
    return rawFonts_.emplace(key, FontCache::ForThread().Raw(QtFontFor(pixelSize), pixelSize)).first->second;
}

Playback::TextRun Playback::MakeRun(const EmrText& t, bool wide) const {
    TextRun run;
    run.reference = QPointF(t.reference.x, t.reference.y);
    run.options = t.options;
    run.rect = QRectF(QPointF(t.clip.left, t.clip.top), QPointF(t.clip.right, t.clip.bottom)).normalized();
    if (!wide && (t.options & ETO_GLYPH_INDEX)) {  // one byte per glyph number
        for (char c : t.ansi) run.glyphs.push_back(uint8_t(c));
    } else if (!wide) {
        run.text = DecodeAnsi(std::span(reinterpret_cast<const uint8_t*>(t.ansi.data()), t.ansi.size()), dc.font.charSet);
    } else if (t.options & ETO_GLYPH_INDEX) {
        for (char16_t g : t.wide) run.glyphs.push_back(g);
    } else {
        run.text = QString::fromUtf16(t.wide.data(), qsizetype(t.wide.size()));
    }
    const bool pdy = t.options & ETO_PDY;
    if (t.dx.size() == size_t(t.chars) * (pdy ? 2 : 1)) {
        for (uint32_t i = 0; i < t.chars; ++i) {
            run.dx.push_back(t.dx[pdy ? 2 * i : i]);
            if (pdy) run.dy.push_back(t.dx[2 * i + 1]);
        }
    }
    return run;
}

void Playback::PlayText(RecordView r) {
    switch (r.Type()) {
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        if (auto t = ParseExtTextOut(r)) DrawTextRun(MakeRun(t->text, t->isWide));
        return;
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW:
        if (auto t = ParsePolyTextOut(r))
            for (const EmrText& text : t->texts) DrawTextRun(MakeRun(text, t->isWide));
        return;
    default: {  // EMR_SMALLTEXTOUT
        auto t = ParseSmallTextOut(r);
        if (!t) return;
        TextRun run;
        run.reference = QPointF(t->reference.x, t->reference.y);
        run.options = t->options;
        if (!(t->options & ETO_NO_RECT))
            run.rect = QRectF(QPointF(t->clip.left, t->clip.top), QPointF(t->clip.right, t->clip.bottom)).normalized();
        if (t->options & ETO_GLYPH_INDEX) {
            for (char16_t g : t->text) run.glyphs.push_back(g);
        } else {
            run.text = QString::fromUtf16(t->text.data(), qsizetype(t->text.size()));
            if (t->options & ETO_SMALL_CHARS) {  // bytes in the font's code page
                std::vector<uint8_t> bytes(t->text.begin(), t->text.end());
                run.text = DecodeAnsi(bytes, dc.font.charSet);
            }
        }
        DrawTextRun(run);
        return;
    }
    }
}

// Glyphs drawn as outlines, smoothed as text is.
void Playback::FillTextOutline(const QPainterPath& outline, const QColor& colour) {
    const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outline, colour);
    painter.setRenderHint(QPainter::Antialiasing, smooth);
}

// How a run lies in the output: the baseline and the glyphs' up direction in logical units and
// in output pixels, and how many output pixels one logical unit makes along each.
struct TextAxes {
    QPointF baseL;
    QPointF baseOut, upOut;
    double sx = 0, sy = 0;
    double ySign = 1;  // -1 under a mapping whose logical y axis points up
};

// A run ready to draw: its face at the output size, its glyphs with their positions in text space
// (x along the baseline in unstretched units, y down the glyphs' vertical) and the transform from
// text space to the output.
struct TextLayout {
    TextAxes axes;
    QRawFont raw;
    double emOut = 0;  // the em in output pixels
    bool glyphMode = false;
    QString text;      // the characters as drawn (symbol fonts mapped); unused in glyph mode
    QList<quint32> glyphs;
    QList<QPointF> positions;
    double width = 0;    // along the baseline, output pixels
    double stretch = 1;  // the glyphs' width over their height, from the mapping or the font's width
    QTransform textSpace;

    // The text's cell in text space: its advance wide, ascent and descent high.
    QRectF Cell() const { return QRectF(0, -raw.ascent(), width / stretch, raw.ascent() + raw.descent()); }
};

// The glyphs a run draws from its own face, and the characters that face lacks, which come from
// any font that has them. Control characters draw nothing.
struct GlyphParts {
    QList<quint32> glyphs;
    QList<QPointF> positions;
    QString missing;
    std::vector<QPointF> missingAt;
};

namespace {

GlyphParts SplitByFace(const TextLayout& t) {
    const auto skipped = [&](qsizetype i) { return !t.glyphMode && (t.text[i].unicode() < 0x20 || t.glyphs[i] == 0); };
    bool all = true;
    for (qsizetype i = 0; i < t.glyphs.size() && all; ++i) all = !skipped(i);
    if (all) return GlyphParts{t.glyphs, t.positions, {}, {}};
    GlyphParts parts;
    for (qsizetype i = 0; i < t.glyphs.size(); ++i) {
        if (!skipped(i)) {
            parts.glyphs.push_back(t.glyphs[i]);
            parts.positions.push_back(t.positions[i]);
        } else if (t.text[i].unicode() >= 0x20) {
            parts.missing.append(t.text[i]);
            parts.missingAt.push_back(t.positions[i]);
        }
    }
    return parts;
}

}  // namespace

void Playback::DrawTextRun(const TextRun& run) {
    // ETO_OPAQUE fills its rectangle even when there is no text.
    if ((run.options & ETO_OPAQUE) && !dc.pathOpen && run.rect.isValid()) {
        SyncTransform();
        painter.fillRect(run.rect, dc.bkColour);
    }
    if (run.Count() == 0) return;
    const bool updateCp = dc.textAlign & TA_UPDATECP;
    const QPointF ref = updateCp ? dc.currentPosition : run.reference;
    const std::optional<TextLayout> layout = LayOutText(run, ref);
    if (!layout) return;
    if (updateCp) AdvanceCurrentPosition(*layout, ref);
    if (dc.pathOpen) {  // text in a path bracket adds its outlines
        AddTextToPath(*layout);
        return;
    }
    SyncClip();
    const bool clipped = (run.options & ETO_CLIPPED) && ClipTextToRect(run.rect, *layout);
    painter.setWorldTransform(layout->textSpace);
    space_ = Space::Custom;
    if (dc.bkMode == OPAQUE && !(run.options & ETO_OPAQUE)) painter.fillRect(layout->Cell(), dc.bkColour);
    PaintGlyphs(*layout);
    if (clipped) MarkClipDirty();
}

// The baseline turns counter-clockwise on the page by the escapement; a y-up mapping has its
// logical y axis the other way round.
TextAxes Playback::AxesOfText() const {
    TextAxes a;
    const QTransform m = LogicalToOutput();
    const double esc = dc.font.escapement / 10.0 * std::numbers::pi / 180.0;
    a.ySign = PageTransform().m22() < 0 ? -1.0 : 1.0;
    a.baseL = QPointF(std::cos(esc), -a.ySign * std::sin(esc));
    const QPointF upL(-std::sin(esc), -a.ySign * std::cos(esc));
    const QPointF origin = m.map(QPointF(0, 0));
    a.baseOut = m.map(a.baseL) - origin;
    a.upOut = m.map(upL) - origin;
    a.sx = std::hypot(a.baseOut.x(), a.baseOut.y());
    a.sy = std::hypot(a.upOut.x(), a.upOut.y());
    return a;
}

// The em in logical units: a negative height is the em itself, a positive one (or the default)
// the cell, ascent and descent together.
double Playback::EmHeight() {
    const Font& f = dc.font;
    double em = f.height < 0 ? -double(f.height) : f.height > 0 ? double(f.height) : 16.0;
    if (f.height >= 0) {
        QRawFont probe = RawFontFor(100);
        if (probe.isValid() && probe.ascent() + probe.descent() > 0) em *= 100.0 / (probe.ascent() + probe.descent());
    }
    return em;
}

std::optional<TextLayout> Playback::LayOutText(const TextRun& run, const QPointF& ref) {
    TextLayout t;
    t.axes = AxesOfText();
    const TextAxes& a = t.axes;
    if (!(a.sx > 0) || !(a.sy > 0) || !std::isfinite(a.sx) || !std::isfinite(a.sy)) return std::nullopt;
    t.emOut = EmHeight() * a.sy;
    if (!(t.emOut >= 0.05) || t.emOut > 20000) return std::nullopt;
    t.raw = RawFontFor(t.emOut);
    if (!t.raw.isValid() || !LookUpGlyphs(run, t)) return std::nullopt;
    // Glyphs keep their shape in logical units: a mapping that scales x and y differently
    // stretches them, and a font width other than 0 sets their mean width.
    t.stretch = a.sx / a.sy;
    if (dc.font.width != 0 && t.raw.averageCharWidth() > 0)
        t.stretch = std::abs(dc.font.width) * a.sx / t.raw.averageCharWidth();
    t.stretch = std::clamp(t.stretch, 0.05, 20.0);
    PlaceGlyphs(run, t);
    t.textSpace = AlignedTextSpace(t, LogicalToOutput().map(ref));
    return t;
}

// The glyphs of the run's characters in its face (symbol fonts through their tables), or the glyph
// numbers it gives. False when they do not pair with the characters one to one (surrogate pairs
// without matching advances).
bool Playback::LookUpGlyphs(const TextRun& run, TextLayout& t) {
    const Font& f = dc.font;
    t.glyphMode = run.options & ETO_GLYPH_INDEX;
    if (!symbolsKnown_ || symbolsSerial_ != f.serial) {
        symbols_ = int(FontCache::ForThread().FaceOf(f).symbols);
        symbolsSerial_ = f.serial;
        symbolsKnown_ = true;
    }
    const auto symbols = SymbolCodes(symbols_);
    t.text = t.glyphMode || symbols == SymbolCodes::None || symbols == SymbolCodes::Own ? run.text
                                                                                      : MapSymbols(run.text, symbols);
    t.glyphs = t.glyphMode ? run.glyphs : t.raw.glyphIndexesForString(t.text);
    return size_t(t.glyphs.size()) == run.Count();
}

// Each glyph at the recorded advances, or at the face's own where the record has none.
void Playback::PlaceGlyphs(const TextRun& run, TextLayout& t) const {
    const size_t count = run.Count();
    const bool haveDx = run.dx.size() == count, haveDy = haveDx && run.dy.size() == count;
    QList<QPointF> natural;
    if (!haveDx) natural = t.raw.advancesForGlyphIndexes(t.glyphs, QRawFont::UseDesignMetrics);
    t.positions = QList<QPointF>(static_cast<qsizetype>(count));
    double x = 0, y = 0;
    for (size_t i = 0; i < count; ++i) {
        t.positions[qsizetype(i)] = QPointF(x / t.stretch, y);
        x += haveDx ? run.dx[i] * t.axes.sx : natural[qsizetype(i)].x() * t.stretch;
        if (haveDy) y += run.dy[i] * t.axes.ySign * t.axes.sy;
    }
    t.width = x;
}

// Text space placed so that the reference point (in output pixels) sits where the alignment
// flags put it on the text.
QTransform Playback::AlignedTextSpace(const TextLayout& t, const QPointF& refOut) const {
    double xOffset = 0;
    switch (dc.textAlign & TA_CENTER) {
    case TA_RIGHT: xOffset = -t.width; break;
    case TA_CENTER: xOffset = -t.width / 2; break;
    default: break;
    }
    double yOffset = 0;  // downwards along the glyphs' vertical
    switch (dc.textAlign & TA_BASELINE) {
    case TA_TOP: yOffset = t.raw.ascent(); break;
    case TA_BOTTOM: yOffset = -t.raw.descent(); break;
    default: break;
    }
    const QPointF ub = Unit(t.axes.baseOut), ud = -Unit(t.axes.upOut);
    const QPointF origin = refOut + ub * xOffset + ud * yOffset;
    return QTransform(ub.x() * t.stretch, ub.y() * t.stretch, ud.x(), ud.y(), origin.x(), origin.y());
}

void Playback::AdvanceCurrentPosition(const TextLayout& t, const QPointF& ref) {
    const double advance = t.width / t.axes.sx;
    const uint32_t h = dc.textAlign & TA_CENTER;
    if (h == TA_LEFT) dc.currentPosition = ref + t.axes.baseL * advance;
    else if (h == TA_RIGHT) dc.currentPosition = ref - t.axes.baseL * advance;
}

void Playback::AddTextToPath(const TextLayout& t) {
    const QTransform toDevice = t.textSpace * DeviceToOutput().inverted();
    for (qsizetype i = 0; i < t.glyphs.size(); ++i) {
        QPainterPath g = t.raw.pathForGlyph(t.glyphs[i]);
        g.translate(t.positions[i]);
        dc.path.addPath(toDevice.map(g));
    }
}

// Clips to the run's rectangle (logical) unless the text's cell already lies inside it. True when
// it clipped.
bool Playback::ClipTextToRect(const QRectF& rect, const TextLayout& t) {
    const QTransform m = LogicalToOutput();
    if (m.mapRect(rect).contains(t.textSpace.mapRect(t.Cell()))) return false;
    painter.setWorldTransform(m);
    painter.setClipRect(rect, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    return true;
}

// The glyphs in the text colour, with the raster operation, on the painter set to text space.
void Playback::PaintGlyphs(const TextLayout& t) {
    const GlyphParts parts = SplitByFace(t);
    painter.setPen(dc.textColour);
    // The text's background cells are filled above; an opaque painter background left by a filled
    // shape would also misplace the glyphs of a run (Qt draws nothing where they belong).
    painter.setBackgroundMode(Qt::TransparentMode);
    penDirty_ = brushDirty_ = true;
    if (!BeginRop2()) return;
    const bool asOutlines = GlyphsAsOutlines(t);
    if (!parts.glyphs.isEmpty() && asOutlines) {
        QPainterPath outlines;
        for (qsizetype i = 0; i < parts.glyphs.size(); ++i)
            outlines.addPath(t.raw.pathForGlyph(parts.glyphs[i]).translated(parts.positions[i]));
        FillTextOutline(outlines, dc.textColour);
    } else if (!parts.glyphs.isEmpty()) {
        QGlyphRun glyphRun;
        glyphRun.setRawFont(t.raw);
        glyphRun.setGlyphIndexes(parts.glyphs);
        glyphRun.setPositions(parts.positions);
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
    if (!parts.missing.isEmpty()) PaintMissingCharacters(t, parts, asOutlines);
    PaintTextLines(t);
    EndRop2();
}

// A raster painter draws glyphs from images. Qt judges their size by the square root of the
// transform's determinant, so a squashed transform (one axis near zero) still caches glyphs as
// long as the other axis is, and Qt 6.4 crashed loading such a glyph. Glyphs reaching past the
// cache size along either axis are filled as outlines, as Qt itself fills large text. PDF and
// printer painters keep all text as text.
bool Playback::GlyphsAsOutlines(const TextLayout& t) const {
    // The painter is already set to text space: its device transform maps text to device pixels.
    const QTransform toDevice = painter.deviceTransform();
    const double reach = t.emOut * std::max(std::hypot(toDevice.m11(), toDevice.m12()),
                                            std::hypot(toDevice.m21(), toDevice.m22()));
    return reach > kLargestCachedGlyph && painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
}

// Characters the face lacks, from any font that has them.
void Playback::PaintMissingCharacters(const TextLayout& t, const GlyphParts& parts, bool asOutlines) {
    const QFont font = QtFontFor(t.emOut);
    painter.setFont(font);
    for (qsizetype i = 0; i < parts.missing.size(); ++i) {
        // Large glyphs are filled as outlines: Qt caches the glyphs of some fallback faces as
        // images whatever their size (a 2750-pixel glyph took a 64 MB texture).
        if (!asOutlines) {
            painter.drawText(parts.missingAt[size_t(i)], QString(parts.missing[i]));
            continue;
        }
        QPainterPath outline;
        outline.addText(parts.missingAt[size_t(i)], font, QString(parts.missing[i]));
        FillTextOutline(outline, dc.textColour);
    }
}

// The font's underline and strike-out across the run.
void Playback::PaintTextLines(const TextLayout& t) {
    const Font& f = dc.font;
    if (!f.underline && !f.strikeOut) return;
    const double thickness = std::max(t.raw.lineThickness(), 1.0 / t.axes.sy);
    const double length = t.width / t.stretch;
    if (f.underline) painter.fillRect(QRectF(0, t.raw.underlinePosition() - thickness / 2, length, thickness), dc.textColour);
    if (f.strikeOut) painter.fillRect(QRectF(0, -t.raw.xHeight() / 2 - thickness / 2, length, thickness), dc.textColour);
}

}  // namespace tessaly::emf
