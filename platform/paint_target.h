// Something to draw on: an image in memory, a window while it paints, or a
// printer page. Both drawing surfaces (Graphics on the board side,
// DeviceContext on the sheet side) are created over a target and may share
// one, as the views paint a sheet or a board onto one window.
#pragma once

#include "platform/types.h"

#include <memory>
#include <string>

struct PaintTargetImpl;

class PaintTarget {
public:
    // A 32-bit ARGB image filled with the given colour.
    static std::unique_ptr<PaintTarget> CreateImage(int width, int height, ARGB fill = 0xFFFFFFFF);
    ~PaintTarget();
    PaintTarget(const PaintTarget&) = delete;
    PaintTarget& operator=(const PaintTarget&) = delete;

    int Width() const;
    int Height() const;
    // Pixels per inch of the target (96 for images unless set otherwise).
    int DpiX() const;
    int DpiY() const;
    void SetDpi(int dpiX, int dpiY);

    // Image targets only: read a pixel (0 outside), fill, save as PNG.
    ARGB PixelAt(int x, int y) const;
    void Fill(ARGB color);
    bool SavePng(const std::wstring& path) const;

    // Ends any drawing in progress so that the pixels are complete.
    void Flush();

    PaintTargetImpl* Impl() const { return impl_.get(); }
    explicit PaintTarget(std::unique_ptr<PaintTargetImpl> impl);

private:
    std::unique_ptr<PaintTargetImpl> impl_;
};
