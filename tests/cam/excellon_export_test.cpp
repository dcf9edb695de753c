// Excellon drill and mill files: whole files of small boards in millimetres
// and inches, tool sharing, drilling order, slots, milled contours (arcs of
// both turns and both sides, halves over 180 degrees, Bezier pieces,
// degenerate pieces), the example board, and gerbv reading every drill file.
#include "cam/excellon_export.h"

#include "board/board.h"
#include "cam/drill_order.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tests/board/board_fixture.h"
#include "tests/cam/gerbv_reader.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::wstring kModes[4] = {L"mill.non-plated", L"drill.non-plated", L"mill.plated",
                                L"drill.plated"};

class ExcellonExport : public BoardFixture {
protected:
    // Loads a project whose only board is body (the Board element).
    CBoard* Load(const std::string& board) {
        root_.SetRootTag(L"Project");
        EXPECT_TRUE(LoadText(root_, XmlDoc("<Project>" + board + "</Project>")));
        for (CTreeNode* child : root_.GetChildren())
            if (child->GetType() == NodeType::Board)
                return static_cast<CBoard*>(child);
        ADD_FAILURE() << "no board";
        return nullptr;
    }
    std::wstring Prefix() const { return Utf8ToWide(m_dir) + L"/out"; }
    std::wstring FileOf(int mode, const std::wstring& board = L"B") const {
        return Prefix() + L"." + board + L"." + kModes[mode] + L".drl";
    }
    // The file as lines (CR LF ends every line); "<missing>" when absent.
    std::vector<std::string> Lines(int mode, const std::wstring& board = L"B") const {
        std::string bytes;
        if (!ReadWholeFile(FileOf(mode, board), bytes))
            return {"<missing>"};
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        EXPECT_EQ(start, bytes.size()) << "text after the last line end";
        return lines;
    }
    std::vector<std::string> Header(int mode, const std::string& contents, bool inch,
                                    const std::wstring& board = L"B") const {
        return {"; File    : " + WideToUtf8(FileOf(mode, board)),
                inch ? "; Format  : 2.4   / Suppress Leading"
                     : "; Format  : 3.3   / Suppress Leading",
                inch ? "; Unit    : Abs   / INCH" : "; Unit    : Abs   / MM",
                "; Contents: " + contents,
                "M48",
                "FMAT,2",
                "ICI,OFF",
                inch ? "INCH,TZ" : "METRIC,TZ"};
    }
    static std::vector<std::string> Join(std::vector<std::string> a,
                                         const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    // The lines after the header's "G93X0Y0".
    std::vector<std::string> Body(int mode) const {
        std::vector<std::string> lines = Lines(mode);
        auto it = std::find(lines.begin(), lines.end(), "G93X0Y0");
        if (it == lines.end())
            return lines;
        return {it + 1, lines.end()};
    }
    // gerbv reads the file without complaint (rout codes of mill files
    // aside) and finds these holes.
    void ExpectGerbvReads(const std::wstring& file, std::vector<GerbvHole> holes,
                          std::vector<double> tools) {
        GerbvReading r = ReadWithGerbv(file);
        if (!r.available) {
            GTEST_SKIP() << "gerbv not installed";
        }
        ASSERT_TRUE(r.ran) << WideToUtf8(file);
        EXPECT_EQ(r.Errors(), std::vector<std::string>{}) << WideToUtf8(file);
        ASSERT_EQ(r.toolsMm.size(), tools.size());
        for (size_t i = 0; i < tools.size(); ++i)
            EXPECT_NEAR(r.toolsMm[i], tools[i], 0.0026) << i; // 4 inch decimals
        ASSERT_EQ(r.holes.size(), holes.size());
        for (size_t i = 0; i < holes.size(); ++i) {
            EXPECT_NEAR(r.holes[i].diameterMm, holes[i].diameterMm, 0.0026) << i;
            EXPECT_NEAR(r.holes[i].xMm, holes[i].xMm, 0.003) << i;
            EXPECT_NEAR(r.holes[i].yMm, holes[i].yMm, 0.003) << i;
        }
    }

    CRoot root_;
};

// A footprint with two plated 0.8 mm holes, a via of 0.3 mm and a
// non-plated mounting hole of 3.2 mm.
const char* kSmallBoard = R"(<Board>B
  <Package><Footprint XY="10,10">DIP
    <Padstack>TH<PadLayer Size="1.6,1.6"/><Drill Diam="0.8"/>
      <Pad Num="1" XY="1,0"/><Pad Num="2" XY="-1,0"/></Padstack>
  </Footprint></Package>
  <Net>N1<Padstack>V<Drill Diam="0.3"/><Pad XY="5,5"/></Padstack></Net>
  <Mounting><Footprint XY="2,2">HOLE
    <Padstack>H<Drill Diam="3.2" NonPlated="1"/><Pad/></Padstack>
  </Footprint></Mounting>
</Board>)";

