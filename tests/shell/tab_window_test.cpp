// The tab window: the order views are shown in, Ctrl+Tab through them, the
// close buttons and the strip's hover and tooltip, the property panel beside
// them and the Edit messages it answers for the shown view.
#include "platform/paint_target.h"
#include "platform/tooltip_control.h"
#include "tests/pointer_input.h"
#include "tests/shell/frame_fixture.h"

namespace {

class TabWindowTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        StartFrame();
        Command(ID_NEW_PROJECT);
        for (const wchar_t* name : {L"A", L"B", L"C", L"D"})
            nodes.push_back(AddNode(g_MainFrame.GetRoot(0), L"Block", name));
    }
    CTabWindow& Tabs() { return g_MainFrame.m_tabWindow; }
    std::wstring Shown() {
        CVorpelView* v = Tabs().GetActiveView();
        return v ? v->GetDocument()->GetText() : L"";
    }
    // Ctrl+Tab as the user presses it, through the program's message filter.
    void CtrlTab() {
        SimulateKey(&Tabs(), true, VK_CONTROL, L"", MK_CONTROL);
        SimulateKey(&Tabs(), true, VK_TAB, L"\t", MK_CONTROL);
        SimulateKey(&Tabs(), false, VK_TAB, L"", MK_CONTROL);
    }
    void ReleaseCtrl() { SimulateKey(&Tabs(), false, VK_CONTROL, L"", 0); }
    POINT TabCentre(int i) { return POINT{CTabWindow::TabPitch() * i + 100, 18}; }
    POINT CloseCentre(int i) { return POINT{CTabWindow::TabPitch() * (i + 1), 18}; }
    std::vector<CTreeNode*> nodes;
};

