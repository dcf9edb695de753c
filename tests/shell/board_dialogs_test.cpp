// The board's dialogs run from the project tree while a page is shown: the
// property panel keeps the rows of the shown page (the board's own editor
// shows the board's after the stackup), and the screen is what a full
// repaint shows. The tree's context menu is opened with the mouse through
// the window system.
#include "core/property_grid.h"
#include "dialogs/board_dialog.h"
#include "dialogs/drill_table.h"
#include "dialogs/stackup.h"
#include "dialogs/stackup_list_ctrl.h"
#include "dialogs/via_list_ctrl.h"
#include "platform/dialog.h"
#include "platform/list_view_control.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/focus_input.h"
#include "tests/panel_rows.h"
#include "tests/pointer_input.h"
#include "tests/screen_picture.h"
#include "tests/shell/board_index_check.h"
#include "tests/shell/example_views_fixture.h"
#include "views/board_view.h"
#include "views/symbol_view.h"

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
    // The example opened again, its board's editor open at times.
    CBoardView* Reopen(bool withEditor) {
        ui.DropAnswers();
        ui.Answer({IDNO});
        EXPECT_TRUE(g_MainFrame.Open(paths[0], 0));
        ui.DropAnswers();
        board = Child(&Root(0), NodeType::Board);
        return withEditor ? OpenBoard() : nullptr;
    }
    // The stackup from the tree: a button pressed on a row (or a row
    // dragged onto another, or the row's type chosen by its place in the
    // list and its plane's net typed), OK; a question is answered Yes. The
    // dialog waits for its user as a shown one does: what its opening
    // posted is delivered before the first click.
    void Stackup(int button, int row, int onto = -1, int type = -1, const wchar_t* net = nullptr) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            PumpPendingMessages();
            auto* list = d.GetDlgItemAs<CStackupListCtrl>(CStackup::kList);
            ASSERT_NE(list, nullptr);
            ui.Answer({IDYES});
            if (onto >= 0) {
                dialog_driver::DragRow(list, row, onto);
            } else if (button) {
                dialog_driver::ClickCell(list, row, CStackupListCtrl::kColumnLayer);
                dialog_driver::ClickButton(d, button);
            }
            if (type >= 0) {
                dialog_driver::ClickCell(list, row, CStackupListCtrl::kColumnType);
                dialog_driver::ChooseInCombo(list->GetCellCombo(), type);
            }
            if (net)
                dialog_driver::EditCell(list, row, CStackupListCtrl::kColumnNet, net);
            dialog_driver::ClickButton(d, IDOK);
        });
        BoardMenu(ID_PRJ_STACKUP);
        PumpPendingMessages();
        ui.DropAnswers();
    }
    CBoardView* OpenBoard() {
        auto* view = dynamic_cast<CBoardView*>(g_MainFrame.OpenNodeView(board));
        PumpPendingMessages();
        return view;
    }
    void CloseBoard() {
        CTabWindow& tabs = g_MainFrame.m_tabWindow;
        ASSERT_TRUE(tabs.CloseTab(tabs.FindTabByDocument(board), true));
        PumpPendingMessages();
    }
    // A key, or a click at a point of the board (in millimetres), in the
    // board's editor.
    static void BoardKey(int vk, WPARAM mk = 0) {
        g_MainFrame.m_tabWindow.SetFocus();
        PressKeyAtFocus(vk, mk);
    }
    static void ClickBoard(CBoardView* view, float x, float y) {
        const POINT p = BoardClientPoint(view, x, y);
        MouseAt(view, WM_MOUSEMOVE, p);
        MouseAt(view, WM_LBUTTONDOWN, p, MK_LBUTTON);
        MouseAt(view, WM_LBUTTONUP, p);
        PumpPendingMessages();
    }
    // A track routed on Inner 1 from the GND via (or only started, at Esc).
    void RouteOnInner1(CBoardView* view, bool started = false) {
        BoardKey('1', MK_CONTROL);
        Command(ID_BRD_ROUTE_NEW);
        for (const auto& [x, y] : {std::pair{30.0f, 12.0f}, {44.0f, 29.0f}, {51.0f, 29.0f}})
            if (!started || x == 30.0f)
                ClickBoard(view, x, y);
        BoardKey(VK_ESCAPE);
    }
    // A value typed into the panel's row of that name, Enter.
    static void TypeIntoRow(const std::wstring& name, const std::wstring& text) {
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        CPropertyListCtrl& rows = grid.GetList();
        int row = 0;
        while (row < grid.GetRowCount() && grid.GetItem(row)->GetName() != name)
            ++row;
        RECT r{};
        ASSERT_TRUE(rows.GetItemRect(row, &r)) << "no row " << WideToUtf8(name);
        const POINT p{rows.GetDivider() + 30, r.top + 4};
        MouseAt(&rows, WM_LBUTTONDOWN, p, MK_LBUTTON);
        MouseAt(&rows, WM_LBUTTONUP, p);
        PumpPendingMessages();
        ASSERT_TRUE(grid.IsEditing());
        PressKeyAtFocus('A', MK_CONTROL);
        TypeAtFocus(text);
        PressKeyAtFocus(VK_RETURN);
        PumpPendingMessages();
    }
    // Picked off the grid, left of the panel: its first segment's middle.
    void PickTrack(CBoardView* view) {
        Command(ID_BRD_ROUTE_EDIT);
        Command(ID_SNAP_TO_GRID);
        ClickBoard(view, 37.225f, 20.605f);
        Command(ID_SNAP_TO_GRID);
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

// The tree's stackup steps outlive the board's editor: their Undo and Redo
// after its tab closed (and opened again) find the editor open then, if any.
TEST_F(BoardDialogsTest, TheTreesStackupStepsOutliveTheBoardsEditor) {
    struct Case {
        const char* name;
        int row;     // the layer deleted
        bool reopen; // the editor opened again before the tree's step
        bool redo;   // undone with the editor open, redone after it closed
    };
    const Case cases[] = {{"Inner 1 with its track", 1, false, false},
                          {"empty Inner 2, the area below renumbered", 2, false, false},
                          {"Inner 1, the editor opened again", 1, true, false},
                          {"Inner 1 redone", 1, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(Reopen(true), nullptr);
        const std::string before = Saved(0);
        Stackup(CStackup::kDeleteLayer, c.row);
        const std::string after = Saved(0);
        ASSERT_NE(after, before);
        if (c.redo)
            Undo(0);
        CloseBoard();
        if (c.reopen)
            OpenBoard();
        c.redo ? Redo(0) : Undo(0);
        ExpectSameFile(Saved(0), c.redo ? after : before, "after the tree's step");
        OpenBoard();
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
    }
}

// A route undone in the board's editor after the tree's stackup renumbered
// its layer: the editor's history went with the renumbering, and what it
// draws is what the board holds.
TEST_F(BoardDialogsTest, TheEditorsHistoryGoesWithARenumberingOfItsLayers) {
    CBoardView* view = OpenBoard();
    ASSERT_NE(view, nullptr);
    RouteOnInner1(view);
    PickTrack(view);
    Stackup(0, 1, 4);
    const std::string reordered = Saved(0);
    ASSERT_TRUE(Contains(reordered, "<Conductor Layer=\"I03\" Width=\"0.3\">30.000,12.000"));
    BoardKey('Z', MK_CONTROL);
    BoardKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), reordered, "the editor's undo");
    EXPECT_TRUE(BoardEditorsIndexTheirBoards());
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"board-after-renumbering"));
}