TEST_F(ExcellonExport, SmallBoardInMillimetresGivesTwoDrillFilesWhole) {
    CBoard* board = Load(kSmallBoard);
    ScopedUiHooksRecorder ui;
    EXPECT_TRUE(ExportExcellon(board, Prefix(), 1));
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_EQ(Lines(kExcellonDrillPlated),
              Join(Header(kExcellonDrillPlated, "Drill / Plated", false),
                   {"T1C0.3000", "T2C0.8000", "%", "M71", "G90", "G93X0Y0", "T1", "X5000Y5000",
                    "T2", "X9000Y10000", "X11000", "M30"}));
    EXPECT_EQ(Lines(kExcellonDrillNonPlated),
              Join(Header(kExcellonDrillNonPlated, "Drill / Non-plated", false),
                   {"T1C3.2000", "%", "M71", "G90", "G93X0Y0", "T1", "X2000Y2000", "M30"}));
    EXPECT_FALSE(FileExists(FileOf(kExcellonMillPlated)));
    EXPECT_FALSE(FileExists(FileOf(kExcellonMillNonPlated)));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated), {{0.3, 5, 5}, {0.8, 9, 10}, {0.8, 11, 10}},
                     {0.3, 0.8});
    ExpectGerbvReads(FileOf(kExcellonDrillNonPlated), {{3.2, 2, 2}}, {3.2});
}

TEST_F(ExcellonExport, SmallBoardInInchesHasFourDecimalCoordinates) {
    CBoard* board = Load(kSmallBoard);
    EXPECT_TRUE(ExportExcellon(board, Prefix(), 0));
    // 5 mm = 0.19685 in, 9 mm = 0.35433, 10 mm = 0.39370, 11 mm = 0.43307.
    EXPECT_EQ(Lines(kExcellonDrillPlated),
              Join(Header(kExcellonDrillPlated, "Drill / Plated", true),
                   {"T1C0.0118", "T2C0.0315", "%", "M72", "G90", "G93X0Y0", "T1", "X01969Y01969",
                    "T2", "X03543Y03937", "X04331", "M30"}));
    EXPECT_EQ(Lines(kExcellonDrillNonPlated),
              Join(Header(kExcellonDrillNonPlated, "Drill / Non-plated", true),
                   {"T1C0.1260", "%", "M72", "G90", "G93X0Y0", "T1", "X00787Y00787", "M30"}));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated), {{0.3, 5, 5}, {0.8, 9, 10}, {0.8, 11, 10}},
                     {0.3, 0.8});
    ExpectGerbvReads(FileOf(kExcellonDrillNonPlated), {{3.2, 2, 2}}, {3.2});
}

TEST_F(ExcellonExport, AFileWithoutHolesIsRemovedEvenWhenItExistedBefore) {
    CBoard* board = Load(kSmallBoard);
    ASSERT_TRUE(WriteWholeFile(FileOf(kExcellonMillPlated), "old"));
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonMillPlated, 1));
    EXPECT_FALSE(FileExists(FileOf(kExcellonMillPlated)));
}

