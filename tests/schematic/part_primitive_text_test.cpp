// The text form of symbol primitives and part texts: tokens of all seven
// kinds read and written back, the flag and number rules, the text token's
// underscores, part texts with odd spacing; extents, transforms, copies and
// comparison.
#include "platform/key_state.h"
#include "platform/messages.h"
#include "tests/schematic/part_primitive_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// --- Tokens ----------------------------------------------------------------------

struct TokenCase {
    const wchar_t* token;   // as read
    const char* kind;       // the class built
    const wchar_t* written; // ToString of what was read
};

std::ostream& operator<<(std::ostream& os, const TokenCase& c) {
    return os << c.kind;
}

class TokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenTest, ReadsAsItsKindAndWritesBack) {
    const TokenCase& c = GetParam();
    auto p = MakePrimitive(c.token);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(KindName(p.get()), c.kind);
    EXPECT_EQ(p->ToString(), c.written);
    // What is written reads back to an equal primitive.
    auto again = MakePrimitive(p->ToString());
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(p->IsDifferent(*again));
    EXPECT_FALSE(again->IsDifferent(*p));
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, TokenTest,
    ::testing::Values(
        TokenCase{L"L0,0,40,-20", "CPartLine", L"L0,0,40,-20"},
        TokenCase{L"RCFO-20,-20,20,20", "CPartRect", L"RCFO-20,-20,20,20"},
        TokenCase{L"POLYC0,0,10,0,10,10", "CPartPolygon", L"POLYC0,0,10,0,10,10"},
        TokenCase{L"POLYFC0,0,10,0,10,10", "CPartPolygon", L"POLYFC0,0,10,0,10,10"},
        TokenCase{L"POLYFOC-5,-5,5,-5,0,7", "CPartPolygon", L"POLYFOC-5,-5,5,-5,0,7"},
        TokenCase{L"CIRCF-5,-5,5,5", "CPartCircle", L"CIRCF-5,-5,5,5"},
        TokenCase{L"CIRC0,0,10,20", "CPartCircle", L"CIRC0,0,10,20"},
        TokenCase{L"ARC-10,-10,10,10,10,0,-10,0", "CPartArc", L"ARC-10,-10,10,10,10,0,-10,0"},
        TokenCase{L"CURVE0,0,10,20,30,20,40,0", "CPartBezier", L"CURVE0,0,10,20,30,20,40,0"},
        TokenCase{L"TEXTR12,-4:Gate_A", "CPartText", L"TEXTR12,-4:Gate_A"},
        TokenCase{L"TEXTB-3,7:Vcc", "CPartText", L"TEXTB-3,7:Vcc"},
        // The flags in any order and with other letters among them.
        TokenCase{L"RCO-5,-5,5,5", "CPartRect", L"RCO-5,-5,5,5"},
        TokenCase{L"RCXF1,2,3,4", "CPartRect", L"RCF1,2,3,4"},
        TokenCase{L"RCOF1,2,3,4", "CPartRect", L"RCFO1,2,3,4"},
        TokenCase{L"POLYCF0,0,1,1", "CPartPolygon", L"POLYFC0,0,1,1"},
        // "L" is tested first: any token starting with it is a line.
        TokenCase{L"LINE", "CPartLine", L"L0,0,0,0"},
        // Missing numbers stay 0.
        TokenCase{L"L5,6", "CPartLine", L"L5,6,0,0"},
        TokenCase{L"ARC1,2,3", "CPartArc", L"ARC1,2,3,0,0,0,0,0"},
        TokenCase{L"CURVE1,2,3,4,5", "CPartBezier", L"CURVE1,2,3,4,5,0,0,0"},
        TokenCase{L"RCF", "CPartRect", L"RCF0,0,0,0"},
        // A number beyond 32 bits is held at the end of that range; one
        // within it is read as written.
        TokenCase{L"L99999999999,-99999999999,1,2", "CPartLine", L"L2147483647,-2147483648,1,2"},
        TokenCase{L"L2147483647,-2147483648,200001,-200001", "CPartLine",
                  L"L2147483647,-2147483648,200001,-200001"},
        // A polygon with an odd count keeps its whole pairs; none gives none.
        TokenCase{L"POLY0,0,5", "CPartPolygon", L"POLY0,0"},
        TokenCase{L"POLYC", "CPartPolygon", L"POLYC"}, TokenCase{L"POLY", "CPartPolygon", L"POLY"},
        // The style letter is optional; without it the text runs right.
        TokenCase{L"TEXT3,4:abc", "CPartText", L"TEXTR3,4:abc"},
        TokenCase{L"TEXTL3,4:abc", "CPartText", L"TEXTL3,4:abc"},
        TokenCase{L"TEXTR-3,-4:", "CPartText", L"TEXTR-3,-4:"},
        // Without the colon or a number the text reads as empty.
        TokenCase{L"TEXTR3:abc", "CPartText", L"TEXTR3,0:"},
        TokenCase{L"TEXTR3,4abc", "CPartText", L"TEXTR3,4:"},
        TokenCase{L"TEXT", "CPartText", L"TEXTR0,0:"},
        // Any other style letter is kept as read.
        TokenCase{L"TEXTQ1,2:x", "CPartText", L"TEXTQ1,2:x"}));

