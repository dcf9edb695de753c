// The plot primitives: number formats, modal coordinates, arcs, conductor
// corners, outline nodes, regions with holes and the overlap test.
#include "board/area_node.h"
#include "board/conductor.h"
#include "cam/gerber_plot.h"
#include "tests/cam/gerber_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

class PlotTest : public ::testing::Test {
protected:
    // Runs body on a plotter writing into a fresh file; returns its lines.
    std::vector<std::string> Plot(const GerberFormat& format,
                                  const std::function<void(CGerberPlotter&)>& body) {
        const std::wstring path = m_dir.W() + L"/plot" + std::to_wstring(++m_n) + L".gbr";
        CTextFile file;
        file.SetByteOrderMark(false);
        EXPECT_TRUE(file.Open(path, CTextFile::GenericWrite, 0, CTextFile::CreateAlways,
                              CTextFile::FileAttributeNormal));
        {
            CGerberPlotter plot(&file, format);
            body(plot);
        }
        file.Close();
        return ReadCrLfLines(WideToUtf8(path));
    }
    static GerberFormat Mm(int res = 3) { return GerberFormat::From(1, res, 0.001); }
    static GerberFormat Inch(int res = 3) { return GerberFormat::From(0, res, 0.001); }

    ScratchDir m_dir;
    int m_n = 0;
};

std::string Join(const std::vector<std::string>& v) {
    return JoinLines(v);
}

} // namespace

TEST_F(PlotTest, CoordinateNumbers) {
    struct Case {
        GerberFormat format;
        double mm;
        const char* text;
    } cases[] = {
        {Mm(), 12.5, "12500"},    {Mm(), -0.25, "-0250"},  {Mm(4), 1.5, "15000"},
        {Inch(4), 25.4, "10000"}, {Mm(2), 3.14159, "314"}, {Inch(3), 4, "0157"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines =
            Plot(c.format, [&](CGerberPlotter& p) { p.Line(p.Number(c.mm)); });
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.text) << c.mm;
    }
}

// A coordinate the format cannot hold (not finite, or more whole digits than
// it gives) is noted, and no number of endless digits is written.
TEST_F(PlotTest, CoordinatesBeyondTheFormatAreNotedNotWritten) {
    const double nan = std::nan("");
    struct Case {
        GerberFormat format;
        double mm;
        bool fits;
    } cases[] = {
        {Mm(), 999.9994, true},
        {Mm(), 999.9996, false},
        {Mm(), -1000, false},
        {Mm(), 1e30, false},
        {Mm(), nan, false},
        {Mm(), -HUGE_VAL, false},
        {Inch(), 25399.9, true},
        {Inch(), 25400, false},
        {GerberFormat::From(1, 3, 0.001, 4), 9999, true},
    };
    for (const Case& c : cases) {
        std::optional<double> unwritable;
        const std::string text = Join(Plot(c.format, [&](CGerberPlotter& p) {
            p.PlotMove(0, 0);
            p.PlotDraw(c.mm, 1);
            p.Line(p.SizeText(c.mm));
            unwritable = p.Unwritable();
        }));
        EXPECT_EQ(unwritable.has_value(), !c.fits) << c.mm;
        EXPECT_EQ(text.find("nan"), std::string::npos) << text;
        EXPECT_EQ(text.find("inf"), std::string::npos) << text;
        EXPECT_LT(text.size(), 60u) << text;
    }
}

// An arc so shallow that its centre lies beyond the format goes out as draws
// on the circle: from (0, 0) to (50, 0) bulging 0.0002 mm to the right.
TEST_F(PlotTest, ShallowArcsBeyondTheFormatAreDrawsAlongThem) {
    CAreaNode* head = nullptr;
    auto* arc = new CAreaArc(nullptr, 0, 0);
    arc->m_deviation = 0.0002f;
    AppendAreaNode(head, arc);
    AppendAreaNode(head, new CAreaSegment(nullptr, 50, 0));
    std::optional<double> unwritable;
    const auto lines = Plot(GerberFormat::From(1, 4, 0.0001), [&](CGerberPlotter& p) {
        p.PlotOutline(head);
        unwritable = p.Unwritable();
    });
    DeleteAreaOutline(head);
    EXPECT_FALSE(unwritable.has_value());
    EXPECT_EQ(Join(lines).find("I"), std::string::npos);
    // Two pieces: to the middle of the arc, 0.0002 below the chord, and on.
    EXPECT_EQ(Join(lines), "X00000Y00000D02*\nG01X250000Y-00002D01*\nX500000Y00000D01*\n"
                           "X00000D01*\n");
}

