// The board editor's window: the layer selector and layer keys, tools and
// their right-Alt variants, zoom to fit, snapping, undo guards and painting.
#include "board/area_node.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "core/node_type.h"
#include "dialogs/padstack_sheet.h"
#include "platform/combo_box_control.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "shell/left_tab_view.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/screen_picture.h"
#include "tests/views/board_view_fixture.h"
#include "views/board_layer_selector.h"

#include <cstdlib>
#include <vector>

namespace {

// --- The selector and the keys as arithmetic --------------------------------------

struct EntryCase {
    std::vector<int> inner;
    int layer;
    int entry;
};

TEST(BoardLayerSelector, EntriesOfLayers) {
    const std::vector<EntryCase> cases = {
        {{}, -1, 0},
        {{}, 0, 1},
        {{}, 1, 2},
        {{}, 22, 3},
        {{}, 31, 12},
        {{2, 3}, 2, 3},
        {{2, 3}, 3, 4},
        {{2, 3}, 22, 5},
        {{2, 3}, 31, 14},
        {{2, 3, 4, 5}, 5, 6},
        {{2, 3, 4, 5}, 23, 8},
        {{3, 7}, 7, 4},  // a stackup with gaps
        {{2, 3}, 9, -1}, // no such inner layer
    };
    for (const EntryCase& c : cases) {
        EXPECT_EQ(LayerSelectorEntry(c.layer, c.inner), c.entry) << "layer " << c.layer;
        if (c.entry >= 0) {
            EXPECT_EQ(LayerOfSelectorEntry(c.entry, c.inner), c.layer) << "entry " << c.entry;
        }
    }
}

TEST(BoardLayerSelector, CommandsOfEntries) {
    const std::vector<int> inner = {2, 3, 4, 5};
    // Command 33000 + k comes from entry k + 1.
    const std::vector<std::pair<int, int>> cases = {
        {0, 0}, {1, 1}, {2, 2}, {5, 5}, {6, 22}, {7, 23}, {15, 31}, {16, kNoLayerChange},
    };
    for (const auto& [k, layer] : cases)
        EXPECT_EQ(LayerOfSelectorCommand(k, inner), layer) << "k " << k;
    EXPECT_EQ(LayerOfSelectorCommand(2, {}), 22);
}

TEST(BoardLayerSelector, KeyHints) {
    // Two inner layers: entries 3 and 4 are inner layers, 5.. the others.
    const std::vector<std::pair<int, std::wstring>> two = {
        {0, L"0"},      {1, L"1"},       {2, L"2"},        {3, L"Ctrl+1"},
        {4, L"Ctrl+2"}, {5, L"Shift+1"}, {13, L"Shift+9"}, {14, L"Shift+0"},
    };
    for (const auto& [index, hint] : two)
        EXPECT_EQ(LayerSelectorKeyHint(index, 2), hint) << index;
    // Twenty inner layers: inner 10 is Ctrl+0, inner 11-20 have no key.
    EXPECT_EQ(LayerSelectorKeyHint(12, 20), L"Ctrl+0");
    EXPECT_EQ(LayerSelectorKeyHint(13, 20), L"");
    EXPECT_EQ(LayerSelectorKeyHint(22, 20), L"");
    EXPECT_EQ(LayerSelectorKeyHint(23, 20), L"Shift+1");
}

TEST(BoardLayerSelector, DigitKeys) {
    struct Case {
        int digit;
        bool shift, ctrl;
        int inner;
        int layer;
    };
    const std::vector<Case> cases = {
        {1, false, false, 0, 0},
        {2, false, false, 0, 1},
        {0, false, false, 0, -1},
        {3, false, false, 4, kNoLayerChange},
        {9, false, false, 4, kNoLayerChange},
        {1, true, false, 0, 22},
        {9, true, false, 0, 30},
        {0, true, false, 0, 31},
        {1, false, true, 2, 2},
        {2, false, true, 2, 3},
        {3, false, true, 2, kNoLayerChange},
        {0, false, true, 0, 11},
        {9, false, true, 9, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayerOfDigitKey(c.digit, c.shift, c.ctrl, c.inner), c.layer)
            << c.digit << " shift " << c.shift << " ctrl " << c.ctrl;
}

TEST(BoardRotation, QuarterTurns) {
    const std::vector<std::tuple<float, float, float>> cases = {
        {0, -90, -90},  {0, 90, 90},     {180, 90, -90}, {-90, -90, 180},
        {45, -90, -90}, // 45 - 90 = -45, rounded away from zero
        {135, 90, -90}, {-135, -90, 90}, {170, 0, 180},  {-180, 0, 180},
    };
    for (const auto& [from, delta, to] : cases)
        EXPECT_EQ(TurnByQuarter(from, delta), to) << from << " " << delta;
}

// --- The view -----------------------------------------------------------------------------

TEST_F(BoardViewTest, OpensOnTheBoardWithItsSelector) {
    OpenExample();
    EXPECT_EQ(view->GetBoard(), board);
    EXPECT_EQ(g_pActiveView, view);
    EXPECT_EQ(view->GetFrontLayer(), -1);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_TRUE(view->IsDrcOn());
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    // Four inner layers: 3 + 4 + 10 entries.
    ASSERT_EQ(combo.GetCount(), 17);
    EXPECT_EQ(combo.GetLBText(0), L"Select layer");
    EXPECT_EQ(combo.GetLBText(3), L"Inner 1");
    EXPECT_EQ(combo.GetLBText(6), L"Inner 4");
    EXPECT_EQ(combo.GetLBText(7), L"Silkscreen top");
    EXPECT_EQ(static_cast<CLayer*>(LParamToPtr<CLayer>(combo.GetItemData(4)))->m_id, 3);
    EXPECT_EQ(combo.GetCurSel(), 0);
    // Opening the board again shows the same view.
    EXPECT_EQ(g_MainFrame.OpenNodeView(board), view);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
    EXPECT_EQ(Saved(), original);
}

// The project tree opens the board it shows on a double click, as the user
// opens it; a second double click finds the same view.
TEST_F(BoardViewTest, TheProjectTreeOpensTheBoardInItsEditor) {
    const std::wstring copy = PathJoin(scratch, L"demo.circuit");
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(Utf8ToWide(VORPEL_SOURCE_DIR "/examples/demo.circuit"), bytes));
    ASSERT_TRUE(WriteWholeFile(copy, bytes));
    ASSERT_TRUE(g_MainFrame.Open(copy, kDocumentProject));
    board = FindBoard(&Project());
    ASSERT_NE(board, nullptr);
    g_MainFrame.m_leftPane.SelectTab(kDocumentProject);
    CLeftTabView& tree = *g_MainFrame.m_leftPane.GetTree(kDocumentProject);
    PumpPendingMessages();
    auto doubleClick = [&] {
        HTREEITEM item = tree.FindItem(board);
        ASSERT_NE(item, nullptr);
        tree.EnsureVisible(item);
        RECT r{};
        ASSERT_TRUE(tree.GetItemRect(item, &r, true));
        const POINT p{r.left - 8, (r.top + r.bottom) / 2};
        SimulateMouse(&tree, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(&tree, WM_LBUTTONUP, p);
        SimulateMouse(&tree, WM_LBUTTONDBLCLK, p, MK_LBUTTON);
        SimulateMouse(&tree, WM_LBUTTONUP, p);
        PumpPendingMessages();
    };
    doubleClick();
    auto* opened = dynamic_cast<CBoardView*>(g_MainFrame.m_tabWindow.GetView(0));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->GetBoard(), board);
    EXPECT_EQ(g_MainFrame.m_boardLayerCombo.GetCount(), 17);
    doubleClick();
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
}

TEST_F(BoardViewTest, DigitKeysMakeLayersCurrentAndShowThem) {
    OpenExample();
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    Key('1');
    EXPECT_EQ(view->GetFrontLayer(), 0);
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_TRUE(view->IsLayerVisible(0));
    // The front layer's digit again hides it, and once more shows it.
    Key('1');
    EXPECT_FALSE(view->IsLayerVisible(0));
    Key('1');
    EXPECT_TRUE(view->IsLayerVisible(0));
    Key('2');
    EXPECT_EQ(view->GetFrontLayer(), 1);
    Key('1', MK_SHIFT);
    EXPECT_EQ(view->GetFrontLayer(), 22);
    EXPECT_EQ(combo.GetCurSel(), 7);
    Key('0', MK_SHIFT);
    EXPECT_EQ(view->GetFrontLayer(), 31);
    Key('3', MK_CONTROL);
    EXPECT_EQ(view->GetFrontLayer(), 4);
    EXPECT_EQ(combo.GetCurSel(), 5);
    Key('0', MK_CONTROL); // Inner 10, whatever the stackup
    EXPECT_EQ(view->GetFrontLayer(), 11);
    Key('5'); // nothing
    EXPECT_EQ(view->GetFrontLayer(), 11);
    Key('0');
    EXPECT_EQ(view->GetFrontLayer(), -1);
    EXPECT_EQ(combo.GetCurSel(), 0);
    // The draw order holds every layer once, the front first.
    std::vector<int> order = view->GetDrawOrder();
    EXPECT_EQ(order.front(), -1);
    std::sort(order.begin(), order.end());
    for (int i = 0; i < 33; ++i)
        EXPECT_EQ(order[static_cast<size_t>(i)], i - 1);
    // Hiding every layer; Esc in the select tool shows them again.
    Key(VK_BACK);
    EXPECT_EQ(view->GetVisibleLayers(), 0u);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetVisibleLayers(), ~0ull);
    EXPECT_EQ(Saved(), original);
}

