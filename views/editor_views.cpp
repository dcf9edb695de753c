#include "views/editor_views.h"

#include "views/board_view.h"
#include "views/schematic_view.h"
#include "views/symbol_view.h"

void RegisterEditorViews() {
    RegisterBoardView();
    RegisterSchematicView();
    RegisterSymbolView();
}
