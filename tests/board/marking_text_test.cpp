// The marking text: each kind's token read and written, the classic text
// form read as stored files hold it, the escaped text form for texts the
// classic form cannot carry, and whole footprint files through a save.
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_primitive.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "core/root.h"
#include "tests/board/board_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const std::wstring kPilcrow(1, wchar_t(0x00B6));

struct Owned {
    std::vector<CMarkingPrimitive*> v;
    ~Owned() { DeleteMarkingPrimitives(v); }
};

std::unique_ptr<CMarkingPrimitive> Parse(const std::wstring& token, CMarking* m = nullptr) {
    return std::unique_ptr<CMarkingPrimitive>(ParseMarkingToken(m, token));
}

// Tokens that read and write back unchanged, with the kind they give.
struct RoundTrip {
    const wchar_t* token;
    int kind;
};

const RoundTrip kRoundTrips[] = {
    {L"L0,0,10,5W0.2", MARKING_LINE},
    {L"RCF0,0,10,5W0.2", MARKING_RECT},
    {L"RC-1.6,-0.9,1.6,0.9W0.05", MARKING_RECT},
    {L"CIRC-1,-1,1,1W0.1", MARKING_CIRCLE},
    {L"CIRCF2,2,3,3W0", MARKING_CIRCLE},
    {L"POLYC0,0,1,0,1,1W0.2", MARKING_POLYGON},
    {L"POLYF0,0,1,0,1,1W0.2", MARKING_POLYGON},
    {L"POLY0,0,3,0W0.2", MARKING_POLYGON},
    {L"ARC-2,-2,2,2,2,0,0,2W0.1", MARKING_ARC},
    {L"ARCF-2,-2,2,2,0,2,-2,0W0.1", MARKING_ARC},
    {L"ARCC-2,-2,2,2,-2,0,0,-2W0.1", MARKING_ARC},
    {L"CRV0,0,1,1,2,1,3,0W0.15", MARKING_BEZIER},
    {L"TXT0,1.5,0,1:R?\u00B6Tahoma", MARKING_TEXT},
    {L"TXT1,2,90,1.5:A_B\u00B6Courier_New", MARKING_TEXT},
};

} // namespace

TEST(MarkingTextTest, TokensOfEveryKindRoundTrip) {
    for (const RoundTrip& rt : kRoundTrips) {
        auto p = Parse(rt.token);
        ASSERT_TRUE(p) << WideToUtf8(rt.token);
        EXPECT_EQ(p->GetKind(), rt.kind) << WideToUtf8(rt.token);
        EXPECT_EQ(p->ToString(), rt.token);
    }
}

TEST(MarkingTextTest, WriterExamples) {
    CMarkingLine line(nullptr);
    line.m_p2 = {10, 5};
    EXPECT_EQ(line.ToString(), L"L0,0,10,5W0.2");
    CMarkingRect rect(nullptr);
    rect.m_p2 = {10, 5};
    rect.m_filled = true;
    EXPECT_EQ(rect.ToString(), L"RCF0,0,10,5W0.2");
    CMarkingPolygon poly(nullptr);
    poly.m_vertices = {{0, 0}, {1, 0}, {1, 1}};
    EXPECT_EQ(poly.ToString(), L"POLYC0,0,1,0,1,1W0.2");
    CMarkingText text(nullptr);
    text.m_text = L"A B";
    text.m_fontName = L"Courier New";
    text.m_pos = {1, 2};
    text.m_rotation = 90;
    EXPECT_EQ(text.ToString(), L"TXT1,2,90,1.5:A_B" + kPilcrow + L"Courier_New");
}

TEST(MarkingTextTest, LineWritesFiveDigitsOtherKindsSix) {
    struct {
        float v;
        const wchar_t* line;
        const wchar_t* other;
    } cases[] = {{1.234567f, L"1.2346", L"1.23457"},
                 {123.456f, L"123.46", L"123.456"},
                 {1048576.0f, L"1.0486e+06", L"1.04858e+06"},
                 {1.5e6f, L"1.5e+06", L"1.5e+06"},
                 {100.0f, L"100", L"100"}};
    for (const auto& c : cases) {
        CMarkingLine line(nullptr);
        line.m_p1.X = c.v;
        EXPECT_EQ(line.ToString(), std::wstring(L"L") + c.line + L",0,0,0W0.2");
        CMarkingRect rect(nullptr);
        rect.m_p1.X = c.v;
        EXPECT_EQ(rect.ToString(), std::wstring(L"RC") + c.other + L",0,0,0W0.2");
    }
}

