#include "shell/left_pane.h"

#include "core/node_type.h"
#include "core/root.h"
#include "core/tree_node.h"
#include "platform/device_context.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"

#include <algorithm>

namespace {
constexpr unsigned kTabNames[3] = {219, 220, 221}; // "Project", "Symbols", "Footprints"
constexpr int kRowHeight = 18;
constexpr int kIndent = 16;
constexpr int kTabWidth = 95;
constexpr int kTabPitch = 75;
} // namespace

// --- One tree --------------------------------------------------------------------

CLeftPaneTree::~CLeftPaneTree() {
    DestroyWindow();
}

namespace {
// The nodes a document tree shows: its folders and what opens in an editor.
bool IsTreeNode(const CTreeNode* node, int kind) {
    switch (node->GetType()) {
    case NodeType::PadstackFolder:
    case NodeType::FootprintFolder:
    case NodeType::SymbolFolder:
    case NodeType::Block:
    case NodeType::Board:
    case NodeType::Padstack:
    case NodeType::Footprint:
    case NodeType::Sheet:
        return true;
    case NodeType::Package:
        return kind == 1;
    default:
        return false;
    }
}
} // namespace

void CLeftPaneTree::AddRows(const CTreeNode* node, int depth) {
    if (depth > 0 && !IsTreeNode(node, m_kind))
        return;
    m_rows.push_back(Row{node, depth});
    auto* pane = dynamic_cast<const CLeftPane*>(GetParent());
    if (pane && !pane->IsNodeExpanded(node))
        return;
    for (const CTreeNode* child : node->GetChildren())
        AddRows(child, depth + 1);
}

void CLeftPaneTree::Rebuild() {
    m_rows.clear();
    if (m_root)
        AddRows(m_root, 0);
    if (IsWindow())
        Invalidate(true);
}

void CLeftPaneTree::Clear() {
    m_rows.clear();
    if (IsWindow())
        Invalidate(true);
}

const CTreeNode* CLeftPaneTree::GetRowNode(int row) const {
    return row >= 0 && row < GetRowCount() ? m_rows[static_cast<size_t>(row)].node : nullptr;
}

int CLeftPaneTree::GetRowDepth(int row) const {
    return row >= 0 && row < GetRowCount() ? m_rows[static_cast<size_t>(row)].depth : -1;
}

void CLeftPaneTree::Paint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    {
        DeviceContext dc(*target);
        RECT c = GetClientRect();
        dc.FillRect(c, CreateSolidBrush(0xFFFFFF));
        LogFont font;
        font.lfFaceName = L"Tahoma";
        font.lfHeight = -12;
        dc.SelectFont(font);
        dc.SetBkMode(TRANSPARENT);
        int y = 2;
        for (const Row& row : m_rows) {
            if (y > c.bottom)
                break;
            std::wstring name = row.node->GetText();
            if (name.empty())
                name = row.node->GetTagName();
            int x = 4 + row.depth * kIndent;
            dc.SetTextColor(row.depth == 0 ? 0x000000 : 0x202020);
            dc.DrawText(name, RECT{x, y, c.right, y + kRowHeight},
                        DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            y += kRowHeight;
        }
    }
    EndPaint(&ps);
}

bool CLeftPaneTree::ProcessWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_PAINT:
        Paint();
        return true;
    case WM_LBUTTONDOWN:
        SetFocus();
        return true;
    // The Edit messages of a tree: its own structural undo history.
    case WM_UNDO:
        m_undoList.Undo(true);
        Rebuild();
        return true;
    case WM_EDIT_REDO:
        m_undoList.Redo();
        Rebuild();
        return true;
    case EM_CANUNDO:
        result = m_undoList.CanUndo() ? 1 : 0;
        return true;
    case EM_CANREDO:
        result = m_undoList.CanRedo() ? 1 : 0;
        return true;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_EDIT_FIND:
    case WM_EDIT_FIND_NEXT:
    case WM_EDIT_FIND_PREVIOUS:
        return true;
    default:
        return false;
    }
}

// --- The pane ----------------------------------------------------------------------

CLeftPane::CLeftPane() {
    for (int kind = 0; kind < 3; ++kind)
        m_trees[static_cast<size_t>(kind)] = std::make_unique<CLeftPaneTree>(kind);
}

CLeftPane::~CLeftPane() {
    DestroyWindow();
}

void CLeftPane::SetRoots(CRoot* project, CRoot* symbols, CRoot* footprints) {
    m_roots = {project, symbols, footprints};
    for (int kind = 0; kind < 3; ++kind)
        m_trees[static_cast<size_t>(kind)]->SetRoot(m_roots[static_cast<size_t>(kind)]);
}

CLeftPaneTree* CLeftPane::GetTree(int kind) const {
    if (kind < 0 || kind > 2)
        return nullptr;
    return m_trees[static_cast<size_t>(kind)].get();
}

