#include "platform/graphics.h"

#include "platform/fill_picture_cache.h"
#include "platform/graphics_recorder.h"
#include "platform/paint_target_impl.h"
#include "platform/polygon_set.h"
#include "platform/region_node.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {

struct SavedState {
    GraphicsState token;
    Matrix world;
    Unit unit;
    SmoothingMode smoothing;
    TextRenderingHint textHint;
    Region clip;
};

QTransform ToQt(const Matrix& m) {
    const double* e = m.Elements();
    return QTransform(e[0], e[1], e[2], e[3], e[4], e[5]);
}

void AppendQt(QPainterPath* qp, const std::vector<PointF>& pts, const std::vector<uint8_t>& types) {
    const size_t n = pts.size();
    size_t figureStart = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t kind = types[i] & PathPointTypePathTypeMask;
        if (kind == PathPointTypeStart || i == 0) {
            qp->moveTo(pts[i].X, pts[i].Y);
            figureStart = i;
        } else if (kind == PathPointTypeBezier && i + 2 < n) {
            qp->cubicTo(pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, pts[i + 2].X, pts[i + 2].Y);
            i += 2;
        } else {
            qp->lineTo(pts[i].X, pts[i].Y);
        }
        if ((types[i] & PathPointTypeCloseSubpath) && i > figureStart)
            qp->closeSubpath();
    }
}

QPainterPath PathToQt(const GraphicsPath& path) {
    QPainterPath qp;
    qp.reserve(path.GetPointCount());
    qp.setFillRule(path.GetFillMode() == FillModeWinding ? Qt::WindingFill : Qt::OddEvenFill);
    AppendQt(&qp, path.Points(), path.Types());
    return qp;
}

QPainterPath PolygonsToQt(const PolygonSet& set) {
    QPainterPath qp;
    qp.setFillRule(set.fill == FillModeWinding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const auto& c : set.contours) {
        if (c.size() < 2)
            continue;
        qp.moveTo(c[0].x, c[0].y);
        for (size_t i = 1; i < c.size(); ++i)
            qp.lineTo(c[i].x, c[i].y);
        qp.closeSubpath();
    }
    return qp;
}

constexpr double kBig = 4194304.0;

// Paths of more points than this are filled in strips of device rows.
constexpr int kStripPoints = 20000;

// Fills a path of many figures strip by strip, each strip with only the
// figures that reach into it (curves by their control points), clipped to
// its rows: the rasteriser's cost grows faster than a path's size, and a
// figure that does not reach a row adds nothing to it in either fill rule.
void FillInStrips(QPainter* p, const QPainterPath& path, const QBrush& brush) {
    struct Figure {
        int first, last;
        double top, bottom;
    };
    const QTransform t = p->combinedTransform();
    std::vector<Figure> figures;
    double top = std::numeric_limits<double>::infinity(), bottom = -top;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element& el = path.elementAt(i);
        if (el.isMoveTo() || figures.empty())
            figures.push_back({i, i, std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity()});
        Figure& f = figures.back();
        f.last = i;
        const double y = t.map(QPointF(el.x, el.y)).y();
        f.top = std::min(f.top, y);
        f.bottom = std::max(f.bottom, y);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    const int strips = std::min(64, path.elementCount() / kStripPoints);
    if (strips < 2 || !std::isfinite(top) || !std::isfinite(bottom) || bottom - top > kBig) {
        p->fillPath(path, brush);
        return;
    }
    const int first = static_cast<int>(std::floor(top)) - 1;
    const int rows = static_cast<int>(std::ceil(bottom)) + 1 - first;
    const int height = (rows + strips - 1) / strips;
    for (int row = first; row < first + rows; row += height) {
        QPainterPath part;
        part.setFillRule(path.fillRule());
        for (const Figure& f : figures) {
            if (f.bottom < row - 1 || f.top > row + height + 1)
                continue;
            for (int i = f.first; i <= f.last; ++i) {
                const QPainterPath::Element& el = path.elementAt(i);
                if (el.isMoveTo()) {
                    part.moveTo(el.x, el.y);
                } else if (el.isCurveTo() && i + 2 <= f.last) {
                    const QPainterPath::Element& c2 = path.elementAt(i + 1);
                    const QPainterPath::Element& end = path.elementAt(i + 2);
                    part.cubicTo(el.x, el.y, c2.x, c2.y, end.x, end.y);
                    i += 2;
                } else {
                    part.lineTo(el.x, el.y);
                }
            }
        }
        if (part.isEmpty())
            continue;
        p->save();
        const QTransform world = p->worldTransform();
        p->setWorldTransform(QTransform());
        p->setClipRect(QRect(-(1 << 28), row, 1 << 29, height), Qt::IntersectClip);
        p->setWorldTransform(world);
        p->fillPath(part, brush);
        p->restore();
    }
}

// The region's area as a Qt path for painting only. Chains of unions are
// merged pairwise so that long chains stay cheap.
QPainterPath RegionToQt(const RegionNode* n);

void CollectUnion(const RegionNode* n, std::vector<const RegionNode*>* out) {
    if (n->kind == RegionNode::Combine && n->op == CombineModeUnion) {
        CollectUnion(n->left.get(), out);
        CollectUnion(n->right.get(), out);
    } else {
        out->push_back(n);
    }
}

