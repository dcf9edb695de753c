// Gerber files of whole boards: exact files of a small board in both units,
// the aperture rules, mask and paste openings, vias, planes, areas, texts,
// and every written file read back by gerbv.
#include "board/area_node.h"
#include "board/board.h"
#include "board/board_types.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "board/polygon_union.h"
#include "cam/excellon_export.h"
#include "cam/gerber_export.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "schematic/net.h"
#include "tests/board/clearance_board.h"
#include "tests/board/geometry_test_util.h"
#include "tests/board/track_distance_util.h"
#include "tests/cam/gerber_test_util.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

namespace {

const char* kTinyBoard = R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Outline="LIN0,0 LIN20,0 LIN20,10 LIN0,10">Tiny
    <Layer>TOP</Layer>
    <Layer>BOT</Layer>
    <Package Footprint="P2">
      <Footprint XY="5,5">P2
        <Padstack>PAD
          <PadLayer Size="1.2,1.2"/>
          <Pad Num="1" XY="-1,0"/>
          <Pad Num="2" XY="1,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Net>N1
      <Conductor Layer="TOP" Width="0.25">6,5 15,5</Conductor>
      <Padstack>VIA
        <PadLayer Size="0.6,0.6"/>
        <Drill Diam="0.3"/>
        <Pad XY="15,5"/>
      </Padstack>
    </Net>
  </Board>
</Project>
)";

class GerberExportTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Every file the test wrote must read cleanly in gerbv and, drawn
        // with the outline, cover exactly the outline's extent.
        for (const auto& [file, outline] : m_written) {
            if (file == outline)
                continue;
            const GerbvResult o = RunGerbv({outline}, 254, m_dir.path + "/outline.png");
            ASSERT_EQ(o.status, 0) << o.output;
            EXPECT_FALSE(GerbvReportsError(o.output)) << outline << "\n" << o.output;
            const std::string bytes = ReadBytes(file);
            if (bytes.find("%ADD") == std::string::npos) {
                // Without apertures gerbv guesses at an old-style file and
                // has nothing to render for a flash-free file; it must still
                // read it.
                const GerbvResult r = RunGerbv({file, outline}, 254, m_dir.path + "/e.png");
                EXPECT_EQ(r.status, 0) << file << "\n" << r.output;
                EXPECT_FALSE(GerbvReportsError(r.output, {"Most likely found a RS-274D file",
                                                          "Missing apertures/drill sizes"}))
                    << file << "\n"
                    << r.output;
                continue;
            }
            const bool plane = m_planeFiles.count(file) != 0;
            // The plane border is drawn 2 mm wide along the outline.
            ExpectGerbvReads(file, outline, (o.width + (plane ? 20 : 0)) / 10.0,
                             (o.height + (plane ? 20 : 0)) / 10.0, m_dir.path, m_gerbvKnown);
        }
    }

    CBoard* Load(const std::string& xml) {
        m_root = std::make_unique<CRoot>();
        m_root->SetRootTag(L"Project");
        const std::wstring path = m_dir.W() + L"/in" + std::to_wstring(++m_loads) + L".circuit";
        EXPECT_TRUE(WriteWholeFile(path, xml));
        CXmlFile file(m_root.get());
        EXPECT_TRUE(file.Load(path.c_str()));
        BuildBoardNetsInTree(m_root.get());
        for (CTreeNode* c : m_root->GetChildren())
            if (c->GetType() == NodeType::Board)
                return static_cast<CBoard*>(c);
        ADD_FAILURE() << "no board";
        return nullptr;
    }
    // Writes one layer's file; returns its lines.
    std::vector<std::string> Write(CBoard* board, int layer, const CamSettings& s = {}) {
        const std::wstring prefix = m_dir.W() + L"/t" + std::to_wstring(++m_writes);
        EXPECT_TRUE(WriteGerberLayer(prefix, board, layer, board->FindLayer(layer), s));
        const std::string file = WideToUtf8(GerberFileName(prefix, board, layer));
        EXPECT_TRUE(WriteGerberLayer(prefix, board, kLayerOutline, nullptr, s));
        const std::string outline = WideToUtf8(GerberFileName(prefix, board, kLayerOutline));
        m_written.emplace_back(file, outline);
        CLayer* node = board->FindLayer(layer);
        if (node && node->m_layerType == kLayerTypePlane)
            m_planeFiles.insert(file);
        std::vector<std::string> lines = ReadCrLfLines(file);
        ExpectWellFormed(lines, file);
        return lines;
    }
    // Every selected D-code is defined, no number is non-finite, and no
    // number uses an exponent.
    static void ExpectWellFormed(const std::vector<std::string>& lines, const std::string& f) {
        std::set<int> defined;
        static const std::regex add(R"(^%ADD(\d+).*)");
        static const std::regex select(R"(^D([1-9]\d+)\*$)");
        static const std::regex badNumber(R"(nan|inf|\d[eE][-+]?\d)");
        std::smatch m;
        for (const std::string& l : lines) {
            if (std::regex_match(l, m, add)) {
                defined.insert(std::stoi(m[1]));
            } else if (std::regex_match(l, m, select)) {
                EXPECT_TRUE(defined.count(std::stoi(m[1]))) << f << ": " << l;
            }
            EXPECT_FALSE(std::regex_search(l, badNumber)) << f << ": " << l;
        }
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "M02*") << f;
    }
    static size_t Count(const std::vector<std::string>& lines, const std::string& part) {
        size_t n = 0;
        for (const std::string& l : lines)
            n += l.find(part) != std::string::npos;
        return n;
    }
    static std::string Add(const std::vector<std::string>& lines, const std::string& shape) {
        for (const std::string& l : lines)
            if (l.rfind("%ADD", 0) == 0 && l.find(shape) != std::string::npos)
                return l;
        return "";
    }
    // The D-code of the first aperture line holding shape, as a selection.
    static std::string DCode(const std::vector<std::string>& lines, const std::string& shape) {
        const std::string l = Add(lines, shape);
        size_t i = 4;
        while (i < l.size() && isdigit(static_cast<unsigned char>(l[i])))
            ++i;
        return "D" + l.substr(4, i - 4) + "*";
    }

    ScratchDir m_dir;
    std::unique_ptr<CRoot> m_root;
    std::vector<std::pair<std::string, std::string>> m_written;
    std::set<std::string> m_planeFiles;
    std::vector<std::string> m_gerbvKnown;
    int m_loads = 0;
    int m_writes = 0;
};

std::string Header(const std::string& name, bool inch) {
    return "%IN" + name + "*%\n%OFA0B0*SFA1.0B1.0*ASAXBY*MIA0B0*IR0*%\n%IPPOS*%\n" +
           (inch ? "%MOIN*%\n" : "%MOMM*%\n") + "%FSLAX33Y33*%\n*\nG04 Aperture Definitions *\n*\n";
}

} // namespace

