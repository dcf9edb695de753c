// Copper area fill on computed polygons: clearances of foreign pads, vias
// and conductors, thermal reliefs of the area's own pads, checked by area
// and by the points inside and outside the copper.
#include "board/area.h"
#include "board/area_fill.h"
#include "board/board.h"
#include "board/board_properties.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "core/default_settings.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "platform/text.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/pin.h"
#include "tests/board/board_fixture.h"
#include "tests/board/clearance_board.h"
#include "tests/board/geometry_test_util.h"
#include "tests/board/track_distance_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr double kPi = 3.14159265358979;

// Area of {x >= s, y >= s, |p| <= q}.
double CornerOfDisc(double q, double s) {
    if (q * q <= 2 * s * s)
        return 0;
    auto integral = [q](double x) {
        return (x * std::sqrt(q * q - x * x) + q * q * std::asin(x / q)) / 2;
    };
    const double end = std::sqrt(q * q - s * s);
    return integral(end) - integral(s) - s * (end - s);
}

class AreaFillTest : public ::testing::Test {
protected:
    void SetUp() override {
        board = std::make_unique<CBoard>();
        gnd = static_cast<CNet*>(board->AddChild(new CNet(L"GND")));
        sig = static_cast<CNet*>(board->AddChild(new CNet(L"SIG")));
    }

    CArea* AddArea(const wchar_t* outline, const wchar_t* net) {
        auto* area = static_cast<CArea*>(board->AddChild(new CArea()));
        area->m_layer = 0;
        area->m_net = net;
        area->m_outline = ParseAreaOutline(outline, &g_pActiveView);
        return area;
    }

    // A package whose footprint holds one pad of the given shape; the pad is
    // bound to a pin of the net (none for null).
    CPad* AddPad(float x, float y, int shape, float w, float h, CNet* net) {
        auto* package = static_cast<CPackage*>(board->AddChild(new CPackage()));
        auto* pin = static_cast<CPin*>(package->AddChild(new CPin()));
        pin->m_padNames = {L"1"};
        pin->m_pNet = net;
        auto* footprint = static_cast<CFootprint*>(package->AddChild(new CFootprint()));
        footprint->m_boardPosition = PointF{x, y};
        auto* padstack = static_cast<CPadstack*>(footprint->AddChild(new CPadstack(L"P")));
        auto* layer = static_cast<CPadLayer*>(padstack->AddChild(new CPadLayer(kPadLayerTop)));
        layer->m_shape = shape;
        layer->m_width = w;
        layer->m_height = h;
        auto* pad = static_cast<CPad*>(padstack->AddChild(new CPad()));
        pad->m_num = L"1";
        return pad;
    }

    CPadstack* AddVia(CNet* net, float x, float y, float size) {
        auto* via = static_cast<CPadstack*>(net->AddChild(new CPadstack(L"V")));
        auto* layer = static_cast<CPadLayer*>(via->AddChild(new CPadLayer(kPadLayerTop)));
        layer->m_shape = kPadShapeRound;
        layer->m_width = layer->m_height = size;
        auto* pad = static_cast<CPad*>(via->AddChild(new CPad()));
        pad->m_boardPosition = PointF{x, y};
        return via;
    }

    void AddConductor(CNet* net, float width, float x1, float y1, float x2, float y2) {
        auto* conductor = static_cast<CConductor*>(net->AddChild(new CConductor()));
        conductor->m_layer = 0;
        conductor->m_width = width;
        conductor->m_vertices = {ConductorVertex{x1, y1, 0, {}}, ConductorVertex{x2, y2, 0, {}}};
    }

    std::unique_ptr<CBoard> board;
    CNet* gnd = nullptr;
    CNet* sig = nullptr;
};

const wchar_t kRect[] = L"LIN0,0 LIN20,0 LIN20,10 LIN0,10";

TEST_F(AreaFillTest, ForeignPadIsClearedByItsIsolation) {
    CArea* area = AddArea(kRect, L"GND");
    AddPad(5, 5, kPadShapeRound, 1.6f, 1.6f, sig);
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    EXPECT_NEAR(PolygonArea(fill.GetFill()), 200 - kPi * 1.1 * 1.1,
                6e-3); // circles drawn as cubics
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 5, 5));
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 6.05, 5));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 6.15, 5));
}