TEST(TokenFieldsTest, ExamplesReadIntoTheirFields) {
    auto rect = MakePrimitive(L"RCO-5,-5,5,5");
    auto* r = As<CPartRect>(rect);
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->filled);
    EXPECT_TRUE(r->opaque);
    EXPECT_EQ(r->p1, (POINT{-5, -5}));
    EXPECT_EQ(r->p2, (POINT{5, 5}));

    auto poly = MakePrimitive(L"POLYFC0,0,10,0,10,10");
    auto* pg = As<CPartPolygon>(poly);
    ASSERT_NE(pg, nullptr);
    EXPECT_TRUE(pg->filled);
    EXPECT_FALSE(pg->opaque);
    EXPECT_TRUE(pg->closed);
    ASSERT_EQ(pg->vertices.size(), 3u);
    EXPECT_EQ(pg->vertices[2], (POINT{10, 10}));

    auto arc = MakePrimitive(L"ARC-10,-10,10,10,10,0,-10,0");
    auto* a = As<CPartArc>(arc);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->start, (POINT{10, 0}));
    EXPECT_EQ(a->end, (POINT{-10, 0}));

    auto text = MakePrimitive(L"TEXTR12,-4:Gate_A");
    auto* t = As<CPartText>(text);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->text, L"Gate A");
    EXPECT_EQ(t->pos, (POINT{12, -4}));
    EXPECT_EQ(t->style, L'R');
}

TEST(TokenFieldsTest, UnknownTagsMakeNothing) {
    for (const wchar_t* token : {L"X1,2", L"", L"rc1,2,3,4", L"CIR1,2", L"12"})
        EXPECT_EQ(MakePrimitive(token), nullptr) << std::wstring(token).size();
}

// --- The text token ----------------------------------------------------------------

TEST(TextTokenTest, SpacesAreWrittenAsUnderscoresAndReadBack) {
    CPartText t(nullptr);
    t.text = L"A B";
    EXPECT_EQ(t.ToString(), L"TEXTR0,0:A_B");
    auto back = MakePrimitive(t.ToString());
    EXPECT_EQ(As<CPartText>(back)->text, L"A B");
}

TEST(TextTokenTest, EveryUnderscoreOfALongTextTurnsBackIntoASpace) {
    // 40 characters with spaces beyond the 25th.
    CPartText t(nullptr);
    t.text = L"Reset input of the second counter stage";
    std::wstring token = t.ToString();
    EXPECT_EQ(token, L"TEXTR0,0:Reset_input_of_the_second_counter_stage");
    auto back = MakePrimitive(token);
    EXPECT_EQ(As<CPartText>(back)->text, t.text);
    EXPECT_FALSE(t.IsDifferent(*back));
}

TEST(TextTokenTest, ATextLongerThan259CharactersIsReadWhole) {
    std::wstring words;
    for (int i = 0; i < 60; ++i)
        words += L"word ";
    words += L"end"; // 303 characters
    CPartText t(nullptr);
    t.text = words;
    t.pos = POINT{-7, 3};
    t.style = L'B';
    auto back = MakePrimitive(t.ToString());
    auto* bt = As<CPartText>(back);
    ASSERT_NE(bt, nullptr);
    EXPECT_EQ(bt->text.size(), 303u);
    EXPECT_EQ(bt->text, words);
    EXPECT_FALSE(t.IsDifferent(*back));
}

