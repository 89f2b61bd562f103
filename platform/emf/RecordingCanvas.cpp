#include "platform/emf/RecordingCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <array>
#include <map>
#include <cmath>

#include "platform/core/Errors.h"
#include "platform/core/Rounding.h"
#include "platform/emf/FontSubstitution.h"

namespace tessaly::emf {

namespace {

// The parts of a font that make its object; the colour is a setting of the device context.
bool SameFontObject(const CanvasFont& a, const CanvasFont& b) {
    return a.name == b.name && a.height == b.height && a.style == b.style &&
           a.charSet == b.charSet && a.escapement == b.escapement && a.orientation == b.orientation;
}

bool SameBrushObject(const CanvasBrush& a, const CanvasBrush& b) { return a == b; }

LogFontW ToLogFont(const CanvasFont& f) {
    LogFontW lf;
    lf.height = f.height;
    lf.escapement = f.escapement;
    lf.orientation = f.orientation;
    lf.weight = (f.style & fsBold) ? 700 : 400;
    lf.italic = (f.style & fsItalic) ? 1 : 0;
    lf.underline = (f.style & fsUnderline) ? 1 : 0;
    lf.strikeOut = (f.style & fsStrikeOut) ? 1 : 0;
    lf.charSet = f.charSet;
    lf.faceName = Cp1252ToUtf16(f.name);
    return lf;
}

// An uncompressed 24-bit bitmap: QImage's rows of BGR888 are padded to 32 bits as a bitmap's are.
Dib Dib24Of(const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const size_t stride = size_t(bgr.bytesPerLine());
    Dib d;
    d.info = DibInfoHeader(bgr.width(), bgr.height(), 24, uint32_t(stride * bgr.height()));
    d.bits.resize(stride * bgr.height());
    for (int y = 0; y < bgr.height(); ++y)
        std::copy_n(bgr.constScanLine(bgr.height() - 1 - y), stride, d.bits.begin() + stride * y);
    return d;
}

// Transparent parts of an image on white, as they show on paper.
QImage OnWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

Dib DibOf(const QImage& image) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<uint32_t> pixels(size_t(rgb.width()) * rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        std::copy(line, line + rgb.width(), pixels.begin() + size_t(y) * rgb.width());
    }
    return MakeDib32(rgb.width(), rgb.height(), pixels);
}

RectL Normalized(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// Inclusive bounds of a shape drawn in the box (x1, y1)-(x2, y2), right and bottom excluded.
RectL ShapeBounds(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    RectL r = Normalized(x1, y1, x2, y2);
    return {r.left, r.top, r.right - 1, r.bottom - 1};
}

}  // namespace

int32_t CanvasFont::Size() const { return -MulDiv(height, 72, kPagePixelsPerInch); }
void CanvasFont::SetSize(int32_t points) { height = -MulDiv(points, kPagePixelsPerInch, 72); }

SizeL PictureStorageSize(SizeL image, const RectL& dest) {
    auto axis = [](int32_t pixels, int64_t drawn) {
        const int64_t visible = (std::max<int64_t>(drawn, 0) * kPicturePixelsPerInch + kPagePixelsPerInch - 1) /
                                kPagePixelsPerInch;
        return int32_t(std::clamp<int64_t>(visible, 0, std::max(pixels, 0)));
    };
    return {axis(image.cx, int64_t(dest.right) - dest.left), axis(image.cy, int64_t(dest.bottom) - dest.top)};
}

QFont QtFontFor(const CanvasFont& font) {
    QFont q;
    std::string face = Cp1252ToUtf8(font.name);
    std::string_view family = SubstituteFace(face);
    q.setFamily(QString::fromUtf8(family.data(), qsizetype(family.size())));
    q.setWeight((font.style & fsBold) ? QFont::Bold : QFont::Normal);
    q.setItalic(font.style & fsItalic);
    q.setUnderline(font.style & fsUnderline);
    q.setStrikeOut(font.style & fsStrikeOut);
    q.setKerning(false);
    q.setHintingPreference(QFont::PreferNoHinting);
    if (font.height < 0) {
        q.setPixelSize(-font.height);
    } else if (font.height > 0) {
        // A positive height is the cell (ascent + descent): scale the em to fit it.
        q.setPixelSize(font.height);
        QFontMetricsF fm(q);
        double cell = fm.ascent() + fm.descent();
        int px = cell > 0 ? int(RoundHalfEven(font.height * font.height / cell)) : font.height;
        q.setPixelSize(std::max(px, 1));
    } else {
        q.setPixelSize(12);  // the default height of a font that asks for none
    }
    return q;
}

RecordingCanvas::RecordingCanvas(int32_t widthPx, int32_t heightPx) : writer_(widthPx, heightPx) {
    writer_.MoveTo({0, 0});
    RequireFont();
    RequirePen();
    writer_.Value(EMR_SETROP2, R2_COPYPEN);
    RequireBrush();
}

RecordingCanvas::~RecordingCanvas() = default;

void RecordingCanvas::Replace(uint32_t& selected, uint32_t created) {
    writer_.Value(EMR_SELECTOBJECT, created);
    uint32_t old = selected;
    selected = created;
    if (old == 0) return;
    if (Referenced(old)) {
        pendingDelete_.push_back(old);
    } else {
        writer_.Value(EMR_DELETEOBJECT, old);
        writer_.FreeHandle(old);
    }
}

bool RecordingCanvas::Referenced(uint32_t handle) const {
    if (handle == fontHandle_ || handle == penHandle_ || handle == brushHandle_) return true;
    for (const Selection& s : saved_)
        if (handle == s.fontHandle || handle == s.penHandle || handle == s.brushHandle) return true;
    return false;
}

void RecordingCanvas::RequireFont() {
    if (fontHandle_ == 0 || !SameFontObject(font_, writtenFont_)) {
        uint32_t h = writer_.CreateHandle();
        writer_.CreateFont(h, ToLogFont(font_));
        Replace(fontHandle_, h);
        writtenFont_ = font_;
        writer_.Value(EMR_SETTEXTCOLOR, font_.color);
    } else if (font_.color != writtenFont_.color) {
        writer_.Value(EMR_SETTEXTCOLOR, font_.color);
        writtenFont_.color = font_.color;
    }
}

void RecordingCanvas::RequirePen() {
    // Gaps of styled lines take the background mode of the brush, whatever text set last.
    RequireBkMode(BrushBkMode());
    if (penHandle_ != 0 && pen_ == writtenPen_) return;
    uint32_t h = writer_.CreateHandle();
    writer_.CreatePen(h, static_cast<uint32_t>(pen_.style), pen_.width, pen_.color);
    Replace(penHandle_, h);
    writtenPen_ = pen_;
}

void RecordingCanvas::RequireBrush() {
    if (brushHandle_ != 0 && SameBrushObject(brush_, writtenBrush_)) return;
    uint32_t h = writer_.CreateHandle();
    bool clear = brush_.style == BrushStyle::Clear;
    if (!clear && !brush_.pattern.isNull()) {
        Dib dib = DibOf(brush_.pattern);
        writer_.CreateDibPatternBrush(h, dib.info, dib.bits);
    } else {
        writer_.CreateBrush(h, clear ? BS_NULL : BS_SOLID, brush_.color, 0);
    }
    Replace(brushHandle_, h);
    writtenBrush_ = brush_;
    // Text backgrounds follow the brush: its colour, opaque unless the brush is clear.
    writer_.Value(EMR_SETBKCOLOR, clear ? (~brush_.color & 0xFFFFFF) : brush_.color);
    bkMode_ = BrushBkMode();
    writer_.Value(EMR_SETBKMODE, bkMode_);
}

uint32_t RecordingCanvas::BrushBkMode() const {
    return writtenBrush_.style == BrushStyle::Clear ? TRANSPARENT : OPAQUE;
}

void RecordingCanvas::RequireBkMode(uint32_t mode) {
    if (bkMode_ == mode) return;
    writer_.Value(EMR_SETBKMODE, mode);
    bkMode_ = mode;
}

void RecordingCanvas::RequireStretchMode(uint32_t mode) {
    if (stretchMode_ != mode) SetStretchMode(mode);
}

void RecordingCanvas::MoveTo(int32_t x, int32_t y) {
    writer_.MoveTo({x, y});
    penPos_ = {x, y};
}

void RecordingCanvas::LineTo(int32_t x, int32_t y) {
    RequirePen();
    writer_.LineTo({x, y});
    int32_t half = std::max(pen_.width, 1) / 2;
    RectL r = Normalized(penPos_.x, penPos_.y, x, y);
    writer_.AddBounds({r.left - half, r.top - half, r.right + half, r.bottom + half});
    penPos_ = {x, y};
}

void RecordingCanvas::Polyline(const std::vector<PointL>& points) {
    if (points.empty()) return;
    RequirePen();
    RectL b{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const PointL& p : points) {
        b.left = std::min(b.left, p.x), b.top = std::min(b.top, p.y);
        b.right = std::max(b.right, p.x), b.bottom = std::max(b.bottom, p.y);
    }
    writer_.Polyline(b, points);
    writer_.AddBounds(b);
}

void RecordingCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    RequirePen();
    RequireBrush();
    writer_.Box(EMR_RECTANGLE, {x1, y1, x2, y2});
    writer_.AddBounds(ShapeBounds(x1, y1, x2, y2));
}

void RecordingCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    RequirePen();
    RequireBrush();
    writer_.Box(EMR_ELLIPSE, {x1, y1, x2, y2});
    writer_.AddBounds(ShapeBounds(x1, y1, x2, y2));
}

void RecordingCanvas::FillRect(const RectL& r) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    RequireBrush();
    writer_.PatBlt(r, PATCOPY);
    writer_.AddBounds({r.left, r.top, r.right - 1, r.bottom - 1});
}

// The widths of a font's characters, measured once per thread and font: prepared pages each have
// their canvas, and asking Qt for every character of every text costs more than writing the text.
// Plain numbers only, so that nothing here outlives Qt's font system.
struct CharWidthTable {
    std::array<double, 256> width;
    double ascent = 0, descent = 0;
    CharWidthTable() { width.fill(std::nan("")); }
};

namespace {

std::shared_ptr<CharWidthTable> SharedWidths(const CanvasFont& f, const QFont& font) {
    thread_local std::map<std::string, std::shared_ptr<CharWidthTable>> faces;
    std::string key = f.name;
    key += '\0' + std::to_string(f.height) + ' ' + std::to_string(f.style) + ' ' + std::to_string(f.charSet);
    if (auto it = faces.find(key); it != faces.end()) return it->second;
    if (faces.size() >= 256) faces.clear();
    auto face = std::make_shared<CharWidthTable>();
    QFontMetricsF fm(font);
    face->ascent = fm.ascent(), face->descent = fm.descent();
    faces.emplace(std::move(key), face);
    return face;
}

}  // namespace

