// The controls of a frame window, driven as a user drives them: toolbars with
// drop-down buttons and clipped buttons, the rebar's rows and chevron, the
// menu bar, the status bar, the splitter, tooltips, accelerator tables, the
// user-interface-state table and the idle pass of the message loop.
#include "platform/accelerator.h"
#include "platform/bitmap.h"
#include "platform/command_bar.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/popup_menu.h"
#include "platform/rebar_control.h"
#include "platform/splitter_window.h"
#include "platform/status_bar_control.h"
#include "platform/text.h"
#include "platform/toolbar_control.h"
#include "platform/tooltip_control.h"
#include "platform/update_ui.h"
#include "resources/command_ids.h"
#include "resources/menus.h"
#include "resources/menus_board.h"
#include "resources/menus_footprint.h"
#include "resources/menus_schematic.h"
#include "resources/menus_symbol.h"
#include "resources/menus_trees.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace {

// A frame stand-in: records commands, notifications and menu openings.
class Owner : public PlatformWindow {
public:
    ~Owner() override { DestroyWindow(); }
    std::vector<int> commands;
    std::vector<NMTOOLBAR> dropDowns;
    std::vector<UINT> notifyCodes;
    std::vector<PopupMenu*> menusOpened;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override {
        result = 0;
        switch (msg) {
        case WM_COMMAND:
            commands.push_back(static_cast<int>(LOWORD(w)));
            return true;
        case WM_NOTIFY: {
            auto* hdr = LParamToPtr<NMHDR>(l);
            notifyCodes.push_back(hdr->code);
            if (hdr->code == TBN_DROPDOWN)
                dropDowns.push_back(*reinterpret_cast<NMTOOLBAR*>(hdr));
            return true;
        }
        case WM_INITMENUPOPUP:
            menusOpened.push_back(WParamToPtr<PopupMenu>(w));
            return true;
        default:
            return false;
        }
    }
};

class FrameControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create(nullptr, RECT{0, 0, 800, 400}, L"owner", WS_VISIBLE));
    }
    void TearDown() override {
        SetPopupMenuHook(nullptr);
        ResetKeyState();
        owner.DestroyWindow();
        PumpPendingMessages();
    }
    void Click(PlatformWindow* w, POINT p) {
        SimulateMouse(w, WM_MOUSEMOVE, p);
        SimulateMouse(w, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(w, WM_LBUTTONUP, p);
        PumpPendingMessages();
    }
    static POINT Centre(const RECT& r) {
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    Owner owner;
};

// --- Toolbars ---------------------------------------------------------------------

TEST_F(FrameControlsTest, ToolbarClicksSendCommandsOnlyForEnabledShownButtons) {
    ToolBarControl bar;
    ASSERT_TRUE(bar.LoadToolBar(IDR_TOOLBAR_MAIN));
    ASSERT_TRUE(bar.Create(&owner, RECT{0, 0, 800, 32}));
    // 17 entries, four of them separators; images count buttons only.
    ASSERT_EQ(bar.GetButtonCount(), 17);
    EXPECT_EQ(bar.GetButton(3).style, BTNS_SEP);
    EXPECT_EQ(bar.GetButton(4).command, ID_EDIT_CUT);
    EXPECT_EQ(bar.GetButton(4).image, 3);
    EXPECT_EQ(bar.GetButton(16).image, 12);

    int save = bar.CommandToIndex(ID_FILE_SAVE);
    Click(&bar, Centre(bar.GetItemRect(save)));
    EXPECT_EQ(owner.commands, std::vector<int>{ID_FILE_SAVE});

    // A disabled button and a separator do nothing; a press released
    // elsewhere does nothing either.
    bar.EnableButton(ID_FILE_SAVE, false);
    Click(&bar, Centre(bar.GetItemRect(save)));
    Click(&bar, Centre(bar.GetItemRect(3)));
    SimulateMouse(&bar, WM_LBUTTONDOWN, Centre(bar.GetItemRect(4)), MK_LBUTTON);
    SimulateMouse(&bar, WM_LBUTTONUP, Centre(bar.GetItemRect(6)));
    EXPECT_EQ(owner.commands.size(), 1u);

    // A hidden button takes no room: the next one moves into its place.
    RECT cut = bar.GetItemRect(bar.CommandToIndex(ID_EDIT_CUT));
    bar.HideButton(ID_EDIT_CUT, true);
    EXPECT_TRUE(IsRectEmpty(bar.GetItemRect(bar.CommandToIndex(ID_EDIT_CUT))));
    EXPECT_EQ(bar.GetItemRect(bar.CommandToIndex(ID_EDIT_COPY)).left, cut.left);
}

TEST_F(FrameControlsTest, DropDownArrowSendsTheButtonsCommandAndRectangle) {
    ToolBarControl bar;
    bar.LoadToolBar(IDR_TOOLBAR_MAIN);
    bar.SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    bar.SetButtonStyle(0, BTNS_DROPDOWN | BTNS_AUTOSIZE);
    bar.SetButtonCommand(0, ID_NEW_SYMBOL);
    ASSERT_TRUE(bar.Create(&owner, RECT{0, 0, 800, 32}));
    RECT arrow = bar.GetDropDownRect(0);
    ASSERT_FALSE(IsRectEmpty(arrow));
    EXPECT_EQ(arrow.right - arrow.left, ToolBarControl::kDropDownArrowWidth);
    Click(&bar, Centre(arrow));
    ASSERT_EQ(owner.dropDowns.size(), 1u);
    EXPECT_EQ(owner.dropDowns[0].iItem, ID_NEW_SYMBOL);
    EXPECT_TRUE(owner.dropDowns[0].rcButton == bar.GetItemRect(0));
    EXPECT_TRUE(owner.commands.empty());
    // The button part carries the command it was given.
    RECT button = bar.GetItemRect(0);
    button.right = arrow.left;
    Click(&bar, Centre(button));
    EXPECT_EQ(owner.commands, std::vector<int>{ID_NEW_SYMBOL});
}

TEST_F(FrameControlsTest, ButtonsBeyondTheWidthAreClippedAndTheTooltipNamesTheHovered) {
    ToolBarControl bar;
    bar.LoadToolBar(IDR_TOOLBAR_SYMBOL);
    ASSERT_TRUE(bar.Create(&owner, RECT{0, 0, 100, 32}));
    std::vector<int> clipped = bar.GetClippedButtons();
    ASSERT_FALSE(clipped.empty());
    EXPECT_EQ(bar.HitTest(Centre(bar.GetItemRect(clipped.back()))), -1);
    RECT first = bar.GetItemRect(0);
    SimulateMouse(&bar, WM_MOUSEMOVE, Centre(first));
    EXPECT_EQ(bar.GetHotItem(), 0);
    EXPECT_EQ(bar.GetCurrentToolTip(), L"Select");
    EXPECT_EQ(ToolBarControl::ToolTipTextOf(ID_FILE_SAVE), L"Save");
    SimulateMouseLeave(&bar);
    EXPECT_EQ(bar.GetHotItem(), -1);
}

// --- Rebar ------------------------------------------------------------------------

TEST_F(FrameControlsTest, RebarRowsHiddenBandsAndChevron) {
    ReBarControl rebar;
    ASSERT_TRUE(rebar.Create(&owner, RECT{0, 0, 800, 10}));
    ToolBarControl a, b, c;
    a.LoadToolBar(IDR_TOOLBAR_MAIN);
    b.LoadToolBar(IDR_TOOLBAR_SCHEMATIC);
    c.LoadToolBar(IDR_TOOLBAR_SYMBOL);
    for (ToolBarControl* t : {&a, &b, &c}) {
        ASSERT_TRUE(t->Create(&rebar, RECT{0, 0, 50, 32}));
        t->SetNotifyWindow(&owner);
    }
    rebar.InsertBand(ReBarBand{0xEB01, &a, true});
    rebar.InsertBand(ReBarBand{0xEB02, &b, true});
    rebar.InsertBand(ReBarBand{0xEB03, &c, false});
    int twoRows = rebar.GetBarHeight();
    EXPECT_EQ(rebar.GetBandRect(1).top, rebar.GetBandRect(2).top);
    EXPECT_GT(rebar.GetBandRect(1).top, rebar.GetBandRect(0).top);
    EXPECT_EQ(rebar.IdToIndex(0xEB03), 2);

    owner.notifyCodes.clear();
    rebar.ShowBand(0, false);
    EXPECT_LT(rebar.GetBarHeight(), twoRows);
    EXPECT_FALSE(a.IsWindowVisible());
    EXPECT_EQ(owner.notifyCodes, std::vector<UINT>{RBN_HEIGHTCHANGE});

    // Squeezed, the last band shows a chevron offering its clipped buttons.
    rebar.MoveWindow(RECT{0, 0, 300, twoRows});
    RECT chevron = rebar.GetChevronRect(2);
    ASSERT_FALSE(IsRectEmpty(chevron));
    std::vector<UINT> offered;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) {
        for (const auto& item : menu.Items())
            offered.push_back(item.id);
        return offered.back();
    });
    Click(&rebar, Centre(chevron));
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered.back(), static_cast<UINT>(ID_DRAW_TEXT));
    EXPECT_EQ(owner.commands, std::vector<int>{ID_DRAW_TEXT});

    // Destroyed and created again (as the main window is), the rebar starts
    // empty: its old bands, whose children are gone, take no room.
    rebar.DestroyWindow();
    ASSERT_TRUE(rebar.Create(&owner, RECT{0, 0, 800, 10}));
    EXPECT_EQ(rebar.GetBandCount(), 0);
    EXPECT_EQ(rebar.Layout(), 0);
    EXPECT_EQ(rebar.GetBarHeight(), 0);
}

