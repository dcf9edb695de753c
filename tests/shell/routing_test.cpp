// Command routing in the main window: the idle update of enabled, checked
// and shown states, the keys the frame translates and those it leaves alone,
// the Edit commands to the window with the focus, the tool and zoom commands
// to the shown view, drop-down menus of toolbar buttons, the menu bar, the
// layer combo boxes and the status bar.
#include "core/property_grid.h"
#include "dialogs/directories.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "tests/core/property_test_object.h"
#include "tests/shell/frame_fixture.h"

namespace {

class RoutingTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        StartFrame();
        Command(ID_NEW_PROJECT);
        node = AddNode(g_MainFrame.GetRoot(0), L"Block", L"A");
    }
    // A key pressed and released on the window with the focus.
    void Press(int vk, WPARAM mk = 0, const std::wstring& text = L"") {
        PlatformWindow* focus = PlatformWindow::GetFocus();
        ASSERT_NE(focus, nullptr);
        SimulateKey(focus, true, vk, text, mk);
        if (PlatformWindow::GetFocus())
            SimulateKey(PlatformWindow::GetFocus(), false, vk, L"", mk);
        PumpPendingMessages();
    }
    bool BandShown(int band) { return g_MainFrame.m_rebar.IsBandVisible(band); }
    CTreeNode* node = nullptr;
};

TEST_F(RoutingTest, IdleUpdateFollowsTheShownViewsKind) {
    RunIdleHandlers();
    for (int id :
         {ID_FILE_PRINT, ID_EDIT_FIND, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_ALL, ID_EDIT_MOVE_ORIGIN})
        EXPECT_FALSE(g_MainFrame.UIIsEnabled(id)) << id;
    EXPECT_FALSE(g_MainFrame.m_mainToolBar.IsButtonEnabled(ID_FILE_PRINT));
    for (int band = kBandSchematic; band <= kBandFootprint; ++band)
        EXPECT_FALSE(BandShown(band)) << band;
    EXPECT_TRUE(BandShown(kBandMainToolBar));

    struct Case {
        int viewKind;
        int band;
        bool moveOrigin;
    };
    const Case cases[] = {{kViewSchematic, kBandSchematic, false},
                          {kViewSymbol, kBandSymbol, false},
                          {kViewBoard, kBandBoard, false},
                          {kViewPadstack, kBandPadstack, false},
                          {kViewFootprint, kBandFootprint, true}};
    for (const Case& c : cases) {
        CRecordingView* view = OpenView(node, c.viewKind, kDocumentProject);
        // Only the schematic editor has a print extent; Print needs one.
        if (c.viewKind == kViewSchematic)
            view->printExtent = SIZE{28700, 20000};
        RunIdleHandlers();
        for (int band = kBandSchematic; band <= kBandFootprint; ++band)
            EXPECT_EQ(BandShown(band), band == c.band) << c.viewKind << " " << band;
        EXPECT_EQ(g_MainFrame.UIIsEnabled(ID_EDIT_MOVE_ORIGIN), c.moveOrigin);
        EXPECT_TRUE(g_MainFrame.m_mainToolBar.IsButtonEnabled(ID_VIEW_ZOOM_OUT));
        EXPECT_EQ(g_MainFrame.UIIsEnabled(ID_FILE_PRINT), c.viewKind == kViewSchematic);
        g_MainFrame.m_tabWindow.CloseAll();
    }
    // The starting checks and the disabled combo placeholders.
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_TOOL_SELECT), 1);
    EXPECT_FALSE(g_MainFrame.m_boardToolBar.IsButtonEnabled(ID_BOARD_LAYER_COMBO));
    EXPECT_TRUE(g_MainFrame.m_boardLayerCombo.IsWindow());
}

TEST_F(RoutingTest, UndoAndRedoFollowTheWindowWithTheFocus) {
    CRecordingView* view = OpenView(node, kViewSchematic, kDocumentProject);
    Rename(view, node, L"B");
    RunIdleHandlers();
    EXPECT_TRUE(g_MainFrame.m_mainToolBar.IsButtonEnabled(ID_EDIT_UNDO));
    EXPECT_FALSE(g_MainFrame.m_mainToolBar.IsButtonEnabled(ID_EDIT_REDO));
    // The project tree has nothing to undo.
    g_MainFrame.m_leftPane.FocusTree(0);
    RunIdleHandlers();
    EXPECT_FALSE(g_MainFrame.m_mainToolBar.IsButtonEnabled(ID_EDIT_UNDO));
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(node->GetText(), L"B");
    // Back in the tab window, Ctrl+Z undoes the view's change.
    g_MainFrame.m_tabWindow.SetFocus();
    Press('Z', MK_CONTROL);
    EXPECT_EQ(node->GetText(), L"A");
    RunIdleHandlers();
    EXPECT_TRUE(g_MainFrame.m_mainToolBar.IsButtonEnabled(ID_EDIT_REDO));
}

