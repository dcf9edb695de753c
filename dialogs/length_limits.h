// The lengths the option pages accept, in millimetres. Sizes (sheet sizes,
// the schematic grid, connection dots, via pads and drills) must be at least
// 0.01 mm, the step of sheet coordinates: the grid step is a divisor when
// points snap to it, and a smaller size would round to nothing. Widths
// (lines, conductors, spacings, thermal reliefs) may be 0. Nothing may
// exceed 10 m, which keeps every length well within the 32-bit sheet
// coordinates of 0.01 mm.
#pragma once

#include "core/length_unit.h"

struct LengthLimits {
    double minMm;
    double maxMm;
    // The limits in a display unit, for a field held in that unit; a value
    // converted from the limit itself in float arithmetic still passes.
    float MinIn(int unit) const {
        return static_cast<float>(minMm / g_UnitToMm[Checked(unit)] * (1.0 - kSlack));
    }
    float MaxIn(int unit) const {
        return static_cast<float>(maxMm / g_UnitToMm[Checked(unit)] * (1.0 + kSlack));
    }

private:
    static constexpr double kSlack = 1e-6;
    static int Checked(int unit) { return IsLengthUnit(unit) ? unit : kUnitMm; }
};

inline constexpr LengthLimits kSizeLimits{0.01, 10000.0};
inline constexpr LengthLimits kWidthLimits{0.0, 10000.0};
