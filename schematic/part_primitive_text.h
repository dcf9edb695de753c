// A text of a symbol, anchored at a point, running to the right ('R'), to
// the left ('L'), upward ('T') or downward ('B') from it.
// Token "TEXT" style x,y ":" text, with every space written as "_".
#pragma once

#include "schematic/part_primitive.h"

#include <string>
#include <vector>

class CPartText : public CPartPrimitive {
public:
    explicit CPartText(CTreeNode* owner) : CPartPrimitive(owner) {}
    CPartText(CTreeNode* owner, const std::wstring& rest);

    CPartPrimitive* Clone(CTreeNode* newOwner) const override;
    void CopyFrom(const CPartPrimitive& other) override;
    bool IsDifferent(const CPartPrimitive& other) const override;
    std::wstring ToString() const override;
    // Both the anchor.
    POINT GetMinPoint() const override;
    POINT GetMaxPoint() const override;
    // Also turns or mirrors the style.
    void TransformByKey(int key) override;
    void Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) override;
    bool IsInRect(const RECT& rect) const override;
    bool HitTest(int x, int y) const override;
    // A text has no vertices to grab.
    POINT* HitTestVertex(int x, int y) override;
    int MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void Invalidate(DeviceContext* dc) override;
    std::vector<POINT*> Points() override { return {&pos}; }
    // Rows 0 "Vertical" and 1 "Value".
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    bool IsVertical() const { return style == L'T' || style == L'B'; }
    // The text's rectangle in primitive units relative to the part, measured
    // in the view's font on dc (on a context of the active view when null);
    // not normalised. Another style than R, L, T, B gives (0, 0, 0, 0).
    RECT GetDisplayRect(DeviceContext* dc = nullptr) const;
    // The rectangle the text is drawn in, logical units (part at partPos).
    RECT GetDrawRect(DeviceContext* dc, POINT partPos) const;
    RECT GetDrawnRect(DeviceContext* dc, const CTreeNode* part) const override;

    std::wstring text;
    POINT pos;
    wchar_t style = L'R';

private:
    // Measures the text in the view font of its direction on dc.
    SIZE Measure(DeviceContext* dc) const;
};
