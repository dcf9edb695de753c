// The wire and bus tools driven with the mouse: wires from pin to pin, over
// corners, onto wires of other nets (merging them), across wires, over pins
// (split at each), onto and from buses (bus entries), buses, abandoning with
// Esc, and the first move of a new wire. Each scenario is checked on the
// saved document, undone to the original bytes and redone.
#include "tests/views/schematic_view_fixture.h"

#include <regex>

namespace {

// A sheet with three resistors, a ground symbol, two nets with a wire each
// and a vertical bus. Pins (connection points): R1 (9,11) (15,11); R2
// (29,11) (35,11); R3 (9,21) (15,21); the ground pin (21,29).
const char* const kBoard =
    "  <Board>Test\r\n"
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
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,20\">RC0,0,40,20\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R3</Text>\r\n"
    "    </Package>\r\n"
    "    <Package>\r\n"
    "      <Part Outline=\"2,2\" SheetName=\"Main\" XY=\"20,30\">L0,20,20,20\r\n"
    "        <Pin Name=\"GND\" NetName=\"GND\" Shape=\"0\">B1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\">#PWR1</Text>\r\n"
    "    </Package>\r\n"
    "    <Net>A\r\n"
    "      <Wire SheetName=\"Main\">40,5,40,15</Wire>\r\n"
    "    </Net>\r\n"
    "    <Net>B\r\n"
    "      <Wire SheetName=\"Main\">50,5,50,15</Wire>\r\n"
    "    </Net>\r\n"
    "    <Bus SheetName=\"Main\">60,5V20</Bus>\r\n"
    "  </Board>\r\n";

class WiringTest : public SchematicViewTest {
protected:
    void SetUp() override {
        SchematicViewTest::SetUp();
        ASSERT_NE(OpenText(Project(kBoard)), nullptr);
    }
    // A wire through the given points: a click at each, with the cursor
    // moving there first.
    void DrawWire(const std::vector<POINT>& points) {
        Command(ID_SCH_PLACE_WIRE);
        for (const POINT& p : points)
            Click(p);
    }
    CPin* Pin(const std::wstring& refDes, int index) {
        CPackage* package = PackageByRefDes(refDes);
        return static_cast<CPin*>(package->GetPart(0)->GetChild(static_cast<size_t>(index)));
    }
};

TEST_F(WiringTest, AWireFromPinToPinMakesANetOfBothPins) {
    const std::string done = DoUndoRedo([&] { DrawWire({{15, 11}, {29, 11}}); });
    EXPECT_FALSE(view->IsWireInProgress()) << "ending on a pin finishes the wire";
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">15,11,29,11</Wire>"));
    CNet* net = Pin(L"R1", 1)->m_pNet;
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(net->GetName(), L"N1");
    EXPECT_EQ(Pin(L"R2", 0)->m_pNet, net);
    EXPECT_EQ(net->GetChildCount(), 1u) << "the zero-length second leg is not kept";
    EXPECT_TRUE(HasLine(done, "<Net AirwireColor=\"65535\">N1"));
    ExpectDrawingAgreesWithNets();
}

TEST_F(WiringTest, AWireWithCornersIsUndoneClickByClick) {
    const std::string before = Save();
    Command(ID_SCH_PLACE_WIRE);
    Click({15, 11});
    MoveTo({20, 11});
    MoveTo({20, 15});
    Click({20, 15}); // a corner on nothing: the wire goes on
    EXPECT_TRUE(view->IsWireInProgress());
    MoveTo({25, 15});
    MoveTo({25, 21});
    Undo();
    EXPECT_TRUE(view->IsWireInProgress()) << "undo waits while a wire is drawn";
    Click({15, 21}); // onto R3's second pin
    EXPECT_FALSE(view->IsWireInProgress());
    const std::string done = Save();
    // The first leg of the second L kept following the cursor down.
    EXPECT_EQ(WiresOnSheet(),
              (std::vector<std::wstring>{L"A:40,5,40,15", L"B:50,5,50,15", L"N1:15,11,20,11",
                                         L"N1:20,11,20,21", L"N1:20,21,15,21"}));
    EXPECT_EQ(Pin(L"R3", 1)->m_pNet, Pin(L"R1", 1)->m_pNet);
    Undo();
    EXPECT_EQ(WiresOnSheet(), (std::vector<std::wstring>{L"A:40,5,40,15", L"B:50,5,50,15",
                                                         L"N1:15,11,20,11", L"N1:20,11,20,15"}))
        << "the second click's group goes first";
    Undo();
    ExpectSame(before, Save());
    Redo();
    Redo();
    ExpectSame(done, Save());
}

