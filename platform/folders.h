// The folders the program works in, as full paths with '/' and without a
// trailing separator.
#pragma once

#include <string>

// The user's Documents folder: $VORPEL_DOCUMENTS_HOME when set (tests), else
// the desktop's standard location, else $HOME/Documents.
std::wstring DocumentsFolder();

// The per-user configuration folder holding the settings file:
// $VORPEL_CONFIG_HOME when set, else $XDG_CONFIG_HOME/vorpel, else
// $HOME/.config/vorpel. Read from the environment on every call so that tests
// can point it elsewhere. The folder is not created here.
std::wstring ConfigFolder();

// A folder for scratch files ($TMPDIR, else /tmp).
std::wstring TempFolder();

// The folder of the running program's executable.
std::wstring ExecutableFolder();