TEST_F(GerberExportTest, TinyBoardInMillimetres) {
    CBoard* board = Load(kTinyBoard);
    const auto top = Write(board, kLayerTop);
    // Pads share D10 with the via's clearance; the via right after the
    // conductor ending on it flashes without coordinates.
    EXPECT_EQ(JoinLines(top), Header("t1.Tiny.TOP.gbr", false) +
                                  "%AMTHERMAL*7,0,0,$1+$2,$1,$3,$4*%\n"
                                  "%ADD13C,0.250*%\n%ADD14C,0.600*%\n%ADD10C,1.200*%\n"
                                  "%ADD11C,1.800*%\n%ADD15THERMAL,0.600X0.300X0.300X0*%\n"
                                  "%ADD12THERMAL,1.200X0.300X0.300X0*%\n"
                                  "*\nG04 Plot Data *\n*\n"
                                  "D10*\nX4000Y5000D03*\nX6000D03*\n"
                                  "D13*\nG01X15000D01*\nD14*\nD03*\nM02*\n");
    const auto outline = ReadCrLfLines(m_dir.path + "/t1.Tiny.BOARD.gbr");
    EXPECT_EQ(JoinLines(outline),
              Header("t1.Tiny.BOARD.gbr", false) +
                  "%ADD10C,0.001*%\n*\nG04 Plot Data *\n*\nD10*\n"
                  "X0000Y0000D02*\nG01X20000D01*\nY10000D01*\nX0000D01*\nY0000D01*\n"
                  "M02*\n");
}

TEST_F(GerberExportTest, TinyBoardInInches) {
    CBoard* board = Load(kTinyBoard);
    CamSettings s;
    s.unit = 0;
    const auto top = Write(board, kLayerTop, s);
    EXPECT_EQ(JoinLines(top), Header("t1.Tiny.TOP.gbr", true) +
                                  "%AMTHERMAL*7,0,0,$1+$2,$1,$3,$4*%\n"
                                  "%ADD13C,0.0098*%\n%ADD14C,0.0236*%\n%ADD10C,0.0472*%\n"
                                  "%ADD11C,0.0709*%\n%ADD15THERMAL,0.0236X0.0118X0.0118X0*%\n"
                                  "%ADD12THERMAL,0.0472X0.0118X0.0118X0*%\n"
                                  "*\nG04 Plot Data *\n*\n"
                                  "D10*\nX0157Y0197D03*\nX0236D03*\n"
                                  "D13*\nG01X0591D01*\nD14*\nD03*\nM02*\n");
    const auto outline = ReadCrLfLines(m_dir.path + "/t1.Tiny.BOARD.gbr");
    EXPECT_EQ(Add(outline, "C,"), "%ADD10C,0.0000*%");
    EXPECT_EQ(Count(outline, "G01X0787D01*"), 1u);
}

TEST_F(GerberExportTest, QuarterArcCornersStayMultiQuadrantAfterASaveAndReload) {
    // Corners of radius 3 as a drawing's import gives them: the deviation
    // of each exact quarter arc comes out a little short of its exact value
    // (0.8786797), the file keeps five digits of it.
    CBoard* board = Load(R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project><Board Outline="LIN3,0 ARC77,0,1 LIN80,3 ARC80,47,1 LIN77,50 ARC3,50,1 LIN0,47 ARC0,3,1">B
<Layer>TOP</Layer></Board></Project>
)");
    for (CAreaNode* node = board->m_outline; node; node = node->m_next)
        if (node->GetKind() == AREA_ARC)
            static_cast<CAreaArc*>(node)->m_deviation = 0.87867951f;
    // The lines after the file's name; the centre moves by less than the
    // format's step with the saved digits, which may turn the sign of an
    // offset of zero, as the number writer keeps it.
    auto outline = [&](CBoard* b, const char* name) {
        const std::wstring prefix = m_dir.W() + L"/" + Utf8ToWide(name);
        EXPECT_TRUE(WriteGerberLayer(prefix, b, kLayerOutline, nullptr, {}));
        std::vector<std::string> lines =
            ReadCrLfLines(WideToUtf8(GerberFileName(prefix, b, kLayerOutline)));
        lines.erase(lines.begin());
        for (std::string& l : lines)
            l = std::regex_replace(l, std::regex("([IJ])-0000([^0-9])"), "$010000$2");
        return lines;
    };
    const std::vector<std::string> imported = outline(board, "imported");
    EXPECT_EQ(Count(imported, "G75*"), 4u);
    EXPECT_EQ(Count(imported, "G74*"), 0u);
    const std::wstring saved = m_dir.W() + L"/saved.circuit";
    ASSERT_TRUE(CXmlFile(m_root.get()).Save(saved.c_str()));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(saved, bytes));
    EXPECT_EQ(outline(Load(bytes), "reloaded"), imported);
}

TEST_F(GerberExportTest, FileNameInTheHeaderCannotEndTheParameter) {
    std::string xml = kTinyBoard;
    xml.replace(xml.find(">Tiny"), 5, ">a%b*c\xc3\xa4");
    CBoard* board = Load(xml);
    const auto top = Write(board, kLayerTop);
    EXPECT_EQ(top[0], "%INt1.abc_.TOP.gbr*%");
}

// Whatever a board's name holds, it is one part of its file names: no folder,
// no control character, no name of dots only, and short enough for any file
// system; the drill file's comment naming the file holds no control
// character either.
TEST_F(GerberExportTest, BoardNamesGiveOneSafeFileNamePart) {
    CBoard* board = Load(kTinyBoard);
    const std::wstring umlauts(120, L'\u00e4'); // two bytes each
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"x/../../escaped", L"x_.._.._escaped"},
        {L"a\\b", L"a_b"},
        {L"Main\r\nboard\t\x7f\x85\u2028", L"Main__board____"},
        {L"..", L"__"},
        {L"", L""},
        {L"Platine \u00dc-1.2", L"Platine \u00dc-1.2"},
        {umlauts, umlauts.substr(0, 50)},
        {L"a" + umlauts, L"a" + umlauts.substr(0, 49)},
    };
    for (const auto& [name, part] : cases) {
        board->SetText(name);
        EXPECT_EQ(GerberFileName(L"/o/p", board, kLayerTop), L"/o/p." + part + L".TOP.gbr");
        EXPECT_EQ(ExcellonFileName(L"/o/p", board, kExcellonDrillPlated),
                  L"/o/p." + part + L".drill.plated.drl");
    }
    board->SetText(L"Main\nboard");
    ASSERT_TRUE(ExportExcellon(board, m_dir.W() + L"/q\tr", 1));
    const auto drill = ReadCrLfLines(m_dir.path + "/q\tr.Main_board.drill.plated.drl");
    ASSERT_FALSE(drill.empty());
    EXPECT_EQ(drill[0], "; File    : " + m_dir.path + "/q_r.Main_board.drill.plated.drl");
}

TEST_F(GerberExportTest, UnwritableFileIsReportedAndOthersGoOn) {
    CBoard* board = Load(kTinyBoard);
    ScopedUiHooksRecorder ui;
    LayerSelectEntry layers[kBoardLayerCount];
    LayerSelectEntry outline;
    SelectAllGerberLayers(board, layers, outline);
    EXPECT_FALSE(WriteGerberFiles(m_dir.W() + L"/missing/p", board, layers, outline, {}));
    ASSERT_FALSE(ui.messageBoxes.empty());
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Gerber");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    EXPECT_EQ(ui.messageBoxes[0].text,
              L"Unable to create file '" + m_dir.W() + L"/missing/p.Tiny.TOP.gbr'");
    // TOP, BOT, SST..SPB and the outline.
    EXPECT_EQ(ui.messageBoxes.size(), 11u);
}

