// Packages and footprints (generated footprints, library footprints that do
// not fit, swaps keeping the place, the side and the pad ties), cloning a
// board, the schematic attributes in files and property rows with undo.
#include "board/board_layer_index.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/document_bounds.h"
#include "core/layer_combobox.h"
#include "platform/text.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "tests/attribute_write_check.h"
#include "tests/schematic/schematic_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <cmath>

namespace {

class PackageTest : public SchematicFixture {
protected:
    void TearDown() override {
        SetLibraryFootprintFinder(nullptr);
        SchematicFixture::TearDown();
    }
    CPackage* PackageAt(int k) {
        int seen = 0;
        for (CTreeNode* child : m_board->GetChildren())
            if (child->GetType() == NodeType::Package && seen++ == k)
                return static_cast<CPackage*>(child);
        return nullptr;
    }
    static std::vector<std::pair<std::wstring, PointF>> Pads(CFootprint* footprint) {
        std::vector<std::pair<std::wstring, PointF>> pads;
        for (CTreeNode* ps : footprint->GetChildren())
            for (CTreeNode* p : ps->GetChildren())
                if (p->GetType() == NodeType::Pad)
                    pads.emplace_back(static_cast<CPad*>(p)->m_num, p->m_boardPosition);
        return pads;
    }
};

const char* kPackages = R"(<Project><Board><Sheet>S</Sheet>
  <Package>
    <Part Outline="4,2" SheetName="S" XY="0,0"><Pin Num="1">L1</Pin><Pin Num="2,3">R1</Pin></Part>
  </Package>
  <Package>
    <Part SheetName="S" XY="10,0"><Pin Num="1">L1</Pin><Pin Num="2">R1</Pin></Part>
    <Part SheetName="S" XY="20,0"><Pin Num="3">L1</Pin></Part>
    <Pin Num="4"/><Pin Num="5"/>
  </Package>
  <Package><Part SheetName="S" XY="30,0"><Pin NetName="GND">L1</Pin></Part></Package>
</Board></Project>)";

TEST_F(PackageTest, GeneratedFootprints) {
    Load(kPackages);
    CFootprint* three = PackageAt(0)->BindFootprint(nullptr);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->GetParent(), PackageAt(0));
    EXPECT_TRUE(three->IsSelected());
    const auto pads = Pads(three);
    ASSERT_EQ(pads.size(), 3u) << "a pin with two pad names gives two pads";
    const float expected[3][2] = {{-1.25f, 1.25f}, {1.25f, 1.25f}, {-1.25f, -1.25f}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(pads[i].second.X, expected[i][0]);
        EXPECT_FLOAT_EQ(pads[i].second.Y, expected[i][1]);
    }
    EXPECT_EQ(pads[2].first, L"3");
    // Direct pins first, then the parts' pins: 4 5 1 2 3.
    const auto five = Pads(PackageAt(1)->BindFootprint(nullptr));
    ASSERT_EQ(five.size(), 5u);
    EXPECT_EQ(five[0].first, L"4");
    EXPECT_EQ(five[2].first, L"1");
    const float at[5][2] = {{-2.5f, 2.5f}, {0, 2.5f}, {2.5f, 2.5f}, {-2.5f, 0}, {0, 0}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(five[i].second.X, at[i][0]);
        EXPECT_FLOAT_EQ(five[i].second.Y, at[i][1]);
    }
    EXPECT_NE(PackageAt(2)->GetPowerPin(), nullptr);
    EXPECT_EQ(PackageAt(2)->BindFootprint(nullptr), nullptr);
    EXPECT_TRUE(PackageAt(0)->FootprintFitsPins(three));
    EXPECT_FALSE(PackageAt(1)->FootprintFitsPins(three));
}

