// Board lookups and nets: layer codes, net names, pad and padstack
// searches, the flip of a footprint, the post-load net derivation and the
// padstack transforms.
#include "board/area_node.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/board_layer.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/text.h"
#include "tests/board/board_fixture.h"

#include <cmath>
#include <iterator>
#include <memory>

namespace {

// A small board: one net "A" with a via at (10,10) and a conductor from the
// via to pad 1 of a package footprint placed at (20,10); a pin of the
// package bound to pad 1 with NetName "A", and one to pad 2 with NetName
// "NEW" (a net the board does not have).
const char* kSmallBoard = "<Project>\r\n"
                          "  <Board>\r\n"
                          "    <Layer>TOP</Layer>\r\n"
                          "    <Layer>BOT</Layer>\r\n"
                          "    <Package>\r\n"
                          "      <Pin NetName=\"A\" Num=\"1\"/>\r\n"
                          "      <Pin NetName=\"NEW\" Num=\"2\"/>\r\n"
                          "      <Pin Num=\"3\"/>\r\n"
                          "      <Footprint XY=\"20,10\">R\r\n"
                          "        <Padstack>P\r\n"
                          "          <PadLayer Size=\"1,1\"/>\r\n"
                          "          <Pad Num=\"1\" XY=\"-1,0\"/>\r\n"
                          "          <Pad Num=\"2\" XY=\"1,0\"/>\r\n"
                          "          <Pad Num=\"3\" XY=\"0,3\"/>\r\n"
                          "        </Padstack>\r\n"
                          "      </Footprint>\r\n"
                          "    </Package>\r\n"
                          "    <Package/>\r\n"
                          "    <Net>A\r\n"
                          "      <Conductor Layer=\"TOP\" Width=\"0.3\">10.000,10.000 "
                          "15.000,10.000 19.000,10.000</Conductor>\r\n"
                          "      <Padstack>V\r\n"
                          "        <PadLayer Size=\"0.6,0.6\"/>\r\n"
                          "        <Pad XY=\"10,10\"/>\r\n"
                          "      </Padstack>\r\n"
                          "    </Net>\r\n"
                          "  </Board>\r\n"
                          "</Project>\r\n";

} // namespace

class BoardLookupsTest : public BoardFixture {
protected:
    CBoard* LoadSmallBoard() {
        EXPECT_TRUE(LoadText(m_root, XmlDoc(kSmallBoard)));
        auto* board = static_cast<CBoard*>(m_root.GetChild(0));
        m_view.board = board;
        return board;
    }
    CRoot m_root;
};

TEST_F(BoardLookupsTest, LayerCodes) {
    EXPECT_EQ(LayerFromCode(L"top"), -1);
    EXPECT_EQ(LayerFromCode(L""), -1);
    EXPECT_EQ(LayerFromCode(L"I20"), 21);
    EXPECT_STREQ(LayerToCode(-1), L"");
    EXPECT_STREQ(LayerToCode(32), L"");
    EXPECT_STREQ(LayerToCode(29), L"SPB");
}

TEST_F(BoardLookupsTest, NetNamesContinueAcrossBoards) {
    CBoard board;
    board.AddChild(new CNet(L"N1"));
    board.AddChild(new CNet(L"N2"));
    std::wstring first = board.NewNetName();
    int n = std::stoi(first.substr(1));
    EXPECT_GE(n, 3);
    EXPECT_FALSE(board.FindNet(first));
    CBoard other;
    EXPECT_EQ(other.NewNetName(), L"N" + std::to_wstring(n + 1));
    CNet* made = board.FindOrAddNet(L"");
    EXPECT_EQ(made->GetName(), L"N" + std::to_wstring(n + 2));
    EXPECT_EQ(m_view.undo.UndoCount(), 1u) << "a net made by an edit is undoable";
    EXPECT_EQ(board.FindOrAddNet(L"N1"), board.FindNet(L"N1"));
    EXPECT_FALSE(board.IsNetNameUnique(L"N2"));
}