TEST(TextTokenTest, ATabDoesNotCutTheText) {
    auto back = MakePrimitive(L"TEXTR1,2:left\tright_side");
    EXPECT_EQ(As<CPartText>(back)->text, L"left\tright side");
    EXPECT_EQ(back->ToString(), L"TEXTR1,2:left\tright_side");
}

TEST(TextTokenTest, ATypedUnderscoreComesBackAsASpace) {
    // The format has one character for both; that stays so.
    CPartText t(nullptr);
    t.text = L"EN_A";
    auto back = MakePrimitive(t.ToString());
    EXPECT_EQ(As<CPartText>(back)->text, L"EN A");
}

TEST(TextTokenTest, ColonsAfterTheFirstBelongToTheText) {
    auto back = MakePrimitive(L"TEXTL0,0:a:b");
    EXPECT_EQ(As<CPartText>(back)->text, L"a:b");
}

// --- Part texts -----------------------------------------------------------------------

TEST(PartTextTest, TokensAreJoinedByOneSpace) {
    TestPart part;
    part.Read(L"L0,0,40,-20 RCFO-20,-20,20,20 POLYC0,0,10,0,10,10 CIRCF-5,-5,5,5 "
              L"ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,10,20,30,20,40,0 TEXTR12,-4:Gate_A");
    ASSERT_EQ(part.primitives.size(), 7u);
    EXPECT_NE(dynamic_cast<CPartLine*>(part.At(0)), nullptr);
    EXPECT_NE(dynamic_cast<CPartRect*>(part.At(1)), nullptr);
    EXPECT_NE(dynamic_cast<CPartPolygon*>(part.At(2)), nullptr);
    EXPECT_NE(dynamic_cast<CPartCircle*>(part.At(3)), nullptr);
    EXPECT_NE(dynamic_cast<CPartArc*>(part.At(4)), nullptr);
    EXPECT_NE(dynamic_cast<CPartBezier*>(part.At(5)), nullptr);
    EXPECT_NE(dynamic_cast<CPartText*>(part.At(6)), nullptr);
    for (CPartPrimitive* p : part.primitives) {
        EXPECT_EQ(p->GetOwner(), &part);
        EXPECT_FALSE(p->IsSelected());
        EXPECT_EQ(p->GetState(), 0);
        EXPECT_EQ(p->GetGrabbedVertex(), nullptr);
    }
    EXPECT_EQ(part.Text(),
              L"L0,0,40,-20 RCFO-20,-20,20,20 POLYC0,0,10,0,10,10 CIRCF-5,-5,5,5 "
              L"ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,10,20,30,20,40,0 TEXTR12,-4:Gate_A");
}

TEST(PartTextTest, EmptyPiecesAndUnknownTokensAreSkipped) {
    TestPart part;
    part.Read(L"  L0,0,1,1  RC1,2,3,4 junk  Z9 ");
    ASSERT_EQ(part.primitives.size(), 2u);
    EXPECT_EQ(part.Text(), L"L0,0,1,1 RC1,2,3,4");
}

TEST(PartTextTest, ReadingAgainReplacesThePrimitives) {
    TestPart part;
    part.Read(L"L0,0,1,1 L2,2,3,3");
    part.Read(L"CIRC0,0,4,4");
    ASSERT_EQ(part.primitives.size(), 1u);
    EXPECT_EQ(part.Text(), L"CIRC0,0,4,4");
    part.Read(L"");
    EXPECT_TRUE(part.primitives.empty());
    EXPECT_EQ(part.Text(), L"");
}

TEST(PartTextTest, CloneDeleteAndCompareLists) {
    TestPart a, b;
    a.Read(L"L0,0,1,1 TEXTR0,0:x");
    ClonePartPrimitives(a.primitives, &b, b.primitives);
    ASSERT_EQ(b.primitives.size(), 2u);
    EXPECT_EQ(b.At(0)->GetOwner(), &b);
    EXPECT_FALSE(PartPrimitivesDiffer(a.primitives, b.primitives));
    dynamic_cast<CPartText*>(b.At(1))->text = L"y";
    EXPECT_TRUE(PartPrimitivesDiffer(a.primitives, b.primitives));
    DeletePartPrimitives(b.primitives);
    EXPECT_TRUE(b.primitives.empty());
    EXPECT_TRUE(PartPrimitivesDiffer(a.primitives, b.primitives));
}

