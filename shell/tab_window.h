// The right-hand pane of the main window: owns the open editor views and
// shows one at a time below a painted strip of tabs (newest at the left, the
// shown one on top, each with a close button), hosts the property panel and
// its caption tab at its top right, keeps g_pActiveView on the shown view,
// answers the Edit messages for it and passes every message it does not
// handle itself on to the shown view. Closing a modified view asks whether
// to save it; declining undoes the view's unsaved changes.
#pragma once

#include "core/property_grid.h"
#include "core/property_tab.h"
#include "core/undo_list.h"
#include "platform/logical_font.h"
#include "platform/tooltip_control.h"
#include "platform/window.h"
#include "shell/history_gate.h"

#include <memory>
#include <string>
#include <vector>

class CTreeNode;
class CVorpelView;

class CTabWindow : public PlatformWindow {
public:
    // Geometry, pixels.
    static constexpr int kStripHeight = 38;
    static constexpr int kTabTop = 4;
    static constexpr int kTabBottom = 32;
    static constexpr int kPanelWidth = 200;
    static constexpr const wchar_t* kStripToolTip = L"Enter a number and click OK";

    CTabWindow();
    ~CTabWindow() override;

    // Takes an already created view (a child window of this one) as tab 0
    // and shows it: g_pActiveView becomes the view, the tab window takes the
    // focus and the panel shows the view's own properties. A value still
    // being typed into the panel is taken first, for the view it belongs to
    // (as ActivateTab does).
    void AddTab(CVorpelView* view);
    // Shows tab index; an index out of range or the shown tab only moves
    // the focus to the tab window.
    void ActivateTab(int index);
    // Drops the work under way (a floating object, a wire or route being
    // drawn) in every view of a document kind, or of all kinds for -1:
    // nothing half made may be saved or stay behind a closed view.
    void DropWorkInProgress(int documentKind = -1);
    // The same for one view.
    static void DropWorkInProgress(CVorpelView* view);
    // The gate every change of the histories passes (the trees' and the
    // views').
    CHistoryGate& GetHistoryGate() { return m_historyGate; }
    // Closes one tab; the view's work under way goes first. With prompt, a
    // view with unsaved changes asks "Page
    // was changed; save changes?": Yes saves its document as the frame's
    // Save command does (asking for a name when it has none) and keeps the
    // tab open when that fails or is cancelled; No undoes the view's changes
    // back to its saved state. False when the tab stayed open.
    bool CloseTab(int index, bool prompt);
    // Closes every view without a prompt (their changes stay in the
    // documents).
    void CloseAll();
    // Applies a value still being typed into the panel as Enter does, for
    // the view shown (its undo step in that view's history, the keyboard
    // back to the view): what is saved or asked about includes it.
    void ApplyPanelValue();

    // What the open views' documents hold before a change the views do not
    // make themselves: a tree's Undo or Redo, a board dialog run from a tree;
    // with the object the panel shows.
    using DocumentsWatch = CHistoryGate::DocumentsWatch;
    DocumentsWatch WatchDocuments() const;
    // After such a change: a view whose page lost nodes (not pages of their
    // own, which close with their views) lets go of its history, whose
    // records may name them after the tree's history frees them; its work
    // under way goes first, and unsaved changes stay noted for the document.
    // The shown view lets go of what left it, and the panel shows only what
    // is still in a document, as it now is.
    // A board editor's view also lets go of its history when objects of its
    // board moved to other layers or the stackup's layers changed ids (its
    // records would put them back by the old ids) or its board's outline
    // was read anew, and indexes its board anew.
    void CatchUpWithDocuments(const DocumentsWatch& before);
    // Ctrl+Tab: steps through the views in most-recently-used order while
    // Ctrl is held (step counts up; the frame sets it back to 1 when Ctrl
    // is released). Returns true when it did something.
    bool CycleTabs(int& step);

    // The tab whose view window is window; -1 for null or none.
    int FindTab(const PlatformWindow* window) const;
    // The tab whose view edits node; -1 when none.
    int FindTabByDocument(const CTreeNode* node) const;

    int GetTabCount() const { return static_cast<int>(m_views.size()); }
    CVorpelView* GetView(int index) const;
    // The shown view (front of the activation order), null when none.
    CVorpelView* GetActiveView() const;
    int GetActiveTab() const { return m_order.empty() ? -1 : m_order.front(); }
    const std::vector<CVorpelView*>& GetViews() const { return m_views; }
    const std::vector<int>& GetActivationOrder() const { return m_order; }
    int GetHoveredTab() const { return m_hoverTab; }
    int GetHoveredClose() const { return m_hoverClose; }

    // Offered every queued message by the frame while the left pane does
    // not have the focus: the tooltip, the property panel, then the shown
    // view's own pre-translation (Esc in the panel with no row open as if
    // pressed over the view).
    bool PreTranslateMessage(Message* msg) override;

    // The distance from one tab to the next: 200 pixels where the captions'
    // face has the width the strip was laid out for, wider where it is
    // wider, so a caption keeps its room. A tab is 28 pixels wider than
    // that; its close button ends 7 pixels before its right end.
    static int TabPitch();
    static int TabWidth() { return TabPitch() + 28; }
    // The captions' font.
    static LogFont CaptionFont();
    // Geometry of tab i: its outline's bounding rectangle, the close
    // button's circle box, the room of its caption (which ends short of the
    // close button), and hit tests in client coordinates.
    static RECT TabRect(int index);
    static RECT CloseButtonRect(int index);
    static RECT CaptionRect(int index);
    bool IsPointInTab(int index, POINT client) const;
    static bool IsPointInCloseButton(int index, POINT client);

    CPropertyGrid m_propertyGrid;
    CPropertyTab m_propertyTab;
    ToolTipControl m_toolTip;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Takes a value still being typed into the panel while the view shown
    // is the active one: its undo record belongs to that view.
    void TakePanelValue();
    // Undo or Redo of the shown view, then the panel brought up to date.
    void StepHistory(CVorpelView* view, bool redo);
    void OnCreate();
    void OnSize();
    void OnPaint();
    void OnMouseMove(POINT p);
    void OnMouseLeave();
    void OnLButtonDown();
    void LayoutPanel(bool open, bool resize);
    void PlaceView(CVorpelView* view);
    void ShowFront();
    void RepaintStrip();
    void InvalidateTab(int index);
    void InvalidateClose(int index);
    bool RouteToView(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void DestroyView(CVorpelView* view);

    // Every history, the trees' and the editors', shares the documents
    // through it (see CUndoList's change listener).
    CHistoryGate m_historyGate;
    std::vector<CVorpelView*> m_views;
    std::vector<int> m_order;
    int m_hoverTab = -1;
    int m_hoverClose = -1;
    bool m_tracking = false;
};