TEST_F(ExcellonExport, AFileThatCannotBeCreatedIsReportedAndTheOthersWritten) {
    CBoard* board = Load(kSmallBoard);
    // A folder in the way of one file name.
    ASSERT_TRUE(CreateDirectories(FileOf(kExcellonDrillPlated)));
    ScopedUiHooksRecorder ui;
    EXPECT_FALSE(ExportExcellon(board, Prefix(), 1));
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text,
              L"Unable to create file '" + FileOf(kExcellonDrillPlated) + L"'");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Gerber");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    EXPECT_TRUE(FileExists(FileOf(kExcellonDrillNonPlated)));
}

// Drills of one tool: diameters within half a micrometre share it.
struct ToolCase {
    const char* second;
    std::vector<std::string> tools;
};
class ExcellonTools : public ExcellonExport, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(ExcellonTools, DiametersShareAToolByWholeMicrometres) {
    const std::string xml = std::string("<Board>B<Net>N<Padstack>A<Drill Diam=\"0.8\"/>") +
                            "<Pad XY=\"1,1\"/></Padstack><Padstack>B<Drill Diam=\"" +
                            GetParam().second + "\"/><Pad XY=\"2,2\"/></Padstack></Net></Board>";
    CBoard* board = Load(xml);
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonDrillPlated, 1));
    std::vector<std::string> lines = Lines(kExcellonDrillPlated);
    std::vector<std::string> tools;
    for (const std::string& l : lines)
        if (l.size() > 2 && l[0] == 'T' && l.find('C') != std::string::npos)
            tools.push_back(l);
    EXPECT_EQ(tools, GetParam().tools);
    const double second = ParseDouble(Utf8ToWide(GetParam().second).c_str());
    ExpectGerbvReads(FileOf(kExcellonDrillPlated),
                     second < 0.8 ? std::vector<GerbvHole>{{second, 2, 2}, {0.8, 1, 1}}
                                  : std::vector<GerbvHole>{{0.8, 1, 1}, {second, 2, 2}},
                     tools.size() == 1
                         ? std::vector<double>{0.8}
                         : std::vector<double>{std::min(0.8, second), std::max(0.8, second)});
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExcellonTools,
                         ::testing::Values(ToolCase{"0.8004", {"T1C0.8000"}},
                                           ToolCase{"0.8006", {"T1C0.8000", "T2C0.8006"}},
                                           ToolCase{"0.6", {"T1C0.6000", "T2C0.8000"}}));

TEST_F(ExcellonExport, HolesAreDrilledFromTheOriginAlwaysToTheNearestRemaining) {
    CBoard* board = Load(R"(<Board>B<Net>N<Padstack>A<Drill Diam="1"/>
        <Pad XY="10,0"/><Pad XY="1,1"/><Pad XY="5,0"/><Pad XY="2,2"/><Pad XY="9,9"/>
        </Padstack></Net></Board>)");
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonDrillPlated, 1));
    EXPECT_EQ(Body(kExcellonDrillPlated),
              (std::vector<std::string>{"T1", "X1000Y1000", "X2000Y2000", "X5000Y0000", "X10000",
                                        "X9000Y9000", "M30"}));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated),
                     {{1, 1, 1}, {1, 2, 2}, {1, 5, 0}, {1, 10, 0}, {1, 9, 9}}, {1});
}

