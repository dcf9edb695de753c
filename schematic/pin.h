// A pin: of a part (placed on one side of the part outline) or of a package
// (a package-level pin). It stands for footprint pads and may be on a net; a
// non-empty fixed net name forces the name of its net, as power pins do.
#pragma once

#include "core/tree_node.h"

#include <string>
#include <string_view>
#include <vector>

class CNet;
class CFootprint;
class CPackage;
class CPart;
class CWire;

class CPin : public CTreeNode {
public:
    CPin();
    CPin(const CPin& other);
    ~CPin() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    // Pad names from a comma-joined text: every piece between commas, empty
    // ones included; an empty text gives one empty name.
    void SetPadNames(std::wstring_view text);
    std::wstring GetPadNames() const;
    bool HasPadName(const std::wstring& name) const;
    // Ties every vertex of the net's conductors lying on one of this pin's
    // pads (within 0.001) to that pad.
    void TiePadsToConductors(CFootprint* footprint);
    // The point where wires attach, in sheet grid steps.
    POINT GetConnectionPoint() const;
    // The part holding the pin, null for a package-level pin.
    CPart* GetPart() const;
    CPackage* GetPackage() const;
    // The sheet of the pin's part, null for none.
    class CSheet* GetSheet() const;
    bool IsPowerPin() const;

    // Net membership (undo records pushed).
    void Connect(DeviceContext* dc);
    void AddToNet(DeviceContext* dc, CNet* net);
    void RemoveFromNet();
    void CollectAttachedWires();
    // After the part moved by (dx, dy) grid steps: the attached wires follow.
    bool DragAttachedWires(int dx, int dy);

    // Sheet-side slots and their geometry (logical units).
    void DrawOnSheet(DeviceContext* dc, uint32_t flags) override;
    RECT GetBoundsOnSheet(DeviceContext* dc) override;
    CTreeNode* HitTestOnSheet(DeviceContext* dc, int x, int y) override;
    void InvalidateOnSheet(DeviceContext* dc) override;
    CTreeNode* MouseDownOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int MouseUpOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    void RightClickOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DragOnSheet(DeviceContext* dc, uint32_t flags, int x, int y) override;
    int DeleteOnSheet(DeviceContext* dc, uint32_t flags) override;
    // Symbol editor: the pin's place numbered clockwise round the outline
    // from the bottom-left corner, and the slide of a dragged pin.
    int OutlinePerimeterPos() const;
    int SlideOnOutline(DeviceContext* dc, int x, int y);
    POINT GetInnerPoint() const; // on the outline
    POINT GetOuterPoint() const; // one grid step outside
    // The shown name (overbar marks "~" taken out) and the marks' positions.
    std::wstring GetShownName(std::vector<size_t>* marks) const;
    RECT GetNameRect(DeviceContext* dc) const;
    RECT GetNumberRect(DeviceContext* dc) const;

    CNet* m_pNet = nullptr; // not owned
    wchar_t m_side = 0;     // 'L', 'R', 'T', 'B', or 0 before placing
    int32_t m_offset = 0;
    std::wstring m_name;
    std::vector<std::wstring> m_padNames{std::wstring()};
    int32_t m_shape = 1;
    bool m_numberHidden = false;    // "NumInvisible"
    std::wstring m_fixedNetName;    // "NetName"
    std::vector<CWire*> m_attached; // not owned
    int m_grabOffset = 0;           // outline positions, cursor minus pin
};
