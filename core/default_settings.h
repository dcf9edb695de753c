// The application defaults read by the drawing code (font, unit, sheet size,
// grid, wire and bus widths, connection dot, colours), kept in memory for the
// whole program and stored under the settings key
// "Software\Vorpel\DefaultSettings".
#pragma once

#include "core/board_layer.h"
#include "platform/logical_font.h"
#include "platform/types.h"

#include <cstdint>
#include <string>
#include <vector>

class DefaultSettings {
public:
    static const wchar_t* const kKeyPath; // L"Software\\Vorpel\\DefaultSettings"

    DefaultSettings(); // the built-in defaults

    // Start-up load: every value except "SheetSizeStd". A missing value, or one
    // of the wrong type, keeps the current member; nothing is written back.
    void Load();
    // What the Sheet Size page reads when it opens: "Unit", "SheetSizeStd",
    // "SheetWidth", "SheetHeight", "GridWidth".
    void LoadSheetSizePage();
    // The paper-size series mask as stored ("SheetSizeStd", 3 when missing):
    // the Sheet Size page and the sheets' size rows share this one value.
    static uint32_t ReadSheetSizeSeries();
    // What each options page writes when it is left.
    void StoreSheetSizePage() const;       // the same five values
    void StoreSchematicColorsPage() const; // "Font", "Unit", widths, dot, 9 colours
    void StoreBoardColorsPage() const;     // the 38 board colours
    // Every stored value.
    void Store() const;

    // Palette files (INI): the section "SchColor" holds the 9 schematic
    // colours, "BrdColor" the 38 board colours, each a decimal COLORREF.
    // Saving rewrites only its own section's keys (the file is made when
    // missing); loading takes each key present and keeps the colour of a key
    // that is missing. A file that cannot be read changes nothing.
    static const wchar_t* const kSchematicPalette; // L"SchColor"
    static const wchar_t* const kBoardPalette;     // L"BrdColor"
    bool SavePalette(const std::wstring& path, bool board) const;
    void LoadPalette(const std::wstring& path, bool board);

    // The colour member of a value name ("ColorBkg", "ColorTOP", ...); null for
    // other names. Case-sensitive, as the names are fixed.
    COLORREF* ColorByName(const std::wstring& name);
    const COLORREF* ColorByName(const std::wstring& name) const {
        return const_cast<DefaultSettings*>(this)->ColorByName(name);
    }
    // The nine schematic colour names ("ColorBkg" .. "ColorComment") and the 38
    // board colour names ("ColorBoard" .. "ColorDrill", "ColorTOP" ..
    // "ColorOLB"), in stored and palette order.
    static const std::vector<std::wstring>& SchematicColorNames();
    static const std::vector<std::wstring>& BoardColorNames();

    LogFont font;              // face "Arial Unicode MS"
    int unit = 1;              // LengthUnit of the Sheet Size and Schematic colors pages
    uint32_t sheetSizeStd = 3; // paper series: bit 0 ISO, 1 ANSI, 2 JIS, 3 and 4 Japanese
    float sheetWidth = 420.0f; // mm
    float sheetHeight = 297.0f;
    float gridWidth = 2.5f;
    float wireWidth = 0.15f;
    float busWidth = 0.5f;
    float connCircle = 1.0f; // connection-dot diameter

    // Schematic colours (COLORREF, red in the low byte).
    COLORREF colorBkg = 0x00FFFFFA;
    COLORREF colorSel = 0x00FF00FF;
    COLORREF colorGrid = 0x00D2D2D2;
    COLORREF colorDot = 0x00C8C8C8;
    COLORREF colorBrd = 0x00000000;
    COLORREF colorWire = 0x00FF0000;
    COLORREF colorBus = 0x00FF0000;
    COLORREF colorSymbol = 0x00000000;
    COLORREF colorComment = 0x00FF0080;

    // Board object colours.
    COLORREF colorBoard = 0x00000000;
    COLORREF colorOrg = 0x00FF80FF;
    COLORREF colorOutline = 0x0000FFFF;
    COLORREF colorBoardGrid = 0x00282828;
    COLORREF colorAirWire = 0x0000FFFF;
    COLORREF colorDrill = 0x00FFFFFF;

    // One colour per BoardLayer id.
    COLORREF layerColors[kBoardLayerCount];

    // The custom colours offered by the colour dialog; never stored.
    COLORREF customColors[16];
};

// The one instance, shared by every editor.
extern DefaultSettings g_DefaultSettings;