// Holes on a grid, some twice over, and some scattered, in a shuffled list:
// the order is that of the plain search over the remaining holes (nearest
// first, of equally near ones the first in the list as it stands).
TEST_F(ExcellonExport, NearestHoleOrderKeepsTheFirstOfEquallyNearHoles) {
    std::vector<PointF> holes;
    uint32_t state = 12345;
    auto next = [&state](uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>((state >> 8) % range);
    };
    for (int i = 0; i < 600; ++i)
        holes.push_back(i % 5 ? PointF{next(20) * 1.27f, next(20) * 1.27f}
                              : PointF{next(100000) / 1000.0f - 50, next(100000) / 1000.0f});
    std::vector<PointF> expected = holes;
    auto distance = [](PointF a, PointF b) {
        return std::hypot(static_cast<double>(a.X) - b.X, static_cast<double>(a.Y) - b.Y);
    };
    PointF from{0, 0};
    for (size_t j = 0; j < expected.size(); ++j) {
        size_t best = j;
        for (size_t k = j + 1; k < expected.size(); ++k)
            if (distance(expected[k], from) < distance(expected[best], from))
                best = k;
        std::swap(expected[j], expected[best]);
        from = expected[j];
    }
    std::vector<PointF> got = holes;
    OrderHolesNearestFirst(got);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t k = 0; k < got.size(); ++k) {
        ASSERT_EQ(got[k].X, expected[k].X) << k;
        ASSERT_EQ(got[k].Y, expected[k].Y) << k;
    }
    // A hole no file can hold leaves the list as it is.
    holes.push_back(PointF{NAN, 0});
    got = holes;
    OrderHolesNearestFirst(got);
    EXPECT_EQ(got[0].X, holes[0].X);
    EXPECT_EQ(got[1].Y, holes[1].Y);
}

TEST_F(ExcellonExport, TwoHolesAtOnePointGiveOneCoordinateAndAnEmptyLine) {
    CBoard* board = Load(R"(<Board>B<Net>N<Padstack>A<Drill Diam="1"/>
        <Pad XY="3,4"/><Pad XY="3,4"/></Padstack></Net></Board>)");
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonDrillPlated, 1));
    EXPECT_EQ(Body(kExcellonDrillPlated),
              (std::vector<std::string>{"T1", "X3000Y4000", "", "M30"}));
    // The second hole adds nothing a reader drills.
    ExpectGerbvReads(FileOf(kExcellonDrillPlated), {{1, 3, 4}}, {1});
}

TEST_F(ExcellonExport, TheFirstHoleOfAToolNamesItsPointEvenWhereTheLastToolEnded) {
    CBoard* board = Load(R"(<Board>B<Net>N<Padstack>A<Drill Diam="1"/><Pad XY="3,4"/></Padstack>
        <Padstack>B<Drill Diam="2"/><Pad XY="3,4"/></Padstack></Net></Board>)");
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonDrillPlated, 1));
    EXPECT_EQ(Body(kExcellonDrillPlated),
              (std::vector<std::string>{"T1", "X3000Y4000", "T2", "X3000Y4000", "M30"}));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated), {{1, 3, 4}, {2, 3, 4}}, {1, 2});
}

TEST_F(ExcellonExport, CoordinatesRepeatExactlyWhenTheirWrittenDigitsRepeat) {
    // 0.0004 mm apart writes the same digits; 0.0006 mm apart does not,
    // and 0.004 mm apart is well beyond the last digit.
    CBoard* board = Load(R"(<Board>B<Net>N<Padstack>A<Drill Diam="1"/>
        <Pad XY="1,1"/><Pad XY="1.0004,2"/><Pad XY="1.0006,3"/><Pad XY="1.005,4"/>
        </Padstack></Net></Board>)");
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonDrillPlated, 1));
    EXPECT_EQ(
        Body(kExcellonDrillPlated),
        (std::vector<std::string>{"T1", "X1000Y1000", "Y2000", "X1001Y3000", "X1005Y4000", "M30"}));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated),
                     {{1, 1, 1}, {1, 1, 2}, {1, 1.001, 3}, {1, 1.005, 4}}, {1});
}

// --- Mill files ------------------------------------------------------------

