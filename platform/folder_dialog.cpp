#include "platform/folder_dialog.h"

#include "platform/text.h"
#include "platform/window_impl.h"

#include <QFileDialog>
#include <QGuiApplication>

#include <cstdio>

namespace {
FolderDialogHook g_hook;
} // namespace

FolderDialogHook SetFolderDialogHook(FolderDialogHook hook) {
    FolderDialogHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

bool BrowseForFolder(FolderDialogRequest* r) {
    if (!r)
        return false;
    std::wstring chosen;
    if (g_hook) {
        FolderDialogRequest answer = *r;
        if (!g_hook(answer))
            return false;
        chosen = answer.folder;
    } else {
        QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
            std::fprintf(stderr, "folder dialog \"%s\": nobody to answer it here; cancelled\n",
                         WideToUtf8(r->title).c_str());
            return false;
        }
        QWidget* parent =
            r->owner && r->owner->Impl() ? r->owner->Impl()->widget->window() : nullptr;
        QString dir;
        {
            ToolkitModalScope giveBack;
            dir = QFileDialog::getExistingDirectory(parent, QString::fromStdWString(r->title),
                                                    QString::fromStdWString(r->folder),
                                                    QFileDialog::ShowDirsOnly);
        }
        chosen = dir.toStdWString();
    }
    // Only a folder that can be named by its full path is taken.
    if (chosen.empty() || chosen[0] != L'/')
        return false;
    r->folder = chosen;
    return true;
}
