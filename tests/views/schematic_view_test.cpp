// The schematic editor as a user drives it: opening a sheet, zoom to fit,
// the picture of the example sheet, selecting with clicks and the rubber
// band, dragging, Delete, the context menus, scrolling, Esc, the in-place
// net label, the footprint change and the sheet's rows.
#include "tests/views/schematic_view_fixture.h"

#include "board/footprint.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/sheet_size_combobox.h"
#include "dialogs/load_footprint.h"
#include "platform/combo_box_control.h"
#include "platform/dc_recorder.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/paint_target.h"
#include "platform/tree_view_control.h"
#include "platform/ui_hooks.h"
#include "schematic/net.h"
#include "schematic/wire.h"
#include "tests/panel_rows.h"
#include "tests/screen_picture.h"

#include <algorithm>
#include <cstdlib>

#include <sys/stat.h>

namespace {

ARGB ToArgb(COLORREF c) {
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

TEST_F(SchematicViewTest, OpensOnASheetWithTheSheetsGridAndFitsItIntoTheWindow) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    EXPECT_EQ(view->GetViewKind(), kViewSchematic);
    EXPECT_EQ(view->GetDocumentKind(), kDocumentProject);
    EXPECT_EQ(view->GetGrid(), 254) << "the sheet's 2.54 mm grid";
    EXPECT_EQ(g_pActiveView, view);
    EXPECT_EQ(view->GetWindowText(), board->GetText() + L" - Main");
    EXPECT_EQ(OpenSchematicView(Sheet()), view) << "opening again shows the same view";

    view->ZoomAll();
    // Fitted into the part of the view the property panel leaves free.
    const RECT client = view->GetVisibleClientRect();
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    POINT a = view->LogicalToClient(dc.get(), POINT{0, Sheet()->m_size.cy});
    POINT b = view->LogicalToClient(dc.get(), POINT{Sheet()->m_size.cx, 0});
    EXPECT_GE(a.x, client.left);
    EXPECT_GE(a.y, client.top);
    EXPECT_LE(b.x, client.right);
    EXPECT_LE(b.y, client.bottom);
    EXPECT_LE(std::abs((a.x - client.left) - (client.right - b.x)), 1) << "centred across";
    EXPECT_LE(std::abs((a.y - client.top) - (client.bottom - b.y)), 1) << "centred down";
    // The next zoom in no longer fits.
    const int factor = view->GetZoomFactor(), mode = view->GetZoomMode();
    view->SetZoom(mode ? factor * 2 : factor / 2, mode ? 1 : (factor / 2 <= 1 ? 1 : 0));
    dc = view->MakeDC();
    a = dc->ToDevice(POINT{0, Sheet()->m_size.cy});
    b = dc->ToDevice(POINT{Sheet()->m_size.cx, 0});
    EXPECT_TRUE(b.x - a.x > client.right - client.left || b.y - a.y > client.bottom - client.top);
    // The sheet less a 5 mm margin, widened evenly to take in the example's
    // title 0.5 mm from the sheet's corner.
    EXPECT_EQ(view->GetPrintExtent().cx, Sheet()->m_size.cx - 100);
    EXPECT_EQ(view->GetPrintExtent().cy, Sheet()->m_size.cy - 100);
    // With the title moved inside, the margin is empty again.
    for (CSheetObject* object : Sheet()->m_objects)
        if (object->GetType() == NodeType::Text)
            object->m_position = POINT{100, 100};
    EXPECT_EQ(view->GetPrintExtent().cx, Sheet()->m_size.cx - 1000);
    EXPECT_EQ(view->GetPrintExtent().cy, Sheet()->m_size.cy - 1000);
}

TEST_F(SchematicViewTest, ZoomToFitEndsOnAWindowWithoutRoomAndKeepsTheZoomWithoutAnyArea) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    view->MoveWindow(RECT{0, 40, 1, 41});
    view->ZoomAll();
    EXPECT_EQ(view->GetZoomMode(), 0);
    EXPECT_EQ(view->GetZoomFactor(), CVorpelView::kMaxZoomFactor) << "the smallest scale";
    view->SetZoom(4, 1);
    view->MoveWindow(RECT{0, 40, 0, 40});
    view->ZoomAll();
    EXPECT_EQ(view->GetZoomFactor(), 4);
    EXPECT_EQ(view->GetZoomMode(), 1);
}

TEST_F(SchematicViewTest, WritesAPictureOfTheExampleSheetAtZoomToFit) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    view->ZoomAll();
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"schematic-view"));
    auto image = screen_picture::Grab(*view);
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(image->SavePng(PathJoin(screen_picture::PictureFolder(), L"schematic-view.png")));
    // The sheet lies on its background colour; a wire of net N1 is drawn.
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    const int g = view->GetGrid();
    const POINT inside = view->LogicalToClient(dc.get(), POINT{50 * g, 50 * g});
    EXPECT_EQ(image->PixelAt(inside.x, inside.y), ToArgb(g_DefaultSettings.colorBkg));
    const POINT wire = view->LogicalToClient(dc.get(), POINT{16 * g, 9 * g});
    bool ink = false;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            ink |= image->PixelAt(wire.x + dx, wire.y + dy) == ToArgb(g_DefaultSettings.colorWire);
    EXPECT_TRUE(ink);
}

