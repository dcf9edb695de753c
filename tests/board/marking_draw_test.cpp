// Drawing, bounds and hit tests of the marking primitives, recorded on a
// drawing surface prepared as the footprint view prepares it.
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_primitive.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "core/default_settings.h"
#include "platform/graphics.h"
#include "platform/graphics_recorder.h"
#include "platform/text.h"
#include "tests/core/test_view.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kFootprintFlags = 0x40000;
constexpr int kBoardFlags = 0x80000;

ARGB Opaque(COLORREF c) {
    return ColorRefToArgb(c, 0xFF);
}

class MarkingDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view.MakeActive();
        m_marking = static_cast<CMarking*>(m_footprint.AddChild(new CMarking(22)));
        PrepareAt(96);
    }
    void TearDown() override { g_pActiveView = nullptr; }

    // A fresh surface at this DPI with the view's board mapping, recording.
    void PrepareAt(float dpi) {
        m_g = std::make_unique<Graphics>(nullptr);
        m_g->SetDpi(dpi, dpi);
        m_view.PrepareGraphics(m_g.get());
        m_rec.Clear();
        m_g->SetRecorder(&m_rec);
    }
    template <class T> T* Make(const wchar_t* token) {
        return static_cast<T*>(Keep(ParseMarkingToken(m_marking, token)));
    }
    CMarkingPrimitive* Keep(CMarkingPrimitive* p) {
        m_marking->m_primitives.push_back(p);
        return p;
    }
    std::vector<DrawOp> Ops() const {
        std::vector<DrawOp> ops;
        for (const DrawRecord& r : m_rec.records)
            ops.push_back(r.op);
        return ops;
    }
    ARGB LayerColor(int layer) const { return Opaque(g_DefaultSettings.layerColors[layer]); }
    ARGB SelColor() const { return Opaque(g_DefaultSettings.colorSel); }

    CTestView m_view{nullptr, kViewFootprint};
    CFootprint m_footprint{kPlaceTop};
    CMarking* m_marking = nullptr;
    std::unique_ptr<Graphics> m_g;
    GraphicsRecorder m_rec;
};

} // namespace

TEST_F(MarkingDrawTest, LineTakesLayerColourPenWidthAndRoundCaps) {
    auto* line = Make<CMarkingLine>(L"L0,0,10,5W0.2");
    line->Draw(m_g.get(), kBoardFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::Line});
    const DrawRecord& r = m_rec.records[0];
    EXPECT_EQ(r.penColor, LayerColor(22));
    EXPECT_EQ(r.penColor >> 24, 0xFFu);
    EXPECT_FLOAT_EQ(r.penWidth, 0.2f);
    EXPECT_EQ(r.startCap, LineCapRound);
    EXPECT_EQ(r.endCap, LineCapRound);

    m_rec.Clear();
    line->m_selected = true;
    line->Draw(m_g.get(), kBoardFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::Line}) << "no handles in the board editor";
    EXPECT_EQ(m_rec.records[0].penColor, SelColor());
}

TEST_F(MarkingDrawTest, HandlesOfASelectedPrimitiveInTheEditors) {
    m_view.SetZoom(2, 1);
    PrepareAt(96);
    auto* line = Make<CMarkingLine>(L"L0,0,10,5W0.2");
    line->m_selected = true;
    for (int flags : {0x20000, 0x40000}) {
        m_rec.Clear();
        line->Draw(m_g.get(), flags);
        ASSERT_EQ(Ops(), (std::vector<DrawOp>{DrawOp::Line, DrawOp::Rectangle, DrawOp::Rectangle,
                                              DrawOp::Rectangle, DrawOp::Rectangle}));
        const float s = 5.0f / 2;
        const DrawRecord& black = m_rec.records[1];
        EXPECT_EQ(black.penColor, 0xFF000000u);
        EXPECT_FLOAT_EQ(black.penWidth, s * 0.25f);
        EXPECT_FLOAT_EQ(black.worldRect.X, -s / 2);
        EXPECT_FLOAT_EQ(black.worldRect.Width, s);
        EXPECT_EQ(m_rec.records[2].penColor, SelColor());
        EXPECT_FLOAT_EQ(m_rec.records[2].penWidth, 0.0f);
        EXPECT_FLOAT_EQ(m_rec.records[3].worldRect.X, 10 - s / 2);
    }
}

