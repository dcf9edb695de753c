#include "platform/graphics_path.h"

#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/pen.h"
#include "platform/polygon_set.h"

#include <algorithm>
#include <cmath>

namespace {

// Cosine and sine of an angle in degrees, exact at multiples of 90.
void SinCosDeg(double deg, double* c, double* s) {
    const double q = deg / 90.0;
    if (q == std::floor(q) && std::fabs(q) < 1e9) {
        const long long k = static_cast<long long>(q) & 3;
        static const double cs[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        *c = cs[k][0];
        *s = cs[k][1];
        return;
    }
    const double r = deg * M_PI / 180.0;
    *c = std::cos(r);
    *s = std::sin(r);
}

// Parameter angle (degrees) of the ellipse point seen at angle deg from the
// centre.
double ParamAngle(double deg, double a, double b) {
    if (a == b)
        return deg;
    double c, s;
    SinCosDeg(deg, &c, &s);
    return std::atan2(a * s, b * c) * 180.0 / M_PI;
}

struct P2 {
    double x, y;
};

// Steps for a cubic so that no point of the curve is farther than tol from
// the polyline (bound on the control polygon's second differences).
int CubicSteps(const P2& p0, const P2& p1, const P2& p2, const P2& p3, double tol) {
    const double ax = p0.x - 2 * p1.x + p2.x, ay = p0.y - 2 * p1.y + p2.y;
    const double bx = p1.x - 2 * p2.x + p3.x, by = p1.y - 2 * p2.y + p3.y;
    const double m = std::max(std::hypot(ax, ay), std::hypot(bx, by));
    const double n = std::ceil(std::sqrt(0.75 * m / tol));
    if (!(n >= 1))
        return 1;
    return n > 4096 ? 4096 : static_cast<int>(n);
}

P2 CubicAt(const P2& p0, const P2& p1, const P2& p2, const P2& p3, double t) {
    const double u = 1 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
            b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

// Extremes of one coordinate of a cubic on [0, 1].
void CubicExtent(double p0, double p1, double p2, double p3, double* lo, double* hi) {
    *lo = std::min(p0, p3);
    *hi = std::max(p0, p3);
    // Derivative / 3: a t^2 + b t + c.
    const double a = -p0 + 3 * p1 - 3 * p2 + p3;
    const double b = 2 * (p0 - 2 * p1 + p2);
    const double c = p1 - p0;
    auto take = [&](double t) {
        if (t > 0 && t < 1) {
            const double u = 1 - t;
            const double v =
                u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
            *lo = std::min(*lo, v);
            *hi = std::max(*hi, v);
        }
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12)
            take(-c / b);
        return;
    }
    const double d = b * b - 4 * a * c;
    if (d < 0)
        return;
    const double sq = std::sqrt(d);
    take((-b + sq) / (2 * a));
    take((-b - sq) / (2 * a));
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by,
                       double* t) {
    const double dx = bx - ax, dy = by - ay;
    const double l2 = dx * dx + dy * dy;
    double u = l2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / l2 : 0;
    *t = u;
    u = std::clamp(u, 0.0, 1.0);
    return std::hypot(px - (ax + u * dx), py - (ay + u * dy));
}

} // namespace

GraphicsPath::GraphicsPath(FillMode fillMode) : fillMode_(fillMode), stamp_(NextDrawingStamp()) {}

GraphicsPath::GraphicsPath(const PointF* points, const uint8_t* types, int count, FillMode fillMode)
    : fillMode_(fillMode), stamp_(NextDrawingStamp()) {
    if (!points || !types || count < 0) {
        lastStatus_ = InvalidParameter;
        return;
    }
    points_.assign(points, points + count);
    types_.assign(types, types + count);
    newFigure_ = count == 0 || (types_.back() & PathPointTypeCloseSubpath);
}

GraphicsPath& GraphicsPath::operator=(const GraphicsPath& other) {
    points_ = other.points_;
    types_ = other.types_;
    fillMode_ = other.fillMode_;
    newFigure_ = other.newFigure_;
    lastStatus_ = other.lastStatus_;
    stamp_ = other.stamp_;
    return *this;
}

void GraphicsPath::Touch() {
    stamp_ = NextDrawingStamp();
}

Status GraphicsPath::Fail(Status s) const {
    lastStatus_ = s;
    return s;
}

Status GraphicsPath::GetLastStatus() const {
    Status s = lastStatus_;
    lastStatus_ = Ok;
    return s;
}

Status GraphicsPath::Reset() {
    points_.clear();
    types_.clear();
    fillMode_ = FillModeAlternate;
    newFigure_ = true;
    Touch();
    return Ok;
}

Status GraphicsPath::SetFillMode(FillMode mode) {
    fillMode_ = mode;
    Touch();
    return Ok;
}

Status GraphicsPath::StartFigure() {
    newFigure_ = true;
    return Ok;
}

Status GraphicsPath::CloseFigure() {
    if (!points_.empty()) {
        types_.back() |= PathPointTypeCloseSubpath;
        Touch();
    }
    newFigure_ = true;
    return Ok;
}

Status GraphicsPath::CloseAllFigures() {
    for (size_t i = 1; i < types_.size(); ++i)
        if ((types_[i] & PathPointTypePathTypeMask) == PathPointTypeStart)
            types_[i - 1] |= PathPointTypeCloseSubpath;
    if (!types_.empty())
        types_.back() |= PathPointTypeCloseSubpath;
    newFigure_ = true;
    Touch();
    return Ok;
}

void GraphicsPath::AppendRaw(const PointF& p, uint8_t type) {
    points_.push_back(p);
    types_.push_back(type);
    newFigure_ = false;
    Touch();
}

void GraphicsPath::BeginSegment(const PointF& first) {
    if (newFigure_ || points_.empty()) {
        points_.push_back(first);
        types_.push_back(PathPointTypeStart);
        newFigure_ = false;
    } else if (!(points_.back() == first)) {
        points_.push_back(first);
        types_.push_back(PathPointTypeLine);
    }
    Touch();
}

Status GraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
    BeginSegment({x1, y1});
    points_.push_back({x2, y2});
    types_.push_back(PathPointTypeLine);
    return Ok;
}