TEST_F(BoardViewTest, CtrlDigitBeyondTheStackupDoesNothing) {
    OpenText("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Project>\n"
             "  <Board Grid=\"1,1\" Outline=\"LIN0,0 LIN50,0 LIN50,30 LIN0,30\">B\n"
             "    <Layer>TOP</Layer>\n    <Layer>BOT</Layer>\n"
             "    <Layer>I01</Layer>\n    <Layer>I02</Layer>\n  </Board>\n</Project>\n");
    Key('3', MK_CONTROL);
    EXPECT_EQ(view->GetFrontLayer(), -1);
    Key('2', MK_CONTROL);
    EXPECT_EQ(view->GetFrontLayer(), 3);
    EXPECT_EQ(g_MainFrame.m_boardLayerCombo.GetCount(), 15);
}

TEST_F(BoardViewTest, SelectorChoicesAndPlaneLayerRows) {
    OpenExample();
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    // Entry 2 (Bottom) sends 33001: a plane layer shows its own rows.
    combo.SetCurSel(2);
    g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_BOARD_LAYER_COMBO, CBN_SELCHANGE),
                            PtrToLParam(&combo));
    PumpPendingMessages();
    EXPECT_EQ(view->GetFrontLayer(), 1);
    EXPECT_EQ(GetPropertyGrid()->GetShownObject(), board->FindLayer(1));
    // Entry 4 is Inner 2 (id 3), entry 8 Silkscreen bottom.
    combo.SetCurSel(4);
    g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_BOARD_LAYER_COMBO, CBN_SELCHANGE),
                            PtrToLParam(&combo));
    PumpPendingMessages();
    EXPECT_EQ(view->GetFrontLayer(), 3);
    combo.SetCurSel(8);
    g_MainFrame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_BOARD_LAYER_COMBO, CBN_SELCHANGE),
                            PtrToLParam(&combo));
    PumpPendingMessages();
    EXPECT_EQ(view->GetFrontLayer(), 23);
    EXPECT_EQ(GetPropertyGrid()->GetShownObject(), view);
}

