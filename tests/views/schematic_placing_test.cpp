// Parts from the symbol browser (numbered, their footprints placed on the
// board), multi-unit packages, free texts, copies and cut selections that
// follow the cursor, the mirror and rotate transforms with and without
// Shift, and the footprint change. Each scenario is checked on the saved
// document, undone to the original bytes and redone.
#include "tests/views/schematic_view_fixture.h"

#include "board/footprint.h"
#include "cam/gerber_export.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "dialogs/load_footprint.h"
#include "dialogs/sel_part.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/file_dialog.h"
#include "platform/list_box_control.h"
#include "platform/tree_view_control.h"
#include "tests/dialogs/footprint_choice.h"
#include "tests/screen_picture.h"

namespace {

// R1 and R2 (wired together by net N9), R7 at the bottom, a free text and
// a bus; no board outline.
const char* const kBoard =
    "  <Board>Parts\r\n"
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
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,40\">RC0,0,40,20\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R7</Text>\r\n"
    "    </Package>\r\n"
    "    <Package>\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,50\">\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\">r3</Text>\r\n"
    "    </Package>\r\n"
    "    <Net>N9\r\n"
    "      <Wire SheetName=\"Main\">15,11,29,11</Wire>\r\n"
    "    </Net>\r\n"
    "    <Bus SheetName=\"Main\">60,5V10</Bus>\r\n"
    "    <Text SheetName=\"Main\" XY=\"400,300\">Note</Text>\r\n"
    "  </Board>\r\n";

// The symbol library of the part tool: a resistor and a package of four
// like units with its supply pins.
const char* const kSymbols =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
    "<SymbolLib>\r\n"
    "  <SymbolFolder>Parts\r\n"
    "    <Package Footprint=\"R0805\">RES\r\n"
    "      <Part Outline=\"4,2\">RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R?</Text>\r\n"
    "      <Text Name=\"Value\" XY=\"0,25\">10k</Text>\r\n"
    "    </Package>\r\n"
    "    <Package Footprint=\"SO14\" PartPerPackage=\"4\">QUAD\r\n"
    "      <Part Outline=\"4,4\">RC0,0,40,40\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"Y\" Num=\"3\">R2</Pin>\r\n"
    "      </Part>\r\n"
    "      <Part Outline=\"4,4\">\r\n"
    "        <Pin Name=\"A\" Num=\"4\">L1</Pin>\r\n"
    "        <Pin Name=\"Y\" Num=\"6\">R2</Pin>\r\n"
    "      </Part>\r\n"
    "      <Part Outline=\"4,4\">\r\n"
    "        <Pin Name=\"A\" Num=\"9\">L1</Pin>\r\n"
    "        <Pin Name=\"Y\" Num=\"8\">R2</Pin>\r\n"
    "      </Part>\r\n"
    "      <Part Outline=\"4,4\">\r\n"
    "        <Pin Name=\"A\" Num=\"12\">L1</Pin>\r\n"
    "        <Pin Name=\"Y\" Num=\"11\">R2</Pin>\r\n"
    "      </Part>\r\n"
    "      <Pin Name=\"VCC\" NetName=\"VCC\" Num=\"14\"/>\r\n"
    "      <Pin Name=\"GND\" NetName=\"GND\" Num=\"7\"/>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">U?</Text>\r\n"
    "    </Package>\r\n"
    "    <Package Footprint=\"CONN2\">CONN\r\n"
    "      <Part Outline=\"2,2\">\r\n"
    "        <Pin Name=\"1\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"2\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">J?</Text>\r\n"
    "      <Text Name=\"Value\" XY=\"0,25\">HDR</Text>\r\n"
    "    </Package>\r\n"
    "  </SymbolFolder>\r\n"
    "</SymbolLib>\r\n";

void ClickAt(PlatformWindow* w, POINT p) {
    SimulateMouse(w, WM_LBUTTONDOWN, p, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, p);
    PumpPendingMessages();
}

void ClickEntry(PlatformDialog& d, int id, int index) {
    auto* list = d.GetDlgItemAs<ListBoxControl>(id);
    ASSERT_NE(list, nullptr);
    RECT r{};
    ASSERT_TRUE(list->GetItemRect(index, &r)) << index;
    ClickAt(list, POINT{5, (r.top + r.bottom) / 2});
}

class PlacingTest : public SchematicViewTest {
protected:
    void SetUp() override {
        SchematicViewTest::SetUp();
        ASSERT_NE(OpenText(Project(kBoard)), nullptr);
        const std::wstring examples = PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples");
        std::string bytes;
        ASSERT_TRUE(WriteWholeFile(
            PathJoin(g_MainFrame.GetDefaultFolder(kDocumentSymbolLibrary), L"parts.symbol"),
            kSymbols));
        ASSERT_TRUE(ReadWholeFile(PathJoin(examples, L"demo.footprint"), bytes));
        ASSERT_TRUE(WriteWholeFile(
            PathJoin(g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary), L"demo.footprint"),
            bytes));
    }
    // The part tool with package index (RES 0, QUAD 1) and its part number
    // (from 1) chosen in the browser.
    void PartTool(int package, int part = 1) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* browser = dynamic_cast<CSelPart*>(&d);
            ASSERT_NE(browser, nullptr);
            ClickEntry(d, CSelPart::kFileList, 0);
            ClickEntry(d, CSelPart::kPackageList, package);
            if (part != 1) {
                auto* edit = d.GetDlgItemAs<EditControl>(CSelPart::kPartNumber);
                d.GotoDlgCtrl(edit);
                edit->SetSel(0, -1);
                SimulateTyping(edit, std::to_wstring(part));
            }
            ClickAt(d.GetDlgItem(IDOK), POINT{3, 3});
        });
        Command(ID_SCH_PLACE_PART);
    }
    CPart* PartOf(const std::wstring& refDes, int n = 0) {
        CPackage* package = PackageByRefDes(refDes);
        return package ? package->GetPart(n) : nullptr;
    }
    CPin* PinOf(const std::wstring& refDes, int n) {
        CPart* part = PartOf(refDes);
        return part ? static_cast<CPin*>(part->GetChild(static_cast<size_t>(n))) : nullptr;
    }
    // Selects exactly what a click at the point hits.
    void Select(POINT grid) {
        Command(ID_TOOL_SELECT);
        Click(grid);
    }
    // A drag of the rubber band from one corner to the other.
    void Band(POINT from, POINT to) {
        Command(ID_TOOL_SELECT);
        Drag(from, to);
    }
    // The footprint change of the package last clicked, with the named
    // footprint chosen in the browser.
    void ChangeFootprintTo(const std::wstring& name, int* browsed = nullptr) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            if (browsed)
                ++*browsed;
            EXPECT_TRUE(ChooseFootprintInBrowser(d, name));
        });
        view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_CHANGE_FOOTPRINT, 0), 0);
    }
    static std::string PartLine(int x, int y, const char* outline = "4,2") {
        return std::string("<Part Outline=\"") + outline + "\" SheetName=\"Main\" XY=\"" +
               std::to_string(x) + "," + std::to_string(y) + "\">";
    }
};

