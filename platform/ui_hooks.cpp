#include "platform/ui_hooks.h"

#include "platform/text.h"
#include "platform/window_impl.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace {

UiHooks& Hooks() {
    static UiHooks hooks;
    return hooks;
}

// True when dialogs can be shown to a person.
bool HasRealDisplay() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

QMessageBox::StandardButton ToQt(int id) {
    switch (id) {
    case IDOK:
        return QMessageBox::Ok;
    case IDCANCEL:
        return QMessageBox::Cancel;
    case IDABORT:
        return QMessageBox::Abort;
    case IDRETRY:
        return QMessageBox::Retry;
    case IDIGNORE:
        return QMessageBox::Ignore;
    case IDYES:
        return QMessageBox::Yes;
    case IDNO:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

int DefaultMessageBox(const MessageBoxRequest& request) {
    int ids[3];
    int count = MessageBoxButtonIds(request.style, ids);
    int fallback = DefaultMessageBoxAnswer(request.style);
    if (!HasRealDisplay()) {
        std::fprintf(stderr, "[%s] %s\n", WideToUtf8(request.caption).c_str(),
                     WideToUtf8(request.text).c_str());
        return fallback;
    }
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdWString(request.caption));
    box.setText(QString::fromStdWString(request.text));
    switch (request.Icon()) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (int i = 0; i < count; ++i)
        buttons |= ToQt(ids[i]);
    box.setStandardButtons(buttons);
    box.setDefaultButton(ToQt(fallback));
    int answer = 0;
    {
        ToolkitModalScope giveBack;
        answer = box.exec();
    }
    for (int i = 0; i < count; ++i)
        if (answer == ToQt(ids[i]))
            return ids[i];
    // Closed with Esc or the title bar: Cancel when there is one, else the
    // only button of an OK box.
    for (int i = 0; i < count; ++i)
        if (ids[i] == IDCANCEL)
            return IDCANCEL;
    return count == 1 ? ids[0] : IDCANCEL;
}

void DefaultBeep(unsigned) {
    if (HasRealDisplay())
        QApplication::beep();
}

} // namespace

int MessageBoxButtonIds(unsigned style, int ids[3]) {
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        ids[0] = IDOK;
        ids[1] = IDCANCEL;
        return 2;
    case MB_ABORTRETRYIGNORE:
        ids[0] = IDABORT;
        ids[1] = IDRETRY;
        ids[2] = IDIGNORE;
        return 3;
    case MB_YESNOCANCEL:
        ids[0] = IDYES;
        ids[1] = IDNO;
        ids[2] = IDCANCEL;
        return 3;
    case MB_YESNO:
        ids[0] = IDYES;
        ids[1] = IDNO;
        return 2;
    case MB_RETRYCANCEL:
        ids[0] = IDRETRY;
        ids[1] = IDCANCEL;
        return 2;
    default:
        ids[0] = IDOK;
        return 1;
    }
}

int DefaultMessageBoxAnswer(unsigned style) {
    int ids[3];
    int count = MessageBoxButtonIds(style, ids);
    int index = static_cast<int>((style & MB_DEFMASK) >> 8);
    return ids[index < count ? index : 0];
}

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned style) {
    MessageBoxRequest request{text, caption, style};
    if (Hooks().messageBox)
        return Hooks().messageBox(request);
    return DefaultMessageBox(request);
}

void MessageBeep(unsigned kind) {
    if (Hooks().beep)
        Hooks().beep(kind);
    else
        DefaultBeep(kind);
}

void SetStatusText(int pane, const std::wstring& text) {
    // Without a status bar there is nowhere to show it.
    if (Hooks().statusText)
        Hooks().statusText(pane, text);
}

UiHooks SetUiHooks(UiHooks hooks) {
    UiHooks previous = std::move(Hooks());
    Hooks() = std::move(hooks);
    return previous;
}

const UiHooks& GetUiHooks() {
    return Hooks();
}