TEST_F(BoardViewTest, SelectorDrawsSwatchesHatchingAndHints) {
    OpenExample();
    Key('2');
    Key('2'); // Bottom hidden
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    auto image = PaintTarget::CreateImage(200, 20, 0xFF808080);
    auto draw = [&](int index, UINT state) {
        image->Fill(0xFF808080);
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_COMBOBOX;
        dis.CtlID = ID_BOARD_LAYER_COMBO;
        dis.itemID = index;
        dis.itemState = state;
        dis.hwndItem = &combo;
        dis.target = image.get();
        dis.rcItem = RECT{0, 0, 200, 20};
        dis.itemData = combo.GetItemData(index);
        view->SendMessage(WM_DRAWITEM, ID_BOARD_LAYER_COMBO, PtrToLParam(&dis));
        image->Flush();
    };
    auto countColour = [&](ARGB colour) {
        int n = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 200; ++x)
                n += (image->PixelAt(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    };
    const COLORREF top = g_DefaultSettings.layerColors[0];
    const ARGB topArgb = 0xFF000000 | ((top & 0xFF) << 16) | (top & 0xFF00) | ((top >> 16) & 0xFF);
    draw(1, 0);
    const int shown = countColour(topArgb);
    EXPECT_GT(shown, 1000); // the swatch fills the entry
    const COLORREF bottom = g_DefaultSettings.layerColors[1];
    const ARGB bottomArgb =
        0xFF000000 | ((bottom & 0xFF) << 16) | (bottom & 0xFF00) | ((bottom >> 16) & 0xFF);
    draw(2, 0);
    const int hidden = countColour(bottomArgb);
    draw(2, ODS_COMBOBOXEDIT);
    const int hiddenBox = countColour(bottomArgb);
    // The hidden layer's entry is hatched: fewer swatch pixels than a plain
    // entry of the same size.
    EXPECT_LT(hidden, shown);
    EXPECT_GT(hidden, 500);
    EXPECT_GT(hiddenBox, 500);

    // The text is white on a dark swatch and black on a light one. In the
    // list the name sits at the left and the key hint ("1") at the right;
    // the closed box centres the name and has no hint.
    auto inkIn = [&](int x0, int x1, bool white) {
        int n = 0;
        for (int y = 3; y < 17; ++y)
            for (int x = x0; x < x1; ++x) {
                const ARGB p = image->PixelAt(x, y);
                const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                n += white ? (r > 200 && g > 200 && b > 200) : (r < 55 && g < 55 && b < 55);
            }
        return n;
    };
    struct Swatch {
        COLORREF colour;
        bool whiteText;
    } const swatches[] = {{0x800000, true}, {0xA0FFFF, false}};
    for (const Swatch& s : swatches) {
        SCOPED_TRACE(s.colour);
        g_DefaultSettings.layerColors[0] = s.colour;
        draw(1, 0);
        EXPECT_GT(inkIn(3, 60, s.whiteText), 0) << "the name at the left";
        EXPECT_GT(inkIn(150, 197, s.whiteText), 0) << "the hint at the right";
        EXPECT_EQ(inkIn(3, 197, !s.whiteText), 0) << "no text of the other colour";
        draw(1, ODS_COMBOBOXEDIT);
        EXPECT_EQ(inkIn(3, 60, s.whiteText), 0);
        EXPECT_GT(inkIn(60, 140, s.whiteText), 0) << "the name in the middle";
        EXPECT_EQ(inkIn(150, 197, s.whiteText), 0) << "no hint in the closed box";
    }
    g_DefaultSettings.layerColors[0] = top;
}

// The open list is wider than the box: every name stands whole beside its
// key hint ("Silkscreen top" and "Shift+1" do not run into each other).
TEST_F(BoardViewTest, TheOpenSelectorListFitsNamesAndKeyHints) {
    OpenExample();
    ComboBoxControl& combo = g_MainFrame.m_boardLayerCombo;
    combo.ShowDropDown(true);
    PlatformWindow* list = combo.GetDropDownWindow();
    ASSERT_NE(list, nullptr);
    const int width = list->GetClientRect().right;
    const int inner = combo.GetCount() - 13;
    for (int i = 0; i < combo.GetCount(); ++i) {
        const std::wstring name = combo.GetLBText(i);
        const std::wstring hint = LayerSelectorKeyHint(i, inner);
        // 3 pixels inside each edge, and a space's worth between.
        EXPECT_GE(width, combo.MeasureText(name).cx + combo.MeasureText(hint).cx + 6 + 4)
            << WideToUtf8(name) << " " << WideToUtf8(hint);
    }
    combo.ShowDropDown(false);
}

// --- Tools ---------------------------------------------------------------------------------

TEST_F(BoardViewTest, RightAltPicksTheFirstVariant) {
    OpenExample();
    struct Case {
        int key;
        bool rightAlt;
        int tool;
        int group;
    };
    const std::vector<Case> cases = {
        {'C', true, ID_BRD_MOVE_COMPONENT, ID_BRD_COMPONENT}, // no padstack sheet answer
        {'C', false, ID_BRD_MOVE_COMPONENT, ID_BRD_COMPONENT},
        {'R', true, ID_BRD_ROUTE_NEW, ID_BRD_ROUTE},
        {'R', false, ID_BRD_ROUTE_EDIT, ID_BRD_ROUTE},
        {'A', true, ID_BRD_AREA_NEW, ID_BRD_AREA},
        {'A', false, ID_BRD_AREA_EDIT, ID_BRD_AREA},
        {'T', false, ID_BRD_TEXT_EDIT, ID_BRD_TEXT},
        {'B', false, ID_BRD_OUTLINE, ID_BRD_OUTLINE},
    };
    // The free-component tool needs a padstack: one is chosen.
    SetFreeComponentPadstackSource([](CBoard*, int) -> CPadstack* { return new CPadstack(L"P1"); });
    for (const Case& c : cases) {
        Key(c.key, 0, !c.rightAlt, c.rightAlt);
        int expected = c.tool;
        if (c.key == 'C' && c.rightAlt)
            expected = ID_BRD_PLACE_FREE_COMPONENT;
        EXPECT_EQ(view->GetCurrentTool(), expected) << char(c.key) << " right " << c.rightAlt;
        EXPECT_EQ(g_MainFrame.UIGetCheck(c.group), 1);
        EXPECT_EQ(g_MainFrame.UIGetCheck(ID_TOOL_SELECT), 0);
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
        EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
        EXPECT_EQ(g_MainFrame.UIGetCheck(c.group), 0);
    }
    // A variant from the drop-down menu is taken as it is.
    Command(ID_BRD_AREA_NEW);
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_AREA_NEW);
    EXPECT_EQ(Saved(), original);
}

