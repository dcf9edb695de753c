// The sheet-side drawing surface: a device context in the manner of the
// classic Windows GDI, drawing on a PaintTarget. Schematic and symbol objects
// draw through it in logical units (0.01 mm with y up once a view has set up
// its mapping); the context maps them to device pixels with its own integer
// arithmetic and hands only device coordinates to the pixel renderer.
//
// Mapping (both axes alike):
//   device  = RoundDiv((logical - windowOrg) * viewportExt, windowExt) + viewportOrg
//   logical = RoundDiv((device - viewportOrg) * windowExt, viewportExt) + windowOrg
// where RoundDiv divides in 64-bit integers and rounds half away from zero,
// so -0.5 becomes -1 and 0.5 becomes 1. MM_TEXT maps 1:1. MM_HIMETRIC
// (0.01 mm, y up) has the viewport extent (HORZRES, -VERTRES) and the window
// extent (HORZRES x 2540 / LOGPIXELSX, VERTRES x 2540 / LOGPIXELSY) rounded
// the same way, so 0.01 mm units map exactly at the resolution whenever the
// width in pixels is a multiple of dpi / gcd(dpi, 2540) (24 at 96 dpi).
// MM_ANISOTROPIC keeps the extents it finds and lets them be set.
// MM_ISOTROPIC does the same but keeps one scale on both axes: whenever an
// extent is set, the viewport extent is shrunk (rounded, signs kept) on the
// axis that would map a logical unit to more of the surface, so a square in
// logical units stays square on the device (the resolution's aspect taken
// into account).
//
// Pens, brushes and fonts are plain values: select one and keep the returned
// previous value to select it back; nothing needs deleting.
#pragma once

#include "platform/logical_font.h"
#include "platform/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PaintTarget;
class DcRecorder;
struct DeviceContextImpl;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// Pen styles; the low nibble is the dash style.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_USERSTYLE = 7;
constexpr int PS_STYLE_MASK = 0x0000000F;
constexpr int PS_ENDCAP_ROUND = 0x00000000;
constexpr int PS_ENDCAP_SQUARE = 0x00000100;
constexpr int PS_ENDCAP_FLAT = 0x00000200;
constexpr int PS_ENDCAP_MASK = 0x00000F00;
constexpr int PS_JOIN_ROUND = 0x00000000;
constexpr int PS_JOIN_BEVEL = 0x00001000;
constexpr int PS_JOIN_MITER = 0x00002000;
constexpr int PS_JOIN_MASK = 0x0000F000;
constexpr int PS_COSMETIC = 0x00000000;
constexpr int PS_GEOMETRIC = 0x00010000;
constexpr int PS_TYPE_MASK = 0x000F0000;

// Brush styles.
constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;
constexpr int BS_HOLLOW = BS_NULL;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Text alignment of TextOut (horizontal and vertical flags combine).
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

// DrawText formats. Only single lines are laid out; '&' is always drawn as
// itself (no prefix processing).
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Font weights.
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// GetDeviceCaps indices.
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

// Raster operation of BitBlt (only a plain copy is supported).
constexpr uint32_t SRCCOPY = 0x00CC0020;

// Region results of the clipping calls.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// A pen. Width is in logical units; 0 draws one device pixel at any scale.
// A cosmetic styled pen (dash, dot, ...) wider than 1 draws solid, as GDI
// does. PS_USERSTYLE takes its on/off lengths from `dashes`, in logical units
// for a geometric pen and in device pixels for a cosmetic one.
struct GdiPen {
    int style = PS_SOLID;
    int width = 0;
    COLORREF color = 0;
    std::vector<uint32_t> dashes;
    int DashStyle() const { return style & PS_STYLE_MASK; }
    bool IsNull() const { return DashStyle() == PS_NULL; }
};
bool operator==(const GdiPen& a, const GdiPen& b);

struct GdiBrush {
    int style = BS_SOLID;
    COLORREF color = 0;
    bool IsNull() const { return style == BS_NULL; }
};
inline bool operator==(const GdiBrush& a, const GdiBrush& b) {
    return a.style == b.style && (a.style == BS_NULL || a.color == b.color);
}

// A font description. Height in logical units: negative = character (em)
// height, positive = cell height (ascent + descent), 0 = a default size.
// Width 0 = the face's natural width. Escapement in tenths of a degree,
// counter-clockwise as seen on the screen (900 reads upward); orientation is
// kept but text always turns by the escapement.

GdiPen CreatePen(int style, int width, COLORREF color);
// A geometric or cosmetic pen with end cap, join and optional user dashes.
GdiPen ExtCreatePen(int style, int width, COLORREF color, const std::vector<uint32_t>& dashes = {});
GdiBrush CreateSolidBrush(COLORREF color);
GdiBrush GetStockBrush(int stock);
GdiPen GetStockPen(int stock);

class DeviceContext {
public:
    // Draws on the target (which must outlive the context).
    explicit DeviceContext(PaintTarget& target);
    // A context without pixels: it maps, measures and records but draws
    // nothing. For tests of drawing code and for measuring.
    DeviceContext(int width, int height, int dpiX = 96, int dpiY = 96);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    PaintTarget* Target() const;
    // Every call that draws is also reported to the recorder (null: none).
    void SetRecorder(DcRecorder* recorder);
    DcRecorder* Recorder() const;

