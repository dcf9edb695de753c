// The straight-edged and elliptic symbol primitives: line, rectangle,
// ellipse (circle) and polygon.
#pragma once

#include "platform/device_context.h"
#include "schematic/part_primitive.h"

#include <string>
#include <vector>

// A line between two points. Token "L" x1,y1,x2,y2.
class CPartLine : public CPartPrimitive {
public:
    explicit CPartLine(CTreeNode* owner) : CPartPrimitive(owner) {}
    // From the token's text after its tag.
    CPartLine(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override;
    void CopyFrom(const CPartPrimitive& other) override;
    bool IsDifferent(const CPartPrimitive& other) const override;
    std::wstring ToString() const override;
    void AppendTo(std::wstring& out) const override;
    POINT GetMinPoint() const override;
    POINT GetMaxPoint() const override;
    void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) override;
    bool IsInRect(const RECT& rect) const override;
    bool HitTest(int x, int y) const override;
    int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) override;
    std::vector<POINT*> Points() override { return {&p1, &p2}; }

    POINT p1;
    POINT p2;
};

// The shared part of the rectangle and the ellipse: a box given by two
// opposite corners, with the filled and opaque flags.
class CPartBoxShape : public CPartPrimitive {
public:
    using CPartPrimitive::CPartPrimitive;

    POINT GetMinPoint() const override;
    POINT GetMaxPoint() const override;
    bool IsInRect(const RECT& rect) const override;
    int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) override;
    std::vector<POINT*> Points() override { return {&p1, &p2}; }
    // The shape in its box with the fill brush, then the handles when
    // selected in the symbol editor.
    void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) override;
    // Rows 0 "Filled" and 1 "Opaque" under the kind's title.
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    POINT p1;
    POINT p2;
    bool filled = false;
    bool opaque = false;

protected:
    // Reads the flags and the four numbers of a token's rest.
    void ReadBox(const std::wstring& rest);
    std::wstring BoxToken(const wchar_t* tag) const;
    void AppendBoxToken(std::wstring& out, const wchar_t* tag) const;
    bool BoxDiffers(const CPartBoxShape& other) const;
    void CopyBox(const CPartBoxShape& other);
    bool IsZeroBox() const { return p1.x == 0 && p1.y == 0 && p2.x == 0 && p2.y == 0; }
    virtual unsigned TitleId() const = 0;
    // Paints the shape into the box of logical corners a and b.
    virtual void PaintBox(DeviceContext* dc, POINT a, POINT b) const = 0;

    // The copy, copy-from and compare of a concrete box shape.
    template <class Shape> static CPartPrimitive* CloneBox(const Shape& self, CTreeNode* owner) {
        auto* copy = new Shape(owner);
        copy->CopyBaseFrom(self, owner);
        copy->CopyBox(self);
        return copy;
    }
    template <class Shape> void CopyBoxFrom(const CPartPrimitive& other) {
        if (auto* o = dynamic_cast<const Shape*>(&other))
            CopyBox(*o);
    }
    template <class Shape> bool BoxDiffersFrom(const CPartPrimitive& other) const {
        auto* o = dynamic_cast<const Shape*>(&other);
        return !o || BoxDiffers(*o);
    }
};

// A rectangle. Token "RC" ["F"] ["O"] x1,y1,x2,y2.
class CPartRect : public CPartBoxShape {
public:
    explicit CPartRect(CTreeNode* owner) : CPartBoxShape(owner) {}
    CPartRect(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override { return CloneBox(*this, newOwner); }
    void CopyFrom(const CPartPrimitive& other) override { CopyBoxFrom<CPartRect>(other); }
    bool IsDifferent(const CPartPrimitive& other) const override {
        return BoxDiffersFrom<CPartRect>(other);
    }
    std::wstring ToString() const override;
    void AppendTo(std::wstring& out) const override { AppendBoxToken(out, L"RC"); }
    bool HitTest(int x, int y) const override;

protected:
    unsigned TitleId() const override { return 155; } // "Rectangle Properties"
    void PaintBox(DeviceContext* dc, POINT a, POINT b) const override;
};

// An ellipse in its bounding box. Token "CIRC" ["F"] ["O"] x1,y1,x2,y2.
class CPartCircle : public CPartBoxShape {
public:
    explicit CPartCircle(CTreeNode* owner) : CPartBoxShape(owner) {}
    CPartCircle(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override { return CloneBox(*this, newOwner); }
    void CopyFrom(const CPartPrimitive& other) override { CopyBoxFrom<CPartCircle>(other); }
    bool IsDifferent(const CPartPrimitive& other) const override {
        return BoxDiffersFrom<CPartCircle>(other);
    }
    std::wstring ToString() const override;
    void AppendTo(std::wstring& out) const override { AppendBoxToken(out, L"CIRC"); }
    bool HitTest(int x, int y) const override;

protected:
    unsigned TitleId() const override { return 158; } // "Circle Properties"
    void PaintBox(DeviceContext* dc, POINT a, POINT b) const override;
};

// A polygon, closed or open. Token "POLY" ["F"] ["O"] ["C"] x1,y1,x2,y2,...
class CPartPolygon : public CPartPrimitive {
public:
    explicit CPartPolygon(CTreeNode* owner) : CPartPrimitive(owner) {}
    CPartPolygon(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override;
    void CopyFrom(const CPartPrimitive& other) override;
    bool IsDifferent(const CPartPrimitive& other) const override;
    std::wstring ToString() const override;
    // Without vertices: (INT_MAX, INT_MAX) and (INT_MIN, INT_MIN), an empty box.
    POINT GetMinPoint() const override;
    POINT GetMaxPoint() const override;
    void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) override;
    bool IsInRect(const RECT& rect) const override;
    bool HitTest(int x, int y) const override;
    int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) override;
    std::vector<POINT*> Points() override;
    // Rows 0 "Filled", 1 "Opaque", 2 "Closed".
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    std::vector<POINT> vertices;
    bool filled = false;
    bool opaque = false;
    bool closed = false;
};

// Brush selection of the filled and opaque flags: a solid brush of the
// selection or symbol colour when filled, the hollow stock brush when
// neither, the caller's brush when opaque. Returns the brush to select back.
GdiBrush SelectShapeBrush(DeviceContext* dc, bool filled, bool opaque, bool selected);

// The apply path of a check-box row: records the primitive's state, then
// stores the row's tick through set; repaints before and after and gives the
// focus back to the view. Returns false when the row is no check box.
template <class Set> bool ApplyCheckboxRow(CPartPrimitive* primitive, int row, Set set);
bool ReadCheckboxRow(int row, bool* checked);
// Invalidates, records and starts a new undo group, for a property edit.
void BeginPrimitivePropertyEdit(CPartPrimitive* primitive, DeviceContext* dc);
void EndPrimitivePropertyEdit(CPartPrimitive* primitive, DeviceContext* dc);

template <class Set> bool ApplyCheckboxRow(CPartPrimitive* primitive, int row, Set set) {
    bool checked = false;
    if (!ReadCheckboxRow(row, &checked))
        return false;
    auto dc = CreateViewDC();
    BeginPrimitivePropertyEdit(primitive, dc.get());
    set(checked);
    EndPrimitivePropertyEdit(primitive, dc.get());
    return true;
}
