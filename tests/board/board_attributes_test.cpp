// Board-side elements in files: defaults left out and restored, the value
// tables, the element texts, and the copies of the board-side classes.
#include "board/area.h"
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_properties.h"
#include "board/board_types.h"
#include "board/conductor.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/board_layer.h"
#include "platform/text.h"
#include "schematic/package.h"
#include "schematic/text.h"
#include "tests/attribute_write_check.h"
#include "tests/board/board_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Attrs = XmlAttributeMap;

// Writes the node's fields and returns its attribute map.
Attrs Written(CTreeNode& node) {
    node.WriteAttributes();
    return node.GetAttributes();
}

// Reads a node of the element from attributes and text.
template <class T> void ReadInto(T& node, const Attrs& attrs, const std::wstring& text = L"") {
    node.GetAttributes() = attrs;
    node.SetText(text);
    node.ReadAttributes();
}

// The reading rule of a conductor's vertex list spelt out with the general
// number parser: the vertex at pos is "x,y[,corner]" as ParseDouble reads
// each number (cast to float), the next one starts after the first space
// that follows its second (or third) number's comma.
std::vector<ConductorVertex> ReferenceVertices(const std::wstring& text) {
    std::vector<ConductorVertex> out;
    std::size_t pos = 0;
    for (;;) {
        float v[3] = {0, 0, 0};
        int n = 0;
        const wchar_t* p = text.c_str() + pos;
        for (; n < 3; ++n) {
            if (n > 0) {
                if (*p != L',')
                    break;
                ++p;
            }
            const wchar_t* end = nullptr;
            const double value = ParseDouble(p, &end);
            // A number that is not finite is no coordinate: the list ends
            // before its vertex.
            if (end != p && !std::isfinite(static_cast<float>(value)))
                return out;
            if (end == p)
                break;
            v[n] = static_cast<float>(value);
            p = end;
        }
        if (n < 2)
            break;
        out.push_back(ConductorVertex{v[0], v[1], v[2], VertexTie()});
        std::size_t after = text.find(L',', pos);
        if (after == std::wstring::npos)
            break;
        ++after;
        if (n == 3) {
            after = text.find(L',', after);
            if (after == std::wstring::npos)
                break;
            ++after;
        }
        const std::size_t space = text.find(L' ', after);
        if (space == std::wstring::npos)
            break;
        pos = space + 1;
    }
    return out;
}

// Reads text into a conductor and compares its vertices with the reference,
// the floats bit for bit.
void ExpectVerticesAsReference(const std::wstring& text) {
    CConductor conductor;
    ReadInto(conductor, {}, text);
    const std::vector<ConductorVertex> expected = ReferenceVertices(text);
    ASSERT_EQ(conductor.m_vertices.size(), expected.size()) << text;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const ConductorVertex& a = conductor.m_vertices[k];
        const ConductorVertex& b = expected[k];
        ASSERT_TRUE(std::memcmp(&a.x, &b.x, sizeof(float)) == 0 &&
                    std::memcmp(&a.y, &b.y, sizeof(float)) == 0 &&
                    std::memcmp(&a.corner, &b.corner, sizeof(float)) == 0)
            << "vertex " << k << " of " << text;
        ASSERT_TRUE(a.tie.IsNone());
    }
}

} // namespace

class BoardAttributesTest : public BoardFixture {};

TEST_F(BoardAttributesTest, DefaultsAreLeftOutOnWrite) {
    CBoardProperties props;
    EXPECT_TRUE(Written(props).empty());
    CThermalRelief thermal;
    EXPECT_TRUE(Written(thermal).empty());
    CLayer layer(0);
    EXPECT_TRUE(Written(layer).empty());
    EXPECT_EQ(layer.GetText(), L"TOP");
    CDrill drill(kDrillRound);
    drill.m_diam = 0.7f;
    EXPECT_TRUE(Written(drill).empty());
    CFootprint footprint(kPlaceTop);
    EXPECT_TRUE(Written(footprint).empty());
    CPad pad;
    EXPECT_TRUE(Written(pad).empty());
    CPadstack padstack;
    EXPECT_TRUE(Written(padstack).empty());
    CPadLayer padLayer(kPadLayerTop);
    padLayer.m_shape = kPadShapeRound;
    EXPECT_TRUE(Written(padLayer).empty());
    CArea area;
    EXPECT_TRUE(Written(area).empty());
    CConductor conductor;
    EXPECT_TRUE(Written(conductor).empty());
    CBoard board;
    EXPECT_TRUE(Written(board).empty());
}

