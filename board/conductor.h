// A copper track of a net: a polyline of vertices on one layer.
#pragma once

#include "core/tree_node.h"

#include <cstdint>
#include <vector>

class CPad;
class GraphicsPath;

// What a conductor vertex is attached to: nothing, a pad, or a break point
// of the routing (never dereferenced).
class VertexTie {
public:
    VertexTie() = default;
    static VertexTie ToPad(CPad* pad) { return VertexTie(reinterpret_cast<uintptr_t>(pad)); }
    static VertexTie BreakPoint() { return VertexTie(kBreak); }
    bool IsNone() const { return m_value == kNone; }
    bool IsPad() const { return m_value > kBreak; }
    bool IsBreakPoint() const { return m_value == kBreak; }
    CPad* GetPad() const { return IsPad() ? reinterpret_cast<CPad*>(m_value) : nullptr; }
    bool operator==(const VertexTie& o) const { return m_value == o.m_value; }

private:
    // One word, so that a vertex takes 24 bytes (boards hold many): no pad,
    // a break point, or the pad's address (never 1).
    static constexpr uintptr_t kNone = 0;
    static constexpr uintptr_t kBreak = 1;
    explicit VertexTie(uintptr_t value) : m_value(value) {}
    uintptr_t m_value = kNone;
};

struct ConductorVertex {
    float x = 0;
    float y = 0;
    float corner = 0; // 0 = sharp corner
    VertexTie tie;
    bool operator==(const ConductorVertex&) const = default;
};

// One piece of a conductor's centre line, starting where the piece before
// it ends (the first at the first vertex): a straight run, or the arc that
// rounds a corner.
struct ConductorPiece {
    int segment = 0; // the segment it belongs to, counted from 1
    bool arc = false;
    double x = 0, y = 0;   // where it ends
    double cx = 0, cy = 0; // arc: centre
    double sweep = 0;      // arc: radians from its start to its end, within +-pi
};

// 0 when the point misses the segment (tolerance across it, no end caps),
// 1 on a hit nearer the first end, 2 nearer the second (also on a tie).
int HitTestSegmentF(float x1, float y1, float x2, float y2, float px, float py, float tolerance);

class CConductor : public CTreeNode {
public:
    CConductor();
    CConductor(const CConductor& other);
    ~CConductor() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    int GetLayer() const override { return m_layer; }
    void SetLayer(int layer) override { m_layer = layer; }
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    // Track with rounded corners; the selection word holds the selected
    // segment (counted from 1).
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    // Box of the vertices grown by Width / 2 and the board-wide isolation.
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    void InvalidateOnBoard(Graphics* g) override;
    // Another conductor of the same net and layer with a sharp-cornered
    // vertex within the tolerance in x and y; null when none.
    CConductor* FindOtherConductorAt(float x, float y, float tolerance) const;
    // Whether the conductor (of two vertices or more) has a sharp-cornered
    // vertex within the tolerance in x and y: what FindOtherConductorAt asks
    // of the others.
    bool HasSharpVertexNear(float x, float y, float tolerance) const;
    // Drops duplicate vertices and straight-run vertices (each recorded).
    void RemoveRedundantVertices(Graphics* g);
    // Drops the first of two vertices in a row at one place (each recorded);
    // the one kept takes over its corner and tie.
    void RemoveRepeatedVertices();

    // The centre line as it is drawn and plotted: per segment, a straight run
    // up to its end vertex, or, where that vertex's corner value rounds the
    // corner, up to where the arc begins and then the arc. Replaces pieces.
    void GetCentreLine(std::vector<ConductorPiece>& pieces) const;
    // Appends the copper of the track grown by margin (all within Width / 2
    // + margin of the centre line) and merges the path into its outline.
    void BuildPath(GraphicsPath* path, float margin) const;
    // BuildPath for a clearance cut out of copper: the figures' curves are
    // flattened outside them (FlattenOutward) before the merge.
    void BuildClearancePath(GraphicsPath* path, float margin) const;
    // The first half of BuildPath, figures of their own: a stadium of width
    // Width + 2 margin per straight run, a ring sector (a pie on a tight
    // bend) per arc.
    void AddSegmentFigures(GraphicsPath* path, float margin) const;
    // The flatness BuildPath merges its figures with.
    static constexpr float kOutlineFlatness = 0.001f;

    int m_layer = -1;
    float m_width = 0;
    std::vector<ConductorVertex> m_vertices;
};
