// Mapping, state and recording of the sheet-side device context. Numbers are
// worked out by hand from device = (logical - windowOrg) * viewportExt /
// windowExt + viewportOrg, rounded half away from zero.
#include "platform/dc_recorder.h"
#include "platform/device_context.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The sheet mapping a schematic view sets up before drawing: 0.01 mm units
// with y up, the scale of MM_HIMETRIC times the zoom, the sheet's top edge at
// the top of the client area, the model origin moved by the scroll offset.
void PrepareSheetDc(DeviceContext& dc, int factor, bool multiply, int sheetHeight,
                    POINT scroll = {}) {
    dc.SetMapMode(MM_HIMETRIC);
    const SIZE w = dc.GetWindowExt();
    const SIZE v = dc.GetViewportExt();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(w.cx, w.cx);
    const int e = multiply ? v.cx * factor : v.cx / factor;
    dc.SetViewportExt(e, -e);
    dc.SetWindowOrg(0, sheetHeight);
    dc.SetViewportOrg(scroll.x, scroll.y);
}

struct SheetCase {
    int factor;
    bool multiply;
    POINT logical;
    POINT device;
};

// A4 upright, 210 x 297 mm = 21000 x 29700 units, at 96 dpi on a client
// area 960 pixels wide: MM_HIMETRIC maps its 25400 units onto 960 pixels;
// zoom 2 makes that 1920, zoom 1/2 480.
const SheetCase kSheetCases[] = {
    // zoom 1: x = 21000 * 960 / 25400 = 793.70 -> 794;
    //         y = (0 - 29700) * -960 / 25400 = 1122.52 -> 1123
    {1, true, {0, 29700}, {0, 0}},          {1, true, {21000, 0}, {794, 1123}},
    {1, true, {10500, 14850}, {397, 561}},  // 396.85, 561.26
    {1, true, {250, 29450}, {9, 9}},        // one grid step: 9.45
    {1, true, {-250, 29950}, {-9, -9}},     // outside the sheet, rounded away from 0
    {2, true, {21000, 0}, {1587, 2245}},    // 1587.40, 2245.04
    {2, true, {10500, 14850}, {794, 1123}}, // 793.70, 1122.52
    {2, false, {21000, 0}, {397, 561}},     // 396.85, 561.26
    {2, false, {10500, 14850}, {198, 281}}, // 198.43, 280.63
};

TEST(DeviceContextMapping, SheetMappingAtZoomOneTwoAndHalf) {
    DeviceContext dc(960, 1200);
    for (const SheetCase& c : kSheetCases) {
        PrepareSheetDc(dc, c.factor, c.multiply, 29700);
        POINT p = c.logical;
        dc.LPtoDP(&p, 1);
        EXPECT_EQ(p, c.device) << "zoom " << (c.multiply ? "x" : "/") << c.factor << " point "
                               << c.logical.x << "," << c.logical.y;
        // The scroll offset moves every point by itself.
        PrepareSheetDc(dc, c.factor, c.multiply, 29700, {20, -30});
        p = c.logical;
        dc.LPtoDP(&p, 1);
        EXPECT_EQ(p, (POINT{c.device.x + 20, c.device.y - 30}));
    }
}

TEST(DeviceContextMapping, SheetMappingExtentsAsTheViewReadsThem) {
    DeviceContext dc(960, 600);
    dc.SetMapMode(MM_HIMETRIC);
    EXPECT_EQ(dc.GetWindowExt().cx, 25400);
    EXPECT_EQ(dc.GetWindowExt().cy, 15875);
    EXPECT_EQ(dc.GetViewportExt().cx, 960);
    EXPECT_EQ(dc.GetViewportExt().cy, -600);
    PrepareSheetDc(dc, 4, true, 29700);
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.GetWindowExt().cy, 25400);
    EXPECT_EQ(dc.GetViewportExt().cx, 3840);
    EXPECT_EQ(dc.GetViewportExt().cy, -3840);
    EXPECT_EQ(dc.GetWindowOrg(), (POINT{0, 29700}));
}

