#include "board/area_fill.h"

#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/outward_flatten.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/polygon_union.h"
#include "board/thermal_relief.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/pen.h"
#include "schematic/net.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

struct Box {
    float left = FLT_MAX, bottom = FLT_MAX, right = -FLT_MAX, top = -FLT_MAX;
    bool Empty() const { return left > right; }
    void Add(float x, float y) {
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    }
};

Box BoxOf(const CClipPolygon& polygon) {
    Box b;
    for (const CClipContour& c : polygon.Contours())
        for (const PointF& p : c.Vertices())
            b.Add(p.X, p.Y);
    return b;
}

// A shape of the padstack in its own coordinates, ready to be placed.
struct PlacedShape {
    CClipPolygon polygon;
    Box box;
    bool built = false;
};

// Clearances and thermals are cut out of the copper: their curves are
// flattened outside them, so the fill never comes closer than the isolation.
void BuildShape(PlacedShape& shape, const GraphicsPath& path, float flatness) {
    shape.polygon = PathToClearancePolygon(path, flatness);
    shape.box = BoxOf(shape.polygon);
    shape.built = true;
}

CClipPolygon Transformed(const CClipPolygon& polygon, const Matrix& m) {
    CClipPolygon out;
    std::vector<PointF> pts;
    for (int i = 0; i < polygon.GetContourCount(); ++i) {
        const CClipContour& c = polygon.GetContour(i);
        pts.assign(c.Vertices().begin(), c.Vertices().end());
        m.TransformPoints(pts.data(), static_cast<int>(pts.size()));
        out.AddContour(pts.data(), static_cast<int>(pts.size()), polygon.GetHoleFlag(i));
    }
    return out;
}

// Sums up what a fill is made from: a 64-bit mix of every word given.
class InputKey {
public:
    void Word(uint64_t w) {
        uint64_t h = m_value ^ (w + 0x9e3779b97f4a7c15ULL);
        h ^= h >> 31;
        h *= 0x7fb5d329728ea185ULL;
        h ^= h >> 27;
        h *= 0x81dadef4bc2dd44dULL;
        m_value = h ^ (h >> 33);
    }
    void Float(float v) {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Word(bits);
    }
    void Double(double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Word(bits);
    }
    void Path(const GraphicsPath& path) {
        Word(static_cast<uint64_t>(path.GetFillMode()));
        Word(path.Points().size());
        for (const PointF& p : path.Points()) {
            Float(p.X);
            Float(p.Y);
        }
        for (uint8_t t : path.Types())
            Word(t);
    }
    // Never 0, which stands for nothing gathered.
    uint64_t Value() const { return m_value | 1; }

private:
    uint64_t m_value = 0x243f6a8885a308d3ULL;
};

// A box that holds every point of the outline, read from its nodes alone
// (no path): their points, the whole circle of an arc and the control
// points of a curve. Not finite when a value it takes is not.
Box NodeBox(const CAreaNode* head) {
    Box b;
    const CAreaNode* node = head;
    do {
        b.Add(node->m_x, node->m_y);
        if (node->GetKind() == AREA_ARC) {
            const auto* arc = static_cast<const CAreaArc*>(node);
            const float r = std::fabs(arc->m_radius);
            if (!arc->IsStraight() && r > 0) {
                b.Add(arc->m_cx - r, arc->m_cy - r);
                b.Add(arc->m_cx + r, arc->m_cy + r);
            }
        } else if (node->GetKind() == AREA_BEZIER) {
            const auto* curve = static_cast<const CAreaBezier*>(node);
            b.Add(curve->m_c1x, curve->m_c1y);
            b.Add(curve->m_c2x, curve->m_c2y);
        }
        node = node->m_next;
    } while (node && node != head);
    return b;
}

