// A region quad tree of item rectangles (board millimetres): an item sits at
// the deepest node whose rectangle holds the item's rectangle, so items that
// cross a quadrant boundary stay high in the tree. Items are tree nodes that
// keep a back-pointer to the quad-tree node holding them.
#pragma once

#include "platform/types.h"

#include <array>
#include <vector>

class CTreeNode;
class QuadTreeNode;

template <class Node> class QuadTree {
public:
    QuadTree() = default;
    QuadTree(const QuadTree&) = delete;
    QuadTree& operator=(const QuadTree&) = delete;
    virtual ~QuadTree() {
        for (Node*& child : m_children) {
            delete child;
            child = nullptr;
        }
    }
    // Drops every node below this one; the rectangle stays.
    virtual void Clear() {
        for (Node*& child : m_children) {
            delete child;
            child = nullptr;
        }
    }

    void SetRect(const RectF& rect);
    const RectF& GetRect() const { return m_rect; }
    Node* GetParent() const { return m_parent; }
    Node* GetChild(int q) const { return m_children[static_cast<std::size_t>(q)]; }

    // The deepest node at or below this one whose rectangle holds rect
    // (children are made on the way); null when this one does not hold it.
    Node* FindOrCreateNode(const RectF& rect);
    // Appends the item at the node found from the root; null (item
    // untouched) when rect lies outside the root.
    Node* Insert(CTreeNode* item, const RectF& rect);
    // Takes the item from its node and puts it at the node found from this
    // one (the caller passes the root); the back-pointer becomes that node,
    // or null when rect lies outside.
    Node* Move(CTreeNode* item, const RectF& rect);

    // Left and top edges inclusive, right and bottom exclusive.
    static bool Contains(const RectF& outer, const RectF& r) {
        return r.X >= outer.X && r.X + r.Width < outer.X + outer.Width && r.Y >= outer.Y &&
               r.Y + r.Height < outer.Y + outer.Height;
    }

protected:
    Node* m_parent = nullptr;
    std::array<Node*, 4> m_children{};
    RectF m_rect;
    std::array<RectF, 4> m_quadrants{};
};

class QuadTreeNode : public QuadTree<QuadTreeNode> {
public:
    QuadTreeNode() = default;
    QuadTreeNode(QuadTreeNode* parent, const RectF& rect);
    ~QuadTreeNode() override;
    void Clear() override;

    // Erases the item and nulls its back-pointer; an item not held here is
    // left alone.
    void Remove(CTreeNode* item);
    const std::vector<CTreeNode*>& GetItems() const { return m_items; }
    std::vector<CTreeNode*>& Items() { return m_items; }

private:
    void ReleaseItems();
    std::vector<CTreeNode*> m_items; // not owned, in insertion order
};