// ---- apertures --------------------------------------------------------

namespace {
std::string Num(double v) {
    return WideToUtf8(StrPrintf(L"%.4f", v));
}
std::string Board(const std::string& layers, const std::string& body) {
    return R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project><Board Outline="LIN0,0 LIN40,0 LIN40,30 LIN0,30">B
)" + layers +
           body + "</Board></Project>\n";
}
std::string Via(const std::string& net, const std::string& padLayers, float x, float y,
                const std::string& extra = "") {
    return "<Net>" + net + "<Padstack " + extra + ">V" + padLayers + "<Pad XY=\"" + Num(x) + "," +
           Num(y) + "\"/></Padstack></Net>\n";
}
std::string Part(const std::string& footprintAttrs, const std::string& padLayer,
                 const std::string& extra = "") {
    return "<Package><Footprint " + footprintAttrs + ">F<Padstack>P" + padLayer +
           "<Pad Num=\"1\" XY=\"0,0\"/></Padstack>" + extra + "</Footprint></Package>\n";
}
const char* kTopBot = "<Layer>TOP</Layer><Layer>BOT</Layer>\n";
} // namespace

TEST_F(GerberExportTest, SizesSharingOneDCodeByTenthMicrometre) {
    CBoard* same = Load(Board(kTopBot, Via("A", "<PadLayer Size=\"1.00004,1.00004\"/>", 5, 5) +
                                           Via("B", "<PadLayer Size=\"1.00001,1.00001\"/>", 9, 5)));
    EXPECT_EQ(Count(Write(same, kLayerTop), "C,1.000*%"), 1u);
    CBoard* apart =
        Load(Board(kTopBot, Via("A", "<PadLayer Size=\"1.00004,1.00004\"/>", 5, 5) +
                                Via("B", "<PadLayer Size=\"1.00006,1.00006\"/>", 9, 5)));
    EXPECT_EQ(Count(Write(apart, kLayerTop), "C,1.000*%"), 2u);
}

TEST_F(GerberExportTest, RotatedRectanglesAndTiltedOblongs) {
    const std::string rect = "<PadLayer Shape=\"RECT\" Size=\"1,2\"/>";
    CBoard* board = Load(Board(
        kTopBot,
        Part("XY=\"5,5\" Rotation=\"90\"", rect) + Part("XY=\"10,5\" Rotation=\"30\"", rect) +
            Part("XY=\"15,5\" Rotation=\"30\"", rect) + Part("XY=\"20,5\" Rotation=\"-60\"", rect) +
            Via("N", "<PadLayer Shape=\"OBLONG\" Size=\"0.8,1.6\"/>", 30, 10)));
    const auto top = Write(board, kLayerTop);
    EXPECT_NE(Add(top, "R,2.000X1.000*%"), "");
    EXPECT_EQ(Count(top, "%AMTILTED_RECT*21,1,$1,$2,0,0,$3*%"), 1u);
    EXPECT_EQ(Count(top, "TILTED_RECT,1.000X2.000X30*%"), 1u);
    EXPECT_EQ(Count(top, "TILTED_RECT,1.000X2.000X-60*%"), 1u);
    // A via is never rotated: the oblong is tilted by 90 when taller than
    // wide, with sine and cosine in plain fixed notation.
    EXPECT_EQ(Count(top, "%AMTILTED_OBLONG*"), 1u);
    EXPECT_EQ(Count(top, "TILTED_OBLONG,1.600X0.800X90X1X0*%"), 1u);
}

TEST_F(GerberExportTest, EveryCustomPadInstanceHasItsOwnMacro) {
    const std::string custom =
        "<PadLayer Shape=\"CUSTOM\" Size=\"2,2\">LIN-1,-1 LIN1,-1 LIN1,1 LIN-1,1</PadLayer>";
    CBoard* board = Load(Board(kTopBot, Part("XY=\"5,5\"", custom) + Part("XY=\"15,5\"", custom)));
    const auto top = Write(board, kLayerTop);
    // Two own outlines; the clearance and thermal shapes of both pads are
    // equal and shared.
    EXPECT_EQ(Count(top, "%AMCUSTOM_"), 4u);
    std::regex use(R"(^%ADD(\d+)CUSTOM_(\d+)\*%$)");
    std::smatch m;
    int uses = 0;
    for (const std::string& l : top)
        if (std::regex_match(l, m, use)) {
            ++uses;
            EXPECT_EQ(m[1], m[2]); // named after its own D-code
            EXPECT_EQ(Count(top, "%AMCUSTOM_" + std::string(m[2]) + "*"), 1u);
        }
    EXPECT_EQ(uses, 4);
    EXPECT_EQ(Count(top, "4,1,4,-1.000,-1.000,1.000,-1.000,1.000,1.000,-1.000,1.000,-1.000,"), 2u);
    EXPECT_EQ(Count(top, "-1.000,0*%"), 2u);
    EXPECT_EQ(Count(top, "D03*"), 2u);
}

TEST_F(GerberExportTest, LongCustomOutlinesBreakAfterACommaPastColumn70) {
    std::string outline;
    for (int i = 0; i < 30; ++i) {
        const double a = i * 2 * 3.14159265 / 30;
        outline += "LIN" + Num(1.5 * std::cos(a)) + "," + Num(1.5 * std::sin(a)) + " ";
    }
    CBoard* board =
        Load(Board(kTopBot, Part("XY=\"5,5\"", "<PadLayer Shape=\"CUSTOM\" Size=\"3,3\">" +
                                                   outline + "</PadLayer>")));
    // gerbv keeps at most 102 macro parameters; the rounded clearance of
    // this outline has more (the format itself allows thousands).
    m_gerbvKnown = {"are more than gerbv is able to store"};
    const auto top = Write(board, kLayerTop);
    size_t i = 0;
    while (i < top.size() && top[i].rfind("%AMCUSTOM_", 0) != 0)
        ++i;
    ASSERT_LT(i + 2, top.size());
    EXPECT_EQ(top[i + 1].rfind("4,1,30,", 0), 0u);
    size_t j = i + 1;
    for (; top[j].back() == ','; ++j) {
        EXPECT_GE(top[j].size(), 71u);
        EXPECT_EQ(top[j].find(',', 70), top[j].size() - 1);
    }
    EXPECT_EQ(top[j].substr(top[j].size() - 3), "0*%");
}

