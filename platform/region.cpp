#include "platform/region.h"

#include "platform/polygon_set.h"
#include "platform/region_node.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

std::shared_ptr<const RegionNode> MakeKind(RegionNode::Kind k) {
    auto n = std::make_shared<RegionNode>();
    n->kind = k;
    return n;
}

std::shared_ptr<const RegionNode> MakeRect(const RectF& rc) {
    auto n = std::make_shared<RegionNode>();
    n->kind = RegionNode::Rect;
    double x0 = rc.X, x1 = static_cast<double>(rc.X) + rc.Width;
    double y0 = rc.Y, y1 = static_cast<double>(rc.Y) + rc.Height;
    n->l = std::min(x0, x1);
    n->r = std::max(x0, x1);
    n->t = std::min(y0, y1);
    n->b = std::max(y0, y1);
    if (!(n->r > n->l && n->b > n->t))
        n->kind = RegionNode::Empty;
    return n;
}

std::shared_ptr<const RegionNode> MakePath(const GraphicsPath* path) {
    auto n = std::make_shared<RegionNode>();
    n->kind = RegionNode::Path;
    if (!path)
        return n;
    RectF b;
    path->GetBounds(&b);
    const double size =
        std::max({1e-3, static_cast<double>(b.Width), static_cast<double>(b.Height)});
    path->ToPolygons(&n->poly, nullptr, std::min(0.25, size * 1e-4));
    return n;
}

std::shared_ptr<const RegionNode> TransformNode(const std::shared_ptr<const RegionNode>& n,
                                                const Matrix& m) {
    switch (n->kind) {
    case RegionNode::Empty:
    case RegionNode::Infinite:
        return n;
    case RegionNode::Rect: {
        const double* e = m.Elements();
        if (e[1] == 0 && e[2] == 0) {
            double x0, y0, x1, y1;
            m.Map(n->l, n->t, &x0, &y0);
            m.Map(n->r, n->b, &x1, &y1);
            auto r = std::make_shared<RegionNode>();
            r->kind = RegionNode::Rect;
            r->l = std::min(x0, x1), r->r = std::max(x0, x1);
            r->t = std::min(y0, y1), r->b = std::max(y0, y1);
            return r;
        }
        auto p = std::make_shared<RegionNode>();
        p->kind = RegionNode::Path;
        p->poly.contours.push_back({{n->l, n->t}, {n->r, n->t}, {n->r, n->b}, {n->l, n->b}});
        for (PointD& q : p->poly.contours[0])
            m.Map(q.x, q.y, &q.x, &q.y);
        return p;
    }
    case RegionNode::Path: {
        auto p = std::make_shared<RegionNode>();
        p->kind = RegionNode::Path;
        p->poly = n->poly;
        for (auto& c : p->poly.contours)
            for (PointD& q : c)
                m.Map(q.x, q.y, &q.x, &q.y);
        return p;
    }
    case RegionNode::Combine: {
        auto c = std::make_shared<RegionNode>();
        c->kind = RegionNode::Combine;
        c->op = n->op;
        c->left = TransformNode(n->left, m);
        c->right = TransformNode(n->right, m);
        return c;
    }
    }
    return n;
}

} // namespace

Region::Region() : node_(MakeKind(RegionNode::Infinite)) {}
Region::Region(const RectF& rect) : node_(MakeRect(rect)) {}
Region::Region(const GraphicsPath* path) : node_(MakePath(path)) {
    if (!path)
        lastStatus_ = InvalidParameter;
}
Region::~Region() = default;

Status Region::GetLastStatus() const {
    Status s = lastStatus_;
    lastStatus_ = Ok;
    return s;
}

Status Region::MakeInfinite() {
    node_ = MakeKind(RegionNode::Infinite);
    return Ok;
}

Status Region::MakeEmpty() {
    node_ = MakeKind(RegionNode::Empty);
    return Ok;
}

Status Region::Apply(std::shared_ptr<const RegionNode> other, CombineMode mode) {
    using K = RegionNode::Kind;
    const K a = node_->kind, b = other->kind;
    // Shortcuts that keep the trees small.
    switch (mode) {
    case CombineModeReplace:
        node_ = other;
        return Ok;
    case CombineModeIntersect:
        if (a == K::Empty || b == K::Infinite)
            return Ok;
        if (b == K::Empty || a == K::Infinite) {
            node_ = other;
            return Ok;
        }
        break;
    case CombineModeUnion:
        if (b == K::Empty || a == K::Infinite)
            return Ok;
        if (a == K::Empty || b == K::Infinite) {
            node_ = other;
            return Ok;
        }
        break;
    case CombineModeExclude:
        if (a == K::Empty || b == K::Empty)
            return Ok;
        if (b == K::Infinite) {
            node_ = MakeKind(K::Empty);
            return Ok;
        }
        break;
    case CombineModeComplement:
        if (a == K::Infinite || b == K::Empty) {
            node_ = MakeKind(K::Empty);
            return Ok;
        }
        if (a == K::Empty) {
            node_ = other;
            return Ok;
        }
        break;
    case CombineModeXor:
        if (b == K::Empty)
            return Ok;
        if (a == K::Empty) {
            node_ = other;
            return Ok;
        }
        break;
    }
    auto c = std::make_shared<RegionNode>();
    c->kind = K::Combine;
    c->op = mode;
    c->left = node_;
    c->right = std::move(other);
    node_ = std::move(c);
    return Ok;
}

