// The vorpel-dxf driver: the saved project, the exit status, the message on
// standard error, and no file written on failure.
#include "board/area_node.h"
#include "board/board.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "tests/run_command.h"
#include "tests/views/dxf_test_util.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

int RunDriver(const std::string& args, std::string* output) {
    return RunCommand(std::string(VORPEL_BINARY_DIR "/bin/vorpel-dxf ") + args, output);
}

const std::string kDemo = VORPEL_SOURCE_DIR "/examples/demo.circuit";

std::string Quoted(const std::string& s) {
    return "'" + s + "'";
}

} // namespace

// The example project with the rounded outline: the same file as the example
// saved with that outline and the millimetres the drawing names.
TEST(DxfDriver, SavesTheProjectWithTheNewOutline) {
    DxfScratchDir dir;
    const std::string out = dir.path + "/out.circuit";
    std::string output;
    ASSERT_EQ(RunDriver(Quoted(kDemo) + " Mainboard " + Quoted(DrawingPath("rounded_r2000.dxf")) +
                            " " + Quoted(out),
                        &output),
              0)
        << output;
    EXPECT_EQ(output, "");

    CRoot root;
    root.SetRootTag(L"Project");
    ASSERT_TRUE(CXmlFile(&root).Load(Utf8ToWide(kDemo).c_str()));
    auto* board = static_cast<CBoard*>(root.GetChild(0));
    DeleteAreaOutline(board->m_outline);
    board->m_outline = ParseAreaOutline(
        L"LIN5,0 ARC55,0,1.4645 LIN60,5 ARC60,15,7.3852 LIN60,25 ARC60,35,1.4645 LIN55,40 "
        L"ARC35,40,-5 LIN25,40 ARC5,40,1.4645 LIN0,35 ARC0,5,1.4645",
        nullptr);
    board->m_unit = 1;
    const std::wstring expectedPath = Utf8ToWide(dir.path + "/expected.circuit");
    ASSERT_TRUE(CXmlFile(&root).Save(expectedPath.c_str()));
    std::string expected, saved;
    ASSERT_TRUE(ReadWholeFile(expectedPath, expected));
    ASSERT_TRUE(ReadWholeFile(Utf8ToWide(out), saved));
    EXPECT_EQ(saved, expected);
}

TEST(DxfDriver, FailuresWriteNothing) {
    DxfScratchDir dir;
    const std::string out = dir.path + "/out.circuit";
    struct Case {
        std::string args;
        std::string message;
    };
    const std::string missing = dir.path + "/none.dxf";
    const Case cases[] = {
        {Quoted(kDemo) + " Mainboard " + Quoted(DrawingPath("gap_open_r2000.dxf")),
         "vorpel-dxf: " + DrawingPath("gap_open_r2000.dxf") +
             ": No closed figures found in the file\n"},
        {Quoted(kDemo) + " Mainboard " + Quoted(DrawingPath("spline_six_points_r2000.dxf")),
         "vorpel-dxf: " + DrawingPath("spline_six_points_r2000.dxf") +
             ": No closed spline in the file\n"},
        {Quoted(kDemo) + " Mainboard " + Quoted(missing),
         "vorpel-dxf: " + missing + ": cannot open the file\n"},
        {Quoted(kDemo) + " Other " + Quoted(DrawingPath("circle_r12.dxf")),
         "no board named 'Other'"},
        {"/nonexistent/x.circuit '' " + Quoted(DrawingPath("circle_r12.dxf")), "/nonexistent"},
    };
    for (const Case& c : cases) {
        std::string output;
        EXPECT_EQ(RunDriver(c.args + " " + Quoted(out), &output), 1) << c.args;
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
        EXPECT_FALSE(FileExists(Utf8ToWide(out))) << c.args;
    }
    std::string output;
    EXPECT_EQ(RunDriver(Quoted(kDemo), &output), 2);
    EXPECT_NE(output.find("usage: vorpel-dxf PROJECT BOARD DRAWING OUT"), std::string::npos);
}