const QFont& RecordingCanvas::MeasuringFont() {
    if (!QGuiApplication::instance())
        throw EngineError("Text measurement needs a QGuiApplication");
    if (!measuringFont_ || !SameFontObject(measuredFont_, font_)) {
        measuringFont_ = std::make_unique<QFont>(QtFontFor(font_));
        measuredFont_ = font_;
        measuredFace_ = SharedWidths(font_, *measuringFont_);
    }
    return *measuringFont_;
}

CharWidthTable& RecordingCanvas::MeasuredFace() {
    MeasuringFont();
    return *measuredFace_;
}

double RecordingCanvas::CharWidth(char c) { return WidthIn(MeasuredFace(), c); }

// The font was checked by whoever fetched `face`: text measures one character after another, and
// comparing the font for each of them cost more than the measuring.
double RecordingCanvas::WidthIn(CharWidthTable& face, char c) {
    double& w = face.width[static_cast<unsigned char>(c)];
    if (std::isnan(w))
        w = QFontMetricsF(*measuringFont_).horizontalAdvance(QChar(Cp1252ToUnicode(static_cast<unsigned char>(c))));
    return w;
}

std::vector<double> RecordingCanvas::CharWidths(std::string_view text) {
    if (text.empty()) return {};
    CharWidthTable& face = MeasuredFace();
    std::vector<double> widths(text.size());
    for (size_t i = 0; i < text.size(); ++i) widths[i] = WidthIn(face, text[i]);
    return widths;
}

