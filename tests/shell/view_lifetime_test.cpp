// Views never outlive the nodes they edit: a node cut or deleted in a tree,
// or a tree edit undone, closes the views inside it (work under way in them
// included) whatever the node's kind, and Find does not open a page that
// only the history still holds. A drawing never outlives the sheet it names
// either: freed by the history, the sheet leaves it with the sheet's name,
// and a sheet that takes a name shows what the file puts on it. The symbol
// editor closes cleanly with a shape half drawn however it goes: its tab,
// Close All, or a New or Open replacing the library. The sanitizers watch
// for the rest.
#include "core/layer_combobox.h"
#include "core/property_combobox.h"
#include "core/property_grid.h"
#include "dialogs/sel_part.h"
#include "dialogs/stackup.h"
#include "dialogs/stackup_list_ctrl.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/dialogs/footprint_choice.h"
#include "tests/focus_input.h"
#include "tests/pointer_input.h"
#include "tests/screen_picture.h"
#include "tests/shell/board_index_check.h"
#include "tests/shell/example_views_fixture.h"
#include "views/board_view.h"
#include "views/schematic_find.h"
#include "views/schematic_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

class ViewLifetimeTest : public ExampleViewsTest {
protected:
    // Every open view edits a node of one of the documents.
    void ExpectViewsInDocuments(const char* when) {
        for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews()) {
            bool found = false;
            for (int kind = 0; kind < 3; ++kind)
                found = found || CLeftTabView::IsInSubtree(view->GetDocument(), &Root(kind));
            EXPECT_TRUE(found) << when << ": a view of a "
                               << WideToUtf8(view->GetDocument()->GetTagName())
                               << " outside the documents";
        }
    }
    // The editor of node with a tool chosen and a few clicks made in it.
    CVorpelView* OpenWithWork(CTreeNode* node, int tool, int clicks) {
        CVorpelView* view = g_MainFrame.OpenNodeView(node);
        EXPECT_NE(view, nullptr);
        if (!view)
            return nullptr;
        PumpPendingMessages();
        Command(tool);
        for (int i = 0; i < clicks; ++i) {
            const POINT p{160 + 60 * i, 140 + 25 * (i % 2)};
            SimulateMouse(view, WM_MOUSEMOVE, p);
            SimulateMouse(view, WM_LBUTTONDOWN, p, MK_LBUTTON);
            SimulateMouse(view, WM_LBUTTONUP, p);
            SimulateMouse(view, WM_MOUSEMOVE, POINT{p.x + 9, p.y + 7});
        }
        PumpPendingMessages();
        return view;
    }
    // The ways a sheet comes into the board, each numbering it "Sheet 1":
    // Add New Sheet, Paste of a copy of Power, Paste From File of Power.
    std::vector<std::pair<const char*, std::function<void()>>> SheetWays() {
        const std::wstring file = PathJoin(scratch, L"power.circuit");
        auto paste = [this](UINT copy, UINT paste, const std::wstring& path) {
            dialogAnswers.assign(2, path);
            Menu(0, Child(board, NodeType::Sheet, L"Power"), copy);
            Menu(0, board, paste);
        };
        return {{"Add New Sheet", [this] { Menu(0, board, ID_PRJ_ADD_SHEET); }},
                {"Paste", [=] { paste(ID_EDIT_COPY, ID_EDIT_PASTE, file); }},
                {"Paste From File",
                 [=] { paste(ID_TREE_SAVE_AS_FILE, ID_TREE_PASTE_FROM_FILE, file); }}};
    }
    // Each sheet of the board shows as many objects as the saved file puts
    // on it.
    void ExpectSheetsShowTheFile(const char* when) {
        const std::string xml = Saved(0);
        for (CTreeNode* node : board->GetChildren()) {
            const std::string named = "SheetName=\"" + WideToUtf8(node->GetText()) + "\"";
            size_t inFile = 0;
            for (size_t at = xml.find(named); at != std::string::npos; at = xml.find(named, at + 1))
                ++inFile;
            if (node->GetType() == NodeType::Sheet) {
                EXPECT_EQ(static_cast<CSheet*>(node)->m_objects.size(), inFile)
                    << when << ": sheet " << WideToUtf8(node->GetText());
            }
        }
    }
    // A sheet come in as "Sheet 1" by way of add, a wire drawn on it, and
    // the sheet's coming undone in the tree: how many objects the wire left
    // in the board under that name.
    size_t WireOnAnUndoneSheet(const std::function<void()>& add) {
        add();
        EndEdit(0);
        CTreeNode* added = Child(board, NodeType::Sheet, L"Sheet 1");
        CVorpelView* view = added ? OpenWithWork(added, ID_SCH_PLACE_WIRE, 3) : nullptr;
        if (!view) {
            ADD_FAILURE() << "no Sheet 1 to draw on";
            return 0;
        }
        SimulateMouse(view, WM_RBUTTONDOWN, POINT{300, 200}, MK_RBUTTON);
        SimulateMouse(view, WM_RBUTTONUP, POINT{300, 200});
        PressKeyAtFocus(VK_ESCAPE);
        const size_t wires = static_cast<CSheet*>(added)->m_objects.size();
        Click(0, added);
        for (int i = 0; i < 3 && added->GetParent(); ++i)
            Undo(0);
        EXPECT_EQ(added->GetParent(), nullptr);
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        return wires;
    }
    void Reopen() {
        ASSERT_TRUE(g_MainFrame.Open(WriteFile(L"demo.circuit", original[0]), 0));
        board = Child(&Root(0), NodeType::Board);
    }

    // Gestures in the editors of the board and its sheets: the page of a
    // node brought forward (opened if need be), a key, a click or a drag at
    // a point of the shown page (a sheet's grid, the board's millimetres).
    CVorpelView* Page(const wchar_t* sheetName) {
        CVorpelView* view =
            g_MainFrame.OpenNodeView(sheetName ? Child(board, NodeType::Sheet, sheetName) : board);
        PumpPendingMessages();
        EXPECT_NE(view, nullptr);
        return view;
    }
    void PageKey(int vk, WPARAM mk = 0) {
        g_MainFrame.m_tabWindow.SetFocus();
        PressKeyAtFocus(vk, mk);
        PumpPendingMessages();
    }
    POINT PagePoint(float x, float y) {
        if (auto* board = dynamic_cast<CBoardView*>(g_pActiveView))
            return BoardClientPoint(board, x, y);
        auto* sheet = dynamic_cast<CSchematicView*>(g_pActiveView);
        EXPECT_NE(sheet, nullptr);
        if (!sheet)
            return POINT{};
        const float g = static_cast<float>(sheet->GetGrid());
        std::unique_ptr<DeviceContext> dc = sheet->MakeDC();
        return sheet->LogicalToClient(dc.get(), POINT{static_cast<int>(std::lround(x * g)),
                                                      static_cast<int>(std::lround(y * g))});
    }
    void PageClick(float x, float y) {
        const POINT p = PagePoint(x, y);
        MouseAt(g_pActiveView, WM_MOUSEMOVE, p);
        MouseAt(g_pActiveView, WM_LBUTTONDOWN, p, MK_LBUTTON);
        MouseAt(g_pActiveView, WM_LBUTTONUP, p);
        PumpPendingMessages();
    }
    void PageDrag(float x, float y, float toX, float toY) {
        const POINT p = PagePoint(x, y), q = PagePoint(toX, toY);
        MouseAt(g_pActiveView, WM_MOUSEMOVE, p);
        MouseAt(g_pActiveView, WM_LBUTTONDOWN, p, MK_LBUTTON);
        MouseAt(g_pActiveView, WM_MOUSEMOVE, POINT{(p.x + q.x) / 2, (p.y + q.y) / 2}, MK_LBUTTON);
        MouseAt(g_pActiveView, WM_MOUSEMOVE, q, MK_LBUTTON);
        MouseAt(g_pActiveView, WM_LBUTTONUP, q);
        PumpPendingMessages();
    }
    // A wire through the points of the shown sheet, ended as a user ends it.
    void Wire(std::initializer_list<std::pair<float, float>> points) {
        Command(ID_SCH_PLACE_WIRE);
        for (const auto& [x, y] : points)
            PageClick(x, y);
        const POINT end = PagePoint(points.end()[-1].first, points.end()[-1].second);
        MouseAt(g_pActiveView, WM_RBUTTONDOWN, end, MK_RBUTTON);
        MouseAt(g_pActiveView, WM_RBUTTONUP, end);
        PageKey(VK_ESCAPE);
        Command(ID_TOOL_SELECT);
    }
    // The object at a point of the shown page picked and deleted.
    void DeleteAt(float x, float y) {
        Command(ID_TOOL_SELECT);
        PageClick(x, y);
        PageKey(VK_DELETE);
    }
    // A track routed on the shown board through its points, ended by Esc.
    void Route(std::initializer_list<std::pair<float, float>> points) {
        Command(ID_BRD_ROUTE_NEW);
        for (const auto& [x, y] : points)
            PageClick(x, y);
        PageKey(VK_ESCAPE);
    }
    // A resistor from the part browser put down at a point of the shown
    // sheet.
    void PlaceResistor(float x, float y) {
        ScopedModalDialogHook browser([](PlatformDialog& d) {
            auto* files = d.GetDlgItemAs<ListBoxControl>(CSelPart::kFileList);
            auto* packages = d.GetDlgItemAs<ListBoxControl>(CSelPart::kPackageList);
            ASSERT_TRUE(files && packages);
            auto click = [](ListBoxControl* list, int index) {
                RECT r{};
                ASSERT_TRUE(list->GetItemRect(index, &r)) << index;
                dialog_driver::Click(list, POINT{5, (r.top + r.bottom) / 2});
            };
            click(files, 0);
            int res = 0;
            while (res < packages->GetCount() && packages->GetText(res) != L"RES")
                ++res;
            click(packages, res);
            dialog_driver::ClickButton(d, IDOK);
        });
        Command(ID_SCH_PLACE_PART);
        PageClick(x, y);
        PageKey(VK_ESCAPE);
    }
    // R1's footprint changed to CONN2 from the browser on the shown sheet.
    void ChangeR1ToConn2() {
        Command(ID_TOOL_SELECT);
        PageClick(12, 9);
        ScopedModalDialogHook browser(
            [](PlatformDialog& d) { EXPECT_TRUE(ChooseFootprintInBrowser(d, L"CONN2")); });
        g_pActiveView->SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_CHANGE_FOOTPRINT, 0), 0);
        PumpPendingMessages();
    }
    // The saved line of U1's unit 1 up to its drawing.
    std::string UnitLine() {
        const std::string xml = Saved(0);
        const size_t at = xml.find("POLYC0,0,20,10,0,20");
        const size_t line = xml.rfind('\n', at);
        return at == std::string::npos ? "" : xml.substr(line + 1, at - line - 1);
    }
    // Where the saved line puts the unit; a point far away when it has no
    // place.
    POINT UnitXY() {
        const std::string line = UnitLine();
        const size_t at = line.find("XY=\"");
        POINT p{-1000, -1000};
        if (at != std::string::npos)
            p.x = std::atoi(line.c_str() + at + 4);
        const size_t comma = line.find(',', at);
        if (at != std::string::npos && comma != std::string::npos)
            p.y = std::atoi(line.c_str() + comma + 1);
        return p;
    }
    // The unit lies within a grid step of a point of its sheet.
    ::testing::AssertionResult UnitNear(const char* sheetName, int x, int y) {
        const POINT p = UnitXY();
        if (Contains(UnitLine(), std::string("SheetName=\"") + sheetName + "\"") &&
            std::abs(p.x - x) <= 1 && std::abs(p.y - y) <= 1)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << UnitLine();
    }
    // The "Part #n" row of the package shown in the panel set to a sheet:
    // a click opens the row's list, the sheet is picked there and taken,
    // the pointer still over the list.
    void ChoosePartRow(int n, const wchar_t* sheetName) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        CPropertyListCtrl& rows = grid.GetList();
        const std::wstring name = L"Part #" + std::to_wstring(n);
        for (int row = 0; row < grid.GetRowCount(); ++row) {
            auto* combo = dynamic_cast<CPropertyCombobox*>(grid.GetItem(row));
            if (!combo || combo->GetName() != name)
                continue;
            RECT r{};
            ASSERT_TRUE(rows.GetItemRect(row, &r));
            const POINT at{rows.GetDivider() + 30, r.top + 4};
            MouseAt(&rows, WM_LBUTTONDOWN, at, MK_LBUTTON);
            MouseAt(&rows, WM_LBUTTONUP, at);
            PumpPendingMessages();
            ASSERT_NE(combo->GetEditor(), nullptr);
            const auto& entries = combo->GetEntries();
            const auto it = std::find(entries.begin(), entries.end(), sheetName);
            ASSERT_NE(it, entries.end());
            combo->GetEditor()->SetCurSel(static_cast<int>(it - entries.begin()));
            grid.CommitRow(row);
            PumpPendingMessages();
            return;
        }
        ADD_FAILURE() << "no row " << WideToUtf8(name);
    }
    // The pointer moved over a point of the shown page.
    void PageMove(float x, float y) {
        MouseAt(g_pActiveView, WM_MOUSEMOVE, PagePoint(x, y));
        PumpPendingMessages();
    }
    // The tab of a page closed, its question answered.
    void ClosePage(const wchar_t* sheetName, int answer) {
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        const int tab =
            tabs.FindTabByDocument(sheetName ? Child(board, NodeType::Sheet, sheetName) : board);
        ASSERT_GE(tab, 0);
        ui.DropAnswers();
        ui.Answer({answer});
        ASSERT_TRUE(tabs.CloseTab(tab, true));
        ui.DropAnswers();
        PumpPendingMessages();
    }
    static void ClickIn(PlatformWindow* window, POINT p) {
        MouseAt(window, WM_LBUTTONDOWN, p, MK_LBUTTON);
        MouseAt(window, WM_LBUTTONUP, p);
    }
    // The panel's row of that name: a value typed into it with Enter, its
    // check box clicked, or its layer chosen from its list.
    int PanelRow(const std::wstring& name, RECT& r) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        for (int row = 0; row < grid.GetRowCount(); ++row)
            if (grid.GetItem(row)->GetName() == name && grid.GetList().GetItemRect(row, &r))
                return row;
        ADD_FAILURE() << "no row " << WideToUtf8(name);
        return -1;
    }
    void TypeIntoRow(const std::wstring& name, const std::wstring& text) {
        RECT r{};
        if (PanelRow(name, r) < 0)
            return;
        CPropertyListCtrl& rows = g_MainFrame.GetPropertyGrid().GetList();
        ClickIn(&rows, POINT{rows.GetDivider() + 30, r.top + 4});
        PumpPendingMessages();
        PressKeyAtFocus('A', MK_CONTROL);
        TypeAtFocus(text);
        PressKeyAtFocus(VK_RETURN);
        PumpPendingMessages();
    }
    void ClickCheckRow(const std::wstring& name) {
        RECT r{};
        if (PanelRow(name, r) < 0)
            return;
        CPropertyListCtrl& rows = g_MainFrame.GetPropertyGrid().GetList();
        ClickIn(&rows, POINT{rows.GetDivider() + 6, (r.top + r.bottom) / 2});
        PumpPendingMessages();
    }
    void ChooseLayerRow(int layer) {
        RECT r{};
        const int row = PanelRow(L"Layer", r);
        if (row < 0)
            return;
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        CPropertyListCtrl& rows = grid.GetList();
        ClickIn(&rows, POINT{rows.GetDivider() + 30, r.top + 4});
        PumpPendingMessages();
        auto* combo = dynamic_cast<CPropertyComboBase*>(grid.GetItem(row));
        ASSERT_TRUE(combo && combo->GetEditor());
        ComboBoxControl* list = combo->GetEditor();
        for (int i = 0; i < list->GetCount(); ++i)
            if (list->GetItemData(i) == static_cast<LPARAM>(kLayerNameBase + layer))
                list->SetCurSel(i);
        grid.CommitRow(row);
        PumpPendingMessages();
    }
    // The lines of a file holding needle, or the board's.
    static std::string LinesWith(const std::string& file, const char* needle) {
        std::string lines;
        for (size_t at = 0; at < file.size();) {
            const size_t end = std::min(file.find('\n', at), file.size());
            const std::string line = file.substr(at, end - at);
            if (Contains(line, needle) || Contains(line, "<Board "))
                lines += line + "\n";
            at = end + 1;
        }
        return lines;
    }
    // A package's text of that name.
    CText* PackageText(const wchar_t* name) {
        for (CTreeNode* package : board->GetChildren())
            if (package->GetType() == NodeType::Package)
                for (CTreeNode* child : package->GetChildren())
                    if (child->GetType() == NodeType::Text && child->GetText() == name)
                        return static_cast<CText*>(child);
        ADD_FAILURE() << "no text " << WideToUtf8(name);
        return nullptr;
    }
    // A point of the shown sheet where a click picks the package's text of
    // that name, drawn at the package's unit there (moved by the text's
    // offset, in tenths of the grid).
    std::pair<float, float> PickPackageText(const wchar_t* name, const wchar_t* sheetName) {
        CText* text = PackageText(name);
        if (!text)
            return {0, 0};
        POINT unit{};
        for (CTreeNode* child : text->GetParent()->GetChildren())
            if (auto* part = dynamic_cast<CSheetObject*>(child);
                part && child->GetType() == NodeType::Part && part->m_pSheet &&
                part->m_pSheet->GetText() == sheetName)
                unit = child->m_position;
        const float x = static_cast<float>(unit.x) + text->m_position.x / 10.0f;
        const float y = static_cast<float>(unit.y) + text->m_position.y / 10.0f;
        // Not where the unit lies under the text: a drag would take the unit.
        auto unitPicked = [text] {
            for (CTreeNode* child : text->GetParent()->GetChildren())
                if (child->GetType() == NodeType::Part && child->IsSelected())
                    return true;
            return false;
        };
        Command(ID_TOOL_SELECT);
        for (float dy : {0.3f, 0.6f, 0.9f})
            for (float dx : {0.5f, 1.0f, 1.5f}) {
                PageClick(x + dx, y + dy);
                if (text->IsSelected() && !unitPicked())
                    return {x + dx, y + dy};
            }
        ADD_FAILURE() << "text " << WideToUtf8(name) << " not found on " << WideToUtf8(sheetName);
        return {x, y};
    }
    // The text dragged by a grid step right and two down on the shown sheet.
    void DragPackageText(const wchar_t* text, const wchar_t* sheetName) {
        const auto [x, y] = PickPackageText(text, sheetName);
        PageDrag(x, y, x + 1, y + 2);
    }
};