TEST_F(ExcellonExport, ASlotIsEnteredInItsMiddleAndMilledEndToEnd) {
    CBoard* board = Load(R"(<Board>B
      <Package><Footprint>F<Padstack>S<Drill Slot="2,0.6" Type="SLOT"/><Pad XY="10,5"/>
        </Padstack></Footprint></Package>
      <Package><Footprint XY="20,0">F<Padstack>S<Drill Slot="0.5,1.5" Type="SLOT" NonPlated="1"/>
        <Pad XY="0,0"/></Padstack></Footprint></Package>
      <Package><Footprint Place="BOTTOM" Rotation="90" XY="30,10">F<Padstack>S
        <Drill Slot="2,0.6" Type="SLOT"/><Pad XY="1,0"/></Padstack></Footprint></Package>
    </Board>)");
    EXPECT_TRUE(ExportExcellon(board, Prefix(), 1));
    // Turned a quarter and mirrored: the pad at (1, 0) lands on (30, 11) and
    // the slot runs along y.
    EXPECT_EQ(Lines(kExcellonMillPlated),
              Join(Header(kExcellonMillPlated, "Mill  / Plated", false),
                   {"T1C0.6000", "%", "M71", "G90", "G93X0Y0", "T1", "G00X10000Y5000", "M15",
                    "G01X9300", "G01X10700", "M16", "G00X30000Y11000", "M15", "G01Y10300",
                    "G01Y11700", "M16", "M30"}));
    EXPECT_EQ(Body(kExcellonMillNonPlated),
              (std::vector<std::string>{"T1", "G00X20000Y0000", "M15", "G01Y-0500", "G01Y0500",
                                        "M16", "M30"}));
    EXPECT_FALSE(FileExists(FileOf(kExcellonDrillPlated)));
    // gerbv knows the tools of a mill file but not its rout moves.
    GerbvReading r = ReadWithGerbv(FileOf(kExcellonMillPlated));
    if (r.available) {
        EXPECT_TRUE(r.ran);
        EXPECT_EQ(r.Errors(), std::vector<std::string>{});
        ASSERT_EQ(r.toolsMm.size(), 1u);
        EXPECT_NEAR(r.toolsMm[0], 0.6, 0.0026);
    }
}

// Custom milled outlines. The contour's arc bulges outwards in both
// windings; the milling turn follows the arc alone, mirrored for the bottom.
struct MillCase {
    const char* name;
    const char* footprint; // attributes of the footprint
    const char* outline;
    std::vector<std::string> body;
};
class ExcellonMill : public ExcellonExport, public ::testing::WithParamInterface<MillCase> {};

TEST_P(ExcellonMill, WritesTheContour) {
    const MillCase& c = GetParam();
    CBoard* board = Load(std::string("<Board>B<Package><Footprint ") + c.footprint +
                         ">F<Padstack>M<Drill Diam=\"1\" Type=\"CUSTOM\">" + c.outline +
                         "</Drill><Pad XY=\"10,10\"/></Padstack></Footprint></Package></Board>");
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonMillPlated, 1));
    std::vector<std::string> body = c.body;
    body.insert(body.begin(), "T1");
    body.push_back("M30");
    EXPECT_EQ(Body(kExcellonMillPlated), body);
}