TEST_F(BoardAttributesTest, AbsentAttributesReadAsTheirDefaults) {
    CBoardProperties props;
    props.m_conductorWidth = 7;
    ReadInto(props, {});
    EXPECT_FLOAT_EQ(props.m_conductorWidth, 0.25f);
    EXPECT_FLOAT_EQ(props.m_isolationWidth, 0.3f);
    ReadInto(props, {{L"ConductorWidth", L"0"}});
    EXPECT_FLOAT_EQ(props.m_conductorWidth, 0);
    EXPECT_EQ(Written(props).at(L"ConductorWidth"), L"0");

    CDrill drill(kDrillSlot);
    ReadInto(drill, {});
    EXPECT_EQ(drill.m_drillType, kDrillRound);
    EXPECT_FLOAT_EQ(drill.m_diam, 0.7f);

    CPadLayer padLayer;
    ReadInto(padLayer, {});
    EXPECT_EQ(padLayer.m_layer, kPadLayerTop);
    EXPECT_EQ(padLayer.m_shape, kPadShapeRound);

    CMarking marking(22);
    ReadInto(marking, {});
    EXPECT_EQ(marking.m_layer, -1);

    CLayer layer;
    ReadInto(layer, {}, L"top");
    EXPECT_EQ(layer.m_id, -1) << "codes are case-sensitive";
    EXPECT_EQ(layer.m_layerType, kLayerTypeRouting);
}

TEST_F(BoardAttributesTest, RoundPadOfUnequalSizesIsOblong) {
    CPadLayer padLayer;
    ReadInto(padLayer, {{L"Shape", L"ROUND"}, {L"Size", L"1,2"}});
    EXPECT_EQ(padLayer.m_shape, kPadShapeOblong);
    ReadInto(padLayer, {{L"Shape", L"ROUND"}, {L"Size", L"1,1"}});
    EXPECT_EQ(padLayer.m_shape, kPadShapeRound);
    ReadInto(padLayer, {{L"Shape", L"CUSTOM"}}, L"LIN0,0 LIN1,0 LIN1,1");
    EXPECT_EQ(CountAreaNodes(padLayer.m_outline), 3);
    EXPECT_EQ(Written(padLayer).at(L"Shape"), L"CUSTOM");
    EXPECT_EQ(padLayer.GetText(), L"LIN0,0 LIN1,0 LIN1,1");
    // Read again as another shape (an undo does that) the outline stays
    // unused with its nodes, for the shape to come back to.
    const CAreaNode* kept = padLayer.m_outline;
    ReadInto(padLayer, {{L"Shape", L"RECT"}, {L"Size", L"1,1"}}, L"LIN0,0");
    EXPECT_EQ(padLayer.m_shape, kPadShapeRect);
    EXPECT_EQ(padLayer.m_outline, kept);
    EXPECT_EQ(Written(padLayer).at(L"Shape"), L"RECT");
    // A pad read fresh as another shape gets no outline.
    CPadLayer rect;
    ReadInto(rect, {{L"Shape", L"RECT"}, {L"Size", L"1,1"}}, L"LIN0,0");
    EXPECT_EQ(rect.m_outline, nullptr);
    ReadInto(padLayer, {{L"Shape", L"HEXAGON"}, {L"Layer", L"XYZ"}});
    EXPECT_EQ(padLayer.m_shape, kPadShapeRound) << "an unmatched name gives the default";
    EXPECT_EQ(padLayer.m_layer, kPadLayerTop);
}

TEST_F(BoardAttributesTest, DrillWritesOnlyTheSizeOfItsType) {
    CDrill slot(kDrillSlot);
    slot.m_diam = 1.5f;
    slot.m_slotWidth = 2;
    slot.m_slotHeight = 0.8f;
    Attrs a = Written(slot);
    EXPECT_EQ(a, (Attrs{{L"Slot", L"2,0.8"}, {L"Type", L"SLOT"}}));
    CDrill back;
    ReadInto(back, a);
    EXPECT_FLOAT_EQ(back.m_diam, 0.7f);
    EXPECT_FLOAT_EQ(back.m_slotWidth, 2);
    EXPECT_FLOAT_EQ(back.GetDiameter(), 0.8f);

    CDrill round(kDrillRound);
    round.m_diam = 0.9f;
    a = Written(round);
    EXPECT_EQ(a, (Attrs{{L"Diam", L"0.9"}}));
    ReadInto(back, a);
    EXPECT_FLOAT_EQ(back.m_slotWidth, 0);
    EXPECT_FLOAT_EQ(back.m_slotHeight, 0);

    CDrill custom(kDrillCustom);
    EXPECT_EQ(AreaOutlineToString(custom.m_outline), L"LIN-2,-1 LIN2,-1 LIN2,1 LIN-2,1");
    a = Written(custom);
    EXPECT_EQ(a.at(L"Type"), L"CUSTOM");
    EXPECT_EQ(a.at(L"Diam"), L"1");
    EXPECT_EQ(custom.GetText(), L"LIN-2,-1 LIN2,-1 LIN2,1 LIN-2,1");
    CDrill plain(kDrillRound);
    EXPECT_EQ(plain.m_outline, nullptr);
}