TEST_F(BoardLookupsTest, BoardChildrenLookups) {
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc("<Project>\r\n  <Board>\r\n"
                                      "    <Layer>TOP</Layer>\r\n    <Layer>I03</Layer>\r\n"
                                      "    <Layer>I20</Layer>\r\n    <Layer>SST</Layer>\r\n"
                                      "    <Properties DefaultVia=\"B\">\r\n"
                                      "      <Thermal Isolation=\"0.1\"/>\r\n"
                                      "      <Padstack>A</Padstack>\r\n"
                                      "      <Padstack>B</Padstack>\r\n"
                                      "      <Thermal Isolation=\"0.2\"/>\r\n"
                                      "    </Properties>\r\n"
                                      "    <Mounting/>\r\n  </Board>\r\n</Project>\r\n")));
    auto* board = static_cast<CBoard*>(root.GetChild(0));
    EXPECT_EQ(board->GetInnerLayerCount(), 2);
    EXPECT_EQ(board->FindLayerByCode(L"I03")->m_id, 4);
    EXPECT_EQ(board->FindLayer(5), nullptr);
    CThermalRelief* thermal = nullptr;
    CPadstack* via = nullptr;
    ASSERT_TRUE(board->FindBoardProperties(&thermal, &via));
    EXPECT_FLOAT_EQ(thermal->m_isolation, 0.2f) << "the last thermal relief counts";
    EXPECT_EQ(via->GetName(), L"B");
    EXPECT_FLOAT_EQ(GetBoardIsolation(board), 0.2f);
    EXPECT_TRUE(board->FindMounting());
    // The lookups follow the children as they come, go and change.
    static_cast<CLayer*>(board->GetChild(1))->m_id = 5;
    EXPECT_EQ(board->FindLayer(5), board->GetChild(1));
    EXPECT_EQ(board->FindLayer(4), nullptr);
    auto* added = static_cast<CLayer*>(board->InsertChildAt(0, new CLayer(4)));
    EXPECT_EQ(board->FindLayer(4), added);
    EXPECT_EQ(board->GetInnerLayerCount(), 3);
    std::unique_ptr<CTreeNode> copy(board->Clone());
    EXPECT_EQ(static_cast<CBoard*>(copy.get())->FindLayer(4), copy->GetChild(0));
    std::unique_ptr<CTreeNode> properties(board->GetChild(5));
    properties->RemoveFromParent();
    EXPECT_EQ(board->FindBoardProperties(&thermal, &via), nullptr);
    EXPECT_TRUE(board->FindMounting());
    board->AddChild(properties.release());
    EXPECT_TRUE(board->FindBoardProperties(&thermal, &via));
    for (CTreeNode* child : board->ReleaseChildren())
        delete child;
    EXPECT_EQ(board->FindLayer(4), nullptr);
    EXPECT_EQ(board->FindMounting(), nullptr);
    CBoard bare;
    EXPECT_FLOAT_EQ(GetBoardIsolation(&bare), 0.3f);
    EXPECT_FALSE(bare.FindBoardProperties(&thermal, &via));
    EXPECT_EQ(thermal, nullptr);
    EXPECT_EQ(via, nullptr);
}

TEST_F(BoardLookupsTest, PadLayerAndMarkingLookupsMapInnerLayers) {
    CPadstack padstack(L"P");
    auto* inr = static_cast<CPadLayer*>(padstack.AddChild(new CPadLayer(kPadLayerInner)));
    auto* marking = static_cast<CMarking*>(padstack.AddChild(new CMarking(kPadLayerInner)));
    EXPECT_EQ(padstack.FindPadLayerForBoardLayer(5), inr);
    EXPECT_EQ(padstack.FindPadLayer(5), nullptr);
    EXPECT_EQ(padstack.FindMarkingForBoardLayer(21), marking);
    EXPECT_EQ(padstack.FindMarking(22), nullptr);
    CMarking* made = padstack.GetMarking(22, true);
    EXPECT_EQ(made->GetParent(), &padstack);
    EXPECT_EQ(m_view.undo.UndoCount(), 1u);
    EXPECT_EQ(FindOrAddMarking(&padstack, 22), made);
    EXPECT_EQ(m_view.undo.UndoCount(), 1u);
    EXPECT_EQ(padstack.GetMarking(23, false), nullptr);
}