INSTANTIATE_TEST_SUITE_P(
    Outlines, ExcellonMill,
    ::testing::Values(
        // Counter-clockwise square with its top edge bulged: G03.
        MillCase{"CounterClockwiseTop",
                 "",
                 "LIN0,0 LIN4,0 ARC4,4,1 LIN0,4",
                 {"G00X10000Y10000", "M15", "G01X14000", "G01Y14000", "G03X10000A2500", "G01Y10000",
                  "M16"}},
        // A square run clockwise, its right edge bulged outwards: G02.
        MillCase{"ClockwiseRight",
                 "",
                 "LIN0,0 LIN0,4 ARC4,4,-1 LIN4,0",
                 {"G00X10000Y10000", "M15", "G01Y14000", "G01X14000", "G02Y10000A2500", "G01X10000",
                  "M16"}},
        // Placed on the bottom at x 50: x mirrored, the turn too.
        MillCase{"CounterClockwiseBottom",
                 "Place=\"BOTTOM\" XY=\"50,0\"",
                 "LIN0,0 LIN4,0 ARC4,4,1 LIN0,4",
                 {"G00X40000Y10000", "M15", "G01X36000", "G01Y14000", "G02X40000A2500", "G01Y10000",
                  "M16"}},
        MillCase{"ClockwiseRightBottom",
                 "Place=\"BOTTOM\" XY=\"50,0\"",
                 "LIN0,0 LIN0,4 ARC4,4,-1 LIN4,0",
                 {"G00X40000Y10000", "M15", "G01Y14000", "G01X36000", "G03Y10000A2500", "G01X40000",
                  "M16"}},
        // Turned a quarter: the turn stays.
        MillCase{"Rotated",
                 "Rotation=\"90\"",
                 "LIN0,0 LIN4,0 ARC4,4,1 LIN0,4",
                 {"G00X-10000Y10000", "M15", "G01Y14000", "G01X-14000", "G03Y10000A2500",
                  "G01X-10000", "M16"}},
        // More than a half circle: two halves through the mid-arc point
        // (2, 3), radius 13/6.
        MillCase{"OverHalfCircle",
                 "",
                 "LIN0,0 ARC4,0,3",
                 {"G00X10000Y10000", "M15", "G01X14000", "G03X12000Y13000A2167",
                  "G03X10000Y10000A2167", "M16"}},
        // Exactly a half circle stays one arc.
        MillCase{"HalfCircle",
                 "",
                 "LIN0,0 ARC4,0,2",
                 {"G00X10000Y10000", "M15", "G01X14000", "G03X10000A2000", "M16"}},
        // A Bezier piece of 0.3 mm control polygon: three draws.
        MillCase{"ShortBezier",
                 "",
                 "CRV0,0,0,0.1,0,0.2 LIN0,0.3 LIN-1,0.3 LIN-1,0",
                 {"G00X10000Y10000", "M15", "G01Y10100", "G01Y10200", "G01Y10300", "G01X9000",
                  "G01Y10000", "G01X10000", "M16"}},
        // An arc without deviation is a straight piece; a piece of no
        // length writes nothing.
        MillCase{
            "DegeneratePieces",
            "",
            "LIN0,0 LIN2,0 LIN2,0 ARC2,2,0 ARC0,2,1 LIN0,2",
            {"G00X10000Y10000", "M15", "G01X12000", "G01Y12000", "G01X10000", "G01Y10000", "M16"}}),
    [](const ::testing::TestParamInfo<MillCase>& info) { return info.param.name; });

TEST_F(ExcellonExport, ACurvedBezierPieceIsFlattenedIntoItsSteps) {
    // Control polygon 2 + 4 + 2 = 8 mm: 53 draws, the last at the end point.
    CBoard* board =
        Load(R"(<Board>B<Net>N<Padstack>M<Drill Diam="1" Type="CUSTOM">CRV0,0,0,2,4,2 LIN4,0</Drill>
        <Pad XY="0,0"/></Padstack></Net></Board>)");
    EXPECT_TRUE(WriteExcellon(Prefix(), board, kExcellonMillPlated, 1));
    std::vector<std::string> body = Body(kExcellonMillPlated);
    ASSERT_EQ(body.size(), 1 + 2 + 53 + 1 + 1 + 1u); // T1, G00 M15, draws, back, M16, M30
    EXPECT_EQ(body[1], "G00X0000Y0000");
    // The curve moves right at every step; the last step is its end (4, 0).
    for (int i = 3; i < 55; ++i)
        EXPECT_EQ(body[i].rfind("G01X", 0), 0u) << body[i];
    EXPECT_EQ(body[55], "G01X4000Y0000");
    EXPECT_EQ(body[56], "G01X0000");
}

// --- The example board ---------------------------------------------------

