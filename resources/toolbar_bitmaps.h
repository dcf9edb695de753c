// The toolbar and menu images, drawn in code: one image per button of a
// toolbar resource side by side (24 x 24 for the toolbars, 16 x 16 for the
// menu images), on magenta, the transparent colour.
#pragma once

#include "resources/bitmaps.h"

// False for an id that is no toolbar or menu image.
bool GetToolbarBitmap(unsigned id, BitmapResource* out);
// Whether id is one of these images, and its size, without drawing it.
bool IsToolbarBitmap(unsigned id, int* width = nullptr, int* height = nullptr);