TEST_F(PlacingTest, ThePartToolPlacesNumberedPackagesAndPutsTheirFootprintsOnTheBoard) {
    const std::string done = DoUndoRedo([&] {
        PartTool(0);
        ASSERT_TRUE(view->IsPartFloating());
        EXPECT_EQ(view->GetFloatingPackage()->FindText(L"RefDes")->GetText(), L"R8")
            << "one more than R7, the highest R";
        MoveTo({40, 30});
        Click({40, 30});
        // The next resistor follows at once; Esc takes only it away.
        ASSERT_TRUE(view->IsPartFloating());
        EXPECT_EQ(view->GetFloatingPackage()->FindText(L"RefDes")->GetText(), L"R9");
        MoveTo({50, 30});
        Key(VK_ESCAPE);
    });
    EXPECT_FALSE(view->IsPartFloating());
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    CPackage* r8 = PackageByRefDes(L"R8");
    ASSERT_NE(r8, nullptr);
    EXPECT_EQ(PackageByRefDes(L"R9"), nullptr);
    EXPECT_TRUE(
        HasLine(done, PartLine(40, 30) + "RC0,0,40,20 L-10,10,0,10 L40,10,50,10 TEXTR12,-4:R"));
    // Silkscreen top for the texts, a footprint on the board below its
    // (missing) outline.
    EXPECT_EQ(r8->FindText(L"RefDes")->GetLayer(), 22);
    ASSERT_NE(r8->GetFootprint(), nullptr);
    EXPECT_EQ(r8->GetFootprint()->m_boardPosition.X, 0.0f);
    EXPECT_EQ(r8->GetFootprint()->m_boardPosition.Y, -10.0f);
}

// The example library's CONN2 lies on the bottom: a part placed with it
// has its legend on the bottom silkscreen, mirrored there, and none on the
// top one.
TEST_F(PlacingTest, APartWithABottomFootprintHasItsLegendOnTheBottomSilkscreen) {
    const std::string done = DoUndoRedo([&] {
        PartTool(2);
        Click({40, 30});
        Key(VK_ESCAPE);
    });
    EXPECT_TRUE(HasLine(done, "<Text Layer=\"SSB\" Name=\"RefDes\" XY=\"0,-10\">J1</Text>"));
    EXPECT_TRUE(HasLine(done, "<Text Layer=\"SSB\" Name=\"Value\" XY=\"0,25\">HDR</Text>"));
    EXPECT_TRUE(HasLine(done, "<Footprint Place=\"BOTTOM\" Rotation=\"180\" XY=\"0,-10\">CONN2"));
    const std::wstring prefix = PathJoin(scratch, L"legend");
    size_t regions[2] = {};
    for (int side = 0; side < 2; ++side) {
        const int layer = kLayerSilkscreenTop + side;
        ASSERT_TRUE(WriteGerberLayer(prefix, board, layer, board->FindLayer(layer)));
        std::string gerber;
        ASSERT_TRUE(ReadWholeFile(GerberFileName(prefix, board, layer), gerber));
        for (size_t at = 0; (at = gerber.find("G36*", at)) != std::string::npos; ++at)
            ++regions[side];
    }
    EXPECT_EQ(regions[0], 0u) << "nothing on the top silkscreen";
    EXPECT_GE(regions[1], 5u) << "J1 and HDR on the bottom one";
    // A change of footprint leaves the legend on the side the footprint
    // ends on, whichever side the library's footprint lies on: J1 onto a
    // top footprint and back, a new resistor onto CONN2 kept on the top.
    PartTool(0);
    Click({50, 30});
    Key(VK_ESCAPE);
    DoUndoRedo(
        [&] {
            Select({41, 31});
            ChangeFootprintTo(L"R0805");
            ChangeFootprintTo(L"CONN2");
            Select({52, 31});
            ChangeFootprintTo(L"CONN2");
        },
        3);
    for (const auto& [refDes, side] : {std::pair{L"J1", 1}, {L"R8", 0}}) {
        CPackage* package = PackageByRefDes(refDes);
        ASSERT_NE(package, nullptr);
        EXPECT_EQ(package->GetFootprint()->GetText(), L"CONN2");
        EXPECT_EQ(package->GetFootprint()->m_place, side) << WideToUtf8(refDes);
        EXPECT_EQ(package->FindText(L"RefDes")->GetLayer(), kLayerSilkscreenTop + side);
        EXPECT_EQ(package->FindText(L"Value")->GetLayer(), kLayerSilkscreenTop + side);
    }
}