QPainterPath RegionToQt(const RegionNode* n) {
    QPainterPath qp;
    switch (n->kind) {
    case RegionNode::Empty:
        return qp;
    case RegionNode::Infinite:
        qp.addRect(QRectF(-kBig, -kBig, 2 * kBig, 2 * kBig));
        return qp;
    case RegionNode::Rect:
        qp.addRect(QRectF(n->l, n->t, n->r - n->l, n->b - n->t));
        return qp;
    case RegionNode::Path:
        return PolygonsToQt(n->poly);
    case RegionNode::Combine:
        break;
    }
    if (n->op == CombineModeUnion) {
        std::vector<const RegionNode*> parts;
        CollectUnion(n, &parts);
        std::vector<QPainterPath> paths;
        for (const RegionNode* p : parts)
            paths.push_back(RegionToQt(p));
        while (paths.size() > 1) {
            std::vector<QPainterPath> next;
            for (size_t i = 0; i + 1 < paths.size(); i += 2)
                next.push_back(paths[i].united(paths[i + 1]));
            if (paths.size() % 2)
                next.push_back(paths.back());
            paths.swap(next);
        }
        return paths.empty() ? qp : paths[0];
    }
    const QPainterPath a = RegionToQt(n->left.get());
    const QPainterPath b = RegionToQt(n->right.get());
    switch (n->op) {
    case CombineModeIntersect:
        return a.intersected(b);
    case CombineModeExclude:
        return a.subtracted(b);
    case CombineModeComplement:
        return b.subtracted(a);
    case CombineModeXor:
        return a.subtracted(b).united(b.subtracted(a));
    case CombineModeReplace:
        return b;
    default:
        return a.united(b);
    }
}

double UnitScale(Unit unit, double dpi) {
    switch (unit) {
    case UnitPoint:
        return dpi / 72.0;
    case UnitInch:
        return dpi;
    case UnitDocument:
        return dpi / 300.0;
    case UnitMillimeter:
        return dpi / 25.4;
    default:
        return 1.0;
    }
}

} // namespace

struct Graphics::Impl {
    PaintTarget* target = nullptr;
    GraphicsRecorder* recorder = nullptr;
    FillPictureCache* fillPictures = nullptr;
    Matrix world;
    Unit unit = UnitDisplay;
    float dpiX = 96, dpiY = 96;
    SmoothingMode smoothing = SmoothingModeDefault;
    TextRenderingHint textHint = TextRenderingHintSystemDefault;
    Region clip; // device space; infinite = none
    std::vector<SavedState> saved;
    GraphicsState nextToken = 1;
    Status last = Ok;

    // Cached device transform.
    bool deviceValid = false;
    Matrix device;

    // Converted objects.
    uint64_t penStamp = 0;
    QPen qpen;
    uint64_t brushStamp = 0;
    QBrush qbrush;
    std::unordered_map<uint64_t, QPainterPath> paths;
    std::vector<uint64_t> pathOrder;
    std::shared_ptr<const RegionNode> clipNode;
    QPainterPath clipPath;
    bool clipIsRect = false;
    QRectF clipRect;

    const Matrix& Device() {
        if (!deviceValid) {
            device = world;
            if (unit != UnitDisplay && unit != UnitPixel && unit != UnitWorld) {
                Matrix page(static_cast<float>(UnitScale(unit, dpiX)), 0, 0,
                            static_cast<float>(UnitScale(unit, dpiY)), 0, 0);
                device.Multiply(&page, MatrixOrderAppend);
            }
            deviceValid = true;
        }
        return device;
    }

    const QPen& ToQPen(const Pen& pen) {
        if (pen.Stamp() == penStamp)
            return qpen;
        QPen q(QColor::fromRgba(pen.GetColor().GetValue()));
        if (pen.GetWidth() <= 0) {
            q.setWidthF(1);
            q.setCosmetic(true);
        } else {
            q.setWidthF(pen.GetWidth());
            q.setCosmetic(false);
        }
        const LineCap cap = pen.GetStartCap() == LineCapRound || pen.GetEndCap() == LineCapRound
                                ? LineCapRound
                                : pen.GetStartCap();
        q.setCapStyle(cap == LineCapRound    ? Qt::RoundCap
                      : cap == LineCapSquare ? Qt::SquareCap
                                             : Qt::FlatCap);
        switch (pen.GetLineJoin()) {
        case LineJoinBevel:
            q.setJoinStyle(Qt::BevelJoin);
            break;
        case LineJoinRound:
            q.setJoinStyle(Qt::RoundJoin);
            break;
        default:
            q.setJoinStyle(Qt::MiterJoin);
            q.setMiterLimit(pen.GetMiterLimit());
            break;
        }
        if (pen.GetDashStyle() != DashStyleSolid) {
            const std::vector<float> d = pen.GetDashPattern();
            QList<qreal> pattern;
            for (float v : d)
                pattern.append(v);
            if (pattern.size() % 2)
                pattern.append(pattern.back());
            q.setDashPattern(pattern);
            q.setDashOffset(pen.GetDashOffset());
        }
        qpen = q;
        penStamp = pen.Stamp();
        return qpen;
    }

    const QBrush& ToQBrush(const Brush& brush) {
        if (brush.Stamp() == brushStamp)
            return qbrush;
        if (brush.GetType() == BrushTypeLinearGradient) {
            const auto& g = static_cast<const LinearGradientBrush&>(brush);
            Color c[2];
            g.GetLinearColors(c);
            QLinearGradient lg(g.GetPoint1().X, g.GetPoint1().Y, g.GetPoint2().X, g.GetPoint2().Y);
            lg.setColorAt(0, QColor::fromRgba(c[0].GetValue()));
            lg.setColorAt(1, QColor::fromRgba(c[1].GetValue()));
            lg.setSpread(QGradient::RepeatSpread);
            qbrush = QBrush(lg);
        } else {
            qbrush = QBrush(
                QColor::fromRgba(static_cast<const SolidBrush&>(brush).GetColor().GetValue()));
        }
        brushStamp = brush.Stamp();
        return qbrush;
    }

    const QPainterPath& ToQPath(const GraphicsPath& path) {
        auto it = paths.find(path.Stamp());
        if (it != paths.end())
            return it->second;
        if (pathOrder.size() >= 256) {
            paths.erase(pathOrder.front());
            pathOrder.erase(pathOrder.begin());
        }
        pathOrder.push_back(path.Stamp());
        return paths.emplace(path.Stamp(), PathToQt(path)).first->second;
    }