// A padstack's lookups pass over its pads and follow the other children as
// they come and go; a copy answers with its own children.
TEST_F(BoardLookupsTest, PadstackLookupsFollowItsChildren) {
    CPadstack padstack(L"P");
    for (int i = 0; i < 3; ++i)
        padstack.AddChild(new CPad);
    EXPECT_EQ(padstack.FindDrill(), nullptr);
    auto* drill = static_cast<CDrill*>(padstack.AddChild(new CDrill(kDrillRound)));
    EXPECT_EQ(padstack.FindDrill(), drill);
    auto* top = static_cast<CPadLayer*>(padstack.InsertChildAt(1, new CPadLayer(kPadLayerTop)));
    EXPECT_EQ(padstack.FindPadLayer(kPadLayerTop), top);
    EXPECT_EQ(padstack.GetSurfaceMountSide(), -1);
    padstack.AddChild(new CPad);
    drill->RemoveFromParent();
    delete drill;
    EXPECT_EQ(padstack.FindDrill(), nullptr);
    EXPECT_EQ(padstack.GetSurfaceMountSide(), 0);
    auto* marking = padstack.AddChild(new CMarking(30));
    EXPECT_EQ(padstack.FindMarking(30), marking);
    std::unique_ptr<CTreeNode> copy(padstack.Clone());
    CPadLayer* copied = static_cast<CPadstack*>(copy.get())->FindPadLayer(kPadLayerTop);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->GetParent(), copy.get());
    for (CTreeNode* child : padstack.ReleaseChildren())
        delete child;
    EXPECT_EQ(padstack.FindPadLayer(kPadLayerTop), nullptr);
    EXPECT_EQ(padstack.FindMarking(30), nullptr);
}

TEST_F(BoardLookupsTest, IdenticalPadstacksTolerateDrillsButNotPads) {
    auto make = [](float drill, float width) {
        auto* p = new CPadstack(L"V");
        auto* layer = static_cast<CPadLayer*>(p->AddChild(new CPadLayer(kPadLayerTop)));
        layer->m_shape = kPadShapeRound;
        layer->m_width = layer->m_height = width;
        static_cast<CDrill*>(p->AddChild(new CDrill(kDrillRound)))->m_diam = drill;
        return std::unique_ptr<CPadstack>(p);
    };
    auto a = make(0.3f, 0.6f);
    EXPECT_TRUE(a->IsIdentical(make(0.3005f, 0.6f).get()));
    EXPECT_FALSE(a->IsIdentical(make(0.3f, 0.6005f).get()));
    auto extra = make(0.3f, 0.6f);
    extra->AddChild(new CPadLayer(kPadLayerBottom));
    EXPECT_FALSE(a->IsIdentical(extra.get()));
    EXPECT_FALSE(extra->IsIdentical(a.get()));
    // A net reuses an identical via and copies a new one.
    CNet net(L"A");
    CPadstack* first = net.FindOrAddVia(a.get());
    EXPECT_NE(first, a.get());
    EXPECT_EQ(net.FindOrAddVia(make(0.3002f, 0.6f).get()), first);
    EXPECT_EQ(net.GetChildCount(), 1u);
    // Copies alike in every value match drill for drill, but a drill of no
    // hole matches none: its padstack is identical to no other, and each via
    // made of it is a new one.
    const struct {
        int type;
        bool matches;
    } kinds[] = {
        {kDrillRound, true}, {kDrillSlot, true}, {kDrillCustom, true}, {kDrillNone, false}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.type);
        auto drilled = make(0.3f, 0.6f);
        CDrill* round = drilled->FindDrill();
        round->RemoveFromParent();
        delete round;
        auto* drill = static_cast<CDrill*>(drilled->AddChild(new CDrill(k.type)));
        std::unique_ptr<CPadstack> twin(static_cast<CPadstack*>(drilled->Clone()));
        EXPECT_EQ(twin->FindEqualDrill(drill) != nullptr, k.matches);
        EXPECT_EQ(drilled->IsIdentical(twin.get()), k.matches);
        CNet vias(L"B");
        CPadstack* via = vias.FindOrAddVia(drilled.get());
        EXPECT_EQ(vias.FindOrAddVia(twin.get()) == via, k.matches);
        EXPECT_EQ(vias.GetChildCount(), k.matches ? 1u : 2u);
    }
}