// A value being typed into the panel for the floating part when the tool
// changes is dropped with the part: the undo that takes the part away must
// not leave the panel's editor to hand its text to the deleted package.
TEST_F(PlacingTest, ChangingTheToolWhileThePanelEditsTheFloatingPartDropsBoth) {
    PartTool(0);
    ASSERT_TRUE(view->IsPartFloating());
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    int row = 0;
    while (row < grid.GetRowCount() && !grid.IsEditing())
        grid.BeginEditRow(row++);
    ASSERT_TRUE(grid.IsEditing()) << "no row of the floating part to type into";
    TypeAtFocus(L"X7");
    Command(ID_TOOL_SELECT);
    EXPECT_FALSE(view->IsPartFloating());
    EXPECT_FALSE(grid.IsEditing());
    ExpectSame(original, Save());
}

TEST_F(PlacingTest, ABoardWithoutOutlineGetsItsFootprintsInOneColumn) {
    ASSERT_EQ(board->m_outline, nullptr);
    PartTool(0);
    Click({40, 30});
    Click({50, 30});
    Click({60, 30});
    Key(VK_ESCAPE);
    std::vector<std::pair<float, float>> places;
    for (const wchar_t* r : {L"R8", L"R9", L"R10"}) {
        CPackage* package = PackageByRefDes(r);
        ASSERT_NE(package, nullptr) << WideToUtf8(r);
        places.push_back({package->GetFootprint()->m_boardPosition.X,
                          package->GetFootprint()->m_boardPosition.Y});
    }
    EXPECT_EQ(places, (std::vector<std::pair<float, float>>{{0, -10}, {0, -20}, {0, -30}}));
}

TEST_F(PlacingTest, AFourUnitPackagePlacesItsUnitsOneByOneThenANewPackage) {
    const std::string done = DoUndoRedo(
        [&] {
            PartTool(1, 2); // QUAD, its second unit first
            Click({40, 30});
            Click({50, 30});
            Click({60, 30});
            // The fifth click places unit 1 of a new package.
            Click({70, 30});
            ASSERT_TRUE(view->IsPartFloating());
            Key(VK_ESCAPE);
        },
        4);
    CPackage* u1 = PackageByRefDes(L"U1");
    ASSERT_NE(u1, nullptr);
    EXPECT_EQ(u1->GetPart(0)->m_pSheet, nullptr) << "unit 1 of U1 was never placed";
    EXPECT_EQ(u1->GetPart(1)->m_position.x, 40);
    EXPECT_EQ(u1->GetPart(2)->m_position.x, 50);
    EXPECT_EQ(u1->GetPart(3)->m_position.x, 60);
    CPackage* u2 = PackageByRefDes(L"U2");
    ASSERT_NE(u2, nullptr);
    EXPECT_EQ(u2->GetPart(0)->m_position.x, 70);
    EXPECT_EQ(u2->GetPart(1)->m_pSheet, nullptr);
    // The package's own supply pins joined their named nets.
    ASSERT_NE(Net(L"VCC"), nullptr);
    ASSERT_NE(Net(L"GND"), nullptr);
    EXPECT_EQ(Net(L"VCC")->m_pins.size(), 2u);
}

TEST_F(PlacingTest, CancellingTheBrowserGoesBackToTheSelectTool) {
    {
        ScopedModalDialogHook hook([](PlatformDialog& d) { d.EndDialog(IDCANCEL); });
        Command(ID_SCH_PLACE_PART);
    }
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_FALSE(view->IsPartFloating());
    ExpectSame(original, Save());
}

TEST_F(PlacingTest, TheTextToolPlacesATextWithTheValueTypedIntoThePanel) {
    const std::string done = DoUndoRedo(
        [&] {
            MoveTo({20, 20});
            Command(ID_SCH_PLACE_TEXT);
            ASSERT_NE(view->GetFloatingText(), nullptr);
            CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
            ASSERT_TRUE(grid.IsEditing()) << "the value row is open for typing";
            auto* row = dynamic_cast<CPropertyEdit*>(grid.GetItem(0));
            ASSERT_NE(row, nullptr);
            ASSERT_NE(row->GetEditor(), nullptr);
            row->GetEditor()->SetWindowText(L"Hello");
            grid.CommitRow(0);
            MoveTo({30, 25});
            Click({30, 25});
        },
        1); // the text and its value are one action
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    EXPECT_TRUE(HasLine(done, "<Text SheetName=\"Main\" XY=\"300,250\">Hello</Text>"));
}

