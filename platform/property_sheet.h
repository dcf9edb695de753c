// Property sheets: a modal dialog with a tab strip, one page per tab, and
// the buttons OK, Cancel and Apply. Each page is a child dialog built from
// its own template, whose title labels its tab. A page is created the first
// time its tab is shown and then kept (hidden while another tab is shown)
// until the sheet closes; a page never shown is never created.
//
// What the sheet tells its pages:
// - OnSetActive: the page is now shown (after its WM_INITDIALOG the first
//   time).
// - OnKillActive: the page is about to be left, for another tab, OK or
//   Apply. Answering false keeps the page shown and the sheet open; the page
//   puts the focus where the user has to correct something.
// - OnApply: OK or Apply, to every created page in tab order, once the shown
//   page agreed to be left. Answering false keeps the sheet open on that page.
// - OnQueryCancel, then OnReset: Cancel (the button, Esc, closing the
//   window). A page may refuse the cancel; otherwise every created page
//   hears of the reset and the sheet closes.
// A page marks itself changed with SetModified; Apply is enabled while any
// page is marked, and a successful Apply clears the marks.
//
// Keyboard: Enter presses the focused push button (OK when the focus is
// elsewhere), Esc presses Cancel, Tab and Shift+Tab go round the tab strip,
// the shown page's controls and the buttons; Ctrl+Tab and Ctrl+Page Down
// show the next page, Ctrl+Shift+Tab and Ctrl+Page Up the previous one
// (subject to OnKillActive like a click on a tab).
#pragma once

#include "platform/dialog.h"

#include <string>
#include <vector>

class PropertySheet;
class TabControl;

class PropertyPage : public PlatformDialog {
public:
    // The template is made a child template.
    explicit PropertyPage(DialogTemplate tmpl);
    ~PropertyPage() override;

    // The sheet showing the page; null outside a sheet.
    PropertySheet* GetPropertySheet() const { return sheet_; }
    // Marks the page changed (or not); the sheet enables Apply accordingly.
    void SetModified(bool changed = true);
    bool IsModified() const { return modified_; }

    // The keyboard belongs to the sheet.
    bool PreTranslateMessage(Message*) override { return false; }

protected:
    friend class PropertySheet;
    virtual void OnSetActive() {}
    virtual bool OnKillActive() { return true; }
    virtual bool OnApply() { return true; }
    virtual bool OnQueryCancel() { return true; }
    virtual void OnReset() {}

private:
    PropertySheet* sheet_ = nullptr;
    bool modified_ = false;
};

class PropertySheet : public PlatformDialog {
public:
    // Ids of the sheet's own controls.
    enum : int { kTabControlId = 12320, kApplyId = 12321 };

    explicit PropertySheet(std::wstring caption, int startPage = 0);
    ~PropertySheet() override;

    // Pages are not owned; a page deleted before the sheet leaves it. Add
    // them before the sheet runs.
    void AddPage(PropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* GetPage(int index) const;
    int GetActiveIndex() const { return active_; }
    // The page shown first by the next run of the sheet.
    void SetStartPage(int index) { startPage_ = index; }
    PropertyPage* GetActivePage() const { return GetPage(active_); }
    int GetPageIndex(const PropertyPage* page) const;
    TabControl* GetTabControl() const;

    // Shows a page the way a click on its tab does: the shown page may
    // refuse to be left. True when the page is shown afterwards.
    bool SetActivePage(int index);

    bool PreTranslateMessage(Message* msg) override;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend class PropertyPage;
    void OnInitDialog();
    void Layout();
    // Hides the shown page and shows (creating it first when needed) the
    // page of index; the tab strip follows.
    bool ShowPage(int index);
    bool LeaveActivePage();
    bool Apply();
    void Cancel();
    void UpdateApplyButton();
    void MoveFocus(bool previous);
    bool IsOwnPage(const PlatformWindow* w) const;
    // A page being deleted leaves the sheet.
    void ForgetPage(PropertyPage* page);
    bool IsWindowEnabledId(int id) const;

    std::vector<PropertyPage*> pages_;
    std::vector<bool> created_;
    int startPage_ = 0;
    int active_ = -1;
    RECT pageRect_{};
};