TEST_F(BoardLookupsTest, FootprintTransformsAreInverse) {
    CFootprint footprint(kPlaceBottom);
    footprint.m_boardPosition = PointF{10, 5};
    footprint.m_rotation = 90;
    PointF b = footprint.LocalToBoard(1, 0);
    EXPECT_NEAR(b.X, 10 - 0.0, 1e-5); // (1,0) turns to (0,1), mirrored x stays 0
    EXPECT_NEAR(b.Y, 6, 1e-5);
    PointF l = footprint.BoardToLocal(b.X, b.Y);
    EXPECT_NEAR(l.X, 1, 1e-5);
    EXPECT_NEAR(l.Y, 0, 1e-5);
    footprint.m_rotation = 30;
    b = footprint.LocalToBoard(2, 3);
    l = footprint.BoardToLocal(b.X, b.Y);
    EXPECT_NEAR(l.X, 2, 1e-5);
    EXPECT_NEAR(l.Y, 3, 1e-5);
}

TEST_F(BoardLookupsTest, PadSearchesOfAFootprint) {
    CFootprint footprint;
    auto* padstack = footprint.AddChild(new CPadstack(L"P"));
    auto pad = [&](const wchar_t* num, float x, float y) {
        auto* p = static_cast<CPad*>(padstack->AddChild(new CPad()));
        p->m_num = num;
        p->m_boardPosition = PointF{x, y};
        return p;
    };
    CPad* p1 = pad(L"1", 0, 0);
    CPad* p2 = pad(L"2", 2, 0);
    CPad* p3 = pad(L"3", -2, 0);
    CPad* p4 = pad(L"4", 0, 3);
    CPad* p5 = pad(L"5", 0, -3);
    CPad* sel = pad(L"2", 5, 0);
    sel->SetSelected(true);
    EXPECT_EQ(footprint.FindPadByNumber(L"2"), p2);
    EXPECT_EQ(footprint.FindPadByNumber(L"9"), nullptr);
    CPad *first = nullptr, *last = nullptr;
    footprint.FindAlignedEndPads(p1, true, first, last);
    EXPECT_EQ(first, p3);
    EXPECT_EQ(last, p2);
    footprint.FindAlignedEndPads(p1, false, first, last);
    EXPECT_EQ(first, p4);
    EXPECT_EQ(last, p5);
    footprint.FindAlignedEndPads(p4, true, first, last);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(last, nullptr);
}

TEST_F(BoardLookupsTest, BuildNetsTiesPadsAndMakesFixedNets) {
    CBoard* board = LoadSmallBoard();
    CNet* a = board->FindNet(L"A");
    ASSERT_TRUE(a);
    EXPECT_EQ(board->FindNet(L"NEW"), nullptr);
    board->BuildNets();
    CNet* made = board->FindNet(L"NEW");
    ASSERT_TRUE(made) << "a pin's fixed net name creates the net";
    EXPECT_EQ(m_view.undo.UndoCount(), 0u) << "derived from the file: no undo step";
    auto* package = board->GetChild(2);
    auto* pinA = static_cast<CPin*>(package->GetChild(0));
    auto* pinNew = static_cast<CPin*>(package->GetChild(1));
    auto* pinFree = static_cast<CPin*>(package->GetChild(2));
    EXPECT_EQ(pinA->m_pNet, a);
    EXPECT_EQ(a->m_pins.count(pinA), 1u);
    EXPECT_EQ(pinNew->m_pNet, made);
    EXPECT_EQ(pinFree->m_pNet, nullptr);
    auto* conductor = static_cast<CConductor*>(a->GetChild(0));
    auto* via = static_cast<CPad*>(a->GetChild(1)->GetChild(1));
    EXPECT_EQ(conductor->m_vertices[0].tie.GetPad(), via);
    EXPECT_TRUE(conductor->m_vertices[1].tie.IsNone());
    CFootprint* footprint = static_cast<CPackage*>(package)->GetFootprint();
    EXPECT_EQ(conductor->m_vertices[2].tie.GetPad(), footprint->FindPadByNumber(L"1"));
    EXPECT_EQ(footprint->FindPadByNumber(L"1")->GetNet(), a);
    EXPECT_EQ(via->GetNetName(), L"A");
}

