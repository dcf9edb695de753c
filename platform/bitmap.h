// Bitmaps and image lists made from the program's bitmap resources, drawn
// onto a paint target.
#pragma once

#include "platform/types.h"

#include <memory>
#include <vector>

class PaintTarget;

class Bitmap {
public:
    // Null for an unknown resource id.
    static std::shared_ptr<Bitmap> LoadResource(unsigned id);
    Bitmap(int width, int height, std::vector<ARGB> pixels);

    int Width() const { return width_; }
    int Height() const { return height_; }
    ARGB PixelAt(int x, int y) const;
    // Draws a part (sx, sy, w, h) at (x, y); pixels of the transparent
    // colour are left out when one is given.
    void Draw(PaintTarget* target, int x, int y, int sx, int sy, int w, int h,
              const COLORREF* transparent = nullptr) const;
    void Draw(PaintTarget* target, int x, int y) const {
        Draw(target, x, y, 0, 0, width_, height_);
    }
    // Pixels 0xAARRGGBB, rows top to bottom.
    const std::vector<ARGB>& Pixels() const { return pixels_; }

private:
    int width_;
    int height_;
    std::vector<ARGB> pixels_;
};

// A strip of equally wide images cut from one bitmap, drawn with a mask
// colour left out (magenta 0xFF00FF for the check boxes).
class ImageList {
public:
    static std::unique_ptr<ImageList> FromResource(unsigned id, int imageWidth, COLORREF mask);
    int Count() const;
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const;
    // Draws image index with its top left corner at (x, y); disabled draws
    // it greyed and faded.
    void Draw(PaintTarget* target, int index, int x, int y, bool disabled = false) const;
    // One image as a bitmap of its own, the mask colour made transparent.
    std::shared_ptr<Bitmap> ExtractImage(int index) const;

private:
    // The strip, drawn on first use for the program's toolbar and menu
    // images (drawing them all costs start-up time; most wait for a view).
    const Bitmap* Strip() const;
    mutable std::shared_ptr<Bitmap> bitmap_;
    mutable unsigned resource_ = 0;
    int stripWidth_ = 0;
    int stripHeight_ = 0;
    int imageWidth_ = 0;
    COLORREF mask_ = 0;
};