// The generated footprint has round 1 x 1 mm copper on TOP, and a save and
// reload gives back the same design.
TEST_F(PackageTest, GeneratedFootprintHasTopCopperThatSurvivesAReload) {
    Load(kPackages);
    CFootprint* generated = PackageAt(0)->BindFootprint(nullptr);
    ASSERT_NE(generated, nullptr);
    auto* padstack = static_cast<CPadstack*>(generated->GetChild(0));
    const CPadLayer* copper = padstack->FindPadLayer(kPadLayerTop);
    ASSERT_NE(copper, nullptr) << "no copper on TOP";
    EXPECT_EQ(copper->m_shape, kPadShapeRound);
    EXPECT_FLOAT_EQ(copper->m_width, 1.0f);
    EXPECT_FLOAT_EQ(copper->m_height, 1.0f);
    EXPECT_EQ(padstack->FindPadLayerForBoardLayer(kLayerTop), copper);

    const std::string saved = Save();
    const std::unique_ptr<CRoot> before = std::move(m_root);      // keeps `copper`
    ASSERT_NE(Load(saved.substr(saved.find('\n') + 1)), nullptr); // past the declaration
    EXPECT_EQ(Save(), saved);
    CFootprint* again = PackageAt(0)->GetFootprint();
    ASSERT_NE(again, nullptr);
    const CPadLayer* copperAgain =
        static_cast<CPadstack*>(again->GetChild(0))->FindPadLayer(kPadLayerTop);
    ASSERT_NE(copperAgain, nullptr);
    EXPECT_FALSE(copper->IsDifferent(copperAgain)) << "the design changed by being saved";
}

TEST_F(PackageTest, LibraryFootprintThatDoesNotFit) {
    Load(kPackages);
    SetLibraryFootprintFinder([](const std::wstring& name) -> CTreeNode* {
        auto* fp = new CFootprint();
        auto* ps = static_cast<CPadstack*>(fp->AddChild(new CPadstack()));
        for (const wchar_t* n : {L"1", L"2"})
            static_cast<CPad*>(ps->AddChild(new CPad()))->m_num = n;
        fp->SetText(name);
        return fp;
    });
    ScopedUiHooksRecorder ui;
    CPackage* package = PackageAt(0);
    package->m_footprintName = L"SOT23";
    CFootprint* bound = package->BindFootprint(nullptr);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Footprint pins do not correspond to the package pins");
    EXPECT_EQ(Pads(bound).size(), 3u) << "a generated footprint instead";
    EXPECT_EQ(package->m_footprintName, L"SOT23");
}

const char* kBottomPackage = R"(<Project><Board><Sheet>S</Sheet>
  <Package Footprint="OLD">
    <Part Outline="4,2" SheetName="S" XY="0,0"><Pin Num="1">L1</Pin><Pin Num="2">R1</Pin></Part>
    <Text Layer="SSB" Name="RefDes">R1</Text>
    <Text Layer="I02" Name="Value">1k</Text>
    <Text Name="PartNum">X</Text>
    <Footprint Place="BOTTOM" Rotation="90" XY="10,20">OLD
      <Padstack><PadLayer Size="1,1"/><Pad Num="1" XY="0,0"/><Pad Num="2" XY="0,5"/></Padstack>
    </Footprint>
  </Package>
  <Net>N1<Wire SheetName="S">-1,1,-1,4</Wire><Conductor Layer="BOT" Width="0.3">10.000,20.000 30.000,20.000</Conductor></Net>
  <Package><Part SheetName="S" XY="30,0"><Pin NetName="GND">L1</Pin></Part></Package>
</Board></Project>)";

