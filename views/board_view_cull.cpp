// What a paint of the board editor may leave out: it redraws one rectangle
// (after a drag step, a small one), and the objects measure and build their
// shapes before they find out they lie elsewhere. Parts of a footprint are
// judged by the box of the whole footprint, found once per paint; a text by
// a box its string cannot leave, whatever its font and turn. And what Zoom
// All takes in: the outline and whatever copper and components lie beyond it.
#include "views/board_view.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "platform/graphics.h"
#include "schematic/package.h"
#include "schematic/text.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

bool Overlaps(const RectF& a, const RectF& b) {
    return a.X <= b.X + b.Width && b.X <= a.X + a.Width && a.Y <= b.Y + b.Height &&
           b.Y <= a.Y + a.Height;
}

CFootprint* FootprintOfPart(CTreeNode* node) {
    CTreeNode* parent = node->GetParent();
    if (!parent)
        return nullptr;
    if (parent->GetType() == NodeType::Footprint)
        return static_cast<CFootprint*>(parent);
    if (parent->GetType() == NodeType::Padstack)
        return static_cast<CPadstack*>(parent)->GetParentFootprint();
    return nullptr;
}

} // namespace

RectF CBoardView::DrawnExtent() {
    CBoard* board = GetBoard();
    if (!board)
        return RectF{};
    RectF extent{};
    bool any = false;
    auto add = [&](const RectF& r) {
        if (!std::isfinite(r.X) || !std::isfinite(r.Y) || !std::isfinite(r.Width) ||
            !std::isfinite(r.Height))
            return;
        extent = any ? UniteRects(extent, r) : r;
        any = true;
    };
    if (board->m_outline) {
        RectF r;
        board->m_outline->GetOutlinePath()->GetBounds(&r);
        add(r);
    }
    auto g = MakeGraphics();
    for (CFootprint* footprint : AllFootprints()) {
        RectF r;
        if (FootprintExtent(g.get(), footprint, r))
            add(r);
    }
    for (CTreeNode* child : board->GetChildren()) {
        if (child->GetType() != NodeType::Net)
            continue;
        for (CTreeNode* c : child->GetChildren()) {
            RectF r;
            if (c->GetType() == NodeType::Conductor && c->GetBoundsOnBoard(g.get(), r))
                add(r);
            else if (c->GetType() == NodeType::Padstack)
                for (CTreeNode* pad : c->GetChildren())
                    if (pad->GetType() == NodeType::Pad && pad->GetBoundsOnBoard(g.get(), r))
                        add(r);
        }
    }
    return extent;
}

bool CBoardView::IsCulled(Graphics* g, CTreeNode* node, PaintCull& cull) {
    const int type = node->GetType();
    CFootprint* footprint = nullptr;
    if (type == NodeType::PadLayer || type == NodeType::Marking)
        footprint = FootprintOfPart(node);
    else if (type == NodeType::Padstack)
        footprint = static_cast<CPadstack*>(node)->GetParentFootprint();
    if (footprint) {
        auto it = cull.footprints.find(footprint);
        if (it == cull.footprints.end())
            it = cull.footprints.emplace(footprint, FootprintBox(g, footprint)).first;
        const RectF& box = it->second;
        return box.Width > 0 && box.Height > 0 && !Overlaps(box, cull.box);
    }
    if (type == NodeType::Text) {
        auto* text = static_cast<CText*>(node);
        // Where the string starts (a package's text: relative to its
        // footprint; without a board place of its own, at a fifth of its
        // sheet place), and a reach no glyph run of its length exceeds.
        PointF origin = text->m_boardPosition;
        if (origin.X == 0 && origin.Y == 0)
            origin = PointF{static_cast<float>(text->m_position.x) / 5.0f,
                            static_cast<float>(text->m_position.y) / 5.0f};
        if (CPackage* package = text->GetHoldingPackage()) {
            CFootprint* holder = package->GetFootprint();
            if (!holder)
                return false;
            origin = holder->LocalToBoard(origin.X, origin.Y);
        }
        const float reach = (static_cast<float>(text->GetText().size()) + 2) *
                            std::max(text->m_fontSize, 0.1f) * 1.5f;
        const RectF box{origin.X - reach, origin.Y - reach, 2 * reach, 2 * reach};
        return !Overlaps(box, cull.box);
    }
    return false;
}
