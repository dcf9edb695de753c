#include "board/clip_sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr uint8_t kSubjectBit = 1;
constexpr uint8_t kClipBit = 2;

// Vertex classes: which of the four quadrants around a point of the scanline
// (or around a crossing) lie inside the result. At a scanline point the
// quadrants are below-left, below-right, above-left and above-right of the
// edge; at a crossing they are the bottom, right, left and top regions.
constexpr int kBL = 1, kBR = 2, kAL = 4, kAR = 8;

enum VertexClass {
    kExternalMaximum = kBL,                       // 1
    kExternalLeftIntermediate = kBR,              // 2
    kTopEdge = kBL | kBR,                         // 3
    kExternalRightIntermediate = kAL,             // 4
    kRightEdge = kBL | kAL,                       // 5
    kInternalMaxAndMin = kBR | kAL,               // 6
    kInternalMinimum = kBL | kBR | kAL,           // 7
    kExternalMinimum = kAR,                       // 8
    kExternalMaxAndMin = kBL | kAR,               // 9
    kLeftEdge = kBR | kAR,                        // 10
    kInternalLeftIntermediate = kBL | kBR | kAR,  // 11
    kBottomEdge = kAL | kAR,                      // 12
    kInternalRightIntermediate = kBL | kAL | kAR, // 13
    kInternalMaximum = kBR | kAL | kAR,           // 14
};

double XAt(double bx, double by, double tx, double ty, double y) {
    if (y <= by)
        return bx;
    if (y >= ty)
        return tx;
    const double x = bx + (tx - bx) * ((y - by) / (ty - by));
    return std::clamp(x, std::min(bx, tx), std::max(bx, tx));
}

bool Collinear(const PointF& a, const PointF& b, const PointF& c) {
    const double cross =
        (double(b.X) - a.X) * (double(c.Y) - a.Y) - (double(b.Y) - a.Y) * (double(c.X) - a.X);
    return cross == 0;
}

// Removes repeated vertices and vertices on the straight line through their
// neighbours (spikes included), around the closed contour. The result is
// out[first, out.size()); empty when fewer than three vertices are left.
size_t Simplify(const std::vector<PointF>& pts, std::vector<PointF>& out) {
    out.clear();
    out.reserve(pts.size());
    for (const PointF& p : pts) {
        if (!out.empty() && out.back() == p)
            continue;
        while (out.size() >= 2 && Collinear(out[out.size() - 2], out.back(), p))
            out.pop_back();
        if (!out.empty() && out.back() == p)
            continue;
        out.push_back(p);
    }
    // The seam between the last and the first vertex.
    size_t first = 0;
    bool changed = true;
    while (changed && out.size() - first >= 3) {
        changed = false;
        const size_t n = out.size();
        if (out[n - 1] == out[first]) {
            out.pop_back();
            changed = true;
        } else if (Collinear(out[n - 2], out[n - 1], out[first])) {
            out.pop_back();
            changed = true;
        } else if (Collinear(out[n - 1], out[first], out[first + 1])) {
            ++first;
            changed = true;
        }
    }
    if (out.size() - first < 3) {
        out.clear();
        return 0;
    }
    return first;
}

} // namespace