TEST_F(BoardViewTest, SnapNeedsAGrid) {
    OpenText("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Project>\n"
             "  <Board Grid=\"0,1\" Outline=\"LIN0,0 LIN50,0 LIN50,30 LIN0,30\">B\n"
             "  </Board>\n</Project>\n");
    EXPECT_FALSE(view->IsSnapOn());
    Command(ID_SNAP_TO_GRID);
    EXPECT_EQ(MessageBoxesWith(L"No grid defined"), 1);
    EXPECT_FALSE(view->IsSnapOn());
    EXPECT_EQ(GetPropertyGrid()->GetShownObject(), view);
    EXPECT_TRUE(GetPropertyGrid()->IsEditing());
    // The user types a grid width into the open row; with a grid the
    // command toggles snapping.
    TypeAtFocus(L"1");
    Key(VK_RETURN);
    EXPECT_EQ(board->m_gridX, 1.0f);
    Command(ID_SNAP_TO_GRID);
    EXPECT_TRUE(view->IsSnapOn());
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_SNAP_TO_GRID), 1);
    Key('G', 0, true);
    EXPECT_FALSE(view->IsSnapOn());
}

// --- Zoom to fit ------------------------------------------------------------------------------

TEST_F(BoardViewTest, ZoomToFitChoosesTheLargestFittingFactor) {
    OpenText("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Project>\n"
             "  <Board Grid=\"1,1\" Outline=\"LIN0,0 LIN100,0 LIN100,50 LIN0,50\">B\n"
             "  </Board>\n</Project>\n");
    struct Case {
        int width, height;
        int factor, mode;
    };
    // 100 mm are 377.95 pixels at 96 dots per inch and factor 1.
    const std::vector<Case> cases = {
        {1000, 1000, 2, 1}, {1600, 1000, 4, 1}, {377, 1000, 2, 0},
        {378, 1000, 1, 1},  {20, 20, 32, 0},    {1, 1, 256, 0},
    };
    for (const Case& c : cases) {
        view->ZoomToFit(c.width, c.height);
        EXPECT_EQ(view->GetZoomFactor(), c.factor) << c.width;
        EXPECT_EQ(view->GetZoomMode(), c.mode) << c.width;
    }
    // Centred: the board's middle lies at the middle of the area.
    view->ZoomToFit(1000, 600);
    const POINT middle = ToClient(PointF{50, 25});
    EXPECT_NEAR(middle.x, 500, 1);
    EXPECT_NEAR(middle.y, 300, 1);
    // Without an area the zoom stays.
    const POINT scroll = view->GetScrollOffset();
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 500}, std::pair{500, -3}}) {
        view->ZoomToFit(w, h);
        EXPECT_EQ(view->GetZoomFactor(), 2);
        EXPECT_EQ(view->GetScrollOffset().x, scroll.x);
        EXPECT_EQ(view->GetScrollOffset().y, scroll.y);
    }
    // A board too large for any zoom gets the smallest picture there is.
    for (CAreaNode* n = board->m_outline; n; n = n->m_next) {
        n->m_x *= 1e6f;
        n->m_y *= 1e6f;
    }
    view->ZoomToFit(20, 20);
    EXPECT_EQ(view->GetZoomFactor(), 1024);
    EXPECT_EQ(view->GetZoomMode(), 0);
    for (CAreaNode* n = board->m_outline; n; n = n->m_next) {
        n->m_x /= 1e6f;
        n->m_y /= 1e6f;
    }
    // A board without an outline fits too.
    CAreaNode* outline = board->m_outline;
    board->m_outline = nullptr;
    view->ZoomToFit(800, 600);
    EXPECT_EQ(view->GetZoomFactor(), 512);
    board->m_outline = outline;
}

