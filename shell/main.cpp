// Program entry. Until the main window exists the program's job is to load
// every example document, save it to a scratch folder and report what it read.
#include "platform/application.h"

#include <cstdio>

int main(int argc, char** argv) {
    PlatformInitApplication(argc, argv);
    std::printf("Vorpel\n");
    PlatformShutdownApplication();
    return 0;
}
