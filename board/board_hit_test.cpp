// Hit tests, bounds and repaint rectangles of the board-side nodes. Points
// are in the coordinates of the node's parent: objects of a footprint in
// footprint coordinates, a footprint in board coordinates.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/marking_shapes.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "schematic/net.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kEmptyExtent = 1.1920929e-7f;

RectF Union(const RectF& a, const RectF& b) {
    const float l = std::min(a.X, b.X), t = std::min(a.Y, b.Y);
    const float r = std::max(a.X + a.Width, b.X + b.Width);
    const float btm = std::max(a.Y + a.Height, b.Y + b.Height);
    return RectF{l, t, r - l, btm - t};
}

RectF Grown(const RectF& r, float m) {
    return RectF{r.X - m, r.Y - m, r.Width + 2 * m, r.Height + 2 * m};
}

void InvalidateModelRect(Graphics* g, const RectF& r) {
    if (!g_pActiveView || !g)
        return;
    const RECT device = WorldRectToDeviceRect(g, r.X, r.Y, r.Width, r.Height);
    g_pActiveView->InvalidateRect(&device, false);
}

const CBoard* BoardOfConductor(const CConductor* conductor) {
    const CTreeNode* net = conductor->GetParent();
    const CTreeNode* board = net ? net->GetParent() : nullptr;
    return board && board->GetType() == NodeType::Board ? static_cast<const CBoard*>(board)
                                                        : nullptr;
}

} // namespace

// --- Area ----------------------------------------------------------------------

bool CArea::GetBoundsOnBoard(Graphics*, RectF& r) {
    if (!m_outline)
        return false;
    GraphicsPath path;
    m_outline->FillOutlinePath(&path);
    RectF b;
    path.GetBounds(&b);
    r = Grown(b, 3.0f);
    return true;
}

CTreeNode* CArea::HitTestOnBoard(Graphics* g, float x, float y) {
    if (!m_outline)
        return nullptr;
    GraphicsPath path;
    m_outline->FillOutlinePath(&path);
    return path.IsVisible(x, y, g) ? this : nullptr;
}

// --- Conductor ---------------------------------------------------------------------

bool CConductor::GetBoundsOnBoard(Graphics*, RectF& r) {
    if (!GetParent() || !GetParent()->GetParent() || m_vertices.empty())
        return false;
    float l = m_vertices[0].x, rt = l, b = m_vertices[0].y, t = b;
    for (const ConductorVertex& v : m_vertices) {
        l = std::min(l, v.x);
        rt = std::max(rt, v.x);
        b = std::min(b, v.y);
        t = std::max(t, v.y);
    }
    const float m = m_width / 2 + GetBoardIsolation(BoardOfConductor(this));
    r = RectF{l - m, b - m, rt - l + 2 * m, t - b + 2 * m};
    return true;
}

void CConductor::InvalidateOnBoard(Graphics* g) {
    const CBoard* board = BoardOfConductor(this);
    const float m = m_width + (board ? GetBoardIsolation(board) : 0.0f);
    for (size_t i = 1; i < m_vertices.size(); ++i) {
        const ConductorVertex& a = m_vertices[i - 1];
        const ConductorVertex& b = m_vertices[i];
        InvalidateModelRect(g, RectF{std::min(a.x, b.x) - m, std::min(a.y, b.y) - m,
                                     std::fabs(a.x - b.x) + 2 * m, std::fabs(a.y - b.y) + 2 * m});
    }
}

int HitTestSegmentF(float x1, float y1, float x2, float y2, float px, float py, float tolerance) {
    if (std::fabs(x2 - x1) < 0.001f && std::fabs(y2 - y1) < 0.001f) {
        const bool near = std::fabs(px - x1) < 0.001f && std::fabs(py - y1) < 0.001f &&
                          std::fabs(px - x2) < 0.001f && std::fabs(py - y2) < 0.001f;
        return near ? 1 : 0;
    }
    const double theta = std::atan2(double(x2) - x1, double(y2) - y1);
    const double s = std::sin(theta), c = std::cos(theta);
    auto along = [&](double x, double y) { return x * s + y * c; };
    auto across = [&](double x, double y) { return x * c - y * s; };
    const double ap = along(px, py), a1 = along(x1, y1), a2 = along(x2, y2);
    if (std::fabs(across(px, py) - across(x1, y1)) > tolerance || ap > a2 || a1 > ap)
        return 0;
    return std::fabs(a2 - ap) <= std::fabs(a1 - ap) ? 2 : 1;
}

