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
#include "platform/region.h"
#include "schematic/net.h"

#include <algorithm>
#include <cfloat>

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

} // namespace

CAreaFill::CAreaFill(const CArea* area, float flatness) : m_area(area), m_flatness(flatness) {}

bool CAreaFill::MeetsOutline(float left, float bottom, float right, float top) const {
    return left <= m_right && m_left <= right && bottom <= m_top && m_bottom <= top;
}

bool CAreaFill::Compute() {
    m_outline.Clear();
    m_exclusion.Clear();
    m_fill.Clear();
    m_parts.clear();
    const CTreeNode* board = m_area->GetParent();
    if (m_area->m_layer < 0 || !m_area->m_outline || !board || board->GetType() != NodeType::Board)
        return false;
    GraphicsPath outlinePath;
    m_area->m_outline->FillOutlinePath(&outlinePath);
    m_outline = PathToClipPolygon(outlinePath, m_flatness);
    const Box box = BoxOf(m_outline);
    if (box.Empty())
        return false;
    m_left = box.left;
    m_bottom = box.bottom;
    m_right = box.right;
    m_top = box.top;

    const float isolation = GetBoardIsolation(static_cast<const CBoard*>(board));
    CThermalRelief* boardRelief = nullptr;
    static_cast<const CBoard*>(board)->FindBoardProperties(&boardRelief, nullptr);
    m_boardRelief = boardRelief;
    m_boardReliefKnown = true;
    for (const CTreeNode* child : board->GetChildren()) {
        if (child->GetType() == NodeType::Package) {
            for (const CTreeNode* footprint : child->GetChildren())
                if (footprint->GetType() == NodeType::Footprint)
                    for (const CTreeNode* padstack : footprint->GetChildren())
                        if (padstack->GetType() == NodeType::Padstack)
                            AddPadstackExclusion(static_cast<const CPadstack*>(padstack));
        } else if (child->GetType() == NodeType::Net) {
            const auto* net = static_cast<const CNet*>(child);
            // The area's own conductors and vias join its copper.
            if (!m_area->m_net.empty() && net->GetName() == m_area->m_net)
                continue;
            for (const CTreeNode* item : net->GetChildren()) {
                if (item->GetType() == NodeType::Padstack) {
                    AddPadstackExclusion(static_cast<const CPadstack*>(item));
                } else if (item->GetType() == NodeType::Conductor) {
                    const auto* conductor = static_cast<const CConductor*>(item);
                    if (conductor->m_layer != m_area->m_layer)
                        continue;
                    GraphicsPath path;
                    conductor->BuildClearancePath(&path, isolation);
                    CClipPolygon polygon = PathToClipPolygon(path, m_flatness);
                    const Box b = BoxOf(polygon);
                    if (!b.Empty() && MeetsOutline(b.left, b.bottom, b.right, b.top))
                        m_parts.push_back(std::move(polygon));
                }
            }
        }
    }
    // Everything is removed at once, so overlaps need no order.
    m_exclusion = UniteClipPolygons(std::move(m_parts));
    m_parts.clear();
    m_fill.Clip(CLIP_DIFFERENCE, m_outline, m_exclusion);
    return true;
}

void CAreaFill::AddPadstackExclusion(const CPadstack* padstack) {
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
    PlacedShape clearance, thermal;
    const bool solid = m_area->m_noThermal || padstack->m_noThermal;
    for (const CTreeNode* child : padstack->GetChildren()) {
        if (child->GetType() != NodeType::Pad)
            continue;
        const auto* pad = static_cast<const CPad*>(child);
        Matrix m;
        if (footprint)
            footprint->TransformMatrix(&m);
        m.Translate(pad->m_boardPosition.X, pad->m_boardPosition.Y, MatrixOrderPrepend);
        PlacedShape* shape = &clearance;
        if (!m_area->m_net.empty() && pad->GetNetName() == m_area->m_net) {
            if (solid)
                continue;
            shape = &thermal;
            if (!thermal.built) {
                GraphicsPath path;
                padLayer->BuildThermalPath(&path);
                BuildShape(thermal, path, m_flatness);
            }
        } else if (!clearance.built) {
            GraphicsPath path;
            padLayer->BuildClearancePath(&path, iso);
            BuildShape(clearance, path, m_flatness);
        }
        if (shape->box.Empty())
            continue;
        // The placed bounds of the shape itself: a pad larger than the area,
        // or one across its edge, is cleared as well.
        PointF corners[4] = {{shape->box.left, shape->box.bottom},
                             {shape->box.right, shape->box.bottom},
                             {shape->box.right, shape->box.top},
                             {shape->box.left, shape->box.top}};
        m.TransformPoints(corners, 4);
        Box placed;
        for (const PointF& p : corners)
            placed.Add(p.X, p.Y);
        if (!MeetsOutline(placed.left, placed.bottom, placed.right, placed.top))
            continue;
        m_parts.push_back(Transformed(shape->polygon, m));
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
    CAreaFill fill(this);
    fill.Compute();
    GraphicsPath exclusionPath;
    ClipPolygonToPath(fill.GetExclusion(), &exclusionPath);
    const GraphicsState state = g->Save();
    const Region inside(&outline);
    g->IntersectClip(&inside);
    const Region exclusion(&exclusionPath);
    g->ExcludeClip(&exclusion);
    SolidBrush brush(color);
    g->FillPath(&brush, &outline);
    g->Restore(state);
    if (IsSelected())
        m_outline->DrawOutline(
            g, Color::FromColorRef(g_DefaultSettings.colorOutline, 0x80).GetValue());
}
