// The toolbar and menu images. Every icon is drawn on a 24-unit square in
// one style - dark outlines, a small palette, paper white - by a small
// anti-aliasing painter (each pixel sampled 4 x 4 times) and scaled to the
// image size asked for (24 or 16 pixels). Pixels left untouched are magenta,
// the transparent colour of the image lists; edges keep their alpha.
#include "resources/toolbar_bitmaps.h"

#include "resources/command_ids.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr uint32_t kMagenta = 0xFFFF00FF;

// Palette (0xAARRGGBB).
constexpr uint32_t kInk = 0xFF2B3A4A;
constexpr uint32_t kPaper = 0xFFFFFFFF;
constexpr uint32_t kPaperShade = 0xFFDCE4EC;
constexpr uint32_t kBlue = 0xFF3B7DD8;
constexpr uint32_t kLightBlue = 0xFF9CC3F0;
constexpr uint32_t kGreen = 0xFF3AA655;
constexpr uint32_t kDarkGreen = 0xFF1F6B35;
constexpr uint32_t kOrange = 0xFFE8893A;
constexpr uint32_t kRed = 0xFFD9534F;
constexpr uint32_t kYellow = 0xFFF2C12E;
constexpr uint32_t kDarkYellow = 0xFFB8860B;
constexpr uint32_t kGrey = 0xFF8A96A3;
constexpr uint32_t kCopper = 0xFFD08A3C;
constexpr uint32_t kBoard = 0xFF2E7D4F;

struct P {
    float x, y;
};

// Paints in icon units (0..24) onto an image of size x size pixels.
class Painter {
public:
    Painter(int size) : size_(size), scale_(static_cast<float>(size) / 24.0f) {
        pixels_.assign(static_cast<size_t>(size * size), 0);
    }
    float Scale() const { return scale_; }

