// The Options sheet: Sheet Size, Schematic colors, Board settings and Board
// colors. Each page stores its settings whenever it is left (another tab or
// OK); Cancel keeps what pages already left have stored.
#pragma once

#include "dialogs/board_colors.h"
#include "dialogs/board_page.h"
#include "dialogs/schematic_colors.h"
#include "dialogs/sheet_size.h"
#include "platform/property_sheet.h"

class COptions : public PropertySheet {
public:
    COptions();
    ~COptions() override;

    CSheetSize m_sheetSize;
    CSchematicColors m_schematicColors;
    CBoardPage m_boardPage;
    CBoardColors m_boardColors;
};
