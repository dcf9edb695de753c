// The marking primitives made of points and straight or Bezier pieces:
// line, rectangle, circle (ellipse in a box), polygon and Bezier curve.
#pragma once

#include "board/marking_primitive.h"

#include <vector>

class CMarkingLine : public CMarkingPrimitive {
public:
    explicit CMarkingLine(CMarking* marking) : CMarkingPrimitive(marking) {}
    // rest: the token behind its tag "L".
    CMarkingLine(CMarking* marking, const wchar_t* rest);

    CMarkingPrimitive* Clone() const override { return new CMarkingLine(*this); }
    int GetKind() const override { return MARKING_LINE; }
    void CopyFrom(const CMarkingPrimitive* other) override;
    std::wstring ToString() const override;
    void Draw(Graphics* g, int flags) override;
    bool GetBounds(Graphics* g, RectF* bounds) override;
    bool HitTest(Graphics* g, float x, float y) override;
    bool MouseUp(Graphics* g, int flags, float x, float y) override;
    int VertexCount() const override { return 2; }
    PointF* VertexAt(int i) override { return i == 0 ? &m_p1 : i == 1 ? &m_p2 : nullptr; }

    PointF m_p1, m_p2;

protected:
    unsigned PropertyTitle() const override { return 152; }
    std::vector<Row> PropertyRows() const override;
    int PropertyUnit() const override;
    PointF* PointOfRow(const Row& row) override;
    bool CreationDown(int flags, PointF p) override;
    bool CreationMove(int flags, PointF p) override;
};

// Rectangle and circle: two opposite corners of the box, any order.
class CMarkingBoxShape : public CMarkingPrimitive {
public:
    explicit CMarkingBoxShape(CMarking* marking) : CMarkingPrimitive(marking) {}
    CMarkingBoxShape(CMarking* marking, const wchar_t* rest);

    void CopyFrom(const CMarkingPrimitive* other) override;
    bool GetBounds(Graphics* g, RectF* bounds) override;
    bool HitTest(Graphics* g, float x, float y) override;
    int VertexCount() const override { return 2; }
    PointF* VertexAt(int i) override { return i == 0 ? &m_p1 : i == 1 ? &m_p2 : nullptr; }

    PointF m_p1, m_p2;

protected:
    // "RC" or "CIRC" with its flag and numbers.
    std::wstring Token(const wchar_t* tag) const;
    // Both sides below 0.0001: nothing is drawn.
    bool IsDegenerate() const;
    RectF Box() const;
    std::vector<Row> PropertyRows() const override;
    PointF* PointOfRow(const Row& row) override;
    bool CreationDown(int flags, PointF p) override;
    bool CreationMove(int flags, PointF p) override;
    // The second corner, squared while Shift is held.
    void SetSecondCorner(int flags, PointF p);
};

class CMarkingRect : public CMarkingBoxShape {
public:
    explicit CMarkingRect(CMarking* marking) : CMarkingBoxShape(marking) {}
    CMarkingRect(CMarking* marking, const wchar_t* rest) : CMarkingBoxShape(marking, rest) {}
    CMarkingPrimitive* Clone() const override { return new CMarkingRect(*this); }
    int GetKind() const override { return MARKING_RECT; }
    std::wstring ToString() const override { return Token(L"RC"); }
    void Draw(Graphics* g, int flags) override;

protected:
    unsigned PropertyTitle() const override { return 155; }
};

class CMarkingCircle : public CMarkingBoxShape {
public:
    explicit CMarkingCircle(CMarking* marking) : CMarkingBoxShape(marking) {}
    CMarkingCircle(CMarking* marking, const wchar_t* rest) : CMarkingBoxShape(marking, rest) {}
    CMarkingPrimitive* Clone() const override { return new CMarkingCircle(*this); }
    int GetKind() const override { return MARKING_CIRCLE; }
    std::wstring ToString() const override { return Token(L"CIRC"); }
    void Draw(Graphics* g, int flags) override;

protected:
    unsigned PropertyTitle() const override { return 158; }
};

class CMarkingPolygon : public CMarkingPrimitive {
public:
    explicit CMarkingPolygon(CMarking* marking) : CMarkingPrimitive(marking) {}
    CMarkingPolygon(CMarking* marking, const wchar_t* rest);

    CMarkingPrimitive* Clone() const override { return new CMarkingPolygon(*this); }
    int GetKind() const override { return MARKING_POLYGON; }
    void CopyFrom(const CMarkingPrimitive* other) override;
    // Nothing at all for fewer than two vertices.
    std::wstring ToString() const override;
    void Draw(Graphics* g, int flags) override;
    bool GetBounds(Graphics* g, RectF* bounds) override;
    bool HitTest(Graphics* g, float x, float y) override;
    int VertexCount() const override { return static_cast<int>(m_vertices.size()); }
    PointF* VertexAt(int i) override {
        return i >= 0 && i < VertexCount() ? &m_vertices[static_cast<size_t>(i)] : nullptr;
    }

    std::vector<PointF> m_vertices;

protected:
    unsigned PropertyTitle() const override { return 159; }
    std::vector<Row> PropertyRows() const override;
    PointF* PointOfRow(const Row& row) override;
    bool CreationDown(int flags, PointF p) override;
    bool CreationMove(int flags, PointF p) override;
    float MoveThreshold() const override { return 0.001f; }
    bool AnchorsOnPress() const override { return true; }
};

class CMarkingBezier : public CMarkingPrimitive {
public:
    explicit CMarkingBezier(CMarking* marking) : CMarkingPrimitive(marking) {}
    CMarkingBezier(CMarking* marking, const wchar_t* rest);

    CMarkingPrimitive* Clone() const override { return new CMarkingBezier(*this); }
    int GetKind() const override { return MARKING_BEZIER; }
    void CopyFrom(const CMarkingPrimitive* other) override;
    std::wstring ToString() const override;
    void Draw(Graphics* g, int flags) override;
    bool GetBounds(Graphics* g, RectF* bounds) override;
    // On the control arms, not on the curve.
    bool HitTest(Graphics* g, float x, float y) override;
    int VertexCount() const override { return 4; }
    PointF* VertexAt(int i) override;

    PointF m_p1, m_c1, m_c2, m_p2;

protected:
    unsigned PropertyTitle() const override { return 295; }
    std::vector<Row> PropertyRows() const override;
    PointF* PointOfRow(const Row& row) override;
    bool CreationDown(int flags, PointF p) override;
    bool CreationMove(int flags, PointF p) override;
    bool CreationUp(int flags, PointF p) override;
    bool AnchorsOnPress() const override { return true; }
    bool ReleaseOnlyWhileEditing() const override { return true; }
};

// A box of points grown by margin on every side; false for no points.
bool BoundsOfPoints(const PointF* points, int count, float margin, RectF* bounds);
