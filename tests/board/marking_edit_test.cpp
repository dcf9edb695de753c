// Editing of the marking primitives: creation steps fed as the footprint
// view's drawing tools feed them, selection, drags with one undo record,
// key transforms and the property rows, with undo back to the same text.
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_primitive.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "core/model_services.h"
#include "core/property_checkbox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "platform/graphics.h"
#include "platform/text.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kLeft = 0x1;
constexpr int kShift = 0x4;
constexpr int kCtrl = 0x8;

class MarkingEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view.MakeActive();
        m_view.SetGrid(0, 0); // no snapping unless a test asks for it
        SetPropertyGrid(&m_grid);
        m_marking = static_cast<CMarking*>(m_footprint.AddChild(new CMarking(22)));
    }
    void TearDown() override {
        m_grid.ShowProperties(nullptr);
        SetPropertyGrid(nullptr);
        m_view.GetUndoList().Clear();
        g_pActiveView = nullptr;
        DiscardOrphanUndoRecords();
    }
    template <class T> T* Add(T* p) {
        m_marking->m_primitives.push_back(p);
        return p;
    }
    template <class T> T* Make(const wchar_t* token, CMarking* marking = nullptr) {
        marking = marking ? marking : m_marking;
        auto* p = static_cast<T*>(ParseMarkingToken(marking, token));
        marking->m_primitives.push_back(p);
        return p;
    }
    // A press as the marking forwards it: editing state first.
    bool Press(CMarkingPrimitive* p, int flags, float x, float y) {
        m_view.GetUndoList().SetStartNewGroup(true);
        p->m_state = kMarkingEditing;
        return p->MouseDown(&m_g, flags, x, y);
    }
    size_t UndoCount() { return m_view.GetUndoList().UndoCount(); }
    std::wstring Text() { return WriteMarkingText(m_marking->m_primitives); }

    CTestView m_view{nullptr, kViewFootprint};
    CPropertyGrid m_grid;
    CFootprint m_footprint{kPlaceTop};
    CMarking* m_marking = nullptr;
    Graphics m_g{nullptr};
};

} // namespace

// --- Creation ---------------------------------------------------------------------

TEST_F(MarkingEditTest, LineByClickMoveClick) {
    auto* line = Add(new CMarkingLine(m_marking));
    EXPECT_FALSE(line->MouseDown(&m_g, kLeft, 1, 1));
    EXPECT_TRUE(line->m_selected);
    EXPECT_EQ(line->m_state, 1);
    EXPECT_TRUE(line->MouseMove(&m_g, 0, 4, 3));
    EXPECT_EQ(line->m_p2.X, 4);
    EXPECT_TRUE(line->MouseDown(&m_g, kLeft, 5, 1));
    EXPECT_EQ(line->m_state, 0);
    EXPECT_FALSE(line->m_selected);
    EXPECT_EQ(Text(), L"L1,1,5,1W0.2");
}

TEST_F(MarkingEditTest, RectangleSquaredWithShift) {
    struct {
        PointF second;
        PointF squared;
    } cases[] = {{{5, 2}, {5, 5}},
                 {{-5, 2}, {-5, 5}},
                 {{2, -6}, {6, -6}},
                 {{-1, -6}, {-6, -6}},
                 {{4, -1}, {4, -4}}};
    for (const auto& c : cases) {
        CMarkingRect rect(m_marking);
        rect.MouseDown(&m_g, kLeft, 0, 0);
        rect.MouseMove(&m_g, kShift, c.second.X, c.second.Y);
        EXPECT_EQ(rect.m_p2.X, c.squared.X);
        EXPECT_EQ(rect.m_p2.Y, c.squared.Y);
        EXPECT_TRUE(rect.MouseDown(&m_g, kLeft | kShift, c.second.X, c.second.Y));
        EXPECT_EQ(rect.m_p2.Y, c.squared.Y);
    }
    CMarkingCircle circle(m_marking);
    circle.MouseDown(&m_g, kLeft, 0, 0);
    EXPECT_TRUE(circle.MouseDown(&m_g, kLeft, 3, 2));
    EXPECT_EQ(circle.ToString(), L"CIRC0,0,3,2W0.2") << "no squaring without Shift";
}

