// The start-up benchmark's baseline: a window of the given size shown and
// painted once, then a line on standard output.
#include "platform/application.h"
#include "platform/bare_window.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    int width = argc > 2 ? std::atoi(argv[1]) : 1280;
    int height = argc > 2 ? std::atoi(argv[2]) : 800;
    PlatformInitApplication(argc, argv);
    int status = ShowBareWindowUntilPainted(width, height);
    std::printf("painted\n");
    std::fflush(stdout);
    PlatformShutdownApplication();
    return status;
}
