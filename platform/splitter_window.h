// A splitter window with two panes side by side and a vertical bar between
// them that the mouse drags (the panes follow while dragging). Resizing the
// splitter keeps the left pane's width; the right pane takes the rest. The
// panes are child windows of the splitter.
#pragma once

#include "platform/window.h"

class SplitterWindow : public PlatformWindow {
public:
    static constexpr int kDefaultBarWidth = 6;
    static constexpr int kMinPaneWidth = 20;

    ~SplitterWindow() override;

    void SetSplitterPanes(PlatformWindow* left, PlatformWindow* right);
    PlatformWindow* GetPane(int index) const { return index == 0 ? left_ : right_; }
    // The x of the bar's left edge in client coordinates, kept inside the
    // client area; the panes are placed again.
    void SetSplitterPos(int x);
    int GetSplitterPos() const { return pos_; }
    void SetBarWidth(int width) { bar_ = width; }
    int GetBarWidth() const { return bar_; }
    RECT GetBarRect() const;
    void UpdateLayout();

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Paint();

    PlatformWindow* left_ = nullptr;
    PlatformWindow* right_ = nullptr;
    int pos_ = 200;
    int bar_ = kDefaultBarWidth;
    bool dragging_ = false;
    int dragOffset_ = 0;
};
