// The image lists of the project tree (217: project, block, board, sheet,
// anything else) and of the symbol library tree (251: library, folder,
// symbol, anything else), 20 x 16 pixels per image on magenta. The
// footprint library tree shares the library browsers' images (294).
#pragma once

#include "resources/bitmaps.h"

// False for an id that is not one of the two.
bool GetTreeBitmap(unsigned id, BitmapResource* out);