TEST_F(MarkingEditTest, ArcInFourPresses) {
    auto* arc = Add(new CMarkingArc(m_marking));
    EXPECT_FALSE(arc->MouseDown(&m_g, kLeft, -2, -2));
    arc->MouseMove(&m_g, 0, 2, 2);
    EXPECT_EQ(arc->m_p2.X, 2);
    EXPECT_FALSE(arc->MouseDown(&m_g, kLeft, 2, 2));
    EXPECT_EQ(arc->m_state, 2);
    arc->MouseMove(&m_g, 0, 3, 0);
    EXPECT_EQ(arc->m_end.X, 3);
    EXPECT_FALSE(arc->MouseDown(&m_g, kLeft, 3, 0));
    arc->MouseMove(&m_g, 0, 0, 3);
    EXPECT_FALSE(arc->MouseUp(&m_g, 0, 0, 3));
    EXPECT_EQ(arc->m_state, 3) << "a release does not end a creation step";
    EXPECT_TRUE(arc->MouseDown(&m_g, kLeft, 0, 3));
    EXPECT_EQ(Text(), L"ARCC-2,-2,2,2,3,0,0,3W0.2") << "a new arc is closed";
}

TEST_F(MarkingEditTest, PolygonClosesOnItsFirstVertex) {
    auto* poly = Add(new CMarkingPolygon(m_marking));
    m_grid.ShowProperties(poly);
    // The tool starts a new group with every click.
    auto click = [&](float x, float y) {
        m_view.GetUndoList().SetStartNewGroup(true);
        return poly->MouseDown(&m_g, kLeft, x, y);
    };
    EXPECT_FALSE(click(0, 0));
    EXPECT_EQ(poly->m_vertices.size(), 2u) << "the second copy is the moving vertex";
    EXPECT_EQ(m_grid.GetRowCount(), 2 + 1 + 2);
    poly->MouseMove(&m_g, 0, 4, 0);
    // A press on the moving vertex's twin is ignored until it moves away.
    EXPECT_FALSE(click(4, 0));
    poly->MouseMove(&m_g, 0, 4, 0.0005f);
    EXPECT_EQ(poly->m_vertices.back().Y, 0) << "below the polygon's threshold";
    poly->MouseMove(&m_g, 0, 4, 4);
    EXPECT_FALSE(click(4, 4));
    EXPECT_FALSE(click(4, 4)) << "two equal last vertices: ignored";
    EXPECT_EQ(poly->m_vertices.size(), 4u);
    poly->MouseMove(&m_g, 0, 0.0005f, 0.0005f);
    EXPECT_TRUE(click(0.0005f, 0.0005f));
    EXPECT_EQ(Text(), L"POLYC0,0,4,0,4,4W0.2") << "the moving vertex is dropped";
    EXPECT_EQ(UndoCount(), 3u) << "one record per added vertex";
    // Each record holds the polygon before its press: undoing the presses
    // one by one ends with the empty list; then moves are ignored and the
    // next press starts again.
    m_view.GetUndoList().Undo();
    EXPECT_EQ(poly->m_vertices.size(), 3u);
    m_view.GetUndoList().Undo();
    EXPECT_EQ(poly->m_vertices.size(), 2u);
    m_view.GetUndoList().Undo();
    EXPECT_TRUE(poly->m_vertices.empty());
    poly->m_state = 1;
    EXPECT_FALSE(poly->MouseMove(&m_g, 0, 7, 7));
    poly->MouseDown(&m_g, kLeft, 1, 1);
    EXPECT_EQ(poly->m_vertices.size(), 2u);
}

TEST_F(MarkingEditTest, BezierByClicksGetsQuarterControlPoints) {
    auto* crv = Add(new CMarkingBezier(m_marking));
    crv->MouseDown(&m_g, kLeft, 0, 0);
    EXPECT_FALSE(crv->MouseUp(&m_g, 0, 0, 0));
    EXPECT_EQ(crv->m_state, 4);
    crv->MouseMove(&m_g, 0, 8, 4);
    crv->MouseDown(&m_g, kLeft, 8, 4);
    EXPECT_EQ(crv->m_state, 3);
    EXPECT_TRUE(crv->MouseUp(&m_g, 0, 8, 4));
    EXPECT_EQ(Text(), L"CRV0,0,2,1,6,3,8,4W0.2");
}

