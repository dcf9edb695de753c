// The copper of a copper area as polygons: the area's outline less the
// exclusion, which keeps the copper clear of everything of other nets (pads
// by their pad layer's isolation, conductors and vias by the board-wide one)
// and cuts thermal reliefs around the pads of the area's own net. The
// drawing and the manufacturing output take the same polygons.
#pragma once

#include "board/clip_polygon.h"

#include <string>
#include <vector>

class CArea;
class CPadstack;

class CThermalRelief;

class CAreaFill {
public:
    // flatness: the largest distance of a polygon edge from the true curve.
    explicit CAreaFill(const CArea* area, float flatness = 0.01f);

    // Builds outline, exclusion and fill; false (and all three empty) when
    // the area has no layer, no outline or no board.
    bool Compute();
    // Adds the clearance or thermal shapes of one padstack's pads (only
    // pads whose placed shape reaches the outline's bounds).
    void AddPadstackExclusion(const CPadstack* padstack);

    // In board coordinates, even-odd.
    const CClipPolygon& GetOutline() const { return m_outline; }
    const CClipPolygon& GetExclusion() const { return m_exclusion; }
    const CClipPolygon& GetFill() const { return m_fill; }

private:
    bool MeetsOutline(float left, float bottom, float right, float top) const;

    const CArea* m_area;
    float m_flatness;
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
