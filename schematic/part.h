// One part (unit) of a package drawn on a sheet: its corner is the sheet
// position, its outline the sheet size (grid steps); its pins are children.
// The symbol drawing is the element text; the symbol primitives parse and
// write it (see ReadPrimitives / WritePrimitives).
#pragma once

#include "schematic/sheet_object.h"

#include <string>

class CPackage;
class CPin;

class CPart : public CSheetObject {
public:
    CPart();
    CPart(const CPart& other);
    ~CPart() override;

    CTreeNode* Clone() const override;
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

    // The element text <-> symbol primitives. Until the primitives exist the
    // text is the drawing and these do nothing.
    void ReadPrimitives();
    void WritePrimitives();

    bool m_placing = false;
};
