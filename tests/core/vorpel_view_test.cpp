// The view base: zooming, both mappings, the grid and origin marker, lengths
// in display units, snapping and the base message handling.
#include "core/default_settings.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/graphics_recorder.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

PointF ModelUnder(CTestView& view, POINT client) {
    Graphics g(nullptr);
    g.SetDpi(96, 96);
    PointF p;
    POINT s = view.GetScrollOffset();
    view.ClientToModel(p, &g, static_cast<float>(client.x - s.x),
                       static_cast<float>(client.y - s.y));
    return p;
}

TEST(ViewZoomTest, TenZoomInsReach1024AndTheEleventhChangesNothing) {
    CTestView view;
    for (int i = 0; i < 10; ++i)
        view.Zoom(100, 100, 0);
    EXPECT_EQ(view.GetZoomFactor(), 1024);
    EXPECT_EQ(view.GetZoomMode(), 1);
    POINT scroll = view.GetScrollOffset();
    view.Zoom(37, 59, 0);
    EXPECT_EQ(view.GetZoomFactor(), 1024);
    EXPECT_EQ(view.GetScrollOffset(), scroll);
    EXPECT_EQ(view.GetZoomedFont().lfHeight, 6 * 1024) << "250 / 40 = 6 times the scale";
}

TEST(ViewZoomTest, ZoomingOutFromOneGoesToDivideModeAndBack) {
    CTestView view;
    view.Zoom(0, 0, 1);
    EXPECT_EQ(view.GetZoomFactor(), 2);
    EXPECT_EQ(view.GetZoomMode(), 0);
    EXPECT_DOUBLE_EQ(view.GetZoomScale(), 0.5);
    view.Zoom(0, 0, 0);
    EXPECT_EQ(view.GetZoomFactor(), 1);
    EXPECT_EQ(view.GetZoomMode(), 0);
    EXPECT_DOUBLE_EQ(view.GetZoomScale(), 1.0);
    view.Zoom(0, 0, 0);
    EXPECT_EQ(view.GetZoomFactor(), 2);
    EXPECT_EQ(view.GetZoomMode(), 1);
    for (int i = 0; i < 12; ++i)
        view.Zoom(0, 0, 1);
    EXPECT_EQ(view.GetZoomFactor(), 1024);
    EXPECT_EQ(view.GetZoomMode(), 0);
    EXPECT_EQ(view.GetZoomedFont().lfHeight, 0);
}

TEST(ViewZoomTest, TheModelPointUnderTheCursorStaysPut) {
    CTestView view;
    view.SetScrollOffset(POINT{50, 80});
    const POINT cursor{300, 200};
    PointF before = ModelUnder(view, cursor);
    for (int mode : {0, 0, 1, 1, 1, 1, 0}) {
        double coarser = std::min(view.GetZoomScale(), mode == 1 ? view.GetZoomScale() / 2 : 1e9);
        view.Zoom(cursor.x, cursor.y, mode);
        PointF after = ModelUnder(view, cursor);
        // Integer halving of the offset may move it by half a pixel of the
        // coarser scale.
        double pixel = 25.4 / (96 * coarser);
        EXPECT_NEAR(after.X, before.X, pixel / 2 + 1e-3) << "mode " << mode;
        EXPECT_NEAR(after.Y, before.Y, pixel / 2 + 1e-3) << "mode " << mode;
        before = after;
    }
}

TEST(ViewZoomTest, ZoomAllIsTheViewsAndSheetViewsEraseOnZoom) {
    CTestView board(nullptr, kViewBoard);
    board.Zoom(10, 10, 2);
    EXPECT_EQ(board.zoomAllCalls, 1);
    ASSERT_EQ(board.invalidations.size(), 1u);
    EXPECT_TRUE(board.invalidations[0].whole);
    EXPECT_FALSE(board.invalidations[0].erase);
    CTestView sheet(nullptr, kViewSchematic);
    sheet.Zoom(10, 10, 0);
    ASSERT_EQ(sheet.invalidations.size(), 1u);
    EXPECT_TRUE(sheet.invalidations[0].erase);
}

