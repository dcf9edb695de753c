// The arc marking primitive: a piece of the ellipse in the box of two
// corners, from the ray through the start direction point to the ray
// through the end direction point (counter-clockwise in world angles),
// optionally closed by its chord or filled between arc and chord.
#pragma once

#include "board/marking_primitive.h"

class GraphicsPath;

class CMarkingArc : public CMarkingPrimitive {
public:
    explicit CMarkingArc(CMarking* marking) : CMarkingPrimitive(marking) {}
    // rest: the token behind its tag "ARC".
    CMarkingArc(CMarking* marking, const wchar_t* rest);

    CMarkingPrimitive* Clone() const override { return new CMarkingArc(*this); }
    int GetKind() const override { return MARKING_ARC; }
    void CopyFrom(const CMarkingPrimitive* other) override;
    std::wstring ToString() const override;
    // Mirroring also exchanges the direction points, so the mirrored arc
    // covers the mirrored piece.
    void TransformByKey(wchar_t key, bool shift) override;
    void Draw(Graphics* g, int flags) override;
    bool GetBounds(Graphics* g, RectF* bounds) override;
    bool HitTest(Graphics* g, float x, float y) override;
    int VertexCount() const override { return 4; }
    PointF* VertexAt(int i) override;

    // Box of the full ellipse, its centre, the start angle and the sweep in
    // degrees (0 to below 360; 0 when both directions coincide: an empty arc).
    RectF Box() const;
    PointF Centre() const;
    void Angles(float* start, float* sweep) const;

    PointF m_p1, m_p2;     // box corners of the full ellipse
    PointF m_start, m_end; // direction points

protected:
    unsigned PropertyTitle() const override { return 294; }
    std::vector<Row> PropertyRows() const override;
    PointF* PointOfRow(const Row& row) override;
    bool CreationDown(int flags, PointF p) override;
    bool CreationMove(int flags, PointF p) override;
    bool AnchorsOnPress() const override { return true; }
    bool ReleaseOnlyWhileEditing() const override { return true; }
};
