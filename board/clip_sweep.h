// The scanbeam sweep behind CClipPolygon::Clip (Vatti's algorithm): local
// minima table, sorted scanbeam table, active edge table with bundles of
// coinciding edges, crossings inside each scanbeam, and output polygon nodes
// that grow at both ends and merge. Working values are doubles (the float
// inputs are exact in them); result vertices are rounded to floats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/clip_polygon.h"
#include "platform/types.h"

class ClipSweep {
public:
    // Adds one input contour of the subject (isClip false) or of the clip
    // polygon. Non-finite vertices and repeated vertices are skipped; what
    // is left of fewer than three vertices encloses nothing and is ignored.
    void AddContour(const PointF* points, int count, bool isClip);

    // Makes room for contours of this many vertices in all, so that the
    // tables of a large clip do not grow by copying.
    void Reserve(size_t vertices);

    // Runs the sweep and appends the result contours and their hole flags.
    void Run(ClipOperation op, std::vector<CClipContour>& contours, std::vector<int>& holeFlags);

    // Forgets every contour and result so that the sweep can run again; the
    // tables keep their memory unless they grew large.
    void Reset();

private:
    struct Edge {
        double bx, by, tx, ty, dx;
        int succ;     // next edge of the bound, -1 at its top
        uint8_t poly; // kSubjectBit or kClipBit
    };
    struct Minimum {
        double y, x, dx;
        int edge;
    };
    // One entry of the active edge table.
    struct Active {
        int edge;
        double xb, xt;             // x at the bottom and at the top of the scanbeam
        double dx, bx, by, ty, tx; // copies of the current edge's values
        int out;                   // output node above the scanline (bundle heads only)
        int outBelow;              // output node below the scanline
        uint8_t poly;
        uint8_t above;   // polygons with a boundary above (bundle total on the head)
        uint8_t below;   // the same below the scanline, from the previous scanbeam
        uint8_t leftPar; // parities just left of the entry, above the scanline
        bool head;       // first entry of its bundle (or unbundled)
    };
    struct Unit {
        int start, len; // span of a bundle in the active table
        double xb, xt;
        int out;
        uint8_t flags, leftPar;
    };
    struct Crossing {
        double y, x;
        int a, b; // units; a is left of b at the bottom of the scanbeam
        int seq;
    };
    struct OutVertex {
        double x, y;
        int next;
    };
    struct OutNode {
        int head, tail, count, proxy;
        bool hole;
    };

    void SetEdge(Active& a, int edge) const;
    void InsertMinima(double yb, size_t& lmtPos);
    void BottomPass(double yb);
    // The x where each entry reaches the next scanline; false when some
    // bundles cross on the way.
    bool ComputeTops(double yt);
    void ProcessCrossings(double yb, double yt);
    void PrepareNext(double yt);
    void Collect(std::vector<CClipContour>& contours, std::vector<int>& holeFlags);

    int Find(int node);
    int NewNode(double x, double y);
    void AddLeft(int node, double x, double y);
    void AddRight(int node, double x, double y);
    void MergeLeft(int p, int q);
    void MergeRight(int p, int q);

    std::vector<Edge> m_edges;
    std::vector<Minimum> m_minima;
    std::vector<double> m_scanbeams;
    std::vector<Active> m_aet, m_aetNext;
    std::vector<Unit> m_units;
    std::vector<int> m_sorted, m_order, m_pos;
    std::vector<Crossing> m_crossings;
    std::vector<OutVertex> m_vertices;
    std::vector<OutNode> m_nodes;
    std::vector<double> m_scratchX, m_scratchY;
    std::vector<signed char> m_scratchDir;
    std::vector<int> m_scratchEdge;
    std::vector<PointF> m_scratchPoints, m_scratchSimple;
    bool m_inside[4] = {};
    uint8_t m_startParity = 0;
};
