// The few behaviours of the sheet-side device context that only pixels show.
#include "platform/device_context.h"
#include "platform/paint_target.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kRed = 0xFFFF0000;  // COLORREF 0x0000FF
constexpr ARGB kBlue = 0xFF0000FF; // COLORREF 0xFF0000
constexpr COLORREF kRedRef = 0x0000FF;
constexpr COLORREF kBlueRef = 0xFF0000;

void PrepareSheetDc(DeviceContext& dc, int factor, bool multiply, int sheetHeight) {
    dc.SetMapMode(MM_HIMETRIC);
    const SIZE w = dc.GetWindowExt();
    const SIZE v = dc.GetViewportExt();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(w.cx, w.cx);
    const int e = multiply ? v.cx * factor : v.cx / factor;
    dc.SetViewportExt(e, -e);
    dc.SetWindowOrg(0, sheetHeight);
}

class PixelDc : public ::testing::Test {
protected:
    // 240 pixels at 96 dpi are 6350 units exactly.
    std::unique_ptr<PaintTarget> target = PaintTarget::CreateImage(240, 200, kWhite);
    DeviceContext dc{*target};

    bool Ink(int x, int y) const { return target->PixelAt(x, y) != kWhite; }
    int InkInColumn(int x, int y0, int y1) const {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            n += Ink(x, y);
        return n;
    }
    bool InkNear(int x, int y, int r = 1) const {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (Ink(x + dx, y + dy))
                    return true;
        return false;
    }
    int InkIn(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                n += Ink(x, y);
        return n;
    }
};

TEST_F(PixelDc, WidthZeroPenIsOnePixelAtEveryZoom) {
    const struct {
        int factor;
        bool multiply;
    } zooms[] = {{1, true}, {8, true}, {1024, true}, {4, false}, {64, false}};
    for (const auto& z : zooms) {
        target->Fill(kWhite);
        PrepareSheetDc(dc, z.factor, z.multiply, 0);
        dc.SelectPen(CreatePen(PS_SOLID, 0, 0));
        // A horizontal line through device row 100.
        POINT a{10, 100}, b{190, 100};
        dc.DPtoLP(&a, 1);
        dc.DPtoLP(&b, 1);
        dc.MoveTo(a.x, a.y);
        dc.LineTo(b.x, b.y);
        EXPECT_EQ(InkInColumn(100, 0, 199), 1) << z.factor << (z.multiply ? "x" : "/");
        // At 1024 times one logical unit spans 39 pixels: the row moves.
        EXPECT_TRUE(Ink(100, dc.ToDevice(a).y));
    }
}

TEST_F(PixelDc, PenWidthScalesWithTheMapping) {
    PrepareSheetDc(dc, 1, true, 0);
    dc.SelectPen(CreatePen(PS_SOLID, 250, kRedRef)); // 9.45 -> 9 pixels
    POINT a{20, 100}, b{180, 100};
    dc.DPtoLP(&a, 1);
    dc.DPtoLP(&b, 1);
    dc.MoveTo(a.x, a.y);
    dc.LineTo(b.x, b.y);
    EXPECT_EQ(InkInColumn(100, 0, 199), 9);
    EXPECT_EQ(target->PixelAt(100, 100), kRed);
}

TEST_F(PixelDc, DottedPenLeavesGaps) {
    dc.SelectPen(CreatePen(PS_DOT, 0, 0));
    dc.MoveTo(10, 50);
    dc.LineTo(110, 50);
    int inked = 0;
    for (int x = 10; x < 100; ++x)
        inked += Ink(x, 50);
    EXPECT_GT(inked, 30);
    EXPECT_LT(inked, 60);
}

