#include "resources/accelerators.h"

#include "platform/accelerator.h"
#include "resources/command_ids.h"

namespace {
constexpr uint8_t V = FVIRTKEY;
constexpr uint8_t C = FVIRTKEY | FCONTROL;
constexpr uint8_t S = FVIRTKEY | FSHIFT;
constexpr uint8_t A = FVIRTKEY | FALT;

// The main window's table, used while the left pane does not have the focus.
const std::vector<AcceleratorResourceEntry> kMainFrame = {
    {C, 'C', ID_EDIT_COPY},
    {C, VK_INSERT, ID_EDIT_COPY},
    {C, 'X', ID_EDIT_CUT},
    {C, 'V', ID_EDIT_PASTE},
    {S, VK_INSERT, ID_EDIT_PASTE},
    {C, 'Z', ID_EDIT_UNDO},
    {A, VK_BACK, ID_EDIT_UNDO},
    {C, 'Y', ID_EDIT_REDO},
    {C, 'F', ID_EDIT_FIND},
    {V, VK_F3, ID_EDIT_FIND_NEXT},
    {S, VK_F3, ID_EDIT_FIND_PREVIOUS},
    {C, 'N', ID_FILE_NEW},
    {C, 'O', ID_FILE_OPEN},
    {C, 'S', ID_FILE_SAVE},
    {C, 'P', ID_FILE_PRINT},
    {C, VK_F4, ID_WINDOW_CLOSE},
    {V, VK_F1, ID_HELP_VIEW},
    {V, VK_ADD, ID_VIEW_ZOOM_IN_AT_CURSOR},
    {V, 'I', ID_VIEW_ZOOM_IN_AT_CURSOR},
    {V, VK_SUBTRACT, ID_VIEW_ZOOM_OUT_AT_CURSOR},
    {V, 'O', ID_VIEW_ZOOM_OUT_AT_CURSOR},
    {A, VK_RIGHT, ID_UNIT_NEXT},
    {A, VK_LEFT, ID_UNIT_PREVIOUS},
    {V, VK_ESCAPE, ID_TOOL_SELECT},
    {V, VK_F6, ID_NEXT_PANE},
    {S, VK_F6, ID_PREV_PANE},
};
} // namespace

const std::vector<AcceleratorResourceEntry>* LoadAcceleratorResource(unsigned id) {
    if (id == IDR_MAINFRAME)
        return &kMainFrame;
    return nullptr;
}
