#include "resources/tree_bitmaps.h"

#include <cstdlib>

namespace {
constexpr uint32_t kMagenta = 0xFFFF00FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kGrey = 0xFF808080;
constexpr uint32_t kFolder = 0xFFE8C048;
constexpr uint32_t kFolderEdge = 0xFF907020;

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
    void HLine(int x0, int x1, int y, uint32_t c) { Rect(x0, y, x1, y, c, true); }
    void VLine(int x, int y0, int y1, uint32_t c) { Rect(x, y0, x, y1, c, true); }
    // A folder: a tab on a body, x the image's left edge.
    void Folder(int x, uint32_t fill, uint32_t edge) {
        Rect(x + 2, 3, x + 8, 5, fill, true);
        Rect(x + 2, 5, x + 17, 13, fill, true);
        Rect(x + 2, 5, x + 17, 13, edge, false);
        HLine(x + 2, x + 8, 3, edge);
        VLine(x + 2, 3, 5, edge);
    }
    // A page with lines of text, x the image's left edge.
    void Page(int x) {
        Rect(x + 4, 2, x + 14, 14, kWhite, true);
        Rect(x + 4, 2, x + 14, 14, kGrey, false);
        for (int y = 5; y <= 11; y += 3)
            HLine(x + 6, x + 12, y, kGrey);
    }
};

void Init(BitmapResource* out, int images) {
    out->width = 20 * images;
    out->height = 16;
    out->pixels.assign(static_cast<size_t>(out->width * out->height), kMagenta);
}

// Project, block, board, sheet, other.
void ProjectTreeImages(BitmapResource* out) {
    Init(out, 5);
    Canvas c{*out};
    // Project: a stack of two sheets under a red band.
    c.Rect(5, 4, 15, 14, kWhite, true);
    c.Rect(5, 4, 15, 14, kGrey, false);
    c.Rect(3, 2, 13, 12, kWhite, true);
    c.Rect(3, 2, 13, 12, kBlack, false);
    c.Rect(3, 2, 13, 4, 0xFFB03030, true);
    // Block: a folder.
    c.Folder(20, kFolder, kFolderEdge);
    // Board: a green board with copper pads and a track.
    c.Rect(42, 3, 57, 13, 0xFF207040, true);
    c.Rect(42, 3, 57, 13, 0xFF104020, false);
    c.Rect(44, 5, 46, 7, 0xFFD09040, true);
    c.Rect(53, 9, 55, 11, 0xFFD09040, true);
    c.HLine(46, 53, 6, 0xFFD09040);
    c.VLine(53, 6, 9, 0xFFD09040);
    // Sheet: a page with a symbol box and a wire.
    c.Rect(64, 2, 75, 14, kWhite, true);
    c.Rect(64, 2, 75, 14, kGrey, false);
    c.Rect(66, 5, 70, 10, 0xFF2040A0, false);
    c.HLine(70, 73, 7, 0xFF208020);
    // Anything else.
    c.Page(80);
}

// Library, folder, symbol, other.
void SymbolTreeImages(BitmapResource* out) {
    Init(out, 4);
    Canvas c{*out};
    // Library: a book.
    c.Rect(4, 2, 15, 13, 0xFF3060B0, true);
    c.Rect(4, 2, 15, 13, kBlack, false);
    c.HLine(6, 15, 12, kWhite);
    c.Folder(20, kFolder, kFolderEdge);
    // Symbol: a box with two pins.
    c.Rect(45, 4, 54, 12, kWhite, true);
    c.Rect(45, 4, 54, 12, 0xFF2040A0, false);
    c.HLine(42, 44, 6, kBlack);
    c.HLine(42, 44, 10, kBlack);
    c.HLine(55, 57, 8, kBlack);
    c.Page(60);
}
} // namespace

bool GetTreeBitmap(unsigned id, BitmapResource* out) {
    if (!out)
        return false;
    if (id == 217) {
        ProjectTreeImages(out);
        return true;
    }
    if (id == 251) {
        SymbolTreeImages(out);
        return true;
    }
    return false;
}
