// The base of the three trees of the left pane. A tree shows one document
// (the project, the symbol library or the footprint library) as items whose
// data is the node they show, keeps the undo history of the document's
// structural edits, renames nodes by editing their labels, moves them by
// drag and drop, copies and pastes them through one clipboard shared by all
// three trees, saves a subtree to a file and inserts the contents of a file.
//
// What differs between the trees - which nodes get items, their images,
// menus, what opens in an editor, where a drop or a paste may go - each tree
// says through the virtual operations below.
//
// Notifications of the tree control come back from the pane reflected
// (OCM_NOTIFY); the Edit messages (cut, copy, paste, undo, redo and their
// can-undo questions) are answered here while a tree has the focus.
#pragma once

#include "core/undo_list.h"
#include "platform/tree_view_control.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class CLeftPane;
class CRoot;
class CTreeNode;
class ImageList;
struct MenuResource;

class CLeftTabView : public TreeViewControl {
public:
    static constexpr uint32_t kStyle =
        WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS;

    // kind: the DocumentKind shown (0 project, 1 symbols, 2 footprints).
    CLeftTabView(int kind, CLeftPane* pane);
    ~CLeftTabView() override;

    int GetKind() const { return m_kind; }
    void SetRoot(CRoot* root) { m_root = root; }
    CRoot* GetRoot() const { return m_root; }
    CUndoList& GetUndoList() { return m_undoList; }

    // --- The operations every tree provides --------------------------------
    // Builds the tree's images and attaches them.
    virtual void CreateImageList() = 0;
    // Shows the document again from its root, then runs the
    // synchronisation pass: every view whose node is in none of the open
    // documents any more is closed, the views of this tree's kinds get
    // fresh captions. The current node stays selected while it is shown.
    virtual void Rebuild();
    // Removes every item (the document is about to be replaced): nothing
    // is current or dragged any more.
    void Clear();
    // The context menu of the item at a screen point (x = y = -1: of the
    // selected item, as the menu key asks); the chosen command runs at once.
    virtual void ShowContextMenu(int x, int y);
    // Copy (cut false) or Cut: the clipboard gets a copy of the current
    // node; a cut also closes the views inside the node, then takes it out
    // of the document.
    virtual void CopySelected(bool cut);
    // Inserts a copy of the clipboard's node at the current node.
    virtual void Paste() = 0;
    // Runs a command of the context menus on the current node; false for a
    // command the tree does not know.
    virtual bool RunCommand(int id);
    // Keys while the tree has the focus: Enter and Esc end or cancel a label
    // edit, Esc cancels a drag, Enter opens the selected node, Delete
    // deletes it. True when the key was taken.
    bool PreTranslateMessage(Message* msg) override;

    // --- State --------------------------------------------------------------
    // The node the last command or notification was about (the selected
    // item's node), or null.
    CTreeNode* GetCurrentNode() const { return m_current; }
    // Makes node current and selects its item (when it has one).
    void SelectNode(CTreeNode* node);
    HTREEITEM FindItem(const CTreeNode* node) const;
    CTreeNode* GetItemNode(HTREEITEM item) const;
    // Opens the editor view of node (or shows the one open) when node is of
    // a kind this tree opens; the view opener does nothing until a view of
    // that kind exists.
    void OpenNode(CTreeNode* node);
    bool IsDragging() const { return m_dragging; }
    CTreeNode* GetDragSource() const { return m_dragSource; }
    CTreeNode* GetDropTarget() const { return m_dropTarget; }

    // --- The clipboard shared by the three trees --------------------------------
    // Copies owned by the clipboard; none has a parent.
    static const std::vector<CTreeNode*>& Clipboard();
    static void ClearClipboard();

    // True when node lies in the subtree of ancestor (node itself counts).
    static bool IsInSubtree(const CTreeNode* node, const CTreeNode* ancestor);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // --- What each tree decides -----------------------------------------------
    // Whether a child node gets an item under its parent's item.
    virtual bool ShowsNode(const CTreeNode* node) const = 0;
    // Whether the children of a shown node are looked at.
    virtual bool ShowsChildren(const CTreeNode* node) const = 0;
    virtual int ImageOf(const CTreeNode* node) const = 0;
    // The context menu of a node, 0 for none.
    virtual unsigned MenuOf(const CTreeNode* node) const = 0;
    // Whether the node opens in an editor view.
    virtual bool CanOpen(const CTreeNode* node) const = 0;
    // Whether the synchronisation pass refreshes the caption of a view of
    // this node (the node kinds of this document that views edit).
    virtual bool IsViewedKind(const CTreeNode* node) const = 0;
    // The Delete key on node: runs the delete command of its kind.
    virtual void DeleteByKey(CTreeNode* node) = 0;