TEST_F(PackageTest, ChangeFootprintKeepsPlaceSideAndTies) {
    Load(kBottomPackage);
    m_view.board = m_board;
    CPackage* package = PackageAt(0);
    auto* conductor = static_cast<CConductor*>(Net(L"N1")->GetChild(1));
    CFootprint* old = package->GetFootprint();
    // The part's pin 1 is on N1 (its wire), so the conductor is tied to pad 1.
    ASSERT_EQ(conductor->m_vertices[0].tie.GetPad(), old->FindPadByNumber(L"1"));
    const std::string before = Save();
    // The library's footprint has its pad 1 where the old one had it.
    SetLibraryFootprintFinder([](const std::wstring& name) -> CTreeNode* {
        auto* fp = new CFootprint();
        auto* ps = static_cast<CPadstack*>(fp->AddChild(new CPadstack()));
        for (const wchar_t* n : {L"1", L"2"}) {
            auto* pad = static_cast<CPad*>(ps->AddChild(new CPad()));
            pad->m_num = n;
            pad->m_boardPosition = PointF{0, n[0] == L'1' ? 0.0f : -3.0f};
        }
        fp->SetText(name);
        return fp;
    });
    StartUndoGroup();
    ASSERT_TRUE(package->ChangeFootprint(L"NEW", nullptr));
    CFootprint* now = package->GetFootprint();
    ASSERT_NE(now, old);
    EXPECT_EQ(package->m_footprintName, L"NEW");
    EXPECT_EQ(now->m_place, kPlaceBottom);
    EXPECT_FLOAT_EQ(now->m_rotation, 90);
    EXPECT_FLOAT_EQ(now->m_boardPosition.X, 10);
    EXPECT_FLOAT_EQ(now->m_boardPosition.Y, 20);
    EXPECT_EQ(package->FindText(L"RefDes")->m_layer, 23) << "back on the bottom side";
    EXPECT_EQ(package->FindText(L"Value")->m_layer, 3) << "an inner layer stays";
    EXPECT_EQ(package->FindText(L"PartNum")->m_layer, 23);
    // The conductor is tied to the new pad, not to the removed one.
    CPad* newPad = conductor->m_vertices[0].tie.GetPad();
    ASSERT_NE(newPad, nullptr);
    EXPECT_EQ(newPad->GetFootprint(), now);
    EXPECT_TRUE(m_view.index.Contains(package->FindText(L"RefDes"), 23));
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
    EXPECT_EQ(package->GetFootprint(), old);
    EXPECT_EQ(conductor->m_vertices[0].tie.GetPad(), old->FindPadByNumber(L"1"));
    m_view.undo.Redo();
    EXPECT_EQ(conductor->m_vertices[0].tie.GetPad()->GetFootprint(), package->GetFootprint());

    // A generated footprint has no pad there: the tie is cleared, not left
    // on the removed pad.
    SetLibraryFootprintFinder(nullptr);
    StartUndoGroup();
    ASSERT_TRUE(package->ChangeFootprint(L"", nullptr));
    EXPECT_TRUE(conductor->m_vertices[0].tie.IsNone());
}

TEST_F(PackageTest, PowerSymbolHasNoFootprintToChange) {
    Load(kBottomPackage);
    const std::string before = Save();
    StartUndoGroup();
    EXPECT_FALSE(PackageAt(1)->ChangeFootprint(L"R0805", nullptr));
    EXPECT_EQ(m_view.undo.UndoCount(), 0u);
    EXPECT_EQ(Save(), before);
}

TEST_F(PackageTest, TextAndPinRowsRecordTheirChanges) {
    Load(kBottomPackage);
    m_view.board = m_board;
    m_view.viewKind = kViewBoard;
    // The board's view indexes what the board holds.
    m_view.index.Build(m_board);
    CText* refDes = PackageAt(0)->FindText(L"RefDes");
    m_grid.ShowProperties(refDes);
    ASSERT_EQ(m_grid.GetRowCount(), 5);
    auto* layerRow = dynamic_cast<CLayerCombobox*>(m_grid.GetItem(4));
    ASSERT_NE(layerRow, nullptr);
    layerRow->SetLayerStringId(kLayerNameBase + 25);
    m_grid.ApplyRow(4);
    EXPECT_EQ(refDes->m_layer, 25);
    EXPECT_TRUE(m_view.index.Contains(refDes, 25)) << "the layer index follows";
    EXPECT_FALSE(m_view.index.Contains(refDes, 23));
    m_view.undo.Undo();
    EXPECT_EQ(refDes->m_layer, 23);
    EXPECT_TRUE(m_view.index.Contains(refDes, 23));

    // "Pin #" of a direct pin: the fixed net name comes back with undo.
    Load(R"(<Project><Board><Package Footprint="X"><Pin Num="7"/></Package></Board></Project>)");
    const std::string before = Save();
    m_view.viewKind = kViewSchematic;
    m_grid.ShowProperties(PackageAt(0));
    ASSERT_EQ(m_grid.GetRowCount(), 2);
    EXPECT_EQ(m_grid.GetItem(1)->GetName(), L"Pin #7");
    SetRowText(1, L"VBAT");
    m_grid.ApplyRow(1);
    auto* pin = static_cast<CPin*>(PackageAt(0)->GetChild(0));
    EXPECT_EQ(pin->m_fixedNetName, L"VBAT");
    EXPECT_EQ(pin->m_pNet, Net(L"VBAT"));
    m_view.undo.Undo();
    EXPECT_EQ(pin->m_fixedNetName, L"");
    EXPECT_EQ(pin->m_pNet, nullptr);
    EXPECT_EQ(Save(), before);
}

