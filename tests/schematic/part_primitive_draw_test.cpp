// Drawing of symbol primitives on a recording device context set up by a
// symbol view at zoom 1, 2 and 1/2: the shapes at the part's position, the
// brushes of the filled and opaque flags, selection handles and guide lines,
// and the four text directions, in the colours of the default settings.
#include "core/default_settings.h"
#include "tests/schematic/part_primitive_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct Zoom {
    int factor;
    int mode;
    double scale;
};

std::ostream& operator<<(std::ostream& os, const Zoom& z) {
    return os << "scale " << z.scale;
}

// Device pixels per logical unit at zoom 1 (96 dpi, 0.01 mm units).
constexpr double kPixelsPerUnit = 96.0 / 2540.0;

class PartDrawTest : public ::testing::TestWithParam<Zoom> {
protected:
    PartDrawTest() : f(GetParam().factor, GetParam().mode) {
        f.part->m_position = POINT{4, 2};
        callerPen = CreatePen(PS_SOLID, 15, g_DefaultSettings.colorSymbol);
        callerBrush = CreateSolidBrush(g_DefaultSettings.colorBkg);
        f.dc.SelectPen(callerPen);
        f.dc.SelectBrush(callerBrush);
    }

    // A primitive of the fixture's part, drawn with the flags.
    CPartPrimitive* Add(const std::wstring& token) {
        f.part->Read(f.part->Text() + (f.part->primitives.empty() ? L"" : L" ") + token);
        return f.part->primitives.back();
    }
    void DrawOne(CPartPrimitive* p, uint32_t flags = kPrimSymbolEditor) {
        f.recorder.Clear();
        p->Draw(&f.dc, flags, f.part);
        // Whatever the primitive selected is selected back.
        EXPECT_EQ(f.dc.GetPen(), callerPen);
        EXPECT_EQ(f.dc.GetBrush(), callerBrush);
    }
    // A primitive coordinate of the part at (4, 2) in logical units.
    static int X(int c) { return 4 * 250 + c * 250 / 10; }
    static int Y(int c) { return 2 * 250 + c * 250 / 10; }
    static POINT P(int x, int y) { return POINT{X(x), Y(y)}; }
    int Half() const { return static_cast<int>(300 / GetParam().scale); }

    // The handle squares drawn, centred on the given primitive points.
    void ExpectHandles(const std::vector<POINT>& at) {
        std::vector<DcRecord> squares = f.recorder.OfKind(DcOp::Rectangle);
        // A rectangle primitive itself comes first.
        ASSERT_GE(squares.size(), at.size());
        squares.erase(squares.begin(), squares.end() - static_cast<long>(at.size()));
        const int h = Half();
        for (size_t i = 0; i < at.size(); ++i) {
            const DcRecord& r = squares[i];
            POINT c = P(at[i].x, at[i].y);
            EXPECT_EQ(r.logical[0], (POINT{c.x - h, c.y + h})) << i;
            EXPECT_EQ(r.logical[1], (POINT{c.x + h, c.y - h})) << i;
            EXPECT_EQ(r.pen.style, PS_SOLID);
            EXPECT_EQ(r.pen.width, 0);
            EXPECT_EQ(r.pen.color, g_DefaultSettings.colorSel);
            EXPECT_EQ(r.brush, callerBrush);
            // Handles keep their size on the screen at every zoom.
            EXPECT_NEAR(std::abs(r.device[1].x - r.device[0].x), 600 * kPixelsPerUnit, 1.5);
        }
    }
    void ExpectDottedLine(const DcRecord& r, POINT from, POINT to) {
        EXPECT_EQ(r.op, DcOp::Line);
        EXPECT_EQ(r.logical[0], from);
        EXPECT_EQ(r.logical[1], to);
        EXPECT_EQ(r.pen.DashStyle(), PS_DOT);
        EXPECT_EQ(r.pen.width, 0);
        EXPECT_EQ(r.pen.color, g_DefaultSettings.colorSel);
    }

    SymbolViewFixture f;
    GdiPen callerPen;
    GdiBrush callerBrush;
};