// Cut, the Delete key and an undone paste in each tree, with editors open
// inside the node that leaves: each closes, the document is back to its
// bytes after undo, and after the redo and a New (which frees what the
// history held) nothing refers to the freed nodes.
TEST_F(ViewLifetimeTest, ANodeLeavingTheDocumentClosesTheViewsInside) {
    struct Case {
        const char* name;
        int kind;
        std::function<CTreeNode*()> leaving;
        std::function<void(CTreeNode* leaving)> open;
        bool byDeleteKey = false;
    };
    auto sheet = [&](const wchar_t* name) { return Child(board, NodeType::Sheet, name); };
    auto firstOf = [&](int kind, int folderType) { return Child(&Root(kind), folderType); };
    const Case cases[] = {
        {"board cut with its sheet and board editors open, a wire under way", 0,
         [&] { return board; },
         [&](CTreeNode*) {
             ASSERT_NE(g_MainFrame.OpenNodeView(board), nullptr);
             OpenWithWork(sheet(L"Main"), ID_SCH_PLACE_WIRE, 1);
         }},
        {"sheet deleted with a wire under way", 0, [&] { return sheet(L"Power"); },
         [&](CTreeNode* s) { OpenWithWork(s, ID_SCH_PLACE_WIRE, 1); }, true},
        {"symbol folder cut with a line half drawn in its symbol", 1,
         [&] { return firstOf(1, NodeType::SymbolFolder); },
         [&](CTreeNode* folder) {
             OpenWithWork(Child(folder, NodeType::Package), ID_DRAW_LINE, 1);
         }},
        {"footprint folder cut with its footprint open", 2,
         [&] { return firstOf(2, NodeType::FootprintFolder); },
         [&](CTreeNode* folder) {
             OpenWithWork(Child(folder, NodeType::Footprint), ID_DRAW_POLYGON, 2);
         }},
        // Views of any node kind, not only the ones the trees open.
        {"board cut under a view of one of its parts", 0, [&] { return board; },
         [&](CTreeNode*) {
             CTreeNode* package = Child(board, NodeType::Package);
             ASSERT_NE(package, nullptr);
             OpenView(Child(package, NodeType::Part), kViewSchematic, 0);
         }},
        {"symbol folder cut under a view of a pin", 1,
         [&] { return firstOf(1, NodeType::SymbolFolder); },
         [&](CTreeNode* folder) {
             CTreeNode* part = Child(Child(folder, NodeType::Package), NodeType::Part);
             ASSERT_NE(part, nullptr);
             OpenView(Child(part, NodeType::Pin), kViewSymbol, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(g_MainFrame.Open(paths[c.kind], c.kind));
        board = Child(&Root(0), NodeType::Board);
        CTreeNode* node = c.leaving();
        ASSERT_NE(node, nullptr);
        c.open(node);
        ASSERT_GE(g_MainFrame.m_tabWindow.GetTabCount(), 1);
        Click(c.kind, node);
        if (c.byDeleteKey)
            Key(c.kind, VK_DELETE);
        else
            Command(ID_EDIT_CUT);
        EXPECT_EQ(node->GetParent(), nullptr) << "the node did not leave";
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        ExpectViewsInDocuments("after the cut");
        Undo(c.kind);
        ExpectSameFile(Saved(c.kind), original[c.kind], "after undo");
        Redo(c.kind);
        ExpectViewsInDocuments("after redo");
        ui.Answer({IDNO});
        Command(c.kind == 0 ? ID_NEW_PROJECT : c.kind == 1 ? ID_NEW_SYMBOL : ID_NEW_FOOTPRINT);
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        ui.DropAnswers();
    }
}

// A sheet added, drawn on, its insertion undone and dropped with the redo
// steps by a new tree step: the wire drawn stays in the board naming the
// freed sheet's name, and is saved so, whatever tree history follows; a new
// sheet of that name shows it.
TEST_F(ViewLifetimeTest, AWireOnASheetTheHistoryFreedKeepsTheSheetsName) {
    for (const auto& [way, add] : SheetWays()) {
        SCOPED_TRACE(way);
        Reopen();
        const size_t wires = WireOnAnUndoneSheet(add);
        ASSERT_GT(wires, 0u) << "no wire drawn";
        // The redo steps go with the sheet they held.
        DoUndoRedo(
            0, [&] { Menu(0, Child(&Root(0), NodeType::Block), ID_PRJ_ADD_BLOCK); },
            [](const std::string& xml) {
                EXPECT_TRUE(Contains(xml, "SheetName=\"Sheet 1\"")) << "the wire lost its sheet";
            });
        // Another sheet takes the name, and the wire.
        Menu(0, board, ID_PRJ_ADD_SHEET);
        EndEdit(0);
        EXPECT_EQ(static_cast<CSheet*>(Child(board, NodeType::Sheet, L"Sheet 1"))->m_objects.size(),
                  wires);
        ExpectSheetsShowTheFile("a new sheet of the name");
    }
}

// A wire left under "Sheet 1" by a freed sheet, Main deleted, and a new
// sheet (taking the wire as "Sheet 1") named Main at once: the name it
// passed through gives the wire back, the one it takes brings Main's drawing
// alone. Renamed later, the sheet keeps the wire it showed. Undo gives the
// bytes before the naming, Redo those after.
TEST_F(ViewLifetimeTest, ASheetLeavingANameGivesBackWhatThatNameTook) {
    for (const bool atOnce : {true, false}) {
        SCOPED_TRACE(atOnce ? "named at once" : "renamed later");
        Reopen();
        const size_t wires = WireOnAnUndoneSheet([this] { Menu(0, board, ID_PRJ_ADD_SHEET); });
        ASSERT_GT(wires, 0u) << "no wire drawn";
        Menu(0, Child(&Root(0), NodeType::Block), ID_PRJ_ADD_BLOCK);
        EndEdit(0);
        auto* main = static_cast<CSheet*>(Child(board, NodeType::Sheet, L"Main"));
        const size_t drawn = main->m_objects.size();
        Menu(0, main, ID_PRJ_DELETE_SHEET);
        Menu(0, board, ID_PRJ_ADD_SHEET);
        auto* fresh = static_cast<CSheet*>(Child(board, NodeType::Sheet, L"Sheet 1"));
        ASSERT_NE(fresh, nullptr);
        ASSERT_EQ(fresh->m_objects.size(), wires);
        if (!atOnce)
            EndEdit(0);
        DoUndoRedo(
            0,
            [&] {
                if (!atOnce)
                    Menu(0, fresh, ID_TREE_RENAME);
                TypeLabel(0, L"Main");
            },
            [&](const std::string& xml) {
                ASSERT_EQ(fresh->GetText(), L"Main");
                EXPECT_EQ(Contains(xml, "SheetName=\"Sheet 1\""), atOnce)
                    << (atOnce ? "the wire went to Main" : "the wire left the sheet showing it");
                EXPECT_EQ(fresh->m_objects.size(), atOnce ? drawn : drawn + wires);
                ExpectSheetsShowTheFile("named Main");
            });
        // The naming undone, the sheet holds what it took as before; named
        // again later, it keeps it.
        Undo(0);
        EXPECT_EQ(fresh->m_objects.size(), wires);
        Menu(0, fresh, ID_TREE_RENAME);
        TypeLabel(0, L"Main");
        EXPECT_FALSE(Contains(Saved(0), "SheetName=\"Sheet 1\"")) << "named again";
    }
}

// R1 turned on Main, Main renamed and a new sheet given Main's old name:
// the turn's Undo puts R1's attributes back, its sheet's name among them,
// and R1 stays on the sheet it was turned on.
TEST_F(ViewLifetimeTest, AnUndoneTurnKeepsThePartOnItsOwnSheet) {
    auto* main = static_cast<CSheet*>(Child(board, NodeType::Sheet, L"Main"));
    const size_t drawn = main->m_objects.size();
    Page(L"Main");
    Command(ID_TOOL_SELECT);
    PageClick(12, 9);
    PageKey('R');
    PageClick(12, 9);   // puts it down turned
    PageKey(VK_ESCAPE); // and no copy follows
    const std::string turned = Saved(0);
    ASSERT_NE(turned, original[0]) << "R1 did not turn";
    Menu(0, main, ID_TREE_RENAME);
    TypeLabel(0, L"Top");
    Menu(0, board, ID_PRJ_ADD_SHEET);
    TypeLabel(0, L"Main");
    auto* fresh = static_cast<CSheet*>(Child(board, NodeType::Sheet, L"Main"));
    ASSERT_TRUE(fresh && fresh != main);
    Page(L"Top");
    const std::string named = Saved(0);
    PageKey('Z', MK_CONTROL);
    ASSERT_NE(Saved(0), named) << "nothing undone";
    EXPECT_EQ(main->m_objects.size(), drawn);
    EXPECT_TRUE(fresh->m_objects.empty());
    EXPECT_FALSE(Contains(Saved(0), "SheetName=\"Main\"")) << "R1 went to the new Main";
    ExpectSheetsShowTheFile("the turn undone");
}

// Main deleted (named "Sheet 1" first), then another sheet comes by its
// name: added, pasted, read from a file or renamed (Power, open), it shows
// the drawing the file puts on it. Undo gives the bytes before, Redo those
// after.
TEST_F(ViewLifetimeTest, ASheetTakingADeletedSheetsNameShowsItsDrawing) {
    auto ways = SheetWays();
    ways.emplace_back("Rename", [this] {
        Menu(0, Child(board, NodeType::Sheet, L"Power"), ID_TREE_RENAME);
        TypeLabel(0, L"Sheet 1");
    });
    for (const auto& [way, name] : ways) {
        SCOPED_TRACE(way);
        Reopen();
        CTreeNode* main = Child(board, NodeType::Sheet, L"Main");
        Menu(0, main, ID_TREE_RENAME);
        TypeLabel(0, L"Sheet 1");
        Menu(0, main, ID_PRJ_DELETE_SHEET);
        ExpectSheetsShowTheFile("deleted");
        ASSERT_NE(g_MainFrame.OpenNodeView(Child(board, NodeType::Sheet, L"Power")), nullptr);
        DoUndoRedo(0, name, [&](const std::string&) {
            EXPECT_NE(Child(board, NodeType::Sheet, L"Sheet 1"), nullptr);
            ExpectSheetsShowTheFile("named");
        });
    }
}

// Power cut, and Main, open, renamed "Power": it shows Power's drawing,
// whose text "Supply sheet" is picked. The tree's Undo of the rename gives
// the drawing back to the name alone, and the panel lets go of the text, as
// of anything that leaves the shown page: what is typed there next is no
// edit of a drawing no sheet shows. Redo shows it on Main again.
TEST_F(ViewLifetimeTest, ThePanelLetsGoOfADrawingATreeUndoTakesOffTheSheet) {
    Click(0, Child(board, NodeType::Sheet, L"Power"));
    Command(ID_EDIT_CUT);
    CVorpelView* view = Page(L"Main");
    ASSERT_NE(view, nullptr);
    const std::string cut = Saved(0);
    Menu(0, sheet, ID_TREE_RENAME);
    TypeLabel(0, L"Power");
    const std::string renamed = Saved(0);
    ASSERT_TRUE(Contains(renamed, "<Sheet BusWidth=\"0.5\" DotDiam=\"1\" GridSize=\"2.54\" "
                                  "SheetSize=\"297,210\" WireWidth=\"0.15\">Power"));
    auto* text = dynamic_cast<CText*>(Child(board, NodeType::Text, L"Supply sheet"));
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->m_pSheet, static_cast<CSheet*>(sheet)) << "Main does not show the drawing";
    ASSERT_EQ(Page(L"Power"), view);
    Command(ID_TOOL_SELECT);
    RECT bounds{};
    {
        std::unique_ptr<DeviceContext> dc = static_cast<CSchematicView*>(view)->MakeDC();
        bounds = text->GetBoundsOnSheet(dc.get());
    }
    const float g = static_cast<float>(static_cast<CSchematicView*>(view)->GetGrid());
    PageClick(static_cast<float>(bounds.left + bounds.right) / 2 / g,
              static_cast<float>(bounds.top + bounds.bottom) / 2 / g);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    ASSERT_EQ(grid.GetShownObject(), static_cast<CProperty*>(text)) << "the text is not picked";
    Undo(0);
    ExpectSameFile(Saved(0), cut, "after the tree's undo");
    EXPECT_NE(text->m_pSheet, static_cast<CSheet*>(sheet));
    EXPECT_EQ(grid.GetShownObject(), static_cast<CProperty*>(view))
        << "the panel keeps a text no open sheet shows";
    Redo(0);
    ExpectSameFile(Saved(0), renamed, "after the tree's redo");
    EXPECT_EQ(text->m_pSheet, static_cast<CSheet*>(sheet));
}

// A node a tree edit put in, undone away: its views close (and a view of
// any node kind inside it).
TEST_F(ViewLifetimeTest, AnUndonePasteClosesTheViewsOfWhatItPasted) {
    Click(0, board);
    Command(ID_EDIT_COPY);
    Click(0, &Root(0));
    Command(ID_EDIT_PASTE);
    ASSERT_EQ(ChildNames(&Root(0), NodeType::Board).size(), 2u);
    CTreeNode* pasted = Root(0).GetChild(Root(0).GetChildCount() - 1);
    ASSERT_EQ(pasted->GetType(), NodeType::Board);
    ASSERT_NE(g_MainFrame.OpenNodeView(Child(pasted, NodeType::Sheet, L"Power")), nullptr);
    OpenView(Child(pasted, NodeType::Package), kViewSchematic, 0);
    Undo(0);
    EXPECT_EQ(pasted->GetParent(), nullptr);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
    ExpectViewsInDocuments("after undo");
    // A new edit drops the redo, and with it the pasted board.
    Click(0, &Root(0));
    Command(ID_EDIT_PASTE);
    ExpectViewsInDocuments("after the next paste");
}

// The objects of a cut sheet still name it while the history holds it; a
// search that finds one of them shows nothing rather than opening the page
// that left.
TEST_F(ViewLifetimeTest, FindDoesNotOpenAPageCutFromTheBoard) {
    CTreeNode* power = Child(board, NodeType::Sheet, L"Power");
    ASSERT_NE(power, nullptr);
    ASSERT_NE(g_MainFrame.OpenNodeView(Child(board, NodeType::Sheet, L"Main")), nullptr);
    Click(0, power);
    Command(ID_EDIT_CUT);
    ASSERT_EQ(power->GetParent(), nullptr);
    auto* view = dynamic_cast<CSchematicView*>(g_pActiveView);
    ASSERT_NE(view, nullptr);
    FindSettings& s = GetFindSettings();
    s = FindSettings{};
    s.text = L"Supply";
    s.comment = true;
    s.scope = &Root(0);
    ui.Clear();
    view->StartFind();
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
    EXPECT_EQ(power->GetEditorView(), nullptr);
    ExpectViewsInDocuments("after Find");
    // The sheet back in its board: the same search shows it.
    Undo(0);
    view->StartFind();
    EXPECT_EQ(g_pActiveView, power->GetEditorView());
    EXPECT_NE(g_pActiveView, nullptr);
    GetFindSettings() = FindSettings{};
}

// The symbol editor left with a shape half drawn, closed every way there
// is: nothing half made stays in the library, and nothing is touched after
// it went.
TEST_F(ViewLifetimeTest, TheSymbolEditorClosesWithAShapeHalfDrawn) {
    const struct {
        const char* name;
        int tool;
        int clicks;
    } tools[] = {{"line", ID_DRAW_LINE, 1}, {"polyline", ID_DRAW_POLYGON, 2},
                 {"arc", ID_DRAW_ARC, 2},   {"pin", ID_SYM_PLACE_PIN, 0},
                 {"text", ID_DRAW_TEXT, 1}, {"rectangle", ID_DRAW_RECTANGLE, 1}};
    enum Way { Tab, CloseAll, New, Open };
    const char* const ways[] = {"tab", "Close All", "New", "Open"};
    for (const auto& tool : tools)
        for (Way way : {Tab, CloseAll, New, Open}) {
            SCOPED_TRACE(std::string(tool.name) + " closed by " + ways[way]);
            ASSERT_TRUE(g_MainFrame.Open(paths[1], 1));
            CTreeNode* folder = Child(&Root(1), NodeType::SymbolFolder);
            ASSERT_NE(folder, nullptr);
            CVorpelView* view =
                OpenWithWork(Child(folder, NodeType::Package), tool.tool, tool.clicks);
            ASSERT_NE(view, nullptr);
            ui.DropAnswers();
            ui.Answer({IDNO, IDNO});
            switch (way) {
            case Tab:
                Command(ID_WINDOW_CLOSE);
                break;
            case CloseAll:
                Command(ID_WINDOW_CLOSE_ALL);
                break;
            case New:
                Command(ID_NEW_SYMBOL);
                break;
            case Open:
                AnswerFileDialog(paths[1]);
                Command(ID_OPEN_SYMBOL_LIBRARY);
                break;
            }
            EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
            if (way == Tab || way == CloseAll || way == Open)
                ExpectSameFile(Saved(1), original[1], "after closing");
            ui.DropAnswers();
            dialogAnswers.clear();
        }
}

// A shape half drawn in the symbol editor, then a step of the editor on its
// package, which the tree renames again: the editor lets go of both steps
// and of the shape, and its Undo brings back nothing (the shape's removal
// was once a step of its own, which put the half-drawn shape back).
TEST_F(ViewLifetimeTest, AShapeUnderWayGoesWithItsForgottenStepAndNoUndoBringsItBack) {
    for (const int tool : {ID_DRAW_LINE, ID_DRAW_RECTANGLE, ID_SYM_PLACE_PIN}) {
        SCOPED_TRACE(tool);
        ASSERT_TRUE(g_MainFrame.Open(paths[1], 1));
        CTreeNode* nand =
            Child(Child(&Root(1), NodeType::SymbolFolder, L"Logic"), NodeType::Package, L"NAND2");
        ASSERT_NE(nand, nullptr);
        CVorpelView* view = OpenWithWork(nand, tool, tool == ID_SYM_PLACE_PIN ? 0 : 1);
        ASSERT_NE(view, nullptr);
        Rename(view, nand, L"NAND3");
        Menu(1, nand, ID_TREE_RENAME);
        TypeLabel(1, L"NAND4");
        PumpPendingMessages();
        const std::string renamed = Saved(1);
        std::string expected = original[1];
        const size_t at = expected.find(">NAND2");
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, 6, ">NAND4");
        ExpectSameFile(renamed, expected, "after the tree's rename");
        EXPECT_EQ(view->GetUndoList().UndoCount(), 0u);
        ASSERT_NE(g_MainFrame.OpenNodeView(nand), nullptr);
        PageKey('Z', MK_CONTROL);
        ExpectSameFile(Saved(1), renamed, "after the editor's Undo");
        ui.DropAnswers();
        ui.Answer({IDNO, IDNO});
        Command(ID_WINDOW_CLOSE_ALL);
        ui.DropAnswers();
    }
}

// The value of a new text typed into the panel when another tab comes
// forward (one already open, or one opening) is the symbol editor's edit:
// the other view's history stays empty, and with No to both pages the
// library is as it was, although the text the value named went with its
// editor's work under way.
TEST_F(ViewLifetimeTest, AValueTypedIntoThePanelStaysWithItsView) {
    CTreeNode* folder = Child(&Root(2), NodeType::FootprintFolder);
    ASSERT_NE(folder, nullptr);
    CTreeNode* footprint = Child(folder, NodeType::Footprint);
    ASSERT_NE(footprint, nullptr);
    for (const bool alreadyOpen : {true, false}) {
        SCOPED_TRACE(alreadyOpen ? "tab brought forward" : "tab opened");
        if (alreadyOpen) {
            ASSERT_NE(g_MainFrame.OpenNodeView(footprint), nullptr);
        }
        CVorpelView* symbol = OpenWithWork(
            Child(Child(&Root(1), NodeType::SymbolFolder), NodeType::Package), ID_DRAW_TEXT, 0);
        ASSERT_NE(symbol, nullptr);
        ASSERT_TRUE(g_MainFrame.GetPropertyGrid().IsEditing());
        SimulateTyping(PlatformWindow::GetFocus(), L"Half");
        CVorpelView* other = g_MainFrame.OpenNodeView(footprint);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(g_pActiveView, other);
        EXPECT_EQ(other->GetUndoList().UndoCount(), 0u);
        ui.DropAnswers();
        ui.Answer({IDNO, IDNO});
        ASSERT_TRUE(
            g_MainFrame.m_tabWindow.CloseTab(g_MainFrame.m_tabWindow.FindTab(symbol), true));
        Command(ID_WINDOW_CLOSE);
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        ExpectSameFile(Saved(1), original[1], "symbols");
        ExpectSameFile(Saved(2), original[2], "footprints");
    }
}

// A new board text's value still being typed is saved by Ctrl+S, with its
// undo step in the board editor's history, and asked about by Exit.
TEST_F(ViewLifetimeTest, AValueBeingTypedIsSavedAndAskedAbout) {
    CVorpelView* view = OpenWithWork(board, ID_TOOL_SELECT, 0);
    ASSERT_NE(view, nullptr);
    PressKeyAtFocus('1', MK_SHIFT); // Silkscreen top
    auto typeNewText = [&](const wchar_t* text) {
        Command(ID_BRD_TEXT_PLACE_FREE);
        ASSERT_TRUE(g_MainFrame.GetPropertyGrid().IsEditing());
        TypeAtFocus(text);
    };
    typeNewText(L"HELLO");
    PressKeyAtFocus('S', MK_CONTROL);
    EXPECT_TRUE(Contains(ReadFile(paths[0]), ">HELLO</Text>")) << "not saved";
    EXPECT_FALSE(g_MainFrame.IsDocumentModified(0));
    // Put down where it floats; the value is an undo step of its own.
    PressKeyAtFocus(VK_ESCAPE);
    const std::string placed = Saved(0);
    PressKeyAtFocus('Z', MK_CONTROL);
    EXPECT_TRUE(Contains(Saved(0), ">?</Text>"));
    PressKeyAtFocus('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), original[0], "after undo");
    PressKeyAtFocus('Y', MK_CONTROL);
    PressKeyAtFocus('Y', MK_CONTROL);
    ExpectSameFile(Saved(0), placed, "after redo");
    // Saved; then only a value typed into the board's grid row: Exit asks.
    PressKeyAtFocus('S', MK_CONTROL);
    const std::string saved = ReadFile(paths[0]);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    grid.ShowProperties(view);
    PumpPendingMessages();
    CPropertyListCtrl& rows = grid.GetList();
    RECT r{};
    ASSERT_TRUE(rows.GetItemRect(1, &r));
    MouseAt(&rows, WM_LBUTTONDOWN, POINT{rows.GetDivider() + 30, r.top + 4}, MK_LBUTTON);
    MouseAt(&rows, WM_LBUTTONUP, POINT{rows.GetDivider() + 30, r.top + 4});
    PumpPendingMessages();
    ASSERT_TRUE(grid.IsEditing());
    PressKeyAtFocus('A', MK_CONTROL);
    TypeAtFocus(L"2.5");
    ui.DropAnswers();
    ui.Answer({IDYES});
    Command(ID_APP_EXIT);
    EXPECT_FALSE(g_MainFrame.IsWindow());
    EXPECT_EQ(MessageBoxesWith(L"save changes"), 1);
    EXPECT_TRUE(ReadFile(paths[0]) != saved) << "not saved on exit";
}

// A value typed into a panel row and left by a press in the drawing is
// taken as Enter takes it, as a press anywhere else takes it: the drawing's
// tools fill the panel anew, which dropped it.
TEST_F(ViewLifetimeTest, APressInTheDrawingTakesTheValueBeingTyped) {
    CTreeNode* nand =
        Child(Child(&Root(1), NodeType::SymbolFolder, L"Logic"), NodeType::Package, L"NAND2");
    ASSERT_NE(nand, nullptr);
    struct Case {
        const char* name;
        CTreeNode* page;
        int kind; // the document the page edits
        int row;
        const wchar_t* typed;
        const char* saved;
        bool pick = false; // the object at (12, 9) of the sheet picked first
        // The tool the press meets; the board editor's select tool does
        // nothing with a press, its Move Component fills the board's rows
        // anew before the view takes the focus.
        int tool = ID_TOOL_SELECT;
    };
    CTreeNode* main = Child(board, NodeType::Sheet, L"Main");
    const Case cases[] = {
        {"sheet", main, 0, 2, L"400", "SheetSize=\"400,210\""},
        {"board", board, 0, 1, L"0.2", "Grid=\"5.08,1.27\"", false, // in inches
         ID_BRD_MOVE_COMPONENT},
        {"symbol", nand, 1, 0, L"SO16", "<Package Footprint=\"SO16\""},
        {"part on the sheet", main, 0, 2, L"22k", ">22k<", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVorpelView* view = g_MainFrame.OpenNodeView(c.page);
        ASSERT_NE(view, nullptr);
        PumpPendingMessages();
        Command(ID_TOOL_SELECT);
        if (c.pick)
            PageClick(12, 9);
        Command(c.tool);
        const std::string before = Saved(c.kind);
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        CPropertyListCtrl& rows = grid.GetList();
        RECT r{};
        ASSERT_TRUE(rows.GetItemRect(c.row, &r));
        MouseAt(&rows, WM_LBUTTONDOWN, POINT{rows.GetDivider() + 30, r.top + 4}, MK_LBUTTON);
        MouseAt(&rows, WM_LBUTTONUP, POINT{rows.GetDivider() + 30, r.top + 4});
        PumpPendingMessages();
        ASSERT_TRUE(grid.IsEditing());
        PressKeyAtFocus('A', MK_CONTROL);
        TypeAtFocus(c.typed);
        // The view's bottom left corner, where none of the examples draws.
        const POINT corner{8, view->GetClientRect().bottom - 8};
        MouseAt(view, WM_LBUTTONDOWN, corner, MK_LBUTTON);
        MouseAt(view, WM_LBUTTONUP, corner);
        PumpPendingMessages();
        EXPECT_FALSE(grid.IsEditing());
        const std::string taken = Saved(c.kind);
        EXPECT_TRUE(Contains(taken, c.saved)) << "the typed value was dropped";
        PageKey('Z', MK_CONTROL);
        ExpectSameFile(Saved(c.kind), before, "after undo");
        PageKey('Y', MK_CONTROL);
        ExpectSameFile(Saved(c.kind), taken, "after redo");
    }
}

// Two editors of the board's document, the board's and a sheet's or two
// sheets': the second takes away what a step of the first names (a net, a
// package, a part's package, a track's net), and its tab closes with Yes
// or No, or stays open. The first's history lets go of that step, so its
// Ctrl+Z changes nothing; the board's editor draws what the board holds,
// no history names what none holds, and no track stays tied to a pad that
// went with the closed history.
TEST_F(ViewLifetimeTest, AnEditorLetsGoOfStepsOnWhatAnotherEditorTookAway) {
    const wchar_t* const boardPage = nullptr;
    struct Case {
        const char* name;
        const wchar_t* first; // the page whose step is taken away (null: the board)
        std::function<void()> step;
        const wchar_t* second; // the page that takes it away
        std::function<void()> takeAway;
        int close; // the answer to the second's closing, or 0: left open
        std::function<void()> prepare = nullptr; // before the first step
        // The second page's step, not the first's, goes: the first's
        // Ctrl+Z takes its step back.
        bool kept = false;
    };
    const Case cases[] = {
        // The sheet's new net comes first: a wire from R1's free pin. Its
        // Undo would take the board's track with the net: the sheet's step
        // goes once the board routes, and closing the sheet keeps the net.
        {"a sheet's new net routed, the sheet closed with No", boardPage,
         [this] {
             Route({{11.5f, 12}, {8, 15}});
         },
         L"Main", nullptr, IDNO,
         [this] {
             Page(L"Main");
             Wire({{10, 9}, {7, 9}});
         },
         true},
        {"R1 moved on the board, deleted on the sheet", boardPage,
         [this] {
             Command(ID_BRD_MOVE_COMPONENT);
             PageDrag(11.5f, 12, 11.5f, 16);
         },
         L"Main", [this] { DeleteAt(12, 9); }, IDYES},
        {"N1's track deleted on the board, N1 joined to GND on the sheet", boardPage,
         [this] {
             Command(ID_BRD_ROUTE_EDIT);
             PageClick(16, 12);
             PageKey(VK_DELETE);
             PageKey(VK_DELETE);
         },
         L"Main",
         [this] {
             Wire({{17, 9}, {17, 6}, {26, 6}, {26, 9}});
         },
         IDYES},
        {"U1's part deleted on Main, its package on Power", L"Main",
         [this] { DeleteAt(30.5f, 15); }, L"Power", [this] { DeleteAt(7, 7); }, IDYES},
        {"the same, Power left open", L"Main", [this] { DeleteAt(30.5f, 15); }, L"Power",
         [this] { DeleteAt(7, 7); }, 0},
        {"DATA's wire deleted on Main, its net on Power", L"Main", [this] { DeleteAt(12, 14); },
         L"Power", [this] { DeleteAt(5, 7); }, IDYES},
        {"R1 moved on the board, its footprint changed on the sheet", boardPage,
         [this] {
             Command(ID_BRD_MOVE_COMPONENT);
             PageDrag(11.5f, 12, 11.5f, 16);
         },
         L"Main", [this] { ChangeR1ToConn2(); }, IDYES},
        // N1's track still ties to R1's pad, which Main's Delete holds: the
        // board's drag keeps that tie in its step. Main's history frees the
        // pad as the page closes, and the step lets go of the tie as the
        // track does: its Undo reads no freed pad and puts the track back.
        {"R1 deleted on the sheet, its track dragged on the board, the sheet closed", boardPage,
         [this] {
             Command(ID_BRD_ROUTE_EDIT);
             PageDrag(16, 12, 16, 14);
         },
         L"Main", nullptr, IDYES,
         [this] {
             Page(L"Main");
             DeleteAt(12, 9);
         },
         true},
        {"R3 placed on the sheet, moved onto the board, its placing undone", boardPage,
         [this] {
             Command(ID_BRD_MOVE_COMPONENT);
             PageDrag(0, -10, 40, 20);
         },
         L"Main", [this] { PageKey('Z', MK_CONTROL); }, IDYES,
         [this] {
             Page(L"Main");
             PlaceResistor(50, 40);
         }},
    };
    // The browsers list the demo libraries.
    ASSERT_TRUE(WriteWholeFile(
        PathJoin(g_MainFrame.GetDefaultFolder(kDocumentSymbolLibrary), L"demo.symbol"),
        original[kDocumentSymbolLibrary]));
    ASSERT_TRUE(WriteWholeFile(
        PathJoin(g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary), L"demo.footprint"),
        original[kDocumentFootprintLibrary]));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reopen();
        if (c.prepare)
            c.prepare();
        Page(c.second);
        Page(c.first);
        const std::string before = Saved(0);
        c.step();
        ASSERT_NE(Saved(0), before) << "the first step did nothing";
        if (c.takeAway) {
            Page(c.second);
            const std::string stepped = Saved(0);
            c.takeAway();
            ASSERT_NE(Saved(0), stepped) << "nothing taken away";
        }
        if (c.close)
            ClosePage(c.second, c.close);
        EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
        EXPECT_TRUE(ConductorsTieOnlyToPadsInReach());
        Page(c.first);
        g_pActiveView->UpdateWindow();
        const std::string taken = Saved(0);
        PageKey('Z', MK_CONTROL);
        ExpectSameFile(Saved(0), c.kept ? before : taken, "the first page's Ctrl+Z");
        EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
        g_MainFrame.m_tabWindow.CloseAll();
    }
}

// A sheet's new net routed on the board, then the sheet's Undo: the net
// would leave with the board's track, so the sheet's step goes instead and
// the board keeps its track; the board's editor draws what the board holds.
TEST_F(ViewLifetimeTest, ASheetsUndoKeepsTheNetTheBoardRoutedSince) {
    Page(L"Main");
    // The new net's name counts on from the nets earlier tests made.
    const std::vector<std::wstring> nets = ChildNames(board, NodeType::Net);
    Wire({{10, 9}, {7, 9}});
    std::string net;
    for (const std::wstring& name : ChildNames(board, NodeType::Net))
        if (std::find(nets.begin(), nets.end(), name) == nets.end())
            net = ">" + WideToUtf8(name) + "\r\n";
    ASSERT_FALSE(net.empty()) << "the wire made no net";
    Page(nullptr);
    Route({{11.5f, 12}, {8, 15}});
    const std::string routed = Saved(0);
    ASSERT_TRUE(Contains(routed, "<Conductor Layer=\"TOP\" Width=\"0.3\">11.500,12.000"));
    Page(L"Main");
    PageKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), routed, "the sheet's Undo");
    EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
    EXPECT_TRUE(BoardEditorsIndexTheirBoards());
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"board-net-kept"));
}

