#include "resources/bitmaps.h"

#include "resources/toolbar_bitmaps.h"
#include "resources/tree_bitmaps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr uint32_t kMagenta = 0xFFFF00FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kGrey = 0xFF808080;
constexpr uint32_t kFace = 0xFFF0F0F0;

struct Canvas {
    BitmapResource& b;
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < b.width && y < b.height)
            b.pixels[static_cast<size_t>(y * b.width + x)] = c;
    }
    void Rect(int l, int t, int r, int bt, uint32_t c, bool fill) {
        for (int y = t; y <= bt; ++y)
            for (int x = l; x <= r; ++x)
                if (fill || x == l || x == r || y == t || y == bt)
                    Set(x, y, c);
    }
    void Line(int x0, int y0, int x1, int y1, uint32_t c) {
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
        for (;;) {
            Set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                return;
            int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    void Circle(int cx, int cy, int r, uint32_t c) {
        for (int a = 0; a < 64; ++a) {
            double t = a * 3.14159265358979 / 32;
            Set(cx + static_cast<int>(std::lround(r * std::cos(t))),
                cy + static_cast<int>(std::lround(r * std::sin(t))), c);
        }
    }
};

void Init(BitmapResource* out, int w, int h, uint32_t fill) {
    out->width = w;
    out->height = h;
    out->pixels.assign(static_cast<size_t>(w * h), fill);
}

// Two 16 x 16 boxes: clear and ticked, on the transparent colour.
void CheckBoxes(BitmapResource* out) {
    Init(out, 32, 16, kMagenta);
    Canvas c{*out};
    for (int i = 0; i < 2; ++i) {
        int x = i * 16;
        c.Rect(x + 2, 2, x + 14, 14, kWhite, true);
        c.Rect(x + 2, 2, x + 14, 14, kGrey, false);
    }
    for (int d = 0; d < 2; ++d) {
        c.Line(16 + 5, 7 + d, 16 + 7, 9 + d, kBlack);
        c.Line(16 + 7, 9 + d, 16 + 11, 5 + d, kBlack);
    }
}

// Pin shapes 1-8 as a pin on the right side of a part is drawn: the edge of
// the body (grey) at I, the pin one grid step g long from I outwards to the
// right, and the mark of its shape a quarter step q wide.
void PinShape(BitmapResource* out, int shape) {
    Init(out, 32, 16, kWhite);
    Canvas c{*out};
    constexpr int q = 5, g = 4 * q, ix = 11, iy = 8, ex = ix + g;
    c.Line(ix, 1, ix, 15, kGrey);
    auto triangle = [&](int apexX) {
        c.Line(ix, iy - q, ix, iy + q, kBlack);
        c.Line(ix, iy - q, apexX, iy, kBlack);
        c.Line(ix, iy + q, apexX, iy, kBlack);
    };
    switch (shape) {
    case 2: // a bubble on the edge
        c.Circle(ix, iy, q, kBlack);
        c.Line(ix + q, iy, ex, iy, kBlack);
        break;
    case 3: // a stroke rising across the edge
        c.Line(ix - q, iy + q, ix + q, iy - q, kBlack);
        c.Line(ix, iy, ex, iy, kBlack);
        break;
    case 4: // a stroke falling across the edge
        c.Line(ix - q, iy - q, ix + q, iy + q, kBlack);
        c.Line(ix, iy, ex, iy, kBlack);
        break;
    case 5: // a wedge inside the body
        triangle(ix - q);
        c.Line(ix, iy, ex, iy, kBlack);
        break;
    case 6: // the wedge inside and a bubble outside
        triangle(ix - q);
        c.Circle(ix + q, iy, q, kBlack);
        c.Line(ix + 2 * q, iy, ex, iy, kBlack);
        break;
    case 7: // a wedge outside the body
        triangle(ix + q);
        c.Line(ix + q, iy, ex, iy, kBlack);
        break;
    case 8: // the wedge outside and a bubble inside
        triangle(ix + q);
        c.Circle(ix - q, iy, q, kBlack);
        c.Line(ix + q, iy, ex, iy, kBlack);
        break;
    default: // plain
        c.Line(ix, iy, ex, iy, kBlack);
        break;
    }
}

// The default-via marks: an empty round mark and the chosen one.
void DefaultMarks(BitmapResource* out) {
    Init(out, 32, 16, kMagenta);
    Canvas c{*out};
    for (int i = 0; i < 2; ++i) {
        const int cx = i * 16 + 8;
        for (int y = 2; y <= 14; ++y)
            for (int x = cx - 6; x <= cx + 6; ++x)
                if ((x - cx) * (x - cx) + (y - 8) * (y - 8) <= 36)
                    c.Set(x, y, kWhite);
        c.Circle(cx, 8, 6, kGrey);
    }
    for (int y = 5; y <= 11; ++y)
        for (int x = 21; x <= 27; ++x)
            if ((x - 24) * (x - 24) + (y - 8) * (y - 8) <= 9)
                c.Set(x, y, kBlack);
}

// The six hole kinds: round, slot and custom outline, each non-plated (a
// bare outline) and plated (a copper ring).
void HoleKinds(BitmapResource* out) {
    constexpr uint32_t kCopper = 0xFFC87533;
    Init(out, 96, 16, kMagenta);
    Canvas c{*out};
    // Inside test of each shape about its centre, grown by d pixels.
    auto inside = [](int kind, int x, int y, int d) {
        switch (kind) {
        case 0: // round
            return x * x + y * y <= (4 + d) * (4 + d);
        case 1: { // slot along x
            int cx = std::clamp(x, -3, 3);
            return (x - cx) * (x - cx) + y * y <= (3 + d) * (3 + d);
        }
        default: // custom: a square with its upper right corner cut out
            return std::abs(x) <= 4 + d && std::abs(y) <= 4 + d && !(x >= 1 + d && y <= -1 - d);
        }
    };
    for (int kind = 0; kind < 6; ++kind) {
        const int shape = kind / 2;
        const bool plated = kind % 2 == 1;
        const int ox = kind * 16 + 8;
        for (int y = -8; y < 8; ++y)
            for (int x = -8; x < 8; ++x) {
                bool hole = inside(shape, x, y, 0);
                bool ring = inside(shape, x, y, 2) && !hole;
                bool edge = hole && !inside(shape, x, y, -1);
                if (plated && ring)
                    c.Set(ox + x, 8 + y, kCopper);
                else if (hole)
                    c.Set(ox + x, 8 + y, edge ? kBlack : kWhite);
            }
    }
}

// Three dots on the button face.
void Ellipsis(BitmapResource* out) {
    Init(out, 12, 12, kFace);
    Canvas c{*out};
    for (int i = 0; i < 3; ++i)
        c.Rect(1 + i * 4, 7, 2 + i * 4, 8, kBlack, true);
}
// The images of the footprint browser's tree, 20 x 16 each on the
// transparent colour: library, footprint folder, padstack folder, footprint,
// padstack, anything else.
void LibraryTreeImages(BitmapResource* out) {
    Init(out, 120, 16, kMagenta);
    Canvas c{*out};
    const uint32_t kBook = 0xFF3060B0, kFolder = 0xFFE8C048, kFolderEdge = 0xFF907020,
                   kPadFolder = 0xFFB8C8D8, kPadFolderEdge = 0xFF506070, kCopper = 0xFFC87533;
    // Library: a book with a light page edge.
    c.Rect(4, 2, 15, 13, kBook, true);
    c.Rect(4, 2, 15, 13, kBlack, false);
    c.Line(6, 12, 15, 12, kWhite);
    // Folders: a tab on a body.
    for (int f = 0; f < 2; ++f) {
        const int x = 20 * (f + 1);
        const uint32_t fill = f == 0 ? kFolder : kPadFolder,
                       edge = f == 0 ? kFolderEdge : kPadFolderEdge;
        c.Rect(x + 2, 3, x + 8, 5, fill, true);
        c.Rect(x + 2, 5, x + 17, 13, fill, true);
        c.Rect(x + 2, 5, x + 17, 13, edge, false);
        c.Line(x + 2, 3, x + 8, 3, edge);
        c.Line(x + 2, 3, x + 2, 5, edge);
        c.Line(x + 8, 3, x + 9, 5, edge);
    }
    // Footprint: a package body with pins on two sides.
    c.Rect(66, 3, 73, 12, kBlack, true);
    for (int y = 4; y <= 11; y += 3) {
        c.Line(63, y, 65, y, kGrey);
        c.Line(74, y, 76, y, kGrey);
    }
    c.Set(67, 4, kWhite);
    // Padstack: a copper ring around a hole.
    for (int r = 3; r <= 6; ++r)
        c.Circle(90, 8, r, kCopper);
    c.Rect(89, 7, 91, 9, kWhite, true);
    // Anything else: a page.
    c.Rect(104, 2, 114, 14, kWhite, true);
    c.Rect(104, 2, 114, 14, kGrey, false);
    for (int y = 5; y <= 11; y += 3)
        c.Line(106, y, 112, y, kGrey);
}

// The folder-list buttons, 16 x 16 on the button face: add a folder (a
// folder with a plus), remove it (a cross), move it up and down (arrows).
void FolderButton(BitmapResource* out, int which) {
    Init(out, 16, 16, kFace);
    Canvas c{*out};
    const uint32_t kFolder = 0xFFE8C048, kEdge = 0xFF907020, kGreen = 0xFF108010, kRed = 0xFFC02020,
                   kBlue = 0xFF2050A0;
    switch (which) {
    case 0: // add
        c.Rect(1, 5, 11, 13, kFolder, true);
        c.Rect(1, 5, 11, 13, kEdge, false);
        c.Rect(1, 3, 5, 5, kEdge, false);
        c.Rect(11, 1, 13, 9, kGreen, true);
        c.Rect(8, 4, 16, 6, kGreen, true);
        break;
    case 1: // remove
        for (int d = -1; d <= 1; ++d) {
            c.Line(3 + d, 3, 12 + d, 12, kRed);
            c.Line(12 + d, 3, 3 + d, 12, kRed);
        }
        break;
    default: { // up (2) or down (3)
        const bool up = which == 2;
        for (int i = 0; i < 6; ++i) {
            const int y = up ? 3 + i : 12 - i;
            c.Line(7 - i, y, 8 + i, y, kBlue);
        }
        c.Rect(5, up ? 9 : 2, 10, up ? 13 : 6, kBlue, true);
        break;
    }
    }
}
} // namespace

bool GetBitmapResource(unsigned id, BitmapResource* out) {
    if (!out)
        return false;
    if (id == 257) {
        CheckBoxes(out);
        return true;
    }
    if (id == 309) {
        DefaultMarks(out);
        return true;
    }
    if (id == 310) {
        HoleKinds(out);
        return true;
    }
    if (id >= 273 && id <= 280) {
        PinShape(out, static_cast<int>(id) - 272);
        return true;
    }
    if (id == 385) {
        Ellipsis(out);
        return true;
    }
    if (id == 294) {
        LibraryTreeImages(out);
        return true;
    }
    const unsigned buttons[] = {383, 376, 386, 387};
    for (int i = 0; i < 4; ++i)
        if (id == buttons[i]) {
            FolderButton(out, i);
            return true;
        }
    if (GetTreeBitmap(id, out))
        return true;
    return GetToolbarBitmap(id, out);
}