TEST_F(MarkingDrawTest, RectangleAndCircle) {
    auto* rect = Make<CMarkingRect>(L"RC0,0,10,5W0.3");
    rect->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Ops(), (std::vector<DrawOp>{DrawOp::Line, DrawOp::Line, DrawOp::Line, DrawOp::Line}));
    m_rec.Clear();
    rect->m_filled = true;
    rect->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::FillRectangle});
    EXPECT_EQ(m_rec.records[0].brushColor, LayerColor(22));
    EXPECT_FALSE(m_rec.records[0].hasPen) << "filled shapes get no outline";

    auto* circle = Make<CMarkingCircle>(L"CIRC-1,-1,1,1W0.1");
    m_rec.Clear();
    circle->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::Ellipse});
    EXPECT_FLOAT_EQ(m_rec.records[0].worldRect.Width, 2);
    m_rec.Clear();
    circle->m_filled = true;
    circle->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Ops(), std::vector<DrawOp>{DrawOp::FillEllipse});

    // Corners within 0.0001: nothing drawn, still hit.
    auto* dot = Make<CMarkingRect>(L"RC1,1,1.00005,1W0.2");
    m_rec.Clear();
    dot->Draw(m_g.get(), kFootprintFlags);
    EXPECT_TRUE(m_rec.records.empty());
    EXPECT_TRUE(dot->HitTest(m_g.get(), 1, 1));
}

TEST_F(MarkingDrawTest, PolygonOutlines) {
    struct {
        const wchar_t* token;
        size_t lines;
    } cases[] = {{L"POLYC1,1W0.2", 1},
                 {L"POLY1,1W0.2", 0},
                 {L"POLYC0,0,1,0W0.2", 2},
                 {L"POLY0,0,1,0,1,1W0.2", 2},
                 {L"POLYC0,0,1,0,1,1W0.2", 3}};
    for (const auto& c : cases) {
        auto* poly = Make<CMarkingPolygon>(c.token);
        if (poly->m_vertices.empty())
            poly->m_vertices = {{1, 1}}; // a one-vertex polygon is never read; build it
        m_rec.Clear();
        poly->Draw(m_g.get(), kFootprintFlags);
        EXPECT_EQ(m_rec.Count(DrawOp::Line), c.lines) << WideToUtf8(c.token);
    }
    auto* filled = Make<CMarkingPolygon>(L"POLYF0,0,4,0,4,4W0.2");
    m_rec.Clear();
    filled->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::FillPolygon});
    EXPECT_EQ(m_rec.records[0].fillMode, FillModeAlternate);
    EXPECT_TRUE(filled->HitTest(m_g.get(), 3, 1));
    EXPECT_FALSE(filled->HitTest(m_g.get(), 1, 3));
}

TEST_F(MarkingDrawTest, BezierWithControlArms) {
    auto* crv = Make<CMarkingBezier>(L"CRV0,0,0,10,10,10,10,0W0.15");
    crv->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Ops(), std::vector<DrawOp>{DrawOp::Bezier});
    crv->m_selected = true;
    m_rec.Clear();
    crv->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(m_rec.records.size(), 2u + 1u + 8u);
    EXPECT_EQ(m_rec.records[0].op, DrawOp::Line);
    EXPECT_EQ(m_rec.records[0].dashStyle, DashStyleDash);
    EXPECT_FLOAT_EQ(m_rec.records[0].penWidth, 0);
    EXPECT_EQ(m_rec.records[2].op, DrawOp::Bezier);
    // Hit on the arms, not on the curve between them.
    EXPECT_TRUE(crv->HitTest(m_g.get(), 0, 5));
    EXPECT_FALSE(crv->HitTest(m_g.get(), 5, 7.5f));
}

