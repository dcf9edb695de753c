// Dialogs: a window built from a DialogTemplate, its controls addressed by
// id. A dialog class derives from PlatformDialog, handles WM_INITDIALOG and
// WM_COMMAND in its ProcessWindowMessage and ends itself with EndDialog.
//
// Keyboard: Enter sends WM_COMMAND (default button id, BN_CLICKED) - the
// focused push button's id when a push button has the focus -, Esc sends
// WM_COMMAND (IDCANCEL, BN_CLICKED), Tab and Shift+Tab move the focus among
// WS_TABSTOP controls; an open drop-down list keeps Enter and Esc for itself.
// IDOK and IDCANCEL that the dialog class leaves unhandled end the dialog
// with their id, and closing the window counts as IDCANCEL.
//
// Modal runs never block where nobody can answer: a test installs a modal
// hook that receives each initialised dialog and drives it through messages
// and simulated input until something calls EndDialog. Without a hook a real
// display runs a nested event loop; the offscreen platform reports the
// dialog on stderr and ends it with IDCANCEL.
#pragma once

#include "platform/dialog_template.h"
#include "platform/window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

constexpr UINT WM_INITDIALOG = 0x0110;

class PlatformDialog : public PlatformWindow {
public:
    explicit PlatformDialog(DialogTemplate tmpl);
    ~PlatformDialog() override;

    // Creates the dialog owned by parent, sends WM_INITDIALOG (lParam =
    // initParam) and runs it until EndDialog; answers the id given to
    // EndDialog, -1 when the dialog could not be created.
    int DoModal(PlatformWindow* parent = nullptr, LPARAM initParam = 0);
    // Modeless: creates the dialog (inside parent for a child template) and
    // sends WM_INITDIALOG. The owner destroys it with DestroyWindow.
    bool Create(PlatformWindow* parent, LPARAM initParam = 0);
    // Ends a modal run with result (a modeless dialog is hidden).
    void EndDialog(int result);
    bool IsEnded() const { return ended_; }
    int GetResult() const { return result_; }
    bool IsModal() const { return modal_; }
    const DialogTemplate& Template() const { return tmpl_; }

    // Dialog units to pixels with the dialog font's base units (measured
    // from the font: average letter width and line height).
    RECT MapDialogRect(const RECT& dialogUnits) const;
    static SIZE GetDialogBaseUnits(const WindowFont& font = WindowFont{});
    // A length in pixels that dialog code gives for the face the templates
    // were laid out for (base units 6 x 13), scaled to a dialog in font:
    // list column widths, which would otherwise cut their headers.
    static int MapTemplatePixels(const WindowFont& font, int pixels);
    // The width of a list column whose template width is pixels: scaled to
    // the list's font, and widened where the header would cut its title.
    static int MapColumnWidth(const PlatformWindow& list, const std::wstring& title, int pixels);
    // Centres the dialog over parent (its owner when null).
    void CenterWindow(PlatformWindow* parent = nullptr);

    template <class T> T* GetDlgItemAs(int id) const { return dynamic_cast<T*>(GetDlgItem(id)); }
    bool SetDlgItemText(int id, const std::wstring& text);
    std::wstring GetDlgItemText(int id) const;
    bool SetDlgItemInt(int id, int value, bool isSigned = true);
    // Blanks around one decimal integer; *ok false (and 0) for anything else.
    int GetDlgItemInt(int id, bool* ok = nullptr, bool isSigned = true) const;
    bool CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    // Checks checkId and clears the other radio buttons with ids firstId..lastId.
    bool CheckRadioButton(int firstId, int lastId, int checkId);
    bool EnableDlgItem(int id, bool enable);
    // Moves the focus to a control; an edit gets its whole text selected.
    void GotoDlgCtrl(PlatformWindow* control);
    void GotoDlgCtrl(int id) { GotoDlgCtrl(GetDlgItem(id)); }
    // The next (or previous) enabled, visible WS_TABSTOP control, wrapping.
    PlatformWindow* GetNextDlgTabItem(PlatformWindow* control, bool previous = false) const;
    // The next (or previous) enabled, visible control of control's group, wrapping.
    PlatformWindow* GetNextDlgGroupItem(PlatformWindow* control, bool previous = false) const;
    int GetDefID() const { return defId_; }
    void SetDefID(int id) { defId_ = id; }

    // Data exchange between controls and members: save true reads the
    // control into the member, false shows the member. A failure calls
    // OnDataExchangeError and answers false.
    bool DDX_Text(int id, std::wstring& value, bool save);
    // An unreadable integer is stored as 0 (and fails).
    bool DDX_Int(int id, int& value, bool save);
    bool DDX_UInt(int id, uint32_t& value, bool save);
    // Check boxes as 0, 1 (2 indeterminate); a member outside 0..2 is reset
    // to 0 before it is shown.
    bool DDX_Check(int id, int& value, bool save);
    // A radio group as the position of its checked button among the group's
    // radio buttons (counted from firstId's group start), -1 when none.
    bool DDX_Radio(int firstId, int& value, bool save);
    // The selection index of a combo box (-1 none).
    bool DDX_ComboIndex(int id, int& value, bool save);
    // A dialog's whole exchange, in its own order; false stops at a failure.
    virtual bool DoDataExchange(bool save);
    bool UpdateData(bool save) { return DoDataExchange(save); }
    // A rejected entry: the plain beep and the focus into the control.
    virtual void OnDataExchangeError(int id, bool save);

    bool PreTranslateMessage(Message* msg) override;

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CreateNativeWidget(WindowImpl& impl) override;
    // The window of one table entry, not yet created. A dialog returns its
    // own class for an entry it drives itself (a list drawing its rows, a
    // picture); null gives the standard control of the entry's kind.
    virtual std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item);
    // A dialog that lays itself out before it runs (a property sheet) sets
    // its table here; the next creation uses it.
    void SetTemplate(DialogTemplate tmpl) { tmpl_ = std::move(tmpl); }
    // WM_COMMAND (id, BN_CLICKED) as a press of the control would send it;
    // a disabled control only beeps.
    void SendCommand(int id);
    // True when w or a window it belongs to is an open drop-down list.
    bool IsDroppedCombo(PlatformWindow* w) const;

private:
    bool CreateDialogWindow(PlatformWindow* parent, LPARAM initParam);
    bool CreateControls();

    DialogTemplate tmpl_;
    std::vector<std::unique_ptr<PlatformWindow>> controls_;
    int result_ = 0;
    int defId_ = 1; // IDOK
    bool ended_ = false;
    bool modal_ = false;
    std::function<void()> quitLoop_;
};

// Called with each modal dialog after WM_INITDIALOG; tests drive the dialog
// from it. Returns the hook in force before.
using ModalDialogHook = std::function<void(PlatformDialog& dialog)>;
ModalDialogHook SetModalDialogHook(ModalDialogHook hook);

// While alive, answers modal dialogs with a hook; restores the one before.
class ScopedModalDialogHook {
public:
    explicit ScopedModalDialogHook(ModalDialogHook hook)
        : previous_(SetModalDialogHook(std::move(hook))) {}
    ~ScopedModalDialogHook() { SetModalDialogHook(std::move(previous_)); }
    ScopedModalDialogHook(const ScopedModalDialogHook&) = delete;
    ScopedModalDialogHook& operator=(const ScopedModalDialogHook&) = delete;

private:
    ModalDialogHook previous_;
};

// The top-level window of the keyboard focus, the owner of dialogs opened by
// commands; null when no window has the focus.
PlatformWindow* GetActiveWindow();
