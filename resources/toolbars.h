// Toolbar resources kept as data: the image size and the command of each
// button in order (0 stands for a separator). Button i takes image i of the
// toolbar's image list, counting buttons only, as the toolbar's bitmap
// (bitmaps.h, same id) holds one image per button.
#pragma once

#include <vector>

struct ToolBarResource {
    unsigned id = 0;
    int imageWidth = 24;
    int imageHeight = 24;
    std::vector<int> buttons;
};

// Null for an unknown id.
const ToolBarResource* LoadToolBarResource(unsigned id);