    // Covers every pixel by the share of its 16 samples for which inside(x,
    // y) holds (x, y in icon units), within the box given.
    template <class Inside>
    void Cover(float x0, float y0, float x1, float y1, uint32_t color, const Inside& inside) {
        int px0 = std::max(0, static_cast<int>(std::floor(x0 * scale_)) - 1);
        int py0 = std::max(0, static_cast<int>(std::floor(y0 * scale_)) - 1);
        int px1 = std::min(size_ - 1, static_cast<int>(std::ceil(x1 * scale_)) + 1);
        int py1 = std::min(size_ - 1, static_cast<int>(std::ceil(y1 * scale_)) + 1);
        for (int py = py0; py <= py1; ++py)
            for (int px = px0; px <= px1; ++px) {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx) {
                        float x =
                            (static_cast<float>(px) + (static_cast<float>(sx) + 0.5f) / 4.0f) /
                            scale_;
                        float y =
                            (static_cast<float>(py) + (static_cast<float>(sy) + 0.5f) / 4.0f) /
                            scale_;
                        if (inside(x, y))
                            ++hits;
                    }
                if (hits)
                    Blend(px, py, color, hits / 16.0f);
            }
    }

    void Rect(float x0, float y0, float x1, float y1, uint32_t color) {
        Cover(x0, y0, x1, y1, color,
              [=](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; });
    }
    // A rectangle with an outline of width w inside its edge.
    void Box(float x0, float y0, float x1, float y1, uint32_t fill, uint32_t edge, float w = 1.2f) {
        if (fill >> 24)
            Rect(x0 + w, y0 + w, x1 - w, y1 - w, fill);
        Cover(x0, y0, x1, y1, edge, [=](float x, float y) {
            bool outer = x >= x0 && x < x1 && y >= y0 && y < y1;
            bool inner = x >= x0 + w && x < x1 - w && y >= y0 + w && y < y1 - w;
            return outer && !inner;
        });
    }
    void RoundRect(float x0, float y0, float x1, float y1, float r, uint32_t color) {
        Cover(x0, y0, x1, y1, color, [=](float x, float y) {
            if (x < x0 || x >= x1 || y < y0 || y >= y1)
                return false;
            float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
        });
    }
    void Circle(float cx, float cy, float r, uint32_t color) {
        Cover(cx - r, cy - r, cx + r, cy + r, color,
              [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; });
    }
    void Ring(float cx, float cy, float r, float w, uint32_t color) {
        float outer = r + w / 2, inner = r - w / 2;
        Cover(cx - outer, cy - outer, cx + outer, cy + outer, color, [=](float x, float y) {
            float d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            return d <= outer * outer && d >= inner * inner;
        });
    }
    void Ellipse(float cx, float cy, float rx, float ry, uint32_t color) {
        Cover(cx - rx, cy - ry, cx + rx, cy + ry, color, [=](float x, float y) {
            float dx = (x - cx) / rx, dy = (y - cy) / ry;
            return dx * dx + dy * dy <= 1.0f;
        });
    }
    void EllipseRing(float cx, float cy, float rx, float ry, float w, uint32_t color) {
        Cover(cx - rx - w, cy - ry - w, cx + rx + w, cy + ry + w, color, [=](float x, float y) {
            float ox = (x - cx) / (rx + w / 2), oy = (y - cy) / (ry + w / 2);
            float ix = (x - cx) / (rx - w / 2), iy = (y - cy) / (ry - w / 2);
            return ox * ox + oy * oy <= 1.0f && ix * ix + iy * iy >= 1.0f;
        });
    }
    // A stroke with round ends.
    void Line(float x0, float y0, float x1, float y1, float w, uint32_t color) {
        float r = w / 2;
        Cover(std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r,
              std::max(y0, y1) + r, color, [=](float x, float y) {
                  float dx = x1 - x0, dy = y1 - y0;
                  float len = dx * dx + dy * dy;
                  float t = len > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len, 0.0f, 1.0f)
                                    : 0.0f;
                  float ex = x0 + t * dx - x, ey = y0 + t * dy - y;
                  return ex * ex + ey * ey <= r * r;
              });
    }
    void Polyline(const std::vector<P>& pts, float w, uint32_t color) {
        for (size_t i = 1; i < pts.size(); ++i)
            Line(pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, w, color);
    }
    void Polygon(const std::vector<P>& pts, uint32_t color) {
        float x0 = 24, y0 = 24, x1 = 0, y1 = 0;
        for (const P& p : pts) {
            x0 = std::min(x0, p.x);
            y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x);
            y1 = std::max(y1, p.y);
        }
        Cover(x0, y0, x1, y1, color, [&pts](float x, float y) {
            bool in = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                if ((pts[i].y > y) != (pts[j].y > y) &&
                    x < (pts[j].x - pts[i].x) * (y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
                    in = !in;
            }
            return in;
        });
    }
    // An arc of a circle from angle a0 to a1 (degrees, y down, clockwise).
    void Arc(float cx, float cy, float r, float a0, float a1, float w, uint32_t color) {
        const float kPi = 3.14159265f;
        int steps = 16;
        P prev{cx + r * std::cos(a0 * kPi / 180), cy + r * std::sin(a0 * kPi / 180)};
        for (int i = 1; i <= steps; ++i) {
            float a =
                (a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps)) * kPi / 180;
            P next{cx + r * std::cos(a), cy + r * std::sin(a)};
            Line(prev.x, prev.y, next.x, next.y, w, color);
            prev = next;
        }
    }
    void Bezier(P a, P b, P c, P d, float w, uint32_t color) {
        P prev = a;
        for (int i = 1; i <= 20; ++i) {
            float t = static_cast<float>(i) / 20.0f, u = 1 - t;
            P next{u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
                   u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y};
            Line(prev.x, prev.y, next.x, next.y, w, color);
            prev = next;
        }
    }

    void CopyInto(BitmapResource& out, int column) const {
        for (int y = 0; y < size_; ++y)
            for (int x = 0; x < size_; ++x) {
                uint32_t c = pixels_[static_cast<size_t>(y * size_ + x)];
                if ((c >> 24) == 0)
                    c = kMagenta;
                out.pixels[static_cast<size_t>(y * out.width + column * size_ + x)] = c;
            }
    }
    // Brighter and more saturated: the hot images.
    void Lighten() {
        for (uint32_t& c : pixels_) {
            if (!(c >> 24))
                continue;
            unsigned r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            auto lift = [](unsigned v) { return std::min(255u, v + (255 - v) / 5 + 8); };
            c = (c & 0xFF000000) | (lift(r) << 16) | (lift(g) << 8) | lift(b);
        }
    }