Status GraphicsPath::AddLines(const PointF* points, int count) {
    if (!points || count < 1)
        return Fail(InvalidParameter);
    BeginSegment(points[0]);
    for (int i = 1; i < count; ++i) {
        points_.push_back(points[i]);
        types_.push_back(PathPointTypeLine);
    }
    return Ok;
}

void GraphicsPath::ArcPoints(double x, double y, double w, double h, double startAngle,
                             double sweepAngle, std::vector<PointF>* out) {
    const double a = w / 2, b = h / 2;
    const double cx = x + a, cy = y + b;
    sweepAngle = std::clamp(sweepAngle, -360.0, 360.0);
    const double mag = std::fabs(sweepAngle);
    const double dir = sweepAngle < 0 ? -1 : 1;
    int n = static_cast<int>(std::ceil(mag / 90.0 - 1e-9));
    if (n < 1)
        n = 1;
    double tPrev = ParamAngle(startAngle, a, b);
    double thetaPrev = startAngle;
    double c1, s1;
    SinCosDeg(tPrev, &c1, &s1);
    out->push_back({static_cast<float>(cx + a * c1), static_cast<float>(cy + b * s1)});
    for (int k = 1; k <= n; ++k) {
        const double theta = k == n ? startAngle + sweepAngle : startAngle + dir * 90.0 * k;
        double t = ParamAngle(theta, a, b);
        if (a != b) {
            const double expected = tPrev + (theta - thetaPrev);
            t += 360.0 * std::round((expected - t) / 360.0);
        }
        const double delta = (t - tPrev) * M_PI / 180.0;
        const double kk = 4.0 / 3.0 * std::tan(delta / 4.0);
        double c2, s2;
        SinCosDeg(t, &c2, &s2);
        const double x0 = cx + a * c1, y0 = cy + b * s1;
        const double x3 = cx + a * c2, y3 = cy + b * s2;
        out->push_back(
            {static_cast<float>(x0 - kk * a * s1), static_cast<float>(y0 + kk * b * c1)});
        out->push_back(
            {static_cast<float>(x3 + kk * a * s2), static_cast<float>(y3 - kk * b * c2)});
        out->push_back({static_cast<float>(x3), static_cast<float>(y3)});
        tPrev = t;
        thetaPrev = theta;
        c1 = c2;
        s1 = s2;
    }
}