// A drill whose type changes after a load holds the other type's size in
// its element: the save drops it rather than keep a stale one.
TEST_F(BoardAttributesTest, DrillTypeChangeDropsTheOldSizeFromTheFile) {
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc("<Padstack>P\r\n"
                                      "  <Drill Diam=\"0.9\" NonPlated=\"1\"/>\r\n"
                                      "  <Drill Slot=\"2,0.8\" Type=\"SLOT\"/>\r\n"
                                      "  <Drill Diam=\"1.1\" Type=\"NONE\"/>\r\n"
                                      "</Padstack>\r\n")));
    auto drill = [&](std::size_t i) { return static_cast<CDrill*>(root.GetChild(i)); };
    // The diameter of a drill without a hole is read, and left out.
    EXPECT_FLOAT_EQ(drill(2)->m_diam, 1.1f);
    EXPECT_EQ(SaveText(root), XmlDoc("<Padstack>P\r\n"
                                     "  <Drill Diam=\"0.9\" NonPlated=\"1\"/>\r\n"
                                     "  <Drill Slot=\"2,0.8\" Type=\"SLOT\"/>\r\n"
                                     "  <Drill Type=\"NONE\"/>\r\n"
                                     "</Padstack>\r\n"));
    drill(0)->m_drillType = kDrillSlot;
    drill(1)->m_drillType = kDrillCustom;
    drill(2)->m_drillType = kDrillRound;
    EXPECT_EQ(SaveText(root), XmlDoc("<Padstack>P\r\n"
                                     "  <Drill NonPlated=\"1\" Type=\"SLOT\"/>\r\n"
                                     "  <Drill Type=\"CUSTOM\"/>\r\n"
                                     "  <Drill Diam=\"1.1\"/>\r\n"
                                     "</Padstack>\r\n"));
    for (int type : {kDrillNone, kDrillRound, kDrillSlot, kDrillCustom}) {
        SCOPED_TRACE(type);
        CDrill d(type);
        d.m_diam = 0.5f;
        d.m_slotWidth = 1.5f;
        ExpectWritesOverAnyAttributes(d);
    }
}

// A plane made a routing layer keeps its net's text in the file (read for
// planes only); made a plane again it writes the net it holds.
TEST_F(BoardAttributesTest, RoutingLayerLeavesTheNetTextAlone) {
    CLayer layer(kLayerInner1);
    ReadInto(layer, {{L"Net", L"GND"}, {L"Type", L"PLANE"}}, L"I01");
    layer.m_layerType = kLayerTypeRouting;
    layer.m_net.clear();
    EXPECT_EQ(Written(layer), (Attrs{{L"Net", L"GND"}}));
    EXPECT_EQ(Written(layer), (Attrs{{L"Net", L"GND"}}));
    ReadInto(layer, layer.GetAttributes(), L"I01");
    EXPECT_EQ(layer.m_net, L"");
    layer.m_layerType = kLayerTypePlane;
    EXPECT_EQ(Written(layer), (Attrs{{L"Type", L"PLANE"}}));
    layer.m_net = L"VCC";
    ExpectWritesOverAnyAttributes(layer);
    layer.GetAttributes().clear();
    EXPECT_EQ(Written(layer), (Attrs{{L"Net", L"VCC"}, {L"Type", L"PLANE"}}));
}

TEST_F(BoardAttributesTest, PadstackInAFootprintHasNoAttributesOfItsOwn) {
    CRoot root;
    ASSERT_TRUE(LoadText(
        root, XmlDoc("<FootprintLib>\r\n"
                     "  <Padstack Grid=\"1,1\" NoThermal=\"1\" Unit=\"0\">LIB</Padstack>\r\n"
                     "  <Footprint>F\r\n"
                     "    <Padstack Grid=\"1,1\" NoThermal=\"1\" Unit=\"0\">P</Padstack>\r\n"
                     "  </Footprint>\r\n"
                     "</FootprintLib>\r\n")));
    auto* lib = static_cast<CPadstack*>(root.GetChild(0));
    EXPECT_EQ(lib->m_unit, 0u);
    EXPECT_TRUE(lib->m_noThermal);
    auto* inner = static_cast<CPadstack*>(root.GetChild(1)->GetChild(0));
    EXPECT_EQ(inner->m_unit, 1u);
    EXPECT_FALSE(inner->m_noThermal);
    EXPECT_FLOAT_EQ(inner->m_gridX, 0);
    // The writer sets nothing for it; the map keeps what was read.
    inner->GetAttributes().clear();
    inner->m_unit = 3;
    inner->WriteAttributes();
    EXPECT_TRUE(inner->GetAttributes().empty());
}

