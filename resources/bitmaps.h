// The program's bitmap resources, drawn in code: the check-box images of
// the property rows (257), the pin shapes (273-280), the default-via marks
// of the via list (309), the six hole kinds of the drill table (310), the
// "..." button picture (385), the library browsers' tree images (294) and
// their folder buttons (383 add, 376 remove, 386 up, 387 down). Pixels are
// 0xAARRGGBB, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

struct BitmapResource {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// False for an unknown id.
bool GetBitmapResource(unsigned id, BitmapResource* out);