TEST_F(WiringTest, AWireFromOneNetOntoAnotherMergesThemIntoTheOneItEndsOn) {
    const std::string done = DoUndoRedo([&] {
        Command(ID_SCH_PLACE_WIRE);
        Click({40, 10}); // the middle of net A's wire: split there
        MoveTo({50, 10});
        Click({50, 10}); // the middle of net B's wire
    });
    EXPECT_EQ(Net(L"A"), nullptr) << "B absorbed A";
    ASSERT_NE(Net(L"B"), nullptr);
    EXPECT_EQ(WiresOnSheet(),
              (std::vector<std::wstring>{L"B:40,10,40,15", L"B:40,10,50,10", L"B:40,5,40,10",
                                         L"B:50,10,50,15", L"B:50,5,50,10"}));
    EXPECT_FALSE(HasLine(done, "<Net>A"));
}

TEST_F(WiringTest, AWireCrossingAnotherJoinsItOnlyWhereAnEndLiesOnTheLeg) {
    // Across net A's wire (its ends above and below): no joint, no merge.
    DrawWire({{35, 11}, {45, 11}});
    MoveTo({45, 21});
    Click({45, 21});
    MoveTo({15, 21});
    Click({15, 21});
    ASSERT_NE(Net(L"A"), nullptr);
    EXPECT_EQ(Net(L"A")->GetChildCount(), 1u);
    EXPECT_NE(Pin(L"R2", 1)->m_pNet, Net(L"A"));
    EXPECT_EQ(Pin(L"R2", 1)->m_pNet, Pin(L"R3", 1)->m_pNet);
    Command(ID_TOOL_SELECT);
    // A wire from the middle of that one (split there) whose leg runs over
    // net B's lower end takes B in, split there too; it then ends on net
    // A's wire, and A takes in everything.
    DoUndoRedo(
        [&] {
            DrawWire({{45, 15}});
            MoveTo({55, 15});
            Click({55, 15});
            MoveTo({55, 10});
            Click({40, 10});
        },
        2);
    EXPECT_EQ(Net(L"B"), nullptr);
    ASSERT_NE(Net(L"A"), nullptr);
    EXPECT_EQ(WiresOnSheet(),
              (std::vector<std::wstring>{L"A:35,11,45,11", L"A:40,10,40,15", L"A:40,5,40,10",
                                         L"A:45,11,45,15", L"A:45,15,45,21", L"A:45,15,50,15",
                                         L"A:45,21,15,21", L"A:50,15,55,15", L"A:50,5,50,15",
                                         L"A:55,10,40,10", L"A:55,15,55,10"}));
    EXPECT_EQ(Pin(L"R2", 1)->m_pNet, Net(L"A"));
    ExpectDrawingAgreesWithNets();
}