// Whether the point lies inside the polygon, even-odd over its contours.
bool InsideEvenOdd(const CClipPolygon& polygon, double x, double y) {
    bool in = false;
    for (const CClipContour& c : polygon.Contours()) {
        const int n = c.GetVertexCount();
        for (int i = 0, j = n - 1; i < n; j = i++) {
            const double xi = c[i].X, yi = c[i].Y, xj = c[j].X, yj = c[j].Y;
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
    }
    return in;
}

bool Finite(const Box& b) {
    return std::isfinite(b.left) && std::isfinite(b.bottom) && std::isfinite(b.right) &&
           std::isfinite(b.top);
}

} // namespace

CAreaFill::CAreaFill(const CArea* area, float flatness) : m_area(area), m_flatness(flatness) {}

bool CAreaFill::MeetsOutline(float left, float bottom, float right, float top) const {
    return left <= m_right && m_left <= right && bottom <= m_top && m_bottom <= top;
}

bool CAreaFill::Compute() {
    return Gather() && Build();
}

bool CAreaFill::Gather() {
    m_outline.Clear();
    m_exclusion.Clear();
    m_fill.Clear();
    m_key = 0;
    m_outlinePath.Reset();
    m_shapes.clear();
    m_sources.clear();
    m_laterOutlines.clear();
    const CTreeNode* board = m_area->GetParent();
    if (m_area->m_layer < 0 || !m_area->m_outline || !board || board->GetType() != NodeType::Board)
        return false;
    m_area->m_outline->FillOutlinePath(&m_outlinePath);
    m_isolation = GetBoardIsolation(static_cast<const CBoard*>(board));
    CThermalRelief* boardRelief = nullptr;
    static_cast<const CBoard*>(board)->FindBoardProperties(&boardRelief, nullptr);
    m_boardRelief = boardRelief;
    m_boardReliefKnown = true;
    bool later = false;
    // Only a later area whose outline comes within the isolation of this
    // one's bounds clears it (the margin holds the curves flattened outside
    // both outlines); bounds that are not finite meet everything.
    Box own = NodeBox(m_area->m_outline);
    const float reach = m_isolation + 4 * m_flatness + 0.001f;
    own.left -= reach;
    own.bottom -= reach;
    own.right += reach;
    own.top += reach;
    const bool ownFinite = Finite(own);
    auto near = [&](const CArea* other) {
        if (!ownFinite)
            return true;
        const Box b = NodeBox(other->m_outline);
        return !Finite(b) || (b.left <= own.right && own.left <= b.right && b.bottom <= own.top &&
                              own.bottom <= b.top);
    };
    for (const CTreeNode* child : board->GetChildren()) {
        if (child == m_area) {
            later = true;
        } else if (child->GetType() == NodeType::Area) {
            // An area drawn over this one keeps its copper.
            const auto* other = static_cast<const CArea*>(child);
            if (later && other->m_layer == m_area->m_layer && other->m_outline && near(other) &&
                IsClearedBy(m_area, other)) {
                m_laterOutlines.emplace_back();
                other->m_outline->FillOutlinePath(&m_laterOutlines.back());
            }
        } else if (child->GetType() == NodeType::Package) {
            for (const CTreeNode* footprint : child->GetChildren())
                if (footprint->GetType() == NodeType::Footprint)
                    for (const CTreeNode* padstack : footprint->GetChildren())
                        if (padstack->GetType() == NodeType::Padstack)
                            AddPadstackSources(static_cast<const CPadstack*>(padstack));
        } else if (child->GetType() == NodeType::Net) {
            const auto* net = static_cast<const CNet*>(child);
            // The area's own conductors and vias join its copper.
            if (!m_area->m_net.empty() && net->GetName() == m_area->m_net)
                continue;
            for (const CTreeNode* item : net->GetChildren()) {
                if (item->GetType() == NodeType::Padstack) {
                    AddPadstackSources(static_cast<const CPadstack*>(item));
                } else if (item->GetType() == NodeType::Conductor) {
                    const auto* conductor = static_cast<const CConductor*>(item);
                    if (conductor->m_layer == m_area->m_layer)
                        m_sources.push_back({-1, Matrix(), conductor});
                }
            }
        }
    }

    InputKey key;
    key.Float(m_flatness);
    key.Float(m_isolation);
    key.Path(m_outlinePath);
    for (const GraphicsPath& shape : m_shapes)
        key.Path(shape);
    for (const Source& source : m_sources) {
        key.Word(static_cast<uint64_t>(static_cast<int64_t>(source.shape)));
        if (source.conductor) {
            key.Float(source.conductor->m_width);
            key.Word(source.conductor->m_vertices.size());
            for (const ConductorVertex& v : source.conductor->m_vertices) {
                key.Float(v.x);
                key.Float(v.y);
                key.Float(v.corner);
            }
        } else {
            for (int i = 0; i < 6; ++i)
                key.Double(source.placement.Elements()[i]);
        }
    }
    key.Word(m_laterOutlines.size());
    for (const GraphicsPath& outline : m_laterOutlines)
        key.Path(outline);
    m_key = key.Value();
    return true;
}

