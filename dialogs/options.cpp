#include "dialogs/options.h"

#include "platform/string_table.h"

COptions::COptions() : PropertySheet(LoadStringText(186), 0) {
    AddPage(&m_sheetSize);
    AddPage(&m_schematicColors);
    AddPage(&m_boardPage);
    AddPage(&m_boardColors);
}

COptions::~COptions() {
    // The pages go with the sheet's window, while they still exist.
    DestroyWindow();
}