TEST(GerberNumbers, PlainNumbersAreNeverScientific) {
    struct Case {
        double value;
        const wchar_t* text;
    } cases[] = {
        {90, L"90"},
        {-30, L"-30"},
        {0.5, L"0.5"},
        {4.67949e-08, L"0"},
        {-4.37114e-08, L"0"},
        {0.8660254, L"0.866025"},
        {1e-6, L"0.000001"},
        {123456.75, L"123456.75"},
        {1e12, L"1000000000000"},
    };
    for (const Case& c : cases) {
        const std::wstring s = GerberPlainNumber(c.value);
        EXPECT_EQ(s, c.text) << c.value;
        EXPECT_EQ(s.find_first_of(L"eE"), std::wstring::npos);
    }
}

TEST(GerberNumbers, SizeTexts) {
    EXPECT_EQ(GerberSizeText(1.0, GerberFormat::From(0, 3, 0.001)), L"0.0394");
    EXPECT_EQ(GerberSizeText(0.254, GerberFormat::From(1, 3, 0.001)), L"0.254");
    EXPECT_EQ(GerberSizeText(0.001, GerberFormat::From(0, 3, 0.001)), L"0.0000");
}

TEST_F(PlotTest, CoordinatesAreModal) {
    const auto lines = Plot(Mm(), [](CGerberPlotter& p) {
        p.PlotMove(0, 0);           // first coordinate in full
        p.PlotDraw(0.0004, 2);      // X moved less than the epsilon
        p.PlotDraw(0.0008, 2.0005); // neither moved: nothing
        p.PlotFlash(0.0008, 2);     // at the current point
        p.SelectAperture(11);
        p.SelectAperture(11);
        p.SetPolarity(false);
        p.SetPolarity(true);
        p.SetPolarity(true);
    });
    EXPECT_EQ(Join(lines), "X0000Y0000D02*\nG01Y2000D01*\nD03*\nD11*\n%LPC*%\n");
}

TEST_F(PlotTest, ArcQuadrantModes) {
    // 90 degrees: multi-quadrant, signed offsets; 89: single-quadrant, unsigned.
    const auto lines = Plot(Mm(), [](CGerberPlotter& p) {
        p.PlotMove(1, 0);
        p.PlotArc(0, 1, 0, 0, false, true);
        p.PlotArc(-1, 0, 0, 0, false, false);
        p.PlotArc(0, -1, 0, 0, true, false);
    });
    EXPECT_EQ(Join(lines), "X1000Y0000D02*\n"
                           "G75*\nG03X0000Y1000I-1000J0000D01*\n"
                           "G74*\nX-1000Y0000I0000J1000D01*\n"
                           "G74*\nG02X0000Y-1000I1000J0000D01*\n");
}

TEST_F(PlotTest, ConductorCornerCutBackByShorterSegment) {
    CConductor c;
    c.m_width = 0.2f;
    c.m_vertices = {{0, 0, 0, {}}, {0.4f, 0, 1.0f, {}}, {0.4f, 5, 0, {}}};
    const auto lines = Plot(Mm(), [&](CGerberPlotter& p) { p.PlotConductor(&c, 10); });
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "D10*");
    EXPECT_EQ(lines[1], "X0000Y0000D02*");
    // Cut back by 0.4 on both sides: T1 is the first vertex itself, T2 is
    // 0.4 up the second segment, around the centre (0, 0.4).
    EXPECT_EQ(lines[2], "G75*");
    EXPECT_EQ(lines[3], "G03X0400Y0400I0000J0400D01*");
    EXPECT_EQ(lines.back(), "G01Y5000D01*");
}

TEST_F(PlotTest, ConductorTurningBackOnItselfDrawsStraight) {
    CConductor c;
    c.m_vertices = {{0, 0, 0, {}}, {5, 0, 1.0f, {}}, {2, 0, 0, {}}};
    const auto lines = Plot(Mm(), [&](CGerberPlotter& p) { p.PlotConductor(&c, 10); });
    EXPECT_EQ(Join(lines), "D10*\nX0000Y0000D02*\nG01X5000D01*\nX2000D01*\n");
}

TEST_F(PlotTest, ConductorWithoutVerticesWritesNothing) {
    CConductor c;
    const auto lines = Plot(Mm(), [&](CGerberPlotter& p) { p.PlotConductor(&c, 10); });
    EXPECT_TRUE(lines.empty());
}

