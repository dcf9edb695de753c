#include "shell/left_tab_view.h"

#include "board/area_node.h"
#include "core/root.h"
#include "core/tree_node.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "platform/bitmap.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_trees.h"
#include "shell/left_pane.h"
#include "shell/main_frame.h"

#include <algorithm>

namespace {
constexpr unsigned kCaptionId = 128;       // "Vorpel"
constexpr unsigned kInvalidInsertId = 382; // "Inserting '%s' into '%s' is invalid"
constexpr unsigned kReadErrorId = 300;     // "File read error "
constexpr unsigned kSaveErrorId = 301;     // "File save error "
// Posted to restart a refused label edit once the ended one is gone.
constexpr UINT kRestartEditMessage = WM_USER + 0x7E8;

// The files of the three documents, by DocumentKind.
struct FileKind {
    const wchar_t* filter;
    const wchar_t* pattern;
    const wchar_t* rootTag;
};
const FileKind kFileKinds[3] = {
    {L"Schematic Files (*.circuit)", L"*.circuit", L"Project"},
    {L"Symbol Libraries (*.symbol)", L"*.symbol", L"SymbolLib"},
    {L"Footprint Libraries (*.footprint)", L"*.footprint", L"FootprintLib"},
};

FileDialogRequest FileRequest(int kind) {
    FileDialogRequest request;
    request.owner = GetActiveWindow();
    request.filters = {{kFileKinds[kind].filter, kFileKinds[kind].pattern},
                       {L"All Files (*.*)", L"*.*"}};
    request.filterIndex = 1;
    request.initialDir = g_MainFrame.GetDefaultFolder(kind);
    return request;
}

// The clipboard's copies: deleted when replaced and when the program ends.
struct TreeClipboard {
    std::vector<CTreeNode*> nodes;
    ~TreeClipboard() { Clear(); }
    void Clear() {
        for (CTreeNode* node : nodes)
            delete node;
        nodes.clear();
    }
};
TreeClipboard& TheClipboard() {
    static TreeClipboard clipboard;
    return clipboard;
}
} // namespace

CLeftTabView::CLeftTabView(int kind, CLeftPane* pane) : m_pane(pane), m_kind(kind) {}

CLeftTabView::~CLeftTabView() {
    DestroyWindow();
}

// --- The clipboard ----------------------------------------------------------------

const std::vector<CTreeNode*>& CLeftTabView::Clipboard() {
    return TheClipboard().nodes;
}

void CLeftTabView::ClearClipboard() {
    TheClipboard().Clear();
}

CTreeNode* CLeftTabView::CloneClipboard() {
    const auto& nodes = TheClipboard().nodes;
    if (nodes.empty())
        return nullptr;
    // A copy is shown in no view, has no parent and nothing selected.
    CTreeNode* copy = nodes.back()->Clone();
    DeselectSubtree(copy);
    return copy;
}

void CLeftTabView::PasteCopyInto(CTreeNode* target, const CTreeNode* after, bool first) {
    CTreeNode* copy = CloneClipboard();
    if (!copy)
        return;
    if (after)
        target->InsertChildAt(static_cast<std::size_t>(after->GetIndexInParent() + 1), copy);
    else if (first)
        target->InsertChildAt(0, copy);
    else
        target->AddChild(copy);
    BeginAction();
    RecordInsert(copy);
    Rebuild();
}

// --- Nodes and items --------------------------------------------------------------------

bool CLeftTabView::IsInSubtree(const CTreeNode* node, const CTreeNode* ancestor) {
    for (const CTreeNode* n = node; n; n = n->GetParent())
        if (n == ancestor)
            return true;
    return false;
}

bool CLeftTabView::IsRoot(const CTreeNode* node) const {
    return node && node == static_cast<const CTreeNode*>(m_root);
}

bool CLeftTabView::IsInDocument(const CTreeNode* node) const {
    return m_root && IsInSubtree(node, m_root);
}