// Main changes R1's footprint; the board routes, one of its routes tied to
// a pad of the new footprint, the others from N1's and GND's vias; Main's
// Edit > Undo takes the new footprint's pads away. The board forgets the
// route tied to them and the routes that act on what it left, and keeps
// the others: its Ctrl+Z takes back each it keeps, and then nothing, and
// its Redo brings them back.
TEST_F(ViewLifetimeTest, ASheetsUndoCostsTheBoardOnlyTheStepOnWhatItTookAway) {
    // A route from a point, bent by the pointer passing another on its way
    // to where it is clicked, its loose end taken away by Esc.
    auto bent = [this](float x, float y, float passX, float passY, float toX, float toY) {
        Command(ID_BRD_ROUTE_NEW);
        PageClick(x, y);
        PageMove(passX, passY);
        PageClick(toX, toY);
        PageKey(VK_ESCAPE);
    };
    struct Case {
        const char* name;
        std::function<void()> routes; // the last from GND's via
        size_t kept;                  // steps the board keeps
    };
    const Case cases[] = {
        {"straight routes",
         [&] {
             Route({{18, 12}, {20, 15}});
             Route({{18, 12}, {21, 9}});
             Route({{18, 12}, {20, 17}});
             Route({{15, 12}, {15, 18}});
             Route({{30, 12}, {33, 9}});
         },
         4},
        // Esc takes each bent route's loose end without a step of its own:
        // that belongs to the route, not to a change another history made.
        {"bent routes ended by Esc",
         [&] {
             bent(18, 12, 18, 14, 16.51f, 16.51f);
             bent(18, 12, 18, 14, 19.05f, 16.51f);
             bent(18, 12, 19, 11, 20.32f, 7.62f);
             Route({{15, 12}, {15, 18}});
             Route({{30, 12}, {33, 9}});
         },
         4},
        // The route that goes starts at N1's via too: the routes from the
        // via only name the pad it also names.
        {"the forgotten route from N1's via",
         [&] {
             Route({{18, 12}, {20, 15}});
             Route({{18, 12}, {21, 9}});
             Route({{18, 12}, {15, 12}});
             Route({{30, 12}, {33, 9}});
         },
         3},
        // The route that goes ends on the track routed before it, which
        // keeps the vertex it put there: that earlier route goes with it.
        {"the forgotten route ending on an earlier track",
         [&] {
             Route({{18, 12}, {18, 16}});
             Route({{15, 12}, {18, 14}});
             Route({{30, 12}, {33, 9}});
         },
         1},
    };
    ASSERT_TRUE(WriteWholeFile(
        PathJoin(g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary), L"demo.footprint"),
        original[kDocumentFootprintLibrary]));
    auto tracksFrom = [](const std::string& xml, const char* start) {
        const std::string needle = std::string("Width=\"0.3\">") + start;
        size_t count = 0;
        for (size_t at = xml.find(needle); at != std::string::npos; at = xml.find(needle, at + 1))
            ++count;
        return count;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reopen();
        Page(nullptr);
        Page(L"Main");
        ChangeR1ToConn2();
        ASSERT_TRUE(Contains(Saved(0), "<Package Footprint=\"CONN2\""));
        Page(nullptr);
        PageKey('1');
        const std::string before = Saved(0);
        c.routes();
        const std::string routed = Saved(0);
        ASSERT_EQ(tracksFrom(routed, "30.000,12.000"), tracksFrom(before, "30.000,12.000") + 1);
        ASSERT_TRUE(Contains(LinesWith(routed, "Conductor"), "15.000,12.000"))
            << "no track at the new footprint's pad";
        Page(L"Main");
        Command(ID_EDIT_UNDO);
        const std::string undone = Saved(0);
        ASSERT_FALSE(Contains(undone, "<Package Footprint=\"CONN2\""));
        EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
        EXPECT_TRUE(ConductorsTieOnlyToPadsInReach());
        Page(nullptr);
        std::vector<std::string> states{undone};
        for (size_t i = 0; i <= c.kept; ++i) {
            PageKey('Z', MK_CONTROL);
            states.push_back(Saved(0));
        }
        for (size_t i = 1; i <= c.kept; ++i)
            EXPECT_TRUE(states[i] != states[i - 1]) << "Ctrl+Z " << i << " took nothing back";
        ExpectSameFile(states[c.kept + 1], states[c.kept], "a Ctrl+Z past the steps kept");
        EXPECT_EQ(tracksFrom(states[c.kept], "30.000,12.000"), tracksFrom(before, "30.000,12.000"));
        EXPECT_TRUE(Contains(LinesWith(states[c.kept], "Conductor"), "15.000,12.000"))
            << "the forgotten route went";
        for (size_t i = 0; i < c.kept; ++i)
            PageKey('Y', MK_CONTROL);
        ExpectSameFile(Saved(0), undone, "the board's Redo");
        EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
        g_MainFrame.m_tabWindow.CloseAll();
    }
}

