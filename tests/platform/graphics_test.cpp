// The Graphics surface: the board view transform, clips and their
// save/restore, regions, recording, pixels of hairlines, text status.
#include "platform/fill_picture_cache.h"
#include "platform/graphics.h"
#include "platform/graphics_recorder.h"
#include "platform/paint_target.h"
#include "platform/pen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// The board view's set-up: scale (sx, -sy), then translate by the scroll
// offset in model units, prepended.
void PrepareBoard(Graphics* g, float zoom, int scrollX, int scrollY) {
    const float sx = g->GetDpiX() * zoom / 25.4f;
    const float sy = g->GetDpiY() * zoom / 25.4f;
    g->ScaleTransform(sx, -sy);
    g->TranslateTransform(scrollX / sx, -scrollY / sy);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
}

struct BoardCase {
    float zoom;
    int scrollX, scrollY;
    PointF model;
    PointF device;
};

class BoardTransform : public ::testing::TestWithParam<BoardCase> {};

TEST_P(BoardTransform, DeviceIsScaleTimesModelPlusScroll) {
    const BoardCase c = GetParam();
    Graphics g(nullptr);
    PrepareBoard(&g, c.zoom, c.scrollX, c.scrollY);
    PointF p = c.model;
    ASSERT_EQ(g.TransformPoints(CoordinateSpaceDevice, CoordinateSpaceWorld, &p, 1), Ok);
    EXPECT_NEAR(p.X, c.device.X, 1e-3);
    EXPECT_NEAR(p.Y, c.device.Y, 1e-3);
    // And back.
    ASSERT_EQ(g.TransformPoints(CoordinateSpaceWorld, CoordinateSpaceDevice, &p, 1), Ok);
    EXPECT_NEAR(p.X, c.model.X, 1e-4);
    EXPECT_NEAR(p.Y, c.model.Y, 1e-4);
}

// At 96 dpi one millimetre is 3.7795276 pixels.
INSTANTIATE_TEST_SUITE_P(
    ZoomAndScroll, BoardTransform,
    ::testing::Values(BoardCase{1, 0, 0, {10, 5}, {37.795276f, -18.897638f}},
                      BoardCase{2, 100, 50, {10, 5}, {175.59055f, 12.204724f}},
                      BoardCase{0.5f, -20, 300, {-4, -8}, {-27.559055f, 315.11811f}},
                      BoardCase{1024, 7, 9, {0.001f, 0.002f}, {10.870236f, 1.2598425f}}));

TEST(GraphicsTransform, PrependAndAppendOrder) {
    Graphics g(nullptr);
    g.TranslateTransform(10, 0);
    g.RotateTransform(90); // prepended: rotate first, then translate
    PointF p{1, 0};
    g.TransformPoints(CoordinateSpaceDevice, CoordinateSpaceWorld, &p, 1);
    EXPECT_NEAR(p.X, 10, 1e-6);
    EXPECT_NEAR(p.Y, 1, 1e-6);
    g.ScaleTransform(2, 2, MatrixOrderAppend);
    p = {1, 0};
    g.TransformPoints(CoordinateSpaceDevice, CoordinateSpaceWorld, &p, 1);
    EXPECT_NEAR(p.X, 20, 1e-6);
    EXPECT_NEAR(p.Y, 2, 1e-6);

    Graphics mm(nullptr);
    mm.SetPageUnit(UnitMillimeter);
    p = {25.4f, 0};
    mm.TransformPoints(CoordinateSpaceDevice, CoordinateSpaceWorld, &p, 1);
    EXPECT_NEAR(p.X, 96, 1e-4);
}

