#include "shell/left_pane.h"

#include "core/root.h"
#include "core/tree_node.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"

#include <algorithm>

namespace {
constexpr unsigned kTabNames[3] = {219, 220, 221}; // "Project", "Symbols", "Footprints"
constexpr ARGB kBackground = 0xFF323232;
constexpr ARGB kOutline = 0xC8323232;
constexpr int kMinTextWidth = 55;
} // namespace

CLeftPane::CLeftPane()
    : m_projectTree(this), m_symbolTree(this),
      m_footprintTree(this), m_trees{&m_projectTree, &m_symbolTree, &m_footprintTree} {}

CLeftPane::~CLeftPane() {
    DestroyWindow();
}

void CLeftPane::SetRoots(CRoot* project, CRoot* symbols, CRoot* footprints) {
    m_projectTree.SetRoot(project);
    m_symbolTree.SetRoot(symbols);
    m_footprintTree.SetRoot(footprints);
}

void CLeftPane::CreateImageLists() {
    for (CLeftTabView* tree : m_trees)
        tree->CreateImageList();
}

CLeftTabView* CLeftPane::GetTree(int kind) const {
    if (kind < 0 || kind > 2)
        return nullptr;
    return m_trees[static_cast<size_t>(kind)];
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
    m_tracking = false;
    RECT r = TreeRect();
    for (int kind = 0; kind < 3; ++kind) {
        CLeftTabView* tree = m_trees[static_cast<size_t>(kind)];
        uint32_t style = CLeftTabView::kStyle;
        if (kind != 0)
            style &= ~WS_VISIBLE;
        tree->Create(this, r, LoadStringText(kTabNames[kind]), style, 0, 0xE900 + kind);
        tree->Rebuild();
    }
    // The captions show whole in our face, which is wider than the one the
    // strip was drawn for; a pixel each side keeps them off the edges.
    DeviceContext dc(1, 1);
    dc.SelectFont(TabFont());
    m_textWidth = kMinTextWidth;
    for (unsigned id : kTabNames)
        m_textWidth = std::max(m_textWidth, dc.GetTextExtentPoint32(LoadStringText(id)).cx + 2);
}

void CLeftPane::OnSize() {
    RECT r = TreeRect();
    for (CLeftTabView* tree : m_trees)
        if (tree->IsWindow())
            tree->MoveWindow(r, true);
    if (CLeftTabView* shown = GetTree(m_order[0]); shown && shown->IsWindow())
        shown->Invalidate(true);
    Invalidate(false);
}

void CLeftPane::SelectTab(int kind) {
    if (kind < 0 || kind > 2 || m_order[0] == kind)
        return;
    if (CLeftTabView* shown = GetTree(m_order[0]); shown && shown->IsWindow())
        shown->ShowWindow(false);
    auto it = std::find(m_order.begin(), m_order.end(), kind);
    std::rotate(m_order.begin(), it, it + 1);
    if (CLeftTabView* tree = GetTree(kind); tree && tree->IsWindow())
        tree->ShowWindow(true);
    if (IsWindow())
        Invalidate(false);
}

void CLeftPane::ClearTree(int kind) {
    if (CLeftTabView* tree = GetTree(kind))
        tree->Clear();
}

void CLeftPane::RebuildTree(int kind) {
    if (CLeftTabView* tree = GetTree(kind))
        tree->Rebuild();
}