TEST_F(BoardAttributesTest, BottomFootprintMovesUnlayeredPackageTextsToSsb) {
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc("<Project>\r\n"
                                      "  <Board>\r\n"
                                      "    <Package>\r\n"
                                      "      <Text Name=\"RefDes\">R1</Text>\r\n"
                                      "      <Text Layer=\"AST\" Name=\"Value\">1k</Text>\r\n"
                                      "      <Footprint Place=\"BOTTOM\">R</Footprint>\r\n"
                                      "    </Package>\r\n"
                                      "  </Board>\r\n"
                                      "</Project>\r\n")));
    CTreeNode* package = root.GetChild(0)->GetChild(0);
    EXPECT_EQ(package->GetChild(0)->GetLayer(), kLayerSilkscreenBottom);
    EXPECT_EQ(package->GetChild(1)->GetLayer(), kLayerAssemblyTop);
}

TEST_F(BoardAttributesTest, ConductorVertexText) {
    struct Case {
        const wchar_t* text;
        std::vector<ConductorVertex> vertices;
    };
    const Case cases[] = {
        {L"1.5,2.25", {{1.5f, 2.25f, 0, {}}}},
        {L"1,2 3,4,0.5 5,6", {{1, 2, 0, {}}, {3, 4, 0.5f, {}}, {5, 6, 0, {}}}},
        {L"", {}},
        {L"12", {}},
        {L"1,2 x,3 5,6", {{1, 2, 0, {}}}},
        {L"1,2 3", {{1, 2, 0, {}}}},
        // A number that is not finite ends the list before its vertex.
        {L"1,2 3,4,nan 5,6", {{1, 2, 0, {}}}},
        {L"1,2 inf,4 5,6", {{1, 2, 0, {}}}},
        {L"1,2,0.5 3,-1e39", {{1, 2, 0.5f, {}}}},
    };
    for (const Case& c : cases) {
        CConductor conductor;
        ReadInto(conductor, {{L"Layer", L"BOT"}, {L"Width", L"0.4"}}, c.text);
        EXPECT_EQ(conductor.m_layer, kLayerBottom);
        ASSERT_EQ(conductor.m_vertices.size(), c.vertices.size());
        for (std::size_t i = 0; i < c.vertices.size(); ++i) {
            EXPECT_FLOAT_EQ(conductor.m_vertices[i].x, c.vertices[i].x);
            EXPECT_FLOAT_EQ(conductor.m_vertices[i].y, c.vertices[i].y);
            EXPECT_FLOAT_EQ(conductor.m_vertices[i].corner, c.vertices[i].corner);
            EXPECT_TRUE(conductor.m_vertices[i].tie.IsNone());
        }
    }
    CConductor conductor;
    conductor.m_layer = 40;
    conductor.m_vertices = {{12.7f, -3, 0, {}}, {1, 2, 0.5f, {}}};
    conductor.WriteAttributes();
    EXPECT_FALSE(conductor.HasAttribute(L"Layer"));
    EXPECT_EQ(conductor.GetText(), L"12.700,-3.000 1.000,2.000,0.500");
}

// The vertex list is read with an inlined number scanner; it must take from
// every text, also a damaged one, exactly the vertices the general scanner
// takes (the walk below is the reading rule spelt out with ScanFloats).
TEST_F(BoardAttributesTest, ConductorVertexScanMatchesTheGeneralScanner) {
    static const wchar_t* const kPieces[] = {
        L"1", L"-2.5", L"0", L"0x1p3", L"0x", L"1e3", L"1.", L".5", L"+3", L" ", L",", L",", L" ",
        L"-", L"x", L"\t", L"1234567890123456789", L"9.", L"nan", L"-inf", L"1.25E-2", L"7.0001",
        L"00012", L"0.000001", L"12.3456789012345",
        // The writer's own form, which has a one-pass reader of its own.
        L"0.000", L"-1.250", L"123.456", L"1,2", L"3.5,-4.25 ", L"1,2,0.5 ", L"1.000,2.000",
        L"123456789012345", L"1234567890123456", L"0.1234567890123456", L"-", L"1234.567",
        L"12345.678", L"0.5000", L"99.999 ", L"-0.001,", L"7.25,", L"0012.500", L"\x130",
        L"\x10030", L"12.3\x2e5", L"1.23,4.567 8.910,11.121,1.314 "};
    uint64_t state = 3;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    for (int i = 0; i < 40000; ++i) {
        std::wstring text;
        const int pieces = static_cast<int>(next() % 16);
        for (int k = 0; k < pieces; ++k)
            text += kPieces[next() % (sizeof kPieces / sizeof *kPieces)];
        ExpectVerticesAsReference(text);
        if (HasFatalFailure())
            return;
    }
}

