// A user at the keyboard of the test's own X server: while in scope, presses
// a key (an X key name such as "Escape" or "Return") every few tenths of a
// second through the window system, so it reaches whichever window has the
// focus. Tests use it where the program shows a window and waits on it with
// nobody else to answer. Does nothing on the offscreen platform.
#pragma once

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

inline bool OnRealDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return display && *display && !(platform && std::strncmp(platform, "offscreen", 9) == 0);
}

class ScopedKeyPresser {
public:
    explicit ScopedKeyPresser(const char* key) {
        if (!OnRealDisplay())
            return;
        const std::string loop =
            std::string("while :; do sleep 0.3; xdotool key ") + key + " 2>/dev/null; done";
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            execl("/bin/sh", "sh", "-c", loop.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid_ > 0)
            setpgid(pid_, pid_);
    }
    ~ScopedKeyPresser() {
        if (pid_ <= 0)
            return;
        kill(-pid_, SIGTERM); // the loop and the key press it may be running
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    ScopedKeyPresser(const ScopedKeyPresser&) = delete;
    ScopedKeyPresser& operator=(const ScopedKeyPresser&) = delete;

private:
    pid_t pid_ = -1;
};

// The titles the X server holds for its visible top-level windows, as a
// window manager would show them. Empty on the offscreen platform.
inline std::vector<std::string> VisibleWindowTitles() {
    std::vector<std::string> titles;
    if (!OnRealDisplay())
        return titles;
    FILE* out = popen("xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null", "r");
    if (!out)
        return titles;
    std::string line;
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        titles.push_back(line);
        line.clear();
    }
    pclose(out);
    return titles;
}