// --- Drill ---------------------------------------------------------------------------

CTreeNode* CDrill::HitTestOnBoard(Graphics* g, float x, float y) {
    GraphicsPath hole;
    BuildPath(&hole);
    return hole.GetPointCount() > 0 && hole.IsVisible(x, y, g) ? this : nullptr;
}

// --- Pad layer -------------------------------------------------------------------------

bool CPadLayer::GetBoundsOnBoard(Graphics*, RectF& r) {
    RectF b;
    switch (m_shape) {
    case kPadShapeRound:
        b = RectF{-m_width / 2, -m_width / 2, m_width, m_width};
        break;
    case kPadShapeOblong:
    case kPadShapeRect:
        b = RectF{-m_width / 2, -m_height / 2, m_width, m_height};
        break;
    case kPadShapeCustom: {
        if (!m_outline)
            return false;
        GraphicsPath path;
        m_outline->FillOutlinePath(&path);
        path.GetBounds(&b);
        break;
    }
    default:
        return false;
    }
    float isolation = 0.3f, spoke = 0.3f;
    GetThermalParameters(&isolation, &spoke);
    r = Grown(b, isolation);
    return true;
}

CTreeNode* CPadLayer::HitTestOnBoard(Graphics* g, float x, float y) {
    if (m_shape == kPadShapeNone)
        return nullptr;
    if (m_shape == kPadShapeCustom) {
        if (!m_outline)
            return nullptr;
        GraphicsPath path;
        m_outline->FillOutlinePath(&path);
        return path.IsVisible(x, y, g) ? this : nullptr;
    }
    const float w = m_width / 2, h = (m_shape == kPadShapeRound ? m_width : m_height) / 2;
    return -w < x && x < w && -h < y && y < h ? this : nullptr;
}

// --- Padstack and pad -------------------------------------------------------------------

bool CPadstack::GetBoundsOnBoard(Graphics* g, RectF& r) {
    for (CTreeNode* child : GetShapes()) {
        RectF b;
        if (child->GetBoundsOnBoard(g, b))
            r = Union(r, b);
    }
    if (r.Width <= kEmptyExtent || r.Height <= kEmptyExtent)
        r = RectF{-4, -4, 8, 8};
    return true;
}

CTreeNode* CPadstack::HitTestOnBoard(Graphics* g, float x, float y) {
    for (CTreeNode* child : GetShapes()) {
        const auto type = child->GetType();
        if (type != NodeType::PadLayer && type != NodeType::Drill)
            continue;
        if (CTreeNode* hit = child->HitTestOnBoard(g, x, y))
            return hit;
    }
    return nullptr;
}

CTreeNode* CPad::HitTestOnBoard(Graphics* g, float x, float y) {
    CPadstack* padstack = GetPadstack();
    if (!padstack)
        return nullptr;
    return padstack->HitTestOnBoard(g, x - m_boardPosition.X, y - m_boardPosition.Y);
}

bool CPad::GetBoundsOnBoard(Graphics* g, RectF& r) {
    CPadstack* padstack = GetPadstack();
    if (!padstack)
        return false;
    RectF b;
    if (!padstack->GetBoundsOnBoard(g, b))
        return false;
    r = RectF{b.X + m_boardPosition.X, b.Y + m_boardPosition.Y, b.Width, b.Height};
    return true;
}

void CPad::InvalidateOnBoard(Graphics* g) {
    RectF r;
    if (!GetBoundsOnBoard(g, r))
        return;
    // A footprint pad is drawn through its footprint's placement.
    if (CFootprint* footprint = GetFootprint())
        r = footprint->PlacedBox(r);
    InvalidateModelRect(g, r);
}

// --- Marking ---------------------------------------------------------------------------------

bool CMarking::GetBoundsOnBoard(Graphics* g, RectF& r) {
    if (m_primitives.empty())
        return false;
    for (CMarkingPrimitive* p : m_primitives) {
        RectF b;
        if (p->GetBounds(g, &b))
            r = Union(r, b);
    }
    return true;
}

// --- Footprint -----------------------------------------------------------------------------