// The writer's own form ("%.3f" numbers, single spaces) has readers of its
// own; every text must still read as the general parser reads it. Each case
// also stands behind and before vertices of the writer's form, so that it
// meets the readers at every place of their sixteen-character steps.
TEST_F(BoardAttributesTest, ConductorVertexListsReadAsTheGeneralParserReadsThem) {
    static const wchar_t* const kCases[] = {
        // The writer's form.
        L"0.000,0.000 1.000,1.250 -12.345,7.500,0.250",
        L"100.000,125.000 999.999,0.001 9999.999,9999.999 0.000,9999.999",
        // Negative numbers, negative zero.
        L"-1.000,-2.500 -1234.567,-9999.999 -0.001,5.000 6.000,-0.001",
        L"-0.000,-0.000 0.000,-0.000 -0.000,0.000,-0.000",
        // Whole parts past four digits, leading zeros.
        L"12345.678,1.000 123456789.125,-99999.500 1.000,2.000",
        L"0012.500,0001.000 000000000000.001,1.000",
        L"123456789012.345,1.000 1234567890123.456,1.000",
        // Other counts of decimals.
        L"1.5,2.25 3.1234,4.0001 5,6 7.,8.",
        L"1.00,2.0000 3.000,4.00 5.0,6.000",
        // Exponents, plus signs, points without digits.
        L"1e3,2.000 1.000e2,3.000 1.000E-2,4.000",
        L"+1.000,2.000 3.000,+4.000 .500,1.000 1.000,-.500",
        // Missing y, stray spaces.
        L"1.000, 2.000,3.000 4.000,5.000",
        L"1.000 2.000,3.000 4.000,5.000",
        L"1.000,2.000  3.000,4.000 5.000,6.000",
        L" 1.000,2.000 3.000,4.000",
        L"1.000,2.000 ",
        // Corners.
        L"1.000,2.000,0.500 3.000,4.000,-0.250 5.000,6.000,0.000",
        L"1.000,2.000,0.500,7.000 3.000,4.000",
        // Ends in the middle of a number.
        L"1.000,2.0",
        L"1.000,2.",
        L"1.000,-",
        L"1.000,",
        L"1.00",
        L"-",
        // Other characters.
        L"1.000,2.000 x,3.000 4.000,5.000",
        L"1.0a0,2.000 3.000,4.000",
        L"1.000,2.000;3.000,4.000 5.000,6.000",
        L"1.000,2.000\t3.000,4.000 5.000,6.000",
        L"1.000,2.000 \x130.000,1.000 2.000,3.000",
        L"1.000,2.\x10030000 2.000,3.000",
        L"1.000,2.000 0x1p3,1.000 inf,nan 1.000,2.000",
        L"1.000/2.000 3.000,4.000",
    };
    static const std::wstring kBefore[] = {L"", L"1.000,2.000 ", L"10.000,-2.500 3.000,4.000 ",
                                           L"-0.125,1234.500,0.500 "};
    static const std::wstring kAfter[] = {L"", L" 1.000,2.000",
                                          L" 5.000,6.000 70.000,80.000 -9.000,-10.000"};
    for (const wchar_t* text : kCases)
        for (const std::wstring& before : kBefore)
            for (const std::wstring& after : kAfter)
                for (std::size_t skip = 0; skip < 3; ++skip) {
                    // Starting a few characters in moves the case against
                    // the steps of the readers.
                    const std::wstring joined = before + text + after;
                    const std::wstring whole = joined.substr(std::min(skip, joined.size()));
                    ExpectVerticesAsReference(whole);
                    if (HasFatalFailure())
                        return;
                }
    // A NUL inside the text ends no list early.
    std::wstring nul = L"1.000,2.000 3.000,4.000 5.000,6.000 7.000,8.000";
    nul[15] = L'\0';
    ExpectVerticesAsReference(nul);
    nul = L"1.000,2.000 3.000,4.000 5.000,6.000 7.000,8.000";
    nul[23] = L'\0';
    ExpectVerticesAsReference(nul);
}

