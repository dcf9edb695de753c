// One part (unit) of a package drawn on a sheet: its corner is the sheet
// position, its outline the sheet size (grid steps); its pins are children.
// The symbol drawing is a list of primitives, kept in files as the element
// text.
#pragma once

#include "schematic/part_primitive.h"
#include "schematic/sheet_object.h"

#include <string>

class CPackage;
class CPin;

class CPart : public CSheetObject, public CPartPrimitiveOwner {
public:
    CPart();
    CPart(const CPart& other);
    ~CPart() override;

    CTreeNode* Clone() const override;
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CPackage* GetPackage() const;
    // The drawing of this part: its own in a heterogeneous package, else
    // the first part's (null when the package has no parts).
    const CPart* GetPrimitiveSource() const;
    void SyncPinSelection();
    // Takes every pin out of its net (with undo records) and clears its
    // state.
    void DisconnectPins();
    bool TouchesOtherPart() const;
    int GetPartNumber() const;
    void AppendPartSuffix(std::wstring& text) const;

    // The element text <-> symbol primitives.
    void ReadPrimitives();
    void WritePrimitives();
    PartPrimitiveList& GetOwnPrimitives() override { return m_primitives; }
    // The primitives this part is drawn with (GetPrimitiveSource's).
    const PartPrimitiveList& GetDrawnPrimitives() const;

    // Sheet-side slots.
    void DrawOnSheet(DeviceContext* dc, uint32_t flags) override;
    RECT GetBoundsOnSheet(DeviceContext* dc) override;
    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;
    // The power pin of the package when this part holds it, else null.
    CPin* GetOwnPowerPin() const;
    // The rectangle (logical units, normalised) the net name of the part's
    // power pin is drawn in, measured in the view's font; false when the part
    // shows no net name.
    bool GetPowerLabelRect(DeviceContext* dc, RECT& rect) const;
    // Ends a move to another sheet where the part is now, as the click that
    // places it does: the pins join what they touch and the part is
    // deselected. Nothing when the part is not being placed.
    void PlaceHere(DeviceContext* dc);

    // Set while a part moved to another sheet from the panel follows the
    // cursor there, until a click places it.
    bool m_placing = false;
    PartPrimitiveList m_primitives; // owned
};