// A custom pad of another net: the fill keeps the whole isolation from its
// outline, round its corners too, and comes up to it.
TEST_F(AreaFillTest, ForeignCustomPadKeepsTheWholeIsolation) {
    CArea* area = AddArea(kRect, L"GND");
    CPad* pad = AddPad(5, 5, kPadShapeCustom, 0, 0, sig);
    auto* layer = static_cast<CPadLayer*>(pad->GetParent()->GetChild(0));
    layer->m_outline = ParseAreaOutline(L"LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1", &g_pActiveView);
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    const double isolation = 0.3; // the board's default, as for the round pad above
    const CopperBox copper{5, 5, 1, 1};
    double nearest = 1e9;
    for (const CClipContour& c : fill.GetFill().Contours()) {
        const auto& v = c.Vertices();
        for (size_t i = 0; i < v.size(); ++i) {
            const PointF a = v[i], b = v[(i + 1) % v.size()];
            for (int k = 0; k <= 64; ++k) {
                const double t = k / 64.0;
                nearest = std::min(
                    nearest, PointToBox(copper, a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t));
            }
        }
    }
    EXPECT_GE(nearest, isolation - 1e-4);
    EXPECT_LE(nearest, isolation + 1e-3);
    // Beside the corner, 0.28 and 0.35 mm from it.
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 6.2, 6.2));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 6.25, 6.25));
}

TEST_F(AreaFillTest, OwnPadGetsAThermalRelief) {
    CArea* area = AddArea(kRect, L"GND");
    AddPad(15, 5, kPadShapeRound, 1.6f, 1.6f, gnd);
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    const double ring = 4 * (CornerOfDisc(1.1, 0.15) - CornerOfDisc(0.8, 0.15));
    EXPECT_NEAR(PolygonArea(fill.GetFill()), 200 - ring, 8e-3);
    struct Probe {
        double x, y;
        bool copper;
    };
    const double d = 0.95 / std::sqrt(2.0);
    const Probe probes[] = {{15, 5, true},          {15.95, 5, true},       {15, 5.95, true},
                            {14.05, 5, true},       {15, 4.05, true},       {15 + d, 5 + d, false},
                            {15 - d, 5 + d, false}, {15 - d, 5 - d, false}, {15 + d, 5 - d, false},
                            {16.2, 5.5, true}};
    for (const Probe& p : probes)
        EXPECT_EQ(PolygonContains(fill.GetFill(), p.x, p.y), p.copper) << p.x << "," << p.y;

    // No thermal when the area or the padstack asks for solid pads.
    area->m_noThermal = true;
    CAreaFill solid(area, 0.001f);
    solid.Compute();
    EXPECT_NEAR(PolygonArea(solid.GetFill()), 200, 1e-3);
}

TEST_F(AreaFillTest, PadsTakeTheBoardsReliefUnlessTheyHaveTheirOwn) {
    auto* props = static_cast<CBoardProperties*>(board->AddChild(new CBoardProperties()));
    auto* boardRelief = static_cast<CThermalRelief*>(props->AddChild(new CThermalRelief()));
    boardRelief->m_isolation = 0.5f;
    CArea* area = AddArea(kRect, L"GND");
    AddPad(5, 5, kPadShapeRound, 1.6f, 1.6f, sig);
    CPad* own = AddPad(15, 5, kPadShapeRound, 1.6f, 1.6f, sig);
    auto* ownLayer = static_cast<CPadLayer*>(own->GetParent()->GetChild(0));
    auto* ownRelief = static_cast<CThermalRelief*>(ownLayer->AddChild(new CThermalRelief()));
    ownRelief->m_isolation = 0.2f;
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    // The board's isolation around the first pad, the pad's own around the
    // second.
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 6.25, 5));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 6.35, 5));
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 15.95, 5));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 16.05, 5));
}