bool CAreaFill::Build() {
    m_outline.Clear();
    m_exclusion.Clear();
    m_fill.Clear();
    m_parts.clear();
    if (!m_key)
        return false;
    m_outline = PathToClipPolygon(m_outlinePath, m_flatness);
    const Box box = BoxOf(m_outline);
    if (box.Empty()) {
        m_outline.Clear();
        return false;
    }
    m_left = box.left;
    m_bottom = box.bottom;
    m_right = box.right;
    m_top = box.top;

    std::vector<PlacedShape> shapes(m_shapes.size());
    for (const Source& source : m_sources) {
        if (source.conductor) {
            GraphicsPath path;
            source.conductor->BuildClearancePath(&path, m_isolation);
            CClipPolygon polygon = PathToClipPolygon(path, m_flatness);
            const Box b = BoxOf(polygon);
            if (!b.Empty() && MeetsOutline(b.left, b.bottom, b.right, b.top))
                m_parts.push_back(std::move(polygon));
            continue;
        }
        PlacedShape& shape = shapes[static_cast<size_t>(source.shape)];
        if (!shape.built)
            BuildShape(shape, m_shapes[static_cast<size_t>(source.shape)], m_flatness);
        if (shape.box.Empty())
            continue;
        // The placed bounds of the shape itself: a pad larger than the area,
        // or one across its edge, is cleared as well.
        PointF corners[4] = {{shape.box.left, shape.box.bottom},
                             {shape.box.right, shape.box.bottom},
                             {shape.box.right, shape.box.top},
                             {shape.box.left, shape.box.top}};
        source.placement.TransformPoints(corners, 4);
        Box placed;
        for (const PointF& p : corners)
            placed.Add(p.X, p.Y);
        if (!MeetsOutline(placed.left, placed.bottom, placed.right, placed.top))
            continue;
        m_parts.push_back(Transformed(shape.polygon, source.placement));
    }
    for (const GraphicsPath& outline : m_laterOutlines) {
        CClipPolygon polygon = GrownOutline(outline, m_isolation, m_flatness);
        const Box b = BoxOf(polygon);
        if (!b.Empty() && MeetsOutline(b.left, b.bottom, b.right, b.top))
            m_parts.push_back(std::move(polygon));
    }
    // Everything is removed at once, so overlaps need no order.
    m_exclusion = UniteClipPolygons(std::move(m_parts));
    m_parts.clear();
    CutExclusion();
    return true;
}

