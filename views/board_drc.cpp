// The board view's design-rule check: overlapping component outlines on
// each side, and copper of a conductor too close to pads, conductors of
// other nets and texts on its layer. Each overlap is kept as a mark under
// its pair of objects, drawn as a white patch with a V pointing at it.
#include "views/board_view.h"

#include "board/board.h"
#include "board/clip_polygon.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/mounting.h"
#include "board/outward_flatten.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/board_layer.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/pen.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/text.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

constexpr float kGrowth = 0.1f;
// The flatness of the outlines compared (CClipPolygon::FromPath's).
constexpr float kFlatness = 0.01f;

uint32_t OpaqueColor(COLORREF c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// The colour of a board layer by its id, from the colour settings: a layer
// the stackup does not list still has one.
uint32_t LayerColor(int layer) {
    if (layer < 0 || layer >= kBoardLayerCount)
        return 0xFFFF0000u;
    return OpaqueColor(g_DefaultSettings.layerColors[layer]);
}

std::pair<const CTreeNode*, const CTreeNode*> PairKey(const CTreeNode* a, const CTreeNode* b) {
    return std::less<const CTreeNode*>()(a, b) ? std::make_pair(a, b) : std::make_pair(b, a);
}

// The intersection of two polygons as a path, one polygon figure per contour.
GraphicsPath Overlap(const CClipPolygon& subject, const CClipPolygon& clip) {
    CClipPolygon result;
    result.Clip(CLIP_INTERSECTION, subject, clip);
    GraphicsPath path(FillModeAlternate);
    for (const CClipContour& contour : result.Contours())
        if (contour.GetVertexCount() >= 3)
            path.AddPolygon(contour.GetVertices(), contour.GetVertexCount());
    return path;
}

CClipPolygon PolygonOf(GraphicsPath& path) {
    return CClipPolygon::FromPath(path, 0);
}

// The sheet position of a text stands in for a board position never set.
PointF TextPlace(const CText* text) {
    if (text->m_boardPosition.X == 0 && text->m_boardPosition.Y == 0)
        return PointF{static_cast<float>(text->m_position.x) / 5.0f,
                      static_cast<float>(text->m_position.y) / 5.0f};
    return text->m_boardPosition;
}

} // namespace

void CBoardView::RecordViolation(Graphics* g, const CTreeNode* a, const CTreeNode* b,
                                 const GraphicsPath& overlap, uint32_t color,
                                 DrcViolationMap& map) {
    const auto key = PairKey(a, b);
    auto it = map.find(key);
    if (it != map.end()) {
        InvalidateViolation(it->second, g);
        map.erase(it);
    }
    if (overlap.GetPointCount() == 0)
        return;
    DrcViolation mark;
    mark.path.reset(overlap.Clone());
    mark.argb = color | 0xFF000000u;
    mark.first = key.first;
    mark.second = key.second;
    InvalidateViolation(mark, g);
    map.emplace(key, std::move(mark));
}

void CBoardView::InvalidateViolation(const DrcViolation& mark, Graphics* g) {
    if (!mark.path || !g || !IsWindow())
        return;
    RectF b;
    mark.path->GetBounds(&b);
    RECT r = WorldRectToDeviceRect(g, b.X, b.Y, b.Width, b.Height);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    if (r.left > r.right)
        std::swap(r.left, r.right);
    // Room for the pointer drawn above the region.
    r.top -= 50;
    r.left -= 22;
    r.right += 22;
    InvalidateRect(&r, false);
}

void CBoardView::DrawViolation(const DrcViolation& mark, Graphics* g) {
    if (!mark.path)
        return;
    SolidBrush white(Color(0xFFFFFFFFu));
    g->FillPath(&white, mark.path.get());
    const GraphicsState state = g->Save();
    Matrix world;
    g->GetTransform(&world);
    g->ResetTransform();
    Pen pen(Color(mark.argb | 0xFF000000u), 3.0f);
    const std::vector<PointF>& points = mark.path->Points();
    const std::vector<uint8_t>& types = mark.path->Types();
    size_t start = 0;
    while (start < points.size()) {
        size_t end = start + 1;
        while (end < points.size() && (types[end] & 7) != 0)
            ++end;
        float x0 = points[start].X, x1 = x0, y0 = points[start].Y, y1 = y0;
        for (size_t k = start; k < end; ++k) {
            x0 = std::min(x0, points[k].X);
            x1 = std::max(x1, points[k].X);
            y0 = std::min(y0, points[k].Y);
            y1 = std::max(y1, points[k].Y);
        }
        PointF tip{(x0 + x1) / 2, (y0 + y1) / 2};
        world.TransformPoints(&tip, 1);
        g->DrawLine(&pen, tip.X - 20, tip.Y - 50, tip.X, tip.Y);
        g->DrawLine(&pen, tip.X, tip.Y, tip.X + 20, tip.Y - 50);
        start = end;
    }
    g->Restore(state);
}

