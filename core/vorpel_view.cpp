#include "core/vorpel_view.h"

#include <algorithm>
#include <cmath>

CVorpelView* g_pActiveView = nullptr;

namespace {
WorldToDeviceMapper g_worldToDevice = nullptr;
LogicalToDeviceMapper g_logicalToDevice = nullptr;

int RoundHalfAway(float v) {
    return static_cast<int>(v >= 0 ? std::floor(v + 0.5f) : std::ceil(v - 0.5f));
}
} // namespace

CVorpelView::~CVorpelView() {
    if (g_pActiveView == this)
        g_pActiveView = nullptr;
}

void CVorpelView::InvalidateRect(const RECT*, bool) {}

void SetWorldToDeviceMapper(WorldToDeviceMapper mapper) {
    g_worldToDevice = mapper;
}

void SetLogicalToDeviceMapper(LogicalToDeviceMapper mapper) {
    g_logicalToDevice = mapper;
}

RECT WorldRectToDeviceRect(Graphics* g, float x, float y, float width, float height) {
    PointF a{x, y};
    PointF b{x + width, y + height};
    if (g_worldToDevice) {
        a = g_worldToDevice(g, a);
        b = g_worldToDevice(g, b);
    }
    int ax = RoundHalfAway(a.X), ay = RoundHalfAway(a.Y);
    int bx = RoundHalfAway(b.X), by = RoundHalfAway(b.Y);
    return RECT{std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
}

POINT LogicalToDevice(DeviceContext* dc, POINT p) {
    return g_logicalToDevice ? g_logicalToDevice(dc, p) : p;
}
