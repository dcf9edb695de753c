// Filled polygons in double precision and the boolean operations on them.
// Regions and the outline of a path are built on these; the results are
// deterministic (our own arithmetic, no library rounding).
#pragma once

#include "platform/graphics_types.h"

#include <vector>

struct PointD {
    double x = 0;
    double y = 0;
};

inline bool operator==(const PointD& a, const PointD& b) {
    return a.x == b.x && a.y == b.y;
}

// Closed contours (the closing edge is implicit) filled by a fill mode.
struct PolygonSet {
    std::vector<std::vector<PointD>> contours;
    FillMode fill = FillModeAlternate;

    bool Empty() const;
    // Bounds of every vertex; false when there is none.
    bool Bounds(double* left, double* top, double* right, double* bottom) const;
};

// Winding number of a point against every contour.
int WindingNumber(const PolygonSet& set, double x, double y);
// Inside by the set's fill mode. Points exactly on an edge follow the usual
// half-open crossing rule.
bool PolygonSetContains(const PolygonSet& set, double x, double y);

// The boolean combination of two sets: Intersect (a and b), Union (a or b),
// Xor, Exclude (a and not b), Complement (b and not a). Replace gives b.
// Each input is read by its own fill mode; the result holds non-crossing
// contours with the inside on the left (it reads the same under either fill
// mode) and has fill mode Winding.
PolygonSet CombinePolygonSets(const PolygonSet& a, const PolygonSet& b, CombineMode op);

// The outline of one set under its own fill mode: the same area as
// non-crossing contours (CombinePolygonSets with an empty second set).
PolygonSet PolygonSetOutline(const PolygonSet& a);

// True when some point lies in both sets (their intersection has area).
bool PolygonSetsOverlap(const PolygonSet& a, const PolygonSet& b);
