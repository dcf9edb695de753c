#include "platform/device_context.h"

#include "platform/dc_recorder.h"
#include "platform/font_table.h"
#include "platform/paint_target_impl.h"

#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;

// MM_HIMETRIC maps the surface's width and height in 0.01 mm (rounded from
// its pixels and resolution) onto its pixels, as the printer mapping relies
// on: its viewport extent is the printable width. A surface without a size
// takes ten inches.
constexpr int kFallbackInches = 10;

// Cell height of a font whose description gives no height, in pixels.
constexpr int kDefaultFontCell = 16;

int64_t RoundDiv(int64_t num, int64_t den) {
    if (den == 0)
        return 0;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    int64_t q = num / den;
    int64_t r = num % den;
    if (2 * (r < 0 ? -r : r) >= den)
        q += num < 0 ? -1 : 1;
    return q;
}

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Device coordinates are held within this far from the origin: far beyond any
// window, with room in 32 bits for the scroll offsets callers add to them.
constexpr int64_t kFarDevice = int64_t{1} << 30;

int32_t ClampDevice(int64_t v) {
    return static_cast<int32_t>(std::clamp(v, -kFarDevice, kFarDevice));
}

QColor ToQColor(COLORREF c) {
    return QColor(int(ColorRefRed(c)), int(ColorRefGreen(c)), int(ColorRefBlue(c)));
}

double NormDegrees(double a) {
    a = std::fmod(a, 360.0);
    if (a < 0)
        a += 360.0;
    return a;
}

struct DcState {
    int mapMode = MM_TEXT;
    SIZE winExt{1, 1};
    SIZE vpExt{1, 1};
    POINT winOrg;
    POINT vpOrg;
    GdiPen pen = GetStockPen(BLACK_PEN);
    GdiBrush brush = GetStockBrush(WHITE_BRUSH);
    LogFont font;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    unsigned align = TA_LEFT | TA_TOP;
    int fillMode = ALTERNATE;
    POINT cp;
    bool hasClip = false;
    QRegion clip; // device pixels
};

} // namespace

struct DeviceContextImpl {
    PaintTarget* target = nullptr;
    int width = 0;
    int height = 0;
    int dpiX = 96;
    int dpiY = 96;
    DcState s;
    std::vector<DcState> saved;
    DcRecorder* recorder = nullptr;

    // Recently realised fonts with the mapping scale they were realised
    // for; drawing code switches between a few fonts all the time.
    struct CachedFont {
        LogFont logFont;
        int64_t scale[4];
        QFont font;
    };
    mutable std::vector<CachedFont> fonts;

    int64_t MapX(int64_t x) const {
        return RoundDiv((x - s.winOrg.x) * s.vpExt.cx, s.winExt.cx) + s.vpOrg.x;
    }
    int64_t MapY(int64_t y) const {
        return RoundDiv((y - s.winOrg.y) * s.vpExt.cy, s.winExt.cy) + s.vpOrg.y;
    }
    POINT ToDevice(POINT p) const { return {ClampDevice(MapX(p.x)), ClampDevice(MapY(p.y))}; }
    POINT ToLogical(POINT p) const {
        return {
            Clamp32(RoundDiv((int64_t(p.x) - s.vpOrg.x) * s.winExt.cx, s.vpExt.cx) + s.winOrg.x),
            Clamp32(RoundDiv((int64_t(p.y) - s.vpOrg.y) * s.winExt.cy, s.vpExt.cy) + s.winOrg.y)};
    }
    // Logical lengths to pixels along each axis (magnitudes).
    int LenX(int64_t v) const {
        return Clamp32(RoundDiv(std::llabs(v) * std::llabs(s.vpExt.cx), std::llabs(s.winExt.cx)));
    }
    int LenY(int64_t v) const {
        return Clamp32(RoundDiv(std::llabs(v) * std::llabs(s.vpExt.cy), std::llabs(s.winExt.cy)));
    }
    int PixToLenX(int64_t v) const {
        return Clamp32(RoundDiv(std::llabs(v) * std::llabs(s.winExt.cx), std::llabs(s.vpExt.cx)));
    }
    int PixToLenY(int64_t v) const {
        return Clamp32(RoundDiv(std::llabs(v) * std::llabs(s.winExt.cy), std::llabs(s.vpExt.cy)));
    }
    // A logical box as an ordered device rectangle (right and bottom outside).
    QRect DeviceBox(int l, int t, int r, int b) const {
        POINT a = ToDevice({l, t});
        POINT c = ToDevice({r, b});
        int x0 = std::min(a.x, c.x), x1 = std::max(a.x, c.x);
        int y0 = std::min(a.y, c.y), y1 = std::max(a.y, c.y);
        return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
    }

    QPaintDevice* Device() const { return target ? target->Impl()->device : nullptr; }

    int PenPixels(const GdiPen& pen) const {
        if (pen.width <= 0)
            return 1;
        return std::max(1, LenX(pen.width));
    }
    QPen MakeQPen(const GdiPen& pen) const;
    QBrush MakeQBrush(const GdiBrush& brush) const {
        if (brush.IsNull())
            return Qt::NoBrush;
        return QBrush(ToQColor(brush.color));
    }
    QFont Font() const;

    DcRecord NewRecord(DcOp op, std::vector<POINT> logical, std::vector<POINT> device) const {
        DcRecord r;
        r.op = op;
        r.logical = std::move(logical);
        r.device = std::move(device);
        r.pen = s.pen;
        r.devicePenWidth = PenPixels(s.pen);
        r.brush = s.brush;
        r.fillMode = s.fillMode;
        r.font = s.font;
        r.color = s.textColor;
        r.bkColor = s.bkColor;
        r.bkMode = s.bkMode;
        r.align = s.align;
        r.mapMode = s.mapMode;
        return r;
    }
    void Record(DcRecord r) {
        if (recorder)
            recorder->Add(std::move(r));
    }
};