TEST_F(GerberExportTest, MaskAndPasteOpeningsGrowAndShrinkClampedAtZero) {
    const std::string pad = "<PadLayer Size=\"1.2,1.2\"/>";
    CBoard* board = Load(Board(kTopBot, Part("XY=\"5,5\"", pad)));
    EXPECT_NE(Add(Write(board, kLayerSolderMaskTop), "C,1.275*%"), "");
    EXPECT_NE(Add(Write(board, kLayerSolderPasteTop), "C,1.125*%"), "");
    EXPECT_NE(Add(Write(board, kLayerAssemblyTop), "C,1.275*%"), "");
    CamSettings exact;
    exact.smIncr = 0;
    exact.spDecr = 0;
    EXPECT_NE(Add(Write(board, kLayerSolderMaskTop, exact), "C,1.200*%"), "");
    EXPECT_NE(Add(Write(board, kLayerSolderPasteTop, exact), "C,1.200*%"), "");
    CamSettings big;
    big.spDecr = 3;
    big.smIncr = -2;
    EXPECT_NE(Add(Write(board, kLayerSolderPasteTop, big), "C,0.000*%"), "");
    EXPECT_NE(Add(Write(board, kLayerSolderMaskTop, big), "C,0.000*%"), "");
    EXPECT_EQ(Count(Write(board, kLayerSolderMaskBottom), "%ADD"), 0u);
}

TEST_F(GerberExportTest, EmptyPadLayerRemovesTheMaskOpening) {
    CBoard* board =
        Load(Board(kTopBot, Part("XY=\"5,5\"", "<PadLayer Size=\"1.2,1.2\"/>"
                                               "<PadLayer Layer=\"SMT\" Size=\"0,0\"/>")));
    const auto smt = Write(board, kLayerSolderMaskTop);
    EXPECT_EQ(Count(smt, "D03*"), 0u);
}

TEST_F(GerberExportTest, ViaCoverModes) {
    const std::string via = Via("N",
                                "<PadLayer Size=\"0.6,0.6\"/><PadLayer Layer=\"SMT\" "
                                "Size=\"0.9,0.9\"/><PadLayer Layer=\"SPT\" Size=\"0.5,0.5\"/>",
                                20, 15);
    CBoard* board = Load(Board(kTopBot, via));
    CamSettings s;
    for (int mode : {0, 1, 2}) {
        s.coverViaWithMask = mode;
        const auto smt = Write(board, kLayerSolderMaskTop, s);
        const auto spt = Write(board, kLayerSolderPasteTop, s);
        SCOPED_TRACE(mode);
        // Covered: nothing; open: the copper pad plus the mask increase,
        // on the mask only; as defined: the via's own mask and paste pads.
        EXPECT_EQ(Count(smt, "D03*"), mode == 0 ? 0u : 1u);
        EXPECT_EQ(Count(spt, "D03*"), mode == 2 ? 1u : 0u);
        if (mode == 1) {
            EXPECT_NE(Add(smt, "C,0.675*%"), "");
        }
        if (mode == 2) {
            EXPECT_NE(Add(smt, "C,0.900*%"), "");
            EXPECT_NE(Add(spt, "C,0.500*%"), "");
        }
    }
}

TEST_F(GerberExportTest, ViasOfAnEarlierFileAreNotFlashedWithItsDCodes) {
    // TOP gives the via apertures; the assembly file after it must not
    // flash the via with those numbers.
    const std::string via = Via("N", "<PadLayer Size=\"0.6,0.6\"/>", 20, 15);
    CBoard* board = Load(Board(kTopBot, Part("XY=\"5,5\"", "<PadLayer Size=\"1.2,1.2\"/>") + via));
    LayerSelectEntry layers[kBoardLayerCount];
    LayerSelectEntry outline;
    SelectAllGerberLayers(board, layers, outline);
    ASSERT_TRUE(WriteGerberFiles(m_dir.W() + L"/all", board, layers, outline, {}));
    for (const char* code : {"AST", "SMT", "SPT", "SMB"}) {
        const std::string f = m_dir.path + "/all.B." + code + ".gbr";
        const auto lines = ReadCrLfLines(f);
        ExpectWellFormed(lines, f);
        EXPECT_EQ(Count(lines, "X20000Y15000"), 0u) << code;
        m_written.emplace_back(f, m_dir.path + "/all.B.BOARD.gbr");
    }
}

TEST_F(GerberExportTest, PlaneFlashesClearancesAndThermals) {
    const std::string layers = std::string(kTopBot) +
                               "<Layer Net=\"GND\" Type=\"PLANE\">I01</Layer>"
                               "<Layer Net=\"GND\" Type=\"PLANE\" NoThermal=\"1\">I02</Layer>";
    const std::string inr =
        "<PadLayer Size=\"0.6,0.6\"/><PadLayer Layer=\"INR\" Size=\"0.8,0.8\"/>";
    CBoard* board = Load(Board(layers, Via("GND", inr, 10, 10) + Via("SIG", inr, 20, 10) +
                                           Via("GND", inr, 30, 10, "NoThermal=\"1\"")));
    const auto i01 = Write(board, kLayerInner1);
    // Border along the outline with 2 mm, a thermal at the GND via, a
    // clearance (0.8 + 2 x 0.3) at the other net's, nothing at the
    // NoThermal via.
    EXPECT_EQ(Add(i01, "C,2.000*%").substr(0, 7), "%ADD10C");
    EXPECT_NE(Add(i01, "THERMAL,0.800X0.300X0.300X0*%"), "");
    const std::string thermal = DCode(i01, "THERMAL,");
    const std::string clearance = DCode(i01, "C,1.400*%");
    auto flashAt = [&](const std::vector<std::string>& lines, const std::string& at) {
        std::string last;
        for (const std::string& l : lines) {
            if (l.size() > 1 && l[0] == 'D' && l.back() == '*' && l.find('X') == std::string::npos)
                last = l;
            if (l.find(at) != std::string::npos && l.find("D03*") != std::string::npos)
                return last;
        }
        return std::string("none");
    };
    EXPECT_EQ(flashAt(i01, "X10000Y10000"), thermal);
    EXPECT_EQ(flashAt(i01, "X20000"), clearance);
    EXPECT_EQ(flashAt(i01, "X30000"), "none");
    const auto i02 = Write(board, kLayerInner1 + 1);
    EXPECT_EQ(Count(i02, "D03*"), 1u); // the layer's NoThermal joins every GND via

    // The first GND merged into SIG: the planes go with it and join both vias.
    board->FindNet(L"SIG")->Merge(nullptr, board->FindNet(L"GND"));
    const auto merged = Write(board, kLayerInner1);
    EXPECT_EQ(flashAt(merged, "X20000"), DCode(merged, "THERMAL,"));
    EXPECT_EQ(flashAt(merged, "X10000"), DCode(merged, "THERMAL,"));
    DiscardOrphanUndoRecords();
}

