// The open-file and save-file dialogs. Filters come in pairs of a
// description and its patterns ("Gerber Files (*.gbr)" / "*.gbr"; several
// patterns separated by ';'). Tests answer through a hook; otherwise a Qt
// file dialog asks the user.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class PlatformWindow;

struct FileDialogRequest {
    PlatformWindow* owner = nullptr;
    std::wstring title; // empty: the dialog's own ("Open" / "Save As")
    std::vector<std::pair<std::wstring, std::wstring>> filters;
    // In: the filter shown first, 1-based; out: the one chosen.
    int filterIndex = 1;
    // In: the name preset in the file-name box; out: the chosen full path.
    std::wstring fileName;
    std::wstring initialDir;
    // Appended, after a ".", to a chosen name without an extension.
    std::wstring defaultExt;
    // Save: ask before replacing an existing file. Open: the file must exist.
    bool overwritePrompt = false;
    bool fileMustExist = false;
};

enum class FileDialogKind { Open, Save };

// True when the user chose a file; request->fileName then holds its path.
bool GetOpenFileName(FileDialogRequest* request);
bool GetSaveFileName(FileDialogRequest* request);

// Answers in place of the dialog: returns true with request.fileName set to
// the chosen path, or false for Cancel. The default extension and, for save
// dialogs, the overwrite question (a message box through the ui hooks) are
// still applied to a hook's answer. Returns the hook in force before.
using FileDialogHook = std::function<bool(FileDialogKind kind, FileDialogRequest& request)>;
FileDialogHook SetFileDialogHook(FileDialogHook hook);