TEST_F(RoutingTest, KeysOfTheTreesAreNotTheFramesAndTabMovesTheFocus) {
    g_MainFrame.GetRoot(0).SetFilePath(PathJoin(scratch, L"k.circuit"));
    OpenView(node, kViewSchematic, kDocumentProject);
    g_MainFrame.m_leftPane.FocusTree(0);
    Press('S', MK_CONTROL);
    EXPECT_FALSE(FileExists(PathJoin(scratch, L"k.circuit")));
    // Tab goes to the tab window, where Ctrl+S saves.
    Press(VK_TAB, 0, L"\t");
    EXPECT_EQ(PlatformWindow::GetFocus(), &g_MainFrame.m_tabWindow);
    Press('S', MK_CONTROL);
    EXPECT_TRUE(FileExists(PathJoin(scratch, L"k.circuit")));
    Press(VK_TAB, 0, L"\t");
    EXPECT_EQ(PlatformWindow::GetFocus(), g_MainFrame.m_leftPane.GetTree(0));
}

TEST_F(RoutingTest, WhileARowIsEditedKeysTypeInsteadOfRunningCommands) {
    PropertyTestObject object;
    CRecordingView* view = OpenView(node, kViewSchematic, kDocumentProject);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    grid.ShowProperties(&object);
    PumpPendingMessages();
    grid.BeginEditRow(PropertyTestObject::kName);
    ASSERT_TRUE(grid.IsEditing());
    int zoom = view->GetZoomFactor();
    Press('O', 0, L"o");
    EXPECT_EQ(view->GetZoomFactor(), zoom);
    EXPECT_TRUE(view->commands.empty());
    // Tab goes to the panel, which moves to its next row; the focus stays.
    PlatformWindow* focus = PlatformWindow::GetFocus();
    Press(VK_TAB, 0, L"\t");
    EXPECT_NE(PlatformWindow::GetFocus(), g_MainFrame.m_leftPane.GetTree(0));
    (void)focus;
    grid.ShowProperties(nullptr); // the object goes before the panel
}

TEST_F(RoutingTest, ToolZoomAndLayerChoicesReachTheShownView) {
    CRecordingView* view = OpenView(node, kViewBoard, kDocumentProject);
    view->SetZoom(4, 1);
    // The wheel towards the user zooms out about the cursor.
    SimulateWheel(view, POINT{100, 100}, -WHEEL_DELTA);
    PumpPendingMessages();
    EXPECT_EQ(view->GetZoomFactor(), 2);
    SimulateWheel(view, POINT{100, 100}, WHEEL_DELTA);
    PumpPendingMessages();
    EXPECT_EQ(view->GetZoomFactor(), 4);
    EXPECT_EQ(view->commands,
              (std::vector<int>{ID_VIEW_ZOOM_OUT_AT_CURSOR, ID_VIEW_ZOOM_IN_AT_CURSOR}));

    view->commands.clear();
    Command(ID_SNAP_TO_GRID);
    Command(ID_BOARD_LAYER_FIRST + 3);
    Press(VK_ESCAPE);
    EXPECT_EQ(view->commands,
              (std::vector<int>{ID_SNAP_TO_GRID, ID_BOARD_LAYER_FIRST + 3, ID_TOOL_SELECT}));
    // Choosing entry 2 of the board-layer selector sends 32999 + 2.
    view->commands.clear();
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    for (const wchar_t* layer : {L"Top", L"Bottom", L"Inner 1"})
        combo.AddString(layer);
    combo.SetCurSel(2);
    combo.NotifyParentCommand(CBN_SELCHANGE);
    combo.NotifyParentCommand(CBN_DROPDOWN);
    EXPECT_EQ(view->commands, std::vector<int>{ID_BOARD_LAYER_COMBO + 2});
    // Without a view the choice is dropped: nothing is shown and nothing
    // reaches the next view opened.
    g_MainFrame.m_tabWindow.CloseAll();
    ASSERT_EQ(g_MainFrame.GetActiveView(), nullptr);
    combo.NotifyParentCommand(CBN_SELCHANGE);
    EXPECT_TRUE(ui.messageBoxes.empty());
    CRecordingView* next = OpenView(node, kViewBoard, kDocumentProject);
    PumpPendingMessages();
    EXPECT_TRUE(next->commands.empty());
    // And with one the same choice reaches it.
    combo.NotifyParentCommand(CBN_SELCHANGE);
    EXPECT_EQ(next->commands, std::vector<int>{ID_BOARD_LAYER_COMBO + 2});
}

