#include "shell/tab_window.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/board_undo_records.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "board/node_references.h"
#include "board/pad.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/subtree_walk.h"
#include "core/tree_node.h"
#include "core/undo_list.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/dialog.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "schematic/net.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "shell/left_tab_view.h"
#include "shell/main_frame.h"

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <unordered_set>

namespace {
constexpr unsigned kPageChangedId = 143; // "Page was changed; save changes?"
constexpr unsigned kCaptionId = 128;     // "Vorpel"
constexpr ARGB kStripGrey = 0xFF323232;
constexpr ARGB kOutline = 0xC8323232;
constexpr ARGB kFocusLine = 0xFFFFFFFF;
constexpr ARGB kBlurLine = 0xFFB4B4B4;

// The outline of tab i: rounded feet at the bottom corners of the strip, a
// straight top, widening towards the strip's bottom.
void BuildTabPath(GraphicsPath& path, int i) {
    const int pitch = CTabWindow::TabPitch();
    float x = static_cast<float>(pitch * i);
    float p = static_cast<float>(pitch);
    float top = static_cast<float>(CTabWindow::kTabTop);
    path.StartFigure();
    path.AddArc(x - 14, top, 28, 28, 90, -90);
    path.AddArc(x + 14, top, 28, 28, 180, 90);
    path.AddLine(x + 28, top, x + p, top);
    path.AddArc(x + p - 14, top, 28, 28, -90, 90);
    path.AddArc(x + p + 14, top, 28, 28, 180, -90);
    path.CloseFigure();
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEMOVE && msg <= WM_MOUSEMOVE + 14;
}

// Whether w is the window or one of its descendants, found without reading
// w (which may have gone).
bool HoldsWindow(PlatformWindow* window, const PlatformWindow* w) {
    if (window == w)
        return true;
    for (PlatformWindow* child : window->GetChildren())
        if (HoldsWindow(child, w))
            return true;
    return false;
}

bool IsButtonPress(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
           msg == WM_LBUTTONDBLCLK;
}

// Messages of the tab window's own life that never go on to the shown view.
bool IsOwnMessage(UINT msg) {
    switch (msg) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_MOVE:
    case WM_SIZE:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_SHOWWINDOW:
    case WM_SETCURSOR:
    case WM_CLOSE:
    case WM_ENABLE:
    case WM_CAPTURECHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return true;
    default:
        return false;
    }
}
} // namespace

CTabWindow::CTabWindow() = default;

CTabWindow::~CTabWindow() {
    CloseAll();
    DestroyWindow();
}

// --- Geometry ------------------------------------------------------------------

int CTabWindow::TabPitch() {
    // The captions were given 162 pixels of a face narrower than ours (from
    // 28 pixels in to 3 short of the close button): they get as much more
    // as our face is wider, the way dialogs grow.
    static const int pitch =
        std::max(200, 28 + PlatformDialog::MapTemplatePixels(WindowFont{}, 162) + 10);
    return pitch;
}

LogFont CTabWindow::CaptionFont() {
    LogFont font;
    font.lfFaceName = L"Tahoma";
    font.lfHeight = -13; // 10 points
    return font;
}

RECT CTabWindow::TabRect(int index) {
    return RECT{TabPitch() * index, kTabTop, TabPitch() * index + TabWidth(), kTabBottom};
}

RECT CTabWindow::CloseButtonRect(int index) {
    const int centre = TabPitch() * (index + 1);
    return RECT{centre - 8, 10, centre + 8, 26};
}

RECT CTabWindow::CaptionRect(int index) {
    const int x = TabPitch() * index;
    return RECT{x + 28, kTabTop, x + TabPitch() - 10, kTabTop + 28};
}

bool CTabWindow::IsPointInCloseButton(int index, POINT p) {
    float cx = static_cast<float>(TabPitch() * (index + 1));
    float cy = 11.0f + 7.0f;
    float dx = static_cast<float>(p.x) - cx, dy = static_cast<float>(p.y) - cy;
    return dx * dx + dy * dy <= 49.0f;
}

bool CTabWindow::IsPointInTab(int index, POINT p) const {
    GraphicsPath path;
    BuildTabPath(path, index);
    return path.IsVisible(static_cast<float>(p.x), static_cast<float>(p.y));
}

// --- Views -----------------------------------------------------------------------

CVorpelView* CTabWindow::GetView(int index) const {
    if (index < 0 || index >= GetTabCount())
        return nullptr;
    return m_views[static_cast<size_t>(index)];
}

CVorpelView* CTabWindow::GetActiveView() const {
    return m_order.empty() ? nullptr : GetView(m_order.front());
}

int CTabWindow::FindTab(const PlatformWindow* window) const {
    if (!window)
        return -1;
    for (size_t i = 0; i < m_views.size(); ++i)
        if (m_views[i] == window)
            return static_cast<int>(i);
    return -1;
}

int CTabWindow::FindTabByDocument(const CTreeNode* node) const {
    if (!node)
        return -1;
    for (size_t i = 0; i < m_views.size(); ++i)
        if (m_views[i]->GetDocument() == node)
            return static_cast<int>(i);
    return -1;
}

void CTabWindow::PlaceView(CVorpelView* view) {
    RECT c = GetClientRect();
    view->MoveWindow(RECT{0, kStripHeight, c.right, kStripHeight + std::max(0, c.bottom - 37)},
                     true);
    // The panel and its caption stay above the views.
    m_propertyGrid.BringToTop();
    m_propertyTab.BringToTop();
}

void CTabWindow::TakePanelValue() {
    CVorpelView* shown = GetActiveView();
    if (!shown || !m_propertyGrid.IsEditing())
        return;
    // The record would otherwise go to the view coming forward, which
    // cannot undo it, and outlive the object it names once the view it
    // belongs to drops its work.
    g_pActiveView = shown;
    m_propertyGrid.GetList().CommitAll();
}

void CTabWindow::ApplyPanelValue() {
    if (!GetActiveView() || !m_propertyGrid.IsEditing())
        return;
    TakePanelValue();
    if (!m_propertyGrid.IsEditing())
        SendMessage(WM_PROPERTY_EDIT_ENDED, 1, 0);
}