namespace {

// The shared painter of the target, set up for device pixels with this
// context's clip; its state is restored when the scope ends.
class PaintScope {
public:
    explicit PaintScope(const DeviceContextImpl& dc) {
        if (!dc.target)
            return;
        // A board-side surface may hold the painter with its own transform
        // and clip; it restores them before we draw.
        dc.target->Impl()->ReleaseHolder();
        painter_ = dc.target->Impl()->Painter();
        if (!painter_)
            return;
        painter_->save();
        painter_->resetTransform();
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_->setOpacity(1.0);
        if (dc.s.hasClip)
            painter_->setClipRegion(dc.s.clip);
        else
            painter_->setClipping(false);
    }
    ~PaintScope() {
        if (painter_)
            painter_->restore();
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    QPainter* operator->() const { return painter_; }
    explicit operator bool() const { return painter_ != nullptr; }
    QPainter* Get() const { return painter_; }

private:
    QPainter* painter_ = nullptr;
};

// Cosmetic dash patterns in pixels, as the screen draws them.
QVector<qreal> CosmeticDashes(int style) {
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// Geometric dash patterns in pen widths.
QVector<qreal> GeometricDashes(int style) {
    switch (style) {
    case PS_DASH:
        return {3, 1};
    case PS_DOT:
        return {1, 1};
    case PS_DASHDOT:
        return {3, 1, 1, 1};
    case PS_DASHDOTDOT:
        return {3, 1, 1, 1, 1, 1};
    default:
        return {};
    }
}

} // namespace

QPen DeviceContextImpl::MakeQPen(const GdiPen& pen) const {
    if (pen.IsNull())
        return Qt::NoPen;
    const int px = PenPixels(pen);
    const bool geometric = (pen.style & PS_TYPE_MASK) == PS_GEOMETRIC;
    const int dash = pen.DashStyle();
    QPen q(ToQColor(pen.color));
    q.setWidth(px <= 1 ? 0 : px);
    if (geometric || px > 1) {
        switch (pen.style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE:
            q.setCapStyle(Qt::SquareCap);
            break;
        case PS_ENDCAP_FLAT:
            q.setCapStyle(Qt::FlatCap);
            break;
        default:
            q.setCapStyle(Qt::RoundCap);
        }
        switch (pen.style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL:
            q.setJoinStyle(Qt::BevelJoin);
            break;
        case PS_JOIN_MITER:
            q.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            q.setJoinStyle(Qt::RoundJoin);
        }
    } else {
        q.setCapStyle(Qt::FlatCap);
        q.setJoinStyle(Qt::MiterJoin);
    }
    if (dash == PS_USERSTYLE && !pen.dashes.empty()) {
        QVector<qreal> d;
        const qreal unit = px <= 1 ? 1.0 : qreal(px);
        for (uint32_t v : pen.dashes) {
            qreal len = geometric ? qreal(LenX(v)) : qreal(v);
            d.push_back(std::max<qreal>(len / unit, 0.01));
        }
        if (d.size() % 2)
            d.push_back(d.back());
        q.setDashPattern(d);
    } else if (dash >= PS_DASH && dash <= PS_DASHDOTDOT) {
        if (geometric)
            q.setDashPattern(GeometricDashes(dash));
        else if (pen.width <= 1) // a wider cosmetic styled pen draws solid
            q.setDashPattern(CosmeticDashes(dash));
    }
    return q;
}

QFont DeviceContextImpl::Font() const {
    const int64_t scale[4] = {s.vpExt.cx, s.winExt.cx, s.vpExt.cy, s.winExt.cy};
    for (const CachedFont& c : fonts)
        if (c.logFont == s.font && std::equal(scale, scale + 4, c.scale))
            return c.font;
    const LogFont& lf = s.font;
    QFont f;
    std::wstring family = ResolveFontFamily(lf.lfFaceName);
    if (family.empty())
        family = ResolveFontFamily(L"Arial");
    if (!family.empty())
        f.setFamily(QString::fromStdWString(family));
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferDefault);
    int cell = lf.lfHeight == 0 ? kDefaultFontCell : std::max(1, LenY(lf.lfHeight));
    f.setPixelSize(cell);
    if (lf.lfHeight >= 0) {
        // A positive height is the whole cell; scale the em so that ascent
        // plus descent come to it.
        QFontMetrics m(f);
        int got = m.ascent() + m.descent();
        if (got > 0 && got != cell)
            f.setPixelSize(std::max(1, int(std::lround(double(cell) * cell / got))));
    }
    int weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp(lf.lfWeight, 100, 900);
    f.setWeight(QFont::Weight(weight));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfWidth != 0) {
        QFontMetrics m(f);
        int avg = m.averageCharWidth();
        int want = std::max(1, LenX(lf.lfWidth));
        if (avg > 0)
            f.setStretch(std::clamp(int(std::lround(100.0 * want / avg)), 1, 4000));
    }
    constexpr size_t kCachedFonts = 8;
    if (fonts.size() >= kCachedFonts)
        fonts.erase(fonts.begin());
    CachedFont c{lf, {}, f};
    std::copy(scale, scale + 4, c.scale);
    fonts.push_back(std::move(c));
    return f;
}

// --- Value helpers ---------------------------------------------------------

bool operator==(const GdiPen& a, const GdiPen& b) {
    return a.style == b.style && a.width == b.width && a.color == b.color && a.dashes == b.dashes;
}

bool operator==(const LogFont& a, const LogFont& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           a.lfFaceName == b.lfFaceName;
}

GdiPen CreatePen(int style, int width, COLORREF color) {
    GdiPen p;
    p.style = style & PS_STYLE_MASK;
    if (p.style == PS_USERSTYLE)
        p.style = PS_SOLID;
    p.width = std::max(0, width);
    p.color = color;
    return p;
}

GdiPen ExtCreatePen(int style, int width, COLORREF color, const std::vector<uint32_t>& dashes) {
    GdiPen p;
    p.style = style;
    p.width = std::max(0, width);
    p.color = color;
    if ((style & PS_STYLE_MASK) == PS_USERSTYLE)
        p.dashes = dashes;
    return p;
}

