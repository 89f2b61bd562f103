// Shapes, lines, curves, path brackets, region painting and gradients.
#include <QLinearGradient>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/emf/EmfPlayback.h"

namespace tessaly::emf {

namespace {

constexpr uint8_t PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;

QPointF ToPoint(const PointL& p) {
    return QPointF(p.x, p.y);
}

QRectF ToRect(const RectL& r) {
    return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized();
}

QPolygonF ToPolygon(const std::vector<PointL>& points, size_t from = 0, size_t count = SIZE_MAX) {
    QPolygonF out;
    const size_t end = std::min(points.size(), count == SIZE_MAX ? points.size() : from + count);
    out.reserve(qsizetype(end - std::min(from, end)));
    for (size_t i = from; i < end; ++i) out.push_back(ToPoint(points[i]));
    return out;
}

}  // namespace

// Figures continue from the current point exactly: a near-zero segment left by rounding would get a
// join in an arbitrary direction, which a large miter limit turns into a long spike.
void Playback::AppendToPath(const QPainterPath& logical, bool connect) {
    const QTransform t = LogicalToDevice();
    QPainterPath& path = dc.path;
    for (int i = 0; i < logical.elementCount(); ++i) {
        const QPainterPath::Element e = logical.elementAt(i);
        const QPointF p = t.map(QPointF(e.x, e.y));
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (i == 0 && connect && path.elementCount() > 0) {
                const QPointF at = path.currentPosition();
                if (std::abs(at.x() - p.x()) > 1e-6 || std::abs(at.y() - p.y()) > 1e-6) path.lineTo(p);
            } else {
                path.moveTo(p);
            }
            break;
        case QPainterPath::LineToElement:
            path.lineTo(p);
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < logical.elementCount()) {
                const QPainterPath::Element c2 = logical.elementAt(i + 1), end = logical.elementAt(i + 2);
                path.cubicTo(p, t.map(QPointF(c2.x, c2.y)), t.map(QPointF(end.x, end.y)));
                i += 2;
            }
            break;
        default:
            break;
        }
    }
}

// Pen and brush for one shape; a shape drawn without outline or filling gets none.
void Playback::PrepareOutline(bool stroke, bool fill) {
    if (stroke) {
        PreparePen();
    } else {
        painter.setPen(Qt::NoPen);
        penDirty_ = true;
    }
    if (fill) {
        PrepareBrush();
    } else {
        painter.setBrush(Qt::NoBrush);
        brushDirty_ = true;
    }
}

