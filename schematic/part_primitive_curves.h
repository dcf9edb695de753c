// The curved symbol primitives: the elliptic arc and the cubic Bezier curve.
#pragma once

#include "schematic/part_primitive.h"

#include <string>
#include <vector>

// The arc of the ellipse in a box from the ray through the start point to the
// ray through the end point, counter-clockwise as seen with y up.
// Token "ARC" x1,y1,x2,y2,xs,ys,xe,ye.
class CPartArc : public CPartPrimitive {
public:
    explicit CPartArc(CTreeNode* owner) : CPartPrimitive(owner) {}
    CPartArc(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override;
    void CopyFrom(const CPartPrimitive& other) override;
    bool IsDifferent(const CPartPrimitive& other) const override;
    std::wstring ToString() const override;
    // Over the box only, not the start and end points.
    POINT GetMinPoint() const override;
    POINT GetMaxPoint() const override;
    // A mirror also swaps start and end, so the arc drawn is the mirror image.
    void TransformByKey(int key) override;
    void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) override;
    bool IsInRect(const RECT& rect) const override;
    bool HitTest(int x, int y) const override;
    int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUp(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) override;
    // Also the rectangles from the box centre to the start and end points.
    void Invalidate(DeviceContext* dc) override;
    std::vector<POINT*> Points() override { return {&p1, &p2, &start, &end}; }

    POINT p1; // box corners
    POINT p2;
    POINT start;
    POINT end;
};

// A cubic Bezier curve: start, two control points, end.
// Token "CURVE" then the four points as x,y.
class CPartBezier : public CPartPrimitive {
public:
    explicit CPartBezier(CTreeNode* owner) : CPartPrimitive(owner) {}
    CPartBezier(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override;
    void CopyFrom(const CPartPrimitive& other) override;
    bool IsDifferent(const CPartPrimitive& other) const override;
    std::wstring ToString() const override;
    POINT GetMinPoint() const override;
    POINT GetMaxPoint() const override;
    void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) override;
    bool IsInRect(const RECT& rect) const override;
    bool HitTest(int x, int y) const override;
    int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUp(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) override;
    std::vector<POINT*> Points() override { return {&p[0], &p[1], &p[2], &p[3]}; }

    POINT p[4];
};
