// Net membership while wiring: joining, merging, splitting and renaming nets
// as wires are drawn and deleted, each sequence undone and redone back to the
// same saved file.
#include "tests/schematic/schematic_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <regex>

namespace {

class WiringTest : public SchematicFixture {};

TEST_F(WiringTest, JoinMergeSplitUndoRedo) {
    Load(kTwoResistors);
    const std::string original = Save();
    CSheet* main = Sheet(L"Main");
    CPin* r1b = PinOf(0, 1);
    CPin* r2a = PinOf(1, 0);
    CPin* r2b = PinOf(1, 1);
    CPin* gnd = PinOf(2, 0);

    AddWire(main, {15, 9}, {19, 9});
    CheckNets();
    ASSERT_EQ(NetNames(), std::vector<std::wstring>{L"N1"});
    EXPECT_EQ(r1b->m_pNet, Net(L"N1"));
    EXPECT_EQ(r2a->m_pNet, Net(L"N1"));

    // A wire to the power symbol gives its net the symbol's name.
    AddWire(main, {25, 9}, {30, 9});
    CheckNets();
    EXPECT_EQ(NetNames(), (std::vector<std::wstring>{L"N1", L"GND"}));
    ASSERT_NE(Net(L"GND"), nullptr);
    EXPECT_EQ(r2b->m_pNet, Net(L"GND"));
    EXPECT_EQ(gnd->m_pNet, Net(L"GND"));

    // Joining the two nets: the fixed name wins, N1 is gone.
    CWire* bridge = AddWire(main, {19, 9}, {19, 12});
    CWire* bridge2 = AddWire(main, {19, 12}, {25, 12});
    CWire* bridge3 = AddWire(main, {25, 12}, {25, 9});
    CheckNets();
    EXPECT_EQ(NetNames(), std::vector<std::wstring>{L"GND"});
    EXPECT_EQ(r1b->m_pNet, Net(L"GND"));
    (void)bridge;
    (void)bridge3;
    const std::string joined = Save();

    // Deleting the middle wire splits again: the side with the fixed-name
    // pin keeps GND, the other gets the next automatic name.
    DeleteWire(bridge2);
    CheckNets();
    ASSERT_EQ(Nets().size(), 2u);
    EXPECT_EQ(gnd->m_pNet, Net(L"GND"));
    EXPECT_EQ(r2b->m_pNet, Net(L"GND"));
    ASSERT_NE(r1b->m_pNet, nullptr);
    EXPECT_NE(r1b->m_pNet, Net(L"GND"));
    EXPECT_EQ(r1b->m_pNet, r2a->m_pNet);
    const std::string after = Save();

    m_view.undo.Undo();
    CheckNets();
    EXPECT_EQ(Save(), joined);
    UndoAll();
    CheckNets();
    EXPECT_EQ(Save(), original);
    RedoAll();
    CheckNets();
    EXPECT_EQ(Save(), after);
}

TEST_F(WiringTest, TouchingPinsJoinByZeroLengthWire) {
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Package><Part Outline="4,2" SheetName="S" XY="10,8"><Pin Num="1">R1</Pin></Part></Package>
    <Package><Part Outline="4,2" SheetName="S" XY="16,8"><Pin Num="1">L1</Pin></Part></Package>
    </Board></Project>)");
    const std::string original = Save();
    CPin* a = PinOf(0, 0);
    CPin* b = PinOf(1, 0);
    StartUndoGroup();
    a->Connect(nullptr);
    CheckNets();
    ASSERT_NE(a->m_pNet, nullptr);
    EXPECT_EQ(a->m_pNet->GetName(), L"N1");
    EXPECT_EQ(a->m_pNet, b->m_pNet);
    ASSERT_EQ(a->m_pNet->GetChildCount(), 1u);
    auto* joint = static_cast<CWire*>(a->m_pNet->GetChild(0));
    EXPECT_EQ(joint->GetDirection(), WireDirection::None);
    EXPECT_FALSE(joint->IsRedundantJoint());
    EXPECT_FALSE(a->m_pNet->NormalizeWires(nullptr)) << "two pins meet at the joint";
    EXPECT_EQ(a->m_pNet->GetChildCount(), 1u);
    UndoAll();
    EXPECT_EQ(Save(), original);
}