TEST_F(TabWindowTest, NewestTabComesFirstAndClosingShowsTheOneActivatedBefore) {
    for (int i = 0; i < 3; ++i)
        OpenView(nodes[static_cast<size_t>(i)], kViewSchematic, kDocumentProject);
    // Tabs left to right: C, B, A; C is shown and is the active view.
    EXPECT_EQ(Tabs().GetView(0)->GetDocument()->GetText(), L"C");
    EXPECT_EQ(Tabs().GetView(2)->GetDocument()->GetText(), L"A");
    EXPECT_EQ(Tabs().GetActivationOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(g_pActiveView, Tabs().GetView(0));
    EXPECT_EQ(PlatformWindow::GetFocus(), &Tabs());
    EXPECT_EQ(Tabs().GetView(0)->GetWindowText(), L"New Project - C");

    Tabs().ActivateTab(2); // A
    Tabs().ActivateTab(1); // B
    EXPECT_EQ(Tabs().GetActivationOrder(), (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(Tabs().GetView(1)->IsWindowVisible());
    EXPECT_FALSE(Tabs().GetView(0)->IsWindowVisible());
    // Closing B shows A, activated before it, not its neighbour C.
    EXPECT_TRUE(Tabs().CloseTab(1, true));
    EXPECT_EQ(Shown(), L"A");
    EXPECT_EQ(Tabs().GetActivationOrder(), (std::vector<int>{1, 0}));
    EXPECT_EQ(nodes[1]->GetEditorView(), nullptr);
    // An index out of range only moves the focus.
    g_MainFrame.m_leftPane.FocusTree(0);
    Tabs().ActivateTab(7);
    EXPECT_EQ(Shown(), L"A");
    EXPECT_EQ(PlatformWindow::GetFocus(), &Tabs());

    // Opening a node again shows its tab instead of a second view.
    g_MainFrame.OpenNodeView(nodes[2]);
    EXPECT_EQ(Tabs().GetTabCount(), 2);
    EXPECT_EQ(Shown(), L"C");

    Tabs().CloseAll();
    EXPECT_EQ(Tabs().GetTabCount(), 0);
    EXPECT_EQ(g_pActiveView, nullptr);
    EXPECT_FALSE(Tabs().m_propertyGrid.IsWindowVisible());
    EXPECT_FALSE(Tabs().m_propertyTab.IsWindowVisible());
}

TEST_F(TabWindowTest, CtrlTabWalksTheViewsInTheOrderTheyWereUsed) {
    // Activation order A, B, C, D (A shown).
    for (int i = 3; i >= 0; --i)
        OpenView(nodes[static_cast<size_t>(i)], kViewSchematic, kDocumentProject);
    ASSERT_EQ(Shown(), L"A");
    std::vector<std::wstring> seen;
    for (int i = 0; i < 4; ++i) {
        CtrlTab();
        seen.push_back(Shown());
        EXPECT_EQ(g_pActiveView, Tabs().GetActiveView());
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"B", L"C", L"D", L"A"}));
    ReleaseCtrl();
    EXPECT_EQ(g_MainFrame.GetCycleStep(), 1);
    // One step at a time, Ctrl released in between: back and forth between
    // the last two views.
    CtrlTab();
    ReleaseCtrl();
    EXPECT_EQ(Shown(), L"B");
    CtrlTab();
    ReleaseCtrl();
    EXPECT_EQ(Shown(), L"A");
}

TEST_F(TabWindowTest, TheCloseButtonClosesItsTabAndHoverShowsTheCaption) {
    OpenView(nodes[0], kViewSchematic, kDocumentProject);
    OpenView(nodes[1], kViewSchematic, kDocumentProject);
    // Before any tab is hovered, the strip's own tip.
    EXPECT_EQ(Tabs().m_toolTip.GetText(), CTabWindow::kStripToolTip);
    SimulateMouse(&Tabs(), WM_MOUSEMOVE, TabCentre(1));
    EXPECT_EQ(Tabs().GetHoveredTab(), 1);
    EXPECT_EQ(Tabs().GetHoveredClose(), -1);
    EXPECT_EQ(Tabs().m_toolTip.GetText(), L"New Project - A");
    SimulateMouse(&Tabs(), WM_LBUTTONDOWN, TabCentre(1), MK_LBUTTON);
    SimulateMouse(&Tabs(), WM_LBUTTONUP, TabCentre(1));
    EXPECT_EQ(Shown(), L"A");

    SimulateMouse(&Tabs(), WM_MOUSEMOVE, CloseCentre(0));
    EXPECT_EQ(Tabs().GetHoveredClose(), 0);
    SimulateMouse(&Tabs(), WM_LBUTTONDOWN, CloseCentre(0), MK_LBUTTON);
    EXPECT_EQ(Tabs().GetTabCount(), 1);
    EXPECT_EQ(Shown(), L"A");
    EXPECT_EQ(Tabs().GetHoveredTab(), -1);
    // Leaving the strip clears the hover.
    SimulateMouse(&Tabs(), WM_MOUSEMOVE, TabCentre(0));
    SimulateMouseLeave(&Tabs());
    EXPECT_EQ(Tabs().GetHoveredTab(), -1);
    // A click on no tab does nothing.
    SimulateMouse(&Tabs(), WM_LBUTTONDOWN, POINT{900, 20}, MK_LBUTTON);
    EXPECT_EQ(Tabs().GetTabCount(), 1);
}

// The pointer moved through the window system from a tab down into the
// view: the tip shown over the tab goes, and one still waiting never comes.
TEST_F(TabWindowTest, TheTooltipGoesWhenThePointerLeavesTheStrip) {
    OpenView(nodes[0], kViewSchematic, kDocumentProject);
    ToolTipControl& tip = Tabs().m_toolTip;
    CVorpelView* view = Tabs().GetActiveView();
    MouseAt(&Tabs(), WM_MOUSEMOVE, TabCentre(0));
    ASSERT_TRUE(tip.HasTimer(ToolTipControl::kShowTimer));
    tip.SendMessage(WM_TIMER, ToolTipControl::kShowTimer); // the wait is over
    ASSERT_TRUE(tip.IsShown());
    MouseAt(view, WM_MOUSEMOVE, POINT{100, 60});
    EXPECT_FALSE(tip.IsShown());
    MouseAt(&Tabs(), WM_MOUSEMOVE, TabCentre(0));
    MouseAt(view, WM_MOUSEMOVE, POINT{100, 60});
    EXPECT_FALSE(tip.HasTimer(ToolTipControl::kShowTimer));
    EXPECT_FALSE(tip.IsShown());
}

TEST_F(TabWindowTest, TheShownTabIsPaintedOnTopAndTheViewBelowTheStrip) {
    OpenView(nodes[0], kViewSchematic, kDocumentProject);
    OpenView(nodes[1], kViewSchematic, kDocumentProject);
    RECT c = Tabs().GetClientRect();
    RECT v = Tabs().GetView(0)->GetRectInParent();
    EXPECT_EQ(v.top, CTabWindow::kStripHeight);
    EXPECT_EQ(v.right, c.right);
    EXPECT_EQ(v.bottom - v.top, c.bottom - 37);
    // The panel lies at the right edge, above the views.
    RECT panel = Tabs().m_propertyGrid.GetRectInParent();
    EXPECT_EQ(panel.right, c.right);
    EXPECT_EQ(panel.right - panel.left, CTabWindow::kPanelWidth);
    EXPECT_EQ(panel.top, CTabWindow::kStripHeight);

    auto image = PaintTarget::CreateImage(c.right, c.bottom);
    Tabs().RenderTo(*image);
    // Where the feet of the two tabs overlap, the shown one (tab 0) lies on
    // top: white. The other tab is grey, the strip around them dark.
    EXPECT_EQ(image->PixelAt(214, 28) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NE(image->PixelAt(300, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image->PixelAt(c.right - 250, 2), 0xFF323232u);
}

TEST_F(TabWindowTest, EditMessagesReachTheShownView) {
    CRecordingView* view = OpenView(nodes[0], kViewSchematic, kDocumentProject);
    EXPECT_EQ(Tabs().SendMessage(EM_CANUNDO), 0);
    Rename(view, nodes[0], L"Renamed");
    EXPECT_EQ(Tabs().SendMessage(EM_CANUNDO), 1);
    EXPECT_EQ(Tabs().SendMessage(EM_CANREDO), 0);
    Command(ID_EDIT_UNDO); // to the window with the focus: the tab window
    EXPECT_EQ(nodes[0]->GetText(), L"A");
    EXPECT_EQ(Tabs().SendMessage(EM_CANREDO), 1);
    Command(ID_EDIT_REDO);
    EXPECT_EQ(nodes[0]->GetText(), L"Renamed");
    // A command the tab window does not know goes on to the view.
    Command(ID_SCH_PLACE_WIRE);
    EXPECT_EQ(view->commands, std::vector<int>{ID_SCH_PLACE_WIRE});
    Tabs().CloseAll();
    ASSERT_EQ(g_pActiveView, nullptr);
    // Without a view the messages are answered and do nothing: the closed
    // view's history is not undone, and nothing is kept for the next view.
    EXPECT_EQ(Tabs().SendMessage(EM_CANUNDO), 0);
    EXPECT_EQ(Tabs().SendMessage(EM_CANREDO), 0);
    EXPECT_EQ(Tabs().SendMessage(WM_UNDO), 0);
    EXPECT_EQ(Tabs().SendMessage(WM_EDIT_FIND), 0);
    Tabs().SendMessage(WM_EDIT_REDO);
    PumpPendingMessages();
    EXPECT_EQ(nodes[0]->GetText(), L"Renamed");
    EXPECT_TRUE(ui.messageBoxes.empty());
    CRecordingView* next = OpenView(nodes[1], kViewSchematic, kDocumentProject);
    PumpPendingMessages();
    EXPECT_TRUE(next->commands.empty());
    EXPECT_EQ(Tabs().SendMessage(EM_CANUNDO), 0);
    EXPECT_EQ(nodes[1]->GetText(), L"B");
}

// An editor's step on a node another editor changed since goes from its
// history once the change settles; so too in a main window made after one
// that closed with a settling still to come.
TEST_F(TabWindowTest, AStepAnotherEditorChangedGoesOnceTheChangeSettles) {
    for (int window = 0; window < 2; ++window) {
        SCOPED_TRACE(window ? "the next main window" : "the first main window");
        if (window) {
            StartFrame();
            Command(ID_NEW_PROJECT);
            nodes.clear();
            for (const wchar_t* name : {L"A", L"B", L"C", L"D"})
                nodes.push_back(AddNode(g_MainFrame.GetRoot(0), L"Block", name));
        }
        CRecordingView* a = OpenView(nodes[0], kViewSchematic, kDocumentProject);
        CRecordingView* b = OpenView(nodes[1], kViewSchematic, kDocumentProject);
        Rename(a, nodes[2], L"E");
        PumpPendingMessages();
        Rename(b, nodes[2], L"F");
        PumpPendingMessages();
        EXPECT_EQ(a->GetUndoList().UndoCount(), 0u) << "the step would put back C over F";
        EXPECT_EQ(b->GetUndoList().UndoCount(), 1u);
        if (window == 0) {
            // A change, and the window goes before it settles.
            Rename(b, nodes[3], L"G");
            g_MainFrame.DestroyWindow();
            PumpPendingMessages();
        }
    }
}

} // namespace
