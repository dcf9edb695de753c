#include "dialogs/package_picture.h"

#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "platform/pen.h"
#include "platform/system_colors.h"

#include <algorithm>
#include <string>

namespace {
// The pictures are drawn in a design space of this size, scaled to fit.
constexpr float kWidth = 200;
constexpr float kHeight = 160;

const Color kPaper(255, 255, 255);
const Color kCopper(0xC8, 0x75, 0x33);
const Color kBody(0x70, 0x70, 0x70);
const Color kDimension(0x20, 0x40, 0xA0);
const Color kInk(0, 0, 0);

class Painter {
public:
    explicit Painter(Graphics& g) : g_(g), font_(L"Tahoma", 11, FontStyleRegular, UnitPixel) {
        if (!font_.IsAvailable())
            font_ = Font(L"Sans Serif", 11, FontStyleRegular, UnitPixel);
    }
    void Pad(float cx, float cy, float w, float h, bool round = false) {
        SolidBrush brush(kCopper);
        if (round)
            g_.FillEllipse(&brush, cx - w / 2, cy - h / 2, w, h);
        else
            g_.FillRectangle(&brush, cx - w / 2, cy - h / 2, w, h);
    }
    void Hole(float cx, float cy, float d) {
        SolidBrush brush(kPaper);
        g_.FillEllipse(&brush, cx - d / 2, cy - d / 2, d, d);
    }
    void Outline(float x, float y, float w, float h) {
        Pen pen(kBody, 1);
        pen.SetDashStyle(DashStyleDash);
        g_.DrawRectangle(&pen, x, y, w, h);
    }
    void Dot(float cx, float cy, float d) {
        SolidBrush brush(kInk);
        g_.FillEllipse(&brush, cx - d / 2, cy - d / 2, d, d);
    }
    // A dimension from (x1, y1) to (x2, y2) with end ticks across it and its
    // label beside the middle (dx, dy from the middle to the label's centre).
    void Dimension(float x1, float y1, float x2, float y2, const std::wstring& label, float dx,
                   float dy) {
        Pen pen(kDimension, 1);
        g_.DrawLine(&pen, x1, y1, x2, y2);
        const bool horizontal = y1 == y2;
        for (float t : {0.0f, 1.0f}) {
            const float x = x1 + (x2 - x1) * t, y = y1 + (y2 - y1) * t;
            if (horizontal)
                g_.DrawLine(&pen, x, y - 4, x, y + 4);
            else
                g_.DrawLine(&pen, x - 4, y, x + 4, y);
        }
        Text(label, (x1 + x2) / 2 + dx, (y1 + y2) / 2 + dy);
    }
    void Text(const std::wstring& text, float cx, float cy) {
        StringFormat format;
        format.SetAlignment(StringAlignmentCenter);
        format.SetLineAlignment(StringAlignmentCenter);
        SolidBrush brush(kInk);
        g_.DrawString(text, &font_, RectF{cx - 20, cy - 8, 40, 16}, &format, &brush);
    }

private:
    Graphics& g_;
    Font font_;
};

// Two rows of four pads: SOIC (oblong pads) and DIP (round pads with holes).
void TwoRows(Painter& p, bool dip) {
    const float xs[] = {55, 85, 115, 145};
    const float top = 45, bottom = 115;
    p.Outline(35, 64, 130, 32);
    for (float x : xs)
        for (float y : {top, bottom}) {
            if (dip) {
                p.Pad(x, y, 20, 20, true);
                p.Hole(x, y, 9);
            } else {
                p.Pad(x, y, 14, 34);
            }
        }
    p.Text(L"1", 30, top);
    p.Dimension(55, 14, 85, 14, L"e", 0, -1 - 6);
    if (!dip) {
        p.Dimension(48, 140, 62, 140, L"W", 0, 10);
        p.Dimension(163, 28, 163, 62, L"L", 9, 0);
    }
    p.Dimension(182, top, 182, bottom, L"C", 10, 0);
}

void Quad(Painter& p) {
    const float c = 80, cx = 100, off = 52, pitch = 20;
    p.Outline(cx - 36, c - 36, 72, 72);
    for (int i = -1; i <= 1; ++i) {
        const float d = static_cast<float>(i) * pitch;
        p.Pad(cx + d, c - off, 9, 22);
        p.Pad(cx + d, c + off, 9, 22);
        p.Pad(cx - off, c + d, 22, 9);
        p.Pad(cx + off, c + d, 22, 9);
    }
    p.Dot(cx - off - 14, c - off - 14, 6);
    // The pads leave no room above or below these two: their letters stand
    // beside them.
    p.Dimension(cx - pitch, c - off - 18, cx, c - off - 18, L"e", -pitch, 0);
    p.Dimension(cx + pitch - 4.5f, c + off + 18, cx + pitch + 4.5f, c + off + 18, L"W", 13, 0);
    p.Dimension(cx + off - 11, c + pitch + 14, cx + off + 11, c + pitch + 14, L"L", 0, 9);
    p.Dimension(cx, c, cx + off, c, L"Cx", 0, -8);
    p.Dimension(cx, c, cx, c + off, L"Cy", 11, 0);
}

void Array(Painter& p) {
    const float cx = 95, cy = 78, pitch = 26, body = 118;
    p.Outline(cx - body / 2, cy - body / 2, body, body);
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            p.Pad(cx + (static_cast<float>(k) - 1.5f) * pitch,
                  cy + (static_cast<float>(r) - 1.5f) * pitch, 13, 13, true);
    p.Dot(cx - body / 2 - 5, cy - body / 2 - 5, 6);
    p.Text(L"A1", cx - 1.5f * pitch, cy - body / 2 - 9);
    const float x0 = cx - 0.5f * pitch, x1 = cx + 0.5f * pitch, y0 = cy - 1.5f * pitch;
    p.Dimension(x0, y0 - 9, x1, y0 - 9, L"e", 0, 0 - 7);
    const float bx = cx + 1.5f * pitch, by = cy + 1.5f * pitch;
    p.Dimension(bx - 6.5f, by + 12, bx + 6.5f, by + 12, L"b", 10, 0);
    p.Dimension(cx - body / 2, cy + body / 2 + 8, cx + body / 2, cy + body / 2 + 8, L"D", 0, 8);
    p.Dimension(cx + body / 2 + 8, cy - body / 2, cx + body / 2 + 8, cy + body / 2, L"E", 9, 0);
}
} // namespace