void CTabWindow::AddTab(CVorpelView* view) {
    if (!view)
        return;
    TakePanelValue();
    // A value taken may have changed the board the new view has indexed.
    ReindexBoard(view);
    if (view->IsWindow())
        PlaceView(view);
    if (CVorpelView* shown = GetActiveView())
        shown->ShowWindow(false);
    m_views.insert(m_views.begin(), view);
    ShareHistories(view);
    for (int& entry : m_order)
        ++entry;
    m_order.insert(m_order.begin(), 0);
    g_pActiveView = view;
    view->ShowWindow(true);
    RepaintStrip();
    SetFocus();
    m_propertyTab.ShowWindow(true);
    m_propertyGrid.ShowProperties(view);
    SendMessage(WM_PROPERTY_LAYOUT, m_propertyTab.IsExpanded() ? 1 : 0, 0);
}

void CTabWindow::ShowFront() {
    CVorpelView* view = GetActiveView();
    g_pActiveView = view;
    if (!view) {
        m_propertyTab.ShowWindow(false);
        m_propertyGrid.ShowWindow(false);
        m_propertyGrid.ShowProperties(nullptr);
        return;
    }
    view->ShowWindow(true);
    view->UpdateWindow();
    m_propertyTab.ShowWindow(true);
    m_propertyGrid.ShowProperties(view);
}

void CTabWindow::ActivateTab(int index) {
    if (index < 0 || index >= GetTabCount() || index == GetActiveTab()) {
        SetFocus();
        return;
    }
    TakePanelValue();
    if (index >= GetTabCount())
        return;
    NoteShownHistory(GetView(index)->GetUndoList());
    if (CVorpelView* shown = GetActiveView())
        shown->ShowWindow(false);
    m_order.erase(std::find(m_order.begin(), m_order.end(), index));
    m_order.insert(m_order.begin(), index);
    CVorpelView* view = GetView(index);
    g_pActiveView = view;
    view->ShowWindow(true);
    m_propertyGrid.ShowProperties(view);
    RepaintStrip();
    SetFocus();
}

void CTabWindow::DestroyView(CVorpelView* view) {
    view->DestroyWindow();
    // What the history frees, the trees let go of first.
    view->GetUndoList().Clear();
    view->GetUndoList().SetChangeListener(nullptr);
    view->GetUndoList().SetReleaseListener(nullptr);
    ForgetPendingNodes(&view->GetUndoList());
    if (g_pActiveView == view)
        g_pActiveView = nullptr;
    if (m_propertyGrid.GetShownObject() == view)
        m_propertyGrid.ShowProperties(nullptr);
    delete view;
}

void CTabWindow::DropWorkInProgress(CVorpelView* view) {
    // The undo records of the dropped work act through the active view.
    CVorpelView* previous = g_pActiveView;
    g_pActiveView = view;
    view->DropWorkInProgress();
    g_pActiveView = previous;
}

void CTabWindow::DropWorkInProgress(int documentKind) {
    for (CVorpelView* view : std::vector<CVorpelView*>(m_views))
        if (documentKind < 0 || view->GetDocumentKind() == documentKind)
            DropWorkInProgress(view);
}

bool CTabWindow::CloseTab(int index, bool prompt) {
    CVorpelView* view = GetView(index);
    if (!view)
        return false;
    // The question is about what the user typed too.
    if (prompt && view == GetActiveView())
        ApplyPanelValue();
    DropWorkInProgress(view);
    CUndoList& undo = view->GetUndoList();
    if (!undo.IsAtSavedState()) {
        if (prompt) {
            int answer = ShowMessageBox(LoadStringText(kPageChangedId), LoadStringText(kCaptionId),
                                        MB_YESNO | MB_ICONQUESTION);
            std::shared_ptr<const bool> alive = LifeToken();
            if (answer == IDYES) {
                // A save that fails or is cancelled keeps the page open, so
                // that its changes are not lost with it.
                if (!g_MainFrame.SaveDocument(view->GetDocumentKind()) || !*alive ||
                    FindTab(view) < 0)
                    return false;
                index = FindTab(view);
            } else {
                // The panel lets go first, without taking a value still
                // being typed: the undo moves the focus, and the editor
                // would hand its value to an object the undo deleted.
                for (int row = 0; row < m_propertyGrid.GetRowCount(); ++row)
                    m_propertyGrid.GetItem(row)->EndEdit(false);
                m_propertyGrid.ShowProperties(nullptr);
                // Back to the last saved content; the undo records work
                // through the active view.
                CVorpelView* previous = g_pActiveView;
                g_pActiveView = view;
                while (!undo.IsAtSavedState() && undo.CanUndo())
                    undo.Undo(false);
                g_pActiveView = previous;
                if (!undo.IsAtSavedState())
                    g_MainFrame.NoteChangesLeftInDocument(view->GetDocumentKind());
            }
        } else {
            g_MainFrame.NoteChangesLeftInDocument(view->GetDocumentKind());
        }
    }
    m_views.erase(m_views.begin() + index);
    m_order.erase(std::find(m_order.begin(), m_order.end(), index));
    for (int& entry : m_order)
        if (entry > index)
            --entry;
    DestroyView(view);
    ShowFront();
    m_hoverTab = m_hoverClose = -1;
    RepaintStrip();
    return true;
}

void CTabWindow::CloseAll() {
    DropWorkInProgress();
    std::vector<CVorpelView*> views;
    views.swap(m_views);
    m_order.clear();
    for (CVorpelView* view : views) {
        if (!view->GetUndoList().IsAtSavedState())
            g_MainFrame.NoteChangesLeftInDocument(view->GetDocumentKind());
        DestroyView(view);
    }
    g_pActiveView = nullptr;
    if (IsWindow()) {
        m_propertyTab.ShowWindow(false);
        m_propertyGrid.ShowWindow(false);
    }
    m_propertyGrid.ShowProperties(nullptr);
    m_hoverTab = m_hoverClose = -1;
    RepaintStrip();
}

bool CTabWindow::CycleTabs(int& step) {
    int count = GetTabCount();
    if (count < 2)
        return false;
    if (CVorpelView* shown = GetActiveView())
        shown->ShowWindow(false);
    if (step > 0 && step < count) {
        std::swap(m_order[0], m_order[static_cast<size_t>(step)]);
    } else {
        std::rotate(m_order.begin(), m_order.begin() + 1, m_order.end());
    }
    step = step + 1 >= count ? 0 : step + 1;
    CVorpelView* view = GetActiveView();
    view->ShowWindow(true);
    view->UpdateWindow();
    g_pActiveView = view;
    m_propertyGrid.ShowProperties(view);
    RepaintStrip();
    return true;
}

// --- Messages -------------------------------------------------------------------