std::vector<int32_t> RecordingCanvas::CharAdvances(const AnsiString& text) {
    std::vector<int32_t> dx(text.size());
    if (text.empty()) return dx;
    // Rounding the running sum keeps the integer advances adding up to the rounded width.
    CharWidthTable& face = MeasuredFace();
    double sum = 0;
    int64_t placed = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        sum += WidthIn(face, text[i]);
        int64_t next = RoundHalfEven(sum);
        dx[i] = int32_t(next - placed);
        placed = next;
    }
    return dx;
}

int32_t RecordingCanvas::TextWidth(const AnsiString& text) {
    if (text.empty()) return 0;  // an empty text needs no font, nor a QGuiApplication to measure with
    CharWidthTable& face = MeasuredFace();
    double sum = 0;
    for (char c : text) sum += WidthIn(face, c);
    return int32_t(RoundHalfEven(sum));
}

int32_t RecordingCanvas::TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

SizeL RecordingCanvas::TextExtent(const AnsiString& text) {
    const CharWidthTable& face = MeasuredFace();
    return {TextWidth(text), int32_t(std::ceil(face.ascent) + std::ceil(face.descent))};
}

void RecordingCanvas::TextOut(int32_t x, int32_t y, const AnsiString& text) {
    WriteText(nullptr, x, y, text);
}

void RecordingCanvas::TextRect(const RectL& r, int32_t x, int32_t y, const AnsiString& text) {
    WriteText(&r, x, y, text);
}

void RecordingCanvas::WriteText(const RectL* clip, int32_t x, int32_t y, const AnsiString& text) {
    if (text.empty()) return;
    RequireFont();
    RequireBrush();
    RequireBkMode(transparentText_ ? TRANSPARENT : BrushBkMode());
    std::vector<int32_t> dx = CharAdvances(text);
    const CharWidthTable& face = MeasuredFace();
    SizeL extent{0, int32_t(std::ceil(face.ascent) + std::ceil(face.descent))};
    for (int32_t d : dx) extent.cx += d;
    // The text box, turned about the reference point by the escapement (counter-clockwise).
    double a = font_.escapement * M_PI / 1800.0;
    double ux = std::cos(a), uy = -std::sin(a);  // along the baseline
    double vx = std::sin(a), vy = std::cos(a);   // down the glyphs
    double xs[4] = {0, extent.cx * ux, extent.cy * vx, extent.cx * ux + extent.cy * vx};
    double ys[4] = {0, extent.cx * uy, extent.cy * vy, extent.cx * uy + extent.cy * vy};
    // The tolerance keeps right angles exact (cos 90° is not quite 0 in doubles).
    auto lo = [](double v) { return int32_t(std::floor(v + 1e-6)); };
    auto hi = [](double v) { return int32_t(std::ceil(v - 1e-6)); };
    RectL bounds{x + lo(*std::min_element(xs, xs + 4)), y + lo(*std::min_element(ys, ys + 4)),
                 x + hi(*std::max_element(xs, xs + 4)) - 1,
                 y + hi(*std::max_element(ys, ys + 4)) - 1};
    uint32_t options = 0;
    RectL clipRect{0, 0, -1, -1};
    if (clip) {
        options = ETO_CLIPPED;
        clipRect = *clip;
        bounds.left = std::max(bounds.left, clip->left);
        bounds.top = std::max(bounds.top, clip->top);
        bounds.right = std::min(bounds.right, clip->right - 1);
        bounds.bottom = std::min(bounds.bottom, clip->bottom - 1);
        if (bounds.right < bounds.left || bounds.bottom < bounds.top) bounds = {0, 0, -1, -1};
    }
    writer_.ExtTextOutW(bounds, {x, y}, options, clipRect, Cp1252ToUtf16(text), dx);
    writer_.AddBounds(bounds);
}

