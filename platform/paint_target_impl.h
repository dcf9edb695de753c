// Qt side of PaintTarget. Included only by the platform layer's own sources.
#pragma once

#include "platform/paint_target.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <memory>

struct PaintTargetImpl {
    // Owned image for image targets; null when the device belongs to someone
    // else (a window during its paint event, a printer).
    std::unique_ptr<QImage> image;
    QPaintDevice* device = nullptr;
    // The one painter of the target, begun on first use and shared by every
    // surface drawing on it. A window target is handed an active painter.
    QPainter* painter = nullptr;
    std::unique_ptr<QPainter> ownPainter;
    int dpiX = 96;
    int dpiY = 96;
    int width = 0;
    int height = 0;

    // The shared painter, begun if needed. Surfaces save and restore its
    // state around what they draw.
    QPainter* Painter();
    void End();

    // A surface may keep its state on the painter between its calls (saved
    // once, restored when done) to avoid a save and restore per call. It
    // claims the painter with a release function; before another surface
    // draws, and before the painter ends, the holder is released so that it
    // restores the painter's state. Every surface calls Claim (or
    // ReleaseHolder) before it draws.
    void* holder = nullptr;
    void (*releaseHolder)(void* holder) = nullptr;
    void Claim(void* who, void (*release)(void*));
    void ReleaseHolder();
};

// A target over a device someone else owns; painter may be an already active
// painter on it (a window's paint event) or null.
std::unique_ptr<PaintTarget> CreatePaintTargetForDevice(QPaintDevice* device, QPainter* painter,
                                                        int dpiX, int dpiY);