void CAreaFill::CutExclusion() {
    // The boxes of the outline's edges; an outline of many edges goes
    // through the clipper whole.
    constexpr size_t kMaxEdges = 256;
    std::vector<Box> edges;
    for (const CClipContour& c : m_outline.Contours()) {
        const int n = c.GetVertexCount();
        for (int i = 0; i < n && edges.size() <= kMaxEdges; ++i) {
            Box b;
            b.Add(c[i].X, c[i].Y);
            b.Add(c[(i + 1) % n].X, c[(i + 1) % n].Y);
            edges.push_back(b);
        }
    }
    if (edges.size() > kMaxEdges) {
        m_fill.Clip(CLIP_DIFFERENCE, m_outline, m_exclusion);
        return;
    }
    // A contour of the exclusion whose box meets no edge of the outline lies
    // wholly inside the copper or wholly outside it: inside, it is a hole
    // of the copper as it stands (running the way a hole runs);
    // outside, it takes nothing away. Only those near an edge are clipped.
    CClipPolygon nearEdges, inside;
    for (int i = 0; i < m_exclusion.GetContourCount(); ++i) {
        const CClipContour& c = m_exclusion.GetContour(i);
        Box b;
        for (const PointF& v : c.Vertices())
            b.Add(v.X, v.Y);
        if (b.Empty())
            continue;
        bool near = !Finite(b);
        for (size_t k = 0; k < edges.size() && !near; ++k)
            near = b.left <= edges[k].right && edges[k].left <= b.right &&
                   b.bottom <= edges[k].top && edges[k].bottom <= b.top;
        if (near) {
            nearEdges.AddContour(c.GetVertices(), c.GetVertexCount(), m_exclusion.GetHoleFlag(i));
        } else if (InsideEvenOdd(m_outline, c[0].X, c[0].Y)) {
            // A hole runs anticlockwise, copper clockwise.
            const int hole = m_exclusion.GetHoleFlag(i) ? 0 : 1;
            double twice = 0;
            const int n = c.GetVertexCount();
            for (int k = 0; k < n; ++k)
                twice += double(c[k].X) * c[(k + 1) % n].Y - double(c[(k + 1) % n].X) * c[k].Y;
            std::vector<PointF> turned(c.Vertices());
            if ((twice > 0) != (hole == 1))
                std::reverse(turned.begin(), turned.end());
            inside.AddContour(CClipContour(std::move(turned)), hole);
        }
    }
    m_fill.Clip(CLIP_DIFFERENCE, m_outline, nearEdges);
    m_fill.Append(std::move(inside));
}

bool CAreaFill::IsClearedBy(const CArea* area, const CArea* later) {
    if (area == later || area->m_layer < 0 || later->m_layer != area->m_layer || !area->m_outline ||
        !later->m_outline)
        return false;
    return area->m_net.empty() || later->m_net.empty() || area->m_net != later->m_net;
}

CClipPolygon CAreaFill::GrownOutline(const GraphicsPath& outline, float margin, float flatness) {
    CClipPolygon base = PathToClearancePolygon(outline, flatness);
    if (!(margin > 0))
        return base;
    // The outline, a band of the margin along each edge and a disc at each
    // corner: together every point within the margin of the outline.
    GraphicsPath discPath;
    discPath.AddEllipse(-margin, -margin, 2 * margin, 2 * margin);
    const CClipPolygon disc = PathToClearancePolygon(discPath, flatness);
    std::vector<CClipPolygon> parts;
    for (const CClipContour& c : base.Contours()) {
        const std::vector<PointF>& v = c.Vertices();
        for (size_t i = 0; i < v.size(); ++i) {
            const PointF a = v[i], b = v[(i + 1) % v.size()];
            Matrix at;
            at.Translate(a.X, a.Y);
            parts.push_back(Transformed(disc, at));
            const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
            const double length = std::hypot(dx, dy);
            if (!(length > 0))
                continue;
            const float nx = float(-dy / length * margin), ny = float(dx / length * margin);
            const PointF band[4] = {{a.X + nx, a.Y + ny},
                                    {b.X + nx, b.Y + ny},
                                    {b.X - nx, b.Y - ny},
                                    {a.X - nx, a.Y - ny}};
            CClipPolygon part;
            part.AddContour(band, 4, 0);
            parts.push_back(std::move(part));
        }
    }
    parts.push_back(std::move(base));
    return UniteClipPolygons(std::move(parts));
}