TEST(GraphicsState, SaveRestoresTransformClipAndModes) {
    Graphics g(nullptr);
    g.TranslateTransform(5, 5);
    const GraphicsState outer = g.Save();
    g.ScaleTransform(2, 2);
    g.SetClip(RectF{0, 0, 10, 10});
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    const GraphicsState inner = g.Save();
    g.ResetTransform();
    g.ResetClip();
    EXPECT_TRUE(g.IsVisible(1000, 1000));
    ASSERT_EQ(g.Restore(inner), Ok);
    // Clip in world units under scale 2 and offset 5: device 5..25.
    EXPECT_TRUE(g.IsVisible(9.9f, 9.9f));
    EXPECT_FALSE(g.IsVisible(10.1f, 5));
    RectF cb;
    g.GetClipBounds(&cb);
    EXPECT_NEAR(cb.X, 0, 1e-5);
    EXPECT_NEAR(cb.Width, 10, 1e-5);
    ASSERT_EQ(g.Restore(outer), Ok);
    EXPECT_TRUE(g.IsVisible(1000, 1000));
    EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeDefault);
    Matrix m;
    g.GetTransform(&m);
    EXPECT_EQ(m.OffsetX(), 5);
    // The inner state went with the outer one.
    EXPECT_EQ(g.Restore(inner), InvalidParameter);
    EXPECT_EQ(g.GetLastStatus(), InvalidParameter);
    EXPECT_EQ(g.GetLastStatus(), Ok);
}

TEST(GraphicsClip, ClipStaysInDeviceSpaceWhenTheTransformChanges) {
    Graphics g(nullptr);
    g.ScaleTransform(10, 10);
    g.SetClip(RectF{0, 0, 1, 1}); // device 0..10
    g.ResetTransform();
    EXPECT_TRUE(g.IsVisible(9, 9));
    EXPECT_FALSE(g.IsVisible(11, 5));
}

TEST(GraphicsClip, ExcludeAndIntersectWithPathsAndRegions) {
    auto target = PaintTarget::CreateImage(200, 200);
    Graphics g(target.get());
    g.SetClip(RectF{10, 10, 100, 100});
    GraphicsPath hole;
    hole.AddEllipse(40, 40, 40, 40);
    Region r(&hole);
    g.ExcludeClip(&r);
    EXPECT_TRUE(g.IsVisible(20, 20));
    EXPECT_FALSE(g.IsVisible(60, 60));
    EXPECT_TRUE(g.IsVisible(RectF{55, 55, 30, 30}));  // reaches out of the hole
    EXPECT_FALSE(g.IsVisible(RectF{55, 55, 10, 10})); // inside the hole
    EXPECT_FALSE(g.IsVisible(150, 150));
    g.IntersectClip(RectF{0, 0, 30, 300});
    EXPECT_FALSE(g.IsVisible(50, 20));
    EXPECT_TRUE(g.IsVisible(20, 100));
    // Outside the target is never visible.
    g.ResetClip();
    EXPECT_FALSE(g.IsVisible(-1, 5));
    EXPECT_FALSE(g.IsVisible(RectF{-50, -50, 20, 20}));
}

