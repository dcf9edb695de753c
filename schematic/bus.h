// A bus on a sheet: a straight line from its start along x ('H') or y ('V')
// by a signed length; 'N' while it is not yet drawn.
#pragma once

#include "schematic/sheet_object.h"

class CBus : public CSheetObject {
public:
    CBus();
    CBus(const CBus& other);
    ~CBus() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;

    POINT GetStart() const { return m_position; }
    // The start moved by the length along y for 'V', else along x (a bus
    // not yet drawn, 'N', too).
    POINT GetEnd() const;
    // The point lies on the bus, ends included ('H' and 'V' only).
    bool ContainsPoint(POINT p) const;

    void DrawOnSheet(DeviceContext* dc, uint32_t flags) override;
    RECT GetBoundsOnSheet(DeviceContext* dc) override;
    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;

    wchar_t m_direction = L'N';
    int32_t m_length = 0;
};