TEST_F(BoardLookupsTest, BuildNetsKeepsBreakPoints) {
    CBoard* board = LoadSmallBoard();
    auto* conductor = static_cast<CConductor*>(board->FindNet(L"A")->GetChild(0));
    conductor->m_vertices[0].tie = VertexTie::BreakPoint();
    board->BuildNets();
    EXPECT_TRUE(conductor->m_vertices[0].tie.IsBreakPoint());
    EXPECT_EQ(conductor->m_vertices[0].tie.GetPad(), nullptr);
}

// Pins joined to the nets whose wires touch them: a part per case on sheet
// Main (Other for "O"), each with one pin whose connection point is the
// case's point. "LATE" overlaps "H" from x 20 to 25 and comes later.
struct WirePinCase {
    const char* sheet;
    int x, y;
    const wchar_t* net; // null: no net
};

const WirePinCase kWirePinCases[] = {
    {"Main", 5, 20, L"H"},      {"Main", 0, 20, L"H"},    {"Main", 22, 20, L"LATE"},
    {"Main", 31, 20, nullptr},  {"Main", 5, 21, nullptr}, {"Main", 40, 15, L"V"},
    {"Main", 40, 31, nullptr},  {"Main", 55, 5, nullptr}, {"Main", 60, 10, L"S"},
    {"Main", 50, 0, L"S"},      {"Main", 70, 5, L"Z"},    {"Other", 5, 20, L"O"},
    {"Other", 40, 15, nullptr},
};

TEST_F(BoardLookupsTest, BuildNetsJoinsPinsTheirWiresTouch) {
    std::string xml = "<Project>\r\n  <Board>\r\n    <Layer>TOP</Layer>\r\n"
                      "    <Sheet>Main</Sheet>\r\n    <Sheet>Other</Sheet>\r\n";
    for (const WirePinCase& c : kWirePinCases) // pin L1 sits at (x - 1, y + 1) of its part
        xml += "    <Package>\r\n      <Part Outline=\"4,2\" SheetName=\"" + std::string(c.sheet) +
               "\" XY=\"" + std::to_string(c.x + 1) + "," + std::to_string(c.y - 1) +
               "\">\r\n        <Pin Num=\"1\">L1</Pin>\r\n      </Part>\r\n    </Package>\r\n";
    const char* nets[][3] = {{"H", "Main", "0,20,30,20"}, {"V", "Main", "40,0,40,30"},
                             {"S", "Main", "50,0,60,10"}, {"O", "Other", "0,20,30,20"},
                             {"Z", "Main", "70,5,70,5"},  {"LATE", "Main", "25,20,20,20"}};
    for (const auto& n : nets)
        xml += "    <Net>" + std::string(n[0]) + "\r\n      <Wire SheetName=\"" + n[1] + "\">" +
               n[2] + "</Wire>\r\n    </Net>\r\n";
    xml += "  </Board>\r\n</Project>\r\n";
    ASSERT_TRUE(LoadText(m_root, XmlDoc(xml)));
    auto* board = static_cast<CBoard*>(m_root.GetChild(0));
    // A pin already on a net leaves it for the net its wire names.
    auto pinOf = [&](std::size_t k) {
        return static_cast<CPin*>(board->GetChild(3 + k)->GetChild(0)->GetChild(0));
    };
    CNet* h = board->FindNet(L"H");
    pinOf(2)->m_pNet = h;
    h->m_pins.insert(pinOf(2));
    board->BuildNets();
    for (std::size_t k = 0; k < std::size(kWirePinCases); ++k) {
        const WirePinCase& c = kWirePinCases[k];
        SCOPED_TRACE(std::string(c.sheet) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
        CPin* pin = pinOf(k);
        ASSERT_EQ(pin->GetSheet()->GetName(), Utf8ToWide(c.sheet));
        CNet* expected = c.net ? board->FindNet(c.net) : nullptr;
        EXPECT_EQ(pin->m_pNet, expected);
        for (CTreeNode* child : board->GetChildren()) {
            if (child->GetType() == NodeType::Net) {
                EXPECT_EQ(static_cast<CNet*>(child)->m_pins.count(pin), child == expected ? 1u : 0u)
                    << WideToUtf8(child->GetText());
            }
        }
    }
}

// Vertices tied to the via of their net within 0.001 in x and y, also where
// the two lie on either side of a multiple of 0.002; of two vias at one
// place the later ties.
TEST_F(BoardLookupsTest, BuildNetsTiesVerticesWithinTheTolerance) {
    struct TieCase {
        float via, vertex; // x of each; y 5 for both
        bool tied;
    };
    const TieCase cases[] = {{10, 10.0009f, true},
                             {10, 10.0011f, false},
                             {10, 9.9991f, true},
                             {0.0015f, 0.0024f, true},
                             {-0.0005f, 0.0004f, true},
                             {0.0019f, 0.003f, false},
                             {-7, -7, true}};
    for (const TieCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.via) + " " + std::to_string(c.vertex));
        CBoard board;
        auto* net = static_cast<CNet*>(board.AddChild(new CNet(L"T")));
        auto* conductor = static_cast<CConductor*>(net->AddChild(new CConductor));
        conductor->m_vertices = {{c.vertex, 5, 0, {}}, {c.vertex, 9.9995f, 0, {}}};
        auto* padstack = net->AddChild(new CPadstack(L"V"));
        auto* via = static_cast<CPad*>(padstack->AddChild(new CPad));
        via->m_boardPosition = PointF{c.via, 5};
        auto* upper = static_cast<CPad*>(padstack->AddChild(new CPad));
        upper->m_boardPosition = PointF{c.vertex, 10};
        auto* later = static_cast<CPad*>(net->AddChild(new CPadstack(L"W"))->AddChild(new CPad));
        later->m_boardPosition = PointF{c.vertex, 10};
        board.BuildNets();
        EXPECT_EQ(conductor->m_vertices[0].tie.GetPad(), c.tied ? via : nullptr);
        EXPECT_EQ(conductor->m_vertices[1].tie.GetPad(), later);
    }
}

