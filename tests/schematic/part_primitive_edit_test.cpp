// Editing symbol primitives as the symbol editor drives them: the drawing
// steps of each kind, selecting clicks, vertex and whole drags with their one
// undo record, transforms, hit tests and rubber-band tests with their
// tolerances, property rows, the insert and delete records, and the
// invalidated rectangles. Every change is undone and redone back to the same
// part text.
#include "core/property_checkbox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "schematic/undo_part_primitive.h"
#include "tests/schematic/part_primitive_test_util.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLeft = 0x1;
constexpr uint32_t kCtrl = 0x8;
constexpr uint32_t kKeep = 0x400000;

// The symbol editor as far as the primitives see it.
class EditorTest : public ::testing::Test {
protected:
    CPartPrimitive* P(size_t i) const { return f.part->At(i); }
    std::wstring Text() const { return f.part->Text(); }
    CUndoList& History() { return f.view.GetUndoList(); }

    // A selecting press: every primitive in select mode gets the mouse-down.
    void Down(int x, int y, uint32_t flags = kLeft) {
        History().SetStartNewGroup(true);
        for (CPartPrimitive* p : f.part->primitives) {
            p->SetState(-1);
            p->MouseDown(&f.dc, flags | kPrimSymbolEditor, x, y);
        }
    }
    int Move(int x, int y, uint32_t flags = kLeft) {
        int moved = 0;
        for (CPartPrimitive* p : f.part->primitives)
            moved |= p->MouseMove(&f.dc, flags | kPrimSymbolEditor, x, y);
        return moved;
    }
    void Up(int x, int y, uint32_t flags = 0) {
        for (CPartPrimitive* p : f.part->primitives)
            p->MouseUp(&f.dc, flags | kPrimSymbolEditor, x, y);
    }
    void Click(int x, int y, uint32_t flags = 0) {
        Down(x, y, flags | kLeft);
        Up(x, y, flags);
    }
    void ExpectUndoRedo(const std::wstring& before, const std::wstring& after) {
        EXPECT_EQ(Text(), after);
        f.view.Undo();
        EXPECT_EQ(Text(), before);
        f.view.Redo();
        EXPECT_EQ(Text(), after);
    }

    SymbolViewFixture f;
};

// --- Drawing steps -------------------------------------------------------------------

struct Step {
    char event; // 'd' down, 'm' move, 'u' up
    int x;
    int y;
    uint32_t flags;
    int result;
};

struct CreateCase {
    const char* name;
    std::function<CPartPrimitive*(CTreeNode*)> make;
    std::vector<Step> steps;
    const wchar_t* token; // the finished primitive; null when none is finished
};

std::ostream& operator<<(std::ostream& os, const CreateCase& c) {
    return os << c.name;
}

class CreateTest : public EditorTest, public ::testing::WithParamInterface<CreateCase> {};

TEST_P(CreateTest, StepsBuildTheShapeAndTheInsertIsUndone) {
    const CreateCase& c = GetParam();
    // A new primitive: every field 0, then selected.
    CPartPrimitive* p = c.make(f.part);
    p->SetSelected(true);
    int finished = 0;
    for (const Step& s : c.steps) {
        int r = 0;
        uint32_t flags = s.flags | kPrimSymbolEditor;
        if (s.event == 'd')
            r = p->MouseDown(&f.dc, flags, s.x, s.y);
        else if (s.event == 'm')
            r = p->MouseMove(&f.dc, flags, s.x, s.y);
        else
            r = p->MouseUp(&f.dc, flags, s.x, s.y);
        EXPECT_EQ(r, s.result) << s.event << " " << s.x << "," << s.y;
        finished += r;
        if (s.event == 'd') {
            EXPECT_EQ(p->GetAnchor(), (POINT{s.x, s.y}));
        }
    }
    EXPECT_FALSE(f.view.invalidations.empty());
    if (!c.token) {
        EXPECT_EQ(finished, 0);
        delete p;
        return;
    }
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(p->ToString(), c.token);
    EXPECT_EQ(p->GetState(), 0);
    EXPECT_FALSE(p->IsSelected());
    // The editor takes the finished primitive into the part.
    f.part->Read(L"L1,1,2,2");
    History().SetStartNewGroup(true);
    f.part->primitives.push_back(p);
    PushPartUndo(new CUndoPartPrimitiveInsert(f.part, 1));
    ExpectUndoRedo(L"L1,1,2,2", std::wstring(L"L1,1,2,2 ") + c.token);
    EXPECT_EQ(P(1), p) << "redo puts the same primitive back";
}