// --- Extents -----------------------------------------------------------------------------

struct ExtentCase {
    const wchar_t* token;
    POINT min;
    POINT max;
};

class ExtentTest : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(ExtentTest, MinimumAndMaximumPerAxis) {
    auto p = MakePrimitive(GetParam().token);
    EXPECT_EQ(p->GetMinPoint(), GetParam().min);
    EXPECT_EQ(p->GetMaxPoint(), GetParam().max);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, ExtentTest,
    ::testing::Values(ExtentCase{L"L0,0,40,-20", {0, -20}, {40, 0}},
                      ExtentCase{L"RC20,-20,-20,20", {-20, -20}, {20, 20}},
                      ExtentCase{L"CIRC3,9,-1,-4", {-1, -4}, {3, 9}},
                      // The arc's start and end do not count.
                      ExtentCase{L"ARC-10,-10,10,10,50,0,-60,0", {-10, -10}, {10, 10}},
                      ExtentCase{L"TEXTR12,-4:Gate", {12, -4}, {12, -4}},
                      // Curves and polygons wholly at negative coordinates.
                      ExtentCase{L"CURVE-40,-30,-20,-10,-30,-25,-10,-20", {-40, -30}, {-10, -10}},
                      ExtentCase{L"POLY-10,-10,-5,-20,-8,-12", {-10, -20}, {-5, -10}},
                      ExtentCase{L"POLY0,0,10,0,10,10", {0, 0}, {10, 10}},
                      ExtentCase{L"CURVE5,6,7,8,9,10,11,12", {5, 6}, {11, 12}}));

TEST(ExtentTest, APolygonWithoutVerticesHasAnEmptyExtent) {
    auto p = MakePrimitive(L"POLY");
    EXPECT_EQ(p->GetMinPoint(), (POINT{INT_MAX, INT_MAX}));
    EXPECT_EQ(p->GetMaxPoint(), (POINT{INT_MIN, INT_MIN}));
    TestPart part;
    part.Read(L"POLY L-5,-5,-1,-2 POLY-9,3,-8,4");
    POINT lo, hi;
    ASSERT_TRUE(GetPartPrimitivesExtent(part.primitives, &lo, &hi));
    EXPECT_EQ(lo, (POINT{-9, -5}));
    EXPECT_EQ(hi, (POINT{-1, 4}));
    part.Read(L"POLY");
    EXPECT_FALSE(GetPartPrimitivesExtent(part.primitives, &lo, &hi));
}

// --- Transforms ------------------------------------------------------------------------------

struct TransformCase {
    const wchar_t* token;
    POINT pivot;
    int key;
    bool shift;
    const wchar_t* result;
};

class TransformTest : public ::testing::TestWithParam<TransformCase> {
protected:
    void TearDown() override { ResetKeyState(); }
};