TEST_F(AreaFillTest, ConductorsAndViasOfOtherNetsAreCleared) {
    CArea* area = AddArea(kRect, L"GND");
    AddConductor(sig, 0.25f, 2, 8, 18, 8);  // cleared by 0.3 beyond its half width
    AddConductor(gnd, 0.25f, 2, 2, 18, 2);  // joins the fill
    AddVia(sig, 10, 5, 0.6f);               // cleared: radius 0.3 + 0.3
    AddVia(gnd, 15, 5, 0.6f);               // joins the fill
    AddConductor(sig, 0.25f, 30, 8, 40, 8); // outside the area: nothing
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    const double track = 16 * 0.85 + kPi * 0.425 * 0.425;
    const double via = kPi * 0.36;
    EXPECT_NEAR(PolygonArea(fill.GetFill()), 200 - track - via, 8e-3);
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 10, 8.4));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 10, 8.45));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 10, 2));
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 10.55, 5));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 10.65, 5));
    EXPECT_TRUE(PolygonContains(fill.GetFill(), 15, 5));
}

TEST_F(AreaFillTest, AreaWithoutNetClearsEveryNet) {
    CArea* area = AddArea(kRect, L"");
    AddPad(15, 5, kPadShapeRound, 1.6f, 1.6f, gnd);
    AddVia(gnd, 5, 5, 0.6f);
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    EXPECT_NEAR(PolygonArea(fill.GetFill()), 200 - kPi * 1.21 - kPi * 0.36, 8e-3);
}

// A pad larger than a narrow area, whose bounding corners all lie outside
// it, still keeps its clearance in the copper.
TEST_F(AreaFillTest, PadLargerThanANarrowAreaIsCleared) {
    CArea* area = AddArea(L"LIN0,4.8 LIN20,4.8 LIN20,5.2 LIN0,5.2", L"GND");
    AddPad(10, 5, kPadShapeRect, 3, 3, sig);
    AddPad(0, 5, kPadShapeRound, 1.6f, 1.6f, sig); // straddles the left edge
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 10, 5));
    EXPECT_FALSE(PolygonContains(fill.GetFill(), 0.5, 5));
    // 8 less the rectangle's 3.6 x 0.4 and the right half of the disc
    // between y = 4.8 and 5.2.
    const double slice = 0.2 * std::sqrt(1.21 - 0.04) + 1.21 * std::asin(0.2 / 1.1);
    EXPECT_NEAR(PolygonArea(fill.GetFill()), 8 - 1.44 - slice, 2e-3);
}

// Pads wholly inside an L-shaped area, across its edge and in its notch
// (inside its bounds, outside the area): the copper keeps clear of the
// first two and loses nothing to the third, and each of its contours runs
// the way its hole flag says (holes the other way from outer contours).
TEST_F(AreaFillTest, PadsInsideAcrossAndOutsideAConcaveArea) {
    CArea* area = AddArea(L"LIN0,0 LIN20,0 LIN20,10 LIN10,10 LIN10,20 LIN0,20", L"GND");
    AddPad(5, 5, kPadShapeRect, 1.4f, 1.4f, sig);
    AddPad(5, 15, kPadShapeRect, 1.4f, 1.4f, sig);
    AddPad(15, 15, kPadShapeRect, 1.4f, 1.4f, sig);
    AddPad(20, 5, kPadShapeRect, 1.4f, 1.4f, sig);
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    const CClipPolygon& copper = fill.GetFill();
    EXPECT_NEAR(PolygonArea(copper), 300 - 4 - 4 - 2, 1e-3);
    EXPECT_EQ(copper.GetContourCount(), 3);
    double flagged = 0;
    for (int i = 0; i < copper.GetContourCount(); ++i) {
        const auto& v = copper.GetContour(i).Vertices();
        double twice = 0;
        for (size_t k = 0; k < v.size(); ++k)
            twice +=
                double(v[k].X) * v[(k + 1) % v.size()].Y - double(v[(k + 1) % v.size()].X) * v[k].Y;
        EXPECT_EQ(twice > 0, copper.GetHoleFlag(i) == 1) << "contour " << i;
        flagged += copper.GetHoleFlag(i) ? -std::fabs(twice / 2) : std::fabs(twice / 2);
    }
    EXPECT_NEAR(flagged, 290, 1e-3);
    EXPECT_FALSE(PolygonContains(copper, 5, 5));
    EXPECT_FALSE(PolygonContains(copper, 5, 15));
    EXPECT_TRUE(PolygonContains(copper, 6.1, 5));
    EXPECT_FALSE(PolygonContains(copper, 19.5, 5));
    EXPECT_TRUE(PolygonContains(copper, 18.9, 5));
}