// A new design's components land in rows below the board and its tracks
// may start there too: they are drawn where they lie, Zoom All takes them
// in, and they are picked and moved like any others. Copper areas and the
// pads' cuts into a plane stay clipped to the board. What the screen shows
// is checked at their places.
TEST_F(BoardViewTest, WhatLiesBeyondTheOutlineIsDrawnAndTakenInByZoomAll) {
    OpenText(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Grid="1,1" Outline="LIN0,0 LIN100,0 LIN100,50 LIN0,50">B
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Layer Type="DOC">SST</Layer>
    <Layer Type="PLANE">I01</Layer>
    <Area Layer="TOP">LIN-30,10 LIN30,10 LIN30,40 LIN-30,40</Area>
    <Package>
      <Pin Num="1"/>
      <Text Layer="SST" Name="RefDes" Pos="-1,3">R1</Text>
      <Footprint XY="10,-10">PAIR
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="2,2"/>
          <PadLayer Layer="PLN" Shape="RECT" Size="3.5,3.5"/>
          <Pad Num="1" XY="-2,0"/>
          <Pad Num="2" XY="2,0"/>
        </Padstack>
        <Marking Layer="SST">L-4,-3,4,-3W1</Marking>
      </Footprint>
    </Package>
    <Net>N
      <Conductor Layer="BOT" Width="2">50.000,-30.000 90.000,-30.000</Conductor>
    </Net>
  </Board>
</Project>
)");
    CFootprint* footprint = PackageFootprint(0);
    ASSERT_NE(footprint, nullptr);
    const auto colour = [](int layer) {
        return Color::FromColorRef(g_DefaultSettings.layerColors[layer]).GetValue();
    };
    const auto near = [](ARGB a, ARGB b) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                         static_cast<int>((b >> shift) & 0xFF)) > 8)
                return false;
        return true;
    };
    const auto inView = [&](PointF p) {
        const POINT c = ToClient(p);
        const RECT r = view->GetVisibleClientRect();
        return c.x >= r.left && c.x < r.right && c.y >= r.top && c.y < r.bottom;
    };
    struct Place {
        const char* what;
        PointF at; // relative to the footprint for its parts
        bool ofFootprint;
        int layer;
    };
    const std::vector<Place> places = {
        {"pad 1", {-2, 0}, true, 0},        {"pad 2", {2, 0}, true, 0},
        {"marking", {0, -3}, true, 22},     {"track start", {52, -30}, false, 1},
        {"track end", {88, -30}, false, 1},
    };
    const auto expectDrawn = [&](const char* step) {
        view->UpdateWindow();
        PumpPendingMessages();
        auto seen = screen_picture::Grab(*view);
        ASSERT_NE(seen, nullptr) << step;
        for (const Place& place : places) {
            const PointF p =
                place.ofFootprint ? footprint->LocalToBoard(place.at.X, place.at.Y) : place.at;
            ASSERT_TRUE(inView(p)) << step << ": " << place.what;
            const POINT c = ToClient(p);
            EXPECT_TRUE(near(seen->PixelAt(c.x, c.y), colour(place.layer)))
                << step << ": " << place.what << std::hex << " shows " << seen->PixelAt(c.x, c.y);
        }
        // Nor what the pads cut into the plane: there is no plane there.
        int cuts = 0;
        const POINT c = ToClient(footprint->m_boardPosition);
        for (int y = c.y - 40; y <= c.y + 40; ++y)
            for (int x = c.x - 40; x <= c.x + 40; ++x)
                cuts += near(seen->PixelAt(x, y), colour(2));
        EXPECT_EQ(cuts, 0) << step;
        // The copper area only within the board.
        int inside = 0, outside = 0;
        const POINT from = ToClient(PointF{-29, 39}), to = ToClient(PointF{29, 11});
        for (int y = from.y; y <= to.y; ++y)
            for (int x = from.x; x <= to.x; ++x) {
                const bool beyond = x < ToClient(PointF{-0.5f, 0}).x;
                const bool area = near(seen->PixelAt(x, y), colour(0));
                if (x > ToClient(PointF{0.5f, 0}).x || beyond)
                    (beyond ? outside : inside) += area;
            }
        EXPECT_GT(inside, 0) << step;
        EXPECT_EQ(outside, 0) << step;
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"board-beyond-outline")) << step;
    };
    // Opened fitted to all of it; the pads without their numbers show
    // their colour in the middle.
    Key('N', 0, true);
    expectDrawn("opened");
    // Picked and dragged farther out with the component tool: saved there,
    // undone and redone; Zoom All takes in where it went.
    Key('C', 0, true);
    Drag(PointF{8, -10}, PointF{2, -15});
    EXPECT_TRUE(footprint->IsSelected());
    const std::string moved = Saved();
    EXPECT_NE(moved.find("<Footprint XY=\"4,-15\">PAIR"), std::string::npos);
    // Selected pads are drawn hollow: Esc lets them show their colour.
    Key(VK_ESCAPE);
    ASSERT_FALSE(footprint->IsSelected());
    expectDrawn("dragged");
    EXPECT_UNDO_REDO(moved);
    footprint->m_boardPosition = PointF{-140, -90};
    view->InvalidateRect(nullptr, false);
    ASSERT_FALSE(inView(footprint->m_boardPosition));
    Command(ID_VIEW_ZOOM_ALL);
    expectDrawn("far out, zoomed to all");
    for (PointF corner : {PointF{0, 0}, PointF{100, 50}})
        EXPECT_TRUE(inView(corner));
}

} // namespace

