#include "board/clip_polygon.h"

#include <iterator>

#include "platform/graphics_path.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <limits>

#include "board/clip_sweep.h"
#include "platform/file.h"
#include "platform/text.h"

CClipContour::CClipContour(const PointF* vertices, int count) {
    if (vertices && count > 0)
        m_vertices.assign(vertices, vertices + count);
}

void CClipPolygon::Clear() {
    m_holeFlags.clear();
    m_contours.clear();
}

void CClipPolygon::AddContour(const PointF* vertices, int count, int holeFlag) {
    m_contours.emplace_back(vertices, count);
    m_holeFlags.push_back(holeFlag ? 1 : 0);
}

void CClipPolygon::AddContour(CClipContour&& contour, int holeFlag) {
    m_contours.push_back(std::move(contour));
    m_holeFlags.push_back(holeFlag ? 1 : 0);
}

void CClipPolygon::Append(CClipPolygon&& other) {
    if (&other == this)
        return;
    m_contours.insert(m_contours.end(), std::make_move_iterator(other.m_contours.begin()),
                      std::make_move_iterator(other.m_contours.end()));
    m_holeFlags.insert(m_holeFlags.end(), other.m_holeFlags.begin(), other.m_holeFlags.end());
    other.Clear();
}

void CClipPolygon::AddPathFigures(const PointF* points, const uint8_t* types, int count,
                                  int holeFlag) {
    if (!points || !types || count <= 0)
        return;
    int start = 0;
    for (int i = 1; i <= count; ++i) {
        if (i == count || (types[i] & 7) == 0) {
            AddContour(points + start, i - start, holeFlag);
            start = i;
        }
    }
}

namespace {

// Marks the contours of one polygon whose box meets no box of the other.
std::vector<bool> Reaching(const std::vector<ContourBounds>& own,
                           const std::vector<ContourBounds>& other) {
    std::vector<bool> keep(own.size(), false);
    for (size_t i = 0; i < own.size(); ++i) {
        for (const ContourBounds& o : other) {
            if (own[i].Meets(o)) {
                keep[i] = true;
                break;
            }
        }
    }
    return keep;
}

} // namespace

void CClipPolygon::Clip(ClipOperation op, const CClipPolygon& subject, const CClipPolygon& clip) {
    CClipPolygon result;
    const bool subjectEmpty = subject.IsEmpty(), clipEmpty = clip.IsEmpty();
    const bool early = (subjectEmpty && clipEmpty) ||
                       (subjectEmpty && (op == CLIP_DIFFERENCE || op == CLIP_INTERSECTION)) ||
                       (clipEmpty && op == CLIP_INTERSECTION);
    if (!early) {
        std::vector<bool> keepSubject(subject.m_contours.size(), true);
        std::vector<bool> keepClip(clip.m_contours.size(), true);
        // Contours far from everything of the other polygon cannot change an
        // intersection or a difference.
        if ((op == CLIP_INTERSECTION || op == CLIP_DIFFERENCE) && !subjectEmpty && !clipEmpty) {
            std::vector<ContourBounds> sb, cb;
            sb.reserve(subject.m_contours.size());
            cb.reserve(clip.m_contours.size());
            for (const CClipContour& c : subject.m_contours)
                sb.push_back(ContourBounds::Of(c));
            for (const CClipContour& c : clip.m_contours)
                cb.push_back(ContourBounds::Of(c));
            keepClip = Reaching(cb, sb);
            if (op == CLIP_INTERSECTION)
                keepSubject = Reaching(sb, cb);
        }
        // The sweep's tables are reused from one clip to the next: unions of
        // many small parts would otherwise allocate them again and again.
        thread_local ClipSweep sweep;
        sweep.Reset();
        size_t vertices = 0;
        for (size_t i = 0; i < subject.m_contours.size(); ++i)
            vertices += keepSubject[i] ? subject.m_contours[i].Vertices().size() : 0;
        for (size_t i = 0; i < clip.m_contours.size(); ++i)
            vertices += keepClip[i] ? clip.m_contours[i].Vertices().size() : 0;
        sweep.Reserve(vertices);
        for (size_t i = 0; i < subject.m_contours.size(); ++i) {
            if (keepSubject[i])
                sweep.AddContour(subject.m_contours[i].GetVertices(),
                                 subject.m_contours[i].GetVertexCount(), false);
        }
        for (size_t i = 0; i < clip.m_contours.size(); ++i) {
            if (keepClip[i])
                sweep.AddContour(clip.m_contours[i].GetVertices(),
                                 clip.m_contours[i].GetVertexCount(), true);
        }
        sweep.Run(op, result.m_contours, result.m_holeFlags);
    }
    *this = std::move(result);
}