// A small sheet: R1 and R2 joined by net N9's wire, R3 apart.
const char* const kSmall =
    "  <Board>Small\r\n"
    "    <Sheet BusWidth=\"0.5\" DotDiam=\"1\" GridSize=\"2.54\" SheetSize=\"297,210\" "
    "WireWidth=\"0.15\">Main</Sheet>\r\n"
    "    <Package Footprint=\"R0805\">\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,10\">RC0,0,40,20\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R1</Text>\r\n"
    "    </Package>\r\n"
    "    <Package Footprint=\"R0805\">\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"30,10\">RC0,0,40,20\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R2</Text>\r\n"
    "    </Package>\r\n"
    "    <Package Footprint=\"R0805\">\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,30\">RC0,0,40,20\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R3</Text>\r\n"
    "    </Package>\r\n"
    "    <Net>N9\r\n"
    "      <Wire SheetName=\"Main\">15,11,22,11</Wire>\r\n"
    "      <Wire SheetName=\"Main\">22,11,29,11</Wire>\r\n"
    "    </Net>\r\n"
    "  </Board>\r\n";

TEST_F(SchematicViewTest, ClicksSelectAndTheRubberBandSelectsWhatItTouches) {
    ASSERT_NE(OpenText(Project(kSmall)), nullptr);
    CPart* r1 = PackageByRefDes(L"R1")->GetPart(0);
    CPart* r2 = PackageByRefDes(L"R2")->GetPart(0);
    CPart* r3 = PackageByRefDes(L"R3")->GetPart(0);
    Click({12, 11});
    EXPECT_TRUE(r1->IsSelected());
    EXPECT_TRUE(r1->GetChild(0)->IsSelected()) << "the pins go with their part";
    EXPECT_EQ(view->GetLastClicked(), r1);
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetShownObject(), r1);
    Click({32, 11}, MK_CONTROL);
    EXPECT_TRUE(r1->IsSelected()) << "Ctrl adds to the selection";
    EXPECT_TRUE(r2->IsSelected());
    Click({60, 60});
    EXPECT_FALSE(r1->IsSelected() || r2->IsSelected()) << "a click on nothing clears it";
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetShownObject(), nullptr);
    // The band: pressed on nothing, dragged over R3 and the second wire.
    MoveTo({8, 35});
    SimulateMouse(view, WM_LBUTTONDOWN, ClientAt({8, 35}), MK_LBUTTON);
    SimulateMouse(view, WM_MOUSEMOVE, ClientAt({24, 28}), MK_LBUTTON);
    EXPECT_TRUE(view->HasRubberBand());
    EXPECT_TRUE(r3->IsSelected());
    EXPECT_FALSE(r1->IsSelected());
    SimulateMouse(view, WM_MOUSEMOVE, ClientAt({24, 9}), MK_LBUTTON);
    EXPECT_TRUE(r1->IsSelected()) << "the band grew over R1";
    SimulateMouse(view, WM_MOUSEMOVE, ClientAt({24, 28}), MK_LBUTTON);
    EXPECT_FALSE(r1->IsSelected()) << "and shrank back";
    SimulateMouse(view, WM_LBUTTONUP, ClientAt({24, 28}), 0);
    EXPECT_FALSE(view->HasRubberBand());
    EXPECT_TRUE(r3->IsSelected());
    ExpectSame(original, Save(), "selecting changes nothing saved");
}

// Ctrl+S after a mirrored part was put down, while its copy follows the
// cursor: the copy ends as Esc ends it and is not saved (no extra package
// or part), the view goes on, and one undo gives the original bytes back.
TEST_F(SchematicViewTest, SaveLeavesOutTheCopyThatFollowsTheCursor) {
    std::string demo;
    ASSERT_TRUE(ReadWholeFile(ExamplePath(), demo));
    ASSERT_NE(OpenText(demo), nullptr);
    auto count = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    auto mirrorR2 = [&] {
        Click({22, 9});
        ASSERT_TRUE(PackageByRefDes(L"R2")->GetPart(0)->IsSelected());
        Key('V');
        Click({22, 9});
        ASSERT_TRUE(view->IsActionInProgress()) << "a copy follows the cursor";
    };
    mirrorR2();
    Key(VK_ESCAPE);
    const std::string expected = Save();
    EXPECT_NE(expected, original);
    EXPECT_EQ(count(expected, "<Package"), count(original, "<Package"));
    EXPECT_EQ(count(expected, "<Part "), count(original, "<Part "));
    Undo();
    ExpectSame(original, Save(), "the mirroring undone");

    mirrorR2();
    const std::wstring path = Root().GetFilePath();
    Key('S', MK_CONTROL);
    EXPECT_FALSE(view->IsActionInProgress());
    std::string file;
    ASSERT_TRUE(ReadWholeFile(path, file));
    ExpectSame(expected, file, "the saved file");
    EXPECT_FALSE(g_MainFrame.IsDocumentModified(kDocumentProject));
    Undo();
    ExpectSame(original, Save(), "undo after the save");
    Redo();
    ExpectSame(expected, Save(), "redo after the save");
}

TEST_F(SchematicViewTest, DraggingAPartTakesItsWiresAlong) {
    ASSERT_NE(OpenText(Project(kSmall)), nullptr);
    const std::string done = DoUndoRedo([&] { Drag({32, 11}, {32, 15}); });
    CPart* r2 = PackageByRefDes(L"R2")->GetPart(0);
    EXPECT_EQ(r2->m_position.y, 14);
    EXPECT_TRUE(HasLine(done, "<Part Outline=\"4,2\" SheetName=\"Main\" XY=\"30,14\">RC0,0,40,20"));
    ExpectDrawingAgreesWithNets();
    EXPECT_EQ(static_cast<CPin*>(r2->GetChild(0))->m_pNet, Net(L"N9"));
}