TEST_F(PackageTest, CloneLinksCopiesToCopies) {
    Load(R"(<Project><Board><Sheet>S</Sheet><Sheet>T</Sheet>
    <Package><Part Outline="4,2" SheetName="S" XY="0,0"><Pin Num="1">L1</Pin></Part></Package>
    <Net>N1<Wire SheetName="S">-1,1,-5,1</Wire></Net>
    <Bus SheetName="T">0,0V5</Bus>
    <Text SheetName="T">note</Text>
    </Board></Project>)");
    CPin* pin = PinOf(0, 0);
    ASSERT_EQ(pin->m_pNet, Net(L"N1"));
    std::unique_ptr<CTreeNode> copy(m_board->Clone());
    CSheet* s = FindSheetByName(copy.get(), L"S");
    CSheet* t = FindSheetByName(copy.get(), L"T");
    ASSERT_TRUE(s && t);
    EXPECT_EQ(s->m_objects.size(), 2u);
    EXPECT_EQ(t->m_objects.size(), 2u);
    for (CSheet* sheet : {s, t})
        for (CSheetObject* object : sheet->m_objects) {
            EXPECT_EQ(object->m_pSheet, sheet);
            EXPECT_EQ(FindBoardAbove(object), copy.get()) << "a copied object, not the source";
        }
    auto* copiedNet = static_cast<CNet*>(FindFirst(copy.get(), NodeType::Net));
    auto* copiedPin = static_cast<CPin*>(FindFirst(copy.get(), NodeType::Pin));
    EXPECT_EQ(copiedPin->m_pNet, copiedNet);
    EXPECT_EQ(copiedNet->m_pins.count(copiedPin), 1u);
    EXPECT_EQ(Net(L"N1")->m_pins.size(), 1u) << "the source keeps its own";
    EXPECT_EQ(Sheet(L"S")->m_objects.size(), 2u);
    // A package copied alone names no net.
    std::unique_ptr<CTreeNode> package(PackageAt(0)->Clone());
    EXPECT_EQ(static_cast<CPin*>(package->GetChild(0)->GetChild(0))->m_pNet, nullptr);
}

TEST_F(PackageTest, AttributesInFiles) {
    Load(R"(<Project><Board>
    <Sheet Unit="7">A</Sheet><Sheet GridSize="1.27" WireWidth="0.125">B</Sheet>
    <Package><Part SheetName="A"><Pin Num="1,,3">L</Pin></Part><Text SheetName="A">t</Text></Package>
    <Net>N1<Wire SheetName="S1">0,0,1,0</Wire></Net>
    <Text Layer="SSB" SheetName="B">x</Text><Text>y</Text>
    </Board></Project>)");
    CSheet* a = Sheet(L"A");
    CSheet* b = Sheet(L"B");
    EXPECT_EQ(a->m_unit, static_cast<uint32_t>(g_DefaultSettings.unit));
    EXPECT_EQ(b->m_unit, 1u);
    EXPECT_EQ(a->m_size.cx, 42000);
    EXPECT_EQ(a->m_size.cy, 29700);
    EXPECT_EQ(b->m_gridSize, 127);
    EXPECT_EQ(b->m_wireWidth, 13u);
    CPin* pin = PinOf(0, 0);
    EXPECT_EQ(pin->m_side, 0) << "a one-letter pin text is ignored";
    EXPECT_EQ(pin->m_padNames, (std::vector<std::wstring>{L"1", L"", L"3"}));
    EXPECT_EQ(pin->GetPadNames(), L"1,,3");
    auto* wire = static_cast<CWire*>(Net(L"N1")->GetChild(0));
    EXPECT_EQ(wire->m_pSheet, nullptr);
    EXPECT_EQ(PackageAt(0)->FindText(L"")->m_pSheet, nullptr) << "a package's text";
    auto* x = static_cast<CText*>(m_board->GetChild(m_board->GetChildCount() - 2));
    auto* y = static_cast<CText*>(m_board->GetChild(m_board->GetChildCount() - 1));
    EXPECT_EQ(x->m_layer, 23);
    EXPECT_EQ(x->m_pSheet, b);
    EXPECT_EQ(y->m_layer, -1);
    EXPECT_EQ(y->m_pSheet, nullptr);
}