TEST(DeviceContextMapping, HimetricAt96And600Dpi) {
    DeviceContext screen(1000, 500, 96, 96); // 26458 x 13229 units
    EXPECT_EQ(screen.SetMapMode(MM_HIMETRIC), MM_TEXT);
    // One inch (2540 units) is 96 pixels; y grows upward.
    POINT pts[] = {{2540, 2540}, {100, -100}, {0, 0}, {-2540, 1270}};
    screen.LPtoDP(pts, 4);
    EXPECT_EQ(pts[0], (POINT{96, -96}));
    EXPECT_EQ(pts[1], (POINT{4, 4})); // 3.78
    EXPECT_EQ(pts[2], (POINT{0, 0}));
    EXPECT_EQ(pts[3], (POINT{-96, -48}));

    DeviceContext printer(4960, 7016, 600, 600);
    printer.SetMapMode(MM_HIMETRIC);
    EXPECT_EQ(printer.GetWindowExt().cx, 20997); // 20997.33
    EXPECT_EQ(printer.GetWindowExt().cy, 29701); // 29701.07
    POINT q{21000, -29700};                      // 21000 * 4960 / 20997 = 4960.71, 7015.76
    printer.LPtoDP(&q, 1);
    EXPECT_EQ(q, (POINT{4961, 7016}));
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(printer.GetDeviceCaps(HORZRES), 4960);
    EXPECT_EQ(printer.GetDeviceCaps(HORZSIZE), 210); // 209.97 mm
    EXPECT_EQ(printer.GetDeviceCaps(VERTSIZE), 297);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 4960);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 0);
}

// The printer mapping of a schematic: an A4 sheet less 10 mm each way
// (20000 x 28700 units) on a page printable 8 x 11 inches at 600 dpi
// (4800 x 6600 pixels, 20320 x 27940 units).
TEST(DeviceContextMapping, PrinterMappingFitsThePrintExtentToThePageWidth) {
    DeviceContext dc(4800, 6600, 600, 600);
    const int W = 21000, H = 29700, cx = 20000, cy = 28700;
    for (bool fit : {true, false}) {
        dc.SetMapMode(MM_HIMETRIC);
        const SIZE we = dc.GetWindowExt();
        const SIZE ve = dc.GetViewportExt();
        EXPECT_EQ(we.cx, 20320);
        EXPECT_EQ(ve.cx, 4800);
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExt(we.cx, we.cx);
        const int v = fit ? ve.cx * we.cx / cx : ve.cx; // 4876 when fitting
        dc.SetViewportExt(v, -v);
        dc.SetWindowOrg((W - cx) / 2, H - (H - cy) / 2);
        POINT p[] = {{500, 29200}, {20500, 29200}, {3040, 26660}};
        dc.LPtoDP(p, 3);
        EXPECT_EQ(p[0], (POINT{0, 0}));
        if (fit) {
            EXPECT_EQ(p[1].x, 4799); // 20000 * 4876 / 20320 = 4799.2: the page width
        } else {
            EXPECT_EQ(p[1].x, 4724);            // 200 mm at 600 dpi = 4724.4
            EXPECT_EQ(p[2], (POINT{600, 600})); // one inch in, one inch down
        }
    }
}

TEST(DeviceContextMapping, HalvesRoundAwayFromZero) {
    DeviceContext dc(100, 100);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(10, 10);
    dc.SetViewportExt(5, -5);
    struct {
        POINT in, out;
    } cases[] = {
        {{1, 1}, {1, -1}},   // 0.5 -> 1, -0.5 -> -1
        {{-1, -1}, {-1, 1}}, // -0.5 -> -1, 0.5 -> 1
        {{3, -3}, {2, 2}},   // 1.5 -> 2
        {{-3, 3}, {-2, -2}}, // -1.5 -> -2
        {{-4, 4}, {-2, -2}}, // exact
        {{-6, 0}, {-3, 0}},
    };
    for (const auto& c : cases) {
        POINT p = c.in;
        dc.LPtoDP(&p, 1);
        EXPECT_EQ(p, c.out) << c.in.x << "," << c.in.y;
    }
    // And back: device -3 is logical -6, device 1 is -2 on y.
    POINT d{-3, 1};
    dc.DPtoLP(&d, 1);
    EXPECT_EQ(d, (POINT{-6, -2}));
    // Device to logical rounds halves away from zero too.
    dc.SetWindowExt(5, 5);
    dc.SetViewportExt(10, 10);
    POINT e[] = {{1, -1}, {-3, 3}};
    dc.DPtoLP(e, 2);
    EXPECT_EQ(e[0], (POINT{1, -1}));
    EXPECT_EQ(e[1], (POINT{-2, 2}));
}