// A press that places a text hands over to the select tool; the move it
// goes on with must not drag the selection, whose wires were gathered by an
// older press and may since have been deleted.
TEST_F(SchematicViewTest, APressThatPlacesATextLeavesTheSelectionWhereItIs) {
    ASSERT_NE(OpenText(Project(kSmall)), nullptr);
    CPart* r2 = PackageByRefDes(L"R2")->GetPart(0);
    // A second wire drawn to R2's first pin; a press on R2 gathers it.
    Command(ID_SCH_PLACE_WIRE);
    Click({29, 16});
    MoveTo({29, 11});
    Click({29, 11});
    ASSERT_FALSE(view->IsWireInProgress());
    Key(VK_ESCAPE);
    Click({32, 11});
    ASSERT_TRUE(r2->IsSelected());
    // Closed unsaved: the undo deletes the wire for good.
    ui.Answer({IDNO});
    Command(ID_WINDOW_CLOSE);
    ui.DropAnswers();
    ExpectSame(original, Save(), "after closing the tab");
    ASSERT_NE(OpenSheet(L"Main"), nullptr);
    Drag({36, 16}, {33, 11}); // a band over R2
    ASSERT_TRUE(r2->IsSelected());
    Command(ID_SCH_PLACE_TEXT);
    ASSERT_NE(view->GetFloatingText(), nullptr);
    Drag({40, 30}, {40, 36});
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(r2->m_position.y, 10) << "the press was the text tool's";
    ExpectSame(original, Save(), "an empty text leaves nothing");
    ExpectDrawingAgreesWithNets();
}

TEST_F(SchematicViewTest, DeleteRemovesTheSelectionAndSplitsWhatItHeldTogether) {
    ASSERT_NE(OpenText(Project(kSmall)), nullptr);
    Click({20, 11}); // the first wire
    const std::string done = DoUndoRedo([&] { Key(VK_DELETE); });
    EXPECT_FALSE(HasLine(done, "<Wire SheetName=\"Main\">15,11,22,11</Wire>"));
    CPin* r1b = static_cast<CPin*>(PackageByRefDes(L"R1")->GetPart(0)->GetChild(1));
    EXPECT_EQ(r1b->m_pNet, nullptr) << "R1 lost its joint";
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetShownObject(), nullptr);
    // A part leaves the sheet and its package the board.
    Click({12, 31});
    const std::string gone = DoUndoRedo([&] { Key(VK_DELETE); });
    EXPECT_EQ(PackageByRefDes(L"R3"), nullptr);
    EXPECT_EQ(gone.find("R3"), std::string::npos);
}

// The GND wire's bus entry of -2 reaches a whole grid step across the wire:
// deleted at a close zoom, the wire leaves none of it on the screen.
TEST_F(SchematicViewTest, AWireDeletedTakesAllOfItsBusEntryOffTheScreen) {
    ASSERT_NE(OpenProject(ExamplePath(), L"Power"), nullptr);
    for (int notch = 0; notch < 3; ++notch)
        Command(ID_ZOOM_IN);
    ShowInTheMiddle({11, 5}); // the wire runs from 10,5 to 13,5
    Click({11, 5});
    auto* wire = dynamic_cast<CWire*>(g_MainFrame.GetPropertyGrid().GetShownObject());
    ASSERT_NE(wire, nullptr);
    ASSERT_EQ(wire->m_busEntry1, -2);
    Key(VK_DELETE);
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"bus-entry-deleted"));
}

TEST_F(SchematicViewTest, ContextMenusOfferWhatTheSelectionAllows) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    // Nothing there and nothing selected: no menu at all.
    RightClick({100, 60}, 0);
    EXPECT_TRUE(menus.empty());
    // A plain wire: menu 329 with the bus-entry items off.
    RightClick({16, 9}, 0);
    ASSERT_EQ(menus.size(), 1u);
    auto state = [&](UINT id) {
        for (const PopupMenu::Item& item : lastMenuItems)
            if (item.id == id)
                return (item.flags & MF_GRAYED) ? 0 : 1;
        return -1;
    };
    EXPECT_EQ(state(ID_SCH_BREAK_WIRE), 1);
    EXPECT_EQ(state(ID_SCH_TOGGLE_BUS_ENTRY), 0);
    EXPECT_EQ(state(ID_SCH_RENAME_BUS_ENTRY), 0);
    for (const PopupMenu::Item& item : lastMenuItems) {
        if (item.id == ID_SCH_RENAME_BUS_ENTRY) {
            EXPECT_EQ(item.text, L"&Rename Bus Enrty");
        }
    }
    // A part: menu 266 with Replace Image on.
    Click({100, 60});
    RightClick({12, 9}, 0);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(state(ID_SCH_REPLACE_IMAGE), 1);
    EXPECT_EQ(state(ID_SCH_ROTATE), 1);
    EXPECT_EQ(state(ID_SCH_BREAK_WIRE), -1);
    ExpectSame(original, Save());
}

TEST_F(SchematicViewTest, TheWireMenuBreaksWiresAndTogglesBusEntries) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    // Break the wire 17,9 - 17,12 of N1 at 17,10.
    const std::string broken = DoUndoRedo([&] {
        Click({100, 60});
        RightClick({17, 10}, ID_SCH_BREAK_WIRE);
    });
    EXPECT_TRUE(HasLine(broken, "<Wire SheetName=\"Main\">17,9,17,10</Wire>"));
    EXPECT_TRUE(HasLine(broken, "<Wire SheetName=\"Main\" be2=\"1\">17,10,17,12</Wire>"));
    Undo();
    // The right click on the wire's net label marks that end; the toggle
    // turns the entry to the other side.
    CWire* wire = nullptr;
    for (CWire* w : Net(L"N1")->GetWires())
        if (w->m_busEntry2)
            wire = w;
    ASSERT_NE(wire, nullptr);
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    const RECT label = wire->GetBusEntryLabelRect(dc.get(), 2);
    const POINT centre{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    const std::string toggled = DoUndoRedo([&] {
        Click({100, 60});
        menuAnswers.push_back(ID_SCH_TOGGLE_BUS_ENTRY);
        SimulateMouse(view, WM_RBUTTONDOWN, ClientAtLogical(centre), MK_RBUTTON);
        SimulateMouse(view, WM_RBUTTONUP, ClientAtLogical(centre), 0);
        PumpPendingMessages();
    });
    EXPECT_TRUE(HasLine(toggled, "<Wire SheetName=\"Main\" be2=\"-1\">17,9,17,12</Wire>"));
}

