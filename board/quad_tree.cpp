#include "board/quad_tree.h"

#include "core/tree_node.h"

#include <algorithm>

template <class Node> void QuadTree<Node>::SetRect(const RectF& rect) {
    m_rect = rect;
    const float w = rect.Width / 2, h = rect.Height / 2;
    m_quadrants[0] = RectF{rect.X, rect.Y, w, h};
    m_quadrants[1] = RectF{rect.X + w, rect.Y, w, h};
    m_quadrants[2] = RectF{rect.X, rect.Y + h, w, h};
    m_quadrants[3] = RectF{rect.X + w, rect.Y + h, w, h};
}

template <class Node> Node* QuadTree<Node>::FindOrCreateNode(const RectF& rect) {
    Node* node = static_cast<Node*>(this);
    if (!Contains(node->m_rect, rect))
        return nullptr;
    for (;;) {
        int q = 0;
        while (q < 4 && !Contains(node->m_quadrants[static_cast<std::size_t>(q)], rect))
            ++q;
        if (q == 4)
            return node;
        Node*& child = node->m_children[static_cast<std::size_t>(q)];
        if (!child)
            child = new Node(node, node->m_quadrants[static_cast<std::size_t>(q)]);
        node = child;
    }
}

template <class Node> Node* QuadTree<Node>::Insert(CTreeNode* item, const RectF& rect) {
    QuadTree<Node>* root = this;
    while (root->m_parent)
        root = root->m_parent;
    Node* node = root->FindOrCreateNode(rect);
    if (!node)
        return nullptr;
    node->Items().push_back(item);
    item->m_pQuadTreeNode = node;
    return node;
}

template <class Node> Node* QuadTree<Node>::Move(CTreeNode* item, const RectF& rect) {
    if (QuadTreeNode* old = item->m_pQuadTreeNode) {
        auto& items = old->Items();
        auto it = std::find(items.begin(), items.end(), item);
        if (it != items.end())
            items.erase(it);
    }
    Node* node = FindOrCreateNode(rect);
    if (node)
        node->Items().push_back(item);
    item->m_pQuadTreeNode = node;
    return node;
}

template class QuadTree<QuadTreeNode>;

QuadTreeNode::QuadTreeNode(QuadTreeNode* parent, const RectF& rect) {
    m_parent = parent;
    SetRect(rect);
}

QuadTreeNode::~QuadTreeNode() {
    ReleaseItems();
}

void QuadTreeNode::ReleaseItems() {
    for (CTreeNode* item : m_items)
        if (item->m_pQuadTreeNode == this)
            item->m_pQuadTreeNode = nullptr;
    m_items.clear();
}

void QuadTreeNode::Clear() {
    ReleaseItems();
    QuadTree<QuadTreeNode>::Clear();
}

void QuadTreeNode::Remove(CTreeNode* item) {
    auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it == m_items.end())
        return;
    m_items.erase(it);
    item->m_pQuadTreeNode = nullptr;
}