// The thermal of an oblong via pad on a plane layer is an outline macro cut
// out of the plane: it holds the whole ring between the pad and the pad
// grown by the isolation, less the spokes, at any flattening tolerance.
TEST_F(GerberExportTest, PlaneThermalOfAnOblongHoldsTheWholeRing) {
    const std::string layers =
        std::string(kTopBot) + "<Layer Net=\"GND\" Type=\"PLANE\">I01</Layer>";
    CBoard* board =
        Load(Board(layers, "<Properties><Thermal Isolation=\"0.35\" Spoke=\"0.3\"/></Properties>" +
                               Via("GND",
                                   "<PadLayer Size=\"0.6,0.6\"/>"
                                   "<PadLayer Layer=\"INR\" Shape=\"OBLONG\" Size=\"1.6,1\"/>",
                                   10, 10)));
    for (float padTol : {0.025f, 0.005f}) {
        CamSettings s;
        s.padTol = padTol;
        const auto i01 = Write(board, kLayerInner1, s);
        // The outline primitives of the one CUSTOM_ macro, in millimetres.
        std::string text;
        bool in = false;
        for (const std::string& l : i01) {
            in = in || l.rfind("%AMCUSTOM_", 0) == 0;
            if (in)
                text += l;
            if (in && !l.empty() && l.back() == '%')
                break;
        }
        std::vector<std::vector<PointF>> figures;
        std::stringstream primitives(text.substr(text.find('*') + 1));
        for (std::string p; std::getline(primitives, p, '*');) {
            std::vector<double> v;
            std::stringstream numbers(p);
            for (std::string n; std::getline(numbers, n, ',');)
                v.push_back(ParseDouble(Utf8ToWide(n).c_str()));
            if (v.size() < 4 || v[0] != 4)
                continue;
            const int k = static_cast<int>(v[2]);
            ASSERT_EQ(v.size(), static_cast<size_t>(3 + 2 * (k + 1) + 1)) << p;
            std::vector<PointF> f;
            for (int i = 0; i < k; ++i)
                f.push_back({float(v[3 + 2 * i]), float(v[4 + 2 * i])});
            figures.push_back(f);
        }
        ASSERT_EQ(figures.size(), 4u) << padTol;
        CClipPolygon cut;
        for (const auto& f : figures)
            cut.AddContour(f.data(), static_cast<int>(f.size()), 0);
        // Points of the ring's outer edge, the stadium of radius 0.85 about
        // (+-0.3, 0), and of its inner edge, the pad's, away from the
        // spokes: each lies in the cut or on its edge.
        double worst = 0;
        for (double r : {0.5, 0.85})
            for (int i = 0; i < 720; ++i) {
                const double a = i * 3.14159265358979 / 360;
                double x = r * std::cos(a), y = r * std::sin(a);
                x += x >= 0 ? 0.3 : -0.3;
                if (std::fabs(x) < 0.15 + 1e-3 || std::fabs(y) < 0.15 + 1e-3)
                    continue;
                if (InsidePolygon(cut, x, y))
                    continue;
                double d = 1e9;
                for (const CClipContour& c : cut.Contours()) {
                    const auto& w = c.Vertices();
                    for (size_t m = 0, j = w.size() - 1; m < w.size(); j = m++)
                        d = std::min(d, DistanceToSegment(w[j].X, w[j].Y, w[m].X, w[m].Y, x, y));
                }
                worst = std::max(worst, d);
            }
        EXPECT_LE(worst, 0.0011) << padTol; // the file's resolution
    }
}

TEST_F(GerberExportTest, JumperAndDocumentationLayersWriteNoFile) {
    CBoard* board = Load(Board("<Layer>TOP</Layer><Layer Type=\"JUMPER\">I01</Layer>"
                               "<Layer Type=\"DOC\">SST</Layer>",
                               ""));
    const std::wstring prefix = m_dir.W() + L"/j";
    EXPECT_TRUE(WriteGerberLayer(prefix, board, kLayerInner1, board->FindLayer(kLayerInner1), {}));
    EXPECT_TRUE(WriteGerberLayer(prefix, board, kLayerSilkscreenTop,
                                 board->FindLayer(kLayerSilkscreenTop), {}));
    EXPECT_FALSE(FileExists(prefix + L".B.I01.gbr"));
    EXPECT_FALSE(FileExists(prefix + L".B.SST.gbr"));
}

// ---- areas, markings and texts ----------------------------------------------

TEST_F(GerberExportTest, TrackCrossingAnAreaGetsItsClearance) {
    // The track of another net runs right across the area, both ends
    // outside it: it must still be cut out of the copper.
    CBoard* board =
        Load(Board(kTopBot, "<Net>SIG<Conductor Layer=\"TOP\" Width=\"0.3\">2,15 38,15"
                            "</Conductor></Net>"
                            "<Net>GND<Conductor Layer=\"TOP\" Width=\"0.3\">12,12 14,12"
                            "</Conductor></Net>"
                            "<Area Layer=\"TOP\" Net=\"GND\">LIN10,10 LIN30,10 LIN30,20 "
                            "LIN10,20</Area>"));
    const auto top = Write(board, kLayerTop);
    EXPECT_EQ(Count(top, "%LPC*%"), 1u);
    EXPECT_EQ(Count(top, "G36*"), 2u); // the area and one clearance (not the own net's)
    EXPECT_EQ(Count(top, "%LPD*%"), 1u);
}