void CLeftPane::FocusTree(int kind) {
    if (CLeftTabView* tree = GetTree(kind); tree && tree->IsWindow())
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

bool CLeftPane::PreTranslateMessage(Message* msg) {
    CLeftTabView* tree = GetTree(m_order[0]);
    return tree && tree->PreTranslateMessage(msg);
}

// --- The tab strip ---------------------------------------------------------------------

LogFont CLeftPane::TabFont() {
    LogFont font;
    font.lfFaceName = L"Tahoma";
    font.lfHeight = -11; // 8 points
    return font;
}

RECT CLeftPane::TabTextRect(int tab) const {
    const int h = GetClientRect().bottom;
    const int x = TabPitch() * tab + 20;
    return RECT{x, h - kTabStripHeight, x + m_textWidth, h - kTabStripHeight + 20};
}

void CLeftPane::BuildTabPath(GraphicsPath& path, int tab, int h) const {
    const float x0 = static_cast<float>(TabPitch() * tab + 10);
    const float w = static_cast<float>(m_textWidth);
    const float top = static_cast<float>(h - kTabStripHeight);
    const float bottom = static_cast<float>(h - 2);
    path.StartFigure();
    path.AddArc(x0 - 20, top, 20, 20, -90, 90);
    path.AddArc(x0, top, 20, 20, -180, -90);
    path.AddLine(x0 + 10, bottom, x0 + 10 + w, bottom);
    path.AddArc(x0 + w, top, 20, 20, 90, -90);
    path.AddArc(x0 + w + 20, top, 20, 20, -180, 90);
    path.CloseFigure();
}

int CLeftPane::TabAt(POINT p) const {
    const int h = GetClientRect().bottom;
    for (int tab : m_order) {
        GraphicsPath path;
        BuildTabPath(path, tab, h);
        if (path.IsVisible(static_cast<float>(p.x), static_cast<float>(p.y)))
            return tab;
    }
    return -1;
}

void CLeftPane::InvalidateTab(int tab) {
    if (tab < 0)
        return;
    const int h = GetClientRect().bottom;
    RECT r{TabPitch() * tab, h - kTabStripHeight, TabPitch() * tab + TabWidth(), h};
    InvalidateRect(&r, false);
}

void CLeftPane::OnMouseMove(POINT p) {
    m_tracking = true;
    const int tab = TabAt(p);
    if (tab == m_hotTab)
        return;
    InvalidateTab(m_hotTab);
    InvalidateTab(tab);
    m_hotTab = tab;
}

void CLeftPane::Paint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    const RECT c = GetClientRect();
    const int h = c.bottom;
    const float top = static_cast<float>(h - kTabStripHeight);
    const float right = static_cast<float>(std::max(1, static_cast<int>(c.right)));
    {
        Graphics g(target);
        g.SetPageUnit(UnitPixel);
        SolidBrush background{Color(kBackground)};
        g.FillRectangle(&background, 0.0f, 0.0f, right, static_cast<float>(h));
        Pen white(Color(0xFFFFFFFF), 1.0f);
        g.DrawLine(&white, 0.0f, top, right, top);
        Pen outline(Color(kOutline), 1.0f);
        outline.SetAlignment(PenAlignmentInset);
        const int shown = m_order[0];
        // Back to front: the shown tab lies on top.
        for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
            const int tab = *it;
            GraphicsPath path;
            BuildTabPath(path, tab, h);
            const float x = static_cast<float>(TabPitch() * tab);
            g.SetSmoothingMode(SmoothingModeAntiAlias);
            if (tab == shown) {
                SolidBrush fill{Color(0xFFFFFFFF)};
                g.FillPath(&fill, &path);
            } else {
                const bool hot = tab == m_hotTab;
                RectF band{x, top, static_cast<float>(TabWidth()),
                           static_cast<float>(kTabStripHeight)};
                LinearGradientBrush fill(band, Color(hot ? 0xFFDADADA : 0xFF9F9F9F),
                                         Color(hot ? 0xFFBEBEBE : 0xFF7F7F7F),
                                         LinearGradientModeVertical);
                g.FillPath(&fill, &path);
            }
            g.DrawLine(&white, x, top, x + TabWidth(), top);
            g.DrawPath(&outline, &path);
            DeviceContext dc(*target);
            dc.SelectFont(TabFont());
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(0x000000);
            dc.DrawText(m_trees[static_cast<size_t>(tab)]->GetWindowText(), TabTextRect(tab),
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        // The strip's top edge, open above the shown tab.
        g.SetSmoothingMode(SmoothingModeNone);
        Pen edge(Color(kOutline), 1.0f);
        const float left = static_cast<float>(TabPitch() * shown);
        g.DrawLine(&edge, 0.0f, top, left, top);
        g.DrawLine(&edge, left + TabWidth(), top, right, top);
        g.Flush();
    }
    EndPaint(&ps);
}

bool CLeftPane::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (ReflectNotifications(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_DESTROY:
        // The copies on the clipboard outlive no document.
        CLeftTabView::ClearClipboard();
        return false;
    case WM_SIZE:
        OnSize();
        return true;
    case WM_PAINT:
        Paint();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_CONTEXTMENU:
        if (CLeftTabView* tree = GetTree(m_order[0]))
            tree->ShowContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return true;
    case WM_LBUTTONDOWN: {
        OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (m_hotTab >= 0)
            SelectTab(m_hotTab);
        return true;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    case WM_MOUSELEAVE:
        m_tracking = false;
        InvalidateTab(m_hotTab);
        m_hotTab = -1;
        return true;
    default:
        return false;
    }
}
