// Value types and enumerations of the board-side drawing surface: status
// codes, colours and the modes that paths, pens, clips and text take.
#pragma once

#include "platform/types.h"

#include <cstdint>

// Result of a drawing, path or region call. Failing calls never stop the
// caller's work; the status is kept as the object's last status.
enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
};

enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };

enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

enum CombineMode {
    CombineModeReplace = 0,
    CombineModeIntersect = 1,
    CombineModeUnion = 2,
    CombineModeXor = 3,
    CombineModeExclude = 4,
    CombineModeComplement = 5,
};

enum SmoothingMode {
    SmoothingModeDefault = 0,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
};

enum TextRenderingHint {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5,
};

enum Unit {
    UnitWorld = 0,
    UnitDisplay = 1,
    UnitPixel = 2,
    UnitPoint = 3,
    UnitInch = 4,
    UnitDocument = 5,
    UnitMillimeter = 6,
};

enum CoordinateSpace {
    CoordinateSpaceWorld = 0,
    CoordinateSpacePage = 1,
    CoordinateSpaceDevice = 2
};

enum DashStyle {
    DashStyleSolid = 0,
    DashStyleDash = 1,
    DashStyleDot = 2,
    DashStyleDashDot = 3,
    DashStyleDashDotDot = 4,
    DashStyleCustom = 5,
};

enum LineCap {
    LineCapFlat = 0,
    LineCapSquare = 1,
    LineCapRound = 2,
    LineCapTriangle = 3,
};

enum LineJoin { LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3 };

enum PenAlignment { PenAlignmentCenter = 0, PenAlignmentInset = 1 };

enum FontStyle {
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleBoldItalic = 3,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};

enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };

// Flags of a string format that the surface honours.
enum StringFormatFlags {
    StringFormatFlagsNoWrap = 0x1000,
    StringFormatFlagsNoClip = 0x4000,
};

enum LinearGradientMode {
    LinearGradientModeHorizontal = 0,
    LinearGradientModeVertical = 1,
    LinearGradientModeForwardDiagonal = 2,
    LinearGradientModeBackwardDiagonal = 3,
};

// Point types of path data: the low three bits give the kind of point, the
// high bit closes the figure at that point.
enum PathPointType : uint8_t {
    PathPointTypeStart = 0,
    PathPointTypeLine = 1,
    PathPointTypeBezier = 3,
    PathPointTypePathTypeMask = 0x07,
    PathPointTypeDashMode = 0x10,
    PathPointTypePathMarker = 0x20,
    PathPointTypeCloseSubpath = 0x80,
};

// An ARGB colour (0xAARRGGBB).
class Color {
public:
    constexpr Color() = default;
    constexpr explicit Color(ARGB argb) : argb_(argb) {}
    constexpr Color(unsigned a, unsigned r, unsigned g, unsigned b)
        : argb_(((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF)) {}
    constexpr Color(unsigned r, unsigned g, unsigned b) : Color(0xFF, r, g, b) {}
    // A stored COLORREF (red in the low byte) with the given alpha.
    static constexpr Color FromColorRef(COLORREF c, unsigned alpha = 0xFF) {
        return Color(ColorRefToArgb(c, alpha));
    }
    constexpr ARGB GetValue() const { return argb_; }
    constexpr unsigned GetA() const { return argb_ >> 24; }
    constexpr unsigned GetR() const { return (argb_ >> 16) & 0xFF; }
    constexpr unsigned GetG() const { return (argb_ >> 8) & 0xFF; }
    constexpr unsigned GetB() const { return argb_ & 0xFF; }
    constexpr COLORREF ToColorRef() const { return MakeColorRef(GetR(), GetG(), GetB()); }
    constexpr bool operator==(const Color& o) const { return argb_ == o.argb_; }

private:
    ARGB argb_ = 0xFF000000;
};
