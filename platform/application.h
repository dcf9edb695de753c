// Process-wide start-up of the platform layer: the Qt application object and
// the folders the program works in.
#pragma once

// Creates the application object once (GUI-capable; tests run it on the
// offscreen platform). Safe to call more than once.
void PlatformInitApplication(int& argc, char** argv);

// Destroys the application object; call before main returns (Qt must not be
// torn down by static destructors).
void PlatformShutdownApplication();

// Carets stop blinking (they stay shown): for tests that compare pictures
// of the screen taken a moment apart.
void PlatformSteadyCarets();

// True once PlatformInitApplication has run.
bool PlatformIsInitialised();

// Runs the event loop until the last window closes or PlatformQuit is called;
// returns the exit code.
int PlatformRunEventLoop();
void PlatformQuit(int exitCode);