TEST_F(MarkingEditTest, BezierByDrags) {
    auto* crv = Add(new CMarkingBezier(m_marking));
    crv->MouseDown(&m_g, kLeft, 0, 0);
    crv->MouseMove(&m_g, kLeft, 0, 3);
    EXPECT_FALSE(crv->MouseUp(&m_g, 0, 0, 3));
    EXPECT_EQ(crv->m_state, 2);
    crv->MouseMove(&m_g, 0, 6, 0);
    crv->MouseDown(&m_g, kLeft, 6, 0);
    crv->MouseMove(&m_g, 0, 9, 9);
    EXPECT_EQ(crv->m_c2.X, 6) << "state 3 follows only with the button held";
    crv->MouseMove(&m_g, kLeft, 6, 3);
    EXPECT_TRUE(crv->MouseUp(&m_g, 0, 6, 3));
    EXPECT_EQ(Text(), L"CRV0,0,0,3,6,3,6,0W0.2");
    // A curve that ends where it began is not completed.
    CMarkingBezier dot(m_marking);
    dot.MouseDown(&m_g, kLeft, 1, 1);
    dot.MouseUp(&m_g, 0, 1, 1);
    dot.MouseDown(&m_g, kLeft, 1, 1);
    EXPECT_FALSE(dot.MouseUp(&m_g, 0, 1, 1));
}

TEST_F(MarkingEditTest, TextIgnoresCreationPresses) {
    auto* text = Add(new CMarkingText(m_marking));
    EXPECT_FALSE(text->MouseDown(&m_g, kLeft, 1, 1));
    EXPECT_EQ(text->m_state, 0);
    EXPECT_FALSE(text->m_selected);
}

// --- Selection and drags ----------------------------------------------------------

TEST_F(MarkingEditTest, CtrlPressTogglesAndAMissKeepsOrDrops) {
    auto* line = Make<CMarkingLine>(L"L0,0,10,0W0.2");
    Press(line, kLeft | kCtrl, 5, 0);
    EXPECT_TRUE(line->m_selected);
    Press(line, kLeft | kCtrl, 5, 0);
    EXPECT_FALSE(line->m_selected);
    Press(line, kLeft, 5, 0);
    EXPECT_TRUE(line->m_selected);
    Press(line, kLeft | kCtrl, 5, 50);
    EXPECT_TRUE(line->m_selected) << "a Ctrl miss keeps the selection";
    Press(line, kLeft | 0x400000, 5, 50);
    EXPECT_TRUE(line->m_selected);
    Press(line, kLeft, 5, 50);
    EXPECT_FALSE(line->m_selected);
}

TEST_F(MarkingEditTest, WholeDragRecordsOneUndoAndUndoRestores) {
    m_view.SetGrid(0.5f, 0.5f);
    auto* rect = Make<CMarkingRect>(L"RC0,0,10,5W0.2");
    const std::wstring before = Text();
    Press(rect, kLeft, 5.1f, 0.1f);
    EXPECT_EQ(rect->m_anchor.X, 5) << "snapped anchor";
    EXPECT_FALSE(rect->MouseMove(&m_g, kLeft, 5.00005f, 0));
    EXPECT_EQ(UndoCount(), 0u) << "below the threshold nothing is recorded";
    EXPECT_TRUE(rect->MouseMove(&m_g, kLeft, 6, 1));
    EXPECT_TRUE(rect->MouseMove(&m_g, kLeft, 7, 1));
    EXPECT_EQ(UndoCount(), 1u);
    rect->MouseUp(&m_g, 0, 7, 1);
    EXPECT_TRUE(rect->m_selected) << "a dragged primitive stays selected";
    const std::wstring after = Text();
    EXPECT_EQ(after, L"RC2,1,12,6W0.2");
    m_view.GetUndoList().Undo();
    EXPECT_EQ(Text(), before);
    m_view.GetUndoList().Redo();
    EXPECT_EQ(Text(), after);
}