Status GraphicsPath::AddArc(float x, float y, float width, float height, float startAngle,
                            float sweepAngle) {
    if (!(width > 0) || !(height > 0))
        return Fail(InvalidParameter);
    std::vector<PointF> pts;
    ArcPoints(x, y, width, height, startAngle, sweepAngle, &pts);
    BeginSegment(pts[0]);
    for (size_t i = 1; i < pts.size(); ++i) {
        points_.push_back(pts[i]);
        types_.push_back(PathPointTypeBezier);
    }
    return Ok;
}

Status GraphicsPath::AddBezier(const PointF& p1, const PointF& p2, const PointF& p3,
                               const PointF& p4) {
    BeginSegment(p1);
    for (const PointF& p : {p2, p3, p4}) {
        points_.push_back(p);
        types_.push_back(PathPointTypeBezier);
    }
    return Ok;
}

Status GraphicsPath::AddBeziers(const PointF* points, int count) {
    if (!points || count < 4 || (count - 1) % 3 != 0)
        return Fail(InvalidParameter);
    BeginSegment(points[0]);
    for (int i = 1; i < count; ++i) {
        points_.push_back(points[i]);
        types_.push_back(PathPointTypeBezier);
    }
    return Ok;
}

Status GraphicsPath::AddRectangle(const RectF& r) {
    if (r.Width == 0 || r.Height == 0)
        return Ok;
    const PointF pts[4] = {
        {r.X, r.Y}, {r.X + r.Width, r.Y}, {r.X + r.Width, r.Y + r.Height}, {r.X, r.Y + r.Height}};
    for (int i = 0; i < 4; ++i) {
        points_.push_back(pts[i]);
        types_.push_back(i == 0 ? PathPointTypeStart : PathPointTypeLine);
    }
    types_.back() |= PathPointTypeCloseSubpath;
    newFigure_ = true;
    Touch();
    return Ok;
}

Status GraphicsPath::AddRectangles(const RectF* rects, int count) {
    if (!rects || count < 0)
        return Fail(InvalidParameter);
    for (int i = 0; i < count; ++i)
        AddRectangle(rects[i]);
    return Ok;
}

Status GraphicsPath::AddEllipse(float x, float y, float width, float height) {
    if (!(width > 0) || !(height > 0))
        return Fail(InvalidParameter);
    std::vector<PointF> pts;
    ArcPoints(x, y, width, height, 0, 360, &pts);
    // The last point closes onto the first.
    for (size_t i = 0; i < pts.size(); ++i) {
        points_.push_back(pts[i]);
        types_.push_back(i == 0 ? PathPointTypeStart : PathPointTypeBezier);
    }
    types_.back() |= PathPointTypeCloseSubpath;
    newFigure_ = true;
    Touch();
    return Ok;
}

Status GraphicsPath::AddPie(float x, float y, float width, float height, float startAngle,
                            float sweepAngle) {
    if (!(width > 0) || !(height > 0))
        return Fail(InvalidParameter);
    std::vector<PointF> pts;
    ArcPoints(x, y, width, height, startAngle, sweepAngle, &pts);
    points_.push_back({x + width / 2, y + height / 2});
    types_.push_back(PathPointTypeStart);
    points_.push_back(pts[0]);
    types_.push_back(PathPointTypeLine);
    for (size_t i = 1; i < pts.size(); ++i) {
        points_.push_back(pts[i]);
        types_.push_back(PathPointTypeBezier);
    }
    types_.back() |= PathPointTypeCloseSubpath;
    newFigure_ = true;
    Touch();
    return Ok;
}