TEST_F(PlacingTest, EscOnANewTextTakesOnlyTheTextAway) {
    // An edit before the text: a wire.
    Command(ID_SCH_PLACE_WIRE);
    Click({15, 20});
    Click({15, 25});
    Click({9, 41});
    const std::string wired = Save();
    ASSERT_NE(wired, original);
    Command(ID_SCH_PLACE_TEXT);
    ASSERT_NE(view->GetFloatingText(), nullptr);
    // The first Esc closes the value's editor in the panel, the second
    // abandons the text.
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    ExpectSame(wired, Save(), "the wire drawn before stays");
    // And it can still be undone and redone.
    Undo();
    Undo();
    ExpectSame(original, Save());
    Redo();
    Redo();
    ExpectSame(wired, Save());
}

TEST_F(PlacingTest, CopiesFollowTheCursorAndAreNumberedAfterEverythingOnTheBoard) {
    const std::string done = DoUndoRedo([&] {
        Band({8, 8}, {36, 13}); // R1, R2 and the wire between them
        MoveTo({20, 20});
        Command(ID_EDIT_COPY);
        ASSERT_EQ(view->GetFloatingList().size(), 3u);
        EXPECT_NE(PackageByRefDes(L"R8"), nullptr) << "R7 is the highest R; r3 does not count";
        EXPECT_NE(PackageByRefDes(L"R9"), nullptr);
        MoveTo({20, 30});
        Click({20, 30}); // dropped 10 grid steps higher
        EXPECT_EQ(view->GetFloatingList().size(), 3u) << "fresh copies follow";
        EXPECT_NE(PackageByRefDes(L"R10"), nullptr);
        Key(VK_ESCAPE);
    });
    EXPECT_TRUE(view->GetFloatingList().empty());
    EXPECT_EQ(PackageByRefDes(L"R10"), nullptr) << "Esc took the copies following the cursor";
    EXPECT_TRUE(HasLine(done, PartLine(10, 20) + "RC0,0,40,20"));
    EXPECT_TRUE(HasLine(done, PartLine(30, 20) + "RC0,0,40,20"));
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">15,21,29,21</Wire>"));
    // The copied wire joined the copied pins.
    EXPECT_EQ(PinOf(L"R8", 1)->m_pNet, PinOf(L"R9", 0)->m_pNet);
    EXPECT_NE(PinOf(L"R8", 1)->m_pNet, nullptr);
    EXPECT_NE(PinOf(L"R8", 1)->m_pNet, Net(L"N9"));
    EXPECT_TRUE(HasLine(done, PartLine(10, 10) + "RC0,0,40,20")) << "the originals stay";
}

TEST_F(PlacingTest, CutLiftsTheSelectionItselfAndTheDropPutsItDown) {
    const std::string done = DoUndoRedo([&] {
        Band({27, 8}, {36, 13}); // R2 and the wire reaching its pin
        MoveTo({30, 10});
        Command(ID_EDIT_CUT);
        ASSERT_EQ(view->GetFloatingList().size(), 2u);
        MoveTo({30, 20});
        Click({30, 20});
        Key(VK_ESCAPE);
    });
    EXPECT_TRUE(HasLine(done, PartLine(30, 20) + "RC0,0,40,20"));
    EXPECT_FALSE(HasLine(done, PartLine(30, 10) + "RC0,0,40,20"));
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">15,21,29,21</Wire>"));
    EXPECT_EQ(Net(L"N9"), nullptr) << "its only wire went to a net of its own";
    ExpectDrawingAgreesWithNets();
}

TEST_F(PlacingTest, CutAndEscLeaveNothingBehind) {
    // The net made for the lifted wire goes with the undo.
    Select({20, 11});
    MoveTo({20, 11});
    Command(ID_EDIT_CUT);
    ASSERT_EQ(view->GetFloatingList().size(), 1u);
    MoveTo({20, 20});
    Key(VK_ESCAPE);
    ExpectSame(original, Save());
    EXPECT_EQ(Nets().size(), 1u);
}

TEST_F(PlacingTest, RotatingTheSelectionTurnsItAboutItsCentreEachWay) {
    struct Case {
        WPARAM mk;
        const char* part;
        const char* pins[2];
    } cases[] = {
        // Clockwise: 4 x 2 becomes 2 x 4 about the centre (12, 11).
        {0, "<Part Outline=\"2,4\" SheetName=\"Main\" XY=\"11,9\">", {"T1", "B1"}},
        // Counter-clockwise with Shift.
        {MK_SHIFT, "<Part Outline=\"2,4\" SheetName=\"Main\" XY=\"11,9\">", {"B1", "T1"}},
    };
    for (const Case& c : cases) {
        const std::string done = DoUndoRedo([&] {
            Select({12, 10});
            MoveTo({12, 11});
            Key('R', c.mk);
            ASSERT_EQ(view->GetFloatingList().size(), 1u);
            Click({12, 11}); // dropped where it turned
            Key(VK_ESCAPE);
        });
        EXPECT_NE(done.find(c.part), std::string::npos) << c.mk;
        CPart* part = PartOf(L"R1");
        EXPECT_EQ(std::string(1, static_cast<char>(static_cast<CPin*>(part->GetChild(0))->m_side)) +
                      std::to_string(static_cast<CPin*>(part->GetChild(0))->m_offset),
                  c.pins[0])
            << c.mk;
        Undo();
        ExpectSame(original, Save());
    }
}

