// The vorpel-cam driver: every file of the example board, messages on
// standard error, and the exit status.
#include "board/board.h"
#include "cam/gerber_export.h"
#include "cam/layer_select.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/dialog.h"
#include "schematic/text.h"
#include "tests/cam/gerber_test_util.h"
#include "tests/run_command.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace {

int RunDriver(const std::string& args, std::string* output) {
    return RunCommand(std::string(VORPEL_BINARY_DIR "/bin/vorpel-cam ") + args, output);
}

// The driver with every file it writes limited to limit bytes: a write
// beyond fails (the signal that would end the process is ignored).
int RunDriverLimited(const std::string& args, int limit, std::string* output) {
    return RunCommand("trap '' XFSZ; prlimit --fsize=" + std::to_string(limit) +
                          " " VORPEL_BINARY_DIR "/bin/vorpel-cam " + args,
                      output);
}

const char* const kExampleFiles[] = {
    "TOP.gbr",         "BOT.gbr", "I01.gbr",   "I02.gbr",          "SST.gbr",
    "SSB.gbr",         "AST.gbr", "ASB.gbr",   "SMT.gbr",          "SMB.gbr",
    "SPT.gbr",         "SPB.gbr", "BOARD.gbr", "drill.plated.drl", "drill.non-plated.drl",
    "mill.plated.drl", "bom.csv"};

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
    for (const char* name : kExampleFiles)
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
    // A plain file where the output folder should be: one message for the
    // folder, none for each file.
    ASSERT_TRUE(WriteWholeFile(Utf8ToWide(dir.path + "/blocked"), "x"));
    std::string out;
    EXPECT_EQ(RunDriver(std::string("'" VORPEL_SOURCE_DIR "/examples/demo.circuit' '") + dir.path +
                            "/blocked'",
                        &out),
              1);
    EXPECT_EQ(out, "vorpel-cam: " + dir.path + "/blocked: cannot make the folder\n");
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
        EXPECT_NE(out.find(std::string("vorpel-cam: Invalid aperture or drill size ") + size +
                           " mm, file not written: '" + p + name + "'"),
                  std::string::npos)
            << out;
        EXPECT_FALSE(FileExists(Utf8ToWide(p + name))) << name;
    }
}

// Files cut short by a size limit: each is reported by name and none is left,
// under its own name or a temporary one; those within the limit are whole.
TEST(CamDriver, FilesCutShortAreReportedAndNotLeft) {
    for (int limit : {100, 1024}) {
        SCOPED_TRACE(limit);
        ScratchDir dir;
        std::string out;
        EXPECT_EQ(RunDriverLimited(std::string("'" VORPEL_SOURCE_DIR "/examples/demo.circuit' '") +
                                       dir.path + "/out'",
                                   limit, &out),
                  1)
            << out;
        const std::string p = dir.path + "/out/demo.Mainboard.";
        size_t kept = 0;
        for (const char* name : kExampleFiles) {
            const std::string bytes = ReadBytes(p + name);
            const bool reported =
                out.find(std::string("File save error ") + p + name + "'") != std::string::npos;
            const std::string end = std::string(name).ends_with(".gbr")   ? "M02*\r\n"
                                    : std::string(name).ends_with(".drl") ? "M30\r\n"
                                                                          : "\r\n";
            EXPECT_TRUE(reported ? !FileExists(Utf8ToWide(p + name)) : bytes.ends_with(end))
                << name << "\n"
                << out;
            kept += reported ? 0 : 1;
        }
        EXPECT_NE(out.find("vorpel-cam: File save error " + p + "TOP.gbr'"), std::string::npos);
        // Every file is longer than 100 bytes; the bill of materials is not
        // longer than 1024.
        EXPECT_EQ(kept == 0, limit == 100);
        EXPECT_EQ(ListDirectory(Utf8ToWide(dir.path + "/out")).size(), kept) << out;
    }
}