// A layer inserted, dragged below the next or deleted in the tree's stackup,
// or a layer's type or plane net changed there, then a track routed (or an
// area drawn) on the layer that came of it in the board's editor: the tree's
// Undo (or, for a change undone before the route, its Redo) would leave it
// on a layer the stackup no longer holds, on another layer, on a layer that
// is never written or in another net's plane. The tree's step goes instead,
// and the file keeps the track where it was routed.
TEST_F(BoardDialogsTest, TheTreesStackupUndoLeavesTheEditorsLaterTrackOnItsLayer) {
    struct Case {
        const char* name;
        int button, row, onto;
        char layerKey; // the layer routed on, with layerMk
        const char* track;
        bool inserted = false; // Inner 5 inserted first, a step of its own
        int type = -1;         // the row's type, by its place in the list
        const wchar_t* net = nullptr;
        // A route from a via, or an area's corners, in millimetres.
        float toX = 18, toY = 4, fromX = 18, fromY = 12;
        bool redo = false; // the tree's Undo before the route, its Redo after
        WPARAM layerMk = MK_CONTROL;
        UINT tool = ID_BRD_ROUTE_NEW;
    };
    const Case cases[] = {
        {"Inner 5 inserted", CStackup::kInsertLayer, 1, -1, '5', "<Conductor Layer=\"I05\""},
        {"Inner 1 dragged below Inner 2", 0, 1, 3, '2', "<Conductor Layer=\"I02\" Width"},
        {"Inner 4 deleted below a new Inner 5", CStackup::kDeleteLayer, 4, -1, '4',
         "<Conductor Layer=\"I04\" Width", true},
        {"the jumper layer Inner 3 made a routing one", 0, 3, -1, '3',
         "<Conductor Layer=\"I03\" Width", false, 0, nullptr, 18, 25},
        {"N1's plane Inner 2 made a routing layer", 0, 2, -1, '2', "<Conductor Layer=\"I02\" Width",
         false, 0, nullptr, 30, 25, 30, 12},
        {"Inner 1 made a plane of GND and undone", 0, 1, -1, '1', "<Conductor Layer=\"I01\" Width",
         false, 1, L"GND", 18, 25, 18, 12, true},
        {"N1's plane Inner 2 given to GND, an area drawn on it", 0, 2, -1, '2',
         "<Area Layer=\"I02\">", false, -1, L"GND", 48, 36, 40, 30, false, MK_CONTROL,
         ID_BRD_AREA_NEW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBoardView* view = Reopen(true);
        ASSERT_NE(view, nullptr);
        if (c.inserted)
            Stackup(CStackup::kInsertLayer, 1);
        const std::string before = Saved(0);
        Stackup(c.button, c.row, c.onto, c.type, c.net);
        ASSERT_NE(Saved(0), before);
        if (c.redo) {
            Undo(0);
            ASSERT_EQ(Saved(0), before);
        }
        BoardKey(c.layerKey, c.layerMk);
        Command(c.tool);
        ClickBoard(view, c.fromX, c.fromY);
        ClickBoard(view, c.toX, c.toY);
        // An area's two corners draw it whole.
        if (c.tool == ID_BRD_ROUTE_NEW)
            BoardKey(VK_ESCAPE);
        const std::string routed = Saved(0);
        ASSERT_TRUE(Contains(routed, c.track)) << "no track routed on the layer";
        if (c.redo)
            Redo(0);
        else
            Undo(0);
        ExpectSameFile(Saved(0), routed, c.redo ? "the tree's Redo" : "the tree's Undo");
        EXPECT_TRUE(BoardsHoldWhatTheirObjectsName());
        EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
    }
}

// A tree step that moves the board's layers, or takes a layer away, costs
// the board's editor only its steps on the layers that moved: those named
// an object or a layer by an id that is now another's. The editor's Undos
// that change the file are counted down to none, and its Redos bring back
// the file as the tree left it.
TEST_F(BoardDialogsTest, TheTreesStackupStepCostsTheEditorOnlyItsStepsOnMovedLayers) {
    auto routeOnTop = [this](CBoardView* view) {
        BoardKey('1');
        Command(ID_BRD_ROUTE_NEW);
        ClickBoard(view, 18, 12);
        ClickBoard(view, 18, 4);
        BoardKey(VK_ESCAPE);
    };
    // The board's title put on a layer by the text tool's context menu.
    auto textToLayer = [this](CBoardView* view, int layer) {
        Command(ID_BRD_TEXT_EDIT);
        menuAnswers.push_back(static_cast<UINT>(ID_BOARD_LAYER_FIRST + layer));
        const POINT p = BoardClientPoint(view, 4, 37);
        MouseAt(view, WM_MOUSEMOVE, p);
        MouseAt(view, WM_RBUTTONDOWN, p, MK_RBUTTON);
        MouseAt(view, WM_RBUTTONUP, p);
        PumpPendingMessages();
        EXPECT_TRUE(menuAnswers.empty()) << "no text at the pointer";
        BoardKey(VK_ESCAPE);
    };
    struct Case {
        const char* name;
        std::function<void(CBoardView*)> edit;
        std::function<void()> tree;
        int kept;          // the editor's steps that still change the file
        const char* mark;  // in the file after each of the editor's steps
        bool read = false; // undo-all gives the file as read
    };
    auto drag = [this] { Stackup(0, 1, 4); };
    const Case cases[] = {
        {"Inner 5 inserted and undone, routes on Top and Inner 1",
         [&](CBoardView* v) {
             routeOnTop(v);
             RouteOnInner1(v);
         },
         [this] {
             Stackup(CStackup::kInsertLayer, 1);
             Undo(0);
         },
         2, "<Conductor Layer=\"I01\"", true},
        {"Inner 1 dragged below Inner 3 under its route",
         [&](CBoardView* v) {
             routeOnTop(v);
             RouteOnInner1(v);
         },
         drag, 1, "<Conductor Layer=\"TOP\" Width=\"0.3\">18.000,12.000"},
        {"Inner 1 dragged below Inner 3 under its undone route",
         [&](CBoardView* v) {
             routeOnTop(v);
             RouteOnInner1(v);
             BoardKey('Z', MK_CONTROL);
         },
         drag, 1, "<Conductor Layer=\"TOP\" Width=\"0.3\">18.000,12.000"},
        {"Inner 1 dragged below Inner 3 after a text went from it to the bottom",
         [&](CBoardView* v) {
             routeOnTop(v);
             textToLayer(v, 2);
             ASSERT_TRUE(Contains(Saved(0), "Layer=\"I01\" Name=\"Title\""));
             textToLayer(v, 23);
             ASSERT_TRUE(Contains(Saved(0), "Layer=\"SSB\" Name=\"Title\""));
         },
         drag, 1, "<Conductor Layer=\"TOP\" Width=\"0.3\">18.000,12.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBoardView* view = Reopen(true);
        ASSERT_NE(view, nullptr);
        c.edit(view);
        ASSERT_TRUE(Contains(Saved(0), c.mark));
        c.tree();
        const std::string treeLeft = Saved(0);
        int undos = 0;
        for (std::string last = treeLeft; view->GetUndoList().CanUndo() && undos < 10;) {
            BoardKey('Z', MK_CONTROL);
            const std::string now = Saved(0);
            undos += now != last;
            last = now;
        }
        EXPECT_EQ(undos, c.kept);
        if (c.read)
            ExpectSameFile(Saved(0), original[0], "undo-all");
        else
            EXPECT_FALSE(Contains(Saved(0), c.mark)) << "the route on Top kept";
        EXPECT_TRUE(BoardsHoldWhatTheirObjectsName());
        for (int redos = 0; view->GetUndoList().CanRedo() && redos < 10; ++redos)
            BoardKey('Y', MK_CONTROL);
        ExpectSameFile(Saved(0), treeLeft, "redo-all");
        EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
    }
}

// A route dropped as a track without length, by Esc right after its start
// or by a second click on its start, and the panel lets go of it.
TEST_F(BoardDialogsTest, ARouteDroppedWithoutLengthLeavesThePanel) {
    CBoardView* view = OpenBoard();
    for (const bool esc : {true, false}) {
        SCOPED_TRACE(esc ? "Esc" : "ended where it began");
        if (esc) {
            RouteOnInner1(view, true);
        } else {
            Command(ID_BRD_ROUTE_NEW);
            ClickBoard(view, 30, 12);
            ClickBoard(view, 30, 12);
        }
        auto* shown = dynamic_cast<CTreeNode*>(g_MainFrame.GetPropertyGrid().GetShownObject());
        EXPECT_TRUE(!shown || CLeftTabView::IsInSubtree(shown, &Root(0))) << "a track that went";
    }
}

// The tree's Redo of a stackup step naming what the board's editor deleted
// since, the editor's history then freed by a tree step or by closing its
// tab: the tree let go of its steps on what the editor took away.
TEST_F(BoardDialogsTest, TheTreeLetsGoOfItsStepsOnWhatAnEditorDeleted) {
    for (const bool track : {true, false}) {
        SCOPED_TRACE(track ? "a routed track, a tree step after" : "an area, its tab closed");
        CBoardView* view = Reopen(track);
        if (track) {
            RouteOnInner1(view);
            Stackup(CStackup::kInsertLayer, 0);
        }
        Stackup(CStackup::kDeleteLayer, 1);
        Undo(0);
        view = track ? view : OpenBoard();
        ASSERT_NE(view, nullptr);
        const std::string before = Saved(0);
        if (track) {
            PickTrack(view);
        } else {
            BoardKey('3', MK_CONTROL);
            Command(ID_BRD_AREA_EDIT);
            ClickBoard(view, 12, 31);
        }
        BoardKey(VK_DELETE, track ? MK_SHIFT : 0);
        const std::string deleted = Saved(0);
        ASSERT_NE(deleted, before) << "nothing deleted";
        ui.Answer({IDYES});
        track ? Undo(0) : CloseBoard();
        Redo(0);
        Redo(0);
        ExpectSameFile(Saved(0), deleted, "after the tree's steps");
    }
}

// The tree's stackup undone puts back only what the stackup changed: the
// outline stays as the editor left it since, and the editor's Undo of its
// edit still gives the file as read.
TEST_F(BoardDialogsTest, TheTreesUndoLeavesTheOutlineTheEditorChanged) {
    CBoardView* view = OpenBoard();
    Stackup(0, 0);
    Command(ID_BRD_OUTLINE);
    ClickBoard(view, 30, 0);
    BoardKey(VK_DELETE);
    ASSERT_NE(Saved(0), original[0]);
    Undo(0);
    const std::string undone = Saved(0);
    EXPECT_NE(undone, original[0]) << "the tree's undo put back the outline";
    EXPECT_NE(undone.find("Outline=\"LIN60,0 LIN60,40"), std::string::npos);
    ASSERT_TRUE(view->GetUndoList().CanUndo());
    BoardKey('Z', MK_CONTROL);
    ExpectSameFile(Saved(0), original[0], "the editor's undo");
}

// The board's attributes put back as they stand (the panel's edit undone, a
// board dialog cancelled or undone in the tree) keep the outline's nodes:
// the editor's Undo and Redo of the outline edit before still work.
TEST_F(BoardDialogsTest, AttributesPutBackAsTheyStandKeepTheOutline) {
    // The dialog's change made, then Cancel: the file is as it was.
    auto cancel = [this](UINT command, std::function<void(PlatformDialog&)> change = nullptr) {
        const std::string before = Saved(0);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            if (change)
                change(d);
            dialog_driver::ClickButton(d, IDCANCEL);
        });
        BoardMenu(command);
        PumpPendingMessages();
        ExpectSameFile(Saved(0), before, "the dialog cancelled");
    };
    // The board settings' first via deleted: Cancel brings it back, and the
    // page has lost nothing.
    auto deleteVia = [](PlatformDialog& d) {
        auto* vias = d.GetDlgItemAs<CViaListCtrl>(CBoardDialog::kViaList);
        ASSERT_TRUE(vias && vias->GetItemCount() > 0);
        dialog_driver::ClickCell(vias, 0, 1);
        dialog_driver::ClickButton(d, CBoardDialog::kDeleteVia);
        ASSERT_EQ(vias->GetItemCount(), 0);
    };
    struct Case {
        const char* name;
        std::function<void()> step;
        int undos; // the editor's steps back to the file as read
    };
    const Case cases[] = {
        {"the grid width in the panel", [] { TypeIntoRow(L"Grid Width", L"0.025"); }, 2},
        {"the stackup cancelled", [&] { cancel(ID_PRJ_STACKUP); }, 1},
        {"the drill table cancelled", [&] { cancel(ID_PRJ_DRILL_TABLE); }, 1},
        {"the board settings cancelled", [&] { cancel(ID_PRJ_BOARD_PROPERTIES, deleteVia); }, 1},
        {"the stackup undone in the tree",
         [&] {
             Stackup(0, 0);
             Undo(0);
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBoardView* view = Reopen(true);
        ASSERT_NE(view, nullptr);
        // The right edge dragged a few millimetres left.
        Command(ID_BRD_OUTLINE);
        ClickBoard(view, 60, 20);
        const POINT from = BoardClientPoint(view, 60, 20);
        const POINT to = BoardClientPoint(view, 56, 20);
        MouseAt(view, WM_LBUTTONDOWN, from, MK_LBUTTON);
        MouseAt(view, WM_MOUSEMOVE, from, MK_LBUTTON);
        MouseAt(view, WM_MOUSEMOVE, to, MK_LBUTTON);
        MouseAt(view, WM_LBUTTONUP, to);
        PumpPendingMessages();
        BoardKey(VK_ESCAPE);
        ASSERT_NE(Saved(0), original[0]) << "the outline did not move";
        c.step();
        const std::string stepped = Saved(0);
        for (int i = 0; i < c.undos; ++i)
            BoardKey('Z', MK_CONTROL);
        ExpectSameFile(Saved(0), original[0], "the editor's undo");
        for (int i = 0; i < c.undos; ++i)
            BoardKey('Y', MK_CONTROL);
        ExpectSameFile(Saved(0), stepped, "the editor's redo");
        EXPECT_TRUE(BoardEditorsIndexTheirBoards());
    }
}

// The tree's stackup step undone, the track it names deleted in the board's
// editor, then the tree's Redo and Undo: the tree let go of its step when
// the track left, and neither step acts on it.
TEST_F(BoardDialogsTest, TheTreesRedoAfterTheEditorDeletedTheTrackItNames) {
    CBoardView* view = OpenBoard();
    ASSERT_NE(view, nullptr);
    RouteOnInner1(view);
    Stackup(CStackup::kDeleteLayer, 1);
    Undo(0);
    PickTrack(view);
    BoardKey(VK_DELETE, MK_SHIFT);
    EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
    const std::string deleted = Saved(0);
    Redo(0);
    Undo(0);
    ExpectSameFile(Saved(0), deleted, "after the tree's steps");
    EXPECT_TRUE(HistoriesNameOnlyWhatTheyReach());
    EXPECT_TRUE(BoardEditorsIndexTheirBoards());
}

// The board's editor let go of its history for the tree's renumbering of
// its layers: the page keeps its unsaved route, and closing its tab asks.
TEST_F(BoardDialogsTest, APageWhoseHistoryWentStillAsksToSave) {
    CBoardView* view = OpenBoard();
    ASSERT_NE(view, nullptr);
    RouteOnInner1(view);
    Stackup(0, 1, 4);
    ASSERT_FALSE(view->GetUndoList().CanUndo());
    ui.Clear();
    ui.Answer({IDNO});
    CloseBoard();
    EXPECT_EQ(MessageBoxesWith(L"save changes"), 1);
    EXPECT_TRUE(g_MainFrame.IsDocumentModified(0));
}

} // namespace

namespace {

// Two histories change one node, one after the other: an editor's panel and
// the tree's rename, or a board dialog run from the tree and the board
// editor's panel. The first history's Undo takes back only its own step and
// leaves the other's; the other's Undo then gives the file as read, and the
// Redos give the files as each step left them. The tree's labels and the
// tabs' captions follow the nodes' names throughout.
TEST_F(BoardDialogsTest, AnUndoTakesBackOnlyWhatItsOwnStepChanged) {
    auto find = [this](int kind, std::initializer_list<std::pair<int, const wchar_t*>> path) {
        CTreeNode* node = &Root(kind);
        for (const auto& [type, name] : path)
            node = Child(node, type, name);
        return node;
    };
    CTreeNode* node = nullptr;
    auto editor = [&](bool redo) {
        g_MainFrame.OpenNodeView(node);
        g_MainFrame.m_tabWindow.SetFocus();
        Command(redo ? ID_EDIT_REDO : ID_EDIT_UNDO);
    };
    auto row = [](const wchar_t* name, const wchar_t* value) {
        return [=] { TypeIntoRow(name, value); };
    };
    auto rowAt = [](int index, const wchar_t* value) {
        return [=] {
            g_MainFrame.GetPropertyGrid().BeginEditRow(index);
            PressKeyAtFocus('A', MK_CONTROL);
            TypeAtFocus(value);
            PressKeyAtFocus(VK_RETURN);
            PumpPendingMessages();
        };
    };
    struct Case {
        const char* name;
        int kind;
        std::function<CTreeNode*()> node;
        const wchar_t* newName; // the tree's rename; none: the stackup first
        std::function<void()> edit;
        const char* editMark; // in the file once the panel's edit is made
    };
    const Case cases[] = {
        {"board", 0,
         [&] {
             return find(0, {{NodeType::Board, L"*"}});
         },
         L"BoardX", row(L"Grid Width", L"0.1"), "Grid=\"2.54,1.27\""},
        {"sheet", 0,
         [&] {
             return find(0, {{NodeType::Board, L"*"}, {NodeType::Sheet, L"Main"}});
         },
         L"MainX", row(L"Grid Width", L"5.08"), "GridSize=\"5.08\""},
        {"stackup", 0,
         [&] {
             return find(0, {{NodeType::Board, L"*"}});
         },
         nullptr, row(L"Grid Width", L"0.1"), "Grid=\"2.54,1.27\""},
        {"padstack", 2,
         [&] {
             return find(2, {{NodeType::PadstackFolder, L"Standard"},
                             {NodeType::Padstack, L"ROUND1.6D0.8"}});
         },
         L"RNDX", row(L"Grid Width", L"0.5"), "Grid=\"0.5"},
        {"footprint", 2,
         [&] {
             return find(2,
                         {{NodeType::FootprintFolder, L"Chips"}, {NodeType::Footprint, L"R0805"}});
         },
         L"R0805X", row(L"Grid Width", L"0.1"), "Grid=\"0.1,0.05\">R0805"},
        {"symbol pin row", 1,
         [&] {
             return find(1, {{NodeType::SymbolFolder, L"Logic"}, {NodeType::Package, L"NAND2"}});
         },
         L"NANDX", rowAt(CSymbolView::kRowPowerPins + 1, L"15"), "Num=\"15\""},
        {"symbol parts per package", 1,
         [&] {
             return find(1, {{NodeType::SymbolFolder, L"Passive"}, {NodeType::Package, L"RES"}});
         },
         L"RESY", rowAt(CSymbolView::kRowPartsPerPackage, L"2"), "PartPerPackage=\"2\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.DropAnswers();
        ui.Answer({IDNO});
        ASSERT_TRUE(g_MainFrame.Open(paths[c.kind], c.kind));
        ui.DropAnswers();
        node = c.node();
        ASSERT_NE(node, nullptr);
        board = Child(&Root(0), NodeType::Board);
        const std::wstring name = node->GetText();
        // The names the tree and the editor's tab show.
        auto showsName = [&] {
            HTREEITEM item = Tree(c.kind).FindItem(node);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(Tree(c.kind).GetItemText(item), node->GetText());
            ASSERT_NE(node->GetEditorView(), nullptr);
            EXPECT_NE(node->GetEditorView()->GetWindowText().find(node->GetText()),
                      std::wstring::npos);
        };
        auto tree = [&](bool redo) { redo ? Redo(c.kind) : Undo(c.kind); };
        auto edit = [&] {
            g_MainFrame.OpenNodeView(node);
            BoardKey(VK_ESCAPE);
            c.edit();
        };
        auto treeStep = [&] {
            if (c.newName) {
                Menu(c.kind, node, ID_TREE_RENAME);
                TypeLabel(c.kind, c.newName);
            } else {
                // Bottom's "No thermal connection" ticked.
                ScopedModalDialogHook hook([](PlatformDialog& d) {
                    auto* list = d.GetDlgItemAs<CStackupListCtrl>(CStackup::kList);
                    ASSERT_NE(list, nullptr);
                    dialog_driver::ClickCell(list, list->GetItemCount() - 1,
                                             CStackupListCtrl::kColumnNoThermal);
                    dialog_driver::ClickButton(d, IDOK);
                });
                BoardMenu(ID_PRJ_STACKUP);
                PumpPendingMessages();
            }
        };
        const std::string treeMark =
            c.newName ? ">" + WideToUtf8(c.newName)
                      : std::string("<Layer Net=\"GND\" NoThermal=\"1\" Type=\"PLANE\">BOT");
        // The editor's step first and the tree's after it, or the other way.
        const bool editorFirst = c.newName != nullptr;
        std::function<void()> first = edit, second = treeStep;
        std::function<void(bool)> undoFirst = editor, undoSecond = tree;
        const char* firstMark = c.editMark;
        std::string secondMark = treeMark;
        if (!editorFirst) {
            std::swap(first, second);
            std::swap(undoFirst, undoSecond);
            firstMark = treeMark.c_str();
            secondMark = c.editMark;
        }
        g_MainFrame.OpenNodeView(node);
        const std::string read = Saved(c.kind);
        first();
        const std::string one = Saved(c.kind);
        ASSERT_TRUE(Contains(one, firstMark)) << one;
        second();
        const std::string both = Saved(c.kind);
        ASSERT_TRUE(Contains(both, firstMark) && Contains(both, secondMark)) << both;
        showsName();
        undoFirst(false);
        const std::string left = Saved(c.kind);
        EXPECT_TRUE(!Contains(left, firstMark) && Contains(left, secondMark)) << left;
        showsName();
        undoSecond(false);
        ExpectSameFile(Saved(c.kind), read, "both undone");
        EXPECT_EQ(node->GetText(), name);
        showsName();
        undoFirst(true);
        ExpectSameFile(Saved(c.kind), one, "the first redone");
        undoSecond(true);
        ExpectSameFile(Saved(c.kind), both, "both redone");
        showsName();
    }
}

} // namespace