TEST_P(PartDrawTest, ALineIsDrawnWithTheCallersPen) {
    CPartPrimitive* line = Add(L"L0,0,40,-20");
    DrawOne(line);
    ASSERT_EQ(f.recorder.Size(), 1u);
    const DcRecord& r = f.recorder[0];
    EXPECT_EQ(r.op, DcOp::Line);
    EXPECT_EQ(r.logical[0], (POINT{1000, 500}));
    EXPECT_EQ(r.logical[1], (POINT{2000, 0}));
    EXPECT_EQ(r.pen, callerPen);
    EXPECT_NEAR(r.device[1].x - r.device[0].x, 1000 * kPixelsPerUnit * GetParam().scale, 1.0);
    EXPECT_NEAR(r.device[1].y - r.device[0].y, 500 * kPixelsPerUnit * GetParam().scale, 1.0)
        << "y grows upward";
}

TEST_P(PartDrawTest, ASelectedLineShowsHandlesOnlyInTheSymbolEditor) {
    CPartPrimitive* line = Add(L"L0,0,40,-20");
    line->SetSelected(true);
    DrawOne(line);
    ASSERT_EQ(f.recorder.Count(DcOp::Line), 1u);
    ExpectHandles({{0, 0}, {40, -20}});
    DrawOne(line, 0x200000);
    EXPECT_EQ(f.recorder.Count(DcOp::Rectangle), 0u);
    EXPECT_EQ(f.recorder.Size(), 1u);
}

TEST_P(PartDrawTest, ALineOfLengthZeroIsStillDrawn) {
    DrawOne(Add(L"L3,3,3,3"));
    ASSERT_EQ(f.recorder.Size(), 1u);
    EXPECT_EQ(f.recorder[0].logical[0], P(3, 3));
    EXPECT_EQ(f.recorder[0].logical[1], P(3, 3));
}

TEST_P(PartDrawTest, RectanglesAndEllipsesTakeTheBrushOfTheirFlags) {
    struct Case {
        const wchar_t* token;
        DcOp op;
        bool selected;
        int brushStyle;
        COLORREF brushColor; // solid brushes only
    };
    const COLORREF sym = g_DefaultSettings.colorSymbol, sel = g_DefaultSettings.colorSel;
    const COLORREF bkg = g_DefaultSettings.colorBkg;
    const Case cases[] = {
        {L"RCF-20,-20,20,20", DcOp::Rectangle, false, BS_SOLID, sym},
        {L"RCF-20,-20,20,20", DcOp::Rectangle, true, BS_SOLID, sel},
        {L"RCFO-20,-20,20,20", DcOp::Rectangle, false, BS_SOLID, sym},
        {L"RC-20,-20,20,20", DcOp::Rectangle, false, BS_NULL, 0},
        {L"RCO-20,-20,20,20", DcOp::Rectangle, true, BS_SOLID, bkg},
        {L"CIRCF-20,-20,20,20", DcOp::Ellipse, false, BS_SOLID, sym},
        {L"CIRCF-20,-20,20,20", DcOp::Ellipse, true, BS_SOLID, sel},
        {L"CIRC-20,-20,20,20", DcOp::Ellipse, false, BS_NULL, 0},
        {L"CIRCO-20,-20,20,20", DcOp::Ellipse, false, BS_SOLID, bkg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.token, c.token + wcslen(c.token)) +
                     (c.selected ? " selected" : ""));
        f.part->Read(c.token);
        CPartPrimitive* p = f.part->At(0);
        p->SetSelected(c.selected);
        DrawOne(p, 0x200000);
        ASSERT_EQ(f.recorder.Size(), 1u);
        const DcRecord& r = f.recorder[0];
        EXPECT_EQ(r.op, c.op);
        EXPECT_EQ(r.logical[0], (POINT{500, 0}));
        EXPECT_EQ(r.logical[1], (POINT{1500, 1000}));
        EXPECT_EQ(r.pen, callerPen);
        EXPECT_EQ(r.brush.style, c.brushStyle);
        if (c.brushStyle == BS_SOLID) {
            EXPECT_EQ(r.brush.color, c.brushColor);
        }
    }
}

TEST_P(PartDrawTest, ASelectedRectangleAndEllipseHaveCornerHandles) {
    for (const wchar_t* token : {L"RC-20,-10,30,20", L"CIRC-20,-10,30,20"}) {
        f.part->Read(token);
        f.part->At(0)->SetSelected(true);
        DrawOne(f.part->At(0));
        ExpectHandles({{-20, -10}, {30, 20}});
    }
}