TEST_F(PlotTest, OutlineArcsBeziersAndDegenerateNodes) {
    // A straight arc (deviation 0) is a draw; a zero-length node is skipped;
    // a Bezier with a 0.3 mm control polygon still gets 3 segments.
    CAreaNode* head = nullptr;
    AppendAreaNode(head, new CAreaSegment(nullptr, 0, 0));
    auto* straight = new CAreaArc(nullptr, 10, 0);
    AppendAreaNode(head, straight);
    AppendAreaNode(head, new CAreaSegment(nullptr, 10, 5));
    AppendAreaNode(head, new CAreaSegment(nullptr, 10, 5)); // zero chord
    auto* bez = new CAreaBezier(nullptr, 10, 5);
    bez->m_c1x = 10;
    bez->m_c1y = 5.1f;
    bez->m_c2x = 10;
    bez->m_c2y = 5.2f;
    AppendAreaNode(head, bez);
    AppendAreaNode(head, new CAreaSegment(nullptr, 10, 5.3f));
    auto* arc = new CAreaArc(nullptr, 0, 5.3f);
    arc->m_deviation = 2;
    AppendAreaNode(head, arc);
    const auto lines = Plot(Mm(), [&](CGerberPlotter& p) { p.PlotOutline(head); });
    const std::string all = Join(lines);
    EXPECT_EQ(all.find("nan"), std::string::npos);
    EXPECT_EQ(all.find("inf"), std::string::npos);
    EXPECT_EQ(lines[0], "X0000Y0000D02*");
    EXPECT_EQ(lines[1], "G01X10000D01*"); // the straight arc
    EXPECT_EQ(lines[2], "Y5000D01*");
    EXPECT_EQ(lines[3], "Y5100D01*"); // Bezier: 3 draws
    EXPECT_EQ(lines[4], "Y5200D01*");
    EXPECT_EQ(lines[5], "Y5300D01*");
    EXPECT_EQ(lines[6], "X0000D01*");
    // The real arc from (0, 5.3) to (0, 0): half chord 2.65 against |s| 2
    // is under 90 degrees of sweep... 2.65 * 0.414 = 1.1 <= 2: multi-quadrant.
    EXPECT_EQ(lines[7], "G75*");
    EXPECT_EQ(lines[8].substr(0, 3), "G03");
    EXPECT_NE(lines[8].find("Y0000I"), std::string::npos);
    DeleteAreaOutline(head);
}

TEST_F(PlotTest, FilledFiguresKeepHolesInsideTheirOwnRegion) {
    // An "O": outer square and a hole. One dark region with a cut-in; no
    // clear polarity that would erase what lies beneath.
    FlatPath path;
    auto square = [&](float x0, float y0, float s, bool ccw) {
        std::vector<PointF> p = {{x0, y0}, {x0 + s, y0}, {x0 + s, y0 + s}, {x0, y0 + s}};
        if (!ccw)
            std::reverse(p.begin(), p.end());
        for (size_t i = 0; i < p.size(); ++i) {
            path.points.push_back(p[i]);
            path.types.push_back(i == 0 ? 0 : (i + 1 == p.size() ? 0x81 : 1));
        }
    };
    square(0, 0, 4, true);
    square(1, 1, 2, true);  // same orientation as the outer: reversed when written
    square(10, 0, 1, true); // a second letter
    const auto lines = Plot(Mm(), [&](CGerberPlotter& p) { p.PlotPathRegions(path); });
    EXPECT_EQ(Join(lines), "G36*\nX0000Y0000D02*\nG01X4000D01*\nY4000D01*\nX0000D01*\nY0000D01*\n"
                           "X1000Y1000D01*\nY3000D01*\nX3000D01*\nY1000D01*\nX1000D01*\n"
                           "X0000Y0000D01*\nG37*\n"
                           "G36*\nX10000D02*\nX11000D01*\nY1000D01*\nX10000D01*\n"
                           "Y0000D01*\nG37*\n");
}

TEST(GerberOverlap, CrossingWithoutVerticesInsideCounts) {
    auto rect = [](float x0, float y0, float x1, float y1) {
        FlatPath f;
        f.points = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        f.types = {0, 1, 1, 0x81};
        return f;
    };
    const FlatPath area = rect(0, 0, 10, 10);
    EXPECT_TRUE(FlatPathsOverlap(rect(-5, 4, 15, 5), area));   // a track straight across
    EXPECT_TRUE(FlatPathsOverlap(rect(2, 2, 3, 3), area));     // inside
    EXPECT_TRUE(FlatPathsOverlap(rect(-1, -1, 11, 11), area)); // around
    EXPECT_FALSE(FlatPathsOverlap(rect(11, 0, 12, 10), area));
}

TEST_F(PlotTest, NumbersMatchTheFixedNotationExactly) {
    // The quick integer path must give what fixed notation gives, ties and
    // negative zeros included.
    std::vector<double> values = {0.0005, -0.0005, 0.0015, 2.5e-4, -1e-9, 123.4565, 0.0254,
                                  25.4,   -25.4,   1e6,    0.1,    0.2,   0.3};
    for (int i = 0; i < 2000; ++i)
        values.push_back((i * 7919 % 20011 - 10005) * 0.000731);
    for (int unit : {0, 1})
        for (int res : {2, 3, 4}) {
            const GerberFormat f = GerberFormat::From(unit, res, 0.001);
            const auto lines = Plot(f, [&](CGerberPlotter& p) {
                for (double v : values)
                    p.Line(p.Number(v));
            });
            ASSERT_EQ(lines.size(), values.size());
            for (size_t i = 0; i < values.size(); ++i) {
                std::wstring expected = StrPrintf(L"%.*f", res, values[i] * f.factor);
                expected.erase(expected.find(L'.'), 1);
                EXPECT_EQ(lines[i], WideToUtf8(expected)) << values[i] << " " << unit << res;
            }
        }
}
