// What each board-side node draws into a board view: conductors with rounded
// corners, pad shapes (thermals and clearances on plane layers), drill holes
// with pad numbers, markings, airwires and vias, and the board outline.
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"
#include "schematic/net.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadToDeg = 57.29577951308232;

bool LayerShown(int layer) {
    if (layer < 0)
        return false;
    return !g_pActiveView || g_pActiveView->IsLayerVisible(layer);
}

Color LayerColor(int layer) {
    const int index = std::clamp(layer, 0, kBoardLayerCount - 1);
    return Color::FromColorRef(g_DefaultSettings.layerColors[index], 0xFF);
}

Color SelectionColor() {
    return Color::FromColorRef(g_DefaultSettings.colorSel, 0xFF);
}

ARGB EditOutlineColor() {
    return ColorRefToArgb(g_DefaultSettings.colorOutline, 0x80);
}

bool IsPadOrFootprintSelected(const CPad* pad) {
    if (pad->IsSelected())
        return true;
    const CFootprint* footprint = pad->GetFootprint();
    return footprint && footprint->IsSelected();
}

} // namespace

// --- Conductor -------------------------------------------------------------

void CConductor::DrawOnBoard(Graphics* g, uint32_t) {
    if (!LayerShown(m_layer) || m_vertices.size() < 2)
        return;
    RectF bounds;
    if (GetBoundsOnBoard(g, bounds) && !g->IsVisible(bounds))
        return;
    Pen pen(LayerColor(m_layer), m_width);
    pen.SetLineCap(LineCapRound, LineCapRound);
    // The same centre line the Gerber plot and the clearances follow.
    thread_local std::vector<ConductorPiece> pieces;
    GetCentreLine(pieces);
    double x = m_vertices[0].x, y = m_vertices[0].y;
    for (const ConductorPiece& piece : pieces) {
        pen.SetColor(piece.segment == m_selected ? SelectionColor() : LayerColor(m_layer));
        if (piece.arc) {
            const double r = std::hypot(x - piece.cx, y - piece.cy);
            const double start = std::atan2(y - piece.cy, x - piece.cx) * kRadToDeg;
            g->DrawArc(&pen, static_cast<float>(piece.cx - r), static_cast<float>(piece.cy - r),
                       static_cast<float>(2 * r), static_cast<float>(2 * r),
                       static_cast<float>(start), static_cast<float>(piece.sweep * kRadToDeg));
        } else {
            g->DrawLine(&pen, PointF{static_cast<float>(x), static_cast<float>(y)},
                        PointF{static_cast<float>(piece.x), static_cast<float>(piece.y)});
        }
        x = piece.x;
        y = piece.y;
    }
}

// --- Pad layer ---------------------------------------------------------------

int CPadLayer::GetDrawnLayerId() const {
    return m_pDrawnLayer ? m_pDrawnLayer->m_id : m_layer;
}

void CPadLayer::DrawOnBoard(Graphics* g, uint32_t flags) {
    const int id = GetDrawnLayerId();
    if (!LayerShown(id) || m_shape == kPadShapeNone)
        return;
    auto* padstack = dynamic_cast<CPadstack*>(GetParent());
    if (!padstack)
        return;
    GraphicsPath padShape, thermal, clearance;
    BuildShapePath(&padShape, m_width, m_height);
    BuildThermalPath(&thermal);
    BuildPlaneClearancePath(&clearance);
    const bool onPlane = m_pDrawnLayer && m_pDrawnLayer->m_layerType == kLayerTypePlane;
    RectF shapeBounds;
    (onPlane ? clearance : padShape).GetBounds(&shapeBounds);
    const int front = static_cast<int8_t>(flags >> 24);
    const bool boardEditor = (flags & 0x80000) != 0;
    const GraphicsState outer = g->Save();
    if (CFootprint* footprint = padstack->GetParentFootprint())
        footprint->TransformGraphics(g);
    const SolidBrush brush(LayerColor(id));
    Pen selPen(SelectionColor(), 0);
    for (CTreeNode* child : padstack->GetChildren()) {
        if (child->GetType() != NodeType::Pad)
            continue;
        auto* pad = static_cast<CPad*>(child);
        const GraphicsState state = g->Save();
        g->TranslateTransform(pad->m_boardPosition.X, pad->m_boardPosition.Y);
        const GraphicsPath* shape = nullptr;
        if (!boardEditor) {
            shape = (flags & 0x10000) && m_layer == front && m_layer < 22 ? &thermal : &padShape;
        } else if (!onPlane) {
            shape = &padShape;
        } else {
            const std::wstring net = pad->GetNetName();
            if (net.empty() || m_pDrawnLayer->m_net.empty() || net != m_pDrawnLayer->m_net)
                shape = &clearance;
            else if (!m_pDrawnLayer->m_noThermal && !padstack->m_noThermal)
                shape = &thermal;
        }
        if (shape && g->IsVisible(shapeBounds)) {
            if (!IsPadOrFootprintSelected(pad)) {
                g->FillPath(&brush, shape);
                if ((flags & 0x20000) && m_layer == front) {
                    CThermalRelief* relief = GetEffectiveThermalRelief();
                    if ((flags & 0x10000) && relief && relief->m_outline)
                        relief->m_outline->DrawOutline(g, EditOutlineColor());
                    else if (m_shape == kPadShapeCustom && !(flags & 0x10000) && m_outline)
                        m_outline->DrawOutline(g, EditOutlineColor());
                }
            } else {
                g->SetSmoothingMode(SmoothingModeDefault);
                g->DrawPath(&selPen, shape);
                g->SetSmoothingMode(SmoothingModeAntiAlias);
            }
        }
        g->Restore(state);
    }
    g->Restore(outer);
}

