#include "views/editor_views.h"

#include "views/board_view.h"

void RegisterEditorViews() {
    RegisterBoardView();
}