CUndoList& CLeftPane::GetUndoList(int kind) {
    return m_trees[static_cast<size_t>(std::clamp(kind, 0, 2))]->GetUndoList();
}

RECT CLeftPane::TreeRect() const {
    RECT c = GetClientRect();
    return RECT{0, 0, c.right, std::max(0, c.bottom - kTabStripHeight)};
}

void CLeftPane::OnCreate() {
    m_order = {0, 1, 2};
    m_hotTab = -1;
    RECT r = TreeRect();
    for (int kind = 0; kind < 3; ++kind) {
        CLeftPaneTree* tree = m_trees[static_cast<size_t>(kind)].get();
        tree->Create(this, r, LoadStringText(kTabNames[kind]),
                     kind == 0 ? WS_CHILD | WS_VISIBLE : WS_CHILD);
        tree->Rebuild();
    }
}

void CLeftPane::OnSize() {
    RECT r = TreeRect();
    for (auto& tree : m_trees)
        if (tree->IsWindow())
            tree->MoveWindow(r, true);
    Invalidate(true);
}

void CLeftPane::SelectTab(int kind) {
    if (kind < 0 || kind > 2 || m_order[0] == kind)
        return;
    if (CLeftPaneTree* shown = GetTree(m_order[0]); shown && shown->IsWindow())
        shown->ShowWindow(false);
    auto it = std::find(m_order.begin(), m_order.end(), kind);
    std::rotate(m_order.begin(), it, it + 1);
    if (CLeftPaneTree* tree = GetTree(kind); tree && tree->IsWindow())
        tree->ShowWindow(true);
    if (IsWindow())
        Invalidate(true);
}

void CLeftPane::ClearTree(int kind) {
    if (CLeftPaneTree* tree = GetTree(kind))
        tree->Clear();
}

void CLeftPane::RebuildTree(int kind) {
    if (CLeftPaneTree* tree = GetTree(kind))
        tree->Rebuild();
}

void CLeftPane::FocusTree(int kind) {
    if (CLeftPaneTree* tree = GetTree(kind); tree && tree->IsWindow())
        tree->SetFocus();
}

bool CLeftPane::HasFocus() const {
    PlatformWindow* focus = GetFocus();
    return focus && (focus == this || IsChild(focus));
}

bool CLeftPane::IsNodeExpanded(const CTreeNode* node) const {
    return node && m_expanded.count(node->m_sequence) != 0;
}

void CLeftPane::SetNodeExpanded(const CTreeNode* node, bool expanded) {
    if (!node)
        return;
    if (expanded)
        m_expanded.insert(node->m_sequence);
    else
        m_expanded.erase(node->m_sequence);
}

bool CLeftPane::PreTranslateMessage(Message*) {
    return false;
}

int CLeftPane::TabAt(POINT p) const {
    RECT c = GetClientRect();
    if (p.y < c.bottom - kTabStripHeight || p.y >= c.bottom)
        return -1;
    // The shown tab lies on top of its neighbours.
    for (int kind : m_order)
        if (p.x >= kTabPitch * kind && p.x < kTabPitch * kind + kTabWidth)
            return kind;
    return -1;
}

void CLeftPane::Paint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    {
        DeviceContext dc(*target);
        RECT c = GetClientRect();
        int top = c.bottom - kTabStripHeight;
        dc.FillRect(RECT{0, top, c.right, c.bottom}, CreateSolidBrush(MakeColorRef(50, 50, 50)));
        LogFont font;
        font.lfFaceName = L"Tahoma";
        font.lfHeight = -11;
        dc.SelectFont(font);
        dc.SetBkMode(TRANSPARENT);
        for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
            int kind = *it;
            RECT tab{kTabPitch * kind, top, kTabPitch * kind + kTabWidth, c.bottom - 1};
            COLORREF face = kind == m_order[0] ? MakeColorRef(255, 255, 255)
                            : kind == m_hotTab ? MakeColorRef(218, 218, 218)
                                               : MakeColorRef(159, 159, 159);
            dc.FillRect(tab, CreateSolidBrush(face));
            dc.SetTextColor(0x000000);
            dc.DrawText(GetTree(kind)->GetWindowText(), tab,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }
    EndPaint(&ps);
}

bool CLeftPane::ProcessWindowMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_SIZE:
        OnSize();
        return true;
    case WM_PAINT:
        Paint();
        return true;
    case WM_LBUTTONDOWN: {
        int tab = TabAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (tab >= 0)
            SelectTab(tab);
        return true;
    }
    case WM_MOUSEMOVE: {
        int tab = TabAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (tab != m_hotTab) {
            m_hotTab = tab;
            Invalidate(true);
        }
        return true;
    }
    case WM_MOUSELEAVE:
        if (m_hotTab != -1) {
            m_hotTab = -1;
            Invalidate(true);
        }
        return true;
    default:
        return false;
    }
}
