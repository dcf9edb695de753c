#include "board/conductor.h"

#include "board/board_types.h"
#include "board/outward_flatten.h"
#include "board/polygon_union.h"
#include "core/board_layer.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/text_scanner.h"
#include "platform/graphics_path.h"
#include "platform/text.h"
#include "schematic/clone_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace std::literals;

namespace {

// Whether text is exactly what CConductor::WriteAttributes writes for the
// vertices.
bool TextMatchesVertices(const std::wstring& text, const std::vector<ConductorVertex>& vertices) {
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const ConductorVertex& v = vertices[i];
        if (i > 0) {
            if (p == end || *p != L' ')
                return false;
            ++p;
        }
        if (!TextScanner::MatchFixedPair(p, end, v.x, v.y))
            return false;
        if (v.corner != 0) {
            if (p == end || *p != L',')
                return false;
            ++p;
            if (!TextScanner::MatchFixed(p, end, v.corner))
                return false;
        }
    }
    return p == end;
}

// The vertex "x,y[,corner]" at p in the plain form, followed by a space or
// the end: p moves to that space or end. False, with p as it was, for any
// other form.
bool ReadPlainVertex(const wchar_t*& p, const wchar_t* end, ConductorVertex& vertex) {
    float x = 0, y = 0;
    if (TextScanner::ReadFixedPair(p, end, x, y)) {
        vertex = ConductorVertex{x, y, 0, VertexTie()};
        return true;
    }
    double v[3] = {0, 0, 0};
    const wchar_t* q = TextScanner::ReadDecimal(p, end, v[0]);
    if (!q || q == end || *q != L',')
        return false;
    q = TextScanner::ReadDecimal(q + 1, end, v[1]);
    if (q && q != end && *q == L',')
        q = TextScanner::ReadDecimal(q + 1, end, v[2]);
    if (!q || (q != end && *q != L' '))
        return false;
    vertex = ConductorVertex{static_cast<float>(v[0]), static_cast<float>(v[1]),
                             static_cast<float>(v[2]), VertexTie()};
    p = q;
    return true;
}

constexpr NodeAttributes<CConductor, 2> kAttributes{{
    Attr::Layer<&CConductor::m_layer>(L"Layer"),
    Attr::Float<&CConductor::m_width>(L"Width", 0),
}};
const RegisterNodeAttributes kRegistered(L"Conductor", kAttributes);

} // namespace

CConductor::CConductor() : CTreeNode(NodeType::Conductor) {}

CConductor::CConductor(const CConductor& other)
    : CTreeNode(other), m_layer(other.m_layer), m_width(other.m_width),
      m_vertices(other.m_vertices) {}

CConductor::~CConductor() = default;

CTreeNode* CConductor::Clone() const {
    // Its ties move to the pads and vias copied in the same operation.
    CCloneScope scope;
    return scope.Record(this, new CConductor(*this));
}

const wchar_t* CConductor::GetTagName() const {
    return L"Conductor";
}

void CConductor::ReadAttributes() {
    kAttributes.Read(*this);
    // Collected in a scratch list that keeps its room from conductor to
    // conductor, then copied at the exact size.
    thread_local std::vector<ConductorVertex> scratch;
    scratch.clear();
    const std::wstring& text = m_text;
    const wchar_t* const begin = text.data();
    const wchar_t* const end = begin + text.size();
    // The writer's own form, "x,y[,corner]" with single spaces between
    // vertices, in one pass. The first vertex in any other form goes to the
    // general walk below, from its start.
    const wchar_t* p = begin;
    bool done = p == end;
    for (ConductorVertex vertex; !done && ReadPlainVertex(p, end, vertex);) {
        scratch.push_back(vertex);
        done = p == end;
        if (!done)
            ++p; // the space
    }
    // The general walk: the vertex at pos is read as a scan of up to three
    // numbers reads it, the next one starts after the first space that
    // follows its second (or third) number's comma.
    std::size_t pos = static_cast<std::size_t>(p - begin);
    while (!done) {
        float v[3] = {0, 0, 0};
        bool notFinite = false;
        const int n = ScanFloats(begin + pos, 3, v, &notFinite);
        // A number that is not finite ends the list with its vertex.
        if (n < 2 || n > 3 || notFinite)
            break;
        scratch.push_back(ConductorVertex{v[0], v[1], n == 3 ? v[2] : 0.0f, VertexTie()});
        std::size_t after = text.find(L',', pos);
        if (after == std::wstring::npos)
            break;
        ++after;
        if (n == 3) {
            after = text.find(L',', after);
            if (after == std::wstring::npos)
                break;
            ++after;
        }
        std::size_t space = text.find(L' ', after);
        if (space == std::wstring::npos)
            break;
        pos = space + 1;
    }
    m_vertices.assign(scratch.begin(), scratch.end());
}

