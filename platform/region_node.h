// The tree behind a Region (platform internal): leaves are the infinite
// plane, nothing, a rectangle or flattened figures; inner nodes combine two
// subtrees. Nodes are immutable once built and shared between copies.
#pragma once

#include "platform/graphics_types.h"
#include "platform/polygon_set.h"

#include <memory>
#include <optional>

// The extent of the infinite region when it must be given as a rectangle.
inline constexpr double kInfinite = 4194304.0;

struct RegionNode {
    enum Kind { Empty, Infinite, Rect, Path, Combine } kind = Empty;
    double l = 0, t = 0, r = 0, b = 0;             // Rect, half-open on the right and bottom
    PolygonSet poly;                               // Path (flattened)
    CombineMode op = CombineModeUnion;             // Combine
    std::shared_ptr<const RegionNode> left, right; // Combine
    // Computed on demand: the area as polygons (not for infinite areas).
    mutable std::optional<PolygonSet> area;
    mutable int infinite = -1;

    bool Contains(double x, double y) const {
        switch (kind) {
        case Empty:
            return false;
        case Infinite:
            return true;
        case Rect:
            return x >= l && x < r && y >= t && y < b;
        case Path:
            return PolygonSetContains(poly, x, y);
        case Combine: {
            const bool a = left->Contains(x, y);
            const bool c = right->Contains(x, y);
            switch (op) {
            case CombineModeIntersect:
                return a && c;
            case CombineModeUnion:
                return a || c;
            case CombineModeXor:
                return a != c;
            case CombineModeExclude:
                return a && !c;
            case CombineModeComplement:
                return c && !a;
            case CombineModeReplace:
                return c;
            }
        }
        }
        return false;
    }

    bool IsInfinite() const {
        if (infinite >= 0)
            return infinite != 0;
        bool v = false;
        switch (kind) {
        case Infinite:
            v = true;
            break;
        case Combine: {
            const bool a = left->IsInfinite(), c = right->IsInfinite();
            switch (op) {
            case CombineModeIntersect:
                v = a && c;
                break;
            case CombineModeUnion:
                v = a || c;
                break;
            case CombineModeExclude:
                v = a && right->Polygons().Empty();
                break;
            case CombineModeComplement:
                v = c && left->Polygons().Empty();
                break;
            case CombineModeXor:
                v = (a && right->Polygons().Empty()) || (c && left->Polygons().Empty());
                break;
            case CombineModeReplace:
                v = c;
                break;
            }
            break;
        }
        default:
            break;
        }
        infinite = v ? 1 : 0;
        return v;
    }

    // The area as polygons; an infinite part stands as the big square.
    const PolygonSet& Polygons() const {
        if (area)
            return *area;
        PolygonSet s;
        s.fill = FillModeWinding;
        switch (kind) {
        case Empty:
            break;
        case Infinite:
            s.contours.push_back({{-kInfinite, -kInfinite},
                                  {kInfinite, -kInfinite},
                                  {kInfinite, kInfinite},
                                  {-kInfinite, kInfinite}});
            break;
        case Rect:
            if (r > l && b > t)
                s.contours.push_back({{l, t}, {r, t}, {r, b}, {l, b}});
            break;
        case Path:
            s = poly;
            break;
        case Combine:
            s = CombinePolygonSets(left->Polygons(), right->Polygons(), op);
            break;
        }
        area = std::move(s);
        return *area;
    }
};