TEST(DeviceContextMapping, RoundTripsAndRectangles) {
    DeviceContext dc(960, 1000);
    PrepareSheetDc(dc, 1, true, 29700, {20, 20});
    // Every device pixel spans 26.46 units: device -> logical -> device is
    // exact, logical -> device -> logical is within half a pixel's span.
    for (int d = -60; d <= 60; ++d) {
        POINT p{d, -d};
        dc.DPtoLP(&p, 1);
        dc.LPtoDP(&p, 1);
        EXPECT_EQ(p, (POINT{d, -d}));
    }
    for (int l = -2000; l <= 2000; l += 37) {
        POINT p{l, 29700 - l};
        dc.LPtoDP(&p, 1);
        dc.DPtoLP(&p, 1);
        EXPECT_LE(std::abs(p.x - l), 14);
        EXPECT_LE(std::abs(p.y - (29700 - l)), 14);
    }
    // Rectangles convert corner by corner without reordering.
    RECT r{0, 29700, 21000, 0};
    dc.LPtoDP(&r);
    EXPECT_EQ(r, (RECT{20, 20, 814, 1143}));
    dc.DPtoLP(&r);
    EXPECT_LE(std::abs(r.right - 21000), 14);
    EXPECT_LE(std::abs(r.bottom), 14);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 29700);
}

TEST(DeviceContextMapping, ExtentsOnlyInAnisotropicAndNeverZero) {
    DeviceContext dc(100, 100);
    SIZE old{};
    EXPECT_FALSE(dc.SetWindowExt(5, 5, &old)); // MM_TEXT keeps 1:1
    EXPECT_EQ(old.cx, 1);
    dc.SetMapMode(MM_HIMETRIC);
    EXPECT_FALSE(dc.SetViewportExt(1, 1));
    dc.SetMapMode(MM_ANISOTROPIC); // keeps the extents of MM_HIMETRIC
    EXPECT_EQ(dc.GetViewportExt().cx, 100);
    EXPECT_EQ(dc.GetWindowExt().cx, 2646); // 100 pixels = 2645.8 units
    EXPECT_FALSE(dc.SetViewportExt(0, -5));
    EXPECT_EQ(dc.GetViewportExt().cx, 100);
    EXPECT_EQ(dc.SetMapMode(12345), 0);
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    dc.SetMapMode(MM_TEXT);
    POINT p{7, -3};
    dc.LPtoDP(&p, 1);
    EXPECT_EQ(p, (POINT{7, -3}));
    POINT prev{};
    dc.SetViewportOrg(10, 10);
    dc.OffsetViewportOrg(5, -2, &prev);
    EXPECT_EQ(prev, (POINT{10, 10}));
    EXPECT_EQ(dc.GetViewportOrg(), (POINT{15, 8}));
    dc.OffsetWindowOrg(3, 3);
    p = {3, 3};
    dc.LPtoDP(&p, 1);
    EXPECT_EQ(p, (POINT{15, 8}));
}

// Isotropic mapping: the axis with the larger scale is shrunk to the other,
// signs kept, whichever extent is set last; unequal resolutions count.
TEST(DeviceContextMapping, IsotropicKeepsOneScale) {
    DeviceContext dc(300, 200);
    EXPECT_EQ(dc.SetMapMode(MM_ISOTROPIC), MM_TEXT);
    ASSERT_TRUE(dc.SetWindowExt(1760, 1760));
    ASSERT_TRUE(dc.SetViewportExt(300, -200));
    EXPECT_EQ(dc.GetViewportExt().cx, 200);
    EXPECT_EQ(dc.GetViewportExt().cy, -200);
    dc.SetViewportOrg(150, 100);
    POINT p[2] = {{880, 880}, {-440, 0}};
    dc.LPtoDP(p, 2);
    EXPECT_EQ(p[0], (POINT{250, 0}));
    EXPECT_EQ(p[1], (POINT{100, 100}));
    // A tall viewport gives up height instead; a later window extent
    // adjusts again.
    ASSERT_TRUE(dc.SetViewportExt(-100, 400));
    EXPECT_EQ(dc.GetViewportExt().cx, -100);
    EXPECT_EQ(dc.GetViewportExt().cy, 100);
    ASSERT_TRUE(dc.SetWindowExt(100, 50));
    EXPECT_EQ(dc.GetViewportExt().cx, -100);
    EXPECT_EQ(dc.GetViewportExt().cy, 50);
    EXPECT_FALSE(dc.SetWindowExt(0, 10));

    // Twice the resolution across: twice the pixels across for one unit.
    DeviceContext wide(400, 200, 192, 96);
    wide.SetMapMode(MM_ISOTROPIC);
    wide.SetWindowExt(1000, 1000);
    wide.SetViewportExt(400, -200);
    EXPECT_EQ(wide.GetViewportExt().cx, 400);
    EXPECT_EQ(wide.GetViewportExt().cy, -200);
    wide.SetViewportExt(300, -200);
    EXPECT_EQ(wide.GetViewportExt().cx, 300);
    EXPECT_EQ(wide.GetViewportExt().cy, -150);
}

