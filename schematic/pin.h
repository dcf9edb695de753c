// A pin of a package: the footprint pads it stands for and the net it is on.
// The schematic side completes its placement, drawing and editing.
#pragma once

#include "core/tree_node.h"

#include <string>
#include <vector>

class CNet;
class CFootprint;

class CPin : public CTreeNode {
public:
    CPin();
    CPin(const CPin& other) = default;
    ~CPin() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;

    // Pad names from a comma-joined text: every piece between commas, empty
    // ones included; an empty text gives one empty name.
    void SetPadNames(const std::wstring& text);
    bool HasPadName(const std::wstring& name) const;
    // Ties every vertex of the net's conductors lying on one of this pin's
    // pads (within 0.001) to that pad.
    void TiePadsToConductors(CFootprint* footprint);
    // The point where wires attach, in sheet grid steps (built with the
    // schematic drawing; see pin.cpp).
    POINT GetConnectionPoint() const;

    CNet* m_pNet = nullptr; // not owned
    std::vector<std::wstring> m_padNames{std::wstring()};
    std::wstring m_fixedNetName; // "NetName"
};