GdiBrush CreateSolidBrush(COLORREF color) {
    return GdiBrush{BS_SOLID, color};
}

GdiBrush GetStockBrush(int stock) {
    switch (stock) {
    case BLACK_BRUSH:
        return GdiBrush{BS_SOLID, 0x000000};
    case NULL_BRUSH:
        return GdiBrush{BS_NULL, 0};
    default:
        return GdiBrush{BS_SOLID, 0xFFFFFF};
    }
}

GdiPen GetStockPen(int stock) {
    switch (stock) {
    case WHITE_PEN:
        return CreatePen(PS_SOLID, 0, 0xFFFFFF);
    case NULL_PEN:
        return CreatePen(PS_NULL, 0, 0);
    default:
        return CreatePen(PS_SOLID, 0, 0x000000);
    }
}

// --- Construction -----------------------------------------------------------

DeviceContext::DeviceContext(PaintTarget& target) : impl_(std::make_unique<DeviceContextImpl>()) {
    impl_->target = &target;
    impl_->width = target.Width();
    impl_->height = target.Height();
    impl_->dpiX = target.DpiX() > 0 ? target.DpiX() : 96;
    impl_->dpiY = target.DpiY() > 0 ? target.DpiY() : 96;
}

DeviceContext::DeviceContext(int width, int height, int dpiX, int dpiY)
    : impl_(std::make_unique<DeviceContextImpl>()) {
    impl_->width = std::max(0, width);
    impl_->height = std::max(0, height);
    impl_->dpiX = dpiX > 0 ? dpiX : 96;
    impl_->dpiY = dpiY > 0 ? dpiY : 96;
}

DeviceContext::~DeviceContext() = default;

PaintTarget* DeviceContext::Target() const {
    return impl_->target;
}
void DeviceContext::SetRecorder(DcRecorder* recorder) {
    impl_->recorder = recorder;
}
DcRecorder* DeviceContext::Recorder() const {
    return impl_->recorder;
}

// --- Mapping -----------------------------------------------------------------

int DeviceContext::SetMapMode(int mode) {
    DcState& s = impl_->s;
    const int previous = s.mapMode;
    switch (mode) {
    case MM_TEXT:
        s.winExt = {1, 1};
        s.vpExt = {1, 1};
        break;
    case MM_HIMETRIC: {
        const int w = impl_->width > 0 ? impl_->width : kFallbackInches * impl_->dpiX;
        const int h = impl_->height > 0 ? impl_->height : kFallbackInches * impl_->dpiY;
        s.winExt = {std::max(1, Clamp32(RoundDiv(int64_t(w) * 2540, impl_->dpiX))),
                    std::max(1, Clamp32(RoundDiv(int64_t(h) * 2540, impl_->dpiY)))};
        s.vpExt = {w, -h};
        break;
    }
    case MM_ANISOTROPIC:
    case MM_ISOTROPIC:
        break; // keeps the extents of the mode before
    default:
        return 0;
    }
    s.mapMode = mode;
    return previous;
}

int DeviceContext::GetMapMode() const {
    return impl_->s.mapMode;
}

namespace {
bool TakesExtents(int mode) {
    return mode == MM_ANISOTROPIC || mode == MM_ISOTROPIC;
}

// One scale on both axes: the viewport axis that maps a logical unit to the
// longer physical distance is shrunk to the other's scale.
void MakeIsotropic(DcState& s, int dpiX, int dpiY) {
    const int64_t wx = std::abs(int64_t(s.winExt.cx)), wy = std::abs(int64_t(s.winExt.cy));
    const int64_t vx = std::abs(int64_t(s.vpExt.cx)), vy = std::abs(int64_t(s.vpExt.cy));
    // Compare vx / (wx * dpiX) with vy / (wy * dpiY).
    const int64_t left = vx * wy * dpiY, right = vy * wx * dpiX;
    if (left > right) {
        int64_t nx = std::max<int64_t>(1, RoundDiv(vy * wx * dpiX, wy * dpiY));
        s.vpExt.cx = Clamp32(s.vpExt.cx < 0 ? -nx : nx);
    } else if (right > left) {
        int64_t ny = std::max<int64_t>(1, RoundDiv(vx * wy * dpiY, wx * dpiX));
        s.vpExt.cy = Clamp32(s.vpExt.cy < 0 ? -ny : ny);
    }
}
} // namespace

bool DeviceContext::SetWindowExt(int cx, int cy, SIZE* previous) {
    DcState& s = impl_->s;
    if (previous)
        *previous = s.winExt;
    if (!TakesExtents(s.mapMode) || cx == 0 || cy == 0)
        return false;
    s.winExt = {cx, cy};
    if (s.mapMode == MM_ISOTROPIC)
        MakeIsotropic(s, impl_->dpiX, impl_->dpiY);
    return true;
}

bool DeviceContext::SetViewportExt(int cx, int cy, SIZE* previous) {
    DcState& s = impl_->s;
    if (previous)
        *previous = s.vpExt;
    if (!TakesExtents(s.mapMode) || cx == 0 || cy == 0)
        return false;
    s.vpExt = {cx, cy};
    if (s.mapMode == MM_ISOTROPIC)
        MakeIsotropic(s, impl_->dpiX, impl_->dpiY);
    return true;
}

bool DeviceContext::SetWindowOrg(int x, int y, POINT* previous) {
    if (previous)
        *previous = impl_->s.winOrg;
    impl_->s.winOrg = {x, y};
    return true;
}

bool DeviceContext::SetViewportOrg(int x, int y, POINT* previous) {
    if (previous)
        *previous = impl_->s.vpOrg;
    impl_->s.vpOrg = {x, y};
    return true;
}

bool DeviceContext::OffsetWindowOrg(int dx, int dy, POINT* previous) {
    POINT o = impl_->s.winOrg;
    return SetWindowOrg(o.x + dx, o.y + dy, previous);
}

bool DeviceContext::OffsetViewportOrg(int dx, int dy, POINT* previous) {
    POINT o = impl_->s.vpOrg;
    return SetViewportOrg(o.x + dx, o.y + dy, previous);
}

