// Fills kept as pictures in device pixels between paints. A view keeps one
// cache and hands it to the surface it paints with (Graphics::
// SetFillPictures); a fill drawn for an owner (Graphics::FillPath with an
// owner) is then rasterised once into a picture a little larger than the
// target and drawn from it again while the same path is filled in the same
// colour at the same scale, whatever whole-pixel shift a pan added. The
// pixels are the fill's alone: the clip of each paint (the board's outline,
// the update rectangle) is applied when the picture is drawn.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

class PaintTarget;

// One owner's picture and what it was made from.
struct FillPicture {
    // The path's stamp (it changes with every change of the path), the
    // brush's colour, the smoothing, and the device transform: its linear
    // part and the fraction of its shift beyond whole pixels.
    uint64_t pathStamp = 0;
    ARGB color = 0;
    bool smooth = false;
    double linear[4] = {0, 0, 0, 0};
    double fractionX = 0;
    double fractionY = 0;
    // The pixels it covers, in device pixels less the whole-pixel part of
    // the transform's shift (which stays put when the view pans).
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::unique_ptr<PaintTarget> image;
    // Drawn since the cache last let go of unused pictures.
    bool used = false;
};

class FillPictureCache {
public:
    FillPictureCache();
    ~FillPictureCache();
    FillPictureCache(const FillPictureCache&) = delete;
    FillPictureCache& operator=(const FillPictureCache&) = delete;

    // The owner's picture, empty when it has none yet.
    FillPicture& Of(const void* owner);
    // The owner's picture or null.
    const FillPicture* Find(const void* owner) const;
    // Lets go of the pictures not drawn since the last call: a view calls
    // it after painting its whole client, so that pictures of fills gone
    // from view (or from the document) do not stay.
    void DropUnused();
    void Clear();
    size_t Count() const { return pictures_.size(); }
    // Pictures rasterised so far, for tests and measurements.
    int Made() const { return made_; }
    void NoteMade() { ++made_; }

private:
    std::unordered_map<const void*, FillPicture> pictures_;
    int made_ = 0;
};
