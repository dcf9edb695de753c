// Thousands of random user events on the example sheet: clicks with and
// without Ctrl and Shift, drags, right clicks answered with a random menu
// item, keys (Delete, H, R, V, arrows, Esc), the tools with the part browser
// answered at random, copy, cut, undo, redo, zoom and searches. Under the
// sanitizers nothing may crash or touch freed memory; at the end undoing
// everything gives the original bytes and the original netlist, and redoing
// everything the bytes before the undoing.
//
// VORPEL_RANDOM_SEED chooses the seed, VORPEL_RANDOM_STEPS the number of
// events.
#include "tests/views/half_made_check.h"
#include "tests/views/schematic_view_fixture.h"

#include "dialogs/sel_part.h"
#include "platform/dialog.h"
#include "platform/list_box_control.h"
#include "tests/panel_rows.h"
#include "tests/random_seed.h"

#include <cstdio>
#include <random>

namespace {

class RandomSchematicTest : public SchematicViewTest {
protected:
    std::mt19937 rng;
    int Random(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    POINT Somewhere() {
        // Mostly where the example's objects are, sometimes anywhere.
        if (Random(5) == 0)
            return POINT{Random(120) - 5, Random(90) - 5};
        return POINT{5 + Random(30), 3 + Random(18)};
    }
    WPARAM Modifiers() {
        const int r = Random(8);
        return r == 0 ? MK_CONTROL : r == 1 ? MK_SHIFT : 0;
    }
};

TEST_F(RandomSchematicTest, RandomEventsOnTheExampleSheetUndoToTheOriginal) {
    const RandomSeed seed(20240611u);
    int steps = 2000;
    if (const char* s = std::getenv("VORPEL_RANDOM_STEPS"))
        steps = std::atoi(s);
    std::printf("%d steps\n", steps);
    rng.seed(seed.Value());

    const std::wstring examples = PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples");
    std::string symbols;
    ASSERT_TRUE(ReadWholeFile(PathJoin(examples, L"demo.symbol"), symbols));
    ASSERT_TRUE(WriteWholeFile(
        PathJoin(g_MainFrame.GetDefaultFolder(kDocumentSymbolLibrary), L"demo.symbol"), symbols));
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    CSchematicView* main = view;
    CSheet* mainSheet = main->GetSheet();
    // Zoomed in so far that the grid is lines, with the example's objects
    // in the window.
    auto home = [&] {
        main->SetZoom(3, 1);
        main->SetScrollOffset(POINT{0, 0});
        const POINT corner = ClientAt({2, 24});
        main->SetScrollOffset(POINT{10 - corner.x, 10 - corner.y});
    };
    home();
    const std::string netlist = Netlist();

    // Menus: a random item (grayed ones are never chosen) or none.
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) -> UINT {
        std::vector<UINT> ids;
        for (const PopupMenu::Item& item : menu.Items())
            if (item.id && !(item.flags & MF_GRAYED))
                ids.push_back(item.id);
        if (ids.empty() || Random(4) == 0)
            return 0;
        return ids[static_cast<size_t>(Random(static_cast<int>(ids.size())))];
    });
    // The part browser: a random package and part, or Cancel.
    ScopedModalDialogHook browser([&](PlatformDialog& d) {
        if (!dynamic_cast<CSelPart*>(&d) || Random(4) == 0) {
            d.EndDialog(IDCANCEL);
            return;
        }
        auto* files = d.GetDlgItemAs<ListBoxControl>(CSelPart::kFileList);
        RECT r{};
        if (files && files->GetItemRect(0, &r)) {
            SimulateMouse(files, WM_LBUTTONDOWN, POINT{5, (r.top + r.bottom) / 2}, MK_LBUTTON);
            SimulateMouse(files, WM_LBUTTONUP, POINT{5, (r.top + r.bottom) / 2});
        }
        auto* packages = d.GetDlgItemAs<ListBoxControl>(CSelPart::kPackageList);
        if (packages && packages->GetItemRect(Random(3), &r)) {
            SimulateMouse(packages, WM_LBUTTONDOWN, POINT{5, (r.top + r.bottom) / 2}, MK_LBUTTON);
            SimulateMouse(packages, WM_LBUTTONUP, POINT{5, (r.top + r.bottom) / 2});
        }
        if (PlatformWindow* ok = d.GetDlgItem(IDOK)) {
            SimulateMouse(ok, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
            SimulateMouse(ok, WM_LBUTTONUP, POINT{3, 3});
        }
    });
    FindSettings& find = GetFindSettings();
    find.scope = &Root();
    find.partRefDes = find.net = find.pinName = find.comment = true;

    const int tools[] = {ID_TOOL_SELECT,   ID_TOOL_SELECT,    ID_SCH_PLACE_WIRE, ID_SCH_PLACE_WIRE,
                         ID_SCH_PLACE_BUS, ID_SCH_PLACE_TEXT, ID_SCH_PLACE_PART};
    const int keys[] = {VK_DELETE, 'H', 'R', 'V', VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
    for (int step = 0; step < steps; ++step) {
        // Searches may have brought another sheet's view to the front; the
        // events are for the example sheet.
        if (g_MainFrame.GetActiveView() != main)
            g_MainFrame.OpenNodeView(mainSheet);
        view = main;
        if (step % 250 == 0) {
            std::printf("step %d: %zu objects on the sheet, %zu undo records\n", step,
                        mainSheet->m_objects.size(), main->GetUndoList().UndoCount());
            std::fflush(stdout);
        }
        // Copies of copies would grow the sheet without bound and every
        // repaint with it; past a few hundred objects steps give some back.
        if (mainSheet->m_objects.size() > 200 && Random(2) == 0) {
            Key(VK_ESCAPE);
            Command(ID_EDIT_UNDO);
            continue;
        }
        const POINT p = Somewhere();
        const int kind = Random(100);
        if (kind < 25) {
            Click(p, Modifiers());
        } else if (kind < 30) {
            DoubleClick(p, Modifiers());
        } else if (kind < 45) {
            MoveTo(p, Modifiers());
        } else if (kind < 55) {
            Drag(p, Somewhere(), Modifiers());
        } else if (kind < 60) {
            MoveTo(p);
            SimulateMouse(view, WM_RBUTTONDOWN, ClientAt(p), MK_RBUTTON);
            SimulateMouse(view, WM_RBUTTONUP, ClientAt(p), 0);
            PumpPendingMessages();
        } else if (kind < 72) {
            Key(keys[Random(9)], Random(6) == 0 ? MK_SHIFT : 0);
        } else if (kind < 80) {
            Command(tools[Random(7)]);
        } else if (kind < 84) {
            Command(Random(2) ? ID_EDIT_COPY : ID_EDIT_CUT);
        } else if (kind < 91) {
            const bool undo = Random(3) != 0;
            const size_t records = main->GetUndoList().UndoCount();
            Command(undo ? ID_EDIT_UNDO : ID_EDIT_REDO);
            // After a step of the history the panel shows the values its
            // object has now (a row being typed is the user's).
            CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
            if (main->GetUndoList().UndoCount() != records && !grid.IsEditing()) {
                const panel_rows::Comparison c = panel_rows::CompareWithFreshFill(grid);
                EXPECT_TRUE(c.Equal())
                    << (undo ? "after undo" : "after redo") << " at step " << step << "\n"
                    << c.Describe();
            }
        } else if (kind < 92) {
            // The tab closes in the middle of whatever is under way; No
            // takes the project back to the original, which the sheet's
            // view opened again shows.
            ui.Answer({IDNO});
            Command(ID_WINDOW_CLOSE);
            ui.DropAnswers();
            ExpectSame(original, Save(), "after closing the tab");
            ASSERT_NE(OpenSheet(L"Main"), nullptr);
            main = view;
            home();
        } else if (kind < 95) {
            Command(ID_VIEW_ZOOM_IN + Random(3));
            home();
        } else {
            static const wchar_t* const texts[] = {L"R", L"n", L"GND", L"x", L"1"};
            find.text = texts[Random(5)];
            find.down = Random(2) != 0;
            if (Random(2))
                main->StartFind();
            else
                Key(VK_F3, find.down ? 0 : MK_SHIFT);
        }
        // A package's "Part #n" row moves that part to another sheet, whose
        // view comes forward with the part following the cursor there: an
        // edit of that view's own. The walk's edits are the example sheet's,
        // so that tab closes at once answered No, which puts the part back.
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        for (int i = tabs.GetTabCount() - 1; i >= 0; --i) {
            auto* other = dynamic_cast<CSchematicView*>(tabs.GetView(i));
            if (other && other != main && other->GetPlacingPart()) {
                ui.Answer({IDNO});
                EXPECT_TRUE(tabs.CloseTab(i, true));
                ui.DropAnswers();
            }
        }
        std::set<const CTreeNode*> underWay{main->GetFloatingText()};
        for (const CTreeNode* leg : main->GetLegsUnderWay())
            underWay.insert(leg);
        // Lifted objects follow the cursor until a click drops them.
        for (const auto& lifted : main->GetFloatingList())
            underWay.insert(lifted.node);
        ExpectNoHalfMadeObjects(board, "step " + std::to_string(step), underWay);
        if (HasFailure())
            break;
    }
    if (g_MainFrame.GetActiveView() != main)
        g_MainFrame.OpenNodeView(mainSheet);
    view = main;
    // The first Esc may only end the typing of a new text's value.
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    ASSERT_FALSE(main->IsActionInProgress());
    CUndoList& undo = main->GetUndoList();
    g_MainFrame.m_tabWindow.SetFocus();
    const std::string worked = Save();
    int undone = 0;
    for (; undo.CanUndo(); ++undone) {
        const size_t before = undo.UndoCount();
        Undo();
        if (undo.UndoCount() >= before) {
            ADD_FAILURE() << "Undo did nothing with " << before << " records left";
            break;
        }
    }
    ExpectSame(original, Save());
    EXPECT_EQ(Netlist(), netlist);
    // Every view opened by a search saw no edits of its own.
    for (CVorpelView* other : g_MainFrame.m_tabWindow.GetViews())
        EXPECT_FALSE(other->GetUndoList().CanUndo());
    // As many steps as were undone: undos of the walk may have left more.
    for (int i = 0; i < undone; ++i) {
        const size_t before = undo.RedoCount();
        Redo();
        if (undo.RedoCount() >= before) {
            ADD_FAILURE() << "Redo did nothing with " << before << " records left";
            break;
        }
    }
    ExpectSame(worked, Save());
}

} // namespace
