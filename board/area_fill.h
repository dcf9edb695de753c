// The copper of a copper area as polygons: the area's outline less the
// exclusion, which keeps the copper clear of everything of other nets (pads
// by their pad layer's isolation, conductors and vias by the board-wide one)
// and cuts thermal reliefs around the pads of the area's own net. Where a
// later area of the board (one drawn over this one) of another net lies on
// the same layer, the later one keeps its copper and this one is cleared
// around the later one's outline by the board-wide isolation. The drawing
// and the manufacturing output take the same polygons.
//
// The work comes in two steps: Gather walks the board for what cuts into the
// area (cheap: shapes as paths, places as matrices) and sums it up in a key;
// Build flattens, unites and clips. Two gatherings with equal keys give the
// same fill, so that a drawing keeps the fill it built until the key changes.
#pragma once

#include "board/clip_polygon.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"

#include <cstdint>
#include <string>
#include <vector>

class CArea;
class CConductor;
class CPadstack;

class CThermalRelief;

class CAreaFill {
public:
    // flatness: the largest distance of a polygon edge from the true curve.
    explicit CAreaFill(const CArea* area, float flatness = 0.01f);

    // Builds outline, exclusion and fill (Gather, then Build); false (and
    // all three empty) when the area has no layer, no outline or no board.
    bool Compute();
    // Finds the outline and everything that may cut into the area; false when
    // the area has no layer, no outline or no board.
    bool Gather();
    // What Gather found, summed up: the outline, the flatness and isolation,
    // each clearance or thermal shape with where it is placed, each
    // conductor's layer, width and vertices, and the outline of each later
    // area of another net on the layer. 0 before a gathering that found an
    // area.
    uint64_t GetInputKey() const { return m_key; }
    // Outline, exclusion and fill from what Gather found (only pads and
    // conductors whose clearance reaches the outline's bounds); false (and
    // all three empty) when nothing was gathered or the outline is empty.
    bool Build();

    // In board coordinates, even-odd.
    const CClipPolygon& GetOutline() const { return m_outline; }
    const CClipPolygon& GetExclusion() const { return m_exclusion; }
    const CClipPolygon& GetFill() const { return m_fill; }

    // True when the copper of later, an area after area among the board's
    // children, clears area's copper: both have an outline on one layer and
    // they are of different nets (an area without a net is of another net
    // than every area).
    static bool IsClearedBy(const CArea* area, const CArea* later);
    // What an area of another net keeps clear around the outline: the
    // outline (curves flattened outside it) grown on every side by margin,
    // the disc's curves flattened outside too; even-odd, as the outline.
    static CClipPolygon GrownOutline(const GraphicsPath& outline, float margin, float flatness);

private:
    // A pad's clearance or thermal shape (an index into m_shapes) placed by
    // a matrix, or a conductor's clearance.
    struct Source {
        int shape;
        Matrix placement;
        const CConductor* conductor;
    };
    // The clearance or thermal sources of one padstack's pads.
    void AddPadstackSources(const CPadstack* padstack);
    void AddShape(const GraphicsPath& path);
    bool MeetsOutline(float left, float bottom, float right, float top) const;
    // The fill: the outline less the exclusion.
    void CutExclusion();

    const CArea* m_area;
    float m_flatness;
    float m_isolation = 0;
    uint64_t m_key = 0;
    GraphicsPath m_outlinePath;
    std::vector<GraphicsPath> m_shapes;
    std::vector<Source> m_sources;
    // The outlines of later areas of other nets on the layer.
    std::vector<GraphicsPath> m_laterOutlines;
    // The board's thermal relief, looked up once per fill: the lookup walks
    // the board's children, and a fill visits every padstack.
    bool m_boardReliefKnown = false;
    const CThermalRelief* m_boardRelief = nullptr;
    CClipPolygon m_outline;
    float m_left = 0, m_bottom = 0, m_right = 0, m_top = 0;
    std::vector<CClipPolygon> m_parts;
    CClipPolygon m_exclusion;
    CClipPolygon m_fill;
};