TEST_F(AreaFillTest, OnlyPackageFootprintsAndTheAreasLayer) {
    CArea* area = AddArea(kRect, L"GND");
    CPad* pad = AddPad(5, 5, kPadShapeRound, 1.6f, 1.6f, sig);
    pad->GetPadstack()->FindPadLayer(kPadLayerTop)->m_layer = kPadLayerBottom;
    AddConductor(sig, 0.25f, 2, 8, 18, 8);
    static_cast<CConductor*>(sig->GetChildren().back())->m_layer = 1;
    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    EXPECT_NEAR(PolygonArea(fill.GetFill()), 200, 1e-3);
    area->m_layer = -1;
    EXPECT_FALSE(fill.Compute());
    EXPECT_TRUE(fill.GetFill().IsEmpty());
}

// Two areas on one layer: the later among the board's children (drawn over
// the other) keeps its copper; the earlier one, when of another net or
// either without one, keeps the board's isolation from the later one's
// outline, also where that outline only comes near. Areas of one net, and
// areas on different layers, overlap as they are.
TEST_F(AreaFillTest, EarlierAreaOfAnotherNetIsClearedAroundTheLaterOne) {
    struct Case {
        const char* what;
        const wchar_t* earlierNet;
        const wchar_t* laterNet;
        int laterLayer;
        CopperBox later; // centre and half sizes
        float isolation; // of the board; 0: none given (0.3)
        double cleared;  // area taken from the earlier one's copper
    };
    // The 6 x 4 rectangle grown by the isolation, with round corners.
    const double grown3 = 6.6 * 4.6 - (4 - kPi) * 0.09, grown5 = 7 * 5 - (4 - kPi) * 0.25;
    // Beside the earlier one's edge at x = 20: a strip 0.1 wide along the
    // rectangle and twice the part of a corner's disc of radius 0.3 between
    // 0.2 and 0.3 from its centre.
    const double strip = 0.4 + 2 * 0.0154874;
    const Case cases[] = {
        {"another net", L"GND", L"SIG", 0, {11, 5, 3, 2}, 0, grown3},
        {"the board's own isolation", L"GND", L"SIG", 0, {11, 5, 3, 2}, 0.5f, grown5},
        {"the later one without a net", L"GND", L"", 0, {11, 5, 3, 2}, 0, grown3},
        {"the earlier one without a net", L"", L"SIG", 0, {11, 5, 3, 2}, 0, grown3},
        {"neither with a net", L"", L"", 0, {11, 5, 3, 2}, 0, grown3},
        {"beside it within the isolation", L"GND", L"SIG", 0, {22.6, 5, 2.4, 2}, 0, strip},
        {"one net", L"GND", L"GND", 0, {11, 5, 3, 2}, 0, 0},
        {"another layer", L"GND", L"SIG", 1, {11, 5, 3, 2}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.isolation > 0) {
            auto* props = static_cast<CBoardProperties*>(board->AddChild(new CBoardProperties()));
            static_cast<CThermalRelief*>(props->AddChild(new CThermalRelief()))->m_isolation =
                c.isolation;
        }
        const double iso = c.isolation > 0 ? c.isolation : 0.3;
        CArea* earlier = AddArea(kRect, c.earlierNet);
        const CopperBox& b = c.later;
        const std::wstring outline =
            StrPrintf(L"LIN%g,%g LIN%g,%g LIN%g,%g LIN%g,%g", b.x - b.hw, b.y - b.hh, b.x + b.hw,
                      b.y - b.hh, b.x + b.hw, b.y + b.hh, b.x - b.hw, b.y + b.hh);
        CArea* later = AddArea(outline.c_str(), c.laterNet);
        later->m_layer = c.laterLayer;
        CAreaFill under(earlier, 0.001f), over(later, 0.001f);
        ASSERT_TRUE(under.Compute());
        ASSERT_TRUE(over.Compute());
        EXPECT_NEAR(PolygonArea(over.GetFill()), 4 * b.hw * b.hh, 1e-3);
        EXPECT_NEAR(PolygonArea(under.GetFill()), 200 - c.cleared, 4e-3);
        if (c.cleared == 0)
            continue;
        const double gap = BoxToPolygonDistance(b, under.GetFill());
        EXPECT_GE(gap, iso - 1e-4);
        EXPECT_LE(gap, iso + 1e-3 + 1e-4) << "the copper comes up to the clearance";
    }

    // A small area first and a large one of another net over it: the small
    // one has no copper left.
    SetUp();
    CArea* small = AddArea(L"LIN8,3 LIN14,3 LIN14,7 LIN8,7", L"SIG");
    CArea* large = AddArea(kRect, L"GND");
    CAreaFill under(small, 0.001f), over(large, 0.001f);
    ASSERT_TRUE(under.Compute());
    ASSERT_TRUE(over.Compute());
    EXPECT_TRUE(under.GetFill().IsEmpty());
    EXPECT_NEAR(PolygonArea(over.GetFill()), 200, 1e-3);
}

} // namespace