TEST_F(SchematicViewTest, ANetLabelIsRenamedInPlace) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    CWire* wire = nullptr;
    for (CWire* w : Net(L"N1")->GetWires())
        if (w->m_busEntry2)
            wire = w;
    ASSERT_NE(wire, nullptr);
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    const RECT label = wire->GetBusEntryLabelRect(dc.get(), 2);
    const POINT at =
        ClientAtLogical(POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2});
    const std::string done = DoUndoRedo([&] {
        // A click marks the label, a second one opens it for editing.
        for (int i = 0; i < 2; ++i) {
            SimulateMouse(view, WM_LBUTTONDOWN, at, MK_LBUTTON);
            SimulateMouse(view, WM_LBUTTONUP, at, 0);
        }
        PumpPendingMessages();
        EditControl* edit = view->GetLabelEdit();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->GetWindowText(), L"N1");
        edit->SetSel(0, -1);
        SimulateTyping(edit, L"CLK");
        Key(VK_RETURN);
        EXPECT_EQ(view->GetLabelEdit(), nullptr);
    });
    // The cluster around the wire went to the new net; N1's other wires
    // stayed.
    ASSERT_NE(Net(L"CLK"), nullptr);
    EXPECT_EQ(wire->GetNet(), Net(L"CLK"));
    EXPECT_TRUE(HasLine(done, "<Net AirwireColor=\"65535\">CLK"));
    // Esc closes the edit and changes nothing.
    const std::string before = Save();
    for (int i = 0; i < 2; ++i) {
        SimulateMouse(view, WM_LBUTTONDOWN, at, MK_LBUTTON);
        SimulateMouse(view, WM_LBUTTONUP, at, 0);
    }
    ASSERT_NE(view->GetLabelEdit(), nullptr);
    SimulateTyping(view->GetLabelEdit(), L"X");
    // Keys at the view go to the label; one the label leaves ends there.
    view->SetFocus();
    for (const auto& [vk, mk] :
         {std::pair<int, WPARAM>{'Z', MK_CONTROL}, {VK_NEXT, 0}, {'Y', MK_CONTROL}}) {
        Key(vk, mk);
        ASSERT_NE(view->GetLabelEdit(), nullptr);
    }
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetLabelEdit(), nullptr);
    ExpectSame(before, Save());
}

TEST_F(SchematicViewTest, ArrowsScrollByAGridStepAndEscGoesBackToSelecting) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    for (int zoom : {1, 4}) {
        view->SetZoom(zoom, 1);
        const POINT start = view->GetScrollOffset();
        const POINT origin = ClientAt({0, 0});
        const POINT step = ClientAt({1, 1});
        const int px = std::abs(step.x - origin.x);
        const int py = std::abs(step.y - origin.y);
        Key(VK_LEFT);
        EXPECT_EQ(view->GetScrollOffset().x, start.x + px) << zoom;
        Key(VK_RIGHT);
        Key(VK_UP);
        EXPECT_EQ(view->GetScrollOffset().y, start.y + py) << zoom;
        Key(VK_DOWN);
        EXPECT_EQ(view->GetScrollOffset().x, start.x);
        EXPECT_EQ(view->GetScrollOffset().y, start.y);
    }
    Command(ID_SCH_PLACE_BUS);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_SCH_PLACE_BUS), 1);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_TOOL_SELECT), 1);
    EXPECT_EQ(g_MainFrame.UIGetCheck(ID_SCH_PLACE_BUS), 0);
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetShownObject(), view) << "the sheet's rows";
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetTitle(), L"Sheet Properties");
    // Alt+W picks the wire tool.
    Key('W', 0, true);
    EXPECT_EQ(view->GetCurrentTool(), ID_SCH_PLACE_WIRE);
}

// --- The sheet's rows -----------------------------------------------------------