private:
    void Blend(int x, int y, uint32_t color, float coverage) {
        uint32_t& dst = pixels_[static_cast<size_t>(y * size_ + x)];
        float sa = static_cast<float>(color >> 24) / 255.0f * coverage;
        float da = static_cast<float>(dst >> 24) / 255.0f;
        float oa = sa + da * (1 - sa);
        if (oa <= 0)
            return;
        auto channel = [&](int shift) {
            float s = static_cast<float>((color >> shift) & 0xFF);
            float d = static_cast<float>((dst >> shift) & 0xFF);
            return static_cast<uint32_t>(std::lround((s * sa + d * da * (1 - sa)) / oa)) & 0xFF;
        };
        uint32_t a = static_cast<uint32_t>(std::lround(oa * 255.0f));
        dst = (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }

    int size_;
    float scale_;
    std::vector<uint32_t> pixels_;
};

// --- Shared pieces --------------------------------------------------------------

// A sheet of paper with a folded corner.
void Paper(Painter& p, float x0 = 4, float y0 = 2, float x1 = 18, float y1 = 22) {
    p.Polygon({{x0, y0}, {x1 - 5, y0}, {x1, y0 + 5}, {x1, y1}, {x0, y1}}, kInk);
    p.Polygon({{x0 + 1.2f, y0 + 1.2f},
               {x1 - 5.5f, y0 + 1.2f},
               {x1 - 1.2f, y0 + 5.5f},
               {x1 - 1.2f, y1 - 1.2f},
               {x0 + 1.2f, y1 - 1.2f}},
              kPaper);
    p.Polygon({{x1 - 5, y0}, {x1 - 5, y0 + 5}, {x1, y0 + 5}}, kPaperShade);
    p.Polyline({{x1 - 5, y0}, {x1 - 5, y0 + 5}, {x1, y0 + 5}}, 1.0f, kInk);
}

// A small green "+" badge at the lower right: something new.
void NewBadge(Painter& p) {
    p.Circle(18, 18, 5.2f, kInk);
    p.Circle(18, 18, 4.0f, kGreen);
    p.Line(15.5f, 18, 20.5f, 18, 1.6f, kPaper);
    p.Line(18, 15.5f, 18, 20.5f, 1.6f, kPaper);
}

void Magnifier(Painter& p) {
    p.Line(14.5f, 14.5f, 21, 21, 3.2f, kInk);
    p.Circle(10, 10, 7.2f, kInk);
    p.Circle(10, 10, 5.8f, 0xFFE8F2FC);
}

// The arrow pointer of the select tools.
void Pointer(Painter& p, float dx = 0, float dy = 0) {
    std::vector<P> arrow = {{5, 3},         {5, 19},        {9, 15},    {12, 21.5f},
                            {14.5f, 20.5f}, {11.5f, 14.5f}, {17, 14.5f}};
    for (P& q : arrow) {
        q.x += dx;
        q.y += dy;
    }
    p.Polygon(arrow, kInk);
    std::vector<P> inner = {{6.4f, 6.2f},   {6.4f, 16.0f},  {9.4f, 13.0f}, {12.5f, 19.6f},
                            {13.1f, 19.3f}, {10.1f, 13.2f}, {14.0f, 13.2f}};
    for (P& q : inner) {
        q.x += dx;
        q.y += dy;
    }
    p.Polygon(inner, kPaper);
}

// A letter T drawn with strokes.
void LetterT(Painter& p, uint32_t color = kInk) {
    p.Rect(5, 4, 19, 7, color);
    p.Rect(10.5f, 4, 13.5f, 20, color);
    p.Rect(8.5f, 18, 15.5f, 20, color);
}

// A round pad with its hole.
void Pad(Painter& p, float cx, float cy, float r) {
    p.Circle(cx, cy, r, kInk);
    p.Circle(cx, cy, r - 1.0f, kCopper);
    p.Circle(cx, cy, r * 0.38f, kPaper);
}