// A geometric pen with its own dashes in logical units: 40 units on, 40 off
// are 12 pixels each at zoom 8 (40 x 7680 / 25400 = 12.09), with flat ends.
TEST_F(PixelDc, UserDashesScaleWithTheMapping) {
    PrepareSheetDc(dc, 8, true, 0);
    dc.SelectPen(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 0, 0, {40, 40}));
    POINT a{0, 50}, b{239, 50};
    dc.DPtoLP(&a, 1);
    dc.DPtoLP(&b, 1);
    dc.MoveTo(a.x, a.y);
    dc.LineTo(b.x, b.y);
    const int y = dc.ToDevice(a).y;
    std::vector<int> runs; // lengths of inked runs
    int run = 0;
    for (int x = 0; x < 240; ++x) {
        if (Ink(x, y)) {
            ++run;
        } else if (run) {
            runs.push_back(run);
            run = 0;
        }
    }
    ASSERT_GE(runs.size(), 5u);
    for (size_t i = 1; i + 1 < runs.size(); ++i) // inner runs are whole dashes
        EXPECT_NEAR(runs[i], 12, 1);
}

TEST_F(PixelDc, ArcRunsCounterClockwiseOnTheScreen) {
    // Circle of radius 50 about (60, 60); from east to north on the screen.
    dc.Arc(10, 10, 111, 111, 110, 60, 60, 10);
    EXPECT_TRUE(InkNear(95, 25));  // north-east quarter
    EXPECT_FALSE(InkNear(25, 95)); // south-west
    EXPECT_FALSE(InkNear(25, 25));
    EXPECT_FALSE(InkNear(95, 95));

    // The same logical numbers with y up: (60, 10) is now south, and the
    // arc goes the long way round over the top.
    target->Fill(kWhite);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetViewportExt(1, -1);
    dc.SetWindowOrg(0, 120); // device y = 120 - y
    dc.Arc(10, 9, 111, 110, 110, 60, 60, 10);
    EXPECT_TRUE(InkNear(95, 25));
    EXPECT_TRUE(InkNear(25, 25));
    EXPECT_TRUE(InkNear(25, 95));
    EXPECT_FALSE(InkNear(95, 95));
}

TEST_F(PixelDc, PieAndChordFillTheirParts) {
    dc.SelectPen(CreatePen(PS_SOLID, 0, kRedRef));
    dc.SelectBrush(CreateSolidBrush(kRedRef));
    dc.Pie(10, 10, 111, 111, 110, 60, 60, 10);
    EXPECT_EQ(target->PixelAt(75, 45), kRed); // inside the north-east quarter
    EXPECT_EQ(target->PixelAt(45, 75), kWhite);
    EXPECT_EQ(target->PixelAt(45, 45), kWhite);

    target->Fill(kWhite);
    dc.Chord(10, 10, 111, 111, 110, 60, 60, 10);
    EXPECT_EQ(target->PixelAt(90, 30), kRed);   // beyond the chord
    EXPECT_EQ(target->PixelAt(70, 50), kWhite); // centre side of the chord
}

TEST_F(PixelDc, RectangleLeavesOutItsRightAndBottomEdge) {
    dc.SelectPen(CreatePen(PS_SOLID, 0, kBlueRef));
    dc.SelectBrush(CreateSolidBrush(kRedRef));
    dc.Rectangle(10, 10, 20, 20);
    EXPECT_EQ(target->PixelAt(10, 10), kBlue);
    EXPECT_EQ(target->PixelAt(19, 19), kBlue);
    EXPECT_EQ(target->PixelAt(20, 15), kWhite);
    EXPECT_EQ(target->PixelAt(15, 20), kWhite);
    EXPECT_EQ(target->PixelAt(15, 15), kRed);
    // A hollow brush leaves the inside alone; a null pen draws only the fill.
    dc.SelectBrush(GetStockBrush(HOLLOW_BRUSH));
    dc.Rectangle(30, 10, 40, 20);
    EXPECT_EQ(target->PixelAt(35, 15), kWhite);
    EXPECT_EQ(target->PixelAt(30, 15), kBlue);
    dc.SelectPen(GetStockPen(NULL_PEN));
    dc.SelectBrush(CreateSolidBrush(kRedRef));
    dc.Rectangle(50, 10, 60, 20);
    EXPECT_EQ(target->PixelAt(50, 10), kRed);
    EXPECT_EQ(target->PixelAt(58, 18), kRed);
    EXPECT_EQ(target->PixelAt(59, 15), kWhite);
}

