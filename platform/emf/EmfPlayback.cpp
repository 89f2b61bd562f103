#include "platform/emf/EmfPlayback.h"

#include <QPaintEngine>
#include <algorithm>
#include <cmath>

#include "platform/emf/EmfBitmap.h"

namespace tessaly::emf {

namespace {

int32_t ClampToInt(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

QTransform ToTransform(const XForm& x) {
    return QTransform(x.m11, x.m12, x.m21, x.m22, x.dx, x.dy);
}

// Scales beyond a million and shifts beyond ten thousand million cannot come from a sensible
// drawing (coordinates are 32-bit); such transforms are refused like degenerate ones.
bool Sensible(const QTransform& t) {
    auto within = [](double v, double limit) { return std::isfinite(v) && std::fabs(v) <= limit; };
    return within(t.m11(), 1e6) && within(t.m12(), 1e6) && within(t.m21(), 1e6) && within(t.m22(), 1e6) &&
           within(t.dx(), 1e10) && within(t.dy(), 1e10) && std::fabs(t.determinant()) > 1e-12;
}

Font StockFont(const char* face, int height, int weight, uint8_t charSet, uint8_t pitch, uint32_t serial) {
    Font f;
    f.faceName = QString::fromLatin1(face);
    f.height = height;
    f.weight = weight;
    f.charSet = charSet;
    f.pitchAndFamily = pitch;
    f.serial = serial;
    return f;
}

QVector<QRgb> PaletteColours(const std::vector<uint32_t>& entries) {
    QVector<QRgb> colours;
    colours.reserve(qsizetype(entries.size()));
    for (uint32_t e : entries) colours.push_back(qRgb(e & 0xFF, (e >> 8) & 0xFF, (e >> 16) & 0xFF));
    return colours;
}

}  // namespace

Playback::Playback(QPainter& p, const Metafile& metafile, const QRectF& destination)
    : painter(p), metafile_(metafile), destination_(destination) {
    painter.save();
    base_ = painter.worldTransform();
    if (QPaintEngine* engine = painter.paintEngine())
        rasterOps_ = engine->type() == QPaintEngine::Raster && engine->hasFeature(QPaintEngine::RasterOpModes);
    if (painter.hasClipping()) {
        hasInitialClip_ = true;
        initialClip_ = base_.map(painter.clipPath());
        initialClipBox_ = initialClip_.boundingRect().toAlignedRect();
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setOpacity(1.0);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBackgroundMode(Qt::TransparentMode);
    SelectStock(SYSTEM_FONT);
    PlayFrame();
}

Playback::~Playback() {
    painter.restore();
}

// The frame, converted to reference-device pixels, onto the destination rectangle.
void Playback::PlayFrame() {
    const EmrHeader& h = metafile_.Header();
    if (h.device.cx > 0 && h.device.cy > 0 && h.millimeters.cx > 0 && h.millimeters.cy > 0) {
        deviceSize_ = QSizeF(h.device.cx, h.device.cy);
        millimetres_ = QSizeF(h.millimeters.cx, h.millimeters.cy);
    }
    const double px = deviceSize_.width() / (millimetres_.width() * 100.0);
    const double py = deviceSize_.height() / (millimetres_.height() * 100.0);
    QRectF source(QPointF(h.frame.left * px, h.frame.top * py), QPointF(h.frame.right * px, h.frame.bottom * py));
    if (!(source.width() > 0 && source.height() > 0))
        source = QRectF(QPointF(h.bounds.left, h.bounds.top), QPointF(h.bounds.right, h.bounds.bottom));
    if (!(source.width() > 0 && source.height() > 0))
        source = QRectF(0, 0, std::max(1.0, destination_.width()), std::max(1.0, destination_.height()));
    const double sx = destination_.width() / source.width();
    const double sy = destination_.height() / source.height();
    frameMap_ = QTransform(sx, 0, 0, sy, destination_.left() - source.left() * sx,
                           destination_.top() - source.top() * sy);
    MarkAllDirty();
}

QTransform Playback::PageTransform() const {
    const double sx = dc.windowExt.width() ? double(dc.viewportExt.width()) / dc.windowExt.width() : 1.0;
    const double sy = dc.windowExt.height() ? double(dc.viewportExt.height()) / dc.windowExt.height() : 1.0;
    return QTransform(sx, 0, 0, sy, dc.viewportOrg.x() - sx * dc.windowOrg.x(),
                      dc.viewportOrg.y() - sy * dc.windowOrg.y());
}

// The fixed modes take their scale from the reference device the metafile was recorded on.
void Playback::ApplyMapMode(uint32_t mode) {
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
    dc.mapMode = mode;
    const int64_t horzSize = std::llround(millimetres_.width()), vertSize = std::llround(millimetres_.height());
    const int32_t horzRes = int32_t(deviceSize_.width()), vertRes = int32_t(deviceSize_.height());
    auto metric = [&](int64_t unitsPer100mm) {
        dc.windowExt = QSize(ClampToInt(horzSize * unitsPer100mm / 100), ClampToInt(vertSize * unitsPer100mm / 100));
        dc.viewportExt = QSize(horzRes, -vertRes);
    };
    switch (mode) {
    case MM_TEXT:
        dc.windowExt = dc.viewportExt = QSize(1, 1);
        break;
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
        metric(1000);
        break;
    case MM_HIMETRIC: metric(10000); break;
    case MM_LOENGLISH: metric(100000 / 254); break;
    case MM_HIENGLISH: metric(1000000 / 254); break;
    case MM_TWIPS: metric(1440000 / 254); break;
    default: break;  // MM_ANISOTROPIC keeps the extents it finds
    }
    if (dc.windowExt.width() == 0 || dc.windowExt.height() == 0) dc.windowExt = QSize(1, 1);
    transformDirty_ = true;
}

// Isotropic mapping shrinks the larger viewport extent so that both axes scale alike.
void Playback::FixIsotropic() {
    const double xdim = std::fabs(double(dc.viewportExt.width()) * millimetres_.width() /
                                  (deviceSize_.width() * dc.windowExt.width()));
    const double ydim = std::fabs(double(dc.viewportExt.height()) * millimetres_.height() /
                                  (deviceSize_.height() * dc.windowExt.height()));
    if (!(xdim > 0) || !(ydim > 0)) return;
    if (xdim > ydim) {
        const int v = int(std::floor(dc.viewportExt.width() * ydim / xdim + 0.5));
        dc.viewportExt.setWidth(v ? v : (dc.viewportExt.width() >= 0 ? 1 : -1));
    } else {
        const int v = int(std::floor(dc.viewportExt.height() * xdim / ydim + 0.5));
        dc.viewportExt.setHeight(v ? v : (dc.viewportExt.height() >= 0 ? 1 : -1));
    }
}

void Playback::PlayMapping(RecordView r) {
    const bool scalable = dc.mapMode == MM_ISOTROPIC || dc.mapMode == MM_ANISOTROPIC;
    switch (r.Type()) {
    case EMR_SETMAPMODE:
        if (auto v = ParseValue(r)) ApplyMapMode(*v);
        return;
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTORGEX: {
        auto p = ParsePoint(r);
        if (!p) return;
        (r.Type() == EMR_SETWINDOWORGEX ? dc.windowOrg : dc.viewportOrg) = QPoint(p->x, p->y);
        break;
    }
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX: {
        auto s = ParseSize(r);
        if (!s || !scalable || s->cx == 0 || s->cy == 0) return;
        (r.Type() == EMR_SETWINDOWEXTEX ? dc.windowExt : dc.viewportExt) = QSize(s->cx, s->cy);
        if (dc.mapMode == MM_ISOTROPIC) FixIsotropic();
        break;
    }
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        auto s = ParseScaleExtent(r);
        if (!s || !scalable || s->xDenom == 0 || s->yDenom == 0) return;
        QSize& ext = r.Type() == EMR_SCALEWINDOWEXTEX ? dc.windowExt : dc.viewportExt;
        const int32_t w = ClampToInt(int64_t(ext.width()) * s->xNum / s->xDenom);
        const int32_t h = ClampToInt(int64_t(ext.height()) * s->yNum / s->yDenom);
        if (w == 0 || h == 0) return;
        ext = QSize(w, h);
        if (dc.mapMode == MM_ISOTROPIC) FixIsotropic();
        break;
    }
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        auto w = ParseWorldTransform(r);
        if (!w) return;
        const QTransform t = ToTransform(w->xform);
        QTransform next;
        switch (w->mode) {
        case MWT_IDENTITY: break;
        case MWT_LEFTMULTIPLY: next = t * dc.world; break;
        case MWT_RIGHTMULTIPLY: next = dc.world * t; break;
        case MWT_SET: next = t; break;
        default: return;
        }
        if (!Sensible(next)) return;
        dc.world = next;
        break;
    }
    default:
        return;
    }
    transformDirty_ = true;
}

void Playback::PlaySaveRestore(RecordView r) {
    if (r.Type() == EMR_SAVEDC) {
        saved_.push_back(dc);
        return;
    }
    auto v = ParseValue(r);
    if (!v) return;
    const int32_t n = int32_t(*v);
    const int64_t depth = int64_t(saved_.size());
    // Negative: relative to the last save; positive: the n-th saved state, counted from 1.
    const int64_t index = n < 0 ? depth + n : int64_t(n) - 1;
    if (n == 0 || index < 0 || index >= depth) return;
    dc = std::move(saved_[size_t(index)]);
    saved_.resize(size_t(index));
    MarkAllDirty();
}

QColor Playback::Colour(ColorRef ref) const {
    if ((ref >> 24) == 0x01) {  // PALETTEINDEX
        const uint32_t index = ref & 0xFFFF;
        const QVector<QRgb>& pal = dc.palette.isEmpty() ? DefaultPalette() : dc.palette;
        return index < uint32_t(pal.size()) ? QColor(pal[index]) : QColor(Qt::black);
    }
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

void Playback::SelectStock(uint32_t index) {
    auto solidBrush = [&](int grey) {
        dc.brush = Brush{};
        dc.brush.colour = QColor(grey, grey, grey);
        brushDirty_ = true;
    };
    auto pen = [&](uint32_t style, QColor colour) {
        dc.pen = Pen{};
        dc.pen.style = style;
        dc.pen.colour = colour;
        penDirty_ = true;
    };
    const uint32_t serial = 0x80000000u | index;
    switch (index) {
    case WHITE_BRUSH: solidBrush(255); break;
    case LTGRAY_BRUSH: solidBrush(192); break;
    case GRAY_BRUSH: solidBrush(128); break;
    case DKGRAY_BRUSH: solidBrush(64); break;
    case BLACK_BRUSH: solidBrush(0); break;
    case DC_BRUSH: solidBrush(255); break;
    case NULL_BRUSH:
        dc.brush = Brush{};
        dc.brush.style = BS_NULL;
        brushDirty_ = true;
        break;
    case WHITE_PEN: pen(PS_SOLID, Qt::white); break;
    case BLACK_PEN:
    case DC_PEN: pen(PS_SOLID, Qt::black); break;
    case NULL_PEN: pen(PS_NULL, Qt::black); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        dc.font = StockFont("Courier New", 13, FW_NORMAL, ANSI_CHARSET, 0x31, serial);
        break;
    case ANSI_VAR_FONT:
        dc.font = StockFont("MS Sans Serif", 13, FW_NORMAL, ANSI_CHARSET, 0x22, serial);
        break;
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        dc.font = StockFont("System", 16, FW_BOLD, ANSI_CHARSET, 0x22, serial);
        break;
    case DEFAULT_GUI_FONT:
        dc.font = StockFont("MS Shell Dlg", -11, FW_NORMAL, ANSI_CHARSET, 0x22, serial);
        break;
    case DEFAULT_PALETTE:
        dc.palette.clear();
        selectedPalette_ = 0;
        break;
    default:
        break;
    }
}

void Playback::SelectObject(uint32_t handle) {
    if (IsStockHandle(handle)) {
        SelectStock(handle & ~kStockObjectFlag);
        return;
    }
    auto it = objects_.find(handle);
    if (it == objects_.end()) return;  // unknown handles are ignored
    if (auto* pen = std::get_if<Pen>(&it->second)) {
        dc.pen = *pen;
        penDirty_ = true;
    } else if (auto* brush = std::get_if<Brush>(&it->second)) {
        dc.brush = *brush;
        brushDirty_ = true;
    } else if (auto* font = std::get_if<Font>(&it->second)) {
        dc.font = *font;
    }
}

void Playback::PlayObject(RecordView r) {
    const uint32_t type = r.Type();
    switch (type) {
    case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_SELECTPALETTE:
        if (const auto handle = ParseValue(r)) UseObject(type, *handle);
        return;
    case EMR_CREATEPEN:
        if (const auto c = ParseCreatePen(r)) StoreObject(c->handle, NewPen(*c));
        return;
    case EMR_EXTCREATEPEN:
        if (const auto c = ParseExtCreatePen(r)) StoreObject(c->handle, NewPen(*c));
        return;
    case EMR_CREATEBRUSHINDIRECT:
        if (const auto c = ParseCreateBrush(r)) StoreObject(c->handle, NewBrush(*c));
        return;
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
        if (const auto c = ParseCreateDibBrush(r)) StoreObject(c->handle, NewPatternBrush(*c, type == EMR_CREATEMONOBRUSH));
        return;
    case EMR_EXTCREATEFONTINDIRECTW:
        if (const auto c = ParseCreateFont(r)) StoreObject(c->handle, NewFont(c->font));
        return;
    case EMR_CREATEPALETTE:
        if (const auto c = ParseCreatePalette(r)) StoreObject(c->handle, Palette{PaletteColours(c->entries)});
        return;
    case EMR_SETPALETTEENTRIES:
        if (const auto c = ParseSetPaletteEntries(r)) SetPaletteEntries(*c);
        return;
    default:
        return;
    }
}

// SELECTOBJECT, DELETEOBJECT and SELECTPALETTE of a handle.
void Playback::UseObject(uint32_t type, uint32_t handle) {
    if (type == EMR_SELECTOBJECT) {
        SelectObject(handle);
    } else if (type == EMR_DELETEOBJECT) {
        if (!IsStockHandle(handle)) objects_.erase(handle);
        if (handle == selectedPalette_) selectedPalette_ = 0;
    } else if (IsStockHandle(handle)) {
        SelectStock(handle & ~kStockObjectFlag);
    } else if (auto it = objects_.find(handle); it != objects_.end()) {
        if (auto* pal = std::get_if<Palette>(&it->second)) {
            dc.palette = pal->colours;
            selectedPalette_ = handle;
        }
    }
}

// Handle 0 is the metafile itself and stock handles are never created.
void Playback::StoreObject(uint32_t handle, GdiObject object) {
    if (handle != 0 && !IsStockHandle(handle)) objects_[handle] = std::move(object);
}

Pen Playback::NewPen(const EmrCreatePen& c) const {
    Pen pen;
    pen.style = c.style & PS_STYLE_MASK;
    pen.width = std::abs(double(c.width.x));
    pen.colour = Colour(c.color);
    // A pen wider than one unit cannot be styled: it draws solid.
    if (pen.width > 1 && pen.Kind() >= PS_DASH && pen.Kind() <= PS_DASHDOTDOT) pen.style = PS_SOLID;
    return pen;
}

Pen Playback::NewPen(const EmrExtCreatePen& c) const {
    Pen pen;
    pen.style = c.style;
    pen.width = pen.IsGeometric() ? double(c.width) : 0.0;  // cosmetic pens are one pixel
    pen.colour = Colour(c.color);
    if (c.brushStyle == BS_NULL) pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
    if (pen.Kind() == PS_USERSTYLE && c.styleEntries.size() <= 16) pen.userStyle = c.styleEntries;
    return pen;
}

Brush Playback::NewBrush(const EmrCreateBrush& c) const {
    Brush brush;
    brush.style = c.style == BS_NULL || c.style == BS_HATCHED ? c.style : BS_SOLID;
    brush.colour = Colour(c.color);
    brush.hatch = c.hatch;
    return brush;
}

Brush Playback::NewPatternBrush(const EmrCreateDibBrush& c, bool mono) const {
    DibDecodeOptions options;
    options.usage = c.usage;
    options.palette = &dc.palette;
    options.keepMono = mono;
    Brush brush;
    brush.style = BS_DIBPATTERNPT;
    brush.pattern = DecodeDib(c.bmi, c.bits, options);
    brush.mono = mono && brush.pattern.format() == QImage::Format_Mono;
    if (brush.pattern.isNull()) {  // an unusable pattern paints grey
        brush.style = BS_SOLID;
        brush.colour = QColor(128, 128, 128);
    }
    return brush;
}

Font Playback::NewFont(const LogFontW& f) {
    Font font;
    font.height = f.height;
    font.width = f.width;
    font.escapement = f.escapement;
    font.orientation = f.orientation;
    font.weight = f.weight;
    font.italic = f.italic != 0;
    font.underline = f.underline != 0;
    font.strikeOut = f.strikeOut != 0;
    font.charSet = f.charSet;
    font.pitchAndFamily = f.pitchAndFamily;
    font.faceName = QString::fromUtf16(f.faceName.data(), qsizetype(f.faceName.size()));
    font.serial = ++fontSerial_;
    return font;
}

void Playback::SetPaletteEntries(const EmrSetPaletteEntries& c) {
    auto it = objects_.find(c.handle);
    auto* pal = it == objects_.end() ? nullptr : std::get_if<Palette>(&it->second);
    if (!pal) return;
    const QVector<QRgb> colours = PaletteColours(c.entries);
    for (qsizetype i = 0; i < colours.size(); ++i) {
        const uint64_t at = uint64_t(c.start) + uint64_t(i);
        if (at >= 1024) break;  // a logical palette has at most 1024 entries
        if (at >= uint64_t(pal->colours.size())) pal->colours.resize(qsizetype(at + 1));
        pal->colours[qsizetype(at)] = colours[i];
    }
    if (c.handle == selectedPalette_) dc.palette = pal->colours;
}

// Records of one value or point that only change the state.
void Playback::PlayValue(RecordView r) {
    const uint32_t type = r.Type();
    if (type == EMR_SETBRUSHORGEX || type == EMR_MOVETOEX) {
        auto p = ParsePoint(r);
        if (!p) return;
        if (type == EMR_SETBRUSHORGEX) {
            dc.brushOrg = QPoint(p->x, p->y);
            return;
        }
        dc.currentPosition = QPointF(p->x, p->y);
        if (dc.pathOpen) dc.path.moveTo(LogicalToDevice().map(dc.currentPosition));
        return;
    }
    auto value = ParseValue(r);
    if (!value) return;
    const uint32_t v = *value;
    switch (type) {
    case EMR_SETBKMODE:
        if (v == TRANSPARENT || v == OPAQUE) dc.bkMode = v;
        brushDirty_ = true;
        return;
    case EMR_SETPOLYFILLMODE:
        if (v == ALTERNATE || v == WINDING) dc.polyFillMode = v;
        return;
    case EMR_SETROP2:
        if (v >= R2_BLACK && v <= R2_WHITE) dc.rop2 = v;
        return;
    case EMR_SETSTRETCHBLTMODE:
        dc.stretchMode = v;
        return;
    case EMR_SETTEXTALIGN:
        dc.textAlign = v;
        return;
    case EMR_SETTEXTCOLOR:
        dc.textColour = Colour(v);
        brushDirty_ = true;  // monochrome patterns draw in the text colour
        return;
    case EMR_SETBKCOLOR:
        dc.bkColour = Colour(v);
        brushDirty_ = true;
        return;
    case EMR_SETARCDIRECTION:
        if (v == AD_COUNTERCLOCKWISE || v == AD_CLOCKWISE) dc.arcDirection = v;
        return;
    case EMR_SETMITERLIMIT: {
        // Written as an integer by most programs and as a float by some.
        const double limit = v < 0x10000 ? double(v) : double(*r.F32(8));
        if (std::isfinite(limit) && limit >= 1 && limit < 1e6) dc.miterLimit = limit;
        penDirty_ = true;
        return;
    }
    case EMR_SETLAYOUT:
        dc.layout = v;
        return;
    default:
        return;
    }
}

void Playback::Play(RecordView r) {
    if (ended_) return;
    switch (r.Type()) {
    case EMR_HEADER:
        return;
    case EMR_EOF:
        ended_ = true;
        return;
    case EMR_SETMAPMODE: case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX: case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX:
    case EMR_SETWORLDTRANSFORM: case EMR_MODIFYWORLDTRANSFORM:
        PlayMapping(r);
        return;
    case EMR_SAVEDC: case EMR_RESTOREDC:
        PlaySaveRestore(r);
        return;
    case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_CREATEPEN: case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT: case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_EXTCREATEFONTINDIRECTW: case EMR_CREATEPALETTE: case EMR_SELECTPALETTE: case EMR_SETPALETTEENTRIES:
        PlayObject(r);
        return;
    case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETROP2: case EMR_SETSTRETCHBLTMODE:
    case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR: case EMR_SETBRUSHORGEX:
    case EMR_SETARCDIRECTION: case EMR_SETMITERLIMIT: case EMR_SETLAYOUT: case EMR_MOVETOEX:
        PlayValue(r);
        return;
    case EMR_SETPIXELV: case EMR_LINETO: case EMR_RECTANGLE: case EMR_ELLIPSE: case EMR_ROUNDRECT:
    case EMR_ANGLEARC: case EMR_ARC: case EMR_ARCTO: case EMR_CHORD: case EMR_PIE:
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: case EMR_POLYDRAW: case EMR_POLYDRAW16:
        PlayShape(r);
        return;
    case EMR_BEGINPATH: case EMR_ENDPATH: case EMR_CLOSEFIGURE: case EMR_FILLPATH: case EMR_STROKEANDFILLPATH:
    case EMR_STROKEPATH: case EMR_FLATTENPATH: case EMR_WIDENPATH: case EMR_ABORTPATH:
        PlayPath(r);
        return;
    case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN:
        PlayRegion(r);
        return;
    case EMR_GRADIENTFILL:
        PlayGradient(r);
        return;
    case EMR_OFFSETCLIPRGN: case EMR_SETMETARGN: case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT:
    case EMR_EXTSELECTCLIPRGN: case EMR_SELECTCLIPPATH:
        PlayClip(r);
        return;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW:
    case EMR_SMALLTEXTOUT:
        PlayText(r);
        return;
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_PLGBLT: case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
        PlayBlit(r);
        return;
    default:
        // Comments (EMF+ included), palette realisation, colour management, escapes: nothing to draw.
        return;
    }
}

// ---- Painter synchronisation ----

void Playback::SyncTransform() {
    SyncClip();
    if (space_ != Space::Logical || transformDirty_) {
        painter.setWorldTransform(LogicalToOutput());
        space_ = Space::Logical;
        transformDirty_ = false;
        brushDirty_ = true;  // patterns are kept in destination pixels
        penDirty_ = true;
    }
}

void Playback::SyncToOutput() {
    SyncClip();
    if (space_ != Space::Device) {
        painter.setWorldTransform(DeviceToOutput());
        space_ = Space::Device;
        brushDirty_ = true;
        penDirty_ = true;
    }
}

void Playback::PreparePen() {
    if (!penDirty_) return;
    painter.setPen(MakePen(space_ == Space::Device));
    penDirty_ = false;
}

void Playback::PrepareBrush() {
    if (!brushDirty_) return;
    painter.setBrush(MakeBrush(dc.brush));
    painter.setBackground(dc.bkColour);
    painter.setBackgroundMode(dc.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    brushDirty_ = false;
}

QPen Playback::MakePen(bool devicePath) const {
    const Pen& p = dc.pen;
    if (p.IsNull()) return QPen(Qt::NoPen);
    QPen pen(p.colour);
    const QTransform toOutput = devicePath ? DeviceToOutput() : LogicalToOutput();
    const double outputScale = std::sqrt(std::fabs(toOutput.determinant()));
    double width = p.width;
    if (devicePath) width *= std::sqrt(std::fabs(LogicalToDevice().determinant()));
    // Thinner than one destination pixel draws as one pixel, as the platform does.
    if (width <= 0 || width * outputScale < 1.0) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    } else {
        pen.setWidthF(width);
    }
    switch (p.Kind()) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    case PS_ALTERNATE: pen.setDashPattern({1, 1}); break;
    case PS_USERSTYLE: {
        QList<qreal> dashes;
        const double unit = width > 0 ? width : 1.0;
        for (uint32_t v : p.userStyle) dashes.push_back(std::max(0.1, double(v) / unit));
        if (dashes.size() % 2) dashes.push_back(dashes.back());
        if (!dashes.isEmpty()) pen.setDashPattern(dashes);
        break;
    }
    default: break;
    }
    if (p.IsGeometric() || p.width > 1) {
        switch (p.style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE: pen.setCapStyle(Qt::SquareCap); break;
        case PS_ENDCAP_FLAT: pen.setCapStyle(Qt::FlatCap); break;
        default: pen.setCapStyle(Qt::RoundCap); break;
        }
        switch (p.style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL: pen.setJoinStyle(Qt::BevelJoin); break;
        case PS_JOIN_MITER:
            pen.setJoinStyle(Qt::MiterJoin);
            pen.setMiterLimit(dc.miterLimit);
            break;
        default: pen.setJoinStyle(Qt::RoundJoin); break;
        }
    } else {
        pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
}

QBrush Playback::MakeBrush(const Brush& b) const {
    QBrush brush;
    switch (b.style) {
    case BS_NULL:
        return QBrush(Qt::NoBrush);
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::BDiagPattern,
                                                 Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        brush = QBrush(b.colour, b.hatch <= HS_DIAGCROSS ? hatches[b.hatch] : Qt::SolidPattern);
        break;
    }
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
    case BS_PATTERN: {
        if (b.pattern.isNull()) return QBrush(b.colour);
        QImage pattern = b.pattern;
        if (b.mono) pattern.setColorTable({dc.textColour.rgb(), dc.bkColour.rgb()});
        brush = QBrush(pattern);
        break;
    }
    default:
        return QBrush(b.colour);
    }
    // Patterns stay in destination pixels whatever the mapping.
    const QTransform t = painter.worldTransform();
    const QTransform linear(t.m11(), t.m12(), t.m21(), t.m22(), 0, 0);
    if (linear.isInvertible()) brush.setTransform(linear.inverted());
    return brush;
}

bool Playback::BeginRop2() {
    if (dc.rop2 == R2_COPYPEN) return true;
    if (dc.rop2 == R2_NOP) return false;
    if (!rasterOps_) return dc.rop2 != R2_NOT;
    static const QPainter::CompositionMode modes[] = {
        QPainter::RasterOp_ClearDestination,              // R2_BLACK
        QPainter::RasterOp_NotSourceAndNotDestination,    // R2_NOTMERGEPEN
        QPainter::RasterOp_NotSourceAndDestination,       // R2_MASKNOTPEN
        QPainter::RasterOp_NotSource,                     // R2_NOTCOPYPEN
        QPainter::RasterOp_SourceAndNotDestination,       // R2_MASKPENNOT
        QPainter::RasterOp_NotDestination,                // R2_NOT
        QPainter::RasterOp_SourceXorDestination,          // R2_XORPEN
        QPainter::RasterOp_NotSourceOrNotDestination,     // R2_NOTMASKPEN
        QPainter::RasterOp_SourceAndDestination,          // R2_MASKPEN
        QPainter::RasterOp_NotSourceXorDestination,       // R2_NOTXORPEN
        QPainter::CompositionMode_DestinationOver,        // R2_NOP (not reached)
        QPainter::RasterOp_NotSourceOrDestination,        // R2_MERGENOTPEN
        QPainter::CompositionMode_SourceOver,             // R2_COPYPEN (not reached)
        QPainter::RasterOp_SourceOrNotDestination,        // R2_MERGEPENNOT
        QPainter::RasterOp_SourceOrDestination,           // R2_MERGEPEN
        QPainter::RasterOp_SetDestination,                // R2_WHITE
    };
    painter.setCompositionMode(modes[dc.rop2 - 1]);
    return true;
}

void Playback::EndRop2() {
    if (dc.rop2 != R2_COPYPEN && rasterOps_) painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---- Player ----

Player::Player(QPainter& painter, const Metafile& metafile, const QRectF& destination)
    : playback_(std::make_unique<Playback>(painter, metafile, destination)) {}

Player::~Player() = default;

void Player::Play() {
    for (RecordView record : playback_->Source().Records()) {
        playback_->Play(record);
        if (playback_->Ended()) break;
    }
}

bool Player::Enumerate(const RecordHandler& handler) {
    for (RecordView record : playback_->Source().Records()) {
        switch (handler(*this, record)) {
        case RecordAction::Stop:
            return false;
        case RecordAction::Play:
            playback_->Play(record);
            break;
        case RecordAction::Skip:
            break;
        }
        if (record.Type() == EMR_EOF) break;
    }
    return true;
}

void Player::PlayRecord(RecordView record) {
    playback_->Play(record);
}

const DeviceContext& Player::Dc() const {
    return playback_->dc;
}

void Player::SetTextColour(const QColor& colour) {
    playback_->dc.textColour = colour;
    playback_->MarkBrushDirty();
}

void Player::SetBkColour(const QColor& colour) {
    playback_->dc.bkColour = colour;
    playback_->MarkBrushDirty();
}

void Player::SetBkMode(uint32_t mode) {
    if (mode == TRANSPARENT || mode == OPAQUE) playback_->dc.bkMode = mode;
    playback_->MarkBrushDirty();
}

QPointF Player::LogicalToDevice(const QPointF& point) const {
    return playback_->LogicalToOutput().map(point);
}

QRectF Player::LogicalToDevice(const QRectF& rect) const {
    return playback_->LogicalToOutput().mapRect(rect);
}

QPointF Player::DeviceToLogical(const QPointF& point) const {
    bool invertible = false;
    const QTransform inverse = playback_->LogicalToOutput().inverted(&invertible);
    return invertible ? inverse.map(point) : point;
}

QRect Player::DeviceClipBox() const {
    return playback_->InitialClipBox();
}

void Player::StretchDIBits(int32_t xDest, int32_t yDest, int32_t cxDest, int32_t cyDest, int32_t xSrc,
                           int32_t ySrc, int32_t cxSrc, int32_t cySrc, std::span<const uint8_t> info,
                           std::span<const uint8_t> bits, uint32_t usage, uint32_t rop) {
    playback_->StretchDib(QRectF(xDest, yDest, cxDest, cyDest), xSrc, ySrc, cxSrc, cySrc, info, bits, usage, rop);
}

void PlayMetafile(QPainter& painter, const Metafile& metafile, const QRectF& destination) {
    if (metafile.Empty()) return;
    Player(painter, metafile, destination).Play();
}

}  // namespace tessaly::emf