TEST_F(PlacingTest, MirroringTheSelectionFlipsItInPlace) {
    for (int key : {'H', 'V'}) {
        const std::string done = DoUndoRedo([&] {
            Select({32, 10});
            MoveTo({32, 11});
            Key(key);
            Click({32, 11});
            Key(VK_ESCAPE);
        });
        CPart* part = PartOf(L"R2");
        EXPECT_EQ(part->m_position.x, 30) << static_cast<char>(key);
        EXPECT_EQ(part->m_position.y, 10) << static_cast<char>(key);
        auto* a = static_cast<CPin*>(part->GetChild(0));
        if (key == 'H') {
            EXPECT_EQ(a->m_side, L'R');
            EXPECT_TRUE(HasLine(done, PartLine(30, 10) + "RC40,0,0,20")) << done;
        } else {
            EXPECT_EQ(a->m_side, L'L');
            EXPECT_EQ(a->m_offset, 1);
        }
        Undo();
        ExpectSame(original, Save());
    }
}

TEST_F(PlacingTest, RotatingABusTurnsItsDirectionWithIt) {
    struct Case {
        WPARAM mk;
        const char* bus;
    } cases[] = {
        // 60,5 up by 10 turned about (60,10): clockwise it runs from 55,10
        // to the right, counter-clockwise from 65,10 to the left.
        {0, "<Bus SheetName=\"Main\">55,10H10</Bus>"},
        {MK_SHIFT, "<Bus SheetName=\"Main\">65,10H-10</Bus>"},
    };
    for (const Case& c : cases) {
        const std::string done = DoUndoRedo([&] {
            Select({60, 8});
            MoveTo({60, 10});
            Key('R', c.mk);
            Click({60, 10});
            Key(VK_ESCAPE);
        });
        EXPECT_TRUE(HasLine(done, c.bus)) << c.mk << "\n" << done;
        Undo();
    }
    // Mirroring a vertical bus top to bottom turns its length round.
    const std::string done = DoUndoRedo([&] {
        Select({60, 8});
        MoveTo({60, 10});
        Key('V');
        Click({60, 10});
        Key(VK_ESCAPE);
    });
    EXPECT_TRUE(HasLine(done, "<Bus SheetName=\"Main\">60,15V-10</Bus>")) << done;
}

TEST_F(PlacingTest, TheFloatingPartOfThePartToolTurnsInPlace) {
    PartTool(0);
    ASSERT_TRUE(view->IsPartFloating());
    MoveTo({40, 30});
    Key('R');
    CPart* part = view->GetFloatingPart();
    EXPECT_EQ(part->m_size.cx, 2);
    EXPECT_EQ(part->m_size.cy, 4);
    EXPECT_EQ(static_cast<CPin*>(part->GetChild(0))->m_side, L'T');
    Key('H', MK_SHIFT);
    Click({40, 30});
    Key(VK_ESCAPE);
    // Nothing of the floating part's selection colour stays where it was
    // turned, and the numbers of the pins now on its top and bottom show.
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"schematic-turned-part"));
    CPackage* r8 = PackageByRefDes(L"R8");
    ASSERT_NE(r8, nullptr);
    EXPECT_EQ(r8->GetPart(0)->m_size.cx, 2);
    Undo();
    ExpectSame(original, Save());
}

TEST_F(PlacingTest, ChangingTheFootprintOfAPartsPackage) {
    PlacingTest::Select({12, 10});
    ASSERT_NE(view->GetLastClicked(), nullptr);
    int browsed = 0;
    const std::string done = DoUndoRedo([&] { ChangeFootprintTo(L"R0805", &browsed); });
    EXPECT_EQ(browsed, 1);
    CPackage* r1 = PackageByRefDes(L"R1");
    EXPECT_EQ(r1->m_footprintName, L"R0805");
    ASSERT_NE(r1->GetFootprint(), nullptr);
    EXPECT_EQ(r1->GetFootprint()->GetText(), L"R0805");
    // After a click on a wire the command finds no package and does nothing.
    PlacingTest::Select({20, 11});
    ASSERT_NE(view->GetLastClicked(), nullptr);
    ASSERT_EQ(view->GetLastClicked()->GetType(), NodeType::Wire);
    {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ++browsed;
            d.EndDialog(IDCANCEL);
        });
        view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_CHANGE_FOOTPRINT, 0), 0);
    }
    EXPECT_EQ(browsed, 1);
}