// U1's unit 1 moved by its "Part #1" row on Main, put down there, then moved
// to Power the same way: the move to Power is a step of Power's history
// alone, so Main's Undo and Redo leave it (floating or put down) alone, and
// Power's own Undo and Redo take it between where it was put down on each
// sheet. The file holds it where it was put down on Power.
TEST_F(ViewLifetimeTest, APartMovedByItsRowIsAStepOfTheSheetItGoesToAlone) {
    Page(L"Power");
    CVorpelView* main = Page(L"Main");
    Command(ID_TOOL_SELECT);
    PageClick(30.5f, 15);
    ChoosePartRow(1, L"Main");
    PageMove(27, 18);
    PageClick(28, 19);
    const std::string onMain = Saved(0);
    EXPECT_TRUE(UnitNear("Main", 28, 19));
    PageClick(28.5f, 20);
    ChoosePartRow(1, L"Power");
    CVorpelView* power = g_pActiveView;
    ASSERT_NE(power, main);
    const std::string floating = Saved(0);
    EXPECT_TRUE(Contains(UnitLine(), "SheetName=\"Power\"")) << UnitLine();

    Page(L"Main");
    PageKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), floating, "Main's Undo while the part floats on Power");
    Page(L"Power");
    PageMove(20, 20);
    PageClick(21, 21);
    const std::string onPower = Saved(0);
    EXPECT_TRUE(UnitNear("Power", 21, 21));
    const std::string dropped = UnitLine();
    PageKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), onMain, "Power's Undo");
    PageKey('Y', MK_CONTROL);
    ExpectSameFile(Saved(0), onPower, "Power's Redo");
    Page(L"Main");
    PageKey('Y', MK_CONTROL);
    ExpectSameFile(Saved(0), onPower, "Main's Redo");
    PageKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), onPower, "Main's Undo");
    EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
    PressKeyAtFocus('S', MK_CONTROL);
    EXPECT_TRUE(Contains(ReadFile(paths[0]), dropped)) << "saved where it was put down";
}

