// A status bar ("msctls_statusbar32") at the bottom of a frame: panes of
// text separated by sunken edges, the last one ending at the size grip.
// SetParts gives the right edge of each pane (-1: up to the grip); pane 0
// usually takes what the others leave. SB_SETTEXTW (wParam pane, lParam a
// const wchar_t*) sets a pane's text as SetText does.
#pragma once

#include "platform/window.h"

#include <string>
#include <vector>

constexpr uint32_t SBARS_SIZEGRIP = 0x0100;

class StatusBarControl : public PlatformWindow {
public:
    static constexpr int kHeight = 22;
    static constexpr int kGripSize = 16;
    static constexpr int kBorder = 2;

    ~StatusBarControl() override;

    // Right edges in client pixels, one per pane; -1 for the last pane means
    // "to the right end". Texts of panes kept are kept.
    bool SetParts(const std::vector<int>& rightEdges);
    int GetPartCount() const { return static_cast<int>(edges_.size()); }
    const std::vector<int>& GetParts() const { return edges_; }
    bool SetText(int pane, const std::wstring& text);
    std::wstring GetText(int pane) const;
    // The pane's rectangle in client coordinates (empty out of range).
    RECT GetRect(int pane) const;
    // The pane under a client point, -1 for none.
    int HitTest(POINT client) const;
    // A text's width in the bar's font plus the pane's margins.
    int PaneWidthFor(const std::wstring& text) const;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();

    std::vector<int> edges_;
    std::vector<std::wstring> texts_;
};