TEST_F(MarkingDrawTest, ArcDrawing) {
    auto* arc = Make<CMarkingArc>(L"ARC-2,-2,2,2,2,0,0,2W0.1");
    arc->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::Arc});
    EXPECT_NEAR(m_rec.records[0].startAngle, 0, 1e-4);
    EXPECT_NEAR(m_rec.records[0].sweepAngle, 90, 1e-4);

    arc->m_closed = true;
    m_rec.Clear();
    arc->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Ops(), (std::vector<DrawOp>{DrawOp::Line, DrawOp::Arc})) << "chord, then the arc";

    arc->m_filled = true;
    m_rec.Clear();
    arc->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(Ops(), std::vector<DrawOp>{DrawOp::FillPath});

    // While the box and the start are drawn, the whole ellipse shows.
    arc->m_filled = false;
    arc->m_state = 2;
    arc->m_selected = true;
    m_rec.Clear();
    arc->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(m_rec.Count(DrawOp::Ellipse), 1u);
    EXPECT_EQ(m_rec.Count(DrawOp::Line), 1u) << "only the start direction in state 2";
    arc->m_state = 0;
    m_rec.Clear();
    arc->Draw(m_g.get(), kFootprintFlags);
    EXPECT_EQ(m_rec.Count(DrawOp::Line), 3u) << "chord and both directions";
    EXPECT_EQ(m_rec.Count(DrawOp::Rectangle), 8u);
}

TEST_F(MarkingDrawTest, EmptyArcsDrawAndHitNothing) {
    // Both directions on one ray: sweep 0.
    auto* same = Make<CMarkingArc>(L"ARCF-2,-2,2,2,2,0,3,0W0.1");
    float a = 0, sweep = -1;
    same->Angles(&a, &sweep);
    EXPECT_EQ(sweep, 0);
    same->Draw(m_g.get(), kFootprintFlags);
    EXPECT_TRUE(m_rec.records.empty());
    EXPECT_FALSE(same->HitTest(m_g.get(), 1, 0.1f));
    // A box without area, and a direction point on the centre.
    for (const wchar_t* token : {L"ARCC0,0,0,4,1,1,0,0W0.1", L"ARC0,0,4,4,2,2,2,2W0.1"}) {
        auto* flat = Make<CMarkingArc>(token);
        m_rec.Clear();
        flat->Draw(m_g.get(), kFootprintFlags);
        flat->Angles(&a, &sweep);
        EXPECT_TRUE(std::isfinite(a) && std::isfinite(sweep));
        RectF b;
        ASSERT_TRUE(flat->GetBounds(m_g.get(), &b));
        EXPECT_TRUE(std::isfinite(b.Width));
        for (const DrawRecord& r : m_rec.records)
            for (const PointF& p : r.points)
                EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
    }
    EXPECT_EQ(m_g->GetLastStatus(), Ok) << "nothing was drawn that could fail";
}

TEST_F(MarkingDrawTest, ArcHitTests) {
    // Filled: hit on the pie, drawn as its chord region.
    auto* filled = Make<CMarkingArc>(L"ARCF-2,-2,2,2,2,0,0,2W0.1");
    EXPECT_TRUE(filled->HitTest(m_g.get(), 0.2f, 0.2f)) << "between chord and centre";
    EXPECT_FALSE(filled->HitTest(m_g.get(), -0.5f, -0.5f));
    // Unfilled: a ring along the whole ellipse, tolerance 5 / zoom.
    m_view.SetZoom(4, 1);
    auto* ring = Make<CMarkingArc>(L"ARC-2,-2,2,2,2,0,0,2W0.1");
    EXPECT_TRUE(ring->HitTest(m_g.get(), -2, 0)) << "also off the drawn piece";
    EXPECT_TRUE(ring->HitTest(m_g.get(), 0, -3.2f));
    EXPECT_FALSE(ring->HitTest(m_g.get(), 0, -3.3f));
}

