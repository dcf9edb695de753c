// What a number read from a document may be. A document comes back as it was
// saved: the readers change only what the editor cannot write.
//
// Sheet side: positions and sizes are 32-bit integers in grid steps (texts:
// tenths of a step); a number beyond 32 bits is held at the end of that
// range. The drawing takes any of them under any grid (sheet_paint.h). Sheet
// lengths and the grid are 0.01 mm within 10 m (kMaxSheetHundredths).
//
// Board side: lengths, positions and angles are floats; one that is not a
// number or infinite reads as if absent, and in a list of numbers ends the
// list there.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The longest sheet length, grid or width in 0.01 mm (10 m): hundredths still
// survive the way through a float of millimetres in the file.
constexpr int32_t kMaxSheetHundredths = 1000000;

// v held within the 32-bit range.
constexpr int32_t ToInt32(long long v) {
    constexpr long long lo = std::numeric_limits<int32_t>::min();
    constexpr long long hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v < lo ? lo : v > hi ? hi : v);
}

// A float a document may hold: finite.
inline bool IsDocumentFloat(double v) {
    return std::isfinite(static_cast<float>(v));
}