namespace {

// The copper of a layer file as its lines draw it (millimetres, three
// decimals): the regions, each with its polarity, and the pieces drawn with
// a round aperture, with that aperture's diameter.
struct GerberCopper {
    std::vector<CClipPolygon> dark, clear;
    // Every region in file order, with its polarity (true: clear).
    std::vector<std::pair<bool, CClipPolygon>> regions;
    std::vector<TrackPiece> track;
    std::vector<double> widths; // of each track piece
};

GerberCopper ReadCopper(const std::vector<std::string>& lines) {
    static const std::regex add(R"(^%ADD(\d+)C,([0-9.]+)\*%$)");
    static const std::regex select(R"(^D(\d+)\*$)");
    static const std::regex op(
        R"(^(?:G0([123]))?(?:X(-?\d+))?(?:Y(-?\d+))?(?:I(-?\d+))?(?:J(-?\d+))?D0([123])\*$)");
    const double kPi = 3.14159265358979323846;
    GerberCopper out;
    std::map<int, double> apertures;
    double width = 0, x = 0, y = 0;
    int interpolation = 1;
    bool multiQuadrant = true, clear = false, region = false;
    std::vector<PointF> figure;
    auto endFigure = [&] {
        if (figure.size() >= 3) {
            CClipPolygon polygon;
            polygon.AddContour(figure.data(), static_cast<int>(figure.size()), 0);
            out.regions.emplace_back(clear, polygon);
            (clear ? out.clear : out.dark).push_back(std::move(polygon));
        }
        figure.clear();
    };
    auto mm = [](const std::string& digits) { return std::stod(digits) / 1000; };
    for (const std::string& l : lines) {
        std::smatch m;
        if (l == "%LPC*%" || l == "%LPD*%") {
            clear = l == "%LPC*%";
        } else if (l == "G36*") {
            region = true;
        } else if (l == "G37*") {
            endFigure();
            region = false;
        } else if (l == "G74*" || l == "G75*") {
            multiQuadrant = l == "G75*";
        } else if (std::regex_match(l, m, add)) {
            apertures[std::stoi(m[1])] = ParseDouble(Utf8ToWide(m[2].str()).c_str());
        } else if (std::regex_match(l, m, select)) {
            width = apertures[std::stoi(m[1])];
        } else if (std::regex_match(l, m, op)) {
            if (m[1].matched)
                interpolation = std::stoi(m[1]);
            const double nx = m[2].matched ? mm(m[2]) : x, ny = m[3].matched ? mm(m[3]) : y;
            const double i = m[4].matched ? mm(m[4]) : 0, j = m[5].matched ? mm(m[5]) : 0;
            const int d = std::stoi(m[6]);
            if (d == 2 && region) {
                endFigure();
                figure.push_back({float(nx), float(ny)});
            } else if (d == 1 && interpolation == 1) {
                if (region)
                    figure.push_back({float(nx), float(ny)});
                else
                    out.track.push_back({x, y, nx, ny}), out.widths.push_back(width);
            } else if (d == 1) {
                // Single-quadrant offsets are unsigned: the centre is the one
                // that gives an arc of at most 90 degrees.
                const bool ccw = interpolation == 3;
                double best = 1e9;
                TrackPiece arc{x, y, nx, ny, true};
                for (int k = 0; k < (multiQuadrant ? 1 : 4); ++k) {
                    const double cx = x + (k & 1 ? -i : i), cy = y + (k & 2 ? -j : j);
                    double sweep = std::atan2(ny - cy, nx - cx) - std::atan2(y - cy, x - cx);
                    while (ccw && sweep <= 0)
                        sweep += 2 * kPi;
                    while (!ccw && sweep >= 0)
                        sweep -= 2 * kPi;
                    const double miss =
                        std::fabs(std::hypot(x - cx, y - cy) - std::hypot(nx - cx, ny - cy));
                    if ((multiQuadrant || std::fabs(sweep) <= kPi / 2 + 1e-3) && miss < best) {
                        best = miss;
                        arc.cx = cx;
                        arc.cy = cy;
                        arc.sweep = sweep;
                    }
                }
                EXPECT_LT(best, 0.002) << l;
                EXPECT_FALSE(region) << "no arcs in regions here";
                out.track.push_back(arc);
                out.widths.push_back(width);
            }
            x = nx;
            y = ny;
        }
    }
    return out;
}

// The copper the regions leave, each dark one added and each clear one
// taken away in file order.
CClipPolygon RegionImage(const GerberCopper& copper) {
    CClipPolygon image;
    for (const auto& [clear, region] : copper.regions)
        image.Clip(clear ? CLIP_DIFFERENCE : CLIP_UNION, image, region);
    return image;
}

} // namespace

// A track of another net with rounded 45- and 90-degree bends inside an
// area: the copper of the area, as the file draws it, keeps the isolation
// from the copper of the track, as the file draws it, all along the track.
TEST_F(GerberExportTest, RoundedCornersKeepTheirClearanceInAnArea) {
    CBoard* board = Load(
        Board(kTopBot, "<Properties><Thermal Isolation=\"0.35\" Spoke=\"0.3\"/></Properties>"
                       "<Net>SIG<Conductor Layer=\"TOP\" Width=\"0.3\">5,5 15,5,3.6 22,12,3.6 "
                       "30,12,2 30,25</Conductor></Net>"
                       "<Area Layer=\"TOP\" Net=\"GND\">LIN2,2 LIN38,2 LIN38,28 LIN2,28</Area>"));
    const GerberCopper copper = ReadCopper(Write(board, kLayerTop));
    ASSERT_EQ(copper.dark.size(), 1u);
    ASSERT_FALSE(copper.clear.empty());
    CClipPolygon area;
    area.Clip(CLIP_DIFFERENCE, copper.dark[0], UniteClipPolygons(copper.clear));
    ASSERT_FALSE(area.IsEmpty());
    ASSERT_FALSE(copper.track.empty());
    EXPECT_EQ(std::count_if(copper.track.begin(), copper.track.end(),
                            [](const TrackPiece& p) { return p.arc; }),
              3);
    for (double w : copper.widths)
        EXPECT_DOUBLE_EQ(w, 0.3);
    // The outline's arcs are flattened within 0.001 and the file's
    // coordinates are rounded to 0.001.
    const double gap = TrackToPolygonDistance(copper.track, area, 0.01) - 0.3 / 2;
    EXPECT_GE(gap, 0.35 - 0.002);
    EXPECT_LE(gap, 0.35 + 0.002) << "the copper comes up to the clearance";
}

// The TOP file of a board whose GND area holds copper of other nets of
// every kind: the area's copper as the file draws it (its region less the
// clear regions) keeps the isolation from the true shape of each, less the
// file's resolution, and comes up to it within the flattening tolerance.
TEST_F(GerberExportTest, AreaCopperKeepsTheIsolationFromEveryOtherNet) {
    CBoard* board = Load(kClearanceBoard);
    const ForeignCopper foreign = ClearanceBoardForeignCopper();
    for (float padTol : {0.025f, 0.005f}) {
        CamSettings s;
        s.padTol = padTol;
        const auto top = Write(board, kLayerTop, s);
        const GerberCopper copper = ReadCopper(top);
        ASSERT_EQ(copper.dark.size(), 1u);
        CClipPolygon area;
        area.Clip(CLIP_DIFFERENCE, copper.dark[0], UniteClipPolygons(copper.clear));
        ASSERT_FALSE(area.IsEmpty());
        // Every pad and via is flashed: 8 + 2 + 2 + 2 pads, 3 vias.
        EXPECT_EQ(Count(top, "D03*"), 17u);
        const double resolution = 0.001;
        for (const ShapeGap& g : GapsToForeignCopper(area, foreign)) {
            EXPECT_GE(g.gap, kClearanceIsolation - resolution) << padTol << ": " << g.what;
            const double reach = g.flattened ? padTol : CConductor::kOutlineFlatness;
            EXPECT_LE(g.gap, kClearanceIsolation + reach + resolution) << padTol << ": " << g.what;
        }
    }
}

