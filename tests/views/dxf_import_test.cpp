// The DXF outline import on a board of a loaded project: the drawings of an
// independent writer become the expected outlines, the saved project changes
// in the outline only, undo gives back the original bytes and redo the
// imported ones; every failure shows its message and changes nothing.
#include "board/area_node.h"
#include "board/board.h"
#include "platform/file_dialog.h"
#include "tests/board/board_fixture.h"
#include "tests/ui_hooks_recorder.h"
#include "tests/views/dxf_test_util.h"
#include "views/dxf_import.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

const char* kProject =
    "<Project>\r\n"
    "  <Board Grid=\"0.5,0.5\" Outline=\"LIN0,0 LIN30,0 ARC30,20,2.5 LIN0,20\">Main\r\n"
    "    <Layer>TOP</Layer>\r\n"
    "  </Board>\r\n"
    "</Project>\r\n";

const wchar_t* kOriginalOutline = L"LIN0,0 LIN30,0 ARC30,20,2.5 LIN0,20";
const wchar_t* kNoClosedFigure = L"No closed figures found in the file";
const wchar_t* kNoClosedSpline = L"No closed spline in the file";

class DxfImportTest : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        ASSERT_TRUE(LoadText(m_root, XmlDoc(kProject)));
        m_board = static_cast<CBoard*>(m_root.GetChild(0));
        m_original = SaveText(m_root);
    }

    // The project as saved with the board's outline and unit set as given.
    std::string Expected(const std::wstring& outline, uint32_t unit) {
        CRoot root;
        EXPECT_TRUE(LoadText(root, XmlDoc(kProject)));
        auto* board = static_cast<CBoard*>(root.GetChild(0));
        DeleteAreaOutline(board->m_outline);
        board->m_outline = ParseAreaOutline(outline, &g_pActiveView);
        board->m_unit = unit;
        return SaveText(root);
    }

    std::wstring Outline() const { return AreaOutlineToString(m_board->m_outline); }

    // The import failed with the message and left the project as it was.
    void ExpectUnchanged(const ScopedUiHooksRecorder& ui, const wchar_t* message) {
        ASSERT_EQ(ui.messageBoxes.size(), 1u);
        EXPECT_EQ(ui.messageBoxes[0].text, message);
        EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
        EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
        EXPECT_TRUE(ui.statusTexts.empty());
        EXPECT_EQ(m_view.undo.UndoCount(), 0u);
        EXPECT_EQ(SaveText(m_root), m_original);
    }

    CRoot m_root;
    CBoard* m_board = nullptr;
    std::string m_original;
    DxfScratchDir m_dir;
};

struct DrawingCase {
    const char* file;
    const wchar_t* outline;
    int unit; // the board's unit after the import (it starts in mm)
};

// Every drawing of the independent writer that holds a closed figure.
TEST_F(DxfImportTest, DrawingsOfAnIndependentWriter) {
    const DrawingCase cases[] = {
        // A rectangle of lines, the top one drawn the other way.
        {"rectangle_r12.dxf", L"LIN0,0 LIN100,0 LIN100,50 LIN0,50", 1},
        {"rectangle_r2000.dxf", L"LIN0,0 LIN100,0 LIN100,50 LIN0,50", 1},
        // Rounded corners, a tab of more than a half circle (its major arc
        // reaches past the centre: 5.3852 + 2), a half-round notch whose arc
        // runs against the outline.
        {"rounded_r12.dxf",
         L"LIN5,0 ARC55,0,1.4645 LIN60,5 ARC60,15,7.3852 LIN60,25 ARC60,35,1.4645 LIN55,40 "
         L"ARC35,40,-5 LIN25,40 ARC5,40,1.4645 LIN0,35 ARC0,5,1.4645",
         1},
        {"rounded_r2000.dxf",
         L"LIN5,0 ARC55,0,1.4645 LIN60,5 ARC60,15,7.3852 LIN60,25 ARC60,35,1.4645 LIN55,40 "
         L"ARC35,40,-5 LIN25,40 ARC5,40,1.4645 LIN0,35 ARC0,5,1.4645",
         1},
        {"circle_r12.dxf", L"ARC70,30,20 ARC30,30,20", 1},
        {"circle_r2000.dxf", L"ARC70,30,20 ARC30,30,20", 1},
        // Groups of four control points; a group whose first control point
        // is its start is a straight piece.
        {"spline_r2000.dxf", L"CRV0,0,10,-5,20,-5 CRV30,0,40,10,40,20 LIN30,30 LIN0,30", 1},
        // Inch drawings keep their numbers; only the display unit changes.
        {"measurement_inch_r2000.dxf", L"LIN0,0 LIN4,0 LIN4,3 LIN0,3", 0},
        // A corner off by 0.00005 in x and y still joins.
        {"gap_joins_r2000.dxf", L"LIN0,0 LIN10,5e-05 LIN5,8", 1},
        // Extended-data points and texts longer than any line buffer between
        // the lines.
        {"xdata_points_r2000.dxf", L"LIN0,0 LIN20,0 LIN20,20 LIN0,20", 1},
        // A half circle whose chord comes out longer than its diameter by
        // rounding: still a deviation of one radius.
        {"half_circle_r2000.dxf", L"ARC28.66,15,10 LIN11.34,5", 1},
    };
    for (const DrawingCase& c : cases) {
        SCOPED_TRACE(c.file);
        m_board->m_unit = 1;
        ScopedUiHooksRecorder ui;
        ASSERT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(DrawingPath(c.file))));
        EXPECT_TRUE(ui.messageBoxes.empty());
        EXPECT_EQ(Outline(), c.outline);
        EXPECT_EQ(m_board->m_unit, static_cast<uint32_t>(c.unit));
        const std::string imported = SaveText(m_root);
        EXPECT_EQ(imported, Expected(c.outline, c.unit));
        EXPECT_EQ(m_view.undo.UndoCount(), 1u);

        m_view.undo.Undo();
        EXPECT_EQ(Outline(), kOriginalOutline);
        // The display unit is the view's setting, kept as the unit pane's
        // switch keeps it.
        EXPECT_EQ(SaveText(m_root), c.unit == 1 ? m_original : Expected(kOriginalOutline, c.unit));
        m_view.undo.Redo();
        EXPECT_EQ(SaveText(m_root), imported);
        m_view.undo.Undo();
        m_view.undo.Clear();
    }
}