TEST_F(MarkingDrawTest, LineHitToleranceFollowsZoomAndWidth) {
    m_view.SetZoom(4, 1);
    auto* thin = Make<CMarkingLine>(L"L0,0,10,0W0.2");
    EXPECT_TRUE(thin->HitTest(m_g.get(), 5, 0.62f));
    EXPECT_FALSE(thin->HitTest(m_g.get(), 5, 0.63f));
    EXPECT_TRUE(thin->HitTest(m_g.get(), 10.6f, 0));
    EXPECT_FALSE(thin->HitTest(m_g.get(), 10.63f, 0));
    auto* thick = Make<CMarkingLine>(L"L0,0,10,0W2");
    EXPECT_TRUE(thick->HitTest(m_g.get(), 5, 0.99f));
    EXPECT_FALSE(thick->HitTest(m_g.get(), 5, 1.01f));
    // Vertices: strict 2.5 / zoom in both axes, first match in order.
    EXPECT_EQ(thin->HitTestVertex(m_g.get(), 0.6f, -0.6f), 0);
    EXPECT_EQ(thin->HitTestVertex(m_g.get(), 0.625f, 0), -1);
    EXPECT_EQ(thin->HitTestVertex(m_g.get(), 9.5f, 0), 1);
}

TEST_F(MarkingDrawTest, RectangleAndCircleHitOnTheirBox) {
    auto* circle = Make<CMarkingCircle>(L"CIRC0,0,10,10W0.1");
    EXPECT_TRUE(circle->HitTest(m_g.get(), 0, 0)) << "a circle is hit on its bounding box";
    EXPECT_FALSE(circle->HitTest(m_g.get(), 5, 5));
    circle->m_filled = true;
    EXPECT_TRUE(circle->HitTest(m_g.get(), 5, 5));
    EXPECT_TRUE(circle->HitTest(m_g.get(), 0, 0));
    EXPECT_FALSE(circle->HitTest(m_g.get(), 10, 5)) << "right edge exclusive";
}

TEST_F(MarkingDrawTest, BoundsOfTheShapes) {
    struct {
        const wchar_t* token;
        RectF box;
    } cases[] = {{L"L0,0,10,5W0.2", {-0.2f, -0.2f, 10.4f, 5.4f}},
                 {L"RC10,5,0,0W0.5", {-0.5f, -0.5f, 11, 6}},
                 {L"ARC-2,-2,2,2,2,0,0,2W0.1", {-2.1f, -2.1f, 4.2f, 4.2f}},
                 {L"POLY0,0,4,1,2,3W0.2", {-0.2f, -0.2f, 4.4f, 3.4f}},
                 {L"CRV0,0,1,5,2,-1,3,0W0.1", {-0.1f, -1.1f, 3.2f, 6.2f}}};
    for (const auto& c : cases) {
        RectF b;
        ASSERT_TRUE(Keep(ParseMarkingToken(m_marking, c.token))->GetBounds(m_g.get(), &b));
        EXPECT_NEAR(b.X, c.box.X, 1e-5) << WideToUtf8(c.token);
        EXPECT_NEAR(b.Y, c.box.Y, 1e-5);
        EXPECT_NEAR(b.Width, c.box.Width, 1e-5);
        EXPECT_NEAR(b.Height, c.box.Height, 1e-5);
    }
    CMarkingPolygon one(m_marking);
    one.m_vertices = {{1, 1}};
    RectF untouched{7, 7, 7, 7};
    EXPECT_FALSE(one.GetBounds(m_g.get(), &untouched));
    EXPECT_EQ(untouched.X, 7);
}

TEST_F(MarkingDrawTest, TextBoundsDoNotDependOnTheDpi) {
    auto* text = Make<CMarkingText>(L"TXT3,4,30,2:Hello\u00B6Tahoma");
    RectF at96, at192;
    ASSERT_TRUE(text->GetBounds(m_g.get(), &at96));
    PrepareAt(192);
    ASSERT_TRUE(text->GetBounds(m_g.get(), &at192));
    EXPECT_NEAR(at96.X, at192.X, 1e-4);
    EXPECT_NEAR(at96.Y, at192.Y, 1e-4);
    EXPECT_NEAR(at96.Width, at192.Width, 1e-4);
    EXPECT_NEAR(at96.Height, at192.Height, 1e-4);
    // The box is of the drawn size: em size 2 mm gives a line of a few mm.
    EXPECT_GT(at96.Height, 2.0f);
    EXPECT_LT(at96.Height, 6.0f);

    // The drawn glyphs lie inside the bounds.
    text->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(Ops(), std::vector<DrawOp>{DrawOp::FillPath});
    Matrix deviceToModel = m_g->WorldToDevice();
    deviceToModel.Invert();
    for (PointF p : m_rec.records[0].points) {
        deviceToModel.TransformPoints(&p);
        EXPECT_GE(p.X, at192.X - 1e-3);
        EXPECT_LE(p.X, at192.X + at192.Width + 1e-3);
        EXPECT_GE(p.Y, at192.Y - 1e-3);
        EXPECT_LE(p.Y, at192.Y + at192.Height + 1e-3);
    }
}