TEST(MarkingTextTest, FlagsOfPolygonAndArc) {
    auto filled = Parse(L"POLYF0,0,1,0,1,1W0.2");
    EXPECT_TRUE(filled->m_filled);
    EXPECT_TRUE(filled->m_closed);
    auto plain = Parse(L"POLY0,0,1,0,1,1W0.2");
    EXPECT_FALSE(plain->m_closed);
    auto arcF = Parse(L"ARCF0,0,2,2,2,1,1,2W0.1");
    EXPECT_TRUE(arcF->m_filled);
    EXPECT_TRUE(arcF->m_closed);
    auto arc = Parse(L"ARC0,0,2,2,2,1,1,2W0.1");
    EXPECT_FALSE(arc->m_filled);
    EXPECT_FALSE(arc->m_closed);
    // Rect and circle know only F; a C is no flag.
    auto rectC = Parse(L"RCC0,0,1,1W0.2");
    EXPECT_FALSE(rectC->m_filled);
    EXPECT_EQ(static_cast<CMarkingRect*>(rectC.get())->m_p2.X, 0.0f) << "scan stopped at C";
}

TEST(MarkingTextTest, FieldsNotReachedKeepDefaults) {
    CMarking outline(30);
    auto line = Parse(L"L1,2,3", &outline);
    auto* l = static_cast<CMarkingLine*>(line.get());
    EXPECT_EQ(l->m_p1.X, 1);
    EXPECT_EQ(l->m_p1.Y, 2);
    EXPECT_EQ(l->m_p2.X, 3);
    EXPECT_EQ(l->m_p2.Y, 0);
    EXPECT_EQ(l->m_width, 0.0f) << "package-outline layer default";
    auto text = Parse(L"TXT5,6");
    auto* t = static_cast<CMarkingText*>(text.get());
    EXPECT_EQ(t->m_pos.X, 5);
    EXPECT_EQ(t->m_fontName, L"Tahoma");
    EXPECT_EQ(t->m_fontSize, 1.5f);
    EXPECT_EQ(t->m_text, L"");
    // Polygon without W keeps its width; a piece without a comma adds nothing.
    auto poly = Parse(L"POLYC1,2,3,4");
    EXPECT_EQ(static_cast<CMarkingPolygon*>(poly.get())->m_vertices.size(), 2u);
    EXPECT_EQ(poly->m_width, 0.2f);
    auto bare = Parse(L"POLY7");
    EXPECT_TRUE(static_cast<CMarkingPolygon*>(bare.get())->m_vertices.empty());
}

TEST(MarkingTextTest, NumbersThatAreNotFiniteAreNotRead) {
    auto line = Parse(L"L1,nan,3,4W0.2");
    auto* l = static_cast<CMarkingLine*>(line.get());
    EXPECT_EQ(l->m_p1.X, 1);
    EXPECT_EQ(l->m_p1.Y, 0);
    EXPECT_EQ(l->m_p2.X, 0) << "the scan ends at the unreadable value";
    auto arc = Parse(L"ARC0,0,1e39,2,1,1,1,2W0.1");
    EXPECT_TRUE(std::isfinite(static_cast<CMarkingArc*>(arc.get())->m_p2.X));
    auto poly = Parse(L"POLY0,0,inf,1W0.2");
    EXPECT_EQ(static_cast<CMarkingPolygon*>(poly.get())->m_vertices.size(), 1u);
}

TEST(MarkingTextTest, ClassicTextReadsUnderscoresAsSpaces) {
    auto text = Parse(L"TXT1,2,90,1.5:A_B" + kPilcrow + L"Courier_New");
    auto* t = static_cast<CMarkingText*>(text.get());
    EXPECT_EQ(t->m_text, L"A B");
    EXPECT_EQ(t->m_fontName, L"Courier New");
    EXPECT_EQ(t->m_pos.Y, 2);
    EXPECT_EQ(t->m_rotation, 90);
    // Without the separator the whole part is the text.
    auto bare = Parse(L"TXT0,0,0,1:VCC_3V3");
    EXPECT_EQ(static_cast<CMarkingText*>(bare.get())->m_text, L"VCC 3V3");
    EXPECT_EQ(static_cast<CMarkingText*>(bare.get())->m_fontName, L"Tahoma");
    // A tab ends the classic text part.
    auto tab = Parse(L"TXT0,0,0,1:AB\tCD");
    EXPECT_EQ(static_cast<CMarkingText*>(tab.get())->m_text, L"AB");
}

