#include "platform/file_dialog.h"

#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "platform/window_impl.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {
FileDialogHook g_hook;

// "Desc" + "*.a;*.b" -> "Desc (*.a *.b)"; the pattern list is added when
// the description does not already show it.
QStringList QtFilters(const FileDialogRequest& r) {
    QStringList out;
    for (const auto& [desc, pattern] : r.filters) {
        QString patterns =
            QString::fromStdWString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        QString d = QString::fromStdWString(desc);
        int open = d.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            d = d.left(open).trimmed();
        out << d + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    return out;
}

bool HasExtension(const std::wstring& path) {
    size_t slash = path.find_last_of(L"/\\");
    size_t dot = path.find_last_of(L'.');
    return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash + 1);
}

void ApplyDefaultExtension(FileDialogRequest& r) {
    if (!r.defaultExt.empty() && !r.fileName.empty() && !HasExtension(r.fileName))
        r.fileName += L"." + r.defaultExt;
}

bool Run(FileDialogKind kind, FileDialogRequest* r) {
    if (!r)
        return false;
    if (g_hook) {
        if (!g_hook(kind, *r) || r->fileName.empty())
            return false;
        ApplyDefaultExtension(*r);
        if (kind == FileDialogKind::Save && r->overwritePrompt &&
            QFileInfo::exists(QString::fromStdWString(r->fileName))) {
            std::wstring name = r->fileName.substr(r->fileName.find_last_of(L"/\\") + 1);
            return ShowMessageBox(name + L" already exists.\nDo you want to replace it?",
                                  r->title.empty() ? L"Save As" : r->title,
                                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
        }
        if (kind == FileDialogKind::Open && r->fileMustExist &&
            !QFileInfo::exists(QString::fromStdWString(r->fileName)))
            return false;
        return true;
    }
    QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        std::fprintf(stderr, "file dialog \"%s\": nobody to answer it here; cancelled\n",
                     WideToUtf8(r->title).c_str());
        return false;
    }
    QWidget* parent = r->owner && r->owner->Impl() ? r->owner->Impl()->widget->window() : nullptr;
    QFileDialog dialog(parent, QString::fromStdWString(r->title));
    dialog.setAcceptMode(kind == FileDialogKind::Save ? QFileDialog::AcceptSave
                                                      : QFileDialog::AcceptOpen);
    dialog.setFileMode(kind == FileDialogKind::Open && r->fileMustExist ? QFileDialog::ExistingFile
                                                                        : QFileDialog::AnyFile);
    if (!r->overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters = QtFilters(*r);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = r->filterIndex - 1;
        if (index >= 0 && index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    if (!r->defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdWString(r->defaultExt));
    if (!r->initialDir.empty())
        dialog.setDirectory(QString::fromStdWString(r->initialDir));
    if (!r->fileName.empty())
        dialog.selectFile(QString::fromStdWString(r->fileName));
    int answer = 0;
    {
        ToolkitModalScope giveBack;
        answer = dialog.exec();
    }
    if (answer != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    r->fileName = dialog.selectedFiles().front().toStdWString();
    r->filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}
} // namespace

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    FileDialogHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

bool GetOpenFileName(FileDialogRequest* request) {
    return Run(FileDialogKind::Open, request);
}

bool GetSaveFileName(FileDialogRequest* request) {
    return Run(FileDialogKind::Save, request);
}
