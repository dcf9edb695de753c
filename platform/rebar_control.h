// A rebar ("ReBarWindow32"): the frame's toolbar area, holding bands in
// rows. Each band carries one child window (a toolbar or the menu bar),
// placed from left to right in its row; a band with the break flag starts a
// new row. Hidden bands take no room. The rebar's height is the sum of its
// rows' heights; when it changes, the rebar sends its parent WM_NOTIFY with
// RBN_HEIGHTCHANGE. A band whose toolbar does not fit shows a chevron at its
// right end; clicking it offers the clipped buttons in a popup menu, and the
// chosen one is clicked.
#pragma once

#include "platform/window.h"

#include <vector>

class ToolBarControl;

constexpr UINT RBN_HEIGHTCHANGE = static_cast<UINT>(-831);

struct ReBarBand {
    unsigned id = 0;
    PlatformWindow* child = nullptr;
    bool newRow = false; // starts a new row
    bool visible = true;
    int minWidth = 0;   // the band's narrowest width
    int idealWidth = 0; // what the child would like; 0: its width
};

class ReBarControl : public PlatformWindow {
public:
    static constexpr int kGripperWidth = 8;
    static constexpr int kChevronWidth = 14;
    static constexpr int kBandGap = 4;

    ~ReBarControl() override;

    // Adds a band at the end; the child becomes a child of the rebar.
    int InsertBand(const ReBarBand& band);
    int GetBandCount() const { return static_cast<int>(bands_.size()); }
    const ReBarBand& GetBand(int index) const { return bands_[static_cast<size_t>(index)]; }
    // The index of the band with that id, -1 when none.
    int IdToIndex(unsigned id) const;
    bool ShowBand(int index, bool show);
    bool IsBandVisible(int index) const;
    // The band's rectangle and its chevron (empty when it has none).
    RECT GetBandRect(int index) const;
    RECT GetChevronRect(int index) const;
    int GetBarHeight() const { return height_; }
    // Places the bands for the current width and returns the new height.
    int Layout();
    // The chevron's menu of clipped buttons, as a click on it shows.
    void ShowChevronMenu(int index);

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int BandWidth(const ReBarBand& band) const;
    int ChildHeight(const ReBarBand& band) const;
    void Paint();

    std::vector<ReBarBand> bands_;
    std::vector<RECT> rects_;
    std::vector<bool> chevrons_;
    int height_ = 0;
};