bool CLeftTabView::InSomeDocument(const CTreeNode* node) {
    for (int kind = 0; kind < 3; ++kind)
        if (IsInSubtree(node, &g_MainFrame.GetRoot(kind)))
            return true;
    return false;
}

CTreeNode* CLeftTabView::GetItemNode(HTREEITEM item) const {
    return IsItem(item) ? LParamToPtr<CTreeNode>(GetItemData(item)) : nullptr;
}

HTREEITEM CLeftTabView::FindItem(const CTreeNode* node) const {
    if (!node)
        return nullptr;
    std::vector<HTREEITEM> stack;
    for (HTREEITEM i = GetRootItem(); i; i = GetNextSiblingItem(i))
        stack.push_back(i);
    while (!stack.empty()) {
        HTREEITEM item = stack.back();
        stack.pop_back();
        if (GetItemNode(item) == node)
            return item;
        for (HTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c))
            stack.push_back(c);
    }
    return nullptr;
}

void CLeftTabView::SelectNode(CTreeNode* node) {
    m_current = node;
    if (HTREEITEM item = FindItem(node))
        SelectItem(item);
}

HTREEITEM CLeftTabView::InsertNode(CTreeNode* node, HTREEITEM parent) {
    const int image = ImageOf(node);
    HTREEITEM item = InsertItem(node->GetText(), image, image, parent, TVI_LAST, PtrToLParam(node));
    if (!item || !ShowsChildren(node))
        return item;
    for (CTreeNode* child : node->GetChildren())
        if (ShowsNode(child))
            InsertNode(child, item);
    return item;
}

void CLeftTabView::ExpandItem(HTREEITEM item) {
    if (m_pane && m_pane->IsNodeExpanded(GetItemNode(item)) && ItemHasChildren(item))
        SetItemState(item, TVIS_EXPANDED, TVIS_EXPANDED);
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        ExpandItem(child);
}

void CLeftTabView::Rebuild() {
    // A drag in progress may refer to nodes that have just left.
    if (m_dragging)
        CancelDrag();
    CTreeNode* keep = m_current;
    m_current = nullptr;
    m_rebuilding = true;
    if (GetEditControl())
        EndEditLabelNow(true);
    DeleteAllItems();
    if (m_root) {
        if (HTREEITEM item = InsertNode(m_root, TVI_ROOT))
            ExpandItem(item);
    }
    m_rebuilding = false;
    // The node last worked on stays current when it is still shown; its
    // pointer is only compared, since it may be gone.
    if (keep)
        if (HTREEITEM item = FindItem(keep))
            SelectNode(GetItemNode(item));
    SynchronizeViews();
    if (IsWindow())
        Invalidate(true);
}

void CLeftTabView::Clear() {
    if (m_dragging)
        CancelDrag();
    if (GetEditControl())
        EndEditLabelNow(true);
    m_current = nullptr;
    m_editAgain = nullptr;
    DeleteAllItems();
}

// --- Views ------------------------------------------------------------------------------

void CLeftTabView::OpenNode(CTreeNode* node) {
    if (node && CanOpen(node) && IsInDocument(node))
        g_MainFrame.OpenNodeView(node);
}

void CLeftTabView::SynchronizeViews() {
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    for (int i = tabs.GetTabCount() - 1; i >= 0; --i) {
        CVorpelView* view = tabs.GetView(i);
        CTreeNode* node = view ? view->GetDocument() : nullptr;
        if (!node)
            continue;
        if (IsInDocument(node)) {
            if (view->GetDocumentKind() == m_kind && IsViewedKind(node))
                view->SetWindowText(CMainFrame::ViewCaption(node));
            continue;
        }
        // Views of the other documents stay; any other view whose node has
        // left the document (undone, cut or deleted) closes, whatever its
        // node's kind, before it can draw or edit a node the history may
        // free. What the view changed went with the node.
        if (InSomeDocument(node))
            continue;
        if (!view->GetUndoList().IsAtSavedState())
            g_MainFrame.NoteChangesLeftInDocument(m_kind);
        tabs.CloseTab(i, false);
    }
    if (tabs.IsWindow())
        tabs.Invalidate(false);
}

