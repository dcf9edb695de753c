#include "board/node_references.h"

#include "board/area.h"
#include "board/board.h"
#include "board/layer.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/tree_node.h"
#include "schematic/net.h"
#include "schematic/pin.h"

void ForEachReferent(const CTreeNode* node, const std::function<void(const CTreeNode*)>& visit) {
    if (const CTreeNode* parent = node->GetParent())
        visit(parent);
    const int type = node->GetType();
    if (type == NodeType::Pin) {
        if (const CNet* net = static_cast<const CPin*>(node)->m_pNet)
            visit(net);
        return;
    }
    const CTreeNode* above = FindBoardAbove(node);
    if (!above)
        return;
    const auto* board = static_cast<const CBoard*>(above);
    if (type != NodeType::Layer && node->GetLayer() >= 0)
        if (const CLayer* layer = board->FindLayer(node->GetLayer()))
            visit(layer);
    const std::wstring* net = nullptr;
    if (type == NodeType::Area)
        net = &static_cast<const CArea*>(node)->m_net;
    else if (type == NodeType::Layer &&
             static_cast<const CLayer*>(node)->m_layerType == kLayerTypePlane)
        net = &static_cast<const CLayer*>(node)->m_net;
    if (net && !net->empty())
        if (const CNet* found = board->FindNet(*net))
            visit(found);
}