// --- State -------------------------------------------------------------------

TEST(DeviceContextState, SelectReturnsThePreviousObject) {
    DeviceContext dc(10, 10);
    GdiPen red = CreatePen(PS_SOLID, 25, 0x0000FF);
    GdiPen old = dc.SelectPen(red);
    EXPECT_EQ(old, GetStockPen(BLACK_PEN));
    EXPECT_EQ(dc.SelectPen(old), red);
    GdiBrush oldBrush = dc.SelectBrush(GetStockBrush(HOLLOW_BRUSH));
    EXPECT_EQ(oldBrush, GetStockBrush(WHITE_BRUSH));
    EXPECT_TRUE(dc.GetBrush().IsNull());
    LogFont f;
    f.lfHeight = -250;
    f.lfFaceName = L"Arial";
    LogFont oldFont = dc.SelectFont(f);
    EXPECT_EQ(oldFont.lfHeight, 0);
    EXPECT_EQ(dc.GetFont(), f);
    EXPECT_EQ(dc.SetTextColor(0x123456), 0u);
    EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(dc.SetBkMode(99), 0);
    EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(dc.SetTextAlign(TA_CENTER | TA_BASELINE), TA_LEFT | TA_TOP);
    EXPECT_EQ(dc.MoveTo(4, 5), (POINT{0, 0}));
    EXPECT_EQ(dc.GetCurrentPosition(), (POINT{4, 5}));
    // A styled CreatePen keeps only its dash style.
    EXPECT_EQ(CreatePen(PS_DOT | PS_GEOMETRIC, 0, 0).style, PS_DOT);
}

TEST(DeviceContextState, SaveAndRestoreTheWholeState) {
    DeviceContext dc(960, 400);
    PrepareSheetDc(dc, 1, true, 29700, {5, 5});
    const GdiPen penA = CreatePen(PS_SOLID, 30, 0x00FF00);
    const GdiBrush brushA = CreateSolidBrush(0xFF0000);
    LogFont fontA;
    fontA.lfHeight = -250;
    dc.SelectPen(penA);
    dc.SelectBrush(brushA);
    dc.SelectFont(fontA);
    dc.SetTextColor(0x010203);
    dc.SetBkColor(0x040506);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    dc.SetPolyFillMode(WINDING);
    dc.MoveTo(100, 200);
    dc.IntersectClipRect(0, 29700, 10000, 20000);
    RECT clipA{};
    dc.GetClipBox(&clipA);
    EXPECT_EQ(dc.SaveDC(), 1);

    // Change everything.
    PrepareSheetDc(dc, 2, false, 42000, {0, 0});
    dc.SelectPen(CreatePen(PS_DOT, 0, 0x0000FF));
    dc.SelectBrush(GetStockBrush(NULL_BRUSH));
    LogFont fontB;
    fontB.lfHeight = 300;
    fontB.lfEscapement = 900;
    dc.SelectFont(fontB);
    dc.SetTextColor(0xFFFFFF);
    dc.SetBkColor(0);
    dc.SetBkMode(OPAQUE);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetPolyFillMode(ALTERNATE);
    dc.MoveTo(1, 1);
    dc.SelectClipRect(nullptr);
    EXPECT_EQ(dc.SaveDC(), 2);
    dc.SetMapMode(MM_TEXT);
    dc.ExcludeClipRect(0, 0, 10, 10);

    EXPECT_TRUE(dc.RestoreDC(-1)); // back to the second save
    EXPECT_EQ(dc.GetViewportExt().cx, 480);
    EXPECT_EQ(dc.GetWindowOrg().y, 42000);
    EXPECT_EQ(dc.GetFont().lfEscapement, 900);
    RECT whole{};
    dc.GetClipBox(&whole);
    EXPECT_EQ(whole.left, 0);

    EXPECT_TRUE(dc.RestoreDC(1));
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.GetViewportExt().cx, 960);
    EXPECT_EQ(dc.GetViewportExt().cy, -960);
    EXPECT_EQ(dc.GetWindowOrg(), (POINT{0, 29700}));
    EXPECT_EQ(dc.GetViewportOrg(), (POINT{5, 5}));
    EXPECT_EQ(dc.GetPen(), penA);
    EXPECT_EQ(dc.GetBrush(), brushA);
    EXPECT_EQ(dc.GetFont(), fontA);
    EXPECT_EQ(dc.GetTextColor(), 0x010203u);
    EXPECT_EQ(dc.GetBkColor(), 0x040506u);
    EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(dc.GetTextAlign(), TA_RIGHT | TA_BOTTOM);
    EXPECT_EQ(dc.GetPolyFillMode(), WINDING);
    EXPECT_EQ(dc.GetCurrentPosition(), (POINT{100, 200}));
    RECT clip{};
    EXPECT_EQ(dc.GetClipBox(&clip), SIMPLEREGION);
    EXPECT_EQ(clip, clipA);
    // Both saves are used up now.
    EXPECT_FALSE(dc.RestoreDC(1));
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(0));
    EXPECT_EQ(dc.SaveDC(), 1);
}