// A wire, a bus or a free text whose sheet name is empty or missing lies on
// the first sheet that has no name either; a part, or a package's text, on
// none.
TEST_F(PackageTest, AnEmptySheetNameFindsTheFirstSheetWithoutAName) {
    Load(R"(<Project><Board><Sheet>A</Sheet><Sheet/><Sheet></Sheet>
    <Package><Part Outline="4,2" XY="1,1"/><Text>p</Text></Package>
    <Net>N1<Wire>0,0,1,0</Wire><Wire SheetName="">0,1,1,1</Wire><Wire SheetName="A">0,2,1,2</Wire></Net>
    <Bus>0,0H5</Bus><Text>t</Text><Text SheetName="A">u</Text>
    </Board></Project>)");
    CSheet* a = Sheet(L"A");
    auto* unnamed = static_cast<CSheet*>(m_board->GetChild(1));
    ASSERT_EQ(unnamed->GetType(), NodeType::Sheet);
    ASSERT_EQ(unnamed->GetName(), L"");
    CNet* net = Net(L"N1");
    CTreeNode* bus = FindFirst(m_board, NodeType::Bus);
    const size_t n = m_board->GetChildCount();
    const struct {
        const char* what;
        CTreeNode* object;
        CSheet* sheet;
    } cases[] = {
        {"part", PackageAt(0)->GetPart(0), nullptr},
        {"package text", PackageAt(0)->FindText(L""), nullptr},
        {"wire without a name", net->GetChild(0), unnamed},
        {"wire with an empty name", net->GetChild(1), unnamed},
        {"wire on A", net->GetChild(2), a},
        {"bus", bus, unnamed},
        {"free text", m_board->GetChild(n - 2), unnamed},
        {"free text on A", m_board->GetChild(n - 1), a},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.object, nullptr);
        auto* object = dynamic_cast<CSheetObject*>(c.object);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(static_cast<CSheet*>(object->m_pSheet), c.sheet);
        if (c.sheet) {
            EXPECT_TRUE(c.sheet->HasObject(object));
        }
    }
}

// A pin read again keeps no name of its earlier list, and writes its names
// back as read.
TEST_F(PackageTest, PadNamesReadAgain) {
    struct Case {
        const wchar_t* num; // nullptr: no attribute
        std::vector<std::wstring> names;
    };
    const Case cases[] = {
        {L"1,2,3", {L"1", L"2", L"3"}},
        {L"A12", {L"A12"}},
        {L",", {L"", L""}},
        {nullptr, {L""}},
        {L"x,,longer name,", {L"x", L"", L"longer name", L""}},
        {L"7", {L"7"}},
    };
    CPin pin;
    for (const Case& c : cases) {
        pin.GetAttributes().clear();
        if (c.num)
            pin.SetAttribute(L"Num", c.num);
        pin.ReadAttributes();
        EXPECT_EQ(pin.m_padNames, c.names) << (c.num ? c.num : L"(none)");
        pin.GetAttributes().clear();
        pin.WriteAttributes();
        EXPECT_EQ(pin.FindAttribute(L"Num").value_or(L"(none)"),
                  std::wstring_view(c.num && *c.num ? c.num : L"(none)"));
    }
}

