// The "Board colors" page of the Options sheet: the colours of the board
// objects and of the 32 layers, with a preview of a small board in them.
#pragma once

#include "dialogs/color_page.h"
#include "dialogs/vpl_data_exchange.h"

class Graphics;

class CBoardColors : public CColorPage, public CVplDataExchange<CBoardColors> {
public:
    // Entries of the colour list: background, origin, outline, grid,
    // airwire, drill, then one per board layer (entry 6 + layer id).
    static constexpr int kObjectEntries = 6;
    static constexpr int kEntryCount = kObjectEntries + 32;

    CBoardColors();
    ~CBoardColors() override;

    static const DialogTemplate& Resource();

    void PaintPreview(PaintTarget& target, const RECT& client) override;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnKillActive() override;
    COLORREF* EntryColor(int index) override;

private:
    void OnInitDialog();
    void DrawEntry(const DRAWITEMSTRUCT& dis);
    void DrawSample(Graphics& g) const;
};