// The grid of the snap button: dots and a cross-hair on a grid point.
void SnapGrid(Painter& p) {
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            p.Circle(4.5f + x * 5.0f, 4.5f + y * 5.0f, 1.0f, kGrey);
    p.Line(14.5f, 6, 14.5f, 13, 1.4f, kBlue);
    p.Line(14.5f, 16, 14.5f, 23, 1.4f, kBlue);
    p.Line(6, 14.5f, 13, 14.5f, 1.4f, kBlue);
    p.Line(16, 14.5f, 23, 14.5f, 1.4f, kBlue);
    p.Ring(14.5f, 14.5f, 2.2f, 1.4f, kBlue);
}

// A digit one beside a pad.
void PadNumber(Painter& p) {
    Pad(p, 8, 14, 6.5f);
    p.Line(17, 5, 19.5f, 3, 1.8f, kInk);
    p.Line(19.5f, 3, 19.5f, 12, 1.8f, kInk);
    p.Line(17, 12, 22, 12, 1.8f, kInk);
}

enum Icon {
    kNone,
    kNewProject,
    kNewSymbol,
    kNewFootprint,
    kOpen,
    kSave,
    kCut,
    kCopy,
    kPaste,
    kZoomIn,
    kZoomOut,
    kZoomAll,
    kUndo,
    kRedo,
    kPrint,
    kAbout,
    kSelect,
    kSelectOutline,
    kSelectPin,
    kSelectPadstack,
    kPlacePart,
    kPlaceWire,
    kPlaceBus,
    kPlaceText,
    kPlacePin,
    kPlacePadstack,
    kLine,
    kRectangle,
    kPolygon,
    kEllipse,
    kArc,
    kCurve,
    kText,
    kSnap,
    kPadNumbers,
    kThermal,
    kBoardOutline,
    kComponent,
    kRoute,
    kArea,
    kBoardText,
    kDrc,
    kPadstackLibrary,
    kPadstackCreate,
};