SIZE DeviceContext::GetWindowExt() const {
    return impl_->s.winExt;
}
SIZE DeviceContext::GetViewportExt() const {
    return impl_->s.vpExt;
}
POINT DeviceContext::GetWindowOrg() const {
    return impl_->s.winOrg;
}
POINT DeviceContext::GetViewportOrg() const {
    return impl_->s.vpOrg;
}

bool DeviceContext::LPtoDP(POINT* points, int count) const {
    if (!points || count < 0)
        return false;
    for (int i = 0; i < count; ++i)
        points[i] = impl_->ToDevice(points[i]);
    return true;
}

bool DeviceContext::DPtoLP(POINT* points, int count) const {
    if (!points || count < 0)
        return false;
    for (int i = 0; i < count; ++i)
        points[i] = impl_->ToLogical(points[i]);
    return true;
}

bool DeviceContext::LPtoDP(RECT* rect) const {
    if (!rect)
        return false;
    POINT a = impl_->ToDevice({rect->left, rect->top});
    POINT b = impl_->ToDevice({rect->right, rect->bottom});
    *rect = {a.x, a.y, b.x, b.y};
    return true;
}

bool DeviceContext::DPtoLP(RECT* rect) const {
    if (!rect)
        return false;
    POINT a = impl_->ToLogical({rect->left, rect->top});
    POINT b = impl_->ToLogical({rect->right, rect->bottom});
    *rect = {a.x, a.y, b.x, b.y};
    return true;
}

POINT DeviceContext::ToDevice(POINT logical) const {
    return impl_->ToDevice(logical);
}
POINT DeviceContext::ToLogical(POINT device) const {
    return impl_->ToLogical(device);
}

// --- Objects and settings ------------------------------------------------------

GdiPen DeviceContext::SelectPen(const GdiPen& pen) {
    GdiPen previous = impl_->s.pen;
    impl_->s.pen = pen;
    return previous;
}

GdiBrush DeviceContext::SelectBrush(const GdiBrush& brush) {
    GdiBrush previous = impl_->s.brush;
    impl_->s.brush = brush;
    return previous;
}

LogFont DeviceContext::SelectFont(const LogFont& font) {
    LogFont previous = impl_->s.font;
    impl_->s.font = font;
    return previous;
}

const GdiPen& DeviceContext::GetPen() const {
    return impl_->s.pen;
}
const GdiBrush& DeviceContext::GetBrush() const {
    return impl_->s.brush;
}
const LogFont& DeviceContext::GetFont() const {
    return impl_->s.font;
}

COLORREF DeviceContext::SetTextColor(COLORREF color) {
    return std::exchange(impl_->s.textColor, color & 0xFFFFFF);
}
COLORREF DeviceContext::GetTextColor() const {
    return impl_->s.textColor;
}
COLORREF DeviceContext::SetBkColor(COLORREF color) {
    return std::exchange(impl_->s.bkColor, color & 0xFFFFFF);
}
COLORREF DeviceContext::GetBkColor() const {
    return impl_->s.bkColor;
}

int DeviceContext::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(impl_->s.bkMode, mode);
}
int DeviceContext::GetBkMode() const {
    return impl_->s.bkMode;
}

unsigned DeviceContext::SetTextAlign(unsigned align) {
    return std::exchange(impl_->s.align, align);
}
unsigned DeviceContext::GetTextAlign() const {
    return impl_->s.align;
}

int DeviceContext::SetPolyFillMode(int mode) {
    if (mode != ALTERNATE && mode != WINDING)
        return 0;
    return std::exchange(impl_->s.fillMode, mode);
}
int DeviceContext::GetPolyFillMode() const {
    return impl_->s.fillMode;
}

int DeviceContext::SaveDC() {
    impl_->saved.push_back(impl_->s);
    return int(impl_->saved.size());
}

bool DeviceContext::RestoreDC(int saved) {
    const int count = int(impl_->saved.size());
    int index = saved < 0 ? count + saved : saved - 1;
    if (saved == 0 || index < 0 || index >= count)
        return false;
    impl_->s = impl_->saved[size_t(index)];
    impl_->saved.resize(size_t(index));
    return true;
}

// --- Lines and curves ------------------------------------------------------------

POINT DeviceContext::MoveTo(int x, int y) {
    return std::exchange(impl_->s.cp, POINT{x, y});
}

POINT DeviceContext::GetCurrentPosition() const {
    return impl_->s.cp;
}

bool DeviceContext::LineTo(int x, int y) {
    DeviceContextImpl& d = *impl_;
    const POINT from = d.s.cp, to{x, y};
    const POINT a = d.ToDevice(from), b = d.ToDevice(to);
    d.Record(d.NewRecord(DcOp::Line, {from, to}, {a, b}));
    d.s.cp = to;
    PaintScope p(d);
    if (p && !d.s.pen.IsNull()) {
        p->setPen(d.MakeQPen(d.s.pen));
        p->drawLine(a.x, a.y, b.x, b.y);
    }
    return true;
}

namespace {

QPolygon ToQPolygon(const std::vector<POINT>& pts) {
    QPolygon poly;
    poly.reserve(int(pts.size()));
    for (const POINT& p : pts)
        poly.append(QPoint(p.x, p.y));
    return poly;
}

} // namespace

bool DeviceContext::Polyline(const POINT* points, int count) {
    if (!points || count < 2)
        return false;
    DeviceContextImpl& d = *impl_;
    std::vector<POINT> lp(points, points + count), dp(lp);
    LPtoDP(dp.data(), count);
    d.Record(d.NewRecord(DcOp::Polyline, lp, dp));
    PaintScope p(d);
    if (p && !d.s.pen.IsNull()) {
        p->setPen(d.MakeQPen(d.s.pen));
        p->setBrush(Qt::NoBrush);
        p->drawPolyline(ToQPolygon(dp));
    }
    return true;
}