template <class T> CPartPrimitive* New(CTreeNode* owner) {
    return new T(owner);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, CreateTest,
    ::testing::Values(
        CreateCase{"line",
                   New<CPartLine>,
                   {{'d', 0, 0, kLeft, 0}, {'m', 10, 5, 0, 0}, {'d', 20, 10, kLeft, 1}},
                   L"L0,0,20,10"},
        CreateCase{"rect",
                   New<CPartRect>,
                   {{'d', -20, -20, kLeft, 0}, {'m', 5, 5, 0, 0}, {'d', 20, 20, kLeft, 1}},
                   L"RC-20,-20,20,20"},
        CreateCase{"circle",
                   New<CPartCircle>,
                   {{'d', -5, -5, kLeft, 0}, {'m', 0, 0, 0, 0}, {'d', 5, 5, kLeft, 1}},
                   L"CIRC-5,-5,5,5"},
        CreateCase{"polygon",
                   New<CPartPolygon>,
                   {{'d', 0, 0, kLeft, 0},
                    {'m', 10, 0, 0, 0},
                    {'d', 10, 0, kLeft, 0},
                    {'m', 10, 10, 0, 0},
                    {'d', 10, 10, kLeft, 0},
                    {'m', 0, 0, 0, 0},
                    {'d', 0, 0, kLeft, 1}},
                   L"POLY0,0,10,0,10,10"},
        // Back on the first vertex with two vertices placed: one more vertex.
        CreateCase{"polygon short",
                   New<CPartPolygon>,
                   {{'d', 0, 0, kLeft, 0},
                    {'m', 10, 0, 0, 0},
                    {'d', 10, 0, kLeft, 0},
                    {'m', 0, 0, 0, 0},
                    {'d', 0, 0, kLeft, 0}},
                   nullptr},
        CreateCase{"arc",
                   New<CPartArc>,
                   {{'d', -10, -10, kLeft, 0},
                    {'m', 5, 5, 0, 0},
                    {'d', 10, 10, kLeft, 0},
                    {'m', 10, 0, 0, 0},
                    {'d', 10, 0, kLeft, 0},
                    {'m', -10, 0, 0, 0},
                    {'d', -10, 0, kLeft, 1}},
                   L"ARC-10,-10,10,10,10,0,-10,0"},
        CreateCase{"curve dragged",
                   New<CPartBezier>,
                   {{'d', 0, 0, kLeft, 0},
                    {'m', 10, 20, kLeft, 0},
                    {'u', 10, 20, 0, 0},
                    {'m', 40, 0, 0, 0},
                    {'d', 40, 0, kLeft, 0},
                    {'m', 30, 20, kLeft, 0},
                    {'u', 30, 20, 0, 1}},
                   L"CURVE0,0,10,20,30,20,40,0"},
        // A click without a drag: control points at a quarter and three quarters.
        CreateCase{"curve clicked",
                   New<CPartBezier>,
                   {{'d', 0, 0, kLeft, 0},
                    {'u', 0, 0, 0, 0},
                    {'m', 40, 8, 0, 0},
                    {'d', 40, 8, kLeft, 0},
                    {'u', 40, 8, 0, 1}},
                   L"CURVE0,0,10,2,30,6,40,8"},
        CreateCase{"curve back on its start",
                   New<CPartBezier>,
                   {{'d', 5, 5, kLeft, 0},
                    {'u', 5, 5, 0, 0},
                    {'m', 5, 5, 0, 0},
                    {'d', 5, 5, kLeft, 0},
                    {'u', 5, 5, 0, 0}},
                   nullptr}),
    [](const ::testing::TestParamInfo<CreateCase>& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == ' ')
                ch = '_';
        return n;
    });

TEST_F(EditorTest, TheLineIsSelectedWhileDrawnAndTheRectangleKeepsItsSelection) {
    CPartLine line(f.part);
    line.MouseDown(&f.dc, kLeft, 0, 0);
    EXPECT_TRUE(line.IsSelected());
    EXPECT_EQ(line.GetState(), 1);
    CPartRect rect(f.part);
    rect.MouseDown(&f.dc, kLeft, 0, 0);
    EXPECT_FALSE(rect.IsSelected());
    EXPECT_EQ(rect.GetState(), 1);
}

TEST_F(EditorTest, ACurveStartedAgainAfterEndingOnItsStart) {
    CPartBezier curve(f.part);
    curve.MouseDown(&f.dc, kLeft, 5, 5);
    curve.MouseUp(&f.dc, 0, 5, 5);
    curve.MouseDown(&f.dc, kLeft, 5, 5);
    EXPECT_EQ(curve.MouseUp(&f.dc, 0, 5, 5), 0);
    EXPECT_EQ(curve.GetState(), 0);
    // The next press starts the curve anew.
    curve.MouseDown(&f.dc, kLeft, 1, 1);
    EXPECT_EQ(curve.ToString(), L"CURVE1,1,1,1,1,1,1,1");
    EXPECT_EQ(curve.GetState(), 1);
}