void CLeftTabView::CloseViewsIn(const CTreeNode* node) {
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    for (int i = tabs.GetTabCount() - 1; i >= 0; --i) {
        CVorpelView* view = tabs.GetView(i);
        if (!view || !IsInSubtree(view->GetDocument(), node))
            continue;
        if (!view->GetUndoList().IsAtSavedState())
            g_MainFrame.NoteChangesLeftInDocument(m_kind);
        tabs.CloseTab(i, false);
    }
}

void CLeftTabView::RefreshCaptions(CTreeNode* node) {
    auto refresh = [](CTreeNode* n) {
        if (CVorpelView* view = g_MainFrame.FindViewByDocument(n))
            view->SetWindowText(CMainFrame::ViewCaption(n));
    };
    refresh(node);
    for (CTreeNode* child : node->GetChildren())
        refresh(child);
    if (g_MainFrame.m_tabWindow.IsWindow())
        g_MainFrame.m_tabWindow.Invalidate(false);
}

// --- Edits -------------------------------------------------------------------------------

void CLeftTabView::RecordInsert(CTreeNode* node) {
    m_undoList.AddUndo(new CUndoInsert(node, nullptr));
}

CTreeNode* CLeftTabView::AddNewNode(CTreeNode* parent, CTreeNode* node) {
    BeginAction();
    parent->AddChild(node);
    RecordInsert(node);
    HTREEITEM parentItem = FindItem(parent);
    HTREEITEM item = parentItem ? InsertNode(node, parentItem) : nullptr;
    if (item) {
        ExpandItem(item);
        m_current = node;
        SelectItem(item);
        EditLabel(item);
    }
    SynchronizeViews();
    return node;
}

void CLeftTabView::DeleteNode(CTreeNode* node) {
    if (!node || !node->GetParent() || !IsInDocument(node))
        return;
    CloseViewsIn(node);
    BeginAction();
    // Recorded once the node has left: the other histories see it gone.
    auto* record = new CUndoDelete(node, nullptr);
    node->RemoveFromParent();
    m_undoList.AddUndo(record);
    if (m_current == node)
        m_current = nullptr;
    Rebuild();
}

void CLeftTabView::CopySelected(bool cut) {
    CTreeNode* node = m_current ? m_current : GetItemNode(GetSelectedItem());
    if (!node || !IsInDocument(node))
        return;
    // The document itself cannot leave its root.
    if (cut && IsRoot(node))
        return;
    // The copy is the document as it stands without work under way: a
    // floating copy or a wire being drawn is no part of it.
    g_MainFrame.DropWorkInDocument(m_kind);
    if (!IsInDocument(node))
        return;
    TreeClipboard& clipboard = TheClipboard();
    clipboard.Clear();
    // What an editor had selected in the node stays behind in that editor.
    clipboard.nodes.push_back(node->Clone());
    DeselectSubtree(clipboard.nodes.back());
    if (!cut)
        return;
    // As for a delete, the views inside close first: their work under way
    // is dropped while its node is still in the document.
    CloseViewsIn(node);
    BeginAction();
    auto* record = new CUndoDelete(node, nullptr);
    node->RemoveFromParent();
    m_undoList.AddUndo(record);
    m_current = nullptr;
    Rebuild();
}

CLeftTabView::NameCheck CLeftTabView::CheckName(CTreeNode*, const std::wstring&) {
    return NameCheck::Take;
}