TEST(DeviceContextState, ClipBoxInLogicalUnits) {
    DeviceContext dc(960, 600);
    PrepareSheetDc(dc, 1, true, 29700, {20, 20});
    RECT box{};
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    // The whole surface: device (0, 0) is logical (-529, 30229); the corner
    // (960, 600) is (24871, 14354) (26.458 units per pixel).
    EXPECT_EQ(box, (RECT{-529, 30229, 24871, 14354}));
    // A clip given in logical units with y up.
    dc.IntersectClipRect(0, 29700, 2540, 27160); // device (20, 20) - (116, 116)
    dc.GetClipBox(&box);
    EXPECT_EQ(box, (RECT{0, 29700, 2540, 27160}));
    EXPECT_EQ(dc.ExcludeClipRect(0, 29700, 1270, 28430), COMPLEXREGION);
    EXPECT_EQ(dc.IntersectClipRect(50000, 0, 60000, -100), NULLREGION);
    RECT device{10, 10, 30, 40};
    EXPECT_EQ(dc.SelectClipRect(&device), SIMPLEREGION);
    dc.SetMapMode(MM_TEXT);
    dc.SetViewportOrg(0, 0);
    dc.SetWindowOrg(0, 0);
    dc.GetClipBox(&box);
    EXPECT_EQ(box, device);
}

// --- Recording ---------------------------------------------------------------

class RecordingDc : public ::testing::Test {
protected:
    DeviceContext dc{960, 1200};
    DcRecorder rec;
    void SetUp() override {
        dc.SetRecorder(&rec);
        PrepareSheetDc(dc, 1, true, 29700);
    }
};

