// Pictures of the main window with the example documents open, written to
// build/pictures/ for a person to look at: as the program starts with the
// example project, and with two pages open in the tab window beside the
// board's rows in the property panel.
#include "core/node_type.h"
#include "platform/input_simulation.h"
#include "platform/paint_target.h"
#include "tests/screen_picture.h"
#include "tests/shell/frame_fixture.h"

#include <cwchar>

namespace {

std::wstring Example(const wchar_t* name) {
    return PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), name);
}

CTreeNode* FindType(CTreeNode* node, int type) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == type)
            return child;
        if (CTreeNode* found = FindType(child, type))
            return found;
    }
    return nullptr;
}

std::unique_ptr<PaintTarget> Render(const wchar_t* name) {
    RunIdleHandlers();
    PumpPendingMessages();
    const std::wstring base(name, std::wcslen(name) - 4); // without ".png"
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, base));
    auto image = screen_picture::Grab(g_MainFrame);
    EXPECT_NE(image, nullptr);
    if (image) {
        EXPECT_TRUE(image->SavePng(PathJoin(screen_picture::PictureFolder(), name)));
    }
    return image;
}

TEST_F(FrameTest, PicturesOfTheMainWindowWithTheExampleOpen) {
    StartFrame(L"\"" + Example(L"demo.circuit") + L"\"");
    ASSERT_TRUE(ui.messageBoxes.empty());
    ASSERT_GT(g_MainFrame.GetRoot(0).GetChildCount(), 0u);
    // main-window.png is the program's own picture when it runs without a
    // display.
    auto start = Render(L"main-window-start.png");
    // The menu bar, the toolbar's New icon and the status bar are drawn.
    EXPECT_NE(start->PixelAt(20, 30), start->PixelAt(20, 60));
    RECT status = g_MainFrame.m_statusBar.GetRectInParent();
    EXPECT_LT(status.top, g_MainFrame.GetClientRect().bottom);

    CTreeNode* board = FindType(&g_MainFrame.GetRoot(0), NodeType::Board);
    CTreeNode* sheet = FindType(&g_MainFrame.GetRoot(0), NodeType::Sheet);
    ASSERT_NE(board, nullptr);
    ASSERT_NE(sheet, nullptr);
    OpenView(sheet, kViewSchematic, kDocumentProject);
    OpenView(board, kViewBoard, kDocumentProject);
    g_MainFrame.GetPropertyGrid().ShowProperties(board);
    PumpPendingMessages();
    auto pages = Render(L"main-window-pages.png");
    // The board toolbar's row is shown for the board page.
    EXPECT_TRUE(g_MainFrame.m_rebar.IsBandVisible(kBandBoard));
    EXPECT_GT(g_MainFrame.GetPropertyGrid().GetRowCount(), 0);

    // Tabs switched both ways, the panel showing another kind of object, and
    // the panel folded and unfolded: what stays on the screen after each is
    // what a full repaint shows, with nothing of the state before it.
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    ASSERT_EQ(tabs.GetTabCount(), 2);
    for (int tab : {0, 1}) {
        tabs.ActivateTab(tab);
        PumpPendingMessages();
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"main-window-tab" +
                                                                          std::to_wstring(tab)));
    }
    g_MainFrame.GetPropertyGrid().ShowProperties(sheet);
    PumpPendingMessages();
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"main-window-sheet-rows"));
    g_MainFrame.GetPropertyGrid().ShowProperties(board);
    PumpPendingMessages();
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"main-window-board-rows"));
    for (const wchar_t* state : {L"folded", L"unfolded"}) {
        SimulateMouse(&tabs.m_propertyTab, WM_LBUTTONDOWN, POINT{100, 5}, MK_LBUTTON);
        SimulateMouse(&tabs.m_propertyTab, WM_LBUTTONUP, POINT{100, 5});
        PumpPendingMessages();
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(
            g_MainFrame, std::wstring(L"main-window-panel-") + state));
    }
    g_MainFrame.GetPropertyGrid().ShowProperties(nullptr);
}

} // namespace