void ClipSweep::AddContour(const PointF* points, int count, bool isClip) {
    if (!points || count < 3)
        return;
    std::vector<double>& xs = m_scratchX;
    std::vector<double>& ys = m_scratchY;
    xs.clear();
    ys.clear();
    for (int i = 0; i < count; ++i) {
        const double x = points[i].X, y = points[i].Y;
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        if (!xs.empty() && xs.back() == x && ys.back() == y)
            continue;
        xs.push_back(x);
        ys.push_back(y);
    }
    while (xs.size() > 1 && xs.back() == xs.front() && ys.back() == ys.front()) {
        xs.pop_back();
        ys.pop_back();
    }
    const size_t n = xs.size();
    if (n < 3)
        return;

    const uint8_t poly = isClip ? kClipBit : kSubjectBit;
    std::vector<signed char>& dir = m_scratchDir;
    std::vector<int>& edgeOf = m_scratchEdge;
    dir.assign(n, 0);
    edgeOf.assign(n, -1);
    // Edge i runs from vertex i to vertex i + 1. Horizontal edges take no
    // part in the sweep: the parities above and below the scanline carry
    // them.
    for (size_t i = 0; i < n; ++i) {
        const size_t j = i + 1 == n ? 0 : i + 1;
        if (ys[j] == ys[i])
            continue;
        dir[i] = ys[j] > ys[i] ? 1 : -1;
        Edge e;
        if (dir[i] > 0) {
            e = {xs[i], ys[i], xs[j], ys[j], 0, -1, poly};
        } else {
            e = {xs[j], ys[j], xs[i], ys[i], 0, -1, poly};
        }
        e.dx = (e.tx - e.bx) / (e.ty - e.by);
        edgeOf[i] = static_cast<int>(m_edges.size());
        m_edges.push_back(e);
    }
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        if (!dir[i])
            continue;
        any = true;
        const size_t next = i + 1 == n ? 0 : i + 1;
        const size_t prev = i == 0 ? n - 1 : i - 1;
        Edge& e = m_edges[static_cast<size_t>(edgeOf[i])];
        // A bound is a chain of edges rising without a horizontal between
        // them; it starts where the edge below is missing.
        const size_t above = dir[i] > 0 ? next : prev;
        const size_t below = dir[i] > 0 ? prev : next;
        if (dir[above] == dir[i])
            e.succ = edgeOf[above];
        if (dir[below] != dir[i])
            m_minima.push_back({e.by, e.bx, e.dx, edgeOf[i]});
    }
    if (!any)
        return;
    for (size_t i = 0; i < n; ++i)
        m_scanbeams.push_back(ys[i]);
}

void ClipSweep::Reserve(size_t vertices) {
    m_edges.reserve(vertices);
    m_scanbeams.reserve(vertices);
    m_vertices.reserve(vertices);
}

void ClipSweep::Reset() {
    // Beyond this many edges the memory goes back: one huge clip should not
    // stay resident for the small ones after it.
    constexpr size_t kKeep = 1 << 18;
    if (m_edges.capacity() > kKeep || m_vertices.capacity() > 4 * kKeep) {
        *this = ClipSweep();
        return;
    }
    m_edges.clear();
    m_minima.clear();
    m_scanbeams.clear();
    m_aet.clear();
    m_aetNext.clear();
    m_units.clear();
    m_sorted.clear();
    m_order.clear();
    m_pos.clear();
    m_crossings.clear();
    m_vertices.clear();
    m_nodes.clear();
    std::fill(std::begin(m_inside), std::end(m_inside), false);
    m_startParity = 0;
}

void ClipSweep::SetEdge(Active& a, int edge) const {
    const Edge& e = m_edges[static_cast<size_t>(edge)];
    a.edge = edge;
    a.dx = e.dx;
    a.bx = e.bx;
    a.by = e.by;
    a.ty = e.ty;
    a.tx = e.tx;
    a.poly = e.poly;
}

int ClipSweep::Find(int node) {
    int root = node;
    while (m_nodes[static_cast<size_t>(root)].proxy != root)
        root = m_nodes[static_cast<size_t>(root)].proxy;
    while (m_nodes[static_cast<size_t>(node)].proxy != root) {
        const int next = m_nodes[static_cast<size_t>(node)].proxy;
        m_nodes[static_cast<size_t>(node)].proxy = root;
        node = next;
    }
    return root;
}

int ClipSweep::NewNode(double x, double y) {
    const int v = static_cast<int>(m_vertices.size());
    m_vertices.push_back({x, y, -1});
    const int id = static_cast<int>(m_nodes.size());
    m_nodes.push_back({v, v, 1, id, false});
    return id;
}

void ClipSweep::AddLeft(int node, double x, double y) {
    if (node < 0)
        return;
    OutNode& n = m_nodes[static_cast<size_t>(Find(node))];
    const int v = static_cast<int>(m_vertices.size());
    m_vertices.push_back({x, y, n.head});
    n.head = v;
    ++n.count;
}