    // Painter state this surface has set while it holds the painter.
    QPainter* held = nullptr;
    bool outerClip = false;
    std::shared_ptr<const RegionNode> appliedClip;
    uint64_t deviceVersion = 1;
    uint64_t appliedDevice = 0;
    int appliedAA = -1;

    static void ReleaseThunk(void* self) {
        auto* impl = static_cast<Impl*>(self);
        if (impl->held)
            impl->held->restore();
        impl->held = nullptr;
    }

    void Release() {
        if (held && target && target->Impl()->holder == this)
            target->Impl()->ReleaseHolder();
        held = nullptr;
    }

    void ApplyClip(QPainter* p) {
        if (clip.IsInfinite())
            return;
        if (clipNode != clip.Node()) {
            clipNode = clip.Node();
            RectF r;
            clipIsRect = clip.IsSingleRect(&r);
            if (clipIsRect)
                clipRect = QRectF(r.X, r.Y, r.Width, r.Height);
            else
                clipPath = RegionToQt(clipNode.get());
        }
        const Qt::ClipOperation op = outerClip ? Qt::IntersectClip : Qt::ReplaceClip;
        p->setWorldTransform(QTransform());
        if (clipIsRect)
            p->setClipRect(clipRect, op);
        else
            p->setClipPath(clipPath, op);
    }

    // The shared painter set up for drawing in world units. The painter's
    // own state is saved once when this surface takes it and restored when
    // it lets go; in between only what changed is set again.
    QPainter* Begin() {
        if (!target)
            return nullptr;
        PaintTargetImpl* ti = target->Impl();
        QPainter* p = ti->Painter();
        if (!p)
            return nullptr;
        if (ti->holder != this || held != p) {
            ti->Claim(this, &ReleaseThunk);
            p->save();
            held = p;
            outerClip = p->hasClipping();
            appliedClip = nullptr;
            ApplyClip(p);
            appliedClip = clip.Node();
            appliedDevice = 0;
            appliedAA = -1;
            penStamp = 0;
            brushStamp = 0;
        } else if (appliedClip != clip.Node()) {
            // Back to the painter's own clip, then ours.
            p->restore();
            p->save();
            ApplyClip(p);
            appliedClip = clip.Node();
            appliedDevice = 0;
            appliedAA = -1;
        }
        const bool aa =
            smoothing == SmoothingModeAntiAlias || smoothing == SmoothingModeHighQuality;
        if (appliedAA != static_cast<int>(aa)) {
            p->setRenderHint(QPainter::Antialiasing, aa);
            appliedAA = aa;
        }
        if (appliedDevice != deviceVersion) {
            p->setWorldTransform(ToQt(Device()));
            appliedDevice = deviceVersion;
        }
        return p;
    }
    void End(QPainter*) {}

    // Recording.
    DrawRecord* Record(DrawOp op, const Pen* pen, const Brush* brush) {
        if (!recorder)
            return nullptr;
        DrawRecord r;
        r.op = op;
        const Matrix& m = Device();
        r.worldToDevice = m;
        r.smoothing = smoothing;
        r.clipped = !clip.IsInfinite();
        if (r.clipped)
            clip.GetBounds(&r.clipBounds);
        if (pen) {
            r.hasPen = true;
            r.penColor = pen->GetColor().GetValue();
            r.penWidth = pen->GetWidth();
            r.penDeviceWidth =
                pen->GetWidth() <= 0 ? 1.0f : static_cast<float>(pen->GetWidth() * m.Scale());
            r.dashStyle = pen->GetDashStyle();
            r.dashPattern = pen->GetDashPattern();
            r.startCap = pen->GetStartCap();
            r.endCap = pen->GetEndCap();
            r.lineJoin = pen->GetLineJoin();
        }
        if (brush) {
            r.hasBrush = true;
            r.brushType = brush->GetType();
            if (brush->GetType() == BrushTypeSolidColor)
                r.brushColor = static_cast<const SolidBrush*>(brush)->GetColor().GetValue();
            else {
                Color c[2];
                static_cast<const LinearGradientBrush*>(brush)->GetLinearColors(c);
                r.brushColor = c[0].GetValue();
            }
        }
        recorder->records.push_back(std::move(r));
        return &recorder->records.back();
    }
    void SetGeometry(DrawRecord* r, const std::vector<PointF>& pts,
                     const std::vector<uint8_t>& types, FillMode fill) {
        const Matrix& m = Device();
        r->points.reserve(pts.size());
        for (const PointF& p : pts)
            r->points.push_back(m.Map(p));
        r->types = types;
        r->fillMode = fill;
    }
};

Graphics::Graphics(PaintTarget* target) : impl_(std::make_unique<Impl>()) {
    impl_->target = target;
    if (target) {
        impl_->dpiX = static_cast<float>(target->DpiX());
        impl_->dpiY = static_cast<float>(target->DpiY());
    }
}

Graphics::~Graphics() {
    impl_->Release();
}

PaintTarget* Graphics::Target() const {
    return impl_->target;
}
void Graphics::SetRecorder(GraphicsRecorder* recorder) {
    impl_->recorder = recorder;
}

Status Graphics::Fail(Status s) {
    if (s != Ok)
        impl_->last = s;
    return s;
}

Status Graphics::GetLastStatus() {
    Status s = impl_->last;
    impl_->last = Ok;
    return s;
}