void CLeftTabView::OnEndLabelEdit(const NMTVDISPINFO& info) {
    CTreeNode* node = GetItemNode(info.item.hItem);
    if (!node || !info.item.pszText) {
        LabelEditEnded(); // cancelled
        return;
    }
    const std::wstring text = info.item.pszText;
    const NameCheck check = CheckName(node, text);
    if (check == NameCheck::Retry) {
        m_current = node;
        m_editAgain = node;
        PostMessage(kRestartEditMessage);
        return;
    }
    if (check == NameCheck::Ignore || text == node->GetText()) {
        LabelEditEnded();
        return;
    }
    BeginAction();
    m_undoList.AddUndo(new CUndoChangeNodeAttribute(node, nullptr));
    node->SetText(text);
    Renamed(node);
    SetItemText(info.item.hItem, text);
    RefreshCaptions(node);
    LabelEditEnded();
}

// --- Files -------------------------------------------------------------------------------

void CLeftTabView::ErrorBox(const std::wstring& text) {
    ShowMessageBox(text, LoadStringText(kCaptionId), MB_OK | MB_ICONERROR);
}

void CLeftTabView::ShowInvalidInsertion(const CTreeNode* node, const CTreeNode* target) {
    ErrorBox(StrPrintf(LoadStringText(kInvalidInsertId).c_str(), node->GetTagName(),
                       target->GetTagName()));
}

void CLeftTabView::SaveNodeAsFile(CTreeNode* node) {
    if (!node || !m_root)
        return;
    FileDialogRequest request = FileRequest(m_kind);
    request.fileName = node->GetText();
    request.overwritePrompt = true;
    if (!GetSaveFileName(&request))
        return;
    g_MainFrame.DropWorkInDocument(m_kind);
    if (!IsInDocument(node))
        return;
    bool saved = false;
    if (IsRoot(node)) {
        // A copy of the document: the document keeps its own file.
        const std::wstring path = m_root->GetFilePath();
        CXmlFile file(m_root);
        saved = file.Save(request.fileName.c_str());
        m_root->SetFilePath(path);
    } else {
        // The node itself, as it stands: a copy would be a different thing
        // (a footprint copy waits to be placed, a sheet copy has no objects).
        struct Holder : CRoot {
            ~Holder() override { ForgetLentChildren(); }
        } holder;
        holder.SetRootTag(kFileKinds[m_kind].rootTag);
        holder.LendChild(node);
        CXmlFile file(&holder);
        saved = file.Save(request.fileName.c_str());
    }
    if (!saved)
        ErrorBox(LoadStringText(kSaveErrorId));
}

std::unique_ptr<CRoot> CLeftTabView::LoadFileForInsertion(unsigned wrongKindId) {
    FileDialogRequest request = FileRequest(m_kind);
    if (!GetOpenFileName(&request))
        return nullptr;
    auto loaded = std::make_unique<CRoot>();
    // Any document is read, so that one of another kind can be told apart
    // from one that cannot be read.
    CXmlFile file(loaded.get());
    if (!file.Load(request.fileName.c_str())) {
        ErrorBox(LoadStringText(kReadErrorId) + L"\n" + request.fileName);
        return nullptr;
    }
    if (loaded->GetRootTag() != kFileKinds[m_kind].rootTag) {
        ErrorBox(LoadStringText(wrongKindId));
        return nullptr;
    }
    return loaded;
}

// --- Commands and menus ------------------------------------------------------------------

bool CLeftTabView::RunCommand(int id) {
    switch (id) {
    case ID_EDIT_CUT:
        CopySelected(true);
        return true;
    case ID_EDIT_COPY:
        CopySelected(false);
        return true;
    case ID_EDIT_PASTE:
        Paste();
        return true;
    case ID_TREE_SAVE_AS_FILE:
        SaveNodeAsFile(m_current);
        return true;
    case ID_TREE_RENAME:
        if (HTREEITEM item = FindItem(m_current))
            EditLabel(item);
        return true;
    default:
        return false;
    }
}