TEST_F(DxfImportTest, MeasurementShowsInTheUnitPane) {
    ScopedUiHooksRecorder ui;
    ASSERT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(DrawingPath("measurement_inch_r2000.dxf"))));
    EXPECT_EQ(ui.statusTexts, (std::vector<std::pair<int, std::wstring>>{{2, L"Unit: inch"}}));
    ui.Clear();
    ASSERT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(DrawingPath("rectangle_r2000.dxf"))));
    EXPECT_EQ(ui.statusTexts, (std::vector<std::pair<int, std::wstring>>{{2, L"Unit: mm"}}));
    // A drawing without the variable, or with a value that names no unit of
    // ours, leaves the unit alone.
    ui.Clear();
    m_board->m_unit = 2;
    ASSERT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(DrawingPath("rectangle_r12.dxf"))));
    const DxfPairs square = [] {
        DxfPairs e = DxfLine(0, 0, 1, 0);
        Append(e, DxfLine(1, 0, 1, 1));
        Append(e, DxfLine(1, 1, 0, 0));
        return e;
    }();
    ASSERT_TRUE(ImportDxfOutline(m_board, m_dir.Write(DxfText(DxfDrawingPairs(square, 5)))));
    ASSERT_TRUE(ImportDxfOutline(m_board, m_dir.Write(DxfText(DxfDrawingPairs(square, -1)))));
    EXPECT_EQ(m_board->m_unit, 2u);
    EXPECT_TRUE(ui.statusTexts.empty());
}

// Arcs bulge as drawn: the mid-arc point of each imported arc lies on the
// arc of the drawing, also for the tab's major arc and the reversed notch.
TEST_F(DxfImportTest, ArcsBulgeAsDrawn) {
    ScopedUiHooksRecorder ui;
    ASSERT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(DrawingPath("rounded_r2000.dxf"))));
    std::vector<const CAreaArc*> arcs;
    for (const CAreaNode* n = m_board->m_outline; n; n = n->m_next)
        if (n->m_kind == AREA_ARC)
            arcs.push_back(static_cast<const CAreaArc*>(n));
    ASSERT_EQ(arcs.size(), 6u);
    const double h = 5 - 5 / std::numbers::sqrt2;
    const float expected[6][2] = {
        {static_cast<float>(60 - h), static_cast<float>(h)},
        {static_cast<float>(62 + std::sqrt(29.0)), 20},
        {static_cast<float>(60 - h), static_cast<float>(40 - h)},
        {30, 35},
        {static_cast<float>(h), static_cast<float>(40 - h)},
        {static_cast<float>(h), static_cast<float>(h)},
    };
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(arcs[i]->m_midX, expected[i][0], 1e-3) << i;
        EXPECT_NEAR(arcs[i]->m_midY, expected[i][1], 1e-3) << i;
    }
    EXPECT_GT(arcs[1]->GetSweep(), 180);
    EXPECT_LT(arcs[3]->GetSweep(), 0);
    // The outline runs counter-clockwise as the drawing's first line does.
    EXPECT_FALSE(IsOutlineClockwise(m_board->m_outline));

    ASSERT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(DrawingPath("circle_r12.dxf"))));
    const auto* first = static_cast<const CAreaArc*>(m_board->m_outline);
    const auto* second = static_cast<const CAreaArc*>(first->m_next);
    EXPECT_NEAR(first->m_midX, 50, 1e-4);
    EXPECT_NEAR(first->m_midY, 50, 1e-4);
    EXPECT_NEAR(second->m_midX, 50, 1e-4);
    EXPECT_NEAR(second->m_midY, 10, 1e-4);
}