TEST(MarkingTextTest, TextsTheClassicFormLosesUseTheEscapedForm) {
    const std::wstring longText(1500, L'x');
    const std::wstring texts[] = {L"VCC_3V3",
                                  L"A\tB",
                                  L"line1\nline2",
                                  L"100%_sure",
                                  L"a" + kPilcrow + L"b",
                                  L"  two  spaces_",
                                  longText,
                                  L"\u00C4rger \u2013 \u6F22\u5B57"};
    for (const std::wstring& s : texts) {
        CMarkingText t(nullptr);
        t.m_text = s;
        t.m_fontName = L"DejaVu_Sans Mono";
        t.m_pos = {1.25f, -3};
        t.m_rotation = 270;
        t.m_fontSize = 2;
        const std::wstring token = t.ToString();
        EXPECT_EQ(token.find(L' '), std::wstring::npos) << "no blank inside a token";
        EXPECT_EQ(token.find(L'\t'), std::wstring::npos);
        EXPECT_EQ(token.find(L'\n'), std::wstring::npos);
        auto back = Parse(token);
        ASSERT_EQ(back->GetKind(), MARKING_TEXT);
        auto* b = static_cast<CMarkingText*>(back.get());
        EXPECT_EQ(b->m_text, s);
        EXPECT_EQ(b->m_fontName, L"DejaVu_Sans Mono");
        EXPECT_EQ(b->m_pos.X, 1.25f);
        EXPECT_EQ(b->m_rotation, 270);
        EXPECT_EQ(b->ToString(), token);
    }
    CMarkingText plain(nullptr);
    plain.m_text = L"R1 top";
    EXPECT_EQ(plain.ToString(), L"TXT0,0,0,1.5:R1_top" + kPilcrow + L"Tahoma")
        << "texts the classic form carries keep it";
    CMarkingText underscore(nullptr);
    underscore.m_text = L"VCC_3V3";
    EXPECT_EQ(underscore.ToString(), L"TXTX0,0,0,1.5:VCC_3V3" + kPilcrow + L"Tahoma");
}

TEST(MarkingTextTest, EscapesReadBackAndLoneEscapeCharactersStand) {
    EXPECT_EQ(EscapeMarkingText(L"a b%c\u00B6"), L"a%20b%25c%B6");
    EXPECT_EQ(UnescapeMarkingText(L"a%20b%25c%B6"), L"a b%c\u00B6");
    EXPECT_EQ(UnescapeMarkingText(L"50%"), L"50%");
    EXPECT_EQ(UnescapeMarkingText(L"%zz%4"), L"%zz%4");
    EXPECT_EQ(EscapeMarkingText(std::wstring(1, wchar_t(0xFFFF))), L"%U0000FFFF");
    EXPECT_EQ(UnescapeMarkingText(L"%U0000FFFF"), std::wstring(1, wchar_t(0xFFFF)));
}

TEST(MarkingTextTest, ElementTextSplitsAtSingleSpaces) {
    Owned empty;
    empty.v = ParseMarkingText(nullptr, L"");
    EXPECT_TRUE(empty.v.empty());
    EXPECT_EQ(WriteMarkingText(empty.v), L"");
    Owned some;
    some.v = ParseMarkingText(nullptr, L"L0,0,1,1W0.2  XYZ RC0,0,1,1W0.2 POLY1,1W0.2");
    ASSERT_EQ(some.v.size(), 3u);
    EXPECT_EQ(some.v[0]->GetKind(), MARKING_LINE);
    EXPECT_EQ(some.v[1]->GetKind(), MARKING_RECT);
    // A polygon of one vertex writes nothing: the extra space is skipped on
    // the next read and the polygon is gone.
    const std::wstring written = WriteMarkingText(some.v);
    EXPECT_EQ(written, L"L0,0,1,1W0.2 RC0,0,1,1W0.2 ");
    Owned again;
    again.v = ParseMarkingText(nullptr, written);
    EXPECT_EQ(again.v.size(), 2u);
}

TEST(MarkingTextTest, CloneAndCopyFrom) {
    CMarking marking(22);
    CMarkingPolygon poly(&marking);
    poly.m_vertices = {{0, 0}, {1, 0}, {1, 1}};
    poly.m_selected = true;
    poly.m_state = kMarkingEditing;
    poly.m_grabbed = 2;
    std::unique_ptr<CMarkingPrimitive> copy(poly.Clone());
    EXPECT_EQ(copy->m_pMarking, &marking);
    EXPECT_TRUE(copy->m_selected);
    EXPECT_EQ(copy->m_grabbed, 2);
    poly.m_vertices[0].X = 9;
    EXPECT_EQ(static_cast<CMarkingPolygon*>(copy.get())->m_vertices[0].X, 0) << "deep copy";

    CMarkingPolygon target(&marking);
    target.CopyFrom(&poly);
    EXPECT_EQ(target.m_vertices.size(), 3u);
    EXPECT_FALSE(target.m_selected) << "selection is never copied";
    EXPECT_EQ(target.m_state, kMarkingIdle);
    target.CopyFrom(&target);
    EXPECT_EQ(target.m_vertices.size(), 3u);

    std::vector<CMarkingPrimitive*> clip;
    CloneMarkingPrimitiveInto(clip, &poly);
    ASSERT_EQ(clip.size(), 1u);
    EXPECT_EQ(clip[0]->m_state, kMarkingFloating);
    DeleteMarkingPrimitives(clip);
    EXPECT_TRUE(clip.empty());
}