// --- Selection -------------------------------------------------------------------------

TEST_F(EditorTest, ClicksSelectCtrlTogglesAndAMissDeselects) {
    f.part->Read(L"L0,0,40,-20 RC100,100,120,120");
    Click(20, -10);
    EXPECT_TRUE(P(0)->IsSelected());
    EXPECT_FALSE(P(1)->IsSelected());
    EXPECT_EQ(P(0)->GetState(), 0) << "every release ends select mode";
    // Ctrl on a selected primitive deselects it.
    Click(20, -10, kCtrl);
    EXPECT_FALSE(P(0)->IsSelected());
    Click(20, -10, kCtrl);
    EXPECT_TRUE(P(0)->IsSelected());
    // Ctrl on empty space keeps every selection.
    Click(500, 500, kCtrl);
    EXPECT_TRUE(P(0)->IsSelected());
    // A second primitive joins with Ctrl.
    Click(110, 100, kCtrl);
    EXPECT_TRUE(P(0)->IsSelected());
    EXPECT_TRUE(P(1)->IsSelected());
    // Without Ctrl a miss deselects.
    Click(500, 500);
    EXPECT_FALSE(P(0)->IsSelected());
    EXPECT_FALSE(P(1)->IsSelected());
}

TEST_F(EditorTest, TheKeepSelectionBitKeepsOnAMissedPress) {
    f.part->Read(L"L0,0,40,-20");
    P(0)->SetSelected(true);
    Down(500, 500, kLeft | kKeep);
    EXPECT_TRUE(P(0)->IsSelected());
    Down(500, 500, kLeft);
    EXPECT_FALSE(P(0)->IsSelected());
}

TEST_F(EditorTest, AVertexIsGrabbedWithinTheTolerance) {
    f.part->Read(L"L0,0,40,-20");
    Down(44, -17);
    EXPECT_TRUE(P(0)->IsSelected());
    ASSERT_NE(P(0)->GetGrabbedVertex(), nullptr);
    EXPECT_EQ(*P(0)->GetGrabbedVertex(), (POINT{40, -20}));
    Down(20, -10);
    EXPECT_EQ(P(0)->GetGrabbedVertex(), nullptr) << "on the line, away from its ends";
}

// --- Dragging ----------------------------------------------------------------------------

TEST_F(EditorTest, DraggingAVertexPushesOneRecord) {
    f.part->Read(L"L0,0,40,-20 CIRC100,100,120,120");
    const std::wstring before = Text();
    Down(40, -20);
    EXPECT_EQ(Move(40, -20), 0) << "no movement, no change";
    EXPECT_EQ(History().UndoCount(), 0u);
    EXPECT_EQ(Move(45, -20), 1);
    EXPECT_EQ(Move(50, -25), 1);
    EXPECT_EQ(Move(50, -25), 0);
    EXPECT_TRUE(P(0)->IsDragged());
    Up(50, -25);
    EXPECT_TRUE(P(0)->IsSelected()) << "a dragged primitive stays selected";
    EXPECT_FALSE(P(0)->IsDragged());
    EXPECT_EQ(History().UndoCount(), 1u);
    ExpectUndoRedo(before, L"L0,0,50,-25 CIRC100,100,120,120");
}

TEST_F(EditorTest, DraggingOffAVertexMovesTheWholePrimitive) {
    f.part->Read(L"L0,0,40,-20 ARC-10,-10,10,10,10,0,-10,0");
    const std::wstring before = Text();
    Down(20, -10);
    Move(22, -7);
    Move(25, -5);
    Up(25, -5);
    EXPECT_EQ(Text(), L"L5,5,45,-15 ARC-10,-10,10,10,10,0,-10,0");
    // The arc moves its box and both arc points.
    Down(-7, 7);
    Move(-4, 9);
    Up(-4, 9);
    EXPECT_EQ(Text(), L"L5,5,45,-15 ARC-7,-8,13,12,13,2,-7,2");
    EXPECT_EQ(History().UndoCount(), 2u);
    f.view.Undo();
    EXPECT_EQ(Text(), L"L5,5,45,-15 ARC-10,-10,10,10,10,0,-10,0");
    f.view.Undo();
    EXPECT_EQ(Text(), before);
    f.view.Redo();
    f.view.Redo();
    EXPECT_EQ(Text(), L"L5,5,45,-15 ARC-7,-8,13,12,13,2,-7,2");
}

