// Clipping: rectangles, regions and paths combined in reference-device pixels.
#include <algorithm>
#include <cmath>

#include "platform/emf/EmfPlayback.h"

namespace tessaly::emf {



namespace {

// Large enough to stand for "everything" on any page, small enough for region arithmetic.
const QRect kEverything(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);

bool AxisAligned(const QTransform& t) {
    return t.m12() == 0 && t.m21() == 0;
}

}  // namespace

QPainterPath Clip::AsPath() const {
    if (isPath) return path;
    QPainterPath p;
    p.addRegion(region);
    return p;
}

QRectF Clip::BoundingRect() const {
    return isPath ? path.boundingRect() : QRectF(region.boundingRect());
}

// A logical rectangle as device pixels: a pixel rectangle under an axis-aligned mapping (its right
// and bottom edges excluded, as the platform's regions have them), a polygon otherwise.
Clip Playback::DeviceShape(const QRectF& logical) const {
    const QTransform t = LogicalToDevice();
    Clip shape;
    shape.active = true;
    if (AxisAligned(t)) {
        const QRectF d = t.mapRect(logical.normalized());
        const auto clampCoord = [](double v) { return int(std::clamp(std::lround(v), -(1L << 24), 1L << 24)); };
        const int l = clampCoord(d.left()), tp = clampCoord(d.top()), rt = clampCoord(d.right()),
                  b = clampCoord(d.bottom());
        if (rt > l && b > tp) shape.region = QRegion(l, tp, rt - l, b - tp);
        return shape;
    }
    shape.isPath = true;
    shape.path.addPolygon(t.map(QPolygonF(logical)));
    shape.path.closeSubpath();
    return shape;
}

void Playback::CombineClip(const Clip& shape, uint32_t mode) {
    Clip& clip = dc.clip;
    if (mode == RGN_COPY) {
        clip = shape;
        MarkClipDirty();
        return;
    }
    Clip current = clip;
    if (!current.active) {  // no clip yet: everything is inside
        if (mode == RGN_OR) return;
        current.active = true;
        current.isPath = false;
        current.region = QRegion(kEverything);
    }
    Clip result;
    result.active = true;
    if (!current.isPath && !shape.isPath) {
        switch (mode) {
        case RGN_AND: result.region = current.region.intersected(shape.region); break;
        case RGN_OR: result.region = current.region.united(shape.region); break;
        case RGN_XOR: result.region = current.region.xored(shape.region); break;
        case RGN_DIFF: result.region = current.region.subtracted(shape.region); break;
        default: return;
        }
    } else {
        const QPainterPath a = current.AsPath(), b = shape.AsPath();
        result.isPath = true;
        switch (mode) {
        case RGN_AND: result.path = a.intersected(b); break;
        case RGN_OR: result.path = a.united(b); break;
        case RGN_XOR: result.path = a.united(b).subtracted(a.intersected(b)); break;
        case RGN_DIFF: result.path = a.subtracted(b); break;
        default: return;
        }
    }
    clip = result;
    MarkClipDirty();
}

void Playback::PlayClip(RecordView r) {
    switch (r.Type()) {
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
        auto rect = ParseRect(r);
        if (!rect) return;
        const QRectF logical(QPointF(rect->left, rect->top), QPointF(rect->right, rect->bottom));
        CombineClip(DeviceShape(logical), r.Type() == EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
        return;
    }
    case EMR_OFFSETCLIPRGN: {
        auto p = ParsePoint(r);
        if (!p || !dc.clip.active) return;
        const QTransform t = LogicalToDevice();
        const QPointF d = t.map(QPointF(p->x, p->y)) - t.map(QPointF(0, 0));
        if (dc.clip.isPath) dc.clip.path.translate(d);
        else dc.clip.region.translate(int(std::lround(d.x())), int(std::lround(d.y())));
        MarkClipDirty();
        return;
    }
    case EMR_SETMETARGN: {
        // The clip so far joins the meta region; later clipping can only narrow it.
        if (dc.clip.active) {
            if (dc.metaRegion.active) {
                const Clip keep = dc.clip;
                dc.clip = dc.metaRegion;
                CombineClip(keep, RGN_AND);
            }
            dc.metaRegion = dc.clip;
        }
        dc.clip = Clip{};
        MarkClipDirty();
        return;
    }
    case EMR_EXTSELECTCLIPRGN: {
        auto g = ParseRegion(r);
        if (!g || g->mode < RGN_AND || g->mode > RGN_COPY) return;
        if (!g->hasRegion) {  // without a region only RGN_COPY means something: no clipping
            if (g->mode == RGN_COPY) {
                dc.clip = Clip{};
                MarkClipDirty();
            }
            return;
        }
        Clip shape;
        shape.active = true;
        std::vector<QRect> rects;
        rects.reserve(g->region.rects.size());
        for (const RectL& rc : g->region.rects) {
            // Device pixels, right and bottom edges excluded; kept well inside int for region arithmetic.
            auto c = [](int32_t v) { return std::clamp(v, -(1 << 24), 1 << 24); };
            const int l = c(rc.left), t = c(rc.top), rt = c(rc.right), b = c(rc.bottom);
            if (rt > l && b > t) rects.emplace_back(l, t, rt - l, b - t);
        }
        shape.region.setRects(rects.data(), int(rects.size()));
        CombineClip(shape, g->mode);
        return;
    }
    case EMR_SELECTCLIPPATH: {
        auto mode = ParseValue(r);
        if (!mode || !dc.pathClosed || *mode < RGN_AND || *mode > RGN_COPY) return;
        Clip shape;
        shape.active = true;
        shape.isPath = true;
        shape.path = dc.path;
        shape.path.setFillRule(dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        shape.path = shape.path.simplified();
        dc.path = QPainterPath();
        dc.pathClosed = false;
        CombineClip(shape, *mode);
        return;
    }
    default:
        return;
    }
}

// Puts the effective clip (meta region, then clip) onto the painter, inside the clip the painter
// came with.
void Playback::SyncClip() {
    if (!clipDirty_) return;
    clipDirty_ = false;
    space_ = Space::None;
    painter.setWorldTransform(QTransform());
    if (hasInitialClip_) painter.setClipPath(initialClip_, Qt::ReplaceClip);
    else painter.setClipping(false);
    const Clip* parts[] = {&dc.metaRegion, &dc.clip};
    bool first = !hasInitialClip_;
    painter.setWorldTransform(DeviceToOutput());
    for (const Clip* part : parts) {
        if (!part->active) continue;
        const Qt::ClipOperation op = first ? Qt::ReplaceClip : Qt::IntersectClip;
        if (part->isPath) painter.setClipPath(part->path, op);
        else painter.setClipRegion(part->region, op);
        first = false;
    }
    space_ = Space::Device;
    penDirty_ = brushDirty_ = true;
}

}  // namespace tessaly::emf