bool CFootprint::GetBoundsOnBoard(Graphics* g, RectF& r) {
    const int outlineLayer = m_place == kPlaceBottom ? 31 : 30;
    if (CMarking* marking = CPadstack::FindMarking(this, outlineLayer)) {
        RectF b = r;
        if (marking->GetBoundsOnBoard(g, b)) {
            r = b;
            return true;
        }
    }
    bool any = false;
    RectF running;
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Padstack)
            continue;
        for (CTreeNode* pad : child->GetChildren()) {
            if (pad->GetType() != NodeType::Pad)
                continue;
            RectF b;
            if (!pad->GetBoundsOnBoard(g, b))
                continue;
            running = !any || running.Width <= 0 || running.Height <= 0 ? b : Union(running, b);
            any = true;
        }
    }
    if (any)
        r = running;
    return any;
}

RectF CFootprint::PlacedBox(const RectF& local) const {
    const PointF corners[4] = {LocalToBoard(local.X, local.Y),
                               LocalToBoard(local.X + local.Width, local.Y),
                               LocalToBoard(local.X, local.Y + local.Height),
                               LocalToBoard(local.X + local.Width, local.Y + local.Height)};
    float l = corners[0].X, r = l, b = corners[0].Y, t = b;
    for (const PointF& p : corners) {
        l = std::min(l, p.X);
        r = std::max(r, p.X);
        b = std::min(b, p.Y);
        t = std::max(t, p.Y);
    }
    return RectF{l, b, r - l, t - b};
}

void CFootprint::InvalidateOnBoard(Graphics* g) {
    RectF r;
    if (GetBoundsOnBoard(g, r))
        InvalidateModelRect(g, PlacedBox(r));
}

GraphicsPath* CFootprint::BuildOutlinePath(int side) {
    side = side ? 1 : 0;
    if (!m_outlinePaths[side])
        m_outlinePaths[side] = std::make_unique<GraphicsPath>();
    GraphicsPath* path = m_outlinePaths[side].get();
    path->Reset();
    Matrix placement;
    TransformMatrix(&placement);
    CMarking* marking = CPadstack::FindMarking(this, side ? 31 : 30);
    if (marking && !marking->m_primitives.empty()) {
        CMarkingPrimitive* first = marking->m_primitives.front();
        auto box = [](PointF a, PointF b) {
            return RectF{std::min(a.X, b.X), std::min(a.Y, b.Y), std::fabs(b.X - a.X),
                         std::fabs(b.Y - a.Y)};
        };
        switch (first->GetKind()) {
        case MARKING_RECT: {
            auto* rect = static_cast<CMarkingRect*>(first);
            path->AddRectangle(box(rect->m_p1, rect->m_p2));
            break;
        }
        case MARKING_CIRCLE: {
            auto* circle = static_cast<CMarkingCircle*>(first);
            path->AddEllipse(box(circle->m_p1, circle->m_p2));
            break;
        }
        case MARKING_POLYGON: {
            auto* polygon = static_cast<CMarkingPolygon*>(first);
            if (!polygon->m_vertices.empty())
                path->AddPolygon(polygon->m_vertices.data(),
                                 static_cast<int>(polygon->m_vertices.size()));
            break;
        }
        default:
            break;
        }
        path->Transform(&placement);
        return path;
    }
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Padstack)
            continue;
        auto* padstack = static_cast<CPadstack*>(child);
        GraphicsPath pads, hole;
        if (CPadLayer* layer = padstack->FindPadLayer(side))
            layer->BuildPath(&pads, 0.1f);
        if (CDrill* drill = padstack->FindDrill())
            drill->BuildPath(&hole);
        for (CTreeNode* pad : padstack->GetChildren()) {
            if (pad->GetType() != NodeType::Pad)
                continue;
            Matrix m = placement;
            m.Translate(pad->m_boardPosition.X, pad->m_boardPosition.Y, MatrixOrderPrepend);
            for (const GraphicsPath* piece : {&pads, &hole}) {
                if (piece->GetPointCount() == 0)
                    continue;
                GraphicsPath copy(*piece);
                copy.Transform(&m);
                path->AddPath(&copy, false);
            }
        }
    }
    return path;
}