bool CTabWindow::PreTranslateMessage(Message* msg) {
    if (m_views.empty())
        return false;
    // Every mouse message of the frame's windows: one of another window
    // than the strip (the view below it, the panel) hides the tip.
    if (IsMouseMessage(msg->message))
        m_toolTip.RelayEvent(*msg);
    CVorpelView* view = GetActiveView();
    // A press in the view takes a value still being typed into the panel, as
    // a press anywhere else does by taking the focus from the row: the view
    // keeps the focus where it is, and its tools may fill the panel anew. A
    // row of an object the view's tool is still making stays the tool's.
    if (view && IsButtonPress(msg->message) && HoldsWindow(view, msg->window) &&
        m_propertyGrid.IsEditing() && m_propertyGrid.GetShownObject() &&
        !view->IsMaking(m_propertyGrid.GetShownObject())) {
        std::shared_ptr<const bool> alive = LifeToken();
        TakePanelValue();
        // The press goes on only to the window it was made in.
        if (!*alive || view != GetActiveView() || !HoldsWindow(view, msg->window))
            return true;
    }
    if (m_propertyGrid.PreTranslateMessage(msg))
        return true;
    if (!view)
        return false;
    // Esc in the panel with no row open (an open row took it above) ends the
    // view's work as it does over the view: the view takes it as the tab
    // window's.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && msg->window &&
        (msg->window == &m_propertyGrid || m_propertyGrid.IsChild(msg->window) ||
         msg->window == &m_propertyTab)) {
        Message relayed = *msg;
        relayed.window = this;
        return view->PreTranslateMessage(&relayed);
    }
    return view->PreTranslateMessage(msg);
}

void CTabWindow::OnCreate() {
    RECT c = GetClientRect();
    m_propertyGrid.Create(
        this, RECT{c.right - kPanelWidth, kStripHeight, c.right, kStripHeight + 40}, L"", WS_CHILD);
    m_propertyTab.Create(
        this,
        RECT{c.right - kPanelWidth, kStripHeight, c.right, kStripHeight + CPropertyTab::kHeight},
        L"", WS_CHILD);
    m_propertyGrid.SetTab(&m_propertyTab);
    SetPropertyGrid(&m_propertyGrid);
    m_toolTip.CreateFor(this);
    m_toolTip.Activate(true);
    m_toolTip.SetText(kStripToolTip);
    SetNoBackground();
    ShareTreeHistories(true);
    SetOtherStepsForgetter(ForgetOtherStepsOn);
    SetUnrecordedChanger(ChangeWithoutHistory);
    WatchDetachedNodes(true);
}

void CTabWindow::LayoutPanel(bool open, bool resize) {
    if (!IsWindow())
        return;
    RECT c = GetClientRect();
    int left = c.right - kPanelWidth;
    int height = m_propertyGrid.GetList().GetContentHeight();
    if (resize || open) {
        m_propertyGrid.MoveWindow(RECT{left, kStripHeight, c.right, kStripHeight + height}, true);
    }
    if (open) {
        m_propertyGrid.ShowWindow(true);
        m_propertyTab.MoveWindow(RECT{left, kStripHeight + height, c.right,
                                      kStripHeight + height + CPropertyTab::kHeight},
                                 true);
    } else {
        m_propertyGrid.ShowWindow(false);
        m_propertyTab.MoveWindow(
            RECT{left, kStripHeight, c.right, kStripHeight + CPropertyTab::kHeight}, true);
    }
    m_propertyGrid.BringToTop();
    m_propertyTab.BringToTop();
}

void CTabWindow::OnSize() {
    RECT c = GetClientRect();
    int height = m_propertyGrid.GetList().GetContentHeight();
    m_propertyGrid.MoveWindow(
        RECT{c.right - kPanelWidth, kStripHeight, c.right, kStripHeight + height}, true);
    SendMessage(WM_PROPERTY_LAYOUT, m_propertyTab.IsExpanded() ? 1 : 0, 0);
    for (CVorpelView* view : m_views)
        if (view->IsWindow())
            PlaceView(view);
    if (CVorpelView* view = GetActiveView())
        view->Invalidate(true);
    m_propertyGrid.UpdateWindow();
}

void CTabWindow::RepaintStrip() {
    if (!IsWindow())
        return;
    RECT strip{0, 0, GetClientRect().right, kStripHeight};
    InvalidateRect(&strip, false);
}

void CTabWindow::InvalidateTab(int index) {
    if (index < 0 || !IsWindow())
        return;
    RECT r = TabRect(index);
    r.left -= 14;
    r.right += 14;
    InvalidateRect(&r, false);
}

void CTabWindow::InvalidateClose(int index) {
    if (index < 0 || !IsWindow())
        return;
    RECT r = CloseButtonRect(index);
    InvalidateRect(&r, false);
}

