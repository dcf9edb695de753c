// The image lists of the project tree (217: project, block, board, sheet,
// anything else) and of the symbol library tree (251: library, folder,
// symbol, anything else), 20 x 16 pixels per image on magenta. The
// footprint library tree shares the library browsers' images (294).
#pragma once

#include "core/node_type.h"
#include "resources/bitmaps.h"

// The width of one tree image in pixels.
constexpr int kTreeImageWidth = 20;

// The image of a node of a footprint library in IDB_FOOTPRINT_TREE (the
// footprint library tree and the browsers that show such a library): the
// library, a footprint folder, a padstack folder, a footprint, a padstack,
// anything else, by NodeType. A tree shows its root as a library whatever
// its type.
constexpr int FootprintTreeImage(int type) {
    switch (type) {
    case NodeType::FootprintLibrary:
        return 0;
    case NodeType::FootprintFolder:
        return 1;
    case NodeType::PadstackFolder:
        return 2;
    case NodeType::Footprint:
        return 3;
    case NodeType::Padstack:
        return 4;
    default:
        return 5;
    }
}

// False for an id that is not one of the two.
bool GetTreeBitmap(unsigned id, BitmapResource* out);