TEST_F(EditorTest, DraggingNeedsTheLeftButtonAndASelection) {
    f.part->Read(L"L0,0,40,-20 TEXTR50,50:abc");
    Down(20, -10);
    EXPECT_EQ(Move(30, 0, 0), 0);
    Up(30, 0);
    EXPECT_EQ(Text(), L"L0,0,40,-20 TEXTR50,50:abc");
    EXPECT_EQ(History().UndoCount(), 0u);
}

TEST_F(EditorTest, ATextIsPickedInItsRectangleAndDraggedByItsAnchor) {
    f.part->Read(L"TEXTR50,50:abc");
    Down(51, 50);
    EXPECT_TRUE(P(0)->IsSelected());
    EXPECT_EQ(P(0)->GetGrabbedVertex(), nullptr);
    Move(56, 45);
    Up(56, 45);
    ExpectUndoRedo(L"TEXTR50,50:abc", L"TEXTR55,45:abc");
}

TEST_F(EditorTest, ReleasingOffTheArcOrCurveWithoutADragDeselects) {
    f.part->Read(L"ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,10,20,30,20,40,0");
    Down(0, 10);
    EXPECT_TRUE(P(0)->IsSelected());
    Up(200, 200);
    EXPECT_FALSE(P(0)->IsSelected());
    // A release on a vertex keeps the selection.
    Down(30, 20);
    Up(30, 20);
    EXPECT_TRUE(P(1)->IsSelected());
}

// --- Transforms -------------------------------------------------------------------------

TEST_F(EditorTest, TransformsAboutThePivotAreUndoneAndRedone) {
    const std::wstring text = L"L0,0,40,-20 RCFO-20,-20,20,20 POLYC0,0,10,0,10,10 "
                              L"CIRCF-5,-5,5,5 ARC-10,-10,10,10,10,0,-10,0 "
                              L"CURVE0,0,10,20,30,20,40,0 TEXTR12,-4:Gate_A";
    for (int key : {'H', 'V', 'R'}) {
        f.part->Read(text);
        History().Clear();
        g_TransformPivot = POINT{10, 0};
        // As the editor does it: one record per primitive, one group.
        History().SetStartNewGroup(true);
        for (CPartPrimitive* p : f.part->primitives) {
            PushPartUndo(new CUndoPartPrimitiveChange(p));
            p->TransformByKey(key);
        }
        std::wstring after = Text();
        EXPECT_NE(after, text);
        ExpectUndoRedo(text, after);
    }
    // The last key turned everything a quarter clockwise about (10, 0).
    EXPECT_EQ(Text(), L"L10,10,-10,-30 RCFO-10,30,30,-10 POLYC10,10,10,0,20,0 "
                      L"CIRCF5,15,15,5 ARC0,20,20,0,10,0,10,20 "
                      L"CURVE10,10,30,0,30,-20,10,-30 TEXTB6,-2:Gate_A");
}

// --- Hit tests ----------------------------------------------------------------------------

struct HitCase {
    const wchar_t* token;
    int x;
    int y;
    bool hit;
};

