#include "board/marking_text.h"

#include "board/marking_token.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/pen.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr wchar_t kSeparator = 0x00B6;
// Longest text, separator and font name the classic form carries.
constexpr size_t kClassicLimit = 999;

// The blanks that end a classic text part.
bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= 0x09 && c <= 0x0D);
}

// Characters an XML file cannot carry as they are.
bool IsUnsafe(wchar_t c) {
    const auto u = static_cast<uint32_t>(c);
    return u < 0x20 || u == 0x7F || (u >= 0xD800 && u <= 0xDFFF) || u == 0xFFFE || u == 0xFFFF ||
           u > 0x10FFFF;
}

std::wstring Replace(std::wstring s, wchar_t from, wchar_t to) {
    std::replace(s.begin(), s.end(), from, to);
    return s;
}

// True when the classic form reads back to exactly this text and font.
bool ClassicFormHolds(const std::wstring& text, const std::wstring& font) {
    if (text.size() + 1 + font.size() > kClassicLimit)
        return false;
    for (const std::wstring* s : {&text, &font})
        for (wchar_t c : *s)
            if (c == L'_' || (c != L' ' && (IsBlank(c) || IsUnsafe(c))))
                return false;
    return text.find(kSeparator) == std::wstring::npos;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

// Reads n hex digits at p; false when they are not all there.
bool ReadHex(const std::wstring& s, size_t p, size_t n, uint32_t* value) {
    if (p + n > s.size())
        return false;
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        const int d = HexValue(s[p + i]);
        if (d < 0)
            return false;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    *value = v;
    return true;
}

} // namespace

std::wstring EscapeMarkingText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto u = static_cast<uint32_t>(c);
        if (c == L'%' || c == kSeparator || u <= 0x20 || IsUnsafe(c)) {
            if (u < 0x100)
                out += StrPrintf(L"%%%02X", u);
            else
                out += StrPrintf(L"%%U%08X", u);
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring UnescapeMarkingText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t v = 0;
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'U' &&
            ReadHex(text, i + 2, 8, &v)) {
            out += static_cast<wchar_t>(v);
            i += 9;
        } else if (text[i] == L'%' && ReadHex(text, i + 1, 2, &v)) {
            out += static_cast<wchar_t>(v);
            i += 2;
        } else {
            out += text[i]; // a lone '%' stands for itself
        }
    }
    return out;
}

CMarkingText::CMarkingText(CMarking* marking, const wchar_t* rest) : CMarkingPrimitive(marking) {
    const bool escaped = *rest == L'X';
    if (escaped)
        ++rest;
    MarkingScanner s(rest);
    s.Float(&m_pos.X) && s.Literal(L',') && s.Float(&m_pos.Y) && s.Literal(L',') &&
        s.Float(&m_rotation) && s.Literal(L',') && s.Float(&m_fontSize) && s.Literal(L':');
    if (!s.Ok())
        return;
    const wchar_t* p = s.Position();
    std::wstring part;
    if (escaped) {
        part = p;
    } else {
        // The classic text part: one word after optional blanks.
        while (*p && IsBlank(*p))
            ++p;
        const wchar_t* end = p;
        while (*end && !IsBlank(*end))
            ++end;
        part.assign(p, end);
    }
    const size_t sep = part.find(kSeparator);
    std::wstring text = part.substr(0, sep);
    if (escaped) {
        m_text = UnescapeMarkingText(text);
        if (sep != std::wstring::npos)
            m_fontName = UnescapeMarkingText(part.substr(sep + 1));
    } else {
        m_text = Replace(text, L'_', L' ');
        if (sep != std::wstring::npos)
            m_fontName = Replace(part.substr(sep + 1), L'_', L' ');
    }
}

void CMarkingText::CopyFrom(const CMarkingPrimitive* other) {
    auto* o = static_cast<const CMarkingText*>(other);
    m_text = o->m_text;
    m_pos = o->m_pos;
    m_fontName = o->m_fontName;
    m_fontSize = o->m_fontSize;
    m_rotation = o->m_rotation;
    m_width = o->m_width;
}

std::wstring CMarkingText::ToString() const {
    std::wstring numbers = MarkingNumber(m_pos.X) + L',' + MarkingNumber(m_pos.Y) + L',' +
                           MarkingNumber(m_rotation) + L',' + MarkingNumber(m_fontSize) + L':';
    if (ClassicFormHolds(m_text, m_fontName))
        return L"TXT" + numbers + Replace(m_text, L' ', L'_') + kSeparator +
               Replace(m_fontName, L' ', L'_');
    return L"TXTX" + numbers + EscapeMarkingText(m_text) + kSeparator +
           EscapeMarkingText(m_fontName);
}

void CMarkingText::Move(float dx, float dy) {
    m_pos.X += dx;
    m_pos.Y += dy;
}

