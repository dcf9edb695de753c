// A check-box row: a click on the value column toggles it and the row is
// applied at once.
#pragma once

#include "core/property_item.h"

class CPropertyCheckbox : public CPropertyItem {
public:
    CPropertyCheckbox(PropertyText name, bool checked);
    int GetKind() const override { return kPropertyKindCheckbox; }
    void Draw(const DRAWITEMSTRUCT* dis) override;
    bool OnClick(bool inValue, int x) override;

    bool GetCheck() const { return m_checked; }
    void SetCheck(bool checked) { m_checked = checked; }

private:
    bool m_checked = false;
};

class PaintTarget;
// Draws the check image (0 clear, 1 ticked) of the list's state images at
// the left of value, vertically centred.
void DrawCheckImage(PaintTarget* target, CPropertyListCtrl* list, const RECT& value, bool checked);