void CLeftTabView::ShowContextMenu(int x, int y) {
    HTREEITEM item = nullptr;
    POINT at{x, y};
    if (x == -1 && y == -1) {
        item = GetSelectedItem();
        RECT r;
        if (!item || !GetItemRect(item, &r, true))
            return;
        at = ClientToScreen(POINT{r.left, r.bottom});
    } else {
        item = HitTest(ScreenToClient(at));
        if (item)
            SelectItem(item);
    }
    CTreeNode* node = GetItemNode(item);
    if (!node)
        return;
    m_current = node;
    const MenuResource* resource = FindTreeMenu(MenuOf(node));
    if (!resource)
        return;
    std::shared_ptr<PopupMenu> menu = BuildPopupMenu(resource->items);
    auto life = LifeToken();
    const int command = TrackPopupMenu(*menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                       ClampXToWorkArea(at.x, at.y), at.y, this);
    if (*life && command)
        RunCommand(command);
}

// --- Drag and drop -----------------------------------------------------------------------

void CLeftTabView::BeginDrag(HTREEITEM item) {
    CTreeNode* node = GetItemNode(item);
    if (!node || IsRoot(node))
        return;
    m_current = node;
    SelectItem(item);
    SetFocus();
    m_dragSource = node;
    m_dropTarget = nullptr;
    m_dropPlan = DropPlan{};
    m_dragging = true;
    SetCapture();
}

void CLeftTabView::UpdateDropTarget(POINT client) {
    UINT flags = 0;
    HTREEITEM item = HitTest(client, &flags);
    CTreeNode* target = GetItemNode(item);
    DropPlan plan;
    if (target && (flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT)) && !IsInSubtree(target, m_dragSource))
        plan = PlanDrop(m_dragSource, target, flags);
    if (plan.where == DropPlan::Refused) {
        SetInsertMark(nullptr, true);
        m_dropTarget = nullptr;
        m_dropPlan = DropPlan{};
        return;
    }
    SetInsertMark(item, plan.markAfter);
    m_dropTarget = target;
    m_dropPlan = plan;
}

void CLeftTabView::CancelDrag() {
    m_dragging = false;
    m_dragSource = nullptr;
    m_dropTarget = nullptr;
    m_dropPlan = DropPlan{};
    SetInsertMark(nullptr, true);
    if (GetCapture() == this)
        ReleaseCapture();
}

void CLeftTabView::EndDrag(POINT client, bool drop) {
    if (drop)
        UpdateDropTarget(client);
    CTreeNode* source = m_dragSource;
    const DropPlan plan = m_dropPlan;
    CancelDrag();
    if (!drop || plan.where == DropPlan::Refused || !source || !plan.anchor)
        return;
    CTreeNode* parent = plan.where == DropPlan::FirstChild ? plan.anchor : plan.anchor->GetParent();
    if (!parent)
        return;
    BeginAction();
    m_undoList.AddUndo(new CUndoMove(source));
    source->RemoveFromParent();
    std::size_t index = 0;
    if (plan.where != DropPlan::FirstChild) {
        const int at = plan.anchor->GetIndexInParent();
        index = static_cast<std::size_t>(std::max(0, at)) + (plan.where == DropPlan::After ? 1 : 0);
    }
    parent->InsertChildAt(index, source);
    m_current = source;
    Rebuild();
}

// --- Messages ----------------------------------------------------------------------------

LRESULT CLeftTabView::OnNotify(NMHDR* hdr) {
    switch (hdr->code) {
    case TVN_SELCHANGED: {
        auto* nm = reinterpret_cast<NMTREEVIEW*>(hdr);
        if (!m_rebuilding)
            m_current = GetItemNode(nm->itemNew.hItem);
        return 0;
    }
    case TVN_ITEMEXPANDING: {
        auto* nm = reinterpret_cast<NMTREEVIEW*>(hdr);
        if (!m_rebuilding && m_pane)
            m_pane->SetNodeExpanded(GetItemNode(nm->itemNew.hItem), nm->action == TVE_EXPAND);
        return 0;
    }
    case TVN_BEGINLABELEDIT:
        return 0;
    case TVN_ENDLABELEDIT:
        OnEndLabelEdit(*reinterpret_cast<NMTVDISPINFO*>(hdr));
        return 0; // the item's text is set by the rename itself
    case TVN_BEGINDRAG:
        BeginDrag(reinterpret_cast<NMTREEVIEW*>(hdr)->itemNew.hItem);
        return 0;
    case NM_DBLCLK: {
        auto* nm = reinterpret_cast<NMTVMOUSE*>(hdr);
        CTreeNode* node = GetItemNode(nm->hItem);
        if (!node || !(nm->hitFlags & TVHT_ONITEM))
            return 0;
        m_current = node;
        if (!CanOpen(node))
            return 0;
        OpenNode(node);
        // A node shown in its view keeps its expansion; without a view of
        // its kind the double click expands or collapses it as usual.
        return node->GetEditorView() ? 1 : 0;
    }
    default:
        return 0;
    }
}