    // --- Mapping -------------------------------------------------------
    // Returns the previous mode (0 on an unknown mode, which changes nothing).
    int SetMapMode(int mode);
    int GetMapMode() const;
    // Extents are refused (false) outside MM_ANISOTROPIC and MM_ISOTROPIC
    // and when zero.
    bool SetWindowExt(int cx, int cy, SIZE* previous = nullptr);
    bool SetViewportExt(int cx, int cy, SIZE* previous = nullptr);
    bool SetWindowOrg(int x, int y, POINT* previous = nullptr);
    bool SetViewportOrg(int x, int y, POINT* previous = nullptr);
    bool OffsetWindowOrg(int dx, int dy, POINT* previous = nullptr);
    bool OffsetViewportOrg(int dx, int dy, POINT* previous = nullptr);
    SIZE GetWindowExt() const;
    SIZE GetViewportExt() const;
    POINT GetWindowOrg() const;
    POINT GetViewportOrg() const;
    // Device coordinates are held within 2^30 pixels of the origin, so that
    // a scroll offset added to them stays inside 32 bits.
    bool LPtoDP(POINT* points, int count) const;
    bool DPtoLP(POINT* points, int count) const;
    // A rectangle converts as its two corners; it is not reordered.
    bool LPtoDP(RECT* rect) const;
    bool DPtoLP(RECT* rect) const;
    POINT ToDevice(POINT logical) const;
    POINT ToLogical(POINT device) const;

    // --- Objects and settings -----------------------------------------
    GdiPen SelectPen(const GdiPen& pen);
    GdiBrush SelectBrush(const GdiBrush& brush);
    LogFont SelectFont(const LogFont& font);
    const GdiPen& GetPen() const;
    const GdiBrush& GetBrush() const;
    const LogFont& GetFont() const;
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    unsigned SetTextAlign(unsigned align);
    unsigned GetTextAlign() const;
    int SetPolyFillMode(int mode);
    int GetPolyFillMode() const;

    // Saves the whole state; returns its level (1, 2, ...), 0 on failure.
    int SaveDC();
    // Restores the state of the given level (discarding later ones), or for
    // a negative value the state that many saves back (-1 = the last one).
    bool RestoreDC(int saved);

    // --- Drawing (logical units) ---------------------------------------
    POINT MoveTo(int x, int y);
    POINT GetCurrentPosition() const;
    bool LineTo(int x, int y);
    bool Polyline(const POINT* points, int count);
    bool Polygon(const POINT* points, int count);
    // 3n + 1 points: start, then control, control, end for each curve.
    bool PolyBezier(const POINT* points, int count);
    // 3n points continuing from the current position, which moves to the last.
    bool PolyBezierTo(const POINT* points, int count);
    bool Rectangle(int left, int top, int right, int bottom);
    bool RoundRect(int left, int top, int right, int bottom, int width, int height);
    bool Ellipse(int left, int top, int right, int bottom);
    // The elliptic arc in the box from the ray through (xs, ys) to the ray
    // through (xe, ye), counter-clockwise as seen on the screen; equal rays
    // give the whole ellipse. Pie adds the two radii, Chord the closing
    // chord; both fill with the brush.
    bool Arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
    bool Pie(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
    bool Chord(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
    COLORREF SetPixel(int x, int y, COLORREF color);
    int FillRect(const RECT& rect, const GdiBrush& brush);
    int FrameRect(const RECT& rect, const GdiBrush& brush);
    bool DrawFocusRect(const RECT& rect);

    // --- Text ---------------------------------------------------------
    bool TextOut(int x, int y, const std::wstring& text);
    // Extent in logical units of the text in the selected font (unturned).
    SIZE GetTextExtentPoint32(const std::wstring& text) const;
    // Single-line text placed in the rectangle by the format; returns the
    // text height in logical units. The rectangle is mapped to the device and
    // ordered there, so with y up its larger y is its top edge. A turned font
    // turns the text about the top-left corner of its unturned place.
    int DrawText(const std::wstring& text, const RECT& rect, unsigned format);

    // --- Clipping (logical rectangles unless said otherwise) -----------
    int IntersectClipRect(int left, int top, int right, int bottom);
    int ExcludeClipRect(int left, int top, int right, int bottom);
    // Clip to a rectangle in device pixels; null removes the clip.
    int SelectClipRect(const RECT* deviceRect);
    // The clip's bounding box (or the whole surface) in logical units, its
    // corners converted as they lie (top above bottom on the screen).
    int GetClipBox(RECT* rect) const;

    // --- Device --------------------------------------------------------
    int GetDeviceCaps(int index) const;
    // An image target of the given size in pixels with this context's
    // resolution, for drawing off-screen and copying with BitBlt.
    std::unique_ptr<PaintTarget> CreateCompatibleBitmap(int width, int height) const;
    // Copies a block of the source context's image target. Coordinates are
    // logical units of each context.
    bool BitBlt(int x, int y, int width, int height, const DeviceContext& source, int sx, int sy,
                uint32_t rop = SRCCOPY);

    DeviceContextImpl* Impl() const { return impl_.get(); }

private:
    std::unique_ptr<DeviceContextImpl> impl_;
};