void CMarkingText::TransformByKey(wchar_t key, bool shift) {
    TransformPointByKey(&m_pos, m_anchor, key, shift);
    if (key == L'R') {
        m_rotation += shift ? 90.0f : -90.0f;
        if (m_rotation <= -360)
            m_rotation += 360;
        else if (m_rotation >= 360)
            m_rotation -= 360;
    }
    RefreshRows();
}

bool CMarkingText::IsMirrored() const {
    const int layer = GetLayer();
    return layer >= 0 && layer != 2 && (layer & 1) != GetHolderSide();
}

void CMarkingText::TextToModel(Matrix* m) const {
    m->Translate(m_pos.X, m_pos.Y);
    m->Rotate(m_rotation);
    m->Scale(1, -1);
    if (IsMirrored())
        m->Scale(-1, 1);
}

void CMarkingText::Draw(Graphics* g, int) {
    const GraphicsState state = g->Save();
    g->TranslateTransform(m_pos.X, m_pos.Y);
    g->RotateTransform(m_rotation);
    g->ScaleTransform(1, -1);
    if (IsMirrored())
        g->ScaleTransform(-1, 1);
    FontFamily family(m_fontName);
    if (!family.IsAvailable()) {
        SetStatusText(0, StrPrintf(LoadStringText(290).c_str(), m_fontName.c_str()));
    } else {
        GraphicsPath path;
        path.AddString(m_text, &family, FontStyleRegular, m_fontSize, PointF{0, 0}, nullptr);
        SolidBrush brush(DrawColor());
        g->FillPath(&brush, &path);
    }
    g->Restore(state);
}

RectF CMarkingText::MeasureLocal(Graphics* g) const {
    FontFamily family(m_fontName);
    const FontFamily* used = family.IsAvailable() ? &family : FontFamily::GenericSansSerif();
    RectF box;
    if (!used)
        return box;
    // World units: the em size the drawing uses, independent of the DPI.
    Font font(used, m_fontSize, FontStyleRegular, UnitWorld);
    if (g)
        g->MeasureString(m_text, &font, PointF{0, 0}, nullptr, &box);
    else
        LayoutTextOutline(m_text, *used, FontStyleRegular, m_fontSize, RectF{}, false, nullptr,
                          nullptr, &box);
    return box;
}

bool CMarkingText::GetBounds(Graphics* g, RectF* bounds) {
    const RectF box = MeasureLocal(g);
    PointF corners[4] = {{box.X, box.Y},
                         {box.X + box.Width, box.Y},
                         {box.X + box.Width, box.Y + box.Height},
                         {box.X, box.Y + box.Height}};
    Matrix m;
    TextToModel(&m);
    m.TransformPoints(corners, 4);
    float x0 = corners[0].X, y0 = corners[0].Y, x1 = x0, y1 = y0;
    for (const PointF& c : corners) {
        x0 = std::min(x0, c.X);
        y0 = std::min(y0, c.Y);
        x1 = std::max(x1, c.X);
        y1 = std::max(y1, c.Y);
    }
    *bounds = RectF{x0, y0, x1 - x0, y1 - y0};
    return true;
}

bool CMarkingText::HitTest(Graphics* g, float x, float y) {
    const double dx = x - m_pos.X, dy = y - m_pos.Y;
    const double phi = -m_rotation * 0.017453292;
    double lx = dx * std::cos(phi) - dy * std::sin(phi);
    const double ly = -(dx * std::sin(phi) + dy * std::cos(phi));
    if (IsMirrored())
        lx = -lx;
    const RectF box = MeasureLocal(g);
    return box.X <= lx && lx < box.X + box.Width && box.Y <= ly && ly < box.Y + box.Height;
}

std::vector<CMarkingPrimitive::Row> CMarkingText::PropertyRows() const {
    return {{RowField::Text},
            {RowField::FontName},
            {RowField::Position},
            {RowField::FontSize},
            {RowField::Rotation}};
}

PointF* CMarkingText::PointOfRow(const Row& row) {
    return row.field == RowField::Position ? &m_pos : nullptr;
}

void CMarkingText::AddTextRow(CPropertyGrid& grid, const Row& row) {
    switch (row.field) {
    case RowField::Text:
        grid.AddText(151, m_text);
        break;
    case RowField::FontName:
        grid.AddText(362, m_fontName);
        break;
    case RowField::FontSize:
        grid.AddFloat(363, m_fontSize, 1);
        break;
    case RowField::Rotation:
        grid.AddFloat(352, m_rotation, 1);
        break;
    default:
        break;
    }
}

void CMarkingText::ApplyTextRow(const Row& row, CPropertyGrid& grid, const CPropertyEdit& edit) {
    switch (row.field) {
    case RowField::Text:
        m_text = edit.GetText();
        break;
    case RowField::FontName:
        m_fontName = edit.GetText();
        break;
    case RowField::FontSize:
        grid.ParseRowLength(&edit, &m_fontSize, CPropertyGrid::LengthRange::Positive);
        break;
    case RowField::Rotation:
        grid.ParseRowLength(&edit, &m_rotation);
        break;
    default:
        break;
    }
}