// --- Sheet side ------------------------------------------------------------------

struct SheetDocument : CTreeNode {
    SheetDocument() { m_size = SIZE{42000, 29700}; }
};

TEST(ViewMappingTest, PrepareDcMapsHundredthsOfAMillimetreWithTheSheetTopAtTheTop) {
    SheetDocument sheet;
    CTestView view(&sheet, kViewSchematic);
    DeviceContext dc(960, 600);
    view.PrepareDC(&dc);
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.GetWindowExt(), (SIZE{25400, 25400}));
    EXPECT_EQ(dc.GetViewportExt(), (SIZE{960, -960}));
    EXPECT_EQ(dc.GetWindowOrg(), (POINT{0, 29700}));
    EXPECT_EQ(dc.ToDevice(POINT{0, 29700}), (POINT{0, 0}));
    EXPECT_EQ(dc.ToDevice(POINT{2540, 29700 - 2540}), (POINT{96, 96}));

    struct Case {
        int factor, mode, viewport;
    } cases[] = {{2, 1, 1920},
                 {1024, 1, 960 * 1024},
                 {4, 0, 240},
                 {512, 0, 1},
                 // 960 / 1024 is 0, which the context refuses: one pixel instead.
                 {1024, 0, 1}};
    for (const Case& c : cases) {
        DeviceContext d(960, 600);
        view.SetZoom(c.factor, c.mode);
        view.PrepareDC(&d);
        EXPECT_EQ(d.GetViewportExt(), (SIZE{c.viewport, -c.viewport}))
            << c.factor << " mode " << c.mode;
    }
}

TEST(ViewMappingTest, PreparePrintDcFitsTheExtentToThePageOrPrintsAtTrueScale) {
    SheetDocument sheet;
    CTestView view(&sheet, kViewSchematic);
    view.printExtent = SIZE{41000, 28700};
    DeviceContext printer(4800, 6600, 600, 600); // 20320 x 27940 in 0.01 mm
    view.PreparePrintDC(&printer, true, 0, 0);
    EXPECT_EQ(printer.GetWindowExt(), (SIZE{20320, 20320}));
    EXPECT_EQ(printer.GetViewportExt(), (SIZE{2378, -2378})) << "4800 x 20320 / 41000";
    EXPECT_EQ(printer.GetWindowOrg(), (POINT{500, 29200}));

    // A portrait sheet on a landscape page: fitted by its width it would run
    // off the bottom of the page, so its height decides the scale.
    view.printExtent = SIZE{20000, 28700};
    DeviceContext landscape(6600, 4800, 600, 600); // 27940 x 20320
    view.PreparePrintDC(&landscape, true, 0, 0);
    EXPECT_EQ(landscape.GetViewportExt(), (SIZE{4672, -4672})) << "4800 x 27940 / 28700";
    view.printExtent = SIZE{41000, 28700};

    DeviceContext tile(4800, 6600, 600, 600);
    view.PreparePrintDC(&tile, false, 20000, 10000);
    EXPECT_EQ(tile.GetViewportExt(), (SIZE{4800, -4800}));
    EXPECT_EQ(tile.GetWindowOrg(), (POINT{20500, 19200}));

    // Without a print extent fitting has nothing to divide by.
    view.printExtent = SIZE{0, 0};
    DeviceContext none(4800, 6600, 600, 600);
    view.PreparePrintDC(&none, true, 0, 0);
    EXPECT_EQ(none.GetViewportExt(), (SIZE{4800, -4800}));
    EXPECT_EQ(none.GetWindowOrg(), (POINT{21000, 29700 - 14850}));
}

// --- Board side ------------------------------------------------------------------