void ClipSweep::AddRight(int node, double x, double y) {
    if (node < 0)
        return;
    OutNode& n = m_nodes[static_cast<size_t>(Find(node))];
    const int v = static_cast<int>(m_vertices.size());
    m_vertices.push_back({x, y, -1});
    m_vertices[static_cast<size_t>(n.tail)].next = v;
    n.tail = v;
    ++n.count;
}

// p's vertex chain goes in front of q's; when both are one node already the
// contour is closed. Closing from this side encloses an outside region.
void ClipSweep::MergeLeft(int p, int q) {
    if (p < 0 || q < 0)
        return;
    const int pr = Find(p), qr = Find(q);
    OutNode& qn = m_nodes[static_cast<size_t>(qr)];
    qn.hole = true;
    if (pr == qr)
        return;
    OutNode& pn = m_nodes[static_cast<size_t>(pr)];
    m_vertices[static_cast<size_t>(pn.tail)].next = qn.head;
    qn.head = pn.head;
    qn.count += pn.count;
    pn.proxy = qr;
}

// p's vertex chain goes behind q's.
void ClipSweep::MergeRight(int p, int q) {
    if (p < 0 || q < 0)
        return;
    const int pr = Find(p), qr = Find(q);
    OutNode& qn = m_nodes[static_cast<size_t>(qr)];
    qn.hole = false;
    if (pr == qr)
        return;
    OutNode& pn = m_nodes[static_cast<size_t>(pr)];
    m_vertices[static_cast<size_t>(qn.tail)].next = pn.head;
    qn.tail = pn.tail;
    qn.count += pn.count;
    pn.proxy = qr;
}

void ClipSweep::InsertMinima(double yb, size_t& lmtPos) {
    if (lmtPos >= m_minima.size() || m_minima[lmtPos].y != yb)
        return;
    size_t end = lmtPos;
    while (end < m_minima.size() && m_minima[end].y == yb)
        ++end;
    m_aetNext.clear();
    size_t i = 0;
    for (size_t m = lmtPos; m < end; ++m) {
        const Minimum& mn = m_minima[m];
        while (i < m_aet.size() &&
               (m_aet[i].xb < mn.x || (m_aet[i].xb == mn.x && m_aet[i].dx <= mn.dx)))
            m_aetNext.push_back(m_aet[i++]);
        Active a{};
        SetEdge(a, mn.edge);
        a.xb = mn.x;
        a.out = -1;
        a.outBelow = -1;
        m_aetNext.push_back(a);
    }
    while (i < m_aet.size())
        m_aetNext.push_back(m_aet[i++]);
    m_aet.swap(m_aetNext);
    lmtPos = end;
}

