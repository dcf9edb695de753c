// The left pane of the main window: one tree per document (project, symbol
// library, footprint library), one of them shown at a time, and a strip of
// three painted tabs at its bottom that switches between them. The tabs are
// ordered by activation (most recently shown first); the shown tab is drawn
// on top of its neighbours and open towards its tree.
//
// The pane passes the notifications of its trees back to them, shows the
// context menu of the shown tree, and offers the keys to the shown tree while
// one of its trees has the focus (the frame's accelerators are not used
// then). Each tree keeps the undo history of its document's structural edits.
#pragma once

#include "platform/logical_font.h"
#include "platform/window.h"
#include "shell/footprint_tree.h"
#include "shell/project_tree.h"
#include "shell/symbol_tree.h"

#include <array>
#include <cstdint>
#include <set>

class CRoot;
class CTreeNode;
class CUndoList;
class GraphicsPath;

class CLeftPane : public PlatformWindow {
public:
    static constexpr int kTabStripHeight = 22;

    CLeftPane();
    ~CLeftPane() override;

    // The roots the three trees show, in DocumentKind order (before Create).
    void SetRoots(CRoot* project, CRoot* symbols, CRoot* footprints);
    // Builds the image lists of the three trees (after Create).
    void CreateImageLists();

    // Shows the tree of a document kind (0 project, 1 symbols, 2 footprints)
    // and moves it to the front of the activation order; the tab already
    // shown changes nothing.
    void SelectTab(int kind);
    // The shown tree's kind.
    int GetCurrentTab() const { return m_order[0]; }
    const std::array<int, 3>& GetActivationOrder() const { return m_order; }
    // The tab under the mouse, -1 for none.
    int GetHotTab() const { return m_hotTab; }

    CLeftTabView* GetTree(int kind) const;
    CProjectTree& GetProjectTree() { return m_projectTree; }
    CSymbolTree& GetSymbolTree() { return m_symbolTree; }
    CFootprintTree& GetFootprintTree() { return m_footprintTree; }
    CUndoList& GetUndoList(int kind);
    // Removes every item of a tree; rebuilds it from its root.
    void ClearTree(int kind);
    void RebuildTree(int kind);
    // Gives a tree the keyboard focus.
    void FocusTree(int kind);
    // True when the focus is in one of the trees (or their label editors).
    bool HasFocus() const;
    // Whether a node's item is shown expanded (by the node's creation
    // sequence, which no other node ever takes).
    bool IsNodeExpanded(const CTreeNode* node) const;
    void SetNodeExpanded(const CTreeNode* node, bool expanded);
    // Called by the frame's message filter while the pane has the focus:
    // the shown tree's keys. A true answer consumes the message.
    bool PreTranslateMessage(Message* msg) override;

    // The tabs' geometry: each caption has a room 20 pixels high and at
    // least 55 wide, as wide as the widest caption needs in the tabs' font
    // (measured when the pane is made); a tab is 40 pixels wider than that
    // room at its top and the next one starts 20 pixels before its end.
    int TabPitch() const { return m_textWidth + 20; }
    int TabWidth() const { return m_textWidth + 40; }
    // The width of the three tabs side by side.
    int StripWidth() const { return 2 * TabPitch() + TabWidth(); }
    // The room of tab i's caption in client coordinates.
    RECT TabTextRect(int tab) const;
    static LogFont TabFont();
    // The outline of tab i for a pane of client height h: the tab widens
    // towards the strip's top edge and has rounded feet.
    void BuildTabPath(GraphicsPath& path, int tab, int h) const;
    // The tab at a client point (the shown one first), -1 for none.
    int TabAt(POINT client) const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnCreate();
    void OnSize();
    void OnMouseMove(POINT p);
    void InvalidateTab(int tab);
    void Paint();
    RECT TreeRect() const;

    CProjectTree m_projectTree;
    CSymbolTree m_symbolTree;
    CFootprintTree m_footprintTree;
    std::array<CLeftTabView*, 3> m_trees;
    std::array<int, 3> m_order{0, 1, 2};
    int m_textWidth = 55;
    int m_hotTab = -1;
    bool m_tracking = false;
    std::set<uint64_t> m_expanded;
};
