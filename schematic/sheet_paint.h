// Shared helpers of the sheet-side drawing, hit tests and invalidation of
// the schematic classes: the grid step, line widths, rectangles in logical
// units (0.01 mm, y up) and repainting through the active view.
#pragma once

#include "platform/device_context.h"
#include "platform/types.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

class CSheet;
class CTreeNode;

namespace SheetPaint {
// The view's grid step g in logical units.
int Grid();
// v (logical units, or tenths of them) in steps of g, to the nearest step,
// halves away from zero.
inline int NearestStep(int64_t v, int g) {
    const int64_t half = v > 0 ? g / 2 : -(g / 2);
    return static_cast<int>((v + half) / g);
}
// Logical units are held within -kFarLogical..kFarLogical: far beyond the
// largest sheet (10 m), with room left in 32 bits for a few grid steps, line
// widths and text extents added to them. Sheet positions are any 32-bit
// numbers, so a sum of a few of them times g is taken in 64 bits, then held.
constexpr int32_t kFarLogical = 1 << 29;
inline int32_t Held(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kFarLogical, kFarLogical));
}
// steps (grid steps, or a sum of a few) times g (at least 1), held.
inline int32_t Scale(int64_t steps, int64_t g) {
    return Held(std::clamp<int64_t>(steps, -kFarLogical, kFarLogical) * g);
}
// tenths of a grid step times g, truncated toward zero, held.
inline int32_t ScaleTenths(int64_t tenths, int64_t g) {
    constexpr int64_t kFar10 = int64_t{10} * kFarLogical;
    tenths = std::clamp(tenths, -kFar10, kFar10);
    return Held(tenths / 10 * g + tenths % 10 * g / 10);
}
inline POINT Scaled(POINT p, int g) {
    return POINT{Scale(p.x, g), Scale(p.y, g)};
}
// A text extent, held.
inline SIZE HeldSize(SIZE e) {
    return SIZE{Held(e.cx), Held(e.cy)};
}
// WireWidth of the sheet, else the default wire width (0.01 mm).
int LineWidth(const CSheet* sheet);
int DefaultLineWidth();
RECT Normalized(RECT r);
RECT Grown(RECT r, int by);
RECT RectOf(POINT a, POINT b);              // normalised
bool Contains(const RECT& r, int x, int y); // edges inclusive
bool IsEmpty(const RECT& r);
// Maps a logical rectangle to the device, adds the view's scroll offset and
// invalidates it with erasing in the active view.
void Invalidate(DeviceContext* dc, RECT logical);
// The same, grown on the device by a number of pixels on every side.
void InvalidateDevice(DeviceContext* dc, RECT logical, int pixels);
// The given context, or a view context owned by holder.
DeviceContext* Use(DeviceContext* dc, std::unique_ptr<DeviceContext>& holder);
// Extent of text in the given font (the context's font is restored), held.
SIZE Measure(DeviceContext* dc, const LogFont& font, const std::wstring& text);
// The object lies on the sheet the active schematic view shows (on any
// sheet when the active view shows no sheet): a package's units on other
// sheets take no part in the mouse events of that view.
bool OnShownSheet(const CTreeNode* object);
// The flags of a click that keeps the selection on a miss.
constexpr uint32_t kKeepMask = 0x400008;
// Text formats.
constexpr unsigned kLabelFormat = 0x924; // single line, v-centred, no clip, no prefix
constexpr unsigned kPinFormat = 0x920;   // single line, no clip, no prefix
} // namespace SheetPaint