// --- Padstack ---------------------------------------------------------------

void CPadstack::DrawOnBoard(Graphics* g, uint32_t flags) {
    CDrill* drill = FindDrill();
    GraphicsPath hole;
    if (drill)
        drill->BuildPath(&hole);
    const int front = static_cast<int8_t>(flags >> 24);
    CFootprint* footprint = GetParentFootprint();
    const GraphicsState outer = g->Save();
    if (footprint)
        footprint->TransformGraphics(g);
    const SolidBrush drillBrush(Color::FromColorRef(g_DefaultSettings.colorDrill, 0xFF));
    const Pen selPen(SelectionColor(), 0);
    const bool sideShown =
        footprint &&
        LayerShown(footprint->m_place == kPlaceBottom ? kPadLayerBottom : kPadLayerTop);
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() != NodeType::Pad)
            continue;
        auto* pad = static_cast<CPad*>(child);
        const GraphicsState state = g->Save();
        g->TranslateTransform(pad->m_boardPosition.X, pad->m_boardPosition.Y);
        if (!g->IsVisible(-1, -1, 2, 2)) {
            g->Restore(state);
            continue;
        }
        if (drill) {
            g->FillPath(&drillBrush, &hole);
            if (IsPadOrFootprintSelected(pad))
                g->DrawPath(&selPen, &hole);
            if (drill->m_drillType == kDrillCustom && (flags & 0x20000) && front == -1 &&
                drill->m_outline)
                drill->m_outline->DrawOutline(g, EditOutlineColor());
        }
        if (sideShown) {
            if (pad->m_marked) {
                Pen cross(Color(0xFFFF00FF), 0.5f);
                cross.SetLineCap(LineCapRound, LineCapRound);
                g->DrawLine(&cross, -1, -1, 1, 1);
                g->DrawLine(&cross, -1, 1, 1, -1);
            }
            if (!(flags & NodeFlags::HidePadNumbers) && g_pActiveView &&
                g_pActiveView->ArePadNumbersShown() && !pad->m_num.empty()) {
                g->ScaleTransform(1, -1);
                const float size = static_cast<float>(2.5 / g_pActiveView->GetZoomScale());
                Font font(L"Tahoma", size, FontStyleRegular, UnitPoint);
                if (!font.IsAvailable())
                    font = Font(L"Sans Serif", size, FontStyleRegular, UnitPoint);
                RectF box;
                g->MeasureString(pad->m_num, &font, PointF{0, 0}, nullptr, &box);
                const SolidBrush grey(Color(0xFFC0C0C0));
                g->DrawString(pad->m_num, &font, PointF{-box.Width / 2, -box.Height / 2}, &grey);
            }
        }
        g->Restore(state);
    }
    g->Restore(outer);
}

// --- Marking ------------------------------------------------------------------

void CMarking::DrawOnBoard(Graphics* g, uint32_t flags) {
    if (!LayerShown(m_layer))
        return;
    auto drawPrimitives = [&] {
        for (CMarkingPrimitive* p : m_primitives) {
            RectF r;
            if (p->GetBounds(g, &r) && g->IsVisible(r))
                p->Draw(g, static_cast<int>(flags));
        }
    };
    const GraphicsState outer = g->Save();
    CTreeNode* parent = GetParent();
    if (parent && parent->GetType() == NodeType::Footprint) {
        static_cast<CFootprint*>(parent)->TransformGraphics(g);
        drawPrimitives();
    } else if (parent && parent->GetType() == NodeType::Padstack) {
        auto* padstack = static_cast<CPadstack*>(parent);
        if (CFootprint* footprint = padstack->GetParentFootprint())
            footprint->TransformGraphics(g);
        for (CTreeNode* child : padstack->GetChildren()) {
            if (child->GetType() != NodeType::Pad)
                continue;
            const GraphicsState state = g->Save();
            g->TranslateTransform(child->m_boardPosition.X, child->m_boardPosition.Y);
            drawPrimitives();
            g->Restore(state);
        }
    }
    g->Restore(outer);
}

// --- Net and board --------------------------------------------------------------

void CNet::DrawOnBoard(Graphics* g, uint32_t flags) {
    DrawAirwires(g, m_airwireColor);
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Padstack)
            child->DrawOnBoard(g, flags);
}

void CBoard::DrawOutline(Graphics* g) {
    if (m_outline)
        m_outline->DrawOutline(g, ColorRefToArgb(g_DefaultSettings.colorOutline, 0xC0));
}
