#include "shell/tab_window.h"

#include "core/tree_node.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/dialog.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "shell/main_frame.h"

#include <algorithm>

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

CTabWindow::CTabWindow() : m_historyGate(*this) {}

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
    CHistoryGate::ReindexBoard(view);
    if (view->IsWindow())
        PlaceView(view);
    if (CVorpelView* shown = GetActiveView())
        shown->ShowWindow(false);
    m_views.insert(m_views.begin(), view);
    m_historyGate.Share(view);
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
    m_historyGate.NoteShownHistory(GetView(index)->GetUndoList());
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
    m_historyGate.Release(view);
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
    m_historyGate.Open();
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

CTabWindow::DocumentsWatch CTabWindow::WatchDocuments() const {
    DocumentsWatch watch = m_historyGate.WatchDocuments();
    auto* node = dynamic_cast<const CTreeNode*>(m_propertyGrid.GetShownObject());
    if (node && CHistoryGate::InSomeDocument(node))
        watch.shownNode = node;
    return watch;
}

void CTabWindow::CatchUpWithDocuments(const DocumentsWatch& before) {
    m_historyGate.CatchUpWithDocuments(before);
    CVorpelView* view = GetActiveView();
    if (!view)
        return;
    g_pActiveView = view;
    view->CatchUpWithDocument();
    // The panel lets go of what left the documents, or the shown page (a
    // sheet's drawing given back to the sheet of its name).
    const CProperty* shown = m_propertyGrid.GetShownObject();
    if (before.shownNode && shown == static_cast<const CProperty*>(before.shownNode) &&
        (!CHistoryGate::InSomeDocument(before.shownNode) || !view->Shows(shown)))
        m_propertyGrid.ShowProperties(view);
    else
        m_propertyGrid.RefreshProperties();
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
    if (msg == CHistoryGate::kSettleMessage) {
        m_historyGate.SettleHistories();
        return true;
    }
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return true;
    case WM_DESTROY:
        CloseAll();
        // A settling posted to this window never arrives now: a tab window
        // made later must post its own.
        m_historyGate.Close();
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
