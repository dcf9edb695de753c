// Message boxes, the beep and status-bar texts. Model and view code call the
// functions below; what they do is a set of replaceable hooks: the window
// layer installs the real ones, tests install a recorder
// (tests/ui_hooks_recorder.h) that sees every call and answers with scripted
// buttons. Without hooks, a message box is a Qt dialog when a real display
// runs, else a line on stderr answered with the default button.
#pragma once

#include <functional>
#include <string>

// Message box style bits (the usual values, so that style words read as the
// callers know them): buttons in the low nibble, icon in the next, default
// button in the next.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONERROR = 0x10; // also "stop" and "hand"
constexpr unsigned MB_ICONSTOP = MB_ICONERROR;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30; // also "exclamation"
constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_DEFMASK = 0xF00;

// Button ids a message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The beep kinds (the icon bits of a message box; 0xFFFFFFFF the plain beep).
constexpr unsigned kSimpleBeep = 0xFFFFFFFFu;

struct MessageBoxRequest {
    std::wstring text;
    std::wstring caption;
    unsigned style = MB_OK;
    unsigned Buttons() const { return style & MB_TYPEMASK; }
    unsigned Icon() const { return style & MB_ICONMASK; }
};

struct UiHooks {
    // Shows the box and answers the id of the button pressed.
    std::function<int(const MessageBoxRequest&)> messageBox;
    std::function<void(unsigned kind)> beep;
    // Sets the text of one status-bar pane (0 the message pane).
    std::function<void(int pane, const std::wstring& text)> statusText;
};

// Shows a message box through the hooks; answers IDOK, IDCANCEL, IDYES, ...
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned style = MB_OK);
void MessageBeep(unsigned kind = kSimpleBeep);
void SetStatusText(int pane, const std::wstring& text);

// Installs hooks; an empty function restores that hook's default. Returns the
// hooks in force before, for putting them back.
UiHooks SetUiHooks(UiHooks hooks);
const UiHooks& GetUiHooks();

// The id of the default button of a style: the first button unless
// MB_DEFBUTTON2/3 names another that the style has.
int DefaultMessageBoxAnswer(unsigned style);
// The ids of a style's buttons, in order (for example IDYES, IDNO, IDCANCEL).
int MessageBoxButtonIds(unsigned style, int ids[3]);