TEST_F(RecordingDc, ShapesKeepLogicalAndDevicePointsAndTheirPen) {
    const GdiPen pen = CreatePen(PS_SOLID, 250, 0x00FF00);
    dc.SelectPen(pen);
    dc.SelectBrush(CreateSolidBrush(0x808080));
    dc.MoveTo(0, 29700);
    dc.LineTo(2540, 29700 - 2540);
    dc.Rectangle(0, 0, 21000, 29700);
    POINT tri[] = {{0, 0}, {2540, 0}, {0, 2540}};
    dc.Polygon(tri, 3);
    dc.SetPixel(2540, 27160, 0x0000FF);

    ASSERT_EQ(rec.Size(), 4u);
    const DcRecord& line = rec[0];
    EXPECT_EQ(line.op, DcOp::Line);
    EXPECT_EQ(line.logical[1], (POINT{2540, 27160}));
    EXPECT_EQ(line.device[0], (POINT{0, 0}));
    EXPECT_EQ(line.device[1], (POINT{96, 96}));
    EXPECT_EQ(line.pen, pen);
    EXPECT_EQ(line.devicePenWidth, 9); // 250 units = 9.45 pixels
    EXPECT_EQ(line.mapMode, MM_ANISOTROPIC);

    const DcRecord& rect = rec[1];
    EXPECT_EQ(rect.op, DcOp::Rectangle);
    EXPECT_EQ(rect.device[0], (POINT{0, 1123}));
    EXPECT_EQ(rect.device[1], (POINT{794, 0}));
    EXPECT_EQ(rect.brush.color, 0x808080u);

    EXPECT_EQ(rec.Count(DcOp::Polygon), 1u);
    EXPECT_EQ(rec.OfKind(DcOp::Polygon)[0].device[2], (POINT{0, 1027})); // 1122.52 - 96
    const DcRecord& px = rec[3];
    EXPECT_EQ(px.op, DcOp::Pixel);
    EXPECT_EQ(px.color, 0x0000FFu);
    EXPECT_EQ(px.device[0], (POINT{96, 96}));
}

TEST_F(RecordingDc, CurvesNeedTheirPointCounts) {
    POINT bez[] = {{0, 0}, {100, 100}, {200, 100}, {300, 0}};
    EXPECT_TRUE(dc.PolyBezier(bez, 4));
    EXPECT_FALSE(dc.PolyBezier(bez, 3));
    dc.MoveTo(-300, 0);
    EXPECT_TRUE(dc.PolyBezierTo(bez + 1, 3));
    EXPECT_EQ(dc.GetCurrentPosition(), (POINT{300, 0}));
    EXPECT_FALSE(dc.PolyBezierTo(bez, 2));
    ASSERT_EQ(rec.Count(DcOp::Bezier), 2u);
    EXPECT_EQ(rec[1].logical.size(), 4u);
    EXPECT_EQ(rec[1].logical[0], (POINT{-300, 0}));
}

// Arcs run counter-clockwise as seen on the screen from the start ray to the
// end ray. The same logical points give the complementary arc when y flips.
TEST(DeviceContextArcs, DirectionOnTheScreenWithAndWithoutFlippedY) {
    DcRecorder rec;
    DeviceContext dc(200, 200);
    dc.SetRecorder(&rec);
    // y down: the box (0,0)-(101,101) is drawn on (0,0)-(100,100), centre
    // (50, 50). Start east (100, 50), end at the top (50, 0).
    dc.Arc(0, 0, 101, 101, 100, 50, 50, 0);
    // y up, window origin 100: logical y maps to 100 - y, so the box
    // (0,-1)-(101,100) lands on the same pixels and the ray points keep
    // their place, but (50, 0) is now at the bottom.
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetViewportExt(1, -1);
    dc.SetWindowOrg(0, 100);
    dc.Arc(0, -1, 101, 100, 100, 50, 50, 0);
    dc.Arc(0, -1, 101, 100, 50, 0, 100, 50);   // swapped rays
    dc.Pie(0, -1, 101, 100, 100, 51, 100, 51); // equal rays: whole ellipse

    const DcRecord& down = rec[0];
    EXPECT_DOUBLE_EQ(down.startAngle, 0);
    EXPECT_DOUBLE_EQ(down.sweepAngle, 90);
    EXPECT_EQ(down.arcStart, (POINT{100, 50}));
    EXPECT_EQ(down.arcEnd, (POINT{50, 0}));

    const DcRecord& up = rec[1];
    EXPECT_EQ(up.device[3], (POINT{50, 100}));
    EXPECT_DOUBLE_EQ(up.startAngle, 0);
    EXPECT_DOUBLE_EQ(up.sweepAngle, 270); // east, over the top, west, to the bottom
    EXPECT_EQ(up.arcEnd, (POINT{50, 100}));

    const DcRecord& swapped = rec[2];
    EXPECT_DOUBLE_EQ(swapped.startAngle, 270);
    EXPECT_DOUBLE_EQ(swapped.sweepAngle, 90);
    EXPECT_EQ(swapped.arcStart, (POINT{50, 100}));
    EXPECT_EQ(swapped.arcEnd, (POINT{100, 50}));

    EXPECT_EQ(rec[3].op, DcOp::Pie);
    EXPECT_DOUBLE_EQ(rec[3].sweepAngle, 360);
}