// Many pieces in shuffled order, some drawn the other way, their shared
// corners a little apart: the figure starts with the first piece of the
// file, in its direction, and visits every corner in turn.
TEST_F(DxfImportTest, ShuffledPiecesJoinInTurn) {
    const int n = 500;
    std::mt19937 random(27);
    std::uniform_real_distribution<double> jitter(-0.00004, 0.00004);
    auto corner = [n](int k) {
        const double a = 2 * std::numbers::pi * (k % n) / n;
        return std::pair{37.5 * std::cos(a), 37.5 * std::sin(a)};
    };
    std::vector<int> order(n);
    for (int k = 0; k < n; ++k)
        order[k] = k;
    std::shuffle(order.begin(), order.end(), random);
    DxfPairs entities;
    for (int k : order) {
        auto [x1, y1] = corner(k);
        auto [x2, y2] = corner(k + 1);
        x2 += jitter(random);
        y2 += jitter(random);
        if (k != order[0] && random() % 2)
            Append(entities, DxfLine(x2, y2, x1, y1));
        else
            Append(entities, DxfLine(x1, y1, x2, y2));
    }
    ScopedUiHooksRecorder ui;
    ASSERT_TRUE(ImportDxfOutline(m_board, m_dir.Write(DxfText(DxfDrawingPairs(entities)))));
    EXPECT_EQ(CountAreaNodes(m_board->m_outline), n);
    int i = 0;
    for (const CAreaNode* node = m_board->m_outline; node; node = node->m_next, ++i) {
        auto [x, y] = corner(order[0] + i);
        ASSERT_NEAR(node->m_x, x, 2e-4) << i;
        ASSERT_NEAR(node->m_y, y, 2e-4) << i;
        ASSERT_EQ(node->m_first, m_board->m_outline);
        ASSERT_EQ(node->m_last->m_next, nullptr);
    }
    EXPECT_FALSE(IsOutlineClockwise(m_board->m_outline));
}