// Bundles the coinciding edges, then classifies every entry from left to
// right at the scanline and grows, starts and merges the output nodes.
void ClipSweep::BottomPass(double yb) {
    size_t headIdx = 0;
    bool prevGoesOn = false;
    for (size_t i = 0; i < m_aet.size(); ++i) {
        Active& a = m_aet[i];
        const bool goesOn = a.ty > yb;
        if (goesOn && prevGoesOn && a.xb == m_aet[headIdx].xb && a.dx == m_aet[headIdx].dx) {
            m_aet[headIdx].above ^= a.poly;
            a.above = 0;
            a.head = false;
        } else {
            a.above = goesOn ? a.poly : 0;
            a.head = true;
            headIdx = i;
        }
        prevGoesOn = goesOn;
    }

    uint8_t pa = m_startParity, pb = m_startParity;
    int cf = -1;
    double px = -std::numeric_limits<double>::infinity();
    const bool* in = m_inside;
    for (Active& a : m_aet) {
        const uint8_t ab = a.above, bb = a.below;
        a.leftPar = pa;
        a.out = -1;
        const int cls = (in[pb] ? kBL : 0) | (in[pb ^ bb] ? kBR : 0) | (in[pa] ? kAL : 0) |
                        (in[pa ^ ab] ? kAR : 0);
        const double x = a.xb, y = yb;
        switch (cls) {
        case kExternalMaximum:
            if (x != px)
                AddLeft(cf, x, y);
            MergeRight(cf, a.outBelow);
            px = x;
            cf = -1;
            break;
        case kExternalLeftIntermediate:
            AddLeft(a.outBelow, x, y);
            px = x;
            cf = a.outBelow;
            break;
        case kExternalRightIntermediate:
            if (x != px)
                AddRight(cf, x, y);
            px = x;
            a.out = cf;
            cf = -1;
            break;
        case kRightEdge:
        case kLeftEdge:
            if (a.by == yb) {
                if (cls == kRightEdge)
                    AddRight(a.outBelow, x, y);
                else
                    AddLeft(a.outBelow, x, y);
                px = x;
            }
            a.out = a.outBelow;
            break;
        case kInternalMaxAndMin:
            if (x != px)
                AddRight(cf, x, y);
            MergeLeft(cf, a.outBelow);
            a.out = cf = NewNode(x, y);
            px = x;
            break;
        case kInternalMinimum:
        case kExternalMinimum:
            a.out = cf = NewNode(x, y);
            px = x;
            break;
        case kExternalMaxAndMin:
            if (x != px)
                AddLeft(cf, x, y);
            MergeRight(cf, a.outBelow);
            a.out = cf = NewNode(x, y);
            px = x;
            break;
        case kInternalLeftIntermediate:
            if (x != px)
                AddLeft(cf, x, y);
            px = x;
            a.out = cf;
            cf = -1;
            break;
        case kInternalRightIntermediate:
            AddRight(a.outBelow, x, y);
            px = x;
            cf = a.outBelow;
            break;
        case kInternalMaximum:
            if (x != px)
                AddRight(cf, x, y);
            MergeLeft(cf, a.outBelow);
            px = x;
            cf = -1;
            break;
        default: // top edge, bottom edge, all inside, all outside
            break;
        }
        pa ^= ab;
        pb ^= bb;
    }

    // Edges ending here leave the table; their bounds are complete.
    size_t w = 0;
    for (size_t i = 0; i < m_aet.size(); ++i) {
        if (m_aet[i].ty > yb) {
            if (w != i)
                m_aet[w] = m_aet[i];
            ++w;
        }
    }
    m_aet.resize(w);
}

bool ClipSweep::ComputeTops(double yt) {
    // Most scanbeams have no crossing: the bundles reach the top in the
    // order they left the bottom.
    bool ordered = true;
    bool first = true;
    double headXt = 0;
    for (Active& a : m_aet) {
        if (!a.head) {
            a.xt = headXt; // coinciding edges stay together
            continue;
        }
        a.xt = a.ty == yt ? a.tx : XAt(a.bx, a.by, a.tx, a.ty, yt);
        if (!first && a.xt < headXt)
            ordered = false;
        first = false;
        headXt = a.xt;
    }
    return ordered;
}