// U1's unit 1 mirrored on Main (a step that records every unit of U1 and
// leaves the unit's place as it was), then moved by its row to Power and
// put down at the same coordinates there, so that no value Main's step
// left has changed but the sheet: Main's steps on the unit are gone, and
// Main's Undo does not take it back from Power unmirrored.
TEST_F(ViewLifetimeTest, APartMovedByItsRowLeavesNoStepOfTheSheetItLeft) {
    Page(L"Power");
    Page(L"Main");
    Command(ID_TOOL_SELECT);
    PageClick(30.5f, 15);
    PageKey('H');
    PageClick(30.5f, 15);
    PageKey(VK_ESCAPE);
    const std::string mirrored = Saved(0);
    ASSERT_NE(mirrored, original[0]);
    ASSERT_TRUE(Contains(mirrored, "<Part Outline=\"2,2\" SheetName=\"Main\" XY=\"30,14\">"))
        << "mirrored in its place";
    PageClick(30.5f, 15);
    ChoosePartRow(1, L"Power");
    ASSERT_NE(g_pActiveView, nullptr);
    PageMove(29, 13);
    PageClick(30, 14);
    const std::string onPower = Saved(0);
    ASSERT_TRUE(Contains(onPower, "<Part Outline=\"2,2\" SheetName=\"Power\" XY=\"30,14\">"))
        << "put down at the same coordinates";
    Page(L"Main");
    PageKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), onPower, "Main's Undo");
    PageKey('Y', MK_CONTROL);
    ExpectSameFile(Saved(0), onPower, "Main's Redo");
    EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
}

