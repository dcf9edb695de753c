// The three design-rule classes of boards, kept under the settings key
// "Software\Vorpel\BoardSettings", and the default design-rule node a new
// board gets from the current class. Classes live only in the settings:
// every reader goes back to the store, so a change on the options page
// reaches the next new board at once.
#pragma once

#include <string>

class CBoardProperties;
class CPadstack;
class CThermalRelief;

struct BoardClassValues {
    float conductorWidth = 0.25f;
    float conductorSpacing = 0.25f;
    float viaRouting = 1.3f;
    float viaPlane = 1.7f;
    float viaDrill = 0.7f;
    float isolationWidth = 0.3f;
    float spokeWidth = 0.3f;
};

class BoardClassSettings {
public:
    static constexpr int kClassCount = 3;
    static const wchar_t* const kKeyPath; // L"Software\\Vorpel\\BoardSettings"

    // The built-in values of class 0, 1 or 2 (others: class 0).
    static BoardClassValues Defaults(int boardClass);
    // The subkey path of a class ("...\\Board Class 1").
    static std::wstring ClassKeyPath(int boardClass);

    // "BoardClass": 0 without a value; a stored value outside 0..2 reads as 0.
    static int ReadCurrentClass();
    static void WriteCurrentClass(int boardClass);
    // "Unit" of the board pages, the per-board dialog and the generators
    // (mm without a value; a unit outside 0..3 reads as mm).
    static int ReadUnit();
    static void WriteUnit(int unit);
    // A class's seven lengths; each missing or mistyped value keeps the
    // built-in value of that class.
    static BoardClassValues ReadClass(int boardClass);
    static void WriteClass(int boardClass, const BoardClassValues& values);
};

// A new, unparented design-rule node: the current class's widths, its
// default via "Via 1" and a thermal relief. No undo is recorded by any of
// these; the caller inserts the node and decides.
CBoardProperties* CreateDefaultBoardProperties();
// The current class's conductor width, spacing, isolation and spoke.
void LoadBoardClassDefaults(CBoardProperties* properties);
// Appends the padstack "Via 1" built from the current class's via sizes.
CPadstack* AddDefaultViaPadstack(CBoardProperties* properties);
// Appends a thermal relief with the node's isolation and spoke widths.
CThermalRelief* AddDefaultThermalRelief(CBoardProperties* properties);
