#include "platform/font.h"

#include "platform/font_table.h"
#include "platform/graphics_path.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QRawFont>
#include <QString>

#include <list>
#include <map>
#include <memory>
#include <tuple>

namespace {

// Glyph outlines are taken at this pixel size, unhinted, and scaled to the
// em size asked for.
constexpr int kRefPixels = 2048;

struct FaceKey {
    std::wstring family;
    int style;
    bool operator<(const FaceKey& o) const {
        return std::tie(family, style) < std::tie(o.family, o.style);
    }
};

struct Face {
    QFont font;
    double ascent = 0, descent = 0, lineSpacing = 0;
    // Outlines of whole lines at the reference size, baseline at 0.
    std::map<std::wstring, std::pair<QPainterPath, double>> lines;
    std::list<std::wstring> order;
};

Face& FaceFor(const std::wstring& family, int style) {
    static std::map<FaceKey, std::unique_ptr<Face>> faces;
    auto& slot = faces[{family, style}];
    if (!slot) {
        slot = std::make_unique<Face>();
        QFont f(QString::fromStdWString(family));
        f.setPixelSize(kRefPixels);
        f.setBold(style & FontStyleBold);
        f.setItalic(style & FontStyleItalic);
        f.setUnderline(style & FontStyleUnderline);
        f.setStrikeOut(style & FontStyleStrikeout);
        f.setHintingPreference(QFont::PreferNoHinting);
        f.setKerning(true);
        slot->font = f;
        QFontMetricsF fm(f);
        slot->ascent = fm.ascent();
        slot->descent = fm.descent();
        slot->lineSpacing = fm.lineSpacing();
    }
    return *slot;
}

const std::pair<QPainterPath, double>& LineOutline(Face& face, const std::wstring& line) {
    auto it = face.lines.find(line);
    if (it != face.lines.end())
        return it->second;
    if (face.order.size() >= 512) {
        face.lines.erase(face.order.front());
        face.order.pop_front();
    }
    QPainterPath p;
    const QString s = QString::fromStdWString(line);
    p.addText(QPointF(0, 0), face.font, s);
    const double advance = QFontMetricsF(face.font).horizontalAdvance(s);
    face.order.push_back(line);
    return face.lines.emplace(line, std::make_pair(p, advance)).first->second;
}

void AppendOutline(const QPainterPath& qp, double scale, double dx, double dy, GraphicsPath* out) {
    std::vector<PointF> pts;
    std::vector<uint8_t> types;
    auto flush = [&]() {
        // Glyph contours are closed; a repeated start point is dropped.
        if (pts.size() > 1 && pts.back() == pts.front() && types.back() == PathPointTypeLine) {
            pts.pop_back();
            types.pop_back();
        }
        if (!pts.empty()) {
            out->MarkNewFigure();
            for (size_t k = 0; k < pts.size(); ++k)
                out->AppendRaw(pts[k], types[k]);
            out->CloseFigure();
        }
        pts.clear();
        types.clear();
    };
    const int n = qp.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = qp.elementAt(i);
        const PointF p{static_cast<float>(e.x * scale + dx), static_cast<float>(e.y * scale + dy)};
        switch (e.type) {
        case QPainterPath::MoveToElement:
            flush();
            pts.push_back(p);
            types.push_back(PathPointTypeStart);
            break;
        case QPainterPath::LineToElement:
            pts.push_back(p);
            types.push_back(PathPointTypeLine);
            break;
        case QPainterPath::CurveToElement:
        case QPainterPath::CurveToDataElement:
            pts.push_back(p);
            types.push_back(PathPointTypeBezier);
            break;
        }
    }
    flush();
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue;
        if (c == L'\n' || c == L'\r')
            lines.emplace_back();
        else
            lines.back().push_back(c);
    }
    return lines;
}

} // namespace

FontFamily::FontFamily(const std::wstring& name) : name_(name), resolved_(ResolveFontFamily(name)) {
    status_ = resolved_.empty() ? FontFamilyNotFound : Ok;
}

const FontFamily* FontFamily::GenericSansSerif() {
    static FontFamily f(L"DejaVu Sans");
    if (!f.IsAvailable())
        f = FontFamily(L"Liberation Sans");
    return &f;
}

