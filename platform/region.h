// An area of the plane: infinite, empty, a rectangle, a filled path or a
// boolean combination of regions. Combinations are kept as a tree and
// evaluated exactly on the flattened figures; the polygons of the result are
// computed only when bounds or emptiness are asked for.
#pragma once

#include "platform/graphics_path.h"
#include "platform/graphics_types.h"
#include "platform/matrix.h"

#include <memory>

struct RegionNode;
struct PolygonSet;

class Region {
public:
    // Infinite.
    Region();
    explicit Region(const RectF& rect);
    explicit Region(const GraphicsPath* path);
    Region(const Region& other) = default;
    Region& operator=(const Region& other) = default;
    ~Region();
    Region* Clone() const { return new Region(*this); }

    Status MakeInfinite();
    Status MakeEmpty();

    Status Intersect(const RectF& rect);
    Status Intersect(const GraphicsPath* path);
    Status Intersect(const Region* region);
    Status Union(const RectF& rect);
    Status Union(const GraphicsPath* path);
    Status Union(const Region* region);
    Status Xor(const RectF& rect);
    Status Xor(const GraphicsPath* path);
    Status Xor(const Region* region);
    // This minus the argument.
    Status Exclude(const RectF& rect);
    Status Exclude(const GraphicsPath* path);
    Status Exclude(const Region* region);
    // The argument minus this.
    Status Complement(const RectF& rect);
    Status Complement(const GraphicsPath* path);
    Status Complement(const Region* region);
    Status Combine(const Region* region, CombineMode mode);

    Status Transform(const Matrix* matrix);
    Status Translate(float dx, float dy);

    // The Graphics argument is accepted for call compatibility; region and
    // point share one coordinate space.
    Status GetBounds(RectF* rect, const Graphics* g = nullptr) const;
    bool IsEmpty(const Graphics* g = nullptr) const;
    bool IsInfinite(const Graphics* g = nullptr) const;
    bool IsVisible(float x, float y, const Graphics* g = nullptr) const;
    bool IsVisible(const PointF& p, const Graphics* g = nullptr) const {
        return IsVisible(p.X, p.Y, g);
    }
    // True when any part of the rectangle lies in the region.
    bool IsVisible(const RectF& rect, const Graphics* g = nullptr) const;
    Status GetLastStatus() const;

    // Platform internals: the tree and its exact polygons.
    const std::shared_ptr<const RegionNode>& Node() const { return node_; }
    // The region's area as polygons; false when it is infinite (no polygons).
    bool ToPolygons(PolygonSet* out) const;
    // A rectangle when the region is exactly one axis-aligned rectangle.
    bool IsSingleRect(RectF* rect) const;

private:
    Status Apply(std::shared_ptr<const RegionNode> other, CombineMode mode);
    std::shared_ptr<const RegionNode> node_;
    mutable Status lastStatus_ = Ok;
};
