#include "views/via_joins.h"

#include "board/clip_polygon.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

// Below this area (mm²) two shapes only touch.
constexpr double kOverlapArea = 1e-6;

bool HasPlatedHole(const CPadstack* padstack) {
    for (const CTreeNode* child : padstack->GetChildren())
        if (child->GetType() == NodeType::Drill) {
            const auto* drill = static_cast<const CDrill*>(child);
            if (drill->m_drillType != kDrillNone && !drill->m_nonPlated)
                return true;
        }
    return false;
}

// The routing layers of the board: Top, Bottom and the inner layers of the
// stackup that are not planes.
std::vector<int> RoutingLayers(const CTreeNode* board) {
    std::vector<int> out{0, 1};
    if (board)
        for (const CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Layer) {
                const auto* layer = static_cast<const CLayer*>(child);
                if (layer->m_id >= 2 && layer->m_id < 22 && layer->m_layerType != kLayerTypePlane)
                    out.push_back(layer->m_id);
            }
    return out;
}

// The copper of a padstack on a board layer, placed by the matrix.
CClipPolygon PlacedCopper(const CPadstack* padstack, int layer, const Matrix& placement) {
    const CPadLayer* shape = padstack->FindPadLayerForBoardLayer(layer);
    if (!shape)
        return {};
    GraphicsPath path;
    shape->BuildPath(&path, 0);
    if (path.GetPointCount() == 0)
        return {};
    path.Transform(&placement);
    return CClipPolygon::FromPath(path, 0);
}

double Area(const CClipPolygon& polygon) {
    double total = 0;
    for (int i = 0; i < polygon.GetContourCount(); ++i) {
        const CClipContour& contour = polygon.GetContour(i);
        double twice = 0;
        for (int k = 0, n = contour.GetVertexCount(); k < n; ++k) {
            const PointF& a = contour[k];
            const PointF& b = contour[(k + 1) % n];
            twice += double(a.X) * b.Y - double(b.X) * a.Y;
        }
        total += (polygon.GetHoleFlag(i) ? -0.5 : 0.5) * std::fabs(twice);
    }
    return total;
}

// How far the copper of a padstack reaches from its origin, on any layer.
float Reach(const CPadstack* padstack) {
    float reach = 0;
    for (const CTreeNode* child : padstack->GetChildren()) {
        if (child->GetType() != NodeType::PadLayer)
            continue;
        GraphicsPath path;
        static_cast<const CPadLayer*>(child)->BuildPath(&path, 0);
        if (path.GetPointCount() == 0)
            continue;
        RectF b;
        path.GetBounds(&b);
        reach =
            std::max({reach, std::hypot(b.X, b.Y), std::hypot(b.X + b.Width, b.Y),
                      std::hypot(b.X, b.Y + b.Height), std::hypot(b.X + b.Width, b.Y + b.Height)});
    }
    return reach;
}

} // namespace

std::set<int> ComponentPadLayersUnder(const CPad* via, const CNet* net) {
    std::set<int> out;
    const CPadstack* viaStack = via ? via->GetPadstack() : nullptr;
    if (!viaStack || !net)
        return out;
    const PointF at = via->GetBoardPosition();
    const float viaReach = Reach(viaStack);
    Matrix viaPlacement;
    viaPlacement.Translate(at.X, at.Y);
    const std::vector<int> layers = RoutingLayers(net->GetParent());
    std::map<const CPadstack*, float> reaches;
    for (const CPin* pin : net->m_pins) {
        CPackage* package = pin->GetPackage();
        const CFootprint* footprint = package ? package->GetFootprint() : nullptr;
        if (!footprint)
            continue;
        for (const CTreeNode* child : footprint->GetChildren()) {
            if (child->GetType() != NodeType::Padstack)
                continue;
            const auto* padstack = static_cast<const CPadstack*>(child);
            if (HasPlatedHole(padstack))
                continue;
            auto known = reaches.find(padstack);
            if (known == reaches.end())
                known = reaches.emplace(padstack, Reach(padstack)).first;
            for (const CTreeNode* node : padstack->GetChildren()) {
                if (node->GetType() != NodeType::Pad)
                    continue;
                const auto* pad = static_cast<const CPad*>(node);
                if (pad->m_num.empty() || !pin->HasPadName(pad->m_num))
                    continue;
                const PointF p = pad->GetBoardPosition();
                if (!(std::hypot(p.X - at.X, p.Y - at.Y) < viaReach + known->second))
                    continue;
                Matrix placement;
                footprint->TransformMatrix(&placement);
                placement.Translate(pad->m_boardPosition.X, pad->m_boardPosition.Y);
                for (int layer : layers) {
                    if (out.count(layer))
                        continue;
                    const CClipPolygon own = PlacedCopper(viaStack, layer, viaPlacement);
                    const CClipPolygon other = PlacedCopper(padstack, layer, placement);
                    if (own.IsEmpty() || other.IsEmpty())
                        continue;
                    CClipPolygon both;
                    both.Clip(CLIP_INTERSECTION, own, other);
                    if (Area(both) > kOverlapArea)
                        out.insert(layer);
                }
            }
        }
    }
    return out;
}