TEST_P(TransformTest, MapsEveryPointAboutThePivot) {
    const TransformCase& c = GetParam();
    g_TransformPivot = c.pivot;
    SetKeyState(VK_SHIFT, c.shift);
    auto p = MakePrimitive(c.token);
    p->TransformByKey(c.key);
    EXPECT_EQ(p->ToString(), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, TransformTest,
    ::testing::Values(
        // The point (12, 3) about (10, 0).
        TransformCase{L"L12,3,12,3", {10, 0}, 'R', false, L"L13,-2,13,-2"},
        TransformCase{L"L12,3,12,3", {10, 0}, 'R', true, L"L7,2,7,2"},
        TransformCase{L"L12,3,12,3", {10, 0}, 'H', false, L"L8,3,8,3"},
        TransformCase{L"L12,3,12,3", {10, 0}, 'V', false, L"L12,-3,12,-3"},
        TransformCase{L"L12,3,12,3", {10, 0}, 'X', false, L"L12,3,12,3"},
        TransformCase{L"RCF0,0,10,20", {0, 0}, 'R', false, L"RCF0,0,20,-10"},
        TransformCase{L"CIRCO0,0,10,20", {5, 5}, 'H', false, L"CIRCO10,0,0,20"},
        TransformCase{L"POLYC0,0,10,0,10,10", {0, 0}, 'V', false, L"POLYC0,0,10,0,10,-10"},
        TransformCase{
            L"CURVE0,0,10,20,30,20,40,0", {0, 0}, 'R', true, L"CURVE0,0,-20,10,-20,30,0,40"},
        // A mirrored arc swaps its start and end; a turned one keeps them.
        TransformCase{
            L"ARC-10,-10,10,10,10,0,-10,0", {0, 0}, 'H', false, L"ARC10,-10,-10,10,10,0,-10,0"},
        TransformCase{
            L"ARC-10,-10,10,10,10,0,0,10", {0, 0}, 'V', false, L"ARC-10,10,10,-10,0,-10,10,0"},
        TransformCase{
            L"ARC-10,-10,10,10,10,0,-10,0", {0, 0}, 'R', false, L"ARC-10,10,10,-10,0,-10,0,10"},
        // Texts move their anchor and turn or mirror their style.
        TransformCase{L"TEXTL4,1:a", {0, 0}, 'H', false, L"TEXTR-4,1:a"},
        TransformCase{L"TEXTR4,1:a", {0, 0}, 'H', false, L"TEXTL-4,1:a"},
        TransformCase{L"TEXTT4,1:a", {0, 0}, 'H', false, L"TEXTT-4,1:a"},
        TransformCase{L"TEXTT4,1:a", {0, 0}, 'V', false, L"TEXTB4,-1:a"},
        TransformCase{L"TEXTB4,1:a", {0, 0}, 'V', false, L"TEXTT4,-1:a"},
        TransformCase{L"TEXTR4,1:a", {0, 0}, 'R', false, L"TEXTB1,-4:a"},
        TransformCase{L"TEXTB4,1:a", {0, 0}, 'R', false, L"TEXTL1,-4:a"},
        TransformCase{L"TEXTL4,1:a", {0, 0}, 'R', false, L"TEXTT1,-4:a"},
        TransformCase{L"TEXTT4,1:a", {0, 0}, 'R', false, L"TEXTR1,-4:a"},
        TransformCase{L"TEXTR4,1:a", {0, 0}, 'R', true, L"TEXTT-1,4:a"},
        TransformCase{L"TEXTT4,1:a", {0, 0}, 'R', true, L"TEXTL-1,4:a"},
        TransformCase{L"TEXTL4,1:a", {0, 0}, 'R', true, L"TEXTB-1,4:a"},
        TransformCase{L"TEXTB4,1:a", {0, 0}, 'R', true, L"TEXTR-1,4:a"},
        TransformCase{L"TEXTQ4,1:a", {0, 0}, 'R', false, L"TEXTQ1,-4:a"}));

TEST(TransformTest, FourTurnsGiveTheSameToken) {
    g_TransformPivot = POINT{3, -7};
    ResetKeyState();
    TestPart part;
    const std::wstring text = L"L1,2,3,4 RCF-5,6,7,-8 POLYC0,0,5,0,5,5 CIRCO1,1,9,9 "
                              L"ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,1,2,3,4,5,6 TEXTL2,2:x";
    part.Read(text);
    for (int i = 0; i < 4; ++i)
        for (CPartPrimitive* p : part.primitives)
            p->TransformByKey('R');
    EXPECT_EQ(part.Text(), text);
    for (int key : {'H', 'V', 'H', 'V'})
        for (CPartPrimitive* p : part.primitives)
            p->TransformByKey(key);
    EXPECT_EQ(part.Text(), text);
}

TEST(MoveTest, EveryPointMoves) {
    TestPart part;
    part.Read(L"L0,0,40,-20 RCFO-20,-20,20,20 POLYC0,0,10,0,10,10 CIRCF-5,-5,5,5 "
              L"ARC-10,-10,10,10,10,0,-10,0 CURVE0,0,10,20,30,20,40,0 TEXTR12,-4:Gate_A");
    for (CPartPrimitive* p : part.primitives)
        p->Move(3, -2);
    EXPECT_EQ(part.Text(),
              L"L3,-2,43,-22 RCFO-17,-22,23,18 POLYC3,-2,13,-2,13,8 CIRCF-2,-7,8,3 "
              L"ARC-7,-12,13,8,13,-2,-7,-2 CURVE3,-2,13,18,33,18,43,-2 TEXTR15,-6:Gate_A");
}

// --- Copies and comparison ---------------------------------------------------------------------

TEST(CopyTest, ACloneTakesEveryFieldAndTheNewOwner) {
    TestPart a, b;
    a.Read(L"POLYFOC0,0,10,0,10,10");
    CPartPrimitive* p = a.At(0);
    p->SetSelected(true);
    p->SetState(-1);
    p->MouseDown(nullptr, 0, 10, 0); // selecting click on the second vertex
    std::unique_ptr<CPartPrimitive> copy(p->Clone(&b));
    EXPECT_EQ(copy->GetOwner(), &b);
    EXPECT_TRUE(copy->IsSelected());
    EXPECT_EQ(copy->GetState(), -1);
    EXPECT_EQ(copy->GetAnchor(), (POINT{10, 0}));
    // The grabbed vertex is the copy's own second vertex.
    ASSERT_NE(copy->GetGrabbedVertex(), nullptr);
    EXPECT_EQ(copy->GetGrabbedVertex(), &dynamic_cast<CPartPolygon*>(copy.get())->vertices[1]);
    EXPECT_FALSE(copy->IsDifferent(*p));
}

TEST(CopyTest, CopyFromTakesGeometryButNotTheEditingState) {
    auto target = MakePrimitive(L"TEXTR0,0:old");
    auto source = MakePrimitive(L"TEXTB5,6:new_text");
    source->SetSelected(true);
    target->CopyFrom(*source);
    EXPECT_EQ(target->ToString(), L"TEXTB5,6:new_text");
    EXPECT_FALSE(target->IsSelected());
    // Another kind changes nothing.
    auto line = MakePrimitive(L"L1,2,3,4");
    target->CopyFrom(*line);
    EXPECT_EQ(target->ToString(), L"TEXTB5,6:new_text");
}

struct DifferCase {
    const wchar_t* a;
    const wchar_t* b;
    bool differ;
};

class DifferTest : public ::testing::TestWithParam<DifferCase> {};

TEST_P(DifferTest, ComparesEveryField) {
    auto a = MakePrimitive(GetParam().a);
    auto b = MakePrimitive(GetParam().b);
    EXPECT_EQ(a->IsDifferent(*b), GetParam().differ);
    EXPECT_EQ(b->IsDifferent(*a), GetParam().differ);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, DifferTest,
    ::testing::Values(DifferCase{L"L0,0,1,1", L"L0,0,1,1", false},
                      DifferCase{L"L0,0,1,1", L"L0,0,1,2", true},
                      DifferCase{L"RC0,0,1,1", L"RCF0,0,1,1", true},
                      DifferCase{L"RC0,0,1,1", L"RCO0,0,1,1", true},
                      DifferCase{L"RC0,0,1,1", L"CIRC0,0,1,1", true},
                      DifferCase{L"POLY0,0,1,1", L"POLY0,0,1,1,2,2", true},
                      DifferCase{L"POLY0,0,1,1", L"POLY0,0,1,2", true},
                      DifferCase{L"POLY0,0,1,1", L"POLYC0,0,1,1", true},
                      DifferCase{L"ARC0,0,4,4,1,1,2,2", L"ARC0,0,4,4,1,1,2,3", true},
                      DifferCase{L"CURVE0,0,1,1,2,2,3,3", L"CURVE0,0,1,1,2,2,3,3", false},
                      DifferCase{L"CURVE0,0,1,1,2,2,3,3", L"CURVE0,0,1,1,2,9,3,3", true},
                      DifferCase{L"TEXTR0,0:a", L"TEXTL0,0:a", true},
                      DifferCase{L"TEXTR0,0:a", L"TEXTR0,0:b", true},
                      DifferCase{L"TEXTR0,0:a", L"TEXTR0,1:a", true}));

} // namespace
