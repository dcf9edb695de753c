#include "platform/polygon_set.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

bool PolygonSet::Empty() const {
    for (const auto& c : contours)
        if (c.size() >= 3)
            return false;
    return true;
}

bool PolygonSet::Bounds(double* left, double* top, double* right, double* bottom) const {
    bool any = false;
    double l = 0, t = 0, r = 0, b = 0;
    for (const auto& c : contours)
        for (const PointD& p : c) {
            if (!any) {
                l = r = p.x;
                t = b = p.y;
                any = true;
            } else {
                l = std::min(l, p.x);
                r = std::max(r, p.x);
                t = std::min(t, p.y);
                b = std::max(b, p.y);
            }
        }
    if (any) {
        *left = l;
        *top = t;
        *right = r;
        *bottom = b;
    }
    return any;
}

namespace {

inline int EdgeWinding(const PointD& a, const PointD& b, double x, double y) {
    if (a.y <= y) {
        if (b.y > y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) > 0)
            return 1;
    } else if (b.y <= y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) < 0) {
        return -1;
    }
    return 0;
}

struct Edge {
    PointD a, b;
    int owner; // 0 first set, 1 second set
};

// Edges sorted into horizontal bands so that a point test reads only the
// edges of its band.
class BandIndex {
public:
    BandIndex(const std::vector<Edge>& edges, int owner) {
        bool any = false;
        for (const Edge& e : edges) {
            if (e.owner != owner)
                continue;
            const double lo = std::min(e.a.y, e.b.y), hi = std::max(e.a.y, e.b.y);
            if (!any) {
                y0_ = lo;
                y1_ = hi;
                any = true;
            } else {
                y0_ = std::min(y0_, lo);
                y1_ = std::max(y1_, hi);
            }
            ++count_;
        }
        if (!any)
            return;
        bands_.resize(std::max<size_t>(1, static_cast<size_t>(std::sqrt(double(count_)))));
        step_ = (y1_ - y0_) / bands_.size();
        for (const Edge& e : edges) {
            if (e.owner != owner)
                continue;
            const size_t lo = Band(std::min(e.a.y, e.b.y)), hi = Band(std::max(e.a.y, e.b.y));
            for (size_t k = lo; k <= hi; ++k)
                bands_[k].push_back(&e);
        }
    }
    int Winding(double x, double y) const {
        if (bands_.empty() || y < y0_ || y > y1_)
            return 0;
        int w = 0;
        for (const Edge* e : bands_[Band(y)])
            w += EdgeWinding(e->a, e->b, x, y);
        return w;
    }

private:
    size_t Band(double y) const {
        if (step_ <= 0)
            return 0;
        double k = std::floor((y - y0_) / step_);
        if (k < 0)
            k = 0;
        return std::min(bands_.size() - 1, static_cast<size_t>(k));
    }
    std::vector<std::vector<const Edge*>> bands_;
    double y0_ = 0, y1_ = 0, step_ = 0;
    size_t count_ = 0;
};

void CollectEdges(const PolygonSet& s, int owner, std::vector<Edge>* out) {
    for (const auto& c : s.contours) {
        const size_t n = c.size();
        if (n < 2)
            continue;
        for (size_t i = 0; i < n; ++i) {
            const PointD& a = c[i];
            const PointD& b = c[(i + 1) % n];
            if (a == b)
                continue;
            out->push_back({a, b, owner});
        }
    }
}

struct Split {
    double t;
    PointD p;
};

inline double Cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

// Parameter of p projected on a->b.
inline double Param(const PointD& a, const PointD& b, const PointD& p) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    return ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
}

