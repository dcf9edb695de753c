#include "platform/bitmap.h"

#include "platform/paint_target_impl.h"
#include "resources/bitmaps.h"
#include "resources/toolbar_bitmaps.h"

#include <QImage>

#include <algorithm>

std::shared_ptr<Bitmap> Bitmap::LoadResource(unsigned id) {
    BitmapResource r;
    if (!GetBitmapResource(id, &r))
        return nullptr;
    return std::make_shared<Bitmap>(r.width, r.height, std::move(r.pixels));
}

Bitmap::Bitmap(int width, int height, std::vector<ARGB> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {
    pixels_.resize(static_cast<size_t>(width_ * height_), 0);
}

ARGB Bitmap::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return pixels_[static_cast<size_t>(y * width_ + x)];
}

void Bitmap::Draw(PaintTarget* target, int x, int y, int sx, int sy, int w, int h,
                  const COLORREF* transparent) const {
    if (!target || w <= 0 || h <= 0)
        return;
    QPainter* p = target->Impl()->Painter();
    if (!p)
        return;
    QImage img(w, h, QImage::Format_ARGB32);
    ARGB key = transparent ? ColorRefToArgb(*transparent, 0xFF) : 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            ARGB c = PixelAt(sx + i, sy + j);
            if (transparent && c == key)
                c = 0;
            img.setPixel(i, j, c);
        }
    p->drawImage(QPoint(x, y), img);
}

std::unique_ptr<ImageList> ImageList::FromResource(unsigned id, int imageWidth, COLORREF mask) {
    if (imageWidth <= 0)
        return nullptr;
    auto list = std::make_unique<ImageList>();
    if (IsToolbarBitmap(id, &list->stripWidth_, &list->stripHeight_)) {
        list->resource_ = id;
    } else {
        list->bitmap_ = Bitmap::LoadResource(id);
        if (!list->bitmap_)
            return nullptr;
        list->stripWidth_ = list->bitmap_->Width();
        list->stripHeight_ = list->bitmap_->Height();
    }
    list->imageWidth_ = imageWidth;
    list->mask_ = mask;
    return list;
}

const Bitmap* ImageList::Strip() const {
    if (!bitmap_ && resource_) {
        bitmap_ = Bitmap::LoadResource(resource_);
        resource_ = 0;
    }
    return bitmap_.get();
}

int ImageList::ImageHeight() const {
    return stripHeight_;
}

int ImageList::Count() const {
    return stripWidth_ / imageWidth_;
}

void ImageList::Draw(PaintTarget* target, int index, int x, int y, bool disabled) const {
    const Bitmap* strip = Strip();
    if (!strip || index < 0 || index >= Count())
        return;
    if (!disabled) {
        strip->Draw(target, x, y, index * imageWidth_, 0, imageWidth_, strip->Height(), &mask_);
        return;
    }
    // Greyed: the image's brightness, lifted towards white and half faded.
    std::shared_ptr<Bitmap> image = ExtractImage(index);
    std::vector<ARGB> pixels = image->Pixels();
    for (ARGB& c : pixels) {
        unsigned a = c >> 24;
        if (!a)
            continue;
        unsigned r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        unsigned grey = (r * 30 + g * 59 + b * 11) / 100;
        grey = 96 + grey * 5 / 8;
        c = ((a / 2) << 24) | (grey << 16) | (grey << 8) | grey;
    }
    Bitmap(image->Width(), image->Height(), std::move(pixels)).Draw(target, x, y);
}

std::shared_ptr<Bitmap> ImageList::ExtractImage(int index) const {
    int w = imageWidth_, h = ImageHeight();
    std::vector<ARGB> pixels(static_cast<size_t>(std::max(0, w * h)), 0);
    if (const Bitmap* strip = Strip(); strip && index >= 0 && index < Count()) {
        ARGB key = ColorRefToArgb(mask_, 0xFF);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ARGB c = strip->PixelAt(index * w + x, y);
                pixels[static_cast<size_t>(y * w + x)] = c == key ? 0 : c;
            }
    }
    return std::make_shared<Bitmap>(w, h, std::move(pixels));
}
