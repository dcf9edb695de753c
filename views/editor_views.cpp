#include "views/editor_views.h"

#include "views/symbol_view.h"

void RegisterEditorViews() {
    RegisterSymbolView();
}