class HitTest : public EditorTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(HitTest, PointsOnAndOffEachKind) {
    auto p = MakePrimitive(GetParam().token, f.part);
    EXPECT_EQ(p->HitTest(GetParam().x, GetParam().y), GetParam().hit);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, HitTest,
    ::testing::Values(
        // A line of length 0 is hit at its point.
        HitCase{L"L3,3,3,3", 3, 3, true}, HitCase{L"L3,3,3,3", 4, 3, true},
        HitCase{L"L3,3,3,3", 5, 3, false}, HitCase{L"L0,0,40,-20", 20, -10, true},
        HitCase{L"L0,0,40,-20", 20, -8, true}, HitCase{L"L0,0,40,-20", 20, -6, false},
        // An axis-aligned edge is picked within the same tolerance as a slanted one.
        HitCase{L"L0,0,40,0", 20, 1, true}, HitCase{L"L0,0,40,0", 20, -1, true},
        HitCase{L"L0,0,40,0", 20, 2, false}, HitCase{L"L0,0,40,0", 41, 0, true},
        HitCase{L"L0,0,40,0", 42, 0, false},
        // A filled rectangle is hit inside; an unfilled one only near an edge.
        HitCase{L"RCF-20,-20,20,20", 0, 0, true}, HitCase{L"RCF20,20,-20,-20", 20, -20, true},
        HitCase{L"RCF-20,-20,20,20", 21, 0, false}, HitCase{L"RC-20,-20,20,20", 0, 0, false},
        HitCase{L"RC-20,-20,20,20", 20, 0, true}, HitCase{L"RC-20,-20,20,20", 21, 0, true},
        HitCase{L"RC-20,-20,20,20", 19, 5, true}, HitCase{L"RC-20,-20,20,20", 22, 0, false},
        HitCase{L"RC-20,-20,20,20", 0, -21, true}, HitCase{L"RC-20,-20,20,20", 0, -22, false},
        // Ellipse measure: centre (0,0), radius 10.
        HitCase{L"CIRC-10,-10,10,10", 10, 0, true}, HitCase{L"CIRC-10,-10,10,10", 11, 0, true},
        HitCase{L"CIRC-10,-10,10,10", 12, 0, false}, HitCase{L"CIRC-10,-10,10,10", 0, 0, false},
        HitCase{L"CIRCF-10,-10,10,10", 0, 0, true}, HitCase{L"CIRCF-10,-10,10,10", 10, 0, true},
        HitCase{L"CIRCF-10,-10,10,10", 11, 0, false},
        // The closing edge only when closed.
        HitCase{L"POLY0,0,10,0,10,10", 10, 5, true}, HitCase{L"POLY0,0,10,0,10,10", 5, 5, false},
        HitCase{L"POLYC0,0,10,0,10,10", 5, 5, true}, HitCase{L"POLYC", 0, 0, false},
        // The upper half from the start on the right to the end on the left.
        HitCase{L"ARC-10,-10,10,10,10,0,-10,0", 0, 10, true},
        HitCase{L"ARC-10,-10,10,10,10,0,-10,0", -7, 7, true},
        HitCase{L"ARC-10,-10,10,10,10,0,-10,0", 0, 12, true},
        HitCase{L"ARC-10,-10,10,10,10,0,-10,0", 0, 13, false},
        HitCase{L"ARC-10,-10,10,10,10,0,-10,0", 0, -10, false},
        HitCase{L"ARC-10,-10,10,10,-10,0,10,0", 0, -10, true},
        // The curve is picked on its two control legs.
        HitCase{L"CURVE0,0,10,20,30,20,40,0", 5, 10, true},
        HitCase{L"CURVE0,0,10,20,30,20,40,0", 35, 10, true},
        HitCase{L"CURVE0,0,10,20,30,20,40,0", 20, 15, false},
        // A style other than R, L, T, B has no place.
        HitCase{L"TEXTQ0,0:abc", 0, 0, false}));