std::wstring CClipPolygon::ToText(bool withHoleFlags) const {
    std::wstring text = StrPrintf(L"%d\n", GetContourCount());
    for (size_t i = 0; i < m_contours.size(); ++i) {
        const CClipContour& c = m_contours[i];
        text += StrPrintf(L"%d\n", c.GetVertexCount());
        if (withHoleFlags)
            text += StrPrintf(L"%d\n", m_holeFlags[i]);
        for (const PointF& p : c.Vertices())
            text += StrPrintf(L"% .*lf % .*lf\n", 15, double(p.X), 15, double(p.Y));
    }
    return text;
}

namespace {

// Reads whitespace-separated numbers the way "%d" and "%f" do.
class NumberReader {
public:
    explicit NumberReader(std::wstring_view text) : m_text(text) {}

    bool Integer(long long& value) {
        const wchar_t* start = Skip();
        if (!start)
            return false;
        const wchar_t* end = nullptr;
        value = ParseInteger(start, &end);
        return Advance(start, end);
    }
    bool Float(float& value) {
        const wchar_t* start = Skip();
        if (!start)
            return false;
        const wchar_t* end = nullptr;
        const double d = ParseDouble(start, &end);
        if (!Advance(start, end))
            return false;
        if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
            return false;
        value = static_cast<float>(d);
        return true;
    }
    // Nothing but white space left.
    bool AtEnd() { return Skip() == nullptr; }

private:
    const wchar_t* Skip() {
        while (m_pos < m_text.size() && std::iswspace(m_text[m_pos]))
            ++m_pos;
        if (m_pos >= m_text.size())
            return nullptr;
        // The parsers need a terminated string: copy one token.
        size_t end = m_pos;
        while (end < m_text.size() && !std::iswspace(m_text[end]))
            ++end;
        m_token.assign(m_text.substr(m_pos, end - m_pos));
        return m_token.c_str();
    }
    bool Advance(const wchar_t* start, const wchar_t* end) {
        if (end == start || *end != L'\0')
            return false;
        m_pos += m_token.size();
        return true;
    }

    std::wstring_view m_text;
    size_t m_pos = 0;
    std::wstring m_token;
};

} // namespace

bool CClipPolygon::FromText(std::wstring_view text, bool withHoleFlags) {
    Clear();
    NumberReader reader(text);
    long long contours = 0;
    if (!reader.Integer(contours) || contours < 0 || contours > std::numeric_limits<int>::max())
        return false;
    CClipPolygon result;
    for (long long i = 0; i < contours; ++i) {
        long long count = 0, hole = 0;
        if (!reader.Integer(count) || count < 0 || count > std::numeric_limits<int>::max())
            return false;
        if (withHoleFlags && !reader.Integer(hole))
            return false;
        std::vector<PointF> pts;
        for (long long k = 0; k < count; ++k) {
            PointF p;
            if (!reader.Float(p.X) || !reader.Float(p.Y))
                return false;
            pts.push_back(p);
        }
        result.m_contours.emplace_back(std::move(pts));
        result.m_holeFlags.push_back(hole ? 1 : 0);
    }
    if (!reader.AtEnd())
        return false;
    *this = std::move(result);
    return true;
}

bool CClipPolygon::Write(const std::wstring& path, bool withHoleFlags) const {
    return WriteWholeFile(path, WideToUtf8(ToText(withHoleFlags)));
}

bool CClipPolygon::Read(const std::wstring& path, bool withHoleFlags) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        Clear();
        return false;
    }
    return FromText(Utf8ToWide(bytes), withHoleFlags);
}

CClipPolygon CClipPolygon::FromPath(GraphicsPath& path, int holeFlag) {
    CClipPolygon polygon;
    path.Flatten(nullptr, 0.01f);
    const std::vector<PointF>& points = path.Points();
    const std::vector<uint8_t>& types = path.Types();
    polygon.AddPathFigures(points.data(), types.data(), static_cast<int>(points.size()), holeFlag);
    return polygon;
}

ContourBounds ContourBounds::Of(const CClipContour& contour) {
    ContourBounds b;
    for (const PointF& p : contour.Vertices()) {
        b.left = std::min(b.left, p.X);
        b.right = std::max(b.right, p.X);
        b.bottom = std::min(b.bottom, p.Y);
        b.top = std::max(b.top, p.Y);
    }
    return b;
}

void ContourBounds::Add(const ContourBounds& b) {
    left = std::min(left, b.left);
    bottom = std::min(bottom, b.bottom);
    right = std::max(right, b.right);
    top = std::max(top, b.top);
}