// Drawings without a closed figure, damaged ones and unreadable files: the
// message, and nothing changes, not even the unit the header names.
TEST_F(DxfImportTest, FailuresChangeNothing) {
    auto square = [](double x0) {
        DxfPairs e = DxfLine(x0, 0, x0 + 10, 0);
        Append(e, DxfLine(x0 + 10, 0, x0 + 10, 10));
        Append(e, DxfLine(x0 + 10, 10, x0, 10));
        Append(e, DxfLine(x0, 10, x0, 0));
        return e;
    };
    auto drawing = [](const DxfPairs& entities) { return DxfText(DxfDrawingPairs(entities, 0)); };
    DxfPairs spur = DxfLine(0, 0, 10, 0);
    Append(spur, DxfLine(10, 0, 10, 10));
    Append(spur, DxfLine(10, 10, 10, 0));
    DxfPairs twoSquares = square(0);
    Append(twoSquares, square(20));
    DxfPairs text = {{0, "TEXT"}, {1, "no figure"}};
    DxfPairs circleAndLine = {{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "5"}};
    Append(circleAndLine, DxfLine(0, 0, 1, 1));
    DxfPairs damaged = square(0);
    damaged[2].second = "1O"; // the x of the first line's start
    DxfPairs withoutEnd = square(0);
    withoutEnd.erase(withoutEnd.begin() + 5, withoutEnd.begin() + 8);
    DxfPairs hugeLine = square(0);
    hugeLine[2].second = "1e39";
    auto spline = [](const char* lastX) {
        DxfPairs s = {{0, "SPLINE"}};
        const char* xs[] = {"0", "1", "2", "3", "3", "2", "1", lastX};
        const char* ys[] = {"0", "1", "1", "0", "0", "-1", "-1", "0"};
        for (int i = 0; i < 8; ++i)
            Append(s, {{10, xs[i]}, {20, ys[i]}, {30, "0"}});
        return s;
    };
    const std::string closedSquare = drawing(square(0));
    const std::string header =
        DxfText({{0, "SECTION"}, {2, "HEADER"}, {9, "$MEASUREMENT"}, {70, "0"}, {0, "ENDSEC"}});

    // What is no regular file is refused at its open, a FIFO without waiting
    // for a writer; a link to a drawing imports it.
    const std::wstring readError = L"File read error \n";
    const std::wstring missing = Utf8ToWide(m_dir.path + "/missing.dxf");
    const std::string fifo = m_dir.path + "/fifo.dxf", zero = m_dir.path + "/zero.dxf";
    const std::string folder = m_dir.path + "/folder.dxf", link = m_dir.path + "/link.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    ASSERT_EQ(::symlink(PathToNative(m_dir.Write(closedSquare)).c_str(), link.c_str()), 0);
    struct Case {
        const char* what;
        std::wstring path;
        std::wstring message;
    };
    const Case cases[] = {
        {"six control points", Utf8ToWide(DrawingPath("spline_six_points_r2000.dxf")),
         kNoClosedSpline},
        {"a corner off by 0.0002", Utf8ToWide(DrawingPath("gap_open_r2000.dxf")), kNoClosedFigure},
        {"spline groups apart", m_dir.Write(drawing(spline("0.001"))), kNoClosedSpline},
        {"spline without points", m_dir.Write(drawing({{0, "SPLINE"}, {70, "8"}})),
         kNoClosedSpline},
        {"no entities section", m_dir.Write(header + DxfText({{0, "EOF"}})), kNoClosedFigure},
        {"only a text", m_dir.Write(drawing(text)), kNoClosedFigure},
        {"two figures", m_dir.Write(drawing(twoSquares)), kNoClosedFigure},
        {"a spur back along the last line", m_dir.Write(drawing(spur)), kNoClosedFigure},
        {"a circle and a loose line", m_dir.Write(drawing(circleAndLine)), kNoClosedFigure},
        {"a damaged coordinate", m_dir.Write(drawing(damaged)), kNoClosedFigure},
        {"a line without its end", m_dir.Write(drawing(withoutEnd)), kNoClosedFigure},
        {"a coordinate beyond the outline's numbers", m_dir.Write(drawing(hugeLine)),
         kNoClosedFigure},
        {"cut between code and value", m_dir.Write(closedSquare + "  0\n"), kNoClosedFigure},
        {"cut inside a point", m_dir.Write(closedSquare.substr(0, closedSquare.rfind(" 21\n") + 4)),
         kNoClosedFigure},
        {"an empty file", m_dir.Write(""), kNoClosedFigure},
        {"a missing file", missing, readError + missing},
        {"a FIFO", Utf8ToWide(fifo), readError + Utf8ToWide(fifo)},
        {"a link to a device", Utf8ToWide(zero), readError + Utf8ToWide(zero)},
        {"a folder", Utf8ToWide(folder), readError + Utf8ToWide(folder)},
    };
    ::alarm(60); // a read that waits for good ends the test
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedUiHooksRecorder ui;
        EXPECT_FALSE(ImportDxfOutline(m_board, c.path));
        ExpectUnchanged(ui, c.message.c_str());
    }
    ::alarm(0);
    // The drawing the damaged ones were made from imports, through a link too.
    ScopedUiHooksRecorder ui;
    EXPECT_TRUE(ImportDxfOutline(m_board, m_dir.Write(closedSquare)));
    EXPECT_EQ(Outline(), L"LIN0,0 LIN10,0 LIN10,10 LIN0,10");
    EXPECT_TRUE(ImportDxfOutline(m_board, Utf8ToWide(link)));
    EXPECT_EQ(Outline(), L"LIN0,0 LIN10,0 LIN10,10 LIN0,10");
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(DxfImportTest, LoadFromDxfCommand) {
    std::vector<FileDialogRequest> requests;
    std::wstring answer;
    FileDialogHook previous =
        SetFileDialogHook([&](FileDialogKind kind, FileDialogRequest& request) {
            EXPECT_EQ(kind, FileDialogKind::Open);
            requests.push_back(request);
            request.fileName = answer;
            return !answer.empty();
        });
    ScopedUiHooksRecorder ui;
    ImportDxfOutlineCommand(m_board, nullptr);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filters, (std::vector<std::pair<std::wstring, std::wstring>>{
                                       {L"Drawing eXchange Files (*.dxf)", L"*.dxf"}}));
    EXPECT_TRUE(ui.messageBoxes.empty());
    EXPECT_EQ(SaveText(m_root), m_original);

    answer = Utf8ToWide(DrawingPath("circle_r2000.dxf"));
    ImportDxfOutlineCommand(m_board, nullptr);
    EXPECT_EQ(Outline(), L"ARC70,30,20 ARC30,30,20");
    SetFileDialogHook(previous);
}

} // namespace