TEST_F(EditorTest, ATextIsHitInItsDisplayRectangle) {
    for (const wchar_t* token :
         {L"TEXTR0,0:Hello", L"TEXTL0,0:Hello", L"TEXTT0,0:Hello", L"TEXTB0,0:Hello"}) {
        auto p = MakePrimitive(token, f.part);
        auto* t = As<CPartText>(p);
        RECT r = PartGeometry::Normalized(t->GetDisplayRect());
        // Measured in the view's font: about one grid step (10 units) high.
        EXPECT_GT(r.right - r.left, 5) << static_cast<char>(t->style);
        EXPECT_GT(r.bottom - r.top, 5) << static_cast<char>(t->style);
        EXPECT_TRUE(p->HitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        EXPECT_TRUE(p->HitTest(r.left, r.top));
        EXPECT_FALSE(p->HitTest(r.left - 1, r.top));
        EXPECT_FALSE(p->HitTest(r.right, r.bottom + 1));
        EXPECT_EQ(p->HitTestVertex(0, 0), nullptr);
    }
    // 'R' lies right of its anchor, 'L' left of it.
    EXPECT_TRUE(MakePrimitive(L"TEXTR0,0:Hello", f.part)->HitTest(3, 0));
    EXPECT_FALSE(MakePrimitive(L"TEXTR0,0:Hello", f.part)->HitTest(-3, 0));
    EXPECT_TRUE(MakePrimitive(L"TEXTL0,0:Hello", f.part)->HitTest(-3, 0));
    EXPECT_TRUE(MakePrimitive(L"TEXTT0,0:Hello", f.part)->HitTest(0, 3));
    EXPECT_TRUE(MakePrimitive(L"TEXTB0,0:Hello", f.part)->HitTest(0, -3));
}

struct RectCase {
    const wchar_t* token;
    RECT rect;
    bool in;
};

class InRectTest : public EditorTest, public ::testing::WithParamInterface<RectCase> {};

TEST_P(InRectTest, ACharacteristicPointInTheBand) {
    auto p = MakePrimitive(GetParam().token, f.part);
    EXPECT_EQ(p->IsInRect(GetParam().rect), GetParam().in);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, InRectTest,
    ::testing::Values(RectCase{L"L0,0,40,-20", {-5, -5, 5, 5}, true},
                      RectCase{L"L0,0,40,-20", {45, -15, 35, -25}, true},
                      RectCase{L"L0,0,40,-20", {10, -15, 30, -5}, false},
                      RectCase{L"RC0,0,10,10", {8, -2, 12, 2}, true},
                      RectCase{L"RC0,0,10,10", {-2, 8, 2, 12}, true},
                      RectCase{L"RC0,0,10,10", {3, 3, 7, 7}, false},
                      RectCase{L"CIRC0,0,10,10", {9, 9, 11, 11}, true},
                      RectCase{L"POLY0,0,10,0,10,10", {9, 9, 11, 11}, true},
                      RectCase{L"POLY0,0,10,0,10,10", {4, 4, 6, 6}, false},
                      RectCase{L"POLY", {-100, -100, 100, 100}, false},
                      RectCase{L"ARC-10,-10,10,10,10,0,-10,0", {9, -1, 11, 1}, true},
                      RectCase{L"ARC-10,-10,10,10,10,0,-10,0", {9, 9, 11, 11}, true},
                      RectCase{L"ARC-10,-10,10,10,10,0,-10,0", {-1, 9, 1, 11}, false},
                      RectCase{L"CURVE0,0,10,20,30,20,40,0", {9, 19, 11, 21}, true},
                      RectCase{L"CURVE0,0,10,20,30,20,40,0", {15, 5, 25, 15}, false},
                      RectCase{L"TEXTR0,0:Hello", {1, -1, 2, 1}, true},
                      RectCase{L"TEXTR0,0:Hello", {-10, -10, -5, -5}, false},
                      RectCase{L"TEXTQ0,0:Hello", {-10, -10, 10, 10}, false}));

// --- Tolerances by zoom ------------------------------------------------------------------------

struct ToleranceCase {
    int factor;
    int mode;
    int tolerance; // primitive units: 6 / z
    int half;      // logical units: 300 / z
};

class ToleranceTest : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(ToleranceTest, VertexToleranceAndHandleSizeFollowTheZoom) {
    const ToleranceCase& c = GetParam();
    SymbolViewFixture f(c.factor, c.mode);
    SheetScale s = GetSheetScale();
    EXPECT_EQ(s.HandleHalf(), c.half);
    EXPECT_DOUBLE_EQ(s.VertexTolerance(), c.tolerance);
    auto line = MakePrimitive(L"L0,0,40,-20", f.part);
    EXPECT_NE(line->HitTestVertex(40 + c.tolerance, -20 - c.tolerance), nullptr);
    EXPECT_EQ(line->HitTestVertex(40 + c.tolerance + 1, -20), nullptr);
    EXPECT_EQ(line->HitTestVertex(40, -20 + c.tolerance + 1), nullptr);
    // The first vertex in the kind's order wins when both are near.
    auto dot = MakePrimitive(L"L0,0,1,1", f.part);
    EXPECT_EQ(dot->HitTestVertex(1, 1), dot->Points()[0]);
}

INSTANTIATE_TEST_SUITE_P(Zooms, ToleranceTest,
                         ::testing::Values(ToleranceCase{1, 1, 6, 300}, ToleranceCase{2, 1, 3, 150},
                                           ToleranceCase{2, 0, 12, 600}));

// --- Property rows -------------------------------------------------------------------------------

class PropertyRowTest : public EditorTest {
protected:
    PropertyRowTest() { SetPropertyGrid(&grid); }
    ~PropertyRowTest() override { SetPropertyGrid(nullptr); }

    void Tick(int row, bool on) {
        auto* box = dynamic_cast<CPropertyCheckbox*>(grid.GetItem(row));
        ASSERT_NE(box, nullptr) << row;
        box->SetCheck(on);
        grid.ApplyRow(row);
    }
    bool Ticked(int row) const {
        auto* box = dynamic_cast<CPropertyCheckbox*>(grid.GetItem(row));
        return box && box->GetCheck();
    }
    std::vector<std::wstring> RowNames() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < grid.GetRowCount(); ++i)
            names.push_back(grid.GetItem(i)->GetName());
        return names;
    }

    CPropertyGrid grid;
};