TEST_F(WiringTest, PinDroppedOnWireSplitsIt) {
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Package><Part Outline="4,2" SheetName="S" XY="10,8"><Pin Num="1">B0</Pin></Part></Package>
    <Net>N7<Wire SheetName="S">4,7,20,7</Wire></Net>
    </Board></Project>)");
    CPin* pin = PinOf(0, 0); // connection point (10,7)
    StartUndoGroup();
    pin->Connect(nullptr);
    CheckNets();
    CNet* net = Net(L"N7");
    ASSERT_EQ(pin->m_pNet, net);
    ASSERT_EQ(net->GetChildCount(), 2u);
    auto* w0 = static_cast<CWire*>(net->GetChild(0));
    auto* w1 = static_cast<CWire*>(net->GetChild(1));
    EXPECT_TRUE(SamePoint(w0->GetEnd(), POINT{10, 7}));
    EXPECT_TRUE(SamePoint(w1->GetStart(), POINT{10, 7}));
    EXPECT_TRUE(SamePoint(w1->GetEnd(), POINT{20, 7}));
}

TEST_F(WiringTest, FixedNameNetRefusesRename) {
    Load(kTwoResistors);
    AddWire(Sheet(L"Main"), {25, 9}, {30, 9});
    CNet* gnd = Net(L"GND");
    ASSERT_NE(gnd, nullptr);
    ScopedUiHooksRecorder ui;
    m_grid.ShowProperties(gnd);
    SetRowText(0, L"AGND");
    m_grid.ApplyRow(0);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Fixed name pins are connected to this net");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    EXPECT_EQ(gnd->GetName(), L"GND");
}

TEST_F(WiringTest, NetRenameMergesAndPanelShowsSurvivor) {
    Load(kTwoResistors);
    AddWire(Sheet(L"Main"), {15, 9}, {19, 9}); // N1
    AddWire(Sheet(L"Main"), {9, 9}, {9, 4});   // N2
    CNet* n2 = Net(L"N2");
    ASSERT_NE(n2, nullptr);
    const std::string before = Save();
    m_grid.ShowProperties(n2);
    SetRowText(0, L"N1");
    m_grid.ApplyRow(0);
    CheckNets();
    EXPECT_EQ(NetNames(), std::vector<std::wstring>{L"N1"});
    EXPECT_EQ(m_grid.GetShownObject(), Net(L"N1")) << "the absorbed net is no longer shown";
    // A second rename works on the surviving net.
    SetRowText(0, L"");
    m_grid.ApplyRow(0);
    EXPECT_EQ(NetNames(), std::vector<std::wstring>{L"N3"}) << "an empty name gives N%d";
    UndoAll();
    RedoAll();
    UndoAll();
    EXPECT_NE(Save(), before) << "the wires themselves were drawn in this history";
}

TEST_F(WiringTest, PowerSymbolRenameMovesItsCluster) {
    Load(kTwoResistors);
    AddWire(Sheet(L"Main"), {25, 9}, {30, 9});
    AddWire(Sheet(L"Main"), {15, 9}, {19, 9});
    const std::string before = Save();
    CPart* symbol = PinOf(2, 0)->GetPart();
    m_grid.ShowProperties(symbol);
    EXPECT_EQ(m_grid.GetTitle(), L"Power symbol properties");
    SetRowText(0, L"VCC");
    m_grid.ApplyRow(0);
    CheckNets();
    EXPECT_EQ(Net(L"GND"), nullptr);
    ASSERT_NE(Net(L"VCC"), nullptr);
    EXPECT_EQ(PinOf(1, 1)->m_pNet, Net(L"VCC"));
    EXPECT_EQ(Net(L"VCC")->m_airwireColor, 0x000000FFu);
    // Empty names are refused with a message.
    ScopedUiHooksRecorder ui;
    SetRowText(0, L"");
    m_grid.ApplyRow(0);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Net name is not specified");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONEXCLAMATION);
    auto* row = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(0));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetText(), L"VCC") << "the row shows the name kept";
    m_view.undo.Undo();
    CheckNets();
    EXPECT_EQ(Save(), before);
}