void CPackagePicture::Draw(Graphics& g, PackageKind kind, int width, int height) {
    const GraphicsState state = g.Save();
    SolidBrush paper(kPaper);
    g.FillRectangle(&paper, 0, 0, static_cast<float>(width), static_cast<float>(height));
    Pen frame(Color(0x80, 0x80, 0x80), 1);
    g.DrawRectangle(&frame, 0, 0, static_cast<float>(width - 1), static_cast<float>(height - 1));
    const float scale =
        std::min(static_cast<float>(width) / kWidth, static_cast<float>(height) / kHeight);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.TranslateTransform((static_cast<float>(width) - kWidth * scale) / 2,
                         (static_cast<float>(height) - kHeight * scale) / 2);
    g.ScaleTransform(scale, scale);
    Painter p(g);
    switch (kind) {
    case PackageKind::Soic:
        TwoRows(p, false);
        break;
    case PackageKind::Dip:
        TwoRows(p, true);
        break;
    case PackageKind::Qfp:
        Quad(p);
        break;
    case PackageKind::Bga:
        Array(p);
        break;
    }
    g.Restore(state);
}

LRESULT CPackagePicture::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PaintStruct ps;
        PaintTarget* t = BeginPaint(&ps);
        if (!t)
            return 0;
        const RECT rc = GetClientRect();
        {
            Graphics g(t);
            Draw(g, m_kind, rc.right, rc.bottom);
        }
        EndPaint(&ps);
        return 0;
    }
    return StaticControl::DefWindowProc(msg, wParam, lParam);
}