void CConductor::WriteAttributes() {
    kAttributes.Write(*this);
    // "%.3f,%.3f[,%.3f]" per vertex. The text mostly reads as it did: that
    // is checked against the numbers, which costs less than writing them.
    if (TextMatchesVertices(m_text, m_vertices))
        return;
    // Built in a scratch buffer that keeps its room from conductor to
    // conductor: boards hold many vertices.
    thread_local std::vector<wchar_t> scratch;
    constexpr std::size_t kVertexRoom = 3 * 64 + 3;
    scratch.resize(std::max(scratch.size(), m_vertices.size() * kVertexRoom));
    wchar_t* const start = scratch.data();
    wchar_t* d = start;
    for (const ConductorVertex& v : m_vertices) {
        if (d != start)
            *d++ = L' ';
        d = FormatFixedTo(d, v.x, 3);
        *d++ = L',';
        d = FormatFixedTo(d, v.y, 3);
        if (v.corner != 0) {
            *d++ = L',';
            d = FormatFixedTo(d, v.corner, 3);
        }
    }
    m_text.assign(start, static_cast<std::size_t>(d - start));
}

void CConductor::BuildPath(GraphicsPath* path, float margin) const {
    AddSegmentFigures(path, margin);
    if (m_vertices.size() >= 2)
        MergePathFigures(path, kOutlineFlatness);
}

void CConductor::BuildClearancePath(GraphicsPath* path, float margin) const {
    AddSegmentFigures(path, margin);
    if (m_vertices.size() >= 2)
        MergePathFiguresOutward(path, kOutlineFlatness);
}

void CConductor::GetCentreLine(std::vector<ConductorPiece>& pieces) const {
    constexpr double kPi = 3.14159265358979323846;
    pieces.clear();
    const auto& v = m_vertices;
    const size_t m = v.size();
    for (size_t i = 1; i < m; ++i) {
        const int segment = static_cast<int>(i);
        const ConductorVertex& p = v[i];
        auto runTo = [&](double x, double y) { pieces.push_back({segment, false, x, y}); };
        if (p.corner == 0 || i + 1 == m) {
            runTo(p.x, p.y);
            continue;
        }
        const ConductorVertex& a = v[i - 1];
        const ConductorVertex& b = v[i + 1];
        auto near = [&](const ConductorVertex& q) {
            return std::fabs(q.x - p.x) < 0.001 && std::fabs(q.y - p.y) < 0.001;
        };
        const double inDir = std::atan2(double(p.y) - a.y, double(p.x) - a.x);
        const double outDir = std::atan2(double(b.y) - p.y, double(b.x) - p.x);
        double turn = outDir - inDir;
        while (turn > kPi)
            turn -= 2 * kPi;
        while (turn < -kPi)
            turn += 2 * kPi;
        // A short segment, straight on, or turning back on itself: no corner
        // to round.
        if (near(a) || near(b) || std::fabs(turn) < 0.001 || kPi - std::fabs(turn) < 0.001) {
            runTo(p.x, p.y);
            continue;
        }
        // Cut back on both sides by the corner value, at most a whole segment.
        const double la = std::hypot(double(p.x) - a.x, double(p.y) - a.y);
        const double lb = std::hypot(double(b.x) - p.x, double(b.y) - p.y);
        const double t = std::min({double(p.corner), la, lb});
        const double t1x = p.x + (a.x - p.x) * t / la, t1y = p.y + (a.y - p.y) * t / la;
        const double t2x = p.x + (b.x - p.x) * t / lb, t2y = p.y + (b.y - p.y) * t / lb;
        runTo(t1x, t1y);
        // The centre: where the perpendiculars at T1 (to the incoming
        // segment) and at T2 (to the outgoing one) meet.
        const double d1x = -(p.y - a.y) / la, d1y = (p.x - a.x) / la;
        const double d2x = -(b.y - p.y) / lb, d2y = (b.x - p.x) / lb;
        const double den = d1x * d2y - d1y * d2x;
        if (std::fabs(den) < 1e-12) {
            runTo(p.x, p.y);
            continue;
        }
        const double k = ((t2x - t1x) * d2y - (t2y - t1y) * d2x) / den;
        const double cx = t1x + k * d1x, cy = t1y + k * d1y;
        double sweep = std::atan2(t2y - cy, t2x - cx) - std::atan2(t1y - cy, t1x - cx);
        while (sweep > kPi)
            sweep -= 2 * kPi;
        while (sweep < -kPi)
            sweep += 2 * kPi;
        pieces.push_back({segment, true, t2x, t2y, cx, cy, sweep});
    }
}

