#include "views/footprint_action_cache.h"

#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_walk.h"
#include "core/node_type.h"
#include "schematic/net.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

FootprintActionCache* g_active = nullptr;

// The grid's cells are a unit square; the tolerances asked about are far
// smaller.
constexpr float kCellSize = 1.0f;

// The cell of a coordinate; far-off and undefined coordinates share the
// outermost cells (the vertices found there are compared exactly anyway).
int32_t CellOf(float v) {
    const float c = std::floor(v / kCellSize);
    if (!(c > -1e9f))
        return -1000000000;
    if (c > 1e9f)
        return 1000000000;
    return static_cast<int32_t>(c);
}

} // namespace

size_t FootprintActionCache::CellHash::operator()(const Cell& c) const {
    const uint64_t xy =
        (static_cast<uint64_t>(static_cast<uint32_t>(c.x)) << 32) | static_cast<uint32_t>(c.y);
    return std::hash<uint64_t>()(xy * 31 + static_cast<uint32_t>(c.layer));
}

FootprintActionCache::FootprintActionCache() : outer_(g_active) {
    g_active = this;
}

FootprintActionCache::~FootprintActionCache() {
    g_active = outer_;
}

FootprintActionCache* FootprintActionCache::Active() {
    return g_active;
}

FootprintActionCache::NetState& FootprintActionCache::StateOf(const CTreeNode* net) {
    NetState& state = nets_[net];
    if (state.children != net->GetChildCount()) {
        state.children = net->GetChildCount();
        state.flagsKnown = false;
        state.flagged.clear();
        state.swept = false;
        state.moved.clear();
        state.gridBuilt = false;
        state.grid.clear();
    }
    return state;
}

std::vector<CConductor*> FootprintActionCache::TiedTo(CNet* net, const CPad* pad) {
    NetState& state = nets_[net];
    if (!state.tiesFound) {
        state.tiesFound = true;
        for (CTreeNode* child : net->GetChildren())
            if (child->GetType() == NodeType::Conductor) {
                auto* conductor = static_cast<CConductor*>(child);
                for (const ConductorVertex& v : conductor->m_vertices)
                    if (const CPad* tied = v.tie.GetPad()) {
                        std::vector<CConductor*>& list = state.tied[tied];
                        if (list.empty() || list.back() != conductor)
                            list.push_back(conductor);
                    }
            }
    }
    std::vector<CConductor*> out;
    auto found = state.tied.find(pad);
    if (found != state.tied.end())
        for (CConductor* conductor : found->second)
            if (conductor->GetParent() == net)
                out.push_back(conductor);
    return out;
}

void FootprintActionCache::ResetUndoFlags(CFootprint* footprint) {
    std::vector<CNet*> nets;
    ForEachPadIn(footprint, [&](CPad* pad) {
        if (CNet* net = pad->GetNet();
            net && std::find(nets.begin(), nets.end(), net) == nets.end())
            nets.push_back(net);
    });
    for (CNet* net : nets) {
        NetState& state = StateOf(net);
        if (state.flagsKnown) {
            for (CConductor* conductor : state.flagged)
                if (conductor->GetParent() == net)
                    conductor->m_dragRecorded = 0;
        } else {
            net->ResetConductorUndoFlags();
        }
        state.flagged.clear();
        state.flagsKnown = true;
    }
}

void FootprintActionCache::NoteMoved(CNet* net, CConductor* conductor) {
    NetState& state = StateOf(net);
    if (state.flagsKnown)
        state.flagged.push_back(conductor);
    if (state.swept)
        state.moved.push_back(conductor);
    if (state.gridBuilt)
        AddToGrid(state.grid, conductor);
}

const std::vector<CConductor*>* FootprintActionCache::MovedSinceSweep(CNet* net) {
    const NetState& state = StateOf(net);
    return state.swept ? &state.moved : nullptr;
}

void FootprintActionCache::Swept(CNet* net, bool changed) {
    NetState& state = StateOf(net);
    state.swept = true;
    state.moved.clear();
    if (changed) {
        // Vias and vertices may have gone with the tracks.
        state.flagsKnown = false;
        state.flagged.clear();
        state.gridBuilt = false;
        state.grid.clear();
    }
}

void FootprintActionCache::AddToGrid(Grid& grid, CConductor* conductor) {
    for (const ConductorVertex& v : conductor->m_vertices) {
        std::vector<CConductor*>& list = grid[Cell{conductor->m_layer, CellOf(v.x), CellOf(v.y)}];
        if (list.empty() || list.back() != conductor)
            list.push_back(conductor);
    }
}

bool FootprintActionCache::OtherConductorAt(const CConductor* conductor, float x, float y,
                                            float tolerance) {
    const CTreeNode* net = conductor->GetParent();
    if (!net)
        return false;
    if (!(tolerance <= kCellSize))
        return conductor->FindOtherConductorAt(x, y, tolerance) != nullptr;
    NetState& state = StateOf(net);
    if (!state.gridBuilt) {
        state.gridBuilt = true;
        for (CTreeNode* child : net->GetChildren())
            if (child->GetType() == NodeType::Conductor)
                AddToGrid(state.grid, static_cast<CConductor*>(child));
    }
    // A cell more on each side than the tolerance reaches, against rounding.
    const int32_t left = CellOf(x - tolerance) - 1, right = CellOf(x + tolerance) + 1;
    const int32_t bottom = CellOf(y - tolerance) - 1, top = CellOf(y + tolerance) + 1;
    for (int32_t cx = left; cx <= right; ++cx)
        for (int32_t cy = bottom; cy <= top; ++cy) {
            auto found = state.grid.find(Cell{conductor->m_layer, cx, cy});
            if (found == state.grid.end())
                continue;
            for (const CConductor* other : found->second)
                if (other != conductor && other->GetParent() == net &&
                    other->m_layer == conductor->m_layer &&
                    other->HasSharpVertexNear(x, y, tolerance))
                    return true;
        }
    return false;
}