// --- Menu bar ---------------------------------------------------------------------

TEST_F(FrameControlsTest, MenuBarOpensItsMenuAfterLettingTheOwnerPrepareIt) {
    CommandBarControl bar;
    ASSERT_TRUE(bar.Create(&owner, RECT{0, 0, 800, 24}));
    bar.SetNotifyWindow(&owner);
    ASSERT_TRUE(bar.AttachMenu(*LoadMenuResource(IDR_MAINFRAME)));
    auto images = ImageList::FromResource(IDR_TOOLBAR_MENU_IMAGES, 16, 0xFF00FF);
    ASSERT_NE(images, nullptr);
    bar.SetCommandImages(IDR_TOOLBAR_MENU_IMAGES, *images);
    ASSERT_EQ(bar.GetMenuCount(), 6);
    EXPECT_EQ(bar.GetMenuText(0), L"File");
    EXPECT_EQ(bar.FindMnemonic(L'w'), 4);
    EXPECT_EQ(bar.FindMnemonic(L'q'), -1);

    const PopupMenu* shown = nullptr;
    SetPopupMenuHook([&](const PopupMenu& menu, POINT) {
        shown = &menu;
        return static_cast<UINT>(ID_EDIT_COPY);
    });
    Click(&bar, Centre(bar.GetItemRect(1)));
    ASSERT_EQ(owner.menusOpened.size(), 1u);
    EXPECT_EQ(owner.menusOpened[0], bar.GetMenu(1));
    EXPECT_EQ(shown, bar.GetMenu(1));
    EXPECT_EQ(owner.commands, std::vector<int>{ID_EDIT_COPY});
    // Items of commands with a menu image show it; the others none.
    const PopupMenu::Item* copy = bar.GetMenu(1)->FindItem(ID_EDIT_COPY);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->bitmap, nullptr);
    EXPECT_EQ(copy->bitmap->Width(), 16);
    EXPECT_EQ(bar.GetMenu(1)->FindItem(ID_EDIT_MOVE_ORIGIN)->bitmap, nullptr);
}