TEST(ViewMappingTest, PrepareGraphicsPutsTheModelOriginAtTheScrollOffsetWithYUp) {
    CTestView view;
    view.SetZoom(2, 1);
    view.SetScrollOffset(POINT{100, 50});
    Graphics g(nullptr);
    g.SetDpi(96, 96);
    view.PrepareGraphics(&g);
    EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeAntiAlias);
    PointF p{10, 5};
    g.WorldToDevice().TransformPoints(&p);
    double s = 96 * 2 / 25.4;
    EXPECT_NEAR(p.X, s * 10 + 100, 1e-3);
    EXPECT_NEAR(p.Y, -s * 5 + 50, 1e-3);

    PointF back;
    view.ClientToModel(back, &g, p.X - 100, p.Y - 50);
    EXPECT_NEAR(back.X, 10, 1e-4);
    EXPECT_NEAR(back.Y, 5, 1e-4);

    RECT r = WorldRectToDeviceRect(&g, 0, 0, 10, 5);
    EXPECT_EQ(r, (RECT{100, 50 - static_cast<int>(std::lround(s * 5)),
                       100 + static_cast<int>(std::lround(s * 10)), 50}));
}

TEST(ViewGridTest, LinesAreDrawnOnlyWhenMoreThanFivePixelsApart) {
    CTestView view;
    view.SetGrid(0.1f, 0.1f);
    GraphicsRecorder rec;
    Graphics g(nullptr);
    g.SetDpi(96, 96);
    g.SetRecorder(&rec);
    view.DrawGrid(&g, RECT{0, 0, 100, 50});
    EXPECT_EQ(rec.records.size(), 0u) << "0.378 pixels apart at scale 1";

    view.SetZoom(16, 1); // 6.05 pixels
    view.DrawGrid(&g, RECT{0, 0, 100, 50});
    EXPECT_EQ(rec.Count(DrawOp::Line), 17u + 9u);
    const DrawRecord& first = rec.records.front();
    EXPECT_EQ(first.penColor, Color::FromColorRef(g_DefaultSettings.colorBoardGrid).GetValue());
    EXPECT_EQ(first.penWidth, 0.0f);
    EXPECT_EQ(first.smoothing, SmoothingModeNone);
    // Steps that differ per axis: only the finer one is left out.
    rec.Clear();
    view.SetZoom(1, 1);
    view.SetGrid(2.54f, 1.0f); // 9.6 and 3.78 pixels
    view.DrawGrid(&g, RECT{0, 0, 100, 50});
    EXPECT_EQ(rec.Count(DrawOp::Line), 11u);
    EXPECT_FLOAT_EQ(rec.records[1].points[0].X, 9.6f);
}

TEST(ViewGridTest, GridFollowsTheScrollOffsetAndRestoresTheTransform) {
    CTestView view;
    view.SetGrid(2.54f, 2.54f);
    view.SetScrollOffset(POINT{5, 3});
    GraphicsRecorder rec;
    Graphics g(nullptr);
    g.SetDpi(96, 96);
    view.PrepareGraphics(&g);
    Matrix before;
    g.GetTransform(&before);
    g.SetRecorder(&rec);
    view.DrawGrid(&g, RECT{0, 0, 20, 20});
    // Update rectangle (-5..15) less the offset: lines at 0 and 9.6 plus 5.
    ASSERT_GE(rec.records.size(), 2u);
    EXPECT_FLOAT_EQ(rec.records[0].points[0].X, 5.0f);
    EXPECT_FLOAT_EQ(rec.records[1].points[0].X, 14.6f);
    Matrix after;
    g.GetTransform(&after);
    EXPECT_TRUE(before.Equals(&after));
}

TEST(ViewGridTest, OriginMarkerIsACrossedCircleOfFifteenPixels) {
    CTestView view;
    view.SetScrollOffset(POINT{40, 30});
    GraphicsRecorder rec;
    Graphics g(nullptr);
    g.SetDpi(96, 96);
    g.SetRecorder(&rec);
    view.DrawOriginMarker(&g);
    ASSERT_EQ(rec.records.size(), 3u);
    EXPECT_EQ(rec.records[0].op, DrawOp::Ellipse);
    EXPECT_EQ(rec.records[0].penColor, Color::FromColorRef(g_DefaultSettings.colorOrg).GetValue());
    EXPECT_FLOAT_EQ(rec.records[1].points[0].X, 25.0f);
    EXPECT_FLOAT_EQ(rec.records[1].points[0].Y, 45.0f);

    rec.Clear();
    view.SetCurrentTool(ID_TOOL_MOVE_ORIGIN);
    view.SetPendingOrigin(PointF{1, 2});
    g.ResetTransform();
    view.DrawOriginMarker(&g);
    ASSERT_EQ(rec.records.size(), 6u) << "the pending origin, then the marker";
    EXPECT_EQ(rec.records[3].penColor, Color::FromColorRef(0x0000FF).GetValue());
    EXPECT_FLOAT_EQ(rec.records[0].worldRect.Width, 8.0f) << "radius 4 at scale 1";
}