TEST_F(WiringTest, PowerSymbolWithoutWireMovesAlone) {
    Load(kTwoResistors);
    CWire* w = AddWire(Sheet(L"Main"), {25, 9}, {30, 9});
    DeleteWire(w);
    CheckNets();
    CPin* symbolPin = PinOf(2, 0);
    ASSERT_EQ(symbolPin->m_pNet, Net(L"GND")) << "the fixed-name pin keeps its net";
    EXPECT_EQ(PinOf(1, 1)->m_pNet, nullptr);
    const std::string before = Save();
    m_grid.ShowProperties(symbolPin->GetPart());
    SetRowText(0, L"VCC");
    m_grid.ApplyRow(0);
    CheckNets();
    EXPECT_EQ(symbolPin->m_pNet, Net(L"VCC"));
    EXPECT_EQ(Net(L"GND"), nullptr);
    m_view.undo.Undo();
    CheckNets();
    EXPECT_EQ(symbolPin->m_pNet, Net(L"GND"));
    EXPECT_EQ(Save(), before);
}

TEST_F(WiringTest, BusLabelRenameAndSecondPowerSymbol) {
    // Two GND symbols on one cluster; the second one's package comes first,
    // so renaming the first merges the old net away while its pins move.
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Package><Part Outline="2,2" SheetName="S" XY="35,8"><Pin NetName="GND">L1</Pin></Part></Package>
    <Package><Part Outline="2,2" SheetName="S" XY="31,8"><Pin NetName="GND">L1</Pin></Part></Package>
    <Net>GND<Wire SheetName="S">30,9,34,9</Wire></Net>
    </Board></Project>)");
    CNet* gnd = Net(L"GND");
    CPin* second = PinOf(0, 0);
    CPin* first = PinOf(1, 0);
    StartUndoGroup();
    first->Connect(nullptr);
    second->Connect(nullptr);
    ASSERT_EQ(gnd->m_pins.size(), 2u);
    m_view.undo.Clear();
    const std::string before = Save();
    m_grid.ShowProperties(first->GetPart());
    SetRowText(0, L"VCC");
    m_grid.ApplyRow(0); // the old net is deleted once (AddressSanitizer)
    for (CNet* net : Nets())
        EXPECT_FALSE(net->GetChildCount() == 0 && net->m_pins.empty());
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
    m_view.undo.Redo();
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);

    // A bus label renames one cluster only.
    CWire* w = static_cast<CWire*>(Net(L"GND")->GetChild(0));
    StartUndoGroup();
    Net(L"GND")->SplitAtWire(w, L"DATA0");
    // The cluster's fixed-name pins bring their name along.
    CheckNets();
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
}

TEST_F(WiringTest, BusLabelRenameOfPlainCluster) {
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Net>N4<Wire SheetName="S" be1="1">0,10,0,5</Wire><Wire SheetName="S">0,5,6,5</Wire><Wire SheetName="S">20,5,26,5</Wire></Net>
    </Board></Project>)");
    const std::string before = Save();
    CNet* n4 = Net(L"N4");
    StartUndoGroup();
    n4->SplitAtWire(static_cast<CWire*>(n4->GetChild(0)), L"D0");
    CheckNets();
    ASSERT_NE(Net(L"D0"), nullptr);
    EXPECT_EQ(Net(L"D0")->GetChildCount(), 2u);
    EXPECT_EQ(n4->GetChildCount(), 1u);
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
}