namespace {

// A track of another net with rounded 45- and 90-degree bends inside the
// area: the fill, as computed and as drawn on screen, keeps the board's
// isolation from the track's copper all along the bends.
TEST_F(AreaFillTest, RoundedCornersKeepTheirClearance) {
    auto* props = static_cast<CBoardProperties*>(board->AddChild(new CBoardProperties()));
    static_cast<CThermalRelief*>(props->AddChild(new CThermalRelief()))->m_isolation = 0.35f;
    CArea* area = AddArea(L"LIN2,2 LIN38,2 LIN38,28 LIN2,28", L"GND");
    const std::vector<std::array<double, 3>> vertices = {
        {5, 5, 0}, {15, 5, 3.6}, {22, 12, 3.6}, {30, 12, 2}, {30, 25, 0}};
    auto* conductor = static_cast<CConductor*>(sig->AddChild(new CConductor()));
    conductor->m_layer = 0;
    conductor->m_width = 0.3f;
    for (const auto& v : vertices)
        conductor->m_vertices.push_back(ConductorVertex{float(v[0]), float(v[1]), float(v[2]), {}});
    const std::vector<TrackPiece> track = RoundedTrack(vertices);

    CAreaFill fill(area, 0.001f);
    ASSERT_TRUE(fill.Compute());
    // The clearance's arcs are flattened within 0.001.
    const double gap = TrackToPolygonDistance(track, fill.GetFill(), 0.01) - 0.15;
    EXPECT_GE(gap, 0.35 - 0.0012);
    EXPECT_LE(gap, 0.35 + 0.0012) << "the copper comes up to the clearance";

    // Drawn at 25 pixels per millimetre over the part with the bends. A
    // pixel the fill touches at all counts as copper: its centre may lie up
    // to a pixel's diagonal outside the fill's edge.
    const int k = 25;
    const double left = 3, top = 28;
    const int width = 30 * k, height = 26 * k;
    const ARGB background = 0xFF000000;
    auto target = PaintTarget::CreateImage(width, height, background);
    {
        Graphics g(target.get());
        g.ScaleTransform(float(k), -float(k));
        g.TranslateTransform(-float(left), -float(top));
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        area->DrawOnBoard(&g, 0x80000);
        g.Flush();
    }
    double nearest = std::numeric_limits<double>::infinity();
    int copper = 0;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            if (target->PixelAt(i, j) != background) {
                ++copper;
                nearest = std::min(
                    nearest, DistanceToTrack(track, left + (i + 0.5) / k, top - (j + 0.5) / k));
            }
    EXPECT_GT(copper, width * height / 2);
    EXPECT_GE(nearest - 0.15, 0.35 - 0.001 - std::sqrt(2.0) / k);
}

// The drawn copper is kept from one drawing to the next; every change of
// what cuts into the area (the board's isolation, a pad's turn and an area
// of another net drawn over it among them) changes the key of the fill and
// moves the holes of the next drawing.
TEST_F(AreaFillTest, TheDrawnCopperFollowsEveryChangeOfWhatCutsIntoIt) {
    CArea* area = AddArea(kRect, L"GND");
    CPad* pad = AddPad(5, 5, kPadShapeRound, 1.6f, 1.6f, sig);
    auto* padLayer = static_cast<CPadLayer*>(pad->GetParent()->GetChild(0));
    auto* footprint = static_cast<CFootprint*>(pad->GetParent()->GetParent());
    AddConductor(sig, 0.3f, 2, 2, 8, 2);
    auto* track = static_cast<CConductor*>(sig->GetChild(sig->GetChildCount() - 1));
    const int k = 20; // pixels per millimetre, y up
    const ARGB background = 0xFF000000;
    const ARGB copper = ColorRefToArgb(g_DefaultSettings.layerColors[0], 0xFF);
    auto target = PaintTarget::CreateImage(20 * k, 10 * k, background);
    const float gap = 1.65f / std::sqrt(2.0f); // in a gap of the thermal of a 3 mm pad
    CFootprint* oblong = nullptr;
    CArea* over = nullptr;
    struct Step {
        const char* what;
        std::function<void()> edit;
        std::vector<std::array<float, 2>> copper, cleared;
    };
    const Step steps[] = {
        {"first drawing", [] {}, {{15, 5}, {5, 3.5f}}, {{5, 5}, {5, 2}}},
        {"footprint moved",
         [&] {
             footprint->m_boardPosition = PointF{15, 5};
         },
         {{5, 5}},
         {{15, 5}}},
        {"track moved",
         [&] { track->m_vertices[0].y = track->m_vertices[1].y = 8; },
         {{5, 2}, {5, 8.7f}},
         {{5, 8}}},
        {"track widened", [&] { track->m_width = 1.6f; }, {{5, 9.5f}}, {{5, 8.7f}}},
        {"pad enlarged",
         [&] { padLayer->m_width = padLayer->m_height = 3; },
         {{17.2f, 5}},
         {{16.5f, 5}}},
        {"area of the track's and the pad's net",
         [&] { area->m_net = L"SIG"; },
         {{5, 8}, {15, 5}, {16.65f, 5}},
         {{15 + gap, 5 + gap}}},
        {"solid pads", [&] { area->m_noThermal = true; }, {{15 + gap, 5 + gap}}, {}},
        {"outline",
         [&] {
             DeleteAreaOutline(area->m_outline);
             area->m_outline = ParseAreaOutline(L"LIN0,0 LIN10,0 LIN10,10 LIN0,10", &g_pActiveView);
         },
         {{5, 5}},
         {{15, 5}}},
        // Cleared 0.2 + 0.3 around y = 2.
        {"track of another net",
         [&] { AddConductor(gnd, 0.4f, 1, 2, 9, 2); },
         {{5, 2.8f}},
         {{5, 2.3f}}},
        {"board's isolation",
         [&] {
             auto* props = static_cast<CBoardProperties*>(board->AddChild(new CBoardProperties()));
             static_cast<CThermalRelief*>(props->AddChild(new CThermalRelief()))->m_isolation =
                 0.8f;
         },
         {{5, 3.3f}},
         {{5, 2.8f}}},
        // 3 by 1 and 0.8 around it.
        {"oblong pad of another net",
         [&] {
             oblong = static_cast<CFootprint*>(
                 AddPad(5, 6.5f, kPadShapeRect, 3, 1, gnd)->GetParent()->GetParent());
         },
         {{5, 8.2f}},
         {{7, 6.5f}}},
        {"footprint turned", [&] { oblong->m_rotation = 90; }, {{7, 6.5f}}, {{5, 8.2f}}},
        // Cleared 0.8 around it, within the area and out of it.
        {"area of another net over it",
         [&] { over = AddArea(L"LIN7,3.5 LIN9.5,3.5 LIN9.5,6 LIN7,6", L"GND"); },
         {{8, 7}},
         {{8, 4.5f}, {6.5f, 4.5f}}},
        {"that area moved",
         [&] {
             DeleteAreaOutline(over->m_outline);
             over->m_outline =
                 ParseAreaOutline(L"LIN7,5 LIN9.5,5 LIN9.5,7.5 LIN7,7.5", &g_pActiveView);
         },
         {{8, 3.6f}},
         {{8, 7}}},
        {"that area of the area's net", [&] { over->m_net = L"SIG"; }, {{8, 7}, {8, 6}}, {}},
        {"that area without a net", [&] { over->m_net.clear(); }, {}, {{8, 7}}},
        {"that area on another layer", [&] { over->m_layer = 1; }, {{8, 7}}, {}},
        {"that area back on the layer", [&] { over->m_layer = 0; }, {}, {{8, 7}}},
        {"that area before the area",
         [&] {
             over->RemoveFromParent();
             board->InsertChildAt(static_cast<size_t>(area->GetIndexInParent()), over);
         },
         {{8, 7}},
         {}},
    };
    uint64_t key = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.edit();
        CAreaFill fill(area);
        ASSERT_TRUE(fill.Gather());
        EXPECT_NE(fill.GetInputKey(), key);
        key = fill.GetInputKey();
        target->Fill(background);
        {
            Graphics g(target.get());
            g.ScaleTransform(float(k), -float(k));
            g.TranslateTransform(0, -10);
            area->DrawOnBoard(&g, 0x80000);
            g.Flush();
        }
        auto pixel = [&](const std::array<float, 2>& p) {
            return target->PixelAt(static_cast<int>(p[0] * k), static_cast<int>((10 - p[1]) * k));
        };
        for (const auto& p : step.copper)
            EXPECT_EQ(pixel(p), copper) << p[0] << "," << p[1];
        for (const auto& p : step.cleared)
            EXPECT_EQ(pixel(p), background) << p[0] << "," << p[1];
    }
}