// --- Lengths ---------------------------------------------------------------------

class LengthTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        previous_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, GetParam()))
            FAIL() << "locale " << GetParam() << " is not installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, previous_.c_str()); }
    std::string previous_;
};

TEST_P(LengthTest, FormatAndParseInAllFourUnits) {
    struct Case {
        float mm;
        int unit;
        const wchar_t* text;
    } cases[] = {
        {25.4f, kUnitInch, L"1.000"},     {2.54f, kUnitInch, L"0.100"},
        {2.54f, kUnitMil, L"100.0"},      {25.4f, kUnitMil, L"1000.0"},
        {1.5f, kUnitMicrometre, L"1500"}, {1.0f, kUnitMm, L"1.000"},
        {-0.25f, kUnitMm, L"-0.250"},     {0.0f, kUnitMicrometre, L"0"},
        {420.0f, kUnitMm, L"420.000"},    {0.0127f, kUnitMil, L"0.5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatLength(c.mm, c.unit), c.text) << c.mm << " unit " << c.unit;
        EXPECT_NEAR(ParseLength(c.text, c.unit), c.mm, 1e-5) << c.mm << " unit " << c.unit;
    }
    EXPECT_FLOAT_EQ(ParseLength(L"100", kUnitMil), 2.54f);
    EXPECT_FLOAT_EQ(ParseLength(L"1", kUnitInch), 25.4f);
    EXPECT_FLOAT_EQ(ParseLength(L" 2.5mm", kUnitMm), 2.5f) << "what follows the number is ignored";
    EXPECT_FLOAT_EQ(ParseLength(L"1,5", kUnitMm), 1.0f) << "a comma is never a decimal point";

    float mm = 7.0f;
    EXPECT_FALSE(ParseLength(L"abc", kUnitMm, &mm));
    EXPECT_FALSE(ParseLength(L"", kUnitMm, &mm));
    EXPECT_FALSE(ParseLength(L"inf", kUnitMm, &mm));
    EXPECT_EQ(mm, 7.0f) << "a rejected text leaves the value alone";
}

INSTANTIATE_TEST_SUITE_P(Locales, LengthTest, ::testing::Values("C", "de_DE.UTF-8"));

TEST(ViewSnapTest, SnapsHalfwayPointsAwayFromZero) {
    CTestView view;
    view.SetGrid(1.27f, 2.54f);
    PointF p = view.SnapToGrid(PointF{1.905f, -3.81f});
    EXPECT_NEAR(p.X, 2.54f, 1e-5);
    EXPECT_NEAR(p.Y, -5.08f, 1e-5);
    p = view.SnapToGrid(PointF{0.6f, 1.2f});
    EXPECT_NEAR(p.X, 0.0f, 1e-6);
    EXPECT_NEAR(p.Y, 0.0f, 1e-6);

    view.SetSnap(false);
    p = view.SnapToGrid(PointF{0.6f, 1.2f});
    EXPECT_EQ(p.X, 0.6f);
    view.SetSnap(true);
    view.SetGrid(1.0f, 0.0f);
    p = view.SnapToGrid(PointF{0.6f, 1.2f});
    EXPECT_EQ(p.X, 0.6f) << "one zero step turns snapping off";
    // A grid read from a file as infinite leaves its axis alone.
    view.SetGrid(std::numeric_limits<float>::infinity(), 1.0f);
    p = view.SnapToGrid(PointF{0.6f, 1.2f});
    EXPECT_EQ(p.X, 0.6f);
    EXPECT_EQ(p.Y, 1.0f);
}

TEST(ViewConstructionTest, StartsWithTheDefaults) {
    SheetDocument doc;
    CTestView view(&doc);
    EXPECT_EQ(view.GetDocument(), &doc);
    EXPECT_EQ(view.GetCurrentTool(), ID_TOOL_DEFAULT);
    EXPECT_EQ(view.GetTextHeight(), 250);
    EXPECT_TRUE(view.IsSnapOn());
    EXPECT_TRUE(view.ArePadNumbersShown());
    EXPECT_EQ(view.GetVisibleLayers(), ~0ull);
    EXPECT_TRUE(view.GetDrawOrder().empty());
    EXPECT_EQ(view.GetFont().lfHeight, 250);
    EXPECT_EQ(view.GetFont().lfFaceName, g_DefaultSettings.font.lfFaceName);
    EXPECT_EQ(view.GetVerticalFont().lfEscapement, -900);
    EXPECT_EQ(view.GetVerticalFont().lfOrientation, -900);
    EXPECT_EQ(view.GetZoomedFont().lfHeight, 6);
}

// --- Messages --------------------------------------------------------------------

class Recorder : public PlatformWindow {
public:
    std::vector<UINT> messages;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        messages.push_back(msg);
        result = 0;
        return false;
    }
};

