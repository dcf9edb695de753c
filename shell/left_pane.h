// The left pane of the main window: one tree per document (project, symbol
// library, footprint library), one of them shown at a time. Each tree owns
// the undo history of its document's structural edits and answers the Edit
// messages (undo, redo, can-undo, can-redo) itself while it has the focus.
//
// This is the frame's side of the pane: the tabs, the per-document undo
// lists, focus, rebuilding and the document roots it shows. Until the trees
// proper exist, a tree window draws its document as an indented outline of
// node names.
#pragma once

#include "core/undo_list.h"
#include "platform/window.h"

#include <array>
#include <cstdint>
#include <memory>
#include <set>

class CRoot;
class CTreeNode;

// The window of one document's tree inside the pane.
class CLeftPaneTree : public PlatformWindow {
public:
    explicit CLeftPaneTree(int kind) : m_kind(kind) {}
    ~CLeftPaneTree() override;

    int GetKind() const { return m_kind; }
    void SetRoot(CRoot* root) { m_root = root; }
    CRoot* GetRoot() const { return m_root; }
    CUndoList& GetUndoList() { return m_undoList; }
    // Shows the document again from its root.
    virtual void Rebuild();
    // Empties the tree's items (the document itself is untouched).
    virtual void Clear();
    // The rows of the outline as drawn: the nodes in order, with depth.
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    const CTreeNode* GetRowNode(int row) const;
    int GetRowDepth(int row) const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct Row {
        const CTreeNode* node;
        int depth;
    };
    void AddRows(const CTreeNode* node, int depth);
    void Paint();

    int m_kind;
    CRoot* m_root = nullptr;
    CUndoList m_undoList;
    std::vector<Row> m_rows;
};

class CLeftPane : public PlatformWindow {
public:
    static constexpr int kTabStripHeight = 22;

    CLeftPane();
    ~CLeftPane() override;

    // The roots the three trees show, in DocumentKind order (before Create).
    void SetRoots(CRoot* project, CRoot* symbols, CRoot* footprints);

    // Shows the tree of a document kind (0 project, 1 symbols, 2 footprints)
    // and moves it to the front of the activation order.
    void SelectTab(int kind);
    // The shown tree's kind.
    int GetCurrentTab() const { return m_order[0]; }
    const std::array<int, 3>& GetActivationOrder() const { return m_order; }

    CLeftPaneTree* GetTree(int kind) const;
    CUndoList& GetUndoList(int kind);
    // Removes every item of a tree; rebuilds it from its root.
    void ClearTree(int kind);
    void RebuildTree(int kind);
    // Gives a tree the keyboard focus.
    void FocusTree(int kind);
    // True when the focus is in one of the trees (or the pane itself).
    bool HasFocus() const;
    // Whether a node's item is shown expanded (by the node's creation
    // sequence, which no other node ever takes).
    bool IsNodeExpanded(const CTreeNode* node) const;
    void SetNodeExpanded(const CTreeNode* node, bool expanded);
    // Called by the frame's message filter while the pane has the focus; a
    // true answer consumes the message.
    bool PreTranslateMessage(Message* msg) override;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnCreate();
    void OnSize();
    void Paint();
    RECT TreeRect() const;
    int TabAt(POINT p) const;

    std::array<std::unique_ptr<CLeftPaneTree>, 3> m_trees;
    std::array<CRoot*, 3> m_roots{};
    std::array<int, 3> m_order{0, 1, 2};
    int m_hotTab = -1;
    std::set<uint64_t> m_expanded;
};