// Fixed net names: the first net of the name, or one net made for them all;
// a pin's pads are found by number, a selected pad passed over.
TEST_F(BoardLookupsTest, BuildNetsFindsNetsAndPadsByName) {
    CBoard* board = LoadSmallBoard();
    auto* twin = static_cast<CNet*>(board->AddChild(new CNet(L"A")));
    auto* package = static_cast<CPackage*>(board->GetChild(2));
    auto* second = static_cast<CPin*>(package->AddChild(new CPin));
    second->m_fixedNetName = L"NEW";
    CFootprint* footprint = package->GetFootprint();
    auto* padstack = footprint->GetChild(0);
    auto* chosen = static_cast<CPad*>(padstack->AddChild(new CPad));
    chosen->m_num = L"1";
    chosen->m_boardPosition = PointF{-1, 0};
    footprint->FindPadByNumber(L"1")->SetSelected(true);
    board->BuildNets();
    CNet* a = board->FindNet(L"A");
    ASSERT_NE(a, twin);
    EXPECT_EQ(static_cast<CPin*>(package->GetChild(0))->m_pNet, a);
    EXPECT_TRUE(twin->m_pins.empty());
    CNet* made = board->FindNet(L"NEW");
    ASSERT_TRUE(made);
    EXPECT_EQ(second->m_pNet, made);
    EXPECT_EQ(made->m_pins.size(), 2u);
    EXPECT_EQ(board->GetChildCount(), 7u) << "one net made for both pins";
    auto* conductor = static_cast<CConductor*>(a->GetChild(0));
    EXPECT_EQ(conductor->m_vertices[2].tie.GetPad(), chosen);
}

