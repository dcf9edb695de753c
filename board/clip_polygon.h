// Boolean operations on float polygons: difference, intersection,
// exclusive-or and union of two polygons made of any number of closed
// contours, with even-odd inside-ness. The design-rule check uses it to find
// where two outlines overlap and hands every result contour back to a path.
#pragma once

#include <cfloat>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/types.h"

enum ClipOperation : int {
    CLIP_DIFFERENCE = 0, // subject minus clip
    CLIP_INTERSECTION = 1,
    CLIP_XOR = 2,
    CLIP_UNION = 3,
};

// One closed contour. Its vertices are contiguous PointF values so that a
// contour can be handed to a path as a polygon figure without conversion.
class CClipContour {
public:
    CClipContour() = default;
    CClipContour(const PointF* vertices, int count);
    explicit CClipContour(std::vector<PointF> vertices) : m_vertices(std::move(vertices)) {}

    int GetVertexCount() const { return static_cast<int>(m_vertices.size()); }
    const PointF* GetVertices() const { return m_vertices.data(); }
    const PointF& operator[](int i) const { return m_vertices[static_cast<size_t>(i)]; }
    const std::vector<PointF>& Vertices() const { return m_vertices; }

private:
    std::vector<PointF> m_vertices;
};

// The box around a contour's vertices, or around several boxes; empty
// (meeting nothing) until a vertex is added. Touching boxes meet.
struct ContourBounds {
    float left = FLT_MAX, bottom = FLT_MAX, right = -FLT_MAX, top = -FLT_MAX;
    static ContourBounds Of(const CClipContour& contour);
    bool Empty() const { return left > right; }
    void Add(const ContourBounds& b);
    bool Meets(const ContourBounds& b) const {
        return !Empty() && !b.Empty() && left <= b.right && b.left <= right && bottom <= b.top &&
               b.bottom <= top;
    }
};

class GraphicsPath;

class CClipPolygon {
public:
    CClipPolygon() = default;

    int GetContourCount() const { return static_cast<int>(m_contours.size()); }
    bool IsEmpty() const { return m_contours.empty(); }
    const CClipContour& GetContour(int i) const { return m_contours[static_cast<size_t>(i)]; }
    // 1 when contour i is a hole, 0 when it is an outer contour.
    int GetHoleFlag(int i) const { return m_holeFlags[static_cast<size_t>(i)]; }
    const std::vector<CClipContour>& Contours() const { return m_contours; }
    const std::vector<int>& HoleFlags() const { return m_holeFlags; }

    void Clear();
    // Appends a contour (copied). A negative count or null vertices append an
    // empty contour; any hole flag other than 0 is stored as 1.
    void AddContour(const PointF* vertices, int count, int holeFlag);
    // Appends the contour itself, without a copy.
    void AddContour(CClipContour&& contour, int holeFlag);
    // Moves contour i out; an empty contour with its hole flag stays in its
    // place.
    CClipContour TakeContour(int i) { return std::move(m_contours[static_cast<size_t>(i)]); }
    // Appends every contour of other, with its hole flag, in order; other is
    // left empty.
    void Append(CClipPolygon&& other);
    // The core of building a polygon from a flattened path: the points are
    // cut into figures, a figure starting at every point whose type masked
    // with 7 is 0 and running to the next start; every figure of at least one
    // point becomes a contour with the given hole flag. Points before the
    // first start form a figure of their own.
    void AddPathFigures(const PointF* points, const uint8_t* types, int count, int holeFlag);

    // A polygon made from a path: the path is flattened in place (no matrix,
    // flatness 0.01) and every figure becomes a contour with the hole flag.
    static CClipPolygon FromPath(GraphicsPath& path, int holeFlag);

    // This polygon becomes op(subject, clip). Inside-ness of each input is
    // even-odd over all its contours; input hole flags are not consulted. The
    // inputs are not changed; either may be this polygon itself.
    void Clip(ClipOperation op, const CClipPolygon& subject, const CClipPolygon& clip);

    // The text form: the contour count, then per contour its vertex count, its
    // hole flag when asked for, and one "x y" line per vertex with 15
    // decimals. Independent of the process locale.
    std::wstring ToText(bool withHoleFlags) const;
    // Reads the text form; on malformed text returns false and leaves the
    // polygon empty.
    bool FromText(std::wstring_view text, bool withHoleFlags);
    bool Write(const std::wstring& path, bool withHoleFlags) const;
    bool Read(const std::wstring& path, bool withHoleFlags);

private:
    std::vector<int> m_holeFlags;
    std::vector<CClipContour> m_contours;
};