void CBoardView::DrawViolations(Graphics* g) {
    DropDepartedViolations();
    for (const DrcViolationMap* map : {&m_topViolations, &m_bottomViolations, &m_copperViolations})
        for (const auto& entry : *map)
            DrawViolation(entry.second, g);
}

void CBoardView::ClearViolations() {
    m_topViolations.clear();
    m_bottomViolations.clear();
    m_copperViolations.clear();
}

// A mark names two objects; once either has left the board (deleted, taken
// by an undo) the mark goes too, before anything draws through it.
void CBoardView::DropDepartedViolations() {
    if (m_topViolations.empty() && m_bottomViolations.empty() && m_copperViolations.empty())
        return;
    std::unordered_set<const CTreeNode*> live;
    std::vector<const CTreeNode*> stack;
    if (CBoard* board = GetBoard())
        stack.push_back(board);
    while (!stack.empty()) {
        const CTreeNode* node = stack.back();
        stack.pop_back();
        live.insert(node);
        for (const CTreeNode* child : node->GetChildren())
            stack.push_back(child);
        // A package's footprint hangs under the package.
    }
    for (DrcViolationMap* map : {&m_topViolations, &m_bottomViolations, &m_copperViolations})
        for (auto it = map->begin(); it != map->end();) {
            if (!live.count(it->first.first) || !live.count(it->first.second))
                it = map->erase(it);
            else
                ++it;
        }
}

void CBoardView::RefreshDrc() {
    if (!m_drcOn)
        ClearViolations();
    InvalidateRect(nullptr, false);
}

void CBoardView::CheckComponent(Graphics* g, CFootprint* footprint) {
    CBoard* board = GetBoard();
    if (!board || !footprint)
        return;
    GraphicsPath* top = footprint->BuildOutlinePath(0);
    CClipPolygon topPolygon;
    if (top) {
        GraphicsPath copy(*top);
        topPolygon = PolygonOf(copy);
    }
    GraphicsPath* bottom = footprint->BuildOutlinePath(1);
    CClipPolygon bottomPolygon;
    if (bottom) {
        GraphicsPath copy(*bottom);
        bottomPolygon = PolygonOf(copy);
    }
    std::vector<CFootprint*> others;
    for (CTreeNode* child : board->GetChildren()) {
        if (child->GetType() == NodeType::Package) {
            if (CFootprint* f = static_cast<CPackage*>(child)->GetFootprint())
                others.push_back(f);
        } else if (child->GetType() == NodeType::Mounting) {
            for (CTreeNode* c : child->GetChildren())
                if (c->GetType() == NodeType::Footprint)
                    others.push_back(static_cast<CFootprint*>(c));
        }
    }
    for (CFootprint* other : others) {
        if (other == footprint)
            continue;
        GraphicsPath* otherTop = other->BuildOutlinePath(0);
        if (otherTop) {
            GraphicsPath copy(*otherTop);
            RecordViolation(g, footprint, other, Overlap(topPolygon, PolygonOf(copy)),
                            OpaqueColor(g_DefaultSettings.layerColors[kLayerPackageOutlineTop]),
                            m_topViolations);
        }
        GraphicsPath* otherBottom = other->BuildOutlinePath(1);
        if (otherBottom) {
            GraphicsPath copy(*otherBottom);
            RecordViolation(g, footprint, other, Overlap(bottomPolygon, PolygonOf(copy)),
                            OpaqueColor(g_DefaultSettings.layerColors[kLayerPackageOutlineBottom]),
                            m_bottomViolations);
        }
    }
}

