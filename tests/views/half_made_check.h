// The checks the randomized editor tests run after every step: the
// document holds no half-made object. On a board, tracks have length and no
// vertex twice in a row, copper areas enclose an area with no corner twice
// in a row, buses have length, wires have length unless they join pins
// that touch, free and sheet texts are not empty and every sheet object
// lies on a sheet of the board, and no step but an undo or redo takes away
// the via joining a track or a one-sided component pad to a plane of its
// net; in a library, no text is
// both without a name and empty. Work still under way (the route being
// drawn, the text being typed) is passed in and left out.
#pragma once

#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "core/node_type.h"
#include "platform/text.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "schematic/text.h"
#include "schematic/wire.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

inline void ExpectNoHalfMadeObjects(const CBoard* board, const std::string& where,
                                    const std::set<const CTreeNode*>& underWay = {}) {
    std::set<const CSheet*> sheets;
    for (const CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Sheet)
            sheets.insert(static_cast<const CSheet*>(child));
    auto walk = [&](const CTreeNode* node, auto& self) -> void {
        if (underWay.count(node))
            return;
        if (node->GetType() == NodeType::Conductor) {
            const auto& v = static_cast<const CConductor*>(node)->m_vertices;
            bool length = false;
            for (const ConductorVertex& x : v)
                length = length || std::fabs(x.x - v.front().x) >= 0.001f ||
                         std::fabs(x.y - v.front().y) >= 0.001f;
            EXPECT_TRUE(length) << where << ": a track with " << v.size()
                                << " vertices and no length";
            for (size_t i = 1; i < v.size(); ++i)
                EXPECT_FALSE(std::fabs(v[i].x - v[i - 1].x) < 0.001f &&
                             std::fabs(v[i].y - v[i - 1].y) < 0.001f)
                    << where << ": a track with vertex " << i << " of " << v.size() << " twice at "
                    << v[i].x << "," << v[i].y;
        }
        if (node->GetType() == NodeType::Area) {
            // The corners' polygon, arcs and curves taken as their chords.
            const CAreaNode* first = static_cast<const CArea*>(node)->m_outline;
            int count = 0;
            bool repeated = false;
            double twiceArea = 0;
            for (const CAreaNode* n = first; n; n = n->m_next) {
                const CAreaNode* next = n->m_next ? n->m_next : first;
                ++count;
                repeated = repeated || (n->m_x == next->m_x && n->m_y == next->m_y);
                twiceArea += double(n->m_x) * next->m_y - double(next->m_x) * n->m_y;
            }
            EXPECT_TRUE(count >= 3 && !repeated && std::fabs(twiceArea) > 1e-6)
                << where << ": an area of " << count << " corners"
                << (repeated ? ", one twice in a row," : "") << " enclosing " << twiceArea / 2;
        }
        if (node->GetType() == NodeType::Bus) {
            auto* bus = static_cast<const CBus*>(node);
            EXPECT_NE(bus->m_length, 0) << where << ": a bus without length at "
                                        << bus->m_position.x << "," << bus->m_position.y;
        }
        if (node->GetType() == NodeType::Wire) {
            // One without length is only a joint of pins that touch.
            auto* wire = static_cast<const CWire*>(node);
            std::vector<CPin*> pins;
            if (CNet* net = wire->GetNet())
                net->CollectPinsAt(wire->m_position, wire->m_pSheet, pins);
            EXPECT_FALSE(SamePoint(wire->GetStart(), wire->GetEnd()) && pins.size() < 2)
                << where << ": a wire without length joining no pins at " << wire->m_position.x
                << "," << wire->m_position.y;
        }
        if (node->GetType() == NodeType::Text && node->GetParent() == board) {
            EXPECT_FALSE(static_cast<const CText*>(node)->GetText().empty())
                << where << ": an empty text";
        }
        if (auto* object = dynamic_cast<const CSheetObject*>(node); object && object->m_pSheet) {
            EXPECT_TRUE(sheets.count(object->m_pSheet)) << where << ": an object on no sheet";
        }
        for (const CTreeNode* child : node->GetChildren())
            self(child, self);
    };
    walk(board, walk);
}