// A second run over files of the first: a file a symbolic link stands for is
// written where the link leads, and every file keeps its permissions.
TEST(CamDriver, ARunOverEarlierFilesKeepsTheirLinksAndPermissions) {
    ScratchDir dir;
    const std::string args =
        std::string("'" VORPEL_SOURCE_DIR "/examples/demo.circuit' '") + dir.path + "/out'";
    std::string out;
    ASSERT_EQ(RunDriver(args, &out), 0) << out;
    const std::string p = dir.path + "/out/demo.Mainboard.";
    const std::string elsewhere = dir.path + "/kept.gbr";
    ASSERT_TRUE(WriteWholeFile(Utf8ToWide(elsewhere), "old"));
    ASSERT_EQ(::chmod(elsewhere.c_str(), 0640), 0);
    ASSERT_EQ(::unlink((p + "BOT.gbr").c_str()), 0);
    ASSERT_EQ(::symlink("../kept.gbr", (p + "BOT.gbr").c_str()), 0);
    ASSERT_EQ(::chmod((p + "TOP.gbr").c_str(), 0604), 0);
    ASSERT_EQ(RunDriver(args, &out), 0) << out;
    struct stat st {};
    ASSERT_EQ(::lstat((p + "BOT.gbr").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(ReadBytes(elsewhere).ends_with("M02*\r\n"));
    ASSERT_EQ(::stat(elsewhere.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(::stat((p + "TOP.gbr").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_TRUE(ReadBytes(p + "TOP.gbr").ends_with("M02*\r\n"));
}

TEST(CamDriver, UnreadableProjectFails) {
    std::string out;
    EXPECT_EQ(RunDriver("/nonexistent/x.circuit /tmp", &out), 1);
    EXPECT_EQ(RunDriver("", &out), 2);
}

// A new project's board with free texts on the silkscreen and assembly layers
// where clicks put them, at positions of more digits than the file keeps:
// the program's Gerber command and vorpel-cam on the saved file write the
// same files, byte for byte (a drill file's first line names it with its
// folder).
TEST(CamDriver, TheGerberCommandWritesWhatTheDriverWritesFromTheSavedProject) {
    ScratchDir dir;
    CRoot root;
    root.SetRootTag(L"Project");
    auto* board = new CBoard();
    board->SetText(L"New Board");
    board->CreateDefaultOutline();
    root.AddChild(board);
    const struct {
        int layer;
        float x, y, rotation;
    } texts[] = {{kLayerSilkscreenTop, 12.3456789f, 7.65432198f, 0},
                 {kLayerSilkscreenBottom, 48.7654321f, 21.2345678f, 90},
                 {kLayerAssemblyTop, 71.1111111f, 33.3333333f, 33.3333333f},
                 {kLayerAssemblyBottom, 3.14159265f, 42.7182818f, 270}};
    for (const auto& t : texts) {
        auto* text = new CText(L"R12 C7 U3 Vorpel 0123456789");
        text->m_visible = true;
        text->m_boardVisible = true;
        text->SetLayer(t.layer);
        text->m_boardPosition = PointF{t.x, t.y};
        text->m_rotation = t.rotation;
        board->AddChild(text);
    }
    const std::string project = dir.path + "/p.circuit";
    CXmlFile file(&root);
    ASSERT_TRUE(file.Save(Utf8ToWide(project).c_str()));

    ScopedUiHooksRecorder ui;
    {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            d.SetDlgItemText(CLayerSelect::kPrefix, Utf8ToWide(dir.path + "/gui/p"));
            d.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        ExportGerber(board);
    }
    EXPECT_TRUE(ui.messageBoxes.empty());
    // A board without parts has no bill of materials; the driver says so.
    std::string out;
    RunDriver("'" + project + "' '" + dir.path + "/cli'", &out);
    EXPECT_EQ(out, "vorpel-cam: No components found\n");

    std::vector<std::wstring> written = ListDirectory(Utf8ToWide(dir.path + "/gui"));
    std::sort(written.begin(), written.end());
    std::vector<std::wstring> expected = ListDirectory(Utf8ToWide(dir.path + "/cli"));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
    for (const std::wstring& name : written) {
        std::string gui = ReadBytes(dir.path + "/gui/" + WideToUtf8(name));
        std::string cli = ReadBytes(dir.path + "/cli/" + WideToUtf8(name));
        if (name.ends_with(L".drl")) {
            gui.erase(0, gui.find('\n'));
            cli.erase(0, cli.find('\n'));
        }
        EXPECT_TRUE(gui == cli) << WideToUtf8(name);
    }
    EXPECT_EQ(written.size(), 11u);
}