Status GraphicsPath::AddPolygon(const PointF* points, int count) {
    if (!points || count < 2)
        return Fail(InvalidParameter);
    for (int i = 0; i < count; ++i) {
        points_.push_back(points[i]);
        types_.push_back(i == 0 ? PathPointTypeStart : PathPointTypeLine);
    }
    types_.back() |= PathPointTypeCloseSubpath;
    newFigure_ = true;
    Touch();
    return Ok;
}

Status GraphicsPath::AddPath(const GraphicsPath* path, bool connect) {
    if (!path)
        return Fail(InvalidParameter);
    if (path->points_.empty())
        return Ok;
    const std::vector<PointF> pts = path->points_; // the path may be this one
    const std::vector<uint8_t> types = path->types_;
    size_t i = 0;
    if (connect && !newFigure_ && !points_.empty()) {
        if (points_.back() == pts[0])
            i = 1;
        else {
            points_.push_back(pts[0]);
            types_.push_back(PathPointTypeLine | (types[0] & PathPointTypeCloseSubpath));
            i = 1;
        }
    }
    for (; i < pts.size(); ++i) {
        points_.push_back(pts[i]);
        types_.push_back(types[i]);
    }
    newFigure_ = (types_.back() & PathPointTypeCloseSubpath) != 0;
    Touch();
    return Ok;
}

Status GraphicsPath::Transform(const Matrix* matrix) {
    if (!matrix)
        return Ok;
    for (PointF& p : points_)
        p = matrix->Map(p);
    Touch();
    return Ok;
}

void GraphicsPath::FlattenInto(std::vector<PointF>* outPts, std::vector<uint8_t>* outTypes,
                               const Matrix* m, double flatness) const {
    if (!(flatness > 1e-7))
        flatness = 1e-7;
    const size_t n = points_.size();
    outPts->reserve(n);
    outTypes->reserve(n);
    auto at = [&](size_t i) {
        P2 p{points_[i].X, points_[i].Y};
        if (m)
            m->Map(p.x, p.y, &p.x, &p.y);
        return p;
    };
    auto push = [&](const P2& p, uint8_t t) {
        outPts->push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
        outTypes->push_back(t);
    };
    P2 last{0, 0};
    for (size_t i = 0; i < n; ++i) {
        const uint8_t type = types_[i];
        const uint8_t kind = type & PathPointTypePathTypeMask;
        const uint8_t close = type & PathPointTypeCloseSubpath;
        if (kind == PathPointTypeBezier && i + 2 < n) {
            const P2 p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
            const uint8_t close3 = types_[i + 2] & PathPointTypeCloseSubpath;
            const int steps = CubicSteps(last, p1, p2, p3, flatness);
            for (int k = 1; k < steps; ++k)
                push(CubicAt(last, p1, p2, p3, static_cast<double>(k) / steps), PathPointTypeLine);
            push(p3, PathPointTypeLine | close3);
            last = p3;
            i += 2;
            continue;
        }
        last = at(i);
        push(last, (kind == PathPointTypeStart ? PathPointTypeStart : PathPointTypeLine) | close);
    }
}

Status GraphicsPath::Flatten(const Matrix* matrix, float flatness) {
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    FlattenInto(&pts, &types, matrix, flatness);
    points_.swap(pts);
    types_.swap(types);
    Touch();
    return Ok;
}

void GraphicsPath::ToPolygons(PolygonSet* out, const Matrix* matrix, double flatness) const {
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    FlattenInto(&pts, &types, matrix, flatness);
    out->fill = fillMode_;
    for (size_t i = 0; i < pts.size(); ++i) {
        if ((types[i] & PathPointTypePathTypeMask) == PathPointTypeStart || out->contours.empty())
            out->contours.emplace_back();
        out->contours.back().push_back({pts[i].X, pts[i].Y});
    }
}

Status GraphicsPath::Outline(const Matrix* matrix, float flatness) {
    PolygonSet set;
    ToPolygons(&set, matrix, flatness);
    set.fill = FillModeWinding;
    const PolygonSet merged = PolygonSetOutline(set);
    points_.clear();
    types_.clear();
    for (const auto& c : merged.contours) {
        for (size_t i = 0; i < c.size(); ++i) {
            points_.push_back({static_cast<float>(c[i].x), static_cast<float>(c[i].y)});
            types_.push_back(i == 0 ? PathPointTypeStart : PathPointTypeLine);
        }
        types_.back() |= PathPointTypeCloseSubpath;
    }
    fillMode_ = FillModeWinding;
    newFigure_ = true;
    Touch();
    return Ok;
}

