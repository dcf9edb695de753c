// The four display units of lengths. Lengths are held in millimetres; a
// unit's factor turns a value shown in it into millimetres, and its
// decimals are the digits shown after the point.
#pragma once

enum LengthUnit : int {
    kUnitInch = 0,
    kUnitMm = 1,
    kUnitMil = 2,
    kUnitMicrometre = 3,
};
constexpr int kLengthUnitCount = 4;

inline constexpr double g_UnitToMm[kLengthUnitCount] = {25.4, 1.0, 0.0254, 0.001};
inline constexpr int g_UnitDecimals[kLengthUnitCount] = {3, 3, 1, 0};

constexpr bool IsLengthUnit(int unit) {
    return unit >= 0 && unit < kLengthUnitCount;
}