void FindSplits(const std::vector<Edge>& edges, std::vector<std::vector<Split>>* splits,
                double scale) {
    const size_t n = edges.size();
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    auto minX = [&](size_t i) { return std::min(edges[i].a.x, edges[i].b.x); };
    std::sort(order.begin(), order.end(), [&](size_t i, size_t j) {
        const double a = minX(i), b = minX(j);
        return a < b || (a == b && i < j);
    });
    const double tol = 1e-12 * scale * scale;
    const double ptol = 1e-10;
    for (size_t oi = 0; oi < n; ++oi) {
        const size_t i = order[oi];
        const Edge& e = edges[i];
        const double eMaxX = std::max(e.a.x, e.b.x);
        const double eMinY = std::min(e.a.y, e.b.y), eMaxY = std::max(e.a.y, e.b.y);
        for (size_t oj = oi + 1; oj < n; ++oj) {
            const size_t j = order[oj];
            const Edge& f = edges[j];
            if (minX(j) > eMaxX)
                break;
            if (std::max(f.a.y, f.b.y) < eMinY || std::min(f.a.y, f.b.y) > eMaxY)
                continue;
            const double rx = e.b.x - e.a.x, ry = e.b.y - e.a.y;
            const double sx = f.b.x - f.a.x, sy = f.b.y - f.a.y;
            const double qx = f.a.x - e.a.x, qy = f.a.y - e.a.y;
            const double d = Cross(rx, ry, sx, sy);
            const double lenR = std::hypot(rx, ry), lenS = std::hypot(sx, sy);
            if (std::fabs(d) <= 1e-12 * lenR * lenS) {
                // Parallel: only collinear overlaps matter.
                if (std::fabs(Cross(qx, qy, rx, ry)) > tol + 1e-12 * lenR * std::hypot(qx, qy))
                    continue;
                for (const PointD& p : {f.a, f.b}) {
                    const double t = Param(e.a, e.b, p);
                    if (t > ptol && t < 1 - ptol)
                        (*splits)[i].push_back({t, p});
                }
                for (const PointD& p : {e.a, e.b}) {
                    const double t = Param(f.a, f.b, p);
                    if (t > ptol && t < 1 - ptol)
                        (*splits)[j].push_back({t, p});
                }
                continue;
            }
            const double t = Cross(qx, qy, sx, sy) / d;
            const double u = Cross(qx, qy, rx, ry) / d;
            if (t < -ptol || t > 1 + ptol || u < -ptol || u > 1 + ptol)
                continue;
            const bool tIn = t > ptol && t < 1 - ptol;
            const bool uIn = u > ptol && u < 1 - ptol;
            if (!tIn && !uIn)
                continue; // meet at end points
            // Use an existing end point where one edge ends on the other, so
            // that both sides share the very same coordinates.
            PointD p{e.a.x + t * rx, e.a.y + t * ry};
            if (!uIn)
                p = u < 0.5 ? f.a : f.b;
            else if (!tIn)
                p = t < 0.5 ? e.a : e.b;
            if (tIn)
                (*splits)[i].push_back({t, p});
            if (uIn)
                (*splits)[j].push_back({u, p});
        }
    }
}

struct KeyLess {
    bool operator()(const PointD& a, const PointD& b) const {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    }
};

bool Apply(CombineMode op, bool a, bool b) {
    switch (op) {
    case CombineModeIntersect:
        return a && b;
    case CombineModeUnion:
        return a || b;
    case CombineModeXor:
        return a != b;
    case CombineModeExclude:
        return a && !b;
    case CombineModeComplement:
        return b && !a;
    case CombineModeReplace:
        return b;
    }
    return false;
}

bool InsideBy(FillMode fill, int w) {
    return fill == FillModeWinding ? w != 0 : (w & 1) != 0;
}

} // namespace

int WindingNumber(const PolygonSet& set, double x, double y) {
    int w = 0;
    for (const auto& c : set.contours) {
        const size_t n = c.size();
        if (n < 2)
            continue;
        for (size_t i = 0; i < n; ++i)
            w += EdgeWinding(c[i], c[(i + 1) % n], x, y);
    }
    return w;
}

bool PolygonSetContains(const PolygonSet& set, double x, double y) {
    return InsideBy(set.fill, WindingNumber(set, x, y));
}