// A title lit under the pointer goes dark once its menu has closed with the
// pointer elsewhere (it stayed lit behind the dialog its command opened).
TEST_F(FrameControlsTest, AMenuTitleIsNotLeftLitAfterItsMenuCloses) {
    CommandBarControl bar;
    ASSERT_TRUE(bar.Create(&owner, RECT{0, 0, 800, 24}));
    bar.SetNotifyWindow(&owner);
    ASSERT_TRUE(bar.AttachMenu(*LoadMenuResource(IDR_MAINFRAME)));
    owner.ShowWindow(true);
    bar.ShowWindow(true);
    const POINT title = Centre(bar.GetItemRect(1));
    auto pixel = [&] {
        RECT rc = bar.GetClientRect();
        auto image = PaintTarget::CreateImage(rc.right, rc.bottom);
        bar.RenderTo(*image);
        return image->PixelAt(bar.GetItemRect(1).left + 3, title.y);
    };
    const ARGB dark = pixel();
    SimulateMouse(&bar, WM_MOUSEMOVE, title);
    PumpPendingMessages();
    EXPECT_NE(pixel(), dark) << "lit under the pointer";
    SetPopupMenuHook([&](const PopupMenu&, POINT) {
        // The user goes down to an item, far from the bar.
        SetCursorPos(bar.ClientToScreen(POINT{title.x, 300}));
        return static_cast<UINT>(ID_EDIT_COPY);
    });
    Click(&bar, title);
    SetPopupMenuHook(nullptr);
    EXPECT_EQ(pixel(), dark);
}

// Menu images show their magenta key colour as transparent, as the toolbars do
// (the footprint editor's padstack menu showed magenta squares).
TEST_F(FrameControlsTest, MenuImagesLeaveTheirKeyColourTransparent) {
    std::shared_ptr<PopupMenu> menu = LoadPopupMenu(IDR_MENU_PLACE_PADSTACK);
    ASSERT_NE(menu, nullptr);
    const struct {
        UINT command;
        unsigned bitmap;
    } cases[] = {{ID_FP_PADSTACK_FROM_LIBRARY, IDB_PADSTACK_FROM_LIBRARY},
                 {ID_FP_PADSTACK_CREATE, IDB_PADSTACK_CREATE}};
    for (const auto& c : cases) {
        const PopupMenu::Item* item = menu->FindItem(c.command);
        ASSERT_NE(item, nullptr) << c.command;
        ASSERT_NE(item->bitmap, nullptr) << c.command;
        std::shared_ptr<Bitmap> raw = Bitmap::LoadResource(c.bitmap);
        ASSERT_NE(raw, nullptr);
        int keyed = 0;
        for (int y = 0; y < raw->Height(); ++y)
            for (int x = 0; x < raw->Width(); ++x) {
                const ARGB shown = item->bitmap->PixelAt(x, y);
                if (raw->PixelAt(x, y) == 0xFFFF00FF) {
                    ++keyed;
                    EXPECT_EQ(shown >> 24, 0u) << c.command << " at " << x << "," << y;
                } else {
                    EXPECT_EQ(shown, raw->PixelAt(x, y));
                }
            }
        EXPECT_GT(keyed, 0) << "the image has a key colour";
    }
}

// The access key of a menu entry: the character after a lone '&' ("&&"
// shows an ampersand), folded to lower case; 0 for none.
wchar_t AccessKey(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size() && text[i] != L'\t'; ++i) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] != L'&')
            return static_cast<wchar_t>(std::towlower(text[i + 1]));
        ++i;
    }
    return 0;
}

// The entries of one menu side by side, commands and sub-menus alike, and
// then each sub-menu's.
void ExpectDistinctAccessKeys(const std::vector<MenuItemResource>& items,
                              const std::string& where) {
    std::map<wchar_t, std::wstring> taken;
    for (const MenuItemResource& item : items) {
        if (const wchar_t key = AccessKey(item.text)) {
            const auto [at, fresh] = taken.emplace(key, item.text);
            EXPECT_TRUE(fresh) << where << ": '" << WideToUtf8(item.text) << "' and '"
                               << WideToUtf8(at->second) << "' share an access key";
        }
        if (item.kind == MenuItemResource::SubMenu)
            ExpectDistinctAccessKeys(item.items, where + " > " + WideToUtf8(item.text));
    }
}