TEST_F(BoardLookupsTest, FindPadAtFiltersByNetAndSkipsUnboundPackages) {
    CBoard* board = LoadSmallBoard();
    board->BuildNets();
    CNet* a = board->FindNet(L"A");
    CNet* other = board->FindNet(L"NEW");
    // The via of A.
    CPad* via = board->FindPadAt(nullptr, 10.2f, 10, nullptr);
    ASSERT_TRUE(via);
    EXPECT_EQ(via->GetNet(), a);
    EXPECT_EQ(board->FindPadAt(nullptr, 10.2f, 10, other), nullptr);
    // Pad 2 of the package (board 21,10) belongs to NEW.
    CPad* pad2 = board->FindPadAt(nullptr, 21, 10, nullptr);
    ASSERT_TRUE(pad2);
    EXPECT_EQ(pad2->m_num, L"2");
    EXPECT_EQ(board->FindPadAt(nullptr, 21, 10, a), nullptr) << "another net's pad is skipped";
    EXPECT_EQ(board->FindPadAt(nullptr, 21, 10, other), pad2);
    // The second package has no footprint: passed over, no crash.
    EXPECT_EQ(board->FindPadAt(nullptr, 50, 50, nullptr), nullptr);
    EXPECT_EQ(board->FindFootprintAt(20, 10),
              static_cast<CPackage*>(board->GetChild(2))->GetFootprint());
    EXPECT_EQ(board->FindFootprintAt(20, 11), nullptr);
}

TEST_F(BoardLookupsTest, FlipTwiceRestoresLayersAndKeepsInnerOnes) {
    CBoard* board = LoadSmallBoard();
    auto* package = board->GetChild(2);
    auto* text = static_cast<CText*>(package->AddChild(new CText(L"R1")));
    text->m_layer = kLayerSilkscreenTop;
    auto* innerText = static_cast<CText*>(package->AddChild(new CText(L"I")));
    innerText->m_layer = 3; // I02: no twin on the other side
    CFootprint* footprint = static_cast<CPackage*>(package)->GetFootprint();
    auto* padstack = static_cast<CPadstack*>(footprint->GetChild(0));
    auto* inr = static_cast<CPadLayer*>(padstack->AddChild(new CPadLayer(kPadLayerInner)));
    auto* pln = static_cast<CPadLayer*>(padstack->AddChild(new CPadLayer(kPadLayerPlane)));
    auto* smt = static_cast<CPadLayer*>(padstack->AddChild(new CPadLayer(26)));
    auto* mark = static_cast<CMarking*>(footprint->AddChild(new CMarking(30)));
    auto* top = static_cast<CPadLayer*>(padstack->GetChild(0));

    footprint->SetPlace(kPlaceBottom, nullptr);
    EXPECT_EQ(footprint->m_place, kPlaceBottom);
    EXPECT_EQ(text->m_layer, kLayerSilkscreenBottom);
    EXPECT_EQ(innerText->m_layer, 3) << "inner layers are not swapped in pairs";
    EXPECT_EQ(top->m_layer, kPadLayerBottom);
    EXPECT_EQ(smt->m_layer, 27);
    EXPECT_EQ(mark->m_layer, 31);
    EXPECT_EQ(inr->m_layer, kPadLayerInner);
    EXPECT_EQ(pln->m_layer, kPadLayerPlane);
    footprint->SetPlace(kPlaceBottom, nullptr);
    footprint->SetPlace(kPlaceTop, nullptr);
    EXPECT_EQ(text->m_layer, kLayerSilkscreenTop);
    EXPECT_EQ(top->m_layer, kPadLayerTop);
    EXPECT_EQ(smt->m_layer, 26);
    EXPECT_EQ(mark->m_layer, 30);
    EXPECT_EQ(innerText->m_layer, 3);
}

TEST_F(BoardLookupsTest, FlipWithoutAnOpenBoardViewIsStillUndoable) {
    CBoard* board = LoadSmallBoard();
    m_view.indexOpen = false;
    CFootprint* footprint = static_cast<CPackage*>(board->GetChild(2))->GetFootprint();
    auto* top = static_cast<CPadLayer*>(footprint->GetChild(0)->GetChild(0));
    const std::string before = SaveText(m_root);
    m_view.undo.SetStartNewGroup(true);
    footprint->SetPlace(kPlaceBottom, nullptr);
    EXPECT_EQ(top->m_layer, kPadLayerBottom);
    EXPECT_NE(SaveText(m_root), before);
    m_view.undo.Undo();
    EXPECT_EQ(top->m_layer, kPadLayerTop) << "the pads come back to the top side";
    EXPECT_EQ(footprint->m_place, kPlaceTop);
    EXPECT_EQ(SaveText(m_root), before);
}