TEST_F(MarkingEditTest, VertexDragPutsTheVertexOnThePoint) {
    m_view.SetZoom(8, 1); // vertex tolerance 2.5 / 8
    auto* arc = Make<CMarkingArc>(L"ARC-2,-2,2,2,2,0,0,2W0.1");
    Press(arc, kLeft, 2.2f, 0.3f);
    EXPECT_EQ(arc->m_grabbed, 2) << "the start direction point";
    arc->MouseMove(&m_g, kLeft, 3, 3);
    EXPECT_EQ(arc->m_start.X, 3);
    EXPECT_EQ(arc->m_start.Y, 3);
    EXPECT_EQ(arc->m_p1.X, -2);
    EXPECT_EQ(UndoCount(), 1u);
    m_view.GetUndoList().Undo();
    EXPECT_EQ(Text(), L"ARC-2,-2,2,2,2,0,0,2W0.1");
}

TEST_F(MarkingEditTest, ReleaseOutsideDeselectsUnlessDragged) {
    auto* line = Make<CMarkingLine>(L"L0,0,10,0W0.2");
    Press(line, kLeft, 5, 0);
    line->MouseUp(&m_g, 0, 5, 0);
    EXPECT_TRUE(line->m_selected);
    Press(line, kLeft, 5, 0);
    line->MouseUp(&m_g, 0, 5, 30);
    EXPECT_FALSE(line->m_selected);
    // Bezier: a release on a vertex keeps it.
    auto* crv = Make<CMarkingBezier>(L"CRV0,0,0,10,10,10,10,0W0.1");
    Press(crv, kLeft, 0, 5);
    crv->MouseUp(&m_g, 0, 5, 10);
    EXPECT_FALSE(crv->m_selected);
    Press(crv, kLeft, 0, 5);
    crv->MouseUp(&m_g, 0, 10, 0);
    EXPECT_TRUE(crv->m_selected);
}

TEST_F(MarkingEditTest, FloatingCopyFollowsThePointer) {
    auto* line = Make<CMarkingLine>(L"L0,0,1,0W0.2");
    std::vector<CMarkingPrimitive*> clip;
    CloneMarkingPrimitiveInto(clip, line);
    clip[0]->m_anchor = {0, 0};
    EXPECT_TRUE(clip[0]->MouseMove(&m_g, 0, 3, 4));
    EXPECT_FALSE(clip[0]->MouseDown(&m_g, kLeft, 9, 9)) << "a press does nothing while floating";
    EXPECT_EQ(clip[0]->ToString(), L"L3,4,4,4W0.2");
    EXPECT_EQ(UndoCount(), 0u);
    DeleteMarkingPrimitives(clip);
}

// --- Keys -------------------------------------------------------------------------

TEST_F(MarkingEditTest, KeyTransformsAboutTheAnchor) {
    struct {
        wchar_t key;
        bool shift;
        const wchar_t* result;
    } cases[] = {{L'H', false, L"L2,1,-1,3W0.2"},
                 {L'V', false, L"L0,-1,3,-3W0.2"},
                 {L'R', false, L"L2,1,4,-2W0.2"},
                 {L'R', true, L"L0,-1,-2,2W0.2"},
                 {L'X', false, L"L0,1,3,3W0.2"}};
    for (const auto& c : cases) {
        CMarkingLine line(m_marking, L"0,1,3,3W0.2");
        line.m_anchor = {1, 0};
        line.TransformByKey(c.key, c.shift);
        EXPECT_EQ(line.ToString(), c.result) << char(c.key) << c.shift;
    }
}

TEST_F(MarkingEditTest, MirroredArcCoversTheMirroredPiece) {
    CMarkingArc arc(m_marking, L"-2,-2,2,2,2,0,0,2W0.1");
    arc.m_anchor = arc.Centre();
    arc.TransformByKey(L'H', false);
    float a = 0, sweep = 0;
    arc.Angles(&a, &sweep);
    EXPECT_NEAR(a, 90, 1e-4);
    EXPECT_NEAR(sweep, 90, 1e-4);
}

