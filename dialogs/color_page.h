// What the two colour pages of the Options sheet share: a list of colour
// entries, a preview of a sample drawing in those colours, the blink that
// shows which part of the sample an entry colours, the zoom buttons of the
// preview, the colour dialog on a double click and the palette files.
//
// Colours change in g_DefaultSettings at once; the pages store them when
// they are left. A blink inverts the chosen colour in the settings for
// 300 ms (timer 1052 of the page). At most one colour blinks: choosing
// another entry, opening the colour dialog, loading or saving a palette,
// leaving the page and closing the sheet all put a blinking colour back
// first, so an inverted colour is never kept or stored.
#pragma once

#include "platform/property_sheet.h"
#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PaintTarget;

class CColorPage : public PropertyPage {
public:
    enum ControlId : int {
        kList = 1061,
        kPreview = 1062,
        kLoadPalette = 1063,
        kSavePalette = 1064,
        kZoomIn = 1065,  // "+"
        kZoomOut = 1066, // "-"
    };
    static constexpr uint64_t kBlinkTimer = 1052;
    static constexpr unsigned kBlinkMs = 300;
    static constexpr int kInitialZoom = 4;
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 16;

    ~CColorPage() override;

    // The preview's zoom: a scale on the board page, a divisor of the shown
    // extent on the schematic page.
    int Zoom() const { return zoom_; }
    // The entry last chosen in the list, -1 before the first choice.
    int SelectedEntry() const { return selected_; }
    // The colour blinking (inverted in the settings) and the value it gets
    // back; null when nothing blinks.
    const COLORREF* BlinkingColor() const { return blinking_; }
    COLORREF SavedColor() const { return saved_; }
    // An entry's colour as the list shows it: the saved one while it blinks.
    COLORREF ShownEntryColor(int index);

    // Paints the preview over the control's whole client rectangle.
    virtual void PaintPreview(PaintTarget& target, const RECT& client) = 0;

protected:
    // boardPalette: the page's palette file section is the board one
    // ("BrdColor"), else the schematic one. zoomDivides: the zoom divides the
    // preview's extent, so "+" halves it.
    CColorPage(DialogTemplate tmpl, bool boardPalette, bool zoomDivides);

    // The settings colour of a list entry; null for an index without one.
    virtual COLORREF* EntryColor(int index) = 0;
    // An entry was chosen in the list; false ignores the choice.
    virtual bool OnEntryChosen(int index);

    // Puts a blinking colour back and stops the timer.
    void EndBlink();
    void RepaintPreview();
    void RepaintList();
    // The focus ends on "+", passing "-".
    void FocusZoomButtons();

    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;
    void OnReset() override;

private:
    void StartBlink(int index);
    void EditEntryColor();
    void ChangeZoom(bool enlarge);
    void LoadPaletteFile();
    void SavePaletteFile();

    bool boardPalette_;
    bool zoomDivides_;
    int zoom_ = kInitialZoom;
    int selected_ = -1;
    COLORREF* blinking_ = nullptr;
    COLORREF saved_ = 0;
};