TEST_F(BoardLookupsTest, RotatingAPadstackTurnsItsCustomHoleAndRelief) {
    CPadstack padstack(L"P");
    auto* pad = static_cast<CPadLayer*>(padstack.AddChild(new CPadLayer(kPadLayerTop)));
    pad->m_shape = kPadShapeRect;
    pad->m_width = 1;
    pad->m_height = 2;
    auto* custom = static_cast<CPadLayer*>(padstack.AddChild(new CPadLayer(kPadLayerBottom)));
    custom->m_shape = kPadShapeCustom;
    custom->m_outline = ParseAreaOutline(L"LIN1,0 LIN2,0 LIN2,1", &g_pActiveView);
    auto* relief = static_cast<CThermalRelief*>(custom->AddChild(new CThermalRelief()));
    relief->m_outline = ParseAreaOutline(L"LIN3,0 LIN4,0 LIN4,1", &g_pActiveView);
    auto* drill = static_cast<CDrill*>(padstack.AddChild(new CDrill(kDrillCustom)));
    drill->m_boardPosition = PointF{1, 0};
    auto* slot = static_cast<CDrill*>(padstack.AddChild(new CDrill(kDrillSlot)));

    padstack.Rotate90(false);
    EXPECT_FLOAT_EQ(pad->m_width, 2);
    EXPECT_FLOAT_EQ(pad->m_height, 1);
    EXPECT_EQ(AreaOutlineToString(custom->m_outline), L"LIN0,-1 LIN0,-2 LIN1,-2");
    EXPECT_EQ(AreaOutlineToString(relief->m_outline), L"LIN0,-3 LIN0,-4 LIN1,-4");
    EXPECT_EQ(AreaOutlineToString(drill->m_outline), L"LIN-1,2 LIN-1,-2 LIN1,-2 LIN1,2");
    EXPECT_FLOAT_EQ(drill->m_boardPosition.X, 0);
    EXPECT_FLOAT_EQ(drill->m_boardPosition.Y, -1);
    EXPECT_FLOAT_EQ(slot->m_slotWidth, 1);
    EXPECT_FLOAT_EQ(slot->m_slotHeight, 3);

    padstack.MirrorHorizontally();
    EXPECT_EQ(AreaOutlineToString(drill->m_outline), L"LIN1,2 LIN1,-2 LIN-1,-2 LIN-1,2");
    EXPECT_EQ(AreaOutlineToString(relief->m_outline), L"LIN-0,-3 LIN-0,-4 LIN-1,-4");
    padstack.MirrorVertically();
    EXPECT_FLOAT_EQ(drill->m_boardPosition.Y, 1);
    EXPECT_EQ(AreaOutlineToString(custom->m_outline), L"LIN-0,1 LIN-0,2 LIN-1,2");
}

TEST_F(BoardLookupsTest, ThermalOutlineFromPad) {
    CPadLayer pad(kPadLayerTop);
    auto* relief = static_cast<CThermalRelief*>(pad.AddChild(new CThermalRelief()));
    pad.m_shape = kPadShapeRect;
    pad.m_width = 2;
    pad.m_height = 1;
    relief->m_isolation = 0.5f;
    relief->BuildOutlineFromPad(true);
    EXPECT_EQ(AreaOutlineToString(relief->m_outline), L"LIN1.5,-1 LIN1.5,1 LIN-1.5,1 LIN-1.5,-1");
    pad.m_shape = kPadShapeRound;
    pad.m_height = 2;
    relief->BuildOutlineFromPad(true);
    EXPECT_EQ(AreaOutlineToString(relief->m_outline), L"ARC1.5,0,1.5 ARC-1.5,0,1.5");
    auto* arc = static_cast<CAreaArc*>(relief->m_outline);
    EXPECT_NEAR(arc->m_cx, 0, 1e-5);
    EXPECT_NEAR(arc->m_midY, 1.5, 1e-5);
    pad.m_shape = kPadShapeOblong;
    pad.m_width = 3;
    pad.m_height = 1;
    relief->BuildOutlineFromPad(true);
    EXPECT_EQ(AreaOutlineToString(relief->m_outline), L"LIN-1,-1 ARC1,-1,1 LIN1,1 ARC-1,1,1");
    relief->BuildOutlineFromPad(false);
    EXPECT_EQ(relief->m_outline, nullptr);
}