void CTabWindow::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    RECT c = GetClientRect();
    bool focused = GetFocus() == this;
    {
        Graphics g(target);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        SolidBrush background{Color(kStripGrey)};
        g.FillRectangle(&background, 0.0f, 0.0f, static_cast<float>(c.right),
                        static_cast<float>(c.bottom));
        Pen outline(Color(kOutline), 1.0f);
        outline.SetAlignment(PenAlignmentInset);
        Pen line(Color(focused ? kFocusLine : kBlurLine), 1.0f);
        RectF band{0.0f, static_cast<float>(kTabTop), static_cast<float>(std::max(1, c.right)),
                   28.0f};
        int shown = GetActiveTab();
        // Back to front, so that the shown tab lies on top of its neighbours.
        for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
            int i = *it;
            GraphicsPath path;
            BuildTabPath(path, i);
            Color top(0xFF9F9F9F), bottom(0xFF7F7F7F);
            if (i == shown) {
                top = Color(0xFFFFFFFF);
                bottom = Color(focused ? 0xFFFFFFFF : kBlurLine);
            } else if (i == m_hoverTab) {
                top = Color(0xFFD2DCE1);
                bottom = Color(0xFFC1D9E1);
            }
            LinearGradientBrush fill(band, top, bottom, LinearGradientModeVertical);
            g.FillPath(&fill, &path);
            float x = static_cast<float>(TabPitch() * i);
            g.DrawLine(&line, x, static_cast<float>(kTabBottom), x + TabWidth(),
                       static_cast<float>(kTabBottom));
            g.DrawPath(&outline, &path);
            // The caption, trimmed short of the close button.
            {
                DeviceContext dc(*target);
                dc.SelectFont(CaptionFont());
                dc.SetBkMode(TRANSPARENT);
                dc.SetTextColor(0x000000);
                std::wstring caption = m_views[static_cast<size_t>(i)]->GetWindowText();
                dc.DrawText(caption, CaptionRect(i),
                            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            }
            // The close button, centred on the next tab's left end.
            float bx = static_cast<float>(TabPitch() * (i + 1));
            Pen cross(Color(0xFF323232), 2.0f);
            if (i == m_hoverClose) {
                SolidBrush red{Color(0xFFBE3232)};
                g.FillEllipse(&red, bx - 7, 11.0f, 14.0f, 14.0f);
                cross.SetColor(Color(0xFFFFFFFF));
            }
            g.DrawLine(&cross, bx - 3, 15.0f, bx + 3, 21.0f);
            g.DrawLine(&cross, bx - 3, 21.0f, bx + 3, 15.0f);
        }
        if (shown >= 0) {
            g.SetSmoothingMode(SmoothingModeNone);
            Pen edge(Color(kOutline), 1.0f);
            float left = static_cast<float>(TabPitch() * shown);
            g.DrawLine(&edge, 0.0f, static_cast<float>(kTabBottom), left,
                       static_cast<float>(kTabBottom));
            g.DrawLine(&edge, left + TabWidth(), static_cast<float>(kTabBottom),
                       static_cast<float>(c.right), static_cast<float>(kTabBottom));
            RectF shade{0.0f, 33.0f, static_cast<float>(std::max(1, c.right)), 5.0f};
            LinearGradientBrush fade(shade, Color(focused ? 0xFFFFFFFF : kBlurLine),
                                     Color(kBlurLine), LinearGradientModeVertical);
            g.FillRectangle(&fade, shade);
            g.DrawLine(&edge, 0.0f, 37.0f, static_cast<float>(c.right), 37.0f);
        }
        g.Flush();
    }
    EndPaint(&ps);
}

void CTabWindow::OnMouseMove(POINT p) {
    m_tracking = true;
    for (int i : m_order) {
        if (!IsPointInTab(i, p)) {
            if (i == m_hoverTab) {
                InvalidateTab(m_hoverTab);
                m_hoverTab = m_hoverClose = -1;
                m_toolTip.Activate(false);
            }
            continue;
        }
        if (IsPointInCloseButton(i, p)) {
            if (m_hoverClose != i) {
                InvalidateClose(m_hoverClose);
                InvalidateClose(i);
                m_hoverClose = i;
            }
        } else if (m_hoverClose >= 0) {
            InvalidateClose(m_hoverClose);
            m_hoverClose = -1;
        }
        if (m_hoverTab != i) {
            InvalidateTab(m_hoverTab);
            InvalidateTab(i);
            m_hoverTab = i;
            std::wstring caption = m_views[static_cast<size_t>(i)]->GetWindowText();
            if (caption.size() > 260)
                caption.resize(260);
            m_toolTip.SetText(caption);
            m_toolTip.Activate(true);
        }
        return;
    }
}

void CTabWindow::OnMouseLeave() {
    m_tracking = false;
    InvalidateTab(m_hoverTab);
    m_hoverTab = m_hoverClose = -1;
    m_toolTip.Hide();
}

void CTabWindow::OnLButtonDown() {
    if (m_hoverClose >= 0) {
        CloseTab(m_hoverClose, true);
        return;
    }
    if (m_hoverTab >= 0)
        ActivateTab(m_hoverTab);
}

bool CTabWindow::RouteToView(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CVorpelView* view = GetActiveView();
    if (!view || IsOwnMessage(msg))
        return false;
    return view->OfferToMessageMap(msg, wParam, lParam, result);
}

namespace {
// The nodes of a page: its document's subtree, less the pages of their own
// inside it.
void CollectPageNodes(const CTreeNode* node, std::vector<const CTreeNode*>& out) {
    for (const CTreeNode* child : node->GetChildren()) {
        if (HasOwnViewMaker(child->GetType()))
            continue;
        out.push_back(child);
        CollectPageNodes(child, out);
    }
}

bool IsDocumentRoot(const CTreeNode* node) {
    for (int kind = 0; kind < 3; ++kind)
        if (node == &g_MainFrame.GetRoot(kind))
            return true;
    return false;
}

bool InSomeDocument(const CTreeNode* node) {
    const CTreeNode* top = node;
    while (top->GetParent())
        top = top->GetParent();
    return IsDocumentRoot(top);
}
} // namespace

CTabWindow::DocumentsWatch CTabWindow::WatchDocuments() const {
    DocumentsWatch watch;
    for (const CVorpelView* view : m_views) {
        std::vector<const CTreeNode*> nodes;
        if (view->GetDocument())
            CollectPageNodes(view->GetDocument(), nodes);
        std::sort(nodes.begin(), nodes.end());
        watch.pages.emplace_back(view, std::move(nodes));
        if (view->GetViewKind() == kViewBoard && view->GetDocument() &&
            view->GetDocument()->GetType() == NodeType::Board) {
            watch.layers.emplace_back(view, BoardLayers(view));
            watch.outlines.emplace_back(view, BoardOutline(view));
        }
    }
    auto* node = dynamic_cast<const CTreeNode*>(m_propertyGrid.GetShownObject());
    if (node && InSomeDocument(node))
        watch.shownNode = node;
    return watch;
}

void CTabWindow::CatchUpWithDocuments(const DocumentsWatch& before) {
    // Views closed meanwhile are only compared by address.
    for (CVorpelView* view : std::vector<CVorpelView*>(m_views)) {
        auto page = std::find_if(before.pages.begin(), before.pages.end(),
                                 [view](const auto& p) { return p.first == view; });
        if (page == before.pages.end() || !view->GetDocument())
            continue;
        std::vector<const CTreeNode*> now;
        CollectPageNodes(view->GetDocument(), now);
        std::sort(now.begin(), now.end());
        if (!std::includes(now.begin(), now.end(), page->second.begin(), page->second.end()) ||
            LayersMoved(before, view)) {
            DropWorkInProgress(view);
            if (!view->GetUndoList().IsAtSavedState())
                g_MainFrame.NoteChangesLeftInDocument(view->GetDocumentKind());
            // The page keeps its unsaved changes: closing it still asks.
            view->GetUndoList().Abandon();
        }
        ReindexBoard(view);
    }
    CVorpelView* view = GetActiveView();
    if (!view)
        return;
    g_pActiveView = view;
    view->CatchUpWithDocument();
    // The panel lets go of what left the documents, or the shown page (a
    // sheet's drawing given back to the sheet of its name).
    const CProperty* shown = m_propertyGrid.GetShownObject();
    if (before.shownNode && shown == static_cast<const CProperty*>(before.shownNode) &&
        (!InSomeDocument(before.shownNode) || !view->Shows(shown)))
        m_propertyGrid.ShowProperties(view);
    else
        m_propertyGrid.RefreshProperties();
}

