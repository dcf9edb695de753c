// Plain value types shared by the platform layer and the model: integer
// points and rectangles of the sheet side, float points and rectangles of the
// board side, and colours.
#pragma once

#include <cstdint>

// Integer point and rectangle (sheet side, device pixels, logical units).
struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct SIZE {
    int32_t cx = 0;
    int32_t cy = 0;
};

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline bool operator==(const SIZE& a, const SIZE& b) {
    return a.cx == b.cx && a.cy == b.cy;
}
inline bool operator==(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool IsRectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Float point, size and rectangle (board side, millimetres or pixels).
struct PointF {
    float X = 0;
    float Y = 0;
};

struct SizeF {
    float Width = 0;
    float Height = 0;
};

struct RectF {
    float X = 0;
    float Y = 0;
    float Width = 0;
    float Height = 0;
};

inline bool operator==(const PointF& a, const PointF& b) {
    return a.X == b.X && a.Y == b.Y;
}
inline bool operator==(const RectF& a, const RectF& b) {
    return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height;
}

// The smallest rectangle holding both.
inline RectF UniteRects(const RectF& a, const RectF& b) {
    const float left = a.X < b.X ? a.X : b.X, top = a.Y < b.Y ? a.Y : b.Y;
    const float right = a.X + a.Width > b.X + b.Width ? a.X + a.Width : b.X + b.Width;
    const float bottom = a.Y + a.Height > b.Y + b.Height ? a.Y + a.Height : b.Y + b.Height;
    return RectF{left, top, right - left, bottom - top};
}

// 0x00BBGGRR: red in the low byte, as colours are stored in settings and files.
using COLORREF = uint32_t;
// 0xAARRGGBB, the board side's colour with alpha.
using ARGB = uint32_t;

constexpr COLORREF MakeColorRef(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned ColorRefRed(COLORREF c) {
    return c & 0xFF;
}
constexpr unsigned ColorRefGreen(COLORREF c) {
    return (c >> 8) & 0xFF;
}
constexpr unsigned ColorRefBlue(COLORREF c) {
    return (c >> 16) & 0xFF;
}

// A COLORREF with the given alpha as ARGB.
constexpr ARGB ColorRefToArgb(COLORREF c, unsigned alpha) {
    return ((alpha & 0xFF) << 24) | (ColorRefRed(c) << 16) | (ColorRefGreen(c) << 8) |
           ColorRefBlue(c);
}