// Without a source of its own the free-component tool asks the padstack
// sheet: Cancel goes back to Select and changes nothing; a padstack made on
// the Create page floats as a free component until Esc takes it away.
TEST_F(BoardViewTest, TheFreeComponentToolAsksThePadstackSheet) {
    OpenExample();
    SetFreeComponentPadstackSource(nullptr);
    int shown = 0;
    {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ++shown;
            ASSERT_NE(dynamic_cast<CPadstackSheet*>(&d), nullptr);
            dialog_driver::ClickButton(d, IDCANCEL);
        });
        Command(ID_BRD_PLACE_FREE_COMPONENT);
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(view->GetFloatingComponent(), nullptr);
    EXPECT_EQ(Saved(), original);
    {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ++shown;
            auto* sheet = dynamic_cast<CPadstackSheet*>(&d);
            ASSERT_NE(sheet, nullptr);
            ASSERT_TRUE(sheet->SetActivePage(CPadstackSheet::kCreatePage));
            dialog_driver::ClickButton(d, IDOK);
        });
        Command(ID_BRD_PLACE_FREE_COMPONENT);
    }
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(view->GetCurrentTool(), ID_BRD_PLACE_FREE_COMPONENT);
    CFootprint* floating = view->GetFloatingComponent();
    ASSERT_NE(floating, nullptr);
    ASSERT_EQ(floating->GetChildren().size(), 1u);
    EXPECT_EQ(floating->GetChildren()[0]->GetType(), NodeType::Padstack);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetFloatingComponent(), nullptr);
    EXPECT_EQ(Saved(), original);
}