// Long lists in the writer's form, read whole and with one character
// changed anywhere.
TEST_F(BoardAttributesTest, LongConductorVertexListsReadAsTheGeneralParserReadsThem) {
    uint64_t state = 5;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    auto number = [&] {
        static const uint32_t kLimits[] = {10, 1000, 100000, 10000000, 1000000000};
        const uint32_t thousandths = next() % kLimits[next() % 5];
        return StrPrintf(L"%s%u.%03u", next() % 3 == 0 ? L"-" : L"", thousandths / 1000,
                         thousandths % 1000);
    };
    static const wchar_t kChanges[] = L"0123456789-+., e\tx";
    for (int i = 0; i < 600; ++i) {
        std::wstring text;
        const int count = i == 0 ? 5000 : static_cast<int>(next() % 40);
        for (int k = 0; k < count; ++k) {
            if (k > 0)
                text += L' ';
            text += number() + L',' + number();
            if (next() % 8 == 0)
                text += L',' + number();
        }
        ExpectVerticesAsReference(text);
        if (HasFatalFailure() || text.empty())
            return;
        for (int change = 0; change < 20; ++change) {
            std::wstring changed = text;
            const std::size_t at = next() % changed.size();
            const wchar_t c = kChanges[next() % (sizeof kChanges / sizeof *kChanges - 1)];
            switch (next() % 3) {
            case 0:
                changed[at] = c;
                break;
            case 1:
                changed.insert(at, 1, c);
                break;
            default:
                changed.erase(at, 1);
                break;
            }
            ExpectVerticesAsReference(changed);
            if (HasFatalFailure())
                return;
        }
    }
}

// A conductor read from a file and saved again gives back its text, and a
// text in another form comes back in the writer's form, which reads as the
// same vertices.
TEST_F(BoardAttributesTest, ConductorTextsSurviveLoadAndSave) {
    const std::string kWritten =
        "0.000,0.000 1.000,1.250 -12.345,7.500,0.250 100.000,125.000 -0.000,9999.999 "
        "12345.678,-0.001 1.000,2.000,-0.500 3.000,4.000";
    const std::string document = XmlDoc("<Project>\r\n"
                                        "  <Board>\r\n"
                                        "    <Conductor Layer=\"BOT\" Width=\"0.25\">" +
                                        kWritten +
                                        "</Conductor>\r\n"
                                        "    <Conductor Width=\"0.4\">1.5,2.25 3,4,0.5 5e1,-6.0"
                                        "</Conductor>\r\n"
                                        "  </Board>\r\n"
                                        "</Project>\r\n");
    CRoot root;
    ASSERT_TRUE(LoadText(root, document));
    const std::string saved = SaveText(root);
    // Long texts are saved wrapped; a line end reads as one space.
    const std::string expected = XmlDoc("<Project>\r\n"
                                        "  <Board>\r\n"
                                        "    <Conductor Layer=\"BOT\" Width=\"0.25\">0.000,0.000 "
                                        "1.000,1.250 -12.345,7.500,0.250 100.000,125.000 "
                                        "-0.000,9999.999 12345.678,-0.001\r\n"
                                        "    1.000,2.000,-0.500 3.000,4.000\r\n"
                                        "    </Conductor>\r\n"
                                        "    <Conductor Width=\"0.4\">1.500,2.250 3.000,4.000,"
                                        "0.500 50.000,-6.000</Conductor>\r\n"
                                        "  </Board>\r\n"
                                        "</Project>\r\n");
    EXPECT_EQ(saved, expected);
    CRoot again;
    ASSERT_TRUE(LoadText(again, saved));
    EXPECT_EQ(SaveText(again), expected);
    const auto* a = static_cast<const CConductor*>(root.GetChild(0)->GetChild(1));
    const auto* b = static_cast<const CConductor*>(again.GetChild(0)->GetChild(1));
    ASSERT_EQ(a->m_vertices.size(), 3u);
    ASSERT_EQ(b->m_vertices.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(a->m_vertices[k].x, b->m_vertices[k].x);
        EXPECT_EQ(a->m_vertices[k].y, b->m_vertices[k].y);
        EXPECT_EQ(a->m_vertices[k].corner, b->m_vertices[k].corner);
    }
}

