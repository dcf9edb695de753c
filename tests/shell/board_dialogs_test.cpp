// The board's dialogs run from the project tree while a page is shown: the
// property panel keeps the rows of the shown page (the board's own editor
// shows the board's after the stackup), and the screen is what a full
// repaint shows. The tree's context menu is opened with the mouse through
// the window system.
#include "core/property_grid.h"
#include "dialogs/drill_table.h"
#include "dialogs/stackup.h"
#include "dialogs/stackup_list_ctrl.h"
#include "platform/dialog.h"
#include "platform/list_view_control.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/focus_input.h"
#include "tests/panel_rows.h"
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

// A plane inserted by the stackup and ticked in the board editor's panel
// goes with the tree's Undo: the panel and the layer selector let go of it,
// and the editor's history keeps no record of it once a later tree edit
// frees it.
TEST_F(BoardDialogsTest, ALayerTakenBackByTheTreesUndoLeavesPanelSelectorAndHistory) {
    CVorpelView* boardView = g_MainFrame.OpenNodeView(board);
    ASSERT_NE(boardView, nullptr);
    PumpPendingMessages();
    ComboBoxControl& selector = g_MainFrame.m_boardLayerCombo;
    const int entries = selector.GetCount();
    {
        ScopedModalDialogHook hook([](PlatformDialog& d) {
            dialog_driver::ClickButton(d, CStackup::kInsertLayer);
            auto* list = d.GetDlgItemAs<CStackupListCtrl>(CStackup::kList);
            ASSERT_NE(list, nullptr);
            dialog_driver::ClickCell(list, list->GetItemCount() - 2, CStackupListCtrl::kColumnType);
            dialog_driver::ChooseInCombo(list->GetCellCombo(), 1);
            dialog_driver::ClickButton(d, IDOK);
        });
        BoardMenu(ID_PRJ_STACKUP);
    }
    PumpPendingMessages();
    ASSERT_EQ(selector.GetCount(), entries + 1);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    g_MainFrame.m_tabWindow.SetFocus();
    PressKeyAtFocus('5', MK_CONTROL);
    auto* layer = dynamic_cast<CTreeNode*>(grid.GetShownObject());
    ASSERT_TRUE(layer && layer->GetType() == NodeType::Layer) << "no plane rows";
    CPropertyListCtrl& rows = grid.GetList();
    RECT r{};
    ASSERT_TRUE(rows.GetItemRect(1, &r));
    const POINT box{rows.GetDivider() + 6, (r.top + r.bottom) / 2};
    MouseAt(&rows, WM_LBUTTONDOWN, box, MK_LBUTTON);
    MouseAt(&rows, WM_LBUTTONUP, box);
    PumpPendingMessages();
    ASSERT_EQ(panel_rows::Value(grid, L"No thermal connection"), L"[x]");
    ASSERT_TRUE(boardView->GetUndoList().CanUndo());
    Undo(0);
    EXPECT_NE(grid.GetShownObject(), static_cast<CProperty*>(layer));
    EXPECT_EQ(panel_rows::Value(grid, L"No thermal connection"), L"(no row)");
    EXPECT_EQ(selector.GetCount(), entries);
    // The new sheet frees the layer the undo took back.
    Menu(0, board, ID_PRJ_ADD_SHEET);
    EndEdit(0);
    const std::string withSheet = Saved(0);
    g_MainFrame.m_tabWindow.SetFocus();
    PressKeyAtFocus('Z', MK_CONTROL);
    PumpPendingMessages();
    ExpectSameFile(Saved(0), withSheet, "the board editor's undo");
}

} // namespace
