// Program entry: vorpel [FILE] opens the main window with the document named
// on the command line. Without a display the program runs on the offscreen
// platform instead: it opens the document, writes a picture of the main
// window to pictures/main-window.png beside the program's folder (so
// build/pictures/ for build/bin/vorpel) and exits.
#include "core/vorpel_view.h"
#include "platform/application.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/text.h"
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

// The arguments as one command line, words with blanks quoted.
std::wstring CommandLineOf(int argc, char** argv) {
    std::wstring line;
    for (int i = 1; i < argc; ++i) {
        std::wstring word = Utf8ToWide(argv[i]);
        if (!line.empty())
            line += L' ';
        if (word.find(L' ') != std::wstring::npos || word.find(L'\t') != std::wstring::npos)
            line += L'"' + word + L'"';
        else
            line += word;
    }
    return line;
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
    int status = 0;
    if (image->SavePng(path)) {
        std::printf("vorpel: wrote %s\n", WideToUtf8(path).c_str());
    } else {
        std::printf("vorpel: cannot write %s\n", WideToUtf8(path).c_str());
        status = 1;
    }
    g_MainFrame.DestroyWindow();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    bool offscreen = IsOffscreen();
    if (!HasDisplay() && !offscreen) {
        std::printf("vorpel: no display; running on the offscreen platform and writing a "
                    "picture of the main window instead\n");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        offscreen = true;
    }
    PlatformInitApplication(argc, argv);
    RegisterEditorViews();
    const std::wstring commandLine = CommandLineOf(argc, argv);
    int status = offscreen ? RunOffscreen(commandLine) : Run(commandLine);
    PlatformShutdownApplication();
    return status;
}