// A key the entries of one menu share only moves between them, so one press
// of it chooses nothing: in every menu of the program each access key names
// one entry.
TEST(MenuResources, NoTwoEntriesOfOneMenuShareAnAccessKey) {
    std::vector<const MenuResource*> menus;
    for (unsigned id :
         {IDR_MAINFRAME, IDR_MENU_NEW, IDR_MENU_OPEN, IDR_MENU_PLACE_PADSTACK,
          IDR_MENU_BOARD_OUTLINE, IDR_MENU_COMPONENT, IDR_MENU_ROUTE, IDR_MENU_AREA, IDR_MENU_TEXT})
        menus.push_back(LoadMenuResource(id));
    for (unsigned id : {IDR_MENU_PROJECT, IDR_MENU_BLOCK, IDR_MENU_BOARD, IDR_MENU_SHEET,
                        IDR_MENU_SYMBOL_LIBRARY, IDR_MENU_SYMBOL_FOLDER, IDR_MENU_SYMBOL,
                        IDR_MENU_FOOTPRINT_LIBRARY, IDR_MENU_FOOTPRINT_FOLDER, IDR_MENU_FOOTPRINT,
                        IDR_MENU_PADSTACK_FOLDER, IDR_MENU_PADSTACK})
        menus.push_back(FindTreeMenu(id));
    for (unsigned id :
         {IDR_MENU_FOOTPRINT_PADS, IDR_MENU_TRANSFORM, IDR_MENU_PRIMITIVES, IDR_MENU_PAD_LAYER})
        menus.push_back(LoadFootprintViewMenu(id));
    for (const MenuResource* menu :
         {&BoardComponentMenu(), &BoardPackageTextMenu(), &BoardFreeTextMenu(),
          &SchematicWireMenu(), &SchematicObjectMenu(), &SymbolViewMenu()})
        menus.push_back(menu);
    for (const MenuResource* menu : menus) {
        ASSERT_NE(menu, nullptr);
        ExpectDistinctAccessKeys(menu->items, "menu " + std::to_string(menu->id));
    }
}

// --- Status bar and splitter -----------------------------------------------------

TEST_F(FrameControlsTest, StatusBarPanesTextsAndHitTests) {
    StatusBarControl bar;
    ASSERT_TRUE(
        bar.Create(&owner, RECT{0, 378, 800, 400}, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP));
    ASSERT_TRUE(bar.SetParts({300, 500, -1}));
    EXPECT_TRUE(bar.SetText(1, L"Net: GND"));
    EXPECT_EQ(bar.SendMessage(SB_SETTEXTW, 0, PtrToLParam(L"Ready")), 1);
    EXPECT_EQ(bar.GetText(0), L"Ready");
    EXPECT_EQ(bar.GetText(1), L"Net: GND");
    EXPECT_FALSE(bar.SetText(3, L"x"));
    EXPECT_EQ(bar.HitTest(POINT{100, 10}), 0);
    EXPECT_EQ(bar.HitTest(POINT{400, 10}), 1);
    EXPECT_EQ(bar.HitTest(POINT{700, 10}), 2);
    EXPECT_EQ(bar.GetRect(2).right, 800);
}

TEST_F(FrameControlsTest, SplitterDragMovesTheBarAndResizingKeepsTheLeftWidth) {
    SplitterWindow splitter;
    PlatformWindow left, right;
    ASSERT_TRUE(splitter.Create(&owner, RECT{0, 0, 800, 400}));
    ASSERT_TRUE(left.Create(&splitter, RECT{0, 0, 10, 10}));
    ASSERT_TRUE(right.Create(&splitter, RECT{0, 0, 10, 10}));
    splitter.SetSplitterPanes(&left, &right);
    splitter.SetSplitterPos(255);
    EXPECT_EQ(left.GetRectInParent().right, 255);
    EXPECT_EQ(right.GetRectInParent().left, 255 + SplitterWindow::kDefaultBarWidth);

    SimulateMouse(&splitter, WM_LBUTTONDOWN, POINT{257, 100}, MK_LBUTTON);
    SimulateMouse(&splitter, WM_MOUSEMOVE, POINT{307, 100}, MK_LBUTTON);
    SimulateMouse(&splitter, WM_LBUTTONUP, POINT{307, 100});
    EXPECT_EQ(splitter.GetSplitterPos(), 305);
    EXPECT_EQ(left.GetRectInParent().right, 305);

    splitter.MoveWindow(RECT{0, 0, 600, 400});
    EXPECT_EQ(left.GetRectInParent().right, 305);
    EXPECT_EQ(right.GetRectInParent().right, 600);
    // The bar never leaves the window.
    splitter.SetSplitterPos(5000);
    EXPECT_EQ(splitter.GetSplitterPos(), 600 - SplitterWindow::kDefaultBarWidth);
}