TEST_F(RoutingTest, DropDownMenusOfTheToolbarsAndTheNewButton) {
    std::vector<std::vector<UINT>> menus;
    std::vector<bool> withImages;
    UINT pick = ID_NEW_SYMBOL;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) {
        std::vector<UINT> ids;
        bool images = true;
        for (const auto& item : menu.Items()) {
            ids.push_back(item.id);
            images = images && item.bitmap != nullptr;
        }
        menus.push_back(ids);
        withImages.push_back(images);
        return pick;
    });
    ToolBarControl& main = g_MainFrame.m_mainToolBar;
    main.ClickButton(0, true);
    PumpPendingMessages();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0], (std::vector<UINT>{ID_NEW_PROJECT, ID_NEW_SYMBOL, ID_NEW_FOOTPRINT}));
    EXPECT_TRUE(withImages[0]);
    // The item chosen ran as a command: a new symbol library, and the New
    // button now makes those.
    EXPECT_EQ(g_MainFrame.GetRoot(1).GetText(), L"New Symbol Library");
    EXPECT_EQ(g_MainFrame.GetNewButtonCommand(), ID_NEW_SYMBOL);

    pick = 0;
    main.ClickButton(1, true);
    EXPECT_EQ(menus.back(), (std::vector<UINT>{ID_OPEN_PROJECT, ID_OPEN_SYMBOL_LIBRARY,
                                               ID_OPEN_FOOTPRINT_LIBRARY}));
    ToolBarControl& board = g_MainFrame.m_boardToolBar;
    board.ClickButton(board.CommandToIndex(ID_BRD_ROUTE), true);
    EXPECT_EQ(menus.back(), (std::vector<UINT>{ID_BRD_ROUTE_NEW, ID_BRD_ROUTE_EDIT}));
    ToolBarControl& footprint = g_MainFrame.m_footprintToolBar;
    footprint.ClickButton(footprint.CommandToIndex(ID_FP_PLACE_PADSTACK), true);
    EXPECT_EQ(menus.back(),
              (std::vector<UINT>{ID_FP_PADSTACK_FROM_LIBRARY, ID_FP_PADSTACK_CREATE}));
    EXPECT_TRUE(withImages.back());
    // A view that made a variant its group's command still gets its menu.
    board.SetButtonCommand(board.CommandToIndex(ID_BRD_AREA), ID_BRD_AREA_EDIT);
    board.ClickButton(board.CommandToIndex(ID_BRD_AREA_EDIT), true);
    EXPECT_EQ(menus.back(), (std::vector<UINT>{ID_BRD_AREA_NEW, ID_BRD_AREA_EDIT}));
    EXPECT_EQ(menus.size(), 5u);
}

TEST_F(RoutingTest, MenuBarItemsShowTheStateTable) {
    std::vector<const PopupMenu*> shown;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) {
        shown.push_back(&menu);
        return static_cast<UINT>(ID_VIEW_TOOLBAR);
    });
    RunIdleHandlers();
    CommandBarControl& bar = g_MainFrame.m_commandBar;
    bar.OpenMenu(2); // View
    PumpPendingMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]->FindItem(ID_VIEW_ZOOM_IN)->flags & MF_GRAYED);
    EXPECT_TRUE(shown[0]->FindItem(ID_VIEW_TOOLBAR)->flags & MF_CHECKED);
    // The command hid the main toolbar's band.
    EXPECT_FALSE(g_MainFrame.IsMainToolBarShown());
    EXPECT_FALSE(g_MainFrame.m_rebar.IsBandVisible(kBandMainToolBar));
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_VIEW_TOOLBAR), 0);
    // The status bar goes and comes back; the panes below the rebar fill
    // what it leaves.
    RECT before = g_MainFrame.m_splitter.GetRectInParent();
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(g_MainFrame.m_statusBar.IsWindowVisible());
    EXPECT_EQ(g_MainFrame.m_splitter.GetRectInParent().bottom, g_MainFrame.GetClientRect().bottom);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(g_MainFrame.m_statusBar.IsWindowVisible());
    EXPECT_EQ(g_MainFrame.m_splitter.GetRectInParent().bottom, before.bottom);
}