// While copies or a cut selection float, Copy and Cut are refused and the
// transforms turn what floats: Esc then always gives back the document as
// it was before the lift, or as the last drop left it.
TEST_F(PlacingTest, WhileObjectsFloatEscUndoesTheWholeLiftWhateverCameAfterIt) {
    const std::string netlist = Netlist();
    ASSERT_NE(netlist.find("N9: R1.2/B R2.1/A"), std::string::npos) << netlist;
    struct Case {
        const char* name;
        std::vector<int> steps; // commands, keys, or 0 for a move of the cursor
    };
    const Case cases[] = {
        {"copy twice", {ID_EDIT_COPY, 0, ID_EDIT_COPY}},
        {"cut, move, R", {ID_EDIT_CUT, 0, 'R'}},
        {"cut, H, copy, V", {ID_EDIT_CUT, 'H', ID_EDIT_COPY, 0, 'V'}},
        {"copy, R, cut, R", {ID_EDIT_COPY, 'R', 0, ID_EDIT_CUT, 'R'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Select({12, 11}); // R1
        ASSERT_TRUE(PartOf(L"R1")->IsSelected());
        const size_t depth = view->GetUndoList().UndoCount();
        MoveTo({20, 20});
        int y = 20;
        for (int step : c.steps) {
            if (step == 0)
                MoveTo({24, y += 5});
            else if (step == ID_EDIT_COPY || step == ID_EDIT_CUT)
                Command(step);
            else
                Key(step);
            EXPECT_EQ(view->GetFloatingList().size(), 1u) << "one lift at a time";
        }
        Key(VK_ESCAPE);
        EXPECT_TRUE(view->GetFloatingList().empty());
        ExpectSame(original, Save(), "Esc leaves nothing of the lift");
        EXPECT_EQ(Netlist(), netlist);
        EXPECT_EQ(view->GetUndoList().UndoCount(), depth);
    }
    // After a drop, Esc keeps what was dropped, whether or not the fresh
    // copies were turned before.
    std::string dropped;
    for (bool turn : {false, true}) {
        Select({12, 11});
        MoveTo({20, 20});
        Command(ID_EDIT_COPY);
        Click({20, 30});
        if (turn)
            Key('R');
        Key(VK_ESCAPE);
        if (!turn)
            dropped = Save();
        else
            ExpectSame(dropped, Save(), "the drop stays, the turned copies go");
        EXPECT_NE(PackageByRefDes(L"R8"), nullptr);
        EXPECT_EQ(PackageByRefDes(L"R9"), nullptr);
        Undo();
        ExpectSame(original, Save());
    }
}

// A new text floats with its value's editor open and holding the keyboard;
// a click takes the value typed even without Enter, and a text left empty
// (invisible, never to be picked again) is never placed: a click or
// another tool drops it as Esc does.
TEST_F(PlacingTest, ANewTextTakesTheValueTypedAndIsNeverPlacedEmpty) {
    MoveTo({20, 20});
    Command(ID_SCH_PLACE_TEXT);
    ASSERT_NE(view->GetFloatingText(), nullptr);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    auto* row = dynamic_cast<CPropertyEdit*>(grid.GetItem(0));
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->GetEditor(), nullptr);
    EXPECT_EQ(PlatformWindow::GetFocus(), row->GetEditor()) << "typing goes into the value";
    SimulateTyping(row->GetEditor(), L"Hi");
    MoveTo({30, 25});
    Click({30, 25});
    EXPECT_EQ(view->GetFloatingText(), nullptr);
    EXPECT_TRUE(HasLine(Save(), "<Text SheetName=\"Main\" XY=\"300,250\">Hi</Text>"));
    Undo(); // the text with its value: no undo leaves it empty
    ExpectSame(original, Save());

    const size_t depth = view->GetUndoList().UndoCount();
    for (int end : {0, ID_SCH_PLACE_WIRE, ID_SCH_PLACE_TEXT}) {
        SCOPED_TRACE(end);
        Command(ID_SCH_PLACE_TEXT);
        ASSERT_NE(view->GetFloatingText(), nullptr);
        MoveTo({40, 30});
        if (end == 0) {
            Click({40, 30});
            Click({44, 30});
        } else {
            Command(end); // the text tool again floats a new text
        }
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
        ExpectSame(original, Save(), "no empty text");
        EXPECT_EQ(view->GetUndoList().UndoCount(), depth);
    }
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
}

// --- Closing and replacing with work under way ---------------------------------

class ClosingTest : public PlacingTest {
protected:
    // The project from a file of its own, with R2 dragged down: a change
    // the saved file must hold, unlike the work under way.
    void SetUp() override {
        PlacingTest::SetUp();
        SetFileDialogHook([](FileDialogKind, FileDialogRequest&) { return false; });
    }
    void TearDown() override {
        SetFileDialogHook(nullptr);
        PlacingTest::TearDown();
    }
    void OpenAndDrag() {
        path = PathJoin(scratch, L"work.circuit");
        ASSERT_TRUE(WriteWholeFile(path, Project(kBoard)));
        ASSERT_NE(OpenProject(path), nullptr);
        Root().SetFilePath(path); // which the fixture's own save moved
        onDisk = original;
        ASSERT_TRUE(ReadWholeFile(path, onDisk));
        Drag({32, 11}, {32, 15});
        dragged = Doc();
        ASSERT_NE(dragged, original);
        ui.messageBoxes.clear();
    }
    // The document as written, leaving the path the frame saves to alone.
    std::string Doc() {
        const std::wstring keep = Root().GetFilePath();
        std::string bytes = Save();
        Root().SetFilePath(keep);
        return bytes;
    }
    std::string File() const {
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        return bytes;
    }
    int Asked(const std::wstring& text) const {
        int n = 0;
        for (const auto& m : ui.messageBoxes)
            n += m.text == text;
        return n;
    }
    // Each kind of work that may be under way when the view goes.
    void StartWork(int kind) {
        switch (kind) {
        case 0: // a unit of the part tool floating
            PartTool(0);
            MoveTo({50, 30});
            ASSERT_TRUE(view->IsPartFloating());
            break;
        case 1: // a wire half drawn
            Command(ID_SCH_PLACE_WIRE);
            Click({50, 30});
            MoveTo({55, 35});
            ASSERT_TRUE(view->IsWireInProgress());
            break;
        case 2: // a bus half drawn
            Command(ID_SCH_PLACE_BUS);
            Click({50, 30});
            MoveTo({55, 30});
            break;
        case 3: // copies floating
        case 4: // a cut selection floating, moved
            Select({12, 11});
            MoveTo({20, 20});
            Command(kind == 3 ? ID_EDIT_COPY : ID_EDIT_CUT);
            MoveTo({40, 40});
            ASSERT_FALSE(view->GetFloatingList().empty());
            break;
        default: // a new text with its value
            Command(ID_SCH_PLACE_TEXT);
            ASSERT_NE(view->GetFloatingText(), nullptr);
            SimulateTyping(PlatformWindow::GetFocus(), L"Floating");
            MoveTo({50, 30});
            break;
        }
        EXPECT_NE(Doc(), dragged) << "the work is in the document while under way";
    }
    static constexpr int kWorkKinds = 6;

    std::wstring path;
    std::string onDisk, dragged;
};

// Closing the sheet's tab drops the work first: the page question is about
// the real change only, and Yes writes that change without the work.
TEST_F(ClosingTest, ClosingATabDropsTheWorkUnderWayBeforeItsQuestion) {
    for (int kind = 0; kind < kWorkKinds; ++kind) {
        SCOPED_TRACE(kind);
        OpenAndDrag();
        StartWork(kind);
        ui.Answer({IDYES});
        Command(ID_WINDOW_CLOSE);
        EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
        EXPECT_EQ(Asked(L"Page was changed; save changes?"), 1);
        ExpectSame(dragged, Doc(), "the document");
        ExpectSame(dragged, File(), "the file");
    }
}

// Ending the program with work under way: the work goes before the
// question, and Yes writes the real change only.
TEST_F(ClosingTest, ExitDropsTheWorkUnderWayBeforeItsQuestion) {
    OpenAndDrag();
    StartWork(3);
    ui.Answer({IDYES});
    g_MainFrame.SendMessage(WM_CLOSE);
    PumpPendingMessages();
    EXPECT_FALSE(g_MainFrame.IsWindow());
    EXPECT_EQ(Asked(L"Project was changed; save changes?"), 1);
    ExpectSame(dragged, File(), "the file");
}

// Replacing the project asks one question, with work under way dropped
// first: No writes nothing (no second question follows whose default would
// save after all), Cancel keeps the document, Yes saves it once.
TEST_F(ClosingTest, ReplacingTheProjectAsksOnceAndWritesOnlyWhatYesSaves) {
    struct Case {
        int command;
        int answer;
        bool saved;
    };
    const Case cases[] = {
        {ID_NEW_PROJECT, IDNO, false},     {ID_OPEN_PROJECT, IDNO, false},
        {ID_NEW_PROJECT, IDCANCEL, false}, {ID_OPEN_PROJECT, IDCANCEL, false},
        {ID_NEW_PROJECT, IDYES, true},
    };
    for (const Case& c : cases) {
        for (int kind : {-1, 3}) {
            SCOPED_TRACE(testing::Message() << c.command << " " << c.answer << " " << kind);
            OpenAndDrag();
            if (kind >= 0)
                StartWork(kind);
            ui.Answer({c.answer});
            Command(c.command);
            EXPECT_EQ(Asked(L"Project was changed; save changes?"), 1);
            EXPECT_EQ(Asked(L"Page was changed; save changes?"), 0);
            EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
            ExpectSame(c.saved ? dragged : onDisk, File(), "the file");
            if (c.answer == IDCANCEL) {
                ExpectSame(dragged, Doc(), "Cancel keeps the document with its change");
                EXPECT_TRUE(g_MainFrame.IsDocumentModified(kDocumentProject));
            }
        }
    }
}

} // namespace

