// The board's dialogs run from the project tree while a page is shown: the
// property panel keeps the rows of the shown page (the board's own editor
// shows the board's after the stackup), and the screen is what a full
// repaint shows. The tree's context menu is opened with the mouse through
// the window system.
#include "core/property_grid.h"
#include "dialogs/drill_table.h"
#include "platform/dialog.h"
#include "platform/list_view_control.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/pointer_input.h"
#include "tests/screen_picture.h"
#include "tests/shell/example_views_fixture.h"

#include <functional>

namespace {

class BoardDialogsTest : public ExampleViewsTest {
protected:
    // The board's context menu in the project tree, answered with command.
    void BoardMenu(UINT command) {
        ShowTree(0);
        menuAnswers.push_back(command);
        const POINT p = LabelPoint(0, board);
        MouseAt(&Tree(0), WM_RBUTTONDOWN, p, MK_RBUTTON);
        MouseAt(&Tree(0), WM_RBUTTONUP, p);
        PumpPendingMessages();
        EXPECT_TRUE(missingCommands.empty()) << "command " << command << " not in the menu";
        missingCommands.clear();
    }

};

TEST_F(BoardDialogsTest, TheShownPageKeepsItsPanel) {
    CVorpelView* boardView = g_MainFrame.OpenNodeView(board);
    ASSERT_NE(boardView, nullptr);
    CVorpelView* sheetView = g_MainFrame.OpenNodeView(sheet);
    ASSERT_NE(sheetView, nullptr);
    PumpPendingMessages();
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    struct Case {
        const char* name;
        UINT command;
        std::function<void(PlatformDialog&)> answer;
    };
    const Case cases[] = {
        {"board-settings", ID_PRJ_BOARD_PROPERTIES,
         [](PlatformDialog& d) { dialog_driver::ClickButton(d, IDOK); }},
        {"stackup", ID_PRJ_STACKUP, [](PlatformDialog& d) { dialog_driver::ClickButton(d, IDOK); }},
        // A row chosen highlights its holes on the board, closing takes the
        // highlight back.
        {"drill-table", ID_PRJ_DRILL_TABLE,
         [](PlatformDialog& d) {
             auto* list = d.GetDlgItemAs<ListViewControl>(CDrillTable::kList);
             ASSERT_NE(list, nullptr);
             dialog_driver::ClickCell(list, 0, CDrillTable::kColumnKind);
             dialog_driver::ClickButton(d, IDOK);
         }},
    };
    for (const Case& c : cases) {
        CProperty* shown = grid.GetShownObject();
        const std::wstring title = grid.GetTitle();
        {
            ScopedModalDialogHook hook([&](PlatformDialog& d) { c.answer(d); });
            BoardMenu(c.command);
        }
        PumpPendingMessages();
        EXPECT_EQ(g_pActiveView, sheetView) << c.name;
        EXPECT_EQ(grid.GetShownObject(), shown) << c.name;
        EXPECT_EQ(grid.GetTitle(), title) << c.name;
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"board-dialog-over-sheet-" +
                                                                          Utf8ToWide(c.name)));
    }
    // Over the board's own editor the stackup shows the board's rows.
    g_MainFrame.m_tabWindow.ActivateTab(g_MainFrame.m_tabWindow.FindTab(boardView));
    PumpPendingMessages();
    ASSERT_EQ(g_pActiveView, boardView);
    {
        ScopedModalDialogHook hook([](PlatformDialog& d) { dialog_driver::ClickButton(d, IDOK); });
        BoardMenu(ID_PRJ_STACKUP);
    }
    PumpPendingMessages();
    EXPECT_EQ(grid.GetShownObject(), static_cast<CProperty*>(board));
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"board-dialog-over-board"));
}

} // namespace