Status Graphics::SetTransform(const Matrix* matrix) {
    if (!matrix)
        return Fail(InvalidParameter);
    impl_->world = *matrix;
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Status Graphics::GetTransform(Matrix* matrix) const {
    if (!matrix)
        return InvalidParameter;
    *matrix = impl_->world;
    return Ok;
}

Status Graphics::ResetTransform() {
    impl_->world.Reset();
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Status Graphics::MultiplyTransform(const Matrix* matrix, MatrixOrder order) {
    if (!matrix)
        return Fail(InvalidParameter);
    impl_->world.Multiply(matrix, order);
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Status Graphics::TranslateTransform(float dx, float dy, MatrixOrder order) {
    impl_->world.Translate(dx, dy, order);
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Status Graphics::ScaleTransform(float sx, float sy, MatrixOrder order) {
    impl_->world.Scale(sx, sy, order);
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Status Graphics::RotateTransform(float angle, MatrixOrder order) {
    impl_->world.Rotate(angle, order);
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Matrix Graphics::WorldToDevice() const {
    return impl_->Device();
}

Status Graphics::TransformPoints(CoordinateSpace destSpace, CoordinateSpace srcSpace,
                                 PointF* points, int count) {
    if (!points || count < 0)
        return Fail(InvalidParameter);
    auto toDevice = [&](CoordinateSpace s) {
        Matrix m;
        if (s == CoordinateSpaceWorld)
            m = impl_->Device();
        else if (s == CoordinateSpacePage) {
            Matrix w = impl_->world;
            if (w.Invert() != Ok)
                return std::make_pair(false, m);
            m = Matrix::Product(w, impl_->Device());
        }
        return std::make_pair(true, m);
    };
    auto src = toDevice(srcSpace);
    auto dst = toDevice(destSpace);
    if (!src.first || !dst.first || dst.second.Invert() != Ok)
        return Fail(InvalidParameter);
    const Matrix m = Matrix::Product(src.second, dst.second);
    return m.TransformPoints(points, count);
}

Status Graphics::SetPageUnit(Unit unit) {
    if (unit == UnitWorld)
        return Fail(InvalidParameter);
    impl_->unit = unit;
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
    return Ok;
}

Unit Graphics::GetPageUnit() const {
    return impl_->unit;
}
float Graphics::GetDpiX() const {
    return impl_->dpiX;
}
float Graphics::GetDpiY() const {
    return impl_->dpiY;
}

void Graphics::SetDpi(float dpiX, float dpiY) {
    impl_->dpiX = dpiX;
    impl_->dpiY = dpiY;
    impl_->deviceValid = false;
    ++impl_->deviceVersion;
}

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
    impl_->smoothing = mode;
    return Ok;
}

SmoothingMode Graphics::GetSmoothingMode() const {
    return impl_->smoothing;
}

Status Graphics::SetTextRenderingHint(TextRenderingHint hint) {
    impl_->textHint = hint;
    return Ok;
}

TextRenderingHint Graphics::GetTextRenderingHint() const {
    return impl_->textHint;
}

GraphicsState Graphics::Save() {
    const GraphicsState token = impl_->nextToken++;
    impl_->saved.push_back(
        {token, impl_->world, impl_->unit, impl_->smoothing, impl_->textHint, impl_->clip});
    return token;
}

Status Graphics::Restore(GraphicsState state) {
    auto& saved = impl_->saved;
    for (size_t i = saved.size(); i-- > 0;) {
        if (saved[i].token != state)
            continue;
        impl_->world = saved[i].world;
        impl_->unit = saved[i].unit;
        impl_->smoothing = saved[i].smoothing;
        impl_->textHint = saved[i].textHint;
        impl_->clip = saved[i].clip;
        impl_->deviceValid = false;
        ++impl_->deviceVersion;
        saved.erase(saved.begin() + static_cast<long>(i), saved.end());
        return Ok;
    }
    return Fail(InvalidParameter);
}

Status Graphics::SetClip(const Region* region, CombineMode mode) {
    if (!region)
        return Fail(InvalidParameter);
    Region r(*region);
    if (!impl_->Device().IsIdentity())
        r.Transform(&impl_->Device());
    if (mode == CombineModeReplace)
        impl_->clip = r;
    else
        impl_->clip.Combine(&r, mode);
    return Ok;
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode) {
    Region r(rect);
    return SetClip(&r, mode);
}

Status Graphics::SetClip(const GraphicsPath* path, CombineMode mode) {
    if (!path)
        return Fail(InvalidParameter);
    Region r(path);
    return SetClip(&r, mode);
}

Status Graphics::IntersectClip(const RectF& rect) {
    return SetClip(rect, CombineModeIntersect);
}
Status Graphics::IntersectClip(const Region* region) {
    return SetClip(region, CombineModeIntersect);
}
Status Graphics::ExcludeClip(const RectF& rect) {
    return SetClip(rect, CombineModeExclude);
}
Status Graphics::ExcludeClip(const Region* region) {
    return SetClip(region, CombineModeExclude);
}

Status Graphics::ResetClip() {
    impl_->clip.MakeInfinite();
    return Ok;
}

Status Graphics::GetClip(Region* region) const {
    if (!region)
        return InvalidParameter;
    *region = impl_->clip;
    Matrix inv = impl_->Device();
    if (!inv.IsIdentity() && inv.Invert() == Ok)
        region->Transform(&inv);
    return Ok;
}

namespace {

RectF DeviceRectToWorld(const RectF& r, const Matrix& device) {
    Matrix inv = device;
    if (inv.Invert() != Ok)
        return r;
    PointF c[4] = {
        {r.X, r.Y}, {r.X + r.Width, r.Y}, {r.X, r.Y + r.Height}, {r.X + r.Width, r.Y + r.Height}};
    inv.TransformPoints(c, 4);
    float l = c[0].X, t = c[0].Y, rr = c[0].X, b = c[0].Y;
    for (const PointF& p : c) {
        l = std::min(l, p.X), t = std::min(t, p.Y), rr = std::max(rr, p.X), b = std::max(b, p.Y);
    }
    return {l, t, rr - l, b - t};
}

} // namespace

Status Graphics::GetClipBounds(RectF* rect) const {
    if (!rect)
        return InvalidParameter;
    RectF d;
    impl_->clip.GetBounds(&d);
    *rect = DeviceRectToWorld(d, impl_->Device());
    return Ok;
}

Status Graphics::GetVisibleClipBounds(RectF* rect) const {
    if (!rect)
        return InvalidParameter;
    Region r(impl_->clip);
    if (impl_->target)
        r.Intersect(RectF{0, 0, static_cast<float>(impl_->target->Width()),
                          static_cast<float>(impl_->target->Height())});
    RectF d;
    r.GetBounds(&d);
    *rect = DeviceRectToWorld(d, impl_->Device());
    return Ok;
}

bool Graphics::IsClipEmpty() const {
    return impl_->clip.IsEmpty();
}

bool Graphics::IsVisible(float x, float y) const {
    double dx, dy;
    impl_->Device().Map(x, y, &dx, &dy);
    if (impl_->target &&
        (dx < 0 || dy < 0 || dx >= impl_->target->Width() || dy >= impl_->target->Height()))
        return false;
    return impl_->clip.IsVisible(static_cast<float>(dx), static_cast<float>(dy));
}

bool Graphics::IsVisible(float x, float y, float width, float height) const {
    const Matrix& m = impl_->Device();
    PointF c[4] = {{x, y}, {x + width, y}, {x, y + height}, {x + width, y + height}};
    m.TransformPoints(c, 4);
    float l = c[0].X, t = c[0].Y, r = c[0].X, b = c[0].Y;
    for (const PointF& p : c) {
        l = std::min(l, p.X), t = std::min(t, p.Y), r = std::max(r, p.X), b = std::max(b, p.Y);
    }
    if (impl_->target) {
        l = std::max(l, 0.0f);
        t = std::max(t, 0.0f);
        r = std::min(r, static_cast<float>(impl_->target->Width()));
        b = std::min(b, static_cast<float>(impl_->target->Height()));
        if (l >= r || t >= b)
            return false;
    }
    // A degenerate rectangle (a line or a point) is tested as its box grown
    // by a hair.
    if (r - l <= 0)
        r = l + 1e-3f;
    if (b - t <= 0)
        b = t + 1e-3f;
    return impl_->clip.IsVisible(RectF{l, t, r - l, b - t});
}

Status Graphics::Clear(const Color& color) {
    if (DrawRecord* r = impl_->Record(DrawOp::Clear, nullptr, nullptr))
        r->brushColor = color.GetValue(), r->hasBrush = true;
    if (QPainter* p = impl_->Begin()) {
        p->setWorldTransform(QTransform());
        p->setCompositionMode(QPainter::CompositionMode_Source);
        p->fillRect(QRectF(0, 0, impl_->target->Width(), impl_->target->Height()),
                    QColor::fromRgba(color.GetValue()));
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        impl_->appliedDevice = 0;
    }
    return Ok;
}

// What a curved shape records besides its points: the rectangle and angles
// it was given.
struct ShapeExtent {
    RectF rect;
    float startAngle = 0;
    float sweepAngle = 0;
};

Status Graphics::StrokeShape(DrawOp op, const Pen* pen, const GraphicsPath& path,
                             const ShapeExtent* extent) {
    if (DrawRecord* r = impl_->Record(op, pen, nullptr)) {
        impl_->SetGeometry(r, path.Points(), path.Types(), FillModeAlternate);
        if (extent) {
            r->worldRect = extent->rect;
            r->startAngle = extent->startAngle;
            r->sweepAngle = extent->sweepAngle;
        }
    }
    if (QPainter* p = impl_->Begin()) {
        p->setPen(impl_->ToQPen(*pen));
        p->setBrush(Qt::NoBrush);
        p->drawPath(PathToQt(path));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::FillShape(DrawOp op, const Brush* brush, const GraphicsPath& path,
                           const ShapeExtent* extent) {
    if (DrawRecord* r = impl_->Record(op, nullptr, brush)) {
        impl_->SetGeometry(r, path.Points(), path.Types(), path.GetFillMode());
        if (extent) {
            r->worldRect = extent->rect;
            r->startAngle = extent->startAngle;
            r->sweepAngle = extent->sweepAngle;
        }
    }
    if (QPainter* p = impl_->Begin()) {
        p->fillPath(PathToQt(path), impl_->ToQBrush(*brush));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::DrawLine(const Pen* pen, float x1, float y1, float x2, float y2) {
    if (!pen)
        return Fail(InvalidParameter);
    if (DrawRecord* r = impl_->Record(DrawOp::Line, pen, nullptr))
        impl_->SetGeometry(r, {{x1, y1}, {x2, y2}}, {PathPointTypeStart, PathPointTypeLine},
                           FillModeAlternate);
    if (QPainter* p = impl_->Begin()) {
        p->setPen(impl_->ToQPen(*pen));
        p->drawLine(QLineF(x1, y1, x2, y2));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::DrawLines(const Pen* pen, const PointF* points, int count) {
    if (!pen || !points || count < 2)
        return Fail(InvalidParameter);
    GraphicsPath path;
    path.AddLines(points, count);
    if (DrawRecord* r = impl_->Record(DrawOp::Lines, pen, nullptr))
        impl_->SetGeometry(r, path.Points(), path.Types(), FillModeAlternate);
    if (QPainter* p = impl_->Begin()) {
        p->setPen(impl_->ToQPen(*pen));
        QPolygonF poly;
        poly.reserve(count);
        for (int i = 0; i < count; ++i)
            poly.append(QPointF(points[i].X, points[i].Y));
        p->drawPolyline(poly);
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::DrawRectangle(const Pen* pen, float x, float y, float width, float height) {
    if (!pen)
        return Fail(InvalidParameter);
    if (DrawRecord* r = impl_->Record(DrawOp::Rectangle, pen, nullptr)) {
        GraphicsPath path;
        path.AddRectangle({x, y, width, height});
        impl_->SetGeometry(r, path.Points(), path.Types(), FillModeAlternate);
        r->worldRect = {x, y, width, height};
    }
    if (QPainter* p = impl_->Begin()) {
        p->setPen(impl_->ToQPen(*pen));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(x, y, width, height));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::DrawRectangles(const Pen* pen, const RectF* rects, int count) {
    if (!pen || !rects || count < 0)
        return Fail(InvalidParameter);
    for (int i = 0; i < count; ++i)
        DrawRectangle(pen, rects[i]);
    return Ok;
}

Status Graphics::DrawEllipse(const Pen* pen, float x, float y, float width, float height) {
    if (!pen)
        return Fail(InvalidParameter);
    GraphicsPath path;
    if (path.AddEllipse(x, y, width, height) != Ok)
        return Fail(InvalidParameter);
    const ShapeExtent extent{{x, y, width, height}, 0, 360};
    return StrokeShape(DrawOp::Ellipse, pen, path, &extent);
}

Status Graphics::DrawArc(const Pen* pen, float x, float y, float width, float height,
                         float startAngle, float sweepAngle) {
    if (!pen)
        return Fail(InvalidParameter);
    GraphicsPath path;
    if (path.AddArc(x, y, width, height, startAngle, sweepAngle) != Ok)
        return Fail(InvalidParameter);
    const ShapeExtent extent{{x, y, width, height}, startAngle, sweepAngle};
    return StrokeShape(DrawOp::Arc, pen, path, &extent);
}

Status Graphics::DrawPie(const Pen* pen, float x, float y, float width, float height,
                         float startAngle, float sweepAngle) {
    if (!pen)
        return Fail(InvalidParameter);
    GraphicsPath path;
    if (path.AddPie(x, y, width, height, startAngle, sweepAngle) != Ok)
        return Fail(InvalidParameter);
    const ShapeExtent extent{{x, y, width, height}, startAngle, sweepAngle};
    return StrokeShape(DrawOp::Pie, pen, path, &extent);
}

Status Graphics::DrawPolygon(const Pen* pen, const PointF* points, int count) {
    if (!pen || !points || count < 2)
        return Fail(InvalidParameter);
    GraphicsPath path;
    path.AddPolygon(points, count);
    if (DrawRecord* r = impl_->Record(DrawOp::Polygon, pen, nullptr))
        impl_->SetGeometry(r, path.Points(), path.Types(), FillModeAlternate);
    if (QPainter* p = impl_->Begin()) {
        p->setPen(impl_->ToQPen(*pen));
        p->setBrush(Qt::NoBrush);
        QPolygonF poly;
        poly.reserve(count);
        for (int i = 0; i < count; ++i)
            poly.append(QPointF(points[i].X, points[i].Y));
        p->drawPolygon(poly);
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::DrawBezier(const Pen* pen, const PointF& p1, const PointF& p2, const PointF& p3,
                            const PointF& p4) {
    const PointF pts[4] = {p1, p2, p3, p4};
    return DrawBeziers(pen, pts, 4);
}

Status Graphics::DrawBeziers(const Pen* pen, const PointF* points, int count) {
    if (!pen)
        return Fail(InvalidParameter);
    GraphicsPath path;
    if (path.AddBeziers(points, count) != Ok)
        return Fail(InvalidParameter);
    return StrokeShape(DrawOp::Bezier, pen, path, nullptr);
}

Status Graphics::DrawPath(const Pen* pen, const GraphicsPath* path) {
    if (!pen || !path)
        return Fail(InvalidParameter);
    if (DrawRecord* r = impl_->Record(DrawOp::Path, pen, nullptr))
        impl_->SetGeometry(r, path->Points(), path->Types(), path->GetFillMode());
    if (path->GetPointCount() == 0)
        return Ok;
    if (QPainter* p = impl_->Begin()) {
        p->setPen(impl_->ToQPen(*pen));
        p->setBrush(Qt::NoBrush);
        p->drawPath(impl_->ToQPath(*path));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, float x, float y, float width, float height) {
    if (!brush)
        return Fail(InvalidParameter);
    if (DrawRecord* r = impl_->Record(DrawOp::FillRectangle, nullptr, brush)) {
        GraphicsPath path;
        path.AddRectangle({x, y, width, height});
        impl_->SetGeometry(r, path.Points(), path.Types(), FillModeAlternate);
        r->worldRect = {x, y, width, height};
    }
    if (QPainter* p = impl_->Begin()) {
        p->fillRect(QRectF(x, y, width, height), impl_->ToQBrush(*brush));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::FillRectangles(const Brush* brush, const RectF* rects, int count) {
    if (!brush || !rects || count < 0)
        return Fail(InvalidParameter);
    for (int i = 0; i < count; ++i)
        FillRectangle(brush, rects[i]);
    return Ok;
}

Status Graphics::FillEllipse(const Brush* brush, float x, float y, float width, float height) {
    if (!brush)
        return Fail(InvalidParameter);
    GraphicsPath path;
    if (path.AddEllipse(x, y, width, height) != Ok)
        return Fail(InvalidParameter);
    const ShapeExtent extent{{x, y, width, height}, 0, 360};
    return FillShape(DrawOp::FillEllipse, brush, path, &extent);
}

Status Graphics::FillPie(const Brush* brush, float x, float y, float width, float height,
                         float startAngle, float sweepAngle) {
    if (!brush)
        return Fail(InvalidParameter);
    GraphicsPath path;
    if (path.AddPie(x, y, width, height, startAngle, sweepAngle) != Ok)
        return Fail(InvalidParameter);
    const ShapeExtent extent{{x, y, width, height}, startAngle, sweepAngle};
    return FillShape(DrawOp::FillPie, brush, path, &extent);
}

Status Graphics::FillPolygon(const Brush* brush, const PointF* points, int count,
                             FillMode fillMode) {
    if (!brush || !points || count < 2)
        return Fail(InvalidParameter);
    GraphicsPath path(fillMode);
    path.AddPolygon(points, count);
    return FillShape(DrawOp::FillPolygon, brush, path, nullptr);
}

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path) {
    if (!brush || !path)
        return Fail(InvalidParameter);
    if (DrawRecord* r = impl_->Record(DrawOp::FillPath, nullptr, brush))
        impl_->SetGeometry(r, path->Points(), path->Types(), path->GetFillMode());
    if (path->GetPointCount() == 0)
        return Ok;
    if (QPainter* p = impl_->Begin()) {
        if (path->GetPointCount() > 2 * kStripPoints)
            FillInStrips(p, impl_->ToQPath(*path), impl_->ToQBrush(*brush));
        else
            p->fillPath(impl_->ToQPath(*path), impl_->ToQBrush(*brush));
        impl_->End(p);
    }
    return Ok;
}

void Graphics::SetFillPictures(FillPictureCache* cache) {
    impl_->fillPictures = cache;
}

namespace {

// How far a picture reaches beyond the target on each side, as a part of
// the target's size: pans within it draw the kept pixels.
constexpr int kPictureMarginDivisor = 4;

// Shifts of the transform equal up to this part of a pixel draw the same
// picture (the view's transform is made in floats).
constexpr double kShiftTolerance = 1e-3;

bool SameMaking(const FillPicture& picture, uint64_t stamp, ARGB color, bool smooth,
                const double* e, double fractionX, double fractionY) {
    return picture.image && picture.pathStamp == stamp && picture.color == color &&
           picture.smooth == smooth && picture.linear[0] == e[0] && picture.linear[1] == e[1] &&
           picture.linear[2] == e[2] && picture.linear[3] == e[3] &&
           std::abs(picture.fractionX - fractionX) <= kShiftTolerance &&
           std::abs(picture.fractionY - fractionY) <= kShiftTolerance;
}

} // namespace

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path, const void* owner) {
    FillPictureCache* cache = impl_->fillPictures;
    if (!cache || !owner || !impl_->target || !brush || !path ||
        brush->GetType() != BrushTypeSolidColor)
        return FillPath(brush, path);
    if (path->GetPointCount() == 0)
        return FillPath(brush, path);
    const Matrix& device = impl_->Device();
    const double* e = device.Elements();
    // The whole-pixel part of the shift, which a pan changes, and the rest.
    const double shiftX = std::round(e[4]), shiftY = std::round(e[5]);
    if (std::abs(shiftX) > 1e9 || std::abs(shiftY) > 1e9)
        return FillPath(brush, path);
    const double fractionX = e[4] - shiftX, fractionY = e[5] - shiftY;

    // What may be seen of the fill now: its box in device pixels within the
    // target and the clip, grown by a pixel for the smoothed edge.
    RectF box;
    path->GetBounds(&box);
    PointF corners[4] = {{box.X, box.Y},
                         {box.X + box.Width, box.Y},
                         {box.X, box.Y + box.Height},
                         {box.X + box.Width, box.Y + box.Height}};
    double boxL = 1e300, boxT = 1e300, boxR = -1e300, boxB = -1e300;
    for (const PointF& c : corners) {
        double x = 0, y = 0;
        device.Map(c.X, c.Y, &x, &y);
        boxL = std::min(boxL, x), boxT = std::min(boxT, y);
        boxR = std::max(boxR, x), boxB = std::max(boxB, y);
    }
    if (!std::isfinite(boxL) || !std::isfinite(boxT) || !std::isfinite(boxR) ||
        !std::isfinite(boxB))
        return FillPath(brush, path);
    if (DrawRecord* r = impl_->Record(DrawOp::FillPath, nullptr, brush))
        impl_->SetGeometry(r, path->Points(), path->Types(), path->GetFillMode());
    boxL = std::floor(boxL) - 1, boxT = std::floor(boxT) - 1;
    boxR = std::ceil(boxR) + 1, boxB = std::ceil(boxB) + 1;
    const int width = impl_->target->Width(), height = impl_->target->Height();
    double seenL = std::max(boxL, 0.0), seenT = std::max(boxT, 0.0);
    double seenR = std::min(boxR, static_cast<double>(width));
    double seenB = std::min(boxB, static_cast<double>(height));
    if (!impl_->clip.IsInfinite()) {
        RectF c;
        impl_->clip.GetBounds(&c);
        seenL = std::max(seenL, std::floor(static_cast<double>(c.X)));
        seenT = std::max(seenT, std::floor(static_cast<double>(c.Y)));
        seenR = std::min(seenR, std::ceil(static_cast<double>(c.X) + c.Width));
        seenB = std::min(seenB, std::ceil(static_cast<double>(c.Y) + c.Height));
    }
    if (seenL >= seenR || seenT >= seenB)
        return Ok;

    const ARGB color = static_cast<const SolidBrush*>(brush)->GetColor().GetValue();
    const bool smooth =
        impl_->smoothing == SmoothingModeAntiAlias || impl_->smoothing == SmoothingModeHighQuality;
    FillPicture& picture = cache->Of(owner);
    picture.used = true;
    // The part seen, in the picture's coordinates (device less the shift).
    const int needL = static_cast<int>(seenL - shiftX), needT = static_cast<int>(seenT - shiftY);
    const int needR = static_cast<int>(seenR - shiftX), needB = static_cast<int>(seenB - shiftY);
    if (!SameMaking(picture, path->Stamp(), color, smooth, e, fractionX, fractionY) ||
        needL < picture.left || needT < picture.top || needR > picture.right ||
        needB > picture.bottom) {
        // The target and a margin around it, as far as the fill reaches.
        const int marginX = width / kPictureMarginDivisor + 1;
        const int marginY = height / kPictureMarginDivisor + 1;
        picture.left = static_cast<int>(std::max(boxL, -static_cast<double>(marginX)) - shiftX);
        picture.top = static_cast<int>(std::max(boxT, -static_cast<double>(marginY)) - shiftY);
        picture.right =
            static_cast<int>(std::min(boxR, static_cast<double>(width + marginX)) - shiftX);
        picture.bottom =
            static_cast<int>(std::min(boxB, static_cast<double>(height + marginY)) - shiftY);
        picture.pathStamp = path->Stamp();
        picture.color = color;
        picture.smooth = smooth;
        std::copy(e, e + 4, picture.linear);
        picture.fractionX = fractionX;
        picture.fractionY = fractionY;
        cache->NoteMade();
        picture.image = PaintTarget::CreateImage(picture.right - picture.left,
                                                 picture.bottom - picture.top, 0x00000000);
        Graphics painter(picture.image.get());
        const double placed[6] = {
            e[0], e[1], e[2], e[3], fractionX - picture.left, fractionY - picture.top};
        Matrix m;
        m.SetDouble(placed);
        painter.SetTransform(&m);
        painter.SetSmoothingMode(impl_->smoothing);
        painter.FillPath(brush, path);
        painter.Flush();
    }
    if (QPainter* p = impl_->Begin()) {
        const PaintTargetImpl* pi = picture.image->Impl();
        p->setWorldTransform(QTransform());
        const QRect to(static_cast<int>(seenL), static_cast<int>(seenT), needR - needL,
                       needB - needT);
        const QRect from(needL - picture.left, needT - picture.top, needR - needL, needB - needT);
        p->drawImage(to, *pi->image, from);
        impl_->appliedDevice = 0;
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::FillRegion(const Brush* brush, const Region* region) {
    if (!brush || !region)
        return Fail(InvalidParameter);
    if (DrawRecord* r = impl_->Record(DrawOp::FillRegion, nullptr, brush)) {
        PolygonSet set;
        if (region->ToPolygons(&set)) {
            std::vector<PointF> pts;
            std::vector<uint8_t> types;
            for (const auto& c : set.contours)
                for (size_t i = 0; i < c.size(); ++i) {
                    pts.push_back({static_cast<float>(c[i].x), static_cast<float>(c[i].y)});
                    types.push_back(i == 0 ? PathPointTypeStart
                                           : (i + 1 == c.size()
                                                  ? PathPointTypeLine | PathPointTypeCloseSubpath
                                                  : PathPointTypeLine));
                }
            impl_->SetGeometry(r, pts, types, FillModeWinding);
        }
    }
    if (QPainter* p = impl_->Begin()) {
        p->fillPath(RegionToQt(region->Node().get()), impl_->ToQBrush(*brush));
        impl_->End(p);
    }
    return Ok;
}

float Graphics::FontSizeInWorld(const Font* font) const {
    if (!font)
        return 0;
    if (font->GetUnit() == UnitWorld)
        return font->GetSize();
    // A size in points, inches, ... is turned into page units; the world
    // transform then scales the text as it scales every other drawing.
    const double dpi = impl_->dpiY;
    const double page = UnitScale(impl_->unit, dpi);
    return static_cast<float>(font->GetSize() * UnitScale(font->GetUnit(), dpi) / page);
}

Status Graphics::DrawString(const std::wstring& text, const Font* font, const PointF& origin,
                            const StringFormat* format, const Brush* brush) {
    return DrawString(text, font, RectF{origin.X, origin.Y, 0, 0}, format, brush);
}

Status Graphics::DrawString(const std::wstring& text, const Font* font, const RectF& layoutRect,
                            const StringFormat* format, const Brush* brush) {
    if (!font || !brush)
        return Fail(InvalidParameter);
    if (!font->IsAvailable())
        return Fail(FontFamilyNotFound);
    const float em = FontSizeInWorld(font);
    GraphicsPath path(FillModeWinding);
    const bool useRect = layoutRect.Width != 0 || layoutRect.Height != 0;
    LayoutTextOutline(text, font->Family(), font->GetStyle(), em, layoutRect, useRect, format,
                      &path, nullptr);
    if (DrawRecord* r = impl_->Record(DrawOp::String, nullptr, brush)) {
        impl_->SetGeometry(r, path.Points(), path.Types(), FillModeWinding);
        r->worldRect = layoutRect;
        r->text = text;
        r->fontFamily = font->Family().Name();
        r->emSizeWorld = em;
    }
    if (path.GetPointCount() == 0)
        return Ok;
    if (QPainter* p = impl_->Begin()) {
        const bool aa = impl_->textHint != TextRenderingHintSingleBitPerPixel &&
                        impl_->textHint != TextRenderingHintSingleBitPerPixelGridFit;
        p->setRenderHint(QPainter::Antialiasing, aa);
        impl_->appliedAA = aa;
        p->fillPath(PathToQt(path), impl_->ToQBrush(*brush));
        impl_->End(p);
    }
    return Ok;
}

Status Graphics::MeasureString(const std::wstring& text, const Font* font, const PointF& origin,
                               const StringFormat* format, RectF* box) {
    return MeasureString(text, font, RectF{origin.X, origin.Y, 0, 0}, format, box);
}

Status Graphics::MeasureString(const std::wstring& text, const Font* font, const RectF& layoutRect,
                               const StringFormat* format, RectF* box) {
    if (!font || !box)
        return Fail(InvalidParameter);
    if (!font->IsAvailable())
        return Fail(FontFamilyNotFound);
    const bool useRect = layoutRect.Width != 0 || layoutRect.Height != 0;
    return Fail(LayoutTextOutline(text, font->Family(), font->GetStyle(), FontSizeInWorld(font),
                                  layoutRect, useRect, format, nullptr, box));
}

void Graphics::Flush() {
    impl_->Release();
    if (impl_->target)
        impl_->target->Flush();
}