void ClipSweep::ProcessCrossings(double yb, double yt) {
    // Units: bundles move as one.
    m_units.clear();
    for (size_t i = 0; i < m_aet.size(); ++i) {
        const Active& a = m_aet[i];
        if (a.head || m_units.empty()) {
            m_units.push_back({static_cast<int>(i), 1, a.xb, a.xt, a.out, a.above, a.leftPar});
        } else {
            ++m_units.back().len;
        }
    }
    // Insertion into the order at the top of the scanbeam: every unit passed
    // over is a crossing.
    m_sorted.clear();
    m_crossings.clear();
    for (int u = 0; u < static_cast<int>(m_units.size()); ++u) {
        const double xt = m_units[static_cast<size_t>(u)].xt;
        size_t j = m_sorted.size();
        while (j > 0 && m_units[static_cast<size_t>(m_sorted[j - 1])].xt > xt) {
            const int a = m_sorted[j - 1];
            const Unit& ua = m_units[static_cast<size_t>(a)];
            const Unit& ub = m_units[static_cast<size_t>(u)];
            const double num = ub.xb - ua.xb;
            const double den = num + (ua.xt - ub.xt);
            double r = den > 0 ? num / den : 0;
            r = std::clamp(r, 0.0, 1.0);
            const double y = std::clamp(yb + r * (yt - yb), yb, yt);
            const double x = std::clamp(ua.xb + r * (ua.xt - ua.xb), std::min(ua.xb, ua.xt),
                                        std::max(ua.xb, ua.xt));
            m_crossings.push_back({y, x, a, u, static_cast<int>(m_crossings.size())});
            --j;
        }
        m_sorted.insert(m_sorted.begin() + static_cast<std::ptrdiff_t>(j), u);
    }
    if (m_crossings.empty())
        return;

    std::sort(m_crossings.begin(), m_crossings.end(), [](const Crossing& l, const Crossing& r) {
        return l.y < r.y || (l.y == r.y && l.seq < r.seq);
    });
    const size_t nu = m_units.size();
    m_order.resize(nu);
    m_pos.resize(nu);
    for (size_t i = 0; i < nu; ++i) {
        m_order[i] = static_cast<int>(i);
        m_pos[i] = static_cast<int>(i);
    }
    const bool* in = m_inside;
    for (size_t c = 0; c < m_crossings.size(); ++c) {
        // Rounding may put crossings of one height out of order: take the
        // next one whose units are neighbours (one always exists while the
        // table is not in its top order).
        if (m_pos[static_cast<size_t>(m_crossings[c].b)] !=
            m_pos[static_cast<size_t>(m_crossings[c].a)] + 1) {
            size_t k = c + 1;
            while (k < m_crossings.size() && m_pos[static_cast<size_t>(m_crossings[k].b)] !=
                                                 m_pos[static_cast<size_t>(m_crossings[k].a)] + 1)
                ++k;
            if (k == m_crossings.size())
                break;
            std::swap(m_crossings[c], m_crossings[k]);
        }
        const Crossing& cr = m_crossings[c];
        Unit& ua = m_units[static_cast<size_t>(cr.a)];
        Unit& ub = m_units[static_cast<size_t>(cr.b)];
        const uint8_t l = ua.leftPar, fa = ua.flags, fb = ub.flags;
        const int cls = (in[l ^ fa] ? kBL : 0) | (in[l ^ fa ^ fb] ? kBR : 0) | (in[l] ? kAL : 0) |
                        (in[l ^ fb] ? kAR : 0);
        const int p = ua.out, q = ub.out;
        const double x = cr.x, y = cr.y;
        switch (cls) {
        case kExternalMinimum:
        case kInternalMinimum:
            ua.out = ub.out = NewNode(x, y);
            break;
        case kExternalRightIntermediate:
            AddRight(p, x, y);
            ub.out = p;
            ua.out = -1;
            break;
        case kExternalLeftIntermediate:
            AddLeft(q, x, y);
            ua.out = q;
            ub.out = -1;
            break;
        case kExternalMaximum:
            AddLeft(p, x, y);
            MergeRight(p, q);
            ua.out = ub.out = -1;
            break;
        case kInternalLeftIntermediate:
            AddLeft(p, x, y);
            ub.out = p;
            ua.out = -1;
            break;
        case kInternalRightIntermediate:
            AddRight(q, x, y);
            ua.out = q;
            ub.out = -1;
            break;
        case kInternalMaximum:
            AddRight(p, x, y);
            MergeLeft(p, q);
            ua.out = ub.out = -1;
            break;
        case kInternalMaxAndMin:
            AddRight(p, x, y);
            MergeLeft(p, q);
            ua.out = ub.out = NewNode(x, y);
            break;
        case kExternalMaxAndMin:
            AddLeft(p, x, y);
            MergeRight(p, q);
            ua.out = ub.out = NewNode(x, y);
            break;
        default: // each edge goes on as the boundary it was, or as none
            break;
        }
        const int pa = m_pos[static_cast<size_t>(cr.a)];
        m_order[static_cast<size_t>(pa)] = cr.b;
        m_order[static_cast<size_t>(pa + 1)] = cr.a;
        m_pos[static_cast<size_t>(cr.b)] = pa;
        m_pos[static_cast<size_t>(cr.a)] = pa + 1;
        ub.leftPar = l;
        ua.leftPar = l ^ fb;
    }

    m_aetNext.clear();
    for (int u : m_order) {
        const Unit& un = m_units[static_cast<size_t>(u)];
        for (int k = 0; k < un.len; ++k) {
            Active a = m_aet[static_cast<size_t>(un.start + k)];
            if (k == 0)
                a.out = un.out;
            m_aetNext.push_back(a);
        }
    }
    m_aet.swap(m_aetNext);
}