bool DeviceContext::Polygon(const POINT* points, int count) {
    if (!points || count < 2)
        return false;
    DeviceContextImpl& d = *impl_;
    std::vector<POINT> lp(points, points + count), dp(lp);
    LPtoDP(dp.data(), count);
    d.Record(d.NewRecord(DcOp::Polygon, lp, dp));
    PaintScope p(d);
    if (p) {
        p->setPen(d.MakeQPen(d.s.pen));
        p->setBrush(d.MakeQBrush(d.s.brush));
        p->drawPolygon(ToQPolygon(dp), d.s.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    }
    return true;
}

namespace {

void DrawBeziers(DeviceContextImpl& d, const std::vector<POINT>& dp) {
    PaintScope p(d);
    if (!p || d.s.pen.IsNull())
        return;
    QPainterPath path(QPointF(dp[0].x, dp[0].y));
    for (size_t i = 1; i + 2 < dp.size(); i += 3)
        path.cubicTo(QPointF(dp[i].x, dp[i].y), QPointF(dp[i + 1].x, dp[i + 1].y),
                     QPointF(dp[i + 2].x, dp[i + 2].y));
    p->setPen(d.MakeQPen(d.s.pen));
    p->setBrush(Qt::NoBrush);
    p->drawPath(path);
}

} // namespace

bool DeviceContext::PolyBezier(const POINT* points, int count) {
    if (!points || count < 1 || (count - 1) % 3 != 0)
        return false;
    DeviceContextImpl& d = *impl_;
    std::vector<POINT> lp(points, points + count), dp(lp);
    LPtoDP(dp.data(), count);
    d.Record(d.NewRecord(DcOp::Bezier, lp, dp));
    DrawBeziers(d, dp);
    return true;
}

bool DeviceContext::PolyBezierTo(const POINT* points, int count) {
    if (!points || count < 3 || count % 3 != 0)
        return false;
    DeviceContextImpl& d = *impl_;
    std::vector<POINT> lp{d.s.cp};
    lp.insert(lp.end(), points, points + count);
    std::vector<POINT> dp(lp);
    LPtoDP(dp.data(), int(dp.size()));
    d.Record(d.NewRecord(DcOp::Bezier, lp, dp));
    d.s.cp = points[count - 1];
    DrawBeziers(d, dp);
    return true;
}

// --- Boxes -------------------------------------------------------------------------

namespace {

// The rectangle a box shape is drawn on: the ordered device box less its
// right and bottom pixel, which GDI leaves out.
QRectF ShapeRect(const QRect& box) {
    return QRectF(box.left(), box.top(), box.width() - 1, box.height() - 1);
}

} // namespace

bool DeviceContext::Rectangle(int left, int top, int right, int bottom) {
    DeviceContextImpl& d = *impl_;
    const QRect box = d.DeviceBox(left, top, right, bottom);
    d.Record(d.NewRecord(DcOp::Rectangle, {{left, top}, {right, bottom}},
                         {d.ToDevice({left, top}), d.ToDevice({right, bottom})}));
    PaintScope p(d);
    if (!p || box.width() < 1 || box.height() < 1)
        return true;
    if (d.s.pen.IsNull()) {
        // Without an outline the fill stops one pixel short on the right
        // and at the bottom.
        if (!d.s.brush.IsNull() && box.width() > 1 && box.height() > 1)
            p->fillRect(QRect(box.left(), box.top(), box.width() - 1, box.height() - 1),
                        d.MakeQBrush(d.s.brush));
        return true;
    }
    p->setPen(d.MakeQPen(d.s.pen));
    p->setBrush(d.MakeQBrush(d.s.brush));
    p->drawRect(ShapeRect(box));
    return true;
}

bool DeviceContext::RoundRect(int left, int top, int right, int bottom, int width, int height) {
    DeviceContextImpl& d = *impl_;
    const QRect box = d.DeviceBox(left, top, right, bottom);
    d.Record(d.NewRecord(
        DcOp::RoundRect, {{left, top}, {right, bottom}, {width, height}},
        {d.ToDevice({left, top}), d.ToDevice({right, bottom}), {d.LenX(width), d.LenY(height)}}));
    PaintScope p(d);
    if (!p || box.width() < 1 || box.height() < 1)
        return true;
    p->setPen(d.MakeQPen(d.s.pen));
    p->setBrush(d.MakeQBrush(d.s.brush));
    p->drawRoundedRect(ShapeRect(box), d.LenX(width) / 2.0, d.LenY(height) / 2.0, Qt::AbsoluteSize);
    return true;
}

bool DeviceContext::Ellipse(int left, int top, int right, int bottom) {
    DeviceContextImpl& d = *impl_;
    const QRect box = d.DeviceBox(left, top, right, bottom);
    d.Record(d.NewRecord(DcOp::Ellipse, {{left, top}, {right, bottom}},
                         {d.ToDevice({left, top}), d.ToDevice({right, bottom})}));
    PaintScope p(d);
    if (!p || box.width() < 1 || box.height() < 1)
        return true;
    p->setPen(d.MakeQPen(d.s.pen));
    p->setBrush(d.MakeQBrush(d.s.brush));
    p->drawEllipse(ShapeRect(box));
    return true;
}

namespace {

enum class ArcKind { Arc, Pie, Chord };

// The angle, seen on the screen, of the ray from the centre through p.
double ScreenAngle(double cx, double cy, POINT p) {
    return NormDegrees(std::atan2(-(p.y - cy), p.x - cx) * 180.0 / kPi);
}

// The ellipse's parameter for the point where the ray at screen angle theta
// meets it (the angle a painter's arc takes).
double ParamAngle(double theta, double a, double b) {
    if (a <= 0 || b <= 0)
        return theta;
    const double t = theta * kPi / 180.0;
    return NormDegrees(std::atan2(a * std::sin(t), b * std::cos(t)) * 180.0 / kPi);
}

bool DrawArc(DeviceContextImpl& d, ArcKind kind, int l, int t, int r, int b, int xs, int ys, int xe,
             int ye) {
    const QRect box = d.DeviceBox(l, t, r, b);
    const QRectF rect = ShapeRect(box);
    const double cx = rect.center().x(), cy = rect.center().y();
    const double ra = rect.width() / 2.0, rb = rect.height() / 2.0;
    const POINT ds = d.ToDevice({xs, ys}), de = d.ToDevice({xe, ye});
    const double as = ScreenAngle(cx, cy, ds), ae = ScreenAngle(cx, cy, de);
    double sweep = NormDegrees(ae - as);
    if (sweep == 0)
        sweep = 360;
    const double ps = ParamAngle(as, ra, rb), pe = ParamAngle(ae, ra, rb);
    double psweep = NormDegrees(pe - ps);
    if (psweep == 0 || sweep == 360)
        psweep = 360;

    const DcOp op = kind == ArcKind::Arc   ? DcOp::Arc
                    : kind == ArcKind::Pie ? DcOp::Pie
                                           : DcOp::Chord;
    DcRecord rec = d.NewRecord(op, {{l, t}, {r, b}, {xs, ys}, {xe, ye}},
                               {d.ToDevice({l, t}), d.ToDevice({r, b}), ds, de});
    rec.startAngle = as;
    rec.sweepAngle = sweep;
    auto onEllipse = [&](double param) {
        const double rad = param * kPi / 180.0;
        return POINT{int32_t(std::lround(cx + ra * std::cos(rad))),
                     int32_t(std::lround(cy - rb * std::sin(rad)))};
    };
    rec.arcStart = onEllipse(ps);
    rec.arcEnd = onEllipse(pe);
    d.Record(std::move(rec));

    PaintScope p(d);
    if (!p || box.width() < 1 || box.height() < 1)
        return true;
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(rect.center());
        path.arcTo(rect, ps, psweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(rect, ps);
        path.arcTo(rect, ps, psweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    p->setPen(d.MakeQPen(d.s.pen));
    p->setBrush(kind == ArcKind::Arc ? QBrush(Qt::NoBrush) : d.MakeQBrush(d.s.brush));
    p->drawPath(path);
    return true;
}

} // namespace

bool DeviceContext::Arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return DrawArc(*impl_, ArcKind::Arc, left, top, right, bottom, xs, ys, xe, ye);
}

bool DeviceContext::Pie(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return DrawArc(*impl_, ArcKind::Pie, left, top, right, bottom, xs, ys, xe, ye);
}

bool DeviceContext::Chord(int left, int top, int right, int bottom, int xs, int ys, int xe,
                          int ye) {
    return DrawArc(*impl_, ArcKind::Chord, left, top, right, bottom, xs, ys, xe, ye);
}

COLORREF DeviceContext::SetPixel(int x, int y, COLORREF color) {
    DeviceContextImpl& d = *impl_;
    const POINT dp = d.ToDevice({x, y});
    DcRecord rec = d.NewRecord(DcOp::Pixel, {{x, y}}, {dp});
    rec.color = color & 0xFFFFFF;
    d.Record(std::move(rec));
    PaintScope p(d);
    if (p)
        p->fillRect(QRect(dp.x, dp.y, 1, 1), ToQColor(color));
    return color & 0xFFFFFF;
}

int DeviceContext::FillRect(const RECT& rect, const GdiBrush& brush) {
    DeviceContextImpl& d = *impl_;
    const QRect box = d.DeviceBox(rect.left, rect.top, rect.right, rect.bottom);
    DcRecord rec =
        d.NewRecord(DcOp::FillRect, {{rect.left, rect.top}, {rect.right, rect.bottom}},
                    {d.ToDevice({rect.left, rect.top}), d.ToDevice({rect.right, rect.bottom})});
    rec.brush = brush;
    d.Record(std::move(rec));
    PaintScope p(d);
    if (p && !brush.IsNull() && !box.isEmpty())
        p->fillRect(box, d.MakeQBrush(brush));
    return 1;
}

int DeviceContext::FrameRect(const RECT& rect, const GdiBrush& brush) {
    DeviceContextImpl& d = *impl_;
    const QRect box = d.DeviceBox(rect.left, rect.top, rect.right, rect.bottom);
    DcRecord rec =
        d.NewRecord(DcOp::FrameRect, {{rect.left, rect.top}, {rect.right, rect.bottom}},
                    {d.ToDevice({rect.left, rect.top}), d.ToDevice({rect.right, rect.bottom})});
    rec.brush = brush;
    d.Record(std::move(rec));
    PaintScope p(d);
    if (!p || brush.IsNull() || box.isEmpty())
        return 1;
    // The frame is one logical unit wide, at least one pixel.
    const int wx = std::min(box.width(), std::max(1, d.LenX(1)));
    const int wy = std::min(box.height(), std::max(1, d.LenY(1)));
    const QBrush b = d.MakeQBrush(brush);
    p->fillRect(QRect(box.left(), box.top(), box.width(), wy), b);
    p->fillRect(QRect(box.left(), box.bottom() - wy + 1, box.width(), wy), b);
    p->fillRect(QRect(box.left(), box.top(), wx, box.height()), b);
    p->fillRect(QRect(box.right() - wx + 1, box.top(), wx, box.height()), b);
    return 1;
}

bool DeviceContext::DrawFocusRect(const RECT& rect) {
    DeviceContextImpl& d = *impl_;
    const QRect box = d.DeviceBox(rect.left, rect.top, rect.right, rect.bottom);
    d.Record(
        d.NewRecord(DcOp::FocusRect, {{rect.left, rect.top}, {rect.right, rect.bottom}},
                    {d.ToDevice({rect.left, rect.top}), d.ToDevice({rect.right, rect.bottom})}));
    PaintScope p(d);
    if (!p || box.isEmpty())
        return true;
    // Every other pixel of the border, inverted, so a second call removes it.
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(255, 255, 255);
    for (int x = box.left(); x <= box.right(); x += 2) {
        p->fillRect(QRect(x, box.top(), 1, 1), white);
        if (box.bottom() != box.top())
            p->fillRect(QRect(x, box.bottom(), 1, 1), white);
    }
    for (int y = box.top() + 2; y < box.bottom(); y += 2) {
        p->fillRect(QRect(box.left(), y, 1, 1), white);
        if (box.right() != box.left())
            p->fillRect(QRect(box.right(), y, 1, 1), white);
    }
    return true;
}

// --- Text ---------------------------------------------------------------------------

namespace {

struct TextMetrics {
    int width = 0;
    int ascent = 0;
    int descent = 0;
};

TextMetrics Measure(const DeviceContextImpl& d, const QFont& font, const QString& text) {
    QPaintDevice* dev = d.Device();
    QFontMetrics m = dev ? QFontMetrics(font, dev) : QFontMetrics(font);
    return {m.horizontalAdvance(text), m.ascent(), m.descent()};
}

// Draws the text whose unturned cell has its top-left corner at offset
// (ox, oy) from the device point `at`, turned about `at` by the font's
// escapement; records it.
void PaintText(DeviceContextImpl& d, DcRecord rec, POINT at, int ox, int oy, const QString& text,
               const QFont& font, const TextMetrics& tm, const QRect* clip) {
    const double angle = d.s.font.lfEscapement / 10.0;
    const double rad = angle * kPi / 180.0;
    // Screen y grows downward, so a counter-clockwise turn on the screen is
    // (x, y) -> (x cos + y sin, -x sin + y cos).
    const double c = std::cos(rad), s = std::sin(rad);
    rec.textCell = {at.x + ox, at.y + oy, at.x + ox + tm.width, at.y + oy + tm.ascent + tm.descent};
    rec.textOrigin = {int32_t(std::lround(at.x + ox * c + oy * s)),
                      int32_t(std::lround(at.y - ox * s + oy * c))};
    d.Record(std::move(rec));

    PaintScope p(d);
    if (!p)
        return;
    if (clip)
        p->setClipRegion(QRegion(*clip), d.s.hasClip ? Qt::IntersectClip : Qt::ReplaceClip);
    p->translate(at.x, at.y);
    if (angle != 0)
        p->rotate(-angle);
    if (d.s.bkMode == OPAQUE)
        p->fillRect(QRect(ox, oy, tm.width, tm.ascent + tm.descent), ToQColor(d.s.bkColor));
    p->setFont(font);
    p->setPen(ToQColor(d.s.textColor));
    p->drawText(QPoint(ox, oy + tm.ascent), text);
}

} // namespace

bool DeviceContext::TextOut(int x, int y, const std::wstring& text) {
    DeviceContextImpl& d = *impl_;
    const QString qs = QString::fromStdWString(text);
    const QFont font = d.Font();
    const TextMetrics tm = Measure(d, font, qs);
    const POINT at = d.ToDevice({x, y});
    int ox = 0;
    switch (d.s.align & (TA_LEFT | TA_RIGHT | TA_CENTER)) {
    case TA_RIGHT:
        ox = -tm.width;
        break;
    case TA_CENTER:
        ox = -tm.width / 2;
        break;
    default:
        break;
    }
    int oy = 0;
    switch (d.s.align & (TA_TOP | TA_BOTTOM | TA_BASELINE)) {
    case TA_BASELINE:
        oy = -tm.ascent;
        break;
    case TA_BOTTOM:
        oy = -(tm.ascent + tm.descent);
        break;
    default:
        break;
    }
    DcRecord rec = d.NewRecord(DcOp::Text, {{x, y}}, {at});
    rec.text = text;
    PaintText(d, std::move(rec), at, ox, oy, qs, font, tm, nullptr);
    return true;
}

SIZE DeviceContext::GetTextExtentPoint32(const std::wstring& text) const {
    const DeviceContextImpl& d = *impl_;
    const TextMetrics tm = Measure(d, d.Font(), QString::fromStdWString(text));
    return {d.PixToLenX(tm.width), d.PixToLenY(tm.ascent + tm.descent)};
}

int DeviceContext::DrawText(const std::wstring& text, const RECT& rect, unsigned format) {
    DeviceContextImpl& d = *impl_;
    QString qs = QString::fromStdWString(text);
    const QFont font = d.Font();
    const QRect box = d.DeviceBox(rect.left, rect.top, rect.right, rect.bottom);
    const int boxRight = box.left() + box.width(), boxBottom = box.top() + box.height();
    TextMetrics tm = Measure(d, font, qs);
    if ((format & DT_END_ELLIPSIS) && tm.width > box.width()) {
        QPaintDevice* dev = d.Device();
        QFontMetrics m = dev ? QFontMetrics(font, dev) : QFontMetrics(font);
        qs = m.elidedText(qs, Qt::ElideRight, box.width());
        tm = Measure(d, font, qs);
    }
    const int h = tm.ascent + tm.descent;
    const QRect clip(box.left(), box.top(), box.width(), box.height());
    const int turn = ((d.s.font.lfEscapement % 3600) + 3600) % 3600;
    if (turn == 900 || turn == 2700) {
        // A quarter turn: the text runs along the box's height and its line
        // lies across the box's width, inside the rectangle the caller gave
        // (and invalidates when the text changes), not beside it.
        int along = 0;
        if (format & DT_RIGHT)
            along = box.height() - tm.width;
        else if (format & DT_CENTER)
            along = (box.height() - tm.width) / 2;
        int across = 0;
        if (format & DT_SINGLELINE) {
            if (format & DT_BOTTOM)
                across = box.width() - h;
            else if (format & DT_VCENTER)
                across = (box.width() - h) / 2;
        }
        // Reading downward the line's top faces right; reading upward, left.
        const POINT at = turn == 2700 ? POINT{boxRight - across, box.top() + along}
                                      : POINT{box.left() + across, boxBottom - along};
        DcRecord rec =
            d.NewRecord(DcOp::Text, {{rect.left, rect.top}, {rect.right, rect.bottom}},
                        {d.ToDevice({rect.left, rect.top}), d.ToDevice({rect.right, rect.bottom})});
        rec.text = qs.toStdWString();
        rec.format = format;
        rec.drawText = true;
        PaintText(d, std::move(rec), at, 0, 0, qs, font, tm,
                  (format & DT_NOCLIP) ? nullptr : &clip);
        return d.PixToLenY(h);
    }
    int x = box.left();
    if (format & DT_RIGHT)
        x = boxRight - tm.width;
    else if (format & DT_CENTER)
        x = box.left() + (box.width() - tm.width) / 2;
    int y = box.top();
    if (format & DT_SINGLELINE) {
        if (format & DT_BOTTOM)
            y = boxBottom - h;
        else if (format & DT_VCENTER)
            y = box.top() + (box.height() - h) / 2;
    }
    DcRecord rec =
        d.NewRecord(DcOp::Text, {{rect.left, rect.top}, {rect.right, rect.bottom}},
                    {d.ToDevice({rect.left, rect.top}), d.ToDevice({rect.right, rect.bottom})});
    rec.text = qs.toStdWString();
    rec.format = format;
    rec.drawText = true;
    PaintText(d, std::move(rec), {x, y}, 0, 0, qs, font, tm,
              (format & DT_NOCLIP) ? nullptr : &clip);
    return d.PixToLenY(h);
}

// --- Clipping -------------------------------------------------------------------------

namespace {

int RegionKind(const QRegion& r) {
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace

int DeviceContext::IntersectClipRect(int left, int top, int right, int bottom) {
    DeviceContextImpl& d = *impl_;
    const QRegion base = d.s.hasClip ? d.s.clip : QRegion(0, 0, d.width, d.height);
    d.s.clip = base.intersected(d.DeviceBox(left, top, right, bottom));
    d.s.hasClip = true;
    return RegionKind(d.s.clip);
}

int DeviceContext::ExcludeClipRect(int left, int top, int right, int bottom) {
    DeviceContextImpl& d = *impl_;
    const QRegion base = d.s.hasClip ? d.s.clip : QRegion(0, 0, d.width, d.height);
    d.s.clip = base.subtracted(d.DeviceBox(left, top, right, bottom));
    d.s.hasClip = true;
    return RegionKind(d.s.clip);
}

int DeviceContext::SelectClipRect(const RECT* deviceRect) {
    DeviceContextImpl& d = *impl_;
    if (!deviceRect) {
        d.s.hasClip = false;
        d.s.clip = QRegion();
        return SIMPLEREGION;
    }
    const int l = std::min(deviceRect->left, deviceRect->right);
    const int r = std::max(deviceRect->left, deviceRect->right);
    const int t = std::min(deviceRect->top, deviceRect->bottom);
    const int b = std::max(deviceRect->top, deviceRect->bottom);
    d.s.clip = QRegion(l, t, r - l, b - t);
    d.s.hasClip = true;
    return RegionKind(d.s.clip);
}

int DeviceContext::GetClipBox(RECT* rect) const {
    const DeviceContextImpl& d = *impl_;
    QRect box(0, 0, d.width, d.height);
    int kind = SIMPLEREGION;
    if (d.s.hasClip) {
        box = d.s.clip.boundingRect();
        kind = RegionKind(d.s.clip);
    }
    if (rect) {
        POINT a = d.ToLogical({box.left(), box.top()});
        POINT b = d.ToLogical({box.left() + box.width(), box.top() + box.height()});
        *rect = {a.x, a.y, b.x, b.y};
    }
    return kind;
}

// --- Device -------------------------------------------------------------------------

int DeviceContext::GetDeviceCaps(int index) const {
    const DeviceContextImpl& d = *impl_;
    QPagedPaintDevice* paged = dynamic_cast<QPagedPaintDevice*>(d.Device());
    switch (index) {
    case LOGPIXELSX:
        return d.dpiX;
    case LOGPIXELSY:
        return d.dpiY;
    case HORZRES:
        return d.width;
    case VERTRES:
        return d.height;
    case HORZSIZE:
        return int(RoundDiv(int64_t(d.width) * 254, int64_t(d.dpiX) * 10));
    case VERTSIZE:
        return int(RoundDiv(int64_t(d.height) * 254, int64_t(d.dpiY) * 10));
    case PHYSICALWIDTH:
        return paged ? paged->pageLayout().fullRectPixels(d.dpiX).width() : d.width;
    case PHYSICALHEIGHT:
        return paged ? paged->pageLayout().fullRectPixels(d.dpiY).height() : d.height;
    case PHYSICALOFFSETX:
        return paged ? paged->pageLayout().paintRectPixels(d.dpiX).left() : 0;
    case PHYSICALOFFSETY:
        return paged ? paged->pageLayout().paintRectPixels(d.dpiY).top() : 0;
    default:
        return 0;
    }
}

std::unique_ptr<PaintTarget> DeviceContext::CreateCompatibleBitmap(int width, int height) const {
    auto bitmap = PaintTarget::CreateImage(width, height, 0xFF000000);
    bitmap->SetDpi(impl_->dpiX, impl_->dpiY);
    return bitmap;
}

bool DeviceContext::BitBlt(int x, int y, int width, int height, const DeviceContext& source, int sx,
                           int sy, uint32_t rop) {
    DeviceContextImpl& d = *impl_;
    if (rop != SRCCOPY)
        return false;
    const QRect dst = d.DeviceBox(x, y, x + width, y + height);
    d.Record(d.NewRecord(DcOp::BitBlt, {{x, y}, {x + width, y + height}},
                         {d.ToDevice({x, y}), d.ToDevice({x + width, y + height})}));
    const DeviceContextImpl& s = *source.impl_;
    if (!s.target || !s.target->Impl()->image)
        return false;
    const QRect src = s.DeviceBox(sx, sy, sx + width, sy + height);
    s.target->Flush(); // the source's pixels must be complete
    // A shared copy: should the source be this very target, painting on it
    // detaches the target's pixels from the ones read here.
    const QImage pixels = *s.target->Impl()->image;
    PaintScope p(d);
    if (!p)
        return false;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(dst, pixels, src);
    return true;
}