TEST_P(PartDrawTest, ShapesOfAllZeroNumbersDrawNothing) {
    for (const wchar_t* token : {L"RCF0,0,0,0", L"CIRC0,0,0,0", L"CURVE0,0,0,0,0,0,0,0",
                                 L"ARC0,0,0,0,5,5,6,6", L"POLYFC"}) {
        f.part->Read(token);
        f.part->At(0)->SetSelected(true);
        DrawOne(f.part->At(0));
        EXPECT_EQ(f.recorder.Size(), 0u) << std::wstring(token).size();
    }
}

TEST_P(PartDrawTest, AClosedPolygonIsFilledAndAnOpenOneIsAPolyline) {
    CPartPrimitive* closed = Add(L"POLYFC0,0,10,0,10,10");
    DrawOne(closed);
    ASSERT_EQ(f.recorder.Size(), 1u);
    const DcRecord& r = f.recorder[0];
    EXPECT_EQ(r.op, DcOp::Polygon);
    ASSERT_EQ(r.logical.size(), 3u);
    EXPECT_EQ(r.logical[0], P(0, 0));
    EXPECT_EQ(r.logical[1], P(10, 0));
    EXPECT_EQ(r.logical[2], P(10, 10));
    EXPECT_EQ(r.brush.color, g_DefaultSettings.colorSymbol);

    f.part->Read(L"POLY0,0,10,0,10,10");
    CPartPrimitive* open = f.part->At(0);
    open->SetSelected(true);
    DrawOne(open);
    std::vector<DcRecord> lines = f.recorder.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].logical[0], P(0, 0));
    EXPECT_EQ(lines[0].logical[1], P(10, 0));
    EXPECT_EQ(lines[1].logical[1], P(10, 10));
    EXPECT_EQ(f.recorder.Count(DcOp::Polygon), 0u);
    ExpectHandles({{0, 0}, {10, 0}, {10, 10}});
}

TEST_P(PartDrawTest, AnArcIsDrawnFromItsStartToItsEnd) {
    CPartPrimitive* arc = Add(L"ARC-100,-100,100,100,100,0,-100,0");
    DrawOne(arc);
    ASSERT_EQ(f.recorder.Size(), 1u);
    const DcRecord& r = f.recorder[0];
    EXPECT_EQ(r.op, DcOp::Arc);
    ASSERT_EQ(r.logical.size(), 4u);
    EXPECT_EQ(r.logical[0], P(-100, -100));
    EXPECT_EQ(r.logical[1], P(100, 100));
    EXPECT_EQ(r.logical[2], P(100, 0));
    EXPECT_EQ(r.logical[3], P(-100, 0));
    // Counter-clockwise from the right to the left: the upper half (up to
    // the pixel the box centre is rounded to).
    EXPECT_NEAR(std::remainder(r.startAngle, 360.0), 0, 3);
    EXPECT_NEAR(r.sweepAngle, 180, 3);
}

TEST_P(PartDrawTest, ASelectedArcShowsItsGuidesByStep) {
    CPartPrimitive* arc = Add(L"ARC-10,-10,10,10,10,0,0,10");
    arc->SetSelected(true);
    const POINT centre = P(0, 0), start = P(10, 0), end = P(0, 10);
    // Finished: both guides, four handles.
    DrawOne(arc);
    std::vector<DcRecord> lines = f.recorder.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 2u);
    ExpectDottedLine(lines[0], start, centre);
    ExpectDottedLine(lines[1], centre, end);
    ExpectHandles({{-10, -10}, {10, 10}, {10, 0}, {0, 10}});
    // Box being drawn: the whole ellipse and the guide to the end only.
    arc->SetState(1);
    DrawOne(arc);
    EXPECT_EQ(f.recorder.Count(DcOp::Ellipse), 1u);
    EXPECT_EQ(f.recorder.Count(DcOp::Arc), 0u);
    lines = f.recorder.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    ExpectDottedLine(lines[0], centre, end);
    // Start being placed: the guide from the start only.
    arc->SetState(2);
    DrawOne(arc);
    EXPECT_EQ(f.recorder.Count(DcOp::Ellipse), 1u);
    lines = f.recorder.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    ExpectDottedLine(lines[0], start, centre);
    // End being placed: the arc again.
    arc->SetState(3);
    DrawOne(arc);
    EXPECT_EQ(f.recorder.Count(DcOp::Arc), 1u);
    EXPECT_EQ(f.recorder.Count(DcOp::Line), 2u);
}