// A wire's "x1,y1,x2,y2" is read in line when plain; every text, also a
// damaged one, must give what the general walk gives, within 32 bits.
TEST_F(PackageTest, WireTextReadsAsTheGeneralWalkReadsIt) {
    auto reference = [](const std::wstring& text) {
        std::vector<int> v(4, 0);
        const wchar_t* p = text.c_str();
        for (int i = 0; i < 4; ++i) {
            const wchar_t* end = nullptr;
            v[static_cast<std::size_t>(i)] = ToInt32(ParseInteger(p, &end));
            if (end == p)
                break;
            p = *end == L',' ? end + 1 : end;
        }
        return v;
    };
    static const wchar_t* const kPieces[] = {L"1",         L"-20",        L"0",  L",",  L",",
                                             L",",         L" ",          L"+3", L"-",  L"x",
                                             L"999999999", L"1234567890", L"07", L"\t", L"5 "};
    uint64_t state = 9;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    CWire wire;
    for (int i = 0; i < 20000; ++i) {
        std::wstring text;
        const int pieces = static_cast<int>(next() % 10);
        for (int k = 0; k < pieces; ++k)
            text += kPieces[next() % (sizeof kPieces / sizeof *kPieces)];
        wire.SetText(text);
        wire.ReadAttributes();
        const std::vector<int> want = reference(text);
        ASSERT_EQ(
            (std::vector<int>{wire.m_position.x, wire.m_position.y, wire.m_end.x, wire.m_end.y}),
            want)
            << text;
    }
}

TEST_F(PackageTest, WritersReplaceWhateverTheElementHeld) {
    CSheet main(L"Main");
    CSheet* sheet = &main;
    CPin pin;
    ExpectWritesOverAnyAttributes(pin);
    pin.m_name = L"P1";
    pin.m_padNames = {L"1", L"2"};
    pin.m_shape = 3;
    pin.m_numberHidden = true;
    pin.m_fixedNetName = L"GND";
    ExpectWritesOverAnyAttributes(pin);
    CWire wire;
    ExpectWritesOverAnyAttributes(wire);
    wire.m_pSheet = sheet;
    wire.m_busEntry1 = 2;
    wire.m_busEntry2 = -1;
    ExpectWritesOverAnyAttributes(wire);
    CPart part;
    ExpectWritesOverAnyAttributes(part);
    part.m_pSheet = sheet;
    part.m_position = POINT{6, -2};
    part.m_size = SIZE{4, 6};
    ExpectWritesOverAnyAttributes(part);
    CText text;
    ExpectWritesOverAnyAttributes(text);
    text.m_pSheet = sheet;
    text.m_position = POINT{1, 2};
    text.m_visible = false;
    text.m_boardVisible = false;
    text.m_boardPosition = PointF{0.37f, 0.21f};
    text.m_name = L"RefDes";
    text.m_font = L"Arial";
    text.m_fontSize = 2;
    text.m_rotation = 45;
    text.m_layer = kLayerSilkscreenTop;
    ExpectWritesOverAnyAttributes(text);
    CBus bus;
    bus.m_pSheet = sheet;
    ExpectWritesOverAnyAttributes(bus);
    text.m_pSheet = wire.m_pSheet = part.m_pSheet = bus.m_pSheet = nullptr;

    // The sheet's widths are written whatever they are.
    main.ReadAttributes();
    ExpectWritesOverAnyAttributes(main);
    main.m_unit = 2;
    main.m_fontName = L"Arial";
    main.m_size = SIZE{29700, 21000};
    main.m_gridSize = 127;
    main.m_wireWidth = 0;
    ExpectWritesOverAnyAttributes(main);
    EXPECT_TRUE(main.HasAttribute(L"WireWidth"));
    // A net's colour too.
    CNet net(L"GND");
    ExpectWritesOverAnyAttributes(net);
    net.m_airwireColor = 0x00FF00FF;
    ExpectWritesOverAnyAttributes(net);
    CPackage package;
    ExpectWritesOverAnyAttributes(package);
    package.m_footprintName = L"SO8";
    package.m_heterogeneous = 1;
    package.m_partsPerPackage = 4;
    ExpectWritesOverAnyAttributes(package);
}