TEST_F(PropertyRowTest, RectangleAndCircleRowsAreFilledAppliedAndUndone) {
    struct Case {
        const wchar_t* token;
        const wchar_t* title;
        const wchar_t* filled;
        const wchar_t* both;
    };
    for (Case c :
         {Case{L"RC-20,-20,20,20", L"Rectangle Properties", L"RCF-20,-20,20,20",
               L"RCFO-20,-20,20,20"},
          Case{L"CIRC-5,-5,5,5", L"Circle Properties", L"CIRCF-5,-5,5,5", L"CIRCFO-5,-5,5,5"}}) {
        f.part->Read(c.token);
        History().Clear();
        grid.ShowProperties(P(0));
        EXPECT_EQ(grid.GetTitle(), c.title);
        EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"Filled", L"Opaque"}));
        EXPECT_FALSE(Ticked(0));
        Tick(0, true);
        EXPECT_EQ(Text(), c.filled);
        Tick(1, true);
        EXPECT_EQ(Text(), c.both);
        EXPECT_EQ(History().UndoCount(), 2u);
        f.view.Undo();
        EXPECT_EQ(Text(), c.filled);
        EXPECT_FALSE(Ticked(1)) << "the rows follow the undo";
        f.view.Undo();
        EXPECT_EQ(Text(), c.token);
        EXPECT_FALSE(Ticked(0));
        f.view.Redo();
        f.view.Redo();
        EXPECT_EQ(Text(), c.both);
        EXPECT_TRUE(Ticked(0));
        EXPECT_TRUE(Ticked(1));
    }
}

TEST_F(PropertyRowTest, PolygonRowsIncludeClosed) {
    f.part->Read(L"POLY0,0,10,0,10,10");
    grid.ShowProperties(P(0));
    EXPECT_EQ(grid.GetTitle(), L"Polygon Properties");
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"Filled", L"Opaque", L"Closed"}));
    Tick(2, true);
    ExpectUndoRedo(L"POLY0,0,10,0,10,10", L"POLYC0,0,10,0,10,10");
    Tick(1, true);
    ExpectUndoRedo(L"POLYC0,0,10,0,10,10", L"POLYOC0,0,10,0,10,10");
}

TEST_F(PropertyRowTest, TextRowsSetTheDirectionAndTheValue) {
    f.part->Read(L"TEXTB12,-4:Gate_A");
    grid.ShowProperties(P(0));
    EXPECT_EQ(grid.GetTitle(), L"Text Properties");
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"Vertical", L"Value"}));
    EXPECT_TRUE(Ticked(0)) << "style B is vertical";
    auto* value = dynamic_cast<CPropertyEdit*>(grid.GetItem(1));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->GetText(), L"Gate A");
    value->SetText(L"Reset input");
    grid.ApplyRow(1);
    ExpectUndoRedo(L"TEXTB12,-4:Gate_A", L"TEXTB12,-4:Reset_input");
    Tick(0, false);
    ExpectUndoRedo(L"TEXTB12,-4:Reset_input", L"TEXTR12,-4:Reset_input");
    Tick(0, true);
    ExpectUndoRedo(L"TEXTR12,-4:Reset_input", L"TEXTT12,-4:Reset_input");
}

TEST_F(PropertyRowTest, LinesArcsAndCurvesHaveNoRows) {
    f.part->Read(L"L0,0,1,1 ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,1,1,2,2,3,3");
    for (CPartPrimitive* p : f.part->primitives) {
        grid.ShowProperties(p);
        EXPECT_EQ(grid.GetRowCount(), 0);
    }
}

TEST_F(PropertyRowTest, TurningAShownTextRefillsItsRows) {
    f.part->Read(L"TEXTR0,0:a");
    grid.ShowProperties(P(0));
    EXPECT_FALSE(Ticked(0));
    g_TransformPivot = POINT{};
    P(0)->TransformByKey('R');
    EXPECT_TRUE(Ticked(0)) << "R turned to B";
}

// --- Insert and delete records ---------------------------------------------------------------

TEST_F(PropertyRowTest, AnInsertUndoneTakesThePrimitiveOutAndClearsThePanel) {
    f.part->Read(L"L0,0,1,1 RC2,2,3,3");
    grid.ShowProperties(P(1));
    History().SetStartNewGroup(true);
    PushPartUndo(new CUndoPartPrimitiveInsert(f.part, 1));
    CPartPrimitive* rect = P(1);
    f.view.Undo();
    EXPECT_EQ(Text(), L"L0,0,1,1");
    EXPECT_EQ(grid.GetShownObject(), nullptr);
    ASSERT_EQ(History().RedoCount(), 1u);
    auto* held = dynamic_cast<const CUndoPartPrimitiveDelete*>(History().RedoItemAt(0));
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->GetRemoved(), rect);
    f.view.Redo();
    EXPECT_EQ(Text(), L"L0,0,1,1 RC2,2,3,3");
    EXPECT_EQ(P(1), rect);
    // Undone once more, the record that holds it is deleted with the history.
    f.view.Undo();
    History().Clear();
    EXPECT_EQ(Text(), L"L0,0,1,1");
}