class SheetRowsTest : public SchematicViewTest {
protected:
    void SetUp() override {
        SchematicViewTest::SetUp();
        ASSERT_NE(OpenProject(ExamplePath()), nullptr);
        Key(VK_ESCAPE); // the panel shows the sheet
        ASSERT_EQ(Grid().GetShownObject(), view);
    }
    CPropertyGrid& Grid() { return g_MainFrame.GetPropertyGrid(); }
    std::wstring RowText(int row) {
        auto* edit = dynamic_cast<CPropertyEdit*>(Grid().GetItem(row));
        return edit ? edit->GetText() : L"?";
    }
    void Type(int row, const std::wstring& text) {
        Grid().BeginEditRow(row);
        auto* edit = dynamic_cast<CPropertyEdit*>(Grid().GetItem(row));
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(edit->GetEditor(), nullptr);
        edit->GetEditor()->SetWindowText(text);
        Grid().CommitRow(row);
        PumpPendingMessages();
        // Back to the sheet, where Ctrl+Z undoes.
        g_MainFrame.m_tabWindow.SetFocus();
    }
    // Draws a wire of a new net and clicks it: the panel shows the wire.
    CWire* DrawAndShowWire() {
        Command(ID_SCH_PLACE_WIRE);
        Click(POINT{70, 60});
        Click(POINT{80, 60});
        Key(VK_ESCAPE);
        Click(POINT{75, 60});
        return dynamic_cast<CWire*>(Grid().GetShownObject());
    }
    // Opens the row's drop-down and clicks its entry.
    void Choose(int row, int entry) {
        Grid().BeginEditRow(row);
        auto* combo = dynamic_cast<CPropertyComboBase*>(Grid().GetItem(row));
        ASSERT_NE(combo, nullptr);
        ComboBoxControl* editor = combo->GetEditor();
        ASSERT_NE(editor, nullptr);
        editor->ShowDropDown(true);
        PlatformWindow* drop = editor->GetDropDownWindow();
        ASSERT_NE(drop, nullptr);
        const int h = editor->GetItemHeight();
        const POINT p{10, entry * h + h / 2};
        SimulateMouse(drop, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(drop, WM_LBUTTONUP, p);
        PumpPendingMessages();
        g_MainFrame.m_tabWindow.SetFocus();
    }
};

// A power symbol's net name stands where it is drawn (sheet Main, #PWR1): a
// new name, longer or shorter, takes the old one's place on the screen,
// deselecting repaints it in the symbol's colour, and the symbol's bounds
// hold it, measured in the font it is drawn in under any other.
TEST_F(SheetRowsTest, APowerSymbolsNetNameIsRepaintedWhereItIsDrawn) {
    CPart* gnd = nullptr;
    for (CSheetObject* object : Sheet()->m_objects)
        if (object->GetType() == NodeType::Part && static_cast<CPart*>(object)->GetOwnPowerPin())
            gnd = static_cast<CPart*>(object);
    ASSERT_NE(gnd, nullptr);
    ShowInTheMiddle({28, 7});
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    // The rectangle the name is drawn in, from a drawing of the symbol.
    auto drawnLabel = [&] {
        DcRecorder recorder;
        dc->SetRecorder(&recorder);
        gnd->DrawOnSheet(dc.get(), 0);
        dc->SetRecorder(nullptr);
        for (const DcRecord& r : recorder.OfKind(DcOp::Text))
            if (r.text == gnd->GetOwnPowerPin()->m_fixedNetName)
                return RECT{std::min(r.logical[0].x, r.logical[1].x),
                            std::min(r.logical[0].y, r.logical[1].y),
                            std::max(r.logical[0].x, r.logical[1].x),
                            std::max(r.logical[0].y, r.logical[1].y)};
        ADD_FAILURE() << "the name is not drawn";
        return RECT{};
    };
    for (const wchar_t* name : {L"POWERSUPPLYNET", L"G"}) {
        SCOPED_TRACE(WideToUtf8(name));
        Click({28, 8}); // the symbol's line
        ASSERT_EQ(Grid().GetShownObject(), gnd);
        ASSERT_EQ(Grid().GetItem(0)->GetName(), L"Default Net");
        Type(0, name);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"power-name-typed"));
        Click({22, 2}); // nothing there
        ASSERT_FALSE(gnd->IsSelected());
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"power-name-deselected"));
        // Whatever font the context holds (a caller's, or none chosen yet),
        // the bounds are those of the name in the font it is drawn in.
        const LogFont viewFont = GetViewFont(false);
        LogFont tiny = viewFont, large = viewFont;
        tiny.lfHeight = viewFont.lfHeight / 4 ? viewFont.lfHeight / 4 : 1;
        large.lfHeight = viewFont.lfHeight * 4;
        const LogFont held = dc->SelectFont(viewFont);
        const RECT label = drawnLabel(), bounds = gnd->GetBoundsOnSheet(dc.get());
        EXPECT_TRUE(label.left >= bounds.left && label.right <= bounds.right &&
                    label.top >= bounds.top && label.bottom <= bounds.bottom);
        for (const LogFont& font : {tiny, large}) {
            SCOPED_TRACE(font.lfHeight);
            dc->SelectFont(font);
            const RECT under = gnd->GetBoundsOnSheet(dc.get()), drawn = drawnLabel();
            EXPECT_TRUE(under.left == bounds.left && under.top == bounds.top &&
                        under.right == bounds.right && under.bottom == bounds.bottom);
            EXPECT_TRUE(drawn.left == label.left && drawn.top == label.top &&
                        drawn.right == label.right && drawn.bottom == label.bottom);
        }
        dc->SelectFont(held);
    }
}

// A net renamed in the panel and the rename undone and redone with the
// keys: the net's row shows the name the net has after each step.
TEST_F(SheetRowsTest, ANetsRowFollowsUndoAndRedoOfItsRename) {
    Click(POINT{16, 9}); // the wire between R1 and R2
    auto* wire = dynamic_cast<CWire*>(Grid().GetShownObject());
    ASSERT_NE(wire, nullptr);
    const std::wstring name = RowText(0);
    ASSERT_EQ(name, wire->GetNet()->GetName());
    Type(0, L"RENAMED");
    ASSERT_EQ(wire->GetNet()->GetName(), L"RENAMED");
    EXPECT_EQ(RowText(0), L"RENAMED");
    const struct {
        int key;
        std::wstring expected;
    } steps[] = {{'Z', name}, {'Y', L"RENAMED"}, {'Z', name}};
    for (const auto& step : steps) {
        Key(step.key, MK_CONTROL);
        PumpPendingMessages();
        EXPECT_EQ(wire->GetNet()->GetName(), step.expected);
        EXPECT_EQ(RowText(0), step.expected);
    }
}

// A new net renamed to an existing net's name is merged into it: the panel,
// showing the wire or the net, then shows the surviving net's rows.
TEST_F(SheetRowsTest, ANetMergedByItsNewNameShowsTheSurvivorsRows) {
    for (bool showNet : {false, true}) {
        SCOPED_TRACE(showNet);
        CWire* wire = DrawAndShowWire();
        ASSERT_NE(wire, nullptr);
        if (showNet)
            Grid().ShowProperties(wire->GetNet());
        const std::string drawn = Save();
        Grid().BeginEditRow(0);
        TypeAtFocus(L"DATA");
        Key(VK_RETURN);
        CNet* data = wire->GetNet();
        ASSERT_EQ(data->GetName(), L"DATA");
        EXPECT_EQ(panel_rows::Shown(Grid()),
                  (std::vector<std::wstring>{L"Net properties", L"Net name: DATA",
                                             L"Airwire color: colour 16711680"}));
        const std::string merged = Save();
        Undo();
        ExpectSame(drawn, Save());
        Redo();
        ExpectSame(merged, Save());
        Undo();
        Undo();
    }
}

