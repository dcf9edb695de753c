// What a number read from a document may be. A file edited by hand or
// damaged can hold any number; the readers keep each within what the
// drawing and output arithmetic can take, as they keep other values they
// cannot use (an unknown unit, a negative width) at something usable.
//
// Sheet side: positions and sizes are whole grid steps (texts: tenths of a
// step) multiplied by the grid in 0.01 mm. With both bounded, a sum of a
// few such products stays far inside 32 bits. 20000 steps of the coarsest
// grid are 2 km; of a 0.1 mm grid, 2 m, beyond the largest sheet.
//
// Board side: lengths, positions and angles are floats; one that is not a
// number or infinite reads as if absent (or unread, in a list of numbers).
#pragma once

#include <cmath>
#include <cstdint>

constexpr int kMaxSheetSteps = 20000;
constexpr int kMaxSheetTenths = 10 * kMaxSheetSteps;
// The coarsest sheet grid, 0.01 mm (100 mm).
constexpr int32_t kMaxSheetGrid = 10000;

// v held within -limit..limit.
constexpr int ClampToSteps(long long v, int limit = kMaxSheetSteps) {
    return static_cast<int>(v < -limit ? -limit : v > limit ? limit : v);
}

// A float a document may hold: finite.
inline bool IsDocumentFloat(double v) {
    return std::isfinite(static_cast<float>(v));
}