// A text that already holds the vertices is kept; any other text is
// replaced by "%.3f,%.3f[,%.3f]" per vertex. Texts that differ from the
// written form in one character must never be taken for it.
TEST_F(BoardAttributesTest, ConductorTextIsRewrittenUnlessItHoldsTheVertices) {
    auto expected = [](const std::vector<ConductorVertex>& vertices) {
        std::wstring text;
        for (const ConductorVertex& v : vertices) {
            if (!text.empty())
                text += L' ';
            text += StrPrintf(L"%.3f,%.3f", static_cast<double>(v.x), static_cast<double>(v.y));
            if (v.corner != 0)
                text += StrPrintf(L",%.3f", static_cast<double>(v.corner));
        }
        return text;
    };
    static const float kValues[] = {0.0f,      -0.0f,      1.0f,       -1.25f,     12.7f,
                                    0.0005f,   -0.0004f,   0.0015f,    8191.9995f, 8192.5f,
                                    123456.7f, 9.99e8f,    1e9f,       -3e12f,     0.1f,
                                    2.0005f,   1e-8f,      -999.9999f, 65535.f,    std::nanf(""),
                                    9999.999f, 9999.9995f, -1234.567f, 4.445f,     10000.0f};
    uint64_t state = 11;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    constexpr std::size_t kValueCount = sizeof kValues / sizeof *kValues;
    // Up to a dozen vertices, so that lists are also compared sixteen
    // characters at a time.
    for (int i = 0; i < 6000; ++i) {
        std::vector<ConductorVertex> vertices(next() % 12);
        for (ConductorVertex& v : vertices) {
            v.x = kValues[next() % kValueCount];
            v.y = kValues[next() % kValueCount];
            v.corner = next() % 2 ? 0.0f : kValues[next() % kValueCount];
        }
        const std::wstring want = expected(vertices);
        // The written text itself, and that text changed in one place.
        std::wstring before = want;
        const int change = static_cast<int>(next() % 6);
        const std::size_t at = before.empty() ? 0 : next() % before.size();
        switch (change) {
        case 1:
            before.insert(at, 1, L"0-. ,"[next() % 5]);
            break;
        case 2:
            if (!before.empty())
                before.erase(at, 1);
            break;
        case 3:
            if (!before.empty())
                before[at] = before[at] == L'9' ? L'0' : static_cast<wchar_t>(before[at] + 1);
            break;
        case 4:
            before += L" 1.000,2.000";
            break;
        case 5:
            before = L"";
            break;
        default:
            break;
        }
        CConductor conductor;
        conductor.m_vertices = vertices;
        conductor.SetText(before);
        conductor.WriteAttributes();
        ASSERT_EQ(conductor.GetText(), want) << before;
    }
}

// Numbers with leading zeros read back to the same floats as the written
// form but are not what the writer writes: wherever they stand in a long
// list, the text is rewritten.
TEST_F(BoardAttributesTest, ConductorTextWithLeadingZerosIsRewritten) {
    const std::vector<std::wstring> numbers = {L"1.000",  L"-2.500", L"12.345",   L"0.000",
                                               L"-0.125", L"9.999",  L"123.456",  L"-7.000",
                                               L"4.445",  L"2.700",  L"1000.001", L"5.000"};
    const std::wstring padded[] = {L"0", L"00", L"000"};
    for (std::size_t at = 0; at < numbers.size(); ++at) {
        for (const std::wstring& zeros : padded) {
            std::wstring canonical, variant;
            CConductor conductor;
            for (std::size_t k = 0; k < numbers.size(); k += 2) {
                for (std::size_t j = k; j < k + 2; ++j) {
                    const std::wstring& n = numbers[j];
                    std::wstring changed = n;
                    if (j == at)
                        changed.insert(n[0] == L'-' ? 1 : 0, zeros);
                    const wchar_t* separator = j == k ? (k ? L" " : L"") : L",";
                    canonical += separator + n;
                    variant += separator + changed;
                }
                conductor.m_vertices.push_back(ConductorVertex{
                    static_cast<float>(ParseDouble(numbers[k].c_str(), nullptr)),
                    static_cast<float>(ParseDouble(numbers[k + 1].c_str(), nullptr)), 0.0f,
                    VertexTie()});
            }
            conductor.SetText(variant);
            conductor.WriteAttributes();
            EXPECT_EQ(conductor.GetText(), canonical) << variant;
            // The written form itself is kept as it is.
            conductor.SetText(canonical);
            conductor.WriteAttributes();
            EXPECT_EQ(conductor.GetText(), canonical);
        }
    }
}

TEST_F(BoardAttributesTest, WritersReplaceWhateverTheElementHeld) {
    CConductor conductor;
    ExpectWritesOverAnyAttributes(conductor);
    conductor.m_layer = kLayerBottom;
    conductor.m_width = 0.25f;
    ExpectWritesOverAnyAttributes(conductor);
    CPad pad;
    ExpectWritesOverAnyAttributes(pad);
    pad.m_num = L"A1";
    pad.m_boardPosition = PointF{-4.445f, 2.7f};
    ExpectWritesOverAnyAttributes(pad);
    CFootprint footprint(kPlaceTop);
    ExpectWritesOverAnyAttributes(footprint);
    footprint.m_place = kPlaceBottom;
    footprint.m_fixed = true;
    footprint.m_unit = 2;
    footprint.m_rotation = 90;
    footprint.m_gridX = 0.635f;
    footprint.m_boardPosition = PointF{10, 0};
    ExpectWritesOverAnyAttributes(footprint);
    footprint.m_place = 7; // no row: left out
    ExpectWritesOverAnyAttributes(footprint);
    CPadLayer padLayer;
    ExpectWritesOverAnyAttributes(padLayer);
    padLayer.m_layer = kPadLayerBottom;
    padLayer.m_shape = kPadShapeOblong;
    padLayer.m_width = 0.6f;
    padLayer.m_height = 1.55f;
    ExpectWritesOverAnyAttributes(padLayer);
    CPadstack padstack;
    ExpectWritesOverAnyAttributes(padstack);
    padstack.m_unit = 0;
    padstack.m_gridX = 1.27f;
    padstack.m_noThermal = true;
    ExpectWritesOverAnyAttributes(padstack);
    CBoard board;
    ExpectWritesOverAnyAttributes(board);
    board.CreateDefaultOutline();
    board.m_unit = 2;
    board.m_gridY = 0.5f;
    ExpectWritesOverAnyAttributes(board);
}