TEST(RegionOps, ExcludeIntersectXorAndBounds) {
    Region r(RectF{0, 0, 10, 10});
    GraphicsPath disc;
    disc.AddEllipse(3, 3, 4, 4);
    r.Exclude(&disc);
    EXPECT_FALSE(r.IsVisible(5, 5));
    EXPECT_TRUE(r.IsVisible(1, 1));
    EXPECT_TRUE(r.IsVisible(3.2f, 3.2f)); // corner of the disc's box, outside it
    EXPECT_FALSE(r.IsVisible(10, 5));     // right edge is outside
    r.Intersect(RectF{5, 0, 10, 10});
    EXPECT_FALSE(r.IsVisible(1, 1));
    EXPECT_TRUE(r.IsVisible(6, 1));
    RectF b;
    r.GetBounds(&b);
    EXPECT_NEAR(b.X, 5, 1e-5);
    EXPECT_NEAR(b.Width, 5, 1e-5);
    EXPECT_NEAR(b.Height, 10, 1e-5);

    Region x(RectF{0, 0, 2, 2});
    Region y(RectF{1, 1, 2, 2});
    x.Xor(&y);
    EXPECT_TRUE(x.IsVisible(0.5f, 0.5f));
    EXPECT_FALSE(x.IsVisible(1.5f, 1.5f));
    EXPECT_TRUE(x.IsVisible(2.5f, 2.5f));

    Region far(RectF{0, 0, 1, 1});
    far.Intersect(RectF{5, 5, 1, 1});
    EXPECT_TRUE(far.IsEmpty());
    Region inf;
    EXPECT_TRUE(inf.IsInfinite());
    inf.Exclude(RectF{0, 0, 1, 1});
    EXPECT_FALSE(inf.IsInfinite());
    EXPECT_FALSE(inf.IsVisible(0.5f, 0.5f));
    EXPECT_TRUE(inf.IsVisible(-100, 0));
    Region none;
    none.MakeEmpty();
    EXPECT_TRUE(none.IsEmpty());

    Matrix m(2, 0, 0, 2, 100, 0);
    Region t(RectF{0, 0, 1, 1});
    t.Transform(&m);
    EXPECT_TRUE(t.IsVisible(101.5f, 1.5f));
    Matrix rot;
    rot.Rotate(45);
    Region d(RectF{0, 0, 1, 1});
    d.Transform(&rot);
    EXPECT_TRUE(d.IsVisible(0, 1.3f));
    EXPECT_FALSE(d.IsVisible(0.5f, 0.2f));
}

TEST(GraphicsRecording, KeepsTransformedPointsPenBrushAndClip) {
    Graphics g(nullptr);
    GraphicsRecorder rec;
    g.SetRecorder(&rec);
    g.ScaleTransform(2, -2);
    g.TranslateTransform(10, 0, MatrixOrderAppend);
    g.SetClip(RectF{0, -5, 5, 5});
    Pen pen(Color::FromColorRef(MakeColorRef(255, 0, 0)), 0.5f);
    pen.SetDashStyle(DashStyleDash);
    g.DrawLine(&pen, 1, 1, 3, 2);
    SolidBrush brush(Color(0x80, 1, 2, 3));
    g.FillEllipse(&brush, 0, 0, 2, 2);
    ASSERT_EQ(rec.records.size(), 2u);
    const DrawRecord& line = rec.records[0];
    EXPECT_EQ(line.op, DrawOp::Line);
    EXPECT_EQ(line.penColor, 0xFFFF0000u);
    EXPECT_FLOAT_EQ(line.penWidth, 0.5f);
    EXPECT_FLOAT_EQ(line.penDeviceWidth, 1.0f);
    EXPECT_EQ(line.dashStyle, DashStyleDash);
    ASSERT_EQ(line.points.size(), 2u);
    EXPECT_FLOAT_EQ(line.points[0].X, 12);
    EXPECT_FLOAT_EQ(line.points[0].Y, -2);
    EXPECT_FLOAT_EQ(line.points[1].X, 16);
    EXPECT_FLOAT_EQ(line.points[1].Y, -4);
    EXPECT_TRUE(line.clipped);
    EXPECT_FLOAT_EQ(line.clipBounds.X, 10);
    EXPECT_FLOAT_EQ(line.clipBounds.Y, 0);
    EXPECT_FLOAT_EQ(line.clipBounds.Width, 10);
    const DrawRecord& ell = rec.records[1];
    EXPECT_EQ(ell.op, DrawOp::FillEllipse);
    EXPECT_EQ(ell.brushColor, 0x80010203u);
    ASSERT_EQ(ell.points.size(), 13u);
    EXPECT_FLOAT_EQ(ell.points[0].X, 14); // rightmost point (2, 1)
    EXPECT_FLOAT_EQ(ell.points[0].Y, -2);
    EXPECT_EQ(rec.Count(DrawOp::FillEllipse), 1u);
}