TEST(DeviceContextArcs, EndPointsLieOnAnEllipseAlongTheRays) {
    DcRecorder rec;
    DeviceContext dc(300, 300);
    dc.SetRecorder(&rec);
    // Box (0,0)-(201,101): radii 100 and 50 about (100, 50). The ray
    // through (200, -50) runs at 45 degrees and meets the ellipse where
    // x = y = 100 * 50 / sqrt(100^2 + 50^2) = 44.72 from the centre.
    dc.Chord(0, 0, 201, 101, 200, -50, 0, 50);
    const DcRecord& r = rec[0];
    EXPECT_EQ(r.op, DcOp::Chord);
    EXPECT_NEAR(r.startAngle, 45, 1e-9);
    EXPECT_NEAR(r.sweepAngle, 135, 1e-9);
    EXPECT_EQ(r.arcStart, (POINT{145, 5}));
    EXPECT_EQ(r.arcEnd, (POINT{0, 50}));
}

TEST_F(RecordingDc, TextKeepsItsFontAlignmentAndPlace) {
    LogFont f;
    f.lfHeight = -250;
    f.lfFaceName = L"Arial";
    dc.SelectFont(f);
    dc.SetTextColor(0x00FF00);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    dc.TextOut(2540, 27160, L"R1");
    const DcRecord& t = rec[0];
    EXPECT_EQ(t.op, DcOp::Text);
    EXPECT_EQ(t.text, L"R1");
    EXPECT_EQ(t.font, f);
    EXPECT_EQ(t.color, 0x00FF00u);
    EXPECT_EQ(t.bkMode, TRANSPARENT);
    EXPECT_EQ(t.device[0], (POINT{96, 96}));
    // Right and bottom of the cell at the reference point.
    EXPECT_EQ(t.textCell.right, 96);
    EXPECT_EQ(t.textCell.bottom, 96);
    EXPECT_GT(t.textCell.right - t.textCell.left, 5);

    dc.SetTextAlign(TA_CENTER | TA_TOP);
    dc.TextOut(2540, 27160, L"R1");
    const DcRecord& c = rec[1];
    const int w = c.textCell.right - c.textCell.left;
    EXPECT_EQ(c.textCell.left, 96 - w / 2);
    EXPECT_EQ(c.textCell.top, 96);

    dc.SetTextAlign(TA_LEFT | TA_BASELINE);
    dc.TextOut(2540, 27160, L"R1");
    const DcRecord& b = rec[2];
    EXPECT_EQ(b.textCell.left, 96);
    EXPECT_LT(b.textCell.top, 96);
    EXPECT_GT(b.textCell.bottom, 96); // the descent hangs below the baseline
}

TEST_F(RecordingDc, TurnedTextExtendsUpward) {
    LogFont f;
    f.lfHeight = -250;
    f.lfEscapement = 900;
    f.lfOrientation = 900;
    dc.SelectFont(f);
    dc.TextOut(2540, 27160, L"VCC"); // device (96, 96)
    const DcRecord& t = rec[0];
    // The unturned cell starts at the point; turned a quarter left its
    // top-left corner stays there and the text runs up the screen.
    EXPECT_EQ(t.textOrigin, (POINT{96, 96}));
    // GetTextExtentPoint32 gives the unturned extent.
    const SIZE ext = dc.GetTextExtentPoint32(L"VCC");
    EXPECT_NEAR(ext.cx, (t.textCell.right - t.textCell.left) * 25400 / 960, 27);
    f.lfEscapement = -900;
    dc.SelectFont(f);
    dc.SetTextAlign(TA_LEFT | TA_BASELINE);
    dc.TextOut(2540, 27160, L"VCC");
    const DcRecord& down = rec[1];
    // Baseline alignment: the cell's top lies ascent pixels before the
    // baseline; turned right that puts the top-left corner to the right.
    const int ascentPx = 96 - down.textCell.top;
    EXPECT_EQ(down.textOrigin, (POINT{96 + ascentPx, 96}));
}