// U1's unit 1 moved by its "Part #1" row onto the sheet it is on: it leaves
// its place at once, on the screen too, and follows the pointer; put down,
// the move is one undo.
TEST_F(ViewLifetimeTest, APartMovedOntoItsOwnSheetLeavesNoDrawingBehind) {
    Page(L"Main");
    Command(ID_TOOL_SELECT);
    PageClick(30.5f, 15);
    ChoosePartRow(1, L"Main");
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"part-row-own-sheet"));
    PageMove(27, 18);
    PageClick(27, 18);
    const std::string placed = Saved(0);
    EXPECT_TRUE(UnitNear("Main", 27, 18));
    PageKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), original[0], "after undo");
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"part-row-undone"));
    PageKey('Y', MK_CONTROL);
    ExpectSameFile(Saved(0), placed, "after redo");
}

// Two pages change the same value of one object, each in its own history,
// or a change no history records comes between: each Undo and Redo takes
// back or repeats only its own step, and a history lets go of a step once
// another changed what it changed. After each gesture the file is the one
// after an earlier gesture, or a new one, and the board editor indexes what
// its board holds.
TEST_F(ViewLifetimeTest, AnUndoOrRedoActsOnlyOnItsOwnStepOfASharedValue) {
    const wchar_t* const boardPage = nullptr;
    struct Step {
        std::function<void()> act;
        int same;                   // the file as after that many steps (0: as read); -1: a new one
        const char* mark = nullptr; // in the file after the step
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    auto undo = [this](const wchar_t* page) {
        return [=, this] {
            Page(page);
            PageKey('Z', MK_CONTROL);
        };
    };
    auto redo = [this](const wchar_t* page) {
        return [=, this] {
            Page(page);
            PageKey('Y', MK_CONTROL);
        };
    };
    // BOT (a GND plane) given a net by its "Net" row on the board; N1
    // renamed on Main by its wire's "Net name" row.
    auto planeNet = [this](const wchar_t* net) {
        return [=, this] {
            Page(nullptr);
            PageKey('2');
            TypeIntoRow(L"Net", net);
        };
    };
    auto renameN1 = [this] {
        Page(L"Main");
        Command(ID_TOOL_SELECT);
        PageClick(17, 10);
        TypeIntoRow(L"Net name", L"NX");
    };
    // N1 merged into GND by a wire on Main; a chain on Main split by
    // deleting a leg.
    auto mergeN1 = [this] {
        Page(L"Main");
        Wire({{26, 9}, {17, 10}});
    };
    auto chain = [this] {
        Page(L"Main");
        Wire({{29, 15}, {29, 20}, {7, 20}, {7, 9}, {9, 9}});
    };
    auto split = [this] { DeleteAt(7, 14); };
    auto pickBoardText = [this] {
        Page(nullptr);
        PageKey('1', MK_SHIFT);
        Command(ID_BRD_TEXT_EDIT);
        PageClick(26, 21);
    };
    // A row of the stackup's "No thermal connection" column clicked, from
    // the project tree. The dialog waits for its user as a shown one does:
    // what its opening posted is delivered before the click.
    auto noThermal = [this](int row) {
        return [=, this] {
            ScopedModalDialogHook hook([row](PlatformDialog& d) {
                PumpPendingMessages();
                auto* list = d.GetDlgItemAs<CStackupListCtrl>(CStackup::kList);
                ASSERT_NE(list, nullptr);
                dialog_driver::ClickCell(list, row, CStackupListCtrl::kColumnNoThermal);
                dialog_driver::ClickButton(d, IDOK);
            });
            Menu(0, board, ID_PRJ_STACKUP);
            PumpPendingMessages();
        };
    };
    // The merge renames the planes of N1 (I02): GND's planes are then I02
    // and BOT.
    auto mergeN1IntoGnd = [this](bool withBoardEditor) {
        return [=, this] {
            if (withBoardEditor)
                Page(nullptr);
            Page(L"Main");
            Wire({{17, 9}, {17, 6}, {26, 6}, {26, 9}});
        };
    };
    const Case cases[] = {
        // A plane's other attribute changed: the merge keeps its step.
        {"N1 merged into GND on Main, Inner 2's thermal connection changed in the stackup",
         {{mergeN1IntoGnd(true), -1, "<Layer Net=\"GND\" NoThermal=\"1\" Type=\"PLANE\">I02"},
          {noThermal(2), -1, "<Layer Net=\"GND\" Type=\"PLANE\">I02"},
          {undo(L"Main"), -1, "<Layer Net=\"N1\" Type=\"PLANE\">I02"},
          {[this] { Undo(0); }, -1, "<Layer Net=\"N1\" NoThermal=\"1\" Type=\"PLANE\">I02"},
          {redo(L"Main"), 1}}},
        {"N1 merged into GND on Main without the board's editor, BOT's thermal connection changed "
         "in the stackup",
         {{mergeN1IntoGnd(false), -1},
          {noThermal(5), -1, "<Layer Net=\"GND\" NoThermal=\"1\" Type=\"PLANE\">BOT"},
          {undo(L"Main"), -1, "<Layer Net=\"N1\" NoThermal=\"1\" Type=\"PLANE\">I02"},
          {[this] { Undo(0); }, -1, "<Layer Net=\"GND\" Type=\"PLANE\">BOT"},
          {redo(L"Main"), 1}}},
        {"U1's reference text moved on Power, then on Main",
         {{[this] {
               Page(L"Power");
               DragPackageText(L"U1", L"Power");
           },
           -1},
          {[this] {
               Page(L"Main");
               DragPackageText(L"U1", L"Main");
           },
           -1},
          {undo(L"Power"), 2},
          {undo(L"Main"), 1},
          {redo(L"Power"), 1},
          {redo(L"Main"), 2}}},
        {"R1's reference text deleted on the board, shown and hidden on Main",
         {{[&, this] {
               pickBoardText();
               PageKey(VK_DELETE);
           },
           -1, "BrdVisible=\"0\" Layer=\"SST\" Name=\"RefDes\""},
          {[this] {
               Page(L"Main");
               PickPackageText(L"R1", L"Main");
               ClickCheckRow(L"Show on board");
           },
           -1},
          {[this] { ClickCheckRow(L"Show on board"); }, 1},
          {undo(boardPage), 1},
          {undo(L"Main"), 2},
          {undo(L"Main"), 1},
          {redo(boardPage), 1}}},
        {"R1's reference text put on the bottom on the board, on top by Main's footprint change",
         {{[&, this] {
               pickBoardText();
               ChooseLayerRow(23);
           },
           -1, "Layer=\"SSB\" Name=\"RefDes\" Pos=\"12.5,10\""},
          {[this] {
               Page(L"Main");
               ChangeR1ToConn2();
           },
           -1, "Layer=\"SST\" Name=\"RefDes\" Pos=\"12.5,10\""},
          {undo(L"Main"), 1},
          {undo(boardPage), 1},
          {redo(boardPage), 1}}},
        {"U1 given a footprint on Main, its reference text put on the bottom on the board, "
         "Main's Undo, then the board's",
         {{[this] {
               Page(L"Main");
               Command(ID_TOOL_SELECT);
               PageClick(31, 15);
               TypeIntoRow(L"Footprint", L"x");
           },
           -1, "<Package Footprint=\"x\""},
          {[this] {
               Page(nullptr);
               Command(ID_BRD_TEXT_EDIT);
               PageClick(33.5f, 9);
               ChooseLayerRow(23);
           },
           -1, "Layer=\"SSB\" Name=\"RefDes\" Pos=\"32.5,10\""},
          {undo(L"Main"), -1, "SOT23\" Heterogeneous"},
          {undo(boardPage), 0}}},
        // Inch to millimetres: the file leaves the unit out then.
        {"the board's grid typed into the panel, then the unit cycled in the status bar",
         {{[this] {
               Page(nullptr);
               PageKey(VK_ESCAPE);
               TypeIntoRow(L"Grid Width", L"0.1");
           },
           -1, "Grid=\"2.54,1.27\""},
          {[] {
               CSchStatusBar& bar = g_MainFrame.m_statusBar;
               const RECT r = bar.GetRect(2);
               ClickIn(&bar, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
               PumpPendingMessages();
           },
           -1, "ARC0,40,2.5\">Mainboard"},
          {undo(boardPage), -1,
           "Grid=\"1.27,1.27\" Outline=\"LIN0,0 LIN60,0 LIN60,40 ARC0,40,2.5\">"},
          {redo(boardPage), 2}}},
        // Nets merged or split on a sheet, then a track routed on the board
        // in the net that came of it: the sheet's Undo would leave the track
        // in the other net, tied to a via or pad of another, or take it away
        // with the net. The sheet's step goes instead.
        {"N1 merged into GND on Main, GND routed on the board, Main's Undo",
         {{mergeN1, -1},
          {[this] {
               Page(nullptr);
               PageKey('1');
               Route({{30, 12}, {34, 8}});
           },
           -1, "<Conductor Layer=\"TOP\" Width=\"0.3\">30.000,12.000"},
          {undo(L"Main"), 2}}},
        {"a chain on Main split by deleting a leg, the split-off side routed, Main's Undo",
         {{chain, -1},
          {split, -1},
          {[this] {
               Page(nullptr);
               PageKey('1');
               Route({{11.5f, 12}, {8, 15}});
           },
           -1, "<Conductor Layer=\"TOP\" Width=\"0.3\">11.500,12.000"},
          {undo(L"Main"), 3}}},
        // The same with an area or a plane given the net that came of it:
        // the sheet's Undo would leave it in the other net, or naming a net
        // no longer there.
        {"N1 merged into GND on Main, I03's area given GND on the board, Main's Undo",
         {{mergeN1, -1},
          {[this] {
               Page(nullptr);
               PageKey('3', MK_CONTROL);
               Command(ID_BRD_AREA_EDIT);
               PageClick(12, 31);
               TypeIntoRow(L"Net", L"GND");
           },
           -1, "<Area Layer=\"I03\" Net=\"GND\">"},
          {undo(L"Main"), 2}}},
        {"a chain on Main split, BOT's plane given the split-off net, Main's Undo",
         {{chain, -1},
          {split, -1},
          {[&, this] {
               std::wstring made;
               for (const std::wstring& net : ChildNames(board, NodeType::Net))
                   if (!Contains(original[0], ">" + WideToUtf8(net) + "\r\n"))
                       made = net;
               ASSERT_FALSE(made.empty()) << "the split made no net";
               planeNet(made.c_str())();
           },
           -1, "Type=\"PLANE\">BOT"},
          {undo(L"Main"), 3}}},
        // A net renamed on a sheet: the planes naming it, and the values
        // the board's steps keep of them, follow the name.
        {"BOT's plane given N1 on the board, N1 renamed NX on Main, each undone and redone",
         {{planeNet(L"N1"), -1, "<Layer Net=\"N1\" Type=\"PLANE\">BOT"},
          {renameN1, -1, "<Layer Net=\"NX\" Type=\"PLANE\">BOT"},
          {undo(boardPage), -1, "<Layer Net=\"GND\" Type=\"PLANE\">BOT"},
          {undo(L"Main"), 0},
          {redo(boardPage), 1},
          {redo(L"Main"), 2}}},
        // Main's Undo takes BOT back to N1 with the net: no plane is left
        // naming NX, which no net is then.
        {"N1 renamed NX on Main, BOT's plane given NX on the board, Main's Undo",
         {{renameN1, -1, "<Layer Net=\"NX\" NoThermal=\"1\" Type=\"PLANE\">I02"},
          {planeNet(L"NX"), -1, "<Layer Net=\"NX\" Type=\"PLANE\">BOT"},
          {undo(L"Main"), -1, "<Layer Net=\"N1\" Type=\"PLANE\">BOT"},
          {undo(boardPage), 0},
          {redo(L"Main"), 1},
          {redo(boardPage), 2}}},
    };
    // The browsers list the demo libraries.
    ASSERT_TRUE(WriteWholeFile(
        PathJoin(g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary), L"demo.footprint"),
        original[kDocumentFootprintLibrary]));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reopen();
        std::vector<std::string> files{Saved(0)};
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("gesture " + std::to_string(i + 1));
            const Step& step = c.steps[i];
            step.act();
            PumpPendingMessages();
            files.push_back(Saved(0));
            if (step.same >= 0)
                ExpectSameFile(files.back(), files[static_cast<size_t>(step.same)], "the file");
            else
                EXPECT_TRUE(files.back() != files[i]) << "the gesture changed nothing";
            if (step.mark) {
                EXPECT_TRUE(Contains(files.back(), step.mark)) << LinesWith(files.back(), "RefDes");
            }
            EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
            EXPECT_TRUE(BoardsHoldWhatTheirObjectsName());
            EXPECT_TRUE(BoardEditorsIndexTheirBoards());
        }
        g_MainFrame.m_tabWindow.CloseAll();
    }
}

} // namespace