// The board view's layer index holds only nodes that are on the board, each
// text under its own layer: a node left in a set after it went is read freed
// by the next drawing or deletion. And it holds what a fresh index of the
// board holds, set by set.
inline void ExpectLayerIndexOnTheBoard(const CBoard* board, const CBoardLayerIndex& index,
                                       const std::string& where) {
    std::set<const CTreeNode*> onBoard;
    auto walk = [&](const CTreeNode* node, auto& self) -> void {
        onBoard.insert(node);
        for (const CTreeNode* child : node->GetChildren())
            self(child, self);
    };
    walk(board, walk);
    for (int set = 0; set < CBoardLayerIndex::kSetCount; ++set) {
        for (const CTreeNode* node : index.GetSet(set)) {
            if (!onBoard.count(node)) {
                ADD_FAILURE() << where << ": set " << set << " holds a node that left the board";
                return;
            }
            if (node->GetType() == NodeType::Text && set != CBoardLayerIndex::kTopSet) {
                EXPECT_EQ(node->GetLayer(), set) << where << ": a text under another layer";
            }
        }
    }
    // A node that changed layers is drawn under its new one only.
    CBoardLayerIndex fresh;
    fresh.Build(const_cast<CBoard*>(board));
    for (int set = 0; set < CBoardLayerIndex::kSetCount; ++set)
        for (int side = 0; side < 2; ++side)
            for (const CTreeNode* node : (side ? fresh : index).GetSet(set))
                if (!(side ? index : fresh).GetSet(set).count(const_cast<CTreeNode*>(node))) {
                    ADD_FAILURE() << where << ": set " << set
                                  << (side ? " lacks a " : " holds a stray ")
                                  << WideToUtf8(node->GetTagName());
                    return;
                }
}

inline void ExpectNoEmptyTexts(const CTreeNode* root, const std::string& where,
                               const std::set<const CTreeNode*>& underWay = {}) {
    auto walk = [&](const CTreeNode* node, auto& self) -> void {
        if (underWay.count(node))
            return;
        if (node->GetType() == NodeType::Text) {
            auto* text = static_cast<const CText*>(node);
            EXPECT_FALSE(text->m_name.empty() && text->GetText().empty())
                << where << ": an empty text";
        }
        for (const CTreeNode* child : node->GetChildren())
            self(child, self);
    };
    walk(root, walk);
}

// A via pad that joins a track, or a pad of its net's components, to a
// plane of its net, with where it stands.
struct PlaneVia {
    const CTreeNode* pad;
    const CTreeNode* net;
    PointF at;
    bool tied; // a track of the net is tied to it
};

// A pad of the net's components without a plated hole whose copper holds
// the point: it reaches the net's plane only through a via standing there.
inline bool OneSidedComponentPadAt(const CTreeNode* net, PointF at) {
    auto plated = [](const CTreeNode* padstack) {
        for (const CTreeNode* c : padstack->GetChildren())
            if (c->GetType() == NodeType::Drill &&
                static_cast<const CDrill*>(c)->m_drillType != kDrillNone &&
                !static_cast<const CDrill*>(c)->m_nonPlated)
                return true;
        return false;
    };
    if (!net->GetParent())
        return false;
    for (const CTreeNode* package : net->GetParent()->GetChildren())
        for (const CTreeNode* footprint : package->GetChildren()) {
            if (package->GetType() != NodeType::Package ||
                footprint->GetType() != NodeType::Footprint)
                continue;
            const PointF local =
                static_cast<const CFootprint*>(footprint)->BoardToLocal(at.X, at.Y);
            for (const CTreeNode* padstack : footprint->GetChildren())
                for (CTreeNode* pad : padstack->GetChildren())
                    if (padstack->GetType() == NodeType::Padstack &&
                        pad->GetType() == NodeType::Pad && !plated(padstack) &&
                        static_cast<const CPad*>(pad)->GetNet() == net &&
                        pad->HitTestOnBoard(nullptr, local.X, local.Y))
                        return true;
        }
    return false;
}

