#include "views/editor_views.h"

#include "core/node_type.h"
#include "shell/main_frame.h"
#include "views/board_view.h"
#include "views/footprint_view.h"
#include "views/padstack_view.h"
#include "views/schematic_view.h"
#include "views/symbol_view.h"

void RegisterFootprintViews() {
    RegisterViewMaker(NodeType::Footprint, MakeFootprintView);
    RegisterViewMaker(NodeType::Padstack, MakePadstackView);
}

void RegisterEditorViews() {
    RegisterBoardView();
    RegisterSchematicView();
    RegisterSymbolView();
    RegisterFootprintViews();
}
