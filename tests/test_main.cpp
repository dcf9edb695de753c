// Entry point of every test program: a scratch configuration folder so that
// tests never touch the user's settings, and the application object on the
// X server that ctest starts for the program (scripts/on_x_server.sh); run by
// hand without a display, the program falls back to the offscreen platform.
#include "platform/application.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string scratch = "/tmp/vorpel-test-XXXXXX";
    if (mkdtemp(scratch.data()))
        setenv("VORPEL_CONFIG_HOME", scratch.c_str(), 1);
    PlatformInitApplication(argc, argv);
    // Two pictures of the screen a moment apart must not differ by a blink.
    PlatformSteadyCarets();
    int rc = RUN_ALL_TESTS();
    PlatformShutdownApplication();
    std::string cleanup = "rm -rf '" + scratch + "'";
    if (std::system(cleanup.c_str()) != 0)
        rc = rc ? rc : 0;
    return rc;
}