void ClipSweep::PrepareNext(double yt) {
    for (Active& a : m_aet) {
        a.below = a.above;
        a.outBelow = a.head ? a.out : -1;
        a.out = -1;
        a.xb = a.xt;
        if (a.ty == yt) {
            const int succ = m_edges[static_cast<size_t>(a.edge)].succ;
            if (succ >= 0) {
                SetEdge(a, succ);
                a.xb = m_edges[static_cast<size_t>(succ)].bx;
            }
        }
    }
}

void ClipSweep::Run(ClipOperation op, std::vector<CClipContour>& contours,
                    std::vector<int>& holeFlags) {
    if (m_minima.empty())
        return;
    for (int mask = 0; mask < 4; ++mask) {
        const bool s = (mask & kSubjectBit) != 0, c = (mask & kClipBit) != 0;
        switch (op) {
        case CLIP_DIFFERENCE:
        case CLIP_INTERSECTION:
            m_inside[mask] = s && c;
            break;
        case CLIP_XOR:
            m_inside[mask] = s != c;
            break;
        default:
            m_inside[mask] = s || c;
            break;
        }
    }
    // A difference is an intersection with the clip polygon's parity turned
    // inside out.
    m_startParity = op == CLIP_DIFFERENCE ? kClipBit : 0;

    std::sort(m_minima.begin(), m_minima.end(), [](const Minimum& l, const Minimum& r) {
        if (l.y != r.y)
            return l.y < r.y;
        if (l.x != r.x)
            return l.x < r.x;
        if (l.dx != r.dx)
            return l.dx < r.dx;
        return l.edge < r.edge;
    });
    std::sort(m_scanbeams.begin(), m_scanbeams.end());
    m_scanbeams.erase(std::unique(m_scanbeams.begin(), m_scanbeams.end()), m_scanbeams.end());

    m_aet.clear();
    size_t lmtPos = 0;
    for (size_t s = 0; s < m_scanbeams.size(); ++s) {
        const double yb = m_scanbeams[s];
        InsertMinima(yb, lmtPos);
        if (m_aet.empty())
            continue;
        BottomPass(yb);
        if (s + 1 == m_scanbeams.size())
            break;
        const double yt = m_scanbeams[s + 1];
        if (!ComputeTops(yt))
            ProcessCrossings(yb, yt);
        PrepareNext(yt);
    }
    Collect(contours, holeFlags);
}

void ClipSweep::Collect(std::vector<CClipContour>& contours, std::vector<int>& holeFlags) {
    // Both scratch lists keep their memory from one contour (and clip) to
    // the next; each contour gets one list of its own size.
    std::vector<PointF>& pts = m_scratchPoints;
    std::vector<PointF>& simple = m_scratchSimple;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const OutNode& n = m_nodes[i];
        if (n.proxy != static_cast<int>(i) || n.count < 3)
            continue;
        pts.clear();
        int guard = n.count;
        for (int v = n.head; v >= 0 && guard-- > 0; v = m_vertices[static_cast<size_t>(v)].next) {
            const OutVertex& ov = m_vertices[static_cast<size_t>(v)];
            pts.push_back({static_cast<float>(ov.x), static_cast<float>(ov.y)});
        }
        std::reverse(pts.begin(), pts.end());
        const size_t first = Simplify(pts, simple);
        if (simple.size() - first < 3)
            continue;
        contours.emplace_back(
            std::vector<PointF>(simple.begin() + static_cast<std::ptrdiff_t>(first), simple.end()));
        holeFlags.push_back(n.hole ? 1 : 0);
    }
}