PolygonSet CombinePolygonSets(const PolygonSet& a, const PolygonSet& b, CombineMode op) {
    PolygonSet result;
    result.fill = FillModeWinding;
    std::vector<Edge> edges;
    CollectEdges(a, 0, &edges);
    CollectEdges(b, 1, &edges);
    if (edges.empty())
        return result;

    double scale = 1;
    for (const Edge& e : edges)
        scale = std::max({scale, std::fabs(e.a.x), std::fabs(e.a.y)});

    std::vector<std::vector<Split>> splits(edges.size());
    FindSplits(edges, &splits, scale);

    // Cut every edge at its splits; one copy of each piece whatever its
    // direction or owner.
    std::map<std::pair<PointD, PointD>, int,
             decltype([](const std::pair<PointD, PointD>& x, const std::pair<PointD, PointD>& y) {
                 KeyLess l;
                 if (l(x.first, y.first))
                     return true;
                 if (l(y.first, x.first))
                     return false;
                 return l(x.second, y.second);
             })>
        seen;
    std::vector<std::pair<PointD, PointD>> pieces;
    for (size_t i = 0; i < edges.size(); ++i) {
        auto& s = splits[i];
        std::sort(s.begin(), s.end(), [](const Split& x, const Split& y) { return x.t < y.t; });
        PointD from = edges[i].a;
        auto add = [&](const PointD& to) {
            if (from == to)
                return;
            std::pair<PointD, PointD> key =
                KeyLess()(from, to) ? std::make_pair(from, to) : std::make_pair(to, from);
            if (seen.emplace(key, 0).second)
                pieces.push_back({from, to});
            from = to;
        };
        for (const Split& sp : s)
            add(sp.p);
        add(edges[i].b);
    }

    const BandIndex ia(edges, 0), ib(edges, 1);
    const double eps = 1e-9 * scale;
    std::vector<std::pair<PointD, PointD>> kept;
    for (const auto& [p, q] : pieces) {
        const double dx = q.x - p.x, dy = q.y - p.y;
        const double len = std::hypot(dx, dy);
        const double off = std::min(eps, len * 0.25);
        const double nx = -dy / len * off, ny = dx / len * off;
        const double mx = (p.x + q.x) * 0.5, my = (p.y + q.y) * 0.5;
        const bool left = Apply(op, InsideBy(a.fill, ia.Winding(mx + nx, my + ny)),
                                InsideBy(b.fill, ib.Winding(mx + nx, my + ny)));
        const bool right = Apply(op, InsideBy(a.fill, ia.Winding(mx - nx, my - ny)),
                                 InsideBy(b.fill, ib.Winding(mx - nx, my - ny)));
        if (left == right)
            continue;
        if (left)
            kept.push_back({p, q});
        else
            kept.push_back({q, p});
    }

    // Chain the kept pieces into closed contours. Winding numbers add over
    // edges, so any way of pairing pieces at a shared vertex gives the same
    // area.
    std::multimap<PointD, size_t, KeyLess> starts;
    for (size_t i = 0; i < kept.size(); ++i)
        starts.emplace(kept[i].first, i);
    std::vector<bool> used(kept.size(), false);
    for (size_t i = 0; i < kept.size(); ++i) {
        if (used[i])
            continue;
        std::vector<PointD> contour;
        size_t cur = i;
        const PointD origin = kept[i].first;
        while (true) {
            used[cur] = true;
            contour.push_back(kept[cur].first);
            const PointD end = kept[cur].second;
            if (end == origin)
                break;
            size_t next = kept.size();
            auto range = starts.equal_range(end);
            for (auto it = range.first; it != range.second; ++it)
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            if (next == kept.size()) {
                contour.push_back(end);
                break;
            }
            cur = next;
        }
        if (contour.size() >= 3)
            result.contours.push_back(std::move(contour));
    }
    return result;
}

PolygonSet PolygonSetOutline(const PolygonSet& a) {
    return CombinePolygonSets(a, PolygonSet{}, CombineModeUnion);
}

bool PolygonSetsOverlap(const PolygonSet& a, const PolygonSet& b) {
    return !CombinePolygonSets(a, b, CombineModeIntersect).Empty();
}