void Draw(Painter& p, Icon icon) {
    switch (icon) {
    case kNone:
        break;
    case kNewProject:
        Paper(p);
        // A tiny schematic: a resistor between two wires.
        p.Line(7, 11, 9, 11, 1.2f, kBlue);
        p.Box(9, 9, 13, 13, kPaper, kBlue, 1.0f);
        p.Line(13, 11, 15, 11, 1.2f, kBlue);
        NewBadge(p);
        break;
    case kNewSymbol:
        Paper(p);
        // A gate symbol.
        p.Polygon({{7, 7}, {14, 11}, {7, 15}}, kBlue);
        p.Polygon({{8.3f, 9.2f}, {11.6f, 11}, {8.3f, 12.8f}}, kPaper);
        NewBadge(p);
        break;
    case kNewFootprint:
        Paper(p);
        p.Rect(7, 7, 10, 10, kCopper);
        p.Rect(12, 7, 15, 10, kCopper);
        p.Rect(7, 12, 10, 15, kCopper);
        NewBadge(p);
        break;
    case kOpen:
        p.Polygon({{2, 6}, {9, 6}, {11, 8}, {20, 8}, {20, 20}, {2, 20}}, kDarkYellow);
        p.Polygon({{3.2f, 7.2f},
                   {8.5f, 7.2f},
                   {10.5f, 9.2f},
                   {18.8f, 9.2f},
                   {18.8f, 18.8f},
                   {3.2f, 18.8f}},
                  kYellow);
        p.Polygon({{5, 12}, {23, 12}, {20, 20}, {2, 20}}, kDarkYellow);
        p.Polygon({{6, 13.2f}, {21.3f, 13.2f}, {19.1f, 18.8f}, {3.7f, 18.8f}}, 0xFFF7D775);
        break;
    case kSave:
        p.RoundRect(3, 3, 21, 21, 2, kInk);
        p.RoundRect(4.2f, 4.2f, 19.8f, 19.8f, 1.2f, kBlue);
        p.Rect(7, 4.2f, 17, 10, kPaper);
        p.Rect(14, 5.2f, 16, 9, kInk);
        p.Rect(7, 13, 17, 19.8f, kLightBlue);
        p.Line(9, 15.5f, 15, 15.5f, 1.0f, kBlue);
        p.Line(9, 17.5f, 15, 17.5f, 1.0f, kBlue);
        break;
    case kCut:
        p.Line(8, 3, 15, 14, 1.8f, kGrey);
        p.Line(16, 3, 9, 14, 1.8f, kGrey);
        p.Ring(7.5f, 17.5f, 3.2f, 1.8f, kRed);
        p.Ring(16.5f, 17.5f, 3.2f, 1.8f, kRed);
        p.Circle(12, 9.5f, 0.9f, kInk);
        break;
    case kCopy:
        Paper(p, 3, 2, 15, 17);
        Paper(p, 9, 7, 21, 22);
        p.Line(11.5f, 13, 17.5f, 13, 1.0f, kGrey);
        p.Line(11.5f, 16, 18.5f, 16, 1.0f, kGrey);
        p.Line(11.5f, 19, 18.5f, 19, 1.0f, kGrey);
        break;
    case kPaste:
        p.RoundRect(3, 4, 17, 21, 1.5f, kInk);
        p.RoundRect(4.2f, 5.2f, 15.8f, 19.8f, 1.0f, 0xFFC9955B);
        p.RoundRect(7, 2.5f, 13, 6.5f, 1, kInk);
        p.Rect(8.2f, 3.7f, 11.8f, 5.3f, kGrey);
        Paper(p, 10, 9, 21, 22);
        break;
    case kZoomIn:
        Magnifier(p);
        p.Line(7, 10, 13, 10, 1.8f, kBlue);
        p.Line(10, 7, 10, 13, 1.8f, kBlue);
        break;
    case kZoomOut:
        Magnifier(p);
        p.Line(7, 10, 13, 10, 1.8f, kBlue);
        break;
    case kZoomAll:
        Magnifier(p);
        p.Box(6.5f, 7, 13.5f, 13, 0x00000000, kBlue, 1.2f);
        break;
    case kUndo:
        p.Arc(12, 13, 6.5f, 180, 360 + 60, 2.4f, kBlue);
        p.Polygon({{1.5f, 12}, {11, 12}, {5.5f, 5.5f}}, kBlue);
        break;
    case kRedo:
        p.Arc(12, 13, 6.5f, 120, 360, 2.4f, kBlue);
        p.Polygon({{22.5f, 12}, {13, 12}, {18.5f, 5.5f}}, kBlue);
        break;
    case kPrint:
        p.Rect(7, 3, 17, 10, kInk);
        p.Rect(8.2f, 4.2f, 15.8f, 10, kPaper);
        p.RoundRect(2, 9, 22, 18, 2, kInk);
        p.RoundRect(3.2f, 10.2f, 20.8f, 16.8f, 1.2f, kGrey);
        p.Circle(18.5f, 12.5f, 1.0f, kGreen);
        p.Rect(7, 15, 17, 21.5f, kInk);
        p.Rect(8.2f, 16.2f, 15.8f, 20.3f, kPaper);
        p.Line(9.5f, 18.2f, 14.5f, 18.2f, 0.9f, kGrey);
        break;
    case kAbout:
        p.Circle(12, 12, 9.5f, kInk);
        p.Circle(12, 12, 8.3f, kBlue);
        p.Circle(12, 7.2f, 1.5f, kPaper);
        p.Rect(10.8f, 10, 13.2f, 17.5f, kPaper);
        break;
    case kSelect:
        Pointer(p, 1, 0);
        break;
    case kSelectOutline:
        for (float x = 3; x < 21; x += 3) {
            p.Line(x, 3, x + 1.5f, 3, 1.2f, kBlue);
            p.Line(x, 21, x + 1.5f, 21, 1.2f, kBlue);
        }
        for (float y = 3; y < 21; y += 3) {
            p.Line(3, y, 3, y + 1.5f, 1.2f, kBlue);
            p.Line(21, y, 21, y + 1.5f, 1.2f, kBlue);
        }
        Pointer(p, 2, 0);
        break;
    case kSelectPin:
        p.Line(1, 19, 12, 19, 2.0f, kBlue);
        p.Circle(12, 19, 1.8f, kBlue);
        Pointer(p, 4, -2);
        break;
    case kSelectPadstack:
        Pad(p, 16, 16, 6);
        Pointer(p, -1, -1);
        break;
    case kPlacePart:
        // An op-amp triangle with its two inputs and output.
        p.Line(2, 8, 7, 8, 1.4f, kInk);
        p.Line(2, 16, 7, 16, 1.4f, kInk);
        p.Line(17, 12, 22, 12, 1.4f, kInk);
        p.Polygon({{6, 3}, {19, 12}, {6, 21}}, kInk);
        p.Polygon({{7.3f, 5.5f}, {16.7f, 12}, {7.3f, 18.5f}}, kLightBlue);
        p.Line(8.5f, 8, 11, 8, 1.0f, kInk);
        p.Line(8.5f, 16, 11, 16, 1.0f, kInk);
        p.Line(9.75f, 14.75f, 9.75f, 17.25f, 1.0f, kInk);
        break;
    case kPlaceWire:
        p.Polyline({{2, 19}, {10, 19}, {10, 5}, {22, 5}}, 2.0f, kGreen);
        p.Circle(10, 19, 2.2f, kDarkGreen);
        p.Circle(10, 5, 2.2f, kDarkGreen);
        break;
    case kPlaceBus:
        p.Line(3, 20, 21, 20, 3.4f, kBlue);
        for (float x : {7.0f, 12.0f, 17.0f})
            p.Polyline({{x - 3, 5}, {x - 3, 14}, {x, 17.5f}}, 1.4f, kGreen);
        break;
    case kPlaceText:
    case kText:
        LetterT(p);
        break;
    case kPlacePin:
        p.Box(12, 4, 21, 20, kLightBlue, kInk);
        p.Line(2, 12, 12, 12, 2.2f, kBlue);
        p.Circle(2.5f, 12, 1.6f, kBlue);
        p.Line(5, 4, 5, 9, 1.4f, kGreen);
        p.Line(2.5f, 6.5f, 7.5f, 6.5f, 1.4f, kGreen);
        break;
    case kPlacePadstack:
        Pad(p, 10, 13, 7.5f);
        NewBadge(p);
        break;
    case kLine:
        p.Line(4, 20, 20, 4, 2.0f, kInk);
        p.Rect(2.5f, 18.5f, 5.5f, 21.5f, kBlue);
        p.Rect(18.5f, 2.5f, 21.5f, 5.5f, kBlue);
        break;
    case kRectangle:
        p.Box(3, 5, 21, 19, 0x00000000, kInk, 2.0f);
        break;
    case kPolygon:
        p.Polygon({{12, 2.5f}, {21.5f, 9.5f}, {18, 21}, {6, 21}, {2.5f, 9.5f}}, kInk);
        p.Polygon({{12, 5}, {19.2f, 10.3f}, {16.6f, 19}, {7.4f, 19}, {4.8f, 10.3f}}, kLightBlue);
        break;
    case kEllipse:
        p.EllipseRing(12, 12, 9, 6.5f, 2.0f, kInk);
        break;
    case kArc:
        p.Arc(12, 18, 9, 180, 360, 2.0f, kInk);
        p.Rect(1.5f, 16.5f, 4.5f, 19.5f, kBlue);
        p.Rect(19.5f, 16.5f, 22.5f, 19.5f, kBlue);
        break;
    case kCurve:
        p.Line(3, 19, 7, 4, 0.9f, kGrey);
        p.Line(21, 5, 17, 20, 0.9f, kGrey);
        p.Bezier({3, 19}, {7, 4}, {17, 20}, {21, 5}, 2.0f, kInk);
        p.Rect(5.5f, 2.5f, 8.5f, 5.5f, kBlue);
        p.Rect(15.5f, 18.5f, 18.5f, 21.5f, kBlue);
        break;
    case kSnap:
        SnapGrid(p);
        break;
    case kPadNumbers:
        PadNumber(p);
        break;
    case kThermal:
        p.Circle(12, 12, 9.5f, kCopper);
        p.Ring(12, 12, 6.3f, 2.2f, kPaper);
        p.Rect(10.6f, 2, 13.4f, 22, kCopper);
        p.Rect(2, 10.6f, 22, 13.4f, kCopper);
        p.Circle(12, 12, 3.6f, kCopper);
        p.Circle(12, 12, 1.6f, kPaper);
        break;
    case kBoardOutline:
        p.Polygon({{3, 3}, {21, 3}, {21, 15}, {15, 21}, {3, 21}}, kBoard);
        p.Polyline({{3, 3}, {21, 3}, {21, 15}, {15, 21}, {3, 21}, {3, 3}}, 1.6f, kYellow);
        for (P q : std::vector<P>{{3, 3}, {21, 3}, {21, 15}, {15, 21}, {3, 21}})
            p.Rect(q.x - 1.6f, q.y - 1.6f, q.x + 1.6f, q.y + 1.6f, kPaper);
        break;
    case kComponent:
        p.RoundRect(6, 4, 18, 20, 1, kInk);
        for (float y : {6.0f, 10.0f, 14.0f, 18.0f}) {
            p.Rect(2, y - 1, 6, y + 1, kCopper);
            p.Rect(18, y - 1, 22, y + 1, kCopper);
        }
        p.Circle(9, 7, 1.1f, kGrey);
        break;
    case kRoute:
        p.Polyline({{3, 19}, {9, 19}, {15, 9}, {21, 9}}, 3.0f, kRed);
        Pad(p, 3.5f, 19, 3);
        Pad(p, 20.5f, 9, 3);
        break;
    case kArea:
        p.Polygon({{3, 6}, {14, 3}, {21, 9}, {19, 21}, {5, 19}}, kCopper);
        for (float k = -14; k < 24; k += 4)
            p.Line(std::max(3.0f, k), std::max(3.0f, k) - k + 3, std::min(21.0f, k + 18),
                   std::min(21.0f, k + 18) - k + 3, 0.8f, 0x80FFFFFF);
        p.Polyline({{3, 6}, {14, 3}, {21, 9}, {19, 21}, {5, 19}, {3, 6}}, 1.4f, kInk);
        break;
    case kBoardText:
        p.RoundRect(2, 2, 22, 22, 2, kBoard);
        LetterT(p, kPaper);
        break;
    case kDrc:
        p.Polygon({{12, 2}, {21, 5}, {20, 14}, {12, 22}, {4, 14}, {3, 5}}, kInk);
        p.Polygon({{12, 3.5f}, {19.6f, 6}, {18.8f, 13.5f}, {12, 20.2f}, {5.2f, 13.5f}, {4.4f, 6}},
                  kGreen);
        p.Polyline({{7.5f, 12}, {11, 15.5f}, {17, 8.5f}}, 2.2f, kPaper);
        break;
    case kPadstackLibrary:
        p.Box(2, 3, 13, 21, 0xFF8A5A2B, kInk);
        p.Line(4.5f, 3, 4.5f, 21, 1.0f, kInk);
        Pad(p, 16, 14, 6.5f);
        break;
    case kPadstackCreate:
        Pad(p, 10, 12, 7.5f);
        NewBadge(p);
        break;
    }
}