TEST_F(FrameControlsTest, TooltipShowsAfterTheWaitAndHidesOnMoveAndClick) {
    ToolTipControl tip;
    ASSERT_TRUE(tip.CreateFor(&owner));
    tip.SetText(L"Enter a number and click OK");
    tip.RelayEvent(Message{&owner, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)});
    EXPECT_FALSE(tip.IsShown());
    EXPECT_TRUE(tip.HasTimer(ToolTipControl::kShowTimer));
    tip.SendMessage(WM_TIMER, ToolTipControl::kShowTimer);
    EXPECT_TRUE(tip.IsShown());
    tip.RelayEvent(Message{&owner, WM_MOUSEMOVE, 0, MAKELPARAM(40, 10)});
    EXPECT_FALSE(tip.IsShown());
    tip.SendMessage(WM_TIMER, ToolTipControl::kShowTimer);
    tip.RelayEvent(Message{&owner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 10)});
    EXPECT_FALSE(tip.IsShown());
    // A deactivated tip never shows.
    tip.Activate(false);
    tip.Popup(POINT{5, 5});
    EXPECT_FALSE(tip.IsShown());
}

// --- Accelerators, state table, idle ----------------------------------------------

TEST_F(FrameControlsTest, AcceleratorsMatchKeysWithExactlyTheirModifiers) {
    AcceleratorTable table = AcceleratorTable::FromResource(IDR_MAINFRAME);
    ASSERT_FALSE(table.IsEmpty());
    struct Case {
        int key;
        uint8_t mods;
        int command;
    };
    const Case cases[] = {
        {'S', FCONTROL, ID_FILE_SAVE},
        {'S', 0, 0},
        {'S', FCONTROL | FSHIFT, 0},
        {VK_INSERT, FCONTROL, ID_EDIT_COPY},
        {VK_INSERT, FSHIFT, ID_EDIT_PASTE},
        {VK_BACK, FALT, ID_EDIT_UNDO},
        {VK_F3, 0, ID_EDIT_FIND_NEXT},
        {VK_F3, FSHIFT, ID_EDIT_FIND_PREVIOUS},
        {VK_ADD, 0, ID_VIEW_ZOOM_IN_AT_CURSOR},
        {'O', 0, ID_VIEW_ZOOM_OUT_AT_CURSOR},
        {'O', FCONTROL, ID_FILE_OPEN},
        {VK_RIGHT, FALT, ID_UNIT_NEXT},
        {VK_ESCAPE, 0, ID_TOOL_SELECT},
        {VK_F4, FCONTROL, ID_WINDOW_CLOSE},
        {VK_F6, FSHIFT, ID_PREV_PANE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.Find(c.key, c.mods), c.command) << c.key << " " << int(c.mods);

    // Translation sends the command and consumes the key.
    SetKeyState(VK_CONTROL, true);
    Message keyDown{&owner, WM_KEYDOWN, 'Y', 0};
    EXPECT_TRUE(TranslateAccelerator(&owner, table, &keyDown));
    Message keyUp{&owner, WM_KEYUP, 'Y', 0};
    EXPECT_FALSE(TranslateAccelerator(&owner, table, &keyUp));
    EXPECT_EQ(owner.commands, std::vector<int>{ID_EDIT_REDO});
}

TEST_F(FrameControlsTest, KeypadPlusAndMinusArriveAsKeysOfTheirOwn) {
    struct Filter : MessageFilter {
        std::vector<WPARAM> keys;
        bool PreTranslateMessage(Message* m) override {
            if (m->message == WM_KEYDOWN)
                keys.push_back(m->wParam);
            return false;
        }
    } filter;
    AddMessageFilter(&filter);
    SimulateKey(&owner, true, VK_ADD, L"+");
    SimulateKey(&owner, true, VK_OEM_PLUS, L"+");
    SimulateKey(&owner, true, VK_SUBTRACT, L"-");
    RemoveMessageFilter(&filter);
    EXPECT_EQ(filter.keys, (std::vector<WPARAM>{VK_ADD, VK_OEM_PLUS, VK_SUBTRACT}));
}

TEST_F(FrameControlsTest, StateTableReachesToolbarsOnUpdateAndMenusAsTheyOpen) {
    ToolBarControl bar;
    bar.LoadToolBar(IDR_TOOLBAR_MAIN);
    ASSERT_TRUE(bar.Create(&owner, RECT{0, 0, 800, 32}));
    UpdateUI ui;
    ui.UISetEntries({{ID_FILE_PRINT, UPDUI_MENUPOPUP | UPDUI_TOOLBAR},
                     {ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP},
                     {ID_EDIT_UNDO, UPDUI_TOOLBAR}});
    ui.UIAddToolBar(&bar);
    EXPECT_TRUE(ui.UIEnable(ID_FILE_PRINT, false));
    EXPECT_FALSE(ui.UIEnable(ID_FILE_SAVE, false)); // not in the table
    EXPECT_TRUE(ui.UIIsToolBarPending());
    EXPECT_TRUE(bar.IsButtonEnabled(ID_FILE_PRINT));
    ui.UIUpdateToolBar();
    EXPECT_FALSE(bar.IsButtonEnabled(ID_FILE_PRINT));
    EXPECT_TRUE(bar.IsButtonEnabled(ID_FILE_SAVE));
    ui.UISetCheck(ID_EDIT_UNDO, true, true);
    EXPECT_TRUE(bar.IsButtonChecked(ID_EDIT_UNDO));

    ui.UISetCheck(ID_VIEW_TOOLBAR, 1);
    ui.UIEnable(ID_EDIT_UNDO, false);
    std::shared_ptr<PopupMenu> menu = BuildPopupMenu(LoadMenuResource(IDR_MAINFRAME)->items);
    ui.UIUpdateMenu(*menu);
    EXPECT_TRUE(menu->FindItem(ID_FILE_PRINT)->flags & MF_GRAYED);
    EXPECT_TRUE(menu->FindItem(ID_VIEW_TOOLBAR)->flags & MF_CHECKED);
    // A toolbar-only entry leaves the menu item alone.
    EXPECT_FALSE(menu->FindItem(ID_EDIT_UNDO)->flags & MF_GRAYED);
}

TEST_F(FrameControlsTest, IdleHandlersRunWhenTheLoopRunsDry) {
    struct Counter : IdleHandler {
        int passes = 0;
        bool OnIdle() override {
            ++passes;
            if (passes == 2)
                PostQuitMessage(7);
            return false;
        }
    } counter;
    AddIdleHandler(&counter);
    RunIdleHandlers();
    EXPECT_EQ(counter.passes, 1);
    EXPECT_FALSE(IsIdlePending());
    // A posted message allows another pass; the loop runs it when the queue
    // is empty again, and the handler ends the loop.
    owner.PostMessage(WM_USER + 1);
    int code = RunMessageLoop();
    RemoveIdleHandler(&counter);
    EXPECT_EQ(code, 7);
    EXPECT_EQ(counter.passes, 2);
}

} // namespace

namespace {

TEST(FirstPaint, AWindowCoveredByItsChildrenCountsAsPaintedThroughThem) {
    PlatformWindow top, child;
    ASSERT_TRUE(top.Create(nullptr, RECT{0, 0, 300, 200}, L"top", 0));
    ASSERT_TRUE(child.Create(&top, RECT{0, 0, 300, 200}));
    EXPECT_FALSE(top.HasBeenPainted());
    top.ShowWindow(true);
    EXPECT_TRUE(WaitForFirstPaint(&top, kWindowSystemWaitMs));
    EXPECT_TRUE(child.HasBeenPainted());
    // Rendering into an image is no paint on the screen.
    PlatformWindow hidden;
    ASSERT_TRUE(hidden.Create(nullptr, RECT{0, 0, 50, 50}, L"hidden", 0));
    auto image = PaintTarget::CreateImage(50, 50);
    hidden.RenderTo(*image);
    EXPECT_FALSE(hidden.HasBeenPainted());
    EXPECT_FALSE(WaitForFirstPaint(&hidden, 50));
}

} // namespace