TEST_F(WiringTest, ALegOverThreePinsIsSplitAtEachOfThem) {
    // Three resistors in a column, pins on their left at x = 9.
    const char* column = "  <Board>Column\r\n"
                         "    <Sheet GridSize=\"2.54\" SheetSize=\"297,210\">Main</Sheet>\r\n"
                         "    <Package>\r\n"
                         "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,10\">\r\n"
                         "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
                         "      </Part>\r\n"
                         "      <Text Name=\"RefDes\">R1</Text>\r\n"
                         "    </Package>\r\n"
                         "    <Package>\r\n"
                         "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,14\">\r\n"
                         "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
                         "      </Part>\r\n"
                         "      <Text Name=\"RefDes\">R2</Text>\r\n"
                         "    </Package>\r\n"
                         "    <Package>\r\n"
                         "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,18\">\r\n"
                         "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
                         "      </Part>\r\n"
                         "      <Text Name=\"RefDes\">R3</Text>\r\n"
                         "    </Package>\r\n"
                         "    <Package>\r\n"
                         "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,30\">\r\n"
                         "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
                         "      </Part>\r\n"
                         "      <Text Name=\"RefDes\">R4</Text>\r\n"
                         "    </Package>\r\n"
                         "  </Board>\r\n";
    ASSERT_NE(OpenText(Project(column)), nullptr);
    DoUndoRedo([&] {
        DrawWire({{9, 5}});
        MoveTo({9, 31});
        Click({9, 31}); // R4's pin ends it
    });
    EXPECT_EQ(WiresOnSheet(), (std::vector<std::wstring>{L"N1:9,11,9,15", L"N1:9,15,9,19",
                                                         L"N1:9,19,9,31", L"N1:9,5,9,11"}));
    for (const wchar_t* r : {L"R1", L"R2", L"R3", L"R4"})
        EXPECT_EQ(static_cast<CPin*>(PackageByRefDes(r)->GetPart(0)->GetChild(0))->m_pNet,
                  Net(L"N1"))
            << WideToUtf8(r);
}

TEST_F(WiringTest, APinWithAFixedNetNameStartsItsWireInThatNet) {
    DoUndoRedo([&] {
        DrawWire({{21, 29}});
        MoveTo({21, 21});
        MoveTo({15, 21});
        Click({15, 21});
    });
    ASSERT_NE(Net(L"GND"), nullptr);
    EXPECT_EQ(Pin(L"R3", 1)->m_pNet, Net(L"GND"));
}

TEST_F(WiringTest, WiresToAndFromABusGetBusEntries) {
    const std::string done = DoUndoRedo(
        [&] {
            DrawWire({{60, 12}}); // on the bus: the wire starts with an entry
            MoveTo({35, 12});
            MoveTo({35, 11});
            Click({35, 11});
            DrawWire({{29, 11}});
            MoveTo({60, 11});
            Click({60, 11}); // onto the bus: the last leg ends with an entry
        },
        2);
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\" be1=\"1\">60,12,35,12</Wire>"));
    // R2's right pin on the way split the last leg: the entry is on the
    // piece that reaches the bus.
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\">29,11,35,11</Wire>"));
    EXPECT_TRUE(HasLine(done, "<Wire SheetName=\"Main\" be2=\"1\">35,11,60,11</Wire>"));
    EXPECT_EQ(Pin(L"R2", 0)->m_pNet, Pin(L"R2", 1)->m_pNet);
}

TEST_F(WiringTest, ABusIsDrawnLegByLegAndEndsWithEsc) {
    const std::string before = Save();
    Command(ID_SCH_PLACE_BUS);
    Click({70, 5});
    MoveTo({80, 5});
    Click({80, 5});
    MoveTo({80, 15});
    Click({80, 15});
    MoveTo({90, 20});
    EXPECT_TRUE(view->IsBusInProgress());
    Key(VK_ESCAPE);
    EXPECT_FALSE(view->IsBusInProgress());
    EXPECT_EQ(view->GetCurrentTool(), ID_TOOL_SELECT);
    const std::string done = Save();
    EXPECT_TRUE(HasLine(done, "<Bus SheetName=\"Main\">70,5H10</Bus>"));
    EXPECT_TRUE(HasLine(done, "<Bus SheetName=\"Main\">80,5V10</Bus>"));
    // The leg that followed the cursor when Esc came is kept as drawn.
    EXPECT_TRUE(HasLine(done, "<Bus SheetName=\"Main\">80,15V5</Bus>") ||
                HasLine(done, "<Bus SheetName=\"Main\">80,15H10</Bus>"));
    // Two clicks made groups; the third's went with Esc.
    Undo();
    Undo();
    ExpectSame(before, Save());
    Redo();
    Redo();
    ExpectSame(done, Save());
    // A bus abandoned before its second click leaves nothing.
    Command(ID_SCH_PLACE_BUS);
    Click({70, 30});
    MoveTo({75, 30});
    Command(ID_TOOL_SELECT);
    ExpectSame(done, Save());
}