void CAreaFill::AddPadstackSources(const CPadstack* padstack) {
    const int layer = m_area->m_layer;
    const CPadLayer* padLayer = (layer >= 2 && layer <= 21) ? padstack->FindPadLayer(kPadLayerInner)
                                                            : padstack->FindPadLayer(layer);
    if (!padLayer)
        return;
    const CFootprint* footprint = padstack->GetParentFootprint();
    float iso = 0, spoke = 0;
    const CThermalRelief* own = m_boardReliefKnown ? padLayer->FindThermalRelief() : nullptr;
    if (m_boardReliefKnown && !own) {
        iso = m_boardRelief ? m_boardRelief->m_isolation : 0.3f;
        spoke = m_boardRelief ? m_boardRelief->m_spoke : 0.3f;
    } else {
        padLayer->GetThermalParameters(&iso, &spoke);
    }
    // Each shape is made once per padstack, when a pad first needs it.
    int clearance = -1, thermal = -1;
    const bool solid = m_area->m_noThermal || padstack->m_noThermal;
    for (const CTreeNode* child : padstack->GetChildren()) {
        if (child->GetType() != NodeType::Pad)
            continue;
        const auto* pad = static_cast<const CPad*>(child);
        Matrix m;
        if (footprint)
            footprint->TransformMatrix(&m);
        m.Translate(pad->m_boardPosition.X, pad->m_boardPosition.Y, MatrixOrderPrepend);
        int shape = -1;
        if (!m_area->m_net.empty() && pad->GetNetName() == m_area->m_net) {
            if (solid)
                continue;
            if (thermal < 0) {
                GraphicsPath path;
                padLayer->BuildThermalPath(&path);
                thermal = static_cast<int>(m_shapes.size());
                m_shapes.push_back(std::move(path));
            }
            shape = thermal;
        } else {
            if (clearance < 0) {
                GraphicsPath path;
                padLayer->BuildClearancePath(&path, iso);
                clearance = static_cast<int>(m_shapes.size());
                m_shapes.push_back(std::move(path));
            }
            shape = clearance;
        }
        m_sources.push_back({shape, m, nullptr});
    }
}

void CArea::DrawOnBoard(Graphics* g, uint32_t) {
    if (m_layer < 0 || m_layer >= kBoardLayerCount || !m_outline)
        return;
    if (g_pActiveView && !g_pActiveView->IsLayerVisible(m_layer))
        return;
    const Color color = Color::FromColorRef(g_DefaultSettings.layerColors[m_layer]);
    GraphicsPath outline;
    m_outline->FillOutlinePath(&outline);
    if (m_drawSketch) {
        Pen pen(color, 0);
        const float dashes[2] = {10, 10};
        pen.SetDashPattern(dashes, 2);
        g->DrawPath(&pen, &outline);
        return;
    }
    RectF bounds;
    outline.GetBounds(&bounds);
    if (!g->IsVisible(bounds))
        return;
    // The copper is built anew only when what it is made from has changed
    // since it was last drawn; otherwise it is drawn as it stands. An area
    // on no board is its outline.
    const GraphicsPath* copper = &outline;
    CAreaFill fill(this);
    if (fill.Gather()) {
        if (fill.GetInputKey() != m_fillKey) {
            fill.Build();
            ClipPolygonToPath(fill.GetFill(), &m_fillPath);
            m_fillKey = fill.GetInputKey();
        }
        copper = &m_fillPath;
    }
    // The copper is kept as a picture by a view that keeps pictures; the
    // path's own stamp tells a rebuilt copper from the one pictured.
    SolidBrush brush(color);
    g->FillPath(&brush, copper, copper == &m_fillPath ? this : nullptr);
    if (IsSelected())
        m_outline->DrawOutline(
            g, Color::FromColorRef(g_DefaultSettings.colorOutline, 0x80).GetValue());
}