// A wire whose leg runs over another net's wire end takes that net over
// while it is still being drawn: the panel, which showed the new net, shows
// the one that took it over.
TEST_F(SheetRowsTest, AWireJoiningANetLeavesThePanelOnTheSurvivor) {
    CWire* wire = DrawAndShowWire();
    ASSERT_NE(wire, nullptr);
    CNet* survivor = wire->GetNet();
    Command(ID_SCH_PLACE_WIRE);
    Click(POINT{80, 40});
    CNet* drawn = dynamic_cast<CNet*>(Grid().GetShownObject());
    ASSERT_NE(drawn, nullptr);
    ASSERT_NE(drawn, survivor);
    Click(POINT{80, 80});
    EXPECT_EQ(drawn->GetParent(), nullptr) << "the new net was taken over";
    EXPECT_EQ(Grid().GetShownObject(), static_cast<CProperty*>(survivor));
    Key(VK_ESCAPE);
}

// A part's row taken with Enter gives the keyboard back to the sheet, where
// Ctrl+Z undoes it at once.
TEST_F(SheetRowsTest, AfterAPartsRowIsTakenCtrlZUndoesIt) {
    const std::string original = Save();
    CPart* r1 = PackageByRefDes(L"R1")->GetPart(0);
    Grid().ShowProperties(r1);
    int row = 0;
    while (row < Grid().GetRowCount() && Grid().GetItem(row)->GetName() != L"Value")
        ++row;
    ASSERT_LT(row, Grid().GetRowCount()) << "R1 shows a Value row";
    Grid().BeginEditRow(row);
    TypeAtFocus(L"22k");
    Key(VK_RETURN);
    const std::string changed = Save();
    ASSERT_NE(changed.find(">22k<"), std::string::npos);
    Key('Z', MK_CONTROL);
    ExpectSame(original, Save(), "Ctrl+Z right after the row");
    Key('Y', MK_CONTROL);
    ExpectSame(changed, Save(), "Ctrl+Y");
}

TEST_F(SheetRowsTest, TheRowsShowTheSheetInItsUnit) {
    ASSERT_EQ(Grid().GetRowCount(), 10);
    EXPECT_EQ(Grid().GetTitle(), L"Sheet Properties");
    EXPECT_EQ(RowText(2), L"297.000");
    EXPECT_EQ(RowText(3), L"210.000");
    EXPECT_EQ(RowText(5), L"2.540");
    EXPECT_EQ(RowText(6), L"0.150");
    EXPECT_EQ(RowText(8), L"1.000");
    auto* format = dynamic_cast<CSheetSizeCombobox*>(Grid().GetItem(0));
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetTable()->GetEntryName(), L"A4");
    auto* orientation = dynamic_cast<CPropertyCombobox*>(Grid().GetItem(4));
    ASSERT_NE(orientation, nullptr);
    EXPECT_EQ(orientation->GetSelectedText(), L"Horizontal");
}

// The unit row names the unit the lengths are shown in, for each of the
// four: the example's second sheet is stored in mil.
TEST_F(SheetRowsTest, TheUnitRowNamesTheUnitOfTheLengths) {
    ASSERT_NE(OpenSheet(L"Power"), nullptr);
    Key(VK_ESCAPE);
    ASSERT_EQ(Grid().GetShownObject(), view);
    auto unitRow = [&] {
        auto* combo = dynamic_cast<CPropertyCombobox*>(Grid().GetItem(1));
        return combo ? combo->GetSelectedText() : L"?";
    };
    EXPECT_EQ(unitRow(), L"mil");
    EXPECT_EQ(RowText(2), L"16535.4");
    const std::string stored = Save();
    const std::pair<const wchar_t*, const wchar_t*> units[] = {
        {L"inch", L"16.535"}, {L"mm", L"420.000"}, {L"mil", L"16535.4"}, {L"\u03bcm", L"420000"}};
    for (int unit = 0; unit < 4; ++unit) {
        SCOPED_TRACE(unit);
        Choose(1, unit);
        EXPECT_EQ(Sheet()->m_unit, static_cast<uint32_t>(unit));
        EXPECT_EQ(unitRow(), units[unit].first);
        EXPECT_EQ(RowText(2), units[unit].second);
    }
    for (int unit = 0; unit < 4; ++unit)
        Undo();
    ExpectSame(stored, Save());
    EXPECT_EQ(unitRow(), L"mil");
}

TEST_F(SheetRowsTest, AGridChangeScalesTheDrawingAndItsWidths) {
    const std::string done = DoUndoRedo([&] { Type(5, L"5.08"); });
    EXPECT_EQ(view->GetGrid(), 508);
    EXPECT_EQ(Sheet()->m_wireWidth, 30u);
    EXPECT_EQ(Sheet()->m_busWidth, 100u);
    EXPECT_EQ(Sheet()->m_dotDiameter, 200u);
    EXPECT_EQ(RowText(6), L"0.300");
    EXPECT_TRUE(HasLine(done, "<Sheet BusWidth=\"1\" DotDiam=\"2\" GridSize=\"5.08\" "
                              "SheetSize=\"297,210\" WireWidth=\"0.3\">Main</Sheet>"));
    Undo();
    EXPECT_EQ(view->GetGrid(), 254) << "undo brings the grid step back";
    // A finer grid keeps the widths in proportion, never below 0.01 mm.
    Type(5, L"0.2");
    EXPECT_EQ(view->GetGrid(), 20);
    EXPECT_EQ(Sheet()->m_wireWidth, 1u) << "15 x 20 / 254 is 1.18";
    EXPECT_EQ(Sheet()->m_busWidth, 3u);
    EXPECT_EQ(Sheet()->m_dotDiameter, 7u);
    Type(5, L"0.11");
    EXPECT_EQ(Sheet()->m_wireWidth, 1u) << "still a line";
    Undo();
    Undo();
    ExpectSame(original, Save());
}