TEST_F(BoardAttributesTest, LayerNetOnlyForPlanes) {
    CLayer layer;
    ReadInto(layer, {{L"Type", L"ROUTING"}, {L"Net", L"GND"}}, L"I05");
    EXPECT_EQ(layer.m_id, 6);
    EXPECT_EQ(layer.m_net, L"");
    ReadInto(layer, {{L"Type", L"PLANE"}, {L"Net", L"GND"}}, L"I05");
    EXPECT_EQ(layer.m_net, L"GND");
    layer.m_layerType = kLayerTypeJumper;
    layer.GetAttributes().clear();
    layer.WriteAttributes();
    EXPECT_EQ(layer.GetAttributes(), (Attrs{{L"Type", L"JUMPER"}}));
}

TEST_F(BoardAttributesTest, MarkingTextIsKeptAsReadWithoutParser) {
    // Without a token parser the marking keeps its text untouched.
    const MarkingTokenParser parser = GetMarkingTokenParser();
    SetMarkingTokenParser(nullptr);
    CMarking marking;
    ReadInto(marking, {{L"Layer", L"OLB"}}, L"L0,0,1,1W0.1  RC0,0,2,2W0");
    EXPECT_EQ(marking.m_layer, kLayerPackageOutlineBottom);
    marking.m_layer = kPadLayerInner;
    marking.WriteAttributes();
    EXPECT_EQ(marking.GetAttributes().at(L"Layer"), L"INR");
    EXPECT_EQ(marking.GetText(), L"L0,0,1,1W0.1  RC0,0,2,2W0");
    SetMarkingTokenParser(parser);
}

TEST_F(BoardAttributesTest, ClonedFootprintLiesAtTheOrigin) {
    CFootprint footprint(kPlaceBottom);
    footprint.m_boardPosition = PointF{5, 6};
    footprint.m_rotation = 90;
    footprint.m_fixed = true;
    footprint.SetSelected(true);
    footprint.SetAttribute(L"XY", L"5,6");
    footprint.SetText(L"DIP8");
    auto* padstack = static_cast<CPadstack*>(footprint.AddChild(new CPadstack(L"P")));
    padstack->AddChild(new CPad());
    footprint.AddChild(new CMarking(22));
    std::unique_ptr<CTreeNode> copy(footprint.Clone());
    auto* f = static_cast<CFootprint*>(copy.get());
    EXPECT_FLOAT_EQ(f->m_boardPosition.X, 0);
    EXPECT_FLOAT_EQ(f->m_boardPosition.Y, 0);
    EXPECT_FALSE(f->IsSelected());
    EXPECT_TRUE(f->GetAttributes().empty());
    EXPECT_EQ(f->m_place, kPlaceBottom);
    EXPECT_FLOAT_EQ(f->m_rotation, 90);
    EXPECT_TRUE(f->m_fixed);
    EXPECT_EQ(f->GetText(), L"DIP8");
    ASSERT_EQ(f->GetChildCount(), 2u);
    EXPECT_EQ(f->GetChild(0)->GetParent(), f);
    EXPECT_EQ(f->GetChild(0)->GetChildCount(), 1u);
}

TEST_F(BoardAttributesTest, ClonesDeepCopyTheirOutlines) {
    CArea area;
    ReadInto(area, {{L"Layer", L"TOP"}, {L"Net", L"A"}}, L"LIN0,0 ARC1,0,0.5 CRV1,1,2,2,3,3");
    std::unique_ptr<CTreeNode> copy(area.Clone());
    auto* a = static_cast<CArea*>(copy.get());
    EXPECT_NE(a->m_outline, area.m_outline);
    EXPECT_FALSE(AreAreaOutlinesDifferent(a->m_outline, area.m_outline));
    EXPECT_EQ(a->m_net, L"A");
    EXPECT_EQ(a->GetLayer(), 0);
    // An area that already has an outline keeps it when it reads again.
    CAreaNode* before = area.m_outline;
    area.SetText(L"LIN5,5");
    area.ReadAttributes();
    EXPECT_EQ(area.m_outline, before);
}