void Playback::Emit(const QPainterPath& logical, bool fill, bool stroke) {
    if (dc.pathOpen) {
        AppendToPath(logical, false);
        return;
    }
    SyncTransform();
    if (!BeginRop2()) return;
    PrepareOutline(stroke, fill);
    QPainterPath path = logical;
    path.setFillRule(dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    painter.drawPath(path);
    EndRop2();
}

void Playback::EmitRect(const QRectF& logical, bool fill, bool stroke) {
    if (dc.pathOpen) {
        QPainterPath p;
        p.addRect(logical);
        AppendToPath(p, false);
        return;
    }
    SyncTransform();
    if (!BeginRop2()) return;
    PrepareOutline(stroke, fill);
    painter.drawRect(logical);
    EndRop2();
}

void Playback::DrawDevicePath(const QPainterPath& device, bool fill, bool stroke) {
    SyncToOutput();
    if (!BeginRop2()) return;
    PrepareOutline(stroke, fill);
    QPainterPath path = device;
    path.setFillRule(dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    painter.drawPath(path);
    EndRop2();
}

void Playback::PlayShape(RecordView r) {
    switch (r.Type()) {
    case EMR_SETPIXELV: {
        auto px = ParseSetPixel(r);
        if (!px || dc.pathOpen) return;
        const QPointF device = LogicalToDevice().map(ToPoint(px->point));
        SyncToOutput();
        painter.fillRect(QRectF(QPointF(std::floor(device.x()), std::floor(device.y())), QSizeF(1, 1)),
                         Colour(px->color));
        return;
    }
    case EMR_LINETO: {
        auto p = ParsePoint(r);
        if (!p) return;
        const QPointF to = ToPoint(*p);
        if (dc.pathOpen) {
            QPainterPath line(dc.currentPosition);
            line.lineTo(to);
            AppendToPath(line, true);
        } else {
            SyncTransform();
            if (BeginRop2()) {
                PreparePen();
                painter.drawLine(dc.currentPosition, to);
                EndRop2();
            }
        }
        dc.currentPosition = to;
        return;
    }
    case EMR_RECTANGLE:
        if (auto box = ParseRect(r)) EmitRect(ToRect(*box), true, true);
        return;
    case EMR_ELLIPSE:
        if (auto box = ParseRect(r)) {
            QPainterPath p;
            p.addEllipse(ToRect(*box));
            Emit(p, true, true);
        }
        return;
    case EMR_ROUNDRECT:
        if (auto rr = ParseRoundRect(r)) {
            QPainterPath p;
            p.addRoundedRect(ToRect(rr->box), std::abs(rr->corner.cx) / 2.0, std::abs(rr->corner.cy) / 2.0);
            Emit(p, true, true);
        }
        return;
    case EMR_ARC: case EMR_ARCTO: case EMR_CHORD: case EMR_PIE: case EMR_ANGLEARC:
        PlayArc(r);
        return;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
        PlayPolyPoly(r);
        return;
    case EMR_POLYDRAW: case EMR_POLYDRAW16:
        PlayPolyDraw(r);
        return;
    default:
        PlayPoly(r);
        return;
    }
}

void Playback::PlayPoly(RecordView r) {
    auto poly = ParsePoly(r);
    if (!poly || poly->points.empty()) return;
    const uint32_t type = r.Type();
    const uint32_t base = type >= EMR_POLYBEZIER16 ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type;
    const QPolygonF pts = ToPolygon(poly->points);
    QPainterPath path;
    switch (base) {
    case EMR_POLYGON:
        if (dc.pathOpen) {
            path.addPolygon(pts);
            path.closeSubpath();
            AppendToPath(path, false);
            return;
        }
        SyncTransform();
        if (!BeginRop2()) return;
        PrepareOutline(true, true);
        painter.drawPolygon(pts, dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        EndRop2();
        return;
    case EMR_POLYLINE:
        if (dc.pathOpen) {
            path.addPolygon(pts);
            AppendToPath(path, false);
            return;
        }
        SyncTransform();
        if (!BeginRop2()) return;
        PreparePen();
        painter.drawPolyline(pts);
        EndRop2();
        return;
    case EMR_POLYLINETO:
        path.moveTo(dc.currentPosition);
        for (const QPointF& p : pts) path.lineTo(p);
        dc.currentPosition = pts.back();
        if (dc.pathOpen) AppendToPath(path, true);
        else Emit(path, false, true);
        return;
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIERTO: {
        qsizetype i = 0;
        if (base == EMR_POLYBEZIER) path.moveTo(pts[i++]);
        else path.moveTo(dc.currentPosition);
        for (; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        if (base == EMR_POLYBEZIERTO) {
            dc.currentPosition = path.currentPosition();
            if (dc.pathOpen) {
                AppendToPath(path, true);
                return;
            }
        }
        Emit(path, false, true);
        return;
    }
    default:
        return;
    }
}

void Playback::PlayPolyPoly(RecordView r) {
    auto poly = ParsePolyPoly(r);
    if (!poly) return;
    const bool polygon = r.Type() == EMR_POLYPOLYGON || r.Type() == EMR_POLYPOLYGON16;
    QPainterPath path;
    size_t next = 0;
    for (uint32_t n : poly->counts) {
        if (n > poly->points.size() - next) return;
        if (n == 0) continue;
        path.addPolygon(ToPolygon(poly->points, next, n));
        if (polygon) path.closeSubpath();
        next += n;
    }
    Emit(path, polygon, true);
}

void Playback::PlayPolyDraw(RecordView r) {
    auto draw = ParsePolyDraw(r);
    if (!draw || draw->types.size() != draw->points.size()) return;
    const size_t count = draw->points.size();
    QPainterPath path(dc.currentPosition);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t t = draw->types[i];
        const uint8_t kind = t & ~PT_CLOSEFIGURE;
        if (kind == PT_MOVETO) {
            path.moveTo(ToPoint(draw->points[i]));
        } else if (kind == PT_LINETO) {
            path.lineTo(ToPoint(draw->points[i]));
        } else if (kind == PT_BEZIERTO && i + 2 < count) {
            path.cubicTo(ToPoint(draw->points[i]), ToPoint(draw->points[i + 1]), ToPoint(draw->points[i + 2]));
            i += 2;
        } else {
            break;  // an unknown point type (or a short curve) ends the drawing, as a failed call would
        }
        if (t & PT_CLOSEFIGURE) path.closeSubpath();
    }
    dc.currentPosition = path.currentPosition();
    if (dc.pathOpen) AppendToPath(path, true);
    else Emit(path, false, true);
}

void Playback::PlayArc(RecordView r) {
    // Qt's angles turn counter-clockwise on a y-down surface; a y-up mapping mirrors them.
    const bool yUp = LogicalToDevice().determinant() < 0;
    QPainterPath path;
    if (r.Type() == EMR_ANGLEARC) {
        auto a = ParseAngleArc(r);
        if (!a || !std::isfinite(a->startAngle) || !std::isfinite(a->sweepAngle) || a->radius > (1u << 30)) return;
        const double radius = a->radius;
        const QPointF centre = ToPoint(a->center);
        const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        const double sign = yUp ? -1 : 1;
        path.moveTo(dc.currentPosition);
        path.arcTo(box, sign * a->startAngle, sign * std::clamp(double(a->sweepAngle), -3600.0, 3600.0));
        dc.currentPosition = path.currentPosition();
        if (dc.pathOpen) AppendToPath(path, true);
        else Emit(path, false, true);
        return;
    }
    auto arc = ParseArc(r);
    if (!arc) return;
    const QRectF box = ToRect(arc->box);
    if (box.width() <= 0 || box.height() <= 0) return;
    const QPointF c = box.center();
    auto angle = [&](const PointL& p) {
        return std::atan2(-(p.y - c.y()) / box.height(), (p.x - c.x()) / box.width()) * 180 / std::numbers::pi;
    };
    const double a1 = angle(arc->start), a2 = angle(arc->end);
    const bool positive = (dc.arcDirection == AD_COUNTERCLOCKWISE) != yUp;
    double sweep = positive ? a2 - a1 : a1 - a2;
    while (sweep <= 1e-9) sweep += 360;
    while (sweep > 360) sweep -= 360;
    if (arc->start == arc->end) sweep = 360;
    if (!positive) sweep = -sweep;
    switch (r.Type()) {
    case EMR_ARC:
        path.arcMoveTo(box, a1);
        path.arcTo(box, a1, sweep);
        Emit(path, false, true);
        return;
    case EMR_ARCTO:
        path.moveTo(dc.currentPosition);
        path.arcTo(box, a1, sweep);
        dc.currentPosition = path.currentPosition();
        if (dc.pathOpen) AppendToPath(path, true);
        else Emit(path, false, true);
        return;
    case EMR_CHORD:
        path.arcMoveTo(box, a1);
        path.arcTo(box, a1, sweep);
        path.closeSubpath();
        Emit(path, true, true);
        return;
    default:  // EMR_PIE
        path.moveTo(c);
        path.arcTo(box, a1, sweep);
        path.closeSubpath();
        Emit(path, true, true);
        return;
    }
}

void Playback::PlayPath(RecordView r) {
    switch (r.Type()) {
    case EMR_BEGINPATH:
        dc.path = QPainterPath();
        dc.pathOpen = true;
        dc.pathClosed = false;
        return;
    case EMR_ENDPATH:
        if (!dc.pathOpen) return;
        dc.pathOpen = false;
        dc.pathClosed = true;
        return;
    case EMR_CLOSEFIGURE:
        if (dc.pathOpen) dc.path.closeSubpath();
        return;
    case EMR_ABORTPATH:
        dc.path = QPainterPath();
        dc.pathOpen = dc.pathClosed = false;
        return;
    case EMR_FLATTENPATH: {
        if (!dc.pathClosed) return;
        QPainterPath flat;
        for (const QPolygonF& poly : dc.path.toSubpathPolygons()) flat.addPolygon(poly);
        dc.path = flat;
        return;
    }
    case EMR_WIDENPATH: {
        if (!dc.pathClosed) return;
        const QPen pen = MakePen(true);
        QPainterPathStroker stroker(pen);
        if (pen.isCosmetic()) stroker.setWidth(1.0);
        dc.path = stroker.createStroke(dc.path);
        return;
    }
    default: {  // FILLPATH, STROKEPATH, STROKEANDFILLPATH
        if (dc.pathOpen) {  // drawing an open bracket ends it, as lenient writers expect
            dc.pathOpen = false;
            dc.pathClosed = true;
        }
        if (!dc.pathClosed) return;
        const bool fill = r.Type() != EMR_STROKEPATH, stroke = r.Type() != EMR_FILLPATH;
        const QPainterPath path = dc.path;
        dc.path = QPainterPath();
        dc.pathClosed = false;
        DrawDevicePath(path, fill, stroke);
        return;
    }
    }
}

void Playback::PlayRegion(RecordView r) {
    auto g = ParseRegion(r);
    if (!g || !g->hasRegion || g->region.rects.empty() || dc.pathOpen) return;
    QPainterPath region;
    for (const RectL& rect : g->region.rects) region.addRect(ToRect(rect));
    region.setFillRule(Qt::WindingFill);
    const uint32_t type = r.Type();
    if (type == EMR_PAINTRGN) {
        Emit(region, true, false);
        return;
    }
    SyncTransform();
    if (type == EMR_INVERTRGN) {
        if (!rasterOps_) return;
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillPath(region, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    // FILLRGN and FRAMERGN paint with a brush of their own.
    Brush brush;
    if (IsStockHandle(g->brush)) {
        const Brush keep = dc.brush;
        SelectStock(g->brush & ~kStockObjectFlag);
        brush = dc.brush;
        dc.brush = keep;
    } else if (auto it = objects_.find(g->brush); it != objects_.end() && std::holds_alternative<Brush>(it->second)) {
        brush = std::get<Brush>(it->second);
    } else {
        return;
    }
    brushDirty_ = penDirty_ = true;
    if (type == EMR_FILLRGN) {
        painter.fillPath(region, MakeBrush(brush));
        return;
    }
    // The frame lies inside the region: stroke its outline twice as wide and keep the inner half.
    const double w = std::max({1.0, double(std::abs(g->stroke.cx)), double(std::abs(g->stroke.cy))});
    painter.save();
    painter.setClipPath(region, Qt::IntersectClip);
    QPen pen(MakeBrush(brush), 2 * w);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.strokePath(region.simplified(), pen);
    painter.restore();
}

// GRADIENTFILL has no parsed layout of its own: its counts are checked here against the record.
void Playback::PlayGradient(RecordView r) {
    const auto g = ParseGradientFill(r);
    if (!g || dc.pathOpen) return;
    const auto named = [&](uint32_t index) { return index < g->vertices.size(); };
    const auto point = [&](uint32_t index) { return ToPoint(g->vertices[index].point); };
    const auto colour = [&](uint32_t index) {
        const TriVertex& v = g->vertices[index];
        return QColor(v.red >> 8, v.green >> 8, v.blue >> 8);
    };
    SyncTransform();
    painter.setPen(Qt::NoPen);
    penDirty_ = brushDirty_ = true;
    for (size_t at = 0; at < g->indexes.size(); at += g->IndexesPerEntry()) {
        const uint32_t* e = &g->indexes[at];
        if (g->mode == GRADIENT_FILL_TRIANGLE) {
            if (!named(e[0]) || !named(e[1]) || !named(e[2])) continue;
            const QColor ca = colour(e[0]), cb = colour(e[1]), cc = colour(e[2]);
            painter.setBrush(QColor((ca.red() + cb.red() + cc.red()) / 3, (ca.green() + cb.green() + cc.green()) / 3,
                                    (ca.blue() + cb.blue() + cc.blue()) / 3));
            painter.drawPolygon(QPolygonF({point(e[0]), point(e[1]), point(e[2])}));
        } else if (g->mode == GRADIENT_FILL_RECT_H || g->mode == GRADIENT_FILL_RECT_V) {
            if (!named(e[0]) || !named(e[1])) continue;
            const QPointF pa = point(e[0]), pb = point(e[1]);
            QLinearGradient gradient(pa, g->mode == GRADIENT_FILL_RECT_H ? QPointF(pb.x(), pa.y()) : QPointF(pa.x(), pb.y()));
            gradient.setColorAt(0, colour(e[0]));
            gradient.setColorAt(1, colour(e[1]));
            painter.fillRect(QRectF(pa, pb).normalized(), gradient);
        }
    }
}

}  // namespace tessaly::emf