// A wire the editor draws across a wide sheet on a fine grid ends beyond
// twenty thousand steps: saved, read again and saved once more it is the
// same. A grid coarser than 100 mm is taken too, and one of a metre, on
// which the wire lies beyond 32 bits of logical units.
TEST_F(SheetRowsTest, AWireAcrossAWideSheetOnAFineGridComesBackAsSaved) {
    Type(2, L"3000");
    Type(5, L"0.11");
    ASSERT_EQ(Sheet()->m_size.cx, 300000);
    ASSERT_EQ(view->GetGrid(), 11);
    view->SetZoom(8, 1); // grid steps some pixels apart
    // Each end is scrolled into the window before it is clicked.
    auto clickFar = [&](POINT grid) {
        view->SetScrollOffset(POINT{0, 0});
        const POINT at = ClientAt(grid);
        view->SetScrollOffset(POINT{200 - at.x, 200 - at.y});
        Click(grid);
    };
    const std::string done = DoUndoRedo([&] {
        Command(ID_SCH_PLACE_WIRE);
        clickFar(POINT{4695, 1327});
        clickFar(POINT{26814, 1327});
        Key(VK_ESCAPE);
    });
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">4695,1327,26814,1327</Wire>"));
    ASSERT_NE(OpenText(done), nullptr);
    view->ZoomAll();
    view->UpdateWindow();
    ExpectSame(done, Save(), "read again");
    Key(VK_ESCAPE); // the panel shows the sheet
    ASSERT_EQ(Grid().GetShownObject(), view);
    const std::string coarse = DoUndoRedo([&] { Type(5, L"150"); });
    EXPECT_EQ(view->GetGrid(), 15000);
    EXPECT_NE(coarse.find("GridSize=\"150\""), std::string::npos);
    // On a grid of a metre the far end lies beyond 32 bits of logical units
    // (26814 steps of 100000): the drawing holds it at its edge, and the
    // wire still runs from its start towards it.
    Type(5, L"1000");
    ASSERT_EQ(view->GetGrid(), 100000);
    view->ZoomAll();
    view->UpdateWindow();
    CWire* wire = nullptr;
    for (CSheetObject* object : Sheet()->m_objects)
        if (object->GetType() == NodeType::Wire &&
            static_cast<CWire*>(object)->m_position.x == 4695)
            wire = static_cast<CWire*>(object);
    ASSERT_NE(wire, nullptr);
    std::unique_ptr<DeviceContext> dc = view->MakeDC();
    const RECT bounds = wire->GetBoundsOnSheet(dc.get());
    EXPECT_GE(std::min(bounds.left, bounds.right), 4695 * 100000 - 100000);
    EXPECT_GE(std::max(bounds.left, bounds.right), 500000000);
    EXPECT_EQ(wire->HitTestOnSheet(dc.get(), 500000000, 132700000), wire);
}

TEST_F(SheetRowsTest, LengthsOfATenthOfAMillimetreOrLessAreRefused) {
    for (int row : {2, 3, 5, 6, 7, 8}) {
        ui.Clear();
        Type(row, L"0.1");
        ASSERT_EQ(ui.messageBoxes.size(), 1u) << row;
        EXPECT_EQ(ui.messageBoxes[0].text, L"Invalid value");
        EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
        EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONEXCLAMATION);
        ExpectSame(original, Save());
    }
}

// Keys as the user gives them: a value refused (with a message, or a beep
// for text that is no number) leaves its cell showing what the sheet holds,
// and the sheet as it was.
TEST_F(SheetRowsTest, ARefusedValueLeavesTheCellShowingTheSheet) {
    struct Case {
        int row;
        const wchar_t* typed;
        bool message;
    };
    const Case cases[] = {
        {2, L"-5", true}, {3, L"0.05", true}, {5, L"abc", false},
        {6, L"", false},  {8, L"-1", true},   {5, L"0.1", true}, // a grid of 0.1 mm or less
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.typed));
        ui.Clear();
        const std::wstring shown = RowText(c.row);
        CPropertyListCtrl& list = Grid().GetList();
        RECT r{};
        ASSERT_TRUE(list.GetItemRect(c.row, &r));
        const POINT value{list.GetDivider() + 30, (r.top + r.bottom) / 2};
        MouseAt(&list, WM_LBUTTONDOWN, value, MK_LBUTTON);
        MouseAt(&list, WM_LBUTTONUP, value);
        PumpPendingMessages();
        ASSERT_TRUE(Grid().IsEditing());
        PressKeyAtFocus('A', MK_CONTROL);
        if (*c.typed)
            TypeAtFocus(c.typed);
        else
            PressKeyAtFocus(VK_DELETE);
        PressKeyAtFocus(VK_RETURN);
        EXPECT_FALSE(Grid().IsEditing());
        if (c.message) {
            ASSERT_EQ(ui.messageBoxes.size(), 1u);
            EXPECT_EQ(ui.messageBoxes[0].text, L"Invalid value");
        } else {
            EXPECT_TRUE(ui.messageBoxes.empty());
            EXPECT_EQ(ui.beeps.size(), 1u);
        }
        EXPECT_EQ(RowText(c.row), shown);
        ExpectSame(original, Save());
        g_MainFrame.m_tabWindow.SetFocus();
    }
}