// The icons of each bitmap, one per image, in order.
struct IconStrip {
    unsigned id;
    int size;
    bool hot;
    std::vector<Icon> icons;
};

const std::vector<IconStrip>& Strips() {
    static const std::vector<IconStrip> strips = {
        // Main toolbar (normal and hot): its buttons, then New Symbol and New
        // Footprint for the New button.
        {IDB_MAIN_TOOLBAR,
         24,
         false,
         {kNewProject, kOpen, kSave, kCut, kCopy, kPaste, kZoomIn, kZoomOut, kZoomAll, kUndo, kRedo,
          kPrint, kAbout, kNewSymbol, kNewFootprint}},
        {IDB_MAIN_TOOLBAR_HOT,
         24,
         true,
         {kNewProject, kOpen, kSave, kCut, kCopy, kPaste, kZoomIn, kZoomOut, kZoomAll, kUndo, kRedo,
          kPrint, kAbout, kNewSymbol, kNewFootprint}},
        {IDR_TOOLBAR_SCHEMATIC,
         24,
         false,
         {kSelect, kPlacePart, kPlaceWire, kPlaceBus, kPlaceText}},
        {IDR_TOOLBAR_SYMBOL,
         24,
         false,
         {kSelect, kSelectOutline, kSelectPin, kPlacePin, kLine, kRectangle, kPolygon, kEllipse,
          kArc, kCurve, kText}},
        {IDB_BOARD_TOOLBAR,
         24,
         false,
         {kNone, kSnap, kPadNumbers, kSelect, kBoardOutline, kComponent, kRoute, kArea, kBoardText,
          kDrc}},
        {IDR_TOOLBAR_PADSTACK,
         24,
         false,
         {kNone, kSnap, kThermal, kSelect, kLine, kRectangle, kPolygon, kEllipse, kArc, kCurve,
          kText}},
        {IDR_TOOLBAR_FOOTPRINT,
         24,
         false,
         {kNone, kSnap, kPadNumbers, kSelect, kSelectPadstack, kPlacePadstack, kLine, kRectangle,
          kPolygon, kEllipse, kArc, kCurve, kText}},
        // Menu images: the main toolbar's buttons and the three New items.
        {IDR_TOOLBAR_MENU_IMAGES,
         16,
         false,
         {kNewProject, kOpen, kSave, kCut, kCopy, kPaste, kZoomIn, kZoomOut, kZoomAll, kUndo, kRedo,
          kPrint, kAbout, kNewProject, kNewSymbol, kNewFootprint}},
        {IDB_NEW_PROJECT, 16, false, {kNewProject}},
        {IDB_NEW_SYMBOL, 16, false, {kNewSymbol}},
        {IDB_NEW_FOOTPRINT, 16, false, {kNewFootprint}},
        {IDB_PADSTACK_FROM_LIBRARY, 16, false, {kPadstackLibrary}},
        {IDB_PADSTACK_CREATE, 16, false, {kPadstackCreate}},
    };
    return strips;
}