TEST_F(RoutingTest, StatusBarPanesAndTheUnitPaneClick) {
    CSchStatusBar& bar = g_MainFrame.m_statusBar;
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPanePrompt), L"Ready");
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPanePosition), L"XY = 0,0");
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPaneUnit), L"");
    bar.SetUnit(3);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPaneUnit), L"Unit: \u03bcm");
    bar.SetUnit(-1);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPaneUnit), L"");
    bar.SetNetText(L"GND");
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPaneNet), L"Net: GND");
    bar.SetNetText(nullptr);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPaneNet), L"");
    bar.SetPositionInUnit(2.54f, -25.4f, kUnitMil);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPanePosition), L"XY = 100.0,-1000.0");
    EXPECT_EQ(bar.GetPosition().X, 2.54f);
    bar.SetPosition(-12, 40);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPanePosition), L"XY = -12,40");
    EXPECT_EQ(bar.GetPosition().Y, -25.4f);
    // Panes 1 to 3 fit their sizing strings; pane 0 takes the rest.
    RECT unit = bar.GetRect(CSchStatusBar::kPaneUnit);
    EXPECT_GE(unit.right - unit.left, bar.PaneWidthFor(L"Unit: inch") - 1);
    EXPECT_GT(bar.GetRect(0).right - bar.GetRect(0).left, 500);

    CRecordingView* view = OpenView(node, kViewBoard, kDocumentProject);
    auto centre = [&](int pane) {
        RECT r = bar.GetRect(pane);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    SimulateMouse(&bar, WM_LBUTTONDOWN, centre(CSchStatusBar::kPaneNet), MK_LBUTTON);
    SimulateMouse(&bar, WM_LBUTTONDOWN, centre(CSchStatusBar::kPanePosition), MK_LBUTTON);
    EXPECT_EQ(view->unitCycles, 0);
    SimulateMouse(&bar, WM_LBUTTONDOWN, centre(CSchStatusBar::kPaneUnit), MK_LBUTTON);
    EXPECT_EQ(view->unitCycles, 1);
}

TEST_F(RoutingTest, ResizingKeepsTheLeftPaneAndThePadLayerComboMoves) {
    int left = g_MainFrame.m_leftPane.GetRectInParent().right;
    EXPECT_EQ(left, CMainFrame::kSplitterPos);
    g_MainFrame.MoveWindow(RECT{0, 0, 1000, 700});
    EXPECT_EQ(g_MainFrame.m_leftPane.GetRectInParent().right, left);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetRectInParent().right,
              g_MainFrame.m_splitter.GetClientRect().right);

    EXPECT_EQ(g_MainFrame.m_padLayerCombo.GetParent(), &g_MainFrame.m_padstackToolBar);
    g_MainFrame.MovePadLayerComboTo(&g_MainFrame.m_footprintToolBar);
    EXPECT_EQ(g_MainFrame.m_padLayerCombo.GetParent(), &g_MainFrame.m_footprintToolBar);
    RECT slot = g_MainFrame.m_footprintToolBar.GetItemRect(
        g_MainFrame.m_footprintToolBar.CommandToIndex(ID_PAD_LAYER_COMBO));
    RECT combo = g_MainFrame.m_padLayerCombo.GetRectInParent();
    EXPECT_GE(combo.left, slot.left);
    EXPECT_LE(combo.right, slot.right);
    EXPECT_EQ(&g_LayerSelector, &g_MainFrame.m_padLayerCombo);
}

} // namespace

namespace {

TEST_F(RoutingTest, MenuPromptsAndModelStatusTextsReachThePromptPane) {
    CSchStatusBar& bar = g_MainFrame.m_statusBar;
    g_MainFrame.SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_FILE_SAVE, 0), 0);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPanePrompt), L"Save the active document");
    g_MainFrame.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(bar.GetText(CSchStatusBar::kPanePrompt), L"Ready");

    // Without anyone else taking them, the model's status texts go to the
    // frame's status bar while its window exists.
    g_MainFrame.DestroyWindow();
    UiHooks hooks = GetUiHooks();
    hooks.statusText = nullptr;
    UiHooks saved = SetUiHooks(hooks);
    StartFrame();
    SetStatusText(0, L"Font 'X' not found!");
    EXPECT_EQ(g_MainFrame.m_statusBar.GetText(CSchStatusBar::kPanePrompt), L"Font 'X' not found!");
    g_MainFrame.DestroyWindow();
    EXPECT_FALSE(GetUiHooks().statusText);
    SetUiHooks(saved);
}

} // namespace