// Two areas of TOP, one of another net written after the other: the later
// one keeps all its copper, and the earlier one's copper, as the file draws
// it, keeps the board's isolation from it and comes up to it. Areas of one
// net, and areas of different layers, overlap as they are.
TEST_F(GerberExportTest, EarlierAreaKeepsTheIsolationFromALaterOneOfAnotherNet) {
    struct Case {
        const char* what;
        std::string earlier, later; // attributes
        bool cleared;
    };
    const Case cases[] = {
        {"another net", "Layer=\"TOP\" Net=\"GND\"", "Layer=\"TOP\" Net=\"V5\"", true},
        {"the later one without a net", "Layer=\"TOP\" Net=\"GND\"", "Layer=\"TOP\"", true},
        {"the earlier one without a net", "Layer=\"TOP\"", "Layer=\"TOP\" Net=\"V5\"", true},
        {"one net", "Layer=\"TOP\" Net=\"GND\"", "Layer=\"TOP\" Net=\"GND\"", false},
        {"another layer", "Layer=\"TOP\" Net=\"GND\"", "Layer=\"BOT\" Net=\"V5\"", false},
    };
    const CopperBox later{31.5, 18.5, 5.5, 4.5}; // (26, 14) to (37, 23)
    CClipPolygon laterBox;
    const PointF corners[4] = {{26, 14}, {37, 14}, {37, 23}, {26, 23}};
    laterBox.AddContour(corners, 4, 0);
    const double isolation = 0.4, whole = 38 * 28, kPi = 3.14159265358979;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CBoard* board = Load(
            Board(kTopBot, "<Properties><Thermal Isolation=\"0.4\" Spoke=\"0.3\"/></Properties>"
                           "<Area " +
                               c.earlier + ">LIN1,1 LIN39,1 LIN39,29 LIN1,29</Area><Area " +
                               c.later + ">LIN26,14 LIN37,14 LIN37,23 LIN26,23</Area>"));
        CamSettings s;
        const CClipPolygon image = RegionImage(ReadCopper(Write(board, kLayerTop, s)));
        CClipPolygon earlier;
        earlier.Clip(CLIP_DIFFERENCE, image, laterBox);
        if (!c.cleared) {
            EXPECT_NEAR(PolygonArea(image), whole, 1e-3);
            continue;
        }
        CClipPolygon kept;
        kept.Clip(CLIP_INTERSECTION, image, laterBox);
        EXPECT_NEAR(PolygonArea(kept), 11 * 9, 1e-3);
        // The later rectangle grown by the isolation, with round corners.
        const double grown = 11.8 * 9.8 - (4 - kPi) * isolation * isolation;
        // Its round corners are flattened outside the circle, within padTol.
        EXPECT_LE(PolygonArea(earlier), whole - grown + 1e-3);
        EXPECT_GE(PolygonArea(earlier), whole - grown - 2 * kPi * isolation * s.padTol);
        const double gap = BoxToPolygonDistance(later, earlier);
        EXPECT_GE(gap, isolation - 0.001);
        EXPECT_LE(gap, isolation + s.padTol + 0.001) << "the copper comes up to the clearance";
    }

    // An area of the later one's net beneath both, reaching out of the
    // middle one: beside the later one, out of the middle one's clearance,
    // it keeps its copper.
    CBoard* board = Load(Board(
        kTopBot, "<Properties><Thermal Isolation=\"0.4\" Spoke=\"0.3\"/></Properties>"
                 "<Area Layer=\"TOP\" Net=\"V5\">LIN28,5 LIN39,5 LIN39,25 LIN28,25</Area>"
                 "<Area Layer=\"TOP\" Net=\"GND\">LIN1,1 LIN30,1 LIN30,29 LIN1,29</Area>"
                 "<Area Layer=\"TOP\" Net=\"V5\">LIN26,10 LIN34,10 LIN34,20 LIN26,20</Area>"));
    const CClipPolygon image = RegionImage(ReadCopper(Write(board, kLayerTop)));
    struct Probe {
        double x, y;
        bool copper;
    };
    const Probe probes[] = {
        {34.2, 15, true},                      // the first area, beside the last one
        {35, 24.8, true},                      // the first area, out of everyone's clearance
        {30.2, 22, false},                     // the first area, within the middle one's clearance
        {29.8, 15, true},                      // the last area
        {29.8, 20.2, false},                   // the middle area, within the last one's clearance
        {25.7, 15, false},   {25.5, 15, true}, // the middle area
    };
    for (const Probe& p : probes)
        EXPECT_EQ(InsidePolygon(image, p.x, p.y), p.copper) << p.x << "," << p.y;
}

TEST_F(GerberExportTest, PadsInAnAreaGetThermalsOrClearances) {
    const std::string pad = "<PadLayer Size=\"1.2,1.2\"/>";
    CBoard* board =
        Load(Board(kTopBot, Via("GND", "<PadLayer Size=\"0.6,0.6\"/>", 15, 15) +
                                Via("SIG", "<PadLayer Size=\"0.6,0.6\"/>", 25, 15) +
                                Via("SIG", "<PadLayer Size=\"0.6,0.6\"/>", 35, 25) +
                                "<Area Layer=\"TOP\" Net=\"GND\">LIN10,10 LIN30,10 LIN30,20 "
                                "LIN10,20</Area>"));
    const auto top = Write(board, kLayerTop);
    // The thermal ring of the GND via and the clearance of the SIG via
    // inside; the via outside the area cuts nothing.
    EXPECT_EQ(Count(top, "G36*"), 3u);
}

// Thirty areas among three hundred vias of another net, of sizes spread
// over several classes of the lookup that finds what lies near an area:
// wherever a via's clearance reaches into an area, the file clears that
// copper, as a look at every via against every area finds.
TEST_F(GerberExportTest, EveryViaReachingIntoAnAreaIsClearedThere) {
    struct Rect {
        double x0, y0, x1, y1;
    };
    std::vector<Rect> areas;
    std::string body;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 5; ++j) {
            const Rect a{1 + 6.5 * i, 1 + 5.8 * j, 6 + 6.5 * i, 5 + 5.8 * j};
            areas.push_back(a);
            body += "<Area Layer=\"TOP\" Net=\"GND\">LIN" + Num(a.x0) + "," + Num(a.y0) + " LIN" +
                    Num(a.x1) + "," + Num(a.y0) + " LIN" + Num(a.x1) + "," + Num(a.y1) + " LIN" +
                    Num(a.x0) + "," + Num(a.y1) + "</Area>";
        }
    struct Disc {
        double x, y, size;
    };
    std::vector<Disc> vias;
    const double sizes[] = {0.3, 0.5, 0.8, 1.3, 2.1, 3.4};
    uint32_t r = 12345;
    auto next = [&r](double range) {
        r = r * 1103515245u + 12345u;
        return (r >> 8) / double(1u << 24) * range;
    };
    for (int i = 0; i < 300; ++i) {
        const Disc v{2 + next(36), 2 + next(26), sizes[i % 6]};
        vias.push_back(v);
        const std::string size = Num(v.size) + "," + Num(v.size);
        body += Via("SIG", "<PadLayer Size=\"" + size + "\"/>", float(v.x), float(v.y));
    }
    const GerberCopper copper = ReadCopper(Write(Load(Board(kTopBot, body)), kLayerTop));
    ASSERT_EQ(copper.dark.size(), areas.size());
    int reaching = 0;
    for (const Disc& v : vias)
        for (const Rect& a : areas) {
            // The point of the area nearest the via, a little inside; the
            // clearance (0.3 beyond the pad, flattened within 0.025) covers
            // it where it lies well within.
            const double x = std::clamp(v.x, a.x0 + 0.05, a.x1 - 0.05);
            const double y = std::clamp(v.y, a.y0 + 0.05, a.y1 - 0.05);
            if (std::hypot(x - v.x, y - v.y) > v.size / 2 + 0.3 - 0.06)
                continue;
            ++reaching;
            bool cleared = false;
            for (const CClipPolygon& clear : copper.clear)
                cleared = cleared || InsidePolygon(clear, x, y);
            EXPECT_TRUE(cleared) << "a via of " << v.size << " at " << v.x << "," << v.y
                                 << " in the area at " << a.x0 << "," << a.y0;
        }
    EXPECT_GT(reaching, 100);
}