// The program icon (128): a circuit board with a chip and two tracks.
void ProgramIcon(BitmapResource* out) {
    Painter p(32);
    p.RoundRect(1, 1, 23, 23, 3, kInk);
    p.RoundRect(2, 2, 22, 22, 2.2f, kBoard);
    p.Polyline({{4, 17}, {8, 17}, {11, 14}}, 1.4f, kCopper);
    p.Polyline({{20, 7}, {16, 7}, {13, 10}}, 1.4f, kCopper);
    p.RoundRect(8, 8, 16, 16, 1, kInk);
    for (float k : {9.5f, 12.0f, 14.5f}) {
        p.Line(k, 6, k, 8, 0.9f, kPaper);
        p.Line(k, 16, k, 18, 0.9f, kPaper);
    }
    Pad(p, 4, 17, 1.8f);
    Pad(p, 20, 7, 1.8f);
    out->width = out->height = 32;
    out->pixels.assign(32 * 32, kMagenta);
    p.CopyInto(*out, 0);
}

} // namespace

bool IsToolbarBitmap(unsigned id, int* width, int* height) {
    int w = 0, h = 0;
    if (id == IDR_MAINFRAME) {
        w = h = 32;
    } else {
        for (const IconStrip& strip : Strips())
            if (strip.id == id) {
                w = strip.size * static_cast<int>(strip.icons.size());
                h = strip.size;
            }
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
    return w > 0;
}

bool GetToolbarBitmap(unsigned id, BitmapResource* out) {
    if (!out)
        return false;
    if (id == IDR_MAINFRAME) {
        ProgramIcon(out);
        return true;
    }
    for (const IconStrip& strip : Strips()) {
        if (strip.id != id)
            continue;
        out->width = strip.size * static_cast<int>(strip.icons.size());
        out->height = strip.size;
        out->pixels.assign(static_cast<size_t>(out->width * out->height), kMagenta);
        for (size_t i = 0; i < strip.icons.size(); ++i) {
            Painter p(strip.size);
            Draw(p, strip.icons[i]);
            if (strip.hot)
                p.Lighten();
            p.CopyInto(*out, static_cast<int>(i));
        }
        return true;
    }
    return false;
}