TEST_F(MarkingEditTest, TextTurnsByQuartersAndWraps) {
    CMarkingText text(m_marking, L"4,0,300,1.5:T\u00B6Tahoma");
    text.TransformByKey(L'R', true);
    EXPECT_EQ(text.m_rotation, 30);
    text.TransformByKey(L'R', true);
    EXPECT_EQ(text.m_rotation, 120);
    EXPECT_EQ(text.m_pos.X, -4) << "turned twice about the origin";
    EXPECT_EQ(text.m_pos.Y, 0);
    text.TransformByKey(L'H', false);
    EXPECT_EQ(text.m_rotation, 120) << "mirroring moves the position only";
    EXPECT_EQ(text.m_pos.X, 4);
    CMarkingText down(m_marking, L"0,0,-300,1.5:T\u00B6Tahoma");
    down.TransformByKey(L'R', false);
    EXPECT_EQ(down.m_rotation, -30);
}

// --- Property rows ----------------------------------------------------------------

TEST_F(MarkingEditTest, RowsFollowTheLayerAndTheFilledFlag) {
    CMarking* outline = static_cast<CMarking*>(m_footprint.AddChild(new CMarking(30)));
    struct {
        const wchar_t* token;
        CMarking* marking;
        std::vector<std::wstring> rows;
    } cases[] = {
        {L"L0,0,1,1W0.2", m_marking, {L"Point 1", L"Point 2", L"Width"}},
        {L"RC0,0,1,1W0.2", m_marking, {L"Point 1", L"Point 2", L"Filled", L"Width"}},
        {L"RCF0,0,1,1W0.2", m_marking, {L"Point 1", L"Point 2", L"Filled"}},
        {L"RC0,0,1,1W0", outline, {L"Point 1", L"Point 2", L"Width"}},
        {L"CIRCF0,0,1,1W0", outline, {L"Point 1", L"Point 2"}},
        {L"POLY0,0,1,0,1,1W0.2",
         m_marking,
         {L"Point 1", L"Point 2", L"Point 3", L"Filled", L"Closed", L"Width"}},
        {L"POLY0,0,1,0W0", outline, {L"Point 1", L"Point 2", L"Closed", L"Width"}},
        {L"ARCF0,0,2,2,2,1,1,2W0.1",
         outline,
         {L"Point 1", L"Point 2", L"Start direction", L"End direction", L"Filled"}},
        {L"CRV0,0,1,1,2,1,3,0W0.15",
         m_marking,
         {L"Point 1", L"Control point 1", L"Control point 2", L"Point 2", L"Width"}},
        {L"TXT0,0,0,1.5:A\u00B6Tahoma",
         m_marking,
         {L"Value", L"Font name", L"Position", L"Font size", L"Rotation"}},
    };
    for (const auto& c : cases) {
        auto* p = Make<CMarkingPrimitive>(c.token, c.marking);
        m_grid.ShowProperties(p);
        std::vector<std::wstring> names;
        for (int i = 0; i < m_grid.GetRowCount(); ++i)
            names.push_back(m_grid.GetItem(i)->GetName());
        EXPECT_EQ(names, c.rows) << WideToUtf8(c.token);
    }
}

TEST_F(MarkingEditTest, WidthRowOnThePackageOutlineLayerSetsTheWidth) {
    CMarking* outline = static_cast<CMarking*>(m_footprint.AddChild(new CMarking(31)));
    auto* rect = Make<CMarkingRect>(L"RC0,0,4,4W0", outline);
    m_grid.ShowProperties(rect);
    ASSERT_EQ(m_grid.GetRowCount(), 3);
    auto* width = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(2));
    ASSERT_NE(width, nullptr);
    width->SetText(L"0.25");
    m_grid.ApplyRow(2);
    EXPECT_FALSE(rect->m_filled);
    EXPECT_FLOAT_EQ(rect->m_width, 0.25f);
    EXPECT_EQ(WriteMarkingText(outline->m_primitives), L"RC0,0,4,4W0.25");

    auto* poly = Make<CMarkingPolygon>(L"POLY0,0,1,0,1,1W0", outline);
    m_grid.ShowProperties(poly);
    ASSERT_EQ(m_grid.GetRowCount(), 5);
    auto* closed = dynamic_cast<CPropertyCheckbox*>(m_grid.GetItem(3));
    ASSERT_NE(closed, nullptr);
    closed->SetCheck(true);
    m_grid.ApplyRow(3);
    EXPECT_TRUE(poly->m_closed);
    EXPECT_FALSE(poly->m_filled);
    m_view.GetUndoList().Undo();
    EXPECT_FALSE(poly->m_closed);
}