int DarkRowsInColumn(const PaintTarget& t, int x) {
    int n = 0;
    for (int y = 0; y < t.Height(); ++y)
        n += (t.PixelAt(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

class HairlinePixels : public ::testing::TestWithParam<float> {};

TEST_P(HairlinePixels, WidthZeroIsOnePixelAtAnyZoom) {
    const float zoom = GetParam();
    auto target = PaintTarget::CreateImage(100, 100);
    Graphics g(target.get());
    PrepareBoard(&g, zoom, 0, 0);
    g.SetSmoothingMode(SmoothingModeNone);
    // Device row 50.3 is model y = -50.3 / s.
    const float s = 96 * zoom / 25.4f;
    Pen pen(Color(0xFF000000), 0);
    g.DrawLine(&pen, 1 / s, -50.3f / s, 99 / s, -50.3f / s);
    target->Flush();
    EXPECT_EQ(DarkRowsInColumn(*target, 50), 1);
    EXPECT_NE(target->PixelAt(50, 50), 0xFFFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Zooms, HairlinePixels,
                         ::testing::Values(1.0f / 64, 0.5f, 1.0f, 8.0f, 256.0f));

TEST(GraphicsPixels, WorldWidthScalesWithZoomAndClipHoldsPixelsBack) {
    auto target = PaintTarget::CreateImage(100, 100);
    Graphics g(target.get());
    g.SetSmoothingMode(SmoothingModeNone);
    g.ScaleTransform(10, 10);
    Pen pen(Color(0xFF0000FF), 1); // 10 pixels
    g.SetClip(RectF{0, 0, 10, 10});
    g.ExcludeClip(RectF{0, 0, 10, 4}); // columns above device y 40
    g.DrawLine(&pen, 5, 0, 5, 10);
    target->Flush();
    EXPECT_EQ(target->PixelAt(50, 20), 0xFFFFFFFFu);
    EXPECT_EQ(target->PixelAt(50, 60), 0xFF0000FFu);
    EXPECT_EQ(target->PixelAt(46, 60), 0xFF0000FFu);
    EXPECT_EQ(target->PixelAt(53, 60), 0xFF0000FFu);
    EXPECT_EQ(target->PixelAt(44, 60), 0xFFFFFFFFu);
    EXPECT_EQ(target->PixelAt(56, 60), 0xFFFFFFFFu);
}

TEST(GraphicsPixels, FilledPathWithHoleLeavesTheHoleUnpainted) {
    auto target = PaintTarget::CreateImage(100, 100);
    Graphics g(target.get());
    GraphicsPath p;
    p.AddRectangle({10, 10, 80, 80});
    p.AddEllipse(30, 30, 40, 40);
    SolidBrush b(Color(0xFF00FF00));
    g.FillPath(&b, &p);
    target->Flush();
    EXPECT_EQ(target->PixelAt(15, 15), 0xFF00FF00u);
    EXPECT_EQ(target->PixelAt(50, 50), 0xFFFFFFFFu);
}

// A path of many figures is filled in strips of rows: every pixel comes out
// as one fill of the whole path gives it, figures across strips included.
TEST(GraphicsPixels, LargePathFillsEveryPixelAsOnePathWould) {
    constexpr int kSize = 400, kPitch = 3;
    auto target = PaintTarget::CreateImage(kSize, kSize);
    Graphics g(target.get());
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    GraphicsPath p;
    p.AddRectangle({0, 0, kSize, kSize});
    for (int y = 1; y + 1 < kSize; y += kPitch)
        for (int x = 1; x + 1 < kSize - 10; x += kPitch)
            p.AddRectangle({static_cast<float>(x), static_cast<float>(y), 1, 1});
    p.AddRectangle({kSize - 6, 1, 3, kSize - 2});     // through every strip
    p.AddRectangle({2, kSize / 2 - 1, kSize - 4, 1}); // along a strip's edge
    ASSERT_GT(p.GetPointCount(), 60000);
    SolidBrush b(Color(0xFF00FF00));
    g.FillPath(&b, &p);
    target->Flush();
    int wrong = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            bool in = true;
            if (x >= 1 && x < kSize - 10 && (x - 1) % kPitch == 0 && y >= 1 && y + 1 < kSize &&
                (y - 1) % kPitch == 0)
                in = !in;
            if (x >= kSize - 6 && x < kSize - 3 && y >= 1 && y < kSize - 1)
                in = !in;
            if (x >= 2 && x < kSize - 2 && y == kSize / 2 - 1)
                in = !in;
            if (target->PixelAt(x, y) != (in ? 0xFF00FF00u : 0xFFFFFFFFu))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

// A fill drawn for an owner through a cache of pictures draws what the
// fill itself draws, and is rasterised anew only when the path, colour,
// scale or sub-pixel shift changed or a pan went beyond the picture.
TEST(GraphicsPixels, FillPicturesAreMadeAgainOnlyWhenTheirMakingChanges) {
    GraphicsPath path;
    path.AddRectangle({-40, -40, 200, 160});
    path.AddEllipse(10, 10, 20, 14);
    FillPictureCache cache;
    const int owner = 0;
    struct View {
        float scale, dx, dy;
        ARGB colour;
        bool clip;
    };
    auto paint = [&](PaintTarget* target, const View& v, FillPictureCache* pictures) {
        Graphics g(target);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.SetFillPictures(pictures);
        if (v.clip)
            g.SetClip(RectF{20, 10, 50, 40});
        g.TranslateTransform(v.dx, v.dy);
        g.ScaleTransform(v.scale, v.scale);
        SolidBrush brush{Color(v.colour)};
        g.FillPath(&brush, &path, &owner);
        g.Flush();
    };
    const ARGB copper = 0xFF906030, other = 0xFF306090;
    const struct {
        const char* what;
        View view;
        bool changePath;
        int made;
    } steps[] = {
        {"first", {2, 5, 3, copper, false}, false, 1},
        {"panned by whole pixels", {2, 25, -7, copper, false}, false, 0},
        {"panned back", {2, 5, 3, copper, false}, false, 0},
        {"shifted by half a pixel", {2, 5.5f, 3, copper, false}, false, 1},
        {"zoomed", {3, 5.5f, 3, copper, false}, false, 1},
        {"coloured anew", {3, 5.5f, 3, other, false}, false, 1},
        {"path changed", {3, 5.5f, 3, other, false}, true, 1},
        {"clipped", {3, 5.5f, 3, other, true}, false, 0},
        {"panned beyond the picture", {3, 205.5f, 3, other, false}, false, 1},
    };
    for (const auto& step : steps) {
        // A second hole, in the target's upper left, clear of the first.
        if (step.changePath)
            path.AddEllipse(2, 2, 6, 6);
        const int made = cache.Made();
        auto kept = PaintTarget::CreateImage(120, 80);
        paint(kept.get(), step.view, &cache);
        EXPECT_EQ(cache.Made() - made, step.made) << step.what;
        auto direct = PaintTarget::CreateImage(120, 80);
        paint(direct.get(), step.view, nullptr);
        int differing = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x) {
                const ARGB a = kept->PixelAt(x, y), b = direct->PixelAt(x, y);
                for (int shift : {0, 8, 16})
                    if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                 static_cast<int>((b >> shift) & 0xFF)) > 8) {
                        ++differing;
                        break;
                    }
            }
        EXPECT_EQ(differing, 0) << step.what;
    }
    // Pictures not drawn between two calls go.
    cache.DropUnused();
    EXPECT_EQ(cache.Count(), 1u);
    cache.DropUnused();
    EXPECT_EQ(cache.Count(), 0u);
}

TEST(GraphicsPixels, PainterStateIsGivenBackBetweenSurfaces) {
    auto target = PaintTarget::CreateImage(40, 40);
    SolidBrush red(Color(0xFFFF0000));
    {
        Graphics g(target.get());
        g.SetClip(RectF{0, 0, 10, 10});
        g.ScaleTransform(2, 2);
        g.FillRectangle(&red, 0, 0, 20, 20);
        // Reading pixels ends the painter; the surface takes it again after.
        EXPECT_EQ(target->PixelAt(5, 5), 0xFFFF0000u);
        EXPECT_EQ(target->PixelAt(15, 15), 0xFFFFFFFFu);
        SolidBrush blue(Color(0xFF0000FF));
        g.FillRectangle(&blue, 0, 0, 20, 20);
        EXPECT_EQ(target->PixelAt(5, 5), 0xFF0000FFu);
        EXPECT_EQ(target->PixelAt(15, 15), 0xFFFFFFFFu);
        g.FillRectangle(&blue, 0, 0, 1, 1);
    }
    // A later surface finds neither the clip nor the transform of the first.
    Graphics h(target.get());
    h.FillRectangle(&red, 30, 30, 5, 5);
    EXPECT_EQ(target->PixelAt(32, 32), 0xFFFF0000u);
    EXPECT_EQ(target->PixelAt(15, 15), 0xFFFFFFFFu);
}

TEST(GraphicsText, MissingFontIsReportedAndDrawsNothing) {
    Graphics g(nullptr);
    GraphicsRecorder rec;
    g.SetRecorder(&rec);
    Font font(L"No Such Face 42", 10, FontStyleRegular, UnitWorld);
    EXPECT_EQ(font.GetLastStatus(), FontFamilyNotFound);
    SolidBrush b(Color(0xFF000000));
    EXPECT_EQ(g.DrawString(L"abc", &font, PointF{0, 0}, &b), FontFamilyNotFound);
    EXPECT_EQ(g.GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(g.GetLastStatus(), Ok);
    EXPECT_TRUE(rec.records.empty());
}

TEST(GraphicsText, MeasureInWorldUnitsFollowsTheFontUnit) {
    Graphics g(nullptr);
    g.ScaleTransform(4, 4);
    // A size in pixels is one in page units, scaled by the transform as the
    // world units are.
    Font world(L"DejaVu Sans", 10, FontStyleRegular, UnitWorld);
    Font pixels(L"DejaVu Sans", 10, FontStyleRegular, UnitPixel);
    RectF a, b;
    ASSERT_EQ(g.MeasureString(L"Hello", &world, PointF{0, 0}, nullptr, &a), Ok);
    ASSERT_EQ(g.MeasureString(L"Hello", &pixels, PointF{0, 0}, nullptr, &b), Ok);
    // Advances 1542+1260+569+569+1253 = 5193 units of 2048 per em.
    EXPECT_NEAR(a.Width, 5193 * 10 / 2048.0, 0.05);
    EXPECT_NEAR(a.Width, b.Width, 1e-4);
    EXPECT_NEAR(a.Height, b.Height, 1e-4);
    // Centred in a layout rectangle.
    StringFormat f;
    f.SetAlignment(StringAlignmentCenter);
    f.SetLineAlignment(StringAlignmentCenter);
    RectF c;
    g.MeasureString(L"Hello", &world, RectF{0, 0, 100, 50}, &f, &c);
    EXPECT_NEAR(c.X + c.Width / 2, 50, 1e-4);
    EXPECT_NEAR(c.Y + c.Height / 2, 25, 1e-4);
}

// Pens and paths are made on helper threads too (the manufacturing export
// builds outlines in parallel): their stamps stay unique.
TEST(DrawingStamps, UniqueAcrossThreads) {
    constexpr int kThreads = 4, kEach = 20000;
    std::vector<std::vector<uint64_t>> stamps(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&stamps, t] {
            for (int i = 0; i < kEach; ++i)
                stamps[static_cast<std::size_t>(t)].push_back(NextDrawingStamp());
        });
    for (std::thread& thread : threads)
        thread.join();
    std::vector<uint64_t> all;
    for (const auto& list : stamps)
        all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
}

} // namespace