Status GraphicsPath::Reverse() {
    const size_t n = points_.size();
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    pts.reserve(n);
    types.reserve(n);
    // Figures from the last to the first, each read backwards.
    size_t end = n;
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && (types_[start] & PathPointTypePathTypeMask) != PathPointTypeStart)
            --start;
        const uint8_t close = types_[end - 1] & PathPointTypeCloseSubpath;
        for (size_t j = end; j-- > start;) {
            pts.push_back(points_[j]);
            if (j == end - 1)
                types.push_back(PathPointTypeStart);
            else
                types.push_back(types_[j + 1] & PathPointTypePathTypeMask);
        }
        types.back() |= close;
        end = start;
    }
    points_.swap(pts);
    types_.swap(types);
    Touch();
    return Ok;
}

Status GraphicsPath::GetBounds(RectF* bounds, const Matrix* matrix, const Pen* pen) const {
    if (!bounds)
        return Fail(InvalidParameter);
    const size_t n = points_.size();
    if (n == 0) {
        *bounds = RectF{};
        return Ok;
    }
    auto at = [&](size_t i) {
        P2 p{points_[i].X, points_[i].Y};
        if (matrix)
            matrix->Map(p.x, p.y, &p.x, &p.y);
        return p;
    };
    double l = 0, t = 0, r = 0, b = 0;
    bool any = false;
    auto grow = [&](double x0, double y0, double x1, double y1) {
        if (!any) {
            l = x0, t = y0, r = x1, b = y1;
            any = true;
        } else {
            l = std::min(l, x0), t = std::min(t, y0), r = std::max(r, x1), b = std::max(b, y1);
        }
    };
    P2 last{0, 0};
    for (size_t i = 0; i < n; ++i) {
        const uint8_t kind = types_[i] & PathPointTypePathTypeMask;
        if (kind == PathPointTypeBezier && i + 2 < n && i > 0) {
            const P2 p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
            double x0, x1, y0, y1;
            CubicExtent(last.x, p1.x, p2.x, p3.x, &x0, &x1);
            CubicExtent(last.y, p1.y, p2.y, p3.y, &y0, &y1);
            grow(x0, y0, x1, y1);
            last = p3;
            i += 2;
            continue;
        }
        last = at(i);
        grow(last.x, last.y, last.x, last.y);
    }
    if (pen && pen->GetWidth() > 0) {
        const double hw = pen->GetWidth() / 2.0 * (matrix ? matrix->Scale() : 1.0);
        l -= hw, t -= hw, r += hw, b += hw;
    }
    *bounds = {static_cast<float>(l), static_cast<float>(t), static_cast<float>(r - l),
               static_cast<float>(b - t)};
    return Ok;
}

namespace {

// Flatness for the exact tests: fine against the size of the path.
double TestFlatness(const GraphicsPath& path, const Matrix* m) {
    RectF r;
    path.GetBounds(&r, m);
    const double size =
        std::max({1e-3, static_cast<double>(r.Width), static_cast<double>(r.Height)});
    return size * 1e-5;
}

} // namespace

bool GraphicsPath::IsVisible(float x, float y, const Graphics* g) const {
    if (points_.empty())
        return false;
    Matrix m;
    double px = x, py = y;
    if (g) {
        m = g->WorldToDevice();
        m.Map(px, py, &px, &py);
    }
    PolygonSet set;
    ToPolygons(&set, g ? &m : nullptr, TestFlatness(*this, g ? &m : nullptr));
    return PolygonSetContains(set, px, py);
}