// --- Histories sharing a document ---------------------------------------------------

namespace {
// Set while views drop their work under way for a forgetting: the steps
// that dropping takes are not a reason to drop more.
bool g_droppingWork = false;

// A settling of every history is posted after a change (see
// SettleHistories); the histories that changed since are left to their own
// next change, as a group of theirs may still be being built.
constexpr UINT kSettleHistoriesMessage = WM_USER + 0x7E9;
bool g_settlePosted = false;
std::vector<const CUndoList*> g_changedSinceSettle;

// Every history that can act on the documents: the trees' and the open
// editors'.
std::vector<CUndoList*> AllHistories() {
    std::vector<CUndoList*> histories;
    for (int kind = 0; kind < 3; ++kind)
        if (CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind))
            histories.push_back(&tree->GetUndoList());
    for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews())
        histories.push_back(&view->GetUndoList());
    return histories;
}

// The history that changed last: what changes the documents between two
// changes of histories is its doing (a record is pushed before its change
// is made, a drag goes on after its first record). Null when it is gone.
CUndoList* g_lastChanged = nullptr;

// The gate looks only at what the steps touched, never at every record of
// a history: a step costs the same at the start of a session and after
// thousands of steps. Each history keeps the nodes it is still to look at
// (the records naming them are found through the history's index):
// reach, the nodes whose top may have changed (named by a record that
// entered a history, or in a subtree that left the documents); others,
// the nodes other histories' steps touched, whose values its records are
// to compare; current, the nodes its own steps touched, whose values its
// records take once another history takes over. A history looks at its
// nodes where the full walk would have looked at all its records, and
// forgets them then.
struct PendingNodes {
    std::unordered_set<const CTreeNode*> reach;
    std::unordered_set<const CTreeNode*> others;
    std::unordered_set<const CTreeNode*> current;
};
std::unordered_map<const CUndoList*, PendingNodes> g_pending;
// The nodes named by the records of the last group a history changed (the
// group being built, an action undone or redone): that history may go on
// changing them without a record (a drag, a dialog that records a node
// once), so they are looked at again at every settling and change of
// history until another group starts.
std::vector<const CTreeNode*> g_recent;
const CUndoList* g_recentOwner = nullptr;
// The nodes taken out of their parents since the last look (the trees
// tell); those still out of the documents then take their subtrees with
// them.
std::unordered_set<const CTreeNode*> g_detached;

// Nodes a history's records touched: their reach (a null, standing for
// every node's values, says nothing of reach) and their values, as its own
// or another's doing.
void NotePending(PendingNodes& pending, const std::vector<const CTreeNode*>& touched, bool own) {
    for (const CTreeNode* node : touched)
        if (node)
            pending.reach.insert(node);
    (own ? pending.current : pending.others).insert(touched.begin(), touched.end());
}

void NoteDetached(CTreeNode* node) {
    g_detached.insert(node);
}

void NoteDestroyed(const CTreeNode* node) {
    if (!g_detached.empty())
        g_detached.erase(node);
}

// The nodes that nodes name besides holding them (ForEachReferent), added
// to them: a step on a node may change what finds it by its layer, name or
// net, and the steps on those are looked at too. Only nodes a record of
// history names are asked: those are alive.
void AddReferents(std::vector<const CTreeNode*>& nodes, const CUndoList& history) {
    std::unordered_set<const CTreeNode*> added;
    const size_t count = nodes.size();
    for (size_t i = 0; i < count; ++i)
        if (nodes[i] && history.NamesNode(nodes[i]))
            ForEachReferent(nodes[i], [&](const CTreeNode* referent) {
                if (added.insert(referent).second)
                    nodes.push_back(referent);
            });
}

bool IsHistory(const CUndoList* history);

std::vector<const CTreeNode*> Joined(const std::unordered_set<const CTreeNode*>& pending,
                                     bool withRecent = false) {
    std::vector<const CTreeNode*> nodes(pending.begin(), pending.end());
    if (withRecent && !g_recent.empty()) {
        // What the last group's nodes name now, once its step is complete:
        // a record is often pushed before its change is made.
        std::vector<const CTreeNode*> recent = g_recent;
        if (IsHistory(g_recentOwner))
            AddReferents(recent, *g_recentOwner);
        nodes.insert(nodes.end(), recent.begin(), recent.end());
    }
    return nodes;
}

// What the histories' changes touched since the last look goes to every
// history's nodes to look at: the nodes the changing histories' records
// name, and every node of a subtree that left the documents.
void GatherTouchedNodes(const std::vector<CUndoList*>& histories) {
    for (CUndoList* changed : histories) {
        std::vector<const CTreeNode*> touched = changed->TakeTouchedNodes();
        if (touched.empty())
            continue;
        AddReferents(touched, *changed);
        for (CUndoList* history : histories)
            NotePending(g_pending[history], touched, history == changed);
    }
    if (g_detached.empty())
        return;
    std::vector<const CTreeNode*> left;
    for (const CTreeNode* node : g_detached)
        if (!InSomeDocument(node))
            ForEachInSubtree(node, [&left](const CTreeNode* n) {
                left.push_back(n);
                return true;
            });
    g_detached.clear();
    for (CUndoList* history : histories)
        g_pending[history].reach.insert(left.begin(), left.end());
}

// The history's records take the values of the nodes its own steps touched.
void TakeOwnValues(CUndoList& history) {
    PendingNodes& pending = g_pending[&history];
    history.TakeCurrentValuesOn(Joined(pending.current, true), IsDocumentRoot);
    pending.current.clear();
}

// The nodes the record a history is taking names: its change may be made
// already (an inserted node's record follows the insertion).
std::vector<const CTreeNode*> PushedNodes(const CUndoList& history) {
    std::vector<const CTreeNode*> nodes;
    if (const CUndoItem* item = history.PushingItem())
        item->ForEachNamedNode([&nodes](const CTreeNode* node) { nodes.push_back(node); });
    return nodes;
}

