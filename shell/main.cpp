// Program entry: vorpel [FILE] opens the main window with the document named
// on the command line. Without a display, or with QT_QPA_PLATFORM=offscreen,
// the program runs on the offscreen platform instead and says so on standard
// error: it opens the document, writes a picture of the main window to
// pictures/main-window.png beside the program's folder (so build/pictures/
// for build/bin/vorpel) and exits, with 1 when the document could not be
// read. The command line is read as the command-line tools read theirs
// (shell/command_line_tool.h).
#include "core/vorpel_view.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/text.h"
#include "shell/command_line_tool.h"
#include "shell/main_frame.h"
#include "views/editor_views.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

bool IsOffscreen() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && std::strncmp(platform, "offscreen", 9) == 0;
}

const char kHelp[] = "Opens the main window with the document FILE: a project (.circuit), a\n"
                     "symbol library (.symbol) or a footprint library (.footprint).\n"
                     "Without a display, or with QT_QPA_PLATFORM=offscreen, it runs on the\n"
                     "offscreen platform: it opens the document, writes a picture of the main\n"
                     "window to pictures/main-window.png beside the program's folder and ends,\n"
                     "with 1 when the document could not be read.\n";

// The document as the main window's command line: quoted when it holds a
// blank, and a relative name that starts like an option with "./" before it.
std::wstring CommandLineOf(const CCommandLineTool& tool) {
    if (tool.Operands().empty())
        return L"";
    std::wstring word = tool.Path(0);
    if (!word.empty() && word[0] == L'-')
        word = L"./" + word;
    if (word.find(L' ') != std::wstring::npos || word.find(L'\t') != std::wstring::npos)
        return L'"' + word + L'"';
    return word;
}

std::wstring PicturePath() {
    return PathJoin(PathDirectory(ExecutableFolder()), L"pictures/main-window.png");
}

// The offscreen run: the window at a desktop size, painted once, written
// as a picture.
int RunOffscreen(const std::wstring& commandLine) {
    if (!g_MainFrame.CreateFrame(commandLine, RECT{0, 0, 1280, 800}))
        return 1;
    g_MainFrame.ShowWindow(true);
    WaitForFirstPaint(&g_MainFrame);
    // The start-up benchmark: a line once the first frame is painted.
    if (std::getenv("VORPEL_EXIT_AFTER_FIRST_PAINT")) {
        std::printf("painted\n");
        std::fflush(stdout);
        g_MainFrame.DestroyWindow();
        return 0;
    }
    PumpPendingMessages();
    RunIdleHandlers();
    PumpPendingMessages();
    RECT c = g_MainFrame.GetClientRect();
    auto image = PaintTarget::CreateImage(c.right, c.bottom);
    g_MainFrame.RenderTo(*image);
    const std::wstring path = PicturePath();
    CreateDirectories(PathDirectory(path));
    int status = kToolSucceeded;
    if (image->SavePng(path)) {
        std::printf("vorpel: wrote %s\n", WideToUtf8(path).c_str());
    } else {
        std::fprintf(stderr, "vorpel: cannot write %s\n", WideToUtf8(path).c_str());
        status = kToolFailed;
    }
    if (g_MainFrame.CommandLineDocumentFailed())
        status = kToolFailed;
    g_MainFrame.DestroyWindow();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    CCommandLineTool tool("vorpel", "[FILE]", kHelp, 0, 1);
    if (!tool.Parse(argc, argv) ||
        (!tool.Operands().empty() &&
         (!tool.RequireNotEmpty(0, "file name") || !tool.RequireNotFolder(0))))
        return tool.ExitStatus();
    bool offscreen = IsOffscreen();
    const char* why = "QT_QPA_PLATFORM is offscreen";
    if (!HasDisplay() && !offscreen) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        offscreen = true;
        why = "no display";
    }
    if (offscreen) {
        tool.Report(std::string(why) +
                    "; running on the offscreen platform and writing a picture of the main "
                    "window instead");
        // No one sees a message box there; the status bar is in the picture.
        tool.ReportMessageBoxes();
        g_MainFrame.SetReadFailureReport(
            [&tool](const std::wstring& path, const std::wstring& reason) {
                tool.Report(WideToUtf8(path) + ": " + WideToUtf8(reason));
            });
    }
    // Qt reads no word of the command line: it outlives the application.
    static int qtArgc = 1;
    PlatformInitApplication(qtArgc, argv);
    RegisterEditorViews();
    const std::wstring commandLine = CommandLineOf(tool);
    int status = offscreen ? RunOffscreen(commandLine) : Run(commandLine);
    PlatformShutdownApplication();
    return status;
}