TEST_F(PackageTest, DamagedSheetNumbersReadAsWhatIsSavedAgain) {
    // Sizes and grids of zero are what the writer leaves out, negative widths
    // and numbers beyond 10 m do not survive a float: all are normalised on
    // reading, so a second save gives the same file.
    struct Row {
        const char* attributes;
        int32_t cx, cy, grid;
        uint32_t wire, bus, dot;
    } rows[] = {
        {R"(GridSize="" SheetSize="0,0")", 42000, 29700, 250, 15, 50, 100},
        {R"(GridSize="-2" SheetSize="-1,210")", 42000, 21000, 250, 15, 50, 100},
        {R"(GridSize="1e30" SheetSize="1e9,nan")", 1000000, 29700, 1000000, 15, 50, 100},
        {R"(WireWidth="-0.5" BusWidth="0" DotDiam="4e9")", 42000, 29700, 250, 15, 0, 1000000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.attributes);
        Load(std::string("<Project><Board><Sheet ") + row.attributes +
             ">S</Sheet></Board></Project>");
        CSheet* sheet = Sheet(L"S");
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->m_size.cx, row.cx);
        EXPECT_EQ(sheet->m_size.cy, row.cy);
        EXPECT_EQ(sheet->m_gridSize, row.grid);
        EXPECT_EQ(sheet->m_wireWidth, row.wire);
        EXPECT_EQ(sheet->m_busWidth, row.bus);
        EXPECT_EQ(sheet->m_dotDiameter, row.dot);
        const std::string saved = Save();
        m_root = std::make_unique<CRoot>();
        ASSERT_TRUE(LoadText(*m_root, saved));
        EXPECT_EQ(Save(), saved);
    }
}

TEST_F(PackageTest, SavedWidthsDoNotFollowTheDefaults) {
    const char* doc = R"(<Project><Board><Sheet GridSize="2.54" SheetSize="297,210">S</Sheet>
    <Net>N1<Wire SheetName="S">0,0,1,0</Wire></Net></Board></Project>)";
    Load(doc);
    const std::string saved = Save();
    // What the system saved reads back the same under other defaults.
    EXPECT_NE(saved.find("WireWidth=\"0.15\""), std::string::npos);
    EXPECT_NE(saved.find("AirwireColor=\"65535\""), std::string::npos);
    const DefaultSettings kept = g_DefaultSettings;
    g_DefaultSettings.wireWidth = 0.3f;
    g_DefaultSettings.busWidth = 1.0f;
    g_DefaultSettings.connCircle = 2.0f;
    g_DefaultSettings.colorAirWire = 0x00123456;
    m_root = std::make_unique<CRoot>();
    ASSERT_TRUE(LoadText(*m_root, saved));
    const std::string again = Save();
    g_DefaultSettings = kept;
    EXPECT_EQ(again, saved);
}

TEST_F(PackageTest, SheetNamesStayUniqueAndNonEmpty) {
    Load(R"(<Project><Board><Sheet>Main</Sheet></Board></Project>)");
    StartUndoGroup();
    CSheet* s1 = AddSheet(m_board, L"Main");
    CSheet* s2 = AddSheet(m_board, L"");
    CSheet* s3 = AddSheet(m_board, L"");
    EXPECT_EQ(s1->GetName(), L"Main 2");
    EXPECT_EQ(s2->GetName(), L"Sheet");
    EXPECT_EQ(s3->GetName(), L"Sheet 2");
    RenameSheet(s3, L"Main");
    EXPECT_EQ(s3->GetName(), L"Main 3");
    RenameSheet(s3, L"");
    EXPECT_EQ(s3->GetName(), L"Sheet 2");
    // Objects on a sheet reload onto that sheet, whatever their kind.
    auto* part = new CPart();
    auto* package = static_cast<CPackage*>(m_board->AddChild(new CPackage()));
    package->AddChild(part);
    s1->AddObject(part);
    auto* net = static_cast<CNet*>(m_board->AddChild(new CNet(L"N9")));
    auto* wire = static_cast<CWire*>(net->AddChild(new CWire({0, 0}, {1, 0})));
    s1->AddObject(wire);
    m_board->WriteAttributes();
    CRoot again;
    ASSERT_TRUE(LoadText(again, Save()));
    auto* board = FindFirst(&again, NodeType::Board);
    auto* part2 = static_cast<CPart*>(FindFirst(board, NodeType::Part));
    auto* wire2 = static_cast<CWire*>(FindFirst(board, NodeType::Wire));
    ASSERT_NE(part2->m_pSheet, nullptr);
    EXPECT_EQ(part2->m_pSheet->GetName(), L"Main 2");
    EXPECT_EQ(wire2->m_pSheet, part2->m_pSheet);
}

} // namespace