bool CLeftTabView::PreTranslateMessage(Message* msg) {
    if (!msg || msg->message != WM_KEYDOWN || !IsWindow())
        return false;
    if (msg->window != this && !IsChild(msg->window))
        return false;
    const int key = static_cast<int>(msg->wParam);
    if (GetEditControl()) {
        if (key != VK_RETURN && key != VK_ESCAPE)
            return false;
        EndEditLabelNow(key == VK_ESCAPE);
        return true;
    }
    if (m_dragging) {
        if (key != VK_ESCAPE)
            return false;
        CancelDrag();
        return true;
    }
    CTreeNode* node = GetItemNode(GetSelectedItem());
    switch (key) {
    case VK_RETURN:
        if (node) {
            m_current = node;
            OpenNode(node);
        }
        return true;
    case VK_DELETE:
        if (node) {
            m_current = node;
            DeleteByKey(node);
        }
        return true;
    default:
        return false;
    }
}

bool CLeftTabView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case OCM_BASE + WM_NOTIFY:
        if (auto* hdr = LParamToPtr<NMHDR>(lParam); hdr && hdr->hwndFrom == this)
            result = OnNotify(hdr);
        return true;
    case WM_MOUSEMOVE:
        if (!m_dragging)
            return false;
        UpdateDropTarget(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    case WM_LBUTTONUP:
        if (!m_dragging)
            return false;
        EndDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true);
        return true;
    case WM_CAPTURECHANGED:
        if (m_dragging)
            CancelDrag();
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A press while dragging (the button was released elsewhere) drops
        // nothing.
        if (m_dragging)
            CancelDrag();
        return false;
    // The Edit messages of the tree: its own structural history.
    case WM_CUT:
        CopySelected(true);
        return true;
    case WM_COPY:
        CopySelected(false);
        return true;
    case WM_PASTE:
        Paste();
        return true;
    case WM_UNDO:
    case WM_EDIT_REDO: {
        const CTabWindow::DocumentsWatch watch = g_MainFrame.m_tabWindow.WatchDocuments();
        if (msg == WM_UNDO)
            m_undoList.Undo(true);
        else
            m_undoList.Redo();
        Rebuild();
        g_MainFrame.m_tabWindow.CatchUpWithDocuments(watch);
        return true;
    }
    case EM_CANUNDO:
        result = m_undoList.CanUndo() ? 1 : 0;
        return true;
    case EM_CANREDO:
        result = m_undoList.CanRedo() ? 1 : 0;
        return true;
    case WM_EDIT_FIND:
    case WM_EDIT_FIND_NEXT:
    case WM_EDIT_FIND_PREVIOUS:
    case WM_EDIT_MOVE_ORIGIN:
        return true;
    case WM_CREATE:
        m_undoList.SetFocusWindow(this);
        return false;
    default:
        if (msg == kRestartEditMessage) {
            // The node is only compared: it may have gone meanwhile.
            HTREEITEM item = FindItem(m_editAgain);
            m_editAgain = nullptr;
            if (item)
                EditLabel(item);
            return true;
        }
        (void)wParam;
        return false;
    }
}