class MarkingFileTest : public BoardFixture {};

// A footprint library through load and save: classic texts stay byte for
// byte, a literal underscore survives in the escaped form.
TEST_F(MarkingFileTest, FootprintFileRoundTrips) {
    const std::string body =
        "<FootprintLib>\r\n"
        "  <Footprint>F\r\n"
        "    <Marking Layer=\"SST\">L-2,-1,2,-1W0.15 RCF0,0,10,5W0.2 "
        "CIRC-1,-1,1,1W0.1</Marking>\r\n"
        "    <Marking Layer=\"AST\">POLYC0,0,1,0,1,1W0.2 ARCC-2,-2,2,2,-2,0,0,-2W0.1</Marking>\r\n"
        "    <Marking Layer=\"ASB\">CRV0,0,1,1,2,1,3,0W0.15 "
        "TXT0,1.5,0,1:R?\xC2\xB6Tahoma</Marking>\r\n"
        "    <Marking Layer=\"SSB\">TXTX0,0,0,1.5:VCC_3V3%20&amp;&lt;\xC2\xB6Tahoma</Marking>\r\n"
        "  </Footprint>\r\n"
        "</FootprintLib>\r\n";
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc(body)));
    auto* fp = root.GetChild(0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<CMarking*>(fp->GetChild(i))->m_primitives.size(), i == 0 ? 3u : 2u);
    auto* m1 = static_cast<CMarking*>(fp->GetChild(3));
    ASSERT_EQ(m1->m_primitives.size(), 1u);
    EXPECT_EQ(static_cast<CMarkingText*>(m1->m_primitives[0])->m_text, L"VCC_3V3 &<");
    EXPECT_EQ(SaveText(root), XmlDoc(body));
}

// A shape too short to be written (a polygon of one vertex, or none) is not
// kept when read: the next save would drop it, leaving two spaces behind.
TEST_F(MarkingFileTest, ShapesThatWriteNothingAreDroppedOnReading) {
    CRoot root;
    ASSERT_TRUE(LoadText(root, XmlDoc("<FootprintLib><Footprint>F<Marking Layer=\"SSB\">"
                                      "POLYF0,0,1,0,1,1W0.2 POLYC0,0,2,x POLY7 POLY0,0,3,0W0.2"
                                      "</Marking></Footprint></FootprintLib>")));
    auto* marking = static_cast<CMarking*>(root.GetChild(0)->GetChild(0));
    EXPECT_EQ(marking->m_primitives.size(), 2u);
    const std::string saved = SaveText(root);
    EXPECT_NE(saved.find(">POLYF0,0,1,0,1,1W0.2 POLY0,0,3,0W0.2<"), std::string::npos) << saved;
    CRoot again;
    ASSERT_TRUE(LoadText(again, saved));
    EXPECT_EQ(SaveText(again), saved);
}

// A number that is not finite (also as a float) ends a marking's text: the
// shapes before it stay, the rest is dropped, as a default read in its place
// would draw a shape the text does not have.
TEST_F(MarkingFileTest, ANumberThatIsNotFiniteEndsTheText) {
    const struct {
        const char* text;
        const char* kept;
    } cases[] = {
        {"L-2,-1,2,-1W0.15 L1,nan,3,4W0.2 RC0,0,1,1W0.2", "L-2,-1,2,-1W0.15"},
        {"CIRC-1,-1,1,1W0.1 ARC0,0,1e39,2,1,1,1,2W0.1", "CIRC-1,-1,1,1W0.1"},
        {"RC0,0,1,1W0.2 POLY0,0,1,1,inf,2W0.2 L0,0,1,1W0.1", "RC0,0,1,1W0.2"},
        {"L0,0,1,1W0.1 TXT0,1.5,0,-nan:R?", "L0,0,1,1W0.1"},
        {"L0,0,1,1W0.1 CRV0,0,1,1,2,1,3,0W1e40", "L0,0,1,1W0.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CRoot root;
        ASSERT_TRUE(LoadText(root, XmlDoc(std::string("<FootprintLib><Footprint>F<Marking "
                                                      "Layer=\"SSB\">") +
                                          c.text + "</Marking></Footprint></FootprintLib>")));
        const std::string saved = SaveText(root);
        EXPECT_NE(saved.find(std::string(">") + c.kept + "<"), std::string::npos) << saved;
        Owned parsed;
        const std::string text(c.text);
        parsed.v = ParseMarkingText(nullptr, std::wstring(text.begin(), text.end()));
        EXPECT_EQ(parsed.v.size(), 1u);
    }
}