bool IsHistory(const CUndoList* history) {
    const std::vector<CUndoList*> histories = AllHistories();
    return history && std::find(histories.begin(), histories.end(), history) != histories.end();
}

CUndoList* LastChanged() {
    const std::vector<CUndoList*> histories = AllHistories();
    if (std::find(histories.begin(), histories.end(), g_lastChanged) == histories.end())
        g_lastChanged = nullptr;
    return g_lastChanged;
}

// A change of history changing is about to be made. When another history
// changed last, its records take what their nodes hold now as left by
// their steps, and the others' records are to be compared with the values
// their steps left (true): that history may have changed them.
bool NoteChangeOf(CUndoList& changing) {
    CUndoList* last = LastChanged();
    g_lastChanged = &changing;
    if (last == &changing)
        return false;
    if (last) {
        GatherTouchedNodes(AllHistories());
        // A record taken after its change (an inserted node's) names what
        // the changing history already did: not the last one's doing.
        const Referrers::LeftOut pushing(PushedNodes(changing));
        TakeOwnValues(*last);
    }
    return true;
}

// Each history (the changing one only with itself) forgets the groups that
// name a node neither in a document nor held by its own records: another
// history took the node out and may free it. With compare, every history
// but ownChanges (the one that changed last, if any), the changing one
// too, also forgets the groups that no longer find the values their step
// left: another history changed the same attribute or text since. Every
// plan is made before any history frees what its forgotten records hold,
// so none looks at a node another one just freed.
void ForgetDepartedEverywhere(const std::vector<const CUndoList*>& skip, bool compare = false,
                              const CUndoList* ownChanges = nullptr) {
    GatherTouchedNodes(AllHistories());
    if (compare)
        for (CUndoList* history : AllHistories())
            if (history != ownChanges)
                history->TakeOthersValuesOn(Joined(g_pending[history].others, true),
                                            IsDocumentRoot);
    // The nodes a history looks at: those whose reach changed where it is
    // not skipped, those whose values others changed where it compares.
    auto nodes = [&skip, compare, ownChanges](const CUndoList& history) {
        const bool skipped = std::find(skip.begin(), skip.end(), &history) != skip.end();
        const bool values = compare && &history != ownChanges;
        PendingNodes& pending = g_pending[&history];
        std::vector<const CTreeNode*> look;
        if (!skipped)
            look = Joined(pending.reach);
        if (values) {
            const std::vector<const CTreeNode*> changed = Joined(pending.others, true);
            look.insert(look.end(), changed.begin(), changed.end());
        }
        return look;
    };
    auto plan = [&skip, compare, ownChanges, &nodes](const CUndoList& history) {
        const bool skipped = std::find(skip.begin(), skip.end(), &history) != skip.end();
        // What the history's record being taken names is its own work.
        const Referrers::LeftOut pushing(PushedNodes(history));
        return history.PlanDepartedStepsOn(nodes(history), IsDocumentRoot,
                                           compare && &history != ownChanges, !skipped);
    };
    // What a history looked at is done with.
    auto looked = [&skip, compare, ownChanges](const CUndoList& history) {
        PendingNodes& pending = g_pending[&history];
        if (std::find(skip.begin(), skip.end(), &history) == skip.end())
            pending.reach.clear();
        if (compare && &history != ownChanges)
            pending.others.clear();
    };
    // How many undo records at least a history forgets: an editor whose
    // work under way began with a step that goes lets the steps since go.
    std::unordered_map<const CUndoList*, size_t> atLeast;
    if (!g_droppingWork) {
        // Another editor whose steps go drops its work under way first,
        // while what that work made is still where it left it.
        for (CVorpelView* view : std::vector<CVorpelView*>(g_MainFrame.m_tabWindow.GetViews())) {
            CUndoList& list = view->GetUndoList();
            const CUndoList::ForgetPlan going = plan(list);
            if (going.IsEmpty())
                continue;
            g_droppingWork = true;
            list.SetForgettingAhead(going.undoCount);
            CTabWindow::DropWorkInProgress(view);
            if (list.ForgettingAhead() > going.undoCount)
                atLeast[&list] = list.ForgettingAhead();
            list.SetForgettingAhead(0);
            g_droppingWork = false;
        }
    }
    // What dropping the work changed is looked at too.
    GatherTouchedNodes(AllHistories());
    std::vector<std::pair<CUndoList*, CUndoList::ForgetPlan>> plans;
    for (CUndoList* history : AllHistories()) {
        CUndoList::ForgetPlan forget = plan(*history);
        if (auto it = atLeast.find(history); it != atLeast.end())
            forget.undoCount =
                std::max(forget.undoCount, std::min(it->second, history->UndoCount()));
        looked(*history);
        if (!forget.IsEmpty())
            plans.emplace_back(history, forget);
    }
    for (const auto& [history, forget] : plans)
        history->Forget(forget);
}
// Conductor vertices tie to pads by address, and a tie to a pad that left
// the board stays while a history holds the pad, so that its Undo brings
// the pad back tied. A pin names its net the same way: a net one history
// takes away may still hold pins another history put in it. Once the
// history frees the pad or the net, the ties let go.
void UntieFromReleased(const std::vector<const CTreeNode*>& held) {
    std::unordered_set<const CTreeNode*> pads;
    std::unordered_set<const CTreeNode*> nets;
    for (const CTreeNode* top : held)
        if (!InSomeDocument(top))
            ForEachInSubtree(top, [&](const CTreeNode* node) {
                if (node->GetType() == NodeType::Pad)
                    pads.insert(node);
                else if (node->GetType() == NodeType::Net)
                    nets.insert(node);
                // Another history may have moved a drawn object into a node
                // this one holds (a wire into a net it inserted empty): it
                // leaves its sheet before it is freed.
                auto* object = dynamic_cast<CSheetObject*>(const_cast<CTreeNode*>(node));
                if (object && object->m_pSheet && object->m_pSheet->HasObject(object))
                    object->m_pSheet->RemoveObject(object);
                return true;
            });
    if (pads.empty() && nets.empty())
        return;
    ForEachInSubtree(static_cast<CTreeNode*>(&g_MainFrame.GetRoot(0)), [&](CTreeNode* node) {
        if (node->GetType() == NodeType::Pin) {
            auto* pin = static_cast<CPin*>(node);
            if (pin->m_pNet && nets.count(static_cast<const CTreeNode*>(pin->m_pNet)))
                pin->m_pNet = nullptr;
            return true;
        }
        if (node->GetType() != NodeType::Conductor)
            return true;
        for (ConductorVertex& v : static_cast<CConductor*>(node)->m_vertices)
            if (const CPad* pad = v.tie.GetPad();
                pad && pads.count(static_cast<const CTreeNode*>(pad)))
                v.tie = VertexTie();
        return false;
    });
}
} // namespace