void RecordingCanvas::WriteImage(const RectL& dest, const QImage& image) {
    if (image.isNull() || dest.right <= dest.left || dest.bottom <= dest.top) return;
    Dib dib = DibOf(image);
    writer_.StretchDIBits(dest, image.width(), image.height(), dib.info, dib.bits, SRCCOPY);
    writer_.AddBounds({dest.left, dest.top, dest.right - 1, dest.bottom - 1});
}

void RecordingCanvas::Draw(int32_t x, int32_t y, const QImage& image) {
    WriteImage({x, y, x + image.width(), y + image.height()}, image);
}

void RecordingCanvas::StretchDraw(const RectL& r, const QImage& image) { WriteImage(r, image); }

void RecordingCanvas::SetStretchMode(uint32_t mode) {
    writer_.Value(EMR_SETSTRETCHBLTMODE, mode);
    stretchMode_ = mode;
}

void RecordingCanvas::DrawPicture(const RectL& r, const QImage& image) {
    if (image.isNull() || r.right <= r.left || r.bottom <= r.top) return;
    const SizeL size = PictureStorageSize({image.width(), image.height()}, r);
    const QImage stored = image.width() == size.cx && image.height() == size.cy
                              ? image
                              : image.scaled(size.cx, size.cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Dib dib = Dib24Of(OnWhite(stored));
    RequireStretchMode(HALFTONE);
    writer_.StretchDIBits(r, size.cx, size.cy, dib.info, dib.bits, SRCCOPY);
    writer_.AddBounds({r.left, r.top, r.right - 1, r.bottom - 1});
}

void RecordingCanvas::IntersectClipRect(const RectL& r) { writer_.Box(EMR_INTERSECTCLIPRECT, r); }

void RecordingCanvas::SaveDC() {
    writer_.Begin(EMR_SAVEDC);
    writer_.End();
    saved_.push_back({writtenFont_, writtenPen_, writtenBrush_, fontHandle_, penHandle_,
                      brushHandle_, penPos_, bkMode_, stretchMode_});
}

void RecordingCanvas::RestoreDC() {
    if (saved_.empty()) return;  // nothing saved: the device context would refuse
    writer_.Value(EMR_RESTOREDC, uint32_t(-1));
    // The device context takes back the objects and colours selected when it was saved.
    Selection s = std::move(saved_.back());
    saved_.pop_back();
    for (uint32_t h : {fontHandle_, penHandle_, brushHandle_})
        if (h != s.fontHandle && h != s.penHandle && h != s.brushHandle) pendingDelete_.push_back(h);
    writtenFont_ = s.font, writtenPen_ = s.pen, writtenBrush_ = s.brush;
    fontHandle_ = s.fontHandle, penHandle_ = s.penHandle, brushHandle_ = s.brushHandle;
    penPos_ = s.penPos;
    bkMode_ = s.bkMode, stretchMode_ = s.stretchMode;
    // Objects replaced while the state was saved can go now that nothing selects them.
    std::vector<uint32_t> still;
    for (uint32_t h : pendingDelete_) {
        if (Referenced(h)) {
            still.push_back(h);
        } else {
            writer_.Value(EMR_DELETEOBJECT, h);
            writer_.FreeHandle(h);
        }
    }
    pendingDelete_ = std::move(still);
}

Metafile RecordingCanvas::Close() {
    if (closed_) throw EngineError("The recording is closed");
    closed_ = true;
    writer_.Value(EMR_SELECTOBJECT, StockHandle(BLACK_PEN));
    writer_.Value(EMR_SELECTOBJECT, StockHandle(NULL_BRUSH));
    writer_.Value(EMR_SELECTOBJECT, StockHandle(SYSTEM_FONT));
    return writer_.Finish();
}

}  // namespace tessaly::emf
