#include "views/editor_views.h"

#include "views/schematic_view.h"

void RegisterEditorViews() {
    RegisterSchematicView();
}
