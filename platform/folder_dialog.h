// The folder browser: the user picks a folder of the file system, starting
// at a given one. Tests answer through a hook; otherwise a Qt directory
// dialog asks the user.
#pragma once

#include <functional>
#include <string>

class PlatformWindow;

struct FolderDialogRequest {
    PlatformWindow* owner = nullptr;
    std::wstring title; // empty: the dialog's own
    // In: the folder selected and shown first; out: the chosen folder as a
    // full path.
    std::wstring folder;
};

// True when the user chose a folder; request->folder then holds it. A
// chosen folder that is not a full path counts as no choice.
bool BrowseForFolder(FolderDialogRequest* request);

// Answers in place of the dialog: true with request.folder set, or false for
// Cancel. Returns the hook in force before.
using FolderDialogHook = std::function<bool(FolderDialogRequest& request)>;
FolderDialogHook SetFolderDialogHook(FolderDialogHook hook);