TEST_F(MarkingEditTest, AppliedRowsUndoToTheSameText) {
    auto* arc = Make<CMarkingArc>(L"ARC-2,-2,2,2,2,0,0,2W0.1");
    m_view.SetUnit(kUnitMil);
    m_grid.ShowProperties(arc);
    const std::wstring before = Text();
    auto* start = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(2));
    ASSERT_NE(start, nullptr);
    start->SetText(L"100,0");
    m_grid.ApplyRow(2);
    EXPECT_FLOAT_EQ(arc->m_start.X, 100) << "the footprint's unit is mm, not the view's";
    auto* filled = dynamic_cast<CPropertyCheckbox*>(m_grid.GetItem(4));
    ASSERT_NE(filled, nullptr);
    filled->SetCheck(true);
    m_grid.ApplyRow(4);
    EXPECT_EQ(m_grid.GetRowCount(), 5) << "Closed and Width vanish";
    const std::wstring after = Text();
    EXPECT_EQ(after, L"ARCF-2,-2,2,2,100,0,0,2W0.1");
    EXPECT_EQ(UndoCount(), 2u);
    m_view.GetUndoList().Undo();
    m_view.GetUndoList().Undo();
    EXPECT_EQ(Text(), before);
    m_view.GetUndoList().Redo();
    m_view.GetUndoList().Redo();
    EXPECT_EQ(Text(), after);

    // A line's rows use the view's unit; bad text keeps the value.
    auto* line = Make<CMarkingLine>(L"L0,0,2.54,0W0.2");
    m_grid.ShowProperties(line);
    auto* p2 = dynamic_cast<CPropertyEdit*>(m_grid.GetItem(1));
    EXPECT_EQ(p2->GetText(), L"100.0,0.0");
    p2->SetText(L"abc");
    m_grid.ApplyRow(1);
    EXPECT_FLOAT_EQ(line->m_p2.X, 2.54f);
}

TEST_F(MarkingEditTest, TextRows) {
    auto* text = Make<CMarkingText>(L"TXT0,0,0,1.5:A\u00B6Tahoma");
    m_grid.ShowProperties(text);
    dynamic_cast<CPropertyEdit*>(m_grid.GetItem(0))->SetText(L"VCC_3V3");
    m_grid.ApplyRow(0);
    dynamic_cast<CPropertyEdit*>(m_grid.GetItem(3))->SetText(L"2.5");
    m_grid.ApplyRow(3);
    dynamic_cast<CPropertyEdit*>(m_grid.GetItem(4))->SetText(L"45");
    m_grid.ApplyRow(4);
    EXPECT_EQ(Text(), L"TXTX0,0,45,2.5:VCC_3V3\u00B6Tahoma");
}

TEST_F(MarkingEditTest, RowsOfAnotherObjectAreNotReplaced) {
    auto* a = Make<CMarkingLine>(L"L0,0,1,1W0.2");
    auto* b = Make<CMarkingRect>(L"RC0,0,1,1W0.2");
    m_grid.ShowProperties(b);
    a->FillPropertyGrid(); // as an undo record refreshes its primitive
    EXPECT_EQ(m_grid.GetShownObject(), b);
    EXPECT_EQ(m_grid.GetTitle(), L"Rectangle Properties");
    EXPECT_EQ(m_grid.GetRowCount(), 4);
}

TEST_F(MarkingEditTest, NoActiveViewNoChange) {
    auto* line = Make<CMarkingLine>(L"L0,0,1,1W0.2");
    m_grid.ShowProperties(line);
    dynamic_cast<CPropertyEdit*>(m_grid.GetItem(2))->SetText(L"1");
    g_pActiveView = nullptr;
    m_grid.ApplyRow(2);
    EXPECT_FLOAT_EQ(line->m_width, 0.2f);
    m_view.MakeActive();
}