TEST_F(PixelDc, FillFrameAndPixel) {
    dc.FillRect(RECT{10, 10, 20, 20}, CreateSolidBrush(kRedRef));
    EXPECT_EQ(target->PixelAt(10, 10), kRed);
    EXPECT_EQ(target->PixelAt(19, 19), kRed);
    EXPECT_EQ(target->PixelAt(20, 20), kWhite);
    dc.FrameRect(RECT{30, 10, 40, 20}, CreateSolidBrush(kBlueRef));
    EXPECT_EQ(target->PixelAt(30, 10), kBlue);
    EXPECT_EQ(target->PixelAt(39, 19), kBlue);
    EXPECT_EQ(target->PixelAt(35, 15), kWhite);
    EXPECT_EQ(dc.SetPixel(5, 6, kBlueRef), kBlueRef);
    EXPECT_EQ(target->PixelAt(5, 6), kBlue);
    // A focus rectangle inverts; drawing it twice removes it.
    dc.DrawFocusRect(RECT{50, 50, 60, 60});
    EXPECT_NE(target->PixelAt(50, 50), kWhite);
    dc.DrawFocusRect(RECT{50, 50, 60, 60});
    EXPECT_EQ(target->PixelAt(50, 50), kWhite);
}

TEST_F(PixelDc, PolygonFillModes) {
    // A pentagram: its centre is inside with winding, outside with alternate.
    const POINT star[] = {{100, 10}, {153, 172}, {15, 72}, {185, 72}, {47, 172}};
    dc.SelectPen(GetStockPen(NULL_PEN));
    dc.SelectBrush(CreateSolidBrush(kRedRef));
    dc.Polygon(star, 5);
    EXPECT_EQ(target->PixelAt(100, 100), kWhite);
    EXPECT_EQ(target->PixelAt(100, 40), kRed);
    dc.SetPolyFillMode(WINDING);
    dc.Polygon(star, 5);
    EXPECT_EQ(target->PixelAt(100, 100), kRed);
}

TEST_F(PixelDc, TurnedTextRunsUpFromItsPoint) {
    LogFont f;
    f.lfHeight = -20;
    f.lfWeight = FW_BOLD;
    f.lfEscapement = 900;
    dc.SelectFont(f);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(100, 150, L"HHHH");
    const SIZE ext = dc.GetTextExtentPoint32(L"HHHH");
    // The text lies right of x = 100 (its top faces left) and above y = 150.
    EXPECT_GT(InkIn(100, 150 - ext.cx, 100 + ext.cy, 150), 20);
    EXPECT_EQ(InkIn(0, 151, 199, 199), 0);
    EXPECT_EQ(InkIn(0, 0, 98, 199), 0);
}

// Text turned a quarter either way and drawn into a box (pin numbers on a
// symbol's top and bottom edges): it lies inside the box, which is what the
// drawing code invalidates for it, at the end the format names.
TEST_F(PixelDc, TurnedTextInABoxLiesInsideIt) {
    const RECT box{100, 40, 130, 160}; // 30 wide, 120 high
    const struct {
        int escapement;
        unsigned format;
        bool nearTop; // the text starts at the box's top end
    } cases[] = {
        {-900, DT_SINGLELINE | DT_NOCLIP, true},
        {2700, DT_SINGLELINE | DT_NOCLIP, true},
        {-900, DT_SINGLELINE | DT_NOCLIP | DT_RIGHT, false},
        {900, DT_SINGLELINE | DT_NOCLIP, false},
        {900, DT_SINGLELINE | DT_NOCLIP | DT_RIGHT, true},
        {900, DT_SINGLELINE | DT_NOCLIP | DT_CENTER | DT_VCENTER, false},
    };
    for (const auto& c : cases) {
        target->Fill(kWhite);
        LogFont f;
        f.lfHeight = -16;
        f.lfWeight = FW_BOLD;
        f.lfEscapement = c.escapement;
        dc.SelectFont(f);
        dc.SetTextColor(0);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(L"HH", box, c.format);
        const int inside = InkIn(box.left, box.top, box.right - 1, box.bottom - 1);
        EXPECT_GT(inside, 20) << c.escapement << " " << c.format;
        EXPECT_EQ(InkIn(0, 0, 239, 199) - inside, 0)
            << c.escapement << " " << c.format << ": drawn outside its box";
        const int top = InkIn(box.left, box.top, box.right - 1, box.top + 39);
        if (!(c.format & DT_CENTER)) {
            EXPECT_EQ(top == inside, c.nearTop) << c.escapement << " " << c.format;
        }
    }
}