TEST_P(PartDrawTest, ABezierIsDrawnThroughItsFourPoints) {
    CPartPrimitive* curve = Add(L"CURVE0,0,10,20,30,20,40,0");
    DrawOne(curve);
    ASSERT_EQ(f.recorder.Size(), 1u);
    const DcRecord& r = f.recorder[0];
    EXPECT_EQ(r.op, DcOp::Bezier);
    ASSERT_EQ(r.logical.size(), 4u);
    EXPECT_EQ(r.logical[1], P(10, 20));
    EXPECT_EQ(r.logical[3], P(40, 0));

    curve->SetSelected(true);
    DrawOne(curve);
    std::vector<DcRecord> lines = f.recorder.OfKind(DcOp::Line);
    ASSERT_EQ(lines.size(), 2u);
    ExpectDottedLine(lines[0], P(0, 0), P(10, 20));
    ExpectDottedLine(lines[1], P(30, 20), P(40, 0));
    ExpectHandles({{0, 0}, {10, 20}, {30, 20}, {40, 0}});
}

TEST_P(PartDrawTest, TextsRunInTheirFourDirections) {
    struct Case {
        wchar_t style;
        bool vertical;
    };
    for (Case c : {Case{L'R', false}, Case{L'L', false}, Case{L'T', true}, Case{L'B', true}}) {
        SCOPED_TRACE(static_cast<char>(c.style));
        f.part->Read(std::wstring(L"TEXT") + c.style + L"12,-4:Gate_A");
        CPartPrimitive* text = f.part->At(0);
        // The extent in the view's font of that direction.
        LogFont font = c.vertical ? f.view.GetVerticalFont() : f.view.GetFont();
        LogFont old = f.dc.SelectFont(font);
        SIZE e = f.dc.GetTextExtentPoint32(L"Gate A");
        f.dc.SelectFont(old);
        ASSERT_GT(e.cx, 0);
        const int x = X(12), y = Y(-4), w = e.cx, h2 = e.cy / 2;
        RECT expected;
        switch (c.style) {
        case L'R':
            expected = {x, y + h2, x + w, y - h2};
            break;
        case L'L':
            expected = {x - w, y + h2, x, y - h2};
            break;
        case L'T':
            expected = {x - h2, y, x + h2, y + w};
            break;
        default:
            expected = {x - h2, y - w, x + h2, y};
            break;
        }
        for (bool selected : {false, true}) {
            text->SetSelected(selected);
            DrawOne(text);
            ASSERT_EQ(f.recorder.Size(), 1u);
            const DcRecord& r = f.recorder[0];
            EXPECT_EQ(r.op, DcOp::Text);
            EXPECT_TRUE(r.drawText);
            EXPECT_EQ(r.text, L"Gate A");
            EXPECT_EQ(r.format, 0x920u);
            EXPECT_EQ(r.logical[0], (POINT{expected.left, expected.top}));
            EXPECT_EQ(r.logical[1], (POINT{expected.right, expected.bottom}));
            EXPECT_EQ(r.font.lfEscapement, c.vertical ? -900 : 0);
            EXPECT_EQ(r.color,
                      selected ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol);
            // The font selected before is selected back.
            EXPECT_EQ(f.dc.GetFont(), old);
        }
    }
}

TEST_P(PartDrawTest, AnotherPartPassedDrawsAtItsPosition) {
    CPartPrimitive* line = Add(L"L0,0,10,0");
    TestPart other;
    other.m_position = POINT{-2, 5};
    f.recorder.Clear();
    line->Draw(&f.dc, 0, &other);
    ASSERT_EQ(f.recorder.Size(), 1u);
    EXPECT_EQ(f.recorder[0].logical[0], (POINT{-500, 1250}));
    EXPECT_EQ(f.recorder[0].logical[1], (POINT{-250, 1250}));
}

TEST_P(PartDrawTest, NegativeCoordinatesTruncateTowardZero) {
    // 250 / 10 is exact; with a grid of 254 a step is 25.4 units.
    CPartPrimitive* line = Add(L"L-3,3,7,-7");
    SheetScale s;
    s.grid = 254;
    EXPECT_EQ(s.ToLogical(1, -3), 254 - 76);
    EXPECT_EQ(s.ToLogical(1, 3), 254 + 76);
    DrawOne(line, 0);
    EXPECT_EQ(f.recorder[0].logical[0], P(-3, 3));
}

INSTANTIATE_TEST_SUITE_P(Zooms, PartDrawTest,
                         ::testing::Values(Zoom{1, 1, 1.0}, Zoom{2, 1, 2.0}, Zoom{2, 0, 0.5}));

} // namespace