void CTabWindow::WatchDetachedNodes(bool watch) {
    Tree<CTreeNode>::s_detached = watch ? NoteDetached : nullptr;
    CTreeNode::s_destroyed = watch ? NoteDestroyed : nullptr;
    g_detached.clear();
    g_pending.clear();
    g_recent.clear();
    g_recentOwner = nullptr;
}

void CTabWindow::ForgetPendingNodes(const CUndoList* history) {
    g_pending.erase(history);
}

void CTabWindow::OnHistoryChange(CUndoList& changing, CVorpelView* owner, int treeKind,
                                 CUndoList::Change change, bool after) {
    using Change = CUndoList::Change;
    // The changing history keeps a group being built (its records may name
    // a node taken out only for a moment) and has nothing to keep once
    // cleared; before an Undo or Redo it lets go, as the others do, of the
    // steps it can no longer take.
    const bool itself = change == Change::Undo || change == Change::Redo;
    // What a view does on its own behalf while another history's change
    // lets go of its steps stays that history's doing.
    const CUndoList* last = after || g_droppingWork ? nullptr : LastChanged();
    const bool compare = !after && !g_droppingWork && NoteChangeOf(changing);
    if (after) {
        // The records that entered name what the change touched; the
        // history may go on changing it while the group is being built.
        const std::vector<const CTreeNode*> touched = changing.TakeTouchedNodes();
        std::vector<const CTreeNode*> named = touched;
        AddReferents(named, changing);
        const bool sameGroup = change == Change::Push && g_recentOwner == &changing &&
                               changing.CanUndo() &&
                               !changing.UndoItemAt(changing.UndoCount() - 1)->IsGroupHead();
        if (!sameGroup) {
            // The group before is complete: what its nodes name now is
            // looked at, as the nodes are, by every history.
            if (IsHistory(g_recentOwner)) {
                std::vector<const CTreeNode*> named = g_recent;
                AddReferents(named, *g_recentOwner);
                named.erase(named.begin(),
                            named.begin() + static_cast<std::ptrdiff_t>(g_recent.size()));
                for (CUndoList* history : AllHistories())
                    NotePending(g_pending[history], named, history == g_recentOwner);
            }
            g_recent.clear();
        }
        g_recentOwner = &changing;
        g_recent.insert(g_recent.end(), touched.begin(), touched.end());
        for (CUndoList* history : AllHistories())
            NotePending(g_pending[history], named, history == &changing);
    }
    ForgetDepartedEverywhere(itself ? std::vector<const CUndoList*>{}
                                    : std::vector<const CUndoList*>{&changing},
                             compare, last);
    if (!after)
        return;
    // Records are often pushed before their node leaves: once the step is
    // complete, the others let go of what it took away.
    if (std::find(g_changedSinceSettle.begin(), g_changedSinceSettle.end(), &changing) ==
        g_changedSinceSettle.end())
        g_changedSinceSettle.push_back(&changing);
    if (!g_settlePosted && g_MainFrame.m_tabWindow.IsWindow()) {
        g_settlePosted = true;
        g_MainFrame.m_tabWindow.PostMessage(kSettleHistoriesMessage);
    }
    if (change == Change::Clear)
        return;
    // The open board editors of the board the change touched index it
    // anew, all but the changing one, whose index follows its records; not
    // at once, since the step may not be complete yet.
    const CTreeNode* board = nullptr;
    if (owner && owner->GetDocument()) {
        const CTreeNode* document = owner->GetDocument();
        board = document->GetType() == NodeType::Board ? document : FindBoardAbove(document);
        if (!board)
            return;
    } else if (treeKind != 0) {
        return;
    }
    for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews()) {
        if (view == owner || !view->GetBoardLayerIndex() || (board && view->GetDocument() != board))
            continue;
        view->CatchUpLater();
        if (view->IsWindow())
            view->Invalidate(false);
    }
}

void CTabWindow::SettleHistories() {
    g_settlePosted = false;
    const std::vector<const CUndoList*> changed = std::move(g_changedSinceSettle);
    g_changedSinceSettle.clear();
    // What changed since the last history's change is that history's own
    // doing; the others let go of the steps whose values it changed.
    CUndoList* last = LastChanged();
    if (last) {
        GatherTouchedNodes(AllHistories());
        TakeOwnValues(*last);
    }
    ForgetDepartedEverywhere(changed, true, last);
    // What changes the documents from here without a change of history (a
    // floating object, a drag going on) is the shown editor's doing.
    if (CVorpelView* view = g_MainFrame.m_tabWindow.GetActiveView())
        g_lastChanged = &view->GetUndoList();
    // Nor does the panel keep showing what the steps took out (a wire an
    // Esc dropped, a net another editor merged away) or off the shown page.
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    CVorpelView* view = tabs.GetActiveView();
    if (auto* shown = dynamic_cast<const CTreeNode*>(tabs.m_propertyGrid.GetShownObject());
        shown && (!InSomeDocument(shown) || (view && !view->Shows(shown))))
        tabs.m_propertyGrid.ShowProperties(view);
}

void CTabWindow::ForgetOtherStepsOn(const CTreeNode* node) {
    const CUndoList* keep = GetActiveUndoList();
    auto holds = [node](const CUndoList& history) { return history.NamesNode(node); };
    for (CVorpelView* view : std::vector<CVorpelView*>(g_MainFrame.m_tabWindow.GetViews())) {
        if (&view->GetUndoList() == keep || !holds(view->GetUndoList()))
            continue;
        g_droppingWork = true;
        CTabWindow::DropWorkInProgress(view);
        g_droppingWork = false;
    }
    for (CUndoList* history : AllHistories())
        if (history != keep && holds(*history))
            history->ForgetGroupsNaming(node);
}

void CTabWindow::ChangeWithoutHistory(const std::function<void()>& change) {
    // What changed since the last history's change is that history's doing;
    // what the change alters is no history's, so every record lets it
    // follow, as for another history's change its step did not make.
    if (CUndoList* last = LastChanged())
        last->TakeCurrentValues(IsDocumentRoot);
    change();
    for (CUndoList* history : AllHistories())
        history->TakeOthersValues(IsDocumentRoot);
}