class ExcellonExample : public ExcellonExport {
protected:
    CBoard* LoadDemo() {
        root_.SetRootTag(L"Project");
        CXmlFile file(&root_);
        EXPECT_TRUE(file.Load(Utf8ToWide(VORPEL_SOURCE_DIR "/examples/demo.circuit").c_str()));
        for (CTreeNode* child : root_.GetChildren())
            if (child->GetType() == NodeType::Board)
                return static_cast<CBoard*>(child);
        return nullptr;
    }
};

TEST_F(ExcellonExample, MillimetreFilesOfTheDemoBoard) {
    CBoard* board = LoadDemo();
    ASSERT_NE(board, nullptr);
    const std::wstring name = board->GetText();
    ScopedUiHooksRecorder ui;
    EXPECT_TRUE(ExportExcellon(board, Prefix(), 1));
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_EQ(Lines(kExcellonDrillPlated, name),
              Join(Header(kExcellonDrillPlated, "Drill / Plated", false, name),
                   {"T1C0.3000", "%", "M71", "G90", "G93X0Y0", "T1", "X18000Y12000", "M30"}));
    // The mounting hole's footprint is turned 45 degrees; its pad is at its
    // origin.
    EXPECT_EQ(Lines(kExcellonDrillNonPlated, name),
              Join(Header(kExcellonDrillNonPlated, "Drill / Non-plated", false, name),
                   {"T1C3.2000", "%", "M71", "G90", "G93X0Y0", "T1", "X5000Y5000", "M30"}));
    EXPECT_EQ(Lines(kExcellonMillPlated, name),
              Join(Header(kExcellonMillPlated, "Mill  / Plated", false, name),
                   {"T1C0.4000", "%", "M71", "G90", "G93X0Y0", "T1", "G00X30000Y12000", "M15",
                    "G01X29600", "G01X30400", "M16", "M30"}));
    EXPECT_FALSE(FileExists(FileOf(kExcellonMillNonPlated, name)));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated, name), {{0.3, 18, 12}}, {0.3});
    ExpectGerbvReads(FileOf(kExcellonDrillNonPlated, name), {{3.2, 5, 5}}, {3.2});
}

TEST_F(ExcellonExample, InchFilesOfTheDemoBoard) {
    CBoard* board = LoadDemo();
    ASSERT_NE(board, nullptr);
    const std::wstring name = board->GetText();
    EXPECT_TRUE(ExportExcellon(board, Prefix(), 0));
    // 18 mm = 0.70866 in, 12 mm = 0.47244, 5 mm = 0.19685, 30 mm = 1.18110,
    // 29.6 mm = 1.16535, 30.4 mm = 1.19685.
    EXPECT_EQ(Lines(kExcellonDrillPlated, name),
              Join(Header(kExcellonDrillPlated, "Drill / Plated", true, name),
                   {"T1C0.0118", "%", "M72", "G90", "G93X0Y0", "T1", "X07087Y04724", "M30"}));
    EXPECT_EQ(Lines(kExcellonDrillNonPlated, name),
              Join(Header(kExcellonDrillNonPlated, "Drill / Non-plated", true, name),
                   {"T1C0.1260", "%", "M72", "G90", "G93X0Y0", "T1", "X01969Y01969", "M30"}));
    EXPECT_EQ(Lines(kExcellonMillPlated, name),
              Join(Header(kExcellonMillPlated, "Mill  / Plated", true, name),
                   {"T1C0.0157", "%", "M72", "G90", "G93X0Y0", "T1", "G00X11811Y04724", "M15",
                    "G01X11654", "G01X11969", "M16", "M30"}));
    ExpectGerbvReads(FileOf(kExcellonDrillPlated, name), {{0.3, 18, 12}}, {0.3});
    ExpectGerbvReads(FileOf(kExcellonDrillNonPlated, name), {{3.2, 5, 5}}, {3.2});
}

} // namespace