Status Region::Combine(const Region* region, CombineMode mode) {
    if (!region)
        return lastStatus_ = InvalidParameter;
    return Apply(region->node_, mode);
}

Status Region::Intersect(const RectF& rect) {
    return Apply(MakeRect(rect), CombineModeIntersect);
}
Status Region::Intersect(const GraphicsPath* path) {
    if (!path)
        return lastStatus_ = InvalidParameter;
    return Apply(MakePath(path), CombineModeIntersect);
}
Status Region::Intersect(const Region* region) {
    return Combine(region, CombineModeIntersect);
}
Status Region::Union(const RectF& rect) {
    return Apply(MakeRect(rect), CombineModeUnion);
}
Status Region::Union(const GraphicsPath* path) {
    if (!path)
        return lastStatus_ = InvalidParameter;
    return Apply(MakePath(path), CombineModeUnion);
}
Status Region::Union(const Region* region) {
    return Combine(region, CombineModeUnion);
}
Status Region::Xor(const RectF& rect) {
    return Apply(MakeRect(rect), CombineModeXor);
}
Status Region::Xor(const GraphicsPath* path) {
    if (!path)
        return lastStatus_ = InvalidParameter;
    return Apply(MakePath(path), CombineModeXor);
}
Status Region::Xor(const Region* region) {
    return Combine(region, CombineModeXor);
}
Status Region::Exclude(const RectF& rect) {
    return Apply(MakeRect(rect), CombineModeExclude);
}
Status Region::Exclude(const GraphicsPath* path) {
    if (!path)
        return lastStatus_ = InvalidParameter;
    return Apply(MakePath(path), CombineModeExclude);
}
Status Region::Exclude(const Region* region) {
    return Combine(region, CombineModeExclude);
}
Status Region::Complement(const RectF& rect) {
    return Apply(MakeRect(rect), CombineModeComplement);
}
Status Region::Complement(const GraphicsPath* path) {
    if (!path)
        return lastStatus_ = InvalidParameter;
    return Apply(MakePath(path), CombineModeComplement);
}
Status Region::Complement(const Region* region) {
    return Combine(region, CombineModeComplement);
}

Status Region::Transform(const Matrix* matrix) {
    if (!matrix)
        return lastStatus_ = InvalidParameter;
    node_ = TransformNode(node_, *matrix);
    return Ok;
}

Status Region::Translate(float dx, float dy) {
    Matrix m(1, 0, 0, 1, dx, dy);
    return Transform(&m);
}

bool Region::IsInfinite(const Graphics*) const {
    return node_->IsInfinite();
}

bool Region::IsEmpty(const Graphics*) const {
    if (node_->kind == RegionNode::Empty)
        return true;
    if (node_->IsInfinite())
        return false;
    return node_->Polygons().Empty();
}

Status Region::GetBounds(RectF* rect, const Graphics*) const {
    if (!rect)
        return lastStatus_ = InvalidParameter;
    if (node_->IsInfinite()) {
        *rect = {static_cast<float>(-kInfinite), static_cast<float>(-kInfinite),
                 static_cast<float>(2 * kInfinite), static_cast<float>(2 * kInfinite)};
        return Ok;
    }
    if (node_->kind == RegionNode::Rect) {
        *rect = {static_cast<float>(node_->l), static_cast<float>(node_->t),
                 static_cast<float>(node_->r - node_->l), static_cast<float>(node_->b - node_->t)};
        return Ok;
    }
    double l, t, r, b;
    if (!node_->Polygons().Bounds(&l, &t, &r, &b) || node_->Polygons().Empty()) {
        *rect = RectF{};
        return Ok;
    }
    *rect = {static_cast<float>(l), static_cast<float>(t), static_cast<float>(r - l),
             static_cast<float>(b - t)};
    return Ok;
}

bool Region::IsVisible(float x, float y, const Graphics*) const {
    return node_->Contains(x, y);
}

bool Region::IsVisible(const RectF& rect, const Graphics*) const {
    if (node_->kind == RegionNode::Infinite)
        return true;
    Region probe(rect);
    probe.Intersect(this);
    return !probe.IsEmpty();
}

bool Region::ToPolygons(PolygonSet* out) const {
    if (node_->IsInfinite())
        return false;
    *out = node_->Polygons();
    return true;
}

bool Region::IsSingleRect(RectF* rect) const {
    if (node_->kind != RegionNode::Rect)
        return false;
    *rect = {static_cast<float>(node_->l), static_cast<float>(node_->t),
             static_cast<float>(node_->r - node_->l), static_cast<float>(node_->b - node_->t)};
    return true;
}