TEST_F(MarkingDrawTest, TextOnTheFarSideReadsMirrored) {
    auto det = [](const Matrix& m) {
        const double* e = m.Elements();
        return e[0] * e[3] - e[1] * e[2];
    };
    auto* top = Make<CMarkingText>(L"TXT0,0,0,1.5:F\u00B6Tahoma");
    top->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(m_rec.records.size(), 1u);
    const double upright = det(m_rec.records[0].worldToDevice);
    EXPECT_EQ(m_rec.records[0].brushColor, LayerColor(22));

    CMarking* ssb = static_cast<CMarking*>(m_footprint.AddChild(new CMarking(23)));
    auto* far = static_cast<CMarkingText*>(ParseMarkingToken(ssb, L"TXT0,0,0,1.5:F\u00B6Tahoma"));
    ssb->m_primitives.push_back(far);
    EXPECT_TRUE(far->IsMirrored());
    EXPECT_FALSE(top->IsMirrored());
    m_rec.Clear();
    far->Draw(m_g.get(), kFootprintFlags);
    ASSERT_EQ(m_rec.records.size(), 1u);
    EXPECT_LT(det(m_rec.records[0].worldToDevice) * upright, 0) << "mirrored";
    // The hit test mirrors as the drawing does: the glyph box lies left of x.
    RectF b;
    far->GetBounds(m_g.get(), &b);
    EXPECT_LE(b.X + b.Width, 1e-3);
    EXPECT_TRUE(far->HitTest(m_g.get(), b.X + b.Width / 2, b.Y + b.Height / 2));
    EXPECT_FALSE(far->HitTest(m_g.get(), -b.X - b.Width / 2, b.Y + b.Height / 2));

    // A bottom-placed footprint turns it round.
    m_footprint.m_place = kPlaceBottom;
    EXPECT_FALSE(far->IsMirrored());
    EXPECT_TRUE(top->IsMirrored());
}

TEST_F(MarkingDrawTest, MissingFontIsReportedAndNotDrawn) {
    ScopedUiHooksRecorder hooks;
    auto* text = Make<CMarkingText>(L"TXT0,0,0,1.5:Hi\u00B6No_Such_Font_Family");
    text->Draw(m_g.get(), kFootprintFlags);
    EXPECT_TRUE(m_rec.records.empty());
    ASSERT_EQ(hooks.statusTexts.size(), 1u);
    EXPECT_EQ(hooks.statusTexts[0].second, L"Font 'No Such Font Family' not found!");
    RectF b;
    ASSERT_TRUE(text->GetBounds(m_g.get(), &b));
    EXPECT_GT(b.Width, 0) << "measured with the sans-serif family";
}

TEST_F(MarkingDrawTest, TextHitTestFollowsRotation) {
    auto* text = Make<CMarkingText>(L"TXT10,10,90,2:WIDE_TEXT\u00B6Tahoma");
    RectF b;
    text->GetBounds(m_g.get(), &b);
    EXPECT_GT(b.Height, b.Width) << "turned a quarter";
    EXPECT_TRUE(text->HitTest(m_g.get(), b.X + b.Width / 2, b.Y + b.Height / 2));
    EXPECT_FALSE(text->HitTest(m_g.get(), 10 + b.Height / 2, 10 + 0.5f));
    EXPECT_EQ(text->HitTestVertex(m_g.get(), 10, 10), -1) << "a text has no vertices";
}