// A pin where a cut wire and a staying wire of one net meet: the pin finds
// its net again through the staying wire only, and the lifted wire keeps a
// net of its own (the pin once joined the two again, and the walk lifted
// the joined net once more, for ever).
TEST_F(SchematicViewTest, CuttingOneOfTwoWiresAtAPinLeavesThePinWithTheOther) {
    const std::string pins = "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
                             "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n";
    ASSERT_NE(OpenText(Project("  <Board>Parts\r\n"
                               "    <Sheet GridSize=\"2.54\" SheetSize=\"297,210\">Main</Sheet>\r\n"
                               "    <Package>\r\n"
                               "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,10\">\r\n" +
                               pins +
                               "      </Part>\r\n"
                               "      <Text Name=\"RefDes\">R1</Text>\r\n"
                               "    </Package>\r\n"
                               "    <Package>\r\n"
                               "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"30,10\">\r\n" +
                               pins +
                               "      </Part>\r\n"
                               "      <Text Name=\"RefDes\">R2</Text>\r\n"
                               "    </Package>\r\n"
                               "    <Net>N9\r\n"
                               "      <Wire SheetName=\"Main\">29,11,29,20</Wire>\r\n"
                               "      <Wire SheetName=\"Main\">15,11,29,11</Wire>\r\n"
                               "    </Net>\r\n"
                               "  </Board>\r\n")),
              nullptr);
    const std::string done = DoUndoRedo([&] {
        Command(ID_TOOL_SELECT);
        Click({20, 11});
        MoveTo({20, 11});
        Command(ID_EDIT_CUT);
        ASSERT_EQ(view->GetFloatingList().size(), 1u);
        CTreeNode* lifted = view->GetFloatingList().front().node;
        ASSERT_EQ(lifted->GetType(), NodeType::Net);
        EXPECT_EQ(lifted->GetParent(), board);
        EXPECT_EQ(lifted->GetChildCount(), 1u);
        ASSERT_NE(Net(L"N9"), nullptr);
        EXPECT_EQ(Net(L"N9")->GetWires().size(), 1u);
        EXPECT_EQ(Net(L"N9")->m_pins.size(), 1u);
        MoveTo({20, 25});
        Click({20, 25});
        Key(VK_ESCAPE);
    });
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">15,25,29,25</Wire>"));
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">29,11,29,20</Wire>"));
    ExpectDrawingAgreesWithNets();
}

