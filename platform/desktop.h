// Handing a document to the desktop: a local file opened in the program the
// desktop uses for it (an HTML page in the web browser). Tests answer
// through a hook.
#pragma once

#include <functional>
#include <string>

// True when the desktop started a program for the file (a full path).
bool OpenFileWithDesktop(const std::wstring& path);

// Answers in place of the desktop: true when "opened". Returns the hook in
// force before.
using OpenFileHook = std::function<bool(const std::wstring& path)>;
OpenFileHook SetOpenFileHook(OpenFileHook hook);
