// Conductors in the board editor: the attached track ends that follow a
// moving pad, ending a conductor edit and a route, and the places where
// routing and the design-rule check come in (their own issue): the tool
// dispatch of Route new conductor (32846) and Edit conductor (32847), the
// violation marks and the checks run after edits.
#include "views/board_view.h"

#include "board/board.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "schematic/net.h"
#include "views/footprint_action_cache.h"

#include <cmath>

namespace {

constexpr float kSame = 0.001f;

std::vector<CNet*> NetsOf(const CBoard* board) {
    std::vector<CNet*> out;
    if (board)
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Net)
                out.push_back(static_cast<CNet*>(child));
    return out;
}

// A neighbour that must stay where it is: an end of the track, a vertex
// tied to a pad or marked as a break, or a junction with another track.
bool IsFixedVertex(const CConductor* conductor, int index) {
    const int last = static_cast<int>(conductor->m_vertices.size()) - 1;
    if (index == 0 || index == last)
        return true;
    const ConductorVertex& v = conductor->m_vertices[static_cast<size_t>(index)];
    if (!v.tie.IsNone())
        return true;
    if (FootprintActionCache* cache = FootprintActionCache::Active())
        return cache->OtherConductorAt(conductor, v.x, v.y, kSame);
    return conductor->FindOtherConductorAt(v.x, v.y, kSame) != nullptr;
}

} // namespace

// --- Track ends following a pad -----------------------------------------------------------

int CBoardView::MoveAttachedVertex(Graphics* g, CConductor* conductor, int i, float x, float y) {
    std::vector<ConductorVertex>& v = conductor->m_vertices;
    if (i < 0 || i >= static_cast<int>(v.size()))
        return i;
    if (!conductor->m_dragRecorded) {
        PushUndo(new CUndoChangeConductor(conductor));
        conductor->m_dragRecorded = 1;
    }
    conductor->InvalidateOnBoard(g);
    for (int side : {-1, 1}) {
        int n = i + side;
        if (n < 0 || n >= static_cast<int>(v.size()))
            continue;
        // The segment's direction, from the neighbour towards vertex i.
        const double dx =
            static_cast<double>(v[static_cast<size_t>(i)].x) - v[static_cast<size_t>(n)].x;
        const double dy =
            static_cast<double>(v[static_cast<size_t>(i)].y) - v[static_cast<size_t>(n)].y;
        double theta = 0;
        if (std::fabs(dx) < kSame && std::fabs(dy) < kSame) {
            if (m_segmentDirection == 999.0f)
                continue;
            theta = m_segmentDirection;
        } else {
            theta = std::atan2(dy, dx);
        }
        if (IsFixedVertex(conductor, n)) {
            // A copy keeps the tie and stays; the vertex itself is freed.
            ConductorVertex copy = v[static_cast<size_t>(n)];
            v[static_cast<size_t>(n)].tie = VertexTie();
            if (side < 0) {
                v.insert(v.begin() + n, copy);
                ++n;
                ++i;
            } else {
                v.insert(v.begin() + n + 1, copy);
            }
        }
        const int b = n + side;
        const double c = std::cos(theta), s = std::sin(theta);
        auto toFrame = [&](double px, double py) {
            return std::pair<double, double>{px * c + py * s, -px * s + py * c};
        };
        auto fromFrame = [&](double fx, double fy) {
            return std::pair<double, double>{fx * c - fy * s, fx * s + fy * c};
        };
        const auto [tx, ty] = toFrame(x, y);
        const auto [bx, by] = toFrame(v[static_cast<size_t>(b)].x, v[static_cast<size_t>(b)].y);
        const auto [ox, oy] = toFrame(v[static_cast<size_t>(n)].x, v[static_cast<size_t>(n)].y);
        (void)ox;
        double nx = bx + std::fabs(by - ty);
        double ny = ty;
        if (tx < nx) {
            // The target lies behind the bend: the neighbour takes its x and
            // stays on the 45-degree piece, on the side it came from.
            nx = tx;
            const double sign = oy - by >= 0 ? 1.0 : -1.0;
            ny = by + sign * std::fabs(tx - bx);
        }
        const auto [mx, my] = fromFrame(nx, ny);
        v[static_cast<size_t>(n)].x = static_cast<float>(mx);
        v[static_cast<size_t>(n)].y = static_cast<float>(my);
    }
    v[static_cast<size_t>(i)].x = x;
    v[static_cast<size_t>(i)].y = y;
    conductor->InvalidateOnBoard(g);
    return i;
}

void CBoardView::EndConductorEdit() {
    for (CNet* net : NetsOf(GetBoard())) {
        for (CTreeNode* child : net->GetChildren()) {
            if (child->GetType() == NodeType::Conductor) {
                child->m_selected = 0;
                child->m_dragRecorded = 0;
            } else if (child->GetType() == NodeType::Padstack) {
                for (CTreeNode* pad : child->GetChildren())
                    if (pad->GetType() == NodeType::Pad)
                        pad->SetSelected(false);
            }
        }
    }
    m_editConductor = nullptr;
    m_dragVia = nullptr;
}

void CBoardView::CancelRoute() {
    CConductor* conductor = m_routeConductor;
    CNet* net = m_routeNet;
    m_routeConductor = nullptr;
    m_routeNet = nullptr;
    if (!conductor)
        return;
    auto g = MakeGraphics();
    conductor->InvalidateOnBoard(g.get());
    if (!conductor->m_vertices.empty())
        conductor->m_vertices.pop_back();
    conductor->m_selected = 0;
    if (!net)
        net = dynamic_cast<CNet*>(conductor->GetParent());
    // Esc right after the start (or a layer change) leaves a track without
    // length: it goes, with a via it alone needed; other vias stay.
    SettleRoute(g.get(), conductor, net);
}