TEST(ViewMessageTest, CreateSetsTheUndoFocusAndDestroyClearsOnlyItsOwnActivePointer) {
    Recorder parent;
    ASSERT_TRUE(parent.Create(nullptr, RECT{0, 0, 400, 300}, L"", WS_POPUP));
    SheetDocument doc;
    CTestView a(&doc), b;
    doc.SetEditorView(&a);
    ASSERT_TRUE(a.Create(&parent, RECT{0, 0, 400, 300}));
    ASSERT_TRUE(b.Create(&parent, RECT{0, 0, 400, 300}));
    EXPECT_EQ(a.GetUndoList().GetFocusWindow(), &parent);

    g_pActiveView = &b;
    a.DestroyWindow();
    EXPECT_EQ(g_pActiveView, &b) << "destroying another view keeps the active one";
    EXPECT_EQ(doc.GetEditorView(), nullptr);
    b.DestroyWindow();
    EXPECT_EQ(g_pActiveView, nullptr);
    parent.DestroyWindow();
}

TEST(ViewMessageTest, ZoomCommandsZoomAboutTheClientCentreAndChildNotesAreReflected) {
    Recorder parent;
    ASSERT_TRUE(parent.Create(nullptr, RECT{0, 0, 400, 300}, L"", WS_POPUP));
    CTestView view;
    ASSERT_TRUE(view.Create(&parent, RECT{0, 0, 400, 300}));
    view.SendMessage(WM_COMMAND, ID_ZOOM_IN);
    EXPECT_EQ(view.GetZoomFactor(), 2);
    EXPECT_EQ(view.GetScrollOffset(), (POINT{-200, -150}));
    view.SendMessage(WM_COMMAND, ID_ZOOM_OUT);
    EXPECT_EQ(view.GetZoomFactor(), 1);
    EXPECT_EQ(view.GetScrollOffset(), (POINT{0, 0}));
    view.SendMessage(WM_COMMAND, ID_ZOOM_ALL);
    EXPECT_EQ(view.zoomAllCalls, 1);

    Recorder child;
    ASSERT_TRUE(child.Create(&view, RECT{0, 0, 10, 10}, L"", WS_CHILD, 0, 7));
    view.SendMessage(WM_COMMAND, MAKEWPARAM(7, 0), PtrToLParam<PlatformWindow>(&child));
    ASSERT_FALSE(child.messages.empty());
    EXPECT_EQ(child.messages.back(), OCM_BASE + WM_COMMAND);
    EXPECT_EQ(view.GetZoomFactor(), 1);
    parent.DestroyWindow();
}

} // namespace