bool GraphicsPath::IsOutlineVisible(float x, float y, const Pen* pen, const Graphics* g) const {
    if (points_.empty() || !pen)
        return false;
    Matrix m;
    double px = x, py = y;
    double width = pen->GetWidth();
    if (g) {
        m = g->WorldToDevice();
        m.Map(px, py, &px, &py);
        width *= m.Scale();
    }
    if (width < 1)
        width = 1;
    const double hw = width / 2;
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    FlattenInto(&pts, &types, g ? &m : nullptr, TestFlatness(*this, g ? &m : nullptr));
    const bool roundStart = pen->GetStartCap() == LineCapRound;
    const bool roundEnd = pen->GetEndCap() == LineCapRound;
    const bool squareStart = pen->GetStartCap() == LineCapSquare;
    const bool squareEnd = pen->GetEndCap() == LineCapSquare;
    size_t s = 0;
    while (s < pts.size()) {
        size_t e = s + 1;
        while (e < pts.size() && (types[e] & PathPointTypePathTypeMask) != PathPointTypeStart)
            ++e;
        const bool closed = (types[e - 1] & PathPointTypeCloseSubpath) != 0;
        const size_t last = e - 1;
        const size_t segs = closed ? e - s : e - s - 1;
        if (e - s == 1) {
            // A lone point is only a dot with round caps.
            if ((roundStart || roundEnd) && std::hypot(px - pts[s].X, py - pts[s].Y) <= hw)
                return true;
        }
        for (size_t k = 0; k < segs; ++k) {
            const size_t i = s + k;
            const size_t j = i == last ? s : i + 1;
            double ax = pts[i].X, ay = pts[i].Y, bx = pts[j].X, by = pts[j].Y;
            const bool first = !closed && i == s;
            const bool lastSeg = !closed && j == last;
            const double len = std::hypot(bx - ax, by - ay);
            if (len > 0) {
                const double ux = (bx - ax) / len, uy = (by - ay) / len;
                if (first && squareStart)
                    ax -= ux * hw, ay -= uy * hw;
                if (lastSeg && squareEnd)
                    bx += ux * hw, by += uy * hw;
            }
            double t;
            const double d = SegmentDistance(px, py, ax, ay, bx, by, &t);
            if (d > hw)
                continue;
            // Open ends without round caps end flat at the end point; joins
            // between pieces count as round.
            if (t < 0 && first && !roundStart)
                continue;
            if (t > 1 && lastSeg && !roundEnd)
                continue;
            return true;
        }
        s = e;
    }
    return false;
}

Status GraphicsPath::GetPathPoints(PointF* points, int count) const {
    if (!points || count < GetPointCount())
        return Fail(InsufficientBuffer);
    std::copy(points_.begin(), points_.end(), points);
    return Ok;
}

Status GraphicsPath::GetPathTypes(uint8_t* types, int count) const {
    if (!types || count < GetPointCount())
        return Fail(InsufficientBuffer);
    std::copy(types_.begin(), types_.end(), types);
    return Ok;
}

Status GraphicsPath::GetPathData(PathData* data) const {
    if (!data)
        return Fail(InvalidParameter);
    data->Count = GetPointCount();
    data->Points = points_;
    data->Types = types_;
    return Ok;
}

Status GraphicsPath::GetLastPoint(PointF* point) const {
    if (!point || points_.empty())
        return Fail(InvalidParameter);
    *point = points_.back();
    return Ok;
}

Status GraphicsPath::AddString(const std::wstring& text, const FontFamily* family, int style,
                               float emSize, const PointF& origin, const StringFormat* format) {
    return AddString(text, family, style, emSize, RectF{origin.X, origin.Y, 0, 0}, format);
}

Status GraphicsPath::AddString(const std::wstring& text, const FontFamily* family, int style,
                               float emSize, const RectF& layoutRect, const StringFormat* format) {
    if (!family)
        return Fail(InvalidParameter);
    if (!family->IsAvailable())
        return Fail(FontFamilyNotFound);
    const bool useRect = layoutRect.Width != 0 || layoutRect.Height != 0;
    const Status s =
        LayoutTextOutline(text, *family, style, emSize, layoutRect, useRect, format, this, nullptr);
    newFigure_ = true;
    return s == Ok ? Ok : Fail(s);
}