namespace {

std::string ReadExample(const char* name) {
    std::string bytes;
    EXPECT_TRUE(
        ReadWholeFile(Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/" + Utf8ToWide(name), bytes));
    return bytes;
}

TEST_F(PackageTest, ExamplesUseEverySchematicAttribute) {
    const std::string all = ReadExample("demo.circuit") + ReadExample("demo.symbol");
    for (const char* key : {"<Sheet ",        " Unit=",       " FontName=",      " SheetSize=",
                            " GridSize=",     " WireWidth=",  " BusWidth=",      " DotDiam=",
                            "<Package ",      " Footprint=",  " Heterogeneous=", " PartPerPackage=",
                            "<Part ",         " XY=",         " SheetName=",     " Outline=",
                            "<Pin ",          " Name=",       " Num=",           " Shape=",
                            " NumInvisible=", " NetName=",    "<Net ",           " AirwireColor=",
                            "<Wire ",         " be1=\"-",     " be2=",           "<Bus ",
                            "V10<",           "H25<",         "<Text ",          " Visible=",
                            " Pos=",          " BrdVisible=", " Font=",          " FontSize=",
                            " Rotation=",     " Layer=",      "<SymbolFolder>",  "<Block",
                            "Num=\"3,4\""})
        EXPECT_NE(all.find(key), std::string::npos) << key;

    m_root = std::make_unique<CRoot>();
    CXmlFile file(m_root.get());
    ASSERT_TRUE(file.Load((Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/demo.circuit").c_str()));
    BuildBoardNetsInTree(m_root.get());
    m_board = static_cast<CBoard*>(FindFirst(m_root.get(), NodeType::Board));
    CSheet* main = Sheet(L"Main");
    CSheet* power = Sheet(L"Power");
    ASSERT_TRUE(main && power);
    EXPECT_EQ(power->m_unit, 2u);
    EXPECT_EQ(power->m_dotDiameter, 120u);
    // Objects sit on the sheet they name; nets span both sheets.
    int onMain = 0, onPower = 0;
    for (CSheetObject* o : main->m_objects)
        onMain += o->m_pSheet == main;
    for (CSheetObject* o : power->m_objects)
        onPower += o->m_pSheet == power;
    EXPECT_EQ(onMain, static_cast<int>(main->m_objects.size()));
    EXPECT_GT(onMain, 8);
    EXPECT_GT(onPower, 4);
    CNet* gnd = Net(L"GND");
    ASSERT_NE(gnd, nullptr);
    std::set<CSheet*> sheets;
    for (CWire* w : gnd->GetWires())
        sheets.insert(w->m_pSheet);
    EXPECT_EQ(sheets.size(), 2u);
    EXPECT_EQ(PinOf(0, 1)->m_pNet, Net(L"N1"));
    EXPECT_EQ(PinOf(1, 0)->m_pNet, Net(L"N1"));
    EXPECT_EQ(PinOf(1, 1)->m_pNet, gnd);
    EXPECT_NE(PackageAt(3)->GetPowerPin(), nullptr);
    EXPECT_EQ(PackageAt(2)->GetPartCount(), 2);
}

} // namespace

namespace {
// What outlives the sheet or object it names: a sheet freed (its history
// dropped) leaves its objects and records naming it by name only, as they
// are saved; a record whose object another history freed does nothing.
TEST_F(PackageTest, ObjectsAndRecordsOutliveWhatTheyName) {
    Load(R"(<Project><Board><Sheet>Main</Sheet><Net>N1<Wire SheetName="Main">0,0,1,0</Wire>)"
         R"(<Wire SheetName="Main">0,1,1,1</Wire></Net></Board></Project>)");
    CSheet* main = Sheet(L"Main");
    auto* kept = static_cast<CWire*>(Net(L"N1")->GetChild(0));
    auto* freed = static_cast<CWire*>(Net(L"N1")->GetChild(1));
    CUndoChangeSheetOfObject keptRecord(kept), freedRecord(freed);
    main->RemoveFromParent();
    const std::string saved = Save();
    delete main;
    EXPECT_EQ(static_cast<CSheet*>(kept->m_pSheet), nullptr);
    EXPECT_EQ(Save(), saved);
    freed->RemoveFromParent();
    delete freed;
    delete freedRecord.Undo();
    delete keptRecord.Undo();
    EXPECT_NE(Save().find(R"(<Wire SheetName="Main">0,0,1,0)"), std::string::npos);
}
} // namespace
