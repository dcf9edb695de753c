// Thousands of random clicks, drags, keys, tools, layers, menu picks and
// padstack-sheet answers on the example library in the footprint and the
// padstack editor (under the sanitizers in the checked build); afterwards
// Esc and undo all the way bring back the original bytes, and redo all the
// way the bytes before the undoing.
#include "dialogs/padstack_list_ctrl.h"
#include "platform/tree_view_control.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/random_seed.h"
#include "tests/views/library_view_fixture.h"

#include <cstdlib>
#include <random>

namespace {

class LibraryViewRandomTest : public LibraryViewTest {
protected:
    void SetUp() override {
        LibraryViewTest::SetUp();
        // Menus: any enabled item, or none.
        SetPopupMenuHook([this](const PopupMenu& menu, POINT) -> UINT {
            std::vector<UINT> enabled;
            for (const auto& item : MenuState(menu))
                if (!(item.second & MF_GRAYED))
                    enabled.push_back(item.first);
            if (enabled.empty() || Pick(4) == 0)
                return 0;
            return enabled[Pick(static_cast<int>(enabled.size()))];
        });
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float Coordinate(float range) {
        return std::uniform_real_distribution<float>(-range, range)(rng);
    }

    // The padstack sheet answered at random: cancelled, or a library item
    // picked, or a few cells set, then OK.
    void AnswerSheet(PlatformDialog& dialog) {
        auto* sheet = dynamic_cast<CPadstackSheet*>(&dialog);
        ASSERT_NE(sheet, nullptr);
        ++sheets;
        if (Pick(4) == 0) {
            dialog_driver::ClickButton(*sheet, IDCANCEL);
            return;
        }
        if (sheet->GetActiveIndex() == CPadstackSheet::kLoadPage) {
            TreeViewControl* tree = sheet->GetLoadPage()->GetTree();
            std::vector<HTREEITEM> items;
            for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextVisibleItem(i))
                items.push_back(i);
            if (!items.empty()) {
                HTREEITEM item = items[static_cast<size_t>(Pick(static_cast<int>(items.size())))];
                tree->Expand(item, TVE_EXPAND);
                tree->EnsureVisible(item);
                RECT r{};
                if (tree->GetItemRect(item, &r, true))
                    dialog_driver::Click(tree,
                                         POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
            }
        } else if (CPadstackListCtrl* list = sheet->GetCreatePage()->GetList()) {
            for (int n = Pick(4); n > 0; --n) {
                const int row = Pick(CPadstackListCtrl::kRowCount);
                if (Pick(2)) {
                    dialog_driver::ClickCell(list, row, CPadstackListCtrl::kColumnShape);
                    if (ComboBoxControl* combo = list->GetCellCombo())
                        dialog_driver::ChooseInCombo(combo, Pick(4));
                    PumpPendingMessages();
                } else {
                    dialog_driver::ClickCell(list, row, CPadstackListCtrl::kColumnWidth);
                    if (list->GetCellEdit())
                        dialog_driver::TypeIntoCell(list, Pick(5) ? L"1.5" : L"x");
                }
            }
        }
        // OK (twice when the first only closes a cell).
        dialog_driver::ClickButton(*sheet, IDOK);
        if (!sheet->IsEnded())
            dialog_driver::ClickButton(*sheet, IDOK);
    }

    // One random step of a user in the view.
    void Step(CLibraryEditorView* view, const std::vector<int>& commands, float range) {
        const float x = Coordinate(range), y = Coordinate(range);
        const WPARAM mk = Pick(6) == 0 ? MK_CONTROL : (Pick(8) == 0 ? MK_SHIFT : 0);
        switch (Pick(14)) {
        case 0:
        case 1:
        case 2:
            Click(view, x, y, mk);
            break;
        case 3:
            Drag(view, x, y, Coordinate(range), Coordinate(range));
            break;
        case 4:
        case 5:
            Move(view, x, y, mk);
            break;
        case 6:
            RightClick(view, x, y);
            break;
        case 7: {
            const int keys[] = {VK_ESCAPE, VK_DELETE, 'H', 'V', 'R', VK_BACK, VK_LEFT, VK_DOWN,
                                '0',       '1',       '2', '3', '4', '5',     '7',     '9'};
            const int key = keys[Pick(static_cast<int>(std::size(keys)))];
            Key(key, key >= '0' && key <= '9' && Pick(2) ? MK_SHIFT : 0);
            break;
        }
        case 8:
        case 9:
            Command(commands[static_cast<size_t>(Pick(static_cast<int>(commands.size())))]);
            break;
        case 10:
            ChooseLayerEntry(Pick(g_LayerSelector.GetCount()));
            break;
        case 11: {
            const UINT messages[] = {WM_COPY, WM_CUT, WM_PASTE, WM_UNDO, WM_EDIT_REDO};
            g_MainFrame.m_tabWindow.SendMessage(messages[Pick(5)]);
            PumpPendingMessages();
            break;
        }
        case 12:
            if (Pick(3) == 0)
                Command(ID_EDIT_MOVE_ORIGIN);
            else
                Key(VK_ESCAPE);
            break;
        default:
            // The middle button pans.
            SimulateMouse(view, WM_MBUTTONDOWN, At(view, x, y), MK_MBUTTON);
            SimulateMouse(view, WM_MOUSEMOVE, At(view, x + 1, y + 1), MK_MBUTTON);
            SimulateMouse(view, WM_MBUTTONUP, At(view, x + 1, y + 1));
            PumpPendingMessages();
            break;
        }
    }

    // Now and then the tab closes in the middle of whatever is under way:
    // No takes the library back to where it was saved, the original, and
    // the view opens again.
    template <class Open>
    void CloseNowAndThen(CLibraryEditorView*& view, const std::string& original, Open open) {
        if (Pick(150) != 0)
            return;
        ui.Answer({IDNO});
        Command(ID_WINDOW_CLOSE);
        ui.DropAnswers();
        ASSERT_LT(g_MainFrame.m_tabWindow.FindTab(view), 0);
        EXPECT_EQ(Saved(), original) << "after closing the tab";
        view = open();
        ASSERT_NE(view, nullptr);
    }

    // Esc until the tool rests, then undo everything: the original bytes;
    // redo as much: the bytes before the undoing; and undo again, for the
    // next view to start from the original.
    void UndoAll(CLibraryEditorView* view, const std::string& original, const wchar_t* name) {
        // The walk's last clicks may have landed on the property panel beside
        // the view and left it the focus; the user's Esc is meant for the view.
        g_MainFrame.m_tabWindow.SetFocus();
        for (int i = 0; i < 4; ++i)
            Key(VK_ESCAPE);
        ASSERT_EQ(view->GetCurrentPrimitive(), nullptr)
            << view->GetCurrentTool() << " " << view->GetCurrentPrimitive()->GetKind() << " "
            << g_MainFrame.GetPropertyGrid().IsEditing();
        const std::string worked = Saved();
        CUndoList& undo = view->GetUndoList();
        size_t undone = 0;
        for (; undo.CanUndo() && undone < 100000; ++undone)
            Undo();
        EXPECT_FALSE(undo.CanUndo());
        EXPECT_EQ(Saved(), original) << WideToUtf8(name) << " after undoing everything";
        // As many steps as were undone: undos of the walk may have left more.
        for (size_t i = 0; i < undone; ++i)
            Redo();
        EXPECT_EQ(Saved(), worked) << WideToUtf8(name) << " after redoing everything";
        for (size_t guard = 0; undo.CanUndo() && guard < 100000; ++guard)
            Undo();
    }

    // VORPEL_RANDOM_SEED picks another sequence for a longer search.
    RandomSeed seed{20260522u};
    std::mt19937 rng{seed.Value()};
    int sheets = 0;
};

TEST_F(LibraryViewRandomTest, FootprintEditor) {
    ScopedModalDialogHook hook([this](PlatformDialog& d) { AnswerSheet(d); });
    const std::string original = Saved();
    const std::vector<int> commands = {
        ID_FP_SELECT_OBJECT,
        ID_FP_SELECT_PADSTACK,
        ID_FP_PLACE_PADSTACK,
        ID_DRAW_LINE,
        ID_DRAW_RECTANGLE,
        ID_DRAW_POLYGON,
        ID_DRAW_ELLIPSE,
        ID_DRAW_ARC,
        ID_DRAW_CURVE,
        ID_DRAW_TEXT,
        ID_SNAP_TO_GRID,
        ID_SHOW_PAD_NUMBERS,
        ID_FP_PADSTACK_FROM_LIBRARY,
        ID_FP_PADSTACK_CREATE,
        ID_VIEW_ZOOM_ALL,
        ID_VIEW_ZOOM_IN,
        ID_VIEW_ZOOM_OUT,
        ID_FP_TRANSFORM_ROTATE,
    };
    const wchar_t* names[] = {L"DIP8", L"SHAPES", L"R0805"};
    for (const wchar_t* name : names) {
        CLibraryEditorView* view = OpenFootprint(name);
        ASSERT_NE(view, nullptr);
        for (int i = 0; i < 1200; ++i) {
            Step(view, commands, 9);
            ASSERT_EQ(g_pActiveView, view);
            CloseNowAndThen(view, original, [&] { return OpenFootprint(name); });
        }
        UndoAll(view, original, name);
    }
    EXPECT_GT(sheets, 0);
}

TEST_F(LibraryViewRandomTest, PadstackEditor) {
    const std::string original = Saved();
    const std::vector<int> commands = {
        ID_TOOL_SELECT,
        ID_DRAW_LINE,
        ID_DRAW_RECTANGLE,
        ID_DRAW_POLYGON,
        ID_DRAW_ELLIPSE,
        ID_DRAW_ARC,
        ID_DRAW_CURVE,
        ID_DRAW_TEXT,
        ID_SNAP_TO_GRID,
        ID_PS_SHOW_THERMAL,
        ID_VIEW_ZOOM_ALL,
        ID_VIEW_ZOOM_IN,
        32909,
        32914,
    };
    for (const wchar_t* name : {L"CUSTOM2", L"ROUND1.6D0.8", L"OBLONG1.2X2.4S"}) {
        CLibraryEditorView* view = OpenPadstack(name);
        ASSERT_NE(view, nullptr);
        for (int i = 0; i < 1200; ++i) {
            Step(view, commands, 4);
            ASSERT_EQ(g_pActiveView, view);
            CloseNowAndThen(view, original, [&] { return OpenPadstack(name); });
        }
        UndoAll(view, original, name);
    }
}

} // namespace
