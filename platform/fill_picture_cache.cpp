#include "platform/fill_picture_cache.h"

#include "platform/paint_target.h"

FillPictureCache::FillPictureCache() = default;
FillPictureCache::~FillPictureCache() = default;

FillPicture& FillPictureCache::Of(const void* owner) {
    return pictures_[owner];
}

const FillPicture* FillPictureCache::Find(const void* owner) const {
    const auto it = pictures_.find(owner);
    return it == pictures_.end() ? nullptr : &it->second;
}

void FillPictureCache::DropUnused() {
    for (auto it = pictures_.begin(); it != pictures_.end();) {
        if (!it->second.used) {
            it = pictures_.erase(it);
        } else {
            it->second.used = false;
            ++it;
        }
    }
}

void FillPictureCache::Clear() {
    pictures_.clear();
}