const FontFamily* FontFamily::GenericSerif() {
    static FontFamily f(L"DejaVu Serif");
    if (!f.IsAvailable())
        f = FontFamily(L"Liberation Serif");
    return &f;
}

const FontFamily* FontFamily::GenericMonospace() {
    static FontFamily f(L"DejaVu Sans Mono");
    if (!f.IsAvailable())
        f = FontFamily(L"Liberation Mono");
    return &f;
}

Status FontFamily::GetFamilyName(std::wstring* name) const {
    if (!name)
        return InvalidParameter;
    *name = name_;
    return Ok;
}

uint16_t FontFamily::GetEmHeight(int) const {
    return IsAvailable() ? kRefPixels : 0;
}

uint16_t FontFamily::GetCellAscent(int style) const {
    return IsAvailable() ? static_cast<uint16_t>(FaceFor(resolved_, style).ascent + 0.5) : 0;
}

uint16_t FontFamily::GetCellDescent(int style) const {
    return IsAvailable() ? static_cast<uint16_t>(FaceFor(resolved_, style).descent + 0.5) : 0;
}

uint16_t FontFamily::GetLineSpacing(int style) const {
    return IsAvailable() ? static_cast<uint16_t>(FaceFor(resolved_, style).lineSpacing + 0.5) : 0;
}

Font::Font(const FontFamily* family, float emSize, int style, Unit unit)
    : size_(emSize), style_(style), unit_(unit) {
    if (family)
        family_ = *family;
    status_ = !family ? InvalidParameter : family_.GetLastStatus();
}

Font::Font(const std::wstring& familyName, float emSize, int style, Unit unit)
    : family_(familyName), size_(emSize), style_(style), unit_(unit) {
    status_ = family_.GetLastStatus();
}

Status Font::GetFamily(FontFamily* family) const {
    if (!family)
        return InvalidParameter;
    *family = family_;
    return Ok;
}

const StringFormat* StringFormat::GenericDefault() {
    static StringFormat f;
    return &f;
}

const StringFormat* StringFormat::GenericTypographic() {
    static StringFormat f(StringFormatFlagsNoClip);
    return &f;
}

Status LayoutTextOutline(const std::wstring& text, const FontFamily& family, int style,
                         float emSize, const RectF& layoutRect, bool useRect,
                         const StringFormat* format, GraphicsPath* path, RectF* box) {
    if (!family.IsAvailable())
        return FontFamilyNotFound;
    Face& face = FaceFor(family.ResolvedName(), style);
    const double scale = static_cast<double>(emSize) / kRefPixels;
    const StringAlignment align = format ? format->GetAlignment() : StringAlignmentNear;
    const StringAlignment lineAlign = format ? format->GetLineAlignment() : StringAlignmentNear;
    const std::vector<std::wstring> lines = SplitLines(text);
    const double lineHeight = face.lineSpacing * scale;
    const double height = lineHeight * lines.size();
    std::vector<double> widths;
    double width = 0;
    for (const std::wstring& l : lines) {
        const double w = l.empty() ? 0 : LineOutline(face, l).second * scale;
        widths.push_back(w);
        width = std::max(width, w);
    }
    auto place = [&](StringAlignment a, double start, double extent, double size) {
        if (!useRect)
            extent = 0;
        switch (a) {
        case StringAlignmentCenter:
            return start + (extent - size) / 2;
        case StringAlignmentFar:
            return start + extent - size;
        default:
            return start;
        }
    };
    const double top = place(lineAlign, layoutRect.Y, layoutRect.Height, height);
    double left = 1e300;
    for (size_t i = 0; i < lines.size(); ++i) {
        const double x = place(align, layoutRect.X, layoutRect.Width, widths[i]);
        left = std::min(left, x);
        if (path && !lines[i].empty())
            AppendOutline(LineOutline(face, lines[i]).first, scale, x,
                          top + i * lineHeight + face.ascent * scale, path);
    }
    if (box) {
        if (width == 0)
            left = place(align, layoutRect.X, layoutRect.Width, 0);
        *box = {static_cast<float>(left), static_cast<float>(top), static_cast<float>(width),
                static_cast<float>(height)};
    }
    return Ok;
}
