// A tooltip ("tooltips_class32"): a small popup with one line of text shown
// near the mouse after it has rested over the owner window for a moment,
// hidden again when the mouse moves away, leaves or clicks. The owner
// relays its mouse messages (RelayEvent) and changes the text as the mouse
// moves over its parts; a deactivated tooltip shows nothing.
#pragma once

#include "platform/window.h"

#include <string>

class ToolTipControl : public PlatformWindow {
public:
    static constexpr unsigned kInitialDelayMs = 500;
    static constexpr uint64_t kShowTimer = 1;

    ToolTipControl() = default;
    ~ToolTipControl() override;

    // Creates the (hidden) popup for an owner window.
    bool CreateFor(PlatformWindow* owner);
    PlatformWindow* GetOwner() const { return owner_; }

    void Activate(bool active);
    bool IsActive() const { return active_; }
    void SetText(const std::wstring& text);
    const std::wstring& GetText() const { return text_; }

    // A mouse message (WM_MOUSEMOVE .. WM_MOUSEMOVE + 14): of the owner, a
    // move restarts the wait and hides a shown tip, buttons hide it; of any
    // other window, it hides the tip and ends the wait.
    void RelayEvent(const Message& msg);
    // Shows the tip now at a screen point (what the wait ends in).
    void Popup(POINT screen);
    void Hide();
    bool IsShown() const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    PlatformWindow* owner_ = nullptr;
    std::wstring text_;
    bool active_ = true;
    POINT lastScreen_;
};