TEST_F(SheetRowsTest, SizeOrientationUnitAndFontRowsAreUndoneTogetherWithThePaperSize) {
    // A3 from the drop-down: lying down like the A4 before.
    const std::string a3 = DoUndoRedo([&] { Choose(0, 4); });
    EXPECT_EQ(Sheet()->m_size.cx, 42000);
    EXPECT_EQ(Sheet()->m_size.cy, 29700);
    EXPECT_TRUE(HasLine(a3, "<Sheet BusWidth=\"0.5\" DotDiam=\"1\" GridSize=\"2.54\" "
                            "SheetSize=\"420,297\" WireWidth=\"0.15\">Main</Sheet>"));
    Undo();
    EXPECT_EQ(view->GetSheetSizeTable().GetEntryName(), L"A4") << "identified again on undo";
    // Standing up.
    DoUndoRedo([&] { Choose(4, 0); });
    EXPECT_EQ(Sheet()->m_size.cx, 21000);
    EXPECT_EQ(Sheet()->m_size.cy, 29700);
    Undo();
    // A width of its own is a custom size.
    DoUndoRedo([&] { Type(2, L"300"); });
    EXPECT_EQ(view->GetSheetSizeTable().GetEntryName(), L"Custom");
    Undo();
    // Inch, and lengths shown in inch.
    DoUndoRedo([&] { Choose(1, 0); });
    EXPECT_EQ(RowText(2), L"11.693");
    Undo();
    DoUndoRedo([&] {
        // A name typed into the font row.
        Grid().BeginEditRow(9);
        auto* font = dynamic_cast<CPropertyComboBase*>(Grid().GetItem(9));
        ASSERT_NE(font, nullptr);
        ASSERT_NE(font->GetEditor(), nullptr);
        font->GetEditor()->SetCurSel(-1);
        font->GetEditor()->SetWindowText(L"Arial");
        Grid().CommitRow(9);
        g_MainFrame.m_tabWindow.SetFocus();
    });
    EXPECT_EQ(Sheet()->m_fontName, L"Arial");
    EXPECT_EQ(view->GetFont().lfFaceName, L"Arial");
    Undo();
    ExpectSame(original, Save());
}

// --- A part moved to another sheet from the panel -----------------------------

// A package's "Part #" rows move one part to another sheet: that sheet's view
// comes forward with the part under the cursor and following it, its pins
// out of their nets. Esc there places it where it is. The move is one undo of that view,
// apart from what the view did before, and an undone move leaves the part
// settled on its old sheet, not waiting for a click there.
TEST_F(SchematicViewTest, APartMovedToAnotherSheetIsOneEditOfThatSheetsView) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    CSchematicView* main = view;
    CPart* part = PackageByRefDes(L"U1")->GetPart(0);
    ASSERT_NE(OpenSheet(L"Power"), nullptr);
    CSchematicView* power = view;
    Drag({7, 7}, {7, 9}); // U1's other part: an edit of the Power view's own
    const std::string dragged = Save();
    const std::string netlist = Netlist();
    auto sheetOfPart = [](const std::string& xml) {
        const size_t at = xml.find("POLYC0,0,20,10,0,20");
        const size_t line = xml.rfind('\n', at);
        return xml.substr(line, at - line);
    };
    auto move = [&](const std::wstring& sheet) {
        g_MainFrame.OpenNodeView(main->GetSheet());
        view = main;
        Click({31, 15});
        CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
        for (int row = 0; row < grid.GetRowCount(); ++row) {
            auto* combo = dynamic_cast<CPropertyCombobox*>(grid.GetItem(row));
            if (!combo || combo->GetName() != L"Part #1")
                continue;
            const auto& entries = combo->GetEntries();
            const auto it = std::find(entries.begin(), entries.end(), sheet);
            ASSERT_NE(it, entries.end());
            combo->SetSelectedIndex(static_cast<int>(it - entries.begin()));
            grid.ApplyRow(row);
            PumpPendingMessages();
            view = power;
            return;
        }
        ADD_FAILURE() << "no row for the first part";
    };

    move(L"Power");
    EXPECT_EQ(g_MainFrame.GetActiveView(), power);
    EXPECT_TRUE(part->m_placing);
    EXPECT_TRUE(power->IsActionInProgress()) << "a part following the cursor is work under way";
    // It starts under the pointer, so that it lies where the pointer goes.
    MoveTo({12, 9});
    EXPECT_LE(std::abs(part->m_position.x - 12), 1) << part->m_position.x;
    EXPECT_LE(std::abs(part->m_position.y - 9), 1) << part->m_position.y;
    Key(VK_ESCAPE);
    EXPECT_FALSE(part->m_placing);
    EXPECT_FALSE(power->IsActionInProgress());
    const std::string moved = Save();
    EXPECT_NE(sheetOfPart(moved).find("SheetName=\"Power\""), std::string::npos)
        << sheetOfPart(moved);
    Undo();
    ExpectSame(dragged, Save(), "the move undone, as one group apart from the drag");
    EXPECT_EQ(part->m_pSheet, main->GetSheet());
    EXPECT_FALSE(part->m_placing) << "settled on its old sheet";
    EXPECT_EQ(Netlist(), netlist) << "its pins back in their nets";
    Redo();
    ExpectSame(moved, Save(), "the move redone");
    EXPECT_FALSE(part->m_placing);
    Undo();

    // Closed in the middle of the move, answered No: the view's edits go,
    // the part with them.
    move(L"Power");
    ASSERT_TRUE(part->m_placing);
    ui.Answer({IDNO});
    Command(ID_WINDOW_CLOSE);
    ui.DropAnswers();
    ExpectSame(original, Save(), "after closing the tab");
    EXPECT_EQ(part->m_pSheet, main->GetSheet());
    EXPECT_FALSE(part->m_placing);
}

} // namespace