// A double-click where a leg ends, then Esc: the legs drawn and nothing
// without length.
TEST_F(WiringTest, ADoubleClickLeavesNoBusOrWireWithoutLength) {
    const std::regex noLength(
        "<Bus [^>]*>[^<]*[HVN]0</Bus>|<Wire [^>]*>(-?\\d+),(-?\\d+),\\1,\\2<");
    const std::string before = Save();
    Command(ID_SCH_PLACE_BUS);
    Click({70, 5});
    MoveTo({80, 5});
    DoubleClick({80, 5});
    MoveTo({80, 15});
    DoubleClick({80, 15});
    Key(VK_ESCAPE);
    EXPECT_FALSE(view->IsBusInProgress());
    const std::string bus = Save();
    EXPECT_FALSE(std::regex_search(bus, noLength));
    std::string expected = before;
    const std::string lastBus = "    <Bus SheetName=\"Main\">60,5V20</Bus>\r\n";
    expected.insert(expected.find(lastBus) + lastBus.size(),
                    "    <Bus SheetName=\"Main\">70,5H10</Bus>\r\n"
                    "    <Bus SheetName=\"Main\">80,5V10</Bus>\r\n");
    ExpectSame(expected, bus);
    Undo();
    Undo();
    ExpectSame(before, Save());
    Redo();
    Redo();
    ExpectSame(bus, Save());

    Command(ID_SCH_PLACE_WIRE);
    Click({70, 30});
    MoveTo({80, 30});
    DoubleClick({80, 30});
    MoveTo({80, 40});
    DoubleClick({80, 40});
    Key(VK_ESCAPE);
    EXPECT_FALSE(view->IsWireInProgress());
    const std::string wire = Save();
    EXPECT_FALSE(std::regex_search(wire, noLength));
    EXPECT_TRUE(HasLine(wire, "<Wire SheetName=\"Main\">70,30,80,30</Wire>"));
    EXPECT_TRUE(HasLine(wire, "<Wire SheetName=\"Main\">80,30,80,40</Wire>"));
    Undo();
    Undo();
    ExpectSame(bus, Save());
    Redo();
    Redo();
    ExpectSame(wire, Save());
}

TEST_F(WiringTest, AbandoningAWireKeepsTheLegsOfEarlierClicksInTheirNets) {
    const std::string netlist = Netlist();
    Command(ID_SCH_PLACE_WIRE);
    Click({9, 5});
    MoveTo({9, 8});
    Click({9, 8});
    // The new first leg is pulled down over R1's left pin; Esc must not
    // leave it lying there outside the pin's net.
    MoveTo({9, 14});
    Key(VK_ESCAPE);
    EXPECT_FALSE(view->IsWireInProgress());
    ExpectDrawingAgreesWithNets();
    // Abandoning at the first click leaves nothing at all.
    const std::string kept = Save();
    Command(ID_SCH_PLACE_WIRE);
    Click({25, 25});
    MoveTo({25, 35});
    Key(VK_ESCAPE);
    ExpectSame(kept, Save());
    Undo();
    EXPECT_EQ(Netlist(), netlist);
    ExpectSame(original, Save());
}

// Abandoning a wire takes back its last click and nothing else: a joint
// without length that the document brought along stays as it was.
TEST_F(WiringTest, AbandoningAWireLeavesAJointItNeverTouchedAlone) {
    const std::string joint = "<Wire SheetName=\"Main\">70,40,70,40</Wire>";
    std::string text = kBoard;
    text.insert(text.find("    <Bus "), "    <Net>C\r\n      " + joint + "\r\n    </Net>\r\n");
    ASSERT_NE(OpenText(Project(text)), nullptr);
    ASSERT_TRUE(HasLine(original, joint));
    // Ended after its first click: no change at all, none to undo.
    for (const bool escape : {true, false}) {
        Command(ID_SCH_PLACE_WIRE);
        Click({80, 5});
        MoveTo({85, 10});
        escape ? Key(VK_ESCAPE) : Command(ID_TOOL_SELECT);
        ExpectSame(original, Save());
        EXPECT_FALSE(view->GetUndoList().CanUndo());
    }
    // Ended after a corner: the first L stays, and the joint with it.
    Command(ID_SCH_PLACE_WIRE);
    Click({80, 5});
    MoveTo({85, 10});
    Click({85, 10});
    MoveTo({90, 15});
    Key(VK_ESCAPE);
    const std::string kept = Save();
    EXPECT_TRUE(HasLine(kept, joint));
    EXPECT_TRUE(HasLine(kept, "<Wire SheetName=\"Main\">85,5,85,10</Wire>"));
    Undo();
    ExpectSame(original, Save());
    Redo();
    ExpectSame(kept, Save());
}