    // Where a dragged node would go when dropped on the target item.
    struct DropPlan {
        enum Where { Refused, After, Before, FirstChild };
        Where where = Refused;
        CTreeNode* anchor = nullptr; // After/Before: a sibling-to-be; FirstChild: the parent
        bool markAfter = true;       // the insertion mark after (or before) the target item
    };
    // The tree's own rules; the base has already refused the document root
    // as source, and any target inside the source.
    virtual DropPlan PlanDrop(CTreeNode* source, CTreeNode* target, UINT hitFlags) const = 0;
    // What a label edit ending with text does: rename the node, change
    // nothing, or (after telling the user why) edit the label again.
    enum class NameCheck { Take, Ignore, Retry };
    virtual NameCheck CheckName(CTreeNode* node, const std::wstring& text);
    // After a label edit renamed node, within the same action.
    virtual void Renamed(CTreeNode* node) { (void)node; }
    // When a label edit ends for good, whether it renamed or not.
    virtual void LabelEditEnded() {}

    // --- Helpers for the trees' commands -----------------------------------------
    // Opens a new undo group for one user action.
    void BeginAction() { m_undoList.SetStartNewGroup(true); }
    // Records node, just put under its parent, as inserted.
    void RecordInsert(CTreeNode* node);
    // Appends a new node to parent as one action, gives it an item,
    // selects it, starts its label editing and runs the synchronisation
    // pass. Returns the node.
    CTreeNode* AddNewNode(CTreeNode* parent, CTreeNode* node);
    // Closes the view of every node inside node's subtree (node included),
    // then takes node out of the document as one action and rebuilds.
    void DeleteNode(CTreeNode* node);
    // Closes the views of the nodes of node's subtree; changes made in them
    // stay in the document.
    void CloseViewsIn(const CTreeNode* node);
    // The synchronisation pass alone.
    void SynchronizeViews();
    // Refreshes the caption of node's view and of its children's views.
    void RefreshCaptions(CTreeNode* node);
    // Save As File: node as a file of this document's kind; the root is
    // saved whole, any other node as a document that holds only a copy of it.
    void SaveNodeAsFile(CTreeNode* node);
    // Paste From File: asks for a file of this document's kind and reads it.
    // Null after Cancel, a file that cannot be read ("File read error " and
    // the path) or a file of another kind (the message of wrongKindId).
    std::unique_ptr<CRoot> LoadFileForInsertion(unsigned wrongKindId);
    // "Inserting '%s' into '%s' is invalid" with the two nodes' tag names.
    static void ShowInvalidInsertion(const CTreeNode* node, const CTreeNode* target);
    // A fresh copy of the clipboard's last node, or null when it is empty.
    static CTreeNode* CloneClipboard();
    // Paste as one action: a copy of the clipboard's last node goes right
    // after `after` when given, else first or last among target's children;
    // the tree is rebuilt.
    void PasteCopyInto(CTreeNode* target, const CTreeNode* after, bool first);
    static void ErrorBox(const std::wstring& text);

    bool IsRoot(const CTreeNode* node) const;
    bool IsInDocument(const CTreeNode* node) const;
    // True when node lies in one of the three open documents.
    static bool InSomeDocument(const CTreeNode* node);

    CLeftPane* m_pane;
    std::unique_ptr<ImageList> m_images;

private:
    HTREEITEM InsertNode(CTreeNode* node, HTREEITEM parent);
    // Shows the item and those below it expanded as their nodes were.
    void ExpandItem(HTREEITEM item);
    LRESULT OnNotify(NMHDR* hdr);
    void OnEndLabelEdit(const NMTVDISPINFO& info);
    void BeginDrag(HTREEITEM item);
    void UpdateDropTarget(POINT client);
    void EndDrag(POINT client, bool drop);
    void CancelDrag();

    int m_kind;
    CRoot* m_root = nullptr;
    CUndoList m_undoList;
    CTreeNode* m_current = nullptr;
    // The node whose refused name is edited again.
    CTreeNode* m_editAgain = nullptr;
    bool m_rebuilding = false;
    // Drag state.
    bool m_dragging = false;
    CTreeNode* m_dragSource = nullptr;
    CTreeNode* m_dropTarget = nullptr;
    DropPlan m_dropPlan;
};