// The via pads of the board that join a track, or a one-sided pad of their
// net's components, to a plane of their net.
inline std::vector<PlaneVia> ViasJoiningPlanes(const CBoard* board) {
    std::set<std::wstring> planeNets;
    for (const CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Layer &&
            static_cast<const CLayer*>(child)->m_layerType == kLayerTypePlane)
            planeNets.insert(static_cast<const CLayer*>(child)->m_net);
    std::vector<PlaneVia> out;
    for (const CTreeNode* net : board->GetChildren()) {
        if (net->GetType() != NodeType::Net || !planeNets.count(net->GetText()))
            continue;
        for (const CTreeNode* via : net->GetChildren())
            for (const CTreeNode* pad : via->GetChildren()) {
                if (via->GetType() != NodeType::Padstack || pad->GetType() != NodeType::Pad)
                    continue;
                bool tied = false;
                for (const CTreeNode* c : net->GetChildren())
                    if (c->GetType() == NodeType::Conductor)
                        for (const ConductorVertex& x :
                             static_cast<const CConductor*>(c)->m_vertices)
                            tied = tied || x.tie.GetPad() == pad;
                const PointF at = static_cast<const CPad*>(pad)->GetBoardPosition();
                if (tied || OneSidedComponentPadAt(net, at))
                    out.push_back({pad, net, at, tied});
            }
    }
    return out;
}

// Each via that joined a track or a one-sided component pad to a plane of
// its net before a step is there after it, unless another via of the net
// stands in its place or neither a track of the net runs through that place
// nor such a pad lies there any more: a track or pad cut off from its plane
// shows nothing wrong on the screen.
inline void ExpectNoPlaneViaLost(const CBoard* board, const std::vector<PlaneVia>& before,
                                 const std::string& where) {
    auto near = [](float ax, float ay, PointF b) {
        return std::fabs(ax - b.X) < 0.001f && std::fabs(ay - b.Y) < 0.001f;
    };
    for (const PlaneVia& via : before) {
        const CTreeNode* net = via.net;
        if (net->GetParent() != board)
            continue;
        bool stays = false, runs = false;
        for (const CTreeNode* padstack : net->GetChildren())
            for (const CTreeNode* pad : padstack->GetChildren())
                if (pad->GetType() == NodeType::Pad) {
                    const PointF at = static_cast<const CPad*>(pad)->GetBoardPosition();
                    stays = stays || pad == via.pad || near(at.X, at.Y, via.at);
                }
        for (const CTreeNode* c : net->GetChildren()) {
            if (stays || c->GetType() != NodeType::Conductor)
                continue;
            const auto& v = static_cast<const CConductor*>(c)->m_vertices;
            for (size_t i = 0; i < v.size(); ++i) {
                runs = runs || near(v[i].x, v[i].y, via.at);
                if (i == 0)
                    continue;
                // On the segment from vertex i - 1 to vertex i.
                const double dx = v[i].x - v[i - 1].x, dy = v[i].y - v[i - 1].y;
                const double px = via.at.X - v[i - 1].x, py = via.at.Y - v[i - 1].y;
                const double length2 = dx * dx + dy * dy;
                const double t = length2 > 0 ? (px * dx + py * dy) / length2 : -1;
                runs = runs || (t >= 0 && t <= 1 &&
                                std::fabs(px * dy - py * dx) < 0.001 * std::sqrt(length2));
            }
        }
        runs = runs || (!stays && OneSidedComponentPadAt(net, via.at));
        EXPECT_FALSE(runs) << where << ": the via at " << via.at.X << "," << via.at.Y
                           << " joining a track or pad to its net's plane is gone";
    }
}