// A first run: no library of the user's, only the ones the build puts next
// to the program. Each demo package, chosen from the program's symbol
// folder, gets the footprint its symbol names from the program's footprint
// folder, with its pads, and nothing is reported missing.
TEST_F(SchematicViewTest, OnAFirstRunTheDemoPartsFindTheirFootprintsNextToTheProgram) {
    ASSERT_NE(OpenProject(ExamplePath()), nullptr);
    struct Case {
        int package; // index in the browser's list of demo.symbol
        const wchar_t* name;
        const wchar_t* footprint;
        size_t pads;
    };
    const Case cases[] = {{0, L"RES", L"R0805", 2}, {1, L"NAND2", L"SO14", 14}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* browser = dynamic_cast<CSelPart*>(&d);
            ASSERT_NE(browser, nullptr);
            ASSERT_EQ(d.GetDlgItemAs<ListBoxControl>(CSelPart::kDirList)->GetCount(), 2);
            ClickEntry(d, CSelPart::kDirList, 1);
            ClickEntry(d, CSelPart::kFileList, 0);
            ClickEntry(d, CSelPart::kPackageList, c.package);
            ASSERT_NE(browser->GetChosenPackage(), nullptr);
            EXPECT_EQ(browser->GetChosenPackage()->GetText(), c.name);
            ClickAt(d.GetDlgItem(IDOK), POINT{3, 3});
        });
        Command(ID_SCH_PLACE_PART);
        ASSERT_TRUE(view->IsPartFloating());
        CPackage* package = view->GetFloatingPackage();
        MoveTo({40, 30});
        Click({40, 30});
        Key(VK_ESCAPE);
        EXPECT_TRUE(ui.messageBoxes.empty()) << WideToUtf8(ui.messageBoxes[0].text);
        CFootprint* footprint = package->GetFootprint();
        ASSERT_NE(footprint, nullptr);
        EXPECT_EQ(footprint->GetText(), c.footprint);
        size_t pads = 0;
        for (CTreeNode* padstack : footprint->GetChildren())
            if (padstack->GetType() == NodeType::Padstack)
                for (CTreeNode* pad : padstack->GetChildren())
                    pads += pad->GetType() == NodeType::Pad;
        EXPECT_EQ(pads, c.pads);
    }
}

// The part's drawing reaches past its outline (the resistor's "R" below it,
// the gate's arc to its left): a lifted, turned or floating part that moves
// repaints all of it where it was and where it is, texts included.
TEST_F(PlacingTest, PartsThatMoveLeaveNoPixelsBehind) {
    // On the screen at the test's zoom: x 0 to 50, y 50 to 80.
    PartTool(0);
    MoveTo({30, 60});
    Click({30, 60});
    Key(VK_ESCAPE);
    struct Case {
        int key;
        WPARAM mk;
    } cases[] = {{'H', 0}, {'H', 0}, {'V', 0}, {'R', 0}, {'R', MK_SHIFT}};
    for (const Case& c : cases) {
        const std::wstring name =
            L"schematic-lifted-" + std::wstring(1, wchar_t(c.key)) + (c.mk ? L"-shift" : L"");
        Select({32, 61});
        MoveTo({32, 61});
        Key(c.key, c.mk);
        for (POINT p : {POINT{34, 63}, POINT{37, 65}, POINT{33, 62}})
            MoveTo(p);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, name));
        Click({33, 62});
        Key(VK_ESCAPE);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, name + L"-dropped"));
    }
    // The resistor floating from the part tool, mirrored and turned in place.
    PartTool(0);
    for (int key : {'H', 'R', 'V'}) {
        MoveTo({12, 70});
        Key(key);
        for (POINT p : {POINT{15, 72}, POINT{19, 75}, POINT{14, 71}})
            MoveTo(p);
        EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"schematic-floating-" +
                                                                    std::wstring(1, wchar_t(key))));
    }
    Key(VK_ESCAPE);
    // A gate whose arc lies left of its outline, from the demo library.
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(
        PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.symbol"), bytes));
    ASSERT_TRUE(WriteWholeFile(
        PathJoin(g_MainFrame.GetDefaultFolder(kDocumentSymbolLibrary), L"demo.symbol"), bytes));
    // demo.symbol comes first in the browser's list: its Logic folder's
    // package follows the resistor.
    PartTool(1);
    ASSERT_TRUE(view->IsPartFloating());
    ASSERT_EQ(view->GetFloatingPackage()->GetText(), L"NAND2");
    for (POINT p : {POINT{20, 60}, POINT{23, 62}, POINT{27, 65}, POINT{22, 61}})
        MoveTo(p);
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"schematic-floating-gate"));
    Click({22, 61});
    for (POINT p : {POINT{28, 58}, POINT{35, 54}, POINT{30, 57}})
        MoveTo(p);
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(*view, L"schematic-placed-gate"));
    Key(VK_ESCAPE);
}