void CBoardView::CheckConductor(Graphics* g, CConductor* conductor) {
    CBoard* board = GetBoard();
    if (!board || !conductor)
        return;
    const int layer = conductor->m_layer;
    // The colour comes from the settings by layer id, so a conductor on a
    // layer the stackup lacks is still checked, with nothing looked up
    // through a missing layer entry.
    if (layer < 0 || layer >= CBoardLayerIndex::kTopSet)
        return;
    const uint32_t color = LayerColor(layer);
    const CNet* net = dynamic_cast<const CNet*>(conductor->GetParent());
    // Copper shapes are grown with their curves flattened outside them: a
    // pair closer than the rule must always overlap.
    GraphicsPath own;
    conductor->BuildClearancePath(&own, kGrowth);
    const CClipPolygon subject = PathToClearancePolygon(own, kFlatness);
    RectF ownBox;
    own.GetBounds(&ownBox);
    // Objects whose box stays clear of the conductor's cannot overlap it;
    // their old marks are cleared all the same.
    auto clear = [&](const GraphicsPath& p) {
        RectF b;
        p.GetBounds(&b);
        return b.X > ownBox.X + ownBox.Width || b.X + b.Width < ownBox.X ||
               b.Y > ownBox.Y + ownBox.Height || b.Y + b.Height < ownBox.Y;
    };
    auto record = [&](const CTreeNode* other, GraphicsPath& shape) {
        if (clear(shape)) {
            auto it = m_copperViolations.find(PairKey(conductor, other));
            if (it != m_copperViolations.end())
                RecordViolation(g, conductor, other, GraphicsPath(), color, m_copperViolations);
            return;
        }
        RecordViolation(g, conductor, other,
                        Overlap(subject, PathToClearancePolygon(shape, kFlatness)), color,
                        m_copperViolations);
    };
    const CBoardLayerIndex::NodeSet& set = LayerIndex().GetSet(layer);
    for (CTreeNode* node : set) {
        const int type = node->GetType();
        if (type == NodeType::PadLayer) {
            auto* padstack = dynamic_cast<CPadstack*>(node->GetParent());
            if (!padstack)
                continue;
            GraphicsPath shape;
            static_cast<CPadLayer*>(node)->BuildClearancePath(&shape, kGrowth);
            Matrix placement;
            if (CFootprint* footprint = padstack->GetParentFootprint())
                footprint->TransformMatrix(&placement);
            for (CTreeNode* child : padstack->GetChildren()) {
                if (child->GetType() != NodeType::Pad)
                    continue;
                auto* pad = static_cast<CPad*>(child);
                const CNet* padNet = pad->GetNet();
                if (padNet && padNet == net)
                    continue;
                Matrix m = placement;
                m.Translate(pad->m_boardPosition.X, pad->m_boardPosition.Y);
                GraphicsPath placed(shape);
                placed.Transform(&m);
                record(pad, placed);
            }
        } else if (type == NodeType::Conductor) {
            if (node == conductor || node->GetParent() == net)
                continue;
            // Far from the checked track (by its vertices), the outline is not
            // worth building: only an old mark of the pair is cleared.
            const auto* other = static_cast<const CConductor*>(node);
            if (!other->m_vertices.empty()) {
                const float grow = other->m_width / 2 + kGrowth + 0.01f;
                float x0 = other->m_vertices[0].x, x1 = x0, y0 = other->m_vertices[0].y, y1 = y0;
                for (const ConductorVertex& v : other->m_vertices) {
                    x0 = std::min(x0, v.x);
                    x1 = std::max(x1, v.x);
                    y0 = std::min(y0, v.y);
                    y1 = std::max(y1, v.y);
                }
                if (x0 - grow > ownBox.X + ownBox.Width || x1 + grow < ownBox.X ||
                    y0 - grow > ownBox.Y + ownBox.Height || y1 + grow < ownBox.Y) {
                    if (m_copperViolations.count(PairKey(conductor, node)))
                        RecordViolation(g, conductor, node, GraphicsPath(), color,
                                        m_copperViolations);
                    continue;
                }
            }
            GraphicsPath shape;
            static_cast<CConductor*>(node)->BuildClearancePath(&shape, kGrowth);
            record(node, shape);
        } else if (type == NodeType::Text) {
            auto* text = static_cast<CText*>(node);
            RectF r;
            if (!text->GetBoundsOnBoard(g, r))
                continue;
            Matrix m;
            CPackage* package = text->GetHoldingPackage();
            if (package)
                if (CFootprint* footprint = package->GetFootprint())
                    footprint->TransformMatrix(&m);
            const PointF at = TextPlace(text);
            m.Translate(at.X, at.Y);
            m.Scale(package ? 1.0f : text->GetMirrorSign(), -1.0f);
            m.Rotate(text->m_rotation);
            GraphicsPath shape;
            shape.AddRectangle(r);
            shape.Transform(&m);
            record(text, shape);
        }
    }
}
