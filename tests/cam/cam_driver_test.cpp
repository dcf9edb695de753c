// The vorpel-cam driver: every file of the example board, messages on
// standard error, and the exit status.
#include "tests/cam/gerber_test_util.h"
#include "tests/run_command.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <utility>

namespace {

int RunDriver(const std::string& args, std::string* output) {
    return RunCommand(std::string(VORPEL_BINARY_DIR "/bin/vorpel-cam ") + args, output);
}

} // namespace

TEST(CamDriver, WritesEveryFileOfTheExample) {
    ScratchDir dir;
    std::string out;
    ASSERT_EQ(RunDriver(std::string("'" VORPEL_SOURCE_DIR "/examples/demo.circuit' '") + dir.path +
                            "/out'",
                        &out),
              0)
        << out;
    const std::string p = dir.path + "/out/demo.Mainboard.";
    for (const char* name :
         {"TOP.gbr", "BOT.gbr", "I01.gbr", "I02.gbr", "SST.gbr", "SSB.gbr", "AST.gbr", "ASB.gbr",
          "SMT.gbr", "SMB.gbr", "SPT.gbr", "SPB.gbr", "BOARD.gbr", "drill.plated.drl",
          "drill.non-plated.drl", "mill.plated.drl", "bom.csv"})
        EXPECT_TRUE(FileExists(Utf8ToWide(p + name))) << name;
    // Jumper and untyped layers give no file; the board has no non-plated
    // slot.
    for (const char* name : {"I03.gbr", "I04.gbr", "mill.non-plated.drl"})
        EXPECT_FALSE(FileExists(Utf8ToWide(p + name))) << name;
    const auto top = ReadCrLfLines(p + "TOP.gbr");
    ASSERT_GT(top.size(), 8u);
    EXPECT_EQ(top[0], "%INdemo.Mainboard.TOP.gbr*%");
    EXPECT_EQ(top[4], "%FSLAX33Y33*%");
}

TEST(CamDriver, FilesThatCannotBeCreatedFailWithMessages) {
    ScratchDir dir;
    // A plain file where the output folder should be.
    ASSERT_TRUE(WriteWholeFile(Utf8ToWide(dir.path + "/blocked"), "x"));
    std::string out;
    EXPECT_NE(RunDriver(std::string("'" VORPEL_SOURCE_DIR "/examples/demo.circuit' '") + dir.path +
                            "/blocked'",
                        &out),
              0);
    EXPECT_NE(out.find("Gerber: Unable to create file '"), std::string::npos) << out;
}

// A pad, a track and a drill below zero: their files are not written, each
// is reported and the driver fails.
TEST(CamDriver, SizesNotAboveZeroFailWithMessagesAndLeaveNoFile) {
    ScratchDir dir;
    std::string xml = ReadBytes(VORPEL_SOURCE_DIR "/examples/demo.circuit");
    for (auto [from, to] :
         {std::pair{"Size=\"1.2,1.4\"", "Size=\"-1.2,1.4\""},
          {"Width=\"0.5\">23.5", "Width=\"-0.3\">23.5"},
          {"Diam=\"0.3\"/>\r\n        <Pad", "Diam=\"-0.3\"/>\r\n        <Pad"}}) {
        const size_t at = xml.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        xml.replace(at, std::string(from).size(), to);
    }
    ASSERT_TRUE(WriteWholeFile(Utf8ToWide(dir.path + "/bad.circuit"), xml));
    std::string out;
    EXPECT_NE(RunDriver("'" + dir.path + "/bad.circuit' '" + dir.path + "/out'", &out), 0);
    const std::string p = dir.path + "/out/bad.Mainboard.";
    for (auto [name, size] :
         {std::pair{"TOP.gbr", "-1.2"}, {"BOT.gbr", "-0.3"}, {"drill.plated.drl", "-0.3"}}) {
        EXPECT_NE(out.find(std::string("Gerber: Invalid aperture or drill size ") + size +
                           " mm, file not written: '" + p + name + "'"),
                  std::string::npos)
            << out;
        EXPECT_FALSE(FileExists(Utf8ToWide(p + name))) << name;
    }
}

TEST(CamDriver, UnreadableProjectFails) {
    std::string out;
    EXPECT_NE(RunDriver("/nonexistent/x.circuit /tmp", &out), 0);
    EXPECT_NE(RunDriver("", &out), 0);
}