namespace {

TEST_F(RoutingTest, AnOpenLayerListKeepsItsKeys) {
    CRecordingView* view = OpenView(node, kViewBoard, kDocumentProject);
    RunIdleHandlers();
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    combo.AddString(L"Top");
    combo.AddString(L"Bottom");
    combo.ShowDropDown(true);
    ASSERT_TRUE(combo.GetDroppedState());
    PlatformWindow* list = combo.GetDropDownWindow();
    SimulateKey(list, true, VK_ESCAPE);
    PumpPendingMessages();
    EXPECT_TRUE(view->commands.empty());
    combo.ShowDropDown(false);
}

} // namespace

namespace {

TEST_F(RoutingTest, SettingsAndHelpCommandsOpenTheirDialogs) {
    std::vector<int> opened;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        opened.push_back(d.Template().id);
        d.EndDialog(IDCANCEL);
    });
    std::vector<std::wstring> helpOpened;
    OpenFileHook previous = SetOpenFileHook([&](const std::wstring& path) {
        helpOpened.push_back(path);
        return true;
    });
    Command(ID_APP_ABOUT);
    Command(ID_CAM_FIRST);
    Command(ID_CAM_LAST);
    Command(ID_HELP_VIEW);
    SetOpenFileHook(previous);
    EXPECT_EQ(opened, (std::vector<int>{100, 103, 103}));
    EXPECT_EQ(helpOpened.size(), 1u);
    // The About button of the main toolbar does the same.
    ToolBarControl& main = g_MainFrame.m_mainToolBar;
    main.ClickButton(main.CommandToIndex(ID_APP_ABOUT));
    EXPECT_EQ(opened.size(), 4u);
}

TEST_F(RoutingTest, DirectoriesTakesTheFoldersChosenAndCancelKeepsThem) {
    const std::wstring before = g_MainFrame.GetDefaultFolder(0);
    {
        ScopedModalDialogHook cancel([](PlatformDialog& d) {
            d.SetDlgItemText(CDirectories::kProject, L"/elsewhere");
            d.EndDialog(IDCANCEL);
        });
        Command(ID_OPTIONS_DIRECTORIES);
    }
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(0), before);
    std::wstring shown;
    {
        ScopedModalDialogHook ok([&](PlatformDialog& d) {
            shown = d.GetDlgItemText(CDirectories::kSymbolLib);
            d.SetDlgItemText(CDirectories::kProject, L"/data/designs");
            d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          PtrToLParam(d.GetDlgItem(IDOK)));
        });
        Command(ID_OPTIONS_DIRECTORIES);
    }
    EXPECT_EQ(shown, g_MainFrame.GetDefaultFolder(1));
    EXPECT_EQ(g_MainFrame.GetDefaultFolder(0), L"/data/designs/");
    SettingsKey key;
    std::wstring stored;
    ASSERT_TRUE(key.Open(L"Software\\Vorpel\\Directories"));
    EXPECT_EQ(key.QueryString(L"Project", &stored), SettingsResult::Ok);
    EXPECT_EQ(stored, L"/data/designs/");
    // The Open dialog now starts there.
    AnswerFileDialog(std::nullopt);
    Command(ID_OPEN_PROJECT);
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ(dialogs.back().request.initialDir, L"/data/designs/");
}

} // namespace

namespace {

TEST_F(RoutingTest, AltWithAMenusLetterOpensThatMenu) {
    std::vector<std::wstring> firstItems;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) {
        firstItems.push_back(menu.Items().front().text);
        return 0u;
    });
    OpenView(node, kViewSchematic, kDocumentProject);
    SimulateKey(&g_MainFrame.m_tabWindow, true, 'W', L"", 0, true);
    SimulateKey(&g_MainFrame.m_tabWindow, false, 'W', L"", 0, true);
    SimulateKey(&g_MainFrame.m_tabWindow, true, 'Q', L"", 0, true);
    SimulateKey(&g_MainFrame.m_tabWindow, true, 'F', L"", 0, false);
    PumpPendingMessages();
    EXPECT_EQ(firstItems, std::vector<std::wstring>{L"&Close\tCtrl+F4"});
}

} // namespace