namespace {

// Inside one of the path's figures, each filled on its own: a pad and the
// hole drilled through it are two figures of one outline, and filled
// together the hole would be left out.
bool InsideAnyFigure(const GraphicsPath& path, float x, float y, Graphics* g) {
    const std::vector<PointF>& points = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    size_t start = 0;
    for (size_t i = 1; i <= points.size(); ++i) {
        if (i < points.size() && (types[i] & PathPointTypePathTypeMask) != PathPointTypeStart)
            continue;
        const GraphicsPath figure(points.data() + start, types.data() + start,
                                  static_cast<int>(i - start), path.GetFillMode());
        if (figure.IsVisible(x, y, g))
            return true;
        start = i;
    }
    return false;
}

} // namespace

CTreeNode* CFootprint::HitTestOnBoard(Graphics* g, float x, float y) {
    if (InsideAnyFigure(*BuildOutlinePath(0), x, y, g))
        return this;
    return InsideAnyFigure(*BuildOutlinePath(1), x, y, g) ? this : nullptr;
}

// --- Conductor searches ------------------------------------------------------------------

namespace {

bool InMask(int layer, uint32_t low, uint32_t high) {
    if (layer < 0 || layer >= 64)
        return false;
    return layer < 32 ? (low >> layer & 1) != 0 : (high >> (layer - 32) & 1) != 0;
}

template <class Visit> CConductor* EachConductor(const CTreeNode* net, Visit&& visit) {
    for (CTreeNode* child : net->GetChildren()) {
        if (child->GetType() != NodeType::Conductor)
            continue;
        auto* c = static_cast<CConductor*>(child);
        if (c->m_vertices.size() >= 2 && visit(c))
            return c;
    }
    return nullptr;
}

} // namespace

CConductor* CNet::FindConductorSegmentAt(float x, float y, int* index, uint32_t maskLow,
                                         uint32_t maskHigh, const CConductor* skip) const {
    return EachConductor(this, [&](CConductor* c) {
        if (c == skip || !InMask(c->m_layer, maskLow, maskHigh) ||
            (g_pActiveView && !g_pActiveView->IsLayerVisible(c->m_layer)))
            return false;
        for (size_t i = 1; i < c->m_vertices.size(); ++i) {
            const ConductorVertex& a = c->m_vertices[i - 1];
            const ConductorVertex& b = c->m_vertices[i];
            if (HitTestSegmentF(a.x, a.y, b.x, b.y, x, y, 0.75f * c->m_width)) {
                *index = static_cast<int>(i - 1);
                return true;
            }
        }
        return false;
    });
}

CConductor* CNet::FindConductorVertexAt(float x, float y, int* index, uint32_t maskLow,
                                        uint32_t maskHigh, const CConductor* skip) const {
    return EachConductor(this, [&](CConductor* c) {
        if (c == skip || !InMask(c->m_layer, maskLow, maskHigh))
            return false;
        for (size_t i = 0; i < c->m_vertices.size(); ++i) {
            const ConductorVertex& v = c->m_vertices[i];
            if (v.corner == 0 && std::fabs(v.x - x) < c->m_width / 2 &&
                std::fabs(v.y - y) < c->m_width / 2) {
                *index = static_cast<int>(i);
                return true;
            }
        }
        return false;
    });
}

CConductor* CBoard::FindConductorSegmentAt(float x, float y, int* index, uint32_t maskLow,
                                           uint32_t maskHigh) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Net)
            if (CConductor* c = static_cast<CNet*>(child)->FindConductorSegmentAt(
                    x, y, index, maskLow, maskHigh, nullptr))
                return c;
    return nullptr;
}

CConductor* CBoard::FindConductorVertexAt(float x, float y, int* index, uint32_t maskLow,
                                          uint32_t maskHigh) const {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Net)
            if (CConductor* c = static_cast<CNet*>(child)->FindConductorVertexAt(
                    x, y, index, maskLow, maskHigh, nullptr))
                return c;
    return nullptr;
}

CConductor* CConductor::FindOtherConductorAt(float x, float y, float tolerance) const {
    const CTreeNode* net = GetParent();
    if (!net)
        return nullptr;
    return EachConductor(net, [&](CConductor* c) {
        return c != this && c->m_layer == m_layer && c->HasSharpVertexNear(x, y, tolerance);
    });
}

bool CConductor::HasSharpVertexNear(float x, float y, float tolerance) const {
    if (m_vertices.size() < 2)
        return false;
    for (const ConductorVertex& v : m_vertices)
        if (v.corner == 0 && std::fabs(v.x - x) < tolerance && std::fabs(v.y - y) < tolerance)
            return true;
    return false;
}