TEST_F(WiringTest, SplitKeepsEveryAnchoredCluster) {
    // Two clusters with bus entries and one free wire: deleting the free
    // wire leaves both anchored clusters in the net.
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Net>D<Wire SheetName="S" be1="1">5,14,5,10</Wire><Wire SheetName="S" be1="1">35,14,35,10</Wire><Wire SheetName="S">50,50,52,50</Wire></Net>
    </Board></Project>)");
    const std::string before = Save();
    CNet* d = Net(L"D");
    DeleteWire(static_cast<CWire*>(d->GetChild(2)));
    EXPECT_EQ(NetNames(), std::vector<std::wstring>{L"D"});
    EXPECT_EQ(d->GetChildCount(), 2u);
    CheckNets();
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
}

TEST_F(WiringTest, NormalizeRules) {
    Load(R"(<Project><Board><Sheet>S</Sheet><Sheet>T</Sheet>
    <Package><Part Outline="4,2" SheetName="S" XY="10,8"><Pin Num="1">L1</Pin></Part></Package>
    <Package><Part Outline="4,2" SheetName="S" XY="40,8"><Pin Num="1">L1</Pin></Part></Package>
    <Net>A<Wire SheetName="S">0,0,5,0</Wire><Wire SheetName="S">5,0,9,0</Wire>
      <Wire SheetName="S" be1="2">0,3,5,3</Wire><Wire SheetName="S" be1="1">5,3,9,3</Wire>
      <Wire SheetName="S">0,6,5,6</Wire><Wire SheetName="S">5,6,9,6</Wire><Wire SheetName="S">5,6,5,7</Wire>
      <Wire SheetName="T">0,0,9,0</Wire><Wire SheetName="T">5,0,5,4</Wire>
      <Wire SheetName="S">20,20,20,20</Wire>
    </Net>
    <Net>B</Net>
    </Board></Project>)");
    CNet* a = Net(L"A");
    StartUndoGroup();
    EXPECT_FALSE(a->NormalizeWires(nullptr));
    std::vector<std::wstring> texts;
    for (CWire* w : a->GetWires()) {
        w->WriteAttributes();
        texts.push_back(w->m_pSheet->GetName() + L":" + w->GetText());
    }
    // Collinear wires join; a bus entry at the joint or a wire of another
    // kind keeps them apart; the wire on sheet T is split only by T's own
    // wire; the lone zero-length wire goes.
    const std::vector<std::wstring> expected = {L"S:0,0,9,0", L"S:0,3,5,3", L"S:5,3,9,3",
                                                L"S:0,6,5,6", L"S:5,6,9,6", L"S:5,6,5,7",
                                                L"T:0,0,5,0", L"T:5,0,5,4", L"T:5,0,9,0"};
    EXPECT_EQ(texts, expected);

    // A net without wires keeps pins that name it.
    CNet* b = Net(L"B");
    StartUndoGroup();
    PinOf(0, 0)->AddToNet(nullptr, b);
    PinOf(1, 0)->AddToNet(nullptr, b);
    EXPECT_FALSE(b->NormalizeWires(nullptr));
    EXPECT_EQ(Net(L"B"), b);
    EXPECT_EQ(PinOf(0, 0)->m_pNet, b);
    PinOf(1, 0)->RemoveFromNet();
    EXPECT_TRUE(b->NormalizeWires(nullptr)) << "a lone pin leaves and the net goes";
    EXPECT_EQ(PinOf(0, 0)->m_pNet, nullptr);
    EXPECT_EQ(Net(L"B"), nullptr);
}