TEST_F(GerberExportTest, TextHolesNeverEraseCopperBeneath) {
    CBoard* board = Load(Board(kTopBot, "<Area Layer=\"TOP\">LIN5,5 LIN35,5 LIN35,25 LIN5,25</Area>"
                                        "<Text Layer=\"TOP\" Pos=\"10,10\" FontSize=\"5\">"
                                        "O8</Text>"));
    const auto top = Write(board, kLayerTop);
    EXPECT_EQ(Count(top, "%LPC*%"), 0u);
    // The area and one region per letter outline ("O" and "8" each in one).
    EXPECT_EQ(Count(top, "G36*"), 3u);
}

TEST_F(GerberExportTest, OutlinedTextsUseTheStrokeAperture) {
    CBoard* board = Load(Board(kTopBot, "<Text Layer=\"TOP\" Pos=\"10,10\" FontSize=\"5\">"
                                        "H</Text>"));
    CamSettings s;
    s.textDrawingMode = 1;
    s.lineThck = 0.15f;
    const auto top = Write(board, kLayerTop, s);
    EXPECT_EQ(Add(top, "C,0.150*%"), "%ADD10C,0.150*%");
    EXPECT_EQ(Count(top, "G36*"), 0u);
    EXPECT_GT(Count(top, "D01*"), 4u);
}

TEST_F(GerberExportTest, AssemblyLayerFallsBackToSilkscreenAndOutline) {
    const std::string sst = "<Marking Layer=\"SST\">L-2,-1,2,-1W0.15</Marking>";
    const std::string olt = "<Marking Layer=\"OLT\">L-2,1,2,1W0.3</Marking>";
    const std::string ast = "<Marking Layer=\"AST\">L-2,0.5,2,0.5W0.25</Marking>";
    CBoard* board =
        Load(Board(kTopBot, Part("XY=\"5,5\"", "<PadLayer Size=\"1,1\"/>", sst + olt) +
                                Part("XY=\"15,5\"", "<PadLayer Size=\"1,1\"/>", sst + ast) +
                                "<Package><Text Layer=\"SST\" Pos=\"0,3\">R1</Text>"
                                "<Footprint XY=\"25,5\">F</Footprint></Package>"));
    const auto astFile = Write(board, kLayerAssemblyTop);
    EXPECT_NE(Add(astFile, "C,0.150*%"), "");
    EXPECT_NE(Add(astFile, "C,0.300*%"), "");
    EXPECT_NE(Add(astFile, "C,0.250*%"), "");
    EXPECT_EQ(Count(astFile, "X3000Y4000D02*"), 1u);  // SST line of the first part
    EXPECT_EQ(Count(astFile, "X13000Y5500D02*"), 1u); // AST line of the second
    EXPECT_EQ(Count(astFile, "X13000Y4000D02*"), 0u); // not its SST line
    const auto sstFile = Write(board, kLayerSilkscreenTop);
    EXPECT_GT(Count(sstFile, "G36*"), 0u); // the package text R1
    EXPECT_GT(Count(astFile, "G36*"), 0u); // and again on AST
}

TEST_F(GerberExportTest, MarkingPrimitivesOfARotatedFootprint) {
    const std::string marks = "<Marking Layer=\"SST\">L0,0,2,0W0.2 R-1,-1,1,1W0.1 "
                              "CIRC-1,-1,1,1W0.2</Marking>";
    CBoard* board = Load(
        Board(kTopBot, Part("XY=\"20,15\" Rotation=\"90\"", "<PadLayer Size=\"1,1\"/>", marks)));
    const auto sst = Write(board, kLayerSilkscreenTop);
    EXPECT_EQ(Count(sst, "X20000Y15000D02*"), 1u);
    EXPECT_EQ(Count(sst, "Y17000D01*"), 1u); // (2, 0) turned to (0, 2)
    EXPECT_EQ(Count(sst, "G75*"), 2u);       // the circle as two half arcs
}

// ---- the example board ------------------------------------------------------

class DemoExportTest : public GerberExportTest, public ::testing::WithParamInterface<int> {};

TEST_P(DemoExportTest, EveryLayerOfTheExample) {
    m_root = std::make_unique<CRoot>();
    m_root->SetRootTag(L"Project");
    CXmlFile file(m_root.get());
    ASSERT_TRUE(file.Load(Utf8ToWide(VORPEL_SOURCE_DIR "/examples/demo.circuit").c_str()));
    BuildBoardNetsInTree(m_root.get());
    CBoard* board = nullptr;
    for (CTreeNode* c : m_root->GetChildren())
        if (c->GetType() == NodeType::Board)
            board = static_cast<CBoard*>(c);
    ASSERT_NE(board, nullptr);
    CamSettings s;
    s.unit = GetParam();
    LayerSelectEntry layers[kBoardLayerCount];
    LayerSelectEntry outline;
    SelectAllGerberLayers(board, layers, outline);
    ScopedUiHooksRecorder ui;
    const std::wstring prefix = m_dir.W() + L"/demo";
    ASSERT_TRUE(WriteGerberFiles(prefix, board, layers, outline, s));
    EXPECT_TRUE(ui.messageBoxes.empty());
    const std::string outlineFile = WideToUtf8(GerberFileName(prefix, board, kLayerOutline));
    std::vector<std::string> written;
    for (int id = 0; id < kBoardLayerCount; ++id) {
        const std::string f = WideToUtf8(GerberFileName(prefix, board, id));
        if (!FileExists(Utf8ToWide(f)))
            continue;
        written.push_back(LayerToCode(id) ? WideToUtf8(LayerToCode(id)) : "");
        const auto lines = ReadCrLfLines(f);
        ExpectWellFormed(lines, f);
        const std::string header = Header("x", s.unit == 0);
        EXPECT_EQ(JoinLines({lines.begin() + 1, lines.begin() + 8}),
                  header.substr(header.find('\n') + 1));
        std::regex coord(s.unit == 0 ? R"((X|Y|I|J)-?\d{1,4}(?!\d))"
                                     : R"((X|Y|I|J)-?\d{1,6}(?!\d))");
        for (const std::string& l : lines)
            if (!l.empty() && l[0] != '%' && l.find("X") != std::string::npos &&
                l.rfind("4,1,", 0) != 0) {
                EXPECT_TRUE(std::regex_search(l, coord)) << l;
            }
        m_written.emplace_back(f, outlineFile);
        if (board->FindLayer(id) && board->FindLayer(id)->m_layerType == kLayerTypePlane)
            m_planeFiles.insert(f);
    }
    // The stackup: TOP, BOT (plane), I01, I02 (plane), SST and SMT; I03 is a
    // jumper layer and I04 has no type: no files.
    EXPECT_EQ(JoinLines(written), "TOP\nBOT\nI01\nI02\nSST\nSSB\nAST\nASB\nSMT\nSMB\nSPT\nSPB\n");
    const auto bot = ReadCrLfLines(WideToUtf8(GerberFileName(prefix, board, kLayerBottom)));
    EXPECT_EQ(bot[7], "*");
    EXPECT_EQ(Count(bot, s.unit ? "%ADD10C,2.000*%" : "%ADD10C,0.0787*%"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Units, DemoExportTest, ::testing::Values(1, 0));