TEST_F(RecordingDc, TextExtentIsInLogicalUnitsAtEveryZoom) {
    LogFont f;
    f.lfHeight = -250; // 2.5 mm em: 9 pixels at zoom 1, 19 at zoom 2
    f.lfFaceName = L"Arial";
    dc.SelectFont(f);
    const SIZE z1 = dc.GetTextExtentPoint32(L"GND");
    PrepareSheetDc(dc, 2, true, 29700);
    const SIZE z2 = dc.GetTextExtentPoint32(L"GND");
    PrepareSheetDc(dc, 8, true, 29700);
    const SIZE z8 = dc.GetTextExtentPoint32(L"GND");
    // The cell is higher than the em; sizes agree in logical units up to
    // the whole pixels the font is realised at.
    EXPECT_GT(z1.cy, 250);
    EXPECT_LT(z1.cy, 450);
    EXPECT_NEAR(z2.cx, z8.cx, z8.cx / 6);
    EXPECT_NEAR(z2.cy, z8.cy, z8.cy / 6);
    EXPECT_NEAR(z1.cx, z8.cx, z8.cx / 4);
    EXPECT_EQ(dc.GetTextExtentPoint32(L"").cx, 0);
    // A positive height is the cell: 300 units = 11 pixels at zoom 1.
    PrepareSheetDc(dc, 1, true, 29700);
    f.lfHeight = 300;
    dc.SelectFont(f);
    EXPECT_NEAR(dc.GetTextExtentPoint32(L"GND").cy, 291, 27); // 11 px = 291 units
    f.lfHeight = -300;
    dc.SelectFont(f);
    EXPECT_GT(dc.GetTextExtentPoint32(L"GND").cy, 291 + 26);
}

// DrawText with y up: the larger y of the rectangle is its top edge, in
// whichever order the corners come.
TEST_F(RecordingDc, DrawTextPlacesTheTextInTheMappedRectangle) {
    LogFont f;
    f.lfHeight = -250;
    dc.SelectFont(f);
    const SIZE ext = dc.GetTextExtentPoint32(L"A1");
    const int X = 2540, Y = 25400;
    // Text right of a point, centred on it (rectangle top above bottom).
    dc.DrawText(L"A1", RECT{X, Y + ext.cy / 2, X + ext.cx, Y - ext.cy / 2}, 0x920);
    // The same rectangle with its corners the other way round.
    dc.DrawText(L"A1", RECT{X, Y - ext.cy / 2, X + ext.cx, Y + ext.cy / 2}, 0x920);
    // Centred both ways in a larger rectangle.
    dc.DrawText(L"A1", RECT{0, 29700, 5080, 24620}, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // Right and bottom.
    const int h = dc.DrawText(L"A1", RECT{0, 29700, 5080, 24620},
                              DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOCLIP);
    EXPECT_NEAR(h, ext.cy, 1);
    ASSERT_EQ(rec.Count(DcOp::Text), 4u);
    const POINT p = dc.ToDevice({X, Y + ext.cy / 2});
    EXPECT_EQ(rec[0].textCell.left, p.x);
    EXPECT_EQ(rec[0].textCell.top, p.y);
    EXPECT_TRUE(rec[0].drawText);
    EXPECT_EQ(rec[0].format, 0x920u);
    EXPECT_EQ(rec[1].textCell.top, p.y);
    // (0, 29700)-(5080, 24620) is (0, 0)-(192, 192) on the device.
    const RECT& c = rec[2].textCell;
    EXPECT_NEAR((c.left + c.right) / 2.0, 96, 1);
    EXPECT_NEAR((c.top + c.bottom) / 2.0, 96, 1);
    EXPECT_EQ(rec[3].textCell.right, 192);
    EXPECT_EQ(rec[3].textCell.bottom, 192);
}

TEST(DeviceContextText, EllipsisShortensTextThatDoesNotFit) {
    DcRecorder rec;
    DeviceContext dc(400, 100);
    dc.SetRecorder(&rec);
    const std::wstring longName = L"A very long property name that cannot fit";
    const SIZE full = dc.GetTextExtentPoint32(longName);
    dc.DrawText(longName, RECT{0, 0, full.cx / 3, 20},
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    dc.DrawText(L"Fits", RECT{0, 0, 300, 20}, DT_SINGLELINE | DT_END_ELLIPSIS);
    ASSERT_EQ(rec.Size(), 2u);
    EXPECT_LT(rec[0].text.size(), longName.size());
    EXPECT_LE(rec[0].textCell.right - rec[0].textCell.left, full.cx / 3);
    EXPECT_EQ(rec[1].text, L"Fits");
}

} // namespace
