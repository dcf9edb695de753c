// An ordered tree whose nodes own their children. The node class T derives
// from Tree<T> and supplies the deep copy.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

template <class T> class Tree {
public:
    Tree() = default;
    Tree(const Tree&) = delete; // the node class copies its children itself
    Tree& operator=(const Tree&) = delete;

    // Destroys the children, in order, through their own destructors.
    virtual ~Tree() {
        for (T* child : m_children)
            delete child;
    }

    // A new deep copy of the node, of the node's own class, owned by the caller.
    virtual T* Clone() const = 0;

    T* GetParent() const { return m_parent; }
    const std::vector<T*>& GetChildren() const { return m_children; }
    std::size_t GetChildCount() const { return m_children.size(); }
    T* GetChild(std::size_t index) const { return m_children[index]; }

    // Appends the child and makes this node its parent; returns the child.
    T* AddChild(T* child) {
        child->m_parent = static_cast<T*>(this);
        m_children.push_back(child);
        ChildrenChanged(child);
        return child;
    }

    // Makes room for count more children (a reader that knows how many
    // follow).
    void ReserveChildren(std::size_t count) { m_children.reserve(m_children.size() + count); }

    // Inserts the child before the one at index (at the end when index equals
    // the child count) and makes this node its parent; returns the child.
    T* InsertChildAt(std::size_t index, T* child) {
        if (index > m_children.size())
            index = m_children.size();
        child->m_parent = static_cast<T*>(this);
        m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), child);
        ChildrenChanged(child);
        return child;
    }

    // Takes this node out of its parent's children without deleting it; the
    // node keeps its own subtree.
    void RemoveFromParent() {
        if (!m_parent)
            return;
        auto& siblings = m_parent->m_children;
        auto it = std::find(siblings.begin(), siblings.end(), static_cast<T*>(this));
        if (it != siblings.end())
            siblings.erase(it);
        static_cast<Tree*>(m_parent)->ChildrenChanged(static_cast<T*>(this));
        m_parent = nullptr;
        if (s_detached)
            s_detached(static_cast<T*>(this));
    }

    // Called with every node taken out of its parent (RemoveFromParent,
    // ReleaseChildren) while set: a watcher of what leaves a tree.
    static inline void (*s_detached)(T* node) = nullptr;

    // Position of this node among its parent's children, -1 when it has none.
    int GetIndexInParent() const {
        if (!m_parent)
            return -1;
        const auto& siblings = m_parent->m_children;
        auto it = std::find(siblings.begin(), siblings.end(), static_cast<const T*>(this));
        return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
    }

    // Gives up ownership of every child without deleting them (their parent
    // is cleared). Used by code that lends a node to a temporary root.
    std::vector<T*> ReleaseChildren() {
        std::vector<T*> out;
        out.swap(m_children);
        for (T* child : out)
            child->m_parent = nullptr;
        ChildrenChanged(nullptr);
        if (s_detached)
            for (T* child : out)
                s_detached(child);
        return out;
    }

    // Lists the child last among the children without making this node its
    // parent or owner: a temporary root that writes a node owned elsewhere.
    // The root gives it back with ForgetLentChildren before it is destroyed.
    void LendChild(T* child) {
        m_children.push_back(child);
        ChildrenChanged(child);
    }
    void ForgetLentChildren() {
        m_children.clear();
        ChildrenChanged(nullptr);
    }

protected:
    // Called after a child joined or left the children (null: after several
    // did), for a node class that keeps something it derives from them. The
    // children a base copy constructor adds reach only the base's version,
    // so such a class starts a copy with nothing derived.
    virtual void ChildrenChanged(T* /*child*/) {}

    T* m_parent = nullptr;
    std::vector<T*> m_children;
};