TEST_F(EditorTest, ADeleteRecordPutsThePrimitiveBackAtItsPlace) {
    f.part->Read(L"L0,0,1,1 RC2,2,3,3 CIRC4,4,5,5");
    CPartPrimitive* removed = P(1);
    f.part->primitives.erase(f.part->primitives.begin() + 1);
    History().SetStartNewGroup(true);
    PushPartUndo(new CUndoPartPrimitiveDelete(f.part, 1, removed));
    ExpectUndoRedo(L"L0,0,1,1 RC2,2,3,3 CIRC4,4,5,5", L"L0,0,1,1 CIRC4,4,5,5");
}

TEST_F(EditorTest, ListRecordsFindThePartByItsPlaceUnderItsParent) {
    f.part->Read(L"L0,0,1,1");
    CUndoPartPrimitiveInsert record(f.part, 0);
    EXPECT_EQ(record.GetLocation().parent, &f.root);
    EXPECT_EQ(record.GetLocation().index, 1);
    EXPECT_EQ(record.GetLocation().Resolve(), f.part);
    // A part in no tree is found directly.
    TestPart loose;
    loose.Read(L"L5,5,6,6");
    CUndoPartPrimitiveInsert looseRecord(&loose, 0);
    std::unique_ptr<CUndoItem> inverse(looseRecord.Undo());
    EXPECT_EQ(loose.Text(), L"");
    std::unique_ptr<CUndoItem> again(inverse->Undo());
    EXPECT_EQ(loose.Text(), L"L5,5,6,6");
}

TEST_F(EditorTest, ListRecordsWithoutTheirPrimitiveChangeNothing) {
    f.part->Read(L"L0,0,1,1");
    // An index past the list, and a node that holds no primitives.
    CUndoPartPrimitiveInsert pastEnd(f.part, 5);
    std::unique_ptr<CUndoItem> a(pastEnd.Undo());
    ASSERT_NE(a, nullptr);
    std::unique_ptr<CUndoItem> b(a->Undo());
    ASSERT_NE(b, nullptr);
    CTreeNode plain(23);
    CUndoPartPrimitiveDelete noList(&plain, 0, new CPartLine(nullptr));
    std::unique_ptr<CUndoItem> c(noList.Undo());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(Text(), L"L0,0,1,1");
}

// --- Invalidation
// ---------------------------------------------------------------------------------

TEST_F(EditorTest, APrimitiveInvalidatesItsBoxWithTheHandleMarginAtTheScrollOffset) {
    f.view.SetScrollOffset(POINT{7, 9});
    f.part->m_position = POINT{2, 1};
    f.part->Read(L"L0,0,40,-20 ARC-10,-10,10,10,10,0,0,20 TEXTR0,0:abc");
    auto expect = [&](const CTestView::Invalidation& inv, RECT logical) {
        f.dc.LPtoDP(&logical);
        RECT r = PartGeometry::Normalized(logical);
        EXPECT_FALSE(inv.whole);
        EXPECT_TRUE(inv.erase);
        EXPECT_EQ(inv.rect, (RECT{r.left + 7, r.top + 9, r.right + 7, r.bottom + 9}));
    };
    const int h = 300;
    f.view.invalidations.clear();
    P(0)->Invalidate(&f.dc);
    ASSERT_EQ(f.view.invalidations.size(), 1u);
    expect(f.view.invalidations[0], RECT{500 - h, 250 + h, 1500 + h, -250 - h});
    // The arc adds the rectangles from its centre to its start and end.
    f.view.invalidations.clear();
    P(1)->Invalidate(&f.dc);
    ASSERT_EQ(f.view.invalidations.size(), 3u);
    expect(f.view.invalidations[0], RECT{250 - h, 500 + h, 750 + h, 0 - h});
    expect(f.view.invalidations[1], RECT{500 - h, 250 + h, 750 + h, 250 - h});
    expect(f.view.invalidations[2], RECT{500 - h, 750 + h, 500 + h, 250 - h});
    // The text invalidates the rectangle it is drawn in, without a margin.
    f.view.invalidations.clear();
    P(2)->Invalidate(&f.dc);
    ASSERT_EQ(f.view.invalidations.size(), 1u);
    expect(f.view.invalidations[0], dynamic_cast<CPartText*>(P(2))->GetDrawRect(&f.dc, {2, 1}));
}

} // namespace