TEST_F(WiringTest, WiresLyingWithinAnotherGo) {
    // A wire that covers no stretch another wire does not cover goes, its
    // ends shared with the other's included; a wire reaching past the other
    // stays (joined to it, when nothing else meets at the joint).
    struct Case {
        const char* name;
        const char* wires;
        std::vector<std::wstring> left;
    };
    const Case cases[] = {
        {"a copy", R"(<Wire SheetName="S">0,0,9,0</Wire><Wire SheetName="S">0,0,9,0</Wire>)",
         {L"0,0,9,0"}},
        {"a copy drawn the other way",
         R"(<Wire SheetName="S">0,4,0,9</Wire><Wire SheetName="S">0,9,0,4</Wire>)", {L"0,4,0,9"}},
        {"on the other's far end",
         R"(<Wire SheetName="S">0,0,9,0</Wire><Wire SheetName="S">5,0,9,0</Wire>)",
         {L"0,0,9,0"}},
        {"on the other's near end, drawn first",
         R"(<Wire SheetName="S">2,2,2,5</Wire><Wire SheetName="S">2,2,2,8</Wire>)",
         {L"2,2,2,8"}},
        {"both ends inside",
         R"(<Wire SheetName="S">0,0,9,0</Wire><Wire SheetName="S">3,0,6,0</Wire>)",
         {L"0,0,9,0"}},
        {"reaching past", R"(<Wire SheetName="S">0,0,6,0</Wire><Wire SheetName="S">3,0,9,0</Wire>)",
         {L"0,0,9,0"}},
        {"two copies of two wires",
         R"(<Wire SheetName="S">0,0,9,0</Wire><Wire SheetName="S">9,0,9,5</Wire>
            <Wire SheetName="S">9,5,9,0</Wire><Wire SheetName="S">0,0,9,0</Wire>)",
         {L"0,0,9,0", L"9,0,9,5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_view.undo.Clear();
        Load(std::string(R"(<Project><Board><Sheet>S</Sheet><Net>A)") + c.wires +
             "</Net></Board></Project>");
        StartUndoGroup();
        Net(L"A")->NormalizeWires(nullptr);
        std::vector<std::wstring> left;
        for (CWire* w : Net(L"A")->GetWires()) {
            w->WriteAttributes();
            left.push_back(w->GetText());
        }
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, c.left);
    }
}

TEST_F(WiringTest, CopiesKeptForTheirBusEntryDoNotFoldIntoNothing) {
    // Two copies of a wire with a bus entry both stay (the entry keeps the
    // copy); a third wire ending inside them splits both. The pieces that
    // lie on one another are no continuation of each other.
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Net>A<Wire SheetName="S" be2="1">0,0,0,3</Wire><Wire SheetName="S" be2="1">0,0,0,3</Wire>
      <Wire SheetName="S">0,2,0,5</Wire></Net>
    </Board></Project>)");
    const std::string before = Save();
    StartUndoGroup();
    EXPECT_FALSE(Net(L"A")->NormalizeWires(nullptr));
    for (CWire* w : Net(L"A")->GetWires())
        EXPECT_FALSE(SamePoint(w->GetStart(), w->GetEnd())) << "a wire without length";
    // No stretch of the line is lost.
    for (int y = 0; y < 5; ++y) {
        bool covered = false;
        for (CWire* w : Net(L"A")->GetWires())
            covered = covered || (w->ContainsPoint(POINT{0, y}, true) &&
                                  w->ContainsPoint(POINT{0, y + 1}, true));
        EXPECT_TRUE(covered) << "0," << y << " to 0," << y + 1;
    }
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
}

TEST_F(WiringTest, OtherSheetsDoNotConnect) {
    Load(R"(<Project><Board><Sheet>S</Sheet><Sheet>T</Sheet>
    <Package><Part Outline="4,2" SheetName="S" XY="10,8"><Pin Num="1">L1</Pin></Part></Package>
    <Net>A<Wire SheetName="T">5,9,12,9</Wire></Net>
    <Net>C<Wire SheetName="S">0,0,10,0</Wire><Wire SheetName="T">2,0,5,0</Wire></Net>
    </Board></Project>)");
    EXPECT_EQ(PinOf(0, 0)->m_pNet, nullptr) << "a wire of sheet T under a pin of sheet S";
    StartUndoGroup();
    Net(L"C")->NormalizeWires(nullptr);
    EXPECT_EQ(Net(L"C")->GetChildCount(), 2u) << "covered only on another sheet";
    // Drawing on T where S has a pin joins nothing on S.
    AddWire(Sheet(L"T"), {9, 9}, {9, 3});
    EXPECT_EQ(PinOf(0, 0)->m_pNet, nullptr);
    CheckNets();
}

