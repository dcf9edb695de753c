// The editor view base as far as the model needs it so far: invalidating a
// device rectangle of the view's window and the view's scroll offset. Model
// code reaches the view whose tab is shown through g_pActiveView.
#pragma once

#include "core/property.h"
#include "platform/types.h"

class Graphics;
class DeviceContext;

class CVorpelView : public CProperty {
public:
    CVorpelView() = default;
    CVorpelView(const CVorpelView&) = delete;
    CVorpelView& operator=(const CVorpelView&) = delete;
    ~CVorpelView() override;

    // Marks a device rectangle of the view's window for repainting, the whole
    // client area when rect is null; erase also repaints the background.
    virtual void InvalidateRect(const RECT* rect, bool erase);

    // Scroll offset of the view in device pixels: a client point minus this
    // offset is the point the drawing mapping works with.
    POINT GetScrollOffset() const { return m_scrollOffset; }
    void SetScrollOffset(POINT offset) { m_scrollOffset = offset; }

protected:
    POINT m_scrollOffset;
};

// The view whose tab is shown; null when none.
extern CVorpelView* g_pActiveView;

// Mapping of a point through a drawing surface's transform. The surfaces
// install their mappings when they come into being; without one (or without
// a surface) points map to themselves.
using WorldToDeviceMapper = PointF (*)(Graphics* g, PointF p);
using LogicalToDeviceMapper = POINT (*)(DeviceContext* dc, POINT p);
void SetWorldToDeviceMapper(WorldToDeviceMapper mapper);
void SetLogicalToDeviceMapper(LogicalToDeviceMapper mapper);

// The device rectangle of a model rectangle: both corners through g's world
// transform, each coordinate rounded half away from zero, then ordered so
// that left <= right and top <= bottom.
RECT WorldRectToDeviceRect(Graphics* g, float x, float y, float width, float height);
// A logical point of a sheet-side surface in device pixels.
POINT LogicalToDevice(DeviceContext* dc, POINT p);
