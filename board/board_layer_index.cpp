#include "board/board_layer_index.h"

#include "board/board.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "schematic/package.h"

namespace {
bool IsLayer(int layer) {
    return layer >= 0 && layer < 32;
}
} // namespace

void CBoardLayerIndex::Clear() {
    for (NodeSet& s : m_sets)
        s.clear();
}

void CBoardLayerIndex::Build(CTreeNode* board) {
    if (!board)
        return;
    for (CTreeNode* child : board->GetChildren()) {
        switch (child->GetType()) {
        case NodeType::Package:
            if (CFootprint* footprint = static_cast<CPackage*>(child)->GetFootprint())
                AddFootprint(footprint);
            break;
        case NodeType::Net:
            AddToSet(child, kTopSet);
            for (CTreeNode* c : child->GetChildren()) {
                if (c->GetType() == NodeType::Conductor)
                    Add(c);
                else if (c->GetType() == NodeType::Padstack)
                    AddPadstack(static_cast<CPadstack*>(c));
            }
            break;
        case NodeType::Area:
        case NodeType::Text:
            Add(child);
            break;
        case NodeType::Mounting:
            // Free footprints are indexed as those of packages, markings
            // included, so their silkscreen is drawn like everything else.
            for (CTreeNode* c : child->GetChildren())
                if (c->GetType() == NodeType::Footprint)
                    AddFootprint(static_cast<CFootprint*>(c));
            break;
        default:
            break;
        }
    }
}

void CBoardLayerIndex::AddFootprint(CFootprint* footprint) {
    if (!footprint)
        return;
    CTreeNode* parent = footprint->GetParent();
    if (parent && parent->GetType() == NodeType::Package)
        for (CTreeNode* c : parent->GetChildren())
            if (c->GetType() == NodeType::Text)
                Add(c);
    for (CTreeNode* c : footprint->GetChildren()) {
        if (c->GetType() == NodeType::Padstack)
            AddPadstack(static_cast<CPadstack*>(c));
        else if (c->GetType() == NodeType::Marking)
            Add(c);
    }
}

void CBoardLayerIndex::RemoveFootprint(CFootprint* footprint) {
    if (!footprint)
        return;
    CTreeNode* parent = footprint->GetParent();
    if (parent && parent->GetType() == NodeType::Package)
        for (CTreeNode* c : parent->GetChildren())
            if (c->GetType() == NodeType::Text)
                Remove(c);
    for (CTreeNode* c : footprint->GetChildren()) {
        if (c->GetType() == NodeType::Padstack)
            RemovePadstack(static_cast<CPadstack*>(c));
        else if (c->GetType() == NodeType::Marking)
            Remove(c);
    }
}

template <class F>
void CBoardLayerIndex::ForPadLayerSets(CPadstack* padstack, CTreeNode* padLayer, F f) {
    const int layer = static_cast<CPadLayer*>(padLayer)->m_layer;
    if (layer != kPadLayerInner && layer != kPadLayerPlane) {
        if (IsLayer(layer))
            f(layer);
        return;
    }
    CTreeNode* board = padstack->GetType() == NodeType::Board ? padstack : FindBoardAbove(padstack);
    if (!board)
        return;
    for (int id = 2; id <= 21; ++id) {
        const CLayer* stackup = static_cast<CBoard*>(board)->FindLayer(id);
        if (!stackup)
            continue;
        const int type = stackup->m_layerType;
        if (layer == kPadLayerInner ? (type == kLayerTypeRouting || type == kLayerTypeJumper)
                                    : type == kLayerTypePlane)
            f(id);
    }
}

void CBoardLayerIndex::AddPadstack(CPadstack* padstack) {
    if (!padstack)
        return;
    AddToSet(padstack, kTopSet);
    for (CTreeNode* c : padstack->GetChildren()) {
        if (c->GetType() == NodeType::PadLayer)
            ForPadLayerSets(padstack, c, [&](int set) { AddToSet(c, set); });
        else if (c->GetType() == NodeType::Marking)
            Add(c);
    }
}

void CBoardLayerIndex::RemovePadstack(CPadstack* padstack) {
    if (!padstack)
        return;
    RemoveFromSet(padstack, kTopSet);
    for (CTreeNode* c : padstack->GetChildren()) {
        if (c->GetType() == NodeType::PadLayer)
            ForPadLayerSets(padstack, c, [&](int set) { RemoveFromSet(c, set); });
        else if (c->GetType() == NodeType::Marking)
            Remove(c);
    }
}

void CBoardLayerIndex::AddPadLayer(CTreeNode* padLayer) {
    CTreeNode* parent = padLayer ? padLayer->GetParent() : nullptr;
    if (parent && parent->GetType() == NodeType::Padstack)
        ForPadLayerSets(static_cast<CPadstack*>(parent), padLayer,
                        [&](int set) { AddToSet(padLayer, set); });
}

void CBoardLayerIndex::RemovePadLayer(CTreeNode* padLayer) {
    CTreeNode* parent = padLayer ? padLayer->GetParent() : nullptr;
    if (parent && parent->GetType() == NodeType::Padstack)
        ForPadLayerSets(static_cast<CPadstack*>(parent), padLayer,
                        [&](int set) { RemoveFromSet(padLayer, set); });
}

void CBoardLayerIndex::MoveToLayer(CTreeNode* node, int to) {
    if (!node)
        return;
    const int from = node->GetLayer();
    bool held = false;
    if (IsLayer(from)) {
        held = Contains(node, from);
    } else {
        // Drawn on no layer so far: it comes in wherever a fresh index
        // would have it, which a package's text is not without a footprint.
        CTreeNode* parent = node->GetParent();
        held = !(parent && parent->GetType() == NodeType::Package &&
                 !static_cast<CPackage*>(parent)->GetFootprint());
    }
    if (!held)
        return;
    Remove(node);
    if (IsLayer(to))
        AddToSet(node, to);
}

void CBoardLayerIndex::Add(CTreeNode* node) {
    if (node && IsLayer(node->GetLayer()))
        AddToSet(node, node->GetLayer());
}

void CBoardLayerIndex::AddToSet(CTreeNode* node, int set) {
    if (node && set >= 0 && set < kSetCount)
        m_sets[static_cast<std::size_t>(set)].insert(node);
}

void CBoardLayerIndex::Remove(CTreeNode* node) {
    if (node && IsLayer(node->GetLayer()))
        RemoveFromSet(node, node->GetLayer());
}

void CBoardLayerIndex::RemoveFromSet(CTreeNode* node, int set) {
    if (node && set >= 0 && set < kSetCount)
        m_sets[static_cast<std::size_t>(set)].erase(node);
}

bool CBoardLayerIndex::Contains(const CTreeNode* node, int set) const {
    return set >= 0 && set < kSetCount &&
           m_sets[static_cast<std::size_t>(set)].count(const_cast<CTreeNode*>(node)) != 0;
}

std::size_t CBoardLayerIndex::CountSetsHolding(const CTreeNode* node) const {
    std::size_t n = 0;
    for (int i = 0; i < kSetCount; ++i)
        n += Contains(node, i);
    return n;
}