class AreaFillBoardTest : public BoardFixture {};

// An area among copper of other nets of every kind: its fill keeps the
// whole isolation from each shape, measured to the true shape, at the
// drawing's flatness and at a fine one, and comes up to it within the
// flatness; the area's own pads keep their copper inside their thermals.
TEST_F(AreaFillBoardTest, FillKeepsTheIsolationFromTheTrueShapes) {
    CRoot root;
    ASSERT_TRUE(LoadText(root, kClearanceBoard));
    BuildBoardNetsInTree(&root);
    ASSERT_EQ(root.GetChildren().size(), 1u);
    CArea* area = nullptr;
    for (CTreeNode* c : root.GetChildren()[0]->GetChildren())
        if (c->GetType() == NodeType::Area)
            area = static_cast<CArea*>(c);
    ASSERT_NE(area, nullptr);
    const ForeignCopper foreign = ClearanceBoardForeignCopper();
    for (float flatness : {0.01f, 0.025f, 0.001f}) {
        CAreaFill fill(area, flatness);
        ASSERT_TRUE(fill.Compute());
        for (const ShapeGap& g : GapsToForeignCopper(fill.GetFill(), foreign)) {
            EXPECT_GE(g.gap, kClearanceIsolation - 1e-4) << flatness << ": " << g.what;
            const double reach = g.flattened ? flatness : CConductor::kOutlineFlatness;
            EXPECT_LE(g.gap, kClearanceIsolation + reach + 1e-4) << flatness << ": " << g.what;
        }
        // DIP pin 4, the resistor's pad 1 and the connector's pad 2 are GND;
        // the connector's pad 1 is not.
        EXPECT_TRUE(PolygonContains(fill.GetFill(), 12 - 3.81, 20 - 3.81));
        EXPECT_TRUE(PolygonContains(fill.GetFill(), 29.05, 26));
        EXPECT_TRUE(PolygonContains(fill.GetFill(), 40.54, 20));
        EXPECT_FALSE(PolygonContains(fill.GetFill(), 38, 20));
    }
}

} // namespace