namespace {

// The copper within r of the straight run from a to b.
void AddStadium(GraphicsPath* path, float ax, float ay, float bx, float by, float r) {
    const float theta = static_cast<float>(
        std::atan2(static_cast<double>(by) - ay, static_cast<double>(bx) - ax) * 180.0 / M_PI);
    path->StartFigure();
    path->AddArc(ax - r, ay - r, 2 * r, 2 * r, theta + 90, 180);
    path->AddArc(bx - r, by - r, 2 * r, 2 * r, theta - 90, 180);
    path->CloseFigure();
}

// The copper within r of an arc from (sx, sy) between its two radial ends;
// the copper around the ends comes with the straight runs either side.
void AddArcBand(GraphicsPath* path, double sx, double sy, const ConductorPiece& arc, float r) {
    const double radius = std::hypot(sx - arc.cx, sy - arc.cy);
    const auto start = static_cast<float>(std::atan2(sy - arc.cy, sx - arc.cx) * 180.0 / M_PI);
    const auto sweep = static_cast<float>(arc.sweep * 180.0 / M_PI);
    const auto cx = static_cast<float>(arc.cx), cy = static_cast<float>(arc.cy);
    const auto outer = static_cast<float>(radius + r);
    if (radius <= r) {
        // A bend tighter than the copper is wide fills up to its centre.
        path->AddPie(cx - outer, cy - outer, 2 * outer, 2 * outer, start, sweep);
        return;
    }
    const auto inner = static_cast<float>(radius - r);
    path->StartFigure();
    path->AddArc(cx - outer, cy - outer, 2 * outer, 2 * outer, start, sweep);
    path->AddArc(cx - inner, cy - inner, 2 * inner, 2 * inner, start + sweep, -sweep);
    path->CloseFigure();
}

} // namespace

void CConductor::AddSegmentFigures(GraphicsPath* path, float margin) const {
    const float r = m_width / 2 + margin;
    if (m_vertices.size() < 2)
        return;
    thread_local std::vector<ConductorPiece> pieces;
    GetCentreLine(pieces);
    double x = m_vertices[0].x, y = m_vertices[0].y;
    for (const ConductorPiece& piece : pieces) {
        if (piece.arc)
            AddArcBand(path, x, y, piece, r);
        else
            AddStadium(path, static_cast<float>(x), static_cast<float>(y),
                       static_cast<float>(piece.x), static_cast<float>(piece.y), r);
        x = piece.x;
        y = piece.y;
    }
}