// A net that takes another name, or goes into another net, takes the planes of
// the stackup and the copper areas that name it along, in the same undo step.
TEST_F(WiringTest, PlanesAndAreasFollowARenamedOrMergedNet) {
    enum Gesture { kNetRow, kWire, kLabel };
    // A net row typed (net, name), a wire drawn (a, b) or a label (net, name);
    // after: the nets the planes and areas name in file order.
    struct Case {
        Gesture gesture;
        const wchar_t* net;
        const wchar_t* name;
        POINT a, b;
        const char* after;
    };
    const std::vector<Case> cases = {
        {kNetRow, L"N1", L"GND", {}, {}, "GND DATA2 DATA2 GND"},            // GND takes N1 over
        {kNetRow, L"DATA2", L"GND", {}, {}, "N1 GND GND N1"},               // DATA2 into GND
        {kNetRow, L"N1", L"CLK", {}, {}, "CLK DATA2 DATA2 CLK"},            // a new name
        {kWire, nullptr, nullptr, {19, 9}, {25, 9}, "GND DATA2 DATA2 GND"}, // N1 joins GND
        {kWire, nullptr, nullptr, {17, 5}, {17, 9}, "VCC DATA2 DATA2 VCC"}, // VCC's pin names N1
        {kLabel, L"N1", L"D0", {}, {}, "D0 DATA2 DATA2 D0"},                // all of N1 goes to D0
    };
    std::string document = kTwoResistors;
    document.replace(document.find("<Bus"), 0, R"(
    <Layer>TOP</Layer>
    <Layer Net="N1" NoThermal="1" Type="PLANE">I02</Layer>
    <Layer Net="DATA2" Type="PLANE">I03</Layer>
    <Area Layer="TOP" Net="DATA2">LIN1,1 LIN9,1 LIN9,9</Area>
    <Area Layer="BOT" Net="N1">LIN11,1 LIN19,1 LIN19,9</Area>
    <Package><Part Outline="2,2" SheetName="Main" XY="18,4"><Pin NetName="VCC">L1</Pin></Part></Package>
    <Net>N1<Wire SheetName="Main">15,9,19,9</Wire></Net>
    <Net>GND<Wire SheetName="Main">25,9,30,9</Wire></Net>
    <Net>DATA2<Wire SheetName="Main">9,9,9,4</Wire></Net>
    )");
    auto named = [](const std::string& saved) {
        std::string names;
        const std::regex attribute(" Net=\"([^\"]*)\"");
        for (auto i = std::sregex_iterator(saved.begin(), saved.end(), attribute);
             i != std::sregex_iterator(); ++i)
            names += (names.empty() ? "" : " ") + (*i)[1].str();
        return names;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        m_view.undo.Clear();
        Load(document);
        const std::string original = Save();
        ASSERT_EQ(named(original), "N1 DATA2 DATA2 N1");
        if (c.gesture == kWire) {
            AddWire(Sheet(L"Main"), c.a, c.b);
        } else {
            auto* wire = static_cast<CWire*>(Net(c.net)->GetChild(0));
            if (c.gesture == kLabel) {
                StartUndoGroup();
                Net(c.net)->SplitAtWire(wire, c.name);
            } else {
                m_grid.ShowProperties(wire);
                SetRowText(0, c.name);
                m_grid.ApplyRow(0);
            }
        }
        CheckNets();
        const std::string changed = Save();
        EXPECT_EQ(named(changed), c.after);
        m_view.undo.Undo();
        EXPECT_EQ(Save(), original);
        m_view.undo.Redo();
        EXPECT_EQ(Save(), changed);
        m_grid.ShowProperties(nullptr);
    }
}

} // namespace