// Copy or Cut in the wire or bus tool leaves copies floating; the first
// click of a wire or bus takes them away (Esc would), so that abandoning
// with Esc or a tool change takes back the wire's or bus's own last click
// and nothing before it. Each ends as the same drawing without the Copy.
TEST_F(WiringTest, AWireOrBusStartedWhileCopiesFloatAbandonsOnlyItsOwnClicks) {
    struct Case {
        const char* what;
        int tool;
        int pickUp; // 0: none
        int end;    // VK_ESCAPE, or a tool command
    };
    const Case cases[] = {
        {"wire, copy, Esc", ID_SCH_PLACE_WIRE, ID_EDIT_COPY, VK_ESCAPE},
        {"wire, cut, Esc", ID_SCH_PLACE_WIRE, ID_EDIT_CUT, VK_ESCAPE},
        {"wire, copy, select tool", ID_SCH_PLACE_WIRE, ID_EDIT_COPY, ID_TOOL_SELECT},
        {"bus, copy, Esc", ID_SCH_PLACE_BUS, ID_EDIT_COPY, VK_ESCAPE},
        {"bus, cut, select tool", ID_SCH_PLACE_BUS, ID_EDIT_CUT, ID_TOOL_SELECT},
    };
    auto draw = [&](const Case& c, bool pickUp) {
        // R1 and the wire of net A selected, the cursor over them.
        Command(ID_TOOL_SELECT);
        Click({12, 11});
        Click({40, 10}, MK_CONTROL);
        Command(c.tool);
        MoveTo({20, 12});
        if (pickUp)
            Command(c.pickUp);
        MoveTo({70, 30});
        Click({70, 30});
        MoveTo({80, 30});
        Click({80, 30});
        MoveTo({80, 40});
        Click({80, 40});
        MoveTo({85, 45});
        if (c.end == VK_ESCAPE)
            Key(VK_ESCAPE);
        else
            Command(c.end);
        EXPECT_FALSE(view->IsActionInProgress());
        // Net names count on whatever the copies took.
        return std::regex_replace(Save(), std::regex(">N[0-9]+\r"), ">N\r");
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string plain = draw(c, false);
        while (view->GetUndoList().CanUndo())
            Undo();
        ExpectSame(original, Save());
        EXPECT_EQ(draw(c, true), plain);
        ExpectDrawingAgreesWithNets();
        while (view->GetUndoList().CanUndo())
            Undo();
        ExpectSame(original, Save());
    }
}

TEST_F(WiringTest, ANewWireTakesItsFirstMoveWhateverTheLastWireMoved) {
    // The first wire ends after a move of (0, -3) from its start.
    Command(ID_SCH_PLACE_WIRE);
    Click({9, 14});
    MoveTo({9, 11});
    Click({9, 11}); // R1's pin finishes it
    ASSERT_FALSE(view->IsWireInProgress());
    // A second wire whose first move is the same (0, -3) from its start:
    // it must follow the cursor, not wait for a different move.
    Click({15, 14});
    MoveTo({15, 11});
    Click({15, 11});
    EXPECT_NE(Pin(L"R1", 1)->m_pNet, nullptr);
    const std::vector<std::wstring> wires = WiresOnSheet();
    EXPECT_NE(std::find(wires.begin(), wires.end(), L"N2:15,14,15,11"), wires.end());
}

} // namespace