void CTabWindow::NoteShownHistory(CUndoList& shown) {
    CUndoList* last = LastChanged();
    if (last == &shown)
        return;
    // The values are handed over; the others compare theirs at the next
    // change or settling, where letting go of steps is safe.
    const std::vector<CUndoList*> histories = AllHistories();
    GatherTouchedNodes(histories);
    if (last)
        TakeOwnValues(*last);
    // Not forgotten yet: the others still compare them.
    for (CUndoList* history : histories)
        if (history != last)
            history->TakeOthersValuesOn(Joined(g_pending[history].others, true), IsDocumentRoot);
    g_lastChanged = &shown;
}

const CUndoList* CTabWindow::LastChangedHistory() {
    return LastChanged();
}

void CTabWindow::ShareHistories(CVorpelView* view) {
    CUndoList& history = view->GetUndoList();
    history.SetChangeListener([&history, view](CUndoList::Change change, bool after) {
        OnHistoryChange(history, view, -1, change, after);
    });
    history.SetReleaseListener(UntieFromReleased);
}

void CTabWindow::ShareTreeHistories(bool share) {
    for (int kind = 0; kind < 3; ++kind) {
        CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind);
        if (!tree)
            continue;
        CUndoList& history = tree->GetUndoList();
        if (!share) {
            history.SetChangeListener(nullptr);
            history.SetReleaseListener(nullptr);
        } else {
            history.SetChangeListener([&history, kind](CUndoList::Change change, bool after) {
                OnHistoryChange(history, nullptr, kind, change, after);
            });
            history.SetReleaseListener(UntieFromReleased);
        }
    }
}

void CTabWindow::ReindexBoard(CVorpelView* view) {
    // The stackup decides which layers' sets a padstack's inner pads go to,
    // and no record moves them when it changes.
    if (CBoardLayerIndex* index = view->GetBoardLayerIndex()) {
        index->Clear();
        index->Build(view->GetDocument());
    }
}

CTabWindow::DocumentsWatch::Layers CTabWindow::BoardLayers(const CVorpelView* view) {
    DocumentsWatch::Layers layers;
    std::vector<const CTreeNode*> stack{view->GetDocument()};
    while (!stack.empty()) {
        const CTreeNode* node = stack.back();
        stack.pop_back();
        const int layer = node->GetType() == NodeType::Layer
                              ? static_cast<const CLayer*>(node)->m_id
                              : node->GetLayer();
        if (layer >= 0)
            layers.emplace_back(node, layer);
        for (const CTreeNode* child : node->GetChildren())
            stack.push_back(child);
    }
    std::sort(layers.begin(), layers.end());
    return layers;
}

std::vector<const void*> CTabWindow::BoardOutline(const CVorpelView* view) {
    std::vector<const void*> nodes;
    for (const CAreaNode* n = static_cast<const CBoard*>(view->GetDocument())->m_outline; n;
         n = n->m_next)
        nodes.push_back(n);
    return nodes;
}

bool CTabWindow::LayersMoved(const DocumentsWatch& before, const CVorpelView* view) {
    auto outline = std::find_if(before.outlines.begin(), before.outlines.end(),
                                [view](const auto& p) { return p.first == view; });
    if (outline != before.outlines.end() && outline->second != BoardOutline(view))
        return true;
    auto page = std::find_if(before.layers.begin(), before.layers.end(),
                             [view](const auto& p) { return p.first == view; });
    if (page == before.layers.end())
        return false;
    const DocumentsWatch::Layers now = BoardLayers(view);
    for (const auto& [node, layer] : page->second) {
        auto it = std::lower_bound(now.begin(), now.end(), std::make_pair(node, INT_MIN));
        if (it != now.end() && it->first == node && it->second != layer)
            return true;
    }
    return false;
}

void CTabWindow::StepHistory(CVorpelView* view, bool redo) {
    const CUndoList& history = view->GetUndoList();
    const size_t undoCount = history.UndoCount();
    const size_t redoCount = history.RedoCount();
    if (redo)
        view->Redo();
    else
        view->Undo();
    // Records fill the panel for some of the objects they restore and leave
    // it alone for others (positions, geometry); once the view has let go of
    // what the step took away, the panel shows what it shows as it is now.
    // A refused step leaves the panel, and a row being typed, alone.
    if (history.UndoCount() != undoCount || history.RedoCount() != redoCount)
        m_propertyGrid.RefreshProperties();
}

bool CTabWindow::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CVorpelView* view = GetActiveView();
    result = 0;
    if (msg == kSettleHistoriesMessage) {
        SettleHistories();
        return true;
    }
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_DESTROY:
        CloseAll();
        ShareTreeHistories(false);
        SetOtherStepsForgetter(nullptr);
        SetUnrecordedChanger(nullptr);
        // A settling posted to this window never arrives now: a tab window
        // made later must post its own.
        g_settlePosted = false;
        g_changedSinceSettle.clear();
        g_lastChanged = nullptr;
        WatchDetachedNodes(false);
        if (GetPropertyGrid() == &m_propertyGrid)
            SetPropertyGrid(nullptr);
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            OnSize();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        RepaintStrip();
        UpdateWindow();
        return true;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return true;
    case WM_LBUTTONUP:
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return true;
    case WM_CUT:
    case WM_COPY:
        if (view)
            view->CopyOrCut(msg == WM_CUT ? 1 : 0);
        return true;
    case WM_PASTE:
        if (view)
            view->Paste();
        return true;
    case WM_UNDO:
    case WM_EDIT_REDO:
        if (view)
            StepHistory(view, msg == WM_EDIT_REDO);
        return true;
    case EM_CANUNDO:
        result = view && view->GetUndoList().CanUndo() ? 1 : 0;
        return true;
    case EM_CANREDO:
        result = view && view->GetUndoList().CanRedo() ? 1 : 0;
        return true;
    case WM_EDIT_FIND:
        if (view)
            view->Find();
        return true;
    case WM_EDIT_FIND_NEXT:
        if (view)
            view->FindForward();
        return true;
    case WM_EDIT_FIND_PREVIOUS:
        if (view)
            view->FindBackward();
        return true;
    case WM_PROPERTY_LAYOUT:
        if (!m_views.empty())
            LayoutPanel(wParam != 0, lParam != 0);
        return true;
    default:
        return RouteToView(msg, wParam, lParam, result);
    }
}