TEST_F(PixelDc, TextAlignmentAndBackground) {
    LogFont f;
    f.lfHeight = -16;
    dc.SelectFont(f);
    dc.SetTextColor(0);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
    dc.TextOut(100, 50, L"HH");
    EXPECT_EQ(InkIn(101, 0, 199, 199), 0);
    EXPECT_GT(InkIn(80, 35, 100, 50), 10);
    EXPECT_EQ(InkIn(0, 51, 199, 199), 0); // H has no descender

    target->Fill(kWhite);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(kBlueRef);
    dc.TextOut(20, 120, L"i");
    EXPECT_EQ(target->PixelAt(20, 120), kBlue); // the cell's corner is background
}

TEST_F(PixelDc, ClipKeepsDrawingInside) {
    dc.IntersectClipRect(50, 50, 100, 100);
    dc.FillRect(RECT{0, 0, 200, 200}, CreateSolidBrush(kRedRef));
    EXPECT_EQ(target->PixelAt(49, 60), kWhite);
    EXPECT_EQ(target->PixelAt(50, 50), kRed);
    EXPECT_EQ(target->PixelAt(99, 99), kRed);
    EXPECT_EQ(target->PixelAt(100, 60), kWhite);
    dc.ExcludeClipRect(60, 60, 70, 70);
    dc.FillRect(RECT{0, 0, 200, 200}, CreateSolidBrush(kBlueRef));
    EXPECT_EQ(target->PixelAt(65, 65), kRed);
    EXPECT_EQ(target->PixelAt(55, 55), kBlue);
}

TEST_F(PixelDc, OffScreenBitmapCopiesToTheTarget) {
    auto bitmap = dc.CreateCompatibleBitmap(40, 30);
    EXPECT_EQ(bitmap->DpiX(), 96);
    DeviceContext mem(*bitmap);
    mem.FillRect(RECT{0, 0, 40, 30}, CreateSolidBrush(kBlueRef));
    mem.SetPixel(39, 29, kRedRef);
    EXPECT_TRUE(dc.BitBlt(100, 100, 40, 30, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(target->PixelAt(100, 100), kBlue);
    EXPECT_EQ(target->PixelAt(139, 129), kRed);
    EXPECT_EQ(target->PixelAt(140, 129), kWhite);
    EXPECT_EQ(target->PixelAt(99, 100), kWhite);
    // Drawing on the bitmap again after the copy still works.
    mem.SetPixel(0, 0, kRedRef);
    EXPECT_EQ(bitmap->PixelAt(0, 0), kRed);
    // A block of the target copied onto itself.
    EXPECT_TRUE(dc.BitBlt(0, 0, 40, 30, dc, 100, 100));
    EXPECT_EQ(target->PixelAt(0, 0), kBlue);
    EXPECT_EQ(target->PixelAt(39, 29), kRed);
}

// The context leaves the painter it shares with the board side as it found it.
TEST_F(PixelDc, SharedPainterStateIsRestored) {
    dc.SetMapMode(MM_HIMETRIC);
    dc.IntersectClipRect(0, 0, 2540, -2540);
    dc.SelectPen(CreatePen(PS_SOLID, 500, kRedRef));
    dc.Ellipse(0, 0, 2540, -2540);
    DeviceContext other(*target);
    other.FillRect(RECT{150, 150, 160, 160}, CreateSolidBrush(kBlueRef));
    EXPECT_EQ(target->PixelAt(155, 155), kBlue); // no clip or transform left over
}

} // namespace
